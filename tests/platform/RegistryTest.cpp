#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <filesystem>
#include <functional>

#include "platform/Dataset.h"
#include "platform/Errors.h"
#include "platform/Registry.h"
#include "support/RegistryFixture.h"
#include "support/ScratchHome.h"
#include "support/ErrorOf.h"

namespace corvenna {
namespace {

namespace fs = std::filesystem;
const std::string Key = "\\Software\\Quendale\\Corvenna";

std::vector<uint8_t> Bytes(std::initializer_list<int> values) {
  std::vector<uint8_t> bytes;
  for (int v : values) bytes.push_back(static_cast<uint8_t>(v));
  return bytes;
}

template <typename T>
std::vector<uint8_t> BytesOf(T value) {
  std::vector<uint8_t> bytes(sizeof value);
  std::memcpy(bytes.data(), &value, sizeof value);
  return bytes;
}


fs::perms PermissionsOf(const fs::path& path) { return fs::status(path).permissions() & fs::perms::all; }

class RegistryTest : public ::testing::Test {
 protected:
  fs::path StoreFile() const { return home.Root() / ".config" / "Quendale" / "registry.db"; }
  test::ScratchHome home;
};

struct TypeRuleCase {
  const char* what;
  uint32_t type;
  std::vector<uint8_t> data;
  std::function<std::string(TRegistry&)> read;
  std::string expected;
};

TEST_F(RegistryTest, ValuesKeepTheirTypeAndReadersAcceptOnlyTheirOwn) {
  const auto asString = [](TRegistry& r) { return r.ReadString("V"); };
  const auto asInteger = [](TRegistry& r) { return std::to_string(r.ReadInteger("V")); };
  const auto asBool = [](TRegistry& r) { return std::string(r.ReadBool("V") ? "true" : "false"); };
  const auto asFloat = [](TRegistry& r) { return std::to_string(r.ReadFloat("V")); };
  const std::string invalid = "Invalid data type for 'V'";
  const std::vector<TypeRuleCase> cases = {
      {"text as text", REG_SZ, test::TextBytes(" a b "), asString, " a b "},
      {"text ends at its first NUL", REG_SZ, Bytes({'a', 0, 'b', 0}), asString, "a"},
      {"text without NUL", REG_SZ, Bytes({'a', 'b'}), asString, "ab"},
      {"empty text", REG_SZ, {}, asString, ""},
      {"expand text not expanded", REG_EXPAND_SZ, test::TextBytes("%HOME%\\x"), asString, "%HOME%\\x"},
      {"DWORD is no text", REG_DWORD, BytesOf<int32_t>(5), asString, invalid},
      {"binary is no text", REG_BINARY, Bytes({1, 2}), asString, invalid},
      {"DWORD as integer", REG_DWORD, BytesOf<int32_t>(-7), asInteger, "-7"},
      {"text \"5\" is no DWORD", REG_SZ, test::TextBytes("5"), asInteger, invalid},
      {"DWORD of two bytes", REG_DWORD, Bytes({5, 0}), asInteger, invalid},
      {"DWORD 2 is true", REG_DWORD, BytesOf<int32_t>(2), asBool, "true"},
      {"DWORD 0 is false", REG_DWORD, BytesOf<int32_t>(0), asBool, "false"},
      {"text \"1\" is no Boolean", REG_SZ, test::TextBytes("1"), asBool, invalid},
      {"8-byte binary as float", REG_BINARY, BytesOf<double>(12.5), asFloat, std::to_string(12.5)},
      {"4-byte binary is no float", REG_BINARY, Bytes({0, 0, 0x48, 0x41}), asFloat, invalid},
      {"DWORD is no float", REG_DWORD, BytesOf<int32_t>(1), asFloat, invalid},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    test::SetRawValue(Key, "V", c.type, c.data);
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(Key, false));
    std::string got;
    try {
      got = c.read(reg);
    } catch (const ERegistryException& error) {
      got = error.what();
    }
    EXPECT_EQ(got, c.expected);
  }
}

TEST_F(RegistryTest, MissingValuesReadAsEmptyTextButFailTypedReads) {
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey(Key, true));
  EXPECT_FALSE(reg.ValueExists("Nothing"));
  EXPECT_EQ(reg.GetDataType("Nothing"), rdUnknown);
  EXPECT_EQ(reg.GetDataSize("Nothing"), -1);
  EXPECT_EQ(reg.ReadString("Nothing"), "");
  EXPECT_EQ(test::ErrorOf<ERegistryException>([&] { reg.ReadInteger("Nothing"); }), "Invalid data type for 'Nothing'");
  EXPECT_EQ(test::ErrorOf<ERegistryException>([&] { reg.ReadFloat("Nothing"); }), "Invalid data type for 'Nothing'");
  EXPECT_EQ(test::ErrorOf<ERegistryException>([&] { reg.ReadBinaryData("Nothing"); }), "Invalid data type for 'Nothing'");
}

