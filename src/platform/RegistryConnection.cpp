#include "platform/RegistryConnection.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "platform/Errors.h"
#include "platform/RegistryCall.h"

namespace corvenna {
namespace {

constexpr int BusyTimeoutMs = 5000;
constexpr char SqliteHeader[16] = "SQLite format 3";

// One connection for the whole process: the store's path changes only with
// HOME or XDG_CONFIG_HOME, and then the old one is of no further use.
struct TKeptConnection {
  std::mutex mutex;
  std::shared_ptr<TStoreConnection> connection;
};

TKeptConnection& Kept() {
  static TKeptConnection kept;
  return kept;
}

int64_t Nanoseconds(const timespec& time) { return int64_t{time.tv_sec} * 1'000'000'000 + time.tv_nsec; }

}  // namespace

TStoreFileState InspectStoreFile(const std::string& path) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) return TStoreFileState::Missing;
  if (!S_ISREG(info.st_mode)) return TStoreFileState::Other;
  if (info.st_size == 0) return TStoreFileState::Database;  // SQLite's own empty database
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return TStoreFileState::Other;
  char header[sizeof SqliteHeader] = {};
  const ssize_t got = read(fd, header, sizeof header);
  close(fd);
  return got == static_cast<ssize_t>(sizeof header) && std::memcmp(header, SqliteHeader, sizeof header) == 0
             ? TStoreFileState::Database
             : TStoreFileState::Other;
}

bool CanWrite(const std::string& path) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) return false;
  return (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0 && access(path.c_str(), W_OK) == 0;
}

std::optional<TStoreFileStamp> StampStoreFile(const std::string& path) {
  struct stat file {}, folder {};
  if (stat(path.c_str(), &file) != 0) return std::nullopt;
  const auto slash = path.rfind('/');
  const std::string folderPath = slash == std::string::npos ? "." : path.substr(0, std::max<size_t>(slash, 1));
  if (stat(folderPath.c_str(), &folder) != 0) return std::nullopt;
  TStoreFileStamp stamp;
  stamp.device = file.st_dev;
  stamp.inode = file.st_ino;
  stamp.size = file.st_size;
  stamp.modified = Nanoseconds(file.st_mtim);
  stamp.changed = Nanoseconds(file.st_ctim);
  stamp.mode = file.st_mode;
  stamp.owner = file.st_uid;
  stamp.group = file.st_gid;
  stamp.folder = folder.st_ino;
  stamp.folderMode = folder.st_mode;
  stamp.folderOwner = folder.st_uid;
  stamp.folderGroup = folder.st_gid;
  return stamp;
}

void FailStore(const std::string& path, const std::string& reason) {
  const std::string message = Format("Registry store '%s': %s", path.c_str(), reason.c_str());
  KeepRegistryFailure(message);
  throw ERegistryException(message);
}

std::string SqliteFailure(sqlite3* db, int result) {
  const int primary = result & 0xFF;
  if (primary == SQLITE_BUSY || primary == SQLITE_LOCKED)
    return Format("another program holds it locked (still after %d s)", BusyTimeoutMs / 1000);
  return db ? sqlite3_errmsg(db) : sqlite3_errstr(result);
}

void TStoreConnection::StatementDeleter::operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }

TStoreConnection::TStoreConnection(std::string path, const TStoreFileStamp& stamp, bool readWrite)
    : path_(std::move(path)), readWrite_(readWrite), stamp_(stamp) {
  const int flags = (readWrite ? SQLITE_OPEN_READWRITE : SQLITE_OPEN_READONLY) | SQLITE_OPEN_NOFOLLOW;
  const int result = sqlite3_open_v2(path_.c_str(), &db_, flags, nullptr);
  if (result != SQLITE_OK) {
    const std::string reason = SqliteFailure(db_, result);
    sqlite3_close_v2(db_);
    FailStore(path_, reason);
  }
  sqlite3_busy_timeout(db_, BusyTimeoutMs);
}

TStoreConnection::~TStoreConnection() {
  statements_.clear();
  // Closing copies the log into the file and removes it; a file that was
  // replaced, changed by others or made read-only is left exactly as it is.
  if (StampStoreFile(path_) != stamp_) sqlite3_db_config(db_, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
  sqlite3_close_v2(db_);
}

std::shared_ptr<TStoreConnection> TStoreConnection::Reuse(const std::string& path, bool readWrite) {
  const auto stamp = StampStoreFile(path);
  if (!stamp) return nullptr;
  TKeptConnection& kept = Kept();
  const std::lock_guard lock(kept.mutex);
  if (kept.connection && kept.connection->StillFits(path, *stamp, readWrite)) return kept.connection;
  return nullptr;
}

std::shared_ptr<TStoreConnection> TStoreConnection::OpenAndKeep(const std::string& path, bool readWrite,
                                                                const std::function<void(TStoreConnection&)>& prepare) {
  const auto stamp = StampStoreFile(path);
  if (!stamp) FailStore(path, "the file has gone");
  TKeptConnection& kept = Kept();
  const std::lock_guard lock(kept.mutex);
  kept.connection.reset();
  std::shared_ptr<TStoreConnection> fresh(new TStoreConnection(path, *stamp, readWrite));
  prepare(*fresh);
  fresh->Restamp();
  kept.connection = fresh;
  return fresh;
}

void TStoreConnection::Forget(const std::string& path) {
  TKeptConnection& kept = Kept();
  const std::lock_guard lock(kept.mutex);
  if (kept.connection && kept.connection->path_ == path) kept.connection.reset();
}

bool TStoreConnection::StillFits(const std::string& path, const TStoreFileStamp& stamp, bool readWrite) {
  const std::lock_guard lock(stampMutex_);
  return path_ == path && (readWrite_ || !readWrite) && stamp_ == stamp;
}

// Our own checkpoints change the file's size and times; anything else that
// changed meanwhile still shows.
void TStoreConnection::Restamp() {
  const std::lock_guard lock(stampMutex_);
  auto now = StampStoreFile(path_);
  if (!now) return;
  TStoreFileStamp expected = *now;
  expected.size = stamp_.size;
  expected.modified = stamp_.modified;
  expected.changed = stamp_.changed;
  if (expected == stamp_) stamp_ = *now;
}

sqlite3_stmt* TStoreConnection::Statement(const char* sql) {
  auto& slot = statements_[sql];
  if (!slot) {
    sqlite3_stmt* raw = nullptr;
    const int result = sqlite3_prepare_v3(db_, sql, -1, SQLITE_PREPARE_PERSISTENT, &raw, nullptr);
    if (result != SQLITE_OK) {
      const std::string reason = SqliteFailure(db_, result);
      statements_.erase(sql);
      FailStore(path_, reason);
    }
    slot.reset(raw);
  }
  return slot.get();
}

void TStoreConnection::SettleLog() {
  // Best effort and never a wait: a reader of another connection in the way
  // leaves the rest to the next write or to closing.
  sqlite3_busy_timeout(db_, 0);
  sqlite3_wal_checkpoint_v2(db_, nullptr, SQLITE_CHECKPOINT_TRUNCATE, nullptr, nullptr);
  sqlite3_busy_timeout(db_, BusyTimeoutMs);
  Restamp();
}

}  // namespace corvenna
