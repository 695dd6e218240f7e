#pragma once
// The booking retrieval: fetches the reservations the channel manager has not
// yet delivered, imports them, and reports on each one back.
namespace corvenna {

// 1 when the run reached its end (also after an early end on a reply with a
// SOAP fault or OTA errors, which imports nothing and logs nothing); 0 when an
// error was caught after the day log was opened. Silent is kept in SilentRun.
int BookingRetrieval(bool Silent);

}  // namespace corvenna
