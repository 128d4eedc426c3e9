#pragma once
// For the platform's own .cpp files only: a text laid out for drawing with
// the same advances it is measured with. Names the toolkit's font class
// without including it.
#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/canvas.h"

class QRawFont;

namespace qs {

struct TTextRun {
  std::vector<uint32_t> Glyphs;  // glyph indexes, one per character
  std::vector<int> X;            // left edge of each glyph from the text's start
  int Width = 0;
  TTextMetric Metric;
  double EmPixels = 0;     // the size the glyph outlines are drawn at
  double XScale = 1;       // horizontal stretch of the outlines (explicit width)
  bool SlantItalic = false;  // the face has no italic of its own
  int UnderlineOffset = 0;   // below the baseline
  int UnderlineThickness = 1;
  int StrikeOutOffset = 0;   // above the baseline
  int StrikeOutThickness = 1;
  const void* Face = nullptr;
};

TTextRun LayoutText(const TFont& font, std::u16string_view text);
// The outlines of the run's face at its em size.
QRawFont RunFont(const TTextRun& run);
// The same outlines from the font database, which documents (PDF) can
// embed; a font made from bytes alone is drawn there as outlines.
QRawFont DocumentRunFont(const TTextRun& run);

}  // namespace qs
