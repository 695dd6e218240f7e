// The four entry points, called as the host calls them: through dlopen and
// dlsym on the built library, against channel-sim on loopback.
#include <gtest/gtest.h>

#include <QApplication>
#include <QWidget>
#include <cstdio>
#include <functional>
#include <memory>
#include <regex>
#include <set>
#include <thread>

#include "LibraryHarness.h"
#include "platform/DateTime.h"
#include "support/ScratchHome.h"

namespace corvenna::test {
namespace {

namespace fs = std::filesystem;

struct NightRange {
  std::string type, start, end;
  bool operator==(const NightRange&) const = default;
};

std::ostream& operator<<(std::ostream& out, const NightRange& r) {
  return out << r.type << " " << r.start << ".." << r.end;
}

// The (InvTypeCode, Start, End) of every StatusApplicationControl sent.
std::vector<NightRange> SentRanges(const std::string& body) {
  static const std::regex control(R"(<StatusApplicationControl\s[^>]*>)");
  static const std::regex attribute(R"re((\w+)="([^"]*)")re");
  std::vector<NightRange> ranges;
  for (std::sregex_iterator it(body.begin(), body.end(), control), end; it != end; ++it) {
    std::map<std::string, std::string> values;
    const std::string element = it->str();
    for (std::sregex_iterator a(element.begin(), element.end(), attribute); a != std::sregex_iterator(); ++a)
      values[(*a)[1]] = (*a)[2];
    ranges.push_back({values["InvTypeCode"], values["Start"], values["End"]});
  }
  return ranges;
}

std::set<std::string> ExportedSymbols() {
  std::set<std::string> names;
  const std::string command = "nm -D --defined-only '" + std::string(CORVENNA_LIBRARY_PATH) + "'";
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  if (!pipe) return names;
  char line[512];
  while (std::fgets(line, sizeof line, pipe.get())) {
    char address[64], kind[8], name[400];
    if (std::sscanf(line, "%63s %7s %399s", address, kind, name) == 3) names.insert(name);
  }
  return names;
}

// The day log can never be opened: a retrieval fails before it starts.
void BlockDayLog(const LibraryHost& host) {
  fs::remove_all(host.OtaDir());
  WriteFileText(host.OtaDir(), "not a folder");
}

class ExportsTest : public ::testing::Test {
 protected:
  LoadedLibrary library;
};

TEST_F(ExportsTest, OnlyTheFourEntryPointsAreExported) {
  EXPECT_EQ(ExportedSymbols(), (std::set<std::string>{"CorvennaAvailUpdate", "CorvennaBookingRetrival",
                                                      "CorvennaLastError", "CorvennaShowDialog"}));
}

TEST_F(ExportsTest, OnlyTheLowestByteOfTheFlagAsksForMessages) {
  const struct {
    int32_t flag;
    bool messages;
  } cases[] = {{0, false}, {256, false}, {static_cast<int32_t>(0xFFFFFF00u), false}, {1, true}, {0x101, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.flag);
    LibraryHost host;
    StderrCapture err;
    EXPECT_EQ(library.BookingRetrival(c.flag), 2);
    EXPECT_EQ(!err.LinesStartingWith("[info]").empty(), c.messages) << err.Text();
    EXPECT_EQ(host.StoredBookings(), 2);
  }
}

TEST_F(ExportsTest, RetrievalReturnsTheCountTheRetrievalLeft) {
  const fs::path emptyFolder = fs::temp_directory_path() / "corvenna-no-reservations";
  fs::create_directories(emptyFolder);
  channelsim::Options reportFails;
  reportFails.httpStatus.kinds = channelsim::kReport;
  channelsim::Options readFails;
  readFails.nonXml.kinds = channelsim::kRead;
  const struct {
    const char* what;
    std::string folder;
    channelsim::Options options;
    int32_t count;
    int64_t stored;
    const char* lastError;
  } cases[] = {
      {"two stored, one refused", SampleReservationsDir, {}, 2, 2, ""},
      {"nothing undelivered", emptyFolder.string(), {}, 0, 0, ""},
      // The status is not looked at: the reports' replies still say Success.
      {"stored, then the reports get an error status", SampleReservationsDir, reportFails, 2, 2, ""},
      {"the read reply is not XML", SampleReservationsDir, readFails, -1, 0, "The reply is not an XML document"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    LibraryHost host(true, c.folder, c.options);
    StderrCapture quiet;
    EXPECT_EQ(library.BookingRetrival(0), c.count);
    EXPECT_EQ(host.StoredBookings(), c.stored);
    EXPECT_STREQ(library.LastError(), c.lastError);
  }
}

TEST_F(ExportsTest, AvailUpdatePassesTheDatesOnAsReceived) {
  const TDateTime first = EncodeDate(2027, 3, 1), last = EncodeDate(2027, 3, 31);
  {
    LibraryHost host;
    library.AvailUpdate(first, last);
    ASSERT_EQ(host.BodiesOf("OTA_HotelAvailNotifRQ").size(), 1u);
    EXPECT_EQ(SentRanges(host.BodiesOf("OTA_HotelAvailNotifRQ")[0]),
              (std::vector<NightRange>{{"SGL", "2027-03-01", "2027-03-31"},
                                       {"DBL", "2027-03-01", "2027-03-31"},
                                       {"STE", "2027-03-01", "2027-03-31"}}));
  }
  // Swapped, the update itself decides what a range from the 31st means; it
  // starts on the first date received, not on the earlier one.
  LibraryHost host;
  library.AvailUpdate(last, first);
  ASSERT_EQ(host.BodiesOf("OTA_HotelAvailNotifRQ").size(), 1u);
  const std::vector<NightRange> sent = SentRanges(host.BodiesOf("OTA_HotelAvailNotifRQ")[0]);
  ASSERT_FALSE(sent.empty());
  for (const NightRange& range : sent) EXPECT_EQ(range.start, "2027-03-31") << range;
}

// Each call, also one that fails, leaves no data module behind: nothing holds
// the database file open, and the next call can make it anew. (The dialog:
// see the host-application test below, where a window left would show.)
TEST_F(ExportsTest, NothingOfACallRemainsAfterIt) {
  const struct {
    const char* what;
    std::function<void(LoadedLibrary&, LibraryHost&)> call;
  } calls[] = {
      {"a retrieval", [](LoadedLibrary& l, LibraryHost&) { EXPECT_EQ(l.BookingRetrival(1), 2); }},
      {"a retrieval that fails", [](LoadedLibrary& l, LibraryHost& h) {
         BlockDayLog(h);
         EXPECT_EQ(l.BookingRetrival(0), -1);
         fs::remove(h.OtaDir());
         h.home.MakeHostFolders();
       }},
      {"an availability update", [](LoadedLibrary& l, LibraryHost&) { l.AvailUpdate(47000, 47010); }},
      {"the dialog without a display", [](LoadedLibrary& l, LibraryHost&) { l.ShowDialog(); }},
  };
  for (const auto& c : calls) {
    SCOPED_TRACE(c.what);
    LibraryHost host;
    {
      StderrCapture quiet;
      c.call(library, host);
    }
    EXPECT_EQ(OpenDescriptorsOn(host.DatabaseFile()), 0);
    host.sim->ResetDelivered();
    StderrCapture quiet;
    EXPECT_GE(library.BookingRetrival(0), 0);
    EXPECT_STREQ(library.LastError(), "") << quiet.Text();
  }
}

// A host with a Qt application of its own keeps it, and no window of the
// call is left in it.
TEST_F(ExportsTest, AHostsOwnApplicationIsUsedAndKept) {
  int argc = 1;
  char name[] = "host";
  char* argv[] = {name, nullptr};
  QApplication application(argc, argv);
  LibraryHost host;
  StderrCapture quiet;
  EXPECT_EQ(library.BookingRetrival(0), 2);
  EXPECT_EQ(QCoreApplication::instance(), &application);
  EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty());
  library.AvailUpdate(47000, 47010);
  EXPECT_EQ(QCoreApplication::instance(), &application);
  EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty());
  EXPECT_STREQ(library.LastError(), "") << quiet.Text();
}

// The creation's error box is shown once, on standard error where nobody can
// see a window, and the operation runs all the same: it fails, naming the
// file, before it sends anything.
TEST_F(ExportsTest, AnUnopenableDatabaseGivesOneErrorBoxAndTheOperationRuns) {
  {
    LibraryHost host(false);
    StderrCapture err;
    EXPECT_EQ(library.BookingRetrival(0), -1);
    EXPECT_EQ(err.LinesStartingWith("[error]").size(), 1u) << err.Text();
    EXPECT_TRUE(host.BodiesOf("OTA_ReadRQ").empty()) << "no read for bookings that cannot be stored";
    EXPECT_NE(std::string(library.LastError()).find(host.DatabaseFile().string()), std::string::npos);
  }
  LibraryHost host(false);
  StderrCapture err;
  library.AvailUpdate(47000, 47010);
  EXPECT_EQ(err.LinesStartingWith("[error]").size(), 1u) << err.Text();
  EXPECT_NE(std::string(library.LastError()).find(host.DatabaseFile().string()), std::string::npos);
  EXPECT_TRUE(host.sim->Received().empty());
}

TEST_F(ExportsTest, LastErrorTellsWhatEndedTheLastCallOfThisThread) {
  LibraryHost host;
  BlockDayLog(host);
  StderrCapture err;
  EXPECT_EQ(library.BookingRetrival(0), -1);
  const std::string message = library.LastError();
  EXPECT_NE(message, "");
  EXPECT_NE(err.Text().find("CorvennaBookingRetrival: " + message), std::string::npos) << err.Text();

  std::string otherThread = "unset";
  std::thread([&] { otherThread = library.LastError(); }).join();
  EXPECT_EQ(otherThread, "");

  fs::remove(host.OtaDir());
  host.home.MakeHostFolders();
  EXPECT_EQ(library.BookingRetrival(0), 2);
  EXPECT_STREQ(library.LastError(), "");
}

// Qt objects belong to the application's thread, the main one: a call from
// another thread does nothing, before an application is made and after.
TEST_F(ExportsTest, ACallFromAnotherThreadDoesNothingAndSaysWhy) {
  LibraryHost host;
  const auto fromAnotherThread = [&](const std::string& exportName, const std::function<void()>& call) {
    SCOPED_TRACE(exportName);
    StderrCapture err;
    std::string message;
    std::thread([&] {
      call();
      message = library.LastError();
    }).join();
    EXPECT_NE(message.find("main thread"), std::string::npos) << message;
    // No warning of Qt's either.
    EXPECT_EQ(err.Text(), exportName + ": " + message + "\n");
  };
  const auto everyExport = [&] {
    fromAnotherThread("CorvennaBookingRetrival", [&] { EXPECT_EQ(library.BookingRetrival(0), -1); });
    fromAnotherThread("CorvennaAvailUpdate", [&] { library.AvailUpdate(47000, 47010); });
    fromAnotherThread("CorvennaShowDialog", [&] { library.ShowDialog(); });
  };
  everyExport();
  EXPECT_EQ(QCoreApplication::instance(), nullptr);
  StderrCapture quiet;
  EXPECT_EQ(library.BookingRetrival(0), 2);
  everyExport();
  EXPECT_EQ(host.BodiesOf("OTA_ReadRQ").size(), 1u);
  EXPECT_TRUE(host.BodiesOf("OTA_HotelAvailNotifRQ").empty());
  EXPECT_EQ(host.StoredBookings(), 2);
  library.AvailUpdate(47000, 47010);
  EXPECT_STREQ(library.LastError(), "") << quiet.Text();
}

TEST_F(ExportsTest, TheDialogIsNotShownWhereNobodyCanSeeIt) {
  LibraryHost host;
  StderrCapture err;
  library.ShowDialog();
  EXPECT_NE(std::string(library.LastError()).find("no display"), std::string::npos) << library.LastError();
}

TEST(ExportsUnloadTest, TheLibraryUnloadsAfterItsCalls) {
  {
    LoadedLibrary library;
    LibraryHost host;
    StderrCapture quiet;
    EXPECT_EQ(library.BookingRetrival(0), 2);
    library.AvailUpdate(47000, 47010);
  }
  EXPECT_FALSE(LoadedLibrary::IsLoaded());
}

}  // namespace
}  // namespace corvenna::test
