// The view's key table, driven by real key events: the editing commands on
// the selection, the clipboard keys, undo and redo, the page keys, the
// scrolling keys of the preview and the keys the view leaves alone.
#include <gtest/gtest.h>

#include <vector>

#include "editing/viewcommands.h"
#include "layout/layout.h"
#include "score/marks.h"
#include "platform/clipboard.h"
#include "platform/forms.h"
#include "platform/keys.h"
#include "platform/testdriver.h"
#include "view/notesclipboard.h"
#include "view_fixture.h"

namespace qs::test {
namespace {

namespace td = qs::testdriver;
using K = TQSWindow::TKeyCommand;

class ViewKeys : public TShownScoreTest {
 protected:
  void SetUp() override {
    Piece = AddPiece({1}, 8);
    for (int m = 0; m < 4; ++m) Quarters(Measure(m));
    Score.PageCount = 3;
    ShowScore(true);
  }
  int Notes(int m) const {
    int n = 0;
    for (const TQSItem* item : Measure(m)->Items) n += item->ItemType == kind::Note;
    return n;
  }
  void Place(int m, int tick) {
    View->ClearSelection();
    View->CursorPosition.Measure = m;
    View->CursorPosition.Tick = tick;
    View->ValidateCursor(false);
  }
  void Select(TQSNote* note) { View->AddElement(note->HeadElement); }
};

TEST_F(ViewKeys, ArrowsWithCtrlAltAndShiftRunTheCommandsOnTheSelection) {
  struct TCall {
    K Command;
    int Step;
    bool operator==(const TCall&) const = default;
  };
  std::vector<TCall> calls;
  View->OnKeyCommand = [&](TObject*, K c, int step) { calls.push_back({c, step}); };
  struct TRow {
    uint16_t Key;
    TShiftState Shift;
    K Command;
    int Step;
  } rows[] = {
      {VK_LEFT, ssCtrl | ssShift, K::MoveToNoteTime, -1},   {VK_RIGHT, ssCtrl | ssShift, K::MoveToNoteTime, 1},
      {VK_LEFT, ssCtrl, K::MoveHorizontal, -1},             {VK_RIGHT, ssCtrl, K::MoveHorizontal, 1},
      {VK_LEFT, ssCtrl | ssAlt, K::MoveHorizontal, -1},     {VK_LEFT, ssAlt | ssShift, K::EmptyKeyCommand, -1},
      {VK_LEFT, ssAlt, K::ChangeSize, -1},                  {VK_RIGHT, ssAlt, K::ChangeSize, 1},
      {VK_UP, ssCtrl | ssShift, K::MoveStaff, -1},          {VK_DOWN, ssCtrl | ssShift, K::MoveStaff, 1},
      {VK_UP, ssCtrl, K::MoveVertical, -1},                 {VK_DOWN, ssCtrl, K::MoveVertical, 1},
      {VK_UP, ssAlt, K::ChangeItemValue, -1},               {VK_DOWN, ssAlt, K::ChangeItemValue, 1},
      {VK_UP, ssShift, K::SetStemDirection, -1},            {VK_DOWN, ssShift, K::SetStemDirection, 1},
      {VK_ADD, 0, K::ChangeFret, 1},                        {VK_SUBTRACT, ssCtrl, K::ChangeFret, 0},
  };
  for (const TRow& row : rows) {
    calls.clear();
    td::PressKey(*View, row.Key, row.Shift);
    EXPECT_EQ(calls, (std::vector<TCall>{{row.Command, row.Step}}))
        << "key " << row.Key << " shift " << row.Shift;
  }
  // Ctrl+Alt+Up and Down step the cursor's pitch line instead.
  calls.clear();
  const int line = View->CursorLine();
  td::PressKey(*View, VK_UP, ssCtrl | ssAlt);
  EXPECT_EQ(View->CursorLine(), line + 1);
  td::PressKey(*View, VK_DOWN, ssCtrl | ssAlt);
  EXPECT_EQ(View->CursorLine(), line);
  EXPECT_TRUE(calls.empty());
}

TEST_F(ViewKeys, TheCommandsReachTheScoreAndUndoAndRedoTakeThemBackAndForth) {
  ConnectViewCommands(*View, Score);
  TQSNote* note = NoteAt(1, 128);
  const uint8_t pitch = note->Fields.Pitch;
  Select(note);
  td::PressKey(*View, VK_UP, ssCtrl);
  EXPECT_EQ(PitchLine(NoteAt(1, 128)->Fields.Pitch), PitchLine(pitch) + 1);
  td::PressKey(*View, 'Z', ssCtrl);
  EXPECT_EQ(NoteAt(1, 128)->Fields.Pitch, pitch);
  td::PressKey(*View, 'Z', ssCtrl | ssShift);
  EXPECT_EQ(PitchLine(NoteAt(1, 128)->Fields.Pitch), PitchLine(pitch) + 1);
}

// Each clipboard key, from a selected quarter note of measure 0 to the
// empty measure 5.
TEST_F(ViewKeys, TheClipboardKeysCopyCutAndPaste) {
  ConnectViewCommands(*View, Score);
  enum TEffect { Copies, Cuts, Pastes };
  struct TRow {
    uint16_t Key;
    TShiftState Shift;
    TEffect Effect;
  } rows[] = {
      {'C', ssCtrl, Copies}, {VK_INSERT, ssCtrl, Copies}, {'X', ssCtrl, Cuts},
      {VK_DELETE, ssCtrl, Cuts}, {'V', ssCtrl, Pastes}, {VK_INSERT, ssShift, Pastes},
  };
  for (const TRow& row : rows) {
    Clipboard().Clear();
    Place(0, 0);
    const int before0 = Notes(0), before5 = Notes(5);
    if (row.Effect == Pastes) {
      Select(NoteAt(1, 0));
      View->CopyToClipboard();
      Place(5, 0);
    } else {
      Select(NoteAt(0, 0));
    }
    td::PressKey(*View, row.Key, row.Shift);
    switch (row.Effect) {
      case Copies:
        EXPECT_TRUE(TQSNotesClipboard::HasNotes()) << row.Key;
        EXPECT_EQ(Notes(0), before0) << row.Key;
        break;
      case Cuts:
        EXPECT_TRUE(TQSNotesClipboard::HasNotes()) << row.Key;
        EXPECT_EQ(Notes(0), before0 - 1) << row.Key;
        td::PressKey(*View, 'Z', ssCtrl);
        break;
      case Pastes:
        EXPECT_EQ(Notes(5), before5 + 1) << row.Key;
        td::PressKey(*View, 'Z', ssCtrl);
        EXPECT_EQ(Notes(5), before5) << row.Key;
        break;
    }
  }
}

// While a text is edited the clipboard keys work on its text: a copy tells
// that the clipboard changed, and a paste replaces the selected text with
// at most 9999 characters.
TEST_F(ViewKeys, WhileATextIsEditedTheClipboardKeysWorkOnItsText) {
  auto* term = static_cast<TQSLyric*>(CreateItemByKind(kind::Term, Measure(0)));
  term->Lines = {"con brio"};
  Score.Recalculate(0);
  View->EditItemText(FindLayoutElement(Score, term, -1));
  ASSERT_NE(View->EditedElement, nullptr);
  // "brio" selected, the caret at its end.
  const int selection[6] = {0, 4, 0, 8, 0, 8};
  for (int i = 0; i < 6; ++i) View->EditSelection[static_cast<size_t>(i)] = selection[i];
  EXPECT_TRUE(View->CanCopy());
  int told = 0;
  View->OnPasteChanged = [&](TObject*) { ++told; };
  td::PressKey(*View, VK_INSERT, ssCtrl);
  EXPECT_EQ(Clipboard().AsUnicodeText(), u"brio");
  EXPECT_EQ(told, 1);
  EXPECT_TRUE(View->CanPaste());
  Clipboard().SetAsUnicodeText(std::u16string(10005, u'x'));
  td::PressKey(*View, 'V', ssCtrl);
  ASSERT_EQ(term->Lines.size(), 1u);
  EXPECT_EQ(term->Lines[0].substr(0, 5), "con x");
  EXPECT_EQ(term->Lines[0].size(), 4u + 9999u);
  EXPECT_FALSE(View->CanCopy());  // nothing selected now
  View->EditItemText(nullptr);
}

TEST_F(ViewKeys, ADamagedBlockOnTheClipboardIsRefusedWithAMessage) {
  std::string message;
  Application().OnException = [&](TObject*, const std::exception& e) { message = e.what(); };
  Clipboard().SetBuffer(NotesClipboardFormat(), {1, 0, 0, 0});
  Place(5, 0);
  const int before = Notes(5);
  td::PressKey(*View, 'V', ssCtrl);
  Application().OnException = nullptr;
  EXPECT_FALSE(message.empty());
  EXPECT_EQ(Notes(5), before);
  EXPECT_EQ(Score.UndoCount(), 0);
}

TEST_F(ViewKeys, LettersWithoutCtrlDoNothingAndOtherKeysReachTheControl) {
  std::vector<uint16_t> reached;
  View->OnKeyDown = [&](TObject*, uint16_t& key, TShiftState) { reached.push_back(key); };
  ConnectViewCommands(*View, Score);
  Select(NoteAt(0, 0));
  for (uint16_t key : {'C', 'V', 'X', 'Z'}) td::PressKey(*View, key);
  EXPECT_TRUE(reached.empty());
  EXPECT_EQ(Notes(0), 4);
  td::PressKey(*View, 'A');
  EXPECT_EQ(reached, std::vector<uint16_t>{'A'});
}

TEST_F(ViewKeys, PageKeysTurnThePages) {
  ASSERT_EQ(View->Geometry().PageCount, 3);
  struct TRow {
    uint16_t Key;
    TShiftState Shift;
    int Page;
  } rows[] = {
      {VK_NEXT, 0, 1}, {VK_NEXT, 0, 2}, {VK_PRIOR, ssCtrl, 0}, {VK_NEXT, ssCtrl, 2}, {VK_PRIOR, 0, 1},
  };
  for (const TRow& row : rows) {
    td::PressKey(*View, row.Key, row.Shift);
    EXPECT_EQ(View->CursorPosition.Page, row.Page) << row.Key << " " << row.Shift;
  }
}

TEST_F(ViewKeys, ThePreviewScrollsWithTheKeys) {
  View->Style = wsPreview;
  View->SetZoom(300);
  ASSERT_GT(View->Geometry().HorzBar.Range(), 20);
  ASSERT_GT(View->Geometry().VertBar.Range(), 20);
  View->ScrollBoth(15, 15);
  struct TRow {
    uint16_t Key;
    int H, V;
  } rows[] = {
      {VK_RIGHT, 25, 15}, {VK_LEFT, 15, 15}, {VK_DOWN, 15, 25}, {VK_UP, 15, 15},
      {VK_END, View->Geometry().HorzBar.Range(), View->Geometry().VertBar.Range()}, {VK_HOME, 0, 0},
  };
  const int measure = View->CursorPosition.Measure, tick = View->CursorPosition.Tick;
  for (const TRow& row : rows) {
    td::PressKey(*View, row.Key);
    EXPECT_EQ(View->Geometry().HorzBar.Position, row.H) << row.Key;
    EXPECT_EQ(View->Geometry().VertBar.Position, row.V) << row.Key;
  }
  EXPECT_EQ(View->CursorPosition.Measure, measure);
  EXPECT_EQ(View->CursorPosition.Tick, tick);
}

TEST_F(ViewKeys, TheWheelWithShiftStepsThePitchLineAndWithAButtonHeldDoesNothing) {
  const int line = View->CursorLine();
  td::Wheel(*View, 300, 300, WHEEL_DELTA, ssShift);
  EXPECT_EQ(View->CursorLine(), line + 1);
  td::Wheel(*View, 300, 300, -WHEEL_DELTA, ssShift);
  EXPECT_EQ(View->CursorLine(), line);
  EXPECT_EQ(View->Zoom, 100);
  EXPECT_EQ(View->Geometry().VertBar.Position, 0);
  // With a mouse button held the view leaves the wheel alone.
  td::MouseDown(*View, 700, 650);
  td::Wheel(*View, 700, 650, -WHEEL_DELTA);
  td::MouseUp(*View, 700, 650);
  EXPECT_EQ(View->Geometry().VertBar.Position, 0);
  td::Wheel(*View, 700, 650, -WHEEL_DELTA);
  EXPECT_GT(View->Geometry().VertBar.Position, 0);
}

}  // namespace
}  // namespace qs::test
