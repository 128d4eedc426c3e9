#pragma once
// Transposing the selected notes of the active view by a chromatic interval,
// their accidentals rewritten so that the written notes sound the new
// pitches under the key and the accidentals in force in the measure, read
// as the layout draws and plays them; one undo step.
namespace qs {

class TQSScore;
class TQSNote;

// interval: semitones, up positive. Nothing without a selected note. Notes
// of the same staves and measures that were not selected keep sounding as
// they did: one gets an accidental when a moved note changed what is in
// force for its step.
void Transpose(TQSScore& score, int interval);

// Gives a tablature note the pitch of MIDI key (0..127, spelled sharp but C
// sharp as D flat) with the accidental that makes it sound that key under
// the key signature, to which a tablature staff adds its accidentals.
void SetTablatureKey(TQSNote& note, int key);

}  // namespace qs
