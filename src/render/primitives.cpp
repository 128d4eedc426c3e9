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
  const int handleSize = c.Damped6, halfHandle = c.Damped3;
  const int centreX = (r.Left + r.Right) / 2, middleY = (r.Top + r.Bottom) / 2;
  cv.Rectangle(r.Left, r.Top, r.Left + handleSize, r.Top + handleSize);
  cv.Rectangle(centreX - halfHandle, r.Top, centreX + halfHandle, r.Top + handleSize);
  cv.Rectangle(r.Right - handleSize, r.Top, r.Right, r.Top + handleSize);
  cv.Rectangle(r.Right - handleSize, middleY - halfHandle, r.Right, middleY + halfHandle);
  cv.Rectangle(r.Right - handleSize, r.Bottom - handleSize, r.Right, r.Bottom);
  cv.Rectangle(centreX - halfHandle, r.Bottom - handleSize, centreX + halfHandle, r.Bottom);
  cv.Rectangle(r.Left, r.Bottom - handleSize, r.Left + handleSize, r.Bottom);
  cv.Rectangle(r.Left, middleY - halfHandle, r.Left + handleSize, middleY + halfHandle);
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
  const int left = r.Left, top = r.Top, bottom = r.Bottom;
  switch (accolade.Fields.Style) {
    case TQSMark::kAccoladeBracket: {
      cv.Pen() = TPen{color, 1, psSolid, pmCopy};
      cv.Brush().Color = color;
      cv.Brush().Style = bsSolid;
      const int x0 = left + c.Width6;
      cv.Polygon({{x0 + W1, top - W2}, {x0 - W3, top}, {x0 - W4 - W1, top}, {x0 - W4 - W1, bottom}, {x0 - W3, bottom},
                  {x0 + W1, bottom + W2}, {x0 - W3, bottom - W1}, {x0 - W3, top + W1}});
      break;
    }
    case TQSMark::kAccoladeLine: {
      cv.Pen() = TPen{color, 1, psSolid, pmCopy};
      cv.Brush().Color = color;
      cv.Brush().Style = bsSolid;
      const int x0 = left + W4;
      cv.Polygon({{x0 + W1, top}, {x0 - W3, top}, {x0 - W3, bottom}, {x0 + W1, bottom}});
      break;
    }
    default: {
      cv.Brush().Style = bsClear;
      TFont font = cv.Font();
      font.Name = c.MusicFontName;
      font.Color = color;
      font.Style = 0;
      font.Height = 2 * (bottom - top);  // the cell height: the brace fills half of it
      font.Width = 3 * c.Scale * c.ZoomX / 1000;
      font.Escapement = font.Orientation = 0;
      font.Quality = c.Window && c.Window->Zoom >= 50 ? 4 : 0;
      font.Charset = 1;
      WriteAtBaseline(cv, font, left + W2, (top + bottom) / 2, MusicGlyph(c, glyphs::Brace));
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
  cv.Pen().Width = c.HairlinePen;
  cv.MoveTo(x - c.Width2, y + c.Width2);
  cv.LineTo(x + c.Width2, y - c.Width2);
  cv.Pen().Width = c.LinePen;
  cv.TextOut(x, y, std::string_view("2"));
  cv.Brush().Style = bsSolid;
}

void SystemStartLine(TQSPaintContext& c) {
  TCanvas& cv = *c.Canvas;
  cv.Pen().Width = c.LinePen;
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
