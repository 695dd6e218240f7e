#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "data/Constants.h"
#include "data/HostDataFixture.h"
#include "data/OtaDataCheck.h"
#include "platform/Errors.h"
#include "support/RegistryFixture.h"

namespace corvenna {
namespace {

using test::HostDataTest;

// Counted rooms: 101, 102 (type 1), 900 (NULL type, counted as type 1),
// 201 (type 2), 1701 (type 17): TotalRooms 5, TypeRooms 3 / 1.
// Not counted by the query: 202 (NULL CalOccupancy, type 2), 301 ("N", type 3).
class OccupancyTest : public HostDataTest {
 protected:
  OccupancyTest() {
    hotel->AddRoom("101", 1);
    hotel->AddRoom("102", 1);
    hotel->AddRoom("900", std::nullopt);
    hotel->AddRoom("201", 2);
    hotel->AddRoom("202", 2, std::nullopt);
    hotel->AddRoom("301", 3, "N");
    hotel->AddRoom("1701", 17);
    hotel->AddRoom("12A", 1, "N");
    OpenModule();
  }

  int64_t Field(TDateTime day, const std::string& name) {
    const auto row = hotel->OccupancyOn(day);
    if (row.empty()) return -1000;
    const TVariant& value = row.at(name);
    return value.IsNull() ? -999 : value.integer();
  }
};

constexpr int64_t Null = -999;

TEST_F(OccupancyTest, RoomIsBookedByOverlappingBookingsOnly) {
  struct Case {
    const char* name;
    int arrival, departure;
    std::optional<bool> cancelled;
    int first, last;
    bool booked;
  };
  const std::vector<Case> cases = {
      {"departs on the first day", 8, 10, false, 10, 12, false},
      {"arrives on the last day", 12, 14, false, 10, 12, false},
      {"arrives on the first day", 10, 11, false, 10, 12, true},
      {"departs on the last day", 11, 12, false, 10, 12, true},
      {"spans the stay", 9, 13, false, 10, 12, true},
      {"same-day stay inside a booking", 9, 11, false, 10, 10, true},
      {"same-day stay on a booking's arrival", 10, 11, false, 10, 10, false},
      {"same-day stay on a booking's departure", 9, 10, false, 10, 10, false},
      {"cancelled", 9, 13, true, 10, 12, false},
      {"cancelled NULL counts", 9, 13, std::nullopt, 10, 12, true},
      {"arrived 31 days before", -21, 13, false, 10, 12, true},
      {"arrived 32 days before: never considered", -22, 13, false, 10, 12, false},
  };
  const TDateTime base = Day(1);
  for (const Case& c : cases) {
    hotel->Exec("DELETE FROM GuestData");
    hotel->AddBooking("101", IncDay(base, c.arrival - 1), IncDay(base, c.departure - 1), c.cancelled);
    EXPECT_EQ(RoomIsBooked("101", 0, Day(c.first), Day(c.last)), c.booked) << c.name;
    EXPECT_FALSE(DM().qryGuestData.Active());
  }
}

TEST_F(OccupancyTest, RoomIsBookedComparesByDayAndIgnoresOtherRoomsAndItsOwnBooking) {
  const int64_t own = hotel->AddBooking("12A", Day(9), Day(13));
  EXPECT_FALSE(RoomIsBooked("12a", 0, Day(10), Day(12)));
  EXPECT_TRUE(RoomIsBooked("12A", 0, Day(10), Day(12)));
  EXPECT_FALSE(RoomIsBooked("12A", static_cast<int32_t>(own), Day(10), Day(12)));

  hotel->AddBooking("101", Day(8) + 0.6, Day(10) + 0.4);  // times of day do not count
  EXPECT_FALSE(RoomIsBooked("101", 0, Day(10) + 0.5, Day(12)));
  EXPECT_TRUE(RoomIsBooked("101", 0, Day(9) + 0.9, Day(12)));
}

TEST_F(OccupancyTest, RoomIsBookedLooksBackMaxNoNightsDays) {
  hotel->AddBooking("101", Day(1), Day(20));
  EXPECT_TRUE(RoomIsBooked("101", 0, Day(10), Day(12)));
  test::SetDword(std::string(PreferenceKey), "MaxNoNights", 9);
  EXPECT_FALSE(RoomIsBooked("101", 0, Day(10), Day(12)));
  test::SetDword(std::string(PreferenceKey), "MaxNoNights", 10);
  EXPECT_TRUE(RoomIsBooked("101", 0, Day(10), Day(12)));
}

TEST_F(OccupancyTest, CountRoomsByTypeCountsWhatTheQuerySelects) {
  CountRoomsByType();
  EXPECT_EQ(TotalRooms(), 5);
  EXPECT_EQ(TypeRooms(1), 3);
  EXPECT_EQ(TypeRooms(2), 1);
  EXPECT_EQ(TypeRooms(3), 0);
  EXPECT_EQ(TypeRooms(17), 0);
  EXPECT_FALSE(DM().qryRoomType.Active());
}

TEST_F(OccupancyTest, UnderARoomCountHoldARoomAddedByAnotherConnectionIsCounted) {
  const TRoomCountHold hold;
  UpdateOccupancy("101", true, Day(10), Day(11));
  EXPECT_EQ(Field(Day(10), "RoomsAvailable"), 4);
  hotel->AddRoom("103", 1);
  UpdateOccupancy("102", true, Day(10), Day(11));
  EXPECT_EQ(Field(Day(10), "RoomsAvailable"), 4);
  EXPECT_EQ(Field(Day(10), "Type1Available"), 2);
}

TEST_F(OccupancyTest, FirstBookingOfANightInsertsItsRow) {
  UpdateOccupancy("101", true, Day(10), Day(13));
  EXPECT_EQ(hotel->Count("Occupancy"), 3);
  EXPECT_TRUE(hotel->OccupancyOn(Day(13)).empty());
  for (int day = 10; day <= 12; ++day) {
    EXPECT_EQ(Field(Day(day), "RoomsOccupied"), 1);
    EXPECT_EQ(Field(Day(day), "RoomsAvailable"), 4);
    EXPECT_EQ(Field(Day(day), "Type1Occupied"), 1);
    EXPECT_EQ(Field(Day(day), "Type1Available"), 2);
    EXPECT_EQ(Field(Day(day), "Type2Available"), 1);
    EXPECT_EQ(Field(Day(day), "Type16Available"), 0);
    EXPECT_EQ(Field(Day(day), "Type2Occupied"), Null);
  }
  EXPECT_EQ(hotel->Rows("SELECT CompanyCode FROM Occupancy LIMIT 1"), (std::vector<std::vector<TVariant>>{{""}}));

  UpdateOccupancy("102", true, Day(14), Day(14));  // a same-day stay counts one night
  EXPECT_EQ(Field(Day(14), "RoomsOccupied"), 1);
  EXPECT_EQ(hotel->Count("Occupancy"), 4);
}

TEST_F(OccupancyTest, LaterBookingsUpdateTheNightAndTheLastOneTakenAwayDeletesIt) {
  UpdateOccupancy("101", true, Day(10), Day(11));
  UpdateOccupancy("201", true, Day(10), Day(11));
  EXPECT_EQ(Field(Day(10), "RoomsOccupied"), 2);
  EXPECT_EQ(Field(Day(10), "RoomsAvailable"), 3);
  EXPECT_EQ(Field(Day(10), "Type1Available"), 2);
  EXPECT_EQ(Field(Day(10), "Type2Occupied"), 1);
  EXPECT_EQ(Field(Day(10), "Type2Available"), 0);

  UpdateOccupancy("201", false, Day(10), Day(11));
  EXPECT_EQ(Field(Day(10), "RoomsOccupied"), 1);
  EXPECT_EQ(Field(Day(10), "Type2Occupied"), 0);
  EXPECT_EQ(Field(Day(10), "Type2Available"), 1);
  UpdateOccupancy("101", false, Day(10), Day(11));
  EXPECT_EQ(hotel->Count("Occupancy"), 0);
  UpdateOccupancy("101", false, Day(10), Day(11));  // nothing to take away
  EXPECT_EQ(hotel->Count("Occupancy"), 0);
}

TEST_F(OccupancyTest, RoomsOutsideTheSixteenTypesChangeOnlyTheTotals) {
  struct Case {
    const char* room;
    int64_t roomsOccupied;  // after the booking
  };
  // 1701: type 17; 900: NULL type read as 0; 202: NULL CalOccupancy is booked though not counted.
  for (const Case& c : std::vector<Case>{{"1701", 1}, {"900", 1}}) {
    hotel->Exec("DELETE FROM Occupancy");
    UpdateOccupancy(c.room, true, Day(10), Day(11));
    EXPECT_EQ(Field(Day(10), "RoomsOccupied"), c.roomsOccupied) << c.room;
    EXPECT_EQ(Field(Day(10), "RoomsAvailable"), 4) << c.room;
    EXPECT_EQ(Field(Day(10), "Type1Available"), 3) << c.room;
    EXPECT_EQ(Field(Day(10), "Type1Occupied"), Null) << c.room;
    // On an existing night the sixteen availabilities are rewritten from the counts.
    hotel->Exec("UPDATE Occupancy SET Type1Available = 77");
    UpdateOccupancy(c.room, true, Day(10), Day(11));
    EXPECT_EQ(Field(Day(10), "RoomsOccupied"), 2) << c.room;
    EXPECT_EQ(Field(Day(10), "Type1Available"), 3) << c.room;
    EXPECT_EQ(Field(Day(10), "Type1Occupied"), Null) << c.room;
  }

  hotel->Exec("DELETE FROM Occupancy");
  UpdateOccupancy("202", true, Day(10), Day(11));
  EXPECT_EQ(Field(Day(10), "Type2Occupied"), 1);
  EXPECT_EQ(Field(Day(10), "Type2Available"), 0);
  EXPECT_EQ(Field(Day(10), "RoomsAvailable"), 4);
}

TEST_F(OccupancyTest, UncountedAndUnknownRoomsChangeNothing) {
  UpdateOccupancy("301", true, Day(10), Day(12));
  UpdateOccupancy("999", true, Day(10), Day(12));
  UpdateOccupancy("12a", true, Day(10), Day(12));  // "12A" is an "N" room; "12a" none
  EXPECT_EQ(hotel->Count("Occupancy"), 0);
}

TEST_F(OccupancyTest, AFailureHalfWayLeavesNoNightCounted) {
  UpdateOccupancy("102", true, Day(11), Day(12));
  DM().Quendale.FailAfterWrites(2);
  EXPECT_THROW(UpdateOccupancy("101", true, Day(10), Day(14)), EDatabaseError);
  EXPECT_EQ(hotel->Count("Occupancy"), 1);
  EXPECT_EQ(Field(Day(11), "RoomsOccupied"), 1);
  EXPECT_EQ(DM().tblOccupancy.State(), TDataSetState::dsBrowse);

  UpdateOccupancy("101", true, Day(10), Day(14));  // the next call writes normally
  EXPECT_EQ(hotel->Count("Occupancy"), 4);
  EXPECT_EQ(Field(Day(11), "RoomsOccupied"), 2);
}

TEST_F(OccupancyTest, UpdateOccupancyJoinsTheCallersTransaction) {
  {
    TTransaction booking(DM().Quendale);
    UpdateOccupancy("101", true, Day(10), Day(12));
  }  // the caller gives up: its nights go too
  EXPECT_EQ(hotel->Count("Occupancy"), 0);
  {
    TTransaction booking(DM().Quendale);
    UpdateOccupancy("101", true, Day(10), Day(12));
    booking.Commit();
  }
  EXPECT_EQ(hotel->Count("Occupancy"), 2);
}

}  // namespace
}  // namespace corvenna
