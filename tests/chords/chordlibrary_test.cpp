// The chord library: the shipped chords and their notes on any root, the
// library row after a restart, saving, importing and removing chords with
// "Chords.ini" written each time, names that would leave the library
// folder, the dialogs' Esc, and the all-chords drop-down's rows.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

#include "../view/view_fixture.h"
#include "base/inifile.h"
#include "base/strings.h"
#include "chords/chorddialogs.h"
#include "chords/chordeditor.h"
#include "chords/chordfile.h"
#include "chords/chordname.h"
#include "chords/chordspalette.h"
#include "editing/chords.h"
#include "platform/comctrls.h"
#include "platform/extctrls.h"
#include "platform/forms.h"
#include "platform/keys.h"
#include "platform/paths.h"
#include "platform/stdctrls.h"
#include "platform/testdriver.h"
#include "score/chordcode.h"
#include "score/marks.h"
#include "score/measure.h"
#include "score/notes.h"
#include "score/timing.h"
#include "score/units.h"
#include "uikit/charbutton.h"
#include "uikit/messagebox.h"

namespace qs::test {
namespace {

namespace fs = std::filesystem;
namespace td = qs::testdriver;

// A program folder of its own: the shipped resources beside it, the user's
// library files written into it.
class TProgramFolder {
 public:
  TProgramFolder() {
    Path = (fs::temp_directory_path() / ("qs-chordlib-" + std::to_string(::getpid()))).string() + "/";
    fs::remove_all(Path);
    fs::create_directories(Path);
    fs::create_directory_symlink(fs::path(QS_SOURCE_DIR) / "resources", Path + "resources");
    platform::SetProgramDirForTesting(Path);
  }
  ~TProgramFolder() {
    platform::SetProgramDirForTesting("");
    fs::remove_all(Path);
  }
  std::string Path;
};

// Answers the dialogs' questions from a list and records what they asked.
struct TAnswers {
  std::vector<int> Replies;
  std::vector<std::string> Asked;
  TAskEvent Event() {
    return [this](const std::string&, const std::string& text, uint8_t, uint16_t) {
      Asked.push_back(text);
      if (Replies.empty()) return static_cast<int>(mrOk);
      const int r = Replies.front();
      Replies.erase(Replies.begin());
      return r;
    };
  }
};

std::vector<std::string> IndexEntries(const std::string& path) {
  TIniFile ini(path);
  std::vector<std::string> entries;
  const int count = ini.ReadInteger("Chords", "ChordMax", 0);
  for (int i = 0; i < count; ++i) entries.push_back(ini.ReadString("Chords", "Chord" + std::to_string(i), ""));
  return entries;
}

std::vector<TQSChordFragment> Fragments(const std::vector<std::pair<std::string, int>>& texts) {
  std::vector<TQSChordFragment> out;
  for (const auto& [text, level] : texts) {
    TQSChordFragment& f = out.emplace_back();
    f.Text = text;
    f.Fields.Level = static_cast<int16_t>(level);
    f.Fields.Anchor = static_cast<uint8_t>(out.size());
  }
  return out;
}

class ChordLibraryTest : public ::testing::Test {
 protected:
  TProgramFolder Folder;
  std::unique_ptr<TFChords> Palette = std::make_unique<TFChords>(nullptr, TPaletteContext{});
  TAnswers Answers;

  void SetUp() override { Palette->Ask = Answers.Event(); }
  void Restart() {
    Palette = std::make_unique<TFChords>(nullptr, TPaletteContext{});
    Palette->Ask = Answers.Event();
  }
  TQSChordDescription* Find(const std::string& name) {
    for (const auto& c : Palette->Library())
      if (c->FileName == name) return c.get();
    return nullptr;
  }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& c : Palette->Library()) names.push_back(c->FileName);
    return names;
  }
  // A new chord saved as the properties dialog saves it.
  bool SaveNew(const std::string& fileName, const std::vector<TQSChordFragment>& name, const std::string& group) {
    auto chord = std::make_unique<TQSChordDescription>();
    TFChordProperties dialog(nullptr, nullptr, *Palette);
    dialog.Ask = Answers.Event();
    dialog.SetChord(chord.get());
    dialog.SetFileNameVisible(true);
    std::vector<TQSChordFragment> all = Fragments({{"X", 0}});
    all.insert(all.end(), name.begin(), name.end());
    dialog.CEName->SetChordFragments(all);
    dialog.EFileName->SetText(fileName);
    dialog.CBGroup->SetText(group);
    dialog.EDescription->SetText("mine");
    if (!dialog.Save()) return false;
    Palette->AddChord(std::move(chord));
    return true;
  }
};

