#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "platform/DocumentsFolder.h"
#include "support/ScratchHome.h"

namespace corvenna {
namespace {

namespace fs = std::filesystem;

struct UserDirsCase {
  const char* what;
  const char* userDirs;      // nullptr: no user-dirs.dirs
  const char* folderToMake;  // below the scratch home
  const char* expected;      // below the scratch home; nullptr: no folder
};

TEST(DocumentsFolderTest, FoundThroughUserDirsElseHomeDocuments) {
  const std::vector<UserDirsCase> cases = {
      {"no user-dirs file", nullptr, "Documents", "Documents"},
      {"quoted $HOME entry", "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\nXDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n", "Dokumente",
       "Dokumente"},
      {"trailing slash dropped", "XDG_DOCUMENTS_DIR=\"$HOME/Docs/\"\n", "Docs", "Docs"},
      {"comment lines ignored", "# XDG_DOCUMENTS_DIR=\"$HOME/Wrong\"\nXDG_DOCUMENTS_DIR=\"${HOME}/Papers\"\n", "Papers",
       "Papers"},
      {"file without the entry", "XDG_MUSIC_DIR=\"$HOME/Music\"\n", "Documents", "Documents"},
      {"entry to a missing folder", "XDG_DOCUMENTS_DIR=\"$HOME/Gone\"\n", "Documents", nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    test::ScratchHome home;
    fs::remove_all(home.Documents());
    fs::create_directories(home.Root() / c.folderToMake);
    if (c.userDirs) test::WriteFileText(home.Root() / ".config" / "user-dirs.dirs", c.userDirs);
    const auto folder = DocumentsFolder();
    if (c.expected) {
      EXPECT_EQ(folder.value_or("(none)"), (home.Root() / c.expected).string());
    } else {
      EXPECT_FALSE(folder.has_value()) << *folder;
    }
  }
}

TEST(DocumentsFolderTest, MissingFolderOrHomeIsNoFolder) {
  test::ScratchHome home;
  fs::remove_all(home.Documents());
  EXPECT_FALSE(DocumentsFolder().has_value());
  fs::create_directories(home.Documents());
  unsetenv("HOME");
  EXPECT_FALSE(DocumentsFolder().has_value());
}

TEST(DocumentsFolderTest, AbsoluteEntryAndUserDirsBelowXdgConfigHome) {
  test::ScratchHome home;
  const fs::path elsewhere = home.Root() / "elsewhere";
  const fs::path papers = home.Root() / "shared papers";
  fs::create_directories(elsewhere);
  fs::create_directories(papers);
  setenv("XDG_CONFIG_HOME", elsewhere.c_str(), 1);
  test::WriteFileText(elsewhere / "user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"" + papers.string() + "\"\n");
  EXPECT_EQ(DocumentsFolder().value_or("(none)"), papers.string());
}

}  // namespace
}  // namespace corvenna
