#pragma once
// The XML document service of the exchange, over pugixml: build, save, load,
// parse and read documents. Element names are taken as written, prefixes
// included; namespace declarations are ordinary attributes. No DTD or entity
// expansion ever happens.
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace corvenna {

class XmlDocument;

// The first bytes of a longer text; cut tells whether anything was left out.
// A cut never falls inside a UTF-8 sequence.
struct XmlExcerpt {
  std::string text;
  bool cut = false;
};

// A cheap handle to a node of a document; valid while its document lives and
// the node has not been replaced by LoadXml/Load.
class XmlNode {
 public:
  enum Type {
    Null = 0, Element = 1, TextNode = 3, CDataSection = 4, ProcessingInstruction = 7, Comment = 8, Document = 9,
    DocumentType = 10
  };

  XmlNode() = default;
  bool IsNull() const { return handle_ == nullptr; }
  explicit operator bool() const { return handle_ != nullptr; }

  int NodeType() const;
  // The full name as the document writes it ("soap:Body", "faultstring");
  // "#text", "#cdata-section", "#comment" and "#document" for those nodes.
  std::string NodeName() const;
  // NodeName without its prefix ("Body" for "soap:Body").
  std::string LocalName() const;
  // The text of the node and all its descendants, concatenated in document order.
  std::string Text() const;
  std::vector<XmlNode> ChildNodes() const;
  // The child nodes that are elements.
  std::vector<XmlNode> ChildElements() const;
  // Attributes in document order: name as written, value.
  std::vector<std::pair<std::string, std::string>> Attributes() const;
  // Empty when absent.
  std::string Attribute(const std::string& name) const;

  // Building: appends a new element as last child and returns it.
  XmlNode AppendElement(const std::string& name);
  // Sets (or adds, after the existing ones) an attribute.
  XmlNode& SetAttribute(const std::string& name, const std::string& value);
  // Replaces the element's content by one text node.
  XmlNode& SetText(const std::string& text);

 private:
  friend class XmlDocument;
  explicit XmlNode(void* handle) : handle_(handle) {}
  void* handle_ = nullptr;  // pugi::xml_node_struct*
};

class XmlDocument {
 public:
  XmlDocument();
  ~XmlDocument();
  XmlDocument(XmlDocument&&) noexcept;
  XmlDocument& operator=(XmlDocument&&) noexcept;

  // Inserts the processing instruction <?xml version="1.0"?> as first node; a
  // document that already has a declaration keeps its one.
  void InsertDeclaration();
  // Appends the root element (the document must have none yet).
  XmlNode AppendElement(const std::string& name);

  // The root element, or a null node when there is none.
  XmlNode DocumentElement() const;
  // Every element of that full name anywhere, in document order.
  std::vector<XmlNode> GetElementsByTagName(const std::string& name) const;
  // Every element whose name without its prefix is localName ("PaymentCard"
  // finds "ota:PaymentCard" too), in document order.
  std::vector<XmlNode> GetElementsByLocalName(const std::string& localName) const;

  // The document as text (declaration included when present).
  std::string Xml() const;
  // The document as ReIndentXml(Xml()) gives it, without writing and reading it
  // again where its tree allows.
  std::string IndentedXml() const;
  // At most maxBytes of IndentedXml(); the writing stops there, so a document
  // that would indent to gigabytes costs no more than that.
  XmlExcerpt IndentedXmlExcerpt(size_t maxBytes) const;
  // Whether every name, value and text of the document is one that XML can
  // carry (IsXmlText): without that, its text is no XML any parser accepts.
  bool HoldsOnlyXmlText() const;
  // Replaces the whole content by the parsed text; on a text that is not XML the
  // document is left empty (no root element) and false is returned. A text with
  // elements nested deeper than 256 levels counts as not XML.
  bool LoadXml(const std::string& text);
  // Writes the document to a file, replacing it as ReplacePrivateFile does: a
  // failed save leaves the old file whole. Raises EXmlError naming the path.
  void Save(const std::string& path) const;
  // Reads a file; false (and an empty document) when it is missing, no regular
  // file or not XML.
  bool Load(const std::string& path);
  // Removes every node.
  void Clear();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// Re-indents an XML text for the log and the dialog: declaration first, two
// spaces per level, elements holding only text on one line. A text that is
// not XML (LoadXml) is returned unchanged.
std::string ReIndentXml(const std::string& xml);

// Re-indents the head of a longer XML document (its first bytes, cut on a
// character boundary): every element as far as it is read, without the closing
// tags that end the re-indented text, since the head has none there. Empty
// when the head holds no document element.
std::string ReIndentXmlHead(std::string_view head);

}  // namespace corvenna
