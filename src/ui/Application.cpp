#include "ui/Application.h"

#include <unistd.h>

#include <QApplication>
#include <QGuiApplication>
#include <QThread>
#include <cstdlib>
#include <memory>

#include "platform/Errors.h"

namespace corvenna {
namespace {

// QApplication keeps references to these for its whole life and takes the
// switches it understands out of them, so they are filled anew for each one.
int appArgc = 0;
char appName[] = "corvenna";
char platformSwitch[] = "-platform";
char headlessPlatform[] = "offscreen";
char displayPlatforms[] = "xcb;offscreen";
char* appArgv[4] = {};

std::unique_ptr<QApplication> ownApplication;

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

bool OnMainThread() { return gettid() == getpid(); }

// The platform goes in as a switch, since the environment is the host's.
// Qt picks the event dispatcher itself (GLib's where Qt is built with it,
// unless the host set QT_NO_GLIB): the only public way to choose another is
// to hand it a dispatcher object, and Qt's own one for Unix is private.
std::unique_ptr<QApplication> MakeApplication() {
  appArgc = 0;
  appArgv[appArgc++] = appName;
  if (char* platform = ChooseQtPlatform()) {
    appArgv[appArgc++] = platformSwitch;
    appArgv[appArgc++] = platform;
  }
  appArgv[appArgc] = nullptr;
  return std::make_unique<QApplication>(appArgc, appArgv);
}

}  // namespace

char* ChooseQtPlatform() {
  if (EnvSet("QT_QPA_PLATFORM")) return nullptr;
  const bool display = EnvSet("DISPLAY") || EnvSet("WAYLAND_DISPLAY");
  return display ? displayPlatforms : headlessPlatform;
}

void EnsureApplication() {
  // Qt objects belong to the thread of the application; from any other thread
  // even a look at them may race with that thread, so nothing of Qt is touched.
  if (!OnMainThread())
    throw Exception("Called from a thread other than the process's main thread, which the Qt application needs: "
                    "nothing was done");
  QCoreApplication* existing = QCoreApplication::instance();
  if (existing != nullptr && existing->thread() != QThread::currentThread())
    throw Exception("The host's Qt application lives on another thread than this call: nothing was done");
  if (qobject_cast<QApplication*>(existing) != nullptr) return;
  if (existing != nullptr)
    throw Exception("Cannot create the dialog: the host runs a Qt application without widgets");
  ownApplication = MakeApplication();
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
