#include <gtest/gtest.h>

#include "editing/reorder.h"
#include "editing_fixture.h"

namespace qs::test {
namespace {

class ReorderTest : public TEditFixture {};

TEST_F(ReorderTest, MovesStopAtTheEndsOfTheirList) {
  TQSPiece* piece = AddPiece({1, 1, 1, 1}, 1);
  std::vector<TQSPart*> parts;
  for (int p = 0; p < 4; ++p) parts.push_back(Part(0, p));
  Cursor(0, 0);
  const std::vector<uint8_t> before = Saved();
  Changed = 0;
  MovePiece(Score, -1);
  View.CursorPosition.Part = 3;
  MovePart(Score, 5);
  EXPECT_EQ(Saved(), before);
  EXPECT_EQ(Changed, 0);
  View.CursorPosition.Part = 0;
  MovePart(Score, 5);
  EXPECT_EQ(piece->GetPart(3), parts[0]);
  EXPECT_EQ(piece->GetPart(0), parts[1]);
  EXPECT_EQ(parts[0]->Index, 3);
  EXPECT_EQ(View.CursorPosition.Part, 3);
  EXPECT_EQ(Score.UndoCount(), 0);
  EXPECT_EQ(Changed, 1);
}

TEST_F(ReorderTest, AStaffMovedToTheTopTakesItsItemsAlong) {
  AddPiece({3}, 1);
  TQSMeasure* m = Measure(0);
  TQSNote* a = Note(m, 0, 512, 0x50, 0x00);
  TQSNote* b = Note(m, 0, 512, 0x50, 0x10);
  TQSNote* c = Note(m, 0, 512, 0x50, 0x20);
  TQSStaff* third = Part()->GetStaff(2);
  Score.Recalculate(0);
  Cursor(0, 0, 2);
  MoveStaff(Score, -2);
  EXPECT_EQ(Part()->GetStaff(0), third);
  EXPECT_EQ(c->Fields.StaffVoice, 0x00);
  EXPECT_EQ(a->Fields.StaffVoice, 0x10);
  EXPECT_EQ(b->Fields.StaffVoice, 0x20);
  EXPECT_EQ(View.CursorPosition.Staff, 0);
}

TEST_F(ReorderTest, SwappingTwoVoicesSwapsTheirNotesAndStems) {
  AddPiece({2}, 1);
  Part()->GetStaff(0)->NewVoice();
  TQSMeasure* m = Measure(0);
  TQSNote* upper = Note(m, 0, 512, 0x60, 0x00);
  TQSNote* lower = Note(m, 0, 512, 0x40, 0x01);
  TQSNote* other = Note(m, 0, 512, 0x40, 0x10);
  other->SetStemDown(true);
  Score.Recalculate(0);
  Cursor(0, 0, 0, 1);
  MoveVoice(Score, -1);
  EXPECT_EQ(lower->Fields.StaffVoice, 0x00);
  EXPECT_EQ(upper->Fields.StaffVoice, 0x01);
  EXPECT_FALSE(lower->IsStemDown());
  EXPECT_TRUE(upper->IsStemDown());
  EXPECT_TRUE(other->IsStemDown());
  EXPECT_EQ(View.CursorPosition.Voice, 0);
}

TEST_F(ReorderTest, APartDraggedIntoAnotherPieceBecomesItsLastPart) {
  AddPiece({1, 1}, 1);
  TQSPiece* second = AddPiece({1}, 1);
  TQSPart* moved = Part(0, 1);
  Note(moved->GetMeasure(0), 0, 512);
  Score.Recalculate(0);
  Cursor(0, 0, 0, 0, 1);
  MovePartToPiece(Score, second, -1);
  EXPECT_EQ(Score.GetPiece(0)->PartCount(), 1);
  ASSERT_EQ(second->PartCount(), 2);
  EXPECT_EQ(second->GetPart(1), moved);
  EXPECT_EQ(moved->Piece(), second);
  EXPECT_EQ(View.CursorPosition.Piece, 1);
  EXPECT_EQ(View.CursorPosition.Part, 1);
  EXPECT_EQ(Timeline(moved->GetMeasure(0)), "N0+512");
}

}  // namespace
}  // namespace qs::test
