#include <gtest/gtest.h>

#include <vector>

#include "base/exceptions.h"
#include "tree_fixture.h"

using namespace qs;
using namespace qs::test;

namespace {

class MeasureTest : public ::testing::Test, public TTreeFixture {};

struct TRestCase {
  const char* Name;
  int Numerator, Denominator;
  int From, To, Grid;
  std::vector<TSpan> Expected;
};

}  // namespace

TEST_F(MeasureTest, InsertRestsFollowsTheGrid) {
  const TRestCase cases[] = {
      {"whole empty 4/4", 4, 4, 0, 512, 128, {{0, 512, 512}}},
      {"off the grid at 96", 4, 4, 96, 512, 128, {{96, 32, 32}, {128, 256, 256}, {384, 128, 128}}},
      {"off the grid at 64", 4, 4, 64, 512, 128, {{64, 64, 64}, {128, 256, 256}, {384, 128, 128}}},
      {"empty 3/4", 3, 4, 0, 384, 128, {{0, 256, 256}, {256, 128, 128}}},
      {"6/8 from a sixteenth", 6, 8, 32, 384, 64, {{32, 32, 32}, {64, 256, 256}, {320, 64, 64}}},
      {"grid 0 is a beat of 3/4", 3, 4, 96, 384, 0, {{96, 32, 32}, {128, 256, 256}}},
      {"grid 0 is a beat of 6/8", 6, 8, 96, 384, 0, {{96, 32, 32}, {128, 256, 256}}},
  };
  for (const TRestCase& c : cases) {
    SCOPED_TRACE(c.Name);
    Measure->Clear();
    SetMeter(c.Numerator, c.Denominator);
    Measure->InsertRests(0, c.From, c.To, -1, c.Grid);
    EXPECT_EQ(Rests(), c.Expected);
  }
}

TEST_F(MeasureTest, FillRestsFillsTheGapsOfEachVoice) {
  Note(128, 64);
  Note(256, 128);
  Measure->FillRests(false, 0, false, -1);
  EXPECT_EQ(Rests(), (std::vector<TSpan>{{0, 128, 128}, {192, 64, 64}, {384, 128, 128}}));
  // Items stay in time order.
  int last = -1;
  for (TQSItem* item : Measure->Items) {
    EXPECT_GE(item->TimePosition(), last);
    last = item->TimePosition();
  }
}

TEST_F(MeasureTest, FillRestsInATupletTakesTheSlots) {
  // An eighth triplet whose first note is there: the rest of its slots are
  // triplet eighths, the rest of the measure plain rests on the measure's
  // grid.
  Tuplet(0, 3, 64);
  Note(0, 64, 0x50, 0, 42);
  Measure->FillRests(false, 0, false, -1);
  EXPECT_EQ(Rests(), (std::vector<TSpan>{{42, 64, 43}, {85, 64, 43}, {128, 128, 128}, {256, 256, 256}}));

  // A quarter triplet filled from inside its first slot takes halves of it.
  Measure->Clear();
  Tuplet(0, 3, 128);
  Measure->InsertRests(0, 42, 128, -1, 128);
  EXPECT_EQ(Rests().front(), TSpan(42, 64, 42));
}

TEST_F(MeasureTest, TwoVoicesOfAStaffKeepApart) {
  Staff->NewVoice();
  Note(0, 128, 0x50, 0x00);
  Measure->FillRests(false, 0, false, -1);
  // Voice 0 rests move up; the empty second voice gets no whole rest.
  auto* first = dynamic_cast<TQSPause*>(Measure->GetItem(1));
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->Fields.OffsetY, -96);
  EXPECT_EQ(Rests(0x00), (std::vector<TSpan>{{128, 128, 128}, {256, 256, 256}}));
  EXPECT_TRUE(Rests(0x01).empty());
  // A partly empty second voice gets rests moved down.
  Note(0, 128, 0x40, 0x01);
  Measure->FillRests(false, 0, false, -1);
  ASSERT_EQ(Rests(0x01).size(), 2u);
  for (TQSItem* item : Measure->Items) {
    if (auto* r = dynamic_cast<TQSPause*>(item); r && r->Fields.StaffVoice == 1) {
      EXPECT_EQ(r->Fields.OffsetY, 96);
    }
  }
}

