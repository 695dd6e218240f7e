#include "support/ElfFile.h"

#include <cstring>
#include <fstream>
#include <stdexcept>

namespace corvenna::test {

namespace {

using FileHeader = ElfW(Ehdr);
using SectionHeader = ElfW(Shdr);

FileHeader NativeFileHeader(uint64_t sectionTable, size_t sectionCount) {
  FileHeader header{};
  std::memcpy(header.e_ident, ELFMAG, SELFMAG);
  header.e_ident[EI_CLASS] = sizeof(void*) == 8 ? ELFCLASS64 : ELFCLASS32;
  header.e_ident[EI_DATA] = __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__ ? ELFDATA2LSB : ELFDATA2MSB;
  header.e_ident[EI_VERSION] = EV_CURRENT;
  header.e_type = ET_DYN;
  header.e_version = EV_CURRENT;
  header.e_ehsize = sizeof(FileHeader);
  header.e_shoff = sectionTable;
  header.e_shentsize = sizeof(SectionHeader);
  header.e_shnum = static_cast<uint16_t>(sectionCount);
  header.e_shstrndx = static_cast<uint16_t>(sectionCount - 1);
  return header;
}

SectionHeader Section(uint32_t nameOffset, uint32_t type, uint64_t offset, uint64_t size) {
  SectionHeader section{};
  section.sh_name = nameOffset;
  section.sh_type = type;
  section.sh_offset = offset;
  section.sh_size = size;
  section.sh_addralign = 1;
  return section;
}

}  // namespace

void WriteElfFile(const std::filesystem::path& path, const std::vector<ElfSectionSpec>& sections,
                  uint64_t holeBefore) {
  std::string names(1, '\0');
  std::string contents;
  std::vector<SectionHeader> table{SectionHeader{}};
  const uint64_t firstContents = sizeof(FileHeader) + holeBefore;
  for (const ElfSectionSpec& spec : sections) {
    table.push_back(Section(static_cast<uint32_t>(names.size()), SHT_PROGBITS, firstContents + contents.size(),
                            spec.contents.size()));
    names += spec.name + '\0';
    contents += spec.contents;
  }
  const uint32_t namesName = static_cast<uint32_t>(names.size());
  names += std::string(".shstrtab") + '\0';
  table.push_back(Section(namesName, SHT_STRTAB, firstContents + contents.size(), names.size()));
  contents += names;
  contents.resize((contents.size() + 7) / 8 * 8, '\0');
  const FileHeader header = NativeFileHeader(firstContents + contents.size(), table.size());

  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(&header), sizeof header);
  out.seekp(static_cast<std::streamoff>(firstContents));
  out.write(contents.data(), static_cast<std::streamsize>(contents.size()));
  out.write(reinterpret_cast<const char*>(table.data()), static_cast<std::streamsize>(table.size() * sizeof(SectionHeader)));
  if (!out.flush()) throw std::runtime_error("cannot write " + path.string());
}

void EditElfHeaders(const std::filesystem::path& path,
                    const std::function<void(FileHeader&, std::vector<SectionHeader>&)>& edit) {
  std::fstream file(path, std::ios::binary | std::ios::in | std::ios::out);
  FileHeader header{};
  file.read(reinterpret_cast<char*>(&header), sizeof header);
  const auto tableOffset = static_cast<std::streamoff>(header.e_shoff);
  std::vector<SectionHeader> table(header.e_shnum);
  file.seekg(tableOffset);
  file.read(reinterpret_cast<char*>(table.data()), static_cast<std::streamsize>(table.size() * sizeof(SectionHeader)));
  if (!file) throw std::runtime_error("cannot read the headers of " + path.string());
  edit(header, table);
  file.seekp(0);
  file.write(reinterpret_cast<const char*>(&header), sizeof header);
  file.seekp(tableOffset);
  file.write(reinterpret_cast<const char*>(table.data()), static_cast<std::streamsize>(table.size() * sizeof(SectionHeader)));
  if (!file.flush()) throw std::runtime_error("cannot write the headers of " + path.string());
}

}  // namespace corvenna::test
