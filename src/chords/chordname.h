#pragma once
// Chord naming: a chord code (score/chordcode.h) turned into the fragments
// of its name, and into the tones of the chord.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "score/accidentals.h"
#include "score/marks.h"

namespace qs {

class TQSScore;

// The program's seven note letters, C to B; the main window sets them from
// the settings.
extern std::string NoteLetters;

// One tone of a chord, relative to its root.
struct TQSChordTone {
  int16_t Pitch = 0;      // semitone pitch; 0 here (the guitar uses it instead of step and octave)
  uint8_t Step = 0;       // diatonic step 1..7 (C..B); 0 = an empty entry
  uint8_t String = 0;     // not set by the chord code
  uint8_t Fret = 0;       // not set by the chord code
  uint8_t Octave = 0;     // octave above the root's octave
  uint8_t Accidental = 0; // the accidental mark code (below) or 0
};
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

// Makes the score name its chord symbols through BuildChordName, as the
// document window does.
void AnswerChordText(TQSScore& score);

}  // namespace qs
