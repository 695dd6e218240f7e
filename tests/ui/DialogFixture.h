#pragma once
// A dialog made the way an exported call makes it: a scratch home with the
// host folders and database, DM alive, an English locale, a fixed day, and
// every message recorded.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <memory>
#include <optional>
#include <string>

#include "data/Constants.h"
#include "data/OtaDataModule.h"
#include "platform/Clock.h"
#include "platform/DateTime.h"
#include "platform/FormatSettings.h"
#include "support/HostDatabaseFixture.h"
#include "support/RecordingMessages.h"
#include "support/RegistryFixture.h"
#include "support/ScratchHome.h"
#include "ui/CorvennaDlg.h"

namespace corvenna::test {

inline std::string Text(const QLineEdit* edit) { return edit->text().toStdString(); }
inline std::string Text(const QLabel* label) { return label->text().toStdString(); }

class DialogTest : public ::testing::Test {
 protected:
  DialogTest() : locale_(EnglishFormatSettings()) {
    FormatSettings().ShortDateFormat = "dd/mm/yyyy";
    home_.MakeHostFolders();
    SetToday(EncodeDate(2025, 6, 10));
  }
  ~DialogTest() override {
    dialog_.reset();
    dm_.reset();
    ResetClock();
    ClearTranslatedTexts();
  }

  void SetToday(TDateTime day) {
    SetClockForTesting([day] { return day + 0.5; }, [day] { return day + 0.5; });
  }
  std::filesystem::path DatabaseFolder() const { return home_.Documents() / "Quendale" / "Database"; }
  std::filesystem::path LanguageFile() const { return home_.Documents() / "Quendale" / "Lan" / "Language.sil"; }
  std::filesystem::path OtaFolder() const { return home_.Documents() / "Quendale" / "OTA"; }
  HostDatabaseFixture& Database() {
    if (!database_) database_ = std::make_unique<HostDatabaseFixture>(DatabaseFolder());
    return *database_;
  }

  // As each exported call does: a fresh DM, then the dialog.
  TdlgCorvenna& CreateDialog() {
    dialog_.reset();
    dm_.reset();
    dm_.emplace();
    dialog_ = std::make_unique<TdlgCorvenna>();
    return *dialog_;
  }
  TdlgCorvenna& Dialog() { return *dialog_; }

  ScratchHome home_;
  ScopedFormatSettings locale_;
  RecordingMessages messages_;
  std::unique_ptr<HostDatabaseFixture> database_;
  std::optional<TDMScope> dm_;
  std::unique_ptr<TdlgCorvenna> dialog_;
};

}  // namespace corvenna::test
