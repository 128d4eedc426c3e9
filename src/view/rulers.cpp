// The rulers along the top and left edges of the view: page margins, a
// scale in inches, centimetres or pixels, the bookmarks, and five markers
// tied to the input cursor whose drags change the manual spacing.
#include <algorithm>
#include <cmath>

#include "platform/canvas.h"
#include "platform/gui.h"
#include "score/calcrecords.h"
#include "score/metrix.h"
#include "score/part.h"
#include "score/piece.h"
#include "score/score.h"
#include "score/slot.h"
#include "score/spacing.h"
#include "view/window.h"

namespace qs {

namespace {

constexpr TColor kBandFace = 0xF0F0F0;
constexpr TColor kGrey = 0x808080;
constexpr TColor kInfoBack = 0xE1FFFF;

// Shapes of the marker image: apex up, apex down, apex right.
enum { kApexUp = 1, kApexDown = 2, kApexRight = 4 };

TBrush Solid(TColor color) {
  TBrush brush;
  brush.Color = color;
  brush.Style = bsSolid;
  return brush;
}

int Shape(int marker) { return marker == 3 ? kApexRight : marker == 4 ? kApexUp : kApexDown; }

}  // namespace

// ------------------------------------------------------------ positions

void TQSWindow::UpdateRulerMarkers() {
  const TQSPiece* piece = ActivePiece();
  const TQSCursorPosition& c = CursorPosition;
  if (!Score || !piece || c.Measure < 0 || c.Measure >= static_cast<int>(piece->Slots.size())) return;
  const auto* slot = dynamic_cast<const TQSCalcMeasure*>(piece->Slots[static_cast<size_t>(c.Measure)]);
  if (!slot || !slot->System || !slot->System->PageRecord) return;
  const TQSCalcSystem& system = *slot->System;
  const TQSCalcPage& page = *system.PageRecord;
  const TQSCalcSystemPart* sp = system.Parts.At(c.Part);
  if (!sp || sp->System != &system) return;
  const int rowIndex = sp->FirstRow + c.Staff;
  const TQSCalcStaff* row = rowIndex < page.StaffRowCount ? page.StaffRows.At(rowIndex) : nullptr;
  if (!row || page.PageIndex >= static_cast<int>(geometry_.PageGrid.size())) return;
  const TRect& pr = geometry_.PageGrid[static_cast<size_t>(page.PageIndex)].Rect;
  const int r = Rule.Width;
  // The manual space after the measure, as the view style keeps it.
  const TQSSpacingTable* after = nullptr;
  if (Score->ViewStyle == TQSViewStyle::vsPart) {
    if (const TQSPart* part = ActivePart()) after = &part->Spacing.SpaceAfter;
  } else {
    after = &piece->Spacing.SpaceAfter;
  }
  const int space = after && c.Measure < static_cast<int>(after->size()) ? (*after)[static_cast<size_t>(c.Measure)] : 0;
  const int tick = std::clamp(c.Tick, 0, std::max(0, static_cast<int>(slot->Positions.size()) - 1));
  const int offset = slot->Positions.empty() ? 0 : slot->Positions[static_cast<size_t>(tick)];
  RulerMarkers[0] = geometry_.Px(row->Left) + r + pr.Left;
  RulerMarkers[1] = geometry_.Px(row->Right) + r + pr.Left;
  RulerMarkers[2] = geometry_.Px(row->Top) + r + pr.Top;
  RulerMarkers[3] = geometry_.Px(slot->Box.Right + space) + r + pr.Left;
  RulerMarkers[4] = geometry_.Px(slot->Box.Left + offset) + r + pr.Left;
}

void TQSWindow::RefreshRulerMarkers() {
  if (!Score || !HasParent()) return;
  const TQSCalcPage* page = LayoutPage(CursorPosition.Page);
  if (!page || page->SystemCount == 0) return;
  const std::array<int, 5> old = RulerMarkers;
  UpdateRulerMarkers();
  // Hidden rulers have nothing to repaint; their strips are page area then.
  if (!Rule.Visible) return;
  const int r = Rule.Width, h = geometry_.HorzBar.Position, v = geometry_.VertBar.Position;
  for (int i = 0; i < 5; ++i) {
    if (old[static_cast<size_t>(i)] == RulerMarkers[static_cast<size_t>(i)]) continue;
    for (int m : {old[static_cast<size_t>(i)], RulerMarkers[static_cast<size_t>(i)]}) {
      if (i == 2) InvalidateClient({2, m - v - 5, r, m - v + 5}, false);
      else InvalidateClient({m - h - (i == 0 ? 4 : 5), 2, m - h + 5, r}, false);
    }
  }
}

int TQSWindow::RulerMarkerAt(int x, int y) const {
  if (!Rule.Visible) return 0;
  const int r = Rule.Width, hx = x + geometry_.HorzBar.Position, vy = y + geometry_.VertBar.Position;
  const auto& m = RulerMarkers;
  const TRect boxes[] = {{m[0] - 4, 2, m[0] + 5, r / 2}, {m[1] - 5, 2, m[1] + 5, r / 2},
                         {m[3] - 5, r / 2, m[3] + 5, r}, {m[4] - 5, 2, m[4] + 5, r / 2}};
  const int numbers[] = {1, 2, 4, 5};
  for (int i = 0; i < 4; ++i)
    if (y <= r && hx >= boxes[i].Left && hx < boxes[i].Right && y >= boxes[i].Top && y < boxes[i].Bottom)
      return numbers[i];
  if (x <= r && x >= 2 && x < r && vy >= m[2] - 5 && vy < m[2] + 5) return 3;
  return 0;
}

// ------------------------------------------------------------ painting

void TQSWindow::DrawRulerMarker(TCanvas& canvas, int x, int y, bool grey, int shape) {
  if (!Rule.Visible) return;
  const int level = canvas.SaveDC();
  const int r = Rule.Width;
  if (shape == kApexRight) {
    canvas.IntersectClipRect({0, r, r, ClientHeight() - geometry_.HorzBar.Thickness});
    canvas.SetViewportOrg(0, -geometry_.VertBar.Position);
  } else {
    canvas.IntersectClipRect({r, 0, ClientWidth() - geometry_.VertBar.Thickness, r});
    canvas.SetViewportOrg(-geometry_.HorzBar.Position, 0);
  }
  canvas.Pen() = TPen{grey ? kGrey : clBlack, 1, psSolid, pmCopy};
  canvas.Brush() = Solid(kBandFace);
  auto at = [&](int dx, int dy) { return TPoint{x + dx, y + dy}; };
  switch (shape) {
    case kApexUp: canvas.Polygon({at(0, 8), at(8, 8), at(8, 4), at(4, 0), at(0, 4)}); break;
    case kApexDown: canvas.Polygon({at(0, 0), at(8, 0), at(8, 4), at(4, 8), at(0, 4)}); break;
    default: canvas.Polygon({at(0, 0), at(4, 0), at(8, 4), at(4, 8), at(0, 8)}); break;
  }
  if (!grey) {
    // A highlight inside the upper-left edges.
    canvas.Pen().Color = clWhite;
    switch (shape) {
      case kApexUp: canvas.Polyline({at(1, 7), at(1, 5), at(4, 2)}); break;
      case kApexDown: canvas.Polyline({at(1, 3), at(1, 1), at(7, 1)}); break;
      default: canvas.Polyline({at(1, 7), at(1, 1), at(3, 1)}); break;
    }
  }
  canvas.RestoreDC(level);
}

void TQSWindow::DrawRulers(TCanvas& canvas, bool noClip, const TRect& area) {
  if (!Score || !Rule.Visible) return;
  const int r = Rule.Width, h = geometry_.HorzBar.Position, v = geometry_.VertBar.Position;
  TQSPage& format = Score->Page;
  const TQSMetrix metrix = format.Metrix();
  // Page measures in pixels at the zoom.
  format.SwitchMetrix(TQSMetrix::rmPixels);
  auto zoomed = [&](long double value) {
    return static_cast<int>(std::lround(Zoom == 100 ? value : value * Zoom / 100));
  };
  const int lm = zoomed(format.LeftMargin()), tm = zoomed(format.TopMargin());
  const int re = zoomed(format.Width() - format.RightMargin()), be = zoomed(format.Height() - format.BottomMargin());
  const int w = zoomed(format.Width()), hh = zoomed(format.Height());
  format.RestoreMetrix();

  canvas.Brush() = Solid(kBandFace);
  canvas.FillRect({0, 0, area.Right, r});
  canvas.FillRect({0, 0, r, area.Bottom});
  const int unit = metrix == TQSMetrix::rmInches ? 254 : 100;
  canvas.Pen() = TPen{clBlack, 1, psSolid, pmCopy};
  canvas.Font() = Rule.Font;
  const int th = canvas.TextHeight(std::string_view("A"));
  // Mark n of the scale, in pixels from the page edge.
  auto mark = [&](int n) {
    if (metrix == TQSMetrix::rmPixels) return n * Zoom;
    return static_cast<int>(std::lround(n * unit * Zoom / (254.0 / qs::ScreenPixelsPerInch()) / 100.0));
  };
  auto dot = [&](int x, int y) {
    canvas.MoveTo(x, y);
    canvas.LineTo(x + 1, y);
  };
  const int md = MarkerDrag;
  if (md == 0 || md == 1 || md == 2 || md == 4 || md == 5) {
    for (int i = 0; i < geometry_.PagePerHorz(); ++i) {
      // Each page column where the page grid puts it.
      const int x0 = i < static_cast<int>(geometry_.PageGrid.size())
                         ? geometry_.PageGrid[static_cast<size_t>(i)].Rect.Left
                         : i * w;
      if (!(area.Right >= x0 - h && r < x0 - h + w)) continue;
      const int level = canvas.SaveDC();
      if (!noClip) canvas.IntersectClipRect({r, 0, area.Right, r});
      canvas.SetViewportOrg(x0 - h, 0);
      canvas.Brush() = Solid(kGrey);
      canvas.FillRect({r, 5, r + lm - 1, r - 5});
      canvas.FillRect({r + re + 1, 5, r + w, r - 5});
      canvas.Brush() = Solid(clWhite);
      canvas.FillRect({r + lm + 1, 5, r + re - 1, r - 5});
      canvas.Brush().Style = bsClear;
      int c = r;
      for (int n = 1; n < 10000; ++n) {
        const int d = r + mark(n);
        const std::string label = std::to_string(n);
        const int tw = canvas.TextWidth(std::string_view(label));
        if (d <= r + re) canvas.TextOut(d - tw / 2, (r - th) / 2, std::string_view(label));
        canvas.MoveTo((c + d) / 2, r / 2 - 2);
        canvas.LineTo((c + d) / 2, r / 2 + 2);
        dot(c + (d - c) / 4, r / 2);
        dot(d - (d - c) / 4, r / 2);
        c = d;
        if (d >= r + re + tw) break;
      }
      canvas.SetViewportOrg(0, 0);
      canvas.RestoreDC(level);
    }
    const auto& m = RulerMarkers;
    DrawRulerMarker(canvas, m[0] - 4, 3, md == 1, kApexDown);
    DrawRulerMarker(canvas, m[1] - 4, 3, md == 2, kApexDown);
    DrawRulerMarker(canvas, m[4] - 4, 3, md == 5, kApexDown);
    DrawRulerMarker(canvas, m[3] - 4, 12, md == 4, kApexUp);
  }
  if (md == 0 || md == 3) {
    const int rows =
        std::max(1, (geometry_.PageCount + geometry_.PagePerHorz() - 1) / std::max(1, geometry_.PagePerHorz()));
    for (int j = 0; j < rows; ++j) {
      const size_t first = static_cast<size_t>(j) * static_cast<size_t>(std::max(1, geometry_.PagePerHorz()));
      const int y0 = first < geometry_.PageGrid.size() ? geometry_.PageGrid[first].Rect.Top : j * hh;
      if (!(area.Bottom >= y0 - v && r < y0 - v + hh)) continue;
      const int level = canvas.SaveDC();
      if (!noClip) canvas.IntersectClipRect({0, r, r, area.Bottom});
      canvas.SetViewportOrg(0, y0 - v);
      canvas.Brush() = Solid(kGrey);
      canvas.FillRect({5, r, r - 5, r + tm - 1});
      canvas.FillRect({5, r + be + 1, r - 5, r + hh});
      canvas.Brush() = Solid(clWhite);
      canvas.FillRect({5, r + tm + 1, r - 5, r + be - 1});
      canvas.Brush().Style = bsClear;
      int d = r;
      for (int n = 1; n < 10000; ++n) {
        const int e = r + mark(n);
        const std::string label = std::to_string(n);
        const int tw = canvas.TextWidth(std::string_view(label));
        if (e <= r + be + th) canvas.TextOut((r - tw) / 2, e - th / 2, std::string_view(label));
        canvas.MoveTo(r / 2 - 2, (d + e) / 2);
        canvas.LineTo(r / 2 + 2, (d + e) / 2);
        dot(r / 2, d + (e - d) / 4);
        dot(r / 2, e - (e - d) / 4);
        d = e;
        if (e >= r + be + th) break;
      }
      canvas.SetViewportOrg(0, 0);
      canvas.RestoreDC(level);
    }
    DrawRulerMarker(canvas, 3, RulerMarkers[2] - 4, md == 3, kApexRight);
  }
  if (std::any_of(Bookmarks.begin(), Bookmarks.end(), [](const TQSBookmark& b) { return b.Set; })) {
    const int level = canvas.SaveDC();
    if (!noClip) canvas.IntersectClipRect({0, r, r, area.Bottom});
    canvas.SetViewportOrg(0, -v);
    canvas.Pen() = TPen{clBlack, 1, psSolid, pmCopy};
    canvas.Brush() = Solid(kInfoBack);
    canvas.Font().Color = clBlack;
    for (int i = 0; i < 10; ++i) {
      const TQSBookmark& b = Bookmarks[static_cast<size_t>(i)];
      if (!b.Set) continue;
      canvas.Rectangle(b.Marker);
      const std::string digit = std::to_string(i);
      canvas.TextOut(b.Marker.Left + (b.Marker.Width() - canvas.TextWidth(std::string_view(digit))) / 2,
                     b.Marker.Top + (b.Marker.Height() - canvas.TextHeight(std::string_view(digit))) / 2,
                     std::string_view(digit));
    }
    canvas.SetViewportOrg(0, 0);
    canvas.RestoreDC(level);
  }
}

// ------------------------------------------------------------ dragging

void TQSWindow::DrawMarkerDrag(int x, int y, bool show) {
  TCanvas* screen = Host() ? Host()->Screen() : nullptr;
  if (!screen || MarkerDrag == 0) return;
  const int r = Rule.Width, bottom = ClientHeight() - geometry_.HorzBar.Thickness - 1;
  const int right = ClientWidth() - geometry_.VertBar.Thickness;
  const bool across = MarkerDrag == 3;
  auto guide = [&](int at) {
    const int level = screen->SaveDC();
    screen->IntersectClipRect({r, r, right, bottom});
    screen->Pen() = TPen{clWhite, 1, psDot, pmXor};
    if (across) {
      screen->MoveTo(r, at);
      screen->LineTo(right, at);
    } else {
      screen->MoveTo(at, r);
      screen->LineTo(at, bottom);
    }
    screen->Pen().Mode = pmCopy;
    screen->RestoreDC(level);
  };
  // The guide at the old drag point goes, and the band under its marker
  // image is painted again.
  guide(across ? DragPoint.Y : DragPoint.X);
  const TRect band = across ? TRect{0, 0, r, ClientHeight() - geometry_.HorzBar.Thickness} : TRect{0, 0, right, r};
  {
    const int level = screen->SaveDC();
    screen->IntersectClipRect(band);
    DrawRulers(*screen, false, {0, 0, right, ClientHeight() - geometry_.HorzBar.Thickness});
    screen->RestoreDC(level);
  }
  if (show) {
    if (across) DrawRulerMarker(*screen, 3, y + geometry_.VertBar.Position - 4, false, kApexRight);
    else
      DrawRulerMarker(*screen, x + geometry_.HorzBar.Position - 4, MarkerDrag == 4 ? 12 : 3, false, Shape(MarkerDrag));
    guide(across ? y : x);
  }
  Host()->Flush({0, 0, ClientWidth(), ClientHeight()});
}

bool TQSWindow::RulerMouseDown(int x, int y) {
  if (!Score || !Rule.Visible || (x > Rule.Width && y > Rule.Width)) return false;
  const int marker = RulerMarkerAt(x, y);
  if (marker == 0) return true;  // the bands take the click all the same
  MarkerDrag = marker;
  DragPoint = {x, y};
  DrawMarkerDrag(x, y, false);
  return true;
}

bool TQSWindow::RulerMouseMove(int x, int y) {
  if (MarkerDrag == 0) return false;
  if ((MarkerDrag == 3 && y != DragPoint.Y) || (MarkerDrag != 3 && x != DragPoint.X)) {
    DrawMarkerDrag(x, y, true);
    DragPoint = {x, y};
  }
  return true;
}

bool TQSWindow::RulerMouseUp(int x, int y) {
  if (MarkerDrag == 0) return false;
  DrawMarkerDrag(x, y, false);
  const int marker = MarkerDrag;
  const int zoom = std::max(1, Zoom);
  const int step = marker == 3
                       ? (y + geometry_.VertBar.Position - RulerMarkers[2]) * 100 / zoom
                       : (x + geometry_.HorzBar.Position - RulerMarkers[static_cast<size_t>(marker - 1)]) * 100 / zoom;
  MarkerDrag = 0;
  InvalidateRulers();
  if (OnRulerMarkerDrop) OnRulerMarkerDrop(this, marker, step);
  return true;
}

}  // namespace qs
