#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data/Constants.h"
#include "data/OtaDataModule.h"
#include "data/OtaGfgIni.h"
#include "exchange/CorvennaMessages.h"
#include "exchange/ExchangeFrame.h"
#include "platform/Errors.h"
#include "platform/Registry.h"
#include "platform/XmlDocument.h"
#include "support/OtaFiles.h"
#include "support/RecordingMessages.h"
#include "support/ScratchHome.h"

namespace corvenna {
namespace {

struct Shown {
  std::string title, instruction, content;
  friend bool operator==(const Shown&, const Shown&) = default;
  friend std::ostream& operator<<(std::ostream& out, const Shown& s) {
    return out << "{" << s.title << " | " << s.instruction << " | " << s.content << "}";
  }
};

class ResponseCheck : public ::testing::Test {
 protected:
  void SetUp() override {
    SilentRun = false;
    MsgError = "Error";
    MsgClose = "Close";
    MsgType = "Type";
    MsgCode = "Code:";
  }

  bool Check(const std::string& xml) {
    XmlDocument doc;
    doc.LoadXml(xml);
    return CheckResponseErrors(doc);
  }
  std::vector<Shown> ShownMessages() const {
    std::vector<Shown> shown;
    for (const TaskMessage& m : messages.tasks) {
      EXPECT_EQ(m.icon, TaskIcon::Error);
      EXPECT_EQ(m.button, "Close");
      shown.push_back({m.title, m.instruction, m.content});
    }
    return shown;
  }
  std::string ErrorMsg() {
    TRegistry registry;
    registry.OpenKey(std::string(CorvennaKey), false);
    return registry.ReadString("CorvennaErrorMsg");
  }
  bool HasError() {
    TRegistry registry;
    registry.OpenKey(std::string(CorvennaKey), false);
    return registry.ReadBool("CorvennaHasError");
  }

