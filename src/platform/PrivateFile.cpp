#include "platform/PrivateFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "platform/RegularFile.h"

namespace corvenna {
namespace {

constexpr mode_t kOwnerOnly = S_IRUSR | S_IWUSR;

// A file someone else owns keeps its mode: we may not change it.
bool MakeOwnerOnly(int fd) {
  struct stat status {};
  if (::fstat(fd, &status) != 0) return false;
  if (status.st_uid != ::geteuid() || (status.st_mode & 07777) == kOwnerOnly) return true;
  return ::fchmod(fd, kOwnerOnly) == 0;
}

bool WriteAll(int fd, std::string_view text) {
  while (!text.empty()) {
    const ssize_t written = ::write(fd, text.data(), text.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    text.remove_prefix(static_cast<size_t>(written));
  }
  return true;
}


// Hidden and without the copy's extension, so that no listing of copies shows it.
std::string TemporaryNameBeside(const std::string& path) {
  const std::filesystem::path file(path);
  // Appended piece by piece: "." + name has GCC 12 at -O3 warn of an overlap
  // (-Wrestrict) that cannot happen.
  std::string name(".");
  name.append(file.filename().string()).append(".XXXXXX");
  return (file.parent_path() / name).string();
}

// An old file is replaced only by one that is on the disk: after a crash the
// rename could otherwise have put an empty file in its place. Where there is
// none, nothing can be lost, and the flush (a millisecond or more) is spared.
bool WriteNewFile(int fd, std::string_view text, bool replacing) {
  return MakeOwnerOnly(fd) && WriteAll(fd, text) && (!replacing || ::fsync(fd) == 0);
}

}  // namespace

std::FILE* OpenPrivateFileForAppend(const std::string& path) {
  const int fd = OpenRegularFile(path, O_WRONLY | O_CREAT | O_APPEND | O_NOFOLLOW, kOwnerOnly);
  if (fd < 0) return nullptr;
  std::FILE* file = MakeOwnerOnly(fd) ? ::fdopen(fd, "ab") : nullptr;
  if (file == nullptr) {
    const int error = errno;
    ::close(fd);
    errno = error;
  }
  return file;
}

bool ReplacePrivateFile(const std::string& path, std::string_view text) {
  struct stat old {};
  const bool replacing = ::lstat(path.c_str(), &old) == 0;
  // The rename would replace a link rather than follow it; a planted one is
  // refused all the same, so that the run says what it found.
  if (replacing && S_ISLNK(old.st_mode)) {
    errno = ELOOP;
    return false;
  }
  // Nor is anything else that is no regular file: a FIFO or a socket may be
  // another program's, and renaming over a folder fails anyway.
  if (replacing && !S_ISREG(old.st_mode)) {
    errno = EINVAL;
    return false;
  }
  std::string temporary = TemporaryNameBeside(path);
  const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
  if (fd < 0) return false;
  bool replaced = WriteNewFile(fd, text, replacing);
  int error = errno;
  if (::close(fd) != 0 && replaced) {
    replaced = false;
    error = errno;
  }
  if (replaced && ::rename(temporary.c_str(), path.c_str()) != 0) {
    replaced = false;
    error = errno;
  }
  if (!replaced) {
    ::unlink(temporary.c_str());
    errno = error;
  }
  return replaced;
}

std::string PrivateFileErrorText(const std::string& path, int error) {
  if (error == ELOOP) return "it is a symbolic link, and no file is written through one";
  return OpenFailureText(path, error);
}

}  // namespace corvenna
