#include <gtest/gtest.h>

#include "editing/deletion.h"
#include "editing/marks.h"
#include "editing/palette.h"
#include "editing_fixture.h"
#include "score/accidentals.h"

using namespace qs;
using namespace qs::test;

namespace {

class MarksTest : public TEditFixture {
 public:
  static int CountKind(const TQSMeasure* m, TQSItemType k) {
    int n = 0;
    for (TQSItem* item : m->Items) n += item->ItemType == k;
    return n;
  }
  // The accidental kinds of a note, "-" without any.
  static std::string Accidentals(const TQSNote* note) {
    std::string out;
    for (TQSItem* a : note->Items)
      if (a->ItemType == kind::Accidental) out += std::to_string(static_cast<TQSMark*>(a)->Fields.Kind);
    return out.empty() ? "-" : out;
  }
  static TQSNote* NoteAt(const TQSMeasure* m, int index) {
    int n = 0;
    for (TQSItem* item : m->Items)
      if (item->ItemType == kind::Note && n++ == index) return static_cast<TQSNote*>(item);
    return nullptr;
  }
};

TEST_F(MarksTest, ADynamicOfTheSameStaffAndTickIsUpdated) {
  AddPiece({1}, 1);
  TQSMark* forte = static_cast<TQSMark*>(CreateItemByKind(kind::Dynamics, Measure(0)));
  forte->Fields.StaffVoice = 0x01;  // voice 1 of staff 0
  forte->Fields.Kind = 3;
  Cursor(0, 0);
  const std::vector<uint8_t> before = Saved();
  EXPECT_EQ(InsertMark(Score, kind::Dynamics, 5, 0, 0, 0, 2), forte);
  EXPECT_EQ(CountKind(Measure(0), kind::Dynamics), 1);
  EXPECT_EQ(forte->Fields.Kind, 5);
  ExpectUndoRedo(before);
  // The same mark again: nothing to do, nothing recorded.
  forte = static_cast<TQSMark*>(Measure(0)->GetItem(0));
  EXPECT_EQ(InsertMark(Score, kind::Dynamics, 5, 0, 0, 0, 2), forte);
  EXPECT_EQ(Score.UndoCount(), 1);
}

TEST_F(MarksTest, KeyChangeRespellsUpToTheNextKey) {
  AddPiece({1}, 3);
  TQSMeasure* m0 = Measure(0);
  Note(m0, 0, 128, 0x53);  // F
  Note(m0, 128, 128, 0x53);
  TQSNote* sharp = Note(m0, 256, 128, 0x53);
  static_cast<TQSMark*>(CreateItemByKind(kind::Accidental, sharp))->Fields.Kind = 2;
  Note(Measure(1), 0, 128, 0x53);
  CreateItemByKind(kind::Key, Measure(2));
  Note(Measure(2), 0, 128, 0x53);
  Score.Recalculate(0);
  Score.ToneModify = true;
  Cursor(0, 0);
  const std::vector<uint8_t> before = Saved();
  InsertMark(Score, kind::Key, 1, 0, 0, 0, 2);
  EXPECT_EQ(Accidentals(NoteAt(Measure(0), 0)), "4");
  EXPECT_EQ(Accidentals(NoteAt(Measure(0), 1)), "-");
  EXPECT_EQ(Accidentals(NoteAt(Measure(0), 2)), "2");
  EXPECT_EQ(Accidentals(NoteAt(Measure(1), 0)), "4");
  EXPECT_EQ(Accidentals(NoteAt(Measure(2), 0)), "-");
  ExpectUndoRedo(before);
}


// A part of two staves in D major over four measures: the second measure
// holds the key to change (or none, D major going on) and a mix of notes
// with and without accidentals of every kind, grace notes among them; the
// third plain notes; the fourth D major again. A second part, of a staff
// of notes and one of tablature, has the same keys and a few notes.
class KeyChangeTest : public MarksTest {
 public:
  struct Written {
    uint8_t Pitch;
    int Accidental;  // -1 none
  };
  // Notes of equal length filling the measure; before the one at index
  // graceAt, a grace group of those notes.
  static void Fill(TQSMeasure* m, int staffVoice, std::initializer_list<Written> notes, int graceAt = -1,
                   std::initializer_list<Written> graces = {}) {
    const int length = 512 / static_cast<int>(notes.size());
    int time = 0, index = 0;
    auto accidental = [](TQSNote* note, int k) {
      if (k >= 0) static_cast<TQSMark*>(CreateItemByKind(kind::Accidental, note))->Fields.Kind = static_cast<uint8_t>(k);
    };
    for (const Written& w : notes) {
      if (index++ == graceAt) {
        auto* group = static_cast<TQSVorschlag*>(CreateItemByKind(kind::Vorschlag, m));
        group->Fields.Time = static_cast<uint16_t>(time);
        group->Fields.StaffVoice = static_cast<uint8_t>(staffVoice);
        for (const Written& g : graces) {
          auto* grace = static_cast<TQSNote*>(CreateItemByKind(kind::Note, group));
          grace->Fields.Time = static_cast<uint16_t>(time);
          grace->Fields.Length = grace->Fields.RealLength = 32;
          grace->Fields.Pitch = g.Pitch;
          grace->Fields.StaffVoice = static_cast<uint8_t>(staffVoice);
          accidental(grace, g.Accidental);
        }
      }
      accidental(Note(m, time, length, w.Pitch, staffVoice), w.Accidental);
      time += length;
    }
  }
  static TQSMark* Key(TQSMeasure* m, int kindCode) {
    auto* key = static_cast<TQSMark*>(CreateItemByKind(kind::Key, m));
    key->Fields.Kind = static_cast<uint8_t>(kindCode);
    return key;
  }
  // Steps of octave 5 (staff 0) and octave 3 (staff 1).
  static constexpr uint8_t C = 0x50, D = 0x51, E = 0x52, F = 0x53, G = 0x54, A = 0x55, B = 0x56;
  static constexpr uint8_t Low = 0x20;

