#include "platform/RegistryStore.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <vector>

#include "platform/Errors.h"

namespace corvenna {
namespace {

constexpr int BusyTimeoutMs = 5000;
constexpr char SqliteHeader[16] = "SQLite format 3";

struct StatementDeleter {
  void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using Statement = std::unique_ptr<sqlite3_stmt, StatementDeleter>;

enum class FileState { Missing, Database, Other };

// Root writes through permission bits, so a file or folder without any write
// bit counts as read-only for everybody.
bool CanWrite(const std::string& path) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) return false;
  return (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0 && access(path.c_str(), W_OK) == 0;
}

FileState Inspect(const std::string& path) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) return FileState::Missing;
  if (!S_ISREG(info.st_mode)) return FileState::Other;
  if (info.st_size == 0) return FileState::Database;  // SQLite's own empty database
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return FileState::Other;
  char header[sizeof SqliteHeader] = {};
  const ssize_t got = read(fd, header, sizeof header);
  close(fd);
  return got == static_cast<ssize_t>(sizeof header) && std::memcmp(header, SqliteHeader, sizeof header) == 0
             ? FileState::Database
             : FileState::Other;
}

[[noreturn]] void Fail(const std::string& path, const std::string& reason) {
  throw ERegistryException(Format("Registry store '%s': %s", path.c_str(), reason.c_str()));
}

void MakeFolders(const std::filesystem::path& folder, const std::string& storePath) {
  std::vector<std::filesystem::path> missing;
  std::error_code ignored;
  for (auto at = folder; !at.empty() && !std::filesystem::exists(at, ignored); at = at.parent_path()) {
    missing.push_back(at);
    if (at == at.parent_path()) break;
  }
  for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
    if (mkdir(it->c_str(), 0700) != 0 && errno != EEXIST)
      Fail(storePath, Format("cannot create folder '%s': %s", it->c_str(), std::strerror(errno)));
  }
}

void CreateEmptyFile(const std::string& path) {
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0 && errno != EEXIST) Fail(path, Format("cannot create the file: %s", std::strerror(errno)));
  if (fd >= 0) close(fd);
}

void PrepareForWriting(const std::string& path) {
  const auto folder = std::filesystem::path(path).parent_path();
  switch (Inspect(path)) {
    case FileState::Other:
      Fail(path, "the file is not a registry store");
    case FileState::Database:
      if (!CanWrite(path) || !CanWrite(folder.string())) Fail(path, "the file cannot be written");
      return;
    case FileState::Missing:
      MakeFolders(folder, path);
      if (!CanWrite(folder.string())) Fail(path, "its folder cannot be written");
      CreateEmptyFile(path);
      return;
  }
}

class Query {
 public:
  Query(sqlite3* db, const std::string& path, const char* sql) : db_(db), path_(path) {
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &raw, nullptr) != SQLITE_OK) Fail(path_, sqlite3_errmsg(db));
    statement_.reset(raw);
  }
  Query& Bind(int index, int64_t value) {
    Check(sqlite3_bind_int64(statement_.get(), index, value));
    return *this;
  }
  Query& Bind(int index, const std::string& text) {
    Check(sqlite3_bind_text(statement_.get(), index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT));
    return *this;
  }
  Query& Bind(int index, const std::vector<uint8_t>& bytes) {
    // A zero-length blob must not become NULL.
    Check(bytes.empty() ? sqlite3_bind_zeroblob(statement_.get(), index, 0)
                        : sqlite3_bind_blob(statement_.get(), index, bytes.data(), static_cast<int>(bytes.size()),
                                            SQLITE_TRANSIENT));
    return *this;
  }
  // True while a row is at hand.
  bool Step() {
    const int result = sqlite3_step(statement_.get());
    if (result == SQLITE_ROW) return true;
    if (result != SQLITE_DONE) Fail(path_, sqlite3_errmsg(db_));
    return false;
  }
  void Reset() { sqlite3_reset(statement_.get()); }
  int64_t Integer(int column) const { return sqlite3_column_int64(statement_.get(), column); }
  std::vector<uint8_t> Bytes(int column) const {
    const auto* data = static_cast<const uint8_t*>(sqlite3_column_blob(statement_.get(), column));
    const int size = sqlite3_column_bytes(statement_.get(), column);
    return data ? std::vector<uint8_t>(data, data + size) : std::vector<uint8_t>{};
  }

 private:
  void Check(int result) {
    if (result != SQLITE_OK) Fail(path_, sqlite3_errmsg(db_));
  }
  sqlite3* db_;
  const std::string& path_;
  Statement statement_;
};

