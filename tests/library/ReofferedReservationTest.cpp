// Every reservation of a reply is told truly, whatever the others hold. Through
// the exports, with a channel manager that offers a reservation again until a
// success report for it arrives, over three retrievals in a row.
#include <gtest/gtest.h>

#include <ctime>
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

// Room types of the hotel: SGL, DBL and STE, two rooms each.
std::string StayXml(const std::string& roomType, const std::string& timeSpan = R"(Start="2027-03-05" End="2027-03-08")") {
  return "<RoomStay><RoomRates><RoomRate RoomTypeCode=\"" + roomType +
         "\" RatePlanCode=\"BAR\" NumberOfUnits=\"1\"/></RoomRates>"
         "<GuestCounts><GuestCount AgeQualifyingCode=\"10\" Count=\"2\"/>"
         "<GuestCount AgeQualifyingCode=\"8\" Count=\"1\"/></GuestCounts>"
         "<TimeSpan " + timeSpan + "/><Total AmountAfterTax=\"357.00\" CurrencyCode=\"EUR\"/>"
         "<Comments><Comment><Text>Late arrival</Text></Comment></Comments></RoomStay>";
}

struct ReservationIds {
  std::string channelId;
  std::string type = "14";
  std::string resIdValue = "WEB-1";
};

// Values written as they stand in the file: references and all.
std::string ReservationXml(const ReservationIds& ids, const std::string& stays) {
  return "<HotelReservation ResStatus=\"Book\">"
         "<POS><Source><RequestorID ID=\"AGENT-7\"/></Source></POS>"
         "<UniqueID Type=\"" + ids.type + "\" ID=\"WEB-" + ids.channelId + "\"/>"
         "<UniqueID Type=\"" + ids.type + "\" ID=\"" + ids.channelId + "\"/>"
         "<RoomStays>" + stays + "</RoomStays>"
         "<ResGuests><ResGuest ArrivalTime=\"15:30:00\"><Profiles><ProfileInfo><Profile><Customer>"
         "<PersonName><GivenName>Maren</GivenName><Surname>Oakhurst</Surname></PersonName>"
         "<Telephone PhoneNumber=\"+44 20 7946 0321\"/><Email>maren@example.org</Email>"
         "<Address><AddressLine>12 Linden Row</AddressLine><CityName>Bristol</CityName>"
         "<StateProv>Avon</StateProv><PostalCode>BS1 4QA</PostalCode><CountryName>United Kingdom</CountryName>"
         "</Address></Customer></Profile></ProfileInfo></Profiles></ResGuest></ResGuests>"
         "<ResGlobalInfo><HotelReservationIDs><HotelReservationID ResID_Type=\"14\" ResID_Value=\"" + ids.resIdValue +
         "\"/></HotelReservationIDs></ResGlobalInfo></HotelReservation>";
}

std::string ReplyXml(const Strings& reservations) {
  std::string xml =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
      "<soap:Envelope xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\"><soap:Body>"
      "<OTA_ResRetrieveRS xmlns=\"http://www.opentravel.org/OTA/2003/05\" Version=\"1.0\"><Success/>"
      "<ReservationsList>";
  for (const std::string& reservation : reservations) xml += reservation;
  return xml + "</ReservationsList></OTA_ResRetrieveRS></soap:Body></soap:Envelope>";
}

std::string XsDateFromToday(int days) {
  const std::time_t when = std::time(nullptr) + static_cast<std::time_t>(days) * 86400;
  std::tm local{};
  localtime_r(&when, &local);
  char text[16];
  std::strftime(text, sizeof text, "%Y-%m-%d", &local);
  return text;
}

struct Retrieval {
  int result = 0;
  Strings reports;
  std::string error;
};

class ReofferedReservationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(Folder());
    host.ServeReservations(Folder());
  }

  fs::path Folder() const { return host.home.Root() / "reservations"; }
  void Offer(const Strings& reservations) { WriteFileText(Folder() / "reply.xml", ReplyXml(reservations)); }
  void SetOptions(const std::function<void(channelsim::Options&)>& set) {
    channelsim::Options options;
    set(options);
    host.sim->SetOptions(options);
  }

  Retrieval Retrieve() {
    host.sim->ClearReceived();
    Retrieval run;
    run.result = library.BookingRetrival(0);
    run.error = library.LastError();
    for (const std::string& report : host.BodiesOf("OTA_NotifReportRQ")) run.reports.push_back(ReportOutcomeOf(report));
    return run;
  }

  // Each row's columns joined by '|'; bytes that are no text shown in hex by the query.
  Strings Rows(const std::string& sql) const {
    TDatabase database("ReofferCheck");
    database.SetDatabaseFileName(host.DatabaseFile().string());
    database.Open();
    TQuery query;
    query.SetDatabaseName(database.DatabaseName());
    query.SQL().Add(sql);
    query.Open();
    Strings rows;
    for (query.First(); !query.Eof(); query.Next()) {
      std::string row;
      for (int i = 0; i < query.FieldCount(); ++i) {
        if (i > 0) row += '|';
        row += query.Fields(i).AsString();
      }
      rows.push_back(row);
    }
    return rows;
  }
  Strings Bookings() const {
    return Rows("SELECT * FROM GuestData ORDER BY GuestID");
  }

  LibraryHost host;
  LoadedLibrary library;
};

// ---- a reservation whose ids XML cannot carry -----------------------------------------

struct BadIds {
  const char* name;
  ReservationIds ids;
  // The channel id as the import record holds it, in hex.
  const char* storedChannelIdHex;
  const char* shownBookingNo;
};

void PrintTo(const BadIds& c, std::ostream* out) { *out << c.name; }

class UnreportableReservationTest : public ReofferedReservationTest, public ::testing::WithParamInterface<BadIds> {};

// The good reservations around the bad one are stored and confirmed once; the
// bad one is stored once under its whole id and never reported.
TEST_P(UnreportableReservationTest, IsStoredOnceAndHoldsUpNoOther) {
  const BadIds& c = GetParam();
  Offer({ReservationXml({"CM-1"}, StayXml("DBL")), ReservationXml(c.ids, StayXml("SGL")),
         ReservationXml({"CM-3"}, StayXml("STE"))});
  // Its place in each reply: the second, then the only one offered.
  const auto message = [&](int place) {
    return "Reservation " + std::to_string(place) + " of the reply (booking number " + c.shownBookingNo +
           ") cannot be reported";
  };

  const Retrieval first = Retrieve();
  EXPECT_EQ(first.result, -1);
  EXPECT_NE(first.error.find(message(2)), std::string::npos) << first.error;
  EXPECT_EQ(first.reports, (Strings{"CM-1 success", "CM-3 success"}));
  EXPECT_EQ(host.sim->Delivered(), (Strings{"CM-1", "CM-3"}));
  const Strings stored = Bookings();
  ASSERT_EQ(stored.size(), 3u);
  for (int poll = 2; poll <= 3; ++poll) {
    SCOPED_TRACE(poll);
    const Retrieval again = Retrieve();
    EXPECT_EQ(again.result, -1);
    EXPECT_NE(again.error.find(message(1)), std::string::npos) << again.error;
    EXPECT_EQ(again.reports, Strings{});
    EXPECT_EQ(Bookings(), stored);
  }
  EXPECT_EQ(Rows("SELECT hex(ChannelID) FROM OtaImport ORDER BY rowid"),
            (Strings{"434D2D31", c.storedChannelIdHex, "434D2D33"}));
}

INSTANTIATE_TEST_SUITE_P(
    EachIdAndCharacter, UnreportableReservationTest,
    ::testing::Values(
        BadIds{"ControlCharacterInTheChannelId", {"CM-&#x1F;2"}, "434D2D1F32", "CM-\\x1F2"},
        BadIds{"TrailingControlCharacterInTheChannelId", {"CM-2&#1;"}, "434D2D3201", "CM-2\\x01"},
        BadIds{"LoneSurrogateInTheChannelId", {"CM-&#xD800;2"}, "434D2DEDA08032", "CM-\\xED\\xA0\\x802"},
        BadIds{"NulInTheChannelId", {"CM-&#0;2"}, "434D2D0032", "CM-\\x002"},
        BadIds{"ControlCharacterInTheType", {"CM-2", "1&#x1F;"}, "434D2D32", "CM-2"},
        BadIds{"ControlCharacterInTheHotelReservationId", {"CM-2", "14", "WEB-&#x1F;"}, "434D2D32", "CM-2"}),
    [](const ::testing::TestParamInfo<BadIds>& param) { return std::string(param.param.name); });