TEST_F(RegistryTest, WritersStoreTheirTypeAndReplaceAnotherOne) {
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey(Key, true));
  reg.WriteInteger("Value", 7);
  EXPECT_EQ(reg.GetDataType("Value"), rdInteger);
  EXPECT_EQ(reg.GetDataSize("Value"), 4);
  reg.WriteString("Value", "seven");
  EXPECT_EQ(reg.GetDataType("Value"), rdString);
  EXPECT_EQ(reg.ReadString("Value"), "seven");
  reg.WriteExpandString("Value", "%X%");
  EXPECT_EQ(reg.GetDataType("Value"), rdExpandString);
  reg.WriteFloat("Value", 0.25);
  EXPECT_EQ(reg.GetDataType("Value"), rdBinary);
  EXPECT_EQ(reg.ReadFloat("Value"), 0.25);
  reg.WriteBool("Value", true);
  EXPECT_EQ(test::GetRawValue(Key, "Value")->data, BytesOf<int32_t>(1));
  reg.WriteString("Value", "");
  EXPECT_EQ(test::GetRawValue(Key, "Value")->data, Bytes({0}));
  reg.WriteBinaryData("Value", {});
  EXPECT_EQ(reg.GetDataSize("Value"), 0);
  EXPECT_TRUE(reg.DeleteValue("Value"));
  EXPECT_FALSE(reg.ValueExists("Value"));
}

TEST_F(RegistryTest, KeysAndNamesCompareWithoutCaseAndKeepTheirSpelling) {
  {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("Software\\Quendale\\Corvenna", true));
    reg.WriteString("HotelCode", "H1");
  }
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey("\\SOFTWARE\\quendale\\corvenna\\", false));
  EXPECT_EQ(reg.ReadString("hotelcode"), "H1");
  reg.WriteString("HOTELCODE", "H2");
  EXPECT_EQ(reg.ReadString("HotelCode"), "H2");
  EXPECT_EQ(reg.CurrentPath(), "SOFTWARE\\quendale\\corvenna");
}

TEST_F(RegistryTest, OpenKeyCreatesMissingKeysAndParentsOnlyWhenAsked) {
  TRegistry reg;
  EXPECT_FALSE(reg.OpenKey(Key, false));
  EXPECT_FALSE(test::RegKeyExists(Key));
  EXPECT_TRUE(reg.OpenKey(Key, true));
  EXPECT_TRUE(test::RegKeyExists(Key));
  EXPECT_TRUE(test::RegKeyExists("\\Software\\Quendale"));
  EXPECT_TRUE(test::RegKeyExists("\\Software"));
  EXPECT_FALSE(test::RegKeyExists("\\Software\\Quendale\\Other"));
}

TEST_F(RegistryTest, TwoObjectsShareTheStoreWithoutCaching) {
  TRegistry reader, writer;
  ASSERT_TRUE(reader.OpenKey(Key, true));
  ASSERT_TRUE(writer.OpenKey(Key, true));
  writer.WriteInteger("MaxAllocation", 3);
  EXPECT_EQ(reader.ReadInteger("MaxAllocation"), 3);
  writer.WriteInteger("MaxAllocation", 4);
  EXPECT_EQ(reader.ReadInteger("MaxAllocation"), 4);
}

