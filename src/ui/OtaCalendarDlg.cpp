#include "ui/OtaCalendarDlg.h"

#include <QContextMenuEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QShowEvent>
#include <QToolButton>
#include <algorithm>
#include <exception>
#include <utility>

#include "platform/Clock.h"
#include "platform/Errors.h"
#include "platform/FormatSettings.h"
#include "platform/Messages.h"
#include "platform/Text.h"
#include "ui/CalendarGrid.h"
#include "ui/CloseUpComboBox.h"
#include "ui/QtColors.h"

namespace corvenna {

std::unique_ptr<TdlgOtaCalendar> dlgOtaCalendar;

namespace {

// Handed in, kept equal to the calendar's date while the dialog is open, and
// handed back; it outlives the dialog.
TDateTime SelectedDate = 0;

template <class Handler>
void Guarded(Handler&& handler) {
  try {
    handler();
  } catch (const std::exception& error) {
    ShowErrorBox(error.what());
  }
}

void FillBackground(QWidget* widget, TColor color) {
  widget->setAutoFillBackground(true);
  QPalette palette = widget->palette();
  palette.setColor(QPalette::Window, ToQColor(color));
  widget->setPalette(palette);
}

void SetTextLook(QWidget* widget, const QColor& color, bool bold) {
  QPalette palette = widget->palette();
  palette.setColor(QPalette::WindowText, color);
  widget->setPalette(palette);
  QFont font = widget->font();
  font.setPointSize(8);
  font.setBold(bold);
  widget->setFont(font);
}

// The month display's white caption colour would reach its arrow buttons,
// and styles draw an arrow in the window text or the button text colour.
void DrawGlyphInButtonText(QToolButton* button) {
  QPalette palette = button->palette();
  for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
    palette.setColor(group, QPalette::WindowText, palette.color(group, QPalette::ButtonText));
  }
  button->setPalette(palette);
}

template <class Widget, class Parent>
Widget* MakeNamed(Parent* parent, const char* name, QRect geometry) {
  auto* widget = new Widget(parent);
  widget->setObjectName(name);
  widget->setGeometry(geometry);
  return widget;
}

QString ToQString(const std::string& text) { return QString::fromStdString(text); }

int YearOf(TDateTime value) {
  int year = 0, month = 0, day = 0;
  DecodeDate(value, year, month, day);
  return year;
}

}  // namespace

TdlgOtaCalendar::TdlgOtaCalendar(QWidget* parent) : QDialog(parent) {
  BuildLayout();
  ConnectHandlers();
  Guarded([this] { FormCreate(); });
}

TdlgOtaCalendar::~TdlgOtaCalendar() = default;

void TdlgOtaCalendar::BuildLayout() {
  setObjectName("dlgOtaCalendar");
  setWindowTitle("Dialog");
  setFixedSize(369, 230);
  BuildHeader();
  BuildCalendarPanel();
  BuildEditPanel();
  PopupMenu1 = new QMenu(this);
  PopupMenu1->setObjectName("PopupMenu1");
}

void TdlgOtaCalendar::BuildHeader() {
  Panel2 = MakeNamed<QFrame>(this, "Panel2", {0, 0, 369, 41});

  pnlMonthDisplay = MakeNamed<QLabel>(Panel2, "pnlMonthDisplay", {0, 0, 210, 41});
  pnlMonthDisplay->setAlignment(Qt::AlignCenter);
  FillBackground(pnlMonthDisplay, clActiveCaption);
  SetTextLook(pnlMonthDisplay, Qt::white, true);
  btnPrevMonth = MakeNamed<QToolButton>(pnlMonthDisplay, "btnPrevMonth", {4, 8, 25, 25});
  btnPrevMonth->setArrowType(Qt::LeftArrow);
  btnNextMonth = MakeNamed<QToolButton>(pnlMonthDisplay, "btnNextMonth", {181, 8, 25, 25});
  btnNextMonth->setArrowType(Qt::RightArrow);
  for (QToolButton* button : {btnPrevMonth, btnNextMonth}) DrawGlyphInButtonText(button);
  // The arrows alone tell a screen reader nothing.
  for (const auto& [button, name] : {std::pair{btnPrevMonth, "Previous month"}, std::pair{btnNextMonth, "Next month"}}) {
    button->setAccessibleName(QString::fromLatin1(name));
    button->setToolTip(QString::fromLatin1(name));
  }

  Panel3 = MakeNamed<QFrame>(Panel2, "Panel3", {210, 0, 159, 41});
  FillBackground(Panel3, clActiveCaption);
  cbMonth = MakeNamed<TCloseUpComboBox>(Panel3, "cbMonth", {8, 10, 60, 22});
  cbYear = MakeNamed<TCloseUpComboBox>(Panel3, "cbYear", {76, 10, 60, 22});
  for (TCloseUpComboBox* list : {cbMonth, cbYear}) {
    list->setMaxVisibleItems(12);
    list->installEventFilter(this);
    list->lineEdit()->installEventFilter(this);
  }
}

void TdlgOtaCalendar::BuildCalendarPanel() {
  Panel1 = MakeNamed<QFrame>(this, "Panel1", {0, 41, 369, 148});
  Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  FillBackground(Panel1, clWindow);
  Calendar = MakeNamed<TCalendarGrid>(Panel1, "Calendar", {9, 9, 351, 130});
}

