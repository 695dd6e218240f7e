#include "platform/XsDate.h"

#include <optional>
#include <string_view>

#include "platform/Errors.h"

namespace corvenna {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

class XsScanner {
 public:
  explicit XsScanner(std::string_view text) : text_(text) {}

  bool AtEnd() const { return at_ == text_.size(); }
  bool Take(char c) {
    if (at_ >= text_.size() || text_[at_] != c) return false;
    ++at_;
    return true;
  }
  // Exactly `count` digits.
  bool Digits(size_t count, int& value) {
    value = 0;
    for (size_t k = 0; k < count; ++k, ++at_) {
      if (at_ >= text_.size() || !IsDigit(text_[at_])) return false;
      value = value * 10 + (text_[at_] - '0');
    }
    return true;
  }
  // One or more digits read as a fraction of `count` places ("5" is 500 of
  // three places), digits beyond those read and dropped.
  bool LeadingDigits(size_t count, int& value) {
    value = 0;
    size_t taken = 0;
    for (; at_ < text_.size() && IsDigit(text_[at_]); ++at_, ++taken)
      if (taken < count) value = value * 10 + (text_[at_] - '0');
    for (; taken < count && taken > 0; ++taken) value *= 10;
    return taken > 0;
  }

 private:
  std::string_view text_;
  size_t at_ = 0;
};

// "Z", "+hh:mm" or "-hh:mm" (hours up to 14), or nothing; the offset in
// minutes east of UTC.
bool TakeZone(XsScanner& scan, std::optional<int>& offsetMinutes) {
  offsetMinutes.reset();
  if (scan.AtEnd()) return true;
  if (scan.Take('Z')) {
    offsetMinutes = 0;
    return true;
  }
  const bool west = scan.Take('-');
  if (!west && !scan.Take('+')) return false;
  int hours = 0, minutes = 0;
  if (!scan.Digits(2, hours) || !scan.Take(':') || !scan.Digits(2, minutes)) return false;
  if (hours < 14 ? minutes > 59 : hours != 14 || minutes != 0) return false;
  offsetMinutes = (west ? -1 : 1) * (hours * 60 + minutes);
  return true;
}

bool TakeZone(XsScanner& scan) {
  std::optional<int> ignored;
  return TakeZone(scan, ignored);
}

// "hh:mm:ss" with an optional fraction (its first three digits kept as
// milliseconds); 24:00:00 is the end of the day, the same time of day as 00:00:00.
bool TakeTime(XsScanner& scan, TDateTime& time) {
  int hour = 0, minute = 0, second = 0, msec = 0;
  if (!scan.Digits(2, hour) || !scan.Take(':') || !scan.Digits(2, minute) || !scan.Take(':') ||
      !scan.Digits(2, second)) {
    return false;
  }
  if (scan.Take('.') && !scan.LeadingDigits(3, msec)) return false;
  if (hour == 24) {
    time = 0;
    return minute == 0 && second == 0 && msec == 0;
  }
  if (hour > 23 || minute > 59 || second > 59) return false;
  time = EncodeTime(hour, minute, second, msec);
  return true;
}

bool TakeTime(XsScanner& scan) {
  TDateTime ignored = 0;
  return TakeTime(scan, ignored);
}

std::string_view TrimXmlSpace(std::string_view text) {
  const auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!text.empty() && isSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && isSpace(text.back())) text.remove_suffix(1);
  return text;
}

}  // namespace

TDateTime ParseXsDate(const std::string& text) {
  XsScanner scan(TrimXmlSpace(text));
  int year = 0, month = 0, day = 0;
  const bool valid = scan.Digits(4, year) && scan.Take('-') && scan.Digits(2, month) && scan.Take('-') &&
                     scan.Digits(2, day) && (!scan.Take('T') || TakeTime(scan)) && TakeZone(scan) && scan.AtEnd() &&
                     IsValidDate(year, month, day);
  if (!valid) throw EConvertError(Format("'%s' is not a valid date", text.c_str()));
  return EncodeDate(year, month, day);
}

bool TryParseXsTime(const std::string& text, TXsTime& value) {
  XsScanner scan(TrimXmlSpace(text));
  TXsTime parsed;
  if (!TakeTime(scan, parsed.timeOfDay) || !TakeZone(scan, parsed.offsetMinutes) || !scan.AtEnd()) return false;
  value = parsed;
  return true;
}

}  // namespace corvenna
