#include "platform/XmlCharacters.h"

#include <gtest/gtest.h>

namespace corvenna {
namespace {

TEST(XmlCharacters, OnlyWellFormedUtf8OfXmlCharactersCanBeCarried) {
  const struct {
    const char* what;
    std::string text;
    bool carried;
  } cases[] = {
      {"empty", "", true},
      {"blanks and line ends", "a\tb\nc\rd e", true},
      {"two, three and four bytes", "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80", true},
      {"the last before the surrogates", "\xED\x9F\xBF", true},
      {"the first after them", "\xEE\x80\x80", true},
      {"U+FFFD", "\xEF\xBF\xBD", true},
      {"U+10FFFF", "\xF4\x8F\xBF\xBF", true},
      {"NUL", std::string(1, '\0'), false},
      {"U+0001", "a\x01", false},
      {"escape", "\x1b[0m", false},
      {"U+001F", "\x1f", false},
      {"U+007F is allowed", "\x7f", true},
      {"a lone surrogate", "\xED\xA0\x80", false},
      {"U+FFFE", "\xEF\xBF\xBE", false},
      {"U+FFFF", "\xEF\xBF\xBF", false},
      {"past U+10FFFF", "\xF4\x90\x80\x80", false},
      {"an overlong slash", "\xC0\xAF", false},
      {"an overlong three-byte form", "\xE0\x80\xAF", false},
      {"a lone continuation byte", "a\x80", false},
      {"a sequence cut short", "a\xE2\x82", false},
      {"a lead byte followed by ASCII", "\xC3(", false},
      {"Latin-1", "Caf\xE9", false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsXmlText(c.text), c.carried) << c.what;
}

TEST(XmlCharacters, WhatXmlCannotCarryIsShownEscapedByteForByte) {
  EXPECT_EQ(EscapeNonXmlText("CM-7"), "CM-7");
  EXPECT_EQ(EscapeNonXmlText("CM-\x1F"), "CM-\\x1F");
  EXPECT_EQ(EscapeNonXmlText(std::string("CM-\0" "1", 5)), "CM-\\x001");
  EXPECT_EQ(EscapeNonXmlText("a\xED\xA0\x80\xC3\xA9"), "a\\xED\\xA0\\x80\xC3\xA9");
}

}  // namespace
}  // namespace corvenna
