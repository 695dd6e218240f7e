// The host stand-in as a program: its files, its registry values and its
// calls of the library's exports.
#include <gtest/gtest.h>

#include <locale.h>
#include <sqlite3.h>

#include <ctime>
#include <filesystem>

#include "LibraryHarness.h"
#include "platform/Errors.h"
#include "platform/FormatSettings.h"
#include "platform/Text.h"
#include "support/RegistryFixture.h"
#include "support/ScratchHome.h"

namespace corvenna::test {
namespace {

namespace fs = std::filesystem;

constexpr const char* PluginKey = "Software\\Quendale\\Corvenna";

ProgramRun Host(std::vector<std::string> args, const std::map<std::string, std::string>& env = {}) {
  args.insert(args.begin(), QUENDALE_HOST_PATH);
  return RunProgram(args, env);
}

int64_t CountRows(const fs::path& database, const std::string& sql) {
  sqlite3* db = nullptr;
  int64_t count = -1;
  if (sqlite3_open_v2(database.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) == SQLITE_OK &&
        sqlite3_step(statement) == SQLITE_ROW)
      count = sqlite3_column_int64(statement, 0);
    sqlite3_finalize(statement);
  }
  sqlite3_close(db);
  return count;
}

fs::path HostDatabase(const ScratchHome& home) { return home.Documents() / "Quendale" / "Database" / "Quendale.abs"; }

// init --sample-hotel, then the plug-in's settings, all through the program.
void ConfigureSampleHotel(const std::string& endpoint) {
  ASSERT_EQ(Host({"init", "--sample-hotel"}).exitCode, 0);
  const std::vector<std::pair<std::string, std::string>> values{
      {"UserName", "frontdesk"}, {"Password", "pw"},   {"HotelCode", "H1"},   {"RequestorID", "R1"},
      {"CorvennaAvailReqUlr", endpoint}, {"Type1", "SGL"}, {"Type2", "DBL"}, {"Type3", "STE"},
      {"Code1", "BAR"},          {"Code2", "BAR"},     {"Code3", "BAR"}};
  for (const auto& [name, value] : values) ASSERT_EQ(Host({"reg", "set", PluginKey, name, "sz", value}).exitCode, 0);
}

TEST(QuendaleHostTest, InitMakesTheHostsFilesAndTheSampleHotel) {
  ScratchHome home;
  const ProgramRun run = Host({"init", "--sample-hotel"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  for (const char* folder : {"Database", "Temp", "OTA", "Lan"})
    EXPECT_TRUE(fs::is_directory(home.Documents() / "Quendale" / folder)) << folder;
  EXPECT_EQ(CountRows(HostDatabase(home), "SELECT COUNT(*) FROM sqlite_master WHERE type = 'table' AND "
                                          "name NOT LIKE 'sqlite%'"),
            9)
      << "the host's eight tables and the import record";
  EXPECT_EQ(CountRows(HostDatabase(home), "SELECT COUNT(DISTINCT RoomType) FROM RoomType"), 3);
  EXPECT_EQ(CountRows(HostDatabase(home), "SELECT COUNT(*) FROM RoomType WHERE DoubleRate > 0"),
            CountRows(HostDatabase(home), "SELECT COUNT(*) FROM RoomType"));
  EXPECT_EQ(ReadFileText(home.Documents() / "Quendale" / "Lan" / "Language.sil"),
            ReadFileText(CORVENNA_SOURCE_DIR "/host/Language.sil"));
  const auto desc = GetRawValue("Software\\Quendale\\Preference", "TypeDesc1");
  ASSERT_TRUE(desc);
  EXPECT_EQ(desc->type, REG_SZ);
}

TEST(QuendaleHostTest, InitReplacesTheDatabaseOnlyWithForce) {
  ScratchHome home;
  ASSERT_EQ(Host({"init"}).exitCode, 0);
  EXPECT_EQ(CountRows(HostDatabase(home), "SELECT COUNT(*) FROM RoomType"), 0);
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(HostDatabase(home).c_str(), &db), SQLITE_OK);
  sqlite3_exec(db, "INSERT INTO GuestData (GuestCode) VALUES ('KEEP')", nullptr, nullptr, nullptr);
  sqlite3_close(db);
  const std::string before = ReadFileText(HostDatabase(home));

  const ProgramRun again = Host({"init", "--sample-hotel"});
  EXPECT_EQ(again.exitCode, 1);
  EXPECT_NE(again.err.find("--force"), std::string::npos) << again.err;
  EXPECT_EQ(ReadFileText(HostDatabase(home)), before);

  ASSERT_EQ(Host({"init", "--force", "--sample-hotel"}).exitCode, 0);
  EXPECT_EQ(CountRows(HostDatabase(home), "SELECT COUNT(*) FROM GuestData"), 0);
  EXPECT_GT(CountRows(HostDatabase(home), "SELECT COUNT(*) FROM RoomType"), 0);
}

TEST(QuendaleHostTest, RegWritesReadsAndDeletesEveryType) {
  ScratchHome home;
  const struct {
    const char* type;
    const char* value;
    uint32_t regType;
    std::vector<uint8_t> bytes;
    const char* printed;
  } cases[] = {
      {"sz", "SGL", REG_SZ, TextBytes("SGL"), "sz SGL"},
      {"sz", "", REG_SZ, TextBytes(""), "sz "},
      {"expand_sz", "{userdocs}\\Lan", REG_EXPAND_SZ, TextBytes("{userdocs}\\Lan"), "expand_sz {userdocs}\\Lan"},
      {"dword", "42", REG_DWORD, {42, 0, 0, 0}, "dword 42"},
      {"dword", "0xffffffff", REG_DWORD, {0xff, 0xff, 0xff, 0xff}, "dword -1"},
      {"dword", "-2", REG_DWORD, {0xfe, 0xff, 0xff, 0xff}, "dword -2"},
      {"binary", "00Ff10", REG_BINARY, {0x00, 0xff, 0x10}, "binary 00ff10"},
      {"double", "1.5", REG_BINARY, {0, 0, 0, 0, 0, 0, 0xf8, 0x3f}, "binary 000000000000f83f (double 1.5)"},
      {"double", "0.1", REG_BINARY, {0x9a, 0x99, 0x99, 0x99, 0x99, 0x99, 0xb9, 0x3f},
       "binary 9a9999999999b93f (double 0.1)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.type) + " " + c.value);
    ASSERT_EQ(Host({"reg", "set", PluginKey, "Value", c.type, c.value}).exitCode, 0);
    const auto stored = GetRawValue(PluginKey, "Value");
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->type, c.regType);
    EXPECT_EQ(stored->data, c.bytes);
    const ProgramRun get = Host({"reg", "get", PluginKey, "Value"});
    EXPECT_EQ(get.exitCode, 0);
    EXPECT_EQ(get.out, std::string(c.printed) + "\n");
  }
  EXPECT_EQ(Host({"reg", "delete", PluginKey, "Value"}).exitCode, 0);
  EXPECT_FALSE(GetRawValue(PluginKey, "Value"));
  EXPECT_EQ(Host({"reg", "get", PluginKey, "Value"}).exitCode, 1);
  EXPECT_EQ(Host({"reg", "delete", PluginKey, "Value"}).exitCode, 1);
}

TEST(QuendaleHostTest, RefusesWhatItCannotRead) {
  ScratchHome home;
  const struct {
    std::vector<std::string> args;
    int exitCode;
    const char* says;
  } cases[] = {
      {{"reg", "set", PluginKey, "V", "qword", "1"}, 2, "unknown value type 'qword'"},
      {{"reg", "set", PluginKey, "V", "dword", "12x"}, 2, "'12x' is not a dword"},
      {{"reg", "set", PluginKey, "V", "dword", "4294967296"}, 2, "is not a dword"},
      {{"reg", "set", PluginKey, "V", "binary", "abc"}, 2, "hex digits in pairs"},
      {{"reg", "set", PluginKey, "V", "binary", "zz"}, 2, "hex digits in pairs"},
      {{"reg", "set", PluginKey, "V", "double", "one"}, 2, "'one' is not a double"},
      {{"reg", "set", PluginKey, "V"}, 2, "reg set KEY NAME TYPE VALUE"},
      {{"reg", "get", "Software\\Nowhere", "V"}, 1, "does not exist"},
      {{"avail", "2027-02-30", "2027-03-01"}, 2, "'2027-02-30' is not a date"},
      {{"avail", "2027-03-01"}, 2, "avail YYYY-MM-DD YYYY-MM-DD"},
      {{"retrieve", "--loud"}, 2, "--loud"},
      {{"--library", "/nonexistent/libcorvenna.so", "retrieve"}, 1, "cannot load the library"},
      {{"frobnicate"}, 2, "unknown command 'frobnicate'"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.says);
    const ProgramRun run = Host(c.args);
    EXPECT_EQ(run.exitCode, c.exitCode);
    EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
  }
  EXPECT_FALSE(GetRawValue(PluginKey, "V"));
}

TEST(QuendaleHostTest, RetrievesAndSendsAvailabilityThroughTheLibrary) {
  ScratchHome home;
  channelsim::ChannelSim sim(SampleReservationsDir);
  ConfigureSampleHotel(sim.Url());

  const ProgramRun retrieve = Host({"retrieve"});
  EXPECT_EQ(retrieve.exitCode, 0) << retrieve.err;
  EXPECT_EQ(retrieve.out, "2\n");
  EXPECT_EQ(CountRows(HostDatabase(home), "SELECT COUNT(*) FROM GuestData"), 2);

  const ProgramRun withMessages = Host({"retrieve", "--messages"});
  EXPECT_EQ(withMessages.exitCode, 0) << withMessages.err;
  EXPECT_EQ(withMessages.out, "0\n");
  EXPECT_NE(withMessages.err.find("[info]"), std::string::npos) << withMessages.err;

  const ProgramRun avail = Host({"avail", "2027-03-01", "2027-03-14"});
  EXPECT_EQ(avail.exitCode, 0) << avail.err;
  int availRequests = 0;
  for (const channelsim::ReceivedRequest& request : sim.Received()) {
    if (request.rootName != "OTA_HotelAvailNotifRQ") continue;
    ++availRequests;
    EXPECT_NE(request.body.find("Start=\"2027-03-01\""), std::string::npos);
  }
  EXPECT_EQ(availRequests, 1);
}

TEST(QuendaleHostTest, AFailedExportEndsTheCommandWithItsMessage) {
  ScratchHome home;
  channelsim::ChannelSim sim(SampleReservationsDir);
  ConfigureSampleHotel(sim.Url());
  const fs::path ota = home.Documents() / "Quendale" / "OTA";
  fs::remove_all(ota);
  WriteFileText(ota, "not a folder");

  const ProgramRun retrieve = Host({"retrieve"});
  EXPECT_EQ(retrieve.exitCode, 1);
  EXPECT_EQ(retrieve.out, "-1\n");
  EXPECT_NE(retrieve.err.find("quendale-host: CorvennaBookingRetrival failed: "), std::string::npos) << retrieve.err;

  const ProgramRun dialog = Host({"dialog"}, {{"QT_QPA_PLATFORM", "offscreen"}});
  EXPECT_EQ(dialog.exitCode, 1);
  EXPECT_NE(dialog.err.find("CorvennaShowDialog failed: "), std::string::npos) << dialog.err;
}

// A reply that refuses the request is no "0 new bookings" and no silent update.
TEST(QuendaleHostTest, ARefusedReplyEndsTheCommandWithItsMessage) {
  ScratchHome home;
  channelsim::Options options;
  options.fault.kinds = channelsim::kRead | channelsim::kAvail;
  channelsim::ChannelSim sim(SampleReservationsDir, options);
  ConfigureSampleHotel(sim.Url());

  const ProgramRun retrieve = Host({"retrieve"});
  EXPECT_EQ(retrieve.exitCode, 1);
  EXPECT_EQ(retrieve.out, "-1\n");
  EXPECT_NE(retrieve.err.find("quendale-host: CorvennaBookingRetrival failed: The reply is a SOAP fault: "
                              "Internal server error\n"),
            std::string::npos)
      << retrieve.err;

  const ProgramRun avail = Host({"avail", "2027-03-01", "2027-03-14"});
  EXPECT_EQ(avail.exitCode, 1);
  EXPECT_EQ(avail.out, "");
  EXPECT_NE(avail.err.find("quendale-host: CorvennaAvailUpdate failed: The reply is a SOAP fault: "
                           "Internal server error\n"),
            std::string::npos)
      << avail.err;
}

// The library reads the user's locale once, when it is loaded: the day log
// carries the month name of that locale.
TEST(QuendaleHostTest, TheLibraryFollowsTheUsersLocaleFromLoadOn) {
  const char* german = "de_DE.UTF-8";
  if (locale_t probe = newlocale(LC_ALL_MASK, german, nullptr)) {
    freelocale(probe);
  } else {
    GTEST_SKIP() << german << " is not installed (scripts/install-deps.sh generates it)";
  }
  const std::time_t now = std::time(nullptr);
  std::tm today{};
  localtime_r(&now, &today);
  const auto logName = [&](const TFormatSettings& settings) {
    return Format("OTA%02d", today.tm_mday) +
           ReplaceAll(settings.ShortMonthNames[static_cast<size_t>(today.tm_mon)], ".", "") + ".log";
  };
  setenv("LC_ALL", german, 1);
  const std::string germanLog = logName(FormatSettingsFromLocale());
  setenv("LC_ALL", "", 1);
  ASSERT_NE(germanLog, logName(TFormatSettings()));

  ScratchHome home;
  channelsim::ChannelSim sim(SampleReservationsDir);
  ConfigureSampleHotel(sim.Url());
  const ProgramRun run = Host({"retrieve"}, {{"LC_ALL", german}});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_TRUE(fs::exists(home.Documents() / "Quendale" / "OTA" / germanLog)) << germanLog;
}

}  // namespace
}  // namespace corvenna::test
