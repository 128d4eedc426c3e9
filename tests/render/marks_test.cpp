// Ornaments, articulations and technique marks at zoom 100, scale 100:
// W1 = 1, W2 = 2, W3 = 3, W4 = 4, W6 = 6, W8 = 8, the half width h = 0.
#include <gtest/gtest.h>

#include "platform/musicglyphs.h"
#include "render_fixture.h"

namespace qs::test {
namespace {

class MarkTest : public TRenderFixture {
 protected:
  int a16 = 0;
  void SetUp() override {
    TRenderFixture::SetUp();
    a16 = Ascent(Music());
  }
  TQSMark* Place(TQSItemType kind, uint8_t variant, uint16_t value, TRect box, uint8_t style = 0) {
    // Glissandos, falls and lifts belong to a note.
    TQSItemOwner* owner = kind <= kind::Lift ? static_cast<TQSItemOwner*>(NewNote(128)) : Measure;
    TQSMark* m = NewMark(kind, owner, variant, value);
    m->Fields.Style = style;
    Element(m, box);
    return m;
  }
  std::vector<TCanvasOp> Only(TQSItemType kind, uint8_t variant, uint16_t value, TRect box, uint8_t style = 0) {
    Slot->ItemCount = 0;
    Place(kind, variant, value, box, style);
    return Paint();
  }
};

TEST_F(MarkTest, SingleGlyphsByKindAndVariant) {
  // Box px (50, 94): the glyph's baseline is W6, W8 or W4 below the top.
  const TRect box{400, 752, 480, 848};
  struct Case {
    TQSItemType kind;
    uint8_t variant, style;
    int code, lift;  // code -1: nothing
  };
  const Case cases[] = {
      {kind::Glissando, 0, 0, 'Z', 6}, {kind::Glissando, 0, 1, '[', 6}, {kind::Glissando, 1, 1, 'Z', 6},
      {kind::Glissando, 1, 0, '[', 6}, {kind::Fall, 0, 0, '\\', 6},     {kind::Fall, 1, 0, ']', 6},
      {kind::Lift, 0, 0, '^', 6},      {kind::Trill, 1, 0, 157, 6},     {kind::Trill, 4, 0, 160, 6},
      {kind::Trill, 0, 0, -1, 0},      {kind::Gruppetto, 0, 0, 124, 6}, {kind::Gruppetto, 1, 0, '}', 6},
      {kind::Gruppetto, 2, 0, '~', 6}, {kind::Gruppetto, 3, 0, 127, 6}, {kind::Mordent, 0, 0, 134, 6},
      {kind::Mordent, 3, 0, 137, 6},   {kind::Fermata, 0, 0, 140, 6},   {kind::Fermata, 1, 0, 141, 6},
      {kind::Fermata, 5, 0, 142, 6},   {kind::Fermata, 8, 0, 145, 6},   {kind::Fermata, 2, 0, -1, 0},
      {kind::Accent, 0, 0, 164, 6},    {kind::Accent, 1, 0, 166, 6},    {kind::Accent, 3, 0, 165, 6},
      {kind::Accent, 10, 0, 168, 6},   {kind::Accent, 23, 0, 181, 6},   {kind::Accent, 2, 0, -1, 0},
      {kind::Pedal, 0, 0, '{', 6},     {kind::Pedal, 1, 0, 'z', 8},     {kind::Pedal, 2, 0, -1, 0},
      {kind::StringNumber, 1, 0, 148, 8}, {kind::StringNumber, 8, 0, 155, 8}, {kind::Breath, 5, 0, 128, 6},
      {kind::HiHat1, 0, 0, 'g', 4},    {kind::HiHat2, 0, 0, 'h', 4},    {kind::Bowing, 0, 0, 130, 6},
      {kind::Bowing, 1, 0, 131, 6},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.kind) + "/" + std::to_string(c.variant));
    const std::vector<TCanvasOp> ops = Only(c.kind, c.variant, 0, box, c.style);
    if (c.code < 0) {
      EXPECT_TRUE(ops.empty());
      continue;
    }
    ASSERT_EQ(ops.size(), 1u);
    EXPECT_EQ(Describe(ops[0]), GlyphAt(c.code, 50, 94 + c.lift - a16));
    EXPECT_EQ(ops[0].Font.Height, -21);  // 16 points
    EXPECT_EQ(ops[0].Font.Quality, c.kind == kind::Accent ? 0 : 4);
  }
}

