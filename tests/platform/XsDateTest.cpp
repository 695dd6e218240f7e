#include <gtest/gtest.h>

#include "platform/Errors.h"
#include "platform/XsDate.h"

namespace corvenna {
namespace {

TEST(XsDateTest, DatesAndDateTimesGiveTheDayAtMidnight) {
  const TDateTime may1 = EncodeDate(2026, 5, 1);
  for (const char* text : {"2026-05-01", "2026-05-01Z", "2026-05-01+02:00", "2026-05-01-05:00", "2026-05-01+14:00",
                           "2026-05-01T14:30:00", "2026-05-01T23:59:59.123Z", "2026-05-01T14:30:00-05:00",
                           "2026-05-01T24:00:00", " 2026-05-01\n"}) {
    EXPECT_EQ(ParseXsDate(text), may1) << text;
  }
  EXPECT_EQ(ParseXsDate("2024-02-29"), EncodeDate(2024, 2, 29));
}

TEST(XsDateTest, AnythingElseRaises) {
  for (const char* bad : {"", "2026-02-29", "2026-13-01", "2026-00-10", "2026-5-1", "26-05-01", "2026/05/01",
                          "0000-01-01", "-2026-05-01", "2026-05-01T", "2026-05-01T25:00:00", "2026-05-01T14:30",
                          "2026-05-01T24:00:01", "2026-05-01+2:00", "2026-05-01+15:00", "2026-05-01+01:60",
                          "2026-05-01 x", "2026-05-01ZZ", "2026-05-01T14:30:00.", "1 May 2026"}) {
    try {
      ParseXsDate(bad);
      ADD_FAILURE() << "no error for " << bad;
    } catch (const EConvertError& e) {
      EXPECT_EQ(std::string(e.what()), std::string("'") + bad + "' is not a valid date");
    }
  }
}

}  // namespace
}  // namespace corvenna
