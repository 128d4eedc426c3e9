// The Chords palette on a shown score: a chord built with real clicks on
// its buttons and choosers goes in at the cursor as a chord symbol or as
// the chord's notes, one undo step a click, and the kept values come back.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <unistd.h>

#include "../view/view_fixture.h"
#include "base/inifile.h"
#include "chords/chordeditor.h"
#include "chords/chordname.h"
#include "chords/choosers.h"
#include "chords/framedialogs.h"
#include "editing/chords.h"
#include "chords/chordspalette.h"
#include "platform/forms.h"
#include "platform/keys.h"
#include "platform/stdctrls.h"
#include "platform/testdriver.h"
#include "score/chordcode.h"
#include "score/notes.h"
#include "score/timing.h"
#include "uikit/charbutton.h"

namespace qs::test {
namespace {

namespace td = qs::testdriver;

struct TFakeHost : TPaletteHost {
  TQSScore* Score = nullptr;
  TQSScore* ActiveScore() override { return Score; }
  void SoundPitch(int, int, int, int, TSoundFrom) override {}
  void SetEntryDuration(int) override {}
  void PaletteActivated(const std::string&) override {}
  void SetPaletteAttached(const std::string&, bool) override {}
  void PaletteKeyDown(uint16_t&, uint16_t) override {}
  int AskCount(const std::string&, int, int) override { return 0; }
};

class ChordsPaletteTest : public TShownScoreTest {
 protected:
  TFakeHost Host;
  std::string File =
      (std::filesystem::temp_directory_path() / ("qs-chords-" + std::to_string(::getpid()) + ".ini")).string();
  std::unique_ptr<TIniFile> Settings;
  std::unique_ptr<TFChords> Palette;

  void SetUp() override {
    std::filesystem::remove(File);
    Piece = AddPiece({1}, 4);
    Mark(Piece->GetColumn(0), kind::Meter, 0, MakeMeter(4, 4));
    ShowScore(false);
    // The symbols are named as the document window names them.
    AnswerChordText(Score);
    Host.Score = &Score;
    Score.SetActiveWindow(View);
    Settings = std::make_unique<TIniFile>(File);
    Palette = std::make_unique<TFChords>(nullptr, TPaletteContext{&Host, Settings.get()});
    Palette->SetBounds(20, 600, 773, Palette->Height());
    td::ShowAndWait(*Palette);
  }
  void TearDown() override {
    Palette.reset();
    TShownScoreTest::TearDown();
    std::filesystem::remove(File);
  }

