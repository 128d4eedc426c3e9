#include <gtest/gtest.h>

#include "drawing_helpers.h"
#include "platform/bitmap.h"
#include "platform/drawdevice.h"
#include "platform/graphics.h"

using namespace qs;
using qs::testing::InkBounds;
using qs::testing::Picture;

namespace {

using GraphicsTest = qs::testing::DrawingTest;

const TARGB kRed = ColorToARGB(clRed);

bool OnlyPureColours(const TBitmap& b) {
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x)
      if (b.Pixel(x, y) != clWhite && b.Pixel(x, y) != clRed) return false;
  return true;
}

TEST_F(GraphicsTest, ColoursAndTheSurfaceFollowTheCanvasDevice) {
  EXPECT_EQ(ColorToARGB(RGB(0x12, 0x34, 0x56)), 0xFF123456u);
  EXPECT_EQ(ColorToARGB(clWhite, 0x80), 0x80FFFFFFu);
  TRecordingCanvas rec;
  TGraphics g(rec.Canvas);
  g.TranslateTransform(-30, -40);
  g.SetSmoothingMode(SmoothingModeAntiAlias);
  g.FillPolygon(SolidBrush(kRed), {{0, 0}, {4, 0}, {4, 4}, {0, 4}});
  rec.Canvas.LineTo(3, 3);
  TGraphicsPath path;
  path.AddBezier({0, 0}, {1, 2}, {3, 2}, {4, 0});
  path.AddLine({5, 0}, {5, 5});
  path.CloseFigure();
  g.ResetTransform();
  g.FillPath(HatchBrush(HatchStyleCross, kRed, 0xFFFFFFFF), path);

  const auto& ops = rec.Recorder->Ops();
  ASSERT_EQ(ops.size(), 3u);
  const auto& fill = std::get<TGraphicsOp>(ops[0]);
  EXPECT_EQ(fill.Kind, TGraphicsOpKind::FillPolygon);
  EXPECT_EQ(fill.Transform.DX, -30);
  EXPECT_EQ(fill.Transform.DY, -40);
  EXPECT_EQ(fill.Smoothing, SmoothingModeAntiAlias);
  EXPECT_EQ(fill.Brush, SolidBrush(kRed));
  EXPECT_EQ(std::get<TCanvasOp>(ops[1]).Kind, TCanvasOpKind::Line);
  const auto& pathOp = std::get<TGraphicsOp>(ops[2]);
  EXPECT_EQ(pathOp.Transform, TGMatrix{});
  EXPECT_TRUE(pathOp.Brush.Hatched);
  // The line joins the curve's end to its own start; the figure is closed.
  using P = TGraphicsPath;
  ASSERT_EQ(pathOp.Path.Points().size(), 6u);
  EXPECT_EQ(pathOp.Path.Points()[4].Type, P::ptLine);
  EXPECT_EQ(pathOp.Path.Points()[5].Type, P::ptLine | P::ptCloseFlag);
}

TEST_F(GraphicsTest, CoordinatesNamePixelCentres) {
  TBitmap bmp(20, 20);
  TGraphics g(bmp.Canvas());
  g.FillRectangle(SolidBrush(kRed), 2, 3, 10, 5);
  EXPECT_EQ(InkBounds(bmp), (TRect{2, 3, 11, 7})) << Picture(bmp);
  TBitmap line(20, 20);
  TGraphics gl(line.Canvas());
  gl.DrawLine(TGPen{kRed, 1}, 2, 5, 12, 5);
  EXPECT_EQ(line.Pixel(6, 5), clRed);
  EXPECT_EQ(line.Pixel(6, 4), clWhite);
  EXPECT_EQ(line.Pixel(6, 6), clWhite);
}

TEST_F(GraphicsTest, SmoothingAndTransform) {
  TBitmap plain(40, 40), smooth(40, 40);
  for (TBitmap* b : {&plain, &smooth}) {
    TGraphics g(b->Canvas());
    if (b == &smooth) g.SetSmoothingMode(SmoothingModeAntiAlias);
    g.TranslateTransform(10, 0);
    g.FillPolygon(SolidBrush(kRed), {{0, 0}, {20, 5}, {5, 30}});
  }
  EXPECT_TRUE(OnlyPureColours(plain));
  EXPECT_FALSE(OnlyPureColours(smooth));
  EXPECT_GE(InkBounds(plain).Left, 10);
  EXPECT_EQ(plain.Pixel(0, 0), clWhite);
  EXPECT_EQ(plain.Pixel(14, 6), clRed);
}

TEST_F(GraphicsTest, ArcsRunClockwiseFromTheirStartAngle) {
  TBitmap bmp(41, 41);
  TGraphics g(bmp.Canvas());
  g.DrawArc(TGPen{kRed, 1}, 0, 0, 40, 40, 0, 90);  // 3 o'clock to 6 o'clock
  TRect ink = InkBounds(bmp);
  EXPECT_GE(ink.Left, 19);
  EXPECT_GE(ink.Top, 19);
  EXPECT_EQ(ink.Right, 40);
  EXPECT_EQ(ink.Bottom, 40) << Picture(bmp);

  // On a flat ellipse the angles are those of rays from the centre: a pie
  // from 0 to 45 degrees ends on the diagonal through the centre.
  TBitmap pie(81, 41);
  TGraphics gp(pie.Canvas());
  gp.FillPie(SolidBrush(kRed), 0, 0, 80, 40, 0, 45);
  EXPECT_EQ(pie.Pixel(55, 22), clRed);
  EXPECT_EQ(pie.Pixel(60, 32), clRed);    // a ray at 31 degrees
  EXPECT_EQ(pie.Pixel(50, 33), clWhite);  // a ray at 52 degrees
}

TEST_F(GraphicsTest, HatchBrushHasForeAndBackColours) {
  TBitmap bmp(16, 16);
  bmp.Canvas().Brush().Color = clBlue;
  bmp.Canvas().FillRect(Rect(0, 0, 16, 16));
  TGraphics g(bmp.Canvas());
  g.TranslateTransform(0.3f, 2);
  g.FillRectangle(HatchBrush(HatchStyleHorizontal, kRed, 0xFFFFFFFF), -1, -3, 20, 20);
  for (int y = 0; y < 16; ++y) EXPECT_EQ(bmp.Pixel(5, y), y % 8 == 3 ? clRed : clWhite) << y;
}

TEST_F(GraphicsTest, DashedPenLeavesGaps) {
  TBitmap bmp(40, 5);
  TGraphics g(bmp.Canvas());
  g.DrawLine(TGPen{kRed, 1, DashStyleDash}, 0, 2, 39, 2);
  int on = 0;
  for (int x = 0; x < 40; ++x) on += bmp.Pixel(x, 2) == clRed;
  EXPECT_GT(on, 20);
  EXPECT_LT(on, 36);
}

TEST_F(GraphicsTest, TheSurfaceIsOfferedFromVersionFiveOn) {
  GetWindowsVersion();
  EXPECT_GE(WindowsVersion().Major, 5);
  EXPECT_TRUE(UseAntiAliasedSurface());
  TWindowsVersion stored = WindowsVersion();
  SetWindowsVersion({4, 10});  // the plain canvas draws everything
  EXPECT_FALSE(UseAntiAliasedSurface());
  GetWindowsVersion();  // reads once: keeps what is stored
  EXPECT_FALSE(UseAntiAliasedSurface());
  SetWindowsVersion(stored);
}

}  // namespace
