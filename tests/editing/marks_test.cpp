#include <gtest/gtest.h>

#include "editing/marks.h"
#include "editing_fixture.h"

using namespace qs;
using namespace qs::test;

namespace {

class MarksTest : public TEditFixture {
 public:
  static int CountKind(const TQSMeasure* m, TQSItemType k) {
    int n = 0;
    for (TQSItem* item : m->Items) n += item->ItemType == k;
    return n;
  }
  // The accidental kinds of a note, "-" without any.
  static std::string Accidentals(const TQSNote* note) {
    std::string out;
    for (TQSItem* a : note->Items)
      if (a->ItemType == kind::Accidental) out += std::to_string(static_cast<TQSMark*>(a)->Fields.Kind);
    return out.empty() ? "-" : out;
  }
  static TQSNote* NoteAt(const TQSMeasure* m, int index) {
    int n = 0;
    for (TQSItem* item : m->Items)
      if (item->ItemType == kind::Note && n++ == index) return static_cast<TQSNote*>(item);
    return nullptr;
  }
};

TEST_F(MarksTest, ADynamicOfTheSameStaffAndTickIsUpdated) {
  AddPiece({1}, 1);
  TQSMark* forte = static_cast<TQSMark*>(CreateItemByKind(kind::Dynamics, Measure(0)));
  forte->Fields.StaffVoice = 0x01;  // voice 1 of staff 0
  forte->Fields.Kind = 3;
  Cursor(0, 0);
  const std::vector<uint8_t> before = Saved();
  EXPECT_EQ(InsertMark(Score, kind::Dynamics, 5, 0, 0, 0, 2), forte);
  EXPECT_EQ(CountKind(Measure(0), kind::Dynamics), 1);
  EXPECT_EQ(forte->Fields.Kind, 5);
  ExpectUndoRedo(before);
  // The same mark again: nothing to do, nothing recorded.
  forte = static_cast<TQSMark*>(Measure(0)->GetItem(0));
  EXPECT_EQ(InsertMark(Score, kind::Dynamics, 5, 0, 0, 0, 2), forte);
  EXPECT_EQ(Score.UndoCount(), 1);
}

TEST_F(MarksTest, KeyChangeRespellsUpToTheNextKey) {
  AddPiece({1}, 3);
  TQSMeasure* m0 = Measure(0);
  Note(m0, 0, 128, 0x53);  // F
  Note(m0, 128, 128, 0x53);
  TQSNote* sharp = Note(m0, 256, 128, 0x53);
  static_cast<TQSMark*>(CreateItemByKind(kind::Accidental, sharp))->Fields.Kind = 2;
  Note(Measure(1), 0, 128, 0x53);
  CreateItemByKind(kind::Key, Measure(2));
  Note(Measure(2), 0, 128, 0x53);
  Score.Recalculate(0);
  Score.ToneModify = true;
  Cursor(0, 0);
  const std::vector<uint8_t> before = Saved();
  InsertMark(Score, kind::Key, 1, 0, 0, 0, 2);
  EXPECT_EQ(Accidentals(NoteAt(Measure(0), 0)), "4");
  EXPECT_EQ(Accidentals(NoteAt(Measure(0), 1)), "-");
  EXPECT_EQ(Accidentals(NoteAt(Measure(0), 2)), "2");
  EXPECT_EQ(Accidentals(NoteAt(Measure(1), 0)), "4");
  EXPECT_EQ(Accidentals(NoteAt(Measure(2), 0)), "-");
  ExpectUndoRedo(before);
}

TEST_F(MarksTest, ThreeFourRebarsAFourFourPiece) {
  AddPiece({1}, 2);
  Note(Measure(0), 0, 256);
  Note(Measure(0), 256, 256);
  Note(Measure(1), 0, 512);
  Score.Recalculate(0);
  Cursor(0, 0);
  const std::vector<uint8_t> before = Saved();
  InsertColumnMark(Score, kind::Meter, 0, MakeMeter(3, 4), 0, 0);
  EXPECT_EQ(Timeline(Measure(0)), "N0+256 N256+128~");
  EXPECT_EQ(Timeline(Measure(1)), "N0+128 N128+256~");
  EXPECT_EQ(Timeline(Measure(2)), "N0+256 R256+128");
  EXPECT_EQ(Part()->MeasureCount(), 3);
  ExpectUndoRedo(before);
  EXPECT_EQ(Part()->MeasureCount(), 3);
}

// Re-barring keeps the time of empty measures at the end.
TEST_F(MarksTest, RebarringKeepsTheLengthOfTheMusic) {
  AddPiece({1, 1}, 4);
  Note(Measure(0), 0, 512);
  Score.Recalculate(0);
  Cursor(0, 0);
  const std::vector<uint8_t> before = Saved();
  InsertColumnMark(Score, kind::Meter, 0, MakeMeter(3, 4), 0, 0);
  EXPECT_EQ(Part(0, 0)->MeasureCount(), 6);  // 2048 ticks in measures of 384
  ASSERT_EQ(Part(0, 1)->MeasureCount(), 6);
  EXPECT_EQ(Score.GetPiece(0)->ColumnCount(), 6);
  EXPECT_EQ(Timeline(Measure(5, 1)), "R0+512");
  ExpectUndoRedo(before);
}

TEST_F(MarksTest, ANoteRepeatReplacesARestOfItsLength) {
  AddPiece({1}, 1);
  Rest(Measure(0), 0, 64);
  Rest(Measure(0), 64, 64);
  Rest(Measure(0), 128, 384);
  Score.Recalculate(0);
  Cursor(0, 0);
  TQSMark* repeat = InsertMark(Score, kind::NoteRepeat, 2, 0, 0, 0, 2);
  ASSERT_NE(repeat, nullptr);
  EXPECT_EQ(repeat->Fields.Value, 64);
  EXPECT_EQ(Timeline(Measure(0)), "X0 R64+64 R128+384");
}

TEST_F(MarksTest, JumpMarksStandAtTheMeasureEnd) {
  AddPiece({1}, 10);
  Cursor(3, 128);
  TQSMark* dc = InsertColumnMark(Score, kind::DaCapo, 0, 0, 0, 0);
  ASSERT_NE(dc, nullptr);
  EXPECT_EQ(dc->Fields.Time, 512);
}

TEST_F(MarksTest, BendShapesFollowTheVariant) {
  AddPiece({1}, 1);
  Cursor(0, 0);
  TQSBend* bend = InsertBend(Score, kind::Bend, 3, 0);
  ASSERT_NE(bend, nullptr);
  EXPECT_EQ(bend->Fields.RiseWidth, 80);
  EXPECT_EQ(bend->Fields.SecondWidth, 80);
  EXPECT_EQ(bend->Fields.ReleaseWidth, 0);
  EXPECT_EQ(bend->Fields.Height, 160);
}

}  // namespace
