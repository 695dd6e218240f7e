#include "platform/ModuleInfo.h"

#include <dlfcn.h>

#include <array>
#include <cstring>
#include <optional>
#include <string_view>

#include "platform/ElfSection.h"

namespace corvenna {
namespace {

constexpr size_t MagicSize = 12;
// Marks the fixed part of the record, as a version resource's signature does.
constexpr uint32_t FixedInfoSignature = 0xFEEF04BD;

#define CORVENNA_VERSION_SECTION "corvenna_version"
static_assert(std::string_view(CORVENNA_VERSION_SECTION) == VersionSectionName);
// Room for a record that later builds may lengthen; a larger section is none of ours.
constexpr size_t MaxSectionSize = 4096;

struct VersionRecord {
  char magic[MagicSize];
  uint32_t signature;
  uint16_t numbers[4];
};

// The record has a section of its own, so that a reader finds it through the
// section headers without reading the code or the debug information.
__attribute__((section(CORVENNA_VERSION_SECTION), used)) const VersionRecord kVersionRecord = {
    {'\x7f', 'C', 'V', 'N', 'V', 'E', 'R', 'S', 'I', 'O', 'N', '\x01'},
    FixedInfoSignature,
    {CORVENNA_VERSION_MAJOR, CORVENNA_VERSION_MINOR, CORVENNA_VERSION_PATCH, CORVENNA_VERSION_TWEAK}};

constexpr size_t RecordSize = MagicSize + sizeof(uint32_t) + 4 * sizeof(uint16_t);
static_assert(sizeof(VersionRecord) == RecordSize);

}  // namespace

std::string GetLibraryFileName() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<const void*>(&GetLibraryFileName), &info) == 0 || info.dli_fname == nullptr) return {};
  return info.dli_fname;
}

bool ReadFileVersion(const std::string& fileName, uint16_t& major, uint16_t& minor, uint16_t& release,
                     uint16_t& build) {
  const std::optional<std::string> section = ReadElfSection(fileName, CORVENNA_VERSION_SECTION, MaxSectionSize);
  if (!section || section->size() < RecordSize || section->compare(0, MagicSize, kVersionRecord.magic, MagicSize) != 0)
    return false;
  const char* record = section->data();
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
