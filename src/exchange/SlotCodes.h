#pragma once
// The channel codes of the sixteen room-type slots, read once at the start of
// an update. Index 0 is unused so that a slot number indexes directly.
#include <array>
#include <cstdint>
#include <string>

namespace corvenna {

inline constexpr int FirstSlot = 1;
inline constexpr int LastSlot = 16;

struct TSlotCodes {
  std::array<std::string, LastSlot + 1> Type;  // channel room code; empty: not mapped
  std::array<std::string, LastSlot + 1> Code;  // rate-plan code; may be empty
};

// Type1..Type16, then Code1..Code16, each trimmed.
TSlotCodes ReadSlotCodes();
// StopSale1..StopSale16.
std::array<int32_t, LastSlot + 1> ReadStopSales();

inline bool IsSlot(int64_t value) { return value >= FirstSlot && value <= LastSlot; }

// Raises, naming the setting (Type<slot> or Code<slot>), when a code of the
// slot holds a character that XML cannot carry.
void RequireXmlSlotCodes(const TSlotCodes& codes, int slot);

}  // namespace corvenna
