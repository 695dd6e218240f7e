#include <gtest/gtest.h>

#include "data/OtaDataModule.h"
#include "data/OtaGfgIni.h"
#include "exchange/CorvennaMessages.h"
#include "support/ExchangeFixture.h"
#include "support/OtaSchema.h"
#include "support/XmlOutline.h"

namespace corvenna {
namespace {

// 10 December 2026 09:15 to 20 December 2026 18:00 (as literals: no date
// routine runs before main).
constexpr TDateTime kFrom = 46366.38541666667;
constexpr TDateTime kTo = 46376.75;

class RateUpdateRun : public ::testing::Test {
 protected:
  // Five rooms of type 3 and two of type 1; type 2 has only "N" rooms; type 4
  // is ticked without a channel code, type 5 has no rate-plan code, type 6 is
  // mapped but not ticked, type 17 is never sent.
  void SeedRatedHotel() {
    fx.AddRooms(3, 5);
    fx.AddRooms(1, 2);
    fx.AddRooms(2, 2, "N");
    fx.AddRooms(4, 1);
    fx.AddRooms(5, 1);
    fx.AddRooms(6, 1);
    fx.AddRooms(17, 1);
    for (const int slot : {1, 2, 3, 5, 6}) WriteType(slot, "RT" + std::to_string(slot));
    for (const int slot : {1, 2, 3, 4, 6}) WriteCode(slot, " BAR" + std::to_string(slot) + " ");
    for (const int slot : {1, 2, 3, 4, 5}) RateSelected[slot] = true;
    RateAmount[1] = Currency::FromRaw(12'345'000);
    RateAmount[3] = Currency::FromRaw(123'450);
    RateAmount[5] = Currency::FromRaw(1'234'567'890'000);
  }
  std::string Body() const {
    const std::string outline = test::XmlOutline(fx.Copy("RateAmountNotifRQ.xml"));
    return outline.substr(outline.find("      RateAmountMessages"));
  }

  test::ExchangeFixture fx;
};

TEST_F(RateUpdateRun, OneMessagePerTickedMappedTypeInTypeOrder) {
  SeedRatedHotel();
  fx.WriteCredentials();
  EXPECT_EQ(RateUpdate("EUR", kFrom, kTo), 1);

  const std::string outline = test::XmlOutline(fx.Copy("RateAmountNotifRQ.xml"));
  EXPECT_NE(outline.find("    OTA_HotelRateAmountNotifRQ xmlns=\"http://www.opentravel.org/OTA/2003/05\" "
                         "Version=\"1.0\" TimeStamp=\"2026-12-09T13:30:05Z\" EchoToken=\"{"),
            std::string::npos)
      << outline;
  EXPECT_NE(outline.find("      POS\n        Source\n          RequestorID Type=\"22\" ID=\"REQ7\"\n"),
            std::string::npos);
  EXPECT_EQ(Body(),
            "      RateAmountMessages HotelCode=\"HOTEL42\"\n"
            "        RateAmountMessage\n"
            "          StatusApplicationControl RatePlanCode=\"BAR1\" InvTypeCode=\"RT1\"\n"
            "          Rates\n"
            "            Rate End=\"2026-12-20\" Start=\"2026-12-10\" CurrencyCode=\"EUR\"\n"
            "              BaseByGuestAmts\n"
            "                BaseByGuestAmt AmountAfterTax=\"1234.50\"\n"
            "        RateAmountMessage\n"
            "          StatusApplicationControl RatePlanCode=\"BAR3\" InvTypeCode=\"RT3\"\n"
            "          Rates\n"
            "            Rate End=\"2026-12-20\" Start=\"2026-12-10\" CurrencyCode=\"EUR\"\n"
            "              BaseByGuestAmts\n"
            "                BaseByGuestAmt AmountAfterTax=\"12.35\"\n"
            "        RateAmountMessage\n"
            "          StatusApplicationControl RatePlanCode=\"\" InvTypeCode=\"RT5\"\n"
            "          Rates\n"
            "            Rate End=\"2026-12-20\" Start=\"2026-12-10\" CurrencyCode=\"EUR\"\n"
            "              BaseByGuestAmts\n"
            "                BaseByGuestAmt AmountAfterTax=\"1.2345679E08\"\n");
  EXPECT_EQ(fx.sim->Received().at(0).rootName, "OTA_HotelRateAmountNotifRQ");
}

TEST_F(RateUpdateRun, RequestValidatesAgainstTheOtaSchema) {
  REQUIRE_OTA_FILES();
  if (!test::XmllintAvailable()) GTEST_SKIP() << "xmllint missing";
  SeedRatedHotel();
  WriteCode(5, "BAR5");
  RateAmount[5] = Currency::FromRaw(990'000);  // the exponent form of huge amounts is no xs:decimal
  fx.WriteCredentials();
  ASSERT_EQ(RateUpdate("EUR", kFrom, kTo), 1);
  const test::SchemaCheck check = test::ValidateOtaElement(fx.ReceivedBodies().at(0));
  EXPECT_TRUE(check.valid) << check.output;
}

TEST_F(RateUpdateRun, AmountsFollowUseDotAndTheLocaleKeepsItsSeparators) {
  SeedRatedHotel();
  ScopedFormatSettings german(GermanFormatSettings());
  struct {
    bool useDot;
    const char* amount;
  } cases[] = {{true, "AmountAfterTax=\"1234.50\""}, {false, "AmountAfterTax=\"1234,50\""}};
  for (const auto& c : cases) {
    WriteUseDot(c.useDot);
    ASSERT_EQ(RateUpdate("EUR", kFrom, kTo), 1);
    EXPECT_NE(Body().find(c.amount), std::string::npos) << Body();
    EXPECT_EQ(FormatSettings().DecimalSeparator, ",");
    EXPECT_EQ(FormatSettings().ThousandSeparator, ".");
  }
}

TEST_F(RateUpdateRun, NothingTickedStillPostsCopiesAndLogs) {
  fx.AddRooms(1, 2);
  WriteType(1, "RT1");
  fx.WriteCredentials();
  EXPECT_EQ(RateUpdate("CHF", kFrom, kTo), 1);
  EXPECT_EQ(Body(), "      RateAmountMessages HotelCode=\"HOTEL42\"\n");
  EXPECT_EQ(fx.ReceivedBodies().size(), 1u);
  EXPECT_EQ(fx.DayLogLines(), fx.ExpectedLogBlock({{"<--RateAmountNotiRQ-->", "RateAmountNotifRQ.xml"},
                                                   {"<--RateAmountNotifRS-->", "RateAmountNotifRS.xml"}}));
}

TEST_F(RateUpdateRun, FaultDialogFollowsTheSilentSwitchTheCallerLeft) {
  SeedRatedHotel();
  channelsim::Options options;
  options.fault = {channelsim::kAll, "Rate refused"};
  fx.sim->SetOptions(options);
  for (const bool silent : {false, true}) {
    SCOPED_TRACE(silent);
    fx.messages.tasks.clear();
    SilentRun = silent;
    EXPECT_EQ(RateUpdate("EUR", kFrom, kTo), 1);
    EXPECT_EQ(SilentRun, silent);
    EXPECT_EQ(fx.messages.tasks.size(), silent ? 0u : 1u);
    EXPECT_EQ(fx.RegistryText("CorvennaErrorMsg"), "Rate refused");
    EXPECT_TRUE(fx.CopyExists("RateAmountNotifRS.xml"));
    EXPECT_FALSE(fx.DayLog().empty());
  }
}

TEST_F(RateUpdateRun, APageInPlaceOfTheAnswerFailsTheRunAndLeavesNoReplyCopy) {
  SeedRatedHotel();
  fx.WriteCredentials();
  for (const long status : {200L, 500L}) {
    SCOPED_TRACE(status);
    channelsim::Options options;
    options.httpStatus = {channelsim::kRate, static_cast<int>(status), "<html><body>Proxy sign-in</body></html>"};
    fx.sim->SetOptions(options);
    EXPECT_EQ(RateUpdate("EUR", kFrom, kTo), 0);
    EXPECT_EQ(LastRunFailure, std::string(status == 200 ? "The reply is" : "HTTP 500: the reply is") +
                                  " not an OTA_HotelRateAmountNotifRS");
    EXPECT_FALSE(fx.CopyExists("RateAmountNotifRS.xml"));
    EXPECT_TRUE(fx.DayLog().empty());
  }
}

// What the dialog hands over, and the codes of the ticked types, go into the
// request: one that XML cannot carry stops the run before anything is sent.
TEST_F(RateUpdateRun, ACodeXmlCannotCarryIsNamedAndNothingIsSent) {
  const struct {
    const char* currency;
    int slot;
    const char* type;
    const char* code;
    const char* named;
  } cases[] = {
      {"E\x01R", 1, "RT1", "BAR", "CurrencyCode"},
      {"EUR", 1, "R\x02T1", "BAR", "Type1"},
      {"EUR", 1, "RT1", "B\xC3(R", "Code1"},
  };
  fx.AddRooms(1, 2);
  fx.WriteCredentials();
  RateSelected[1] = true;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.named);
    WriteType(c.slot, c.type);
    WriteCode(c.slot, c.code);
    EXPECT_EQ(RateUpdate(c.currency, kFrom, kTo), 0);
    EXPECT_EQ(LastRunFailure, std::string("The setting ") + c.named + " holds a character that XML cannot carry");
    EXPECT_TRUE(fx.ReceivedBodies().empty());
    EXPECT_FALSE(fx.CopyExists("RateAmountNotifRQ.xml"));
  }
}

}  // namespace
}  // namespace corvenna
