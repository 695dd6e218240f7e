// A host table: walked in rowid order a page at a time; look-ups, edits and
// deletes are single SQL statements on the current row's rowid.
#include <sqlite3.h>

#include <limits>

#include "platform/Dataset.h"
#include "platform/DatasetSqlite.h"
#include "platform/Errors.h"

namespace corvenna {

namespace {

constexpr int PageSize = 256;

}  // namespace

TTable::TTable(std::string name) : TDataSet(std::move(name)) {}

void TTable::SetTableName(const std::string& tableName) {
  if (tableName == tableName_) return;
  if (Active()) throw EDatabaseError(Format("%s: Cannot change the table name of an open table", Describe().c_str()));
  tableName_ = tableName;
}

void TTable::DoOpen() {
  TDatabase& database = Database();
  if (tableName_.empty()) throw EDatabaseError(Format("%s: No table name given", Describe().c_str()));
  std::vector<std::pair<std::string, TFieldType>> columns;
  {
    sqlite::Run run(database, database.CachedStatement("SELECT name, type FROM pragma_table_info(?1)"));
    sqlite::Bind(run.get(), 1, TVariant(tableName_));
    while (run.Step()) {
      columns.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(run.get(), 0)),
                           sqlite::FieldTypeOf(reinterpret_cast<const char*>(sqlite3_column_text(run.get(), 1))));
    }
  }
  if (columns.empty())
    throw EDatabaseError(
        Format("Table '%s' not found in database '%s'", tableName_.c_str(), database.DatabaseFileName().c_str()));
  SetFields(columns);
  selectFrom_ = "SELECT rowid";
  for (const auto& column : columns) selectFrom_ += ", " + QuoteIdentifier(column.first);
  selectFrom_ += " FROM " + QuoteIdentifier(tableName_);
  DoFirst();
}

std::string TTable::MissingFieldText(const std::string& name) const {
  return Format("Table '%s' in database '%s' has no column '%s'", tableName_.c_str(),
                Database().DatabaseFileName().c_str(), name.c_str());
}

void TTable::DoClose() {
  page_.clear();
  pagePos_ = 0;
  pageComplete_ = false;
}

bool TTable::FetchAfter(int64_t rowid) {
  TDatabase& database = Database();
  const std::string sql = SelectFrom() + " WHERE rowid > ?1 ORDER BY rowid LIMIT " + std::to_string(PageSize);
  sqlite::Run run(database, database.CachedStatement(sql));
  sqlite3_bind_int64(run.get(), 1, rowid);
  page_.clear();
  pagePos_ = 0;
  const int columns = FieldCount();
  while (run.Step()) {
    Row row{sqlite3_column_int64(run.get(), 0), {}};
    row.values.reserve(static_cast<size_t>(columns));
    for (int c = 0; c < columns; ++c) row.values.push_back(sqlite::Column(run.get(), c + 1));
    page_.push_back(std::move(row));
  }
  pageComplete_ = page_.size() < static_cast<size_t>(PageSize);
  return !page_.empty();
}

bool TTable::FetchBefore(int64_t rowid) {
  TDatabase& database = Database();
  const std::string sql = SelectFrom() + " WHERE rowid < ?1 ORDER BY rowid DESC LIMIT 1";
  sqlite::Run run(database, database.CachedStatement(sql));
  sqlite3_bind_int64(run.get(), 1, rowid);
  page_.clear();
  pagePos_ = 0;
  pageComplete_ = true;
  if (!run.Step()) return false;
  Row row{sqlite3_column_int64(run.get(), 0), {}};
  for (int c = 0; c < FieldCount(); ++c) row.values.push_back(sqlite::Column(run.get(), c + 1));
  page_.push_back(std::move(row));
  return true;
}

bool TTable::FetchRow(int64_t rowid) {
  TDatabase& database = Database();
  const std::string sql = SelectFrom() + " WHERE rowid = ?1";
  sqlite::Run run(database, database.CachedStatement(sql));
  sqlite3_bind_int64(run.get(), 1, rowid);
  if (!run.Step()) return false;
  Row row{rowid, {}};
  for (int c = 0; c < FieldCount(); ++c) row.values.push_back(sqlite::Column(run.get(), c + 1));
  page_.assign(1, std::move(row));
  pagePos_ = 0;
  pageComplete_ = false;
  return true;
}

void TTable::DoFirst() {
  if (FetchAfter(std::numeric_limits<int64_t>::min())) {
    SetCurrent(page_.front());
    SetEofBof(false, true);
  } else {
    ClearCurrent();
  }
}

void TTable::DoNext() {
  if (IsEmpty()) {
    SetEofBof(true, Bof());
    return;
  }
  const int64_t rowid = Current().rowid;
  if (pagePos_ + 1 < page_.size()) {
    ++pagePos_;
  } else if (pageComplete_ || !FetchAfter(rowid)) {
    SetEofBof(true, false);
    return;
  }
  SetCurrent(page_[pagePos_]);
  SetEofBof(false, false);
}

int TTable::DoRecordCount() {
  TDatabase& database = Database();
  sqlite::Run run(database, database.CachedStatement("SELECT count(*) FROM " + QuoteIdentifier(tableName_)));
  run.Step();
  return sqlite3_column_int(run.get(), 0);
}

int TTable::DoRecNo() {
  TDatabase& database = Database();
  sqlite::Run run(
      database, database.CachedStatement("SELECT count(*) FROM " + QuoteIdentifier(tableName_) + " WHERE rowid < ?1"));
  sqlite3_bind_int64(run.get(), 1, Current().rowid);
  run.Step();
  return sqlite3_column_int(run.get(), 0);
}

