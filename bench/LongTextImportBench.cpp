// Importing a reply whose texts are long: an amount of 80,000 thousand
// separators, a comment of 8.8 MB of CR LF references, and a reply near the
// 64 MiB cap (a comment of 28 MB, an amount of 20 MiB, a name of 12 MiB of
// text that is not UTF-8). The reply is parsed and imported in each run; the
// one near the cap also goes through a whole retrieval.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "data/OtaGfgIni.h"
#include "exchange/CorvennaMessages.h"
#include "exchange/BookingImport.h"
#include "platform/Errors.h"
#include "platform/XmlDocument.h"
#include "support/ExchangeFixture.h"

namespace corvenna {
namespace {

std::string Repeated(const std::string& piece, size_t times) {
  std::string text;
  text.reserve(piece.size() * times);
  for (size_t k = 0; k < times; ++k) text += piece;
  return text;
}

std::string LongTextReply(const std::string& givenName, const std::string& comment, const std::string& amount) {
  return "<OTA_ResRetrieveRS xmlns=\"http://www.opentravel.org/OTA/2003/05\" Version=\"1.0\"><Success/>"
         "<ReservationsList><HotelReservation><UniqueID Type=\"14\" ID=\"TB-1\"/><UniqueID Type=\"16\" ID=\"CV-1\"/>"
         "<RoomStays><RoomStay><RoomRates><RoomRate RoomTypeCode=\"DBL\"/></RoomRates>"
         "<TimeSpan Start=\"2027-05-01\" End=\"2027-05-03\"/><Comments><Comment><Text>" +
         comment + "</Text></Comment></Comments><Total AmountAfterTax=\"" + amount +
         "\" CurrencyCode=\"EUR\"/></RoomStay></RoomStays><ResGuests><ResGuest><Profiles><ProfileInfo><Profile>"
         "<Customer><PersonName><GivenName>" + givenName + "</GivenName><Surname>Long</Surname></PersonName>"
         "</Customer></Profile></ProfileInfo></Profiles></ResGuest></ResGuests></HotelReservation>"
         "</ReservationsList></OTA_ResRetrieveRS>";
}

constexpr size_t MiB = 1024 * 1024;
// A line of one character and its line break, written as references so that
// the parser keeps the CR.
const std::string Line = "x&#13;&#10;";

std::string ReplyOfCase(int64_t which) {
  switch (which) {
    case 0: return LongTextReply("Anna", "a comment", "1" + std::string(80'000, ',') + "234.50");
    case 1: return LongTextReply("Anna", Repeated(Line, 800'000), "300.00");
    default:
      return LongTextReply(Repeated("Zo\xEB ", 3 * MiB), Repeated(Line, 2'600'000),
                           "1" + std::string(20 * MiB, ',') + "234.50");
  }
}

void BM_ImportLongTexts(benchmark::State& state) {
  test::ExchangeFixture fx;
  for (const char* room : {"101", "102"}) fx.hotel->AddRoom(room, 1);
  WriteType(1, "DBL");
  const std::string xml = ReplyOfCase(state.range(0));
  for (auto _ : state) {
    XmlDocument doc;
    if (!doc.LoadXml(xml)) {
      state.SkipWithError("the reply is not XML");
      break;
    }
    const TImportFailures failures = ParseReservations(doc);
    const std::string failure =
        failures.refusedReservations.empty() ? failures.stopError : failures.refusedReservations.front();
    if (!failure.empty() || NewReservationCount != 1) {
      state.SkipWithError(Format("the import stored %d: %s", NewReservationCount, failure.c_str()).c_str());
      break;
    }
    state.PauseTiming();
    fx.hotel->Exec("DELETE FROM GuestData; DELETE FROM GuestName; DELETE FROM Occupancy; DELETE FROM OtaImport");
    ResetImportStateForTesting();
    state.ResumeTiming();
  }
  state.counters["reply_bytes"] = static_cast<double>(xml.size());
}
// 0: an amount of 80,000 separators; 1: a comment of 8.8 MB; 2: a reply near the cap.
BENCHMARK(BM_ImportLongTexts)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();


// The same reply near the cap through a whole retrieval: read from the channel
// manager, checked, copied, logged, imported and reported.
void BM_RetrievalOfAReplyNearTheCap(benchmark::State& state) {
  test::ExchangeFixture fx;
  for (const char* room : {"101", "102"}) fx.hotel->AddRoom(room, 1);
  WriteType(1, "DBL");
  fx.WriteCredentials();
  test::WriteFileText(fx.home.Root() / "reservations" / "reservations.xml", ReplyOfCase(2));
  for (auto _ : state) {
    const int result = BookingRetrieval(true);
    if (result != 1 || NewReservationCount != 1) {
      state.SkipWithError(Format("the retrieval gave %d and stored %d", result, NewReservationCount).c_str());
      break;
    }
  }
}
BENCHMARK(BM_RetrievalOfAReplyNearTheCap)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

}  // namespace
}  // namespace corvenna
