// The section reader against headers that lie: each bound it checks, broken.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "platform/ElfSection.h"
#include "support/ElfFile.h"
#include "support/ScratchHome.h"

namespace corvenna {
namespace {

namespace fs = std::filesystem;
using FileHeader = ElfW(Ehdr);
using SectionHeader = ElfW(Shdr);

constexpr uint64_t Huge = std::numeric_limits<uint64_t>::max();
const std::string Record = "the record of sixty-four bytes, more or less, as the section holds";

class ElfSectionTest : public ::testing::Test {
 protected:
  // Sections: 0 null, 1 ".text", 2 "wanted", 3 the names, which the file header names.
  ElfSectionTest() { test::WriteElfFile(file_, {{".text", std::string(300, '\x01')}, {"wanted", Record}}); }

  std::optional<std::string> Read(size_t maxSize = 4096) const { return ReadElfSection(file_.string(), "wanted", maxSize); }

  test::ScratchHome home_;
  fs::path file_ = home_.Root() / "module.so";
};

TEST_F(ElfSectionTest, ASectionUpToItsLimitIsRead) {
  EXPECT_EQ(Read(), Record);
  EXPECT_EQ(Read(Record.size()), Record);
  EXPECT_EQ(Read(Record.size() - 1), std::nullopt);
  EXPECT_EQ(ReadElfSection(file_.string(), "want", 4096), std::nullopt);
  EXPECT_EQ(ReadElfSection(file_.string(), "wanted2", 4096), std::nullopt);
}

// The sanitizer build sees any read past the names or the contents.
TEST_F(ElfSectionTest, HeadersThatPointOutOfBoundsGiveNothing) {
  const uint64_t fileSize = fs::file_size(file_);
  using Edit = std::function<void(FileHeader&, std::vector<SectionHeader>&)>;
  const struct {
    const char* what;
    Edit edit;
  } cases[] = {
      {"the names' section index out of range", [](FileHeader& h, auto&) { h.e_shstrndx = h.e_shnum; }},
      {"the names' section index far out of range", [](FileHeader& h, auto&) { h.e_shstrndx = 0xFFFF; }},
      {"the null section as the names", [](FileHeader& h, auto&) { h.e_shstrndx = 0; }},
      {"a name past the names table", [](auto&, auto& t) { t[2].sh_name = static_cast<uint32_t>(t[3].sh_size + 8); }},
      {"a name right at the end of the names table",
       [](auto&, auto& t) { t[2].sh_name = static_cast<uint32_t>(t[3].sh_size); }},
      {"a name cut off by the end of the names table", [](auto&, auto& t) { t[3].sh_size = t[2].sh_name + 3; }},
      {"a name at the largest offset", [](auto&, auto& t) { t[2].sh_name = 0xFFFFFFFFu; }},
      {"a section over the limit", [](auto&, auto& t) { t[2].sh_size = 4097; }},
      {"a section of the largest size", [](auto&, auto& t) { t[2].sh_size = Huge; }},
      {"a names table of the largest size", [](auto&, auto& t) { t[3].sh_size = Huge; }},
      {"a section past the end of the file", [=](auto&, auto& t) { t[2].sh_offset = fileSize + 4096; }},
      {"a section running over the end of the file", [=](auto&, auto& t) { t[2].sh_offset = fileSize - 8; }},
      {"a section at the largest offset", [](auto&, auto& t) { t[2].sh_offset = Huge - 8; }},
      {"the names past the end of the file", [=](auto&, auto& t) { t[3].sh_offset = fileSize + 4096; }},
      {"the header table past the end of the file", [=](FileHeader& h, auto&) { h.e_shoff = fileSize + 4096; }},
      {"the header table at the largest offset", [](FileHeader& h, auto&) { h.e_shoff = Huge - 64; }},
      {"more headers than the file holds", [](FileHeader& h, auto&) { h.e_shnum = 0xFFFF; }},
      {"no section headers", [](FileHeader& h, auto&) { h.e_shnum = 0; }},
      {"headers of another size", [](FileHeader& h, auto&) { h.e_shentsize = sizeof(SectionHeader) / 2; }},
      {"the other ELF class", [](FileHeader& h, auto&) {
         h.e_ident[EI_CLASS] = h.e_ident[EI_CLASS] == ELFCLASS64 ? ELFCLASS32 : ELFCLASS64;
       }},
      {"the other byte order", [](FileHeader& h, auto&) {
         h.e_ident[EI_DATA] = h.e_ident[EI_DATA] == ELFDATA2LSB ? ELFDATA2MSB : ELFDATA2LSB;
       }},
      {"no ELF magic", [](FileHeader& h, auto&) { h.e_ident[EI_MAG1] = 'F'; }},
      {"a section without contents in the file", [](auto&, auto& t) { t[2].sh_type = SHT_NOBITS; }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    test::WriteElfFile(file_, {{".text", std::string(300, '\x01')}, {"wanted", Record}});
    test::EditElfHeaders(file_, c.edit);
    EXPECT_EQ(Read(), std::nullopt);
  }
}

}  // namespace
}  // namespace corvenna