// Each shipped chord on a root other than C keeps its sound: the notes are
// moved by their interval, spelled on the steps above the root.
TEST_F(ChordLibraryTest, ShippedChordsSoundTheSameOnEveryRoot) {
  ASSERT_GE(Palette->Library().size(), 30u);
  struct Case {
    const char* File;
    int Root;      // letter 0..6
    int Sign;      // 0, 1 sharp, 2 flat
    const char* Name;
    std::vector<std::pair<int, int>> Notes;  // step 1..7 and alteration
  };
  const Case cases[] = {
      {"Xmaj7s11", 1, 0, "Xmaj7#11", {{2, 0}, {4, 1}, {6, 0}, {1, 1}, {5, 1}}},  // D F# A C# G#
      {"Xm7", 2, 2, "Xm7", {{3, -1}, {5, -1}, {7, -1}, {2, -1}}},                 // Eb Gb Bb Db
      {"Xdim7", 0, 1, "Xdim7", {{1, 1}, {3, 0}, {5, 0}, {7, -1}}},                // C# E G Bb
      {"X7s9", 4, 0, "X7#9", {{5, 0}, {7, 0}, {2, 0}, {4, 0}, {6, 1}}},           // G B D F A#
      {"Xsus4", 6, 2, "Xsus4", {{7, -1}, {3, -1}, {4, 0}}},                       // Bb Eb F
  };
  const std::map<uint8_t, int> alteration = {{0, 0}, {kToneFlat, -1}, {kToneDoubleFlat, -2}, {kToneSharp, 1},
                                             {kToneDoubleSharp, 2}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.File);
    TQSChordDescription* chord = Find(c.File);
    ASSERT_NE(chord, nullptr);
    TFChords::EnsureLoaded(*chord);
    EXPECT_EQ(chord->GetName(), c.Name);
    Palette->SetChordNote(c.Root);
    Palette->CBChordDiesis->SetDown(c.Sign == 1);
    Palette->CBChordBemol->SetDown(c.Sign == 2);
    std::vector<std::pair<int, int>> got;
    for (const TQSChordTone& t : Palette->LibraryChordTones(*chord)) got.emplace_back(t.Step, alteration.at(t.Accidental));
    EXPECT_EQ(got, c.Notes);
  }
}

// A saved chord heads the library row, also after a restart; removing it
// rewrites "Chords.ini" so that it does not come back.
TEST_F(ChordLibraryTest, ASavedChordIsInTheRowAfterARestartAndARemovedOneIsNot) {
  const size_t shipped = Palette->Library().size();
  ASSERT_TRUE(SaveNew("Mine", Fragments({{"m", 1}, {"7", 1}, {"add11", -2}}), "My chords"));
  EXPECT_TRUE(FileExists(platform::TemplatesDir() + "Mine.chd"));
  EXPECT_EQ(IndexEntries(Folder.Path + "Chords.ini").front(), "Mine");
  Restart();
  ASSERT_EQ(Palette->Library().size(), shipped + 1);
  Palette->FillChordButtons();
  ASSERT_FALSE(Palette->ChordButtons.empty());
  EXPECT_EQ(Palette->ChordButtons.front()->Caption(), "Xm7add11");
  EXPECT_EQ(Palette->ChordButtons.front()->Hint(), "mine");
  EXPECT_EQ(Palette->Library().front()->Group, "My chords");

  Palette->RemoveLibraryChord(Find("X7"), false);
  Palette->RemoveLibraryChord(Find("Mine"), true);
  EXPECT_FALSE(FileExists(platform::TemplatesDir() + "Mine.chd"));
  Restart();
  EXPECT_EQ(Palette->Library().size(), shipped - 1);
  EXPECT_EQ(Find("X7"), nullptr);
  EXPECT_EQ(Find("Mine"), nullptr);
}

