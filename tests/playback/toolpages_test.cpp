// The recording and playback tool pages through clicks: the quantisation
// value handed on, the buttons that step recording alone allows, the
// counts kept in the settings file, and the times shown.
#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>
#include <vector>

#include "base/inifile.h"
#include "platform/comctrls.h"
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