void TdlgOtaCalendar::BuildEditPanel() {
  pnlEdit = MakeNamed<QFrame>(this, "pnlEdit", {0, 189, 369, 41});
  // Two lines high: the long dates of some locales are wider than the room
  // beside the buttons.
  lblSelectedDate = MakeNamed<QLabel>(pnlEdit, "lblSelectedDate", {8, 4, 180, 33});
  lblSelectedDate->setWordWrap(true);
  SetTextLook(lblSelectedDate, Qt::black, false);
  btnSelect = MakeNamed<QPushButton>(pnlEdit, "btnSelect", {193, 8, 80, 25});
  btnSelect->setText("Select");
  btnCancel = MakeNamed<QPushButton>(pnlEdit, "btnCancel", {281, 8, 80, 25});
  btnCancel->setText("Cancel");
  setTabOrder(btnSelect, btnCancel);
}

void TdlgOtaCalendar::ConnectHandlers() {
  const auto handle = [this](auto* sender, auto signal, void (TdlgOtaCalendar::*handler)()) {
    connect(sender, signal, this, [this, handler] { Guarded([this, handler] { (this->*handler)(); }); });
  };
  handle(btnPrevMonth, &QToolButton::clicked, &TdlgOtaCalendar::btnPrevMonthClick);
  handle(btnNextMonth, &QToolButton::clicked, &TdlgOtaCalendar::btnNextMonthClick);
  handle(Calendar, &TCalendarGrid::changed, &TdlgOtaCalendar::CalendarChange);
  handle(Calendar, &TCalendarGrid::doubleClicked, &TdlgOtaCalendar::CalendarDblClick);
  handle(cbMonth, &TCloseUpComboBox::closedUp, &TdlgOtaCalendar::cbMonthCloseUp);
  handle(cbYear, &TCloseUpComboBox::closedUp, &TdlgOtaCalendar::cbYearCloseUp);
  handle(btnSelect, &QPushButton::clicked, &TdlgOtaCalendar::btnSelectClick);
  connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TdlgOtaCalendar::SelectReportDate(TDateTime& Returndate, TDateTime SelDate) {
  setWindowTitle("Report date");
  SelectedDate = SelDate;
  exec();
  Returndate = SelectedDate;
}

void TdlgOtaCalendar::FormCreate() {
  cancelButton_ = btnCancel;

  cbYear->clear();
  const int newestYear = YearOf(IncMonth(Today(), 120));
  for (int year = newestYear; year >= newestYear - 100; --year) cbYear->addItem(QString::number(year));
  cbYear->setCurrentIndex(-1);

  cbMonth->clear();
  for (const std::string& name : FormatSettings().ShortMonthNames) cbMonth->addItem(ToQString(name));
  cbMonth->setCurrentIndex(-1);
}

void TdlgOtaCalendar::FormActivate() {
  Calendar->SetDate(SelectedDate);
  ShowMonth();
  ShowSelectedDate();
  Calendar->setFocus();
}

void TdlgOtaCalendar::ShowMonth() {
  SelectedDate = Calendar->Date();
  pnlMonthDisplay->setText(ToQString(FormatDateTime("mmmm yyyy", SelectedDate)));
  cbMonth->SelectItem(Calendar->Month() - 1);
  for (int index = 0; index < cbYear->count(); ++index) {
    if (cbYear->itemText(index).toInt() == Calendar->Year()) {
      cbYear->SelectItem(index);
      break;
    }
  }
}

void TdlgOtaCalendar::ShowSelectedDate() {
  SelectedDate = Calendar->Date();
  lblSelectedDate->setText(ToQString(FormatDateTime(FormatSettings().LongDateFormat, SelectedDate)));
}

void TdlgOtaCalendar::CalendarChange() { ShowSelectedDate(); }

void TdlgOtaCalendar::btnPrevMonthClick() {
  Calendar->SetDate(IncMonth(Calendar->Date(), -1));
  ShowMonth();
}

void TdlgOtaCalendar::btnNextMonthClick() {
  Calendar->SetDate(IncMonth(Calendar->Date(), 1));
  ShowMonth();
}

void TdlgOtaCalendar::cbMonthCloseUp() {
  const int month = cbMonth->SelectedIndex() + 1;
  if (month >= 1 && month <= 12) {
    const int day = std::min(Calendar->Day(), DaysInMonth(Calendar->Year(), month));
    Calendar->SetDate(EncodeDate(Calendar->Year(), month, day));
  }
  ShowMonth();
}

void TdlgOtaCalendar::cbYearCloseUp() {
  const int index = cbYear->SelectedIndex();
  if (index < 0) throw Exception(Format("List index out of bounds (%d)", index));
  const int year = StrToInt(cbYear->itemText(index).toStdString());
  const int day = std::min(Calendar->Day(), DaysInMonth(year, Calendar->Month()));
  Calendar->SetDate(EncodeDate(year, Calendar->Month(), day));
  ShowMonth();
}

void TdlgOtaCalendar::btnSelectClick() {
  SelectedDate = Calendar->Date();
  accept();
}

void TdlgOtaCalendar::CalendarDblClick() { btnSelect->click(); }

void TdlgOtaCalendar::edtContextPopup(QObject* /*sender*/, bool& handled) { handled = true; }

void TdlgOtaCalendar::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!event->spontaneous()) Guarded([this] { FormActivate(); });
}

void TdlgOtaCalendar::changeEvent(QEvent* event) {
  QDialog::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) Guarded([this] { FormActivate(); });
}

void TdlgOtaCalendar::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier && cancelButton_) {
    cancelButton_->click();
    return;
  }
  QDialog::keyPressEvent(event);
}

bool TdlgOtaCalendar::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::ContextMenu) {
    bool handled = false;
    edtContextPopup(watched, handled);
    if (handled) return true;
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace corvenna
