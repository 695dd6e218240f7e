#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "data/HostDataFixture.h"
#include "data/OtaOpenTables.h"
#include "platform/Errors.h"

namespace corvenna {
namespace {

using test::HostDataTest;

struct InventoryRun {
  int64_t type;
  TDateTime from, to;
  int64_t available;
  friend bool operator==(const InventoryRun&, const InventoryRun&) = default;
  friend std::ostream& operator<<(std::ostream& out, const InventoryRun& r) {
    return out << "{type " << r.type << ", " << FormatIsoDate(r.from) << ".." << FormatIsoDate(r.to) << ", "
               << r.available << "}";
  }
};

// Type 1: two rooms; type 2: five rooms and one more whose CalOccupancy is "X";
// type 3: rooms all "N"; type 4: CalOccupancy NULL; type 17; a room without type.
class InventoryTest : public HostDataTest {
 protected:
  InventoryTest() {
    hotel->AddRoom("101", 1);
    hotel->AddRoom("102", 1);
    for (int n = 1; n <= 5; ++n) hotel->AddRoom("20" + std::to_string(n), 2);
    hotel->AddRoom("206", 2, "X");
    hotel->AddRoom("301", 3, "N");
    hotel->AddRoom("401", 4, std::nullopt);
    hotel->AddRoom("1701", 17);
    hotel->AddRoom("999", std::nullopt);
    OpenModule();
  }

  void Night(int day, std::map<int, int32_t> available) {
    hotel->AddOccupancy({Day(day), 0, 0, {}, std::move(available)});
  }

  std::vector<InventoryRun> Runs() {
    std::vector<InventoryRun> runs;
    for (const auto& row : hotel->Rows("SELECT Type, OccFromDate, OccToDate, Available FROM OccInventory ORDER BY ID"))
      runs.push_back({row[0].integer(), row[1].real(), row[2].real(), row[3].integer()});
    return runs;
  }
};

TEST_F(InventoryTest, RunsOfEqualAvailabilityBecomeOneRowEach) {
  const std::vector<int32_t> type2 = {6, 6, 3, 3, 6};
  for (int day = 1; day <= 5; ++day) Night(day, {{1, 2}, {2, type2[static_cast<size_t>(day - 1)]}});
  BuildOccInventory(Day(1), Day(5));
  EXPECT_EQ(Runs(),
            (std::vector<InventoryRun>{
                {1, Day(1), Day(5), 2}, {2, Day(1), Day(2), 6}, {2, Day(3), Day(4), 3}, {2, Day(5), Day(5), 6}}));
  // The allocation cap of the availability update: distinct (RoomType, CalOccupancy) pairs.
  EXPECT_TRUE(DM().qryRoomType.Active());
  EXPECT_EQ(DM().qryRoomType.RecordCount(), 3);
  EXPECT_TRUE(DM().qryOccupancy.Active());
  EXPECT_EQ(DM().qryOccupancy.RecordCount(), 5);
}

TEST_F(InventoryTest, ValuesAreCappedAtTheRoomCountAndNeverNegative) {
  Night(1, {{1, 0}, {2, 9}});
  Night(2, {{1, -3}, {2, 6}});
  Night(3, {{1, 1}, {2, -1}});
  // Day 4 has no row: full counts.
  BuildOccInventory(Day(1), Day(4));
  EXPECT_EQ(Runs(), (std::vector<InventoryRun>{{1, Day(1), Day(2), 0},
                                               {1, Day(3), Day(3), 1},
                                               {1, Day(4), Day(4), 2},
                                               {2, Day(1), Day(2), 6},
                                               {2, Day(3), Day(3), 0},
                                               {2, Day(4), Day(4), 6}}));
}

TEST_F(InventoryTest, RangesWithoutOccupancyGiveFullCountsAcrossTheWholeRange) {
  Night(2, {{1, 0}, {2, 0}});  // outside the ranges below
  struct Case {
    const char* name;
    int first, last;
    int from, to;
  };
  for (const Case& c : std::vector<Case>{{"ten days", 10, 19, 10, 19},
                                         {"one day", 10, 10, 10, 10},
                                         {"reversed: walked forward from the first day", 5, 3, 5, 7}}) {
    BuildOccInventory(Day(c.first), Day(c.last));
    EXPECT_EQ(Runs(), (std::vector<InventoryRun>{{1, Day(c.from), Day(c.to), 2}, {2, Day(c.from), Day(c.to), 6}}))
        << c.name;
  }
}

TEST_F(InventoryTest, TwoRebuildsInARowGiveTheSameRowsWithNewIds) {
  for (int day = 1; day <= 3; ++day) Night(day, {{1, day % 2}, {2, 4}});
  BuildOccInventory(Day(1), Day(3));
  const std::vector<InventoryRun> first = Runs();
  const int64_t firstMaxId = hotel->Int("SELECT max(ID) FROM OccInventory");
  BuildOccInventory(Day(1), Day(3));
  EXPECT_EQ(Runs(), first);
  EXPECT_GT(hotel->Int("SELECT min(ID) FROM OccInventory"), firstMaxId);
}

TEST_F(InventoryTest, AFailureHalfWayLeavesThePreviousInventoryWhole) {
  for (int day = 1; day <= 5; ++day) Night(day, {{1, day % 2}, {2, day}});
  BuildOccInventory(Day(1), Day(5));
  const auto before = hotel->Rows("SELECT * FROM OccInventory ORDER BY ID");
  ASSERT_FALSE(before.empty());

  hotel->Exec("UPDATE Occupancy SET Type2Available = 1");
  DM().Quendale.FailAfterWrites(4);  // the emptying, then three rows
  EXPECT_THROW(BuildOccInventory(Day(1), Day(5)), EDatabaseError);
  EXPECT_EQ(hotel->Rows("SELECT * FROM OccInventory ORDER BY ID"), before);
  EXPECT_EQ(DM().tblOccInventory.State(), TDataSetState::dsBrowse);

  BuildOccInventory(Day(1), Day(5));
  EXPECT_EQ(Runs().back(), (InventoryRun{2, Day(1), Day(5), 1}));
}

TEST_F(InventoryTest, RoomTypeQueryHoldsEveryChannelRoomByType) {
  OpenRoomTypeQuery();
  TQuery& query = DM().qryRoomType;
  std::vector<std::string> rooms;
  int previous = 0;
  for (; !query.Eof(); query.Next()) {
    EXPECT_GE(query.FieldByName("RoomType").AsInteger(), previous);
    previous = query.FieldByName("RoomType").AsInteger();
    rooms.push_back(query.FieldByName("RoomNo").AsString());
  }
  std::sort(rooms.begin(), rooms.end());
  EXPECT_EQ(rooms, (std::vector<std::string>{"101", "102", "201", "202", "203", "204", "205", "206"}));
}

}  // namespace
}  // namespace corvenna
