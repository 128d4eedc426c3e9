// The view's page grid and the transforms between client pixels, canvas
// pixels and page units.
#include "view/geometry.h"

#include <algorithm>

#include "base/mathutil.h"
#include "score/calcrecords.h"
#include "score/score.h"
#include "score/part.h"

namespace qs {

TQSViewGeometry::TQSViewGeometry(const TQSWindowLink& view, const TQSRule& rule, int pixelsPerInch)
    : PixelsPerInch(pixelsPerInch), view_(view), rule_(rule) {}

bool TQSViewGeometry::SetPagePerHorz(int value) {
  value = std::max(value, 1);  // a grid needs at least one page to a row
  if (value == pagePerHorz_) return false;
  pagePerHorz_ = value;
  return true;
}

// ------------------------------------------------------------ page grid

TRect TQSViewGeometry::PagePixelRect() const {
  const TQSScore* score = view_.Score;
  if (!score) return {};
  const int zoom = view_.Zoom;
  // The paper in screen pixels, rounded after scaling.
  auto pixels = [&](int dimension) {
    const long double v = score->Page.Tenths(dimension) * PixelsPerInch / 254.0L;
    return zoom == 100 ? Round(static_cast<double>(v)) : Round(static_cast<double>(v * zoom / 100));
  };
  return {0, 0, pixels(TQSPage::dWidth), pixels(TQSPage::dHeight)};
}

void TQSViewGeometry::ArrangePages(bool preview) {
  const TRect paper = PagePixelRect();
  const int width = paper.Right, height = paper.Bottom;
  RowCount = 1;
  int x = 0, y = 0, column = 0;
  for (int j = 0; j < PageCount && j < static_cast<int>(PageGrid.size()); ++j) {
    PageGrid[static_cast<size_t>(j)].Rect = {x, y, x + width, y + height};
    if (column < pagePerHorz_ - 1) {
      x += width;
      ++column;
    } else {
      x = 0;
      column = 0;
      ++RowCount;
      if (!preview) y += height;
    }
  }
}

TPoint TQSViewGeometry::PageOrigin(int index) const {
  const TQSScore* score = view_.Score;
  if (!score || index < 0 || index >= score->LaidOutPages || index >= static_cast<int>(PageGrid.size())) return {};
  const TRect& r = PageGrid[static_cast<size_t>(index)].Rect;
  return {r.Left, r.Top};
}

// ------------------------------------------------------------ transforms

TPoint TQSViewGeometry::ScreenToPage(TPoint p, int index) const {
  const TPoint o = PageOrigin(index);
  const int ruler = RulerWidth(), zoom = view_.Zoom;
  return {(p.X + HorzBar.Position - ruler - o.X) * 800 / zoom, (p.Y + VertBar.Position - ruler - o.Y) * 800 / zoom};
}

TRect TQSViewGeometry::ScreenRectToPage(const TRect& r, int index) const {
  const TPoint a = ScreenToPage({r.Left, r.Top}, index), b = ScreenToPage({r.Right, r.Bottom}, index);
  return {a.X, a.Y, b.X, b.Y};
}

TPoint TQSViewGeometry::PageToScreen(TPoint p, int index) const {
  const TPoint o = PageOrigin(index);
  const int ruler = RulerWidth();
  // 64-bit: page units times the zoom leave 32 bits on large pages.
  auto scale = [&](int u) { return static_cast<int>(static_cast<int64_t>(u) * view_.Zoom / 8 / 100); };
  return {scale(p.X) + ruler + o.X - HorzBar.Position, scale(p.Y) + ruler + o.Y - VertBar.Position};
}

TRect TQSViewGeometry::PageRectToScreen(const TRect& r, int index) const {
  const TPoint a = PageToScreen({r.Left, r.Top}, index), b = PageToScreen({r.Right, r.Bottom}, index);
  return {a.X, a.Y, b.X, b.Y};
}

TPoint TQSViewGeometry::ClientToPageUnits(TPoint p, int index) const {
  const TPoint o = PageOrigin(index);
  auto unit = [&](int v, int origin, int scroll) {
    return static_cast<int>(static_cast<int64_t>(v - origin + scroll - RulerWidth()) * 800 / view_.Zoom);
  };
  return {unit(p.X, o.X, HorzBar.Position), unit(p.Y, o.Y, VertBar.Position)};
}

int TQSViewGeometry::Px(int v) const { return static_cast<int>(static_cast<int64_t>(v) * view_.Zoom / 100 / 8); }

TRect TQSViewGeometry::ScaleRect(const TRect& r) const { return {Px(r.Left), Px(r.Top), Px(r.Right), Px(r.Bottom)}; }

TRect TQSViewGeometry::ScaleRectInflated(const TRect& r) const {
  return ScaleRect({r.Left - 32, r.Top - 32, r.Right + 32, r.Bottom + 32});
}

TPoint TQSViewGeometry::ClientToCanvas(TPoint p) const {
  const int ruler = RulerWidth();
  return {p.X + HorzBar.Position - ruler, p.Y + VertBar.Position - ruler};
}

TRect TQSViewGeometry::ClientRectToCanvas(const TRect& r) const {
  const TPoint a = ClientToCanvas({r.Left, r.Top}), b = ClientToCanvas({r.Right, r.Bottom});
  return {a.X, a.Y, b.X, b.Y};
}

// ------------------------------------------------------------ elements

int TQSViewGeometry::PageOfElement(const TQSCalcItem& e) {
  const TQSCalcPage* page = e.PageOf();
  return page ? page->PageIndex : -1;
}

TRect TQSViewGeometry::ElementCanvasBox(const TQSCalcItem& e, bool second) const {
  TRect r = ScaleRect(second ? e.Box2 : e.Box);
  const int page = PageOfElement(e);
  if (page >= 0 && page < static_cast<int>(PageGrid.size())) {
    const TRect& pr = PageGrid[static_cast<size_t>(page)].Rect;
    r.Offset(pr.Left, pr.Top);
  }
  return r;
}

TRect TQSViewGeometry::ElementClientBox(const TQSCalcItem& e, bool second) const {
  TRect r = ElementCanvasBox(e, second);
  r.Offset(RulerWidth() - HorzBar.Position, RulerWidth() - VertBar.Position);
  return r;
}

TRect TQSViewGeometry::ElementRepaintBox(const TQSCalcItem& e) const {
  TRect r = ScaleRectInflated(e.Box);
  const int page = PageOfElement(e);
  if (page >= 0 && page < static_cast<int>(PageGrid.size())) {
    const TRect& pr = PageGrid[static_cast<size_t>(page)].Rect;
    r.Offset(pr.Left, pr.Top);
  }
  r.Offset(RulerWidth() - HorzBar.Position, RulerWidth() - VertBar.Position);
  return r;
}

int TQSViewGeometry::StaffSpacePixels(const TQSStaff& staff) const {
  const TQSScore* score = view_.Score;
  if (!score) return 0;
  const long double q = static_cast<long double>(PixelsPerInch) * score->Page.Tenths(TQSPage::dLineSpace) *
                        score->Scale * staff.Fields.Scale;
  const long double v = staff.Fields.Tablature ? q * 13 / 25400000.0L : q / 2540000.0L;
  return Round(static_cast<double>(v)) * view_.Zoom / 100;
}

}  // namespace qs
