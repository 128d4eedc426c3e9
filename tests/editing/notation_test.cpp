#include <gtest/gtest.h>

#include "editing/notation.h"
#include "editing_fixture.h"

namespace qs::test {
namespace {

class NotationTest : public TEditFixture {
 public:
  TQSMark* AddMark(TQSItemType k, int variant, int time = 0) {
    auto* mark = static_cast<TQSMark*>(CreateItemByKind(k, Measure(0)));
    mark->Fields.Kind = static_cast<uint8_t>(variant);
    mark->Fields.Time = static_cast<uint16_t>(time);
    return mark;
  }
  void Reselect(std::initializer_list<TQSItem*> items) {
    Score.Recalculate(0);
    View.Selected.clear();
    Select(items);
  }
};

TEST_F(NotationTest, HidingRestsTwiceRestoresThem) {
  TQSMeasure* m = OneMeasure();
  Note(m, 0, 256);
  TQSPause* rest = Rest(m, 256, 256);
  Score.Recalculate(0);
  Select({rest});
  const std::vector<uint8_t> before = Saved();
  ToggleHiddenRests(Score);
  EXPECT_TRUE(rest->IsHidden());
  ExpectUndoRedo(before);
  rest = Find<TQSPause>(m);
  Reselect({rest});
  ToggleHiddenRests(Score);
  EXPECT_FALSE(rest->IsHidden());
  EXPECT_EQ(Saved(), before);
}

TEST_F(NotationTest, HidingTheRestsAtTheCursorCanBeUndone) {
  TQSMeasure* m = OneMeasure();
  Note(m, 0, 256);
  TQSPause* rest = Rest(m, 256, 256);
  Score.Recalculate(0);
  Cursor(0, 256);
  const std::vector<uint8_t> before = Saved();
  ToggleHiddenRests(Score);
  EXPECT_TRUE(rest->IsHidden());
  ExpectUndoRedo(before);
}

TEST_F(NotationTest, AligningTakesTheFirstItemsOffsetAndRestsTheirOwn) {
  TQSMeasure* m = OneMeasure();
  Note(m, 0, 256);
  TQSPause* rest = Rest(m, 256, 256);
  rest->Fields.OffsetY = 40;
  TQSMark* forte = AddMark(kind::Dynamics, 5, 0);
  forte->Fields.OffsetY = -16;
  forte->Fields.OffsetX = 3;
  TQSMark* piano = AddMark(kind::Dynamics, 2, 256);
  piano->Fields.OffsetY = 24;
  piano->Fields.OffsetX = 9;
  Score.Recalculate(0);
  Select({rest, forte, piano});
  const std::vector<uint8_t> before = Saved();
  AlignHorizontal(Score);
  EXPECT_EQ(rest->Fields.OffsetY, 40);
  EXPECT_EQ(forte->Fields.OffsetY, -16);
  EXPECT_EQ(piano->Fields.OffsetY, -16);
  ExpectUndoRedo(before);
  forte = Find<TQSMark>(m, 0);
  piano = Find<TQSMark>(m, 1);
  Score.ClearUndo();
  Reselect({forte, piano});
  AlignVertical(Score);
  EXPECT_EQ(piano->Fields.OffsetX, 3);
  // One item alone changes nothing and leaves no record.
  Score.ClearUndo();
  Reselect({forte});
  const std::vector<uint8_t> one = Saved();
  AlignHorizontal(Score);
  EXPECT_EQ(Saved(), one);
  EXPECT_EQ(Score.UndoCount(), 0);
}

TEST_F(NotationTest, AStemTurnsItsChordAndASlurLosesItsCurve) {
  TQSMeasure* m = OneMeasure();
  TQSNote* low = Note(m, 0, 512, 0x50);
  TQSNote* high = Note(m, 0, 512, 0x54);
  low->SetChordMember(true);
  high->SetChordMember(true);
  auto* slur = static_cast<TQSLiga*>(CreateItemByKind(kind::Liga, low));
  slur->Fields.CurveStartDX = 5;
  slur->Fields.CurveEndDY = -7;
  Score.Recalculate(0);
  Select({high});
  ASSERT_NE(ElementOfItem(slur), nullptr);
  View.Selected.push_back(ElementOfItem(slur));
  const std::vector<uint8_t> before = Saved();
  SetStemDirection(Score, 1);
  EXPECT_TRUE(low->IsStemDown());
  EXPECT_TRUE(high->IsStemDown());
  EXPECT_EQ(slur->Fields.Flags & 1, 1);
  // The layout gives the curve its automatic shape again.
  EXPECT_NE(slur->Fields.CurveStartDX, 5);
  EXPECT_NE(slur->Fields.CurveEndDY, -7);
  ExpectUndoRedo(before);
}

TEST_F(NotationTest, ArpeggioArrowsCycle) {
  // Per direction, the arrow after each step from none.
  OneMeasure();
  Note(Measure(0), 0, 512);
  TQSMark* arpeggio = AddMark(kind::Arpeggio, 0);
  arpeggio->Fields.Value = 3;
  std::vector<int> down, up;
  for (int i = 0; i < 3; ++i) {
    Reselect({arpeggio});
    SetStemDirection(Score, 1);
    down.push_back(arpeggio->Fields.Style & 3);
  }
  for (int i = 0; i < 3; ++i) {
    Reselect({arpeggio});
    SetStemDirection(Score, -1);
    up.push_back(arpeggio->Fields.Style & 3);
  }
  EXPECT_EQ(down, (std::vector<int>{2, 0, 2}));
  EXPECT_EQ(up, (std::vector<int>{1, 0, 1}));
  // An up arrow turned down becomes a down arrow.
  Reselect({arpeggio});
  SetStemDirection(Score, 1);
  EXPECT_EQ(arpeggio->Fields.Style & 3, 2);
}

TEST_F(NotationTest, JoiningAndUnjoiningSetTheJoinBitsOnce) {
  TQSMeasure* m = OneMeasure();
  TQSNote* a = Note(m, 0, 64);
  Note(m, 64, 64);
  Rest(m, 128, 384);
  Score.Recalculate(0);
  Select({a});
  const std::vector<uint8_t> before = Saved();
  JoinNotes(Score, 0);
  EXPECT_TRUE(a->BeamedToNext());
  ExpectUndoRedo(before);
  a = Find<TQSNote>(m);
  Score.ClearUndo();
  Reselect({a});
  JoinNotes(Score, 0);  // joined already: nothing
  EXPECT_EQ(Score.UndoCount(), 0);
  JoinNotes(Score, 1);
  EXPECT_FALSE(a->BeamedToNext());
  EXPECT_EQ(Score.UndoCount(), 1);
}

TEST_F(NotationTest, BeamHeightNeverMakesAStemNegative) {
  TQSMeasure* m = OneMeasure();
  TQSNote* note = Note(m, 0, 512);
  note->Fields.StemLength = 1;
  std::vector<int> lengths;
  for (int i = 0; i < 3; ++i) {
    Reselect({note});
    MoveBeam(Score, 1);  // a stem-up note's stem shortens downwards
    lengths.push_back(note->Fields.StemLength);
  }
  EXPECT_EQ(lengths, (std::vector<int>{0, 0, 0}));
  EXPECT_EQ(Score.UndoCount(), 1);
}

TEST_F(NotationTest, OffsetHeadsTurnWithTheirChord) {
  TQSMeasure* m = OneMeasure();
  TQSNote* low = Note(m, 0, 512, 0x50);
  TQSNote* high = Note(m, 0, 512, 0x51);
  low->SetChordMember(true);
  high->SetChordMember(true);
  Score.Recalculate(0);
  Select({low});
  const std::vector<uint8_t> before = Saved();
  OffsetNotes(Score);
  EXPECT_TRUE(low->IsHeadShifted());
  EXPECT_TRUE(high->IsHeadShifted());
  ExpectUndoRedo(before);
}

TEST_F(NotationTest, FretsWrapAroundTheStaffsFretCount) {
  TQSMeasure* m = OneMeasure();
  // E major sharpens D: each fret must still sound as played.
  static_cast<TQSMark*>(CreateItemByKind(kind::Key, m))->Fields.Kind = 4;
  TQSStaff* staff = Part()->GetStaff(0);
  staff->SetTablature(true);
  staff->SetLineCount(6);
  staff->Fields.FretCount = 12;
  staff->SetTuning(0, 64);
  TQSNote* note = Note(m, 0, 512);
  note->Fields.TabFret = 12;
  struct Step {
    uint8_t up;
    int fret;
    uint8_t pitch;
  } steps[] = {{1, 1, MakePitch(5, 2)},    // after the highest: the open string, E
               {0, 12, MakePitch(6, 1)},   // below the open string the highest: 64 + 11, D sharp
               {0, 11, MakePitch(6, 1)}};  // 64 + 10: D
  for (const Step& s : steps) {
    Reselect({note});
    ChangeFret(Score, s.up);
    EXPECT_EQ(note->Fields.TabFret, s.fret);
    EXPECT_EQ(note->Fields.Pitch, s.pitch);
    EXPECT_EQ(note->SoundingKey, 64 + s.fret - 1);
  }
  EXPECT_EQ(Score.UndoCount(), 3);
}

TEST_F(NotationTest, NothingSelectedNothingHappens) {
  TQSMeasure* m = OneMeasure();
  Note(m, 0, 512);
  Score.Recalculate(0);
  const std::vector<uint8_t> before = Saved();
  Changed = 0;
  AlignHorizontal(Score);
  AlignVertical(Score);
  JoinNotes(Score, 0);
  ChangeFret(Score, 1);
  EXPECT_EQ(Saved(), before);
  EXPECT_EQ(Score.UndoCount(), 0);
  EXPECT_EQ(Changed, 0);
}

}  // namespace
}  // namespace qs::test

