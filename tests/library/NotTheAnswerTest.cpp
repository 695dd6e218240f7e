// A reply that is well-formed but not the answer (a proxy's page, an envelope
// around something else, an empty body) fails the exchange as a reply that is
// not XML does, through the exports and through the host stand-in.
#include <gtest/gtest.h>

#include <string>

#include "LibraryHarness.h"

namespace corvenna::test {
namespace {

const std::string kPage = "<html><body><h1>Proxy</h1><p>Please sign in to continue.</p></body></html>";
const std::string kOtherElement =
    "<soap:Envelope xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\"><soap:Body>"
    "<OTA_PingRS xmlns=\"http://www.opentravel.org/OTA/2003/05\" Version=\"1.0\"><Success/></OTA_PingRS>"
    "</soap:Body></soap:Envelope>";
const std::string kEmptyBody =
    "<soap:Envelope xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\"><soap:Body/></soap:Envelope>";

struct Reply {
  const char* what;
  int status;
  std::string body;
  const char* says;  // the message, with %s for the response the message asks for
};

const Reply kReplies[] = {
    {"a page with HTTP 200", 200, kPage, "The reply is not an %s"},
    {"a page with HTTP 500", 500, kPage, "HTTP 500: the reply is not an %s"},
    {"an envelope around another element", 200, kOtherElement, "The reply is not an %s"},
    {"an empty body element", 200, kEmptyBody, "The reply is not an %s"},
    {"a text that is no XML with HTTP 503", 503, "Service Unavailable", "HTTP 503: the reply is not an XML document"},
};

struct Exchange {
  const char* what;
  unsigned kind;
  const char* response;
  int64_t storedBefore;  // the bookings a retrieval stores before the reply
};

const Exchange kExchanges[] = {
    {"the read", channelsim::kRead, "OTA_ResRetrieveRS", 0},
    {"a report", channelsim::kReport, "OTA_NotifReportRS", 2},
    {"the availability update", channelsim::kAvail, "OTA_HotelAvailNotifRS", 0},
};

std::string Expected(const Reply& reply, const Exchange& exchange) {
  std::string says = reply.says;
  const size_t slot = says.find("%s");
  if (slot != std::string::npos) says.replace(slot, 2, exchange.response);
  return says;
}

ProgramRun Host(std::vector<std::string> args) {
  args.insert(args.begin(), QUENDALE_HOST_PATH);
  return RunProgram(args);
}

TEST(NotTheAnswerTest, AReplyThatIsNotTheExpectedResponseFailsTheExportAndTheHostCommand) {
  LoadedLibrary library;
  for (const Exchange& exchange : kExchanges) {
    for (const Reply& reply : kReplies) {
      SCOPED_TRACE(std::string(exchange.what) + ": " + reply.what);
      channelsim::Options options;
      options.httpStatus = {exchange.kind, reply.status, reply.body};
      LibraryHost host(true, SampleReservationsDir, options);
      const std::string says = Expected(reply, exchange);
      const bool retrieval = exchange.kind != channelsim::kAvail;
      {
        StderrCapture quiet;
        if (retrieval)
          EXPECT_EQ(library.BookingRetrival(0), -1);
        else
          library.AvailUpdate(47000, 47010);
      }
      std::string message = library.LastError();
      const std::string stored = exchange.storedBefore > 0 ? "; 2 bookings were stored before the failure" : "";
      EXPECT_EQ(message, says + stored);
      EXPECT_EQ(host.StoredBookings(), exchange.storedBefore);

      const ProgramRun run = retrieval ? Host({"retrieve"}) : Host({"avail", "2028-09-04", "2028-09-14"});
      EXPECT_EQ(run.exitCode, 1);
      EXPECT_EQ(run.out, retrieval ? "-1\n" : "");
      const std::string command = retrieval ? "CorvennaBookingRetrival" : "CorvennaAvailUpdate";
      EXPECT_NE(run.err.find("quendale-host: " + command + " failed: " + says), std::string::npos) << run.err;
    }
  }
}

}  // namespace
}  // namespace corvenna::test
