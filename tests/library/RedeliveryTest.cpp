// A channel manager offers every reservation again until a success report for
// it arrives. Through the exports, as the host calls them: whatever became of
// the reports, a booking is stored once and then reported as stored.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "LibraryHarness.h"
#include "data/Constants.h"
#include "platform/Dataset.h"
#include "support/RegistryFixture.h"
#include "support/ScratchHome.h"

namespace corvenna::test {
namespace {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

// The sample reservations: CM-90001 (DBL) and CM-90002 (SGL) are stored,
// CM-90003 (TWN, unmapped) is refused with 402.
const Strings kFirstReports{"CM-90001 success", "CM-90002 success", "CM-90003 error 402"};

// A host whose channel manager serves a folder of the test's own, starting
// with the sample reservations.
class RedeliveryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(Folder());
    for (const auto& file : fs::directory_iterator(SampleReservationsDir))
      fs::copy_file(file.path(), Folder() / file.path().filename());
    host.ServeReservations(Folder());
  }

  fs::path Folder() const { return host.home.Root() / "reservations"; }
  fs::path TempDir() const { return host.Documents() / "Quendale" / "Temp"; }
  void SetOptions(const std::function<void(channelsim::Options&)>& set) {
    channelsim::Options options;
    set(options);
    host.sim->SetOptions(options);
  }

  // One silent retrieval; the outcome of each report it sent.
  Strings Retrieve() {
    host.sim->ClearReceived();
    library.BookingRetrival(0);
    Strings outcomes;
    for (const std::string& report : host.BodiesOf("OTA_NotifReportRQ")) outcomes.push_back(ReportOutcomeOf(report));
    return outcomes;
  }
  int64_t Count(const std::string& sql) const { return host.Count(sql); }

  LibraryHost host;
  LoadedLibrary library;
};

struct ReportFailure {
  const char* name;
  std::function<void(channelsim::Options&, const fs::path& tempDir)> breakReports;
};

void PrintTo(const ReportFailure& failure, std::ostream* out) { *out << failure.name; }

class ReportFailureTest : public RedeliveryTest, public ::testing::WithParamInterface<ReportFailure> {};

TEST_P(ReportFailureTest, AReservationWhoseReportFailedIsStoredOnceAndThenReportedAsStored) {
  channelsim::Options broken;
  GetParam().breakReports(broken, TempDir());
  host.sim->SetOptions(broken);
  Retrieve();
  ASSERT_EQ(host.StoredBookings(), 2);
  ASSERT_TRUE(host.sim->Delivered().empty());

  SetOptions([](auto&) {});
  fs::remove_all(TempDir() / "NotifReportRQ1.xml");
  EXPECT_EQ(Retrieve(), kFirstReports);
  EXPECT_EQ(host.StoredBookings(), 2);
  EXPECT_EQ(host.sim->Delivered(), (Strings{"CM-90001", "CM-90002"}));
  EXPECT_EQ(Retrieve(), Strings{"CM-90003 error 402"}) << "only the refused one is offered again";
}

using channelsim::kReport;
INSTANTIATE_TEST_SUITE_P(
    EachWayAReportFails, ReportFailureTest,
    ::testing::Values(
        ReportFailure{"PostFailsConnectionDropped", [](auto& o, auto&) { o.drop.kinds = kReport; }},
        ReportFailure{"Http503", [](auto& o, auto&) { o.httpStatus = {kReport, 503, ""}; }},
        ReportFailure{"OtaErrorsInTheReply", [](auto& o, auto&) { o.otaErrors.kinds = kReport; }},
        ReportFailure{"SoapFault", [](auto& o, auto&) { o.fault.kinds = kReport; }},
        ReportFailure{"ReplyNotXml", [](auto& o, auto&) { o.nonXml.kinds = kReport; }},
        ReportFailure{"ReportCopyNotSaved",
                      [](auto&, const fs::path& temp) { fs::create_directories(temp / "NotifReportRQ1.xml" / "x"); }}),
    [](const ::testing::TestParamInfo<ReportFailure>& param) { return std::string(param.param.name); });

