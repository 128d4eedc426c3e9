// The view on a form, driven by real mouse and wheel input through the
// window system: clicks place the cursor and select, a drag over empty
// paper selects a rectangle, the wheel scrolls and with Ctrl zooms, and
// the page buttons turn the pages.
#include <gtest/gtest.h>

#include "platform/forms.h"
#include "platform/testdriver.h"
#include "score/marks.h"
#include "view_fixture.h"

namespace qs::test {
namespace {

namespace td = qs::testdriver;

class ViewMouse : public TShownScoreTest {
 protected:
  void SetUp() override {
    Piece = AddPiece({2}, 8);
    for (int m = 0; m < 8; ++m) Quarters(Measure(m));
    Score.PageCount = 3;
    ShowScore(false);
  }
  const TQSCalcMeasure& SlotOf(int m) const { return *static_cast<TQSCalcMeasure*>(Piece->Slots[m]); }
  TPoint Client(int x, int y) const { return View->Geometry().PageToScreen({x, y}, 0); }
  bool Selected(const TQSCalcItem* e) const {
    const TQSSelPiece* sel = View->FindSelPiece(Piece);
    if (!sel) return false;
    for (const TQSSelList& list : sel->Measures)
      if (std::find(list.begin(), list.end(), e) != list.end()) return true;
    return false;
  }
};

TEST_F(ViewMouse, AClickOnANoteSelectsItAndPutsTheCursorThere) {
  TQSNote* note = NoteAt(2, 256);
  TQSCalcItem* clicked = nullptr;
  int scoreClicks = 0;
  View->OnItemClick = [&](TObject*, TQSCalcItem* e) { clicked = e; };
  View->OnScoreClick = [&](TObject*) { ++scoreClicks; };
  const TPoint p = Centre(*note->HeadElement);
  td::Click(*View, p.X, p.Y);
  EXPECT_TRUE(View->HasFocus());
  EXPECT_EQ(View->CursorPosition.Measure, 2);
  EXPECT_EQ(View->CursorPosition.Tick, 256);
  EXPECT_TRUE(Selected(note->HeadElement));
  EXPECT_EQ(clicked, note->HeadElement);
  EXPECT_EQ(scoreClicks, 0);
  // A click on empty paper clears the selection and is a score click.
  td::Click(*View, 400, 20);
  EXPECT_FALSE(View->HasSelection());
  EXPECT_EQ(scoreClicks, 1);
}

TEST_F(ViewMouse, ADragOverEmptyPaperSelectsARectangle) {
  const TQSCalcMeasure& slot = SlotOf(1);
  const TPoint from = Client(slot.Box.Left + 8, kTop);                          // above the first staff
  const TPoint to = Client(slot.Box.Right - 8, kFirstRowTop + kStaffHeight + 40);  // below it
  td::MouseDown(*View, from.X, from.Y);
  td::MouseMove(*View, (from.X + to.X) / 2, (from.Y + to.Y) / 2);
  td::MouseMove(*View, to.X, to.Y);
  // The band is drawn in XOR on the view's canvas, which is left as it was.
  EXPECT_TRUE(View->RubberBand);
  EXPECT_TRUE(View->Canvas().Pen().Mode == pmCopy);
  EXPECT_FALSE(View->Canvas().HasClip());
  td::MouseUp(*View, to.X, to.Y);
  for (int tick : {0, 128, 256, 384}) EXPECT_TRUE(Selected(NoteAt(1, tick)->HeadElement)) << tick;
  EXPECT_FALSE(Selected(NoteAt(0, 384)->HeadElement));
  EXPECT_FALSE(Selected(NoteAt(2, 0)->HeadElement));
  EXPECT_FALSE(View->RubberBand);
}

// Between the staves the nearer one takes the click; near a barline the
// click names its measure; ledger-line positions give pitch lines below 62.
TEST_F(ViewMouse, ClicksBetweenStavesOnABarlineAndOnALedgerLine) {
  const TQSCalcStaff& upper = Row(0, 0);
  const TQSCalcStaff& lower = Row(0, 1);
  const int x = Client(SlotOf(1).Box.Left + SlotOf(1).Positions[128], 0).X;
  const int boundary = Client(0, upper.LowerBound).Y;
  td::Click(*View, x, boundary - 2);
  EXPECT_EQ(View->CursorPosition.Staff, 0);
  td::Click(*View, x, boundary + 2);
  EXPECT_EQ(View->CursorPosition.Staff, 1);

  const int barline = Client(SlotOf(1).Box.Right, 0).X;
  td::Click(*View, barline - 1, Client(0, lower.TopLine + 48).Y);
  EXPECT_EQ(View->ClickedBarMeasure, 1);
  td::Click(*View, x, Client(0, lower.TopLine + 48).Y);
  EXPECT_EQ(View->ClickedBarMeasure, -1);

  // Five staff spaces below the lower staff's top line: the first ledger
  // line below (60); half a space lower, the space under it (59).
  const int top = Client(0, lower.TopLine).Y;
  td::Click(*View, x, top + 5 * 6);
  EXPECT_EQ(View->CursorLine(), 60);
  td::Click(*View, x, top + 5 * 6 + 3);
  EXPECT_EQ(View->CursorLine(), 59);
  EXPECT_EQ(View->CursorPosition.Staff, 1);
}

TEST_F(ViewMouse, TheWheelScrollsAndWithCtrlZooms) {
  ASSERT_EQ(View->Geometry().VertBar.Position, 0);
  td::Wheel(*View, 300, 300, -WHEEL_DELTA);
  EXPECT_EQ(View->Geometry().VertBar.Position, 60);  // 120 x Zoom / 200
  td::Wheel(*View, 300, 300, WHEEL_DELTA);
  EXPECT_EQ(View->Geometry().VertBar.Position, 0);
  td::Wheel(*View, 300, 300, WHEEL_DELTA, ssCtrl);
  EXPECT_EQ(View->Zoom, 125);
  for (int i = 0; i < 6; ++i) td::Wheel(*View, 300, 300, -WHEEL_DELTA, ssCtrl);
  EXPECT_EQ(View->Zoom, 25);
  td::Wheel(*View, 300, 300, -WHEEL_DELTA, ssCtrl);
  EXPECT_EQ(View->Zoom, 25);
}

TEST_F(ViewMouse, PageButtonsTurnThePages) {
  ASSERT_EQ(View->Geometry().PageCount, 3);
  ASSERT_TRUE(View->ButtonEnabled[4]);
  const TRect next = View->Buttons[4];
  td::Click(*View, (next.Left + next.Right) / 2, (next.Top + next.Bottom) / 2);
  EXPECT_EQ(View->CursorPosition.Page, 1);
  EXPECT_EQ(View->PressedButton, 0);
  const TRect first = View->Buttons[1];
  td::Click(*View, (first.Left + first.Right) / 2, (first.Top + first.Bottom) / 2);
  EXPECT_EQ(View->CursorPosition.Page, 0);
}

// With Shift held a drag pans the pages with the mouse; the right button
// places the cursor and selects as the left does.
TEST_F(ViewMouse, AShiftDragPansAndARightClickSelects) {
  TQSNote* note = NoteAt(3, 128);
  const TPoint p = Centre(*note->HeadElement);
  td::Click(*View, p.X, p.Y, mbRight);
  EXPECT_TRUE(Selected(note->HeadElement));
  EXPECT_EQ(View->CursorPosition.Measure, 3);
  EXPECT_EQ(View->CursorPosition.Tick, 128);
  td::MouseDown(*View, 300, 400, mbLeft, ssShift);
  td::MouseMove(*View, 300, 300, ssShift);
  td::MouseMove(*View, 300, 250, ssShift);
  td::MouseUp(*View, 300, 250, mbLeft, ssShift);
  EXPECT_EQ(View->Geometry().VertBar.Position, 150);
  EXPECT_TRUE(Selected(note->HeadElement));  // panning leaves the selection alone
}

// Dragging the vertical scroll bar's thumb scrolls the pages and names the
// page at the top.
TEST_F(ViewMouse, DraggingTheScrollBarThumbScrolls) {
  TScrollBar& bar = *View->VertScrollBar;
  ASSERT_EQ(bar.Max(), 3 * 624 - 1);
  ASSERT_GT(bar.Height(), 600);
  const int x = bar.Width() / 2;
  td::MouseDown(bar, x, 30);
  td::MouseMove(bar, x, 90);
  td::MouseMove(bar, x, 150);
  td::MouseUp(bar, x, 150);
  EXPECT_GT(View->Geometry().VertBar.Position, 100);
  EXPECT_LT(View->Geometry().VertBar.Position, 624);
  EXPECT_EQ(bar.Position(), View->Geometry().VertBar.Position);
  EXPECT_EQ(bar.Hint(), "1");
  EXPECT_TRUE(bar.ShowHint());  // shown while the thumb moves
  td::MouseDown(bar, x, 150);
  td::MouseMove(bar, x, 690);
  td::MouseUp(bar, x, 690);
  EXPECT_EQ(View->Geometry().VertBar.Position, View->Geometry().VertBar.Range());
  EXPECT_EQ(bar.Hint(), "2");  // the second page's bottom is the first below the top
}

// What the window shows: the pages and the cursor, drawn on the control.
TEST_F(ViewMouse, TheControlShowsThePagesAndTheCursor) {
  td::Click(*View, Client(SlotOf(0).Box.Left + SlotOf(0).Positions[128], 0).X, Client(0, kFirstRowTop + 24).Y);
  td::ProcessMessages();
  std::unique_ptr<TBitmap> shot = GrabControl(*View);
  ASSERT_TRUE(shot);
  EXPECT_EQ(shot->Pixel(200, 10), clWhite);
  EXPECT_EQ(shot->Pixel(600, 10), clGray);
  const int x = Client(SlotOf(0).Box.Left + SlotOf(0).Positions[128], 0).X;
  const int y = Client(0, kFirstRowTop + 12).Y;
  // The focused cursor: yellow XOR white is blue.
  EXPECT_EQ(shot->Pixel(x, y), 0xFF0000u);
}

}  // namespace
}  // namespace qs::test
