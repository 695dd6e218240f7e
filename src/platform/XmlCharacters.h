#pragma once
// What an XML 1.0 document can carry: well-formed UTF-8 of the characters
// #x9, #xA, #xD, #x20-#xD7FF, #xE000-#xFFFD and #x10000-#x10FFFF. Anything
// else (a control character, a lone surrogate, broken UTF-8) would make the
// document one that no parser accepts.
#include <string>
#include <string_view>

namespace corvenna {

bool IsXmlText(std::string_view utf8);

// The text with every byte that is not part of such a character written as
// \xNN (NUL as \x00, a lone surrogate as its three bytes), for messages.
std::string EscapeNonXmlText(std::string_view utf8);

}  // namespace corvenna
