#include "editing/drags.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

#include "editing/move.h"
#include "layout/dynamics.h"
#include "editing/pageobjects.h"
#include "editing/palette.h"
#include "editing/selection.h"
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

constexpr uint8_t kActionDrag = 21;
constexpr int kLowestIndex = 6, kHighestIndex = 57;

// Nearest integer, halves to the even neighbour.
int RoundEven(double v) { return static_cast<int>(std::nearbyint(v)); }

void Add16(int16_t& field, int64_t d) { field = static_cast<int16_t>(std::clamp<int64_t>(field + d, -32768, 32767)); }

struct TDragUnits {
  int Zoom, Scale;
  // Layout units at zoom 100 (page objects, sizes), and before the score's
  // scale (offsets of marks and curves).
  int P(int v) const { return static_cast<int>(static_cast<int64_t>(v) * 800 / Zoom); }
  int S(int v) const { return static_cast<int>(static_cast<int64_t>(v) * 100 / Scale * 800 / Zoom); }
};

TQSStaff* StaffOf(const TQSNote& note) {
  TQSMeasure* m = note.GetMeasure();
  TQSPart* part = m ? m->Part() : nullptr;
  return part ? part->GetStaff(note.Fields.StaffVoice >> 4) : nullptr;
}

void MoveNote(TQSSelectionCommand& c, TQSWindow& view, TQSNote& note, int dy, bool dragged) {
  TQSStaff* staff = StaffOf(note);
  if (!staff) return;
  const int sp = std::max(1, view.Geometry().StaffSpacePixels(*staff));
  if (staff->Fields.Tablature) {
    const int lines = std::max<int>(1, staff->Fields.LineCount);
    const int string = std::clamp(note.Fields.TabString - RoundEven(static_cast<double>(dy) / sp), 0, lines - 1);
    if (string == note.Fields.TabString) return;
    c.SaveItem(&note);
    note.Fields.TabString = static_cast<uint8_t>(string);
    note.SetMidiKey(static_cast<uint8_t>(std::clamp(staff->GetTuning(string) + note.Fields.TabFret - 1, 0, 127)));
  } else {
    const int old = PitchLine(note.Fields.Pitch);
    const int target = std::clamp(dragged ? view.GhostLine + 35 : old - RoundEven(2.0 * dy / sp), kLowestIndex,
                                  kHighestIndex);
    if (target == old) return;
    c.SaveItem(&note);
    note.Fields.TabFret = 0;
    note.Fields.Pitch = MakePitch(target / 7, target % 7);
  }
  c.AfterPitchChange(note);
  c.Changed = true;
}

// x, y, width and height of a box dragged by one of its eight handles;
// limited: the width stays above 0 and the height at least 100, else 64.
template <class Width>
void DragBox(int code, int d, int e, int16_t& x, int16_t& y, Width& w, Width& h, bool limited) {
  const int W = static_cast<uint16_t>(w), H = static_cast<uint16_t>(h);
  auto width = [&](int v) { return !limited || v > 0 ? v : 64; };
  auto height = [&](int v) { return !limited || v >= 100 ? v : 64; };
  const bool left = grab::GrabsLeft(code), right = grab::GrabsRight(code);
  const bool top = grab::GrabsTop(code), bottom = grab::GrabsBottom(code);
  if (left) Add16(x, d), w = static_cast<Width>(width(W - d));
  if (right) w = static_cast<Width>(width(W + d));
  if (top) Add16(y, e), h = static_cast<Width>(height(H - e));
  if (bottom) h = static_cast<Width>(height(H + e));
}

// A direct manipulation tells the views it was the view that changed the
// score: the layout pass from the first page touched when something
// changed, a repaint and OnChanged with the view as sender.
void FinishDrag(TQSSelectionCommand& c, TQSScore& score, TQSWindow& view,
                const std::function<void()>& afterLayout = {}) {
  if (c.FromPage >= kNoAffectedPage) return;
  if (c.Changed) {
    score.Recalculate(c.FromPage, -1);
    if (afterLayout) afterLayout();
  }
  score.RefreshWindowsFrom(c.FromPage);
  score.FireChanged(&view);
}

