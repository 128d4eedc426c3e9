#pragma once
// How a note that runs past a bar line is cut into tied pieces: entering a
// note and re-barring after a meter change cut the same way.

namespace qs {

struct TSplitPiece {
  int Value = 0;   // the written value: a power of two; 0 when nothing fits
  int Length = 0;  // the real length: the value with its dots
  int Dots = 0;    // 0, 1 or 2
};

// The next piece of a note with `remaining` ticks left, starting at tick of
// a measure of measureLength ticks whose beat is beat ticks: the largest
// power of two that fits both, dotted twice when that stays inside the
// remaining time, the measure and the beat, or once when it stays inside
// the remaining time and the measure and a double dot would stay inside the
// beat.
TSplitPiece NextSplitPiece(int tick, int remaining, int measureLength, int beat);

}  // namespace qs
