#include <QPushButton>
#include <QTest>
#include <filesystem>

#include "platform/Errors.h"
#include "platform/Text.h"
#include "DialogFixture.h"

namespace corvenna::test {
namespace {

namespace fs = std::filesystem;
using DialogCloseTest = DialogTest;

// Day logs named as the exchange names them, for the days 0..25 before 30 January 2025.
std::vector<std::string> WriteLogsBackFrom30January(const fs::path& folder, const TFormatSettings& settings) {
  std::vector<std::string> names;
  const TDateTime today = EncodeDate(2025, 1, 30);
  for (int back = 0; back <= 25; ++back) {
    int year = 0, month = 0, day = 0;
    DecodeDate(IncDay(today, -back), year, month, day);
    const std::string name =
        Format("OTA%02d%s.log", day, ReplaceAll(settings.ShortMonthNames[static_cast<size_t>(month - 1)], ".", "").c_str());
    WriteFileText(folder / name, "log");
    names.push_back(name);
  }
  return names;
}

TEST_F(DialogCloseTest, DeletesExactlyTheDayLogsSevenToTwentyOneDaysOld) {
  TFormatSettings dotted = EnglishFormatSettings();
  dotted.ShortMonthNames = {"jan.", "feb.", "mrt.", "apr.", "mei", "jun.",
                            "jul.", "aug.", "sep.", "okt.", "nov.", "dec."};
  for (const TFormatSettings& settings : {EnglishFormatSettings(), dotted}) {
    SCOPED_TRACE(settings.ShortMonthNames[0]);
    ScopedFormatSettings locale(settings);
    Database();
    SetToday(EncodeDate(2025, 1, 30));
    const std::vector<std::string> names = WriteLogsBackFrom30January(OtaFolder(), settings);
    WriteFileText(OtaFolder() / "notes.txt", "kept");

    TdlgCorvenna& dialog = CreateDialog();
    dialog.show();
    QTest::mouseClick(dialog.btnCancel, Qt::LeftButton);
    ASSERT_TRUE(messages_.errorBoxes.empty()) << messages_.errorBoxes.front();

    for (int back = 0; back <= 25; ++back) {
      const bool deleted = back >= 7 && back <= 21;  // 23 January back to 9 January
      EXPECT_EQ(fs::exists(OtaFolder() / names[static_cast<size_t>(back)]), !deleted) << names[static_cast<size_t>(back)];
    }
    EXPECT_TRUE(fs::exists(OtaFolder() / "notes.txt"));
    EXPECT_FALSE(DM().tblGuestData.Active());
    EXPECT_FALSE(DM().Quendale.Connected());
    for (const auto& entry : fs::directory_iterator(OtaFolder())) fs::remove(entry.path());
  }
}

TEST_F(DialogCloseTest, MissingDocumentsFolderKeepsTheDialogOpenWithTablesActive) {
  Database();
  TdlgCorvenna& dialog = CreateDialog();
  ASSERT_TRUE(messages_.errorBoxes.empty()) << messages_.errorBoxes.front();
  dialog.show();
  database_.reset();
  fs::remove_all(home_.Documents());

  QTest::mouseClick(dialog.btnCancel, Qt::LeftButton);
  ASSERT_EQ(messages_.errorBoxes.size(), 1u);
  EXPECT_EQ(messages_.errorBoxes[0], "Could not determine My Documents path");
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_TRUE(DM().tblRoomType.Active());
  dialog.hide();
}

}  // namespace
}  // namespace corvenna::test
