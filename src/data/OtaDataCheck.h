#pragma once
// Occupancy bookkeeping: whether a room is free for a stay, the hotel's room
// counts, and a booking's nights in the host's Occupancy table.
#include <cstdint>
#include <string>

#include "platform/DateTime.h"

namespace corvenna {

// True when a booking of that room other than `guestId`, not cancelled,
// overlaps the stay from firstDay to lastDay (compared by whole days).
bool RoomIsBooked(const std::string& roomNumber, int32_t guestId, TDateTime firstDay, TDateTime lastDay);

// Counts the rooms whose CalOccupancy is not "N", in total and per host room type.
void CountRoomsByType();
// The counts of the last CountRoomsByType (type 1..16; 0 outside).
int32_t TotalRooms();
int32_t TypeRooms(int type);

// Adds (or takes away) one room of the room's type on each night of the stay.
// All nights or none are written; inside a caller's transaction it joins it.
// The room counts are taken anew each time, unless a TRoomCountHold is open.
void UpdateOccupancy(const std::string& roomNumber, bool add, TDateTime firstDay, TDateTime lastDay);

// While one is open, UpdateOccupancy counts the rooms once and keeps the
// counts for as long as no other connection has committed to the database.
// For callers that write no room themselves meanwhile, such as an import of
// many bookings. An inner one adds nothing.
class TRoomCountHold {
 public:
  TRoomCountHold();
  ~TRoomCountHold();
  TRoomCountHold(const TRoomCountHold&) = delete;
  TRoomCountHold& operator=(const TRoomCountHold&) = delete;

 private:
  bool outermost_;
};

}  // namespace corvenna
