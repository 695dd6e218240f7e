#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFontMetricsF>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QToolButton>
#include <cmath>

#include "data/OtaOpenTables.h"
#include "platform/ModuleInfo.h"
#include "ui/ComboBox.h"
#include "ui/RadioGroup.h"
#include "DialogFixture.h"

namespace corvenna::test {
namespace {

using DialogFormTest = DialogTest;

std::vector<std::string> GridTitles(const TdlgCorvenna& dialog) {
  std::vector<std::string> titles;
  const QAbstractItemModel* model = dialog.dbgGuest->model();
  for (int i = 0; i < model->columnCount(); ++i) {
    titles.push_back(model->headerData(i, Qt::Horizontal).toString().toStdString());
  }
  return titles;
}

// The control a focused widget belongs to, named as on the form: the page
// control's tab bar stands for the page control, an item for the action group.
std::string ControlName(const TdlgCorvenna& dialog, const QWidget* widget) {
  if (widget == dialog.PageControl->tabBar()) return "PageControl";
  if (widget->parentWidget() == dialog.rgAction) return "rgAction";
  return widget->objectName().toStdString();
}

// The controls that Tab (or Shift+Tab) visits from the user name until the
// focus is back there.
std::vector<std::string> FocusCycle(TdlgCorvenna& dialog, Qt::KeyboardModifiers modifiers) {
  constexpr int MostStops = 200;
  dialog.edtHotelUserName->setFocus();
  std::vector<std::string> visited;
  for (int i = 0; i < MostStops && (i == 0 || QApplication::focusWidget() != dialog.edtHotelUserName); ++i) {
    QWidget* focused = QApplication::focusWidget();
    if (focused == nullptr) break;
    visited.push_back(ControlName(dialog, focused));
    QTest::keyClick(focused, Qt::Key_Tab, modifiers);
  }
  return visited;
}

// The forward cycle with the room types 1 and 2 present; the date buttons and
// the update boxes take part only where the chosen action uses them.
std::vector<std::string> ExpectedTabCycle(bool dateButtons, bool updateBoxes) {
  std::vector<std::string> order{"edtHotelUserName", "edtHotelPassword", "edtHotelCode", "cbRememberPassword",
                                 "edtUrl",           "edtRequestorID",   "edtFromDate"};
  if (dateButtons) order.push_back("btnFromDate");
  order.push_back("edtToDate");
  if (dateButtons) order.push_back("btnToDate");
  order.insert(order.end(),
               {"cbAutoStop", "rgAction", "edtMaxAllocation", "cbUseDot", "cbCurrencyCode", "cbIncludingTax",
                "cbUseUTCTime", "cbAutoCheck", "cbFullFlush", "cbFlushTime", "cbRecalcOccupancy", "cbShowmessage"});
  for (const std::string slot : {"1", "2"}) {
    order.insert(order.end(), {"edtType" + slot, "edtCode" + slot, "edtRate" + slot, "edtStop" + slot});
    if (updateBoxes) order.push_back("cbUpdate" + slot);
  }
  order.insert(order.end(), {"btnSend", "btnCancel", "PageControl"});
  return order;
}

TEST(DialogVersionSuffixTest, WritesMinorReleaseAndBuildWithTwoDigitsAtLeast) {
  struct Case {
    TFileVersion version;
    const char* suffix;
  };
  for (const Case& c : {Case{{2, 1, 3, 45}, " - V2.01 R03 (build 45)"}, Case{{1, 0, 0, 0}, " - V1.00 R00 (build 00)"},
                        Case{{10, 12, 0, 7}, " - V10.12 R00 (build 07)"},
                        Case{{0, 9, 10, 65535}, " - V0.09 R10 (build 65535)"}}) {
    EXPECT_EQ(VersionSuffix(c.version), c.suffix);
  }
}

TEST_F(DialogFormTest, CreationLeavesTheFirstPageEmptyMemoHiddenXmlControlsAndVersionedCaption) {
  Database().AddRoom("101", 1, "Y", "", 80);
  TdlgCorvenna& dialog = CreateDialog();
  ASSERT_TRUE(messages_.errorBoxes.empty()) << messages_.errorBoxes.front();
  dialog.show();

  EXPECT_EQ(dialog.PageControl->currentWidget(), dialog.tsCompanyInfo);
  EXPECT_TRUE(dialog.Memo1->toPlainText().isEmpty());
  EXPECT_FALSE(dialog.edtXmlFile->isVisible());
  EXPECT_FALSE(dialog.btnSelectXml->isVisible());
  EXPECT_TRUE(DM().Quendale.Connected());
  EXPECT_TRUE(DM().tblRoomType.Active());
  EXPECT_TRUE(DM().tblOtaResponse.Active());
  EXPECT_EQ(dialog.width(), 861);

  TFileVersion own;
  ASSERT_TRUE(ReadFileVersion(GetLibraryFileName(), own.Major, own.Minor, own.Release, own.Build));
  EXPECT_EQ(dialog.windowTitle().toStdString(), "Corvenna V2" + VersionSuffix(own));
  dialog.hide();
}

TEST_F(DialogFormTest, DatabaseThatCannotBeOpenedStopsCreationWithOneErrorBox) {
  TdlgCorvenna& dialog = CreateDialog();  // no database file at all

  ASSERT_EQ(messages_.errorBoxes.size(), 1u);
  EXPECT_TRUE(messages_.tasks.empty());
  EXPECT_EQ(dialog.windowTitle().toStdString(), "Corvenna V2");
  EXPECT_EQ(Text(dialog.Row(1).lblType), "Type 1");
  EXPECT_EQ(Text(dialog.Row(16).lblType), "Type 16");
  EXPECT_EQ(GridTitles(dialog), (std::vector<std::string>{"ID", "Guest code", "Booking date", "Arrival date", "Room",
                                                           "Boooking no", "Travel agent"}));
  EXPECT_FALSE(DM().Quendale.Connected());
  dialog.show();
  EXPECT_TRUE(dialog.isVisible());
  dialog.hide();
}

TEST_F(DialogFormTest, TabKeyVisitsEachRoomRowBeforeTheNext) {
  Database().AddRoom("101", 1, "Y", "", 80);
  Database().AddRoom("201", 2, "Y", "", 90);
  TdlgCorvenna& dialog = CreateDialog();
  dialog.rgAction->SetItemIndex(2);  // the update boxes take part in the rate update only

  std::vector<QWidget*> expected;
  for (int slot = 1; slot <= 16; ++slot) {
    const TRoomTypeRow& row = dialog.Row(slot);
    expected.insert(expected.end(), {row.edtType, row.edtCode, row.edtRate, row.edtStop, row.cbUpdate});
  }
  std::vector<QWidget*> chain;
  QWidget* widget = dialog.Row(1).edtType;
  do {
    if (std::find(expected.begin(), expected.end(), widget) != expected.end()) chain.push_back(widget);
    widget = widget->nextInFocusChain();
  } while (widget != dialog.Row(1).edtType);
  EXPECT_EQ(chain, expected);

  dialog.show();
  QApplication::setActiveWindow(&dialog);
  dialog.Row(1).edtType->setFocus();
  std::vector<QWidget*> visited{QApplication::focusWidget()};
  for (int i = 0; i < 5; ++i) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    visited.push_back(QApplication::focusWidget());
  }
  EXPECT_EQ(visited, (std::vector<QWidget*>{dialog.Row(1).edtType, dialog.Row(1).edtCode, dialog.Row(1).edtRate,
                                            dialog.Row(1).edtStop, dialog.Row(1).cbUpdate, dialog.Row(2).edtType}));
  dialog.hide();
}

TEST_F(DialogFormTest, TabWalksTheSettingsPageGroupByGroupThenTheButtonsThenThePageTabs) {
  Database().AddRoom("101", 1, "Y", "", 80);
  Database().AddRoom("201", 2, "Y", "", 90);
  TdlgCorvenna& dialog = CreateDialog();
  dialog.show();
  QApplication::setActiveWindow(&dialog);
  struct Case {
    const char* state;
    int action;  // -1: as creation leaves it (the booking retrieval)
    bool dateButtons, updateBoxes;
  };
  for (const Case& c :
       {Case{"after creation", -1, false, false}, Case{"rate update chosen", RateUpdateAction, true, true}}) {
    SCOPED_TRACE(c.state);
    if (c.action >= 0) dialog.rgAction->SetItemIndex(c.action);
    EXPECT_EQ(FocusCycle(dialog, Qt::NoModifier), ExpectedTabCycle(c.dateButtons, c.updateBoxes));
  }
  EXPECT_TRUE(messages_.errorBoxes.empty());
  dialog.hide();
}

TEST_F(DialogFormTest, ShiftTabWalksTheSameCycleBackwards) {
  Database().AddRoom("101", 1, "Y", "", 80);
  Database().AddRoom("201", 2, "Y", "", 90);
  TdlgCorvenna& dialog = CreateDialog();
  dialog.show();
  QApplication::setActiveWindow(&dialog);

  std::vector<std::string> expected = ExpectedTabCycle(false, false);
  std::reverse(expected.begin() + 1, expected.end());
  EXPECT_EQ(FocusCycle(dialog, Qt::ShiftModifier), expected);
  dialog.hide();
}

TEST_F(DialogFormTest, TabLeavesTheResultMemoForTheButtons) {
  Database();
  TdlgCorvenna& dialog = CreateDialog();
  dialog.show();
  QApplication::setActiveWindow(&dialog);
  dialog.PageControl->setCurrentWidget(dialog.tsResult);
  dialog.Memo1->setPlainText("<a/>");
  dialog.Memo1->setFocus();

  QTest::keyClick(dialog.Memo1, Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), dialog.btnSend);
  EXPECT_EQ(dialog.Memo1->toPlainText().toStdString(), "<a/>");
  dialog.hide();
}

