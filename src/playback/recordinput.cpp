#include "playback/recordinput.h"

#include "editing/recording.h"
#include "playback/player.h"
#include "playback/playwalker.h"
#include "score/notes.h"

namespace qs {

void TQSRecordCollector::RecordMidiInput(uint8_t status, uint8_t key, uint8_t velocity) {
  if (!player_.IsRecording()) return;
  const TQSPlayer::TRecordPosition now = player_.RecordPosition();
  if (now.CountIn) return;
  const int type = status & 0xF0;
  if (type == midi::NoteOn && velocity > 0) {
    notes_.push_back({key, velocity, now.Measure, now.Tick, now.Ticks, -1});
    return;
  }
  if (type != midi::NoteOff && type != midi::NoteOn) return;
  for (TNote& note : notes_)
    if (note.Key == key && note.End < 0) {
      note.End = now.Ticks;
      return;
    }
}

void TQSRecordCollector::EnterCollected() {
  // Notes are entered in the order they began; one still held waits, and
  // so do the ones after it.
  size_t done = 0;
  for (; done < notes_.size() && notes_[done].End >= 0; ++done) {
    const TNote& n = notes_[done];
    const TSpelledKey spelled = SpellMidiKey(n.Key);
    std::vector<int> modifiers;
    if (spelled.Alteration < 0) modifiers.push_back(50);
    if (spelled.Alteration > 0) modifiers.push_back(52);
    InsertRecordedNote(score_, n.Measure, n.Tick, spelled.Octave, spelled.Step, n.End - n.Start, modifiers,
                       n.Velocity);
  }
  notes_.erase(notes_.begin(), notes_.begin() + static_cast<std::ptrdiff_t>(done));
}

}  // namespace qs
