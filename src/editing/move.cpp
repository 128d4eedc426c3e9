#include "editing/move.h"

#include <algorithm>
#include <vector>

#include "editing/selection.h"
#include "editing/transpose.h"
#include "score/item.h"
#include "score/marks.h"
#include "score/measure.h"
#include "score/notes.h"
#include "score/part.h"
#include "score/piece.h"
#include "score/score.h"
#include "score/units.h"

namespace qs {

namespace {

// Undo action codes of the moves.
constexpr uint8_t kActionMoveHorizontal = 20, kActionMoveVertical = 21;
// How far a note moves sideways, whatever the zoom.
constexpr int kNoteStep = 8;
// The lowest and highest pitch line (step + 7 x octave) a note may take.
constexpr int kLowestLine = 6, kHighestLine = 57;

// A note the move covered may have left its beam group: the groups and
// their stems are made again, as after a deletion. An end of a group that
// no longer has one gets the score's stem length back instead of the
// length that reached its beam.
void RebeamAfterMove(TQSMeasure& m) {
  // The first and last note of each group as the list holds them now.
  std::vector<TQSNote*> ends;
  const std::vector<TQSNote*>& beamed = m.BeamNotes;
  for (size_t k = 0; k < beamed.size(); ++k) {
    const int group = beamed[k]->BeamGroup;
    if (group && ((k == 0 || beamed[k - 1]->BeamGroup != group) ||
                  (k + 1 == beamed.size() || beamed[k + 1]->BeamGroup != group)))
      ends.push_back(beamed[k]);
  }
  m.UpdateBeams(0, true);
  const TQSScore* score = m.Score();
  if (!score) return;
  for (TQSNote* n : ends)
    if (!n->BeamGroup && n->GetMeasure() == &m)
      n->Fields.StemLength = static_cast<uint8_t>(std::clamp(score->StemLength, 0, 255));
}

void AfterNoteMoved(TQSSelectionCommand& c, TQSMeasure& m, int staffVoice, int newStart, int newEnd, bool left,
                    TQSNote* selected) {
  // Merging frees rests, which may be selected ones still to come.
  c.Freeing(m, [&] {
    m.SortItems();
    m.FillRests(true, 0, false, -1);
    if (left)
      m.MergeRests(staffVoice, newEnd, m.MeasureLength());
    else
      m.MergeRests(staffVoice, 0, newStart);
  });
  RebeamAfterMove(m);
  if (selected) c.Reselect(*selected);
  c.Changed = true;
}

// A note inside a tuplet moves the whole tuplet by d ticks, clearing the
// ticks it moves into (never its own notes); false when it cannot.
bool MoveTuplet(TQSSelectionCommand& c, TQSMeasure& m, TQSMark& tuplet, int d, TQSNote* selected) {
  const int sv = tuplet.Fields.StaffVoice;
  const int start = tuplet.Fields.Time;
  const int length = TupletLength(tuplet.Fields.Kind, tuplet.Fields.Value);
  const int mlen = m.MeasureLength();
  if (d < 0 ? start + d < 0 : start + length + d > mlen) return false;
  c.SaveMeasure(&m);
  if (d < 0)
    c.ClearSpan(m, sv, start + d, -d);
  else
    c.ClearSpan(m, sv, start + length, d);
  for (TQSItem* item : m.Items) {
    if (!m.InVoice(*item, sv)) continue;
    const int at = item->TimePosition();
    if (item->ItemType == kind::Note || item->ItemType == kind::Pause) {
      if (at >= start + length || TimedItemEnd(*item) <= start) continue;
      SetItemTime(*item, at + d);
      c.Drop(item);
    }
  }
  tuplet.Fields.Time = static_cast<uint16_t>(start + d);
  AfterNoteMoved(c, m, sv, start + d, start + d + length, d < 0, selected);
  return true;
}

// Any other note moves by eight ticks, taking the rest of its chord along;
// false when it cannot.
bool MoveNote(TQSSelectionCommand& c, TQSMeasure& m, TQSNote& note, bool left, TQSNote* selected) {
  const int sv = note.Fields.StaffVoice;
  const int pos = note.Fields.Time;
  const int end = pos + note.Fields.RealLength;
  if (left) {
    // A note nearer the start than one step would leave the measure.
    if (pos < kNoteStep || m.FindTuplet(sv, pos - kNoteStep)) return false;
  } else {
    if (end + kNoteStep > m.MeasureLength() || m.FindTuplet(sv, end)) return false;
  }
  c.SaveMeasure(&m);
  if (left)
    c.ClearSpan(m, sv, pos - kNoteStep, kNoteStep);
  else
    c.ClearSpan(m, sv, end, kNoteStep);
  const int delta = left ? -kNoteStep : kNoteStep;
  for (TQSNote* n : ChordOf(note)) {
    n->Fields.Time = static_cast<uint16_t>(pos + delta);
    if (n != &note) c.Drop(n);
  }
  AfterNoteMoved(c, m, sv, pos + delta, end + delta, left, selected);
  return true;
}

// The pitch move of a note by steps (up negative): on tablature to another
// string with the fret kept, elsewhere by diatonic steps within the range.
bool MovePitch(TQSSelectionCommand& c, TQSNote& note, int steps) {
  TQSMeasure* m = note.GetMeasure();
  TQSPart* part = m ? m->Part() : nullptr;
  TQSStaff* staff = part ? part->GetStaff(note.Fields.StaffVoice >> 4) : nullptr;
  if (staff && staff->Fields.Tablature) {
    const int string = note.Fields.TabString - steps;
    if (string < 0 || string >= staff->Fields.LineCount) return false;
    c.SaveItem(&note);
    note.Fields.TabString = static_cast<uint8_t>(string);
    SetTablatureKey(note, staff->GetTuning(string) + note.Fields.TabFret - 1);
  } else {
    const int line = PitchLine(note.Fields.Pitch) - steps;
    if (line < kLowestLine || line > kHighestLine) return false;
    c.SaveItem(&note);
    note.Fields.Pitch = MakePitch(line / 7, line % 7);
  }
  c.AfterPitchChange(note);
  c.Changed = true;
  return true;
}

void MoveVerticalItem(TQSSelectionCommand& c, TQSItem* item, int steps, int d) {
  if (auto* note = dynamic_cast<TQSNote*>(item)) {
    MovePitch(c, *note, steps);
  } else if (auto* rest = dynamic_cast<TQSPause*>(item)) {
    c.SaveItem(item);
    rest->Fields.OffsetY = static_cast<int16_t>(std::clamp(rest->Fields.OffsetY + d, -32768, 32767));
    c.Changed = true;
  } else if (ShiftItemOffsets(c, item, 0, d)) {
    c.Changed = true;
  }
}

// Marks that snap to the note times of their own part's measure.
bool SnapsToPartEvents(TQSItemType k) {
  if ((k >= kind::Dynamics && k <= kind::Bracket) || (k >= kind::Vibrato && k <= kind::Breath) ||
      (k >= kind::Muting && k <= kind::Bowing))
    return true;
  switch (k) {
    case kind::Clef: case kind::Staccato: case kind::Portamento: case kind::Hand: case kind::UserSymbolMark:
    case kind::Ottava: case kind::Barre: case kind::Flageolet: case kind::BarreBracket:
    case kind::Chord: case kind::Lyric:
      return true;
    default:
      return false;
  }
}

}  // namespace

void MoveHorizontal(TQSScore& score, int step) {
  TQSSelectionCommand c(score, kActionMoveHorizontal);
  if (!c.HasView()) return;
  const int d = PixelStep(step, c.View->Zoom);
  c.Gather(true);
  const bool fromSelection = !c.Work.empty();
  if (!fromSelection) {
    const int sv = c.Cursor().Staff << 4 | c.Cursor().Voice;
    if (!c.AddAtCursor([sv](TQSItem& item) { return item.ItemType == kind::Note && item.StaffVoice() == sv; }))
      return;
  }
  const bool left = step < 0;
  bool notesMoved = false;
  const int count = static_cast<int>(c.Work.size());
  for (int k = 0; k < count; ++k) {
    const size_t i = static_cast<size_t>(left ? k : count - 1 - k);
    TQSItem* item = c.Work[i];
    if (!item) continue;
    auto* note = dynamic_cast<TQSNote*>(item);
    if (!note) {
      if (ShiftItemOffsets(c, item, d, 0)) c.Changed = true;
      continue;
    }
    c.Drop(note);
    TQSMeasure* m = note->GetMeasure();
    if (!m || note->GraceGroup()) continue;
    TQSNote* selected = fromSelection ? note : nullptr;
    if (TQSMark* tuplet = m->FindTuplet(note->Fields.StaffVoice, note->Fields.Time))
      notesMoved |= MoveTuplet(c, *m, *tuplet, d, selected);
    else
      notesMoved |= MoveNote(c, *m, *note, left, selected);
  }
  // The cursor goes with the notes: one step, however many staves and
  // voices moved.
  if (notesMoved) c.View->SetCursorTick(c.View->CursorPosition.Tick + d);
  if (c.FromPage >= kNoAffectedPage) return;
  if (c.Changed) score.Recalculate(c.FromPage, -1);
  c.View->SnapCursorTick();
  score.RefreshWindowsFrom(c.FromPage);
  score.FireChanged(&score);
}

void MoveToNoteTime(TQSScore& score, int direction) {
  TQSSelectionCommand c(score, kActionMoveHorizontal);
  if (!c.HasView()) return;
  c.Gather();
  const bool previous = direction < 1;
  for (TQSItem* item : c.Work) {
    const TQSItemType k = item->ItemType;
    const int pos = item->TimePosition();
    if (k == kind::Glissando) {
      if (auto* mark = dynamic_cast<TQSMark*>(item)) {
        c.SaveItem(item);
        mark->Fields.Style ^= 0x01;
        c.Changed = true;
      }
      continue;
    }
    int target = pos;
    if (SnapsToPartEvents(k)) {
      TQSMeasure* m = item->GetMeasure();
      if (!m || !m->Part()) continue;
      target = previous ? m->Part()->PrevEventPosition(m->Index, pos) : m->Part()->NextEventPosition(m->Index, pos);
    } else if (k == kind::Tempo || k == kind::RepeatOpen || k == kind::RepeatClose) {
      auto* column = dynamic_cast<TQSColumn*>(item->Owner());
      if (!column || !column->Piece()) continue;
      target = previous ? column->Piece()->PrevItemStart(column->Index, pos)
                        : column->Piece()->NextItemStart(column->Index, pos, k == kind::RepeatClose);
    } else {
      continue;
    }
    if (target < 0 || (previous ? target >= pos : target <= pos)) continue;
    c.SaveItem(item);
    SetItemTime(*item, target);
    c.Changed = true;
  }
  c.Done();
}

void EmptyKeyCommand(TQSScore& score) { (void)score; }

void MoveVertical(TQSScore& score, int steps) {
  TQSSelectionCommand c(score, kActionMoveVertical);
  if (!c.HasView()) return;
  const int d = PixelStep(steps, c.View->Zoom);
  c.Gather();
  const bool atCursor = c.Work.empty();
  if (atCursor && !c.AddAtCursor(IsNoteOrRest)) return;
  for (TQSItem* item : c.Work) MoveVerticalItem(c, item, steps, d);
  // What stands at the cursor and cannot move leaves nothing to announce.
  if (atCursor && !c.Changed) c.FromPage = kNoAffectedPage;
  c.Done();
}

}  // namespace qs
