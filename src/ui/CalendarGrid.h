#pragma once
// A month grid over the platform's calendar widget: one month at a time, weeks
// starting on Sunday, the user's clicks and arrow keys kept inside the shown
// month, so that the month shown is always the month of the date.
#include <QCalendarWidget>

#include "platform/DateTime.h"

namespace corvenna {

class TCalendarGrid : public QCalendarWidget {
  Q_OBJECT

 public:
  explicit TCalendarGrid(QWidget* parent = nullptr);

  // The selected day, without time of day.
  TDateTime Date() const;
  // Shows the month of the value and selects its day; raises `changed` when
  // the day differs from the one selected before.
  void SetDate(TDateTime value);
  int Day() const { return selectedDate().day(); }
  int Month() const { return selectedDate().month(); }
  int Year() const { return selectedDate().year(); }

 signals:
  void changed();
  void doubleClicked();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void ShowDate(QDate date);
};

}  // namespace corvenna
