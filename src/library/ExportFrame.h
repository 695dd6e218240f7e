#pragma once
// The frame every exported call runs in: the Qt application, the Qt message
// boxes, the data module and the dialog, made in that order and undone in
// reverse (dialog first, then DM), also when an exception passes.
// An application the frame had to make stays for the next calls (setting up
// Qt's platform and fonts anew cost most of a silent call); it is destroyed
// when the library is unloaded and left alone at process exit, where Qt's own
// globals are already gone (ui/Application.h). A call from another thread than
// the application's ends before anything is made.
#include "data/OtaDataModule.h"
#include "platform/RegistryCall.h"
#include "ui/CorvennaDlg.h"
#include "ui/QtMessages.h"

namespace corvenna {

class TExportFrame {
 public:
  TExportFrame() = default;
  TExportFrame(const TExportFrame&) = delete;
  TExportFrame& operator=(const TExportFrame&) = delete;

  TdlgCorvenna& Dialog() { return *dlgCorvenna; }

 private:
  // Makes a QApplication when the host has none.
  struct ApplicationReady {
    ApplicationReady();
  };
  // Owns dlgCorvenna for the call; its creation handler reports its own failures.
  struct DialogScope {
    DialogScope();
    ~DialogScope();
    DialogScope(const DialogScope&) = delete;
    DialogScope& operator=(const DialogScope&) = delete;
  };

  ApplicationReady application_;  // first: it refuses a call from another thread
  TRegistryCallScope settings_;   // a store that cannot be read is waited for once per call
  ScopedQtMessages messages_;
  TDMScope dm_;
  DialogScope dialog_;
};

}  // namespace corvenna
