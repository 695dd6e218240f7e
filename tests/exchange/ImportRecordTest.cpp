// A channel manager offers a reservation again until it sees a success report
// for it: what the import makes of a room stay it has stored before.
#include <gtest/gtest.h>

#include "data/OtaDataModule.h"
#include "data/OtaGfgIni.h"
#include "exchange/BookingImport.h"
#include "exchange/CorvennaMessages.h"
#include "exchange/ImportRecord.h"
#include "platform/XmlDocument.h"
#include "support/ExchangeFixture.h"
#include "support/ReservationXml.h"

namespace corvenna {
namespace {

using test::ExchangeFixture;
using test::Guest;
using test::Reply;
using test::Reservation;
using test::Stay;
using Rows = std::vector<std::vector<TVariant>>;

// Rooms 101 to 103 of type 1 (DBL) and 201 of type 2, whose code is unmapped
// until a test maps it.
class ImportRecordTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* room : {"101", "102", "103"}) fx.hotel->AddRoom(room, 1);
    fx.hotel->AddRoom("201", 2);
    WriteType(1, "DBL");
    ResetImportStateForTesting();
    SilentRun = true;
  }
  void TearDown() override {
    ResetImportStateForTesting();
    SilentRun = false;
  }

  // One retrieval's import: the parsed record starts empty, as the retrieval starts it.
  void Import(const std::string& xml) {
    PrevArrivalDate = ExchangeFixture::FixedLocalNow();
    ClearReservationRecord(true);
    XmlDocument doc;
    ASSERT_TRUE(doc.LoadXml(xml));
    ParseReservations(doc);
  }
  Rows Query(const std::string& sql) { return fx.hotel->Rows(sql); }
  Rows Responses() { return Query("SELECT BookingNo, GuestID, Valid FROM OtaResponse ORDER BY rowid"); }
  // Everything an import writes into the host's tables.
  Rows HostRows() {
    Rows rows;
    for (const char* sql : {"SELECT * FROM GuestData ORDER BY GuestID", "SELECT * FROM GuestName ORDER BY rowid",
                            "SELECT * FROM \"Group\" ORDER BY rowid", "SELECT * FROM Occupancy ORDER BY OccDate"})
      for (auto& row : Query(sql)) rows.push_back(std::move(row));
    return rows;
  }

  ExchangeFixture fx;
};

TEST_F(ImportRecordTest, AReservationOfferedAgainIsReportedAsStoredAndNotStoredAgain) {
  const std::string reply =
      Reply(Reservation("CV1", Stay("DBL", 1, 4) + Stay("DBL", 1, 4)) + Reservation("CV2", Stay("DBL", 5, 8)));
  Import(reply);
  ASSERT_EQ(NewReservationCount, 3);
  const Rows stored = HostRows();
  const Rows responses = Responses();
  EXPECT_EQ(responses, (Rows{{"CV1", "1", 0}, {"CV2", "3", 0}}));

  Import(reply);
  EXPECT_EQ(HostRows(), stored) << "no booking, guest, group row or night is added";
  EXPECT_EQ(Responses(), responses) << "each reported as the booking it was stored as";
  EXPECT_EQ(NewReservationCount, 0);
  EXPECT_EQ(RejectedReservationCount, 0);
}

TEST_F(ImportRecordTest, AReservationTwiceInOneReplyIsStoredOnce) {
  const std::string reservation = Reservation("CV1", Stay("DBL", 1, 4));
  Import(Reply(reservation + reservation));
  EXPECT_EQ(fx.hotel->Count("GuestData"), 1);
  EXPECT_EQ(Responses(), (Rows{{"CV1", "1", 0}}));
  EXPECT_EQ(NewReservationCount, 1);
}

// The channel's id names a reservation; without one, its travel agent and
// booking number do. A reservation that has neither cannot be recognised.
TEST_F(ImportRecordTest, WithoutAChannelIdTheAgentAndTheBookingNumberNameTheReservation) {
  const auto single = [](const std::string& agent, const std::string& id, int from) {
    const std::string pos = agent.empty() ? "" : "<POS><Source><RequestorID ID=\"" + agent + "\"/></Source></POS>";
    const std::string uniqueId = id.empty() ? "" : "<UniqueID Type=\"14\" ID=\"" + id + "\"/>";
    return "<HotelReservation>" + pos + uniqueId + "<RoomStays>" + Stay("DBL", from, from + 2) +
           "</RoomStays><ResGuests>" + Guest("Guest", agent + id) + "</ResGuests></HotelReservation>";
  };
  const std::string reply = Reply(single("NWT", "B-1", 1) + single("OTHER", "B-1", 3) + single("", "", 5));
  for (int poll = 1; poll <= 3; ++poll) Import(reply);
  EXPECT_EQ(Query("SELECT TravelAgent, TravelBookingNo, ArrivalDate FROM GuestData ORDER BY GuestID"),
            (Rows{{"NWT", "B-1", EncodeDate(2027, 5, 1)},
                  {"OTHER", "B-1", EncodeDate(2027, 5, 3)},
                  {"OTHER", "B-1", EncodeDate(2027, 5, 5)},  // the fill-ins of a reservation without ids
                  {"OTHER", "B-1", EncodeDate(2027, 5, 5)},
                  {"OTHER", "B-1", EncodeDate(2027, 5, 5)}}));
  EXPECT_EQ(fx.hotel->Count("OtaResponse"), 0) << "nothing to report without a channel id";
}

