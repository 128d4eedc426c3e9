// The settings sections: every key reads back what was written, a missing
// or damaged file and bad values give the defaults, a setter writes only a
// change, and a form's stored position is kept on the screen.
#include "uikit/settings.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <unistd.h>
#include <string>

#include "base/inifile.h"
#include "base/strings.h"
#include "platform/forms.h"

namespace qs {
namespace {

class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = ::testing::TempDir() + "qs_settings_" + std::to_string(::getpid()) + "_" + std::to_string(counter_++) + "/";
    std::string cmd = "rm -rf '" + dir_ + "' && mkdir -p '" + dir_ + "'";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
  }
  std::string File(const char* name) const { return dir_ + name; }

  // What a section struct holds, as the file Store writes from it.
  template <class S>
  TStringList Stored(S& section, const char* name) {
    std::remove(File(name).c_str());
    TSettings out(File(name));
    out.Store(section);
    return out.Ini().ReadSectionValues(S::kSection);
  }

  // Every key of the section: a changed value written into the file reads
  // back (the struct stores it again unchanged); a bad value gives the
  // default.
  template <class S>
  void CheckSection() {
    SCOPED_TRACE(S::kSection);
    S defaults;
    const TStringList keys = Stored(defaults, "defaults.ini");
    ASSERT_GT(keys.Count(), 0);
    for (int i = 0; i < keys.Count(); ++i) {
      const std::string key = keys.Names(i);
      const std::string def = keys.ValueFromIndex(i);
      SCOPED_TRACE(key);
      int number = 0;
      std::vector<std::string> candidates;
      if (TryStrToInt(def, number)) {
        candidates = {std::to_string(number + 1), std::to_string(number - 1)};
      } else {
        candidates = {def + "x", "wsNormal"};
      }
      bool readBack = false;
      for (const std::string& value : candidates) {
        std::remove(File("in.ini").c_str());
        {
          TIniFile ini(File("in.ini"));
          ini.WriteString(S::kSection, key, value);
        }
        TSettings in(File("in.ini"));
        S loaded;
        in.Load(loaded);
        const TStringList again = Stored(loaded, "again.ini");
        if (again.Values(key) == value) {
          readBack = true;
          // Every other key kept its default.
          for (int k = 0; k < keys.Count(); ++k)
            if (k != i) EXPECT_EQ(again.Values(keys.Names(k)), keys.ValueFromIndex(k)) << keys.Names(k);
          break;
        }
      }
      EXPECT_TRUE(readBack) << "no changed value of " << key << " reads back";
      if (!TryStrToInt(def, number)) continue;
      for (const char* bad : {"x7", "", "1.5"}) {
        std::remove(File("bad.ini").c_str());
        {
          TIniFile ini(File("bad.ini"));
          ini.WriteString(S::kSection, key, bad);
        }
        TSettings in(File("bad.ini"));
        S loaded;
        in.Load(loaded);
        EXPECT_EQ(Stored(loaded, "badagain.ini").Values(key), def) << "bad value \"" << bad << "\"";
      }
    }
  }

  std::string dir_;
  static inline int counter_ = 0;
};

TEST_F(SettingsTest, EveryKeyOfEverySectionReadsBackAndBadValuesKeepTheDefault) {
  CheckSection<TToolsSettings>();
  CheckSection<TMainWindowSettings>();
  CheckSection<TPropertiesSettings>();
  CheckSection<TNewsSettings>();
  CheckSection<TNewsDateSettings>();
  CheckSection<TToolBarSettings>();
  CheckSection<TRecordingSettings>();
  CheckSection<TPlaySettings>();
  CheckSection<TEditorSettings>();
  CheckSection<TEffectsSettings>();
  CheckSection<TDynamicVelocitySettings>();
  CheckSection<TMusicSettings>();
  CheckSection<TMailSettings>();
  CheckSection<TDevicesSettings>();
  CheckSection<TNoteNameSettings>();
}

TEST_F(SettingsTest, MissingOrDamagedFileGivesTheDefaults) {
  TMainWindowSettings defaults;
  const TStringList expected = Stored(defaults, "expected.ini");
  {
    std::ofstream damaged(File("damaged.ini"), std::ios::binary);
    damaged << "\x01\xff[FProgramModule\n=\nWindowState\n[\x00\x02]]\nToolsHeight==\n\xfe\xfe";
  }
  for (const char* name : {"missing.ini", "damaged.ini"}) {
    SCOPED_TRACE(name);
    TSettings settings(File(name));
    TMainWindowSettings loaded;
    loaded.ToolsHeight = 5;
    settings.Load(loaded);
    EXPECT_EQ(Stored(loaded, "loaded.ini"), expected);
  }
}

