// The page control through real mouse input: tabs on each side switch
// pages, a handler can refuse a switch, tabs that overflow scroll with
// buttons that repeat while held, and forms dragged onto a docking page
// control get a page of their own.
#include <gtest/gtest.h>

#include "platform/forms.h"
#include "platform/testdriver.h"
#include "uikit/pagecontrol.h"
#include "uikit_fixture.h"

namespace qs {
namespace {

using uikit_test::HoldsFor;
using uikit_test::WaitFor;

namespace td = testdriver;

class PageControlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form = new TForm(nullptr);
    form->SetBounds(50, 50, 400, 300);
    pc = new TECPageControl(form);
    pc->SetParent(form);
    pc->SetBounds(0, 0, 300, 200);
    pc->PageSetting().SetDoubleSheet(false);
    pc->SetSpiralVisible(false);
  }
  void TearDown() override {
    delete form;
    td::ProcessMessages();
  }
  TECTabSheet* AddPage(const std::string& caption, int tabWidth = 60) {
    auto* p = new TECTabSheet(form);
    p->SetCaption(caption);
    p->SetTabWidth(tabWidth);
    p->SetPageControl(pc);
    return p;
  }
  TForm* form = nullptr;
  TECPageControl* pc = nullptr;
};

TEST_F(PageControlTest, ARefusedSwitchKeepsThePage) {
  TECTabSheet* a = AddPage("One");
  TECTabSheet* b = AddPage("Two");
  TECTabSheet* c = AddPage("Three");
  pc->PageSetting().SetOrientation(poTop);  // tabs along the bottom edge
  int changes = 0;
  pc->OnPageChanging = [&](TObject* sender, TECTabSheet* page, bool& allow) {
    EXPECT_EQ(sender, pc);
    allow = page != b;
  };
  pc->OnPageChange = [&](TObject*) { ++changes; };
  td::ShowAndWait(*form);
  td::Click(*pc, 90, 189);  // the second tab
  EXPECT_EQ(pc->ActivePage(), a);
  EXPECT_EQ(changes, 0);
  td::MouseDown(*pc, 150, 189);  // the third: it switches on the press
  EXPECT_EQ(pc->ActivePage(), c);
  td::MouseUp(*pc, 150, 189);
  EXPECT_EQ(changes, 1);
  td::Click(*pc, 150, 100);  // the page itself: nothing changes
  EXPECT_EQ(pc->ActivePage(), c);
}

// Taking the form apart switches to no other page: the handlers of a
// switch may belong to what is already gone.
TEST_F(PageControlTest, ClosingTheFormSwitchesNoPage) {
  AddPage("One");
  AddPage("Two");
  pc->SetActivePage(AddPage("Three"));  // the last made goes first
  int calls = 0;
  pc->OnPageChanging = [&calls](TObject*, TECTabSheet*, bool&) { ++calls; };
  pc->OnPageChange = [&calls](TObject*) { ++calls; };
  td::ShowAndWait(*form);
  delete form;
  form = nullptr;
  EXPECT_EQ(calls, 0);
}

struct SideCase {
  TECPageOrientation Orientation;
  TPoint ThirdTab;  // the centre of the third tab
  TRect PageRect;
};

TEST_F(PageControlTest, TabsStandOppositeTheBindingOnEverySide) {
  // 60-pixel tabs in a 20-pixel strip of a 300 x 200 control.
  const SideCase cases[] = {
      {poLeft, {289, 150}, {0, 1, 278, 198}},   // strip at the right
      {poTop, {150, 189}, {1, 0, 298, 178}},    // strip at the bottom
      {poRight, {10, 150}, {21, 1, 299, 198}},  // strip at the left
      {poBottom, {150, 10}, {1, 21, 298, 199}}, // strip at the top
  };
  AddPage("One");
  AddPage("Two");
  TECTabSheet* third = AddPage("Three");
  td::ShowAndWait(*form);
  for (const SideCase& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.Orientation));
    pc->SetActivePage(pc->Pages(0));
    pc->PageSetting().SetOrientation(c.Orientation);
    td::Click(*pc, c.ThirdTab.X, c.ThirdTab.Y);
    EXPECT_EQ(pc->ActivePage(), third);
    EXPECT_EQ(third->BoundsRect(), c.PageRect);
  }
}

