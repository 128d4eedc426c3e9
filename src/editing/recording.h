#pragma once
// Entering notes and rests recorded from the MIDI input. Unlike the entry
// at the cursor they work at an explicit measure and tick, quantise
// position and length to the score's RecordQuantize, always overwrite, keep no
// undo record and leave the selections alone. They hold the active view's
// record lock for the whole command, layout included, so that the record
// thread never sees a half-entered note; then the score is laid out again
// from the cursor's page, the views repaint and OnChanged fires.
#include <vector>

namespace qs {

class TQSScore;

// A note of octave and diatonic step recorded at tick of measure
// measureIndex of the cursor's part, length ticks long, with the MIDI
// velocity. Modifier codes used: 45-47 dots, 50-53 accidentals, 54-56
// naturals. A note longer than the rest of its measure is split into tied
// notes on the beats of the next measures. With the score's
// TwoHandRecording and a part of two staves, notes below the G of octave 4
// go to the second staff.
void InsertRecordedNote(TQSScore& score, int measureIndex, int tick, int octave, int step, int length,
                        const std::vector<int>& modifiers, int velocity);
// A rest recorded the same way, in the cursor's staff and voice.
void InsertRecordedRest(TQSScore& score, int measureIndex, int tick, int length, const std::vector<int>& modifiers);

}  // namespace qs
