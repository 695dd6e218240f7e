#include <gtest/gtest.h>

#include <locale.h>

#include <optional>
#include <vector>

#include "platform/ArrivalTime.h"
#include "platform/Errors.h"
#include "platform/ScopedEnv.h"

namespace corvenna {
namespace {

TDateTime Time(int h, int mi, int s = 0, int ms = 0) { return EncodeTime(h, mi, s, ms); }

TFormatSettings FinnishFormatSettings() {
  return TFormatSettings{.DecimalSeparator = ",",
                         .ThousandSeparator = "\xC2\xA0",
                         .DateSeparator = ".",
                         .TimeSeparator = ".",
                         .ShortDateFormat = "d.m.yyyy",
                         .ShortTimeFormat = "h.nn",
                         .LongTimeFormat = "h.nn.ss"};
}

struct ReadCase {
  const char* text;
  TDateTime time;
  std::optional<int> zone;
};

void ExpectReadings(const TFormatSettings& locale, std::initializer_list<ReadCase> cases) {
  const ScopedFormatSettings scoped(locale);
  for (const ReadCase& c : cases) {
    const TArrivalTimeReading reading = ReadArrivalTime(c.text);
    EXPECT_EQ(DateTimeToMSecs(reading.timeOfDay), DateTimeToMSecs(c.time)) << c.text;
    EXPECT_EQ(reading.zoneOffsetMinutes, c.zone) << c.text;
  }
}

const std::initializer_list<ReadCase> XsTimeForms = {
    {"14:00:00", Time(14, 0), std::nullopt},
    {"14:00:00.5", Time(14, 0, 0, 500), std::nullopt},
    {"14:00:00.250", Time(14, 0, 0, 250), std::nullopt},
    {"14:00:00.1239", Time(14, 0, 0, 123), std::nullopt},
    {"14:00:00Z", Time(14, 0), 0},
    {"14:00:00+02:00", Time(14, 0), 120},
    {"14:00:00.5-05:45", Time(14, 0, 0, 500), -345},
    {"23:59:59+14:00", Time(23, 59, 59), 840},
    {"24:00:00", 0, std::nullopt},
};

// The American user's own record where the system has the locale, and the
// ready-made English one.
std::vector<TFormatSettings> AmericanFormatSettings() {
  std::vector<TFormatSettings> records{EnglishFormatSettings()};
  if (locale_t locale = newlocale(LC_ALL_MASK, "en_US.UTF-8", nullptr)) {
    freelocale(locale);
    const test::ScopedEnv all("LC_ALL", "en_US.UTF-8");
    records.push_back(FormatSettingsFromLocale());
  }
  return records;
}

TEST(ArrivalTimeTest, EveryXsTimeFormIsReadUnderAnEnglishLocale) {
  for (const TFormatSettings& american : AmericanFormatSettings()) {
    ExpectReadings(american, XsTimeForms);
    ExpectReadings(american, {{"2:00 PM", Time(14, 0), std::nullopt},
                              {"14:00", Time(14, 0), std::nullopt},
                              {"9:05:30 am", Time(9, 5, 30), std::nullopt}});
  }
}

TEST(ArrivalTimeTest, EveryXsTimeFormIsReadWhereTheTimeSeparatorIsAFullStop) {
  ExpectReadings(FinnishFormatSettings(), XsTimeForms);
  ExpectReadings(FinnishFormatSettings(), {{"14.00.00", Time(14, 0), std::nullopt},
                                           {"14.00", Time(14, 0), std::nullopt},
                                           {"14.00.00,5", Time(14, 0, 0, 500), std::nullopt}});
}

TEST(ArrivalTimeTest, AnythingElseIsNoTime) {
  for (const TFormatSettings& locale : {EnglishFormatSettings(), FinnishFormatSettings()}) {
    const ScopedFormatSettings scoped(locale);
    for (const char* bad : {"", "14", "25:00:00", "14:60:00Z", "24:00:01", "24:00:00.5", "14:00:00.", "14:00:00+15:00",
                            "14:00:00+02", "14:00:00+2:00", "14:00:00 Z", "14:00:00z", "14:00:00ZZ", "noon"}) {
      try {
        ReadArrivalTime(bad);
        ADD_FAILURE() << "no error for " << bad;
      } catch (const EConvertError& e) {
        EXPECT_EQ(std::string(e.what()), std::string("'") + bad + "' is not a valid time");
      }
    }
  }
}

struct ConversionCase {
  const char* zone;
  const char* what;
  TArrivalTimeReading reading;
  bool useUtc;
  TDateTime arrivalDate;
  TDateTime stored;
};

TEST(ArrivalTimeTest, ConvertsByTheZonesRulesOnTheArrivalDate) {
  const TDateTime may = EncodeDate(2026, 5, 1), january = EncodeDate(2026, 1, 15), july = EncodeDate(2026, 7, 15);
  const TArrivalTimeReading at14Utc{Time(14, 0), std::nullopt};
  for (const ConversionCase& c : {
           ConversionCase{"Asia/Kathmandu", "+05:45", {Time(14, 20), std::nullopt}, true, may, Time(20, 5)},
           ConversionCase{"Asia/Kathmandu", "+05:45", at14Utc, true, may, Time(19, 45)},
           ConversionCase{"Asia/Kolkata", "+05:30", at14Utc, true, may, Time(19, 30)},
           ConversionCase{"Europe/Berlin", "winter", at14Utc, true, january, Time(15, 0)},
           ConversionCase{"Europe/Berlin", "summer", at14Utc, true, july, Time(16, 0)},
           ConversionCase{"Europe/Berlin", "the day summer time begins, after the change", at14Utc, true,
                          EncodeDate(2026, 3, 29), Time(16, 0)},
           ConversionCase{"Europe/Berlin", "the day summer time begins, before the change",
                          {Time(0, 30), std::nullopt}, true, EncodeDate(2026, 3, 29), Time(1, 30)},
           ConversionCase{"Europe/Berlin", "the arrival date's time part is ignored", at14Utc, true,
                          july + Time(23, 0), Time(16, 0)},
           ConversionCase{"Pacific/Apia", "+13, the next day", at14Utc, true, july, 1 + Time(3, 0)},
           ConversionCase{"Pacific/Apia", "+14 while it kept summer time", at14Utc, true, EncodeDate(2020, 1, 15),
                          1 + Time(4, 0)},
           ConversionCase{"America/New_York", "the day before", {Time(2, 0), std::nullopt}, true, january,
                          -1 - Time(21, 0)},
           ConversionCase{"Europe/Berlin", "milliseconds kept", {Time(14, 0, 0, 250), std::nullopt}, true, july,
                          Time(16, 0, 0, 250)},
       }) {
    const test::ScopedEnv zone("TZ", c.zone);
    EXPECT_EQ(DateTimeToMSecs(LocalArrivalTime(c.reading, c.useUtc, c.arrivalDate)), DateTimeToMSecs(c.stored))
        << c.zone << ": " << c.what;
  }
}

TEST(ArrivalTimeTest, ATimeWithItsOwnZoneIsConvertedFromItWhateverUseUtcTimeSays) {
  const TDateTime july = EncodeDate(2026, 7, 15);
  for (const bool useUtc : {true, false}) {
    {
      const test::ScopedEnv zone("TZ", "Europe/Berlin");
      EXPECT_EQ(LocalArrivalTime({Time(14, 0), 120}, useUtc, july), Time(14, 0)) << useUtc;
      EXPECT_EQ(LocalArrivalTime({Time(14, 0), 0}, useUtc, july), Time(16, 0)) << useUtc;
      EXPECT_EQ(LocalArrivalTime({Time(23, 0), -300}, useUtc, july), 1 + Time(6, 0)) << useUtc;
    }
    const test::ScopedEnv zone("TZ", "Asia/Kathmandu");
    EXPECT_EQ(LocalArrivalTime({Time(14, 20), 0}, useUtc, july), Time(20, 5)) << useUtc;
  }
}

TEST(ArrivalTimeTest, ALocalTimeIsKeptWithoutUseUtcTime) {
  const test::ScopedEnv zone("TZ", "Asia/Kathmandu");
  EXPECT_EQ(LocalArrivalTime({Time(14, 20), std::nullopt}, false, EncodeDate(2026, 7, 15)), Time(14, 20));
  EXPECT_EQ(LocalArrivalTime({0, std::nullopt}, false, EncodeDate(2026, 7, 15)), 0);
}

}  // namespace
}  // namespace corvenna
