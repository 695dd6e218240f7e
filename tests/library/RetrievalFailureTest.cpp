// A retrieval or an availability update that does not go through must say so
// to the host: -1 and a message, never what a run that found nothing returns.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <linux/fs.h>
#include <sqlite3.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <stdexcept>
#include <vector>

#include "LibraryHarness.h"
#include "data/Constants.h"
#include "support/RegistryFixture.h"

namespace corvenna::test {
namespace {

namespace fs = std::filesystem;

const fs::path kRetrievalFixtures = fs::path(CORVENNA_TEST_DATA_DIR) / "retrieval";

void SetEndpoint(const std::string& url) { SetString(std::string(CorvennaKey), "CorvennaAvailReqUlr", url); }

// A folder of its own for channel-sim to serve, holding the given
// reservation files; removed with the object. Its name is unique: a test run
// beside this one, of another build, must not empty it.
class OfferFolder {
 public:
  explicit OfferFolder(const std::string& name, const std::vector<fs::path>& files = {}) {
    std::string pattern = (fs::path(::testing::TempDir()) / ("corvenna-offer-" + name + "-XXXXXX")).string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
    for (const fs::path& file : files) fs::copy_file(file, path_ / file.filename());
  }
  ~OfferFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  OfferFolder(const OfferFolder&) = delete;
  OfferFolder& operator=(const OfferFolder&) = delete;

  std::string Path() const { return path_.string(); }

 private:
  fs::path path_;
};

// Another writer of the host database, in the middle of a transaction for as
// long as it lives.
class WriteLock {
 public:
  explicit WriteLock(const fs::path& database) {
    if (sqlite3_open_v2(database.c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK ||
        sqlite3_exec(db_, "BEGIN IMMEDIATE; DELETE FROM OtaResponse", nullptr, nullptr, nullptr) != SQLITE_OK)
      ADD_FAILURE() << "cannot lock " << database << ": " << sqlite3_errmsg(db_);
  }
  ~WriteLock() {
    sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(db_);
  }
  WriteLock(const WriteLock&) = delete;
  WriteLock& operator=(const WriteLock&) = delete;

 private:
  sqlite3* db_ = nullptr;
};

// A file or folder nobody can write while this lives. Root writes through
// permission bits, so for root the immutable flag plays it, where the file
// system has one.
class ReadOnlyPath {
 public:
  explicit ReadOnlyPath(fs::path path) : path_(std::move(path)) {
    if (geteuid() != 0) {
      mode_ = fs::status(path_).permissions();
      fs::permissions(path_, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                      fs::perm_options::remove);
      active_ = true;
    } else {
      active_ = SetImmutable(true);
    }
  }
  ~ReadOnlyPath() {
    if (!active_) return;
    if (geteuid() != 0)
      fs::permissions(path_, mode_);
    else
      SetImmutable(false);
  }
  ReadOnlyPath(const ReadOnlyPath&) = delete;
  ReadOnlyPath& operator=(const ReadOnlyPath&) = delete;

  bool Active() const { return active_; }

