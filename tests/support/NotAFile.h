#pragma once
// What can stand in a file's place without being a regular file: a FIFO (no
// reader ever comes), a bound Unix socket, a character device like /dev/null
// and a folder; and a guard that ends the test program, rather than let it
// wait for ever, when something blocks on one.
#include <filesystem>
#include <string>
#include <vector>

namespace corvenna::test {

enum class NotAFileKind { Fifo, Socket, Device, Folder };

// "FIFO", "socket", ... for a trace.
const char* KindName(NotAFileKind kind);
// What the library says of it: "it is a FIFO, not a regular file".
std::string KindText(NotAFileKind kind);
std::vector<NotAFileKind> AllNotAFileKinds();

// One of them made at a path, removed with the object.
class NotAFile {
 public:
  NotAFile(NotAFileKind kind, std::filesystem::path path);
  ~NotAFile();
  NotAFile(const NotAFile&) = delete;
  NotAFile& operator=(const NotAFile&) = delete;

  // False where this user cannot make it (a device needs CAP_MKNOD).
  bool Made() const { return made_; }
  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
  int socket_ = -1;
  bool made_ = false;
};

// Ends the program with a message naming `what` when it is still alive after
// `seconds`. One at a time: it uses the process's alarm.
class HangGuard {
 public:
  HangGuard(unsigned seconds, const std::string& what);
  ~HangGuard();
  HangGuard(const HangGuard&) = delete;
  HangGuard& operator=(const HangGuard&) = delete;
};

}  // namespace corvenna::test