TEST_F(DialogFormTest, ActionChoiceShowsUpdateBoxesAndEnablesDatesAsNeeded) {
  Database().AddRoom("101", 1, "Y", "", 80);
  TdlgCorvenna& dialog = CreateDialog();
  dialog.show();
  struct Case {
    int action;
    bool boxes;
    bool dates;
  };
  for (const Case& c : {Case{2, true, true}, Case{0, false, false}, Case{1, false, true}, Case{2, true, true}}) {
    SCOPED_TRACE("action " + std::to_string(c.action));
    dialog.rgAction->SetItemIndex(c.action);
    EXPECT_EQ(dialog.Row(1).cbUpdate->isVisible(), c.boxes);
    EXPECT_EQ(dialog.Row(16).cbUpdate->isVisible(), c.boxes);
    EXPECT_EQ(dialog.lblUpdate->isVisible(), c.boxes);
    EXPECT_EQ(dialog.btnFromDate->isEnabled(), c.dates);
    EXPECT_EQ(dialog.btnToDate->isEnabled(), c.dates);
    EXPECT_EQ(dialog.lblFromDate->isEnabled(), c.dates);
    EXPECT_TRUE(dialog.edtFromDate->isEnabled());
    const QColor expected = c.dates ? QColor(Qt::black) : dialog.edtFromDate->palette().color(QPalette::Text);
    EXPECT_EQ(dialog.edtToDate->palette().color(QPalette::Text), expected);
    EXPECT_EQ(dialog.cbSelectDates->palette().color(QPalette::WindowText), expected);
    if (!c.dates) {
      EXPECT_NE(expected, QColor(Qt::black));
    }
  }
  dialog.hide();
}

