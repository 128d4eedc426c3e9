#pragma once
// How the on-screen piano and the interval palette spell the note they
// enter: the letter, the octave and the accidentals written before it,
// against the alterations in force at the cursor (key signature and the
// accidentals earlier in the measure).
#include <functional>
#include <vector>

namespace qs {

// The alteration in force for a diatonic step (0 C .. 6 B) at the cursor:
// -1 flat, 0 none, +1 sharp (larger values for doubles).
using TAlterationInForce = std::function<int(int step)>;

// A note to enter: InsertNote's octave (MIDI pitch div 12, middle C is 5)
// and step, and the accidental codes written with it.
struct TKeyEntry {
  int Octave = 0, Step = 0;
  std::vector<int> Accidentals;
  bool operator==(const TKeyEntry&) const = default;
};

// The accidentals that make a step sound with alteration when inForce is
// in force for it: none when they agree; the sign alone when nothing is in
// force; otherwise the natural, then the sign (if any).
void AppendAccidentals(int alteration, int inForce, std::vector<int>& codes);

// A piano key: octave 1 .. 9 (5 holds middle C), note 1 .. 7 for C .. B,
// tone -1, 0, +1. A sharp key is written as the letter above when that
// letter's alteration in force makes it that key (A sharp as B with B flat
// in force), a flat key as the letter below likewise (E flat as D with D
// sharp in force); otherwise against the letter's own alteration.
TKeyEntry SpellPianoKey(int octave, int note, int tone, const TAlterationInForce& inForce);
// The MIDI pitch the key sounds.
int PianoKeyPitch(int octave, int note, int tone);

// The pitch an interval button enters: semitones (0 .. 24) above or below
// the reference pitch, octaves whole octaves further the same way, clamped
// to 0 .. 127.
int IntervalPitch(int reference, int semitones, bool up, int octaves);
// A pitch as the interval palette writes it: black keys as the sharp of C,
// F and G and the flat of E and B.
TKeyEntry SpellPitch(int pitch, const TAlterationInForce& inForce);

}  // namespace qs
