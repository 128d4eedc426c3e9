// The painters of palette button faces, on a white bitmap: what each draws
// for its codes, and nothing outside what it is asked for.
#include <gtest/gtest.h>

#include <functional>

#include "palettes/glyphpainters.h"
#include "platform/bitmap.h"
#include "platform/canvas.h"
#include "platform/fonts.h"
#include "score/pageobjects.h"
#include "uikit/charbutton.h"

namespace qs::test {
namespace {

// The inked pixels of a 40 x 48 face drawn by paint.
int Ink(const std::function<void(TCanvas&, const TRect&)>& paint, TRect* box = nullptr) {
  TBitmap b(40, 48);
  b.Canvas().Brush().Color = clWhite;
  b.Canvas().FillRect(TRect{0, 0, 40, 48});
  paint(b.Canvas(), TRect{0, 0, 40, 48});
  int count = 0;
  TRect found{40, 48, 0, 0};
  for (int y = 0; y < 48; ++y)
    for (int x = 0; x < 40; ++x)
      if (b.Pixel(x, y) != clWhite) {
        ++count;
        found = TRect{std::min(found.Left, x), std::min(found.Top, y), std::max(found.Right, x + 1),
                      std::max(found.Bottom, y + 1)};
      }
  if (box) *box = found;
  return count;
}

TEST(GlyphPainters, AccoladesOfTheThreeKindsAndNoneForOthers) {
  LoadMusicFont();
  for (int kind : {0, 1, 2}) EXPECT_GT(Ink([&](TCanvas& c, const TRect& r) { DrawAccolade(c, r, false, kind); }), 20);
  EXPECT_EQ(Ink([](TCanvas& c, const TRect& r) { DrawAccolade(c, r, false, 255); }), 0);
}

// Clefs stand on the five lines; an unknown code draws the lines alone.
TEST(GlyphPainters, ClefsOnTheLines) {
  LoadMusicFont();
  const int lines = Ink([](TCanvas& c, const TRect& r) { DrawClef(c, r, false, 99); });
  EXPECT_EQ(lines, 5 * 38);
  for (int clef = 1; clef <= 15; ++clef) {
    SCOPED_TRACE(clef);
    EXPECT_GT(Ink([&](TCanvas& c, const TRect& r) { DrawClef(c, r, false, clef); }), lines);
  }
}

// Common time replaces 4/4 only in style 1, cut time also 2/4 in style 2;
// other signatures keep their numbers.
TEST(GlyphPainters, TimeSignaturesAsNumbersOrSymbols) {
  LoadMusicFont();
  auto ink = [](int style, int size) {
    return Ink([&](TCanvas& c, const TRect& r) { DrawTimeSignature(c, r, false, style, size); });
  };
  EXPECT_EQ(ink(1, 0x0304), ink(0, 0x0304));
  EXPECT_NE(ink(1, 0x0404), ink(0, 0x0404));
  EXPECT_NE(ink(2, 0x0204), ink(0, 0x0204));
  EXPECT_EQ(ink(1, 0x0204), ink(0, 0x0204));
}

// Four flats draw more than one, and a key's name stands below the lines.
TEST(GlyphPainters, KeySignaturesWithTheirName) {
  LoadMusicFont();
  TRect none, flats;
  const int empty = Ink([](TCanvas& c, const TRect& r) { DrawKeySignature(c, r, false, 0, 1, 0); }, &none);
  const int four = Ink([](TCanvas& c, const TRect& r) { DrawKeySignature(c, r, false, 0, 1, 14); }, &flats);
  const int one = Ink([](TCanvas& c, const TRect& r) { DrawKeySignature(c, r, false, 0, 1, 11); });
  EXPECT_GT(four, one);
  EXPECT_GT(one, empty);
  // The first line lies at (48 - 24) / 2 = 12; the name below the fifth.
  EXPECT_GT(flats.Bottom, 12 + 24);
}

TEST(GlyphPainters, GlyphTextStandsOnItsBaseline) {
  LoadMusicFont();
  TRect box;
  Ink(
      [](TCanvas& c, const TRect&) {
        c.Font().Name = MusicFontName;
        c.Font().SetSize(16);
        DrawGlyphText(c, 10, 30, 4, std::string(1, '\x4d'));  // a quarter rest
        EXPECT_EQ(c.Font().Quality, 0);  // the canvas font is as it was
      },
      &box);
  EXPECT_GE(box.Left, 10);
  EXPECT_LE(box.Bottom, 40);
  EXPECT_LT(box.Top, 30);
}

// A user symbol's objects land at their layout position scaled to pixels
// (eighths of a pixel at 100 %): a line from (80, 40) starts at (10, 5);
// at 200 % twice as far; an arrow end adds its head; other kinds draw
// nothing.
TEST(GlyphPainters, SymbolItemsScaledToPixels) {
  EXPECT_EQ(ScaleRectToPixels(TRect{80, 40, -15, 17}, 100), (TRect{10, 5, -1, 2}));
  EXPECT_EQ(ScaleRectToPixels(TRect{80, 40, 160, 80}, 50), (TRect{5, 2, 10, 5}));
  EXPECT_EQ(RotatePoint({10, 0}, 90), (TPoint{0, -10}));
  TQSUserSymbol symbol;
  auto* line = static_cast<TQSLine*>(CreatePageItem(kind::Line, &symbol));
  symbol.Items.Add(line);
  line->Fields.X1 = 80, line->Fields.Y1 = 40, line->Fields.X2 = 240, line->Fields.Y2 = 40;
  TRect box;
  const int plain = Ink([&](TCanvas& c, const TRect&) { DrawSymbolItems(c, symbol, false, 100); }, &box);
  EXPECT_EQ(box, (TRect{10, 5, 30, 6}));
  EXPECT_GT(plain, 0);
  Ink([&](TCanvas& c, const TRect&) { DrawSymbolItems(c, symbol, false, 150); }, &box);
  EXPECT_EQ(box.Left, 15);
  line->Fields.Ends = 0x01;  // an arrowhead at the end
  const int arrow = Ink([&](TCanvas& c, const TRect&) { DrawSymbolItems(c, symbol, false, 100); }, &box);
  EXPECT_GT(arrow, plain + 10);
  EXPECT_GE(box.Bottom, 8) << "the head is 6 pixels wide";
  auto* text = static_cast<TQSText*>(CreatePageItem(kind::Text, &symbol));
  symbol.Items.Add(text);
  text->Lines = {"Ab"};
  text->Fields.X = 16, text->Fields.Y = 160;
  Ink([&](TCanvas& c, const TRect&) { DrawSymbolItems(c, symbol, true, 100); }, &box);
  EXPECT_GE(box.Bottom, 22) << "the text hangs from its point";
}

// The join-notes and alignment pictures differ by style; an inactive one
// is crossed out in red; the custom division shows its number.
TEST(GlyphPainters, JoinAndAlignmentStyles) {
  TECCharButton button(nullptr);
  auto pixels = [&](bool join, bool active, int style) {
    TBitmap b(24, 24);
    b.Canvas().Brush().Color = clWhite;
    b.Canvas().FillRect(TRect{0, 0, 24, 24});
    if (join) DrawBarUnionStyle(button, b.Canvas(), active, style, TRect{0, 0, 24, 24});
    else DrawAlignMeasureStyle(button, b.Canvas(), active, style, TRect{0, 0, 24, 24});
    std::vector<TColor> out;
    int red = 0;
    for (int y = 0; y < 24; ++y)
      for (int x = 0; x < 24; ++x) {
        out.push_back(b.Pixel(x, y));
        red += b.Pixel(x, y) == TColor(RGB(255, 0, 0));
      }
    return std::make_pair(out, red);
  };
  for (bool join : {true, false}) {
    EXPECT_NE(pixels(join, true, 0).first, pixels(join, true, 1).first);
    EXPECT_NE(pixels(join, true, 1).first, pixels(join, true, 2).first);
    EXPECT_EQ(pixels(join, true, 1).second, 0);
    EXPECT_GT(pixels(join, false, 1).second, 20);
  }
  EXPECT_NE(pixels(true, true, 5).first, pixels(true, true, 6).first) << "the number of the division";
  EXPECT_EQ(pixels(false, true, 2).first, pixels(false, true, 7).first) << "other styles are positional";
}

}  // namespace
}  // namespace qs::test
