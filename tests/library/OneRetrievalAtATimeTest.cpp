// Two retrievals on one host database, as two front-desk workstations or a
// timer and a click make them: each reports exactly the reservations of its
// own reply, and one that cannot wait for the other says so.
#include <gtest/gtest.h>

#include <filesystem>
#include <future>
#include <map>
#include <regex>
#include <set>

#include "LibraryHarness.h"
#include "platform/DateTime.h"
#include "platform/Errors.h"
#include "platform/FileLock.h"
#include "support/ReservationXml.h"

namespace corvenna::test {
namespace {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

// Hundreds in all, yet a run short enough that the other waits well within
// the 5 s busy time-out also under the sanitizers on a loaded machine.
constexpr int kShare = 150;

ProgramRun Host(std::vector<std::string> args) {
  args.insert(args.begin(), QUENDALE_HOST_PATH);
  return RunProgram(args);
}

// The lock a retrieval takes, beside the host database.
fs::path LockFile(const LibraryHost& host) { return host.DatabaseFile().string() + ".retrieval-lock"; }

// `count` one-night single-room reservations "R-0000"..., each on a night of
// its own, so that every one finds a free room.
std::string ManyReservations(int count) {
  std::string reservations;
  const TDateTime first = EncodeDate(2027, 1, 1);
  for (int i = 0; i < count; ++i) {
    const std::string stay = "<RoomStay><RoomRates><RoomRate RoomTypeCode=\"SGL\"/></RoomRates><TimeSpan Start=\"" +
                             FormatIsoDate(first + i) + "\" End=\"" + FormatIsoDate(first + i + 1) +
                             "\"/></RoomStay>";
    reservations += Reservation(Format("R-%04d", i), stay);
  }
  return Reply(reservations);
}

std::string Match(const std::string& text, const std::regex& pattern) {
  std::smatch match;
  return std::regex_search(text, match, pattern) ? match[1].str() : std::string();
}

// One run as the channel manager saw it: the share its read was given and the
// ids its reports named, in the order received.
struct SeenRun {
  int readNumber = 0;
  Strings reported;
  size_t firstRequest = 0, lastRequest = 0;
};

// The runs by EchoToken, which every message of a run carries.
std::map<std::string, SeenRun> RunsSeenBy(const channelsim::ChannelSim& sim) {
  static const std::regex echo(R"re(EchoToken="([^"]*)")re");
  static const std::regex id(R"re(<UniqueID [^>]*ID="([^"]*)")re");
  std::map<std::string, SeenRun> runs;
  int reads = 0;
  const std::vector<channelsim::ReceivedRequest> received = sim.Received();
  for (size_t i = 0; i < received.size(); ++i) {
    const std::string token = Match(received[i].body, echo);
    const bool fresh = !runs.count(token);
    SeenRun& run = runs[token];
    if (fresh) run.firstRequest = i;
    run.lastRequest = i;
    if (received[i].rootName == "OTA_ReadRQ") run.readNumber = ++reads;
    if (received[i].rootName == "OTA_NotifReportRQ") run.reported.push_back(Match(received[i].body, id));
  }
  return runs;
}

Strings ShareIds(int readNumber) {
  Strings ids;
  for (int i = (readNumber - 1) * kShare; i < readNumber * kShare; ++i) ids.push_back(Format("R-%04d", i));
  return ids;
}

TEST(OneRetrievalAtATimeTest, TwoHostProcessesAtOnceEachReportExactlyTheirOwnReply) {
  LibraryHost host;
  const fs::path folder = host.home.Root() / "reservations";
  fs::create_directories(folder);
  WriteFileText(folder / "reservations.xml", ManyReservations(2 * kShare));
  channelsim::Options options;
  options.readShare = kShare;
  host.ServeReservations(folder, options);

  auto first = std::async(std::launch::async, [] { return Host({"retrieve"}); });
  auto second = std::async(std::launch::async, [] { return Host({"retrieve"}); });
  for (const ProgramRun& run : {first.get(), second.get()}) {
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, std::to_string(kShare) + "\n");
  }

  EXPECT_EQ(host.StoredBookings(), 2 * kShare);
  EXPECT_EQ(host.Count("SELECT COUNT(DISTINCT ChannelID) FROM OtaImport"), 2 * kShare);
  EXPECT_EQ(host.sim->Delivered().size(), static_cast<size_t>(2 * kShare));
  const std::map<std::string, SeenRun> runs = RunsSeenBy(*host.sim);
  ASSERT_EQ(runs.size(), 2u);
  std::vector<const SeenRun*> byRead(2);
  for (const auto& [token, run] : runs) {
    ASSERT_TRUE(run.readNumber == 1 || run.readNumber == 2) << token;
    byRead[static_cast<size_t>(run.readNumber - 1)] = &run;
  }
  ASSERT_TRUE(byRead[0] && byRead[1]);
  EXPECT_EQ(byRead[0]->reported, ShareIds(1));
  EXPECT_EQ(byRead[1]->reported, ShareIds(2));
  EXPECT_LT(byRead[0]->lastRequest, byRead[1]->firstRequest) << "the two runs interleaved";
}

TEST(OneRetrievalAtATimeTest, ARunThatFindsTheLockHeldPastTheBusyTimeOutFailsAndSendsNothing) {
  LibraryHost host;
  TFileLock other(LockFile(host).string());
  ASSERT_TRUE(other.TryLockFor(0));

  const ProgramRun run = Host({"retrieve"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.out, "-1\n");
  EXPECT_NE(run.err.find("quendale-host: CorvennaBookingRetrival failed: Another booking retrieval is running on the "
                         "host database \"" + host.DatabaseFile().string() + "\" and did not end within 5000 ms"),
            std::string::npos)
      << run.err;
  EXPECT_TRUE(host.sim->Received().empty());
  EXPECT_EQ(host.StoredBookings(), 0);
}

TEST(OneRetrievalAtATimeTest, TheLockOfAProcessKilledMidRunDoesNotBlockTheNextRun) {
  LibraryHost host;
  channelsim::Options stall;
  stall.delay = {channelsim::kReport, 60'000};
  host.sim->SetOptions(stall);

  ASSERT_TRUE(KillHostRetrievalAtItsFirstReport(host, [&] {
    TFileLock probe(LockFile(host).string());
    EXPECT_FALSE(probe.TryLockFor(0)) << "the run does not hold its lock while it reports";
  })) << "the first run never reached its reports";

  host.sim->SetOptions({});
  const ProgramRun next = Host({"retrieve"});
  EXPECT_EQ(next.exitCode, 0) << next.err;
  EXPECT_EQ(next.out, "0\n") << "the killed run had stored both";
  EXPECT_EQ(host.StoredBookings(), 2);
  EXPECT_EQ(host.sim->Delivered(), (Strings{"CM-90001", "CM-90002"}));
}

}  // namespace
}  // namespace corvenna::test
