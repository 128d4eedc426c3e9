// Menus through real mouse and key input: the bar opens lists on click and
// on hover through the shared timer, lists cascade, keys walk and close
// them, an action's state shows in its entry, a right click pops a menu.
#include <gtest/gtest.h>

#include <chrono>

#include "base/exceptions.h"
#include "platform/bitmap.h"
#include "platform/extctrls.h"
#include "platform/forms.h"
#include "platform/keys.h"
#include "platform/stdctrls.h"
#include "platform/testdriver.h"
#include "uikit/menu.h"
#include "uikit_fixture.h"

namespace qs {
namespace {

using uikit_test::WaitFor;

namespace td = testdriver;

TPoint Centre(const TECMenuItem& e) {
  TRect r = e.ItemRect();
  return TPoint{(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
}

class MenuTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form = new TForm(nullptr);
    form->SetBounds(100, 100, 400, 300);
    edit = new TEdit(form);
    edit->SetBounds(10, 100, 100, 24);
    edit->SetParent(form);
    bar = new TECMenu(form);
    bar->SetBounds(0, 0, 400, 22);
    bar->SetParent(form);
    TECMenuItem* root = bar->Item();
    root->SetOrientation(ioHorizontal);
    file = root->AddItem("&File");
    open = file->AddItem("Open");
    open->OnClick = [this](TObject*) { ++opens; };
    file->AddItem("Close");
    editMenu = root->AddItem("&Edit");
    editMenu->AddItem("Copy");
    sep = editMenu->AddItem("");
    sep->SetKind(ikSeparator);
    paste = editMenu->AddItem("Paste");
    special = paste->AddItem("Special");
    td::ShowAndWait(*form);
    edit->SetFocus();
    td::ProcessMessages();
  }
  void TearDown() override {
    delete form;
    td::ProcessMessages();
  }
  TECSubMenu* ListOf(TECMenuItem* item) { return dynamic_cast<TECSubMenu*>(item->Window()); }
  void ClickOnBar(TECMenuItem* entry) {
    TPoint c = Centre(*entry);
    td::MouseMove(*bar, c.X, c.Y);
    td::Click(*bar, c.X, c.Y);
  }
  void MoveInList(TECMenuItem* entry) {
    TPoint c = Centre(*entry);
    td::MouseMove(*ListOf(entry->Parent()), c.X + 1, c.Y + 1);
  }

  TForm* form = nullptr;
  TEdit* edit = nullptr;
  TECMenu* bar = nullptr;
  TECMenuItem *file = nullptr, *open = nullptr, *editMenu = nullptr, *sep = nullptr, *paste = nullptr,
              *special = nullptr;
  int opens = 0;
};

TEST_F(MenuTest, ClickOpensHoverMovesAndCascades) {
  ClickOnBar(file);
  ASSERT_NE(ListOf(file), nullptr);
  EXPECT_TRUE(ListOf(file)->Visible());
  EXPECT_TRUE(bar->Armed());
  // The list appears below its bar entry, at its left edge.
  EXPECT_EQ(ListOf(file)->Left(), bar->ClientToScreen(TPoint{file->ItemRect().Left, 0}).X);
  // While armed, the next bar entry opens at the next tick: it does not
  // wait for the tick interval, however long that is.
  const int interval = bar->GetTickInterval();
  bar->SetTickInterval(60000);
  TPoint e = Centre(*editMenu);
  td::MouseMove(*bar, e.X, e.Y);
  ASSERT_TRUE(WaitFor([&] { return ListOf(editMenu) != nullptr; }));
  EXPECT_TRUE(WaitFor([&] { return ListOf(file) == nullptr; }));
  bar->SetTickInterval(interval);
  // Inside a list a submenu waits for the tick interval. The wait is
  // timed from before the move, so that a slow machine can only lengthen it.
  const auto beforeMove = std::chrono::steady_clock::now();
  MoveInList(paste);
  ASSERT_TRUE(WaitFor([&] { return ListOf(paste) != nullptr; }));
  const auto waited = std::chrono::steady_clock::now() - beforeMove;
  EXPECT_GE(std::chrono::duration_cast<std::chrono::milliseconds>(waited).count(), interval);
  // The cascade opens right of its parent list.
  EXPECT_GE(ListOf(paste)->Left(), ListOf(editMenu)->Left() + ListOf(editMenu)->Width() - 2 * paste->Offset() - 1);
  // Over a separator the previous entry stays hot.
  MoveInList(sep);
  EXPECT_EQ(editMenu->HotChild(), paste);
  // Resting on another entry closes the cascade once the tick interval
  // has passed: not while it lasts (made long, so that no pause of the
  // machine can reach its end), and then at a tick.
  bar->SetTickInterval(60000);
  MoveInList(editMenu->Items(0));
  td::ProcessMessages();
  EXPECT_NE(ListOf(paste), nullptr);
  bar->SetTickInterval(interval);
  EXPECT_TRUE(WaitFor([&] { return ListOf(paste) == nullptr; }));
  EXPECT_NE(ListOf(editMenu), nullptr);
  // Nothing took the focus from the bar.
  EXPECT_TRUE(bar->Focused());
}

TEST_F(MenuTest, KeysWalkOpenAndClose) {
  ClickOnBar(editMenu);
  ASSERT_NE(ListOf(editMenu), nullptr);
  td::PressKey(*bar, VK_DOWN);
  EXPECT_EQ(editMenu->HotChild()->Caption(), "Copy");
  td::PressKey(*bar, VK_DOWN);  // skips the separator
  EXPECT_EQ(editMenu->HotChild(), paste);
  td::PressKey(*bar, VK_DOWN);  // last entry: stays
  EXPECT_EQ(editMenu->HotChild(), paste);
  td::PressKey(*bar, VK_RIGHT);
  ASSERT_NE(ListOf(paste), nullptr);
  td::PressKey(*bar, VK_DOWN);
  EXPECT_EQ(paste->HotChild(), special);
  td::PressKey(*bar, VK_ESCAPE);  // closes only the submenu
  td::ProcessMessages();
  EXPECT_EQ(ListOf(paste), nullptr);
  EXPECT_NE(ListOf(editMenu), nullptr);
  td::PressKey(*bar, VK_LEFT);  // a list closes on Left
  td::ProcessMessages();
  EXPECT_EQ(ListOf(editMenu), nullptr);
  // Back on the bar: Left walks to File, Down opens it, Enter executes.
  td::PressKey(*bar, VK_LEFT);
  EXPECT_EQ(bar->Item()->HotChild(), file);
  td::PressKey(*bar, VK_DOWN);
  ASSERT_NE(ListOf(file), nullptr);
  td::PressKey(*bar, VK_DOWN);
  EXPECT_EQ(file->HotChild(), open);
  td::PressKey(*bar, VK_RETURN);
  td::ProcessMessages();
  EXPECT_EQ(opens, 1);
  EXPECT_EQ(ListOf(file), nullptr);
  // The focus goes back to where it was before the click into the bar.
  EXPECT_TRUE(edit->Focused());
}

TEST_F(MenuTest, SecondClickClosesAndClickExecutes) {
  TPoint f = Centre(*file);
  td::MouseMove(*bar, f.X, f.Y);
  td::Click(*bar, f.X, f.Y);
  ASSERT_NE(ListOf(file), nullptr);
  td::Click(*bar, f.X, f.Y);
  td::ProcessMessages();
  EXPECT_EQ(ListOf(file), nullptr);
  td::Click(*bar, f.X, f.Y);
  ASSERT_NE(ListOf(file), nullptr);
  MoveInList(open);
  TPoint o = Centre(*open);
  td::Click(*ListOf(file), o.X + 1, o.Y + 1);
  td::ProcessMessages();
  EXPECT_EQ(opens, 1);
  EXPECT_EQ(ListOf(file), nullptr);
}

TEST_F(MenuTest, APressElsewhereClosesTheBarsList) {
  auto* area = new TPanel(form);  // takes no focus
  area->SetBounds(150, 60, 200, 150);
  area->SetParent(form);
  int presses = 0;
  area->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) { ++presses; };
  ClickOnBar(editMenu);
  MoveInList(paste);
  ASSERT_TRUE(WaitFor([&] { return ListOf(paste) != nullptr; }));
  td::Click(*area, 20, 20);
  td::ProcessMessages();
  EXPECT_EQ(ListOf(paste), nullptr);
  EXPECT_EQ(ListOf(editMenu), nullptr);
  EXPECT_EQ(bar->Item()->HotChild(), nullptr);
  EXPECT_FALSE(bar->Armed());
  EXPECT_EQ(presses, 1);  // the press itself goes where it was aimed
  EXPECT_TRUE(edit->Focused());
  // With no list open, presses are the other controls' alone.
  EXPECT_FALSE(bar->WatchingPresses());
}

TEST_F(MenuTest, AFailingTickStopsTheTimer) {
  paste->OnMenuShow = [](TObject*) { throw EInvalidOperation("no clipboard"); };
  ClickOnBar(editMenu);
  ASSERT_TRUE(menus::HoverTimer().Enabled());
  MoveInList(paste);
  EXPECT_TRUE(WaitFor([&] { return !menus::HoverTimer().Enabled(); }, 1000));
  EXPECT_EQ(paste->Window(), nullptr);
  EXPECT_NE(ListOf(editMenu), nullptr);  // the lists stay as they are
}

TEST_F(MenuTest, ActionStateShowsInEntry) {
  auto* action = new TAction(form);
  action->SetCaption("Print");
  int runs = 0;
  action->OnExecute = [&](TObject*) { ++runs; };
  TECMenuItem* print = file->AddItem("");
  print->SetAction(action);
  action->SetEnabled(false);
  ClickOnBar(file);
  ASSERT_NE(ListOf(file), nullptr);
  EXPECT_EQ(print->Caption(), "Print");
  MoveInList(print);
  EXPECT_NE(file->HotChild(), print);  // a disabled entry is never hot
  TPoint p = Centre(*print);
  td::Click(*ListOf(file), p.X + 1, p.Y + 1);
  EXPECT_EQ(runs, 0);
  action->SetEnabled(true);
  MoveInList(open);
  MoveInList(print);
  EXPECT_EQ(file->HotChild(), print);
  td::Click(*ListOf(file), p.X + 1, p.Y + 1);
  td::ProcessMessages();
  EXPECT_EQ(runs, 1);
}

TEST_F(MenuTest, RightClickPopsContextMenu) {
  auto* menu = new TECContextMenu(form);
  int cuts = 0;
  menu->Item()->AddItem("Cut")->OnClick = [&](TObject*) { ++cuts; };
  menu->Item()->AddItem("Paste");
  auto* area = new TPanel(form);
  area->SetBounds(150, 60, 200, 150);
  area->SetParent(form);
  area->OnMouseUp = [&](TObject*, TMouseButton b, TShiftState, int x, int y) {
    if (b != mbRight) return;
    TPoint s = area->ClientToScreen(TPoint{x, y});
    menu->Popup(s.X, s.Y);
  };
  td::Click(*area, 20, 30, mbRight);
  TECSubMenu* w = menu->PopupWindow();
  ASSERT_NE(w, nullptr);
  EXPECT_TRUE(w->Visible());
  EXPECT_EQ(w->Left(), area->ClientToScreen(TPoint{20, 30}).X);
  // A second popup frees the first window.
  const int forms = Screen().FormCount();
  td::Click(*area, 40, 30, mbRight);
  ASSERT_NE(menu->PopupWindow(), nullptr);
  EXPECT_EQ(Screen().FormCount(), forms);
  w = menu->PopupWindow();
  TPoint c = Centre(*menu->Item()->Items(0));
  td::MouseMove(*w, c.X + 1, c.Y + 1);
  td::Click(*w, c.X + 1, c.Y + 1);
  EXPECT_TRUE(WaitFor([&] { return menu->PopupWindow() == nullptr; }));
  EXPECT_EQ(cuts, 1);
}

TEST_F(MenuTest, AltSelectsTheBarAndKeysWalkIt) {
  form->Menu = bar;
  td::PressKey(*edit, VK_MENU);  // Alt pressed and released alone
  EXPECT_TRUE(bar->Focused());
  EXPECT_EQ(bar->Item()->HotChild(), file);
  EXPECT_EQ(ListOf(file), nullptr);
  td::PressKey(*bar, VK_RIGHT);
  EXPECT_EQ(bar->Item()->HotChild(), editMenu);
  td::PressKey(*bar, VK_DOWN);
  ASSERT_NE(ListOf(editMenu), nullptr);
  td::PressKey(*bar, VK_ESCAPE);  // the list closes, the bar stays selected
  td::ProcessMessages();
  EXPECT_EQ(ListOf(editMenu), nullptr);
  EXPECT_EQ(bar->Item()->HotChild(), editMenu);
  td::PressKey(*bar, VK_RETURN);  // Enter opens it again
  EXPECT_NE(ListOf(editMenu), nullptr);
  td::PressKey(*bar, VK_ESCAPE);
  td::PressKey(*bar, VK_ESCAPE);  // Esc on the bar gives the focus back
  td::ProcessMessages();
  EXPECT_TRUE(edit->Focused());
  EXPECT_EQ(bar->Item()->HotChild(), nullptr);
  // A second Alt leaves the bar as well.
  td::PressKey(*edit, VK_MENU);
  td::PressKey(*bar, VK_MENU);
  EXPECT_TRUE(edit->Focused());
  // Clicking elsewhere lets go of a selected bar.
  td::PressKey(*edit, VK_MENU);
  ASSERT_TRUE(bar->Focused());
  td::Click(*edit, 5, 5);
  EXPECT_TRUE(edit->Focused());
  EXPECT_EQ(bar->Item()->HotChild(), nullptr);
  // Alt with another key is no selection of the bar.
  td::KeyDown(*edit, VK_MENU, ssAlt);
  td::PressKey(*edit, VK_SHIFT, ssAlt | ssShift);
  td::KeyUp(*edit, VK_MENU);
  EXPECT_TRUE(edit->Focused());
}

TEST_F(MenuTest, UnderlinedLettersOpenAndExecute) {
  form->Menu = bar;
  open->SetCaption("&Open");
  td::PressKey(*edit, 'E', ssAlt);
  ASSERT_NE(ListOf(editMenu), nullptr);
  EXPECT_TRUE(bar->Focused());
  td::PressKey(*bar, 'F', ssAlt);  // another bar entry
  td::ProcessMessages();
  EXPECT_EQ(ListOf(editMenu), nullptr);
  ASSERT_NE(ListOf(file), nullptr);
  td::PressKey(*bar, 'O');  // the letter alone in the open list
  td::ProcessMessages();
  EXPECT_EQ(opens, 1);
  EXPECT_EQ(ListOf(file), nullptr);
  EXPECT_TRUE(edit->Focused());
  td::PressKey(*edit, 'O');  // without the bar selected a letter is text
  EXPECT_EQ(opens, 1);
  EXPECT_EQ(edit->Text(), "o");
}

TEST_F(MenuTest, CheckedActionShowsInItsEntry) {
  auto* action = new TAction(form);
  action->SetCaption("Grid");
  TECMenuItem* grid = file->AddItem("");
  grid->SetKind(ikCheckBox);
  grid->SetAction(action);
  action->SetChecked(true);
  EXPECT_TRUE(grid->Checked());
  ClickOnBar(file);
  ASSERT_NE(ListOf(file), nullptr);
  MoveInList(grid);
  TPoint g = Centre(*grid);
  td::Click(*ListOf(file), g.X + 1, g.Y + 1);
  td::ProcessMessages();
  EXPECT_FALSE(action->Checked());
  EXPECT_FALSE(grid->Checked());
}

TEST_F(MenuTest, APopupMenuOpensOnRightClick) {
  auto* menu = new TECContextMenu(form);
  menu->Item()->AddItem("Cut");
  auto* area = new TPanel(form);
  area->SetBounds(150, 60, 200, 150);
  area->SetParent(form);
  area->SetPopupMenu(menu);
  int pastes = 0;
  menu->Item()->AddItem("&Paste")->OnClick = [&](TObject*) { ++pastes; };
  td::Click(*area, 20, 10, mbRight);
  ASSERT_NE(menu->PopupWindow(), nullptr);
  EXPECT_TRUE(menu->PopupWindow()->Visible());
  EXPECT_EQ(menu->PopupWindow()->Left(), area->ClientToScreen(TPoint{20, 10}).X);
  // Keys reach the menu while the focus stays where it was.
  td::PressKey(*edit, VK_DOWN);
  td::PressKey(*edit, VK_DOWN);
  EXPECT_EQ(menu->Item()->HotChild(), menu->Item()->Items(1));
  td::PressKey(*edit, VK_RETURN);
  EXPECT_EQ(pastes, 1);
  EXPECT_TRUE(WaitFor([&] { return menu->PopupWindow() == nullptr; }));
  EXPECT_EQ(edit->Text(), "");
  td::Click(*area, 20, 10, mbRight);
  td::PressKey(*edit, 'P');  // the underlined letter
  EXPECT_EQ(pastes, 2);
  td::Click(*area, 20, 10, mbRight);
  td::PressKey(*edit, VK_ESCAPE);
  EXPECT_TRUE(WaitFor([&] { return menu->PopupWindow() == nullptr; }));
  td::Click(*area, 20, 10, mbRight);
  td::Click(*area, 5, 5);  // a press elsewhere closes it
  EXPECT_TRUE(WaitFor([&] { return menu->PopupWindow() == nullptr; }));
  EXPECT_EQ(pastes, 2);
}

TEST(ContextMenu, PopupNearTheRightEdgeOpensLeftOfThePoint) {
  TForm form(nullptr);
  form.SetBounds(100, 100, 200, 100);
  td::ShowAndWait(form);
  auto* menu = new TECContextMenu(&form);
  menu->Item()->AddItem("A rather long entry");
  const int x = Screen().Width() - 10;
  menu->Popup(x, 100, nullptr);
  ASSERT_NE(menu->PopupWindow(), nullptr);
  EXPECT_EQ(menu->PopupWindow()->Left() + menu->PopupWindow()->Width(), x);
}

}  // namespace
}  // namespace qs