// The staves of a piece in order, part by part.
std::vector<TQSStaff*> PieceStaves(const TQSPiece& piece) {
  std::vector<TQSStaff*> out;
  for (int p = 0; p < piece.PartCount(); ++p)
    if (const TQSPart* part = piece.GetPart(p))
      for (int s = 0; s < part->StaffCount(); ++s) out.push_back(part->GetStaff(s));
  return out;
}

}  // namespace

void DragBracket(TQSStaff& bracket, const TQSStaff& targetStaff) {
  const TQSPart* part = bracket.Part();
  const TQSPiece* piece = part ? part->Piece() : nullptr;
  if (!piece) return;
  const std::vector<TQSStaff*> staves = PieceStaves(*piece);
  const int count = static_cast<int>(staves.size());
  auto indexOf = [&](const TQSStaff* staff) {
    const auto at = std::find(staves.begin(), staves.end(), staff);
    return at == staves.end() ? -1 : static_cast<int>(at - staves.begin());
  };
  const int own = indexOf(&bracket);
  // A bracket spans its own staff at least.
  const int target = std::max(indexOf(&targetStaff), own);
  if (own < 0) return;
  const uint16_t g = bracket.Fields.Group;
  int first = own + 1;  // F: the first staff after the bracket's with another number
  while (first < count && staves[static_cast<size_t>(first)]->Fields.Group == g) ++first;
  if (first < count && target >= first) {
    for (int i = first; i <= target; ++i) staves[static_cast<size_t>(i)]->Fields.Group = g;
    return;
  }
  const uint16_t v = first < count ? staves[static_cast<size_t>(first)]->Fields.Group : static_cast<uint16_t>(g + 1);
  for (int i = std::min(first, count - 1); i > target; --i) staves[static_cast<size_t>(i)]->Fields.Group = v;
}

void MoveSelection(TQSScore& score, TQSWindow& view, int dx, int dy) {
  TQSSelectionCommand c(score, kActionDrag);
  if (!c.HasView()) return;
  c.Gather();
  if (c.Work.empty()) return;
  const TDragUnits u{std::max(1, view.Zoom), std::max(1, score.Scale)};
  const TQSItem* dragged = view.LastAddedElement ? view.LastAddedElement->Item : nullptr;
  try {
    for (TQSItem* item : c.Work) {
      if (!item) continue;
      const int k = item->ItemType;
      if (auto* note = dynamic_cast<TQSNote*>(item); note && k == kind::Note) {
        MoveNote(c, view, *note, dy, item == dragged);
      } else if (auto* rest = dynamic_cast<TQSPause*>(item); rest && k == kind::Pause) {
        if (u.S(dy) == 0) continue;
        c.SaveItem(item);
        Add16(rest->Fields.OffsetY, u.S(dy));
        c.Changed = true;
      } else if (k >= kind::Text) {
        if (ShiftItemOffsets(c, item, u.P(dx), u.P(dy))) c.Changed = true;
      } else if (ShiftItemOffsets(c, item, u.S(dx), u.S(dy))) {
        c.Changed = true;
      }
    }
  } catch (...) {
    FinishDrag(c, score, view);
    throw;
  }
  FinishDrag(c, score, view);
}

