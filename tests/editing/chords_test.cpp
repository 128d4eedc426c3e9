#include <gtest/gtest.h>

#include "editing/chords.h"
#include "editing_fixture.h"
#include "score/undo.h"

using namespace qs;
using namespace qs::test;

namespace {

class ChordsTest : public TEditFixture {
 public:
  std::vector<TQSNote*> Notes(TQSMeasure* m) {
    std::vector<TQSNote*> out;
    for (TQSItem* item : m->Items)
      if (item->ItemType == kind::Note) out.push_back(static_cast<TQSNote*>(item));
    return out;
  }
  static TQSChordTone Tone(int pitch) {
    TQSChordTone t;
    t.Pitch = static_cast<int16_t>(pitch);
    return t;
  }
};

TEST_F(ChordsTest, ATriadBecomesOneChordInOneUndoStep) {
  AddPiece({1}, 1);
  Cursor(0, 0);
  const std::vector<uint8_t> before = Saved();
  InsertChordNotes(Score, 3, {Tone(60), Tone(64), Tone(67)}, 128, false);
  std::vector<TQSNote*> notes = Notes(Measure(0));
  ASSERT_EQ(notes.size(), 3u);
  std::vector<int> pitches;
  for (TQSNote* n : notes) {
    EXPECT_TRUE(n->IsChordMember());
    EXPECT_EQ(n->Fields.Time, 0);
    pitches.push_back(n->Fields.Pitch);
  }
  EXPECT_EQ(pitches, (std::vector<int>{0x50, 0x52, 0x54}));
  EXPECT_EQ(Score.GetUndoRecord(0)->Action, undoaction::ChordEntered);
  ExpectUndoRedo(before);
}

// A count beyond the tones given enters the tones there are.
TEST_F(ChordsTest, TheCountStopsAtTheTonesGiven) {
  AddPiece({1}, 1);
  Cursor(0, 0);
  InsertChordNotes(Score, 5, {Tone(60), Tone(64)}, 128, false);
  EXPECT_EQ(Notes(Measure(0)).size(), 2u);
}

TEST_F(ChordsTest, BlackKeysAreSpelledFromTheToneBefore) {
  struct {
    std::vector<int> Pitches;
    int Pitch;       // of the black-key note
    int Accidental;  // its accidental kind
  } cases[] = {
      {{60, 61}, 0x51, 0},  // D flat after C
      {{57, 61}, 0x50, 2},  // C sharp after A
      {{61}, 0x50, 2},      // C sharp first
  };
  for (const auto& c : cases) {
    Score.ClearPieces();
    AddPiece({1}, 1);
    Cursor(0, 0);
    std::vector<TQSChordTone> tones;
    for (int p : c.Pitches) tones.push_back(Tone(p));
    InsertChordNotes(Score, static_cast<int>(tones.size()), tones, 128, true);
    TQSNote* black = nullptr;
    for (TQSNote* n : Notes(Measure(0)))
      if (n->ItemCount() > 0) black = n;
    ASSERT_NE(black, nullptr);
    EXPECT_EQ(black->Fields.Pitch, c.Pitch);
    EXPECT_EQ(static_cast<TQSMark*>(black->GetItem(0))->Fields.Kind, c.Accidental);
  }
}

TEST_F(ChordsTest, RemovingAChordLeavesTheNextOne) {
  AddPiece({1}, 1);
  for (int t : {0, 128})
    for (uint8_t p : {0x50, 0x52}) Note(Measure(0), t, 128, p)->SetChordMember(true);
  Rest(Measure(0), 256, 256);
  Score.Recalculate(0);
  Cursor(0, 0);
  RemoveChord(Score, 128);
  EXPECT_EQ(Timeline(Measure(0)), "R0+128 N128+128c N128+128c R256+256");
  EXPECT_EQ(Score.UndoCount(), 0);
}

TEST_F(ChordsTest, AnEqualBreakChangesNothing) {
  AddPiece({1}, 2);
  Cursor(1, 0);
  SetPageBreak(Score, 1);
  EXPECT_EQ(Score.GetPiece(0)->GetColumn(1)->Fields.PageBreak, 1);
  EXPECT_EQ(Score.UndoCount(), 1);
  SetPageBreak(Score, 1);
  EXPECT_EQ(Score.UndoCount(), 1);
  const std::vector<uint8_t> before = Saved();
  Score.ClearUndo();
  SetStaveBreak(Score, 1);
  EXPECT_EQ(Score.GetPiece(0)->GetColumn(1)->Fields.SystemBreak, 1);
  ExpectUndoRedo(before);
}

TEST_F(ChordsTest, ASecondSymbolReplacesThePattern) {
  AddPiece({1}, 1);
  Cursor(0, 0);
  SetChordSymbol(Score, {1, 0, 7}, nullptr, -128);
  std::vector<TQSChordFragment> names(2);
  names[0].Text = "C";
  names[1].Text = "maj7";
  SetChordSymbol(Score, {1, 1, 7, 11}, &names, -128);
  ASSERT_EQ(Measure(0)->ItemCount(), 1);
  auto* chord = dynamic_cast<TQSChord*>(Measure(0)->GetItem(0));
  ASSERT_NE(chord, nullptr);
  EXPECT_EQ(chord->Definition, (std::vector<uint8_t>{1, 1, 7, 11}));
  ASSERT_EQ(chord->Patterns.size(), 2u);
  EXPECT_EQ(chord->Patterns[1].Text, "maj7");
}

TEST_F(ChordsTest, AFrameTakesItsStringsAndFrets) {
  AddPiece({1}, 1);
  Cursor(0, 0);
  const std::vector<uint8_t> before = Saved();
  SetGuitarFrame(Score, {0, 0}, {1, 0, 0}, {{0, 0, 0}, {0, 1, 1}, {0, 2, 2}, {0, 255, 0}}, 4, 24, 3, 0, -300);
  auto* frame = dynamic_cast<TQSFrame*>(Measure(0)->GetItem(0));
  ASSERT_NE(frame, nullptr);
  EXPECT_EQ(frame->Strings.size(), 4u);
  EXPECT_EQ(frame->Strings[3].Finger, 255);
  EXPECT_EQ(frame->Barre, (std::vector<uint8_t>{1, 0, 0}));
  ExpectUndoRedo(before);
  // Counts beyond the entries given leave the rest empty instead of reading
  // past them.
  SetGuitarFrame(Score, {0, 0}, {2}, {{0, 3, 3}}, 6, 24, 4, 0, -300);
  frame = dynamic_cast<TQSFrame*>(Measure(0)->GetItem(0));
  ASSERT_NE(frame, nullptr);
  ASSERT_EQ(frame->Strings.size(), 6u);
  EXPECT_EQ(frame->Strings[0].Finger, 3);
  EXPECT_EQ(frame->Strings[5], TQSFrameString{});
  EXPECT_EQ(frame->Barre, (std::vector<uint8_t>{2, 0, 0, 0}));
}

}  // namespace
