#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "data/OtaDataModule.h"
#include "data/OtaGfgIni.h"
#include "exchange/BookingImport.h"
#include "exchange/CorvennaMessages.h"
#include "exchange/CorvennaMessages.h"
#include "platform/XmlDocument.h"
#include "support/ExchangeFixture.h"
#include "support/OtaSchema.h"
#include "support/XmlOutline.h"

namespace corvenna {
namespace {
namespace fs = std::filesystem;

using test::ExchangeFixture;

const fs::path kFixtures = fs::path(CORVENNA_TEST_DATA_DIR) / "retrieval";

// The OTA element of a document's outline, with the run's GUID made constant.
std::string OtaOutline(const std::string& xml) {
  static const std::regex token("EchoToken=\"\\{[0-9A-F]{8}(-[0-9A-F]{4}){3}-[0-9A-F]{12}\\}\"");
  const std::string outline = test::XmlOutline(xml);
  const size_t body = outline.find("    OTA_");
  return std::regex_replace(body == std::string::npos ? outline : outline.substr(body), token, "EchoToken=\"{GUID}\"");
}

std::string EchoTokenOf(const std::string& xml) {
  static const std::regex token("EchoToken=\"([^\"]*)\"");
  std::smatch match;
  return std::regex_search(xml, match, token) ? match[1].str() : std::string("(none)");
}

// The small hotel of the fixture (types 1, 2, 3 mapped to DBL, SGL, STE), the
// suite 301 kept booked over 1 to 4 May 2027, and the messages' texts.
class BookingRetrievalTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fx.SeedSmallHotel();
    fx.WriteCredentials();
    WriteType(1, "DBL");
    WriteType(2, "SGL");
    WriteType(3, "STE");
    fx.hotel->AddBooking("301", EncodeDate(2027, 4, 30), EncodeDate(2027, 5, 6));
    MsgInformation = "Information";
    MsgNewReservation = "New reservations";
    MsgNewReservRecorded = "recorded";
    MsgNoreservation = "No reservation";
    MsgBookingNo = "Booking no";
    ResetImportStateForTesting();
  }
  void TearDown() override {
    for (std::string* text : {&MsgInformation, &MsgNewReservation, &MsgNewReservRecorded, &MsgNoreservation,
                              &MsgBookingNo})
      text->clear();
    ResetImportStateForTesting();
    SilentRun = false;
  }

  fs::path Folder() const { return fx.home.Root() / "reservations"; }
  void Offer(const fs::path& file) { fs::copy_file(file, Folder() / file.filename(), fs::copy_options::overwrite_existing); }
  void Withdraw(const std::string& name) { fs::remove(Folder() / name); }
  std::vector<std::string> ReceivedRoots() const {
    std::vector<std::string> roots;
    for (const auto& request : fx.sim->Received()) roots.push_back(request.rootName);
    return roots;
  }
  int64_t Bookings() { return fx.hotel->Count("GuestData") - 1; }

  ExchangeFixture fx;
};

const char* const kErrorReport403 =
    "    OTA_NotifReportRQ xmlns=\"http://www.opentravel.org/OTA/2003/05\" Version=\"1.0\" "
    "TimeStamp=\"2026-12-09T13:30:05Z\" EchoToken=\"{GUID}\"\n"
    "      Errors\n"
    "        Error Type=\"3\" Code=\"403\" = \"Room not available\"\n"
    "      NotifDetails\n"
    "        HotelNotifReport\n"
    "          HotelReservations\n"
    "            HotelReservation ResStatus=\"Book\" CreateDateTime=\"2026-12-09T13:30:05Z\"\n"
    "              UniqueID Type=\"16\" ID=\"CV-1002\"\n";

const char* const kSuccessReport =
    "    OTA_NotifReportRQ xmlns=\"http://www.opentravel.org/OTA/2003/05\" Version=\"1.0\" "
    "TimeStamp=\"2026-12-09T13:30:05Z\" EchoToken=\"{GUID}\"\n"
    "      Success\n"
    "      NotifDetails\n"
    "        HotelNotifReport\n"
    "          HotelReservations\n"
    "            HotelReservation ResStatus=\"Book\" CreateDateTime=\"2026-12-09T13:30:05Z\"\n"
    "              UniqueID Type=\"16\" ID=\"CV-1001\"\n"
    "              ResGlobalInfo\n"
    "                HotelReservationIDs\n"
    "                  HotelReservationID ResID_Type=\"14\" ResID_Value=\"H-1001\"\n";

