#pragma once
// The process's open connection to a registry store file. Opening and checking
// the file costs far more than a read, so one connection stays open and every
// store object shares it while the file is the one that was checked: it is let
// go as soon as the path names another file or the file, its permissions or
// its folder's change other than by its own writes. No read transaction is held
// between calls, so each read sees what other connections committed before it.
#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>

struct sqlite3;
struct sqlite3_stmt;

namespace corvenna {

enum class TStoreFileState { Missing, Database, Other };
TStoreFileState InspectStoreFile(const std::string& path);

// Root writes through permission bits, so a file or folder without any write
// bit counts as read-only for everybody.
bool CanWrite(const std::string& path);

// What was checked of the file at a path: which file it is, its content's
// size and times, and the permissions that decide whether it and its folder
// can be written.
struct TStoreFileStamp {
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  int64_t modified = 0, changed = 0;  // ns
  mode_t mode = 0;
  uid_t owner = 0;
  gid_t group = 0;
  ino_t folder = 0;
  mode_t folderMode = 0;
  uid_t folderOwner = 0;
  gid_t folderGroup = 0;
  friend bool operator==(const TStoreFileStamp&, const TStoreFileStamp&) = default;
};
std::optional<TStoreFileStamp> StampStoreFile(const std::string& path);

// Raises ERegistryException naming the store; the failure is kept for the
// rest of the call (RegistryCall.h).
[[noreturn]] void FailStore(const std::string& path, const std::string& reason);
// Why SQLite refused, in words for the user; a store held by another program
// says so.
std::string SqliteFailure(sqlite3* db, int result);

class TStoreConnection {
 public:
  // The kept connection when the file at `path` is still the one it was opened
  // on, unchanged, and its mode fits (read-write serves reading too).
  static std::shared_ptr<TStoreConnection> Reuse(const std::string& path, bool readWrite);
  // A new connection to a file that passed the store's checks, run through
  // `prepare` and kept in place of any other. Raises naming the file.
  static std::shared_ptr<TStoreConnection> OpenAndKeep(const std::string& path, bool readWrite,
                                                       const std::function<void(TStoreConnection&)>& prepare);
  // Lets the kept connection to `path` go, when there is one.
  static void Forget(const std::string& path);

  ~TStoreConnection();
  TStoreConnection(const TStoreConnection&) = delete;
  TStoreConnection& operator=(const TStoreConnection&) = delete;

  sqlite3* Db() const { return db_; }
  const std::string& Path() const { return path_; }
  bool ReadWrite() const { return readWrite_; }
  // Store objects on several threads may share the connection.
  std::unique_lock<std::mutex> Hold() { return std::unique_lock(mutex_); }
  // Prepared on first use; the caller resets it when done.
  sqlite3_stmt* Statement(const char* sql);
  // Once the key table is known to exist it need not be looked for again.
  bool& KeyTableSeen() { return keyTableSeen_; }
  // Copies this connection's commits into the file and empties the log, as
  // closing after every call did: a file replaced on disk later leaves no log
  // of ours that could be replayed onto its successor.
  void SettleLog();

 private:
  struct StatementDeleter {
    void operator()(sqlite3_stmt* statement) const;
  };
  TStoreConnection(std::string path, const TStoreFileStamp& stamp, bool readWrite);
  bool StillFits(const std::string& path, const TStoreFileStamp& stamp, bool readWrite);
  void Restamp();

  std::string path_;
  bool readWrite_;
  sqlite3* db_ = nullptr;
  std::mutex mutex_;
  std::unordered_map<const char*, std::unique_ptr<sqlite3_stmt, StatementDeleter>> statements_;
  bool keyTableSeen_ = false;
  std::mutex stampMutex_;
  TStoreFileStamp stamp_;
};

}  // namespace corvenna
