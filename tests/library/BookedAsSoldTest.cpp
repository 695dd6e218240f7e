// A reservation is booked as it was sold and judged whole when it comes again.
// Through `quendale-host retrieve`, with a channel manager that offers a
// reservation again until a success report for it arrives.
#include <gtest/gtest.h>

#include "ReofferFixture.h"

namespace corvenna::test {
namespace {

class BookedAsSoldTest : public ReofferFixture {
 protected:
  BookedAsSoldTest() { throughHostProgram = true; }
};

// ---- NumberOfUnits -------------------------------------------------------------------

struct Units {
  const char* name;
  const char* units;
  bool thirdDouble;  // the hotel has a third DBL room, 203
  // GuestID|GuestGroup|RoomNumber of each booking stored
  Strings bookings;
  const char* report;
};

void PrintTo(const Units& c, std::ostream* out) { *out << c.name; }

class NumberOfUnitsTest : public BookedAsSoldTest, public ::testing::WithParamInterface<Units> {};

// Its reports lost at first, the reservation comes three times; what the first
// retrieval stored stays, once.
TEST_P(NumberOfUnitsTest, BooksAsManyRoomsAsSoldOrNone) {
  const Units& c = GetParam();
  if (c.thirdDouble) Exec("INSERT INTO RoomType (RoomNo, RoomType, CalOccupancy) VALUES ('203', 2, 'Y')");
  Offer({ReservationXml({"CM-1"}, StayXml("DBL", R"(Start="2027-03-05" End="2027-03-08")", c.units))});
  const std::string report = std::string("CM-1 ") + c.report;
  const bool stored = !c.bookings.empty();

  RetrieveLosingReports();
  EXPECT_EQ(Rows("SELECT GuestID, GuestGroup, RoomNumber FROM GuestData ORDER BY GuestID"), c.bookings);
  const Strings tables = HostTables();
  const Retrieval second = Retrieve();
  EXPECT_EQ(second.result, 0);
  EXPECT_EQ(second.reports, Strings{report});
  EXPECT_EQ(Retrieve().reports, stored ? Strings{} : Strings{report});
  EXPECT_EQ(HostTables(), tables);

  const size_t members = stored ? c.bookings.size() - 1 : 0;
  EXPECT_EQ(Rows("SELECT COUNT(*) FROM \"Group\""), Strings{std::to_string(members)});
  EXPECT_EQ(Rows("SELECT COUNT(DISTINCT GuestCode) FROM GuestData"), Strings{stored ? "1" : "0"});
  EXPECT_EQ(Rows("SELECT MAX(RoomsOccupied) FROM Occupancy"), Strings{stored ? std::to_string(c.bookings.size()) : ""});
}

INSTANTIATE_TEST_SUITE_P(
    EachCount, NumberOfUnitsTest,
    ::testing::Values(Units{"One", "1", false, {"1||201"}, "success"},
                      Units{"ThreeWithThreeFree", "3", true, {"1|1|201", "2|1|202", "3|1|203"}, "success"},
                      Units{"ThreeWithTwoFree", "3", false, {}, "error 403"},
                      Units{"Zero", "0", true, {}, "error 403"},
                      Units{"BelowZero", "-2", true, {}, "error 403"}),
    [](const ::testing::TestParamInfo<Units>& param) { return std::string(param.param.name); });

// ---- groups --------------------------------------------------------------------------

TEST_F(BookedAsSoldTest, TwoReservationsWithoutHotelReservationIdsOnOverlappingDatesKeepTheirOwnGuests) {
  Offer({ReservationXml({"CM-1", "14", "", "Maren"}, StayXml("DBL", R"(Start="2027-03-05" End="2027-03-08")")),
         ReservationXml({"CM-2", "14", "", "Jonas"}, StayXml("DBL", R"(Start="2027-03-04" End="2027-03-09")"))});
  const Retrieval run = Retrieve();
  EXPECT_EQ(run.result, 2);
  EXPECT_EQ(run.reports, (Strings{"CM-1 success", "CM-2 success"}));
  EXPECT_EQ(Rows("SELECT D.GuestGroup, N.GivenName, N.FamilyName, N.Email FROM GuestData D "
                 "JOIN GuestName N ON N.GuestCode = D.GuestCode ORDER BY D.GuestID"),
            (Strings{"|Maren|Oakhurst|maren@example.org", "|Jonas|Oakhurst|maren@example.org"}));
  EXPECT_EQ(Rows("SELECT COUNT(*) FROM \"Group\""), Strings{"0"});
}

// ---- a re-offer judged as the whole reservation --------------------------------------

struct Reoffer {
  const char* name;
  std::string stays;
  const char* report;
};

void PrintTo(const Reoffer& c, std::ostream* out) { *out << c.name; }

class WholeReofferTest : public BookedAsSoldTest, public ::testing::WithParamInterface<Reoffer> {};

const std::string kMarch = R"(Start="2027-03-05" End="2027-03-08")";

// First offered as DBL and SGL, stored, its report lost; then offered again
// in another shape, three times: the host tables never change.
TEST_P(WholeReofferTest, IsTheSameReservationOnlyWithTheSameStays) {
  Offer({ReservationXml({"CM-1"}, StayXml("DBL") + StayXml("SGL"))});
  RetrieveLosingReports();
  ASSERT_EQ(host.StoredBookings(), 2);
  const Strings tables = HostTables();

  Offer({ReservationXml({"CM-1"}, GetParam().stays)});
  const bool same = std::string(GetParam().report) == "success";
  for (int poll = 2; poll <= 4; ++poll) {
    SCOPED_TRACE(poll);
    const Retrieval run = Retrieve();
    EXPECT_EQ(run.result, 0);
    EXPECT_EQ(run.reports, same && poll > 2 ? Strings{} : Strings{std::string("CM-1 ") + GetParam().report});
    EXPECT_EQ(HostTables(), tables);
  }
}

std::string ThreeAdults(std::string stay) {
  return stay.replace(stay.find("Count=\"2\""), 9, "Count=\"3\"");
}

INSTANTIATE_TEST_SUITE_P(
    EachShape, WholeReofferTest,
    ::testing::Values(Reoffer{"TheSameStaysInAnotherOrder", StayXml("SGL") + StayXml("DBL"), "success"},
                      Reoffer{"OneLeftOut", StayXml("DBL"), "error 403"},
                      Reoffer{"OneAdded", StayXml("DBL") + StayXml("SGL") + StayXml("STE"), "error 403"},
                      Reoffer{"TheFirstChangedAndOneAdded",
                              ThreeAdults(StayXml("DBL")) + StayXml("SGL") + StayXml("STE"), "error 403"},
                      Reoffer{"OneAddedWithNoRoomFree", StayXml("DBL") + StayXml("SGL") + StayXml("SGL") +
                                                            StayXml("SGL"), "error 403"}),
    [](const ::testing::TestParamInfo<Reoffer>& param) { return std::string(param.param.name); });

// A stay refused before for want of a room is tried again when the same
// reservation comes again, in another order, and joins its group.
TEST_F(BookedAsSoldTest, AStayRefusedBeforeIsTriedAgainAndJoinsTheGroup) {
  Exec("INSERT INTO GuestData (GuestCode, ArrivalDate, DepartureDate, RoomNumber) VALUES ('000009', 46451, 46454, '101'),"
       " ('000009', 46451, 46454, '102')");
  Offer({ReservationXml({"CM-1"}, StayXml("DBL") + StayXml("SGL"))});
  EXPECT_EQ(Retrieve().reports, Strings{"CM-1 error 403"});
  const Strings first = Rows("SELECT GuestID, GuestGroup, RoomNumber FROM GuestData WHERE GuestCode <> '000009'");
  EXPECT_EQ(first, (Strings{"3|3|201"}));

  Exec("DELETE FROM GuestData WHERE GuestCode = '000009'");
  Offer({ReservationXml({"CM-1"}, StayXml("SGL") + StayXml("DBL"))});
  EXPECT_EQ(Retrieve().reports, Strings{"CM-1 success"});
  EXPECT_EQ(Rows("SELECT GuestID, GuestGroup, RoomNumber FROM GuestData ORDER BY GuestID"),
            (Strings{"3|3|201", "4|3|101"}));
  EXPECT_EQ(Rows("SELECT GroupID, MainID FROM \"Group\""), Strings{"3|4"});
  EXPECT_EQ(Retrieve().reports, Strings{});
}

TEST_F(BookedAsSoldTest, TwoVersionsInOneReplyAreAReservationAndItsReoffer) {
  const Strings cases[] = {
      {ReservationXml({"CM-1"}, StayXml("DBL")), ReservationXml({"CM-1"}, StayXml("DBL"))},
      {ReservationXml({"CM-2"}, StayXml("DBL")), ReservationXml({"CM-2"}, StayXml("DBL") + StayXml("SGL"))},
  };
  const Strings reports[] = {{"CM-1 success"}, {"CM-2 error 403"}};
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(i);
    Exec("DELETE FROM GuestData; DELETE FROM Occupancy; DELETE FROM OtaImport");
    Offer(cases[i]);
    const Retrieval run = Retrieve();
    EXPECT_EQ(run.result, 1);
    EXPECT_EQ(run.reports, reports[i]);
    EXPECT_EQ(Rows("SELECT RoomType FROM GuestData"), Strings{"2"});
  }
}

// ---- rooms without a number ----------------------------------------------------------

// The STE rooms: one with an empty number and one with none, met first by the
// room search, then 301 and 302.
TEST_F(BookedAsSoldTest, ARoomWithoutANumberIsNeverBookedNorOffered) {
  Exec("DELETE FROM RoomType WHERE RoomType = 3; "
       "INSERT INTO RoomType (RoomNo, RoomType, CalOccupancy) VALUES ('', 3, 'Y'), (NULL, 3, 'Y'), "
       "('301', 3, 'Y'), ('302', 3, 'Y')");
  Offer({ReservationXml({"CM-1"}, StayXml("STE")), ReservationXml({"CM-2"}, StayXml("STE")),
         ReservationXml({"CM-3"}, StayXml("STE"))});
  const Retrieval run = Retrieve();
  EXPECT_EQ(run.reports, (Strings{"CM-1 success", "CM-2 success", "CM-3 error 403"}));
  EXPECT_EQ(Rows("SELECT RoomNumber FROM GuestData ORDER BY GuestID"), (Strings{"301", "302"}));

  const double march4 = 46450, march9 = 46455;
  library.AvailUpdate(march4, march9);
  EXPECT_STREQ(library.LastError(), "");
  EXPECT_EQ(Rows("SELECT CAST(OccFromDate AS INTEGER), CAST(OccToDate AS INTEGER), Available FROM OccInventory "
                 "WHERE Type = 3 ORDER BY OccFromDate"),
            (Strings{"46450|46450|2", "46451|46453|0", "46454|46455|2"}));
}

}  // namespace
}  // namespace corvenna::test
