#include "platform/XsDate.h"

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
  bool SomeDigits() {
    const size_t start = at_;
    while (at_ < text_.size() && IsDigit(text_[at_])) ++at_;
    return at_ > start;
  }

 private:
  std::string_view text_;
  size_t at_ = 0;
};

// "Z", "+hh:mm" or "-hh:mm" (hours up to 14), or nothing.
bool TakeZone(XsScanner& scan) {
  if (scan.AtEnd() || scan.Take('Z')) return true;
  if (!scan.Take('+') && !scan.Take('-')) return false;
  int hours = 0, minutes = 0;
  if (!scan.Digits(2, hours) || !scan.Take(':') || !scan.Digits(2, minutes)) return false;
  return hours < 14 ? minutes <= 59 : hours == 14 && minutes == 0;
}

// "hh:mm:ss" with an optional fraction; 24:00:00 is the end of the day.
bool TakeTime(XsScanner& scan) {
  int hour = 0, minute = 0, second = 0;
  if (!scan.Digits(2, hour) || !scan.Take(':') || !scan.Digits(2, minute) || !scan.Take(':') ||
      !scan.Digits(2, second)) {
    return false;
  }
  if (scan.Take('.') && !scan.SomeDigits()) return false;
  if (hour == 24) return minute == 0 && second == 0;
  return hour < 24 && minute < 60 && second < 60;
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

}  // namespace corvenna
