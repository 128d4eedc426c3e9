#include "platform/musicglyphs.h"
#include "render/primitives.h"

#include <cmath>

#include "base/mathutil.h"
#include "platform/canvas.h"
#include "render/glyphtext.h"
#include "render/pageobjects.h"
#include "score/calcrecords.h"
#include "score/marks.h"

namespace qs {

TRect ScaleRect(const TQSPaintContext& c, const TRect& r) {
  return TRect{ScaleX(c, r.Left), ScaleY(c, r.Top), ScaleX(c, r.Right), ScaleY(c, r.Bottom)};
}

int ScaleX(const TQSPaintContext& c, int units) { return static_cast<int>(static_cast<long long>(units) * c.ZoomX / 100 / 8); }
int ScaleY(const TQSPaintContext& c, int units) { return static_cast<int>(static_cast<long long>(units) * c.ZoomY / 100 / 8); }

namespace {

void RedPen(TCanvas& canvas) {
  canvas.Pen().Color = clRed;
  canvas.Pen().Width = 1;
}

void HollowRedPen(TCanvas& canvas) {
  RedPen(canvas);
  canvas.Brush().Style = bsClear;
}

void Square(TCanvas& canvas, int x, int y, int h) { canvas.Rectangle(x - h, y - h, x + h, y + h); }

bool InList(const std::vector<TQSCalcItem*>& list, const TQSCalcItem& e) {
  for (auto it = list.rbegin(); it != list.rend(); ++it)
    if ((*it)->Item == e.Item && (*it)->ElementType == e.ElementType && (*it)->Staff == e.Staff) return true;
  return false;
}

}  // namespace

void DrawSelectionFrame(TQSPaintContext& c, const TRect& r) {
  TCanvas& cv = *c.Canvas;
  RedPen(cv);
  const int a = c.Width2;
  cv.Polyline({{r.Left, r.Top + a}, {r.Left, r.Top}, {r.Left + a, r.Top}});
  cv.Polyline({{r.Right - a, r.Top}, {r.Right, r.Top}, {r.Right, r.Top + a}});
  cv.Polyline({{r.Right, r.Bottom - a}, {r.Right, r.Bottom}, {r.Right - a, r.Bottom}});
  cv.Polyline({{r.Left + a, r.Bottom}, {r.Left, r.Bottom}, {r.Left, r.Bottom - a}});
}

void DrawBoxHandles(TQSPaintContext& c, const TRect& r) {
  TCanvas& cv = *c.Canvas;
  HollowRedPen(cv);
  const int H = c.Damped6, h = c.Damped3;
  const int C = (r.Left + r.Right) / 2, M = (r.Top + r.Bottom) / 2;
  cv.Rectangle(r.Left, r.Top, r.Left + H, r.Top + H);
  cv.Rectangle(C - h, r.Top, C + h, r.Top + H);
  cv.Rectangle(r.Right - H, r.Top, r.Right, r.Top + H);
  cv.Rectangle(r.Right - H, M - h, r.Right, M + h);
  cv.Rectangle(r.Right - H, r.Bottom - H, r.Right, r.Bottom);
  cv.Rectangle(C - h, r.Bottom - H, C + h, r.Bottom);
  cv.Rectangle(r.Left, r.Bottom - H, r.Left + H, r.Bottom);
  cv.Rectangle(r.Left, M - h, r.Left + H, M + h);
}

void DrawEndHandles(TQSPaintContext& c, const TRect& r) {
  TCanvas& cv = *c.Canvas;
  HollowRedPen(cv);
  cv.Pen().Style = psSolid;
  Square(cv, r.Left, r.Top, c.Damped3);
  Square(cv, r.Right, r.Bottom, c.Damped3);
}

void DrawLineHandle(TQSPaintContext& c, const TRect& r) {
  TCanvas& cv = *c.Canvas;
  HollowRedPen(cv);
  cv.MoveTo(r.Left, r.Top);
  cv.LineTo(r.Right, r.Bottom);
  Square(cv, r.Right, r.Bottom, c.Damped3);
}

void DrawPointHandle(TQSPaintContext& c, TPoint p) {
  TCanvas& cv = *c.Canvas;
  HollowRedPen(cv);
  cv.Pen().Style = psSolid;
  Square(cv, p.X, p.Y, c.Damped3);
}

bool IsElementSelected(const TQSPaintContext& c, const TQSCalcItem& element) {
  return c.SelList && InList(*c.SelList, element);
}

bool IsPageObjectSelected(const TQSPaintContext& c, const TQSCalcItem& element) {
  return c.Window && InList(c.Window->SelectedPageObjects, element);
}

void DrawFontGlyph(TQSPaintContext& c, int x, int y, std::u16string_view text, uint8_t quality) {
  const TFont& current = c.Canvas->Font();
  TFont font = current;
  font.Width = 0;
  font.Style = current.Style & (fsBold | fsItalic);
  font.Escapement = font.Orientation = 0;
  font.Charset = 1;
  font.Quality = quality;
  WriteAtBaseline(*c.Canvas, font, x, y, text);
}

void DrawAccolade(TQSPaintContext& c, const TQSMark& accolade, const TRect& r) {
  TCanvas& cv = *c.Canvas;
  const TColor color = accolade.Fields.Color;
  const int W1 = c.Width1, W2 = c.Width2, W3 = c.Width3, W4 = c.Width4;
  const int L = r.Left, T = r.Top, B = r.Bottom;
  switch (accolade.Fields.Style) {
    case TQSMark::kAccoladeBracket: {
      cv.Pen() = TPen{color, 1, psSolid, pmCopy};
      cv.Brush().Color = color;
      cv.Brush().Style = bsSolid;
      const int x0 = L + c.Width6;
      cv.Polygon({{x0 + W1, T - W2}, {x0 - W3, T}, {x0 - W4 - W1, T}, {x0 - W4 - W1, B}, {x0 - W3, B},
                  {x0 + W1, B + W2}, {x0 - W3, B - W1}, {x0 - W3, T + W1}});
      break;
    }
    case TQSMark::kAccoladeLine: {
      cv.Pen() = TPen{color, 1, psSolid, pmCopy};
      cv.Brush().Color = color;
      cv.Brush().Style = bsSolid;
      const int x0 = L + W4;
      cv.Polygon({{x0 + W1, T}, {x0 - W3, T}, {x0 - W3, B}, {x0 + W1, B}});
      break;
    }
    default: {
      cv.Brush().Style = bsClear;
      TFont font = cv.Font();
      font.Name = c.MusicFontName;
      font.Color = color;
      font.Style = 0;
      font.Height = 2 * (B - T);  // the cell height: the brace fills half of it
      font.Width = 3 * c.Scale * c.ZoomX / 1000;
      font.Escapement = font.Orientation = 0;
      font.Quality = c.Window && c.Window->Zoom >= 50 ? 4 : 0;
      font.Charset = 1;
      WriteAtBaseline(cv, font, L + W2, (T + B) / 2, MusicGlyph(c, glyphs::Brace));
      break;
    }
  }
}

void DrawEnclosure(TQSPaintContext& c, int style, int x1, int y1, int x2, int y2) {
  static constexpr const char* kPairs[] = {"()", "[]", "{}"};
  if (style < 1 || style > 3) return;
  TCanvas& cv = *c.Canvas;
  cv.Font().Name = c.TextFontName;
  cv.Font().SetSize(c.Font8);
  const char* pair = kPairs[style - 1];
  cv.TextOut(x1, y1, std::string_view(pair, 1));
  cv.TextOut(x2, y2, std::string_view(pair + 1, 1));
}

void DrawArrowHead(TQSPaintContext& c, int x0, int y0, int x1, int y1, int extra) {
  const int dx = x1 - x0 + extra, dy = y1 - y0;
  const double a = dx == 0 ? M_PI / 2 : std::fabs(std::atan(static_cast<double>(dy) / dx));
  const double cs = std::cos(a), sn = std::sin(a);
  const int sx = dx > 0 ? -1 : 1, sy = dy > 0 ? -1 : 1;
  const int l = 5 * c.Scale * c.ZoomX / 10000, w = c.Scale * c.ZoomX / 10000;
  c.Canvas->Polygon({{x1, y1},
                     {x1 + sx * Round(l * cs + w * sn), y1 + sy * Round(l * sn - w * cs)},
                     {x1 + sx * Round(l * cs - w * sn), y1 + sy * Round(l * sn + w * cs)}});
}

void DrawHalfSign(TQSPaintContext& c, int x, int y) {
  TCanvas& cv = *c.Canvas;
  cv.Brush().Style = bsClear;
  cv.TextOut(x - c.Width4, y - c.Width4, std::string_view("1"));
  cv.Pen().Width = c.Width05;
  cv.MoveTo(x - c.Width2, y + c.Width2);
  cv.LineTo(x + c.Width2, y - c.Width2);
  cv.Pen().Width = c.Width1;
  cv.TextOut(x, y, std::string_view("2"));
  cv.Brush().Style = bsSolid;
}

void SystemStartLine(TQSPaintContext& c) {
  TCanvas& cv = *c.Canvas;
  cv.Pen().Width = c.Width1;
  cv.Pen().Color = c.LineColor();
  cv.Pen().Style = psSolid;
  cv.MoveTo(c.SlotLeft, c.SystemTop);
  cv.LineTo(c.SlotLeft, c.LastLineY);
}

void DrawPageObjects(TQSPaintContext& c) {
  if (!c.Page) return;
  for (int i = 0; i < c.Page->PageItemCount; ++i) {
    const TQSCalcItem* e = c.Page->PageItems.At(static_cast<size_t>(i));
    if (!e || e->ElementType != element::Item || !e->Item) continue;
    DrawPageObject(c, *e->Item, e, 0, 0);
  }
}

}  // namespace qs
