// Dates and times as text: the platform's FormatDateTime patterns and the
// parsing of times and dates by the format settings.
#include <algorithm>
#include <cstdio>

#include "platform/Clock.h"
#include "platform/Errors.h"
#include "platform/Text.h"

namespace corvenna {
namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool MatchesAt(std::string_view text, size_t at, std::string_view word) {
  return !word.empty() && at + word.size() <= text.size() && SameTextAscii(text.substr(at, word.size()), word);
}

std::string Padded(int value, int width) {
  char text[16];
  std::snprintf(text, sizeof text, "%0*d", width, value);
  return text;
}

struct Fields {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, msec = 0, weekday = 1;
};

Fields Split(TDateTime value) {
  Fields f;
  DecodeDate(value, f.year, f.month, f.day);
  DecodeTime(value, f.hour, f.minute, f.second, f.msec);
  f.weekday = DayOfWeek(value);
  return f;
}

class DateTimeWriter {
 public:
  DateTimeWriter(TDateTime value, const TFormatSettings& settings) : value_(value), f_(Split(value)), s_(settings) {}

  std::string Write(const std::string& pattern, int depth = 0) {
    std::string out;
    char lastToken = 0;
    for (size_t i = 0; i < pattern.size();) {
      const char c = pattern[i];
      const char token = Lower(c);
      const size_t run = RunLength(pattern, i);
      if (c == '"' || c == '\'') {
        const size_t close = pattern.find(c, i + 1);
        const size_t stop = close == std::string::npos ? pattern.size() : close;
        out += pattern.substr(i + 1, stop - i - 1);
        i = close == std::string::npos ? pattern.size() : close + 1;
        continue;
      }
      if (token == 'a') {
        i += WriteAmPm(pattern, i, out);
        continue;
      }
      switch (token) {
        case 'c':
          out += Nested(s_.ShortDateFormat, depth);
          if (TimeOf(value_) != 0) out.append(1, ' ').append(Nested(s_.LongTimeFormat, depth));
          i += 1;
          break;
        case 'd': out += Days(run, depth); i += run; break;
        case 'm':
          out += (lastToken == 'h') ? Minutes(run) : Months(run);
          i += std::min<size_t>(run, (lastToken == 'h') ? 2 : 4);
          break;
        case 'y': out += run <= 2 ? Padded(f_.year % 100, 2) : Padded(f_.year, 4); i += run; break;
        case 'h': out += Padded(Hour(pattern, i + run), run >= 2 ? 2 : 1); i += std::min<size_t>(run, 2); break;
        case 'n': out += Minutes(run); i += std::min<size_t>(run, 2); break;
        case 's': out += Padded(f_.second, run >= 2 ? 2 : 1); i += std::min<size_t>(run, 2); break;
        case 'z': out += Padded(f_.msec, run >= 2 ? 3 : 1); i += std::min<size_t>(run, 3); break;
        case 't': out += Nested(run >= 2 ? s_.LongTimeFormat : s_.ShortTimeFormat, depth); i += std::min<size_t>(run, 2); break;
        case '/': out += s_.DateSeparator; i += 1; continue;
        case ':': out += s_.TimeSeparator; i += 1; continue;
        default: out += c; i += 1; continue;
      }
      lastToken = token;
    }
    return out;
  }

 private:
  static size_t RunLength(const std::string& pattern, size_t at) {
    size_t end = at;
    while (end < pattern.size() && Lower(pattern[end]) == Lower(pattern[at])) ++end;
    return end - at;
  }

  // The settings' own patterns may name each other; two levels are enough.
  std::string Nested(const std::string& pattern, int depth) { return depth < 2 ? Write(pattern, depth + 1) : ""; }

  std::string Days(size_t run, int depth) {
    switch (run) {
      case 1: return std::to_string(f_.day);
      case 2: return Padded(f_.day, 2);
      case 3: return s_.ShortDayNames[static_cast<size_t>(f_.weekday - 1)];
      case 4: return s_.LongDayNames[static_cast<size_t>(f_.weekday - 1)];
      case 5: return Nested(s_.ShortDateFormat, depth);
      default: return Nested(s_.LongDateFormat, depth);
    }
  }

