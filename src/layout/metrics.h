#pragma once
// Small rules the layout steps share: how wide clefs, key and time
// signatures are, how tall a clef's box is, which clef governs a tick,
// which accidentals a key implies, how a note's element is found again,
// how a point is rotated and where a pitch stands on a staff.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "base/geometry.h"

namespace qs {

struct TLayoutContext;
struct TQSCalcItem;

// A piece of a chord symbol's fragment: text in the symbol's font, or one
// sharp or flat drawn with the music font (Glyph not 0).
struct TChordRun {
  std::string Text;
  uint8_t Glyph = 0;
};
// The pieces of a fragment whose sharps and flats are drawn as music signs:
// "#" anywhere, "b" after a capital note letter ending the fragment ("Eb")
// or before a number ("b9").
std::vector<TChordRun> ChordFragmentRuns(const std::string& text);
// The music font's size for the signs of a chord symbol's text of a size:
// larger, as the music font's signs are small for their size.
constexpr int ChordSignSize(int textSize) { return textSize * 4 / 3; }

// The number of accidentals of a key kind (1-7 sharps, 11-17 flats); kinds
// beyond seven accidentals count as seven, 10 and unknown kinds as none.
int KeyAccidentalCount(int keyKind);
bool KeyHasFlats(int keyKind);

// Width of the clef glyph in pixels with the music font at 16 points for a
// staff of the given size percent (the font stays set); the caller
// multiplies by 8.
int ClefGlyphWidth(TLayoutContext& c, int clefKind, int staffSize = 100);
// Top and bottom of a clef's box relative to the staff's top and bottom.
struct TClefExtent {
  int Top, Bottom;
};
TClefExtent ClefExtents(int clefKind);
// The music-font head glyph of a note value: the breve head for a breve
// and longer values, the whole, half and black heads for the others.
uint8_t NoteHeadGlyph(int value);
// The music-font glyph of a mark kind and variant (the glyph a dynamics
// mark's letters are measured by); 0 for none.
uint8_t MarkGlyph(int type, int v);
// The rest glyph of a written length (a quarter rest for lengths without one).
uint8_t RestGlyph(int value);
// Width in pixels of the head glyph drawn for a note value, at 128 (88 for
// small notes): the breve is measured by the glyph drawn for it.
int HeadGlyphWidth(TLayoutContext& c, int value, bool small);
// A key signature takes five pixels a sign (layout units, 8 to a pixel),
// as wide as the music font's sharps and flats, and room after its last
// sign so that it does not touch the time signature or the first note.
constexpr int kKeySignStep = 40, kRoomAfterKey = 32;
// Units a key signature of the kind takes.
int KeySignatureWidth(int keyKind);
// A time signature drawn as the cut-time sign: 4/4, 2/4 and alla breve's
// own 2/2 in the cut style.
bool IsCutTime(uint16_t meter, uint8_t style);
// Units a time signature takes.
int TimeSignatureWidth(TLayoutContext& c, uint16_t meter, uint8_t style);
// The clef offset governing the tick on the row of the current slot for
// the current part; sets the pass's percussion flag when a clef is found.
int ClefOffsetAt(TLayoutContext& c, int rowIndex, int staffVoice, int tick);
// A note's staff position (half staff spaces down from the top line) under
// a clef offset, and the y of its head's top relative to the staff's top.
int StaffPosition(int clefOffset, uint8_t pitch);
int HeadTop(int position, int staffSpace);
// The element of the current slot drawing the note of the staff/voice at
// the tick (the last chord note whose stem flag differs from stemBit), or a
// rest there when allowRest; nullptr when none.
TQSCalcItem* FindNoteElement(TLayoutContext& c, int staffVoice, int tick, int stemBit, bool allowRest);
// The alteration (-1, 0, +1) of each step C..B under the key signature in
// force for the current part at the start of the current slot.
std::array<int, 7> KeyAccidentals(TLayoutContext& c);
std::array<int, 7> KeyAccidentalsOf(int keyKind);
// The point turned by the angle whose cosine and sine are given.
TPoint RotatePoint(TPoint p, double cosine, double sine);
// The bounding box of a box of width w and height h at (left, top) turned
// by angle degrees about its top-left corner.
TRect RotatedBox(int left, int top, int w, int h, int angle);

}  // namespace qs
