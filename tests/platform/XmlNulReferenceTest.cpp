// A reference to NUL reads as NUL, whole, wherever the document may hold one.
#include <gtest/gtest.h>

#include "platform/XmlDocument.h"

namespace corvenna {
namespace {

using namespace std::string_literals;

TEST(XmlNulReference, ReadsAsNulInAttributesAndTextAndNowhereElse) {
  const struct {
    const char* what;
    std::string xml;
    std::string attribute;
    std::string text;
  } cases[] = {
      {"decimal and hexadecimal, with zeros", R"(<a v="CM-&#0;1&#x00;2">x&#000;y</a>)", "CM-\0" "1\0" "2"s, "x\0y"s},
      {"no reference", R"(<a v="CM-1">xy</a>)", "CM-1", "xy"},
      {"other references as before", R"(<a v="&#x41;&#1;">&amp;#0;</a>)", "A\x01", "&#0;"},
      {"CDATA keeps it as written", R"(<a v=""><![CDATA[&#0;]]></a>)", "", "&#0;"},
      {"a comment is left alone", R"(<a v="&#0;"><!--&#0;-->z</a>)", "\0"s, "z"},
      {"in a row, and after a byte C0", "<a v=\"&#0;&#0;\">\xC0&#0;</a>", "\0\0"s, "\xC0\0"s},
      {"an UTF-8 declaration", R"(<?xml version="1.0" encoding="UTF-8"?><a v="&#0;q">t</a>)", "\0q"s, "t"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    XmlDocument doc;
    ASSERT_TRUE(doc.LoadXml(c.xml));
    const XmlNode root = doc.DocumentElement();
    EXPECT_EQ(root.Attribute("v"), c.attribute);
    EXPECT_EQ(root.Attributes().at(0).second, c.attribute);
    EXPECT_EQ(root.Text(), c.text);
    EXPECT_FALSE(c.attribute.find('\0') != std::string::npos && doc.HoldsOnlyXmlText());
  }
}

TEST(XmlNulReference, ALatin1DocumentIsReadAsBefore) {
  XmlDocument doc;
  ASSERT_TRUE(doc.LoadXml("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><a v=\"\xC0&#0;1\"/>"));
  EXPECT_EQ(doc.DocumentElement().Attribute("v"), "\xC3\x80");
}

}  // namespace
}  // namespace corvenna
