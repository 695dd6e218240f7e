#pragma once
// The date-picking dialog: a month calendar with steps to the previous and the
// next month and lists of months and years. It hands back the date it shows
// however it is closed, so its caller cannot tell a choice from a cancel.
#include <QDialog>
#include <memory>

#include "platform/DateTime.h"

class QFrame;
class QLabel;
class QMenu;
class QPushButton;
class QToolButton;

namespace corvenna {

class TCalendarGrid;
class TCloseUpComboBox;

class TdlgOtaCalendar : public QDialog {
  Q_OBJECT

 public:
  // Builds the form, then runs FormCreate; a failure there is shown in the
  // platform's error box and the dialog exists anyway.
  explicit TdlgOtaCalendar(QWidget* parent = nullptr);
  ~TdlgOtaCalendar() override;

  // Shows the dialog modally on SelDate and hands back the date shown at close.
  void SelectReportDate(TDateTime& Returndate, TDateTime SelDate);

  // Published handlers.
  void FormCreate();
  void FormActivate();
  void btnPrevMonthClick();
  void btnNextMonthClick();
  void CalendarChange();
  void btnSelectClick();
  void CalendarDblClick();
  void cbMonthCloseUp();
  void cbYearCloseUp();
  void edtContextPopup(QObject* sender, bool& handled);

 protected:
  void showEvent(QShowEvent* event) override;
  void changeEvent(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildLayout();
  void BuildHeader();
  void BuildCalendarPanel();
  void BuildEditPanel();
  void ConnectHandlers();

  void ShowMonth();
  void ShowSelectedDate();

  // The button that Esc clicks.
  QPushButton* cancelButton_ = nullptr;

 public:
  // Controls, named as their object names.
  QFrame* Panel2 = nullptr;
  QLabel* pnlMonthDisplay = nullptr;
  QToolButton* btnPrevMonth = nullptr;
  QToolButton* btnNextMonth = nullptr;
  QFrame* Panel3 = nullptr;
  TCloseUpComboBox* cbMonth = nullptr;
  TCloseUpComboBox* cbYear = nullptr;
  QFrame* Panel1 = nullptr;
  TCalendarGrid* Calendar = nullptr;
  QFrame* pnlEdit = nullptr;
  QLabel* lblSelectedDate = nullptr;
  QPushButton* btnSelect = nullptr;
  QPushButton* btnCancel = nullptr;
  QMenu* PopupMenu1 = nullptr;
};

// The calendar of the running date button (created and destroyed by it).
extern std::unique_ptr<TdlgOtaCalendar> dlgOtaCalendar;

}  // namespace corvenna
