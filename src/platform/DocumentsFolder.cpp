#include "platform/DocumentsFolder.h"

#include <sys/stat.h>

#include <cstdlib>
#include <sstream>

#include "platform/RegularFile.h"

namespace corvenna {
namespace {

// A list of a dozen folders; no larger file is one.
constexpr size_t MaxUserDirsBytes = 1 << 20;

std::string WithoutTrailingSlashes(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

// The XDG_DOCUMENTS_DIR line of user-dirs.dirs, "$HOME" expanded and quotes removed.
std::optional<std::string> XdgDocumentsEntry(const std::string& home) {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  const std::string folder = config && *config ? std::string(config) : home + "/.config";
  const std::string file = folder + "/user-dirs.dirs";
  struct stat status {};
  if (stat(file.c_str(), &status) != 0) return std::nullopt;
  std::istringstream in(ReadRegularFileStart(file, MaxUserDirsBytes, "the user folder list").Text);
  std::optional<std::string> found;
  const std::string key = "XDG_DOCUMENTS_DIR=";
  for (std::string line; std::getline(in, line);) {
    const auto start = line.find_first_not_of(" \t");
    if (start == std::string::npos || line.compare(start, key.size(), key) != 0) continue;
    std::string value = line.substr(start + key.size());
    while (!value.empty() && (value.back() == '\r' || value.back() == ' ' || value.back() == '\t')) value.pop_back();
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
    for (const std::string token : {"${HOME}", "$HOME"}) {
      for (auto at = value.find(token); at != std::string::npos; at = value.find(token, at + home.size()))
        value.replace(at, token.size(), home);
    }
    if (value.empty()) continue;
    if (value.front() != '/') value = home + "/" + value;
    found = value;  // the last entry wins, as a shell sourcing the file would have it
  }
  return found;
}

bool IsFolder(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

std::optional<std::string> DocumentsFolder() {
  const char* home = std::getenv("HOME");
  if (!home || !*home) return std::nullopt;
  const std::string homePath = WithoutTrailingSlashes(home);
  const std::string folder = WithoutTrailingSlashes(XdgDocumentsEntry(homePath).value_or(homePath + "/Documents"));
  if (!IsFolder(folder)) return std::nullopt;
  return folder;
}

}  // namespace corvenna
