#pragma once
// Where the tests find the official OTA 2011B schemas and the public samples:
// the folder CORVENNA_OTA_DIR names, else ../shared/ota beside the project.
// A clone without them skips the tests that need them; under CI (CI=true)
// their absence fails those tests.
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

namespace corvenna::test {

std::filesystem::path OtaDir();
std::filesystem::path OtaSchemaDir();   // OtaDir()/xsd/2011B
std::filesystem::path OtaSamplesDir();  // OtaDir()/samples

// Empty when the schemas and the samples are there, else what is missing and
// where to put it. The first call that finds them missing also says so on
// standard error.
std::string MissingOtaFiles();
bool RunningUnderCi();

}  // namespace corvenna::test

// For a test body that needs the official files: skips without them, or fails under CI.
#define REQUIRE_OTA_FILES()                                                      \
  do {                                                                           \
    const std::string missing_ = ::corvenna::test::MissingOtaFiles();            \
    if (!missing_.empty()) {                                                     \
      if (::corvenna::test::RunningUnderCi()) GTEST_FAIL() << missing_;          \
      GTEST_SKIP() << missing_;                                                  \
    }                                                                            \
  } while (false)
