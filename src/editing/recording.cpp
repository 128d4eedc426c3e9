#include "editing/recording.h"

#include "editing/command.h"
#include "editing/entry.h"
#include "editing/placement.h"

#include <algorithm>
#include <cmath>

#include "score/marks.h"
#include "score/measure.h"
#include "score/notes.h"
#include "score/part.h"
#include "score/score.h"
#include "score/slot.h"
#include "score/windowlink.h"

namespace qs {

namespace {

using namespace modifier;

bool IsDotCode(int code) { return code >= Dot && code <= TripleDot; }

// Holds the view's record lock for the life of the command.
class TRecordLock {
 public:
  explicit TRecordLock(TQSWindowLink* view) : control_(view ? view->PlayControl : nullptr) {
    if (control_) control_->LockRecord();
  }
  ~TRecordLock() {
    if (control_) control_->UnlockRecord();
  }
  TRecordLock(const TRecordLock&) = delete;
  TRecordLock& operator=(const TRecordLock&) = delete;

 private:
  TQSPlayControl* control_;
};

// The nearest multiple of the quantum, halves to the even one.
int Quantised(int value, int quantum) {
  return quantum * static_cast<int>(std::nearbyint(static_cast<double>(value) / quantum));
}

bool SameVoiceAt(const TQSMeasure& m, const TQSItem& item, int sv, int position) {
  return item.TimePosition() == position && (item.StaffVoice() == sv || m.AllVoices());
}

// What one recording command works with.
struct TRecording {
  TQSScore& Score;
  TQSPart* Part = nullptr;
  TQSMeasure* Measure = nullptr;
  TQSMeasureSlot* Slot = nullptr;
  int MeasureIndex = 0;
  uint8_t StaffVoice = 0;
  bool IsNote = true;
  int Octave = 0, Step = 0, Velocity = 64, PositionError = 0;

