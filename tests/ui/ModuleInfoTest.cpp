#include <gtest/gtest.h>

#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <stdexcept>
#include <vector>

#include "platform/ModuleInfo.h"
#include "support/ElfFile.h"
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

// This program, run again through a link whose path no fixed buffer holds,
// still finds itself and its version.
TEST(ModuleInfoTest, ALongPathStillLeadsToTheVersion) {
  test::ScratchHome home;
  const fs::path folder = home.Root() / std::string(120, 'a') / std::string(120, 'b') / std::string(120, 'c');
  fs::create_directories(folder);
  const fs::path link = folder / "corvenna_ui_tests";
  fs::create_symlink(fs::canonical("/proc/self/exe"), link);
  ASSERT_GT(link.string().size(), 300u);
  const std::string command = "'" + link.native() +
                              "' --gtest_filter=ModuleInfoTest.LibraryFileNameIsTheModuleHoldingOurCode"
                              ":ModuleInfoTest.OwnFileCarriesTheBuildsVersion 2>&1";
  std::unique_ptr<FILE, int (*)(FILE*)> run(popen(command.c_str(), "r"), pclose);
  ASSERT_NE(run, nullptr);
  std::string output;
  char chunk[4096];
  while (const size_t got = std::fread(chunk, 1, sizeof chunk, run.get())) output.append(chunk, got);
  EXPECT_EQ(pclose(run.release()), 0) << output;
  EXPECT_NE(output.find("[  PASSED  ] 2 tests"), std::string::npos) << output;
}

TEST(ModuleInfoTest, ReadsTheRecordFromTheVersionSectionOnly) {
  test::ScratchHome home;
  const fs::path file = home.Root() / "module.so";
  const std::string record = VersionRecordBytes(10, 12, 0, 7);
  const std::string code(4099, '\x01');
  const auto elf = [&](std::vector<test::ElfSectionSpec> sections) {
    return [&file, sections] { test::WriteElfFile(file, sections); };
  };
  const struct {
    const char* name;
    std::function<void()> write;
    bool found;
  } cases[] = {
      {"in its section", elf({{".text", code}, {VersionSectionName, record}, {".debug_info", code}}), true},
      {"elsewhere in the file", elf({{".rodata", code + record + code}}), false},
      {"no version section", elf({{".text", code}}), false},
      {"cut short", elf({{VersionSectionName, record.substr(0, record.size() - 1)}}), false},
      {"marker without fixed info", elf({{VersionSectionName, record.substr(0, 12) + std::string(12, '\0')}}), false},
      {"section headers cut off",
       [&] {
         test::WriteElfFile(file, {{VersionSectionName, record}});
         fs::resize_file(file, fs::file_size(file) - 1);
       },
       false},
      {"the record alone, no ELF file", [&] { test::WriteFileText(file, code + record + code); }, false},
      {"empty", [&] { test::WriteFileText(file, ""); }, false},
      {"missing", [] {}, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove(file);
    c.write();
    uint16_t major = 1, minor = 1, release = 1, build = 1;
    EXPECT_EQ(ReadFileVersion(file.string(), major, minor, release, build), c.found);
    if (c.found) {
      EXPECT_EQ((std::array<int, 4>{major, minor, release, build}), (std::array<int, 4>{10, 12, 0, 7}));
    } else {
      EXPECT_EQ((std::array<int, 4>{major, minor, release, build}), (std::array<int, 4>{1, 1, 1, 1}));
    }
  }
}

// What the kernel counts as read by this process so far.
uint64_t BytesReadByThisProcess() {
  std::ifstream io("/proc/self/io");
  std::string name;
  uint64_t value = 0;
  while (io >> name >> value)
    if (name == "rchar:") return value;
  throw std::runtime_error("/proc/self/io has no rchar");
}

// The version of a library with a gibibyte of code and debug information
// before it costs what that of a small one costs.
TEST(ModuleInfoTest, ReadsOnlyAFewKilobytesOfALargeFile) {
  test::ScratchHome home;
  const fs::path file = home.Root() / "large.so";
  test::WriteElfFile(file, {{VersionSectionName, VersionRecordBytes(2, 1, 3, 45)}}, uint64_t{1} << 30);
  ASSERT_GT(fs::file_size(file), uint64_t{1} << 30);
  uint16_t major = 0, minor = 0, release = 0, build = 0;
  const uint64_t before = BytesReadByThisProcess();
  ASSERT_TRUE(ReadFileVersion(file.string(), major, minor, release, build));
  const uint64_t read = BytesReadByThisProcess() - before;
  EXPECT_EQ((std::array<int, 4>{major, minor, release, build}), (std::array<int, 4>{2, 1, 3, 45}));
  EXPECT_LT(read, 64u * 1024u);
}

}  // namespace
}  // namespace corvenna