  void ClickFace(TECCharButton& b) { td::Click(b, 6, b.Height() / 2); }
  // Opens the drop-down of b and clicks the chooser's button of value.
  template <class Chooser>
  void Choose(TECCharButton& b, int value) {
    td::Click(b, b.Width() - 4, b.Height() / 2);
    Chooser* chooser = nullptr;
    for (int i = 0; i < Screen().FormCount() && !chooser; ++i) chooser = dynamic_cast<Chooser*>(Screen().Forms(i));
    ASSERT_NE(chooser, nullptr);
    td::ShowAndWait(*chooser);
    TECCharButton* button = chooser->ButtonOf(value);
    ASSERT_NE(button, nullptr);
    td::Click(*button, 6, button->Height() / 2);
    td::ProcessMessages();
  }
  std::vector<uint8_t> SymbolAtCursor() const {
    const std::vector<uint8_t>* flags = nullptr;
    View->ChordFlagsAtCursor(flags);
    if (!flags) return {};
    return std::vector<uint8_t>(flags->begin(), flags->begin() + chordcode::CodeLength(*flags));
  }
  static TQSChordTone Tone(int pitch) {
    TQSChordTone t;
    t.Pitch = static_cast<int16_t>(pitch);
    return t;
  }
  std::string ShownName() const {
    std::string name;
    for (const TQSChordFragment& f : Palette->ECChordName->ChordFragments()) name += f.Text;
    return name;
  }
};

constexpr uint8_t kC = 0x00;
const std::vector<uint8_t> kCmaj = {3, 0, kC, 0x30, 0x10};
const std::vector<uint8_t> kCmaj7 = {3, 0, kC, 0x30, 0x12};

TEST_F(ChordsPaletteTest, ABuiltChordIsEnteredAsASymbolAndAsNotesAndUndone) {
  ASSERT_EQ(Palette->Mode(), TFChords::mSymbol);
  ASSERT_TRUE(SymbolAtCursor().empty());
  const int before = Score.UndoCount();
  // "maj" on its face, then the base 7 from its drop-down: each click
  // enters the chord as it stands then.
  ClickFace(*Palette->CBChordMajor);
  EXPECT_EQ(SymbolAtCursor(), kCmaj);
  Choose<TFChooseChordBase>(*Palette->CBChordBase, 2);
  EXPECT_EQ(SymbolAtCursor(), kCmaj7);
  EXPECT_EQ(ShownName(), "Cmaj7");
  EXPECT_EQ(Score.UndoCount(), before + 2);
  // The second click replaced the symbol; undoing it brings back the first.
  Score.Undo(1);
  EXPECT_EQ(SymbolAtCursor(), kCmaj);
  Score.Undo(1);
  EXPECT_TRUE(SymbolAtCursor().empty());

  // As notes: the mode button, then the root's face enters C E G B.
  ClickFace(*Palette->CBChordAddition);
  ASSERT_EQ(Palette->Mode(), TFChords::mNotes);
  EXPECT_FALSE(Palette->CBChordAddition->Visible());
  ClickFace(*Palette->CBChordNote);
  EXPECT_TRUE(SymbolAtCursor().empty()) << "notes mode enters no symbol";
  std::vector<TQSCursorNote> notes(11);
  ASSERT_EQ(View->NotesAtCursor(notes), 4);
  std::multiset<int> classes;
  for (int i = 0; i < 4; ++i) classes.insert(notes[static_cast<size_t>(i)].Pitch % 12);
  EXPECT_EQ(classes, (std::multiset<int>{0, 4, 7, 11}));
  Score.Undo(1);
  EXPECT_EQ(View->NotesAtCursor(notes), 0);
  EXPECT_EQ(Score.UndoCount(), before);
}

TEST_F(ChordsPaletteTest, NoChordAndTheGroupsOfTheButtons) {
  ClickFace(*Palette->CBChordMinor);
  ClickFace(*Palette->CBChordMajor);
  EXPECT_FALSE(Palette->CBChordMinor->Down()) << "one quality at a time";
  ClickFace(*Palette->CBNoChord);
  EXPECT_EQ(SymbolAtCursor(), (std::vector<uint8_t>{0, 0}));
  EXPECT_FALSE(Palette->CBChordMajor->Down());
  EXPECT_EQ(ShownName(), "N.C.");
  // Any chord button releases "N.C." before composing.
  ClickFace(*Palette->CBChordBemol);
  EXPECT_FALSE(Palette->CBNoChord->Down());
  EXPECT_EQ(SymbolAtCursor(), (std::vector<uint8_t>{2, 0, 0x20, 0x10}));
  // The removal button takes the symbol away.
  ClickFace(*Palette->CBRemoveChord);
  EXPECT_TRUE(SymbolAtCursor().empty());
}

TEST_F(ChordsPaletteTest, ChosenValuesAreKept) {
  Choose<TFChooseChordNote>(*Palette->CBChordNote, 4);           // G
  Choose<TFChooseChordAdd>(*Palette->CBChordAdds[2], 1);          // 9 raised
  EXPECT_TRUE(Palette->CBChordAdds[2]->Down());
  EXPECT_EQ(SymbolAtCursor(), (std::vector<uint8_t>{3, 0, 0x04, 0x10, 0xC1}));
  ClickFace(*Palette->CBChordAddition);  // to notes
  for (int i = 0; i < 4; ++i) Palette->StepDuration(false);
  EXPECT_EQ(Palette->Values().ChordDuration, 512);  // 32, 16, 8, then the whole note
  Palette.reset();
  Palette = std::make_unique<TFChords>(nullptr, TPaletteContext{&Host, Settings.get()});
  EXPECT_EQ(Palette->Mode(), TFChords::mNotes);
  EXPECT_TRUE(Palette->CBChordDuration->Visible());
  EXPECT_EQ(Palette->Values().ChordNote, 4);
  EXPECT_EQ(Palette->Values().ChordAdd[2], 1);
  EXPECT_EQ(Palette->Values().ChordDuration, 512);
}

TEST_F(ChordsPaletteTest, ThePagesKeysBuildAndEnterTheChord) {
  // N steps the root to D, I makes it minor, M M steps the base to 7.
  for (uint16_t key : {uint16_t('N'), uint16_t('I'), uint16_t('M'), uint16_t('M')}) EXPECT_TRUE(Palette->PageKey(key, 0, 0));
  EXPECT_EQ(SymbolAtCursor(), (std::vector<uint8_t>{3, 0, 0x01, 0x20, 0x12}));
  EXPECT_TRUE(Palette->PageKey('J', 0, 0));  // major releases minor
  EXPECT_FALSE(Palette->CBChordMinor->Down());
  EXPECT_EQ(SymbolAtCursor(), (std::vector<uint8_t>{3, 0, 0x01, 0x30, 0x12}));
  for (int i = 0; i < 4; ++i) Palette->PageKey('M', 0, 0);  // 9, 11, 13, then back to 5
  EXPECT_EQ(Palette->Values().ChordBase, 0);
  for (int i = 0; i < 6; ++i) Palette->PageKey('N', 0, 0);  // E .. B, then C
  EXPECT_EQ(Palette->Values().ChordNote, 0);
  EXPECT_TRUE(Palette->PageKey(VK_ESCAPE, 0, 0));
  EXPECT_FALSE(Palette->CBChordMajor->Down());
  EXPECT_TRUE(Palette->PageKey('R', 0, 0));
  EXPECT_EQ(Palette->Mode(), TFChords::mNotes);
  EXPECT_FALSE(Palette->PageKey('A', 0, 0)) << "no \"add\" for notes";
  EXPECT_TRUE(Palette->PageKey(VK_ADD, 0, 0));
  EXPECT_EQ(Palette->Values().ChordDuration, 128);
  EXPECT_FALSE(Palette->PageKey('N', ssCtrl, 0));
}

// Codes in the order the palette composes them: shown on the buttons they
// compose again.
TEST_F(ChordsPaletteTest, TheSymbolAtTheCursorShowsOnTheButtons) {
  const std::vector<std::vector<uint8_t>> codes = {
      kCmaj7,
      {0, 0},                                   // N.C.
      {4, 1, 0x21, 0x22, 0x12, 0x96, 0x05},      // Ebm7(b5)/A, the "b" style
      {6, 0, 0x14, 0x12, 0x42, 0x70, 0x80, 0xE3},  // F#7sus4 bracket add +13
      {4, 1, 0x06, 0x31, 0x15, 0xD1, 0x12},      // BM13(11+)/E#
      {5, 0, 0x03, 0x14, 0x53, 0x60, 0xB8},      // F11no5 raised, dim7
  };
  for (const auto& code : codes) {
    SetChordSymbol(Score, code, nullptr, 300);
    Palette->ClearChordButtons();
    Palette->CursorMoved(*View);
    EXPECT_EQ(Palette->GetChordCode(), code);
  }
  // No symbol at the cursor: the buttons are released.
  RemoveChord(Score, 0);
  Palette->CursorMoved(*View);
  EXPECT_EQ(Palette->GetChordCode(), (std::vector<uint8_t>{2, 0, 0x03, 0x14}));
  // Only symbol mode follows the cursor.
  SetChordSymbol(Score, kCmaj7, nullptr, 300);
  ClickFace(*Palette->CBChordAddition);
  Palette->CursorMoved(*View);
  EXPECT_EQ(Palette->GetChordCode(), (std::vector<uint8_t>{2, 0, 0x03, 0x14}));
}

TEST_F(ChordsPaletteTest, InNotesModeTheNotesAtTheCursorShowAsTheirChord) {
  ClickFace(*Palette->CBChordAddition);
  ASSERT_EQ(Palette->Mode(), TFChords::mNotes);
  // Dmaj7 over F#, entered as notes.
  InsertChordNotes(Score, 4, {Tone(54), Tone(57), Tone(61), Tone(62)}, 64, true);
  Palette->CursorMoved(*View);
  EXPECT_EQ(ShownName(), "Dmaj7/F#");
  EXPECT_EQ(Palette->GetChordCode(), (std::vector<uint8_t>{3, 1, 0x01, 0x30, 0x12, 0x13}));
  // Notes that make no chord leave nothing pressed.
  Score.Undo(1);
  InsertChordNotes(Score, 2, {Tone(60), Tone(61)}, 64, true);
  Palette->CursorMoved(*View);
  EXPECT_FALSE(Palette->CBChordMinor->Down());
  EXPECT_FALSE(Palette->CBChordNote1->Down());
}

// A guitar that keeps a frame for Cmaj7 and one for C major.
std::vector<std::unique_ptr<TQSGuitarDescription>> FrameGuitars() {
  std::vector<std::unique_ptr<TQSGuitarDescription>> guitars;
  auto g = std::make_unique<TQSGuitarDescription>();
  g->Name = "Test guitar";
  const uint8_t tuning[6] = {40, 45, 50, 55, 59, 64};
  for (int i = 0; i < 6; ++i) g->SetTuning(i, tuning[i]);
  for (const auto& code : {kCmaj7, kCmaj}) {
    TQSGuitarFrame* f = g->AddFrame();
    f->Code = code;
    f->SetUsedFretCount(4);
    const bool seventh = code == kCmaj7;
    const TQSFrameString strings[6] = {{40, 255, 0}, {45, 3, 3}, {50, 2, 2}, {55, 0, 0}, {59, seventh ? uint8_t(0) : uint8_t(1), seventh ? uint8_t(0) : uint8_t(1)}, {64, 0, 0}};
    for (int i = 0; i < 6; ++i) f->SetString(i, strings[i]);
  }
  guitars.push_back(std::move(g));
  return guitars;
}

TEST_F(ChordsPaletteTest, InFrameModeTheGuitarsFramesOfTheChordAreEnteredAndAFrameEditedJoinsTheGuitar) {
  auto guitars = FrameGuitars();
  Palette->UseGuitars(guitars);
  ClickFace(*Palette->CBChordAddition);
  ClickFace(*Palette->CBFrameAddition);
  ASSERT_EQ(Palette->Mode(), TFChords::mFrame);
  EXPECT_TRUE(Palette->CBDefChordAddition->Visible());
  EXPECT_TRUE(Palette->CBGuitarKind->Visible());
  EXPECT_FALSE(Palette->CBNoChord->Visible());
  // Plain C: no frame kept for it.
  EXPECT_TRUE(Palette->FrameButtons.empty());
  ClickFace(*Palette->CBChordMajor);
  ASSERT_EQ(Palette->FrameButtons.size(), 1u);
  Choose<TFChooseChordBase>(*Palette->CBChordBase, 2);
  ASSERT_EQ(Palette->FrameButtons.size(), 1u);
  const TQSGuitarFrame& kept = *guitars[0]->Frames[0];
  TQSFrameInfo info;
  EXPECT_FALSE(View->FrameAtCursor(info)) << "composing alone enters no frame";
  const int before = Score.UndoCount();
  td::ShowAndWait(*Palette);
  ClickFace(*Palette->FrameButtons[0]);
  ASSERT_TRUE(View->FrameAtCursor(info));
  EXPECT_EQ(info.Strings, kept.Strings);
  const std::vector<uint8_t>* flags = nullptr;
  View->FrameFlagsAtCursor(flags);
  ASSERT_NE(flags, nullptr);
  EXPECT_EQ(std::vector<uint8_t>(flags->begin(), flags->begin() + chordcode::CodeLength(*flags)), kCmaj7);
  EXPECT_EQ(Score.UndoCount(), before + 1);
  Score.Undo(1);
  EXPECT_FALSE(View->FrameAtCursor(info));

  // The frame at the cursor in the frame editor, saved: a second Cmaj7
  // frame of the guitar, and a second button.
  ClickFace(*Palette->FrameButtons[0]);
  std::string shown;
  td::Later([&shown] {
    if (td::WaitForModal()) {
      if (auto* editor = dynamic_cast<TFFrameEditor*>(Screen().ActiveForm())) {
        shown = editor->Caption();
        td::Click(*editor->BBSave, 5, 5);
      }
    }
  });
  ClickFace(*Palette->CBSaveChord);
  EXPECT_FALSE(shown.empty());
  ASSERT_EQ(guitars[0]->GetFrameCount(), 3);
  EXPECT_EQ(guitars[0]->Frames[2]->Code, kCmaj7);
  EXPECT_EQ(guitars[0]->Frames[2]->Strings, kept.Strings);
  EXPECT_EQ(Palette->FrameButtons.size(), 2u);
}

}  // namespace
}  // namespace qs::test
