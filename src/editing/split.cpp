#include "editing/split.h"

namespace qs {

TSplitPiece NextSplitPiece(int tick, int remaining, int measureLength, int beat) {
  TSplitPiece p;
  int value = 512;
  for (int s = 0; s <= 9; ++s)
    if ((1 << s) > remaining || tick + (1 << s) > measureLength) {
      value = s > 0 ? 1 << (s - 1) : 0;
      break;
    }
  if (value <= 0 || beat <= 0) return p;
  const int nextBeat = (tick / beat + 1) * beat;
  const int doubleDotted = value + value / 2 + value / 4;
  const int dotted = value + value / 2;
  p.Value = value;
  if (value < 256 && remaining >= doubleDotted && tick + doubleDotted < measureLength &&
      nextBeat > tick + doubleDotted) {
    p.Length = doubleDotted;
    p.Dots = 2;
  } else if (value < 512 && remaining >= dotted && tick + dotted < measureLength && nextBeat > tick + doubleDotted) {
    p.Length = dotted;
    p.Dots = 1;
  } else {
    p.Length = value;
  }
  return p;
}

}  // namespace qs
