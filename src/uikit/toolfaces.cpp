#include "uikit/toolfaces.h"

#include <algorithm>
#include <string>

#include "platform/fonts.h"
#include "platform/musicglyphs.h"
#include "uikit/charbutton.h"

namespace qs::toolface {

namespace {

void UsePen(TCanvas& c, TColor colour, int width) {
  c.Pen().Style = psSolid;
  c.Pen().Color = colour;
  c.Pen().Width = width;
}

void UseFill(TCanvas& c, TColor colour) {
  c.Brush() = TBrush{};
  c.Brush().Color = colour;
}

void UseArial(TCanvas& c, TColor colour, int points, TFontStyles style) {
  c.Font() = TFont{};
  c.Font().Name = "Arial";
  c.Font().SetSize(points);
  c.Font().Style = style;
  c.Font().Color = colour;
  c.Brush().Style = bsClear;
}

}  // namespace

void Raised(const TECCharButton& button, const TRect& face,
            const std::function<void(const TRect& face, TColor colour)>& paint) {
  if (!button.Enabled()) {
    paint(face, kGrey);
  } else if (button.Hovered() && !button.Down() && button.State() != bsDown) {
    paint(TRect{face.Left + 1, face.Top + 1, face.Right + 1, face.Bottom + 1}, kGrey);
    paint(TRect{face.Left - 1, face.Top - 1, face.Right - 1, face.Bottom - 1}, clBlack);
  } else {
    paint(face, clBlack);
  }
}

void PointerButtonFace(TECCharButton& button, TCanvas& c, const TRect& r) {
  Raised(button, r, [&](const TRect& f, TColor ink) {
    const int x = (f.Left + f.Right) / 2 - 4, y = (f.Top + f.Bottom) / 2 - 8;
    c.Pen().Style = psSolid;
    c.Pen().Width = 1;
    c.Pen().Color = ink;
    c.Brush() = TBrush{};
    c.Brush().Color = ink;
    c.Polygon({TPoint{x, y}, TPoint{x, y + 14}, TPoint{x + 4, y + 10}, TPoint{x + 7, y + 16}, TPoint{x + 9, y + 15},
               TPoint{x + 6, y + 9}, TPoint{x + 11, y + 9}});
  });
}

void EraserButtonFace(TECCharButton& button, TCanvas& c, const TRect& r) {
  Raised(button, r, [&](const TRect& f, TColor ink) {
    const int cx = (f.Left + f.Right) / 2, cy = (f.Top + f.Bottom) / 2;
    c.Pen().Style = psSolid;
    c.Pen().Width = 1;
    c.Pen().Color = ink;
    c.Brush().Style = bsClear;
    c.Polygon({TPoint{cx - 9, cy + 3}, TPoint{cx + 1, cy - 7}, TPoint{cx + 9, cy + 1}, TPoint{cx - 1, cy + 11}});
    c.Brush() = TBrush{};
    c.Brush().Color = ink;
    c.Polygon({TPoint{cx - 4, cy - 2}, TPoint{cx + 1, cy - 7}, TPoint{cx + 9, cy + 1}, TPoint{cx + 4, cy + 6}});
  });
}

void Dots(TCanvas& c, int cx, int cy, TColor colour, int count) {
  UsePen(c, colour, 1);
  UseFill(c, colour);
  for (int i = 0; i < count; ++i) {
    const int x = cx + 7 * i - 7 * (count - 1) / 2;
    c.Ellipse(x - 2, cy - 2, x + 3, cy + 3);
  }
}

void Tuplet(TCanvas& c, int cx, int cy, TColor colour, int count) {
  const std::string text = std::to_string(count);
  UseArial(c, colour, 8, fsBold);
  const int w = c.TextWidth(text), h = c.TextHeight(text);
  c.TextOut(cx - w / 2, cy - h / 2, text);
  UsePen(c, colour, 1);
  const int inner = w / 2 + 2, outer = inner + 4;
  for (int side : {-1, 1})
    c.Polyline({TPoint{cx + side * inner, cy}, TPoint{cx + side * outer, cy}, TPoint{cx + side * outer, cy - 4}});
}

namespace {

// count strokes 2 pixels wide, 4 pixels apart along (stepX, stepY) and
// centred on (cx, cy), each rising from (-dx, +dy) to (+dx, -dy).
void Strokes(TCanvas& c, int cx, int cy, TColor colour, int count, int stepX, int stepY, int dx, int dy) {
  UsePen(c, colour, 2);
  for (int i = 0; i < count; ++i) {
    const int x = cx + stepX * (4 * i - 2 * (count - 1)), y = cy + stepY * (4 * i - 2 * (count - 1));
    c.MoveTo(x - dx, y + dy);
    c.LineTo(x + dx, y - dy);
  }
  UsePen(c, colour, 1);
}

}  // namespace

void Tremolo(TCanvas& c, int cx, int cy, TColor colour, int count) { Strokes(c, cx, cy, colour, count, 0, 1, 4, 2); }

void Slashes(TCanvas& c, int cx, int cy, TColor colour, int count, bool withDots) {
  Strokes(c, cx, cy, colour, count, 1, 0, 3, 5);
  if (!withDots) return;
  UseFill(c, colour);
  const int half = 2 * (count - 1) + 7;
  c.Ellipse(cx - half - 1, cy - 5, cx - half + 2, cy - 2);
  c.Ellipse(cx + half - 1, cy + 2, cx + half + 2, cy + 5);
}

void MeasureRest(TCanvas& c, int cx, int cy, TColor colour, int count) {
  UseFill(c, colour);
  c.FillRect(TRect{cx - 8, cy + 2, cx + 9, cy + 6});
  UsePen(c, colour, 1);
  c.MoveTo(cx - 9, cy);
  c.LineTo(cx - 9, cy + 9);
  c.MoveTo(cx + 9, cy);
  c.LineTo(cx + 9, cy + 9);
  const std::string text = std::to_string(count);
  UseArial(c, colour, 8, fsBold);
  c.TextOut(cx - c.TextWidth(text) / 2, cy - 2 - c.TextHeight(text), text);
}

void RestBlock(TCanvas& c, int cx, int cy, TColor colour, bool whole) {
  UsePen(c, colour, 1);
  c.MoveTo(cx - 8, cy);
  c.LineTo(cx + 9, cy);
  UseFill(c, colour);
  c.FillRect(whole ? TRect{cx - 4, cy, cx + 5, cy + 4} : TRect{cx - 4, cy - 4, cx + 5, cy});
}

void Line(TCanvas& c, int x1, int y1, int x2, int y2, TColor colour, int width) {
  UsePen(c, colour, width);
  c.MoveTo(x1, y1);
  c.LineTo(x2, y2);
  UsePen(c, colour, 1);
}

void Arrow(TCanvas& c, int cx, int cy, TColor colour, bool up) {
  const int s = up ? -1 : 1;
  Line(c, cx, cy - 7 * s, cx, cy + 7 * s, colour, 1);
  UsePen(c, colour, 1);
  UseFill(c, colour);
  c.Polygon({TPoint{cx, cy + 8 * s}, TPoint{cx - 4, cy + 3 * s}, TPoint{cx + 4, cy + 3 * s}});
}

void Arc(TCanvas& c, int cx, int cy, TColor colour, bool up) {
  UsePen(c, colour, 2);
  if (up) c.Arc(cx - 9, cy - 4, cx + 10, cy + 10, cx + 9, cy + 3, cx - 9, cy + 3);
  else c.Arc(cx - 9, cy - 10, cx + 10, cy + 4, cx - 9, cy - 3, cx + 9, cy - 3);
  UsePen(c, colour, 1);
}

void SmallNotes(TCanvas& c, const TRect& face, TColor colour) {
  c.Font() = TFont{};
  c.Font().Name = MusicFontName;
  c.Font().SetSize(10);
  c.Font().Color = colour;
  c.Brush().Style = bsClear;
  const int baseline = face.Top + 19;
  const int ascent = c.GetTextMetrics().Ascent;
  UsePen(c, colour, 1);
  for (int i = 0; i < 2; ++i) {
    const int x = face.Left + 6 + 9 * i;
    c.TextOut(x, baseline - ascent, std::u16string_view(MusicGlyphText(static_cast<uint8_t>(i == 0 ? 52 : 53))));
    const int stem = x + c.TextWidth(std::u16string_view(MusicGlyphText(53))) - 1;
    c.MoveTo(stem, baseline - 1);
    c.LineTo(stem, baseline - 13);
  }
}

void BracketText(TCanvas& c, int cx, int cy, TColor colour, int style) {
  const char* texts[] = {"(  )", "[  ]", "{  }"};
  const std::string text = style >= 0 && style <= 2 ? texts[style] : texts[0];
  UseArial(c, colour, 9, fsBold);
  c.TextOut(cx - c.TextWidth(text) / 2, cy - c.TextHeight(text) / 2, text);
}

void Tempo(TCanvas& c, const TRect& face, TColor colour, int beatNote, int tempo) {
  c.Font() = TFont{};
  c.Font().Name = MusicFontName;
  c.Font().SetSize(14);
  c.Font().Color = colour;
  c.Brush().Style = bsClear;
  const int baseline = face.Top + 20;
  c.TextOut(face.Left, baseline - c.GetTextMetrics().Ascent,
            std::u16string_view(MusicGlyphText(static_cast<uint8_t>(42 + std::clamp(beatNote, 0, 6)))));
  Line(c, face.Left + 8, face.Top + 16, face.Left + 11, face.Top + 16, colour, 1);
  Line(c, face.Left + 8, face.Top + 18, face.Left + 11, face.Top + 18, colour, 1);
  UseArial(c, colour, 7, 0);
  c.Font().Width = 4;
  c.TextOut(face.Left + 12, face.Top + 11, std::to_string(tempo));
}

void NoteValueFace(TECCharButton& button, int ticks) {
  struct TFace {
    int Ticks;
    uint8_t Glyph;
    int X, Y;
  };
  static constexpr TFace kFaces[] = {
      {8, glyphs::Note64thUp, 5, -17},     {16, glyphs::Note32ndUp, 5, -17}, {32, glyphs::Note16thUp, 5, -17},
      {64, glyphs::Note8thUp, 5, -17},     {128, glyphs::NoteQuarterUp, 6, -17}, {256, glyphs::NoteHalfUp, 6, -17},
      {512, glyphs::NoteheadWhole, 7, -24}};
  const TFace* face = &kFaces[6];
  for (const TFace& f : kFaces)
    if (f.Ticks == ticks) face = &f;
  button.SetByte(face->Glyph);
  button.SetPosX(face->X);
  button.SetPosY(face->Y);
}

}  // namespace qs::toolface
