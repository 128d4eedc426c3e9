// The picture track bar through real mouse and key input: presses map to
// values along the track, the button is grabbed only on its opaque
// pixels and follows a drag, keys step the value.
#include <gtest/gtest.h>

#include "platform/bitmap.h"
#include "platform/forms.h"
#include "platform/keys.h"
#include "platform/testdriver.h"
#include "uikit/imagetrack.h"

namespace qs {
namespace {

namespace td = testdriver;

class ImageTrackTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form = new TForm(nullptr);
    form->SetBounds(100, 100, 300, 200);
    track = new TECImageTrack(form);
    track->SetParent(form);
    track->SetBounds(10, 10, 120, 20);
    track->SetLeftOffset(10);
    track->SetRightOffset(10);  // 100 pixels for 0 .. 100
    ApplyTrackPictures(*track, DrawTrackPictures(toHorizontal));
    track->OnChange = [this](TObject* sender) {
      EXPECT_EQ(sender, track);
      ++changes;
    };
  }
  void TearDown() override {
    delete form;
    td::ProcessMessages();
  }
  TForm* form = nullptr;
  TECImageTrack* track = nullptr;
  int changes = 0;
};

TEST_F(ImageTrackTest, APressSetsTheValueUnderIt) {
  struct Case {
    TTrackOrientation orientation;
    int p, position;
  };
  // (Max - Min + 1) x (p - LeftOffset) / 100, kept in 0 .. 100; a
  // vertical track has Min at the top.
  const Case cases[] = {{toHorizontal, 60, 50}, {toHorizontal, 10, 0}, {toHorizontal, 35, 25},
                        {toHorizontal, 110, 100}, {toHorizontal, 2, 0}, {toVertical, 30, 20},
                        {toVertical, 109, 99}};
  td::ShowAndWait(*form);
  for (const Case& c : cases) {
    track->SetOrientation(c.orientation);
    if (c.orientation == toVertical) track->SetBounds(150, 10, 20, 120);
    track->SetPosition(c.position == 50 ? 0 : 50);
    if (c.orientation == toHorizontal)
      td::Click(*track, c.p, 3);
    else
      td::Click(*track, 3, c.p);
    EXPECT_EQ(track->Position(), c.position) << "press at " << c.p;
  }
}

TEST_F(ImageTrackTest, OnlyOpaquePixelsOfTheButtonStartADrag) {
  // With itsScroll a press on the button leaves Position (its centre) alone.
  track->SetStyle(itsScroll);
  track->SetMax(200);
  track->SetPosition(60);
  td::ShowAndWait(*form);
  const TRect b = track->ButtonRect();
  const int top = b.Top, left = 60 - track->ButtonWidth() / 2;
  struct Case {
    int x, y;
    bool drags;
  };
  const Case cases[] = {{left, top, false},                      // a transparent corner
                        {left + track->ButtonWidth() - 1, top, false},
                        {left, top + 1, true},                   // the edge beside it
                        {60, top + 9, true}};
  for (const Case& c : cases) {
    td::MouseDown(*track, c.x, c.y);
    EXPECT_EQ(track->Dragging(), c.drags) << c.x << "," << c.y;
    td::MouseUp(*track, c.x, c.y);
    EXPECT_EQ(track->Position(), 60);
  }
}

TEST_F(ImageTrackTest, TheGrabbedButtonFollowsTheMouse) {
  track->SetPosition(50);  // centre at 60
  td::ShowAndWait(*form);
  td::MouseDown(*track, 62, 10);  // the press centres the button there
  ASSERT_TRUE(track->Dragging());
  EXPECT_EQ(track->Position(), 52);
  EXPECT_EQ(track->ButtonState(), 1);
  // The button moves with the pointer, without jumping back by half its
  // width on the first move.
  td::MouseMove(*track, 82, 10);
  EXPECT_EQ(track->Position(), 72);
  td::MouseMove(*track, 300, 10);
  EXPECT_EQ(track->Position(), 100);
  td::MouseUp(*track, 300, 10);
  EXPECT_FALSE(track->Dragging());
  EXPECT_EQ(track->ButtonState(), 0);
}

TEST_F(ImageTrackTest, KeysStepTheValueAndAnUnchangedValueFiresNothing) {
  track->SetTabStop(true);
  track->SetPosition(50);
  td::ShowAndWait(*form);
  track->SetFocus();
  changes = 0;
  struct Case {
    uint16_t key;
    int position;
  };
  const Case cases[] = {{VK_RIGHT, 51}, {VK_LEFT, 50}, {VK_DOWN, 51}, {VK_NEXT, 61},
                        {VK_END, 100},  {VK_RIGHT, 100}, {VK_HOME, 0}, {VK_UP, 0}};
  for (const Case& c : cases) {
    td::PressKey(*track, c.key);
    EXPECT_EQ(track->Position(), c.position);
  }
  EXPECT_EQ(changes, 6);  // a step past either end changes nothing
}

TEST_F(ImageTrackTest, OffsetsThatTakeTheWholeTrackStillMapPresses) {
  track->SetBounds(10, 10, 20, 20);  // 20 pixels, all offsets: no room for values
  track->SetPosition(50);
  td::ShowAndWait(*form);
  td::Click(*track, 5, 10);
  EXPECT_EQ(track->Position(), 0);
  td::Click(*track, 15, 10);
  EXPECT_EQ(track->Position(), 100);
}

TEST_F(ImageTrackTest, MinEqualToMaxPutsTheButtonAtTheTrackStart) {
  track->SetPosition(50);
  track->SetMax(0);  // pulls Position into 0 .. 0
  EXPECT_EQ(track->Position(), 0);
  EXPECT_EQ(track->ButtonRect().Left, 10 - track->ButtonWidth() / 2 - 1);
  td::ShowAndWait(*form);
  td::Click(*track, 90, 10);
  EXPECT_EQ(track->Position(), 0);
}

TEST_F(ImageTrackTest, PicturesShowWithoutTheirKeyAndOnPaintDrawsLast) {
  track->SetPosition(50);  // button centre at 60
  track->OnPaint = [this](TObject* sender, TBitmap& bitmap) {
    EXPECT_EQ(sender, track);
    bitmap.SetPixel(100, 1, clRed);
  };
  td::ShowAndWait(*form);
  auto shot = GrabControl(*track);
  const TColor key = RGB(255, 0, 255);
  for (int y = 0; y < shot->Height(); ++y)
    for (int x = 0; x < shot->Width(); ++x) ASSERT_NE(shot->Pixel(x, y), key) << x << "," << y;
  EXPECT_EQ(shot->Pixel(100, 1), clRed);
  EXPECT_EQ(shot->Pixel(100, 0), ColorToRGB(clWindow));  // the background, by default the window colour
  EXPECT_EQ(shot->Pixel(100, 9), ColorToRGB(cl3DDkShadow));  // inside the groove
  EXPECT_EQ(shot->Pixel(60, 10), RGB(200, 200, 196));  // the button's face
}

}  // namespace
}  // namespace qs
