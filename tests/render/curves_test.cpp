// Ties and slurs, tuplet brackets, dynamics and hairpins, on the canvas and
// on the anti-aliased surface. Zoom 100, scale 100: W05 = [0.5] = 0,
// W1 = 1, W15 = [1.5] = 2, W2 = 2, W4 = 4, W6 = 6; at zoom 200 W05 = 1,
// W15 = 3.
#include <gtest/gtest.h>

#include "render_fixture.h"

namespace qs::test {
namespace {

class CurveTest : public TRenderFixture {
 protected:
  // A tie from (50, 110) to (150, 110) px with control offsets in units.
  TQSLiga* Tie(int sdx, int sdy, int edx, int edy, int16_t param2 = 0, uint8_t flags = 0) {
    TQSNote* note = NewNote(128);
    note->Fields.Color = 0x0000C0;
    auto* tie = static_cast<TQSLiga*>(CreateItemByKind(kind::Liga, note));
    tie->Fields.Flags = flags;
    tie->Fields.CurveStartDX = static_cast<int16_t>(sdx);
    tie->Fields.CurveStartDY = static_cast<int16_t>(sdy);
    tie->Fields.CurveEndDX = static_cast<int16_t>(edx);
    tie->Fields.CurveEndDY = static_cast<int16_t>(edy);
    TQSCalcItem* e = Element(tie, {392, 792, 1208, 888});
    e->Box2 = {400, 880, 1200, 880};
    e->Param2 = param2;
    return tie;
  }
  TQSMark* Tuplet(TRect box2, uint8_t style = 0) {
    TQSMark* m = NewMark(kind::Tuplet, Measure, 3);
    m->Fields.Style = style;
    Element(m, {box2.Left, box2.Top - 32, box2.Right, box2.Bottom + 32})->Box2 = box2;
    return m;
  }
};

TEST_F(CurveTest, TieAndSlurControlPoints) {
  struct Case {
    const char* what;
    int sdx, sdy, edx, edy;
    int16_t param2;
    std::string expected;
  };
  const Case cases[] = {
      {"offsets as set", 80, -80, -80, -80, 0, "PolyBezier 50,110 60,100 140,100 150,110"},
      // stretched to four times the width the offsets were set for: doubled
      {"stretched", 80, -80, -80, -80, 200, "PolyBezier 50,110 70,90 130,90 150,110"},
      {"arc below", 80, 80, -80, 80, 800, "PolyBezier 50,110 60,120 140,120 150,110"},
      // dragged beyond the far end: back to a third and two thirds of the span
      {"pulled back", 1000, -80, -1000, -80, 0, "PolyBezier 50,110 83,100 116,100 150,110"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Slot->ItemCount = 0;
    Tie(c.sdx, c.sdy, c.edx, c.edy, c.param2);
    const std::vector<TCanvasOp> ops = Paint();
    ASSERT_EQ(ops.size(), 1u);
    EXPECT_EQ(Describe(ops[0]), c.expected);
    EXPECT_EQ(ops[0].Pen.Width, 0);  // Width05: the thinnest line
    EXPECT_EQ(ops[0].Pen.Color, 0x0000C0u);  // the note's colour
  }
}

TEST_F(CurveTest, StraightTieLiesAtTheSamePlaceOnBothSurfaces) {
  Tie(80, -80, -80, -80, 0, 0x08);
  EXPECT_EQ(PaintDescribed(), TStrings{"Polyline 50,110 150,110"});
  const std::vector<TGraphicsOp> gops = PaintSurface();
  EXPECT_EQ(Describe(gops), TStrings{"DrawLines 50,110 150,110"});
  EXPECT_EQ(gops[0].Pen.Width, 0);
  EXPECT_EQ(gops[0].Pen.Color, 0xFFC00000u);
}

TEST_F(CurveTest, SlurOnTheSurfaceIsAFilledCrescent) {
  Tie(80, -80, -80, -80);
  // Zoom 200: ends (100, 220) and (300, 220), control points 20 px above;
  // the back curve is W05 = 1 higher at the ends and W15 = 3 in the middle.
  TGraphics graphics(Rec.Canvas);
  Rec.Recorder->Clear();
  Window.PaintPage(0, Rec.Canvas, &graphics, 200, 200, 30, 40);
  const std::vector<TGraphicsOp> gops = Rec.Recorder->GraphicsOps();
  EXPECT_EQ(Describe(gops), TStrings{"FillPath S100,220 B120,200 B280,200 B300,220 L300,219 B280,197 B120,197 "
                                     "B100,219 L100,220Z"});
  EXPECT_EQ(gops[0].Brush, SolidBrush(0xFFC00000));
  EXPECT_EQ(gops[0].Smoothing, SmoothingModeAntiAlias);
  // The canvas has its page origin back after the surface drew.
  EXPECT_EQ(Rec.Canvas.ViewportOrg(), (TPoint{30, 40}));
  // Nothing of it on the canvas: five staff lines and the start line.
  EXPECT_EQ(Rec.Recorder->CanvasOps().size(), 6u);
}

TEST_F(CurveTest, SelectedSlurShowsItsEndsAndControlPoints) {
  Tie(80, -80, -80, -80);
  Select(Slot->Items.At(0));
  const TStrings ops = PaintDescribed();
  ASSERT_EQ(ops.size(), 1u + 4 + 2 + 4);
  EXPECT_EQ(ops[1], "Polyline 49,101 49,99 51,99");  // the frame about the hit box (49,99)-(151,111)
  EXPECT_EQ(ops[5], "Rectangle 47,107,53,113");      // the ends
  EXPECT_EQ(ops[6], "Rectangle 147,107,153,113");
  EXPECT_EQ(ops[7], "Line 50,110 60,100");           // to each control point
  EXPECT_EQ(ops[9], "Line 150,110 140,100");
}

TEST_F(CurveTest, TupletBracketWithItsNumber) {
  // "3" is 5 px wide in Arial 7: g = 7, half 3; the gap runs from
  // L + 50 - 3 to L + 50 + 3.
  ASSERT_EQ(TextWidth(FontOf("Arial", 7), u"3"), 5);
  struct Case {
    const char* what;
    TRect box2;
    uint8_t style;
    TStrings expected;
  };
  const Case cases[] = {
      {"flat, above",
       {400, 720, 1200, 720},
       0,
       {TextAt("3", 98, 86), "Polygon 50,94 50,90 97,90 97,91 51,91 51,94",
        "Polygon 150,94 150,90 103,90 103,91 149,91 149,94"}},
      {"flat, below",
       {400, 720, 1200, 720},
       0x10,
       {TextAt("3", 98, 86), "Polygon 50,86 50,90 97,90 97,89 51,89 51,86",
        "Polygon 150,86 150,90 103,90 103,89 149,89 149,86"}},
      // rising by 30 px over 100: slope 0.3, e4 = 120 div 100 = 1, e1 = 0
      {"rising, above",
       {400, 800, 1200, 560},
       0,
       {TextAt("3", 98, 81), "Polygon 50,104 50,100 97,86 97,87 51,101 51,104",
        "Polygon 150,74 150,70 103,84 103,85 149,71 149,74"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Slot->ItemCount = 0;
    Tuplet(c.box2, c.style);
    const std::vector<TCanvasOp> ops = Paint();
    EXPECT_EQ(Describe(ops), c.expected);
    EXPECT_EQ(ops[0].Font.Height, -9);  // 7 points
    EXPECT_EQ(ops[1].Pen.Style, psClear);
  }
  EXPECT_EQ(Describe(PaintSurface()), (TStrings{"DrawLines 50,104 50,100 97,86", "DrawLines 150,74 150,70 103,84"}));
}

TEST_F(CurveTest, TupletWithBothEndsAtOneXDrawsNothingEvenSelected) {
  Tuplet({400, 720, 400, 900});
  Select(Slot->Items.At(0));
  EXPECT_TRUE(Paint().empty());
}

TEST_F(CurveTest, EveryDynamicsKindAndBothHairpins) {
  const int a16 = Ascent(Music());
  for (uint8_t kind = 0; kind <= 12; ++kind) {
    SCOPED_TRACE(kind);
    Slot->ItemCount = 0;
    Element(NewMark(kind::Dynamics, Measure, kind), {400, 752, 480, 848});
    const std::vector<TCanvasOp> ops = Paint();
    EXPECT_EQ(Describe(ops), TStrings{GlyphAt(dynamic::kFirstGlyph + kind, 50, 94 + 6 - a16)});
  }
  // Hairpins in (50, 90)-(150, 110), mid 100, W1 = 1 in from the box.
  struct Case {
    uint8_t kind;
    const char* points;
  };
  for (const Case& c : {Case{50, " 149,91 51,100 149,109"}, Case{51, " 51,91 149,100 51,109"}}) {
    SCOPED_TRACE(c.kind);
    Slot->ItemCount = 0;
    TQSMark* m = NewMark(kind::Dynamics, Measure, c.kind);
    m->Fields.Color = 0x008000;
    Element(m, {400, 720, 1200, 880});
    const std::vector<TCanvasOp> ops = Paint();
    EXPECT_EQ(Describe(ops), TStrings{std::string("Polyline") + c.points});
    EXPECT_EQ(ops[0].Pen.Width, 1);
    EXPECT_EQ(ops[0].Pen.Color, 0x008000u);
    const std::vector<TGraphicsOp> gops = PaintSurface();
    EXPECT_EQ(Describe(gops), TStrings{std::string("DrawLines") + c.points});
    EXPECT_EQ(gops[0].Pen.Color, 0xFF008000u);
  }
  // The stretch handle of a selected hairpin at its right end, mid height.
  Select(Slot->Items.At(0));
  EXPECT_EQ(PaintDescribed().back(), "Rectangle 147,97,153,103");
}

TEST_F(CurveTest, DynamicsOfAnotherVoiceAreGrey) {
  Window.DataStyle = dsActiveVoice;
  TQSMark* m = NewMark(kind::Dynamics, Measure, 6);
  m->Fields.StaffVoice = 1;
  m->Fields.Color = 0x008000;
  Element(m, {400, 752, 480, 848});
  EXPECT_EQ(Paint()[0].Font.Color, clGray);
  m->Fields.StaffVoice = 0;
  EXPECT_EQ(Paint()[0].Font.Color, 0x008000u);
}

}  // namespace
}  // namespace qs::test
