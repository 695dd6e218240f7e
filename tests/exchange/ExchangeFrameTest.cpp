#include "exchange/ExchangeFrame.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "data/OtaGfgIni.h"
#include "platform/Clock.h"
#include "platform/Errors.h"
#include "platform/RegistryCall.h"
#include "platform/Text.h"
#include "platform/XmlCharacters.h"
#include "support/OtaFiles.h"
#include "support/ScratchHome.h"
#include "support/XmlOutline.h"

namespace corvenna {
namespace {

class FrameRequest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetClockForTesting([] { return EncodeDateTime(2026, 12, 10, 21, 55, 22, 0); },
                       [] { return EncodeDateTime(2026, 12, 10, 20, 55, 22, 0); });
  }
  void TearDown() override { ResetClock(); }
};

TEST_F(FrameRequest, EnvelopeHeaderRootAndPosInTheirOrder) {
  XmlDocument doc;
  const TExchangeSettings settings{"frontdesk", "pw", "H1", "REQ7", "http://127.0.0.1:1/"};
  XmlNode root = BuildRequestFrame(doc, "OTA_HotelAvailNotifRQ", settings, "{TOKEN}");
  root.AppendElement("Body");

  EXPECT_EQ(doc.Xml().rfind("<?xml version=\"1.0\"?>", 0), 0u) << doc.Xml();
  EXPECT_EQ(doc.Xml().find("<?xml", 1), std::string::npos);
  EXPECT_EQ(test::XmlOutline(doc),
            "soap:Envelope xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\"\n"
            "  soap:Header\n"
            "    wsse:Security soap:mustUnderstand=\"1\" "
            "xmlns:wsse=\"http://docs.oasis-open.org/wss/2004/01/oasis-200401-wss-wssecurity-secext-1.0.xsd\" "
            "xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\"\n"
            "      wsse:UsernameToken\n"
            "        wsse:Username = \"frontdesk\"\n"
            "        wsse:Password Type=\"http://docs.oasis-open.org/wss/2004/01/"
            "oasis-200401-wss-username-token-profile-1.0#PasswordText\" = \"pw\"\n"
            "  soap:Body\n"
            "    OTA_HotelAvailNotifRQ xmlns=\"http://www.opentravel.org/OTA/2003/05\" Version=\"1.0\" "
            "TimeStamp=\"2026-12-10T20:55:22Z\" EchoToken=\"{TOKEN}\"\n"
            "      POS\n"
            "        Source\n"
            "          RequestorID Type=\"22\" ID=\"REQ7\"\n"
            "      Body\n");
}

TEST_F(FrameRequest, EmptyValuesStayPresentAndPosCanBeLeftOut) {
  XmlDocument withPos, withoutPos;
  BuildRequestFrame(withPos, "OTA_ReadRQ", TExchangeSettings{}, "");
  BuildRequestFrame(withoutPos, "OTA_NotifReportRQ", TExchangeSettings{}, "", false);

  const std::string outline = test::XmlOutline(withPos);
  EXPECT_NE(outline.find("        wsse:Username\n"), std::string::npos) << outline;
  EXPECT_NE(outline.find("#PasswordText\"\n"), std::string::npos) << outline;
  EXPECT_NE(outline.find("EchoToken=\"\"\n"), std::string::npos) << outline;
  EXPECT_NE(outline.find("RequestorID Type=\"22\" ID=\"\"\n"), std::string::npos) << outline;
  EXPECT_EQ(test::XmlOutline(withoutPos).find("POS"), std::string::npos);
}

TEST(FrameRequestSeal, WireTextKeepsThePasswordWhileTheDocumentIsMasked) {
  XmlDocument doc;
  TExchangeSettings settings;
  settings.Password = "s3cret&<pw>";
  BuildRequestFrame(doc, "OTA_ReadRQ", settings, "{T}");
  const std::string before = test::XmlOutline(doc);

  const std::string wire = SealRequest(doc);

  EXPECT_EQ(test::XmlOutline(wire), before);
  std::string masked = before;
  masked.replace(masked.find("s3cret&<pw>"), 11, "********");
  EXPECT_EQ(test::XmlOutline(doc), masked);
}

