// The Guitar palette on a shown score: frets held with real clicks enter
// the chord at the cursor and sound it, the page's keys step the entry
// value and move the cursor, the kept values come back.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <unistd.h>

#include "../view/view_fixture.h"
#include "base/inifile.h"
#include "chords/guitarpalette.h"
#include "palettes/notepickers.h"
#include "platform/forms.h"
#include "platform/keys.h"
#include "platform/testdriver.h"
#include "score/timing.h"
#include "score/notes.h"
#include "platform/stdctrls.h"
#include "uikit/charbutton.h"
#include "uikit/fretboard.h"

namespace qs::test {
namespace {

namespace td = qs::testdriver;

struct TFakeHost : TPaletteHost {
  TQSScore* Score = nullptr;
  std::vector<int> Sounds;
  std::vector<int> Modes;
  std::vector<int> Played;
  int Program = -1;
  TQSScore* ActiveScore() override { return Score; }
  std::set<TSoundFrom> SoundedFrom;
  void SoundPitch(int pitch, int, int, int mode, TSoundFrom from) override {
    Sounds.push_back(pitch);
    Modes.push_back(mode);
    SoundedFrom.insert(from);
  }
  void PlayNotes(int program, const std::vector<int>& pitches, int) override {
    Program = program;
    Played = pitches;
  }
  void SetEntryDuration(int) override {}
  void PaletteActivated(const std::string&) override {}
  void SetPaletteAttached(const std::string&, bool) override {}
  void PaletteKeyDown(uint16_t&, uint16_t) override {}
  int AskCount(const std::string&, int, int) override { return 0; }
};

class GuitarPaletteTest : public TShownScoreTest {
 protected:
  TFakeHost Host;
  std::string File =
      (std::filesystem::temp_directory_path() / ("qs-guitar-" + std::to_string(::getpid()) + ".ini")).string();
  std::unique_ptr<TIniFile> Settings;
  std::unique_ptr<TFGuitar> Palette;

