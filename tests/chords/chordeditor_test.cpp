// The chord-name editor through real keys and clicks: fragments laid out
// on their levels and anchors, typing, the caret and fragment keys, the
// fixed leading fragments.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/text.h"
#include "chords/chordeditor.h"
#include "platform/forms.h"
#include "platform/keys.h"
#include "platform/testdriver.h"

namespace qs {
namespace {

namespace td = testdriver;
using TFragment = TECChordEditor::TFragment;

TFragment Frag(const char* text, int anchor, int level) {
  TFragment f;
  f.Text = Utf8ToUtf16(text);
  f.Anchor = static_cast<uint8_t>(anchor);
  f.Level = static_cast<int16_t>(level);
  return f;
}

class ChordEditorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form = new TForm(nullptr);
    form->SetBounds(50, 50, 260, 120);
    editor = new TECChordEditor(form);
    editor->SetParent(form);
    editor->SetBounds(4, 4, 220, 60);
  }
  void TearDown() override {
    delete form;
    td::ProcessMessages();
  }
  // The texts joined by "|", the current one in brackets with "^" at the
  // caret.
  std::string Shown() const {
    std::string s;
    const auto& fs = editor->Fragments();
    for (int i = 0; i < static_cast<int>(fs.size()); ++i) {
      std::string t = Utf16ToUtf8(fs[static_cast<size_t>(i)].Text);
      if (i == editor->CurrentFragment()) t = "[" + t.insert(std::min<size_t>(editor->CaretPosition(), t.size()), "^") + "]";
      s += (i ? "|" : "") + t;
    }
    return s;
  }
  void Keys(std::initializer_list<std::pair<uint16_t, TShiftState>> keys) {
    for (auto [vk, shift] : keys) td::PressKey(*editor, vk, shift);
  }
  TForm* form = nullptr;
  TECChordEditor* editor = nullptr;
};

TEST_F(ChordEditorTest, LevelsAndAnchorsPlaceTheFragments) {
  editor->Fragments() = {Frag("C", 0, 0), Frag("m", 0, 1), Frag("7", 1, 1)};
  editor->LayoutFragments();
  const auto& f = editor->Fragments();
  EXPECT_EQ(f[1].Rect.Top - f[0].Rect.Top, 3);
  EXPECT_EQ(f[2].Rect.Top, f[1].Rect.Top);
  EXPECT_EQ(f[1].Rect.Left, f[0].Rect.Right);
  EXPECT_EQ(f[2].Rect.Left, f[1].Rect.Right);
  EXPECT_EQ(f[0].Rect.Top, 0);
  // A fragment two levels up after them: 6 px above "m", and as its top
  // would leave the control, everything moves down together.
  const int cTop = f[0].Rect.Top;
  editor->Fragments().push_back(Frag("9", 2, -2));
  editor->LayoutFragments();
  EXPECT_EQ(f[1].Rect.Top - f[3].Rect.Top, 9);
  EXPECT_EQ(f[3].Rect.Top, 0);
  EXPECT_EQ(f[0].Rect.Top - cTop, 6);
  EXPECT_EQ(f[3].Rect.Left, f[2].Rect.Right);
  // An anchor not below its own index: it follows the one laid out before.
  editor->Fragments().push_back(Frag("/B", 7, 0));
  editor->LayoutFragments();
  EXPECT_EQ(f[4].Rect.Left, f[3].Rect.Right);
}

TEST_F(ChordEditorTest, TypingAndTheFragmentKeys) {
  td::ShowAndWait(*form);
  editor->SetFocus();
  td::TypeText(*editor, "C");  // past the empty list: a fragment is made
  EXPECT_EQ(Shown(), "[C^]");
  Keys({{VK_DOWN, ssCtrl}});  // a lowered fragment after it
  td::TypeText(*editor, "m7");
  EXPECT_EQ(Shown(), "C|[m7^]");
  EXPECT_EQ(editor->Fragments()[1].Level, 1);
  EXPECT_EQ(editor->Fragments()[1].Anchor, 0);
  Keys({{VK_UP, ssCtrl}});  // raised from there
  td::TypeText(*editor, "9");
  EXPECT_EQ(Shown(), "C|m7|[9^]");
  EXPECT_EQ(editor->Fragments()[2].Level, 0);
  Keys({{VK_LEFT, 0}, {VK_LEFT, 0}});  // past the start into the fragment before
  EXPECT_EQ(Shown(), "C|[m7^]|9");
  Keys({{VK_HOME, 0}});
  EXPECT_EQ(Shown(), "C|[^m7]|9");
  Keys({{VK_DELETE, 0}});
  EXPECT_EQ(Shown(), "C|[^7]|9");
  Keys({{VK_END, 0}, {VK_DELETE, 0}});  // at the end: the next fragment's first character
  EXPECT_EQ(Shown(), "C|[7^]|");
  Keys({{VK_BACK, 0}, {VK_BACK, 0}});  // empty: the fragment goes, and the last character before
  EXPECT_EQ(Shown(), "[^]|");
  Keys({{VK_END, ssCtrl}});
  EXPECT_EQ(Shown(), "|[^]");
  // Ctrl+Up on an empty fragment makes none.
  Keys({{VK_UP, ssCtrl}});
  EXPECT_EQ(editor->Fragments().size(), 2u);
  Keys({{VK_HOME, ssCtrl}});
  td::TypeText(*editor, "G");
  Keys({{VK_DOWN, ssShift}, {VK_DOWN, ssShift}, {VK_UP, ssShift}});
  EXPECT_EQ(editor->Fragments()[0].Level, 1);
}

TEST_F(ChordEditorTest, FixedFragmentsAndShifts) {
  editor->Fragments() = {Frag("C", 0, 0), Frag("m", 0, 0), Frag("7", 0, 0)};
  editor->FixCount = 1;
  editor->LayoutFragments();
  td::ShowAndWait(*form);
  editor->SetFocus();
  Keys({{VK_END, 0}, {VK_BACK, 0}, {VK_DELETE, 0}});
  td::TypeText(*editor, "x");
  EXPECT_EQ(Shown(), "[C^]|m|7");
  // The anchor of "7" moves right up to the fragment before it and back.
  Keys({{VK_RIGHT, ssCtrl}, {VK_RIGHT, ssCtrl}});
  EXPECT_EQ(editor->CurrentFragment(), 2);
  Keys({{VK_RIGHT, ssShift}, {VK_RIGHT, ssShift}});
  EXPECT_EQ(editor->Fragments()[2].Anchor, 1);
  Keys({{VK_LEFT, ssShift}, {VK_LEFT, ssShift}, {VK_LEFT, ssShift}});
  EXPECT_EQ(editor->Fragments()[2].Anchor, 0);
  // Backspace at the start of "m" may not reach into the fixed "C".
  Keys({{VK_LEFT, ssCtrl}, {VK_HOME, 0}, {VK_BACK, 0}});
  EXPECT_EQ(Shown(), "[C^]|m|7");
  // A click puts the caret where it lands.
  editor->Fragments()[2].Anchor = 1;
  editor->LayoutFragments();
  const TRect r = editor->Fragments()[1].Rect;
  td::Click(*editor, r.Right - 1, (r.Top + r.Bottom) / 2);
  EXPECT_EQ(editor->CurrentFragment(), 1);
  EXPECT_EQ(editor->CaretPosition(), 0);
  td::Click(*editor, r.Right + 1, (r.Top + r.Bottom) / 2);
  EXPECT_EQ(editor->CurrentFragment(), 2);
}

}  // namespace
}  // namespace qs
