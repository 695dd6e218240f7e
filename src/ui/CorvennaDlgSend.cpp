// Send and the handlers that feed it: the entry checks, the action chosen, the
// copies on the Result page, the date buttons, the day-count list and the
// XML-file button.
#include <QCheckBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>

#include "data/Constants.h"
#include "data/OtaDataModule.h"
#include "data/OtaGfgIni.h"
#include "exchange/CorvennaMessages.h"
#include "platform/Messages.h"
#include "platform/Text.h"
#include "ui/ComboBox.h"
#include "ui/CorvennaDlg.h"
#include "ui/MessageCopies.h"
#include "ui/OtaCalendarDlg.h"
#include "ui/RadioGroup.h"

namespace corvenna {
namespace {

constexpr int ResultPage = 1;
constexpr int LongestRangeDays = 365;
constexpr int CurrencyCodeLength = 3;

void ShowSendMessage(const std::string& instruction, const std::string& content) {
  TaskMessage message;
  message.title = rsError;
  message.icon = TaskIcon::Error;
  message.instruction = instruction;
  message.content = content;
  message.button = rsClose;
  ShowTaskMessage(message);
}

std::string TextOf(const QLineEdit* field) { return field->text().toStdString(); }

// The code the rate update sends: the selected item's first characters.
std::string SelectedCurrencyCode(const TComboBox* list) {
  const int index = list->currentIndex();
  return index < 0 ? std::string() : list->itemText(index).left(CurrencyCodeLength).toStdString();
}

void ShowLines(QPlainTextEdit* memo, const std::vector<std::string>& lines) {
  QStringList text;
  for (const std::string& line : lines) text << QString::fromStdString(line);
  memo->setPlainText(text.join(QLatin1Char('\n')));
}

// Frees the calendar of a date button, also when an exception passes.
struct CalendarRelease {
  ~CalendarRelease() { dlgOtaCalendar.reset(); }
};

}  // namespace

bool TdlgCorvenna::CheckCompanyInfo() {
  for (const QLineEdit* field : {edtHotelUserName, edtHotelCode, edtHotelPassword, edtUrl}) {
    if (field->text().isEmpty()) {
      ShowSendMessage(rsCompany, rsEnterCompany);
      return false;
    }
  }
  return true;
}

bool TdlgCorvenna::CheckRoomTypes() {
  for (const TRoomTypeRow& row : rows_) {
    if (row.cbUpdate->isEnabled() && row.edtType->text().isEmpty()) {
      ShowSendMessage(rsRoomType, rsPleaseEnterRoomType);
      return false;
    }
  }
  return true;
}

bool TdlgCorvenna::CheckRateCodes() {
  for (const TRoomTypeRow& row : rows_) {
    if (row.cbUpdate->isEnabled() && row.edtCode->text().isEmpty()) {
      ShowSendMessage(rsRateCode, rsPleaseEnterRateCode);
      return false;
    }
  }
  return true;
}

bool TdlgCorvenna::CheckDates() {
  try {
    if (CompareDateByDay(StartDate, EndDate) > 0) {
      ShowSendMessage(rsWrongDates, rsFromAfterTo);
      return false;
    }
    if (DaysBetween(StartDate, EndDate) > LongestRangeDays) {
      ShowSendMessage(rsNoDays, rsDontSelectMore);
      return false;
    }
    return true;
  } catch (...) {
    return false;
  }
}

void TdlgCorvenna::FillRateAmounts() {
  for (int slot = 1; slot <= RoomTypeSlots; ++slot) {
    RateAmount[static_cast<size_t>(slot)] = TextToCurrency(Trim(TextOf(Row(slot).edtRate)));
  }
}

bool TdlgCorvenna::RunChosenAction(bool& failed) {
  std::vector<TMessageCopy> copies;
  switch (rgAction->ItemIndex()) {
    case BookingRetrievalAction:
      failed = BookingRetrieval(false) != 1;
      copies = RetrievalCopies(DM().tblOtaResponse.RecordCount());
      break;
    case AvailabilityUpdateAction:
      if (!CheckDates()) return false;
      failed = AvailabilityUpdate(false, StartDate, EndDate) != 1;
      copies = AvailabilityCopies();
      break;
    case RateUpdateAction: {
      if (!CheckDates()) return false;
      const std::string code = SelectedCurrencyCode(cbCurrencyCode);
      FillRateAmounts();
      failed = RateUpdate(code, StartDate, EndDate) != 1;
      copies = RateCopies();
      break;
    }
    default:
      return true;
  }
  ShowLines(Memo1, MessageCopyLines(copies));
  return true;
}

void TdlgCorvenna::ApplyRememberPassword() {
  const bool remember = cbRememberPassword->isChecked();
  WritePassword(remember ? TextOf(edtHotelPassword) : std::string());
  WriteSavePassword(remember);
  btnCancel->setText(QString::fromStdString(rsClose));
}

void TdlgCorvenna::btnSendClick() {
  Memo1->clear();
  bool failed = false;
  if (!CheckCompanyInfo() || !CheckRoomTypes() || !CheckRateCodes()) return;
  for (int slot = 1; slot <= RoomTypeSlots; ++slot) {
    RateSelected[static_cast<size_t>(slot)] = Row(slot).cbUpdate->isChecked();
  }
  StoreSettings();
  if (!RunChosenAction(failed)) return;
  if (failed) {
    ShowSendMessage(rsError, rsErrorSendingMessage);
  } else {
    ApplyRememberPassword();
  }
  PageControl->setCurrentIndex(ResultPage);
}

void TdlgCorvenna::PickDate(TDateTime& date, QLineEdit* field) {
  CalendarRelease release;
  dlgOtaCalendar = std::make_unique<TdlgOtaCalendar>();
  dlgOtaCalendar->SelectReportDate(PickedDate, date);
  date = PickedDate;
  field->setText(QString::fromStdString(FormatDateTime(FormatSettings().ShortDateFormat, date)));
}

void TdlgCorvenna::btnFromDateClick() { PickDate(StartDate, edtFromDate); }

void TdlgCorvenna::btnToDateClick() { PickDate(EndDate, edtToDate); }

void TdlgCorvenna::cbNumberDaysCloseUp() { ShowLatestReservations(); }

void TdlgCorvenna::btnSelectXmlClick() {
  QFileDialog OpenDialog(this, QString(), QString::fromStdString(GetMyDocumentsPath() + std::string(TempSubPath)),
                         QStringLiteral("XML files (*.xml);;All files (*)"));
  OpenDialog.setObjectName(QStringLiteral("OpenDialog"));
  OpenDialog.setFileMode(QFileDialog::ExistingFile);
  // The platform's own dialog may live outside this process and never answer.
  OpenDialog.setOption(QFileDialog::DontUseNativeDialog);
  if (OpenDialog.exec() != QDialog::Accepted || OpenDialog.selectedFiles().isEmpty()) return;
  edtXmlFile->setText(OpenDialog.selectedFiles().constFirst());
}

}  // namespace corvenna
