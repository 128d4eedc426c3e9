#include <gtest/gtest.h>

#include <functional>

#include "editing/entry.h"
#include "editing/split.h"
#include "editing_fixture.h"
#include "score/undo.h"

using namespace qs;
using namespace qs::test;

namespace {

class EntryTest : public TEditFixture {};

// Where notes land: each case builds measure 0 (and 1), puts the cursor,
// enters, and reads the timelines of measures 0 and 1.
struct TPlacement {
  const char* Name;
  uint16_t Meter;
  TQSAddState Mode;
  std::function<void(TQSMeasure*)> Setup;
  int Measures;
  int Tick;
  int Duration;
  TQSModifiers Modifiers;
  const char* Measure0;
  const char* Measure1;
};

TEST_F(EntryTest, NotePlacementTable) {
  constexpr uint16_t k44 = MakeMeter(4, 4);
  const TPlacement cases[] = {
      {"overwrite a whole rest", k44, TQSAddState::asOverwrite, [](TQSMeasure* m) { Rest(m, 0, 512); }, 1, 0, 128, {},
       "N0+128 R128+256 R384+128", ""},
      {"same length at the same tick makes a chord", k44, TQSAddState::asOverwrite,
       [](TQSMeasure* m) {
         Note(m, 0, 128, 0x52);
         Rest(m, 128, 128);
         Rest(m, 256, 256);
       },
       1, 0, 128, {}, "N0+128c N0+128c R128+128 R256+256", ""},
      {"a half note at 384 is tied over the bar line", k44, TQSAddState::asOverwrite,
       [](TQSMeasure* m) { Rest(m, 0, 512); }, 1, 384, 256, {}, "R0+256 R256+128 N384+128~",
       "N0+128 R128+256 R384+128"},
      {"a dotted half note fills a 3/4 measure", MakeMeter(3, 4), TQSAddState::asOverwrite, [](TQSMeasure*) {}, 1, 0,
       256,
       {modifier::Dot}, "N0+384", ""},
      {"insert mode moves the later notes", k44, TQSAddState::asInsert,
       [](TQSMeasure* m) {
         Note(m, 0, 128);
         Note(m, 128, 128);
         Note(m, 256, 256);
       },
       1, 128, 128, {}, "N0+128 N128+128 N256+128 N384+128", ""},
      {"tuplet code with a quarter makes triplet eighths", k44, TQSAddState::asOverwrite,
       [](TQSMeasure* m) { Rest(m, 0, 512); }, 1, 0, 128, {modifier::Tuplet + 3}, "N0+85 R85+85 R170+86 R256+256", ""},
  };
  for (const TPlacement& c : cases) {
    SCOPED_TRACE(c.Name);
    Score.ClearPieces();
    Score.ClearUndo();
    AddPiece({1}, c.Measures, c.Meter);
    c.Setup(Measure(0));
    Score.Recalculate(0);
    Score.AddState = c.Mode;
    Cursor(0, c.Tick);
    const std::vector<uint8_t> before = Saved();
    ASSERT_NE(InsertNote(Score, 5, 0, c.Duration, c.Modifiers), nullptr);
    EXPECT_EQ(Timeline(Measure(0)), c.Measure0);
    EXPECT_EQ(Measure(1) ? Timeline(Measure(1)) : "", c.Measure1);
    ExpectUndoRedo(before);
  }
}

// A note entered on a later page, and taking it back, repaint the views
// from that page on: the pages before it keep what they show.
TEST_F(EntryTest, EnteringANoteRepaintsFromItsPage) {
  AddPiece({1}, 400);
  for (int i = 0; i < 400; ++i) Rest(Measure(i), 0, 512);
  Score.Recalculate(0);
  // A measure inside page 2 (the one before it on the same page).
  int m = 1;
  while (m < 400 && Score.GetPiece(0)->MeasurePage(m - 1) < 1) ++m;
  ASSERT_LT(m, 400);
  ASSERT_EQ(Score.GetPiece(0)->MeasurePage(m), 1);
  Cursor(m, 0);
  View.CursorPosition.Page = 1;
  ASSERT_NE(InsertNote(Score, 5, 0, 128), nullptr);
  Score.Undo(1);
  EXPECT_EQ(View.RepaintsFrom, (std::vector<int>{1, 1}));
}

TEST_F(EntryTest, ChordNotesAreOrderedByPitch) {
  AddPiece({1}, 1);
  Note(Measure(0), 0, 128, 0x54);
  Rest(Measure(0), 128, 384);
  Score.Recalculate(0);
  Cursor(0, 0);
  InsertNote(Score, 5, 0, 128);
  auto* low = dynamic_cast<TQSNote*>(Measure(0)->GetItem(0));
  auto* high = dynamic_cast<TQSNote*>(Measure(0)->GetItem(1));
  ASSERT_TRUE(low && high);
  EXPECT_EQ(low->Fields.Pitch, 0x50);
  EXPECT_EQ(high->Fields.Pitch, 0x54);
  EXPECT_EQ(low->IsStemDown(), high->IsStemDown());
}

TEST_F(EntryTest, TieFlagsFollowTheStem) {
  AddPiece({1}, 1);
  Rest(Measure(0), 0, 512);
  Score.Recalculate(0);
  Cursor(0, 384);
  InsertNote(Score, 6, 4, 256);  // high: stem down
  TQSNote* first = nullptr;
  for (TQSItem* item : Measure(0)->Items)
    if (item->ItemType == kind::Note) first = static_cast<TQSNote*>(item);
  ASSERT_NE(first, nullptr);
  ASSERT_TRUE(first->IsStemDown());
  auto* tie = dynamic_cast<TQSLiga*>(first->GetItem(0));
  ASSERT_NE(tie, nullptr);
  EXPECT_EQ(tie->Fields.Flags, 16);
  EXPECT_EQ(Score.LastEntryLength, 256);
}

TEST_F(EntryTest, TupletSlotsShareTheSpan) {
  AddPiece({1}, 1);
  Rest(Measure(0), 0, 512);
  Score.Recalculate(0);
  Cursor(0, 0);
  InsertNote(Score, 5, 0, 128, {modifier::Tuplet + 3});
  TQSMark* tuplet = Measure(0)->FindTuplet(0, 0);
  ASSERT_NE(tuplet, nullptr);
  EXPECT_EQ(tuplet->Fields.Kind, 3);
  EXPECT_EQ(tuplet->TupletLengths, (std::vector<int16_t>{85, 85, 86}));
}

// Tuplet codes of types 0 and 1 hold no slots: the note is entered plain.
TEST_F(EntryTest, TupletsWithoutSlotsAreNotMade) {
  for (int code : {modifier::Tuplet, modifier::Tuplet + 1}) {
    Score.ClearPieces();
    AddPiece({1}, 1);
    Cursor(0, 0);
    TQSNote* note = InsertNote(Score, 5, 0, 128, {code});
    ASSERT_NE(note, nullptr);
    EXPECT_EQ(note->Fields.RealLength, 128);
    EXPECT_EQ(Measure(0)->FindTuplet(0, 0), nullptr) << code;
  }
}

TEST_F(EntryTest, RestsSplitWithoutDots) {
  struct {
    int Duration;
    TQSModifiers Modifiers;
    const char* Expected;
  } cases[] = {
      {512, {}, "R0+512"},
      {256, {modifier::Dot}, "R0+256 R256+128"},
  };
  for (const auto& c : cases) {
    Score.ClearPieces();
    AddPiece({1}, 1, MakeMeter(3, 4));
    Cursor(0, 0);
    ASSERT_NE(InsertRest(Score, c.Duration, c.Modifiers), nullptr);
    EXPECT_EQ(Timeline(Measure(0)), c.Expected);
  }
}

TEST_F(EntryTest, EarlierEmptyMeasuresGetWholeRests) {
  AddPiece({1}, 6);
  Cursor(5, 0);
  const std::vector<uint8_t> before = Saved();
  InsertNote(Score, 5, 0, 128);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(Timeline(Measure(i)), "R0+512") << i;
  ExpectUndoRedo(before);
}

TEST_F(EntryTest, ExtraBeamsFromTheWrittenLength) {
  AddPiece({1}, 1);
  Cursor(0, 0);
  EXPECT_EQ(InsertNote(Score, 5, 0, 32)->ExtraBeams(), 1);
  Cursor(0, 128);
  EXPECT_EQ(InsertNote(Score, 5, 0, 64)->ExtraBeams(), 0);
}

TEST_F(EntryTest, MeasureMadeByTheSplitGoesWithUndo) {
  AddPiece({1}, 1);
  Rest(Measure(0), 0, 512);
  Score.Recalculate(0);
  Cursor(0, 384);
  const std::vector<uint8_t> before = Saved();
  InsertNote(Score, 5, 0, 256);
  EXPECT_EQ(Part()->MeasureCount(), 2);
  ExpectUndoRedo(before);
  EXPECT_EQ(Part()->MeasureCount(), 2);
}

TEST_F(EntryTest, NothingWithoutATarget) {
  AddPiece({1}, 1);
  const std::vector<uint8_t> before = Saved();
  Cursor(0, 0, 0, 3);  // no voice 3
  EXPECT_EQ(InsertNote(Score, 5, 0, 128), nullptr);
  EXPECT_EQ(InsertRest(Score, 128), nullptr);
  InsertGraceNote(Score, 5, 0, 32, 0, 0, 0, true, {}, 0, 0);
  EXPECT_EQ(Saved(), before);
  EXPECT_EQ(Score.UndoCount(), 0);
  EXPECT_EQ(Changed, 0);
}

TEST_F(EntryTest, GraceNotesGoIntoOneGroupWithASlur) {
  AddPiece({1}, 1);
  Note(Measure(0), 0, 512);
  Score.Recalculate(0);
  Cursor(0, 0);
  const std::vector<uint8_t> before = Saved();
  InsertGraceNote(Score, 5, 1, 32, 0, 0, 0, true, {modifier::Sharp}, 0, 0);
  ASSERT_EQ(Measure(0)->ItemCount(), 2);
  auto* group = dynamic_cast<TQSVorschlag*>(Measure(0)->GetItem(0));
  ASSERT_NE(group, nullptr);
  TQSNote* grace = group->GetNote(0);
  ASSERT_NE(grace, nullptr);
  EXPECT_EQ(grace->ExtraBeams(), 1);
  ASSERT_EQ(grace->ItemCount(), 2);  // the sharp, then the slur
  EXPECT_EQ(grace->GetItem(0)->ItemType, kind::Accidental);
  EXPECT_EQ(grace->GetItem(1)->ItemType, kind::Liga);
  ExpectUndoRedo(before);
  InsertGraceNote(Score, 5, 2, 32, 0, 0, 0, true, {}, 0, 0);
  group = dynamic_cast<TQSVorschlag*>(Measure(0)->GetItem(0));
  ASSERT_NE(group, nullptr);
  EXPECT_EQ(group->ItemCount(), 2);
  EXPECT_EQ(group->GetNote(1)->ItemCount(), 0);  // no second slur
}

}  // namespace

