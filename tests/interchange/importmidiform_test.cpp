// The "Import MIDI" window: what it shows from the settings file, what it
// stores back, and what it gives the score, driven by real clicks.
#include <gtest/gtest.h>

#include <filesystem>

#include "base/inifile.h"
#include "interchange/importmidiform.h"
#include "platform/keys.h"
#include "platform/stdctrls.h"
#include "platform/testdriver.h"
#include "platform/timers.h"
#include "score/score.h"
#include "uikit/charbutton.h"

namespace qs {
namespace {

namespace td = testdriver;

class ImportMidiFormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    file_ = (std::filesystem::temp_directory_path() /
             ("qs-import-midi-" + std::to_string(::getpid()) + ".ini"))
                .string();
    std::filesystem::remove(file_);
  }
  void TearDown() override { std::filesystem::remove(file_); }
  std::string file_;
};

TEST_F(ImportMidiFormTest, WithoutASettingsFileNothingIsReadOrStored) {
  {
    TFImportMIDI form(nullptr, nullptr);
    EXPECT_TRUE(form.CBNote16->Down());
    EXPECT_EQ(form.GetQuantize(), 32);
    for (TCheckBox* box : {form.CBOneStaff, form.CBTrackNames, form.CBAutoClefs, form.CBTriplet})
      EXPECT_FALSE(box->Checked());
  }
  EXPECT_FALSE(std::filesystem::exists(file_));
}

TEST_F(ImportMidiFormTest, MissingSectionGivesTheDefaultsAndABadQuantizeIsReplaced) {
  TIniFile settings(file_);
  settings.WriteInteger("ImportMIDIForm", "Quantize", 24);
  {
    TFImportMIDI form(nullptr, &settings);
    EXPECT_TRUE(form.CBNote16->Down());
    EXPECT_FALSE(form.CBOneStaff->Checked());
    EXPECT_TRUE(form.CBTrackNames->Checked());
    EXPECT_TRUE(form.CBTriplet->Checked());
    EXPECT_TRUE(form.CBAutoClefs->Checked());
  }
  EXPECT_EQ(settings.ReadInteger("ImportMIDIForm", "Quantize", 0), 32);
  EXPECT_TRUE(settings.ValueExists("ImportMIDIForm", "Bounds"));
}

TEST_F(ImportMidiFormTest, ChoicesMadeAndCancelledAreKeptAndGoIntoTheScoreOnOk) {
  TIniFile settings(file_);
  {
    TFImportMIDI form(nullptr, &settings);
    td::ShowAndWait(form);
    td::Click(*form.CBNote8, 10, 10);
    td::Click(*form.CBOneStaff, 5, 8);
    EXPECT_EQ(form.GetQuantize(), 64);
    EXPECT_FALSE(form.CBNote16->Down());
    td::Click(*form.BBCancel, 10, 10);
    EXPECT_EQ(form.ModalResult(), mrCancel);
  }
  TFImportMIDI again(nullptr, &settings);
  EXPECT_TRUE(again.CBNote8->Down());
  EXPECT_TRUE(again.CBOneStaff->Checked());

  // OK from a modal run: the score takes the choices.
  td::ShowAndWait(again);
  again.Hide();
  TTimer press(nullptr);
  press.SetInterval(10);
  press.OnTimer = [&](TObject*) {
    press.SetEnabled(false);
    td::Click(*again.CBNote64, 10, 10);
    td::Click(*again.BBOk, 10, 10);
  };
  press.SetEnabled(true);
  ASSERT_EQ(again.ShowModal(), mrOk);
  TQSScore score;
  again.ApplyTo(score);
  EXPECT_EQ(score.RecordQuantize, 8);
  EXPECT_EQ(score.ImportStaffPerTrack, 1);
  EXPECT_EQ(score.ImportTrackNames, 1);
}

TEST_F(ImportMidiFormTest, APositionFarOffScreenComesBackOnThatAxis) {
  TIniFile settings(file_);
  settings.WriteString("ImportMIDIForm", "Bounds", "-5000,120,10,10");
  TFImportMIDI form(nullptr, &settings);
  EXPECT_EQ(form.Left(), 0);
  EXPECT_EQ(form.Top(), 120);
  EXPECT_GT(form.Width(), 10);  // the size is the window's own
}

TEST(ImportMidiOptions, AskedForMidAndKarFilesButNotRmi) {
  for (const char* name : {"a.mid", "B.MID", "c.Midi", "song.kar"}) EXPECT_TRUE(AsksForMidiImportOptions(name)) << name;
  for (const char* name : {"a.rmi", "a.xml", "a.sfd", "mid"}) EXPECT_FALSE(AsksForMidiImportOptions(name)) << name;
}

}  // namespace
}  // namespace qs
