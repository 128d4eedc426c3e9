// Deleting the selection: what goes, what stays, what is tidied, one undo
// step.
#include <gtest/gtest.h>

#include "editing/deletion.h"
#include "editing_fixture.h"
#include "../layout/dynamics_fixture.h"
#include "layout/dynamics.h"
#include "score/pageobjects.h"
#include "score/undo.h"
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

// Key signatures deleted in two parts, neither of them the cursor's: each
// part's notes after its own key are spelled again for C major.
TEST_F(DeleteSelectionTest, DeletedKeySignaturesRespellTheNotesOfTheirOwnParts) {
  AddPiece({1, 1, 1}, 4);
  Score.ToneModify = true;
  constexpr uint8_t kF = 0x53;
  std::vector<TQSMark*> keys;
  std::vector<TQSNote*> fs;
  for (int part = 0; part < 2; ++part) {
    auto* key = static_cast<TQSMark*>(CreateItemByKind(kind::Key, Measure(part + 1, part)));
    key->Fields.Kind = 1;  // G major
    keys.push_back(key);
    fs.push_back(Note(Measure(part + 1, part), 0, 512, kF));
  }
  Score.Recalculate(0);
  Cursor(0, 0, 0, 0, 2);
  for (TQSMark* key : keys) {
    ASSERT_NE(key->LayoutLink, nullptr);
    View.Selected.push_back(key->LayoutLink);
  }
  ASSERT_TRUE(DeleteSelection(Score));
  for (int part = 0; part < 2; ++part) {
    SCOPED_TRACE(part);
    int sharps = 0;
    for (TQSItem* a : fs[static_cast<size_t>(part)]->Items)
      sharps += a->ItemType == kind::Accidental && static_cast<TQSMark*>(a)->Fields.Kind == 2;
    EXPECT_EQ(sharps, 1);
  }
}

// Deleted dynamics recompute the velocities from the earliest of them to
// the end of the part, on the new layout: the last OnRecalculate, after
// OnChanged, tells of velocities already changed.
TEST_F(DeleteSelectionTest, DeletedDynamicsRecomputeVelocitiesOnTheNewLayout) {
  THostTable host;
  host.Amounts[{kind::Dynamics, 7}] = 100;
  host.Answer(Score);
  Score.AutoVelocity = true;
  AddPiece({1}, 3);
  TQSMark* later = TLayoutScore::Mark(Measure(2), kind::Dynamics, 0, 0, 7);
  TQSMark* first = TLayoutScore::Mark(Measure(1), kind::Dynamics, 256, 0, 7);
  for (int m = 0; m < 3; ++m) TLayoutScore::Quarters(Measure(m));
  Score.Recalculate(0);
  CalcVelocities(*Part(), 0, 0, true);
  TQSNote* beforeIt = Find<TQSNote>(Measure(1), 1);
  TQSNote* after = Find<TQSNote>(Measure(1), 3);
  TQSNote* last = Find<TQSNote>(Measure(2), 3);
  ASSERT_EQ(after->Fields.Velocity, 100);
  ASSERT_EQ(last->Fields.Velocity, 100);
  std::vector<std::string> events;
  Score.OnChanged = [&](TObject*) { events.push_back("changed"); };
  Score.OnRecalculate = [&](TObject*) { events.push_back("recalculate " + std::to_string(last->Fields.Velocity)); };
  Select({later, first});
  ASSERT_TRUE(DeleteSelection(Score));
  EXPECT_EQ(beforeIt->Fields.Velocity, 64);
  EXPECT_EQ(after->Fields.Velocity, 64);
  EXPECT_EQ(last->Fields.Velocity, 64);
  EXPECT_EQ(events, (std::vector<std::string>{"recalculate 100", "changed", "recalculate 64"}));
}

// A time signature and a dynamics mark after it deleted together: the
// re-barring replaces the measures, and the velocities are still found.
TEST_F(DeleteSelectionTest, ATimeSignatureAndDynamicsAfterItDeletedTogether) {
  THostTable host;
  host.Amounts[{kind::Dynamics, 7}] = 100;
  host.Answer(Score);
  Score.AutoVelocity = true;
  Score.AutoEffect = true;
  TQSPiece* piece = AddPiece({1}, 3);
  auto* meter = static_cast<TQSMark*>(CreateItemByKind(kind::Meter, piece->GetColumn(1)));
  meter->Fields.Value = MakeMeter(3, 4);
  Rest(Measure(0), 0, 512);
  for (int m = 1; m < 3; ++m) Note(Measure(m), 0, 384);
  TQSMark* forte = TLayoutScore::Mark(Measure(2), kind::Dynamics, 0, 0, 7);
  TQSMark* arpeggio = TLayoutScore::Mark(Measure(2), kind::Arpeggio);
  Score.Recalculate(0);
  ASSERT_NE(meter->LayoutLink, nullptr);
  View.Selected.push_back(meter->LayoutLink);
  Select({forte, arpeggio});
  const std::vector<uint8_t> before = Saved();
  ASSERT_TRUE(DeleteSelection(Score));
  EXPECT_EQ(piece->Slots[2]->Meter, MakeMeter(4, 4));
  for (int m = 0; m < Part()->MeasureCount(); ++m)
    for (TQSItem* item : Measure(m)->Items)
      if (item->ItemType == kind::Note) {
        EXPECT_EQ(static_cast<TQSNote*>(item)->Fields.Velocity, 64) << m;
      }
  ExpectUndoRedo(before);
}

// Selected page objects go with the score's items, in the same undo step.
TEST_F(DeleteSelectionTest, SelectedPageObjectsGoInTheSameStep) {
  TQSMeasure* m = OneMeasure();
  TQSNote* note = Note(m, 0, 512);
  auto* text = static_cast<TQSText*>(CreateItemByKind(kind::Text, &Score));
  text->Lines = {"Fine"};
  text->Fields.Page = 1;
  Score.Recalculate(0);
  const std::vector<uint8_t> before = Saved();
  Select({note});
  ASSERT_NE(ElementOfItem(text), nullptr);
  View.SelectedPage.push_back(ElementOfItem(text));
  ASSERT_TRUE(DeleteSelection(Score));
  EXPECT_EQ(Score.ItemCount(), 0);
  EXPECT_EQ(Find<TQSNote>(m), nullptr);
  EXPECT_EQ(Score.GetUndoRecord(0)->Action, undoaction::SelectionDeleted);
  ExpectUndoRedo(before);
}

}  // namespace
}  // namespace qs::test
