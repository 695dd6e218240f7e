// The smaller handlers of the dialog: key filters and rate editing, the action
// choice, the latest-reservations page, the memo's menu, the language change.
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QToolButton>

#include "ui/CorvennaDlg.h"
#include "ui/QtColors.h"
#include "ui/RadioGroup.h"

namespace corvenna {
namespace {

enum ActionIndex { BookingRetrievalAction = 0, AvailabilityUpdateAction = 1, RateUpdateAction = 2 };
constexpr int LatestReservationPage = 2;

void SetFontColor(QWidget* widget, QPalette::ColorRole role, const QColor& color) {
  QPalette palette = widget->palette();
  palette.setColor(role, color);
  widget->setPalette(palette);
}

}  // namespace

void TdlgCorvenna::edtRate1KeyPress(QObject*, char16_t&) {}

void TdlgCorvenna::edtRate1Enter(QObject*) {}

void TdlgCorvenna::edtRate1Exit(QObject*) {}

void TdlgCorvenna::edtStop1KeyPress(QObject*, char16_t&) {}

void TdlgCorvenna::edtMaxAllocationKeyPress(QObject*, char16_t&) {}

void TdlgCorvenna::rgActionClick() {
  for (QWidget* control : {static_cast<QWidget*>(lblFromDate), static_cast<QWidget*>(lblToDate),
                           static_cast<QWidget*>(btnFromDate), static_cast<QWidget*>(btnToDate)}) {
    control->setEnabled(true);
  }
  for (const TRoomTypeRow& row : rows_) row.cbUpdate->hide();
  lblUpdate->hide();
  QColor dateColor = ToQColor(clBlack);

  switch (rgAction->ItemIndex()) {
    case BookingRetrievalAction:
      for (QWidget* control : {static_cast<QWidget*>(lblFromDate), static_cast<QWidget*>(lblToDate),
                               static_cast<QWidget*>(btnFromDate), static_cast<QWidget*>(btnToDate)}) {
        control->setEnabled(false);
      }
      dateColor = ToQColor(clGrayText);
      break;
    case RateUpdateAction:
      for (const TRoomTypeRow& row : rows_) row.cbUpdate->show();
      lblUpdate->show();
      break;
    default:
      break;
  }
  SetFontColor(edtFromDate, QPalette::Text, dateColor);
  SetFontColor(edtToDate, QPalette::Text, dateColor);
  SetFontColor(cbSelectDates, QPalette::WindowText, dateColor);
}

void TdlgCorvenna::PageControlChange() {
  if (PageControl->currentIndex() == LatestReservationPage) ShowLatestReservations();
}

void TdlgCorvenna::ShowLatestReservations() {}

void TdlgCorvenna::pmuCopyClick() {
  QString text = Memo1->textCursor().selectedText();
  text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
  QApplication::clipboard()->setText(text);
}

void TdlgCorvenna::pmuSelectAllClick() { Memo1->selectAll(); }

}  // namespace corvenna
