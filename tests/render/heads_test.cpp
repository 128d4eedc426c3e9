// Note heads, tablature frets, rests, dots, accidentals, repeat signs and
// multi-measure rests at zoom 100 and scale 100 (line spacing 6, W1 = 1,
// W2 = 2, W3 = 3, W4 = 4, W6 = 6, one and a half width [1.5] = 2).
#include <gtest/gtest.h>

#include "base/mathutil.h"
#include "platform/musicglyphs.h"
#include "render_fixture.h"

namespace qs::test {
namespace {


class HeadTest : public TRenderFixture {
 protected:
  int a16 = 0;
  void SetUp() override {
    TRenderFixture::SetUp();
    a16 = Ascent(Music());
  }
  TQSPause* NewRest(int length) {
    auto* r = new TQSPause(Measure);
    r->Fields.Length = r->Fields.RealLength = static_cast<uint16_t>(length);
    return r;
  }
};

TEST_F(HeadTest, HeadGlyphsByStyleAndLength) {
  Score.AddDrumInstrument("Cross", 0, 0, 'X', 0, "Arial", 50, 0);
  struct Case {
    int style;
    int length;
    TStrings ops;
  };
  // Stem-down heads stand at the box's left (px 46); the baseline is the
  // box top (109) + W3.
  const Case cases[] = {
      {0, 128, {GlyphAt(glyphs::NoteheadBlack, 46, 112 - a16)}},
      {1, 256, {GlyphAt(glyphs::NoteheadHalf, 46, 112 - a16)}},
      {4, 512, {GlyphAt(glyphs::NoteheadWhole, 46, 112 - a16)}},
      {255, 1024, {GlyphAt(glyphs::NoteheadDoubleWhole, 46, 112 - a16)}},
      {3, 128, {GlyphAt(glyphs::NoteheadDiamondBlack, 46, 112 - a16)}},
      {3, 256, {GlyphAt(glyphs::NoteheadDiamondHalf, 46, 112 - a16)}},
      // drum head 0: its own font at half the size
      {5, 128, {TextAt("X", 46, 112 - Ascent(FontOf("Arial", 8)))}},
      // beyond the drum table
      {9, 128, {GlyphAt(glyphs::NoteheadXBlack, 46, 112 - a16)}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.style) + "/" + std::to_string(c.length));
    Slot->ItemCount = 0;
    TQSNote* n = NewNote(c.length, 0, true);
    n->Fields.HeadStyle = static_cast<uint8_t>(c.style);
    Head(n, 400, 4);
    EXPECT_EQ(PaintDescribed(), c.ops);
  }
}

TEST_F(HeadTest, SlashHeadAndBrackets) {
  TQSNote* slash = NewNote(128);
  slash->Fields.HeadStyle = headstyle::Slash;
  Element(slash, {380, 824, 420, 968});  // px (47,103)-(52,121)
  TQSNote* bracketed = NewNote(128, 0, true);
  bracketed->SetEnclosure(2);
  Head(bracketed, 800, 4);  // px (96,109)-(103,115)
  EXPECT_EQ(PaintDescribed(), (TStrings{
                                  "Polygon 47,121 47,106 52,103 52,118",
                                  GlyphAt(glyphs::NoteheadBlack, 96, 112 - a16),
                                  TextAt("[", 96 - 3, 109 - 4),
                                  TextAt("]", 103 + 1, 109 - 4),
                              }));
}

TEST_F(HeadTest, UnisonOfTwoVoicesDrawsOneHeadAndBothStems) {
  TQSNote* upper = NewNote(128, 0);
  TQSNote* lower = NewNote(128, 1, true);
  Head(upper, 400, 4);
  Stem(upper, 400, 4);
  Head(lower, 400, 4)->Flags = 1;
  Stem(lower, 400, 4);
  EXPECT_EQ(PaintDescribed(), (TStrings{
                                  "Polygon 52,92 53,92 53,111 52,111",
                                  "Polygon 46,113 47,113 47,132 46,132",
                                  GlyphAt(glyphs::NoteheadBlack, 53 - GlyphWidth(Music(), glyphs::NoteheadBlack), 112 - a16),
                              }));
}

TEST_F(HeadTest, TablatureFrets) {
  Staff->Fields.Tablature = 1;
  Staff->Fields.LineCount = 6;
  Score.Page.Fields.Color = 0xF0F8FF;
  struct Case {
    int fret;
    int length;
    TStrings ops;
  };
  // Box px (50,97)-(56,103); the number stands a pixel right and W1 up.
  const Case cases[] = {
      {0, 128, {"FillRect 50,97,56,103", TextAt("N", 51, 96)}},
      {4, 128, {"FillRect 50,97,56,103", TextAt("3", 51, 96)}},
      // longer than a quarter: circled
      {4, 256, {"FillRect 50,97,56,103", TextAt("3", 51, 96), "Ellipse 50,96,59,105"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.fret);
    Slot->ItemCount = 0;
    TQSNote* n = NewNote(c.length);
    n->Fields.TabFret = static_cast<uint8_t>(c.fret);
    Element(n, {400, 776, 448, 824});
    const std::vector<TCanvasOp> ops = Paint();
    EXPECT_EQ(Describe(ops), c.ops);
    EXPECT_EQ(ops[0].Brush.Color, 0xF0F8FFu);
    EXPECT_EQ(ops[1].Font.Height, -MulDiv(7, 96, 72));
    if (ops.size() > 2) {
      EXPECT_EQ(ops[2].Brush.Style, bsClear);
    }
  }
}

TEST_F(HeadTest, Rests) {
  Slot->Length = 384;  // 3/4
  struct Case {
    int length;
    TRect box;
    uint8_t state;
    TStrings ops;
  };
  const Case cases[] = {
      // glyph rests: baseline 1.5 spaces below the box top (106)
      {128, {400, 848, 456, 992}, 0, {GlyphAt(glyphs::RestQuarter, 50, 115 - a16)}},
      {64, {400, 848, 456, 992}, 0, {GlyphAt(glyphs::Rest8th, 50, 115 - a16)}},
      {32, {400, 848, 456, 992}, 0, {GlyphAt(glyphs::Rest16th, 50, 115 - a16)}},
      {16, {400, 848, 456, 992}, 0, {GlyphAt(glyphs::Rest32nd, 50, 115 - a16)}},
      {8, {400, 848, 456, 992}, 0, {GlyphAt(glyphs::Rest64th, 50, 115 - a16)}},
      {4, {400, 848, 456, 992}, 0, {GlyphAt(glyphs::Rest128th, 50, 115 - a16)}},
      // whole and half rests are filled boxes, with a ledger stroke outside the staff
      {512, {400, 848, 448, 872}, 0, {"FillRect 50,106,56,109"}},
      {512, {400, 656, 448, 680}, 1, {"FillRect 50,82,56,85", "FillRect 47,81,59,82"}},
      {256, {400, 872, 448, 896}, 0, {"FillRect 50,109,56,112"}},
      {256, {400, 1064, 448, 1088}, 1, {"FillRect 50,133,56,136", "FillRect 47,136,59,137"}},
      // a rest filling a 3/4 measure is drawn as the layout places it: whole
      {384, {400, 848, 448, 872}, 0, {"FillRect 50,106,56,109"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.length) + "/" + std::to_string(c.state));
    Slot->ItemCount = 0;
    Element(NewRest(c.length), c.box)->State = c.state;
    EXPECT_EQ(PaintDescribed(), c.ops);
  }
}

TEST_F(HeadTest, DottedRestAndItsHiddenTwin) {
  TQSPause* rest = NewRest(128);
  TQSMark* dots = NewMark(kind::Dot, rest, 0, 1);  // two dots
  Element(rest, {400, 848, 456, 992});
  Element(dots, {480, 800, 560, 896});  // px (60,100)-(70,112), mid 106
  EXPECT_EQ(PaintDescribed(), (TStrings{
                                  GlyphAt(glyphs::RestQuarter, 50, 115 - a16),
                                  // radius W1, the first W2 in, the next W5 further
                                  "Ellipse 61,105,63,107",
                                  "Ellipse 66,105,68,107",
                              }));
  rest->Fields.Flags |= TQSPause::kHidden;
  Window.SelPieces.push_back(std::make_unique<TQSSelPiece>(TQSSelPiece{Piece, {{dots->LayoutLink}}}));
  EXPECT_TRUE(PaintDescribed().empty());
}

TEST_F(HeadTest, Accidentals) {
  struct Case {
    uint8_t kind;
    int glyph;
    int offset;  // below the box top (100)
  };
  const Case cases[] = {{0, 64, 12}, {1, 'A', 12}, {2, 'B', 9},   {3, 'C', 3},    {4, 'D', 9}, {5, 'E', 10},
                        {6, 'F', 9}, {101, 230, 12}, {104, 233, 9}, {138, 239, 9}, {7, 0, 0}};
  TQSNote* note = NewNote(128);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.kind);
    Slot->ItemCount = 0;
    Element(NewMark(kind::Accidental, note, c.kind), {320, 800, 368, 992});  // px (40,100)-(46,124)
    EXPECT_EQ(PaintDescribed(), TStrings{GlyphAt(c.glyph, 40, 100 + c.offset - a16)});
  }
  Slot->ItemCount = 0;
  TQSMark* sharp = NewMark(kind::Accidental, note, 2);
  sharp->Fields.Style = 0x04;
  Element(sharp, {320, 800, 368, 992});
  EXPECT_EQ(PaintDescribed(), (TStrings{GlyphAt(glyphs::AccidentalSharp, 40, 109 - a16), TextAt("(", 37, 109 - 6 - 1), TextAt(")", 46, 102)}));
}

