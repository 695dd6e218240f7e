#include <gtest/gtest.h>

#include <clocale>
#include <locale.h>

#include "platform/DateTime.h"
#include "platform/FormatSettings.h"
#include "platform/LocalePattern.h"
#include "platform/ScopedEnv.h"
#include "platform/Text.h"

namespace corvenna {
namespace {

bool LocaleInstalled(const char* name) {
  locale_t locale = newlocale(LC_ALL_MASK, name, nullptr);
  if (!locale) return false;
  freelocale(locale);
  return true;
}

TFormatSettings SettingsOfUser(const char* localeName) {
  test::ScopedEnv all("LC_ALL", localeName);
  return FormatSettingsFromLocale();
}

TEST(FormatSettingsTest, ScopedSettingsPutTheOldRecordBack) {
  const std::string before = FormatSettings().DecimalSeparator;
  {
    ScopedFormatSettings german(GermanFormatSettings());
    EXPECT_EQ(FormatSettings().DecimalSeparator, ",");
    {
      ScopedFormatSettings english(EnglishFormatSettings());
      EXPECT_EQ(FormatSettings().DecimalSeparator, ".");
    }
    EXPECT_EQ(FormatSettings().CurrencyString, "€");
  }
  EXPECT_EQ(FormatSettings().DecimalSeparator, before);
}

TEST(FormatSettingsTest, GermanUserLocale) {
  if (!LocaleInstalled("de_DE.UTF-8")) GTEST_SKIP() << "de_DE.UTF-8 is not installed";
  const TFormatSettings s = SettingsOfUser("de_DE.UTF-8");
  EXPECT_EQ(s.DecimalSeparator, ",");
  EXPECT_EQ(s.ThousandSeparator, ".");
  EXPECT_EQ(s.CurrencyString, "€");
  EXPECT_EQ(s.CurrencyFormat, 3);
  EXPECT_EQ(s.CurrencyDecimals, 2);
  EXPECT_EQ(s.ShortDateFormat, "dd.mm.yyyy");
  EXPECT_EQ(s.DateSeparator, ".");
  EXPECT_EQ(s.LongDateFormat, "dddd, d. mmmm yyyy");
  EXPECT_EQ(s.LongTimeFormat, "hh:nn:ss");
  EXPECT_EQ(s.ShortTimeFormat, "hh:nn");
  EXPECT_EQ(s.TimeSeparator, ":");
  EXPECT_EQ(s.ShortMonthNames, GermanFormatSettings().ShortMonthNames);
  EXPECT_EQ(s.LongMonthNames, GermanFormatSettings().LongMonthNames);
  EXPECT_EQ(s.ShortDayNames, GermanFormatSettings().ShortDayNames);
  EXPECT_EQ(s.LongDayNames[0], "Sonntag");
  EXPECT_EQ(s.TimeAMString, "AM");  // the locale has none
}

TEST(FormatSettingsTest, AmericanUserLocale) {
  if (!LocaleInstalled("en_US.UTF-8")) GTEST_SKIP() << "en_US.UTF-8 is not installed";
  const TFormatSettings s = SettingsOfUser("en_US.UTF-8");
  EXPECT_EQ(s.DecimalSeparator, ".");
  EXPECT_EQ(s.ThousandSeparator, ",");
  EXPECT_EQ(s.CurrencyString, "$");
  EXPECT_EQ(s.CurrencyFormat, 0);
  EXPECT_EQ(s.ShortDateFormat, "mm/dd/yyyy");
  EXPECT_EQ(s.DateSeparator, "/");
  EXPECT_EQ(s.LongTimeFormat, "hh:nn:ss ampm");
  EXPECT_EQ(s.ShortTimeFormat, "hh:nn ampm");
  EXPECT_EQ(s.ShortMonthNames[11], "Dec");
  EXPECT_EQ(s.LongDayNames[6], "Saturday");
  EXPECT_EQ(s.TimePMString, "PM");
}

TEST(FormatSettingsTest, LongDateIsTheLocalesOwnInItsOrderWithFullNames) {
  struct Case { const char* locale; const char* pattern; const char* text; };
  for (const Case& c : {Case{"en_US.UTF-8", "dddd, mmmm d, yyyy", "Friday, December 11, 2026"},
                        Case{"de_DE.UTF-8", "dddd, d. mmmm yyyy", "Freitag, 11. Dezember 2026"},
                        Case{"en_GB.UTF-8", "dddd, d mmmm yyyy", "Friday, 11 December 2026"}}) {
    if (!LocaleInstalled(c.locale)) {
      ADD_FAILURE() << c.locale << " is not installed (scripts/install-deps.sh generates it)";
      continue;
    }
    const TFormatSettings s = SettingsOfUser(c.locale);
    EXPECT_EQ(s.LongDateFormat, c.pattern) << c.locale;
    EXPECT_EQ(FormatDateTime("dddddd", EncodeDate(2026, 12, 11), s), c.text) << c.locale;
  }
}

// The C locale has no long date of its own: the date part of its date-and-time
// pattern stands in.
TEST(FormatSettingsTest, UnknownLocaleFallsBackToTheCLocale) {
  const TFormatSettings s = SettingsOfUser("xx_NOWHERE.UTF-8");
  EXPECT_EQ(s.DecimalSeparator, ".");
  EXPECT_EQ(s.ThousandSeparator, ",");
  EXPECT_EQ(s.CurrencyString, "$");
  EXPECT_EQ(s.CurrencyDecimals, 2);
  EXPECT_EQ(s.ShortDateFormat, "mm/dd/yy");
  EXPECT_EQ(s.LongDateFormat, "ddd mmm d yyyy");
  EXPECT_EQ(s.LongTimeFormat, "hh:nn:ss");
  EXPECT_EQ(s.ShortMonthNames[0], "Jan");
}

TEST(FormatSettingsTest, ReadingTheLocaleLeavesTheProcessLocaleAlone) {
  if (!LocaleInstalled("de_DE.UTF-8")) GTEST_SKIP() << "de_DE.UTF-8 is not installed";
  const std::string before = std::setlocale(LC_ALL, nullptr);
  SettingsOfUser("de_DE.UTF-8");
  EXPECT_EQ(std::setlocale(LC_ALL, nullptr), before);
  EXPECT_STREQ(localeconv()->decimal_point, ".");
}

TEST(LocalePatternTest, ConversionsBecomePlatformLetters) {
  struct Case { const char* posix; const char* platform; };
  for (const Case& c : {Case{"%d.%m.%Y", "dd.mm.yyyy"}, Case{"%e/%-m/%y", "d/m/yy"}, Case{"%I:%M:%S %p", "hh:nn:ss ampm"},
                        Case{"%k.%M", "h.nn"}, Case{"%A, %B %-d", "dddd, mmmm d"}, Case{"%a %b", "ddd mmm"},
                        Case{"%Y年%m月%d日", "yyyy年mm月dd日"}, Case{"%d de %B de %Y", "dd \"de\" mmmm \"de\" yyyy"},
                        Case{"%H h %M", "hh \"h\" nn"}, Case{"%Ey %OH %Z%%", "yy hh %"}}) {
    EXPECT_EQ(PosixToPlatformPattern(c.posix), c.platform) << c.posix;
  }
}

TEST(LocalePatternTest, CldrFieldsBecomePlatformLettersAndLiteralsStayLiteral) {
  struct Case { const char* cldr; const char* platform; };
  for (const Case& c : {Case{"EEEE, MMMM d, y", "dddd, mmmm d, yyyy"}, Case{"EEE dd.MM.yy", "ddd dd.mm.yy"},
                        Case{"cccc d LLLL yyyy", "dddd d mmmm yyyy"}, Case{"y年M月d日EEEE", "yyyy年m月d日dddd"},
                        Case{"EEEE d MMMM 'de' y", "dddd d mmmm \"de\" yyyy"},
                        Case{"d 'o''clock' MMM", "d \"o'clock\" mmm"}, Case{"d/M/y", "d\"/\"m\"/\"yyyy"},
                        Case{"'\"'d", "'\"'d"}, Case{"G y MMMM d", "yyyy mmmm d"}, Case{"EEEE, d MMMM y, 'w'. w", "dddd, d mmmm yyyy, \"w\"."}}) {
    EXPECT_EQ(CldrToPlatformPattern(c.cldr), c.platform) << c.cldr;
  }
}

TEST(LocalePatternTest, CompositesAreExpanded) {
  const auto item = [](char letter) { return letter == 'r' ? std::string("%I:%M:%S %p") : std::string("%r"); };
  EXPECT_EQ(ExpandPosixComposites("%T|%R|%D|%F", nullptr), "%H:%M:%S|%H:%M|%m/%d/%y|%Y-%m-%d");
  EXPECT_EQ(ExpandPosixComposites("%r", item), "%I:%M:%S %p");
  EXPECT_EQ(ExpandPosixComposites("%X", item), "");  // "%r" of the item is not followed again
  EXPECT_EQ(ExpandPosixComposites("100%%", nullptr), "100%%");
}

TEST(LocalePatternTest, SeparatorsDatePartsAndShortTimes) {
  EXPECT_EQ(FirstSeparator("%d.%m.%Y"), ".");
  EXPECT_EQ(FirstSeparator("%Y. %m. %d."), ".");
  EXPECT_EQ(FirstSeparator("%Y年%m月"), "年");
  EXPECT_EQ(FirstSeparator("%H:%M"), ":");
  EXPECT_EQ(FirstSeparator("%d"), "");
  EXPECT_EQ(DatePartOf("%a %d %b %Y %H:%M:%S %Z"), "%a %d %b %Y");
  EXPECT_EQ(DatePartOf("%a %b %e %H:%M:%S %Y"), "%a %b %e %Y");
  EXPECT_EQ(DatePartOf("%Y年%m月%d日 %H時%M分%S秒"), "%Y年%m月%d日");
  EXPECT_EQ(DatePartOf("%H:%M %d/%m/%Y"), "%d/%m/%Y");
  EXPECT_EQ(WithoutSeconds("%H:%M:%S"), "%H:%M");
  EXPECT_EQ(WithoutSeconds("%I:%M:%S %p"), "%I:%M %p");
}

}  // namespace
}  // namespace corvenna
