#include <gtest/gtest.h>

#include <unistd.h>

#include <array>
#include <filesystem>

#include "platform/ModuleInfo.h"
#include "support/ScratchHome.h"

namespace corvenna {
namespace {

namespace fs = std::filesystem;

TEST(ModuleInfoTest, LibraryFileNameIsTheModuleHoldingOurCode) {
  // The platform layer is linked into this test program, so that is the module.
  EXPECT_EQ(fs::canonical(GetLibraryFileName()), fs::canonical("/proc/self/exe"));
}

TEST(ModuleInfoTest, OwnFileCarriesTheBuildsVersion) {
  uint16_t major = 0, minor = 0, release = 0, build = 0;
  ASSERT_TRUE(ReadFileVersion(GetLibraryFileName(), major, minor, release, build));
  EXPECT_EQ(major, CORVENNA_TEST_VERSION_MAJOR);
  EXPECT_EQ(minor, CORVENNA_TEST_VERSION_MINOR);
  EXPECT_EQ(release, CORVENNA_TEST_VERSION_PATCH);
  EXPECT_EQ(build, CORVENNA_TEST_VERSION_TWEAK);
}

TEST(ModuleInfoTest, ReadsARecordAnywhereAndRejectsFilesWithoutACompleteOne) {
  test::ScratchHome home;
  const std::string record = VersionRecordBytes(10, 12, 0, 7);
  struct Case {
    const char* name;
    std::string content;  // "-": no file at all
    bool found;
  };
  const std::string padding(4099, '\x01');
  for (const Case& c : {
           Case{"plain", record, true},
           Case{"embedded", padding + record + padding, true},
           Case{"no record", padding, false},
           Case{"empty", "", false},
           Case{"cut short", padding + record.substr(0, record.size() - 1), false},
           Case{"marker without fixed info", padding + record.substr(0, 12) + std::string(12, '\0'), false},
           Case{"missing", "-", false},
       }) {
    SCOPED_TRACE(c.name);
    const fs::path file = home.Root() / "module.bin";
    fs::remove(file);
    if (c.content != "-") test::WriteFileText(file, c.content);
    uint16_t major = 1, minor = 1, release = 1, build = 1;
    EXPECT_EQ(ReadFileVersion(file.string(), major, minor, release, build), c.found);
    if (c.found) {
      EXPECT_EQ((std::array<int, 4>{major, minor, release, build}), (std::array<int, 4>{10, 12, 0, 7}));
    } else {
      EXPECT_EQ((std::array<int, 4>{major, minor, release, build}), (std::array<int, 4>{1, 1, 1, 1}));
    }
  }
}

}  // namespace
}  // namespace corvenna
