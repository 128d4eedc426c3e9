#include <gtest/gtest.h>

#include <functional>

#include "editing/chords.h"
#include "editing/entry.h"
#include "editing/marks.h"
#include "editing/structure.h"
#include "editing_fixture.h"

using namespace qs;
using namespace qs::test;

namespace {

class CommandUndoTest : public TEditFixture {};

// Every command taken back gives the saved bytes of before, made again
// those of after; each is one undo step.
TEST_F(CommandUndoTest, EveryCommandIsOneStepBackAndForth) {
  struct {
    const char* Name;
    std::function<void(TEditFixture&)> Run;
  } cases[] = {
      {"rest over the bar line", [](TEditFixture& f) {
         f.Cursor(1, 384);
         InsertRest(f.Score, 256);
       }},
      {"rest in insert mode", [](TEditFixture& f) {
         f.Score.AddState = TQSAddState::asInsert;
         f.Cursor(0, 128);
         InsertRest(f.Score, 64, {modifier::Dot});
       }},
      {"clef", [](TEditFixture& f) {
         f.Cursor(1, 128);
         InsertMark(f.Score, kind::Clef, 3, 0, 0, 0, 2);
       }},
      {"bar repeat on a clicked bar line", [](TEditFixture& f) {
         f.Cursor(0, 0, 0, 1);
         f.View.ClickedBarMeasure = 2;
         InsertMark(f.Score, kind::BarRepeat, 0, 0, 0, 0, 2);
       }},
      {"note repeat", [](TEditFixture& f) {
         f.Cursor(0, 128);
         InsertMark(f.Score, kind::NoteRepeat, 1, 0, 0, 0, 2);
       }},
      {"bend", [](TEditFixture& f) {
         f.Cursor(0, 0);
         InsertBend(f.Score, kind::Bend, 5, -40);
       }},
      {"tempo", [](TEditFixture& f) {
         f.Cursor(2, 0);
         InsertColumnMark(f.Score, kind::Tempo, 1, 96, 0, -200);
       }},
      {"multi-measure rest", [](TEditFixture& f) {
         f.Cursor(1, 0);
         InsertColumnMark(f.Score, kind::MultiRest, 0, 4, 0, 0);
       }},
      {"meter of the same length", [](TEditFixture& f) {
         f.Cursor(0, 0);
         InsertColumnMark(f.Score, kind::Meter, 0, MakeMeter(2, 2), 0, 0);
       }},
      {"chord symbol", [](TEditFixture& f) {
         f.Cursor(1, 128);
         SetChordSymbol(f.Score, {1, 0, 4}, nullptr, -128);
       }},
      {"page break", [](TEditFixture& f) {
         f.Cursor(2, 0);
         SetPageBreak(f.Score, 2);
       }},
      {"measures in the part only", [](TEditFixture& f) {
         f.Cursor(0, 0, 0, 0, 1);
         InsertMeasures(f.Score, 3, true);
       }},
      {"measures of every part deleted", [](TEditFixture& f) {
         f.Cursor(1, 0);
         DeleteMeasures(f.Score, 1, false);
       }},
      {"voice deleted", [](TEditFixture& f) {
         f.Cursor(0, 0, 0, 1);
         DeleteVoice(f.Score);
       }},
      {"part deleted", [](TEditFixture& f) {
         f.Cursor(0, 0, 0, 0, 1);
         DeletePart(f.Score);
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    Score.ClearPieces();
    Score.ClearUndo();
    Score.AddState = TQSAddState::asOverwrite;
    View.ClickedBarMeasure = -1;
    AddPiece({1, 1}, 3);
    Part(0, 0)->GetStaff(0)->NewVoice();
    for (int m = 0; m < 3; ++m)
      for (int part = 0; part < 2; ++part) {
        for (int beat = 0; beat < 4; ++beat) Note(Measure(m, part), beat * 128, 128, uint8_t(0x50 + beat));
      }
    Rest(Measure(0), 0, 512, 0x01);
    Score.Recalculate(0);
    const std::vector<uint8_t> before = Saved();
    c.Run(*this);
    ASSERT_NE(Saved(), before);
    ExpectUndoRedo(before);
  }
}

TEST_F(CommandUndoTest, ASecondPieceComesAndGoes) {
  AddPiece({1}, 2);
  Note(Measure(1), 0, 512);
  Cursor(0, 0);
  qs::AddPiece(Score);
  Score.ClearUndo();
  const std::vector<uint8_t> before = Saved();
  View.CursorPosition.Piece = 0;
  DeletePiece(Score);
  EXPECT_EQ(Score.PieceCount(), 1);
  ExpectUndoRedo(before);
}

}  // namespace
