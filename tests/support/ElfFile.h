#pragma once
// A minimal ELF file of this machine's class and byte order, with named
// sections, for tests of code that finds a section through the section
// headers. A hole of `holeBefore` bytes, never written, lies between the file
// header and the sections, so a file of a gibibyte costs no disk space.
#include <elf.h>
#include <link.h>

#include <cstdint>
#include <filesystem>
#include <functional>
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

// Reads the file header and the section header table of a file that
// WriteElfFile wrote, lets `edit` change them and writes them back in place.
// The header is read back: an edit that moves the table or changes its count
// still writes the table where it was found.
void EditElfHeaders(const std::filesystem::path& path,
                    const std::function<void(ElfW(Ehdr)&, std::vector<ElfW(Shdr)>&)>& edit);

}  // namespace corvenna::test
