#include "render/textblock.h"

#include <algorithm>
#include <cmath>

#include "base/mathutil.h"
#include "layout/metrics.h"
#include "platform/canvasutil.h"
#include "platform/fonts.h"
#include "platform/musicglyphs.h"
#include "render/glyphtext.h"
#include "render/primitives.h"

namespace qs {

TPoint TurnedBlockShift(int angle, int w, int h) {
  const double a = angle * M_PI / 180, s = std::sin(a), c = std::cos(a);
  if (angle <= 90) return {0, Round(w * s)};
  if (angle <= 180) return {-Round(w * c), -Round(-w * s + h * c)};
  if (angle <= 270) return {-Round(w * c + h * s), -Round(h * c)};
  return {-Round(h * s), 0};
}

namespace {

// Selects a device font made from the canvas's font for the block and
// puts the caller's font and brush back afterwards, also on failure.
class TBlockFont {
 public:
  TBlockFont(TCanvas& canvas, int angle) : canvas_(canvas), font_(canvas.Font()), brush_(canvas.Brush()) {
    canvas_.Font() = CreateRotatedFont(font_, angle);
  }
  ~TBlockFont() {
    canvas_.Font() = font_;
    canvas_.Brush() = brush_;
  }
  TBlockFont(const TBlockFont&) = delete;
  TBlockFont& operator=(const TBlockFont&) = delete;

