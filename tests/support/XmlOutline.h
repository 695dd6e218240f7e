#pragma once
// A document's elements as indented lines, "name attr="value" ... = "text"",
// two spaces per level: node order, attribute order and texts in a form that
// does not depend on how the serialiser lays out its output.
#include <string>

#include "platform/XmlDocument.h"

namespace corvenna::test {

std::string XmlOutline(const XmlDocument& doc);
std::string XmlOutline(const std::string& xml);

}  // namespace corvenna::test
