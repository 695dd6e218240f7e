#include "support/NotAFile.h"

#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

namespace corvenna::test {
namespace fs = std::filesystem;
namespace {

char hangMessage[512];

void OnHang(int) {
  [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, hangMessage, std::strlen(hangMessage));
  ::_exit(1);
}

int BoundSocket(const fs::path& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path.string().size() >= sizeof address.sun_path) return -1;
  std::strcpy(address.sun_path, path.c_str());
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd >= 0 && ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) return fd;
  if (fd >= 0) ::close(fd);
  return -1;
}

}  // namespace

const char* KindName(NotAFileKind kind) {
  switch (kind) {
    case NotAFileKind::Fifo: return "FIFO";
    case NotAFileKind::Socket: return "socket";
    case NotAFileKind::Device: return "character device";
    case NotAFileKind::Folder: return "folder";
  }
  return "?";
}

std::string KindText(NotAFileKind kind) { return std::string("it is a ") + KindName(kind) + ", not a regular file"; }

std::vector<NotAFileKind> AllNotAFileKinds() {
  return {NotAFileKind::Fifo, NotAFileKind::Socket, NotAFileKind::Device, NotAFileKind::Folder};
}

NotAFile::NotAFile(NotAFileKind kind, fs::path path) : path_(std::move(path)) {
  std::error_code ignored;
  fs::remove(path_, ignored);
  switch (kind) {
    case NotAFileKind::Fifo: made_ = ::mkfifo(path_.c_str(), 0600) == 0; break;
    case NotAFileKind::Socket: made_ = (socket_ = BoundSocket(path_)) >= 0; break;
    case NotAFileKind::Device: made_ = ::mknod(path_.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0; break;
    case NotAFileKind::Folder: made_ = fs::create_directory(path_, ignored); break;
  }
}

NotAFile::~NotAFile() {
  if (socket_ >= 0) ::close(socket_);
  std::error_code ignored;
  if (made_) fs::remove(path_, ignored);
}

HangGuard::HangGuard(unsigned seconds, const std::string& what) {
  const std::string message = "\nHangGuard: still waiting after " + std::to_string(seconds) + " s: " + what + "\n";
  std::strncpy(hangMessage, message.c_str(), sizeof hangMessage - 1);
  struct sigaction action {};
  action.sa_handler = OnHang;
  ::sigaction(SIGALRM, &action, nullptr);
  ::alarm(seconds);
}

HangGuard::~HangGuard() { ::alarm(0); }

}  // namespace corvenna::test
