// The scrolling container through real input: ranges follow the children,
// the flat bars' thumbs take the visible share, and arrows, the track,
// the thumb and the wheel scroll the children.
#include <gtest/gtest.h>

#include "platform/forms.h"
#include "platform/keys.h"
#include "platform/stdctrls.h"
#include "platform/testdriver.h"
#include "uikit/scrolling.h"
#include "uikit_fixture.h"

namespace qs {
namespace {

using uikit_test::HoldsFor;
using uikit_test::WaitFor;

namespace td = testdriver;

class ScrollingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form = new TForm(nullptr);
    form->SetBounds(100, 100, 400, 400);
    box = new TECScrollWinControl(form);
    box->SetParent(form);
    box->SetBounds(10, 10, 200, 300);
    box->SetBorderStyle(bsNone);  // the client area is the whole box
    tall = new TButton(form);
    tall->SetBounds(0, 0, 150, 1000);
    tall->SetParent(box);
  }
  void TearDown() override {
    delete form;
    td::ProcessMessages();
  }
  TItemScrollBar& V() { return box->VertScrollBar(); }
  TECFlatScrollBar& Bar() { return V().Bar(); }
  TForm* form = nullptr;
  TECScrollWinControl* box = nullptr;
  TButton* tall = nullptr;
};

TEST_F(ScrollingTest, RangesFollowTheChildrenAndPositionsAreClamped) {
  td::ShowAndWait(*form);
  EXPECT_EQ(V().Range(), 1000);
  EXPECT_EQ(box->ClientHeight(), 300);  // no horizontal bar: 150 fits beside the vertical one
  EXPECT_FALSE(box->HorzScrollBar().IsScrollBarVisible());
  EXPECT_TRUE(V().IsScrollBarVisible());
  EXPECT_EQ(V().ScrollLimit(), 700);
  V().SetPosition(900);
  EXPECT_EQ(V().Position(), 700);
  EXPECT_EQ(tall->Top(), -700);
  V().SetVisible(false);  // no bar: back to the start, and no scrolling
  EXPECT_FALSE(V().IsScrollBarVisible());
  EXPECT_EQ(tall->Top(), 0);
  V().SetPosition(100);
  EXPECT_EQ(V().Position(), 0);
  V().SetVisible(true);
  tall->SetHeight(200);
  box->Realign();
  EXPECT_FALSE(V().IsScrollBarVisible());
  EXPECT_EQ(V().Position(), 0);
  EXPECT_EQ(tall->Top(), 0);
}

TEST_F(ScrollingTest, ASingleBorderFramesTheBarsAndTheClientArea) {
  box->SetBorderStyle(bsSingle);
  td::ShowAndWait(*form);
  EXPECT_EQ(box->ClientHeight(), 298);
  EXPECT_EQ(box->ClientWidth(), 200 - 2 - 16);
  EXPECT_EQ(Bar().BoundsRect(), Rect(200 - 1 - 16, 1, 199, 299));
  // The range counts from the client area's start inside the frame.
  tall->SetTop(1);
  box->Realign();
  EXPECT_EQ(V().Range(), 1000);
  EXPECT_EQ(V().ScrollLimit(), 702);
  V().SetPosition(702);
  EXPECT_EQ(tall->Top() + tall->Height(), 299);  // its end at the frame's inner edge
}

TEST_F(ScrollingTest, TheThumbTakesTheVisibleShare) {
  td::ShowAndWait(*form);
  struct Case {
    int height, thumbSize, thumb;
  };
  // The track is 300 - 2 x 16 = 268 long; a proportional thumb is
  // 268 x 301 / 1001 and never below 8 pixels.
  const Case cases[] = {{1000, 0, 80}, {5000, 0, 16}, {100000, 0, 8}, {1000, 30, 30}};
  for (const Case& c : cases) {
    tall->SetHeight(c.height);
    V().SetThumbSize(c.thumbSize);
    box->Realign();
    EXPECT_EQ(Bar().ThumbLength(), c.thumb) << c.height;
  }
}

TEST_F(ScrollingTest, ArrowsTrackThumbAndWheelScroll) {
  td::ShowAndWait(*form);
  const int x = Bar().Width() / 2;
  td::Click(Bar(), x, 290);  // the down arrow: one line
  EXPECT_EQ(V().Position(), 8);
  td::Click(Bar(), x, 5);  // the up arrow
  EXPECT_EQ(V().Position(), 0);
  td::Click(Bar(), x, 200);  // the track below the thumb: a page
  EXPECT_EQ(V().Position(), 300);
  EXPECT_EQ(tall->Top(), -300);
  td::Wheel(*box, 50, 50, WHEEL_DELTA);  // a notch up: three lines
  EXPECT_EQ(V().Position(), 276);
  td::Click(Bar(), x, 20);  // the track above the thumb
  EXPECT_EQ(V().Position(), 0);

  // Dragging the thumb: the content follows only with Tracking, and takes
  // the thumb's place on release.
  const int start = Bar().ThumbStart() + 5;
  td::MouseDown(Bar(), x, start);
  td::MouseMove(Bar(), x, start + 94);  // half of the 188 free pixels
  EXPECT_EQ(V().Position(), 0);
  td::MouseUp(Bar(), x, start + 94);
  EXPECT_EQ(V().Position(), 350);
  V().SetTracking(true);
  const int now = Bar().ThumbStart() + 5;
  td::MouseDown(Bar(), x, now);
  td::MouseMove(Bar(), x, now + 300);
  EXPECT_EQ(V().Position(), 700);
  td::MouseUp(Bar(), x, now + 300);
  EXPECT_EQ(tall->Top(), -700);
}

TEST_F(ScrollingTest, AHeldArrowOrTrackRepeats) {
  td::ShowAndWait(*form);
  Bar().FirstDelay = Bar().RepeatDelay = 5;
  const int x = Bar().Width() / 2;
  td::MouseDown(Bar(), x, 290);
  EXPECT_TRUE(WaitFor([&] { return V().Position() >= 3 * 8; }));
  td::MouseUp(Bar(), x, 290);
  const int held = V().Position();
  EXPECT_TRUE(HoldsFor([&] { return V().Position() == held; }, 50));  // ten intervals
  // The track repeats pages until the thumb reaches the pointer.
  auto thumbUnderPointer = [&] { return Bar().ThumbStart() <= 200 && 200 < Bar().ThumbStart() + Bar().ThumbLength(); };
  td::MouseDown(Bar(), x, 200);
  EXPECT_TRUE(WaitFor(thumbUnderPointer));
  EXPECT_TRUE(HoldsFor(thumbUnderPointer, 50));  // not on to the end, where the thumb starts at 204
  EXPECT_GT(V().Position(), held);
  td::MouseUp(Bar(), x, 200);
}

TEST_F(ScrollingTest, SmoothScrollingMovesAPageInTwelveSteps) {
  V().SetSmooth(true);
  td::ShowAndWait(*form);
  EXPECT_EQ(V().PageIncrement(), 270);
  EXPECT_EQ(V().Increment(), 27);
  td::Click(Bar(), Bar().Width() / 2, 200);
  EXPECT_EQ(V().Position(), 270);  // 12 x 22 + 6
  td::Click(Bar(), Bar().Width() / 2, 290);
  EXPECT_EQ(V().Position(), 297);  // a line: 4 x 6 + 3
}

}  // namespace
}  // namespace qs