// Names that would put a file outside the library folder are refused with
// a warning; nothing is written anywhere.
TEST_F(ChordLibraryTest, LibraryNamesNeverBecomePathsOutsideTheLibrary) {
  const std::string outside = Folder.Path + "outside/";
  fs::create_directories(outside);
  for (const std::string name : {"../Escaped", "sub/Escaped", "..", ".", "/tmp/Escaped", "a\\b", "bad:name"}) {
    SCOPED_TRACE(name);
    Answers.Asked.clear();
    EXPECT_FALSE(SaveNew(name, Fragments({{"6", 1}}), ""));
    EXPECT_EQ(Answers.Asked.size(), 1u);
  }
  EXPECT_FALSE(FileExists(Folder.Path + "Escaped.chd"));
  EXPECT_TRUE(fs::is_empty(outside));
  EXPECT_EQ(Find("Escaped"), nullptr);
  // An empty name is asked for.
  Answers.Asked.clear();
  EXPECT_FALSE(SaveNew("  ", Fragments({{"6", 1}}), ""));
  ASSERT_EQ(Answers.Asked.size(), 1u);
  // A name in "Chords.ini" that points elsewhere is not read.
  {
    std::ofstream(Folder.Path + "Chords.ini") << "[Chords]\nChordMax=2\nChord0=../outside/Stolen\nChord1=X7\n";
    std::ofstream(outside + "Stolen.chd") << "x";
  }
  Restart();
  EXPECT_EQ(Names(), std::vector<std::string>{"X7"});
}

// Saving under the name of a library chord asks; No keeps the old one and
// the dialog open, Yes replaces it.
TEST_F(ChordLibraryTest, SavingOverALibraryChordAsksFirst) {
  const size_t before = Palette->Library().size();
  Answers.Replies = {mrNo};
  EXPECT_FALSE(SaveNew("X7", Fragments({{"dom", 1}}), ""));
  EXPECT_EQ(Palette->Library().size(), before);
  TFChords::EnsureLoaded(*Find("X7"));
  EXPECT_EQ(Find("X7")->GetName(), "X7");
  Answers.Replies = {mrYes};
  EXPECT_TRUE(SaveNew("X7", Fragments({{"dom", 1}}), ""));
  EXPECT_EQ(Palette->Library().size(), before);
  EXPECT_EQ(Palette->Library().front()->GetName(), "Xdom");
  Restart();
  TFChords::EnsureLoaded(*Find("X7"));
  EXPECT_EQ(Find("X7")->GetName(), "Xdom");
}

// Esc closes the properties dialog and the chord and its file stay as
// they were.
TEST_F(ChordLibraryTest, EscapeKeepsNothingThatWasNotSaved) {
  TQSChordDescription* chord = Find("Xm7");
  ASSERT_NE(chord, nullptr);
  TFChords::EnsureLoaded(*chord);
  const std::string description = chord->Description, name = chord->GetName();
  TFChordProperties dialog(nullptr, nullptr, *Palette);
  dialog.SetChord(chord);
  dialog.SetFileNameVisible(false);
  td::Later([&] {
    dialog.EDescription->SetText("changed");
    dialog.CEName->SetChordFragments(Fragments({{"X", 0}, {"changed", 1}}));
    td::KeyToModal(VK_ESCAPE);
  });
  EXPECT_EQ(dialog.ShowModal(), mrCancel);
  EXPECT_EQ(chord->Description, description);
  EXPECT_EQ(chord->GetName(), name);
  EXPECT_FALSE(FileExists(platform::TemplatesDir() + "Xm7.chd")) << "nothing was written";

  TFChordEditor editor(nullptr, nullptr);
  editor.SetFragments(Fragments({{"C", 0}, {"m", 1}}));
  td::Later([] { td::KeyToModal(VK_ESCAPE); });
  EXPECT_EQ(editor.ShowModal(), mrCancel);
  // An empty name is not taken.
  TAnswers answers;
  editor.Ask = answers.Event();
  editor.SetFragments({});
  EXPECT_FALSE(editor.Save());
  EXPECT_EQ(answers.Asked.size(), 1u);
}

// An export writes the name as edited to a file of any folder and leaves
// the library alone.
TEST_F(ChordLibraryTest, AnExportLeavesTheLibraryAlone) {
  auto chord = std::make_unique<TQSChordDescription>();
  TFChordProperties dialog(nullptr, nullptr, *Palette);
  dialog.SetChord(chord.get());
  dialog.SetExportMode(true);
  dialog.CEName->SetChordFragments(Fragments({{"X", 0}, {"7", 1}, {"b9", -2}}));
  const std::string path = Folder.Path + "out/exported.txt";
  fs::create_directories(Folder.Path + "out");
  dialog.EFileName->SetText(path);
  const std::vector<std::string> before = Names();
  EXPECT_FALSE(dialog.Save());
  EXPECT_EQ(Names(), before);
  TQSChordDescription back;
  back.ImportFromFile(Folder.Path + "out/exported.chd");
  EXPECT_EQ(back.GetName(), "X7b9");
  EXPECT_FALSE(FileExists(Folder.Path + "Chords.ini"));
}