// The process keeps its connection to the store open between calls; what
// another connection commits in between must still be read.
TEST_F(RegistryTest, ReadsSeeWhatAnotherConnectionWroteInBetween) {
  test::SetDword(Key, "MaxAllocation", 3);
  TRegistry keptOpen(KEY_READ);
  ASSERT_TRUE(keptOpen.OpenKeyReadOnly(Key));
  const auto readFresh = [] {
    TRegistry reg;
    return reg.OpenKey(Key, true) && reg.ValueExists("MaxAllocation") ? reg.ReadInteger("MaxAllocation") : -1;
  };
  EXPECT_EQ(readFresh(), 3);
  EXPECT_EQ(keptOpen.ReadInteger("MaxAllocation"), 3);

  TDatabase other;
  other.SetDatabaseFileName(StoreFile().string());
  other.Open();
  other.Execute("UPDATE RegValues SET data = X'09000000' WHERE folded = 'maxallocation'");
  EXPECT_EQ(readFresh(), 9);
  EXPECT_EQ(keptOpen.ReadInteger("MaxAllocation"), 9);
  other.Execute("DELETE FROM RegValues WHERE folded = 'maxallocation'");
  EXPECT_EQ(readFresh(), -1);
  EXPECT_FALSE(keptOpen.ValueExists("MaxAllocation"));
}

struct ReplacementCase {
  const char* what;
  std::function<void(const fs::path& store, const fs::path& successor)> replace;
  std::string expected;
};

// A store file put in place of the open one (a restored copy, say) is the one
// read from then on, and nothing of the old one is carried over to it.
TEST_F(RegistryTest, StoreReplacedOnDiskIsPickedUp) {
  const fs::path successor = home.Root() / "successor.db";
  const std::vector<ReplacementCase> cases = {
      {"renamed over it", [](const fs::path& store, const fs::path& next) { fs::rename(next, store); }, "H2"},
      {"copied in after removal",
       [](const fs::path& store, const fs::path& next) {
         fs::remove(store);
         fs::copy_file(next, store);
       },
       "H2"},
      {"removed", [](const fs::path& store, const fs::path&) { fs::remove(store); }, ""},
      {"replaced by text",
       [](const fs::path& store, const fs::path&) {
         fs::remove(store);
         test::WriteFileText(store, "not a store");
       },
       ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove_all(StoreFile().parent_path());
    test::SetString(Key, "HotelCode", "H1");
    // The file and its log together are a consistent copy.
    for (const std::string suffix : {"", "-wal"})
      if (fs::exists(StoreFile().string() + suffix))
        fs::copy_file(StoreFile().string() + suffix, successor.string() + suffix, fs::copy_options::overwrite_existing);
    {
      TDatabase other;
      other.SetDatabaseFileName(successor.string());
      other.Open();
      other.Execute("UPDATE RegValues SET data = X'483200' WHERE folded = 'hotelcode'");
    }
    {
      TRegistry reg;
      ASSERT_TRUE(reg.OpenKey(Key, true));
      reg.WriteString("Password", "secret");
      ASSERT_EQ(reg.ReadString("HotelCode"), "H1");
    }
    c.replace(StoreFile(), successor);
    TRegistry reg(KEY_READ);
    reg.OpenKeyReadOnly(Key);
    EXPECT_EQ(reg.ReadString("HotelCode"), c.expected);
    EXPECT_EQ(reg.ReadString("Password"), "");
  }
}

TEST_F(RegistryTest, NewStoreIsPrivateAndInWalMode) {
  fs::remove_all(home.Root() / ".config");
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey(Key, true));
  reg.WriteString("Password", "secret");
  EXPECT_EQ(PermissionsOf(StoreFile()), fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(PermissionsOf(StoreFile().parent_path()), fs::perms::owner_all);
  EXPECT_EQ(PermissionsOf(StoreFile().parent_path().parent_path()), fs::perms::owner_all);
  reg.CloseKey();
  const std::string header = test::ReadFileText(StoreFile()).substr(0, 20);
  EXPECT_EQ(header.substr(0, 15), "SQLite format 3");
  EXPECT_EQ(header[18], 2) << "write version 2 is WAL";
}

TEST_F(RegistryTest, AStoreReadableByOthersEndsPrivateWhenOpenedForWriting) {
  test::SetString(Key, "Password", "secret");
  fs::permissions(StoreFile(), fs::perms(0644));
  ASSERT_TRUE(TRegistry(KEY_READ).OpenKeyReadOnly(Key));
  EXPECT_EQ(PermissionsOf(StoreFile()), fs::perms(0644)) << "reading changes nothing";
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey(Key, true)) << reg.LastError();
  reg.WriteString("Password", "other");
  EXPECT_EQ(PermissionsOf(StoreFile()), fs::perms::owner_read | fs::perms::owner_write);
}

