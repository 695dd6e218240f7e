#include "ChannelSim.h"

#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <thread>

#include "platform/Errors.h"
#include "platform/HttpRequest.h"
#include "platform/XmlDocument.h"
#include "support/OtaSchema.h"
#include "support/ScratchHome.h"

extern char** environ;

namespace corvenna {
namespace {

namespace fs = std::filesystem;
using channelsim::ChannelSim;
using channelsim::Options;

const fs::path kFixtures = fs::path(CORVENNA_TEST_DATA_DIR) / "reservations";

std::string Envelope(const std::string& root, const std::string& echoToken, const std::string& body) {
  return "<?xml version=\"1.0\"?>\n<soap:Envelope xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\">"
         "<soap:Header/><soap:Body><" + root + " xmlns=\"http://www.opentravel.org/OTA/2003/05\" Version=\"1.0\" "
         "TimeStamp=\"2026-12-09T13:30:05-05:00\" EchoToken=\"" + echoToken + "\">" + body + "</" + root +
         "></soap:Body></soap:Envelope>";
}

std::string ReadRequest(const std::string& echoToken = "{E1}") {
  return Envelope("OTA_ReadRQ", echoToken,
                  "<POS><Source><RequestorID Type=\"22\" ID=\"REQ7\"/></Source></POS><ReadRequests>"
                  "<HotelReadRequest HotelCode=\"HOTEL42\"><SelectionCriteria SelectionType=\"Undelivered\"/>"
                  "</HotelReadRequest></ReadRequests>");
}

std::string ReportDetails(const std::string& key) {
  return "<NotifDetails><HotelNotifReport><HotelReservations><HotelReservation ResStatus=\"Book\" "
         "CreateDateTime=\"2026-12-09T13:30:05-05:00\"><UniqueID Type=\"14\" ID=\"" + key + "\"/>"
         "</HotelReservation></HotelReservations></HotelNotifReport></NotifDetails>";
}

std::string SuccessReport(const std::string& key) {
  return Envelope("OTA_NotifReportRQ", "{E1}", "<Success/>" + ReportDetails(key));
}

std::string ErrorReport(const std::string& key) {
  return Envelope("OTA_NotifReportRQ", "{E1}",
                  "<Errors><Error Type=\"3\" Code=\"403\">Room not available</Error></Errors>" + ReportDetails(key));
}

std::string AvailRequest() { return Envelope("OTA_HotelAvailNotifRQ", "{E2}", "<AvailStatusMessages/>"); }
std::string RateRequest() { return Envelope("OTA_HotelRateAmountNotifRQ", "{E3}", "<RateAmountMessages/>"); }

XmlDocument Parsed(const std::string& text) {
  XmlDocument doc;
  EXPECT_TRUE(doc.LoadXml(text)) << text;
  return doc;
}

// The element inside the SOAP body of a reply.
XmlNode OtaRoot(const XmlDocument& doc) {
  auto bodies = doc.GetElementsByTagName("soap:Body");
  if (bodies.empty()) return {};
  for (const XmlNode& child : bodies[0].ChildNodes())
    if (child.NodeType() == XmlNode::Element) return child;
  return {};
}

// The delivery keys of the reservations in a read reply, in reply order.
std::vector<std::string> KeysOf(const std::string& reply) {
  std::vector<std::string> keys;
  XmlDocument doc = Parsed(reply);
  for (const XmlNode& reservation : doc.GetElementsByTagName("HotelReservation")) {
    std::vector<std::string> ids;
    for (const XmlNode& child : reservation.ChildNodes())
      if (child.NodeName() == "UniqueID") ids.push_back(child.Attribute("ID"));
    keys.push_back(ids.size() == 1 ? ids[0] : ids.at(1));
  }
  return keys;
}

bool HasSuccess(const std::string& reply) {
  XmlDocument doc = Parsed(reply);
  return !doc.GetElementsByTagName("Success").empty() && doc.GetElementsByTagName("Errors").empty();
}

std::string FaultText(const std::string& reply) {
  XmlDocument doc = Parsed(reply);
  auto found = doc.GetElementsByTagName("faultstring");
  return found.empty() ? "" : found.back().Text();
}

using Keys = std::vector<std::string>;

class ChannelSimTest : public ::testing::Test {
 protected:
  std::string Post(const std::string& body) { return HttpPostXml(sim.Url(), body); }

