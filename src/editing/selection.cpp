#include "editing/selection.h"

#include <algorithm>
#include <cstdlib>
#include <unordered_map>

#include "score/calcrecords.h"
#include "score/measure.h"
#include "score/notes.h"
#include "score/piece.h"

namespace qs {

int PixelStep(int step, int zoom) {
  const int raw = zoom > 0 ? step * 800 / zoom : step * 8;
  const int magnitude = std::clamp(std::abs(raw), 1, 8);
  return step < 0 ? -magnitude : magnitude;
}

TQSSelectionCommand::TQSSelectionCommand(TQSScore& score, uint8_t action) : TQSEditCommand(score, action) {
  FromPage = kNoAffectedPage;
}

void TQSSelectionCommand::LowerPageTo(const TQSCalcItem* element) {
  const TQSCalcPage* page = element ? element->PageOf() : nullptr;
  if (page && page->PageIndex < FromPage) FromPage = page->PageIndex;
}

void TQSSelectionCommand::Add(TQSItem* item) {
  if (item && present_.insert(item).second) Work.push_back(item);
}

void TQSSelectionCommand::Gather(bool notesInTime, bool measuresOnly, TQSItemType onlyKind) {
  if (!View) return;
  auto take = [&](TQSCalcItem* element) {
    if (!element || !element->Item || (onlyKind && element->Item->ItemType != onlyKind)) return;
    LowerPageTo(element);
    TQSItem* item = element->Item;
    auto* note = notesInTime ? dynamic_cast<TQSNote*>(item) : nullptr;
    if (!note || !present_.insert(item).second) {
      Add(item);
      return;
    }
    auto later = std::find_if(Work.begin(), Work.end(), [&](TQSItem* other) {
      auto* n = dynamic_cast<TQSNote*>(other);
      return n && n->Fields.StaffVoice == note->Fields.StaffVoice && n->Fields.Time > note->Fields.Time;
    });
    Work.insert(later, item);
  };
  for (TQSCalcItem* element : View->SelectedMeasureElements()) take(element);
  if (measuresOnly) return;
  for (TQSCalcItem* element : View->SelectedPageElements())
    if (element && element->ElementType == element::Item) take(element);
}

void TQSSelectionCommand::Drop(const TQSItem* item) {
  if (!present_.erase(item)) return;
  auto at = std::find(Work.begin(), Work.end(), item);
  if (at != Work.end()) *at = nullptr;
}

void TQSSelectionCommand::SaveItem(TQSItem* item) {
  if (!item) return;
  try {
    if (TQSMeasure* measure = item->GetMeasure()) {
      SaveMeasure(measure);
    } else if (auto* column = dynamic_cast<TQSColumn*>(item->Owner())) {
      SaveColumn(column);
    } else {
      Open();
      Score.SaveUndoItem(Record, item);
    }
  } catch (...) {
    // A snapshot that cannot be taken does not stop the change.
  }
}

void TQSSelectionCommand::ClearSpan(TQSMeasure& measure, int staffVoice, int start, int length) {
  Freeing(measure, [&] { measure.ClearVoiceRange(staffVoice, start, length); });
}

void TQSSelectionCommand::Freeing(TQSMeasure& measure, const std::function<void()>& change) {
  const std::vector<TQSItem*> before(measure.Items.begin(), measure.Items.end());
  // What each item holds goes with it.
  std::unordered_map<const TQSItem*, std::vector<const TQSItem*>> held;
  for (TQSItem* item : before)
    if (auto* holder = dynamic_cast<TQSItemHolder*>(item))
      held[item].assign(holder->Items.begin(), holder->Items.end());
  change();
  const std::unordered_set<const TQSItem*> kept(measure.Items.begin(), measure.Items.end());
  std::unordered_set<const TQSItem*> freed;
  for (TQSItem* item : before)
    if (!kept.count(item)) {
      Drop(item);
      freed.insert(item);
      for (const TQSItem* child : held[item]) {
        Drop(child);
        freed.insert(child);
      }
    }
  // The layout reuses the elements: a selected element of a freed item
  // would be left pointing at it.
  if (!View || freed.empty()) return;
  for (TQSCalcItem* element : View->SelectedMeasureElements())
    if (element && freed.count(element->Item)) View->UnselectElement(element);
}

TQSCalcItem* ElementOf(const TQSItem& item) {
  if (item.LayoutLink) return item.LayoutLink;
  auto* note = dynamic_cast<const TQSNote*>(&item);
  return note ? note->HeadElement : nullptr;
}

void TQSSelectionCommand::Reselect(TQSNote& note) {
  note.SelectFlags |= TQSNote::kSelectReselect;
  if (!View) return;
  // Every element of the note goes, its stem too: the layout builds the
  // measure's elements anew in another order, and an element left in the
  // selection would then show another item.
  for (TQSCalcItem* element : View->SelectedMeasureElements())
    if (element && element->Item == &note) View->UnselectElement(element);
}

void TQSSelectionCommand::AfterPitchChange(TQSNote& note) {
  TQSMeasure* measure = note.GetMeasure();
  if (!measure || note.GraceGroup()) return;
  if (note.IsChordMember() && measure->ArrangeChordNotes(note.Fields.StaffVoice, note.Fields.Time, false) &&
      ElementOf(note))
    Reselect(note);
  if (note.BeamGroup > 0) measure->UpdateBeams(note.BeamGroup, true);
}

// The notes of a note's chord, itself included: the same staff/voice and
// time (the note alone when it is no chord member).
std::vector<TQSNote*> ChordOf(TQSNote& note) {
  std::vector<TQSNote*> out{&note};
  TQSMeasure* m = note.GetMeasure();
  if (!m || !note.IsChordMember()) return out;
  for (TQSItem* item : m->Items) {
    auto* other = dynamic_cast<TQSNote*>(item);
    if (other && other != &note && other->Fields.StaffVoice == note.Fields.StaffVoice &&
        other->Fields.Time == note.Fields.Time)
      out.push_back(other);
  }
  return out;
}

void TQSSelectionCommand::Done() {
  if (FromPage >= kNoAffectedPage) return;
  if (Changed) Score.Recalculate(FromPage, -1);
  Score.RefreshWindowsFrom(FromPage);
  Score.FireChanged(&Score);
}

}  // namespace qs

