// The connection to the host's file, its compiled-statement cache, the alias
// registry through which datasets find their database, and transactions.
#include <sqlite3.h>

#include <algorithm>
#include <mutex>

#include "platform/Dataset.h"
#include "platform/DatasetSqlite.h"
#include "platform/Errors.h"

namespace corvenna {

namespace {

std::mutex& RegistryMutex() {
  static std::mutex mutex;
  return mutex;
}

std::vector<TDatabase*>& Registry() {
  static std::vector<TDatabase*> databases;
  return databases;
}

}  // namespace

std::string QuoteIdentifier(const std::string& name) {
  std::string quoted = "\"";
  for (char c : name) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + "\"";
}

void TDatabase::StatementDeleter::operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }

TDatabase::TDatabase(std::string databaseName) : databaseName_(std::move(databaseName)) {
  std::lock_guard lock(RegistryMutex());
  Registry().push_back(this);
}

TDatabase::~TDatabase() {
  try {
    Disconnect();
  } catch (...) {
  }
  std::lock_guard lock(RegistryMutex());
  auto& databases = Registry();
  databases.erase(std::remove(databases.begin(), databases.end(), this), databases.end());
}

TDatabase* TDatabase::FindByName(const std::string& alias) {
  std::lock_guard lock(RegistryMutex());
  const auto& databases = Registry();
  for (auto it = databases.rbegin(); it != databases.rend(); ++it)
    if ((*it)->databaseName_ == alias) return *it;
  return nullptr;
}

void TDatabase::SetDatabaseName(const std::string& alias) {
  if (Connected() && alias != databaseName_)
    throw EDatabaseError(Format("Cannot rename database '%s' while it is connected", databaseName_.c_str()));
  databaseName_ = alias;
}

void TDatabase::SetDatabaseFileName(const std::string& path) {
  if (Connected() && path != fileName_)
    throw EDatabaseError(
        Format("Cannot change the file of database '%s' while it is connected", databaseName_.c_str()));
  fileName_ = path;
}

void TDatabase::SetConnected(bool connected) {
  if (connected == Connected()) return;
  if (connected)
    Connect();
  else
    Disconnect();
}

void TDatabase::SetBusyTimeoutMs(int milliseconds) {
  busyTimeoutMs_ = milliseconds;
  if (handle_ != nullptr) sqlite3_busy_timeout(handle_, milliseconds);
}

void TDatabase::Connect() {
  if (fileName_.empty()) throw EDatabaseError(Format("Database '%s' has no database file name", databaseName_.c_str()));
  sqlite3* handle = nullptr;
  const int rc = sqlite3_open_v2(fileName_.c_str(), &handle, SQLITE_OPEN_READWRITE, nullptr);
  if (rc != SQLITE_OK) {
    const std::string reason = handle != nullptr ? sqlite3_errmsg(handle) : sqlite3_errstr(rc);
    sqlite3_close_v2(handle);
    throw EDatabaseError(Format("Cannot open database file '%s': %s", fileName_.c_str(), reason.c_str()));
  }
  handle_ = handle;
  sqlite3_busy_timeout(handle_, busyTimeoutMs_);
  sqlite3_extended_result_codes(handle_, 0);
  try {
    // Reading the schema tells a file that is no database at once.
    Execute("SELECT count(*) FROM sqlite_master");
    // WAL lets the host read and write beside us; a host holding the file in
    // another mode at this moment leaves the mode as it is.
    if (sqlite3_exec(handle_, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr) != SQLITE_OK &&
        sqlite3_errcode(handle_) != SQLITE_BUSY)
      sqlite::RaiseError(handle_, "PRAGMA journal_mode=WAL", fileName_, busyTimeoutMs_);
  } catch (...) {
    sqlite3_close_v2(handle_);
    handle_ = nullptr;
    throw;
  }
}

void TDatabase::Disconnect() {
  if (handle_ == nullptr) return;
  std::vector<TDataSet*> datasets;
  datasets.swap(datasets_);
  for (TDataSet* dataset : datasets) {
    dataset->DatabaseClosing();
    dataset->database_ = nullptr;
  }
  statements_.clear();
  sqlite3_close_v2(handle_);
  handle_ = nullptr;
  transactionDepth_ = 0;
}

