#pragma once
// The OTA exchange with the channel manager: the booking retrieval, the
// availability and rate updates, the reply check they share, and the unit's
// silent switch.
#include <cstdint>
#include <string>

#include "platform/DateTime.h"

namespace corvenna {

class XmlDocument;

// True: the exchange shows no message dialog (and the retrieval logs less).
// False when the library is loaded; the retrieval and the availability update
// set it from their Silent argument, the dialog export clears it.
extern bool SilentRun;

// Each exchange returns 1 when its run reached its end, whatever the reply
// said, and 0 when an error was caught after the day log was opened. Errors
// before that (its own settings, the inventory, the day log) reach the caller.

// Why the last exchange run did not go through, empty when it did: the error
// caught during the run (among them a reply that is not XML or not the
// answer, and another retrieval holding the database's retrieval lock), a
// reply that refused the request with a SOAP fault or OTA errors (of the
// retrieval only its read reply, not a report's), or the error that ended the
// walk of the retrieval reply. The first of them is kept.
extern std::string LastRunFailure;
// LastRunFailure as the retrieval export tells it, with the count of the
// bookings stored before the failure when there are any.
std::string RetrievalFailureMessage(const std::string& failure, int32_t storedBookings);

// Fetches the reservations the channel manager has not yet delivered, imports
// them and reports each one back. Also 1 after an early end on a read reply
// with a SOAP fault or OTA errors, which imports and logs nothing.
int BookingRetrieval(bool Silent);

// The bookings the last retrieval stored; 0 when it stored none.
extern int32_t NewReservationCount;

// Sends, for the nights FromDate to ToDate, the free rooms of every room type
// that has a channel room code.
int AvailabilityUpdate(bool Silent, TDateTime FromDate, TDateTime ToDate);

// Sends one rate per ticked and mapped room type (RateAmount, RateSelected) in
// currencyCode for FromDate to ToDate. Leaves SilentRun as the caller set it.
int RateUpdate(const std::string& currencyCode, TDateTime FromDate, TDateTime ToDate);

// True when the document holds neither a SOAP fault text nor an OTA error.
// Records the fault in CorvennaErrorMsg / CorvennaHasError and shows its
// dialogs unless SilentRun. Raises EXmlError for a document without a root
// element (a reply that was not XML), before it writes anything.
bool CheckResponseErrors(const XmlDocument& Doc);
// What the check finds in a document, in one line: the SOAP fault's text, or
// the OTA error's code and text as the check's dialog shows them; empty when
// it finds neither.
std::string ResponseErrorText(const XmlDocument& Doc);

}  // namespace corvenna
