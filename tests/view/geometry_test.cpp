// The page grid, zoom and its limits, scroll ranges and the transforms
// between client pixels and page units.
#include <gtest/gtest.h>

#include "view_fixture.h"

namespace qs::test {
namespace {

TEST(ViewGeometry, PagesLieEdgeToEdgeInRowsOfPagePerHorz) {
  TViewScore s;
  s.Score.PageCount = 5;
  s.Show();
  ASSERT_EQ(s.View.Geometry().PageCount, 5);
  EXPECT_EQ(s.View.Geometry().PagePixelRect(), (TRect{0, 0, 480, 624}));
  s.View.SetPagePerHorz(2);
  EXPECT_EQ(s.View.Geometry().RowCount, 3);
  EXPECT_EQ(s.View.Geometry().PageGrid[1].Rect, (TRect{480, 0, 960, 624}));
  EXPECT_EQ(s.View.Geometry().PageGrid[4].Rect, (TRect{0, 1248, 480, 1872}));
  // One row at a time in the preview: every page at the top.
  s.View.Style = wsPreview;
  s.View.LayoutPages();
  for (int j = 0; j < 5; ++j) EXPECT_EQ(s.View.Geometry().PageGrid[static_cast<size_t>(j)].Rect.Top, 0) << j;
}

TEST(ViewGeometry, ZoomIsClampedTo25Through975) {
  struct TCase {
    int asked, zoom;
  };
  for (const TCase& c : {TCase{10, 25}, TCase{25, 25}, TCase{2000, 975}, TCase{976, 975}, TCase{150, 150}}) {
    TViewScore s;
    s.Show();
    s.View.SetZoom(c.asked);
    EXPECT_EQ(s.View.Zoom, c.zoom) << c.asked;
  }
}

// Scroll bars keep their place relative to their range; a bar at the end of
// its range stays there when zooming in.
TEST(ViewGeometry, ZoomRescalesTheScrollPositions) {
  TViewScore s;
  s.Score.PageCount = 3;
  s.Show();
  ASSERT_EQ(s.View.Geometry().VertBar.Max, 3 * 624);
  int end = s.View.Geometry().VertBar.Range();
  s.View.ScrollTo(true, scPosition, end);
  ASSERT_EQ(s.View.Geometry().VertBar.Position, s.View.Geometry().VertBar.Range());
  s.View.SetZoom(200);
  EXPECT_EQ(s.View.Geometry().VertBar.Max, 3 * 1248);
  EXPECT_EQ(s.View.Geometry().VertBar.Position, s.View.Geometry().VertBar.Range());
  // Back to 100: clamped to the new range first, then scaled by it.
  const int oldRange = s.View.Geometry().VertBar.Range();
  s.View.SetZoom(100);
  const int range = s.View.Geometry().VertBar.Range();
  EXPECT_EQ(s.View.Geometry().VertBar.Position, range * range / oldRange);
  // A bar whose range was 0 goes to 0.
  TViewScore t;
  t.Show();
  t.View.SetZoom(25);
  ASSERT_EQ(t.View.Geometry().HorzBar.Range(), 0);
  t.View.SetZoom(400);
  EXPECT_EQ(t.View.Geometry().HorzBar.Position, 0);
}

TEST(ViewGeometry, ScrollPositionsStayInsideTheirRange) {
  TViewScore s;
  s.Score.PageCount = 3;
  s.Show();
  int below = -40, beyond = 100000;
  s.View.ScrollTo(true, scTrack, below);
  EXPECT_EQ(below, 0);
  s.View.ScrollTo(true, scTrack, beyond);
  EXPECT_EQ(beyond, s.View.Geometry().VertBar.Max - s.View.Geometry().VertBar.PageSize);
  EXPECT_EQ(s.View.Geometry().VertBar.Hint, "2");  // the page at the top while the thumb is dragged
}

// Client points and page units, both ways, at three zooms and after
// scrolling, with the rulers shown (24 pixels).
TEST(ViewGeometry, ClientAndPageUnitsConvertBothWays) {
  struct TCase {
    int zoom, h, v;
    TPoint client, page;
  };
  const TCase cases[] = {
      {100, 0, 0, {24, 24}, {0, 0}},            // the page corner right of the rulers
      {100, 0, 0, {25, 24}, {8, 0}},            // one pixel is 8 units at 100 %
      {25, 0, 0, {34, 44}, {320, 640}},         // and 32 at 25 %
      {975, 0, 0, {24 + 975, 24 + 39}, {800, 32}},
      {100, 30, 50, {24, 24}, {240, 400}},      // scrolled by (30, 50)
      {975, 600, 900, {399, 99}, {800, 800}},
  };
  for (const TCase& c : cases) {
    TViewScore s;
    s.Score.PageCount = 4;
    s.Show(true);
    s.View.SetPagePerHorz(2);
    s.View.SetZoom(c.zoom);
    int h = c.h, v = c.v;
    s.View.ScrollTo(false, scPosition, h);
    s.View.ScrollTo(true, scPosition, v);
    ASSERT_EQ(s.View.Geometry().HorzBar.Position, c.h) << c.zoom;
    ASSERT_EQ(s.View.Geometry().VertBar.Position, c.v) << c.zoom;
    EXPECT_EQ(s.View.Geometry().ScreenToPage(c.client, 0), c.page) << c.zoom << " " << c.h;
    // Back to the client, within the pixel the units fall in.
    const TPoint back = s.View.Geometry().PageToScreen(c.page, 0);
    EXPECT_EQ(back, c.client) << c.zoom << " " << c.h;
  }
}

TEST(ViewGeometry, TransformsLeaveOutTheOriginOfAPageThatDoesNotExist) {
  TViewScore s;
  s.Score.PageCount = 2;
  s.Show();
  EXPECT_EQ(s.View.Geometry().ScreenToPage({10, 700}, 1), (TPoint{80, (700 - 624) * 8}));
  EXPECT_EQ(s.View.Geometry().ScreenToPage({10, 700}, 5), (TPoint{80, 700 * 8}));
  EXPECT_EQ(s.View.Geometry().ScreenToPage({10, 700}, -1), (TPoint{80, 700 * 8}));
}

TEST(ViewGeometry, GotoPageClampsItsIndex) {
  TViewScore s;
  s.Score.PageCount = 4;
  s.Show();
  s.View.GotoPage(2);
  EXPECT_EQ(s.View.CursorPosition.Page, 2);
  s.View.GotoPage(-3);
  EXPECT_EQ(s.View.CursorPosition.Page, 0);
  s.View.GotoPage(9);
  EXPECT_EQ(s.View.CursorPosition.Page, 3);
}

TEST(ViewGeometry, InvalidationWaitsForTheUpdateLock) {
  TViewScore s;
  s.Show(true);
  s.Host.Invalid.clear();
  s.Score.BeginUpdate();
  s.View.InvalidatePages();
  s.View.InvalidateRulers();
  EXPECT_TRUE(s.Host.Invalid.empty());
  EXPECT_TRUE(s.View.PagesRepaintPending);
  s.Score.EndUpdate();
  EXPECT_FALSE(s.View.PagesRepaintPending);
  EXPECT_FALSE(s.View.RulersRepaintPending);
  EXPECT_EQ(s.Host.Invalid.size(), 3u);  // the page area, then the two ruler bands
}

// A layout pass that the update lock deferred tells the view about the new
// pages once, although the view brackets its own work in the same lock.
TEST(ViewGeometry, ADeferredLayoutReachesTheViewOnce) {
  TViewScore s;
  s.Show();
  int layouts = 0;
  s.Score.OnRecalculate = [&](TObject*) { ++layouts; };
  s.Score.BeginUpdate();
  s.Score.PageCount = 3;
  s.Score.Recalculate(0);
  EXPECT_EQ(s.View.Geometry().PageCount, 1);
  s.Score.EndUpdate();
  EXPECT_EQ(layouts, 1);
  EXPECT_EQ(s.View.Geometry().PageCount, 3);
  EXPECT_EQ(s.View.Geometry().VertBar.Max, 3 * 624);
}

TEST(ViewGeometry, SetFretWrapsAtTheLargestFretCount) {
  struct TCase {
    int frets, asked, fret;
  };
  for (const TCase& c : {TCase{6, 255, 5}, TCase{6, 6, 0}, TCase{6, 3, 3}, TCase{0, 255, 254}}) {
    TViewScore s;
    s.Piece->GetPart(0)->GetStaff(0)->Fields.FretCount = static_cast<uint8_t>(c.frets);
    s.Show();
    s.View.SetFret(c.asked);
    EXPECT_EQ(s.View.CursorFret, c.fret) << c.frets << " " << c.asked;
  }
}

}  // namespace
}  // namespace qs::test