  test::ScratchHome home;
  ChannelSim sim{kFixtures.string()};
};

TEST_F(ChannelSimTest, ReadAnswersEveryReservationOfTheFolderInFileOrder) {
  const std::string reply = Post(ReadRequest("{ECHO-42}"));
  XmlDocument doc = Parsed(reply);
  XmlNode root = OtaRoot(doc);
  EXPECT_EQ(root.NodeName(), "OTA_ResRetrieveRS");
  EXPECT_EQ(root.Attribute("xmlns"), "http://www.opentravel.org/OTA/2003/05");
  EXPECT_EQ(root.Attribute("EchoToken"), "{ECHO-42}");
  EXPECT_EQ(root.Attribute("Version"), "1.0");
  EXPECT_FALSE(root.Attribute("TimeStamp").empty());
  EXPECT_TRUE(HasSuccess(reply));
  EXPECT_EQ(KeysOf(reply), (Keys{"CM-5001", "CM-5002", "CM-5003"}));
  // The reservations come back whole.
  EXPECT_EQ(doc.GetElementsByTagName("Surname").size(), 2u);
}

TEST_F(ChannelSimTest, SuccessReportMarksDeliveredAndErrorReportDoesNot) {
  EXPECT_TRUE(HasSuccess(Post(SuccessReport("CM-5001"))));
  const std::string errorReportReply = Post(ErrorReport("CM-5002"));
  EXPECT_EQ(OtaRoot(Parsed(errorReportReply)).NodeName(), "OTA_NotifReportRS");
  EXPECT_TRUE(HasSuccess(errorReportReply));
  EXPECT_EQ(sim.Delivered(), Keys{"CM-5001"});
  EXPECT_EQ(KeysOf(Post(ReadRequest())), (Keys{"CM-5002", "CM-5003"}));

  Post(SuccessReport("CM-5002"));
  Post(SuccessReport("CM-5003"));
  const std::string empty = Post(ReadRequest());
  EXPECT_TRUE(KeysOf(empty).empty());
  EXPECT_TRUE(HasSuccess(empty));

  sim.ResetDelivered();
  EXPECT_EQ(KeysOf(Post(ReadRequest())).size(), 3u);
}

TEST_F(ChannelSimTest, AReadShareGivesEachReadTheUndeliveredOfItsOwnSlice) {
  Options options;
  options.readShare = 2;
  sim.SetOptions(options);
  Post(SuccessReport("CM-5001"));
  EXPECT_EQ(KeysOf(Post(ReadRequest())), Keys{"CM-5002"});
  EXPECT_EQ(KeysOf(Post(ReadRequest())), Keys{"CM-5003"});
  EXPECT_TRUE(KeysOf(Post(ReadRequest())).empty());
}

TEST_F(ChannelSimTest, ReadsTheFolderAnewForEveryRead) {
  const fs::path folder = home.Root() / "reservations";
  fs::create_directories(folder);
  fs::copy_file(kFixtures / "02-single-unique-id.xml", folder / "02.xml");
  ChannelSim own(folder.string());
  EXPECT_EQ(KeysOf(HttpPostXml(own.Url(), ReadRequest())), Keys{"CM-5003"});
  fs::copy_file(kFixtures / "01-two-reservations.xml", folder / "01.xml");
  test::WriteFileText(folder / "03.xml", "not a reservation file");
  test::WriteFileText(folder / "notes.txt", "<ignored/>");
  EXPECT_EQ(KeysOf(HttpPostXml(own.Url(), ReadRequest())), (Keys{"CM-5001", "CM-5002", "CM-5003"}));
}

TEST_F(ChannelSimTest, UpdatesAreAnsweredWithSuccessAndTheirEchoToken) {
  struct Case {
    std::string request, replyName, echoToken;
  };
  for (const Case& c : {Case{AvailRequest(), "OTA_HotelAvailNotifRS", "{E2}"},
                        Case{RateRequest(), "OTA_HotelRateAmountNotifRS", "{E3}"}}) {
    const std::string reply = Post(c.request);
    XmlDocument doc = Parsed(reply);
    XmlNode root = OtaRoot(doc);
    EXPECT_EQ(root.NodeName(), c.replyName);
    EXPECT_EQ(root.Attribute("EchoToken"), c.echoToken);
    EXPECT_TRUE(HasSuccess(reply)) << reply;
  }
}

TEST_F(ChannelSimTest, RepliesValidateAgainstTheOfficialSchemas) {
  Options errors;
  errors.otaErrors.kinds = channelsim::kAll;
  errors.otaErrors.errors = {{"3", "392", "Invalid hotel code"}, {"12", "", "Second"}};
  const std::vector<std::function<std::string()>> replies = {
      [&] { return Post(ReadRequest()); },
      [&] { return Post(SuccessReport("CM-5001")); },
      [&] { return Post(ErrorReport("CM-5002")); },
      [&] { return Post(AvailRequest()); },
      [&] { return Post(RateRequest()); },
      [&] { sim.SetOptions(errors); return Post(ReadRequest()); },
      [&] { return Post(SuccessReport("CM-5002")); },
      [&] { return Post(AvailRequest()); },
      [&] { sim.SetOptions({}); Post(SuccessReport("CM-5002")); Post(SuccessReport("CM-5003"));
            return Post(ReadRequest()); },  // no reservation left
  };
  for (const auto& reply : replies) EXPECT_VALID_OTA(reply());
}

// The check above is only worth something if it can fail.
TEST(ChannelSimSchemaCheck, RefusesWhatTheSchemaRejects) {
  REQUIRE_OTA_FILES();
  if (!test::XmllintAvailable()) GTEST_SKIP() << "xmllint missing";
  const std::string wrongChild = Envelope("OTA_HotelAvailNotifRS", "{E}", "<Bogus/>");
  const std::string noVersion =
      "<OTA_HotelAvailNotifRS xmlns=\"http://www.opentravel.org/OTA/2003/05\"><Success/></OTA_HotelAvailNotifRS>";
  for (const std::string& xml : {wrongChild, noVersion, std::string("not xml")})
    EXPECT_FALSE(test::ValidateOtaElement(xml).valid) << xml;
  // The namespace declared on the envelope is carried over to the element checked alone.
  EXPECT_TRUE(test::ValidateOtaElement("<s:Envelope xmlns:s=\"http://schemas.xmlsoap.org/soap/envelope/\" "
                                       "xmlns=\"http://www.opentravel.org/OTA/2003/05\"><s:Body>"
                                       "<OTA_HotelAvailNotifRS Version=\"1.0\"><Success/></OTA_HotelAvailNotifRS>"
                                       "</s:Body></s:Envelope>")
                  .valid);
}

TEST_F(ChannelSimTest, ErrorSwitchesAnswerTheMessagesTheyName) {
  struct Case {
    const char* name;
    std::function<void(Options&)> set;
    std::string request;
    std::function<void(const std::string& reply)> check;
  };
  const auto isFault = [](const std::string& reply) { EXPECT_EQ(FaultText(reply), "Hotel locked"); };
  const auto isSuccess = [](const std::string& reply) { EXPECT_TRUE(HasSuccess(reply)) << reply; };
  const auto isOtaErrors = [](const std::string& reply) {
    XmlDocument doc = Parsed(reply);
    auto errors = doc.GetElementsByTagName("Error");
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].Attributes(),
              (std::vector<std::pair<std::string, std::string>>{{"Type", "6"}, {"Code", "392"}}));
    EXPECT_EQ(errors[0].Text(), "Unknown hotel");
    EXPECT_TRUE(doc.GetElementsByTagName("Success").empty());
  };
  const auto fault = [](unsigned kinds) { return [kinds](Options& o) { o.fault = {kinds, "Hotel locked"}; }; };
  const auto otaErrors = [](unsigned kinds) {
    return [kinds](Options& o) { o.otaErrors = {kinds, {{"6", "392", "Unknown hotel"}}}; };
  };
  const Case cases[] = {
      {"fault on every message", fault(channelsim::kAll), RateRequest(), isFault},
      {"fault on the read", fault(channelsim::kRead), ReadRequest(), isFault},
      {"fault on the read spares reports", fault(channelsim::kRead), SuccessReport("spared"), isSuccess},
      {"fault on reports", fault(channelsim::kReport), SuccessReport("refused"), isFault},
      {"fault on reports spares the read", fault(channelsim::kReport), ReadRequest(), isSuccess},
      {"OTA errors on the read", otaErrors(channelsim::kRead), ReadRequest(), isOtaErrors},
      {"OTA errors on reports", otaErrors(channelsim::kReport), SuccessReport("refused"), isOtaErrors},
      {"OTA errors on reports spare updates", otaErrors(channelsim::kReport), AvailRequest(), isSuccess},
      {"fault wins over OTA errors", [&](Options& o) { fault(channelsim::kAll)(o); otaErrors(channelsim::kAll)(o); },
       AvailRequest(), isFault},
      {"non-XML body", [](Options& o) { o.nonXml.kinds = channelsim::kAvail; }, AvailRequest(),
       [](const std::string& reply) {
         EXPECT_EQ(reply, "Service temporarily unavailable");
         EXPECT_FALSE(XmlDocument().LoadXml(reply));
       }},
      {"HTTP status with a body", [](Options& o) { o.httpStatus = {channelsim::kAll, 503, "Down for maintenance"}; },
       ReadRequest(), [](const std::string& reply) { EXPECT_EQ(reply, "Down for maintenance"); }},
      {"HTTP status without a body keeps the reply", [](Options& o) { o.httpStatus = {channelsim::kRate, 500, ""}; },
       RateRequest(), isSuccess},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Options options;
    c.set(options);
    sim.SetOptions(options);
    c.check(Post(c.request));
  }
  // A report answered with a fault or errors was not taken.
  EXPECT_EQ(sim.Delivered(), Keys{"spared"});
}

