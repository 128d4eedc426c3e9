// The velocity editor on laid-out notes: bars in columns, one step by keys
// (and nothing at the bounds), a bar's top dragged or clicked into place,
// and the notes between two selected ones aligned on a line.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "platform/forms.h"
#include "platform/keys.h"
#include "platform/stdctrls.h"
#include "platform/testdriver.h"
#include "playback/velocityeditor.h"
#include "score/calcrecords.h"
#include "score/notes.h"
#include "editor_fixture.h"

namespace qs::test {
namespace {

namespace td = testdriver;

struct TBars : TVoiceScore<TQSVelocityEditor> {
  // Quarters at 0, 128, 256, 384 in measure 0 and at 0 in measure 1.
  TBars() : TVoiceScore(2, 400, 220) {
    for (int t = 0; t < 4; ++t) Notes.push_back(Note(Measure(0), t * 128, 128, 0x50));
    Notes.push_back(Note(Measure(1), 0, 128, 0x50));
    for (TQSNote* n : Notes) n->Fields.Velocity = 64;
    Attach();
    td::ShowAndWait(Form);
    Refill();
  }
  TRect Bar(int i) const { return Editor->NoteEntries()[size_t(i)].Bounds; }
};

TEST(VelocityEditor, BarsInColumns) {
  TBars s;
  const int H = s.Editor->ContentHeight();
  EXPECT_GE(H, 143);
  EXPECT_EQ(s.Bar(0), (TRect{24 + 1, H - 10 - 64, 24 + 5, H - 10}));
  EXPECT_EQ(s.Bar(3).Left, 24 + 1 + 3 * 5);
  // The next measure starts after the one-pixel gap of its own.
  EXPECT_EQ(s.Bar(4).Left, 24 + 1 + 4 * 5 + 1);
  EXPECT_EQ(s.Editor->ContentWidth(), 24 + (1 + 4 * 5) + (1 + 5));
}

TEST(VelocityEditor, StepsStopAtTheBounds) {
  TBars s;
  s.Notes[0]->Fields.Velocity = 126;
  s.Editor->SetFocus();
  td::PressKey(*s.Editor, VK_HOME);
  EXPECT_EQ(s.Editor->ActiveIndex(), 0);
  td::PressKey(*s.Editor, VK_UP, ssAlt);
  td::PressKey(*s.Editor, VK_UP, ssAlt);
  EXPECT_EQ(s.Notes[0]->Fields.Velocity, 127);
  EXPECT_EQ(s.Changes, 1);  // the second step changed nothing
  td::PressKey(*s.Editor, VK_DOWN, ssAlt);
  EXPECT_EQ(s.Notes[0]->Fields.Velocity, 126);
  td::PressKey(*s.Editor, VK_UP);  // without Alt nothing
  EXPECT_EQ(s.Notes[0]->Fields.Velocity, 126);
}

TEST(VelocityEditor, TopsDraggedAndClicked) {
  TBars s;
  const TRect b = s.Bar(1);
  const int x = b.Left + 2 - s.Editor->HorzBar->Position();
  const int top = b.Top - s.Editor->VertBar->Position();
  td::MouseDown(*s.Editor, x, top + 1);
  td::MouseUp(*s.Editor, x, top + 1 - 20);
  EXPECT_EQ(s.Notes[1]->Fields.Velocity, 84);
  // Far above the 127 level: 127; below the baseline: 0.
  td::MouseDown(*s.Editor, x, top - 20 + 1);
  td::MouseUp(*s.Editor, x, 0);
  EXPECT_EQ(s.Notes[1]->Fields.Velocity, 127);
  td::Click(*s.Editor, x, b.Bottom - s.Editor->VertBar->Position() - 30, mbLeft, ssAlt);
  EXPECT_EQ(s.Notes[1]->Fields.Velocity, 30);
  EXPECT_EQ(s.Changes, 3);
}

TEST(VelocityEditor, AlignOnALineAcrossMeasures) {
  TBars s;
  s.Notes[0]->Fields.Velocity = 20;
  s.Notes[4]->Fields.Velocity = 100;
  s.Editor->BeginUpdate();
  s.Editor->EndUpdate();
  s.Editor->SetFocus();
  td::PressKey(*s.Editor, VK_HOME);
  const TRect last = s.Bar(4);
  td::Click(*s.Editor, last.Left + 2 - s.Editor->HorzBar->Position(), last.Bottom - 2 - s.Editor->VertBar->Position(),
            mbLeft, ssCtrl);
  s.Changes = 0;
  s.Editor->AlignVelocity();
  // From 20 at tick 0 to 100 at tick 512: every quarter 20 higher.
  std::vector<int> v;
  for (TQSNote* n : s.Notes) v.push_back(n->Fields.Velocity);
  EXPECT_EQ(v, (std::vector<int>{20, 40, 60, 80, 100}));
  EXPECT_EQ(s.Changes, 1);
}

TEST(VelocityEditor, AlignWithBothEndsAtOneTickChangesNothing) {
  TVoiceScore<TQSVelocityEditor> s(2, 400, 220);
  for (uint8_t pitch : {0x50, 0x52, 0x54}) s.Notes.push_back(s.Note(s.Measure(0), 0, 128, pitch));
  s.Notes[0]->Fields.Velocity = 10;
  s.Notes[1]->Fields.Velocity = 50;
  s.Notes[2]->Fields.Velocity = 90;
  s.Attach();
  td::ShowAndWait(s.Form);
  s.Refill();
  TQSVelocityEditor* editor = s.Editor;
  editor->SetFocus();
  td::PressKey(*editor, VK_HOME);
  const TRect last = editor->NoteEntries()[2].Bounds;
  td::Click(*editor, last.Left + 2, last.Bottom - 2 - editor->VertBar->Position(), mbLeft, ssShift);
  editor->AlignVelocity();
  EXPECT_EQ(s.Notes[1]->Fields.Velocity, 50);
}

// An effect note attached to the first note has a bar of its own after
// it, showing and changing the effect's velocity, not the note's.
TEST(VelocityEditor, EffectNotesHaveTheirOwnVelocity) {
  TBars s;
  auto* effect = static_cast<TQSEffect*>(CreateItemByKind(kind::Effect, s.Notes[0]));
  effect->Fields.Velocity = 20;
  s.Refill();
  ASSERT_EQ(s.Editor->NoteEntries().size(), 6u);
  EXPECT_EQ(s.Editor->NoteEntries()[1].Effect, effect);
  EXPECT_EQ(s.Bar(1).Height(), 20);
  td::Click(*s.Editor, s.Bar(1).Left + 2 - s.Editor->HorzBar->Position(),
            s.Bar(1).Bottom - 2 - s.Editor->VertBar->Position());
  td::PressKey(*s.Editor, VK_ADD);
  EXPECT_EQ(effect->Fields.Velocity, 21);
  EXPECT_EQ(s.Notes[0]->Fields.Velocity, 64);
  EXPECT_EQ(s.Bar(1).Height(), 21);
}

}  // namespace
}  // namespace qs::test

