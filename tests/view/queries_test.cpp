// What the view answers about the score at its cursor, and its bookmarks.
#include <gtest/gtest.h>

#include "score/marks.h"
#include "view_fixture.h"

namespace qs::test {
namespace {

constexpr uint8_t Pitch(int octave, int step) { return static_cast<uint8_t>(octave * 16 + step); }
constexpr int C = 0, D = 1, E = 2, F = 3, G = 4, A = 5, B = 6;

struct TQueryScore : TViewScore {
  explicit TQueryScore(const std::vector<int>& staves = {1}, int measures = 4) : TViewScore(staves, measures) {
    Mark(Measure(0), kind::Clef, 0, 0, 1);
  }
  TQSNote* AccidentalNote(int m, int tick, uint8_t pitch, int alteration, int staffVoice = 0) {
    TQSNote* note = Note(Measure(m), tick, 64, pitch, staffVoice);
    auto* mark = static_cast<TQSMark*>(CreateItemByKind(kind::Accidental, note));
    mark->Fields.Kind = AccidentalKindFor(alteration);
    return note;
  }
  void At(int measure, int tick, int staff = 0) { View.SetCursor(0, 0, 0, measure, staff, 0, tick, 60); }
};

TEST(ViewQueries, AccidentalOfTheKeySignature) {
  struct TCase {
    int key;
    std::array<int, 7> want;  // C D E F G A B
  };
  const TCase cases[] = {
      {0, {0, 0, 0, 0, 0, 0, 0}},
      {2, {1, 0, 0, 1, 0, 0, 0}},     // two sharps: F and C
      {7, {1, 1, 1, 1, 1, 1, 1}},
      {13, {0, 0, -1, 0, 0, -1, -1}},  // three flats: B, E and A
      {17, {-1, -1, -1, -1, -1, -1, -1}},
  };
  for (const TCase& c : cases) {
    TQueryScore s;
    if (c.key) s.Mark(s.Measure(0), kind::Key, 0, 0, c.key);
    s.Show();
    s.At(0, 0);
    for (int step = 0; step < 7; ++step)
      EXPECT_EQ(s.View.AccidentalAtCursor(step), c.want[static_cast<size_t>(step)]) << c.key << " step " << step;
  }
}

// Notes earlier in the measure on the cursor's staff change what is in
// force for their step in every octave, as the layout reads them (an
// accidental states the note's alteration); later notes and other staves
// do not.
TEST(ViewQueries, AccidentalsEarlierInTheMeasure) {
  struct TCase {
    const char* what;
    int step, want;
  };
  TQueryScore s({2}, 4);
  s.Piece->GetPart(0)->GetStaff(0)->NewVoice();
  s.Mark(s.Measure(0), kind::Key, 0, 0, 2);     // F and C sharp
  s.AccidentalNote(0, 0, Pitch(4, F), 0);        // a natural on a low F
  s.AccidentalNote(0, 64, Pitch(5, E), -1);      // an E flat
  s.AccidentalNote(0, 128, Pitch(5, E), -1, 1);  // another, in the second voice: still E flat
  s.AccidentalNote(0, 192, Pitch(5, G), 1, 0x10);  // a G sharp on the other staff
  s.AccidentalNote(0, 384, Pitch(5, B), -1);     // a B flat after the cursor
  s.AccidentalNote(1, 0, Pitch(5, F), 1);        // measure 1: an F sharp, as the key has it
  s.AccidentalNote(1, 64, Pitch(5, F), 1);       // and another
  s.Show();
  s.At(0, 256);
  const TCase cases[] = {
      {"F: the natural cancels the key's sharp", F, 0},
      {"C: the key's sharp", C, 1},
      {"E: flattened, also in the other voice", E, -1},
      {"G: sharpened on the other staff only", G, 0},
      {"B: flattened after the cursor", B, 0},
  };
  for (const TCase& c : cases) EXPECT_EQ(s.View.AccidentalAtCursor(c.step), c.want) << c.what;
  s.At(1, 256);
  EXPECT_EQ(s.View.AccidentalAtCursor(F), 1);  // F sharp: written sharps do not add up
  EXPECT_EQ(s.View.AccidentalAtCursor(9), s.View.AccidentalAtCursor(B));  // steps above 6 count as B
}

// A clef change inside a measure governs from its tick on.
TEST(ViewQueries, ClefShiftAfterAClefChangeMidMeasure) {
  TQueryScore s({2}, 4);
  s.Mark(s.Measure(0), kind::Clef, 0, 0, 4, 0x10);   // the second staff's clef
  s.Mark(s.Measure(1), kind::Clef, 256, 0, 2);       // bass clef from tick 256
  s.Show();
  struct TCase {
    int measure, tick, staff, shift;
  };
  const TCase cases[] = {
      {0, 0, 0, 0}, {1, 0, 0, 0}, {1, 255, 0, 0}, {1, 256, 0, -12}, {1, 400, 0, -12},
      {2, 0, 0, -12},  // in force from the measure start after it
      {0, 0, 1, 7}, {1, 300, 1, 7},
  };
  for (const TCase& c : cases)
    EXPECT_EQ(s.View.ClefShiftAtCursor(0, c.staff, c.measure, c.tick), c.shift)
        << c.measure << " " << c.tick << " " << c.staff;
  // Beyond the last laid-out measure: 0.
  EXPECT_EQ(s.View.ClefShiftAtCursor(0, 0, s.Piece->LastLaidOutMeasure + 1, 0), 0);
  // Negative arguments stand for the cursor's.
  s.At(1, 384);
  EXPECT_EQ(s.View.ClefShiftAtCursor(), -12);
}

TEST(ViewQueries, NotesAtTheCursor) {
  TQueryScore s;
  s.AccidentalNote(0, 128, Pitch(5, C), 0);
  s.AccidentalNote(0, 128, Pitch(5, E), -1);
  s.AccidentalNote(0, 128, Pitch(5, G), 1);
  s.Note(s.Measure(0), 256, 128, Pitch(5, A));
  s.Show();
  s.At(0, 128);
  std::vector<TQSCursorNote> notes(11);
  notes[5].Pitch = 99;
  ASSERT_EQ(s.View.NotesAtCursor(notes), 3);
  EXPECT_EQ(notes[0].Pitch, 60);
  EXPECT_EQ(notes[1].Pitch, 64 - 1);
  EXPECT_EQ(notes[1].Accidental, 50);
  EXPECT_EQ(notes[2].Pitch, 67 + 1);
  EXPECT_EQ(notes[2].Accidental, 52);
  EXPECT_EQ(notes[2].Step, G);
  EXPECT_EQ(notes[2].Octave, 5);
  EXPECT_EQ(notes[5].Pitch, 0);
}

// With Before at tick 0, the note is one that ends where the measure
// before ends.
TEST(ViewQueries, NoteAtTheCursorForAnInterval) {
  TQueryScore s;
  s.Note(s.Measure(1), 0, 256, Pitch(5, C));
  TQSNote* low = s.Note(s.Measure(1), 256, 256, Pitch(4, G));
  TQSNote* high = s.Note(s.Measure(1), 256, 256, Pitch(5, E));
  TQSNote* next = s.Note(s.Measure(2), 0, 512, Pitch(5, D));
  s.Show();
  s.At(2, 0);
  EXPECT_EQ(s.View.NoteAtCursor(true, true), high);
  EXPECT_EQ(s.View.NoteAtCursor(true, false), low);
  EXPECT_EQ(s.View.NoteAtCursor(false, true), next);
  // A selected note wins over the others.
  s.View.AddElement(low->HeadElement);
  EXPECT_EQ(s.View.NoteAtCursor(true, true), low);
}

TEST(ViewQueries, BookmarksSurviveARelayout) {
  TQueryScore s({2}, 8);
  for (int m = 0; m < 8; ++m) s.Quarters(s.Measure(m));
  s.Show(true);
  EXPECT_FALSE(s.View.HasBookmark(10));
  s.View.SetCursor(0, 0, 0, 5, 1, 0, 256, 60);
  s.View.SetBookmark(3);
  EXPECT_TRUE(s.View.HasBookmark(3));
  const TRect marker = s.View.Bookmarks[3].Marker;
  EXPECT_EQ(marker.Right - marker.Left, 9);
  EXPECT_EQ(marker.Bottom - marker.Top, 14);
  s.View.SetCursor(0, 0, 0, 1, 0, 0, 0, 60);
  s.View.SetBookmark(4);
  s.View.SetBookmark(4);  // again: one bookmark, at the newer place
  s.Score.Recalculate(0);
  s.View.GotoBookmark(3);
  EXPECT_EQ(s.View.CursorPosition.Measure, 5);
  EXPECT_EQ(s.View.CursorPosition.Staff, 1);
  EXPECT_EQ(s.View.CursorPosition.Tick, 256);
  EXPECT_EQ(s.View.ActiveStaff(), s.Piece->GetPart(0)->GetStaff(1));
  s.View.GotoBookmark(4);
  EXPECT_EQ(s.View.CursorPosition.Measure, 1);
  // The score forwards to its active view.
  EXPECT_TRUE(s.Score.HasBookmark(3));
  // A bookmark whose page is gone is dropped when its marker is recomputed.
  s.View.Bookmarks[4].Page = 7;
  s.View.UpdateBookmarkMarker(4);
  EXPECT_FALSE(s.View.HasBookmark(4));
}

}  // namespace
}  // namespace qs::test
