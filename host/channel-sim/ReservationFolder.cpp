#include "ReservationFolder.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <iostream>

namespace channelsim {

namespace fs = std::filesystem;

namespace {

bool IsXmlFile(const fs::directory_entry& entry) {
  std::string extension = entry.path().extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return entry.is_regular_file() && extension == ".xml";
}

std::vector<fs::path> XmlFilesInNameOrder(const std::string& dir) {
  std::vector<fs::path> files;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(dir, error))
    if (IsXmlFile(entry)) files.push_back(entry.path());
  std::sort(files.begin(), files.end(),
            [](const fs::path& a, const fs::path& b) { return a.filename().string() < b.filename().string(); });
  return files;
}

// The next node after `node` in document order below `top`, skipping what
// lies below `node` when `descend` is false; null at the end. A loop, not a
// recursion: a file nested a hundred thousand deep must not end the server.
pugi::xml_node NextInDocumentOrder(pugi::xml_node node, pugi::xml_node top, bool descend) {
  if (descend && node.first_child()) return node.first_child();
  while (node != top && !node.next_sibling()) node = node.parent();
  return node == top ? pugi::xml_node() : node.next_sibling();
}

// The HotelReservation elements of any depth, none searched inside another.
void CollectHotelReservations(pugi::xml_node top, std::vector<pugi::xml_node>& found) {
  for (pugi::xml_node node = top.first_child(); node;) {
    const bool isReservation = node.type() == pugi::node_element && LocalName(node.name()) == "HotelReservation";
    if (isReservation) found.push_back(node);
    node = NextInDocumentOrder(node, top, node.type() == pugi::node_element && !isReservation);
  }
}

std::string DeliveryKeyOf(pugi::xml_node reservation) {
  std::vector<pugi::xml_node> ids;
  for (pugi::xml_node child : reservation.children())
    if (child.type() == pugi::node_element && LocalName(child.name()) == "UniqueID") ids.push_back(child);
  if (ids.empty()) return {};
  return (ids.size() == 1 ? ids[0] : ids[1]).attribute("ID").value();
}

}  // namespace

std::string LocalName(const char* name) {
  const char* colon = std::strchr(name, ':');
  return colon ? std::string(colon + 1) : std::string(name);
}

void StripPrefixes(pugi::xml_node element) {
  if (element.type() != pugi::node_element) return;
  for (pugi::xml_node node = element; node; node = NextInDocumentOrder(node, element, true)) {
    if (node.type() != pugi::node_element) continue;
    const std::string local = LocalName(node.name());
    if (local != node.name()) node.set_name(local.c_str());
  }
}

ReservationFolder::ReservationFolder(const std::string& dir) {
  for (const fs::path& file : XmlFilesInNameOrder(dir)) {
    // The keys are read as a report names them; the reservations are served as written.
    pugi::xml_document doc, asWritten;
    if (!doc.load_file(file.c_str()) ||
        !asWritten.load_file(file.c_str(), pugi::parse_default & ~pugi::parse_escapes)) {
      std::cerr << "channel-sim: skipping " << file.string() << ": not XML\n";
      continue;
    }
    std::vector<pugi::xml_node> found, written;
    CollectHotelReservations(doc, found);
    CollectHotelReservations(asWritten, written);
    for (size_t i = 0; i < found.size() && i < written.size(); ++i) {
      pugi::xml_node copy = store_.append_copy(written[i]);
      StripPrefixes(copy);
      reservations_.push_back({DeliveryKeyOf(found[i]), copy});
    }
  }
}

}  // namespace channelsim