 private:
  bool SetImmutable(bool on) {
    const int fd = open(path_.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    int flags = 0;
    bool done = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
    done = done && ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    close(fd);
    return done;
  }

  fs::path path_;
  fs::perms mode_ = fs::perms::none;
  bool active_ = false;
};

std::string StoredBeforeText(int64_t stored) {
  if (stored == 1) return "; 1 booking was stored before the failure";
  return "; " + std::to_string(stored) + " bookings were stored before the failure";
}

// What the call left for the host, checked against what the case expects.
void ExpectFailure(int32_t returned, const std::string& message, const std::string& says, int64_t stored) {
  EXPECT_EQ(returned, -1);
  EXPECT_NE(message.find(says), std::string::npos) << message;
  if (stored > 0)
    EXPECT_NE(message.find(StoredBeforeText(stored)), std::string::npos) << message;
  else
    EXPECT_EQ(message.find("stored before"), std::string::npos) << message;
}

class RetrievalFailureTest : public ::testing::Test {
 protected:
  LoadedLibrary library;
};

// Whatever must hold while the call runs (a lock), or nothing.
using Hold = std::shared_ptr<void>;

TEST_F(RetrievalFailureTest, EveryFailureReturnsMinusOneAndSaysWhatEndedTheRun) {
  channelsim::Options readNotXml, readFault, readOtaErrors, reportNotXml;
  readNotXml.nonXml.kinds = channelsim::kRead;
  readFault.fault.kinds = channelsim::kRead;
  readOtaErrors.otaErrors.kinds = channelsim::kRead;
  reportNotXml.nonXml.kinds = channelsim::kReport;
  const auto nothing = [](LibraryHost&) { return Hold(); };
  const OfferFolder walkError("unreadable-value", {kRetrievalFixtures / "unconvertible-units.xml"});
  const struct {
    const char* what;
    std::function<Hold(LibraryHost&)> arrange;
    std::string says;
    int64_t stored;
    std::string reservations = SampleReservationsDir;
    channelsim::Options options = {};
  } cases[] = {
      {"the database is locked by another writer",
       [](LibraryHost& h) { return Hold(std::make_shared<WriteLock>(h.DatabaseFile())); }, "database is locked", 0},
      {"the Temp folder is missing", [](LibraryHost& h) { fs::remove_all(h.Documents() / "Quendale" / "Temp"); return Hold(); },
       "Temp/ReadRQ.xml", 0},
      // The read request's copy is written over, not deleted first.
      {"a link is planted as a copy",
       [](LibraryHost& h) {
         fs::create_symlink("/dev/null", h.Documents() / "Quendale" / "Temp" / "ReadRQ.xml");
         return Hold();
       },
       "Temp/ReadRQ.xml': it is a symbolic link", 0},
      {"the connection is refused", [](LibraryHost& h) { h.sim->Stop(); return Hold(); }, "HTTP POST to http://", 0},
      {"TLS is refused",
       [](LibraryHost& h) { SetEndpoint("https://127.0.0.1:" + std::to_string(h.sim->Port()) + "/"); return Hold(); },
       "HTTP POST to https://127.0.0.1", 0},
      {"the read reply is not XML", nothing, "The reply is not an XML document", 0, SampleReservationsDir, readNotXml},
      {"the read reply is a SOAP fault", nothing, "The reply is a SOAP fault: Internal server error", 0,
       SampleReservationsDir, readFault},
      {"the read reply carries OTA errors", nothing, "The reply carries OTA error 392: Invalid hotel code", 0,
       SampleReservationsDir, readOtaErrors},
      {"a reservation holds a value that cannot be read", nothing,
       "Reservation 2 of the reply (booking number CV-5002) cannot be imported: its NumberOfUnits \"two\" cannot "
       "be read",
       2, walkError.Path()},
      {"a report's reply is not XML", nothing, "The reply is not an XML document", 2, SampleReservationsDir,
       reportNotXml},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    LibraryHost host(true, c.reservations, c.options);
    StderrCapture err;
    int32_t returned = 0;
    {
      const Hold hold = c.arrange(host);
      returned = library.BookingRetrival(0);
    }
    const std::string message = library.LastError();
    ExpectFailure(returned, message, c.says, c.stored);
    EXPECT_NE(err.Text().find("CorvennaBookingRetrival: " + message), std::string::npos);
    EXPECT_EQ(host.StoredBookings(), c.stored);
  }
}

// The endpoint setting may carry a name and password, or a line break that
// would start a line of its own on standard error.
TEST_F(RetrievalFailureTest, AFailureShowsTheEndpointWithoutItsUserInfoOrItsLineBreaks) {
  const std::pair<std::string, std::string> paths[] = {
      {"/relayport/services", "/relayport/services"},
      {"/relay\nport: injected", "/relay%0Aport: injected"},
  };
  for (const auto& [path, shownPath] : paths) {
    SCOPED_TRACE(path);
    LibraryHost host;
    const std::string address = "127.0.0.1:" + std::to_string(host.sim->Port());
    host.sim->Stop();
    SetEndpoint("http://name:secret@" + address + path);
    StderrCapture err;
    EXPECT_EQ(library.BookingRetrival(0), -1);

    const std::string message = library.LastError();
    EXPECT_NE(message.find("HTTP POST to http://" + address + shownPath + " failed: "), std::string::npos) << message;
    EXPECT_EQ(message.find('\n'), std::string::npos) << message;
    const std::string written = err.Text();
    EXPECT_NE(written.find("CorvennaBookingRetrival: " + message + "\n"), std::string::npos) << written;
    EXPECT_EQ(written.find("\nport"), std::string::npos) << written;
    std::string files;
    for (const auto& entry : fs::recursive_directory_iterator(host.Documents()))
      if (entry.is_regular_file()) files += ReadFileText(entry.path());
    for (const std::string& text : {message, written, files}) EXPECT_EQ(text.find("secret"), std::string::npos);
  }
}

TEST_F(RetrievalFailureTest, ARetrievalThatFoundNothingReturnsZeroAndNoMessage) {
  const OfferFolder nothingUndelivered("nothing");
  LibraryHost host(true, nothingUndelivered.Path());
  StderrCapture quiet;
  EXPECT_EQ(library.BookingRetrival(0), 0);
  EXPECT_STREQ(library.LastError(), "");
}

TEST_F(RetrievalFailureTest, AReportRefusedWithOtaErrorsStillCompletesTheRun) {
  channelsim::Options options;
  options.otaErrors.kinds = channelsim::kReport;
  LibraryHost host(true, SampleReservationsDir, options);
  StderrCapture quiet;
  EXPECT_EQ(library.BookingRetrival(0), 2);
  EXPECT_STREQ(library.LastError(), "");
  EXPECT_EQ(host.StoredBookings(), 2);
}

TEST_F(RetrievalFailureTest, AReadOnlyDatabaseOrFolderFailsTheRetrieval) {
  const struct {
    const char* what;
    std::function<fs::path(const LibraryHost&)> path;
  } cases[] = {
      {"the database file", [](const LibraryHost& h) { return h.DatabaseFile(); }},
      {"the database folder", [](const LibraryHost& h) { return h.DatabaseFile().parent_path(); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    LibraryHost host;
    StderrCapture err;
    int32_t returned = 0;
    {
      const ReadOnlyPath readOnly(c.path(host));
      if (!readOnly.Active()) GTEST_SKIP() << "nothing here can make a file read-only for this user";
      returned = library.BookingRetrival(0);
    }
    EXPECT_EQ(returned, -1);
    EXPECT_STRNE(library.LastError(), "") << err.Text();
    EXPECT_EQ(host.StoredBookings(), 0);
  }
}

TEST_F(RetrievalFailureTest, AnAvailabilityUpdateThatDidNotGoThroughLeavesItsReason) {
  channelsim::Options notXml, fault, otaErrors;
  notXml.nonXml.kinds = channelsim::kAvail;
  fault.fault.kinds = channelsim::kAvail;
  otaErrors.otaErrors.kinds = channelsim::kAvail;
  const auto nothing = [](LibraryHost&) {};
  const struct {
    const char* what;
    std::function<void(LibraryHost&)> arrange;
    channelsim::Options options;
    std::string says;  // empty: the update went through
  } cases[] = {
      {"it went through", nothing, {}, ""},
      {"the Temp folder is missing", [](LibraryHost& h) { fs::remove_all(h.Documents() / "Quendale" / "Temp"); },
       {}, "Temp/AvailNotifRQ.xml"},
      {"the connection is refused", [](LibraryHost& h) { h.sim->Stop(); }, {}, "HTTP POST to http://"},
      {"the reply is not XML", nothing, notXml, "The reply is not an XML document"},
      {"the reply is a SOAP fault", nothing, fault, "The reply is a SOAP fault: Internal server error"},
      {"the reply carries OTA errors", nothing, otaErrors, "The reply carries OTA error 392: Invalid hotel code"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    LibraryHost host(true, SampleReservationsDir, c.options);
    c.arrange(host);
    StderrCapture err;
    library.AvailUpdate(47000, 47010);
    const std::string message = library.LastError();
    if (c.says.empty()) {
      EXPECT_EQ(message, "");
      continue;
    }
    EXPECT_NE(message.find(c.says), std::string::npos) << message;
    EXPECT_NE(err.Text().find("CorvennaAvailUpdate: " + message), std::string::npos);
  }
}

}  // namespace
}  // namespace corvenna::test
