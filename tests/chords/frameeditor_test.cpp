// The chord-frame editor: the automatic fingers, what a point of the
// control hits in both drawn orientations, and real clicks that set,
// mute and open strings, toggle barres and move the shown frets.
#include <gtest/gtest.h>

#include <vector>

#include "chords/frameeditor.h"
#include "platform/forms.h"
#include "platform/testdriver.h"

namespace qs {
namespace {

namespace td = testdriver;
using THit = TECFrameEditor::THit;

std::vector<TQSFrameString> WithFrets(const std::vector<int>& frets) {
  std::vector<TQSFrameString> strings;
  for (int f : frets) strings.push_back({40, static_cast<uint8_t>(f == 255 ? 255 : 9), static_cast<uint8_t>(f)});
  return strings;
}

TEST(FrameFingers, RankOfTheFretWhileFourFingersReach) {
  struct Case {
    std::vector<int> frets;
    std::vector<int> fingers;  // 9: left as it was (open or muted strings)
  };
  const Case cases[] = {
      {{3, 3, 5}, {1, 1, 2}},
      {{1, 2, 3, 4, 5}, {0, 0, 0, 0, 0}},         // five frets: the user fingers them
      {{1, 2, 3, 4}, {1, 2, 3, 4}},
      {{5, 0, 2, 255, 5, 7}, {2, 9, 1, 255, 2, 3}},  // open and muted strings keep theirs
      {{0, 0, 0}, {9, 9, 9}},
      {{4, 2, 4, 2, 2, 9}, {2, 1, 2, 1, 1, 3}},    // equal frets keep their string order
  };
  for (const Case& c : cases) {
    std::vector<TQSFrameString> strings = WithFrets(c.frets);
    const std::vector<int> changed = AssignFingers(strings);
    std::vector<int> fingers, expectChanged;
    for (size_t i = 0; i < strings.size(); ++i) {
      fingers.push_back(strings[i].Finger);
      if (c.fingers[i] != 9 && c.fingers[i] != 255) expectChanged.push_back(static_cast<int>(i));
    }
    EXPECT_EQ(fingers, c.fingers) << ::testing::PrintToString(c.frets);
    EXPECT_EQ(changed, expectChanged) << ::testing::PrintToString(c.frets);
  }
}

class FrameEditorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form = new TForm(nullptr);
    form->SetBounds(50, 50, 260, 260);
    editor = new TECFrameEditor(form);
    editor->SetParent(form);
    // Six strings and four shown frets in 200 x 200: upright the grid is
    // 100 x 80 at (50, 60); turned 80 x 100 at (60, 50).
    editor->SetBounds(0, 0, 200, 200);
    editor->SetUsedFretCount(4);
    editor->SetFretCount(12);
    editor->OnChanged = [this](TObject*) { ++changes; };
  }
  void TearDown() override {
    delete form;
    td::ProcessMessages();
  }
  TForm* form = nullptr;
  TECFrameEditor* editor = nullptr;
  int changes = 0;
};

TEST_F(FrameEditorTest, HitsInBothOrientations) {
  struct Case {
    int x, y;  // upright; the turned case exchanges the axes about the grid
    THit hit;
  };
  const Case cases[] = {
      {75, 95, {THit::Cell, 1, 2}},
      {150, 61, {THit::Cell, 5, 1}},
      {49, 139, {THit::Cell, 0, 4}},
      {60, 50, {THit::AboveNut, 1, 0}},
      {59, 50, {THit::AboveNut, 0, 0}},
      {90, 150, {THit::Finger, 2, 0}},
      {170, 70, {THit::Barre, 0, 0}},
      {170, 139, {THit::Barre, 0, 3}},
      {170, 140, {}},  // the bottom edge of the grid is no barre row
      {170, 20, {}},
      {28, 75, {THit::StartUp, 0, 0}},
      {28, 120, {THit::StartDown, 0, 0}},
      {28, 100, {}},  // beside the number, between the buttons
  };
  for (const Case& c : cases) {
    EXPECT_EQ(editor->HitTest(c.x, c.y), c.hit) << "upright " << c.x << "," << c.y;
    EXPECT_EQ(editor->GridRect(), (TRect{50, 60, 150, 140}));
  }
  editor->SetOrientation(foLeft);
  EXPECT_EQ(editor->GridRect(), (TRect{60, 50, 140, 150}));
  for (const Case& c : cases) {
    // Upright (u, v) about (50, 60) is (60 + v, 50 + u) turned.
    const int x = 60 + (c.y - 60), y = 50 + (c.x - 50);
    EXPECT_EQ(editor->HitTest(x, y), c.hit) << "turned " << x << "," << y;
  }
  for (TECFrameOrientation o : {foTop, foLeft}) {
    editor->SetOrientation(o);
    for (int s : {0, 3, 5})
      for (int f : {1, 4}) {
        const TPoint p = editor->GetCellPoint(s, f);
        EXPECT_EQ(editor->HitTest(p.X, p.Y), (THit{THit::Cell, s, f})) << int(o) << " " << s << " " << f;
      }
    const TRect box = editor->GetFingerBoxRect(4);
    EXPECT_EQ(editor->HitTest((box.Left + box.Right) / 2, (box.Top + box.Bottom) / 2), (THit{THit::Finger, 4, 0}));
  }
  for (TECFrameOrientation o : {foBottom, foRight}) {
    editor->SetOrientation(o);
    EXPECT_EQ(editor->HitTest(75, 95), THit{});
  }
}

