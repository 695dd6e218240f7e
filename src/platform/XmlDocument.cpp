#include "platform/XmlDocument.h"

#include <pugixml.hpp>

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <limits>
#include <optional>
#include <string_view>

#include "platform/Errors.h"
#include "platform/PrivateFile.h"
#include "platform/RegularFile.h"
#include "platform/Text.h"
#include "platform/XmlCharacters.h"
#include "platform/XmlNulReference.h"

namespace corvenna {

namespace {

// Whitespace-only text is dropped and line ends are normalised, as the host's
// DOM does by default; comments, processing instructions and a DOCTYPE are
// kept as nodes, but an entity is never expanded.
// Parsed as a fragment so that text beside the root element stays visible and
// can be refused; pugixml would otherwise drop it and accept the document.
constexpr unsigned kParseOptions = pugi::parse_cdata | pugi::parse_escapes | pugi::parse_wconv_attribute |
                                   pugi::parse_eol | pugi::parse_declaration | pugi::parse_pi |
                                   pugi::parse_comments | pugi::parse_doctype | pugi::parse_fragment;

pugi::xml_node ToPugi(void* handle) { return pugi::xml_node(static_cast<pugi::xml_node_struct*>(handle)); }

// Visits every node below the top in document order, with its depth (the
// top's children at 0), until the visitor returns false; false then.
template <typename Visitor>
bool VisitDescendants(const pugi::xml_node& top, Visitor&& visit) {
  pugi::xml_node node = top.first_child();
  unsigned depth = 0;
  while (node) {
    if (!visit(node, depth)) return false;
    if (node.first_child()) {
      node = node.first_child();
      ++depth;
      continue;
    }
    while (node != top && !node.next_sibling()) {
      node = node.parent();
      --depth;
    }
    if (node == top) break;
    node = node.next_sibling();
  }
  return true;
}

std::string_view WithoutPrefix(std::string_view name) {
  const size_t colon = name.find(':');
  return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

void AppendDescendantText(const pugi::xml_node& node, std::string& out) {
  VisitDescendants(node, [&](const pugi::xml_node& descendant, unsigned) {
    const pugi::xml_node_type type = descendant.type();
    if (type == pugi::node_pcdata || type == pugi::node_cdata) out += descendant.value();
    return true;
  });
}

class StringWriter : public pugi::xml_writer {
 public:
  void write(const void* data, size_t size) override { text.append(static_cast<const char*>(data), size); }
  std::string text;
};

std::string Lowercase(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

bool IsLatin1Name(const std::string& name) {
  const std::string lower = Lowercase(name);
  return lower == "iso-8859-1" || lower == "latin1" || lower == "latin-1";
}

pugi::xml_node FindDeclaration(const pugi::xml_document& doc) {
  for (pugi::xml_node node = doc.first_child(); node; node = node.next_sibling())
    if (node.type() == pugi::node_declaration) return node;
  return {};
}

// The text is kept as UTF-8 in memory; a file is written in the encoding its
// declaration names, so that reading it back gives the same characters.
pugi::xml_encoding FileEncodingOf(const pugi::xml_document& doc) {
  pugi::xml_node declaration = FindDeclaration(doc);
  if (declaration && IsLatin1Name(declaration.attribute("encoding").value())) return pugi::encoding_latin1;
  return pugi::encoding_utf8;
}

// Top-level nodes one per line, each written raw.
std::string Serialise(const pugi::xml_document& doc, pugi::xml_encoding encoding) {
  StringWriter writer;
  for (pugi::xml_node node = doc.first_child(); node; node = node.next_sibling()) {
    if (node != doc.first_child()) writer.text += '\n';
    node.print(writer, "", pugi::format_raw | pugi::format_no_declaration, encoding);
  }
  return std::move(writer.text);
}

// One element at the top, a DOCTYPE only before it, no text beside it.
bool IsWellFormedTop(const pugi::xml_document& doc) {
  int elements = 0;
  int doctypes = 0;
  for (pugi::xml_node node = doc.first_child(); node; node = node.next_sibling()) {
    switch (node.type()) {
      case pugi::node_element: ++elements; break;
      case pugi::node_doctype:
        if (elements > 0 || ++doctypes > 1) return false;
        break;
      case pugi::node_pcdata:
      case pugi::node_cdata: return false;
      default: break;
    }
  }
  return elements == 1;
}

bool HasDuplicateInLongList(const pugi::xml_node& element) {
  std::vector<std::string_view> names;
  for (pugi::xml_attribute attribute : element.attributes()) names.emplace_back(attribute.name());
  std::sort(names.begin(), names.end());
  return std::adjacent_find(names.begin(), names.end()) != names.end();
}

// pugixml accepts an element with the same attribute twice; XML does not.
// Elements have few attributes: up to this many are compared pairwise.
bool HasDuplicateAttribute(const pugi::xml_node& element) {
  constexpr size_t kPairwiseLimit = 16;
  pugi::xml_attribute first = element.first_attribute();
  if (!first || !first.next_attribute()) return false;
  std::array<const char*, kPairwiseLimit> names{};
  size_t count = 0;
  for (pugi::xml_attribute attribute = first; attribute; attribute = attribute.next_attribute()) {
    if (count == kPairwiseLimit) return HasDuplicateInLongList(element);
    names[count++] = attribute.name();
  }
  for (size_t i = 1; i < count; ++i)
    for (size_t j = 0; j < i; ++j)
      if (std::strcmp(names[i], names[j]) == 0) return true;
  return false;
}

// An OTA message is about a dozen elements deep. Far deeper nesting is no
// message: re-indented, it would cost its depth in blanks on every line.
constexpr unsigned kMaxElementDepth = 256;

// No element nested deeper than kMaxElementDepth (the root element is at 1),
// none with an attribute twice.
bool IsAcceptableTree(const pugi::xml_document& doc) {
  return VisitDescendants(doc, [](const pugi::xml_node& node, unsigned depth) {
    return node.type() != pugi::node_element || (depth < kMaxElementDepth && !HasDuplicateAttribute(node));
  });
}

bool Parse(pugi::xml_document& doc, const void* data, size_t size) {
  const std::optional<std::string> marked = MarkNulReferences(std::string_view(static_cast<const char*>(data), size));
  if (marked) {
    data = marked->data();
    size = marked->size();
  }
  pugi::xml_parse_result result = doc.load_buffer(data, size, kParseOptions, pugi::encoding_auto);
  if (!result || !IsWellFormedTop(doc) || !IsAcceptableTree(doc)) {
    // A failed parse keeps what was read up to the fault: an unclosed document
    // would otherwise still show its root element.
    doc.reset();
    return false;
  }
  return true;
}

constexpr std::string_view kDefaultDeclaration = "<?xml version=\"1.0\"?>\n";

// Collects what a save writes, up to a limit. There the save is abandoned:
// an exception is the one way to stop pugixml's writing.
class LimitedWriter : public pugi::xml_writer {
 public:
  struct Full {};
  explicit LimitedWriter(size_t limit) : limit_(limit) {}

  void write(const void* data, size_t size) override {
    if (full) return;
    const size_t room = limit_ - text.size();
    text.append(static_cast<const char*>(data), std::min(size, room));
    if (size <= room) return;
    full = true;
    throw Full{};
  }

  std::string text;
  bool full = false;

 private:
  size_t limit_;
};

XmlExcerpt CutText(std::string text, size_t maxBytes) {
  if (text.size() <= maxBytes) return {std::move(text), false};
  text.resize(Utf8Left(text, maxBytes).size());
  return {std::move(text), true};
}

// Declaration first, two spaces per level, no closing line break; at most
// maxBytes of it.
XmlExcerpt IndentedText(const pugi::xml_document& doc, size_t expectedSize, size_t maxBytes) {
  // One byte more for the closing line break, which is dropped.
  LimitedWriter writer(maxBytes == std::string::npos ? maxBytes : maxBytes + 1);
  writer.text.reserve(std::min(expectedSize, maxBytes));
  try {
    if (!FindDeclaration(doc)) writer.write(kDefaultDeclaration.data(), kDefaultDeclaration.size());
    doc.save(writer, "  ", pugi::format_indent | pugi::format_no_declaration, pugi::encoding_utf8);
  } catch (const LimitedWriter::Full&) {
  }
  if (!writer.full) {
    while (!writer.text.empty() && writer.text.back() == '\n') writer.text.pop_back();
  }
  return CutText(std::move(writer.text), maxBytes);
}

XmlExcerpt ReIndentedExcerpt(const std::string& xml, size_t maxBytes) {
  pugi::xml_document doc;
  if (!Parse(doc, xml.data(), xml.size())) return CutText(xml, maxBytes);
  // Room for a message's indentation; pages reserved and never written cost nothing.
  return IndentedText(doc, xml.size() + xml.size() / 2 + kDefaultDeclaration.size(), maxBytes);
}

// The characters of a name as the parser reads it: any byte of a multi-byte
// character, letters, '_' and ':' first, then also digits, '-' and '.'.
struct NameCharacters {
  std::array<bool, 256> start{};
  std::array<bool, 256> part{};
  constexpr NameCharacters() {
    for (int c = 0; c < 256; ++c) {
      start[c] = c >= 0x80 || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == ':';
      part[c] = start[c] || (c >= '0' && c <= '9') || c == '-' || c == '.';
    }
  }
};
constexpr NameCharacters kNameCharacters;

// The length of a name that the parser reads back whole; 0 for any other.
size_t ReadableNameLength(const char* name) {
  const auto* c = reinterpret_cast<const unsigned char*>(name);
  if (!kNameCharacters.start[*c]) return 0;
  size_t length = 1;
  while (kNameCharacters.part[c[length]]) ++length;
  return c[length] == 0 ? length : 0;
}

bool IsWhitespaceOnly(std::string_view text) { return text.find_first_not_of(" \t\r\n") == std::string_view::npos; }

// A document never holds an attribute twice: setting one again replaces it and
// a text that has one twice is refused.
bool ElementReadsBack(const pugi::xml_node& element) {
  if (ReadableNameLength(element.name()) == 0) return false;
  for (pugi::xml_attribute attribute = element.first_attribute(); attribute; attribute = attribute.next_attribute())
    if (ReadableNameLength(attribute.name()) == 0) return false;
  return true;
}

bool DeclarationReadsBack(const pugi::xml_node& declaration) {
  for (pugi::xml_attribute attribute : declaration.attributes()) {
    if (ReadableNameLength(attribute.name()) == 0) return false;
    // Any other encoding would make the parser convert the UTF-8 text.
    if (std::string_view(attribute.name()) == "encoding" && Lowercase(attribute.value()) != "utf-8") return false;
  }
  return true;
}

// Whether the node comes back the same from its raw text: the parser drops
// whitespace-only text, joins adjacent texts and turns a carriage return into
// a line feed.
bool NodeReadsBack(const pugi::xml_node& node) {
  const pugi::xml_node_type type = node.type();
  if (type == pugi::node_element) return ElementReadsBack(node);
  const std::string_view value = node.value();
  if (value.find('\r') != std::string_view::npos) return false;
  switch (type) {
    case pugi::node_pcdata:
      return !IsWhitespaceOnly(value) && node.previous_sibling().type() != pugi::node_pcdata;
    case pugi::node_cdata:
    case pugi::node_comment:
    case pugi::node_doctype: return true;
    case pugi::node_pi:
      return ReadableNameLength(node.name()) != 0 && Lowercase(node.name()) != "xml" &&
             value.find("?>") == std::string_view::npos;
    case pugi::node_declaration: return DeclarationReadsBack(node);
    default: return false;
  }
}

// The size of a node's indented text, near enough to reserve the document's
// text in one go: growing a megabyte string costs more than writing it. The
// indentation and line break come before the start and the end tag.
size_t IndentedSizeOf(const pugi::xml_node& node, size_t indentation) {
  size_t size = std::strlen(node.value()) + 2 * std::strlen(node.name()) + 8 + 2 * indentation;
  for (pugi::xml_attribute attribute = node.first_attribute(); attribute; attribute = attribute.next_attribute())
    size += std::strlen(attribute.name()) + std::strlen(attribute.value()) + 4;
  return size;
}

// Whether re-indenting the document's own tree gives what re-indenting its text
// would: writing it out and reading it back must give the same tree.
// The indented text's size is summed up on the way.
bool IndentsAsReadBack(const pugi::xml_document& doc, size_t& textSize) {
  textSize = kDefaultDeclaration.size();
  return IsWellFormedTop(doc) && VisitDescendants(doc, [&](const pugi::xml_node& node, unsigned depth) {
           textSize += IndentedSizeOf(node, 2 * depth + 1);
           return NodeReadsBack(node);
         });
}

}  // namespace

// ---- XmlNode ----

int XmlNode::NodeType() const {
  switch (ToPugi(handle_).type()) {
    case pugi::node_element: return Element;
    case pugi::node_pcdata: return TextNode;
    case pugi::node_cdata: return CDataSection;
    case pugi::node_pi:
    case pugi::node_declaration: return ProcessingInstruction;
    case pugi::node_comment: return Comment;
    case pugi::node_document: return Document;
    case pugi::node_doctype: return DocumentType;
    default: return Null;
  }
}

std::string XmlNode::NodeName() const {
  pugi::xml_node node = ToPugi(handle_);
  switch (node.type()) {
    case pugi::node_pcdata: return "#text";
    case pugi::node_cdata: return "#cdata-section";
    case pugi::node_comment: return "#comment";
    case pugi::node_document: return "#document";
    case pugi::node_declaration: return "xml";
    case pugi::node_doctype: {
      std::string value = node.value();
      return value.substr(0, value.find_first_of(" \t\r\n["));
    }
    default: return node.name();
  }
}

std::string XmlNode::LocalName() const { return std::string(WithoutPrefix(NodeName())); }

std::string XmlNode::Text() const {
  pugi::xml_node node = ToPugi(handle_);
  switch (node.type()) {
    case pugi::node_element:
    case pugi::node_document: {
      std::string text;
      AppendDescendantText(node, text);
      return UnmarkNul(text.c_str());
    }
    case pugi::node_null: return {};
    default: return UnmarkNul(node.value());
  }
}

std::vector<XmlNode> XmlNode::ChildNodes() const {
  std::vector<XmlNode> children;
  for (pugi::xml_node child = ToPugi(handle_).first_child(); child; child = child.next_sibling())
    children.push_back(XmlNode(child.internal_object()));
  return children;
}

std::vector<XmlNode> XmlNode::ChildElements() const {
  std::vector<XmlNode> elements;
  for (pugi::xml_node child = ToPugi(handle_).first_child(); child; child = child.next_sibling())
    if (child.type() == pugi::node_element) elements.push_back(XmlNode(child.internal_object()));
  return elements;
}

std::vector<std::pair<std::string, std::string>> XmlNode::Attributes() const {
  std::vector<std::pair<std::string, std::string>> attributes;
  for (pugi::xml_attribute attribute : ToPugi(handle_).attributes())
    attributes.emplace_back(attribute.name(), UnmarkNul(attribute.value()));
  return attributes;
}

std::string XmlNode::Attribute(const std::string& name) const {
  return UnmarkNul(ToPugi(handle_).attribute(name.c_str()).value());
}

XmlNode XmlNode::AppendElement(const std::string& name) {
  pugi::xml_node child = ToPugi(handle_).append_child(name.c_str());
  if (!child) throw EXmlError(Format("Could not append the element '%s' to '%s'", name.c_str(), NodeName().c_str()));
  return XmlNode(child.internal_object());
}

XmlNode& XmlNode::SetAttribute(const std::string& name, const std::string& value) {
  pugi::xml_node node = ToPugi(handle_);
  pugi::xml_attribute attribute = node.attribute(name.c_str());
  if (!attribute) attribute = node.append_attribute(name.c_str());
  if (!attribute || !attribute.set_value(value.c_str()))
    throw EXmlError(Format("Could not set the attribute '%s' of '%s'", name.c_str(), NodeName().c_str()));
  return *this;
}

XmlNode& XmlNode::SetText(const std::string& text) {
  pugi::xml_node node = ToPugi(handle_);
  while (node.first_child()) node.remove_child(node.first_child());
  if (!text.empty() && !node.append_child(pugi::node_pcdata).set_value(text.c_str()))
    throw EXmlError(Format("Could not set the text of '%s'", NodeName().c_str()));
  return *this;
}

// ---- XmlDocument ----

struct XmlDocument::Impl {
  pugi::xml_document doc;
};

XmlDocument::XmlDocument() : impl_(std::make_unique<Impl>()) {}
XmlDocument::~XmlDocument() = default;
XmlDocument::XmlDocument(XmlDocument&&) noexcept = default;
XmlDocument& XmlDocument::operator=(XmlDocument&&) noexcept = default;

void XmlDocument::InsertDeclaration() {
  if (FindDeclaration(impl_->doc)) return;
  pugi::xml_node declaration = impl_->doc.prepend_child(pugi::node_declaration);
  declaration.append_attribute("version").set_value("1.0");
}

XmlNode XmlDocument::AppendElement(const std::string& name) {
  if (impl_->doc.document_element())
    throw EXmlError(Format("Could not append the element '%s': the document has a root element", name.c_str()));
  pugi::xml_node root = impl_->doc.append_child(name.c_str());
  return XmlNode(root.internal_object());
}

XmlNode XmlDocument::DocumentElement() const {
  pugi::xml_node root = impl_->doc.document_element();
  return root ? XmlNode(root.internal_object()) : XmlNode();
}

std::vector<XmlNode> XmlDocument::GetElementsByTagName(const std::string& name) const {
  std::vector<XmlNode> found;
  const bool any = name == "*";
  VisitDescendants(impl_->doc, [&](const pugi::xml_node& node, unsigned) {
    if (node.type() == pugi::node_element && (any || name == node.name()))
      found.push_back(XmlNode(node.internal_object()));
    return true;
  });
  return found;
}

std::vector<XmlNode> XmlDocument::GetElementsByLocalName(const std::string& localName) const {
  std::vector<XmlNode> found;
  VisitDescendants(impl_->doc, [&](const pugi::xml_node& node, unsigned) {
    if (node.type() == pugi::node_element && WithoutPrefix(node.name()) == localName)
      found.push_back(XmlNode(node.internal_object()));
    return true;
  });
  return found;
}

std::string XmlDocument::Xml() const { return Serialise(impl_->doc, pugi::encoding_utf8); }

bool XmlDocument::LoadXml(const std::string& text) { return Parse(impl_->doc, text.data(), text.size()); }

void XmlDocument::Save(const std::string& path) const {
  if (!ReplacePrivateFile(path, Serialise(impl_->doc, FileEncodingOf(impl_->doc))))
    throw EXmlError(Format("Could not save the XML document to '%s': %s", path.c_str(),
                           PrivateFileErrorText(path, errno).c_str()));
}

bool XmlDocument::Load(const std::string& path) {
  std::string text;
  try {
    text = ReadRegularFileStart(path, std::numeric_limits<size_t>::max()).Text;
  } catch (const EOSError&) {
    impl_->doc.reset();
    return false;
  }
  return Parse(impl_->doc, text.data(), text.size());
}

void XmlDocument::Clear() { impl_->doc.reset(); }

std::string XmlDocument::IndentedXml() const { return IndentedXmlExcerpt(std::string::npos).text; }

XmlExcerpt XmlDocument::IndentedXmlExcerpt(size_t maxBytes) const {
  size_t textSize = 0;
  if (!IndentsAsReadBack(impl_->doc, textSize)) return ReIndentedExcerpt(Xml(), maxBytes);
  return IndentedText(impl_->doc, textSize, maxBytes);
}

bool XmlDocument::HoldsOnlyXmlText() const {
  return VisitDescendants(impl_->doc, [](const pugi::xml_node& node, unsigned) {
    if (!IsXmlText(node.name()) || !IsXmlText(node.value())) return false;
    for (pugi::xml_attribute attribute = node.first_attribute(); attribute; attribute = attribute.next_attribute())
      if (!IsXmlText(attribute.name()) || !IsXmlText(attribute.value())) return false;
    return true;
  });
}

std::string ReIndentXml(const std::string& xml) { return ReIndentedExcerpt(xml, std::string::npos).text; }

std::string ReIndentXmlHead(std::string_view head) {
  pugi::xml_document doc;
  // The parse fails where the head stops; the tree keeps what was read up to there.
  doc.load_buffer(head.data(), head.size(), kParseOptions, pugi::encoding_auto);
  if (!IsWellFormedTop(doc) || !IsAcceptableTree(doc)) return {};
  std::string text = IndentedText(doc, head.size() + head.size() / 2, std::string::npos).text;
  for (size_t lineStart = text.rfind('\n'); lineStart != std::string::npos; lineStart = text.rfind('\n')) {
    const size_t tag = text.find_first_not_of(' ', lineStart + 1);
    if (tag == std::string::npos || text.compare(tag, 2, "</") != 0) break;
    text.resize(lineStart);
  }
  return text;
}

}  // namespace corvenna