namespace qs {
namespace {

TEST(Toolbar, DropDownArrowPartAndHint) {
  TForm form(nullptr);
  form.SetBounds(100, 100, 300, 100);
  auto* bar = new TECMenu(&form);
  bar->SetBounds(0, 0, 300, 26);
  bar->SetParent(&form);
  TECMenuItem* root = bar->Item();
  root->SetOrientation(ioHorizontal);
  root->SetMenuStyle(msToolbar);
  TECMenuItem* newButton = root->AddItem("New");
  newButton->SetShowHint(true);
  TECMenuItem* zoom = root->AddItem("Zoom");
  zoom->SetKind(ikDropDown);
  zoom->SetShowHint(true);
  // With an image the button has a main part left of its arrow part.
  auto* images = new TImageList(&form, 16, 16);
  TBitmap picture(16, 16);
  images->AddMasked(picture, clRed);
  bar->SetImages(images);
  zoom->SetImage(0);
  int runs = 0, drops = 0;
  zoom->OnClick = [&](TObject*) { ++runs; };
  zoom->OnDropDownClick = [&](TObject* sender) {
    EXPECT_EQ(sender, zoom);
    ++drops;
  };
  td::ShowAndWait(form);
  const TRect r = zoom->ItemRect();
  const int y = (r.Top + r.Bottom) / 2;
  td::MouseMove(*bar, (newButton->ItemRect().Left + newButton->ItemRect().Right) / 2, y);
  EXPECT_EQ(bar->Hint(), "New");
  td::MouseMove(*bar, r.Right - 3, y);
  EXPECT_EQ(bar->Hint(), "Zoom");  // moving onto the next button shows its caption at once
  EXPECT_TRUE(Application().HintShowing());
  EXPECT_EQ(zoom->MouseState(), 2);
  td::Click(*bar, r.Right - 3, y);  // the arrow part
  EXPECT_EQ(drops, 1);
  EXPECT_EQ(runs, 0);
  td::MouseMove(*bar, r.Left + 3, y);
  td::Click(*bar, r.Left + 3, y);  // the main part
  EXPECT_EQ(runs, 1);
  EXPECT_EQ(drops, 1);
}

TEST(Toolbar, AChangeOfTheImageListRepaintsTheButtons) {
  TForm form(nullptr);
  form.SetBounds(100, 100, 300, 100);
  auto* bar = new TECMenu(&form);
  bar->SetBounds(0, 0, 300, 26);
  bar->SetParent(&form);
  bar->Item()->SetOrientation(ioHorizontal);
  bar->Item()->SetMenuStyle(msToolbar);
  TECMenuItem* button = bar->Item()->AddItem("New");
  auto* images = new TImageList(&form, 16, 16);
  images->AddMasked(*uikit_test::Square(16, clLime), clWhite);
  bar->SetImages(images);
  button->SetImage(0);
  td::ShowAndWait(form);
  const TRect r = button->ItemRect();
  ASSERT_TRUE(uikit_test::Shows(*bar, r, clLime));
  images->Clear();
  images->AddMasked(*uikit_test::Square(16, clRed), clWhite);
  EXPECT_TRUE(WaitFor([&] { return uikit_test::Shows(*bar, r, clRed); }, 500));
}

TEST(ContextMenu, AnImageListFreedFirstIsLetGo) {
  TForm form(nullptr);
  TECContextMenu menu(&form);
  auto* images = new TImageList(&form, 16, 16);
  menu.SetImages(images);
  delete images;
  EXPECT_EQ(menu.Images(), nullptr);
}

}  // namespace
}  // namespace qs
