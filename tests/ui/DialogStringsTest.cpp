#include <QTableView>
#include <filesystem>

#include "ui/ComboBox.h"
#include "ui/RadioGroup.h"
#include "DialogFixture.h"

namespace corvenna::test {
namespace {

using DialogStringsTest = DialogTest;

const std::vector<std::string*> kAllTexts{
    &rsBookingRetrival, &rsAvailabilityUpdate, &rsRateUpdate, &rsDontCheck, &rsDontUpdate, &rsEveryDay,
    &rsMinutes, &rsHours, &rsToday, &rsday, &rsdays, &rsClose, &rsError, &rsInformation, &rsNoreservation,
    &rsNoNewReservation, &rsNewReservation, &rsNewReservRecorded, &rsType, &rsCode, &rsBookingNo, &rsWrongDates,
    &rsFromAfterTo, &rsNoDays, &rsDontSelectMore, &rsCompany, &rsEnterCompany, &rsRoomType, &rsPleaseEnterRoomType,
    &rsRateCode, &rsPleaseEnterRateCode, &rsErrorSendingMessage, &rsGuestCode, &rsGuestID, &rsBookingDate,
    &rsArrivalDate, &rsRoomNo, &rsTravelAgent};

struct Copy {
  std::string* text;
  std::string* msg;
};
const std::vector<Copy> kCopies{{&rsError, &MsgError},
                                {&rsClose, &MsgClose},
                                {&rsInformation, &MsgInformation},
                                {&rsNoreservation, &MsgNoreservation},
                                {&rsNoNewReservation, &MsgNoNewReservation},
                                {&rsNewReservation, &MsgNewReservation},
                                {&rsNewReservRecorded, &MsgNewReservRecorded},
                                {&rsType, &MsgType},
                                {&rsCode, &MsgCode},
                                {&rsBookingNo, &MsgBookingNo}};

std::vector<std::string> GridTitles(const TdlgCorvenna& dialog) {
  std::vector<std::string> titles;
  const QAbstractItemModel* model = dialog.dbgGuest->model();
  for (int i = 0; i < model->columnCount(); ++i) {
    titles.push_back(model->headerData(i, Qt::Horizontal).toString().toStdString());
  }
  return titles;
}

std::vector<std::string> ExpectedTitles() {
  return {rsGuestID, rsGuestCode, rsBookingDate, rsArrivalDate, rsRoomNo, rsBookingNo, rsTravelAgent};
}

void FillMsgCopies(const std::string& text) {
  for (const Copy& copy : kCopies) *copy.msg = text;
}

TEST_F(DialogStringsTest, WithoutTheTranslationFileEveryTextAndTitleIsEmpty) {
  Database();
  FillMsgCopies("stale");
  TdlgCorvenna& dialog = CreateDialog();
  ASSERT_TRUE(messages_.errorBoxes.empty()) << messages_.errorBoxes.front();

  for (const std::string* text : kAllTexts) EXPECT_EQ(*text, "");
  for (const Copy& copy : kCopies) EXPECT_EQ(*copy.msg, "");
  EXPECT_EQ(GridTitles(dialog), std::vector<std::string>(7, ""));
  EXPECT_EQ(dialog.rgAction->Item(0).toStdString(), "");
  EXPECT_EQ(dialog.cbNumberDays->itemText(2).toStdString(), "7 ");
}

TEST_F(DialogStringsTest, ShippedFileWordsEveryTextAndFillsTheCopiesAndTitles) {
  Database();
  std::filesystem::copy_file(std::filesystem::path(CORVENNA_SOURCE_DIR) / "host" / "Language.sil", LanguageFile());
  TdlgCorvenna& dialog = CreateDialog();
  ASSERT_TRUE(messages_.errorBoxes.empty()) << messages_.errorBoxes.front();

  for (size_t i = 0; i < kAllTexts.size(); ++i) EXPECT_FALSE(kAllTexts[i]->empty()) << "text #" << i + 1;
  for (const Copy& copy : kCopies) EXPECT_EQ(*copy.msg, *copy.text);
  EXPECT_EQ(GridTitles(dialog), ExpectedTitles());
  EXPECT_EQ(dialog.rgAction->Item(1).toStdString(), rsAvailabilityUpdate);
  EXPECT_EQ(dialog.cbNumberDays->itemText(1).toStdString(), "1 " + rsday);
  EXPECT_EQ(dialog.cbAutoCheck->itemText(4).toStdString(), "1 " + rsHours);
}

TEST_F(DialogStringsTest, HostLanguageChoosesTheTextsWithLanguageOneAsFallback) {
  Database();
  WriteFileText(LanguageFile(),
                "[1] English\nrsToday = Today\nrsError = Error\nrsGuestID = ID\n"
                "[2] Nederlands\nrsToday = Vandaag\nrsError =\n");
  SetDword(std::string(MainWindowKey), "Language", 2);
  TdlgCorvenna& dialog = CreateDialog();

  EXPECT_EQ(rsToday, "Vandaag");
  EXPECT_EQ(rsError, "Error");
  EXPECT_EQ(MsgError, "Error");
  EXPECT_EQ(GridTitles(dialog)[0], "ID");
  EXPECT_EQ(dialog.cbNumberDays->itemText(0).toStdString(), "Vandaag");

  // A later switch refreshes the texts, copies and titles but not the lists built at creation.
  dialog.siLang1().LoadAllFromText("[1]\nrsToday = Today\nrsError = Error\nrsGuestID = ID\n[2]\nrsGuestID = Nr\n");
  EXPECT_EQ(GridTitles(dialog)[0], "Nr");
  dialog.siLang1().SetActiveLanguage(1);
  EXPECT_EQ(rsToday, "Today");
  EXPECT_EQ(GridTitles(dialog)[0], "ID");
  EXPECT_EQ(dialog.cbNumberDays->itemText(0).toStdString(), "Vandaag");
}

}  // namespace
}  // namespace corvenna::test
