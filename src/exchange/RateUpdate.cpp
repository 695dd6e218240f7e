#include "data/OtaDataModule.h"
#include "data/OtaGfgIni.h"
#include "data/OtaOpenTables.h"
#include "exchange/AmountText.h"
#include "exchange/CorvennaMessages.h"
#include "exchange/ExchangeFrame.h"
#include "exchange/SlotCodes.h"

namespace corvenna {
namespace {

struct TRateRequest {
  std::string currencyCode;
  std::string start;  // FromDate as "YYYY-MM-DD"
  std::string end;    // ToDate as "YYYY-MM-DD"
};

void AppendRateAmountMessage(XmlNode messages, const TRateRequest& request, const TSlotCodes& codes, int slot) {
  RequireXmlSlotCodes(codes, slot);
  XmlNode message = messages.AppendElement("RateAmountMessage");
  message.AppendElement("StatusApplicationControl")
      .SetAttribute("RatePlanCode", codes.Code[slot])
      .SetAttribute("InvTypeCode", codes.Type[slot]);
  message.AppendElement("Rates")
      .AppendElement("Rate")
      .SetAttribute("End", request.end)
      .SetAttribute("Start", request.start)
      .SetAttribute("CurrencyCode", request.currencyCode)
      .AppendElement("BaseByGuestAmts")
      .AppendElement("BaseByGuestAmt")
      .SetAttribute("AmountAfterTax", RateAmountText(RateAmount[slot], ReadUseDot()));
}

// The room-type query holds one row per room, ordered by room type: a type
// counts once, on its first row.
void AppendRateAmountMessages(XmlNode root, const std::string& hotelCode, const TRateRequest& request,
                              const TSlotCodes& codes) {
  XmlNode messages = root.AppendElement("RateAmountMessages");
  messages.SetAttribute("HotelCode", hotelCode);
  TDataSet& rooms = DM().qryRoomType;
  int previousType = 0;
  for (rooms.First(); !rooms.Eof(); rooms.Next()) {
    const int32_t roomType = rooms.FieldByName("RoomType").AsInteger();
    if (roomType == previousType) continue;
    previousType = roomType;
    if (!IsSlot(roomType) || !RateSelected[roomType] || codes.Type[roomType].empty()) continue;
    AppendRateAmountMessage(messages, request, codes, roomType);
  }
}

void ExchangeRates(TExchangeRun& run, const TRateRequest& request, const TSlotCodes& codes) {
  RequireXmlSetting("CurrencyCode", request.currencyCode);
  XmlDocument doc;
  const TExchangeSettings& frame = run.Settings();
  XmlNode root = BuildRequestFrame(doc, "OTA_HotelRateAmountNotifRQ", frame, run.EchoToken());
  AppendRateAmountMessages(root, frame.HotelCode, request, codes);
  // The request's marker lacks the "f" of its copy's name, as the log has always had it.
  if (!ExchangeMessage(run, doc, {"RateAmountNotifRQ.xml", "<--RateAmountNotiRQ-->", "RateAmountNotifRS.xml",
                                  "<--RateAmountNotifRS-->"}))
    run.NoteFailure(ResponseErrorText(doc));
  run.WriteLogBlock();
}

}  // namespace

int RateUpdate(const std::string& currencyCode, TDateTime FromDate, TDateTime ToDate) {
  LastRunFailure.clear();
  const TSlotCodes codes = ReadSlotCodes();
  OpenRoomTypeQuery();

  TExchangeRun run;
  const TRateRequest request{currencyCode, FormatIsoDate(FromDate), FormatIsoDate(ToDate)};
  const int result = run.Guarded([&] { ExchangeRates(run, request, codes); });
  run.End();
  return result;
}

}  // namespace corvenna
