#pragma once
// The chord and guitar palettes' commands at the cursor: the tones of a
// chord entered as notes, chord symbols and guitar frames set or replaced,
// a chord removed, and page and system breaks at the cursor's column.
#include <cstdint>
#include <vector>

#include "score/marks.h"

namespace qs {

class TQSScore;

// One tone of a chord, as chord names and the palettes describe it: either
// a diatonic step (with its octave and accidental) or, with step 0, a
// chromatic pitch (the fretboard's form, with its string and fret).
struct TQSChordTone {
  int16_t Pitch = 0;       // chromatic: octave x 12 + semitone; 0 = none
  uint8_t Step = 0;        // diatonic step 1..7 (C..B); 0: the chromatic pitch is used
  uint8_t String = 0;      // tablature string
  uint8_t Fret = 0;        // tablature fret + 1
  uint8_t Octave = 0;      // with the step form: octaves above the root's octave
  uint8_t Accidental = 0;  // with the step form: the accidental mark code, or 0
};

// The diatonic step (0 = C .. 6 = B) a semitone is written on, and whether
// it is a black key.
int StepOfSemitone(int semitone);
bool IsBlackKey(int semitone);

// The first count tones (at most those given) as notes of the given value
// at the cursor, one undo step; black keys are spelled from the tone before
// when spellBlackKeys.
void InsertChordNotes(TQSScore& score, int count, const std::vector<TQSChordTone>& tones, int duration,
                      bool spellBlackKeys);
// A chord symbol at the cursor, or the one there updated; without names the
// score's GetChordText names it from the pattern.
void SetChordSymbol(TQSScore& score, const std::vector<uint8_t>& pattern,
                    const std::vector<TQSChordFragment>* names, int yOffset);
// The frame takes stringCount string entries and usedFretCount barre bytes;
// entries missing from the lists given are left empty.
void SetGuitarFrame(TQSScore& score, const std::vector<uint8_t>& pattern, const std::vector<uint8_t>& fretBytes,
                    const std::vector<TQSFrameString>& stringEntries, int stringCount, int fretCount,
                    int usedFretCount, int startFret, int yOffset);
// Duration not 0: frees the chord notes of the cursor's voice starting in
// [cursor, cursor + duration); 0: the last chord symbol or frame at the
// cursor tick. No undo record.
void RemoveChord(TQSScore& score, int duration);
// 0 none; n a page break with n - 1 empty pages after it.
void SetPageBreak(TQSScore& score, int value);
void SetStaveBreak(TQSScore& score, int value);

}  // namespace qs
