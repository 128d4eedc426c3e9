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
#include "../common/library_support.h"
#include "palettes/notepickers.h"
#include "palettes/notes.h"
#include "palettes/symbolpickers.h"
#include "platform/keys.h"
#include "platform/musicglyphs.h"
#include "platform/comctrls.h"
#include "platform/testdriver.h"
#include "score/marks.h"
#include "score/notes.h"
#include "score/timing.h"
#include "uikit/charbutton.h"
#include "uikit/language.h"

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
  void SoundPitch(int pitch, int ticks, int velocity, int, TSoundFrom) override {
    Sounds.push_back({pitch, ticks, velocity});
  }
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
    Piece = AddPiece({1}, 8);
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
    View->OnItemClick = [this](TObject*, TQSCalcItem* e) { Palette->ItemClick(*View, *e); };
  }
  void Press(B b) { td::Click(*Palette->Button(b), 8, 8); }
  void Press(TECCharButton* b) { td::Click(*b, 8, 8); }
  // A click into the first staff at a tick of a measure on a pitch line
  // (60 the first ledger line below, two lines to a staff space).
  void ClickStaff(int m, int tick, int line) {
    const TQSCalcMeasure& slot = *static_cast<TQSCalcMeasure*>(Piece->Slots[m]);
    const int x = View->Geometry().PageToScreen({slot.Box.Left + slot.Positions[static_cast<size_t>(tick)], 0}, 0).X;
    const int row = slot.System ? slot.System->FirstRow : 0;  // the staff row of the measure's system
    const int y = View->Geometry().PageToScreen({0, Row(0, row).TopLine}, 0).Y + (70 - line) * 3;
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
    // Undo leaves the measure empty as it was.
    Score.Undo(1);
    EXPECT_TRUE(Timed(1).empty());
  }
}

