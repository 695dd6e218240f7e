#include "platform/FileLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>
#include <utility>

#include "platform/Errors.h"
#include "platform/RegularFile.h"

namespace corvenna {

namespace {

// Short enough that a lock let go is taken at once, long enough not to spin.
constexpr std::chrono::milliseconds kRetryInterval{10};

}  // namespace

TFileLock::TFileLock(const std::string& path) : path_(path) {
  // Read access is all flock needs, and other users of a shared database may
  // open a lock file that one of them created. A planted link would have us
  // create a file wherever it points.
  fd_ = OpenRegularFile(path, O_RDONLY | O_CREAT | O_NOFOLLOW, S_IRUSR | S_IWUSR | S_IRGRP | S_IROTH);
  if (fd_ < 0) {
    const int error = errno;
    throw EOSError(Format("Cannot open the lock file \"%s\": %s", path.c_str(), OpenFailureText(path, error).c_str()));
  }
}

TFileLock::~TFileLock() {
  if (fd_ >= 0) ::close(fd_);
}

TFileLock::TFileLock(TFileLock&& other) noexcept
    : path_(std::move(other.path_)), fd_(std::exchange(other.fd_, -1)), locked_(std::exchange(other.locked_, false)) {}

bool TFileLock::TryLockFor(int timeoutMs) {
  if (locked_) return true;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
  while (true) {
    if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) return locked_ = true;
    if (errno != EWOULDBLOCK && errno != EINTR)
      throw EOSError(Format("Cannot lock \"%s\": %s", path_.c_str(), std::strerror(errno)));
    const auto now = std::chrono::steady_clock::now();
    if (now >= deadline) return false;
    std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(kRetryInterval, deadline - now));
  }
}

}  // namespace corvenna