TEST_F(FrameEditorTest, ClicksSetMuteAndOpenStrings) {
  td::ShowAndWait(*form);
  for (TECFrameOrientation o : {foTop, foLeft}) {
    editor->SetOrientation(o);
    editor->SetString(2, {55, 0, 0});
    changes = 0;
    const TPoint cell = editor->GetCellPoint(2, 3), above = editor->GetCellPoint(2, 0);
    td::Click(*editor, cell.X, cell.Y);
    EXPECT_EQ(*editor->GetString(2), (TQSFrameString{55, 1, 3}));
    td::Click(*editor, cell.X, cell.Y);  // the same cell again mutes
    EXPECT_EQ(*editor->GetString(2), (TQSFrameString{55, 255, 255}));
    td::Click(*editor, above.X, above.Y);  // above the grid opens it
    EXPECT_EQ(*editor->GetString(2), (TQSFrameString{55, 0, 0}));
    td::Click(*editor, above.X, above.Y);  // and mutes an open string
    EXPECT_EQ(*editor->GetString(2), (TQSFrameString{55, 255, 255}));
    EXPECT_EQ(changes, 4) << int(o);
  }
  // The drawn-away orientations take no clicks.
  editor->SetOrientation(foBottom);
  changes = 0;
  td::Click(*editor, 75, 95);
  EXPECT_EQ(changes, 0);
}

TEST_F(FrameEditorTest, BarresFingerBoxesAndStartFretButtons) {
  td::ShowAndWait(*form);
  int asked = -1;
  editor->OnGetFinger = [&](TObject*, int string) { asked = string; };
  editor->SetString(4, {40, 2, 1});
  const TRect barre = editor->BarreBoxRect(1);
  td::Click(*editor, barre.Left + 4, barre.Top + 4);
  EXPECT_EQ(editor->GetBarre(1), 1);
  td::Click(*editor, barre.Left + 4, barre.Top + 4);
  EXPECT_EQ(editor->GetBarre(1), 0);
  const TRect box = editor->GetFingerBoxRect(4);
  td::Click(*editor, box.Left + 3, box.Top + 3);
  EXPECT_EQ(asked, 4);
  editor->SetFinger(4, kThumb);
  EXPECT_EQ(editor->GetString(4)->Finger, kThumb);
  // The start fret stays from 0 up to two below the neck's fret count.
  const TRect up = editor->StartButtonRect(true), down = editor->StartButtonRect(false);
  td::Click(*editor, up.Left + 4, up.Top + 4);
  EXPECT_EQ(editor->StartFret(), 0);
  for (int i = 0; i < 15; ++i) td::Click(*editor, down.Left + 4, down.Top + 4);
  EXPECT_EQ(editor->StartFret(), 10);
  td::Click(*editor, up.Left + 4, up.Top + 4);
  EXPECT_EQ(editor->StartFret(), 9);
  EXPECT_EQ(editor->PressedElement(), 0);
  // Setters ignore what lies outside.
  editor->SetBarre(4, 1);
  editor->SetString(6, {1, 1, 1});
  EXPECT_EQ(editor->GetBarre(4), 0);
  EXPECT_EQ(editor->GetString(6), nullptr);
}

}  // namespace
}  // namespace qs
