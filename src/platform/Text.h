#pragma once
// Small text routines of the run time: trimming, number and date conversions
// with the platform's error texts, and UTF-16 counting for the host's lengths.
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/DateTime.h"
#include "platform/FormatSettings.h"

namespace corvenna {

// Removes every character whose code is 32 or less from both ends.
std::string Trim(std::string_view text);
// Removes only the blanks of XML (space, tab, CR, LF) from both ends: a control
// character there is part of the value, as in an id.
std::string TrimBlanks(std::string_view text);

bool StartsWith(std::string_view text, std::string_view prefix);
bool Contains(std::string_view text, std::string_view part);
std::string ReplaceAll(std::string text, std::string_view from, std::string_view to);
std::string LowerCaseAscii(std::string text);
bool SameTextAscii(std::string_view a, std::string_view b);

std::string IntToStr(int64_t value);
// Decimal, or hexadecimal after "$" or "0x"; surrounding blanks accepted.
// Raises EConvertError "'%s' is not a valid integer value".
int32_t StrToInt(const std::string& text);
int64_t StrToInt64(const std::string& text);
bool TryStrToInt(const std::string& text, int32_t& value);

// Decimal separator of the settings; blanks around the number, a sign and an
// exponent accepted; thousand separators not. Raises EConvertError
// "'%s' is not a valid floating point value".
long double StrToFloat(const std::string& text, const TFormatSettings& settings = FormatSettings());
bool TryStrToFloat(const std::string& text, long double& value,
                   const TFormatSettings& settings = FormatSettings());

// The platform's FormatFloat: patterns such as "#,##0.00", with sections
// (positive;negative;zero), "E+00" exponents and quoted literals ("..." or
// '...'); "," asks for thousand separators, "." for the decimal one. The
// digits asked for are rounded half away from zero on the decimal value.
std::string FormatFloat(const std::string& pattern, long double value,
                        const TFormatSettings& settings = FormatSettings());
// General format: shortest text, at most 15 significant digits.
std::string FloatToStr(long double value, const TFormatSettings& settings = FormatSettings());

// The platform's FormatDateTime with the pattern language of TFormatSettings.
std::string FormatDateTime(const std::string& pattern, TDateTime value,
                           const TFormatSettings& settings = FormatSettings());
// The time of day by the settings' time separator: h:n, h:n:s or h:n:s.zzz
// (a fraction of a second after "." or the decimal separator), with AM/PM
// (the settings' texts or "AM"/"PM") before or after it; raises
// EConvertError "'%s' is not a valid time".
TDateTime StrToTime(const std::string& text, const TFormatSettings& settings = FormatSettings());
// A date by the order of day, month and year in the settings' short date
// format and their date separator; without a year, the current one; a two-digit
// year within fifty years of now. Raises "'%s' is not a valid date".
TDateTime StrToDate(const std::string& text, const TFormatSettings& settings = FormatSettings());

// The first bytes of the text, at most maxBytes, never ending inside a UTF-8
// sequence.
std::string_view Utf8Left(std::string_view utf8, size_t maxBytes);

// The text as valid UTF-8 for storage: each ill-formed sequence (the longest
// start of one that could still be well formed, else one byte) becomes
// U+FFFD. A surrogate pair written as two three-byte sequences (as a parser
// writes the references "&#xD83D;&#xDE00;") becomes its one character; a lone
// surrogate becomes U+FFFD. NUL stays.
std::string ValidUtf8(std::string_view text);

// Length in UTF-16 code units, and the first `units` code units (never
// splitting a surrogate pair), as the host counts characters.
size_t Utf16Length(std::string_view utf8);
std::string Utf16Left(std::string_view utf8, size_t units);

}  // namespace corvenna
