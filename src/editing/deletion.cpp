// Deleting the selection: each item once, a note with what is attached to
// it, and what the deletion leaves behind tidied: the rests of the
// measures, the bars after a removed time signature, the spelling after a
// removed key signature, velocities and playing effects.
#include "editing/deletion.h"

#include <algorithm>
#include <vector>

#include "editing/marks.h"
#include "editing/selection.h"
#include "layout/dynamics.h"
#include "score/calcrecords.h"
#include "score/marks.h"
#include "score/measure.h"
#include "score/notes.h"
#include "score/part.h"
#include "score/piece.h"
#include "score/undo.h"

namespace qs {

namespace {

// A place by part and measure number: a re-barring after a deleted time
// signature replaces the measure objects from its column on.
struct TPlace {
  TQSPart* Part = nullptr;
  int Measure = -1, Tick = 0;
  TPlace() = default;
  TPlace(TQSMeasure& m, int tick) : Part(m.Part()), Measure(m.Index), Tick(tick) {}
  TQSMeasure* Get() const { return Part ? Part->GetMeasure(Measure) : nullptr; }
};

bool IsVelocityKind(int k) {
  return k == kind::Term || k == kind::Dynamics || k == kind::Arpeggio || k == kind::Accent || k == kind::Staccato;
}
bool IsEffectKind(int k) {
  return k == kind::Arpeggio || (k >= kind::Trill && k <= kind::Fermata) || k == kind::Staccato;
}

void NoteForTidying(std::vector<TQSMeasure*>& tidy, TQSMeasure* m) {
  if (m && std::find(tidy.begin(), tidy.end(), m) == tidy.end()) tidy.push_back(m);
}

}  // namespace

bool DeleteSelection(TQSScore& score) {
  TQSSelectionCommand cmd(score, undoaction::SelectionDeleted);
  if (!cmd.HasView()) return false;
  bool met = false, instrumentName = false;
  for (const TQSCalcItem* e : cmd.View->SelectedMeasureElements())
    if (e && e->Item && e->ElementType != element::PartBarline) {
      met = true;
      instrumentName |= e->Item->ItemType == kind::InstrumentName;
    }
  for (const TQSCalcItem* e : cmd.View->SelectedPageElements())
    if (e && e->Item && e->ElementType == element::Item) met = true;
  if (!met) {
    cmd.View->ClearSelection();
    return false;
  }
  cmd.Gather();
  if (instrumentName) cmd.FromPage = 0;
  // The elements go with the layout pass; the selection lists must not
  // outlive the items they show.
  cmd.View->ClearSelection();
  // Rests are never deleted: a selection of rests alone leaves no undo step.
  for (TQSItem* item : cmd.Work)
    if (item && item->ItemType != kind::Pause) cmd.SaveItem(item);

  // The layout starts again no later than the measure of anything deleted,
  // wherever the element selected for it stood.
  for (TQSItem* item : cmd.Work)
    if (item) cmd.LowerPageToItem(*item);

  // Key signatures go first, while the measures are as they were: with
  // ToneModify the notes of each one's part after it keep sounding as they
  // did under it.
  TNotesBeforeKeyChange keyChange;
  std::vector<TQSItem*> keys;
  for (TQSItem* item : cmd.Work)
    if (item && item->ItemType == kind::Key)
      if (TQSMeasure* measure = item->GetMeasure()) {
        if (score.ToneModify) keyChange.Read(*measure->Part(), measure->Index);
        keys.push_back(item);
      }
  for (TQSItem* key : keys) {
    cmd.Drop(key);
    delete key;
  }
  if (!keyChange.Empty()) ModifyNotesForKeyChange(cmd, keyChange);

  std::vector<TQSMeasure*> tidy;
  std::vector<TQSItem*> meters;
  std::vector<TPlace> effects;
  TPlace velocity;
  bool velocityToEnd = false;
  for (size_t i = 0; i < cmd.Work.size(); ++i) {
    TQSItem* item = cmd.Work[i];
    if (!item) continue;
    const int k = item->ItemType;
    if (k == kind::Meter) {
      meters.push_back(item);
      continue;
    }
    if (k == kind::Pause) continue;
    TQSMeasure* measure = item->GetMeasure();
    if (k == kind::Note) {
      auto* note = static_cast<TQSNote*>(item);
      TQSVorschlag* grace = note->GraceGroup();
      const int sv = note->Fields.StaffVoice, time = note->Fields.Time;
      for (TQSItem* attached : note->Items) cmd.Drop(attached);
      cmd.Drop(note);
      if (measure) {
        auto& beamed = measure->BeamNotes;
        beamed.erase(std::remove(beamed.begin(), beamed.end(), note), beamed.end());
      }
      delete note;
      if (measure && !grace) measure->ArrangeChordNotes(sv, time, true);
      NoteForTidying(tidy, measure);
      if (grace) {
        if (score.AutoEffect && measure) effects.emplace_back(*measure, grace->TimePosition());
        if (grace->Items.Count() == 0) {
          cmd.Drop(grace);
          delete grace;
        }
      }
      continue;
    }
    if (k == kind::NoteRepeat) {
      NoteForTidying(tidy, measure);
      cmd.Drop(item);
      delete item;
      continue;
    }
    if (score.AutoVelocity && measure && IsVelocityKind(k)) {
      const int tick = item->TimePosition();
      if (!velocity.Part || measure->Index < velocity.Measure ||
          (measure->Index == velocity.Measure && tick < velocity.Tick)) {
        velocity = TPlace(*measure, tick);
        if (k == kind::Dynamics || k == kind::Term) velocityToEnd = true;
      }
    }
    if (score.AutoEffect && measure && IsEffectKind(k)) effects.emplace_back(*measure, item->TimePosition());
    if (k == kind::Dot) {
      if (auto* note = dynamic_cast<TQSNote*>(item->Owner())) note->Fields.RealLength = note->Fields.Length;
      if (auto* rest = dynamic_cast<TQSPause*>(item->Owner())) rest->Fields.RealLength = rest->Fields.Length;
      NoteForTidying(tidy, measure);
    }
    cmd.Drop(item);
    delete item;
  }
  for (auto it = tidy.rbegin(); it != tidy.rend(); ++it) {
    (*it)->FillRests(true, 0, false, -1);
    (*it)->UpdateBeams(0, true);
  }
  if (!meters.empty()) {
    int column = -1;
    TQSPiece* piece = nullptr;
    for (TQSItem* meter : meters)
      if (auto* owner = dynamic_cast<TQSColumn*>(meter->Owner()); owner && (column < 0 || owner->Index < column)) {
        column = owner->Index;
        piece = owner->Piece();
      }
    for (TQSItem* meter : meters) delete meter;
    uint16_t word = 0x0404;
    if (piece && column >= 1 && column - 1 < static_cast<int>(piece->Slots.size()) && piece->Slots[column - 1])
      word = piece->Slots[static_cast<size_t>(column - 1)]->Meter;
    if (column >= 0) RebarFromColumn(cmd, column, word);
  }
  if (cmd.FromPage >= kNoAffectedPage) return true;
  // The velocities are computed on the new layout, after its OnRecalculate,
  // and told by a second one; also when the layout fails.
  auto velocities = [&] {
    if (velocity.Part) CalcVelocities(*velocity.Part, velocity.Measure, velocity.Tick, velocityToEnd);
  };
  try {
    THeldRecalculateEvent held(score);
    score.Recalculate(cmd.FromPage, -1);
    for (const TPlace& p : effects)
      if (TQSMeasure* m = p.Get()) m->CalcEffectsAt(p.Tick);
  } catch (...) {
    velocities();
    throw;
  }
  velocities();
  score.RefreshWindowsFrom(cmd.FromPage);
  score.FireChanged(&score);
  Fire(score.OnRecalculate, &score);
  return true;
}

}  // namespace qs
