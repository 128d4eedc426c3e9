// Stems, flags, beams and ledger lines: the calls the first pass makes for
// hand-placed notes. Pixel values follow from the unit boxes at zoom 100
// (units / 8), with Width05 = [0.5] = 0, Width1 = 1, W3 = 3, W4 = 4, W5 = 5.
#include <gtest/gtest.h>

#include "platform/graphics.h"
#include "platform/musicglyphs.h"
#include "render_fixture.h"

namespace qs::test {
namespace {

class StemTest : public TRenderFixture {
 protected:
  std::vector<TCanvasOp> OpsOf(TCanvasOpKind kind, const std::vector<TCanvasOp>& ops) {
    std::vector<TCanvasOp> out;
    for (const auto& op : ops)
      if (op.Kind == kind) out.push_back(op);
    return out;
  }
  // Beamed notes of a length, stems as the note's direction, at (x, staff
  // position) each; returns the beam element.
  TQSCalcItem* Beamed(std::initializer_list<std::pair<int, int>> notes, uint32_t color = 0) {
    TQSCalcItem* beam = Element(nullptr, {}, element::Beam);
    for (auto [x, p] : notes) {
      TQSNote* n = NewNote(64);
      n->BeamGroup = 1;
      n->Fields.Color = color;
      beam->Links.push_back(Stem(n, x, p));
    }
    return beam;
  }
};

TEST_F(StemTest, QuarterStemsUpAndDownAndTheirHeads) {
  TQSNote* up = NewNote(128);
  Head(up, 400, 4);  // B4: head px (46,109)-(53,115)
  Stem(up, 400, 4);  // px (52,92)-(53,112)
  TQSNote* down = NewNote(128, 0, true);
  Head(down, 800, 2);  // D5: head px (96,103)-(103,109)
  Stem(down, 800, 2);  // px (96,106)-(97,126)
  const std::vector<TCanvasOp> ops = Paint();
  const int ascent = Ascent(Music()), width = GlyphWidth(Music(), glyphs::NoteheadBlack);
  // Up: the stem's left edge is one pixel left of its right, its foot one
  // pixel above the head centre; down: one pixel wide, top one pixel down.
  // Heads: baseline at box top + W3, right-aligned to a stem on the right.
  EXPECT_EQ(Describe(ops), (std::vector<std::string>{
                               "Polygon 52,92 53,92 53,111 52,111",
                               "Polygon 96,107 97,107 97,126 96,126",
                               GlyphAt(glyphs::NoteheadBlack, 53 - width, 112 - ascent),
                               GlyphAt(glyphs::NoteheadBlack, 96, 106 - ascent),
                           }));
  EXPECT_EQ(ops[0].Pen.Style, psClear);
  EXPECT_EQ(ops[0].Brush.Style, bsSolid);
  EXPECT_EQ(ops[2].Font.Name, MusicFontName);
  EXPECT_EQ(ops[2].Font.Height, -21);  // 16 points at 96 ppi
  EXPECT_EQ(ops[2].Font.Quality, 4);
  EXPECT_EQ(ops[2].Brush.Style, bsClear);
}

TEST_F(StemTest, FlagsByLengthAndDirection) {
  struct Case {
    int length;
    bool down;
    uint8_t glyph;
  };
  const Case cases[] = {{64, false, '6'}, {64, true, '7'}, {32, false, '8'}, {32, true, '9'},
                        {16, false, ':'}, {16, true, ';'}, {8, false, '<'},  {8, true, '='},
                        {4, false, '>'},  {4, true, '?'}};
  const int ascent = Ascent(Music());
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.length) + (c.down ? " down" : " up"));
    Slot->ItemCount = 0;
    TQSNote* n = NewNote(c.length, 0, c.down);
    Stem(n, 400, 4);
    const std::vector<std::string> ops = PaintDescribed();
    ASSERT_EQ(ops.size(), 2u);
    // The flag hangs from the stem's beam-side end at the stem's left pixel.
    // (Down: the stem is px 46-47 from 112 to 132; up: 52-53 from 92.)
    const std::string at = c.down ? "@46," + std::to_string(132 - ascent) : "@52," + std::to_string(92 - ascent);
    EXPECT_EQ(ops[1], "Text #" + std::to_string(c.glyph) + " " + at);
    delete n;
  }
}

TEST_F(StemTest, BeamedNotesLeaveStemsAndFlagsToTheBeam) {
  TQSNote* n = NewNote(64);
  n->BeamGroup = 1;
  Stem(n, 400, 4);
  EXPECT_TRUE(Paint().empty());
}

TEST_F(StemTest, FlatBeamWithSecondaryStubsBothWays) {
  // Eighth, sixteenth, eighth, sixteenth, stems up: the lone sixteenth in
  // the middle gets a stub to the right, the last one a stub to the left.
  const int xs[] = {400, 560, 608, 880};
  const int extra[] = {0, 1, 0, 1};
  TQSCalcItem* beam = Element(nullptr, {}, element::Beam);
  for (int i = 0; i < 4; ++i) {
    TQSNote* n = NewNote(extra[i] ? 32 : 64);
    n->BeamGroup = 1;
    n->SetExtraBeams(extra[i]);
    beam->Links.push_back(Stem(n, xs[i], 4));
  }
  // Stem pixel columns: 52-53, 72-73, 78-79, 112-113; tops 92.
  EXPECT_EQ(PaintDescribed(), (std::vector<std::string>{
                                  // the beam's stems reach W1 into the beam
                                  "Polygon 52,93 53,93 53,111 52,111",
                                  "Polygon 72,93 73,93 73,111 72,111",
                                  "Polygon 78,93 79,93 79,111 78,111",
                                  "Polygon 112,93 113,93 113,111 112,111",
                                  // primary beam, W3 thick, from the first stem to the last
                                  "Polygon 52,92 52,95 113,95 113,92",
                                  // level 1 at W4 below: halfway to the next stem's right edge
                                  "Polygon 72,96 72,99 76,99 76,96",
                                  // at most W5 from the last stem's right edge
                                  "Polygon 108,96 108,99 113,99 113,96",
                              }));
}

