// Saving one parsed room stay: the guest, the group link, the room, the
// booking, its occupancy, its import record and the outcome row, as one
// transaction; or, for a room stay recorded before, only the outcome row.
#include <array>
#include <functional>
#include <map>
#include <optional>

#include "data/OtaDataCheck.h"
#include "data/OtaDataModule.h"
#include "data/OtaGfgIni.h"
#include "exchange/BookingImport.h"
#include "exchange/GuestNumbers.h"
#include "exchange/ImportRecord.h"
#include "exchange/SlotCodes.h"
#include "platform/Dataset.h"
#include "platform/Errors.h"
#include "platform/Text.h"

namespace corvenna {

TGuestNameRec ParsedGuest;
TGuestDataRec ParsedStay;
int32_t NewReservationCount = 0;
int32_t RejectedReservationCount = 0;
int32_t GroupMainGuestID = 0;
std::string GroupMainGivenName;
std::string GroupMainFamilyName;
std::string LastTravelBookingNo;
std::string LastTravelAgent;
TDateTime PrevArrivalDate = 0;

namespace {

inline constexpr int32_t GuaranteeOfImportedBookings = 9;

// What the reply gave for a whole reservation, as its first room stay held it:
// its later room stays arrive with these cleared.
struct TReservationValues {
  TGuestNameRec guest;
  std::string corvennaId, travelTypeId, travelAgent, travelBookingNo, resIdType, resIdValue;
  std::string arrivalTime;  // of the reservation's own first ResGuest, as written
};

// What the import knows beyond the globals, so that a group is only ever
// opened on a booking of this import and a reservation keeps one guest.
struct TImportTrack {
  int32_t prevStoredGuestID = 0;  // booking stored for the room stay just before, in this import
  // A group is open: opened in this import, or the stored group of a stay offered again.
  bool groupOfThisImport = false;
  std::string groupMainGuestCode;
  std::string reservationGuestCode;  // guest of the reservation's earlier room stays
  std::string reservationGivenName;
  std::string reservationFamilyName;
  TStayKey stayKey;  // the reservation's key; stayNo is that of the last room stay saved
  int32_t reservationNo = 0;  // the reservation's place in the reply
  TReservationValues reservation;
};
TImportTrack Track;

// The place in the reply of the reservation each OtaResponse row reports.
std::map<std::string, int32_t> ReplyPositions;

// The settings a save works with, read once per import: nothing changes them
// while one retrieval runs, and reading them anew for every room stay would
// cost more than the save itself.
struct TImportSettings {
  int32_t lastAutoGenNo = 1;
  TDateTime defaultArrival = 0;
  int32_t maxNoNights = 0;
  std::array<std::string, LastSlot + 1> slotCodes;
};
std::optional<TImportSettings> Settings;

const TImportSettings& ImportSettings() {
  if (!Settings) {
    TImportSettings settings;
    settings.lastAutoGenNo = ReadLastAutoGenNo();
    for (int slot = FirstSlot; slot <= LastSlot; ++slot)
      settings.slotCodes[static_cast<size_t>(slot)] = ReadType(slot);
    settings.defaultArrival = ReadDefaultArrival();
    settings.maxNoNights = ReadMaxNoNights();
    Settings = std::move(settings);
  }
  return *Settings;
}

// Everything a failed save must put back, so that nothing in memory claims
// rows that the rollback removed.
struct TImportState {
  TGuestNameRec guest;
  TGuestDataRec stay;
  int32_t newCount, rejectedCount, groupMainGuestID;
  std::string groupMainGivenName, groupMainFamilyName, lastTravelBookingNo, lastTravelAgent;
  TDateTime prevArrivalDate;
  TImportTrack track;
};

TImportState CaptureState() {
  return TImportState{ParsedGuest,         ParsedStay,          NewReservationCount, RejectedReservationCount,
                      GroupMainGuestID,    GroupMainGivenName,  GroupMainFamilyName, LastTravelBookingNo,
                      LastTravelAgent,     PrevArrivalDate,     Track};
}

void RestoreState(const TImportState& state) {
  ParsedGuest = state.guest;
  ParsedStay = state.stay;
  NewReservationCount = state.newCount;
  RejectedReservationCount = state.rejectedCount;
  GroupMainGuestID = state.groupMainGuestID;
  GroupMainGivenName = state.groupMainGivenName;
  GroupMainFamilyName = state.groupMainFamilyName;
  LastTravelBookingNo = state.lastTravelBookingNo;
  LastTravelAgent = state.lastTravelAgent;
  PrevArrivalDate = state.prevArrivalDate;
  Track = state.track;
}

void FillIn(std::string& value, std::string& last) {
  if (!value.empty())
    last = value;
  else
    value = last;
}

bool IsGroupCandidate() { return ParsedStay.ResID_Type.empty() || ParsedStay.ResID_Value.empty(); }

bool CoversPreviousArrival() {
  const TDateTime arrival = ParsedStay.ArrivalDate;
  const TDateTime departure = ParsedStay.DepartureDate;
  if (SameDay(arrival, departure)) return true;
  return CompareDateByDay(arrival, PrevArrivalDate) <= 0 && CompareDateByDay(PrevArrivalDate, departure) <= 0;
}

// A member needs a main booking of this import: an open group of it, or a
// booking stored for the room stay just before.
bool IsGroupMember() {
  if (!IsGroupCandidate() || !CoversPreviousArrival()) return false;
  return Track.groupOfThisImport || Track.prevStoredGuestID != 0;
}

bool GuestPartEmpty() {
  const TGuestNameRec& g = ParsedGuest;
  return g.GivenName.empty() && g.FamilyName.empty() && g.CompName.empty() && g.Address1.empty() &&
         g.Address2.empty() && g.City.empty() && g.State.empty() && g.PhoneNumber.empty() && g.Email.empty() &&
         g.PostCode.empty() && g.Country.empty();
}

// The first member marks the booking before it as the group's main booking.
std::string JoinGroup() {
  if (!Track.groupOfThisImport) {
    TTable& bookings = DM().tblGuestData;
    if (!bookings.Locate("GuestID", {static_cast<int64_t>(Track.prevStoredGuestID)}))
      throw EDatabaseError(Format("The group's main booking %d is missing from table 'GuestData'",
                                  Track.prevStoredGuestID));
    GroupMainGuestID = Track.prevStoredGuestID;
    bookings.Edit();
    bookings.FieldByName("GuestGroup").SetAsInteger(GroupMainGuestID);
    bookings.Post();
    Track.groupMainGuestCode = bookings.FieldByName("GuestCode").AsString();
    Track.groupOfThisImport = true;
  }
  return Track.groupMainGuestCode;
}

std::string AppendGuest(int32_t lastAutoGenNo) {
  const int64_t number = FirstFreeGuestNumber(lastAutoGenNo);
  const std::string code = GuestCodeText(number);
  const TGuestNameRec& g = ParsedGuest;
  TTable& guests = DM().tblGuestName;
  guests.Append();
  guests.FieldByName("GuestCode").SetAsString(code);
  guests.FieldByName("GivenName").SetAsString(g.GivenName);
  guests.FieldByName("FamilyName").SetAsString(g.FamilyName);
  guests.FieldByName("CompName").SetAsString(g.CompName);
  guests.FieldByName("Address1").SetAsString(g.Address1);
  guests.FieldByName("Address2").SetAsString(g.Address2);
  guests.FieldByName("City").SetAsString(g.City);
  guests.FieldByName("State").SetAsString(g.State);
  guests.FieldByName("PhoneNumber").SetAsString(g.PhoneNumber);
  guests.FieldByName("Email").SetAsString(g.Email);
  guests.FieldByName("PostCode").SetAsString(g.PostCode);
  guests.FieldByName("Country").SetAsString(g.Country);
  guests.Post();
  RememberGuestNumberTaken(lastAutoGenNo, number);
  return code;
}

std::string LookUpOrAddGuest(int32_t lastAutoGenNo) {
  OpenGuestNameQuery();
  TQuery& found = DM().qryGuestName;
  if (found.RecordCount() == 0) return AppendGuest(lastAutoGenNo);
  const std::string code = found.FieldByName("GuestCode").AsString();
  DM().tblGuestName.Locate("GuestCode", {code});
  return code;
}

void CloseGroup() {
  GroupMainGuestID = 0;
  Track.groupOfThisImport = false;
}

// A room stay outside any group closes the open one and books under its own
// guest (guestOfStay: found, added, or that of the booking it repeats); a later
// room stay of the same reservation keeps the reservation's.
std::string TakeGuest(const std::function<std::string()>& guestOfStay) {
  CloseGroup();
  if (!Track.reservationGuestCode.empty() && GuestPartEmpty()) {
    GroupMainGivenName = Track.reservationGivenName;
    GroupMainFamilyName = Track.reservationFamilyName;
    DM().tblGuestName.Locate("GuestCode", {Track.reservationGuestCode});
    return Track.reservationGuestCode;
  }
  GroupMainGivenName = ParsedGuest.GivenName;
  GroupMainFamilyName = ParsedGuest.FamilyName;
  const std::string code = guestOfStay();
  Track.reservationGuestCode = code;
  Track.reservationGivenName = ParsedGuest.GivenName;
  Track.reservationFamilyName = ParsedGuest.FamilyName;
  return code;
}

// The highest slot whose code equals the room-type code exactly; 0 for none.
int MatchSlot(const std::array<std::string, LastSlot + 1>& slotCodes) {
  const std::string& code = ParsedStay.RoomTypeCode;
  if (code.empty()) return 0;
  for (int slot = LastSlot; slot >= FirstSlot; --slot)
    if (slotCodes[static_cast<size_t>(slot)] == code) return slot;
  return 0;
}

TDateTime ArrivalTimeToStore() {
  const TDateTime time = ParsedStay.ArrivalTime;
  const bool midnight = DateTimeToMSecs(time) % MSecsPerDay == 0;
  return midnight ? ImportSettings().defaultArrival : time;
}

void SetBookingFields(TTable& bookings, const std::string& guestCode, const std::string& room, bool member) {
  TTable& rooms = DM().tblRoomType;
  if (!rooms.Locate("RoomNo", {room}))
    throw EDatabaseError(Format("Room '%s' is missing from table 'RoomType'", room.c_str()));
  const TGuestDataRec& s = ParsedStay;
  if (member) bookings.FieldByName("GuestGroup").SetAsInteger(GroupMainGuestID);
  bookings.FieldByName("GuestCode").SetAsString(guestCode);
  bookings.FieldByName("BookingDate").SetAsDateTime(s.BookingDate);
  bookings.FieldByName("ArrivalDate").SetAsDateTime(s.ArrivalDate);
  bookings.FieldByName("DepartureDate").SetAsDateTime(s.DepartureDate);
  bookings.FieldByName("RoomNumber").SetAsString(room);
  bookings.FieldByName("RoomSortNo").SetAsString(rooms.FieldByName("RoomSortNo").AsString());
  bookings.FieldByName("RoomType").SetAsString(rooms.FieldByName("RoomType").AsString());
  bookings.FieldByName("TravelAgent").SetAsString(s.TravelAgent);
  bookings.FieldByName("TravelBookingNo").SetAsString(s.TravelBookingNo);
  bookings.FieldByName("RoomRateQuoted").SetAsCurrency(s.RoomRateQuoted);
  bookings.FieldByName("InclGST").SetAsBoolean(true);
  bookings.FieldByName("Gurantee").SetAsInteger(GuaranteeOfImportedBookings);
  bookings.FieldByName("NumberAdults").SetAsInteger(s.NoAdults);
  bookings.FieldByName("NumberChildren").SetAsInteger(s.NoChildren);
  bookings.FieldByName("Arrivaltime").SetAsDateTime(ArrivalTimeToStore());
  bookings.FieldByName("TariffCode").SetAsString(s.RatePlanCode);
  bookings.FieldByName("LockRoomRate").SetAsBoolean(true);
  bookings.FieldByName("SpecRequirements").SetAsString(s.Notes);
  bookings.FieldByName("NoNights").SetAsInteger(DaysBetween(s.ArrivalDate, s.DepartureDate));
  bookings.FieldByName("CheckedIn").SetAsBoolean(false);
  bookings.FieldByName("CheckedOut").SetAsBoolean(false);
}

void AppendGroupRow(const std::string& room, int32_t bookingId) {
  TTable& groups = DM().tblGroup;
  groups.Append();
  groups.FieldByName("RoomNumber").SetAsString(room);
  groups.FieldByName("ArrivalDate").SetAsDateTime(ParsedStay.ArrivalDate);
  groups.FieldByName("NumberAdults").SetAsInteger(ParsedStay.NoAdults);
  groups.FieldByName("NumberChildren").SetAsInteger(ParsedStay.NoChildren);
  groups.FieldByName("GivenName").SetAsString(GroupMainGivenName);
  groups.FieldByName("FamilyName").SetAsString(GroupMainFamilyName);
  groups.FieldByName("GroupID").SetAsInteger(GroupMainGuestID);
  groups.FieldByName("MainID").SetAsInteger(bookingId);
  groups.Post();
}

// Every value the import takes from the reply for the room stay, but for its
// dates, which are compared by day. The room, the booking date and the
// reply-wide arrival time are the import's own choices, or another
// reservation's, and stay out.
std::string DigestOfStay() {
  const TReservationValues& r = Track.reservation;
  const TGuestNameRec& g = r.guest;
  const TGuestDataRec& s = ParsedStay;
  const std::string counts = IntToStr(s.NoRooms) + " " + IntToStr(s.NoAdults) + " " + IntToStr(s.NoChildren);
  return StayDigest({r.corvennaId, r.travelTypeId, r.travelAgent, r.travelBookingNo, r.resIdType, r.resIdValue,
                     r.arrivalTime, g.GivenName, g.FamilyName, g.CompName, g.Address1, g.Address2, g.City, g.State,
                     g.PhoneNumber, g.Email, g.PostCode, g.Country, s.RoomTypeCode, s.RatePlanCode, counts,
                     IntToStr(s.RoomRateQuoted.raw), s.CurrCode, s.Notes});
}

// Returns the new booking's GuestID.
int32_t StoreBooking(const std::string& guestCode, const std::string& room, bool member) {
  TTable& bookings = DM().tblGuestData;
  bookings.Append();
  SetBookingFields(bookings, guestCode, room, member);
  bookings.Post();
  const int32_t bookingId = bookings.FieldByName("GuestID").AsInteger();
  if (member) AppendGroupRow(room, bookingId);
  ++NewReservationCount;
  ParsedStay.GuestID = IntToStr(bookingId);
  UpdateOccupancy(bookings.FieldByName("RoomNumber").AsString(), true, bookings.FieldByName("ArrivalDate").AsDateTime(),
                  bookings.FieldByName("DepartureDate").AsDateTime());
  if (!Track.stayKey.Empty())
    RecordStay(Track.stayKey,
               {bookingId, ParsedStay.ArrivalDate, ParsedStay.DepartureDate, ParsedStay.RoomTypeCode, DigestOfStay()},
               Now());
  return bookingId;
}

// One row per reservation: its first room stay writes it, and the first of its
// room stays that is refused turns it into that refusal, so that the channel
// manager never reads success while a room of the reservation is not booked.
void WriteOtaResponse(int32_t valid) {
  const TReservationValues& r = Track.reservation;
  TTable& responses = DM().tblOtaResponse;
  if (responses.Locate("BookingNo", {r.corvennaId})) {
    if (valid == ValidStored || responses.FieldByName("Valid").AsInteger() != ValidStored) return;
    responses.Edit();
    responses.FieldByName("Valid").SetAsInteger(valid);
    responses.Post();
    return;
  }
  responses.Append();
  responses.FieldByName("BookingNo").SetAsString(r.corvennaId);
  responses.FieldByName("TravelID").SetAsString(r.travelTypeId);
  responses.FieldByName("GuestID").SetAsString(ParsedStay.GuestID);
  responses.FieldByName("ResIDType").SetAsString(r.resIdType);
  responses.FieldByName("ResIDValue").SetAsString(r.resIdValue);
  responses.FieldByName("Valid").SetAsInteger(valid);
  responses.Post();
  ReplyPositions.emplace(r.corvennaId, Track.reservationNo);
}

// A stay that ends on its arrival day or before it books no night. One longer
// than the room search looks back for overlapping bookings could be given a
// room that it still holds, or give its own room to a later stay.
bool BookableDates(int32_t maxNoNights) {
  const TGuestDataRec& s = ParsedStay;
  return CompareDateByDay(s.DepartureDate, s.ArrivalDate) > 0 && DaysBetween(s.ArrivalDate, s.DepartureDate) <= maxNoNights;
}

// The outcome of the room search: Valid and the room found.
int32_t FindRoom(const TImportSettings& settings, std::string& room) {
  const int slot = MatchSlot(settings.slotCodes);
  if (slot == 0) return ValidNoRoomType;
  if (ParsedStay.DepartureUnknown || !BookableDates(settings.maxNoNights)) return ValidNoRoom;
  room = FindFreeRoom(slot, ParsedStay.ArrivalDate, ParsedStay.DepartureDate);
  return room.empty() ? ValidNoRoom : ValidStored;
}

// A row left half-written by a failed post must not be posted later by the
// next cursor move, outside any transaction.
void CancelPendingRows() {
  TDM& dm = DM();
  for (TDataSet* table : {static_cast<TDataSet*>(&dm.tblGuestName), static_cast<TDataSet*>(&dm.tblGuestData),
                          static_cast<TDataSet*>(&dm.tblGroup), static_cast<TDataSet*>(&dm.tblOtaResponse)})
    table->Cancel();
}

int32_t SaveNewRoomStay(bool member) {
  const TImportSettings& settings = ImportSettings();
  const int32_t lastAutoGenNo = settings.lastAutoGenNo;
  const std::string guestCode = member ? JoinGroup() : TakeGuest([=] { return LookUpOrAddGuest(lastAutoGenNo); });
  PrevArrivalDate = ParsedStay.ArrivalDate;

  std::string room;
  const int32_t valid = FindRoom(settings, room);
  if (valid == ValidStored) {
    Track.prevStoredGuestID = StoreBooking(guestCode, room, member);
  } else {
    Track.prevStoredGuestID = 0;
    ++RejectedReservationCount;
  }
  return valid;
}

struct TStoredBooking {
  std::string guestCode;
  int32_t group = 0;  // its group's main booking; 0 for none
};

// A booking as it is now; none when the hotel has removed it since.
std::optional<TStoredBooking> StoredBooking(int32_t guestId) {
  TTable& bookings = DM().tblGuestData;
  if (!bookings.Locate("GuestID", {static_cast<int64_t>(guestId)})) return std::nullopt;
  return TStoredBooking{bookings.FieldByName("GuestCode").AsString(), bookings.FieldByName("GuestGroup").AsInteger()};
}

// A row of the version before the digest is compared on dates and room type.
bool SameStay(const TRecordedStay& recorded, const std::string& digest) {
  const TGuestDataRec& s = ParsedStay;
  return !s.DepartureUnknown && SameDay(recorded.arrival, s.ArrivalDate) &&
         SameDay(recorded.departure, s.DepartureDate) && recorded.roomTypeCode == s.RoomTypeCode &&
         (!recorded.digest || *recorded.digest == digest);
}

// The stored group of a booking is open again for the room stays after it, as
// it was in the import that stored it. False when the booking is in none.
bool TakeUpGroupOf(int32_t guestId, const TStoredBooking& booking) {
  if (booking.group == 0) return false;
  std::string mainGuestCode = booking.guestCode;
  if (booking.group != guestId) {
    const std::optional<TStoredBooking> main = StoredBooking(booking.group);
    if (!main) return false;
    mainGuestCode = main->guestCode;
  }
  GroupMainGuestID = booking.group;
  Track.groupMainGuestCode = mainGuestCode;
  Track.groupOfThisImport = true;
  return true;
}

// A room stay stored before is not stored again; for the room stays after it
// it stands for the booking it repeats, and that booking's group takes them
// in. A booking in no group heads none: a re-offer rewrites no stored row. A
// stay that differs in any value asks for a change, which an import does not
// make: it is refused, so that the channel manager does not take it as applied.
int32_t RepeatRoomStay(const TRecordedStay& recorded, bool member) {
  PrevArrivalDate = ParsedStay.ArrivalDate;
  if (!SameStay(recorded, DigestOfStay())) {
    if (!member) CloseGroup();
    Track.prevStoredGuestID = 0;
    ++RejectedReservationCount;
    return ValidNoRoom;
  }
  const std::optional<TStoredBooking> booking = StoredBooking(recorded.guestId);
  if (!member) TakeGuest([&] { return booking ? booking->guestCode : std::string(); });
  Track.prevStoredGuestID = booking && TakeUpGroupOf(recorded.guestId, *booking) ? recorded.guestId : 0;
  ParsedStay.GuestID = IntToStr(recorded.guestId);
  return ValidStored;
}

// The reservation's own values, taken at its first room stay.
void NoteReservationValues() {
  const TGuestDataRec& s = ParsedStay;
  TReservationValues& r = Track.reservation;
  r.guest = ParsedGuest;
  r.corvennaId = s.CorvennaID;
  r.travelTypeId = s.TravelTypeID;
  r.travelAgent = s.TravelAgent;
  r.travelBookingNo = s.TravelBookingNo;
  r.resIdType = s.ResID_Type;
  r.resIdValue = s.ResID_Value;
}

bool SaveRoomStay() {
  if (++Track.stayKey.stayNo == 1 || !ParsedStay.CorvennaID.empty()) NoteReservationValues();
  FillIn(ParsedStay.TravelBookingNo, LastTravelBookingNo);
  FillIn(ParsedStay.TravelAgent, LastTravelAgent);
  const bool member = IsGroupMember();
  const std::optional<TRecordedStay> recorded = FindRecordedStay(Track.stayKey);
  const int32_t valid = recorded ? RepeatRoomStay(*recorded, member) : SaveNewRoomStay(member);
  if (!Track.reservation.corvennaId.empty()) WriteOtaResponse(valid);
  ClearReservationRecord(!member);
  return !recorded && valid == ValidStored;
}

}  // namespace

void ClearReservationRecord(bool ClearGuest) {
  if (ClearGuest) ParsedGuest = TGuestNameRec{};
  TGuestDataRec& s = ParsedStay;
  const TDateTime now = Now();
  s.BookingDate = now;
  s.ArrivalDate = now;
  s.DepartureDate = now;
  s.NoRooms = 1;
  s.NoAdults = 1;
  s.NoChildren = 0;
  s.RoomRateQuoted = Currency{};
  s.DepartureUnknown = false;
  for (std::string* text : {&s.RoomNumber, &s.RoomTypeCode, &s.RatePlanCode, &s.TravelAgent, &s.CorvennaID,
                            &s.TravelBookingNo, &s.TravelTypeID, &s.GuestID, &s.ResID_Type, &s.ResID_Value, &s.Notes,
                            &s.CurrCode, &s.ErrorType, &s.ErrorCode, &s.ErrorText})
    text->clear();
}

void StartImport() {
  NewReservationCount = 0;
  RejectedReservationCount = 0;
  Track = TImportTrack{};
  ReplyPositions.clear();
  Settings.reset();
  ForgetGuestNumberHint();
}

void StartReservation() {
  ClearReservationRecord(true);
  Track.reservationGuestCode.clear();
  Track.reservationGivenName.clear();
  Track.reservationFamilyName.clear();
  Track.stayKey = TStayKey{};
  Track.reservation = TReservationValues{};
  ++Track.reservationNo;
}

void KeyReservation(const std::string& arrivalTime) {
  Track.stayKey = TStayKey{ParsedStay.CorvennaID, ParsedStay.TravelAgent, ParsedStay.TravelBookingNo, 0};
  Track.reservation.arrivalTime = arrivalTime;
}

int32_t ReplyPositionOf(const std::string& bookingNo) {
  const auto found = ReplyPositions.find(bookingNo);
  return found == ReplyPositions.end() ? 0 : found->second;
}

bool SaveReservation() {
  const TImportState before = CaptureState();
  try {
    TTransaction transaction(DM().Quendale);
    const bool stored = SaveRoomStay();
    transaction.Commit();
    return stored;
  } catch (...) {
    CancelPendingRows();
    RestoreState(before);
    ForgetGuestNumberHint();
    throw;
  }
}

std::string FindFreeRoom(int slot, TDateTime arrival, TDateTime departure) {
  TQuery& rooms = DM().qryRoomType;
  rooms.Close();
  rooms.SQL().Clear();
  rooms.SQL().Add("Select * from RoomType");
  rooms.SQL().Add("Where RoomType = :RoomType");
  rooms.Prepare();
  rooms.ParamByName("RoomType").SetAsInteger(slot);
  rooms.Open();
  for (rooms.First(); !rooms.Eof(); rooms.Next()) {
    const std::string room = rooms.FieldByName("RoomNo").AsString();
    if (!RoomIsBooked(room, 0, arrival, departure)) return room;
  }
  return std::string();
}

void OpenGuestNameQuery() {
  TQuery& guests = DM().qryGuestName;
  guests.Close();
  guests.SQL().Clear();
  guests.SQL().Add("Select * from GuestName");
  guests.SQL().Add("Where GivenName = :GName");
  guests.SQL().Add(" and FamilyName = :FName");
  guests.SQL().Add(" and Email = :Email");
  guests.Prepare();
  guests.ParamByName("GName").SetAsString(ParsedGuest.GivenName);
  guests.ParamByName("FName").SetAsString(ParsedGuest.FamilyName);
  guests.ParamByName("EMail").SetAsString(ParsedGuest.Email);
  guests.Open();
  guests.First();
}

void ResetImportStateForTesting() {
  ParsedGuest = TGuestNameRec{};
  ParsedStay = TGuestDataRec{};
  NewReservationCount = 0;
  RejectedReservationCount = 0;
  GroupMainGuestID = 0;
  GroupMainGivenName.clear();
  GroupMainFamilyName.clear();
  LastTravelBookingNo.clear();
  LastTravelAgent.clear();
  PrevArrivalDate = 0;
  Track = TImportTrack{};
  ReplyPositions.clear();
  Settings.reset();
  ForgetGuestNumberHint();
}

}  // namespace corvenna
