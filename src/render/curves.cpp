// Ties and slurs, tuplet brackets, dynamics and hairpins: the elements
// that go through the anti-aliased surface when there is one.
#include <cmath>
#include <cstdlib>
#include <string>

#include "base/mathutil.h"
#include "platform/graphics.h"
#include "render/measurerenderer.h"
#include "render/primitives.h"
#include "render/surface.h"
#include "score/calcrecords.h"
#include "score/dynamics.h"
#include "score/marks.h"
#include "score/notes.h"

namespace qs {

namespace {

constexpr uint8_t kTupletBelow = 0x10;

TPointF Shifted(TPoint p, int dy) { return {static_cast<float>(p.X), static_cast<float>(p.Y + dy)}; }

}  // namespace

bool TQSMeasureRenderer::DrawTie(const TQSCalcItem& e, const TQSLiga& tie) {
  // A tie takes the colour and voice of the note it starts at.
  const auto* note = dynamic_cast<const TQSNote*>(tie.Owner());
  const TQSItem& subject = note ? static_cast<const TQSItem&>(*note) : tie;
  const TColor color = Begin(e, e.Box2, note ? note->Fields.Color : tie.Fields.Color, TQSActiveTest::StaffVoice,
                             subject);
  // The user's control offsets grow with the square root of the stretch
  // since they were set.
  const TRect& u = e.Box2;
  const double f = e.Param2 <= 0 ? 1.0 : std::sqrt(std::abs(u.Right - u.Left) / static_cast<double>(e.Param2));
  auto offset = [&](int v) { return Round(v * c_.Scale * f / 100); };
  const auto& F = tie.Fields;
  const TPoint p1{box_.Left, box_.Top}, p4{box_.Right, box_.Bottom};
  TPoint c1{ScaleX(c_, u.Left + offset(F.CurveStartDX)), ScaleY(c_, u.Top + offset(F.CurveStartDY))};
  TPoint c2{ScaleX(c_, u.Right + offset(F.CurveEndDX)), ScaleY(c_, u.Bottom + offset(F.CurveEndDY))};
  // A control point dragged beyond the far end comes back into the span.
  if (c1.X > p4.X) c1.X = p1.X + (p4.X - p1.X) / 3;
  if (c2.X < p1.X) c2.X = p1.X + 2 * ((p4.X - p1.X) / 3);
  const bool straight = tie.IsSlide();
  const int thin = RoundRatio(static_cast<long long>(c_.ZoomX) * c_.Scale * size_, 1500000);

  if (TGraphics* g = c_.Graphics) {
    TSurfaceOrigin origin(c_);
    g->SetSmoothingMode(SmoothingModeAntiAlias);
    if (straight) {
      const float width = static_cast<float>(size_ == 100 && c_.Scale == 100 ? c_.HairlinePen : thin);
      g->DrawLine(TGPen{ColorToARGB(color), width}, ToFloat(p1).X, ToFloat(p1).Y, ToFloat(p4).X, ToFloat(p4).Y);
    } else {
      // A crescent: thin at the ends, thickest in the middle, growing away
      // from the notes.
      const int side = c1.Y < p1.Y ? -1 : 1;
      const int end = side * c_.Width05, middle = side * c_.Width15;
      TGraphicsPath path;
      path.AddBezier(ToFloat(p1), ToFloat(c1), ToFloat(c2), ToFloat(p4));
      path.AddLine(ToFloat(p4), Shifted(p4, end));
      path.AddBezier(Shifted(p4, end), Shifted(c2, middle), Shifted(c1, middle), Shifted(p1, end));
      path.AddLine(Shifted(p1, end), ToFloat(p1));
      path.CloseFigure();
      g->FillPath(SolidBrush(ColorToARGB(color)), path);
    }
  } else {
    cv_.Pen().Width = size_ == 100 ? c_.HairlinePen : thin;
    if (straight) cv_.Polyline({p1, p4});
    else cv_.PolyBezier({p1, c1, c2, p4});
  }

  ownSelection_ = true;
  if (IsElementSelected(c_, e)) {
    box_ = ScaleRect(c_, e.Box);
    DrawSelectionFrame(c_, box_);
    DrawEndHandles(c_, {p1.X, p1.Y, p4.X, p4.Y});
    if (!straight) {
      DrawLineHandle(c_, {p1.X, p1.Y, c1.X, c1.Y});
      DrawLineHandle(c_, {p4.X, p4.Y, c2.X, c2.Y});
    }
  }
  return true;
}

bool TQSMeasureRenderer::DrawTuplet(const TQSCalcItem& e, const TQSMark& mark) {
  const TColor color = Begin(e, e.Box2, mark.Fields.Color, TQSActiveTest::StaffVoice, mark);
  const int left = box_.Left, top = box_.Top, right = box_.Right, bottom = box_.Bottom;
  box_ = ScaleRect(c_, e.Box);
  if (left == right) return false;
  slope_ = static_cast<long double>(top - bottom) / (right - left);
  auto across = [&](int dx) { return Round(static_cast<double>(dx * slope_)); };
  const int w1 = W(1), w2 = W(2), w4 = W(4);
  const int e1 = ((bottom - top) * w1) / (left - right), e4 = ((bottom - top) * w4) / (left - right);

  // The number in the gap in the middle of the bracket.
  UseFont(c_.TextFontName, FontK(7));
  const std::string number = std::to_string(mark.Fields.Kind);
  const int gap = cv_.TextWidth(std::string_view(number)) + w2, halfLength = (right - left) / 2, half = gap / 2;
  Text(left + halfLength - half + w1, top - w4 - across(halfLength - half) - e4, number);

  const int xa = left + halfLength - half, ya = top - across(halfLength - half);
  const int xb = left + halfLength + half, yb = top - across(halfLength + half);
  // Hooks point toward the notes: down for a bracket above them.
  const int v = (mark.Fields.Style & kTupletBelow) ? -1 : 1;
  if (TGraphics* g2 = c_.Graphics) {
    TSurfaceOrigin origin(c_);
    g2->SetSmoothingMode(SmoothingModeAntiAlias);
    const TGPen pen{ColorToARGB(color), static_cast<float>(c_.LinePen)};
    g2->DrawLines(pen, ToFloat({{left, top + v * w4}, {left, top}, {xa, ya}}));
    g2->DrawLines(pen, ToFloat({{right, bottom + v * w4}, {right, bottom}, {xb, yb}}));
  } else {
    FillPolygon({{left, top + v * w4}, {left, top}, {xa, ya}, {xa, ya + v * c_.Width1},
                 {left + w1, top + v * (w1 - e1)},
                 {left + w1, top + v * w4}});
    FillPolygon({{right, bottom + v * w4}, {right, bottom}, {xb, yb}, {xb, yb + v * c_.Width1},
                 {right - w1, bottom + v * (w1 + e1)},
                 {right - w1, bottom + v * w4}});
  }
  return true;
}

bool TQSMeasureRenderer::DrawDynamics(const TQSCalcItem& e, const TQSMark& mark) {
  const TColor color = Begin(e, e.Box, mark.Fields.Color, TQSActiveTest::Voice, mark);
  const int kind = mark.Fields.Kind;
  if (dynamic::IsLetterKind(kind)) {
    UseMusicFont(FontK(16));
    Glyph(box_.Left, box_.Top + W(6), static_cast<uint8_t>(dynamic::kFirstGlyph + kind), c_.GlyphQuality);
    return true;
  }
  // Other kinds show nothing but their selection.
  if (!dynamic::IsHairpinKind(kind)) return true;
  const int lineWidth = W(1);
  const int left = box_.Left + lineWidth, right = box_.Right - lineWidth;
  const int top = box_.Top + lineWidth, bottom = box_.Bottom - lineWidth;
  // The open end and the tip.
  const int open = kind == dynamic::kCrescendo ? right : left, tip = kind == dynamic::kCrescendo ? left : right;
  const TPoint points[3] = {{open, top}, {tip, Mid()}, {open, bottom}};
  if (TGraphics* g = c_.Graphics) {
    const int saved = cv_.SaveDC();
    {
      TSurfaceOrigin origin(c_);
      g->SetSmoothingMode(SmoothingModeAntiAlias);
      g->DrawLines(TGPen{ColorToARGB(color), static_cast<float>(lineWidth)},
                   ToFloat({points[0], points[1], points[2]}));
    }
    cv_.RestoreDC(saved);
  } else {
    cv_.Pen().Width = lineWidth;
    cv_.Polyline({points[0], points[1], points[2]});
  }
  hasHandle_ = true;
  handle_ = {box_.Right, Mid()};
  return true;
}

}  // namespace qs
