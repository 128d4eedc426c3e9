// The Notes palette through real clicks on its buttons and on a shown score
// view: what a click into a staff enters with the chosen value and
// modifiers, undo, the three regimes, Point and Erase, the tool cursor and
// the insertion feedback of the views, and the values kept in the settings.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <unistd.h>

#include "../view/view_fixture.h"
#include "base/inifile.h"
#include "palettes/notes.h"
#include "platform/comctrls.h"
#include "platform/testdriver.h"
#include "score/marks.h"
#include "score/notes.h"
#include "score/timing.h"
#include "uikit/charbutton.h"

namespace qs::test {
namespace {

namespace td = qs::testdriver;
using B = TFNotes::TButton;

// The main window as the palette sees it: the shown score, and a record of
// what the palette asked for.
struct TFakeHost : TPaletteHost {
  TQSScore* Score = nullptr;
  std::vector<std::array<int, 3>> Sounds;
  int EntryDuration = -1;
  int Count = 0;
  TQSScore* ActiveScore() override { return Score; }
  void SoundPitch(int pitch, int ticks, int velocity) override { Sounds.push_back({pitch, ticks, velocity}); }
  void SetEntryDuration(int ticks) override { EntryDuration = ticks; }
  void PaletteActivated(const std::string&) override {}
  void SetPaletteAttached(const std::string&, bool) override {}
  void PaletteKeyDown(uint16_t&, uint16_t) override {}
  int AskCount(const std::string&, int, int) override { return Count; }
};

std::string TempIni(const char* stem) {
  return (std::filesystem::temp_directory_path() / (stem + std::to_string(::getpid()) + ".ini")).string();
}

class NotesPalette : public TShownScoreTest {
 protected:
  TFakeHost Host;
  std::string File = TempIni("qs-notes-");
  std::unique_ptr<TIniFile> Settings;
  std::unique_ptr<TFNotes> Palette;

