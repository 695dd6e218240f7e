#include "platform/Text.h"

namespace corvenna {
namespace {

constexpr char32_t NoCharacter = 0xFFFFFFFF;
constexpr std::string_view ReplacementCharacter = "\xEF\xBF\xBD";

// The sequence at the start of a text: the character it encodes and its
// length, or NoCharacter and the length of its longest ill-formed start (at
// least one byte). Surrogates (ED A0..BF xx) are decoded like characters.
struct TSequence {
  char32_t code = NoCharacter;
  size_t length = 1;
};

TSequence FirstSequence(std::string_view text) {
  const auto lead = static_cast<unsigned char>(text[0]);
  if (lead < 0x80) return {lead, 1};
  size_t length = 0;
  char32_t code = 0;
  unsigned char low = 0x80, high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, code = lead & 0x1Fu;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, code = lead & 0x0Fu, low = lead == 0xE0 ? 0xA0 : 0x80;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, code = lead & 0x07u, low = lead == 0xF0 ? 0x90 : 0x80, high = lead == 0xF4 ? 0x8F : 0xBF;
  } else {
    return {};
  }
  for (size_t k = 1; k < length; ++k, low = 0x80, high = 0xBF) {
    if (k >= text.size()) return {NoCharacter, k};
    const auto next = static_cast<unsigned char>(text[k]);
    if (next < low || next > high) return {NoCharacter, k};
    code = code << 6 | (next & 0x3Fu);
  }
  return {code, length};
}

bool IsHighSurrogate(char32_t code) { return code >= 0xD800 && code <= 0xDBFF; }
bool IsLowSurrogate(char32_t code) { return code >= 0xDC00 && code <= 0xDFFF; }

void AppendUtf8(std::string& out, char32_t code) {
  out += static_cast<char>(0xF0 | code >> 18);
  out += static_cast<char>(0x80 | (code >> 12 & 0x3F));
  out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
  out += static_cast<char>(0x80 | (code & 0x3F));
}

// The length of the valid start of a text, in which most texts are whole.
size_t ValidPrefixLength(std::string_view text) {
  size_t at = 0;
  while (at < text.size()) {
    const TSequence sequence = FirstSequence(text.substr(at));
    if (sequence.code == NoCharacter || IsHighSurrogate(sequence.code) || IsLowSurrogate(sequence.code)) break;
    at += sequence.length;
  }
  return at;
}

}  // namespace

std::string ValidUtf8(std::string_view text) {
  size_t at = ValidPrefixLength(text);
  if (at == text.size()) return std::string(text);
  std::string out(text.substr(0, at));
  out.reserve(text.size());
  while (at < text.size()) {
    const TSequence sequence = FirstSequence(text.substr(at));
    if (IsHighSurrogate(sequence.code) && at + 3 < text.size()) {
      const TSequence low = FirstSequence(text.substr(at + 3));
      if (IsLowSurrogate(low.code)) {
        AppendUtf8(out, 0x10000 + ((sequence.code - 0xD800) << 10) + (low.code - 0xDC00));
        at += 6;
        continue;
      }
    }
    const bool wellFormed = sequence.code != NoCharacter && !IsHighSurrogate(sequence.code) &&
                            !IsLowSurrogate(sequence.code);
    if (wellFormed) out.append(text.substr(at, sequence.length));
    else out.append(ReplacementCharacter);
    at += sequence.length;
  }
  return out;
}

}  // namespace corvenna
