// Drawing straight onto the page: the rubber figures of the shape tools and
// of the tie/slur tool, the ghost of an armed palette item under the mouse,
// and what a finished tool hands to the insertion commands. Everything here
// is drawn in XOR on the window: a figure drawn twice from the same state
// leaves the screen as it was.
#include <algorithm>
#include <cmath>

#include "base/mathutil.h"
#include "platform/canvas.h"
#include "platform/forms.h"
#include "score/calcrecords.h"
#include "score/marks.h"
#include "score/measure.h"
#include "score/notes.h"
#include "score/part.h"
#include "score/piece.h"
#include "score/score.h"
#include "score/units.h"
#include "view/tools.h"
#include "view/window.h"

namespace qs {

namespace {

constexpr int kSemitones[7] = {0, 2, 4, 5, 7, 9, 11};

TRect Normalized(TPoint a, TPoint b) {
  return {std::min(a.X, b.X), std::min(a.Y, b.Y), std::max(a.X, b.X), std::max(a.Y, b.Y)};
}

}  // namespace

// ------------------------------------------------------------ figures

TBrush MakeBrush(TColor color, TBrushStyle style) {
  TBrush brush;
  brush.Color = color;
  brush.Style = style;
  return brush;
}

void DrawArrowHead(TCanvas& canvas, TPoint from, TPoint tip) {
  const double angle = from.X == tip.X ? (tip.Y >= from.Y ? M_PI / 2 : -M_PI / 2)
                                       : std::atan2(static_cast<double>(tip.Y - from.Y), tip.X - from.X);
  const double c = std::cos(angle), s = std::sin(angle);
  const TPoint back{tip.X - Round(6 * c), tip.Y - Round(6 * s)};
  const TPoint a{back.X - Round(s), back.Y + Round(c)}, b{back.X + Round(s), back.Y - Round(c)};
  const TPen pen = canvas.Pen();
  const TBrush brush = canvas.Brush();
  canvas.Pen().Style = psSolid;
  canvas.Brush() = MakeBrush(pen.Color, bsSolid);
  canvas.Polygon({tip, a, b});
  canvas.Pen() = pen;
  canvas.Brush() = brush;
}

void DrawSlurSegment(TCanvas& canvas, TPoint a, TPoint b, bool below, bool slide, bool later) {
  if (slide) {
    canvas.MoveTo(a.X, a.Y);
    canvas.LineTo(b.X, b.Y);
    return;
  }
  int n = (b.X - a.X) / 40;
  if (later)
    n = std::clamp(n, 4, 10);
  else
    n = n < 2 ? 2 : std::clamp(n, 4, 10);
  const double dx = (b.X - a.X) / n, dy = (b.Y - a.Y) / n;
  const double angle = (below ? -20.0 : 20.0) * M_PI / 180.0;
  const double sn = std::sin(angle), cs = std::cos(angle);
  const TPoint c1{a.X + Round(dx * cs + dy * sn), a.Y + Round(-dx * sn + dy * cs)};
  const TPoint c2{b.X - Round(dx * cs - dy * sn), b.Y - Round(dx * sn + dy * cs)};
  canvas.PolyBezier({a, c1, c2, b});
}

// ------------------------------------------------------------ tools

void TQSWindow::StartTool(uint8_t tool, int x, int y) {
  ToolCode = tool;
  DragStart = DragPoint = LastPoint = {x, y};
  DrawToolFeedback();
}

TQSWindow::TXorOverlay::TXorOverlay(const TQSWindow& view)
    : screen_(view.Host() ? view.Host()->Screen() : nullptr) {
  if (!screen_) return;
  level_ = screen_->SaveDC();
  screen_->IntersectClipRect(view.GetPageAreaRect());
  screen_->Pen() = TPen{clWhite, 1, psDot, pmXor};
  screen_->Brush() = MakeBrush(clWhite, bsClear);
}

TQSWindow::TXorOverlay::~TXorOverlay() {
  if (screen_) screen_->RestoreDC(level_);
}

void TQSWindow::DrawToolFeedback() {
  if (!Score) return;
  TXorOverlay screen(*this);
  if (!screen) return;
  const TPoint s = DragStart, p = DragPoint;
  const TRect r = Normalized(s, p);
  switch (ToolCode) {
    case 0:
      if (HandleDragging && HandleCode != 0)
        DrawHandleFeedback(*screen);
      else if (ArmedItem != 0)
        DrawGhost(*screen, -1);
      break;
    case kToolLine:
      screen->MoveTo(s.X, s.Y);
      screen->LineTo(p.X, p.Y);
      break;
    case kToolRectangle:
      screen->Rectangle(r);
      break;
    case kToolEllipse:
      screen->Ellipse(r);
      break;
    case kToolArc:
      screen->Arc(r.Left, r.Top, r.Right, r.Bottom, r.Left, r.Top, r.Right, r.Bottom);
      break;
    case kToolPie:
      screen->Pie(r.Left, r.Top, r.Right, r.Bottom, r.Left, r.Top, r.Right, r.Bottom);
      break;
    case kToolChordSegment:
      screen->Chord(r.Left, r.Top, r.Right, r.Bottom, r.Left, r.Top, r.Right, r.Bottom);
      break;
    case kToolLiga:
      DrawGhost(*screen, CursorPosition.Part);
      DrawSlurFeedback(*screen);
      break;
    default:
      break;
  }
  Host()->Flush(GetPageAreaRect());
}

void TQSWindow::FinishTool() {
  const uint8_t tool = ToolCode;
  const TPoint a = geometry_.ClientToPageUnits(DragStart, CursorPosition.Page),
               b = geometry_.ClientToPageUnits(DragPoint, CursorPosition.Page);
  const TRect r = Normalized(a, b);
  switch (tool) {
    case kToolLine:
      if (OnInsertLine) OnInsertLine(*this, b.X, b.Y, a.X, a.Y);
      break;
    case kToolRectangle: case kToolEllipse:
      if (OnInsertRectangle) OnInsertRectangle(*this, tool, r.Left, r.Top, r.Width(), r.Height());
      break;
    case kToolArc: case kToolPie: case kToolChordSegment:
      if (OnInsertArc) OnInsertArc(*this, tool, r.Left, r.Top, r.Width(), r.Height());
      break;
    case kToolLiga:
      FinishSlurTool();
      break;
    default:
      break;
  }
  ToolCode = 0;
  RubberBand = false;
  OutlineFlag = false;
}

// ------------------------------------------------------------ ghost step

bool TQSWindow::LocateGhost(TPoint client, int part, TGhostPlace& g) const {
  const TPoint p = geometry_.ClientToCanvas(client);
  for (int j = 0; j < geometry_.PageCount && j < static_cast<int>(geometry_.PageGrid.size()); ++j) {
    const TRect& pr = geometry_.PageGrid[static_cast<size_t>(j)].Rect;
    if (!pr.Contains(p)) continue;
    const TQSCalcPage* page = LayoutPage(j);
    if (!page) return false;
    const int y = p.Y - pr.Top, x = p.X - pr.Left;
    const TQSCalcStaff* row = nullptr;
    for (int i = 0; i < page->StaffRowCount; ++i) {
      const TQSCalcStaff* sr = page->StaffRows.At(i);
      if (!sr || !sr->Staff || !sr->System) continue;
      if (part >= 0) {
        const TQSPart* owner = sr->Staff->Part();
        if (owner && owner->Index == part && (!owner->Piece() || owner->Piece()->Index == CursorPosition.Piece))
          row = sr;
        if (row && (geometry_.Px(sr->LowerBound) >= y || i == page->StaffRowCount - 1)) break;
      } else if (geometry_.Px(sr->UpperBound) <= y && y < geometry_.Px(sr->LowerBound)) {
        row = sr;
        break;
      }
    }
    if (!row) return false;
    const TQSCalcSystem& system = *row->System;
    const TQSCalcMeasure* slot = system.Measures.At(0);
    for (int k = 0; k < system.MeasureCount; ++k)
      if (const TQSCalcMeasure* m = system.Measures.At(k); m && geometry_.Px(m->Box.Left) <= x) slot = m;
    if (!slot) return false;
    int under = 0;
    const int length = std::min<int>(slot->Length, static_cast<int>(slot->Positions.size()));
    for (int t = 0; t < length; ++t)
      if (geometry_.Px(slot->Box.Left + slot->Positions[static_cast<size_t>(t)]) <= x) under = t;
    g = {};
    g.Page = j;
    g.PageLeft = pr.Left;
    g.PageTop = pr.Top;
    g.Row = row;
    g.Slot = slot;
    g.Staff = row->Staff->Index;
    g.Offset = static_cast<int16_t>(y * 8 - row->TopLine * Zoom / 100);
    g.Measure = slot->MeasureIndex;
    // The note, rest or note repeat of that staff (of any staff in a
    // measure whose operations take every voice) nearest the tick under the
    // mouse.
    const TQSPart* owner = row->Staff->Part();
    const TQSMeasure* measure = owner ? owner->GetMeasure(slot->MeasureIndex) : nullptr;
    int best = 0;
    if (measure)
      for (const TQSItem* item : measure->Items) {
        const int k = item->ItemType;
        if (k != kind::Note && k != kind::Pause && k != kind::NoteRepeat) continue;
        if (!measure->AllVoices() && (item->StaffVoice() >> 4) != g.Staff) continue;
        const int t = item->TimePosition();
        if (std::abs(t - under) < std::abs(best - under)) best = t;
      }
    g.Tick = best;
    const int tick = std::clamp(best, 0, std::max(0, static_cast<int>(slot->Positions.size()) - 1));
    g.X = geometry_.Px(slot->Box.Left + (slot->Positions.empty() ? 0 : slot->Positions[static_cast<size_t>(tick)])) +
          pr.Left;
    const TQSStaff& staff = *row->Staff;
    const int sp = std::max(1, geometry_.StaffSpacePixels(staff));
    g.Spacing = sp;
    g.Tablature = staff.Fields.Tablature;
    const int top = geometry_.Px(row->TopLine) + pr.Top;
    if (ArmedItem == 1 && g.Tablature) {
      const int lines = std::max<int>(1, staff.Fields.LineCount);
      int bottom = top + sp * (lines - 1);
      if (lines == 1) bottom += 2 * sp;
      else if (lines == 2) bottom += sp;
      else if (lines == 4) bottom += sp / 2;
      g.Line = std::clamp(Round(static_cast<double>(bottom - p.Y) / sp), 0, lines - 1);
      g.Y = bottom - sp * g.Line;
    } else {
      const int reference = top + 5 * sp;
      g.Line = Round(2.0 * (reference - p.Y) / sp);
      g.Y = reference - g.Line * sp / 2;
    }
    g.MouseX = p.X;
    g.MouseY = p.Y;
    g.ClefShift = 0;
    if (!g.Tablature && owner) {
      const auto* clef = dynamic_cast<const TQSMark*>(
          slot->ClefFor(owner, staff.SystemRow, MakeStaffVoice(g.Staff, 0), g.Tick));
      if (clef && clef->Fields.Kind < 12) g.ClefShift = ClefKindOffset(clef->Fields.Kind);
    }
    return true;
  }
  return false;
}

bool TQSWindow::GhostAt(TPoint p, int part) {
  TGhostPlace g;
  if (!LocateGhost(p, part, g)) return false;
  GhostLine = g.Line + g.ClefShift;
  return true;
}

// The ghost of the armed item (or of the tie/slur tool's end) at the drag
// point; updates the ghost fields, and on a new pitch line shows the hint
// and sounds a dragged note.
void TQSWindow::DrawGhost(TCanvas& screen, int part) {
  TGhostPlace g;
  if (!LocateGhost(DragPoint, part, g)) return;
  GhostStaff = g.Staff;
  GhostMeasure = g.Measure;
  GhostTick = g.Tick;
  GhostOffset = g.Offset;
  const TQSCalcStaff& row = *g.Row;
  const TQSCalcSystem& system = *row.System;
  const int level = screen.SaveDC();
  const int r = geometry_.RulerWidth();
  screen.SetViewportOrg(r - geometry_.HorzBar.Position, r - geometry_.VertBar.Position);
  screen.Pen().Width = 1;
  auto rowAt = [&](int i) { return system.PageRecord ? system.PageRecord->StaffRows.At(i) : nullptr; };
  auto py = [&](int v) { return geometry_.Px(v) + g.PageTop; };
  bool drawn = true;
  const int code = part >= 0 && ArmedItem == 0 ? 1 : ArmedItem;
  if (code == 1) {
    if (g.Tablature) {
      screen.Rectangle(g.X - g.Spacing / 2, g.Y - g.Spacing / 2, g.X + g.Spacing / 2, g.Y + g.Spacing / 2);
    } else {
      screen.Pen().Style = psSolid;
      const int top = py(row.TopLine);
      int y = top + 5 * g.Spacing;
      for (int pos = 0; pos > g.Line; pos -= 2, y += g.Spacing) {
        screen.MoveTo(g.X - 4, y);
        screen.LineTo(g.X + 4, y);
      }
      y = top - g.Spacing;
      for (int pos = 12; pos < g.Line; pos += 2, y -= g.Spacing) {
        screen.MoveTo(g.X - 4, y);
        screen.LineTo(g.X + 4, y);
      }
      screen.MoveTo(g.X - 6, g.Y);
      screen.LineTo(g.X + 6, g.Y);
    }
  } else {
    int ax = g.X, v = py(row.TopLine), w = py(row.BottomLine);
    const TQSCalcSystemPart* sp = row.Staff->Part() ? system.Parts.At(row.Staff->Part()->Index) : nullptr;
    const TQSCalcStaff* firstRow = rowAt(system.FirstRow);
    const TQSCalcStaff* lastRow = rowAt(system.LastRow);
    const int sysTop = firstRow ? py(firstRow->TopLine) : v, sysBottom = lastRow ? py(lastRow->BottomLine) : w;
    const int left = geometry_.Px(g.Slot->Box.Left) + g.PageLeft, right = geometry_.Px(g.Slot->Box.Right) + g.PageLeft;
    switch (code) {
      case 2: case 3: {
        const TQSCalcItem* nearest = nullptr;
        int best = 100000;
        for (int i = 0; i < g.Slot->ItemCount; ++i) {
          const TQSCalcItem* e = g.Slot->Items.At(i);
          if (!e || !e->Item || e->ElementType != element::Item) continue;
          const int k = e->Item->ItemType;
          if (k != kind::Note && !(code == 3 && k == kind::Pause)) continue;
          const int cx = geometry_.Px((e->Box.Left + e->Box.Right) / 2) + g.PageLeft;
          const int cy = geometry_.Px((e->Box.Top + e->Box.Bottom) / 2) + g.PageTop;
          const int d = std::abs(cx - g.MouseX) + std::abs(cy - g.MouseY);
          if (d < best) best = d, nearest = e;
        }
        if (!nearest) drawn = false;
        else {
          ax = geometry_.Px((nearest->Box.Left + nearest->Box.Right) / 2) + g.PageLeft;
          v = geometry_.Px(nearest->Box.Top) + g.PageTop;
          w = geometry_.Px(nearest->Box.Bottom) + g.PageTop;
        }
        break;
      }
      case 4: break;
      case 5: case 6: {
        const TQSCalcStaff* a = sp ? rowAt(sp->FirstRow) : nullptr;
        const TQSCalcStaff* b = sp ? rowAt(sp->LastRow) : nullptr;
        if (a && b) v = py(a->TopLine), w = py(b->BottomLine);
        if (code == 6) {
          ax = a ? geometry_.Px(a->Left) + g.PageLeft : ax;
          v = w = (v + w) / 2;
        }
        break;
      }
      case 7: v = sysTop, w = sysBottom; break;
      case 8: ax = left, v = sysTop, w = sysBottom; break;
      case 9: ax = right, v = sysTop, w = sysBottom; break;
      case 10: ax = (left + right) / 2, v = sysTop, w = sysBottom; break;
      default: drawn = false; break;
    }
    if (drawn) {
      screen.Pen().Style = psDot;
      const int ty = g.MouseY < v ? v : g.MouseY > w ? w : (v + w) / 2;
      screen.MoveTo(g.MouseX, g.MouseY);
      screen.LineTo(ax, ty);
      DrawArrowHead(screen, {g.MouseX, g.MouseY}, {ax, ty});
    }
  }
  screen.RestoreDC(level);
  if (!drawn) return;
  const int line = g.Line + g.ClefShift;
  if (line == GhostLine) return;
  GhostLine = line;
  if (ArmedItem == 1) {
    if (GetPageAreaRect().Contains(DragPoint)) ShowPitchHint(g.Tablature);
    else Application().CancelHint();
  }
  if (MoveDragging && LastAddedElement && OnPlayNote)
    if (const auto* note = dynamic_cast<const TQSNote*>(LastAddedElement->Item)) {
      const TQSPart* owner = row.Staff->Part();
      const int index = line + 35;
      const int key = (index / 7) * 12 + kSemitones[((index % 7) + 7) % 7] + (owner ? owner->TransportShift() : 0);
      OnPlayNote(*this, owner ? owner->Channel() : 0, owner ? owner->Fields.Instrument : 0, key, 16,
                 note->Fields.Velocity);
    }
}

void TQSWindow::ShowPitchHint(bool tablature) {
  if (ArmedItem == 0 || !Score) return;
  if (tablature) {
    SetHint(std::to_string(CursorFret));
  } else {
    const std::string& names = Score->NoteNames;
    const int i = ((GhostLine + 35) % 7 + 7) % 7;
    SetHint(i < static_cast<int>(names.size()) ? std::string(1, names[static_cast<size_t>(i)]) : std::string());
  }
  // The pitch shows at once and follows the mouse.
  TApplication& app = Application();
  app.CancelHint();
  SetShowHint(true);
  app.HintPause = 0;
  if (HasParent()) app.ActivateHint(ClientToScreen(DragPoint), Hint());
}

void TQSWindow::ArmPaletteItem(int code) {
  if (code == ArmedItem) return;
  DrawToolFeedback();
  ArmedItem = code;
  GhostLine = INT32_MIN;
  if (code == 0) {
    SetHint("");
    Application().CancelHint();
  }
  DrawToolFeedback();
}

// ------------------------------------------------------------ slur tool

void TQSWindow::DrawSlurFeedback(TCanvas& screen) {
  TGhostPlace g;
  if (!LocateGhost(DragPoint, CursorPosition.Part, g)) return;
  const TQSCalcSystem* start = CursorSystem();
  const TQSCalcSystem* end = g.Row->System;
  if (!start) return;
  const bool below = (LigaStyle & TQSLiga::kBelow) != 0, slide = (LigaStyle & TQSLiga::kSlide) != 0;
  const TPoint s = DragStart;
  const int r = geometry_.RulerWidth();
  auto cx = [&](const TQSCalcSystem& sys, int v) {
    const TPoint o = geometry_.PageOrigin(sys.Page);
    return geometry_.Px(v) + o.X + r - geometry_.HorzBar.Position;
  };
  auto cy = [&](const TQSCalcSystem& sys, int v) {
    const TPoint o = geometry_.PageOrigin(sys.Page);
    return geometry_.Px(v) + o.Y + r - geometry_.VertBar.Position;
  };
  const int endX = g.X + r - geometry_.HorzBar.Position, endY = DragPoint.Y;
  if (start == end) {
    if (endX < s.X) return;
    if (slide) {
      const int inset = Zoom * Score->Scale * 8 / 10000;
      screen.MoveTo(s.X + inset, s.Y);
      screen.LineTo(endX - inset, endY);
    } else {
      DrawSlurSegment(screen, s, {endX, endY}, below, false, false);
    }
    return;
  }
  // A later system: to the start system's end, across every system between,
  // and from the end system's start to the end point.
  const int startRight = cx(*start, start->Right);
  if (startRight < s.X) return;
  DrawSlurSegment(screen, s, {startRight, s.Y}, below, slide, false);
  bool passed = false;
  for (int pi = start->Page; pi < Score->LaidOutPages; ++pi) {
    const TQSCalcPage* page = LayoutPage(pi);
    if (!page) continue;
    for (int si = 0; si < page->SystemCount; ++si) {
      const TQSCalcSystem* sys = page->Systems.At(si);
      if (!sys) continue;
      if (sys == start) {
        passed = true;
        continue;
      }
      if (!passed) continue;
      const TQSCalcMeasure* first = sys->Measures.At(0);
      const int left = first ? cx(*sys, first->Box.Left + (first->Positions.empty() ? 0 : first->Positions[0])) : 0;
      if (sys == end) {
        if (g.Measure >= sys->FirstMeasure) DrawSlurSegment(screen, {left, endY}, {endX, endY}, below, slide, true);
        return;
      }
      const TQSCalcStaff* row = page->StaffRows.At(sys->FirstRow);
      if (!row) continue;
      const int y = cy(*sys, below ? row->BottomLine : row->TopLine);
      DrawSlurSegment(screen, {left, y}, {cx(*sys, sys->Right), y}, below, slide, true);
    }
  }
}

void TQSWindow::FinishSlurTool() {
  TQSPiece* piece = ActivePiece();
  TQSPart* part = ActivePart();
  if (!piece || !part || !Score) return;
  const TQSCursorPosition& c = CursorPosition;
  if (GhostMeasure < c.Measure || (GhostMeasure == c.Measure && GhostTick < c.Tick)) return;
  auto slotLength = [&](int m) {
    const auto* slot = m >= 0 && m < static_cast<int>(piece->Slots.size())
                           ? dynamic_cast<const TQSCalcMeasure*>(piece->Slots[static_cast<size_t>(m)])
                           : nullptr;
    return slot ? static_cast<int>(slot->Length) : 0;
  };
  int length = GhostTick - c.Tick;
  if (GhostMeasure != c.Measure) {
    length = slotLength(c.Measure) - c.Tick + GhostTick;
    for (int m = c.Measure + 1; m < GhostMeasure; ++m) length += slotLength(m);
  }
  if (GhostStaff < 0 || GhostStaff >= part->StaffCount()) return;
  TQSNote* note = LastAddedElement ? dynamic_cast<TQSNote*>(LastAddedElement->Item) : nullptr;
  if (!note) return;
  int style = LigaStyle, offset = GhostOffset, shift = 0;
  if (length == 0 && !note->GraceGroup()) {
    if (!(style & TQSLiga::kSlide)) style |= TQSLiga::kFromStart;
    offset = 0;
    length = note->Fields.RealLength;
  } else {
    const auto* slot = GhostMeasure < static_cast<int>(piece->Slots.size())
                           ? dynamic_cast<const TQSCalcMeasure*>(piece->Slots[static_cast<size_t>(GhostMeasure)])
                           : nullptr;
    const TQSStaff* staff = part->GetStaff(GhostStaff);
    const auto* clef = slot && staff ? dynamic_cast<const TQSMark*>(slot->ClefFor(
                                           part, staff->SystemRow, MakeStaffVoice(GhostStaff, 0), GhostTick))
                                     : nullptr;
    if (!clef) return;
    shift = ClefKindOffset(clef->Fields.Kind);
  }
  const TQSStaff* staff = part->GetStaff(GhostStaff);
  const int space = Round(static_cast<double>(ScreenPixelsPerInch) * Score->Page.Tenths(TQSPage::dLineSpace) / 254);
  int64_t m = static_cast<int64_t>(offset) * 100 / Zoom - static_cast<int64_t>(shift) * space * 8 / 2;
  const int size = staff ? staff->Fields.Scale : 100;
  if (!(Score->Scale == 100 && size == 100)) m = m * 10000 / std::max(1, Score->Scale) / std::max(1, size);
  if (OnInsertLiga)
    OnInsertLiga(*this, note, style, length, GhostStaff << 4, static_cast<int>(Score->Scale * m / 100));
}

}  // namespace qs
