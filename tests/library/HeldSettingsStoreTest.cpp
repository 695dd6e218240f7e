// The settings store held by another program with a lock that keeps readers
// out: each call waits for it once, fails naming the store, and sends nothing.
#include <gtest/gtest.h>

#include <poll.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>

#include "LibraryHarness.h"
#include "platform/Registry.h"
#include "platform/RegistryConnection.h"

namespace corvenna::test {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int HoldSeconds = 25;

// Another process that holds the store with `lockSql` for HoldSeconds, or
// until this object ends it.
class StoreHolder {
 public:
  StoreHolder(const std::string& store, const char* lockSql) {
    // Our own idle connection would keep the holder from changing the journal mode.
    TStoreConnection::Forget(store);
    int ready[2];
    if (pipe(ready) != 0) return;
    pid_ = fork();
    if (pid_ == 0) HoldAndExit(store, lockSql, ready[1]);
    close(ready[1]);
    pollfd wait{ready[0], POLLIN, 0};
    char answer = 'n';
    if (poll(&wait, 1, 10'000) == 1 && read(ready[0], &answer, 1) == 1) holding_ = answer == 'y';
    close(ready[0]);
  }
  ~StoreHolder() {
    if (pid_ <= 0) return;
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  StoreHolder(const StoreHolder&) = delete;
  StoreHolder& operator=(const StoreHolder&) = delete;

  bool Holding() const { return holding_; }

 private:
  [[noreturn]] static void HoldAndExit(const std::string& store, const char* lockSql, int ready) {
    sqlite3* db = nullptr;
    const bool held = sqlite3_open_v2(store.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK &&
                      sqlite3_exec(db, lockSql, nullptr, nullptr, nullptr) == SQLITE_OK;
    const char answer = held ? 'y' : 'n';
    if (write(ready, &answer, 1) != 1) _exit(1);
    sleep(HoldSeconds);
    _exit(0);
  }

  pid_t pid_ = -1;
  bool holding_ = false;
};

struct Lock {
  const char* what;
  const char* sql;
};
constexpr Lock RollbackJournalExclusive{"an exclusive transaction on a rollback journal",
                                        "PRAGMA journal_mode = DELETE; BEGIN EXCLUSIVE;"};
constexpr Lock WalExclusive{"the write-ahead log held in exclusive locking mode",
                            "PRAGMA locking_mode = EXCLUSIVE; BEGIN EXCLUSIVE;"};

struct TimedRun {
  ProgramRun run;
  double seconds = 0;
};

TimedRun Host(const std::vector<std::string>& args) {
  std::vector<std::string> line{QUENDALE_HOST_PATH};
  line.insert(line.end(), args.begin(), args.end());
  const auto start = Clock::now();
  TimedRun timed{RunProgram(line, {{"QT_QPA_PLATFORM", "offscreen"}})};
  timed.seconds = std::chrono::duration<double>(Clock::now() - start).count();
  return timed;
}

// One busy time-out of 5 s, the program's own start and the sanitizers' cost;
// well below two waits and the hold's end.
constexpr double Bound = 12.0;

void ExpectEachCallFailsOnceAndSendsNothing(const Lock& lock) {
  SCOPED_TRACE(lock.what);
  LibraryHost host;
  const std::string store = RegistryStorePath();
  const std::string named = "Registry store '" + store + "': another program holds it locked";
  const struct {
    std::vector<std::string> args;
    const char* failed;
  } calls[] = {
      {{"retrieve"}, "CorvennaBookingRetrival failed: "},
      {{"avail", "2027-03-01", "2027-03-14"}, "CorvennaAvailUpdate failed: "},
      {{"dialog"}, "CorvennaShowDialog failed: "},
  };
  for (const auto& call : calls) {
    SCOPED_TRACE(call.args.front());
    StoreHolder holder(store, lock.sql);
    ASSERT_TRUE(holder.Holding());
    const TimedRun timed = Host(call.args);
    EXPECT_LT(timed.seconds, Bound);
    EXPECT_EQ(timed.run.exitCode, 1);
    EXPECT_NE(timed.run.err.find(std::string(call.failed) + named), std::string::npos) << timed.run.err;
  }
  EXPECT_TRUE(host.sim->Received().empty()) << "nothing is posted with settings that could not be read";
  EXPECT_EQ(host.StoredBookings(), 0);
  // Once the store is let go, the next call reads it as always.
  EXPECT_EQ(Host({"retrieve"}).run.out, "2\n");
}

TEST(HeldSettingsStoreTest, AnExclusiveTransactionOnARollbackJournal) {
  ExpectEachCallFailsOnceAndSendsNothing(RollbackJournalExclusive);
}

TEST(HeldSettingsStoreTest, TheWriteAheadLogHeldInExclusiveLockingMode) {
  ExpectEachCallFailsOnceAndSendsNothing(WalExclusive);
}

}  // namespace
}  // namespace corvenna::test