TEST_F(DialogFormTest, OnlyTheCancelButtonClosesTheDialogNotEscapeOrEnter) {
  Database();
  TdlgCorvenna& dialog = CreateDialog();
  dialog.show();
  QApplication::setActiveWindow(&dialog);
  dialog.edtHotelUserName->setFocus();
  QTest::keyClick(dialog.edtHotelUserName, Qt::Key_Escape);
  QTest::keyClick(dialog.edtHotelUserName, Qt::Key_Return);
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_TRUE(DM().Quendale.Connected());

  QTest::mouseClick(dialog.btnCancel, Qt::LeftButton);
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(dialog.result(), QDialog::Rejected);
  EXPECT_FALSE(DM().tblRoomType.Active());
  EXPECT_FALSE(DM().Quendale.Connected());
}

TEST_F(DialogFormTest, PasswordShowsAnAsteriskForEveryCharacter) {
  Database();
  TdlgCorvenna& dialog = CreateDialog();
  dialog.show();
  dialog.edtHotelPassword->setText(QStringLiteral("s3cret&<"));
  EXPECT_EQ(dialog.edtHotelPassword->displayText().toStdString(), "********");
  EXPECT_EQ(Text(dialog.edtHotelPassword), "s3cret&<");
  dialog.hide();
}

