// The scroll panel through real clicks and drags: arrow buttons appear
// where the content reaches past the edges, move it by whole steps and
// disappear at its ends; dragging never takes it past where it began.
#include <gtest/gtest.h>

#include "platform/bitmap.h"
#include "platform/forms.h"
#include "platform/stdctrls.h"
#include "platform/testdriver.h"
#include "uikit/scrollpanel.h"
#include "uikit_fixture.h"

namespace qs {
namespace {

using uikit_test::HoldsFor;
using uikit_test::WaitFor;

namespace td = testdriver;

class ScrollPanelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form = new TForm(nullptr);
    form->SetBounds(100, 100, 300, 200);
    panel = new TECScrollPanel(form);
    panel->SetParent(form);
    panel->SetBounds(10, 10, 100, 100);
    panel->TimeOut = 60000;  // a click acts once, however slow the machine
    child = new TButton(form);
    child->SetBounds(10, 40, 115, 20);  // 25 pixels past the right edge
    child->SetParent(panel);
  }
  void TearDown() override {
    delete form;
    td::ProcessMessages();
  }
  bool Shows(int direction) const {
    const TECButtonScroll* b = panel->ArrowButton(direction);
    return b && b->Visible();
  }
  TForm* form = nullptr;
  TECScrollPanel* panel = nullptr;
  TButton* child = nullptr;
};

TEST_F(ScrollPanelTest, ArrowButtonsMoveTheContentByWholeSteps) {
  panel->SetStep(10);
  panel->SetStep(0);  // ignored
  td::ShowAndWait(*form);
  ASSERT_TRUE(Shows(2));
  EXPECT_FALSE(Shows(0));
  EXPECT_FALSE(Shows(1));
  EXPECT_FALSE(Shows(3));
  // 14 x 14, 6 pixels from the right and bottom edges.
  EXPECT_EQ(panel->ArrowButton(2)->BoundsRect(), Rect(80, 80, 94, 94));
  for (int left : {0, -10, -20}) {
    td::Click(*panel->ArrowButton(2), 7, 7);
    EXPECT_EQ(child->Left(), left);
  }
  EXPECT_FALSE(Shows(2));  // a whole step past the 5 pixels that were left
  EXPECT_TRUE(Shows(0));
  EXPECT_EQ(panel->ArrowButton(0)->BoundsRect(), Rect(6, 80, 20, 94));
  for (int left : {-10, 0, 10}) {
    td::Click(*panel->ArrowButton(0), 7, 7);
    EXPECT_EQ(child->Left(), left);
  }
  EXPECT_FALSE(Shows(0));
  EXPECT_EQ(panel->OffsetX(), 0);
}

TEST_F(ScrollPanelTest, AHeldButtonRepeatsUntilReleased) {
  panel->TimeOut = 5;
  child->SetBounds(10, 40, 300, 20);
  panel->UpdateScrollButtons();
  td::ShowAndWait(*form);
  TECButtonScroll& right = *panel->ArrowButton(2);
  td::MouseDown(right, 7, 7);
  EXPECT_TRUE(WaitFor([&] { return panel->OffsetX() >= 3; }));
  td::MouseUp(right, 7, 7);
  const int moved = panel->OffsetX();
  EXPECT_EQ(child->Left(), 10 - moved);
  // The repeats stop with the release.
  EXPECT_TRUE(HoldsFor([&] { return panel->OffsetX() == moved; }, 50));  // ten intervals
  EXPECT_FALSE(right.Pressed());
}

TEST_F(ScrollPanelTest, DraggingStopsWhereTheContentWasLaidOut) {
  td::ShowAndWait(*form);
  td::MouseDown(*panel, 50, 10);
  td::MouseMove(*panel, 30, 10);  // 20 to the left
  EXPECT_EQ(child->Left(), -10);
  EXPECT_EQ(Screen().Cursor(), crHandPoint);
  EXPECT_EQ(panel->OffsetX(), 20);
  td::MouseMove(*panel, 70, 10);  // 40 to the right: only the 20 it moved
  EXPECT_EQ(child->Left(), 10);
  EXPECT_EQ(panel->OffsetX(), 0);
  td::MouseUp(*panel, 70, 10);
  EXPECT_EQ(Screen().Cursor(), crDefault);
  td::MouseMove(*panel, 20, 10);  // no drag after the release
  EXPECT_EQ(child->Left(), 10);
}

TEST_F(ScrollPanelTest, AddingAChildLaysTheButtonsOutOnce) {
  td::ShowAndWait(*form);
  const int before = panel->LayoutCount();
  auto* below = new TButton(form);
  below->SetBounds(0, 95, 20, 20);
  below->SetParent(panel);
  EXPECT_EQ(panel->LayoutCount(), before + 1);
  EXPECT_TRUE(Shows(3));
  // The right button keeps clear of the down button in the corner.
  EXPECT_EQ(panel->ArrowButton(3)->BoundsRect(), Rect(80, 80, 94, 94));
  EXPECT_EQ(panel->ArrowButton(2)->BoundsRect(), Rect(65, 80, 79, 94));
  // A new size moves but does not resize existing buttons.
  panel->SetButtonSize(20);
  EXPECT_EQ(panel->ArrowButton(3)->BoundsRect(), Rect(80, 80, 94, 94));
  delete below;
  EXPECT_FALSE(Shows(3));
}

TEST_F(ScrollPanelTest, AWallpaperIsTiledAndAnEmptyOneClearsIt) {
  TBitmap tile(4, 4);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) tile.SetPixel(x, y, x == 0 && y == 0 ? clRed : clLime);
  panel->SetWallPaper(&tile);
  tile.SetPixel(1, 1, clBlue);  // the panel keeps its own copy
  int paints = 0;
  panel->OnPaint = [&](TObject* sender) {
    EXPECT_EQ(sender, panel);
    ++paints;
  };
  td::ShowAndWait(*form);
  auto shot = GrabControl(*panel);
  EXPECT_GT(paints, 0);
  EXPECT_EQ(shot->Pixel(40, 20), clRed);  // tiles from the client origin
  EXPECT_EQ(shot->Pixel(41, 21), clLime);
  TBitmap empty;
  panel->SetWallPaper(&empty);
  EXPECT_EQ(panel->WallPaper(), nullptr);
  panel->Repaint();  // an empty picture must not tile for ever
  EXPECT_EQ(GrabControl(*panel)->Pixel(40, 20), ColorToRGB(panel->Color()));
}

}  // namespace
}  // namespace qs
