#include <gtest/gtest.h>

#include <string>

#include "editing/selection.h"
#include "layout/spelling.h"
#include "editing/transpose.h"
#include "editing_fixture.h"

namespace qs::test {
namespace {

class TransposeTest : public TEditFixture {
 public:
  // One measure in the key (0 none, 1-7 sharps, 11-17 flats).
  TQSMeasure* KeyMeasure(int key) {
    AddPiece({1}, 1);
    if (key) static_cast<TQSMark*>(CreateItemByKind(kind::Key, Measure(0)))->Fields.Kind = static_cast<uint8_t>(key);
    return Measure(0);
  }
  static void AddAccidental(TQSNote* note, int kindCode) {
    static_cast<TQSMark*>(CreateItemByKind(kind::Accidental, note))->Fields.Kind = static_cast<uint8_t>(kindCode);
  }
  // A note as "D5b": letter, octave, then its accidental kinds
  // (b flat, bb double flat, # sharp, x double sharp, n natural, nb, n#).
  static std::string Written(const TQSNote* note) {
    static const char* kLetters = "CDEFGAB";
    std::string out(1, kLetters[PitchStep(note->Fields.Pitch) % 7]);
    out += std::to_string(PitchOctave(note->Fields.Pitch));
    static const char* kSigns[] = {"b", "bb", "#", "x", "n", "nb", "n#"};
    for (TQSItem* item : note->Items)
      if (item->ItemType == kind::Accidental) {
        const int k = static_cast<TQSMark*>(item)->Fields.Kind;
        out += k < 7 ? kSigns[k] : "?";
      }
    return out;
  }
  void SelectOnly(TQSNote* note) {
    Score.Recalculate(0);
    ASSERT_NE(ElementOf(*note), nullptr);
    View.Selected = {ElementOf(*note)};
  }
};

// The tonic of C, F sharp and B flat major transposed by every interval of
// an octave down and up: each result is spelled sharp, but C sharp as D
// flat, with the accidental the key and the measure need.
TEST_F(TransposeTest, EveryIntervalFromThreeKeys) {
  struct Context {
    int key;
    uint8_t pitch;
    const char* expected[25];  // intervals -12 .. +12
  } contexts[] = {
      {0, 0x50, {"C4", "D4b", "D4", "D4#", "E4", "F4", "F4#", "G4", "G4#", "A4", "A4#", "B4", "C5",
                 "D5b", "D5", "D5#", "E5", "F5", "F5#", "G5", "G5#", "A5", "A5#", "B5", "C6"}},
      // F sharp major: F C G D A E sharp.
      // A flat on a step the key sharpens replaces the key's sharp.
      {6, 0x53, {"F4", "G4n", "G4", "A4n", "A4", "B4", "C5n", "D5b", "D5n", "D5", "E5n", "F5n", "F5",
                 "G5n", "G5", "A5n", "A5", "B5", "C6n", "D6b", "D6n", "D6", "E6n", "F6n", "F6"}},
      // B flat major: B and E flat.
      {12, 0x56, {"A4#", "B4n", "C5", "D5b", "D5", "D5#", "E5n", "F5", "F5#", "G5", "G5#", "A5", "A5#",
                  "B5n", "C6", "D6b", "D6", "D6#", "E6n", "F6", "F6#", "G6", "G6#", "A6", "A6#"}},
  };
  for (const Context& ctx : contexts) {
    Score.ClearPieces();
    Score.ClearUndo();
    TQSMeasure* m = KeyMeasure(ctx.key);
    TQSNote* note = Note(m, 0, 512, ctx.pitch);
    SelectOnly(note);
    const int sounding = note->SoundingKey;
    const std::vector<uint8_t> before = Saved();
    for (int interval = -12; interval <= 12; ++interval) {
      Transpose(Score, interval);
      EXPECT_EQ(Written(note), ctx.expected[interval + 12]) << "key " << ctx.key << " by " << interval;
      EXPECT_EQ(note->SoundingKey, sounding + interval) << "key " << ctx.key << " by " << interval;
      EXPECT_EQ(Score.UndoCount(), 1);
      Score.Undo(1);
      EXPECT_EQ(Saved(), before);
      Score.ClearUndo();
      Score.ClearRedo();
      note = Find<TQSNote>(m);
      View.Selected = {ElementOf(*note)};
    }
  }
}

TEST_F(TransposeTest, CasesOfTheKeyAndTheMeasure) {
  struct Case {
    const char* name;
    int key;
    uint8_t pitch;
    int accidental;  // -1 none
    int interval;
    const char* expected;
  } cases[] = {
      {"C up a semitone is D flat", 0, 0x50, -1, 1, "D5b"},
      {"E up a semitone is F", 0, 0x52, -1, 1, "F5"},
      {"F in G major up a semitone is G", 1, 0x53, -1, 1, "G5"},
      {"G in G major down a semitone is F sharp by the key", 1, 0x54, -1, -1, "F5"},
      {"a sharp note counts its own sharp", 0, 0x50, 2, 1, "D5"},
      {"a double-sharp note counts both", 0, 0x50, 3, 1, "D5#"},
      {"a double-flat note counts both", 0, 0x52, 1, -2, "C5"},
      {"an octave up keeps the step", 0, 0x54, -1, 12, "G6"},
      {"an octave down keeps the step", 0, 0x54, -1, -12, "G4"},
  };
  for (const Case& c : cases) {
    Score.ClearPieces();
    Score.ClearUndo();
    TQSMeasure* m = KeyMeasure(c.key);
    TQSNote* note = Note(m, 0, 512, c.pitch);
    if (c.accidental >= 0) AddAccidental(note, c.accidental);
    SelectOnly(note);
    const std::vector<uint8_t> before = Saved();
    Transpose(Score, c.interval);
    EXPECT_EQ(Written(note), c.expected) << c.name;
    ExpectUndoRedo(before);
    Score.ClearUndo();
  }
}

TEST_F(TransposeTest, LaterNotesOfAStepSeeTheAccidentalsOfEarlierOnes) {
  TQSMeasure* m = KeyMeasure(0);
  TQSNote* first = Note(m, 0, 256, 0x50);     // C
  TQSNote* second = Note(m, 256, 256, 0x51);  // D
  Score.Recalculate(0);
  View.Selected = {ElementOf(*first), ElementOf(*second)};
  const std::vector<uint8_t> before = Saved();
  // The first becomes D flat; the second, D sharp, needs its sharp against
  // the flat now in force.
  Transpose(Score, 1);
  EXPECT_EQ(Written(first), "D5b");
  EXPECT_EQ(Written(second), "D5#");
  EXPECT_EQ(second->SoundingKey, first->SoundingKey + 2);
  ExpectUndoRedo(before);
}

// A note that was not selected keeps its pitch when a moved note before it
// changes what is in force for its step, and loses nothing it did not need
// to: C major, F F: the first up a semitone.
TEST_F(TransposeTest, NotesLeftWhereTheyWereKeepSoundingAsTheyDid) {
  TQSMeasure* m = KeyMeasure(0);
  TQSNote* first = Note(m, 0, 128, 0x53);
  TQSNote* second = Note(m, 128, 128, 0x53);
  TQSNote* third = Note(m, 256, 128, 0x54);  // G with a courtesy natural
  AddAccidental(third, 4);
  Score.Recalculate(0);
  View.Selected = {ElementOf(*first)};
  const std::vector<uint8_t> before = Saved();
  Transpose(Score, 1);
  EXPECT_EQ(Written(first), "F5#");
  EXPECT_EQ(Written(second), "F5n");
  EXPECT_EQ(Written(third), "G5n");
  EXPECT_EQ(first->SoundingKey, 66);
  EXPECT_EQ(second->SoundingKey, 65);
  ExpectUndoRedo(before);
}

// In every key, by every interval an octave down and up, the layout plays
// each moved note that many semitones away and every other note as before:
// notes with and without accidentals, several of one step, some left alone.
TEST_F(TransposeTest, TheLayoutSoundsWhatTheTranspositionMeant) {
  struct Placed {
    uint8_t pitch;
    int accidental;  // -1 none
    bool selected;
  } const placed[] = {{0x53, -1, true},  {0x53, 2, true},  {0x50, -1, false}, {0x53, -1, false},
                      {0x51, 0, true},   {0x56, -1, true}, {0x51, -1, false}, {0x54, 4, true}};
  const int keys[] = {0, 1, 2, 3, 4, 5, 6, 7, 11, 12, 13, 14, 15, 16, 17};
  for (int key : keys)
    for (int interval = -12; interval <= 12; ++interval) {
      Score.ClearPieces();
      Score.ClearUndo();
      TQSMeasure* m = KeyMeasure(key);
      std::vector<TQSNote*> notes;
      for (size_t i = 0; i < std::size(placed); ++i) {
        notes.push_back(Note(m, static_cast<int>(i) * 64, 64, placed[i].pitch));
        if (placed[i].accidental >= 0) AddAccidental(notes.back(), placed[i].accidental);
      }
      Score.Recalculate(0);
      std::vector<int> before;
      View.Selected.clear();
      for (size_t i = 0; i < notes.size(); ++i) {
        before.push_back(notes[i]->SoundingKey);
        if (placed[i].selected) View.Selected.push_back(ElementOf(*notes[i]));
      }
      Transpose(Score, interval);
      for (size_t i = 0; i < notes.size(); ++i)
        EXPECT_EQ(notes[i]->SoundingKey, before[i] + (placed[i].selected ? interval : 0))
            << "key " << key << " by " << interval << ", note " << i << " written " << Written(notes[i]);
    }
}

// A tablature note keeps its string while its fret stays on the
// fingerboard, and sounds the new key under the key signature; beyond the
// last fret the layout finds it a string and fret.
TEST_F(TransposeTest, TablatureNotesMoveTheirFret) {
  TQSMeasure* m = KeyMeasure(1);  // G major: F sharp
  TQSStaff* staff = Part()->GetStaff(0);
  staff->SetTablature(true);
  staff->SetLineCount(6);
  staff->Fields.FretCount = 12;
  const uint8_t tuning[6] = {64, 59, 55, 50, 45, 40};
  for (int i = 0; i < 6; ++i) staff->SetTuning(i, tuning[i]);
  TQSNote* note = Note(m, 0, 512);
  note->Fields.TabString = 3;
  note->Fields.TabFret = 3;  // fret 2 on D: E
  SetTablatureKey(*note, 52);
  SelectOnly(note);
  EXPECT_EQ(note->SoundingKey, 52);
  const std::vector<uint8_t> before = Saved();
  Transpose(Score, 1);  // F, which the key would sharpen
  EXPECT_EQ(note->Fields.TabString, 3);
  EXPECT_EQ(note->Fields.TabFret, 4);
  EXPECT_EQ(note->SoundingKey, 53);
  ExpectUndoRedo(before);
  note = Find<TQSNote>(m);
  View.Selected = {ElementOf(*note)};
  Score.ClearUndo();
  Transpose(Score, 12);  // fret 15 is off the fingerboard
  EXPECT_EQ(note->SoundingKey, 65);
  ASSERT_NE(note->Fields.TabFret, 0);
  EXPECT_EQ(staff->GetTuning(note->Fields.TabString) + note->Fields.TabFret - 1, 65);
}

TEST_F(TransposeTest, TheFirstNoteOfAStepInForceCountsForTheSecond) {
  TQSMeasure* m = KeyMeasure(0);
  TQSNote* first = Note(m, 0, 256, 0x53);   // F sharp
  TQSNote* second = Note(m, 256, 256, 0x53);  // F, sharp by the first
  AddAccidental(first, 2);
  Score.Recalculate(0);
  View.Selected = {ElementOf(*second)};
  Transpose(Score, 1);
  EXPECT_EQ(Written(second), "G5");
}

TEST_F(TransposeTest, NothingSelectedChangesNothing) {
  TQSMeasure* m = KeyMeasure(0);
  TQSNote* note = Note(m, 0, 512, 0x50);
  Score.Recalculate(0);
  const std::vector<uint8_t> before = Saved();
  Transpose(Score, 2);
  EXPECT_EQ(Written(note), "C5");
  EXPECT_EQ(Saved(), before);
  EXPECT_EQ(Score.UndoCount(), 0);
  EXPECT_EQ(Changed, 0);
}

TEST_F(TransposeTest, KeysBeyondTheMidiRangeAreClamped) {
  TQSMeasure* m = KeyMeasure(0);
  TQSNote* high = Note(m, 0, 256, MakePitch(10, 4));  // G10 = 127
  TQSNote* low = Note(m, 256, 256, MakePitch(0, 0));  // C0 = 0
  Score.Recalculate(0);
  View.Selected = {ElementOf(*high)};
  Transpose(Score, 5);
  EXPECT_EQ(Written(high), "G10");
  View.Selected = {ElementOf(*low)};
  Transpose(Score, -5);
  EXPECT_EQ(Written(low), "C0");
}

TEST_F(TransposeTest, AlterationInForceFollowsTheKeyOrders) {
  // Per key, the alteration of C D E F G A B.
  struct Case {
    int key;
    const char* expected;
  } cases[] = {{0, "0000000"}, {1, "000+000"}, {2, "+00+000"}, {7, "+++++++"},
               {11, "000000-"}, {12, "00-000-"}, {17, "-------"}};
  for (const Case& c : cases) {
    Score.ClearPieces();
    Score.ClearUndo();
    TQSMeasure* m = KeyMeasure(c.key);
    Score.Recalculate(0);
    std::string got;
    for (int step = 0; step < 7; ++step) {
      const int a = AlterationInForce(*m, step, 0, 0);
      got += a > 0 ? '+' : a < 0 ? '-' : '0';
    }
    EXPECT_EQ(got, c.expected) << "key " << c.key;
  }
}

}  // namespace
}  // namespace qs::test
