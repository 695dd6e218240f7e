#include <gtest/gtest.h>

#include "platform/Clock.h"
#include "platform/Errors.h"
#include "platform/Text.h"

namespace corvenna {
namespace {

const TFormatSettings English = EnglishFormatSettings();
const TFormatSettings German = GermanFormatSettings();

TDateTime At(int y, int mo, int d, int h = 0, int mi = 0, int s = 0, int ms = 0) {
  return EncodeDateTime(y, mo, d, h, mi, s, ms);
}

TFormatSettings American() {
  TFormatSettings s;
  s.ShortDateFormat = "mm/dd/yyyy";
  s.LongTimeFormat = "hh:nn:ss ampm";
  return s;
}

class FixedClock {
 public:
  explicit FixedClock(TDateTime now) {
    SetClockForTesting([now] { return now; }, [now] { return now; });
  }
  ~FixedClock() { ResetClock(); }
};

TEST(DateTimeTextTest, FormatDateTimePatterns) {
  const TDateTime saturday = At(2026, 5, 9, 14, 5, 3, 7);
  struct Case { const char* pattern; const TFormatSettings& settings; const char* text; };
  for (const Case& c : {
           Case{"yyyy-mm-dd hh:nn:ss.zzz", English, "2026-05-09 14:05:03.007"},
           Case{"YYYY-MM-DD HH:NN", English, "2026-05-09 14:05"},
           Case{"d/m/yy", English, "9/5/26"},
           Case{"d/m/yy", German, "9.5.26"},
           Case{"dd mmm yyyy", English, "09 May 2026"},
           Case{"ddd, dddd", English, "Sat, Saturday"},
           Case{"dddd, d. mmmm", German, "Samstag, 9. Mai"},
           Case{"h:mm", English, "14:05"},
           Case{"hh:mm:ss", English, "14:05:03"},
           Case{"h:n:s.z", English, "14:5:3.7"},
           Case{"hh:nn am/pm", English, "02:05 pm"},
           Case{"h AM/PM", English, "2 PM"},
           Case{"h:nn a/p", English, "2:05 p"},
           Case{"hh:nn ampm", English, "02:05 PM"},
           Case{"\"Day\" d 'at' hh", English, "Day 9 at 14"},
           Case{"ddddd", German, "09.05.2026"},
           Case{"c", English, "09/05/2026 14:05:03"},
           Case{"tt", American(), "02:05:03 PM"},
           Case{"t", German, "14:05"},
           Case{"mmmm yyyy", German, "Mai 2026"},
           Case{"x-q", English, "x-q"},
       }) {
    EXPECT_EQ(FormatDateTime(c.pattern, saturday, c.settings), c.text) << c.pattern;
  }
}

TEST(DateTimeTextTest, FormatDateTimeEdgeHoursAndDays) {
  EXPECT_EQ(FormatDateTime("h:nn ampm", At(2026, 5, 9), English), "12:00 AM");
  EXPECT_EQ(FormatDateTime("h:nn ampm", At(2026, 5, 9, 12, 30), English), "12:30 PM");
  EXPECT_EQ(FormatDateTime("c", At(2026, 5, 9), English), "09/05/2026");
  EXPECT_EQ(FormatDateTime("ddmmm", At(2026, 12, 9), English), "09Dec");
  TFormatSettings dotted = German;
  dotted.ShortMonthNames[11] = "Dez.";
  EXPECT_EQ(FormatDateTime("ddmmm", At(2026, 12, 9), dotted), "09Dez.");
  EXPECT_EQ(FormatDateTime("hh:nn:ss", At(1899, 12, 29, 21), English), "21:00:00");
  ScopedFormatSettings german(German);
  EXPECT_EQ(FormatDateTime("dd/mm", At(2026, 5, 9)), "09.05");
}

TEST(DateTimeTextTest, StrToTimeAcceptsTheSettingsForms) {
  struct Case { const char* text; const TFormatSettings& settings; TDateTime value; };
  const TFormatSettings dottedTime = [] {
    TFormatSettings s;
    s.TimeSeparator = std::string(".");
    return s;
  }();
  for (const Case& c : {Case{"14:00:00", English, EncodeTime(14, 0, 0, 0)}, Case{"14:00", German, EncodeTime(14, 0, 0, 0)},
                        Case{"2:30 PM", English, EncodeTime(14, 30, 0, 0)}, Case{"2:30pm", English, EncodeTime(14, 30, 0, 0)},
                        Case{"12:00 AM", English, 0}, Case{"12:15 PM", English, EncodeTime(12, 15, 0, 0)},
                        Case{"AM 9:05", English, EncodeTime(9, 5, 0, 0)}, Case{"  7:5  ", English, EncodeTime(7, 5, 0, 0)},
                        Case{"14:00:00.5", English, EncodeTime(14, 0, 0, 500)},
                        Case{"23:59:59.9994", English, EncodeTime(23, 59, 59, 999)},
                        Case{"08:15:30,25", German, EncodeTime(8, 15, 30, 250)},
                        Case{"14.30", dottedTime, EncodeTime(14, 30, 0, 0)}}) {
    EXPECT_DOUBLE_EQ(StrToTime(c.text, c.settings), c.value) << c.text;
  }
}

TEST(DateTimeTextTest, StrToTimeRejectsEverythingElse) {
  for (const char* bad : {"", "14", "14:00:00Z", "14:00:00+01:00", "24:00", "12:60", "13:00 PM", "0:30 AM", "14::00",
                          "14:00:", "ab", "14:00 x", "14.30", "-1:00"}) {
    try {
      StrToTime(bad, English);
      ADD_FAILURE() << "no error for " << bad;
    } catch (const EConvertError& e) {
      EXPECT_EQ(std::string(e.what()), std::string("'") + bad + "' is not a valid time");
    }
  }
}

TEST(DateTimeTextTest, StrToDateFollowsTheShortDateOrder) {
  FixedClock clock(At(2026, 6, 15, 10));
  TFormatSettings iso;
  iso.ShortDateFormat = "yyyy-mm-dd";
  iso.DateSeparator = std::string("-");
  struct Case { const char* text; const TFormatSettings& settings; TDateTime value; };
  const TFormatSettings american = American();
  for (const Case& c : {Case{"01/05/2026", English, At(2026, 5, 1)}, Case{"01.05.2026", German, At(2026, 5, 1)},
                        Case{"05/01/2026", american, At(2026, 5, 1)}, Case{"2026-05-01", iso, At(2026, 5, 1)},
                        Case{" 1/5/26 ", English, At(2026, 5, 1)}, Case{"1/5/80", English, At(1980, 5, 1)},
                        Case{"1/5/75", English, At(2075, 5, 1)}, Case{"3/4", English, At(2026, 4, 3)},
                        Case{"29.02.2024", German, At(2024, 2, 29)}}) {
    EXPECT_DOUBLE_EQ(StrToDate(c.text, c.settings), c.value) << c.text;
  }
  for (const char* bad : {"31/02/2026", "01-05-2026", "1/5/2026 x", "", "1//2026", "1/5/2026/7", "32/1/2026", "x"}) {
    try {
      StrToDate(bad, English);
      ADD_FAILURE() << "no error for " << bad;
    } catch (const EConvertError& e) {
      EXPECT_EQ(std::string(e.what()), std::string("'") + bad + "' is not a valid date");
    }
  }
}

}  // namespace
}  // namespace corvenna
