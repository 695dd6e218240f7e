#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "data/Constants.h"
#include "data/OtaGfgIni.h"
#include "data/SettingsAccess.h"
#include "platform/Errors.h"
#include "support/RegistryFixture.h"
#include "support/ScratchHome.h"
#include "support/ErrorOf.h"

namespace corvenna {
namespace {

namespace fs = std::filesystem;
const std::string Key(CorvennaKey);

std::string Text(bool value) { return value ? "true" : "false"; }
std::string Text(int32_t value) { return std::to_string(value); }

// One value of the plug-in's key: its reader (result as text), a writer that
// stores something other than the default, what that reads back as, and the
// registry type it is stored with.
struct Accessor {
  std::string name;
  std::function<std::string()> read;
  std::string fallback;
  std::function<void()> write;
  std::string written;
  uint32_t type;
};

std::vector<Accessor> PluginAccessors() {
  const auto text = [](std::string name, auto read, std::string fallback, auto write) {
    const std::string value = " v-" + name + " ";
    return Accessor{name, [read] { return read(); }, fallback, [write, value] { write(value); }, value, REG_SZ};
  };
  const auto integer = [](std::string name, auto read, int32_t fallback, auto write) {
    return Accessor{name, [read] { return Text(read()); }, Text(fallback), [write] { write(-42); }, "-42", REG_DWORD};
  };
  const auto boolean = [](std::string name, auto read, bool fallback, auto write) {
    return Accessor{name,
                    [read] { return Text(read()); },
                    Text(fallback),
                    [write, fallback] { write(!fallback); },
                    Text(!fallback),
                    REG_DWORD};
  };
  return {
      text("UserName", ReadUserName, "", WriteUserName),
      text("Password", ReadPassword, "", WritePassword),
      boolean("SavePassword", ReadSavePassword, true, WriteSavePassword),
      text("HotelCode", ReadHotelCode, "", WriteHotelCode),
      text("RequestorID", ReadRequestorID, "", WriteRequestorID),
      text("Type1", ReadType1, "", WriteType1),
      text("Type16", ReadType16, "", WriteType16),
      text("Code5", ReadCode5, "", WriteCode5),
      text(
          "Code12", [] { return ReadCode(12); }, "", [](const std::string& v) { WriteCode(12, v); }),
      integer("StopSale3", ReadStopSale3, 0, WriteStopSale3),
      integer(
          "StopSale16", [] { return ReadStopSale(16); }, 0, [](int32_t v) { WriteStopSale(16, v); }),
      integer("MaxAllocation", ReadMaxAllocation, 0, WriteMaxAllocation),
      integer("CurrencyCode", ReadCurrencyCode, 0, WriteCurrencyCode),
      boolean("RateIncludingTax", ReadRateIncludingTax, true, WriteRateIncludingTax),
      boolean("UseUTCTime", ReadUseUTCTime, true, WriteUseUTCTime),
      integer("FullFlush", ReadFullFlush, 0, WriteFullFlush),
      integer("FlushTime", ReadFlushTime, 0, WriteFlushTime),
      text("CorvennaAvailReqUlr", ReadCorvennaAvailReqUlr, std::string(DefaultEndpoint), WriteCorvennaAvailReqUlr),
      integer("AutoCheck", ReadAutoCheck, 0, WriteAutoCheck),
      boolean("RecalcOccupancy", ReadRecalcOccupancy, true, WriteRecalcOccupancy),
      boolean("Showmessage", ReadShowmessage, true, WriteShowmessage),
      boolean("UseDot", ReadUseDot, true, WriteUseDot),
      boolean("AutoStop", ReadAutoStop, false, WriteAutoStop),
  };
}


class SettingsTest : public ::testing::Test {
 protected:
  fs::path StoreFile() const { return home.Root() / ".config" / "Quendale" / "registry.db"; }
  test::ScratchHome home;
};

TEST_F(SettingsTest, FirstReadCreatesTheEmptyKey) {
  EXPECT_FALSE(test::RegKeyExists(Key));
  EXPECT_EQ(ReadHotelCode(), "");
  EXPECT_TRUE(test::RegKeyExists(Key));
  EXPECT_FALSE(test::GetRawValue(Key, "HotelCode").has_value());
}

TEST_F(SettingsTest, EveryReaderGivesItsDefaultAndEveryWriterStoresItsType) {
  for (const auto& accessor : PluginAccessors()) {
    SCOPED_TRACE(accessor.name);
    EXPECT_EQ(accessor.read(), accessor.fallback);
    accessor.write();
    EXPECT_EQ(accessor.read(), accessor.written);
    const auto raw = test::GetRawValue(Key, accessor.name);
    ASSERT_TRUE(raw.has_value());
    EXPECT_EQ(raw->type, accessor.type);
  }
}

TEST_F(SettingsTest, ErrorValuesAreWrittenWithTheirTypes) {
  WriteCorvennaHasError(true);
  WriteCorvennaErrorMsg("Server was unable to process request");
  EXPECT_EQ(test::GetRawValue(Key, "CorvennaHasError")->data, (std::vector<uint8_t>{1, 0, 0, 0}));
  EXPECT_EQ(test::GetRawValue(Key, "CorvennaErrorMsg")->data, test::TextBytes("Server was unable to process request"));
  WriteCorvennaErrorMsg("");
  EXPECT_EQ(test::GetRawValue(Key, "CorvennaErrorMsg")->data, test::TextBytes(""));
}

struct StoredCase {
  const char* what;
  const char* name;
  uint32_t type;
  std::vector<uint8_t> data;
  std::function<std::string()> read;
  std::string expected;
};

TEST_F(SettingsTest, ReadersFollowTheTypeRules) {
  const std::vector<StoredCase> cases = {
      {"text 5 is no DWORD", "StopSale3", REG_SZ, test::TextBytes("5"), [] { return Text(ReadStopSale3()); }, "0"},
      {"DWORD 2 is true", "SavePassword", REG_DWORD, {2, 0, 0, 0}, [] { return Text(ReadSavePassword()); }, "true"},
      {"text 1 is no Boolean", "AutoStop", REG_SZ, test::TextBytes("1"), [] { return Text(ReadAutoStop()); }, "false"},
      {"DWORD of two bytes", "MaxAllocation", REG_DWORD, {9, 0}, [] { return Text(ReadMaxAllocation()); }, "0"},
      {"DWORD is no text", "Type5", REG_DWORD, {1, 0, 0, 0}, [] { return ReadType5(); }, ""},
      {"blanks kept", "HotelCode", REG_SZ, test::TextBytes("  H 1  "), [] { return ReadHotelCode(); }, "  H 1  "},
      {"expand text as stored", "UserName", REG_EXPAND_SZ, test::TextBytes("%USER%"), [] { return ReadUserName(); },
       "%USER%"},
      {"text up to its NUL", "Password", REG_SZ, {'p', 'w', 0, 'x', 0}, [] { return ReadPassword(); }, "pw"},
      {"empty endpoint", "CorvennaAvailReqUlr", REG_SZ, test::TextBytes(""), [] { return ReadCorvennaAvailReqUlr(); },
       std::string(DefaultEndpoint)},
      {"endpoint of a wrong type",
       "CorvennaAvailReqUlr",
       REG_DWORD,
       {1, 0, 0, 0},
       [] { return ReadCorvennaAvailReqUlr(); },
       std::string(DefaultEndpoint)},
      {"endpoint as stored", "CorvennaAvailReqUlr", REG_SZ, test::TextBytes(" http://127.0.0.1:8080/x "),
       [] { return ReadCorvennaAvailReqUlr(); }, " http://127.0.0.1:8080/x "},
      {"names without case", "stopsale7", REG_DWORD, {7, 0, 0, 0}, [] { return Text(ReadStopSale7()); }, "7"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    test::SetRawValue(Key, c.name, c.type, c.data);
    EXPECT_EQ(c.read(), c.expected);
  }
}

TEST_F(SettingsTest, WritersStoreExactlyWhatTheyAreGiven) {
  test::SetDword(Key, "HotelCode", 5);
  WriteHotelCode("  H1 ");
  EXPECT_EQ(test::GetRawValue(Key, "HotelCode")->type, REG_SZ);
  EXPECT_EQ(ReadHotelCode(), "  H1 ");
  WriteCorvennaAvailReqUlr("");
  EXPECT_EQ(test::GetRawValue(Key, "CorvennaAvailReqUlr")->data, test::TextBytes(""));
  EXPECT_EQ(ReadCorvennaAvailReqUlr(), DefaultEndpoint);
  WriteSavePassword(true);
  EXPECT_EQ(test::GetRawValue(Key, "SavePassword")->data, (std::vector<uint8_t>{1, 0, 0, 0}));
}

TEST_F(SettingsTest, SlotsOutsideOneToSixteen) {
  EXPECT_EQ(ReadType(0), "");
  EXPECT_EQ(ReadStopSale(17), 0);
  EXPECT_EQ(test::ErrorOf([] { WriteType(17, "X"); }), "Failed to set data for 'Type17'");
  EXPECT_EQ(test::ErrorOf([] { WriteStopSale(0, 1); }), "Failed to set data for 'StopSale0'");
  EXPECT_FALSE(test::GetRawValue(Key, "Type17").has_value());
}

// Every reader gives its default and every writer raises, and the store's
// bytes stay as they were.
void ExpectDefaultsAndRefusals(const fs::path& storeFile) {
  const std::string before = test::ReadFileText(storeFile);
  for (const auto& accessor : PluginAccessors()) {
    SCOPED_TRACE(accessor.name);
    EXPECT_EQ(accessor.read(), accessor.fallback);
    EXPECT_EQ(test::ErrorOf(accessor.write), "Failed to set data for '" + accessor.name + "'");
    EXPECT_EQ(Reg, nullptr) << "the registry object is released also when the writer raises";
  }
  EXPECT_EQ(test::ErrorOf([] { WriteCorvennaHasError(true); }), "Failed to set data for 'CorvennaHasError'");
  EXPECT_EQ(test::ErrorOf([] { WriteCorvennaErrorMsg("x"); }), "Failed to set data for 'CorvennaErrorMsg'");
  EXPECT_EQ(test::ReadFileText(storeFile), before);
}

// Root writes through permission bits: a store file without any write bit is
// what plays the user without full access here.
TEST_F(SettingsTest, ReadOnlyStoreGivesDefaultsEvenWhereValuesAreStored) {
  for (const auto& accessor : PluginAccessors()) accessor.write();
  fs::permissions(StoreFile(), fs::perms::owner_read);
  ExpectDefaultsAndRefusals(StoreFile());
}

TEST_F(SettingsTest, StoreThatIsNotADatabaseGivesDefaultsAndStaysUnchanged) {
  fs::create_directories(StoreFile().parent_path());
  test::WriteFileText(StoreFile(), "[HKEY_CURRENT_USER\\Software\\Quendale\\Corvenna]\n\"HotelCode\"=\"H1\"\n");
  ExpectDefaultsAndRefusals(StoreFile());
}

TEST_F(SettingsTest, ExpandUserDocsResolvesTheToken) {
  const std::string docs = home.Documents().string();
  struct Case {
    std::string value, expected;
  };
  const std::vector<Case> cases = {
      {"{userdocs}\\Quendale\\Lan\\Language.sil", docs + "/Quendale/Lan/Language.sil"},
      {"{userdocs}/Quendale/Database", docs + "/Quendale/Database"},
      {"/srv/hotel/Database", "/srv/hotel/Database"},
      {"{USERDOCS}\\Quendale", "{USERDOCS}\\Quendale"},
      {"", ""},
      {"/mnt{userdocs}/x", "/mnt" + docs + "/x"},
  };
  for (const auto& c : cases) EXPECT_EQ(ExpandUserDocs(c.value), c.expected) << c.value;
}

TEST_F(SettingsTest, MissingDocumentsFolderFailsEvenWithoutTheToken) {
  EXPECT_EQ(GetMyDocumentsPath(), home.Documents().string());
  fs::remove_all(home.Documents());
  const std::string message = "Could not determine My Documents path";
  EXPECT_EQ(test::ErrorOf([] { GetMyDocumentsPath(); }), message);
  EXPECT_EQ(test::ErrorOf([] { ExpandUserDocs("{userdocs}\\Quendale"); }), message);
  EXPECT_EQ(test::ErrorOf([] { ExpandUserDocs("/srv/hotel"); }), message);
}

}  // namespace
}  // namespace corvenna
