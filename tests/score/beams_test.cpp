#include <gtest/gtest.h>

#include <vector>

#include "tree_fixture.h"

using namespace qs;
using namespace qs::test;

namespace {

class BeamsTest : public ::testing::Test, public TTreeFixture {
 protected:
  // The positions of the notes of each beam group.
  std::vector<std::vector<int>> Groups(const TQSMeasure* m = nullptr) const {
    m = m ? m : Measure;
    std::vector<std::vector<int>> out;
    for (size_t g = 1; g < m->BeamGroups.size(); ++g) {
      std::vector<int> times;
      for (int k = m->BeamGroups[g].First; k <= m->BeamGroups[g].Last; ++k)
        times.push_back(m->BeamNotes[static_cast<size_t>(k)]->Fields.Time);
      out.push_back(times);
    }
    return out;
  }

  // Notes one after the other from position 0.
  void Sequence(const std::vector<int>& lengths) {
    int time = 0;
    for (int length : lengths) {
      Note(time, length);
      time += length;
    }
  }
};

using TGroups = std::vector<std::vector<int>>;

}  // namespace

TEST_F(BeamsTest, AutoBeamGroupsByTheGroupingInForce) {
  const std::vector<int> eighths8(8, 64), eighths6(6, 64);
  struct {
    const char* Name;
    int Numerator, Denominator;
    int AutoJoin, OwnBeaming;  // OwnBeaming 0: the score's value
    std::vector<int> Lengths;
    TGroups Expected;
  } cases[] = {
      {"4/4 by beats", 4, 4, 2, 0, eighths8, {{0, 64}, {128, 192}, {256, 320}, {384, 448}}},
      {"4/4 one beam", 4, 4, 1, 0, eighths8, {{0, 64, 128, 192, 256, 320, 384, 448}}},
      {"4/4 no beams", 4, 4, 0, 0, eighths8, {}},
      {"3/4 by beats", 3, 4, 2, 0, eighths6, {{0, 64}, {128, 192}, {256, 320}}},
      {"3/4 the score's two groups", 3, 4, 3, 0, eighths6, {{0, 64, 128}, {192, 256, 320}}},
      {"6/8 the measure's two groups", 6, 8, 2, 3, eighths6, {{0, 64, 128}, {192, 256, 320}}},
      {"6/8 by beats beams nothing", 6, 8, 2, 0, eighths6, {}},
      {"sixteenths by beats", 2, 4, 2, 0, std::vector<int>(8, 32), {{0, 32, 64, 96}, {128, 160, 192, 224}}},
      {"a quarter breaks the beam", 4, 4, 1, 0, {64, 64, 128, 64, 64}, {{0, 64}, {256, 320}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    Measure->Clear();
    SetMeter(c.Numerator, c.Denominator);
    Score.AutoJoin = static_cast<uint8_t>(c.AutoJoin);
    Measure->Fields.OwnBeaming = c.OwnBeaming != 0;
    Measure->Fields.Beaming = static_cast<uint8_t>(c.OwnBeaming);
    Sequence(c.Lengths);
    Measure->AutoBeam();
    EXPECT_EQ(Groups(), c.Expected);
  }
}

TEST_F(BeamsTest, TupletNotesStayTogether) {
  Tuplet(0, 3, 64);
  Note(0, 64, 0x50, 0, 42);
  Note(42, 64, 0x50, 0, 43);
  Note(85, 64, 0x50, 0, 43);
  for (int t = 128; t < 512; t += 64) Note(t, 64);
  Measure->AutoBeam();
  EXPECT_EQ(Groups(), (TGroups{{0, 42, 85}, {128, 192}, {256, 320}, {384, 448}}));
}

TEST_F(BeamsTest, GroupsNeedTwoPositions) {
  // A lone eighth with its join bit set forms no group.
  Note(0, 64)->SetBeamedToNext(true);
  Note(64, 128);
  Measure->UpdateBeams(0, false);
  EXPECT_EQ(Groups(), TGroups{});
  EXPECT_TRUE(Measure->BeamNotes.empty());
  EXPECT_EQ(static_cast<TQSNote*>(Measure->GetItem(0))->BeamGroup, 0);

  // A chord of eighths beamed to the next eighth keeps all its notes.
  Measure->Clear();
  for (uint8_t p : {0x50, 0x52, 0x54}) Note(0, 64, p)->SetChordMember(true);
  static_cast<TQSNote*>(Measure->GetItem(2))->SetBeamedToNext(true);
  Note(64, 64);
  Measure->UpdateBeams(0, false);
  EXPECT_EQ(Groups(), (TGroups{{0, 0, 0, 64}}));

  // Notes the import left out of beams are not grouped.
  static_cast<TQSNote*>(Measure->GetItem(3))->SelectFlags |= TQSNote::kSelectNoBeam;
  Measure->UpdateBeams(0, false);
  EXPECT_EQ(Groups(), TGroups{});
}

TEST_F(BeamsTest, StemsClearTheNotes) {
  // F is 3 pixels (96 pixels per inch, line space 1.5875 mm), stems 20.
  ASSERT_EQ(Score.HalfSpacePixels(), 3);
  struct {
    const char* Name;
    std::vector<uint8_t> Pitches;
    bool FirstDown, LastDown;
    bool Down;
    int FirstStem, LastStem;
  } cases[] = {
      {"rising sixth, stems up", {0x50, 0x55}, false, false, false, 29, 20},
      {"falling sixth, stems up", {0x55, 0x50}, false, false, false, 20, 29},
      {"rising sixth, stems down", {0x50, 0x55}, true, true, true, 20, 29},
      {"falling sixth, stems down", {0x55, 0x50}, true, true, true, 29, 20},
      {"a step", {0x50, 0x51}, false, false, false, 20, 20},
      {"inner note above up stems", {0x50, 0x54, 0x50}, false, false, false, 32, 32},
      {"inner note below up stems", {0x54, 0x50, 0x54}, false, false, false, 20, 20},
      {"first down, last up: all down", {0x50, 0x51}, true, false, true, 20, 20},
      {"first up, last down: all up", {0x50, 0x51}, false, true, false, 20, 20},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    Measure->Clear();
    std::vector<TQSNote*> notes;
    for (size_t i = 0; i < c.Pitches.size(); ++i) {
      TQSNote* n = Note(static_cast<int>(i) * 64, 64, c.Pitches[i]);
      n->SetBeamedToNext(i + 1 < c.Pitches.size());
      n->SetStemDown(i == 0 ? c.FirstDown : c.LastDown);
      notes.push_back(n);
    }
    Measure->UpdateBeams(0, true);
    for (TQSNote* n : notes) EXPECT_EQ(n->IsStemDown(), c.Down);
    EXPECT_EQ(notes.front()->Fields.StemLength, c.FirstStem);
    EXPECT_EQ(notes.back()->Fields.StemLength, c.LastStem);
  }
}

TEST_F(BeamsTest, StemsOfAPageWithALineSpaceNoPageHas) {
  // A line space read from a damaged file: the distances in pixels stay
  // within range, and so does the stem arithmetic done with them.
  Score.Page.Fields.LineSpace = 1e30L;
  EXPECT_EQ(Score.HalfSpacePixels(), 1000000);
  EXPECT_EQ(Score.StaffDistancePixels(), 1000000);
  Note(0, 64, 0x50)->SetBeamedToNext(true);
  Note(64, 64, 0x45);
  Measure->UpdateBeams(0, true);
  EXPECT_EQ(Groups(), (TGroups{{0, 64}}));
}

TEST_F(BeamsTest, BeamsAcrossStavesPointTowardEachOther) {
  new TQSVoice(new TQSStaff(Part));
  Measure->Fields.Flags |= TQSMeasure::kAllVoices;
  TQSNote* upper = Note(0, 64, 0x52, 0x00);
  TQSNote* lower = Note(64, 64, 0x40, 0x10);
  upper->SetBeamedToNext(true);
  Measure->UpdateBeams(0, true);
  EXPECT_EQ(Groups(), (TGroups{{0, 64}}));
  EXPECT_TRUE(upper->IsStemDown());
  EXPECT_FALSE(lower->IsStemDown());
  EXPECT_EQ(upper->Fields.StemLength, lower->Fields.StemLength);
}

TEST_F(BeamsTest, AGroupRunsOnIntoTheNextMeasure) {
  TQSMeasure* next = Part->NewMeasure();
  Measure->Fields.Flags |= TQSMeasure::kBeamRunsOn;
  Note(384, 64)->SetBeamedToNext(true);
  Note(448, 64)->SetBeamedToNext(true);
  TQSNote* carried = Note(0, 64, 0x50, 0, -1, next);
  TQSNote* own1 = Note(128, 64, 0x50, 0, -1, next);
  TQSNote* own2 = Note(192, 64, 0x50, 0, -1, next);
  own1->SetBeamedToNext(true);

  Measure->UpdateBeams(0, false);
  next->UpdateBeams(0, false);
  EXPECT_EQ(Groups(), (TGroups{{384, 448, 0}}));
  EXPECT_TRUE(carried->BeamFromPrevious());
  EXPECT_EQ(carried->BeamGroup, 1);
  // The next measure does not take the carried note again.
  EXPECT_EQ(next->BeamNotes, (std::vector<TQSNote*>{own1, own2}));

  // A note that goes leaves the previous measure's list too, also when it
  // moves to another measure.
  TQSMeasure* third = Part->NewMeasure();
  own1->SetOwner(third);
  EXPECT_EQ(next->BeamNotes, (std::vector<TQSNote*>{own2}));
  carried->SetOwner(third);
  EXPECT_EQ(Measure->BeamNotes.size(), 2u);
  delete carried;
  EXPECT_EQ(Measure->BeamNotes.size(), 2u);
}

TEST_F(BeamsTest, GraceNotesFormTheirOwnGroup) {
  auto* grace = Insert<TQSVorschlag>(Measure, 0, 128);
  grace->Fields.Time = 128;
  for (int i = 0; i < 3; ++i) {
    auto* n = new TQSNote(grace);
    n->Fields.Time = 128;
    n->Fields.Length = n->Fields.RealLength = 32;
    n->SetBeamedToNext(i < 2);
  }
  Note(128, 128);
  Measure->UpdateBeams(0, false);
  EXPECT_EQ(Groups(), (TGroups{{128, 128, 128}}));
  // Moving or freeing the group takes its notes out of the beam list.
  grace->SetOwner(Part->NewMeasure());
  EXPECT_TRUE(Measure->BeamNotes.empty());
  Measure->UpdateBeams(0, false);
  grace->Owner()->OwnerMeasure()->UpdateBeams(0, false);
  delete grace;
  EXPECT_TRUE(Part->GetMeasure(1)->BeamNotes.empty());
}
