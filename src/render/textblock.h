#pragma once
// Blocks of text lines as page texts and staff texts write them: each line
// aligned in its box, the whole block turned by an angle, or unturned with
// the selection of in-place editing.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "base/geometry.h"
#include "platform/canvas.h"

namespace qs {

// Where the first line of a block w wide and h high, turned by angle
// degrees counter-clockwise, starts so that the block stays inside the box
// whose top-left corner is the origin.
TPoint TurnedBlockShift(int angle, int w, int h);

struct TTextBlock {
  std::vector<std::u16string> Lines;
  int Alignment = 0;  // 1 centred, 2 right-aligned, otherwise left
  int Angle = 0;      // degrees counter-clockwise
  TColor Color = clBlack;
  // The edit of a text under in-place editing (first line, first
  // character, last line, last character ...): the block is then written
  // unturned with the selected characters white on the selection colour.
  const std::array<int32_t, 6>* Edit = nullptr;
  // The music font: a sharp, flat or natural sign the block's font has no
  // glyph for is drawn with it (unturned lines outside editing), rather
  // than as the missing glyph's box. Empty for none.
  std::string SignFont;
};

// The background of selected characters of a text under editing.
constexpr TColor clTextSelection = 0xB59284;

// Writes the block in the canvas's font (face, size, style) with lines one
// height of "A" apart, from the box's top-left corner. The canvas's font
// and brush are as the caller left them afterwards.
void DrawTextBlock(TCanvas& canvas, const TRect& box, const TTextBlock& block);

}  // namespace qs
