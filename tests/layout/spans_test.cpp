// Marks that run on beyond their measure or system (ties, voltas,
// ottavas), and the placing of beams and tuplet brackets.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "layout_fixture.h"

namespace qs::test {
namespace {

// Four measures of quarters fill a system (616 each); measure 3 is the
// last of the first system.
struct TSpanScore : TLayoutScore {
  TQSPiece* Piece;
  TSpanScore() {
    Piece = AddPiece({1}, 8);
    Mark(Piece->GetPart(0)->GetMeasure(0), kind::Clef, 0, 0, clef::Treble);
    for (int m = 0; m < 8; ++m) Quarters(Measure(m));
  }
  TQSMeasure* Measure(int m) const { return Piece->GetPart(0)->GetMeasure(m); }
  TQSNote* NoteAt(int m, int tick) const {
    for (TQSItem* item : Measure(m)->Items)
      if (item->ItemType == kind::Note && item->TimePosition() == tick) return static_cast<TQSNote*>(item);
    return nullptr;
  }
  TQSLiga* Tie(int m, int tick, uint8_t flags) const {
    auto* tie = static_cast<TQSLiga*>(CreateItemByKind(kind::Liga, NoteAt(m, tick)));
    tie->Fields.Span = 128;
    tie->Fields.Flags = flags;
    return tie;
  }
  const TQSCalcMeasure& SlotOf(int m) const { return *static_cast<TQSCalcMeasure*>(Piece->Slots[m]); }
  static int X(const TQSCalcMeasure& slot, int tick) { return slot.Box.Left + slot.Positions[tick]; }
};

// A tie from the last note of a system to the first of the next: the first
// element ends at the system's last slot's right edge (State 2); the
// continuation in the next system's first slot (State 1) ends at its first
// tick and links back to it.
TEST(LayoutSpans, TieAcrossASystemBreak) {
  TSpanScore s;
  TQSLiga* tie = s.Tie(3, 384, TQSLiga::kFromStart);
  s.Layout();
  ASSERT_EQ(s.System(0, 0).MeasureCount, 4);

  const TQSCalcMeasure& last = s.SlotOf(3);
  const TQSCalcMeasure& first = s.SlotOf(4);
  const auto a = s.Elements(last, kind::Liga);
  const auto b = s.Elements(first, kind::Liga);
  ASSERT_EQ(a.size(), 1u);
  ASSERT_EQ(b.size(), 1u);
  EXPECT_EQ(a[0]->State, 2);
  EXPECT_EQ(a[0]->Box2.Left, s.X(last, 384));
  EXPECT_EQ(a[0]->Box2.Right, last.Box.Right);
  EXPECT_EQ(b[0]->State, 1);
  EXPECT_EQ(b[0]->Next, a[0]);
  EXPECT_EQ(tie->LayoutLink, b[0]);
  EXPECT_EQ(b[0]->Box2.Left, s.X(first, 0) - 64 - 16);
  EXPECT_EQ(b[0]->Box2.Right, s.X(first, 0) + 32);
  // Middle C under the treble clef: level 10 x 48 / 2 below the row top,
  // 40 higher for an arc above.
  const int level = s.Row(0, 1).Top + 240 - 40;
  EXPECT_EQ(b[0]->Box2.Top, level);
  EXPECT_EQ(b[0]->Box2.Bottom, level);
  EXPECT_TRUE(s.Page(0).OpenSpans.empty());
}

// A tie made with its note from the last note of a measure to the first of
// the next in the same system: its end level is the note's position under
// the clef in force, 40 higher for an arc above; fixed placement leaves the
// 40 out and keeps a margin of 64 from both notes. Default curve offsets are stored in the tie: with the arc's
// length L, n = L / 400 within 4..10 and the first offset is (L / n)
// turned by 20 degrees.
TEST(LayoutSpans, TieWithinASystem) {
  for (const uint8_t flags : {uint8_t(TQSLiga::kFromStart), uint8_t(TQSLiga::kFromStart | 0x08)}) {
    TSpanScore s;
    TQSLiga* tie = s.Tie(0, 384, flags);
    s.Layout();
    const TQSCalcMeasure& slot = s.SlotOf(0);
    const auto e = s.Elements(slot, kind::Liga);
    ASSERT_EQ(e.size(), 1u);
    EXPECT_EQ(e[0]->State, 2);
    const int level = s.Row(0, 0).Top + 240 - ((flags & 0x08) ? 0 : 40);
    EXPECT_EQ(e[0]->Box2.Bottom, level) << int(flags);
    const int margin = (flags & 0x08) ? 64 : 0;
    EXPECT_EQ(e[0]->Box2.Left, s.X(slot, 384) + margin);
    EXPECT_EQ(e[0]->Box2.Right, s.X(s.SlotOf(1), 0) - margin);
    const int length = e[0]->Box2.Right - e[0]->Box2.Left;
    EXPECT_EQ(e[0]->Param2, length);
    const int n = std::clamp(length / 400, 4, 10);
    const int dx = length / n, dy = (e[0]->Box2.Bottom - e[0]->Box2.Top) / n;
    const double a = 20 * 3.14159265358979323846 / 180;
    EXPECT_EQ(tie->Fields.CurveStartDX, static_cast<int>(std::nearbyint(dx * std::cos(a) + dy * std::sin(a))));
    EXPECT_EQ(tie->Fields.CurveStartDY, static_cast<int>(std::nearbyint(-dx * std::sin(a) + dy * std::cos(a))));
    // The arc bulges upward: the box reaches above both ends.
    EXPECT_LT(e[0]->Box.Top, std::min(e[0]->Box2.Top, e[0]->Box2.Bottom));
  }
}

// A volta over two measures crossing a system break continues over the
// first measure of the next system.
TEST(LayoutSpans, VoltaAcrossASystemBreak) {
  TSpanScore s;
  TQSMark* volta = s.Mark(s.Piece->GetColumn(3), kind::Volta, 0, 2, 1);
  s.Layout();
  const auto a = s.Elements(s.SlotOf(3), kind::Volta);
  const auto b = s.Elements(s.SlotOf(4), kind::Volta);
  ASSERT_EQ(a.size(), 1u);
  ASSERT_EQ(b.size(), 1u);
  EXPECT_EQ(a[0]->Box.Left, s.SlotOf(3).Box.Left);
  EXPECT_EQ(a[0]->Box.Right, s.SlotOf(3).Box.Right);
  EXPECT_EQ(b[0]->Box.Left, s.SlotOf(4).Box.Left);
  EXPECT_EQ(b[0]->Box.Right, s.SlotOf(4).Box.Right);
  EXPECT_EQ(b[0]->Box.Top, s.Row(0, 1).Top);
  EXPECT_EQ(volta->LayoutLink, b[0]);
  EXPECT_EQ(b[0]->Next, a[0]);
}

// An ottava raises the sounding key of the notes it covers by an octave,
// two overlapping ones by two; one running into the next measure covers
// the ticks it has left there.
TEST(LayoutSpans, OttavaShiftsSoundingKeys) {
  TSpanScore s;
  s.Mark(s.Measure(0), kind::Ottava, 0, 256, 0);
  s.Mark(s.Measure(0), kind::Ottava, 128, 64, 0);
  s.Mark(s.Measure(0), kind::Ottava, 384, 256, 0);
  s.Mark(s.Measure(1), kind::Ottava, 256, 128, 1);  // down
  for (int m = 0; m < 2; ++m) s.Measure(m)->SortItems();
  s.Layout();
  auto key = [&](int m, int tick) { return s.NoteAt(m, tick)->SoundingKey; };
  EXPECT_EQ(key(0, 0), 72);
  EXPECT_EQ(key(0, 128), 84);
  EXPECT_EQ(key(0, 256), 60);
  EXPECT_EQ(key(0, 384), 72);
  EXPECT_EQ(key(1, 0), 72);
  EXPECT_EQ(key(1, 128), 60);
  EXPECT_EQ(key(1, 256), 48);
}

// The middle stems of a beam end on the line through the first and the
// last stem end.
TEST(LayoutSpans, BeamSlope) {
  TLayoutScore s;
  TQSPiece* piece = s.AddPiece({1}, 1);
  TQSMeasure* m = piece->GetPart(0)->GetMeasure(0);
  const uint8_t pitches[] = {0x50, 0x54, 0x52, 0x56};
  for (int i = 0; i < 4; ++i) {
    TQSNote* n = s.Note(m, i * 64, 64, pitches[i]);
    if (i < 3) n->SetBeamedToNext(true);
  }
  m->UpdateBeams(0, true);
  s.Layout();
  const TQSCalcMeasure& slot = s.Slot(0, 0, 0);
  const TQSCalcItem* beam = nullptr;
  for (int i = 0; i < slot.ItemCount; ++i)
    if (slot.Items.At(i)->ElementType == element::Beam) beam = slot.Items.At(i);
  ASSERT_NE(beam, nullptr);
  ASSERT_EQ(beam->Links.size(), 4u);
  auto down = [](const TQSCalcItem* stem) { return static_cast<TQSNote*>(stem->Item)->IsStemDown(); };
  auto end = [&](const TQSCalcItem* stem) { return down(stem) ? stem->Box.Bottom : stem->Box.Top; };
  const TQSCalcItem* first = beam->Links.front();
  const TQSCalcItem* last = beam->Links.back();
  const int x1 = first->Box.Left, x2 = last->Box.Right;
  const double slope = static_cast<double>(end(first) - end(last)) / (x2 - x1);
  for (size_t i = 1; i + 1 < beam->Links.size(); ++i) {
    const TQSCalcItem* stem = beam->Links[i];
    EXPECT_EQ(end(stem), end(first) - static_cast<int>(std::nearbyint((stem->Box.Left - x1) * slope))) << i;
  }
}

// A tuplet with no note inside its span draws its bracket to the span end.
TEST(LayoutSpans, TupletWithoutNotes) {
  TLayoutScore s;
  TQSPiece* piece = s.AddPiece({1}, 1);
  s.Mark(piece->GetPart(0)->GetMeasure(0), kind::Tuplet, 0, 128, 3);
  s.Layout();
  const TQSCalcMeasure& slot = s.Slot(0, 0, 0);
  const auto e = s.Elements(slot, kind::Tuplet);
  ASSERT_EQ(e.size(), 1u);
  // A triplet of quarters spans two quarters: ticks 0 to 255.
  EXPECT_EQ(e[0]->Box2.Left, slot.Box.Left + slot.Positions[0]);
  EXPECT_EQ(e[0]->Box2.Right, slot.Box.Left + slot.Positions[255]);
  EXPECT_EQ(e[0]->Box.Bottom, e[0]->Box2.Bottom + 32);
}

}  // namespace
}  // namespace qs::test
