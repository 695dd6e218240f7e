#include "exchange/ImportRecord.h"

#include "data/OtaDataModule.h"
#include "exchange/HostQuery.h"
#include "platform/Dataset.h"
#include "platform/Errors.h"
#include "platform/Text.h"

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
    "  \"ImportDate\" REAL DATETIME,\n"
    "  \"StayDigest\" TEXT,\n"
    "  \"ReservationDigest\" TEXT\n"
    ")";
// Rows of the versions before a digest keep it NULL.
constexpr const char* AddDigestColumn = "ALTER TABLE \"OtaImport\" ADD COLUMN \"StayDigest\" TEXT";
constexpr const char* AddReservationDigestColumn =
    "ALTER TABLE \"OtaImport\" ADD COLUMN \"ReservationDigest\" TEXT";
constexpr const char* CreateKeyIndex =
    "CREATE UNIQUE INDEX IF NOT EXISTS \"OtaImport_Key\" "
    "ON \"OtaImport\" (\"ChannelID\", \"TravelAgent\", \"TravelBookingNo\", \"StayNo\")";

struct TSchemaState {
  bool table = false;
  bool index = false;
  bool digest = false;
  bool reservationDigest = false;
};

TSchemaState ReadSchemaState() {
  THostQuery query({"Select (Select count(*) from sqlite_master Where type = 'table' and name = 'OtaImport') as HasTable,",
                    " (Select count(*) from sqlite_master Where type = 'index' and name = 'OtaImport_Key') as HasIndex,",
                    " (Select count(*) from pragma_table_info('OtaImport') Where name = 'StayDigest') as HasDigest,",
                    " (Select count(*) from pragma_table_info('OtaImport') Where name = 'ReservationDigest')",
                    "   as HasReservationDigest"});
  query->Open();
  return TSchemaState{query->FieldByName("HasTable").AsInteger() > 0, query->FieldByName("HasIndex").AsInteger() > 0,
                      query->FieldByName("HasDigest").AsInteger() > 0,
                      query->FieldByName("HasReservationDigest").AsInteger() > 0};
}

// A channel id names the reservation by itself; agent and booking number
// stay out of its key so that either form is looked up the same way.
void BindReservation(TQuery& query, const TStayKey& key) {
  const bool byChannel = !key.channelId.empty();
  query.ParamByName("ChannelID").SetAsString(key.channelId);
  query.ParamByName("Agent").SetAsString(byChannel ? std::string() : key.travelAgent);
  query.ParamByName("BookingNo").SetAsString(byChannel ? std::string() : key.travelBookingNo);
}

std::optional<std::string> TextOrNone(TField& field) {
  return field.IsNull() ? std::nullopt : std::optional<std::string>(field.AsString());
}

}  // namespace

void EnsureImportRecord() {
  // All present: nothing to write, also on a database opened read-only.
  const TSchemaState state = ReadSchemaState();
  if (state.table && state.index && state.digest && state.reservationDigest) return;
  TTransaction transaction(DM().Quendale);
  DM().Quendale.Execute(CreateTable);
  if (state.table && !state.digest) DM().Quendale.Execute(AddDigestColumn);
  if (state.table && !state.reservationDigest) DM().Quendale.Execute(AddReservationDigestColumn);
  DM().Quendale.Execute(CreateKeyIndex);
  transaction.Commit();
}

namespace {

// 64-bit FNV-1a over each value behind its length, so that no two lists of
// values run together into the same bytes.
template <typename Values>
std::string DigestOf(const Values& values) {
  uint64_t hash = 0xcbf29ce484222325ULL;
  const auto add = [&hash](std::string_view bytes) {
    for (const char c : bytes) {
      hash ^= static_cast<unsigned char>(c);
      hash *= 0x100000001b3ULL;
    }
  };
  for (const std::string_view value : values) {
    add(IntToStr(static_cast<int64_t>(value.size())) + ":");
    add(value);
  }
  return Format("%016llx", static_cast<unsigned long long>(hash));
}

}  // namespace

std::string StayDigest(std::initializer_list<std::string_view> values) { return DigestOf(values); }

std::string StayDigest(const std::vector<std::string>& values) { return DigestOf(values); }

std::vector<TRecordedStay> FindRecordedReservation(const TStayKey& key) {
  std::vector<TRecordedStay> stays;
  if (key.Empty()) return stays;
  THostQuery query({"Select StayNo, GuestID, ArrivalDate, DepartureDate, RoomTypeCode, StayDigest, ReservationDigest",
                    " from OtaImport Where ChannelID = :ChannelID and TravelAgent = :Agent",
                    " and TravelBookingNo = :BookingNo Order by StayNo"});
  BindReservation(*query, key);
  query->Open();
  for (query->First(); !query->Eof(); query->Next())
    stays.push_back(TRecordedStay{query->FieldByName("StayNo").AsInteger(), query->FieldByName("GuestID").AsInteger(),
                                  query->FieldByName("ArrivalDate").AsDateTime(),
                                  query->FieldByName("DepartureDate").AsDateTime(),
                                  query->FieldByName("RoomTypeCode").AsString(),
                                  TextOrNone(query->FieldByName("StayDigest")),
                                  TextOrNone(query->FieldByName("ReservationDigest"))});
  return stays;
}

void RecordStay(const TStayKey& key, const TRecordedStay& stay, TDateTime importDate) {
  THostQuery query({"Insert into OtaImport (ChannelID, TravelAgent, TravelBookingNo, StayNo, GuestID,",
                    " ArrivalDate, DepartureDate, RoomTypeCode, ImportDate, StayDigest, ReservationDigest)",
                    "Values (:ChannelID, :Agent, :BookingNo, :StayNo, :GuestID,",
                    " :Arrival, :Departure, :RoomTypeCode, :ImportDate, :StayDigest, :ReservationDigest)"});
  BindReservation(*query, key);
  query->ParamByName("StayNo").SetAsInteger(key.stayNo);
  query->ParamByName("GuestID").SetAsInteger(stay.guestId);
  query->ParamByName("Arrival").SetAsDateTime(stay.arrival);
  query->ParamByName("Departure").SetAsDateTime(stay.departure);
  query->ParamByName("RoomTypeCode").SetAsString(stay.roomTypeCode);
  query->ParamByName("ImportDate").SetAsDateTime(importDate);
  query->ParamByName("StayDigest").SetAsString(stay.digest.value_or(std::string()));
  query->ParamByName("ReservationDigest").SetAsString(stay.reservationDigest.value_or(std::string()));
  query->ExecSQL();
}

}  // namespace corvenna
