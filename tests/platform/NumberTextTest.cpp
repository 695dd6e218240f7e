#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "platform/Errors.h"
#include "platform/Text.h"

namespace corvenna {
namespace {

const TFormatSettings English = EnglishFormatSettings();
const TFormatSettings German = GermanFormatSettings();

template <typename Call>
void ExpectConvertError(Call call, const std::string& message) {
  try {
    call();
    ADD_FAILURE() << "no error, expected: " << message;
  } catch (const EConvertError& e) {
    EXPECT_EQ(std::string(e.what()), message);
  }
}

TEST(NumberTextTest, StrToIntReadsDecimalAndHexadecimal) {
  struct Case { const char* text; int32_t value; };
  for (const Case& c : {Case{"0", 0}, Case{"42", 42}, Case{"  42\t", 42}, Case{"-17", -17}, Case{"+5", 5},
                        Case{"007", 7}, Case{"$1F", 31}, Case{"0x1f", 31}, Case{"0X10", 16}, Case{"-$10", -16},
                        Case{"2147483647", 2147483647}, Case{"-2147483648", -2147483647 - 1}, Case{"$7FFFFFFF", 2147483647}}) {
    EXPECT_EQ(StrToInt(c.text), c.value) << c.text;
  }
}

TEST(NumberTextTest, StrToIntRejectsWithTheOriginalText) {
  for (const char* bad : {"", "   ", "12a", "1.5", "1 2", "--1", "+", "$", "0x", "$G", "2147483648", "-2147483649",
                          "99999999999999999999", "$80000000", "١٢"}) {
    ExpectConvertError([&] { StrToInt(bad); }, std::string("'") + bad + "' is not a valid integer value");
    int32_t value = 99;
    EXPECT_FALSE(TryStrToInt(bad, value)) << bad;
    EXPECT_EQ(value, 99);
  }
}

TEST(NumberTextTest, StrToInt64CoversTheWholeRange) {
  EXPECT_EQ(StrToInt64("9223372036854775807"), std::numeric_limits<int64_t>::max());
  EXPECT_EQ(StrToInt64("-9223372036854775808"), std::numeric_limits<int64_t>::min());
  EXPECT_EQ(StrToInt64(" 2147483648 "), 2147483648LL);
  ExpectConvertError([] { StrToInt64("9223372036854775808"); },
                     "'9223372036854775808' is not a valid integer value");
  EXPECT_EQ(IntToStr(-9223372036854775807LL - 1), "-9223372036854775808");
}

TEST(NumberTextTest, StrToFloatUsesTheSettingsSeparatorOnly) {
  struct Case { const char* text; const TFormatSettings& settings; long double value; };
  for (const Case& c : {Case{"12.5", English, 12.5L}, Case{"12,5", German, 12.5L}, Case{" -1.5e3 ", English, -1500},
                        Case{"1E+2", English, 100}, Case{"2e-2", German, 0.02L}, Case{".5", English, 0.5L},
                        Case{"5.", English, 5}, Case{"+0,25", German, 0.25L}, Case{"1234,50 ", German, 1234.5L},
                        Case{"0.1", English, 0.1L}}) {
    EXPECT_EQ(StrToFloat(c.text, c.settings), c.value) << c.text;
  }
}

TEST(NumberTextTest, StrToFloatRejectsWithTheOriginalText) {
  struct Case { const char* text; const TFormatSettings& settings; };
  for (const Case& c : {Case{"12.5", German}, Case{"12,5", English}, Case{"1,234.5", English}, Case{"1.234,5", German},
                        Case{"", English}, Case{" ", English}, Case{".", English}, Case{"e5", English},
                        Case{"1e", English}, Case{"1e+", English}, Case{"1.2.3", English}, Case{"abc", English},
                        Case{"- 5", English}, Case{"1e99999", English}, Case{"inf", English}, Case{"nan", English},
                        Case{"0x10", English}, Case{"5\t", English}}) {
    ExpectConvertError([&] { StrToFloat(c.text, c.settings); },
                       std::string("'") + c.text + "' is not a valid floating point value");
  }
}

TEST(NumberTextTest, StrToFloatReadsTheGlobalSettingsByDefault) {
  ScopedFormatSettings german(German);
  EXPECT_EQ(StrToFloat("2,75"), 2.75L);
  EXPECT_THROW(StrToFloat("2.75"), EConvertError);
}

TEST(NumberTextTest, FormatFloatPatterns) {
  struct Case { const char* pattern; long double value; const TFormatSettings& settings; const char* text; };
  for (const Case& c : {
           Case{"#,##0.00", 1234567.891L, English, "1,234,567.89"},
           Case{"#,##0.00", 1234567.891L, German, "1.234.567,89"},
           Case{"\"€\" #,##0.00", 1234.5L, German, "€ 1.234,50"},
           Case{"#,##0.00 \"€\"", 1234.5L, German, "1.234,50 €"},
           Case{"\"$\"#,##0.00", 1234.5L, English, "$1,234.50"},
           Case{"\"#,0.\"0", 7, English, "#,0.7"},
           Case{"'x'0", 7, English, "x7"},
           Case{"#,##0", 999, English, "999"},
           Case{"#,##0", 1000, English, "1,000"},
           Case{"#,##0", 1e20L, English, "100,000,000,000,000,000,000"},
           Case{"0,000", 5, English, "0,005"},
           Case{"000", 7, English, "007"},
           Case{"0", 2.5L, English, "3"},
           Case{"0", -2.5L, English, "-3"},
           Case{"0", 0.4L, English, "0"},
           Case{"0.00", 2.345, English, "2.35"},
           Case{"0.00", 1.005, English, "1.01"},
           Case{"#,##0.00", 999.995, English, "1,000.00"},
           Case{"0.00", -0.001L, English, "0.00"},
           Case{"0.##", 1.5L, English, "1.5"},
           Case{"0.##", 1, English, "1"},
           Case{"0.0#", 1, English, "1.0"},
           Case{"#", 0, English, ""},
           Case{"#.00", 0.5L, English, ".50"},
           Case{".00", 12.5L, English, "12.50"},
           Case{"00-00", 1234, English, "12-34"},
           Case{"0.00;(0.00)", -1.5L, English, "(1.50)"},
           Case{"0.00;(0.00)", 1.5L, English, "1.50"},
           Case{"0.00;-0.00;\"zero\"", 0.001L, English, "zero"},
           Case{"0.00;;\"zero\"", -1.25L, English, "-1.25"},
           Case{"0.00E+00", 12345, English, "1.23E+04"},
           Case{"0.0E-0", 0.00012L, German, "1,2E-4"},
           Case{"0.0E+0", 0, English, "0.0E+0"},
           Case{"#,##0.0000", 12345678901234.5678L, English, "12,345,678,901,234.5678"},
           Case{"", 1.5L, German, "1,5"},
       }) {
    EXPECT_EQ(FormatFloat(c.pattern, c.value, c.settings), c.text) << c.pattern << " " << static_cast<double>(c.value);
  }
  EXPECT_EQ(FormatFloat("0.00", std::numeric_limits<long double>::quiet_NaN(), English), "NAN");
  EXPECT_EQ(FormatFloat("0.00", -std::numeric_limits<long double>::infinity(), English), "-INF");
}

TEST(NumberTextTest, FloatToStrGeneralFormat) {
  struct Case { long double value; const TFormatSettings& settings; const char* text; };
  for (const Case& c : {Case{0, English, "0"}, Case{12.5L, English, "12.5"}, Case{12.5L, German, "12,5"},
                        Case{0.1, English, "0.1"}, Case{-2.5L, English, "-2.5"}, Case{1.0 / 3, English, "0.333333333333333"},
                        Case{2.0 / 3, English, "0.666666666666667"}, Case{1e14L, English, "100000000000000"},
                        Case{1e15L, English, "1E15"}, Case{1.5e20L, German, "1,5E20"}, Case{0.00001L, English, "0.00001"},
                        Case{0.000001L, English, "1E-6"}, Case{-1.25e-7L, English, "-1.25E-7"},
                        Case{123456789012345678.0L, English, "1.23456789012346E17"}, Case{100, English, "100"}}) {
    EXPECT_EQ(FloatToStr(c.value, c.settings), c.text) << static_cast<double>(c.value);
  }
}

}  // namespace
}  // namespace corvenna