TEST_F(PageControlTest, TheSpiralPutsARingEveryThirteenPixels) {
  AddPage("One");
  pc->SetSpiralVisible(true);  // a 20-pixel band at the left
  td::ShowAndWait(*form);
  const auto shot = GrabControl(*pc);
  // 200 mod 13 is 5: rings start at y = 2, the last one at 184; each half
  // ring reaches 15 pixels out from the binding line at x = 20, level
  // with its middle, and meets the line near its top.
  const TColor wire = 0x404040;
  for (int y = 2; y <= 184; y += 13) {
    EXPECT_EQ(shot->Pixel(4, y + 5), wire) << y;
    EXPECT_EQ(shot->Pixel(19, y + 1), wire) << y;
  }
  EXPECT_NE(shot->Pixel(19, 197 + 1), wire);  // no ring runs off the edge
  pc->SetSpiralVisible(false);
  EXPECT_TRUE(WaitFor([&] { return GrabControl(*pc)->Pixel(4, 7) != wire; }));
}

TEST_F(PageControlTest, EqualTabsStartAfterTheBend) {
  for (const char* c : {"A", "Bb", "Ccc"}) AddPage(c, 0);
  pc->PageSetting().SetOrientation(poBottom);
  TECTabSetting& t = pc->TabSetting();
  t.SetAutoSize(asAlignSize);
  t.SetLeftOffset(10);
  t.SetRightOffset(10);
  t.SetLeftBend(5);
  t.SetRightBend(5);
  td::ShowAndWait(*form);
  // (300 - 30) div 3 = 90 pixels each, from x = 5.
  td::Click(*pc, 5 + 90 + 89, 10);
  EXPECT_EQ(pc->ActivePage(), pc->Pages(1));
  td::Click(*pc, 5 + 180, 10);
  EXPECT_EQ(pc->ActivePage(), pc->Pages(2));
}

TEST_F(PageControlTest, OverflowingTabsScrollAndRepeatWhileHeld) {
  pc->PageSetting().SetOrientation(poBottom);  // tabs along the top
  for (int i = 0; i < 5; ++i) AddPage("Page");
  td::ShowAndWait(*form);
  auto shown = [&](int i) { return pc->ScrollButton(i) && pc->ScrollButton(i)->Visible(); };
  EXPECT_FALSE(shown(0));
  EXPECT_FALSE(shown(1));  // five tabs of 60 fill 300 exactly
  for (int i = 0; i < 15; ++i) AddPage("Page");
  EXPECT_FALSE(shown(0));
  ASSERT_TRUE(shown(1));
  TECButtonScroll& forward = *pc->ScrollButton(1);
  td::Click(forward, 7, 7);
  EXPECT_EQ(pc->ScrollOffset(true), 10);
  EXPECT_TRUE(shown(0));
  // The tab under a point moves with the scroll.
  td::Click(*pc, 55, 10);
  EXPECT_EQ(pc->ActivePage(), pc->Pages(1));
  td::MouseDown(forward, 7, 7);
  EXPECT_TRUE(WaitFor([&] { return pc->ScrollOffset(true) >= 60; }));
  td::MouseUp(forward, 7, 7);
  const int released = pc->ScrollOffset(true);
  EXPECT_TRUE(HoldsFor([&] { return pc->ScrollOffset(true) == released; }, 100));  // five intervals
  // Back to the start, where the back button goes.
  TECButtonScroll& back = *pc->ScrollButton(0);
  td::MouseDown(back, 7, 7);
  EXPECT_TRUE(WaitFor([&] { return pc->ScrollOffset(true) == 0; }));
  td::MouseUp(back, 7, 7);
  EXPECT_FALSE(shown(0));
}

