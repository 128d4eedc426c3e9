#include <gtest/gtest.h>

#include "editing/resize.h"
#include "editing_fixture.h"

namespace qs::test {
namespace {

class ResizeTest : public TEditFixture {
 public:
  TQSMark* AddMark(TQSItemType k, int variant, int value) {
    auto* mark = static_cast<TQSMark*>(CreateItemByKind(k, Measure(0)));
    mark->Fields.Kind = static_cast<uint8_t>(variant);
    mark->Fields.Value = static_cast<uint16_t>(value);
    return mark;
  }
  // Steps the selected item again and again and returns the values read.
  template <class Read>
  std::vector<int> Steps(TQSItem* item, void (*command)(TQSScore&, int), int step, int times, Read read) {
    std::vector<int> out;
    for (int i = 0; i < times; ++i) {
      Score.Recalculate(0);
      View.Selected = {ElementOfItem(item)};
      command(Score, step);
      out.push_back(read());
    }
    return out;
  }
};

TEST_F(ResizeTest, HalvingAQuarterLeavesAnEighthAndARest) {
  TQSMeasure* m = OneMeasure();
  TQSNote* note = Note(m, 0, 128);
  Rest(m, 128, 128);
  Rest(m, 256, 256);
  Score.Recalculate(0);
  Select({note});
  const std::vector<uint8_t> before = Saved();
  ChangeSize(Score, -1);
  EXPECT_EQ(Timeline(m), "N0+64 R64+64 R128+128 R256+256");
  EXPECT_EQ(note->Fields.Length, 64);
  EXPECT_EQ(note->ExtraBeams(), 0);
  ExpectUndoRedo(before);
}

TEST_F(ResizeTest, HalvingStopsAtEightTicksAndDoublingAtTheMeasureEnd) {
  TQSMeasure* m = OneMeasure();
  Rest(m, 0, 256);
  TQSNote* note = Note(m, 256, 128);
  Rest(m, 384, 128);
  Score.Recalculate(0);
  const auto length = [&] { return int(note->Fields.Length); };
  EXPECT_EQ(Steps(note, ChangeSize, -1, 6, length), (std::vector<int>{64, 32, 16, 8, 8, 8}));
  EXPECT_EQ(note->ExtraBeams(), 3);
  EXPECT_EQ(Steps(note, ChangeSize, 1, 7, length), (std::vector<int>{16, 32, 64, 128, 256, 256, 256}));
  EXPECT_EQ(Timeline(m), "R0+256 N256+256");
}

TEST_F(ResizeTest, DoublingAnEighthDeletesTheNoteItNowCovers) {
  TQSMeasure* m = OneMeasure();
  TQSNote* note = Note(m, 0, 64);
  Note(m, 64, 64, 0x52);
  Rest(m, 128, 384);
  Score.Recalculate(0);
  Select({note});
  const std::vector<uint8_t> before = Saved();
  ChangeSize(Score, 1);
  EXPECT_EQ(Timeline(m), "N0+128 R128+384");
  ExpectUndoRedo(before);
}

TEST_F(ResizeTest, ANoteInATupletKeepsItsLength) {
  TQSMeasure* m = OneMeasure();
  auto* tuplet = AddMark(kind::Tuplet, 3, 64);
  tuplet->CalcTupletLengths();
  const int slot = TupletNoteLength(3, 64);
  TQSNote* note = Note(m, 0, slot);
  Note(m, slot, slot);
  Note(m, 2 * slot, TupletLength(3, 64) - 2 * slot);
  Rest(m, 128, 384);
  Score.Recalculate(0);
  Select({note});
  const std::vector<uint8_t> before = Saved();
  ChangeSize(Score, -1);
  ChangeSize(Score, 1);
  EXPECT_EQ(Saved(), before);
  EXPECT_EQ(Score.UndoCount(), 0);
}

TEST_F(ResizeTest, ValuesStepWithinTheirLimits) {
  OneMeasure();
  Note(Measure(0), 0, 512);
  struct Case {
    const char* name;
    TQSItemType kind;
    int variant, value, style, step, times;
    std::vector<int> expected;  // the value read after each step
    bool angle = false, opening = false;
  } cases[] = {
      {"arpeggio down to 1", kind::Arpeggio, 0, 2, 0, -1, 3, {1, 1, 1}},
      {"arpeggio up to 100", kind::Arpeggio, 0, 99, 0, 1, 3, {100, 100, 100}},
      {"hand mark up to 1000", kind::Hand, 0, 999, 0, 1, 2, {1000, 1000}},
      {"tuplet angle to 90", kind::Tuplet, 3, 64, 0, -1, 3, {-8, -16, -24}, true},
      {"hairpin opens first to step + 4", kind::Dynamics, 50, 128, 0, 1, 2, {5, 6}, false, true},
      {"hairpin opening stops at 96", kind::Dynamics, 51, 128, 95, 1, 3, {96, 96, 96}, false, true},
      {"an opening of 0 stays", kind::Dynamics, 50, 128, 1, -1, 3, {0, 0, 0}, false, true},
  };
  for (const Case& c : cases) {
    TQSMark* mark = AddMark(c.kind, c.variant, c.value);
    mark->Fields.Style = static_cast<uint8_t>(c.style);
    if (c.kind == kind::Tuplet) mark->CalcTupletLengths();
    const auto read = [&] {
      return c.angle ? int(mark->Fields.Angle) : c.opening ? int(mark->Fields.Style) : int(mark->Fields.Value);
    };
    EXPECT_EQ(Steps(mark, ChangeItemValue, c.step, c.times, read), c.expected) << c.name;
    delete mark;
  }
}

TEST_F(ResizeTest, TupletAnglesStayWithinNinetyDegrees) {
  OneMeasure();
  TQSMark* tuplet = AddMark(kind::Tuplet, 3, 64);
  tuplet->CalcTupletLengths();
  tuplet->Fields.Angle = 86;
  Note(Measure(0), 0, 512);
  Score.Recalculate(0);
  const auto angle = [&] { return int(tuplet->Fields.Angle); };
  EXPECT_EQ(Steps(tuplet, ChangeItemValue, 1, 2, angle), (std::vector<int>{90, 90}));
  EXPECT_EQ(Score.UndoCount(), 1);
}

TEST_F(ResizeTest, StemsLengthenAwayFromTheHeadAndNeverGoBelowZero) {
  TQSMeasure* m = OneMeasure();
  TQSNote* up = Note(m, 0, 512);
  up->Fields.StemLength = 1;
  Score.Recalculate(0);
  const auto stem = [&] { return int(up->Fields.StemLength); };
  EXPECT_EQ(Steps(up, ChangeItemValue, -1, 1, stem), (std::vector<int>{2}));
  EXPECT_EQ(Steps(up, ChangeItemValue, 1, 3, stem), (std::vector<int>{1, 0, 0}));
  EXPECT_EQ(Score.UndoCount(), 3);
  up->SetStemDown(true);
  EXPECT_EQ(Steps(up, ChangeItemValue, 1, 1, stem), (std::vector<int>{1}));
}

TEST_F(ResizeTest, AVoltaChangesByOneAndNeverBelowOne) {
  TQSPiece* piece = AddPiece({1}, 1);
  Note(Measure(0), 0, 512);
  auto* volta = static_cast<TQSMark*>(CreateItemByKind(kind::Volta, piece->GetColumn(0)));
  volta->Fields.Value = 2;
  Score.Recalculate(0);
  TQSCalcItem* shown = ElementOfItem(volta);
  if (!shown) GTEST_SKIP() << "a volta without a bar line to hang on is not laid out";
  const auto value = [&] { return int(volta->Fields.Value); };
  EXPECT_EQ(Steps(volta, ChangeSize, -1, 3, value), (std::vector<int>{1, 1, 1}));
}

TEST_F(ResizeTest, WithNothingSelectedChangeItemValueDoesNothing) {
  TQSMeasure* m = OneMeasure();
  Note(m, 0, 512);
  Score.Recalculate(0);
  const std::vector<uint8_t> before = Saved();
  Changed = 0;
  ChangeItemValue(Score, 1);
  EXPECT_EQ(Saved(), before);
  EXPECT_EQ(Score.UndoCount(), 0);
  EXPECT_EQ(Changed, 0);
}

// The line joining a group's staves: +1 takes in the next staff, -1 ends
// the group a staff earlier, or gives the piece's last staff a group of its
// own; the barlines are drawn by the new groups, and nothing is recorded.
TEST_F(ResizeTest, AGroupLineStepsTheStaffGroups) {
  AddPiece({2, 1, 1}, 1);
  ASSERT_EQ(Groups(), "0 0 1 2");
  ASSERT_EQ(DrawnGroups(), "0 2 3");
  struct Step {
    int line;  // the selected line, by its place among the drawn ones
    int step;
    const char* groups;
    const char* drawn;
  } const steps[] = {{0, 1, "0 0 0 2", "0 3"},  {0, 1, "0 0 0 0", "0"},   {0, 1, "0 0 0 0", "0"},
                     {0, -1, "0 0 0 1", "0 3"}, {0, -1, "0 0 1 1", "0 2"}, {1, -1, "0 0 1 2", "0 2 3"}};
  for (const Step& s : steps) {
    Changed = 0;
    const std::string was = Groups();
    View.Selected = {GroupLines().at(static_cast<size_t>(s.line))};
    ChangeItemValue(Score, s.step);
    EXPECT_EQ(Groups(), s.groups) << was << " by " << s.step;
    EXPECT_EQ(DrawnGroups(), s.drawn) << was << " by " << s.step;
    EXPECT_EQ(Changed, was == s.groups ? 0 : 1);
  }
  EXPECT_EQ(Score.UndoCount(), 0);
}

// A repeat's barline stands for the group of its staff row.
TEST_F(ResizeTest, ARepeatBarlineStepsTheGroupOfItsRow) {
  TQSPiece* piece = AddPiece({1, 1}, 2);
  auto* repeat = static_cast<TQSMark*>(CreateItemByKind(kind::RepeatClose, piece->GetColumn(0)));
  repeat->Fields.Time = 512;
  Score.Recalculate(0);
  ASSERT_NE(repeat->LayoutLink, nullptr);
  View.Selected.clear();
  for (TQSCalcItem* e = repeat->LayoutLink; e; e = e->Next)
    if (e->Row && e->Row->Staff == PieceStaves()[0]) View.Selected.push_back(e);
  ASSERT_EQ(View.Selected.size(), 1u);
  ChangeItemValue(Score, 1);
  EXPECT_EQ(Groups(), "0 0");
  EXPECT_EQ(repeat->Fields.Value, 0);
  EXPECT_EQ(Score.UndoCount(), 0);
}

TEST_F(ResizeTest, WithNothingSelectedChangeSizeHalvesTheNotesAtTheCursor) {
  TQSMeasure* m = OneMeasure();
  Note(m, 0, 512);
  Score.Recalculate(0);
  Cursor(0, 0);
  const std::vector<uint8_t> before = Saved();
  ChangeSize(Score, -1);
  EXPECT_EQ(Timeline(m), "N0+256 R256+256");
  ExpectUndoRedo(before);
}

}  // namespace
}  // namespace qs::test