TEST_F(MeasureTest, WholeRestsOnlyWhereWanted) {
  TQSMeasure* later = Part->NewMeasure();
  struct {
    const char* Name;
    bool Force, LaterNote;
    bool Expected;
  } cases[] = {
      {"nothing later", false, false, false},
      {"forced", true, false, true},
      {"a later measure holds a note", false, true, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    Measure->Clear();
    later->Clear();
    Rest(0, 128);  // rests of an empty voice go
    if (c.LaterNote) Note(0, 128, 0x50, 0, -1, later);
    Measure->FillRests(true, 0, c.Force, -1);
    const std::vector<TSpan> whole = {{0, 512, 512}};
    EXPECT_EQ(Rests(), c.Expected ? whole : std::vector<TSpan>());
  }
}

TEST_F(MeasureTest, FillRestsWithoutLengthOrLayoutDoesNothing) {
  Piece->LastLaidOutMeasure = -1;
  Measure->FillRests(false, 0, false, -1);
  EXPECT_EQ(Measure->ItemCount(), 0);
  Measure->FillRests(false, 384, false, -1);  // a length given needs no layout
  EXPECT_EQ(Rests(), (std::vector<TSpan>{{0, 256, 256}, {256, 128, 128}}));
}

TEST_F(MeasureTest, MergeRestsJoinsRunsWithinABeat) {
  struct {
    const char* Name;
    int Numerator, Denominator;
    std::vector<TSpan> Before, After;
  } cases[] = {
      {"two eighths in a beat", 4, 4, {{0, 64, 64}, {64, 64, 64}}, {{0, 128, 128}}},
      {"two eighths across beats", 4, 4, {{64, 64, 64}, {128, 64, 64}}, {{64, 64, 64}, {128, 64, 64}}},
      {"three in a beat", 3, 4, {{0, 32, 32}, {32, 32, 32}, {64, 64, 64}}, {{0, 128, 128}}},
      {"6/8 beats are eighths", 6, 8, {{0, 32, 32}, {32, 32, 32}, {64, 64, 64}}, {{0, 64, 64}, {64, 64, 64}}},
      {"2/2 beats are halves", 2, 2, {{0, 64, 64}, {64, 64, 64}, {128, 128, 128}}, {{0, 256, 256}}},
      {"tuplet rests stay", 4, 4, {{0, 64, 43}, {43, 64, 43}}, {{0, 64, 43}, {43, 64, 43}}},
      {"odd lengths", 4, 4, {{0, 48, 48}, {48, 48, 48}}, {{0, 64, 64}, {64, 32, 32}}},
      {"a gap breaks the run", 4, 4, {{0, 32, 32}, {64, 32, 32}}, {{0, 32, 32}, {64, 32, 32}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    Measure->Clear();
    SetMeter(c.Numerator, c.Denominator);
    for (auto [time, length, real] : c.Before) Rest(time, length, 0, real);
    Measure->MergeRests(0, 0, 512);
    EXPECT_EQ(Rests(), c.After);
  }
}

TEST_F(MeasureTest, ShiftVoiceItemsMovesAndRepairsTheEnd) {
  Note(0, 128);
  Note(128, 128);
  Note(384, 128);
  Note(0, 128, 0x50, 0x01);  // another voice stays
  Mark(kind::BarRepeat, 0);
  Measure->ShiftVoiceItems(0, 128, 64);
  // The last note would end at 576: halved to an eighth it fits.
  EXPECT_EQ(Notes(), (std::vector<TSpan>{{0, 128, 128}, {192, 128, 128}, {448, 64, 64}}));
  EXPECT_EQ(Notes(0x01), (std::vector<TSpan>{{0, 128, 128}}));
  for (TQSItem* item : Measure->Items) EXPECT_NE(item->ItemType, kind::BarRepeat);
}

TEST_F(MeasureTest, ItemsBeyondTheEndAreHalvedNotBelowEightTicks) {
  Note(480, 64);   // halved once to 32, fits
  Note(508, 16);   // 8 still ends after the end: freed
  Rest(512, 64);   // starts at the end: freed
  auto* repeat = Mark(kind::NoteRepeat, 256, 0, 0, 512);
  Measure->ShiftVoiceItems(0, 600, 0);
  EXPECT_EQ(Notes(), (std::vector<TSpan>{{480, 32, 32}}));
  EXPECT_TRUE(Rests().empty());
  // A note repeat never ends exactly at the measure end.
  EXPECT_EQ(repeat->Fields.Value, 128);
}

TEST_F(MeasureTest, ShiftVoiceItemsAndTuplets) {
  // A tuplet before the position stays where it is.
  TQSMark* before = Tuplet(0, 3, 64);
  Note(0, 64, 0x50, 0, 42);
  Note(42, 64, 0x50, 0, 43);
  Note(85, 64, 0x50, 0, 43);
  Note(128, 128);
  Measure->ShiftVoiceItems(0, 128, 128);
  EXPECT_EQ(before->Fields.Time, 0);
  EXPECT_EQ(Notes(), (std::vector<TSpan>{{0, 64, 42}, {42, 64, 43}, {85, 64, 43}, {256, 128, 128}}));

  // Inside a tuplet only its notes move; what leaves it is freed.
  Measure->ShiftVoiceItems(0, 42, 43);
  EXPECT_EQ(Notes(), (std::vector<TSpan>{{0, 64, 42}, {85, 64, 43}, {256, 128, 128}}));

  // A tuplet pushed over the measure end goes with its notes.
  Measure->Clear();
  Tuplet(384, 3, 64);
  Note(384, 64, 0x50, 0, 42);
  Measure->ShiftVoiceItems(0, 0, 64);
  EXPECT_TRUE(Notes().empty());
  EXPECT_EQ(Measure->FindTuplet(0, 448), nullptr);
}

TEST_F(MeasureTest, ClearVoiceRange) {
  Note(0, 128);
  Note(128, 128);
  Note(256, 128);
  Note(384, 128);
  Note(128, 128, 0x50, 0x01);
  Mark(kind::BarRepeat, 0);
  EXPECT_EQ(Measure->ClearVoiceRange(0, 100, 200), 384);
  EXPECT_EQ(Notes(), (std::vector<TSpan>{{384, 128, 128}}));
  EXPECT_EQ(Notes(0x01).size(), 1u);
  EXPECT_EQ(Measure->ClearVoiceRange(0, 0, 100), -1);
}

TEST_F(MeasureTest, ChordNotesInPitchOrderWithDisplacedSeconds) {
  // C=0x50 D=0x51 E=0x52 F=0x53 G=0x54, in the order entered.
  struct {
    const char* Name;
    std::vector<uint8_t> Entered;
    bool StemDown;
    std::vector<uint8_t> Displaced;
  } cases[] = {
      {"C-D-G up", {0x54, 0x50, 0x51}, false, {0x51}},
      {"C-D-G down", {0x54, 0x50, 0x51}, true, {0x50}},
      {"C-D-E up", {0x50, 0x51, 0x52}, false, {0x51}},
      {"C-D-E-F up", {0x53, 0x52, 0x51, 0x50}, false, {0x51, 0x53}},
      {"C-D-E-F down", {0x50, 0x51, 0x52, 0x53}, true, {0x50, 0x52}},
      {"C-E-G", {0x50, 0x52, 0x54}, false, {}},
      {"unison", {0x50, 0x50}, false, {0x50}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    Measure->Clear();
    Note(0, 128, 0x40, 0x01);  // a note of another voice at the position
    for (uint8_t p : c.Entered) {
      TQSNote* n = Note(128, 128, p);
      n->SetChordMember(true);
      n->SetStemDown(c.StemDown);
      n->SetHeadDisplaced(true);  // stale flags are cleared
    }
    Note(256, 128);  // ends the chord
    const bool sorted = std::is_sorted(c.Entered.begin(), c.Entered.end());
    EXPECT_EQ(Measure->ArrangeChordNotes(0, 128, false), !sorted);
    std::vector<uint8_t> order, displaced;
    for (TQSItem* item : Measure->Items)
      if (auto* n = dynamic_cast<TQSNote*>(item); n && n->Fields.Time == 128 && n->Fields.StaffVoice == 0) {
        order.push_back(n->Fields.Pitch);
        if (n->IsHeadDisplaced()) displaced.push_back(n->Fields.Pitch);
      }
    EXPECT_TRUE(std::is_sorted(order.begin(), order.end()));
    EXPECT_EQ(displaced, c.Displaced);
  }
}

TEST_F(MeasureTest, SingleChordNoteLosesItsChordFlags) {
  TQSNote* n = Note(0, 128);
  n->SetChordMember(true);
  n->SetHeadDisplaced(true);
  Measure->ArrangeChordNotes(0, 0, false);
  EXPECT_TRUE(n->IsChordMember());
  Measure->ArrangeChordNotes(0, 0, true);
  EXPECT_FALSE(n->IsChordMember());
  EXPECT_FALSE(n->IsHeadDisplaced());
}

TEST_F(MeasureTest, SortItemsOrdersByPositionStaffAndVoice) {
  auto add = [&](int time, int sv) {
    auto* n = new TQSNote(Measure);
    n->Fields.Time = static_cast<uint16_t>(time);
    n->Fields.StaffVoice = static_cast<uint8_t>(sv);
  };
  add(256, 0x00);
  add(0, 0x10);
  auto* tie = CreateItemByKind(kind::Liga, Measure);  // has no position: keeps its place
  add(0, 0x01);
  add(0, 0x00);
  Measure->SortItems();
  std::vector<std::pair<int, int>> order;
  for (TQSItem* item : Measure->Items) order.emplace_back(item->TimePosition(), item->StaffVoice());
  EXPECT_EQ(order, (std::vector<std::pair<int, int>>{{0, 0x00}, {0, 0x01}, {-1, -1}, {0, 0x10}, {256, 0x00}}));
  EXPECT_EQ(Measure->GetItem(2), tie);
}

TEST_F(MeasureTest, SortItemsKeepsTheOrderOfChordNotes) {
  std::vector<TQSNote*> chord;
  for (uint8_t pitch : {0x50, 0x52, 0x54}) {  // C E G of one voice at tick 128
    chord.push_back(new TQSNote(Measure));
    chord.back()->Fields.Time = 128;
    chord.back()->Fields.Pitch = pitch;
  }
  auto* early = new TQSNote(Measure);  // appended last, belongs first
  Measure->SortItems();
  EXPECT_EQ(Measure->GetItem(0), early);
  EXPECT_EQ(Measure->GetItem(1), chord[0]);
  EXPECT_EQ(Measure->GetItem(2), chord[1]);
  EXPECT_EQ(Measure->GetItem(3), chord[2]);
}

TEST_F(MeasureTest, RecordRoundTripAndCopy) {
  Measure->Fields.Beaming = 2;
  Measure->Fields.Further4 = 9;
  Measure->Spacing = {3, -4, 5};
  Note(0, 64)->SetBeamedToNext(true);
  Note(64, 64);
  Rest(128, 128);
  Tuplet(256, 3, 64);
  const std::vector<uint8_t> bytes = Saved(*Measure);

  TQSMeasure* read = Part->NewMeasure();
  TMemoryStream s(bytes);
  read->LoadFromStream(s);
  EXPECT_EQ(Saved(*read), bytes);
  // Reading rebuilds the beam groups.
  EXPECT_EQ(read->BeamNotes.size(), 2u);

  TQSMeasure* copy = Part->NewMeasure();
  copy->Assign(*Measure);
  EXPECT_EQ(Saved(*copy), bytes);
  EXPECT_THROW(copy->Assign(*Part), Exception);
}

TEST_F(MeasureTest, DamagedItemListsEndTheRecordOnly) {
  Note(0, 128);
  Note(128, 128);
  std::vector<uint8_t> bytes = Saved(*Measure);
  const size_t countAt = 4 + 2 + 2 + TQSMeasure::kBlockSize;
  struct {
    const char* Name;
    std::vector<uint8_t> Bytes;
    int Items;
  } cases[] = {
      {"count 10001", bytes, 0},
      {"unknown kind", bytes, 1},
  };
  cases[0].Bytes[countAt] = 0x11, cases[0].Bytes[countAt + 1] = 0x27;
  // The second item's kind byte becomes one the factory does not know.
  const size_t firstItemEnd = countAt + 2 + 1 + 4 + Saved(*static_cast<TQSNote*>(Measure->GetItem(0))).size() - 4;
  cases[1].Bytes[firstItemEnd] = 5;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TMemoryStream s(c.Bytes);
    s.Seek(0, SeekOrigin::End);
    s.WriteU32(0xDEADBEEF);  // what follows the record
    s.SetPosition(0);
    TQSMeasure* read = Part->NewMeasure();
    read->LoadFromStream(s);
    EXPECT_EQ(read->ItemCount(), c.Items);
    EXPECT_EQ(read->Fields.Further4, 8);
    EXPECT_EQ(s.ReadU32(), 0xDEADBEEFu);
  }
}

TEST_F(MeasureTest, MeasuresNeedAPartAndAreRenumbered) {
  EXPECT_THROW(TQSMeasure(nullptr), Exception);
  TQSMeasure* second = Part->NewMeasure();
  TQSMeasure* third = Part->NewMeasure();
  EXPECT_EQ(third->Index, 2);
  delete second;
  EXPECT_EQ(third->Index, 1);
  EXPECT_EQ(Part->GetMeasure(1), third);
  EXPECT_EQ(Part->GetMeasure(2), nullptr);
}

TEST_F(MeasureTest, InsertionIndexKeepsPositionStaffAndVoiceOrder) {
  EXPECT_EQ(TQSScore::FindItemInsertIndex(*Measure, 0x00, 128, 0), 0);
  Note(0, 128);
  Note(128, 128, 0x50, 0x01);
  Mark(kind::Dynamics, 128, 0x00);  // marks are not compared
  struct {
    int StaffVoice, Position, StartIndex;
    bool AllVoices;
    int Expected;
  } cases[] = {
      {0x00, 128, 0, false, 1},  // before the later voice
      {0x02, 128, 0, false, 3},  // after it
      {0x10, 0, 0, false, 1},    // a later staff at 0 goes after staff 0
      {0x02, 128, 0, true, 1},   // every voice: before anything at the position
      {0x00, 128, 9, false, 3},  // a start beyond the list gives its end
  };
  for (const auto& c : cases) {
    Measure->Fields.Flags = c.AllVoices ? TQSMeasure::kAllVoices : 0;
    EXPECT_EQ(TQSScore::FindItemInsertIndex(*Measure, c.StaffVoice, c.Position, c.StartIndex), c.Expected);
  }
}
