// The message copies and the day log hold guests' names, addresses and
// e-mails: nobody but their owner may read them.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "data/OtaDataModule.h"
#include "data/OtaGfgIni.h"
#include "exchange/BookingImport.h"
#include "exchange/CorvennaMessages.h"
#include "support/ExchangeFixture.h"

namespace corvenna {
namespace {
namespace fs = std::filesystem;

constexpr fs::perms kOwnerOnly = fs::perms::owner_read | fs::perms::owner_write;

// The usual umask, which leaves new files readable by everybody.
class ScopedUmask {
 public:
  explicit ScopedUmask(mode_t mask) : saved_(umask(mask)) {}
  ~ScopedUmask() { umask(saved_); }
  ScopedUmask(const ScopedUmask&) = delete;
  ScopedUmask& operator=(const ScopedUmask&) = delete;

 private:
  mode_t saved_;
};

fs::perms ModeOf(const fs::path& file) { return fs::status(file).permissions() & fs::perms::mask; }

class PrivateFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    fx.SeedSmallHotel();
    fx.WriteCredentials();
    for (int slot = 1; slot <= 3; ++slot) WriteCode(slot, "BAR");
    WriteType(1, "DBL");
    WriteType(2, "SGL");
    WriteType(3, "STE");
    ResetImportStateForTesting();
  }
  void TearDown() override {
    ResetImportStateForTesting();
    SilentRun = false;
  }

  test::ExchangeFixture fx;
};

TEST_F(PrivateFiles, EveryCopyAndTheDayLogAreCreatedOwnerOnly) {
  const ScopedUmask usual(022);
  fs::copy_file(fs::path(CORVENNA_TEST_DATA_DIR) / "retrieval" / "three-reservations.xml",
                fx.home.Root() / "reservations" / "three-reservations.xml");
  RateSelected[1] = true;

  ASSERT_EQ(BookingRetrieval(true), 1);
  ASSERT_EQ(AvailabilityUpdate(true, 46366, 46370), 1);
  ASSERT_EQ(RateUpdate("EUR", 46366, 46370), 1);

  std::vector<std::string> copies;
  for (const auto& entry : fs::directory_iterator(fx.TempDir())) {
    copies.push_back(entry.path().filename().string());
    EXPECT_EQ(ModeOf(entry.path()), kOwnerOnly) << entry.path();
  }
  EXPECT_EQ(copies.size(), 12u) << "read, three reports, availability and rates, request and reply each";
  ASSERT_TRUE(fx.DayLogExists());
  EXPECT_EQ(ModeOf(fx.DayLogFile()), kOwnerOnly);
}

// A copy or log of an earlier version is written to as before, and ends
// owner-only like a new one.
TEST_F(PrivateFiles, FilesThatExistAlreadyKeepWorkingAndEndOwnerOnly) {
  const ScopedUmask usual(022);
  test::WriteFileText(fx.TempDir() / "ReadRQ.xml", "<earlier/>");
  test::WriteFileText(fx.DayLogFile(), "earlier\r\n");
  fs::permissions(fx.TempDir() / "ReadRQ.xml", fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  fs::permissions(fx.DayLogFile(), fs::perms(0644));

  ASSERT_EQ(BookingRetrieval(false), 1);

  EXPECT_NE(fx.Copy("ReadRQ.xml").find("OTA_ReadRQ"), std::string::npos);
  EXPECT_EQ(fx.DayLog().rfind("earlier\r\n<--", 0), 0u);
  EXPECT_EQ(ModeOf(fx.TempDir() / "ReadRQ.xml"), kOwnerOnly);
  EXPECT_EQ(ModeOf(fx.DayLogFile()), kOwnerOnly);
}

// A link planted in the place of the day log or of a copy could send the
// guests' data anywhere: the run stops, naming the path, and writes nothing
// through it.
TEST_F(PrivateFiles, APlantedLinkIsRefusedNamingItsPathAndNothingIsWrittenThroughIt) {
  const struct {
    const char* what;
    fs::path link;
  } cases[] = {
      {"the day log", fx.DayLogFile()},
      {"the read request's copy", fx.TempDir() / "ReadRQ.xml"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const fs::path target = fx.home.Root() / "elsewhere.txt";
    test::WriteFileText(target, "not ours\n");
    fs::permissions(target, fs::perms(0644));
    fs::create_symlink(target, c.link);

    std::string failure;
    try {
      if (BookingRetrieval(false) != 1) failure = LastRunFailure;
    } catch (const std::exception& error) {
      failure = error.what();
    }
    EXPECT_NE(failure.find(c.link.string()), std::string::npos) << failure;
    EXPECT_NE(failure.find("symbolic link"), std::string::npos) << failure;
    EXPECT_EQ(test::ReadFileText(target), "not ours\n");
    EXPECT_EQ(ModeOf(target), fs::perms(0644));
    EXPECT_TRUE(fs::is_symlink(c.link));
    EXPECT_TRUE(fx.sim->Received().empty());
    fs::remove(c.link);
    fs::remove(target);
  }
}

}  // namespace
}  // namespace corvenna
