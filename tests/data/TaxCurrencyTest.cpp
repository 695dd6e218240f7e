#include <gtest/gtest.h>

#include <functional>
#include <regex>
#include <set>

#include "data/Constants.h"
#include "data/OtaGfgIni.h"
#include "platform/Errors.h"
#include "platform/FormatSettings.h"
#include "support/RegistryFixture.h"
#include "support/ScratchHome.h"

namespace corvenna {
namespace {

Currency Money(long double amount) { return Currency::FromDouble(amount); }

// The host's tax settings as the registry holds them.
struct TaxSetup {
  bool inclusive = false;
  double r1 = 10, r5 = 0, r6 = 0;
  bool addTax2 = false, addTax3 = false, addTax4 = false, alwaysAddFixedTax = false;
  double fixedTax = 0;
  bool fixedTaxFirst = true, cumulative = true, fixedInPercent = true;

  void Store() const {
    const std::string settings(GSTSettingsKey), codes(GSTCodeKey);
    test::SetDword(settings, "GSTInclusive", inclusive);
    test::SetDword(settings, "AlwaysAddFixedTax", alwaysAddFixedTax);
    test::SetDword(settings, "FixedTaxFirst", fixedTaxFirst);
    test::SetDword(settings, "CumulativeTax", cumulative);
    test::SetDword(settings, "FixedInPercent", fixedInPercent);
    const double rates[6] = {r1, 0, 0, 0, r5, r6};
    for (int slot = 1; slot <= 6; ++slot) {
      test::SetString(codes, "GSTCode" + std::to_string(slot), "C");
      test::SetDouble(codes, "GSTRate" + std::to_string(slot), rates[slot - 1]);
    }
    test::SetDword(codes, "AddTax2", addTax2);
    test::SetDword(codes, "AddTax3", addTax3);
    test::SetDword(codes, "AddTax4", addTax4);
    test::SetDouble(std::string(GSTLabelKey), "FixedTax", fixedTax);
  }
};

TEST(TaxCurrencyTest, AddTaxesLeavesAnInclusivePriceAlone) {
  test::ScratchHome home;
  EXPECT_EQ(AddTaxes(Money(100)), Money(100)) << "GSTInclusive defaults to true";
  TaxSetup setup;
  setup.inclusive = true;
  setup.addTax2 = setup.addTax3 = setup.addTax4 = true;
  setup.Store();
  EXPECT_EQ(AddTaxes(Money(100)), Money(100));
}

TEST(TaxCurrencyTest, AddTaxesFollowsItsSteps) {
  struct Case {
    const char* what;
    std::function<void(TaxSetup&)> configure;
    Currency amount, expected;
  };
  const std::vector<Case> cases = {
      {"GST only, cumulative", [](TaxSetup&) {}, Money(100), Money(110)},
      {"fixed 5 % first, cumulative", [](TaxSetup& s) { s.addTax4 = true, s.fixedTax = 5; }, Money(100), Money(115.5)},
      {"fixed 5 % first, not cumulative", [](TaxSetup& s) { s.addTax4 = true, s.fixedTax = 5, s.cumulative = false; },
       Money(100), Money(115)},
      {"fixed 5 % not first, cumulative",
       [](TaxSetup& s) { s.addTax4 = true, s.fixedTax = 5, s.fixedTaxFirst = false; }, Money(100), Money(115)},
      {"no GST rate, fixed amount always added",
       [](TaxSetup& s) { s.r1 = 0, s.alwaysAddFixedTax = true, s.fixedTax = 2, s.fixedInPercent = false; }, Money(100),
       Money(102)},
      {"no GST rate, extra taxes switched off",
       [](TaxSetup& s) {
         s.r1 = 0, s.r5 = 5, s.r6 = 5, s.fixedTax = 3;
         s.addTax2 = s.addTax3 = s.addTax4 = true;
       },
       Money(100), Money(100)},
      {"second tax on the taxed amount", [](TaxSetup& s) { s.addTax2 = true, s.r5 = 5; }, Money(100), Money(115.5)},
      {"third tax on everything before it", [](TaxSetup& s) { s.addTax2 = s.addTax3 = true, s.r5 = 5, s.r6 = 10; },
       Money(100), Money(127.05)},
      {"every tax on the untaxed amount",
       [](TaxSetup& s) { s.addTax2 = s.addTax3 = true, s.r5 = 5, s.r6 = 10, s.cumulative = false; }, Money(100),
       Money(125)},
      {"third tax and a fixed tax not added first",
       [](TaxSetup& s) {
         s.addTax3 = s.addTax4 = true, s.r6 = 10, s.fixedTax = 2, s.fixedInPercent = false, s.fixedTaxFirst = false;
       },
       Money(100), Money(123)},
      {"third tax and a fixed tax added first",
       [](TaxSetup& s) { s.addTax3 = s.addTax4 = true, s.r6 = 10, s.fixedTax = 2, s.fixedInPercent = false; },
       Money(100), Money(123.42)},
      {"tax rounds half to even, down", [](TaxSetup& s) { s.r1 = 50; }, Currency::FromRaw(1), Currency::FromRaw(1)},
      {"tax rounds half to even, up", [](TaxSetup& s) { s.r1 = 50; }, Currency::FromRaw(3), Currency::FromRaw(5)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    test::ScratchHome home;
    TaxSetup setup;
    c.configure(setup);
    setup.Store();
    EXPECT_EQ(AddTaxes(c.amount).raw, c.expected.raw);
  }
}

TFormatSettings Locale(TFormatSettings base, int format, int decimals) {
  base.CurrencyFormat = format;
  base.CurrencyDecimals = decimals;
  return base;
}

struct FormatCase {
  TFormatSettings settings;
  long double amount;
  std::string text;
};

TEST(TaxCurrencyTest, CurrencyToTextLaysOutByTheLocale) {
  const auto en = EnglishFormatSettings();
  const auto de = GermanFormatSettings();
  const std::vector<FormatCase> cases = {
      {Locale(en, 0, 2), 1234.5, "$1,234.50"},
      {Locale(en, 1, 2), 1234.5, "1,234.50$"},
      {Locale(en, 2, 2), 1234.5, "$ 1,234.50"},
      {Locale(en, 3, 2), 1234.5, "1,234.50 $"},
      {Locale(en, 0, 2), 0, "$0.00"},
      {Locale(en, 0, 0), 2.5, "$2"},
      {Locale(en, 0, 0), 3.5, "$4"},
      {Locale(en, 0, 0), 1234567.5, "$1,234,568"},
      {Locale(en, 0, 4), 1.2345, "$1.2345"},
      {Locale(en, 0, 1), 999.96, "$1,000.0"},
      {Locale(en, 0, 2), -5, "-$5.00"},
      {Locale(de, 3, 2), 1234.5, "1.234,50 €"},
      {Locale(de, 0, 2), 1234.5, "€1.234,50"},
      {Locale(de, 1, 2), 1234.5, "1.234,50€"},
      {Locale(de, 2, 2), 1234.5, "€ 1.234,50"},
      {Locale(de, 3, 0), 1234567.5, "1.234.568 €"},
  };
  for (const auto& c : cases) {
    ScopedFormatSettings locale(c.settings);
    EXPECT_EQ(CurrencyToText(Money(c.amount)), c.text) << c.text;
  }
}

TEST(TaxCurrencyTest, CurrencyStringIsTakenLiterally) {
  auto settings = Locale(EnglishFormatSettings(), 3, 2);
  settings.CurrencyString = "#0.\"'";
  ScopedFormatSettings locale(settings);
  EXPECT_EQ(CurrencyToText(Money(7)), "7.00 #0.\"'");
  EXPECT_EQ(TextToCurrency("7.00 #0.\"'"), Money(7));
}

struct ParseCase {
  TFormatSettings settings;
  std::string text;
  long double amount;
  std::string error;  // empty: parses
};

TEST(TaxCurrencyTest, TextToCurrencyDropsCurrencyAndThousandSeparators) {
  const auto en = EnglishFormatSettings();
  const auto de = GermanFormatSettings();
  const std::vector<ParseCase> cases = {
      {Locale(en, 0, 2), "1,234,567.89", 1234567.89, ""},
      {Locale(en, 0, 2), "", 0, ""},
      {Locale(en, 0, 2), "$", 0, ""},
      {Locale(en, 0, 2), "$1,234.50", 1234.5, ""},
      {Locale(en, 0, 0), "1,234", 1234, ""},
      {Locale(en, 0, 2), "12,5", 0, "'12,5' is not a valid floating point value"},
      {Locale(en, 0, 2), "$abc", 0, "'abc' is not a valid floating point value"},
      {Locale(de, 2, 2), "€ 1.234,50", 1234.5, ""},
      {Locale(de, 3, 2), "1.234,50 €", 1234.5, ""},
      {Locale(de, 3, 2), "1.234.567", 1234567, ""},
      {Locale(de, 3, 2), "12.5", 0, "'12.5' is not a valid floating point value"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    ScopedFormatSettings locale(c.settings);
    try {
      EXPECT_EQ(TextToCurrency(c.text), Money(c.amount));
      EXPECT_EQ(c.error, "");
    } catch (const EConvertError& error) {
      EXPECT_EQ(error.what(), c.error);
    }
  }
}

TEST(TaxCurrencyTest, FormattedTextConvertsBackToTheRoundedAmount) {
  for (const auto& base : {EnglishFormatSettings(), GermanFormatSettings()}) {
    for (int format = 0; format <= 3; ++format) {
      for (const int decimals : {0, 2}) {
        ScopedFormatSettings locale(Locale(base, format, decimals));
        for (const long double amount : {0.0L, 0.5L, 7.25L, 1234.5L, 1234567.89L}) {
          const std::string text = CurrencyToText(Money(amount));
          const long double scale = decimals == 2 ? 100.0L : 1.0L;
          EXPECT_EQ(TextToCurrency(text), Money(static_cast<long double>(RoundHalfEven(amount * scale)) / scale))
              << text;
        }
      }
    }
  }
}

TEST(TaxCurrencyTest, IsLightColorWeighsRedGreenBlue) {
  const std::vector<std::pair<TColor, bool>> cases = {
      {clWhite, true},
      {clBlack, false},
      {clLime, true},
      {clRed, false},
      {clCream, true},
      {clWindow, true},
      {clWindowText, false},
      {RgbColor(128, 128, 128), false},
      {RgbColor(130, 130, 129), true},
  };
  for (const auto& [color, light] : cases) EXPECT_EQ(IsLightColor(color), light) << std::hex << color;
}

TEST(TaxCurrencyTest, NewGuidStringGivesFreshRegistryForms) {
  const std::regex form("\\{[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\\}");
  std::set<std::string> seen;
  for (int i = 0; i < 3; ++i) {
    const std::string guid = NewGuidString();
    EXPECT_TRUE(std::regex_match(guid, form)) << guid;
    seen.insert(guid);
  }
  EXPECT_EQ(seen.size(), 3u);
}

}  // namespace
}  // namespace corvenna
