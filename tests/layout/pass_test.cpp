// Line and page breaking, staff rows, measure widths and the restart of a
// pass from a page.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <new>
#include <stdexcept>
#include <string>

#include "base/exceptions.h"
#include "content_fixture.h"
#include "layout_fixture.h"

namespace qs::test {
namespace {

// An empty measure: the minimum rooms give 8 x 16 before tick 0 and 8 x 8
// after the last tick, 192; below 8 x (8 + 32) it grows by 8 x 32 to 448,
// which is also the minimum 8 x 56. A measure number beyond the piece's end
// (no part has it) gets the minimum width and then the short-measure extra
// once more: 448 + 8 x 32 = 704.
TEST(LayoutPass, EmptyMeasuresFillSystemsAndThePage) {
  TLayoutScore s;
  s.AddPiece({1}, 14);
  s.Layout();

  ASSERT_EQ(s.Score.LaidOutPages, 1);
  const TQSCalcPage& page = s.Page(0);
  // Systems start 384 units apart: staff 192 + interval 192. An eleventh
  // staff would end exactly on the bottom limit, but the interval after it
  // would not fit.
  ASSERT_EQ(page.SystemCount, 10);
  EXPECT_EQ(page.StaffRowCount, 10);
  for (int r = 0; r < 10; ++r) {
    EXPECT_EQ(s.Row(0, r).Top, kFirstRowTop + r * kRowStep);
    EXPECT_EQ(s.Row(0, r).Bottom, kFirstRowTop + r * kRowStep + kStaffHeight);
    EXPECT_EQ(s.Row(0, r).TopLine, s.Row(0, r).Top);
  }
  // 384 + 6 x 448 = 3072 < 3456, a seventh would end at 3520. The third
  // system holds measures 12 and 13 and three of 704: 1280 + 3 x 704 = 3392.
  // Later systems: 384 + 4 x 704 = 3200.
  EXPECT_EQ(s.MeasuresPerSystem(0), (std::vector<int>{6, 6, 5, 4, 4, 4, 4, 4, 4, 4}));
  for (int k = 0; k < 6; ++k) {
    const TQSCalcMeasure& slot = s.Slot(0, 0, k);
    EXPECT_EQ(slot.MeasureIndex, k);
    EXPECT_EQ(slot.ContentWidth, 192);
    EXPECT_EQ(slot.Width, 448);
    EXPECT_EQ(slot.Box, (TRect{kLeft + 448 * k, kFirstRowTop, kLeft + 448 * (k + 1), kFirstRowTop + kStaffHeight}));
  }
  EXPECT_EQ(s.Slot(0, 2, 2).Width, 704);
  EXPECT_EQ(s.Slot(0, 2, 2).MeasureIndex, 14);
  EXPECT_EQ(page.MeasureCount, 6 + 6 + 5 + 7 * 4);
  EXPECT_EQ(s.Score.MeasureCounter, page.MeasureCount);
  // The piece's fourteen measures count as used although nothing is drawn
  // in them; the measures that fill the page after them do not.
  EXPECT_EQ(s.Score.UsedMeasures, 14);
  EXPECT_EQ(s.Score.PendingStartPage, -1);
}

// Which measures count as used (print and export stop after the last one):
// every measure the piece holds, empty or not, up to a final barline; after
// it none until music comes again, and from there on the piece's measures
// count as before.
TEST(LayoutPass, UsedMeasuresRunToTheFinalBarline) {
  struct Case {
    const char* name;
    int barKind, barColumn, noteMeasure, used;
  };
  const Case cases[] = {
      {"blank", 0, -1, -1, 6},
      {"final barline", kind::CompositionEnd, 2, -1, 3},
      {"final barline on the last", kind::CompositionEnd, 5, -1, 6},
      {"double barline", kind::SectionEnd, 2, -1, 6},
      {"music after the final barline", kind::CompositionEnd, 1, 4, 6},
      {"music before the final barline", kind::CompositionEnd, 2, 0, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TLayoutScore s;
    TQSPiece* piece = s.AddPiece({1}, 6);
    if (c.barColumn >= 0) s.Mark(piece->GetColumn(c.barColumn), static_cast<TQSItemType>(c.barKind), 512);
    if (c.noteMeasure >= 0) s.Quarters(piece->GetPart(0)->GetMeasure(c.noteMeasure));
    s.Layout();
    ASSERT_GT(s.Page(0).MeasureCount, 6);
    EXPECT_EQ(s.Score.UsedMeasures, c.used);
  }
}

// Row bounds lie halfway between rows; the first row's upper bound is the
// top margin, the last row's lower bound the bottom limit.
TEST(LayoutPass, RowAndSystemBounds) {
  TLayoutScore s;
  s.AddPiece({2}, 3);
  s.Layout();
  const TQSCalcPage& page = s.Page(0);
  ASSERT_GE(page.SystemCount, 2);
  EXPECT_EQ(s.Row(0, 0).UpperBound, kTop);
  EXPECT_EQ(s.Row(0, 0).LowerBound, (s.Row(0, 0).Bottom + s.Row(0, 1).Top) / 2);
  EXPECT_EQ(s.Row(0, 1).UpperBound, s.Row(0, 0).LowerBound);
  EXPECT_EQ(s.Row(0, page.StaffRowCount - 1).LowerBound, kBottom);
  EXPECT_EQ(s.System(0, 0).UpperBound, kTop);
  EXPECT_EQ(s.System(0, 0).LowerBound, (s.System(0, 0).Bottom + s.System(0, 1).Top) / 2);
  EXPECT_EQ(s.System(0, 1).UpperBound, s.System(0, 0).LowerBound);
  EXPECT_EQ(s.System(0, page.SystemCount - 1).LowerBound, kBottom);
  EXPECT_EQ(s.System(0, 1).FirstRow, 2);
  EXPECT_EQ(s.System(0, 1).LastRow, 3);
}

// Four quarters at ticks 0, 128, 256 and 384 with Align 12 (even placing,
// interval 16): each quarter needs 5 pixels left and 6 right; tick 0's left
// room is raised to 16, the last tick's right room to 8. The interval is
// added for every non-empty pair of neighbouring ticks:
// 8 x 16 + 4 x (8 x 6 + 16) + 3 x (8 x 5 + 16) + 8 x 8 = 616.
TEST(LayoutPass, ContentWidthOfQuarters) {
  struct TCase {
    int Align;
    bool Notes;
    int Content, Width;
  };
  const TCase cases[] = {
      {12, true, 616, 616},
      {12, false, 192, 448},
      {10, true, 128 + 4 * 48 + 3 * 40 + 64, 8 * 16 + 4 * 48 + 3 * 40 + 64},  // no interval: 504
      // A fixed count of measures per line writes no rooms: the minimum
      // rooms alone. (Such a line is always justified, so its width shows
      // nothing of the missing extras.)
      {104, true, 192, -1},
      {104, false, 192, -1},
  };
  for (const TCase& t : cases) {
    TLayoutScore s;
    s.Score.Align = static_cast<uint8_t>(t.Align);
    TQSPiece* piece = s.AddPiece({1}, 1);
    if (t.Notes) s.Quarters(piece->GetPart(0)->GetMeasure(0));
    s.Layout();
    const TQSCalcMeasure& slot = s.Slot(0, 0, 0);
    EXPECT_EQ(slot.ContentWidth, t.Content) << t.Align << " " << t.Notes;
    if (t.Width >= 0) {
      EXPECT_EQ(slot.Width, t.Width) << t.Align << " " << t.Notes;
    }
  }
}

// Align 50 places proportionally: a quarter's right room is at least 10;
// all but 4 of it is spread as single pixels over the ticks it sounds.
TEST(LayoutPass, ProportionalRoomsSpreadOverTheNoteLength) {
  TLayoutScore s;
  s.Score.Align = 50;
  TQSPiece* piece = s.AddPiece({1}, 1);
  s.Note(piece->GetPart(0)->GetMeasure(0), 0, 128);
  s.Layout();
  // The positions are x offsets by now; the spread pixels show as 6 steps
  // of 8 units right after tick 0, the remaining room 4 at tick 0 itself.
  const TQSCalcMeasure& slot = s.Slot(0, 0, 0);
  const int start = 8 * 16;  // left room of tick 0, raised to the minimum 16
  EXPECT_EQ(slot.Positions[0], start);
  EXPECT_EQ(slot.Positions[1], start + 8 * 4);  // the right room left at tick 0
  for (int t = 2; t <= 7; ++t) EXPECT_EQ(slot.Positions[t] - slot.Positions[t - 1], 8) << t;  // ticks 1-6
  EXPECT_EQ(slot.Positions[8], slot.Positions[7]);
}

// Tick positions of a measure with at most one rest get a grid of occupied
// ticks: every 32 ticks when the spare room is up to 256 units, 16 up to
// 512, else 8.
TEST(LayoutPass, TickGridOfEmptyMeasures) {
  struct TCase {
    int MinimumWidth, Step;
  };
  for (const TCase t : {TCase{40, 32}, TCase{56, 16}, TCase{100, 8}}) {
    TLayoutScore s;
    s.Score.Spacing2 = static_cast<uint16_t>(t.MinimumWidth);
    s.Score.Spacing4 = 0;  // the width is then the minimum width
    s.AddPiece({1}, 1);
    s.Layout();
    const TQSCalcMeasure& slot = s.Slot(0, 0, 0);
    // Tick 0 starts after its left room (128); every grid tick adds a
    // one-pixel gap after it, the last tick its right room 8.
    const int gridTicks = 512 / t.Step - 1;
    EXPECT_EQ(slot.Positions[0], 128) << t.MinimumWidth;
    EXPECT_EQ(slot.Positions[t.Step], 128) << t.MinimumWidth;
    EXPECT_EQ(slot.Positions[t.Step + 1], 136) << t.MinimumWidth;
    EXPECT_EQ(slot.Positions[511], 128 + 8 * gridTicks + 64) << t.MinimumWidth;
  }
}

// Align 10-49 gives the interval (Align - 10) x 8, 50-100 keep the score's
// NoteInterval, 1 acts as 0; above 100 a fixed count of measures fills every
// system whatever the widths.
TEST(LayoutPass, AlignmentModes) {
  struct TCase {
    int Align, NoteInterval, ExpectedGap;
  };
  // From tick 0 to 128: the right room of the first quarter and the left
  // room of the second, 8 x (6 + 5), each with the interval.
  for (const TCase t : {TCase{12, 100, 88 + 2 * 16}, TCase{10, 100, 88}, TCase{49, 0, 88 + 2 * 312},
                        TCase{1, 24, 88 + 2 * 24}, TCase{0, 24, 88 + 2 * 24},
                        // Proportional placing keeps NoteInterval: tick 0 keeps right room 4,
                        // ticks 1-6 get a pixel each, every gap gets the interval.
                        TCase{60, 24, (8 * 4 + 24) + 6 * (8 + 24) + (8 * 5 + 24)}}) {
    TLayoutScore s;
    s.Score.Align = static_cast<uint8_t>(t.Align);
    s.Score.NoteInterval = t.NoteInterval;
    TQSPiece* piece = s.AddPiece({1}, 1);
    s.Note(piece->GetPart(0)->GetMeasure(0), 0, 128);
    s.Note(piece->GetPart(0)->GetMeasure(0), 128, 128);
    s.Layout();
    const TQSCalcMeasure& slot = s.Slot(0, 0, 0);
    EXPECT_EQ(slot.Positions[128] - slot.Positions[0], t.ExpectedGap) << t.Align;
  }

  TLayoutScore s;
  s.Score.Align = 104;
  TQSPiece* piece = s.AddPiece({1}, 10);
  for (int m = 0; m < 10; ++m) s.Quarters(piece->GetPart(0)->GetMeasure(m));
  // Its own alignment byte gives the second system two measures.
  piece->Spacing.AlignStyles = {0, 102};
  s.Layout();
  EXPECT_EQ(s.MeasuresPerSystem(0)[0], 4);
  EXPECT_EQ(s.MeasuresPerSystem(0)[1], 2);
  EXPECT_EQ(s.MeasuresPerSystem(0)[2], 4);
}

// A system's own alignment byte rules its tick positions as the score's
// alignment would: a fixed count of measures per line places an empty
// measure without the tick grid of free placing.
TEST(LayoutPass, OwnAlignmentByteRulesTickPositions) {
  auto positions = [](int scoreAlign, std::vector<int16_t> own) {
    TLayoutScore s;
    s.Score.Align = static_cast<uint8_t>(scoreAlign);
    TQSPiece* piece = s.AddPiece({1}, 2);
    piece->Spacing.AlignStyles = std::move(own);
    s.Layout();
    return s.Slot(0, 0, 0).Positions;
  };
  EXPECT_EQ(positions(0, {102}), positions(102, {}));
  EXPECT_EQ(positions(102, {12}), positions(12, {}));
}

// A long piece breaks into systems of four measures of 616 (a fifth would
// end at 384 + 5 x 616 = 3464 > 3456) and pages of ten systems. The last
// page ends exactly with the piece: no further page follows.
TEST(LayoutPass, LongPieceBreaksIntoSystemsAndPages) {
  TLayoutScore s;
  TQSPiece* piece = s.AddPiece({1}, 200);
  for (int m = 0; m < 200; ++m) s.Quarters(piece->GetPart(0)->GetMeasure(m));
  s.Layout();

  ASSERT_EQ(s.Score.LaidOutPages, 5);
  for (int p = 0; p < 5; ++p) {
    const TQSCalcPage& page = s.Page(p);
    EXPECT_EQ(page.FirstMeasure, 40 * p);
    // The running totals a page passes on to the next.
    EXPECT_EQ(page.SystemsBefore, 10 * (p + 1));
    EXPECT_EQ(page.RowsBefore, 10 * (p + 1));
    EXPECT_EQ(page.SystemCount, 10);
    for (int sy = 0; sy < page.SystemCount; ++sy) {
      const TQSCalcSystem& system = s.System(p, sy);
      EXPECT_EQ(system.Number, 10 * p + sy);
      EXPECT_EQ(system.FirstMeasure, 40 * p + 4 * sy);
      for (int k = 0; k < system.MeasureCount; ++k) {
        const TQSCalcMeasure& slot = s.Slot(p, sy, k);
        // The piece finds every laid-out measure's slot by its number.
        EXPECT_EQ(piece->Slots[slot.MeasureIndex], &slot);
        if (k > 0) {
          EXPECT_EQ(slot.Box.Left, s.Slot(p, sy, k - 1).Box.Right);
        }
      }
    }
    EXPECT_EQ(page.NextMeasure, 40 * (p + 1));
  }
  EXPECT_EQ(s.Score.UsedMeasures, 200);
  EXPECT_EQ(s.Score.MeasureCounter, 200);
  EXPECT_EQ(piece->LastLaidOutMeasure, 199);
  EXPECT_EQ(s.Page(0).MeasuresDone, 40);
}

// Manual breaks: a line break after measure 2 ends the system; a page break
// with count 3 after measure 5 ends the page and two empty pages follow.
// EmptyPages 2 starts the music on page index 2.
TEST(LayoutPass, ManualBreaksAndEmptyPages) {
  TLayoutScore s;
  TQSPiece* piece = s.AddPiece({1}, 8);
  for (int m = 0; m < 8; ++m) s.Quarters(piece->GetPart(0)->GetMeasure(m));
  piece->GetColumn(2)->Fields.SystemBreak = 1;
  piece->GetColumn(5)->Fields.PageBreak = 3;
  s.Layout();
  ASSERT_EQ(s.Score.LaidOutPages, 4);
  EXPECT_EQ(s.MeasuresPerSystem(0), (std::vector<int>{3, 3}));
  for (int p : {1, 2}) {
    EXPECT_TRUE(s.Page(p).IsEmpty) << p;
    EXPECT_EQ(s.Page(p).SystemCount, 0) << p;
  }
  EXPECT_FALSE(s.Page(3).IsEmpty);
  EXPECT_EQ(s.Page(3).FirstMeasure, 6);
  EXPECT_EQ(s.System(3, 0).FirstMeasure, 6);
  // A broken system is not justified unless asked: its end stays where
  // its last measure ends.
  EXPECT_EQ(s.Slot(0, 0, 2).Box.Right, kLeft + 3 * 616);

  TLayoutScore e;
  e.Score.EmptyPages = 2;
  e.AddPiece({1}, 1);
  e.Layout();
  ASSERT_EQ(e.Score.LaidOutPages, 3);
  EXPECT_TRUE(e.Page(0).IsEmpty);
  EXPECT_TRUE(e.Page(1).IsEmpty);
  EXPECT_FALSE(e.Page(2).IsEmpty);
  EXPECT_EQ(e.System(2, 0).FirstMeasure, 0);

  // PageCount asks for more pages of empty systems.
  TLayoutScore c;
  c.Score.PageCount = 3;
  c.AddPiece({1}, 1);
  c.Layout();
  EXPECT_EQ(c.Score.LaidOutPages, 3);
  EXPECT_EQ(c.Page(2).SystemCount, 10);
}

// The horizontal alignment spreads the spare room of a system over its
// measures 8 units at a time, ends first: the last measure ends on the
// right limit.
TEST(LayoutPass, JustificationFillsTheSystem) {
  TLayoutScore s;
  s.Score.HorzAlign = 1;
  TQSPiece* piece = s.AddPiece({1}, 12);
  for (int m = 0; m < 12; ++m) s.Quarters(piece->GetPart(0)->GetMeasure(m));
  s.Layout();
  // Spare 3456 - (384 + 4 x 616) = 608 = 76 steps of 8: each of the four
  // measures gets 19 of them.
  const TQSCalcSystem& system = s.System(0, 0);
  ASSERT_EQ(system.MeasureCount, 4);
  for (int k = 0; k < 4; ++k) {
    EXPECT_EQ(s.Slot(0, 0, k).Width, 616 + 19 * 8) << k;
    EXPECT_EQ(s.Slot(0, 0, k).Box.Left, kLeft + k * (616 + 152)) << k;
  }
  EXPECT_EQ(s.Slot(0, 0, 3).Box.Right, kRight);

  // A fixed count of measures per line spreads the spare over every tick.
  TLayoutScore f;
  f.Score.Align = 102;
  f.AddPiece({1}, 4);
  f.Layout();
  // Two empty measures of 192: spare 3456 - 384 - 384 = 2688 over 1024
  // ticks, added in whole units as the running share passes the rounded
  // share per tick.
  const int spread = f.Slot(0, 0, 0).Width + f.Slot(0, 0, 1).Width - 2 * 192;
  EXPECT_LE(spread, 2688);
  EXPECT_GE(spread, 2688 - 4);
  EXPECT_EQ(f.Slot(0, 0, 1).Box.Right, kLeft + 384 + spread);
}

// The vertical fill measures how many systems fit and shares out what is
// left below the last one among all staff rows measured.
TEST(LayoutPass, VerticalFill) {
  TLayoutScore s;
  s.Score.VertAlign = 1;
  s.AddPiece({1}, 1);
  s.Layout();
  // Trial systems start at 190.5, 317.5 ... tenths; the eleventh starts at
  // 1460.5 and ends beyond 1524: the gap is (1524 - 1460.5) / 11 tenths.
  // Ten systems then fit.
  const long double gap = (1524.0L - 1460.5L) / 11;
  auto units = [](long double tenths) { return static_cast<int>(std::nearbyint(tenths * 768 / 254)); };
  for (int r = 0; r < 4; ++r)
    EXPECT_EQ(s.Row(0, r).Top, units(190.5L + r * (127 + gap))) << r;
  EXPECT_EQ(s.Page(0).SystemCount, 10);

  // A first system taller than the page pulls its staves together.
  TLayoutScore t;
  t.Score.VertAlign = 1;
  t.AddPiece({14}, 1);
  t.Layout();
  ASSERT_EQ(t.Page(0).SystemCount, 1);
  EXPECT_LT(t.Row(0, 1).Top - t.Row(0, 0).Top, kRowStep);
}

// A piece other than the last ends its last system with empty measures;
// the next piece starts on a new system of the same page, numbered from 0,
// with no clef, key or accolade of the piece before.
TEST(LayoutPass, NextPieceOnANewSystem) {
  TLayoutScore s;
  TQSPiece* first = s.AddPiece({1}, 5);
  TQSPiece* second = s.AddPiece({1}, 3);
  s.Mark(first->GetPart(0)->GetMeasure(0), kind::Clef, 0, 0, clef::Treble);
  for (int m = 0; m < 5; ++m) s.Quarters(first->GetPart(0)->GetMeasure(m));
  for (int m = 0; m < 3; ++m) s.Quarters(second->GetPart(0)->GetMeasure(m));
  s.Layout();

  ASSERT_EQ(s.Score.LaidOutPages, 1);
  const TQSCalcPage& page = s.Page(0);
  EXPECT_EQ(page.FirstPiece, 0);
  EXPECT_EQ(page.PieceChanges, 1);
  ASSERT_GE(page.SystemCount, 3);
  EXPECT_EQ(s.System(0, 1).Piece, first);
  EXPECT_EQ(s.System(0, 1).FirstMeasure, 4);
  const TQSCalcSystem& next = s.System(0, 2);
  EXPECT_EQ(next.Piece, second);
  EXPECT_EQ(next.FirstMeasure, 0);
  EXPECT_EQ(next.Number, 0);
  EXPECT_EQ(next.Top, kFirstRowTop + 2 * kRowStep);
  EXPECT_EQ(second->FirstRow, 2);
  EXPECT_EQ(first->LastLaidOutMeasure, s.System(0, 1).FirstMeasure + s.System(0, 1).MeasureCount - 1);
  EXPECT_TRUE(s.Elements(s.Slot(0, 2, 0), kind::Clef).empty());
  EXPECT_EQ(s.Slot(0, 2, 0).ClefWidth, 0);
  EXPECT_EQ(second->Slots[0], &s.Slot(0, 2, 0));
}

// In part view only the part under the active view's cursor is laid out,
// with the part's own page objects.
TEST(LayoutPass, PartView) {
  TLayoutScore s;
  TQSPiece* piece = s.AddPiece({2, 1}, 2);
  auto* text = static_cast<TQSText*>(CreateItemByKind(kind::Text, piece->GetPart(1)));
  text->Lines = {"part"};
  text->Fields.Page = 1;
  TRecordingView view;
  s.Score.AttachWindow(&view);
  view.CursorPosition.Part = 1;
  s.Score.ViewStyle = TQSViewStyle::vsPart;
  s.Layout();
  const TQSCalcSystem& system = s.System(0, 0);
  EXPECT_EQ(system.LastRow - system.FirstRow, 0);
  EXPECT_EQ(s.Row(0, 0).Staff, piece->GetPart(1)->GetStaff(0));
  EXPECT_EQ(s.Row(0, 1).Top, kFirstRowTop + kRowStep);
  ASSERT_EQ(s.Page(0).PageItemCount, 1);
  EXPECT_EQ(s.Page(0).PageItems.At(0)->Item, text);
  s.Score.DetachWindow(&view);
}

// A pass from page p keeps pages 0 to p - 1 and gives the records a full
// pass gives.
TEST(LayoutPass, RelayoutFromAPageEqualsAFullPass) {
  auto build = [](TLayoutScore& s, TQSMark*& clef) {
    TQSPiece* piece = s.AddPiece({2, 1}, 120);
    TQSMeasure* first = piece->GetPart(0)->GetMeasure(0);
    s.Mark(first, kind::Accolade, 0, 0, 0);
    clef = s.Mark(first, kind::Clef, 0, 0, clef::Treble);
    s.Mark(first, kind::Key, 0, 0, 2);
    s.Mark(piece->GetColumn(0), kind::Meter, 0, MakeMeter(3, 4));
    for (int p = 0; p < 2; ++p)
      for (int m = 0; m < 120; ++m) s.Quarters(piece->GetPart(p)->GetMeasure(m));
    return piece;
  };
  TLayoutScore a, b;
  TQSMark *clefA, *clefB;
  TQSPiece* pa = build(a, clefA);
  TQSPiece* pb = build(b, clefB);
  a.Layout();
  ASSERT_GE(a.Score.LaidOutPages, 4);
  const int from = a.Score.LaidOutPages - 2;
  // Records and values of the kept pages, to compare after the restart.
  std::vector<const TQSCalcMeasure*> kept;
  std::vector<TRect> keptBoxes;
  for (int p = 0; p < from; ++p)
    for (int sy = 0; sy < a.Page(p).SystemCount; ++sy)
      for (int k = 0; k < a.System(p, sy).MeasureCount; ++k) {
        kept.push_back(&a.Slot(p, sy, k));
        keptBoxes.push_back(a.Slot(p, sy, k).Box);
      }

  // The same change in both, then a pass from `from` against a full pass.
  for (auto [score, piece] : {std::pair{&a, pa}, std::pair{&b, pb}}) {
    TQSMeasure* m = piece->GetPart(1)->GetMeasure(119);
    m->Clear();
    score->Note(m, 0, 512);
  }
  a.Layout(from);
  b.Layout();

  for (size_t i = 0; i < kept.size(); ++i) EXPECT_EQ(kept[i]->Box, keptBoxes[i]);
  // A start beyond the pages laid out starts at the first page not laid
  // out: the music has ended there, nothing changes.
  const int pages = a.Score.LaidOutPages;
  a.Layout(pages + 5);
  EXPECT_EQ(a.Score.LaidOutPages, pages);
  ASSERT_EQ(a.Score.LaidOutPages, b.Score.LaidOutPages);
  EXPECT_EQ(a.Score.MeasureCounter, b.Score.MeasureCounter);
  EXPECT_EQ(a.Score.UsedMeasures, b.Score.UsedMeasures);
  EXPECT_DOUBLE_EQ(a.Score.TotalMs, b.Score.TotalMs);
  for (int p = 0; p < a.Score.LaidOutPages; ++p) {
    const TQSCalcPage& x = a.Page(p);
    const TQSCalcPage& y = b.Page(p);
    ASSERT_EQ(x.SystemCount, y.SystemCount) << p;
    EXPECT_EQ(x.FirstMeasure, y.FirstMeasure) << p;
    EXPECT_EQ(x.StaffRowCount, y.StaffRowCount) << p;
    for (int r = 0; r < x.StaffRowCount; ++r) EXPECT_EQ(x.StaffRows.At(r)->Top, y.StaffRows.At(r)->Top);
    for (int sy = 0; sy < x.SystemCount; ++sy) {
      ASSERT_EQ(a.System(p, sy).MeasureCount, b.System(p, sy).MeasureCount) << p << " " << sy;
      for (int k = 0; k < a.System(p, sy).MeasureCount; ++k) {
        const TQSCalcMeasure& sa = a.Slot(p, sy, k);
        const TQSCalcMeasure& sb = b.Slot(p, sy, k);
        EXPECT_EQ(sa.Box, sb.Box);
        EXPECT_EQ(sa.Meter, sb.Meter);
        ASSERT_EQ(sa.ItemCount, sb.ItemCount) << p << " " << sy << " " << k;
        EXPECT_EQ(sa.EventCount, sb.EventCount);
        for (int i = 0; i < sa.ItemCount; ++i) {
          EXPECT_EQ(sa.Items.At(i)->Box, sb.Items.At(i)->Box);
          EXPECT_EQ(sa.Items.At(i)->ElementType, sb.Items.At(i)->ElementType);
        }
      }
    }
  }
  // The clef drawn at every system start is chained from the newest
  // element back through all pages, in both.
  auto chain = [](const TQSItem* item) {
    int n = 0;
    for (const TQSCalcItem* e = item->LayoutLink; e && n < 100000; e = e->Next) ++n;
    return n;
  };
  EXPECT_EQ(chain(clefA), chain(clefB));
  int systems = 0;
  for (int p = 0; p < a.Score.LaidOutPages; ++p) systems += a.Page(p).SystemCount;
  EXPECT_EQ(chain(clefA), systems);
}

// A pass from page p lays out only the pages from p on: the records of
// the pages before it are not touched (a mark left in them survives), and
// the pages from p on come out as a full pass makes them.
TEST(LayoutPass, RelayoutFromAPageTouchesOnlyThePagesFromIt) {
  constexpr int kMeasures = 100;
  auto build = [](TLayoutScore& s) {
    TQSPiece* piece = s.AddPiece({2}, kMeasures);
    s.Mark(piece->GetPart(0)->GetMeasure(0), kind::Clef, 0, 0, clef::Treble);
    for (int m = 0; m < kMeasures; ++m) s.Quarters(piece->GetPart(0)->GetMeasure(m));
    return piece;
  };
  const TRect kUntouched{-7, -7, -7, -7};
  TLayoutScore full;
  TQSPiece* fullPiece = build(full);
  full.Layout();
  const int pages = full.Score.LaidOutPages;
  ASSERT_GE(pages, 4);
  for (int from : {1, pages / 2, pages - 1}) {
    SCOPED_TRACE(from);
    TLayoutScore a;
    TQSPiece* piece = build(a);
    a.Layout();
    for (int p = 0; p < from; ++p)
      for (int sy = 0; sy < a.Page(p).SystemCount; ++sy)
        for (int k = 0; k < a.System(p, sy).MeasureCount; ++k)
          const_cast<TQSCalcMeasure&>(a.Slot(p, sy, k)).Box = kUntouched;
    // A change on the last page, made in both.
    for (auto [score, pc] : {std::pair{&a, piece}, std::pair{&full, fullPiece}}) {
      TQSMeasure* m = pc->GetPart(0)->GetMeasure(kMeasures - 1);
      m->Clear();
      score->Note(m, 0, 512);
    }
    a.Layout(from);
    full.Layout();

    int untouched = 0, slots = 0;
    for (int p = 0; p < from; ++p)
      for (int sy = 0; sy < a.Page(p).SystemCount; ++sy)
        for (int k = 0; k < a.System(p, sy).MeasureCount; ++k, ++slots)
          if (a.Slot(p, sy, k).Box == kUntouched) ++untouched;
    EXPECT_GT(slots, 0);
    EXPECT_EQ(untouched, slots);
    ASSERT_EQ(a.Score.LaidOutPages, full.Score.LaidOutPages);
    EXPECT_EQ(a.Score.MeasureCounter, full.Score.MeasureCounter);
    EXPECT_DOUBLE_EQ(a.Score.TotalMs, full.Score.TotalMs);
    for (int p = from; p < pages; ++p) {
      ASSERT_EQ(a.MeasuresPerSystem(p), full.MeasuresPerSystem(p)) << p;
      for (int sy = 0; sy < a.Page(p).SystemCount; ++sy)
        for (int k = 0; k < a.System(p, sy).MeasureCount; ++k) {
          const TQSCalcMeasure& x = a.Slot(p, sy, k);
          const TQSCalcMeasure& y = full.Slot(p, sy, k);
          EXPECT_EQ(x.Box, y.Box);
          ASSERT_EQ(x.ItemCount, y.ItemCount);
          for (int i = 0; i < x.ItemCount; ++i) EXPECT_EQ(x.Items.At(i)->Box, y.Items.At(i)->Box);
        }
    }
  }
}

// A pass that an error stops keeps the pages finished so far and still
// tells the views. Damage of the score ends it quietly; memory running out
// and any other error reach the caller, memory as "Out of memory".
TEST(LayoutPass, AStoppedPassStillRefreshesTheViews) {
  const struct {
    const char* Name;
    std::function<void()> Raise;
    const char* Error;  // nullptr: the pass ends quietly
  } cases[] = {
      {"damage", [] { throw EListError("List index out of bounds (9)"); }, nullptr},
      {"memory", [] { throw std::bad_alloc(); }, "Out of memory"},
      {"other", [] { throw std::runtime_error("no font"); }, "no font"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    constexpr int kMeasures = 150;
    TContentScore s(kMeasures);
    for (int m = 0; m < kMeasures; ++m) s.Quarters(s.Measure(m));
    s.Layout();
    const int pages = s.Score.LaidOutPages;
    ASSERT_GE(pages, 3);
    // A term on the last page that the host fails to look up.
    s.Text(s.Measure(kMeasures - 1), kind::Term, 0, {"Presto"});
    s.Score.OnGetTerms = [&c](TObject*, int, const std::vector<std::string>&, int&, int&) -> bool {
      c.Raise();
      return false;
    };
    TRecordingView view;
    s.Score.AttachWindow(&view);
    int recalculated = 0;
    s.Score.OnRecalculate = [&](TObject*) { ++recalculated; };
    std::string error;
    try {
      s.Layout();
    } catch (const std::exception& e) {
      error = e.what();
    }
    EXPECT_EQ(error, c.Error ? c.Error : "");
    EXPECT_EQ(view.Calls, (std::vector<std::string>{"LayoutChanged", "UpdateScrollRanges"}));
    EXPECT_EQ(view.PagesSeen, pages - 1);
    EXPECT_EQ(recalculated, c.Error ? 0 : 1);
    s.Score.DetachWindow(&view);
  }
}

// A score without pieces lays out nothing; the views hear of every pass in
// order, and the score fires OnRecalculate unless its commands suppress it.
TEST(LayoutPass, ViewsAndEventsAfterAPass) {
  TLayoutScore s;
  TRecordingView view;
  s.Score.AttachWindow(&view);
  int recalculated = 0;
  s.Score.OnRecalculate = [&](TObject*) { ++recalculated; };
  s.Layout();
  EXPECT_EQ(s.Score.LaidOutPages, 0);
  EXPECT_EQ(view.Calls, (std::vector<std::string>{"LayoutChanged", "UpdateScrollRanges"}));
  EXPECT_EQ(recalculated, 1);

  s.AddPiece({1}, 2);
  view.Calls.clear();
  s.Score.Recalculate(0);
  EXPECT_EQ(view.PagesSeen, 1);
  EXPECT_EQ(view.Calls.size(), 2u);
  s.Score.RecalculateEventSuppressed = 1;
  s.Score.Recalculate(0);
  // The first pass, the one after building the piece and the unsuppressed
  // request.
  EXPECT_EQ(recalculated, 3);
  s.Score.DetachWindow(&view);
}

}  // namespace
}  // namespace qs::test
