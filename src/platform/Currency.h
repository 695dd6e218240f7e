#pragma once
// Fixed-point money: the amount times 10000 in a 64-bit integer.
#include <compare>
#include <cstdint>

namespace corvenna {

// Rounds to the nearest integer, halves to the even neighbour, in extended precision.
int64_t RoundHalfEven(long double value);

struct Currency {
  int64_t raw = 0;  // amount * 10000

  static constexpr Currency FromRaw(int64_t value) { return Currency{value}; }
  // amount * 10000 rounded half to even.
  static Currency FromDouble(long double amount);
  long double ToDouble() const { return static_cast<long double>(raw) / 10000.0L; }

  friend constexpr Currency operator+(Currency a, Currency b) { return Currency{a.raw + b.raw}; }
  friend constexpr Currency operator-(Currency a, Currency b) { return Currency{a.raw - b.raw}; }
  Currency& operator+=(Currency other) {
    raw += other.raw;
    return *this;
  }
  friend constexpr auto operator<=>(Currency, Currency) = default;
};

}  // namespace corvenna
