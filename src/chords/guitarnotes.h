#pragma once
// What the Guitar palette's fretboard means in notes: the chord the held
// frets make (to enter or to play), and where notes of the score lie on
// the strings of a guitar (to show them on the fretboard).
//
// The fretboard counts its strings from the highest-sounding one (string
// 0) while a guitar's tuning starts from the lowest: fretboard string i is
// guitar string n - i - 1. Fret values are the fretboard's: 0 not held, 1
// the open string, k >= 2 fret k - 1.
#include <array>
#include <cstdint>
#include <vector>

#include "editing/chords.h"

namespace qs {

class TQSGuitarDescription;

// The open pitches of fretboard strings when the current index has no
// library guitar: six strings from the top E down, and for index 1 the
// seven-string row (used for the note names only).
inline constexpr std::array<uint8_t, 6> kDefaultSixStrings = {76, 71, 67, 62, 57, 52};
inline constexpr std::array<uint8_t, 7> kDefaultSevenStrings = {76, 72, 68, 64, 60, 56, 52};
// The fretboard's size without a library guitar.
inline constexpr int kDefaultGuitarStrings = 6, kDefaultGuitarFrets = 24;
// The program the play button sounds without a library guitar.
inline constexpr uint8_t kDefaultGuitarProgram = 24;

// The open pitch of fretboard string i of n: the guitar's tuning, or
// without one the default row of the index (the seven-string row for index
// 1, the six-string row for every other index; 0 past the row's end).
int FretboardOpenPitch(const TQSGuitarDescription* guitar, int guitarIndex, int n, int i);

// The chord of the held frets (one value a fretboard string), as chord
// tones in the chromatic form: one entry a string, and with a paired
// guitar a second block for the second strings. Entering (forPlaying
// false) drops the later of two entries of the same pitch; playing adds the
// guitar's transposition to its pitches. Every pitch stays a MIDI key
// (0..127); a string not held gives an entry of pitch 0.
std::vector<TQSChordTone> FretboardChord(const TQSGuitarDescription* guitar, int guitarIndex,
                                         const std::vector<int>& frets, bool forPlaying);

// Places pitches on a guitar's n strings (fretCount frets each): each
// pitch in turn takes the highest-tuned free string s whose range
// tuning(s) .. tuning(s) + fretCount - 1 holds it. The answer has one fret
// value a fretboard string (0 not held); a pitch that finds no string
// clears fretboard string n - 1.
std::vector<int> PlaceOnStrings(const TQSGuitarDescription& guitar, int n, int fretCount,
                                const std::vector<int>& pitches);

// The fretboard string that shows a played pitch (the highest-tuned string
// whose range holds it, free or not), with its fret value; string -1 when
// the pitch lies outside the guitar.
struct TFretPlace {
  int String = -1;
  int Fret = 0;
};
TFretPlace PlaceOneNote(const TQSGuitarDescription& guitar, int n, int fretCount, int pitch);

}  // namespace qs
