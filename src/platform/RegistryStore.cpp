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
#include "platform/RegistryCall.h"
#include "platform/RegistryConnection.h"

namespace corvenna {
namespace {

[[noreturn]] void Fail(const std::string& path, const std::string& reason) { FailStore(path, reason); }

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

// The store holds the password: one an earlier version left readable by
// others ends owner-only, as a new one is created. Someone else's keeps its mode.
void MakeOwnerOnly(const std::string& path) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0 || info.st_uid != geteuid() || (info.st_mode & 07777) == 0600) return;
  if (chmod(path.c_str(), 0600) != 0)
    Fail(path, Format("cannot make the file owner-only: %s", std::strerror(errno)));
}

void PrepareForWriting(const std::string& path) {
  const auto folder = std::filesystem::path(path).parent_path();
  switch (InspectStoreFile(path)) {
    case TStoreFileState::Other:
      Fail(path, "the file is not a registry store");
    case TStoreFileState::Database:
      if (!CanWrite(path) || !CanWrite(folder.string())) Fail(path, "the file cannot be written");
      MakeOwnerOnly(path);
      return;
    case TStoreFileState::Missing:
      MakeFolders(folder, path);
      if (!CanWrite(folder.string())) Fail(path, "its folder cannot be written");
      CreateEmptyFile(path);
      return;
  }
}

// A statement of the connection's, bound and stepped here and reset when the
// query ends, so that no read snapshot outlives the call.
class Query {
 public:
  Query(TStoreConnection& connection, const char* sql)
      : connection_(connection), statement_(connection.Statement(sql)) {}
  ~Query() {
    sqlite3_reset(statement_);
    sqlite3_clear_bindings(statement_);
  }
  Query(const Query&) = delete;
  Query& operator=(const Query&) = delete;

  Query& Bind(int index, int64_t value) {
    Check(sqlite3_bind_int64(statement_, index, value));
    return *this;
  }
  Query& Bind(int index, const std::string& text) {
    Check(sqlite3_bind_text(statement_, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT));
    return *this;
  }
  Query& Bind(int index, const std::vector<uint8_t>& bytes) {
    // A zero-length blob must not become NULL.
    Check(bytes.empty() ? sqlite3_bind_zeroblob(statement_, index, 0)
                        : sqlite3_bind_blob(statement_, index, bytes.data(), static_cast<int>(bytes.size()),
                                            SQLITE_TRANSIENT));
    return *this;
  }
  // True while a row is at hand.
  bool Step() {
    const int result = sqlite3_step(statement_);
    if (result == SQLITE_ROW) return true;
    if (result != SQLITE_DONE) Fail(connection_.Path(), SqliteFailure(connection_.Db(), result));
    return false;
  }
  void Reset() { sqlite3_reset(statement_); }
  int64_t Integer(int column) const { return sqlite3_column_int64(statement_, column); }
  std::vector<uint8_t> Bytes(int column) const {
    const auto* data = static_cast<const uint8_t*>(sqlite3_column_blob(statement_, column));
    const int size = sqlite3_column_bytes(statement_, column);
    return data ? std::vector<uint8_t>(data, data + size) : std::vector<uint8_t>{};
  }

 private:
  void Check(int result) {
    if (result != SQLITE_OK) Fail(connection_.Path(), SqliteFailure(connection_.Db(), result));
  }
  TStoreConnection& connection_;
  sqlite3_stmt* statement_;
};

