#include "platform/Clock.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <utility>

#include "platform/Errors.h"

namespace corvenna {
namespace {

std::function<TDateTime()> localClock;
std::function<TDateTime()> utcClock;

// A leap second (zones of the "right/" family) is shown as the second before it.
TDateTime FromCalendar(const std::tm& fields, int msec) {
  return EncodeDateTime(fields.tm_year + 1900, fields.tm_mon + 1, fields.tm_mday, fields.tm_hour, fields.tm_min,
                        std::min(fields.tm_sec, 59), msec);
}

// tzset() first: glibc's localtime_r would keep the zone of its first call,
// and tests (and hosts) may change TZ while the library is loaded.
bool ToLocalCalendar(time_t seconds, std::tm& fields) {
  tzset();
  return localtime_r(&seconds, &fields) != nullptr;
}

TDateTime SystemNow(bool utc) {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  std::tm fields{};
  const bool converted = utc ? gmtime_r(&now.tv_sec, &fields) != nullptr : ToLocalCalendar(now.tv_sec, fields);
  if (!converted) throw EOSError(Format("Could not read the system clock: %s", std::strerror(errno)));
  return FromCalendar(fields, static_cast<int>(now.tv_nsec / 1'000'000));
}

}  // namespace

TDateTime Now() { return localClock ? localClock() : SystemNow(false); }

TDateTime Today() { return DateOf(Now()); }

TDateTime NowUTC() { return utcClock ? utcClock() : SystemNow(true); }

TDateTime UTCToLocalTime(TDateTime utc) {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, msec = 0;
  DecodeDate(utc, year, month, day);
  DecodeTime(utc, hour, minute, second, msec);
  std::tm fields{};
  fields.tm_year = year - 1900;
  fields.tm_mon = month - 1;
  fields.tm_mday = day;
  fields.tm_hour = hour;
  fields.tm_min = minute;
  fields.tm_sec = second;
  errno = 0;
  const time_t seconds = timegm(&fields);
  if (seconds == static_cast<time_t>(-1) && errno != 0) {
    throw EOSError(Format("Could not convert the UTC time %s to local time: %s", FormatUtcTimeStamp(utc).c_str(),
                          std::strerror(errno)));
  }
  std::tm local{};
  if (!ToLocalCalendar(seconds, local)) {
    throw EOSError(Format("Could not convert the UTC time %s to local time: %s", FormatUtcTimeStamp(utc).c_str(),
                          std::strerror(errno)));
  }
  try {
    return FromCalendar(local, msec);
  } catch (const EConvertError&) {
    throw EOSError(Format("Could not convert the UTC time %s to local time: the result lies outside the calendar",
                          FormatUtcTimeStamp(utc).c_str()));
  }
}

void SetClockForTesting(std::function<TDateTime()> localNow, std::function<TDateTime()> utcNow) {
  localClock = std::move(localNow);
  utcClock = std::move(utcNow);
}

void ResetClock() { SetClockForTesting(nullptr, nullptr); }

}  // namespace corvenna