TEST_F(BookingRetrievalTest, OneReportPerReservationTheSecondWithoutAFreeRoom) {
  Offer(kFixtures / "three-reservations.xml");
  EXPECT_EQ(BookingRetrieval(false), 1);

  EXPECT_EQ(ReceivedRoots(), (std::vector<std::string>{"OTA_ReadRQ", "OTA_NotifReportRQ", "OTA_NotifReportRQ",
                                                       "OTA_NotifReportRQ"}));
  for (int n = 1; n <= 3; ++n) {
    EXPECT_TRUE(fx.CopyExists("NotifReportRQ" + std::to_string(n) + ".xml")) << n;
    EXPECT_TRUE(fx.CopyExists("NotifReportRS" + std::to_string(n) + ".xml")) << n;
  }
  EXPECT_EQ(OtaOutline(fx.Copy("NotifReportRQ1.xml")), kSuccessReport);
  EXPECT_EQ(OtaOutline(fx.Copy("NotifReportRQ2.xml")), kErrorReport403);
  EXPECT_NE(fx.Copy("NotifReportRQ3.xml").find("ResID_Value=\"H-1003\""), std::string::npos);
  const std::string echoToken = EchoTokenOf(fx.Copy("ReadRQ.xml"));
  EXPECT_FALSE(echoToken.empty());
  for (const std::string& body : fx.ReceivedBodies()) EXPECT_EQ(EchoTokenOf(body), echoToken);
  EXPECT_EQ(fx.sim->Delivered(), (std::vector<std::string>{"CV-1001", "CV-1003"}));
  EXPECT_EQ(NewReservationCount, 2);
  EXPECT_EQ(fx.hotel->Rows("SELECT RoomNumber, TravelAgent, TravelBookingNo, RoomRateQuoted FROM GuestData "
                           "WHERE GuestID > 1 ORDER BY GuestID"),
            (std::vector<std::vector<TVariant>>{{"101", "AGENT-A", "TB-1001", 100.0},
                                                {"201", "AGENT-B", "TB-1003", 50.0}}));
  EXPECT_EQ(fx.DayLogLines(), fx.ExpectedLogBlock({{"<--ReadRQ-->", "ReadRQ.xml"},
                                                   {"<--RetriveRS-->", "ResRetriveRS.xml"},
                                                   {"<--NotifReportRQ-->", "NotifReportRQ1.xml"},
                                                   {"<--NotifReportRS-->", "NotifReportRS1.xml"},
                                                   {"<--NotifReportRQ-->", "NotifReportRQ2.xml"},
                                                   {"<--NotifReportRS-->", "NotifReportRS2.xml"},
                                                   {"<--NotifReportRQ-->", "NotifReportRQ3.xml"},
                                                   {"<--NotifReportRS-->", "NotifReportRS3.xml"}}));
}

TEST_F(BookingRetrievalTest, TheReadRequestAndBothReportFormsMeetTheStandard) {
  Offer(kFixtures / "three-reservations.xml");
  ASSERT_EQ(BookingRetrieval(true), 1);
  EXPECT_NE(fx.Copy("ReadRQ.xml").find("<SelectionCriteria SelectionType=\"Undelivered\""), std::string::npos);
  for (const char* copy : {"ReadRQ.xml", "NotifReportRQ1.xml", "NotifReportRQ2.xml"}) {
    SCOPED_TRACE(copy);
    EXPECT_VALID_OTA(fx.Copy(copy));
  }
}

TEST_F(BookingRetrievalTest, AnUnknownRoomTypeIsReportedAs402) {
  Offer(kFixtures / "unknown-room-type.xml");
  ASSERT_EQ(BookingRetrieval(true), 1);
  const std::string report = OtaOutline(fx.Copy("NotifReportRQ1.xml"));
  EXPECT_NE(report.find("Error Type=\"3\" Code=\"402\" = \"Invalid room type\""), std::string::npos) << report;
  EXPECT_EQ(report.find("ResGlobalInfo"), std::string::npos);
  EXPECT_EQ(Bookings(), 0);
  EXPECT_TRUE(fx.sim->Delivered().empty());
}

