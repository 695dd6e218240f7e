#include <gtest/gtest.h>

#include <limits>

#include "platform/Currency.h"
#include "platform/Errors.h"

namespace corvenna {
namespace {

TEST(CurrencyTest, RoundHalfEvenSendsHalvesToTheEvenNeighbour) {
  struct Case { long double value; int64_t rounded; };
  for (const Case& c : {Case{2.5L, 2}, Case{3.5L, 4}, Case{0.5L, 0}, Case{1.5L, 2}, Case{-2.5L, -2}, Case{-3.5L, -4},
                        Case{-0.5L, 0}, Case{2.4999999L, 2}, Case{2.5000001L, 3}, Case{-2.5000001L, -3},
                        Case{12345678.5L, 12345678}, Case{4503599627370497.5L, 4503599627370498},
                        Case{9223372036854775807.0L - 0.5L, 9223372036854775806}}) {
    EXPECT_EQ(RoundHalfEven(c.value), c.rounded) << static_cast<double>(c.value);
  }
}

TEST(CurrencyTest, RoundHalfEvenRaisesWhereNoIntegerFits) {
  for (long double bad : {1e19L, -1e19L, 9223372036854775808.0L, std::numeric_limits<long double>::infinity(),
                          std::numeric_limits<long double>::quiet_NaN()}) {
    EXPECT_THROW(RoundHalfEven(bad), EConvertError);
  }
  EXPECT_EQ(RoundHalfEven(-9223372036854775808.0L), std::numeric_limits<int64_t>::min());
}

TEST(CurrencyTest, FromDoubleHoldsTenThousandths) {
  EXPECT_EQ(Currency::FromDouble(1234.5678L).raw, 12345678);
  EXPECT_EQ(Currency::FromDouble(0.1).raw, 1000);
  EXPECT_EQ(Currency::FromDouble(-0.01).raw, -100);
  EXPECT_EQ(Currency::FromDouble(1234567.89).raw, 12345678900);
  EXPECT_EQ(Currency::FromDouble(0.00004).raw, 0);
  EXPECT_DOUBLE_EQ(static_cast<double>(Currency::FromRaw(1155000).ToDouble()), 115.5);
  EXPECT_EQ((Currency::FromRaw(5) + Currency::FromRaw(7)).raw, 12);
  EXPECT_LT(Currency::FromRaw(-1), Currency::FromRaw(0));
}

}  // namespace
}  // namespace corvenna
