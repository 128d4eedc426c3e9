#include <gtest/gtest.h>

#include "editing/measureprops.h"
#include "editing_fixture.h"

namespace qs::test {
namespace {

class MeasurePropertiesTest : public TEditFixture {};

TEST_F(MeasurePropertiesTest, ThreeFourCutsEveryPartAndKeepsTheSignAtTheEnd) {
  TQSPiece* piece = AddPiece({1, 1}, 2);
  for (int p = 0; p < 2; ++p) {
    Note(Measure(0, p), 0, 256, 0x50);
    Note(Measure(0, p), 256, 256, 0x52);
    Note(Measure(1, p), 0, 512);
  }
  auto* forte = static_cast<TQSMark*>(CreateItemByKind(kind::Dynamics, Measure(0)));
  forte->Fields.Kind = 5, forte->Fields.Time = 400;
  // The column's own marks: a D.S. and a tempo inside the cut, a repeat's
  // end at the measure's end.
  TQSColumn* column = piece->GetColumn(0);
  auto* ds = static_cast<TQSMark*>(CreateItemByKind(kind::DalSegno, column));
  ds->Fields.Time = 448;
  auto* tempo = static_cast<TQSMark*>(CreateItemByKind(kind::Tempo, column));
  tempo->Fields.Time = 400;
  auto* repeat = static_cast<TQSMark*>(CreateItemByKind(kind::RepeatClose, column));
  repeat->Fields.Time = 512;
  Score.Recalculate(0);
  Cursor(0, 0);
  const std::vector<uint8_t> before = Saved();
  SetMeasureProperties(Score, MakeMeter(3, 4), 0, 0, 0, 0);
  EXPECT_EQ(column->Fields.Meter, MakeMeter(3, 4));
  for (int p = 0; p < 2; ++p) EXPECT_EQ(Timeline(Measure(0, p)), "N0+256 R256+128") << "part " << p;
  EXPECT_EQ(Measure(0)->Items.IndexOf(forte), -1);
  EXPECT_EQ(ds->Fields.Time, 384);
  EXPECT_EQ(column->Items.IndexOf(tempo), -1);
  EXPECT_EQ(repeat->Fields.Time, 384);
  EXPECT_EQ(Timeline(Measure(1)), "N0+512");
  ExpectUndoRedo(before);
}

TEST_F(MeasurePropertiesTest, FourFourAfterThreeFourAddsRests) {
  TQSPiece* piece = AddPiece({1}, 1, MakeMeter(3, 4));
  Note(Measure(0), 0, 384);
  auto* repeat = static_cast<TQSMark*>(CreateItemByKind(kind::RepeatClose, piece->GetColumn(0)));
  repeat->Fields.Time = 384;
  Score.Recalculate(0);
  Cursor(0, 0);
  const std::vector<uint8_t> before = Saved();
  SetMeasureProperties(Score, MakeMeter(4, 4), 0, 0, 0, 0);
  EXPECT_EQ(Timeline(Measure(0)), "N0+384 R384+128");
  EXPECT_EQ(repeat->Fields.Time, 512);  // still the measure's end
  ExpectUndoRedo(before);
  // Removing it again takes the length of the meter mark of the column.
  Score.ClearUndo();
  SetMeasureProperties(Score, 0, 0, 0, 0, 0);
  EXPECT_EQ(piece->GetColumn(0)->Fields.Meter, 0);
  EXPECT_EQ(Timeline(Measure(0)), "N0+384");
}

TEST_F(MeasurePropertiesTest, BreaksChangeNoContentsButAreRecorded) {
  TQSPiece* piece = AddPiece({1}, 2);
  Note(Measure(0), 0, 512);
  Score.Recalculate(0);
  Cursor(0, 0);
  const std::vector<uint8_t> before = Saved();
  SetMeasureProperties(Score, 0, 1, 3, 0, 0);
  EXPECT_EQ(piece->GetColumn(0)->Fields.SystemBreak, 1);
  EXPECT_EQ(piece->GetColumn(0)->Fields.PageBreak, 3);
  EXPECT_EQ(Timeline(Measure(0)), "N0+512");
  uint16_t meter = 9, system = 9, page = 9;
  uint8_t active = 9, style = 9;
  GetMeasureProperties(Score, meter, system, page, active, style);
  EXPECT_EQ(meter, 0);
  EXPECT_EQ(system, 1);
  EXPECT_EQ(page, 3);
  EXPECT_EQ(active, 0);
  ExpectUndoRedo(before);
}

TEST_F(MeasurePropertiesTest, JoinStyleIsStoredOnceAndEqualValuesRecordNothing) {
  AddPiece({1}, 1);
  Note(Measure(0), 0, 64);
  Note(Measure(0), 64, 64);
  Rest(Measure(0), 128, 384);
  Score.Recalculate(0);
  Cursor(0, 0);
  const std::vector<uint8_t> before = Saved();
  SetMeasureJoinStyle(Score, 1, 1);
  uint8_t active = 0, style = 0;
  GetMeasureJoinStyle(Score, active, style);
  EXPECT_EQ(active, 1);
  EXPECT_EQ(style, 1);
  ExpectUndoRedo(before);
  Changed = 0;
  SetMeasureJoinStyle(Score, 1, 1);
  SetMeasureProperties(Score, 0, 0, 0, 1, 1);
  EXPECT_EQ(Score.UndoCount(), 1);
  EXPECT_EQ(Changed, 0);
}

}  // namespace
}  // namespace qs::test
