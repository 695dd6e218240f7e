// The Qt application that the library makes for a host without one: kept
// from call to call, destroyed when the library is unloaded, and left alone
// when the host exits without unloading it.
#include <gtest/gtest.h>

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <cstdlib>
#include <memory>
#include <string>

#include "LibraryHarness.h"

namespace corvenna::test {
namespace {

TEST(ApplicationLifetimeTest, TheApplicationServesEveryCallAndGoesWithTheLibrary) {
  ASSERT_EQ(QCoreApplication::instance(), nullptr);
  {
    LoadedLibrary library;
    LibraryHost host;
    StderrCapture quiet;
    EXPECT_EQ(library.BookingRetrival(0), 2);
    QCoreApplication* made = QCoreApplication::instance();
    ASSERT_NE(made, nullptr);
    library.AvailUpdate(47000, 47010);
    EXPECT_EQ(library.BookingRetrival(0), 0);
    EXPECT_EQ(QCoreApplication::instance(), made);
    EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty());
    // Between calls it waits for the next one: no GLib main loop of the host's dispatches it.
    const QString dispatcher = QAbstractEventDispatcher::instance(made->thread())->metaObject()->className();
    EXPECT_FALSE(dispatcher.contains(QLatin1String("Glib"), Qt::CaseInsensitive)) << dispatcher.toStdString();
    EXPECT_EQ(std::getenv("QT_NO_GLIB"), nullptr);
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
