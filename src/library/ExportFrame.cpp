#include "library/ExportFrame.h"

#include <QCoreApplication>
#include <memory>

#include "ui/Application.h"

namespace corvenna {

TExportFrame::ApplicationReady::ApplicationReady() {
  made = QCoreApplication::instance() == nullptr;
  EnsureApplication();
}

TExportFrame::ApplicationReady::~ApplicationReady() {
  if (made) DestroyApplication();
}

TExportFrame::DialogScope::DialogScope() { dlgCorvenna = std::make_unique<TdlgCorvenna>(); }

TExportFrame::DialogScope::~DialogScope() { dlgCorvenna.reset(); }

}  // namespace corvenna