// Plays the dialog under another widget style while it lives.
class ScopedApplicationStyle {
 public:
  explicit ScopedApplicationStyle(const QString& name) : previous_(QApplication::style()->name()) {
    QApplication::setStyle(name);
  }
  ~ScopedApplicationStyle() { QApplication::setStyle(previous_); }
  ScopedApplicationStyle(const ScopedApplicationStyle&) = delete;
  ScopedApplicationStyle& operator=(const ScopedApplicationStyle&) = delete;

 private:
  QString previous_;
};

TEST_F(DialogFormTest, CurrencyListOpensWideEnoughForEveryItemWhileTheBoxKeepsItsWidth) {
  Database();
  // The default style widens a list by itself; the classic one keeps it at the box's width.
  for (const char* styleName : {"", "windows"}) {
    SCOPED_TRACE(*styleName ? styleName : "default style");
    std::optional<ScopedApplicationStyle> style;
    if (*styleName) {
      style.emplace(QString::fromLatin1(styleName));
      ASSERT_EQ(QApplication::style()->name().toStdString(), styleName);
    }
    TdlgCorvenna& dialog = CreateDialog();
    dialog.show();
    TComboBox* currencies = dialog.cbCurrencyCode;
    EXPECT_EQ(currencies->width(), 110);

    currencies->showPopup();
    const QAbstractItemView* list = currencies->view();
    ASSERT_TRUE(QTest::qWaitFor([list] { return list->isVisible(); }, 3000));
    // The list's items draw their text inside these margins.
    const int textMargins = 2 * (list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, list) + 1);
    ASSERT_EQ(currencies->count(), 11);
    for (int i = 0; i < currencies->count(); ++i) {
      const QString item = currencies->itemText(i);
      const int textWidth = static_cast<int>(std::ceil(QFontMetricsF(list->font()).horizontalAdvance(item)));
      EXPECT_LE(textWidth + textMargins, list->viewport()->width()) << item.toStdString();
    }
    currencies->hidePopup();
    dialog.hide();
  }
}

TEST_F(DialogFormTest, MemoMenuSelectsAllAndCopiesLinesAsPlainText) {
  Database();
  TdlgCorvenna& dialog = CreateDialog();
  dialog.Memo1->setPlainText("<--ReadRQ-->\n\n<a/>");
  dialog.pmuCopy->trigger();  // nothing selected: an empty text
  EXPECT_EQ(QApplication::clipboard()->text().toStdString(), "");
  dialog.pmuSelectAll->trigger();
  dialog.pmuCopy->trigger();
  EXPECT_EQ(QApplication::clipboard()->text().toStdString(), "<--ReadRQ-->\n\n<a/>");
}

}  // namespace
}  // namespace corvenna::test
