#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>

#include "platform/DateTime.h"
#include "platform/Errors.h"

namespace corvenna {
namespace {

constexpr double OneMs = 1.0 / MSecsPerDay;

TDateTime At(int y, int mo, int d, int h = 0, int mi = 0, int s = 0, int ms = 0) {
  return EncodeDateTime(y, mo, d, h, mi, s, ms);
}

TEST(DateTimeTest, EncodeDateCountsDaysFromTheBaseDay) {
  EXPECT_EQ(EncodeDate(1899, 12, 30), 0);
  EXPECT_EQ(EncodeDate(1900, 3, 1), 61);
  EXPECT_EQ(EncodeDate(2024, 2, 29), 45351);
  EXPECT_EQ(EncodeDate(2026, 5, 1), 46143);
  EXPECT_EQ(EncodeDate(1, 1, 1), -693593);
  EXPECT_EQ(EncodeDate(9999, 12, 31), 2958465);
  EXPECT_DOUBLE_EQ(At(2026, 5, 1, 18), 46143.75);
}

TEST(DateTimeTest, ImpossibleDatesAndTimesRaise) {
  struct Case { int y, m, d; const char* message; };
  for (const Case& c : {Case{2026, 2, 29, "2026-02-29"}, Case{2100, 2, 29, "2100-02-29"}, Case{2026, 4, 31, "2026-04-31"},
                        Case{2026, 13, 1, "2026-13-01"}, Case{2026, 0, 1, "2026-00-01"}, Case{0, 1, 1, "0000-01-01"},
                        Case{10000, 1, 1, "10000-01-01"}, Case{2026, 1, 0, "2026-01-00"}}) {
    SCOPED_TRACE(c.message);
    EXPECT_FALSE(IsValidDate(c.y, c.m, c.d));
    try {
      EncodeDate(c.y, c.m, c.d);
      ADD_FAILURE() << "no error";
    } catch (const EConvertError& e) {
      EXPECT_EQ(std::string(e.what()), std::string("Invalid argument to date encode: ") + c.message);
    }
  }
  EXPECT_TRUE(IsValidDate(2000, 2, 29));
  EXPECT_THROW(EncodeTime(24, 0, 0, 0), EConvertError);
  EXPECT_THROW(EncodeTime(0, 60, 0, 0), EConvertError);
  EXPECT_THROW(EncodeTime(0, 0, 0, 1000), EConvertError);
}

TEST(DateTimeTest, DecodeGivesBackTheFieldsAlsoBeforeTheBaseDay) {
  struct Case { TDateTime value; int y, mo, d, h, mi, s, ms; };
  for (const Case& c : {
           Case{46143.75, 2026, 5, 1, 18, 0, 0, 0},
           Case{At(2024, 2, 29, 23, 59, 59, 999), 2024, 2, 29, 23, 59, 59, 999},
           Case{-1.25, 1899, 12, 29, 6, 0, 0, 0},  // before the base day the time counts forwards from the day
           Case{-0.25, 1899, 12, 30, 6, 0, 0, 0},
           Case{0.5 - OneMs * 0.4, 1899, 12, 30, 12, 0, 0, 0},  // rounded to whole ms
       }) {
    int y, mo, d, h, mi, s, ms;
    DecodeDate(c.value, y, mo, d);
    DecodeTime(c.value, h, mi, s, ms);
    EXPECT_EQ((std::array{y, mo, d, h, mi, s, ms}), (std::array{c.y, c.mo, c.d, c.h, c.mi, c.s, c.ms})) << c.value;
  }
  EXPECT_DOUBLE_EQ(At(1899, 12, 29, 6), -1.25);
}

TEST(DateTimeTest, ValuesOutsideTheCalendarRaiseInsteadOfOverflowing) {
  int y, mo, d;
  for (double bad : {1e10, -1e10, std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity()}) {
    EXPECT_THROW(DecodeDate(bad, y, mo, d), EConvertError) << bad;
    EXPECT_THROW(DateTimeToMSecs(bad), EConvertError) << bad;
  }
}

TEST(DateTimeTest, MillisecondsRoundAndGoBack) {
  EXPECT_EQ(DateTimeToMSecs(1.5 + 0.6 * OneMs), MSecsPerDay * 3 / 2 + 1);
  EXPECT_EQ(DateTimeToMSecs(-1.25), -MSecsPerDay * 3 / 4);  // 29 Dec 1899 06:00
  for (int64_t ms : {int64_t{0}, int64_t{1}, MSecsPerDay * 46143 + 12345, -MSecsPerDay * 3 / 4, -MSecsPerDay - 1}) {
    EXPECT_EQ(DateTimeToMSecs(MSecsToDateTime(ms)), ms);
  }
}

TEST(DateTimeTest, DaysBetweenDropsTheRemainder) {
  struct Case { TDateTime a, b; int days; };
  const TDateTime may1 = At(2026, 5, 1);
  for (const Case& c : {Case{may1, may1, 0}, Case{may1, At(2026, 5, 2), 1}, Case{At(2026, 5, 2), may1, 1},
                        Case{may1, At(2026, 5, 2, 23, 59), 1}, Case{may1, At(2026, 5, 3) - OneMs, 1},
                        Case{may1 + 0.75, At(2026, 5, 2, 6), 0}, Case{may1, At(2026, 5, 31), 30},
                        Case{-1.25, 0.25, 1}}) {
    EXPECT_EQ(DaysBetween(c.a, c.b), c.days) << c.a << " " << c.b;
  }
}

TEST(DateTimeTest, IncDayKeepsTheTimeOfDay) {
  EXPECT_DOUBLE_EQ(IncDay(At(2026, 2, 28, 14, 30)), At(2026, 3, 1, 14, 30));
  EXPECT_DOUBLE_EQ(IncDay(At(2026, 3, 1, 14, 30), -1), At(2026, 2, 28, 14, 30));
  EXPECT_DOUBLE_EQ(IncDay(At(2026, 5, 1), 31), At(2026, 6, 1));
  EXPECT_DOUBLE_EQ(IncDay(0.25, -1), -1.25);  // across the base day
  EXPECT_DOUBLE_EQ(IncDay(-1.25, 2), 1.25);
}

TEST(DateTimeTest, IncMonthClampsTheDayAndKeepsTheTime) {
  struct Case { TDateTime from; int months; TDateTime to; };
  for (const Case& c : {Case{At(2026, 3, 31), -1, At(2026, 2, 28)}, Case{At(2024, 3, 31, 9), -1, At(2024, 2, 29, 9)},
                        Case{At(2024, 1, 31), 1, At(2024, 2, 29)}, Case{At(2026, 12, 15), 1, At(2027, 1, 15)},
                        Case{At(2026, 1, 15), -13, At(2024, 12, 15)}, Case{At(2026, 5, 31, 23, 59), 0, At(2026, 5, 31, 23, 59)}}) {
    EXPECT_DOUBLE_EQ(IncMonth(c.from, c.months), c.to) << c.from << " " << c.months;
  }
}

TEST(DateTimeTest, ComparingByDayLooksAtTheWholeDays) {
  const TDateTime day = At(2026, 5, 1);
  EXPECT_EQ(CompareDateByDay(day + 0.1, day + 0.9), 0);
  EXPECT_EQ(CompareDateByDay(day + 0.9, day + 1.0), -1);
  EXPECT_EQ(CompareDateByDay(day + 1.0, day + 0.9), 1);
  EXPECT_TRUE(SameDay(day, day + 1 - OneMs));
  EXPECT_FALSE(SameDay(day, day + 1));
  EXPECT_EQ(DateOf(day + 0.75), day);
  EXPECT_DOUBLE_EQ(TimeOf(day + 0.75), 0.75);
  EXPECT_DOUBLE_EQ(TimeOf(-1.25), 0.25);
}

TEST(DateTimeTest, DayOfWeekStartsOnSunday) {
  EXPECT_EQ(DayOfWeek(At(2026, 5, 1, 23)), 6);  // a Friday
  EXPECT_EQ(DayOfWeek(At(2026, 5, 3)), 1);
  EXPECT_EQ(DayOfWeek(0), 7);  // 30 December 1899, a Saturday
  EXPECT_EQ(DayOfWeek(-1.5), 6);
}

TEST(DateTimeTest, FixedTextsIgnoreTheLocale) {
  EXPECT_EQ(FormatIsoDate(At(2026, 5, 1, 23, 59)), "2026-05-01");
  EXPECT_EQ(FormatIsoDate(At(987, 1, 2)), "0987-01-02");
  EXPECT_EQ(FormatUtcTimeStamp(At(2026, 5, 1, 7, 8, 9, 999)), "2026-05-01T07:08:09Z");
  EXPECT_EQ(FormatUtcTimeStamp(At(2026, 12, 31, 23, 59, 59, 999) + 0.4 * OneMs), "2026-12-31T23:59:59Z");
}

}  // namespace
}  // namespace corvenna
