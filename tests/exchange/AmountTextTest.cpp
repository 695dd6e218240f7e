#include "exchange/AmountText.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "platform/Text.h"

namespace corvenna {
namespace {

struct AmountCase {
  int64_t raw;  // money times 10000
  const char* withDot;
  const char* withLocale;  // German-like: "," decimals
};

const AmountCase kAmounts[] = {
    {12'345'000, "1234.50", "1234,50"},
    {0, "0.00", "0,00"},
    {123'450, "12.35", "12,35"},
    {-123'450, "-12.35", "-12,35"},
    {5, "0.00", "0,00"},                            // below half a hundredth
    {50, "0.01", "0,01"},                           // a half goes away from zero
    {12'345'678'910, "1234567.90", "1234567,90"},   // 8th significant digit before the 2nd decimal
    {123'456'784'999, "12345678.00", "12345678,00"},
    {1'234'567'890'000, "1.2345679E08", "1,2345679E08"},
    {2'000'000'000'000, "2E08", "2E08"},
    {999'999'995'000, "1E08", "1E08"},              // rounding up to nine integer digits
    {-1'234'567'890'000, "-1.2345679E08", "-1,2345679E08"},
    {INT64_MAX, "9.223372E14", "9,223372E14"},
};

TEST(AmountText, RoundsAndWritesWithEitherSeparator) {
  const TFormatSettings german = GermanFormatSettings();
  for (const AmountCase& c : kAmounts) {
    SCOPED_TRACE(c.raw);
    EXPECT_EQ(RateAmountText(Currency::FromRaw(c.raw), true, german), c.withDot);
    EXPECT_EQ(RateAmountText(Currency::FromRaw(c.raw), false, german), c.withLocale);
  }
}

TEST(AmountText, DotOptionLeavesTheLocaleSeparatorsAlone) {
  ScopedFormatSettings locale(GermanFormatSettings());
  EXPECT_EQ(RateAmountText(Currency::FromRaw(12'345'000), true), "1234.50");
  EXPECT_EQ(FormatSettings().DecimalSeparator, ",");
  EXPECT_EQ(FormatSettings().ThousandSeparator, ".");
  EXPECT_EQ(FormatFloat("#,##0.00", 1234.5L), "1.234,50");
}

}  // namespace
}  // namespace corvenna