TEST_F(ReofferedReservationTest, TwoIdsThatDifferAfterANulAreTwoReservations) {
  Offer({ReservationXml({"CM-&#0;1"}, StayXml("SGL")), ReservationXml({"CM-&#0;2"}, StayXml("SGL"))});
  for (int poll = 1; poll <= 3; ++poll) {
    SCOPED_TRACE(poll);
    const Retrieval run = Retrieve();
    EXPECT_EQ(run.result, -1);
    EXPECT_NE(run.error.find("Reservation 1 of the reply (booking number CM-\\x001)"), std::string::npos) << run.error;
    EXPECT_EQ(run.reports, Strings{});
    EXPECT_EQ(host.StoredBookings(), 2);
  }
  EXPECT_EQ(Rows("SELECT hex(ChannelID) FROM OtaImport ORDER BY rowid"), (Strings{"434D2D0031", "434D2D0032"}));
}

TEST_F(ReofferedReservationTest, ATrailingControlCharacterIsNeverReportedAsAnotherId) {
  Offer({ReservationXml({"CM-7&#x1F;"}, StayXml("SGL")), ReservationXml({"CM-7"}, StayXml("DBL"))});
  for (int poll = 1; poll <= 3; ++poll) {
    SCOPED_TRACE(poll);
    const Retrieval run = Retrieve();
    EXPECT_EQ(run.result, -1);
    EXPECT_EQ(run.reports, poll == 1 ? Strings{"CM-7 success"} : Strings{});
  }
  EXPECT_EQ(host.StoredBookings(), 2);
  EXPECT_EQ(Rows("SELECT RoomType FROM GuestData WHERE TravelBookingNo = 'WEB-CM-7'"), Strings{"2"});
}

// ---- a room stay that is not stored --------------------------------------------------

