// The character button through real mouse input: push and group
// behaviour, the drop-down part, the hover effect and the glyph strip.
#include <gtest/gtest.h>

#include "platform/actions.h"
#include "platform/bitmap.h"
#include "platform/forms.h"
#include "platform/testdriver.h"
#include "uikit/charbutton.h"
#include "uikit_fixture.h"

namespace qs {
namespace {

namespace td = testdriver;

class CharButtonTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form = new TForm(nullptr);
    form->SetBounds(100, 100, 300, 120);
  }
  void TearDown() override {
    delete form;
    td::ProcessMessages();
  }
  TECCharButton* Add(int left, int group = 0) {
    auto* b = new TECCharButton(form);
    b->SetBounds(left, 10, 40, 30);
    b->SetParent(form);
    b->SetGroupIndex(group);
    b->OnClick = [this, b](TObject*) { clicks.push_back(b); };
    return b;
  }
  TForm* form = nullptr;
  std::vector<TECCharButton*> clicks;
};

TEST_F(CharButtonTest, AGroupKeepsOneButtonDown) {
  TECCharButton* a = Add(10, 1);
  TECCharButton* b = Add(60, 1);
  TECCharButton* c = Add(110, 1);
  td::ShowAndWait(*form);
  td::Click(*a, 5, 5);
  EXPECT_TRUE(a->Down());
  EXPECT_EQ(a->State(), bsExclusive);
  td::Click(*a, 5, 5);  // without AllowAllUp the down button stays down
  EXPECT_TRUE(a->Down());
  td::Click(*c, 5, 5);
  EXPECT_FALSE(a->Down());
  EXPECT_EQ(a->State(), bsUp);
  EXPECT_TRUE(c->Down());
  EXPECT_FALSE(b->Down());
  EXPECT_EQ(clicks, (std::vector<TECCharButton*>{a, a, c}));

  b->SetAllowAllUp(true);  // the group takes it over
  EXPECT_TRUE(c->AllowAllUp());
  td::Click(*c, 5, 5);
  EXPECT_FALSE(c->Down());

  TECCharButton* loose = Add(160);
  loose->SetDown(true);
  EXPECT_FALSE(loose->Down());
}

TEST_F(CharButtonTest, ReleasingOutsideIsNoClick) {
  TECCharButton* plain = Add(10);
  TECCharButton* grouped = Add(60, 2);
  td::ShowAndWait(*form);
  td::MouseDown(*plain, 5, 5);
  EXPECT_EQ(plain->State(), bsDown);
  td::MouseMove(*plain, 100, 5);
  EXPECT_EQ(plain->State(), bsUp);
  td::MouseUp(*plain, 100, 5);
  EXPECT_TRUE(clicks.empty());

  grouped->SetDown(true);
  td::MouseDown(*grouped, 5, 5);
  td::MouseUp(*grouped, 5, 200);
  EXPECT_TRUE(clicks.empty());
  EXPECT_TRUE(grouped->Down());
  EXPECT_EQ(grouped->State(), bsExclusive);
}

TEST_F(CharButtonTest, TheDropPartClicksOnlyItself) {
  TECCharButton* b = Add(10);
  int dropClicks = 0;
  b->OnButtonClick = [&](TObject*) { ++dropClicks; };
  b->SetDropWidth(12);
  b->SetDropWidth(40);  // not below the width: ignored
  b->SetDropWidth(-1);
  EXPECT_EQ(b->DropWidth(), 12);
  td::ShowAndWait(*form);
  td::Click(*b, 35, 5);
  EXPECT_EQ(dropClicks, 1);
  EXPECT_TRUE(clicks.empty());
  td::Click(*b, 5, 5);
  EXPECT_EQ(dropClicks, 1);
  EXPECT_EQ(clicks.size(), 1u);
}

int CountColour(const TBitmap& shot, const TRect& r, TColor colour) {
  int n = 0;
  for (int y = r.Top; y < r.Bottom; ++y)
    for (int x = r.Left; x < r.Right; ++x) n += shot.Pixel(x, y) == colour;
  return n;
}