TEST_F(StemTest, SlopedBeamStemEndsFollowTheSlope) {
  Beamed({{400, 6}, {560, 2}});  // stems px (52,98)-(53,118) and (72,86)-(73,106)
  // slope = (98 - 86) / (73 - 52); across a one-pixel stem the left end
  // lies [12/21] = 1 pixel lower.
  EXPECT_EQ(PaintDescribed(), (std::vector<std::string>{
                                  "Polygon 52,100 53,99 53,117 52,117",
                                  "Polygon 72,88 73,87 73,105 72,105",
                                  "Polygon 52,98 52,101 73,89 73,86",
                              }));
}

TEST_F(StemTest, StemsAtOneXGiveAFlatSlope) {
  TQSCalcItem* beam = Element(nullptr, {}, element::Beam);
  TQSNote* a = NewNote(64);
  TQSNote* b = NewNote(64);
  a->BeamGroup = b->BeamGroup = 1;
  // Both stems in pixel column 52 (units 417-423): x1 = x2.
  TQSCalcItem* sa = Element(a, {417, 784, 423, 944}, element::Stem);
  TQSCalcItem* sb = Element(b, {417, 688, 423, 848}, element::Stem);
  beam->Links = {sa, sb};
  const std::vector<std::string> ops = PaintDescribed();
  ASSERT_EQ(ops.size(), 3u);
  // With a slope the left end of each stem would move a pixel.
  EXPECT_EQ(ops[0], "Polygon 51,99 52,99 52,117 51,117");
  EXPECT_EQ(ops[1], "Polygon 51,87 52,87 52,105 51,105");
}

TEST_F(StemTest, BeamOutlineOnlyOnScreenBelowZoom50) {
  Beamed({{400, 4}, {560, 4}}, 0x0000C0);
  for (auto [zoom, style, outlined] : {std::tuple{40, wsNormal, true}, std::tuple{50, wsNormal, false},
                                       std::tuple{40, wsExport, false}}) {
    Window.Style = style;
    const std::vector<TCanvasOp> ops = Paint(zoom);
    ASSERT_EQ(ops.size(), 3u);
    EXPECT_EQ(ops[2].Pen.Style, outlined ? psSolid : psClear) << zoom;
    EXPECT_EQ(ops[2].Pen.Color, clBlack);
    // The fill is the brush the last stem left.
    EXPECT_EQ(ops[2].Brush.Color, 0x0000C0u);
  }
}

TEST_F(StemTest, BeamsGoThroughTheSurfaceWhenThereIsOne) {
  Beamed({{400, 6}, {560, 2}});
  TQSNote* c = NewNote(128);
  Head(c, 1000, 4);
  TGraphics g(Rec.Canvas);
  Rec.Canvas.SetViewportOrg(5, 7);
  Rec.Recorder->Clear();
  Window.PaintPage(0, Rec.Canvas, &g, 100, 100, 5, 7);
  const std::vector<TGraphicsOp> gops = Rec.Recorder->GraphicsOps();
  ASSERT_EQ(gops.size(), 3u);
  EXPECT_EQ(gops[0].Kind, TGraphicsOpKind::FillPolygon);
  EXPECT_EQ(gops[0].Smoothing, SmoothingModeDefault);
  // A sloped beam is smoothed and ends a pixel short on the right.
  EXPECT_EQ(gops[2].Smoothing, SmoothingModeAntiAlias);
  EXPECT_EQ(gops[2].Points, (std::vector<TPointF>{{52, 98}, {52, 101}, {72, 89}, {72, 86}}));
  EXPECT_EQ(g.GetSmoothingMode(), SmoothingModeAntiAlias);
  // Nothing of the beam on the canvas, and the page origin is back for
  // what the canvas draws next.
  const std::vector<TCanvasOp> ops = Rec.Recorder->CanvasOps();
  ASSERT_FALSE(ops.empty());
  EXPECT_EQ(ops.back().Kind, TCanvasOpKind::Text);
  EXPECT_EQ(ops.back().Origin, (TPoint{5, 7}));
  EXPECT_EQ(Rec.Canvas.ViewportOrg(), (TPoint{5, 7}));
}

TEST_F(StemTest, LedgerLinesAboveAndBelow) {
  struct Case {
    int position;
    std::vector<int> ys;
  };
  // The top line is at 100, the bottom line at 124, six pixels apart.
  const Case cases[] = {{-4, {94, 88}}, {-2, {94}}, {-1, {}}, {9, {}}, {10, {130}}, {12, {130, 136}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.position);
    Slot->ItemCount = 0;
    Head(NewNote(128), 400, c.position);  // head px 46..53
    const std::vector<TCanvasOp> lines = OpsOf(TCanvasOpKind::Line, Paint());
    std::vector<std::string> expected;
    for (int y : c.ys) expected.push_back("Line 44," + std::to_string(y) + " 55," + std::to_string(y));
    EXPECT_EQ(Describe(lines), expected);
    for (const auto& op : lines) EXPECT_EQ(op.Pen.Color, clSilver);
  }
  Window.Style = wsPrint;
  const std::vector<TCanvasOp> printed = OpsOf(TCanvasOpKind::Line, Paint());
  ASSERT_EQ(printed.size(), 2u);
  EXPECT_EQ(printed[0].Pen.Color, clBlack);
}

}  // namespace
}  // namespace qs::test
