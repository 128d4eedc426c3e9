// The drop-down list through real input: pointing highlights lines from
// the first, a click or the owner's keys choose, the focus never leaves
// the owner control, and the list frees itself when it closes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/bitmap.h"
#include "platform/forms.h"
#include "platform/keys.h"
#include "platform/stdctrls.h"
#include "platform/testdriver.h"
#include "uikit/popuplist.h"

namespace qs {
namespace {

namespace td = testdriver;

class PopupListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form = new TForm(nullptr);
    form->SetBounds(100, 100, 300, 200);
    owner = new TEdit(form);
    owner->SetParent(form);
    owner->SetBounds(10, 10, 100, 22);
    owner->SetTabStop(true);
    other = new TEdit(form);
    other->SetParent(form);
    other->SetBounds(10, 50, 100, 22);
    other->SetTabStop(true);
    td::ShowAndWait(*form);
    owner->SetFocus();
  }
  void TearDown() override {
    delete list;  // still open when a test failed
    delete form;
    td::ProcessMessages();
  }
  void Open(bool footer = true) {
    list = new TECPopupMenu(owner);
    list->SetItems({"Insert note", "Delete rest", "Add tie", "Transpose", "Add slur"});
    if (footer)
      list->OnGetMessage = [this](TObject* sender, std::string& text) {
        EXPECT_EQ(sender, list);
        text = std::to_string(list->CurrentIndex() + 1) + " steps";
      };
    list->OnClick = [this](TObject* sender, int index) {
      EXPECT_EQ(sender, list);
      chosen.push_back(index);
    };
    list->OnDestroy = [this](TObject*) { list = nullptr; };
    const TPoint p = owner->ClientToScreen(TPoint{0, owner->Height()});
    list->Popup(p.X, p.Y);
    td::ProcessMessages();
  }
  bool Closed() {
    td::ProcessMessages();
    return list == nullptr;
  }
  TForm* form = nullptr;
  TEdit* owner = nullptr;
  TEdit* other = nullptr;
  TECPopupMenu* list = nullptr;
  std::vector<int> chosen;
};

TEST_F(PopupListTest, AClickOnALineChoosesItAndTheFocusStays) {
  Open();
  const int l = list->LineHeight();
  EXPECT_EQ(list->Height(), 5 * l + l + 13);
  EXPECT_EQ(list->Width(), 200);
  EXPECT_EQ(list->CurrentIndex(), 0);
  td::MouseMove(*list, 20, 3 * l + 2);
  EXPECT_EQ(list->CurrentIndex(), 3);
  td::MouseMove(*list, 20, 5 * l + 4);  // over the footer: no change
  EXPECT_EQ(list->CurrentIndex(), 3);
  td::Click(*list, 20, 3 * l + 2);
  EXPECT_EQ(chosen, std::vector<int>{3});
  EXPECT_TRUE(Closed());
  EXPECT_TRUE(owner->Focused());
}

TEST_F(PopupListTest, TheOwnersKeysMoveAndChoose) {
  struct Case {
    std::vector<uint16_t> keys;
    std::vector<int> chosen;
  };
  const Case cases[] = {{{VK_DOWN, VK_DOWN, VK_RETURN}, {2}},
                        {{VK_END, VK_UP, VK_RETURN}, {3}},
                        {{VK_UP, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN}, {4}},
                        {{VK_DOWN, VK_ESCAPE}, {}}};
  for (const Case& c : cases) {
    chosen.clear();
    Open();
    for (uint16_t key : c.keys) {
      ASSERT_NE(list, nullptr);
      td::PressKey(*owner, key);
    }
    EXPECT_EQ(chosen, c.chosen);
    EXPECT_TRUE(Closed());
    EXPECT_TRUE(owner->Focused());
  }
  td::PressKey(*owner, VK_RETURN);  // the owner has its keys back
  EXPECT_TRUE(chosen.empty());
}

TEST_F(PopupListTest, PressesOffTheLinesCloseWithoutAChoice) {
  Open();
  const int l = list->LineHeight();
  td::MouseDown(*list, 20, 5 * l + 5);  // the footer
  EXPECT_TRUE(Closed());
  Open();
  td::MouseDown(*list, 20, l + 2);
  td::MouseUp(*list, 20, 5 * l + 5);  // released over the footer
  EXPECT_TRUE(Closed());
  Open();
  td::Click(*list, 20, l + 2, mbRight);
  EXPECT_TRUE(Closed());
  EXPECT_TRUE(chosen.empty());
}

TEST_F(PopupListTest, TheOwnerLosingTheFocusClosesTheList) {
  Open(false);
  EXPECT_EQ(list->Height(), 5 * list->LineHeight() + 4);
  other->SetFocus();
  EXPECT_TRUE(Closed());
  EXPECT_TRUE(chosen.empty());
}

TEST_F(PopupListTest, LinesUpToThePointedOneShowOnNavy) {
  Open();
  const int l = list->LineHeight();
  td::MouseMove(*list, 20, 3 * l + 2);
  auto shot = GrabControl(*list);
  const TColor navy = RGB(0, 0, 128);
  EXPECT_EQ(shot->Pixel(150, 0), navy);
  EXPECT_EQ(shot->Pixel(150, 4 * l - 1), navy);
  EXPECT_EQ(shot->Pixel(150, 4 * l), ColorToRGB(clWindow));
  EXPECT_EQ(shot->Pixel(150, list->Height() - l - 9), ColorToRGB(clBtnFace));  // the footer strip
  EXPECT_EQ(shot->Pixel(1, list->Height() - 1), ColorToRGB(clBtnFace));
}

TEST_F(PopupListTest, TheListBelongsToTheMainWindowAndOutlivesIt) {
  Application().SetMainForm(form);
  Open();
  EXPECT_EQ(list->PopupParent(), form);
  EXPECT_FALSE(list->Active());
  delete form;  // the owner control goes too: the list closes
  form = nullptr;
  ASSERT_NE(list, nullptr);
  EXPECT_TRUE(list->HasWindow());  // its window did not go with the main window's
  EXPECT_TRUE(Closed());
}

TEST_F(PopupListTest, AnEmptyListWithoutFooterDoesNotShow) {
  auto* empty = new TECPopupMenu(owner);
  EXPECT_EQ(empty->CurrentIndex(), -1);
  empty->Popup(10, 10);
  EXPECT_FALSE(empty->Visible());
  delete empty;
}

}  // namespace
}  // namespace qs