// Importing: a missing file and a file that is no chord are told and
// stop; a chord of a name the library has is taken only when the user
// says so, and then copied into the library folder.
TEST_F(ChordLibraryTest, ImportAsksBeforeReplacingAndCopiesTheFile) {
  const std::string elsewhere = Folder.Path + "elsewhere/";
  fs::create_directories(elsewhere);
  TQSChordDescription made;
  made.Fragments = Fragments({{"alt", 1}});
  made.Description = "imported";
  made.ExportToFile(elsewhere + "X7.chd");
  made.ExportToFile(elsewhere + "Fresh.chd");
  std::ofstream(elsewhere + "junk.chd") << "not a chord";

  EXPECT_FALSE(Palette->ImportChordFiles({elsewhere + "missing.chd"}));
  EXPECT_FALSE(Palette->ImportChordFiles({elsewhere + "junk.chd"}));
  EXPECT_EQ(Answers.Asked.size(), 2u);

  const size_t before = Palette->Library().size();
  Answers.Replies = {mrNo};
  EXPECT_FALSE(Palette->ImportChordFiles({elsewhere + "X7.chd"}));
  EXPECT_EQ(Palette->Library().size(), before);
  EXPECT_FALSE(FileExists(platform::TemplatesDir() + "X7.chd"));

  Answers.Replies = {mrYes};
  EXPECT_TRUE(Palette->ImportChordFiles({elsewhere + "X7.chd", elsewhere + "Fresh.chd"}));
  EXPECT_EQ(Palette->Library().size(), before + 1);
  EXPECT_EQ(Names()[0], "Fresh");
  EXPECT_EQ(Names()[1], "X7");
  fs::remove_all(elsewhere);
  Restart();
  TFChords::EnsureLoaded(*Find("X7"));
  EXPECT_EQ(Find("X7")->Description, "imported");
  ASSERT_NE(Find("Fresh"), nullptr);
}

// The chord list removes the selected chord after asking, and its file
// when the user says so.
TEST_F(ChordLibraryTest, TheListRemovesChordsAndRewritesTheIndex) {
  ASSERT_TRUE(SaveNew("Mine", Fragments({{"9", 1}}), ""));
  TFChordList list(nullptr, nullptr, *Palette);
  list.Ask = Answers.Event();
  ASSERT_EQ(list.LVChords->ItemCaption(0), "X9");
  list.LVChords->SetItemIndex(0);
  Answers.Replies = {mrNo};
  list.RemoveChords();
  EXPECT_EQ(Names().front(), "Mine");
  Answers.Replies = {mrYes, mrYes};
  list.RemoveChords();
  EXPECT_EQ(Find("Mine"), nullptr);
  EXPECT_FALSE(FileExists(platform::TemplatesDir() + "Mine.chd"));
  const std::vector<std::string> index = IndexEntries(Folder.Path + "Chords.ini");
  EXPECT_EQ(index, Names());
  EXPECT_NE(list.LVChords->ItemCaption(0), "X9");
}

// The drop-down: 5 buttons a row up to 39 chords, 8 from 40 on; a group
// starts on a row of its own under its label, and a group after a full
// row leaves one empty row.
TEST_F(ChordLibraryTest, AllChordsRows) {
  struct Case {
    int Count;
    int PerRow, Width;
  };
  for (const Case c : {Case{39, 5, 326}, Case{40, 8, 500}}) {
    SCOPED_TRACE(c.Count);
    Palette->Library().clear();
    for (int i = 0; i < c.Count; ++i) {
      auto chord = std::make_unique<TQSChordDescription>();
      chord->FileName = "C" + std::to_string(i);
      chord->Group = i < c.PerRow ? "a" : "b";  // the first group fills one row
      chord->Loaded = true;
      Palette->Library().push_back(std::move(chord));
    }
    TFAllChords all(nullptr, *Palette);
    ASSERT_EQ(all.ChordButtons.size(), static_cast<size_t>(c.Count));
    EXPECT_EQ(all.SBChords->Width(), c.Width);
    EXPECT_EQ(all.ChordButtons[0]->Top(), 16);
    EXPECT_EQ(all.ChordButtons[static_cast<size_t>(c.PerRow) - 1]->Top(), 16);
    EXPECT_EQ(all.ChordButtons[static_cast<size_t>(c.PerRow) - 1]->Left(), 58 * (c.PerRow - 1));
    // Group "b": one empty row, its label, its first row.
    EXPECT_EQ(all.ChordButtons[static_cast<size_t>(c.PerRow)]->Top(), 16 + 19 + 19 + 16);
    ASSERT_EQ(all.GroupLabels.size(), 2u);
    EXPECT_EQ(all.GroupLabels[1]->Top(), 16 + 19 + 19);
    EXPECT_EQ(all.GroupLabels[1]->Caption(), "b");
  }
  // Groups apart only in case sort together but get labels of their own.
  Palette->Library().clear();
  for (const char* g : {"Jazz", "blues", "jazz"}) {
    auto chord = std::make_unique<TQSChordDescription>();
    chord->Group = g;
    chord->Loaded = true;
    Palette->Library().push_back(std::move(chord));
  }
  TFAllChords all(nullptr, *Palette);
  EXPECT_EQ(all.Shown()[0]->Group, "blues");
  EXPECT_EQ(all.GroupLabels.size(), 3u);
}

