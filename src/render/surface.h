#pragma once
// Drawing through the anti-aliased surface from the steps of this folder:
// its page offset, float points and the pen styles of stored objects.
#include <initializer_list>
#include <vector>

#include "base/geometry.h"
#include "platform/canvas.h"
#include "platform/graphics.h"
#include "render/paintcontext.h"

namespace qs {

// The surface places what it draws with its own transform: the canvas's
// page origin is taken off while it draws and put back afterwards.
class TSurfaceOrigin {
 public:
  explicit TSurfaceOrigin(const TQSPaintContext& c) : c_(c) { c_.Canvas->SetViewportOrg(0, 0); }
  ~TSurfaceOrigin() { c_.Canvas->SetViewportOrg(c_.OffsetX, c_.OffsetY); }
  TSurfaceOrigin(const TSurfaceOrigin&) = delete;
  TSurfaceOrigin& operator=(const TSurfaceOrigin&) = delete;

 private:
  const TQSPaintContext& c_;
};

inline TPointF ToFloat(TPoint p) { return {static_cast<float>(p.X), static_cast<float>(p.Y)}; }
inline std::vector<TPointF> ToFloat(std::initializer_list<TPoint> points) {
  std::vector<TPointF> out;
  for (TPoint p : points) out.push_back(ToFloat(p));
  return out;
}
inline TRectF ToFloat(const TRect& r) {
  return {static_cast<float>(r.Left), static_cast<float>(r.Top), static_cast<float>(r.Right - r.Left),
          static_cast<float>(r.Bottom - r.Top)};
}

// A surface pen of a stored pen style (the canvas's ordinals). The clear
// style has no dash pattern on the surface; the caller draws no outline
// for it, as the canvas does.
inline TGPen SurfacePen(TColor color, float width, uint8_t penStyle) {
  const TDashStyle dash = penStyle <= psDashDotDot ? static_cast<TDashStyle>(penStyle) : DashStyleSolid;
  return TGPen{ColorToARGB(color), width, dash};
}
inline bool DrawsOutline(uint8_t penStyle) { return penStyle != psClear; }

}  // namespace qs