TEST_F(HeadTest, RepeatSigns) {
  const TRect box{600, 848, 720, 944};  // px (75,106)-(90,118), mid 112
  Element(NewMark(kind::NoteRepeat, Measure, 0), box);
  EXPECT_EQ(PaintDescribed(), TStrings{"Polygon 75,118 77,118 89,106 87,106"});
  Slot->ItemCount = 0;
  Element(NewMark(kind::BarRepeat, Measure, 0), box);
  EXPECT_EQ(PaintDescribed(), (TStrings{
                                  "Ellipse 77,106,81,110",
                                  "Polygon 75,118 77,118 89,106 87,106",
                                  "Ellipse 82,114,86,118",
                              }));
  // At 75 %: W6 = [4.5] = 4, W4 = 3, W3 = [2.25] = 2, W2 = [1.5] = 2,
  // W1 = 1, one and a half width [1.125] = 1.
  Slot->ItemCount = 0;
  Element(NewMark(kind::BarRepeat, Measure, 1), box)->SizePercent = 75;
  EXPECT_EQ(PaintDescribed(), (TStrings{
                                  "Ellipse 77,108,79,110",
                                  "Polygon 75,118 76,118 84,106 83,106",
                                  "Polygon 78,118 79,118 87,106 86,106",
                                  "Ellipse 83,114,86,116",
                              }));
}