void Execute(sqlite3* db, const std::string& path, const char* sql) {
  char* error = nullptr;
  if (sqlite3_exec(db, sql, nullptr, nullptr, &error) != SQLITE_OK) {
    const std::string reason = error ? error : sqlite3_errmsg(db);
    sqlite3_free(error);
    Fail(path, reason);
  }
}

// Rolls back unless committed; never throws from the destructor.
class WriteTransaction {
 public:
  WriteTransaction(sqlite3* db, const std::string& path) : db_(db), path_(path) {
    Execute(db_, path_, "BEGIN IMMEDIATE");
  }
  ~WriteTransaction() {
    if (!committed_) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
  }
  WriteTransaction(const WriteTransaction&) = delete;
  WriteTransaction& operator=(const WriteTransaction&) = delete;
  void Commit() {
    Execute(db_, path_, "COMMIT");
    committed_ = true;
  }

 private:
  sqlite3* db_;
  const std::string& path_;
  bool committed_ = false;
};

constexpr const char* SchemaSql =
    "CREATE TABLE IF NOT EXISTS RegKeys(id INTEGER PRIMARY KEY, path TEXT NOT NULL, folded TEXT NOT NULL UNIQUE);"
    "CREATE TABLE IF NOT EXISTS RegValues(keyId INTEGER NOT NULL, name TEXT NOT NULL, folded TEXT NOT NULL,"
    " type INTEGER NOT NULL, data BLOB NOT NULL, PRIMARY KEY(keyId, folded)) WITHOUT ROWID;"
    "INSERT OR IGNORE INTO RegKeys(path, folded) VALUES('', '');"
    "PRAGMA user_version = 1;";

}  // namespace

std::string NormalizeKeyPath(const std::string& path) {
  std::string result, segment;
  const auto flush = [&] {
    if (segment.empty()) return;
    if (!result.empty()) result += '\\';
    result += segment;
    segment.clear();
  };
  for (const char c : path) c == '\\' ? flush() : segment.push_back(c);
  flush();
  return result;
}

std::string FoldRegistryName(const std::string& name) {
  std::string folded = name;
  for (char& c : folded)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return folded;
}

void TRegistryStore::Closer::operator()(sqlite3* db) const { sqlite3_close_v2(db); }

TRegistryStore::TRegistryStore(std::string path, sqlite3* db, bool writable)
    : path_(std::move(path)), db_(db), writable_(writable) {}

TRegistryStore::~TRegistryStore() = default;

std::unique_ptr<TRegistryStore> TRegistryStore::Open(const std::string& path, bool forWriting) {
  if (path.empty()) Fail("(none)", "neither XDG_CONFIG_HOME nor HOME is set");
  if (forWriting) {
    PrepareForWriting(path);
  } else {
    const FileState state = Inspect(path);
    if (state == FileState::Missing) return std::unique_ptr<TRegistryStore>(new TRegistryStore(path, nullptr, false));
    if (state == FileState::Other) Fail(path, "the file is not a registry store");
  }
  sqlite3* raw = nullptr;
  const int flags = (forWriting ? SQLITE_OPEN_READWRITE : SQLITE_OPEN_READONLY) | SQLITE_OPEN_NOFOLLOW;
  const int result = sqlite3_open_v2(path.c_str(), &raw, flags, nullptr);
  std::unique_ptr<TRegistryStore> store(new TRegistryStore(path, raw, forWriting));
  if (result != SQLITE_OK) Fail(path, raw ? sqlite3_errmsg(raw) : sqlite3_errstr(result));
  sqlite3_busy_timeout(raw, BusyTimeoutMs);
  store->PrepareSchema();
  return store;
}

