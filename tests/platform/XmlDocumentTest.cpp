#include "platform/XmlDocument.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <optional>

#include "platform/Errors.h"
#include "support/FileSizeLimit.h"
#include "support/ScratchHome.h"

namespace corvenna {
namespace {

using test::ReadFileText;
using test::ScratchHome;
using test::WriteFileText;

std::vector<std::string> Names(const std::vector<XmlNode>& nodes) {
  std::vector<std::string> names;
  for (const XmlNode& node : nodes) names.push_back(node.NodeName());
  return names;
}

std::vector<std::string> Texts(const std::vector<XmlNode>& nodes) {
  std::vector<std::string> texts;
  for (const XmlNode& node : nodes) texts.push_back(node.Text());
  return texts;
}

XmlDocument BuiltEnvelope() {
  XmlDocument doc;
  doc.InsertDeclaration();
  XmlNode envelope = doc.AppendElement("soap:Envelope");
  envelope.SetAttribute("xmlns:soap", "http://schemas.xmlsoap.org/soap/envelope/");
  XmlNode root = envelope.AppendElement("soap:Body").AppendElement("OTA_ReadRQ");
  root.SetAttribute("xmlns", "http://www.opentravel.org/OTA/2003/05")
      .SetAttribute("Version", "1.0")
      .SetAttribute("EchoToken", "");
  root.AppendElement("Note").SetText("a < b & \"c\"");
  root.AppendElement("Empty");
  // Setting an attribute again keeps its place.
  root.SetAttribute("Version", "2.0");
  return doc;
}

constexpr const char* kBuiltEnvelopeText =
    "<?xml version=\"1.0\"?>\n"
    "<soap:Envelope xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\"><soap:Body>"
    "<OTA_ReadRQ xmlns=\"http://www.opentravel.org/OTA/2003/05\" Version=\"2.0\" EchoToken=\"\">"
    "<Note>a &lt; b &amp; \"c\"</Note><Empty/></OTA_ReadRQ></soap:Body></soap:Envelope>";

TEST(XmlDocument, SerialisesBuiltDocumentWithOneDeclarationAndAttributesInOrder) {
  XmlDocument doc = BuiltEnvelope();
  EXPECT_EQ(doc.Xml(), kBuiltEnvelopeText);
  doc.InsertDeclaration();
  EXPECT_EQ(doc.Xml(), kBuiltEnvelopeText);
}

TEST(XmlDocument, SavesReplacingTheFileAndLoadsItBack) {
  ScratchHome home;
  const std::filesystem::path file = home.Root() / "copy.xml";
  WriteFileText(file, std::string(5000, 'x'));
  BuiltEnvelope().Save(file.string());
  EXPECT_EQ(ReadFileText(file), kBuiltEnvelopeText);

  XmlDocument loaded;
  ASSERT_TRUE(loaded.Load(file.string()));
  EXPECT_EQ(loaded.Xml(), kBuiltEnvelopeText);
  EXPECT_EQ(loaded.DocumentElement().NodeName(), "soap:Envelope");
}

TEST(XmlDocument, ASavedFileEndsOwnerOnlyWhateverTheUmaskOrTheOldFilesMode) {
  const struct {
    const char* what;
    mode_t umask;
    std::optional<std::filesystem::perms> oldMode;
  } cases[] = {
      {"the usual umask", 022, std::nullopt},
      {"a umask that takes the owner's write", 0277, std::nullopt},
      {"an old copy readable by everybody", 022, std::filesystem::perms(0644)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ScratchHome home;
    const std::filesystem::path file = home.Root() / "copy.xml";
    if (c.oldMode) {
      WriteFileText(file, "<old/>");
      std::filesystem::permissions(file, *c.oldMode);
    }
    const mode_t saved = umask(c.umask);
    BuiltEnvelope().Save(file.string());
    umask(saved);
    EXPECT_EQ(std::filesystem::status(file).permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
  }
}

std::vector<std::string> FolderEntries(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

std::string SaveError(const XmlDocument& doc, const std::string& path) {
  try {
    doc.Save(path);
  } catch (const EXmlError& error) {
    return error.what();
  }
  return "no error";
}

// The disk fills up after the first kilobytes of a long document.
TEST(XmlDocument, ASaveThatFailsHalfWayKeepsTheOldFileWholeAndLeavesNothingBesideIt) {
  ScratchHome home;
  const std::filesystem::path file = home.Documents() / "ResRetriveRS.xml";
  WriteFileText(file, "<old>whole</old>");
  XmlDocument longer = BuiltEnvelope();
  longer.DocumentElement().AppendElement("Long").SetText(std::string(256 * 1024, 'x'));

  std::string message;
  {
    const test::ScopedFileSizeLimit diskFull(16 * 1024);
    message = SaveError(longer, file.string());
  }
  EXPECT_NE(message.find("'" + file.native() + "'"), std::string::npos) << message;
  EXPECT_NE(message.find(std::strerror(EFBIG)), std::string::npos) << message;
  EXPECT_EQ(ReadFileText(file), "<old>whole</old>");
  EXPECT_EQ(FolderEntries(home.Documents()), (std::vector<std::string>{"ResRetriveRS.xml"}));
}

TEST(XmlDocument, SaveRefusesASymbolicLinkAndWritesNothingThroughIt) {
  ScratchHome home;
  const std::filesystem::path target = home.Documents() / "elsewhere.txt";
  const std::filesystem::path file = home.Documents() / "ReadRQ.xml";
  WriteFileText(target, "not ours");
  std::filesystem::create_symlink(target, file);

  const std::string message = SaveError(BuiltEnvelope(), file.string());
  EXPECT_NE(message.find("'" + file.native() + "': it is a symbolic link"), std::string::npos) << message;
  EXPECT_EQ(ReadFileText(target), "not ours");
  EXPECT_TRUE(std::filesystem::is_symlink(file));
  EXPECT_EQ(FolderEntries(home.Documents()), (std::vector<std::string>{"ReadRQ.xml", "elsewhere.txt"}));
}

TEST(XmlDocument, SaveIntoMissingFolderRaisesNamingThePath) {
  ScratchHome home;
  const std::string path = (home.Root() / "no-such-folder" / "ReadRQ.xml").string();
  try {
    BuiltEnvelope().Save(path);
    FAIL() << "no error";
  } catch (const EXmlError& error) {
    EXPECT_NE(std::string(error.what()).find(path), std::string::npos) << error.what();
  }
}

TEST(XmlDocument, LoadOfMissingFileLeavesEmptyDocument) {
  XmlDocument doc = BuiltEnvelope();
  EXPECT_FALSE(doc.Load("/nonexistent/corvenna/file.xml"));
  EXPECT_TRUE(doc.DocumentElement().IsNull());
}

TEST(XmlDocument, LoadXmlOfTextThatIsNotOneDocumentLeavesNoRoot) {
  const char* notXml[] = {
      "",
      "Service temporarily unavailable",
      "<a><b></a>",
      "<OTA_ResRetrieveRS><Success/>",  // cut off: pugixml keeps the root unless checked
      "<a/><b/>",
      "text before<a/>",
      "<a/>text after",
      "<a x=\"1\" x=\"2\"/>",
      "<a><b u=\"1\" v=\"2\" w=\"3\" x=\"4\" u=\"5\"/></a>",
      ("<a a1=\"\" a2=\"\" a3=\"\" a4=\"\" a5=\"\" a6=\"\" a7=\"\" a8=\"\" a9=\"\" a10=\"\" a11=\"\" a12=\"\""
       " a13=\"\" a14=\"\" a15=\"\" a16=\"\" a17=\"\" a3=\"\"/>"),
      "<a/><!DOCTYPE a>",
  };
  for (const char* text : notXml) {
    XmlDocument doc = BuiltEnvelope();
    EXPECT_FALSE(doc.LoadXml(text)) << text;
    EXPECT_TRUE(doc.DocumentElement().IsNull()) << text;
    EXPECT_TRUE(doc.GetElementsByTagName("*").empty()) << text;
    EXPECT_EQ(doc.Xml(), "") << text;
  }
}

std::string Nested(size_t depth) {
  std::string text;
  for (size_t i = 0; i < depth; ++i) text += "<a>";
  for (size_t i = 0; i < depth; ++i) text += "</a>";
  return text;
}

// An OTA message is a dozen deep; nesting past 256 levels is refused, so
// that nothing walks or re-indents it.
TEST(XmlDocument, ElementsNestedDeeperThan256LevelsAreNoXml) {
  XmlDocument doc;
  EXPECT_TRUE(doc.LoadXml(Nested(256)));
  EXPECT_EQ(doc.GetElementsByTagName("a").size(), 256u);
  for (const size_t depth : {size_t{257}, size_t{100'000}}) {
    SCOPED_TRACE(depth);
    EXPECT_FALSE(doc.LoadXml(Nested(depth)));
    EXPECT_TRUE(doc.DocumentElement().IsNull());
    EXPECT_EQ(ReIndentXml(Nested(depth)), Nested(depth));
  }
  // Text, comments and attributes add no level.
  EXPECT_TRUE(doc.LoadXml("<r x=\"1\">" + Nested(255) + "<!-- c -->text</r>"));
}

TEST(XmlDocument, TellsWhetherXmlCanCarryAllItsText) {
  const struct {
    const char* what;
    std::string attribute, text;
    bool holds;
  } cases[] = {
      {"ordinary text", "H\xC3\xB6tel", "a < b & \"c\"\t\r\n", true},
      {"a control character in an attribute", "H\x01L", "", false},
      {"a control character in the text", "H", "x\x1fy", false},
      {"broken UTF-8", "H\xC3", "", false},
  };
  for (const auto& c : cases) {
    XmlDocument doc;
    doc.AppendElement("r").SetAttribute("HotelCode", c.attribute).AppendElement("t").SetText(c.text);
    EXPECT_EQ(doc.HoldsOnlyXmlText(), c.holds) << c.what;
  }
}

// The day log takes at most so much of a document: the writing stops there,
// and never inside a character.
TEST(XmlDocument, IndentedExcerptStopsAtTheLimitOnACharacterBoundary) {
  XmlDocument doc;
  XmlNode root = doc.AppendElement("r");
  for (int i = 0; i < 1000; ++i) root.AppendElement("n").SetText("\xE2\x9C\x93");  // three bytes
  const std::string whole = doc.IndentedXml();
  const XmlExcerpt all = doc.IndentedXmlExcerpt(whole.size());
  EXPECT_FALSE(all.cut);
  EXPECT_EQ(all.text, whole);
  const size_t inside = whole.find("\xE2\x9C\x93", 5000) + 2;
  for (const size_t limit : {inside - 1, inside, inside + 1, whole.size() - 1}) {
    SCOPED_TRACE(limit);
    const XmlExcerpt part = doc.IndentedXmlExcerpt(limit);
    EXPECT_TRUE(part.cut);
    EXPECT_LE(part.text.size(), limit);
    EXPECT_GE(part.text.size(), limit - 2);
    EXPECT_EQ(whole.rfind(part.text, 0), 0u);
    EXPECT_NE(static_cast<unsigned char>(whole[part.text.size()]) & 0xC0, 0x80) << "ends inside a character";
  }
}

TEST(XmlDocument, LoadXmlReplacesContentAndKeepsTheDeclaration) {
  XmlDocument doc = BuiltEnvelope();
  ASSERT_TRUE(doc.LoadXml("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<!-- note -->\r\n<r a=\"1\"/>\r\n"));
  EXPECT_EQ(doc.Xml(), "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!-- note -->\n<r a=\"1\"/>");
  EXPECT_TRUE(doc.GetElementsByTagName("OTA_ReadRQ").empty());
}

TEST(XmlDocument, NeverExpandsEntities) {
  const char* documents[] = {
      "<!DOCTYPE a [<!ENTITY e \"EXPANDED\">]><a>&e;</a>",
      ("<!DOCTYPE a [<!ENTITY x \"EXPANDED\"><!ENTITY y \"&x;&x;&x;&x;&x;&x;&x;&x;\">"
       "<!ENTITY z \"&y;&y;&y;&y;&y;&y;&y;&y;\">]><a>&z;</a>"),
      "<!DOCTYPE a [<!ENTITY e SYSTEM \"file:///etc/hostname\">]><a>&e;</a>",
  };
  for (const char* text : documents) {
    XmlDocument doc;
    ASSERT_TRUE(doc.LoadXml(text)) << text;
    const std::string content = doc.DocumentElement().Text();
    EXPECT_EQ(content.find("EXPANDED"), std::string::npos) << text;
    EXPECT_TRUE(content.starts_with("&")) << text;
  }
}

TEST(XmlDocument, GetElementsByNameMatchesFullOrLocalNameInDocumentOrder) {
  XmlDocument doc;
  ASSERT_TRUE(doc.LoadXml(
      "<soap:Envelope xmlns:soap=\"s\"><soap:Body><soap:Fault>"
      "<faultcode>soap:Server</faultcode><faultstring>first</faultstring>"
      "<detail><x:faultstring xmlns:x=\"x\">prefixed</x:faultstring><faultstring>second</faultstring></detail>"
      "</soap:Fault></soap:Body></soap:Envelope>"));
  EXPECT_EQ(Texts(doc.GetElementsByTagName("faultstring")), (std::vector<std::string>{"first", "second"}));
  EXPECT_EQ(Texts(doc.GetElementsByTagName("x:faultstring")), std::vector<std::string>{"prefixed"});
  EXPECT_EQ(doc.GetElementsByTagName("soap:Fault").size(), 1u);
  EXPECT_TRUE(doc.GetElementsByTagName("Fault").empty());
  EXPECT_TRUE(doc.GetElementsByTagName("FaultString").empty());
  EXPECT_EQ(Names(doc.GetElementsByTagName("*")).front(), "soap:Envelope");

  EXPECT_EQ(Texts(doc.GetElementsByLocalName("faultstring")), (std::vector<std::string>{"first", "prefixed", "second"}));
  EXPECT_EQ(Names(doc.GetElementsByLocalName("Fault")), std::vector<std::string>{"soap:Fault"});
  EXPECT_EQ(doc.GetElementsByLocalName("Fault").front().LocalName(), "Fault");
  EXPECT_TRUE(doc.GetElementsByLocalName("soap:Fault").empty());
  EXPECT_TRUE(doc.GetElementsByLocalName("ault").empty());
}

TEST(XmlDocument, ReadsNodesTextAndAttributesAsParsed) {
  XmlDocument doc;
  ASSERT_TRUE(doc.LoadXml("<r Code=\"402\" Type=\"3\">\n  <a>one<b>two</b><![CDATA[<three>]]></a>\n"
                          "  <!-- c -->\n  <t>line1\r\nline2&#13;&#10;&amp;&#233;</t>\n</r>"));
  XmlNode root = doc.DocumentElement();
  EXPECT_EQ(root.Attributes(), (std::vector<std::pair<std::string, std::string>>{{"Code", "402"}, {"Type", "3"}}));
  EXPECT_EQ(root.Attribute("Type"), "3");
  EXPECT_EQ(root.Attribute("Missing"), "");

  // Whitespace-only text between elements is dropped.
  const std::vector<XmlNode> children = root.ChildNodes();
  ASSERT_EQ(children.size(), 3u);
  EXPECT_EQ(Names(children), (std::vector<std::string>{"a", "#comment", "t"}));
  EXPECT_EQ(children[0].NodeType(), XmlNode::Element);
  EXPECT_EQ(children[1].NodeType(), XmlNode::Comment);

  const std::vector<XmlNode> inA = children[0].ChildNodes();
  ASSERT_EQ(inA.size(), 3u);
  EXPECT_EQ(inA[0].NodeType(), XmlNode::TextNode);
  EXPECT_EQ(inA[0].NodeName(), "#text");
  EXPECT_EQ(inA[2].NodeType(), XmlNode::CDataSection);
  EXPECT_EQ(children[0].Text(), "onetwo<three>");
  // Line ends in the text are normalised; character references are decoded as written.
  EXPECT_EQ(children[2].Text(), "line1\nline2\r\n&\xC3\xA9");
  EXPECT_EQ(root.Text(), "onetwo<three>line1\nline2\r\n&\xC3\xA9");
}

TEST(XmlDocument, KeepsTheCharactersOfALatin1Document) {
  ScratchHome home;
  const std::filesystem::path file = home.Root() / "latin1.xml";
  WriteFileText(file, "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><a>Caf\xE9</a>");
  XmlDocument doc;
  ASSERT_TRUE(doc.Load(file.string()));
  EXPECT_EQ(doc.DocumentElement().Text(), "Caf\xC3\xA9");
  doc.Save(file.string());
  XmlDocument again;
  ASSERT_TRUE(again.Load(file.string()));
  EXPECT_EQ(again.DocumentElement().Text(), "Caf\xC3\xA9");
}

TEST(XmlReIndent, WritesDeclarationThenTwoSpacesPerLevel) {
  EXPECT_EQ(ReIndentXml(kBuiltEnvelopeText),
            "<?xml version=\"1.0\"?>\n"
            "<soap:Envelope xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\">\n"
            "  <soap:Body>\n"
            "    <OTA_ReadRQ xmlns=\"http://www.opentravel.org/OTA/2003/05\" Version=\"2.0\" EchoToken=\"\">\n"
            "      <Note>a &lt; b &amp; \"c\"</Note>\n"
            "      <Empty />\n"
            "    </OTA_ReadRQ>\n"
            "  </soap:Body>\n"
            "</soap:Envelope>");
}

TEST(XmlReIndent, AddsTheDeclarationAndLeavesOtherTextAlone) {
  EXPECT_EQ(ReIndentXml("<a><b>x</b></a>"), "<?xml version=\"1.0\"?>\n<a>\n  <b>x</b>\n</a>");
  for (const char* text : {"", "Bad Gateway", "<a><b></a>"}) EXPECT_EQ(ReIndentXml(text), text);
}

}  // namespace
}  // namespace corvenna
