#include <gtest/gtest.h>

#include "editing/reorder.h"
#include "editing/structure.h"
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
  EXPECT_EQ(Score.UndoCount(), 1);
  EXPECT_EQ(Changed, 1);
}

// A part or a staff that changed places goes back in one undo step, with
// the staff numbers of its items, and comes again with redo.
TEST_F(ReorderTest, MovingAPartOrAStaffIsOneUndoStep) {
  struct {
    bool staff;
    int from, delta;
  } const rows[] = {{true, 0, 2}, {true, 2, -1}, {false, 0, 1}, {false, 2, -2}};
  AddPiece({3, 1, 2}, 2);
  // Notes on each staff of the first part, so that their staff numbers
  // must follow.
  TQSMeasure* m = Measure(0);
  for (int staff = 0; staff < 3; ++staff) Note(m, 0, 512, static_cast<uint8_t>(0x40 + staff), staff << 4);
  Score.Recalculate(0);
  for (const auto& r : rows) {
    SCOPED_TRACE(std::string(r.staff ? "staff " : "part ") + std::to_string(r.from) + " by " +
                 std::to_string(r.delta));
    Score.UndoList.clear();
    Score.RedoList.clear();
    if (r.staff) Cursor(0, 0, r.from);
    else Cursor(0, 0, 0, 0, r.from);
    const std::vector<uint8_t> before = Saved();
    if (r.staff) MoveStaff(Score, r.delta);
    else MovePart(Score, r.delta);
    ASSERT_NE(Saved(), before) << "moved";
    ExpectUndoRedo(before);
  }
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

// The staves of a part form a group whose barlines join them, also after
// parts change places, go or come, and staves or parts change owners.
TEST_F(ReorderTest, StavesKeepToTheGroupOfTheirPart) {
  AddPiece({2, 1}, 1);
  Cursor(0, 0);
  MovePart(Score, 1);
  EXPECT_EQ(Groups(), "1 0 0");
  AddStaff(Score);  // to the part now second
  EXPECT_EQ(Groups(), "1 0 0 0");
  EXPECT_EQ(DrawnGroups(), "0 1");

  Score.ClearPieces();
  AddPiece({1, 1, 1}, 1);
  Cursor(0, 0, 0, 0, 1);
  DeletePart(Score);
  ASSERT_EQ(Groups(), "0 2");
  Score.AddPart();
  EXPECT_EQ(Groups(), "0 2 3");
  Score.Recalculate(0);
  EXPECT_EQ(DrawnGroups(), "0 1 2");

  Score.ClearPieces();
  AddPiece({2, 1}, 1);
  Cursor(0, 0, 1);
  MoveStaffToPart(Score, Part(0, 1), -1);
  EXPECT_EQ(Groups(), "0 1 1");
  EXPECT_EQ(DrawnGroups(), "0 1");

  Score.ClearPieces();
  AddPiece({1, 1}, 1);
  TQSPiece* second = AddPiece({1}, 1);
  TQSPart* moved = Part(0, 0);
  Cursor(0, 0);
  MovePartToPiece(Score, second, 0);
  EXPECT_EQ(moved->GetStaff(0)->Fields.Group, 1);
  EXPECT_EQ(second->GetPart(1)->GetStaff(0)->Fields.Group, 0);
}

TEST_F(ReorderTest, AStaffDraggedIntoAnotherPartTakesItsItemsIntoItsMeasures) {
  AddPiece({2, 2}, 1);
  TQSMeasure* from = Measure(0, 0);
  TQSMeasure* to = Measure(0, 1);
  TQSNote* a = Note(from, 0, 512, 0x50, 0x00);
  TQSNote* b = Note(from, 0, 512, 0x50, 0x10);
  TQSNote* c = Note(to, 0, 512, 0x50, 0x00);
  TQSNote* d = Note(to, 0, 512, 0x50, 0x10);
  TQSStaff* moved = Part(0, 0)->GetStaff(1);
  Score.Recalculate(0);
  Cursor(0, 0, 1, 0, 0);
  MoveStaffToPart(Score, Part(0, 1), 1);
  ASSERT_EQ(Part(0, 0)->StaffCount(), 1);
  ASSERT_EQ(Part(0, 1)->StaffCount(), 3);
  EXPECT_EQ(Part(0, 1)->GetStaff(1), moved);
  EXPECT_EQ(moved->Part(), Part(0, 1));
  EXPECT_EQ(a->Fields.StaffVoice, 0x00);
  EXPECT_EQ(b->Fields.StaffVoice, 0x10);
  EXPECT_EQ(c->Fields.StaffVoice, 0x00);
  EXPECT_EQ(d->Fields.StaffVoice, 0x20);
  EXPECT_EQ(b->GetMeasure(), to);
  EXPECT_EQ(std::vector<TQSItem*>(to->Items.begin(), to->Items.end()), (std::vector<TQSItem*>{c, b, d}));
  EXPECT_EQ(View.CursorPosition.Part, 1);
  EXPECT_EQ(View.CursorPosition.Staff, 1);
  EXPECT_EQ(View.ActiveChanged, 1);
  EXPECT_EQ(Score.UndoCount(), 0);

  // The last staff of a part stays where it is.
  Cursor(0, 0, 0, 0, 0);
  const std::vector<uint8_t> before = Saved();
  MoveStaffToPart(Score, Part(0, 1), -1);
  EXPECT_EQ(Saved(), before);
  EXPECT_EQ(Part(0, 0)->StaffCount(), 1);
}

TEST_F(ReorderTest, AVoiceDraggedOntoAnotherStaffTakesItsNotesAndTuplets) {
  struct TCase {
    std::vector<int> staves;  // of the piece's parts
    int targetPart;
  };
  for (const TCase& t : {TCase{{2}, 0}, TCase{{1, 1}, 1}}) {
    SCOPED_TRACE(t.targetPart);
    Score.ClearPieces();
    AddPiece(t.staves, 1);
    const int toStaff = t.targetPart == 0 ? 1 : 0;
    TQSStaff* target = Part(0, t.targetPart)->GetStaff(toStaff);
    Part()->GetStaff(0)->NewVoice();
    TQSMeasure* from = Measure(0, 0);
    TQSMeasure* to = Measure(0, t.targetPart);
    TQSNote* upper = Note(from, 0, 512, 0x50, 0x00);
    upper->SetStemDown(true);
    TQSNote* lower = Note(from, 0, 512, 0x40, 0x01);
    auto* tuplet = static_cast<TQSMark*>(CreateItemByKind(kind::Tuplet, from));
    tuplet->Fields.StaffVoice = 0x01;
    TQSNote* bass = Note(to, 0, 512, 0x40, toStaff << 4);
    Score.Recalculate(0);
    Cursor(0, 0, 0, 1, 0);
    MoveVoiceToStaff(Score, target, 0);
    const int moved = toStaff << 4;
    EXPECT_EQ(lower->Fields.StaffVoice, moved);
    EXPECT_EQ(tuplet->Fields.StaffVoice, moved);
    EXPECT_EQ(bass->Fields.StaffVoice, moved | 1);
    EXPECT_EQ(upper->Fields.StaffVoice, 0x00);
    EXPECT_EQ(lower->GetMeasure(), to);
    EXPECT_EQ(tuplet->GetMeasure(), to);
    // Two voices on the target staff: the first up, the second down; the
    // staff left with one voice stems by pitch.
    EXPECT_FALSE(lower->IsStemDown());
    EXPECT_TRUE(bass->IsStemDown());
    EXPECT_FALSE(upper->IsStemDown());
    EXPECT_EQ(target->VoiceCount(), 2);
    EXPECT_EQ(Part()->GetStaff(0)->VoiceCount(), 1);
    EXPECT_EQ(View.CursorPosition.Part, t.targetPart);
    EXPECT_EQ(View.CursorPosition.Staff, toStaff);
    EXPECT_EQ(View.CursorPosition.Voice, 0);
  }
}

}  // namespace
}  // namespace qs::test
