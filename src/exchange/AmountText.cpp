#include "exchange/AmountText.h"

#include <cstdint>

#include "platform/Errors.h"

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

}  // namespace

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
