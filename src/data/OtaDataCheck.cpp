#include "data/OtaDataCheck.h"

#include <array>
#include <optional>

#include "data/OtaDataModule.h"
#include "data/OtaGfgIni.h"

namespace corvenna {

namespace {

int32_t totalRooms = 0;
std::array<int32_t, 17> typeRooms{};

// The counts kept under a TRoomCountHold, and the data version they were taken at.
struct THeldCounts {
  bool open = false;
  bool counted = false;
  int64_t dataVersion = 0;
};
THeldCounts held;

bool IsHostRoomType(int32_t type) { return type >= 1 && type <= 16; }

std::string OccupiedField(int type) { return "Type" + std::to_string(type) + "Occupied"; }
std::string AvailableField(int type) { return "Type" + std::to_string(type) + "Available"; }

// The Occupancy fields a night is written through, looked up once per update.
struct TNightFields {
  explicit TNightFields(TTable& occupancy)
      : occDate(occupancy.FieldByName("OccDate")),
        roomsOccupied(occupancy.FieldByName("RoomsOccupied")),
        roomsAvailable(occupancy.FieldByName("RoomsAvailable")),
        companyCode(occupancy.FieldByName("CompanyCode")) {
    for (int k = 1; k <= 16; ++k) {
      occupied[static_cast<size_t>(k)] = &occupancy.FieldByName(OccupiedField(k));
      available[static_cast<size_t>(k)] = &occupancy.FieldByName(AvailableField(k));
    }
  }
  TField& Occupied(int type) const { return *occupied[static_cast<size_t>(type)]; }
  TField& Available(int type) const { return *available[static_cast<size_t>(type)]; }

