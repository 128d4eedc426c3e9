// Free page objects: texts, pictures, lines, rectangles and ellipses,
// arcs, pies and chord segments, page marks.
#include "render/pageobjects.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "base/mathutil.h"
#include "base/text.h"
#include "platform/bitmap.h"
#include "platform/canvas.h"
#include "platform/graphics.h"
#include "platform/imagedecode.h"
#include "render/primitives.h"
#include "render/surface.h"
#include "render/textblock.h"
#include "score/calcrecords.h"
#include "score/pageobjects.h"

namespace qs {

int RadialAngle(TPoint centre, TPoint p) {
  const int dx = p.X - centre.X, dy = p.Y - centre.Y;
  // Straight above the centre (y grows downward) is 270, below it 90.
  if (dx == 0) return dy < 0 ? 270 : 90;
  int a = Round(std::atan(static_cast<double>(dy) / dx) * 180 / M_PI);
  if (dx < 0) a += 180;
  else if (dy < 0) a += 360;
  return a;
}

namespace {

// Fill style byte: 0 solid, 1 none, 2 and up the hatch patterns in the
// canvas's order; values past the last pattern fill nothing.
TBrushStyle FillBrushStyle(uint8_t fill) { return fill <= bsDiagCross ? static_cast<TBrushStyle>(fill) : bsClear; }
bool Fills(uint8_t fill) { return FillBrushStyle(fill) != bsClear; }
TGBrush SurfaceBrush(TColor color, uint8_t fill) {
  if (fill == 0) return SolidBrush(ColorToARGB(color));
  return HatchBrush(static_cast<THatchStyle>(fill - 2), ColorToARGB(color), 0xFFFFFFFF);
}

TPenStyle CanvasPenStyle(uint8_t style) { return style <= psInsideFrame ? static_cast<TPenStyle>(style) : psSolid; }

// Sets the canvas font from a stored face, point size and style: 0 points
// mean 8; on screen the size follows the vertical zoom.
void UseObjectFont(const TQSPaintContext& c, const std::string& name, int size, uint8_t style, TColor color) {
  TFont& f = c.Canvas->Font();
  f.Name = name.empty() ? "Arial" : name;
  if (size == 0) size = 8;
  f.SetSize(c.Style == wsPrint ? size : size * c.ZoomY / 100);
  f.Style = style & (fsBold | fsItalic | fsUnderline | fsStrikeOut);
  f.Color = color;
  c.Canvas->Brush().Style = bsClear;
}

TRect Moved(TRect r, int dx, int dy) { return {r.Left + dx, r.Top + dy, r.Right + dx, r.Bottom + dy}; }

// A stored position and size in layout units as a pixel box.
TRect UnitBox(const TQSPaintContext& c, int x, int y, int w, int h, int dx, int dy) {
  return Moved(ScaleRect(c, {x, y, x + w, y + h}), dx, dy);
}

class TPageObjectPainter {
 public:
  TPageObjectPainter(TQSPaintContext& c, const TQSCalcItem* element, int dx, int dy)
      : c_(c), cv_(*c.Canvas), e_(element), dx_(dx), dy_(dy) {}

  void Draw(const TQSItem& item);

 private:
  TRect ElementBox(int x, int y, int w, int h) const {
    return e_ ? Moved(ScaleRect(c_, e_->Box), dx_, dy_) : UnitBox(c_, x, y, w, h, dx_, dy_);
  }
  TPoint Point(int x, int y) const { return {ScaleX(c_, x) + dx_, ScaleY(c_, y) + dy_}; }
  float SurfaceWidth(int lineWidth) const { return static_cast<float>(lineWidth) * c_.Scale * c_.ZoomX / 10000; }

  bool DrawText(const TQSText& text);
  void DrawImage(const TQSImage& image);
  void DrawLine(const TQSLine& line);
  void DrawEnd(TQSLineEnd shape, TColor color, TPoint at, int sign, int ex, int ey, double cs, double sn);
  void DrawShape(const TQSRectangle& shape);
  void DrawArc(const TQSArc& arc);
  void DrawPageMark(const TQSPageMark& mark);

