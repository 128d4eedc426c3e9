#pragma once
// The head styles of a note (TQSNote's HeadStyle byte): the normal head
// chosen by the written length, the older way of asking for a small note,
// a slash (a slanted bar on the middle line, the rhythm alone), the
// harmonic diamond, and from FirstDrum on the entries of the score's drum
// instrument table. Layout, drawing, entry and import go by these names.
#include <cstdint>

namespace qs::headstyle {

constexpr uint8_t Normal = 0, OldSmall = 1, Slash = 2, Harmonic = 3, FirstDrum = 5;
// Written by drum maps for "the standard head": a normal head too.
constexpr uint8_t NormalToo = 255;

// Whether a style names an entry of the drum instrument table.
constexpr bool IsDrum(int style) { return style >= FirstDrum && style != NormalToo; }

}  // namespace qs::headstyle
