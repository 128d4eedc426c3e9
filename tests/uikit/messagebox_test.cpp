// The message box: its wrap widths and sizing, the buttons' order, focus and
// results, driven by real keys and clicks while it is shown modally.
#include <gtest/gtest.h>

#include <functional>

#include "platform/bitmap.h"
#include "platform/extctrls.h"
#include "platform/keys.h"
#include "platform/stdctrls.h"
#include "platform/testdriver.h"
#include "platform/timers.h"
#include "uikit/messagebox.h"

namespace qs {
namespace {

namespace td = testdriver;

// Runs check on the box once it is up, then lets the test's input close it.
int ShowAndAnswer(uint16_t buttons, const std::string& text, const std::function<void(TFMessageBlock&)>& answer) {
  TTimer timer(nullptr);
  timer.SetInterval(20);
  timer.OnTimer = [&](TObject*) {
    TFMessageBlock* box = nullptr;
    for (int i = 0; i < Screen().FormCount(); ++i)
      if (auto* b = dynamic_cast<TFMessageBlock*>(Screen().Forms(i)); b && b->Visible()) box = b;
    if (!box) return;
    timer.SetEnabled(false);
    td::ShowAndWait(*box);
    answer(*box);
  };
  timer.SetEnabled(true);
  return ShowMessageBlock("Title", text, kMessageQuestion, buttons);
}

std::vector<TButton*> ButtonsRightToLeft(TFMessageBlock& box) {
  std::vector<TButton*> buttons;
  for (int i = 0; i < box.ControlCount(); ++i)
    if (auto* b = dynamic_cast<TButton*>(box.Controls(i))) buttons.push_back(b);
  std::sort(buttons.begin(), buttons.end(), [](TButton* a, TButton* b) { return a->Left() > b->Left(); });
  return buttons;
}

TEST(MessageBlock, YesNoCancelFromTheRightWithYesFocusedAndEscCancels) {
  std::vector<std::string> captions;
  bool yesFocused = false;
  int result = ShowAndAnswer(kMessageYes | kMessageNo | kMessageCancel, "Save?", [&](TFMessageBlock& box) {
    for (TButton* b : ButtonsRightToLeft(box)) captions.push_back(b->Caption());
    yesFocused = ButtonsRightToLeft(box).back()->Focused();
    td::PressKey(box, VK_ESCAPE);
  });
  EXPECT_EQ(captions, (std::vector<std::string>{"Cancel", "No", "Yes"}));
  EXPECT_TRUE(yesFocused);
  EXPECT_EQ(result, mrCancel);

  EXPECT_EQ(ShowAndAnswer(kMessageYes | kMessageNo, "Save?",
                          [](TFMessageBlock& box) { td::Click(*ButtonsRightToLeft(box)[1], 10, 10); }),
            mrYes);
  EXPECT_EQ(ShowAndAnswer(kMessageOk, "Done.", [](TFMessageBlock& box) { td::PressKey(box, VK_RETURN); }), mrOk);
  // No buttons: only Esc ends it.
  EXPECT_EQ(ShowAndAnswer(0, "Wait.", [](TFMessageBlock& box) { td::PressKey(box, VK_ESCAPE); }), mrCancel);
}

TEST(MessageBlock, TheExtraButtonLeavesTheBoxOpen) {
  bool stillShowing = false;
  int result = ShowAndAnswer(kMessageExtra | kMessageOk, "More?", [&](TFMessageBlock& box) {
    td::Click(*ButtonsRightToLeft(box)[0], 10, 10);  // the extra button stands rightmost
    stillShowing = box.Visible() && box.ModalResult() == mrNone;
    td::Click(*ButtonsRightToLeft(box)[1], 10, 10);
  });
  EXPECT_TRUE(stillShowing);
  EXPECT_EQ(result, mrOk);
}

TEST(MessageBlock, ManyButtonsWidenANarrowBox) {
  int leftmost = -1, clientWidth = 0;
  std::vector<int> gaps;
  ShowAndAnswer(kMessageExtra | kMessageCancel | kMessageOk | kMessageNo | kMessageYes, "", [&](TFMessageBlock& box) {
    const std::vector<TButton*> buttons = ButtonsRightToLeft(box);
    leftmost = buttons.back()->Left();
    for (size_t i = 1; i < buttons.size(); ++i) gaps.push_back(buttons[i - 1]->Left() - buttons[i]->BoundsRect().Right);
    clientWidth = box.ClientWidth();
    td::PressKey(box, VK_ESCAPE);
  });
  // An empty text gives a box 194 wide: five buttons of 80, six pixels
  // apart, from 110 leftwards leave the next place at -320, so the box
  // grows by 340 and the next place after the leftmost button is 20.
  EXPECT_EQ(clientWidth, 194 + 340);
  EXPECT_EQ(leftmost - 86, 20);
  // No two buttons touch.
  EXPECT_EQ(gaps, std::vector<int>(4, 6));
}

int WidestLine(TFMessageBlock& box) {
  TBitmap measure(1, 1);
  measure.Canvas().Font() = box.MMessageBlock->Font();
  int widest = 0;
  std::string caption = box.MMessageBlock->Caption();
  size_t start = 0;
  while (start <= caption.size()) {
    size_t end = caption.find('\n', start);
    if (end == std::string::npos) end = caption.size();
    widest = std::max(widest, measure.Canvas().TextWidth(caption.substr(start, end - start)));
    start = end + 1;
  }
  return widest;
}

std::string Words(size_t length) {
  std::string s;
  while (s.size() < length) s += s.size() % 5 == 4 ? ' ' : 'm';
  if (s.back() == ' ') s.back() = 'm';
  return s;
}

TEST(MessageBlock, WrapWidthFollowsTheTextsLength) {
  struct TCase {
    size_t Length;
    int Limit;
  };
  for (TCase c : {TCase{50, 200}, TCase{51, 300}, TCase{100, 300}, TCase{101, 400}, TCase{300, 400}}) {
    TFMessageBlock box(nullptr);
    box.LayoutMessageText(Words(c.Length));
    const int widest = WidestLine(box);
    EXPECT_LE(widest, c.Limit) << c.Length;
    if (c.Limit > 200 && c.Length > 80) {
      EXPECT_GT(widest, c.Limit - 100) << c.Length;
    }
    EXPECT_EQ(box.MMessageBlock->Width(), std::max(114, widest + 10)) << c.Length;
  }
}

TEST(MessageBlock, ShortAndUnbreakableTextsSizeTheBox) {
  TFMessageBlock empty(nullptr);
  empty.LayoutMessageText("");
  EXPECT_EQ(empty.MMessageBlock->Width(), 114);
  EXPECT_EQ(empty.IQuestion->Height(), 48);
  // The outer size, frame included: the box wears the ordinary skin.
  EXPECT_EQ(empty.FrameInsets(), (TRect{7, 24, 7, 7}));
  EXPECT_EQ(empty.Width(), 114 + 80);
  EXPECT_EQ(empty.Height(), 36 + 80);

  TFMessageBlock oneWord(nullptr);
  const std::string word(60, 'w');
  oneWord.LayoutMessageText(word);
  EXPECT_EQ(oneWord.MMessageBlock->Caption(), word);  // no break anywhere: one line, wider than 300
  EXPECT_GT(oneWord.MMessageBlock->Width(), 310);
}

TEST(MessageBlock, EachButtonShowsTheGlyphOfItsKind) {
  // The ink of each glyph: a green tick, a red cross, a crimson barred
  // circle, a blue page.
  const TColor tick = RGB(20, 120, 40), cross = RGB(200, 40, 30), barred = RGB(176, 32, 96), page = RGB(40, 70, 130);
  const TColor inks[] = {tick, cross, barred, page};
  TFMessageBlock box(nullptr);
  box.LayoutMessageText("Which one?");
  box.SetButtonX(box.ClientWidth() - 84);
  struct TCase {
    uint16_t Kind;
    TColor Ink;
  };
  const TCase cases[] = {
      {kMessageExtra, page}, {kMessageCancel, cross}, {kMessageOk, tick}, {kMessageNo, barred}, {kMessageYes, tick}};
  std::vector<TButton*> buttons;
  for (const TCase& c : cases) buttons.push_back(box.AddMessageButton(c.Kind, "Caption"));
  td::ShowAndWait(box);
  for (size_t i = 0; i < buttons.size(); ++i) {
    const std::unique_ptr<TBitmap> shot = GrabControl(*buttons[i]);
    for (TColor ink : inks) {
      int n = 0;
      for (int y = 0; y < shot->Height(); ++y)
        for (int x = 0; x < shot->Width(); ++x) n += shot->Pixel(x, y) == ink;
      if (ink == cases[i].Ink)
        EXPECT_GT(n, 6) << i;
      else
        EXPECT_EQ(n, 0) << i;
    }
  }
}

TEST(MessageBlock, IconKindsChooseThePicture) {
  struct TCase {
    uint8_t Kind;
    bool Question, Warning;
  };
  for (TCase c : {TCase{0, false, true}, TCase{1, true, false}, TCase{2, true, false}, TCase{7, true, true}}) {
    TFMessageBlock box(nullptr);
    box.SetMessageIcon(c.Kind);
    EXPECT_EQ(box.IQuestion->Visible(), c.Question) << int(c.Kind);
    EXPECT_EQ(box.IWarning->Visible(), c.Warning) << int(c.Kind);
  }
}

}  // namespace
}  // namespace qs
