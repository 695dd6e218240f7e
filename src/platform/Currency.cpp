#include "platform/Currency.h"

#include <cmath>

#include "platform/Errors.h"

namespace corvenna {

int64_t RoundHalfEven(long double value) {
  // 2^63 is exact in long double; anything at or beyond it has no int64_t.
  constexpr long double limit = 9223372036854775808.0L;
  if (!std::isfinite(value) || value >= limit || value < -limit) {
    throw EConvertError(Format("%Lg cannot be rounded to a 64-bit integer", value));
  }
  const long double lower = std::floor(value);
  const long double fraction = value - lower;
  long double result = lower;
  if (fraction > 0.5L || (fraction == 0.5L && std::fmod(lower, 2.0L) != 0.0L)) result = lower + 1.0L;
  if (result >= limit) {
    throw EConvertError(Format("%Lg cannot be rounded to a 64-bit integer", value));
  }
  return static_cast<int64_t>(result);
}

Currency Currency::FromDouble(long double amount) { return Currency{RoundHalfEven(amount * 10000.0L)}; }

}  // namespace corvenna
