#pragma once
// Transposing the selected notes of the active view by a chromatic interval,
// their accidentals rewritten so that the written notes sound the new
// pitches under the key and the accidentals in force in the measure; one
// undo step.
namespace qs {

class TQSScore;
class TQSMeasure;

// interval: semitones, up positive. Nothing without a selected note.
void Transpose(TQSScore& score, int interval);

// The alteration in semitones that applies to diatonic step (0 = C .. 6 = B)
// on staff at position of the measure: the key in force for its part,
// then the accidentals of the earlier notes of that step on that staff.
int AlterationInForce(const TQSMeasure& measure, int step, int staff, int position);

}  // namespace qs
