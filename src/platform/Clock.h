#pragma once
// The clock and the time zone, behind a seam so that tests can fix "now".
#include <functional>

#include "platform/DateTime.h"

namespace corvenna {

// Local date and time, local date at midnight, and the UTC clock reading.
TDateTime Now();
TDateTime Today();
TDateTime NowUTC();

// Converts a UTC calendar reading to local time by the rules of the current
// time zone (TZ) for that date. Raises EOSError when the system cannot convert.
TDateTime UTCToLocalTime(TDateTime utc);

// Tests replace the clock; an empty function restores the system clock.
void SetClockForTesting(std::function<TDateTime()> localNow, std::function<TDateTime()> utcNow);
void ResetClock();

}  // namespace corvenna
