#pragma once
// How one inventory row becomes a booking limit and a restriction.
#include <cstdint>
#include <string>

namespace corvenna {

// Available capped at the allocation cap, then 0 at or below the stop-sale
// threshold; both comparisons signed.
int32_t BookingLimit(int32_t available, int32_t cap, int32_t threshold);

// "Close" for a limit of 0, "Open" for a positive limit with AutoStop set,
// otherwise empty (no RestrictionStatus).
std::string RestrictionStatus(int32_t limit, bool autoStop);

}  // namespace corvenna
