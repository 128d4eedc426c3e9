// The on-screen music keyboard through real mouse and key events: which
// key a point hits (white and black, with the keyboard scrolled by
// octaves), the value strip and its scrolling, the letters typed, the keys
// lit from outside, and sizes too small to hold a key.
#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "platform/forms.h"
#include "platform/keys.h"
#include "platform/testdriver.h"
#include "uikit/musickeyboard.h"

namespace qs {
namespace {

namespace td = testdriver;
using H = TECMusicKeyboard::THitKind;

class MusicKeyboardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form = new TForm(nullptr);
    form->SetBounds(40, 40, 760, 160);
    keys = new TECMusicKeyboard(form);
    keys->SetParent(form);
    keys->SetBounds(0, 0, 730, 100);
    keys->OnKeyClick = [this](TObject*, int octave, int note, int tone) { clicks.emplace_back(octave, note, tone); };
    td::ShowAndWait(*form);
  }
  void TearDown() override { delete form; }
  // The lower half of a white key, and the top of the boundary after it.
  int WhiteX(int k) const { return keys->KeyOrigin() + k * keys->KeyWidth() + keys->KeyWidth() / 2; }
  int BoundaryX(int k) const { return keys->KeyOrigin() + (k + 1) * keys->KeyWidth(); }
  TForm* form = nullptr;
  TECMusicKeyboard* keys = nullptr;
  std::vector<std::tuple<int, int, int>> clicks;
};

// Clicks on white keys, black keys and the edges between keys without a
// black key, with the keyboard at its first octave and scrolled by two.
TEST_F(MusicKeyboardTest, ClicksReportTheKeyUnderTheMouse) {
  struct TCase {
    const char* what;
    int offset;  // OffsetOctave
    int key;     // white key index
    bool boundary;
    std::tuple<int, int, int> want;
  };
  const TCase cases[] = {
      {"A0, the first key", 0, 0, false, {1, 6, 0}},
      {"the black key after A0: B flat 0", 0, 0, true, {1, 7, -1}},
      {"middle C", 2, 23, false, {5, 1, 0}},
      {"between D4 and E4: E flat", 2, 24, true, {5, 3, -1}},
      {"between F4 and G4: F sharp", 2, 26, true, {5, 4, 1}},
      {"between E4 and F4: no black key, E", 2, 25, true, {5, 3, 0}},
      {"between B4 and C5: no black key, B", 2, 29, true, {5, 7, 0}},
      {"C8, the last key", 4, 51, false, {9, 1, 0}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.what);
    keys->SetOffsetOctave(c.offset);
    clicks.clear();
    // Boundaries are hit near the top; a key's middle low down.
    const int x = c.boundary ? BoundaryX(c.key) - 1 : WhiteX(c.key);
    const int y = c.boundary ? 10 : keys->Height() - 10;
    td::Click(*keys, x, y);
    ASSERT_EQ(clicks.size(), 1u);
    EXPECT_EQ(clicks[0], c.want);
    EXPECT_EQ(keys->KeyState(c.key, c.boundary), TECMusicKeyboard::ksNormal) << "released";
  }
}

// The octave buttons scroll on release; the keys scrolled out of the
// window are out of reach, and scrolling stops at both ends.
TEST_F(MusicKeyboardTest, OctaveButtonsScrollTheKeys) {
  keys->SetOffsetOctave(0);
  const int left = keys->HitTest(WhiteX(0), 80).Index;
  EXPECT_EQ(left, 0);
  int changes = 0;
  keys->OnOffsetChanged = [&](TObject*) { ++changes; };
  td::Click(*keys, 5, 50);  // the left button at the start: nothing
  EXPECT_EQ(keys->OffsetOctave(), 0);
  const int right = keys->KeyAreaEnd() - 8;
  EXPECT_EQ(keys->HitTest(right, 50).Kind, H::OctaveRight);
  td::Click(*keys, right, 50);
  td::Click(*keys, right, 50);
  EXPECT_EQ(keys->OffsetOctave(), 2);
  EXPECT_EQ(changes, 2);
  // The first key shown is now C2 (white key 9), right of the left button.
  EXPECT_EQ(keys->HitTest(17, 80).Index, 9);
  for (int i = 0; i < 5; ++i) td::Click(*keys, right, 50);
  EXPECT_EQ(keys->OffsetOctave(), keys->MaxOffsetOttave());
  // Writing the octave scrolls to show it.
  keys->SetOffsetOctave(2);
  keys->SetOctave(9);
  EXPECT_EQ(keys->OffsetOctave(), 4);
}