  // The key of measure 1 of the first part, nullptr for oldKey < 0.
  TQSMark* Build(int oldKey) {
    AddPiece({2, 2}, 4);
    Score.ToneModify = true;
    Key(Measure(0), 2);
    Fill(Measure(0), 0x00, {{F, -1}, {C, -1}});
    Fill(Measure(0), 0x10, {{F - Low, -1}});
    TQSMark* key = oldKey >= 0 ? Key(Measure(1), oldKey) : nullptr;
    TQSMeasure* m = Measure(1);
    Fill(m, 0x00,
         {{F, -1}, {F, accidental::Sharp}, {F, -1}, {B, accidental::Flat}, {B, -1}, {C, accidental::DoubleSharp}, {E, accidental::DoubleFlat}, {D, accidental::Natural},
          {G, accidental::NaturalSharp}, {A, accidental::NaturalFlat}, {F, accidental::Natural}, {C, -1}, {G, -1}, {E, -1}, {A, accidental::Flat}, {B, -1}},
         12, {{F, -1}, {C, accidental::Sharp}, {G, -1}});
    // On the second staff a grace E before an E sharp of its tick, whose sharp
    // the layout has in force when it reads the grace note.
    Fill(m, 0x10,
         {{F - Low, -1}, {C - Low, accidental::Sharp}, {G - Low, -1}, {B - Low, accidental::Flat}, {E - Low, accidental::Sharp}, {F - Low, accidental::Natural},
          {F - Low, -1}, {D - Low, accidental::DoubleSharp}},
         4, {{E - Low, -1}});
    Fill(Measure(2), 0x00, {{C, -1}, {D, -1}, {E, -1}, {F, -1}, {G, -1}, {A, -1}, {B, -1}, {B, accidental::Flat}});
    Fill(Measure(2), 0x10, {{E - Low, accidental::Sharp}, {A - Low, -1}});
    Key(Measure(3), 2);
    Fill(Measure(3), 0x00, {{F, -1}, {C, -1}});
    TQSStaff* tab = Part(0, 1)->GetStaff(1);
    tab->SetTablature(true);
    tab->SetLineCount(6);
    tab->Fields.FretCount = 24;
    const uint8_t tuning[6] = {64, 59, 55, 50, 45, 40};
    for (int i = 0; i < 6; ++i) tab->SetTuning(i, tuning[i]);
    Key(Measure(0, 1), 2);
    if (oldKey >= 0) Key(Measure(1, 1), oldKey);
    Fill(Measure(1, 1), 0x00, {{F, -1}, {C, -1}, {B, accidental::Flat}, {G, accidental::Natural}});
    Fill(Measure(1, 1), 0x10, {{F - Low, -1}, {C - Low, accidental::Sharp}, {B - Low, accidental::Flat}, {G - Low, accidental::Natural}});
    Fill(Measure(2, 1), 0x00, {{F, -1}, {B, -1}});
    Fill(Measure(2, 1), 0x10, {{F - Low, -1}, {E - Low, -1}});
    Score.Recalculate(0);
    Cursor(1, 0);
    return key;
  }
  // What every note of the piece sounds, part by part, measure by measure.
  std::vector<int> Sounding() {
    std::vector<int> out;
    for (int p = 0; p < 2; ++p)
      for (int i = 0; i < Part(0, p)->MeasureCount(); ++i)
        for (TQSItem* item : Measure(i, p)->Items) {
          if (auto* note = item->ItemType == kind::Note ? dynamic_cast<TQSNote*>(item) : nullptr)
            out.push_back(note->SoundingKey);
          if (auto* group = dynamic_cast<TQSVorschlag*>(item))
            for (TQSItem* grace : group->Items) out.push_back(static_cast<TQSNote*>(grace)->SoundingKey);
        }
    return out;
  }
};

// Every key to every other one, 7 sharps and 7 flats included, put in where
// D major went on or where a key stood: every note sounds as before through
// the layout, and undo gives back the bytes.
TEST_F(KeyChangeTest, EveryKeyToEveryOtherKeepsEveryNoteSounding) {
  const int keys[] = {-1, 0, 1, 2, 5, 7, 11, 12, 14, 17};
  for (int oldKey : keys)
    for (int newKey : keys) {
      if (newKey < 0 || newKey == oldKey) continue;
      SCOPED_TRACE("key " + std::to_string(oldKey) + " to " + std::to_string(newKey));
      Score.ClearPieces();
      Score.ClearUndo();
      Build(oldKey);
      const std::vector<int> sounding = Sounding();
      const std::vector<uint8_t> before = Saved();
      TQSMark* key = InsertMark(Score, kind::Key, newKey, 0, 0, 0, 2);
      ASSERT_NE(key, nullptr);
      EXPECT_EQ(key->Fields.Kind, newKey);
      EXPECT_EQ(Sounding(), sounding);
      ExpectUndoRedo(before);
    }
}

// A key taken away, erased with the palette or deleted in the selection
// (here with the key of the second part), while the cursor stands in the
// second part's last measure: D major from the first measure takes over,
// and every note of both parts sounds as before.
TEST_F(KeyChangeTest, AKeyTakenAwayKeepsEveryNoteSounding) {
  const int keys[] = {0, 1, 2, 5, 7, 11, 12, 14, 17};
  for (bool erase : {true, false})
    for (int oldKey : keys) {
      SCOPED_TRACE(std::string(erase ? "erasing " : "deleting ") + std::to_string(oldKey));
      Score.ClearPieces();
      Score.ClearUndo();
      TQSMark* key = Build(oldKey);
      Cursor(3, 0, 0, 0, 1);
      View.CursorPosition.Page = Score.GetPiece(0)->MeasurePage(3);
      ASSERT_GT(View.CursorPosition.Page, Score.GetPiece(0)->MeasurePage(1));
      const std::vector<int> sounding = Sounding();
      const std::vector<uint8_t> before = Saved();
      if (erase) {
        EraseItem(Score, key);
      } else {
        View.Selected.clear();
        Select({key, Find<TQSMark>(Measure(1, 1))});
        EXPECT_TRUE(DeleteSelection(Score));
        EXPECT_EQ(CountKind(Measure(1, 1), kind::Key), 0);
      }
      EXPECT_EQ(CountKind(Measure(1), kind::Key), 0);
      EXPECT_EQ(Sounding(), sounding);
      ExpectUndoRedo(before);
    }
}

// A key or a clef taken away where a later system starts under it (the
// view shows it there too) is laid out again from its own measure, also
// with the cursor on a later page: nothing is left on the freed mark, and
// without respelling the key before it sounds from its measure on.
TEST_F(KeyChangeTest, AMarkTakenAwayIsLaidOutFromItsMeasure) {
  for (int markKind : {kind::Key, kind::Clef})
    for (bool erase : {true, false}) {
      SCOPED_TRACE(std::string(erase ? "erasing " : "deleting ") + (markKind == kind::Key ? "the key" : "a clef"));
      Score.ClearPieces();
      Score.ClearUndo();
      Build(1);
      Score.ToneModify = false;
      TQSMark* mark = Find<TQSMark>(Measure(1));
      if (markKind == kind::Clef) {
        mark = static_cast<TQSMark*>(CreateItemByKind(kind::Clef, Measure(1)));
        mark->Fields.Kind = 2;
        Measure(1)->Items.Remove(mark);
        Measure(1)->Items.Insert(0, mark);
        Score.Recalculate(0);
      }
      ASSERT_NE(ElementOfItem(mark), nullptr);
      ASSERT_GT(ElementOfItem(mark)->PageOf()->PageIndex, Score.GetPiece(0)->MeasurePage(1));
      Cursor(3, 0);
      View.CursorPosition.Page = Score.GetPiece(0)->MeasurePage(3);
      if (erase) {
        EraseItem(Score, mark);
      } else {
        Select({mark});
        ASSERT_TRUE(DeleteSelection(Score));
      }
      const std::vector<int> laidOut = Sounding();
      Score.Recalculate(0);
      EXPECT_EQ(laidOut, Sounding());
    }
}

// The accidentals a key change writes: the ones the new key needs, a
// natural the old key needed and the new one does not goes, and the notes
// after one that changed follow it as they did.
TEST_F(KeyChangeTest, TheAccidentalsWrittenAreTheOnesNeeded) {
  struct Case {
    const char* name;
    int oldKey, newKey;
    std::initializer_list<Written> notes;
    const char* expected;
  } cases[] = {
      {"G to C: the natural goes, the sharp now needed stays", 1, 0, {{F, accidental::Natural}, {F, -1}, {F, accidental::Sharp}}, "F F F#"},
      {"C to E flat: naturals where the key would flatten, the later E follows the first", 0, 13,
       {{E, -1}, {B, accidental::Flat}, {A, -1}, {E, -1}, {B, -1}}, "En Bb An E B"},
      {"7 sharps to 7 flats", 7, 17, {{C, -1}, {C, -1}, {D, accidental::Natural}, {E, accidental::DoubleFlat}}, "C# C Dn Ebb"},
      {"7 flats to 7 sharps", 17, 7, {{C, -1}, {G, accidental::Natural}, {G, -1}, {A, accidental::Sharp}}, "Cb Gn G A#"},
  };
  static const char* kLetters = "CDEFGAB";
  static const char* kSigns[] = {"b", "bb", "#", "x", "n", "nb", "n#"};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Score.ClearPieces();
    Score.ClearUndo();
    AddPiece({1}, 1);
    Score.ToneModify = true;
    Key(Measure(0), c.oldKey);
    Fill(Measure(0), 0x00, c.notes);
    Score.Recalculate(0);
    Cursor(0, 0);
    InsertMark(Score, kind::Key, c.newKey, 0, 0, 0, 2);
    std::string written;
    for (TQSItem* item : Measure(0)->Items) {
      if (item->ItemType != kind::Note) continue;
      if (!written.empty()) written += ' ';
      written += kLetters[PitchStep(static_cast<TQSNote*>(item)->Fields.Pitch) % 7];
      for (TQSItem* a : static_cast<TQSNote*>(item)->Items)
        if (a->ItemType == kind::Accidental) written += kSigns[static_cast<TQSMark*>(a)->Fields.Kind % 7];
    }
    EXPECT_EQ(written, c.expected);
  }
}