TEST_F(CharButtonTest, AHoveredFlatButtonLiftsItsFaceWithAShadow) {
  TECCharButton* b = Add(10);
  b->SetBounds(10, 10, 60, 60);
  b->SetFlat(true);
  TFont font;
  font.Name = "Arial";
  font.SetSize(28);
  b->SetFont(font);
  b->SetByte('W');
  b->SetPosX(8);
  b->SetPosY(4);
  td::ShowAndWait(*form);
  const TRect area{10, 10, 70, 70};
  auto before = GrabControl(*form);
  EXPECT_EQ(CountColour(*before, area, RGB(128, 128, 128)), 0);
  EXPECT_GT(CountColour(*before, area, clBlack), 20);
  td::MouseMove(*b, 30, 30);
  EXPECT_TRUE(b->Hovered());
  auto hovered = GrabControl(*form);
  EXPECT_GT(CountColour(*hovered, area, RGB(128, 128, 128)), 5);
  td::MouseMove(*form, 250, 100);
  EXPECT_FALSE(b->Hovered());
}

TEST_F(CharButtonTest, TheGlyphStripGivesTheNumberOfImages) {
  TECCharButton* b = Add(10);
  TBitmap strip(64, 16);
  b->SetGlyph(&strip);
  EXPECT_EQ(b->NumGlyphs(), 4);
  TBitmap five(80, 16);
  b->SetGlyph(&five);
  EXPECT_EQ(b->NumGlyphs(), 1);
  b->SetNumGlyphs(9);
  EXPECT_EQ(b->NumGlyphs(), 4);
}

TEST_F(CharButtonTest, TheCaptionsAcceleratorClicks) {
  TECCharButton* b = Add(10);
  b->SetCaption("&Open");
  td::ShowAndWait(*form);
  EXPECT_FALSE(b->DialogChar(u'x'));
  EXPECT_TRUE(b->DialogChar(u'O'));
  EXPECT_EQ(clicks.size(), 1u);
  b->SetEnabled(false);
  EXPECT_FALSE(b->DialogChar(u'o'));
  EXPECT_EQ(AcceleratorOf("Save && &Quit"), u'q');
  EXPECT_EQ(StripAccelerator("Save && &Quit"), "Save & Quit");
}

TEST_F(CharButtonTest, AnActionLendsItsTextsStatePictureAndCommand) {
  TActionList actions(nullptr);
  TImageList images(nullptr, 16, 16);
  // A red square with a white (transparent) rim.
  TBitmap picture(16, 16);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) picture.SetPixel(x, y, x >= 4 && x < 12 && y >= 4 && y < 12 ? clRed : clWhite);
  images.AddMasked(picture, clWhite);
  actions.Images = &images;
  auto* play = new TAction(nullptr);
  play->SetActionList(&actions);
  play->SetCaption("&Play");
  play->SetHint("Play the score");
  play->SetImageIndex(0);
  play->SetChecked(true);
  int executed = 0;
  play->OnExecute = [&](TObject*) { ++executed; };

  TECCharButton* b = Add(10, 1);
  b->OnClick = nullptr;
  b->SetAction(play);
  EXPECT_EQ(b->Caption(), "&Play");
  EXPECT_EQ(b->Hint(), "Play the score");
  EXPECT_TRUE(b->Down());
  ASSERT_NE(b->Glyph(), nullptr);
  EXPECT_EQ(b->Glyph()->Pixel(8, 8), clRed);
  EXPECT_EQ(b->Glyph()->Pixel(1, 1), b->Glyph()->TransparentColor());
  EXPECT_NE(b->Glyph()->TransparentColor(), clRed);

  td::ShowAndWait(*form);
  EXPECT_TRUE(uikit_test::Shows(*form, b->BoundsRect(), clRed));
  play->SetEnabled(false);
  EXPECT_FALSE(b->Enabled());
  td::Click(*b, 5, 5);
  EXPECT_EQ(executed, 0);
  play->SetEnabled(true);
  td::Click(*b, 5, 5);
  EXPECT_EQ(executed, 1);
  // A handler of the button's own comes first.
  b->OnClick = [this, b](TObject*) { clicks.push_back(b); };
  td::Click(*b, 5, 5);
  EXPECT_EQ(executed, 1);
  EXPECT_EQ(clicks.size(), 1u);

  // A freed action leaves the button without one.
  delete play;
  EXPECT_EQ(b->Action(), nullptr);
  b->OnClick = nullptr;
  td::Click(*b, 5, 5);
}

}  // namespace
}  // namespace qs
