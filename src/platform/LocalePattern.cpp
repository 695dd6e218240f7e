#include "platform/LocalePattern.h"

#include <cctype>
#include <cstring>
#include <vector>

namespace corvenna {
namespace {

struct PosixToken {
  bool conversion = false;
  char letter = 0;      // the conversion letter
  bool noPad = false;   // "%-d": no leading zero
  std::string literal;  // the text of a literal token
};

// Splits into literal runs and conversions; flags, widths and the E/O
// modifiers of a conversion are read and, apart from "-", forgotten.
std::vector<PosixToken> Tokenize(std::string_view posix) {
  std::vector<PosixToken> tokens;
  size_t i = 0;
  while (i < posix.size()) {
    if (posix[i] != '%' || i + 1 >= posix.size()) {
      if (tokens.empty() || tokens.back().conversion) tokens.push_back({});
      tokens.back().literal += posix[i++];
      continue;
    }
    PosixToken token{.conversion = true};
    ++i;
    while (i < posix.size() && std::strchr("-_0^#", posix[i])) token.noPad |= posix[i++] == '-';
    while (i < posix.size() && std::isdigit(static_cast<unsigned char>(posix[i]))) ++i;
    if (i < posix.size() && (posix[i] == 'E' || posix[i] == 'O')) ++i;
    if (i >= posix.size()) break;
    token.letter = posix[i++];
    if (token.letter == '%' || token.letter == 'n' || token.letter == 't') {
      if (tokens.empty() || tokens.back().conversion) tokens.push_back({});
      tokens.back().literal += token.letter == '%' ? '%' : ' ';
      continue;
    }
    tokens.push_back(token);
  }
  return tokens;
}

bool IsTimeLetter(char letter) { return std::strchr("HIklMSpPTRrXZzs", letter) != nullptr; }

std::string PlatformLetters(const PosixToken& token) {
  switch (token.letter) {
    case 'd': return token.noPad ? "d" : "dd";
    case 'e': return "d";
    case 'm': return token.noPad ? "m" : "mm";
    case 'Y': case 'G': return "yyyy";
    case 'y': case 'g': return "yy";
    case 'H': case 'I': return token.noPad ? "h" : "hh";
    case 'k': case 'l': return "h";
    case 'M': return token.noPad ? "n" : "nn";
    case 'S': return token.noPad ? "s" : "ss";
    case 'p': case 'P': return "ampm";
    case 'b': case 'h': return "mmm";
    case 'B': return "mmmm";
    case 'a': return "ddd";
    case 'A': return "dddd";
    default: return "";  // zone, week numbers, day of the year: nothing of ours
  }
}

// Letters and quote marks of a literal would act as pattern letters or quotes:
// they go inside quotes, a double quote inside single ones. "/" and ":" stand
// for the date and time separators unless quoted too.
std::string QuotedLiteral(const std::string& literal, bool quoteSeparators) {
  std::string out;
  bool inQuotes = false;
  for (char c : literal) {
    const bool quoted = std::isalpha(static_cast<unsigned char>(c)) != 0 || c == '\'' ||
                        (quoteSeparators && (c == '/' || c == ':'));
    if (quoted != inQuotes) {
      out += '"';
      inQuotes = quoted;
    }
    if (c == '"') {
      out += "'\"'";
    } else {
      out += c;
    }
  }
  if (inQuotes) out += '"';
  return out;
}

struct CldrField {
  char letter = 0;      // 0: a literal
  size_t count = 0;     // the letter's repetitions
  std::string literal;  // the text of a literal, quotes resolved
};

bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// Runs of one letter are fields; text in apostrophes is literal, and two
// apostrophes stand for one, inside quotes or out.
std::vector<CldrField> TokenizeCldr(std::string_view cldr) {
  std::vector<CldrField> fields;
  const auto addLiteral = [&fields](char c) {
    if (fields.empty() || fields.back().letter != 0) fields.push_back({});
    fields.back().literal += c;
  };
  bool quoted = false;
  for (size_t i = 0; i < cldr.size(); ++i) {
    const char c = cldr[i];
    if (c == '\'') {
      if (i + 1 < cldr.size() && cldr[i + 1] == '\'') {
        addLiteral('\'');
        ++i;
      } else {
        quoted = !quoted;
      }
    } else if (quoted || !IsAsciiLetter(c)) {
      addLiteral(c);
    } else if (!fields.empty() && fields.back().letter == c) {
      ++fields.back().count;
    } else {
      fields.push_back({c, 1, {}});
    }
  }
  return fields;
}

std::string PlatformLetters(const CldrField& field) {
  const size_t n = field.count;
  switch (field.letter) {
    case 'y': case 'Y': case 'u': case 'r': return n == 2 ? "yy" : "yyyy";
    case 'M': case 'L': return n == 1 ? "m" : n == 2 ? "mm" : n == 4 ? "mmmm" : "mmm";
    case 'd': return n == 1 ? "d" : "dd";
    case 'E': return n == 4 ? "dddd" : "ddd";
    case 'c': case 'e': return n <= 2 ? "" : n == 4 ? "dddd" : "ddd";
    default: return "";  // era, quarter, week and day-of-year fields: nothing of ours
  }
}

std::string Join(const std::vector<PosixToken>& tokens, size_t count) {
  std::string out;
  for (size_t i = 0; i < count && i < tokens.size(); ++i) {
    const PosixToken& t = tokens[i];
    if (!t.conversion) {
      for (char c : t.literal) out += c == '%' ? std::string("%%") : std::string(1, c);
      continue;
    }
    out += '%';
    if (t.noPad) out += '-';
    out += t.letter;
  }
  return out;
}

std::string Rejoin(const std::vector<PosixToken>& tokens) { return Join(tokens, tokens.size()); }

}  // namespace

std::string ExpandPosixComposites(std::string_view posix, const std::function<std::string(char)>& localeItem) {
  std::string out;
  for (const PosixToken& token : Tokenize(posix)) {
    if (!token.conversion) {
      out += Join({token}, 1);
      continue;
    }
    switch (token.letter) {
      case 'T': out += "%H:%M:%S"; break;
      case 'R': out += "%H:%M"; break;
      case 'D': out += "%m/%d/%y"; break;
      case 'F': out += "%Y-%m-%d"; break;
      case 'r': case 'x': case 'X': case 'c': {
        const std::string item = localeItem ? localeItem(token.letter) : std::string();
        // The locale's own item may itself be composite (en_US: %r in T_FMT); one
        // more level is enough, and a self-reference is not followed.
        if (item.find(std::string("%") + token.letter) == std::string::npos) {
          out += ExpandPosixComposites(item, nullptr);
        }
        break;
      }
      default: out += Join({token}, 1);
    }
  }
  return out;
}

std::string PosixToPlatformPattern(std::string_view posix) {
  std::string out;
  for (const PosixToken& token : Tokenize(posix)) {
    out += token.conversion ? PlatformLetters(token) : QuotedLiteral(token.literal, false);
  }
  return out;
}

std::string CldrToPlatformPattern(std::string_view cldr) {
  std::string out;
  for (const CldrField& field : TokenizeCldr(cldr)) {
    out += field.letter != 0 ? PlatformLetters(field) : QuotedLiteral(field.literal, true);
  }
  const size_t first = out.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return out.substr(first, out.find_last_not_of(' ') - first + 1);
}

std::string FirstSeparator(std::string_view posix) {
  const std::vector<PosixToken> tokens = Tokenize(posix);
  for (size_t i = 0; i + 1 < tokens.size(); ++i) {
    if (!tokens[i].conversion || tokens[i + 1].conversion) continue;
    const std::string& text = tokens[i + 1].literal;
    const size_t start = text.find_first_not_of(' ');
    if (start == std::string::npos) return " ";
    size_t end = start + 1;
    while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) ++end;
    return text.substr(start, end - start);
  }
  return "";
}

