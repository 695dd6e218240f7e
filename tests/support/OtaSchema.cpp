#include "support/OtaSchema.h"

#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "platform/XmlDocument.h"
#include "support/OtaFiles.h"
#include "support/ScratchHome.h"

namespace corvenna::test {

namespace fs = std::filesystem;

namespace {

constexpr const char* kOtaNamespace = "http://www.opentravel.org/OTA/2003/05";

std::string LocalName(const std::string& name) {
  const size_t colon = name.find(':');
  return colon == std::string::npos ? name : name.substr(colon + 1);
}

XmlNode FindOtaElement(const XmlDocument& doc) {
  XmlNode root = doc.DocumentElement();
  if (!root || LocalName(root.NodeName()) != "Envelope") return root;
  for (const XmlNode& part : root.ChildElements()) {
    if (LocalName(part.NodeName()) != "Body") continue;
    std::vector<XmlNode> content = part.ChildElements();
    return content.empty() ? XmlNode() : content.front();
  }
  return {};
}

// Our messages hold either text or elements in an element, never both.
void CopyInto(const XmlNode& from, XmlNode to) {
  for (const auto& [name, value] : from.Attributes()) to.SetAttribute(name, value);
  std::vector<XmlNode> elements = from.ChildElements();
  if (elements.empty()) {
    if (std::string text = from.Text(); !text.empty()) to.SetText(text);
    return;
  }
  for (const XmlNode& child : elements) CopyInto(child, to.AppendElement(child.NodeName()));
}

std::string RunCapturingOutput(const std::string& command, int& status) {
  std::string output;
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  if (!pipe) {
    status = -1;
    return "could not run: " + command;
  }
  std::array<char, 4096> chunk;
  while (size_t read = fread(chunk.data(), 1, chunk.size(), pipe)) output.append(chunk.data(), read);
  status = pclose(pipe);
  return output;
}

std::string Quoted(const std::string& path) { return "'" + path + "'"; }

}  // namespace

bool XmllintAvailable() {
  const char* path = std::getenv("PATH");
  std::stringstream dirs(path ? path : "/usr/bin:/bin");
  for (std::string dir; std::getline(dirs, dir, ':');)
    if (!dir.empty() && access((fs::path(dir) / "xmllint").c_str(), X_OK) == 0) return true;
  return false;
}

std::string ExtractOtaElement(const std::string& xml) {
  XmlDocument source;
  if (!source.LoadXml(xml)) return {};
  XmlNode ota = FindOtaElement(source);
  if (!ota) return {};
  XmlDocument alone;
  alone.InsertDeclaration();
  XmlNode root = alone.AppendElement(ota.NodeName());
  if (ota.Attribute("xmlns").empty()) root.SetAttribute("xmlns", kOtaNamespace);
  CopyInto(ota, root);
  return alone.Xml();
}

SchemaCheck ValidateOtaElement(const std::string& xml, const std::string& schemaName) {
  const std::string element = ExtractOtaElement(xml);
  if (element.empty()) return {false, "no OTA element in: " + xml.substr(0, 400)};
  XmlDocument parsed;
  parsed.LoadXml(element);
  const std::string name = schemaName.empty() ? LocalName(parsed.DocumentElement().NodeName()) : schemaName;
  const fs::path schema = OtaSchemaDir() / (name + ".xsd");
  if (!fs::exists(schema)) return {false, "no schema " + schema.string()};

  std::string pattern = (fs::temp_directory_path() / "corvenna-ota-XXXXXX").string();
  if (!mkdtemp(pattern.data())) return {false, "mkdtemp failed"};
  const fs::path dir = pattern;
  const fs::path file = dir / (name + ".xml");
  WriteFileText(file, element);
  int status = 0;
  std::string output =
      RunCapturingOutput("xmllint --noout --schema " + Quoted(schema.string()) + " " + Quoted(file.string()), status);
  std::error_code ignored;
  fs::remove_all(dir, ignored);
  const bool valid = status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return {valid, output + "\n--- checked element ---\n" + element};
}

}  // namespace corvenna::test
