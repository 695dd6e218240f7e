#include "exchange/ReofferJudgement.h"

#include <algorithm>
#include <deque>
#include <iterator>
#include <map>
#include <optional>

#include "platform/Text.h"

namespace corvenna {
namespace {

std::string DayOf(TDateTime date, bool unknown) { return unknown ? std::string("none") : FormatIsoDate(date); }

std::string CountsOf(const TGuestDataRec& s) {
  return IntToStr(s.NoRooms) + " " + IntToStr(s.NoAdults) + " " + IntToStr(s.NoChildren);
}

// Every value the import takes from the reply for one room stay, its dates by
// day. The room and the booking date are the import's own choices and stay out.
std::string DigestOfStay(const TGuestDataRec& s) {
  return StayDigest({s.RoomTypeCode, s.RatePlanCode, CountsOf(s), IntToStr(s.RoomRateQuoted.raw), s.CurrCode, s.Notes,
                     DayOf(s.ArrivalDate, s.ArrivalUnknown), DayOf(s.DepartureDate, s.DepartureUnknown)});
}

// The arrival time as the conversion sees it, so that "14:00" and "14:00:00",
// or "16:00:00+02:00" and "14:00:00Z", are one time: milliseconds of the day,
// moved to UTC and marked so when the text named its zone. Empty for none, as
// the text was.
std::string ArrivalTimeKey(const std::optional<TArrivalTimeReading>& reading) {
  if (!reading) return std::string();
  const int64_t msecs = DateTimeToMSecs(reading->timeOfDay);
  if (!reading->zoneOffsetMinutes) return IntToStr(msecs);
  return IntToStr(msecs - int64_t{*reading->zoneOffsetMinutes} * 60'000) + "Z";
}

// The digest of the reservation's own values and the multiset of its stays'
// digests, with its arrival time in the form given.
std::string ReservationDigest(const TParsedReservation& r, const std::string& arrivalTime,
                              std::vector<std::string> sortedStays) {
  const TGuestNameRec& g = r.guest;
  const TGuestDataRec& v = r.values;
  std::vector<std::string> values{v.CorvennaID, v.TravelTypeID, v.TravelAgent, v.TravelBookingNo, v.ResID_Type,
                                  v.ResID_Value, arrivalTime,   g.GivenName,   g.FamilyName,      g.CompName,
                                  g.Address1,    g.Address2,    g.City,        g.State,           g.PhoneNumber,
                                  g.Email,       g.PostCode,    g.Country};
  values.insert(values.end(), std::make_move_iterator(sortedStays.begin()),
                std::make_move_iterator(sortedStays.end()));
  return StayDigest(values);
}

// The digest the version before the reservation digest kept per room stay.
std::string EarlierStayDigest(const TParsedReservation& r, const TGuestDataRec& s) {
  const TGuestNameRec& g = r.guest;
  const TGuestDataRec& v = r.values;
  return StayDigest({v.CorvennaID, v.TravelTypeID, v.TravelAgent, v.TravelBookingNo, v.ResID_Type, v.ResID_Value,
                     r.arrivalTime, g.GivenName, g.FamilyName, g.CompName, g.Address1, g.Address2, g.City, g.State,
                     g.PhoneNumber, g.Email, g.PostCode, g.Country, s.RoomTypeCode, s.RatePlanCode, CountsOf(s),
                     IntToStr(s.RoomRateQuoted.raw), s.CurrCode, s.Notes});
}

// As that version compared: dates and room type, and its digest when it kept one.
bool SameAsEarlierRow(const TParsedReservation& r, const TGuestDataRec& s, const TRecordedStay& row) {
  return !s.ArrivalUnknown && !s.DepartureUnknown && SameDay(row.arrival, s.ArrivalDate) &&
         SameDay(row.departure, s.DepartureDate) && row.roomTypeCode == s.RoomTypeCode &&
         (!row.digest || *row.digest == EarlierStayDigest(r, s));
}

// An earlier version's row stands for the room stay at its place.
bool PlaceEarlierRows(const TParsedReservation& r, const std::vector<TRecordedStay>& recorded, TReofferPlan& plan) {
  for (const TRecordedStay& row : recorded) {
    if (row.reservationDigest) continue;
    const size_t place = static_cast<size_t>(row.stayNo) - 1;
    if (row.stayNo < 1 || place >= r.stays.size() || !SameAsEarlierRow(r, r.stays[place], row)) return false;
    plan.storedBookings[place].push_back(row.guestId);
  }
  return true;
}

}  // namespace

TReservationDigests DigestReservation(const TParsedReservation& reservation) {
  TReservationDigests digests;
  for (const TGuestDataRec& stay : reservation.stays) digests.stays.push_back(DigestOfStay(stay));
  std::vector<std::string> sorted = digests.stays;
  std::sort(sorted.begin(), sorted.end());
  digests.reservation = ReservationDigest(reservation, ArrivalTimeKey(reservation.arrivalReading), sorted);
  digests.asWritten = ReservationDigest(reservation, reservation.arrivalTime, sorted);
  return digests;
}

TReofferPlan JudgeReoffer(const TParsedReservation& reservation, const TReservationDigests& digests,
                          const std::vector<TRecordedStay>& recorded) {
  TReofferPlan plan;
  plan.storedBookings.resize(reservation.stays.size());
  // The bookings of each stay digest, in the order they were recorded.
  std::map<std::string, std::deque<int32_t>> bookingsOfStay;
  for (const TRecordedStay& row : recorded) {
    plan.lastStayNo = std::max(plan.lastStayNo, row.stayNo);
    if (!row.reservationDigest) continue;
    const std::string& digest = *row.reservationDigest;
    if (digest != digests.reservation && digest != digests.asWritten) plan.changed = true;
    bookingsOfStay[row.digest.value_or(std::string())].push_back(row.guestId);
  }
  if (plan.changed || !PlaceEarlierRows(reservation, recorded, plan)) {
    plan.changed = true;
    return plan;
  }
  for (size_t i = 0; i < reservation.stays.size(); ++i) {
    std::deque<int32_t>& pool = bookingsOfStay[digests.stays[i]];
    const auto units = static_cast<size_t>(std::max(reservation.stays[i].NoRooms, 0));
    if (!plan.storedBookings[i].empty() || units == 0 || pool.size() < units) continue;
    plan.storedBookings[i].assign(pool.begin(), pool.begin() + static_cast<std::ptrdiff_t>(units));
    pool.erase(pool.begin(), pool.begin() + static_cast<std::ptrdiff_t>(units));
  }
  return plan;
}

}  // namespace corvenna
