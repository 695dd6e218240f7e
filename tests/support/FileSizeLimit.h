#pragma once
// A disk that fills up half-way through a write, for the process while the
// object lives: no file grows past `bytes` (RLIMIT_FSIZE), and a write that
// would grow one fails with EFBIG instead of raising SIGXFSZ.
#include <sys/resource.h>

#include <csignal>

namespace corvenna::test {

class ScopedFileSizeLimit {
 public:
  explicit ScopedFileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &saved_);
    savedHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{bytes, saved_.rlim_max};
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~ScopedFileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &saved_);
    std::signal(SIGXFSZ, savedHandler_);
  }
  ScopedFileSizeLimit(const ScopedFileSizeLimit&) = delete;
  ScopedFileSizeLimit& operator=(const ScopedFileSizeLimit&) = delete;

 private:
  rlimit saved_{};
  void (*savedHandler_)(int) = SIG_DFL;
};

}  // namespace corvenna::test
