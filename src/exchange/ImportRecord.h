#pragma once
// The record of the room stays that imports have stored, kept in the host
// database beside the bookings (table OtaImport). A channel manager offers a
// reservation again until it sees a success report for it; this record is what
// keeps a room stay stored once from being stored a second time.
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/DateTime.h"

namespace corvenna {

// Names one stored booking of one reservation across retrievals: the channel's
// id of the reservation when it has one, otherwise the travel agent and the
// travel booking number, and the booking's number (1, 2, ...) among those
// recorded for the reservation. Rows of versions before the reservation
// digest number a room stay by its place in the reservation.
struct TStayKey {
  std::string channelId;
  std::string travelAgent;
  std::string travelBookingNo;
  int32_t stayNo = 0;

  // Without a booking number nothing tells two reservations apart.
  bool Empty() const { return channelId.empty() && travelBookingNo.empty(); }
};

// What the record keeps of one stored booking.
struct TRecordedStay {
  int32_t stayNo = 0;
  int32_t guestId = 0;
  TDateTime arrival = 0;
  TDateTime departure = 0;
  std::string roomTypeCode;
  // With a reservation digest: of the room stay the booking belongs to.
  // Without one (an earlier version's row): of every value the import took
  // for the stay, reservation included; none in the oldest rows.
  std::optional<std::string> digest;
  // Of the whole reservation as first offered; none in an earlier version's row.
  std::optional<std::string> reservationDigest;
};

// Creates the table and its key index when the host database lacks them, and
// adds the digest columns to a table without them, so that a database of an
// earlier version is upgraded in place.
void EnsureImportRecord();

// A digest of the values in that order; equal lists give equal digests.
std::string StayDigest(std::initializer_list<std::string_view> values);
std::string StayDigest(const std::vector<std::string>& values);

// Every booking recorded for the reservation of that key (its stayNo is not
// read), by stayNo; none for an empty key.
std::vector<TRecordedStay> FindRecordedReservation(const TStayKey& key);

// Records a stored room stay; part of the transaction that stores it.
void RecordStay(const TStayKey& key, const TRecordedStay& stay, TDateTime importDate);

}  // namespace corvenna
