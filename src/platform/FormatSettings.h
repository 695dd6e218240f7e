#pragma once
// The run-time format settings: one record, filled from the user's default
// locale when the library loads, read by every routine that formats or parses
// without a fixed pattern. The host's C locale is never changed.
#include <array>
#include <string>

namespace corvenna {

struct TFormatSettings {
  // One character each, held as its UTF-8 text (a no-break space is two bytes).
  std::string DecimalSeparator = ".";
  std::string ThousandSeparator = ",";
  std::string DateSeparator = "/";
  std::string TimeSeparator = ":";
  std::string CurrencyString = "$";
  int CurrencyFormat = 0;    // positive layout: 0 "$1", 1 "1$", 2 "$ 1", 3 "1 $"
  int CurrencyDecimals = 2;
  // Patterns in the platform's date-time format language: d dd ddd dddd m mm mmm
  // mmmm yy yyyy h hh n nn s ss z zzz am/pm ampm, "/" ":" and quoted literals.
  std::string ShortDateFormat = "dd/mm/yyyy";
  std::string LongDateFormat = "dddd, d mmmm yyyy";
  std::string ShortTimeFormat = "hh:nn";
  std::string LongTimeFormat = "hh:nn:ss";
  std::string TimeAMString = "AM";
  std::string TimePMString = "PM";
  std::array<std::string, 12> ShortMonthNames{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  std::array<std::string, 12> LongMonthNames{"January", "February", "March",     "April",
                                             "May",     "June",     "July",      "August",
                                             "September", "October", "November", "December"};
  std::array<std::string, 7> ShortDayNames{"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  std::array<std::string, 7> LongDayNames{"Sunday",   "Monday", "Tuesday", "Wednesday",
                                          "Thursday", "Friday", "Saturday"};
};

// The library's one record (English-like defaults until filled).
TFormatSettings& FormatSettings();

// Fills a record from the user's default locale (LC_ALL / LC_* / LANG, as
// newlocale(LC_ALL_MASK, "", 0) resolves them); an unknown locale gives "C".
// A value the locale leaves empty (no AM/PM texts in German, no thousand
// separator in "C") keeps the default above.
TFormatSettings FormatSettingsFromLocale();

// Replaces the library's record for the lifetime of the object (tests play a
// German or an English user with it) and puts the old one back.
class ScopedFormatSettings {
 public:
  explicit ScopedFormatSettings(TFormatSettings settings);
  ~ScopedFormatSettings();
  ScopedFormatSettings(const ScopedFormatSettings&) = delete;
  ScopedFormatSettings& operator=(const ScopedFormatSettings&) = delete;

 private:
  TFormatSettings saved_;
};

// Ready-made records for tests and the demo.
TFormatSettings EnglishFormatSettings();  // "." decimals, "," thousands, "$", format 0
TFormatSettings GermanFormatSettings();   // "," decimals, "." thousands, "€", format 3

}  // namespace corvenna
