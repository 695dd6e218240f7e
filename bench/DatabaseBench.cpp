// The host-database paths: the inventory rebuild, the room overlap search and
// a booking's occupancy, on a 300-room hotel.
#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <string>

#include "data/OtaDataCheck.h"
#include "data/OtaDataModule.h"
#include "data/OtaGfgIni.h"
#include "data/OtaOpenTables.h"
#include "platform/DateTime.h"
#include "support/HostDatabaseFixture.h"
#include "support/ScratchHome.h"

namespace corvenna {
namespace {

constexpr int kRooms = 300;
constexpr int kTypes = 16;
constexpr int kNights = 365;
constexpr int kBookings = 100'000;

std::string RoomNo(int room) { return std::to_string(1000 + room); }

// A hotel in a scratch home, opened by DM as the dialog leaves it.
struct BenchHotel {
  BenchHotel() : hotel(home.Documents() / "Quendale" / "Database") {
    hotel.Exec("BEGIN");
    for (int room = 0; room < kRooms; ++room) hotel.AddRoom(RoomNo(room), room % kTypes + 1);
    hotel.Exec("COMMIT");
  }

  void Open() {
    scope = std::make_unique<TDMScope>();
    OpenHostDatabase();
    SetTablesActive(true);
  }

  test::ScratchHome home;
  test::HostDatabaseFixture hotel;
  std::unique_ptr<TDMScope> scope;
  const TDateTime today = EncodeDate(2026, 6, 1);
};

void BM_BuildOccInventory_Year(benchmark::State& state) {
  BenchHotel bench;
  std::mt19937 random(1209);
  bench.hotel.Exec("BEGIN");
  for (int night = 0; night < kNights; ++night) {
    test::OccupancyRow row{bench.today + night, 0, 0, {}, {}};
    for (int type = 1; type <= kTypes; ++type) {
      row.occupied[type] = static_cast<int32_t>(random() % 6);
      row.available[type] = 19 - row.occupied[type];
    }
    bench.hotel.AddOccupancy(row);
  }
  bench.hotel.Exec("COMMIT");
  bench.Open();
  for (auto _ : state) BuildOccInventory(bench.today, bench.today + kNights - 1);
  state.counters["rows"] = static_cast<double>(bench.hotel.Count("OccInventory"));
}
BENCHMARK(BM_BuildOccInventory_Year)->Unit(benchmark::kMillisecond);

void BM_RoomIsBooked_100kBookings(benchmark::State& state) {
  BenchHotel bench;
  // Three years of stays ending two months ahead: each room is booked about
  // every third night, so the look-back window holds a few dozen of its rows.
  bench.hotel.Exec(
      "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < " + std::to_string(kBookings - 1) +
      ") INSERT INTO GuestData (GuestCode, RoomNumber, ArrivalDate, DepartureDate, Cancelled, Gurantee) "
      "SELECT printf('%06d', i % 5000), CAST(1000 + i % " +
      std::to_string(kRooms) + " AS TEXT), " + "d, d + 1 + (i % 3), i % 17 = 0, 9 FROM (SELECT i, " +
      std::to_string(bench.today + 60) + " - 1000 + (i / " + std::to_string(kRooms) + ") * 3 AS d FROM n)");
  bench.Open();
  int room = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(RoomIsBooked(RoomNo(room), 0, bench.today, bench.today + 3));
    room = (room + 7) % kRooms;
  }
}
BENCHMARK(BM_RoomIsBooked_100kBookings)->Unit(benchmark::kMicrosecond);

// The settings read that every RoomIsBooked makes first, on its own.
void BM_RoomIsBooked_MaxNoNightsRead(benchmark::State& state) {
  test::ScratchHome home;
  for (auto _ : state) benchmark::DoNotOptimize(ReadMaxNoNights());
}
BENCHMARK(BM_RoomIsBooked_MaxNoNightsRead)->Unit(benchmark::kMicrosecond);

void BM_UpdateOccupancy_SevenNights(benchmark::State& state) {
  BenchHotel bench;
  bench.Open();
  for (int room = 0; room < kRooms; room += 3) UpdateOccupancy(RoomNo(room), true, bench.today, bench.today + 30);
  bool add = true;
  for (auto _ : state) {
    UpdateOccupancy(RoomNo(1), add, bench.today + 10, bench.today + 17);
    add = !add;
  }
}
BENCHMARK(BM_UpdateOccupancy_SevenNights)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace corvenna
