#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "drawing_helpers.h"
#include "platform/bitmap.h"
#include "platform/canvasutil.h"
#include "platform/drawdevice.h"
#include "platform/fonts.h"

using namespace qs;
using qs::testing::InkBounds;
using qs::testing::Picture;

namespace {

using CanvasTest = qs::testing::DrawingTest;

// One call of each kind that the painting code leans on, with the state
// changes between them.
void DrawSample(TCanvas& c) {
  c.Pen().Color = clRed;
  c.MoveTo(2, 2);
  c.LineTo(30, 2);
  c.Brush().Color = clBlue;
  c.Rectangle(5, 5, 15, 15);
  c.Pen().Style = psClear;
  c.Brush().Color = clLime;
  c.Polygon({{20, 5}, {30, 5}, {30, 15}, {20, 15}});
  c.Pen().Style = psSolid;
  c.Pen().Width = 3;
  c.Pen().Color = clBlack;
  c.Ellipse(35, 5, 55, 25);
  c.Font().Name = "Arial";
  c.Font().SetSize(12);
  c.Font().Style = fsBold;
  c.Font().Color = clRed;
  c.Brush().Style = bsClear;
  c.TextOut(5, 30, u"Hi");
}

TEST_F(CanvasTest, RecordingHoldsEachCallWithItsResolvedState) {
  TRecordingCanvas rec;
  DrawSample(rec.Canvas);
  std::vector<TCanvasOp> ops = rec.Recorder->CanvasOps();
  ASSERT_EQ(ops.size(), 5u);

  EXPECT_EQ(ops[0].Kind, TCanvasOpKind::Line);
  EXPECT_EQ(ops[0].Points, (std::vector<TPoint>{{2, 2}, {30, 2}}));
  EXPECT_EQ(ops[0].Pen, (TPen{clRed, 1, psSolid, pmCopy}));

  EXPECT_EQ(ops[1].Kind, TCanvasOpKind::Rectangle);
  EXPECT_EQ(ops[1].Rect, Rect(5, 5, 15, 15));
  EXPECT_EQ(ops[1].Brush.Color, clBlue);
  EXPECT_EQ(ops[1].Brush.Style, bsSolid);

  EXPECT_EQ(ops[2].Kind, TCanvasOpKind::Polygon);
  EXPECT_EQ(ops[2].Points.size(), 4u);
  EXPECT_EQ(ops[2].Pen.Style, psClear);
  EXPECT_EQ(ops[2].Brush.Color, clLime);

  EXPECT_EQ(ops[3].Kind, TCanvasOpKind::Ellipse);
  EXPECT_EQ(ops[3].Pen.Width, 3);

  EXPECT_EQ(ops[4].Kind, TCanvasOpKind::Text);
  EXPECT_EQ(ops[4].Text, u"Hi");
  EXPECT_EQ(ops[4].Points[0], (TPoint{5, 30}));
  EXPECT_EQ(ops[4].Font.Name, "Arial");
  EXPECT_EQ(ops[4].Font.Size(), 12);
  EXPECT_EQ(ops[4].Font.Height, -16);
  EXPECT_EQ(ops[4].Font.Style, fsBold);
  EXPECT_EQ(ops[4].Font.Color, clRed);
  EXPECT_EQ(ops[4].Brush.Style, bsClear);
  // TextOut leaves the current position after the text.
  EXPECT_EQ(rec.Canvas.PenPos(), (TPoint{5 + rec.Canvas.TextWidth(u"Hi"), 30}));
}

TEST_F(CanvasTest, RasterShowsTheSameCalls) {
  TBitmap bmp(60, 50);
  DrawSample(bmp.Canvas());
  // The line leaves out its last pixel.
  EXPECT_EQ(bmp.Pixel(2, 2), clRed);
  EXPECT_EQ(bmp.Pixel(29, 2), clRed);
  EXPECT_EQ(bmp.Pixel(30, 2), clWhite);
  // Rectangle: red outline on 5..14, blue inside.
  EXPECT_EQ(bmp.Pixel(5, 5), clRed);
  EXPECT_EQ(bmp.Pixel(14, 14), clRed);
  EXPECT_EQ(bmp.Pixel(10, 10), clBlue);
  EXPECT_EQ(bmp.Pixel(15, 15), clWhite);
  // Polygon without a pen: pixel centres inside, so 20..29.
  EXPECT_EQ(bmp.Pixel(20, 5), clLime);
  EXPECT_EQ(bmp.Pixel(29, 14), clLime);
  EXPECT_EQ(bmp.Pixel(30, 10), clWhite);
  // Ellipse: a three-pixel outline centred on the box's edge pixels.
  EXPECT_EQ(bmp.Pixel(35, 15), clBlack);
  EXPECT_EQ(bmp.Pixel(34, 15), clBlack);
  EXPECT_EQ(bmp.Pixel(45, 15), clLime);
  // The text is red and lies in its cell.
  int red = 0;
  for (int y = 30; y < 50; ++y)
    for (int x = 0; x < 60; ++x)
      if (bmp.Pixel(x, y) == clRed) ++red;
  EXPECT_GT(red, 10) << Picture(bmp);
}

struct TEdgeCase {
  const char* Name;
  std::function<void(TCanvas&)> Draw;
  TRect Ink;  // inclusive
};

TEST_F(CanvasTest, ShapesExcludeTheRightAndBottomEdge) {
  const TEdgeCase cases[] = {
      {"rectangle", [](TCanvas& c) { c.Rectangle(0, 0, 10, 10); }, {0, 0, 9, 9}},
      {"rectangle, reversed corners", [](TCanvas& c) { c.Rectangle(10, 10, 0, 0); }, {0, 0, 9, 9}},
      {"rectangle without pen",
       [](TCanvas& c) {
         c.Pen().Style = psClear;
         c.Brush().Color = clBlack;
         c.Rectangle(0, 0, 10, 10);
       },
       {0, 0, 8, 8}},
      {"fill rect",
       [](TCanvas& c) {
         c.Brush().Color = clBlack;
         c.FillRect(Rect(0, 0, 10, 10));
       },
       {0, 0, 9, 9}},
      {"ellipse", [](TCanvas& c) { c.Ellipse(0, 0, 10, 10); }, {0, 0, 9, 9}},
      {"round rect", [](TCanvas& c) { c.RoundRect(0, 0, 10, 10, 4, 4); }, {0, 0, 9, 9}},
      {"whole pie", [](TCanvas& c) { c.Pie(0, 0, 10, 12, 9, 5, 9, 5); }, {0, 0, 9, 11}},
      {"polygon through 0..9", [](TCanvas& c) { c.Polygon({{0, 0}, {9, 0}, {9, 9}, {0, 9}}); }, {0, 0, 9, 9}},
      {"line to the left", [](TCanvas& c) { c.MoveTo(9, 3); c.LineTo(0, 3); }, {1, 3, 9, 3}},
      {"polyline", [](TCanvas& c) { c.Polyline({{0, 0}, {5, 0}, {5, 5}}); }, {0, 0, 5, 4}},
      {"wide line", [](TCanvas& c) { c.Pen().Width = 3; c.MoveTo(3, 5); c.LineTo(9, 5); }, {2, 4, 10, 6}},
  };
  for (const TEdgeCase& tc : cases) {
    TBitmap bmp(16, 16);
    tc.Draw(bmp.Canvas());
    EXPECT_EQ(InkBounds(bmp), tc.Ink) << tc.Name << "\n" << Picture(bmp);
  }
}

TEST_F(CanvasTest, ArcRunsCounterClockwiseBetweenTheRays) {
  TBitmap bmp(41, 41);
  // From the ray to the right (3 o'clock) to the ray upward (12 o'clock).
  bmp.Canvas().Arc(0, 0, 41, 41, 40, 20, 20, 0);
  TRect ink = InkBounds(bmp);
  EXPECT_GE(ink.Left, 19);
  EXPECT_LE(ink.Bottom, 21);
  EXPECT_EQ(ink.Right, 40);
  EXPECT_EQ(ink.Top, 0) << Picture(bmp);

  // Chord of the same rays: filled, and only in that quadrant.
  TBitmap chord(41, 41);
  chord.Canvas().Brush().Color = clBlue;
  chord.Canvas().Chord(0, 0, 41, 41, 40, 20, 20, 0);
  EXPECT_EQ(chord.Pixel(33, 7), clBlue);
  EXPECT_EQ(chord.Pixel(7, 33), clWhite);
}

TEST_F(CanvasTest, XorDrawingTwiceRestoresTheImage) {
  TBitmap bmp(40, 40);
  TCanvas& c = bmp.Canvas();
  c.Brush().Color = RGB(200, 120, 40);
  c.FillRect(Rect(0, 0, 25, 40));
  c.Pen().Color = clBlue;
  c.Ellipse(5, 5, 30, 30);
  std::vector<TColor> before;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 40; ++x) before.push_back(bmp.Pixel(x, y));

