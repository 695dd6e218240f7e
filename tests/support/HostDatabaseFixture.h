#pragma once
// A host database file made from host/schema.sql in a scratch folder, with
// helpers to seed rooms, bookings and occupancy and to read rows back. It keeps
// its own SQLite connection, like the host program beside the library.
#include <array>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Dataset.h"
#include "platform/DateTime.h"

namespace corvenna::test {

struct BookingRow {
  std::string roomNumber;
  TDateTime arrival = 0;
  TDateTime departure = 0;
  std::optional<bool> cancelled = false;  // nullopt stores NULL
  std::string guestCode = "000001";
  TDateTime bookingDate = 0;
  int32_t gurantee = 9;
  std::optional<int64_t> guestId;  // the database numbers it when empty
};

struct OccupancyRow {
  TDateTime day = 0;
  std::optional<int32_t> roomsOccupied;
  std::optional<int32_t> roomsAvailable;
  std::map<int, int32_t> occupied;   // host room type -> TypeNOccupied
  std::map<int, int32_t> available;  // host room type -> TypeNAvailable
};

class HostDatabaseFixture {
 public:
  // Creates folder/fileName (the folder too) from the schema; raises when it exists.
  explicit HostDatabaseFixture(const std::filesystem::path& folder, const std::string& fileName = "Quendale.abs");
  ~HostDatabaseFixture();
  HostDatabaseFixture(const HostDatabaseFixture&) = delete;
  HostDatabaseFixture& operator=(const HostDatabaseFixture&) = delete;

  const std::filesystem::path& Path() const { return path_; }

  // The fixture's own connection (the host program's, as it were).
  TDatabase& Connection() { return *database_; }
  // Runs SQL on that connection; raises with the SQL on failure.
  void Exec(const std::string& sql);
  // Every row of a query, the values as stored; parameters ":Name" by name.
  std::vector<std::vector<TVariant>> Rows(const std::string& sql, const std::map<std::string, TVariant>& params = {});
  // The first column of the first row as an integer (0 when there is none).
  int64_t Int(const std::string& sql, const std::map<std::string, TVariant>& params = {});
  int64_t Count(const std::string& table);

  // type and calOccupancy as nullopt store NULL.
  void AddRoom(const std::string& roomNo, std::optional<int32_t> type, std::optional<std::string> calOccupancy = "Y",
               const std::string& sortNo = "", std::optional<double> doubleRate = std::nullopt);
  // Returns the booking's GuestID.
  int64_t AddBooking(const BookingRow& row);
  int64_t AddBooking(const std::string& roomNumber, TDateTime arrival, TDateTime departure,
                     std::optional<bool> cancelled = false);
  void AddOccupancy(const OccupancyRow& row);
  // A night's row by OccDate, every field by name (NULL as TVariant()); empty when none.
  std::map<std::string, TVariant> OccupancyOn(TDateTime day);

 private:
  std::filesystem::path path_;
  std::unique_ptr<TDatabase> database_;
};

}  // namespace corvenna::test
