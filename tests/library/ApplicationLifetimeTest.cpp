// The Qt application that the library makes for a host without one: kept
// from call to call, destroyed when the library is unloaded, and left alone
// when the host exits without unloading it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QGuiApplication>
#include <atomic>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "LibraryHarness.h"

extern char** environ;

namespace corvenna::test {
namespace {

std::vector<std::string> Environment() {
  std::vector<std::string> entries;
  for (char** entry = environ; *entry != nullptr; ++entry) entries.emplace_back(*entry);
  return entries;
}

// The host's platform variables taken away for a test and put back after it.
class WithoutPlatformVariables {
 public:
  WithoutPlatformVariables() {
    for (auto& [name, value] : saved_) {
      if (const char* set = std::getenv(name)) value = set;
      unsetenv(name);
    }
  }
  ~WithoutPlatformVariables() {
    for (const auto& [name, value] : saved_)
      if (value) setenv(name, value->c_str(), 1);
  }
  WithoutPlatformVariables(const WithoutPlatformVariables&) = delete;
  WithoutPlatformVariables& operator=(const WithoutPlatformVariables&) = delete;

 private:
  std::pair<const char*, std::optional<std::string>> saved_[3] = {
      {"QT_QPA_PLATFORM", {}}, {"DISPLAY", {}}, {"WAYLAND_DISPLAY", {}}};
};

// The host's environment is its own: the platform reaches Qt as a switch, and
// a host thread reading the environment meanwhile sees nothing come and go.
TEST(ApplicationLifetimeTest, TheApplicationServesEveryCallAndGoesWithTheLibrary) {
  ASSERT_EQ(QCoreApplication::instance(), nullptr);
  WithoutPlatformVariables headless;
  {
    LoadedLibrary library;
    LibraryHost host;
    StderrCapture quiet;
    const std::vector<std::string> before = Environment();
    std::atomic<bool> calling = true;
    std::atomic<int> qtVariablesSeen = 0;
    std::thread reader([&] {
      while (calling)
        qtVariablesSeen += std::getenv("QT_QPA_PLATFORM") != nullptr || std::getenv("QT_NO_GLIB") != nullptr;
    });
    EXPECT_EQ(library.BookingRetrival(0), 2);
    QCoreApplication* made = QCoreApplication::instance();
    library.AvailUpdate(47000, 47010);
    EXPECT_EQ(library.BookingRetrival(0), 0);
    calling = false;
    reader.join();
    EXPECT_EQ(Environment(), before);
    EXPECT_EQ(qtVariablesSeen, 0);
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(QGuiApplication::platformName().toStdString(), "offscreen");
    EXPECT_EQ(QCoreApplication::instance(), made);
    EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty());
    EXPECT_STREQ(library.LastError(), "") << quiet.Text();
  }
  EXPECT_EQ(QCoreApplication::instance(), nullptr);
  EXPECT_FALSE(LoadedLibrary::IsLoaded());
}

// Destroying the application at exit, after Qt's own globals are gone,
// would crash the host on its way out.
int CallThenExitWithoutUnloading() {
  int code = 1;
  {
    LibraryHost host;
    StderrCapture quiet;
    auto library = std::make_unique<LoadedLibrary>();
    if (library->BookingRetrival(0) == 2) code = 0;
    (void)library.release();  // never unloaded, as by a host that just exits
  }
  std::exit(code);
}

TEST(ApplicationLifetimeTest, AHostMayExitWithoutUnloadingTheLibrary) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  // The application is left to the operating system at exit, by design.
  const char* asan = std::getenv("ASAN_OPTIONS");
  const std::string saved = asan ? asan : "";
  setenv("ASAN_OPTIONS", (saved + ":detect_leaks=0").c_str(), 1);
  EXPECT_EXIT(CallThenExitWithoutUnloading(), testing::ExitedWithCode(0), "");
  asan ? setenv("ASAN_OPTIONS", saved.c_str(), 1) : unsetenv("ASAN_OPTIONS");
}

}  // namespace
}  // namespace corvenna::test
