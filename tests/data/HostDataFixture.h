#pragma once
// A scratch home whose default host database file exists, and DM opened on
// it with its tables active, as the dialog's creation leaves it.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "data/OtaDataModule.h"
#include "data/OtaOpenTables.h"
#include "platform/DateTime.h"
#include "support/HostDatabaseFixture.h"
#include "support/ScratchHome.h"

namespace corvenna::test {

class HostDataTest : public ::testing::Test {
 protected:
  HostDataTest()
      : hotel(std::make_unique<HostDatabaseFixture>(home.Documents() / "Quendale" / "Database")),
        dm(std::make_unique<TDMScope>()) {}

  void OpenModule() {
    OpenHostDatabase();
    SetTablesActive(true);
  }

  // Days of March 2026.
  static TDateTime Day(int day) { return EncodeDate(2026, 3, day); }

  ScratchHome home;
  std::unique_ptr<HostDatabaseFixture> hotel;
  std::unique_ptr<TDMScope> dm;
};

}  // namespace corvenna::test
