#include "exchange/ImportRecord.h"

#include <initializer_list>

#include "data/OtaDataModule.h"
#include "platform/Dataset.h"

namespace corvenna {
namespace {

constexpr const char* CreateTable =
    "CREATE TABLE IF NOT EXISTS \"OtaImport\" (\n"
    "  \"ChannelID\" TEXT NOT NULL,\n"
    "  \"TravelAgent\" TEXT NOT NULL,\n"
    "  \"TravelBookingNo\" TEXT NOT NULL,\n"
    "  \"StayNo\" INTEGER NOT NULL,\n"
    "  \"GuestID\" INTEGER NOT NULL,\n"
    "  \"ArrivalDate\" REAL DATETIME,\n"
    "  \"DepartureDate\" REAL DATETIME,\n"
    "  \"RoomTypeCode\" TEXT,\n"
    "  \"ImportDate\" REAL DATETIME\n"
    ")";
constexpr const char* CreateKeyIndex =
    "CREATE UNIQUE INDEX IF NOT EXISTS \"OtaImport_Key\" "
    "ON \"OtaImport\" (\"ChannelID\", \"TravelAgent\", \"TravelBookingNo\", \"StayNo\")";

// A query on the host database that DM is connected to.
class THostQuery {
 public:
  explicit THostQuery(std::initializer_list<const char*> lines) {
    query_.SetDatabaseName(DM().Quendale.DatabaseName());
    for (const char* line : lines) query_.SQL().Add(line);
    query_.Prepare();
  }
  TQuery& operator*() { return query_; }
  TQuery* operator->() { return &query_; }

 private:
  TQuery query_;
};

int64_t CountSchemaObjects() {
  THostQuery query({"Select count(*) as Found from sqlite_master",
                    "Where (type = 'table' and name = 'OtaImport')",
                    " or (type = 'index' and name = 'OtaImport_Key')"});
  query->Open();
  return query->FieldByName("Found").AsLargeInt();
}

// A channel id names the reservation by itself; agent and booking number
// stay out of its key so that either form is looked up the same way.
void BindKey(TQuery& query, const TStayKey& key) {
  const bool byChannel = !key.channelId.empty();
  query.ParamByName("ChannelID").SetAsString(key.channelId);
  query.ParamByName("Agent").SetAsString(byChannel ? std::string() : key.travelAgent);
  query.ParamByName("BookingNo").SetAsString(byChannel ? std::string() : key.travelBookingNo);
  query.ParamByName("StayNo").SetAsInteger(key.stayNo);
}

}  // namespace

void EnsureImportRecord() {
  // Both present: nothing to write, also on a database opened read-only.
  if (CountSchemaObjects() == 2) return;
  TTransaction transaction(DM().Quendale);
  DM().Quendale.Execute(CreateTable);
  DM().Quendale.Execute(CreateKeyIndex);
  transaction.Commit();
}

std::optional<TRecordedStay> FindRecordedStay(const TStayKey& key) {
  if (key.Empty()) return std::nullopt;
  THostQuery query({"Select GuestID, ArrivalDate, DepartureDate, RoomTypeCode from OtaImport",
                    "Where ChannelID = :ChannelID and TravelAgent = :Agent",
                    " and TravelBookingNo = :BookingNo and StayNo = :StayNo"});
  BindKey(*query, key);
  query->Open();
  if (query->IsEmpty()) return std::nullopt;
  return TRecordedStay{query->FieldByName("GuestID").AsInteger(), query->FieldByName("ArrivalDate").AsDateTime(),
                       query->FieldByName("DepartureDate").AsDateTime(),
                       query->FieldByName("RoomTypeCode").AsString()};
}

void RecordStay(const TStayKey& key, const TRecordedStay& stay, TDateTime importDate) {
  THostQuery query({"Insert into OtaImport (ChannelID, TravelAgent, TravelBookingNo, StayNo, GuestID,",
                    " ArrivalDate, DepartureDate, RoomTypeCode, ImportDate)",
                    "Values (:ChannelID, :Agent, :BookingNo, :StayNo, :GuestID,",
                    " :Arrival, :Departure, :RoomTypeCode, :ImportDate)"});
  BindKey(*query, key);
  query->ParamByName("GuestID").SetAsInteger(stay.guestId);
  query->ParamByName("Arrival").SetAsDateTime(stay.arrival);
  query->ParamByName("Departure").SetAsDateTime(stay.departure);
  query->ParamByName("RoomTypeCode").SetAsString(stay.roomTypeCode);
  query->ParamByName("ImportDate").SetAsDateTime(importDate);
  query->ExecSQL();
}

}  // namespace corvenna