// On a shown score: the library row (as far as the screen holds it) enters
// a chord as a symbol named after the palette's root, and as its notes.
class ChordLibraryEntryTest : public TShownScoreTest {
 protected:
  struct THost : TPaletteHost {
    TQSScore* Score = nullptr;
    TQSScore* ActiveScore() override { return Score; }
    void SoundPitch(int, int, int, int, TSoundFrom) override {}
    void SetEntryDuration(int) override {}
    void PaletteActivated(const std::string&) override {}
    void SetPaletteAttached(const std::string&, bool) override {}
    void PaletteKeyDown(uint16_t&, uint16_t) override {}
    int AskCount(const std::string&, int, int) override { return 0; }
  } Host;
  std::unique_ptr<TProgramFolder> Folder;
  std::unique_ptr<TFChords> Palette;

  void SetUp() override {
    Folder = std::make_unique<TProgramFolder>();
    Piece = AddPiece({1}, 4);
    Mark(Piece->GetColumn(0), kind::Meter, 0, MakeMeter(4, 4));
    ShowScore(false);
    Host.Score = &Score;
    Score.SetActiveWindow(View);
    Palette = std::make_unique<TFChords>(nullptr, TPaletteContext{&Host, nullptr});
  }
  void TearDown() override {
    Palette.reset();
    TShownScoreTest::TearDown();
    Folder.reset();
  }
};

TEST_F(ChordLibraryEntryTest, ALibraryButtonEntersTheChordOnTheRoot) {
  Palette->SetChordNote(3);  // F
  Palette->CBChordDiesis->SetDown(true);
  TECCharButton* button = nullptr;
  for (TECCharButton* b : Palette->ChordButtons)
    if (b->Caption() == "Xmaj7#11") button = b;
  ASSERT_NE(button, nullptr);
  button->Click();
  std::string text;
  for (TQSItem* item : Measure(0)->Items)
    if (auto* chord = dynamic_cast<TQSChord*>(item))
      for (const TQSChordFragment& f : chord->Patterns) text += f.Text;
  EXPECT_EQ(text, "F#maj7#11");

  Palette->NextMode();  // notes
  button = nullptr;
  for (TECCharButton* b : Palette->ChordButtons)
    if (b->Caption() == "Xmaj7") button = b;
  ASSERT_NE(button, nullptr);
  button->Click();
  std::vector<TQSCursorNote> notes(11);
  ASSERT_EQ(View->NotesAtCursor(notes), 4);
  std::multiset<int> classes;
  for (int i = 0; i < 4; ++i) classes.insert(notes[static_cast<size_t>(i)].Pitch % 12);
  EXPECT_EQ(classes, (std::multiset<int>{6, 10, 1, 5}));  // F# A# C# E#
}


// Saving a chord takes the notes of the first selected chord only: a
// second chord on a later beat is left out.
TEST_F(ChordLibraryEntryTest, SavingTakesTheNotesOfOneChord) {
  Palette->NextMode();  // notes
  auto click = [this](const std::string& caption) {
    for (TECCharButton* b : Palette->ChordButtons)
      if (b->Caption() == caption) return b->Click(), true;
    return false;
  };
  ASSERT_TRUE(click("Xmaj7"));  // C E G B
  View->AdvanceCursor(Palette->Values().ChordDuration);
  ASSERT_TRUE(click("X"));  // C E G, on the next beat
  View->SelectAll(0);
  TQSChordDescription chord;
  EXPECT_EQ(CopySelectedChordNotes(*View, chord), 4);
  std::multiset<int> steps;
  for (const TQSItem* item : chord.Notes) steps.insert(PitchStep(static_cast<const TQSNote*>(item)->Fields.Pitch));
  EXPECT_EQ(steps, (std::multiset<int>{0, 2, 4, 6}));
}

}  // namespace
}  // namespace qs::test
