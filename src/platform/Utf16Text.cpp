#include "platform/Text.h"

namespace corvenna {
namespace {

// Length in bytes of the UTF-8 character at `at` and its UTF-16 units. A byte
// that starts no well-formed sequence counts as one character of one unit.
void NextCharacter(std::string_view text, size_t at, size_t& bytes, size_t& units) {
  const auto lead = static_cast<unsigned char>(text[at]);
  size_t length = 1;
  if (lead >= 0xC2 && lead <= 0xDF) length = 2;
  else if (lead >= 0xE0 && lead <= 0xEF) length = 3;
  else if (lead >= 0xF0 && lead <= 0xF4) length = 4;
  bool wellFormed = at + length <= text.size();
  for (size_t k = 1; wellFormed && k < length; ++k) {
    wellFormed = (static_cast<unsigned char>(text[at + k]) & 0xC0) == 0x80;
  }
  if (!wellFormed) length = 1;
  bytes = length;
  units = length == 4 ? 2 : 1;
}

}  // namespace

size_t Utf16Length(std::string_view utf8) {
  size_t total = 0;
  for (size_t at = 0, bytes = 0, units = 0; at < utf8.size(); at += bytes) {
    NextCharacter(utf8, at, bytes, units);
    total += units;
  }
  return total;
}

std::string_view Utf8Left(std::string_view utf8, size_t maxBytes) {
  if (utf8.size() <= maxBytes) return utf8;
  size_t end = maxBytes;
  // A sequence is at most four bytes: three continuation bytes at most to go back.
  for (int k = 0; k < 3 && end > 0 && (static_cast<unsigned char>(utf8[end]) & 0xC0) == 0x80; ++k) --end;
  return utf8.substr(0, end);
}

std::string Utf16Left(std::string_view utf8, size_t units) {
  size_t at = 0, used = 0;
  while (at < utf8.size()) {
    size_t bytes = 0, characterUnits = 0;
    NextCharacter(utf8, at, bytes, characterUnits);
    if (used + characterUnits > units) break;
    used += characterUnits;
    at += bytes;
  }
  return std::string(utf8.substr(0, at));
}

}  // namespace corvenna
