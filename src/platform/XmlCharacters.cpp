#include "platform/XmlCharacters.h"

#include <cstdint>

namespace corvenna {
namespace {

bool IsXmlCharacter(uint32_t c) {
  if (c < 0x20) return c == 0x9 || c == 0xA || c == 0xD;
  if (c <= 0xD7FF) return true;
  if (c < 0xE000) return false;
  if (c <= 0xFFFD) return true;
  return c >= 0x10000 && c <= 0x10FFFF;
}

// The sequence length a lead byte announces and the bits it carries; 0 for a
// byte that can lead none (a continuation byte, C0, C1, F5 to FF).
size_t SequenceLength(unsigned char lead, uint32_t& bits) {
  if (lead < 0x80) {
    bits = lead;
    return 1;
  }
  if (lead >= 0xC2 && lead <= 0xDF) {
    bits = lead & 0x1Fu;
    return 2;
  }
  if (lead >= 0xE0 && lead <= 0xEF) {
    bits = lead & 0x0Fu;
    return 3;
  }
  if (lead >= 0xF0 && lead <= 0xF4) {
    bits = lead & 0x07u;
    return 4;
  }
  return 0;
}

constexpr uint32_t kSmallestOfLength[] = {0, 0, 0x80, 0x800, 0x10000};

// The length of the XML character at `at`; 0 where none begins.
size_t XmlCharacterLength(std::string_view utf8, size_t at) {
  uint32_t c = 0;
  const size_t length = SequenceLength(static_cast<unsigned char>(utf8[at]), c);
  if (length == 0 || at + length > utf8.size()) return 0;
  for (size_t k = 1; k < length; ++k) {
    const auto next = static_cast<unsigned char>(utf8[at + k]);
    if ((next & 0xC0) != 0x80) return 0;
    c = (c << 6) | (next & 0x3Fu);
  }
  // An overlong form is no character; surrogates and the rest fail below.
  return c < kSmallestOfLength[length] || !IsXmlCharacter(c) ? 0 : length;
}

}  // namespace

bool IsXmlText(std::string_view utf8) {
  for (size_t at = 0; at < utf8.size();) {
    const size_t length = XmlCharacterLength(utf8, at);
    if (length == 0) return false;
    at += length;
  }
  return true;
}

std::string EscapeNonXmlText(std::string_view utf8) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string shown;
  for (size_t at = 0; at < utf8.size();) {
    const size_t length = XmlCharacterLength(utf8, at);
    if (length > 0) {
      shown.append(utf8.substr(at, length));
      at += length;
      continue;
    }
    const auto byte = static_cast<unsigned char>(utf8[at++]);
    shown += "\\x";
    shown += kHex[byte >> 4];
    shown += kHex[byte & 0xF];
  }
  return shown;
}

}  // namespace corvenna
