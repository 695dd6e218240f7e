#include "platform/ModuleInfo.h"

#include <dlfcn.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <vector>

namespace corvenna {
namespace {

constexpr size_t MaxPath = 260;
constexpr size_t MagicSize = 12;
// Marks the fixed part of the record, as a version resource's signature does.
constexpr uint32_t FixedInfoSignature = 0xFEEF04BD;

struct VersionRecord {
  char magic[MagicSize];
  uint32_t signature;
  uint16_t numbers[4];
};

// The one copy of the marker in the binary is the record itself; the reader
// searches for the bytes of this very object, so no second copy can mislead it.
__attribute__((section("corvenna_version"), used)) const VersionRecord kVersionRecord = {
    {'\x7f', 'C', 'V', 'N', 'V', 'E', 'R', 'S', 'I', 'O', 'N', '\x01'},
    FixedInfoSignature,
    {CORVENNA_VERSION_MAJOR, CORVENNA_VERSION_MINOR, CORVENNA_VERSION_PATCH, CORVENNA_VERSION_TWEAK}};

constexpr size_t RecordSize = MagicSize + sizeof(uint32_t) + 4 * sizeof(uint16_t);
static_assert(sizeof(VersionRecord) == RecordSize);

std::vector<char> ReadWholeFile(const std::string& fileName, bool& ok) {
  std::ifstream file(fileName, std::ios::binary);
  ok = static_cast<bool>(file);
  if (!ok) return {};
  std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  ok = !file.bad();
  return bytes;
}

}  // namespace

std::string GetLibraryFileName() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<const void*>(&GetLibraryFileName), &info) == 0 || info.dli_fname == nullptr) return {};
  std::string name = info.dli_fname;
  if (name.size() > MaxPath) name.resize(MaxPath);
  return name;
}

bool ReadFileVersion(const std::string& fileName, uint16_t& major, uint16_t& minor, uint16_t& release,
                     uint16_t& build) {
  bool ok = false;
  const std::vector<char> bytes = ReadWholeFile(fileName, ok);
  if (!ok) return false;
  const char* magic = kVersionRecord.magic;
  const auto found = std::search(bytes.begin(), bytes.end(), std::boyer_moore_horspool_searcher(magic, magic + MagicSize));
  if (found == bytes.end() || static_cast<size_t>(bytes.end() - found) < RecordSize) return false;
  const char* record = &*found;
  uint32_t signature = 0;
  std::memcpy(&signature, record + MagicSize, sizeof signature);
  if (signature != FixedInfoSignature) return false;
  std::array<uint16_t, 4> numbers{};
  std::memcpy(numbers.data(), record + MagicSize + sizeof signature, sizeof numbers);
  major = numbers[0];
  minor = numbers[1];
  release = numbers[2];
  build = numbers[3];
  return true;
}

std::string VersionRecordBytes(uint16_t major, uint16_t minor, uint16_t release, uint16_t build) {
  std::string bytes(kVersionRecord.magic, MagicSize);
  const uint16_t numbers[4] = {major, minor, release, build};
  bytes.append(reinterpret_cast<const char*>(&FixedInfoSignature), sizeof FixedInfoSignature);
  bytes.append(reinterpret_cast<const char*>(numbers), sizeof numbers);
  return bytes;
}

}  // namespace corvenna
