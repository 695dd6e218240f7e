// The loaders that fill the dialog's controls from the settings and the host's
// room types when the dialog is created.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QTableView>

#include "data/OtaDataModule.h"
#include "data/OtaGfgIni.h"
#include "platform/Clock.h"
#include "platform/Colors.h"
#include "platform/Text.h"
#include "ui/ComboBox.h"
#include "ui/QtColors.h"
#include "ui/CorvennaDlg.h"
#include "ui/RadioGroup.h"

namespace corvenna {
namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

QString ShortDate(TDateTime date) { return Q(FormatDateTime(FormatSettings().ShortDateFormat, date)); }

void FillCombo(TComboBox* combo, const QStringList& items, int selected) {
  combo->clear();
  combo->addItems(items);
  // An index outside the list selects nothing and leaves the text empty.
  combo->setCurrentIndex(selected >= 0 && selected < items.size() ? selected : -1);
}

QString TwelveHourClock(int hour) {
  const int shown = hour % 12 == 0 ? 12 : hour % 12;
  return QStringLiteral("%1:00 %2").arg(shown).arg(hour < 12 ? QStringLiteral("am") : QStringLiteral("pm"));
}

}  // namespace

void TdlgCorvenna::LoadRoomTypeGrid() {
  for (const TRoomTypeRow& row : rows_) row.edtRate->setText(QStringLiteral("0"));
  for (const TRoomTypeRow& row : rows_) row.edtStop->setText(QStringLiteral("0"));
  for (const TRoomTypeRow& row : rows_) {
    row.cbUpdate->setEnabled(false);
    row.cbUpdate->setChecked(false);
    row.lblType->setEnabled(false);
    row.edtType->setEnabled(false);
    row.edtType->clear();
    row.edtCode->setEnabled(false);
    row.edtCode->clear();
    row.edtRate->setEnabled(false);
    row.edtStop->setEnabled(false);
  }

  TQuery& query = DM().qryRoomType;
  if (query.Active()) query.Close();
  query.SQL().Clear();
  query.SQL().Add("Select distinct RoomType, DoubleRate from RoomType");
  query.SQL().Add("Where (CalOccupancy <> :ANo) ");
  query.ParamByName("ANo").SetAsString("N");
  query.SQL().Add("Order by RoomType");
  query.Open();

  AllocationLimit = ReadMaxAllocation();
  if (AllocationLimit == 0) AllocationLimit = query.RecordCount();
  edtMaxAllocation->setText(QString::number(AllocationLimit));

  int previousType = 0;
  for (query.First(); !query.Eof(); query.Next()) {
    const int type = query.FieldByName("RoomType").AsInteger();
    if (type == previousType) continue;
    const TField& rateField = query.FieldByName("DoubleRate");
    const Currency rate = rateField.IsNull() ? Currency{} : AddTaxes(rateField.AsCurrency());
    previousType = type;
    if (type < 1 || type > RoomTypeSlots) continue;
    const TRoomTypeRow& row = Row(type);
    row.edtRate->setText(Q(CurrencyToText(rate)));
    row.cbUpdate->setEnabled(true);
    row.cbUpdate->setChecked(true);
    for (QWidget* control : {static_cast<QWidget*>(row.lblType), static_cast<QWidget*>(row.edtType),
                             static_cast<QWidget*>(row.edtCode), static_cast<QWidget*>(row.edtRate),
                             static_cast<QWidget*>(row.edtStop)}) {
      control->setEnabled(true);
    }
    row.edtStop->setText(QString::number(ReadStopSale(type)));
  }
  cbAutoStop->setChecked(ReadAutoStop());
}

void TdlgCorvenna::LoadCompanySettings() {
  edtHotelUserName->setText(Q(ReadUserName()));
  cbRememberPassword->setChecked(ReadSavePassword());
  edtHotelPassword->setText(Q(ReadPassword()));
  edtHotelCode->setText(Q(ReadHotelCode()));
  edtRequestorID->setText(Q(ReadRequestorID()));
  for (int slot = 1; slot <= RoomTypeSlots; ++slot) {
    if (Row(slot).edtType->isEnabled()) Row(slot).edtType->setText(Q(ReadType(slot)));
  }
  for (int slot = 1; slot <= RoomTypeSlots; ++slot) {
    if (Row(slot).edtType->isEnabled()) Row(slot).edtCode->setText(Q(ReadCode(slot)));
  }
  edtUrl->setText(Q(ReadCorvennaAvailReqUlr()));
  StartDate = Today();
  edtFromDate->setText(ShortDate(StartDate));
  EndDate = IncDay(StartDate, 30);
  edtToDate->setText(ShortDate(EndDate));
  cbRecalcOccupancy->setChecked(ReadRecalcOccupancy());
  cbShowmessage->setChecked(ReadShowmessage());
}

void TdlgCorvenna::FillActionList() {
  rgAction->ClearItems();
  for (const std::string* item : {&rsBookingRetrival, &rsAvailabilityUpdate, &rsRateUpdate}) rgAction->AddItem(Q(*item));
  rgAction->SetItemIndex(0);
}

void TdlgCorvenna::LoadCurrencySettings() {
  static const QStringList currencies{
      "EUR - Euro",           "USD - US Dollar",        "GBP - British pound",  "AUD - Australia Dollar",
      "CAD - Canadian Dollar", "NZD - New Zealand Dollar", "THB - Thailand Baht", "SGD - Singapore Dollar",
      "MYR - Malaysia Ringgit", "XAF - Franc CFA, BEAC",  "WST - Samoan Tala"};
  FillCombo(cbCurrencyCode, currencies, ReadCurrencyCode());
  cbIncludingTax->setChecked(ReadRateIncludingTax());
  cbUseUTCTime->setChecked(ReadUseUTCTime());
  cbUseDot->setChecked(ReadUseDot());
}

void TdlgCorvenna::InitLatestReservationPage() {
  TColor stripe = ReadGridStripeColor();
  if (!IsLightColor(stripe)) stripe = cl3DLight;
  QPalette palette = dbgGuest->palette();
  palette.setColor(QPalette::AlternateBase, ToQColor(stripe));
  dbgGuest->setPalette(palette);

  const QString day = " " + Q(rsday), days = " " + Q(rsdays);
  FillCombo(cbNumberDays, {Q(rsToday), "1" + day, "7" + days, "14" + days, "21" + days, "30" + days}, 0);
}

void TdlgCorvenna::LoadAutoCheckSettings() {
  const QString minutes = " " + Q(rsMinutes), hours = " " + Q(rsHours);
  FillCombo(cbAutoCheck, {Q(rsDontCheck), "2" + minutes, "10" + minutes, "30" + minutes, "1" + hours, "3" + hours},
            ReadAutoCheck());
  FillCombo(cbFullFlush, {Q(rsDontUpdate), Q(rsEveryDay)}, ReadFullFlush());
  QStringList times;
  for (int hour = 0; hour < 24; ++hour) times << TwelveHourClock(hour);
  FillCombo(cbFlushTime, times, ReadFlushTime());
}

void TdlgCorvenna::LoadRoomTypeLabels() {
  TTypeDescs descs;
  ReadTypeDescs1To8(descs);
  for (int i = 0; i < 8; ++i) Row(i + 1).lblType->setText(Q(descs[static_cast<size_t>(i)]));
  ReadTypeDescs9To16(descs);
  for (int i = 0; i < 8; ++i) Row(i + 9).lblType->setText(Q(descs[static_cast<size_t>(i)]));
}

}  // namespace corvenna
