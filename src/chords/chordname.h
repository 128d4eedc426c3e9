#pragma once
// Chord naming: a chord code (score/chordcode.h) turned into the fragments
// of its name (the letters are the program's note letters, uikit/names.h),
// and into the tones of the chord (TQSChordTone, editing/chords.h).
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "editing/chords.h"
#include "score/accidentals.h"
#include "score/marks.h"

namespace qs {

class TQSScore;

// Accidental codes of a chord tone: the accidental mark kind plus its Kind.
constexpr uint8_t kToneFlat = accidental::ToneFlat, kToneDoubleFlat = accidental::ToneDoubleFlat,
                  kToneSharp = accidental::ToneSharp, kToneDoubleSharp = accidental::ToneDoubleSharp;

using TQSChordTones = std::array<TQSChordTone, 8>;

// Replaces the fragments with the name of the chord: the root, then the
// quality, numbers, alterations and bass, each anchored and on its level.
// Always gives at least one fragment ("N.C." for the empty code).
void BuildChordName(const std::vector<uint8_t>& code, std::vector<TQSChordFragment>& fragments);

// Fills the tones of the chord (entry 0 the root, 1 the third, 2 the fifth,
// 3 the sixth or seventh, 4 the ninth, 5 the eleventh, 6 the thirteenth, 7
// the bass) and returns how many entries the note insertion takes: 3 to 7,
// or 8 with a bass. Entries below that number may be empty (Step 0).
int ChordCodeToTones(const std::vector<uint8_t>& code, TQSChordTones& tones);

// A sounding note as the chord recognition reads it: its semitone pitch
// (12 x octave + semitone) and the step it is written on (0 = C .. 6 = B).
struct TSoundingNote {
  int Pitch = 0;
  int Step = 0;
};

// The chord the notes make, as a code: the common triads, sixths,
// sevenths and ninths, on any root, in any inversion. The root is sought
// first on the lowest note, so notes that make a chord on their bass read
// as that chord (C E G A is C6, not Am7/C); a lowest note other than the
// root becomes the bass. The root and the bass are spelled as they are
// written. minorStyle and majorStyle: how "m" and "maj" are written. Empty
// when the notes make none of these chords.
std::vector<uint8_t> RecogniseChord(const std::vector<TSoundingNote>& notes, int minorStyle = 0, int majorStyle = 0);

// Makes the score name its chord symbols through BuildChordName, as the
// document window does.
void AnswerChordText(TQSScore& score);

}  // namespace qs