// Root writes through permission bits, so a file without any write bit is what
// plays "cannot be written" here; the store then opens read-only.
TEST_F(RegistryTest, ReadOnlyStoreReadsButRefusesFullAccessAndWrites) {
  test::SetString(Key, "HotelCode", "H1");
  fs::permissions(StoreFile(), fs::perms::owner_read | fs::perms::group_read);
  const std::string before = test::ReadFileText(StoreFile());

  TRegistry full(KEY_ALL_ACCESS);
  EXPECT_FALSE(full.OpenKey(Key, true));
  EXPECT_NE(full.LastError().find(StoreFile().string()), std::string::npos) << full.LastError();
  EXPECT_EQ(full.ReadString("HotelCode"), "");
  EXPECT_EQ(test::ErrorOf<ERegistryException>([&] { full.WriteString("HotelCode", "H2"); }), "Failed to set data for 'HotelCode'");
  EXPECT_EQ(test::ErrorOf<ERegistryException>([&] { full.WriteInteger("StopSale1", 1); }), "Failed to set data for 'StopSale1'");

  TRegistry readOnly(KEY_READ);
  ASSERT_TRUE(readOnly.OpenKeyReadOnly(Key));
  EXPECT_EQ(readOnly.ReadString("HotelCode"), "H1");
  EXPECT_EQ(test::ErrorOf<ERegistryException>([&] { readOnly.WriteString("HotelCode", "H2"); }), "Failed to set data for 'HotelCode'");
  EXPECT_FALSE(readOnly.DeleteValue("HotelCode"));
  EXPECT_EQ(test::ReadFileText(StoreFile()), before);
}

TEST_F(RegistryTest, StoreThatCanBeWrittenAgainTakesWrites) {
  test::SetString(Key, "HotelCode", "H1");
  fs::permissions(StoreFile(), fs::perms::owner_read);
  ASSERT_TRUE(TRegistry(KEY_READ).OpenKeyReadOnly(Key));
  EXPECT_FALSE(TRegistry().OpenKey(Key, true));
  fs::permissions(StoreFile(), fs::perms::owner_read | fs::perms::owner_write);
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey(Key, true)) << reg.LastError();
  reg.WriteString("HotelCode", "H2");
  EXPECT_EQ(test::GetRawValue(Key, "HotelCode")->data, test::TextBytes("H2"));
}

TEST_F(RegistryTest, FileThatIsNotAStoreIsNeverTouched) {
  for (const std::string& content :
       {std::string("not a database at all, just text\n"), std::string("SQLite format 3") + std::string(200, '\x7f')}) {
    fs::create_directories(StoreFile().parent_path());
    test::WriteFileText(StoreFile(), content);
    for (const bool create : {true, false}) {
      TRegistry reg;
      EXPECT_FALSE(reg.OpenKey(Key, create));
      EXPECT_NE(reg.LastError().find(StoreFile().string()), std::string::npos) << reg.LastError();
      EXPECT_EQ(reg.ReadString("HotelCode"), "");
      EXPECT_EQ(test::ErrorOf<ERegistryException>([&] { reg.WriteString("HotelCode", "x"); }), "Failed to set data for 'HotelCode'");
      EXPECT_FALSE(TRegistry(KEY_READ).OpenKeyReadOnly(Key));
    }
    EXPECT_EQ(test::ReadFileText(StoreFile()), content);
    EXPECT_FALSE(fs::exists(StoreFile().string() + "-wal"));
  }
}

TEST_F(RegistryTest, StoreThatCannotBeCreatedFailsToOpen) {
  fs::remove_all(home.Root() / ".config");
  test::WriteFileText(home.Root() / ".config", "a file where the folder should be");
  TRegistry reg;
  EXPECT_FALSE(reg.OpenKey(Key, true));
  EXPECT_NE(reg.LastError().find("registry.db"), std::string::npos) << reg.LastError();
  EXPECT_EQ(test::ErrorOf<ERegistryException>([&] { reg.WriteBool("UseDot", true); }), "Failed to set data for 'UseDot'");
}

TEST_F(RegistryTest, StorePathFollowsXdgConfigHomeThenHome) {
  EXPECT_EQ(RegistryStorePath(), StoreFile().string());
  setenv("XDG_CONFIG_HOME", "", 1);
  EXPECT_EQ(RegistryStorePath(), (home.Root() / ".config/Quendale/registry.db").string());
  setenv("XDG_CONFIG_HOME", "/elsewhere", 1);
  EXPECT_EQ(RegistryStorePath(), "/elsewhere/Quendale/registry.db");
}

}  // namespace
}  // namespace corvenna