TEST_F(HeadTest, MultiMeasureRests) {
  const TFont bold9 = FontOf("Arial", 9, fsBold);
  const int H = GetTextMetrics(bold9).Height;
  auto number = [&](const std::string& s, int top) {
    return TextAt(s, 50 + (100 - TextWidth(bold9, std::u16string(s.begin(), s.end()))) / 2, top - H);
  };
  struct Case {
    int count;
    TRect bar;  // Box2
    TStrings ops;
  };
  const Case cases[] = {
      // two spaces high, from the second line to the fourth: px (50,106)-(150,118)
      {4, {400, 848, 1200, 944}, {"FillRect 50,106,150,118", number("4", 106)}},
      {3, {400, 848, 1200, 896}, {"FillRect 50,106,53,112", "FillRect 56,106,150,109", number("3", 106)}},
      // the H bar between the middle of the second and third spaces: px (50,109)-(150,115)
      {12, {400, 872, 1200, 920},
       {"FillRect 50,109,51,115", "FillRect 149,109,150,115", "FillRect 51,110,149,114", number("12", 109)}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.count);
    Slot->ItemCount = 0;
    TQSMark* m = NewMark(kind::MultiRest, Column, 0, static_cast<uint16_t>(c.count));
    TQSCalcItem* e = Element(m, {720, 700, 880, 848});
    e->Box2 = c.bar;
    const std::vector<TCanvasOp> ops = Paint();
    EXPECT_EQ(Describe(ops), c.ops);
    EXPECT_TRUE(ops.back().Font.Bold());
    EXPECT_EQ(ops.back().Brush.Style, bsClear);
  }
  // Selected: the frame goes round the number's box, px (90,87)-(110,106).
  Window.SelPieces.push_back(std::make_unique<TQSSelPiece>(TQSSelPiece{Piece, {{Slot->Items.At(0)}}}));
  const TStrings ops = PaintDescribed();
  ASSERT_EQ(ops.size(), 8u);
  EXPECT_EQ(ops[4], "Polyline 90,89 90,87 92,87");
  EXPECT_EQ(ops[6], "Polyline 110,104 110,106 108,106");
}

}  // namespace
}  // namespace qs::test
