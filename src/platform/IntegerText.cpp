#include <limits>

#include "platform/Errors.h"
#include "platform/Text.h"

namespace corvenna {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Blanks, a sign, then decimal digits or hexadecimal ones after "$", "0x" or
// "0X", then blanks. The magnitude is checked against the limit of the type.
bool ParseInteger(std::string_view text, int64_t minimum, int64_t maximum, int64_t& value) {
  size_t i = 0, end = text.size();
  while (i < end && IsBlank(text[i])) ++i;
  while (end > i && IsBlank(text[end - 1])) --end;
  bool negative = false;
  if (i < end && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  int base = 10;
  if (i < end && text[i] == '$') {
    base = 16;
    ++i;
  } else if (i + 1 < end && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  if (i >= end) return false;
  // Accumulated as a negative number, which reaches the minimum of int64_t.
  const int64_t limit = negative ? minimum : -maximum;
  int64_t accumulated = 0;
  for (; i < end; ++i) {
    const int digit = HexDigit(text[i]);
    if (digit < 0 || digit >= base) return false;
    if (accumulated < (limit + digit) / base) return false;
    accumulated = accumulated * base - digit;
  }
  value = negative ? accumulated : -accumulated;
  return true;
}

[[noreturn]] void RaiseNotInteger(const std::string& text) {
  throw EConvertError(Format("'%s' is not a valid integer value", text.c_str()));
}

}  // namespace

std::string IntToStr(int64_t value) { return std::to_string(value); }

int32_t StrToInt(const std::string& text) {
  int32_t value = 0;
  if (!TryStrToInt(text, value)) RaiseNotInteger(text);
  return value;
}

int64_t StrToInt64(const std::string& text) {
  int64_t value = 0;
  if (!ParseInteger(text, std::numeric_limits<int64_t>::min(), std::numeric_limits<int64_t>::max(), value)) {
    RaiseNotInteger(text);
  }
  return value;
}

bool TryStrToInt(const std::string& text, int32_t& value) {
  int64_t wide = 0;
  if (!ParseInteger(text, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max(), wide)) {
    return false;
  }
  value = static_cast<int32_t>(wide);
  return true;
}

}  // namespace corvenna
