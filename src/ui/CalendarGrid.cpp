#include "ui/CalendarGrid.h"

#include <QAbstractItemView>
#include <QEvent>
#include <algorithm>

namespace corvenna {
namespace {

QDate FirstOfMonth(QDate date) { return QDate(date.year(), date.month(), 1); }
QDate LastOfMonth(QDate date) { return QDate(date.year(), date.month(), date.daysInMonth()); }

}  // namespace

TCalendarGrid::TCalendarGrid(QWidget* parent) : QCalendarWidget(parent) {
  setFirstDayOfWeek(Qt::Sunday);
  setHorizontalHeaderFormat(QCalendarWidget::ShortDayNames);
  setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
  setNavigationBarVisible(false);
  // Typing digits would open an inline date editor that can leave the month.
  setDateEditEnabled(false);
  setGridVisible(true);
  ShowDate(selectedDate());
  connect(this, &QCalendarWidget::selectionChanged, this, &TCalendarGrid::changed);
  if (auto* view = findChild<QAbstractItemView*>()) view->viewport()->installEventFilter(this);
}

TDateTime TCalendarGrid::Date() const {
  const QDate date = selectedDate();
  return EncodeDate(date.year(), date.month(), date.day());
}

void TCalendarGrid::SetDate(TDateTime value) {
  int year = 0, month = 0, day = 0;
  DecodeDate(value, year, month, day);
  ShowDate(QDate(year, month, day));
}

// The selectable range is the shown month; widening it first keeps the old
// day from being clamped on the way, so one step raises one change.
void TCalendarGrid::ShowDate(QDate date) {
  setDateRange(std::min(minimumDate(), FirstOfMonth(date)), std::max(maximumDate(), LastOfMonth(date)));
  setSelectedDate(date);
  setDateRange(FirstOfMonth(date), LastOfMonth(date));
}

bool TCalendarGrid::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonDblClick) emit doubleClicked();
  return QCalendarWidget::eventFilter(watched, event);
}

}  // namespace corvenna