TEST_F(BookingRetrievalTest, AReservationThatCannotBeReadHoldsUpNoOther) {
  Offer(kFixtures / "unconvertible-units.xml");
  EXPECT_EQ(BookingRetrieval(false), 1);
  ASSERT_EQ(fx.messages.tasks.size(), 2u);
  EXPECT_EQ(fx.messages.tasks[1].content,
            "Reservation 2 of the reply (booking number CV-5002) cannot be imported: its NumberOfUnits \"two\" "
            "cannot be read");
  EXPECT_EQ(ReceivedRoots(), (std::vector<std::string>{"OTA_ReadRQ", "OTA_NotifReportRQ", "OTA_NotifReportRQ"}));
  EXPECT_EQ(fx.sim->Delivered(), (std::vector<std::string>{"CV-5001", "CV-5003"}));
  EXPECT_EQ(Bookings(), 2);
  EXPECT_EQ(LastRunFailure,
            "Reservation 2 of the reply (booking number CV-5002) cannot be imported: its NumberOfUnits \"two\" "
            "cannot be read");
}

TEST_F(BookingRetrievalTest, TwoRoomsOfOneReservationAreStoredAsAGroupAndReportedOnce) {
  Offer(kFixtures / "group.xml");
  ASSERT_EQ(BookingRetrieval(true), 1);
  EXPECT_EQ(fx.hotel->Rows("SELECT GuestID, GuestGroup, RoomNumber, NumberAdults, NumberChildren, TravelAgent "
                           "FROM GuestData WHERE GuestID > 1 ORDER BY GuestID"),
            (std::vector<std::vector<TVariant>>{{2, 2, "101", 2, 0, "AGENT-G"}, {3, 2, "201", 1, 1, "AGENT-G"}}));
  EXPECT_EQ(fx.hotel->Rows("SELECT * FROM \"Group\""),
            (std::vector<std::vector<TVariant>>{{"201", EncodeDate(2027, 5, 1), 1, 1, "Clara", "Group", 2, 3}}));
  EXPECT_EQ(ReceivedRoots(), (std::vector<std::string>{"OTA_ReadRQ", "OTA_NotifReportRQ"}));
  EXPECT_EQ(fx.sim->Delivered(), std::vector<std::string>{"CV-2001"});
}

TEST_F(BookingRetrievalTest, TheTravelAgentCarriesOverToTheNextRetrieval) {
  Offer(kFixtures / "three-reservations.xml");
  ASSERT_EQ(BookingRetrieval(true), 1);
  Withdraw("three-reservations.xml");
  Offer(kFixtures / "without-agent.xml");
  ASSERT_EQ(BookingRetrieval(true), 1);
  EXPECT_EQ(fx.hotel->Rows("SELECT TravelAgent, TravelBookingNo FROM GuestData WHERE RoomNumber = '101' "
                           "ORDER BY GuestID"),
            (std::vector<std::vector<TVariant>>{{"AGENT-A", "TB-1001"}, {"AGENT-B", "TB-4001"}}));
  EXPECT_EQ(NewReservationCount, 1) << "the count is the last retrieval's";
}

TEST_F(BookingRetrievalTest, SilentRunsShowNothingAndLogAShortReplyNot) {
  const std::vector<std::string> shortReply{"<--14:30:05-->", "<--ReadRQ-->", ""};
  EXPECT_EQ(BookingRetrieval(true), 1);
  EXPECT_EQ(fx.DayLogLines(), shortReply);

  Offer(kFixtures / "three-reservations.xml");
  fs::remove(fx.DayLogFile());
  EXPECT_EQ(BookingRetrieval(true), 1);
  std::vector<std::string> longReply = fx.ExpectedLogBlock({{"<--RetriveRS-->", "ResRetriveRS.xml"},
                                                            {"<--NotifReportRQ-->", "NotifReportRQ1.xml"},
                                                            {"<--NotifReportRS-->", "NotifReportRS1.xml"},
                                                            {"<--NotifReportRQ-->", "NotifReportRQ2.xml"},
                                                            {"<--NotifReportRS-->", "NotifReportRS2.xml"},
                                                            {"<--NotifReportRQ-->", "NotifReportRQ3.xml"},
                                                            {"<--NotifReportRS-->", "NotifReportRS3.xml"}});
  longReply.insert(longReply.begin() + 1, {"<--ReadRQ-->", ""});
  EXPECT_EQ(fx.DayLogLines(), longReply);
  EXPECT_TRUE(fx.messages.tasks.empty());
  EXPECT_TRUE(fx.messages.errorBoxes.empty());
  EXPECT_TRUE(SilentRun);
}