TEST_F(MarkTest, TrillWithItsWavyLine) {
  // Box px (50, 94)-(90, 106), mid 100. The glyph is 12 px wide, so the
  // line starts at x0 = 63; period W6 = 6; thick strokes (pen W2) while
  // x < 84, then thin ones (pen W1) back from the last x to x0.
  ASSERT_EQ(GlyphWidth(Music(), glyphs::OrnamentTrill), 12);
  const std::vector<TCanvasOp> ops = Only(kind::Trill, 1, 1, {400, 752, 720, 848});
  EXPECT_EQ(Describe(ops), (TStrings{GlyphAt(glyphs::OrnamentTrill, 50, 100 - a16), "Line 63,100 66,102", "Line 69,100 72,102",
                                     "Line 75,100 78,102", "Line 81,100 84,102",
                                     // the right end, the middle, the left end
                                     "Line 84,102 86,101", "Line 78,102 81,100", "Line 72,102 75,100",
                                     "Line 66,101 69,100", "Line 60,101 63,100"}));
  for (size_t i = 1; i < ops.size(); ++i) EXPECT_EQ(ops[i].Pen.Width, i <= 4 ? 2 : 1) << i;
  // A vibrato of kind 2 uses the thin pen throughout, twice as high.
  const std::vector<TCanvasOp> vibrato = Only(kind::Vibrato, 2, 0, {400, 752, 480, 848});
  EXPECT_EQ(Describe(vibrato), (TStrings{"Line 50,100 53,104", "Line 53,104 56,100", "Line 47,104 50,100"}));
  for (const TCanvasOp& op : vibrato) EXPECT_EQ(op.Pen.Width, 1);
}

TEST_F(MarkTest, WavyLineEndsAtTheSmallestSizes) {
  // Scale 20 at zoom 25: the period W6 rounds to 0 pixels; the line still
  // ends, one pixel per wave.
  Score.Scale = 20;
  Place(kind::Vibrato, 0, 0, {400, 752, 1200, 848});
  EXPECT_FALSE(Paint(25).empty());
}

TEST_F(MarkTest, ArpeggioWavesAndArrows) {
  // Box px (50, 90)-(55, 120); two waves of W8 = 8.
  const TRect box{400, 720, 440, 960};
  struct Case {
    const char* what;
    uint8_t style;
    uint16_t waves;
    TStrings expected;
  };
  const Case cases[] = {
      {"arrow up", 1, 2,
       {"Line 50,100 53,96", "Line 50,108 53,104", "Line 51,108 50,108", "Line 53,104 50,100", "Line 53,96 51,92",
        "Polygon 52,90 54,94 50,94"}},
      {"arrow down", 2, 2,
       {"Line 50,110 53,114", "Line 50,102 53,106", "Line 51,102 50,102", "Line 53,106 50,110", "Line 53,114 51,118",
        "Polygon 52,120 54,116 50,116"}},
      {"no waves", 0, 0, {"Line 51,92 51,92"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::vector<TCanvasOp> ops = Only(kind::Arpeggio, 0, c.waves, box, c.style);
    EXPECT_EQ(Describe(ops), c.expected);
    if (c.waves == 2) {
      EXPECT_EQ(ops[0].Pen.Width, 2);
      EXPECT_EQ(ops[2].Pen.Width, 1);
      EXPECT_EQ(ops[5].Brush.Style, bsSolid);
    }
  }
}

TEST_F(MarkTest, FingeringAndHammerOnTexts) {
  const TRect box{400, 752, 480, 848};  // px (50, 94)
  struct Case {
    TQSItemType kind;
    uint8_t variant;
    std::string font;  // of the mark
    TStrings expected;
    std::string face;
    int height;
  };
  const Case cases[] = {
      {kind::Finger, 3, "", {TextAt("3", 50, 94)}, "Arial", -9},
      {kind::Finger, 5, "", {TextAt("5", 50, 94)}, "Arial", -9},
      // letters of the right hand, in the letter face, W4 higher, 9 points
      {kind::Finger, 12, "", {TextAt("i", 50, 90)}, "Monotype Corsiva", -12},
      {kind::Finger, 12, "Courier New", {TextAt("i", 50, 90)}, "Courier New", -12},
      {kind::Finger, 8, "", {}, "", 0},
      {kind::Hammer, 1, "", {TextAt("P", 50, 94)}, "Arial", -11},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.kind) + "/" + std::to_string(c.variant));
    Slot->ItemCount = 0;
    Place(c.kind, c.variant, 0, box)->FontName = c.font;
    const std::vector<TCanvasOp> ops = Paint();
    EXPECT_EQ(Describe(ops), c.expected);
    if (ops.empty()) continue;
    EXPECT_EQ(ops[0].Font.Name, c.face);
    EXPECT_EQ(ops[0].Font.Height, c.height);
    EXPECT_EQ(ops[0].Brush.Style, bsClear);
  }
}

