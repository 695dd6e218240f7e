#include "exchange/CorvennaMessages.h"
#include "platform/Errors.h"

namespace corvenna {

std::string LastRunFailure;

std::string RetrievalFailureMessage(const std::string& failure, int32_t storedBookings) {
  if (storedBookings <= 0) return failure;
  if (storedBookings == 1) return failure + "; 1 booking was stored before the failure";
  return failure + Format("; %d bookings were stored before the failure", storedBookings);
}

}  // namespace corvenna
