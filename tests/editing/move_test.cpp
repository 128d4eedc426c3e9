#include <gtest/gtest.h>

#include "editing/move.h"
#include "editing/selection.h"
#include "editing_fixture.h"
#include "score/calcrecords.h"
#include "score/pageobjects.h"

namespace qs::test {
namespace {

class MoveTest : public TEditFixture {
 public:
  // A call that cannot apply leaves the score as it was and no record.
  void ExpectUnchanged(const std::vector<uint8_t>& before) {
    EXPECT_EQ(Saved(), before);
    EXPECT_EQ(Score.UndoCount(), 0);
  }
};

TEST(PixelStep, MagnitudeOneToEightWithTheSignOfTheStep) {
  struct Case {
    int step, zoom, expected;
  } cases[] = {{1, 25, 8}, {1, 100, 8}, {-1, 100, -8}, {1, 200, 4}, {-1, 200, -4},
               {1, 800, 1}, {1, 975, 1}, {-1, 975, -1}, {7, 100, 8}, {-7, 400, -8}};
  for (const Case& c : cases) EXPECT_EQ(PixelStep(c.step, c.zoom), c.expected) << c.step << " at " << c.zoom;
}

TEST_F(MoveTest, ANoteMovesRightOverTheRestAndTheGapBehindFillsWithRests) {
  TQSMeasure* m = OneMeasure();
  TQSNote* note = Note(m, 0, 128);
  Rest(m, 128, 128);
  Rest(m, 256, 256);
  Score.Recalculate(0);
  Select({note});
  const std::vector<uint8_t> before = Saved();
  TQSCalcItem* head = ElementOf(*note);
  Changed = 0;
  MoveHorizontal(Score, 1);
  EXPECT_EQ(note->Fields.Time, 8);
  EXPECT_EQ(Timeline(m), "R0+8 N8+128 R136+8 R144+16 R160+32 R192+64 R256+256");
  // The old head leaves the selection; the layout pass selects the new one.
  EXPECT_EQ(View.Unselected, std::vector<TQSCalcItem*>{head});
  EXPECT_EQ(Changed, 1);
  ExpectUndoRedo(before);
}

TEST_F(MoveTest, ANoteMovingLeftDeletesTheNoteItNowOverlaps) {
  TQSMeasure* m = OneMeasure();
  Note(m, 0, 128, 0x50);
  TQSNote* second = Note(m, 128, 128, 0x52);
  Rest(m, 256, 256);
  Score.Recalculate(0);
  Select({second});
  const std::vector<uint8_t> before = Saved();
  MoveHorizontal(Score, -1);
  EXPECT_EQ(second->Fields.Time, 120);
  EXPECT_EQ(Timeline(m).rfind("N120+128", 0), std::string::npos);  // the first note is gone
  EXPECT_NE(Timeline(m).find("N120+128"), std::string::npos);
  ExpectUndoRedo(before);
}

TEST_F(MoveTest, NotesAtTheMeasureEdgesStay) {
  TQSMeasure* m = OneMeasure();
  TQSNote* first = Note(m, 0, 256);
  TQSNote* last = Note(m, 256, 256);
  TQSNote* nearStart = nullptr;
  Score.Recalculate(0);
  Select({first});
  std::vector<uint8_t> before = Saved();
  MoveHorizontal(Score, -1);
  ExpectUnchanged(before);
  View.Selected.clear();
  Select({last});
  MoveHorizontal(Score, 1);
  ExpectUnchanged(before);
  // A note nearer the start than one step stays (it would leave the measure).
  m->Clear();
  nearStart = Note(m, 4, 252);
  Rest(m, 0, 4);
  Note(m, 256, 256);
  Score.Recalculate(0);
  View.Selected.clear();
  Select({nearStart});
  before = Saved();
  MoveHorizontal(Score, -1);
  ExpectUnchanged(before);
}

TEST_F(MoveTest, WithoutASelectionTheNotesAtTheCursorMoveUnselected) {
  TQSMeasure* m = OneMeasure();
  TQSNote* note = Note(m, 128, 128);
  Rest(m, 0, 128);
  Rest(m, 256, 256);
  Score.Recalculate(0);
  Cursor(0, 128);
  const std::vector<uint8_t> before = Saved();
  MoveHorizontal(Score, 1);
  EXPECT_EQ(note->Fields.Time, 136);
  EXPECT_EQ(note->SelectFlags & TQSNote::kSelectReselect, 0);
  ExpectUndoRedo(before);
}

TEST_F(MoveTest, AChordMovesTogether) {
  TQSMeasure* m = OneMeasure();
  TQSNote* low = Note(m, 0, 128, 0x50);
  TQSNote* high = Note(m, 0, 128, 0x54);
  low->SetChordMember(true);
  high->SetChordMember(true);
  Rest(m, 128, 384);
  Score.Recalculate(0);
  Select({high});
  const std::vector<uint8_t> before = Saved();
  MoveHorizontal(Score, 1);
  EXPECT_EQ(low->Fields.Time, 8);
  EXPECT_EQ(high->Fields.Time, 8);
  ExpectUndoRedo(before);
}

TEST_F(MoveTest, MarksAndPageObjectsMoveByThePixelStep) {
  TQSMeasure* m = OneMeasure();
  TQSNote* note = Note(m, 0, 512);
  auto* mark = static_cast<TQSMark*>(CreateItemByKind(kind::Dynamics, m));
  mark->Fields.Kind = 5;
  auto* line = static_cast<TQSLine*>(CreateItemByKind(kind::Line, &Score));
  line->Fields.X1 = 100, line->Fields.X2 = 200, line->Fields.Y1 = 10, line->Fields.Y2 = 20;
  Score.Recalculate(0);
  View.Zoom = 200;
  Select({mark});
  ASSERT_NE(ElementOf(*line), nullptr);
  View.SelectedPage.push_back(ElementOf(*line));
  const std::vector<uint8_t> before = Saved();
  MoveHorizontal(Score, 1);
  EXPECT_EQ(mark->Fields.OffsetX, 4);
  EXPECT_EQ(line->Fields.X1, 104);
  EXPECT_EQ(line->Fields.X2, 204);
  EXPECT_EQ(note->Fields.Time, 0);
  MoveVertical(Score, -1);
  EXPECT_EQ(mark->Fields.OffsetY, -4);
  EXPECT_EQ(line->Fields.Y1, 6);
  EXPECT_EQ(line->Fields.Y2, 16);
  EXPECT_EQ(Score.UndoCount(), 2);
  Score.Undo(2);
  EXPECT_EQ(Saved(), before);
}

TEST_F(MoveTest, ANoteInATupletMovesItsTuplet) {
  TQSMeasure* m = OneMeasure();
  Rest(m, 0, 128);
  auto* tuplet = static_cast<TQSMark*>(CreateItemByKind(kind::Tuplet, m));
  tuplet->Fields.Kind = 3;  // three in the time of two
  tuplet->Fields.Value = 64;
  tuplet->Fields.Time = 128;
  tuplet->CalcTupletLengths();
  const int length = TupletLength(tuplet->Fields.Kind, tuplet->Fields.Value);
  const int slot = TupletNoteLength(tuplet->Fields.Kind, tuplet->Fields.Value);
  TQSNote* a = Note(m, 128, slot);
  TQSNote* b = Note(m, 128 + slot, slot);
  TQSNote* c = Note(m, 128 + 2 * slot, length - 2 * slot);
  Rest(m, 128 + length, 512 - 128 - length);
  Score.Recalculate(0);
  Select({b});
  const std::vector<uint8_t> before = Saved();
  MoveHorizontal(Score, -1);
  EXPECT_EQ(tuplet->Fields.Time, 120);
  EXPECT_EQ(a->Fields.Time, 120);
  EXPECT_EQ(b->Fields.Time, 120 + slot);
  EXPECT_EQ(c->Fields.Time, 120 + 2 * slot);
  ExpectUndoRedo(before);
}

TEST_F(MoveTest, VerticalMovesKeepThePitchRange) {
  struct Case {
    uint8_t pitch;
    int steps;
    uint8_t expected;  // unchanged when the move is refused
  } cases[] = {
      {0x50, 1, 0x46},   // down a step from C crosses into the octave below
      {0x46, -1, 0x50},  // up a step from B
      {0x52, -7, 0x62},  // an octave up
      {0x52, 7, 0x42},   // an octave down
      {0x06, 1, 0x06},   // line 6 is the lowest
      {0x10, 1, 0x06},
      {0x81, -1, 0x81},  // line 57 is the highest
      {0x80, -1, 0x81},
  };
  TQSMeasure* m = OneMeasure();
  TQSNote* note = Note(m, 0, 512);
  Cursor(0, 0);
  // Selected, and then found at the cursor: a refused move records
  // nothing, and at the cursor announces nothing either.
  for (bool atCursor : {false, true})
    for (const Case& c : cases) {
      note->Fields.Pitch = c.pitch;
      Score.Recalculate(0);
      ASSERT_NE(ElementOf(*note), nullptr);
      View.Selected.clear();
      if (!atCursor) View.Selected = {ElementOf(*note)};
      Score.ClearUndo();
      Changed = 0;
      MoveVertical(Score, c.steps);
      EXPECT_EQ(note->Fields.Pitch, c.expected) << std::hex << int(c.pitch) << " by " << std::dec << c.steps;
      EXPECT_EQ(Score.UndoCount(), c.pitch == c.expected ? 0 : 1);
      EXPECT_EQ(Changed, atCursor && c.pitch == c.expected ? 0 : 1) << "at the cursor " << atCursor;
    }
}

TEST_F(MoveTest, OnTablatureANoteChangesStringAndKeepsItsFret) {
  TQSMeasure* m = OneMeasure();
  // E flat major flattens A: the note must still sound its string and fret.
  static_cast<TQSMark*>(CreateItemByKind(kind::Key, m))->Fields.Kind = 13;
  TQSStaff* staff = Part()->GetStaff(0);
  staff->SetTablature(true);
  staff->SetLineCount(6);
  const uint8_t tuning[6] = {64, 59, 55, 50, 45, 40};
  for (int i = 0; i < 6; ++i) staff->SetTuning(i, tuning[i]);
  TQSNote* note = Note(m, 0, 512);
  note->Fields.TabString = 1;
  note->Fields.TabFret = 3;  // fret 2
  note->SetMidiKey(61);
  Score.Recalculate(0);
  Select({note});
  const std::vector<uint8_t> before = Saved();
  MoveVertical(Score, -1);
  EXPECT_EQ(note->Fields.TabString, 2);
  EXPECT_EQ(note->Fields.TabFret, 3);
  EXPECT_EQ(note->Fields.Pitch, MakePitch(4, 5));  // 55 + 2 = 57: A
  EXPECT_EQ(note->SoundingKey, 57);
  ExpectUndoRedo(before);
  note = Find<TQSNote>(m);
  // Beyond the first string the move is refused.
  note->Fields.TabString = 0;
  Score.Recalculate(0);
  View.Selected = {ElementOf(*note)};
  Score.ClearUndo();
  const std::vector<uint8_t> first = Saved();
  MoveVertical(Score, 1);
  EXPECT_EQ(note->Fields.TabString, 0);
  EXPECT_EQ(Saved(), first);
  EXPECT_EQ(Score.UndoCount(), 0);
}

TEST_F(MoveTest, WithoutASelectionMoveToNoteTimeAndTheEmptyCommandDoNothing) {
  TQSMeasure* m = OneMeasure();
  Note(m, 0, 512);
  Score.Recalculate(0);
  const std::vector<uint8_t> before = Saved();
  Changed = 0;
  MoveToNoteTime(Score, 1);
  EmptyKeyCommand(Score);
  ExpectUnchanged(before);
  EXPECT_EQ(Changed, 0);
}

TEST_F(MoveTest, MarksSnapToThePreviousAndNextNoteTime) {
  TQSMeasure* m = OneMeasure();
  TQSNote* first = Note(m, 0, 128);
  Note(m, 128, 128);
  Note(m, 256, 256);
  auto* accent = static_cast<TQSMark*>(CreateItemByKind(kind::Dynamics, m));
  accent->Fields.Kind = 5;
  accent->Fields.Time = 128;
  auto* gliss = static_cast<TQSMark*>(CreateItemByKind(kind::Glissando, first));
  Score.Recalculate(0);
  Select({accent, gliss});
  const std::vector<uint8_t> before = Saved();
  MoveToNoteTime(Score, 1);
  EXPECT_EQ(accent->Fields.Time, 256);
  EXPECT_EQ(gliss->Fields.Style & 1, 1);
  ExpectUndoRedo(before);
  accent = Find<TQSMark>(m);
  Score.ClearUndo();
  Score.Recalculate(0);
  View.Selected = {ElementOfItem(accent)};
  MoveToNoteTime(Score, 0);
  EXPECT_EQ(accent->Fields.Time, 128);
  // At the first note time there is no earlier one: nothing changes.
  accent->Fields.Time = 0;
  Score.Recalculate(0);
  View.Selected = {ElementOfItem(accent)};
  Score.ClearUndo();
  MoveToNoteTime(Score, 0);
  EXPECT_EQ(accent->Fields.Time, 0);
  EXPECT_EQ(Score.UndoCount(), 0);
}

}  // namespace
}  // namespace qs::test