  void SetUp() override {
    std::filesystem::remove(File);
    Piece = AddPiece({1}, 4);
    Mark(Piece->GetColumn(0), kind::Meter, 0, MakeMeter(4, 4));
    ShowScore(false);
    Host.Score = &Score;
    Score.SetActiveWindow(View);
    Settings = std::make_unique<TIniFile>(File);
    Palette = std::make_unique<TFGuitar>(nullptr, TPaletteContext{&Host, Settings.get()});
    Palette->SetBounds(20, 600, 773, Palette->Height());
    td::ShowAndWait(*Palette);
  }
  void TearDown() override {
    Palette.reset();
    TShownScoreTest::TearDown();
    std::filesystem::remove(File);
  }
  void Hold(int string, int fret) {
    const TPoint p = Palette->GGuitar->GetFretPoint(string, fret);
    td::Click(*Palette->GGuitar, p.X, p.Y);
  }
};

TEST_F(GuitarPaletteTest, HeldFretsEnterOneChordAtTheCursor) {
  // G major: the outer strings at the third fret, the A string at the
  // second, the rest open.
  for (auto [string, fret] : {std::pair{0, 3}, {1, 0}, {2, 0}, {3, 0}, {4, 2}, {5, 3}}) Hold(string, fret);
  std::vector<TQSCursorNote> notes(11);
  EXPECT_EQ(View->NotesAtCursor(notes), 6);
  std::set<int> classes;
  for (int i = 0; i < 6; ++i) classes.insert(notes[static_cast<size_t>(i)].Pitch % 12);
  EXPECT_EQ(classes, (std::set<int>{2, 7, 11}));
  // Every click entered and sounded what was held then: 1 + 2 + ... + 6,
  // each chord as one group (a lone note alone, then first .. last).
  EXPECT_EQ(Host.Sounds.size(), 21u);
  ASSERT_EQ(Host.Modes.size(), 21u);
  EXPECT_EQ(Host.Modes.front(), smAlone);
  EXPECT_EQ(std::vector<int>(Host.Modes.end() - 6, Host.Modes.end()),
            (std::vector<int>{smFirst, smBetween, smBetween, smBetween, smBetween, smLast}));
  EXPECT_EQ(Host.SoundedFrom, std::set<TSoundFrom>{TSoundFrom::Guitar}) << "the fretboard's own sound setting decides";
  // Clicking a held fret again lifts it: five notes are left.
  Hold(0, 3);
  EXPECT_EQ(View->NotesAtCursor(notes), 5);
  td::Click(*Palette->CBPlay, 8, 8);
  EXPECT_EQ(Host.Played.size(), 5u);
  const TQSGuitarDescription* g = Palette->CurrentGuitar();
  EXPECT_EQ(Host.Program, g ? g->Timbre : 24);
}

TEST_F(GuitarPaletteTest, PageKeysAndKeptValues) {
  EXPECT_EQ(Palette->Duration(), 64);
  for (int i = 0; i < 4; ++i) EXPECT_TRUE(Palette->PageKey(VK_SUBTRACT, 0, 0));
  EXPECT_EQ(Palette->Duration(), 512);  // 32, 16, 8, then the whole note
  EXPECT_EQ(Settings->ReadInteger("Guitar", "GuitarDuration", 0), 512);
  // The duration button steps without writing.
  td::Click(*Palette->CBGuitarDuration, 8, 8);
  EXPECT_EQ(Palette->Duration(), 256);
  EXPECT_EQ(Settings->ReadInteger("Guitar", "GuitarDuration", 0), 512);
  // The drop part of the duration button opens the note-value picker; its
  // choice is the entry value, and kept.
  const int w = Palette->CBGuitarDuration->Width();
  td::Click(*Palette->CBGuitarDuration, w - 3, 8);
  TFDuration* picker = nullptr;
  for (int i = 0; i < Screen().FormCount() && !picker; ++i) picker = dynamic_cast<TFDuration*>(Screen().Forms(i));
  ASSERT_NE(picker, nullptr);
  EXPECT_EQ(Palette->Duration(), 256) << "the drop part does not step";
  EXPECT_EQ(picker->GetDuration(), 256);
  td::Click(*picker->CBNotes[4], 8, 8);  // the sixteenth
  td::ProcessMessages();
  EXPECT_EQ(Palette->Duration(), 32);
  EXPECT_EQ(Settings->ReadInteger("Guitar", "GuitarDuration", 0), 32);
  for (int i = 0; i < Screen().FormCount(); ++i) EXPECT_EQ(dynamic_cast<TFDuration*>(Screen().Forms(i)), nullptr);
  // Ctrl+Right moves the cursor while the view has not the focus.
  const auto where = [this] { return std::pair{View->CursorPosition.Measure, View->CursorPosition.Tick}; };
  const auto before = where();
  EXPECT_TRUE(Palette->PageKey(VK_RIGHT, ssCtrl, 0));
  EXPECT_NE(where(), before);
  EXPECT_FALSE(Palette->PageKey(VK_RIGHT, 0, 0));
  // A direction chosen is kept, and comes back with the palette.
  Palette->GuitarChosen(0, 3);
  EXPECT_EQ(Palette->GGuitar->Direction(), gdRightBottom);
  Palette.reset();
  Palette = std::make_unique<TFGuitar>(nullptr, TPaletteContext{&Host, Settings.get()});
  EXPECT_EQ(Palette->GGuitar->Direction(), gdRightBottom);
  EXPECT_EQ(Palette->Duration(), 32);  // the picker's choice, not the button's step
}

TEST_F(GuitarPaletteTest, TheNotesAtTheCursorShowOnTheFretboard) {
  const TQSGuitarDescription* g = Palette->CurrentGuitar();
  if (!g) GTEST_SKIP() << "no library guitar";
  for (auto [string, fret] : {std::pair{2, 0}, {4, 2}}) Hold(string, fret);
  std::vector<int> held;
  for (int i = 0; i < 6; ++i) held.push_back(Palette->GGuitar->GetFret(i));
  // Cleared on the board (as a lesson start does), then shown again from
  // the score when the page becomes the tool.
  Palette->ResetToDefaults();
  EXPECT_EQ(Palette->GGuitar->GetFret(4), 0);
  Host.Sounds.clear();
  Palette->ApplyTool();
  std::vector<int> shown;
  for (int i = 0; i < 6; ++i) shown.push_back(Palette->GGuitar->GetFret(i));
  EXPECT_EQ(shown, held);
  EXPECT_TRUE(Host.Sounds.empty());  // showing enters nothing
}

TEST_F(GuitarPaletteTest, PlayedNotesShowAndGo) {
  const TQSGuitarDescription* g = Palette->CurrentGuitar();
  if (!g) GTEST_SKIP() << "no library guitar";
  const int n = Palette->GGuitar->StringCount(), top = g->GetTuning(n - 1);
  Palette->ShowMidiNote(0x90, top + 2);  // on the highest string, second fret
  EXPECT_EQ(Palette->GGuitar->GetFret(0), 3);
  Palette->ShowMidiNote(0xB0, top + 2);  // not a note message
  EXPECT_EQ(Palette->GGuitar->GetFret(0), 3);
  Palette->ShowMidiNote(0x80, top + 2);
  EXPECT_EQ(Palette->GGuitar->GetFret(0), 0);
  // Above the highest string's last fret: not shown.
  Palette->ShowMidiNote(0x90, top + g->FretCount + 1);
  for (int i = 0; i < n; ++i) EXPECT_EQ(Palette->GGuitar->GetFret(i), 0);
  EXPECT_TRUE(Host.Sounds.empty());
}

TEST(GuitarName, ChoiceAndNarrowedForms) {
  auto* form = new TFGuitarName(nullptr);
  form->OnClose = nullptr;
  form->OnDeactivate = nullptr;
  form->SetNames({"Six", "Twelve", "Bass"});
  form->SetGuitarIndex(2);
  form->SetDirection(1);
  int index = -1, direction = -1;
  form->OnChosen = [&](TFGuitarName*, int i, int d) { index = i, direction = d; };
  td::ShowAndWait(*form);
  td::Click(*form->CBLeftBottom, 5, 5);
  EXPECT_EQ(index, 2);
  EXPECT_EQ(direction, 2);
  EXPECT_FALSE(form->Visible());
  const int width = form->ClientWidth();
  form->SetDirectionsVisible(false);
  EXPECT_EQ(form->ClientWidth(), width - 56);
  EXPECT_FALSE(form->CBLeftTop->Visible());
  EXPECT_EQ(form->LBList->Left(), form->CBRightBottom->Left());
  delete form;
  form = new TFGuitarName(nullptr);
  form->HideDirections();
  EXPECT_EQ(form->ClientWidth(), width - 60);
  EXPECT_EQ(form->LBList->Width(), 197);
  delete form;
  td::ProcessMessages();
}

}  // namespace
}  // namespace qs::test
