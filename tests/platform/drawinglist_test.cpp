// A picture brought up to date in part: the band where two lists of calls
// differ, drawn again over the old picture, shows what the new calls show.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "drawing_helpers.h"
#include "platform/bitmap.h"
#include "platform/drawinglist.h"
#include "platform/graphics.h"

using namespace qs;

namespace {

using DrawingListTest = qs::testing::DrawingTest;

constexpr int kWidth = 120, kHeight = 200;

TBrush SolidOf(TColor color) {
  TBrush brush;
  brush.Color = color;
  return brush;
}

// A small page: paper with a frame, lines through its height, a text and
// an anti-aliased curve, the way a page image is painted; variant changes
// one thing of it.
using TVariant = std::function<void(TCanvas&, TGraphics&)>;

void Page(TCanvas& c, const TVariant& variant) {
  c.Brush().Color = clWhite;
  c.Rectangle(0, 0, kWidth, kHeight);
  c.Brush().Style = bsClear;
  for (int y = 20; y <= 180; y += 40) {
    c.MoveTo(5, y);
    c.LineTo(115, y);
  }
  c.MoveTo(60, 5);  // through every band
  c.LineTo(60, 195);
  c.Font().Name = "Arial";
  c.Font().SetSize(10);
  c.TextOut(8, 150, u"Page");
  TGraphics g(c);
  g.SetSmoothingMode(SmoothingModeAntiAlias);
  g.DrawEllipse(TGPen{0xFF000080, 1.5f}, 70.3f, 140.6f, 30, 20);
  variant(c, g);
  c.ResetClip();
  c.Brush() = SolidOf(clWhite);
  c.Brush().Style = bsClear;
  c.TextOut(90, 185, u"1");  // what a page draws last
}

struct TPicture {
  TBitmap Bitmap{kWidth, kHeight};
  TDrawingList List;
  explicit TPicture(const TVariant& variant) {
    TCanvas c(std::make_shared<TListingDevice>(List, &Bitmap.Canvas().Device(), 96, 96));
    Page(c, variant);
  }
};

int Differences(const TBitmap& a, const TBitmap& b) {
  int n = 0;
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) n += a.Pixel(x, y) != b.Pixel(x, y);
  return n;
}

TEST_F(DrawingListTest, TheChangedBandDrawnAgainShowsTheNewPicture) {
  const auto note = [](int y) {
    return [y](TCanvas& c, TGraphics&) {
      c.Brush() = SolidOf(clBlack);
      c.Ellipse(30, y, 40, y + 8);
    };
  };
  const TVariant nothing = [](TCanvas&, TGraphics&) {};
  struct TCase {
    std::string Name;
    TVariant Before, After;
    int MaxRows;  // the band's most rows
  };
  const TCase cases[] = {
      {"a head moved down", note(24), note(60), 60},
      {"a head moved up", note(60), note(24), 60},
      {"a head taken away", note(100), nothing, 30},
      {"a head added", nothing, note(100), 30},
      {"a word changed",
       [](TCanvas& c, TGraphics&) { c.TextOut(10, 70, u"la"); },
       [](TCanvas& c, TGraphics&) { c.TextOut(10, 70, u"lu"); }, 60},
      {"a curve moved",
       [](TCanvas&, TGraphics& g) { g.FillEllipse(SolidBrush(0xFF000000), 20.5f, 40.25f, 12, 7); },
       [](TCanvas&, TGraphics& g) { g.FillEllipse(SolidBrush(0xFF000000), 20.5f, 44.75f, 12, 7); }, 30},
      {"a clipped fill moved",
       [](TCanvas& c, TGraphics&) {
         c.IntersectClipRect(Rect(0, 0, 50, 200));
         c.Brush() = SolidOf(clRed);
         c.FillRect(Rect(20, 110, 90, 120));
       },
       [](TCanvas& c, TGraphics&) {
         c.IntersectClipRect(Rect(0, 0, 50, 200));
         c.Brush() = SolidOf(clRed);
         c.FillRect(Rect(20, 114, 90, 124));
       }, 30},
  };
  for (const TCase& tc : cases) {
    TPicture before(tc.Before), after(tc.After);
    ASSERT_GT(Differences(before.Bitmap, after.Bitmap), 0) << tc.Name;
    const TRect band = TDrawingList::ChangedBand(before.List, after.List, kWidth, kHeight);
    EXPECT_GT(band.Height(), 0) << tc.Name;
    EXPECT_LE(band.Height(), tc.MaxRows) << tc.Name;
    after.List.DrawBand(before.Bitmap.Canvas().Device(), band);
    EXPECT_EQ(Differences(before.Bitmap, after.Bitmap), 0)
        << tc.Name << ", band " << band.Top << ".." << band.Bottom << "\n"
        << qs::testing::Picture(before.Bitmap);
  }
  // The same calls: no band; the whole band: the same picture.
  TPicture a(note(24)), b(note(24));
  EXPECT_TRUE(TDrawingList::ChangedBand(a.List, b.List, kWidth, kHeight).IsEmpty());
}

}  // namespace