TEST_F(ImportRecordTest, AChangedReservationIsRefusedAndTheBookingStaysAsItWas) {
  struct Case {
    const char* name;
    std::string changedStay;
  };
  const Case cases[] = {
      {"other arrival", Stay("DBL", 2, 4)},
      {"other departure", Stay("DBL", 1, 5)},
      {"other room type", Stay("SGL", 1, 4)},
  };
  WriteType(2, "SGL");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fx.hotel->Exec("DELETE FROM GuestData; DELETE FROM GuestName; DELETE FROM Occupancy; DELETE FROM OtaImport");
    Import(Reply(Reservation("CV1", Stay("DBL", 1, 4))));
    const Rows stored = HostRows();

    Import(Reply(Reservation("CV1", c.changedStay)));

    EXPECT_EQ(HostRows(), stored);
    EXPECT_EQ(Query("SELECT BookingNo, GuestID, Valid FROM OtaResponse"), (Rows{{"CV1", "", 2}}));
    EXPECT_EQ(NewReservationCount, 0);
    EXPECT_EQ(RejectedReservationCount, 1);
  }
}

TEST_F(ImportRecordTest, ARefusedStayIsTriedAgainWhenOfferedAgain) {
  const std::string reply = Reply(Reservation("CV1", Stay("SGL", 1, 4)));
  Import(reply);
  EXPECT_EQ(Responses(), (Rows{{"CV1", "", 1}}));
  EXPECT_EQ(fx.hotel->Count("OtaImport"), 0);

  WriteType(2, "SGL");
  Import(reply);
  EXPECT_EQ(Query("SELECT RoomNumber FROM GuestData"), (Rows{{"201"}}));
  EXPECT_EQ(Responses(), (Rows{{"CV1", "1", 0}}));
}

