#include "palettes/glyphpainters.h"

#include <array>

#include "platform/fonts.h"
#include "uikit/names.h"
#include "uikit/toolfaces.h"

namespace qs {

namespace {

// Each byte of text is one character of the font.
std::u16string GlyphText(const TFont& font, const std::string& text) {
  std::u16string out;
  for (char c : text) out += FontGlyphText(font.Name, static_cast<uint8_t>(c));
  return out;
}

TColor Ink(bool grey) { return grey ? toolface::kGrey : clBlack; }

void StaffLines(TCanvas& c, const TRect& r, int firstLine, bool grey) {
  c.Pen().Style = psSolid;
  c.Pen().Width = 1;
  c.Pen().Color = Ink(grey);
  for (int i = 0; i < 5; ++i) {
    c.MoveTo(r.Left + 1, firstLine + 6 * i);
    c.LineTo(r.Right - 1, firstLine + 6 * i);
  }
}

void UseMusicFont(TCanvas& c, bool grey, int points = 16) {
  c.Font() = TFont{};
  c.Font().Name = MusicFontName;
  c.Font().SetSize(points);
  c.Font().Color = Ink(grey);
}

void UseArial(TCanvas& c, bool grey, int points, TFontStyles style) {
  c.Font() = TFont{};
  c.Font().Name = "Arial";
  c.Font().SetSize(points);
  c.Font().Style = style;
  c.Font().Color = Ink(grey);
}

void Text(TCanvas& c, int x, int y, const std::string& text) {
  c.Brush().Style = bsClear;
  c.TextOut(x, y, text);
}

void Bar(TCanvas& c, const TRect& r, int left, int top, int right, int bottom, bool grey) {
  c.Brush() = TBrush{};
  c.Brush().Color = Ink(grey);
  c.FillRect(TRect{r.Left + left, r.Top + top, r.Left + right, r.Top + bottom});
}

}  // namespace

void DrawGlyphText(TCanvas& canvas, int x, int baseline, uint8_t quality, const std::string& text) {
  const TFont saved = canvas.Font();
  TFont font = saved;
  font.Width = 0;
  font.Charset = 1;
  font.Quality = quality;
  canvas.Font() = font;
  const int ascent = canvas.GetTextMetrics().Ascent;
  const TBrushStyle brush = canvas.Brush().Style;
  canvas.Brush().Style = bsClear;
  canvas.TextOut(x, baseline - ascent, std::u16string_view(GlyphText(font, text)));
  canvas.Brush().Style = brush;
  canvas.Font() = saved;
}

void DrawClef(TCanvas& canvas, const TRect& r, bool grey, int clef) {
  const int level = canvas.SaveDC();
  StaffLines(canvas, r, r.Top + 13, grey);
  const char g = 34, f = 35, cClef = 36;
  auto glyph = [&](char code, int baseline, int dx = 3) {
    UseMusicFont(canvas, grey);
    DrawGlyphText(canvas, r.Left + dx, r.Top + baseline, 4, std::string(1, code));
  };
  auto eight = [&](int x, int y) {
    UseArial(canvas, grey, 8, fsItalic);
    Text(canvas, r.Left + x, r.Top + y, "8");
  };
  switch (clef) {
    case 1: glyph(g, 36); break;
    case 2: glyph(f, 19); break;
    case 3: glyph(cClef, 25); break;
    case 4: glyph(g, 36), eight(15, 4); break;
    case 5: glyph(g, 36), eight(15, 38); break;
    case 6: glyph(f, 19), eight(15, 34); break;
    case 7: glyph(f, 25); break;
    case 8: glyph(cClef, 19); break;
    case 9: glyph(cClef, 36); break;
    case 10: glyph(cClef, 30); break;
    case 11: glyph(cClef, 13); break;
    case 12: glyph(g, 36, 2), glyph(g, 36, 9); break;
    case 13:
      UseArial(canvas, grey, 8, fsBold);
      Text(canvas, r.Left + 3, r.Top + 7, "T");
      Text(canvas, r.Left + 3, r.Top + 18, "A");
      Text(canvas, r.Left + 3, r.Top + 29, "B");
      break;
    case 14:
      Bar(canvas, r, 5, 16, 11, 18, grey);
      Bar(canvas, r, 5, 16, 6, 35, grey);
      Bar(canvas, r, 5, 33, 11, 35, grey);
      Bar(canvas, r, 10, 16, 11, 35, grey);
      break;
    case 15:
      Bar(canvas, r, 5, 20, 7, 32, grey);
      Bar(canvas, r, 9, 20, 11, 32, grey);
      break;
    default: break;
  }
  canvas.RestoreDC(level);
}

void DrawKeySignature(TCanvas& canvas, const TRect& r, bool grey, int yShift, int mode, int key) {
  const int level = canvas.SaveDC();
  const int first = yShift + (r.Height() - 24) / 2;
  StaffLines(canvas, r, first, grey);
  UseArial(canvas, grey, 8, fsItalic);
  const std::string name = KeyName(mode, key);
  // Centred for a face at the canvas origin.
  Text(canvas, (r.Right - r.Left - canvas.TextWidth(name)) / 2, first + 24, name);
  static constexpr std::array<int, 7> kSharps = {0, 9, -3, 6, 15, 3, 12};
  static constexpr std::array<int, 7> kFlats = {12, 3, 15, 6, 18, 9, 21};
  const bool sharps = key >= 1 && key <= 7, flats = key >= 11 && key <= 17;
  if (sharps || flats) {
    UseMusicFont(canvas, grey);
    const int count = sharps ? key : key - 10;
    for (int i = 0; i < count; ++i)
      DrawGlyphText(canvas, r.Left + 3 + 5 * i,
                    first + (sharps ? kSharps : kFlats)[static_cast<size_t>(i)], 4,
                    std::string(1, static_cast<char>(sharps ? 66 : 64)));
  }
  canvas.RestoreDC(level);
}

void DrawTimeSignature(TCanvas& canvas, const TRect& r, bool grey, int style, int size) {
  const int level = canvas.SaveDC();
  StaffLines(canvas, r, r.Top + 13, grey);
  const int count = (size >> 8) & 0xFF, unit = size & 0xFF;
  const bool whole = (count == 1 && unit == 1) || (count == 2 && unit == 2) || (count == 4 && unit == 4);
  const bool half = (count == 1 && unit == 2) || (count == 2 && unit == 4);
  if ((style == 1 && whole) || (style == 2 && (whole || half))) {
    UseMusicFont(canvas, grey);
    canvas.Brush().Style = bsClear;
    canvas.TextOut(r.Left + 2, r.Top - 8, std::u16string_view(GlyphText(canvas.Font(), style == 1 ? "'" : "(")));
  } else {
    UseArial(canvas, grey, 11, fsBold);
    const std::string top = std::to_string(count), bottom = std::to_string(unit);
    const int middle = (r.Left + r.Right) / 2;
    Text(canvas, middle - canvas.TextWidth(top) / 2, r.Top + 11, top);
    Text(canvas, middle - canvas.TextWidth(bottom) / 2, r.Top + 23, bottom);
  }
  canvas.RestoreDC(level);
}

void DrawAccolade(TCanvas& canvas, const TRect& r, bool grey, int kind) {
  const int level = canvas.SaveDC();
  canvas.Pen().Style = psSolid;
  canvas.Pen().Width = 1;
  canvas.Pen().Color = Ink(grey);
  canvas.Brush() = TBrush{};
  canvas.Brush().Color = Ink(grey);
  const int x = r.Left, top = r.Top, bottom = r.Bottom;
  switch (kind) {
    case 0: {
      UseMusicFont(canvas, grey);
      canvas.Font().Height = 2 * (r.Height() - 4);
      DrawGlyphText(canvas, x + 4, (r.Top + r.Bottom) / 2 + 1, 4, "!");
      break;
    }
    case 1:
      canvas.Polygon({TPoint{x + 11, top + 2}, TPoint{x + 5, top + 4}, TPoint{x + 5, bottom - 4},
                      TPoint{x + 11, bottom - 2}, TPoint{x + 7, bottom - 4}, TPoint{x + 7, top + 4}});
      break;
    case 2:
      canvas.Polygon({TPoint{x + 11, top + 4}, TPoint{x + 7, top + 4}, TPoint{x + 7, bottom - 4},
                      TPoint{x + 11, bottom - 4}, TPoint{x + 7, bottom - 4}, TPoint{x + 7, top + 4}});
      break;
    default: break;
  }
  canvas.RestoreDC(level);
}

}  // namespace qs
