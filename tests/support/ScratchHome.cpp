#include "support/ScratchHome.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace corvenna::test {
namespace fs = std::filesystem;

ScratchHome::ScratchHome() {
  std::string pattern = (fs::temp_directory_path() / "corvenna-test-XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  root_ = pattern;
  if (const char* home = std::getenv("HOME")) hadHome_ = true, savedHome_ = home;
  if (const char* config = std::getenv("XDG_CONFIG_HOME")) hadConfig_ = true, savedConfig_ = config;
  fs::create_directories(root_ / "Documents");
  fs::create_directories(root_ / ".config");
  setenv("HOME", root_.c_str(), 1);
  setenv("XDG_CONFIG_HOME", (root_ / ".config").c_str(), 1);
}

ScratchHome::~ScratchHome() {
  hadHome_ ? setenv("HOME", savedHome_.c_str(), 1) : unsetenv("HOME");
  hadConfig_ ? setenv("XDG_CONFIG_HOME", savedConfig_.c_str(), 1) : unsetenv("XDG_CONFIG_HOME");
  std::error_code ignored;
  fs::permissions(root_, fs::perms::owner_all, fs::perm_options::add, ignored);
  fs::remove_all(root_, ignored);
}

void ScratchHome::MakeHostFolders() const {
  for (const char* sub : {"Database", "Temp", "OTA", "Lan"}) fs::create_directories(Documents() / "Quendale" / sub);
}

std::string ReadFileText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void WriteFileText(const fs::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
}

}  // namespace corvenna::test