  TField& occDate;
  TField& roomsOccupied;
  TField& roomsAvailable;
  TField& companyCode;
  std::array<TField*, 17> occupied{};
  std::array<TField*, 17> available{};
};

bool Overlaps(TDateTime arrival, TDateTime departure, TDateTime firstDay, TDateTime lastDay) {
  auto before = [](TDateTime a, TDateTime b) { return CompareDateByDay(a, b) < 0; };
  if (before(arrival, firstDay) && before(firstDay, departure)) return true;
  if (before(arrival, lastDay) && before(lastDay, departure)) return true;
  return !before(arrival, firstDay) && before(arrival, lastDay);
}

void AddToNight(TTable& occupancy, const TNightFields& fields, int32_t type, int delta) {
  occupancy.Edit();
  fields.roomsOccupied.SetAsInteger(fields.roomsOccupied.AsInteger() + delta);
  if (IsHostRoomType(type)) fields.Occupied(type).SetAsInteger(fields.Occupied(type).AsInteger() + delta);
  fields.roomsAvailable.SetAsInteger(totalRooms - fields.roomsOccupied.AsInteger());
  for (int k = 1; k <= 16; ++k)
    fields.Available(k).SetAsInteger(typeRooms[static_cast<size_t>(k)] - fields.Occupied(k).AsInteger());
  occupancy.Post();
  if (fields.roomsOccupied.AsInteger() == 0) occupancy.Delete();
}

void InsertFirstNight(TTable& occupancy, const TNightFields& fields, TDateTime day, int32_t type) {
  occupancy.Insert();
  fields.occDate.SetAsDateTime(day);
  fields.roomsOccupied.SetAsInteger(1);
  fields.roomsAvailable.SetAsInteger(totalRooms - 1);
  for (int k = 1; k <= 16; ++k) fields.Available(k).SetAsInteger(typeRooms[static_cast<size_t>(k)]);
  if (IsHostRoomType(type)) {
    fields.Occupied(type).SetAsInteger(1);
    fields.Available(type).SetAsInteger(typeRooms[static_cast<size_t>(type)] - 1);
  }
  fields.companyCode.SetAsString("");
  occupancy.Post();
}

// Inside the transaction: no other connection can commit between the check
// and the nights written.
void CountRoomsForUpdate(TDatabase& database) {
  if (!held.open) {
    CountRoomsByType();
    return;
  }
  const int64_t version = database.DataVersion();
  if (held.counted && held.dataVersion == version) return;
  CountRoomsByType();
  held.counted = true;
  held.dataVersion = version;
}

}  // namespace

TRoomCountHold::TRoomCountHold() : outermost_(!held.open) {
  if (outermost_) held = THeldCounts{true, false, 0};
}

TRoomCountHold::~TRoomCountHold() {
  if (outermost_) held = THeldCounts{};
}

int32_t TotalRooms() { return totalRooms; }

int32_t TypeRooms(int type) { return IsHostRoomType(type) ? typeRooms[static_cast<size_t>(type)] : 0; }

bool RoomIsBooked(const std::string& roomNumber, int32_t guestId, TDateTime firstDay, TDateTime lastDay) {
  const int32_t maxNoNights = ReadMaxNoNights();
  TQuery& query = DM().qryGuestData;
  query.Close();
  query.SQL().Clear();
  query.SQL().Add("Select distinct GD.GuestID, GD.RoomNumber, GD.ArrivalDate, GD.DepartureDate from GuestData GD ");
  query.SQL().Add("Where RoomNumber = :RoomNo ");
  query.SQL().Add("and ArrivalDate > :ArriveDate");
  query.SQL().Add("And (GD.Cancelled is NOT TRUE ");
  query.SQL().Add("Or GD.Cancelled is NULL );");
  query.Prepare();
  query.ParamByName("RoomNo").SetAsString(roomNumber);
  query.ParamByName("ArriveDate").SetAsDate(IncDay(firstDay, -maxNoNights));
  query.Open();
  query.First();
  query.DisableControls();
  bool booked = false;
  while (!booked && !query.Eof()) {
    const std::string room = query.FieldByName("RoomNumber").AsString();
    const TDateTime arrival = query.FieldByName("ArrivalDate").AsDateTime();
    const TDateTime departure = query.FieldByName("DepartureDate").AsDateTime();
    const int32_t id = query.FieldByName("GuestID").AsInteger();
    booked = id != guestId && room == roomNumber && Overlaps(arrival, departure, firstDay, lastDay);
    query.Next();
  }
  query.EnableControls();
  query.Close();
  return booked;
}

void CountRoomsByType() {
  totalRooms = 0;
  typeRooms.fill(0);
  TQuery& query = DM().qryRoomType;
  query.Close();
  query.SQL().Clear();
  // One pass over the rooms beats walking the RoomType index with a row look-up each.
  query.SQL().Add("Select RT.RoomType, Count(*) as Rooms from RoomType RT not indexed");
  // A room without a number can be booked by no one: it is no room.
  query.SQL().Add("Where (RT.CalOccupancy <> :CallOcc) and (RT.RoomNo <> '')");
  query.SQL().Add("Group by RT.RoomType");
  query.Prepare();
  query.ParamByName("CallOcc").SetAsString("N");
  query.Open();
  for (query.First(); !query.Eof(); query.Next()) {
    TField& roomType = query.FieldByName("RoomType");
    const int32_t type = roomType.IsNull() ? 1 : roomType.AsInteger();
    const int32_t rooms = query.FieldByName("Rooms").AsInteger();
    if (IsHostRoomType(type)) typeRooms[static_cast<size_t>(type)] += rooms;
    totalRooms += rooms;
  }
  query.Close();
}

void UpdateOccupancy(const std::string& roomNumber, bool add, TDateTime firstDay, TDateTime lastDay) {
  TDM& dm = DM();
  TTransaction transaction(dm.Quendale);
  try {
    CountRoomsForUpdate(dm.Quendale);
    // A room the hotel does not have is counted against no other room.
    if (!dm.tblRoomType.Locate("RoomNo", {roomNumber})) return;
    if (dm.tblRoomType.FieldByName("CalOccupancy").AsString() == "N") return;
    const int32_t type = dm.tblRoomType.FieldByName("RoomType").AsInteger();
    int nights = DaysBetween(firstDay, lastDay);
    if (nights < 1) nights = 1;
    TTable& occupancy = dm.tblOccupancy;
    std::optional<TNightFields> fields;
    for (int i = 0; i < nights; ++i) {
      const TDateTime day = IncDay(firstDay, i);
      const bool known = occupancy.Locate("OccDate", {day});
      if (!fields) fields.emplace(occupancy);
      if (known)
        AddToNight(occupancy, *fields, type, add ? 1 : -1);
      else if (add)
        InsertFirstNight(occupancy, *fields, day, type);
    }
    transaction.Commit();
  } catch (...) {
    dm.tblOccupancy.Cancel();
    throw;
  }
}

}  // namespace corvenna
