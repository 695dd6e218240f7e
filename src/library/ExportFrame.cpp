#include "library/ExportFrame.h"

#include <memory>

#include "ui/Application.h"

namespace corvenna {

TExportFrame::ApplicationReady::ApplicationReady() { EnsureApplication(); }

TExportFrame::DialogScope::DialogScope() { dlgCorvenna = std::make_unique<TdlgCorvenna>(); }

TExportFrame::DialogScope::~DialogScope() { dlgCorvenna.reset(); }

}  // namespace corvenna
