// Moving the cursor with the arrow, Home and End keys, sent as real key
// events to a view on a shown form.
#include <gtest/gtest.h>

#include <set>
#include <tuple>

#include "editing/deletion.h"
#include "view_fixture.h"
#include "platform/forms.h"
#include "platform/keys.h"
#include "platform/testdriver.h"
#include "score/calcrecords.h"
#include "score/measure.h"
#include "score/part.h"
#include "score/piece.h"
#include "view/window.h"

namespace qs::test {
namespace {

namespace td = qs::testdriver;

struct TPos {
  int Piece, Measure, Tick;
  bool operator==(const TPos&) const = default;
};

std::ostream& operator<<(std::ostream& os, const TPos& p) {
  return os << "(piece " << p.Piece << ", measure " << p.Measure << ", tick " << p.Tick << ")";
}

// Piece 0: eight measures of quarter notes, measure 3 with a second staff
// voice (half notes) and measure 5 set to all voices. Piece 1: four
// measures of two half notes each.
class ViewNavigation : public TShownScoreTest {
 protected:
  TQSPiece* First = nullptr;  // the fixture's Piece
  TQSPiece* Second = nullptr;

  void SetUp() override {
    First = Piece = AddPiece({2}, 8);
    for (int m = 0; m < 8; ++m) Quarters(Measure(m));
    // Events of the second staff in measures 3 and 5.
    for (int m : {3, 5}) {
      Note(Measure(m), 64, 128, 0x40, 0x10);
      Note(Measure(m), 320, 128, 0x40, 0x10);
    }
    Measure(5)->Fields.Flags |= TQSMeasure::kAllVoices;
    Second = AddPiece({2}, 4);
    for (int m = 0; m < 4; ++m) {
      Note(Second->GetPart(0)->GetMeasure(m), 0, 256);
      Note(Second->GetPart(0)->GetMeasure(m), 256, 256);
    }
    ShowScore(true);
  }
  void Place(TPos p, int staff = 0) {
    View->CursorPosition.Piece = p.Piece;
    View->CursorPosition.Part = 0;
    View->CursorPosition.Staff = staff;
    View->CursorPosition.Voice = 0;
    View->CursorPosition.Measure = p.Measure;
    View->CursorPosition.Tick = p.Tick;
    View->ValidateCursor(false);
  }
  TPos Cursor() const {
    return {View->CursorPosition.Piece, View->CursorPosition.Measure, View->CursorPosition.Tick};
  }
  // The selected notes of piece 0 as (measure, tick, staff), each once.
  std::set<std::tuple<int, int, int>> SelectedNotes() const {
    std::set<std::tuple<int, int, int>> out;
    if (const TQSSelPiece* sel = View->FindSelPiece(First))
      for (const TQSSelList& list : sel->Measures)
        for (const TQSCalcItem* e : list)
          if (e->Item && e->Item->ItemType == kind::Note)
            out.insert({e->Item->GetMeasure()->Index, e->Item->TimePosition(), e->Item->StaffVoice() >> 4});
    return out;
  }
  int SystemOf(const TQSPiece* piece, int m) const {
    const auto* slot = static_cast<const TQSCalcMeasure*>(piece->Slots[static_cast<size_t>(m)]);
    return slot->System->FirstMeasure;
  }
  int SystemEnd(const TQSPiece* piece, int m) const {
    const auto* slot = static_cast<const TQSCalcMeasure*>(piece->Slots[static_cast<size_t>(m)]);
    return slot->System->FirstMeasure + slot->System->MeasureCount - 1;
  }
};

TEST_F(ViewNavigation, ArrowKeysStepFromEventToEventAcrossMeasuresAndPieces) {
  ASSERT_EQ(First->LastLaidOutMeasure, 7);
  // The layout fills the last system with measures the part does not have.
  const int last = Second->LastLaidOutMeasure;
  ASSERT_GE(last, 3);
  struct TRow {
    uint16_t Key;
    TPos From, To;
    int Staff = 0;
  } rows[] = {
      {VK_RIGHT, {0, 0, 0}, {0, 0, 128}},
      {VK_RIGHT, {0, 0, 384}, {0, 1, 0}},      // the first event of the next measure
      {VK_LEFT, {0, 1, 0}, {0, 0, 384}},       // the last event of the previous measure
      {VK_LEFT, {0, 2, 256}, {0, 2, 128}},
      {VK_LEFT, {0, 0, 0}, {0, 0, 0}},         // the score's first event: nothing moves
      {VK_RIGHT, {0, 3, 0}, {0, 3, 128}},      // the other staff's events are passed over
      {VK_RIGHT, {0, 3, 64}, {0, 3, 320}, 1},  // ...and the cursor's staff keeps to its own
      {VK_RIGHT, {0, 5, 0}, {0, 5, 64}},       // all voices: every staff's events
      {VK_LEFT, {0, 5, 384}, {0, 5, 256}},     // ...but moving left keeps to the cursor's staff
      {VK_LEFT, {0, 6, 0}, {0, 5, 384}},
      {VK_RIGHT, {0, 7, 384}, {1, 0, 256}},    // next piece: the event nearest the old tick
      {VK_LEFT, {1, 0, 0}, {0, 7, 384}},       // previous piece: its last laid-out measure
      {VK_RIGHT, {1, 3, 0}, {1, 3, 256}},
      {VK_RIGHT, {1, last, 0}, {1, last, 0}},  // the score's last measure: nothing moves
  };
  for (const TRow& row : rows) {
    Place(row.From, row.Staff);
    td::PressKey(*View, row.Key);
    EXPECT_EQ(Cursor(), row.To) << (row.Key == VK_LEFT ? "Left" : "Right") << " from " << row.From;
  }
}

TEST_F(ViewNavigation, HomeAndEndGoToTheEndsOfTheCursorsSystem) {
  const int start = SystemOf(First, 1), end = SystemEnd(First, 1);
  ASSERT_LT(start, end);
  Place({0, 1, 256});
  td::PressKey(*View, VK_END);
  EXPECT_EQ(Cursor(), (TPos{0, end, 384}));
  td::PressKey(*View, VK_HOME);
  EXPECT_EQ(Cursor(), (TPos{0, start, 0}));
  Place({1, 2, 256});
  td::PressKey(*View, VK_HOME);
  EXPECT_EQ(Cursor(), (TPos{1, SystemOf(Second, 2), 0}));
}

TEST_F(ViewNavigation, MovesWithoutShiftClearTheSelectionAndReportTheChange) {
  int changes = 0;
  View->OnActiveChanged = [&](TObject*) { ++changes; };
  Place({0, 2, 0});
  View->SelectAll(0);
  ASSERT_TRUE(View->HasSelection());
  td::PressKey(*View, VK_RIGHT, ssShift);
  EXPECT_TRUE(View->HasSelection());
  td::PressKey(*View, VK_RIGHT);
  EXPECT_FALSE(View->HasSelection());
  EXPECT_EQ(changes, 2);
  EXPECT_EQ(Cursor(), (TPos{0, 2, 256}));
}

TEST_F(ViewNavigation, UpAndDownStepThroughStavesAndStaffRows) {
  const auto* slot1 = static_cast<const TQSCalcMeasure*>(First->Slots[1]);
  const TQSCalcSystem* top = slot1->System;
  const int next = top->FirstMeasure + top->MeasureCount;  // the first measure of the second system
  ASSERT_LT(next, 8);
  const auto* slotNext = static_cast<const TQSCalcMeasure*>(First->Slots[static_cast<size_t>(next)]);
  // The second system's measure at the same place as the first system's measure 1.
  int below = slotNext->System->FirstMeasure;
  for (int k = 0; k < slotNext->System->MeasureCount; ++k)
    if (slotNext->System->Measures.At(k)->Box.Left <= slot1->Box.Left) below = slotNext->System->FirstMeasure + k;
  struct TRow {
    uint16_t Key;
    int Measure, Staff;
    int ToMeasure, ToStaff;
  } rows[] = {
      {VK_DOWN, 1, 0, 1, 1},          // the next staff of the part
      {VK_UP, 1, 1, 1, 0},
      {VK_DOWN, 1, 1, below, 0},      // the row below: the next system's first staff
      {VK_UP, below, 0, 1, 1},        // and back to the last staff of the system above
      {VK_UP, 1, 0, 1, 0},            // the top row of page 0: nothing moves
  };
  for (const TRow& row : rows) {
    Place({0, row.Measure, 0}, row.Staff);
    td::PressKey(*View, row.Key);
    EXPECT_EQ(View->CursorPosition.Measure, row.ToMeasure) << row.Key << " from " << row.Measure << "/" << row.Staff;
    EXPECT_EQ(View->CursorPosition.Staff, row.ToStaff) << row.Key << " from " << row.Measure << "/" << row.Staff;
  }
  // The last row of the last page: nothing moves.
  const int last = Second->LastLaidOutMeasure;
  Place({1, last, 0}, 1);
  const int page = View->CursorPosition.Page;
  ASSERT_EQ(page, View->Geometry().PageCount - 1);
  td::PressKey(*View, VK_DOWN);
  EXPECT_EQ(Cursor(), (TPos{1, last, 0}));
  EXPECT_EQ(View->CursorPosition.Staff, 1);
}

TEST_F(ViewNavigation, CtrlHomeAndCtrlEndGoToTheEndsOfThePiecesOnThePage) {
  ASSERT_EQ(View->Geometry().PageCount, 1);
  Place({1, 2, 256});
  td::PressKey(*View, VK_HOME, ssCtrl);
  EXPECT_EQ(Cursor(), (TPos{0, 0, 0}));
  td::PressKey(*View, VK_END, ssCtrl);
  EXPECT_EQ(Cursor(), (TPos{1, Second->LastLaidOutMeasure, 0}));  // a measure the part lacks: tick 0
  Place({0, 3, 128});
  td::PressKey(*View, VK_END, ssCtrl | ssAlt);  // Alt is not looked at
  EXPECT_EQ(Cursor(), (TPos{1, Second->LastLaidOutMeasure, 0}));
}

TEST_F(ViewNavigation, AdvancingTheCursorByADuration) {
  struct TRow {
    TPos From;
    int Ticks;
    TPos To;
  } rows[] = {
      {{0, 2, 128}, 128, {0, 2, 256}},
      {{0, 2, 128}, 384, {0, 3, 0}},    // exactly the rest of the measure: the next one's start
      {{0, 2, 128}, 0, {0, 2, 128}},
      {{0, 6, 0}, 512 + 64, {0, 7, 64}},
      {{0, 7, 0}, 512, {0, 7, 0}},      // past the piece's last laid-out measure: no move
  };
  for (const TRow& row : rows) {
    Place(row.From);
    View->AdvanceCursor(row.Ticks);
    EXPECT_EQ(Cursor(), row.To) << row.Ticks << " from " << row.From;
  }
  // Into measures the part does not have yet: they are appended.
  TQSPart* part = Second->GetPart(0);
  Place({1, 3, 256});
  View->AdvanceCursor(128, -1, -1, true);
  EXPECT_EQ(part->MeasureCount(), 4);  // its own measure: nothing added
  View->AdvanceCursor(512 + 128, 3, 0, true);
  EXPECT_EQ(Cursor(), (TPos{1, 4, 128}));
  EXPECT_EQ(part->MeasureCount(), 5);
}

TEST_F(ViewNavigation, ShiftArrowsGrowAndShrinkTheSelection) {
  using N = std::set<std::tuple<int, int, int>>;
  Place({0, 2, 256});
  td::PressKey(*View, VK_RIGHT, ssShift);
  EXPECT_EQ(SelectedNotes(), (N{{2, 256, 0}, {2, 384, 0}}));
  EXPECT_TRUE(View->HasSelection());
  td::PressKey(*View, VK_RIGHT, ssShift);  // into the next measure
  EXPECT_EQ(SelectedNotes(), (N{{2, 256, 0}, {2, 384, 0}, {3, 0, 0}}));
  td::PressKey(*View, VK_LEFT, ssShift);  // back: the span from the cursor on is given up
  EXPECT_EQ(SelectedNotes(), (N{{2, 256, 0}}));
  td::PressKey(*View, VK_LEFT, ssShift);
  EXPECT_EQ(SelectedNotes(), N{});
  td::PressKey(*View, VK_LEFT, ssShift);  // and on backwards it grows again
  EXPECT_EQ(SelectedNotes(), (N{{2, 128, 0}, {2, 256, 0}}));
}

TEST_F(ViewNavigation, ShiftEndSelectsWithinTheSymbolScope) {
  using N = std::set<std::tuple<int, int, int>>;
  Place({0, 3, 256});
  td::PressKey(*View, VK_RIGHT, ssShift);
  EXPECT_EQ(SelectedNotes(), (N{{3, 256, 0}, {3, 320, 1}, {3, 384, 0}}));  // every staff by default
  View->ClearSelection();
  Score.SymbolSelectScope = 4;  // the cursor's voice
  Place({0, 3, 256});
  td::PressKey(*View, VK_RIGHT, ssShift);
  EXPECT_EQ(SelectedNotes(), (N{{3, 256, 0}, {3, 384, 0}}));
}

TEST_F(ViewNavigation, ScoreStartAndEnd) {
  Place({0, 4, 128});
  View->GotoScoreEnd();
  EXPECT_EQ(Cursor(), (TPos{1, 3, 256}));
  EXPECT_EQ(View->CursorPosition.Page, Second->MeasurePage(3));
  View->GotoScoreStart();
  EXPECT_EQ(Cursor(), (TPos{0, 0, 0}));
  EXPECT_EQ(View->CursorPosition.Page, 0);
}

}  // namespace
}  // namespace qs::test

