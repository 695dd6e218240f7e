// Money as the locale's currency text and back, by the run-time format settings.
#include <cmath>

#include "data/OtaGfgIni.h"
#include "platform/FormatSettings.h"
#include "platform/Text.h"

namespace corvenna {
namespace {

std::string NumberPattern(int decimals) {
  if (decimals < 1 || decimals > 4) return "#,##0";
  return "#,##0." + std::string(static_cast<size_t>(decimals), '0');
}

Currency RoundToDecimals(Currency value, int decimals) {
  const long double scale = std::pow(10.0L, static_cast<long double>(decimals));
  const long double rounded = static_cast<long double>(RoundHalfEven(value.ToDouble() * scale)) / scale;
  return Currency::FromDouble(rounded);
}

// Characters counted as the host counts them: UTF-16 code units.
size_t CharPosition(const std::string& text, size_t byteOffset) { return Utf16Length(text.substr(0, byteOffset)) + 1; }

}  // namespace

std::string CurrencyToText(Currency value) {
  const TFormatSettings& settings = FormatSettings();
  const Currency rounded = RoundToDecimals(value, settings.CurrencyDecimals);
  const bool negative = rounded.raw < 0;
  // The currency string is taken literally, so it is joined to the formatted
  // number rather than put into the pattern.
  const std::string number = FormatFloat(NumberPattern(settings.CurrencyDecimals),
                                         Currency::FromRaw(negative ? -rounded.raw : rounded.raw).ToDouble(), settings);
  const std::string& sign = settings.CurrencyString;
  std::string text;
  switch (settings.CurrencyFormat) {
    case 1:
      text = number + sign;
      break;
    case 2:
      text = sign + " " + number;
      break;
    case 3:
      text = number + " " + sign;
      break;
    default:
      text = sign + number;
      break;
  }
  return negative ? "-" + text : text;
}

Currency TextToCurrency(const std::string& text) {
  const TFormatSettings& settings = FormatSettings();
  std::string rest = settings.CurrencyString.empty() ? text : ReplaceAll(text, settings.CurrencyString, "");
  const std::string& separator = settings.ThousandSeparator;
  if (!separator.empty()) {
    for (auto at = rest.find(separator); at != std::string::npos; at = rest.find(separator)) {
      const auto limit = static_cast<long long>(Utf16Length(rest)) - settings.CurrencyDecimals;
      if (static_cast<long long>(CharPosition(rest, at)) >= limit) break;
      rest.erase(at, separator.size());
    }
  }
  if (rest.empty()) return Currency{};
  return Currency::FromDouble(StrToFloat(rest, settings));
}

}  // namespace corvenna
