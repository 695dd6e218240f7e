#pragma once
// Turns the locale's strftime and CLDR patterns into the platform's date-time
// pattern language (see FormatSettings.h); used when the format settings are
// read from the user's locale.
#include <functional>
#include <string>
#include <string_view>

namespace corvenna {

// Replaces the composite conversions by their parts: %T %R %D %F always, and
// %r %x %X %c by what localeItem gives for that letter (they differ per locale).
std::string ExpandPosixComposites(std::string_view posix, const std::function<std::string(char)>& localeItem);

// The pattern with every conversion turned into its platform letters (%d -> dd,
// %e -> d, %H -> hh, %M -> nn, %p -> ampm, ...); literal letters are quoted and
// conversions without an equivalent (%Z, %z) dropped. Expects an expanded pattern.
std::string PosixToPlatformPattern(std::string_view posix);

// The same for a CLDR date pattern ("EEEE, MMMM d, y" -> "dddd, mmmm d, yyyy"):
// literal text is quoted where the platform would read it as letters, quotes
// or separators; fields without an equivalent (era, week) are dropped.
std::string CldrToPlatformPattern(std::string_view cldr);

// The first character (UTF-8) of the literal text after the first conversion,
// blanks skipped: the separator between the fields; empty when there is none.
std::string FirstSeparator(std::string_view posix);

// The pattern cut before its first conversion of a time of day or time zone,
// trailing blanks and commas removed: the date part of a date-and-time pattern.
std::string DatePartOf(std::string_view posix);

// The pattern without its seconds (%S and the separator before it).
std::string WithoutSeconds(std::string_view posix);

}  // namespace corvenna
