#pragma once
// The windowing system as the rest of the program sees it, without its
// headers: the application object, the screen's resolution, and which
// drawing surfaces the platform offers.

namespace qs {

// Makes the platform's application object when none exists yet, so that
// fonts and drawing work in tests and tools. Without a display it runs
// offscreen. Does nothing when the program has made its own.
void EnsureGuiApplication();

// Whether a window can be opened: a Wayland display is named, or the X
// server DISPLAY names answers. False when neither is set, or when the X
// server is not there (the toolkit would abort the program on it).
bool DisplayReachable();
// Whether windows can take a shape other than a rectangle here (X11 can;
// Wayland and the offscreen platform show the whole rectangle).
bool WindowShapingAvailable();

// The screen's pixels per inch, read once (96 when the screen tells none).
int ScreenPixelsPerInch();
// Fixes the value (tests fix 96; a setting may choose another).
void SetScreenPixelsPerInch(int ppi);

// The version numbers that decide between the two drawing paths: from
// major version 5 on, curves, smoothed lines and hatched shapes go through
// the anti-aliased surface, below it everything through the plain canvas.
// This platform always has the surface, so GetWindowsVersion stores 5.1;
// SetWindowsVersion lets tests and a setting choose the plain path.
struct TWindowsVersion {
  int Major = 0;
  int Minor = 0;
};
// Runs once at start-up (later calls keep what is stored).
void GetWindowsVersion();
TWindowsVersion WindowsVersion();
void SetWindowsVersion(TWindowsVersion version);
// Major version 5 or higher.
bool UseAntiAliasedSurface();

}  // namespace qs
