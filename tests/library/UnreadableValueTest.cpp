// No value in a reply stops the feed, and each reservation keeps its own
// arrival time. Through the exports, with a channel manager that offers a
// reservation again until a success report for it arrives.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "ReofferFixture.h"
#include "data/Constants.h"
#include "support/RegistryFixture.h"

namespace corvenna::test {
namespace {

class UnreadableValueFixture : public ReofferFixture {
 protected:
  void SetUp() override {
    ReofferFixture::SetUp();
    setenv("TZ", "UTC", 1);
    tzset();
  }
};

struct Unreadable {
  const char* name;
  const char* from;  // in a reservation as ReservationXml writes it
  const char* to;
  const char* shown;  // as the message names it
};

void PrintTo(const Unreadable& c, std::ostream* out) { *out << c.name; }

class UnreadableValueTest : public UnreadableValueFixture, public ::testing::WithParamInterface<Unreadable> {};

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  const size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

// Three reservations, the bad one first, in the middle or last; the channel
// manager offers it again on each of three retrievals in a row, each one a run
// of quendale-host.
TEST_P(UnreadableValueTest, RefusesItsReservationAloneOnEveryRetrieval) {
  const Unreadable& c = GetParam();
  for (int bad = 1; bad <= 3; ++bad) {
    SCOPED_TRACE(bad);
    Exec("DELETE FROM GuestData; DELETE FROM GuestName; DELETE FROM \"Group\"; DELETE FROM Occupancy; "
         "DELETE FROM OtaImport");
    host.sim->ResetDelivered();
    Strings reservations, good;
    for (int i = 1; i <= 3; ++i) {
      const std::string id = "CM-" + std::to_string(bad) + std::to_string(i);
      const std::string reservation = ReservationXml({id}, StayXml("DBL"));
      reservations.push_back(i == bad ? Replaced(reservation, c.from, c.to) : reservation);
      if (i != bad) good.push_back(id + " success");
    }
    Offer(reservations);
    const auto names = [&](int place) {
      return "Reservation " + std::to_string(place) + " of the reply (booking number CM-" + std::to_string(bad) +
             std::to_string(bad) + ") cannot be imported: its " + c.shown + " cannot be read";
    };

    const Retrieval first = RetrieveThroughHost();
    EXPECT_EQ(first.result, -1);
    EXPECT_NE(first.error.find(names(bad)), std::string::npos) << first.error;
    EXPECT_NE(first.error.find("2 bookings were stored before the failure"), std::string::npos) << first.error;
    EXPECT_EQ(first.reports, good);
    const Strings stored = HostTables();
    for (int poll = 2; poll <= 3; ++poll) {
      SCOPED_TRACE(poll);
      const Retrieval again = RetrieveThroughHost();
      EXPECT_EQ(again.result, -1);
      EXPECT_NE(again.error.find(names(1)), std::string::npos) << again.error;
      EXPECT_EQ(again.reports, Strings{});
      EXPECT_EQ(HostTables(), stored);
    }
    EXPECT_EQ(host.StoredBookings(), 2);
  }
}

INSTANTIATE_TEST_SUITE_P(
    EachValue, UnreadableValueTest,
    ::testing::Values(
        Unreadable{"NumberOfUnitsAsAWord", "Units=\"1\"", "Units=\"two\"", "NumberOfUnits \"two\""},
        Unreadable{"NumberOfUnitsBeyond32Bits", "Units=\"1\"", "Units=\"4294967297\"", "NumberOfUnits \"4294967297\""},
        Unreadable{"CountAsAWord", "\"10\" Count=\"2\"", "\"10\" Count=\"many\"", "GuestCount Count \"many\""},
        Unreadable{"CountBelowZero", "\"10\" Count=\"2\"", "\"10\" Count=\"-1\"", "GuestCount Count \"-1\""},
        Unreadable{"CountBeyond32Bits", "\"8\" Count=\"1\"", "\"8\" Count=\"2147483648\"",
                   "GuestCount Count \"2147483648\""},
        Unreadable{"ChildrenAddingUpBeyond32Bits", "\"8\" Count=\"1\"/>",
                   "\"8\" Count=\"2147483647\"/><GuestCount AgeQualifyingCode=\"7\" Count=\"1\"/>",
                   "children's GuestCount Count \"2147483647 + 1\""},
        Unreadable{"DateThatDoesNotExist", "Start=\"2027-03-05\"", "Start=\"2031-13-45\"",
                   "TimeSpan Start \"2031-13-45\""},
        Unreadable{"AmountWithADecimalComma", "\"357.00\"", "\"12,50\"", "Total AmountAfterTax \"12,50\""},
        Unreadable{"AmountBeyondTheCurrency", "\"357.00\"", "\"1e300\"", "Total AmountAfterTax \"1e300\""},
        Unreadable{"ArrivalTime", "ArrivalTime=\"15:30:00\"", "ArrivalTime=\"half past three\"",
                   "ArrivalTime \"half past three\""},
        Unreadable{"ArrivalTimeWithAnOffsetBeyondFourteenHours", "ArrivalTime=\"15:30:00\"",
                   "ArrivalTime=\"15:30:00+15:00\"", "ArrivalTime \"15:30:00+15:00\""}),
    [](const ::testing::TestParamInfo<Unreadable>& param) { return std::string(param.param.name); });

// ---- arrival times -------------------------------------------------------------------

// Through quendale-host, so that each retrieval is a process of its own.
TEST_F(UnreadableValueFixture, EachReservationTakesTheArrivalTimeOfItsOwnFirstGuest) {
  SetDouble(std::string(PreferenceKey), "DefaultArrival", 14.0 / 24);
  const std::string written = " ArrivalTime=\"15:30:00\"";
  Offer({ReservationXml({"CM-1"}, StayXml("DBL")),
         Replaced(ReservationXml({"CM-2"}, StayXml("DBL")), written, " ArrivalTime=\"18:45:00\""),
         Replaced(ReservationXml({"CM-3"}, StayXml("SGL")), written, "")});
  for (int poll = 1; poll <= 3; ++poll) {
    SCOPED_TRACE(poll);
    const Retrieval run = RetrieveThroughHost();
    EXPECT_EQ(run.result, poll == 1 ? 3 : 0);
    EXPECT_EQ(run.reports, poll == 1 ? (Strings{"CM-1 success", "CM-2 success", "CM-3 success"}) : Strings{});
  }
  EXPECT_EQ(Rows("SELECT TravelBookingNo, CAST(ROUND(Arrivaltime * 1440) AS INTEGER) FROM GuestData ORDER BY GuestID"),
            (Strings{"WEB-CM-1|930", "WEB-CM-2|1125", "WEB-CM-3|840"}));
}

}  // namespace
}  // namespace corvenna::test
