#pragma once
// A minimal ELF file of this machine's class and byte order, with named
// sections, for tests of code that finds a section through the section
// headers. A hole of `holeBefore` bytes, never written, lies between the file
// header and the sections, so a file of a gibibyte costs no disk space.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace corvenna::test {

struct ElfSectionSpec {
  std::string name;
  std::string contents;
};

// Layout: file header, hole, the sections' contents, the section names, the
// section header table (null section first, the names' section last).
void WriteElfFile(const std::filesystem::path& path, const std::vector<ElfSectionSpec>& sections,
                  uint64_t holeBefore = 0);

}  // namespace corvenna::test
