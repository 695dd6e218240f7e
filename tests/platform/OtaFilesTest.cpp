// A clone without the official OTA files: the tests that need them skip, say
// where to put the files, and fail only under CI. Checked on this very
// program, run again on one such test.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <string>

#include "ScopedEnv.h"
#include "support/OtaFiles.h"
#include "support/ScratchHome.h"

namespace corvenna::test {
namespace {

namespace fs = std::filesystem;

struct Outcome {
  int exitCode = -1;
  std::string output;
};

Outcome RunOneOtaTest() {
  const std::string self = fs::read_symlink("/proc/self/exe").string();
  const std::string command =
      "'" + self + "' --gtest_filter=XmlIndentedXml.PublicSamplesIndentAsTheirTextDoes 2>&1";
  Outcome outcome;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return outcome;
  std::array<char, 4096> chunk;
  while (size_t read = fread(chunk.data(), 1, chunk.size(), pipe)) outcome.output.append(chunk.data(), read);
  const int status = pclose(pipe);
  outcome.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return outcome;
}

TEST(OtaFilesTest, WithoutThemTheirTestsSkipAndSayWhereToPutThemButFailUnderCi) {
  ScratchHome home;
  const fs::path empty = home.Root() / "ota";
  fs::create_directories(empty);
  ScopedEnv dir("CORVENNA_OTA_DIR", empty.string());
  {
    ScopedEnv ci("CI", "");
    const Outcome skipped = RunOneOtaTest();
    EXPECT_EQ(skipped.exitCode, 0) << skipped.output;
    EXPECT_NE(skipped.output.find("[  SKIPPED ]"), std::string::npos) << skipped.output;
    EXPECT_NE(skipped.output.find("put the OTA 2011B schemas in its xsd/2011B/"), std::string::npos)
        << skipped.output;
    EXPECT_NE(skipped.output.find(empty.string()), std::string::npos) << skipped.output;
  }
  ScopedEnv ci("CI", "true");
  const Outcome failed = RunOneOtaTest();
  EXPECT_EQ(failed.exitCode, 1) << failed.output;
  EXPECT_NE(failed.output.find("[  FAILED  ]"), std::string::npos) << failed.output;
}

TEST(OtaFilesTest, TheFolderNamedInTheEnvironmentComesFirst) {
  ScratchHome home;
  const fs::path chosen = home.Root() / "ota";
  fs::create_directories(chosen / "xsd" / "2011B");
  fs::create_directories(chosen / "samples");
  WriteFileText(chosen / "xsd" / "2011B" / "OTA_ReadRQ.xsd", "<xs:schema/>");
  {
    ScopedEnv dir("CORVENNA_OTA_DIR", chosen.string());
    EXPECT_EQ(OtaSchemaDir(), chosen / "xsd" / "2011B");
    EXPECT_EQ(MissingOtaFiles(), "");
  }
  ScopedEnv unset("CORVENNA_OTA_DIR", "");
  EXPECT_EQ(OtaDir(), fs::path(CORVENNA_SHARED_DIR) / "ota");
}

}  // namespace
}  // namespace corvenna::test