namespace qs::test {
namespace {

TEST_F(NotationTest, SplittingAQuarterGivesTwoEighthsAndUnitingThemTheQuarter) {
  TQSMeasure* m = OneMeasure();
  TQSNote* quarter = Note(m, 0, 128);
  Rest(m, 128, 384);
  Score.Recalculate(0);
  Select({quarter});
  const std::vector<uint8_t> before = Saved();
  UnionNotePair(Score, 1);
  EXPECT_EQ(Timeline(m), "N0+64 N64+64 R128+384");
  ExpectUndoRedo(before);
  quarter = Find<TQSNote>(m);
  Score.ClearUndo();
  Reselect({quarter});
  UnionNotePair(Score, 0);
  EXPECT_EQ(Timeline(m), "N0+128 R128+384");
  EXPECT_EQ(quarter->Fields.Length, 128);
}

TEST_F(NotationTest, ASixtyFourthIsNotSplitAndANoteWithoutAPartnerNotUnited) {
  TQSMeasure* m = OneMeasure();
  TQSNote* short64 = Note(m, 0, 8);
  TQSNote* other = Note(m, 8, 8, 0x52);  // another line: no partner
  Rest(m, 16, 496);
  Score.Recalculate(0);
  Select({short64});
  const std::vector<uint8_t> before = Saved();
  UnionNotePair(Score, 1);
  UnionNotePair(Score, 0);
  EXPECT_EQ(Saved(), before);
  EXPECT_EQ(Score.UndoCount(), 0);
  EXPECT_EQ(other->Fields.Time, 8);
}

}  // namespace
}  // namespace qs::test
