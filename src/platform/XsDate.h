#pragma once
#include <optional>
#include <string>

#include "platform/DateTime.h"

namespace corvenna {

// Parses an xs:date ("2026-05-01", optionally with a time-zone suffix such as
// "Z" or "+02:00", which is ignored) into that date at midnight. Also accepts
// an xs:dateTime and takes its date part. Raises EConvertError otherwise.
TDateTime ParseXsDate(const std::string& text);

// An xs:time: the time of day, and the zone the text names, if any.
struct TXsTime {
  TDateTime timeOfDay = 0;
  // Minutes east of UTC: 0 for "Z", 120 for "+02:00", -345 for "-05:45".
  std::optional<int> offsetMinutes;
};

// Reads "hh:mm:ss", with or without a fraction of a second (milliseconds
// kept, further digits dropped) and with or without "Z" or "+hh:mm"/"-hh:mm";
// blanks of XML around it allowed. "24:00:00" is 00:00:00. False for any
// other text, value untouched.
bool TryParseXsTime(const std::string& text, TXsTime& value);

}  // namespace corvenna