  test::ScratchHome home;
  test::RecordingMessages messages;
};

std::string Envelope(const std::string& body) {
  return "<soap:Envelope xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\"><soap:Body>" + body +
         "</soap:Body></soap:Envelope>";
}

const std::string kFault =
    "<soap:Fault><faultcode>soap:Client</faultcode><faultstring>  Bad credentials \n</faultstring></soap:Fault>";

TEST_F(ResponseCheck, FaultsAndOtaErrorsGiveTheirMessagesInOrder) {
  struct {
    const char* what;
    std::string xml;
    std::vector<Shown> shown;
    std::string errorMsg;
    bool hasError;
  } cases[] = {
      {"fault then OTA errors",
       Envelope(kFault + "<OTA_HotelAvailNotifRS><Errors><Error Type=\"3\" Code=\"402\">Room gone</Error></Errors>"
                         "</OTA_HotelAvailNotifRS>"),
       {{"Error", "Error", "Bad credentials"}, {"", "Error - Type 3 Code:402", "Room gone"}},
       "Bad credentials",
       true},
      {"OTA errors alone",
       "<OTA_HotelRateAmountNotifRS><Errors><Error Type=\"3\" Code=\"402\"> Cannot find room </Error></Errors>"
       "</OTA_HotelRateAmountNotifRS>",
       {{"", "Error - Type 3 Code:402", "Cannot find room"}},
       "",
       false},
      {"two fault texts: the last one counts",
       Envelope("<soap:Fault><faultstring>first</faultstring><detail><faultstring>second</faultstring></detail>"
                "</soap:Fault>"),
       {{"Error", "Error", "second"}},
       "second",
       true},
      {"type and code keep the last one given, the text is the last error's",
       "<R><Errors><Error Type=\"3\" ShortText=\"x\">first</Error>"
       "<Error Status=\"NotProcessed\" Code=\" 392 \" Language=\"en\">second</Error></Errors></R>",
       {{"", "Error - Type 3 Code:392", "second"}},
       "",
       false},
      {"attributes in any order",
       "<R><Errors><Error Code=\"450\" Language=\"en\" Type=\"12\">late</Error></Errors></R>",
       {{"", "Error - Type 12 Code:450", "late"}},
       "",
       false},
      {"a prefixed fault text is no fault",
       Envelope("<soap:Fault><soap:faultstring>hidden</soap:faultstring></soap:Fault>"), {}, "", false},
      {"a success reply", "<OTA_HotelAvailNotifRS><Success/></OTA_HotelAvailNotifRS>", {}, "", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    messages.tasks.clear();
    EXPECT_EQ(Check(c.xml), c.shown.empty());
    EXPECT_EQ(ShownMessages(), c.shown);
    EXPECT_EQ(ErrorMsg(), c.errorMsg);
    EXPECT_EQ(HasError(), c.hasError);
  }
}

TEST_F(ResponseCheck, SilentRunShowsNothingButRecordsTheFault) {
  SilentRun = true;
  EXPECT_FALSE(Check(Envelope(kFault + "<Errors><Error Type=\"3\">x</Error></Errors>")));
  EXPECT_TRUE(messages.tasks.empty());
  EXPECT_EQ(ErrorMsg(), "Bad credentials");
  EXPECT_TRUE(HasError());
}

TEST_F(ResponseCheck, ReplyThatIsNoXmlRaisesBeforeWritingAnything) {
  WriteCorvennaErrorMsg("earlier fault");
  WriteCorvennaHasError(true);
  EXPECT_THROW(Check("Internal Server Error"), EXmlError);
  EXPECT_EQ(ErrorMsg(), "earlier fault");
  EXPECT_TRUE(HasError());
  EXPECT_TRUE(messages.tasks.empty());
}

// Only a SOAP fault or an envelope around the response asked for is an
// answer; anything else fails as a reply that is not XML does.
TEST_F(ResponseCheck, AnAnswerIsAFaultOrAnEnvelopeAroundTheExpectedResponse) {
  const std::string ota = " xmlns=\"http://www.opentravel.org/OTA/2003/05\"";
  const struct {
    const char* what;
    std::string xml;
    long status;
    std::string says;  // empty: it is an answer
  } cases[] = {
      {"the response", Envelope("<OTA_NotifReportRS" + ota + "><Success/></OTA_NotifReportRS>"), 200, ""},
      {"the response with OTA errors",
       Envelope("<OTA_NotifReportRS" + ota + "><Errors><Error Type=\"3\">x</Error></Errors></OTA_NotifReportRS>"),
       200, ""},
      {"another envelope prefix, after a comment",
       "<SOAP-ENV:Envelope xmlns:SOAP-ENV=\"http://schemas.xmlsoap.org/soap/envelope/\"><SOAP-ENV:Header/>"
       "<SOAP-ENV:Body><!-- ok --><OTA_NotifReportRS" + ota + "/></SOAP-ENV:Body></SOAP-ENV:Envelope>",
       202, ""},
      {"a SOAP fault with HTTP 500", Envelope(kFault), 500, ""},
      {"a page", "<html><body>Sign in</body></html>", 200, "The reply is not an OTA_NotifReportRS"},
      {"a page with a redirect", "<html><body>Moved</body></html>", 302,
       "HTTP 302: the reply is not an OTA_NotifReportRS"},
      {"the response outside an envelope", "<OTA_NotifReportRS" + ota + "><Success/></OTA_NotifReportRS>", 200,
       "The reply is not an OTA_NotifReportRS"},
      {"the response with a prefix the import does not read",
       Envelope("<o:OTA_NotifReportRS xmlns:o=\"http://www.opentravel.org/OTA/2003/05\"/>"), 200,
       "The reply is not an OTA_NotifReportRS"},
      {"another response", Envelope("<OTA_ResRetrieveRS" + ota + "><Success/></OTA_ResRetrieveRS>"), 200,
       "The reply is not an OTA_NotifReportRS"},
      {"an empty body", Envelope(""), 200, "The reply is not an OTA_NotifReportRS"},
      {"no XML with HTTP 504", "Gateway Timeout", 504, "HTTP 504: the reply is not an XML document"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    XmlDocument doc;
    doc.LoadXml(c.xml);
    const TPostedReply reply{"OTA_NotifReportRS", c.status};
    if (c.says.empty()) {
      EXPECT_NO_THROW(RequireAnswer(doc, reply));
      continue;
    }
    try {
      RequireAnswer(doc, reply);
      ADD_FAILURE() << "taken as an answer";
    } catch (const EXmlError& error) {
      EXPECT_EQ(std::string(error.what()), c.says);
    }
  }
}

TEST_F(ResponseCheck, PublicFaultAndErrorReplies) {
  REQUIRE_OTA_FILES();
  struct {
    const char* file;
    bool clean;
    bool hasError;
    const char* errorMsg;
    const char* shownContent;  // of the last message, when one is shown
  } cases[] = {
      {"soap-faults/soap11-fault-SOAP-prefix-detail.xml", false, true, "Invalid parameter.", "Invalid parameter."},
      {"soap-faults/soap11-fault-SOAP-ENV-xsi-typed.xml", false, true, 
       "Failed to locate method (ValidateCreditCard) in class\n(examplesCreditCard) at "
       "/usr/local/ActivePerl-5.6/lib/\nsite_perl/5.6.0/SOAP/Lite.pm line 1555.",
       nullptr},
      {"soap-faults/soap12-fault-wsse-FailedAuthentication.xml", true, false, "", nullptr},
      {"alpinebits/GuestRequests-OTA_ResRetrieveRS-error.xml", false, false, "", "Invalid hotel code"},
      {"devlabs91/OTA_HotelAvailNotifRS_Failure.xml", false, false, "", "Cannot find hotelier with code ABC"},
      {"devlabs91/OTA_HotelRateAmountNotifRS_Failure.xml", false, false, "", "Cannot find room with code RC1"},
      {"official-2011B/OTA_HotelAvailNotifRS.xml", true, false, "", nullptr},
      {"official-2011B/OTA_HotelRateAmountNotifRS.xml", true, false, "", nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    messages.tasks.clear();
    const std::string xml = test::ReadFileText(test::OtaSamplesDir() / c.file);
    ASSERT_FALSE(xml.empty());
    EXPECT_EQ(Check(xml), c.clean);
    EXPECT_EQ(HasError(), c.hasError);
    EXPECT_EQ(ErrorMsg(), c.errorMsg);
    EXPECT_EQ(messages.tasks.empty(), c.clean);
    if (c.shownContent) {
      EXPECT_EQ(messages.tasks.back().content, c.shownContent);
    }
  }
}

}  // namespace
}  // namespace corvenna
