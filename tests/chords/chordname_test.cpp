#include "chords/chordname.h"
#include "uikit/names.h"

#include <gtest/gtest.h>

#include "score/chordcode.h"

namespace qs {
namespace {

using namespace chordcode;

struct TFrag {
  std::string Text;
  int Anchor, Level;
  bool operator==(const TFrag&) const = default;
};

std::vector<TFrag> Name(const std::vector<uint8_t>& code) {
  std::vector<TQSChordFragment> fragments(3);  // replaced, not appended to
  BuildChordName(code, fragments);
  std::vector<TFrag> out;
  for (const auto& f : fragments) {
    EXPECT_EQ(f.Fields.Size, 0);
    EXPECT_EQ(f.Fields.Style, 0);
    out.push_back({f.Text, f.Fields.Anchor, f.Fields.Level});
  }
  return out;
}

std::string Joined(const std::vector<uint8_t>& code) {
  std::string s;
  for (const TFrag& f : Name(code)) s += f.Text + "|";
  return s;
}

TEST(ChordName, NoChordAndRootAlone) {
  EXPECT_EQ(Name({0, 0}), (std::vector<TFrag>{{"N.C.", 0, 0}}));
  EXPECT_EQ(CodeLength({0, 0, 0x33}), 2);
  EXPECT_EQ(Name({1, 0, 0x25}), (std::vector<TFrag>{{"Ab", 0, 0}}));
  EXPECT_EQ(CodeLength({3, 1, 0x00, 0x12, 0x20, 0x12}), 6);
}

TEST(ChordName, QualitiesNumbersAndBass) {
  const struct {
    std::vector<uint8_t> Code;
    const char* Name;
  } kCases[] = {
      {{2, 0, 0x00, kBase + kSeventh}, "C|7|"},
      {{2, 0, 0x00, kBase + kTriad}, "C|"},
      {{2, 0, 0x00, kBase + 6}, "C||"},  // a base beyond 13 names nothing
      {{3, 1, 0x00, kMinor + 2, kBase + kSeventh, 0x22}, "C|min|7|/|Eb|"},
      {{3, 0, 0x14, kMajor + 1, kBase + kNinth}, "G#|M|9|"},
      {{3, 0, 0x01, kMajor, kBase + kThirteenth}, "D|maj|13|"},
      {{3, 0, 0x06, kBase, kSus + 2}, "B|sus4|"},
      {{3, 0, 0x06, kBase, kSus + 1}, "B|sus2|"},
      {{3, 0, 0x00, kBase, kOmit + 0}, "C|omit3|"},
      {{3, 0, 0x00, kBase, kOmit + 1}, "C|omit5|"},
      {{3, 0, 0x00, kBase, kOmit + 2}, "C|no3|"},
      {{3, 0, 0x00, kBase, kOmit + 3}, "C|no5|"},
      {{3, 0, 0x00, kBase + kSixth, 0xF5}, "C|6|"},  // bytes from $F0 on are skipped
  };
  for (const auto& c : kCases) EXPECT_EQ(Joined(c.Code), c.Name) << c.Name;
  // The minor word and the number stand on level 1; the bass on the root's line.
  EXPECT_EQ(Name({3, 1, 0x00, kMinor, kBase + kSeventh, 0x02}),
            (std::vector<TFrag>{{"C", 0, 0}, {"m", 0, 1}, {"7", 2, 1}, {"/", 2, 0}, {"E", 3, 0}}));
}

TEST(ChordName, AlterationTexts) {
  const char* kSeven[16] = {"7",    "7+",   "7-", "+7", "-7", "#7", "b7", "aug7",
                            "dim7", "7",    "7",  "7",  "7",  "7",  "7",  "7"};
  for (uint8_t low = 0; low < 16; ++low) {
    auto f = Name({3, 0, 0x00, kBase, static_cast<uint8_t>(kAlter7 + low)});
    ASSERT_EQ(f.size(), 2u);
    EXPECT_EQ(f[1].Text, kSeven[low]) << int(low);
  }
  EXPECT_EQ(Joined({6, 0, 0x00, kBase, kAlter5 + 5, kAlter9 + 2, kAlter11 + 7, kAlter13 + 4}),
            "C|#5|9-|aug11|-13|");
}

TEST(ChordName, BracketsAddAndRaisedColumn) {
  // A bracket with two alterations: all on level -2.
  EXPECT_EQ(Name({5, 0, 0x00, kBase + kSeventh, kBracket, kAlter9 + Alteration(kSharpFlat, kLowered),
                  kAlter11 + Alteration(kSharpFlat, kRaised)}),
            (std::vector<TFrag>{{"C", 0, 0}, {"7", 1, 1}, {"(", 1, -2}, {"b9", 2, -2}, {"#11", 3, -2}, {")", 4, -2}}));
  EXPECT_EQ(Name({3, 0, 0x00, kAdd, kAlter9}), (std::vector<TFrag>{{"C", 0, 0}, {"add", 0, -2}, {"9", 1, -2}}));
  // The raised marker stacks the alterations at -1, -4, -7 from the last
  // quality word.
  EXPECT_EQ(Name({7, 0, 0x00, kMinor, kBase + kSeventh, kRaisedMarker, kAlter5 + 2, kAlter9 + 1, kAlter13 + 6}),
            (std::vector<TFrag>{{"C", 0, 0}, {"m", 0, 1}, {"7", 2, 1}, {"5-", 1, -1}, {"9+", 1, -4}, {"b13", 1, -7}}));
}

// The chords the code spells through alterations are named as musicians
// write them; a code with anything more keeps its plain spelling.
TEST(ChordName, DiminishedAugmentedAndSimpleAdditions) {
  const uint8_t flat5 = kAlter5 + Alteration(kSharpFlat, kLowered), sharp5 = kAlter5 + Alteration(kSharpFlat, kRaised);
  const uint8_t dim7 = kAlter7 + Alteration(kWords, kLowered);
  const struct {
    std::vector<uint8_t> Code;
    const char* Name;
  } kCases[] = {
      {{4, 0, 0x00, kMinor, kBase + kTriad, flat5}, "C|dim|"},
      {{5, 1, 0x05, kMinor, kBase + kTriad, flat5, dim7, 0x14}, "A|dim7|/|G#|"},
      {{3, 0, 0x04, kBase + kTriad, sharp5}, "G|+|"},
      {{3, 0, 0x04, kBase + kTriad, kAlter5 + Alteration(kSignInFront, kRaised)}, "G|+|"},
      // Not these chords: the half-diminished seventh, an augmented seventh.
      {{4, 0, 0x00, kMinor, kBase + kSeventh, flat5}, "C|m|7|b5|"},
      {{3, 0, 0x00, kBase + kSeventh, sharp5}, "C|7|#5|"},
      {{5, 0, 0x00, kMinor, kBase + kTriad, flat5, kAlter9}, "C|m|b5|9|"},
      // An added second, fourth or sixth keeps its simple number; a plain
      // add names the compound one.
      {{3, 0, 0x22, kAdd + kAddSimple, kAlter9}, "Eb|add|2|"},
      {{3, 0, 0x00, kAdd + kAddSimple, kAlter11}, "C|add|4|"},
      {{3, 0, 0x00, kAdd + kAddSimple, kAlter13}, "C|add|6|"},
      {{4, 0, 0x00, kAdd + kAddSimple, kAlter9, kAlter13}, "C|add|2|13|"},
      {{3, 0, 0x00, kAdd, kAlter9}, "C|add|9|"},
  };
  for (const auto& c : kCases) EXPECT_EQ(Joined(c.Code), c.Name) << c.Name;
}

TEST(ChordName, TruncatedCodeReadsNoFurtherThanItsBytes) {
  // Count and bass flag promise more than the bytes hold.
  EXPECT_EQ(Joined({9, 1, 0x02, kMinor}), "E|m|/|C|");
  EXPECT_EQ(Joined({1}), "C|");
}

TEST(ChordName, LettersComeFromTheProgramsNoteLetters) {
  const std::string saved = NoteLetters();
  SetNoteLetters("CDEFGAH");
  EXPECT_EQ(Joined({2, 0, 0x06, kBase + kSeventh}), "H|7|");
  SetNoteLetters(saved);
}

struct TTone {
  int Step, Octave, Accidental;
  bool operator==(const TTone&) const = default;
};
std::ostream& operator<<(std::ostream& o, const TTone& t) {
  return o << "{" << t.Step << "," << t.Octave << "," << t.Accidental << "}";
}

std::vector<TTone> Tones(const std::vector<uint8_t>& code, int& count) {
  TQSChordTones tones;
  tones[5].Step = 9;  // stale content is cleared
  count = ChordCodeToTones(code, tones);
  std::vector<TTone> out;
  for (const auto& t : tones) out.push_back({t.Step, t.Octave, t.Accidental});
  return out;
}

TEST(ChordTones, TriadsSeventhsAndExtensions) {
  int n = 0;
  const TTone E{0, 0, 0};
  // C major: C E G.
  EXPECT_EQ(Tones({2, 0, 0x00, kBase}, n), (std::vector<TTone>{{1, 0, 0}, {3, 0, 0}, {5, 0, 0}, E, E, E, E, E}));
  EXPECT_EQ(n, 3);
  // Eb minor seventh: Eb Gb Bb Db.
  EXPECT_EQ(Tones({3, 0, 0x22, kMinor, kBase + kSeventh}, n),
            (std::vector<TTone>{{3, 0, 50}, {5, 0, 50}, {7, 0, 50}, {2, 1, 50}, E, E, E, E}));
  EXPECT_EQ(n, 4);
  // C13: entries 0-4 and 6, the eleventh left out.
  auto t = Tones({2, 0, 0x00, kBase + kThirteenth}, n);
  EXPECT_EQ(n, 7);
  EXPECT_EQ(t[4], (TTone{2, 1, 0}));
  EXPECT_EQ(t[5], E);
  EXPECT_EQ(t[6], (TTone{6, 1, 0}));
  // B6: the sixth is G sharp an octave up (the walk wraps at B).
  t = Tones({2, 0, 0x06, kBase + kSixth}, n);
  EXPECT_EQ(t[3], (TTone{5, 1, 52}));
  // C11: the eleventh is F.
  t = Tones({2, 0, 0x00, kBase + kEleventh}, n);
  EXPECT_EQ(n, 6);
  EXPECT_EQ(t[5], (TTone{4, 1, 0}));
}

TEST(ChordTones, QualitiesAlterationsAndBass) {
  int n = 0;
  auto t = Tones({3, 0, 0x00, kBase, kSus + 2}, n);
  EXPECT_EQ(t[2], (TTone{4, 0, 0}));  // F instead of G
  t = Tones({3, 0, 0x00, kBase, kOmit + 1}, n);
  EXPECT_EQ(t[2].Step, 0);
  EXPECT_EQ(t[1].Step, 3);
  t = Tones({3, 0, 0x00, kBase, kOmit + 2}, n);
  EXPECT_EQ(t[1].Step, 0);
  // The major quality makes the seventh major and leaves the fifth.
  t = Tones({3, 0, 0x00, kMajor, kBase + kSeventh}, n);
  EXPECT_EQ(t[2], (TTone{5, 0, 0}));
  EXPECT_EQ(t[3], (TTone{7, 0, 0}));
  t = Tones({3, 0, 0x00, kMajor, kBase}, n);
  EXPECT_EQ(n, 3);
  EXPECT_EQ(t[2], (TTone{5, 0, 0}));
  // C with b5, #9 and b13 and a bass of Bb.
  t = Tones({5, 1, 0x00, kBase, kAlter5 + 2, kAlter9 + 1, kAlter13 + 2, 0x26}, n);
  EXPECT_EQ(n, 8);
  EXPECT_EQ(t[2], (TTone{5, 0, 50}));
  EXPECT_EQ(t[4], (TTone{2, 1, 52}));
  EXPECT_EQ(t[6], (TTone{6, 1, 50}));
  EXPECT_EQ(t[7], (TTone{7, 0, 50}));
  // A plain 7 alteration adds the minor seventh.
  t = Tones({3, 0, 0x00, kBase, kAlter7}, n);
  EXPECT_EQ(n, 4);
  EXPECT_EQ(t[3], (TTone{7, 0, 50}));
}

TEST(ChordTones, RaisingADoubleFlatGivesAFlat) {
  // Cb with a raised seventh: the major seventh of Cb is Bb, not B#.
  int n = 0;
  auto t = Tones({3, 0, 0x20, kBase, kAlter7 + kRaised}, n);
  EXPECT_EQ(t[3], (TTone{7, 0, 50}));
  // B# with a lowered ninth lowers C## to C#.
  t = Tones({3, 0, 0x16, kBase, kAlter9 + kLowered}, n);
  EXPECT_EQ(t[4], (TTone{1, 2, 52}));
}

}  // namespace
}  // namespace qs

