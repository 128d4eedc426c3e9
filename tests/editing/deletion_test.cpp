// Deleting the selection: what goes, what stays, what is tidied, one undo
// step.
#include <gtest/gtest.h>

#include "editing/deletion.h"
#include "editing_fixture.h"
#include "score/marks.h"
#include "score/notes.h"
#include "score/part.h"
#include "score/piece.h"

namespace qs::test {
namespace {

class DeleteSelectionTest : public TEditFixture {};

TEST_F(DeleteSelectionTest, NotesGoWithWhatIsAttachedRestsStayAndUndoIsOneStep) {
  TQSMeasure* m = OneMeasure();
  TQSNote* first = Note(m, 0, 128);
  CreateItemByKind(kind::Dot, first);
  Note(m, 128, 128);
  TQSPause* rest = Rest(m, 256, 256);
  Score.Recalculate(0);
  const std::vector<uint8_t> before = Saved();
  Select({first, rest});
  ASSERT_TRUE(DeleteSelection(Score));
  EXPECT_EQ(Timeline(m), "R0+128 N128+128 R256+256");  // the gap is filled, the rest stays
  EXPECT_GE(View.SelectionsCleared, 1);
  ExpectUndoRedo(before);
}

TEST_F(DeleteSelectionTest, OnlyARestSelectedStillAnswersTrueAndChangesNothing) {
  TQSMeasure* m = OneMeasure();
  TQSPause* rest = Rest(m, 0, 512);
  Score.Recalculate(0);
  Select({rest});
  const int changed = Changed;
  EXPECT_TRUE(DeleteSelection(Score));
  EXPECT_EQ(Timeline(m), "R0+512");
  EXPECT_EQ(Changed, changed + 1);  // laid out again and reported
  View.Selected.clear();
  EXPECT_FALSE(DeleteSelection(Score));  // nothing selected
  EXPECT_EQ(Score.UndoCount(), 0);
}

TEST_F(DeleteSelectionTest, ADeletedDotResetsItsOwnersRealLength) {
  TQSMeasure* m = OneMeasure();
  TQSNote* note = Note(m, 0, 128);
  note->Fields.RealLength = 192;
  auto* dot = CreateItemByKind(kind::Dot, note);
  Rest(m, 192, 320);
  Score.Recalculate(0);
  ASSERT_NE(ElementOfItem(dot), nullptr);
  View.Selected.push_back(ElementOfItem(dot));
  ASSERT_TRUE(DeleteSelection(Score));
  EXPECT_EQ(note->Fields.RealLength, 128);
  EXPECT_EQ(note->Items.Count(), 0);
}

TEST_F(DeleteSelectionTest, ADeletedTimeSignatureRebarsWithTheMeterBeforeIt) {
  TQSPiece* piece = AddPiece({1}, 3);
  auto* meter = static_cast<TQSMark*>(CreateItemByKind(kind::Meter, piece->GetColumn(1)));
  meter->Fields.Value = MakeMeter(3, 4);
  Rest(Measure(0), 0, 512);
  for (int m = 1; m < 3; ++m) Note(Measure(m), 0, 384);
  Score.Recalculate(0);
  ASSERT_EQ(piece->Slots[2]->Meter, MakeMeter(3, 4));
  ASSERT_NE(meter->LayoutLink, nullptr);
  View.Selected.push_back(meter->LayoutLink);
  const std::vector<uint8_t> before = Saved();
  ASSERT_TRUE(DeleteSelection(Score));
  EXPECT_EQ(piece->GetColumn(1)->Items.Count(), 0);
  EXPECT_EQ(piece->Slots[2]->Meter, MakeMeter(4, 4));
  // The measures are 4/4 again: the next note begins on the last beat, tied over.
  EXPECT_EQ(Timeline(Measure(1)), "N0+384 N384+128~");
  ExpectUndoRedo(before);
}

}  // namespace
}  // namespace qs::test
