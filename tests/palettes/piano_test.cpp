// The Piano and Intervals pages on a shown score: keys clicked on the
// on-screen keyboard and interval buttons clicked enter their notes at the
// view's cursor, spelled against the key signature, as chords when asked,
// and the cursor moves on after each note otherwise.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <unistd.h>

#include "../view/view_fixture.h"
#include "base/inifile.h"
#include "palettes/intervals.h"
#include "palettes/piano.h"
#include "platform/comctrls.h"
#include "platform/keys.h"
#include "platform/testdriver.h"
#include "score/marks.h"
#include "score/notes.h"
#include "score/timing.h"
#include "uikit/charbutton.h"
#include "uikit/musickeyboard.h"

namespace qs::test {
namespace {

namespace td = qs::testdriver;

struct TFakeHost : TPaletteHost {
  TQSScore* Score = nullptr;
  std::vector<std::array<int, 3>> Sounds;  // pitch, ticks, where from
  TQSScore* ActiveScore() override { return Score; }
  void SoundPitch(int pitch, int ticks, int, int, TSoundFrom from) override {
    Sounds.push_back({pitch, ticks, static_cast<int>(from)});
  }
  void SetEntryDuration(int) override {}
  void PaletteActivated(const std::string&) override {}
  void SetPaletteAttached(const std::string&, bool) override {}
  void PaletteKeyDown(uint16_t&, uint16_t) override {}
  int AskCount(const std::string&, int, int) override { return 0; }
};

class KeyPalettes : public TShownScoreTest {
 protected:
  TFakeHost Host;
  std::string File = (std::filesystem::temp_directory_path() / ("qs-piano-" + std::to_string(::getpid()) + ".ini")).string();
  std::unique_ptr<TIniFile> Settings;

