// Converting the measure records of the older score files: notes and what
// is attached to them, rests, further records, and the completion with
// rests, beams and stems.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "legacy_builder.h"

using namespace qs;
using namespace qs::test;

namespace {

// Staff steps at 96 pixels per inch with the page's line space of 15.875
// tenths: a line space is 6 pixels, a staff step 3 pixels, 24 units.
constexpr int kStepUnits = 24;
constexpr int kLineSpaceUnits = 48;

class LegacyMeasureTest : public TLegacyScoreTest {
 protected:
  int V = 880;
  int Format = 245;

  // One staff in 4/4 holding the measures.
  void LoadMeasures(const std::vector<TOldMeasure>& measures, TOldHeader h = {}) {
    h.Meter = MakeMeter(4, 4);
    std::vector<TBytes> records;
    for (const TOldMeasure& m : measures) records.push_back(OldMeasure(Format, V, m));
    Load(OneStaffFile(Format, V, records, h));
  }
  void LoadNotes(const std::vector<TOldNote>& notes, std::vector<TBytes> further = {}) {
    TOldMeasure m;
    for (const TOldNote& n : notes) m.Notes.push_back(OldNote(V, n));
    m.Further = std::move(further);
    LoadMeasures({m});
  }
  std::vector<TQSNote*> Notes(int measure = 0) { return ItemsOf<TQSNote>(Measure(measure)->Items, kind::Note); }
  std::vector<TQSMark*> Marks(TQSItemType kind, int measure = 0) {
    return ItemsOf<TQSMark>(Measure(measure)->Items, kind);
  }
};

// Old note blocks from raw bytes: the version decides the layout and,
// below 848, the doubling of the times.
TEST_F(LegacyMeasureTest, NoteTimesByVersion) {
  for (auto [version, written, real] : {std::tuple{849, 128, 192}, std::tuple{847, 256, 384}}) {
    V = version;
    TOldMeasure m;
    TBytes note = ByteBlock(TOldBlockBytes(18).U8(0, 21).U8(1, 5).U8(2, 32).U8(10, 48).U8(11, 0));
    m.Notes = {note.U16(0).U16(0)};
    LoadMeasures({m});
    SCOPED_TRACE(version);
    ASSERT_EQ(Notes().size(), 1u);
    EXPECT_EQ(Notes()[0]->Fields.Time, 0);
    EXPECT_EQ(Notes()[0]->Fields.Length, written);
    EXPECT_EQ(Notes()[0]->Fields.RealLength, real);
  }
}

// A block shorter than the places read gives 0 for the missing bytes and
// leaves the records after it in place.
TEST_F(LegacyMeasureTest, ShortBlocksReadAsZeros) {
  for (int version : {849, 880}) {
    V = version;
    TOldMeasure m;
    TBytes shortNote = ByteBlock(TOldBlockBytes().U8(0, 23).U8(1, 4).U8(2, 16));
    m.Notes = {shortNote.U16(0).U16(0), OldNote(V, TOldNote{.Step = 4, .Time = 256})};
    m.Further = {ByteBlock(TOldBlockBytes().U8(0, 240)).Str("Arial").U16(1).Str("syl"), OldCodedMark(V, 166, 0, 0)};
    LoadMeasures({m});
    SCOPED_TRACE(version);
    const auto notes = Notes();
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_EQ(notes[0]->Fields.Pitch, 0x42);
    EXPECT_EQ(notes[0]->Fields.Length, 64);
    EXPECT_EQ(notes[0]->Fields.Time, 0);
    EXPECT_EQ(notes[0]->Fields.Velocity, 64);
    EXPECT_EQ(notes[1]->Fields.Pitch, 0x54);
    EXPECT_EQ(notes[1]->Fields.Time, 256);
    const auto lyrics = ItemsOf<TQSLyric>(Measure(0)->Items, kind::Lyric);
    ASSERT_EQ(lyrics.size(), 1u);
    EXPECT_EQ(lyrics[0]->Lines, std::vector<std::string>{"syl"});
    EXPECT_EQ(Marks(kind::Dynamics).size(), 1u);
  }
}

TEST_F(LegacyMeasureTest, NoteFieldsTremoloAndVoices) {
  for (int version : {847, 880}) {
    V = version;
    // A chord of the upper voice read with its stems down, one of a
    // voice the staff does not have yet read with its stems up.
    TOldNote a{.Time = 128, .Chord = true, .StemDown = true, .Strokes = 2, .Velocity = 77, .Head = 3};
    TOldNote a2{.Step = 4, .Time = 128, .Chord = true, .StemDown = true};
    TOldNote b{.Step = 1, .Time = 0, .Voice = 1, .Chord = true};
    TOldNote b2{.Step = 5, .Time = 0, .Voice = 1, .Chord = true};
    LoadNotes({a, a2, b, b2});
    SCOPED_TRACE(version);
    const auto notes = Notes();
    ASSERT_EQ(notes.size(), 4u);
    EXPECT_EQ(notes[0]->Fields.StaffVoice, 0x01);
    EXPECT_EQ(notes[2]->Fields.Velocity, 77);
    EXPECT_EQ(notes[2]->Fields.HeadStyle, 7);
    EXPECT_EQ(Part()->GetStaff(0)->VoiceCount(), 2);
    // Chords are kept in pitch order.
    EXPECT_EQ(notes[0]->Fields.Pitch, 0x51);
    EXPECT_EQ(notes[1]->Fields.Pitch, 0x55);
    const auto tremolos = Marks(kind::Tremolo);
    ASSERT_EQ(tremolos.size(), 1u);
    EXPECT_EQ(tremolos[0]->Fields.Value, 2);
    EXPECT_EQ(tremolos[0]->Fields.Time, 128);
    EXPECT_EQ(tremolos[0]->Fields.Style, TQSMark::kStyleAttached);
    // Two voices: the upper one's stems point up, the lower one's down.
    for (int i = 0; i < 4; ++i) EXPECT_EQ(notes[i]->IsStemDown(), i < 2) << i;
  }
}

// The score's beaming: everything (old code 0, but not past the measure's
// end), by beats (any other code), none (3).
TEST_F(LegacyMeasureTest, BeamingFromTheHeader) {
  struct TCase {
    int Join;
    std::vector<bool> Beamed;
  };
  const TCase cases[] = {{0, {true, true, true, false}}, {1, {true, false, false, false}}, {3, {false, false, false, false}}};
  for (const TCase& c : cases) {
    TOldMeasure m;
    for (int at : {0, 64, 128, 448}) m.Notes.push_back(OldNote(V, TOldNote{.Time = at, .Written = 64}));
    TOldHeader h;
    h.Join = c.Join;
    LoadMeasures({m}, h);
    SCOPED_TRACE(c.Join);
    std::vector<bool> beamed;
    for (TQSNote* n : Notes()) beamed.push_back(n->BeamedToNext());
    EXPECT_EQ(beamed, c.Beamed);
  }
}

TEST_F(LegacyMeasureTest, TiesAndSlurs) {
  TOldMeasure m0, m1;
  m0.Notes = {OldNote(V, TOldNote{.Time = 0, .Written = 384}), OldNote(V, TOldNote{.Time = 384})};
  TOldNote tied{.Time = 0, .Written = 256};
  tied.Attached = {OldTie(151, 0, 0, 1, 1, 254)};
  TOldNote slurred{.Step = 2, .Time = 256, .Written = 256};
  // A slur from the first note, records naming notes that do not exist
  // (their indexes are still passed over), and a dot after them.
  slurred.Attached = {OldTie(152, 0, 0, 0), OldTie(151, 5, 0, 0), OldTie(151, 0, 9, 0), OldTie(152, 0, 0, 7),
                      OldAttached(153), OldAttached(101)};
  slurred.Attached[4].U16(1).U16(2).U16(3);
  m1.Notes = {OldNote(V, tied), OldNote(V, slurred)};
  LoadMeasures({m0, m1});

  const auto first = Notes(0);
  ASSERT_EQ(first.size(), 2u);
  const auto tie = ItemsOf<TQSLiga>(first[1]->Items, kind::Liga);
  ASSERT_EQ(tie.size(), 1u);
  EXPECT_EQ(tie[0]->Fields.Flags, TQSLiga::kFromStart);
  EXPECT_EQ(tie[0]->Fields.Span, 128);
  EXPECT_EQ(tie[0]->Fields.EndY, 0);
  EXPECT_EQ(tie[0]->Fields.StartX, 8);
  EXPECT_EQ(tie[0]->Fields.EndX, -8);
  const auto slur = ItemsOf<TQSLiga>(first[0]->Items, kind::Liga);
  ASSERT_EQ(slur.size(), 1u);
  EXPECT_EQ(slur[0]->Fields.Flags, TQSLiga::kBelow);
  EXPECT_EQ(slur[0]->Fields.Span, 512 + 256);
  // Staff step 45 - (35 + 2) = 8 of the ending note, a line space lower.
  EXPECT_EQ(slur[0]->Fields.EndY, 8 * kStepUnits + kLineSpaceUnits);
  const auto second = Notes(1);
  ASSERT_EQ(second.size(), 2u);
  EXPECT_EQ(ItemsOf<TQSMark>(second[1]->Items, kind::Dot).size(), 1u);
  EXPECT_TRUE(ItemsOf<TQSLiga>(second[0]->Items, kind::Liga).empty());
}

// Marks beside a note, placed from its staff step: articulations a line
// space away on the side of the note head, hi-hat and hand marks on it.
TEST_F(LegacyMeasureTest, MarksBesideANote) {
  struct TCase {
    int Code;
    bool StemDown;
    int OffsetByte;
    TQSItemType Kind;
    int Variant, Style, OffsetY;
  };
  const int step = 10 * kStepUnits;  // C5: staff step 45 - 35
  const TCase cases[] = {
      {109, false, 0, kind::Staccato, 0, TQSMark::kStyleAttached, step + kLineSpaceUnits},
      {109, false, 254, kind::Staccato, 0, TQSMark::kStyleAttached, step + kLineSpaceUnits - 8},
      {109, false, 2, kind::Staccato, 0, TQSMark::kStyleAttached, step + kLineSpaceUnits + 16},
      {108, true, 0, kind::Portamento, 0, TQSMark::kStyleAttached, step - kLineSpaceUnits},
      {117, true, 0, kind::HiHat1, 0, TQSMark::kStyleAttached, step},
      {118, false, 0, kind::HiHat2, 0, TQSMark::kStyleAttached, step},
      {114, false, 0, kind::Hand, 0, 0, step},
      {119, true, 1, kind::Hand, 1, 0, step + 8},
  };
  for (const TCase& c : cases) {
    TOldNote n{.Time = 128, .StemDown = c.StemDown};
    n.Attached = {OldAttached(c.Code, c.OffsetByte)};
    LoadNotes({n});
    SCOPED_TRACE(c.Code);
    const auto marks = Marks(c.Kind);
    ASSERT_EQ(marks.size(), 1u);
    EXPECT_EQ(marks[0]->Fields.Time, 128);
    EXPECT_EQ(marks[0]->Fields.Kind, c.Variant);
    EXPECT_EQ(marks[0]->Fields.Style, c.Style);
    EXPECT_EQ(marks[0]->Fields.OffsetY, c.OffsetY);
  }
}

TEST_F(LegacyMeasureTest, MarksAttachedToANote) {
  const std::tuple<int, TQSItemType, int, int> cases[] = {
      {101, kind::Dot, 0, 0},        {102, kind::Dot, 0, 1},        {103, kind::Accidental, 0, 0},
      {104, kind::Accidental, 1, 0}, {107, kind::Accidental, 4, 0}, {115, kind::Accidental, 5, 0},
      {116, kind::Accidental, 6, 0}, {124, kind::Glissando, 0, 0},  {125, kind::Glissando, 1, 0},
      {126, kind::Fall, 0, 0},       {127, kind::Fall, 1, 0},       {128, kind::Lift, 0, 0},
  };
  for (const auto& [code, kind, variant, value] : cases) {
    TOldNote n;
    n.Attached = {OldAttached(code), OldAttached(99)};
    LoadNotes({n});
    SCOPED_TRACE(code);
    ASSERT_EQ(Notes()[0]->ItemCount(), 1);
    const auto* mark = static_cast<const TQSMark*>(Notes()[0]->GetItem(0));
    EXPECT_EQ(mark->ItemType, kind);
    EXPECT_EQ(mark->Fields.Kind, variant);
    EXPECT_EQ(mark->Fields.Value, value);
  }
}

// Grace notes keep the times they have in every version; the group can
// follow its note.
TEST_F(LegacyMeasureTest, GraceGroupsAfterTheirNote) {
  V = 847;
  TOldNote n{.Time = 256};
  n.Attached = {OldGraceGroup(V, 0x80, 32, {{4, 4, 8, 90, 0, {103, 9}}})};
  LoadNotes({n});
  const auto groups = ItemsOf<TQSVorschlag>(Measure(0)->Items, kind::Vorschlag);
  ASSERT_EQ(groups.size(), 1u);
  EXPECT_EQ(groups[0]->Fields.Time, 256);
  EXPECT_EQ(groups[0]->Fields.Flags, TQSVorschlag::kAfter);
  const TQSNote* grace = groups[0]->GetNote(0);
  EXPECT_EQ(grace->Fields.Pitch, 0x44);
  EXPECT_EQ(grace->Fields.Time, 8);
  EXPECT_EQ(grace->Fields.Length, 32);
  EXPECT_EQ(grace->ExtraBeams(), 1);
  EXPECT_TRUE(grace->BeamedToNext());
  const auto accidentals = ItemsOf<TQSMark>(grace->Items, kind::Accidental);
  ASSERT_EQ(accidentals.size(), 1u);
  EXPECT_EQ(accidentals[0]->Fields.Kind, 0);
  EXPECT_TRUE(ItemsOf<TQSLiga>(grace->Items, kind::Liga).empty());
}

// Rests of the newer format, their dots, and the completion around them.
TEST_F(LegacyMeasureTest, RestsAndDots) {
  TOldMeasure m;
  m.Notes = {OldNote(V, TOldNote{.Time = 0})};
  m.Rests = {OldRest(V, 128, 128, 192, 0, {102, 7})};
  LoadMeasures({m});
  const auto rests = ItemsOf<TQSPause>(Measure(0)->Items, kind::Pause);
  ASSERT_EQ(rests.size(), 3u);
  EXPECT_EQ(rests[0]->Fields.Time, 128);
  EXPECT_EQ(rests[0]->Fields.RealLength, 192);
  const auto dots = ItemsOf<TQSMark>(rests[0]->Items, kind::Dot);
  ASSERT_EQ(dots.size(), 1u);
  EXPECT_EQ(dots[0]->Fields.Value, 1);
  // Filled up to the measure's end.
  EXPECT_EQ(rests[1]->Fields.Time, 320);
  EXPECT_EQ(rests[1]->Fields.RealLength, 64);
  EXPECT_EQ(rests[2]->Fields.Time, 384);
  EXPECT_EQ(rests[2]->Fields.RealLength, 128);
}

TEST_F(LegacyMeasureTest, TheHeaderOfAMeasure) {
  TOldMeasure m0, m1;
  m0.Clef = 0;
  m0.Key = 41;
  m0.Notes = {OldNote(V, TOldNote{.Time = 0})};
  m1.Clef = 3;
  m1.ClefTime = 64;
  m1.Meter = MakeMeter(3, 8);
  m1.Notes = {OldNote(V, TOldNote{.Time = 0, .Written = 64}), OldNote(V, TOldNote{.Time = 64, .Written = 64})};
  LoadMeasures({m0, m1});
  TQSItem* front = Measure(0)->GetItem(0);
  EXPECT_EQ(front->ItemType, kind::Key);
  EXPECT_EQ(static_cast<TQSMark*>(front)->Fields.Kind, 11);
  const auto clef0 = Marks(kind::Clef, 0);
  ASSERT_EQ(clef0.size(), 1u);
  EXPECT_EQ(clef0[0]->Fields.Kind, 1);
  const TQSMeasure* m = Measure(1);
  const auto clef1 = Marks(kind::Clef, 1);
  ASSERT_EQ(clef1.size(), 1u);
  EXPECT_EQ(clef1[0]->Fields.Kind, 3);
  EXPECT_EQ(clef1[0]->Fields.Time, 64);
  // The new meter is the column's; the measure is filled to its length.
  const auto meters = ItemsOf<TQSMark>(Piece()->GetColumn(1)->Items, kind::Meter);
  ASSERT_EQ(meters.size(), 1u);
  EXPECT_EQ(meters[0]->Fields.Value, MakeMeter(3, 8));
  const auto rests = ItemsOf<TQSPause>(m->Items, kind::Pause);
  ASSERT_EQ(rests.size(), 1u);
  EXPECT_EQ(rests[0]->Fields.Time, 128);
  EXPECT_EQ(rests[0]->Fields.RealLength, 64);
}

// Below version 640 the header holds only the blocks its field count
// names, each with its own size.
TEST_F(LegacyMeasureTest, OldHeadersKeepTheirBlockSizes) {
  V = 639;
  TBytes body;
  body.U16(2);
  Add(body, ByteBlock(TOldBlockBytes(6).U8(0, 4).U8(5, 0xEE)));
  Add(body, ByteBlock(TOldBlockBytes(3).U8(0, 32)));
  Add(body, List({OldNote(V, TOldNote{.Step = 6})}));
  Add(body, List({}));
  Add(body, List({}));
  Load(OneStaffFile(245, V, {OldRecord(253, false, body)}));
  ASSERT_EQ(Marks(kind::Clef).size(), 1u);
  EXPECT_EQ(Marks(kind::Clef)[0]->Fields.Kind, clef::TrebleOctaveUp);
  ASSERT_EQ(Marks(kind::Key).size(), 1u);
  EXPECT_EQ(Marks(kind::Key)[0]->Fields.Kind, 2);
  ASSERT_EQ(Notes().size(), 1u);
  EXPECT_EQ(Notes()[0]->Fields.Pitch, 0x56);
}

TEST_F(LegacyMeasureTest, ChordSymbolsOfTheOlderLayout) {
  V = 816;
  TOldChord c{.Time = 64, .Text = "F#", .Size = 9, .Style = 2, .YByte = 255, .XByte = 126, .Color = 0xABCDEF};
  LoadNotes({}, {OldChord(V, c)});
  const auto chords = ItemsOf<TQSChord>(Measure(0)->Items, kind::Chord);
  ASSERT_EQ(chords.size(), 1u);
  const TQSChord& chord = *chords[0];
  EXPECT_EQ(chord.Fields.Time, 64);
  EXPECT_EQ(chord.Fields.OffsetY, 255 * 8 - 2040 + 8 * kLineSpaceUnits);
  EXPECT_EQ(chord.Fields.OffsetX, 126 * 8);
  EXPECT_EQ(chord.Fields.Color, 0xABCDEFu);
  ASSERT_EQ(chord.Patterns.size(), 1u);
  EXPECT_EQ(chord.Patterns[0].Fields.Size, 9);
  EXPECT_EQ(chord.Patterns[0].Fields.Style, 2);
  EXPECT_EQ(chord.Patterns[0].Text, "F#");
  EXPECT_EQ(chord.FontName, "Arial");
}

// A fragment's attribute block longer than its five bytes gives only them.
TEST_F(LegacyMeasureTest, LongChordAttributesAreCut) {
  TBytes chord = ByteBlock(TOldBlockBytes(13).U8(0, 51));
  chord.U16(1);
  Add(chord, ByteBlock(TOldBlockBytes(9).U8(0, 11).U8(3, 2).U8(8, 0x77)));
  chord.Str("G").U8(0).Str("");
  LoadNotes({}, {chord, OldCodedMark(V, 225, 0, 64)});
  const auto chords = ItemsOf<TQSChord>(Measure(0)->Items, kind::Chord);
  ASSERT_EQ(chords.size(), 1u);
  ASSERT_EQ(chords[0]->Patterns.size(), 1u);
  EXPECT_EQ(chords[0]->Patterns[0].Fields.Size, 11);
  EXPECT_EQ(chords[0]->Patterns[0].Fields.Level, 2);
  EXPECT_TRUE(chords[0]->Patterns[0].BlockSurplus.empty());
  EXPECT_EQ(Marks(kind::Vibrato).size(), 1u);
}

TEST_F(LegacyMeasureTest, Tuplets) {
  // A stem-down note puts the bracket of a one-voice tuplet below; a
  // record storing fewer slots than its type still gets one per note.
  TOldNote a{.Time = 0, .Written = 128, .Real = 80, .StemDown = true};
  TOldNote b{.Time = 80, .Written = 128, .Real = 80};
  TOldNote c{.Time = 160, .Written = 128, .Real = 80};
  LoadNotes({a, b, c}, {OldTuplet(V, 0, 3, 0, 128, 5, 2), OldTuplet(V, 384, 0, 0, 64)});
  const auto tuplets = Marks(kind::Tuplet);
  ASSERT_EQ(tuplets.size(), 2u);
  EXPECT_EQ(tuplets[0]->Fields.Style, TQSMark::kStyleAttached);
  EXPECT_EQ(tuplets[0]->Fields.OffsetY, 5);
  EXPECT_EQ(tuplets[0]->TupletLengths, (std::vector<int16_t>{85, 85, 86}));
  EXPECT_TRUE(tuplets[1]->TupletLengths.empty());
  std::vector<TSpan> notes;
  for (TQSNote* n : Notes()) notes.emplace_back(n->Fields.Time, n->Fields.Length, n->Fields.RealLength);
  EXPECT_EQ(notes, (std::vector<TSpan>{{0, 128, 85}, {85, 128, 85}, {170, 128, 86}}));
}

// In a staff of two voices the tuplet of the lower voice has its bracket
// on the other side; rests get out of each other's way.
TEST_F(LegacyMeasureTest, TupletsAndRestsOfTwoVoices) {
  TOldMeasure m;
  m.Notes = {OldNote(V, TOldNote{.Time = 0, .Written = 512}), OldNote(V, TOldNote{.Time = 0, .Written = 64, .Voice = 1})};
  m.Rests = {OldRest(V, 256, 256, -1, 1)};
  m.Further = {OldTuplet(V, 0, 3, 1, 64)};
  LoadMeasures({m});
  ASSERT_EQ(Marks(kind::Tuplet).size(), 1u);
  EXPECT_EQ(Marks(kind::Tuplet)[0]->Fields.Style, TQSMark::kStyleAttached);
  const auto rests = ItemsOf<TQSPause>(Measure(0)->Items, kind::Pause);
  ASSERT_FALSE(rests.empty());
  for (const TQSPause* r : rests) EXPECT_EQ(r->Fields.OffsetY, 96);
}

TEST_F(LegacyMeasureTest, MarkCodes) {
  struct TCase {
    int Code;
    TQSItemType Kind;
    int Variant;
  };
  const TCase cases[] = {
      {131, kind::Arpeggio, 0}, {132, kind::Tremolo, 0},  {133, kind::Hang, 1},      {134, kind::Hang, 1},
      {160, kind::Dynamics, 0}, {172, kind::Dynamics, 12}, {175, kind::StringNumber, 0}, {180, kind::Pedal, 1},
      {184, kind::Trill, 1},    {187, kind::Trill, 4},    {191, kind::Mordent, 3},   {196, kind::Fermata, 1},
      {198, kind::Accent, 0},   {199, kind::Accent, 3},   {216, kind::Finger, 1},    {220, kind::Finger, 5},
      {221, kind::Dynamics, 50}, {222, kind::Dynamics, 51}, {224, kind::Ottava, 1},  {225, kind::Vibrato, 0},
      {227, kind::Bracket, 1},  {229, kind::Muting, 0},   {99, kind::Hang, 0},
  };
  for (int version : {847, 852}) {
    V = version;
    for (const TCase& c : cases) {
      LoadNotes({}, {OldCodedMark(V, c.Code, 128, 64, 3, 4)});
      SCOPED_TRACE(std::to_string(version) + " " + std::to_string(c.Code));
      const auto marks = Marks(c.Kind);
      ASSERT_EQ(marks.size(), 1u);
      EXPECT_EQ(marks[0]->Fields.Kind, c.Variant);
      EXPECT_EQ(marks[0]->Fields.Time, 128);
      EXPECT_EQ(marks[0]->Fields.StaffVoice, 0);
      EXPECT_EQ(marks[0]->Fields.Value, 64);
      EXPECT_EQ(marks[0]->Fields.OffsetY, (46 - 4 * 7 - 3) * kStepUnits);
    }
  }
}

// Clefs of the further records take their kind from the record; records
// 29 and 228 make nothing, and neither do the link records 153 and 154.
TEST_F(LegacyMeasureTest, FurtherClefsAndDroppedRecords) {
  TOldMeasure m;
  m.Notes = {ByteBlock(TOldBlockBytes(18).U8(0, 29)), OldNote(V, TOldNote{.Time = 0, .Written = 512})};
  m.Further = {OldCodedMark(V, 20, 256, 7), ByteBlock(TOldBlockBytes(8).U8(0, 228))};
  LoadMeasures({m});
  const auto clefs = Marks(kind::Clef);
  ASSERT_EQ(clefs.size(), 2u);
  EXPECT_EQ(clefs[1]->Fields.Kind, 7);
  EXPECT_EQ(clefs[1]->Fields.Time, 256);
  EXPECT_EQ(Notes().size(), 1u);
  EXPECT_EQ(Measure(0)->ItemCount(), 3);
}

TEST_F(LegacyMeasureTest, RehearsalMarksComeFirst) {
  for (int version : {849, 850}) {
    V = version;
    TOldMeasure m;
    const bool newer = V > 849;
    TOldBlockBytes rehearsal(18);
    rehearsal.U8(0, 28);
    if (newer) rehearsal.I16(2, 3).I16(4, 64).U8(16, 0).U8(17, 0x84);
    else rehearsal.U8(2, 3).U8(3, 64).U8(12, 0).U8(13, 0x84);
    m.Notes = {OldNote(V, TOldNote{.Time = 0}), ByteBlock(rehearsal)};
    LoadMeasures({m});
    SCOPED_TRACE(version);
    ASSERT_EQ(Measure(0)->GetItem(1)->ItemType, kind::Rehearsal);
    const auto* mark = static_cast<TQSMark*>(Measure(0)->GetItem(1));
    EXPECT_EQ(mark->Fields.Time, 256);
    EXPECT_EQ(mark->Fields.Value, 12);
    EXPECT_EQ(mark->Fields.Style, 0x84);
  }
}

TEST_F(LegacyMeasureTest, Bends) {
  for (int version : {851, 852}) {
    V = version;
    LoadNotes({}, {OldBend(V, 128, 1010, 990, 1020, 1015, 2, 4)});
    SCOPED_TRACE(version);
    const auto bends = ItemsOf<TQSBend>(Measure(0)->Items, kind::Bend);
    ASSERT_EQ(bends.size(), 1u);
    const TQSBend::TFields& f = bends[0]->Fields;
    EXPECT_EQ(f.Time, 128);
    EXPECT_EQ(f.Height, 80);
    EXPECT_EQ(f.RiseWidth, 80);
    EXPECT_EQ(f.SecondWidth, 80);
    EXPECT_EQ(f.ReleaseWidth, 0);
    EXPECT_EQ(f.OffsetY, (46 - 28 - 2) * kStepUnits);
    EXPECT_EQ(f.StaffVoice, 0);
  }
}

// A damaged measure record ends where it is damaged; the measure is still
// completed and the next record is read.
TEST_F(LegacyMeasureTest, ADamagedMeasureEndsAtItsLength) {
  TOldMeasure bad;
  bad.Notes = {OldNote(V, TOldNote{.Time = 0})};
  TBytes record = OldMeasure(Format, V, bad);
  std::vector<uint8_t> bytes = record.Get();
  // Marker and length, field count, clef, key and time blocks, five
  // unused bytes; then the note count: 9 notes where there is 1.
  const size_t noteCount = 3 + 2 + 4 + 2 + 5 + 5;
  bytes[noteCount] = 9;
  TOldMeasure good;
  good.Notes = {OldNote(V, TOldNote{.Step = 4, .Time = 128})};
  TOldStaff staff;
  staff.Measures = {TBytes().Raw(bytes), OldMeasure(Format, V, good)};
  TOldPart part;
  part.Staves = {OldStaff(staff)};
  TOldHeader h;
  h.Meter = MakeMeter(4, 4);
  Load(OldFile(Format, V, h, {OldPart(V, part)}));
  // The note read before the damage stays.
  const auto notes = Notes(0);
  EXPECT_TRUE(std::any_of(notes.begin(), notes.end(), [](TQSNote* n) { return n->Fields.Pitch == 0x50; }));
  EXPECT_FALSE(ItemsOf<TQSPause>(Measure(0)->Items, kind::Pause).empty());
  ASSERT_EQ(Notes(1).size(), 1u);
  EXPECT_EQ(Notes(1)[0]->Fields.Pitch, 0x54);
}

}  // namespace