  std::string Months(size_t run) const {
    switch (run) {
      case 1: return std::to_string(f_.month);
      case 2: return Padded(f_.month, 2);
      case 3: return s_.ShortMonthNames[static_cast<size_t>(f_.month - 1)];
      default: return s_.LongMonthNames[static_cast<size_t>(f_.month - 1)];
    }
  }

  std::string Minutes(size_t run) const { return Padded(f_.minute, run >= 2 ? 2 : 1); }

  // The 12-hour clock when an am/pm marker follows somewhere in the pattern.
  int Hour(const std::string& pattern, size_t from) const {
    for (size_t i = from; i < pattern.size(); ++i) {
      if (pattern[i] == '"' || pattern[i] == '\'') {
        const size_t close = pattern.find(pattern[i], i + 1);
        if (close == std::string::npos) break;
        i = close;
      } else if (MatchesAt(pattern, i, "am/pm") || MatchesAt(pattern, i, "a/p") || MatchesAt(pattern, i, "ampm")) {
        const int hour = f_.hour % 12;
        return hour == 0 ? 12 : hour;
      }
    }
    return f_.hour;
  }

  // Writes an am/pm marker in the case the pattern gives; returns the length used.
  size_t WriteAmPm(const std::string& pattern, size_t at, std::string& out) const {
    const bool pm = f_.hour >= 12;
    if (MatchesAt(pattern, at, "am/pm")) {
      out += pattern.substr(pm ? at + 3 : at, 2);
      return 5;
    }
    if (MatchesAt(pattern, at, "a/p")) {
      out += pattern[pm ? at + 2 : at];
      return 3;
    }
    if (MatchesAt(pattern, at, "ampm")) {
      out += pm ? s_.TimePMString : s_.TimeAMString;
      return 4;
    }
    out += pattern[at];
    return 1;
  }

  TDateTime value_;
  Fields f_;
  const TFormatSettings& s_;
};

// A small cursor over the text being parsed.
class Scanner {
 public:
  explicit Scanner(std::string_view text) : text_(text) {}

  void SkipBlanks() {
    while (at_ < text_.size() && text_[at_] == ' ') ++at_;
  }
  bool AtEnd() const { return at_ >= text_.size(); }
  bool Take(std::string_view word) {
    if (!MatchesAt(text_, at_, word)) return false;
    at_ += word.size();
    return true;
  }
  // Up to maxDigits decimal digits; false when there is none.
  bool Number(int& value, int& digits, int maxDigits = 4) {
    value = 0;
    digits = 0;
    while (at_ < text_.size() && digits < maxDigits && text_[at_] >= '0' && text_[at_] <= '9') {
      value = value * 10 + (text_[at_++] - '0');
      ++digits;
    }
    return digits > 0;
  }
  bool Number(int& value) {
    int digits = 0;
    return Number(value, digits);
  }

