// Clefs, keys and time signatures at measure and system starts,
// accolades, part barlines and instrument names.
#include <gtest/gtest.h>

#include <cmath>

#include "base/text.h"
#include "layout/metrics.h"
#include "layout_fixture.h"

namespace qs::test {
namespace {


int ClefUnits(uint8_t glyph, int extra) { return 8 * (MusicWidth(16, glyph) + extra); }

// Measure 0 with a treble clef, three sharps and 3/4: the header widths
// come before the music, and every element stands after the ones before it.
TEST(LayoutFurniture, ClefKeyAndTimeAtTheStart) {
  TLayoutScore s;
  TQSPiece* piece = s.AddPiece({1}, 2);
  TQSMeasure* m = piece->GetPart(0)->GetMeasure(0);
  TQSMark* clef = s.Mark(m, kind::Clef, 0, 0, clef::Treble);
  TQSMark* key = s.Mark(m, kind::Key, 0, 0, 3);
  TQSMark* meter = s.Mark(piece->GetColumn(0), kind::Meter, 0, MakeMeter(3, 4));
  for (int i = 0; i < 2; ++i) s.Quarters(piece->GetPart(0)->GetMeasure(i));
  s.Layout();

  const TQSCalcMeasure& slot = s.Slot(0, 0, 0);
  const int clefWidth = ClefUnits('"', 0);
  const int meterWidth = std::max(Width("Arial", 80, u"3", fsBold), Width("Arial", 80, u"4", fsBold));
  EXPECT_EQ(slot.Length, 384);
  EXPECT_EQ(slot.Meter, MakeMeter(3, 4));
  EXPECT_EQ(slot.ClefWidth, clefWidth);
  const int keyWidth = 3 * kKeySignStep + kRoomAfterKey;
  EXPECT_EQ(slot.KeyWidth, keyWidth);
  EXPECT_EQ(slot.MeterWidth, meterWidth);
  // Three quarters in 3/4 (the fourth lies beyond the measure):
  // 8 x 16 + 3 x (8 x 6 + 16) + 2 x (8 x 5 + 16) + 8 x 8.
  EXPECT_EQ(slot.ContentWidth, 496);
  EXPECT_EQ(slot.Width, clefWidth + keyWidth + meterWidth + 496);
  // The meter stays in force for the next measure.
  EXPECT_EQ(s.Slot(0, 0, 1).Length, 384);
  EXPECT_EQ(s.Slot(0, 0, 1).Width, 496);

  const TQSCalcStaff& row = s.Row(0, 0);
  const int left = slot.Box.Left;
  ASSERT_EQ(s.Elements(slot, kind::Clef).size(), 1u);
  EXPECT_EQ(s.Elements(slot, kind::Clef)[0]->Box, (TRect{left, row.Top - 96, left + clefWidth, row.Bottom + 96}));
  // Later systems repeat the clef: the element here is the oldest of its
  // chain.
  const TQSCalcItem* oldest = clef->LayoutLink;
  while (oldest->Next) oldest = oldest->Next;
  EXPECT_EQ(oldest, s.Elements(slot, kind::Clef)[0]);
  ASSERT_EQ(s.Elements(slot, kind::Key).size(), 1u);
  EXPECT_EQ(s.Elements(slot, kind::Key)[0]->Box,
            (TRect{left + clefWidth, row.Top - 120, left + clefWidth + keyWidth, row.Top + 192}));
  EXPECT_EQ(s.Elements(slot, kind::Key)[0]->Item, key);
  ASSERT_EQ(s.Elements(slot, kind::Meter).size(), 1u);
  EXPECT_EQ(s.Elements(slot, kind::Meter)[0]->Box,
            (TRect{left + clefWidth + keyWidth, row.Top, left + clefWidth + keyWidth + meterWidth, row.Bottom}));
  EXPECT_EQ(meter->LayoutLink, s.Elements(slot, kind::Meter)[0]);

  // The music starts after tick 0's left room of 16 pixels: middle C under
  // the treble clef stands at position 10 (a ledger line below the staff).
  const int x0 = left + clefWidth + keyWidth + meterWidth + 128;
  EXPECT_EQ(slot.Positions[0], x0 - left);
  const auto notes = s.Elements(slot, kind::Note);
  ASSERT_EQ(notes.size(), 3u);
  const int head = MusicWidth(128, '5');
  // Its head is one staff space high from 10 x 48 / 2 - 24 below the top.
  EXPECT_EQ(notes[0]->Box, (TRect{x0 - head / 2, row.Top + 216, x0 - head / 2 + head, row.Top + 216 + kSpace}));
  EXPECT_EQ(static_cast<TQSNote*>(notes[0]->Item)->StaffPosition, 10);
}

// A key change is as wide as the key it cancels or as its own signs,
// whichever is wider, so that no sign runs into the time signature.
TEST(LayoutFurniture, KeyChangeMakesRoomForItsOwnSigns) {
  struct TCase {
    int From, To, Width;
  };
  const TCase cases[] = {
      {2, 14, 4 * kKeySignStep + kRoomAfterKey},   // D major to A flat major
      {14, 7, 7 * kKeySignStep + kRoomAfterKey},   // A flat major to C sharp major
      {3, 11, 3 * kKeySignStep + kRoomAfterKey},   // fewer signs: the cancelled key's width
      {3, 0, 3 * kKeySignStep + kRoomAfterKey},    // naturals only
      {0, 5, 5 * kKeySignStep + kRoomAfterKey},    // nothing to cancel
  };
  for (const TCase& k : cases) {
    TLayoutScore s;
    TQSPiece* piece = s.AddPiece({1}, 2);
    TQSPart* part = piece->GetPart(0);
    s.Mark(part->GetMeasure(0), kind::Clef, 0, 0, clef::Treble);
    if (k.From) s.Mark(part->GetMeasure(0), kind::Key, 0, 0, k.From);
    s.Mark(part->GetMeasure(1), kind::Key, 0, 0, k.To);
    for (int i = 0; i < 2; ++i) s.Quarters(part->GetMeasure(i));
    s.Layout();
    EXPECT_EQ(static_cast<TQSCalcMeasure*>(piece->Slots[1])->KeyWidth, k.Width) << k.From << " -> " << k.To;
  }
}

// A key change is as wide as the key it cancels; the clef and key in force
// open every later system, unless the measure there sets its own.
TEST(LayoutFurniture, ChangesAndSystemHeaders) {
  TLayoutScore s;
  TQSPiece* piece = s.AddPiece({1}, 12);
  TQSPart* part = piece->GetPart(0);
  s.Mark(part->GetMeasure(0), kind::Clef, 0, 0, clef::Treble);
  s.Mark(part->GetMeasure(0), kind::Key, 0, 0, 3);
  TQSMark* flats = s.Mark(part->GetMeasure(1), kind::Key, 0, 0, 13);
  TQSMark* bass = s.Mark(part->GetMeasure(2), kind::Clef, 0, 0, clef::Bass);
  for (int i = 0; i < 12; ++i) s.Quarters(part->GetMeasure(i));
  s.Layout();

  const TQSCalcMeasure& m1 = *static_cast<TQSCalcMeasure*>(piece->Slots[1]);
  EXPECT_EQ(m1.KeyWidth, 3 * kKeySignStep + kRoomAfterKey);  // cancels three sharps
  EXPECT_EQ(flats->LayoutByte, 3);
  const TQSCalcMeasure& m2 = *static_cast<TQSCalcMeasure*>(piece->Slots[2]);
  EXPECT_EQ(m2.ClefWidth, ClefUnits('#', 1));
  // The bass clef is in force on the row from measure 3 on.
  EXPECT_EQ(static_cast<TQSCalcMeasure*>(piece->Slots[3])->ClefByRow[0], bass);

  ASSERT_GE(s.Page(0).SystemCount, 2);
  const TQSCalcMeasure& head = s.Slot(0, 1, 0);
  ASSERT_GT(head.MeasureIndex, 2);
  const auto clefs = s.Elements(head, kind::Clef);
  ASSERT_EQ(clefs.size(), 1u);
  EXPECT_EQ(clefs[0]->Item, bass);
  EXPECT_EQ(clefs[0]->Param, 0);
  EXPECT_EQ(head.ClefWidth, ClefUnits('#', 1));
  const auto keys = s.Elements(head, kind::Key);
  ASSERT_EQ(keys.size(), 1u);
  EXPECT_EQ(keys[0]->Item, flats);
  EXPECT_EQ(head.KeyWidth, 3 * kKeySignStep + kRoomAfterKey);
  // Under a bass clef the key's signs sit one staff space lower.
  EXPECT_EQ(keys[0]->Box.Top, s.Row(0, 1).Top - 120 + kSpace);
  // The header elements chain back to the one drawn in measure 2.
  const TQSCalcItem* oldest = bass->LayoutLink;
  while (oldest->Next) oldest = oldest->Next;
  EXPECT_EQ(oldest->Owner, &m2);
}

// Accolades stand left of the system start, the outermost furthest left;
// the measure starts after them. A brace spanning one part more reaches the
// bottom of that part; kind 255 draws nothing and takes no room.
TEST(LayoutFurniture, AccoladesAndPartBarlines) {
  struct TCase {
    int Variant, Span, Parts, Room;
  };
  for (const TCase t : {TCase{0, 1, 2, 80}, TCase{0, 1, 1, 80}, TCase{1, 0, 2, 48}, TCase{255, 0, 2, 0}}) {
    TLayoutScore s;
    std::vector<int> staves{2};
    if (t.Parts == 2) staves.push_back(1);
    TQSPiece* piece = s.AddPiece(staves, 6);
    TQSMark* accolade = s.Mark(piece->GetPart(0)->GetMeasure(0), kind::Accolade, 0, t.Span, t.Variant);
    s.Layout();
    const TQSCalcMeasure& slot = s.Slot(0, 0, 0);
    EXPECT_EQ(slot.Box.Left, kLeft + t.Room) << t.Variant;
    const auto elements = s.Elements(slot, kind::Accolade);
    if (t.Variant == 255) {
      EXPECT_TRUE(elements.empty());
      continue;
    }
    ASSERT_EQ(elements.size(), 1u);
    const TQSCalcSystem& system = s.System(0, 0);
    const TQSCalcSystemPart& own = *system.Parts.At(0);
    const TQSCalcSystemPart& lowest = *system.Parts.At(t.Span == 1 && t.Parts == 2 ? 1 : 0);
    EXPECT_EQ(elements[0]->Box, (TRect{kLeft, own.Top, kLeft + t.Room, lowest.Bottom})) << t.Variant << t.Parts;
    // Every later system repeats it.
    EXPECT_EQ(s.Elements(s.Slot(0, 1, 0), kind::Accolade).size(), 1u);
    EXPECT_EQ(accolade->LayoutLink->Owner, &s.Slot(0, s.Page(0).SystemCount - 1, 0));
  }

  // One barline per part at every measure end, across the part's staves.
  TLayoutScore s;
  s.AddPiece({2, 1}, 2);
  s.Layout();
  const TQSCalcMeasure& slot = s.Slot(0, 0, 0);
  std::vector<TRect> bars;
  for (int i = 0; i < slot.ItemCount; ++i)
    if (slot.Items.At(i)->ElementType == element::PartBarline) bars.push_back(slot.Items.At(i)->Box);
  const int r = slot.Box.Right;
  EXPECT_EQ(bars, (std::vector<TRect>{{r - 16, s.Row(0, 0).TopLine, r + 16, s.Row(0, 1).BottomLine},
                                      {r - 16, s.Row(0, 2).TopLine, r + 16, s.Row(0, 2).BottomLine}}));
}

// An instrument name in measure 0 widens the name column: the system and
// its music move right by the name's width. A short name repeats at every
// later system start.
TEST(LayoutFurniture, InstrumentNames) {
  TLayoutScore s;
  TQSPiece* piece = s.AddPiece({1}, 12);
  TQSMeasure* m = piece->GetPart(0)->GetMeasure(0);
  auto* name = static_cast<TQSLyric*>(CreateItemByKind(kind::InstrumentName, m));
  name->Lines = {"Piano"};
  auto* shortName = static_cast<TQSLyric*>(CreateItemByKind(kind::InstrumentName, m));
  shortName->Lines = {"Pno."};
  shortName->Fields.Flags = TQSLyric::kShortName;
  for (int i = 0; i < 12; ++i) s.Quarters(piece->GetPart(0)->GetMeasure(i));
  s.Layout();

  // Width: the text with a hundredth more, and a share of that per
  // character.
  const int t = Width("Arial", 64, u"Piano");
  const int w = (t + t / 100) + (t + t / 100) / 5;
  EXPECT_EQ(name->Fields.Width, w);
  EXPECT_EQ(s.System(0, 0).Left, kLeft + w);
  EXPECT_EQ(s.Slot(0, 0, 0).Box.Left, kLeft + w);
  // The name's x offset becomes its width and 64 to the left of the system.
  EXPECT_EQ(name->Fields.OffsetX, -w - 64);
  const auto names = s.Elements(s.Slot(0, 0, 0), kind::InstrumentName);
  ASSERT_EQ(names.size(), 1u);
  EXPECT_EQ(names[0]->Box.Left, kLeft - 64);
  EXPECT_EQ(names[0]->Box.Right, kLeft - 64 + w);

  const int ts = Width("Arial", 64, u"Pno.");
  const int ws = (ts + ts / 100) + (ts + ts / 100) / 4;
  const auto repeated = s.Elements(s.Slot(0, 1, 0), kind::InstrumentName);
  ASSERT_EQ(repeated.size(), 1u);
  EXPECT_EQ(repeated[0]->Item, shortName);
  EXPECT_EQ(s.System(0, 1).Left, kLeft + ws);
  EXPECT_EQ(s.Slot(0, 1, 0).Box.Left, kLeft + ws);
}

// Two syllables that would touch widen the rooms between their ticks by
// whole pixels, shared out over the occupied halves between them.
TEST(LayoutFurniture, LyricsMakeRoom) {
  TLayoutScore s;
  TQSPiece* piece = s.AddPiece({1}, 1);
  TQSMeasure* m = piece->GetPart(0)->GetMeasure(0);
  s.Note(m, 0, 64);
  s.Note(m, 64, 64);
  TQSLyric* lyrics[2];
  for (int i = 0; i < 2; ++i) {
    lyrics[i] = static_cast<TQSLyric*>(CreateItemByKind(kind::Lyric, m));
    lyrics[i]->Fields.Time = static_cast<uint16_t>(64 * i);
    lyrics[i]->Lines = {i == 0 ? "Hallelujah" : "everlasting"};
  }
  s.Layout();
  auto width = [](const std::u16string& text) {
    const int t = Width("Arial", 64, text);
    return (t + t / 100) + (t + t / 100) / static_cast<int>(text.size());
  };
  const int w1 = width(u"Hallelujah"), w2 = width(u"everlasting");
  // Between the ticks: the first note's right room 6 and the second's left
  // room 5, each with the interval 16.
  const int room = 8 * 6 + 16 + 8 * 5 + 16;
  const int overlap = (w1 - w1 / 2) + Width("Arial", 64, u" ") + w2 / 2 - room;
  ASSERT_GT(overlap, 0);
  const int grow = (static_cast<int>(std::nearbyint(overlap / 2.0)) >> 3);
  const TQSCalcMeasure& slot = s.Slot(0, 0, 0);
  EXPECT_EQ(slot.Positions[64] - slot.Positions[0], room + 16 * grow);
  EXPECT_EQ(lyrics[0]->Next, lyrics[1]);
}

// Chord symbols over close notes make room as syllables do, about a blank
// between the one and the next; symbols at different heights do not.
TEST(LayoutFurniture, ChordSymbolsMakeRoom) {
  for (const bool sameHeight : {true, false}) {
    SCOPED_TRACE(sameHeight);
    TLayoutScore s;
    TQSPiece* piece = s.AddPiece({1}, 1);
    TQSMeasure* m = piece->GetPart(0)->GetMeasure(0);
    s.Note(m, 0, 64);
    s.Note(m, 64, 64);
    TQSChord* chords[2];
    for (int i = 0; i < 2; ++i) {
      chords[i] = static_cast<TQSChord*>(CreateItemByKind(kind::Chord, m));
      chords[i]->Fields.Time = static_cast<uint16_t>(64 * i);
      chords[i]->Fields.OffsetY = static_cast<int16_t>(sameHeight || i == 0 ? -128 : -400);
      TQSChordFragment f;
      f.Text = i == 0 ? "Bbmaj7(#11)" : "C7sus4/E";
      chords[i]->Patterns.push_back(f);
    }
    s.Layout();
    const TQSCalcMeasure& slot = s.Slot(0, 0, 0);
    const auto symbols = s.Elements(slot, kind::Chord);
    ASSERT_EQ(symbols.size(), 2u);
    const TQSCalcItem* a = symbols[0];
    const TQSCalcItem* b = symbols[1];
    const int room = 8 * 6 + 16 + 8 * 5 + 16;  // as between the syllables above
    if (sameHeight) {
      // Apart (the room grows by whole pixels, the blank rounded down).
      EXPECT_LT(a->Box.Right, b->Box.Left);
    } else {
      EXPECT_EQ(slot.Positions[64] - slot.Positions[0], room);
    }
  }
}

// A syllable 15,000 letters wide (a damaged file's) asks for more room
// than a measure can have: the rooms and the measure's width saturate, and
// the measure after it goes to the next system.
TEST(LayoutFurniture, AHugeSyllableSaturatesTheRoom) {
  TLayoutScore s;
  TQSPiece* piece = s.AddPiece({1}, 2);
  TQSMeasure* m = piece->GetPart(0)->GetMeasure(0);
  s.Note(m, 0, 64);
  s.Note(m, 64, 64);
  for (int i = 0; i < 2; ++i) {
    auto* lyric = static_cast<TQSLyric*>(CreateItemByKind(kind::Lyric, m));
    lyric->Fields.Time = static_cast<uint16_t>(64 * i);
    lyric->Lines = {i == 0 ? std::string(15000, 'm') : "la"};
  }
  s.Layout();
  const TQSCalcMeasure& slot = s.Slot(0, 0, 0);
  EXPECT_EQ(slot.Width, 0xFFFF);
  EXPECT_EQ(s.MeasuresPerSystem(0).front(), 1);
}

}  // namespace
}  // namespace qs::test
