// An availability update end to end against channel-sim on loopback.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <random>

#include "data/OtaGfgIni.h"
#include "exchange/CorvennaMessages.h"
#include "support/ExchangeFixture.h"

namespace corvenna {
namespace {

constexpr int kRoomTypes = 16;
constexpr int kRooms = 300;
constexpr int kNights = 365;

// 300 rooms over 16 mapped types, and a year of nights on which every type's
// free rooms vary, so the inventory has many runs to send.
void SeedBusyHotel(test::ExchangeFixture& fx, TDateTime firstNight) {
  fx.hotel->Exec("BEGIN");
  for (int room = 0; room < kRooms; ++room) {
    const int type = room % kRoomTypes + 1;
    fx.hotel->AddRoom(std::to_string(1000 + room), type, "Y");
  }
  std::mt19937 random(20261209);
  for (int night = 0; night < kNights; ++night) {
    test::OccupancyRow row;
    row.day = firstNight + night;
    for (int type = 1; type <= kRoomTypes; ++type) {
      const int rooms = kRooms / kRoomTypes + (type <= kRooms % kRoomTypes ? 1 : 0);
      const int occupied = static_cast<int>(random() % static_cast<unsigned>(rooms + 1));
      row.occupied[type] = occupied;
      row.available[type] = rooms - occupied;
    }
    fx.hotel->AddOccupancy(row);
  }
  fx.hotel->Exec("COMMIT");
  for (int type = 1; type <= kRoomTypes; ++type) {
    WriteType(type, "RT" + std::to_string(type));
    WriteCode(type, "BAR");
    WriteStopSale(type, 1);
  }
  WriteAutoStop(true);
  fx.WriteCredentials();
}

void BM_AvailabilityUpdateYear(benchmark::State& state) {
  test::ExchangeFixture fx;
  const TDateTime firstNight = EncodeDate(2027, 1, 1);
  SeedBusyHotel(fx, firstNight);
  for (auto _ : state) {
    if (AvailabilityUpdate(true, firstNight, firstNight + kNights - 1) != 1) {
      state.SkipWithError("the availability update failed");
      break;
    }
    state.PauseTiming();
    fx.sim->ClearReceived();
    std::filesystem::remove(fx.DayLogFile());
    state.ResumeTiming();
  }
  state.counters["messages"] = static_cast<double>(fx.hotel->Count("OccInventory"));
}
BENCHMARK(BM_AvailabilityUpdateYear)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
}  // namespace corvenna
