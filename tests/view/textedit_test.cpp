// Editing lyrics and texts on the page with real key events.
#include <gtest/gtest.h>

#include <algorithm>

#include "base/text.h"
#include "editing/pageobjects.h"
#include "layout/layout.h"
#include "score/pageobjects.h"
#include "platform/clipboard.h"
#include "platform/keys.h"
#include "platform/testdriver.h"
#include "score/marks.h"
#include "score/measure.h"
#include "score/part.h"
#include "score/piece.h"
#include "score/tree.h"
#include "score/undo.h"
#include "view_fixture.h"

namespace qs::test {
namespace {

namespace td = qs::testdriver;

// Four measures of quarter notes shown on a form with the focus.
class TextEditing : public TShownScoreTest {
 protected:
  void SetUp() override {
    Piece = AddPiece({1}, 4);
    for (int m = 0; m < 4; ++m) Quarters(Measure(m));
    ShowScore(true);
  }

  // A staff text of the kind in measure 0 at tick 0, laid out and edited
  // with the caret at the end of its last line.
  TQSLyric* Edit(TQSItemType k, std::vector<std::string> lines) {
    auto* text = static_cast<TQSLyric*>(CreateItemByKind(k, Measure(0)));
    text->Lines = std::move(lines);
    Score.Recalculate(0);
    View->EditItemText(FindLayoutElement(Score, text, -1));
    EXPECT_EQ(View->EditedElement ? View->EditedElement->Item : nullptr, text);
    View->EditSelection = {};
    if (!text->Lines.empty()) {
      View->EditSelection[4] = static_cast<int>(text->Lines.size()) - 1;
      View->EditSelection[5] = static_cast<int>(Utf8ToUtf16(text->Lines.back()).size());
    }
    // The selection collapsed at the caret.
    View->EditSelection[0] = View->EditSelection[2] = View->EditSelection[4];
    View->EditSelection[1] = View->EditSelection[3] = View->EditSelection[5];
    return text;
  }
  std::vector<TQSLyric*> Lyrics(int m) const {
    std::vector<TQSLyric*> out;
    for (TQSItem* item : Measure(m)->Items)
      if (item->ItemType == kind::Lyric) out.push_back(static_cast<TQSLyric*>(item));
    std::stable_sort(out.begin(), out.end(), [](auto* a, auto* b) { return a->Fields.Time < b->Fields.Time; });
    return out;
  }
  static std::string Joined(const std::vector<std::string>& lines) {
    std::string out;
    for (const std::string& l : lines) out += (out.empty() ? "" : "|") + l;
    return out;
  }
  void Press(uint16_t vk, TShiftState shift = 0, int times = 1) {
    for (int i = 0; i < times; ++i) td::PressKey(*View, vk, shift);
  }
};

TEST_F(TextEditing, ALyricLineTypedWithHyphensAndSpacesFillsOneNoteEach) {
  TQSLyric* first = Edit(kind::Lyric, {""});
  first->Fields.Verse = 2;
  first->Fields.FontSize = 11;
  td::TypeText(*View, "Hal-le-lu-jah Gló");
  const std::vector<TQSLyric*> syllables = Lyrics(0);
  ASSERT_EQ(syllables.size(), 4u);
  const char* texts[] = {"Hal", "le", "lu", "jah"};
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(Joined(syllables[i]->Lines), texts[i]);
    EXPECT_EQ(syllables[i]->Fields.Time, 128 * i);
    EXPECT_EQ(syllables[i]->Fields.Flags & TQSLyric::kHyphen, i == 0 ? 0 : 1);
    EXPECT_EQ(syllables[i]->Fields.Verse, 2);
    EXPECT_EQ(syllables[i]->Fields.FontSize, 11);
  }
  // The space moved on to the next measure's first note, without hyphen.
  ASSERT_EQ(Lyrics(1).size(), 1u);
  TQSLyric* next = Lyrics(1)[0];
  EXPECT_EQ(Joined(next->Lines), "Gló");
  EXPECT_EQ(next->Fields.Flags & TQSLyric::kHyphen, 0);
  ASSERT_NE(View->EditedElement, nullptr);
  EXPECT_EQ(View->EditedElement->Item, next);
}

TEST_F(TextEditing, ASyllableLeftEmptyGoesWhenEditingMovesOn) {
  Edit(kind::Lyric, {"la"});
  td::TypeText(*View, " ");
  ASSERT_EQ(Lyrics(0).size(), 2u);
  const int undo = Score.UndoCount();
  Press(VK_ESCAPE);
  EXPECT_EQ(View->EditedElement, nullptr);
  EXPECT_EQ(Lyrics(0).size(), 1u);
  ASSERT_EQ(Score.UndoCount(), undo + 1);
  EXPECT_EQ(Score.GetUndoRecord(undo)->Action, undoaction::TextEditDelete);
}

TEST_F(TextEditing, BackspaceAtASyllablesStartGoesBackToThePreviousOne) {
  Edit(kind::Lyric, {"Ky"});
  td::TypeText(*View, "-");
  Press(VK_BACK);
  ASSERT_EQ(Lyrics(0).size(), 1u);
  ASSERT_NE(View->EditedElement, nullptr);
  EXPECT_EQ(View->EditedElement->Item, Lyrics(0)[0]);
  td::TypeText(*View, "rie");
  EXPECT_EQ(Joined(Lyrics(0)[0]->Lines), "Kyrie");
}

TEST_F(TextEditing, CyrillicAndAccentedTextIsEditedByCharacters) {
  TQSLyric* term = Edit(kind::Term, {"Allegro"});
  Press(VK_HOME);
  td::TypeText(*View, "Più ");
  Press(VK_END);
  td::TypeText(*View, " – Весело");
  Press(VK_BACK, 0, 2);
  td::TypeText(*View, "ё");
  Press(VK_RETURN);
  td::TypeText(*View, "Größer");
  EXPECT_EQ(Joined(term->Lines), "Più Allegro – Весеё|Größer");
  // Word moves: back to the start of "Größer", then into the line above.
  Press(VK_LEFT, ssCtrl);
  EXPECT_EQ(View->TextEditor().TextCaretColumn(), 0);
  Press(VK_LEFT, ssCtrl);
  EXPECT_EQ(View->TextEditor().TextCaretLine(), 0);
  EXPECT_EQ(View->TextEditor().TextCaretColumn(), 14);  // before "Весеё"
}

TEST_F(TextEditing, CaretKeysMoveByCharactersWordsAndLines) {
  Edit(kind::Term, {"abc def", "gh ij"});
  View->EditSelection = {};
  struct TStep {
    uint16_t Key;
    TShiftState Shift;
    int Line, Column;
    const char16_t* Selected;
  } const steps[] = {
      {VK_RIGHT, ssCtrl, 0, 4, u""},     {VK_RIGHT, ssCtrl, 1, 3, u""},  {VK_LEFT, ssCtrl, 1, 0, u""},
      {VK_RIGHT, ssShift, 1, 1, u"g"},   {VK_RIGHT, ssShift, 1, 2, u"gh"}, {VK_LEFT, ssShift, 1, 1, u"g"},
      {VK_UP, 0, 0, 1, u""},             {VK_END, ssCtrl, 0, 7, u""},    {VK_HOME, ssShift, 0, 0, u"abc def"},
      {VK_DOWN, 0, 1, 0, u""},           {VK_END, 0, 1, 5, u""},         {VK_RIGHT, 0, 1, 5, u""},
  };
  for (const TStep& step : steps) {
    SCOPED_TRACE(std::to_string(step.Key) + "/" + std::to_string(step.Shift));
    Press(step.Key, step.Shift);
    EXPECT_EQ(View->TextEditor().TextCaretLine(), step.Line);
    EXPECT_EQ(View->TextEditor().TextCaretColumn(), step.Column);
    EXPECT_EQ(View->TextEditor().GetSelectedText(), step.Selected);
  }
}

TEST_F(TextEditing, TextComposedByAnInputMethodIsTyped) {
  TQSLyric* term = Edit(kind::Term, {"a"});
  td::ComposeText(*View, "é́Ж");
  EXPECT_EQ(Joined(term->Lines), "aé́Ж");
}

TEST_F(TextEditing, ARunOfTypingIsUndoneInOneStep) {
  TQSLyric* term = Edit(kind::Term, {"dolce"});
  const int undo = Score.UndoCount();
  td::TypeText(*View, " e cantabile");
  Press(VK_BACK);
  ASSERT_EQ(Score.UndoCount(), undo + 1);
  EXPECT_EQ(Score.GetUndoRecord(undo)->Action, undoaction::TextEdit);
  EXPECT_EQ(Score.GetUndoRecord(undo)->Caption, " ");
  Press('Z', ssCtrl);
  term = static_cast<TQSLyric*>(Measure(0)->GetItem(Measure(0)->ItemCount() - 1));
  for (TQSItem* item : Measure(0)->Items)
    if (item->ItemType == kind::Term) term = static_cast<TQSLyric*>(item);
  EXPECT_EQ(Joined(term->Lines), "dolce");
  EXPECT_EQ(Score.UndoCount(), undo);
  // The text is edited again, with the caret where the run began.
  ASSERT_NE(View->EditedElement, nullptr);
  EXPECT_EQ(View->EditedElement->Item, term);
  EXPECT_EQ(View->TextEditor().TextCaretColumn(), 5);
  td::TypeText(*View, "!");
  EXPECT_EQ(Joined(term->Lines), "dolce!");
}

TEST_F(TextEditing, ACaretKeyBetweenEditsStartsANewStep) {
  Edit(kind::Term, {"p"});
  const int undo = Score.UndoCount();
  td::TypeText(*View, "p");
  Press(VK_LEFT);
  td::TypeText(*View, "p");
  EXPECT_EQ(Score.UndoCount(), undo + 2);
}

TEST_F(TextEditing, SelectedTextGoesThroughTheClipboard) {
  TQSLyric* term = Edit(kind::Term, {"con brio"});
  Press(VK_LEFT, ssShift, 4);
  Press('C', ssCtrl);
  EXPECT_EQ(Clipboard().AsUnicodeText(), u"brio");
  Press('X', ssCtrl);
  EXPECT_EQ(Joined(term->Lines), "con ");
  Press(VK_HOME);
  Press('V', ssCtrl);
  EXPECT_EQ(Joined(term->Lines), "briocon ");
}

TEST_F(TextEditing, PastedLinesSplitAtCarriageReturns) {
  TQSLyric* term = Edit(kind::Term, {"ab"});
  View->EditSelection[5] = 1;
  View->TextEditor().InsertTextAtCaret(u"x\r\n\r\ny");
  EXPECT_EQ(Joined(term->Lines), "ax|yb");
  View->EditSelection = {0, 0, 0, 0, 0, 0};
  View->TextEditor().InsertTextAtCaret(u"l\nf");
  EXPECT_EQ(Joined(term->Lines), "l\nfax|yb");
}

TEST_F(TextEditing, AMultiLineSelectionIsCopiedAndDeletedAcrossLines) {
  TQSLyric* term = Edit(kind::Term, {"abcd", "efg", "hij"});
  View->EditSelection = {0, 2, 2, 1, 0, 0};
  EXPECT_EQ(View->TextEditor().GetSelectedText(), u"cd\r\nefg\r\nh");
  // A selection from a line's end keeps its line break.
  View->EditSelection = {0, 4, 1, 2, 0, 0};
  EXPECT_EQ(View->TextEditor().GetSelectedText(), u"\r\nef");
  View->EditSelection = {0, 2, 2, 1, 0, 0};
  EXPECT_TRUE(View->TextEditor().DeleteTextSelection());
  EXPECT_EQ(Joined(term->Lines), "abij");
  EXPECT_EQ(View->TextEditor().TextCaretColumn(), 2);
}

TEST_F(TextEditing, ADoubleClickEditsATextAndADragSelectsInIt) {
  auto* term = static_cast<TQSLyric*>(CreateItemByKind(kind::Term, Measure(0)));
  term->Lines = {"Andante"};
  term->Fields.FontSize = 16;
  Score.Recalculate(0);
  td::ProcessMessages();
  TQSCalcItem* element = FindLayoutElement(Score, term, -1);
  ASSERT_NE(element, nullptr);
  const TRect box = View->Geometry().ElementClientBox(*element, true);
  const int y = (box.Top + box.Bottom) / 2;
  td::DoubleClick(*View, box.Left + 1, y);
  ASSERT_NE(View->EditedElement, nullptr);
  EXPECT_EQ(View->EditedElement->Item, term);
  EXPECT_EQ(View->TextEditor().TextCaretColumn(), 0);
  const TRect edited = View->Geometry().ElementClientBox(*View->EditedElement, true);
  td::MouseDown(*View, edited.Left + 1, y);
  td::MouseMove(*View, (edited.Left + edited.Right) / 2, y);
  td::MouseMove(*View, edited.Right - 1, y);
  td::MouseUp(*View, edited.Right - 1, y);
  EXPECT_EQ(View->TextEditor().GetSelectedText(), u"Andante");
  EXPECT_EQ(View->EditedElement ? View->EditedElement->Item : nullptr, term);
}

TEST_F(TextEditing, ANewFreeTextTakesTypingAtOnce) {
  TQSText* text = InsertText(Score, 400, 300, {"Coda"}, "", 12, 0, 0);
  ASSERT_NE(text, nullptr);
  ASSERT_NE(View->EditedElement, nullptr);
  td::TypeText(*View, " – fin");
  Press(VK_RETURN);
  td::TypeText(*View, "Ж");
  EXPECT_EQ(Joined(text->Lines), "Coda – fin|Ж");
  const int undo = Score.UndoCount();
  Press('Z', ssCtrl);
  ASSERT_EQ(Score.ItemCount(), 1);
  EXPECT_EQ(Joined(static_cast<TQSText*>(Score.GetItem(0))->Lines), "Coda");
  EXPECT_EQ(Score.UndoCount(), undo - 1);
}

// Each key from a caret and selection: what the lines and the caret
// become.
TEST_F(TextEditing, EditingKeysFromACaretAndASelection) {
  struct TCase {
    const char* Name;
    std::vector<std::string> Lines;
    std::array<int32_t, 6> Selection;  // start line, column, end line, column, caret line, column
    uint16_t Key;                      // 0: type Typed
    const char* Typed;
    const char* Expected;
    int Line, Column;
    const char16_t* Selected;
  } const cases[] = {
      {"typed over a selection", {"abcd"}, {0, 1, 0, 3, 0, 3}, 0, "x", "abcxd", 0, 4, u"bc"},
      {"Enter with a selection", {"abcd"}, {0, 1, 0, 3, 0, 3}, VK_RETURN, "", "a|d", 1, 0, u""},
      {"Delete inside a line", {"abc"}, {0, 1, 0, 1, 0, 1}, VK_DELETE, "", "ac", 0, 1, u""},
      {"Delete at a line's end", {"ab", "cd"}, {0, 2, 0, 2, 0, 2}, VK_DELETE, "", "abcd", 0, 2, u""},
      {"Delete at the last line's end", {"ab", "cd"}, {1, 2, 1, 2, 1, 2}, VK_DELETE, "", "ab|cd", 1, 2, u""},
      {"Backspace at a line's start", {"ab", "cd"}, {1, 0, 1, 0, 1, 0}, VK_BACK, "", "abcd", 0, 2, u""},
      {"Backspace with a selection", {"ab", "cd"}, {0, 1, 1, 1, 1, 1}, VK_BACK, "", "ad", 0, 1, u""},
      {"Shift+Home at column 0", {"ab"}, {0, 0, 0, 0, 0, 0}, VK_HOME, "", "ab", 0, 0, u""},
      {"End at the line's end", {"ab"}, {0, 0, 0, 2, 0, 2}, VK_END, "", "ab", 0, 2, u"ab"},
      {"a caret past the text", {"ab"}, {0, 0, 0, 0, 3, 9}, 0, "c", "abc", 0, 3, u""},
      // A character beyond the basic plane is two UTF-16 units, handled as one.
      {"Delete before a pair", {"a\U0001D11Eb"}, {0, 1, 0, 1, 0, 1}, VK_DELETE, "", "ab", 0, 1, u""},
      {"Backspace after a pair", {"a\U0001D11Eb"}, {0, 3, 0, 3, 0, 3}, VK_BACK, "", "ab", 0, 1, u""},
      {"Left over a pair", {"a\U0001D11Eb"}, {0, 3, 0, 3, 0, 3}, VK_LEFT, "", "a\U0001D11Eb", 0, 1, u""},
      {"Right over a pair", {"a\U0001D11Eb"}, {0, 1, 0, 1, 0, 1}, VK_RIGHT, "", "a\U0001D11Eb", 0, 3, u""},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TQSLyric* term = Edit(kind::Term, c.Lines);
    View->EditSelection = c.Selection;
    if (c.Key) Press(c.Key, c.Key == VK_HOME ? ssShift : 0);
    else td::TypeText(*View, c.Typed);
    EXPECT_EQ(Joined(term->Lines), c.Expected);
    EXPECT_EQ(View->TextEditor().TextCaretLine(), c.Line);
    EXPECT_EQ(View->TextEditor().TextCaretColumn(), c.Column);
    EXPECT_EQ(View->TextEditor().GetSelectedText(), c.Selected);
  }
}

// Esc ends editing; a syllable or an instrument name left empty goes as
// one undo step, an empty inscription or free text stays.
TEST_F(TextEditing, EscDeletesAnEmptySyllableOrInstrumentNameOnly) {
  struct TCase {
    TQSItemType Kind;
    bool Deleted;
  } const cases[] = {
      {kind::Lyric, true}, {kind::InstrumentName, true}, {kind::Term, false}, {kind::Text, false}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Kind);
    TQSItem* item = nullptr;
    if (c.Kind == kind::Text) {
      item = InsertText(Score, 400, 300, {""}, "", 12, 0, 0);
    } else {
      item = Edit(c.Kind, {""});
    }
    ASSERT_NE(View->EditedElement, nullptr);
    ASSERT_EQ(View->EditedElement->Item, item);
    const int undo = Score.UndoCount();
    const int items = Measure(0)->ItemCount() + Score.ItemCount();
    Press(VK_ESCAPE);
    EXPECT_EQ(View->EditedElement, nullptr);
    EXPECT_EQ(Measure(0)->ItemCount() + Score.ItemCount(), items - (c.Deleted ? 1 : 0));
    EXPECT_EQ(Score.UndoCount(), undo + (c.Deleted ? 1 : 0));
  }
}

