// Notes and rests: heads, stems, accidentals stacked beside a chord, dots,
// ties into the next measure and into a second ending, tuplets, grace
// notes, tablature, and the keys the notes sound.
#include <gtest/gtest.h>

#include "content_fixture.h"
#include "score/accidentals.h"

namespace qs::test {
namespace {

constexpr uint8_t C5 = 0x50, D5 = 0x51, E5 = 0x52, F5 = 0x53, G5 = 0x54, G4 = 0x44;

// Treble clef, staff top at 576, staff space 48: a note of pitch position
// P has its head's top at 576 + P x 24 - 24 (C5: P 10, D5: 9, E5: 8).
int HeadTopOf(int position) { return kFirstRowTop + position * kSpace / 2 - kSpace / 2; }

// A chord of a second (the upper head displaced to the right of the up
// stem) with a sharp on C and a flat on D: the flat, placed first, fits
// next to the heads (column 10); the sharp's rows meet it and it stands a
// column further left (15). The chord shares one stem that reaches from
// the lower head's centre to a stem length above the upper one.
TEST(LayoutNotes, ChordOfASecondWithStackedAccidentals) {
  TContentScore s(1);
  TQSNote* c = s.Note(s.Measure(0), 0, 128, C5);
  TQSNote* d = s.Note(s.Measure(0), 0, 128, D5);
  c->SetChordMember(true);
  d->SetChordMember(true);
  d->SetHeadDisplaced(true);
  TQSMark* sharp = s.Attach(c, kind::Accidental, accidental::Sharp);
  TQSMark* flat = s.Attach(d, kind::Accidental, accidental::Flat);
  s.Layout();

  const TQSCalcMeasure& slot = s.SlotOf(0);
  const int w = HeadWidth('5');
  EXPECT_EQ(s.Rel(slot, 0, s.One(slot, c)), (TRect{-w / 2, HeadTopOf(10), w, HeadTopOf(10) + kSpace}));
  EXPECT_EQ(s.Rel(slot, 0, s.One(slot, d)), (TRect{-w / 2 + w - 8, HeadTopOf(9), w, HeadTopOf(9) + kSpace}));
  EXPECT_TRUE(s.Of(slot, d, element::Stem).empty());
  const TQSCalcItem& stem = s.One(slot, c, element::Stem);
  EXPECT_EQ(s.Rel(slot, 0, stem), (TRect{w - w / 2 - 6, HeadTopOf(9) + 24 - 160, 6, HeadTopOf(10) + 24}));

  EXPECT_EQ(s.Rel(slot, 0, s.One(slot, flat)), (TRect{-10 * 8, 576 + 9 * 24 - 96, HeadWidth('@'), 576 + 9 * 24 + 24}));
  EXPECT_EQ(s.Rel(slot, 0, s.One(slot, sharp)), (TRect{-15 * 8, 576 + 10 * 24 - 72, HeadWidth('B'), 576 + 10 * 24 + 72}));
  // The room left of the chord: the outer column and 2 more.
  EXPECT_EQ(s.X(slot, 0) - slot.Box.Left - slot.ClefWidth, 8 * 17);
  EXPECT_EQ(c->SoundingKey, 61);
  EXPECT_EQ(d->SoundingKey, 61);
}

// Columns of stacked accidentals (pixels left of the chord) and the room
// they leave at the chord's tick.
TEST(LayoutNotes, AccidentalColumns) {
  struct TAcc {
    uint8_t Pitch, Kind, Style;
    int Column, Bracket;
  };
  const struct {
    const char* Name;
    std::vector<TAcc> Chord;
  } cases[] = {
      // Two sharps two steps apart: the one placed second (the lower, the
      // chord list being walked from its end) starts at the first one's
      // extent.
      {"sharps a third apart", {{C5, accidental::Sharp, 0, 15, 0}, {E5, accidental::Sharp, 0, 10, 0}}},
      // A flat and a sharp seven steps lower share no row: both next to
      // the heads.
      {"flat over a low sharp", {{G4, accidental::Sharp, 0, 10, 0}, {G5, accidental::Flat, 0, 10, 0}}},
      // A bracketed sharp takes 5 + 2 x 3 pixels and its glyph starts 3
      // pixels right of its column's edge.
      {"bracketed sharp", {{C5, accidental::Sharp, 0x04, 16, 3}}},
  };
  for (const auto& t : cases) {
    TContentScore s(1);
    std::vector<TQSMark*> marks;
    for (const TAcc& a : t.Chord) {
      TQSNote* n = s.Note(s.Measure(0), 0, 128, a.Pitch);
      n->SetChordMember(true);
      marks.push_back(s.Attach(n, kind::Accidental, a.Kind));
      marks.back()->Fields.Style = a.Style;
    }
    s.Layout();
    const TQSCalcMeasure& slot = s.SlotOf(0);
    int widest = 0;
    for (size_t i = 0; i < marks.size(); ++i) {
      EXPECT_EQ(s.Rel(slot, 0, s.One(slot, marks[i])).Left, -(t.Chord[i].Column - t.Chord[i].Bracket) * 8) << t.Name;
      widest = std::max(widest, t.Chord[i].Column);
    }
    EXPECT_EQ(s.X(slot, 0) - slot.Box.Left - slot.ClefWidth, 8 * std::max(widest + 2, 16)) << t.Name;
  }
}

// The key each note sounds: the key signature's and earlier notes'
// alterations, written accidentals, the head style, the part's
// transposition and the upper end of the keys.
TEST(LayoutNotes, SoundingKeys) {
  struct TNote {
    uint8_t Pitch;
    std::vector<uint8_t> Accidentals;
    int Key;
    uint8_t Display;
    uint8_t HeadStyle = 0;
  };
  const struct {
    const char* Name;
    int KeyKind, Transpose;
    std::vector<TNote> Notes;
  } cases[] = {
      {"G major", 1, 0, {{C5, {}, 60, 0}, {F5, {}, 66, 0}, {F5, {accidental::Natural}, 65, 0x80}, {F5, {}, 65, 0}}},
      {"flat on a sharpened step", 1, 0, {{F5, {accidental::Flat}, 64, 0x41}}},
      {"two flats", 0, 0, {{D5, {accidental::Flat, accidental::Flat}, 60, 0x42}, {D5, {}, 60, 0}}},
      {"natural-sharp", 0, 0, {{E5, {accidental::NaturalSharp}, 65, 0x81}}},
      {"double flat", 0, 0, {{E5, {accidental::DoubleFlat}, 62, 0x42}}},
      {"above the keys", 0, 0, {{0xA6, {accidental::Sharp}, 127, 0x01}}},
      {"head style 3", 0, 0, {{C5, {}, 72, 0, 3}}},
      {"transposed", 0, -2, {{C5, {}, 58, 0}}},
  };
  for (const auto& t : cases) {
    TContentScore s(1);
    if (t.KeyKind) s.Mark(s.Measure(0), kind::Key, 0, 0, t.KeyKind);
    if (t.Transpose) {
      const TQSTransportRecord r{0, static_cast<int16_t>(t.Transpose)};
      s.Part()->SetTransport(1, &r);
    }
    std::vector<TQSNote*> notes;
    for (size_t i = 0; i < t.Notes.size(); ++i) {
      TQSNote* n = s.Note(s.Measure(0), static_cast<int>(i) * 128, 128, t.Notes[i].Pitch);
      n->Fields.HeadStyle = t.Notes[i].HeadStyle;
      for (uint8_t k : t.Notes[i].Accidentals) s.Attach(n, kind::Accidental, k);
      notes.push_back(n);
    }
    s.Layout();
    // A second pass works out the same written accidentals.
    s.Layout();
    for (size_t i = 0; i < notes.size(); ++i) {
      EXPECT_EQ(notes[i]->SoundingKey, t.Notes[i].Key) << t.Name << " " << i;
      EXPECT_EQ(notes[i]->AccidentalDisplay, t.Notes[i].Display) << t.Name << " " << i;
    }
  }
}

// A dotted note's dot stands right of its head, half a space up when the
// head sits on a line. A quarter tied to the first note of the next
// measure: its event is listed as tied onwards and the note it ties into
// is marked as tied from the previous note (another pitch is not).
TEST(LayoutNotes, DotsAndTiesOverTheBarline) {
  TContentScore s(2);
  TQSNote* dotted = s.Note(s.Measure(0), 0, 256, C5);
  dotted->Fields.RealLength = 384;
  TQSMark* dot = s.Attach(dotted, kind::Dot);
  TQSNote* quarter = s.Note(s.Measure(0), 384, 128, C5);
  s.Tie(quarter, 128, TQSLiga::kFromStart);
  TQSNote* tiedTo = s.Note(s.Measure(1), 0, 256, C5);
  TQSNote* other = s.Note(s.Measure(1), 256, 256, D5);
  s.Layout();

  const TQSCalcMeasure& slot = s.SlotOf(0);
  const int w = HeadWidth('4');
  // C5 stands on the first ledger line below (position 10).
  EXPECT_EQ(s.Rel(slot, 0, s.One(slot, dot)),
            (TRect{8 - w / 2 + w, HeadTopOf(10) + 8 - 24, 40, HeadTopOf(10) + kSpace - 8 - 24}));
  ASSERT_EQ(slot.SpanningItems.size(), 1u);
  EXPECT_EQ(slot.SpanningItems[0], s.EventOf(slot, quarter));
  EXPECT_TRUE(tiedTo->SelectFlags & TQSNote::kSelectTiedFromPrevious);
  EXPECT_FALSE(other->SelectFlags & TQSNote::kSelectTiedFromPrevious);
  EXPECT_FALSE(quarter->SelectFlags & TQSNote::kSelectTiedFromPrevious);
  // The dotted half sounds its whole length.
  EXPECT_EQ(s.EventOf(slot, dotted)->Duration, 384);
}

// A note tied from the last measure before a first ending into it: the
// second ending's first note is tied from the same note too, and the tie
// gets an arc there that starts after the measure's header and ends at
// that note.
TEST(LayoutNotes, TieIntoTheSecondEnding) {
  TContentScore s(3);
  TQSNote* from = s.Note(s.Measure(0), 0, 512, C5);
  TQSLiga* tie = s.Tie(from, 512, TQSLiga::kFromStart);
  TQSNote* first = s.Note(s.Measure(1), 0, 512, C5);
  TQSNote* second = s.Note(s.Measure(2), 0, 512, C5);
  s.Mark(s.Column(1), kind::Volta, 0, 1, 1);
  s.Mark(s.Column(1), kind::RepeatClose, 512);
  s.Mark(s.Column(2), kind::Volta, 0, 1, 2);
  s.Layout();

  EXPECT_TRUE(first->SelectFlags & TQSNote::kSelectTiedFromPrevious);
  EXPECT_TRUE(second->SelectFlags & TQSNote::kSelectTiedFromPrevious);
  const TQSCalcMeasure& slot = s.SlotOf(2);
  const TQSCalcItem& arc = s.One(slot, tie);
  EXPECT_EQ(arc.State, 3);
  EXPECT_EQ(arc.Param, 512);
  // The arc's level: the note's position under the clef, 40 higher for an
  // arc above.
  EXPECT_EQ(arc.Box2.Top, kFirstRowTop + 10 * 24 - 40);
  EXPECT_EQ(arc.Box2.Bottom, arc.Box2.Top);
  EXPECT_EQ(arc.Box2.Left, slot.Box.Left + slot.ClefWidth + slot.KeyWidth + slot.MeterWidth);
  EXPECT_EQ(arc.Box2.Right, std::max(s.X(slot, 0), arc.Box2.Left + 32));
  // The tie's element in the measure it left leads to the new arc.
  const TQSCalcItem& start = s.One(s.SlotOf(0), tie);
  EXPECT_EQ(tie->LayoutLink, &start);
  EXPECT_EQ(start.Next, &arc);
}

// A triplet of eighths: the notes sound their shares of a quarter and the
// bracket runs above them from the first note to the last.
TEST(LayoutNotes, Tuplet) {
  TContentScore s(1);
  TQSMark* tuplet = s.Mark(s.Measure(0), kind::Tuplet, 0, 64, 3);
  const int ticks[] = {0, 42, 85}, lengths[] = {42, 43, 43};
  std::vector<TQSNote*> notes;
  for (int i = 0; i < 3; ++i) {
    notes.push_back(s.Note(s.Measure(0), ticks[i], 64, C5));
    notes.back()->Fields.RealLength = static_cast<uint16_t>(lengths[i]);
  }
  s.Layout();
  const TQSCalcMeasure& slot = s.SlotOf(0);
  for (int i = 0; i < 3; ++i) {
    const TQSCalcEvent* ev = s.EventOf(slot, notes[i]);
    ASSERT_NE(ev, nullptr);
    EXPECT_EQ(ev->Tick, ticks[i]);
    EXPECT_EQ(ev->Duration, lengths[i]);
  }
  EXPECT_LT(s.X(slot, 0), s.X(slot, 42));
  EXPECT_LT(s.X(slot, 42), s.X(slot, 85));
  // Above the notes: a stem length (20 x 8) and a space above the heads.
  const int y = HeadTopOf(10) - 160 - kSpace;
  const TQSCalcItem& e = s.One(slot, tuplet);
  EXPECT_EQ(e.Box2, (TRect{s.X(slot, 0), y, s.X(slot, 85), y}));
  EXPECT_EQ(e.Box.Bottom, y + 32);
}

// Two grace notes before a note: laid out from the main note outwards,
// left of its heads' extent, each taking its head width and two thirds of
// the note interval (16); the beam runs left to right. A sharp on a grace
// note stands left of it and raises its key.
TEST(LayoutNotes, GraceNotesBeforeANote) {
  TContentScore s(1);
  auto* group = static_cast<TQSVorschlag*>(CreateItemByKind(kind::Vorschlag, s.Measure(0)));
  TQSNote* main = s.Note(s.Measure(0), 0, 128, C5);
  TQSNote* grace[2];
  const uint8_t pitches[] = {D5, E5};
  for (int i = 0; i < 2; ++i) {
    grace[i] = static_cast<TQSNote*>(CreateItemByKind(kind::Note, group));
    grace[i]->Fields.Pitch = pitches[i];
    grace[i]->Fields.Length = grace[i]->Fields.RealLength = 64;
  }
  grace[0]->SetBeamedToNext(true);
  TQSMark* sharp = s.Attach(grace[0], kind::Accidental, accidental::Sharp);
  s.Measure(0)->UpdateBeams(0, false);
  s.Layout();

  const TQSCalcMeasure& slot = s.SlotOf(0);
  const int w = HeadWidth('5', true);
  const int base = 8 * 5;  // the main note's head extent
  const int step = w + 16 * 2 / 3;
  const TRect e = s.Rel(slot, 0, s.One(slot, grace[1]));
  EXPECT_EQ(e, (TRect{-base - w, HeadTopOf(8), w, HeadTopOf(8) + kSpace}));
  const TRect d = s.Rel(slot, 0, s.One(slot, grace[0]));
  EXPECT_EQ(d, (TRect{-base - step - w, HeadTopOf(9), w, HeadTopOf(9) + kSpace}));
  EXPECT_EQ(s.Rel(slot, 0, s.One(slot, sharp)),
            (TRect{d.Left - HeadWidth('B', true), 576 + 9 * 24 - 72, HeadWidth('B', true), 576 + 9 * 24 + 72}));
  // Stems up at the heads' right, from 24 below their top.
  const TQSCalcItem& stem = s.One(slot, grace[1], element::Stem);
  EXPECT_EQ(s.Rel(slot, 0, stem), (TRect{e.Left + w - 6, HeadTopOf(8) + 24 - 120, 6, HeadTopOf(8) + 24}));
  const TQSCalcItem* beam = nullptr;
  for (int i = 0; i < slot.ItemCount; ++i)
    if (slot.Items.At(i)->ElementType == element::Beam) beam = slot.Items.At(i);
  ASSERT_NE(beam, nullptr);
  ASSERT_EQ(beam->Links.size(), 2u);
  EXPECT_EQ(beam->Links[0]->Item, grace[0]);
  EXPECT_EQ(beam->Links[1]->Item, grace[1]);
  // The group's room, 4 more at tick 0, and 2 more for the changed first
  // position.
  EXPECT_EQ(s.X(slot, 0) - slot.Box.Left - slot.ClefWidth, 8 * ((2 * step + base) / 8 + 4 + 2));

  EXPECT_EQ(grace[0]->SoundingKey, 63);
  EXPECT_EQ(grace[1]->SoundingKey, 64);
  EXPECT_EQ(main->SoundingKey, 60);
  // The main note first, then the grace notes as they were laid out.
  const auto events = s.Events(slot);
  ASSERT_EQ(events.size(), 3u);
  EXPECT_EQ(events[0].first, main);
  EXPECT_EQ(events[1].first, grace[1]);
  EXPECT_EQ(events[2].first, grace[0]);
  EXPECT_EQ(s.EventOf(slot, grace[0])->Duration, 64);
}

// A six-string tablature staff in standard tuning: notes without a fret
// get the lowest fret that plays them; the fret number is the head, on the
// string's line; written accidentals change the key only.
TEST(LayoutNotes, Tablature) {
  TContentScore s(2);
  TQSStaff* staff = s.Part()->GetStaff(0);
  staff->Fields.Tablature = 1;
  staff->Fields.LineCount = 6;
  const uint8_t tuning[] = {64, 59, 55, 50, 45, 40};
  for (int i = 0; i < 6; ++i) staff->SetTuning(i, tuning[i]);
  TQSNote* open = s.Note(s.Measure(0), 0, 128, E5);
  TQSNote* d = s.Note(s.Measure(0), 128, 128, D5);
  TQSNote* kept = s.Note(s.Measure(0), 256, 128, C5);
  kept->Fields.TabString = 2;
  kept->Fields.TabFret = 6;
  TQSNote* sharp = s.Note(s.Measure(0), 384, 128, C5);
  s.Attach(sharp, kind::Accidental, accidental::Sharp);
  TQSPause* rest = s.Rest(s.Measure(1), 0, 512);
  s.Rest(s.Measure(1), 0, 512, 1);  // not alone: placed at its tick
  s.Layout();

  const struct {
    TQSNote* Note;
    int String, Fret, Key;
  } expected[] = {{open, 0, 1, 64}, {d, 1, 4, 62}, {kept, 2, 6, 60}, {sharp, 1, 3, 61}};
  for (const auto& t : expected) {
    EXPECT_EQ(t.Note->Fields.TabString, t.String);
    EXPECT_EQ(t.Note->Fields.TabFret, t.Fret);
    EXPECT_EQ(t.Note->SoundingKey, t.Key);
  }
  EXPECT_EQ(sharp->AccidentalDisplay, 0x01);

  const TQSCalcStaff& row = s.Row(0, 0);
  const int T = 64;  // 1.3 staff spaces in whole pixels
  const int f = Width("Arial", 56, u"0");
  const TQSCalcMeasure& slot = s.SlotOf(0);
  const int y0 = 5 * T + row.TopLine;
  const TQSCalcItem& head = s.One(slot, open);
  EXPECT_EQ(s.Rel(slot, 0, head), (TRect{-f / 2, y0 - T / 2, f, y0 + T / 2}));
  EXPECT_EQ(head.Box2.Top, row.TopLine);
  EXPECT_EQ(head.Box2.Bottom, row.BottomLine);
  EXPECT_EQ(s.Rel(slot, 0, s.One(slot, open, element::Stem)), (TRect{0, y0 - 160, 4, y0 - T / 2}));
  EXPECT_EQ(s.One(slot, d).Box.Top, 4 * T + row.TopLine - T / 2);
  // A whole rest hangs from the second string.
  const TQSCalcItem& r = s.One(s.SlotOf(1), rest);
  EXPECT_EQ(r.Box.Top, row.Top + 2 * T);
  EXPECT_EQ(r.Box.Bottom, row.Top + 2 * T + T / 2);
}

// Slash and drum heads with their stems, and the line glyphs before and
// after a head (glissando, fall, lift) beside a C5 quarter whose head box
// is (-28, 792, 57 wide, 840).
TEST(LayoutNotes, HeadsAndLines) {
  TContentScore s(1);
  s.Score.AddDrumInstrument("Cross", 10, 20, 'x', 0, "", 100, 0);
  TQSNote* slash = s.Note(s.Measure(0), 0, 128, C5);
  slash->Fields.HeadStyle = headstyle::Slash;
  TQSNote* drum = s.Note(s.Measure(0), 128, 128, C5);
  drum->Fields.HeadStyle = headstyle::FirstDrum;
  TQSNote* plain = s.Note(s.Measure(0), 256, 128, C5);
  const struct {
    TQSItemType Type;
    int Variant;
    uint8_t Style;
    TRect Box;
  } lines[] = {
      {kind::Glissando, 1, 1, {-28 - 8 - MusicWidth(128, 'Z'), 808, MusicWidth(128, 'Z'), 888}},  // before
      {kind::Glissando, 0, 0, {37, 744, MusicWidth(128, 'Z'), 824}},                              // after
      {kind::Fall, 1, 0, {37, 808, MusicWidth(128, ']'), 888}},
      {kind::Lift, 0, 0, {-28 - 8 - MusicWidth(128, '^'), 824, MusicWidth(128, '^'), 888}},
  };
  std::vector<TQSMark*> marks;
  for (const auto& t : lines) {
    marks.push_back(s.Attach(plain, t.Type, t.Variant));
    marks.back()->Fields.Style = t.Style;
  }
  s.Layout();

  const TQSCalcMeasure& slot = s.SlotOf(0);
  // The slash lies on the middle line whatever the pitch; its stem starts
  // there.
  EXPECT_EQ(s.Rel(slot, 0, s.One(slot, slash)), (TRect{-20, 576 + 24, 40, 576 + 168}));
  EXPECT_EQ(s.Rel(slot, 0, s.One(slot, slash, element::Stem)), (TRect{-6, 696 - 160, 6, 696}));
  // A drum head is its style's glyph; the stem attaches at its offset.
  const int w = MusicWidth(128, 'x');
  EXPECT_EQ(s.Rel(slot, 128, s.One(slot, drum)).Right, w);
  EXPECT_EQ(s.Rel(slot, 128, s.One(slot, drum, element::Stem)),
            (TRect{w - w / 2 - 6, HeadTopOf(10) + 24 - 160, 6, HeadTopOf(10) + 24 + 20}));
  for (size_t i = 0; i < marks.size(); ++i) EXPECT_EQ(s.Rel(slot, 256, s.One(slot, marks[i])), lines[i].Box) << i;
}

// A note that asks to be selected hands its head to the active view; only
// the bit that keeps a note out of beams stays in its select byte.
TEST(LayoutNotes, SelectionRequest) {
  struct TView : TRecordingView {
    std::vector<TQSCalcItem*> Selected;
    void AddToSelection(TQSCalcItem* element) override { Selected.push_back(element); }
  } view;
  TContentScore s(1);
  s.Score.AttachWindow(&view);
  s.Score.SetActiveWindow(&view);
  TQSNote* note = s.Note(s.Measure(0), 0, 128, C5);
  note->SelectFlags = TQSNote::kSelectReselect | TQSNote::kSelectNoBeam;
  s.Layout();
  ASSERT_EQ(view.Selected.size(), 1u);
  EXPECT_EQ(view.Selected[0], note->HeadElement);
  EXPECT_EQ(note->SelectFlags, TQSNote::kSelectNoBeam);
  s.Score.DetachWindow(&view);
}

// Rests by value: whole rests hang from the second line, half rests sit on
// the middle line, shorter ones are glyphs; a measure-filling rest is a
// whole rest except in a long upbeat; rests far outside the staff get a
// ledger line (State 1).
TEST(LayoutNotes, Rests) {
  const TLayoutInstalled fonts;
  const struct {
    int Measure, Length, OffsetY;
    TRect Box;  // left and width relative to the tick
    int State;
  } cases[] = {
      {1, 512, 0, {-24, 624, 48, 648}, 0},
      {1, 512, -96, {-24, 528, 48, 552}, 1},
      {1, 256, 0, {-24, 648, 48, 672}, 0},
      {1, 256, 144, {-24, 792, 48, 816}, 1},
      {1, 128, 0, {-HeadWidth('M') / 2, 624, HeadWidth('M'), 768}, 0},
      {1, 64, 0, {-HeadWidth('N') / 2, 624, HeadWidth('N'), 768}, 0},
      {1, 384, 0, {-24, 624, 48, 648}, 0},                              // fills the 3/4 measure
      {0, 384, 0, {-HeadWidth('M') / 2, 624, HeadWidth('M'), 768}, 0},  // the 3/4 upbeat
  };
  for (const auto& t : cases) {
    TContentScore s(2);
    s.Piece->SetAuftakt(MakeMeter(3, 4));
    s.Mark(s.Column(0), kind::Meter, 0, MakeMeter(3, 4));
    TQSPause* rest = s.Rest(s.Measure(t.Measure), 0, t.Length);
    rest->Fields.OffsetY = static_cast<int16_t>(t.OffsetY);
    s.Rest(s.Measure(t.Measure), 0, t.Length, 1);  // a second voice keeps the rest at its tick
    s.Layout();
    const TQSCalcMeasure& slot = s.SlotOf(t.Measure);
    const TQSCalcItem& e = s.One(slot, rest);
    EXPECT_EQ(s.Rel(slot, 0, e), t.Box) << t.Length << " " << t.OffsetY;
    EXPECT_EQ(e.State, t.State) << t.Length << " " << t.OffsetY;
  }
}

}  // namespace
}  // namespace qs::test
