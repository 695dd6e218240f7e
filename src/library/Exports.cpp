// The four entry points the host calls by name.
#include "library/CorvennaExports.h"

#include "exchange/CorvennaMessages.h"
#include "library/ExportFrame.h"
#include "library/ExportGuard.h"
#include "library/OneCallAtATime.h"
#include "platform/Errors.h"
#include "platform/Messages.h"
#include "platform/RegistryCall.h"
#include "ui/Application.h"

using namespace corvenna;

extern "C" {

int32_t CorvennaBookingRetrival(int32_t WithMessages) {
  int32_t count = 0;
  const bool ended = RunGuarded("CorvennaBookingRetrival", [&] {
    TOneCallAtATime only;
    TExportFrame frame;
    RequireReadableRegistry();
    BookingRetrieval((WithMessages & 0xFF) == 0);
    count = NewReservationCount;
    ProcessPendingEvents();
    // A run that did not go through must not read as "no new bookings".
    if (!LastRunFailure.empty()) throw Exception(RetrievalFailureMessage(LastRunFailure, count));
  });
  return ended ? count : -1;
}

void CorvennaAvailUpdate(double FromDate, double ToDate) {
  RunGuarded("CorvennaAvailUpdate", [&] {
    TOneCallAtATime only;
    TExportFrame frame;
    RequireReadableRegistry();
    AvailabilityUpdate(true, FromDate, ToDate);
    ProcessPendingEvents();
    if (!LastRunFailure.empty()) throw Exception(LastRunFailure);
  });
}

void CorvennaShowDialog(void) {
  RunGuarded("CorvennaShowDialog", [] {
    TOneCallAtATime only;
    TExportFrame frame;
    SilentRun = false;
    // Settings that could not be read show as defaults, and Send would store
    // those over the real ones: the user sees why instead.
    if (const std::string failure = RegistryCallFailure(); !failure.empty()) {
      ShowErrorBox(failure);
      throw ERegistryException(failure);
    }
    // A modal dialog nobody can see would hold the host's thread for ever.
    if (!DisplayReachable()) throw Exception("Cannot show the Corvenna dialog: no display is reachable");
    frame.Dialog().exec();
  });
}

const char* CorvennaLastError(void) { return LastErrorText(); }

}  // extern "C"
