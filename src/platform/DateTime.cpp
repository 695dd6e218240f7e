#include "platform/DateTime.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "platform/Errors.h"

namespace corvenna {
namespace {

// Days of 1 January 0001 and of 1 January 10000 on the date line.
constexpr int64_t FirstDay = -693593;
constexpr int64_t DayAfterLast = 2958466;

// Days from 1 March 0000 (proleptic Gregorian) to the given civil date.
constexpr int64_t DaysFromCivil(int year, int month, int day) {
  const int64_t y = month <= 2 ? year - 1 : year;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yearOfEra = y - era * 400;
  const int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra;
}

// 30 December 1899 counted from 1 March 0000.
constexpr int64_t BaseDayOffset = DaysFromCivil(1899, 12, 30);

void CivilFromDays(int64_t days, int& year, int& month, int& day) {
  days += BaseDayOffset;
  const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const int64_t dayOfEra = days - era * 146097;
  const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const int64_t mp = (5 * dayOfYear + 2) / 153;
  day = static_cast<int>(dayOfYear - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(yearOfEra + era * 400 + (month <= 2 ? 1 : 0));
}

// A whole day number and a time of day in ms joined as the date type does:
// before the base day the time of day is subtracted from the (negative) day.
TDateTime JoinDayAndTime(int64_t day, int64_t timeMs) {
  const double fraction = static_cast<double>(timeMs) / static_cast<double>(MSecsPerDay);
  return day >= 0 ? static_cast<double>(day) + fraction : static_cast<double>(day) - fraction;
}

void CheckRange(TDateTime value) {
  if (!std::isfinite(value) || value <= static_cast<double>(FirstDay - 1) ||
      value >= static_cast<double>(DayAfterLast)) {
    throw EConvertError(Format("Invalid date-time value: %g", value));
  }
}

// Splits into whole days (towards zero, after rounding to ms) and time of day in ms.
void SplitDayAndTime(TDateTime value, int64_t& day, int64_t& timeMs) {
  CheckRange(value);
  const int64_t total = std::llround(value * static_cast<double>(MSecsPerDay));
  day = total / MSecsPerDay;
  timeMs = (total < 0 ? -total : total) % MSecsPerDay;
}

}  // namespace

int64_t DateTimeToMSecs(TDateTime value) {
  int64_t day = 0, timeMs = 0;
  SplitDayAndTime(value, day, timeMs);
  return day * MSecsPerDay + timeMs;
}

TDateTime MSecsToDateTime(int64_t msecs) {
  int64_t day = msecs / MSecsPerDay;
  int64_t timeMs = msecs % MSecsPerDay;
  if (timeMs < 0) {
    day -= 1;
    timeMs += MSecsPerDay;
  }
  return JoinDayAndTime(day, timeMs);
}

bool IsLeapYear(int year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

int DaysInMonth(int year, int month) {
  static constexpr int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  return month == 2 && IsLeapYear(year) ? 29 : days[month - 1];
}

bool IsValidDate(int year, int month, int day) {
  return year >= 1 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 && day <= DaysInMonth(year, month);
}

TDateTime EncodeDate(int year, int month, int day) {
  if (!IsValidDate(year, month, day)) {
    throw EConvertError(Format("Invalid argument to date encode: %04d-%02d-%02d", year, month, day));
  }
  return static_cast<double>(DaysFromCivil(year, month, day) - BaseDayOffset);
}

TDateTime EncodeTime(int hour, int minute, int second, int msec) {
  if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 || msec < 0 || msec > 999) {
    throw EConvertError(Format("Invalid argument to time encode: %02d:%02d:%02d.%03d", hour, minute, second, msec));
  }
  const int64_t ms = ((hour * 60LL + minute) * 60 + second) * 1000 + msec;
  return static_cast<double>(ms) / static_cast<double>(MSecsPerDay);
}

TDateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second, int msec) {
  const TDateTime date = EncodeDate(year, month, day);
  const TDateTime time = EncodeTime(hour, minute, second, msec);
  return date >= 0 ? date + time : date - time;
}

void DecodeDate(TDateTime value, int& year, int& month, int& day) {
  int64_t dayNumber = 0, timeMs = 0;
  SplitDayAndTime(value, dayNumber, timeMs);
  CivilFromDays(dayNumber, year, month, day);
}

void DecodeTime(TDateTime value, int& hour, int& minute, int& second, int& msec) {
  int64_t dayNumber = 0, timeMs = 0;
  SplitDayAndTime(value, dayNumber, timeMs);
  msec = static_cast<int>(timeMs % 1000);
  second = static_cast<int>(timeMs / 1000 % 60);
  minute = static_cast<int>(timeMs / 60'000 % 60);
  hour = static_cast<int>(timeMs / 3'600'000);
}

int DayOfWeek(TDateTime value) {
  int64_t dayNumber = 0, timeMs = 0;
  SplitDayAndTime(value, dayNumber, timeMs);
  // The base day, 30 December 1899, was a Saturday.
  const int64_t weekday = ((dayNumber + 6) % 7 + 7) % 7;  // 0 = Sunday
  return static_cast<int>(weekday) + 1;
}

TDateTime DateOf(TDateTime value) { return std::trunc(value); }

TDateTime TimeOf(TDateTime value) { return std::fabs(value - std::trunc(value)); }

int DaysBetween(TDateTime a, TDateTime b) {
  const int64_t span = DateTimeToMSecs(a) - DateTimeToMSecs(b);
  return static_cast<int>((span < 0 ? -span : span) / MSecsPerDay);
}

TDateTime IncDay(TDateTime value, int days) {
  return MSecsToDateTime(DateTimeToMSecs(value) + static_cast<int64_t>(days) * MSecsPerDay);
}

TDateTime IncMonth(TDateTime value, int months) {
  int year = 0, month = 0, day = 0;
  DecodeDate(value, year, month, day);
  const int64_t monthIndex = static_cast<int64_t>(year) * 12 + (month - 1) + months;
  const int newYear = static_cast<int>(monthIndex / 12);
  const int newMonth = static_cast<int>(monthIndex % 12) + 1;
  const int newDay = std::min(day, DaysInMonth(newYear, newMonth));
  int64_t dayNumber = 0, timeMs = 0;
  SplitDayAndTime(value, dayNumber, timeMs);
  const TDateTime date = EncodeDate(newYear, newMonth, newDay);
  return JoinDayAndTime(static_cast<int64_t>(date), timeMs);
}

int CompareDateByDay(TDateTime a, TDateTime b) {
  const double dayA = std::trunc(a), dayB = std::trunc(b);
  if (dayA == dayB) return 0;
  return dayA < dayB ? -1 : 1;
}

bool SameDay(TDateTime a, TDateTime b) { return CompareDateByDay(a, b) == 0; }

std::string FormatIsoDate(TDateTime value) {
  int year = 0, month = 0, day = 0;
  DecodeDate(value, year, month, day);
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", year, month, day);
  return text;
}

std::string FormatUtcTimeStamp(TDateTime utc) {
  int hour = 0, minute = 0, second = 0, msec = 0;
  DecodeTime(utc, hour, minute, second, msec);
  char text[16];
  std::snprintf(text, sizeof text, "T%02d:%02d:%02dZ", hour, minute, second);
  return FormatIsoDate(utc) + text;
}

}  // namespace corvenna