// The tools that enter marks: each click enters its mark with the value
// the palette keeps; the accolade and the multi-measure rest ask for a
// count first (cancelled: nothing), and the count asked is kept.
TEST_F(NotesPalette, MarkToolsEnterTheirMarks) {
  Settings->WriteInteger("Notes", "Tone", 3);
  Settings->WriteInteger("Notes", "Size", 0x0304);
  Settings->WriteInteger("Notes", "Clef", 2);
  MakePalette();
  struct TCase {
    B Button;
    TQSItemType Kind;
    bool Column;  // a mark of the column (every part)
    int Count;    // what the count question answers
    int Value;    // the mark's Value (-1: not checked)
    int Variant;  // its Kind byte (-1: not checked)
  };
  const TCase cases[] = {
      {B::bClef, kind::Clef, false, 0, -1, 2},
      {B::bTone, kind::Key, false, 0, -1, 3},
      {B::bSize, kind::Meter, true, 0, 0x0304, -1},
      {B::bTempo, kind::Tempo, true, 0, 120, 2},
      {B::bAccolade, kind::Accolade, false, 1, -1, 1},
      {B::bMeasurePause, kind::MultiRest, true, 0, -1, -1},  // cancelled
      {B::bMeasurePause, kind::MultiRest, true, 4, 4, -1},
  };
  int measure = 0;
  for (const TCase& c : cases) {
    SCOPED_TRACE(testing::Message() << "kind " << int(c.Kind) << " count " << c.Count);
    Press(Palette->CBPointNotes);
    Press(c.Button);
    Host.Count = c.Count;
    const size_t undo = Score.UndoList.size();
    ClickStaff(measure, 0, 64);
    const TQSMark* found = nullptr;
    for (TQSItem* item : c.Column ? Piece->GetColumn(measure)->Items : Measure(measure)->Items)
      if (item->ItemType == c.Kind) found = static_cast<const TQSMark*>(item);
    if (c.Button == B::bMeasurePause && c.Count == 0) {
      EXPECT_EQ(found, nullptr);
      EXPECT_EQ(Score.UndoList.size(), undo);
      continue;
    }
    ASSERT_NE(found, nullptr);
    if (c.Value >= 0) {
      EXPECT_EQ(found->Fields.Value, c.Value);
    }
    if (c.Variant >= 0) {
      EXPECT_EQ(found->Fields.Kind, c.Variant);
    }
    ++measure;
  }
  EXPECT_EQ(Settings->ReadInteger("Notes", "MeasurePause", 0), 4);
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
  // Modifiers only toggle, for the next item; the cursor stands at bar 3
  // now, on line 62: the note button enters there.
  Press(B::bDiesis);
  Press(B::bDot);
  EXPECT_TRUE(Palette->IsDown(B::bDiesis));
  Press(B::bNote4);
  EXPECT_FALSE(Palette->IsDown(B::bNote4));
  ASSERT_FALSE(Timed(2).empty());
  auto* note = dynamic_cast<TQSNote*>(Timed(2).front());
  ASSERT_NE(note, nullptr);
  EXPECT_EQ(note->Fields.Pitch, 0x52);
  EXPECT_EQ(note->Fields.RealLength, 192);
  EXPECT_TRUE(HasMark(note, kind::Accidental));
  Press(B::bDiesis);
  Press(B::bDot);
  EXPECT_EQ(View->CursorPosition.Measure, 2);
  EXPECT_EQ(View->CursorPosition.Tick, 192);
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

// A modifier chosen alone goes onto the note clicked: an accidental, a dot,
// a staccato mark; each is one undo step.
TEST_F(NotesPalette, AModifierAloneGoesOntoTheClickedNote) {
  struct TCase {
    B Button;
    TQSItemType Kind;  // the mark the note gets, or a mark of the measure
    bool OnNote;
  };
  const TCase cases[] = {{B::bDiesis, kind::Accidental, true},
                         {B::bDot, kind::Dot, true},
                         {B::bStaccato, kind::Staccato, false}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(int(c.Kind));
    Press(Palette->CBPointNotes);
    Press(B::bNote4);
    ClickStaff(0, 0, 62);
    Press(Palette->CBPointNotes);
    Press(c.Button);
    EXPECT_EQ(View->ArmedItem, c.Button == B::bDot ? paletteitem::Dot : paletteitem::Modifier);
    auto* note = static_cast<TQSNote*>(Timed(0).front());
    const size_t undo = Score.UndoList.size();
    const TPoint p = Centre(*note->HeadElement);
    td::Click(*View, p.X, p.Y);
    EXPECT_EQ(Score.UndoList.size(), undo + 1);
    note = static_cast<TQSNote*>(Timed(0).front());
    bool found = HasMark(note, c.Kind);
    for (TQSItem* item : Measure(0)->Items) found |= !c.OnNote && item->ItemType == c.Kind;
    EXPECT_TRUE(found);
    Score.Undo(2);
  }
}

// On a tablature staff the string's tuning and the fret give the pitch; a
// black key is spelt as the sharp below, or as the flat above D and A.
TEST_F(NotesPalette, TablatureNotesTakeTheStringAndFret) {
  TQSStaff* staff = Piece->GetPart(0)->GetStaff(0);
  staff->SetLineCount(6);
  staff->SetTablature(true);
  Layout();
  Press(B::bNote4);
  struct TCase {
    int Tuning, Fret;
    uint8_t Pitch;
  };
  const TCase cases[] = {{63, 0, 0x52}, {61, 0, 0x50}, {64, 2, 0x53}};
  int measure = 0;
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Tuning + c.Fret);
    staff->SetTuning(0, static_cast<uint8_t>(c.Tuning));
    View->CursorPosition = {0, 0, 0, measure, 0, 0, 0};
    View->CursorString = 0;
    View->CursorFret = c.Fret;
    Host.Sounds.clear();
    ASSERT_TRUE(Palette->InsertToolItem(*View, TInsertFrom::Click));
    auto* note = dynamic_cast<TQSNote*>(Timed(measure).front());
    ASSERT_NE(note, nullptr);
    EXPECT_EQ(note->Fields.Pitch, c.Pitch);
    ASSERT_EQ(Host.Sounds.size(), 1u);
    EXPECT_EQ(Host.Sounds[0][0], c.Tuning + c.Fret);
    ++measure;
  }
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
  Press(B::bPause8);  // released again: back to Point, the dot too
  EXPECT_FALSE(Palette->IsDown(B::bDot));
  EXPECT_TRUE(Palette->CBPointNotes->Down());
  EXPECT_EQ(View->ArmedItem, paletteitem::None);
  // The double whole note has no duration for the keyboard.
  Press(B::bWholeNote);
  EXPECT_EQ(Palette->GetDuration(), 0);
  EXPECT_EQ(Host.EntryDuration, 1024);
}

