#pragma once
// The locale's own long date pattern from the common locale data (CLDR, read
// through ICU); the C library has none, only a date-and-time pattern.
#include <string>

namespace corvenna {

// The full date pattern (weekday, day, month and year in the locale's order,
// CLDR pattern letters) of a POSIX locale name such as "de_DE.UTF-8"; empty
// where the data has no entry for the locale's language ("C", "POSIX", unknown
// languages), rather than another locale's pattern.
std::string CldrFullDatePattern(const std::string& posixLocaleName);

}  // namespace corvenna
