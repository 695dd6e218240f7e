#include "support/HostDatabaseFixture.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace corvenna::test {

namespace {

std::string SchemaText() {
  std::ifstream in(CORVENNA_SCHEMA_SQL);
  if (!in) throw std::runtime_error(std::string("Cannot read the host schema ") + CORVENNA_SCHEMA_SQL);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string FixtureAlias() {
  static int counter = 0;
  return "HostFixture" + std::to_string(++counter);
}

TVariant Optional(const std::optional<int32_t>& value) { return value ? TVariant(*value) : TVariant(); }

}  // namespace

HostDatabaseFixture::HostDatabaseFixture(const std::filesystem::path& folder, const std::string& fileName)
    : path_(folder / fileName) {
  std::filesystem::create_directories(folder);
  if (std::filesystem::exists(path_)) throw std::runtime_error("Host database already exists: " + path_.string());
  // SQLite takes an empty file for an empty database; the library itself never creates one.
  std::ofstream(path_).close();
  database_ = std::make_unique<TDatabase>(FixtureAlias());
  database_->SetDatabaseFileName(path_.string());
  database_->Open();
  // The fixture's own writes need no durability; the library's connection keeps its own setting.
  database_->Execute("PRAGMA synchronous=OFF");
  database_->Execute("BEGIN; " + SchemaText() + "; COMMIT");
}

HostDatabaseFixture::~HostDatabaseFixture() = default;

void HostDatabaseFixture::Exec(const std::string& sql) { database_->Execute(sql); }

std::vector<std::vector<TVariant>> HostDatabaseFixture::Rows(const std::string& sql,
                                                             const std::map<std::string, TVariant>& params) {
  TQuery query;
  query.SetDatabaseName(database_->DatabaseName());
  query.SQL().Add(sql);
  for (const auto& [name, value] : params) query.ParamByName(name).SetValue(value);
  query.Open();
  std::vector<std::vector<TVariant>> rows;
  for (query.First(); !query.Eof(); query.Next()) {
    std::vector<TVariant> row;
    for (int c = 0; c < query.FieldCount(); ++c) row.push_back(query.Fields(c).Value());
    rows.push_back(std::move(row));
  }
  return rows;
}

int64_t HostDatabaseFixture::Int(const std::string& sql, const std::map<std::string, TVariant>& params) {
  const auto rows = Rows(sql, params);
  if (rows.empty() || rows[0].empty()) return 0;
  const TVariant& value = rows[0][0];
  if (value.kind() == TVariant::Kind::Float) return static_cast<int64_t>(value.real());
  return value.integer();
}

int64_t HostDatabaseFixture::Count(const std::string& table) {
  return Int("SELECT count(*) FROM " + QuoteIdentifier(table));
}

void HostDatabaseFixture::AddRoom(const std::string& roomNo, std::optional<int32_t> type,
                                  std::optional<std::string> calOccupancy, const std::string& sortNo,
                                  std::optional<double> doubleRate) {
  TTable rooms;
  rooms.SetDatabaseName(database_->DatabaseName());
  rooms.SetTableName("RoomType");
  rooms.Open();
  rooms.Append();
  rooms.FieldByName("RoomNo").SetAsString(roomNo);
  rooms.FieldByName("RoomType").SetValue(Optional(type));
  rooms.FieldByName("CalOccupancy").SetValue(calOccupancy ? TVariant(*calOccupancy) : TVariant());
  rooms.FieldByName("RoomSortNo").SetAsString(sortNo);
  rooms.FieldByName("DoubleRate").SetValue(doubleRate ? TVariant(*doubleRate) : TVariant());
  rooms.Post();
}

int64_t HostDatabaseFixture::AddBooking(const BookingRow& row) {
  TTable bookings;
  bookings.SetDatabaseName(database_->DatabaseName());
  bookings.SetTableName("GuestData");
  bookings.Open();
  bookings.Append();
  if (row.guestId) bookings.FieldByName("GuestID").SetAsInteger(*row.guestId);
  bookings.FieldByName("GuestCode").SetAsString(row.guestCode);
  bookings.FieldByName("BookingDate").SetAsDateTime(row.bookingDate);
  bookings.FieldByName("ArrivalDate").SetAsDateTime(row.arrival);
  bookings.FieldByName("DepartureDate").SetAsDateTime(row.departure);
  bookings.FieldByName("RoomNumber").SetAsString(row.roomNumber);
  bookings.FieldByName("Gurantee").SetAsInteger(row.gurantee);
  bookings.FieldByName("NoNights").SetAsInteger(DaysBetween(row.arrival, row.departure));
  bookings.FieldByName("Cancelled").SetValue(row.cancelled ? TVariant(*row.cancelled) : TVariant());
  bookings.Post();
  return bookings.FieldByName("GuestID").AsLargeInt();
}

int64_t HostDatabaseFixture::AddBooking(const std::string& roomNumber, TDateTime arrival, TDateTime departure,
                                        std::optional<bool> cancelled) {
  BookingRow row;
  row.roomNumber = roomNumber;
  row.arrival = arrival;
  row.departure = departure;
  row.cancelled = cancelled;
  return AddBooking(row);
}

void HostDatabaseFixture::AddOccupancy(const OccupancyRow& row) {
  TTable nights;
  nights.SetDatabaseName(database_->DatabaseName());
  nights.SetTableName("Occupancy");
  nights.Open();
  nights.Append();
  nights.FieldByName("OccDate").SetAsDateTime(row.day);
  nights.FieldByName("RoomsOccupied").SetValue(Optional(row.roomsOccupied));
  nights.FieldByName("RoomsAvailable").SetValue(Optional(row.roomsAvailable));
  for (const auto& [type, count] : row.occupied)
    nights.FieldByName("Type" + std::to_string(type) + "Occupied").SetAsInteger(count);
  for (const auto& [type, count] : row.available)
    nights.FieldByName("Type" + std::to_string(type) + "Available").SetAsInteger(count);
  nights.Post();
}

std::map<std::string, TVariant> HostDatabaseFixture::OccupancyOn(TDateTime day) {
  TQuery query;
  query.SetDatabaseName(database_->DatabaseName());
  query.SQL().Add("SELECT * FROM Occupancy WHERE OccDate = :Day");
  query.ParamByName("Day").SetAsDateTime(day);
  query.Open();
  std::map<std::string, TVariant> fields;
  if (query.IsEmpty()) return fields;
  for (int c = 0; c < query.FieldCount(); ++c) fields[query.Fields(c).FieldName()] = query.Fields(c).Value();
  return fields;
}

}  // namespace corvenna::test