// The regime and the counts are kept in the section "Notes" and read back;
// a regime out of range reads as Single, another value out of its bounds
// as its default, and the regime button steps
// through Multiply, Quick and Single, writing each.
TEST_F(NotesPalette, SettingsAreKeptAndReadBack) {
  Settings->WriteInteger("Notes", "NotesRegime", 7);
  Settings->WriteInteger("Notes", "Tremolo", 3);
  Settings->WriteInteger("Notes", "Treole", 99);  // out of bounds: the default
  MakePalette();
  EXPECT_EQ(Palette->Regime(), TInputRegime::Single);
  EXPECT_EQ(Palette->UDTremolo->Position(), 3);
  EXPECT_EQ(Palette->UDTreole->Position(), 3);
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
    void Key(const char* key, int& v, int d, int, int) { v = Ini.ReadInteger("Notes", key, d); }
    void Key(const char* key, bool& v, bool d) { v = Ini.ReadBool("Notes", key, d); }
  } reader{*Settings};
  read.Visit(reader);
  EXPECT_EQ(read.Treole, 4);
  EXPECT_EQ(read.Tremolo, 3);
}


// The traps of the value buttons: the first note button is the double
// whole note (no duration for the keyboard), the grace note needs a value
// and takes the eighth when only the double whole is down, a note value
// keeps an accidental but drops an articulation, and the drum head wins
// over a slur in the modifier list.
TEST_F(NotesPalette, ValueButtonsAndTheModifierList) {
  EXPECT_EQ(Palette->Button(B::bWholeNote)->Byte(), glyphs::NoteheadDoubleWhole);
  EXPECT_EQ(Palette->Button(B::bNote)->Byte(), glyphs::NoteheadWhole);
  // The accidentals by their names in the glyph table: 65 is the double
  // flat and 66 the sharp, whatever other tables of the codes say.
  const std::pair<B, uint8_t> faces[] = {
      {B::bBemol, 64},          {B::bDoubleBemol, 65},      {B::bDiesis, 66},          {B::bDoubleDiesis, 67},
      {B::bBecarre, 68},        {B::bBecarreBemol, 69},     {B::bBecarreDiesis, 70},   {B::bPause4, 77},
      {B::bMicrotone, 230}};
  for (auto [b, code] : faces) EXPECT_EQ(Palette->Button(b)->Byte(), code) << Palette->Button(b)->Name();
  Press(B::bWholeNote);
  EXPECT_EQ(Palette->GetDuration(), 0);
  Press(B::bVorschlag);
  EXPECT_TRUE(Palette->IsDown(B::bNote8));
  EXPECT_FALSE(Palette->IsDown(B::bWholeNote));
  EXPECT_TRUE(Palette->IsDown(B::bVorschlag));
  EXPECT_EQ(Palette->ToolCursorName(), "VORSCHLAG1");
  Press(B::bPause4);
  EXPECT_EQ(Palette->GetDuration(), 128);

  struct TCase {
    std::vector<B> Pressed;
    int MicroTone;
    std::vector<int> Marks;
    int Shift;
    const char* Cursor;
  };
  const TCase cases[] = {
      {{B::bNote4, B::bDrumNote, B::bLigaUp}, 101, {40}, 0, "NOTE4"},
      {{B::bNote4, B::bLigaDown}, 101, {31}, 0, "NOTE4"},
      {{B::bMicrotone}, 133, {133}, -1, "BEMOL"},
      {{B::bMicrotone}, 136, {136}, 1, "DIESIS"},
      {{B::bNote2, B::bDot, B::bStaccato, B::bTreole}, 101, {45, 141, 88}, 0, "NOTE2"},
      {{B::bBracketStyle}, 101, {}, 0, "BRACKETSTYLE"},
      {{B::bTreole}, 101, {88}, 0, ""},  // a tuplet alone: the default cursor
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.MicroTone);
    Press(Palette->CBPointNotes);
    Palette->MicroToneChosen(c.MicroTone);
    Press(Palette->CBPointNotes);
    for (B b : c.Pressed) Press(b);
    std::vector<int> marks;
    int shift = 9, bracket = 9;
    Palette->CollectMarks(marks, shift, bracket);
    EXPECT_EQ(marks, c.Marks);
    EXPECT_EQ(shift, c.Shift);
    EXPECT_EQ(bracket, Palette->IsDown(B::bBracketStyle) ? 1 : 0);
    EXPECT_EQ(Palette->ToolCursorName(), c.Cursor);
  }
  // A quarter pressed while staccato and a sharp are down keeps the sharp.
  Press(Palette->CBPointNotes);
  Press(B::bStaccato);
  Press(B::bDiesis);
  Press(B::bNote4);
  EXPECT_TRUE(Palette->IsDown(B::bDiesis));
  EXPECT_FALSE(Palette->IsDown(B::bStaccato));
}