  auto overlay = [&] {
    c.Pen().Mode = pmXor;
    c.Pen().Color = clWhite;
    c.Brush().Style = bsSolid;
    c.Brush().Color = clLime;
    c.Rectangle(30, 30, 36, 36);
    c.Brush().Style = bsClear;
    c.Pen().Style = psDot;
    c.Rectangle(2, 2, 38, 38);
    c.Pen().Style = psSolid;
    c.Polyline({{0, 20}, {20, 0}, {39, 20}, {20, 39}, {0, 20}});
    c.Pen().Width = 3;
    c.MoveTo(10, 30);
    c.LineTo(30, 10);
    c.Pen().Width = 1;
    c.Pen().Mode = pmCopy;
  };
  overlay();
  int changed = 0;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 40; ++x) changed += bmp.Pixel(x, y) != before[static_cast<size_t>(y * 40 + x)];
  EXPECT_GT(changed, 100);
  EXPECT_EQ(bmp.Pixel(30, 30), clBlack);  // the frame's corner toggled once (white on white)
  EXPECT_EQ(bmp.Pixel(32, 32), RGB(0xFF, 0x00, 0xFF));  // lime on white
  overlay();
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 40; ++x)
      ASSERT_EQ(bmp.Pixel(x, y), before[static_cast<size_t>(y * 40 + x)]) << x << "," << y;
}