TEST_F(MarksTest, ThreeFourRebarsAFourFourPiece) {
  AddPiece({1}, 2);
  Note(Measure(0), 0, 256);
  Note(Measure(0), 256, 256);
  Note(Measure(1), 0, 512);
  Score.Recalculate(0);
  Cursor(0, 0);
  const std::vector<uint8_t> before = Saved();
  InsertColumnMark(Score, kind::Meter, 0, MakeMeter(3, 4), 0, 0);
  EXPECT_EQ(Timeline(Measure(0)), "N0+256 N256+128~");
  EXPECT_EQ(Timeline(Measure(1)), "N0+128 N128+256~");
  EXPECT_EQ(Timeline(Measure(2)), "N0+256 R256+128");
  EXPECT_EQ(Part()->MeasureCount(), 3);
  ExpectUndoRedo(before);
  EXPECT_EQ(Part()->MeasureCount(), 3);
}

// Re-barring keeps the time of empty measures at the end.
TEST_F(MarksTest, RebarringKeepsTheLengthOfTheMusic) {
  AddPiece({1, 1}, 4);
  Note(Measure(0), 0, 512);
  Score.Recalculate(0);
  Cursor(0, 0);
  const std::vector<uint8_t> before = Saved();
  InsertColumnMark(Score, kind::Meter, 0, MakeMeter(3, 4), 0, 0);
  EXPECT_EQ(Part(0, 0)->MeasureCount(), 6);  // 2048 ticks in measures of 384
  ASSERT_EQ(Part(0, 1)->MeasureCount(), 6);
  EXPECT_EQ(Score.GetPiece(0)->ColumnCount(), 6);
  EXPECT_EQ(Timeline(Measure(5, 1)), "R0+512");
  ExpectUndoRedo(before);
}

