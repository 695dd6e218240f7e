#pragma once
// The date type: days since 30 December 1899 as a double, the fraction being the
// time of day. Day arithmetic works in whole milliseconds, as the host does.
#include <cstdint>
#include <string>

namespace corvenna {

using TDateTime = double;

inline constexpr int64_t MSecsPerDay = 86'400'000;

// Milliseconds since the base day's midnight (rounded to whole ones) and back.
// Before the base day the fraction still counts forwards from the day's
// midnight (-1.25 is 06:00 on 29 December 1899), so the count stays linear.
int64_t DateTimeToMSecs(TDateTime value);
TDateTime MSecsToDateTime(int64_t msecs);

bool IsLeapYear(int year);
int DaysInMonth(int year, int month);
bool IsValidDate(int year, int month, int day);

// Raise EConvertError for a date or time that does not exist (years 1 to 9999).
// Values outside those years raise EConvertError wherever they are split up.
TDateTime EncodeDate(int year, int month, int day);
TDateTime EncodeTime(int hour, int minute, int second, int msec);
TDateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second, int msec);
void DecodeDate(TDateTime value, int& year, int& month, int& day);
void DecodeTime(TDateTime value, int& hour, int& minute, int& second, int& msec);
// 1 = Sunday ... 7 = Saturday.
int DayOfWeek(TDateTime value);

// Whole-day part (truncated towards zero) and time-of-day part.
TDateTime DateOf(TDateTime value);
TDateTime TimeOf(TDateTime value);

// Absolute difference in milliseconds divided by a day, remainder dropped.
int DaysBetween(TDateTime a, TDateTime b);
// Adds n days keeping the time of day (millisecond arithmetic).
TDateTime IncDay(TDateTime value, int days = 1);
// Adds months, clamping the day to the target month's last day; keeps the time.
TDateTime IncMonth(TDateTime value, int months = 1);
// Compares by whole days: -1, 0 or 1.
int CompareDateByDay(TDateTime a, TDateTime b);
bool SameDay(TDateTime a, TDateTime b);

// "YYYY-MM-DD" of the date part, the same under every locale.
std::string FormatIsoDate(TDateTime value);
// "YYYY-MM-DDThh:mm:ssZ" of a UTC reading, the same under every locale.
std::string FormatUtcTimeStamp(TDateTime utc);

}  // namespace corvenna
