// A FIFO, a socket, a device or a folder in the place of a file the library
// opens fails the call at once, naming the path and what stands there: no
// call waits on it, and nothing is sent that the file was needed for.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>

#include "LibraryHarness.h"
#include "support/NotAFile.h"

namespace corvenna::test {
namespace {

namespace fs = std::filesystem;

// Far more than a call takes; a call that waits on a FIFO never ends.
constexpr std::chrono::seconds kBound{30};

struct Place {
  const char* what;
  std::function<fs::path(const LibraryHost&)> path;
  // The request that needs the file: it is never sent. Empty: nothing at all is.
  std::string unsentRoot;
};

fs::path Temp(const LibraryHost& host, const char* copy) { return host.Documents() / "Quendale" / "Temp" / copy; }

// The name today's day log has in the host's locale, as a first call leaves it.
std::string TodaysDayLogName() {
  const LibraryHost host;
  const ProgramRun run = RunProgram({QUENDALE_HOST_PATH, "avail", "2027-03-01", "2027-03-02"}, {}, kBound);
  EXPECT_EQ(run.exitCode, 0) << run.err;
  for (const auto& entry : fs::directory_iterator(host.OtaDir())) return entry.path().filename().string();
  ADD_FAILURE() << "the update left no day log";
  return "none.log";
}

// Each kind that can be made here, in each place, for the call of `command`.
void ExpectEachRefusedAtOnce(const std::vector<std::string>& command, const std::vector<Place>& places) {
  for (const Place& place : places) {
    for (const NotAFileKind kind : AllNotAFileKinds()) {
      SCOPED_TRACE(command.front() + ", " + KindName(kind) + " as " + place.what);
      LibraryHost host;
      const fs::path path = place.path(host);
      const NotAFile there(kind, path);
      if (!there.Made()) continue;
      std::vector<std::string> args{QUENDALE_HOST_PATH};
      args.insert(args.end(), command.begin(), command.end());
      const ProgramRun run = RunProgram(args, {{"QT_QPA_PLATFORM", "offscreen"}}, kBound);

      ASSERT_FALSE(run.timedOut) << "still running after " << kBound.count() << " s";
      EXPECT_EQ(run.exitCode, 1) << run.out << run.err;
      EXPECT_NE(run.err.find(path.string()), std::string::npos) << run.err;
      EXPECT_NE(run.err.find(": " + KindText(kind)), std::string::npos) << run.err;
      for (const auto& request : host.sim->Received())
        EXPECT_TRUE(!place.unsentRoot.empty() && request.rootName != place.unsentRoot) << request.rootName;
      const fs::file_status left = fs::symlink_status(path);
      EXPECT_TRUE(fs::exists(left) && !fs::is_regular_file(left)) << "it was removed or replaced";
    }
  }
}

const std::vector<std::string> kRetrieve{"retrieve"};
const std::vector<std::string> kAvail{"avail", "2027-03-01", "2027-03-14"};

TEST(NotAFileTest, TodaysDayLog) {
  const std::string name = TodaysDayLogName();
  const Place dayLog{"today's day log", [&](const LibraryHost& h) { return h.OtaDir() / name; }, ""};
  ExpectEachRefusedAtOnce(kRetrieve, {dayLog});
  ExpectEachRefusedAtOnce(kAvail, {dayLog});
}

TEST(NotAFileTest, EachCopyOfARetrieval) {
  ExpectEachRefusedAtOnce(
      kRetrieve,
      {
          {"the read request's copy", [](const LibraryHost& h) { return Temp(h, "ReadRQ.xml"); }, ""},
          {"the read reply's copy", [](const LibraryHost& h) { return Temp(h, "ResRetriveRS.xml"); }, ""},
          {"the first report's copy", [](const LibraryHost& h) { return Temp(h, "NotifReportRQ1.xml"); },
           "OTA_NotifReportRQ"},
          {"the first report reply's copy", [](const LibraryHost& h) { return Temp(h, "NotifReportRS1.xml"); },
           "OTA_NotifReportRQ"},
      });
}

TEST(NotAFileTest, EachCopyOfAnAvailabilityUpdate) {
  ExpectEachRefusedAtOnce(
      kAvail, {
                  {"the request's copy", [](const LibraryHost& h) { return Temp(h, "AvailNotifRQ.xml"); }, ""},
                  {"the reply's copy", [](const LibraryHost& h) { return Temp(h, "AvailNotifRS.xml"); }, ""},
              });
}

TEST(NotAFileTest, TheRetrievalLockFile) {
  ExpectEachRefusedAtOnce(
      kRetrieve,
      {{"the lock file", [](const LibraryHost& h) { return fs::path(h.DatabaseFile().string() + ".retrieval-lock"); },
        ""}});
}

TEST(NotAFileTest, TheUserFolderList) {
  const Place list{"the user folder list",
                   [](const LibraryHost& h) { return h.home.Root() / ".config" / "user-dirs.dirs"; }, ""};
  ExpectEachRefusedAtOnce(kRetrieve, {list});
  ExpectEachRefusedAtOnce(kAvail, {list});
}

// The texts are the dialog's only: the call says what stands in the file's
// place and goes on with the built-in texts.
TEST(NotAFileTest, TheTranslationFileIsReportedAndTheCallGoesOn) {
  for (const NotAFileKind kind : AllNotAFileKinds()) {
    SCOPED_TRACE(KindName(kind));
    LibraryHost host;
    const fs::path path = host.Documents() / "Quendale" / "Lan" / "Language.sil";
    const NotAFile there(kind, path);
    if (!there.Made()) continue;
    const ProgramRun run = RunProgram({QUENDALE_HOST_PATH, "retrieve"}, {{"QT_QPA_PLATFORM", "offscreen"}}, kBound);

    ASSERT_FALSE(run.timedOut) << "still running after " << kBound.count() << " s";
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.err.find("[error] Cannot open translation file \"" + path.string() + "\": " + KindText(kind)),
              std::string::npos)
        << run.err;
    EXPECT_EQ(host.BodiesOf("OTA_ReadRQ").size(), 1u);
  }
}

}  // namespace
}  // namespace corvenna::test