TEST_F(MarkTest, DottedContinuationLinesAreOnePixelLines) {
  // A string number with a line: at zoom 100 one dotted line, at 300 the
  // half width is 2 and so two lines at mid and mid + 1.
  Place(kind::StringNumber, 2, 1, {400, 736, 1200, 864});
  std::vector<TCanvasOp> ops = Paint();
  ASSERT_EQ(GlyphWidth(Music(), glyphs::GuitarString2), 13);
  EXPECT_EQ(Describe(ops), (TStrings{GlyphAt(glyphs::GuitarString2, 50, 100 - a16), "Line 63,101 149,101"}));
  EXPECT_EQ(ops[1].Pen, (TPen{clBlack, 1, psDot, pmCopy}));
  EXPECT_EQ(ops[1].Brush.Style, bsClear);  // the dots' gaps stay open

  ops = Paint(300);
  const int x = 150 + GlyphWidth(Music(48), glyphs::GuitarString2);
  EXPECT_EQ(Describe(ops), (TStrings{GlyphAt(glyphs::GuitarString2, 150, 300 - Ascent(Music(48))),
                                     "Line " + std::to_string(x) + ",300 447,300",
                                     "Line " + std::to_string(x) + ",301 447,301"}));
  EXPECT_EQ(ops[2].Pen.Width, 1);
}

TEST_F(MarkTest, PalmMutingTextLineAndTick) {
  Place(kind::Muting, 1, 1, {400, 736, 1200, 864});  // px (50, 92)-(150, 108), mid 100
  const int w = TextWidth(FontOf("Arial", 8), u"P.M.");
  EXPECT_EQ(PaintDescribed(), (TStrings{TextAt("P.M.", 50, 93), "Line " + std::to_string(50 + w) + ",101 149,101",
                                        "Line 149,98 149,102"}));
}

TEST_F(MarkTest, SmallFigures) {
  struct Case {
    TQSItemType kind;
    uint8_t variant;
    uint16_t value;
    TRect box;
    TStrings expected;
  };
  const Case cases[] = {
      {kind::Hang, 0, 0, {400, 720, 480, 880}, {"Polyline 53,90 50,90 50,110"}},
      {kind::Hang, 1, 0, {400, 720, 480, 880}, {"Polyline 53,110 50,110 50,90"}},
      {kind::Bracket, 0, 0, {400, 720, 1200, 880}, {"Polyline 51,109 51,91 149,91 149,109"}},
      {kind::Bracket, 1, 0, {400, 720, 1200, 880}, {"Polyline 51,91 51,109 149,109 149,91"}},
      // x = L + W2 = 52, mid 100
      {kind::Staccato, 0, 0, {400, 784, 440, 816}, {"Ellipse 51,99,54,102"}},
      {kind::Portamento, 0, 0, {400, 784, 560, 816}, {"FillRect 51,99,69,101"}},
      {kind::Tremolo, 0, 2, {400, 720, 480, 800}, {"Line 50,94 60,91", "Line 50,97 60,94"}},
      {kind::Hand, 0, 0, {400, 720, 480, 880},
       {"Line 55,90 55,110", "Polyline 50,94 55,90 60,94", "Polyline 50,106 55,110 60,106"}},
      {kind::Hand, 1, 0, {400, 720, 480, 880}, {"Line 55,90 55,110"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.kind) + "/" + std::to_string(c.variant));
    EXPECT_EQ(Describe(Only(c.kind, c.variant, c.value, c.box)), c.expected);
  }
  // A selected hand sign has handles at both ends of its line.
  Select(Slot->Items.At(0));
  const TStrings ops = PaintDescribed();
  ASSERT_EQ(ops.size(), 1u + 4 + 2);
  EXPECT_EQ(ops[5], "Rectangle 52,87,58,93");
  EXPECT_EQ(ops[6], "Rectangle 52,107,58,113");
}

}  // namespace
}  // namespace qs::test
