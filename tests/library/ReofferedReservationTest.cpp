// Every reservation of a reply is told truly, whatever the others hold. Through
// the exports, with a channel manager that offers a reservation again until a
// success report for it arrives, over three retrievals in a row.
#include <gtest/gtest.h>


#include "ReofferFixture.h"
#include "data/Constants.h"
#include "platform/Dataset.h"
#include "support/RegistryFixture.h"

namespace corvenna::test {
namespace {

class ReofferedReservationTest : public ReofferFixture {};

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

// ---- a stay without an arrival or a departure ---------------------------------------

TEST_F(ReofferedReservationTest, AStayWhoseArrivalOrDepartureTheReplyDidNotGiveIsRefused) {
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
      {"no Start, End ahead", R"(End="2027-03-08")", "error 403"},
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
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM Occupancy WHERE OccDate <> CAST(OccDate AS INTEGER)"), Strings{"0"})
        << "no night on a fractional date";
  }
}

// ---- the import record of the version before ----------------------------------------

// Rows of the versions before the reservation digest stand for the room stay
// at their place: without any digest compared by dates and room type, with a
// stay digest by it too. Their tables gain the missing columns.
TEST_F(ReofferedReservationTest, ARecordOfAnEarlierVersionIsUpgradedAndStillJudgesItsStays) {
  struct Case {
    const char* name;
    const char* downgrade;
    const char* report;
    const char* stayDigestIsNull;
  };
  const Case cases[] = {
      {"no digest at all", "ALTER TABLE OtaImport DROP COLUMN StayDigest; ", "CM-1 success", "1"},
      {"a stay digest that differs", "UPDATE OtaImport SET StayDigest = '0123456789abcdef'; ", "CM-1 error 403", "0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TDatabase database("ReofferDowngrade");
    database.SetDatabaseFileName(host.DatabaseFile().string());
    database.Open();
    database.Execute("DROP TABLE IF EXISTS OtaImport; DELETE FROM GuestData; DELETE FROM GuestName; DELETE FROM Occupancy");
    database.Close();
    host.sim->ResetDelivered();
    Offer({ReservationXml({"CM-1"}, StayXml("DBL"))});
    SetOptions([](auto& o) { o.drop.kinds = channelsim::kReport; });
    Retrieve();
    SetOptions([](auto&) {});
    const Strings stored = Bookings();
    database.Open();
    database.Execute(std::string(c.downgrade) + "ALTER TABLE OtaImport DROP COLUMN ReservationDigest");
    database.Close();
    ASSERT_EQ(Rows("SELECT COUNT(*) FROM pragma_table_info('OtaImport') WHERE name = 'ReservationDigest'"),
              Strings{"0"});

    EXPECT_EQ(Retrieve().reports, Strings{c.report});
    EXPECT_EQ(Bookings(), stored);
    EXPECT_EQ(Rows("SELECT StayDigest IS NULL, ReservationDigest IS NULL FROM OtaImport"),
              Strings{std::string(c.stayDigestIsNull) + "|1"});
    EXPECT_EQ(Rows("SELECT name FROM sqlite_master WHERE tbl_name = 'OtaImport' ORDER BY name"),
              (Strings{"OtaImport", "OtaImport_Key"}));
  }
}

}  // namespace
}  // namespace corvenna::test
