// Lyrics, terms, instrument names and chord symbols. Arial 8 is 11 px em
// with a cell 12 px high; "ab" is 12 px wide, "abcd" 24, "h" 6, "el" 8.
#include <gtest/gtest.h>

#include "render_fixture.h"

namespace qs::test {
namespace {

class TextTest : public TRenderFixture {
 protected:
  // A staff text whose block is px (60, 100)-(80, 140) and whose hyphen
  // place is (50, 100).
  TQSLyric* StaffText(TQSItemType kind, std::vector<std::string> lines, uint8_t flags = 0, uint16_t angle = 0) {
    auto* t = static_cast<TQSLyric*>(CreateItemByKind(kind, Measure));
    t->Lines = std::move(lines);
    t->Fields.Flags = flags;
    t->Fields.Angle = angle;
    t->Fields.Color = 0x00A000;
    Element(t, {400, 800, 440, 896})->Box2 = {480, 800, 640, 1120};
    return t;
  }
};

TEST_F(TextTest, LyricWithItsHyphenAndAlignment) {
  ASSERT_EQ(TextWidth(FontOf("Arial", 8), u"la"), 8);
  TQSLyric* lyric = StaffText(kind::Lyric, {"la"}, TQSLyric::kHyphen);
  std::vector<TCanvasOp> ops = Paint();
  EXPECT_EQ(Describe(ops), (TStrings{TextAt("-", 50, 100), TextAt("la", 60, 100)}));
  for (const TCanvasOp& op : ops) {
    EXPECT_EQ(op.Font.Name, "Arial");
    EXPECT_EQ(op.Font.Height, -11);  // 8 points when the size is 0
    EXPECT_EQ(op.Font.Color, 0x00A000u);
    EXPECT_EQ(op.Brush.Style, bsClear);
  }
  // Centred in its block; the score's scale does not enter the size, the
  // zoom does, print does not.
  lyric->Fields.Flags = 0x10;
  Score.Scale = 200;
  EXPECT_EQ(PaintDescribed(), TStrings{TextAt("la", 66, 100)});
  EXPECT_EQ(Paint().back().Font.Height, -11);
  EXPECT_EQ(Paint(200).back().Font.Height, -21);
  Window.Style = wsPrint;
  EXPECT_EQ(Paint(200).back().Font.Height, -11);
}

TEST_F(TextTest, RotatedTermStaysInItsBox) {
  // Turned by 90 degrees: the block (24 wide, two lines of 12) starts
  // [24 sin 90] = 24 lower, and the second line stands 12 to the right.
  StaffText(kind::Term, {"ab", "abcd"}, 0, 90);
  const std::vector<TCanvasOp> ops = Paint();
  EXPECT_EQ(Describe(ops), (TStrings{TextAt("ab", 60, 124), TextAt("abcd", 72, 124)}));
  EXPECT_EQ(ops[0].Font.Escapement, 900);
  EXPECT_EQ(ops[0].Font.Height, -11);
  EXPECT_EQ(Rec.Canvas.Font().Escapement, 0);  // the turned font does not stay
}

TEST_F(TextTest, TextUnderEditingShowsItsSelectionUnturned) {
  StaffText(kind::Term, {"hello", "world"}, 0, 90);
  Window.EditedElement = Slot->Items.At(0);
  Window.EditSelection = {0, 1, 0, 3, 0, 0};  // "el"
  const std::vector<TCanvasOp> ops = Paint();
  EXPECT_EQ(Describe(ops), (TStrings{TextAt("h", 60, 100), TextAt("el", 66, 100), TextAt("lo", 74, 100),
                                     TextAt("world", 60, 112)}));
  EXPECT_EQ(ops[0].Font.Escapement, 0);
  EXPECT_EQ(ops[0].Brush.Style, bsClear);
  EXPECT_EQ(ops[1].Font.Color, clWhite);
  EXPECT_EQ(ops[1].Brush, (TBrush{0xB59284, bsSolid, nullptr}));
  EXPECT_EQ(ops[2].Font.Color, 0x00A000u);
  EXPECT_EQ(ops[2].Brush.Style, bsClear);
  // A selection across lines, given end first.
  Window.EditSelection = {1, 2, 0, 4, 0, 0};
  EXPECT_EQ(PaintDescribed(), (TStrings{TextAt("hell", 60, 100), TextAt("o", 60 + TextWidth(FontOf("Arial", 8), u"hell"), 100),
                                        TextAt("wo", 60, 112), TextAt("rld", 60 + TextWidth(FontOf("Arial", 8), u"wo"), 112)}));
}

TEST_F(TextTest, InstrumentNameWithoutLinesShowsEmpty) {
  StaffText(kind::InstrumentName, {}, 0, 90);
  EXPECT_EQ(PaintDescribed(), TStrings{TextAt("Empty", 60, 100)});
}

TEST_F(TextTest, ChordSymbolFragmentsTakeEachAxisZoom) {
  auto* chord = static_cast<TQSChord*>(CreateItemByKind(kind::Chord, Measure));
  chord->Patterns.resize(2);
  chord->Patterns[0].Text = "C";
  chord->Patterns[1].Text = "7";
  chord->Patterns[1].Fields.Size = 6;
  chord->Patterns[1].Fields.Style = fsBold;
  chord->Patterns[1].StartX = 80;
  chord->Patterns[1].Y = 160;
  Element(chord, {400, 800, 640, 960});
  // Twice as wide as high, as on some printers: the box's top-left is
  // (100, 100); the second fragment 20 px right and 20 px down.
  Rec.Recorder->Clear();
  Window.PaintPage(0, Rec.Canvas, nullptr, 200, 100, 0, 0);
  std::vector<TCanvasOp> ops = Rec.Recorder->CanvasOps();
  ops.erase(ops.begin(), ops.begin() + 6);
  EXPECT_EQ(Describe(ops), (TStrings{TextAt("C", 100, 100), TextAt("7", 120, 120)}));
  EXPECT_EQ(ops[0].Font.Height, -21);  // Font8 at zoom 200: 16 points
  EXPECT_EQ(ops[1].Font.Height, -16);  // 6 x 200 / 100 = 12 points
  EXPECT_TRUE(ops[1].Font.Bold());
}

}  // namespace
}  // namespace qs::test