// Each picker drops down below its button preset with the palette's
// value; its answer is kept in the settings (found again by a new
// palette), presses the tool and arms the views.
TEST_F(NotesPalette, ThePickersAnswerIntoThePalette) {
  Palette->OpenPicker(B::bTempo);
  auto* tempo = dynamic_cast<TFChooseTempo*>(Palette->OpenedPicker());
  ASSERT_NE(tempo, nullptr);
  TECCharButton* button = Palette->Button(B::bTempo);
  const TPoint below = button->ClientToScreen({0, button->Height()});
  EXPECT_GE(tempo->Top(), below.Y - 1);
  EXPECT_EQ(tempo->GetTempoNote(), 2);
  EXPECT_EQ(tempo->GetTempo(), 120);
  tempo->SetTempoNote(3);
  tempo->ETempo->SetText("96");
  EXPECT_TRUE(Palette->IsDown(B::bTempo));
  EXPECT_EQ(View->ArmedItem, paletteitem::ColumnMark);
  // Another picker closes the first.
  Palette->OpenPicker(B::bSize);
  td::ProcessMessages();
  auto* size = dynamic_cast<TFChooseSize*>(Palette->OpenedPicker());
  ASSERT_NE(size, nullptr);
  size->SetSize(TimeWord(6, 8));
  size->CBSize->OnChange(size->CBSize);
  EXPECT_EQ(Palette->Values().Size, TimeWord(6, 8));
  EXPECT_TRUE(Palette->IsDown(B::bSize));
  td::KeyDown(*size, VK_ESCAPE);
  td::ProcessMessages();
  EXPECT_EQ(Palette->OpenedPicker(), nullptr) << "Esc closes and frees it";

  Palette->OpenPicker(B::bVorschlag);
  auto* grace = dynamic_cast<TFChooseVorschlag*>(Palette->OpenedPicker());
  ASSERT_NE(grace, nullptr);
  grace->TBDuration->SetPosition(56);  // a sixteenth
  EXPECT_EQ(Palette->Values().VorschlagDuration, 16);
  Palette->OpenPicker(B::bClef);
  auto* clef = dynamic_cast<TFChooseClef*>(Palette->OpenedPicker());
  ASSERT_NE(clef, nullptr);
  td::ShowAndWait(*clef);
  td::Click(*clef->Buttons[1], 30, 30);  // bass
  td::ProcessMessages();
  EXPECT_EQ(Palette->OpenedPicker(), nullptr);
  EXPECT_EQ(Palette->Values().Clef, 2);
  EXPECT_EQ(Palette->ToolCursorName(), "CLEFF");
  Palette->MicroToneChosen(137);
  EXPECT_EQ(Palette->Button(B::bMicrotone)->Byte(), glyphs::AccidentalFlatOneArrowUp);
  Palette->BracketStyleChosen(2);

  MakePalette();
  const TNotesSettings& v = Palette->Values();
  EXPECT_EQ(v.TempoNote, 3);
  EXPECT_EQ(v.TempoSize, 96);
  EXPECT_EQ(v.Size, TimeWord(6, 8));
  EXPECT_EQ(v.VorschlagDuration, 16);
  EXPECT_EQ(v.Clef, 2);
  EXPECT_EQ(v.MicroTone, 137);
  EXPECT_EQ(v.BracketStyle, 2);
}