void DragHandle(TQSScore& score, TQSWindow& view, int dx, int dy) {
  TQSCalcItem* e = view.GrabbedElement;
  if (!e || (!e->Item && e->ElementType != element::PartBarline)) return;
  TQSSelectionCommand c(score, kActionDrag);
  if (!c.HasView()) return;
  const TDragUnits u{std::max(1, view.Zoom), std::max(1, score.Scale)};
  TQSItem* item = e->Item;
  const int k = item ? item->ItemType : 0;
  const int code = view.HandleCode;
  auto save = [&] {
    c.SaveItem(item);
    c.LowerPageTo(e);
    c.Changed = true;
  };
  if (e->ElementType == element::PartBarline) {
    // The staves the bracket joins: no snapshot is taken of staff settings.
    if (!e->Staff || !view.TargetStaff) return;
    DragBracket(*e->Staff, *view.TargetStaff);
    c.LowerPageTo(e);
    c.Changed = true;
    FinishDrag(c, score, view);
    return;
  }
  if (e->ElementType == element::Stem) {
    auto* note = dynamic_cast<TQSNote*>(item);
    TQSStaff* staff = note ? StaffOf(*note) : nullptr;
    if (!note || !staff) return;
    const int size = std::max(1, static_cast<int>(staff->Fields.Scale));
    const int step = static_cast<int>(static_cast<int64_t>(dy) * 1000000 / u.Zoom / u.Scale / size);
    const int d = note->IsStemDown() ? step : -step;
    save();
    // The notes of a chord share one stem: each follows the drag alike. A
    // stem dragged past its head stops at length 0 rather than wrapping
    // round to a giant one.
    for (TQSNote* n : ChordOf(*note)) {
      c.SaveItem(n);
      n->Fields.StemLength = static_cast<uint8_t>(std::clamp(n->Fields.StemLength + d, 0, 255));
    }
  } else if (e->ElementType != element::Item) {
    return;
  } else if (auto* tie = dynamic_cast<TQSLiga*>(item); tie && k == kind::Liga) {
    auto& f = tie->Fields;
    const bool isTie = !tie->IsSlur();
    auto off = [&](int v) { return static_cast<int64_t>(v) * 80000 / u.Zoom / u.Scale; };
    const double t = e->Param2 == 0 ? 1.0 : std::sqrt(std::abs(static_cast<double>(e->Box2.Right - e->Box2.Left) / e->Param2));
    auto curve = [&](int v) { return RoundEven(v / t * 10000 * 8 / u.Zoom / u.Scale); };
    save();
    switch (code) {
      case grab::Start:
        Add16(f.StartX, off(dx)), Add16(f.StartY, off(dy));
        if (isTie) f.EndY = f.StartY;
        break;
      case grab::End:
        Add16(f.EndX, off(dx)), Add16(f.EndY, off(dy));
        if (isTie) f.StartY = f.EndY;
        break;
      case grab::FirstControl: Add16(f.CurveStartDX, curve(dx)), Add16(f.CurveStartDY, curve(dy)); break;
      case grab::SecondControl: Add16(f.CurveEndDX, curve(dx)), Add16(f.CurveEndDY, curve(dy)); break;
      default: break;
    }
  } else if (auto* lyric = dynamic_cast<TQSLyric*>(item);
             lyric && (k == kind::Lyric || k == kind::Term || k == kind::InstrumentName)) {
    save();
    auto& f = lyric->Fields;
    DragBox(code, u.P(dx), u.P(dy), f.OffsetX, f.OffsetY, f.Width, f.Height, true);
  } else if (auto* text = dynamic_cast<TQSText*>(item); text && k == kind::Text) {
    save();
    DragBox(code, u.P(dx), u.P(dy), text->Fields.X, text->Fields.Y, text->Fields.Width, text->Fields.Height, true);
  } else if (auto* image = dynamic_cast<TQSImage*>(item); image && k == kind::Image) {
    save();
    DragBox(code, u.P(dx), u.P(dy), image->Fields.X, image->Fields.Y, image->Fields.Width, image->Fields.Height, true);
  } else if (auto* rect = dynamic_cast<TQSRectangle*>(item); rect && (k == kind::Rectangle || k == kind::Ellipse)) {
    save();
    DragBox(code, u.P(dx), u.P(dy), rect->Fields.X, rect->Fields.Y, rect->Fields.Width, rect->Fields.Height, true);
  } else if (auto* line = dynamic_cast<TQSLine*>(item); line && k == kind::Line) {
    save();
    if (code == grab::Start) Add16(line->Fields.X1, u.P(dx)), Add16(line->Fields.Y1, u.P(dy));
    if (code == grab::End) Add16(line->Fields.X2, u.P(dx)), Add16(line->Fields.Y2, u.P(dy));
  } else if (auto* arc = dynamic_cast<TQSArc*>(item); arc && k >= kind::Arc && k <= kind::ChordSegment) {
    save();
    auto& f = arc->Fields;
    if (code == grab::FirstControl) Add16(f.AX, u.P(dx)), Add16(f.AY, u.P(dy));
    else if (code == grab::SecondControl) Add16(f.BX, u.P(dx)), Add16(f.BY, u.P(dy));
    else DragBox(code, u.P(dx), u.P(dy), f.X, f.Y, f.Width, f.Height, false);
  } else if (auto* mark = dynamic_cast<TQSMark*>(item)) {
    auto& f = mark->Fields;
    if (k == kind::Accolade) {
      const TQSMeasure* measure = mark->GetMeasure();
      const int own = measure && measure->Part() ? measure->Part()->Index : 0;
      if (view.TargetPart < own) return;
      save();
      f.Value = static_cast<uint16_t>(view.TargetPart - own);
    } else if (code == 4) {
      save();
      // A length before the mark's own start would wrap round: it ends at
      // the start instead.
      f.Value = static_cast<uint16_t>(std::clamp(view.TargetLength, 0, 65535));
      // A hairpin changes the velocities of the notes from its start on.
      if (k == kind::Dynamics && score.AutoVelocity) {
        FinishDrag(c, score, view, [&] {
          if (TQSMeasure* m = mark->GetMeasure(); m && m->Part()) CalcVelocities(*m->Part(), m->Index, f.Time, true);
        });
        return;
      }
    } else if (k == kind::Arpeggio) {
      save();
      f.Value = static_cast<uint16_t>(f.Value + (dy * 100 / u.Zoom) / 8);
    } else if (k == kind::Hang || k == kind::BarreBracket) {
      save();
      f.Value = static_cast<uint16_t>(f.Value + u.P(dy));
    } else if (k == kind::Hand) {
      const int d = dy * 100 / u.Zoom;
      const int v = std::max(0, f.Kind == 0 ? f.Value + d : f.Value - d);
      if (v == f.Value) return;
      save();
      f.Value = static_cast<uint16_t>(v);
    } else {
      return;
    }
  } else {
    return;
  }
  FinishDrag(c, score, view);
}