namespace qs {
namespace {

std::string NameOf(const std::vector<uint8_t>& code) {
  if (code.empty()) return "(none)";
  std::vector<TQSChordFragment> fragments;
  BuildChordName(code, fragments);
  std::string name;
  for (const TQSChordFragment& f : fragments) name += f.Text;
  return name;
}

// Notes by letter and octave-free sign, stacked upward from the first.
std::vector<TSoundingNote> Stack(const std::vector<std::string>& names) {
  static const int kNatural[7] = {0, 2, 4, 5, 7, 9, 11};
  std::vector<TSoundingNote> notes;
  int last = -1;
  for (const std::string& n : names) {
    const int step = static_cast<int>(std::string("CDEFGAB").find(n[0]));
    int pitch = 60 + kNatural[step] + (n.size() > 1 ? (n[1] == '#' ? 1 : -1) : 0);
    while (pitch <= last) pitch += 12;
    notes.push_back({pitch, step});
    last = pitch;
  }
  return notes;
}

// Each chord in every inversion: the same chord, over the lowest note.
TEST(ChordRecognition, EveryChordInEveryInversion) {
  struct TCase {
    std::vector<std::string> Notes;  // root position
    std::string Name;
  };
  const TCase cases[] = {
      {{"C", "E", "G"}, "C"},          {{"A", "C", "E"}, "Am"},       {{"B", "D", "F"}, "Bdim"},
      {{"F", "Bb", "C"}, "Fsus4"},     {{"G", "B", "D", "F"}, "G7"},  {{"C", "E", "G", "B"}, "Cmaj7"},
      {{"Eb", "G", "Bb", "D"}, "Ebmaj7"}, {{"F#", "A#", "C#", "E"}, "F#7"}, {{"G", "C", "D", "F"}, "G7sus4"},
      {{"D", "F#", "A", "C", "E"}, "D9"}, {{"C", "Eb", "G", "Bb", "D"}, "Cm9"}, {{"Db", "F", "Ab", "C", "Eb"}, "Dbmaj9"},
  };
  for (const TCase& c : cases) {
    std::vector<std::string> notes = c.Notes;
    for (size_t inversion = 0; inversion < notes.size(); ++inversion) {
      const std::string expected = inversion == 0 ? c.Name : c.Name + "/" + notes.front();
      EXPECT_EQ(NameOf(RecogniseChord(Stack(notes))), expected) << "inversion " << inversion << " of " << c.Name;
      std::rotate(notes.begin(), notes.begin() + 1, notes.end());
    }
  }
}

TEST(ChordRecognition, AmbiguousSymmetricAndUnknownNotes) {
  const struct {
    std::vector<std::string> Notes;
    std::string Name;
  } cases[] = {
      {{"C", "E", "G", "A"}, "C6"},          // read on its bass, not Am7/C
      {{"A", "C", "E", "G"}, "Am7"},
      {{"F", "A", "C", "D"}, "F6"},          // Dm7 over F reads as F6
      {{"D", "F", "A", "B"}, "Dm6"},         // Bm7(b5) over D
      {{"C", "E", "G#"}, "C+"},              // augmented: the bass is the root
      {{"E", "G#", "C"}, "E+"},
      {{"C", "Eb", "Gb", "A"}, "Cm65-"},     // diminished seventh
      {{"C", "C"}, "(none)"},
      {{"C", "Db", "D"}, "(none)"},
      {{}, "(none)"},
  };
  for (const auto& c : cases) EXPECT_EQ(NameOf(RecogniseChord(Stack(c.Notes))), c.Name);
  // The caller's styles of minor and major.
  EXPECT_EQ(NameOf(RecogniseChord(Stack({"A", "C", "E", "G"}), 2, 0)), "Amin7");
  EXPECT_EQ(NameOf(RecogniseChord(Stack({"C", "E", "G", "B"}), 0, 1)), "CM7");
}

}  // namespace
}  // namespace qs