TEST_F(PageControlTest, TabsEndBeforeTheScrollArrows) {
  // Tabs along the bottom, more than fit: the last one shown stops before
  // the forward arrow and nothing of it shows beyond; scrolled on, the
  // first one shown stops after the back arrow.
  pc->PageSetting().SetOrientation(poTop);
  for (int i = 0; i < 8; ++i) AddPage("Page");
  td::ShowAndWait(*form);
  ASSERT_TRUE(pc->ScrollButton(1) && pc->ScrollButton(1)->Visible());
  const TColor face = ColorToRGB(pc->Color());
  auto clear = [&](const TBitmap& shot, int x0, int x1) {
    for (int x = x0; x < x1; ++x)
      for (int y = 200 - 18; y < 200; ++y)
        if (shot.Pixel(x, y) != face) return false;
    return true;
  };
  const TECButtonScroll& forward = *pc->ScrollButton(1);
  auto shot = GrabControl(*pc);
  EXPECT_TRUE(clear(*shot, forward.Left() + forward.Width() + 1, 300));
  td::Click(*pc->ScrollButton(1), 7, 7);
  ASSERT_TRUE(pc->ScrollButton(0)->Visible());
  const TECButtonScroll& back = *pc->ScrollButton(0);
  shot = GrabControl(*pc);
  EXPECT_TRUE(clear(*shot, 0, back.Left()));
}

TEST_F(PageControlTest, DoubleSheetsShowSpreadsWithTwoStrips) {
  pc->PageSetting().SetDoubleSheet(true);  // binding in the middle, poLeft
  TECTabSheet* pages[4];
  for (auto*& p : pages) p = AddPage("Page");
  td::ShowAndWait(*form);
  // With the first page shown every tab stands in the right strip.
  td::Click(*pc, 289, 150);
  ASSERT_EQ(pc->ActivePage(), pages[2]);
  // Pages 1 and 2 form the spread, either side of the binding band.
  EXPECT_EQ(pages[1]->BoundsRect(), Rect(21, 1, 148, 199));
  EXPECT_EQ(pages[2]->BoundsRect(), Rect(152, 1, 279, 199));
  // The left strip now holds the tabs of pages 0 and 1.
  td::Click(*pc, 10, 30);
  EXPECT_EQ(pc->ActivePage(), pages[0]);
  td::Click(*pc, 289, 197);  // below the scroll button
  EXPECT_EQ(pc->ActivePage(), pages[3]);
  EXPECT_EQ(pages[3]->BoundsRect(), Rect(21, 1, 148, 199));
}

TEST_F(PageControlTest, PictureTabsShowTheirHintsAtOnce) {
  pc->PageSetting().SetOrientation(poTop);  // tabs along the bottom
  auto* images = new TImageList(form, 32, 32);
  TBitmap strip(64, 32);
  images->AddMasked(strip, clRed);
  pc->SetImages(images);
  pc->SetShowHint(true);
  TECTabSheet* symbols = AddPage("", 0);
  symbols->SetImage(0);
  symbols->SetHint("Symbols <Alt+S>");
  TECTabSheet* notes = AddPage("", 0);
  notes->SetImage(1);
  notes->SetHint("Notes <Alt+N>");
  EXPECT_EQ(symbols->TabExtent(), 36);  // the picture and its margin
  td::ShowAndWait(*form);
  td::MouseMove(*pc, 10, 189);
  EXPECT_EQ(pc->HotTab(), symbols);
  EXPECT_EQ(pc->Hint(), "Symbols <Alt+S>");
  EXPECT_TRUE(Application().HintShowing());
  td::MouseMove(*pc, 40, 189);
  EXPECT_EQ(pc->HotTab(), notes);
  EXPECT_EQ(pc->Hint(), "Notes <Alt+N>");
  td::Click(*pc, 40, 189);
  EXPECT_EQ(pc->ActivePage(), notes);
}

TEST_F(PageControlTest, AChangeOfTheImageListRepaintsTheTabs) {
  pc->PageSetting().SetOrientation(poTop);  // tabs along the bottom
  auto* images = new TImageList(form, 32, 32);
  images->AddMasked(*uikit_test::Square(32, clLime), clWhite);
  pc->SetImages(images);
  AddPage("", 0)->SetImage(0);
  td::ShowAndWait(*form);
  const TRect tabs = Rect(0, 160, 300, 200);
  ASSERT_TRUE(uikit_test::Shows(*pc, tabs, clLime));
  images->Clear();
  images->AddMasked(*uikit_test::Square(32, clRed), clWhite);
  EXPECT_TRUE(WaitFor([&] { return uikit_test::Shows(*pc, tabs, clRed); }));
}