namespace qs::test {
namespace {

TEST_F(ViewNavigation, DeleteAndBackspaceDeleteTheSelectionElseBackspaceStepsBack) {
  int deletions = 0;
  View->OnDeleteSelection = [&](TObject*) {
    ++deletions;
    return View->HasSelection();
  };
  Place({0, 2, 256});
  View->SelectAll(0);
  td::PressKey(*View, VK_DELETE);
  EXPECT_EQ(deletions, 1);
  EXPECT_FALSE(View->HasSelection());
  EXPECT_EQ(Cursor(), (TPos{0, 2, 256}));
  td::PressKey(*View, VK_DELETE);  // nothing selected: nothing else happens
  EXPECT_EQ(deletions, 2);
  EXPECT_EQ(Cursor(), (TPos{0, 2, 256}));
  td::PressKey(*View, VK_BACK);  // the first event of the previous measure
  EXPECT_EQ(Cursor(), (TPos{0, 1, 0}));
  View->SelectAll(0);
  td::PressKey(*View, VK_BACK);  // with a selection only the selection goes
  EXPECT_EQ(Cursor(), (TPos{0, 1, 0}));
  EXPECT_EQ(deletions, 4);
}

// The real-time view's Go to beginning and Go to end move the play
// position: to 0, and to the start of the last measure played.
TEST_F(ViewNavigation, TheRealTimeViewSeeksInsteadOfMovingTheCursor) {
  struct TSeeks : TQSPlayControl {
    std::vector<double> Times;
    void Play() override {}
    void Record() override {}
    void StopPlay() override {}
    bool IsPlaying() const override { return false; }
    bool IsRecording() const override { return false; }
    bool IsRealTimeRecording() const override { return false; }
    void LockRecord() override {}
    void UnlockRecord() override {}
    void SeekPlayTime(double ms) override { Times.push_back(ms); }
  } seeks;
  View->PlayControl = &seeks;
  View->Style = wsRealTime;
  Place({0, 2, 128});
  View->GotoScoreEnd();
  View->GotoScoreStart();
  ASSERT_EQ(seeks.Times.size(), 2u);
  ASSERT_GT(Second->VisitCount, 0);
  EXPECT_EQ(seeks.Times[0], Second->Visits[static_cast<size_t>(Second->VisitCount) - 1]->StartMs);
  EXPECT_GT(seeks.Times[0], 0);
  EXPECT_EQ(seeks.Times[1], 0);
  EXPECT_EQ(Cursor(), (TPos{0, 2, 128}));
  View->PlayControl = nullptr;
  View->Style = wsNormal;
}

// At a system's edge Delete and Backspace lower the piece's system counter
// while it lies above the system's running number.
TEST_F(ViewNavigation, DeleteAndBackspaceAtASystemsEdgeLowerTheSystemCounter) {
  View->OnDeleteSelection = [](TObject*) { return false; };
  int start = -1;
  for (int m = 1; m < 8 && start < 0; ++m) {
    Place({0, m, 0});
    if (View->CursorSystem() && View->CursorSystem()->FirstMeasure == m) start = m;
  }
  ASSERT_GT(start, 0) << "no system starts after the first measure";
  const TQSCalcSystem* system = View->CursorSystem();
  const int number = system->Number, end = start + system->MeasureCount - 1;
  First->SystemCounter = number + 2;
  Place({0, start, 256});
  td::PressKey(*View, VK_BACK);
  EXPECT_EQ(First->SystemCounter, number + 1);
  EXPECT_EQ(Cursor(), (TPos{0, start - 1, 0}));
  // Delete at the end of a system lowers it while above the number + 1.
  Place({0, end, 0});
  const int running = View->CursorSystem()->Number;
  First->SystemCounter = running + 2;
  td::PressKey(*View, VK_DELETE);
  EXPECT_EQ(First->SystemCounter, running + 1);
  EXPECT_EQ(Cursor(), (TPos{0, end, 0}));
  td::PressKey(*View, VK_DELETE);
  EXPECT_EQ(First->SystemCounter, running + 1);
}

}  // namespace
}  // namespace qs::test