TEST(FramePaymentCards, NumbersKeepTheirLastFourAndSecurityCodesNothingInEveryForm) {
  XmlDocument doc;
  ASSERT_TRUE(doc.LoadXml(
      "<OTA_ResRetrieveRS xmlns:o=\"o\">"
      "<PaymentCard CardCode=\"MC\" CardNumber=\"5555444433331111\" SeriesCode=\"123\" ExpireDate=\"1228\">"
      "<CardHolderName>Jane Smith</CardHolderName></PaymentCard>"
      "<o:PaymentCard><o:CardNumber Mask=\"xxxx1111\"><o:PlainText>\n  4444333322221111\n </o:PlainText></o:CardNumber>"
      "<o:SeriesCode><o:PlainText>7391</o:PlainText></o:SeriesCode></o:PaymentCard>"
      "<PaymentCard><CardNumber>4111 1111 1111 1111</CardNumber><SeriesCode>456</SeriesCode></PaymentCard>"
      "<PaymentCard CardNumber=\"12345\" SeriesCode=\"\"/>"
      "</OTA_ResRetrieveRS>"));
  MaskPaymentCards(doc);
  EXPECT_EQ(test::XmlOutline(doc),
            "OTA_ResRetrieveRS xmlns:o=\"o\"\n"
            "  PaymentCard CardCode=\"MC\" CardNumber=\"************1111\" SeriesCode=\"***\" ExpireDate=\"1228\"\n"
            "    CardHolderName = \"Jane Smith\"\n"
            "  o:PaymentCard\n"
            "    o:CardNumber Mask=\"xxxx1111\"\n"
            "      o:PlainText = \"************1111\"\n"
            "    o:SeriesCode\n"
            "      o:PlainText = \"****\"\n"
            "  PaymentCard\n"
            "    CardNumber = \"***************1111\"\n"
            "    SeriesCode = \"***\"\n"
            "  PaymentCard CardNumber=\"*****\" SeriesCode=\"\"\n");
}

// Every card number and security code of the document, as its text or attribute holds it.
std::vector<std::string> CardValues(const XmlDocument& doc) {
  std::vector<std::string> values;
  for (XmlNode card : doc.GetElementsByLocalName("PaymentCard")) {
    for (const char* name : {"CardNumber", "SeriesCode"})
      if (!card.Attribute(name).empty()) values.push_back(card.Attribute(name));
    for (XmlNode child : card.ChildNodes())
      if (child.LocalName() == "CardNumber" || child.LocalName() == "SeriesCode") values.push_back(Trim(child.Text()));
  }
  return values;
}

TEST(FramePaymentCards, ThePublicSamplesKeepNoReadableCard) {
  REQUIRE_OTA_FILES();
  const std::filesystem::path samples = test::OtaSamplesDir();
  for (const char* sample : {"alpinebits/GuestRequests-OTA_ResRetrieveRS-reservation.xml",
                             "official-2011B/OTA_HotelResNotifRQ2.xml", "devlabs91/OTA_HotelResNotifRQ_Reservation.xml"}) {
    SCOPED_TRACE(sample);
    XmlDocument doc;
    ASSERT_TRUE(doc.Load((samples / sample).string()));
    const std::vector<std::string> plain = CardValues(doc);
    ASSERT_FALSE(plain.empty());
    MaskPaymentCards(doc);
    const std::string xml = doc.Xml();
    for (const std::string& value : plain) {
      if (value.size() >= 12) {
        EXPECT_FALSE(Contains(xml, value.substr(0, 12))) << value;
      }
    }
    for (const std::string& value : CardValues(doc)) {
      const size_t masked = value.size() >= 12 ? value.size() - 4 : value.size();
      EXPECT_EQ(value.substr(0, masked), std::string(masked, '*')) << value;
    }
  }
}

TEST(FrameDayLog, NameHasTwoDigitDayAndTheLocaleMonthWithoutPeriods) {
  TFormatSettings dotted = GermanFormatSettings();
  dotted.ShortMonthNames[11] = "Dez.";
  dotted.ShortMonthNames[2] = "M.r.";
  struct {
    TDateTime date;
    TFormatSettings settings;
    const char* name;
  } cases[] = {
      {EncodeDate(2026, 12, 9), EnglishFormatSettings(), "OTA09Dec.log"},
      {EncodeDate(2025, 12, 9), EnglishFormatSettings(), "OTA09Dec.log"},
      {EncodeDate(2026, 12, 31), dotted, "OTA31Dez.log"},
      {EncodeDate(2026, 3, 1), dotted, "OTA01Mr.log"},
  };
  for (const auto& c : cases) EXPECT_EQ(DayLogName(c.date, c.settings), c.name);
}

