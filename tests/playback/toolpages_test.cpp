// The recording and playback tool pages through clicks: the quantisation
// value handed on, the buttons that step recording alone allows, the
// counts kept in the settings file, and the times shown.
#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>
#include <vector>

#include "base/inifile.h"
#include "platform/bitmap.h"
#include "platform/canvas.h"
#include "platform/comctrls.h"
#include "platform/keys.h"
#include "platform/stdctrls.h"
#include "platform/testdriver.h"
#include "playback/toolpages.h"
#include "uikit/charbutton.h"

namespace qs::test {
namespace {

namespace td = testdriver;

TEST(RecordingPage, DurationButtonsHandOnTheQuantizeValue) {
  TRecordSettings record;
  record.Quantize = 128;
  TFRecording page(nullptr, nullptr, record);
  EXPECT_TRUE(page.CBNote4->Down());
  td::ShowAndWait(page);
  std::vector<int> told;
  page.OnSetRecordQuantize = [&](int ticks) { told.push_back(ticks); };
  td::Click(*page.CBNote8, 10, 10);
  td::Click(*page.CBWholeNote, 10, 10);
  // Released, no button is down and nothing is told.
  td::Click(*page.CBWholeNote, 10, 10);
  EXPECT_FALSE(page.CBWholeNote->Down());
  EXPECT_EQ(told, (std::vector<int>{64, 512}));
}

TEST(RecordingPage, StepRecordingAloneAllowsChordsRestsAndDots) {
  struct TCase {
    bool RealTime, Metronome;
    bool ChordAndRest, Dots;
  };
  const TCase cases[] = {{false, false, true, true}, {true, false, false, false}, {false, true, true, false}};
  for (const TCase& c : cases) {
    TRecordSettings record;
    record.RealTime = !c.RealTime;
    record.Metronome = !c.Metronome;
    TFRecording page(nullptr, nullptr, record);
    td::ShowAndWait(page);
    bool realTime = !c.RealTime, metronome = !c.Metronome;
    page.OnSetRecordRealTime = [&](bool v) { realTime = v; };
    page.OnSetRecordMetronome = [&](bool v) { metronome = v; };
    td::Click(*page.CBRealTime, 10, 10);
    td::Click(*page.CBMetronome, 10, 10);
    EXPECT_EQ(realTime, c.RealTime);
    EXPECT_EQ(metronome, c.Metronome);
    EXPECT_EQ(page.CBChord->Enabled(), c.ChordAndRest);
    EXPECT_EQ(page.CBPause->Enabled(), c.ChordAndRest);
    EXPECT_EQ(page.CBDot->Enabled(), c.Dots);
    EXPECT_EQ(page.CBDoubleDot->Enabled(), c.Dots);
  }
}

TEST(RecordingPage, CountsAreShownAndKept) {
  const std::string file =
      (std::filesystem::temp_directory_path() / ("qs-recording-" + std::to_string(::getpid()) + ".ini")).string();
  std::filesystem::remove(file);
  {
    TIniFile settings(file);
    settings.WriteInteger("Record", "Tremolo", 3);
    TFRecording page(nullptr, &settings, {});
    EXPECT_EQ(page.UDTremolo->Position(), 3);
    td::ShowAndWait(page);
    td::Click(*page.UDTreole, 8, 4);  // the upper arrow
    EXPECT_EQ(page.UDTreole->Position(), 3);
    EXPECT_EQ(settings.ReadInteger("Record", "Treole", 0), 3);
  }
  std::filesystem::remove(file);
}

// The drum style drop button asks the main window for the chooser; a
// chosen style is kept and puts the drum note down, and the button shows
// the style where the drum styles have it, else its plain face.
TEST(RecordingPage, DrumStylesAreChosenAndShown) {
  const std::string file =
      (std::filesystem::temp_directory_path() / ("qs-drums-" + std::to_string(::getpid()) + ".ini")).string();
  std::filesystem::remove(file);
  TFRecording::DrumStylePainter = [](TCanvas& c, const TRect& face, int index) {
    if (index != 3) return false;
    c.Brush().Color = RGB(200, 0, 0);
    c.FillRect(face);
    return true;
  };
  {
    TIniFile settings(file);
    TFRecording page(nullptr, &settings, {});
    EXPECT_EQ(TFRecording::Instance(), &page);
    td::ShowAndWait(page);
    TECCharButton* asked = nullptr;
    page.OnChooseDrumStyle = [&](TECCharButton* below) { asked = below; };
    td::Click(*page.CBDrumStyles, page.CBDrumStyles->Width() - 4, 10);
    EXPECT_EQ(asked, page.CBDrumStyles);
    auto middle = [&] {
      td::ProcessMessages();
      const TRect frame = page.FrameInsets();
      return GrabControl(page)->Pixel(frame.Left + page.CBDrumNote->Left() + 13,
                                      frame.Top + page.CBDrumNote->Top() + 15);
    };
    EXPECT_NE(middle(), RGB(200, 0, 0));
    page.SetDrumStyle(3);
    EXPECT_TRUE(page.CBDrumNote->Down());
    EXPECT_FALSE(page.CBBlankNote->Down());
    EXPECT_EQ(settings.ReadInteger("Record", "DrumStyle", -1), 3);
    EXPECT_EQ(middle(), RGB(200, 0, 0));
    page.SetDrumStyle(7);  // not among the drum styles: the plain face
    EXPECT_NE(middle(), RGB(200, 0, 0));
  }
  EXPECT_EQ(TFRecording::Instance(), nullptr);
  TFRecording::DrumStylePainter = nullptr;
  std::filesystem::remove(file);
}

// The second button of the frame docks the page; a drag of the floating
// page by 40 pixels or less leaves it, a longer one puts its bottom-left
// corner at the drop point and floats it.
TEST(PlayingPage, DockButtonAndDrags) {
  TFPlaying page(nullptr, nullptr, true);
  std::vector<bool> attached;
  page.OnSetAttached = [&](bool v) { attached.push_back(v); };
  page.SetBounds(300, 200, page.Width(), page.Height());
  td::ShowAndWait(page);
  const TRect frame = page.FrameInsets();
  td::Click(page, page.Width() - 15 - 7 - frame.Left, 8 - frame.Top);
  EXPECT_EQ(attached, std::vector<bool>{true});
  const int width = page.Width(), height = page.Height();
  struct TCase {
    TPoint Start, Drop;
    bool Moves;
  };
  const TCase cases[] = {{{100, 100}, {140, 60}, false}, {{100, 100}, {141, 100}, true}, {{100, 100}, {100, 59}, true}};
  for (const TCase& c : cases) {
    page.SetBounds(300, 200, width, height);
    attached.clear();
    EXPECT_EQ(page.EndDrag(c.Start, c.Drop), c.Moves);
    const TRect expected = c.Moves ? TRect{c.Drop.X, c.Drop.Y - height, c.Drop.X + width, c.Drop.Y}
                                   : TRect{300, 200, 300 + width, 200 + height};
    EXPECT_EQ(page.BoundsRect(), expected);
    EXPECT_EQ(attached, c.Moves ? std::vector<bool>{false} : std::vector<bool>{});
  }
}

TEST(PlayingPage, TimesAndMetronome) {
  TFPlaying page(nullptr, nullptr, true);
  page.ShowFullTime(90061999);
  page.ShowPlayTime(3723000);
  EXPECT_EQ(page.LFullTime->Caption(), "25:01:01");
  EXPECT_EQ(page.LPlayTime->Caption(), "01:02:03");
  td::ShowAndWait(page);
  bool metronome = true;
  page.OnSetPlayMetronome = [&](bool v) { metronome = v; };
  td::Click(*page.CBMetronome, 10, 10);
  EXPECT_FALSE(metronome);
}

}  // namespace
}  // namespace qs::test

