#include "platform/XmlDocument.h"

#include <pugixml.hpp>

#include <cctype>
#include <fstream>
#include <sstream>
#include <string_view>
#include <unordered_set>

#include "platform/Errors.h"

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

void AppendDescendantText(const pugi::xml_node& node, std::string& out) {
  for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
    switch (child.type()) {
      case pugi::node_pcdata:
      case pugi::node_cdata:
        out += child.value();
        break;
      case pugi::node_element:
        AppendDescendantText(child, out);
        break;
      default:
        break;
    }
  }
}

class StringWriter : public pugi::xml_writer {
 public:
  void write(const void* data, size_t size) override { text.append(static_cast<const char*>(data), size); }
  std::string text;
};

bool IsLatin1Name(std::string name) {
  for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return name == "iso-8859-1" || name == "latin1" || name == "latin-1";
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
  return writer.text;
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

// pugixml accepts an element with the same attribute twice; XML does not.
class DuplicateAttributeFinder : public pugi::xml_tree_walker {
 public:
  bool for_each(pugi::xml_node& node) override {
    if (node.type() != pugi::node_element || !node.first_attribute() ||
        !node.first_attribute().next_attribute())
      return true;
    names_.clear();
    for (pugi::xml_attribute attribute : node.attributes())
      if (!names_.insert(attribute.name()).second) {
        found = true;
        return false;
      }
    return true;
  }
  bool found = false;

 private:
  std::unordered_set<std::string_view> names_;
};

bool HasDuplicateAttribute(pugi::xml_document& doc) {
  DuplicateAttributeFinder finder;
  doc.traverse(finder);
  return finder.found;
}

bool Parse(pugi::xml_document& doc, const void* data, size_t size) {
  pugi::xml_parse_result result = doc.load_buffer(data, size, kParseOptions, pugi::encoding_auto);
  if (!result || !IsWellFormedTop(doc) || HasDuplicateAttribute(doc)) {
    // A failed parse keeps what was read up to the fault: an unclosed document
    // would otherwise still show its root element.
    doc.reset();
    return false;
  }
  return true;
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

std::string XmlNode::Text() const {
  pugi::xml_node node = ToPugi(handle_);
  switch (node.type()) {
    case pugi::node_element:
    case pugi::node_document: {
      std::string text;
      AppendDescendantText(node, text);
      return text;
    }
    case pugi::node_null: return {};
    default: return node.value();
  }
}

std::vector<XmlNode> XmlNode::ChildNodes() const {
  std::vector<XmlNode> children;
  for (pugi::xml_node child = ToPugi(handle_).first_child(); child; child = child.next_sibling())
    children.push_back(XmlNode(child.internal_object()));
  return children;
}

std::vector<std::pair<std::string, std::string>> XmlNode::Attributes() const {
  std::vector<std::pair<std::string, std::string>> attributes;
  for (pugi::xml_attribute attribute : ToPugi(handle_).attributes())
    attributes.emplace_back(attribute.name(), attribute.value());
  return attributes;
}

std::string XmlNode::Attribute(const std::string& name) const {
  return ToPugi(handle_).attribute(name.c_str()).value();
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
  pugi::xml_node top = impl_->doc;
  pugi::xml_node node = top.first_child();
  // Preorder, which is document order, without recursion.
  while (node) {
    if (node.type() == pugi::node_element && (any || name == node.name()))
      found.push_back(XmlNode(node.internal_object()));
    if (node.first_child()) {
      node = node.first_child();
      continue;
    }
    while (node != top && !node.next_sibling()) node = node.parent();
    if (node == top) break;
    node = node.next_sibling();
  }
  return found;
}

std::string XmlDocument::Xml() const { return Serialise(impl_->doc, pugi::encoding_utf8); }

bool XmlDocument::LoadXml(const std::string& text) { return Parse(impl_->doc, text.data(), text.size()); }

void XmlDocument::Save(const std::string& path) const {
  const std::string text = Serialise(impl_->doc, FileEncodingOf(impl_->doc));
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  if (file) file.write(text.data(), static_cast<std::streamsize>(text.size()));
  if (file) file.close();
  if (!file) throw EXmlError(Format("Could not save the XML document to '%s'", path.c_str()));
}

bool XmlDocument::Load(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    impl_->doc.reset();
    return false;
  }
  std::ostringstream content;
  content << file.rdbuf();
  const std::string text = content.str();
  return Parse(impl_->doc, text.data(), text.size());
}

void XmlDocument::Clear() { impl_->doc.reset(); }

std::string ReIndentXml(const std::string& xml) {
  pugi::xml_document doc;
  if (!Parse(doc, xml.data(), xml.size())) return xml;
  if (!FindDeclaration(doc)) doc.prepend_child(pugi::node_declaration).append_attribute("version").set_value("1.0");
  StringWriter writer;
  doc.save(writer, "  ", pugi::format_indent | pugi::format_no_declaration, pugi::encoding_utf8);
  while (!writer.text.empty() && writer.text.back() == '\n') writer.text.pop_back();
  return writer.text;
}

}  // namespace corvenna
