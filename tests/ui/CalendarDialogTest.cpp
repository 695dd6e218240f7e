#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QContextMenuEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <cmath>
#include <functional>
#include <optional>
#include <string>

#include "platform/Clock.h"
#include "platform/DateTime.h"
#include "platform/FormatSettings.h"
#include "platform/ScopedEnv.h"
#include "support/RecordingMessages.h"
#include "ui/CalendarGrid.h"
#include "ui/CloseUpComboBox.h"
#include "ui/OtaCalendarDlg.h"

namespace corvenna {
namespace {

std::string Text(const QLabel* label) { return label->text().toStdString(); }
std::string Text(const QComboBox* list) { return list->currentText().toStdString(); }

QAbstractItemView* GridView(const TdlgOtaCalendar& dialog) {
  return dialog.Calendar->findChild<QAbstractItemView*>();
}

// The centre of the grid cell of a day of the shown month.
QPoint CellOfDay(QAbstractItemView* view, int day) {
  const QAbstractItemModel* model = view->model();
  for (int row = 1; row < model->rowCount(); ++row) {
    for (int column = 0; column < model->columnCount(); ++column) {
      const QModelIndex index = model->index(row, column);
      if ((index.flags() & Qt::ItemIsEnabled) && index.data().toInt() == day) {
        return view->visualRect(index).center();
      }
    }
  }
  ADD_FAILURE() << "no cell for day " << day;
  return {};
}

// WCAG 2 relative luminance and contrast ratio.
double Luminance(const QColor& color) {
  const auto linear = [](double channel) {
    return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * linear(color.redF()) + 0.7152 * linear(color.greenF()) + 0.0722 * linear(color.blueF());
}
double Contrast(const QColor& a, const QColor& b) {
  const double lighter = std::max(Luminance(a), Luminance(b)), darker = std::min(Luminance(a), Luminance(b));
  return (lighter + 0.05) / (darker + 0.05);
}

bool WaitFor(const std::function<bool()>& condition) { return QTest::qWaitFor(condition, 3000); }

class CalendarDialogTest : public ::testing::Test {
 protected:
  void SetToday(int year, int month, int day) {
    const TDateTime now = EncodeDate(year, month, day) + 0.5;
    SetClockForTesting([now] { return now; }, [now] { return now; });
  }
  void TearDown() override { ResetClock(); }

  // Runs SelectReportDate on `shown`; `whileOpen` acts inside the modal loop,
  // and the dialog is cancelled afterwards unless it was closed. A watchdog
  // ends the loop should anything keep it open.
  TDateTime Pick(TdlgOtaCalendar& dialog, TDateTime shown,
                 const std::function<void(TdlgOtaCalendar&)>& whileOpen = {}) {
    bool ran = false;
    QTimer::singleShot(0, &dialog, [&] {
      ran = true;
      if (whileOpen) whileOpen(dialog);
      if (dialog.isVisible()) dialog.btnCancel->click();
    });
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, &dialog, [&] {
      ADD_FAILURE() << "the dialog stayed open";
      dialog.done(-1);
    });
    watchdog.start(10000);
    TDateTime picked = -1;
    dialog.SelectReportDate(picked, shown);
    EXPECT_TRUE(ran);
    return picked;
  }

  ScopedFormatSettings format_{TFormatSettings{}};
  test::RecordingMessages messages_;
};

TEST_F(CalendarDialogTest, CreationBuildsTheFormAndFillsTheListsFromTodayAndTheLocale) {
  SetToday(2025, 6, 15);
  ScopedFormatSettings german(GermanFormatSettings());
  TdlgOtaCalendar dialog;

  EXPECT_EQ(dialog.windowTitle(), "Dialog");
  EXPECT_EQ(dialog.size(), QSize(369, 230));
  for (const char* name : {"Panel2", "pnlMonthDisplay", "btnPrevMonth", "btnNextMonth", "Panel3", "cbMonth",
                           "cbYear", "Panel1", "Calendar", "pnlEdit", "lblSelectedDate", "btnSelect",
                           "btnCancel"}) {
    EXPECT_NE(dialog.findChild<QWidget*>(name), nullptr) << name;
  }
  ASSERT_NE(dialog.findChild<QMenu*>("PopupMenu1"), nullptr);
  EXPECT_EQ(dialog.Calendar->firstDayOfWeek(), Qt::Sunday);

  ASSERT_EQ(dialog.cbYear->count(), 101);
  EXPECT_EQ(dialog.cbYear->itemText(0), "2035");
  EXPECT_EQ(dialog.cbYear->itemText(100), "1935");
  ASSERT_EQ(dialog.cbMonth->count(), 12);
  for (int i = 0; i < 12; ++i) {
    EXPECT_EQ(dialog.cbMonth->itemText(i).toStdString(), FormatSettings().ShortMonthNames[static_cast<size_t>(i)]);
  }
  EXPECT_EQ(dialog.cbYear->SelectedIndex(), -1);
  EXPECT_EQ(dialog.cbMonth->SelectedIndex(), -1);
  EXPECT_TRUE(messages_.errorBoxes.empty());
}

TEST_F(CalendarDialogTest, OpensOnTheDateHandedInAndDropsItsTimeOfDay) {
  SetToday(2025, 4, 10);
  TdlgOtaCalendar dialog;
  const TDateTime picked = Pick(dialog, EncodeDate(2025, 5, 31) + 0.75, [](TdlgOtaCalendar& d) {
    EXPECT_EQ(d.windowTitle(), "Report date");
    EXPECT_EQ(d.Calendar->Date(), EncodeDate(2025, 5, 31));
    EXPECT_EQ(Text(d.pnlMonthDisplay), "May 2025");
    EXPECT_EQ(Text(d.lblSelectedDate), "Saturday, 31 May 2025");
    EXPECT_EQ(Text(d.cbMonth), "May");
    EXPECT_EQ(Text(d.cbYear), "2025");
  });
  EXPECT_EQ(picked, EncodeDate(2025, 5, 31));
}

TEST_F(CalendarDialogTest, YearListFindsItsFirstAndLastEntryAndKeepsItsEntryOutsideThem) {
  SetToday(2025, 6, 15);
  struct Case {
    TDateTime shown;
    int monthStep;
    const char* yearText;
    const char* monthDisplay;
  } const cases[] = {
      {EncodeDate(1935, 7, 1), 0, "1935", "July 1935"},
      {EncodeDate(2035, 7, 1), 0, "2035", "July 2035"},
      {EncodeDate(1934, 7, 1), 0, "", "July 1934"},
      {EncodeDate(2036, 7, 1), 0, "", "July 2036"},
      {EncodeDate(1935, 1, 15), -1, "1935", "December 1934"},
      {EncodeDate(2035, 12, 15), +1, "2035", "January 2036"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.monthDisplay);
    TdlgOtaCalendar dialog;
    Pick(dialog, c.shown, [&](TdlgOtaCalendar& d) {
      if (c.monthStep < 0) d.btnPrevMonth->click();
      if (c.monthStep > 0) d.btnNextMonth->click();
      EXPECT_EQ(Text(d.cbYear), c.yearText);
      EXPECT_EQ(Text(d.pnlMonthDisplay), c.monthDisplay);
    });
  }
}

TEST_F(CalendarDialogTest, MonthButtonsKeepTheDayOrTakeTheTargetMonthsLastDay) {
  SetToday(2025, 6, 15);
  struct Case {
    TDateTime from;
    int step;
    TDateTime expected;
    const char* monthText;
    const char* yearText;
  } const cases[] = {
      {EncodeDate(2025, 3, 31), -1, EncodeDate(2025, 2, 28), "Feb", "2025"},
      {EncodeDate(2024, 3, 31), -1, EncodeDate(2024, 2, 29), "Feb", "2024"},
      {EncodeDate(2025, 1, 31), +1, EncodeDate(2025, 2, 28), "Feb", "2025"},
      {EncodeDate(2025, 12, 15), +1, EncodeDate(2026, 1, 15), "Jan", "2026"},
      {EncodeDate(2025, 1, 10), -1, EncodeDate(2024, 12, 10), "Dec", "2024"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(FormatIsoDate(c.from) + (c.step < 0 ? " back" : " on"));
    TdlgOtaCalendar dialog;
    const TDateTime picked = Pick(dialog, c.from, [&](TdlgOtaCalendar& d) {
      (c.step < 0 ? d.btnPrevMonth : d.btnNextMonth)->click();
      EXPECT_EQ(Text(d.cbMonth), c.monthText);
      EXPECT_EQ(Text(d.cbYear), c.yearText);
    });
    EXPECT_EQ(picked, c.expected);
  }
}

TEST_F(CalendarDialogTest, MonthArrowsAreDrawnInTheButtonTextColourAndStandOutFromTheButton) {
  TdlgOtaCalendar dialog;
  dialog.show();
  EXPECT_EQ(dialog.pnlMonthDisplay->palette().color(QPalette::WindowText).name().toStdString(), "#ffffff");
  for (const QToolButton* button : {dialog.btnPrevMonth, dialog.btnNextMonth}) {
    SCOPED_TRACE(button->objectName().toStdString());
    const QPalette& palette = button->palette();
    // Styles draw the arrow in one of the two text colours.
    for (const QPalette::ColorRole glyph : {QPalette::WindowText, QPalette::ButtonText}) {
      EXPECT_EQ(palette.color(glyph).name().toStdString(),
                QApplication::palette().color(QPalette::ButtonText).name().toStdString());
      EXPECT_GE(Contrast(palette.color(glyph), palette.color(QPalette::Button)), 4.5);
    }
  }
  dialog.hide();
}

TEST_F(CalendarDialogTest, MonthButtonsHaveAnAccessibleNameAndAToolTip) {
  TdlgOtaCalendar dialog;
  EXPECT_EQ(dialog.btnPrevMonth->accessibleName(), "Previous month");
  EXPECT_EQ(dialog.btnPrevMonth->toolTip(), "Previous month");
  EXPECT_EQ(dialog.btnNextMonth->accessibleName(), "Next month");
  EXPECT_EQ(dialog.btnNextMonth->toolTip(), "Next month");
}

// Dates with the longest day and month names must fit the label beside the
// buttons.
TEST_F(CalendarDialogTest, SelectedDateReadsInTheUsersLongDateFormatAndFits) {
  struct Case { const char* locale; TDateTime date; const char* text; };
  for (const Case& c : {Case{"en_US.UTF-8", EncodeDate(2026, 12, 11), "Friday, December 11, 2026"},
                        Case{"en_US.UTF-8", EncodeDate(2026, 9, 30), "Wednesday, September 30, 2026"},
                        Case{"de_DE.UTF-8", EncodeDate(2026, 12, 11), "Freitag, 11. Dezember 2026"},
                        Case{"de_DE.UTF-8", EncodeDate(2027, 9, 30), "Donnerstag, 30. September 2027"},
                        Case{"en_GB.UTF-8", EncodeDate(2026, 9, 30), "Wednesday, 30 September 2026"}}) {
    SCOPED_TRACE(c.locale);
    std::optional<ScopedFormatSettings> user;
    {
      test::ScopedEnv all("LC_ALL", c.locale);
      user.emplace(FormatSettingsFromLocale());
    }
    TdlgOtaCalendar dialog;
    Pick(dialog, c.date, [&c](TdlgOtaCalendar& d) {
      EXPECT_EQ(Text(d.lblSelectedDate), c.text);
      const QRect room = d.lblSelectedDate->contentsRect();
      const QRect used = d.lblSelectedDate->fontMetrics().boundingRect(room, Qt::TextWordWrap, d.lblSelectedDate->text());
      EXPECT_TRUE(room.contains(used)) << used.width() << "x" << used.height();
    });
  }
}

TEST_F(CalendarDialogTest, ListCloseUpsMoveToTheChosenMonthOrYearClampingTheDay) {
  SetToday(2025, 6, 15);
  struct Case {
    TDateTime from;
    bool yearList;
    QString item;
    TDateTime expected;
  } const cases[] = {
      {EncodeDate(2025, 3, 31), false, "Feb", EncodeDate(2025, 2, 28)},
      {EncodeDate(2024, 3, 31), false, "Feb", EncodeDate(2024, 2, 29)},
      {EncodeDate(2025, 1, 31), false, "Apr", EncodeDate(2025, 4, 30)},
      {EncodeDate(2024, 2, 29), true, "2023", EncodeDate(2023, 2, 28)},
      {EncodeDate(2024, 2, 29), true, "2028", EncodeDate(2028, 2, 29)},
      {EncodeDate(2025, 8, 15), true, "1935", EncodeDate(1935, 8, 15)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(FormatIsoDate(c.from) + " to " + c.item.toStdString());
    TdlgOtaCalendar dialog;
    const TDateTime picked = Pick(dialog, c.from, [&](TdlgOtaCalendar& d) {
      TCloseUpComboBox* list = c.yearList ? d.cbYear : d.cbMonth;
      list->SelectItem(list->findText(c.item));
      c.yearList ? d.cbYearCloseUp() : d.cbMonthCloseUp();
      EXPECT_EQ(d.Calendar->Date(), c.expected);
    });
    EXPECT_EQ(picked, c.expected);
  }
}

TEST_F(CalendarDialogTest, ChoosingInTheOpenMonthListMovesTheCalendarOnceTheListCloses) {
  SetToday(2025, 6, 15);
  TdlgOtaCalendar dialog;
  const TDateTime picked = Pick(dialog, EncodeDate(2025, 3, 31), [](TdlgOtaCalendar& d) {
    d.cbMonth->showPopup();
    QAbstractItemView* list = d.cbMonth->view();
    ASSERT_TRUE(WaitFor([list] { return list->isVisible(); }));
    list->setCurrentIndex(list->model()->index(1, 0));
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_TRUE(WaitFor([&d] { return d.Calendar->Date() == EncodeDate(2025, 2, 28); }));
    EXPECT_EQ(Text(d.pnlMonthDisplay), "February 2025");
  });
  EXPECT_EQ(picked, EncodeDate(2025, 2, 28));
}

TEST_F(CalendarDialogTest, TypedTextThatIsNoItemLeavesTheDateAndOnlyTheYearListComplains) {
  SetToday(2025, 6, 15);
  TdlgOtaCalendar dialog;
  const TDateTime picked = Pick(dialog, EncodeDate(2025, 3, 31), [this](TdlgOtaCalendar& d) {
    for (TCloseUpComboBox* list : {d.cbMonth, d.cbYear}) {
      list->lineEdit()->setText("xyz");
      list->showPopup();
      list->hidePopup();
      QTest::qWait(20);
    }
    EXPECT_EQ(d.Calendar->Date(), EncodeDate(2025, 3, 31));
    EXPECT_EQ(Text(d.cbMonth), "Mar");
    ASSERT_EQ(messages_.errorBoxes.size(), 1u);
    EXPECT_EQ(messages_.errorBoxes[0], "List index out of bounds (-1)");
  });
  EXPECT_EQ(picked, EncodeDate(2025, 3, 31));
}

TEST_F(CalendarDialogTest, ArrowKeysMoveTheDayWithinTheShownMonth) {
  SetToday(2025, 6, 15);
  TdlgOtaCalendar dialog;
  const TDateTime picked = Pick(dialog, EncodeDate(2025, 5, 28), [](TdlgOtaCalendar& d) {
    for (int i = 0; i < 5; ++i) QTest::keyClick(GridView(d), Qt::Key_Right);
    EXPECT_EQ(Text(d.lblSelectedDate), "Saturday, 31 May 2025");
    EXPECT_EQ(Text(d.pnlMonthDisplay), "May 2025");
    QTest::keyClick(GridView(d), Qt::Key_Up);
    EXPECT_EQ(Text(d.lblSelectedDate), "Saturday, 24 May 2025");
  });
  EXPECT_EQ(picked, EncodeDate(2025, 5, 24));
}

TEST_F(CalendarDialogTest, EveryWayOfClosingHandsBackTheDateShown) {
  SetToday(2025, 4, 1);
  enum class Close { Cancel, Escape, CloseBox, Select, DoubleClick };
  struct Case {
    const char* name;
    bool clickDay20;
    Close close;
    int result;
    TDateTime expected;
  } const cases[] = {
      {"cancel after moving", true, Close::Cancel, QDialog::Rejected, EncodeDate(2025, 5, 20)},
      {"cancel without moving", false, Close::Cancel, QDialog::Rejected, EncodeDate(2025, 5, 10)},
      {"escape", true, Close::Escape, QDialog::Rejected, EncodeDate(2025, 5, 20)},
      {"close box", true, Close::CloseBox, QDialog::Rejected, EncodeDate(2025, 5, 20)},
      {"select", true, Close::Select, QDialog::Accepted, EncodeDate(2025, 5, 20)},
      {"double click", true, Close::DoubleClick, QDialog::Accepted, EncodeDate(2025, 5, 20)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TdlgOtaCalendar dialog;
    const TDateTime picked = Pick(dialog, EncodeDate(2025, 5, 10), [&](TdlgOtaCalendar& d) {
      QAbstractItemView* grid = GridView(d);
      if (c.clickDay20) QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, CellOfDay(grid, 20));
      switch (c.close) {
        case Close::Cancel: d.btnCancel->click(); break;
        case Close::Escape: QTest::keyClick(grid, Qt::Key_Escape); break;
        case Close::CloseBox: d.close(); break;
        case Close::Select: d.btnSelect->click(); break;
        case Close::DoubleClick: QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, CellOfDay(grid, 20)); break;
      }
      EXPECT_FALSE(d.isVisible());
    });
    EXPECT_EQ(picked, c.expected);
    EXPECT_EQ(dialog.result(), c.result);
  }
}

TEST_F(CalendarDialogTest, NoContextMenuOverTheMonthAndYearLists) {
  SetToday(2025, 6, 15);
  TdlgOtaCalendar dialog;
  dialog.show();
  for (QWidget* target : std::initializer_list<QWidget*>{dialog.cbMonth, dialog.cbMonth->lineEdit(), dialog.cbYear,
                                                        dialog.cbYear->lineEdit()}) {
    SCOPED_TRACE(target->metaObject()->className());
    bool menuShown = false;
    QTimer closeAnyMenu;
    closeAnyMenu.setSingleShot(true);
    QObject::connect(&closeAnyMenu, &QTimer::timeout, [&] {
      if (QWidget* popup = QApplication::activePopupWidget()) {
        menuShown = true;
        popup->close();
      }
    });
    closeAnyMenu.start(200);
    const QPoint at = target->rect().center();
    QContextMenuEvent request(QContextMenuEvent::Mouse, at, target->mapToGlobal(at));
    QApplication::sendEvent(target, &request);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    EXPECT_FALSE(menuShown);
  }
  dialog.hide();
}

}  // namespace
}  // namespace corvenna
