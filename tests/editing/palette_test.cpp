#include "editing/palette.h"

#include <gtest/gtest.h>

#include "editing_fixture.h"
#include "score/pageobjects.h"
#include "score/undo.h"

using namespace qs;
using namespace qs::test;

namespace {

using namespace palettesymbol;

class PaletteTest : public TEditFixture {
 public:
  static std::vector<TQSMark*> MarksOf(const TQSItemHolder* holder, TQSItemType k) {
    std::vector<TQSMark*> out;
    for (TQSItem* a : holder->Items)
      if (a->ItemType == k) out.push_back(static_cast<TQSMark*>(a));
    return out;
  }
  static TQSMark* Dotted(TQSItemHolder* holder, int value) {
    auto* dot = static_cast<TQSMark*>(CreateItemByKind(kind::Dot, holder));
    dot->Fields.Value = static_cast<uint16_t>(value);
    return dot;
  }
};

TEST_F(PaletteTest, DotsGoByTheWrittenLengthAndLeaveOneDotMark) {
  TQSMeasure* m = OneMeasure();
  TQSNote* note = Note(m, 0, 128);
  Note(m, 256, 256);
  Score.Recalculate(0);
  for (int i = 0; i < 2; ++i) ASSERT_NE(ApplySymbolToItem(Score, note, Dot, 0, 0, 0), nullptr);
  EXPECT_EQ(note->Fields.RealLength, 192);
  EXPECT_EQ(MarksOf(note, kind::Dot).size(), 1u);
  TQSMark* dot = ApplySymbolToItem(Score, note, Dot, 0, 1, 0);
  EXPECT_EQ(note->Fields.RealLength, 224);
  ASSERT_EQ(MarksOf(note, kind::Dot).size(), 1u);
  EXPECT_EQ(MarksOf(note, kind::Dot)[0], dot);
  EXPECT_EQ(dot->Fields.Value, 1);
  EXPECT_EQ(Timeline(m), "N0+224 R224+32 N256+256");
  // Back to one dot: the freed ticks are a rest again, the next note stays.
  ApplySymbolToItem(Score, note, Dot, 0, 0, 0);
  EXPECT_EQ(Timeline(m), "N0+192 R192+32 R224+32 N256+256");
}

TEST_F(PaletteTest, DotsPastTheMeasureEndAreRefused) {
  TQSMeasure* m = OneMeasure();
  TQSNote* note = Note(m, 384, 128);
  Score.Recalculate(0);
  Cursor(0, 0);  // the item's own position decides, not the cursor's
  EXPECT_EQ(ApplySymbolToItem(Score, note, Dot, 0, 0, 0), nullptr);
  EXPECT_EQ(note->Fields.RealLength, 128);
  EXPECT_TRUE(MarksOf(note, kind::Dot).empty());
}

TEST_F(PaletteTest, SymbolsToggleOnANote) {
  TQSMeasure* m = OneMeasure();
  TQSNote* note = Note(m, 0, 512);
  Score.Recalculate(0);
  struct TCase {
    int Symbol, SubKind;
    std::function<int()> Value;
    int Set;
  } cases[] = {
      {Bracket, 1, [&] { return note->Fields.FlagsB & TQSNote::kEnclosureMask; }, 8},
      {DrumHead, 6, [&] { return note->Fields.HeadStyle; }, 6},
      {Flageolet, 0, [&] { return note->Fields.HeadStyle; }, 3},
      {Small, 0, [&] { return note->Fields.FlagsA & TQSNote::kSmall; }, TQSNote::kSmall},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Symbol);
    ApplySymbolToItem(Score, note, c.Symbol, c.SubKind, 0, 0);
    EXPECT_EQ(c.Value(), c.Set);
    ApplySymbolToItem(Score, note, c.Symbol, c.SubKind, 0, 0);
    EXPECT_EQ(c.Value(), 0);
  }
}

TEST_F(PaletteTest, AccidentalsAndSlidesAreAttachedWithTheirStyle) {
  TQSMeasure* m = OneMeasure();
  TQSNote* note = Note(m, 0, 512);
  Score.Recalculate(0);
  const std::vector<uint8_t> before = Saved();
  TQSMark* sharp = ApplySymbolToItem(Score, note, palettesymbol::Accidental, 2, 0, 1);
  ExpectUndoRedo(before);
  note = Find<TQSNote>(Measure(0));
  TQSMark* natural = ApplySymbolToItem(Score, note, palettesymbol::Accidental, 4, 0, 0);
  TQSMark* fall = ApplySymbolToItem(Score, note, palettesymbol::Fall, 1, 0, 0);
  ASSERT_NE(sharp = MarksOf(note, kind::Accidental).back(), nullptr);
  EXPECT_EQ(MarksOf(note, kind::Accidental).front(), natural);
  EXPECT_EQ(sharp->Fields.Kind, 2);
  EXPECT_EQ(sharp->Fields.Style & 0x0C, 4);
  EXPECT_EQ(note->Items.Get(note->ItemCount() - 1), fall);
  EXPECT_EQ(fall->Fields.Kind, 1);
  EXPECT_EQ(Score.GetUndoRecord(Score.UndoCount() - 1)->Action, undoaction::SymbolApplied);
}

