#include "platform/ArrivalTime.h"

#include "platform/Clock.h"
#include "platform/Text.h"
#include "platform/XsDate.h"

namespace corvenna {

TArrivalTimeReading ReadArrivalTime(const std::string& text, const TFormatSettings& settings) {
  TXsTime xsTime;
  if (TryParseXsTime(text, xsTime)) return TArrivalTimeReading{xsTime.timeOfDay, xsTime.offsetMinutes};
  return TArrivalTimeReading{StrToTime(text, settings), std::nullopt};
}

TDateTime LocalArrivalTime(const TArrivalTimeReading& reading, bool useUtcTime, TDateTime arrivalDate) {
  if (!reading.zoneOffsetMinutes && !useUtcTime) return reading.timeOfDay;
  constexpr int64_t MSecsPerMinute = 60'000;
  const int64_t day = DateTimeToMSecs(DateOf(arrivalDate));
  const int64_t offset = reading.zoneOffsetMinutes.value_or(0) * MSecsPerMinute;
  const TDateTime utc = MSecsToDateTime(day + DateTimeToMSecs(reading.timeOfDay) - offset);
  return MSecsToDateTime(DateTimeToMSecs(UTCToLocalTime(utc)) - day);
}

}  // namespace corvenna
