// Dragging with the mouse: the selection by its items (dotted outlines at
// the new place, tied by an arrow to what each belongs to; a note shows
// the note ghost at the pitch under the mouse), an item by one of its grab
// handles (the reshaped figure), and the rubber figures of the insertion
// tools. The drop hands the distance to the editing commands.
#include <algorithm>
#include <cmath>

#include "base/mathutil.h"
#include "platform/canvas.h"
#include "platform/forms.h"
#include "score/calcrecords.h"
#include "score/marks.h"
#include "score/measure.h"
#include "score/notes.h"
#include "score/pageobjects.h"
#include "score/part.h"
#include "score/piece.h"
#include "score/score.h"
#include "view/grabhandles.h"
#include "view/tools.h"
#include "view/window.h"

namespace qs {

namespace {

// The parts a system lays out.
int SystemPartCount(const TQSCalcSystem& system) {
  return system.Piece ? system.Piece->PartCount() : 0;
}

// Where a staff row of a system ends for a handle drag: halfway between its
// bottom line and the next row's top line, or its band's bottom for the
// system's last row.
int RowLowerBoundary(const TQSCalcPage& page, const TQSCalcSystem& system, int r) {
  const TQSCalcStaff* row = page.StaffRows.At(r);
  if (!row) return 0;
  const TQSCalcStaff* next = r < system.LastRow ? page.StaffRows.At(r + 1) : nullptr;
  return next && next->System == &system ? (row->BottomLine + next->TopLine) / 2 : row->LowerBound;
}

bool IsNoteElement(const TQSCalcItem* e) { return e && e->Item && e->Item->ItemType == kind::Note; }

// Marks whose connector starts at the outline's left edge: they span.
bool IsSpanning(const TQSItem& item) {
  const int k = item.ItemType;
  if (k == kind::Dynamics) {
    const auto* mark = dynamic_cast<const TQSMark*>(&item);
    return mark && dynamic::IsHairpinKind(mark->Fields.Kind);
  }
  return k == kind::Bracket || k == kind::Ottava || k == kind::Barre || k == kind::Flageolet;
}

// Marks tied to the staff at their time position.
bool AnchorsToStaff(int k) {
  switch (k) {
    case kind::Clef: case kind::Pause: case kind::Chord: case kind::Frame: case kind::Dynamics: case kind::Bend:
    case kind::Bowing: case kind::Tremolo: case kind::UserSymbolMark: case kind::Ottava: case kind::Barre:
    case kind::Flageolet:
      return true;
    default:
      return (k >= 113 && k <= 118) || (k >= 120 && k <= 125);
  }
}

// Texts and marks that may hang on a note; the outline points at the staff
// at their time.
bool AnchorsToNoteOrStaff(int k) {
  switch (k) {
    case kind::Lyric: case kind::Term: case kind::Arpeggio: case kind::Hang: case kind::HiHat1: case kind::HiHat2:
    case kind::Staccato: case kind::Portamento: case kind::Hand: case kind::BarreBracket:
      return true;
    default:
      return false;
  }
}

// Items that belong to a note: dots, accidentals, glissando, fall, lift.
bool AnchorsToOwnerNote(int k) { return k == 45 || k == 50 || (k >= 70 && k <= 72); }

// The element of the note at a staff and time in a measure record: the
// first such note, or the last of its chord when the notes after it there
// all have their stems down.
const TQSCalcItem* NoteElementAt(const TQSCalcMeasure& slot, int staff, int tick) {
  const TQSCalcItem* first = nullptr;
  const TQSCalcItem* last = nullptr;
  bool allDown = true;
  for (int i = 0; i < slot.ItemCount; ++i) {
    const TQSCalcItem* n = slot.Items.At(i);
    if (!IsNoteElement(n) || n->ElementType != element::Item) continue;
    if ((n->Item->StaffVoice() >> 4) != staff || n->Item->TimePosition() != tick) continue;
    if (!first) {
      first = n;
      continue;
    }
    if (n->Item->StaffVoice() != first->Item->StaffVoice()) continue;
    last = n;
    allDown = allDown && static_cast<const TQSNote*>(n->Item)->IsStemDown();
  }
  return last && allDown ? last : first;
}

// The element that shows the note or rest an item is attached to.
const TQSCalcItem* OwnerElement(const TQSItem& item) {
  const TQSItem* owner = dynamic_cast<const TQSItem*>(item.Owner());
  if (!owner) return nullptr;
  if (const auto* note = dynamic_cast<const TQSNote*>(owner); note && note->HeadElement) return note->HeadElement;
  return owner->LayoutLink;
}

// Marks tied to their measure: measure number, rehearsal mark, segno,
// coda, D.C., D.S.
bool AnchorsToMeasure(int k) {
  switch (k) {
    case kind::MeasureNumbering: case kind::Rehearsal: case kind::Segno: case kind::Coda: case kind::DaCapo:
    case kind::DalSegno:
      return true;
    default:
      return false;
  }
}

}  // namespace

// ------------------------------------------------------------ outlines

void TQSWindow::DrawDragOutline() {
  if (!OutlineFlag || !MoveDragging || FirstMove || IsNoteElement(LastAddedElement)) return;
  if (!Score) return;
  TXorOverlay screen(*this);
  if (!screen) return;
  const int dx = DragPoint.X - DragStart.X, dy = DragPoint.Y - DragStart.Y;
  auto draw = [&](const TQSCalcItem* e) {
    if (!e || e->ElementType != element::Item || !e->Item) return;
    TRect box = geometry_.ElementClientBox(*e);
    box.Offset(dx, dy);
    if (e->Item->ItemType == kind::Volta) box.Bottom = box.Top + 10;
    screen->Pen().Style = psDot;
    screen->Rectangle(box);
    // The anchor: the note the item belongs to or hangs on, else the staff
    // (from its top to its bottom line) at the item's time, or its measure.
    const int k = e->Item->ItemType;
    TRect anchor;
    bool anchored = false;
    const TQSCalcMeasure* slot = e->Owner;
    const TQSCalcStaff* row = e->Row;
    const auto* mark = dynamic_cast<const TQSMark*>(e->Item);
    const TQSCalcItem* note = nullptr;
    if (AnchorsToOwnerNote(k))
      note = OwnerElement(*e->Item);
    else if (slot && AnchorsToNoteOrStaff(k) && mark && mark->IsAttachedToNote())
      note = NoteElementAt(*slot, mark->StaffVoice() >> 4, mark->Fields.Time);
    if (note) {
      anchor = geometry_.ElementClientBox(*note);
      if (k == 45 || k == 70 || k == 71) anchor.Left = anchor.Right;
      anchored = true;
    } else if (AnchorsToOwnerNote(k)) {
      return;
    } else if (slot && row) {
      auto tickX = [&](int t) {
        if (slot->Positions.empty()) return slot->Box.Left;
        return slot->Box.Left + slot->Positions[static_cast<size_t>(
                                    std::clamp(t, 0, static_cast<int>(slot->Positions.size()) - 1))];
      };
      const int t = e->Item->TimePosition();
      TRect units;
      if (AnchorsToStaff(k) || AnchorsToNoteOrStaff(k)) {
        const int x = k == kind::Clef && t == 0 ? slot->Box.Left : tickX(t);
        units = {x, row->TopLine, x + 1, row->BottomLine};
        anchored = true;
      } else if (k == kind::Tempo) {
        units = {tickX(t), slot->Box.Top, slot->Box.Right, slot->Box.Bottom};
        anchored = true;
      } else if (AnchorsToMeasure(k)) {
        const int x = t > 0 ? tickX(t - 1) : slot->Box.Left + slot->ClefWidth + slot->KeyWidth + slot->MeterWidth;
        units = {x, slot->Box.Top, slot->Box.Right, slot->Box.Bottom};
        anchored = true;
      } else if (k == kind::InstrumentName) {
        units = {row->Left, row->TopLine, row->Left + 1, row->BottomLine};
        anchored = true;
      }
      if (anchored) {
        TQSCalcItem probe;
        probe.Owner = e->Owner;
        probe.Row = e->Row;
        probe.Box = units;
        anchor = geometry_.ElementClientBox(probe);
      }
    }
    if (!anchored) return;
    const bool spanning = IsSpanning(*e->Item);
    const int mx = spanning ? box.Left : (box.Left + box.Right) / 2;
    TPoint from, to;
    if (anchor.Bottom < box.Top) {
      from = {mx, box.Top};
      to = {anchor.Left, anchor.Bottom};
    } else if (anchor.Top > box.Bottom) {
      from = {mx, box.Bottom};
      to = {anchor.Left, anchor.Top};
    } else {
      const int my = (box.Top + box.Bottom) / 2;
      to = {anchor.Left, (anchor.Top + anchor.Bottom) / 2};
      if (anchor.Left < box.Left) from = {box.Left, my};
      else if (anchor.Left > box.Right) from = {spanning ? box.Left : box.Right, my};
      else from = {(box.Left + box.Right) / 2, box.Bottom};
    }
    screen->MoveTo(from.X, from.Y);
    screen->LineTo(to.X, to.Y);
    DrawArrowHead(*screen, from, to);
  };
  for (const TQSCalcItem* e : SelectedMeasureElements()) draw(e);
  for (const TQSCalcItem* e : SelectedPageObjects) draw(e);
  Host()->Flush(GetPageAreaRect());
}

// ------------------------------------------------------------ handles

void TQSWindow::DrawHandleFeedback(TCanvas& screen) {
  const TQSCalcItem* e = GrabbedElement;
  if (!e || !Score) return;
  const TPoint moved{DragPoint.X - DragStart.X, DragPoint.Y - DragStart.Y};
  if (e->ElementType == element::Stem) return DrawStemFeedback(screen, *e, moved.Y);
  if (e->ElementType == element::PartBarline) return DrawBracketFeedback(screen, *e);
  if (!e->Item) return;
  const int k = e->Item->ItemType;
  const TRect b = geometry_.ElementClientBox(*e);
  if (k == kind::Line || (k >= kind::Arc && k <= kind::ChordSegment && HandleCode >= grab::FirstControl))
    return DrawPageLineFeedback(screen, *e, moved);
  if (k == kind::Lyric || k == kind::Term || k == kind::InstrumentName || k == kind::Text || k == kind::Image ||
      (k >= kind::Rectangle && k <= kind::ChordSegment))
    return DrawBoxFeedback(screen, b, moved);
  if (k == kind::Liga) return DrawCurveFeedback(screen, *e, moved);
  if (k == kind::Accolade) return DrawAccoladeFeedback(screen, *e);
  const auto* mark = dynamic_cast<const TQSMark*>(e->Item);
  if (k == kind::Arpeggio || k == kind::Hang || k == kind::BarreBracket) {
    screen.Rectangle(b.Left, b.Top, b.Right, b.Bottom + moved.Y);
  } else if (k == kind::Hand) {
    // A hand sign grows from its top when it stands below the staff.
    if (mark && mark->Fields.Kind != 0) screen.Rectangle(b.Left, b.Top + moved.Y, b.Right, b.Bottom);
    else screen.Rectangle(b.Left, b.Top, b.Right, b.Bottom + moved.Y);
  } else if (HandleCode == grab::Right && mark && e->Owner && e->Owner->System) {
    DrawSpanEndFeedback(screen, *e, *mark);
  } else {
    screen.Rectangle(b);
  }
}

void TQSWindow::DrawStemFeedback(TCanvas& screen, const TQSCalcItem& e, int movedY) {
  const TRect b = geometry_.ElementClientBox(e);
  const auto* note = dynamic_cast<const TQSNote*>(e.Item);
  const bool down = note && note->IsStemDown();
  const int x = (b.Left + b.Right) / 2;
  screen.MoveTo(x, b.Top + (down ? 0 : movedY));
  screen.LineTo(x, b.Bottom + (down ? movedY : 0));
}

void TQSWindow::DrawBracketFeedback(TCanvas& screen, const TQSCalcItem& e) {
  if (!e.Owner || !e.Owner->System || !e.Owner->System->PageRecord) return;
  // The bracket reaches down to the first staff row of its system whose
  // lower boundary lies below the mouse, else to the system's last row.
  const TRect b = geometry_.ElementClientBox(e);
  const TQSCalcSystem& system = *e.Owner->System;
  const TQSCalcPage& page = *system.PageRecord;
  const TPoint origin = geometry_.PageOrigin(system.Page);
  const int mouseY = geometry_.ClientToCanvas(DragPoint).Y - origin.Y;
  const TQSCalcStaff* chosen = nullptr;
  for (int r = system.FirstRow; r <= system.LastRow; ++r) {
    const TQSCalcStaff* row = page.StaffRows.At(r);
    if (!row) continue;
    chosen = row;
    if (geometry_.Px(RowLowerBoundary(page, system, r)) > mouseY) break;
  }
  if (!chosen) return;
  TargetStaff = chosen->Staff;
  screen.Rectangle(b.Left, b.Top, b.Right,
                   geometry_.Px(chosen->BottomLine) + origin.Y + geometry_.RulerWidth() - geometry_.VertBar.Position);
}

TPoint TQSWindow::PageUnitsToClient(const TQSCalcItem& e, int x, int y) const {
  // Page objects keep their figure in page units at the page's origin.
  const TQSCalcPage* page = e.PageOf();
  const TPoint origin = page ? geometry_.PageOrigin(page->PageIndex) : TPoint{};
  return {geometry_.Px(x) + origin.X + geometry_.RulerWidth() - geometry_.HorzBar.Position,
          geometry_.Px(y) + origin.Y + geometry_.RulerWidth() - geometry_.VertBar.Position};
}

void TQSWindow::DrawPageLineFeedback(TCanvas& screen, const TQSCalcItem& e, TPoint moved) {
  TPoint from, to;
  if (e.Item->ItemType == kind::Line) {
    // A line: the grabbed end moves.
    const auto& f = static_cast<const TQSLine*>(e.Item)->Fields;
    from = PageUnitsToClient(e, f.X1, f.Y1), to = PageUnitsToClient(e, f.X2, f.Y2);
    TPoint& end = HandleCode == grab::Start ? from : to;
    end = {end.X + moved.X, end.Y + moved.Y};
  } else {
    // An arc's control point: a line from the figure's centre to it.
    const auto& f = static_cast<const TQSArc*>(e.Item)->Fields;
    const TRect b = geometry_.ElementClientBox(e);
    from = {(b.Left + b.Right) / 2, (b.Top + b.Bottom) / 2};
    to = HandleCode == grab::FirstControl ? PageUnitsToClient(e, f.AX, f.AY) : PageUnitsToClient(e, f.BX, f.BY);
    to = {to.X + moved.X, to.Y + moved.Y};
  }
  screen.MoveTo(from.X, from.Y);
  screen.LineTo(to.X, to.Y);
}

void TQSWindow::DrawBoxFeedback(TCanvas& screen, TRect box, TPoint moved) {
  if (grab::GrabsLeft(HandleCode)) box.Left += moved.X;
  if (grab::GrabsRight(HandleCode)) box.Right += moved.X;
  if (grab::GrabsTop(HandleCode)) box.Top += moved.Y;
  if (grab::GrabsBottom(HandleCode)) box.Bottom += moved.Y;
  screen.Rectangle(box);
}

void TQSWindow::DrawCurveFeedback(TCanvas& screen, const TQSCalcItem& e, TPoint moved) {
  // The curve through its start, control points and end; the grabbed
  // point moves, an end takes its control point vertically along, and a
  // tie keeps both ends level.
  const auto* tie = static_cast<const TQSLiga*>(e.Item);
  const TRect ends = geometry_.ElementClientBox(e, true);
  const double stretch =
      e.Param2 == 0 ? 1.0 : std::sqrt(std::abs(static_cast<double>(e.Box2.Right - e.Box2.Left) / e.Param2));
  auto offset = [&](int v) { return geometry_.Px(Round(v * Score->Scale * stretch / 100)); };
  TPoint start{ends.Left, ends.Top}, end{ends.Right, ends.Bottom};
  TPoint startControl{start.X + offset(tie->Fields.CurveStartDX), start.Y + offset(tie->Fields.CurveStartDY)};
  TPoint endControl{end.X + offset(tie->Fields.CurveEndDX), end.Y + offset(tie->Fields.CurveEndDY)};
  const bool isTie = !tie->IsSlur();
  const int dx = moved.X, dy = moved.Y;
  switch (HandleCode) {
    case grab::Start:
      start = {start.X + dx, start.Y + dy}, startControl.Y += dy;
      if (isTie) end.Y += dy, endControl.Y += dy;
      break;
    case grab::End:
      end = {end.X + dx, end.Y + dy}, endControl.Y += dy;
      if (isTie) start.Y += dy, startControl.Y += dy;
      break;
    case grab::FirstControl: startControl = {startControl.X + dx, startControl.Y + dy}; break;
    case grab::SecondControl: endControl = {endControl.X + dx, endControl.Y + dy}; break;
    default: break;
  }
  if (tie->Fields.Flags & TQSLiga::kLineMask) {
    screen.MoveTo(start.X, start.Y);
    screen.LineTo(end.X, end.Y);
  } else {
    screen.PolyBezier({start, startControl, endControl, end});
  }
}

void TQSWindow::DrawAccoladeFeedback(TCanvas& screen, const TQSCalcItem& e) {
  const TRect b = geometry_.ElementClientBox(e);
  if (!e.Owner || !e.Owner->System || !e.Owner->System->PageRecord) {
    screen.Rectangle(b);
    return;
  }
  // Whole parts: down to the first part whose lower boundary lies below
  // the mouse, else the system's last part.
  const TQSCalcSystem& system = *e.Owner->System;
  const TQSCalcPage& page = *system.PageRecord;
  const TQSMeasure* measure = e.Item->GetMeasure();
  const int own = measure && measure->Part() ? measure->Part()->Index : 0;
  const TPoint origin = geometry_.PageOrigin(system.Page);
  const int mouseY = geometry_.ClientToCanvas(DragPoint).Y - origin.Y;
  int bottom = b.Bottom;
  const int parts = SystemPartCount(system);
  for (int i = own; i < parts; ++i) {
    const TQSCalcSystemPart* sp = system.Parts.At(i);
    if (!sp || sp->System != &system) continue;
    const TQSCalcStaff* last = page.StaffRows.At(sp->LastRow);
    if (!last) continue;
    bottom = geometry_.Px(last->BottomLine) + origin.Y + geometry_.RulerWidth() - geometry_.VertBar.Position;
    TargetPart = i;
    if (geometry_.Px(RowLowerBoundary(page, system, sp->LastRow)) > mouseY) break;
  }
  screen.Rectangle(b.Left, b.Top, b.Right, bottom);
}

void TQSWindow::DrawSpanEndFeedback(TCanvas& screen, const TQSCalcItem& e, const TQSMark& mark) {
  // A spanning mark's end: the note or rest nearest the mouse in the
  // measure under it, else that measure's start.
  const TRect b = geometry_.ElementClientBox(e);
  const TQSCalcSystem& system = *e.Owner->System;
  const TPoint mouse = geometry_.ClientToCanvas(DragPoint);
  const TPoint origin = geometry_.PageOrigin(system.Page);
  const TQSCalcMeasure* target = nullptr;
  for (int i = 0; i < system.MeasureCount; ++i)
    if (const TQSCalcMeasure* m = system.Measures.At(i);
        m && geometry_.Px(m->Box.Left) + origin.X <= mouse.X && mouse.X < geometry_.Px(m->Box.Right) + origin.X)
      target = m;
  int right = b.Right;
  TargetLength = mark.Fields.Value;
  if (target) {
    const TQSCalcItem* nearest = nullptr;
    int best = 0;
    for (int i = 0; i < target->ItemCount; ++i) {
      const TQSCalcItem* n = target->Items.At(i);
      if (!n || !n->Item || (n->Item->ItemType != kind::Note && n->Item->ItemType != kind::Pause)) continue;
      const int distance = std::abs(geometry_.Px((n->Box.Left + n->Box.Right) / 2) + origin.X - mouse.X);
      if (!nearest || distance < best) nearest = n, best = distance;
    }
    const TQSPiece* piece = system.Piece;
    int ticks = 0;
    for (int m = e.Owner->MeasureIndex; piece && m < target->MeasureIndex; ++m)
      if (m < static_cast<int>(piece->Slots.size()) && piece->Slots[static_cast<size_t>(m)])
        ticks += piece->Slots[static_cast<size_t>(m)]->Length;
    ticks -= mark.Fields.Time;
    if (nearest) {
      right = geometry_.Px(nearest->Box.Right) + origin.X + geometry_.RulerWidth() - geometry_.HorzBar.Position;
      TargetLength = ticks + nearest->Item->TimePosition();
    } else {
      right = geometry_.Px(target->Box.Left + (target->Positions.empty() ? 0 : target->Positions[0])) + origin.X +
              geometry_.RulerWidth() - geometry_.HorzBar.Position;
      TargetLength = ticks;
    }
  }
  screen.Rectangle(b.Left, b.Top, right, b.Bottom);
}

// ------------------------------------------------------------ mouse rows

bool TQSWindow::DragMouseDown(TPoint p, bool hit, bool doubleClick) {
  if (doubleClick) return false;
  if (HandleCode != 0 && GrabbedElement) {
    DragStart = DragPoint = p;
    HandleDragging = true;
    DrawToolFeedback();
    return true;
  }
  if (hit && ToolCode == 0 && ArmedItem == 0) {
    OutlineFlag = MoveDragging = FirstMove = true;
    DragStart = DragPoint = p;
    DrawDragOutline();
    return true;
  }
  return false;
}

bool TQSWindow::DragMouseMove(TPoint p) {
  if ((ArmedItem != 0 && !MoveDragging) || ToolCode != 0 || HandleDragging) {
    if (!(p == DragPoint)) {
      DrawToolFeedback();
      DragPoint = LastPoint = p;
      DrawToolFeedback();
    }
    return true;
  }
  if (MoveDragging) {
    if (p == DragPoint) return true;
    if (IsNoteElement(LastAddedElement) && ArmedItem == 0) ArmPaletteItem(1);
    DrawToolFeedback();
    DrawDragOutline();  // removes what the last step drew (nothing on the first)
    FirstMove = false;
    DragPoint = LastPoint = p;
    DrawDragOutline();
    DrawToolFeedback();
    return true;
  }
  if (!RubberBand && !MouseHeld) {
    HoverCursor(p);
    HoverHint(p);
  }
  return false;
}

void TQSWindow::HoverHint(TPoint p) {
  std::string text;
  bool over = false;
  if (Rule.Visible && OnGetRuleButton && (p.X <= Rule.Width || p.Y <= Rule.Width)) {
    // A ruler marker names the spacing it stands for.
    if (const int marker = RulerMarkerAt(p.X, p.Y)) {
      over = true;
      text = OnGetRuleButton(*this, marker);
    }
  } else if (OnGetPageButton && p.Y >= ClientHeight() - geometry_.HorzBar.Thickness) {
    for (int i = 1; i <= 7; ++i)
      if (ButtonEnabled[static_cast<size_t>(i)] && Buttons[static_cast<size_t>(i)].Contains(p)) {
        over = true;
        text = OnGetPageButton(*this, i);
        break;
      }
  }
  if (!over) {
    SetHint("");
    return;
  }
  if (text.empty() || text == Hint()) return;
  SetHint(text);
  TApplication& app = Application();
  app.CancelHint();
  SetShowHint(true);
  app.HintPause = 500;
  app.ActivateHint(ClientToScreen(p), text);
}

void TQSWindow::HoverCursor(TPoint p) {
  // The hit test names the handle under the mouse; the grabbed one stays.
  const int code = HandleCode;
  TQSCalcItem* grabbed = GrabbedElement;
  const int under = HitTestHandles(p);
  HandleCode = code;
  GrabbedElement = grabbed;
  // Over the pages the palette's tool cursor, elsewhere the arrow; a grab
  // handle shows the way it sizes.
  TCursor shape = GetPageAreaRect().Contains(p) ? ToolCursor : crDefault;
  switch (under) {
    case 1: case 5: case 9: shape = crSizeNWSE; break;
    case 2: case 6: shape = crSizeNS; break;
    case 3: case 7: case 10: shape = crSizeNESW; break;
    case 4: case 8: shape = crSizeWE; break;
    default: break;
  }
  if (Cursor() != shape) TCustomControl::SetCursor(shape);
}

bool TQSWindow::DragMouseUp(TPoint p) {
  (void)p;
  if (ToolCode != 0) {
    DrawToolFeedback();
    FinishTool();
    return true;
  }
  if (HandleDragging) {
    DrawToolFeedback();
    HandleDragging = false;
    TCustomControl::SetCursor(crDefault);
    const int dx = DragPoint.X - DragStart.X, dy = DragPoint.Y - DragStart.Y;
    if (dx != 0 || dy != 0) DragHandle(dx, dy);
    HandleCode = 0;
    return true;
  }
  if (MoveDragging) {
    if (FirstMove) {
      MoveDragging = false;
      return true;
    }
    DrawDragOutline();
    MoveDragging = false;
    if (ArmedItem == 1) {
      // The ghost goes; the drag's last pitch line stays for the move.
      const int line = GhostLine;
      ArmPaletteItem(0);
      GhostLine = line;
    }
    const int dx = DragPoint.X - DragStart.X, dy = DragPoint.Y - DragStart.Y;
    if (dx != 0 || dy != 0) MoveSelection(dx, dy);
    return true;
  }
  return false;
}

void TQSWindow::DrawOverlays() {
  DrawDragOutline();
  DrawToolFeedback();
}

bool TQSWindow::CancelDrag() {
  if (MoveDragging) {
    if (!FirstMove) DrawDragOutline();
    MoveDragging = false;
    if (ArmedItem == 1) ArmPaletteItem(0);
    return true;
  }
  if (HandleDragging) {
    DrawToolFeedback();
    HandleDragging = false;
    HandleCode = 0;
    return true;
  }
  if (ToolCode != 0) {
    DrawToolFeedback();
    ToolCode = 0;
    return true;
  }
  return false;
}

void TQSWindow::MoveSelection(int dx, int dy) {
  if (OnMoveSelection) OnMoveSelection(*this, dx, dy);
}

void TQSWindow::DragHandle(int dx, int dy) {
  if (GrabbedElement && OnDragHandle) OnDragHandle(*this, dx, dy);
}

}  // namespace qs