TEST(FrameDayLog, BlockLinesEndWithCrLf) {
  const std::vector<std::string> entries{"<--AvailNotifRQ-->", "", "<a>\n  <b />\n</a>\n", "<--AvailNotifRS-->", "",
                                         "<c/>"};
  EXPECT_EQ(LogBlockText("<--14:30:05-->", entries),
            "<--14:30:05-->\r\n<--AvailNotifRQ-->\r\n\r\n<a>\r\n  <b />\r\n</a>\r\n<--AvailNotifRS-->\r\n\r\n<c/>\r\n");
}

// The cap counts what the log holds, CR LF line ends included: a document of
// short lines is cut although its text alone would fit.
TEST(FrameDayLog, AnEntryLongerThanTheCapIsCutWithALineSayingSo) {
  // Each element indents to a line of 12 bytes, 13 with its CR.
  const struct {
    const char* what;
    size_t elements;
    bool fitsWithoutCrs;
    bool cut;
  } cases[] = {
      {"an ordinary reply", 1000, true, false},
      {"short lines that fit only without their CRs", MaxLogEntryBytes / 12 - 100, true, true},
      {"far longer", 1'000'000, false, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    XmlDocument doc;
    XmlNode root = doc.AppendElement("r");
    for (size_t i = 0; i < c.elements; ++i) root.AppendElement("n").SetText("\xC3\xBC");  // two bytes each
    const std::string indented = doc.IndentedXml();
    const std::string entry = LoggedXml(doc);
    const std::string written = LogBlockText("<--t-->", {entry}).substr(9);
    EXPECT_EQ(indented.size() <= MaxLogEntryBytes, c.fitsWithoutCrs) << indented.size();
    if (!c.cut) {
      EXPECT_EQ(entry, indented);
      continue;
    }
    EXPECT_LE(written.size(), MaxLogEntryBytes);
    EXPECT_GT(written.size(), MaxLogEntryBytes - 16);
    const std::string cutLine = std::string(LogEntryCutLine) + "\r\n";
    EXPECT_EQ(written.substr(written.size() - cutLine.size()), cutLine);
    EXPECT_EQ(indented.rfind(entry.substr(0, entry.size() - cutLine.size() + 1), 0), 0u)
        << "the entry starts as the whole text does";
    EXPECT_TRUE(IsXmlText(written));
  }
}

TEST(FrameDayLog, MissingFolderRaisesAndCreatesNothing) {
  const std::string folder = ::testing::TempDir() + "/no-such-folder-for-the-day-log";
  EXPECT_THROW(TDayLog log(folder + "/OTA09Dec.log"), EOSError);
  EXPECT_FALSE(std::filesystem::exists(folder));
}

// The store failed after the run's settings were read: the run's failure
// says why the value could not be stored, not only which one.
TEST(FrameRun, AValueThatCannotBeStoredFailsTheRunWithTheStoresReason) {
  test::ScratchHome home;
  home.MakeHostFolders();
  WriteHotelCode("H1");
  const std::filesystem::path store = home.Root() / ".config" / "Quendale" / "registry.db";
  const TRegistryCallScope call;
  TExchangeRun run;
  EXPECT_EQ(run.Settings().HotelCode, "H1");
  EXPECT_EQ(run.Guarded([&] {
    std::filesystem::remove(store);
    test::WriteFileText(store, "not a registry store\n");
    WriteCorvennaErrorMsg("");
  }),
            0);
  EXPECT_EQ(run.Failure(), "Failed to set data for 'CorvennaErrorMsg': Registry store '" + store.string() +
                               "': the file is not a registry store");
  XmlDocument request;
  EXPECT_THROW(PostRequest(request, "http://127.0.0.1:1/", "<x/>"), ERegistryException)
      << "nothing is posted once the store failed";
  run.End();
}

}  // namespace
}  // namespace corvenna
