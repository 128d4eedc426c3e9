#pragma once
// Integer points, sizes and rectangles in device or layout units.
// A rectangle's right and bottom edges lie outside it, as on the drawing
// device.
#include <algorithm>

namespace qs {

struct TPoint {
  int X = 0, Y = 0;
  bool operator==(const TPoint&) const = default;
};

struct TSize {
  int cx = 0, cy = 0;
  bool operator==(const TSize&) const = default;
};

struct TRect {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
  int Width() const { return Right - Left; }
  int Height() const { return Bottom - Top; }
  bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
  bool Contains(TPoint p) const { return p.X >= Left && p.X < Right && p.Y >= Top && p.Y < Bottom; }
  void Offset(int dx, int dy) { Left += dx; Right += dx; Top += dy; Bottom += dy; }
  bool operator==(const TRect&) const = default;
};

inline TRect Rect(int left, int top, int right, int bottom) { return TRect{left, top, right, bottom}; }
inline TRect Bounds(int left, int top, int width, int height) {
  return TRect{left, top, left + width, top + height};
}
inline bool IntersectRect(TRect& out, const TRect& a, const TRect& b) {
  out = TRect{std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
              std::min(a.Bottom, b.Bottom)};
  if (out.IsEmpty()) {
    out = TRect{};
    return false;
  }
  return true;
}

// Floating-point point for the anti-aliased surface.
struct TPointF {
  float X = 0, Y = 0;
  bool operator==(const TPointF&) const = default;
};

}  // namespace qs
