#pragma once
// The Qt application object behind the dialogs. The host may or may not have
// one; when it has none, the library makes its own on first use and keeps it
// for the calls after, until it is unloaded.

namespace corvenna {

// Makes a QApplication when there is none, choosing a platform that cannot
// abort the process: "offscreen" where no display is configured.
void EnsureApplication();
// Dispatches every pending event of the calling thread.
void ProcessPendingEvents();
// Ends a call's use of the application. One that EnsureApplication made on
// the process's main thread stays for the next calls and is destroyed when
// the library is unloaded (never at process exit: see Application.cpp); one
// made on another thread, which the next call's thread could not use, is
// destroyed now. One that the host made is left alone.
void ReleaseApplication();
// Destroys the application made by EnsureApplication, if any; one that the
// host made is left alone.
void DestroyApplication();
// Sets QT_QPA_PLATFORM when unset: "offscreen" without DISPLAY and
// WAYLAND_DISPLAY, else "xcb;offscreen".
void ChooseQtPlatform();
// True when the application in use can show windows to someone.
bool DisplayReachable();

}  // namespace corvenna