void TTable::DoSetRecNo(int row) {
  TDatabase& database = Database();
  int64_t rowid = 0;
  {
    sqlite::Run run(database, database.CachedStatement("SELECT rowid FROM " + QuoteIdentifier(tableName_) +
                                                       " ORDER BY rowid LIMIT 1 OFFSET ?1"));
    sqlite3_bind_int(run.get(), 1, row);
    if (row < 0 || !run.Step()) return;
    rowid = sqlite3_column_int64(run.get(), 0);
  }
  if (FetchRow(rowid)) {
    SetCurrent(page_.front());
    SetEofBof(false, row == 0);
  }
}

bool TTable::DoLocate(const std::vector<int>& columns, const std::vector<TVariant>& values) {
  std::string sql = SelectFrom() + " WHERE ";
  for (size_t i = 0; i < columns.size(); ++i) {
    if (i > 0) sql += " AND ";
    sql += QuoteIdentifier(Fields(columns[i]).FieldName());
    sql += values[i].IsNull() ? " IS NULL" : " = ?" + std::to_string(i + 1);
  }
  sql += " ORDER BY rowid LIMIT 1";
  TDatabase& database = Database();
  sqlite::Run run(database, database.CachedStatement(sql));
  for (size_t i = 0; i < values.size(); ++i)
    if (!values[i].IsNull()) sqlite::Bind(run.get(), static_cast<int>(i + 1), values[i]);
  if (!run.Step()) return false;
  Row row{sqlite3_column_int64(run.get(), 0), {}};
  for (int c = 0; c < FieldCount(); ++c) row.values.push_back(sqlite::Column(run.get(), c + 1));
  page_.assign(1, row);
  pagePos_ = 0;
  pageComplete_ = false;
  SetCurrent(std::move(row));
  SetEofBof(false, false);
  return true;
}

void TTable::DoPost(bool inserting) {
  TDatabase& database = Database();
  const std::vector<bool>& modified = Modified();
  std::vector<int> columns;
  for (int c = 0; c < FieldCount(); ++c)
    if (modified[static_cast<size_t>(c)]) columns.push_back(c);
  if (!inserting && columns.empty()) return;

  const std::string table = QuoteIdentifier(tableName_);
  std::string sql;
  if (inserting && columns.empty()) {
    sql = "INSERT INTO " + table + " DEFAULT VALUES";
  } else if (inserting) {
    std::string names, marks;
    for (size_t i = 0; i < columns.size(); ++i) {
      names += (i > 0 ? ", " : "") + QuoteIdentifier(Fields(columns[i]).FieldName());
      marks += (i > 0 ? ", ?" : "?") + std::to_string(i + 1);
    }
    sql = "INSERT INTO " + table + " (" + names + ") VALUES (" + marks + ")";
  } else {
    sql = "UPDATE " + table + " SET ";
    for (size_t i = 0; i < columns.size(); ++i)
      sql += (i > 0 ? ", " : "") + QuoteIdentifier(Fields(columns[i]).FieldName()) + " = ?" + std::to_string(i + 1);
    sql += " WHERE rowid = ?" + std::to_string(columns.size() + 1);
  }

  sqlite3_stmt* statement = database.CachedStatement(sql);
  database.CountWrite("table '" + tableName_ + "'");
  int64_t rowid = Current().rowid;
  {
    sqlite::Run run(database, statement);
    for (size_t i = 0; i < columns.size(); ++i)
      sqlite::Bind(statement, static_cast<int>(i + 1), CurrentValue(columns[i]));
    if (!inserting) sqlite3_bind_int64(statement, static_cast<int>(columns.size() + 1), rowid);
    run.Step();
    if (inserting) {
      rowid = sqlite3_last_insert_rowid(database.Handle());
    } else if (sqlite3_changes(database.Handle()) == 0) {
      throw EDatabaseError(
          Format("Table '%s': the record being edited no longer exists (deleted by another user)", tableName_.c_str()));
    }
  }
  if (inserting) {
    // Read back what the database filled in: the auto-numbered key, defaults.
    if (!FetchRow(rowid))
      throw EDatabaseError(Format("Table '%s': the posted record cannot be read back", tableName_.c_str()));
    SetCurrent(page_.front());
  } else {
    Current().rowid = rowid;
    page_.assign(1, Current());
    pagePos_ = 0;
    pageComplete_ = false;
  }
  SetEofBof(false, false);
}

void TTable::DoDelete() {
  TDatabase& database = Database();
  const int64_t rowid = Current().rowid;
  sqlite3_stmt* statement =
      database.CachedStatement("DELETE FROM " + QuoteIdentifier(tableName_) + " WHERE rowid = ?1");
  database.CountWrite("table '" + tableName_ + "'");
  {
    sqlite::Run run(database, statement);
    sqlite3_bind_int64(statement, 1, rowid);
    run.Step();
  }
  if (FetchAfter(rowid)) {
    SetCurrent(page_.front());
    SetEofBof(false, false);
  } else if (FetchBefore(rowid)) {
    SetCurrent(page_.front());
    SetEofBof(true, false);
  } else {
    ClearCurrent();
  }
}

void TTable::EmptyTable() {
  TDatabase& database = Active() ? Database() : ResolveDatabase();
  if (Active()) CheckBrowseMode();
  database.CountWrite("table '" + tableName_ + "'");
  database.Execute("DELETE FROM " + QuoteIdentifier(tableName_));
  if (Active()) {
    DoClose();
    ClearCurrent();
  }
}

}  // namespace corvenna
