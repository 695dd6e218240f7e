#include <gtest/gtest.h>

#include <ctime>

#include "platform/Clock.h"
#include "platform/Errors.h"
#include "platform/ScopedEnv.h"

namespace corvenna {
namespace {

constexpr double OneSecond = 1.0 / 86400;

TDateTime At(int y, int mo, int d, int h = 0, int mi = 0, int s = 0, int ms = 0) {
  return EncodeDateTime(y, mo, d, h, mi, s, ms);
}

TEST(ClockTest, TestsCanFixTheClockAndPutTheSystemClockBack) {
  SetClockForTesting([] { return At(2026, 5, 1, 15, 30); }, [] { return At(2026, 5, 1, 13, 30); });
  EXPECT_DOUBLE_EQ(Now(), At(2026, 5, 1, 15, 30));
  EXPECT_DOUBLE_EQ(Today(), At(2026, 5, 1));
  EXPECT_DOUBLE_EQ(NowUTC(), At(2026, 5, 1, 13, 30));
  ResetClock();
  const TDateTime unixEpoch = EncodeDate(1970, 1, 1);
  const TDateTime systemUtc = unixEpoch + static_cast<double>(std::time(nullptr)) / 86400;
  EXPECT_NEAR(NowUTC(), systemUtc, 5 * OneSecond);
}

TEST(ClockTest, LocalClockFollowsTheTimeZone) {
  test::ScopedEnv zone("TZ", "Etc/GMT-3");  // UTC+3 all year
  EXPECT_NEAR(Now() - NowUTC(), 3.0 / 24, 5 * OneSecond);
  EXPECT_EQ(Today(), DateOf(Now()));
}

TEST(ClockTest, UtcToLocalUsesTheRulesOfThatDate) {
  test::ScopedEnv zone("TZ", "Europe/Berlin");
  struct Case { const char* what; TDateTime utc, local; };
  for (const Case& c : {
           Case{"winter", At(2026, 1, 15, 12), At(2026, 1, 15, 13)},
           Case{"summer", At(2026, 7, 15, 12, 0, 0, 250), At(2026, 7, 15, 14, 0, 0, 250)},
           Case{"just before the spring change", At(2026, 3, 29, 0, 59), At(2026, 3, 29, 1, 59)},
           Case{"at the spring change", At(2026, 3, 29, 1, 0), At(2026, 3, 29, 3, 0)},
           Case{"late evening, next day", At(2026, 12, 31, 23, 30), At(2027, 1, 1, 0, 30)},
           Case{"arrival time on the base day", At(1899, 12, 30, 14), At(1899, 12, 30, 15)},
           Case{"base day across midnight", At(1899, 12, 30, 23, 30), At(1899, 12, 31, 0, 30)},
       }) {
    EXPECT_NEAR(UTCToLocalTime(c.utc), c.local, 1e-9) << c.what;
  }
}

TEST(ClockTest, UtcToLocalBeforeTheBaseDay) {
  test::ScopedEnv zone("TZ", "America/New_York");
  // 02:00 UTC on the base day is 21:00 of 29 December 1899 in New York.
  const TDateTime local = UTCToLocalTime(At(1899, 12, 30, 2));
  EXPECT_DOUBLE_EQ(local, At(1899, 12, 29, 21));
  EXPECT_DOUBLE_EQ(local, -1.875);
}

TEST(ClockTest, UtcToLocalRaisesWhenTheResultLeavesTheCalendar) {
  test::ScopedEnv zone("TZ", "Etc/GMT-3");
  try {
    UTCToLocalTime(At(9999, 12, 31, 23));
    FAIL() << "no error";
  } catch (const EOSError& e) {
    EXPECT_NE(std::string(e.what()).find("9999-12-31T23:00:00Z"), std::string::npos) << e.what();
  }
}

}  // namespace
}  // namespace corvenna
