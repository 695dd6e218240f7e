#pragma once
// The library's own file and the version numbers its build records inside it.
#include <cstdint>
#include <string>

namespace corvenna {

// Full path of the module file that holds our code (the shared library when
// loaded by the host, the executable in tests), at most 260 characters.
std::string GetLibraryFileName();

// Reads the version record embedded in the file. False, with the outputs
// untouched, when the file cannot be read, carries no record, or its record
// is incomplete.
bool ReadFileVersion(const std::string& fileName, uint16_t& major, uint16_t& minor, uint16_t& release,
                     uint16_t& build);

// The record as it is laid out in the file, for tests that write one.
std::string VersionRecordBytes(uint16_t major, uint16_t minor, uint16_t release, uint16_t build);

}  // namespace corvenna
