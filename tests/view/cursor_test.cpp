// The input cursor: placing it at a clicked point, the nearest event,
// validation and the page that holds it.
#include <gtest/gtest.h>

#include "view_fixture.h"

namespace qs::test {
namespace {

// Measures of four quarters on one staff.
struct TQuarterScore : TViewScore {
  explicit TQuarterScore(const std::vector<int>& staves = {1}) : TViewScore(staves, 8) {
    for (int m = 0; m < 8; ++m) Quarters(Measure(m));
    Show();
  }
};

// Staff lines and the ledger line below, as pitch lines and tablature
// strings; x lies inside measure 1.
TEST(ViewCursor, AClickGivesThePitchLineAndString) {
  struct TCase {
    int line;        // where the click goes
    int wantLine, wantString;
  };
  for (const TCase& c : {TCase{62, 62, 0}, TCase{70, 70, 4}, TCase{60, 60, 0}, TCase{66, 66, 2}, TCase{72, 72, 4}}) {
    TQuarterScore s;
    s.View.PointToCursor({s.TickX(1, 256), s.LineY(0, c.line)});
    EXPECT_EQ(s.View.CursorLine(), c.wantLine) << c.line;
    EXPECT_EQ(s.View.CursorString, c.wantString) << c.line;
    EXPECT_EQ(s.View.CursorPosition.Measure, 1);
    EXPECT_EQ(s.View.CursorPosition.Tick, 256);
  }
}

// The tick is that of the nearest event of the cursor's staff and voice.
TEST(ViewCursor, AClickSnapsToTheNearestEvent) {
  TQuarterScore s;
  const int between = (s.TickX(2, 128) + s.TickX(2, 256)) / 2;
  s.View.PointToCursor({between - 2, s.LineY(0, 66)});
  EXPECT_EQ(s.View.CursorPosition.Measure, 2);
  EXPECT_EQ(s.View.CursorPosition.Tick, 128);
  s.View.PointToCursor({s.TickX(2, 384) + 3, s.LineY(0, 66)});
  EXPECT_EQ(s.View.CursorPosition.Tick, 384);
}

// Rows split halfway between staves; a click never changes the voice.
TEST(ViewCursor, AClickBetweenStavesTakesTheNearerStaff) {
  TQuarterScore s({2});
  const int boundary = s.Client(0, s.Row(0, 0).LowerBound).Y;
  s.View.CursorPosition.Voice = 0;
  s.View.PointToCursor({s.TickX(0, 0), boundary - 1});
  EXPECT_EQ(s.View.CursorPosition.Staff, 0);
  s.View.PointToCursor({s.TickX(0, 0), boundary + 1});
  EXPECT_EQ(s.View.CursorPosition.Staff, 1);
  EXPECT_EQ(s.View.CursorPosition.Voice, 0);
  // The pitch line counts from the second staff's top line.
  s.View.PointToCursor({s.TickX(0, 0), s.LineY(1, 62)});
  EXPECT_EQ(s.View.CursorLine(), 62);
}

// Within Zoom x 10 / 100 pixels either side of a barline the click names the
// measure whose barline it is (on the right side not for a system's first
// measure).
TEST(ViewCursor, AClickNearABarlineNamesItsMeasure) {
  TQuarterScore s;
  const int right1 = s.Client(s.SlotOf(1).Box.Right, 0).X;
  const int y = s.LineY(0, 66);
  struct TCase {
    int x, barline;
  };
  for (const TCase& c : {TCase{right1, 1}, TCase{right1 - 9, 1}, TCase{right1 - 11, -1}, TCase{right1 + 9, 1},
                         TCase{(s.TickX(1, 128) + s.TickX(1, 256)) / 2, -1}}) {
    s.View.PointToCursor({c.x, y});
    EXPECT_EQ(s.View.ClickedBarMeasure, c.barline) << c.x - right1;
  }
  // Right of the first measure of the second system: not its barline.
  ASSERT_GE(s.Page(0).SystemCount, 2);
  const TQSCalcMeasure& firstOfSecond = *s.System(0, 1).Measures.At(0);
  const int r = s.Client(firstOfSecond.Box.Right, 0).X;
  s.View.PointToCursor({r + 5, s.Client(0, s.Row(0, 1).TopLine).Y + 12});
  EXPECT_EQ(s.View.ClickedBarMeasure, -1);
  s.View.PointToCursor({r - 5, s.Client(0, s.Row(0, 1).TopLine).Y + 12});
  EXPECT_EQ(s.View.ClickedBarMeasure, firstOfSecond.MeasureIndex);
}

TEST(ViewCursor, AClickOutsideThePagesChangesAtMostThePage) {
  TQuarterScore s;
  s.View.PointToCursor({s.TickX(3, 128), s.LineY(0, 66)});
  const TQSCursorPosition before = s.View.CursorPosition;
  s.View.PointToCursor({600, 20});  // right of the page
  EXPECT_EQ(s.View.CursorPosition.Measure, before.Measure);
  EXPECT_EQ(s.View.CursorPosition.Tick, before.Tick);
  EXPECT_EQ(s.View.CursorPosition.Staff, before.Staff);
}

TEST(ViewCursor, NearestEventTick) {
  TViewScore s({1}, 2);
  s.Note(s.Measure(0), 0, 128);
  s.Note(s.Measure(0), 256, 128);
  s.Note(s.Measure(0), 128, 128, 0x50, 0x01);  // another voice
  s.Show();
  struct TCase {
    int tick, nearest;
  };
  for (const TCase& c : {TCase{0, 0}, TCase{100, 0}, TCase{128, 0}, TCase{129, 256}, TCase{10000, 256}})
    EXPECT_EQ(s.View.NearestEventTick(c.tick), c.nearest) << c.tick;
  s.View.CursorPosition.Measure = 1;  // no events at all
  EXPECT_EQ(s.View.NearestEventTick(300), 0);
}

TEST(ViewCursor, ValidationKeepsTheCursorInsideTheScore) {
  TQuarterScore s({2});
  TQSCursorPosition& c = s.View.CursorPosition;
  c = {0, 3, 5, 40, 7, 4, 900};
  s.View.ValidateCursor(false);
  EXPECT_EQ(c.Piece, 0);
  EXPECT_EQ(c.Part, 0);
  EXPECT_EQ(c.Staff, 1);
  EXPECT_EQ(c.Voice, 0);
  EXPECT_EQ(c.Measure, s.Piece->LastLaidOutMeasure);
  EXPECT_EQ(c.Tick, 0);
}

// The cursor's page is the last page whose first system starts at or before
// its measure; a blank page clicked is kept.
TEST(ViewCursor, ValidationTurnsToThePageOfTheMeasure) {
  TViewScore s({1}, 60);
  for (int m = 0; m < 60; ++m) s.Quarters(s.Measure(m));
  s.Score.EmptyPages = 1;
  s.Show();
  ASSERT_GE(s.Score.LaidOutPages, 3);
  ASSERT_EQ(s.Page(0).SystemCount, 0);
  // A new view stays on the blank first page until its cursor moves.
  EXPECT_EQ(s.View.CursorPosition.Page, 0);
  const int firstOnPage2 = s.Page(2).Systems.At(0)->FirstMeasure;
  s.View.SetCursorMeasureTick(firstOnPage2, 0, false);
  EXPECT_EQ(s.View.CursorPosition.Page, 2);
  s.View.SetCursorMeasureTick(firstOnPage2 - 1, 0, false);
  EXPECT_EQ(s.View.CursorPosition.Page, 1);
  // A click on the blank page makes it the cursor's page and changes
  // nothing else; validation keeps it.
  int top = 0;
  s.View.ScrollTo(true, scPosition, top);
  const int measure = s.View.CursorPosition.Measure;
  s.View.PointToCursor({100, 100});
  EXPECT_EQ(s.View.CursorPosition.Page, 0);
  EXPECT_EQ(s.View.CursorPosition.Measure, measure);
  s.View.ValidateCursor(true);
  EXPECT_EQ(s.View.CursorPosition.Page, 0);
  s.View.ValidateCursor(false);
  EXPECT_EQ(s.View.CursorPosition.Page, 1);
}

TEST(ViewCursor, SetCursorAnnouncesTheVoice) {
  TQuarterScore s({2});
  TObject* sender = nullptr;
  int calls = 0;
  s.View.OnActiveChanged = [&](TObject* o) {
    sender = o;
    ++calls;
  };
  s.View.SetCursor(0, 0, 0, 2, 1, 0, 128, 60);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(sender, s.Piece->GetPart(0)->GetStaff(1)->GetVoice(0));
  s.View.SetCursor(0, 0, 0, 2, 1, 0, 128, 60);  // unchanged: nothing
  EXPECT_EQ(calls, 1);
}

}  // namespace
}  // namespace qs::test

namespace qs::test {
namespace {

// Moving the cursor scrolls its staff into the viewport: down to it with a
// margin of Zoom x 20 / 100 pixels below, and back up to the page's top for
// the first row of a page.
TEST(ViewCursor, MovingTheCursorScrollsItIntoView) {
  TViewScore s({1}, 60);
  for (int m = 0; m < 60; ++m) s.Quarters(s.Measure(m));
  s.Show();
  s.View.SetBounds(0, 0, 800, 400);
  const TQSCalcSystem& last = *s.Page(0).Systems.At(s.Page(0).SystemCount - 1);
  s.View.SetCursorMeasureTick(last.FirstMeasure, 0, false);
  const TQSCalcStaff& row = s.Row(0, last.FirstRow);
  EXPECT_EQ(s.View.Geometry().VertBar.Position, row.Bottom / 8 + 17 + 20 - 400);
  EXPECT_LT(s.View.Geometry().PageToScreen({0, row.Bottom}, 0).Y, s.View.GetPageAreaRect().Bottom);
  s.View.SetCursorMeasureTick(0, 0, false);
  EXPECT_EQ(s.View.Geometry().VertBar.Position, 0);
}

}  // namespace
}  // namespace qs::test
