#include "exchange/AmountText.h"

#include <cstdint>
#include <string_view>

#include "platform/Errors.h"
#include "platform/Text.h"

namespace corvenna {
namespace {

constexpr int SignificantDigits = 8;
constexpr uint64_t RawPerUnit = 10000;  // Currency holds the amount times 10000

int DigitCount(uint64_t value) {
  int digits = 1;
  while (value >= 10) value /= 10, ++digits;
  return digits;
}

uint64_t PowerOfTen(int exponent) {
  uint64_t power = 1;
  while (exponent-- > 0) power *= 10;
  return power;
}

// The rounding step in raw units: a hundredth, or coarser where the 8th
// significant digit lies before the second decimal.
uint64_t RoundingStep(uint64_t magnitude) {
  const uint64_t integerPart = magnitude / RawPerUnit;
  const int integerDigits = integerPart == 0 ? 0 : DigitCount(integerPart);
  const int decimals = SignificantDigits - integerDigits;
  return decimals >= 2 ? 100 : PowerOfTen(4 - decimals);
}

std::string ExponentText(uint64_t integerPart, const std::string& decimalSeparator) {
  std::string digits = std::to_string(integerPart);
  const int exponent = static_cast<int>(digits.size()) - 1;
  digits.resize(SignificantDigits);
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
  std::string text = digits.substr(0, 1);
  if (digits.size() > 1) text += decimalSeparator + digits.substr(1);
  return text + Format("E%02d", exponent);
}

// The length of the UTF-8 character that starts a valid text.
size_t CharacterLength(unsigned char lead) { return lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4; }

// Taking out the first separator at a time and measuring the text again each
// time would be quadratic. Built instead character by character: the text
// built holds no separator, so a separator it ends with is the first one of
// what is left, and its place is known from the units counted so far.
std::string WithoutThousandSeparators(std::string_view text, std::string_view separator, int currencyDecimals) {
  if (separator.empty() || text.find(separator) == std::string_view::npos) return std::string(text);
  const auto separatorUnits = static_cast<int64_t>(Utf16Length(separator));
  int64_t unitsLeft = static_cast<int64_t>(Utf16Length(text)), unitsBuilt = 0;
  std::string built;
  built.reserve(text.size());
  for (size_t at = 0; at < text.size();) {
    const size_t length = std::min(CharacterLength(static_cast<unsigned char>(text[at])), text.size() - at);
    const std::string_view character = text.substr(at, length);
    const auto units = static_cast<int64_t>(Utf16Length(character));
    built.append(character), at += length, unitsBuilt += units, unitsLeft -= units;
    if (!std::string_view(built).ends_with(separator)) continue;
    const int64_t position = unitsBuilt - separatorUnits + 1;
    if (position >= unitsBuilt + unitsLeft - currencyDecimals) return built.append(text.substr(at));
    built.resize(built.size() - separator.size()), unitsBuilt -= separatorUnits;
  }
  return built;
}

}  // namespace

std::string DotAmountText(const std::string& value, const TFormatSettings& settings) {
  const std::string text = ReplaceAll(ValidUtf8(Trim(value)), settings.CurrencyString, "");
  return ReplaceAll(WithoutThousandSeparators(text, settings.ThousandSeparator, settings.CurrencyDecimals), ".",
                    settings.DecimalSeparator);
}

std::string AmountText(Currency amount, const std::string& decimalSeparator) {
  const bool negative = amount.raw < 0;
  const uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(amount.raw) : static_cast<uint64_t>(amount.raw);
  const uint64_t step = RoundingStep(magnitude);
  const uint64_t rounded = (magnitude + step / 2) / step * step;
  const uint64_t integerPart = rounded / RawPerUnit;
  const uint64_t hundredths = rounded % RawPerUnit / 100;

  std::string text = negative && rounded != 0 ? "-" : "";
  if (DigitCount(integerPart) > SignificantDigits) return text + ExponentText(integerPart, decimalSeparator);
  return text + std::to_string(integerPart) + decimalSeparator + Format("%02u", static_cast<unsigned>(hundredths));
}

std::string RateAmountText(Currency amount, bool useDot, const TFormatSettings& settings) {
  return AmountText(amount, useDot ? std::string(".") : settings.DecimalSeparator);
}

}  // namespace corvenna
