#pragma once
// The clef numbers of clef marks (the mark's Kind), instrument presets and
// new-score settings. The double treble clef (two G clefs side by side)
// places its notes as the treble clef does.
#include <cstdint>

namespace qs::clef {

constexpr uint8_t Treble = 1, Bass = 2, Alto = 3, TrebleOctaveUp = 4, TrebleOctaveDown = 5,
                  BassOctaveDown = 6, BaritoneF = 7, Tenor = 8, Soprano = 9, MezzoSoprano = 10,
                  BaritoneC = 11, DoubleTreble = 12, Tablature = 13, Percussion1 = 14, Percussion2 = 15;

}  // namespace qs::clef