namespace {

// Undo lays the score out again from the page of the measure it restores,
// not from the first page.
TEST_F(EntryTest, UndoLaysOutFromTheChangedPage) {
  AddPiece({1, 1, 1, 1}, 80);
  for (int i = 0; i < 80; ++i) Note(Measure(i), 0, 512);
  Score.Recalculate(0);
  ASSERT_GT(Score.LaidOutPages, 1);
  TQSPiece* piece = Score.GetPiece(0);
  const int page = piece->MeasurePage(79);
  ASSERT_GT(page, 0);
  Cursor(79, 0);
  View.CursorPosition.Page = page;
  std::vector<int> starts;
  TQSScore::TLayoutPass pass = Score.LayoutPass;
  Score.LayoutPass = [&](TQSScore& s, int from) {
    starts.push_back(from);
    pass(s, from);
  };
  InsertNote(Score, 5, 0, 128);
  Score.Undo(1);
  EXPECT_EQ(starts, (std::vector<int>{page, page}));
}

}  // namespace

namespace {

TEST(SplitPiece, PowersOfTwoDottedWithinTheBeat) {
  struct {
    int Tick, Remaining, MeasureLength, Beat;
    int Value, Length, Dots;
  } cases[] = {
      {0, 384, 512, 128, 256, 256, 0},  // a dotted half would run over the next beat
      {0, 96, 512, 128, 64, 96, 1},
      {0, 112, 512, 128, 64, 112, 2},
      {448, 128, 512, 128, 64, 64, 0},  // up to the bar line only
      {0, 0, 512, 128, 0, 0, 0},
      {0, 128, 0, 1, 0, 0, 0},  // no room at all: nothing, instead of no end
  };
  for (const auto& c : cases) {
    const TSplitPiece p = NextSplitPiece(c.Tick, c.Remaining, c.MeasureLength, c.Beat);
    EXPECT_EQ(p.Value, c.Value) << c.Tick << " " << c.Remaining;
    EXPECT_EQ(p.Length, c.Length) << c.Tick << " " << c.Remaining;
    EXPECT_EQ(p.Dots, c.Dots) << c.Tick << " " << c.Remaining;
  }
}

// Measures made up to the cursor's go again with undo.
TEST_F(EntryTest, EnteringBeyondTheLastMeasure) {
  AddPiece({1}, 1);
  Cursor(3, 0);
  const std::vector<uint8_t> before = Saved();
  InsertNote(Score, 5, 0, 128);
  EXPECT_EQ(Part()->MeasureCount(), 4);
  EXPECT_EQ(Timeline(Measure(2)), "R0+512");
  ExpectUndoRedo(before);
  EXPECT_EQ(Part()->MeasureCount(), 4);
}

}  // namespace

