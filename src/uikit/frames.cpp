#include "uikit/frames.h"

#include <memory>

#include "platform/controls.h"

namespace qs {
namespace {

void Line(TCanvas& c, TColor color, int x1, int y1, int x2, int y2) {
  c.Pen().Color = ColorToRGB(color);
  c.Pen().Style = psSolid;
  c.Pen().Width = 1;
  c.MoveTo(x1, y1);
  c.LineTo(x2, y2);
}

// Top-left in one colour, bottom-right in another, just inside r.
void Frame(TCanvas& c, const TRect& r, TColor topLeft, TColor bottomRight) {
  Line(c, topLeft, r.Left, r.Bottom - 1, r.Left, r.Top);
  Line(c, topLeft, r.Left, r.Top, r.Right - 1, r.Top);
  Line(c, bottomRight, r.Right - 1, r.Top, r.Right - 1, r.Bottom - 1);
  Line(c, bottomRight, r.Right - 1, r.Bottom - 1, r.Left - 1, r.Bottom - 1);
}

}  // namespace

void DrawEdge(TCanvas& canvas, const TRect& r, TEdgeKind kind) {
  if (kind == TEdgeKind::Raised)
    Frame(canvas, r, clBtnHighlight, clBtnShadow);
  else
    Frame(canvas, r, clBtnShadow, clBtnHighlight);
}

TRect DrawButtonFrame(TCanvas& canvas, const TRect& r, bool pushed) {
  canvas.Brush().Bitmap.reset();
  canvas.Brush().Style = bsSolid;
  canvas.Brush().Color = ColorToRGB(clBtnFace);
  canvas.FillRect(r);
  if (pushed) {
    Frame(canvas, r, clBtnShadow, clBtnShadow);
    return TRect{r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1};
  }
  Frame(canvas, r, clBtnHighlight, cl3DDkShadow);
  TRect inner{r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1};
  Frame(canvas, inner, cl3DLight, clBtnShadow);
  return TRect{inner.Left + 1, inner.Top + 1, inner.Right - 1, inner.Bottom - 1};
}

void DrawArrow(TCanvas& canvas, const TRect& r, TECArrowStyle style, TColor color) {
  const int cx = (r.Left + r.Right) / 2, cy = (r.Top + r.Bottom) / 2;
  const int s = std::max(2, std::min(r.Width(), r.Height()) / 4);
  canvas.Pen().Color = ColorToRGB(color);
  canvas.Pen().Style = psSolid;
  canvas.Brush().Bitmap.reset();
  canvas.Brush().Style = bsSolid;
  canvas.Brush().Color = ColorToRGB(color);
  switch (style) {
    case asDown: canvas.Polygon({{cx - s, cy - s / 2}, {cx + s, cy - s / 2}, {cx, cy + s / 2}}); break;
    case asUp: canvas.Polygon({{cx - s, cy + s / 2}, {cx + s, cy + s / 2}, {cx, cy - s / 2}}); break;
    case asLeft: canvas.Polygon({{cx + s / 2, cy - s}, {cx + s / 2, cy + s}, {cx - s / 2, cy}}); break;
    case asRight: canvas.Polygon({{cx - s / 2, cy - s}, {cx - s / 2, cy + s}, {cx + s / 2, cy}}); break;
  }
}

void DrawScrollArrow(TCanvas& canvas, const TRect& r, TECArrowStyle style, bool pressed, bool enabled) {
  TRect inside = DrawButtonFrame(canvas, r, pressed);
  if (pressed) inside = TRect{inside.Left + 1, inside.Top + 1, inside.Right + 1, inside.Bottom + 1};
  DrawArrow(canvas, inside, style, enabled ? clBtnText : clGrayText);
}

void UseFont(TCanvas& canvas, const TFont& font) {
  canvas.Font() = font;
  canvas.Font().Color = ColorToRGB(font.Color);
}

TBrush CheckerBrush() {
  static const std::shared_ptr<const TBrushPattern> pattern = [] {
    auto p = std::make_shared<TBrushPattern>();
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 8; ++x) p->Pixels[size_t(y * 8 + x)] = ColorToRGB((x + y) % 2 ? clBtnHighlight : clBtnFace);
    return p;
  }();
  TBrush brush;
  brush.Bitmap = pattern;
  return brush;
}

}  // namespace qs
