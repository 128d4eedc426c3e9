#include "render/glyphtext.h"

#include "platform/fonts.h"

namespace qs {

namespace {
// Puts a font and a clear brush on the canvas and takes them back off,
// also when drawing fails.
class TFontSwap {
 public:
  TFontSwap(TCanvas& canvas, const TFont& font)
      : canvas_(canvas), font_(canvas.Font()), brushStyle_(canvas.Brush().Style) {
    canvas_.Font() = font;
    canvas_.Brush().Style = bsClear;
  }
  ~TFontSwap() {
    canvas_.Font() = font_;
    canvas_.Brush().Style = brushStyle_;
  }
  TFontSwap(const TFontSwap&) = delete;
  TFontSwap& operator=(const TFontSwap&) = delete;

 private:
  TCanvas& canvas_;
  TFont font_;
  TBrushStyle brushStyle_;
};
}  // namespace

void WriteAtBaseline(TCanvas& canvas, const TFont& font, int x, int y, std::u16string_view text) {
  TFontSwap swap(canvas, font);
  canvas.TextOut(x, y - canvas.GetTextMetrics().Ascent, text);
}

std::u16string MusicGlyph(const TQSPaintContext& c, uint8_t code) { return FontGlyphText(c.MusicFontName, code); }

}  // namespace qs