// The keys of the Notes page: Enter then a digit enters that note at the
// cursor, Space a rest; a digit alone only changes a chosen value; numeric
// plus steps shorter round the seven; shared letters step through their
// buttons.
TEST_F(NotesPalette, TheLettersAndDigitsOfThePage) {
  View->SetCursorMeasureTick(0, 0, false);
  View->SetCursorLine(62);
  auto key = [&](uint16_t k, uint16_t prefix = 0, uint16_t shift = 0) { return Palette->PageKey(k, shift, prefix); };
  EXPECT_TRUE(key(VK_RETURN));
  EXPECT_TRUE(key('3', VK_RETURN));
  ASSERT_GE(Timed(0).size(), 1u);
  EXPECT_EQ(Timed(0)[0]->ItemType, kind::Note);
  EXPECT_EQ(static_cast<TQSNote*>(Timed(0)[0])->Fields.Length, 128);
  EXPECT_FALSE(Palette->IsDown(B::bNote4)) << "the button pops up again";
  EXPECT_TRUE(key('4', VK_SPACE));
  ASSERT_GE(Timed(0).size(), 2u);
  EXPECT_EQ(Timed(0)[1]->ItemType, kind::Pause);
  EXPECT_EQ(static_cast<TQSPause*>(Timed(0)[1])->Fields.Length, 64) << "entered after the note: the cursor moved on";

  key('4');
  EXPECT_FALSE(Palette->IsDown(B::bNote8) || Palette->IsDown(B::bPause8)) << "no value is down: nothing";
  Press(B::bPause2);
  EXPECT_TRUE(key('4'));
  EXPECT_TRUE(Palette->IsDown(B::bPause8));
  Press(B::bNote64);
  EXPECT_TRUE(key(VK_ADD));
  EXPECT_TRUE(Palette->IsDown(B::bNote)) << "1/64 goes round to the whole";
  EXPECT_TRUE(key(VK_SUBTRACT));
  EXPECT_TRUE(Palette->IsDown(B::bNote64));
  EXPECT_TRUE(key('P'));
  EXPECT_TRUE(Palette->IsDown(B::bPause64));
  EXPECT_TRUE(key('N'));
  EXPECT_TRUE(Palette->IsDown(B::bNote64));

  const std::vector<std::pair<uint16_t, std::vector<B>>> steps = {
      {'B', {B::bBemol, B::bDoubleBemol}}, {'D', {B::bDiesis, B::bDoubleDiesis}},
      {'U', {B::bDot, B::bDoubleDot}},     {'R', {B::bBecarre, B::bBecarreBemol, B::bBecarreDiesis}}};
  for (const auto& [k, buttons] : steps)
    for (size_t i = 0; i <= buttons.size(); ++i) {
      key(k);
      for (size_t j = 0; j < buttons.size(); ++j) EXPECT_EQ(Palette->IsDown(buttons[j]), i == j) << char(k) << i;
    }
  key('J');
  EXPECT_TRUE(Palette->IsDown(B::bTreole));
  for (int n : {4, 5, 6, 7, 8, 9, 2}) {
    key('J');
    EXPECT_EQ(Palette->Values().Treole, n);
  }
  key('S');
  EXPECT_TRUE(Palette->IsDown(B::bStaccato));
  key('S');
  EXPECT_FALSE(Palette->IsDown(B::bStaccato));
  key('C');
  EXPECT_TRUE(Palette->IsDown(B::bClef));
  key('Q');
  EXPECT_TRUE(Palette->CBPointNotes->Down());
}

