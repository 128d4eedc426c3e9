// Section barlines with repeat dots, voltas, ottava lines, jumps and user
// symbols at zoom 100, scale 100: W1 = 1, W2 = 2, W3 = 3, W4 = 4, W8 = 8.
#include <gtest/gtest.h>

#include "platform/musicglyphs.h"
#include "render_fixture.h"
#include "score/pageobjects.h"

namespace qs::test {
namespace {

class SectionTest : public TRenderFixture {
 protected:
  TQSMark* Place(TQSItemType kind, uint8_t variant, TRect box, uint16_t value = 0) {
    TQSMark* m = NewMark(kind, Column, variant, value);
    Element(m, box);
    return m;
  }
};

TEST_F(SectionTest, BarlinesAndRepeatDots) {
  // The staff's lines are at y 100 ... 124 (spacing 6): the dots sit in
  // the two middle spaces, at 109 and 115, radius W1.
  const TRect box{400, kTop, 464, kBottom};  // px (50, 100)-(58, 124)
  struct Case {
    TQSItemType kind;
    TStrings expected;
  };
  const Case cases[] = {
      {kind::RepeatOpen,
       {"Rectangle 50,100,52,124", "Rectangle 54,100,55,124", "Ellipse 56,108,58,110", "Ellipse 56,114,58,116"}},
      {kind::RepeatClose,
       {"Ellipse 50,108,52,110", "Ellipse 50,114,52,116", "Rectangle 53,100,54,124", "Rectangle 56,100,58,124"}},
      {kind::SectionEnd, {"Rectangle 50,100,51,124", "Rectangle 53,100,54,124"}},
      {kind::CompositionEnd, {"Rectangle 50,100,51,124", "Rectangle 53,100,55,124"}},
      {kind::CompositionBegin, {"Rectangle 50,100,52,124", "Rectangle 54,100,55,124"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.kind);
    Slot->ItemCount = 0;
    Place(c.kind, 0, box)->Fields.Color = 0x404040;
    const std::vector<TCanvasOp> ops = Paint();
    EXPECT_EQ(Describe(ops), c.expected);
    EXPECT_EQ(ops[0].Pen, (TPen{0x404040, 1, psSolid, pmCopy}));
    EXPECT_EQ(ops[0].Brush.Style, bsSolid);
  }
}

TEST_F(SectionTest, RepeatDotsOnEveryStaffTheBarlineSpans) {
  // A second staff below the first, 12 spaces lower.
  TQSStaff* second = new TQSStaff(Part);
  TQSCalcStaff* row = Page->StaffRows.Need(1);
  row->Page = Page;
  row->System = System;
  row->Staff = second;
  row->Top = row->TopLine = kTop + 12 * kSpace;
  row->Bottom = row->BottomLine = kBottom + 12 * kSpace;
  Page->StaffRowCount = 2;
  System->LastRow = 1;
  Place(kind::RepeatOpen, 0, {400, kTop, 464, kBottom + 12 * kSpace});
  const TStrings ops = PaintDescribed();
  ASSERT_EQ(ops.size(), 5u + 2 + 4);  // the rest of the staff lines come first
  EXPECT_EQ(ops[7], "Ellipse 56,108,58,110");
  EXPECT_EQ(ops[10], "Ellipse 56,186,58,188");
}

TEST_F(SectionTest, VoltaOttavaAndJumps) {
  const int a16 = Ascent(Music());
  const int eight = TextWidth(FontOf("Arial", 6), u"8");
  struct Case {
    TQSItemType kind;
    uint8_t variant;
    TRect box;
    TStrings expected;
  };
  const Case cases[] = {
      // px (50, 80)-(200, 90): the number, then the bracket open at the left
      {kind::Volta, 1, {400, 640, 1600, 720},
       {TextAt("1", 53, 81), "Polyline 51,88 51,81 199,81 199,90"}},
      // px (50, 88)-(200, 96), mid 92: "8", a dotted line, the hook toward the notes
      {kind::Ottava, 0, {400, 704, 1600, 768},
       {TextAt("8", 50, 88), "Line " + std::to_string(50 + eight) + ",93 199,93", "Line 199,92 199,95"}},
      {kind::Ottava, 1, {400, 704, 1600, 768},
       {TextAt("8", 50, 88), "Line " + std::to_string(50 + eight) + ",93 199,93", "Line 199,92 199,89"}},
      {kind::Segno, 0, {400, 752, 480, 848}, {GlyphAt(glyphs::Segno, 50, 100 - a16)}},
      {kind::Coda, 0, {400, 752, 480, 848}, {GlyphAt(glyphs::Coda, 50, 100 - a16)}},
      {kind::DaCapo, 0, {400, 752, 480, 848}, {TextAt("D.C.", 50, 94)}},
      {kind::DalSegno, 0, {400, 752, 480, 848}, {TextAt("D.S.", 50, 94)}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.kind) + "/" + std::to_string(c.variant));
    Slot->ItemCount = 0;
    Place(c.kind, c.variant, c.box);
    const std::vector<TCanvasOp> ops = Paint();
    EXPECT_EQ(Describe(ops), c.expected);
    if (c.kind == kind::DalSegno) {
      EXPECT_TRUE(ops[0].Font.Italic());
    } else if (c.kind == kind::Ottava) {
      EXPECT_EQ(ops[1].Pen.Style, psDot);
    }
  }
  EXPECT_FALSE(Rec.Canvas.Font().Italic());  // the style does not stay
  // Jumps keep their colour whatever the cursor's voice; an ottava does not.
  Window.DataStyle = dsActiveVoice;
  Window.CursorPosition.Voice = 1;
  EXPECT_EQ(Paint()[0].Font.Color, clBlack);
  Slot->ItemCount = 0;
  Place(kind::Ottava, 0, {400, 704, 1600, 768});
  EXPECT_EQ(Paint()[0].Font.Color, clGray);
}

TEST_F(SectionTest, UserSymbolsDrawTheirObjectsAtTheirPlace) {
  TQSUserSymbol* symbol = Score.AddUserSymbol("cross");
  auto* line = static_cast<TQSLine*>(CreateItemByKind(kind::Line, symbol));
  symbol->Items.Add(line);
  line->Fields = {0, 0, 80, 80, 0, 0, 1, 0x0000FF, 0};
  // Index 0 at px (50, 90); index 1 is beyond the table.
  TQSCalcItem* known = Element(NewMark(kind::UserSymbolMark, Measure, 0, 0), {400, 720, 480, 800});
  TQSCalcItem* unknown = Element(NewMark(kind::UserSymbolMark, Measure, 0, 1), {800, 720, 880, 800});
  Select(known);
  Select(unknown);
  const std::vector<TCanvasOp> ops = Paint();
  ASSERT_EQ(ops.size(), 1u + 4);  // the line, and one selection frame
  EXPECT_EQ(Describe(ops[0]), "Line 50,90 60,100");
  EXPECT_EQ(ops[0].Pen.Color, 0x0000FFu);
  EXPECT_EQ(Describe(ops[1]), "Polyline 50,92 50,90 52,90");
}

}  // namespace
}  // namespace qs::test
