#include <gtest/gtest.h>

#include "editing/spacing.h"
#include "editing_fixture.h"

using namespace qs;
using namespace qs::test;

namespace {

class SpacingTest : public TEditFixture {
 public:
  TQSSpacingTables& PieceTables() { return Score.GetPiece(0)->Spacing; }
};

TEST_F(SpacingTest, TablesGrowToTheIndex) {
  AddPiece({1}, 2);
  Cursor(1, 0);
  View.StaffRow = 3;
  ChangeStaveOffset(Score, 1);
  EXPECT_EQ(PieceTables().RowOffsets, (TQSSpacingTable{0, 0, 0, 8}));
  SetMeasureAlignStyle(Score, 50);
  EXPECT_EQ(PieceTables().AlignStyles, (TQSSpacingTable{50}));
  ChangeStaveRightOffset(Score, -1);
  EXPECT_EQ(PieceTables().RightOffsets, (TQSSpacingTable{-8}));
  EXPECT_EQ(Score.UndoCount(), 0);
}

TEST_F(SpacingTest, SpaceBeforeStopsAtZeroUnlessAllowed) {
  AddPiece({1}, 1);
  Cursor(0, 2);
  ChangeSpaceBefore(Score, -1, false);
  EXPECT_EQ(Score.GetPiece(0)->GetColumn(0)->Spacing, (TQSSpacingTable{0, 0, 0}));
  ChangeSpaceBefore(Score, -1, true);
  EXPECT_EQ(Score.GetPiece(0)->GetColumn(0)->Spacing, (TQSSpacingTable{0, 0, -8}));
}

TEST_F(SpacingTest, AbsoluteLeftOffsetReplaces) {
  AddPiece({1}, 1);
  Cursor(0, 0);
  ChangeStaveLeftOffset(Score, 3, false);
  ChangeStaveLeftOffset(Score, 3, false);
  EXPECT_EQ(PieceTables().LeftOffsets, (TQSSpacingTable{48}));
  ChangeStaveLeftOffset(Score, 2, true);
  EXPECT_EQ(PieceTables().LeftOffsets, (TQSSpacingTable{16}));
}

TEST_F(SpacingTest, TheViewStyleChoosesTheTables) {
  AddPiece({1}, 1);
  Cursor(0, 0);
  ChangeSpaceAfterMeasure(Score, 2);
  Score.ViewStyle = TQSViewStyle::vsPart;
  ChangeSpaceAfterMeasure(Score, 1);
  ChangeSpaceBefore(Score, 1, false);
  EXPECT_EQ(PieceTables().SpaceAfter, (TQSSpacingTable{16}));
  EXPECT_EQ(Part()->Spacing.SpaceAfter, (TQSSpacingTable{8}));
  EXPECT_EQ(Measure(0)->Spacing, (TQSSpacingTable{8}));
  EXPECT_TRUE(Score.GetPiece(0)->GetColumn(0)->Spacing.empty());
}

TEST_F(SpacingTest, SpaceAfterNeverGoesBelowZero) {
  AddPiece({1}, 1);
  Cursor(0, 0);
  PieceTables().SpaceAfter = {4};
  ChangeSpaceAfterMeasure(Score, -1);
  EXPECT_EQ(PieceTables().SpaceAfter, (TQSSpacingTable{0}));
  const int changed = Changed;
  ChangeSpaceAfterMeasure(Score, -1);
  EXPECT_EQ(PieceTables().SpaceAfter, (TQSSpacingTable{0}));
  EXPECT_EQ(Changed, changed);
}

}  // namespace