namespace qs::test {
namespace {

TEST_F(ViewNavigation, DeletingTheSelectionWithTheKeyboardAndUndoingIt) {
  View->OnDeleteSelection = [&](TObject*) { return DeleteSelection(Score); };
  TQSMeasure* m = First->GetPart(0)->GetMeasure(2);
  auto staffZeroNotes = [&] {
    int n = 0;
    for (const TQSItem* item : m->Items) n += item->ItemType == kind::Note && item->StaffVoice() == 0;
    return n;
  };
  Place({0, 2, 0});
  td::PressKey(*View, VK_RIGHT, ssShift);  // the notes at 0 and 128
  ASSERT_TRUE(View->HasSelection());
  td::PressKey(*View, VK_DELETE);
  EXPECT_EQ(staffZeroNotes(), 2);
  EXPECT_FALSE(View->HasSelection());
  EXPECT_EQ(Score.UndoCount(), 1);
  td::PressKey(*View, 'Z', ssCtrl);
  EXPECT_EQ(staffZeroNotes(), 4);
  td::PressKey(*View, 'Z', ssCtrl | ssShift);
  EXPECT_EQ(staffZeroNotes(), 2);
}

}  // namespace
}  // namespace qs::test

namespace qs::test {
namespace {

// Up and down step through the voices of a staff before its staves: down
// from the staff's last voice to the next staff's first, up from a staff's
// first voice to the last voice of the staff above.
TEST_F(ViewNavigation, UpAndDownStepThroughTheVoicesOfAStaff) {
  First->GetPart(0)->GetStaff(0)->NewVoice();
  // Events at the cursor's tick in the second voice and on the second staff.
  Note(First->GetPart(0)->GetMeasure(1), 128, 128, 0x40, 0x01);
  Note(First->GetPart(0)->GetMeasure(1), 128, 128, 0x40, 0x10);
  Layout();
  struct TRow {
    uint16_t Key;
    int Staff, Voice, ToStaff, ToVoice;
  } const rows[] = {
      {VK_DOWN, 0, 0, 0, 1},
      {VK_DOWN, 0, 1, 1, 0},
      {VK_UP, 1, 0, 0, 1},
      {VK_UP, 0, 1, 0, 0},
  };
  for (const TRow& row : rows) {
    Place({0, 1, 128}, row.Staff);
    View->CursorPosition.Voice = row.Voice;
    td::PressKey(*View, row.Key);
    EXPECT_EQ(View->CursorPosition.Staff, row.ToStaff) << row.Key << " from " << row.Staff << "/" << row.Voice;
    EXPECT_EQ(View->CursorPosition.Voice, row.ToVoice) << row.Key << " from " << row.Staff << "/" << row.Voice;
    EXPECT_EQ(Cursor(), (TPos{0, 1, 128}));
  }
}

// Shift with Home and End, with or without Ctrl, selects from the cursor to
// the end of the system or to the start of the piece; each step that
// changes the selection reports it once, also when it shrinks.
TEST_F(ViewNavigation, ShiftHomeAndEndSelectToTheEndsAndReportEachChangeOnce) {
  // The notes of piece 0 from one place to another, both included.
  auto between = [](TPos from, TPos to) {
    std::set<std::tuple<int, int, int>> out;
    auto add = [&](int m, int t, int staff) {
      if (std::tie(from.Measure, from.Tick) <= std::tie(m, t) && std::tie(m, t) <= std::tie(to.Measure, to.Tick))
        out.insert({m, t, staff});
    };
    for (int m = 0; m < 8; ++m) {
      for (int t = 0; t < 512; t += 128) add(m, t, 0);
      if (m == 3 || m == 5) add(m, 64, 1), add(m, 320, 1);
    }
    return out;
  };
  int reports = 0;
  View->OnSelectedChanged = [&](TObject*) { ++reports; };
  const int start = SystemOf(First, 1), end = SystemEnd(First, 1);
  Place({0, 1, 256});
  td::PressKey(*View, VK_END, ssShift);
  EXPECT_EQ(SelectedNotes(), between({0, 1, 256}, {0, end, 384}));
  EXPECT_EQ(reports, 1);
  td::PressKey(*View, VK_HOME, ssShift);  // before the selection's start: it grows back to there
  EXPECT_EQ(SelectedNotes(), between({0, start, 0}, {0, end, 384}));
  EXPECT_EQ(reports, 2);
  td::PressKey(*View, VK_RIGHT, ssShift);  // inside it: the span up to the cursor is given up
  EXPECT_EQ(SelectedNotes(), between({0, start, 256}, {0, end, 384}));
  EXPECT_EQ(reports, 3);
  td::PressKey(*View, VK_HOME);  // a plain move clears it
  EXPECT_TRUE(SelectedNotes().empty());
  Place({0, 2, 128});
  td::PressKey(*View, VK_HOME, ssShift | ssCtrl);
  EXPECT_EQ(Cursor(), (TPos{0, 0, 0}));
  EXPECT_EQ(SelectedNotes(), between({0, 0, 0}, {0, 2, 128}));
}

}  // namespace
}  // namespace qs::test
