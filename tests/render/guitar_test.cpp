// Bends, chord frames, barres, flageolets and barre brackets at zoom 100,
// scale 100: W05 = 0, W1 = 1, W2 = 2, W4 = 4, W6 = 6; the arrow of a bend
// is 5 px long and 1 px to each side.
#include <gtest/gtest.h>

#include "render_fixture.h"

namespace qs::test {
namespace {

class GuitarTest : public TRenderFixture {
 protected:
  TQSBend* Bend(uint8_t variant, uint16_t rise, uint16_t second = 0, uint16_t release = 0) {
    auto* b = static_cast<TQSBend*>(CreateItemByKind(kind::Bend, Measure));
    b->Fields.Kind = variant;
    b->Fields.RiseWidth = rise;
    b->Fields.SecondWidth = second;
    b->Fields.ReleaseWidth = release;
    // From (50, 100) at the note up to the bent pitch at y 80.
    Element(b, {368, 576, 640, 864})->Box2 = {400, 640, 560, 800};
    return b;
  }
  // A six-string frame of four rows in px (50, 100)-(100, 150).
  TQSFrame* Frame(uint8_t start, std::vector<std::pair<uint8_t, uint8_t>> fingerAndRow) {
    auto* f = static_cast<TQSFrame*>(CreateItemByKind(kind::Frame, Measure));
    f->SetStringCount(6);
    f->SetUsedFretCount(4);
    f->Fields.StartFret = start;
    for (size_t i = 0; i < fingerAndRow.size(); ++i) {
      f->Strings[i].Finger = fingerAndRow[i].first;
      f->Strings[i].Fret = fingerAndRow[i].second;
    }
    Element(f, {400, 800, 800, 1200});
    return f;
  }
};

TEST_F(GuitarTest, BendsWithArrowsAndTheHalfSign) {
  // The one-half sign: "1" W4 up and left of its point, a stroke across,
  // "2" at the point.
  auto half = [](int x, int y) {
    return TStrings{TextAt("1", x - 4, y - 4), "Line " + std::to_string(x - 2) + "," + std::to_string(y + 2) + " " +
                                                   std::to_string(x + 2) + "," + std::to_string(y - 2),
                    TextAt("2", x, y)};
  };
  auto join = [](TStrings a, const TStrings& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
  };
  struct Case {
    uint8_t variant;
    uint16_t second, release;
    TStrings expected;
  };
  const Case cases[] = {
      // a straight rise of 20 px, the sign W6 above its tip
      {0, 0, 0, join({"Line 50,100 70,80", "Polygon 70,80 66,83 67,84"}, half(70, 74))},
      // a curved rise: a quarter of the ellipse about (50, 80)
      {1, 0, 0, join({"Arc 30,60,70,100 50,100 70,80", "Polygon 70,80 68,85 70,85"}, half(70, 74))},
      // a release of 20 px back down, the sign W2 below its end
      {2, 160, 0,
       join({"Line 50,100 70,80", "Polygon 70,80 66,83 67,84", "Arc 50,80,90,120 90,100 70,80",
             "Polygon 90,100 88,95 90,95"},
            half(90, 102))},
      // held for 10 px before the release
      {4, 80, 160,
       join({"Line 50,100 70,80", "Polygon 70,80 66,83 67,84", "Line 70,80 80,80", "Arc 60,80,100,120 100,100 80,80",
             "Polygon 100,100 98,95 100,95"},
            half(100, 102))},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.variant);
    Slot->ItemCount = 0;
    Bend(c.variant, 160, c.second, c.release)->Fields.Color = 0x800000;
    const std::vector<TCanvasOp> ops = Paint();
    EXPECT_EQ(Describe(ops), c.expected);
    EXPECT_EQ(ops[0].Pen.Width, 0);
    EXPECT_EQ(ops[0].Pen.Color, 0x800000u);
    EXPECT_EQ(ops[1].Brush.Style, bsSolid);
    EXPECT_EQ(ops.back().Font.Height, -5);  // Arial at 4 points
  }
  // The selection frame goes about the hit box, not the curve's box.
  Select(Slot->Items.At(0));
  EXPECT_EQ(PaintDescribed()[8], "Polyline 46,74 46,72 48,72");
}

TEST_F(GuitarTest, ChordFrameGridDotsAndLabels) {
  // Cell 6, lines 1 thick; strings from x0 = 53 to xn = 83; the nut at
  // y 108, the grid from y0 = 110 to 134. Strings: muted, 3rd finger on
  // row 3, 2nd on row 2, open, 1st on row 1 twice.
  Frame(0, {{255, 0}, {3, 3}, {2, 2}, {0, 0}, {1, 1}, {1, 1}});
  const int x = TextWidth(FontOf("Arial", 6), u"X"), d = TextWidth(FontOf("Arial", 6), u"0");
  auto label = [&](const char* s, int at, int w) { return TextAt(s, at - w / 2, 98); };
  const std::vector<TCanvasOp> ops = Paint();
  EXPECT_EQ(Describe(ops),
            (TStrings{"FillRect 53,108,84,109",
                      // outline, inner strings, inner frets
                      "FillRect 53,110,83,111", "FillRect 53,110,54,135", "FillRect 53,134,83,135",
                      "FillRect 83,110,84,135", "FillRect 53,110,54,135", "FillRect 59,110,60,135",
                      "FillRect 65,110,66,135", "FillRect 71,110,72,135", "FillRect 77,110,78,135",
                      "FillRect 53,116,84,117", "FillRect 53,122,84,123", "FillRect 53,128,84,129",
                      // the dots; the two first fingers on row 1 join
                      "RoundRect 57,124,61,127 4x4", "RoundRect 63,118,67,121 4x4", "RoundRect 75,112,85,115 4x4",
                      "RoundRect 81,112,85,115 4x4",
                      label("X", 53, x), label("3", 59, d), label("2", 65, d), label("0", 71, d), label("1", 77, d),
                      label("1", 83, d)}));
  EXPECT_EQ(ops[0].Brush.Style, bsSolid);
  EXPECT_EQ(ops.back().Font.Height, -8);  // 6 points
}

TEST_F(GuitarTest, ChordFrameBarreAndStartFret) {
  // A barred row: the bar reaches the last string, whoever holds it.
  TQSFrame* f = Frame(0, {{0, 0}, {0, 0}, {0, 0}, {0, 0}, {1, 1}, {1, 1}});
  f->Barre[0] = 1;
  TStrings ops = PaintDescribed();
  EXPECT_EQ(ops[13], "RoundRect 75,112,86,115 4x4");
  EXPECT_EQ(ops[14], "RoundRect 81,112,86,115 4x4");
  // A finger on a row the frame does not show has no dot.
  f->Strings[0] = {0, 2, 9};
  EXPECT_EQ(PaintDescribed().size(), ops.size());
  // Starting at fret 5: no nut, one cell further right, "6" at the left.
  f->Fields.StartFret = 5;
  ops = PaintDescribed();
  EXPECT_EQ(ops.front(), "FillRect 59,108,89,109");
  EXPECT_EQ(ops.back(), TextAt("6", 50, 108));
  // From fret 9 on the number needs W2 more room.
  f->Fields.StartFret = 12;
  ops = PaintDescribed();
  EXPECT_EQ(ops.front(), "FillRect 61,108,91,109");
  EXPECT_EQ(ops.back(), TextAt("13", 50, 108));
}

TEST_F(GuitarTest, BarreFractionsLettersAndLines) {
  const TRect box{400, 736, 1200, 864};  // px (50, 92)-(150, 108), mid 100
  const TFont f8 = FontOf("Arial", 8);
  const int one = TextWidth(FontOf("Arial", 6), u"1");
  // Amount 3 (half the strings) at fret V: "1" over "2", then the numeral.
  TQSMark* m = NewMark(kind::Barre, Measure, 5);
  m->Fields.Style = 3;
  Element(m, box);
  EXPECT_EQ(PaintDescribed(), (TStrings{TextAt("1", 50, 92), "Line 51,100 " + std::to_string(51 + one) + ",100",
                                        TextAt("2", 50, 100), TextAt("V", 50 + one + 2, 94)}));
  // All strings, type "B", a line with a closing hook.
  m->Fields.Style = 0x90;
  m->Fields.Value = 1;
  const int x = 50 + TextWidth(f8, u"B") + TextWidth(f8, u"V");
  EXPECT_EQ(PaintDescribed(), (TStrings{TextAt("B", 50, 94), TextAt("V", 50 + TextWidth(f8, u"B"), 94),
                                        "Line " + std::to_string(x) + ",101 149,101", "Line 149,100 149,107"}));
}

TEST_F(GuitarTest, FlageoletAndBarreBracket) {
  const TRect box{400, 736, 1200, 864};
  TQSMark* m = NewMark(kind::Flageolet, Measure, 2);
  Element(m, box);
  std::vector<TCanvasOp> ops = Paint();
  EXPECT_EQ(Describe(ops), TStrings{TextAt("FL.III", 50, 93)});
  EXPECT_EQ(ops[0].Font.Height, -12);  // 9 points
  m->Fields.Style = 1;
  EXPECT_EQ(PaintDescribed(), TStrings{TextAt("III", 50, 93)});

  Slot->ItemCount = 0;
  Element(NewMark(kind::BarreBracket, Measure), {400, 720, 480, 880});
  EXPECT_EQ(PaintDescribed(), TStrings{"Polyline 53,90 50,90 50,110 53,110"});
}

}  // namespace
}  // namespace qs::test