void TRegistryStore::PrepareSchema() {
  int64_t all = 0, ours = 0;
  {
    Query tables(db_.get(), path_,
                 "SELECT count(*), sum(name IN ('RegKeys', 'RegValues')) FROM sqlite_master WHERE type = 'table'");
    tables.Step();
    all = tables.Integer(0);
    ours = tables.Integer(1);
  }
  if (ours == 2) {
    if (writable_) Execute(db_.get(), path_, "PRAGMA journal_mode = WAL");
    return;
  }
  // Someone else's database is left as it is.
  if (all > 0) Fail(path_, "the file is not a registry store");
  if (!writable_) return;
  Execute(db_.get(), path_, "PRAGMA journal_mode = WAL");
  WriteTransaction transaction(db_.get(), path_);
  Execute(db_.get(), path_, SchemaSql);
  transaction.Commit();
}

std::optional<int64_t> TRegistryStore::FindKey(const std::string& path) {
  if (!db_) return std::nullopt;
  Query tables(db_.get(), path_, "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = 'RegKeys'");
  tables.Step();
  if (tables.Integer(0) == 0) return std::nullopt;
  Query find(db_.get(), path_, "SELECT id FROM RegKeys WHERE folded = ?1");
  find.Bind(1, FoldRegistryName(NormalizeKeyPath(path)));
  if (!find.Step()) return std::nullopt;
  return find.Integer(0);
}

int64_t TRegistryStore::CreateKey(const std::string& path) {
  if (!writable_) Fail(path_, "the store is open for reading only");
  const std::string normal = NormalizeKeyPath(path);
  WriteTransaction transaction(db_.get(), path_);
  Query insert(db_.get(), path_, "INSERT OR IGNORE INTO RegKeys(path, folded) VALUES(?1, ?2)");
  for (size_t end = 0; end != std::string::npos;) {
    end = normal.find('\\', end + 1);
    const std::string prefix = normal.substr(0, end);
    insert.Bind(1, prefix).Bind(2, FoldRegistryName(prefix)).Step();
    insert.Reset();
  }
  transaction.Commit();
  return *FindKey(normal);
}

bool TRegistryStore::GetValue(int64_t key, const std::string& name, TRegValue& value) {
  if (!db_) return false;
  Query find(db_.get(), path_, "SELECT type, data FROM RegValues WHERE keyId = ?1 AND folded = ?2");
  find.Bind(1, key).Bind(2, FoldRegistryName(name));
  if (!find.Step()) return false;
  value.type = static_cast<uint32_t>(find.Integer(0));
  value.data = find.Bytes(1);
  return true;
}

void TRegistryStore::SetValue(int64_t key, const std::string& name, const TRegValue& value) {
  if (!writable_) Fail(path_, "the store is open for reading only");
  Query upsert(db_.get(), path_,
               "INSERT INTO RegValues(keyId, name, folded, type, data) VALUES(?1, ?2, ?3, ?4, ?5)"
               " ON CONFLICT(keyId, folded) DO UPDATE SET type = excluded.type, data = excluded.data");
  upsert.Bind(1, key).Bind(2, name).Bind(3, FoldRegistryName(name)).Bind(4, static_cast<int64_t>(value.type));
  upsert.Bind(5, value.data).Step();
}

bool TRegistryStore::DeleteValue(int64_t key, const std::string& name) {
  if (!writable_) Fail(path_, "the store is open for reading only");
  Query remove(db_.get(), path_, "DELETE FROM RegValues WHERE keyId = ?1 AND folded = ?2");
  remove.Bind(1, key).Bind(2, FoldRegistryName(name)).Step();
  return sqlite3_changes(db_.get()) > 0;
}

}  // namespace corvenna
