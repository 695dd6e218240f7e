#pragma once
// An exclusive lock that the kernel holds on an open file (flock): it goes
// with the last descriptor, so a process that dies, even by SIGKILL, leaves
// no lock behind. flock locks are taken per open file, so two holders in one
// process exclude each other as two processes do.
#include <string>

namespace corvenna {

class TFileLock {
 public:
  // Opens the lock file, creating it empty when missing; raises EOSError when
  // it cannot. Nothing is locked yet.
  explicit TFileLock(const std::string& path);
  ~TFileLock();
  TFileLock(TFileLock&& other) noexcept;
  TFileLock& operator=(TFileLock&&) = delete;
  TFileLock(const TFileLock&) = delete;
  TFileLock& operator=(const TFileLock&) = delete;

  // Takes the lock, waiting up to timeoutMs while another holds it; false
  // when the time ran out.
  bool TryLockFor(int timeoutMs);
  bool Locked() const { return locked_; }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
  int fd_ = -1;
  bool locked_ = false;
};

}  // namespace corvenna
