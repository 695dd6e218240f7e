#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <regex>

#include "data/OtaGfgIni.h"
#include "exchange/AvailabilityRules.h"
#include "exchange/CorvennaMessages.h"
#include "platform/Errors.h"
#include "platform/HttpRequest.h"
#include "support/ExchangeFixture.h"
#include "support/OtaSchema.h"
#include "support/XmlOutline.h"

namespace corvenna {
namespace {
namespace fs = std::filesystem;

// 10 to 14 December 2026 (as literals: no date routine runs before main).
constexpr TDateTime kFrom = 46366;
constexpr TDateTime kTo = 46370;

// The run's EchoToken (a GUID) in place of its value, so that outlines compare.
std::string WithoutEchoToken(const std::string& outline) {
  static const std::regex token("EchoToken=\"\\{[0-9A-F]{8}(-[0-9A-F]{4}){3}-[0-9A-F]{12}\\}\"");
  return std::regex_replace(outline, token, "EchoToken=\"{GUID}\"");
}

class AvailUpdate : public ::testing::Test {
 protected:
  // Types 1 (2 rooms), 2 (3 rooms) and 3 (1 room) in use: a cap of 3 when
  // MaxAllocation is 0. Type 1 has 0 free on the 11th and 1 on the 12th,
  // type 2 has 1 free on the 12th.
  void SeedOccupancy() {
    fx.SeedSmallHotel();
    fx.hotel->AddOccupancy({EncodeDate(2026, 12, 11), 2, 4, {{1, 2}}, {{1, 0}, {2, 3}, {3, 1}}});
    fx.hotel->AddOccupancy({EncodeDate(2026, 12, 12), 3, 3, {{1, 1}, {2, 2}}, {{1, 1}, {2, 1}, {3, 1}}});
  }
  void MapTypes() {
    WriteType(1, "RT1");
    WriteCode(1, "BAR");
    WriteType(2, "  RT2\t");
    WriteStopSale(2, 1);
    WriteType(3, "   ");
    WriteCode(3, "BAR");
  }

