// A booking retrieval of 1,000 room stays end to end against channel-sim on
// loopback, into a hotel with a long history: 300 rooms, 50,000 bookings and
// 20,000 guests numbered from 000001 while LastAutoGenNo is still 1, so every
// new guest's free code lies past a run of 20,000 taken ones. And the same
// retrieval once all 1,000 are stored and offered again.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "data/OtaGfgIni.h"
#include "exchange/BookingImport.h"
#include "exchange/CorvennaMessages.h"
#include "platform/Errors.h"
#include "support/ExchangeFixture.h"

namespace corvenna {
namespace {

constexpr int kRoomTypes = 15;
constexpr int kRooms = 300;
constexpr int kBookings = 50'000;
constexpr int kGuests = 20'000;
constexpr int kStays = 1'000;

// The history lies in 2024 to 2026, before every stay of the import.
void SeedHotelWithHistory(test::ExchangeFixture& fx) {
  fx.hotel->Exec("BEGIN");
  for (int room = 0; room < kRooms; ++room) fx.hotel->AddRoom(std::to_string(1000 + room), room % kRoomTypes + 1, "Y");
  fx.hotel->Exec(Format(
      "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i + 1 < %d) "
      "INSERT INTO GuestName (GuestCode, GivenName, FamilyName, Email) "
      "SELECT printf('%%06d', i + 1), 'Old', 'Guest ' || i, 'old' || i || '@example.org' FROM n",
      kGuests));
  const TDateTime firstDay = EncodeDate(2024, 1, 1);
  fx.hotel->Exec(Format(
      "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i + 1 < %d) "
      "INSERT INTO GuestData (GuestCode, ArrivalDate, DepartureDate, RoomNumber, Gurantee, NoNights, BookingDate) "
      "SELECT printf('%%06d', i %% %d + 1), %f + (i / %d) * 6, %f + (i / %d) * 6 + 3, 1000 + i %% %d, 9, 3, %f "
      "FROM n",
      kBookings, kGuests, firstDay, kRooms, firstDay, kRooms, kRooms, firstDay));
  fx.hotel->Exec("COMMIT");
  for (int type = 1; type <= kRoomTypes; ++type) WriteType(type, "RT" + std::to_string(type));
  fx.WriteCredentials();
}

std::string RoomStayXml(int stay) {
  const TDateTime arrival = EncodeDate(2027, 1, 1) + (stay / kRoomTypes) * 3;
  return Format(
      "<RoomStay><RoomRates><RoomRate RoomTypeCode=\"RT%d\" RatePlanCode=\"BAR\" NumberOfUnits=\"1\"/></RoomRates>"
      "<GuestCounts><GuestCount AgeQualifyingCode=\"10\" Count=\"2\"/></GuestCounts>"
      "<TimeSpan Start=\"%s\" End=\"%s\"/><Total AmountAfterTax=\"360.00\" CurrencyCode=\"EUR\"/></RoomStay>",
      stay % kRoomTypes + 1, FormatIsoDate(arrival).c_str(), FormatIsoDate(arrival + 3).c_str());
}

// kStays room stays in reservations of `staysEach`, each reservation with its
// own new guest and its channel id; the rooms of one reservation for the same
// dates form a group.
std::string ReservationsReply(int staysEach) {
  std::string xml =
      "<OTA_ResRetrieveRS xmlns=\"http://www.opentravel.org/OTA/2003/05\" Version=\"1.0\"><Success/>"
      "<ReservationsList>";
  for (int first = 0; first < kStays; first += staysEach) {
    std::string stays;
    for (int stay = first; stay < first + staysEach; ++stay) stays += RoomStayXml(stay);
    xml += Format(
        "<HotelReservation><POS><Source><RequestorID Type=\"22\" ID=\"AGENT\"/></Source></POS>"
        "<UniqueID Type=\"14\" ID=\"TB-%d\"/><UniqueID Type=\"16\" ID=\"CV-%d\"/><RoomStays>%s</RoomStays>"
        "<ResGuests><ResGuest ArrivalTime=\"15:00:00\"><Profiles><ProfileInfo><Profile><Customer><PersonName>"
        "<GivenName>New</GivenName><Surname>Guest %d</Surname></PersonName><Email>new%d@example.org</Email>"
        "</Customer></Profile></ProfileInfo></Profiles></ResGuest></ResGuests><ResGlobalInfo><HotelReservationIDs>"
        "<HotelReservationID ResID_Type=\"14\" ResID_Value=\"H-%d\"/></HotelReservationIDs></ResGlobalInfo>"
        "</HotelReservation>",
        first, first, stays.c_str(), first, first, first);
  }
  return xml + "</ReservationsList></OTA_ResRetrieveRS>";
}

// What the channel manager and the import kept of a retrieval, so that the next
// one is offered every reservation again.
void ForgetRetrieval(test::ExchangeFixture& fx) {
  fx.sim->ResetDelivered();
  fx.sim->ClearReceived();
  std::filesystem::remove(fx.DayLogFile());
  ResetImportStateForTesting();
}

// What one import added, so that the next one meets the same hotel.
void UndoImport(test::ExchangeFixture& fx) {
  fx.hotel->Exec(Format(
      "BEGIN; DELETE FROM GuestData WHERE GuestID > %d; DELETE FROM GuestName WHERE rowid > %d; "
      "DELETE FROM Occupancy; DELETE FROM \"Group\"; DELETE FROM OtaImport; COMMIT;",
      kBookings, kGuests));
  ForgetRetrieval(fx);
}

void BM_BookingRetrieval1000Stays(benchmark::State& state) {
  test::ExchangeFixture fx;
  SeedHotelWithHistory(fx);
  const int staysEach = static_cast<int>(state.range(0));
  test::WriteFileText(fx.home.Root() / "reservations" / "reservations.xml", ReservationsReply(staysEach));
  int64_t stored = 0;
  for (auto _ : state) {
    if (BookingRetrieval(true) != 1 || NewReservationCount != kStays) {
      state.SkipWithError(Format("the retrieval stored %d of %d room stays", NewReservationCount, kStays).c_str());
      break;
    }
    stored += NewReservationCount;
    state.PauseTiming();
    UndoImport(fx);
    state.ResumeTiming();
  }
  state.SetItemsProcessed(stored);
  state.counters["reports"] = kStays / staysEach;
}
// One room stay per reservation (a report each), and groups of four rooms.
BENCHMARK(BM_BookingRetrieval1000Stays)->Arg(1)->Arg(4)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

size_t ReportsSent(const test::ExchangeFixture& fx) {
  size_t reports = 0;
  for (const auto& request : fx.sim->Received()) reports += request.rootName == "OTA_NotifReportRQ";
  return reports;
}

// Every reservation stored before and offered again, as after reports that
// never arrived: nothing is stored, and each one is reported as stored.
void BM_BookingRetrieval1000Redeliveries(benchmark::State& state) {
  test::ExchangeFixture fx;
  SeedHotelWithHistory(fx);
  test::WriteFileText(fx.home.Root() / "reservations" / "reservations.xml", ReservationsReply(1));
  BookingRetrieval(true);
  for (auto _ : state) {
    state.PauseTiming();
    ForgetRetrieval(fx);
    state.ResumeTiming();
    if (BookingRetrieval(true) != 1 || NewReservationCount != 0 || ReportsSent(fx) != kStays) {
      state.SkipWithError(Format("the retrieval stored %d and sent %zu reports", NewReservationCount,
                                 ReportsSent(fx)).c_str());
      break;
    }
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kStays);
}
BENCHMARK(BM_BookingRetrieval1000Redeliveries)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

}  // namespace
}  // namespace corvenna
