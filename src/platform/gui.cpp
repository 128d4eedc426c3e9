#include "platform/gui.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QScreen>
#include <xcb/xcb.h>

#include <cmath>
#include <cstdlib>
#include <string>

// The leak checker of sanitized builds asks for this: the font configuration
// library under the toolkit keeps its caches for the life of the process,
// and the message-bus library its connection to the desktop session.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\nleak:libdbus-1.so\n"; }

namespace qs {

namespace {
int g_screenPpi = 0;
bool g_versionRead = false;
TWindowsVersion g_version;

bool EnvSet(const char* name) {
  const char* v = std::getenv(name);
  return v && *v;
}
}  // namespace

void EnsureGuiApplication() {
  if (QCoreApplication::instance()) return;
  // No display to talk to: draw offscreen rather than abort.
  if (!EnvSet("QT_QPA_PLATFORM") && !DisplayReachable())
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
  // Without a session (a console, CI) there is no runtime folder: make the
  // private one the toolkit would fall back to, without its warning.
  if (!EnvSet("XDG_RUNTIME_DIR")) {
    const std::string dir = "/tmp/runtime-" + std::to_string(::getuid());
    ::mkdir(dir.c_str(), 0700);
    struct stat st;
    if (::lstat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid() &&
        (st.st_mode & 077) == 0)
      setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
  }
  // A widget application, so that later widgets find what they need. It
  // lives as long as the process; argc and argv must outlive it.
  static int argc = 1;
  static char name[] = "quillstave4";
  static char* argv[] = {name, nullptr};
  new QApplication(argc, argv);
}

bool WindowShapingAvailable() {
  return qobject_cast<QApplication*>(QCoreApplication::instance()) && QGuiApplication::platformName() == "xcb";
}

bool DisplayReachable() {
  if (EnvSet("WAYLAND_DISPLAY")) return true;
  if (!EnvSet("DISPLAY")) return false;
  xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
  const bool ok = xcb_connection_has_error(connection) == 0;
  xcb_disconnect(connection);
  return ok;
}

int ScreenPixelsPerInch() {
  if (g_screenPpi == 0) {
    EnsureGuiApplication();
    QScreen* screen = QGuiApplication::primaryScreen();
    int ppi = screen ? static_cast<int>(std::lround(screen->logicalDotsPerInchY())) : 0;
    g_screenPpi = ppi > 0 ? ppi : 96;
  }
  return g_screenPpi;
}

void SetScreenPixelsPerInch(int ppi) { g_screenPpi = ppi > 0 ? ppi : 96; }

void GetWindowsVersion() {
  if (g_versionRead) return;
  g_version = {5, 1};
  g_versionRead = true;
}

TWindowsVersion WindowsVersion() {
  GetWindowsVersion();
  return g_version;
}

void SetWindowsVersion(TWindowsVersion version) {
  g_version = version;
  g_versionRead = true;
}

bool UseAntiAliasedSurface() { return WindowsVersion().Major >= 5; }

}  // namespace qs
