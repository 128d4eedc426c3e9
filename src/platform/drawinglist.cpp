#include "platform/drawinglist.h"

#include <algorithm>
#include <cmath>

#include "platform/qtfontengine.h"

namespace qs {

namespace {

// Pixels beyond a figure's points that rounding, anti-aliasing and the
// pen's caps may touch.
constexpr int kSlack = 2;
// Far beyond any picture, yet far from overflowing when grown.
constexpr long long kFar = 1 << 29;

struct TBox {
  long long L = kFar, T = kFar, R = -kFar, B = -kFar;
  bool Empty() const { return L > R || T > B; }
  void Add(long long x, long long y) {
    L = std::min(L, x);
    T = std::min(T, y);
    R = std::max(R, x);
    B = std::max(B, y);
  }
  void Add(const TRect& r) {
    Add(r.Left, r.Top);
    Add(r.Right, r.Bottom);
  }
  // Right and bottom one past the last pixel.
  TRect Grown(long long by, TPoint shift) const {
    if (Empty()) return {};
    auto clamp = [](long long v) { return static_cast<int>(std::clamp(v, -kFar, kFar)); };
    return {clamp(L - by + shift.X), clamp(T - by + shift.Y), clamp(R + by + 1 + shift.X),
            clamp(B + by + 1 + shift.Y)};
  }
};

TRect Clipped(const TRect& reach, bool clipped, const TRect& clip) {
  if (!clipped || reach.IsEmpty()) return reach;
  TRect out;
  return IntersectRect(out, reach, clip) ? out : TRect{};
}

TRect CanvasReach(const TCanvasOp& op) {
  TBox box;
  int grow = kSlack;
  if (op.Pen.Style != psClear) grow += std::max(1, op.Pen.Width);
  switch (op.Kind) {
    case TCanvasOpKind::Line:
    case TCanvasOpKind::Polyline:
    case TCanvasOpKind::Polygon:
    case TCanvasOpKind::PolyBezier:  // a curve stays inside its control points
      for (const TPoint& p : op.Points) box.Add(p.X, p.Y);
      break;
    case TCanvasOpKind::Text: {
      if (op.Points.empty()) break;
      const TTextRun run = LayoutText(op.Font, op.Text);
      const TPoint at = op.Points[0];
      // Glyphs may reach out of their cell by up to an em.
      const long long em = std::max<long long>(run.Metric.Height, std::llround(run.EmPixels));
      if (op.Font.Escapement != 0) {
        const long long radius = run.Width + run.Metric.Height + em;
        box.Add(at.X - radius, at.Y - radius);
        box.Add(at.X + radius, at.Y + radius);
      } else {
        box.Add(at.X - em, at.Y - em);
        box.Add(at.X + run.Width + em, at.Y + run.Metric.Height + em);
      }
      if (op.HasRect) box.Add(op.Rect);
      break;
    }
    case TCanvasOpKind::DrawBitmap:
      // Not drawn again from a list (see Redrawable): anywhere.
      box.Add(-kFar, -kFar);
      box.Add(kFar, kFar);
      break;
    default:  // shapes by their rectangle, fills, stretched bitmaps
      box.Add(op.Rect);
      break;
  }
  return Clipped(box.Grown(grow, op.Origin), op.Clipped, op.Clip);
}

bool Fills(TGraphicsOpKind kind) {
  return kind == TGraphicsOpKind::FillRectangle || kind == TGraphicsOpKind::FillEllipse ||
         kind == TGraphicsOpKind::FillPie || kind == TGraphicsOpKind::FillPolygon || kind == TGraphicsOpKind::FillPath;
}

TRect GraphicsReach(const TGraphicsOp& op) {
  const TGMatrix& m = op.Transform;
  TBox box;
  // Coordinates name pixel centres: half a pixel on, rounded outward.
  auto add = [&](float x, float y) {
    const double dx = m.M11 * x + m.M21 * y + m.DX + 0.5, dy = m.M12 * x + m.M22 * y + m.DY + 0.5;
    if (!std::isfinite(dx) || !std::isfinite(dy)) {
      box.Add(-kFar, -kFar);
      box.Add(kFar, kFar);
      return;
    }
    box.Add(static_cast<long long>(std::floor(std::clamp<double>(dx, -kFar, kFar))),
            static_cast<long long>(std::floor(std::clamp<double>(dy, -kFar, kFar))));
    box.Add(static_cast<long long>(std::ceil(std::clamp<double>(dx, -kFar, kFar))),
            static_cast<long long>(std::ceil(std::clamp<double>(dy, -kFar, kFar))));
  };
  for (const TPointF& p : op.Points) add(p.X, p.Y);
  for (const TGraphicsPath::TPathPoint& p : op.Path.Points()) add(p.P.X, p.P.Y);
  if (op.Kind != TGraphicsOpKind::DrawLines && op.Kind != TGraphicsOpKind::DrawPolygon &&
      op.Kind != TGraphicsOpKind::FillPolygon && op.Kind != TGraphicsOpKind::DrawPath &&
      op.Kind != TGraphicsOpKind::FillPath) {
    const TRectF& r = op.Rect;
    add(r.X, r.Y);
    add(r.X + r.Width, r.Y);
    add(r.X, r.Y + r.Height);
    add(r.X + r.Width, r.Y + r.Height);
  }
  double grow = kSlack;
  if (!Fills(op.Kind)) {
    // Mitred corners reach out up to twice half the pen's width.
    const double scale = std::max(std::abs(m.M11) + std::abs(m.M21), std::abs(m.M12) + std::abs(m.M22));
    const double width = std::max(1.0, static_cast<double>(op.Pen.Width) * scale);
    grow += std::isfinite(width) ? std::min<double>(std::ceil(width), kFar) : kFar;
  }
  return Clipped(box.Grown(static_cast<long long>(grow), {}), op.Clipped, op.Clip);
}

bool Meets(const TRect& a, const TRect& b) {
  return a.Left < b.Right && b.Left < a.Right && a.Top < b.Bottom && b.Top < a.Bottom;
}

bool Inside(const TRect& inner, const TRect& outer) {
  return inner.Left >= outer.Left && inner.Top >= outer.Top && inner.Right <= outer.Right &&
         inner.Bottom <= outer.Bottom;
}

}  // namespace

void TDrawingList::Add(const TCanvasOp& op) {
  if (op.Kind == TCanvasOpKind::DrawBitmap || op.Kind == TCanvasOpKind::StretchBitmap) redrawable_ = false;
  reach_.push_back(CanvasReach(op));
  ops_.emplace_back(op);
}

void TDrawingList::Add(const TGraphicsOp& op) {
  reach_.push_back(GraphicsReach(op));
  ops_.emplace_back(op);
}

TRect TDrawingList::ChangedBand(const TDrawingList& before, const TDrawingList& after, int width, int height) {
  const TRect all{0, 0, width, height};
  if (!before.redrawable_ || !after.redrawable_) return all;
  const size_t nb = before.ops_.size(), na = after.ops_.size(), n = std::min(nb, na);
  size_t first = 0;
  while (first < n && before.ops_[first] == after.ops_[first]) ++first;
  if (first == nb && first == na) return {};
  size_t tail = 0;
  while (tail < n - first && before.ops_[nb - 1 - tail] == after.ops_[na - 1 - tail]) ++tail;
  long long top = kFar, bottom = -kFar;
  auto add = [&](const TDrawingList& list, size_t end) {
    for (size_t i = first; i < end; ++i) {
      const TRect& r = list.reach_[i];
      if (r.IsEmpty()) continue;
      top = std::min<long long>(top, r.Top);
      bottom = std::max<long long>(bottom, r.Bottom);
    }
  };
  add(before, nb - tail);
  add(after, na - tail);
  top = std::max<long long>(top, 0);
  bottom = std::min<long long>(bottom, height);
  if (top >= bottom) return {};
  return {0, static_cast<int>(top), width, static_cast<int>(bottom)};
}

void TDrawingList::DrawBand(TDrawDevice& device, const TRect& band) const {
  if (band.IsEmpty()) return;
  for (size_t i = 0; i < ops_.size(); ++i) {
    const TRect& reach = reach_[i];
    if (!Meets(reach, band)) continue;
    const bool whole = Inside(reach, band);
    if (const auto* op = std::get_if<TCanvasOp>(&ops_[i])) {
      if (op->Kind == TCanvasOpKind::DrawBitmap || op->Kind == TCanvasOpKind::StretchBitmap) continue;
      if (whole) {
        device.Draw(*op);
        continue;
      }
      TCanvasOp clipped = *op;
      clipped.Clip = Clipped(band, op->Clipped, op->Clip);
      clipped.Clipped = true;
      device.Draw(clipped);
    } else {
      const TGraphicsOp& g = std::get<TGraphicsOp>(ops_[i]);
      if (whole) {
        device.Draw(g);
        continue;
      }
      TGraphicsOp clipped = g;
      clipped.Clip = Clipped(band, g.Clipped, g.Clip);
      clipped.Clipped = true;
      device.Draw(clipped);
    }
  }
}

void TListingDevice::Draw(const TCanvasOp& op) {
  list_.Add(op);
  if (target_) target_->Draw(op);
}

void TListingDevice::Draw(const TGraphicsOp& op) {
  list_.Add(op);
  if (target_) target_->Draw(op);
}

}  // namespace qs
