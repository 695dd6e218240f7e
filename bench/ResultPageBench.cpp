// Send in the dialog up to the Result page when a stale reply copy is large: an
// availability update whose endpoint does not answer, so the copies listed are
// the request just written and the reply an earlier run left. The front desk
// waits for the failure message and the page meanwhile.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <QApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <filesystem>
#include <fstream>
#include <string>

#include "data/OtaDataModule.h"
#include "data/OtaGfgIni.h"
#include "exchange/CorvennaMessages.h"
#include "support/HostDatabaseFixture.h"
#include "support/RecordingMessages.h"
#include "support/ScratchHome.h"
#include "ui/Application.h"
#include "ui/CorvennaDlg.h"
#include "ui/RadioGroup.h"

namespace corvenna {
namespace {

namespace fs = std::filesystem;

constexpr int AvailabilityAction = 1;

// A reply as the exchange saves one: a single line, megabytes of warnings
// (none for 0: a small reply).
void WriteStaleReply(const fs::path& path, size_t megabytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file << "<?xml version=\"1.0\" encoding=\"UTF-8\"?><soap:Envelope "
          "xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\"><soap:Body><OTA_HotelAvailNotifRS "
          "xmlns=\"http://www.opentravel.org/OTA/2003/05\" Version=\"1.0\"><Success/><Warnings>";
  const std::string warning = "<Warning Type=\"3\" Code=\"450\">Room type DBL: availability for 2027-03-01 "
                              "accepted with a stop sale for Zürich</Warning>";
  std::string chunk;
  while (chunk.size() < (64u << 10)) chunk += warning;
  const size_t target = megabytes * 1000000;
  size_t written = 0;
  for (; written + chunk.size() <= target; written += chunk.size()) file << chunk;
  for (; written + warning.size() <= target; written += warning.size()) file << warning;
  file << "</Warnings></OTA_HotelAvailNotifRS></soap:Body></soap:Envelope>";
}

double PeakResidentMegabytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void BM_SendShowsTheResultPageWithAStaleReplyOfMegabytes(benchmark::State& state) {
  EnsureApplication();
  test::ScratchHome home;
  home.MakeHostFolders();
  test::HostDatabaseFixture database(home.Documents() / "Quendale" / "Database");
  database.AddRoom("101", 1, "Y", "", 80);
  fs::copy_file(CORVENNA_SOURCE_DIR "/host/Language.sil", home.Documents() / "Quendale" / "Lan" / "Language.sil");
  WriteUserName("frontdesk");
  WritePassword("secret");
  WriteHotelCode("HOTEL42");
  WriteCorvennaAvailReqUlr("http://127.0.0.1:1/");  // refused at once: the stale reply stays
  WriteType(1, "DBL");
  WriteCode(1, "BAR");
  const fs::path reply = home.Documents() / "Quendale" / "Temp" / "AvailNotifRS.xml";
  WriteStaleReply(reply, static_cast<size_t>(state.range(0)));
  SilentRun = false;
  test::RecordingMessages messages;
  TDMScope dm;
  TdlgCorvenna dialog;
  dialog.rgAction->SetItemIndex(AvailabilityAction);
  dialog.show();
  for (auto _ : state) {
    dialog.btnSend->click();
    QApplication::processEvents();
    state.PauseTiming();
    const bool failedAsMeant = !messages.tasks.empty() && !rsErrorSendingMessage.empty() &&
                               messages.tasks.back().content == rsErrorSendingMessage;
    const bool listed = dialog.Memo1->document()->blockCount() > 3;
    messages.tasks.clear();
    state.ResumeTiming();
    if (!failedAsMeant || !listed) {
      state.SkipWithError("Send did not end with the failure message and the listed copies");
      break;
    }
  }
  dialog.hide();
  state.counters["peak_rss_MB"] = PeakResidentMegabytes();
  state.counters["copy_MB"] = static_cast<double>(fs::file_size(reply)) / 1e6;
}
BENCHMARK(BM_SendShowsTheResultPageWithAStaleReplyOfMegabytes)->Arg(0)->Arg(1)->Arg(50)->Arg(200)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace corvenna