// A grace note goes into a grace group before the note at the cursor with
// the palette's grace values; with a drum style the note gets its head and
// the score learns the styles.
TEST_F(NotesPalette, GraceNotesAndDrumHeads) {
  Press(B::bNote4);
  ClickStaff(0, 0, 62);
  Press(B::bVorschlag);
  ClickStaff(0, 0, 64);
  const TQSVorschlag* group = nullptr;
  for (TQSItem* item : Measure(0)->Items)
    if (item->ItemType == kind::Vorschlag) group = static_cast<const TQSVorschlag*>(item);
  ASSERT_NE(group, nullptr);
  EXPECT_FALSE(group->IsAfter());
  EXPECT_TRUE(group->IsShortStyle());
  ASSERT_EQ(group->Items.Count(), 1);
  Score.Undo(1);
  for (TQSItem* item : Measure(0)->Items) EXPECT_NE(item->ItemType, kind::Vorschlag);

  test::TProgramFolder folder(true);
  MakePalette();
  ASSERT_GE(Palette->DrumStyles().size(), 2u) << "the shipped styles";
  Palette->DrumStyleChosen(1);
  EXPECT_TRUE(Palette->IsDown(B::bDrumNote));
  Press(B::bNote4);
  EXPECT_TRUE(Palette->IsDown(B::bDrumNote));
  ClickStaff(1, 0, 64);
  const std::vector<TQSItem*> items = Timed(1);
  ASSERT_GE(items.size(), 1u);
  ASSERT_EQ(items[0]->ItemType, kind::Note);
  EXPECT_EQ(static_cast<TQSNote*>(items[0])->Fields.HeadStyle, DrumHeadCode(1));
  EXPECT_EQ(Score.DrumInstrumentCount(), static_cast<int>(Palette->DrumStyles().size()));
}

// The palette is registered for the form tools, and in every language its
// caption and every button's hint come from the language file, none left
// in English outside it.
TEST(NotesPaletteForm, RegisteredAndTranslatedInEveryLanguage) {
  RegisterPaletteForms();
  bool registered = false;
  for (const TRegisteredForm& f : RegisteredForms()) registered |= f.Name == "FNotes";
  EXPECT_TRUE(registered);
  // The program's language engine, as the main window keeps it.
  TComponent owner(nullptr);
  auto* engine = new TECLanguage(&owner);
  engine->SetLanguage("ENU");
  std::vector<std::string> english;
  {
    TFNotes palette(nullptr, TPaletteContext{});
    EXPECT_EQ(palette.Caption(), "Notes");
    EXPECT_EQ(palette.Button(B::bRepeatNote)->Hint(), "Note repeat (1/2)");
    english.push_back(palette.Caption());
    for (int b = 0; b < TFNotes::kButtonCount; ++b) english.push_back(palette.Button(static_cast<B>(b))->Hint());
  }
  for (const char* code : {"DEU", "FRA", "ITA", "RUS"}) {
    SCOPED_TRACE(code);
    engine->SetLanguage(code);
    TFNotes palette(nullptr, TPaletteContext{});
    int same = 0;
    for (int b = 0; b < TFNotes::kButtonCount; ++b) {
      const std::string hint = palette.Button(static_cast<B>(b))->Hint();
      EXPECT_FALSE(hint.empty()) << b;
      same += hint == english[static_cast<size_t>(b) + 1];
    }
    // Only the words that are the same in both (Tempo, Tremolo ...).
    EXPECT_LT(same, 6);
  }
}

}  // namespace
}  // namespace qs::test