 private:
  std::string_view text_;
  size_t at_ = 0;
};

// -1 when no marker stands here; 0 for AM and 12 for PM.
int TakeAmPm(Scanner& scan, const TFormatSettings& s) {
  if (scan.Take(s.TimeAMString) || scan.Take("AM")) return 0;
  if (scan.Take(s.TimePMString) || scan.Take("PM")) return 12;
  return -1;
}

// Fraction of a second after the separator, as milliseconds (further digits dropped).
bool TakeMilliseconds(Scanner& scan, int& msec) {
  int value = 0, digits = 0;
  if (!scan.Number(value, digits, 3)) return false;
  for (int d = digits; d < 3; ++d) value *= 10;
  msec = value;
  int ignored = 0;
  while (scan.Number(ignored, digits, 9)) {
  }
  return true;
}

bool ScanTime(const std::string& text, const TFormatSettings& s, TDateTime& value) {
  Scanner scan(text);
  scan.SkipBlanks();
  int baseHour = TakeAmPm(scan, s);
  scan.SkipBlanks();
  int hour = 0, minute = 0, second = 0, msec = 0;
  if (!scan.Number(hour) || !scan.Take(s.TimeSeparator) || !scan.Number(minute)) return false;
  if (scan.Take(s.TimeSeparator)) {
    if (!scan.Number(second)) return false;
    if ((scan.Take(".") || scan.Take(s.DecimalSeparator)) && !TakeMilliseconds(scan, msec)) return false;
  }
  scan.SkipBlanks();
  if (baseHour < 0) baseHour = TakeAmPm(scan, s);
  scan.SkipBlanks();
  if (!scan.AtEnd()) return false;
  if (baseHour >= 0) {
    if (hour < 1 || hour > 12) return false;
    hour = hour % 12 + baseHour;
  }
  if (hour > 23 || minute > 59 || second > 59) return false;
  value = EncodeTime(hour, minute, second, msec);
  return true;
}

// The order of day, month and year in a short date pattern.
std::string DateOrder(const std::string& pattern) {
  std::string order;
  for (size_t i = 0; i < pattern.size() && order.size() < 3; ++i) {
    const char c = Lower(pattern[i]);
    if (pattern[i] == '"' || pattern[i] == '\'') {
      const size_t close = pattern.find(pattern[i], i + 1);
      if (close == std::string::npos) break;
      i = close;
    } else if ((c == 'd' || c == 'm' || c == 'y') && order.find(c) == std::string::npos) {
      order += c;
    }
  }
  return order.size() == 3 ? order : "dmy";
}

// Two-digit years fall within fifty years of the current one.
int FullYear(int year, int digits) {
  if (digits > 2) return year;
  int currentYear = 0, month = 0, day = 0;
  DecodeDate(Today(), currentYear, month, day);
  const int centuryBase = currentYear - 50;
  year += centuryBase / 100 * 100;
  if (year < centuryBase) year += 100;
  return year;
}

bool ScanDate(const std::string& text, const TFormatSettings& s, TDateTime& value) {
  Scanner scan(text);
  scan.SkipBlanks();
  int numbers[3] = {0, 0, 0}, digits[3] = {0, 0, 0};
  int count = 0;
  while (count < 3) {
    if (!scan.Number(numbers[count], digits[count])) return false;
    ++count;
    if (count == 3 || !scan.Take(s.DateSeparator)) break;
  }
  scan.SkipBlanks();
  if (count < 2 || !scan.AtEnd()) return false;
  std::string order = DateOrder(s.ShortDateFormat);
  int year = 0, month = 0, day = 0, yearDigits = 4;
  if (count == 2) {
    order.erase(order.find('y'), 1);
    DecodeDate(Today(), year, month, day);
  }
  for (int k = 0; k < count; ++k) {
    switch (order[static_cast<size_t>(k)]) {
      case 'd': day = numbers[k]; break;
      case 'm': month = numbers[k]; break;
      default: year = numbers[k]; yearDigits = digits[k]; break;
    }
  }
  year = FullYear(year, yearDigits);
  if (!IsValidDate(year, month, day)) return false;
  value = EncodeDate(year, month, day);
  return true;
}

}  // namespace

std::string FormatDateTime(const std::string& pattern, TDateTime value, const TFormatSettings& settings) {
  DateTimeWriter writer(value, settings);
  return writer.Write(pattern.empty() ? "c" : pattern);
}

TDateTime StrToTime(const std::string& text, const TFormatSettings& settings) {
  TDateTime value = 0;
  if (!ScanTime(text, settings, value)) throw EConvertError(Format("'%s' is not a valid time", text.c_str()));
  return value;
}

TDateTime StrToDate(const std::string& text, const TFormatSettings& settings) {
  TDateTime value = 0;
  if (!ScanDate(text, settings, value)) throw EConvertError(Format("'%s' is not a valid date", text.c_str()));
  return value;
}

}  // namespace corvenna
