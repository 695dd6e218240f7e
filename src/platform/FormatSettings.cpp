#include "platform/FormatSettings.h"

#include <utility>

namespace corvenna {

TFormatSettings& FormatSettings() {
  static TFormatSettings settings;
  return settings;
}

ScopedFormatSettings::ScopedFormatSettings(TFormatSettings settings) : saved_(std::move(FormatSettings())) {
  FormatSettings() = std::move(settings);
}

ScopedFormatSettings::~ScopedFormatSettings() { FormatSettings() = std::move(saved_); }

TFormatSettings EnglishFormatSettings() { return TFormatSettings{}; }

TFormatSettings GermanFormatSettings() {
  TFormatSettings s;
  s.DecimalSeparator.assign(1, ',');
  s.ThousandSeparator.assign(1, '.');
  s.DateSeparator.assign(1, '.');
  s.TimeSeparator.assign(1, ':');
  s.CurrencyString = "€";
  s.CurrencyFormat = 3;
  s.CurrencyDecimals = 2;
  s.ShortDateFormat = "dd.mm.yyyy";
  s.LongDateFormat = "dddd, d. mmmm yyyy";
  s.ShortTimeFormat = "hh:nn";
  s.LongTimeFormat = "hh:nn:ss";
  s.ShortMonthNames = {"Jan", "Feb", "Mär", "Apr", "Mai", "Jun", "Jul", "Aug", "Sep", "Okt", "Nov", "Dez"};
  s.LongMonthNames = {"Januar", "Februar", "März",      "April",   "Mai",      "Juni",
                      "Juli",   "August",  "September", "Oktober", "November", "Dezember"};
  s.ShortDayNames = {"So", "Mo", "Di", "Mi", "Do", "Fr", "Sa"};
  s.LongDayNames = {"Sonntag", "Montag", "Dienstag", "Mittwoch", "Donnerstag", "Freitag", "Samstag"};
  return s;
}

}  // namespace corvenna
