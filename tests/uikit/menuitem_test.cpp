// Menu items on their own: the tree, the layout of a window of entries,
// the image an entry shows, the update lock and the link to an action.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "platform/bitmap.h"
#include "platform/forms.h"
#include "platform/testdriver.h"
#include "platform/timers.h"
#include "uikit/menuitem.h"

namespace qs {
namespace {

namespace td = testdriver;

// Stands in for a menu component: an image list and the blink interval.
struct Host : TECMenuHost {
  TComponent owner{nullptr};
  TImageList images{&owner, 16, 16};
  bool context = false;
  int tick = 300;
  Host() {
    TBitmap strip(16 * 40, 16);
    strip.Canvas().Brush().Color = clRed;
    strip.Canvas().FillRect(Rect(0, 0, 16 * 40, 8));
    images.AddMasked(strip, clWhite);
  }
  TComponent* HostComponent() override { return &owner; }
  TImageList* HostImages() const override { return const_cast<TImageList*>(&images); }
  bool IsContextMenu() const override { return context; }
  int TickInterval() const override { return tick; }
};

// A window that counts what is invalidated in it.
class CountingWindow : public TCustomControl {
 public:
  using TCustomControl::TCustomControl;
  void InvalidateRect(const TRect& r, bool erase) override {
    ++invalidations;
    TCustomControl::InvalidateRect(r, erase);
  }
  int invalidations = 0;
};

int CaptionWidth(const std::string& s) {
  TBitmap b(1, 1);
  b.Canvas().Font() = TFont();
  return b.Canvas().TextWidth(s);
}

TEST(MenuItem, TreeOperations) {
  Host host;
  TECMenuItem root(nullptr);
  root.SetMenu(&host);
  TECMenuItem* a = root.AddItem("&File");
  TECMenuItem* b = root.AddItem("Edit");
  TECMenuItem* c = root.InsertItem(1, "View");
  ASSERT_EQ(root.Count(), 3);
  EXPECT_EQ(root.Items(1), c);
  EXPECT_EQ(root.Items(3), nullptr);
  EXPECT_EQ(root.Items(-1), nullptr);
  EXPECT_EQ(b->IndexOf(), 2);
  EXPECT_EQ(root.IndexOf(), -1);
  EXPECT_EQ(a->Menu(), &host);
  EXPECT_EQ(root.FindItem("edit"), b);
  EXPECT_EQ(root.FindItem("&FILE"), a);
  EXPECT_EQ(root.FindItem("Help"), nullptr);
  b->SetIndex(0);
  EXPECT_EQ(root.Items(0), b);
  b->SetIndex(7);  // out of range: stays
  EXPECT_EQ(b->IndexOf(), 0);
  root.DeleteItem(5);
  EXPECT_EQ(root.Count(), 3);
  root.DeleteItem(0);
  EXPECT_EQ(root.Count(), 2);
  EXPECT_EQ(root.FindItem("Edit"), nullptr);
  a->AddItem("Open");
  TECMenuItem copy(nullptr);
  copy.SetMenu(&host);
  copy.Assign(*a);
  EXPECT_EQ(copy.Caption(), "&File");
  ASSERT_EQ(copy.Count(), 1);
  EXPECT_EQ(copy.Items(0)->Caption(), "Open");
  EXPECT_EQ(copy.Items(0)->Parent(), &copy);
}

TEST(MenuItem, VerticalMenuWithShortCutAndImage) {
  Host host;
  TECMenuItem list(nullptr);
  list.SetMenu(&host);
  TECMenuItem* open = list.AddItem("Open");
  open->SetShortCutText("Ctrl+O");
  open->SetImage(2);
  list.Layout();
  EXPECT_EQ(list.PanelWidth(), 24);
  EXPECT_EQ(list.ChildrenArea().Width(), CaptionWidth("Open") + 16 + 4 + 24 + CaptionWidth("Ctrl+O") + 4);
  EXPECT_EQ(open->ItemRect().Height(), 20);
  EXPECT_EQ(open->ItemRect().Right, list.ChildrenArea().Right);
}

// The upper half of a painted entry: the glyphs without the underline.
std::vector<TColor> GlyphTops(const std::string& caption) {
  Host host;
  TECMenuItem list(nullptr);
  list.SetMenu(&host);
  list.AddItem(caption);
  list.Layout();
  const TRect a = list.ChildrenArea();
  TBitmap b(a.Width(), a.Height());
  list.PaintChildren(b.Canvas(), a.Width(), a.Height());
  std::vector<TColor> pixels;
  for (int y = 0; y < a.Height() / 2; ++y)
    for (int x = 0; x < a.Width(); ++x) pixels.push_back(b.Pixel(x, y));
  return pixels;
}

TEST(MenuItem, UnderlinedLetterIsAWholeCharacter) {
  // A letter of more than one byte stays whole when underlined.
  for (const char* word : {"Édition", "Жук"}) {
    SCOPED_TRACE(word);
    EXPECT_EQ(GlyphTops(std::string("&") + word), GlyphTops(word));
  }
}

TEST(MenuItem, ToolbarEntryWidths) {
  Host host;
  TECMenuItem bar(nullptr);
  bar.SetMenu(&host);
  bar.SetOrientation(ioHorizontal);
  bar.SetMenuStyle(msToolbar);
  TECMenuItem* sep = bar.AddItem("");
  sep->SetKind(ikSeparator);
  sep->SetHeight(6);
  TECMenuItem* drop = bar.AddItem("Zoom");
  drop->SetKind(ikDropDown);
  drop->SetImage(1);
  drop->SetButtonWidth(22);
  TECMenuItem* plain = bar.AddItem("");
  // A tool button with a caption but no picture is as wide as its caption.
  TECMenuItem* worded = bar.AddItem("&Transposition");
  bar.Layout();
  EXPECT_EQ(sep->ItemRect().Width(), 6);
  EXPECT_EQ(drop->ItemRect().Width(), 34);
  EXPECT_EQ(plain->ItemRect().Width(), 24);
  EXPECT_EQ(plain->ItemRect().Height(), 20);
  EXPECT_GT(worded->ItemRect().Width(), 60);
  EXPECT_EQ(worded->ItemRect().Left, plain->ItemRect().Right);
}

TEST(MenuItem, HorizontalEntriesAreAtLeastTenHigh) {
  Host host;
  TECMenuItem bar(nullptr);
  bar.SetMenu(&host);
  bar.SetOrientation(ioHorizontal);
  bar.SetMargin(2);
  TECMenuItem* e = bar.AddItem("x");
  e->SetButtonHeight(4);
  bar.Layout();
  EXPECT_EQ(e->ItemRect().Height(), 10 - 4);
  EXPECT_EQ(bar.ChildrenArea().Height(), 12);
}

TEST(MenuItem, ImageByStateAndEnabled) {
  Host host;
  TECMenuItem root(nullptr);
  root.SetMenu(&host);
  TECMenuItem* e = root.AddItem("Save");
  e->SetImage(3);
  e->SetOverImage(4);
  e->SetPressImage(5);
  struct Row { int state; bool enabled; int disable; int expected; };
  for (const Row& r : {Row{0, true, -1, 3}, Row{1, true, -1, 4}, Row{2, true, -1, 4}, Row{3, true, -1, 5},
                       Row{4, true, -1, 5}, Row{0, false, 35, 35}, Row{1, false, -1, 4}, Row{0, true, 35, 3}}) {
    e->SetMouseState(r.state);
    e->SetEnabled(r.enabled);
    e->SetDisableImage(r.disable);
    EXPECT_EQ(e->GetImageIndex(), r.expected) << r.state << " " << r.enabled << " " << r.disable;
  }
  e->SetMouseState(0);
  e->SetImage(40);  // beyond the list
  EXPECT_EQ(e->GetImageIndex(), -1);
  // A checked check item in a bar shows its pressed image while the mouse
  // is over it; in a popup it does not.
  e->SetImage(3);
  e->SetKind(ikCheckBox);
  e->SetChecked(true);
  e->SetMouseState(1);
  EXPECT_EQ(e->GetImageIndex(), 5);
  host.context = true;
  EXPECT_EQ(e->GetImageIndex(), 4);
}

TEST(MenuItem, UpdateLockLaysOutAndInvalidatesOnce) {
  Host host;
  TForm form(nullptr);
  form.SetBounds(50, 50, 300, 200);
  auto* window = new CountingWindow(&form);
  window->SetBounds(0, 0, 200, 100);
  window->SetParent(&form);
  form.Show();
  td::ProcessMessages();
  TECMenuItem root(nullptr);
  root.SetMenu(&host);
  root.SetWindow(window);
  TECMenuItem* e = root.AddItem("One");
  window->invalidations = 0;
  root.BeginUpdate();
  e->SetCaption("A much longer caption");
  e->SetShortCutText("Ctrl+1");
  e->SetHeight(30);
  EXPECT_EQ(window->invalidations, 0);
  EXPECT_EQ(e->ItemRect().Height(), 20);  // not laid out yet
  root.EndUpdate();
  EXPECT_EQ(window->invalidations, 1);
  EXPECT_EQ(e->ItemRect().Height(), 30);
  // An unchanged value does nothing.
  window->invalidations = 0;
  e->SetHeight(30);
  e->SetCaption("A much longer caption");
  EXPECT_EQ(window->invalidations, 0);
  root.EndUpdate();  // unbalanced: nothing
  EXPECT_EQ(window->invalidations, 0);
  root.SetWindow(nullptr);
}

TEST(MenuItem, ActionStateReflectedInItem) {
  Host host;
  TComponent owner(nullptr);
  auto* action = new TAction(&owner);
  action->SetCaption("Bold");
  action->SetHint("Bold text");
  int runs = 0;
  action->OnExecute = [&](TObject*) { ++runs; };
  TECMenuItem root(nullptr);
  root.SetMenu(&host);
  TECMenuItem* e = root.AddItem("");
  e->SetKind(ikCheckBox);
  e->SetAction(action);
  EXPECT_EQ(e->Caption(), "Bold");
  EXPECT_EQ(e->Hint(), "Bold text");
  action->SetChecked(true);
  EXPECT_TRUE(e->Checked());
  action->SetEnabled(false);
  EXPECT_FALSE(e->Enabled());
  EXPECT_FALSE(e->Selectable());
  action->SetEnabled(true);
  action->SetVisible(false);
  EXPECT_FALSE(e->Visible());
  ASSERT_TRUE(e->OnClick);
  e->OnClick(e);
  EXPECT_EQ(runs, 1);
  // The item outlives its action without a dangling link.
  delete action;
  EXPECT_EQ(e->Action(), nullptr);
  e->SetChecked(false);
}

TEST(MenuItem, ABarTextureLiesUnderItsTransparentEntries) {
  Host host;
  TECMenuItem bar(nullptr);
  bar.SetMenu(&host);
  bar.SetOrientation(ioHorizontal);
  bar.SetColor(clLime);
  TECMenuItem* plain = bar.AddItem("File");
  TECMenuItem* clear = bar.AddItem("Edit");
  clear->SetTransparent(true);
  TBitmap texture(7, 12);
  texture.Canvas().Brush().Color = clBlue;
  texture.Canvas().FillRect(Rect(0, 0, 7, 12));
  bar.SetPicture(&texture);
  texture.Canvas().Brush().Color = clRed;  // the bar keeps its own copy
  texture.Canvas().FillRect(Rect(0, 0, 7, 12));
  bar.Layout();
  TBitmap window(200, 30);
  bar.PaintChildren(window.Canvas(), 200, 30);
  const TRect p = plain->ItemRect(), c = clear->ItemRect();
  EXPECT_EQ(window.Pixel(p.Left + 1, 1), clLime);  // an opaque entry covers it
  EXPECT_EQ(window.Pixel(c.Left + 1, 1), clBlue);
  EXPECT_EQ(window.Pixel(199, 1), clBlue);  // tiled across the whole width
  EXPECT_EQ(window.Pixel(199, 20), clWhite);  // only as high as the picture
  // Without a picture the bar is filled with its colour.
  bar.SetPicture(nullptr);
  EXPECT_EQ(bar.Picture(), nullptr);
  bar.PaintChildren(window.Canvas(), 200, 30);
  EXPECT_EQ(window.Pixel(199, 20), clLime);
}

TEST(MenuItem, BlinkStepsNoFasterThanTheTick) {
  Host host;
  TECMenuItem root(nullptr);
  root.SetMenu(&host);
  TECMenuItem* e = root.AddItem("Rec");
  e->Blink(true);
  EXPECT_EQ(e->BlinkPhase(), 0);
  // Called every 100 ms, the phase steps at most once per 300 ms tick. A
  // step is timed from before the call that made it to after the call that
  // made the next one, so that a slow machine can only lengthen the gap.
  struct TStep {
    uint64_t Before, After;
  };
  std::vector<TStep> steps;
  int last = e->BlinkPhase();
  for (int i = 0; i < 12; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const uint64_t before = GetTickCount();
    e->Blink(false);
    if (e->BlinkPhase() != last) steps.push_back({before, GetTickCount()});
    last = e->BlinkPhase();
  }
  ASSERT_GE(steps.size(), 2u);
  for (size_t i = 1; i < steps.size(); ++i) EXPECT_GE(steps[i].After - steps[i - 1].Before, 300u);
}

}  // namespace
}  // namespace qs
