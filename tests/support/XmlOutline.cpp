#include "support/XmlOutline.h"

#include <vector>

namespace corvenna::test {
namespace {

void Outline(const XmlNode& element, int depth, std::string& out) {
  out.append(static_cast<size_t>(depth) * 2, ' ').append(element.NodeName());
  for (const auto& [name, value] : element.Attributes()) out += " " + name + "=\"" + value + "\"";
  std::vector<XmlNode> children;
  std::string text;
  for (const XmlNode& child : element.ChildNodes()) {
    if (child.NodeType() == XmlNode::Element) children.push_back(child);
    else text += child.Text();
  }
  if (!text.empty()) out += " = \"" + text + "\"";
  out += "\n";
  for (const XmlNode& child : children) Outline(child, depth + 1, out);
}

}  // namespace

std::string XmlOutline(const XmlDocument& doc) {
  std::string out;
  if (XmlNode root = doc.DocumentElement()) Outline(root, 0, out);
  return out;
}

std::string XmlOutline(const std::string& xml) {
  XmlDocument doc;
  doc.LoadXml(xml);
  return XmlOutline(doc);
}

}  // namespace corvenna::test
