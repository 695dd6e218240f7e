// The format settings read from the user's default locale. The locale is
// opened as an object of its own (newlocale), so the process's C locale, which
// belongs to the host, is never changed.
#include <langinfo.h>
#include <locale.h>

#include <memory>
#include <type_traits>
#include <string>

#include "platform/CldrDatePattern.h"
#include "platform/FormatSettings.h"
#include "platform/LocalePattern.h"

namespace corvenna {
namespace {

struct LocaleDeleter {
  void operator()(locale_t locale) const { freelocale(locale); }
};
using LocaleHandle = std::unique_ptr<std::remove_pointer_t<locale_t>, LocaleDeleter>;

LocaleHandle OpenUserLocale() {
  if (locale_t user = newlocale(LC_ALL_MASK, "", nullptr)) return LocaleHandle(user);
  return LocaleHandle(newlocale(LC_ALL_MASK, "C", nullptr));
}

class LocaleReader {
 public:
  explicit LocaleReader(locale_t locale) : locale_(locale) {}

  std::string Text(nl_item item) const {
    const char* text = nl_langinfo_l(item, locale_);
    return text ? text : "";
  }
  // The monetary numbers come as the first byte of their text; CHAR_MAX (as
  // either signedness) means "not given".
  int Number(nl_item item, int fallback) const {
    const std::string text = Text(item);
    if (text.empty()) return fallback;
    const auto value = static_cast<unsigned char>(text[0]);
    return value >= 127 ? fallback : value;
  }
  // The name the locale of dates and times was opened by ("de_DE.UTF-8").
  std::string TimeLocaleName() const {
#ifdef _NL_LOCALE_NAME
    return Text(_NL_LOCALE_NAME(LC_TIME));
#else
    return {};
#endif
  }
  // A value the locale leaves empty keeps the one already in the record.
  void Fill(std::string& field, nl_item item) const {
    std::string text = Text(item);
    if (!text.empty()) field = std::move(text);
  }

 private:
  locale_t locale_;
};

std::string Expanded(const LocaleReader& reader, nl_item item) {
  return ExpandPosixComposites(reader.Text(item), [&reader](char letter) {
    switch (letter) {
      case 'r': return reader.Text(T_FMT_AMPM);
      case 'x': return reader.Text(D_FMT);
      case 'X': return reader.Text(T_FMT);
      default: return reader.Text(D_T_FMT);
    }
  });
}

void FillNumbers(const LocaleReader& reader, TFormatSettings& s) {
  reader.Fill(s.DecimalSeparator, RADIXCHAR);
  reader.Fill(s.ThousandSeparator, THOUSEP);
  if (s.ThousandSeparator == s.DecimalSeparator) s.ThousandSeparator.assign(1, s.DecimalSeparator == "," ? '.' : ',');
}

// CRNCYSTR: "-" before the amount, "+" after it, "." in place of the decimal separator.
void FillCurrency(const LocaleReader& reader, TFormatSettings& s) {
  const std::string crncy = reader.Text(CRNCYSTR);
  bool before = reader.Number(P_CS_PRECEDES, 1) != 0;
  std::string symbol = crncy;
  if (!crncy.empty() && (crncy[0] == '-' || crncy[0] == '+' || crncy[0] == '.')) {
    before = crncy[0] == '-';
    symbol = crncy.substr(1);
  }
  if (!symbol.empty()) s.CurrencyString = symbol;
  const bool spaced = reader.Number(P_SEP_BY_SPACE, 0) == 1;
  s.CurrencyFormat = (before ? 0 : 1) + (spaced ? 2 : 0);
  s.CurrencyDecimals = reader.Number(FRAC_DIGITS, 2);
}

void FillPatterns(const LocaleReader& reader, TFormatSettings& s) {
  const std::string shortDate = Expanded(reader, D_FMT);
  if (!shortDate.empty()) {
    s.ShortDateFormat = PosixToPlatformPattern(shortDate);
    if (const std::string separator = FirstSeparator(shortDate); !separator.empty()) s.DateSeparator = separator;
  }
  if (const std::string longDate = CldrFullDatePattern(reader.TimeLocaleName()); !longDate.empty()) {
    s.LongDateFormat = CldrToPlatformPattern(longDate);
  } else if (const std::string dateOfDateTime = DatePartOf(Expanded(reader, D_T_FMT)); !dateOfDateTime.empty()) {
    s.LongDateFormat = PosixToPlatformPattern(dateOfDateTime);
  }
  const std::string longTime = Expanded(reader, T_FMT);
  if (!longTime.empty()) {
    s.LongTimeFormat = PosixToPlatformPattern(longTime);
    s.ShortTimeFormat = PosixToPlatformPattern(WithoutSeconds(longTime));
    if (const std::string separator = FirstSeparator(longTime); !separator.empty()) s.TimeSeparator = separator;
  }
  reader.Fill(s.TimeAMString, AM_STR);
  reader.Fill(s.TimePMString, PM_STR);
}

// The stand-alone month names where the locale has them (the plain ones are
// the genitive forms in some languages).
void FillNames(const LocaleReader& reader, TFormatSettings& s) {
  for (int i = 0; i < 12; ++i) {
    reader.Fill(s.ShortMonthNames[i], static_cast<nl_item>(ABMON_1 + i));
    reader.Fill(s.LongMonthNames[i], static_cast<nl_item>(MON_1 + i));
#ifdef ALTMON_1
    reader.Fill(s.ShortMonthNames[i], static_cast<nl_item>(_NL_ABALTMON_1 + i));
    reader.Fill(s.LongMonthNames[i], static_cast<nl_item>(ALTMON_1 + i));
#endif
  }
  for (int i = 0; i < 7; ++i) {
    reader.Fill(s.ShortDayNames[i], static_cast<nl_item>(ABDAY_1 + i));
    reader.Fill(s.LongDayNames[i], static_cast<nl_item>(DAY_1 + i));
  }
}

}  // namespace

TFormatSettings FormatSettingsFromLocale() {
  TFormatSettings settings;
  const LocaleHandle locale = OpenUserLocale();
  if (!locale) return settings;
  const LocaleReader reader(locale.get());
  FillNumbers(reader, settings);
  FillCurrency(reader, settings);
  FillPatterns(reader, settings);
  FillNames(reader, settings);
  return settings;
}

}  // namespace corvenna