  void SetUp() override {
    std::filesystem::remove(File);
    Piece = AddPiece({1}, 4);
    Mark(Piece->GetColumn(0), kind::Meter, 0, MakeMeter(4, 4));
    ShowScore(false);
    Host.Score = &Score;
    Settings = std::make_unique<TIniFile>(File);
    MakePalette();
  }
  void TearDown() override {
    Palette.reset();
    TShownScoreTest::TearDown();
    std::filesystem::remove(File);
  }
  void MakePalette() {
    Palette.reset();
    Palette = std::make_unique<TFNotes>(nullptr, TPaletteContext{&Host, Settings.get()});
    Palette->SetBounds(900, 50, Palette->Width(), Palette->Height());
    td::ShowAndWait(*Palette);
    // What the document window does with the view's clicks.
    View->OnScoreClick = [this](TObject*) { Palette->InsertToolItem(*View, TInsertFrom::Click); };
    View->OnItemClick = [this](TObject*, TQSCalcItem*) { Palette->InsertToolItem(*View, TInsertFrom::Click); };
  }
  void Press(B b) { td::Click(*Palette->Button(b), 8, 8); }
  void Press(TECCharButton* b) { td::Click(*b, 8, 8); }
  // A click into the first staff at a tick of a measure on a pitch line
  // (60 the first ledger line below, two lines to a staff space).
  void ClickStaff(int m, int tick, int line) {
    const TQSCalcMeasure& slot = *static_cast<TQSCalcMeasure*>(Piece->Slots[m]);
    const int x = View->PageToScreen({slot.Box.Left + slot.Positions[static_cast<size_t>(tick)], 0}, 0).X;
    const int y = View->PageToScreen({0, Row(0, 0).TopLine}, 0).Y + (70 - line) * 3;
    td::Click(*View, x, y);
  }
  std::vector<TQSItem*> Timed(int m) const {
    std::vector<TQSItem*> out;
    for (TQSItem* item : Measure(m)->Items)
      if (item->ItemType == kind::Note || item->ItemType == kind::Pause) out.push_back(item);
    return out;
  }
  static bool HasMark(const TQSItem* item, TQSItemType type) {
    if (const auto* holder = dynamic_cast<const TQSItemHolder*>(item))
      for (const TQSItem* a : holder->Items)
        if (a->ItemType == type) return true;
    return false;
  }
};

// One click with a value and modifiers chosen enters the note or rest of
// that value at the clicked pitch, with its marks, and sounds it; undo takes
// it out again.
TEST_F(NotesPalette, AClickIntoTheStaffEntersTheChosenItem) {
  struct TCase {
    std::vector<B> Pressed;
    int Line;
    bool Rest;
    uint8_t Pitch;  // octave x 16 + step
    int Length;
    int Sound;  // MIDI pitch, -1 none
    TQSItemType Mark;  // 0 none
  };
  const TCase cases[] = {
      {{B::bNote4}, 60, false, 0x50, 128, 60, 0},                       // middle C
      {{B::bNote2}, 67, false, 0x60, 256, 72, 0},                       // an octave up
      {{B::bNote4, B::bDiesis}, 63, false, 0x53, 128, 66, kind::Accidental},    // F sharp
      {{B::bNote8, B::bDoubleBemol}, 66, false, 0x56, 64, 69, kind::Accidental},  // B double flat
      {{B::bNote8, B::bDot}, 62, false, 0x52, 96, 64, kind::Dot},       // dotted eighth E
      {{B::bNote4, B::bLigaUp}, 64, false, 0x54, 128, 67, kind::Liga},  // G tied on
      {{B::bPause4}, 64, true, 0, 128, -1, 0},
      {{B::bPause8, B::bDot}, 64, true, 0, 96, -1, kind::Dot},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(testing::Message() << "line " << c.Line << " length " << c.Length);
    Press(Palette->CBPointNotes);
    for (B b : c.Pressed) Press(b);
    Host.Sounds.clear();
    const size_t undo = Score.UndoList.size();
    ClickStaff(1, 0, c.Line);
    const std::vector<TQSItem*> items = Timed(1);
    ASSERT_FALSE(items.empty());
    TQSItem* first = items.front();
    EXPECT_EQ(first->ItemType, c.Rest ? kind::Pause : kind::Note);
    if (auto* note = dynamic_cast<TQSNote*>(first)) {
      EXPECT_EQ(note->Fields.Pitch, c.Pitch);
      EXPECT_EQ(note->Fields.RealLength, c.Length);
    } else if (auto* rest = dynamic_cast<TQSPause*>(first)) {
      EXPECT_EQ(rest->Fields.RealLength, c.Length);
    }
    if (c.Mark) {
      EXPECT_TRUE(HasMark(first, c.Mark));
    }
    if (c.Sound >= 0) {
      ASSERT_EQ(Host.Sounds.size(), 1u);
      EXPECT_EQ(Host.Sounds[0][0], c.Sound);
    } else {
      EXPECT_TRUE(Host.Sounds.empty());
    }
    ASSERT_EQ(Score.UndoList.size(), undo + 1);
    Score.Undo(1);
    EXPECT_TRUE(Timed(1).empty() || Timed(1).front()->ItemType == kind::Pause);
    EXPECT_NE(Timed(1).empty() ? nullptr : Timed(1).front(), first);
  }
}

TEST_F(NotesPalette, ATupletButtonEntersATupletNote) {
  Press(B::bNote8);
  Press(B::bTreole);  // 3 by default
  ClickStaff(0, 0, 60);
  const std::vector<TQSItem*> items = Timed(0);
  ASSERT_FALSE(items.empty());
  auto* note = dynamic_cast<TQSNote*>(items.front());
  ASSERT_NE(note, nullptr);
  EXPECT_LT(note->Fields.RealLength, 64);
  bool tuplet = false;
  for (TQSItem* item : Measure(0)->Items) tuplet |= item->ItemType == kind::Tuplet;
  EXPECT_TRUE(tuplet);
}

// Single falls back to Point after one note, Multiply keeps the value,
// Quick ignores clicks into the score and enters from its buttons at the
// cursor, moving the cursor on.
TEST_F(NotesPalette, TheThreeRegimes) {
  // Multiply is the default.
  EXPECT_EQ(Palette->Regime(), TInputRegime::Multiply);
  Press(B::bNote4);
  ClickStaff(0, 0, 60);
  EXPECT_TRUE(Palette->IsDown(B::bNote4));
  Press(Palette->CBMultiplyNotes);  // on to Quick
  EXPECT_EQ(Palette->Regime(), TInputRegime::Quick);
  EXPECT_EQ(View->ArmedItem, paletteitem::None);
  const size_t before = Timed(2).size();
  ClickStaff(2, 0, 62);
  EXPECT_EQ(Timed(2).size(), before);
  // The cursor stands at bar 3 now, on line 62: the button enters there.
  Press(B::bNote4);
  EXPECT_FALSE(Palette->IsDown(B::bNote4));
  ASSERT_FALSE(Timed(2).empty());
  auto* note = dynamic_cast<TQSNote*>(Timed(2).front());
  ASSERT_NE(note, nullptr);
  EXPECT_EQ(note->Fields.Pitch, 0x52);
  EXPECT_EQ(View->CursorPosition.Measure, 2);
  EXPECT_EQ(View->CursorPosition.Tick, 128);
  Press(Palette->CBQuickNotes);  // on to Single
  EXPECT_EQ(Palette->Regime(), TInputRegime::Single);
  Press(B::bNote2);
  ClickStaff(3, 0, 64);
  EXPECT_FALSE(Palette->IsDown(B::bNote2));
  EXPECT_TRUE(Palette->CBPointNotes->Down());
  EXPECT_EQ(Settings->ReadInteger("Notes", "NotesRegime", -1), 0);
}

TEST_F(NotesPalette, PointOnlyPlacesTheCursorAndEraseTakesOutWhatItHits) {
  Press(B::bNote4);
  ClickStaff(0, 0, 60);
  ASSERT_EQ(Timed(0).front()->ItemType, kind::Note);
  Press(Palette->CBPointNotes);
  EXPECT_FALSE(Palette->IsDown(B::bNote4));
  const size_t undo = Score.UndoList.size();
  ClickStaff(1, 0, 60);
  EXPECT_EQ(Score.UndoList.size(), undo);
  Press(Palette->CBEraseNotes);
  EXPECT_TRUE(Palette->CBEraseNotes->Down());
  EXPECT_FALSE(Palette->CBPointNotes->Down());
  auto* note = static_cast<TQSNote*>(Timed(0).front());
  const TPoint p = Centre(*note->HeadElement);
  td::Click(*View, p.X, p.Y);
  for (TQSItem* item : Timed(0)) EXPECT_NE(item->ItemType, kind::Note);
}

// Without a staff at the cursor (the click fell beside the score) nothing
// goes in and nothing breaks.
TEST_F(NotesPalette, NoStaffAtTheCursorEntersNothing) {
  Press(B::bNote4);
  View->CursorPosition.Staff = 5;
  EXPECT_FALSE(Palette->InsertToolItem(*View, TInsertFrom::Click));
  EXPECT_FALSE(Score.CanUndo());
}

// A value's modifiers stay when another value is chosen, articulations go;
// the views show the tool's cursor and insertion feedback, and the entry
// duration follows the note value.
TEST_F(NotesPalette, ChoosingValuesAndModifiers) {
  Press(B::bStaccato);
  Press(B::bDiesis);
  Press(B::bNote4);
  EXPECT_TRUE(Palette->IsDown(B::bDiesis));
  EXPECT_FALSE(Palette->IsDown(B::bStaccato));
  EXPECT_EQ(View->ArmedItem, paletteitem::Note);
  EXPECT_EQ(Host.EntryDuration, 128);
  EXPECT_EQ(Palette->GetDuration(), 128);
  EXPECT_EQ(View->ToolCursor, kToolCursorSlot);
  EXPECT_EQ(Palette->ToolCursorName(), "NOTE4");
  std::vector<int> marks;
  int shift = 0, bracket = 0;
  Palette->CollectMarks(marks, shift, bracket);
  EXPECT_EQ(marks, std::vector<int>{52});
  EXPECT_EQ(shift, 1);
  // A rest keeps the dots but not the accidental; a dot alone arms code 3.
  Press(B::bDot);
  Press(B::bPause8);
  EXPECT_TRUE(Palette->IsDown(B::bDot));
  EXPECT_FALSE(Palette->IsDown(B::bDiesis));
  EXPECT_EQ(View->ArmedItem, paletteitem::StaffMark);
  EXPECT_EQ(Host.EntryDuration, 0);
  EXPECT_EQ(Palette->GetDuration(), 64);
  Press(B::bPause8);  // released: back to Point? not while the dot... the rest's own release goes to Point
  EXPECT_TRUE(Palette->CBPointNotes->Down());
  EXPECT_EQ(View->ArmedItem, paletteitem::None);
  // The double whole note has no duration for the keyboard.
  Press(B::bWholeNote);
  EXPECT_EQ(Palette->GetDuration(), 0);
  EXPECT_EQ(Host.EntryDuration, 1024);
}

// The regime and the counts are kept in the section "Notes" and read back;
// a regime out of range reads as Single, and the regime button steps
// through Multiply, Quick and Single, writing each.
TEST_F(NotesPalette, SettingsAreKeptAndReadBack) {
  Settings->WriteInteger("Notes", "NotesRegime", 7);
  Settings->WriteInteger("Notes", "Tremolo", 3);
  MakePalette();
  EXPECT_EQ(Palette->Regime(), TInputRegime::Single);
  EXPECT_EQ(Palette->UDTremolo->Position(), 3);
  std::vector<int> written;
  for (TECCharButton* b : {Palette->CBSingleNotes, Palette->CBMultiplyNotes, Palette->CBQuickNotes}) {
    Press(b);
    written.push_back(Settings->ReadInteger("Notes", "NotesRegime", -1));
  }
  EXPECT_EQ(written, (std::vector<int>{1, 2, 0}));
  td::Click(*Palette->UDTreole, 5, 4);  // the upper arrow: 3 -> 4
  EXPECT_EQ(Palette->UDTreole->Position(), 4);
  EXPECT_EQ(Settings->ReadInteger("Notes", "Treole", 0), 4);
  // A reset shows Multiply and leaves the stored regime.
  Palette->ResetToDefaults();
  EXPECT_EQ(Palette->Regime(), TInputRegime::Multiply);
  EXPECT_EQ(Settings->ReadInteger("Notes", "NotesRegime", -1), 0);
  TNotesSettings read;
  struct TReader {
    TIniFile& Ini;
    void operator()(const char* key, int& v) { v = Ini.ReadInteger("Notes", key, v); }
    void operator()(const char* key, bool& v) { v = Ini.ReadBool("Notes", key, v); }
  } reader{*Settings};
  read.Visit(reader);
  EXPECT_EQ(read.Treole, 4);
  EXPECT_EQ(read.Tremolo, 3);
}

}  // namespace
}  // namespace qs::test
