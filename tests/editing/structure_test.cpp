#include <gtest/gtest.h>

#include "editing/structure.h"
#include "editing_fixture.h"
#include "score/undo.h"

using namespace qs;
using namespace qs::test;

namespace {

class StructureTest : public TEditFixture {};

TEST_F(StructureTest, InsertedMeasuresFollowTheCursorMeasure) {
  struct {
    bool PartOnly;
    int Columns;
    int CursorAfter;
  } cases[] = {{false, 7, 4}, {true, 5, 5}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.PartOnly);
    Score.ClearPieces();
    Score.ClearUndo();
    AddPiece({1, 1}, 5);
    Note(Measure(4), 0, 512);
    Score.Recalculate(0);
    Cursor(3, 128);
    const std::vector<uint8_t> before = Saved();
    InsertMeasures(Score, 2, c.PartOnly);
    EXPECT_EQ(Part()->MeasureCount(), 7);
    EXPECT_EQ(Part(0, 1)->MeasureCount(), c.PartOnly ? 5 : 7);
    EXPECT_EQ(Score.GetPiece(0)->ColumnCount(), c.Columns);
    EXPECT_EQ(Timeline(Measure(4)), "R0+512");
    EXPECT_EQ(Timeline(Measure(6)), "N0+512");
    EXPECT_EQ(View.CursorPosition.Measure, c.CursorAfter);
    EXPECT_EQ(View.CursorPosition.Tick, 0);
    ExpectUndoRedo(before);
  }
}

TEST_F(StructureTest, DeletingMeasuresStopsAtTheLastOne) {
  AddPiece({1}, 6);
  for (int i = 0; i < 6; ++i) Note(Measure(i), 0, 128 + i);
  Score.Recalculate(0);
  Cursor(4, 0);
  const std::vector<uint8_t> before = Saved();
  DeleteMeasures(Score, 3, false);
  EXPECT_EQ(Part()->MeasureCount(), 4);
  EXPECT_EQ(Score.GetPiece(0)->ColumnCount(), 4);
  EXPECT_EQ(Score.GetUndoRecord(0)->Action, undoaction::MeasuresDeleted);
  ExpectUndoRedo(before);
}

TEST_F(StructureTest, TheLastStaffOrVoiceStays) {
  AddPiece({1}, 1);
  Cursor(0, 0);
  const std::vector<uint8_t> before = Saved();
  DeleteStaff(Score);
  DeleteVoice(Score);
  DeletePart(Score);
  DeletePiece(Score);
  EXPECT_EQ(Saved(), before);
  EXPECT_EQ(Score.UndoCount(), 0);
}

TEST_F(StructureTest, DeletingAStaffMovesTheLaterStavesUp) {
  AddPiece({2}, 1);
  Note(Measure(0), 0, 512, 0x50, 0x00);
  Note(Measure(0), 0, 512, 0x42, 0x10);
  Score.Recalculate(0);
  Cursor(0, 0, 0);
  const std::vector<uint8_t> before = Saved();
  DeleteStaff(Score);
  ASSERT_EQ(Part()->StaffCount(), 1);
  EXPECT_EQ(Timeline(Measure(0), 0x00), "N0+512");
  auto* left = dynamic_cast<TQSNote*>(Measure(0)->GetItem(0));
  ASSERT_NE(left, nullptr);
  EXPECT_EQ(left->Fields.Pitch, 0x42);
  Cursor(0, 0, 0);
  ExpectUndoRedo(before);
}

TEST_F(StructureTest, ANewPieceHasItsStartingMarks) {
  AddPiece({1}, 1);
  Cursor(0, 0);
  const std::vector<uint8_t> before = Saved();
  TQSPiece* piece = qs::AddPiece(Score);
  ASSERT_NE(piece, nullptr);
  ASSERT_EQ(piece->ColumnCount(), 1);
  std::vector<int> columnKinds, measureKinds;
  for (TQSItem* item : piece->GetColumn(0)->Items) columnKinds.push_back(item->ItemType);
  EXPECT_EQ(columnKinds, (std::vector<int>{kind::Meter, kind::MeasureNumbering}));
  EXPECT_EQ(static_cast<TQSMark*>(piece->GetColumn(0)->GetItem(0))->Fields.Value, 1028);
  for (TQSItem* item : piece->GetPart(0)->GetMeasure(0)->Items) measureKinds.push_back(item->ItemType);
  EXPECT_EQ(measureKinds, (std::vector<int>{kind::Accolade, kind::Key, kind::Clef}));
  EXPECT_EQ(View.CursorPosition.Piece, 1);
  ExpectUndoRedo(before);
}

TEST_F(StructureTest, AddedPartsStavesAndVoicesGoWithUndo) {
  struct {
    const char* Name;
    std::function<bool(TQSScore&)> Add;
    uint8_t Action;
  } cases[] = {
      {"part", [](TQSScore& s) { return s.AddPart() != nullptr; }, undoaction::PartAdded},
      {"staff", [](TQSScore& s) { return AddStaff(s) != nullptr; }, undoaction::StaffAdded},
      {"voice", [](TQSScore& s) { return AddVoice(s) != nullptr; }, undoaction::VoiceAdded},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    Score.ClearPieces();
    Score.ClearUndo();
    AddPiece({1}, 2);
    Cursor(0, 0);
    const std::vector<uint8_t> before = Saved();
    ASSERT_TRUE(c.Add(Score));
    EXPECT_EQ(Score.GetUndoRecord(0)->Action, c.Action);
    ExpectUndoRedo(before);
  }
}

}  // namespace
