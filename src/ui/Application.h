#pragma once
// The Qt application object behind the dialogs. The host may or may not have
// one; when it has none, the library makes its own on first use and keeps it
// for the calls after, until it is unloaded (never at process exit: see
// Application.cpp). Either way it lives on the process's main thread, and
// only calls made there use it.

namespace corvenna {

// Makes a QApplication when there is none, choosing a platform that cannot
// abort the process: "offscreen" where no display is configured. Raises
// Exception, before anything of Qt is touched, when called from a thread
// other than the process's main thread or than that of the host's application.
void EnsureApplication();
// Dispatches every pending event of the calling thread.
void ProcessPendingEvents();
// Destroys the application made by EnsureApplication, if any; one that the
// host made is left alone.
void DestroyApplication();
// The platform switch the application is made with: none when the host set
// QT_QPA_PLATFORM (Qt follows that), else "offscreen" without DISPLAY and
// WAYLAND_DISPLAY, else "xcb;offscreen". The environment is left as it is.
char* ChooseQtPlatform();
// True when the application in use can show windows to someone.
bool DisplayReachable();

}  // namespace corvenna
