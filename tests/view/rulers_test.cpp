// The ruler markers follow the cursor; dragging one with the mouse changes
// the spacing value it stands for.
#include <gtest/gtest.h>

#include <functional>

#include "editing/rulers.h"
#include "platform/drawdevice.h"
#include "score/metrix.h"
#include "platform/testdriver.h"
#include "score/measure.h"
#include "score/part.h"
#include "score/piece.h"
#include "score/spacing.h"
#include "view_fixture.h"

namespace qs::test {
namespace {

namespace td = qs::testdriver;

class Rulers : public ::testing::Test, public TLayoutScore {
 protected:
  TForm* Form = nullptr;
  TQSWindow* View = nullptr;
  TQSPiece* Piece = nullptr;

  void SetUp() override {
    Piece = AddPiece({1}, 4);
    for (int m = 0; m < 4; ++m) Quarters(Piece->GetPart(0)->GetMeasure(m));
    Layout();
    Form = new TForm(nullptr);
    Form->SetBounds(50, 50, 820, 720);
    View = new TQSWindow(Form);
    View->Rule.Visible = true;
    View->SetParent(Form);
    View->SetBounds(0, 0, 800, 700);
    View->SetScore(&Score);
    ConnectRulerSpacing(*View);
    td::ShowAndWait(*Form);
    View->SetCursorMeasureTick(1, 128, false);
    td::ProcessMessages();
  }
  void TearDown() override {
    delete Form;
    td::ProcessMessages();
  }
  // Drags a marker from its place by distance pixels along its band.
  void Drag(int marker, int distance) {
    const int r = View->Rule.Width;
    const int m = View->RulerMarkers[static_cast<size_t>(marker - 1)];
    TPoint from = marker == 3 ? TPoint{r / 2, m - View->Geometry().VertBar.Position}
                              : TPoint{m - View->Geometry().HorzBar.Position, marker == 4 ? r * 3 / 4 : r / 4};
    ASSERT_EQ(View->RulerMarkerAt(from.X, from.Y), marker);
    const TPoint to = marker == 3 ? TPoint{from.X, from.Y + distance} : TPoint{from.X + distance, from.Y};
    td::MouseDown(*View, from.X, from.Y);
    td::MouseMove(*View, (from.X + to.X) / 2, (from.Y + to.Y) / 2);
    td::MouseMove(*View, to.X, to.Y);
    td::MouseUp(*View, to.X, to.Y);
  }
  static int Entry(const TQSSpacingTable& table, int index) {
    return index < static_cast<int>(table.size()) ? table[static_cast<size_t>(index)] : 0;
  }
};

TEST_F(Rulers, MarkersStandOnTheCursorsRowMeasureAndTick) {
  const auto& m = View->RulerMarkers;
  EXPECT_LT(m[0], m[4]);
  EXPECT_LT(m[4], m[3]);
  EXPECT_LE(m[3], m[1]);
  const int before = m[4];
  View->SetCursorMeasureTick(1, 256, false);
  EXPECT_GT(m[4], before);
}

TEST_F(Rulers, DraggingAMarkerChangesItsSpacingValue) {
  struct TCase {
    int Marker;
    std::function<int()> Value;
  } const cases[] = {
      {1, [&] { return Entry(Piece->Spacing.LeftOffsets, 0); }},
      {2, [&] { return Entry(Piece->Spacing.RightOffsets, 0); }},
      {3, [&] { return Entry(Piece->Spacing.RowOffsets, 0); }},
      {4, [&] { return Entry(Piece->Spacing.SpaceAfter, 1); }},
      {5, [&] { return Entry(Piece->GetColumn(1)->Spacing, 128); }},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Marker);
    const int before = c.Value();
    Drag(c.Marker, 12);
    EXPECT_EQ(c.Value(), before + 12 * 8);
    EXPECT_EQ(View->MarkerDrag, 0);
  }
}

TEST_F(Rulers, AMarkerDroppedWhereItWasChangesNothing) {
  int drops = 0, step = -1;
  View->OnRulerMarkerDrop = [&](TObject*, int, int s) { ++drops, step = s; };
  Drag(5, 0);
  EXPECT_EQ(drops, 1);
  EXPECT_EQ(step, 0);
}

// While a marker is dragged it alone is drawn grey, and only its band is
// painted again: the top band's four markers, or the left band's one.
TEST_F(Rulers, ADraggedMarkerAloneIsGrey) {
  const int r = View->Rule.Width;
  for (int marker : {1, 5, 4, 3}) {
    SCOPED_TRACE(marker);
    const int m = View->RulerMarkers[static_cast<size_t>(marker - 1)];
    const TPoint at = marker == 3 ? TPoint{r / 2, m - View->Geometry().VertBar.Position}
                                  : TPoint{m - View->Geometry().HorzBar.Position, marker == 4 ? r * 3 / 4 : r / 4};
    td::MouseDown(*View, at.X, at.Y);
    ASSERT_EQ(View->MarkerDrag, marker);
    TRecordingCanvas rec;
    View->DrawRulers(rec.Canvas, true, {0, 0, 800, 700});
    std::vector<TPoint> grey;
    int polygons = 0;
    for (const TCanvasOp& op : rec.Recorder->CanvasOps()) {
      if (op.Kind != TCanvasOpKind::Polygon) continue;
      ++polygons;
      if (op.Pen.Color == 0x808080) grey.push_back(op.Points[0]);
    }
    EXPECT_EQ(polygons, marker == 3 ? 1 : 4);
    // The first corner of the grey pentagon: its box starts 4 pixels before
    // the marker, 3 pixels into the band (the lower markers' 12).
    const TPoint corner = marker == 3 ? TPoint{3, m - 4} : TPoint{m - 4, marker == 4 ? 20 : 3};
    EXPECT_EQ(grey, std::vector<TPoint>{corner});
    td::MouseUp(*View, at.X, at.Y);
    EXPECT_EQ(View->MarkerDrag, 0);
  }
}

// The scale's numbers stand on their marks: inches every 96 pixels at 96
// pixels per inch, centimetres each rounded from its own distance, pixels
// every Zoom pixels.
TEST(RulerScale, NumbersStandOnTheirMarks) {
  struct TCase {
    TQSMetrix Metrix;
    int Zoom;
    std::vector<int> Marks;  // pixels after the page's left edge
  } const cases[] = {
      {TQSMetrix::rmInches, 100, {96, 192, 288}},
      {TQSMetrix::rmMM, 100, {38, 76, 113}},
      {TQSMetrix::rmPixels, 100, {100, 200, 300}},
      {TQSMetrix::rmPixels, 50, {50, 100, 150}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.Metrix));
    TViewScore s({1}, 2);
    s.Score.Page.SetMetrix(c.Metrix);
    s.Show(true);
    s.View.SetZoom(c.Zoom);
    TRecordingCanvas rec;
    s.View.DrawRulers(rec.Canvas, true, {0, 0, 800, 700});
    const int left = s.View.Rule.Width + s.View.Geometry().PageGrid[0].Rect.Left - s.View.Geometry().HorzBar.Position;
    for (size_t n = 0; n < c.Marks.size(); ++n) {
      const std::u16string label = std::u16string(1, static_cast<char16_t>(u'1' + n));
      bool found = false;
      for (const TCanvasOp& op : rec.Recorder->CanvasOps()) {
        if (op.Kind != TCanvasOpKind::Text || op.Text != label || op.Origin.Y != 0) continue;
        rec.Canvas.Font() = op.Font;
        const int width = rec.Canvas.TextWidth(std::u16string_view(label));
        EXPECT_EQ(op.Points[0].X + op.Origin.X + width / 2, left + c.Marks[n]) << "mark " << n + 1;
        found = true;
        break;
      }
      EXPECT_TRUE(found) << "mark " << n + 1;
    }
    if (c.Metrix != TQSMetrix::rmInches) continue;
    // The numbers stop at the right margin (432 pixels in), the ticks go
    // on: no 5 at 480, but the half tick at 432 between 4 and 5.
    bool five = false, halfTick = false;
    for (const TCanvasOp& op : rec.Recorder->CanvasOps()) {
      // (the left band's numbers stand inside its width)
      five |= op.Kind == TCanvasOpKind::Text && op.Text == u"5" && op.Points[0].X > s.View.Rule.Width;
      halfTick |= op.Kind == TCanvasOpKind::Line && op.Origin.Y == 0 && op.Points[0].X + op.Origin.X == left + 432 &&
                  op.Points[0].X == op.Points[1].X;
    }
    EXPECT_FALSE(five);
    EXPECT_TRUE(halfTick);
  }
}

}  // namespace
}  // namespace qs::test