// The caret is drawn where the caret column stands and moves with it.
TEST(TextCaret, FollowsTheCaretColumn) {
  TViewScore s({1}, 2);
  auto* term = static_cast<TQSLyric*>(CreateItemByKind(kind::Term, s.Measure(0)));
  term->Lines = {"Adagio molto"};
  term->Fields.FontSize = 14;
  s.Show();
  s.View.EditItemText(FindLayoutElement(s.Score, term, -1));
  auto paint = [&] {
    s.View.PaintTo(s.Host.Bitmap.Canvas());
    std::vector<uint32_t> out;
    for (int y = 0; y < s.Host.Bitmap.Height(); ++y)
      for (int x = 0; x < s.Host.Bitmap.Width(); ++x) out.push_back(s.Host.Bitmap.Pixel(x, y));
    return out;
  };
  auto differences = [](const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
    int n = 0;
    for (size_t i = 0; i < a.size(); ++i) n += a[i] != b[i];
    return n;
  };
  const std::vector<uint32_t> atStart = paint();
  s.View.TextEditor().TextEnd(false);
  const std::vector<uint32_t> atEnd = paint();
  EXPECT_GT(differences(atStart, atEnd), 4);
  s.View.TextEditor().TextHome(false);
  EXPECT_EQ(differences(atStart, paint()), 0);
}

}  // namespace
}  // namespace qs::test