// A later room stay that is new (its room type was refused before) finds the
// repeated stay in the place of the booking that stay was stored as.
TEST_F(ImportRecordTest, ARepeatedStayStandsForItsBookingInTheStaysAfterIt) {
  struct Case {
    const char* name;
    std::string secondStay;
    bool groupMember;
  };
  const Case cases[] = {
      {"the group's main booking", Stay("SGL", 1, 4), true},
      {"the reservation's guest", Stay("SGL", 10, 12), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteType(2, "");
    fx.hotel->Exec(
        "DELETE FROM GuestData; DELETE FROM GuestName; DELETE FROM Occupancy; DELETE FROM \"Group\"; "
        "DELETE FROM OtaImport; DELETE FROM sqlite_sequence");
    const std::string reply = Reply(Reservation("CV1", Stay("DBL", 1, 4) + c.secondStay));
    // A member marks the main booking also when it is itself refused.
    const TVariant group = c.groupMember ? TVariant(1) : TVariant();
    Import(reply);
    ASSERT_EQ(Query("SELECT GuestID, GuestCode, GuestGroup FROM GuestData"), (Rows{{1, "000002", group}}));

    WriteType(2, "SGL");
    Import(reply);

    EXPECT_EQ(Query("SELECT GuestID, GuestCode, GuestGroup, RoomNumber FROM GuestData ORDER BY GuestID"),
              (Rows{{1, "000002", group, "101"}, {2, "000002", group, "201"}}));
    EXPECT_EQ(Query("SELECT GroupID, MainID, GivenName FROM \"Group\""),
              (c.groupMember ? Rows{{1, 2, "Guest"}} : Rows{}));
    EXPECT_EQ(fx.hotel->Count("GuestName"), 1);
    EXPECT_EQ(NewReservationCount, 1);
    EXPECT_EQ(Responses(), (Rows{{"CV1", "1", 0}}));
  }
}

// A row of the version before the reservation digest stands for the room stay
// at its place, compared on the digest that version kept of the stay and its
// reservation; the stays after it are stored and recorded the new way.
TEST_F(ImportRecordTest, ARowOfTheVersionBeforeStandsForTheStayAtItsPlace) {
  const std::string reply = Reply(Reservation("CV1", Stay("DBL", 1, 4) + Stay("SGL", 1, 4)));
  Import(reply);
  ASSERT_EQ(Responses(), (Rows{{"CV1", "1", 1}}));
  const std::string earlierDigest =
      StayDigest({"CV1", "16", "", "TB-CV1", "14", "H-CV1", "", "Guest", "CV1", "", "", "", "", "", "", "", "", "",
                  "DBL", "", "1 1 0", "0", "", ""});
  fx.hotel->Exec("UPDATE OtaImport SET StayNo = 1, ReservationDigest = NULL, StayDigest = '" + earlierDigest + "'");

  WriteType(2, "SGL");
  Import(reply);
  EXPECT_EQ(Query("SELECT GuestID, GuestGroup, RoomNumber FROM GuestData ORDER BY GuestID"),
            (Rows{{1, 1, "101"}, {2, 1, "201"}}));
  EXPECT_EQ(Responses(), (Rows{{"CV1", "1", 0}}));
  EXPECT_EQ(Query("SELECT StayNo, GuestID, ReservationDigest IS NULL FROM OtaImport ORDER BY StayNo"),
            (Rows{{1, 1, 1}, {2, 2, 0}}));
  const Rows stored = HostRows();

  Import(reply);
  EXPECT_EQ(Responses(), (Rows{{"CV1", "1", 0}}));
  Import(Reply(Reservation("CV1", Stay("SGL", 1, 4) + Stay("DBL", 1, 4))));
  EXPECT_EQ(Responses(), (Rows{{"CV1", "", 2}})) << "the row at place 1 is not this SGL stay";
  EXPECT_EQ(HostRows(), stored);
}

std::string WithArrivalTime(const std::string& time) {
  return Reply(Reservation("CV1", Stay("DBL", 1, 4), Guest("Guest", "CV1", "", " ArrivalTime=\"" + time + "\"")));
}

// A re-offer compares the arrival time as the import converts it, not as written.
TEST_F(ImportRecordTest, AnArrivalTimeOfferedAgainIsTheSameTimeInAnyOfItsForms) {
  struct Case {
    const char* first;
    const char* again;
    bool useUtc;
    bool same;
  };
  const Case cases[] = {
      {"14:00", "14:00:00", true, true},           {"14:00:00", "14:00:00.000", false, true},
      {"14:00:00Z", "16:00:00+02:00", false, true}, {"23:30:00-01:00", "22:30:00-02:00", true, true},
      {"14:00:00", "14:00:00Z", true, true},        {"14:00:00", "14:00:00Z", false, false},
      {"14:00:00", "14:00:01", true, false},        {"14:00:00", "", true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.first) + " then " + c.again + (c.useUtc ? " in UTC" : " in local time"));
    WriteUseUTCTime(c.useUtc);
    fx.hotel->Exec("DELETE FROM GuestData; DELETE FROM GuestName; DELETE FROM Occupancy; DELETE FROM OtaImport");
    Import(WithArrivalTime(c.first));
    ASSERT_EQ(NewReservationCount, 1);
    const Rows stored = HostRows();
    const Rows firstReport = Responses();
    Import(WithArrivalTime(c.again));
    EXPECT_EQ(Responses(), c.same ? firstReport : (Rows{{"CV1", "", 2}}));
    EXPECT_EQ(HostRows(), stored);
  }
}

// The version before kept the arrival time in the reservation digest as
// written: its rows still match a re-offer that writes it the same way.
TEST_F(ImportRecordTest, ARowOfThePreviousVersionMatchesTheArrivalTimeAsWritten) {
  Import(WithArrivalTime("14:00"));
  ASSERT_EQ(NewReservationCount, 1);
  const std::string stayDigest = StayDigest({"DBL", "", "1 1 0", "0", "", "", "2027-05-01", "2027-05-04"});
  const std::string previousDigest = StayDigest({"CV1", "16", "", "TB-CV1", "14", "H-CV1", "14:00", "Guest", "CV1",
                                                 "", "", "", "", "", "", "", "", "", stayDigest});
  fx.hotel->Exec("UPDATE OtaImport SET ReservationDigest = '" + previousDigest + "'");
  ASSERT_EQ(Query("SELECT COUNT(*) FROM OtaImport WHERE StayDigest = '" + stayDigest + "'"), (Rows{{1}}));
  const Rows stored = HostRows();

  Import(WithArrivalTime("14:00"));
  EXPECT_EQ(Responses(), (Rows{{"CV1", "1", 0}}));
  Import(WithArrivalTime("15:00"));
  EXPECT_EQ(Responses(), (Rows{{"CV1", "", 2}}));
  EXPECT_EQ(HostRows(), stored);
}

TEST_F(ImportRecordTest, ADatabaseWithoutTheImportRecordGetsItAtTheFirstImport) {
  fx.hotel->Exec("DROP TABLE OtaImport");
  Import(Reply(Reservation("CV1", Stay("DBL", 1, 4))));
  EXPECT_EQ(Query("SELECT ChannelID, TravelAgent, TravelBookingNo, StayNo, GuestID, RoomTypeCode FROM OtaImport"),
            (Rows{{"CV1", "", "", 1, 1, "DBL"}}));
  EXPECT_EQ(Query("SELECT name FROM sqlite_master WHERE type = 'index' AND tbl_name = 'OtaImport'"),
            (Rows{{"OtaImport_Key"}}));
}

}  // namespace
}  // namespace corvenna
