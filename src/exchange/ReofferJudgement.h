#pragma once
// A channel manager offers a reservation again until it sees a success report
// for it. Whether what comes again is the reservation as it was first offered,
// and which of its room stays the import record holds bookings of already.
#include <cstdint>
#include <string>
#include <vector>

#include "exchange/BookingImport.h"
#include "exchange/ImportRecord.h"

namespace corvenna {

struct TReservationDigests {
  std::vector<std::string> stays;  // one per room stay, in the reservation's order
  // The reservation's own values and the multiset of its stays' digests: the
  // order in which the stays are written does not count. Its arrival time
  // counts as converted, not as written.
  std::string reservation;
  // The same with the arrival time as written, as versions before kept it:
  // their rows still match a re-offer that writes the time as it did.
  std::string asWritten;
};

TReservationDigests DigestReservation(const TParsedReservation& reservation);

struct TReofferPlan {
  // Another reservation than the one first offered: nothing of it is stored.
  bool changed = false;
  // Per room stay: the bookings the record holds for it; empty for a stay to store.
  std::vector<std::vector<int32_t>> storedBookings;
  int32_t lastStayNo = 0;  // the highest booking number the record holds for the reservation
};

// Judges a reservation against what the import record holds of it (nothing:
// a first offer, every stay to store). Rows of the version before the
// reservation digest stand for the room stay at their place, compared as that
// version compared them.
TReofferPlan JudgeReoffer(const TParsedReservation& reservation, const TReservationDigests& digests,
                          const std::vector<TRecordedStay>& recorded);

}  // namespace corvenna
