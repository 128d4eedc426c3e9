// Clefs, key and time signatures, tempo marks, measure numbers and
// rehearsal marks at zoom 100 and scale 100: line spacing 6, W1 = 1, W2 = 2,
// W3 = 3, W5 = 5, W6 = 6, W7 = 7, W8 = 8, Font16 = 16 pt.
#include <gtest/gtest.h>

#include "platform/musicglyphs.h"
#include "render_fixture.h"

namespace qs::test {
namespace {


class SignTest : public TRenderFixture {
 protected:
  int a16 = 0;  // ascent of the music font at 16 points
  void SetUp() override {
    TRenderFixture::SetUp();
    a16 = Ascent(Music());
  }
  TQSMark* Place(TQSItemType kind, uint8_t variant, uint16_t value, TRect box, TQSItemOwner* owner = nullptr) {
    TQSMark* m = NewMark(kind, owner ? owner : Measure, variant, value);
    Element(m, box);
    return m;
  }
};

TEST_F(SignTest, EveryClefCode) {
  // One box for all codes: px (20, 88)-(30, 136), the treble clef's box
  // (a space and a half above and below the staff).
  const TRect box{160, 704, 240, 1088};
  const TFont italic8 = FontOf("Arial", 8, fsItalic);
  const int treble = 88 + 4 * 6 + 2 * 6, bass = 88 + 6, alto = 88 + 2 * 6;
  struct Case {
    int code;
    TStrings ops;
  };
  const Case cases[] = {
      {clef::Treble, {GlyphAt(glyphs::GClef, 20, treble - a16)}},
      {clef::Bass, {GlyphAt(glyphs::FClef, 20, bass - a16)}},
      {clef::Alto, {GlyphAt(glyphs::CClef, 20, alto - a16)}},
      {clef::TrebleOctaveUp, {GlyphAt(glyphs::GClef, 20, treble - a16), TextAt("8", 20 + 6 + 8, 88)}},
      {clef::TrebleOctaveDown, {GlyphAt(glyphs::GClef, 20, treble - a16), TextAt("8", 34, 88 + 18 + 16)}},
      {clef::BassOctaveDown, {GlyphAt(glyphs::FClef, 20, bass - a16), TextAt("8", 34, 88 + 12 + 16 - Ascent(italic8))}},
      {clef::BaritoneF, {GlyphAt(glyphs::FClef, 20, bass - a16)}},
      {clef::Tenor, {GlyphAt(glyphs::CClef, 20, alto - a16)}},
      {clef::Soprano, {GlyphAt(glyphs::CClef, 20, alto - a16)}},
      {clef::MezzoSoprano, {GlyphAt(glyphs::CClef, 20, alto - a16)}},
      {clef::BaritoneC, {GlyphAt(glyphs::CClef, 20, alto - a16)}},
      {clef::DoubleTreble, {GlyphAt(glyphs::GClef, 20, treble - a16), GlyphAt(glyphs::GClef, 26, treble - a16)}},
      // mid = 112: T at mid - 2 W8 - W1, A at mid - W7, B at mid + W3
      {clef::Tablature, {TextAt("T", 23, 95), TextAt("A", 23, 105), TextAt("B", 23, 115)}},
      // an open square: top bar, left bar, bottom bar, right bar
      {clef::Percussion1,
       {"FillRect 20,90,26,92", "FillRect 20,90,21,135", "FillRect 20,133,26,135", "FillRect 25,90,26,135"}},
      {clef::Percussion2, {"FillRect 20,94,22,130", "FillRect 24,94,26,130"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    Slot->ItemCount = 0;
    Place(kind::Clef, static_cast<uint8_t>(c.code), 0, box);
    const std::vector<TCanvasOp> ops = Paint();
    EXPECT_EQ(Describe(ops), c.ops);
    if (c.code == 1) {
      EXPECT_EQ(ops[0].Font.Quality, 4);  // small glyph quality from zoom 50
    } else if (c.code == 4) {
      EXPECT_TRUE(ops[1].Font.Italic());
    } else if (c.code == 13) {
      EXPECT_TRUE(ops[0].Font.Bold());
    }
  }
  // The italic of the octave figure does not stay with the canvas.
  EXPECT_FALSE(Rec.Canvas.Font().Italic());
}

TEST_F(SignTest, KeySignaturesSharpsFlatsAndCancellations) {
  // Box top 15 px above the top line: the first sign's baseline is the top
  // line (100); signs step W5 to the right.
  const TRect box{160, kTop - 120, 480, kTop + 192};
  struct Case {
    uint8_t kind;
    uint8_t cancels;
    uint8_t glyph;
    std::vector<int> ys;
  };
  const std::vector<int> sharps = {100, 109, 97, 106, 115, 103, 112};  // F C G D A E B
  const std::vector<int> flats = {112, 103, 115, 106, 118, 109, 121};  // B E A D G C F
  const Case cases[] = {
      {7, 0, 'B', sharps},
      {17, 0, 64, flats},
      {10, 0, 64, {112}},                  // no flats still draws the first
      {9, 0, 'B', sharps},                 // more than seven are seven
      {0, 13, 'D', {112, 103, 115}},       // cancelling three flats
      {0, 2, 'D', {100, 109}},             // cancelling two sharps
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.kind) + "/" + std::to_string(c.cancels));
    Slot->ItemCount = 0;
    Place(kind::Key, c.kind, 0, box)->LayoutByte = c.cancels;
    TStrings expected;
    for (size_t i = 0; i < c.ys.size(); ++i) expected.push_back(GlyphAt(c.glyph, 20 + 5 * static_cast<int>(i), c.ys[i] - a16));
    EXPECT_EQ(PaintDescribed(), expected);
  }
}

TEST_F(SignTest, NoKeySignatureOnAPercussionStaff) {
  TQSMark* clef = NewMark(kind::Clef, Measure, clef::Percussion1);
  Slot->ClefByRow = {clef};
  TQSMark* key = Place(kind::Key, 3, 0, {160, 680, 480, 992});
  Window.SelPieces.push_back(std::make_unique<TQSSelPiece>(TQSSelPiece{Piece, {{key->LayoutLink}}}));
  EXPECT_TRUE(Paint().empty());
}

TEST_F(SignTest, TimeSignatures) {
  const TRect box{160, kTop, 320, kBottom};  // px (20,100)-(40,124), mid 112
  const TFont bold9 = FontOf("Arial", 9, fsBold);
  const int H = GetTextMetrics(bold9).Height;
  auto digits = [&](const std::string& top, const std::string& bottom) {
    auto x = [&](const std::string& s) { return 20 + (20 - TextWidth(bold9, std::u16string(s.begin(), s.end()))) / 2; };
    return TStrings{TextAt(top, x(top), 112 - H + 2), TextAt(bottom, x(bottom), 112 - 2)};
  };
  struct Case {
    uint16_t meter;
    uint8_t style;
    TStrings ops;
  };
  const Case cases[] = {
      {MakeMeter(4, 4), 1, {GlyphAt(glyphs::TimeSigCommon, 20, 112 - a16)}},
      {MakeMeter(4, 4), 2, {GlyphAt(glyphs::TimeSigCutCommon, 20, 112 - a16)}},
      {MakeMeter(2, 4), 2, {GlyphAt(glyphs::TimeSigCutCommon, 20, 112 - a16)}},
      {MakeMeter(4, 4), 0, digits("4", "4")},
      {MakeMeter(3, 8), 0, digits("3", "8")},
      {MakeMeter(12, 8), 1, digits("12", "8")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.meter);
    Slot->ItemCount = 0;
    TQSMark* m = Place(kind::Meter, 0, c.meter, box, Column);
    m->Fields.Style = c.style;
    const std::vector<TCanvasOp> ops = Paint();
    EXPECT_EQ(Describe(ops), c.ops);
    EXPECT_EQ(ops[0].Brush.Style, bsClear);
  }
  EXPECT_FALSE(Rec.Canvas.Font().Bold());
  EXPECT_EQ(Rec.Canvas.Brush().Style, bsSolid);
}

TEST_F(SignTest, TempoMark) {
  const TRect box{160, 640, 400, 880};  // px (20,80)
  struct Case {
    uint8_t kind;
    int baseline;
  };
  // A whole note sits W8 below the box top; the others 2 W8 + W2 below.
  for (const Case& c : {Case{2, 80 + 16 + 2}, Case{0, 80 + 8}}) {
    Slot->ItemCount = 0;
    const uint8_t glyph = static_cast<uint8_t>(glyphs::NoteheadWhole + c.kind);
    Place(kind::Tempo, c.kind, 120, box, Column);
    EXPECT_EQ(PaintDescribed(), (TStrings{GlyphAt(glyph, 20, c.baseline - a16),
                                          TextAt("=120", 20 + GlyphWidth(Music(), glyph) + 1, 80)}));
  }
}

TEST_F(SignTest, MeasureNumbersOnScreenAndInPrintOnlyWhenAsked) {
  Slot->Number = 17;
  Place(kind::MeasureNumbering, 0, 0, {160, 640, 240, 700}, Column);  // px (20,80)
  const TStrings shown = {TextAt("17", 20, 80 + 8 - Ascent(FontOf("Arial", 7)))};
  Score.PrintMeasureNumbers = 0;
  EXPECT_EQ(PaintDescribed(), shown);
  Window.Style = wsPreview;
  EXPECT_TRUE(PaintDescribed().empty());
  Window.Style = wsPrint;
  EXPECT_TRUE(PaintDescribed().empty());
  Score.PrintMeasureNumbers = 1;
  EXPECT_EQ(PaintDescribed(), shown);
}

TEST_F(SignTest, RehearsalMarksLettersNumbersAndFrames) {
  const TRect box{160, 560, 400, 720};  // px (20,70)-(50,90)
  const TFont arial10 = FontOf("Arial", 10);
  auto text = [&](const std::string& s) {
    return TextAt(s, 20 + (30 - TextWidth(arial10, std::u16string(s.begin(), s.end()))) / 2, 71);
  };
  struct Case {
    uint8_t style;
    TStrings ops;
  };
  const Case cases[] = {
      {0x00, {text("AB")}},
      {0x80, {text("28")}},
      {0x40, {text("AB")}},
      {0x08, {"Ellipse 21,71,49,89", text("AB")}},
      {0x04, {"Rectangle 21,71,49,89", text("AB")}},
      {0x0C, {"Rectangle 21,71,49,89", text("AB")}},
  };
  Slot->RehearsalNumber = 28;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.style);
    Slot->ItemCount = 0;
    Place(kind::Rehearsal, 0, 0, box, Column)->Fields.Style = c.style;
    const std::vector<TCanvasOp> ops = Paint();
    EXPECT_EQ(Describe(ops), c.ops);
    EXPECT_EQ(ops[0].Brush.Style, bsClear);
  }
}

}  // namespace
}  // namespace qs::test
