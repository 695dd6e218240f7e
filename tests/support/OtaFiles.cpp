#include "support/OtaFiles.h"

#include <cstdlib>
#include <iostream>

namespace corvenna::test {

namespace fs = std::filesystem;

fs::path OtaDir() {
  const char* chosen = std::getenv("CORVENNA_OTA_DIR");
  if (chosen != nullptr && *chosen != '\0') return chosen;
  return fs::path(CORVENNA_SHARED_DIR) / "ota";
}

fs::path OtaSchemaDir() { return OtaDir() / "xsd" / "2011B"; }

fs::path OtaSamplesDir() { return OtaDir() / "samples"; }

std::string MissingOtaFiles() {
  std::error_code error;
  const bool schemas = fs::is_regular_file(OtaSchemaDir() / "OTA_ReadRQ.xsd", error);
  const bool samples = fs::is_directory(OtaSamplesDir(), error);
  if (schemas && samples) return {};
  const std::string folder = OtaDir().lexically_normal().string();
  static bool said = false;
  if (!said) {
    said = true;
    std::cerr << "The official OTA files are not in " << folder
              << ": put the OTA 2011B schemas in its xsd/2011B/ and the public samples in its samples/, or set "
                 "CORVENNA_OTA_DIR to a folder that holds both. "
              << (RunningUnderCi() ? "Under CI the tests that need them fail.\n"
                                   : "The tests that need them are skipped.\n");
  }
  return "no official OTA schemas and samples in " + folder;
}

bool RunningUnderCi() {
  const char* ci = std::getenv("CI");
  return ci != nullptr && std::string(ci) == "true";
}

}  // namespace corvenna::test
