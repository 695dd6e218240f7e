#pragma once
// The parser keeps values as C strings, so a character reference to U+0000
// would cut its value short: "CM-&#0;1" and "CM-&#0;2" would both read
// "CM-". Before parsing, such a reference is replaced by the two bytes C0 80
// (NUL's overlong form, which no parser turns a reference into and which is
// no UTF-8 of any character); values are read back with NUL in its place.
// The same two bytes written raw in a document read as NUL as well.
#include <optional>
#include <string>
#include <string_view>

namespace corvenna {

// The UTF-8 document with every NUL reference outside comments and CDATA
// sections replaced by C0 80; none when it holds no such reference or is
// declared in another encoding.
std::optional<std::string> MarkNulReferences(std::string_view xml);

// A parsed value with each C0 80 read as NUL.
std::string UnmarkNul(const char* value);

}  // namespace corvenna