TEST_F(ChannelSimTest, ReportRefusedByHttpStatusIsNotDelivered) {
  Options options;
  options.httpStatus = {channelsim::kReport, 500, ""};
  sim.SetOptions(options);
  EXPECT_TRUE(HasSuccess(Post(SuccessReport("CM-5001"))));
  EXPECT_TRUE(sim.Delivered().empty());
}

TEST_F(ChannelSimTest, ADroppedReportGetsNoReplyAndItsReservationIsOfferedAgain) {
  Options options;
  options.drop.kinds = channelsim::kReport;
  sim.SetOptions(options);
  EXPECT_THROW(Post(SuccessReport("CM-5001")), EHttpError);
  EXPECT_TRUE(sim.Delivered().empty());
  EXPECT_EQ(KeysOf(Post(ReadRequest())), (Keys{"CM-5001", "CM-5002", "CM-5003"})) << "the read is spared";
}

TEST_F(ChannelSimTest, DelaysOnlyTheNamedMessagesAndStopsWaitingWhenStopped) {
  using Clock = std::chrono::steady_clock;
  Options options;
  options.delay = {channelsim::kRead, 300};
  sim.SetOptions(options);
  auto start = Clock::now();
  Post(AvailRequest());
  EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(250));
  start = Clock::now();
  EXPECT_TRUE(HasSuccess(Post(ReadRequest())));
  EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(300));

  auto slow = std::make_unique<ChannelSim>(kFixtures.string());
  options.delay = {channelsim::kAll, 60'000};
  slow->SetOptions(options);
  const std::string url = slow->Url();
  std::thread client([url] {
    try {
      HttpPostXml(url, ReadRequest());
    } catch (const EHttpError&) {
    }
  });
  while (slow->Received().empty()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  start = Clock::now();
  slow.reset();
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(5));
  client.join();
}

