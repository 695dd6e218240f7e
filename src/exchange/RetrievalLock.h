#pragma once
// One booking retrieval at a time per host database. Every import empties the
// one OtaResponse table and each run reports what it finds there, so two runs
// side by side, in two processes or two calls, would report each other's
// reservations and leave some unreported.
#include <string>

#include "platform/FileLock.h"

namespace corvenna {

// The lock file of a host database: beside it, never the database file itself,
// whose locks belong to SQLite.
std::string RetrievalLockPath(const std::string& databaseFile);

// Takes the retrieval lock of the connected host database, waiting for it up
// to the database's busy time-out; raises, saying that another retrieval is
// running, when that time ran out.
TFileLock LockRetrievals();

}  // namespace corvenna
