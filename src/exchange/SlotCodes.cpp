#include "exchange/SlotCodes.h"

#include "data/OtaGfgIni.h"
#include "exchange/ExchangeFrame.h"
#include "platform/Text.h"

namespace corvenna {

TSlotCodes ReadSlotCodes() {
  TSlotCodes codes;
  for (int slot = FirstSlot; slot <= LastSlot; ++slot) codes.Type[slot] = Trim(ReadType(slot));
  for (int slot = FirstSlot; slot <= LastSlot; ++slot) codes.Code[slot] = Trim(ReadCode(slot));
  return codes;
}

std::array<int32_t, LastSlot + 1> ReadStopSales() {
  std::array<int32_t, LastSlot + 1> thresholds{};
  for (int slot = FirstSlot; slot <= LastSlot; ++slot) thresholds[slot] = ReadStopSale(slot);
  return thresholds;
}

void RequireXmlSlotCodes(const TSlotCodes& codes, int slot) {
  RequireXmlSetting("Type" + IntToStr(slot), codes.Type[slot]);
  RequireXmlSetting("Code" + IntToStr(slot), codes.Code[slot]);
}

}  // namespace corvenna
