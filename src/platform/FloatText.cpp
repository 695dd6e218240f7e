#include <locale.h>
#include <stdlib.h>

#include <cmath>
#include <cstdio>

#include "platform/Errors.h"
#include "platform/Text.h"

namespace corvenna {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The number rewritten in the C form ("-12.5E3"): blanks around it, a sign,
// digits with at most one decimal separator of the settings, an exponent.
bool ToCanonical(std::string_view text, std::string_view separator, std::string& canonical) {
  size_t i = 0, end = text.size();
  while (i < end && text[i] == ' ') ++i;
  while (end > i && text[end - 1] == ' ') --end;
  if (i < end && (text[i] == '+' || text[i] == '-')) canonical += text[i++];
  bool digits = false, point = false;
  while (i < end) {
    if (IsDigit(text[i])) {
      canonical += text[i++];
      digits = true;
    } else if (!point && !separator.empty() && text.substr(i, separator.size()) == separator) {
      canonical += '.';
      i += separator.size();
      point = true;
    } else {
      break;
    }
  }
  if (!digits) return false;
  if (i < end && (text[i] == 'e' || text[i] == 'E')) {
    canonical += 'E';
    ++i;
    if (i < end && (text[i] == '+' || text[i] == '-')) canonical += text[i++];
    if (i >= end || !IsDigit(text[i])) return false;
    while (i < end && IsDigit(text[i])) canonical += text[i++];
  }
  return i == end;
}

locale_t CLocale() {
  static const locale_t c = newlocale(LC_ALL_MASK, "C", nullptr);
  return c;
}

}  // namespace

bool TryStrToFloat(const std::string& text, long double& value, const TFormatSettings& settings) {
  std::string canonical;
  if (!ToCanonical(text, settings.DecimalSeparator, canonical)) return false;
  char* end = nullptr;
  const long double parsed = strtold_l(canonical.c_str(), &end, CLocale());
  if (end != canonical.c_str() + canonical.size() || !std::isfinite(parsed)) return false;
  value = parsed;
  return true;
}

long double StrToFloat(const std::string& text, const TFormatSettings& settings) {
  long double value = 0;
  if (!TryStrToFloat(text, value, settings)) {
    throw EConvertError(Format("'%s' is not a valid floating point value", text.c_str()));
  }
  return value;
}

}  // namespace corvenna
