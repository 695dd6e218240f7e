// A query: SQL lines, named parameters bound without regard to case, and a
// materialised result (the library's queries return few rows).
#include <sqlite3.h>

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "platform/Dataset.h"
#include "platform/DatasetSqlite.h"
#include "platform/Errors.h"
#include "platform/Text.h"

namespace corvenna {

namespace {

bool IsNameStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool IsNameChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

// The ":Name" parameters of an SQL text, in order of first appearance, skipping
// literals, quoted identifiers and comments.
std::vector<std::string> ParameterNames(const std::string& sql) {
  std::vector<std::string> names;
  const size_t n = sql.size();
  for (size_t i = 0; i < n; ++i) {
    const char c = sql[i];
    if (c == '\'' || c == '"' || c == '`' || c == '[') {
      const char close = c == '[' ? ']' : c;
      for (++i; i < n && sql[i] != close; ++i) {
      }
    } else if (c == '-' && i + 1 < n && sql[i + 1] == '-') {
      while (i < n && sql[i] != '\n') ++i;
    } else if (c == '/' && i + 1 < n && sql[i + 1] == '*') {
      const size_t end = sql.find("*/", i + 2);
      i = end == std::string::npos ? n : end + 1;
    } else if (c == ':' && i + 1 < n && IsNameStart(sql[i + 1])) {
      size_t end = i + 1;
      while (end < n && IsNameChar(sql[end])) ++end;
      std::string name = sql.substr(i + 1, end - i - 1);
      bool known = false;
      for (const std::string& seen : names) known = known || SameTextAscii(seen, name);
      if (!known) names.push_back(std::move(name));
      i = end - 1;
    }
  }
  return names;
}

std::string Tagged(char tag, long long integer) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%c%lld", tag, integer);
  return buffer;
}

std::string NumberKey(double real) {
  if (real > -9.2e18 && real < 9.2e18 && real == std::trunc(real)) return Tagged('I', static_cast<long long>(real));
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "R%.17g", real);
  return buffer;
}

// A comparable key for one located value, coerced the way SQL compares it with
// a column of that type: numbers by value (1 equals 1.0), texts exactly.
std::string LookupKey(const TVariant& value, TFieldType type) {
  const bool numericColumn = type == TFieldType::ftInteger || type == TFieldType::ftFloat ||
                             type == TFieldType::ftDateTime || type == TFieldType::ftCurrency ||
                             type == TFieldType::ftBoolean;
  switch (value.kind()) {
    case TVariant::Kind::Null:
      return "N";
    case TVariant::Kind::Integer:
      return Tagged(type == TFieldType::ftString ? 'T' : 'I', static_cast<long long>(value.integer()));
    case TVariant::Kind::Float:
      return NumberKey(value.real());
    case TVariant::Kind::Text: {
      long double number = 0;
      if (numericColumn && TryStrToFloat(value.text(), number, TFormatSettings{}))
        return NumberKey(static_cast<double>(number));
      std::string key = value.text();
      key.insert(key.begin(), 'T');
      return key;
    }
  }
  return "N";
}

std::string RowKey(const std::vector<TVariant>& values, const std::vector<int>& columns,
                   const std::vector<TFieldType>& types) {
  std::string key;
  for (size_t i = 0; i < columns.size(); ++i) {
    const std::string part = LookupKey(values[i], types[i]);
    key += std::to_string(part.size()) + ':' + part;
  }
  return key;
}

}  // namespace

TQuery::TQuery(std::string name) : TDataSet(std::move(name)), sql_([this] { SqlChanged(); }) {}

TQuery::~TQuery() { Unprepare(); }

// The compiled statement comes from the connection's cache, so a query that
// takes turns with two texts, or one made anew for every look-up, compiles
// each text once per connection.
void TQuery::SqlChanged() {
  if (Active()) Close();
  std::vector<TParam> params;
  for (std::string& name : ParameterNames(sql_.Text())) {
    TParam param(name);
    for (const TParam& old : params_)
      if (SameTextAscii(old.Name(), name) && old.IsBound()) param.SetValue(old.Value());
    params.push_back(std::move(param));
  }
  params_ = std::move(params);
}

TParam& TQuery::ParamByName(const std::string& name) {
  for (TParam& param : params_)
    if (SameTextAscii(param.Name(), name)) return param;
  throw EDatabaseError(Format("%s: Parameter '%s' not found", Describe().c_str(), name.c_str()));
}

void TQuery::Prepare() {
  TDatabase& database = ResolveDatabase();
  const std::string text = sql_.Text();
  if (statement_ != nullptr && text == preparedText_) return;
  Unprepare();
  if (Trim(text).empty()) throw EDatabaseError(Format("%s: No SQL statement available", Describe().c_str()));
  sqlite3_stmt* statement = database.CachedStatement(text);
  if (statement == nullptr) throw EDatabaseError(Format("%s: No SQL statement available", Describe().c_str()));
  statement_ = statement;
  preparedText_ = text;
}