// Solid lines over the page go out as runs; XOR lines set each pixel of
// the figure once. Both must set the same pixels: black over white, and
// white XORed onto black.
TEST_F(CanvasTest, SolidLinesSetThePixelsOfTheXorOutline) {
  const std::vector<std::vector<TPoint>> figures = {
      {{1, 1}, {30, 1}},                          // level
      {{30, 3}, {1, 3}},                          // level, to the left
      {{2, 30}, {2, 5}},                          // upright, upward
      {{3, 5}, {29, 16}},                         // shallow
      {{29, 30}, {4, 20}},                        // shallow, back and up
      {{5, 5}, {12, 30}},                         // steep
      {{25, 30}, {20, 2}},                        // steep, up and left
      {{6, 6}, {20, 20}, {6, 31}, {30, 14}},      // a zigzag
      {{10, 10}, {10, 10}},                       // no length
  };
  for (size_t i = 0; i < figures.size(); ++i) {
    for (bool closed : {false, true}) {
      TBitmap copy(32, 32), xored(32, 32);
      copy.Canvas().Brush().Style = bsClear;
      xored.Canvas().Brush().Color = clBlack;
      xored.Canvas().FillRect(Rect(0, 0, 32, 32));
      xored.Canvas().Brush().Style = bsClear;
      xored.Canvas().Pen().Color = clWhite;
      xored.Canvas().Pen().Mode = pmXor;
      for (TBitmap* b : {&copy, &xored}) {
        if (closed) b->Canvas().Polygon(figures[i]);
        else b->Canvas().Polyline(figures[i]);
      }
      int differ = 0;
      for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) differ += (copy.Pixel(x, y) == clBlack) != (xored.Pixel(x, y) == clWhite);
      EXPECT_EQ(differ, 0) << "figure " << i << (closed ? " closed" : "") << "\n" << Picture(copy) << "\n"
                           << Picture(xored);
    }
  }
}