TEST_F(SettingsTest, ValuesOutOfBoundsKeepTheDefault) {
  struct TCase {
    const char* Key;
    const char* Value;
  };
  for (const TCase& c : {TCase{"ToolsHeight", "-1"}, TCase{"ActiveTool", "13"}, TCase{"ActiveTool", "-1"},
                         TCase{"WindowState", "wsHuge"}, TCase{"NotesAttached", "yes"}}) {
    SCOPED_TRACE(std::string(c.Key) + "=" + c.Value);
    std::remove(File("bounds.ini").c_str());
    TSettings settings(File("bounds.ini"));
    settings.Ini().WriteString("FProgramModule", c.Key, c.Value);
    TMainWindowSettings loaded;
    settings.Load(loaded);
    TMainWindowSettings defaults;
    EXPECT_EQ(Stored(loaded, "a.ini"), Stored(defaults, "b.ini"));
  }
}

TEST_F(SettingsTest, BackupAndAutoSaveValuesOutOfBoundsKeepTheDefault) {
  // A backup limit below one would delete the newest copy; an interval of
  // no time would save at every tick.
  for (const char* key : {"CountBackUp", "AutoSaveInterval"})
    for (const char* value : {"0", "-3", "1000000"}) {
      SCOPED_TRACE(std::string(key) + "=" + value);
      std::remove(File("editor.ini").c_str());
      TSettings settings(File("editor.ini"));
      settings.Ini().WriteString("Editor", key, value);
      TEditorSettings loaded;
      settings.Load(loaded);
      TEditorSettings defaults;
      EXPECT_EQ(Stored(loaded, "a.ini"), Stored(defaults, "b.ini"));
    }
}

TEST_F(SettingsTest, SetterWritesOnlyTheChangedKeyAndOnlyOnAChange) {
  TSettings settings(File("set.ini"));
  TEffectsSettings effects;
  EXPECT_FALSE(settings.Set(effects, &TEffectsSettings::PlayMouse, true));
  EXPECT_FALSE(settings.Ini().SectionExists("Effects"));
  EXPECT_TRUE(settings.Set(effects, &TEffectsSettings::PlayMouse, false));
  EXPECT_FALSE(effects.PlayMouse);
  // Written at once, and nothing else with it.
  TIniFile reread(File("set.ini"));
  EXPECT_EQ(reread.ReadSectionValues("Effects").Text(), "PlayMouse=0\n");
  EXPECT_TRUE(settings.Set(effects, &TEffectsSettings::Staccato, 6));
  TIniFile reread2(File("set.ini"));
  EXPECT_EQ(reread2.ReadInteger("Effects", "Staccato", 0), 6);
}

TEST_F(SettingsTest, NoteLettersAreTheFirstCharactersOfTheTrimmedNaturalNames) {
  TSettings settings(File("notes.ini"));
  settings.Ini().WriteString("Notes", "N3", " Re");
  // An empty name keeps its default letter.
  settings.Ini().WriteString("Notes", "N5", "  ");
  settings.Ini().WriteString("Notes", "N12", "");
  TNoteNameSettings names;
  settings.Load(names);
  EXPECT_EQ(names.Letters(), "CREFGAB");
}

TEST_F(SettingsTest, RestoredBoundsFurtherOffScreenThanTheFormAreMovedBack) {
  struct TCase {
    const char* Stored;
    TRect Expected;
  };
  for (const TCase& c : {TCase{"-900,20,800,600", Bounds(0, 20, 800, 600)},
                         TCase{"-700,-20,800,600", Bounds(-700, -20, 800, 600)},
                         TCase{"10,-700,800,600", Bounds(10, 0, 800, 600)},
                         TCase{"10,x,800,600", Bounds(10, 30, 800, 600)}}) {
    SCOPED_TRACE(c.Stored);
    TSettings settings(File("form.ini"));
    settings.Ini().WriteString("FTest", "Bounds", c.Stored);
    TForm form(nullptr);
    form.SetBounds(40, 30, 300, 200);
    EXPECT_TRUE(settings.RestoreBounds(form, "FTest"));
    EXPECT_EQ(form.BoundsRect(), c.Expected);
    settings.StoreBounds(form, "FTest");
    EXPECT_EQ(settings.Ini().ReadString("FTest", "Bounds", ""), FormatBounds(c.Expected));
  }
}

}  // namespace
}  // namespace qs
