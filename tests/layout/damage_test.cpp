// A damaged score lays out what it can: values that would divide by zero
// or index beyond a table fall back, and rooms never spill into their
// neighbours.
#include <gtest/gtest.h>

#include <cmath>

#include "layout/metrics.h"
#include "layout_fixture.h"

namespace qs::test {
namespace {

TEST(LayoutDamage, DamagedValuesLayOutAsFarAsTheyGo) {
  TLayoutScore s;
  TQSPiece* piece = s.AddPiece({1}, 6);
  piece->Fields.Tempo = 0;
  piece->Fields.Auftakt = MakeMeter(1, 0);  // an upbeat of note value 0
  piece->GetColumn(1)->Fields.Meter = MakeMeter(4, 0);
  s.Mark(piece->GetColumn(2), kind::Meter, 0, MakeMeter(0, 8));
  s.Mark(piece->GetColumn(3), kind::Tempo, 0, 0, 40);
  TQSPart* part = piece->GetPart(0);
  part->GetStaff(0)->Fields.Scale = 0;
  s.Mark(part->GetMeasure(0), kind::Key, 0, 0, 200);
  s.Mark(part->GetMeasure(0), kind::Tuplet, 0, 0, 0);
  TQSNote* low = s.Note(part->GetMeasure(0), 0, 128, 0x00);
  s.Mark(low, kind::Accidental, 0, 0, 2);  // a sharp reaches three rows below the lowest
  s.Note(part->GetMeasure(0), 128, 128, 0x5F);  // step nibble 15
  s.Note(part->GetMeasure(4), 0, 0, 0x50);     // length 0
  s.Layout();

  ASSERT_EQ(s.Score.LaidOutPages, 1);
  EXPECT_EQ(s.Slot(0, 0, 0).Length, 512);  // no upbeat
  EXPECT_EQ(s.Slot(0, 0, 1).Length, 512);  // the column's meter falls back to 4/4
  EXPECT_EQ(s.Slot(0, 0, 2).Length, 512);  // a time signature of 0/8 too
  // A key beyond seven accidentals counts as seven.
  EXPECT_EQ(s.Slot(0, 0, 0).KeyWidth, 7 * kKeySignStep + kRoomAfterKey);
  EXPECT_EQ(KeyAccidentalsOf(200), KeyAccidentalsOf(17));
  // Tempo 0 keeps the tempo in force: time runs on at the fallback tempo.
  EXPECT_GT(s.Score.TotalMs, 0);
  EXPECT_TRUE(std::isfinite(s.Score.TotalMs));
  EXPECT_EQ(s.Score.UsedMeasures, 6);  // the piece's six measures, the empty last one too
}

// A room above 255 pixels stays 255 and leaves the other half of the
// entry alone.
TEST(LayoutDamage, RoomsStayInTheirByte) {
  TLayoutScore s;
  TQSPiece* piece = s.AddPiece({1}, 1);
  TQSMeasure* m = piece->GetPart(0)->GetMeasure(0);
  TQSNote* note = s.Note(m, 0, 128);
  s.Note(m, 128, 128);
  s.Mark(note, kind::Dot, 0, 60);  // 61 dots: 6 + 6 x 61 = 372 pixels
  s.Layout();
  const TQSCalcMeasure& slot = s.Slot(0, 0, 0);
  // From tick 0 to 128: the right room 255 and the second note's left room
  // 5, each with the interval 16.
  EXPECT_EQ(slot.Positions[128] - slot.Positions[0], 8 * 255 + 16 + 8 * 5 + 16);
}

// Items are laid out again in every pass; stale elements of an earlier pass
// never show: counts, not list lengths, tell what is current.
TEST(LayoutDamage, FewerElementsAfterAChange) {
  TLayoutScore s;
  TQSPiece* piece = s.AddPiece({1}, 1);
  TQSMeasure* m = piece->GetPart(0)->GetMeasure(0);
  for (int i = 0; i < 8; ++i) s.Note(m, 64 * i, 64);
  s.Layout();
  const TQSCalcMeasure& slot = s.Slot(0, 0, 0);
  const int before = slot.ItemCount;
  const size_t records = slot.Items.Capacity();
  m->Clear();
  s.Note(m, 0, 512);
  s.Layout();
  EXPECT_LT(slot.ItemCount, before);
  EXPECT_EQ(slot.Items.Capacity(), records);
  EXPECT_EQ(&s.Slot(0, 0, 0), &slot);
  EXPECT_EQ(s.Elements(slot, kind::Note).size(), 1u);
  EXPECT_EQ(slot.EventCount, 1);
}

}  // namespace
}  // namespace qs::test
