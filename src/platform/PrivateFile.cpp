#include "platform/PrivateFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace corvenna {

std::FILE* OpenPrivateFile(const std::string& path, TPrivateFileMode mode) {
  const bool append = mode == TPrivateFileMode::Append;
  const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (append ? O_APPEND : O_TRUNC);
  const int fd = ::open(path.c_str(), flags, S_IRUSR | S_IWUSR);
  if (fd < 0) return nullptr;
  std::FILE* file = ::fdopen(fd, append ? "ab" : "wb");
  if (file == nullptr) {
    const int error = errno;
    ::close(fd);
    errno = error;
  }
  return file;
}

}  // namespace corvenna