namespace qs::test {
namespace {

// The Recording page's letters and digits do what its buttons do; the
// numeric + and - step the note value round.
TEST(RecordingPage, KeysWorkTheButtons) {
  TRecordSettings record;
  record.Quantize = 128;
  TFRecording page(nullptr, nullptr, record);
  std::vector<int> told;
  bool realTime = false;
  page.OnSetRecordQuantize = [&](int ticks) { told.push_back(ticks); };
  page.OnSetRecordRealTime = [&](bool v) { realTime = v; };
  page.OnKeyDown = [&](TObject*, uint16_t& key, TShiftState) {
    if (page.PageKey(key)) key = 0;
  };
  td::ShowAndWait(page);
  td::PressKey(page, '6');
  td::PressKey(page, VK_ADD);       // 1/32 -> 1/16
  td::PressKey(page, '7');
  td::PressKey(page, VK_ADD);       // 1/64 -> 1/32
  td::PressKey(page, '1');
  td::PressKey(page, VK_ADD);       // the whole -> 1/64
  td::PressKey(page, VK_SUBTRACT);  // 1/64 -> the whole
  EXPECT_EQ(told, (std::vector<int>{16, 32, 8, 16, 512, 8, 512}));
  td::PressKey(page, 'E');
  EXPECT_TRUE(realTime);
  EXPECT_FALSE(page.CBChord->Enabled()) << "the handler ran";
  td::PressKey(page, 'E');
  EXPECT_FALSE(realTime);
  td::PressKey(page, 'U');
  EXPECT_TRUE(page.CBDot->Down());
  td::PressKey(page, 'U');
  EXPECT_TRUE(page.CBDoubleDot->Down());
  EXPECT_FALSE(page.CBDot->Down());
  td::PressKey(page, 'U');
  EXPECT_FALSE(page.CBDoubleDot->Down());
  td::PressKey(page, 'P');
  EXPECT_TRUE(page.CBPause->Down());
  td::PressKey(page, 'N');
  EXPECT_TRUE(page.CBNote->Down());
  td::PressKey(page, 'T');
  td::PressKey(page, 'M');
  td::PressKey(page, 'R');
  EXPECT_TRUE(page.CBTremolo->Down());
  EXPECT_TRUE(page.CBDrumNote->Down());
  EXPECT_TRUE(page.CBChord->Down());
  td::PressKey(page, VK_ESCAPE);
  EXPECT_FALSE(page.CBTremolo->Down() || page.CBDrumNote->Down() || page.CBChord->Down());
}

TEST(PlayingPage, OSwitchesTheMetronome) {
  TFPlaying page(nullptr, nullptr, false);
  bool metronome = false;
  page.OnSetPlayMetronome = [&](bool v) { metronome = v; };
  page.OnKeyDown = [&](TObject*, uint16_t& key, TShiftState) {
    if (page.PageKey(key)) key = 0;
  };
  td::ShowAndWait(page);
  td::PressKey(page, 'O');
  EXPECT_TRUE(metronome);
  td::PressKey(page, 'O');
  EXPECT_FALSE(metronome);
}

}  // namespace
}  // namespace qs::test

