#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/XmlDocument.h"
#include "support/OtaFiles.h"
#include "support/ScratchHome.h"

namespace corvenna {
namespace {

void ExpectIndentedAsReIndented(const XmlDocument& doc, const std::string& what) {
  EXPECT_EQ(doc.IndentedXml(), ReIndentXml(doc.Xml())) << what;
}

TEST(XmlIndentedXml, ParsedDocumentsIndentAsTheirTextDoes) {
  const char* texts[] = {
      "<a><b><c><d>deep</d></c></b><e/></a>",
      "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?><r><t>only text</t><u></u><v/></r>",
      "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<!-- top -->\n<r/>",
      "<r A=\"&amp;&lt;&gt;&quot;&apos;\" B=\"tab&#9;nl&#10;cr&#13;\" C='single \"q\"'>&amp; &lt;x&gt; &#233;</r>",
      "<r>mixed <b>bold</b> tail<!-- c --><i/>end</r>",
      "<r><![CDATA[<raw> & ]]><![CDATA[]]><x>t<![CDATA[c]]></x></r>",
      "<r><?target some data?><!--a--b--><!--ends with dash---></r>",
      "<!DOCTYPE r [<!ENTITY e \"v\">]><r>&e;</r>",
      // Texts made of whitespace or holding a carriage return only through references.
      "<r><s>&#32;</s><t>&#13;&#10;</t><u> lead and trail </u></r>",
      "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><r a=\"Caf\xC3\xA9\">Caf\xC3\xA9</r>",
      "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><r>ascii only</r>",
      ("<r a1=\"1\" a2=\"2\" a3=\"3\" a4=\"4\" a5=\"5\" a6=\"6\" a7=\"7\" a8=\"8\" a9=\"9\" a10=\"10\" a11=\"11\""
       " a12=\"12\" a13=\"13\" a14=\"14\" a15=\"15\" a16=\"16\" a17=\"17\" a18=\"18\"/>"),
      "<\xC3\xA9l\xC3\xA9ment x.y-z_1=\"1\" _:n=\"2\"/>",
  };
  for (const char* text : texts) {
    XmlDocument doc;
    ASSERT_TRUE(doc.LoadXml(text)) << text;
    ExpectIndentedAsReIndented(doc, text);
  }
}

TEST(XmlIndentedXml, BuiltDocumentsIndentAsTheirTextDoes) {
  struct Case {
    const char* what;
    std::function<void(XmlDocument&)> build;
  };
  const Case cases[] = {
      {"empty document", [](XmlDocument&) {}},
      {"declaration only", [](XmlDocument& doc) { doc.InsertDeclaration(); }},
      {"no declaration", [](XmlDocument& doc) { doc.AppendElement("r").AppendElement("e"); }},
      {"request shape",
       [](XmlDocument& doc) {
         doc.InsertDeclaration();
         XmlNode body = doc.AppendElement("soap:Envelope").AppendElement("soap:Body");
         XmlNode message = body.AppendElement("AvailStatusMessage");
         message.SetAttribute("BookingLimit", "3").SetAttribute("Note", "a<b & \"c\" 'd'");
         message.AppendElement("StatusApplicationControl").SetAttribute("Start", "2027-01-01");
         message.AppendElement("Empty");
         body.AppendElement("Text").SetText("x > y & z");
       }},
      {"whitespace texts",
       [](XmlDocument& doc) {
         XmlNode root = doc.AppendElement("r");
         root.AppendElement("blank").SetText("   ");
         root.AppendElement("lines").SetText("\n\t\n");
         root.AppendElement("padded").SetText("  x  ");
       }},
      {"carriage returns and controls",
       [](XmlDocument& doc) {
         XmlNode root = doc.AppendElement("r");
         root.AppendElement("t").SetText("one\r\ntwo\rthree");
         root.AppendElement("c").SetText("bell\x07");
         root.SetAttribute("a", "tab\tnl\ncr\r");
       }},
      {"text beside elements",
       [](XmlDocument& doc) {
         XmlNode root = doc.AppendElement("r");
         root.SetText("before");
         root.AppendElement("e").SetText("inner");
       }},
      {"names the text cannot carry",
       [](XmlDocument& doc) {
         XmlNode root = doc.AppendElement("r");
         root.AppendElement("a b");
         root.AppendElement("1x").SetAttribute("-y", "v");
       }},
      {"an empty element name", [](XmlDocument& doc) { doc.AppendElement("r").AppendElement(""); }},
  };
  for (const Case& c : cases) {
    XmlDocument doc;
    c.build(doc);
    ExpectIndentedAsReIndented(doc, c.what);
  }
}

TEST(XmlIndentedHead, ShowsEveryElementAsFarAsReadWithoutTheClosingTagsTheCutLeftOut) {
  struct Case { const char* head; const char* shown; };
  for (const Case& c : {
           Case{"<?xml version=\"1.0\"?><a><b>x</b><b>y", "<?xml version=\"1.0\"?>\n<a>\n  <b>x</b>\n  <b>y</b>"},
           Case{"<a><b>x</b><c><d k=\"1\">z</d></c><b", "<?xml version=\"1.0\"?>\n<a>\n  <b>x</b>\n  <c>\n    <d k=\"1\">z</d>\n  </c>\n  <b />"},
           Case{"<a><b>x</b></a>", "<?xml version=\"1.0\"?>\n<a>\n  <b>x</b>"},
           Case{"<a><b k=\"va", "<?xml version=\"1.0\"?>\n<a>\n  <b k=\"va\" />"},
           Case{"Bad Gateway", ""}, Case{"", ""}}) {
    EXPECT_EQ(ReIndentXmlHead(c.head), c.shown) << c.head;
  }
}

TEST(XmlIndentedXml, PublicSamplesIndentAsTheirTextDoes) {
  REQUIRE_OTA_FILES();
  const std::filesystem::path samples = test::OtaSamplesDir();
  int read = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(samples)) {
    if (entry.path().extension() != ".xml") continue;
    XmlDocument doc;
    ASSERT_TRUE(doc.Load(entry.path().string())) << entry.path();
    ExpectIndentedAsReIndented(doc, entry.path().string());
    ++read;
  }
  EXPECT_GT(read, 0) << "no sample under " << samples;
}

}  // namespace
}  // namespace corvenna
