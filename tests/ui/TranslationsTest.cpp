#include <gtest/gtest.h>

#include "platform/Errors.h"
#include "platform/Translations.h"

namespace corvenna {
namespace {

constexpr const char* kSample =
    "\xEF\xBB\xBF# comment\r\n"
    "rsOrphan = before any section\r\n"
    "[1] English\r\n"
    "rsToday = Today\r\n"
    "rsCode = code\\s\r\n"
    "rsLines = one\\ntwo\\\\three\r\n"
    "rsOnlyFirst = first only\r\n"
    "no equals sign here\r\n"
    "rsToday = Today again\r\n"
    "\r\n"
    "[2] Nederlands\r\n"
    "rsToday = Vandaag\r\n"
    "rsOnlyFirst =\r\n"
    "RSTODAY = shouting\r\n"
    "[x] broken header\r\n"
    "rsAfterBroken = skipped\r\n"
    "[4]\r\n"
    "rsToday = Vier\r\n";

TEST(TranslationsTest, ReadsTheFileFormat) {
  TTranslations store;
  store.LoadAllFromText(kSample);
  EXPECT_EQ(store.LanguageCount(), 4);
  EXPECT_EQ(store.LanguageNames(), (std::vector<std::string>{"English", "Nederlands", "", ""}));

  struct Case {
    int language;
    const char* id;
    const char* text;
  };
  for (const Case& c : {
           Case{1, "rsToday", "Today again"},  // a later line wins
           Case{1, "rsCode", "code "},
           Case{1, "rsLines", "one\ntwo\\three"},
           Case{1, "rsOrphan", ""},
           Case{2, "rsToday", "Vandaag"},
           Case{2, "rsOnlyFirst", "first only"},  // empty in the active language: language 1
           Case{2, "RSTODAY", "shouting"},        // identifiers keep their case
           Case{2, "rsAfterBroken", ""},
           Case{3, "rsToday", "Today again"},  // a language without a section
           Case{4, "rsToday", "Vier"},
           Case{4, "rsUnknown", ""},
       }) {
    store.SetActiveLanguage(c.language);
    EXPECT_EQ(store.GetTextOrDefault(c.id), c.text) << c.language << " " << c.id;
  }
}

TEST(TranslationsTest, ReportsALanguageChangeOnLoadAndOnARealSwitchOnly) {
  TTranslations store({"English", "Dutch"});
  int changes = 0;
  store.SetOnChangeLanguage([&] { ++changes; });

  store.SetActiveLanguage(2);
  EXPECT_EQ(changes, 1);
  store.SetActiveLanguage(2);
  store.SetActiveLanguage(7);  // a language the store lacks
  store.SetActiveLanguage(0);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(store.ActiveLanguage(), 2);

  store.LoadAllFromText("[1]\nrsToday = Today\n[2]\nrsToday = Vandaag\n");
  EXPECT_EQ(changes, 2);
  EXPECT_EQ(store.GetTextOrDefault("rsToday"), "Vandaag");

  store.ClearTranslations();
  EXPECT_EQ(store.GetTextOrDefault("rsToday"), "");
  EXPECT_EQ(store.LanguageCount(), 2);
}

TEST(TranslationsTest, UnreadableFileRaisesNamingIt) {
  TTranslations store;
  try {
    store.LoadAllFromFile("/nonexistent/Language.sil");
    FAIL() << "no exception";
  } catch (const EOSError& error) {
    EXPECT_NE(std::string(error.what()).find("/nonexistent/Language.sil"), std::string::npos);
  }
}

}  // namespace
}  // namespace corvenna