TEST_F(RedeliveryTest, TheCountOfARetrievalHoldsOnlyWhatItStored) {
  SetOptions([](auto& o) { o.drop.kinds = channelsim::kReport; });
  library.BookingRetrival(0);
  SetOptions([](auto&) {});
  EXPECT_EQ(library.BookingRetrival(0), 0);
  EXPECT_STREQ(library.LastError(), "");
}

// The host dies while the first report waits for its reply.
TEST_F(RedeliveryTest, AfterTheHostWasKilledBetweenImportAndReportsNothingIsStoredTwice) {
  SetOptions([](auto& o) { o.delay = {channelsim::kReport, 60'000}; });
  ASSERT_TRUE(KillHostRetrievalAtItsFirstReport(host));
  ASSERT_EQ(host.BodiesOf("OTA_NotifReportRQ").size(), 1u);
  ASSERT_EQ(host.StoredBookings(), 2);

  SetOptions([](auto&) {});
  EXPECT_EQ(Retrieve(), kFirstReports);
  EXPECT_EQ(host.StoredBookings(), 2);
}

// Without a channel id nothing is reported, so it is offered on every poll.
TEST_F(RedeliveryTest, AReservationWithOneUniqueIdOfferedOnThreePollsIsStoredOnce) {
  fs::remove_all(Folder());
  fs::create_directories(Folder());
  fs::copy_file(fs::path(CORVENNA_TEST_DATA_DIR) / "reservations" / "02-single-unique-id.xml", Folder() / "02.xml");
  for (int poll = 1; poll <= 3; ++poll) EXPECT_EQ(Retrieve(), Strings{}) << poll;
  EXPECT_EQ(host.StoredBookings(), 1);
}

TEST_F(RedeliveryTest, TheSameReservationTwiceInOneReplyIsStoredOnce) {
  fs::copy_file(Folder() / "01-direct.xml", Folder() / "03-direct-again.xml");
  EXPECT_EQ(library.BookingRetrival(0), 2);
  EXPECT_EQ(host.StoredBookings(), 2);
  EXPECT_EQ(host.sim->Delivered(), (Strings{"CM-90001", "CM-90002"}));
}

TEST_F(RedeliveryTest, ARefusedStayOfferedAgainIsTriedAgain) {
  EXPECT_EQ(Retrieve(), kFirstReports);
  SetString(std::string(CorvennaKey), "Type3", "TWN");
  EXPECT_EQ(Retrieve(), Strings{"CM-90003 success"});
  EXPECT_EQ(Count("SELECT COUNT(*) FROM GuestData WHERE RoomNumber = '301'"), 1);
}

TEST_F(RedeliveryTest, AChangedReservationIsNotStoredAndIsReportedAsRoomNotAvailable) {
  SetOptions([](auto& o) { o.drop.kinds = channelsim::kReport; });
  Retrieve();
  SetOptions([](auto&) {});
  const fs::path file = Folder() / "01-direct.xml";
  std::string text = ReadFileText(file);
  text.replace(text.find("End=\"2027-03-08\""), 16, "End=\"2027-03-09\"");
  WriteFileText(file, text);

  EXPECT_EQ(Retrieve(), (Strings{"CM-90001 error 403", "CM-90002 success", "CM-90003 error 402"}));
  EXPECT_EQ(host.StoredBookings(), 2);
  EXPECT_EQ(Count("SELECT COUNT(*) FROM GuestData WHERE DepartureDate = 46454"), 1) << "8 March 2027, as first stored";
}

TEST_F(RedeliveryTest, AHostDatabaseWithoutTheImportRecordIsUpgradedByTheFirstRetrieval) {
  {
    TDatabase database("RedeliveryUpgrade");
    database.SetDatabaseFileName(host.DatabaseFile().string());
    database.Open();
    database.Execute("DROP TABLE OtaImport");
  }
  EXPECT_EQ(Retrieve(), kFirstReports);
  EXPECT_EQ(Count("SELECT COUNT(*) FROM OtaImport"), 2);
  EXPECT_EQ(Count("SELECT COUNT(*) FROM sqlite_master WHERE name = 'OtaImport_Key'"), 1);
}

}  // namespace
}  // namespace corvenna::test