#include "score/marks.h"
#include "score/pageobjects.h"

namespace qs {

namespace {

template <class T>
bool SetTimeOf(TQSItem& item, int position) {
  auto* typed = dynamic_cast<T*>(&item);
  if (!typed) return false;
  typed->Fields.Time = static_cast<decltype(typed->Fields.Time)>(position);
  return true;
}

}  // namespace

void SetItemTime(TQSItem& item, int position) {
  SetTimeOf<TQSMark>(item, position) || SetTimeOf<TQSNote>(item, position) || SetTimeOf<TQSPause>(item, position) ||
      SetTimeOf<TQSVorschlag>(item, position) || SetTimeOf<TQSBend>(item, position) ||
      SetTimeOf<TQSChord>(item, position) || SetTimeOf<TQSFrame>(item, position) || SetTimeOf<TQSLyric>(item, position);
}

bool IsOffsetMark(TQSItemType k) {
  if (k >= kind::Dynamics && k <= kind::Bracket) return true;
  if (k >= kind::Vibrato && k <= kind::Breath) return true;
  if (k >= kind::Muting && k <= kind::Bowing) return true;
  if (k >= kind::Ottava && k <= kind::BarreBracket) return true;
  switch (k) {
    case kind::Accolade: case kind::Clef: case kind::Key: case kind::Meter: case kind::Tempo:
    case kind::MeasureNumbering: case kind::Rehearsal: case kind::NoteRepeat: case kind::BarRepeat:
    case kind::MultiRest: case kind::Dot: case kind::Accidental:
    case kind::Tuplet: case kind::Staccato: case kind::Portamento: case kind::Tremolo: case kind::Hand:
    case kind::Segno: case kind::Coda: case kind::DaCapo: case kind::DalSegno: case kind::UserSymbolMark:
      return true;
    default:
      return false;
  }
}

namespace {

void Add16(int16_t& value, int delta) {
  value = static_cast<int16_t>(std::clamp(value + delta, -32768, 32767));
}

template <class T>
bool ShiftOffsetFields(TQSSelectionCommand& c, TQSItem* item, int dx, int dy) {
  auto* it = dynamic_cast<T*>(item);
  if (!it) return false;
  c.SaveItem(item);
  Add16(it->Fields.OffsetX, dx);
  Add16(it->Fields.OffsetY, dy);
  return true;
}

template <class T>
bool ShiftPosition(TQSSelectionCommand& c, TQSItem* item, int dx, int dy) {
  auto* it = dynamic_cast<T*>(item);
  if (!it) return false;
  c.SaveItem(item);
  Add16(it->Fields.X, dx);
  Add16(it->Fields.Y, dy);
  return true;
}

}  // namespace

bool ShiftItemOffsets(TQSSelectionCommand& c, TQSItem* item, int dx, int dy) {
  const TQSItemType k = item->ItemType;
  if (IsOffsetMark(k)) return ShiftOffsetFields<TQSMark>(c, item, dx, dy);
  switch (k) {
    case kind::Liga: {
      auto* tie = dynamic_cast<TQSLiga*>(item);
      if (!tie) return false;
      c.SaveItem(item);
      Add16(tie->Fields.StartX, dx);
      Add16(tie->Fields.EndX, dx);
      Add16(tie->Fields.StartY, dy);
      Add16(tie->Fields.EndY, dy);
      return true;
    }
    case kind::Chord: return ShiftOffsetFields<TQSChord>(c, item, dx, dy);
    case kind::Lyric: case kind::Term: case kind::InstrumentName: return ShiftOffsetFields<TQSLyric>(c, item, dx, dy);
    case kind::Frame: return ShiftOffsetFields<TQSFrame>(c, item, dx, dy);
    case kind::Bend: return ShiftOffsetFields<TQSBend>(c, item, dx, dy);
    case kind::Text: return ShiftPosition<TQSText>(c, item, dx, dy);
    case kind::Image: return ShiftPosition<TQSImage>(c, item, dx, dy);
    case kind::Rectangle: case kind::Ellipse: return ShiftPosition<TQSRectangle>(c, item, dx, dy);
    case kind::PageMark: return ShiftPosition<TQSPageMark>(c, item, dx, dy);
    case kind::Line: {
      auto* line = dynamic_cast<TQSLine*>(item);
      if (!line) return false;
      c.SaveItem(item);
      Add16(line->Fields.X1, dx);
      Add16(line->Fields.X2, dx);
      Add16(line->Fields.Y1, dy);
      Add16(line->Fields.Y2, dy);
      return true;
    }
    case kind::Arc: case kind::Pie: case kind::ChordSegment: {
      auto* arc = dynamic_cast<TQSArc*>(item);
      if (!arc) return false;
      c.SaveItem(item);
      for (int16_t* x : {&arc->Fields.X, &arc->Fields.AX, &arc->Fields.BX}) Add16(*x, dx);
      for (int16_t* y : {&arc->Fields.Y, &arc->Fields.AY, &arc->Fields.BY}) Add16(*y, dy);
      return true;
    }
    default:
      return false;
  }
}

}  // namespace qs
