#pragma once
// The arrival time a guest gives with a reservation: read from its text, then
// turned into the local time of day that a booking stores.
#include <optional>
#include <string>

#include "platform/DateTime.h"
#include "platform/FormatSettings.h"

namespace corvenna {

struct TArrivalTimeReading {
  TDateTime timeOfDay = 0;
  // Minutes east of UTC when the text named its own zone ("Z" is 0,
  // "+05:45" is 345); none when it did not.
  std::optional<int> zoneOffsetMinutes;
};

// Reads every xs:time form whatever the locale ("14:00:00", "14:00:00.5",
// "14:00:00Z", "14:00:00+02:00"), and else the text as StrToTime reads it
// with the settings' time format ("2:00 PM" in English, "14.00" in Finnish).
// The text is taken as given: trim it first. Raises EConvertError
// "'%s' is not a valid time".
TArrivalTimeReading ReadArrivalTime(const std::string& text, const TFormatSettings& settings = FormatSettings());

// The local arrival time to store for a booking arriving on `arrivalDate`
// (its time part is ignored), from a reading of ReadArrivalTime:
// - a reading with its own zone is converted from that zone, whatever
//   useUtcTime says;
// - a reading without one is taken as UTC when useUtcTime, else as local time
//   and returned as it is.
// The conversion follows the current zone's (TZ) rules on that arrival date,
// summer time included; an arrival date of 0 converts by the rules of
// 30 December 1899, often the local mean time of the place. The result is a
// time of day (0 <= t < 1) when the local arrival falls on the arrival date,
// else a value on a neighbouring day in the date type's shape: 1.125 is 03:00
// the day after, -1.875 is 21:00 the day before. Raises EOSError when the
// system cannot convert (see UTCToLocalTime).
TDateTime LocalArrivalTime(const TArrivalTimeReading& reading, bool useUtcTime, TDateTime arrivalDate);

}  // namespace corvenna
