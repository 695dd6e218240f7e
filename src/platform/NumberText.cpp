// Numbers written as text: the platform's FormatFloat patterns and the
// general format of FloatToStr.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/Text.h"

namespace corvenna {
namespace {

// |value| = 0.digits x 10^exponent; no leading or trailing zeros; zero has no digits.
struct Decimal {
  std::string digits;
  int exponent = 0;

  bool IsZero() const { return digits.empty(); }
  char DigitAt(int index) const {
    return index >= 0 && index < static_cast<int>(digits.size()) ? digits[static_cast<size_t>(index)] : '0';
  }
};

void StripTrailingZeros(Decimal& d) {
  while (!d.digits.empty() && d.digits.back() == '0') d.digits.pop_back();
  if (d.digits.empty()) d.exponent = 0;
}

Decimal ToDecimal(long double magnitude, int precision) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*Le", precision - 1, magnitude);
  Decimal d;
  const char* p = text;
  for (; *p && *p != 'e'; ++p) {
    if (*p >= '0' && *p <= '9') d.digits += *p;
  }
  d.exponent = (*p == 'e' ? std::atoi(p + 1) : 0) + 1;
  StripTrailingZeros(d);
  return d;
}

// A value that is exactly a double came from a double (the database, the
// registry, a parsed text): its first 15 digits are what it means. Other
// values are shown to the 18 digits that extended precision holds.
Decimal ToMeaningfulDecimal(long double magnitude) {
  const bool isDouble = static_cast<long double>(static_cast<double>(magnitude)) == magnitude;
  return ToDecimal(magnitude, isDouble ? 15 : 18);
}

// Keeps the first `keep` digits, rounding half away from zero.
void RoundToDigits(Decimal& d, int keep) {
  if (keep < 0) {
    d = Decimal{};
    return;
  }
  if (keep >= static_cast<int>(d.digits.size())) return;
  const bool up = d.digits[static_cast<size_t>(keep)] >= '5';
  d.digits.resize(static_cast<size_t>(keep));
  if (up) {
    while (!d.digits.empty() && d.digits.back() == '9') d.digits.pop_back();
    if (d.digits.empty()) {
      d.digits.assign(1, '1');
      d.exponent += 1;
    } else {
      d.digits.back() = static_cast<char>(d.digits.back() + 1);
    }
  }
  StripTrailingZeros(d);
}

// One section of a pattern, as far as the placement of the digits needs it.
struct Section {
  std::string text;
  int integerPlaceholders = 0;
  int firstForcedInteger = -1;  // index of the first "0" before the point
  int decimalPlaceholders = 0;
  int forcedDecimals = 0;  // position of the last "0" after the point
  bool thousands = false;
  bool scientific = false;
};

size_t SkipQuoted(const std::string& text, size_t at) {
  const size_t close = text.find(text[at], at + 1);
  return close == std::string::npos ? text.size() : close + 1;
}

bool IsExponentAt(const std::string& text, size_t at) {
  return (text[at] == 'E' || text[at] == 'e') && at + 1 < text.size() && (text[at + 1] == '+' || text[at + 1] == '-');
}

std::vector<std::string> SplitSections(const std::string& pattern) {
  std::vector<std::string> sections(1);
  for (size_t i = 0; i < pattern.size();) {
    if (pattern[i] == '"' || pattern[i] == '\'') {
      const size_t end = SkipQuoted(pattern, i);
      sections.back() += pattern.substr(i, end - i);
      i = end;
    } else if (pattern[i] == ';') {
      sections.emplace_back();
      ++i;
    } else {
      sections.back() += pattern[i++];
    }
  }
  return sections;
}

Section AnalyseSection(const std::string& text) {
  Section s{.text = text};
  bool point = false;
  for (size_t i = 0; i < text.size();) {
    const char c = text[i];
    if (c == '"' || c == '\'') {
      i = SkipQuoted(text, i);
      continue;
    }
    if (IsExponentAt(text, i)) {
      s.scientific = true;
      break;
    }
    if (c == '0' || c == '#') {
      if (point) {
        ++s.decimalPlaceholders;
        if (c == '0') s.forcedDecimals = s.decimalPlaceholders;
      } else {
        if (c == '0' && s.firstForcedInteger < 0) s.firstForcedInteger = s.integerPlaceholders;
        ++s.integerPlaceholders;
      }
    } else if (c == '.') {
      point = true;
    } else if (c == ',') {
      s.thousands = true;
    }
    ++i;
  }
  return s;
}

class SectionWriter {
 public:
  SectionWriter(const Section& section, const Decimal& value, int exponentValue, const TFormatSettings& settings)
      : s_(section), d_(value), exponentValue_(exponentValue), settings_(settings) {
    integerDigits_ = d_.IsZero() ? 0 : std::max(d_.exponent, 0);
    shownDecimals_ = s_.forcedDecimals;
    for (int j = s_.decimalPlaceholders; j > shownDecimals_; --j) {
      if (DecimalDigit(j) != '0') {
        shownDecimals_ = j;
        break;
      }
    }
  }

  std::string Write() {
    const std::string& text = s_.text;
    for (size_t i = 0; i < text.size();) {
      const char c = text[i];
      if (c == '"' || c == '\'') {
        const size_t close = text.find(c, i + 1);
        const size_t stop = close == std::string::npos ? text.size() : close;
        out_ += text.substr(i + 1, stop - i - 1);
        i = close == std::string::npos ? text.size() : close + 1;
      } else if (IsExponentAt(text, i)) {
        i = WriteExponent(i);
      } else if (c == '0' || c == '#') {
        pointSeen_ ? WriteDecimalPlaceholder() : WriteIntegerPlaceholder();
        ++i;
      } else if (c == '.' && !pointSeen_) {
        WritePoint();
        ++i;
      } else if (c == ',') {
        ++i;
      } else {
        out_ += c;
        ++i;
      }
    }
    if (!pointSeen_ && s_.integerPlaceholders == 0) WriteIntegerDigits(integerDigits_ - 1, 0);
    return out_;
  }

