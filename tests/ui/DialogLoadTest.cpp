#include <QComboBox>
#include <QPalette>
#include <QTableView>

#include "data/OtaGfgIni.h"
#include "platform/Colors.h"
#include "platform/Text.h"
#include "ui/ComboBox.h"
#include "ui/QtColors.h"
#include "ui/RadioGroup.h"
#include "DialogFixture.h"

namespace corvenna::test {
namespace {

using DialogLoadTest = DialogTest;

std::string Money(double amount) { return CurrencyToText(Currency::FromDouble(amount)); }

TEST_F(DialogLoadTest, RoomTypeGridEnablesTheCountedTypesOneToSixteenOnly) {
  Database().AddRoom("101", 1, "Y", "", 80.0);
  Database().AddRoom("201", 2, "Y", "", 120.0);
  Database().AddRoom("301", 3, "N", "", 150.0);
  Database().AddRoom("401", 4, "Y", "", 95.5);
  Database().AddRoom("1701", 17, "Y", "", 60.0);
  for (int slot = 1; slot <= 16; ++slot) {
    const std::string number = std::to_string(slot);
    WriteType(slot, "T" + number);
    WriteCode(slot, "C" + number);
    WriteStopSale(slot, slot + 100);
  }
  TdlgCorvenna& dialog = CreateDialog();
  ASSERT_TRUE(messages_.errorBoxes.empty()) << messages_.errorBoxes.front();

  const std::map<int, double> enabled{{1, 80.0}, {2, 120.0}, {4, 95.5}};
  for (int slot = 1; slot <= 16; ++slot) {
    SCOPED_TRACE("slot " + std::to_string(slot));
    const TRoomTypeRow& row = dialog.Row(slot);
    const auto rate = enabled.find(slot);
    const bool on = rate != enabled.end();
    EXPECT_EQ(row.edtType->isEnabled(), on);
    EXPECT_EQ(row.edtCode->isEnabled(), on);
    EXPECT_EQ(row.edtRate->isEnabled(), on);
    EXPECT_EQ(row.edtStop->isEnabled(), on);
    EXPECT_EQ(row.lblType->isEnabled(), on);
    EXPECT_EQ(row.cbUpdate->isEnabled(), on);
    EXPECT_EQ(row.cbUpdate->isChecked(), on);
    EXPECT_EQ(Text(row.edtType), on ? "T" + std::to_string(slot) : "");
    EXPECT_EQ(Text(row.edtCode), on ? "C" + std::to_string(slot) : "");
    EXPECT_EQ(Text(row.edtRate), on ? Money(rate->second) : "0");
    EXPECT_EQ(Text(row.edtStop), on ? std::to_string(slot + 100) : "0");
  }
}

TEST_F(DialogLoadTest, RoomTypeGridTakesTheFirstRateOfATypeAndZeroForNull) {
  Database().AddRoom("501", 5, "Y", "", 80.0);
  Database().AddRoom("502", 5, "Y", "", 95.0);
  Database().AddRoom("601", 6, "Y", "", std::nullopt);
  TdlgCorvenna& dialog = CreateDialog();

  // Rows of one type come in the engine's order within the type; the first one counts.
  const auto firstRate = Database().Rows(
      "Select distinct RoomType, DoubleRate from RoomType Where (CalOccupancy <> 'N') Order by RoomType");
  ASSERT_EQ(firstRate.size(), 3u);
  EXPECT_EQ(Text(dialog.Row(5).edtRate), Money(firstRate[0][1].real()));
  EXPECT_EQ(Text(dialog.Row(6).edtRate), Money(0));
  EXPECT_TRUE(dialog.Row(6).edtRate->isEnabled());
}

TEST_F(DialogLoadTest, MaxAllocationZeroShowsTheNumberOfDistinctTypeAndRatePairs) {
  for (const auto& [room, type, rate] : std::vector<std::tuple<const char*, int, double>>{
           {"101", 1, 80}, {"102", 1, 80}, {"103", 1, 90}, {"201", 2, 120}}) {
    Database().AddRoom(room, type, "Y", "", rate);
  }
  Database().AddRoom("301", 3, "N", "", 70);

  WriteMaxAllocation(0);
  EXPECT_EQ(Text(CreateDialog().edtMaxAllocation), "3");
  EXPECT_EQ(AllocationLimit, 3);

  WriteMaxAllocation(12);
  EXPECT_EQ(Text(CreateDialog().edtMaxAllocation), "12");
}

TEST_F(DialogLoadTest, CodesOfATypeTheHostNoLongerHasStayHidden) {
  Database().AddRoom("101", 1, "Y", "", 80);
  WriteType(6, "DBL");
  WriteCode(6, "BAR");
  WriteStopSale(6, 4);
  TdlgCorvenna& dialog = CreateDialog();
  EXPECT_FALSE(dialog.Row(6).edtType->isEnabled());
  EXPECT_EQ(Text(dialog.Row(6).edtType), "");
  EXPECT_EQ(Text(dialog.Row(6).edtCode), "");
  EXPECT_EQ(Text(dialog.Row(6).edtStop), "0");
}

TEST_F(DialogLoadTest, DateRangeRunsThirtyDaysFromToday) {
  Database();
  struct Case {
    int year;
    const char* from;
    const char* to;
  };
  for (const Case& c : {Case{2025, "31/01/2025", "02/03/2025"}, Case{2024, "31/01/2024", "01/03/2024"}}) {
    SetToday(EncodeDate(c.year, 1, 31));
    TdlgCorvenna& dialog = CreateDialog();
    EXPECT_EQ(Text(dialog.edtFromDate), c.from);
    EXPECT_EQ(Text(dialog.edtToDate), c.to);
    EXPECT_EQ(StartDate, EncodeDate(c.year, 1, 31));
    EXPECT_EQ(EndDate, IncDay(StartDate, 30));
  }
}

TEST_F(DialogLoadTest, CompanySettingsAndOptionsComeFromTheRegistry) {
  Database();
  WriteUserName("frontdesk");
  WritePassword("pw");
  WriteSavePassword(false);
  WriteHotelCode("H42");
  WriteRequestorID("R7");
  WriteCorvennaAvailReqUlr("https://example.test/ota");
  WriteAutoStop(true);
  WriteUseDot(true);
  WriteCurrencyCode(2);
  WriteAutoCheck(4);
  WriteFullFlush(1);
  WriteFlushTime(13);
  TdlgCorvenna& dialog = CreateDialog();

  EXPECT_EQ(Text(dialog.edtHotelUserName), "frontdesk");
  EXPECT_EQ(Text(dialog.edtHotelPassword), "pw");  // shown whatever the remember flag says
  EXPECT_FALSE(dialog.cbRememberPassword->isChecked());
  EXPECT_EQ(Text(dialog.edtHotelCode), "H42");
  EXPECT_EQ(Text(dialog.edtRequestorID), "R7");
  EXPECT_EQ(Text(dialog.edtUrl), "https://example.test/ota");
  EXPECT_TRUE(dialog.cbAutoStop->isChecked());
  EXPECT_TRUE(dialog.cbUseDot->isChecked());
  EXPECT_EQ(dialog.cbCurrencyCode->count(), 11);
  EXPECT_EQ(dialog.cbCurrencyCode->currentText().toStdString(), "GBP - British pound");
  EXPECT_EQ(dialog.cbAutoCheck->currentIndex(), 4);
  EXPECT_EQ(dialog.cbFullFlush->currentIndex(), 1);
  EXPECT_EQ(dialog.cbFlushTime->currentText().toStdString(), "1:00 pm");
  EXPECT_EQ(dialog.cbFlushTime->itemText(0).toStdString(), "12:00 am");
  EXPECT_EQ(dialog.cbFlushTime->itemText(11).toStdString(), "11:00 am");
  EXPECT_EQ(dialog.cbFlushTime->itemText(12).toStdString(), "12:00 pm");
  EXPECT_EQ(dialog.rgAction->ItemIndex(), 0);
  EXPECT_EQ(dialog.rgAction->ItemCount(), 3);
  EXPECT_EQ(dialog.cbNumberDays->count(), 6);
  EXPECT_EQ(dialog.cbNumberDays->currentIndex(), 0);
}

TEST_F(DialogLoadTest, StoredIndexOutsideItsListSelectsNothing) {
  Database();
  for (int stored : {11, -1}) {
    WriteCurrencyCode(stored);
    WriteFlushTime(stored == 11 ? 24 : -1);
    TdlgCorvenna& dialog = CreateDialog();
    EXPECT_EQ(dialog.cbCurrencyCode->currentIndex(), -1) << stored;
    EXPECT_EQ(dialog.cbCurrencyCode->currentText().toStdString(), "") << stored;
    EXPECT_EQ(dialog.cbFlushTime->currentIndex(), -1) << stored;
  }
}

TEST_F(DialogLoadTest, StripeColourFallsBackToThreeDLightWhenNotLight) {
  Database();
  struct Case {
    const char* setting;  // nullptr: not stored
    TColor expected;
  };
  for (const Case& c : {Case{nullptr, clCream}, Case{"clBlack", cl3DLight}, Case{"clWhite", clWhite},
                        Case{"clRed", cl3DLight}}) {
    if (c.setting != nullptr) SetString(std::string(ScreenSettingsKey), "GridStripeColor", c.setting);
    TdlgCorvenna& dialog = CreateDialog();
    EXPECT_EQ(dialog.dbgGuest->palette().color(QPalette::AlternateBase), ToQColor(c.expected))
        << (c.setting ? c.setting : "default");
    EXPECT_TRUE(dialog.dbgGuest->alternatingRowColors());
  }
}

TEST_F(DialogLoadTest, RoomTypeLabelsShowTheHostDescriptionsOfEverySlot) {
  Database().AddRoom("101", 1, "Y", "", 80);
  SetString(std::string(PreferenceKey), "TypeDesc1", "Double");
  SetString(std::string(PreferenceKey), "TypeDesc12", "Suite");
  TdlgCorvenna& dialog = CreateDialog();
  EXPECT_EQ(Text(dialog.Row(1).lblType), "Double");
  EXPECT_EQ(Text(dialog.Row(2).lblType), "Type2");
  EXPECT_EQ(Text(dialog.Row(12).lblType), "Suite");  // disabled rows get theirs too
  EXPECT_FALSE(dialog.Row(12).lblType->isEnabled());
}

}  // namespace
}  // namespace corvenna::test
