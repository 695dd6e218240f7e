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
#include <iterator>

#include "data/OtaDataModule.h"
#include "data/OtaGfgIni.h"
#include "platform/Clock.h"
#include "platform/Errors.h"
#include "platform/FormatSettings.h"
#include "platform/Text.h"
#include "ui/ComboBox.h"
#include "ui/CorvennaDlg.h"
#include "ui/QtColors.h"
#include "ui/RadioGroup.h"

namespace corvenna {
namespace {

constexpr int LatestReservationPage = 2;
constexpr char16_t Backspace = 8;
// Guarantee kind of every booking the retrieval imports.
constexpr int ImportedGuarantee = 9;
// Day counts of the cbNumberDays items.
constexpr int LatestDayCounts[] = {0, 1, 7, 14, 21, 30};

void SetFontColor(QWidget* widget, QPalette::ColorRole role, const QColor& color) {
  QPalette palette = widget->palette();
  palette.setColor(role, color);
  widget->setPalette(palette);
}

bool IsDigitOrBackspace(char16_t key) { return key == Backspace || (key >= u'0' && key <= u'9'); }

// The locale's decimal separator as a typed key; none when it lies beyond the
// keys the filter takes (its low byte would be some unrelated character).
char16_t DecimalSeparatorKey() {
  const QString separator = QString::fromStdString(FormatSettings().DecimalSeparator);
  if (separator.isEmpty() || separator.at(0).unicode() > 0xFF) return 0;
  return separator.at(0).unicode();
}

QLineEdit* RateField(QObject* sender) {
  auto* field = qobject_cast<QLineEdit*>(sender);
  if (field == nullptr) throw Exception("The rate handler was called without a rate field");
  return field;
}

int LatestDayCount(int itemIndex) {
  constexpr int items = static_cast<int>(std::size(LatestDayCounts));
  return itemIndex >= 0 && itemIndex < items ? LatestDayCounts[itemIndex] : 0;
}

}  // namespace

void TdlgCorvenna::edtRate1KeyPress(QObject*, char16_t& key) {
  const char16_t separator = DecimalSeparatorKey();
  if (!IsDigitOrBackspace(key) && !(separator != 0 && key == separator)) key = 0;
}

void TdlgCorvenna::edtRate1Enter(QObject* sender) {
  QLineEdit* field = RateField(sender);
  const std::string text = field->text().toStdString();
  if (!text.empty()) {
    LastRateValue = TextToCurrency(text);
    field->setText(QString::fromStdString(FloatToStr(LastRateValue.ToDouble())));
  }
  field->selectAll();
}

void TdlgCorvenna::edtRate1Exit(QObject* sender) {
  QLineEdit* field = RateField(sender);
  if (field->text().isEmpty()) field->setText(QStringLiteral("0"));
  LastRateValue = Currency::FromDouble(StrToFloat(field->text().toStdString()));
  field->setText(QString::fromStdString(CurrencyToText(LastRateValue)));
}

void TdlgCorvenna::edtStop1KeyPress(QObject*, char16_t& key) {
  if (!IsDigitOrBackspace(key)) key = 0;
}

void TdlgCorvenna::edtMaxAllocationKeyPress(QObject*, char16_t& key) {
  if (!IsDigitOrBackspace(key)) key = 0;
}

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

void TdlgCorvenna::ShowLatestReservations() {
  const int days = LatestDayCount(cbNumberDays->currentIndex());
  TQuery& query = DM().qryGuestData;
  if (query.Active()) query.Close();
  TStrings& sql = query.SQL();
  sql.Clear();
  sql.Add("Select distinct * from GuestData");
  sql.Add("where ((BookingDate >= :ADate) ");
  sql.Add("and ( Gurantee = :Gurantee))");
  sql.Add("And (Cancelled is NOT TRUE ");
  sql.Add("Or Cancelled is NULL ) ");
  sql.Add("Order by BookingDate DESC;");
  query.Prepare();
  query.ParamByName("Gurantee").SetAsInteger(ImportedGuarantee);
  query.ParamByName("ADate").SetAsDate(IncDay(Today(), -days));
  query.Open();
}

void TdlgCorvenna::pmuCopyClick() {
  QString text = Memo1->textCursor().selectedText();
  text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
  QApplication::clipboard()->setText(text);
}

void TdlgCorvenna::pmuSelectAllClick() { Memo1->selectAll(); }

}  // namespace corvenna
