#include <gtest/gtest.h>

#include <string>

#include "platform/Text.h"
#include "platform/XmlDocument.h"

namespace corvenna {
namespace {

const std::string FFFD = "\xEF\xBF\xBD";

TEST(ValidUtf8Test, WellFormedTextIsKept) {
  for (const std::string& text : {std::string(), std::string("Zo\xC3\xAB"), std::string("a\0b", 3),
                                 std::string("\xE2\x82\xAC \xF0\x9F\x98\x80 \xF4\x8F\xBF\xBF \xED\x9F\xBF \xEE\x80\x80")})
    EXPECT_EQ(ValidUtf8(text), text);
}

TEST(ValidUtf8Test, EachIllFormedSequenceBecomesOneReplacementCharacter) {
  struct Case { const char* what; std::string text, valid; };
  for (const Case& c : {
           Case{"a Latin-1 byte", "Zo\xEB", "Zo" + FFFD},
           Case{"a Latin-1 byte inside", "Zo\xEBl", "Zo" + FFFD + "l"},
           Case{"a lone continuation byte", "a\x80z", "a" + FFFD + "z"},
           Case{"two continuation bytes", "\x80\xBF", FFFD + FFFD},
           Case{"a sequence cut short", "\xE2\x82", FFFD},
           Case{"a sequence cut short before a character", "\xE2\x82z", FFFD + "z"},
           Case{"a four-byte sequence cut short", "\xF0\x9F\x98 ", FFFD + " "},
           Case{"an overlong NUL", "\xC0\x80", FFFD + FFFD},
           Case{"an overlong three-byte form", "\xE0\x80\xAF", FFFD + FFFD + FFFD},
           Case{"beyond U+10FFFF", "\xF4\x90\x80\x80", FFFD + FFFD + FFFD + FFFD},
           Case{"bytes that start nothing", "\xF5\xFE\xFF", FFFD + FFFD + FFFD},
           Case{"a surrogate pair of two references", "\xED\xA0\xBD\xED\xB8\x80", "\xF0\x9F\x98\x80"},
           Case{"the pair between text", "a\xED\xA0\xBD\xED\xB8\x80z", "a\xF0\x9F\x98\x80z"},
           Case{"a lone low surrogate", "\xED\xB0\x80", FFFD},
           Case{"a lone high surrogate", "\xED\xA0\xBDz", FFFD + "z"},
           Case{"a high surrogate at the end", "a\xED\xA0\xBD", "a" + FFFD},
           Case{"two high surrogates, then a low one", "\xED\xA0\xBD\xED\xA0\xBD\xED\xB8\x80",
                FFFD + "\xF0\x9F\x98\x80"},
           Case{"low before high", "\xED\xB8\x80\xED\xA0\xBD", FFFD + FFFD},
           Case{"a high surrogate, then a cut sequence", "\xED\xA0\xBD\xED\xB8", FFFD + FFFD},
       }) {
    EXPECT_EQ(ValidUtf8(c.text), c.valid) << c.what;
  }
}

// What the parser hands over for references to surrogates, and the NUL
// reference, which reads back as NUL.
TEST(ValidUtf8Test, MendsTheParsersTextOfSurrogateReferences) {
  XmlDocument doc;
  ASSERT_TRUE(doc.LoadXml("<r><a>&#xD83D;&#xDE00;</a><b>x&#xDC00;y</b><c>n&#0;n</c><d>\xEF\xBF\xBD</d></r>"));
  const auto children = doc.DocumentElement().ChildElements();
  EXPECT_EQ(ValidUtf8(children[0].Text()), "\xF0\x9F\x98\x80");
  EXPECT_EQ(ValidUtf8(children[1].Text()), "x" + FFFD + "y");
  EXPECT_EQ(ValidUtf8(children[2].Text()), std::string("n\0n", 3));
  EXPECT_EQ(ValidUtf8(children[3].Text()), FFFD);
}

}  // namespace
}  // namespace corvenna