namespace qs::test {
namespace {

// Shift with a click selects every entry from the active one to the
// clicked one, in the editor and in the view.
TEST(VelocityEditor, ShiftClickSelectsTheRangeHereAndInTheView) {
  TBars s;
  auto at = [&](int i) {
    const TRect b = s.Bar(i);
    return TPoint{b.Left + 2 - s.Editor->HorzBar->Position(), b.Bottom - 2 - s.Editor->VertBar->Position()};
  };
  td::Click(*s.Editor, at(1).X, at(1).Y);
  td::Click(*s.Editor, at(3).X, at(3).Y, mbLeft, ssShift);
  std::vector<bool> selected;
  for (const TQSVoiceEntry& e : s.Editor->NoteEntries()) selected.push_back(e.Selected);
  EXPECT_EQ(selected, (std::vector<bool>{false, true, true, true, false}));
  std::vector<TQSCalcItem*> inView = s.View.Selection;
  std::sort(inView.begin(), inView.end());
  std::vector<TQSCalcItem*> expected{s.Notes[1]->HeadElement, s.Notes[2]->HeadElement, s.Notes[3]->HeadElement};
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(inView, expected);
}

// An effect note between the aligned ends takes the line's velocity at
// its own position; its note at the note's.
TEST(VelocityEditor, AnEffectBetweenTheEndsLiesOnTheLineAtItsOwnPlace) {
  TBars s;
  s.Notes[0]->Fields.Velocity = 20;
  s.Notes[4]->Fields.Velocity = 100;
  auto* effect = static_cast<TQSEffect*>(CreateItemByKind(kind::Effect, s.Notes[1]));
  effect->Fields.Time = 192;
  s.Refill();
  ASSERT_EQ(s.Editor->NoteEntries()[2].Effect, effect);
  s.Editor->SetFocus();
  td::PressKey(*s.Editor, VK_HOME);
  const TRect last = s.Bar(5);
  td::Click(*s.Editor, last.Left + 2 - s.Editor->HorzBar->Position(), last.Bottom - 2 - s.Editor->VertBar->Position(),
            mbLeft, ssCtrl);
  s.Editor->AlignVelocity();
  // 20 at tick 0 to 100 at tick 512: 20 higher every quarter.
  EXPECT_EQ(s.Notes[1]->Fields.Velocity, 40);
  EXPECT_EQ(effect->Fields.Velocity, 50);
  EXPECT_EQ(s.Notes[2]->Fields.Velocity, 60);
}

}  // namespace
}  // namespace qs::test