  TQSPaintContext& c_;
  TCanvas& cv_;
  const TQSCalcItem* e_;
  int dx_, dy_;
};

void TPageObjectPainter::Draw(const TQSItem& item) {
  const bool selected = e_ && IsPageObjectSelected(c_, *e_);
  const TRect handles = e_ ? Moved(ScaleRect(c_, e_->Box), dx_, dy_) : TRect{};
  switch (item.ItemType) {
    case kind::Text:
      if (auto* text = dynamic_cast<const TQSText*>(&item); text && DrawText(*text)) return;  // edited: no handles
      break;
    case kind::Image:
      if (auto* image = dynamic_cast<const TQSImage*>(&item)) DrawImage(*image);
      break;
    case kind::Line:
      if (auto* line = dynamic_cast<const TQSLine*>(&item)) {
        DrawLine(*line);
        if (selected) {
          const TPoint a = Point(line->Fields.X1, line->Fields.Y1), b = Point(line->Fields.X2, line->Fields.Y2);
          DrawEndHandles(c_, {a.X, a.Y, b.X, b.Y});
        }
      }
      return;
    case kind::Rectangle:
    case kind::Ellipse:
      if (auto* shape = dynamic_cast<const TQSRectangle*>(&item)) DrawShape(*shape);
      break;
    case kind::Arc:
    case kind::Pie:
    case kind::ChordSegment:
      if (auto* arc = dynamic_cast<const TQSArc*>(&item)) {
        DrawArc(*arc);
        if (selected) {
          DrawBoxHandles(c_, handles);
          const auto& f = arc->Fields;
          const TRect box = UnitBox(c_, f.X, f.Y, f.Width, f.Height, dx_, dy_);
          const TPoint centre{(box.Left + box.Right) / 2, (box.Top + box.Bottom) / 2};
          const TPoint a = Point(f.AX, f.AY), b = Point(f.BX, f.BY);
          DrawLineHandle(c_, {centre.X, centre.Y, a.X, a.Y});
          DrawLineHandle(c_, {centre.X, centre.Y, b.X, b.Y});
        }
      }
      return;
    case kind::PageMark:
      if (auto* mark = dynamic_cast<const TQSPageMark*>(&item)) DrawPageMark(*mark);
      break;
    default:
      return;
  }
  if (selected) DrawBoxHandles(c_, handles);
}

// Returns true when the text is the one under in-place editing.
bool TPageObjectPainter::DrawText(const TQSText& text) {
  const auto& f = text.Fields;
  const bool edited = e_ && c_.Window && c_.Window->EditedElement == e_;
  UseObjectFont(c_, text.FontName, f.FontSize, f.FontStyle, f.Color);
  TTextBlock block;
  for (const std::string& line : text.Lines) block.Lines.push_back(Utf8ToUtf16(line));
  block.Alignment = (f.Align >> 4) & 3;
  block.Angle = f.Angle;
  block.Color = f.Color;
  block.SignFont = c_.MusicFontName;
  if (edited) block.Edit = &c_.Window->EditSelection;
  DrawTextBlock(cv_, ElementBox(f.X, f.Y, f.Width, f.Height), block);
  cv_.Font().Style = 0;
  return edited;
}

void TPageObjectPainter::DrawImage(const TQSImage& image) {
  if (image.Picture.Empty()) return;
  TBitmap picture;
  if (!LoadBitmapFromBytes(picture, image.Picture.Data())) return;
  const auto& f = image.Fields;
  picture.Transparent = (f.Flags & TQSImage::kTransparent) != 0;
  TRect box = ElementBox(f.X, f.Y, f.Width, f.Height);
  if ((f.Flags & TQSImage::kCenter) && !(f.Flags & TQSImage::kStretch)) {
    // At its own size, zoomed, in the middle of the box.
    const int w = picture.Width() * c_.ZoomX / 100, h = picture.Height() * c_.ZoomY / 100;
    const int sumX = box.Left + box.Right, sumY = box.Top + box.Bottom;
    box = {(sumX - w) / 2, (sumY - h) / 2, (sumX + w) / 2, (sumY + h) / 2};
  }
  cv_.StretchDraw(box, picture);
}

void TPageObjectPainter::DrawLine(const TQSLine& line) {
  const auto& f = line.Fields;
  const TPoint a = Point(f.X1, f.Y1), b = Point(f.X2, f.Y2);
  TGraphics* g = c_.Graphics;
  if (g) {
    TSurfaceOrigin origin(c_);
    g->SetSmoothingMode(SmoothingModeAntiAlias);
    if (DrawsOutline(f.PenStyle))
      g->DrawLine(SurfacePen(f.Color, SurfaceWidth(f.LineWidth), f.PenStyle), static_cast<float>(a.X),
                  static_cast<float>(a.Y), static_cast<float>(b.X), static_cast<float>(b.Y));
  } else {
    cv_.Pen() = TPen{f.Color, f.LineWidth * c_.Scale * c_.ZoomX / 10000, CanvasPenStyle(f.PenStyle), pmCopy};
    cv_.MoveTo(a.X, a.Y);
    cv_.LineTo(b.X, b.Y);
    cv_.Pen() = TPen{f.Color, 1, psSolid, pmCopy};
    cv_.Brush().Color = f.Color;
    cv_.Brush().Style = bsSolid;
  }
  const TQSLineEnd start = line.StartShape(), end = line.EndShape();
  if (start == TQSLineEnd::None && end == TQSLineEnd::None) return;
  // The direction of the line, folded into the first quadrant, and the
  // signs that turn the shapes toward the line's inside.
  const int ddx = a.X - b.X, ddy = a.Y - b.Y;
  const double angle = ddx == 0 ? M_PI / 2 : std::fabs(std::atan(static_cast<double>(ddy) / ddx));
  const int ex = ddx < 1 ? 1 : -1, ey = ddy < 1 ? 1 : -1;
  DrawEnd(start, f.Color, a, 1, ex, ey, std::cos(angle), std::sin(angle));
  DrawEnd(end, f.Color, b, -1, ex, ey, std::cos(angle), std::sin(angle));
}

void TPageObjectPainter::DrawEnd(TQSLineEnd shape, TColor color, TPoint at, int sign, int ex, int ey, double cs, double sn) {
  if (shape != TQSLineEnd::Arrow && shape != TQSLineEnd::Dot && shape != TQSLineEnd::Diamond) return;
  TGraphics* g = c_.Graphics;
  // Arrow length and half width, dot length, diamond's far point.
  const int length = g ? (shape == TQSLineEnd::Diamond ? c_.Width3 : c_.Width6)
                  : (shape == TQSLineEnd::Diamond ? c_.Damped5 : c_.Damped10);
  const int halfWidth = g ? c_.Width2 : c_.Damped3;
  const int dotLength = g ? c_.Width4 : c_.Damped6;
  const int farPoint = g ? c_.Width7 : c_.Damped10;
  auto at2 = [&](double x, double y) { return TPoint{at.X + sign * ex * Round(x), at.Y + sign * ey * Round(y)}; };
  const TPoint side1 = at2(cs * length + sn * halfWidth, sn * length - cs * halfWidth),
               side2 = at2(cs * length - sn * halfWidth, sn * length + cs * halfWidth);
  if (shape == TQSLineEnd::Dot) {
    const TPoint p = at2(-sn * halfWidth, -cs * halfWidth),
                 q = at2(cs * dotLength + sn * halfWidth, sn * dotLength + cs * halfWidth);
    const TRect r{std::min(p.X, q.X), std::min(p.Y, q.Y), std::max(p.X, q.X), std::max(p.Y, q.Y)};
    if (g) {
      TSurfaceOrigin origin(c_);
      const TRectF fr = ToFloat(r);
      g->FillEllipse(SolidBrush(ColorToARGB(color)), fr.X, fr.Y, fr.Width, fr.Height);
    } else {
      cv_.Ellipse(r);
    }
    return;
  }
  std::vector<TPoint> points{at, side1};
  if (shape == TQSLineEnd::Diamond) points.push_back(at2(cs * farPoint, sn * farPoint));
  points.push_back(side2);
  if (g) {
    TSurfaceOrigin origin(c_);
    std::vector<TPointF> fp;
    for (TPoint p : points) fp.push_back(ToFloat(p));
    g->FillPolygon(SolidBrush(ColorToARGB(color)), fp);
  } else {
    cv_.Polygon(points);
  }
}

void TPageObjectPainter::DrawShape(const TQSRectangle& shape) {
  const auto& f = shape.Fields;
  const bool ellipse = shape.ItemType == kind::Ellipse;
  const TRect box = UnitBox(c_, f.X, f.Y, f.Width, f.Height, dx_, dy_);
  if (TGraphics* g = c_.Graphics) {
    TSurfaceOrigin origin(c_);
    g->SetSmoothingMode(SmoothingModeAntiAlias);
    const TRectF r = ToFloat(box);
    if (Fills(f.FillStyle)) {
      const TGBrush brush = SurfaceBrush(f.FillColor, f.FillStyle);
      if (ellipse) g->FillEllipse(brush, r.X, r.Y, r.Width, r.Height);
      else g->FillRectangle(brush, r.X, r.Y, r.Width, r.Height);
    }
    if (DrawsOutline(f.PenStyle)) {
      const TGPen pen = SurfacePen(f.LineColor, SurfaceWidth(f.LineWidth), f.PenStyle);
      if (ellipse) g->DrawEllipse(pen, r.X, r.Y, r.Width, r.Height);
      else g->DrawRectangle(pen, r.X, r.Y, r.Width, r.Height);
    }
    return;
  }
  cv_.Pen() = TPen{f.LineColor, c_.LinePen, CanvasPenStyle(f.PenStyle), pmCopy};
  cv_.Brush().Color = f.FillColor;
  cv_.Brush().Style = FillBrushStyle(f.FillStyle);
  if (ellipse) cv_.Ellipse(box);
  else cv_.Rectangle(box);
  cv_.Pen().Style = psSolid;
}

void TPageObjectPainter::DrawArc(const TQSArc& arc) {
  const auto& f = arc.Fields;
  const TRect box = UnitBox(c_, f.X, f.Y, f.Width, f.Height, dx_, dy_);
  const TPoint a = Point(f.AX, f.AY), b = Point(f.BX, f.BY);
  TGraphics* g = c_.Graphics;
  // A chord segment has no counterpart on the surface.
  if (g && arc.ItemType != kind::ChordSegment) {
    TSurfaceOrigin origin(c_);
    g->SetSmoothingMode(SmoothingModeAntiAlias);
    const TPoint centre{(box.Left + box.Right) / 2, (box.Top + box.Bottom) / 2};
    const int start = RadialAngle(centre, b);
    int sweep = RadialAngle(centre, a) - start;
    if (sweep < 0) sweep += 360;
    const TRectF r = ToFloat(box);
    if (arc.ItemType == kind::Pie && Fills(f.FillStyle))
      g->FillPie(SurfaceBrush(f.FillColor, f.FillStyle), r.X, r.Y, r.Width, r.Height, static_cast<float>(start),
                 static_cast<float>(sweep));
    if (DrawsOutline(f.PenStyle)) {
      const TGPen pen = SurfacePen(f.LineColor, SurfaceWidth(f.LineWidth), f.PenStyle);
      if (arc.ItemType == kind::Pie)
        g->DrawPie(pen, r.X, r.Y, r.Width, r.Height, static_cast<float>(start), static_cast<float>(sweep));
      else
        g->DrawArc(pen, r.X, r.Y, r.Width, r.Height, static_cast<float>(start), static_cast<float>(sweep));
    }
    return;
  }
  const int width = f.LineWidth == 0 ? c_.Width1 : f.LineWidth * c_.ZoomX / 100;
  cv_.Pen() = TPen{f.LineColor, width, CanvasPenStyle(f.PenStyle), pmCopy};
  cv_.Brush().Color = f.FillColor;
  cv_.Brush().Style = FillBrushStyle(f.FillStyle);
  switch (arc.ItemType) {
    case kind::Arc: cv_.Arc(box.Left, box.Top, box.Right, box.Bottom, a.X, a.Y, b.X, b.Y); break;
    case kind::Pie: cv_.Pie(box.Left, box.Top, box.Right, box.Bottom, a.X, a.Y, b.X, b.Y); break;
    default: cv_.Chord(box.Left, box.Top, box.Right, box.Bottom, a.X, a.Y, b.X, b.Y); break;
  }
  cv_.Pen().Style = psSolid;
}

void TPageObjectPainter::DrawPageMark(const TQSPageMark& mark) {
  // The text (page number or date) is the layout's.
  if (!e_ || e_->Text.empty()) return;
  const auto& f = mark.Fields;
  UseObjectFont(c_, mark.FontName, f.FontSize, f.FontStyle, f.Color);
  TTextBlock block;
  block.Lines.push_back(Utf8ToUtf16(e_->Text));
  block.Angle = f.Angle;
  block.Color = f.Color;
  DrawTextBlock(cv_, ElementBox(f.X, f.Y, f.Width, f.Height), block);
  cv_.Font().Style = 0;
}

}  // namespace

void DrawPageObject(TQSPaintContext& c, const TQSItem& item, const TQSCalcItem* element, int dx, int dy) {
  if (!c.Canvas) return;
  TPageObjectPainter(c, element, dx, dy).Draw(item);
}

}  // namespace qs