 private:
  TCanvas& canvas_;
  TFont font_;
  TBrush brush_;
};

struct TSpan {
  int FirstLine, FirstChar, LastLine, LastChar;
  bool Empty() const { return FirstLine == LastLine && FirstChar == LastChar; }
};

// The edit's selection with its start before its end.
TSpan SelectionOf(const std::array<int32_t, 6>& edit) {
  TSpan s{edit[0], edit[1], edit[2], edit[3]};
  if (s.LastLine < s.FirstLine || (s.LastLine == s.FirstLine && s.LastChar < s.FirstChar))
    s = {s.LastLine, s.LastChar, s.FirstLine, s.FirstChar};
  return s;
}

// The music sign of a sharp, flat or natural character, 0 for others.
uint8_t SignGlyph(char16_t ch) {
  switch (ch) {
    case u'\u266D': return glyphs::AccidentalFlat;
    case u'\u266E': return glyphs::AccidentalNatural;
    case u'\u266F': return glyphs::AccidentalSharp;
    default: return 0;
  }
}

// A line's pieces: text in the canvas's font, or one sign the font lacks
// (Glyph not 0) drawn with the music font.
struct TLineRun {
  std::u16string_view Text;
  uint8_t Glyph = 0;
};

std::vector<TLineRun> LineRuns(const TCanvas& cv, std::u16string_view line, const TTextBlock& block) {
  std::vector<TLineRun> runs;
  size_t start = 0;
  for (size_t i = 0; i < line.size(); ++i) {
    const uint8_t glyph = block.SignFont.empty() ? 0 : SignGlyph(line[i]);
    if (!glyph || FontHasGlyphs(cv.Font(), line.substr(i, 1))) continue;
    if (i > start) runs.push_back({line.substr(start, i - start)});
    runs.push_back({line.substr(i, 1), glyph});
    start = i + 1;
  }
  if (start < line.size() || runs.empty()) runs.push_back({line.substr(start)});
  return runs;
}

// The music font's sign at the size that matches the canvas's text.
TFont SignFontOf(const TCanvas& cv, const TTextBlock& block) {
  TFont font = cv.Font();
  font.Name = block.SignFont;
  font.SetSize(ChordSignSize(cv.Font().Size()));
  return font;
}

int LineWidth(TCanvas& cv, std::u16string_view line, const TTextBlock& block) {
  int width = 0;
  for (const TLineRun& run : LineRuns(cv, line, block)) {
    if (!run.Glyph) {
      width += cv.TextWidth(run.Text);
      continue;
    }
    const TFont text = cv.Font();
    cv.Font() = SignFontOf(cv, block);
    width += cv.TextWidth(std::u16string_view(FontGlyphText(block.SignFont, run.Glyph)));
    cv.Font() = text;
  }
  return width;
}

// Writes a line from its top-left corner, its signs on the text's
// baseline.
void WriteLine(TCanvas& cv, int x, int y, std::u16string_view line, const TTextBlock& block) {
  const std::vector<TLineRun> runs = LineRuns(cv, line, block);
  if (runs.size() == 1 && !runs[0].Glyph) {
    cv.ExtTextOut(x, y, cv.TextFlags, nullptr, line);
    return;
  }
  const int ascent = cv.GetTextMetrics().Ascent;
  for (const TLineRun& run : runs) {
    if (!run.Glyph) {
      cv.ExtTextOut(x, y, cv.TextFlags, nullptr, run.Text);
      x += cv.TextWidth(run.Text);
      continue;
    }
    const TFont sign = SignFontOf(cv, block);
    const std::u16string glyph = FontGlyphText(block.SignFont, run.Glyph);
    WriteAtBaseline(cv, sign, x, y + ascent - ascent / 6, glyph);
    const TFont text = cv.Font();
    cv.Font() = sign;
    x += cv.TextWidth(std::u16string_view(glyph));
    cv.Font() = text;
  }
}

}  // namespace

void DrawTextBlock(TCanvas& cv, const TRect& box, const TTextBlock& block) {
  const bool turned = block.Angle != 0 && !block.Edit;
  TBlockFont font(cv, turned ? block.Angle : 0);
  cv.Font().Color = block.Color;
  cv.Brush().Style = bsClear;
  const int lineHeight = cv.TextHeight(std::u16string_view(u"A"));
  std::vector<int> widths;
  int widest = 0;
  for (const auto& line : block.Lines) {
    widths.push_back(turned || block.Edit ? cv.TextWidth(line) : LineWidth(cv, line, block));
    widest = std::max(widest, widths.back());
  }
  // Unturned lines align in the box; turned ones within the block, since
  // the box of a turned block is the bounding box of the turned lines.
  const int room = turned ? widest : box.Right - box.Left;
  auto alignedX = [&](int width) {
    switch (block.Alignment) {
      case 1: return (room - width) / 2;
      case 2: return room - width;
      default: return 0;
    }
  };

  if (turned) {
    const int n = static_cast<int>(block.Lines.size());
    const TPoint shift = TurnedBlockShift(block.Angle, widest, n * lineHeight);
    const double a = block.Angle * M_PI / 180, c = std::cos(a), s = std::sin(a);
    for (int i = 0; i < n; ++i) {
      const TPoint p = RotatePoint({alignedX(widths[static_cast<size_t>(i)]), i * lineHeight}, c, s);
      cv.ExtTextOut(box.Left + p.X + shift.X, box.Top + p.Y + shift.Y, cv.TextFlags, nullptr,
                    block.Lines[static_cast<size_t>(i)]);
    }
    return;
  }

  const bool selecting = block.Edit && !SelectionOf(*block.Edit).Empty();
  const TSpan sel = block.Edit ? SelectionOf(*block.Edit) : TSpan{};
  for (int i = 0; i < static_cast<int>(block.Lines.size()); ++i) {
    const std::u16string& line = block.Lines[static_cast<size_t>(i)];
    int x = box.Left + alignedX(widths[static_cast<size_t>(i)]);
    const int y = box.Top + i * lineHeight;
    if (!block.Edit) {
      WriteLine(cv, x, y, line, block);
      continue;
    }
    if (!selecting || i < sel.FirstLine || i > sel.LastLine) {
      cv.ExtTextOut(x, y, cv.TextFlags, nullptr, line);
      continue;
    }
    // Characters count from 1; 0 stands before the first.
    const int length = static_cast<int>(line.size());
    const int a = i == sel.FirstLine ? std::clamp(sel.FirstChar, 0, length) : 0;
    const int b = i == sel.LastLine ? std::clamp(sel.LastChar, a, length) : length;
    auto run = [&](int from, int to, bool selected) {
      if (to <= from) return;
      const std::u16string_view text = std::u16string_view(line).substr(static_cast<size_t>(from),
                                                                       static_cast<size_t>(to - from));
      cv.Font().Color = selected ? clWhite : block.Color;
      cv.Brush().Color = clTextSelection;
      cv.Brush().Style = selected ? bsSolid : bsClear;
      cv.ExtTextOut(x, y, cv.TextFlags, nullptr, text);
      x += cv.TextWidth(text);
    };
    run(0, a, false);
    run(a, b, true);
    run(b, length, false);
  }
}

}  // namespace qs