  test::ExchangeFixture fx;
};

const char* const kAvailRequest =
    "soap:Envelope xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\"\n"
    "  soap:Header\n"
    "    wsse:Security soap:mustUnderstand=\"1\" "
    "xmlns:wsse=\"http://docs.oasis-open.org/wss/2004/01/oasis-200401-wss-wssecurity-secext-1.0.xsd\" "
    "xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\"\n"
    "      wsse:UsernameToken\n"
    "        wsse:Username = \"frontdesk\"\n"
    "        wsse:Password Type=\"http://docs.oasis-open.org/wss/2004/01/"
    "oasis-200401-wss-username-token-profile-1.0#PasswordText\" = \"********\"\n"
    "  soap:Body\n"
    "    OTA_HotelAvailNotifRQ xmlns=\"http://www.opentravel.org/OTA/2003/05\" Version=\"1.0\" "
    "TimeStamp=\"2026-12-09T13:30:05Z\" EchoToken=\"{GUID}\"\n"
    "      POS\n"
    "        Source\n"
    "          RequestorID Type=\"22\" ID=\"REQ7\"\n"
    "      AvailStatusMessages HotelCode=\"HOTEL42\"\n"
    "        AvailStatusMessage BookingLimit=\"2\"\n"
    "          StatusApplicationControl End=\"2026-12-10\" Start=\"2026-12-10\" InvTypeCode=\"RT1\" "
    "RatePlanCode=\"BAR\"\n"
    "          RestrictionStatus Status=\"Open\"\n"
    "        AvailStatusMessage BookingLimit=\"0\"\n"
    "          StatusApplicationControl End=\"2026-12-11\" Start=\"2026-12-11\" InvTypeCode=\"RT1\" "
    "RatePlanCode=\"BAR\"\n"
    "          RestrictionStatus Status=\"Close\"\n"
    "        AvailStatusMessage BookingLimit=\"1\"\n"
    "          StatusApplicationControl End=\"2026-12-12\" Start=\"2026-12-12\" InvTypeCode=\"RT1\" "
    "RatePlanCode=\"BAR\"\n"
    "          RestrictionStatus Status=\"Open\"\n"
    "        AvailStatusMessage BookingLimit=\"2\"\n"
    "          StatusApplicationControl End=\"2026-12-14\" Start=\"2026-12-13\" InvTypeCode=\"RT1\" "
    "RatePlanCode=\"BAR\"\n"
    "          RestrictionStatus Status=\"Open\"\n"
    "        AvailStatusMessage BookingLimit=\"3\"\n"
    "          StatusApplicationControl End=\"2026-12-11\" Start=\"2026-12-10\" InvTypeCode=\"RT2\" "
    "RatePlanCode=\"\"\n"
    "          RestrictionStatus Status=\"Open\"\n"
    "        AvailStatusMessage BookingLimit=\"0\"\n"
    "          StatusApplicationControl End=\"2026-12-12\" Start=\"2026-12-12\" InvTypeCode=\"RT2\" "
    "RatePlanCode=\"\"\n"
    "          RestrictionStatus Status=\"Close\"\n"
    "        AvailStatusMessage BookingLimit=\"3\"\n"
    "          StatusApplicationControl End=\"2026-12-14\" Start=\"2026-12-13\" InvTypeCode=\"RT2\" "
    "RatePlanCode=\"\"\n"
    "          RestrictionStatus Status=\"Open\"\n";

TEST_F(AvailUpdate, RequestDocumentWithCapThresholdsAndSkippedTypes) {
  SeedOccupancy();
  MapTypes();
  WriteAutoStop(true);
  fx.WriteCredentials();

  EXPECT_EQ(AvailabilityUpdate(false, kFrom, kTo), 1);

  EXPECT_EQ(WithoutEchoToken(test::XmlOutline(fx.Copy("AvailNotifRQ.xml"))), kAvailRequest);
  ASSERT_EQ(fx.ReceivedBodies().size(), 1u);
  EXPECT_EQ(fx.sim->Received()[0].rootName, "OTA_HotelAvailNotifRQ");
}

TEST_F(AvailUpdate, RequestsValidateAgainstTheOtaSchema) {
  REQUIRE_OTA_FILES();
  if (!test::XmllintAvailable()) GTEST_SKIP() << "xmllint missing";
  SeedOccupancy();
  MapTypes();
  WriteCode(2, "RACK");
  fx.WriteCredentials();
  for (const bool autoStop : {true, false}) {
    WriteAutoStop(autoStop);
    ASSERT_EQ(AvailabilityUpdate(true, kFrom, kTo), 1);
  }
  for (const std::string& body : fx.ReceivedBodies()) {
    const test::SchemaCheck check = test::ValidateOtaElement(body);
    EXPECT_TRUE(check.valid) << check.output;
  }
}

TEST(AvailUpdateRules, BookingLimitsAndRestrictions) {
  struct {
    int32_t available, cap, threshold;
    int32_t limit;
    const char* withAutoStop;
    const char* withoutAutoStop;
  } cases[] = {
      {0, 5, 0, 0, "Close", "Close"}, {4, 5, 0, 4, "Open", ""},  {9, 5, 0, 5, "Open", ""},
      {2, 5, 2, 0, "Close", "Close"}, {3, 5, 2, 3, "Open", ""},  {9, 2, 2, 0, "Close", "Close"},
      {5, -1, -3, -1, "", ""},  // negative settings: the limit is sent as it is, without a restriction
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.available << " " << c.cap << " " << c.threshold);
    EXPECT_EQ(BookingLimit(c.available, c.cap, c.threshold), c.limit);
    EXPECT_EQ(RestrictionStatus(c.limit, true), c.withAutoStop);
    EXPECT_EQ(RestrictionStatus(c.limit, false), c.withoutAutoStop);
  }
}

TEST_F(AvailUpdate, CapIsMaxAllocationOrTheRoomTypeQueryRowCount) {
  fx.AddRooms(1, 10);
  fx.AddRooms(2, 1);
  fx.AddRooms(5, 4);
  fx.AddRooms(6, 3, "N");
  fx.AddRooms(17, 8);
  WriteType(1, "RT1");
  struct {
    int32_t maxAllocation;
    const char* limit;
  } cases[] = {{0, "3"}, {5, "5"}, {12, "10"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.maxAllocation);
    WriteMaxAllocation(c.maxAllocation);
    ASSERT_EQ(AvailabilityUpdate(true, kFrom, kTo), 1);
    EXPECT_NE(fx.Copy("AvailNotifRQ.xml").find(std::string("BookingLimit=\"") + c.limit + "\""), std::string::npos);
  }
}

TEST_F(AvailUpdate, NothingMappedStillPostsAnEmptyMessageList) {
  fx.SeedSmallHotel();
  fx.WriteCredentials();
  EXPECT_EQ(AvailabilityUpdate(true, kFrom, kTo), 1);
  const std::string outline = test::XmlOutline(fx.Copy("AvailNotifRQ.xml"));
  EXPECT_EQ(outline.substr(outline.find("      AvailStatusMessages")), "      AvailStatusMessages HotelCode=\"HOTEL42\"\n");
  EXPECT_EQ(fx.ReceivedBodies().size(), 1u);
}

std::vector<std::string> ExpectedBlock(const test::ExchangeFixture& fx) {
  return fx.ExpectedLogBlock({{"<--AvailNotifRQ-->", "AvailNotifRQ.xml"}, {"<--AvailNotifRS-->", "AvailNotifRS.xml"}});
}

TEST_F(AvailUpdate, CopiesAndLogBlockSilentOrNot) {
  fx.SeedSmallHotel();
  MapTypes();
  fx.WriteCredentials();
  for (const bool silent : {false, true}) {
    SCOPED_TRACE(silent);
    fs::remove(fx.DayLogFile());
    ASSERT_EQ(AvailabilityUpdate(silent, kFrom, kTo), 1);
    EXPECT_EQ(SilentRun, silent);
    EXPECT_NE(fx.Copy("AvailNotifRQ.xml").find("OTA_HotelAvailNotifRQ"), std::string::npos);
    EXPECT_NE(fx.Copy("AvailNotifRS.xml").find("OTA_HotelAvailNotifRS"), std::string::npos);
    EXPECT_EQ(fx.DayLogLines(), ExpectedBlock(fx));
  }
  ASSERT_EQ(AvailabilityUpdate(true, kFrom, kTo), 1);
  EXPECT_EQ(fx.DayLogLines().size(), 2 * ExpectedBlock(fx).size()) << "a second run appends its block";
  EXPECT_TRUE(fx.messages.tasks.empty());
}

TEST_F(AvailUpdate, PasswordMaskedOnDiskAndInTheLogButRealOnTheWire) {
  fx.SeedSmallHotel();
  MapTypes();
  fx.WriteCredentials("frontdesk", "s3cret&<pw>");
  ASSERT_EQ(AvailabilityUpdate(false, kFrom, kTo), 1);

  const std::string wire = test::XmlOutline(fx.ReceivedBodies().at(0));
  EXPECT_NE(wire.find("= \"s3cret&<pw>\""), std::string::npos) << wire;
  std::string masked = wire;
  masked.replace(masked.find("s3cret&<pw>"), 11, "********");
  EXPECT_EQ(test::XmlOutline(fx.Copy("AvailNotifRQ.xml")), masked);
  for (const std::string& text : {fx.Copy("AvailNotifRQ.xml"), fx.DayLog()}) {
    EXPECT_EQ(text.find("s3cret"), std::string::npos);
    EXPECT_NE(text.find("********"), std::string::npos);
  }
}

TEST_F(AvailUpdate, EveryRunCarriesItsOwnEchoToken) {
  fx.SeedSmallHotel();
  ASSERT_EQ(AvailabilityUpdate(true, kFrom, kTo), 1);
  ASSERT_EQ(AvailabilityUpdate(true, kFrom, kTo), 1);
  const std::regex token("EchoToken=\"(\\{[0-9A-F-]{36}\\})\"");
  std::smatch first, second;
  const std::vector<std::string> bodies = fx.ReceivedBodies();
  ASSERT_TRUE(std::regex_search(bodies.at(0), first, token));
  ASSERT_TRUE(std::regex_search(bodies.at(1), second, token));
  EXPECT_NE(first[1].str(), second[1].str());
  EXPECT_NE(fx.sim->Received()[0].body.find("TimeStamp=\"2026-12-09T13:30:05Z\""), std::string::npos);
}

TEST_F(AvailUpdate, FaultyReplyIsReportedAndTheRunStillEnds) {
  fx.SeedSmallHotel();
  MapTypes();
  channelsim::Options options;
  // A fault and OTA errors in one reply, under an error status that the run does not look at.
  options.httpStatus = {channelsim::kAll, 500,
                        "<SOAP-ENV:Envelope xmlns:SOAP-ENV=\"http://schemas.xmlsoap.org/soap/envelope/\"><SOAP-ENV:Body>"
                        "<SOAP-ENV:Fault><faultcode>SOAP-ENV:Client</faultcode>"
                        "<faultstring>Authentication failed</faultstring></SOAP-ENV:Fault>"
                        "<Errors><Error Type=\"3\" Code=\"402\">Cannot find room</Error></Errors>"
                        "</SOAP-ENV:Body></SOAP-ENV:Envelope>"};
  fx.sim->SetOptions(options);

  EXPECT_EQ(AvailabilityUpdate(false, kFrom, kTo), 1);
  ASSERT_EQ(fx.messages.tasks.size(), 2u);
  EXPECT_EQ(fx.messages.tasks[0].content, "Authentication failed");
  EXPECT_EQ(fx.messages.tasks[1].instruction, "Error - Type 3 Code:402");
  EXPECT_TRUE(fx.RegistryBool("CorvennaHasError"));
  EXPECT_EQ(fx.RegistryText("CorvennaErrorMsg"), "Authentication failed");
  EXPECT_TRUE(fx.CopyExists("AvailNotifRS.xml"));
  EXPECT_EQ(fx.DayLogLines().size(), ExpectedBlock(fx).size());

  fx.messages.tasks.clear();
  EXPECT_EQ(AvailabilityUpdate(true, kFrom, kTo), 1);
  EXPECT_TRUE(fx.messages.tasks.empty());
}

TEST_F(AvailUpdate, FailuresAfterTheLogIsOpenGiveZeroAndLogNothing) {
  fx.SeedSmallHotel();
  MapTypes();
  struct {
    const char* what;
    std::function<void()> arrange;
    bool requestCopy, oldReplyCopyKept, posted;
  } cases[] = {
      {"reply is no XML",
       [&] {
         channelsim::Options options;
         options.nonXml.kinds = channelsim::kAll;
         fx.sim->SetOptions(options);
       },
       true, false, true},
      {"endpoint unreachable", [&] { WriteCorvennaAvailReqUlr("http://127.0.0.1:1/relayport/services"); }, true, true,
       false},
      {"reply slower than the time-out",
       [&] {
         channelsim::Options options;
         options.delay = {channelsim::kAll, 3000};
         fx.sim->SetOptions(options);
         SetHttpTimeouts({1, 1});
       },
       true, true, true},
      {"message copy folder missing", [&] { fs::remove_all(fx.TempDir()); }, false, false, false},
  };
  const HttpTimeouts timeouts = GetHttpTimeouts();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    fs::create_directories(fx.TempDir());
    test::WriteFileText(fx.TempDir() / "AvailNotifRS.xml", "<earlier/>");
    fs::remove(fx.TempDir() / "AvailNotifRQ.xml");
    fs::remove(fx.DayLogFile());
    fx.sim->ClearReceived();
    WriteCorvennaErrorMsg("earlier");
    c.arrange();

    EXPECT_EQ(AvailabilityUpdate(false, kFrom, kTo), 0);
    EXPECT_TRUE(fx.DayLogExists());
    EXPECT_EQ(fx.DayLog(), "");
    EXPECT_EQ(fx.CopyExists("AvailNotifRQ.xml"), c.requestCopy);
    EXPECT_EQ(fx.Copy("AvailNotifRS.xml") == "<earlier/>", c.oldReplyCopyKept);
    if (!c.oldReplyCopyKept) {
      EXPECT_FALSE(fx.CopyExists("AvailNotifRS.xml"));
    }
    EXPECT_EQ(fx.RegistryText("CorvennaErrorMsg"), "earlier");
    EXPECT_EQ(!fx.sim->Received().empty(), c.posted);
    EXPECT_TRUE(fx.messages.tasks.empty());

    fx.sim->SetOptions({});
    SetHttpTimeouts(timeouts);
    WriteCorvennaAvailReqUlr(fx.sim->Url());
  }
}

TEST_F(AvailUpdate, MissingLogFolderReachesTheCallerBeforeAnythingIsSent) {
  fx.SeedSmallHotel();
  MapTypes();
  fs::remove_all(fx.OtaDir());
  EXPECT_THROW(AvailabilityUpdate(true, kFrom, kTo), EOSError);
  EXPECT_TRUE(fx.sim->Received().empty());
  EXPECT_FALSE(fx.CopyExists("AvailNotifRQ.xml"));
  EXPECT_FALSE(fs::exists(fx.OtaDir()));
  EXPECT_GT(fx.hotel->Count("OccInventory"), 0) << "the inventory is rebuilt before the log is opened";
}

}  // namespace
}  // namespace corvenna
