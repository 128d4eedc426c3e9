#pragma once
// Notation details of the notes and marks selected in the active view
// (its measure lists only): hidden rests, aligned offsets, stem directions,
// beam joins and beam height, offset heads, splitting and uniting note
// pairs, and tablature frets. Each is one undo step.
#include <cstdint>

namespace qs {

class TQSScore;
class TQSNote;

// Hides or shows the selected rests (without a selection: those at the cursor).
void ToggleHiddenRests(TQSScore& score);
// Puts the selected marks, rests, chord symbols, lyrics, frames and bends
// on one horizontal line (the first item's vertical offset; rests among
// themselves), or on one vertical line (the first item's horizontal offset).
void AlignHorizontal(TQSScore& score);
void AlignVertical(TQSScore& score);
// direction -1 up, +1 down: stems (a beam group or chord turns as one),
// slur and tie curves, glissandos, falls, brackets, tuplets and arpeggios.
void SetStemDirection(TQSScore& score, int direction);
// unjoin 0 joins the selected notes to the next beam, else breaks it.
void JoinNotes(TQSScore& score, uint8_t unjoin);
// step -1 up, +1 down: the stem length of each selected note.
void MoveBeam(TQSScore& score, int step);
// Puts the heads of the selected notes (with their chords) and the
// selected rests to the other side, or back.
void OffsetNotes(TQSScore& score);
// split nonzero: each selected note becomes two of half its length; 0
// unites it with the next note of the same voice, line and length.
void UnionNotePair(TQSScore& score, uint8_t split);
// up nonzero: the fret of each selected tablature note one higher, after
// the highest back to the open string; 0 one lower, below the open string
// to the highest.
void ChangeFret(TQSScore& score, uint8_t up);

// A note's stem length grown by step away from its head (stem down: +step,
// stem up: -step), never below 0.
int SteppedStemLength(const TQSNote& note, int step);

}  // namespace qs
