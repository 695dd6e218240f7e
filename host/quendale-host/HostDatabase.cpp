#include "HostDatabase.h"

#include <sqlite3.h>

#include <memory>
#include <string>

#include "HostError.h"

namespace quendale {
namespace fs = std::filesystem;

namespace {

struct Closer {
  void operator()(sqlite3* db) const { sqlite3_close(db); }
};
struct Finalizer {
  void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using Connection = std::unique_ptr<sqlite3, Closer>;
using Statement = std::unique_ptr<sqlite3_stmt, Finalizer>;

[[noreturn]] void Fail(const fs::path& file, sqlite3* db, const std::string& what) {
  throw HostError("cannot create the host database '" + file.string() + "': " + what + ": " +
                  (db ? sqlite3_errmsg(db) : "out of memory"));
}

Connection Open(const fs::path& file) {
  sqlite3* raw = nullptr;
  const int result = sqlite3_open_v2(file.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
  Connection db(raw);
  if (result != SQLITE_OK) Fail(file, raw, "open");
  return db;
}

void Execute(const fs::path& file, sqlite3* db, const std::string& sql) {
  if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) Fail(file, db, "SQL");
}

void InsertRooms(const fs::path& file, sqlite3* db, const std::vector<SampleRoom>& rooms) {
  const char* sql =
      "INSERT INTO \"RoomType\" (\"RoomNo\", \"RoomType\", \"CalOccupancy\", \"RoomSortNo\", \"DoubleRate\") "
      "VALUES (?1, ?2, 'Y', ?3, ?4)";
  sqlite3_stmt* raw = nullptr;
  if (sqlite3_prepare_v2(db, sql, -1, &raw, nullptr) != SQLITE_OK) Fail(file, db, "rooms");
  Statement insert(raw);
  for (const SampleRoom& room : rooms) {
    sqlite3_reset(insert.get());
    sqlite3_bind_text(insert.get(), 1, room.roomNo.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_int(insert.get(), 2, room.roomType);
    sqlite3_bind_text(insert.get(), 3, room.sortNo.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_double(insert.get(), 4, room.doubleRate);
    if (sqlite3_step(insert.get()) != SQLITE_DONE) Fail(file, db, "room " + room.roomNo);
  }
}

}  // namespace

void RemoveHostDatabase(const fs::path& file) {
  for (const char* suffix : {"", "-wal", "-shm", "-journal"}) {
    std::error_code error;
    fs::remove(file.string() + suffix, error);
    if (error) throw HostError("cannot remove '" + file.string() + suffix + "': " + error.message());
  }
}

void CreateHostDatabase(const fs::path& file, std::string_view schema, const std::vector<SampleRoom>& rooms) {
  const fs::path building = file.string() + ".new";
  RemoveHostDatabase(building);
  try {
    {
      Connection db = Open(building);
      Execute(building, db.get(), "BEGIN");
      Execute(building, db.get(), std::string(schema));
      InsertRooms(building, db.get(), rooms);
      Execute(building, db.get(), "COMMIT");
    }
    std::error_code error;
    fs::rename(building, file, error);
    if (error) throw HostError("cannot create the host database '" + file.string() + "': " + error.message());
  } catch (...) {
    std::error_code ignored;
    fs::remove(building, ignored);
    throw;
  }
}

}  // namespace quendale
