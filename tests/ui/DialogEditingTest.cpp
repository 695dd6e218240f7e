#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QFocusEvent>
#include <QTabWidget>
#include <QTableView>
#include <QTest>

#include "data/OtaGfgIni.h"
#include "ui/ComboBox.h"
#include "DialogFixture.h"

namespace corvenna::test {
namespace {

using DialogEditingTest = DialogTest;
using LatestReservationsTest = DialogTest;

void SendFocus(QWidget* field, QEvent::Type type, Qt::FocusReason reason = Qt::TabFocusReason) {
  QFocusEvent event(type, reason);
  QApplication::sendEvent(field, &event);
}
void Enter(QWidget* field) { SendFocus(field, QEvent::FocusIn); }
void Leave(QWidget* field) { SendFocus(field, QEvent::FocusOut); }

std::string Money(double amount) { return CurrencyToText(Currency::FromDouble(amount)); }

enum class Field { Rate, Stop, MaxAllocation };

QLineEdit* FieldOf(TdlgCorvenna& dialog, Field field) {
  switch (field) {
    case Field::Rate:
      return dialog.Row(1).edtRate;
    case Field::Stop:
      return dialog.Row(1).edtStop;
    default:
      return dialog.edtMaxAllocation;
  }
}

// Types into the field, key by key: text characters, then the named keys.
void Type(QLineEdit* field, const std::string& characters) {
  for (const char c : characters) {
    switch (c) {
      case '\b':
        QTest::keyClick(field, Qt::Key_Backspace);
        break;
      case '\r':
        QTest::keyClick(field, Qt::Key_Return);
        break;
      case '\x16':  // Ctrl+V
        QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
        break;
      default:
        QTest::keyClick(field, c);
    }
  }
}

TEST_F(DialogEditingTest, KeyFiltersLetThroughDigitsBackspaceAndTheRateFieldsDecimalSeparatorOnly) {
  Database().AddRoom("101", 1, "Y", "", 80);
  TdlgCorvenna& dialog = CreateDialog();
  QApplication::clipboard()->setText("77");
  struct Case {
    const char* name;
    Field field;
    bool german;
    std::string keys;
    std::string expected;
  };
  const std::vector<Case> cases{
      {"German rate: comma kept, full stop dropped", Field::Rate, true, "12,.5", "12,5"},
      {"English rate: full stop kept, comma dropped", Field::Rate, false, "12,.5", "12.5"},
      {"rate drops letters, minus, blank, Enter, Ctrl+V", Field::Rate, false, "1a- \r\x16" "2", "12"},
      {"Backspace works in a rate", Field::Rate, true, "123\b4", "124"},
      {"stop sale takes no separator", Field::Stop, true, "1,.5", "15"},
      {"stop sale drops the rest too", Field::Stop, false, "7a- \r\x16\b9", "9"},
      {"allocation takes digits and Backspace only", Field::MaxAllocation, false, "4,.a- \r\x16" "56\b", "45"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScopedFormatSettings locale(c.german ? GermanFormatSettings() : EnglishFormatSettings());
    QLineEdit* field = FieldOf(dialog, c.field);
    field->clear();
    Type(field, c.keys);
    EXPECT_EQ(Text(field), c.expected);
  }
  EXPECT_TRUE(messages_.errorBoxes.empty());

  // A separator beyond the low codes is not typed, nor is the character of its low byte.
  TFormatSettings arabic = EnglishFormatSettings();
  arabic.DecimalSeparator = "\u066B";
  ScopedFormatSettings locale(arabic);
  for (const char16_t typed : {u'\u066B', u'k'}) {
    char16_t key = typed;
    dialog.edtRate1KeyPress(dialog.Row(1).edtRate, key);
    EXPECT_EQ(key, 0) << static_cast<int>(typed);
  }
}

TEST_F(DialogEditingTest, RateIsEditedAsAPlainNumberAndShownAsMoneyWhenLeft) {
  Database().AddRoom("101", 1, "Y", "", 80);
  TdlgCorvenna& dialog = CreateDialog();
  QLineEdit* rate = dialog.Row(1).edtRate;
  ASSERT_EQ(Text(rate), Money(80));

  Enter(rate);
  EXPECT_EQ(Text(rate), "80");
  EXPECT_EQ(rate->selectedText(), rate->text());

  struct Case {
    bool german;
    std::string typed;
    int64_t raw;
    std::string edited;  // the text on entering again: the money text's amount
  };
  for (const Case& c : {Case{true, "12,5", 125000, "12,5"}, Case{false, "1234.5", 12345000, "1234.5"},
                        Case{false, "12.34567", 123457, "12.35"}, Case{false, "12.3456", 123456, "12.35"},
                        Case{false, "", 0, "0"}}) {
    SCOPED_TRACE(c.typed);
    ScopedFormatSettings locale(c.german ? GermanFormatSettings() : EnglishFormatSettings());
    rate->setText(QString::fromStdString(c.typed));
    Leave(rate);
    EXPECT_EQ(LastRateValue.raw, c.raw);
    EXPECT_EQ(Text(rate), CurrencyToText(Currency::FromRaw(c.raw)));
    Enter(rate);
    EXPECT_EQ(Text(rate), c.edited);
  }
  EXPECT_TRUE(messages_.errorBoxes.empty());
}

TEST_F(DialogEditingTest, ClickIntoARateFieldSelectsTheAmountSoTypingReplacesIt) {
  Database().AddRoom("101", 1, "Y", "", 89);
  Database().AddRoom("201", 2, "Y", "", 90);
  TdlgCorvenna& dialog = CreateDialog();
  dialog.show();
  QApplication::setActiveWindow(&dialog);
  dialog.edtHotelUserName->setFocus();

  QLineEdit* rate = dialog.Row(1).edtRate;
  QTest::mouseClick(rate, Qt::LeftButton, {}, rate->rect().center());
  ASSERT_TRUE(rate->hasFocus());
  EXPECT_EQ(rate->selectedText().toStdString(), "89");
  QTest::keyClicks(rate, "12.5");
  EXPECT_EQ(Text(rate), "12.5");

  // Once inside, a click puts the cursor where it lands.
  rate->selectAll();
  QTest::mouseClick(rate, Qt::LeftButton, {}, rate->rect().center());
  EXPECT_FALSE(rate->hasSelectedText());

  // From one rate field into the next.
  QLineEdit* next = dialog.Row(2).edtRate;
  QTest::mouseClick(next, Qt::LeftButton, {}, next->rect().center());
  ASSERT_TRUE(next->hasFocus());
  EXPECT_EQ(next->selectedText().toStdString(), "90");
  EXPECT_TRUE(messages_.errorBoxes.empty());
  dialog.hide();
}

TEST_F(DialogEditingTest, RateThatIsNoNumberKeepsItsTextAndTheLastValue) {
  Database().AddRoom("101", 1, "Y", "", 80);
  TdlgCorvenna& dialog = CreateDialog();
  ScopedFormatSettings german(GermanFormatSettings());
  QLineEdit* rate = dialog.Row(1).edtRate;
  rate->setText("3,5");
  Leave(rate);
  ASSERT_EQ(LastRateValue.raw, 35000);

  for (const char* text : {"1,2,3", ","}) {
    SCOPED_TRACE(text);
    messages_.errorBoxes.clear();
    rate->setText(text);
    Leave(rate);
    EXPECT_EQ(Text(rate), text);
    EXPECT_EQ(LastRateValue.raw, 35000);
    ASSERT_EQ(messages_.errorBoxes.size(), 1u);
    EXPECT_EQ(messages_.errorBoxes[0], "'" + std::string(text) + "' is not a valid floating point value");
  }

  // Pasted from the edit's own menu, the text is unreadable on entering too
  // (clicked into, so that the edit itself selects nothing).
  messages_.errorBoxes.clear();
  rate->setText("abc");
  SendFocus(rate, QEvent::FocusIn, Qt::MouseFocusReason);
  EXPECT_EQ(messages_.errorBoxes.size(), 1u);
  EXPECT_EQ(Text(rate), "abc");
  EXPECT_FALSE(rate->hasSelectedText());
}

TEST_F(DialogEditingTest, WindowActivationAndContextMenusNeitherEnterNorLeaveTheRate) {
  Database().AddRoom("101", 1, "Y", "", 80);
  TdlgCorvenna& dialog = CreateDialog();
  QLineEdit* rate = dialog.Row(1).edtRate;
  Enter(rate);
  ASSERT_EQ(Text(rate), "80");
  SendFocus(rate, QEvent::FocusOut, Qt::ActiveWindowFocusReason);
  SendFocus(rate, QEvent::FocusOut, Qt::PopupFocusReason);
  EXPECT_EQ(Text(rate), "80");
  Leave(rate);
  EXPECT_EQ(Text(rate), Money(80));
  SendFocus(rate, QEvent::FocusIn, Qt::ActiveWindowFocusReason);
  EXPECT_EQ(Text(rate), Money(80));
}

class LatestReservationsQueryTest : public LatestReservationsTest {
 protected:
  // Today is 10 March 2025.
  void SeedBookings() {
    SetToday(EncodeDate(2025, 3, 10));
    struct Seed {
      const char* code;
      TDateTime booked;
      int32_t gurantee;
      std::optional<bool> cancelled;
    };
    for (const Seed& s : {Seed{"TODAY", EncodeDateTime(2025, 3, 10, 8, 0, 0, 0), 9, false},
                          Seed{"MAR03", EncodeDate(2025, 3, 3), 9, std::nullopt},
                          Seed{"MAR05", EncodeDateTime(2025, 3, 5, 17, 0, 0, 0), 9, false},
                          Seed{"MAR02", EncodeDateTime(2025, 3, 2, 23, 59, 0, 0), 9, false},
                          Seed{"OTHERKIND", EncodeDate(2025, 3, 10), 1, false},
                          Seed{"CANCELLED", EncodeDate(2025, 3, 9), 9, true}}) {
      BookingRow row;
      row.roomNumber = "101";
      row.guestCode = s.code;
      row.bookingDate = s.booked;
      row.arrival = EncodeDate(2025, 4, 1);
      row.departure = EncodeDate(2025, 4, 2);
      row.gurantee = s.gurantee;
      row.cancelled = s.cancelled;
      Database().AddBooking(row);
    }
  }
  std::vector<std::string> ListedGuestCodes() {
    std::vector<std::string> codes;
    const QAbstractItemModel* model = Dialog().dbgGuest->model();
    for (int row = 0; row < model->rowCount(); ++row)
      codes.push_back(model->data(model->index(row, 1)).toString().toStdString());
    return codes;
  }
};

TEST_F(LatestReservationsQueryTest, PageListsImportedUncancelledBookingsOfTheChosenDaysNewestFirst) {
  SeedBookings();
  TdlgCorvenna& dialog = CreateDialog();
  dialog.PageControl->setCurrentIndex(2);
  EXPECT_EQ(ListedGuestCodes(), std::vector<std::string>{"TODAY"});

  dialog.cbNumberDays->setCurrentIndex(2);
  dialog.cbNumberDaysCloseUp();
  EXPECT_EQ(ListedGuestCodes(), (std::vector<std::string>{"TODAY", "MAR05", "MAR03"}));
  EXPECT_TRUE(messages_.errorBoxes.empty());
}

TEST_F(LatestReservationsQueryTest, OnlyTheLatestReservationPageRunsTheQuery) {
  SeedBookings();
  TdlgCorvenna& dialog = CreateDialog();
  dialog.PageControl->setCurrentIndex(1);
  EXPECT_FALSE(DM().qryGuestData.Active());
  dialog.PageControl->setCurrentIndex(2);
  EXPECT_TRUE(DM().qryGuestData.Active());
}

TEST_F(LatestReservationsQueryTest, ChoosingFromTheOpenDayListListsTheNewChoice) {
  SeedBookings();
  TdlgCorvenna& dialog = CreateDialog();
  dialog.show();
  dialog.PageControl->setCurrentIndex(2);
  ASSERT_EQ(ListedGuestCodes(), std::vector<std::string>{"TODAY"});

  TComboBox* days = dialog.cbNumberDays;
  days->showPopup();
  QAbstractItemView* list = days->view();
  ASSERT_TRUE(QTest::qWaitFor([list] { return list->isVisible(); }, 3000));
  list->setCurrentIndex(list->model()->index(2, 0));
  QTest::keyClick(list, Qt::Key_Return);
  EXPECT_TRUE(QTest::qWaitFor([this] { return ListedGuestCodes().size() == 3; }, 3000));
  EXPECT_EQ(days->currentIndex(), 2);
  dialog.hide();
}

TEST_F(LatestReservationsQueryTest, QueryFailureIsReportedAndTheGridStaysEmpty) {
  SeedBookings();
  TdlgCorvenna& dialog = CreateDialog();
  dialog.PageControl->setCurrentIndex(2);
  ASSERT_EQ(ListedGuestCodes().size(), 1u);
  dialog.PageControl->setCurrentIndex(0);
  Database().Exec("ALTER TABLE GuestData RENAME COLUMN Gurantee TO Guarantee");
  dialog.PageControl->setCurrentIndex(2);
  EXPECT_EQ(messages_.errorBoxes.size(), 1u);
  EXPECT_TRUE(ListedGuestCodes().empty());
}

}  // namespace
}  // namespace corvenna::test