  // An F major piece (B flat) of eight 4/4 measures, the cursor at the start.
  void Build(int key) {
    std::filesystem::remove(File);
    Piece = AddPiece({1}, 8);
    Mark(Piece->GetColumn(0), kind::Meter, 0, MakeMeter(4, 4));
    if (key) Mark(Measure(0), kind::Key, 0, 0, key);
    ShowScore(false);
    Host.Score = &Score;
    Settings = std::make_unique<TIniFile>(File);
    View->SetCursor(0, 0, 0, 0, 0, 0, 0, 60);
  }
  void TearDown() override {
    TShownScoreTest::TearDown();
    std::filesystem::remove(File);
  }
  std::vector<TQSNote*> NotesAt(int m, int tick) const {
    std::vector<TQSNote*> out;
    for (TQSItem* item : Measure(m)->Items)
      if (item->ItemType == kind::Note && item->TimePosition() == tick) out.push_back(static_cast<TQSNote*>(item));
    return out;
  }
  static bool HasAccidental(const TQSNote* n) {
    for (const TQSItem* a : n->Items)
      if (a->ItemType == kind::Accidental) return true;
    return false;
  }
};

// Chord mode stacks C, E and G on the cursor's place; then, with the
// chord released, A sharp 3 goes in as B (B flat is in force), sounding
// B flat, and the cursor moves on an eighth; Space enters a rest.
TEST_F(KeyPalettes, PianoKeysEnterNotesChordsAndRests) {
  Build(11);
  TFPiano piano(nullptr, TPaletteContext{&Host, Settings.get()});
  piano.SetBounds(100, 500, 900, 160);
  td::ShowAndWait(piano);
  TECMusicKeyboard& keys = *piano.MKKeyboard;
  EXPECT_EQ(keys.DurationPosition(), 3);
  EXPECT_EQ(piano.EntryDuration(), 64);
  auto clickKey = [&](int octave, int step, bool black) {
    TPoint p;
    ASSERT_TRUE(keys.GetKeyPoint(octave, step, black, 0, p));
    // White keys low on the key (the bottom row keeps the strip's value
    // only without mouse tracking); black keys near their top.
    keys.MouseTrack = false;
    td::Click(keys, black ? p.X - 1 : p.X, black ? 5 : keys.Height() - 5);
  };
  td::Click(*piano.CBChord, 8, 8);
  ASSERT_TRUE(piano.CBChord->Down());
  clickKey(5, 0, false);  // C4
  clickKey(5, 2, false);  // E4
  clickKey(5, 4, false);  // G4
  const std::vector<TQSNote*> chord = NotesAt(0, 0);
  ASSERT_EQ(chord.size(), 3u);
  EXPECT_EQ(View->CursorPosition.Tick, 0) << "building a chord keeps the cursor";
  td::Click(*piano.CBChord, 8, 8);
  View->SetCursor(0, 0, 0, 0, 0, 0, 64, 60);
  Host.Sounds.clear();
  clickKey(4, 5, true);  // the black key after A3
  const std::vector<TQSNote*> b = NotesAt(0, 64);
  ASSERT_EQ(b.size(), 1u);
  EXPECT_EQ(b[0]->Fields.Pitch, 4 * 16 + 6) << "B3";
  EXPECT_FALSE(HasAccidental(b[0]));
  ASSERT_EQ(Host.Sounds.size(), 1u);
  EXPECT_EQ(Host.Sounds[0][0], 58);
  EXPECT_EQ(Host.Sounds[0][2], static_cast<int>(TSoundFrom::Piano)) << "the piano's own sound setting decides";
  EXPECT_EQ(View->CursorPosition.Tick, 128);
  keys.SetFocus();
  td::PressKey(keys, VK_SPACE);
  bool rest = false;
  for (TQSItem* item : Measure(0)->Items) rest |= item->ItemType == kind::Pause && item->TimePosition() == 128;
  EXPECT_TRUE(rest);
  // The strip's bottom row (the strip shown from position 2) is the quarter.
  td::Click(keys, keys.KeyAreaEnd() + 5, keys.RowCount() * keys.RowHeight() - 3);
  EXPECT_EQ(piano.EntryDuration(), 128);
  EXPECT_EQ(Settings->ReadInteger("Piano", "DurationPosition", -1), 2);
}

// A drum note with a style past the list gets the standard head; with a
// style of the list, that style's head code.
TEST_F(KeyPalettes, PianoDrumNotes) {
  Build(0);
  TFPiano piano(nullptr, TPaletteContext{&Host, Settings.get()});
  td::ShowAndWait(piano);
  piano.DrumStyleChosen(99);
  ASSERT_TRUE(piano.CBDrumNote->Down());
  ASSERT_TRUE(piano.KeyClick(5, 1, 0));
  EXPECT_EQ(NotesAt(0, 0).at(0)->Fields.HeadStyle, 0);
  piano.DrumStyleChosen(1);
  ASSERT_TRUE(piano.KeyClick(5, 2, 0));
  EXPECT_EQ(NotesAt(0, 64).at(0)->Fields.HeadStyle, DrumHeadCode(1));
  EXPECT_EQ(Settings->ReadInteger("Piano", "DrumStyle", -1), 1);
}

// Interval buttons in G major: without a note before the cursor, middle
// C; then each interval counts from the note before. An F sharp carries no
// accidental (the key has it), an F a natural, a C sharp its sharp; chord
// mode stacks on the chord at the cursor, which stays; the octave offset
// adds whole octaves.
TEST_F(KeyPalettes, IntervalButtonsEnterByInterval) {
  Build(1);
  TFIntervals intervals(nullptr, TPaletteContext{&Host, Settings.get()});
  td::ShowAndWait(intervals);
  auto click = [&](int n) { td::Click(*intervals.Intervals[static_cast<size_t>(n)], 10, 8); };
  auto note = [&](int m, int tick) { return NotesAt(m, tick).at(0); };
  click(0);   // C4
  click(4);   // up a major third: E4
  click(7);   // up a fifth: B4
  EXPECT_EQ(note(0, 0)->Fields.Pitch, 0x50);
  EXPECT_EQ(note(0, 64)->Fields.Pitch, 0x52);
  EXPECT_EQ(note(0, 128)->Fields.Pitch, 0x56);
  EXPECT_EQ(View->CursorPosition.Tick, 192);
  td::Click(*intervals.CBDown, 8, 8);
  click(10);  // down a minor seventh: C sharp 4
  td::Click(*intervals.CBUp, 8, 8);
  click(1);   // D4
  click(4);   // F sharp 4
  click(1);   // G4
  td::Click(*intervals.CBDown, 8, 8);
  click(2);   // F4
  EXPECT_EQ(note(0, 192)->Fields.Pitch, 0x50);
  EXPECT_TRUE(HasAccidental(note(0, 192))) << "C sharp";
  EXPECT_EQ(note(0, 320)->Fields.Pitch, 0x53);
  EXPECT_FALSE(HasAccidental(note(0, 320))) << "F sharp is in the key";
  EXPECT_EQ(note(0, 448)->Fields.Pitch, 0x53);
  EXPECT_TRUE(HasAccidental(note(0, 448))) << "F natural";
  // Chord mode on the F: a minor third and a major third on top.
  View->SetCursor(0, 0, 0, 0, 0, 0, 448, 60);
  td::Click(*intervals.CBChordAddition, 8, 8);
  td::Click(*intervals.CBUp, 8, 8);
  click(3);   // G sharp 4
  click(4);   // C5
  EXPECT_EQ(NotesAt(0, 448).size(), 3u);
  EXPECT_EQ(View->CursorPosition.Tick, 448);
  // One octave more: a unison is the octave above the chord's top.
  td::Click(*intervals.CBChordAddition, 8, 8);
  View->SetCursor(0, 0, 0, 1, 0, 0, 0, 60);
  td::Click(*intervals.CBOctave, 8, 8);
  EXPECT_EQ(intervals.Values().IntervalOctave, 1);
  EXPECT_EQ(Settings->ReadInteger("Intervals", "IntervalOctave", -1), 1);
  Host.Sounds.clear();
  click(0);
  EXPECT_EQ(note(1, 0)->Fields.Pitch, 0x70) << "C6";
  ASSERT_EQ(Host.Sounds.size(), 1u);
  EXPECT_EQ(Host.Sounds[0][0], 84);
  EXPECT_EQ(Host.Sounds[0][2], static_cast<int>(TSoundFrom::Entry));
}

}  // namespace
}  // namespace qs::test
