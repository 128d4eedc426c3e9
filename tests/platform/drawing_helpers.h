#pragma once
// Shared by the drawing tests: reading back what a bitmap shows.
#include <gtest/gtest.h>

#include <string>

#include "platform/bitmap.h"
#include "platform/gui.h"

namespace qs::testing {

// The screen resolution every expected number of these tests assumes.
inline void FixScreen() { SetScreenPixelsPerInch(96); }

class DrawingTest : public ::testing::Test {
 protected:
  void SetUp() override { FixScreen(); }
};

// Smallest rectangle holding every pixel that is not the background;
// Right and Bottom are the last such pixels (inclusive), -1 when none.
inline TRect InkBounds(const TBitmap& b, TColor background = clWhite) {
  TRect r{b.Width(), b.Height(), -1, -1};
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x)
      if (b.Pixel(x, y) != background) {
        r.Left = std::min(r.Left, x);
        r.Top = std::min(r.Top, y);
        r.Right = std::max(r.Right, x);
        r.Bottom = std::max(r.Bottom, y);
      }
  return r;
}

// The bitmap as rows of characters ('.' background, '#' anything else),
// for failure messages.
inline std::string Picture(const TBitmap& b, TColor background = clWhite) {
  std::string s;
  for (int y = 0; y < b.Height(); ++y) {
    for (int x = 0; x < b.Width(); ++x) s += b.Pixel(x, y) == background ? '.' : '#';
    s += '\n';
  }
  return s;
}

}  // namespace qs::testing
