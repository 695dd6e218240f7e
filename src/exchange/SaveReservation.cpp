// Saving one parsed reservation: its guest, the group links, the rooms, the
// bookings, their occupancy, their import record and the outcome row, as one
// transaction; for a reservation offered again, only what it still lacks.
#include <algorithm>
#include <array>
#include <climits>
#include <functional>
#include <map>
#include <optional>
#include <vector>

#include "data/OtaDataCheck.h"
#include "data/OtaDataModule.h"
#include "data/OtaGfgIni.h"
#include "exchange/BookingImport.h"
#include "exchange/GuestNumbers.h"
#include "exchange/ImportRecord.h"
#include "exchange/ReofferJudgement.h"
#include "exchange/SlotCodes.h"
#include "platform/Clock.h"
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

// What the save of one reservation knows beyond the globals, so that a group
// is only ever opened on a booking of the same reservation and a reservation
// keeps one guest.
struct TImportTrack {
  int32_t prevStoredGuestID = 0;  // booking stored, or recorded, for the booking just before in the reservation
  // A group is open: opened by this reservation, or the stored group of a stay offered again.
  bool groupOpen = false;
  std::string groupMainGuestCode;
  std::string reservationGuestCode;  // guest of the reservation's earlier bookings
  TStayKey key;  // the reservation's key; stayNo is the last booking number given
  std::string reservationDigest;
  int32_t reservationNo = 0;  // the reservation's place in the reply
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

bool CoversPreviousArrival() {
  const TDateTime arrival = ParsedStay.ArrivalDate;
  const TDateTime departure = ParsedStay.DepartureDate;
  if (SameDay(arrival, departure)) return true;
  return CompareDateByDay(arrival, PrevArrivalDate) <= 0 && CompareDateByDay(PrevArrivalDate, departure) <= 0;
}

// Groups form only among the bookings of one reservation: its first booking
// is never a member, and a member needs a main booking of the reservation, an
// open group of it or a booking stored for the booking just before.
bool IsGroupMember(bool firstOfReservation) {
  if (firstOfReservation || !CoversPreviousArrival()) return false;
  return Track.groupOpen || Track.prevStoredGuestID != 0;
}

// The first member marks the booking before it as the group's main booking.
std::string JoinGroup() {
  if (!Track.groupOpen) {
    TTable& bookings = DM().tblGuestData;
    if (!bookings.Locate("GuestID", {static_cast<int64_t>(Track.prevStoredGuestID)}))
      throw EDatabaseError(Format("The group's main booking %d is missing from table 'GuestData'",
                                  Track.prevStoredGuestID));
    GroupMainGuestID = Track.prevStoredGuestID;
    bookings.Edit();
    bookings.FieldByName("GuestGroup").SetAsInteger(GroupMainGuestID);
    bookings.Post();
    Track.groupMainGuestCode = bookings.FieldByName("GuestCode").AsString();
    Track.groupOpen = true;
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
  Track.groupOpen = false;
}

// A booking outside any group closes the open one and books under the
// reservation's guest: the one of its earlier bookings, else guestOfStay
// (found, added, or that of the booking it repeats).
std::string TakeGuest(const std::function<std::string()>& guestOfStay) {
  CloseGroup();
  GroupMainGivenName = ParsedGuest.GivenName;
  GroupMainFamilyName = ParsedGuest.FamilyName;
  if (!Track.reservationGuestCode.empty()) {
    DM().tblGuestName.Locate("GuestCode", {Track.reservationGuestCode});
    return Track.reservationGuestCode;
  }
  Track.reservationGuestCode = guestOfStay();
  return Track.reservationGuestCode;
}

std::string GuestOfNewBooking(bool member) {
  const int32_t lastAutoGenNo = ImportSettings().lastAutoGenNo;
  return member ? JoinGroup() : TakeGuest([=] { return LookUpOrAddGuest(lastAutoGenNo); });
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

// Returns the new booking's GuestID. The stay's first booking is the one its
// report names.
int32_t StoreBooking(const std::string& guestCode, const std::string& room, bool member,
                     const std::string& stayDigest) {
  TTable& bookings = DM().tblGuestData;
  bookings.Append();
  SetBookingFields(bookings, guestCode, room, member);
  bookings.Post();
  const int32_t bookingId = bookings.FieldByName("GuestID").AsInteger();
  if (member) AppendGroupRow(room, bookingId);
  ++NewReservationCount;
  if (ParsedStay.GuestID.empty()) ParsedStay.GuestID = IntToStr(bookingId);
  UpdateOccupancy(bookings.FieldByName("RoomNumber").AsString(), true, bookings.FieldByName("ArrivalDate").AsDateTime(),
                  bookings.FieldByName("DepartureDate").AsDateTime());
  if (!Track.key.Empty()) {
    ++Track.key.stayNo;
    RecordStay(Track.key,
               {Track.key.stayNo, bookingId, ParsedStay.ArrivalDate, ParsedStay.DepartureDate,
                ParsedStay.RoomTypeCode, stayDigest, Track.reservationDigest},
               Now());
  }
  return bookingId;
}

// One row per reservation, so that the channel manager never reads success
// while a room of the reservation is not booked. A reservation twice in one
// reply keeps the row of the first, turned into a refusal of the second.
void WriteOtaResponse(const TGuestDataRec& values, int32_t valid, const std::string& guestId) {
  TTable& responses = DM().tblOtaResponse;
  if (responses.Locate("BookingNo", {values.CorvennaID})) {
    if (valid == ValidStored || responses.FieldByName("Valid").AsInteger() != ValidStored) return;
    responses.Edit();
    responses.FieldByName("Valid").SetAsInteger(valid);
    responses.Post();
    return;
  }
  responses.Append();
  responses.FieldByName("BookingNo").SetAsString(values.CorvennaID);
  responses.FieldByName("TravelID").SetAsString(values.TravelTypeID);
  responses.FieldByName("GuestID").SetAsString(guestId);
  responses.FieldByName("ResIDType").SetAsString(values.ResID_Type);
  responses.FieldByName("ResIDValue").SetAsString(values.ResID_Value);
  responses.FieldByName("Valid").SetAsInteger(valid);
  responses.Post();
  ReplyPositions.emplace(values.CorvennaID, Track.reservationNo);
}

// A stay that ends on its arrival day or before it books no night. One longer
// than the room search looks back for overlapping bookings could be given a
// room that it still holds, or give its own room to a later stay.
bool BookableDates(int32_t maxNoNights) {
  const TGuestDataRec& s = ParsedStay;
  return !s.ArrivalUnknown && !s.DepartureUnknown && CompareDateByDay(s.DepartureDate, s.ArrivalDate) > 0 &&
         DaysBetween(s.ArrivalDate, s.DepartureDate) <= maxNoNights;
}

// The outcome of the room search: Valid and, for success, a room per unit.
int32_t FindRooms(const TImportSettings& settings, std::vector<std::string>& rooms) {
  const int slot = MatchSlot(settings.slotCodes);
  if (slot == 0) return ValidNoRoomType;
  const int32_t units = ParsedStay.NoRooms;
  if (units < 1 || !BookableDates(settings.maxNoNights)) return ValidNoRoom;
  rooms = FindFreeRooms(slot, ParsedStay.ArrivalDate, ParsedStay.DepartureDate, units);
  return static_cast<int64_t>(rooms.size()) < units ? ValidNoRoom : ValidStored;
}

// A row left half-written by a failed post must not be posted later by the
// next cursor move, outside any transaction.
void CancelPendingRows() {
  TDM& dm = DM();
  for (TDataSet* table : {static_cast<TDataSet*>(&dm.tblGuestName), static_cast<TDataSet*>(&dm.tblGuestData),
                          static_cast<TDataSet*>(&dm.tblGroup), static_cast<TDataSet*>(&dm.tblOtaResponse)})
    table->Cancel();
}

// A refused stay takes its guest, or marks the group's main booking, as its
// first booking would have; nothing of it is booked.
void RefuseStay(bool firstOfReservation) {
  GuestOfNewBooking(IsGroupMember(firstOfReservation));
  PrevArrivalDate = ParsedStay.ArrivalDate;
  Track.prevStoredGuestID = 0;
  ++RejectedReservationCount;
}

// Books every unit of the stay, each its own booking joined in the
// reservation's group as that many room stays would be; all or none.
int32_t SaveNewStay(bool firstOfReservation, const std::string& stayDigest) {
  std::vector<std::string> rooms;
  const int32_t valid = FindRooms(ImportSettings(), rooms);
  if (valid != ValidStored) {
    RefuseStay(firstOfReservation);
    return valid;
  }
  for (size_t unit = 0; unit < rooms.size(); ++unit) {
    const bool member = IsGroupMember(firstOfReservation && unit == 0);
    const std::string guestCode = GuestOfNewBooking(member);
    PrevArrivalDate = ParsedStay.ArrivalDate;
    Track.prevStoredGuestID = StoreBooking(guestCode, rooms[unit], member, stayDigest);
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

// The stored group of a booking is open again for the bookings after it, as
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
  Track.groupOpen = true;
  return true;
}

// A stay stored before is not stored again; for the bookings after it each of
// its bookings stands for itself, and that booking's group takes them in. A
// booking in no group heads none: a re-offer rewrites no stored row.
void RepeatStay(const std::vector<int32_t>& bookingIds, bool firstOfReservation) {
  for (size_t unit = 0; unit < bookingIds.size(); ++unit) {
    const int32_t guestId = bookingIds[unit];
    const bool member = IsGroupMember(firstOfReservation && unit == 0);
    PrevArrivalDate = ParsedStay.ArrivalDate;
    const std::optional<TStoredBooking> booking = StoredBooking(guestId);
    if (!member) TakeGuest([&] { return booking ? booking->guestCode : std::string(); });
    Track.prevStoredGuestID = booking && TakeUpGroupOf(guestId, *booking) ? guestId : 0;
  }
  ParsedStay.GuestID = IntToStr(bookingIds.front());
}

// The stays stored before come first, in the order they were stored, so that
// the reservation's guest and group stand before a stay tried again joins
// them, whatever order the re-offer writes its stays in; then the others in
// the reservation's order.
std::vector<size_t> SaveOrder(const TReofferPlan& plan) {
  std::vector<size_t> order(plan.storedBookings.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  const auto firstBooking = [&](size_t i) {
    const std::vector<int32_t>& bookings = plan.storedBookings[i];
    return bookings.empty() ? INT32_MAX : bookings.front();
  };
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return firstBooking(a) < firstBooking(b); });
  return order;
}

// The reservation's identity as its own elements gave it, before the fill-ins.
void BeginReservationSave(const TParsedReservation& reservation) {
  const TGuestDataRec& v = reservation.values;
  Track.prevStoredGuestID = 0;
  CloseGroup();
  Track.reservationGuestCode.clear();
  Track.key = TStayKey{v.CorvennaID, v.TravelAgent, v.TravelBookingNo, 0};
  ParsedGuest = reservation.guest;
}

// Nothing at all of a changed reservation is written but its refusal.
void RefuseChangedReservation(const TParsedReservation& reservation) {
  RejectedReservationCount += static_cast<int32_t>(reservation.stays.size());
  if (!reservation.values.CorvennaID.empty()) WriteOtaResponse(reservation.values, ValidNoRoom, std::string());
}

int32_t SaveWholeReservation(const TParsedReservation& reservation) {
  BeginReservationSave(reservation);
  const TReservationDigests digests = DigestReservation(reservation);
  const TReofferPlan plan = JudgeReoffer(reservation, digests, FindRecordedReservation(Track.key));
  Track.key.stayNo = plan.lastStayNo;
  Track.reservationDigest = digests.reservation;
  std::string travelBookingNo = reservation.values.TravelBookingNo;
  std::string travelAgent = reservation.values.TravelAgent;
  FillIn(travelBookingNo, LastTravelBookingNo);
  FillIn(travelAgent, LastTravelAgent);
  if (plan.changed) {
    RefuseChangedReservation(reservation);
    return 0;
  }
  const int32_t storedBefore = NewReservationCount;
  int32_t outcome = ValidStored;
  std::string reportedGuestId;
  const std::vector<size_t> order = SaveOrder(plan);
  for (size_t i : order) {
    ParsedStay = reservation.stays[i];
    ParsedStay.TravelBookingNo = travelBookingNo;
    ParsedStay.TravelAgent = travelAgent;
    ParsedStay.GuestID.clear();
    const bool first = i == order.front();
    int32_t valid = ValidStored;
    if (plan.storedBookings[i].empty())
      valid = SaveNewStay(first, digests.stays[i]);
    else
      RepeatStay(plan.storedBookings[i], first);
    if (first) reportedGuestId = ParsedStay.GuestID;
    if (outcome == ValidStored) outcome = valid;
  }
  if (!reservation.values.CorvennaID.empty()) WriteOtaResponse(reservation.values, outcome, reportedGuestId);
  return NewReservationCount - storedBefore;
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
  s.ArrivalUnknown = false;
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
  ++Track.reservationNo;
}

int32_t ReplyPositionOf(const std::string& bookingNo) {
  const auto found = ReplyPositions.find(bookingNo);
  return found == ReplyPositions.end() ? 0 : found->second;
}

int32_t SaveReservation(const TParsedReservation& reservation) {
  if (reservation.stays.empty()) return 0;
  const TImportState before = CaptureState();
  try {
    TTransaction transaction(DM().Quendale);
    const int32_t stored = SaveWholeReservation(reservation);
    transaction.Commit();
    ClearReservationRecord(true);
    return stored;
  } catch (...) {
    CancelPendingRows();
    RestoreState(before);
    ForgetGuestNumberHint();
    throw;
  }
}

std::vector<std::string> FindFreeRooms(int slot, TDateTime arrival, TDateTime departure, int32_t count) {
  std::vector<std::string> free;
  TQuery& rooms = DM().qryRoomType;
  rooms.Close();
  rooms.SQL().Clear();
  rooms.SQL().Add("Select * from RoomType");
  rooms.SQL().Add("Where RoomType = :RoomType");
  rooms.Prepare();
  rooms.ParamByName("RoomType").SetAsInteger(slot);
  rooms.Open();
  for (rooms.First(); !rooms.Eof() && static_cast<int64_t>(free.size()) < count; rooms.Next()) {
    // A room without a number cannot be booked; it stands for no room.
    const std::string room = rooms.FieldByName("RoomNo").AsString();
    if (!room.empty() && !RoomIsBooked(room, 0, arrival, departure)) free.push_back(room);
  }
  return free;
}

std::string FindFreeRoom(int slot, TDateTime arrival, TDateTime departure) {
  const std::vector<std::string> rooms = FindFreeRooms(slot, arrival, departure, 1);
  return rooms.empty() ? std::string() : rooms.front();
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