// The value strip: a click on a row chooses its value; with MouseTrack the
// height on a key does, lower meaning longer; the arrows scroll the rows.
TEST_F(MusicKeyboardTest, TheValueStripAndTheMouseHeight) {
  keys->SetMaxDuration(7);
  keys->SetDurationPosition(6);
  EXPECT_EQ(keys->OffsetDuration(), 3) << "the strip shows rows 3 .. 6";
  keys->SetMaxDuration(8);
  keys->SetMaxDuration(1);
  EXPECT_EQ(keys->MaxDuration(), 7) << "refused";
  const int stripX = keys->KeyAreaEnd() + 5;
  const int rh = keys->RowHeight();
  td::Click(*keys, stripX, keys->RowCount() * rh - rh / 2);  // the bottom row
  EXPECT_EQ(keys->DurationPosition(), 3);
  td::Click(*keys, stripX + keys->SettingWidth() / 2 + 2, keys->RowCount() * rh + 3);  // right arrow: back a row
  EXPECT_EQ(keys->OffsetDuration(), 2);
  keys->MouseTrack = true;
  int tracked = 0;
  keys->OnTrackMouse = [&](TObject*, bool onKeys) { tracked += onKeys; };
  td::MouseMove(*keys, WhiteX(23), rh / 2);  // the top row
  EXPECT_EQ(keys->DurationPosition(), 2 + keys->RowCount() - 1);
  td::MouseMove(*keys, WhiteX(23), keys->Height() - 1);  // below the rows: the bottom one
  EXPECT_EQ(keys->DurationPosition(), 2);
  EXPECT_EQ(tracked, 2);
}

// Letters of Keys type keys in the current octave (Shift: the black key
// below, as the letter's flat), digits choose the octave, Space is a rest; keys off the
// keyboard are ignored.
TEST_F(MusicKeyboardTest, TypedLettersPlayKeys) {
  keys->SetFocus();
  td::PressKey(*keys, 'C');
  td::PressKey(*keys, 'D', ssShift);
  td::PressKey(*keys, 'F', ssShift);  // no black key below F
  td::PressKey(*keys, VK_SPACE);
  td::PressKey(*keys, '2');  // octave 1
  td::PressKey(*keys, 'A');
  td::PressKey(*keys, 'C');  // C in octave 1 lies before A0
  const std::vector<std::tuple<int, int, int>> want = {{5, 1, 0}, {5, 2, -1}, {0, -1, 0}, {1, 6, 0}};
  EXPECT_EQ(clicks, want);
  keys->SetKeys("CDEFGAH");
  clicks.clear();
  td::PressKey(*keys, 'H');
  EXPECT_EQ(clicks, (std::vector<std::tuple<int, int, int>>{{1, 7, 0}}));
}

// Keys lit by playback: note-on lights, note-off and a note-on with
// velocity 0 both darken; pitches off the keyboard are ignored.
TEST_F(MusicKeyboardTest, KeysLitByPlayback) {
  keys->LightPitch(21);
  keys->LightPitch(108);
  keys->LightPitch(20);
  EXPECT_EQ(keys->KeyState(0, false), TECMusicKeyboard::ksLit);
  EXPECT_EQ(keys->KeyState(51, false), TECMusicKeyboard::ksLit);
  keys->ClearLitKeys();
  EXPECT_EQ(keys->KeyState(0, false), TECMusicKeyboard::ksNormal);
  keys->ShowMidiMessage(0x90, 61, 100);  // C sharp 4
  EXPECT_EQ(keys->KeyState(23, true), TECMusicKeyboard::ksLit);
  keys->ShowMidiMessage(0x90, 61, 0);
  EXPECT_EQ(keys->KeyState(23, true), TECMusicKeyboard::ksNormal) << "velocity 0 is a note-off";
  keys->ShowMidiMessage(0x99, 60, 90);
  keys->ShowMidiMessage(0x89, 60, 64);
  EXPECT_EQ(keys->KeyState(23, false), TECMusicKeyboard::ksNormal);
}

// A control too narrow for its keys keeps a key width of one pixel: hit
// tests and painting go on.
TEST_F(MusicKeyboardTest, ANarrowControlStaysSafe) {
  for (int style : {msShowMarks | msScrollOctave, int(msShowMarks)}) {
    keys->SetStyle(style);
    keys->SetBounds(0, 0, 20, 30);
    EXPECT_GE(keys->KeyWidth(), 1);
    td::Click(*keys, 10, 25);
    td::Click(*keys, 19, 5);
    keys->Repaint();
  }
}

}  // namespace
}  // namespace qs