  int MeasureLength() const { return Slot->LengthFor(MeasureIndex); }
  // Moves to measure index of the part, made when missing; false without
  // the measure or its layout record.
  bool Enter(int index) {
    MeasureIndex = index;
    Measure = Score.EnsureMeasure(index);
    Slot = Measure && Part ? Part->GetMeasureRecord(index) : nullptr;
    return Measure && Slot;
  }
  void Finish() {
    Measure->FillRests(IsNote, 0, false, -1);
    if (IsNote) Measure->UpdateBeams(0, true);
  }
};

TQSNote* PlaceNote(TRecording& r, int position, int written, int length, bool tiedOn, const TQSModifiers& mods) {
  TQSMeasure& m = *r.Measure;
  const int sv = r.StaffVoice;
  const TQSStaff* staff = r.Part->GetStaff(StaffOf(r.StaffVoice));
  bool down = staff && staff->VoiceCount() >= 2 ? VoiceOf(r.StaffVoice) != 0 : r.Octave * 7 + r.Step > 40;
  TQSNote* chordWith = nullptr;
  int index = 0, refillEnd = 0;
  OverwriteWalk(m, sv, position, length, index, refillEnd, [&](TQSItem& item) {
    const bool here = SameVoiceAt(m, item, sv, position);
    if (auto* note = dynamic_cast<TQSNote*>(&item); note && here) {
      chordWith = note;
      return TDecision::Join;
    }
    if (auto* rest = dynamic_cast<TQSPause*>(&item); rest && here && rest->Fields.Length == length)
      return TDecision::Replace;
    if (item.ItemType == kind::NoteRepeat && here && static_cast<TQSMark&>(item).Fields.Value == length)
      return TDecision::Replace;
    return TDecision::Clear;
  });
  if (chordWith) {
    length = chordWith->Fields.RealLength;
    down = chordWith->IsStemDown();
  }
  auto* note = NewUnregisteredItem<TQSNote>(m, kind::Note);
  TQSNote::TFields& f = note->Fields;
  f.Pitch = MakePitch(r.Octave, r.Step);
  f.StaffVoice = static_cast<uint8_t>(sv);
  f.Velocity = static_cast<uint8_t>(std::clamp(r.Velocity, 0, 127));
  f.Time = static_cast<uint16_t>(position);
  f.PlayOffset = static_cast<int16_t>(r.PositionError);
  f.Length = static_cast<uint16_t>(written);
  f.RealLength = static_cast<uint16_t>(length);
  note->SetStemDown(down);
  if (chordWith) {
    chordWith->SetChordMember(true);
    note->SetChordMember(true);
  }
  // The beams of the written value: a dotted sixteenth has the sixteenth's.
  note->SetExtraBeams(written == 32 ? 1 : written == 16 ? 2 : written == 8 ? 3 : written == 4 ? 4 : 0);
  m.Items.Insert(std::min(TQSScore::FindItemInsertIndex(m, sv, position, 0), m.ItemCount()), note);
  if (chordWith) m.ArrangeChordNotes(sv, position, true);
  const int grouping = m.BeamingValue();
  if (grouping > 1)
    m.AutoBeamNote(note, 0);
  else if (grouping == 1 && position + length < r.MeasureLength())
    note->SetBeamedToNext(true);
  if (tiedOn) {
    auto* tie = NewUnregisteredItem<TQSLiga>(*note, kind::Liga);
    tie->Fields.Flags = note->IsStemDown() ? 16 : 17;
    tie->Fields.Span = static_cast<uint16_t>(length);
    tie->Fields.EndStaffVoice = static_cast<uint8_t>(sv);
    note->Items.Add(tie);
  }
  for (int code : mods) {
    if (IsDotCode(code) && !note->IsChordMember())
      AttachMark(*note, kind::Dot, 0, code - Dot, false);
    else if (code >= Flat && code <= DoubleSharp)
      AttachMark(*note, kind::Accidental, code - Flat, 0, false);
    else if (code >= Natural && code <= NaturalSharp)
      AttachMark(*note, kind::Accidental, code - Natural + 4, 0, true);
  }
  return note;
}

void PlaceRest(TRecording& r, int position, int written, int length, const TQSModifiers& mods) {
  TQSMeasure& m = *r.Measure;
  const int sv = r.StaffVoice;
  int index = 0, refillEnd = 0;
  OverwriteWalk(m, sv, position, length, index, refillEnd, [&](TQSItem& item) {
    const bool here = SameVoiceAt(m, item, sv, position);
    const auto* rest = dynamic_cast<const TQSPause*>(&item);
    if (here && (item.ItemType == kind::Note || (rest && rest->Fields.Length == length) ||
                 (item.ItemType == kind::NoteRepeat && static_cast<TQSMark&>(item).Fields.Value == length)))
      return TDecision::Replace;
    return TDecision::Clear;
  });
  auto* rest = NewUnregisteredItem<TQSPause>(m, kind::Pause);
  rest->Fields.Time = static_cast<uint16_t>(position);
  rest->Fields.Length = static_cast<uint16_t>(written);
  rest->Fields.RealLength = static_cast<uint16_t>(length);
  rest->Fields.StaffVoice = static_cast<uint8_t>(sv);
  m.Items.Insert(std::min(TQSScore::FindItemInsertIndex(m, sv, position, 0), m.ItemCount()), rest);
  for (int code : mods)
    if (IsDotCode(code)) AttachMark(*rest, kind::Dot, 0, code - Dot, false);
}

void InsertRecorded(TRecording& r, int measureIndex, int tick, int length, const TQSModifiers& modifiers) {
  TQSScore& score = r.Score;
  TQSWindowLink* view = score.ActiveWindow();
  if (!view) return;
  const TRecordLock lock(view);
  const int q = std::clamp<int>(score.RecordQuantize, 8, 512);
  int position, lengthError = 0;
  const TQSPlayControl* control = view->PlayControl;
  if (control && control->IsRecording() && !control->IsRealTimeRecording()) {
    // Step recording: the note goes where it was played, one quantum long.
    position = tick;
    length = q;
  } else {
    position = Quantised(tick, q);
    const int quantised = std::max(q, Quantised(length, q));
    r.PositionError = tick - position;
    lengthError = length - quantised;
    length = quantised;
  }
  const int written = length;
  const int dotted = DottedLength(length, modifiers);
  r.Part = score.CurrentPart();
  r.Enter(measureIndex);
  if (!r.Measure) return;
  const TQSCursorPosition& cursor = view->CursorPosition;
  r.StaffVoice = MakeStaffVoice(cursor.Staff, cursor.Voice);
  if (r.IsNote && score.TwoHandRecording && r.Part->StaffCount() == 2)
    r.StaffVoice = MakeStaffVoice(r.Octave * 7 + r.Step < kHandSplitLine ? 1 : 0, 0);
  score.LastEntryLength = static_cast<uint16_t>(dotted);

  TQSNote* last = nullptr;
  const auto place = [&](int at, int w, int l, bool tiedOn, const TQSModifiers& mods) {
    if (r.IsNote)
      last = PlaceNote(r, at, w, l, tiedOn, mods);
    else
      PlaceRest(r, at, w, l, mods);
  };
  if (r.Slot && position + dotted <= r.MeasureLength()) {
    place(position, written, dotted, false, modifiers);
    r.Finish();
  } else if (r.Slot) {
    // Split over the bar lines into values that start on the beat grid.
    TQSModifiers plain = modifiers;
    std::erase_if(plain, IsDotCode);
    int remaining = dotted;
    while (remaining >= 1) {
      if (position >= r.MeasureLength()) {
        if (!r.Enter(r.MeasureIndex + 1)) break;
        position = 0;
      }
      const int end = r.MeasureLength();
      int value = 512;
      for (int s = 0; s <= 9; ++s)
        if ((1 << s) > remaining || position + (1 << s) > end) {
          value = s == 0 ? 512 : 1 << (s - 1);
          break;
        }
      const int beat = r.Slot->BeatFor(r.MeasureIndex);
      const int nextBeat = (position / beat + 1) * beat;
      const auto fits = [&](int piece) {
        return position + piece < end && position + piece < nextBeat && remaining >= piece;
      };
      TQSModifiers mods = plain;
      int piece = value;
      if (fits(value * 7 / 4)) {
        piece = value * 7 / 4;
        mods.push_back(DoubleDot);
      } else if (fits(value * 3 / 2)) {
        piece = value * 3 / 2;
        mods.push_back(Dot);
      }
      place(position, value, piece, remaining > piece, mods);
      remaining -= piece;
      if (position + piece < end) {
        position += piece;
        continue;
      }
      r.Finish();
      if (remaining < 1 || !r.Enter(r.MeasureIndex + 1)) break;
      position = 0;
    }
    if (r.Measure && r.Slot) r.Finish();
  }
  if (last) last->Fields.PlayLength = static_cast<uint16_t>(std::max(1, last->Fields.RealLength + lengthError));
  score.Recalculate(cursor.Page, -1);
  score.RefreshWindows();
  score.FireChanged(&score);
}

}  // namespace

void InsertRecordedNote(TQSScore& score, int measureIndex, int tick, int octave, int step, int length,
                        const TQSModifiers& modifiers, int velocity) {
  TRecording r{score};
  r.Octave = octave;
  r.Step = step;
  r.Velocity = velocity;
  InsertRecorded(r, measureIndex, tick, length, modifiers);
}

void InsertRecordedRest(TQSScore& score, int measureIndex, int tick, int length, const TQSModifiers& modifiers) {
  TRecording r{score};
  r.IsNote = false;
  InsertRecorded(r, measureIndex, tick, length, modifiers);
}

}  // namespace qs
