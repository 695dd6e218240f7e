#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "platform/Dataset.h"
#include "platform/Errors.h"
#include "support/HostDatabaseFixture.h"
#include "support/ScratchHome.h"
#include "support/ErrorOf.h"

namespace corvenna {
namespace {

using ::testing::HasSubstr;
namespace fs = std::filesystem;

// The library's connection beside the host's (the fixture's own) on one file.
class DatasetTest : public ::testing::Test {
 protected:
  DatasetTest() : host(home.Root() / "db") {
    db.SetDatabaseFileName(host.Path().string());
    db.Open();
  }

  void OpenTable(TTable& table, const std::string& name) {
    table.SetDatabaseName("LibraryAlias");
    table.SetTableName(name);
    table.Open();
  }

  test::ScratchHome home;
  test::HostDatabaseFixture host;
  TDatabase db{"LibraryAlias"};
};


TEST_F(DatasetTest, ErrorsNameWhatFailed) {
  const std::string missing = (home.Root() / "nowhere" / "Missing.abs").string();
  TDatabase other("Other");
  other.SetDatabaseFileName(missing);
  EXPECT_THAT(test::ErrorOf<EDatabaseError>([&] { other.Open(); }), HasSubstr(missing));
  EXPECT_FALSE(fs::exists(missing));

  TTable table("tblMissing");
  table.SetDatabaseName("LibraryAlias");
  table.SetTableName("NoSuchTable");
  EXPECT_THAT(test::ErrorOf<EDatabaseError>([&] { table.Open(); }), HasSubstr("'NoSuchTable'"));
  EXPECT_FALSE(table.Active());

  TTable rooms("tblrooms");
  OpenTable(rooms, "RoomType");
  EXPECT_THAT(test::ErrorOf<EDatabaseError>([&] { rooms.FieldByName("NoSuchField"); }),
              HasSubstr("Table 'RoomType' in database '" + host.Path().string() + "' has no column 'NoSuchField'"));
  // A table that could not be opened raises its own failure when used, not "closed".
  EXPECT_THAT(test::ErrorOf<EDatabaseError>([&] { table.First(); }), HasSubstr("'NoSuchTable'"));
  EXPECT_THAT(test::ErrorOf<EDatabaseError>([&] { table.FieldByName("Any"); }), HasSubstr("'NoSuchTable'"));

  TQuery query("qryBad");
  query.SetDatabaseName("LibraryAlias");
  query.SQL().Add("Select Nonsense from RoomType");
  EXPECT_THAT(test::ErrorOf<EDatabaseError>([&] { query.Open(); }), HasSubstr("Select Nonsense from RoomType"));
  EXPECT_THAT(test::ErrorOf<EDatabaseError>([&] { query.Open(); }),
              HasSubstr("Table 'RoomType' in database '" + host.Path().string() + "' has no column 'Nonsense'"));
}

TEST_F(DatasetTest, ANonDatabaseFileIsRefusedAtConnect) {
  const fs::path bogus = home.Root() / "bogus.abs";
  test::WriteFileText(bogus, "this is not a database file at all, just some text......................");
  TDatabase other("Other");
  other.SetDatabaseFileName(bogus.string());
  EXPECT_THAT(test::ErrorOf<EDatabaseError>([&] { other.Open(); }), HasSubstr(bogus.string()));
  EXPECT_FALSE(other.Connected());
}

TEST_F(DatasetTest, WalksALargeTableInRowOrderAcrossPages) {
  host.Exec(
      "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 1000) "
      "INSERT INTO RoomType (RoomNo, RoomType) SELECT 'R' || i, i FROM n");
  TTable rooms("tblrooms");
  OpenTable(rooms, "RoomType");
  EXPECT_EQ(rooms.RecordCount(), 1000);
  int expected = 1;
  for (rooms.First(); !rooms.Eof(); rooms.Next()) EXPECT_EQ(rooms.FieldByName("RoomType").AsInteger(), expected++);
  EXPECT_EQ(expected, 1001);
  EXPECT_EQ(rooms.FieldByName("RoomNo").AsString(), "R1000");  // Eof stays on the last row
}

TEST_F(DatasetTest, FieldsFollowTheNullRulesAndConvert) {
  host.Exec(
      "INSERT INTO GuestData (GuestCode, ArrivalDate, RoomRateQuoted, Cancelled, RoomType) "
      "VALUES (NULL, 45000.5, 123.45, NULL, '7')");
  TTable bookings("tblbookings");
  OpenTable(bookings, "GuestData");
  EXPECT_TRUE(bookings.FieldByName("GuestCode").IsNull());
  EXPECT_EQ(bookings.FieldByName("GuestCode").AsString(), "");
  EXPECT_EQ(bookings.FieldByName("NumberAdults").AsInteger(), 0);
  EXPECT_FALSE(bookings.FieldByName("Cancelled").AsBoolean());
  EXPECT_DOUBLE_EQ(bookings.FieldByName("ArrivalDate").AsDateTime(), 45000.5);
  EXPECT_EQ(bookings.FieldByName("RoomRateQuoted").AsCurrency(), Currency::FromRaw(1234500));
  EXPECT_EQ(bookings.FieldByName("RoomType").AsInteger(), 7);
  EXPECT_EQ(bookings.FieldByName("ArrivalDate").DataType(), TFieldType::ftDateTime);
  EXPECT_THAT(test::ErrorOf<EDatabaseError>([&] { bookings.FieldByName("GuestCode").SetAsString("x"); }),
              HasSubstr("not in edit or insert mode"));
}

TEST_F(DatasetTest, LocateMatchesAllFieldsExactlyAndStaysPutWhenNothingMatches) {
  host.AddRoom("101", 1);
  host.AddRoom("12a", 2);
  host.AddRoom("12A", 3);
  host.AddRoom("12A", 4, std::nullopt);
  TTable rooms("tblrooms");
  OpenTable(rooms, "RoomType");

  struct Case {
    std::string fields;
    std::vector<TVariant> values;
    int expectedType;  // 0: not found
  };
  const std::vector<Case> cases = {
      {"RoomNo", {"12A"}, 3},
      {"RoomNo", {"12a"}, 2},
      {"RoomNo;RoomType", {"12A", 4}, 4},
      {"RoomNo; CalOccupancy", {"12A", nullptr}, 4},
      {"RoomNo;RoomType", {"12a", 3}, 0},
      {"RoomType", {3.0}, 3},
      {"RoomNo", {"999"}, 0},
  };
  for (const Case& c : cases) {
    rooms.First();
    EXPECT_EQ(rooms.Locate(c.fields, c.values), c.expectedType != 0) << c.fields;
    EXPECT_EQ(rooms.FieldByName("RoomType").AsInteger(), c.expectedType != 0 ? c.expectedType : 1) << c.fields;
  }
  // The walk goes on from the located row.
  ASSERT_TRUE(rooms.Locate("RoomNo", {"12a"}));
  rooms.Next();
  EXPECT_EQ(rooms.FieldByName("RoomType").AsInteger(), 3);
  EXPECT_THROW(rooms.Locate("RoomNo;RoomType", {"12a"}), EDatabaseError);
}

TEST_F(DatasetTest, AppendEditCancelAndDeleteWriteOneRowEach) {
  TTable inventory("tblinventory");
  OpenTable(inventory, "OccInventory");
  EXPECT_TRUE(inventory.IsEmpty());
  int64_t ids[3];
  for (int i = 0; i < 3; ++i) {
    inventory.Append();
    inventory.FieldByName("Type").SetAsInteger(i + 1);
    inventory.Post();
    ids[i] = inventory.FieldByName("ID").AsLargeInt();
    EXPECT_GT(ids[i], 0);
  }
  EXPECT_LT(ids[0], ids[1]);

  ASSERT_TRUE(inventory.Locate("ID", {ids[1]}));
  inventory.Edit();
  inventory.FieldByName("Available").SetAsInteger(9);
  inventory.Cancel();
  EXPECT_TRUE(inventory.FieldByName("Available").IsNull());
  inventory.Edit();
  inventory.FieldByName("Available").SetAsInteger(9);
  inventory.Post();
  EXPECT_EQ(host.Int("SELECT Available FROM OccInventory WHERE ID = :Id", {{"Id", ids[1]}}), 9);

  inventory.Delete();  // moves to the next row
  EXPECT_EQ(inventory.FieldByName("ID").AsLargeInt(), ids[2]);
  inventory.Delete();  // the last row: back on the one before, at the end
  EXPECT_EQ(inventory.FieldByName("ID").AsLargeInt(), ids[0]);
  EXPECT_TRUE(inventory.Eof());
  inventory.Delete();
  EXPECT_TRUE(inventory.IsEmpty());
  EXPECT_EQ(host.Count("OccInventory"), 0);

  // Identifiers are quoted: the host has a table named Group.
  TTable group("tblgroup");
  OpenTable(group, "Group");
  group.Append();
  group.FieldByName("GroupID").SetAsInteger(5);
  group.Post();
  EXPECT_EQ(host.Int("SELECT GroupID FROM \"Group\""), 5);
}

TEST_F(DatasetTest, AnEditOnlyWritesTheFieldsItChanged) {
  host.AddRoom("101", 1, "Y", "A");
  TTable rooms("tblrooms");
  OpenTable(rooms, "RoomType");
  rooms.Edit();
  rooms.FieldByName("RoomSortNo").SetAsString("B");
  host.Exec("UPDATE RoomType SET CalOccupancy = 'N'");  // the host changes another field meanwhile
  rooms.Post();
  EXPECT_EQ(host.Rows("SELECT RoomSortNo, CalOccupancy FROM RoomType"),
            (std::vector<std::vector<TVariant>>{{"B", "N"}}));

  host.Exec("DELETE FROM RoomType");
  rooms.Edit();
  rooms.FieldByName("RoomSortNo").SetAsString("C");
  EXPECT_THAT(test::ErrorOf<EDatabaseError>([&] { rooms.Post(); }), HasSubstr("RoomType"));
}

TEST_F(DatasetTest, QueryParametersBindByNameWithoutCaseAndSurviveLaterLines) {
  host.AddRoom("101", 1, "Y");
  host.AddRoom("102", 2, "N");
  host.AddRoom("103", 2, "Y");
  host.AddRoom("201", 17, "Y");
  TQuery query("qryRooms");
  query.SetDatabaseName("LibraryAlias");
  query.SQL().Add("Select * from RoomType");
  query.SQL().Add("Where (CalOccupancy <> :ANo) ");
  query.ParamByName("ano").SetAsString("N");
  query.SQL().Add("and (RoomType <> :AType) ");
  query.ParamByName("ATYPE").SetAsInteger(17);
  query.SQL().Add("Order by RoomType desc");
  query.Open();
  EXPECT_EQ(query.RecordCount(), 2);
  EXPECT_EQ(query.FieldByName("RoomNo").AsString(), "103");
  EXPECT_TRUE(query.Locate("RoomNo", {"101"}));
  EXPECT_EQ(query.RecNo(), 1);
  EXPECT_FALSE(query.Locate("RoomNo", {"102"}));

  // ":Email" in the SQL is the parameter "EMail".
  query.Close();
  query.SQL().Clear();
  query.SQL().Add("Select * from GuestName where Email = :Email and GivenName = ':NotAParam'");
  EXPECT_EQ(query.ParamCount(), 1);
  query.ParamByName("EMail").SetAsString("a@b.c");
  query.Open();
  EXPECT_TRUE(query.IsEmpty());
  EXPECT_THROW(query.ParamByName("Other"), EDatabaseError);

  query.SQL().Add("and FamilyName = :FName");
  EXPECT_THAT(test::ErrorOf<EDatabaseError>([&] { query.Open(); }), HasSubstr("No value for parameter 'FName'"));
  EXPECT_THROW(query.Append(), EDatabaseError);
}

TEST_F(DatasetTest, DateParametersKeepTheDayOnly) {
  TParam param("ADate");
  param.SetAsDate(45000.75);
  EXPECT_EQ(param.Value(), TVariant(45000.0));
  param.SetAsDateTime(45000.75);
  EXPECT_EQ(param.Value(), TVariant(45000.75));
}

TEST_F(DatasetTest, DataSourceIsToldWhenItsDataSetOpensAndCloses) {
  host.AddRoom("101", 1);
  TQuery query("qryGrid");
  query.SetDatabaseName("LibraryAlias");
  query.SQL().Add("Select RoomNo, RoomType from RoomType");
  TDataSource source;
  int changes = 0;
  source.OnStateChange = [&] { ++changes; };
  source.SetDataSet(&query);
  query.Open();
  EXPECT_EQ(source.DataSet()->FieldNames(), (std::vector<std::string>{"RoomNo", "RoomType"}));
  query.Close();
  EXPECT_EQ(changes, 2);
}

TEST_F(DatasetTest, DisconnectingClosesTheDatasets) {
  TTable rooms("tblrooms");
  OpenTable(rooms, "RoomType");
  TQuery query("qry");
  query.SetDatabaseName("LibraryAlias");
  query.SQL().Add("Select * from RoomType");
  query.Open();
  db.Close();
  EXPECT_FALSE(rooms.Active());
  EXPECT_FALSE(query.Active());
  query.Open();  // connects again
  EXPECT_TRUE(db.Connected());
}

TEST_F(DatasetTest, TransactionsRollBackUnlessCommittedAndNest) {
  TTable rooms("tblrooms");
  OpenTable(rooms, "RoomType");
  auto addRoom = [&](const char* no) {
    rooms.Append();
    rooms.FieldByName("RoomNo").SetAsString(no);
    rooms.Post();
  };
  {
    TTransaction outer(db);
    addRoom("1");
    {
      TTransaction inner(db);
      addRoom("2");
    }  // rolled back alone
    {
      TTransaction inner(db);
      addRoom("3");
      inner.Commit();
    }
    outer.Commit();
  }
  {
    TTransaction dropped(db);
    addRoom("4");
  }
  EXPECT_EQ(host.Rows("SELECT RoomNo FROM RoomType ORDER BY RoomNo"),
            (std::vector<std::vector<TVariant>>{{"1"}, {"3"}}));
}

TEST_F(DatasetTest, InjectedWriteFailureStopsTheNthWrite) {
  TTable rooms("tblrooms");
  OpenTable(rooms, "RoomType");
  db.FailAfterWrites(1);
  rooms.Append();
  rooms.Post();
  rooms.Append();
  EXPECT_THAT(test::ErrorOf<EDatabaseError>([&] { rooms.Post(); }), HasSubstr("injected"));
  rooms.Cancel();
  rooms.Append();
  rooms.Post();  // one failure only
  EXPECT_EQ(host.Count("RoomType"), 2);
}

TEST_F(DatasetTest, AnotherConnectionWritesWhileTheLibraryHasTheFileOpen) {
  TTable rooms("tblrooms");
  OpenTable(rooms, "RoomType");
  host.AddRoom("H1", 1);  // the host writes with the library connected
  rooms.First();
  EXPECT_EQ(rooms.FieldByName("RoomNo").AsString(), "H1");
  rooms.Append();
  rooms.FieldByName("RoomNo").SetAsString("L1");
  rooms.Post();
  EXPECT_EQ(host.Count("RoomType"), 2);
}

TEST_F(DatasetTest, ALockedDatabaseIsWaitedForThenReported) {
  host.AddRoom("101", 1);
  db.SetBusyTimeoutMs(300);
  TTable rooms("tblrooms");
  OpenTable(rooms, "RoomType");
  host.Exec("BEGIN IMMEDIATE");
  host.Exec("INSERT INTO RoomType (RoomNo) VALUES ('held')");

  rooms.First();  // readers are not blocked by the writer
  EXPECT_EQ(rooms.FieldByName("RoomNo").AsString(), "101");

  const auto start = std::chrono::steady_clock::now();
  rooms.Append();
  const std::string error = test::ErrorOf<EDatabaseError>([&] { rooms.Post(); });
  const auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_THAT(error, HasSubstr("locked"));
  EXPECT_THAT(error, HasSubstr(host.Path().string()));
  EXPECT_GE(waited, std::chrono::milliseconds(250));
  EXPECT_LT(waited, std::chrono::seconds(3));
  rooms.Cancel();

  EXPECT_THAT(test::ErrorOf<EDatabaseError>([&] { TTransaction transaction(db); }), HasSubstr("locked"));
  host.Exec("COMMIT");
  rooms.Append();
  rooms.Post();
  EXPECT_EQ(host.Count("RoomType"), 3);
}

}  // namespace
}  // namespace corvenna
