#include <array>

#include "data/OtaDataModule.h"
#include "data/OtaGfgIni.h"
#include "data/OtaOpenTables.h"
#include "exchange/AvailabilityRules.h"
#include "exchange/CorvennaMessages.h"
#include "exchange/ExchangeFrame.h"
#include "exchange/SlotCodes.h"
#include "platform/Text.h"

namespace corvenna {

int32_t BookingLimit(int32_t available, int32_t cap, int32_t threshold) {
  const int32_t capped = available > cap ? cap : available;
  return capped <= threshold ? 0 : capped;
}

std::string RestrictionStatus(int32_t limit, bool autoStop) {
  if (limit == 0) return "Close";
  if (limit > 0 && autoStop) return "Open";
  return std::string();
}

namespace {

// The settings of the update itself, read before the frame opens the run.
struct TAvailSettings {
  bool autoStop = false;
  TSlotCodes codes;
  std::array<int32_t, LastSlot + 1> stopSale{};
  int32_t cap = 0;
};

// The fields of an inventory row, looked up once for the whole walk.
struct TInventoryFields {
  explicit TInventoryFields(TDataSet& inventory)
      : type(inventory.FieldByName("Type")),
        available(inventory.FieldByName("Available")),
        fromDate(inventory.FieldByName("OccFromDate")),
        toDate(inventory.FieldByName("OccToDate")) {}
  TField& type;
  TField& available;
  TField& fromDate;
  TField& toDate;
};

void AppendStatusMessage(XmlNode messages, const TAvailSettings& settings, int slot, const TInventoryFields& row) {
  RequireXmlSlotCodes(settings.codes, slot);
  const int32_t limit = BookingLimit(row.available.AsInteger(), settings.cap, settings.stopSale[slot]);
  XmlNode message = messages.AppendElement("AvailStatusMessage");
  message.SetAttribute("BookingLimit", IntToStr(limit));
  message.AppendElement("StatusApplicationControl")
      .SetAttribute("End", FormatIsoDate(row.toDate.AsDateTime()))
      .SetAttribute("Start", FormatIsoDate(row.fromDate.AsDateTime()))
      .SetAttribute("InvTypeCode", settings.codes.Type[slot])
      .SetAttribute("RatePlanCode", settings.codes.Code[slot]);
  const std::string status = RestrictionStatus(limit, settings.autoStop);
  if (!status.empty()) message.AppendElement("RestrictionStatus").SetAttribute("Status", status);
}

// One AvailStatusMessage per inventory row of a mapped room type, in the order
// the table returns them.
void AppendAvailStatusMessages(XmlNode root, const std::string& hotelCode, const TAvailSettings& settings) {
  XmlNode messages = root.AppendElement("AvailStatusMessages");
  messages.SetAttribute("HotelCode", hotelCode);
  TDataSet& inventory = DM().tblOccInventory;
  inventory.First();
  const TInventoryFields row(inventory);
  for (; !inventory.Eof(); inventory.Next()) {
    const int32_t slot = row.type.AsInteger();
    if (!IsSlot(slot) || settings.codes.Type[slot].empty()) continue;
    AppendStatusMessage(messages, settings, slot, row);
  }
}

void ExchangeAvailability(TExchangeRun& run, const TAvailSettings& settings) {
  XmlDocument doc;
  const TExchangeSettings& frame = run.Settings();
  XmlNode root = BuildRequestFrame(doc, "OTA_HotelAvailNotifRQ", frame, run.EchoToken());
  AppendAvailStatusMessages(root, frame.HotelCode, settings);
  if (!ExchangeMessage(run, doc, {"AvailNotifRQ.xml", "<--AvailNotifRQ-->", "AvailNotifRS.xml", "<--AvailNotifRS-->"}))
    run.NoteFailure(ResponseErrorText(doc));
  run.WriteLogBlock();
}

}  // namespace

int AvailabilityUpdate(bool Silent, TDateTime FromDate, TDateTime ToDate) {
  SilentRun = Silent;
  LastRunFailure.clear();
  TAvailSettings settings;
  settings.autoStop = ReadAutoStop();
  settings.codes = ReadSlotCodes();
  settings.stopSale = ReadStopSales();
  BuildOccInventory(FromDate, ToDate);
  settings.cap = ReadMaxAllocation();
  if (settings.cap == 0) settings.cap = DM().qryRoomType.RecordCount();

  TExchangeRun run;
  const int result = run.Guarded([&] { ExchangeAvailability(run, settings); });
  run.End();
  return result;
}

}  // namespace corvenna