TEST_F(PaletteTest, ATieIsAttachedToItsNote) {
  TQSMeasure* m = OneMeasure();
  Note(m, 0, 256);
  Note(m, 256, 256);
  Score.Recalculate(0);
  const std::vector<uint8_t> before = Saved();
  TQSLiga* tie = InsertLiga(Score, Find<TQSNote>(m), 1, 256, 0, -40);
  ASSERT_NE(tie, nullptr);
  EXPECT_EQ(tie->Owner(), Find<TQSNote>(m));
  EXPECT_EQ(tie->Fields.Span, 256);
  EXPECT_TRUE(tie->IsBelow());
  EXPECT_EQ(tie->Fields.EndY, -40);
  EXPECT_EQ(Score.GetUndoRecord(0)->Action, undoaction::TieAttached);
  ExpectUndoRedo(before);
}

TEST_F(PaletteTest, AUserSymbolIsStoredOnceUnderItsName) {
  OneMeasure();
  Cursor(0, 128);
  TQSLine line(nullptr);
  line.Fields.X2 = 80;
  TQSMark* a = InsertUserSymbol(Score, "Arrow", {&line}, 3, 4, -16);
  Cursor(0, 256);
  TQSMark* b = InsertUserSymbol(Score, "Arrow", {}, 0, 0, 0);
  ASSERT_EQ(Score.UserSymbolCount(), 1);
  EXPECT_EQ(Score.GetUserSymbol(0)->Items.Count(), 1);
  EXPECT_EQ(Score.GetUserSymbol(0)->Fields.First, 3);
  EXPECT_EQ(a->Fields.Value, 0);
  EXPECT_EQ(b->Fields.Value, 0);
  EXPECT_EQ(a->ItemType, kind::UserSymbolMark);
  EXPECT_EQ(a->Fields.Time, 128);
  EXPECT_EQ(a->Fields.OffsetY, -16);
}

TEST_F(PaletteTest, ErasingARestTwiceShowsItAgain) {
  TQSMeasure* m = OneMeasure();
  TQSPause* rest = Rest(m, 0, 512);
  Score.Recalculate(0);
  EraseItem(Score, rest);
  EXPECT_TRUE(rest->IsHidden());
  EraseItem(Score, rest);
  EXPECT_FALSE(rest->IsHidden());
  EXPECT_EQ(Score.UndoCount(), 0);
}

TEST_F(PaletteTest, ErasingADotGivesBackTheWrittenLength) {
  TQSMeasure* m = OneMeasure();
  TQSPause* rest = Rest(m, 0, 256);
  rest->Fields.RealLength = 384;
  TQSMark* dot = Dotted(rest, 0);
  Note(m, 384, 128);
  Score.Recalculate(0);
  const std::vector<uint8_t> before = Saved();
  EraseItem(Score, dot);
  EXPECT_EQ(rest->Fields.RealLength, 256);
  EXPECT_TRUE(MarksOf(rest, kind::Dot).empty());
  EXPECT_EQ(Timeline(m), "R0+256 R256+128 N384+128");
  ExpectUndoRedo(before);
}

TEST_F(PaletteTest, ErasingANoteRefillsItsTime) {
  TQSMeasure* m = OneMeasure();
  Note(m, 0, 256);
  TQSNote* second = Note(m, 256, 256);
  Score.Recalculate(0);
  const std::vector<uint8_t> before = Saved();
  EraseItem(Score, second);
  EXPECT_EQ(Timeline(m), "N0+256 R256+256");
  ExpectUndoRedo(before);
}

TEST_F(PaletteTest, ErasingAPageObjectIsUndone) {
  OneMeasure();
  auto* text = static_cast<TQSText*>(CreateItemByKind(kind::Text, &Score));
  text->Lines = {"Fine"};
  text->Fields.Page = 1;
  Score.Recalculate(0);
  const std::vector<uint8_t> before = Saved();
  EraseItem(Score, text);
  EXPECT_EQ(Score.ItemCount(), 0);
  ExpectUndoRedo(before);
}

// A G major key signature erased in measure 1 of the first part, while the
// cursor stands in the second part: the Fs of the first part are respelled.
TEST_F(PaletteTest, ErasingAKeySignatureRespellsItsOwnPart) {
  AddPiece({1, 1}, 4);
  constexpr uint8_t kF = 0x53;
  auto* key = static_cast<TQSMark*>(CreateItemByKind(kind::Key, Measure(1)));
  key->Fields.Kind = 1;
  auto* stop = static_cast<TQSMark*>(CreateItemByKind(kind::Key, Measure(3)));
  stop->Fields.Kind = 1;
  TQSNote* first = Note(Measure(1), 0, 256, kF);
  TQSNote* later = Note(Measure(1), 256, 256, kF);
  TQSNote* next = Note(Measure(2), 0, 512, kF);
  TQSNote* after = Note(Measure(3), 0, 512, kF);
  Score.Recalculate(0);
  Cursor(0, 0, 0, 0, 1);
  EraseItem(Score, key);
  auto sharps = [](TQSNote* n) { return MarksOf(n, kind::Accidental).size(); };
  EXPECT_EQ(sharps(first), 1u);
  if (sharps(first) == 1) {
    EXPECT_EQ(MarksOf(first, kind::Accidental)[0]->Fields.Kind, 2);
  }
  EXPECT_EQ(sharps(later), 0u);
  EXPECT_EQ(sharps(next), 1u);
  EXPECT_EQ(sharps(after), 0u);
  EXPECT_EQ(Score.GetUndoRecord(0)->Action, undoaction::ItemErased);
}

}  // namespace
