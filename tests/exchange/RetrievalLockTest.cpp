#include "exchange/RetrievalLock.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "data/OtaDataModule.h"
#include "exchange/CorvennaMessages.h"
#include "support/ExchangeFixture.h"

namespace corvenna {
namespace {

namespace fs = std::filesystem;

TEST(RetrievalLockTest, ARunThatCannotTakeTheLockInTimeSendsNothing) {
  test::ExchangeFixture fx;
  fx.WriteCredentials();
  DM().Quendale.SetBusyTimeoutMs(50);
  const std::string database = DM().Quendale.DatabaseFileName();
  TFileLock other(RetrievalLockPath(database));
  ASSERT_TRUE(other.TryLockFor(0));

  EXPECT_EQ(BookingRetrieval(true), 0);
  EXPECT_EQ(LastRunFailure, "Another booking retrieval is running on the host database \"" + database +
                                "\" and did not end within 50 ms; nothing was retrieved");
  EXPECT_TRUE(fx.ReceivedBodies().empty());
  EXPECT_TRUE(fx.DayLog().empty());
}

TEST(RetrievalLockTest, WithoutADatabaseFileNoLockFileIsMadeInTheWorkingFolder) {
  test::ExchangeFixture fx;
  fx.WriteCredentials();
  DM().Quendale.SetConnected(false);
  DM().Quendale.SetDatabaseFileName("");
  EXPECT_EQ(BookingRetrieval(true), 0);
  EXPECT_EQ(LastRunFailure, "The host database has no file name: no retrieval can run");
  EXPECT_FALSE(fs::exists(RetrievalLockPath("")));
  EXPECT_TRUE(fx.ReceivedBodies().empty());
}

}  // namespace
}  // namespace corvenna
