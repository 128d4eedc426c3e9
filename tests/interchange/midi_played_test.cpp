// Files played at a keyboard rather than written by a program: onsets a
// little early or late and notes let go a little before their time, as a
// player's are. Tuplets, the hands of a keyboard part and the rests of the
// voices must come out of them as the music was written. Files use 96
// ticks to a quarter note.
#include "midi_test_support.h"

namespace qs::test {
namespace {

constexpr int Q = 96;

// Plays notes {key, start, length} as a keyboard player would: each onset
// moved by up to 3 ticks either way (about 15 ms at 120 beats a minute),
// each note let go up to 8 ticks early. The same notes are always played
// the same way.
class TPlayer {
 public:
  explicit TPlayer(uint32_t seed = 7) : state_(seed) {}
  TSmfTrack& Play(TSmfTrack& t, const std::vector<TNoteSpec>& notes, int channel = 0) {
    for (const TNoteSpec& n : notes) {
      const int start = std::max(0, n.Start + Next(7) - 3);
      t.Note(channel, n.Key, start, std::max(4, n.Start + n.Length - Next(9) - start));
    }
    return t;
  }

 private:
  int Next(int range) {
    state_ = state_ * 1103515245u + 12345u;
    return int((state_ >> 16) % uint32_t(range));
  }
  uint32_t state_;
};

TBytesVec Played(const std::vector<TNoteSpec>& notes, int program = 0) {
  TSmfFile f;
  TSmfTrack& t = f.Track();
  t.Program(0, 0, program);
  TPlayer().Play(t, notes);
  return f.Bytes();
}

// Notes {key, start, length} in a row, each starting where the one before
// ends.
std::vector<TNoteSpec> Row(std::initializer_list<std::pair<int, int>> keysAndLengths, int start = 0) {
  std::vector<TNoteSpec> notes;
  for (const auto& [key, length] : keysAndLengths) {
    notes.push_back({key, start, length});
    start += length;
  }
  return notes;
}

class MidiPlayed : public TMidiImportTest {};

std::vector<std::pair<int, int>> TupletsOf(const TQSMeasure& m) {
  std::vector<std::pair<int, int>> tuplets;  // time and written value
  for (const TQSMark* t : MarksOf(m.Items, kind::Tuplet)) tuplets.push_back({t->Fields.Time, t->Fields.Value});
  return tuplets;
}

TEST_F(MidiPlayed, TripletsOfEveryValue) {
  struct TCase {
    const char* Name;
    std::vector<TNoteSpec> Notes;
    std::vector<std::pair<int, int>> Tuplets;
    const char* Voice0;
  };
  const int T8 = Q / 3, T4 = 2 * Q / 3, T2 = 4 * Q / 3;  // triplet eighth, quarter, half
  const TCase cases[] = {
      {"quarter-note triplets", Row({{60, T4}, {62, T4}, {64, T4}, {65, 2 * Q}}), {{0, 128}}, "C5/128 D5/128 E5/128 F5/256"},
      {"quarter-note triplets on the second half",
       Row({{60, 2 * Q}, {62, T4}, {64, T4}, {65, T4}}),
       {{256, 128}},
       "C5/256 D5/128 E5/128 F5/128"},
      {"half-note triplets", Row({{60, T2}, {62, T2}, {64, T2}}), {{0, 256}}, "C5/256 D5/256 E5/256"},
      {"eighth triplets", Row({{60, T8}, {62, T8}, {64, T8}, {65, Q}, {67, 2 * Q}}), {{0, 64}},
       "C5/64 D5/64 E5/64 F5/128 G5/256"},
      {"a quarter and an eighth in a triplet",
       Row({{60, 2 * T8}, {62, T8}, {64, 2 * T8}, {65, T8}, {67, 2 * Q}}),
       {{0, 64}, {128, 64}},
       "C5/128 D5/64 E5/128 F5/64 G5/256"},
      {"a triplet's last note held over the bar line",
       Row({{60, Q}, {62, Q}, {64, T8}, {65, T8}, {67, T8 + 2 * Q}}),
       {{256, 64}},
       "C5/128 D5/128 E5/64 F5/64 G5/64~ G5/128~"},
      {"sixteenth triplets",
       Row({{60, Q / 6}, {62, Q / 6}, {64, Q / 6}, {65, Q / 2}, {67, Q}, {69, 2 * Q}}),
       {{0, 32}},
       "C5/32 D5/32 E5/32 F5/64 G5/128 A5/256"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    Import(Played(c.Notes), {.Triplets = true});
    EXPECT_EQ(TupletsOf(*Measure(0)), c.Tuplets);
    EXPECT_EQ(VoiceText(*Measure(0), 0x00), c.Voice0);
    EXPECT_EQ(Part()->GetStaff(0)->VoiceCount(), 1);
  }
}

// A group the grid has no tuplet for keeps every note, each at its own
// onset: none is merged with another into a chord or dropped as a repeat.
TEST_F(MidiPlayed, GroupsWithoutATupletKeepEveryNote) {
  struct TCase {
    const char* Name;
    std::vector<TNoteSpec> Notes;
    bool Triplets;
  };
  const TCase cases[] = {
      {"a repeated note struck twice in a triplet slot",
       {{60, 0, 16}, {60, 16, 16}, {62, 32, 32}, {64, 64, 32}, {65, Q, 3 * Q}}, true},
      {"five notes in a beat", Row({{60, 19}, {62, 19}, {64, 19}, {65, 19}, {67, 20}, {69, 3 * Q}}), true},
      {"five notes in a beat without triplets", Row({{60, 19}, {62, 19}, {64, 19}, {65, 19}, {67, 20}, {69, 3 * Q}}),
       false},
      {"a trill of one key", Row({{60, 12}, {62, 12}, {60, 12}, {62, 12}, {60, 12}, {62, 12}, {60, 12}, {62, 12}}),
       true},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    // Import checks that every note of the file is in the score.
    Import(Played(c.Notes), {.Triplets = c.Triplets});
    int notes = 0;
    for (int m = 0; m < Part()->MeasureCount(); ++m) notes += int(NotesOf(*Measure(m)).size());
    EXPECT_EQ(notes, int(c.Notes.size()));
    // Each at an onset of its own: no chords, no second voice.
    EXPECT_EQ(Part()->GetStaff(0)->VoiceCount(), 1);
    for (int m = 0; m < Part()->MeasureCount(); ++m)
      EXPECT_EQ(VoiceText(*Measure(m), 0).find('+'), std::string::npos) << VoiceText(*Measure(m), 0);
  }
}

// The hands of a keyboard part: the file's own split when each hand has a
// track; otherwise where the music of the measure parts them.
TEST_F(MidiPlayed, KeyboardHandsKeepTheirStaves) {
  struct TCase {
    const char* Name;
    std::vector<TNoteSpec> Right, Left;  // Left empty: one track
    int Staves;
    const char* Upper;
    const char* Lower;
  };
  const TCase cases[] = {
      {"a track a hand, crossing middle C",
       Row({{72, Q}, {67, Q}, {60, Q}, {57, Q}}),
       Row({{48, Q}, {52, Q}, {55, Q}, {62, Q}}),
       2, "C6/128 G5/128 C5/128 A4/128", "C4/128 E4/128 G4/128 D5/128"},
      {"the left hand above middle C under a high chord",
       Row({{74, 2 * Q}, {76, 2 * Q}}),
       {},
       2, "D6/256 E6/256", "D4/256+A4/256 G4/256+D5/256"},
      {"a melody down to G below middle C",
       Row({{67, Q}, {64, Q}, {60, Q}, {55, Q}}),
       {},
       1, "G5/128 E5/128 C5/128 G4/128", ""},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TSmfFile f;
    f.Track().Meta(0, 3, "Conductor");
    TPlayer player;
    std::vector<TNoteSpec> right = c.Right;
    if (c.Left.empty() && c.Staves == 2) {
      // One track: the left hand plays a fifth that reaches above middle
      // C, under the right hand's notes.
      for (const TNoteSpec& n : Row({{50, 2 * Q}, {55, 2 * Q}})) right.push_back(n);
      for (const TNoteSpec& n : Row({{57, 2 * Q}, {62, 2 * Q}})) right.push_back(n);
    }
    player.Play(f.Track().Program(0, 0, 0), right);
    if (!c.Left.empty()) player.Play(f.Track(), c.Left);
    Import(f.Bytes());
    ASSERT_EQ(Piece()->PartCount(), 1);
    ASSERT_EQ(Part()->StaffCount(), c.Staves);
    EXPECT_EQ(VoiceText(*Measure(0), 0x00), c.Upper);
    if (c.Staves == 2) {
      EXPECT_EQ(VoiceText(*Measure(0), 0x10), c.Lower);
    }
  }
}

// A broken chord of the left hand that reaches above middle C stays on the
// bass staff under the right hand's held melody: a hand's line is not
// passed between the staves.
TEST_F(MidiPlayed, AnAccompanimentFigureStaysInOneHand) {
  std::vector<TNoteSpec> notes = Row({{72, 3 * Q}, {76, Q}});
  for (const TNoteSpec& n : Row({{57, Q / 2}, {64, Q / 2}, {69, Q / 2}, {64, Q / 2}, {57, Q / 2}, {64, Q / 2}, {69, Q / 2}, {64, Q / 2}}))
    notes.push_back(n);
  Import(Played(notes));
  ASSERT_EQ(Part()->StaffCount(), 2);
  EXPECT_EQ(VoiceText(*Measure(0), 0x00), "C6/256. E6/128");
  EXPECT_EQ(VoiceText(*Measure(0), 0x10), "A4/64 E5/64 A5/64 E5/64 A4/64 E5/64 A5/64 E5/64");
}

// The first voice of a staff runs from bar line to bar line; a voice the
// import opens for overlapping notes has rests only between its own notes
// and none in a measure where it has none.
TEST_F(MidiPlayed, RestsOnlyWhereAVoiceNeedsThem) {
  // Three notes sounding together over the first measure, then a melody.
  std::vector<TNoteSpec> notes = {{60, 0, Q}, {64, 0, 2 * Q}, {67, 0, 4 * Q}, {60, 2 * Q, Q}};
  for (const TNoteSpec& n : Row({{72, Q}, {71, Q}, {69, Q}, {67, Q}}, 4 * Q)) notes.push_back(n);
  Import(Played(notes, 40));
  ASSERT_EQ(Part()->GetStaff(0)->VoiceCount(), 3);
  EXPECT_EQ(VoiceText(*Measure(0), 0x00), "C5/128 r/128 C5/128 r/128");
  EXPECT_EQ(VoiceText(*Measure(0), 0x01), "E5/256");
  EXPECT_EQ(VoiceText(*Measure(0), 0x02), "G5/512");
  EXPECT_EQ(VoiceText(*Measure(1), 0x00), "C6/128 B5/128 A5/128 G5/128");
  EXPECT_EQ(VoiceText(*Measure(1), 0x01), "");
  EXPECT_EQ(VoiceText(*Measure(1), 0x02), "");
}

}  // namespace
}  // namespace qs::test
