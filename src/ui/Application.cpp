#include "ui/Application.h"

#include <unistd.h>

#include <QApplication>
#include <QGuiApplication>
#include <cstdlib>
#include <memory>

#include "platform/Errors.h"

namespace corvenna {
namespace {

// QApplication keeps references to these for its whole life.
int appArgc = 1;
char appName[] = "corvenna";
char* appArgv[] = {appName, nullptr};

std::unique_ptr<QApplication> ownApplication;
// Made on the process's main thread, where every later call can use it too.
bool ownApplicationKept = false;

// At process exit every atexit handler runs first, Qt's globals and this
// file's statics among them, and the libraries' destructor functions after
// them; destroyed there, after Qt's globals, the application would crash the
// exit. When the library is unloaded, its destructor functions run first,
// while Qt is intact. So the application is destroyed by the destructor
// function, at unload, and left to the operating system at exit.
struct LeftAtExit {
  ~LeftAtExit() { (void)ownApplication.release(); }
} leftAtExit;

__attribute__((destructor)) void DestroyApplicationAtUnload() { ownApplication.reset(); }

bool EnvSet(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0';
}

// Qt's own event dispatcher instead of GLib's (QT_NO_GLIB, unless the host
// set it itself): the kept application then joins no GLib main loop of the
// host's, so nothing of it runs between calls, and events posted while a call
// builds the dialog do not each write a wake-up to a loop nobody runs.
std::unique_ptr<QApplication> MakeApplication() {
  const bool chooseDispatcher = std::getenv("QT_NO_GLIB") == nullptr;
  if (chooseDispatcher) setenv("QT_NO_GLIB", "1", 1);
  auto application = std::make_unique<QApplication>(appArgc, appArgv);
  if (chooseDispatcher) unsetenv("QT_NO_GLIB");
  return application;
}

}  // namespace

void ChooseQtPlatform() {
  if (EnvSet("QT_QPA_PLATFORM")) return;
  const bool display = EnvSet("DISPLAY") || EnvSet("WAYLAND_DISPLAY");
  setenv("QT_QPA_PLATFORM", display ? "xcb;offscreen" : "offscreen", 1);
}

void EnsureApplication() {
  if (qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr) return;
  if (QCoreApplication::instance() != nullptr)
    throw Exception("Cannot create the dialog: the host runs a Qt application without widgets");
  ChooseQtPlatform();
  ownApplication = MakeApplication();
  ownApplicationKept = gettid() == getpid();
}

void ReleaseApplication() {
  if (!ownApplicationKept) DestroyApplication();
}

void ProcessPendingEvents() {
  if (QCoreApplication::instance() != nullptr) QCoreApplication::processEvents();
}

void DestroyApplication() { ownApplication.reset(); }

bool DisplayReachable() {
  if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) return false;
  const QString platform = QGuiApplication::platformName();
  return platform != QLatin1String("offscreen") && platform != QLatin1String("minimal");
}

}  // namespace corvenna
