#include "platform/RegularFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/Errors.h"

namespace corvenna {
namespace {

// Keeps the errno of a failure across the close that follows it.
int CloseFailed(int fd, int error) {
  ::close(fd);
  errno = error;
  return -1;
}

class TDescriptor {
 public:
  explicit TDescriptor(int fd) : fd_(fd) {}
  ~TDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  TDescriptor(const TDescriptor&) = delete;
  TDescriptor& operator=(const TDescriptor&) = delete;
  int Get() const { return fd_; }

 private:
  int fd_;
};

void ReadInto(int fd, const std::string& what, const std::string& path, std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    const ssize_t got = ::read(fd, text.data() + done, text.size() - done);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0)
      throw EOSError(Format("Cannot read %s \"%s\": %s", what.c_str(), path.c_str(), std::strerror(errno)));
    if (got == 0) break;
    done += static_cast<size_t>(got);
  }
  text.resize(done);
}

}  // namespace

int OpenRegularFile(const std::string& path, int flags, mode_t mode) {
  const int fd = ::open(path.c_str(), flags | O_NONBLOCK | O_CLOEXEC, mode);
  if (fd < 0) return -1;
  struct stat status {};
  if (::fstat(fd, &status) != 0) return CloseFailed(fd, errno);
  if (!S_ISREG(status.st_mode)) return CloseFailed(fd, EINVAL);
  if ((flags & O_NONBLOCK) == 0 && ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0)
    return CloseFailed(fd, errno);
  return fd;
}

std::string NotRegularFileText(mode_t mode) {
  const char* kind = nullptr;
  switch (mode & S_IFMT) {
    case S_IFREG: return std::string();
    case S_IFDIR: kind = "a folder"; break;
    case S_IFIFO: kind = "a FIFO"; break;
    case S_IFSOCK: kind = "a socket"; break;
    case S_IFCHR: kind = "a character device"; break;
    case S_IFBLK: kind = "a block device"; break;
    case S_IFLNK: kind = "a symbolic link"; break;
    default: kind = "of an unknown kind"; break;
  }
  return std::string("it is ") + kind + ", not a regular file";
}

// A FIFO without a reader or a socket fails the open itself (ENXIO), a folder
// opened for writing too (EISDIR): what stands there says more than errno.
std::string OpenFailureText(const std::string& path, int error) {
  struct stat status {};
  if (error == ELOOP && ::lstat(path.c_str(), &status) == 0 && S_ISLNK(status.st_mode))
    return "it is a symbolic link, which is not followed";
  if (::stat(path.c_str(), &status) == 0 && !S_ISREG(status.st_mode)) return NotRegularFileText(status.st_mode);
  return std::strerror(error);
}

TFileStart ReadRegularFileStart(const std::string& path, size_t maxBytes, const std::string& what) {
  const TDescriptor file(OpenRegularFile(path, O_RDONLY));
  if (file.Get() < 0) {
    const int error = errno;
    throw EOSError(
        Format("Cannot open %s \"%s\": %s", what.c_str(), path.c_str(), OpenFailureText(path, error).c_str()));
  }
  struct stat status {};
  if (::fstat(file.Get(), &status) != 0)
    throw EOSError(Format("Cannot read %s \"%s\": %s", what.c_str(), path.c_str(), std::strerror(errno)));
  TFileStart start;
  start.Size = static_cast<uint64_t>(std::max<off_t>(status.st_size, 0));
  start.Text.resize(static_cast<size_t>(std::min<uint64_t>(start.Size, maxBytes)));
  ReadInto(file.Get(), what, path, start.Text);
  return start;
}

}  // namespace corvenna
