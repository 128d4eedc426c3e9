// The fretboard's held frets as a chord, and notes placed on strings.
#include <gtest/gtest.h>

#include <vector>

#include "chords/guitar.h"
#include "chords/guitarnotes.h"
#include "chords/guitarpalette.h"
#include "score/transport.h"

namespace qs {
namespace {

std::vector<int> Pitches(const std::vector<TQSChordTone>& tones) {
  std::vector<int> p;
  for (const TQSChordTone& t : tones) p.push_back(t.Pitch);
  return p;
}

// Standard tuning, string 0 the low E.
void Tune(TQSGuitarDescription& g, int strings = 6) {
  g.SetStringCount(strings);
  const int tuning[] = {40, 45, 50, 55, 59, 64};
  for (int i = 0; i < strings; ++i) g.SetTuning(i, static_cast<uint8_t>(tuning[i % 6] + 12 * (i / 6)));
}

TEST(FretboardChord, GMajorOnTheDefaultRowAndOnALibraryGuitar) {
  // High E and low E at the third fret, A at the second, the rest open.
  const std::vector<int> g = {4, 1, 1, 1, 3, 4};
  EXPECT_EQ(Pitches(FretboardChord(nullptr, 0, g, false)), (std::vector<int>{79, 71, 67, 62, 59, 55}));
  TQSGuitarDescription standard;
  Tune(standard);
  const std::vector<TQSChordTone> tones = FretboardChord(&standard, 0, g, false);
  EXPECT_EQ(Pitches(tones), (std::vector<int>{67, 59, 55, 50, 47, 43}));
  EXPECT_EQ(tones[0].String, 5);
  EXPECT_EQ(tones[0].Fret, 4);
  EXPECT_EQ(tones[5].String, 0);
  // A string not held gives no note.
  EXPECT_EQ(Pitches(FretboardChord(&standard, 0, {0, 0, 1, 0, 0, 0}, false)), (std::vector<int>{0, 0, 55, 0, 0, 0}));
}

TEST(FretboardChord, DefaultRowsForEveryIndex) {
  EXPECT_EQ(FretboardOpenPitch(nullptr, 0, 6, 0), 76);
  EXPECT_EQ(FretboardOpenPitch(nullptr, 1, 6, 1), 72);
  EXPECT_EQ(FretboardOpenPitch(nullptr, 7, 6, 5), 52);  // a stored index past the library
  EXPECT_EQ(FretboardOpenPitch(nullptr, 7, 6, 6), 0);
  EXPECT_EQ(FretboardOpenPitch(nullptr, 0, 6, -1), 0);
}

TEST(FretboardChord, UnisonsAreEnteredOnceAndPlayedAsHeld) {
  TQSGuitarDescription g;
  Tune(g);
  g.SetTuning(4, 64);  // the B string tuned up to E: its open string is the top E
  const std::vector<int> frets = {1, 1, 0, 0, 0, 0};
  EXPECT_EQ(Pitches(FretboardChord(&g, 0, frets, false)), (std::vector<int>{64, 0, 0, 0, 0, 0}));
  EXPECT_EQ(Pitches(FretboardChord(&g, 0, frets, true)), (std::vector<int>{64, 64, 0, 0, 0, 0}));
}

TEST(FretboardChord, PairedGuitarsOfManyStringsAndTranspositionInMidiRange) {
  // Fourteen paired courses: 28 entries, however many the strings.
  TQSGuitarDescription g;
  Tune(g, 14);
  g.Paired = 1;
  for (int i = 0; i < 14; ++i) g.SetSecondTuning(i, static_cast<uint8_t>(g.GetTuning(i) + 12));
  std::vector<int> frets(14, 0);
  frets[0] = 2;   // guitar string 13, fret 1
  frets[13] = 1;  // guitar string 0, open
  const std::vector<TQSChordTone> tones = FretboardChord(&g, 0, frets, false);
  ASSERT_EQ(tones.size(), 28u);
  EXPECT_EQ(tones[0].Pitch, g.GetTuning(13) + 1);
  EXPECT_EQ(tones[14].Pitch, g.GetTuning(13) + 13);
  EXPECT_EQ(tones[27].Pitch, 52);
  EXPECT_EQ(tones[13].Pitch, 40);
  // +2 and -5 sound three semitones lower; a sum past the keys stays a key.
  const TQSTransportRecord shifts[] = {MakeTransportRecord(2), MakeTransportRecord(-5)};
  TQSGuitarDescription t;
  Tune(t);
  t.SetTransport(2, shifts);
  EXPECT_EQ(t.TransposeSum(), -3);
  EXPECT_EQ(Pitches(FretboardChord(&t, 0, {0, 0, 0, 0, 0, 1}, true))[5], 37);
  t.SetTuning(5, 126);
  const TQSTransportRecord up[] = {MakeTransportRecord(30)};
  t.SetTransport(1, up);
  EXPECT_EQ(Pitches(FretboardChord(&t, 0, {4, 0, 0, 0, 0, 1}, true)), (std::vector<int>{127, 0, 0, 0, 0, 70}));
  t.SetTuning(0, 2);
  const TQSTransportRecord down[] = {MakeTransportRecord(-30)};
  t.SetTransport(1, down);
  EXPECT_EQ(Pitches(FretboardChord(&t, 0, {0, 0, 0, 0, 0, 1}, true))[5], 0);
}

TEST(GuitarPlaces, NotesAtTheCursorAndPlayedNotes) {
  TQSGuitarDescription g;
  Tune(g);
  // C major: C3 48, E3 52, G3 55, C4 60, E4 64, each on the highest
  // free string that reaches it (the low E stays free).
  EXPECT_EQ(PlaceOnStrings(g, 6, 24, {48, 52, 55, 60, 64}), (std::vector<int>{1, 2, 1, 3, 4, 0}));
  // Notes in the order given: the first takes the top string.
  EXPECT_EQ(PlaceOnStrings(g, 6, 24, {64, 64}), (std::vector<int>{1, 6, 0, 0, 0, 0}));
  // A first note without pitch (a rest) shows nothing.
  EXPECT_EQ(PlaceOnStrings(g, 6, 24, {0, 60}), (std::vector<int>(6, 0)));
  // Below the lowest string: left out.
  EXPECT_EQ(PlaceOnStrings(g, 6, 24, {30}), (std::vector<int>(6, 0)));
  // The highest string that reaches it.
  TFretPlace p = PlaceOneNote(g, 6, 24, 64);
  EXPECT_EQ(p.String, 0);
  EXPECT_EQ(p.Fret, 1);
  p = PlaceOneNote(g, 6, 24, 41);
  EXPECT_EQ(p.String, 5);
  EXPECT_EQ(p.Fret, 2);
  // Above the highest string's last fret: not shown.
  EXPECT_EQ(PlaceOneNote(g, 6, 24, 64 + 25).String, -1);
}

TEST(GuitarPalette, DurationSteps) {
  std::vector<int> shorter;
  for (int d = 64, i = 0; i < 7; ++i) shorter.push_back(d = StepEntryDuration(d, false));
  EXPECT_EQ(shorter, (std::vector<int>{32, 16, 8, 512, 256, 128, 64}));
  EXPECT_EQ(StepEntryDuration(512, true), 8);
  EXPECT_EQ(StepEntryDuration(8, true), 16);
}

}  // namespace
}  // namespace qs