void Execute(sqlite3* db, const std::string& path, const char* sql) {
  char* error = nullptr;
  if (const int result = sqlite3_exec(db, sql, nullptr, nullptr, &error); result != SQLITE_OK) {
    const int primary = result & 0xFF;
    const bool held = primary == SQLITE_BUSY || primary == SQLITE_LOCKED;
    const std::string reason = error && !held ? error : SqliteFailure(db, result);
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

constexpr const char* CountTablesSql =
    "SELECT count(*), sum(name IN ('RegKeys', 'RegValues')) FROM sqlite_master WHERE type = 'table'";
constexpr const char* HasKeysSql = "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = 'RegKeys'";
constexpr const char* FindKeySql = "SELECT id FROM RegKeys WHERE folded = ?1";
constexpr const char* InsertKeySql = "INSERT OR IGNORE INTO RegKeys(path, folded) VALUES(?1, ?2)";
constexpr const char* FindValueSql = "SELECT type, data FROM RegValues WHERE keyId = ?1 AND folded = ?2";
constexpr const char* SetValueSql =
    "INSERT INTO RegValues(keyId, name, folded, type, data) VALUES(?1, ?2, ?3, ?4, ?5)"
    " ON CONFLICT(keyId, folded) DO UPDATE SET type = excluded.type, data = excluded.data";
constexpr const char* DeleteValueSql = "DELETE FROM RegValues WHERE keyId = ?1 AND folded = ?2";

// A new connection: the tables are made in a new store, and a database that
// is someone else's is refused.
void PrepareSchema(TStoreConnection& connection) {
  sqlite3* db = connection.Db();
  const std::string& path = connection.Path();
  int64_t all = 0, ours = 0;
  {
    Query tables(connection, CountTablesSql);
    tables.Step();
    all = tables.Integer(0);
    ours = tables.Integer(1);
  }
  if (ours == 2) {
    connection.KeyTableSeen() = true;
    if (connection.ReadWrite()) Execute(db, path, "PRAGMA journal_mode = WAL");
    return;
  }
  if (all > 0) Fail(path, "the file is not a registry store");
  if (!connection.ReadWrite()) return;
  Execute(db, path, "PRAGMA journal_mode = WAL");
  WriteTransaction transaction(db, path);
  Execute(db, path, SchemaSql);
  transaction.Commit();
  connection.KeyTableSeen() = true;
  connection.SettleLog();
}

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

TRegistryStore::TRegistryStore(std::string path, std::shared_ptr<TStoreConnection> connection)
    : path_(std::move(path)), connection_(std::move(connection)) {}

TRegistryStore::~TRegistryStore() = default;

bool TRegistryStore::Writable() const { return connection_ && connection_->ReadWrite(); }

std::unique_ptr<TRegistryStore> TRegistryStore::Open(const std::string& path, bool forWriting) {
  RequireReadableRegistry();
  if (path.empty()) Fail("(none)", "neither XDG_CONFIG_HOME nor HOME is set");
  // The kept connection's file passed the checks below and has not changed since.
  if (auto kept = TStoreConnection::Reuse(path, forWriting))
    return std::unique_ptr<TRegistryStore>(new TRegistryStore(path, std::move(kept)));
  try {
    if (forWriting) {
      PrepareForWriting(path);
    } else {
      const TStoreFileState state = InspectStoreFile(path);
      if (state == TStoreFileState::Other) Fail(path, "the file is not a registry store");
      if (state == TStoreFileState::Missing) {
        TStoreConnection::Forget(path);
        return std::unique_ptr<TRegistryStore>(new TRegistryStore(path, nullptr));
      }
    }
    auto connection = TStoreConnection::OpenAndKeep(path, forWriting, PrepareSchema);
    return std::unique_ptr<TRegistryStore>(new TRegistryStore(path, std::move(connection)));
  } catch (...) {
    TStoreConnection::Forget(path);
    throw;
  }
}

std::optional<int64_t> TRegistryStore::FindKey(const std::string& path) {
  if (!connection_) return std::nullopt;
  const auto held = connection_->Hold();
  return FindKeyHeld(path);
}

std::optional<int64_t> TRegistryStore::FindKeyHeld(const std::string& path) {
  if (!connection_->KeyTableSeen()) {
    Query tables(*connection_, HasKeysSql);
    tables.Step();
    if (tables.Integer(0) == 0) return std::nullopt;
    connection_->KeyTableSeen() = true;
  }
  Query find(*connection_, FindKeySql);
  find.Bind(1, FoldRegistryName(NormalizeKeyPath(path)));
  if (!find.Step()) return std::nullopt;
  return find.Integer(0);
}

int64_t TRegistryStore::CreateKey(const std::string& path) {
  if (!Writable()) Fail(path_, "the store is open for reading only");
  const auto held = connection_->Hold();
  const std::string normal = NormalizeKeyPath(path);
  if (const auto existing = FindKeyHeld(normal)) return *existing;
  {
    WriteTransaction transaction(connection_->Db(), path_);
    Query insert(*connection_, InsertKeySql);
    for (size_t end = 0; end != std::string::npos;) {
      end = normal.find('\\', end + 1);
      const std::string prefix = normal.substr(0, end);
      insert.Bind(1, prefix).Bind(2, FoldRegistryName(prefix)).Step();
      insert.Reset();
    }
    transaction.Commit();
  }
  connection_->SettleLog();
  return *FindKeyHeld(normal);
}

bool TRegistryStore::GetValue(int64_t key, const std::string& name, TRegValue& value) {
  if (!connection_) return false;
  const auto held = connection_->Hold();
  Query find(*connection_, FindValueSql);
  find.Bind(1, key).Bind(2, FoldRegistryName(name));
  if (!find.Step()) return false;
  value.type = static_cast<uint32_t>(find.Integer(0));
  value.data = find.Bytes(1);
  return true;
}

void TRegistryStore::SetValue(int64_t key, const std::string& name, const TRegValue& value) {
  if (!Writable()) Fail(path_, "the store is open for reading only");
  const auto held = connection_->Hold();
  {
    Query upsert(*connection_, SetValueSql);
    upsert.Bind(1, key).Bind(2, name).Bind(3, FoldRegistryName(name)).Bind(4, static_cast<int64_t>(value.type));
    upsert.Bind(5, value.data).Step();
  }
  connection_->SettleLog();
}

bool TRegistryStore::DeleteValue(int64_t key, const std::string& name) {
  if (!Writable()) Fail(path_, "the store is open for reading only");
  const auto held = connection_->Hold();
  bool deleted = false;
  {
    Query remove(*connection_, DeleteValueSql);
    remove.Bind(1, key).Bind(2, FoldRegistryName(name)).Step();
    deleted = sqlite3_changes(connection_->Db()) > 0;
  }
  if (deleted) connection_->SettleLog();
  return deleted;
}

}  // namespace corvenna
