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

#include "platform/DateTime.h"

namespace corvenna {

// Names one room stay of one reservation across retrievals: the channel's id
// of the reservation when it has one, otherwise the travel agent and the
// travel booking number, and the stay's place (1, 2, ...) in the reservation.
struct TStayKey {
  std::string channelId;
  std::string travelAgent;
  std::string travelBookingNo;
  int32_t stayNo = 0;

  // Without a booking number nothing tells two reservations apart.
  bool Empty() const { return channelId.empty() && travelBookingNo.empty(); }
};

// What the record keeps of a stored room stay.
struct TRecordedStay {
  int32_t guestId = 0;
  TDateTime arrival = 0;
  TDateTime departure = 0;
  std::string roomTypeCode;
  // Of every value the import took from the reply for the stay; none in a
  // row that a version before it wrote.
  std::optional<std::string> digest;
};

// Creates the table and its key index when the host database lacks them, and
// adds the digest column to a table without it, so that a database of an
// earlier version is upgraded in place.
void EnsureImportRecord();

// A digest of the values in that order; equal lists give equal digests.
std::string StayDigest(std::initializer_list<std::string_view> values);

// The stored room stay of that key; none for an empty key.
std::optional<TRecordedStay> FindRecordedStay(const TStayKey& key);

// Records a stored room stay; part of the transaction that stores it.
void RecordStay(const TStayKey& key, const TRecordedStay& stay, TDateTime importDate);

}  // namespace corvenna
