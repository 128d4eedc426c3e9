// How the piano and the interval palette spell what they enter: the sounding
// pitch is always the one asked for, and an accidental is written only
// where the alteration in force for the letter differs from the note's.
#include <gtest/gtest.h>

#include <array>

#include "editing/entry.h"
#include "palettes/intervals.h"
#include "palettes/keyentry.h"

namespace qs::test {
namespace {

constexpr std::array<int, 7> kSemitone = {0, 2, 4, 5, 7, 9, 11};
using M = std::vector<int>;

// The alterations a key signature puts in force: sharps F C G D A E B,
// flats B E A D G C F.
std::array<int, 7> KeyAlterations(int sharps, int flats) {
  std::array<int, 7> a{};
  constexpr int sharpOrder[7] = {3, 0, 4, 1, 5, 2, 6}, flatOrder[7] = {6, 2, 5, 1, 4, 0, 3};
  for (int i = 0; i < sharps; ++i) a[static_cast<size_t>(sharpOrder[i])] = 1;
  for (int i = 0; i < flats; ++i) a[static_cast<size_t>(flatOrder[i])] = -1;
  return a;
}

// The pitch a written note sounds: its accidental, else what is in force.
int Sounding(const TKeyEntry& e, const std::array<int, 7>& inForce) {
  int alteration = inForce[static_cast<size_t>(e.Step)];
  for (int code : e.Accidentals)
    if (code == modifier::Natural) alteration = 0;
    else if (code == modifier::Sharp) alteration = 1;
    else if (code == modifier::Flat) alteration = -1;
  return e.Octave * 12 + kSemitone[static_cast<size_t>(e.Step)] + alteration;
}

// Every key signature, every interval up and down from every pitch class:
// the written note sounds the interval, carries no accidental where the
// key already gives its alteration, and a natural only where the key
// alters its letter and the note does not.
TEST(IntervalSpelling, EveryKeySignatureAndInterval) {
  for (int sig = -7; sig <= 7; ++sig) {
    const auto inForce = KeyAlterations(std::max(sig, 0), std::max(-sig, 0));
    const auto lookup = [&](int step) { return inForce[static_cast<size_t>(step)]; };
    for (int reference = 60; reference < 72; ++reference)
      for (int n = 0; n <= 24; ++n)
        for (bool up : {true, false}) {
          SCOPED_TRACE(testing::Message() << "key " << sig << " from " << reference << (up ? " up " : " down ") << n);
          const int pitch = IntervalPitch(reference, n, up, 0);
          const TKeyEntry e = SpellPitch(pitch, lookup);
          EXPECT_EQ(Sounding(e, inForce), pitch);
          const int pc = pitch % 12;
          const bool black = pc == 1 || pc == 3 || pc == 6 || pc == 8 || pc == 10;
          const int own = inForce[static_cast<size_t>(e.Step)];
          const int wanted = black ? (e.Step == 2 || e.Step == 6 ? -1 : 1) : 0;
          if (own == wanted) EXPECT_TRUE(e.Accidentals.empty());
          const bool natural = std::find(e.Accidentals.begin(), e.Accidentals.end(), modifier::Natural) !=
                               e.Accidentals.end();
          EXPECT_EQ(natural, own != 0 && own != wanted);
        }
  }
}

TEST(IntervalSpelling, NamedCases) {
  const auto none = [](int) { return 0; };
  const auto gMajor = [](int step) { return step == 3 ? 1 : 0; };
  struct TCase {
    const char* what;
    int reference, n;
    bool up;
    int octaves;
    std::function<int(int)> inForce;
    TKeyEntry want;
  };
  const TCase cases[] = {
      {"G4 up a major third: B", 67, 4, true, 0, none, {5, 6, {}}},
      {"C4 up a minor third: E flat", 60, 3, true, 0, none, {5, 2, {modifier::Flat}}},
      {"C4 up a semitone: C sharp", 60, 1, true, 0, none, {5, 0, {modifier::Sharp}}},
      {"D4 up a major third in G major: F sharp, no natural", 62, 4, true, 0, gMajor, {5, 3, {}}},
      {"D4 up a minor third in G major: F natural", 62, 3, true, 0, gMajor, {5, 3, {modifier::Natural}}},
      {"C4 up a fifth and one octave: G5", 60, 7, true, 1, none, {6, 4, {}}},
      {"C4 down a fourth and two octaves: G1", 60, 5, false, 2, none, {2, 4, {}}},
      {"120 up two octaves: clamped to 127 (G9)", 120, 24, true, 0, none, {10, 4, {}}},
      {"3 down a fifth: clamped to 0", 3, 7, false, 0, none, {0, 0, {}}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(SpellPitch(IntervalPitch(c.reference, c.n, c.up, c.octaves), c.inForce), c.want);
  }
}

TEST(IntervalSpelling, ButtonHintsAndDurationSteps) {
  EXPECT_EQ(TFIntervals::IntervalHint(0), "0");
  EXPECT_EQ(TFIntervals::IntervalHint(1), "1/2");
  EXPECT_EQ(TFIntervals::IntervalHint(9), "4 1/2");
  EXPECT_EQ(TFIntervals::IntervalHint(24), "12");
  EXPECT_EQ(StepEntryDuration(8, false), 512);
  EXPECT_EQ(StepEntryDuration(512, true), 8);
  EXPECT_EQ(StepEntryDuration(64, true), 128);
  EXPECT_EQ(StepEntryDuration(64, false), 32);
}

// The piano's keys against the alterations in force; the sound is always
// the key's own pitch.
TEST(PianoSpelling, KeysAgainstTheAlterationsInForce) {
  const auto none = [](int) { return 0; };
  const auto fMajor = [](int step) { return step == 6 ? -1 : 0; };       // B flat
  const auto gMajor = [](int step) { return step == 3 ? 1 : 0; };        // F sharp
  const auto eMajor = [](int step) { return step == 3 || step == 0 || step == 4 || step == 1 ? 1 : 0; };
  const auto cFlat = [](int step) { return step == 0 ? -1 : 0; };
  struct TCase {
    const char* what;
    int octave, note, tone;
    std::function<int(int)> inForce;
    TKeyEntry want;
  };
  const TCase cases[] = {
      {"A sharp 3 with B flat in force: B, no accidental", 4, 6, 1, fMajor, {4, 6, {}}},
      {"F sharp with F sharp in force: nothing", 5, 4, 1, gMajor, {5, 3, {}}},
      {"F with F sharp in force: natural", 5, 4, 0, gMajor, {5, 3, {modifier::Natural}}},
      {"E flat with D sharp in force: D, no accidental", 5, 3, -1, eMajor, {5, 1, {}}},
      {"E flat with F sharp in force: still E flat", 5, 3, -1, gMajor, {5, 2, {modifier::Flat}}},
      {"C sharp with nothing in force: sharp", 5, 1, 1, none, {5, 0, {modifier::Sharp}}},
      {"C sharp with C flat in force: natural and sharp", 5, 1, 1, cFlat, {5, 0, {modifier::Natural, modifier::Sharp}}},
      {"B flat 4 with nothing in force: flat", 5, 7, -1, none, {5, 6, {modifier::Flat}}},
      {"B sharp with C flat in force: B sharp (C flat is another key)", 5, 7, 1, cFlat, {5, 6, {modifier::Sharp}}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.what);
    const TKeyEntry e = SpellPianoKey(c.octave, c.note, c.tone, c.inForce);
    EXPECT_EQ(e, c.want);
    std::array<int, 7> inForce{};
    for (int s = 0; s < 7; ++s) inForce[static_cast<size_t>(s)] = c.inForce(s);
    EXPECT_EQ(Sounding(e, inForce), PianoKeyPitch(c.octave, c.note, c.tone));
  }
  EXPECT_EQ(PianoKeyPitch(4, 6, 1), 58);
}

}  // namespace
}  // namespace qs::test