TEST_F(CanvasTest, StyledPensKeepTheirPhaseAndFillGapsOnlyWithASolidBrush) {
  TBitmap bmp(30, 4);
  TCanvas& c = bmp.Canvas();
  c.Pen().Style = psDot;
  c.Pen().Width = 5;  // styled pens draw one pixel wide
  c.Brush().Style = bsClear;
  c.Polyline({{0, 1}, {4, 1}, {12, 1}});
  c.Brush().Style = bsSolid;
  c.Brush().Color = clBlue;
  c.MoveTo(0, 3);
  c.LineTo(12, 3);
  std::string row1, row3;
  for (int x = 0; x < 12; ++x) {
    row1 += bmp.Pixel(x, 1) == clBlack ? '#' : '.';
    row3 += bmp.Pixel(x, 3) == clBlack ? '#' : bmp.Pixel(x, 3) == clBlue ? 'b' : '.';
  }
  EXPECT_EQ(row1, "###...###...");
  EXPECT_EQ(row3, "###bbb###bbb");
  EXPECT_EQ(bmp.Pixel(5, 0), clWhite);
  EXPECT_EQ(bmp.Pixel(5, 2), clWhite);
}

TEST_F(CanvasTest, HatchesRepeatFromTheDeviceOriginAndScaleOnFinerDevices) {
  for (int ppi : {96, 192}) {
    int k = ppi / 96;
    TBitmap bmp(16 * k, 16 * k, ppi);
    TCanvas& c = bmp.Canvas();
    c.SetViewportOrg(3, 5);  // the pattern stays on the device grid
    c.Brush().Style = bsHorizontal;
    c.Brush().Color = clRed;
    c.FillRect(Rect(-3, -5, 16 * k, 16 * k));
    for (int y = 0; y < 16 * k; ++y) {
      bool line = (y / k) % 8 == 3;
      EXPECT_EQ(bmp.Pixel(7, y), line ? clRed : clWhite) << "ppi " << ppi << " row " << y;
    }
  }
  // A hatched shape keeps what lies between the lines.
  TBitmap cross(12, 12);
  cross.Canvas().Brush().Color = clBlack;
  cross.Canvas().FillRect(Rect(0, 0, 12, 12));
  cross.Canvas().Brush().Style = bsCross;
  cross.Canvas().Brush().Color = clRed;
  cross.Canvas().Pen().Style = psClear;
  cross.Canvas().Rectangle(0, 0, 12, 12);
  EXPECT_EQ(cross.Pixel(4, 1), clRed);
  EXPECT_EQ(cross.Pixel(1, 3), clRed);
  EXPECT_EQ(cross.Pixel(1, 1), clBlack);
}

TEST_F(CanvasTest, PatternBrushRepeatsItsEightByEightPixels) {
  auto pattern = std::make_shared<TBrushPattern>();
  for (int i = 0; i < 64; ++i) pattern->Pixels[static_cast<size_t>(i)] = ((i % 8 + i / 8) % 2) ? clBlack : clSilver;
  TBitmap bmp(16, 16);
  bmp.Canvas().Brush().Bitmap = pattern;
  bmp.Canvas().FillRect(Rect(0, 0, 16, 16));
  EXPECT_EQ(bmp.Pixel(0, 0), clSilver);
  EXPECT_EQ(bmp.Pixel(1, 0), clBlack);
  EXPECT_EQ(bmp.Pixel(9, 8), clBlack);
  EXPECT_EQ(bmp.Pixel(15, 15), clSilver);
}

