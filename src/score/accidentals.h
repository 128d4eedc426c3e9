#pragma once
// The kinds of an accidental mark (item kind 50, the mark's Kind): the
// seven common signs and the microtonal ones. Entry, import, layout and
// drawing all go by these names.
#include <cstdint>

#include "platform/musicglyphs.h"
#include "score/item.h"

namespace qs::accidental {

constexpr uint8_t Flat = 0, DoubleFlat = 1, Sharp = 2, DoubleSharp = 3, Natural = 4, NaturalFlat = 5,
                  NaturalSharp = 6;
// Quarter tones in the signs of the first microtonal set.
constexpr uint8_t QuarterToneFlat = 101, QuarterToneSharp = 102, ThreeQuarterToneFlat = 103,
                  ThreeQuarterToneSharp = 104;
// Eighth tones and their multiples as naturals, flats and sharps with arrows.
constexpr uint8_t EighthToneFlat = 133, EighthToneSharp = 134, QuarterToneFlatArrows = 135,
                  QuarterToneSharpArrows = 136, ThreeEighthToneFlat = 137, ThreeEighthToneSharp = 138;

// A tone's accidental in one byte (chord tones, the notes at the cursor):
// the accidental mark's item kind plus its Kind; 0 for none.
constexpr uint8_t ToneFlat = kind::Accidental + Flat, ToneDoubleFlat = kind::Accidental + DoubleFlat,
                  ToneSharp = kind::Accidental + Sharp, ToneDoubleSharp = kind::Accidental + DoubleSharp;

// The accidental written at a note (TQSNote::AccidentalDisplay) in one
// byte: the natural sign, the direction and the number of semitones.
constexpr uint8_t DisplayNatural = 0x80, DisplayDown = 0x40, DisplayAmount = 0x3F;
// The written accidentals a single sign gives.
constexpr uint8_t DisplaySharp = 1, DisplayFlat = DisplayDown | 1, DisplayNaturalOnly = DisplayNatural,
                  DisplayNaturalSharp = DisplayNatural | 1, DisplayNaturalFlat = DisplayNatural | DisplayDown | 1;

// The music-font glyph of a kind; 0 for none.
constexpr uint8_t Glyph(int kind) {
  if (kind >= Flat && kind <= NaturalSharp) return static_cast<uint8_t>(glyphs::AccidentalFlat + kind - Flat);
  if (kind >= QuarterToneFlat && kind <= ThreeQuarterToneSharp)
    return static_cast<uint8_t>(glyphs::AccidentalQuarterToneFlatStein + kind - QuarterToneFlat);
  if (kind >= EighthToneFlat && kind <= ThreeEighthToneSharp)
    return static_cast<uint8_t>(glyphs::AccidentalNaturalOneArrowDown + kind - EighthToneFlat);
  return 0;
}

// Kinds drawn like a flat: they reach three rows above their note's.
constexpr bool IsFlatShaped(int kind) {
  return kind == Flat || kind == DoubleFlat || kind == QuarterToneFlat || kind == ThreeQuarterToneFlat ||
         kind == EighthToneFlat || kind == QuarterToneFlatArrows || kind == ThreeEighthToneFlat;
}

}  // namespace qs::accidental
