#include "exchange/AmountText.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string_view>
#include <vector>

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


// The rule as first written: the first separator taken out at a time while it
// stands before the currency decimals, counted anew every time.
std::string DotAmountByTheRule(const std::string& value, const TFormatSettings& locale) {
  std::string text = Trim(value);
  for (size_t at = text.find(locale.CurrencyString); !locale.CurrencyString.empty() && at != std::string::npos;
       at = text.find(locale.CurrencyString, at))
    text.erase(at, locale.CurrencyString.size());
  const std::string& thousands = locale.ThousandSeparator;
  for (size_t at = text.find(thousands); !thousands.empty() && at != std::string::npos; at = text.find(thousands)) {
    const auto position = static_cast<int64_t>(Utf16Length(std::string_view(text).substr(0, at))) + 1;
    if (position >= static_cast<int64_t>(Utf16Length(text)) - locale.CurrencyDecimals) break;
    text.erase(at, thousands.size());
  }
  for (size_t at = text.find('.'); at != std::string::npos; at = text.find('.', at + locale.DecimalSeparator.size()))
    text.replace(at, 1, locale.DecimalSeparator);
  return text;
}

// Every text of up to six pieces from an alphabet of digits, separators,
// currency strings and characters of two, three and four bytes.
std::vector<std::string> SmallAmountTexts() {
  const char* pieces[] = {"1", ",", ".", "\xC2\xA0", "$", "\xE2\x82\xAC", "\xF0\x9F\x98\x80", " "};
  std::vector<std::string> texts{""};
  for (size_t from = 0, length = 0; length < 6; ++length) {
    const size_t to = texts.size();
    for (size_t k = from; k < to; ++k)
      for (const char* piece : pieces) texts.push_back(texts[k] + piece);
    from = to;
  }
  return texts;
}

TEST(DotAmountText, GivesWhatTheRuleGivesForEverySmallText) {
  TFormatSettings finnish = GermanFormatSettings();
  finnish.ThousandSeparator = "\xC2\xA0";
  TFormatSettings wide = EnglishFormatSettings();
  wide.ThousandSeparator = "\xF0\x9F\x98\x80";
  wide.CurrencyDecimals = 3;
  TFormatSettings noDecimals = GermanFormatSettings();
  noDecimals.CurrencyDecimals = 0;
  const std::vector<std::string> texts = SmallAmountTexts();
  for (const TFormatSettings& locale : {EnglishFormatSettings(), GermanFormatSettings(), finnish, wide, noDecimals}) {
    for (const std::string& text : texts) {
      ASSERT_EQ(DotAmountText(text, locale), DotAmountByTheRule(text, locale))
          << "'" << text << "' with thousands '" << locale.ThousandSeparator << "'";
    }
  }
}

TEST(DotAmountText, ReadsDottedAmounts) {
  struct Case { const char* text; bool german; const char* readable; };
  for (const Case& c : {Case{"1.234.50", true, "1234,50"}, Case{"1.500", true, "1500"},
                        Case{" $1,234,567.50 ", false, "1234567.50"}, Case{"1,5", false, "1,5"},
                        Case{"1,000,000", false, "1000000"}}) {
    EXPECT_EQ(DotAmountText(c.text, c.german ? GermanFormatSettings() : EnglishFormatSettings()), c.readable)
        << c.text;
  }
}

// Text that is no UTF-8 is read as its valid form: no separator is formed
// from the bytes around one taken out.
TEST(DotAmountText, TextThatIsNotUtf8IsReadAsValidUtf8) {
  TFormatSettings finnish = GermanFormatSettings();
  finnish.ThousandSeparator = "\xC2\xA0";
  EXPECT_EQ(DotAmountText("1\xC2\xC2\xA0\xA0" "234.50", finnish), "1\xEF\xBF\xBD\xEF\xBF\xBD" "234,50");
  EXPECT_EQ(DotAmountText("\xEB" "1,234.50", EnglishFormatSettings()), "\xEF\xBF\xBD" "1234.50");
}

}  // namespace
}  // namespace corvenna