 private:
  char IntegerDigit(int power) const { return d_.DigitAt(d_.exponent - 1 - power); }
  char DecimalDigit(int position) const { return d_.DigitAt(d_.exponent + position - 1); }

  void WriteDigitAtPower(char digit, int power) {
    out_ += digit;
    if (s_.thousands && power > 0 && power % 3 == 0) out_ += settings_.ThousandSeparator;
  }
  void WriteIntegerDigits(int fromPower, int toPower) {
    for (int p = fromPower; p >= toPower; --p) WriteDigitAtPower(IntegerDigit(p), p);
  }

  void WriteIntegerPlaceholder() {
    const int power = s_.integerPlaceholders - 1 - integerIndex_;
    if (integerIndex_ == 0) WriteIntegerDigits(integerDigits_ - 1, s_.integerPlaceholders);
    const bool forced = s_.firstForcedInteger >= 0 && integerIndex_ >= s_.firstForcedInteger;
    if (power < integerDigits_ || forced) WriteDigitAtPower(IntegerDigit(power), power);
    ++integerIndex_;
  }

  void WriteDecimalPlaceholder() {
    ++decimalIndex_;
    if (decimalIndex_ <= shownDecimals_) out_ += DecimalDigit(decimalIndex_);
  }

  void WritePoint() {
    if (s_.integerPlaceholders == 0) WriteIntegerDigits(integerDigits_ - 1, 0);
    pointSeen_ = true;
    if (shownDecimals_ > 0) out_ += settings_.DecimalSeparator;
  }

  size_t WriteExponent(size_t at) {
    const std::string& text = s_.text;
    out_ += text[at];
    const bool plusShown = text[at + 1] == '+';
    if (exponentValue_ < 0) {
      out_ += '-';
    } else if (plusShown) {
      out_ += '+';
    }
    size_t i = at + 2;
    int width = 0;
    while (i < text.size() && text[i] == '0') ++width, ++i;
    std::string digits = std::to_string(std::abs(exponentValue_));
    if (static_cast<int>(digits.size()) < width) digits.insert(0, static_cast<size_t>(width) - digits.size(), '0');
    out_ += digits;
    return i;
  }

  const Section& s_;
  const Decimal& d_;
  int exponentValue_;
  const TFormatSettings& settings_;
  std::string out_;
  int integerDigits_ = 0;
  int shownDecimals_ = 0;
  int integerIndex_ = 0;
  int decimalIndex_ = 0;
  bool pointSeen_ = false;
};

// Rounds the magnitude as the section asks; for a scientific section the
// decimal is rescaled to the mantissa and the exponent is returned.
Decimal RoundForSection(const Section& s, long double magnitude, int& exponentValue) {
  Decimal d = ToMeaningfulDecimal(magnitude);
  exponentValue = 0;
  if (!s.scientific) {
    RoundToDigits(d, d.exponent + s.decimalPlaceholders);
    return d;
  }
  const int integerPlaces = std::max(s.integerPlaceholders, 1);
  RoundToDigits(d, integerPlaces + s.decimalPlaceholders);
  if (!d.IsZero()) {
    exponentValue = d.exponent - integerPlaces;
    d.exponent = integerPlaces;
  }
  return d;
}

std::string SpecialValueText(long double value) {
  if (std::isnan(value)) return "NAN";
  return value < 0 ? "-INF" : "INF";
}

}  // namespace

std::string FormatFloat(const std::string& pattern, long double value, const TFormatSettings& settings) {
  if (!std::isfinite(value)) return SpecialValueText(value);
  if (pattern.empty()) return FloatToStr(value, settings);
  const std::vector<std::string> sections = SplitSections(pattern);
  const bool negative = value < 0;
  const bool hasNegativeSection = negative && sections.size() > 1 && !sections[1].empty();
  Section section = AnalyseSection(hasNegativeSection ? sections[1] : sections[0]);
  int exponentValue = 0;
  Decimal d = RoundForSection(section, std::fabs(value), exponentValue);
  if (d.IsZero() && sections.size() > 2 && !sections[2].empty()) {
    section = AnalyseSection(sections[2]);
    d = RoundForSection(section, std::fabs(value), exponentValue);
  }
  const std::string text = SectionWriter(section, d, exponentValue, settings).Write();
  return negative && !hasNegativeSection && !d.IsZero() ? "-" + text : text;
}

std::string FloatToStr(long double value, const TFormatSettings& settings) {
  if (!std::isfinite(value)) return SpecialValueText(value);
  const Decimal d = ToDecimal(std::fabs(value), 15);
  if (d.IsZero()) return "0";
  std::string text = value < 0 ? "-" : "";
  const int size = static_cast<int>(d.digits.size());
  if (d.exponent > 15 || d.exponent < -4) {
    text += d.digits[0];
    if (size > 1) text += settings.DecimalSeparator + d.digits.substr(1);
    return text + "E" + std::to_string(d.exponent - 1);
  }
  if (d.exponent <= 0) return text + "0" + settings.DecimalSeparator + std::string(static_cast<size_t>(-d.exponent), '0') + d.digits;
  for (int i = 0; i < d.exponent; ++i) text += d.DigitAt(i);
  if (size > d.exponent) text += settings.DecimalSeparator + d.digits.substr(static_cast<size_t>(d.exponent));
  return text;
}

}  // namespace corvenna
