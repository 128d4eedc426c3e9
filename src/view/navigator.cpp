// The timeline navigator: the whole laid-out score as one bar with a tick
// per measure, the measure numbers, rehearsal marks, a strip of the pages
// and the play time, with an XOR marker at the cursor's measure; a click
// takes the cursor to the measure under it. Also the client points that
// the lessons point at: a score position, a page corner, the scroll arrows
// and the ruler markers.
#include <algorithm>
#include <cmath>
#include <string>

#include "base/mathutil.h"
#include "platform/canvas.h"
#include "score/calcrecords.h"
#include "score/marks.h"
#include "score/piece.h"
#include "score/score.h"
#include "view/navigator.h"
#include "view/tools.h"
#include "view/window.h"

namespace qs {

std::string FormatPlayTime(int64_t milliseconds) {
  const int64_t minutes = milliseconds / 60000 % 60, seconds = milliseconds / 1000 % 60;
  auto two = [](int64_t v) {
    std::string s = std::to_string(v);
    return s.size() < 2 ? "0" + s : s;
  };
  return two(minutes) + ":" + two(seconds);
}

std::string RehearsalLabel(uint8_t style, int number) {
  if ((style & 0xC0) == 0x80) return std::to_string(number);
  std::string letters;
  for (int n = number - 1; n >= 0; n = n / 26 - 1) letters.insert(letters.begin(), static_cast<char>('A' + n % 26));
  return letters;
}

namespace {

template <class Fn>
void ForEachSlot(const TQSScore& score, Fn&& fn) {
  for (int j = 0; j < score.LaidOutPages; ++j) {
    const TQSCalcPage* page = score.LayoutPages.At(j);
    if (!page) continue;
    for (int s = 0; s < page->SystemCount; ++s) {
      const TQSCalcSystem* system = page->Systems.At(s);
      if (!system) continue;
      for (int m = 0; m < system->MeasureCount; ++m)
        if (const TQSCalcMeasure* slot = system->Measures.At(m)) fn(j, *system, *slot);
    }
  }
}

int MajorStep(long double s) {
  if (s < 0.3L) return 1000;
  if (s < 1) return 100;
  if (s < 2) return 50;
  if (s < 10) return 20;
  if (s < 20) return 10;
  return 1;
}

// N, the measure records of the whole layout, and M, those up to the last
// record of the last piece that holds something (all of the earlier pieces).
void TimelineCounts(const TQSScore& score, int& n, int& m) {
  n = 0;
  int lastPieceStart = 0, lastUsed = 0;
  const TQSPiece* piece = nullptr;
  ForEachSlot(score, [&](int, const TQSCalcSystem& system, const TQSCalcMeasure& slot) {
    if (system.Piece != piece) {
      piece = system.Piece;
      lastPieceStart = lastUsed = n;
    }
    ++n;
    if (!slot.IsEmpty) lastUsed = n;
  });
  m = std::max(lastPieceStart, lastUsed);
}

}  // namespace

void TQSWindow::DrawNavigator(TCustomControl& panel) {
  int n = 0, m = 0;
  if (Score) TimelineCounts(*Score, n, m);
  if (!Score || n <= 0 || geometry_.PageGrid.empty()) return;
  TQSScore& score = *Score;
  if (score.NavigatorPanel) score.NavigatorMarkerDrawn = false;
  else score.NavigatorPanel = &panel;
  PaintTimeline(panel.Canvas(), panel.ClientWidth());
  DrawNavigatorMarker(true);
}

void TQSWindow::PaintTimeline(TCanvas& c, int clientWidth) {
  int n = 0, used = 0;
  if (Score) TimelineCounts(*Score, n, used);
  if (n <= 0) return;
  TQSScore& score = *Score;
  const long double s = static_cast<long double>(clientWidth - 20) / n;
  score.NavigatorScale = s;
  const int h = MajorStep(s);
  const int xn = static_cast<int>(Round64(n * s)), xm = static_cast<int>(Round64(used * s));
  c.Pen() = TPen{clBlack, 1, psSolid, pmCopy};
  c.Brush() = MakeBrush(clBlack, bsSolid);
  c.Rectangle(10, 20, 10 + xm, 24);
  c.Brush() = MakeBrush(clWhite, bsSolid);
  c.Rectangle(10 + xm, 20, 10 + xn, 24);
  c.MoveTo(10, 18);
  c.LineTo(10, 26);
  c.MoveTo(10 + xn, 18);
  c.LineTo(10 + xn, 26);
  c.MoveTo(10, 38);
  c.LineTo(10 + xn, 38);

  c.Font().Name = "Arial";
  c.Font().SetSize(6);
  c.Font().Style = fsBold;
  long double t = 0;
  int counter = h;
  ForEachSlot(score, [&](int, const TQSCalcSystem&, const TQSCalcMeasure& slot) {
    const int rt = static_cast<int>(Round64(t));
    if (const auto* mark = dynamic_cast<const TQSMark*>(slot.RehearsalMark)) {
      const int v = 10 + rt;
      c.MoveTo(v, 18);
      c.LineTo(v, 26);
      const std::string label = RehearsalLabel(mark->Fields.Style, slot.RehearsalNumber);
      const int frame = mark->Frame();
      c.Brush() = MakeBrush(clWhite, bsSolid);
      if (frame == TQSMark::kFrameEllipse) c.Ellipse(v + 1, 4, v + c.TextWidth(label) + 6, 18);
      else if (frame != TQSMark::kFrameNone) c.Rectangle(v + 1, 4, v + c.TextWidth(label) + 6, 18);
      c.Brush().Style = bsClear;
      c.TextOut(v + 3, 7, label);
    }
    if (counter == h) {
      const std::string number = std::to_string(slot.Number);
      c.Brush().Style = bsClear;
      c.TextOut(rt + 12 - c.TextWidth(number) / 2, 26, number);
      c.MoveTo(rt + 10, 34);
      c.LineTo(rt + 10, 38);
      counter = 1;
    } else {
      if (h < 100) {
        c.MoveTo(rt + 10, 36);
        c.LineTo(rt + 10, 38);
      }
      ++counter;
    }
    t += s;
  });

  // The page strip, the page numbers where there is room.
  c.Pen().Color = 0x808080;
  const int pages = std::max(1, score.LaidOutPages);
  const int pp = (clientWidth - 20) / pages;
  int u = 0, x = 10;
  for (int k = 0; k < score.LaidOutPages; ++k) {
    const TQSCalcPage* page = score.LayoutPages.At(k);
    u += page ? page->MeasureCount : 0;
    c.Brush() = MakeBrush(k % 2 ? clWhite : static_cast<TColor>(0x808080), bsSolid);
    const int right = std::min(10 + static_cast<int>(Round64(u * s)), 10 + xn);
    c.Rectangle(x, 52, right, 58);
    if (pp > 10 || (pp > 5 && k % 2 == 0) || k % 10 == 0) {
      const std::string number = std::to_string(k + 1);
      c.Brush().Style = bsClear;
      c.TextOut(x - c.TextWidth(number) / 2, 42, number);
    }
    x = right;
  }
  const std::string total = FormatPlayTime(static_cast<int64_t>(score.TotalMs));
  c.Brush().Style = bsClear;
  c.TextOut(10 + xm - c.TextWidth(total) / 2, 60, total);
  const std::string zero = "00:00";
  if (xm - c.TextWidth(total) / 2 - c.TextWidth(zero) / 2 > 0) c.TextOut(10 - c.TextWidth(zero) / 2, 60, zero);
  c.Brush().Style = bsSolid;
}

int TQSWindow::NavigatorMarkerX() const {
  const TQSPiece* piece = ActivePiece();
  if (!Score || !piece) return 0;
  return static_cast<int>(Round64((FirstTimelineMeasure(CursorPosition.Piece) + CursorPosition.Measure) *
                                       Score->NavigatorScale)) +
         10;
}

int TQSWindow::FirstTimelineMeasure(int pieceIndex) const {
  int k = 0, found = -1;
  ForEachSlot(*Score, [&](int, const TQSCalcSystem& system, const TQSCalcMeasure&) {
    if (found < 0 && system.Piece && system.Piece->Index == pieceIndex) found = k;
    ++k;
  });
  return std::max(0, found);
}

void TQSWindow::DrawNavigatorMarker(bool visible) {
  if (!Score || !Score->NavigatorPanel || visible == Score->NavigatorMarkerDrawn) return;
  auto* panel = dynamic_cast<TCustomControl*>(Score->NavigatorPanel);
  if (!panel) return;
  Score->NavigatorMarkerDrawn = visible;
  const int x = NavigatorMarkerX();
  TCanvas& c = panel->Canvas();
  c.Pen() = TPen{static_cast<TColor>(cursorColor_), 2, psSolid, pmXor};
  c.MoveTo(x, 18);
  c.LineTo(x, 60);
  c.Pen().Mode = pmCopy;
}

void TQSWindow::NavigatorClick(int x) {
  if (!Score || !Score->NavigatorPanel || x < 10 || Score->NavigatorScale <= 0) return;
  const int k = static_cast<int>((x - 10) / Score->NavigatorScale);
  int i = 0, page = -1, piece = -1, measure = -1;
  ForEachSlot(*Score, [&](int j, const TQSCalcSystem& system, const TQSCalcMeasure& slot) {
    if (i++ != k) return;
    page = j;
    piece = system.Piece ? system.Piece->Index : -1;
    measure = slot.MeasureIndex;
  });
  if (measure < 0 || piece < 0) return;
  if (piece == CursorPosition.Piece && measure == CursorPosition.Measure) return;
  ShowCursor(false);
  CursorPosition.Page = page;
  CursorPosition.Piece = piece;
  CursorPosition.Measure = measure;
  CursorPosition.Tick = 0;
  ScrollToCursor(0, false);
  RefreshRulerMarkers();
  LayoutButtonBar();
  UpdatePageButtons();
  ShowCursor(true);
  DoActiveChanged(this);
}

// ------------------------------------------------------------ positions

void TQSWindow::ScorePositionToScreen(int piece, int part, int staff, int measure, int tick, int lineOffset,
                                      int noteIndex, TPoint& point) const {
  point = {0, 0};
  if (!Score || piece < 0 || piece >= Score->PieceCount()) return;
  const TQSPiece* p = Score->GetPiece(piece);
  if (measure < 0 || measure >= static_cast<int>(p->Slots.size())) return;
  const auto* slot = dynamic_cast<const TQSCalcMeasure*>(p->Slots[static_cast<size_t>(measure)]);
  if (!slot || !slot->System) return;
  const TRect a = GetPageAreaRect();
  const TPoint o = geometry_.PageOrigin(CursorPosition.Page);
  const int H = geometry_.HorzBar.Position, V = geometry_.VertBar.Position;
  if (noteIndex < 0) {
    const int t = std::clamp(tick, 0, std::max(0, static_cast<int>(slot->Positions.size()) - 1));
    point.X = geometry_.Px(slot->Box.Left + (slot->Positions.empty() ? 0 : slot->Positions[static_cast<size_t>(t)])) +
              o.X + a.Left - H;
    const TQSCalcPage* page = LayoutPage(CursorPosition.Page);
    const TQSCalcSystemPart* sp = slot->System->Parts.At(part);
    if (!page || !sp) return;
    const int row = sp->FirstRow + staff;
    const TQSCalcStaff* r = row < page->StaffRowCount ? page->StaffRows.At(row) : nullptr;
    if (!r || !r->Staff) return;
    const int e = geometry_.StaffSpacePixels(*r->Staff);
    point.Y = geometry_.Px(r->Top) + o.Y + a.Top + (lineOffset * e) / 2 - V;
    return;
  }
  int count = 0;
  for (int i = 0; i < slot->ItemCount; ++i) {
    const TQSCalcItem* e = slot->Items.At(i);
    if (!e || !e->Item || e->Item->TimePosition() != tick) continue;
    if (e->Item->ItemType != kind::Note && e->Item->ItemType != kind::Pause) continue;
    if (count++ != noteIndex) continue;
    point = {geometry_.Px((e->Box.Left + e->Box.Right) / 2) + o.X + a.Left - H,
             geometry_.Px((e->Box.Top + e->Box.Bottom) / 2) + o.Y + a.Top - V};
    return;
  }
}

void TQSWindow::PageOrigin(int index, TPoint& point) const {
  point = {0, 0};
  if (!Score || index < 0 || index >= Score->PageCount || index >= static_cast<int>(geometry_.PageGrid.size())) return;
  const TRect a = GetPageAreaRect();
  const TRect& r = geometry_.PageGrid[static_cast<size_t>(index)].Rect;
  point = {r.Left + a.Left - geometry_.HorzBar.Position, r.Top + a.Top - geometry_.VertBar.Position};
}

void TQSWindow::ScrollArrowPoint(bool horizontal, int which, TPoint& point) const {
  const TRect b = horizontal ? HorzBarRect() : VertBarRect();
  const int w = b.Width(), h = b.Height();
  if (horizontal) {
    if (which == 0) point = {b.Left + h / 2, b.Top + h / 2};
    else if (which == 1) point = {b.Left + w - h / 2, b.Top + h / 2};
  } else {
    if (which == 0) point = {b.Left + w / 2, b.Top + w / 2};
    else if (which == 1) point = {b.Left + w / 2, b.Top + h - w / 2};
  }
}

void TQSWindow::RulerMarkerPoint(int marker, TPoint& point) const {
  const int r = Rule.Width, H = geometry_.HorzBar.Position, V = geometry_.VertBar.Position;
  const auto& m = RulerMarkers;
  switch (marker) {
    case 1: case 2: case 5: point = {m[static_cast<size_t>(marker - 1)] - H, r / 3}; break;
    case 3: point = {r / 2, m[2] - V}; break;
    case 4: point = {m[3] - H, (r / 3) * 2}; break;
    default: point = {0, 0}; break;
  }
}

}  // namespace qs

namespace qs {

TQSNavigatorPanel::~TQSNavigatorPanel() {
  if (View && View->Score && View->Score->NavigatorPanel == this) {
    View->Score->NavigatorPanel = nullptr;
    View->Score->NavigatorMarkerDrawn = false;
  }
}

void TQSNavigatorPanel::Paint() {
  Canvas().Brush() = MakeBrush(clWhite, bsSolid);
  Canvas().FillRect(ClientRect());
  if (View) View->DrawNavigator(*this);
}

void TQSNavigatorPanel::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TCustomControl::MouseDown(button, shift, x, y);
  if (View && button == mbLeft) View->NavigatorClick(x);
}

}  // namespace qs