sqlite3* TDatabase::Handle() const {
  if (handle_ == nullptr) throw EDatabaseError(Format("Database '%s' is not connected", databaseName_.c_str()));
  return handle_;
}

void TDatabase::Execute(const std::string& sql) {
  char* error = nullptr;
  if (sqlite3_exec(Handle(), sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
    sqlite3_free(error);
    sqlite::RaiseError(handle_, sql, fileName_, busyTimeoutMs_);
  }
}

int64_t TDatabase::DataVersion() {
  static const std::string sql = "PRAGMA data_version";
  sqlite::Run run(*this, CachedStatement(sql));
  if (!run.Step()) throw EDatabaseError(Format("Database '%s': no data version [SQL: %s]", fileName_.c_str(), sql.c_str()));
  return sqlite3_column_int64(run.get(), 0);
}

sqlite3_stmt* TDatabase::CachedStatement(const std::string& sql) {
  auto found = statements_.find(sql);
  if (found != statements_.end()) return found->second.get();
  sqlite3_stmt* statement = nullptr;
  if (sqlite3_prepare_v2(Handle(), sql.c_str(), static_cast<int>(sql.size()), &statement, nullptr) != SQLITE_OK)
    sqlite::RaiseError(handle_, sql, fileName_, busyTimeoutMs_);
  // A text of comments only compiles to no statement: nothing to keep.
  if (statement != nullptr) statements_.emplace(sql, std::unique_ptr<sqlite3_stmt, StatementDeleter>(statement));
  return statement;
}

void TDatabase::CountWrite(const std::string& what) {
  if (writeCountdown_ < 0) return;
  if (writeCountdown_ == 0) {
    writeCountdown_ = -1;
    throw EDatabaseError(
        Format("Write to %s in database '%s' failed (injected failure)", what.c_str(), fileName_.c_str()));
  }
  --writeCountdown_;
}

void TDatabase::Attach(TDataSet& dataset) {
  if (std::find(datasets_.begin(), datasets_.end(), &dataset) == datasets_.end()) datasets_.push_back(&dataset);
}

void TDatabase::Detach(TDataSet& dataset) {
  datasets_.erase(std::remove(datasets_.begin(), datasets_.end(), &dataset), datasets_.end());
}

// --- transactions --------------------------------------------------------------

namespace {

std::string SavepointName(int level) { return "corvenna_" + std::to_string(level); }

}  // namespace

TTransaction::TTransaction(TDatabase& database) : database_(database), level_(database.TransactionDepth() + 1) {
  // A transaction begun outside this class also makes ours a savepoint.
  savepoint_ = level_ > 1 || sqlite3_get_autocommit(database_.Handle()) == 0;
  database_.Execute(savepoint_ ? "SAVEPOINT " + SavepointName(level_) : "BEGIN IMMEDIATE");
  ++database_.TransactionDepth();
}

TTransaction::~TTransaction() {
  if (!open_) return;
  try {
    Rollback();
  } catch (...) {
  }
}

void TTransaction::Commit() {
  if (!open_) throw EDatabaseError("The transaction has already ended");
  database_.Execute(savepoint_ ? "RELEASE " + SavepointName(level_) : "COMMIT");
  open_ = false;
  --database_.TransactionDepth();
}

void TTransaction::Rollback() {
  if (!open_) return;
  open_ = false;
  if (database_.TransactionDepth() > 0) --database_.TransactionDepth();
  if (!database_.Connected()) return;
  // An error such as a full disk may already have rolled the whole transaction back.
  if (sqlite3_get_autocommit(database_.Handle()) != 0) return;
  if (savepoint_) {
    const std::string name = SavepointName(level_);
    database_.Execute("ROLLBACK TO " + name + "; RELEASE " + name);
  } else {
    database_.Execute("ROLLBACK");
  }
}

}  // namespace corvenna
