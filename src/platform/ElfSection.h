#pragma once
// One named section of an ELF file, found through the file's section headers,
// so that only the file header, the header table, the section names and the
// section itself are read, however large the file is.
#include <cstddef>
#include <optional>
#include <string>

namespace corvenna {

// The contents of the section called `name`. Nothing when the file cannot be
// read, is no ELF file of this machine's class and byte order, has no such
// section with contents, or that section is larger than `maxSize` bytes.
std::optional<std::string> ReadElfSection(const std::string& fileName, const std::string& name, size_t maxSize);

}  // namespace corvenna
