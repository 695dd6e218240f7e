#pragma once
// The Qt application object behind the dialogs. The host may or may not have
// one; when it has none, the library makes its own on first use and destroys
// it before it is unloaded.

namespace corvenna {

// Makes a QApplication when there is none, choosing a platform that cannot
// abort the process: "offscreen" where no display is configured.
void EnsureApplication();
// Dispatches every pending event of the calling thread.
void ProcessPendingEvents();
// Destroys the application made by EnsureApplication, if any; one that the
// host made is left alone.
void DestroyApplication();
// Sets QT_QPA_PLATFORM when unset: "offscreen" without DISPLAY and
// WAYLAND_DISPLAY, else "xcb;offscreen".
void ChooseQtPlatform();
// True when the application in use can show windows to someone.
bool DisplayReachable();

}  // namespace corvenna
