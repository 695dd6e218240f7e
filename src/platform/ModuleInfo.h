#pragma once
// The library's own file and the version numbers its build records inside it.
#include <cstdint>
#include <string>

namespace corvenna {

// Full path of the module file that holds our code (the shared library when
// loaded by the host, the executable in tests), however long.
std::string GetLibraryFileName();

// Reads the version record from the file's version section, which is found
// through the ELF section headers: a few kilobytes are read, whatever the
// file's size. False, with the outputs untouched, when the file cannot be
// read, has no version section, or its record is incomplete.
bool ReadFileVersion(const std::string& fileName, uint16_t& major, uint16_t& minor, uint16_t& release,
                     uint16_t& build);

// The section that holds the record, and the record as it is laid out there,
// for tests that write one.
inline constexpr const char* VersionSectionName = "corvenna_version";
std::string VersionRecordBytes(uint16_t major, uint16_t minor, uint16_t release, uint16_t build);

}  // namespace corvenna
