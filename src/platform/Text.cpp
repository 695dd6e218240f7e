#include "platform/Text.h"

namespace corvenna {
namespace {

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool IsControlOrBlank(char c) { return static_cast<unsigned char>(c) <= 32; }

bool IsXmlBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

template <typename IsTrimmed>
std::string TrimWhere(std::string_view text, IsTrimmed isTrimmed) {
  size_t first = 0, last = text.size();
  while (first < last && isTrimmed(text[first])) ++first;
  while (last > first && isTrimmed(text[last - 1])) --last;
  return std::string(text.substr(first, last - first));
}

}  // namespace

std::string Trim(std::string_view text) { return TrimWhere(text, IsControlOrBlank); }

std::string TrimBlanks(std::string_view text) { return TrimWhere(text, IsXmlBlank); }

bool StartsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

bool Contains(std::string_view text, std::string_view part) { return text.find(part) != std::string_view::npos; }

// Built anew rather than replaced in place, which would move the rest of a
// long text once for every occurrence.
std::string ReplaceAll(std::string text, std::string_view from, std::string_view to) {
  if (from.empty()) return text;
  size_t at = text.find(from);
  if (at == std::string::npos) return text;
  std::string replaced;
  replaced.reserve(text.size());
  size_t copied = 0;
  for (; at != std::string::npos; at = text.find(from, copied)) {
    replaced.append(text, copied, at - copied).append(to);
    copied = at + from.size();
  }
  return replaced.append(text, copied, std::string::npos);
}

std::string LowerCaseAscii(std::string text) {
  for (char& c : text) c = LowerAscii(c);
  return text;
}

bool SameTextAscii(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

}  // namespace corvenna
