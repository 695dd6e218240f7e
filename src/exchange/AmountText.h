#pragma once
// The amount text of a rate: rounded half away from zero at the second decimal
// or the 8th significant digit, whichever comes first, written without
// thousand separators, in exponent form above 8 integer digits.
#include <string>

#include "platform/Currency.h"
#include "platform/FormatSettings.h"

namespace corvenna {

// With the given decimal separator ("1234.50", "1.2345679E08", "2E08").
std::string AmountText(Currency amount, const std::string& decimalSeparator);
// A dot when useDot, else the settings' decimal separator; the settings
// themselves are never touched.
std::string RateAmountText(Currency amount, bool useDot, const TFormatSettings& settings = FormatSettings());

// A reply's amount written with a dot ("1,234.50", "1.234.50", "$1,234.50")
// made readable by StrToFloat under the settings: trimmed, made valid UTF-8,
// the currency string taken out; then each thousand separator, first to last,
// taken out while it stands before the last CurrencyDecimals characters
// (counted in UTF-16 units; "1.500" keeps its "." where three decimals are
// the rule); then each "." made the decimal separator. Linear in the length.
std::string DotAmountText(const std::string& value, const TFormatSettings& settings = FormatSettings());

}  // namespace corvenna
