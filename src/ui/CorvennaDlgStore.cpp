// Send's storing of every setting of the dialog, one writer call each, in a
// fixed order: a text that is no integer stops it with the values before it
// stored.
#include <QCheckBox>
#include <QLineEdit>

#include "data/OtaGfgIni.h"
#include "platform/Text.h"
#include "ui/ComboBox.h"
#include "ui/CorvennaDlg.h"

namespace corvenna {
namespace {

std::string TextOf(const QLineEdit* field) { return field->text().toStdString(); }
std::string TrimmedText(const QLineEdit* field) { return Trim(TextOf(field)); }
int32_t IntegerOf(const QLineEdit* field) { return StrToInt(TrimmedText(field)); }

}  // namespace

void TdlgCorvenna::StoreSettings() {
  WriteUserName(TextOf(edtHotelUserName));
  WritePassword(TextOf(edtHotelPassword));
  WriteHotelCode(TextOf(edtHotelCode));
  WriteRequestorID(TextOf(edtRequestorID));
  for (int slot = 1; slot <= RoomTypeSlots; ++slot) WriteType(slot, TrimmedText(Row(slot).edtType));
  for (int slot = 1; slot <= RoomTypeSlots; ++slot) WriteCode(slot, TrimmedText(Row(slot).edtCode));
  for (int slot = 1; slot <= RoomTypeSlots; ++slot) WriteStopSale(slot, IntegerOf(Row(slot).edtStop));
  WriteMaxAllocation(IntegerOf(edtMaxAllocation));
  WriteCurrencyCode(cbCurrencyCode->currentIndex());
  WriteRateIncludingTax(cbIncludingTax->isChecked());
  WriteUseUTCTime(cbUseUTCTime->isChecked());
  WriteAutoCheck(cbAutoCheck->currentIndex());
  WriteFullFlush(cbFullFlush->currentIndex());
  WriteFlushTime(cbFlushTime->currentIndex());
  WriteCorvennaAvailReqUlr(TextOf(edtUrl));
  WriteRecalcOccupancy(cbRecalcOccupancy->isChecked());
  WriteShowmessage(cbShowmessage->isChecked());
  WriteUseDot(cbUseDot->isChecked());
  WriteAutoStop(cbAutoStop->isChecked());
}

}  // namespace corvenna