TEST_F(BookingRetrievalTest, AReplyWithoutReservationsLogsBothDocumentsWhenNotSilent) {
  EXPECT_EQ(BookingRetrieval(false), 1);
  EXPECT_EQ(fx.DayLogLines(), fx.ExpectedLogBlock({{"<--ReadRQ-->", "ReadRQ.xml"},
                                                   {"<--RetriveRS-->", "ResRetriveRS.xml"}}));
  ASSERT_EQ(fx.messages.tasks.size(), 1u);
  EXPECT_EQ(fx.messages.tasks[0].instruction, "No reservation");
  EXPECT_EQ(ReceivedRoots(), std::vector<std::string>{"OTA_ReadRQ"});
  EXPECT_NE(fx.Copy("ReadRQ.xml").find("********"), std::string::npos) << "the copy never holds the password";
}

// A read that the channel refuses ends the run before the import: the previous
// import's rows stay, no report goes out and the day log gets nothing.
TEST_F(BookingRetrievalTest, AFaultyReadReplyEndsTheRunEarly) {
  struct Case {
    const char* name;
    channelsim::Options options;
    bool silent;
    int result;
    size_t messages;
    bool hasError;
  };
  auto make = [](auto set) {
    channelsim::Options options;
    set(options);
    return options;
  };
  const Case cases[] = {
      {"SOAP fault", make([](channelsim::Options& o) { o.fault.kinds = channelsim::kRead; }), false, 1, 1, true},
      {"OTA errors", make([](channelsim::Options& o) { o.otaErrors.kinds = channelsim::kRead; }), false, 1, 1, false},
      {"SOAP fault, silent", make([](channelsim::Options& o) { o.fault.kinds = channelsim::kRead; }), true, 1, 0,
       true},
      {"not XML", make([](channelsim::Options& o) { o.nonXml.kinds = channelsim::kRead; }), false, 0, 0, false},
  };
  Offer(kFixtures / "three-reservations.xml");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fx.hotel->Exec("DELETE FROM OtaResponse; INSERT INTO OtaResponse (BookingNo, Valid) VALUES ('EARLIER', 0)");
    fs::remove(fx.DayLogFile());
    test::WriteFileText(fx.TempDir() / "ResRetriveRS.xml", "<earlier/>");
    fx.messages.tasks.clear();
    fx.sim->ClearReceived();
    fx.sim->SetOptions(c.options);

    EXPECT_EQ(BookingRetrieval(c.silent), c.result);

    EXPECT_EQ(ReceivedRoots(), std::vector<std::string>{"OTA_ReadRQ"});
    EXPECT_TRUE(fx.DayLogExists());
    EXPECT_EQ(fx.DayLog(), "");
    EXPECT_EQ(fx.hotel->Rows("SELECT BookingNo FROM OtaResponse"), (std::vector<std::vector<TVariant>>{{"EARLIER"}}));
    EXPECT_EQ(Bookings(), 0);
    EXPECT_EQ(fx.messages.tasks.size(), c.messages);
    EXPECT_EQ(fx.Copy("ResRetriveRS.xml").find("<earlier"), std::string::npos) << "the earlier reply copy is gone";
    if (c.result == 1) {
      EXPECT_EQ(fx.RegistryBool("CorvennaHasError"), c.hasError);
    }
  }
}

TEST_F(BookingRetrievalTest, AFailingReportLeavesEarlierReportsAndEveryBooking) {
  Offer(kFixtures / "three-reservations.xml");
  fs::create_directories(fx.TempDir() / "NotifReportRQ2.xml" / "in-the-way");

  EXPECT_EQ(BookingRetrieval(false), 0);

  EXPECT_EQ(ReceivedRoots(), (std::vector<std::string>{"OTA_ReadRQ", "OTA_NotifReportRQ"}));
  EXPECT_TRUE(fx.CopyExists("NotifReportRQ1.xml"));
  EXPECT_TRUE(fx.CopyExists("NotifReportRS1.xml"));
  EXPECT_FALSE(fx.CopyExists("NotifReportRS2.xml"));
  EXPECT_EQ(Bookings(), 2);
  EXPECT_EQ(fx.hotel->Count("OtaResponse"), 3);
  EXPECT_EQ(NewReservationCount, 2);
  EXPECT_EQ(fx.DayLog(), "");
}

