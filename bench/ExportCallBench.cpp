// The silent exported calls as the host makes them every few minutes: the
// built libcorvenna.so loaded with dlopen, a small hotel in a scratch home and
// channel-sim on loopback. The host's window waits for each of these calls.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "LibraryHarness.h"
#include "platform/DateTime.h"

namespace corvenna {
namespace {

namespace fs = std::filesystem;

// A channel manager with nothing undelivered.
fs::path EmptyReservationsFolder() {
  const fs::path folder = fs::temp_directory_path() / "corvenna-bench-no-reservations";
  fs::create_directories(folder);
  return folder;
}

// A hotel as the host's installer leaves it, with the host's translation file.
void InstallTranslationFile(const test::LibraryHost& host) {
  fs::copy_file(CORVENNA_SOURCE_DIR "/host/Language.sil", host.Documents() / "Quendale" / "Lan" / "Language.sil",
                fs::copy_options::overwrite_existing);
}

// What a call leaves behind that would otherwise grow from one call to the next.
void ForgetTheCall(test::LibraryHost& host) {
  host.sim->ClearReceived();
  for (const fs::directory_entry& log : fs::directory_iterator(host.OtaDir())) fs::remove(log.path());
}

void BM_SilentRetrievalFindingNothing(benchmark::State& state) {
  test::LoadedLibrary library;
  test::LibraryHost host(true, EmptyReservationsFolder().string());
  InstallTranslationFile(host);
  for (auto _ : state) {
    if (library.BookingRetrival(0) != 0 || *library.LastError() != '\0') {
      state.SkipWithError("the retrieval did not end with nothing stored");
      break;
    }
    state.PauseTiming();
    ForgetTheCall(host);
    state.ResumeTiming();
  }
}
BENCHMARK(BM_SilentRetrievalFindingNothing)->Unit(benchmark::kMillisecond);

// Seven nights for the hotel's three mapped room types.
void BM_SilentAvailUpdateOfAWeek(benchmark::State& state) {
  test::LoadedLibrary library;
  test::LibraryHost host;
  InstallTranslationFile(host);
  const TDateTime firstNight = EncodeDate(2027, 3, 1);
  for (auto _ : state) {
    library.AvailUpdate(firstNight, firstNight + 6);
    state.PauseTiming();
    const bool sent = host.BodiesOf("OTA_HotelAvailNotifRQ").size() == 1 && *library.LastError() == '\0';
    ForgetTheCall(host);
    state.ResumeTiming();
    if (!sent) {
      state.SkipWithError("the availability update was not sent");
      break;
    }
  }
}
BENCHMARK(BM_SilentAvailUpdateOfAWeek)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace corvenna