void ConnectDragCommands(TQSWindow& view) {
  view.OnMoveSelection = [](TQSWindow& v, int dx, int dy) {
    if (v.Score) MoveSelection(*v.Score, v, dx, dy);
  };
  view.OnDragHandle = [](TQSWindow& v, int dx, int dy) {
    if (v.Score) DragHandle(*v.Score, v, dx, dy);
  };
}

void ConnectToolCommands(TQSWindow& view) {
  view.OnInsertLine = [](TQSWindow& v, int x1, int y1, int x2, int y2) {
    if (v.Score)
      InsertLine(*v.Score, x1, y1, x2, y2, v.ToolPenWidth, v.ToolPenColor, v.ToolPenStyle,
                 static_cast<uint8_t>(v.ToolLineEnds));
  };
  view.OnInsertRectangle = [](TQSWindow& v, int kind, int left, int top, int width, int height) {
    if (v.Score)
      InsertRectangle(*v.Score, kind, left, top, width, height, v.ToolPenWidth, v.ToolPenColor, v.ToolPenStyle,
                      v.ToolBrushColor, v.ToolBrushStyle);
  };
  view.OnInsertArc = [](TQSWindow& v, int kind, int left, int top, int width, int height) {
    if (v.Score)
      InsertArc(*v.Score, kind, left, top, width, height, v.ToolPenWidth, v.ToolPenColor, v.ToolPenStyle,
                v.ToolBrushColor, v.ToolBrushStyle);
  };
  view.OnInsertLiga = [](TQSWindow& v, TQSNote* note, int style, int length, int staffByte, int yOffset) {
    if (v.Score && note)
      InsertLiga(*v.Score, note, static_cast<uint8_t>(style), length, static_cast<uint8_t>(staffByte), yOffset);
  };
}

}  // namespace qs
