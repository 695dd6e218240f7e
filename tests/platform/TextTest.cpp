#include <gtest/gtest.h>

#include <string_view>
#include <utility>
#include <vector>

#include "platform/Text.h"

namespace corvenna {
namespace {

TEST(TextTest, TrimRemovesControlCharactersAndBlanksAtBothEnds) {
  struct Case { std::string text, trimmed; };
  for (const Case& c : {Case{"  a b \t\r\n", "a b"}, Case{std::string("\x01x\x1f", 3), "x"},
                        Case{std::string("\0y\0", 3), "y"}, Case{"\xC3\xA4 ", "\xC3\xA4"},
                        Case{" \xC2\xA0x", "\xC2\xA0x"}, Case{"", ""}, Case{" \t ", ""}}) {
    EXPECT_EQ(Trim(c.text), c.trimmed);
  }
}

TEST(TextTest, TrimBlanksKeepsControlCharacters) {
  struct Case { std::string text, trimmed; };
  for (const Case& c : {Case{" \t\r\nid \n", "id"}, Case{std::string("\x01id\x1f ", 5), std::string("\x01id\x1f", 4)},
                        Case{std::string("id\0", 3), std::string("id\0", 3)}, Case{"", ""}}) {
    EXPECT_EQ(TrimBlanks(c.text), c.trimmed);
  }
}

TEST(TextTest, ReplaceAllAndComparisons) {
  EXPECT_EQ(ReplaceAll("a.b.c", ".", ""), "abc");
  EXPECT_EQ(ReplaceAll("aaa", "aa", "b"), "ba");
  EXPECT_EQ(ReplaceAll("a", "a", "aa"), "aa");  // the replacement is not searched again
  EXPECT_EQ(ReplaceAll("abc", "", "x"), "abc");
  EXPECT_EQ(ReplaceAll("1 €", "€", ""), "1 ");
  EXPECT_TRUE(SameTextAscii("Error", "eRROR"));
  EXPECT_FALSE(SameTextAscii("Error", "Errors"));
  EXPECT_FALSE(SameTextAscii("\xC3\x84", "\xC3\xA4"));  // only ASCII letters fold
  EXPECT_EQ(LowerCaseAscii("AbC-\xC3\x84"), "abc-\xC3\x84");
  EXPECT_TRUE(StartsWith("{userdocs}\\x", "{userdocs}"));
  EXPECT_FALSE(StartsWith("{user", "{userdocs}"));
  EXPECT_TRUE(Contains("OTA_ReadRQ", "Read"));
}

// The in-place replacement ReplaceAll was first written as.
std::string ReplaceAllInPlace(std::string text, std::string_view from, std::string_view to) {
  if (from.empty()) return text;
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

TEST(TextTest, ReplaceAllGivesWhatInPlaceReplacementGaveForEverySmallText) {
  std::vector<std::string> texts{""};
  for (size_t from = 0, length = 0; length < 7; ++length) {
    const size_t to = texts.size();
    for (size_t k = from; k < to; ++k)
      for (const char* piece : {"a", "b", "\r", "\n"}) texts.push_back(texts[k] + piece);
    from = to;
  }
  const std::pair<const char*, const char*> replacements[] = {
      {"\r\n", " "}, {"a", ""}, {"aa", "a"}, {"a", "aa"}, {"ab", "ba"}, {"\n", "\r\n"}, {"b", "b"}};
  for (const std::string& text : texts)
    for (const auto& [from, to] : replacements)
      ASSERT_EQ(ReplaceAll(text, from, to), ReplaceAllInPlace(text, from, to)) << text << " " << from;
}

TEST(TextTest, Utf16CountsCodeUnits) {
  struct Case { std::string text; size_t units; };
  for (const Case& c : {Case{"abc", 3}, Case{"\xC3\xA4\xC3\xB6", 2}, Case{"\xE2\x82\xAC", 1},
                        Case{"\xF0\x9F\x98\x80", 2}, Case{"a\xF0\x9F\x98\x80" "b", 4}, Case{"\xFF", 1},
                        Case{"\xE2\x82", 2}, Case{"", 0}}) {
    EXPECT_EQ(Utf16Length(c.text), c.units) << c.text;
  }
}

TEST(TextTest, Utf16LeftNeverSplitsACharacter) {
  const std::string text = "a\xF0\x9F\x98\x80" "b\xC3\xA4";
  struct Case { size_t units; std::string left; };
  for (const Case& c : {Case{0, ""}, Case{1, "a"}, Case{2, "a"}, Case{3, "a\xF0\x9F\x98\x80"},
                        Case{4, "a\xF0\x9F\x98\x80" "b"}, Case{5, text}, Case{99, text}}) {
    EXPECT_EQ(Utf16Left(text, c.units), c.left) << c.units;
  }
  EXPECT_EQ(Utf16Left(std::string(300, 'x'), 255).size(), 255u);
}

TEST(TextTest, Utf8LeftNeverEndsInsideASequence) {
  const std::string text = "a\xF0\x9F\x98\x80" "b\xC3\xA4";
  struct Case { size_t bytes; std::string left; };
  for (const Case& c : {Case{0, ""}, Case{1, "a"}, Case{2, "a"}, Case{4, "a"}, Case{5, "a\xF0\x9F\x98\x80"},
                        Case{7, "a\xF0\x9F\x98\x80" "b"}, Case{8, text}, Case{99, text}}) {
    EXPECT_EQ(Utf8Left(text, c.bytes), c.left) << c.bytes;
  }
}

}  // namespace
}  // namespace corvenna
