// A host database that lacks a table or a column the library reads: the
// command fails, and its message names that table (and column), not another
// table that merely stayed closed behind it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sqlite3.h>

#include <string>
#include <vector>

#include "LibraryHarness.h"

namespace corvenna::test {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

ProgramRun Host(const std::vector<std::string>& args) {
  std::vector<std::string> command{QUENDALE_HOST_PATH};
  command.insert(command.end(), args.begin(), args.end());
  return RunProgram(command);
}

ProgramRun Retrieve() { return Host({"retrieve"}); }
ProgramRun Avail() { return Host({"avail", "2030-01-01", "2030-01-10"}); }

void Damage(const LibraryHost& host, const std::string& sql) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(host.DatabaseFile().c_str(), &db), SQLITE_OK);
  char* error = nullptr;
  const int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error);
  const std::string message = error != nullptr ? error : "";
  sqlite3_free(error);
  sqlite3_close(db);
  ASSERT_EQ(rc, SQLITE_OK) << message;
}

// The indexes on the column go first: SQLite drops no indexed column.
void DropColumn(const LibraryHost& host, const std::string& table, const std::string& column) {
  const std::vector<std::pair<std::string, std::string>> indexes{
      {"GuestName", "DROP INDEX GuestName_Names;"}, {"RoomType", "DROP INDEX RoomType_RoomType;"}};
  std::string sql;
  for (const auto& [indexed, drop] : indexes)
    if (indexed == table) sql += drop;
  Damage(host, sql + "ALTER TABLE \"" + table + "\" DROP COLUMN \"" + column + "\"");
}

TEST(DamagedHostDatabaseTest, EachMissingTableIsNamedAndTheRetrievalSendsNothing) {
  const struct {
    const char* table;
    bool availReadsIt;
  } cases[] = {{"Occupancy", true},  {"OccInventory", true}, {"RoomType", true},    {"GuestName", false},
               {"GuestData", false}, {"Group", false},       {"GuestNotes", false}, {"OtaResponse", false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.table);
    LibraryHost host;
    Damage(host, std::string("DROP TABLE \"") + c.table + "\"");
    const std::string named = std::string("Table '") + c.table + "' not found in database '" +
                              host.DatabaseFile().string() + "'";

    const ProgramRun retrieve = Retrieve();
    EXPECT_EQ(retrieve.exitCode, 1);
    EXPECT_EQ(retrieve.out, "-1\n");
    EXPECT_THAT(retrieve.err, HasSubstr("CorvennaBookingRetrival failed: " + named));
    EXPECT_THAT(retrieve.err, Not(HasSubstr("closed dataset")));
    EXPECT_TRUE(host.BodiesOf("OTA_ReadRQ").empty()) << "a read whose bookings cannot be stored";

    const ProgramRun avail = Avail();
    if (c.availReadsIt) {
      EXPECT_EQ(avail.exitCode, 1);
      EXPECT_THAT(avail.err, HasSubstr("CorvennaAvailUpdate failed: " + named));
      EXPECT_TRUE(host.BodiesOf("OTA_HotelAvailNotifRQ").empty());
    } else {
      EXPECT_EQ(avail.exitCode, 0) << avail.err;
      EXPECT_EQ(host.BodiesOf("OTA_HotelAvailNotifRQ").size(), 1u);
    }
  }
}

TEST(DamagedHostDatabaseTest, AMissingColumnIsNamedWithItsTable) {
  enum class Export { Retrieve, Avail };
  const struct {
    const char* table;
    const char* column;
    Export reader;
  } cases[] = {
      {"GuestData", "TravelBookingNo", Export::Retrieve},  // a field of the open table
      {"GuestData", "Cancelled", Export::Retrieve},        // a query's SQL
      {"GuestName", "Email", Export::Retrieve},
      {"Occupancy", "Type1Available", Export::Retrieve},
      {"RoomType", "RoomSortNo", Export::Retrieve},
      {"OtaResponse", "Valid", Export::Retrieve},
      {"RoomType", "CalOccupancy", Export::Avail},
      {"OccInventory", "Available", Export::Avail},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.table) + "." + c.column);
    LibraryHost host;
    DropColumn(host, c.table, c.column);
    const ProgramRun run = c.reader == Export::Retrieve ? Retrieve() : Avail();
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_THAT(run.err, HasSubstr(std::string("Table '") + c.table + "' in database '" +
                                   host.DatabaseFile().string() + "' has no column '" + c.column + "'"));
  }
}

TEST(DamagedHostDatabaseTest, AMissingDatabaseFileIsNamedByBothExports) {
  LibraryHost host(false);
  const std::string named = "Cannot open database file '" + host.DatabaseFile().string() + "'";
  const ProgramRun retrieve = Retrieve();
  EXPECT_EQ(retrieve.exitCode, 1);
  EXPECT_THAT(retrieve.err, HasSubstr("CorvennaBookingRetrival failed: " + named));
  const ProgramRun avail = Avail();
  EXPECT_EQ(avail.exitCode, 1);
  EXPECT_THAT(avail.err, HasSubstr("CorvennaAvailUpdate failed: " + named));
  EXPECT_TRUE(host.sim->Received().empty());
}

}  // namespace
}  // namespace corvenna::test
