#include "editing/transpose.h"

#include <algorithm>
#include <unordered_map>
#include <utility>

#include "editing/marks.h"
#include "editing/selection.h"
#include "layout/sounding.h"
#include "score/calcrecords.h"
#include "score/marks.h"
#include "score/measure.h"
#include "score/notes.h"
#include "score/part.h"
#include "score/units.h"

namespace qs {

namespace {

constexpr uint8_t kActionTranspose = 21;

int KeyInForce(const TQSMeasure& measure) {
  const auto* slot = dynamic_cast<const TQSCalcMeasure*>(measure.MeasureRecord());
  if (!slot || slot->PartCount == 0 || slot->KeyByPart.empty() || !measure.Part()) return 0;
  const size_t last = std::min<size_t>(slot->PartCount, slot->KeyByPart.size()) - 1;
  const auto* key =
      dynamic_cast<const TQSMark*>(slot->KeyByPart[std::min(static_cast<size_t>(measure.Part()->Index), last)]);
  return key ? key->Fields.Kind : 0;
}

bool IsTablature(const TQSMeasure& measure, int staff) {
  const TQSPart* part = measure.Part();
  const TQSStaff* s = part ? part->GetStaff(staff) : nullptr;
  return s && s->Fields.Tablature;
}

// The accidentals are read exactly as the layout draws and plays them, so
// that a rewritten note sounds what the transposition meant. On a staff of
// notes the first sharp- or flat-like accidental replaces the alteration in
// force for the step, later ones add to it, naturals set it, and the
// note's alteration stays in force for its step to the measure's end (a
// grace note's does not). On tablature the accidentals add to the key's
// alteration and leave nothing in force; a grace note there sounds the
// key's alteration whatever it carries.
struct TStaffReading {
  bool Tablature = false;
  int Key[7] = {};

  TStaffReading(const TQSMeasure& measure, int staff) : Tablature(IsTablature(measure, staff)) {
    KeyAlterations(KeyInForce(measure), Key);
  }

  int Sounding(const TQSNote& note, int inForce) const {
    if (Tablature && note.GraceGroup()) return inForce;
    uint8_t display = 0;
    int alteration = Tablature ? 0 : inForce;
    bool replaces = alteration != 0;
    for (TQSItem* item : note.Items)
      if (auto* mark = item->ItemType == kind::Accidental ? dynamic_cast<TQSMark*>(item) : nullptr)
        ApplyAccidental(mark->Fields.Kind, display, alteration, replaces);
    return Tablature ? inForce + alteration : alteration;
  }

  // The accidental that makes a note sound `wanted` where inForce is in
  // force (it needs none when the two are equal).
  uint8_t AccidentalFor(int wanted, int inForce) const {
    if (Tablature) return AccidentalKindFor(wanted - inForce);
    return wanted == 0 ? uint8_t{4} : AccidentalKindFor(wanted);
  }

