#pragma once
// A private home for one test: HOME, XDG_CONFIG_HOME and the Documents folder
// point into a fresh temporary folder that is removed afterwards, so no test
// ever touches the real user's files.
#include <filesystem>
#include <string>

namespace corvenna::test {

class ScratchHome {
 public:
  ScratchHome();
  ~ScratchHome();
  ScratchHome(const ScratchHome&) = delete;
  ScratchHome& operator=(const ScratchHome&) = delete;

  const std::filesystem::path& Root() const { return root_; }
  std::filesystem::path Documents() const { return root_ / "Documents"; }
  // Documents/Quendale/{Database,Temp,OTA,Lan}, as the host's installer leaves them.
  void MakeHostFolders() const;

 private:
  std::filesystem::path root_;
  std::string savedHome_, savedConfig_;
  bool hadHome_ = false, hadConfig_ = false;
};

// Reads a whole file as text (empty when missing).
std::string ReadFileText(const std::filesystem::path& path);
void WriteFileText(const std::filesystem::path& path, const std::string& text);

}  // namespace corvenna::test