namespace {

// A dotted piece of a note cut at the bar line does not pass its dot on to
// the pieces after it.
TEST_F(EntryTest, OnlyDottedPiecesCarryDots) {
  AddPiece({1}, 2, MakeMeter(1, 1));
  Cursor(0, 32);
  InsertNote(Score, 5, 0, 512, {modifier::Dot});
  EXPECT_EQ(Timeline(Measure(0)), "N32+384~ N416+64~ N480+32~");
  EXPECT_EQ(Timeline(Measure(1)), "N0+256~ N256+32 R288+32 R320+64 R384+128");
  std::vector<int> dots;
  for (int m : {0, 1})
    for (TQSItem* item : Measure(m)->Items)
      if (auto* n = dynamic_cast<TQSNote*>(item)) {
        int count = 0;
        for (TQSItem* a : n->Items) count += a->ItemType == kind::Dot;
        dots.push_back(count);
      }
  EXPECT_EQ(dots, (std::vector<int>{1, 0, 0, 0, 0}));
}

}  // namespace

namespace {

// A note whose last piece ends on a bar line makes no measure after it.
TEST_F(EntryTest, NoMeasureAfterAPieceEndingOnTheBarLine) {
  AddPiece({1}, 2, MakeMeter(1, 1));
  Cursor(0, 256);
  InsertNote(Score, 5, 0, 512, {modifier::Dot});
  EXPECT_EQ(Timeline(Measure(1)), "N0+512");
  EXPECT_EQ(Part()->MeasureCount(), 2);
}

}  // namespace
