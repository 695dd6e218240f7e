#include "platform/DatasetSqlite.h"

#include <sqlite3.h>

#include <cctype>
#include <regex>

#include "platform/Errors.h"

namespace corvenna::sqlite {

namespace {

// Whether the table exists and has the column (an empty column: exists at all).
bool TableHasColumn(sqlite3* handle, const std::string& table, const std::string& column) {
  sqlite3_stmt* statement = nullptr;
  if (sqlite3_prepare_v2(handle, "SELECT 1 FROM pragma_table_info(?1) WHERE ?2 = '' OR name = ?2 COLLATE NOCASE",
                         -1, &statement, nullptr) != SQLITE_OK)
    return false;
  sqlite3_bind_text(statement, 1, table.c_str(), -1, SQLITE_TRANSIENT);
  sqlite3_bind_text(statement, 2, column.c_str(), -1, SQLITE_TRANSIENT);
  const bool found = sqlite3_step(statement) == SQLITE_ROW;
  sqlite3_finalize(statement);
  return found;
}

// The table the SQL reads that lacks the column SQLite could not find; empty
// when none can be told.
std::string TableWithoutColumn(sqlite3* handle, const std::string& sql, const std::string& column) {
  static const std::regex source(R"((?:from|join)\s+["\[`]?(\w+))", std::regex::icase);
  for (std::sregex_iterator it(sql.begin(), sql.end(), source), end; it != end; ++it) {
    const std::string table = (*it)[1];
    if (TableHasColumn(handle, table, "") && !TableHasColumn(handle, table, column)) return table;
  }
  return {};
}

}  // namespace

void RaiseError(sqlite3* handle, const std::string& sql, const std::string& fileName, int busyTimeoutMs) {
  const int code = sqlite3_errcode(handle);
  const std::string message = sqlite3_errmsg(handle);
  if (code == SQLITE_BUSY || code == SQLITE_LOCKED)
    throw EDatabaseError(Format("Database '%s' is locked by another connection (waited %d ms): %s [SQL: %s]",
                                fileName.c_str(), busyTimeoutMs, message.c_str(), sql.c_str()));
  static const std::regex noSuchColumn(R"(^no such column: (?:\w+\.)?(\w+)$)");
  std::smatch column;
  if (std::regex_match(message, column, noSuchColumn)) {
    const std::string table = TableWithoutColumn(handle, sql, column[1]);
    if (!table.empty())
      throw EDatabaseError(Format("Table '%s' in database '%s' has no column '%s' [SQL: %s]", table.c_str(),
                                  fileName.c_str(), column[1].str().c_str(), sql.c_str()));
  }
  throw EDatabaseError(Format("Database '%s': %s [SQL: %s]", fileName.c_str(), message.c_str(), sql.c_str()));
}

void Bind(sqlite3_stmt* statement, int index, const TVariant& value) {
  switch (value.kind()) {
    case TVariant::Kind::Null:
      sqlite3_bind_null(statement, index);
      break;
    case TVariant::Kind::Integer:
      sqlite3_bind_int64(statement, index, value.integer());
      break;
    case TVariant::Kind::Float:
      sqlite3_bind_double(statement, index, value.real());
      break;
    case TVariant::Kind::Text:
      sqlite3_bind_text(statement, index, value.text().data(), static_cast<int>(value.text().size()), SQLITE_TRANSIENT);
      break;
  }
}

TVariant Column(sqlite3_stmt* statement, int column) {
  switch (sqlite3_column_type(statement, column)) {
    case SQLITE_INTEGER:
      return TVariant(static_cast<int64_t>(sqlite3_column_int64(statement, column)));
    case SQLITE_FLOAT:
      return TVariant(sqlite3_column_double(statement, column));
    case SQLITE_NULL:
      return TVariant();
    default: {
      const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
      return TVariant(std::string(text, static_cast<size_t>(sqlite3_column_bytes(statement, column))));
    }
  }
}

TFieldType FieldTypeOf(const char* declaredType) {
  if (declaredType == nullptr) return TFieldType::ftUnknown;
  std::string type = declaredType;
  for (char& c : type) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  auto has = [&](const char* part) { return type.find(part) != std::string::npos; };
  if (has("BOOL")) return TFieldType::ftBoolean;
  if (has("DATE") || has("TIME")) return TFieldType::ftDateTime;
  if (has("MONEY") || has("CURR")) return TFieldType::ftCurrency;
  if (has("INT")) return TFieldType::ftInteger;
  if (has("CHAR") || has("CLOB") || has("TEXT")) return TFieldType::ftString;
  if (has("REAL") || has("FLOA") || has("DOUB")) return TFieldType::ftFloat;
  return TFieldType::ftUnknown;
}

Run::Run(TDatabase& database, sqlite3_stmt* statement) : database_(database), statement_(statement) {}

Run::~Run() {
  sqlite3_reset(statement_);
  sqlite3_clear_bindings(statement_);
}

bool Run::Step() {
  const int rc = sqlite3_step(statement_);
  if (rc == SQLITE_ROW) return true;
  if (rc == SQLITE_DONE) return false;
  RaiseError(database_.Handle(), sqlite3_sql(statement_), database_.DatabaseFileName(), database_.BusyTimeoutMs());
}

}  // namespace corvenna::sqlite
