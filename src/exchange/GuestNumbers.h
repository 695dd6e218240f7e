#pragma once
// Guest numbers of new GuestName rows: the first number above the host's
// LastAutoGenNo whose text no guest carries yet.
#include <cstdint>
#include <string>

namespace corvenna {

// As GuestName stores it: at least six digits, zeros in front ("000042").
std::string GuestCodeText(int64_t number);

// The number the host's loop would give: counting up from lastAutoGenNo + 1,
// the first whose GuestCodeText no GuestName row has. Runs of taken numbers
// are skipped in SQL rather than probed one by one.
int64_t FirstFreeGuestNumber(int64_t lastAutoGenNo);

// Within one import the numbers found so far stay taken, so the next search
// may start after them, as long as no other connection has written to the
// database in between. The import tells the search what it took, and to
// forget it when a transaction is rolled back or a new import begins.
void RememberGuestNumberTaken(int64_t lastAutoGenNo, int64_t number);
void ForgetGuestNumberHint();

}  // namespace corvenna
