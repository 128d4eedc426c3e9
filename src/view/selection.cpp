// The selection of a view: layout elements kept per piece and measure,
// page-object elements, hit tests at a point and in a rectangle, grab
// handles, selecting a whole scope, and the predicates the menus ask.
#include <algorithm>
#include <cmath>

#include "base/exceptions.h"
#include "base/mathutil.h"
#include "score/calcrecords.h"
#include "score/marks.h"
#include "score/measure.h"
#include "score/notes.h"
#include "score/pageobjects.h"
#include "score/part.h"
#include "score/piece.h"
#include "score/score.h"
#include "score/units.h"
#include "view/grabhandles.h"
#include "view/window.h"

namespace qs {

namespace {

// The piece whose selection record takes the element; nullptr for a page
// element (a page object owned by the score or a part).
TQSPiece* ElementPiece(const TQSCalcItem& e) {
  if (e.ElementType == element::PartBarline)
    return e.Staff && e.Staff->Part() ? e.Staff->Part()->Piece() : nullptr;
  if (!e.Item) return nullptr;
  if (const TQSMeasure* m = e.Item->GetMeasure()) return m->Part() ? m->Part()->Piece() : nullptr;
  if (const auto* column = dynamic_cast<const TQSColumn*>(e.Item->Owner())) return column->Piece();
  return nullptr;
}

int KindOf(const TQSCalcItem& e) { return e.Item ? e.Item->ItemType : -1; }

// A clef or key drawn again at a system start: the element stands in a
// later measure than its item. A band over that measure does not take it,
// for taking it would take the item of the earlier measure with all its
// elements (copied, moved or deleted with the band's contents).
bool RepeatsAnEarlierItem(const TQSCalcItem& e) {
  const int k = KindOf(e);
  if (k != kind::Clef && k != kind::Key) return false;
  const TQSMeasure* m = e.Item->GetMeasure();
  return m && e.Owner && e.Owner->MeasureIndex != m->Index;
}

// Calls f(element) for every element in use of the page's measure slots,
// system by system and slot by slot, each slot's elements from the last to
// the first when reversed; f returns false to stop.
template <class F>
bool ForSlotElements(const TQSCalcPage& page, bool reversed, F&& f) {
  for (int s = 0; s < page.SystemCount; ++s) {
    const TQSCalcSystem* system = page.Systems.At(s);
    if (!system) continue;
    for (int k = 0; k < system->MeasureCount; ++k) {
      const TQSCalcMeasure* slot = system->Measures.At(k);
      if (!slot) continue;
      for (int n = 0; n < slot->ItemCount; ++n) {
        TQSCalcItem* e = slot->Items.At(reversed ? slot->ItemCount - 1 - n : n);
        if (e && !f(*e)) return false;
      }
    }
  }
  return true;
}

bool Touches(const TRect& a, const TRect& b) {
  return a.Left <= b.Right && b.Left <= a.Right && a.Top <= b.Bottom && b.Top <= a.Bottom;
}

// Handle rectangles include their left and top edge only.
bool InHandle(TPoint p, int left, int top, int right, int bottom) {
  return p.X >= left && p.X < right && p.Y >= top && p.Y < bottom;
}

}  // namespace

TQSSelList& TQSWindow::MeasureList(TQSSelPiece& sel, int index) {
  if (index < 0) index = 0;
  if (static_cast<int>(sel.Measures.size()) <= index) sel.Measures.resize(static_cast<size_t>(index) + 1);
  return sel.Measures[static_cast<size_t>(index)];
}

void TQSWindow::InvalidateElement(const TQSCalcItem& e) { InvalidateClient(geometry_.ElementRepaintBox(e), true); }

// ------------------------------------------------------------- adding

bool TQSWindow::AddOne(TQSSelList& list, TQSCalcItem* e) {
  if (std::find(list.begin(), list.end(), e) == list.end()) {
    list.push_back(e);
    InvalidateElement(*e);
  }
  SetHasSelection(true);
  return true;
}

bool TQSWindow::AddElement(TQSCalcItem* e) {
  if (!Score || !e) return false;
  if (e->ElementType != element::PartBarline && !e->Item) return false;
  TQSPiece* piece = ElementPiece(*e);
  if (piece) {
    TQSSelPiece* sel = FindSelPiece(piece);
    if (!sel) {
      SelPieces.push_back(std::make_unique<TQSSelPiece>());
      sel = SelPieces.back().get();
      sel->Piece = piece;
    }
    if (e->ElementType != element::PartBarline) LastAddedElement = e;
    auto add = [&](TQSCalcItem* one) {
      return AddOne(MeasureList(*sel, one->Owner ? one->Owner->MeasureIndex : 0), one);
    };
    if (e->Item && e->Item->LayoutLink) {
      int n = 0;
      for (TQSCalcItem* one = e->Item->LayoutLink; one && n <= kMaxElementChain; one = one->Next, ++n) add(one);
      return true;
    }
    return add(e);
  }
  if (e->Item && e->Item->LayoutLink) {
    int n = 0;
    for (TQSCalcItem* one = e->Item->LayoutLink; one; one = one->Next) {
      if (++n > kMaxElementChain) throw Exception("Out of repeat add selected");
      AddOne(SelectedPageObjects, one);
    }
    return true;
  }
  return AddOne(SelectedPageObjects, e);
}

void TQSWindow::SetHasSelection(bool value) {
  if (value == hasSelection_) return;
  hasSelection_ = value;
  if (!SuppressEvents) Fire(OnSelectedChanged, this);
}

void TQSWindow::ClearSelection() {
  EditItemText(nullptr);
  for (auto& sel : SelPieces) {
    if (!sel) continue;
    for (TQSSelList& list : sel->Measures) {
      try {
        for (TQSCalcItem* e : list) InvalidateElement(*e);
      } catch (...) {
      }
      list.clear();
    }
  }
  for (TQSCalcItem* e : SelectedPageObjects) InvalidateElement(*e);
  SelectedPageObjects.clear();
  SetHasSelection(false);
}

void TQSWindow::EndSelectionBatch(bool fire) {
  SuppressEvents = false;
  if (fire) Fire(OnSelectedChanged, this);
}

// ------------------------------------------------------------ hit tests

bool TQSWindow::SelectAtPoint(TPoint point, bool select, bool clearFirst) {
  if (!Score) return false;
  const TPoint p = geometry_.ClientToCanvas(point);
  SuppressEvents = true;
  bool result = false, ended = false;
  try {
    for (int j = 0; j < geometry_.PageCount && j < static_cast<int>(geometry_.PageGrid.size()) && !ended; ++j) {
      const TRect& pr = geometry_.PageGrid[static_cast<size_t>(j)].Rect;
      const TQSCalcPage* page = LayoutPage(j);
      if (!page || !pr.Contains(p)) continue;
      auto hit = [&](TQSCalcItem& e) {
        const TRect box = geometry_.ElementCanvasBox(e);
        if (!box.Contains(p)) return true;
        // Only a volta's bracket and its hook take a click.
        if (KindOf(e) == kind::Volta && p.Y - box.Top > Zoom * 8 / 100 && box.Right - p.X > Zoom * 2 / 100)
          return true;
        if (&e == EditedElement) {
          ended = true;
          return false;
        }
        if (clearFirst) ClearSelection();
        result = select ? AddElement(&e) : true;
        const auto* note = dynamic_cast<const TQSNote*>(LastAddedElement ? LastAddedElement->Item : nullptr);
        if (note && note->Fields.StaffVoice != MakeStaffVoice(CursorPosition.Staff, CursorPosition.Voice))
          return true;
        ended = true;
        return false;
      };
      ForSlotElements(*page, true, hit);
      if (ended) break;
      for (int n = 0; n < page->PageItemCount; ++n) {
        TQSCalcItem* e = page->PageItems.At(n);
        if (!e || !geometry_.ElementCanvasBox(*e).Contains(p)) continue;
        if (e == EditedElement) {
          ended = true;
          break;
        }
        if (KindOf(*e) == kind::Line && !PointNearLine(*e, point)) continue;
        if (clearFirst) ClearSelection();
        result = select ? AddElement(e) : true;
        ended = true;
        break;
      }
    }
    if (!ended && clearFirst) ClearSelection();
  } catch (...) {
    SuppressEvents = false;
    throw;
  }
  EndSelectionBatch(result);
  return result;
}

bool TQSWindow::EditTextAtPoint(TPoint point) {
  if (!Score) return false;
  const TPoint p = geometry_.ClientToCanvas(point);
  TQSCalcItem* hit = nullptr;
  for (int j = 0; j < geometry_.PageCount && j < static_cast<int>(geometry_.PageGrid.size()) && !hit; ++j) {
    const TQSCalcPage* page = LayoutPage(j);
    if (!page || !geometry_.PageGrid[static_cast<size_t>(j)].Rect.Contains(p)) continue;
    ForSlotElements(*page, true, [&](TQSCalcItem& e) {
      if (geometry_.ElementCanvasBox(e).Contains(p)) hit = &e;
      return !hit;
    });
    for (int n = 0; n < page->PageItemCount && !hit; ++n)
      if (TQSCalcItem* e = page->PageItems.At(n); e && geometry_.ElementCanvasBox(*e).Contains(p)) hit = e;
  }
  const int k = hit ? KindOf(*hit) : -1;
  if (k != kind::Lyric && k != kind::Term && k != kind::InstrumentName && k != kind::Text) return false;
  EditItemText(hit);
  PointToCursor(point);
  return true;
}

bool TQSWindow::SelectInRect(const TRect& rect, bool clearFirst) {
  if (!Score) return false;
  TRect r = geometry_.ClientRectToCanvas(rect);
  if (r.Left > r.Right) std::swap(r.Left, r.Right);
  if (r.Top > r.Bottom) std::swap(r.Top, r.Bottom);
  SuppressEvents = true;
  bool added = false;
  auto take = [&](TQSCalcItem& e) {
    if (!Touches(geometry_.ElementCanvasBox(e), r)) return;
    if (!added && clearFirst) ClearSelection();
    added = true;
    AddElement(&e);
  };
  try {
    for (int j = 0; j < geometry_.PageCount && j < static_cast<int>(geometry_.PageGrid.size()); ++j) {
      const TQSCalcPage* page = LayoutPage(j);
      // What lies on a page is drawn inside it: pages the band does not
      // reach hold nothing it can catch.
      if (!page || !Touches(geometry_.PageGrid[static_cast<size_t>(j)].Rect, r)) continue;
      ForSlotElements(*page, false, [&](TQSCalcItem& e) {
        const int k = KindOf(e);
        if (e.ElementType != element::PartBarline && k != kind::Accolade && k != kind::Meter &&
            k != kind::MeasureNumbering && !RepeatsAnEarlierItem(e))
          take(e);
        return true;
      });
      for (int n = 0; n < page->PageItemCount; ++n)
        if (TQSCalcItem* e = page->PageItems.At(n)) take(*e);
    }
  } catch (...) {
    SuppressEvents = false;
    throw;
  }
  EndSelectionBatch(added);
  return added;
}

bool TQSWindow::PointNearLine(const TQSCalcItem& e, TPoint point) const {
  const auto* line = dynamic_cast<const TQSLine*>(e.Item);
  if (!line) return false;
  const int page = geometry_.PageOfElement(e);
  const TPoint origin = geometry_.PageToScreen({0, 0}, page);
  const double x1 = geometry_.Px(line->Fields.X1), y1 = geometry_.Px(line->Fields.Y1),
               x2 = geometry_.Px(line->Fields.X2), y2 = geometry_.Px(line->Fields.Y2);
  const double px = point.X - origin.X, py = point.Y - origin.Y;
  const double dx = x2 - x1, dy = y2 - y1;
  if (dx == 0 && dy == 0) return true;
  const double d = std::abs(dy * px - dx * py + x2 * y1 - x1 * y2) / std::sqrt(dx * dx + dy * dy);
  return d < Zoom * 6 / 100;
}

int TQSWindow::HitTestHandles(TPoint p) {
  HandleCode = 0;
  if (!Score) return 0;
  const int S = Zoom * 6 / 100, h = Zoom * 3 / 100, e2 = Zoom * 2 / 100, S2 = S / 2;
  auto point = [&](int x, int y) { return InHandle(p, x - h, y - h, x + h, y + h); };
  auto square = [&](int x, int y) { return InHandle(p, x - S2, y - S2, x - S2 + S, y - S2 + S); };
  auto boxHandles = [&](const TRect& b) {
    const int mx = (b.Left + b.Right) / 2, my = (b.Top + b.Bottom) / 2;
    if (InHandle(p, b.Left, b.Top, b.Left + S, b.Top + S)) return grab::TopLeft;
    if (InHandle(p, mx - S2, b.Top, mx + S2, b.Top + S)) return grab::Top;
    if (InHandle(p, b.Right - S, b.Top, b.Right, b.Top + S)) return grab::TopRight;
    if (InHandle(p, b.Right - S, my - 3, b.Right, my + S2)) return grab::Right;
    if (InHandle(p, b.Right - S, b.Bottom - S, b.Right, b.Bottom)) return grab::BottomRight;
    if (InHandle(p, mx - S2, b.Bottom - S, mx + S, b.Bottom)) return grab::Bottom;
    if (InHandle(p, b.Left, b.Bottom - S, b.Left + S, b.Bottom)) return grab::BottomLeft;
    if (InHandle(p, b.Left, my - 3, b.Left + 6, my + 3)) return grab::Left;
    return grab::None;
  };
  auto ends = [&](const TRect& b, int first, int second) {
    if (square(b.Left, b.Top)) return first;
    if (square(b.Right, b.Bottom)) return second;
    return grab::None;
  };
  // A page rectangle in page units as client pixels.
  auto client = [&](const TQSCalcItem& e, TRect units) {
    TRect r = geometry_.ScaleRect(units);
    const TRect box = geometry_.ElementClientBox(e);
    const TRect base = geometry_.ScaleRect(e.Box);
    r.Offset(box.Left - base.Left, box.Top - base.Top);
    return r;
  };

  auto scoreHandle = [&](TQSCalcItem& e) -> int {
    const TRect b = geometry_.ElementClientBox(e);
    const int mx = (b.Left + b.Right) / 2;
    if (e.ElementType == element::PartBarline) return point(mx, b.Bottom) ? grab::Only : grab::None;
    if (e.ElementType == element::Stem) {
      // Stems belong to notes (and chords' notes) alone.
      const auto* note = dynamic_cast<const TQSNote*>(e.Item);
      const bool bottom = note && note->IsStemDown();
      const int y = bottom ? b.Bottom : b.Top;
      return InHandle(p, b.Left - e2, y - S2, b.Right + e2, y + S2) ? grab::Only : grab::None;
    }
    if (e.ElementType != element::Item || !e.Item || &e == EditedElement) return grab::None;
    const int k = e.Item->ItemType;
    const auto* mark = dynamic_cast<const TQSMark*>(e.Item);
    switch (k) {
      case kind::Accolade:
        return point(mx, b.Bottom) ? grab::Only : grab::None;
      case kind::Liga: {
        if (int code = ends(geometry_.ElementClientBox(e, true), grab::Start, grab::End)) return code;
        const auto* tie = static_cast<const TQSLiga*>(e.Item);
        const TRect u = e.Box2;
        const double f = e.Param2 == 0 ? 1.0 : std::sqrt(std::abs(static_cast<double>(u.Right - u.Left) / e.Param2));
        auto off = [&](int v) { return Round(v * Score->Scale * f / 100); };
        const TRect control{u.Left + off(tie->Fields.CurveStartDX), u.Top + off(tie->Fields.CurveStartDY),
                            u.Right + off(tie->Fields.CurveEndDX), u.Bottom + off(tie->Fields.CurveEndDY)};
        return ends(client(e, control), grab::FirstControl, grab::SecondControl);
      }
      case kind::Lyric: case kind::Term: case kind::InstrumentName:
        return boxHandles(b);
      case kind::Dynamics:
        if (mark && !dynamic::IsHairpinKind(mark->Fields.Kind)) return grab::None;
        [[fallthrough]];
      case kind::Trill: case kind::Bracket: case kind::Vibrato: case kind::StringNumber: case kind::Muting:
      case kind::Ottava: case kind::Barre: case kind::Flageolet:
        return point(b.Right, (b.Top + b.Bottom) / 2) ? grab::Right : grab::None;
      case kind::Arpeggio: case kind::Hang: case kind::BarreBracket:
        return point(mx, b.Bottom) ? grab::Only : grab::None;
      case kind::Hand:
        return point(mx, mark && mark->Fields.Kind != 0 ? b.Top : b.Bottom) ? grab::Only : grab::None;
      default:
        return grab::None;
    }
  };
  auto pageHandle = [&](TQSCalcItem& e) -> int {
    if (e.ElementType != element::Item || !e.Item || &e == EditedElement) return grab::None;
    const int k = e.Item->ItemType;
    if (const auto* line = dynamic_cast<const TQSLine*>(e.Item); line && k == kind::Line) {
      const TQSLine::TFields& f = line->Fields;
      return ends(client(e, {f.X1, f.Y1, f.X2, f.Y2}), grab::Start, grab::End);
    }
    if (k == kind::Text || k == kind::Image || (k >= kind::Rectangle && k <= kind::ChordSegment)) {
      if (int code = boxHandles(geometry_.ElementClientBox(e))) return code;
      if (const auto* arc = dynamic_cast<const TQSArc*>(e.Item); arc && k >= kind::Arc)
        return ends(client(e, {arc->Fields.AX, arc->Fields.AY, arc->Fields.BX, arc->Fields.BY}), grab::FirstControl, grab::SecondControl);
    }
    return grab::None;
  };

  for (auto& sel : SelPieces)
    for (TQSSelList& list : sel->Measures)
      for (TQSCalcItem* e : list)
        if (int code = scoreHandle(*e)) {
          GrabbedElement = e;
          return HandleCode = code;
        }
  for (TQSCalcItem* e : SelectedPageObjects)
    if (int code = pageHandle(*e)) {
      GrabbedElement = e;
      return HandleCode = code;
    }
  return grab::None;
}

// ------------------------------------------------------------ select all

void TQSWindow::SelectAll(int scope) {
  if (!Score) return;
  ClearSelection();
  const TQSCursorPosition& c = CursorPosition;
  auto staffOf = [](const TQSItem& item, int& staff, int& voice) {
    switch (item.ItemType) {
      case kind::Clef: case kind::Note: case kind::Pause: case kind::Lyric: case kind::Term:
      case kind::InstrumentName: case kind::NoteRepeat: case kind::BarRepeat: case kind::Tuplet:
      case kind::Dynamics: case kind::Arpeggio: case kind::Hang: case kind::Trill: case kind::Gruppetto:
      case kind::Vibrato: case kind::Finger: case kind::StringNumber: case kind::Hammer: case kind::Staccato:
      case kind::Portamento: case kind::Tremolo: case kind::Ottava: case kind::BarreBracket: {
        const int sv = item.StaffVoice();
        if (sv < 0) return false;
        staff = StaffOf(static_cast<uint8_t>(sv));
        voice = VoiceOf(static_cast<uint8_t>(sv));
        return true;
      }
      default:
        return false;
    }
  };
  SuppressEvents = true;
  for (int j = 0; j < geometry_.PageCount; ++j) {
    const TQSCalcPage* page = LayoutPage(j);
    if (!page) continue;
    ForSlotElements(*page, false, [&](TQSCalcItem& e) {
      if (e.ElementType == element::PartBarline) return true;
      const int k = KindOf(e);
      if (k == kind::Accolade || k == kind::Meter || k == kind::MeasureNumbering) return true;
      if (scope == 1 && (!e.Owner || !e.Owner->System || !e.Owner->System->Piece ||
                         e.Owner->System->Piece->Index != c.Piece))
        return true;
      // A staff's first clef is repeated at every system start, and each copy
      // selects all of them: leave out every element of that clef.
      if (k == kind::Clef && e.Item->TimePosition() == 0 && e.Item->GetMeasure() && e.Item->GetMeasure()->Index == 0)
        return true;
      if (scope >= 2) {
        const TQSMeasure* m = e.Item ? e.Item->GetMeasure() : nullptr;
        if (!m || !m->Part() || m->Part()->Index != c.Part) return true;
        int staff = 0, voice = 0;
        if (scope >= 3 && (!staffOf(*e.Item, staff, voice) || staff != c.Staff)) return true;
        const bool voiced = k == kind::Note || k == kind::Pause || k == kind::NoteRepeat || k == kind::BarRepeat;
        if (scope == 4 && (!voiced || voice != c.Voice)) return true;
      }
      try {
        AddElement(&e);
      } catch (...) {
      }
      return true;
    });
  }
  EndSelectionBatch(hasSelection_);
}

void TQSWindow::SelectAllPageObjects(bool allPages) {
  if (!Score) return;
  ClearSelection();
  SuppressEvents = true;
  try {
    for (int j = 0; j < geometry_.PageCount; ++j) {
      if (!allPages && j != CursorPosition.Page) continue;
      const TQSCalcPage* page = LayoutPage(j);
      for (int n = 0; page && n < page->PageItemCount; ++n)
        if (TQSCalcItem* e = page->PageItems.At(n)) AddElement(e);
    }
  } catch (...) {
    SuppressEvents = false;
    throw;
  }
  EndSelectionBatch(hasSelection_);
}

// ------------------------------------------------------------ predicates

bool TQSWindow::SelectionHasKind(int kindFrom, int kindTo) const {
  if (kindTo == 0) kindTo = kindFrom;
  auto matches = [&](const TQSItem* item) {
    if (!item) return false;
    if (item->ItemType >= kindFrom && item->ItemType <= kindTo) return true;
    if (kindFrom == kind::Vorschlag)
      if (const auto* note = dynamic_cast<const TQSNote*>(item); note && note->GraceGroup()) return true;
    return false;
  };
  for (const auto& sel : SelPieces)
    for (const TQSSelList& list : sel->Measures)
      for (const TQSCalcItem* e : list)
        if (matches(e->Item)) return true;
  for (const TQSCalcItem* e : SelectedPageObjects)
    if (e->Item && e->Item->ItemType >= kindFrom && e->Item->ItemType <= kindTo) return true;
  return false;
}

bool TQSWindow::CanSaveSymbol() const {
  for (const TQSCalcItem* e : SelectedPageObjects)
    if (e->ElementType == element::Item && e->Item && e->Item->ItemType >= kind::Text &&
        e->Item->ItemType <= kind::ChordSegment)
      return true;
  return false;
}

bool TQSWindow::CanSaveChord() const {
  const TQSNote* previous = nullptr;
  for (const auto& sel : SelPieces)
    for (const TQSSelList& list : sel->Measures)
      for (const TQSCalcItem* e : list) {
        const auto* note = e->ElementType == element::Item ? dynamic_cast<const TQSNote*>(e->Item) : nullptr;
        if (!note || note->GraceGroup()) continue;
        if (previous && previous->Fields.StaffVoice == note->Fields.StaffVoice &&
            previous->Fields.Time == note->Fields.Time && previous->Fields.RealLength == note->Fields.RealLength &&
            previous->GetMeasure() == note->GetMeasure())
          return true;
        previous = note;
      }
  return false;
}

}  // namespace qs
