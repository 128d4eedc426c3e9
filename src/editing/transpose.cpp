#include "editing/transpose.h"

#include <algorithm>
#include <functional>
#include <unordered_map>
#include <utility>

#include "editing/selection.h"
#include "layout/spelling.h"
#include "layout/sounding.h"
#include "score/marks.h"
#include "score/measure.h"
#include "score/notes.h"
#include "score/part.h"
#include "score/units.h"

namespace qs {

namespace {

constexpr uint8_t kActionTranspose = 21;

// A tablature note keeps its string and moves its fret with the pitch while
// the fret stays on the fingerboard; otherwise the layout chooses string
// and fret for the new pitch.
void FollowOnFingerboard(TQSNote& note, int semitones) {
  TQSMeasure* m = note.GetMeasure();
  if (!m || !IsTablature(*m, StaffOf(note.Fields.StaffVoice)) || note.Fields.TabFret == 0) return;
  const TQSStaff* staff = m->Part()->GetStaff(StaffOf(note.Fields.StaffVoice));
  const int fret = note.Fields.TabFret + semitones;
  note.Fields.TabFret = static_cast<uint8_t>(fret >= 1 && fret <= staff->Fields.FretCount ? fret : 0);
}

}  // namespace

void SetTablatureKey(TQSNote& note, int key) {
  const TSpelledKey spelled = SpellMidiKey(std::clamp(key, 0, 127));
  note.Fields.Pitch = MakePitch(spelled.Octave, spelled.Step);
  TQSMeasure* m = note.GetMeasure();
  if (!m) {
    note.SetMidiKey(static_cast<uint8_t>(std::clamp(key, 0, 127)));
    return;
  }
  const TAccidentalReading reading(*m, StaffOf(note.Fields.StaffVoice));
  reading.Write(note, spelled.Alteration, reading.InForceFor(note));
}

void Transpose(TQSScore& score, int interval) {
  TQSSelectionCommand c(score, kActionTranspose);
  if (!c.HasView()) return;
  c.Gather(false, false, kind::Note);
  std::vector<TQSNote*> notes;
  std::vector<TQSMeasure*> measures;
  for (TQSItem* item : c.Work) {
    auto* note = static_cast<TQSNote*>(item);
    TQSMeasure* m = note->GetMeasure();
    if (!m) continue;
    notes.push_back(note);
    if (std::find(measures.begin(), measures.end(), m) == measures.end()) measures.push_back(m);
  }
  // Every staff of those measures is read, as the layout reads them, the
  // measures of a part in their order.
  std::sort(measures.begin(), measures.end(), [](const TQSMeasure* a, const TQSMeasure* b) {
    if (a->Part() != b->Part()) return std::less<const TQSPart*>()(a->Part(), b->Part());
    return a->Index < b->Index;
  });
  auto eachStaff = [&](const std::function<void(const TAccidentalReading&)>& f) {
    TKeyAtMeasureStart key;
    for (TQSMeasure* m : measures)
      for (int staff = 0; staff < m->Part()->StaffCount(); ++staff) f(TAccidentalReading(*m, staff, key.For(*m)));
  };
  // Before anything changes: what every note of those staves sounds.
  std::unordered_map<const TQSNote*, int> sounding;
  eachStaff([&](const TAccidentalReading& reading) {
    reading.Walk([&](TQSNote& note, int inForce) { return sounding[&note] = reading.Sounding(note, inForce); });
  });
  // The selected notes take their new pitches, spelled sharp but C sharp
  // as D flat, with the alteration they need.
  std::unordered_map<TQSNote*, int> wanted;
  for (TQSNote* note : notes) {
    c.SaveMeasure(note->GetMeasure());
    const int before = std::clamp(NaturalKey(note->Fields.Pitch) + sounding[note], 0, 127);
    const int key = std::clamp(before + interval, 0, 127);
    const TSpelledKey spelled = SpellMidiKey(key);
    note->Fields.Pitch = MakePitch(spelled.Octave, spelled.Step);
    wanted[note] = spelled.Alteration;
    FollowOnFingerboard(*note, key - before);
    c.AfterPitchChange(*note);
    c.Changed = true;
  }
  // The accidentals written against what is now in force: the moved notes
  // get the ones they need, and a note left where it was gets one only
  // when a moved note before it changed what is in force for its step.
  eachStaff([&](const TAccidentalReading& reading) {
    reading.Walk([&](TQSNote& note, int inForce) {
      const auto moved = wanted.find(&note);
      const int want = moved != wanted.end() ? moved->second : sounding[&note];
      if (moved != wanted.end()) {
        wanted.erase(moved);
        reading.Write(note, want, inForce);
      } else if (reading.Sounding(note, inForce) != want) {
        reading.Write(note, want, inForce);
      }
      return want;
    });
  });
  // A moved note the layout does not play (a voice the staff lacks) is
  // still written for the key.
  for (auto [note, want] : wanted) {
    const TAccidentalReading reading(*note->GetMeasure(), StaffOf(note->Fields.StaffVoice));
    reading.Write(*note, want, reading.InForceFor(*note));
  }
  c.Done();
}

}  // namespace qs
