#include "exchange/RetrievalLock.h"

#include "data/OtaDataModule.h"
#include "platform/Errors.h"

namespace corvenna {

std::string RetrievalLockPath(const std::string& databaseFile) { return databaseFile + ".retrieval-lock"; }

TFileLock LockRetrievals() {
  const TDatabase& database = DM().Quendale;
  // Never a lock file in whatever the working folder is.
  if (database.DatabaseFileName().empty())
    throw EDatabaseError("The host database has no file name: no retrieval can run");
  TFileLock lock(RetrievalLockPath(database.DatabaseFileName()));
  if (!lock.TryLockFor(database.BusyTimeoutMs()))
    throw Exception(Format("Another booking retrieval is running on the host database \"%s\" and did not end "
                           "within %d ms; nothing was retrieved",
                           database.DatabaseFileName().c_str(), database.BusyTimeoutMs()));
  return lock;
}

}  // namespace corvenna
