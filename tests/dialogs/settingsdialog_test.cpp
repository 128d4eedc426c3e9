// The settings dialog and the first-run dialog: every control's value is
// written on OK, nothing on Cancel; the note names and their letters, the
// devices, the page the dialog reopens on.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <unistd.h>

#include "base/exceptions.h"
#include "base/inifile.h"
#include "dialogs/devicehost.h"
#include "dialogs/firstrun.h"
#include "dialogs/settingsdialog.h"
#include "platform/comctrls.h"
#include "platform/keys.h"
#include "platform/stdctrls.h"
#include "platform/testdriver.h"
#include "uikit/pagecontrol.h"

namespace qs {
namespace {

namespace td = testdriver;

class TFakeHost : public TDeviceHost {
 public:
  std::vector<std::string> OutputDevices() override { return {"Built-in synthesizer", "Keys 20:0", "Module 24:0"}; }
  std::vector<std::string> InputDevices() override { return {"Keys 20:0", "Pads 28:0"}; }
  std::string OutputDevice() override { return Output; }
  std::string InputDevice() override { return Input; }
  void SetMidiDevices(const std::string& output, const std::string& input) override {
    Output = output;
    Input = input;
    ++Switches;
  }
  bool HasTestFile() override { return TestFile; }
  bool StartTestPlay(std::function<void()> ended) override {
    Ended = std::move(ended);
    return TestFile;
  }
  void StopTestPlay() override { ++Stops; }
  bool HasVolumeProgram() override { return false; }
  void StartVolumeProgram() override {}
  std::string MailPassword() override { return Password; }
  void SetMailPassword(const std::string& password) override {
    if (!StoreFails.empty()) throw EFCreateError(StoreFails);
    Password = password;
    ++PasswordStores;
  }
  void SettingsChanged() override { ++Changes; }
  std::string Output = "Built-in synthesizer", Input = "Keys 20:0";
  std::string Password, StoreFails;
  bool TestFile = true;
  int Switches = 0, Stops = 0, Changes = 0, PasswordStores = 0;
  std::function<void()> Ended;
};

std::string ReadAll(const std::string& file) {
  std::ifstream in(file);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// The file without the dialog's own place and page.
std::string WithoutPlace(const std::string& text) {
  std::string out, line;
  std::istringstream in(text);
  bool skip = false;
  while (std::getline(in, line)) {
    if (!line.empty() && line[0] == '[') skip = line == "[SettingsForm]";
    if (!skip) out += line + "\n";
  }
  return out;
}

class SettingsDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    file_ = ::testing::TempDir() + "qs_settings_" + std::to_string(::getpid()) + ".ini";
    std::remove(file_.c_str());
    settings_ = std::make_unique<TSettings>(file_);
  }
  void TearDown() override { std::remove(file_.c_str()); }
  std::string file_;
  std::unique_ptr<TSettings> settings_;
  TFakeHost host_;
};

// Every control changed from its default reads back from the file after
// OK; the same changes with Cancel leave the file as it was.
TEST_F(SettingsDialogTest, OkWritesEveryControlAndCancelNothing) {
  const auto change = [](TFSettingsModule& d) {
    d.CBNote8->SetChecked(true);
    d.CBDur16->SetChecked(true);
    d.CBRealTime->SetChecked(true);
    d.EVelFirst->SetText("90");
    d.EVelOther->SetText("45");
    d.CBRecordMetronome->SetChecked(true);
    d.CBPlayMetronome->SetChecked(true);
    d.EAddress->SetText("ann@example.org");
    d.EMailName->SetText("Ann");
    d.ESMTPserver->SetText("smtp.example.org");
    d.ESMTPPort->SetText("587");
    d.CBAuthentication->SetChecked(true);
    d.EUserId->SetText("ann");
    d.EPassword->SetText("secret");
    d.SBVariant2Click();
    d.EFlazholetName->SetText("harm.");
    d.CBOutput->SetItemIndex(2);
    d.CBInput->SetItemIndex(1);
    d.CBSaveBackUp->SetChecked(false);
    d.CBCountBackUp->SetChecked(false);
    d.ECountBackUp->SetText("7");
    d.CBAutosave->SetChecked(true);
    d.CBIntervalAutosave->SetItemIndex(3);
    for (TCheckBox* box : {d.CBPlayMouse, d.CBPlayDrag, d.CBPlayPiano, d.CBPlayGuitar, d.CBPlayMIDI, d.CBShowNoteHint,
                           d.CBShowPianoNote, d.CBAutoEffect, d.CBAutovelocity})
      box->SetChecked(false);
    d.CBAutoPages->SetChecked(true);
    d.CBNews->SetChecked(false);
    d.CBDisplayNews->SetChecked(true);
  };
  const std::string before = WithoutPlace(ReadAll(file_));
  {
    TFSettingsModule dialog(nullptr, settings_.get(), &host_);
    change(dialog);
  }
  EXPECT_EQ(WithoutPlace(ReadAll(file_)), before) << "Cancel writes nothing";
  EXPECT_EQ(host_.Switches, 0);
  EXPECT_EQ(host_.PasswordStores, 0) << "Cancel stores no password";
  {
    TFSettingsModule dialog(nullptr, settings_.get(), &host_);
    change(dialog);
    dialog.BBOkClick();
    EXPECT_TRUE(dialog.NamesChanged());
  }
  TSettings again(file_);
  TRecordingSettings record;
  again.Load(record);
  EXPECT_EQ(record.RecordQuantize, 64);
  EXPECT_EQ(record.MetrDuration, 32);
  EXPECT_TRUE(record.RecordRealTime);
  EXPECT_EQ(record.MetrFirstVelocity, 90);
  EXPECT_EQ(record.MetrOtherVelocity, 45);
  EXPECT_TRUE(record.RecordMetronome);
  TPlaySettings play;
  again.Load(play);
  EXPECT_TRUE(play.PlayMetronome);
  TMailSettings mail;
  again.Load(mail);
  EXPECT_EQ(mail.Address, "ann@example.org");
  EXPECT_EQ(mail.MailName, "Ann");
  EXPECT_EQ(mail.SMTPServer, "smtp.example.org");
  EXPECT_EQ(mail.Port, 587);
  EXPECT_TRUE(mail.Authentication);
  EXPECT_EQ(mail.UserId, "ann");
  EXPECT_EQ(ReadAll(file_).find("secret"), std::string::npos) << "the password stays out of the file";
  EXPECT_EQ(host_.Password, "secret") << "the password typed goes to the host";
  TNoteNameSettings names;
  again.Load(names);
  EXPECT_EQ(names.Names[10], "Hb");
  EXPECT_EQ(names.Letters(), "CDEFGAH");
  TMusicSettings music;
  again.Load(music);
  EXPECT_EQ(music.FlazholetName, "harm.");
  EXPECT_EQ(host_.Output, "Module 24:0");
  EXPECT_EQ(host_.Input, "Pads 28:0");
  TEditorSettings editor;
  again.Load(editor);
  EXPECT_FALSE(editor.SaveBackUp);
  EXPECT_FALSE(editor.LimitBackUp);
  EXPECT_EQ(editor.CountBackUp, 7);
  EXPECT_TRUE(editor.AutoSave);
  EXPECT_EQ(editor.AutoSaveInterval, 1800);
  TEffectsSettings effects;
  again.Load(effects);
  EXPECT_FALSE(effects.PlayMouse || effects.PlayDrag || effects.PlayPiano || effects.PlayGuitar || effects.PlayMIDI ||
               effects.ShowNoteHint || effects.ShowPianoNote || effects.AutoEffect || effects.AutoVelocity);
  EXPECT_TRUE(effects.AutoPages);
  TNewsSettings news;
  again.Load(news);
  EXPECT_FALSE(news.News);
  EXPECT_TRUE(news.DisplayNews);
  EXPECT_EQ(host_.Changes, 1);
}

// OK without a change of a name writes no note names; a port that is no
// number is 25; the built-in synthesizer is stored as the empty name.
TEST_F(SettingsDialogTest, UnchangedNamesAreNotWrittenAndABadPortIs25) {
  // An interval the list does not offer stays as it is.
  TEditorSettings editor;
  settings_->Set(editor, &TEditorSettings::AutoSaveInterval, 120);
  {
    TFSettingsModule dialog(nullptr, settings_.get(), &host_);
    dialog.ESMTPPort->SetText("smtp");
    dialog.BBOkClick();
    EXPECT_FALSE(dialog.NamesChanged());
  }
  EXPECT_EQ(ReadAll(file_).find("[Notes]"), std::string::npos);
  TMailSettings mail;
  settings_->Load(mail);
  EXPECT_EQ(mail.Port, 25);
  EXPECT_EQ(host_.Output, "");
  EXPECT_EQ(host_.Input, "Keys 20:0");
  settings_->Load(editor);
  EXPECT_EQ(editor.AutoSaveInterval, 120);
}

// The password the host keeps is shown (masked); OK hands the host a changed
// one only; one the host cannot store is told and the rest is written.
TEST_F(SettingsDialogTest, ThePasswordIsTheHostsAndAFailureToStoreItIsTold) {
  host_.Password = "old pass";
  {
    TFSettingsModule dialog(nullptr, settings_.get(), &host_);
    EXPECT_EQ(dialog.EPassword->Text(), "old pass");
    dialog.EAddress->SetText("ann@example.org");
    dialog.BBOkClick();
  }
  EXPECT_EQ(host_.PasswordStores, 0) << "an unchanged password is not stored again";
  host_.StoreFails = "The file MailPassword cannot be created.";
  std::string shown;
  {
    TFSettingsModule dialog(nullptr, settings_.get(), &host_);
    dialog.EPassword->SetText("n3w pass");
    dialog.EMailName->SetText("Ann");
    td::Later([&shown] {
      if (td::WaitForModal())
        if (TCustomForm* box = Screen().ActiveForm()) shown = box->Caption();
      td::KeyToModal(VK_RETURN);
    });
    dialog.BBOkClick();
  }
  EXPECT_EQ(shown, "Settings");
  EXPECT_EQ(host_.Password, "old pass");
  EXPECT_EQ(host_.Changes, 2) << "the other settings were written all the same";
  TMailSettings mail;
  settings_->Load(mail);
  EXPECT_EQ(mail.MailName, "Ann");
  EXPECT_EQ(ReadAll(file_).find("pass"), std::string::npos);
}

// The dialog opens on the page it was closed on; the test button is there
// only with a test file, and Test and Stop take turns.
TEST_F(SettingsDialogTest, ReopensOnItsPageAndTestsOnlyWithATestFile) {
  {
    TFSettingsModule dialog(nullptr, settings_.get(), &host_);
    dialog.PCSettings->SetActivePage(dialog.TSDevices);
    EXPECT_TRUE(dialog.BBTest->Visible());
    dialog.BBTestClick();
    EXPECT_TRUE(dialog.BBStop->Visible());
    EXPECT_FALSE(dialog.BBTest->Visible());
    host_.Ended();  // the test play ended by itself
    EXPECT_TRUE(dialog.BBTest->Visible());
    EXPECT_FALSE(dialog.BBStop->Visible());
  }
  host_.TestFile = false;
  TFSettingsModule dialog(nullptr, settings_.get(), &host_);
  EXPECT_EQ(dialog.PCSettings->ActivePage(), dialog.TSDevices);
  EXPECT_FALSE(dialog.BBTest->Visible());
  settings_->Ini().WriteInteger("SettingsForm", "PageIndex", 6);
  TFSettingsModule other(nullptr, settings_.get(), &host_);
  EXPECT_EQ(other.PCSettings->ActivePage(), other.TSRecord) << "a page index out of range";
}

// The choices of the first-run dialog take effect and are written at
// once: the devices, the news; the languages by item.
TEST_F(SettingsDialogTest, FirstRunChoicesAreWrittenAtOnce) {
  TFStartModule dialog(nullptr, settings_.get(), &host_);
  dialog.CBOutput->SetItemIndex(1);
  dialog.CBOutputChange();
  EXPECT_EQ(host_.Output, "Keys 20:0");
  dialog.CBInput->SetItemIndex(1);
  dialog.CBInputChange();
  EXPECT_EQ(host_.Input, "Pads 28:0");
  dialog.CBNews->SetChecked(false);
  dialog.CBNewsClick();
  TNewsSettings news;
  TSettings again(file_);
  again.Load(news);
  EXPECT_FALSE(news.News);
  EXPECT_STREQ(StartLanguageCode(0), "ENU");
  EXPECT_STREQ(StartLanguageCode(4), "RUS");
  EXPECT_STREQ(StartLanguageCode(7), "DEU");
  EXPECT_EQ(StartLanguageIndex("ITA"), 3);
  EXPECT_EQ(StartLanguageIndex("XYZ"), 4);
}

}  // namespace
}  // namespace qs