TEST_F(PageControlTest, AGoneOrHiddenActivePageHandsOver) {
  struct Case {
    const char* What;
    int Active;
    int Expected;
  };
  // Removing searches on from the end of the list, hiding from the page.
  const Case cases[] = {{"remove", 2, 0}, {"hide", 2, 3}, {"hide", 4, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.What) + " " + std::to_string(c.Active));
    while (pc->PageCount() > 0) delete pc->Pages(0);
    TECTabSheet* pages[5];
    for (auto*& p : pages) p = AddPage("Page");
    pc->SetActivePage(pages[c.Active]);
    if (std::string(c.What) == "remove")
      pages[c.Active]->SetPageControl(nullptr);
    else
      pages[c.Active]->SetTabVisible(false);
    EXPECT_EQ(pc->ActivePage(), pages[c.Expected]);
  }
}

TEST_F(PageControlTest, LoadedPagesFollowTheirStoredIndexes) {
  pc->BeginLoading();
  TECTabSheet* pages[4];
  const int stored[4] = {3, 1, 2, 0};
  for (int i = 0; i < 4; ++i) {
    pages[i] = AddPage("Page");
    pages[i]->SetPageIndex(stored[i]);
  }
  pc->Loaded();
  for (int i = 0; i < 4; ++i) EXPECT_EQ(pages[i]->PageIndex(), stored[i]);
}

TEST_F(PageControlTest, ADraggedFormDocksOnAPageAndLeavesIt) {
  pc->DockSite = true;
  pc->PageSetting().SetOrientation(poBottom);
  AddPage("Score");
  td::ShowAndWait(*form);
  auto* palette = new TForm(nullptr);
  palette->SetCaption("Symbols\nand more");
  palette->SetBounds(500, 100, 150, 120);
  palette->DockDrag = true;
  td::ShowAndWait(*palette);
  // Drag the palette by its client area onto the page control.
  const TPoint target = palette->ScreenToClient(pc->ClientToScreen(TPoint{150, 100}));
  td::MouseDown(*palette, 20, 20);
  td::MouseMove(*palette, 60, 40, ssLeft);
  td::MouseMove(*palette, target.X, target.Y, ssLeft);
  td::MouseUp(*palette, target.X, target.Y);
  td::ProcessMessages();
  ASSERT_EQ(pc->PageCount(), 2);
  TECTabSheet* page = pc->Pages(1);
  EXPECT_EQ(page->Caption(), "Symbols");
  EXPECT_EQ(pc->ActivePage(), page);
  EXPECT_EQ(palette->Parent(), page);
  EXPECT_EQ(palette->HostDockSite(), pc);
  EXPECT_EQ(palette->BoundsRect(), page->ClientRect());
  // The page follows the form's caption and visibility.
  palette->SetCaption("Notes\r\nline two");
  EXPECT_EQ(page->Caption(), "Notes");
  palette->Hide();
  EXPECT_FALSE(page->TabVisible());
  EXPECT_EQ(pc->ActivePage(), pc->Pages(0));
  palette->Show();
  EXPECT_TRUE(page->TabVisible());
  pc->SetActivePage(page);
  // Dragged out to where no dock site is, it floats and its page goes.
  td::MouseDown(*palette, 20, 20);
  td::MouseMove(*palette, 40, 40, ssLeft);
  const TPoint away = palette->ScreenToClient(form->ClientToScreen(TPoint{450, 50}));
  td::MouseUp(*palette, away.X, away.Y);
  td::ProcessMessages();
  EXPECT_TRUE(palette->Floating());
  EXPECT_EQ(pc->PageCount(), 1);
  for (int i = 0; i < pc->ComponentCount(); ++i)
    EXPECT_EQ(dynamic_cast<TECTabSheet*>(pc->Components(i)), nullptr);
  // Docked again and freed there, it takes its page with it.
  palette->ManualDock(pc);
  ASSERT_EQ(pc->PageCount(), 2);
  delete palette;
  EXPECT_EQ(pc->PageCount(), 1);
  td::ProcessMessages();
}

}  // namespace
}  // namespace qs