TEST_F(ReofferedReservationTest, ARefusedLaterStayIsTheReservationsReport) {
  struct Case {
    const char* name;
    Strings reservations;
    Strings firstReports;
  };
  const Case cases[] = {
      {"an unknown type as the second stay",
       {ReservationXml({"CM-1"}, StayXml("SGL") + StayXml("TWN"))},
       {"CM-1 error 402"}},
      {"a full type as the second stay",
       {ReservationXml({"CM-FULL"}, StayXml("DBL") + StayXml("DBL")),
        ReservationXml({"CM-1"}, StayXml("SGL") + StayXml("DBL"))},
       {"CM-FULL success", "CM-1 error 403"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Offer(c.reservations);
    host.sim->ResetDelivered();
    EXPECT_EQ(Retrieve().reports, c.firstReports);
    const Strings stored = Bookings();
    EXPECT_EQ(Rows("SELECT RoomType FROM GuestData WHERE TravelBookingNo = 'WEB-CM-1'"), Strings{"1"});
    for (int poll = 2; poll <= 3; ++poll) {
      SCOPED_TRACE(poll);
      EXPECT_EQ(Retrieve().reports, Strings{c.firstReports.back()});
      EXPECT_EQ(Bookings(), stored);
    }
    TDatabase database("ReofferReset");
    database.SetDatabaseFileName(host.DatabaseFile().string());
    database.Open();
    database.Execute("DELETE FROM GuestData; DELETE FROM GuestName; DELETE FROM \"Group\"; DELETE FROM Occupancy; "
                     "DELETE FROM OtaImport");
  }
}

// ---- a changed re-offer --------------------------------------------------------------

struct Change {
  const char* name;
  const char* from;
  const char* to;
};

void PrintTo(const Change& c, std::ostream* out) { *out << c.name; }

class ChangedReofferTest : public ReofferedReservationTest, public ::testing::WithParamInterface<Change> {};

// Stored, its report lost, then offered again with one value changed: refused
// on every poll, the stored rows left as they are.
TEST_P(ChangedReofferTest, IsRefusedAndChangesNothing) {
  const std::string reservation = ReservationXml({"CM-1"}, StayXml("DBL"));
  Offer({reservation});
  SetOptions([](auto& o) { o.drop.kinds = channelsim::kReport; });
  Retrieve();
  SetOptions([](auto&) {});
  const Strings stored = Bookings();
  const Strings guests = Rows("SELECT * FROM GuestName ORDER BY rowid");
  ASSERT_EQ(stored.size(), 1u);

  std::string changed = reservation;
  const size_t at = changed.find(GetParam().from);
  ASSERT_NE(at, std::string::npos);
  changed.replace(at, std::string(GetParam().from).size(), GetParam().to);
  Offer({changed});
  for (int poll = 2; poll <= 3; ++poll) {
    SCOPED_TRACE(poll);
    EXPECT_EQ(Retrieve().reports, Strings{"CM-1 error 403"});
    EXPECT_EQ(Bookings(), stored);
    EXPECT_EQ(Rows("SELECT * FROM GuestName ORDER BY rowid"), guests);
  }
}

INSTANTIATE_TEST_SUITE_P(
    EachStoredValue, ChangedReofferTest,
    ::testing::Values(Change{"GivenName", ">Maren<", ">Marin<"}, Change{"Surname", ">Oakhurst<", ">Oakhirst<"},
                      Change{"Telephone", "7946 0321", "7946 0322"}, Change{"Email", "maren@", "maren2@"},
                      Change{"AddressLine", "12 Linden", "14 Linden"}, Change{"City", ">Bristol<", ">Bath<"},
                      Change{"State", ">Avon<", ">Somerset<"}, Change{"PostalCode", "BS1 4QA", "BS1 4QB"},
                      Change{"Country", "United Kingdom", "Ireland"}, Change{"Adults", "\"10\" Count=\"2\"", "\"10\" Count=\"3\""},
                      Change{"Children", "\"8\" Count=\"1\"", "\"8\" Count=\"2\""},
                      Change{"Total", "357.00", "358.00"}, Change{"Currency", "\"EUR\"", "\"GBP\""},
                      Change{"RatePlan", "\"BAR\"", "\"NRF\""}, Change{"Units", "Units=\"1\"", "Units=\"2\""},
                      Change{"Comments", "Late arrival", "Early arrival"},
                      Change{"ArrivalTime", "15:30:00", "18:00:00"}, Change{"Agent", "AGENT-7", "AGENT-8"},
                      Change{"BookingNumber", "ID=\"WEB-CM-1\"", "ID=\"WEB-CM-9\""},
                      Change{"UniqueIdType", "Type=\"14\" ID=\"CM-1\"", "Type=\"15\" ID=\"CM-1\""},
                      Change{"HotelReservationId", "ResID_Value=\"WEB-1\"", "ResID_Value=\"WEB-2\""},
                      Change{"Arrival", "2027-03-05", "2027-03-04"}, Change{"Departure", "2027-03-08", "2027-03-09"},
                      Change{"RoomType", "\"DBL\"", "\"STE\""}),
    [](const ::testing::TestParamInfo<Change>& param) { return std::string(param.param.name); });

TEST_F(ReofferedReservationTest, AnUnchangedReofferIsConfirmedAndStoresNothing) {
  Offer({ReservationXml({"CM-1"}, StayXml("DBL") + StayXml("SGL"))});
  SetOptions([](auto& o) { o.drop.kinds = channelsim::kReport; });
  Retrieve();
  SetOptions([](auto&) {});
  const Strings stored = Bookings();
  ASSERT_EQ(stored.size(), 2u);
  EXPECT_EQ(Retrieve().reports, Strings{"CM-1 success"});
  EXPECT_EQ(Retrieve().reports, Strings{});
  EXPECT_EQ(Bookings(), stored);
}

// ---- a group offered again -----------------------------------------------------------

// DBL, DBL and SGL, the SGL unmapped at the first retrieval and mapped before
// the re-offer: one group, and the rows of the first retrieval as they were.
TEST_F(ReofferedReservationTest, ANewStayOfAReofferedGroupJoinsItsGroup) {
  Offer({ReservationXml({"CM-1"}, StayXml("DBL") + StayXml("DBL") + StayXml("SGL"))});
  SetString(std::string(CorvennaKey), "Type1", "");
  EXPECT_EQ(Retrieve().reports, Strings{"CM-1 error 402"});
  const Strings bookings = Bookings();
  const Strings groups = Rows("SELECT * FROM \"Group\" ORDER BY rowid");
  ASSERT_EQ(Rows("SELECT GuestID, GuestGroup FROM GuestData ORDER BY GuestID"), (Strings{"1|1", "2|1"}));

  SetString(std::string(CorvennaKey), "Type1", "SGL");
  EXPECT_EQ(Retrieve().reports, Strings{"CM-1 success"});
  EXPECT_EQ(Retrieve().reports, Strings{});
  const Strings after = Bookings();
  ASSERT_EQ(after.size(), 3u);
  EXPECT_EQ(Strings(after.begin(), after.begin() + 2), bookings) << "the first retrieval's rows are not rewritten";
  EXPECT_EQ(Rows("SELECT GuestID, GuestGroup, GuestCode FROM GuestData ORDER BY GuestID"),
            (Strings{"1|1|000002", "2|1|000002", "3|1|000002"}));
  const Strings groupsAfter = Rows("SELECT * FROM \"Group\" ORDER BY rowid");
  ASSERT_EQ(groupsAfter.size(), groups.size() + 1);
  EXPECT_EQ(Strings(groupsAfter.begin(), groupsAfter.begin() + static_cast<long>(groups.size())), groups);
  EXPECT_EQ(Rows("SELECT GroupID, MainID FROM \"Group\" ORDER BY rowid"), (Strings{"1|2", "1|3"}));
}

// ---- a stay without a departure ------------------------------------------------------

TEST_F(ReofferedReservationTest, AStayWhoseDepartureTheReplyDidNotGiveIsRefused) {
  struct Case {
    const char* name;
    std::string timeSpan;
    const char* report;
  };
  const std::string threeDaysBack = "Start=\"" + XsDateFromToday(-3) + "\"";
  const Case cases[] = {
      {"no End, Start three days back", threeDaysBack, "error 403"},
      {"no End, Start ahead", R"(Start="2027-03-05")", "error 403"},
      {"a Duration and no End", threeDaysBack + R"( Duration="P2N")", "error 403"},
      {"no TimeSpan attributes", "", "error 403"},
      {"an End, Start three days back", threeDaysBack + " End=\"" + XsDateFromToday(1) + "\"", "success"},
  };
  int number = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string id = "CM-" + std::to_string(++number);
    Offer({ReservationXml({id}, StayXml("STE", c.timeSpan))});
    const int64_t before = host.StoredBookings();
    const bool stored = std::string(c.report) == "success";
    EXPECT_EQ(Retrieve().reports, Strings{id + " " + c.report});
    for (int poll = 2; poll <= 3; ++poll)
      EXPECT_EQ(Retrieve().reports, stored ? Strings{} : Strings{id + " " + c.report}) << poll;
    EXPECT_EQ(host.StoredBookings(), before + (stored ? 1 : 0));
  }
}

// ---- the import record of the version before ----------------------------------------

// Its rows have no digest: a re-offer is still recognised by dates and room type.
TEST_F(ReofferedReservationTest, ARecordOfTheVersionBeforeIsUpgradedAndStillRecognisesItsStays) {
  Offer({ReservationXml({"CM-1"}, StayXml("DBL"))});
  SetOptions([](auto& o) { o.drop.kinds = channelsim::kReport; });
  Retrieve();
  SetOptions([](auto&) {});
  {
    TDatabase database("ReofferDowngrade");
    database.SetDatabaseFileName(host.DatabaseFile().string());
    database.Open();
    database.Execute("ALTER TABLE OtaImport DROP COLUMN StayDigest");
  }
  ASSERT_EQ(Rows("SELECT COUNT(*) FROM pragma_table_info('OtaImport') WHERE name = 'StayDigest'"), Strings{"0"});

  EXPECT_EQ(Retrieve().reports, Strings{"CM-1 success"});
  EXPECT_EQ(host.StoredBookings(), 1);
  EXPECT_EQ(Rows("SELECT StayDigest IS NULL FROM OtaImport"), Strings{"1"});
  EXPECT_EQ(Rows("SELECT name FROM sqlite_master WHERE tbl_name = 'OtaImport' ORDER BY name"),
            (Strings{"OtaImport", "OtaImport_Key"}));
}

}  // namespace
}  // namespace corvenna::test