TEST_F(MarksTest, ANoteRepeatReplacesARestOfItsLength) {
  AddPiece({1}, 1);
  Rest(Measure(0), 0, 64);
  Rest(Measure(0), 64, 64);
  Rest(Measure(0), 128, 384);
  Score.Recalculate(0);
  Cursor(0, 0);
  TQSMark* repeat = InsertMark(Score, kind::NoteRepeat, 2, 0, 0, 0, 2);
  ASSERT_NE(repeat, nullptr);
  EXPECT_EQ(repeat->Fields.Value, 64);
  EXPECT_EQ(Timeline(Measure(0)), "X0 R64+64 R128+384");
}

TEST_F(MarksTest, JumpMarksStandAtTheMeasureEnd) {
  AddPiece({1}, 10);
  Cursor(3, 128);
  TQSMark* dc = InsertColumnMark(Score, kind::DaCapo, 0, 0, 0, 0);
  ASSERT_NE(dc, nullptr);
  EXPECT_EQ(dc->Fields.Time, 512);
}

TEST_F(MarksTest, BendShapesFollowTheVariant) {
  AddPiece({1}, 1);
  Cursor(0, 0);
  TQSBend* bend = InsertBend(Score, kind::Bend, 3, 0);
  ASSERT_NE(bend, nullptr);
  EXPECT_EQ(bend->Fields.RiseWidth, 80);
  EXPECT_EQ(bend->Fields.SecondWidth, 80);
  EXPECT_EQ(bend->Fields.ReleaseWidth, 0);
  EXPECT_EQ(bend->Fields.Height, 160);
}

}  // namespace
