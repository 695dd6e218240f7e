#pragma once
// Helpers shared by the dataset layer's sources; sqlite3.h stays in the .cpp files.
#include <string>

#include "platform/Dataset.h"

namespace corvenna::sqlite {

// Raises EDatabaseError for the connection's last error, naming the SQL; a
// locked database is reported as such, with the file and the time waited.
[[noreturn]] void RaiseError(sqlite3* handle, const std::string& sql, const std::string& fileName, int busyTimeoutMs);

void Bind(sqlite3_stmt* statement, int index, const TVariant& value);
TVariant Column(sqlite3_stmt* statement, int column);
TFieldType FieldTypeOf(const char* declaredType);

// Resets a statement when the scope ends, so a shared compiled statement never
// keeps a read transaction open, also when a step raises.
class Run {
 public:
  Run(TDatabase& database, sqlite3_stmt* statement);
  ~Run();
  Run(const Run&) = delete;
  Run& operator=(const Run&) = delete;
  // True while a row is there; raises on an error.
  bool Step();
  sqlite3_stmt* get() const { return statement_; }

 private:
  TDatabase& database_;
  sqlite3_stmt* statement_;
};

}  // namespace corvenna::sqlite
