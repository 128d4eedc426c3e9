#include "editing/resize.h"

#include <algorithm>

#include "editing/notation.h"
#include "editing/selection.h"
#include "layout/dynamics.h"
#include "score/marks.h"
#include "score/measure.h"
#include "score/notes.h"
#include "score/pageobjects.h"
#include "score/part.h"
#include "score/piece.h"
#include "score/calcrecords.h"

namespace qs {

namespace {

constexpr uint8_t kActionChangeSize = 22, kActionChangeItemValue = 23;
// The shortest written length halving leaves.
constexpr int kShortestHalved = 8;
// Hairpin subkinds of a dynamics mark, and the widest opening.
constexpr int kCrescendo = 50, kDiminuendo = 51, kMaxOpening = 96, kFirstOpening = 4;

void ScaleLengths(TQSNote& n, bool halve) {
  auto scale = [halve](uint16_t v) { return static_cast<uint16_t>(halve ? v >> 1 : v << 1); };
  n.Fields.Length = scale(n.Fields.Length);
  n.Fields.RealLength = scale(n.Fields.RealLength);
  n.Fields.PlayLength = scale(n.Fields.PlayLength);
  n.SetExtraBeams(ExtraBeamsFor(n.Fields.Length));
}

void ResizeNote(TQSSelectionCommand& c, TQSNote& note, int step) {
  TQSMeasure* m = note.GetMeasure();
  if (!m || note.GraceGroup()) return;
  const int sv = note.Fields.StaffVoice;
  const int pos = note.Fields.Time;
  if (m->FindTuplet(sv, pos)) return;
  const int real = note.Fields.RealLength;
  if (step < 0) {
    if (note.Fields.Length <= kShortestHalved) return;
    c.SaveMeasure(m);
  } else {
    if (pos + 2 * note.Fields.Length > m->MeasureLength() || m->FindTuplet(sv, pos + real + 8)) return;
    c.SaveMeasure(m);
    c.ClearSpan(*m, sv, pos + real, real);
  }
  for (TQSNote* n : ChordOf(note)) {
    ScaleLengths(*n, step < 0);
    if (n != &note) c.Drop(n);
  }
  if (step < 0) m->InsertRests(sv, pos + note.Fields.RealLength, pos + 2 * note.Fields.RealLength, 0, 0);
  c.Changed = true;
}

bool IsLengthMark(TQSItemType k) {
  switch (k) {
    case 110: case 113: case 118: case 120: case 130: case 169: case 170: case 172: return true;
    default: return false;
  }
}

template <class T>
void AddWidth(TQSSelectionCommand& c, TQSItem* item, int d) {
  auto* it = static_cast<T*>(item);
  c.SaveItem(item);
  it->Fields.Width = static_cast<int16_t>(std::clamp(it->Fields.Width + d, -32768, 32767));
  c.Changed = true;
}

template <class T>
void AddHeight(TQSSelectionCommand& c, TQSItem* item, int d) {
  auto* it = static_cast<T*>(item);
  c.SaveItem(item);
  it->Fields.Height = static_cast<int16_t>(std::clamp(it->Fields.Height + d, -32768, 32767));
  c.Changed = true;
}

// Width (or height) of the page objects that have one.
bool ResizePageObject(TQSSelectionCommand& c, TQSItem* item, int d, bool height) {
  switch (item->ItemType) {
    case kind::Image: height ? AddHeight<TQSImage>(c, item, d) : AddWidth<TQSImage>(c, item, d); return true;
    case kind::Rectangle: case kind::Ellipse:
      height ? AddHeight<TQSRectangle>(c, item, d) : AddWidth<TQSRectangle>(c, item, d);
      return true;
    case kind::Arc: case kind::Pie: case kind::ChordSegment:
      height ? AddHeight<TQSArc>(c, item, d) : AddWidth<TQSArc>(c, item, d);
      return true;
    default:
      return false;
  }
}

// A stored value stepped when the result stays within lo..hi.
template <class V>
void StepValue(TQSSelectionCommand& c, TQSItem* item, V& value, int step, int lo, int hi) {
  const int next = value + step;
  if (next < lo || next > hi) return;
  c.SaveItem(item);
  value = static_cast<V>(next);
  c.Changed = true;
}

// The staves of the piece, part by part, staff by staff.
std::vector<TQSStaff*> PieceStaves(const TQSPiece& piece) {
  std::vector<TQSStaff*> out;
  for (int p = 0; p < piece.PartCount(); ++p)
    for (int s = 0; s < piece.GetPart(p)->StaffCount(); ++s) out.push_back(piece.GetPart(p)->GetStaff(s));
  return out;
}

// The group of staff ends one staff earlier (step < 0: its last staff goes
// to the next group, or, when the group ends the piece, gets a group of its
// own) or takes in the next staff (step >= 0). False when nothing changed.
bool StepStaffGroup(TQSStaff& staff, int step) {
  const TQSPiece* piece = staff.Part() ? staff.Part()->Piece() : nullptr;
  if (!piece) return false;
  const std::vector<TQSStaff*> staves = PieceStaves(*piece);
  const auto at = std::find(staves.begin(), staves.end(), &staff);
  if (at == staves.end()) return false;
  const uint16_t g = staff.Fields.Group;
  const auto other = std::find_if(at, staves.end(), [g](const TQSStaff* s) { return s->Fields.Group != g; });
  if (step < 0) {
    if (other == staves.end())
      staves.back()->Fields.Group = static_cast<uint16_t>(g + 1);
    else
      (*std::prev(other))->Fields.Group = (*other)->Fields.Group;
    return true;
  }
  if (other == staves.end()) return false;
  (*other)->Fields.Group = g;
  return true;
}

// The staff whose group a selected element stands for: the joining barline
// of a group, or a repeat, section or composition barline of a staff row.
TQSStaff* GroupedStaff(const TQSCalcItem& e) {
  if (e.ElementType == element::PartBarline) return e.Staff;
  const TQSItemType k = e.Item ? e.Item->ItemType : 0;
  if (e.ElementType == element::Item && k >= kind::RepeatOpen && k <= kind::CompositionEnd)
    return e.Row ? e.Row->Staff : nullptr;
  return nullptr;
}

}  // namespace

void ChangeSize(TQSScore& score, int step) {
  TQSSelectionCommand c(score, kActionChangeSize);
  if (!c.HasView()) return;
  const int d = PixelStep(step, c.View->Zoom);
  c.Gather();
  if (c.Work.empty()) {
    const int sv = c.Cursor().Staff << 4 | c.Cursor().Voice;
    if (!c.AddAtCursor([sv](TQSItem& item) { return item.ItemType == kind::Note && item.StaffVoice() == sv; }))
      return;
  }
  TQSMark* velocityFrom = nullptr;
  for (size_t i = 0; i < c.Work.size(); ++i) {
    TQSItem* item = c.Work[i];
    if (!item) continue;
    const TQSItemType k = item->ItemType;
    if (auto* note = dynamic_cast<TQSNote*>(item)) {
      ResizeNote(c, *note, step);
    } else if (auto* tie = dynamic_cast<TQSLiga*>(item)) {
      c.SaveItem(item);
      tie->Fields.CurveStartDX = static_cast<int16_t>(tie->Fields.CurveStartDX + d);
      tie->Fields.CurveEndDX = static_cast<int16_t>(tie->Fields.CurveEndDX + d);
      c.Changed = true;
    } else if (auto* bend = dynamic_cast<TQSBend*>(item)) {
      const std::initializer_list<uint16_t*> widths{&bend->Fields.RiseWidth, &bend->Fields.SecondWidth,
                                                     &bend->Fields.ReleaseWidth};
      if (std::none_of(widths.begin(), widths.end(), [d](uint16_t* w) { return *w + d > 0; })) continue;
      c.SaveItem(item);
      for (uint16_t* w : widths)
        if (*w + d > 0) *w = static_cast<uint16_t>(std::min(*w + d, 0xFFFF));
      c.Changed = true;
    } else if (k == kind::Volta) {
      auto* volta = static_cast<TQSMark*>(item);
      StepValue(c, item, volta->Fields.Value, step, 1, 0xFFFF);
    } else if (IsLengthMark(k)) {
      auto* mark = static_cast<TQSMark*>(item);
      TQSMeasure* m = item->GetMeasure();
      if (!m || !m->Part()) continue;
      const int length = step < 0 ? m->Part()->SnapLengthBack(m->Index, mark->Fields.Time, mark->Fields.Value)
                                  : m->Part()->SnapLengthForward(m->Index, mark->Fields.Time, mark->Fields.Value);
      if (length == mark->Fields.Value || length < 0) continue;
      c.SaveItem(item);
      mark->Fields.Value = static_cast<uint16_t>(length);
      c.Changed = true;
      if (k == kind::Dynamics && score.AutoVelocity) {
        TQSMeasure* was = velocityFrom ? velocityFrom->GetMeasure() : nullptr;
        if (!was || m->Index < was->Index || (m->Index == was->Index && mark->Fields.Time < velocityFrom->Fields.Time))
          velocityFrom = mark;
      }
    } else {
      ResizePageObject(c, item, d, false);
    }
  }
  if (c.FromPage >= kNoAffectedPage) return;
  if (c.Changed) {
    ++score.RecalculateEventSuppressed;
    try {
      score.Recalculate(c.FromPage, -1);
      if (velocityFrom)
        if (TQSMeasure* m = velocityFrom->GetMeasure())
          CalcVelocities(*m->Part(), m->Index, velocityFrom->Fields.Time, true);
    } catch (...) {
      --score.RecalculateEventSuppressed;
      Fire(score.OnRecalculate, &score);
      throw;
    }
    --score.RecalculateEventSuppressed;
    Fire(score.OnRecalculate, &score);
  }
  score.RefreshWindowsFrom(c.FromPage);
  score.FireChanged(&score);
}

void ChangeItemValue(TQSScore& score, int step) {
  TQSSelectionCommand c(score, kActionChangeItemValue);
  if (!c.HasView()) return;
  const int d = PixelStep(step, c.View->Zoom);
  // Group lines and barlines change the staff groups at once; a change of
  // the groups is not recorded for undo.
  std::vector<TQSStaff*> stepped;
  for (const TQSCalcItem* e : c.View->SelectedMeasureElements()) {
    TQSStaff* staff = e ? GroupedStaff(*e) : nullptr;
    if (!staff || std::find(stepped.begin(), stepped.end(), staff) != stepped.end()) continue;
    stepped.push_back(staff);
    if (StepStaffGroup(*staff, step)) {
      c.FromPage = 0;
      c.Changed = true;
    }
  }
  c.Gather();
  for (size_t i = 0; i < c.Work.size(); ++i) {
    TQSItem* item = c.Work[i];
    if (!item) continue;
    const TQSItemType k = item->ItemType;
    if (k >= kind::RepeatOpen && k <= kind::CompositionEnd) continue;
    if (auto* note = dynamic_cast<TQSNote*>(item)) {
      TQSMeasure* m = note->GetMeasure();
      const auto length = static_cast<uint8_t>(SteppedStemLength(*note, step));
      if (length == note->Fields.StemLength) continue;
      c.SaveItem(item);
      note->Fields.StemLength = length;
      if (m)
        for (TQSNote* partner : ChordOf(*note)) {
          partner->Fields.StemLength = length;
          if (partner != note) c.Drop(partner);
        }
      c.Changed = true;
    } else if (auto* tie = dynamic_cast<TQSLiga*>(item)) {
      c.SaveItem(item);
      tie->Fields.CurveStartDY = static_cast<int16_t>(tie->Fields.CurveStartDY + d);
      tie->Fields.CurveEndDY = static_cast<int16_t>(tie->Fields.CurveEndDY + d);
      c.Changed = true;
    } else if (auto* bend = dynamic_cast<TQSBend*>(item)) {
      // A height that would reach 0 stays, and takes no undo entry.
      if (bend->Fields.Height - d <= 0) continue;
      c.SaveItem(item);
      bend->Fields.Height = static_cast<uint16_t>(bend->Fields.Height - d);
      c.Changed = true;
    } else if (auto* mark = dynamic_cast<TQSMark*>(item)) {
      switch (k) {
        case kind::Accolade: StepValue(c, item, mark->Fields.Value, step, 0, 100); break;
        case kind::Arpeggio: StepValue(c, item, mark->Fields.Value, step, 1, 100); break;
        case kind::Hang: case kind::Hand: case kind::BarreBracket:
          StepValue(c, item, mark->Fields.Value, step, 1, 1000);
          break;
        case kind::Tuplet: {
          const auto angle = static_cast<int16_t>(std::clamp(mark->Fields.Angle + d, -90, 90));
          if (angle == mark->Fields.Angle) break;
          c.SaveItem(item);
          mark->Fields.Angle = angle;
          c.Changed = true;
          break;
        }
        case kind::Dynamics: {
          if (mark->Fields.Kind != kCrescendo && mark->Fields.Kind != kDiminuendo) break;
          const int o = mark->Fields.Style;
          int next = o;
          if (step > 0 && o + step <= kMaxOpening) next = o == 0 ? step + kFirstOpening : o + step;
          if (step < 0 && o + step >= 0) next = o + step;
          if (next == o) break;
          c.SaveItem(item);
          mark->Fields.Style = static_cast<uint8_t>(next);
          c.Changed = true;
          break;
        }
        default:
          break;
      }
    } else {
      ResizePageObject(c, item, d, true);
    }
  }
  c.Done();
}

}  // namespace qs
