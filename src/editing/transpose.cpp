#include "editing/transpose.h"

#include <algorithm>

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
constexpr int kSemitones[7] = {0, 2, 4, 5, 7, 9, 11};
constexpr int kStepOfKey[12] = {0, 0, 1, 1, 2, 3, 3, 4, 4, 5, 5, 6};
// The import alteration byte: bits 0-5 an amount, bit 6 negative, bit 7
// the amount replaces the alteration in force.
constexpr uint8_t kImportAmount = 0x3F, kImportNegative = 0x40, kImportReplaces = 0x80;

int KeyInForce(const TQSMeasure& measure) {
  const auto* slot = dynamic_cast<const TQSCalcMeasure*>(measure.MeasureRecord());
  if (!slot || slot->PartCount == 0 || slot->KeyByPart.empty() || !measure.Part()) return 0;
  const size_t last = std::min<size_t>(slot->PartCount, slot->KeyByPart.size()) - 1;
  const auto* key =
      dynamic_cast<const TQSMark*>(slot->KeyByPart[std::min(static_cast<size_t>(measure.Part()->Index), last)]);
  return key ? key->Fields.Kind : 0;
}

// A note's accidentals applied to the alteration running before it.
int ApplyAccidentals(const TQSNote& note, int value) {
  for (TQSItem* item : note.Items) {
    auto* mark = dynamic_cast<TQSMark*>(item);
    if (!mark || item->ItemType != kind::Accidental) continue;
    switch (mark->Fields.Kind) {
      case 4: value = 0; break;
      case 5: value = -1; break;
      case 6: value = 1; break;
      default: value += AccidentalAmount(mark->Fields.Kind); break;
    }
  }
  return value;
}

// The alteration the note sounds with before it moves: the one in force
// at its place (or none when its import byte replaces it), the import
// amount, then its own accidentals.
int PresentAlteration(const TQSNote& note, int inForce) {
  const uint8_t import = note.Fields.Further1;
  int a = (import & kImportReplaces) ? 0 : inForce;
  const int amount = import & kImportAmount;
  a += (import & kImportNegative) ? -amount : amount;
  return ApplyAccidentals(note, a);
}

// The accidental kind for a difference from the alteration in force.
uint8_t AccidentalCode(int difference, int needed) {
  if (difference >= -2 && difference <= 2 && difference != 0) return AccidentalKindFor(difference);
  return needed > 0 ? 6 : 5;
}

void RewriteAccidentals(TQSNote& note, int needed, int inForce) {
  bool met = false;
  for (int i = note.ItemCount() - 1; i >= 0; --i) {
    TQSItem* item = note.GetItem(i);
    auto* mark = dynamic_cast<TQSMark*>(item);
    if (!mark || item->ItemType != kind::Accidental) continue;
    if (!met && needed != inForce)
      mark->Fields.Kind = AccidentalCode(needed - inForce, needed);
    else
      delete item;
    met = true;
  }
  if (!met && needed != inForce) {
    auto* mark = static_cast<TQSMark*>(CreateItemByKind(kind::Accidental, &note));
    mark->Fields.Kind = needed == 0 ? 4 : AccidentalCode(needed - inForce, needed);
  }
}

}  // namespace

int AlterationInForce(const TQSMeasure& measure, int step, int staff, int position) {
  int table[7];
  KeyAlterations(KeyInForce(measure), table);
  int value = step >= 0 && step < 7 ? table[step] : 0;
  for (TQSItem* item : measure.Items) {
    auto* note = dynamic_cast<TQSNote*>(item);
    if (!note || PitchStep(note->Fields.Pitch) != step || (note->Fields.StaffVoice >> 4) != staff ||
        note->Fields.Time >= position)
      continue;
    value = ApplyAccidentals(*note, value);
  }
  return value;
}

void Transpose(TQSScore& score, int interval) {
  TQSSelectionCommand c(score, kActionTranspose);
  if (!c.HasView()) return;
  c.Gather(false, false, kind::Note);
  std::vector<TQSNote*> notes;
  std::vector<int> before;
  for (TQSItem* item : c.Work) {
    auto* note = static_cast<TQSNote*>(item);
    TQSMeasure* m = note->GetMeasure();
    if (!m) continue;
    notes.push_back(note);
    before.push_back(AlterationInForce(*m, PitchStep(note->Fields.Pitch), note->Fields.StaffVoice >> 4,
                                       note->Fields.Time));
  }
  for (size_t i = 0; i < notes.size(); ++i) {
    TQSNote& note = *notes[i];
    TQSMeasure& m = *note.GetMeasure();
    c.SaveMeasure(&m);
    const int step = std::min(PitchStep(note.Fields.Pitch), 6);
    int k = PitchOctave(note.Fields.Pitch) * 12 + kSemitones[step] + interval + PresentAlteration(note, before[i]);
    k = std::clamp(k, 0, 127);
    int needed = 0;
    int spelled = k;
    switch (k % 12) {
      case 1: needed = -1, spelled = k + 2; break;  // C sharp is written D flat
      case 3: case 6: case 8: case 10: needed = 1; break;
      default: break;
    }
    const int newStep = kStepOfKey[spelled % 12];
    note.Fields.Pitch = MakePitch(spelled / 12, newStep);
    RewriteAccidentals(note, needed, AlterationInForce(m, newStep, note.Fields.StaffVoice >> 4, note.Fields.Time));
    c.AfterPitchChange(note);
    c.Changed = true;
  }
  c.Done();
}

}  // namespace qs
