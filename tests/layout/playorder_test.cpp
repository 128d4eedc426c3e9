// The play order of a piece (repeats, endings, jumps, multi-measure rests)
// and the per-measure event lists it plays.
#include <gtest/gtest.h>

#include "content_fixture.h"

namespace qs::test {
namespace {

struct TColumnMark {
  TQSItemType Type;
  int Measure, Tick, Value, Variant;
};

std::vector<int> PlayOrder(const TQSPiece& piece) {
  std::vector<int> out;
  for (int i = 0; i < piece.VisitCount; ++i) out.push_back(piece.Visits[i]->Measure);
  return out;
}

// Every measure of the piece holds four quarters, so that only the empty
// measures after the music leave the play order.
TContentScore* Music(int measures) {
  auto* s = new TContentScore(measures);
  for (int m = 0; m < measures; ++m) s->Quarters(s->Measure(m));
  return s;
}

// The measures as a musician plays them.
TEST(LayoutPlayOrder, RepeatsEndingsAndJumps) {
  const struct {
    const char* Name;
    int Measures;
    std::vector<TColumnMark> Marks;
    std::vector<int> Order;
  } cases[] = {
      {"no repeats", 4, {}, {0, 1, 2, 3}},
      {"repeat", 4, {{kind::RepeatOpen, 1, 0, 0, 0}, {kind::RepeatClose, 2, 512, 0, 0}}, {0, 1, 2, 1, 2, 3}},
      {"repeat from the start", 3, {{kind::RepeatClose, 1, 512, 0, 0}}, {0, 1, 0, 1, 2}},
      {"first and second ending",
       5,
       {{kind::Volta, 2, 0, 1, 1}, {kind::RepeatClose, 2, 512, 0, 0}, {kind::Volta, 3, 0, 1, 2}},
       {0, 1, 2, 0, 1, 3, 4}},
      {"endings of two measures",
       6,
       {{kind::RepeatOpen, 1, 0, 0, 0},
        {kind::Volta, 2, 0, 2, 1},
        {kind::RepeatClose, 3, 512, 0, 0},
        {kind::Volta, 4, 0, 1, 2}},
       {0, 1, 2, 3, 1, 4, 5}},
      // Fine after measure 1: a coda sign opens the part the way back
      // leaves out.
      {"D.C. al Fine", 5, {{kind::Coda, 2, 0, 0, 0}, {kind::DaCapo, 4, 512, 0, 0}}, {0, 1, 2, 3, 4, 0, 1}},
      // To the coda after measure 1, the coda from measure 4 on.
      {"D.S. al Coda",
       6,
       {{kind::Segno, 1, 0, 0, 0}, {kind::Coda, 2, 0, 0, 0}, {kind::DalSegno, 3, 512, 0, 0}, {kind::Coda, 4, 0, 0, 0}},
       {0, 1, 2, 3, 1, 4, 5}},
      {"D.S. without a coda", 4, {{kind::Segno, 1, 0, 0, 0}, {kind::DalSegno, 2, 512, 0, 0}}, {0, 1, 2, 1, 2, 3}},
      // A second segno jumps back to the first, leaving out the measures
      // between coda signs.
      {"second segno",
       5,
       {{kind::Segno, 0, 0, 0, 0}, {kind::Coda, 1, 0, 0, 0}, {kind::Coda, 3, 0, 0, 0}, {kind::Segno, 3, 0, 0, 0}},
       {0, 1, 2, 3, 0, 3, 4}},
      {"multi-measure rest", 3, {{kind::MultiRest, 1, 0, 4, 2}}, {0, 1, 1, 1, 1, 2}},
  };
  for (const auto& t : cases) {
    std::unique_ptr<TContentScore> s(Music(t.Measures));
    for (const TColumnMark& m : t.Marks) {
      if (m.Type == kind::MultiRest) s->Measure(m.Measure)->Clear();
      s->Mark(s->Column(m.Measure), m.Type, m.Tick, m.Value, m.Variant);
    }
    s->Layout();
    EXPECT_EQ(PlayOrder(*s->Piece), t.Order) << t.Name;
    // Each visit starts when the one before it ends.
    const double measure = 512 * 60000.0 / s->Piece->Tempo() / 128;
    const TQSCalcVisit& last = *s->Piece->Visits[s->Piece->VisitCount - 1];
    EXPECT_DOUBLE_EQ(last.StartMs, (t.Order.size() - 1) * measure) << t.Name;
  }
}

// Repeat barlines inside measures: the measure with the closing barline
// plays up to it, the replay starts at the opening barline and then plays
// the closing measure to its end.
TEST(LayoutPlayOrder, RepeatBarlinesInsideMeasures) {
  std::unique_ptr<TContentScore> s(Music(4));
  s->Mark(s->Column(1), kind::RepeatOpen, 256);
  s->Mark(s->Column(2), kind::RepeatClose, 256);
  s->Layout();
  const struct {
    int Measure, Start, End;
  } expected[] = {{0, 0, 0}, {1, 0, 0}, {2, 0, 256}, {1, 256, 0}, {2, 0, 0}, {3, 0, 0}};
  ASSERT_EQ(s->Piece->VisitCount, 6);
  for (int i = 0; i < 6; ++i) {
    const TQSCalcVisit& v = *s->Piece->Visits[i];
    EXPECT_EQ(v.Measure, expected[i].Measure) << i;
    EXPECT_EQ(v.StartTick, expected[i].Start) << i;
    EXPECT_EQ(v.EndTick, expected[i].End) << i;
  }
  // A multi-measure rest counts its measures in the measure numbers.
  std::unique_ptr<TContentScore> r(Music(3));
  r->Mark(r->Column(1), kind::MultiRest, 0, 4);
  r->Layout();
  EXPECT_EQ(r->SlotOf(2).Number, 6);
}

// Column items: rehearsal marks numbered or lettered, measure numbers from
// a start number on, a tempo change inside a measure, a change of time
// signature, and a MIDI event.
TEST(LayoutPlayOrder, ColumnItems) {
  std::unique_ptr<TContentScore> s(Music(3));
  TQSMark* rehearsal[3];
  const uint8_t styles[] = {0x80, 0x80, 0x48};  // numbers, numbers, letters in an ellipse
  for (int m = 0; m < 3; ++m) {
    rehearsal[m] = s->Mark(s->Column(m), kind::Rehearsal, 0);
    rehearsal[m]->Fields.Style = styles[m];
  }
  TQSMark* numbering = s->Mark(s->Column(0), kind::MeasureNumbering, 0, 10);
  auto* midi = static_cast<TQSMIDIEvent*>(CreateItemByKind(kind::MidiEvent, s->Column(0)));
  midi->Fields.Time = 100;
  TQSMark* tempo = s->Mark(s->Column(1), kind::Tempo, 256, 90, 2);  // quarter = 90
  s->Mark(s->Column(1), kind::Meter, 0, MakeMeter(3, 4));
  s->Layout();

  const char16_t* texts[] = {u"1", u"2", u"C"};
  for (int m = 0; m < 3; ++m) {
    const TQSCalcItem& e = s->One(s->SlotOf(m), rehearsal[m]);
    std::u16string text(texts[m]);
    EXPECT_EQ(e.Text, std::string(1, static_cast<char>(text[0]))) << m;
    const int w = Width("Arial", 80, text) + (m == 2 ? 64 : 0);
    EXPECT_EQ(e.Box.Right - e.Box.Left, w) << m;
    EXPECT_EQ(e.Box.Bottom, kFirstRowTop) << m;
  }
  EXPECT_EQ(s->SlotOf(0).Number, 10);
  EXPECT_EQ(s->SlotOf(2).Number, 12);
  const auto numbers = s->Of(s->SlotOf(1), numbering);
  ASSERT_EQ(numbers.size(), 1u);
  EXPECT_EQ(numbers[0]->Text, "11");
  EXPECT_EQ(numbers[0]->Box.Right - numbers[0]->Box.Left, Width("Arial", 48, u"11"));
  EXPECT_EQ(s->EventOf(s->SlotOf(0), midi)->Tick, 100);

  const TQSCalcMeasure& slot = s->SlotOf(1);
  EXPECT_EQ(slot.Length, 384);
  EXPECT_EQ(s->SlotOf(2).Length, 384);
  EXPECT_EQ(s->EventOf(slot, tempo)->Tick, 256);
  const TQSCalcItem& t = s->One(slot, tempo);
  EXPECT_EQ(t.Box.Right - t.Box.Left, MusicWidth(128, ',') + 8 + Width("Arial", 64, u"=90"));
  EXPECT_EQ(t.Box.Top, kFirstRowTop - 128);
  const double before = 60000.0 / s->Piece->Tempo() / 128, after = 60000.0 / 90 / 128;
  EXPECT_DOUBLE_EQ(slot.Tempo[0].MsPerTick, after);
  EXPECT_DOUBLE_EQ(slot.EndMs - slot.StartMs, 256 * before + 128 * after);
}

// Measure numbers go on the piece's measures only, in every numbering
// style: the empty measures and systems that fill the page after the
// piece's end get none.
TEST(LayoutPlayOrder, NoMeasureNumbersAfterThePiecesEnd) {
  struct Case {
    uint8_t style;
    std::vector<std::string> numbers;
  };
  const Case cases[] = {
      {0, {"1", "2", "3"}},  // every measure
      {1, {"1"}},            // the first of each system
      {3, {"1"}},            // every tenth: 10, 20, ... lie in the fill
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.style);
    TContentScore s(3);
    TQSMark* numbering = s.Mark(s.Column(0), kind::MeasureNumbering, 0, 1);
    numbering->Fields.Style = c.style;
    s.Layout();
    ASSERT_GT(s.Page(0).SystemCount, 1);
    std::vector<std::string> numbers;
    for (int y = 0; y < s.Page(0).SystemCount; ++y)
      for (int k = 0; k < s.System(0, y).MeasureCount; ++k)
        for (const TQSCalcItem* e : s.Of(s.Slot(0, y, k), numbering)) numbers.push_back(e->Text);
    EXPECT_EQ(numbers, c.numbers);
  }
}

// Events before their measure's start (grace notes played ahead of the
// beat) go into the measure before, at its length less the distance; a
// pass from a later page does not list them there twice.
TEST(LayoutPlayOrder, EventsReachingBack) {
  TContentScore s(80);
  for (int m = 0; m < 80; ++m) s.Quarters(s.Measure(m));
  s.Layout();
  ASSERT_GT(s.Score.LaidOutPages, 1);
  const int h = s.Page(1).FirstMeasure;
  auto* group = static_cast<TQSVorschlag*>(CreateItemByKind(kind::Vorschlag, s.Measure(h)));
  group->Fields.Flags = TQSVorschlag::kShortStyle;
  TQSNote* grace[2];
  for (int i = 0; i < 2; ++i) {
    grace[i] = static_cast<TQSNote*>(CreateItemByKind(kind::Note, group));
    grace[i]->Fields.Pitch = 0x52;
    grace[i]->Fields.Length = 32;
    grace[i]->Fields.PlayOffset = static_cast<int16_t>(-64 + 32 * i);
  }
  s.Measure(h)->SortItems();
  s.Layout();
  for (int pass = 0; pass < 2; ++pass) {
    const TQSCalcMeasure& before = s.SlotOf(h - 1);
    const auto events = s.Events(before);
    ASSERT_EQ(events.size(), 6u) << pass;
    EXPECT_EQ(events[4], std::make_pair(static_cast<const TQSItem*>(grace[0]), 448)) << pass;
    EXPECT_EQ(events[5], std::make_pair(static_cast<const TQSItem*>(grace[1]), 480)) << pass;
    EXPECT_EQ(s.EventOf(before, grace[0])->Duration, 32);
    s.Layout(1);
  }
}

}  // namespace
}  // namespace qs::test