  // Calls visit(note, inForce) for the notes of the staff in the measure in
  // the layout's order (grace notes at their group's place) with the
  // alteration in force for the note's step; visit returns the note's
  // alteration, which then stays in force as the layout keeps it.
  template <class Visit>
  void Walk(const TQSMeasure& measure, int staff, Visit visit) const {
    int running[7];
    std::copy(std::begin(Key), std::end(Key), running);
    for (TQSItem* item : measure.Items) {
      if (StaffOf(item->StaffVoice()) != staff) continue;
      if (item->ItemType == kind::Note) {
        auto& note = static_cast<TQSNote&>(*item);
        const int step = SafeStep(note.Fields.Pitch);
        const int alteration = visit(note, running[step]);
        if (!Tablature) running[step] = alteration;
      } else if (auto* group = item->ItemType == kind::Vorschlag ? dynamic_cast<TQSVorschlag*>(item) : nullptr) {
        for (TQSItem* grace : group->Items)
          if (auto* note = dynamic_cast<TQSNote*>(grace)) visit(*note, running[SafeStep(note->Fields.Pitch)]);
      }
    }
  }
};

// Rewrites the note's accidentals so that it sounds `wanted` where inForce
// is in force: the last one takes the accidental needed (or goes when none
// is), every other one goes, and one is added when needed and missing.
void WriteAccidental(TQSNote& note, const TStaffReading& reading, int wanted, int inForce) {
  const bool needed = wanted != inForce;
  const uint8_t code = reading.AccidentalFor(wanted, inForce);
  bool met = false;
  for (int i = note.ItemCount() - 1; i >= 0; --i) {
    TQSItem* item = note.GetItem(i);
    auto* mark = item->ItemType == kind::Accidental ? dynamic_cast<TQSMark*>(item) : nullptr;
    if (!mark) continue;
    if (!met && needed)
      mark->Fields.Kind = code;
    else
      delete item;
    met = true;
  }
  if (!met && needed) static_cast<TQSMark*>(CreateItemByKind(kind::Accidental, &note))->Fields.Kind = code;
}

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

using TStaffOfMeasure = std::pair<TQSMeasure*, int>;

}  // namespace

int AlterationInForce(const TQSMeasure& measure, int step, int staff, int position) {
  const TStaffReading reading(measure, staff);
  int value = step >= 0 && step < 7 ? reading.Key[step] : 0;
  reading.Walk(measure, staff, [&](const TQSNote& note, int inForce) {
    const int alteration = reading.Sounding(note, inForce);
    if (!note.GraceGroup() && !reading.Tablature && note.Fields.Time < position &&
        SafeStep(note.Fields.Pitch) == step)
      value = alteration;
    return alteration;
  });
  return value;
}

void SetTablatureKey(TQSNote& note, int key) {
  const TSpelledKey spelled = SpellMidiKey(std::clamp(key, 0, 127));
  note.Fields.Pitch = MakePitch(spelled.Octave, spelled.Step);
  TQSMeasure* m = note.GetMeasure();
  if (!m) {
    note.SetMidiKey(static_cast<uint8_t>(std::clamp(key, 0, 127)));
    return;
  }
  const TStaffReading reading(*m, StaffOf(note.Fields.StaffVoice));
  WriteAccidental(note, reading, spelled.Alteration, reading.Key[spelled.Step]);
}

void Transpose(TQSScore& score, int interval) {
  TQSSelectionCommand c(score, kActionTranspose);
  if (!c.HasView()) return;
  c.Gather(false, false, kind::Note);
  std::vector<TQSNote*> notes;
  std::vector<TStaffOfMeasure> staves;
  for (TQSItem* item : c.Work) {
    auto* note = static_cast<TQSNote*>(item);
    TQSMeasure* m = note->GetMeasure();
    if (!m) continue;
    notes.push_back(note);
    const TStaffOfMeasure at{m, StaffOf(note->Fields.StaffVoice)};
    if (std::find(staves.begin(), staves.end(), at) == staves.end()) staves.push_back(at);
  }
  // Before anything changes: what every note of those staves sounds.
  std::unordered_map<const TQSNote*, int> sounding;
  for (auto [m, staff] : staves) {
    const TStaffReading reading(*m, staff);
    reading.Walk(*m, staff, [&](const TQSNote& note, int inForce) {
      return sounding[&note] = reading.Sounding(note, inForce);
    });
  }
  // The selected notes take their new pitches, spelled sharp but C sharp
  // as D flat, with the alteration they need.
  std::unordered_map<const TQSNote*, int> wanted;
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
  for (auto [m, staff] : staves) {
    const TStaffReading reading(*m, staff);
    reading.Walk(*m, staff, [&](TQSNote& note, int inForce) {
      const auto moved = wanted.find(&note);
      const int want = moved != wanted.end() ? moved->second : sounding[&note];
      if (moved != wanted.end() || reading.Sounding(note, inForce) != want)
        WriteAccidental(note, reading, want, inForce);
      return want;
    });
  }
  c.Done();
}

}  // namespace qs
