// Staff texts (lyrics, terms and instrument names) and chord symbols.
#include <string>

#include "base/text.h"
#include "layout/metrics.h"
#include "render/glyphtext.h"
#include "render/measurerenderer.h"
#include "render/primitives.h"
#include "render/textblock.h"
#include "score/calcrecords.h"
#include "score/marks.h"
#include "score/score.h"

namespace qs {

bool TQSMeasureRenderer::DrawStaffText(const TQSCalcItem& e, const TQSLyric& text) {
  const TColor color = Begin(e, e.Box, text.Fields.Color, TQSActiveTest::Voice, text);
  const auto& f = text.Fields;
  // The text's own point size: the score's scale does not enter.
  const int size = f.FontSize == 0 ? 8 : f.FontSize;
  UseFont(text.FontName.empty() ? "Arial" : text.FontName, c_.Style == wsPrint ? size : size * c_.ZoomY / 100,
          f.FontStyle & (fsBold | fsItalic | fsUnderline | fsStrikeOut));
  cv_.Brush().Style = bsClear;
  // The hyphen to the previous syllable, where the layout put it.
  if (text.ItemType == kind::Lyric && (f.Flags & TQSLyric::kHyphen)) cv_.TextOut(box_.Left, box_.Top, std::string_view("-"));

  TTextBlock block;
  for (const std::string& line : text.Lines) block.Lines.push_back(Utf8ToUtf16(line));
  block.Color = color;
  block.SignFont = c_.MusicFontName;
  if (block.Lines.empty()) {
    block.Lines.push_back(u"Empty");
  } else {
    block.Alignment = text.Alignment();
    block.Angle = f.Angle;
  }
  if (c_.Window && c_.Window->EditedElement == &e) block.Edit = &c_.Window->EditSelection;
  DrawTextBlock(cv_, ScaleRect(c_, e.Box2), block);
  return true;
}

bool TQSMeasureRenderer::DrawChordSymbol(const TQSCalcItem& e, const TQSChord& chord) {
  Begin(e, e.Box, chord.Fields.Color, TQSActiveTest::Voice, chord);
  const std::string& face = chord.FontName.empty() ? c_.TextFontName : chord.FontName;
  // Fragment offsets are layout units from the box's top-left corner at
  // the score's scale; each axis takes its own zoom (they differ on some
  // printers).
  auto scaled = [&](int v, int zoom) {
    return static_cast<int>(static_cast<long long>(v) * c_.Scale * zoom / 10000 / 8);
  };
  for (const TQSChordFragment& fragment : chord.Patterns) {
    const int size = fragment.Fields.Size;
    const int points = size == 0 ? c_.Font8 : c_.Style == wsPrint ? size : size * c_.Scale * c_.ZoomX / 10000;
    const uint8_t style = fragment.Fields.Style & (fsBold | fsItalic | fsUnderline | fsStrikeOut);
    UseFont(face, points, style);
    int x = box_.Left + scaled(fragment.StartX, c_.ZoomX);
    const int y = box_.Top + scaled(fragment.Y, c_.ZoomY);
    // Sharps and flats as music signs, on the text's baseline.
    const int baseline = y + cv_.GetTextMetrics().Ascent;
    for (const TChordRun& run : ChordFragmentRuns(fragment.Text)) {
      if (!run.Glyph) {
        Text(x, y, run.Text);
        x += cv_.TextWidth(std::string_view(run.Text));
        continue;
      }
      UseMusicFont(ChordSignSize(points));
      const std::u16string sign = MusicGlyph(c_, run.Glyph);
      const int width = cv_.TextWidth(std::u16string_view(sign));
      DrawFontGlyph(c_, x, baseline - cv_.GetTextMetrics().Ascent / 6, sign, c_.GlyphQuality);
      x += width;
      UseFont(face, points, style);
    }
  }
  return true;
}

}  // namespace qs