// Time conversions go; where they stood between date fields (or after the
// last one) the literal that followed the date field stays as the separator.
std::string DatePartOf(std::string_view posix) {
  const std::vector<PosixToken> tokens = Tokenize(posix);
  std::vector<PosixToken> kept;
  bool sawDate = false;
  for (size_t i = 0; i < tokens.size();) {
    if (tokens[i].conversion && !IsTimeLetter(tokens[i].letter)) {
      kept.push_back(tokens[i++]);
      sawDate = true;
      continue;
    }
    size_t end = i;
    bool dropsTime = false;
    while (end < tokens.size() && !(tokens[end].conversion && !IsTimeLetter(tokens[end].letter))) {
      dropsTime |= tokens[end].conversion;
      ++end;
    }
    if (!dropsTime || (sawDate && !tokens[i].conversion)) kept.push_back(tokens[i]);
    if (!dropsTime) kept.insert(kept.end(), tokens.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                                tokens.begin() + static_cast<std::ptrdiff_t>(end));
    i = end;
  }
  std::string out = Rejoin(kept);
  while (!out.empty() && (out.back() == ' ' || out.back() == ',')) out.pop_back();
  return out;
}

std::string WithoutSeconds(std::string_view posix) {
  std::vector<PosixToken> tokens = Tokenize(posix);
  for (size_t i = 0; i < tokens.size(); ++i) {
    if (!tokens[i].conversion || tokens[i].letter != 'S') continue;
    size_t first = i;
    if (i > 0 && !tokens[i - 1].conversion) first = i - 1;
    tokens.erase(tokens.begin() + static_cast<std::ptrdiff_t>(first), tokens.begin() + static_cast<std::ptrdiff_t>(i) + 1);
    break;
  }
  return Rejoin(tokens);
}

}  // namespace corvenna