// Public reservation replies of the standard and of a regional profile go
// through a whole retrieval. None names a room type the way this system reads
// it (RoomRate/@RoomTypeCode) and each has at most one UniqueID, so none is
// stored or reported; the notification sample with RoomRates is stored.
TEST_F(BookingRetrievalTest, PublicSamplesGoThroughARetrieval) {
  REQUIRE_OTA_FILES();
  struct Case {
    const char* file;
    int64_t stored;
    int32_t rejected;
    const char* instruction;  // of the one message shown
    const char* content;
  };
  const Case cases[] = {
      {"official-2011B/OTA_ResRetrieveRS2.xml", 0, 2, "New reservations", "0 - recorded (2 - Error)"},
      {"alpinebits/GuestRequests-OTA_ResRetrieveRS-reservation.xml", 0, 1, "New reservations",
       "0 - recorded (1 - Error)"},
      {"alpinebits/GuestRequests-OTA_ResRetrieveRS-cancellation.xml", 0, 0, "New reservations", "0 - recorded"},
      {"alpinebits/GuestRequests-OTA_ResRetrieveRS-reservation-empty.xml", 0, 0, "No reservation", ""},
      {"devlabs91/OTA_HotelResNotifRQ_MultipleRoomTypes.xml", 2, 0, "New reservations", "2 - recorded"},
  };
  WriteType(1, "ROOM1");
  WriteType(2, "ROOM2");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    for (const auto& entry : fs::directory_iterator(Folder())) fs::remove(entry.path());
    Offer(test::OtaSamplesDir() / c.file);
    fx.hotel->Exec("DELETE FROM GuestData WHERE GuestID > 1; DELETE FROM Occupancy; DELETE FROM \"Group\"");
    fx.messages.tasks.clear();
    fx.sim->ClearReceived();
    ResetImportStateForTesting();

    EXPECT_EQ(BookingRetrieval(false), 1);

    EXPECT_EQ(Bookings(), c.stored);
    EXPECT_EQ(RejectedReservationCount, c.rejected);
    EXPECT_EQ(ReceivedRoots(), std::vector<std::string>{"OTA_ReadRQ"});
    ASSERT_EQ(fx.messages.tasks.size(), 1u);
    EXPECT_EQ(fx.messages.tasks[0].instruction, c.instruction);
    if (*c.content) {
      EXPECT_EQ(fx.messages.tasks[0].content, c.content);
    }
  }
  // Two rooms of one stay, the second for nights inside the first's: a group,
  // with the per-night rate of each room stay's own Total.
  EXPECT_EQ(fx.hotel->Rows("SELECT RoomNumber, GuestGroup, RoomRateQuoted, Arrivaltime FROM GuestData "
                           "WHERE GuestID > 1 ORDER BY GuestID"),
            (std::vector<std::vector<TVariant>>{{"101", 2, 280.0, EncodeTime(14, 0, 0, 0)},
                                                {"201", 2, 600.0, EncodeTime(14, 0, 0, 0)}}));
}

TEST_F(BookingRetrievalTest, ThePublicErrorReplyEndsTheRunEarly) {
  REQUIRE_OTA_FILES();
  XmlDocument sample;
  ASSERT_TRUE(sample.Load((test::OtaSamplesDir() / "alpinebits" / "GuestRequests-OTA_ResRetrieveRS-error.xml").string()));
  channelsim::Options options;
  options.otaErrors.kinds = channelsim::kRead;
  options.otaErrors.errors.clear();
  for (const XmlNode& error : sample.GetElementsByTagName("Error"))
    options.otaErrors.errors.push_back({error.Attribute("Type"), error.Attribute("Code"), error.Text()});
  ASSERT_EQ(options.otaErrors.errors.size(), 1u);
  fx.sim->SetOptions(options);
  Offer(kFixtures / "three-reservations.xml");

  EXPECT_EQ(BookingRetrieval(false), 1);

  ASSERT_EQ(fx.messages.tasks.size(), 1u);
  EXPECT_EQ(fx.messages.tasks[0].content, "Invalid hotel code");
  EXPECT_NE(fx.messages.tasks[0].instruction.find("Type 13 Code:392"), std::string::npos)
      << fx.messages.tasks[0].instruction;
  EXPECT_EQ(Bookings(), 0);
  EXPECT_EQ(fx.DayLog(), "");
}

}  // namespace
}  // namespace corvenna
