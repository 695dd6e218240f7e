#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "data/Constants.h"
#include "data/HostDataFixture.h"
#include "data/OtaDataModule.h"
#include "data/OtaOpenTables.h"
#include "platform/Errors.h"
#include "support/ErrorOf.h"
#include "support/RegistryFixture.h"

namespace corvenna {
namespace {

using ::testing::HasSubstr;
class DataModuleTest : public test::HostDataTest {};

std::vector<TDataSet*> TwelveDatasets(TDM& dm) {
  return {&dm.tblOccInventory, &dm.tblOccupancy, &dm.tblRoomType,   &dm.tblGuestName,
          &dm.tblGuestData,    &dm.tblGroup,     &dm.tblGuestNotes, &dm.tblOtaResponse,
          &dm.qryOccupancy,    &dm.qryRoomType,  &dm.qryGuestData,  &dm.qryGuestName};
}

TEST(DataModuleAliasTest, IsTheFileNameUpToItsFirstDotFollowedByOta) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"/home/u/Documents/Quendale/Database/Quendale.abs", "QuendaleOta"},
      {"/data/Hotel.2024.backup.abs", "HotelOta"},
      {"/data/NoDot", "Ota"},
      {"/data.d/NoDot", "Ota"},
      {"/data//Hotel.abs", "HotelOta"},
      {"C:\\Host\\Front.Desk.abs", "FrontOta"},
  };
  for (const auto& [path, alias] : cases) EXPECT_EQ(HostDatabaseAlias(path), alias) << path;
}

TEST_F(DataModuleTest, OpensTheDefaultFileAndGivesEveryDatasetItsAlias) {
  OpenModule();
  TDM& m = DM();
  EXPECT_TRUE(m.Quendale.Connected());
  EXPECT_EQ(m.Quendale.DatabaseName(), "QuendaleOta");
  EXPECT_EQ(std::filesystem::path(m.Quendale.DatabaseFileName()), hotel->Path());
  for (TDataSet* dataset : TwelveDatasets(m)) EXPECT_EQ(dataset->DatabaseName(), "QuendaleOta") << dataset->Name();
  for (TTable* table : {&m.tblOccupancy, &m.tblOccInventory, &m.tblRoomType, &m.tblGuestName, &m.tblGuestData,
                        &m.tblGroup, &m.tblGuestNotes, &m.tblOtaResponse})
    EXPECT_TRUE(table->Active()) << table->Name();
  for (TQuery* query : {&m.qryOccupancy, &m.qryRoomType, &m.qryGuestData, &m.qryGuestName})
    EXPECT_FALSE(query->Active()) << query->Name();
  EXPECT_EQ(m.dsGuestDQuery.DataSet(), &m.qryGuestData);

  SetTablesActive(true);  // again: stays open
  EXPECT_TRUE(m.tblGroup.Active());
  SetTablesActive(false);
  EXPECT_FALSE(m.tblGroup.Active());
  SetTablesActive(false);
}

TEST_F(DataModuleTest, TakesTheFileNamedByTheHostSettings) {
  const auto folder = home.Root() / "elsewhere";
  test::HostDatabaseFixture other(folder, "Front.Desk.abs");
  test::SetString(std::string(DataDirectoryKey), "DataDir", folder.string());
  test::SetString(std::string(DataDirectoryKey), "DataBaseFileName", "Front.Desk.abs");
  OpenModule();
  EXPECT_EQ(DM().Quendale.DatabaseName(), "FrontOta");
  EXPECT_EQ(std::filesystem::path(DM().Quendale.DatabaseFileName()), other.Path());
}

TEST_F(DataModuleTest, ReportsAMissingFileWithoutCreatingIt) {
  test::SetString(std::string(DataDirectoryKey), "DataBaseFileName", "Absent.abs");
  const auto expected = hotel->Path().parent_path() / "Absent.abs";
  try {
    OpenHostDatabase();
    FAIL() << "no error";
  } catch (const EDatabaseError& error) {
    EXPECT_THAT(error.what(), HasSubstr(expected.string()));
  }
  EXPECT_FALSE(std::filesystem::exists(expected));
  EXPECT_FALSE(DM().Quendale.Connected());
}

TEST_F(DataModuleTest, StopsAtAMissingTableAndLeavesTheLaterOnesClosed) {
  hotel->Exec("DROP TABLE GuestData");
  OpenHostDatabase();
  try {
    SetTablesActive(true);
    FAIL() << "no error";
  } catch (const EDatabaseError& error) {
    EXPECT_THAT(error.what(), HasSubstr("'GuestData'"));
  }
  TDM& m = DM();
  EXPECT_TRUE(m.tblGuestName.Active());
  EXPECT_FALSE(m.tblGuestData.Active());
  EXPECT_FALSE(m.tblGroup.Active());
  EXPECT_FALSE(m.tblOtaResponse.Active());
  // The tables left closed behind it say why, not that they are closed.
  EXPECT_THAT(test::ErrorOf<EDatabaseError>([&] { m.tblOtaResponse.First(); }), HasSubstr("'GuestData'"));
  EXPECT_THAT(test::ErrorOf<EDatabaseError>([] { RequireTablesActive(); }), HasSubstr("'GuestData'"));
}

TEST(DataModuleScopeTest, DMLivesExactlyAsLongAsItsScope) {
  EXPECT_FALSE(DMExists());
  EXPECT_THROW(DM(), EDatabaseError);
  {
    TDMScope scope;
    EXPECT_TRUE(DMExists());
    EXPECT_EQ(DM().Quendale.DatabaseName(), "Quendale");
    EXPECT_EQ(DM().tblGroup.TableName(), "Group");
    EXPECT_EQ(DM().qryGuestName.SQL().Text(), "Select * from guestname\n");
    EXPECT_THROW(TDMScope second, EDatabaseError);
  }
  EXPECT_FALSE(DMExists());
}

}  // namespace
}  // namespace corvenna