// The statement stays in the connection's cache for the next query of that text.
void TQuery::Unprepare() {
  statement_ = nullptr;
  preparedText_.clear();
}

void TQuery::DatabaseClosing() {
  Close();
  Unprepare();
}

void TQuery::BindParams() {
  sqlite3_clear_bindings(statement_);
  const int count = sqlite3_bind_parameter_count(statement_);
  for (int i = 1; i <= count; ++i) {
    const char* marker = sqlite3_bind_parameter_name(statement_, i);
    if (marker == nullptr || marker[0] == '\0')
      throw EDatabaseError(
          Format("%s: Unnamed parameter %d in SQL: %s", Describe().c_str(), i, sqlite3_sql(statement_)));
    const std::string name = marker + 1;
    TParam* param = nullptr;
    for (TParam& candidate : params_)
      if (SameTextAscii(candidate.Name(), name)) param = &candidate;
    if (param == nullptr || !param->IsBound())
      throw EDatabaseError(Format("%s: No value for parameter '%s'", Describe().c_str(), name.c_str()));
    sqlite::Bind(statement_, i, param->Value());
  }
}

void TQuery::DoOpen() {
  Prepare();
  TDatabase& database = Database();
  if (sqlite3_column_count(statement_) == 0)
    throw EDatabaseError(
        Format("%s: The SQL returns no rows to open: %s", Describe().c_str(), sqlite3_sql(statement_)));
  BindParams();
  const int columns = sqlite3_column_count(statement_);
  std::vector<std::pair<std::string, TFieldType>> fields;
  for (int c = 0; c < columns; ++c)
    fields.emplace_back(sqlite3_column_name(statement_, c),
                        sqlite::FieldTypeOf(sqlite3_column_decltype(statement_, c)));
  SetFields(fields);
  rows_.clear();
  lookups_.clear();
  {
    sqlite::Run run(database, statement_);
    while (run.Step()) {
      Row row{static_cast<int64_t>(rows_.size()), {}};
      row.values.reserve(static_cast<size_t>(columns));
      for (int c = 0; c < columns; ++c) row.values.push_back(sqlite::Column(statement_, c));
      rows_.push_back(std::move(row));
    }
  }
  DoFirst();
}

void TQuery::DoClose() {
  rows_.clear();
  lookups_.clear();
  position_ = 0;
}

void TQuery::ExecSQL() {
  if (Active()) Close();
  Prepare();
  TDatabase& database = Database();
  BindParams();
  if (!sqlite3_stmt_readonly(statement_)) database.CountWrite(Format("SQL '%s'", sqlite3_sql(statement_)));
  sqlite::Run run(database, statement_);
  while (run.Step()) {
  }
}

void TQuery::MoveTo(size_t position) {
  position_ = position;
  SetCurrent(rows_[position]);
  SetEofBof(false, position == 0);
}

void TQuery::DoFirst() {
  if (rows_.empty()) {
    position_ = 0;
    ClearCurrent();
  } else {
    MoveTo(0);
  }
}

void TQuery::DoNext() {
  if (position_ + 1 < rows_.size()) {
    MoveTo(position_ + 1);
  } else {
    SetEofBof(true, false);
  }
}

int TQuery::DoRecordCount() { return static_cast<int>(rows_.size()); }

void TQuery::DoSetRecNo(int row) {
  if (row >= 0 && static_cast<size_t>(row) < rows_.size()) MoveTo(static_cast<size_t>(row));
}

bool TQuery::DoLocate(const std::vector<int>& columns, const std::vector<TVariant>& values) {
  std::vector<TFieldType> types;
  std::string fieldsKey;
  for (int c : columns) {
    types.push_back(Fields(c).DataType());
    fieldsKey += std::to_string(c) + ';';
  }
  auto [entry, created] = lookups_.try_emplace(fieldsKey);
  std::map<std::string, size_t>& index = entry->second;
  if (created) {
    std::vector<TVariant> rowValues(columns.size());
    for (size_t r = 0; r < rows_.size(); ++r) {
      for (size_t i = 0; i < columns.size(); ++i) rowValues[i] = rows_[r].values[static_cast<size_t>(columns[i])];
      index.try_emplace(RowKey(rowValues, columns, types), r);
    }
  }
  auto found = index.find(RowKey(values, columns, types));
  if (found == index.end()) return false;
  MoveTo(found->second);
  SetEofBof(false, found->second == 0);
  return true;
}

std::string TQuery::MissingFieldText(const std::string& name) const {
  return Format("%s: No column '%s' in the result of [SQL: %s]", Describe().c_str(), name.c_str(), sql_.Text().c_str());
}

void TQuery::DoPost(bool) { throw EDatabaseError(Format("%s: Cannot modify a read-only dataset", Describe().c_str())); }

void TQuery::DoDelete() { throw EDatabaseError(Format("%s: Cannot modify a read-only dataset", Describe().c_str())); }

}  // namespace corvenna
