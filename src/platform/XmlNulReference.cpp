#include "platform/XmlNulReference.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "platform/Text.h"

namespace corvenna {
namespace {

constexpr std::string_view kMarker = "\xC0\x80";

// The length of "&#0;", "&#x00;" and the like at `at`; 0 for anything else.
size_t NulReferenceLength(std::string_view xml, size_t at) {
  if (xml.compare(at, 2, "&#") != 0) return 0;
  size_t end = at + 2;
  if (end < xml.size() && xml[end] == 'x') ++end;
  const size_t digits = end;
  while (end < xml.size() && xml[end] == '0') ++end;
  return end > digits && end < xml.size() && xml[end] == ';' ? end + 1 - at : 0;
}

// A declaration may name another encoding, in which the marker is no longer
// two bytes once the parser has converted the text.
bool IsDeclaredUtf8(std::string_view xml) {
  if (StartsWith(xml, "\xEF\xBB\xBF")) xml.remove_prefix(3);
  if (xml.substr(0, 4).find('\0') != std::string_view::npos) return false;
  if (!xml.empty() && static_cast<unsigned char>(xml[0]) >= 0xFE) return false;
  if (!StartsWith(xml, "<?xml")) return true;
  const std::string_view declaration = xml.substr(0, xml.find("?>"));
  const size_t name = declaration.find("encoding");
  if (name == std::string_view::npos) return true;
  const size_t quote = declaration.find_first_of("\"'", name);
  if (quote == std::string_view::npos) return true;
  const size_t close = declaration.find(declaration[quote], quote + 1);
  const std::string value = LowerCaseAscii(std::string(declaration.substr(quote + 1, close - quote - 1)));
  return value == "utf-8" || value == "utf8";
}

// Where a section that takes "&#0;" as it is written ends, when one opens at `at`.
size_t LiteralSectionEnd(std::string_view xml, size_t at) {
  for (const auto& [open, close] : {std::pair<std::string_view, std::string_view>{"<!--", "-->"},
                                    std::pair<std::string_view, std::string_view>{"<![CDATA[", "]]>"}}) {
    if (xml.compare(at, open.size(), open) != 0) continue;
    const size_t end = xml.find(close, at + open.size());
    return end == std::string_view::npos ? xml.size() : end + close.size();
  }
  return at;
}

}  // namespace

std::optional<std::string> MarkNulReferences(std::string_view xml) {
  if (xml.find("&#") == std::string_view::npos || !IsDeclaredUtf8(xml)) return std::nullopt;
  std::string marked;
  bool found = false;
  size_t copied = 0;
  for (size_t at = xml.find_first_of("<&"); at != std::string_view::npos; at = xml.find_first_of("<&", at)) {
    if (xml[at] == '<') {
      at = std::max(LiteralSectionEnd(xml, at), at + 1);
      continue;
    }
    const size_t length = NulReferenceLength(xml, at);
    if (length == 0) {
      ++at;
      continue;
    }
    marked.append(xml.substr(copied, at - copied)).append(kMarker);
    at += length;
    copied = at;
    found = true;
  }
  if (!found) return std::nullopt;
  marked.append(xml.substr(copied));
  return marked;
}

std::string UnmarkNul(const char* value) {
  if (std::strchr(value, kMarker[0]) == nullptr) return value;
  return ReplaceAll(value, kMarker, std::string_view("\0", 1));
}

}  // namespace corvenna
