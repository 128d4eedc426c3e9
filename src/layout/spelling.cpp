#include "layout/spelling.h"

#include <algorithm>
#include <array>
#include <vector>

#include "layout/metrics.h"
#include "layout/sounding.h"
#include "score/marks.h"
#include "score/measure.h"
#include "score/notes.h"
#include "score/part.h"
#include "score/units.h"

namespace qs {

namespace {

using TAlterations = std::array<int, 7>;

TAlterations KeyTable(const TQSMark* key) { return key ? KeyAccidentalsOf(key->Fields.Kind) : TAlterations{}; }

// A key signature of no accidentals changes nothing while no key is in
// force yet; any other one becomes the key in force.
bool TakesOver(const TQSMark& key, const TQSMark* inForce) { return key.Fields.Kind != 0 || inForce; }

// The key in force after the measure, atStart in force before it.
const TQSMark* KeyAfterMeasure(const TQSMeasure& measure, const TQSMark* atStart) {
  for (TQSItem* item : measure.Items)
    if (auto* key = item->ItemType == kind::Key ? dynamic_cast<const TQSMark*>(item) : nullptr)
      if (TakesOver(*key, atStart)) atStart = key;
  return atStart;
}

}  // namespace

bool IsTablature(const TQSMeasure& measure, int staff) {
  const TQSPart* part = measure.Part();
  const TQSStaff* s = part ? part->GetStaff(staff) : nullptr;
  return s && s->Fields.Tablature;
}

const TQSMark* KeyAtMeasureStart(const TQSPart& part, int measureIndex) {
  const TQSMark* key = nullptr;
  for (int i = 0; i < std::min(measureIndex, part.MeasureCount()); ++i)
    if (const TQSMeasure* m = part.GetMeasure(i)) key = KeyAfterMeasure(*m, key);
  return key;
}

const TQSMark* TKeyAtMeasureStart::For(const TQSMeasure& measure) {
  if (last_ == &measure) return key_;
  if (last_ && last_->Part() == measure.Part() && last_->Index + 1 == measure.Index)
    key_ = KeyAfterMeasure(*last_, key_);
  else
    key_ = measure.Part() ? KeyAtMeasureStart(*measure.Part(), measure.Index) : nullptr;
  last_ = &measure;
  return key_;
}

TAccidentalReading::TAccidentalReading(const TQSMeasure& measure, int staff)
    : TAccidentalReading(measure, staff, measure.Part() ? KeyAtMeasureStart(*measure.Part(), measure.Index) : nullptr) {}

TAccidentalReading::TAccidentalReading(const TQSMeasure& measure, int staff, const TQSMark* keyAtStart)
    : measure_(measure),
      staff_(staff),
      tablature_(IsTablature(measure, staff)),
      // The first staff meets the measure's key signatures among its items;
      // the others start under the last of them.
      startKey_(staff > 0 ? KeyAfterMeasure(measure, keyAtStart) : keyAtStart) {}

int TAccidentalReading::Sounding(const TQSNote& note, int inForce) const {
  if (tablature_ && note.GraceGroup()) return inForce;
  uint8_t display = 0;
  int alteration = tablature_ ? 0 : inForce;
  bool replaces = alteration != 0;
  for (TQSItem* item : note.Items)
    if (auto* mark = item->ItemType == kind::Accidental ? dynamic_cast<TQSMark*>(item) : nullptr)
      ApplyAccidental(mark->Fields.Kind, display, alteration, replaces);
  return tablature_ ? inForce + alteration : alteration;
}

void TAccidentalReading::Write(TQSNote& note, int wanted, int inForce) const {
  const bool needed = wanted != inForce;
  const uint8_t code = tablature_ ? AccidentalKindFor(wanted - inForce)
                                  : wanted == 0 ? uint8_t{4} : AccidentalKindFor(wanted);
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

void TAccidentalReading::Walk(const std::function<int(TQSNote&, int)>& visit) const {
  const TQSPart* part = measure_.Part();
  const TQSStaff* staff = part ? part->GetStaff(staff_) : nullptr;
  if (!staff) return;
  const int voices = staff->VoiceCount();
  const int length = measure_.MeasureLength();
  const TQSMark* key = startKey_;
  TAlterations running = KeyTable(key);

  // Grace groups are read with the chord at their tick, once the items
  // have moved on to another tick: the notes of their own tick before
  // them and after them are then in force.
  std::vector<const TQSVorschlag*> pending;
  int chordTick = -1;
  auto readGraces = [&] {
    for (const TQSVorschlag* group : pending)
      for (TQSItem* grace : group->Items)
        if (auto* note = dynamic_cast<TQSNote*>(grace)) visit(*note, running[SafeStep(note->Fields.Pitch)]);
    pending.clear();
  };
  auto chordAt = [&](int tick) {
    if (tick == chordTick) return;
    readGraces();
    chordTick = tick;
  };
  // Notes and rests of every staff are laid out with the first one in a
  // measure of all voices.
  auto played = [&](const TQSItem& item) {
    const auto sv = static_cast<uint8_t>(item.StaffVoice());
    const bool onStaff = measure_.AllVoices() ? staff_ == 0 : StaffOf(sv) == staff_;
    return onStaff && VoiceOf(sv) < voices && (length <= 0 || item.TimePosition() < length);
  };

  for (TQSItem* item : measure_.Items) {
    const int k = item->ItemType;
    if (k == kind::Note) {
      auto& note = static_cast<TQSNote&>(*item);
      if (!played(note)) continue;
      const int step = SafeStep(note.Fields.Pitch);
      if (tablature_) {
        visit(note, running[step]);
        chordTick = note.Fields.Time;
      } else {
        const int inForce = running[step];
        chordAt(note.Fields.Time);
        running[step] = visit(note, inForce);
      }
      continue;
    }
    if (k == kind::Pause) {
      if (played(*item)) chordAt(item->TimePosition());
      continue;
    }
    if (k == kind::Key) {
      auto* mark = dynamic_cast<const TQSMark*>(item);
      if (staff_ == 0 && mark && TakesOver(*mark, key)) {
        key = mark;
        running = KeyTable(key);
      }
      continue;
    }
    const int sv = item->StaffVoice();
    if (sv < 0 || StaffOf(static_cast<uint8_t>(sv)) != staff_ || VoiceOf(static_cast<uint8_t>(sv)) >= std::max(1, voices))
      continue;
    auto* mark = dynamic_cast<const TQSMark*>(item);
    const bool joinsChord = k == kind::Vorschlag || k == kind::Arpeggio || k == kind::Hang ||
                            k == kind::BarreBracket || (k == kind::Tremolo && mark && !(mark->Fields.Style & TQSMark::kTremoloBetweenNotes)) ||
                            (k == kind::Clef && item->TimePosition() > 0);
    if (!joinsChord) continue;
    chordAt(item->TimePosition());
    if (auto* group = k == kind::Vorschlag ? dynamic_cast<const TQSVorschlag*>(item) : nullptr)
      pending.push_back(group);
  }
  readGraces();
}

int TAccidentalReading::InForceFor(const TQSNote& note) const {
  const int step = SafeStep(note.Fields.Pitch);
  int found = KeyTable(startKey_)[static_cast<size_t>(step)];
  Walk([&](TQSNote& visited, int inForce) {
    if (&visited == &note) found = inForce;
    return Sounding(visited, inForce);
  });
  return found;
}

int AlterationInForce(const TQSMeasure& measure, int step, int staff, int position) {
  if (step < 0 || step > 6) return 0;
  const TQSPart* part = measure.Part();
  const TQSMark* key = part ? KeyAtMeasureStart(*part, measure.Index) : nullptr;
  int keyTime = 0;
  if (staff > 0) {
    key = KeyAfterMeasure(measure, key);
  } else {
    for (TQSItem* item : measure.Items)
      if (auto* mark = item->ItemType == kind::Key ? dynamic_cast<const TQSMark*>(item) : nullptr)
        if (mark->Fields.Time <= position && TakesOver(*mark, key)) {
          key = mark;
          keyTime = mark->Fields.Time;
        }
  }
  int value = KeyTable(key)[static_cast<size_t>(step)];
  const TAccidentalReading reading(measure, staff);
  reading.Walk([&](const TQSNote& note, int inForce) {
    const int alteration = reading.Sounding(note, inForce);
    if (!note.GraceGroup() && !reading.Tablature() && note.Fields.Time >= keyTime && note.Fields.Time < position &&
        SafeStep(note.Fields.Pitch) == step)
      value = alteration;
    return alteration;
  });
  return value;
}

}  // namespace qs
