// The settings read during one call of the library: a store that cannot be
// opened or read is tried once, and its failure stays for the rest of the call.
#include <gtest/gtest.h>

#include <filesystem>

#include "data/Constants.h"
#include "data/OtaGfgIni.h"
#include "platform/Errors.h"
#include "platform/RegistryCall.h"
#include "support/ErrorOf.h"
#include "support/RegistryFixture.h"
#include "support/ScratchHome.h"

namespace corvenna {
namespace {

namespace fs = std::filesystem;
const std::string Key(CorvennaKey);

class SettingsCallTest : public ::testing::Test {
 protected:
  SettingsCallTest() {
    test::SetString(Key, "HotelCode", "H1");
    fs::copy_file(StoreFile(), GoodCopy());
  }
  fs::path StoreFile() const { return home.Root() / ".config" / "Quendale" / "registry.db"; }
  fs::path GoodCopy() const { return home.Root() / "registry.good"; }
  // A new file in the store's place, so that no kept connection serves it.
  void PutInPlace(const fs::path& source) const {
    fs::remove(StoreFile());
    fs::copy_file(source, StoreFile());
  }
  void Damage() const {
    const fs::path junk = home.Root() / "junk";
    test::WriteFileText(junk, "not a registry store\n");
    PutInPlace(junk);
  }
  std::string DamagedMessage() const {
    return "Registry store '" + StoreFile().string() + "': the file is not a registry store";
  }
  test::ScratchHome home;
};

TEST_F(SettingsCallTest, AStoreThatFailedIsNotTriedAgainDuringTheCall) {
  {
    const TRegistryCallScope call;
    Damage();
    EXPECT_EQ(ReadHotelCode(), "") << "readers still give their default";
    EXPECT_EQ(RegistryCallFailure(), DamagedMessage());
    PutInPlace(GoodCopy());
    EXPECT_EQ(ReadHotelCode(), "") << "the store is not tried again in the same call";
    EXPECT_EQ(ReadMaxNoNights(), 32);
    EXPECT_EQ(test::ErrorOf<ERegistryException>(RequireReadableRegistry), DamagedMessage());
    EXPECT_EQ(test::ErrorOf([] { WriteHotelCode("H2"); }), "Failed to set data for 'HotelCode'");
  }
  EXPECT_EQ(RegistryCallFailure(), "");
  EXPECT_EQ(ReadHotelCode(), "H1") << "the next call reads the store again";
}

// The dialog's Send runs in a scope of its own inside the dialog's call.
TEST_F(SettingsCallTest, AnInnerScopeStartsAfreshAndTheOuterFailureComesBack) {
  const TRegistryCallScope call;
  Damage();
  EXPECT_EQ(ReadHotelCode(), "");
  PutInPlace(GoodCopy());
  {
    const TRegistryCallScope send;
    EXPECT_EQ(RegistryCallFailure(), "");
    EXPECT_EQ(ReadHotelCode(), "H1");
  }
  EXPECT_EQ(RegistryCallFailure(), DamagedMessage());
}

TEST_F(SettingsCallTest, MissingValuesAndValuesOfAnotherTypeAreNoFailureOfTheStore) {
  test::SetString(Key, "StopSale3", "5");
  const TRegistryCallScope call;
  EXPECT_EQ(ReadRequestorID(), "");
  EXPECT_EQ(ReadCorvennaAvailReqUlr(), DefaultEndpoint);
  EXPECT_EQ(ReadStopSale3(), 0);
  EXPECT_EQ(ReadLastAutoGenNo(), 1);
  EXPECT_EQ(RegistryCallFailure(), "");
  EXPECT_NO_THROW(RequireReadableRegistry());
  EXPECT_EQ(ReadHotelCode(), "H1");
}

// Outside a call every read tries the store anew, as the settings unit always did.
TEST_F(SettingsCallTest, WithoutACallEveryReadTriesTheStore) {
  Damage();
  EXPECT_EQ(ReadHotelCode(), "");
  EXPECT_EQ(RegistryCallFailure(), "");
  PutInPlace(GoodCopy());
  EXPECT_EQ(ReadHotelCode(), "H1");
}

}  // namespace
}  // namespace corvenna