#include "playback/playedkeys.h"

namespace qs::test {
namespace {

// Keys lit by playback: a note-on of velocity 0 puts its key out as a
// note-off does; black keys and the end of playback.
TEST(PlayedKeys, NoteOnOfVelocityZeroPutsTheKeyOut) {
  const struct {
    int Status, Data1, Data2;
    TPlayedKey::TAction Action;
    int Octave, Step;
    bool Black;
  } cases[] = {
      {0x90, 60, 100, TPlayedKey::Light, 5, 0, false},   {0x90, 60, 0, TPlayedKey::Unlight, 5, 0, false},
      {0x83, 61, 64, TPlayedKey::Unlight, 5, 0, true},   {0x9F, 70, 1, TPlayedKey::Light, 5, 5, true},
      {0xB0, 7, 100, TPlayedKey::None, 0, 0, false},     {0xFF, 0x2F, 0, TPlayedKey::UnlightAll, 0, 0, false},
      {0x90, 200, 100, TPlayedKey::Light, 10, 4, false},
  };
  for (const auto& c : cases) {
    const TPlayedKey got = PlayedKeyChange(c.Status, c.Data1, c.Data2);
    EXPECT_EQ(got.Action, c.Action) << c.Status << " " << c.Data1 << " " << c.Data2;
    if (c.Action == TPlayedKey::Light || c.Action == TPlayedKey::Unlight) {
      EXPECT_EQ(got.Octave, c.Octave) << c.Data1;
      EXPECT_EQ(got.Step, c.Step) << c.Data1;
      EXPECT_EQ(got.Black, c.Black) << c.Data1;
    }
  }
}

}  // namespace
}  // namespace qs::test
