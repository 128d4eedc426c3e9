// The timeline: the scale follows the panel's width and the measure count,
// numbers and long ticks come every h measures with short ticks between
// (none at all below 0.3 pixels a measure); and the client points the
// lessons point at.
#include <gtest/gtest.h>

#include "platform/drawdevice.h"
#include "view/navigator.h"
#include "view_fixture.h"

namespace qs::test {
namespace {

struct TTicks {
  int Long = 0, Short = 0;
};

// The measure ticks under the base line (y 34..38 long, 36..38 short).
TTicks CountTicks(const TRecordingDevice& rec) {
  TTicks t;
  for (const TCanvasOp& op : rec.CanvasOps()) {
    if (op.Kind != TCanvasOpKind::Line || op.Points.size() != 2 || op.Points[1].Y != 38) continue;
    if (op.Points[0].Y == 34) ++t.Long;
    if (op.Points[0].Y == 36) ++t.Short;
  }
  return t;
}

TEST(ViewTimeline, TicksFollowTheScale) {
  // 200 measures; the layout fills the last page with empty measure
  // records, and the timeline shows them all.
  TViewScore s({1}, 200);
  s.Show();
  int n = 0;
  for (int j = 0; j < s.Score.LaidOutPages; ++j) n += s.Page(j).MeasureCount;
  ASSERT_GT(n, 40);
  struct TCase {
    int Width;
    long double Scale;
    TTicks Ticks;
  };
  // 2 pixels a measure: a number every 20 measures, short ticks between;
  // 0.25: one number every 1000 and no short ticks.
  for (const TCase& c : {TCase{20 + 2 * n, 2.0L, {(n + 19) / 20, n - (n + 19) / 20}}, TCase{20 + n / 4, 0.25L, {1, 0}}}) {
    TRecordingCanvas rec;
    s.View.PaintTimeline(rec.Canvas, c.Width);
    EXPECT_NEAR(static_cast<double>(s.Score.NavigatorScale), static_cast<double>(c.Scale), 0.01);
    const TTicks t = CountTicks(*rec.Recorder);
    EXPECT_EQ(t.Long, c.Ticks.Long) << c.Width;
    EXPECT_EQ(t.Short, c.Ticks.Short) << c.Width;
  }
}

TEST(ViewPositions, PointsOfTheScorePagesScrollArrowsAndMarkers) {
  TViewScore s({1}, 4);
  s.Show();
  TQSWindow& v = s.View;
  TPoint p{-1, -1};
  v.ScorePositionToScreen(0, 0, 0, 1, 0, 0, -1, p);
  EXPECT_EQ(p, (TPoint{s.TickX(1, 0), s.Client(0, s.Row(0, 0).Top).Y}));
  v.ScorePositionToScreen(5, 0, 0, 1, 0, 0, -1, p);  // no such piece
  EXPECT_EQ(p, (TPoint{0, 0}));
  v.PageOrigin(0, p);
  EXPECT_EQ(p, v.Geometry().PageToScreen({0, 0}, 0));
  v.PageOrigin(7, p);
  EXPECT_EQ(p, (TPoint{0, 0}));
  const TRect h = v.HorzBarRect();
  v.ScrollArrowPoint(true, 1, p);
  EXPECT_EQ(p, (TPoint{h.Left + h.Width() - h.Height() / 2, h.Top + h.Height() / 2}));
  p = {3, 4};
  v.ScrollArrowPoint(true, 2, p);
  EXPECT_EQ(p, (TPoint{3, 4}));
  v.RulerMarkers[2] = 100;  // marker 3, the staff row's top
  v.RulerMarkerPoint(3, p);
  EXPECT_EQ(p, (TPoint{v.Rule.Width / 2, 100}));
  v.RulerMarkerPoint(6, p);
  EXPECT_EQ(p, (TPoint{0, 0}));
}

}  // namespace
}  // namespace qs::test
