#pragma once
// Writing glyphs by their baseline, for the drawing steps of this folder.
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/canvas.h"
#include "render/paintcontext.h"

namespace qs {

// Writes text in font with its left edge at x and its baseline at y
// (top = y - the font's ascent) without filling its background; the
// canvas's font and brush are left as they were.
void WriteAtBaseline(TCanvas& canvas, const TFont& font, int x, int y, std::u16string_view text);

// The character of a glyph code in the score's music font.
std::u16string MusicGlyph(const TQSPaintContext& c, uint8_t code);

}  // namespace qs
