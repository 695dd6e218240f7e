#include "data/OtaOpenTables.h"

#include <array>

#include "data/OtaDataModule.h"
#include "data/OtaGfgIni.h"

namespace corvenna {

std::string HostDatabaseAlias(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  const std::string fileName = slash == std::string::npos ? path : path.substr(slash + 1);
  const size_t dot = fileName.find('.');
  return (dot == std::string::npos ? std::string() : fileName.substr(0, dot)) + "Ota";
}

namespace {

std::array<TTable*, 8> HostTables(TDM& dm) {
  return {&dm.tblOccupancy, &dm.tblOccInventory, &dm.tblRoomType, &dm.tblGuestName,
          &dm.tblGuestData, &dm.tblGroup,        &dm.tblGuestNotes, &dm.tblOtaResponse};
}

// A table left closed by a failure raises that failure when it is used, not
// a "closed dataset" that names the wrong table.
void NoteOnClosedTables(TDM& dm, const std::string& why) {
  for (TTable* table : HostTables(dm)) table->NoteOpenFailure(why);
}

// Using a closed table raises the failure that kept it closed.
void RequireActive(TTable& table) {
  if (!table.Active()) table.First();
}

}  // namespace

void OpenHostDatabase() {
  TDM& dm = DM();
  try {
    const std::string folder = ReadDataDir();
    const std::string fileName = ReadDataBaseFileName();
    const std::string path = folder + "/" + fileName;
    dm.Quendale.SetConnected(false);
    dm.Quendale.SetDatabaseFileName(path);
    const std::string alias = HostDatabaseAlias(path);
    SetDatabaseNames(alias);
    dm.Quendale.SetDatabaseName(alias);
    dm.Quendale.SetConnected(true);
  } catch (const std::exception& error) {
    NoteOnClosedTables(dm, error.what());
    throw;
  }
}

void SetDatabaseNames(const std::string& alias) {
  TDM& dm = DM();
  for (TDataSet* dataset : {static_cast<TDataSet*>(&dm.tblOccInventory), static_cast<TDataSet*>(&dm.tblOccupancy),
                            static_cast<TDataSet*>(&dm.tblRoomType), static_cast<TDataSet*>(&dm.tblGuestName),
                            static_cast<TDataSet*>(&dm.tblGuestData), static_cast<TDataSet*>(&dm.tblGroup),
                            static_cast<TDataSet*>(&dm.tblGuestNotes), static_cast<TDataSet*>(&dm.tblOtaResponse),
                            static_cast<TDataSet*>(&dm.qryOccupancy), static_cast<TDataSet*>(&dm.qryRoomType),
                            static_cast<TDataSet*>(&dm.qryGuestData), static_cast<TDataSet*>(&dm.qryGuestName)})
    dataset->SetDatabaseName(alias);
}

void SetTablesActive(bool active) {
  TDM& dm = DM();
  try {
    for (TTable* table : HostTables(dm)) table->SetActive(active);
  } catch (const std::exception& error) {
    if (active) NoteOnClosedTables(dm, error.what());
    throw;
  }
}

void RequireTablesActive() {
  for (TTable* table : HostTables(DM())) RequireActive(*table);
}

namespace {

using TRoomCounts = std::array<int32_t, 17>;

TRoomCounts CountChannelRooms(TTable& rooms) {
  TRoomCounts counts{};
  rooms.DisableControls();
  rooms.First();
  while (!rooms.Eof()) {
    // A room without a number is never booked, so it is never offered.
    if (rooms.FieldByName("CalOccupancy").AsString() != "N" && !rooms.FieldByName("RoomNo").AsString().empty()) {
      const int32_t type = rooms.FieldByName("RoomType").AsInteger();
      if (type >= 1 && type <= 16) ++counts[static_cast<size_t>(type)];
    }
    rooms.Next();
  }
  rooms.EnableControls();
  return counts;
}

void OpenOccupancyQuery(TQuery& query, TDateTime firstDay, TDateTime lastDay) {
  query.Close();
  query.SQL().Clear();
  query.SQL().Add("Select * from Occupancy");
  query.SQL().Add("Where (OccDate between :ADate and :DDate) ");
  query.ParamByName("ADate").SetAsDate(firstDay);
  query.ParamByName("DDate").SetAsDate(lastDay);
  query.SQL().Add("Order by OccDate");
  query.Open();
  query.First();
}

void OpenChannelRoomTypes(TQuery& query, const char* selectLine) {
  query.Close();
  query.SQL().Clear();
  query.SQL().Add(selectLine);
  query.SQL().Add("Where (CalOccupancy <> :ANo) ");
  query.SQL().Add("and (RoomType <> :AType) ");
  query.ParamByName("ANo").SetAsString("N");
  query.ParamByName("AType").SetAsInteger(17);
  query.SQL().Add("Order by RoomType");
  query.Open();
  query.First();
}

int32_t AvailableOn(TQuery& occupancy, TDateTime day, int type, int32_t roomCount) {
  int32_t value = roomCount;
  if (occupancy.Locate("OccDate", {day})) {
    value = occupancy.FieldByName("Type" + std::to_string(type) + "Available").AsInteger();
    if (value > roomCount) value = roomCount;
  }
  return value < 0 ? 0 : value;
}

// Writes the runs of one room type; returns the last posted ID.
int64_t WriteTypeRuns(TDM& dm, int type, int32_t roomCount, TDateTime firstDay, int days, int64_t lastId) {
  TTable& inventory = dm.tblOccInventory;
  TDateTime runStart = firstDay;
  int32_t previous = 0;
  TDateTime day = firstDay;
  for (int i = 0; i < days; ++i) {
    const int32_t value = AvailableOn(dm.qryOccupancy, day, type, roomCount);
    bool found;
    if (value == previous) {
      found = inventory.Locate("Type;ID", {type, lastId});
    } else {
      previous = value;
      runStart = day;
      found = inventory.Locate("Type;OccToDate", {type, day});
    }
    if (found)
      inventory.Edit();
    else
      inventory.Insert();
    inventory.FieldByName("OccFromDate").SetAsDateTime(runStart);
    inventory.FieldByName("OccToDate").SetAsDateTime(day);
    inventory.FieldByName("Type").SetAsInteger(type);
    inventory.FieldByName("Available").SetAsInteger(previous);
    inventory.Post();
    lastId = inventory.FieldByName("ID").AsLargeInt();
    day = IncDay(day, 1);
  }
  return lastId;
}

}  // namespace

void BuildOccInventory(TDateTime firstDay, TDateTime lastDay) {
  TDM& dm = DM();
  for (TTable* table : {&dm.tblOccupancy, &dm.tblOccInventory, &dm.tblRoomType}) RequireActive(*table);
  TTransaction transaction(dm.Quendale);
  try {
    const TRoomCounts roomCounts = CountChannelRooms(dm.tblRoomType);
    dm.tblOccInventory.Open();
    dm.tblOccInventory.DisableControls();
    dm.tblOccInventory.EmptyTable();
    OpenOccupancyQuery(dm.qryOccupancy, firstDay, lastDay);
    OpenChannelRoomTypes(dm.qryRoomType, "Select distinct RoomType, CalOccupancy from RoomType");
    int64_t lastId = 0;
    const int days = DaysBetween(firstDay, lastDay) + 1;
    for (int type = 1; type <= 16; ++type) {
      if (!dm.qryRoomType.Locate("RoomType", {type})) continue;
      lastId = WriteTypeRuns(dm, type, roomCounts[static_cast<size_t>(type)], firstDay, days, lastId);
    }
    dm.tblOccInventory.EnableControls();
    transaction.Commit();
  } catch (...) {
    dm.tblOccInventory.Cancel();
    throw;
  }
  // The rows walked before the commit may have been replaced: start from the top.
  dm.tblOccInventory.First();
}

void OpenRoomTypeQuery() { OpenChannelRoomTypes(DM().qryRoomType, "Select * from RoomType"); }

}  // namespace corvenna
