// A host whose event loop runs timers calls an export while another export of
// the library is running: during the event processing that ends an exchange,
// or while the dialog is open. The later call does nothing and says so; the
// call that was running keeps its own result.
#include <gtest/gtest.h>

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <functional>
#include <optional>

#include "LibraryHarness.h"

// Qt's X11 platform asks the session bus for accessibility and themes; the
// bus library keeps a buffer for good when there is no session bus.
extern "C" const char* __lsan_default_suppressions() { return "leak:libdbus-1.so\n"; }

namespace corvenna::test {
namespace {

constexpr const char* Refusal =
    "Another call of this library is still running in this process (the dialog is open, or an exchange is "
    "running): nothing was done";

struct Export {
  const char* name;
  // The retrieval's count; 0 for the others, which return nothing.
  std::function<int32_t(LoadedLibrary&)> call;
};

const Export Retrieval{"CorvennaBookingRetrival", [](LoadedLibrary& l) { return l.BookingRetrival(0); }};
const Export Availability{"CorvennaAvailUpdate", [](LoadedLibrary& l) {
                            l.AvailUpdate(47000, 47010);
                            return 0;
                          }};
const Export Dialog{"CorvennaShowDialog", [](LoadedLibrary& l) {
                      l.ShowDialog();
                      return 0;
                    }};

struct Outcome {
  bool ran = false;
  int32_t result = 0;
  std::string message;
};

Outcome CallNow(LoadedLibrary& library, const Export& nested) {
  Outcome outcome{true, nested.call(library), library.LastError()};
  return outcome;
}

void ExpectRefused(const Export& nested, const Outcome& outcome) {
  SCOPED_TRACE(std::string("nested ") + nested.name);
  EXPECT_TRUE(outcome.ran) << "the host's timer never fired during the call";
  EXPECT_EQ(outcome.result, &nested == &Retrieval ? -1 : 0);
  EXPECT_EQ(outcome.message, Refusal);
}

class NestedCallTest : public ::testing::Test {
 protected:
  NestedCallTest() : application(argc, argv) {}
  int argc = 1;
  char name[5] = "host";
  char* argv[2] = {name, nullptr};
  QApplication application;  // the host's, on the offscreen platform the tests run with
  LoadedLibrary library;
};

TEST_F(NestedCallTest, DuringAnExchangeTheHostsTimerCallIsRefusedAndTheExchangeKeepsItsResult) {
  const struct {
    const Export& outer;
    int32_t result;
  } outers[] = {{Retrieval, 2}, {Availability, 0}};
  for (const auto& outer : outers) {
    for (const Export* nested : {&Retrieval, &Availability, &Dialog}) {
      SCOPED_TRACE(std::string(outer.outer.name) + " with " + nested->name);
      LibraryHost host;
      StderrCapture err;
      Outcome outcome;
      QTimer::singleShot(0, &application, [&] { outcome = CallNow(library, *nested); });
      EXPECT_EQ(outer.outer.call(library), outer.result);
      EXPECT_STREQ(library.LastError(), "") << "the outer call went through";
      ExpectRefused(*nested, outcome);
      EXPECT_EQ(err.LinesStartingWith(std::string(nested->name) + ": " + Refusal).size(), 1u) << err.Text();
      EXPECT_EQ(host.BodiesOf("OTA_ReadRQ").size(), &outer.outer == &Retrieval ? 1u : 0u);
      EXPECT_EQ(host.BodiesOf("OTA_HotelAvailNotifRQ").size(), &outer.outer == &Availability ? 1u : 0u);
      EXPECT_EQ(host.StoredBookings(), outer.result);
      EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty());
    }
  }
  LibraryHost host;
  StderrCapture quiet;
  EXPECT_EQ(library.BookingRetrival(0), 2) << "a refused call leaves nothing held";
}

// A display of its own for the dialog, which is never shown where nobody can
// see it: an X server without a screen, when one is installed.
class VirtualDisplay {
 public:
  VirtualDisplay() {
    int number[2];
    if (pipe(number) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      close(number[0]);
      const std::string fd = std::to_string(number[1]);
      execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-nolisten", "tcp", "-screen", "0", "1024x768x24",
             static_cast<char*>(nullptr));
      _exit(127);
    }
    close(number[1]);
    // The server writes the number, then a line break; closing before the
    // break arrives would end it.
    std::string text;
    char c = 0;
    pollfd wait{number[0], POLLIN, 0};
    while (pid_ > 0 && text.size() < 16 && poll(&wait, 1, 10'000) == 1 && read(number[0], &c, 1) == 1 && c != '\n')
      text += c;
    if (c == '\n' && !text.empty()) display_ = ":" + text;
    close(number[0]);
  }
  ~VirtualDisplay() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
  }
  VirtualDisplay(const VirtualDisplay&) = delete;
  VirtualDisplay& operator=(const VirtualDisplay&) = delete;

  // ":N", or empty when no server started.
  const std::string& Name() const { return display_; }

 private:
  pid_t pid_ = -1;
  std::string display_;
};

TEST(NestedCallDialogTest, WhileTheDialogIsOpenTheHostsTimerCallsAreRefused) {
  VirtualDisplay display;
  if (display.Name().empty()) GTEST_SKIP() << "Xvfb is not installed (scripts/install-deps.sh installs it)";
  setenv("DISPLAY", display.Name().c_str(), 1);
  setenv("QT_QPA_PLATFORM", "xcb", 1);
  int argc = 1;
  char name[] = "host";
  char* argv[] = {name, nullptr};
  QApplication application(argc, argv);
  LoadedLibrary library;
  LibraryHost host;
  StderrCapture err;

  std::vector<std::pair<const Export*, Outcome>> nested;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (dialog == nullptr || dialog->objectName() != "dlgCorvenna") return;
    poll.stop();
    for (const Export* call : {&Retrieval, &Availability, &Dialog}) nested.emplace_back(call, CallNow(library, *call));
    dialog->reject();
  });
  poll.start(50);
  QTimer::singleShot(60'000, &application, [] {
    if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
  });
  library.ShowDialog();

  EXPECT_STREQ(library.LastError(), "") << err.Text();
  ASSERT_EQ(nested.size(), 3u) << "the dialog never opened";
  for (const auto& [call, outcome] : nested) ExpectRefused(*call, outcome);
  EXPECT_TRUE(host.sim->Received().empty());
  EXPECT_EQ(host.StoredBookings(), 0);
  EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty());
}

}  // namespace
}  // namespace corvenna::test
