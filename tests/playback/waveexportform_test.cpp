// The WAVE export dialog through clicks: its choices kept in the settings
// file, the right level bar for stereo only, the progress range from the
// score's time, and an export that Stop ends without a file, after which
// Save writes it.
#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

#include "base/inifile.h"
#include "platform/comctrls.h"
#include "platform/stdctrls.h"
#include "platform/testdriver.h"
#include "playback/synthesizer.h"
#include "playback/waveexportform.h"
#include "walk_fixture.h"

namespace qs::test {
namespace {

namespace fs = std::filesystem;
namespace td = testdriver;

class ExportWaveForm : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("qs_wave_form_" + std::to_string(::getpid()));
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  fs::path dir_;
};

TEST_F(ExportWaveForm, ChoicesAreKeptAndStereoShowsTheRightBar) {
  TIniFile settings((dir_ / "settings.ini").string());
  {
    TFExportWaveSettings form(nullptr, &settings, nullptr, "");
    EXPECT_EQ(form.SampleRateIndex(), 2);
    EXPECT_EQ(form.ChannelsIndex(), 1);
    EXPECT_EQ(form.ResolutionIndex(), 1);
    td::ShowAndWait(form);
    EXPECT_TRUE(form.PRightVolume->Visible());
    EXPECT_FALSE(form.TBRightVolume->Visible());
    td::Click(*form.SampleRates[4], 5, 8);
    td::Click(*form.Channels[0], 5, 8);
    td::Click(*form.Resolutions[0], 5, 8);
    EXPECT_FALSE(form.PRightVolume->Visible());
    // Without a score nothing is exported.
    EXPECT_EQ(form.TBPlay->Max(), 0);
    td::Click(*form.BBOk, 10, 10);
    EXPECT_EQ(form.ModalResult(), mrNone);
  }
  EXPECT_EQ(settings.ReadInteger("ExportWaweSettingForm", "SampleRate", -1), 4);
  TFExportWaveSettings again(nullptr, &settings, nullptr, "");
  EXPECT_EQ(again.SampleRateIndex(), 4);
  EXPECT_EQ(again.ChannelsIndex(), 0);
  EXPECT_EQ(again.ResolutionIndex(), 0);
}

TEST_F(ExportWaveForm, StopKeepsNoFileAndSaveWritesIt) {
  if (GeneralMidiSoundFont().empty()) GTEST_SKIP() << "no General MIDI sound font installed";
  TContentScore s(8);
  for (int m = 0; m < 8; ++m) s.Note(s.Measure(m), 0, 512, 0x55);
  s.Layout();
  const std::string file = (dir_ / "song.wav").string();
  TFExportWaveSettings form(nullptr, nullptr, &s.Score, file);
  EXPECT_EQ(form.TBPlay->Max(), static_cast<int>(s.Score.TotalMs) / 100);
  EXPECT_GT(form.TBPlay->Max(), 100);
  td::ShowAndWait(form);
  td::Click(*form.Channels[0], 5, 8);
  // Stop, pressed as soon as the export shows its first progress.
  bool stopShown = false;
  td::Later([&] {
    stopShown = form.BBStop->Visible() && !form.BBOk->Visible();
    td::Click(*form.BBStop, 10, 10);
  });
  td::Click(*form.BBOk, 10, 10);
  EXPECT_TRUE(stopShown);
  EXPECT_FALSE(form.Exporting());
  EXPECT_TRUE(form.BBOk->Visible());
  EXPECT_FALSE(form.BBStop->Visible());
  EXPECT_EQ(form.ModalResult(), mrNone);
  EXPECT_FALSE(fs::exists(file));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 0);

  td::Click(*form.BBOk, 10, 10);
  EXPECT_EQ(form.ModalResult(), mrOk);
  EXPECT_EQ(form.TBPlay->Position(), form.TBPlay->Max());
  ASSERT_TRUE(fs::exists(file));
  // Mono, 16-bit, 32 kHz: the whole score's frames after a 44-byte header.
  EXPECT_NEAR(double(fs::file_size(file) - 44) / 2 / 32000 * 1000, s.Score.TotalMs, 20);
}

}  // namespace
}  // namespace qs::test
