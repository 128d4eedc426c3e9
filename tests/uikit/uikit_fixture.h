#pragma once
// Helpers the toolkit's tests share: waiting on the message loop for what
// real input brings about, dates written as year, month and day, and
// pictures for image lists and looking for them on the screen.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <thread>

#include "platform/bitmap.h"
#include "platform/controls.h"
#include "platform/testdriver.h"
#include "uikit/localeformats.h"

namespace qs::uikit_test {

// Runs the message loop until stop holds or at least ms have passed; stop
// is asked once more after the last messages. True when it held.
inline bool RunLoopUntil(const std::function<bool()>& stop, int ms) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (std::chrono::steady_clock::now() < end) {
    testdriver::ProcessMessages();
    if (stop()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  testdriver::ProcessMessages();
  return stop();
}

// Waits on the message loop for what real input brings about: returns as
// soon as cond holds. The limit is only there to end a failing test; it is
// long, so that a slow or busy machine never reaches it.
inline bool WaitFor(const std::function<bool()>& cond, int ms = 10000) { return RunLoopUntil(cond, ms); }

// Whether cond keeps holding while the message loop runs for ms: that
// nothing happens after an action (a timer stopped by a release). Called
// after the action, so a slow machine only makes the time watched longer.
inline bool HoldsFor(const std::function<bool()>& cond, int ms) {
  return !RunLoopUntil([&] { return !cond(); }, ms);
}

inline TDateTime D(int y, int m, int d) {
  TDateTime v = 0;
  EXPECT_TRUE(TryEncodeDate(y, m, d, v));
  return v;
}

// A size x size picture of one colour (white is left for the mask).
inline std::unique_ptr<TBitmap> Square(int size, TColor color) {
  auto picture = std::make_unique<TBitmap>(size, size);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) picture->SetPixel(x, y, color);
  return picture;
}

// Whether the control, as the screen shows it now, has a pixel of color
// within r.
inline bool Shows(TControl& control, const TRect& r, TColor color) {
  const auto shot = GrabControl(control);
  for (int y = r.Top; y < r.Bottom; ++y)
    for (int x = r.Left; x < r.Right; ++x)
      if (shot->Pixel(x, y) == color) return true;
  return false;
}

}  // namespace qs::uikit_test