TEST_F(ChannelSimTest, KeepsAndLogsWhatItReceived) {
  const fs::path log = home.Root() / "log";
  fs::create_directories(log);
  sim.SetLogDir(log.string());
  Post(ReadRequest());
  Post(SuccessReport("CM-5001"));
  const std::string unknown = Post("<OTA_PingRQ/>");
  const std::string junk = Post("hello");

  EXPECT_EQ(FaultText(unknown), "Unsupported message 'OTA_PingRQ'");
  EXPECT_EQ(FaultText(junk), "The request is not an XML document");
  const auto received = sim.Received();
  ASSERT_EQ(received.size(), 4u);
  std::vector<std::string> roots;
  for (const auto& request : received) roots.push_back(request.rootName);
  EXPECT_EQ(roots, (Keys{"OTA_ReadRQ", "OTA_NotifReportRQ", "OTA_PingRQ", ""}));
  EXPECT_EQ(received[1].body, SuccessReport("CM-5001"));
  EXPECT_EQ(test::ReadFileText(log / "001-OTA_ReadRQ.xml"), ReadRequest());
  EXPECT_EQ(test::ReadFileText(log / "002-OTA_NotifReportRQ.xml"), SuccessReport("CM-5001"));
  EXPECT_TRUE(fs::exists(log / "004-unknown.xml"));

  sim.ClearReceived();
  EXPECT_TRUE(sim.Received().empty());
}

// The program as the demo runs it: first line names the port, SIGTERM ends it cleanly.
TEST(ChannelSimProgram, ServesUntilTerminated) {
  const std::string program = std::string(CORVENNA_BINARY_DIR) + "/host/channel-sim/channel-sim";
  if (access(program.c_str(), X_OK) != 0) GTEST_SKIP() << "not built: " << program;
  int out[2];
  ASSERT_EQ(pipe(out), 0);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  const std::string fixtures = kFixtures.string();
  std::vector<std::string> args = {program, "--port", "0", "--reservations", fixtures, "--only", "read",
                                   "--ota-error", "392:Hotel unknown"};
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  ASSERT_EQ(posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ), 0);
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);

  std::string line;
  char c = 0;
  while (read(out[0], &c, 1) == 1 && c != '\n') line += c;
  close(out[0]);
  const std::string prefix = "listening on 127.0.0.1:";
  ASSERT_TRUE(line.starts_with(prefix)) << line;
  const std::string url = "http://" + line.substr(std::string("listening on ").size()) + "/relayport/services";

  XmlDocument reply = Parsed(HttpPostXml(url, ReadRequest()));
  ASSERT_EQ(reply.GetElementsByTagName("Error").size(), 1u);
  EXPECT_EQ(reply.GetElementsByTagName("Error")[0].Attribute("Code"), "392");
  EXPECT_TRUE(HasSuccess(HttpPostXml(url, AvailRequest())));

  kill(pid, SIGTERM);
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

}  // namespace
}  // namespace corvenna
