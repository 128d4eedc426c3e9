#pragma once
// TQSViewGeometry: where the editing view's pages lie and how its three
// coordinate systems convert: client pixels; canvas pixels (origin at the
// first page's top-left corner, PagePerHorz pages to a row); page units
// (1/8 pixel at zoom 100) inside a page. It reads the zoom and the score
// of the view it belongs to and the ruler band's width, and keeps the
// scroll positions and the page grid; it paints and repaints nothing.
#include <cstdint>
#include <string>
#include <vector>

#include "base/geometry.h"
#include "platform/canvas.h"

namespace qs {

class TQSWindowLink;
class TQSStaff;
struct TQSCalcItem;

// The ruler settings of a view (the rulers themselves are drawn elsewhere);
// the page area starts Width pixels in from the left and top while Visible.
struct TQSRule {
  bool Visible = true;
  int Width = 24;
  // The scale's numbers: Times New Roman, 7 points, black.
  TFont Font = {"Times New Roman", -9};
};

// The state of one of the view's scroll bars: Position runs from 0 to
// Max - PageSize. The view's two TScrollBar controls show it.
struct TQSScrollState {
  int Max = 0;
  int PageSize = 0;
  int Position = 0;
  int LargeChange = 50;
  int SmallChange = 10;
  bool Visible = true;
  int Thickness = 17;  // height of the horizontal bar, width of the vertical
  std::string Hint;
  int Range() const { return Max - PageSize; }
};

class TQSViewGeometry {
 public:
  // view: the zoom and the score; rule: the ruler band before the pages.
  TQSViewGeometry(const TQSWindowLink& view, const TQSRule& rule, int pixelsPerInch);
  TQSViewGeometry(const TQSViewGeometry&) = delete;
  TQSViewGeometry& operator=(const TQSViewGeometry&) = delete;

  TQSScrollState HorzBar, VertBar;
  struct TPageEntry {
    TRect Rect;  // canvas pixels
  };
  std::vector<TPageEntry> PageGrid;  // grown to the page count, never shrunk
  int PageCount = 0;
  int RowCount = 1;
  const int PixelsPerInch;

  int PagePerHorz() const { return pagePerHorz_; }
  // At least one page to a row; false when the value stays.
  bool SetPagePerHorz(int value);
  int RulerWidth() const { return rule_.Visible ? rule_.Width : 0; }

  // The paper of the score's page format in pixels at the zoom.
  TRect PagePixelRect() const;
  // Places the page count's pages in rows of PagePerHorz; in the preview
  // every row lies at the top.
  void ArrangePages(bool preview);
  // A laid-out page's top-left corner on the canvas; (0, 0) for no page.
  TPoint PageOrigin(int index) const;

  TPoint ScreenToPage(TPoint p, int index) const;
  TRect ScreenRectToPage(const TRect& r, int index) const;
  TPoint PageToScreen(TPoint p, int index) const;
  TRect PageRectToScreen(const TRect& r, int index) const;
  // A client point in page units of a page (with 64-bit products).
  TPoint ClientToPageUnits(TPoint p, int index) const;
  int Px(int v) const;  // v x Zoom / 100 / 8
  TRect ScaleRect(const TRect& r) const;
  TRect ScaleRectInflated(const TRect& r) const;
  TPoint ClientToCanvas(TPoint p) const;
  TRect ClientRectToCanvas(const TRect& r) const;

  // The page a layout element is drawn on; -1 for none.
  static int PageOfElement(const TQSCalcItem& e);
  // The element's box on the canvas and on the client.
  TRect ElementCanvasBox(const TQSCalcItem& e, bool second = false) const;
  TRect ElementClientBox(const TQSCalcItem& e, bool second = false) const;
  // What to repaint of an element on the client: its box with a margin.
  TRect ElementRepaintBox(const TQSCalcItem& e) const;
  // The staff space of a staff in pixels at the zoom.
  int StaffSpacePixels(const TQSStaff& staff) const;

 private:
  const TQSWindowLink& view_;
  const TQSRule& rule_;
  int pagePerHorz_ = 1;
};

}  // namespace qs
