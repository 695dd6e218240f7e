#include "platform/ElfSection.h"

#include <elf.h>
#include <fcntl.h>
#include <link.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/RegularFile.h"

namespace corvenna {
namespace {

using FileHeader = ElfW(Ehdr);
using SectionHeader = ElfW(Shdr);

constexpr unsigned char NativeClass = sizeof(void*) == 8 ? ELFCLASS64 : ELFCLASS32;
constexpr unsigned char NativeByteOrder = __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__ ? ELFDATA2LSB : ELFDATA2MSB;
// Section names of real files take a few hundred bytes; a larger table is no file we made.
constexpr size_t MaxNamesSize = 1 << 20;

class ReadOnlyFile {
 public:
  explicit ReadOnlyFile(const std::string& fileName) : fd_(OpenRegularFile(fileName, O_RDONLY)) {}
  ~ReadOnlyFile() {
    if (fd_ >= 0) close(fd_);
  }
  ReadOnlyFile(const ReadOnlyFile&) = delete;
  ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

  bool IsOpen() const { return fd_ >= 0; }

  // Exactly `size` bytes from `offset`, or false.
  bool ReadAt(uint64_t offset, void* into, size_t size) const {
    auto* bytes = static_cast<char*>(into);
    while (size > 0) {
      const ssize_t got = pread(fd_, bytes, size, static_cast<off_t>(offset));
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) return false;
      bytes += got;
      size -= static_cast<size_t>(got);
      offset += static_cast<uint64_t>(got);
    }
    return true;
  }

 private:
  int fd_;
};

bool IsNativeElf(const FileHeader& header) {
  return std::memcmp(header.e_ident, ELFMAG, SELFMAG) == 0 && header.e_ident[EI_CLASS] == NativeClass &&
         header.e_ident[EI_DATA] == NativeByteOrder && header.e_shentsize == sizeof(SectionHeader) &&
         header.e_shnum > 0 && header.e_shstrndx < header.e_shnum;
}

std::optional<std::string> ReadContents(const ReadOnlyFile& file, const SectionHeader& section, size_t maxSize) {
  if (section.sh_type == SHT_NOBITS || section.sh_size > maxSize) return std::nullopt;
  std::string contents(section.sh_size, '\0');
  if (!file.ReadAt(section.sh_offset, contents.data(), contents.size())) return std::nullopt;
  return contents;
}

// The name at `offset` of the names table, if it is `name` followed by its terminator.
bool NameIs(const std::string& names, size_t offset, const std::string& name) {
  return offset < names.size() && names.compare(offset, name.size() + 1, name.c_str(), name.size() + 1) == 0;
}

}  // namespace

std::optional<std::string> ReadElfSection(const std::string& fileName, const std::string& name, size_t maxSize) {
  const ReadOnlyFile file(fileName);
  FileHeader header{};
  if (!file.IsOpen() || !file.ReadAt(0, &header, sizeof header) || !IsNativeElf(header)) return std::nullopt;
  std::vector<SectionHeader> sections(header.e_shnum);
  if (!file.ReadAt(header.e_shoff, sections.data(), sections.size() * sizeof(SectionHeader))) return std::nullopt;
  const std::optional<std::string> names = ReadContents(file, sections[header.e_shstrndx], MaxNamesSize);
  if (!names) return std::nullopt;
  for (const SectionHeader& section : sections)
    if (NameIs(*names, section.sh_name, name)) return ReadContents(file, section, maxSize);
  return std::nullopt;
}

}  // namespace corvenna
