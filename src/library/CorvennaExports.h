#pragma once
/* The entry points as the host sees them: plain C, looked up by name with
   dlsym. No exception crosses this boundary; a call that fails returns (-1
   where there is a result) and leaves its message in CorvennaLastError.
   Called from another thread than the process's main one, a call does nothing
   and fails so. */
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define CORVENNA_EXPORT __attribute__((visibility("default")))

/* Retrieves and stores the undelivered bookings; only the lowest byte of
   WithMessages is tested (non-zero: with messages). Returns the count of
   bookings stored, or -1 when the retrieval did not go through: an error
   ended it, or the channel manager's read reply was not XML or refused the
   request (a SOAP fault, OTA errors), or the import of the reply stopped.
   CorvennaLastError then says why, and how many bookings were stored before. */
CORVENNA_EXPORT int32_t CorvennaBookingRetrival(int32_t WithMessages);
/* Sends the availability of the nights FromDate to ToDate (days since
   30 December 1899), passed on as received. When the update did not go
   through (an error, a reply that is not XML or refuses it), CorvennaLastError
   says why. */
CORVENNA_EXPORT void CorvennaAvailUpdate(double FromDate, double ToDate);
/* Shows the configuration dialog modally. */
CORVENNA_EXPORT void CorvennaShowDialog(void);
/* The message of the failure that ended this thread's last call; "" after a
   call that ended normally. Valid until the thread's next call. */
CORVENNA_EXPORT const char* CorvennaLastError(void);

typedef int32_t (*TCorvennaBookingRetrival)(int32_t);
typedef void (*TCorvennaAvailUpdate)(double, double);
typedef void (*TCorvennaShowDialog)(void);
typedef const char* (*TCorvennaLastError)(void);

#ifdef __cplusplus
}
#endif