TEST_F(CanvasTest, OriginClipAndSavedStates) {
  TBitmap bmp(30, 30);
  TCanvas& c = bmp.Canvas();
  int level = c.SaveDC();
  c.SetViewportOrg(10, 10);
  c.IntersectClipRect(Rect(0, 0, 3, 3));
  c.Pen().Color = clRed;
  c.Brush().Color = clRed;
  c.Rectangle(0, 0, 8, 8);
  EXPECT_EQ(InkBounds(bmp), (TRect{10, 10, 12, 12})) << Picture(bmp);
  c.RestoreDC(level);
  EXPECT_EQ(c.ViewportOrg(), (TPoint{0, 0}));
  EXPECT_FALSE(c.HasClip());
  EXPECT_EQ(c.Pen().Color, clBlack);
  c.Rectangle(0, 0, 2, 2);
  EXPECT_EQ(bmp.Pixel(0, 0), clBlack);
}

TEST_F(CanvasTest, BitmapsDrawStretchedAndTransparent) {
  TBitmap src(4, 4);
  src.Canvas().Brush().Color = clRed;
  src.Canvas().FillRect(Rect(1, 1, 3, 3));  // a red square on white
  TBitmap dst(20, 20);
  dst.Canvas().Brush().Color = clBlue;
  dst.Canvas().FillRect(Rect(0, 0, 20, 20));
  dst.Canvas().StretchDraw(Rect(0, 0, 8, 8), src);
  EXPECT_EQ(dst.Pixel(0, 0), clWhite);
  EXPECT_EQ(dst.Pixel(2, 2), clRed);
  EXPECT_EQ(dst.Pixel(5, 5), clRed);
  EXPECT_EQ(dst.Pixel(8, 8), clBlue);
  src.Transparent = true;  // the bottom-left pixel's white drops out
  dst.Canvas().Draw(10, 10, src);
  EXPECT_EQ(dst.Pixel(10, 10), clBlue);
  EXPECT_EQ(dst.Pixel(11, 11), clRed);
}

TEST_F(CanvasTest, RotatedFontTurnsTheTextCounterClockwise) {
  TFont font;
  font.Name = "Arial";
  font.SetSize(20);
  font.Style = fsBold | fsUnderline;
  font.Width = 7;
  TFont up = CreateRotatedFont(font, 90);
  EXPECT_EQ(up.Height, -27);
  EXPECT_EQ(up.Escapement, 900);
  EXPECT_EQ(up.Orientation, 900);
  EXPECT_EQ(up.Width, 0);
  EXPECT_EQ(up.Style, fsBold | fsUnderline);
  EXPECT_EQ(up.Name, "Arial");

  auto inkOf = [](const TFont& f) {
    TBitmap bmp(200, 200);
    bmp.Canvas().Font() = f;
    bmp.Canvas().Brush().Style = bsClear;
    bmp.Canvas().TextOut(40, 150, u"MMMM");
    return InkBounds(bmp);
  };
  TRect flat = inkOf(CreateRotatedFont(font, 0)), turned = inkOf(up);
  EXPECT_GT(flat.Width(), flat.Height());
  EXPECT_GT(turned.Height(), turned.Width());
  // Turned about the cell's top-left corner: the text runs upward from it.
  EXPECT_LE(turned.Bottom, 150);
  EXPECT_GE(turned.Left, 40);
  EXPECT_NEAR(turned.Height(), flat.Width(), 2);
}

TEST_F(CanvasTest, SolidBrushMakesTheTextCellOpaque) {
  TBitmap bmp(60, 30);
  TCanvas& c = bmp.Canvas();
  c.Font().Name = "Arial";
  c.Font().SetSize(10);
  c.Font().Color = clWhite;
  c.Brush().Color = RGB(0x84, 0x92, 0xB5);
  c.TextOut(5, 5, u"ab");
  TSize cell = c.TextExtent(u"ab");
  EXPECT_EQ(InkBounds(bmp), (TRect{5, 5, 5 + cell.cx - 1, 5 + cell.cy - 1}));
}

}  // namespace
