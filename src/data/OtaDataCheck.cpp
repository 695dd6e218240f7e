#include "data/OtaDataCheck.h"

#include <array>

#include "data/OtaDataModule.h"
#include "data/OtaGfgIni.h"

namespace corvenna {

namespace {

int32_t totalRooms = 0;
std::array<int32_t, 17> typeRooms{};

bool IsHostRoomType(int32_t type) { return type >= 1 && type <= 16; }

std::string OccupiedField(int type) { return "Type" + std::to_string(type) + "Occupied"; }
std::string AvailableField(int type) { return "Type" + std::to_string(type) + "Available"; }

bool Overlaps(TDateTime arrival, TDateTime departure, TDateTime firstDay, TDateTime lastDay) {
  auto before = [](TDateTime a, TDateTime b) { return CompareDateByDay(a, b) < 0; };
  if (before(arrival, firstDay) && before(firstDay, departure)) return true;
  if (before(arrival, lastDay) && before(lastDay, departure)) return true;
  return !before(arrival, firstDay) && before(arrival, lastDay);
}

void AddToNight(TTable& occupancy, int32_t type, int delta) {
  occupancy.Edit();
  TField& occupied = occupancy.FieldByName("RoomsOccupied");
  occupied.SetAsInteger(occupied.AsInteger() + delta);
  if (IsHostRoomType(type)) {
    TField& typeOccupied = occupancy.FieldByName(OccupiedField(type));
    typeOccupied.SetAsInteger(typeOccupied.AsInteger() + delta);
  }
  occupancy.FieldByName("RoomsAvailable").SetAsInteger(totalRooms - occupied.AsInteger());
  for (int k = 1; k <= 16; ++k)
    occupancy.FieldByName(AvailableField(k))
        .SetAsInteger(typeRooms[static_cast<size_t>(k)] - occupancy.FieldByName(OccupiedField(k)).AsInteger());
  occupancy.Post();
  if (occupancy.FieldByName("RoomsOccupied").AsInteger() == 0) occupancy.Delete();
}

void InsertFirstNight(TTable& occupancy, TDateTime day, int32_t type) {
  occupancy.Insert();
  occupancy.FieldByName("OccDate").SetAsDateTime(day);
  occupancy.FieldByName("RoomsOccupied").SetAsInteger(1);
  occupancy.FieldByName("RoomsAvailable").SetAsInteger(totalRooms - 1);
  for (int k = 1; k <= 16; ++k)
    occupancy.FieldByName(AvailableField(k)).SetAsInteger(typeRooms[static_cast<size_t>(k)]);
  if (IsHostRoomType(type)) {
    occupancy.FieldByName(OccupiedField(type)).SetAsInteger(1);
    occupancy.FieldByName(AvailableField(type)).SetAsInteger(typeRooms[static_cast<size_t>(type)] - 1);
  }
  occupancy.FieldByName("CompanyCode").SetAsString("");
  occupancy.Post();
}

}  // namespace

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
  query.SQL().Add("Select * from RoomType RT");
  query.SQL().Add("Where (RT.CalOccupancy <> :CallOcc)");
  query.Prepare();
  query.ParamByName("CallOcc").SetAsString("N");
  query.Open();
  query.First();
  while (!query.Eof()) {
    TField& roomType = query.FieldByName("RoomType");
    const int32_t type = roomType.IsNull() ? 1 : roomType.AsInteger();
    if (IsHostRoomType(type)) ++typeRooms[static_cast<size_t>(type)];
    ++totalRooms;
    query.Next();
  }
  query.Close();
}

void UpdateOccupancy(const std::string& roomNumber, bool add, TDateTime firstDay, TDateTime lastDay) {
  TDM& dm = DM();
  TTransaction transaction(dm.Quendale);
  try {
    CountRoomsByType();
    // A room the hotel does not have is counted against no other room.
    if (!dm.tblRoomType.Locate("RoomNo", {roomNumber})) return;
    if (dm.tblRoomType.FieldByName("CalOccupancy").AsString() == "N") return;
    const int32_t type = dm.tblRoomType.FieldByName("RoomType").AsInteger();
    int nights = DaysBetween(firstDay, lastDay);
    if (nights < 1) nights = 1;
    TTable& occupancy = dm.tblOccupancy;
    for (int i = 0; i < nights; ++i) {
      const TDateTime day = IncDay(firstDay, i);
      if (occupancy.Locate("OccDate", {day}))
        AddToNight(occupancy, type, add ? 1 : -1);
      else if (add)
        InsertFirstNight(occupancy, day, type);
    }
    transaction.Commit();
  } catch (...) {
    dm.tblOccupancy.Cancel();
    throw;
  }
}

}  // namespace corvenna
