// Reading score files of the older formats: the same music stored in the
// layout of every version, the piece header, parts and staves, columns,
// page objects, and damaged files.
#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <string>
#include <vector>

#include "base/exceptions.h"
#include "legacy_builder.h"
#include "score/tree.h"
#include "score/undo.h"
#include "score_fixture.h"
#include "score/pageobjects.h"

using namespace qs;
using namespace qs::test;

namespace {

// Two measures of 3/4 on one staff, stored in the layout of version v:
// notes with a grace group, accidentals, a dot, a staccato, an effect and a
// tie across the barline, a chord symbol, a lyric, a dynamics mark, a text
// block that is passed over, and a triplet with stored positions that are
// moved to its slots.
TBytes SameMusic(int format, int v) {
  TOldNote n0;
  n0.Velocity = 0;
  n0.StemDown = true;
  n0.Head = 1;
  n0.PlayLength = 96;
  n0.PlayOffset = 16;
  n0.Attached = {OldGraceGroup(v, 0x40 | 0x20, 64, {{1, 5, 0, 70, 105, {107}}, {2, 5, 64, 71, 0, {}}}),
                 OldAttached(105), OldAttached(101)};
  n0.Effects = {OldEffect(v, 1, 5, 16, 32, 50)};
  TOldNote n1;
  n1.Step = 2;
  n1.Time = 128;
  n1.Written = 64;
  n1.Attached = {OldAttached(109, 254)};
  TOldNote n2 = n1;
  n2.Step = 4;
  n2.Time = 192;
  n2.Attached = {};
  TOldNote n3;
  n3.Time = 256;
  TOldMeasure m0;
  m0.Key = 33;
  m0.Notes = {OldNote(v, n0), OldNote(v, n1), OldNote(v, n2), OldNote(v, n3)};
  TOldChord chord;
  TOldLyric lyric;
  m0.Further = {OldChord(v, chord), OldLyric(v, lyric), OldCodedMark(v, 166, 128, 0, 2, 5), OldTextBlock()};

  TOldNote c;
  c.Attached = {OldTie(151, 0, 0, 3)};
  TOldMeasure m1;
  m1.Notes = {OldNote(v, c)};
  for (int at : {128, 168, 208}) {
    TOldNote t;
    t.Step = 4;
    t.Time = at;
    t.Written = 64;
    t.Real = 40;
    m1.Notes.push_back(OldNote(v, t));
  }
  m1.Rests = {OldRest(v, 256, 128)};
  m1.Further = {OldTuplet(v, 128, 3, 0, 64)};
  return OneStaffFile(format, v, {OldMeasure(format, v, m0), OldMeasure(format, v, m1)});
}

class LegacyFileTest : public TLegacyScoreTest {
 protected:
  // What SameMusic converts into, whatever the version.
  void ExpectSameMusic(int v) {
    SCOPED_TRACE("version " + std::to_string(v));
    EXPECT_EQ(Score.FileVersion, v);
    ASSERT_EQ(Piece()->PartCount(), 1);
    ASSERT_EQ(Part()->StaffCount(), 1);
    ASSERT_EQ(Part()->MeasureCount(), 2);
    const auto meters = ItemsOf<TQSMark>(Piece()->GetColumn(0)->Items, kind::Meter);
    ASSERT_EQ(meters.size(), 1u);
    EXPECT_EQ(meters[0]->Fields.Value, MakeMeter(3, 4));

    TQSMeasure* m0 = Measure(0);
    ASSERT_EQ(ItemsOf<TQSMark>(m0->Items, kind::Clef).size(), 1u);
    EXPECT_EQ(ItemsOf<TQSMark>(m0->Items, kind::Clef)[0]->Fields.Kind, clef::Treble);
    EXPECT_EQ(ItemsOf<TQSMark>(m0->Items, kind::Key)[0]->Fields.Kind, 3);
    const auto notes = ItemsOf<TQSNote>(m0->Items, kind::Note);
    ASSERT_EQ(notes.size(), 4u);
    const int times[] = {0, 128, 192, 256}, lengths[] = {128, 64, 64, 128};
    const uint8_t pitches[] = {0x50, 0x52, 0x54, 0x50};
    for (int i = 0; i < 4; ++i) {
      EXPECT_EQ(notes[i]->Fields.Time, times[i]);
      EXPECT_EQ(notes[i]->Fields.Length, lengths[i]);
      EXPECT_EQ(notes[i]->Fields.RealLength, lengths[i]);
      EXPECT_EQ(notes[i]->Fields.Pitch, pitches[i]);
      EXPECT_EQ(notes[i]->Fields.StemLength, 24);
    }
    const TQSNote& n0 = *notes[0];
    EXPECT_EQ(n0.Fields.Velocity, 64);
    EXPECT_EQ(n0.Fields.HeadStyle, 5);
    EXPECT_EQ(n0.Fields.PlayLength, 96);
    EXPECT_EQ(n0.Fields.PlayOffset, 16);
    EXPECT_TRUE(n0.IsStemDown());
    const auto accidentals = ItemsOf<TQSMark>(n0.Items, kind::Accidental);
    ASSERT_EQ(accidentals.size(), 1u);
    EXPECT_EQ(accidentals[0]->Fields.Kind, 2);
    EXPECT_EQ(ItemsOf<TQSMark>(n0.Items, kind::Dot).size(), 1u);
    const auto effects = ItemsOf<TQSEffect>(n0.Items, kind::Effect);
    if (v > 815) {
      ASSERT_EQ(effects.size(), 1u);
      EXPECT_EQ(effects[0]->Fields.Pitch, 0x51);
      EXPECT_EQ(effects[0]->Fields.Time, 16);
      EXPECT_EQ(effects[0]->Fields.Length, 32);
      EXPECT_EQ(effects[0]->Fields.Velocity, 50);
    } else {
      EXPECT_TRUE(effects.empty());
    }

    const auto graces = ItemsOf<TQSVorschlag>(m0->Items, kind::Vorschlag);
    ASSERT_EQ(graces.size(), 1u);
    EXPECT_EQ(graces[0]->Fields.Flags, TQSVorschlag::kShortStyle);
    ASSERT_EQ(graces[0]->ItemCount(), 2);
    const TQSNote& g0 = *graces[0]->GetNote(0);
    EXPECT_EQ(g0.Fields.Pitch, 0x51);
    EXPECT_EQ(g0.Fields.Length, 64);
    EXPECT_EQ(g0.Fields.Velocity, 70);
    EXPECT_EQ(graces[0]->GetNote(1)->Fields.Time, 64);
    const auto graceAccidentals = ItemsOf<TQSMark>(g0.Items, kind::Accidental);
    ASSERT_EQ(graceAccidentals.size(), 2u);
    EXPECT_EQ(graceAccidentals[0]->Fields.Kind, 2);
    EXPECT_EQ(graceAccidentals[1]->Fields.Kind, 4);
    const auto graceTie = ItemsOf<TQSLiga>(g0.Items, kind::Liga);
    ASSERT_EQ(graceTie.size(), 1u);
    EXPECT_EQ(graceTie[0]->Fields.Flags, TQSLiga::kBelow);
    EXPECT_EQ(graceTie[0]->Fields.EndY, 288);  // staff step 10, a line space lower, at 96 ppi

    const auto staccato = ItemsOf<TQSMark>(m0->Items, kind::Staccato);
    ASSERT_EQ(staccato.size(), 1u);
    EXPECT_EQ(staccato[0]->Fields.Time, 128);
    EXPECT_EQ(staccato[0]->Fields.OffsetY, 240 - 8);
    EXPECT_EQ(staccato[0]->Fields.Style, TQSMark::kStyleAttached);
    EXPECT_TRUE(notes[1]->BeamedToNext());
    ASSERT_EQ(m0->BeamGroups.size(), 3u);  // the grace notes and the two eighths

    const auto chords = ItemsOf<TQSChord>(m0->Items, kind::Chord);
    ASSERT_EQ(chords.size(), 1u);
    ASSERT_EQ(chords[0]->Patterns.size(), 1u);
    EXPECT_EQ(chords[0]->Patterns[0].Text, "Cm7");
    EXPECT_EQ(chords[0]->Patterns[0].Fields.Size, 12);
    EXPECT_EQ(chords[0]->Fields.OffsetY, 384);
    EXPECT_EQ(chords[0]->Definition, (v >= 880 ? std::vector<uint8_t>{1, 1, 3, 7} : std::vector<uint8_t>{0, 0, 0}));
    EXPECT_EQ(chords[0]->FontName, v > 815 ? "Arial" : "");
    const auto lyrics = ItemsOf<TQSLyric>(m0->Items, kind::Lyric);
    ASSERT_EQ(lyrics.size(), 1u);
    EXPECT_EQ(lyrics[0]->Lines, std::vector<std::string>{"la"});
    EXPECT_EQ(lyrics[0]->FontName, "Times");
    EXPECT_EQ(lyrics[0]->Fields.FontSize, 10);
    EXPECT_EQ(lyrics[0]->Fields.Flags, 1);
    EXPECT_EQ(lyrics[0]->Fields.OffsetY, 46 * 24);
    const auto dynamics = ItemsOf<TQSMark>(m0->Items, kind::Dynamics);
    ASSERT_EQ(dynamics.size(), 1u);
    EXPECT_EQ(dynamics[0]->Fields.Kind, 6);
    EXPECT_EQ(dynamics[0]->Fields.Time, 128);
    EXPECT_EQ(dynamics[0]->Fields.OffsetY, 9 * 24);

    // The tie across the barline hangs on the last note of measure 0.
    const auto ties = ItemsOf<TQSLiga>(notes[3]->Items, kind::Liga);
    ASSERT_EQ(ties.size(), 1u);
    EXPECT_EQ(ties[0]->Fields.Flags, TQSLiga::kFromStart);
    EXPECT_EQ(ties[0]->Fields.Span, 128);

    TQSMeasure* m1 = Measure(1);
    const auto tuplets = ItemsOf<TQSMark>(m1->Items, kind::Tuplet);
    ASSERT_EQ(tuplets.size(), 1u);
    EXPECT_EQ(tuplets[0]->Fields.Kind, 3);
    EXPECT_EQ(tuplets[0]->Fields.Value, 64);
    EXPECT_EQ(tuplets[0]->TupletLengths, (std::vector<int16_t>{43, 42, 43}));
    const auto tripletNotes = ItemsOf<TQSNote>(m1->Items, kind::Note);
    ASSERT_EQ(tripletNotes.size(), 4u);
    const int slotTimes[] = {128, 171, 213}, slotLengths[] = {43, 42, 43};
    for (int i = 0; i < 3; ++i) {
      EXPECT_EQ(tripletNotes[i + 1]->Fields.Time, slotTimes[i]);
      EXPECT_EQ(tripletNotes[i + 1]->Fields.RealLength, slotLengths[i]);
      EXPECT_EQ(tripletNotes[i + 1]->Fields.Length, 64);
    }
    EXPECT_EQ(tripletNotes[3]->Fields.FlagsB & 0x07, 0);
    EXPECT_EQ(Rests(m1), (std::vector<TSpan>{{256, 128, 128}}));
  }

  static std::vector<TSpan> Rests(TQSMeasure* m) {
    std::vector<TSpan> out;
    for (TQSPause* r : ItemsOf<TQSPause>(m->Items, kind::Pause))
      out.emplace_back(r->Fields.Time, r->Fields.Length, r->Fields.RealLength);
    return out;
  }
};

// Every version limit of the layout, from both sides.
TEST_F(LegacyFileTest, TheSameMusicInEveryVersionLayout) {
  for (int v : {600, 639, 640, 641, 815, 816, 847, 848, 849, 850, 851, 852, 853, 863, 864, 879, 880, 1000}) {
    Load(SameMusic(245, v));
    ExpectSameMusic(v);
  }
}

// Format 250 has no signature, no version (768) and no rest records: the
// measure is completed with rests.
TEST_F(LegacyFileTest, Format250IsVersion768WithoutRests) {
  Load(SameMusic(250, 768));
  ExpectSameMusic(768);
}


// The piece header goes into the score, the page, the view and column 0; a
// file without parts gets a part to start with.
TEST_F(LegacyFileTest, PieceHeader) {
  TOldHeader h;
  h.Tempo = 5;
  h.Upbeat = MakeMeter(1, 4);
  h.FirstNumber = 4;
  h.MeterStyle = 2;
  h.TempoScale = 80;
  h.Join2 = 5;
  h.DrumHeads = TBytes().U16(2);
  Add(h.DrumHeads, ByteBlock(TOldBlockBytes(10).I16(0, 0x41).I16(4, 0x42).U8(8, 7))).Str("Cross").U16(2);
  Add(h.DrumHeads, ByteBlock(TOldBlockBytes().U8(0, 'x')));
  Add(h.DrumHeads, ByteBlock(TOldBlockBytes().U8(0, '='))).Str("abc").U16(2).Str("q").Str("\xA7z");
  Add(h.DrumHeads, ByteBlock(TOldBlockBytes(9))).Str("Blank").U16(1);
  Add(h.DrumHeads, ByteBlock(TOldBlockBytes().U8(0, '='))).Str("").U16(0);
  h.DrumMap = TBytes().U16(1).U8(5).U8(36).U8(0).U8(58).U8(0).U8(1).Str("Bass");
  View.CursorPosition = {2, 0, 3, 4, 0, 0, 100};
  int changes = 0;
  Score.OnChanged = [&](TObject* sender) { changes += sender == &Score; };
  Load(OldFile(245, 880, h, {}));

  EXPECT_EQ(Score.FileVersion, 880);
  EXPECT_EQ(Score.StemLength, 24);
  EXPECT_EQ(Piece()->Fields.Tempo, 10);
  EXPECT_EQ(Piece()->Fields.Auftakt, MakeMeter(1, 4));
  const TQSPage::TFields& page = Score.Page.Fields;
  EXPECT_EQ(page.Width.Value(), 2100);
  EXPECT_EQ(page.Height.Value(), 2970);
  EXPECT_EQ(page.LeftMargin.Value(), 150);
  EXPECT_EQ(page.TopMargin.Value(), 120);
  EXPECT_EQ(page.RightMargin.Value(), 140);
  EXPECT_EQ(page.BottomMargin.Value(), 130);
  EXPECT_EQ(page.Interval.Value(), 100);
  EXPECT_EQ(page.PaperSize, 9);
  EXPECT_EQ(page.Metrix, 1);
  EXPECT_EQ(View.Zoom, 150);
  EXPECT_EQ(View.TempoScale, 80);
  EXPECT_EQ(View.CursorPosition.Page, 0);
  EXPECT_EQ(View.CursorPosition.Measure, 0);
  EXPECT_EQ(View.CursorPosition.Tick, 0);
  EXPECT_EQ(Score.VertAlign, 0);
  EXPECT_EQ(Score.HorzAlign, 0);
  EXPECT_EQ(Score.Composer, "Old Master");
  EXPECT_EQ(Score.Rights, "(c) then");
  EXPECT_EQ(Score.Description, (TStringList{"first", "second"}));
  EXPECT_EQ(Score.PrintEmptyMeasures, 1);
  EXPECT_EQ(Score.PrintMeasureNumbers, 0);
  EXPECT_EQ(Score.PrintEmptyLines, 1);
  EXPECT_EQ(Score.Scale, 90);
  EXPECT_EQ(Score.Align, 50);
  EXPECT_EQ(Score.AutoJoin, 6);

  const TQSColumn* column = Piece()->GetColumn(0);
  ASSERT_EQ(column->ItemCount(), 2);
  const auto* meter = static_cast<const TQSMark*>(column->GetItem(0));
  EXPECT_EQ(meter->ItemType, kind::Meter);
  EXPECT_EQ(meter->Fields.Value, MakeMeter(3, 4));
  EXPECT_EQ(meter->Fields.Style, 2);
  const auto* numbering = static_cast<const TQSMark*>(column->GetItem(1));
  EXPECT_EQ(numbering->ItemType, kind::MeasureNumbering);
  EXPECT_EQ(numbering->Fields.Value, 5);

  ASSERT_EQ(Score.DrumInstrumentCount(), 2);
  const TQSDrumInstrument& cross = Score.DrumInstruments[0];
  EXPECT_EQ(cross.Name, "Cross");
  EXPECT_EQ(cross.Word1, 0x41);
  EXPECT_EQ(cross.Word2, 0x42);
  EXPECT_EQ(cross.GlyphByte, 7);
  EXPECT_EQ(cross.Word3, 0xA7);  // the stored byte of the music font's glyph
  EXPECT_EQ(cross.Size, 100);
  EXPECT_EQ(cross.FontName, Score.MusicFontName);
  EXPECT_EQ(Score.DrumInstruments[1].Word3, 0);
  ASSERT_EQ(Score.DrumMap.size(), 1u);
  EXPECT_EQ(Score.DrumMap[0].Key, 36);
  EXPECT_EQ(Score.DrumMap[0].Position, 58);
  EXPECT_EQ(Score.DrumMap[0].Name, "Bass");

  // The part a piece without parts starts with.
  ASSERT_EQ(Piece()->PartCount(), 1);
  ASSERT_EQ(Part()->StaffCount(), 1);
  EXPECT_EQ(Part()->GetStaff(0)->VoiceCount(), 1);
  EXPECT_EQ(Part()->Channel(), 1);
  ASSERT_EQ(Part()->MeasureCount(), 1);
  ASSERT_EQ(Measure(0)->ItemCount(), 2);
  EXPECT_EQ(Measure(0)->GetItem(0)->ItemType, kind::Key);
  EXPECT_EQ(Measure(0)->GetItem(1)->ItemType, kind::Clef);
  EXPECT_EQ(static_cast<TQSMark*>(Measure(0)->GetItem(1))->Fields.Kind, 1);
  EXPECT_EQ(View.CursorPosition.Part, 0);
  // The part added for the empty piece announces itself, then the read ends.
  EXPECT_EQ(changes, 2);
  ASSERT_EQ(Score.UndoCount(), 1);
  EXPECT_EQ(Score.GetUndoRecord(0)->Action, undoaction::PartAdded);
  EXPECT_FALSE(Score.Updating());
}

// Header fields whose meaning changed: the meter of files without a display
// style field, the old alignment and beaming codes.
TEST_F(LegacyFileTest, OldHeaderCodes) {
  struct TCase {
    int Fields, Meter, AlignCode, AlignByte, PerLine, Join, Join2;
    int WantMeter, WantStyle, WantAlign, WantJoin;
  };
  const TCase cases[] = {
      {29, MakeMeter(1, 1), 0, 1, 0, 0, 0, MakeMeter(4, 4), 1, 10, 1},
      {29, MakeMeter(1, 2), 0, 0, 0, 3, 0, MakeMeter(2, 4), 2, 12, 0},
      {33, MakeMeter(1, 1), 2, 1, 4, 1, 2, MakeMeter(1, 1), 0, 104, 2},
      {33, MakeMeter(3, 4), 1, 0, 0, 9, 3, MakeMeter(3, 4), 0, 50, 4},
      {21, MakeMeter(6, 8), 2, 1, 4, 0, 9, MakeMeter(6, 8), 0, 12, 2},
  };
  for (const TCase& c : cases) {
    TQSScore score;
    TOldHeader h;
    h.FieldCount = c.Fields;
    h.Meter = c.Meter;
    h.AlignCode = c.AlignCode;
    h.AlignByte = c.AlignByte;
    h.PerLine = c.PerLine;
    h.Join = c.Join;
    h.Join2 = c.Join2;
    TMemoryStream s(OldFile(245, 880, h, {}).Get());
    score.LoadFromStream(s);
    SCOPED_TRACE(c.Fields);
    const auto* meter = static_cast<const TQSMark*>(score.GetPiece(0)->GetColumn(0)->GetItem(0));
    EXPECT_EQ(meter->Fields.Value, c.WantMeter);
    EXPECT_EQ(meter->Fields.Style, c.WantStyle);
    EXPECT_EQ(score.Align, c.WantAlign);
    EXPECT_EQ(score.AutoJoin, c.WantJoin);
  }
}

// Values at the ends of their ranges neither overflow nor leave their
// fields' ranges.
TEST_F(LegacyFileTest, ExtremeHeaderValues) {
  TOldHeader h;
  h.Interval = 1e30L;
  h.FirstNumber = 0x7FFFFFFF;
  h.Join2 = 0x7FFFFFFF;
  h.Tempo = 0x7FFFFFFF;
  h.AlignCode = 2;
  h.PerLine = 0x7FFFFFFF;
  h.Zoom = 0;
  h.TempoScale = -5;
  TOldStaff staff;
  staff.Channel = static_cast<int>(0x80000000u);
  TOldLyric lyric;
  staff.Measures = {OldMeasure(245, 880, TOldMeasure{.Further = {OldLyric(880, lyric)}})};
  TOldPart part;
  part.Staves = {OldStaff(staff), OldStaff(staff)};
  Load(OldFile(245, 880, h, {OldPart(880, part)}));
  EXPECT_EQ(Score.AutoJoin, 255);
  EXPECT_EQ(Score.Align, 255);
  EXPECT_EQ(Piece()->Fields.Tempo, 32767);
  EXPECT_EQ(View.Zoom, 25);  // the smallest a view shows
  EXPECT_EQ(View.TempoScale, 10);
  EXPECT_EQ(ItemsOf<TQSMark>(Piece()->GetColumn(0)->Items, kind::MeasureNumbering)[0]->Fields.Value, 0);
  EXPECT_EQ(Part()->Channel(), 15);
  // The second staff lies an interval of 10^30 tenths lower: its lyric's
  // place is cut to what the field can hold.
  const auto lyrics = ItemsOf<TQSLyric>(Measure(0)->Items, kind::Lyric);
  ASSERT_EQ(lyrics.size(), 2u);
  EXPECT_EQ(lyrics[0]->Fields.OffsetY, 46 * 24);
  EXPECT_EQ(lyrics[1]->Fields.OffsetY, 4095 * 8);
}

// Page lengths, the scale and the counts of parts, staves and measures are
// bounded as in the current format: a damaged header or count would
// otherwise make the layout or the reader run for minutes.
TEST_F(LegacyFileTest, LengthsScaleAndCountsAreBounded) {
  TOldHeader h;
  h.Width = 1e30L;
  h.Height = 1e30L;
  h.LeftMargin = -1e30L;
  h.TopMargin = 1e300L;
  h.Interval = -1e20L;
  h.Scale = 1;
  Load(OneStaffFile(245, 880, {}, h));
  EXPECT_EQ(Score.Page.Tenths(TQSPage::dWidth).Value(), 100000);
  EXPECT_EQ(Score.Page.Tenths(TQSPage::dHeight).Value(), 100000);
  EXPECT_EQ(Score.Page.Tenths(TQSPage::dLeftMargin).Value(), -100000);
  EXPECT_EQ(Score.Page.Tenths(TQSPage::dTopMargin).Value(), 100000);
  EXPECT_EQ(Score.Page.Tenths(TQSPage::dInterval).Value(), -100000);
  EXPECT_EQ(Score.Scale, kMinScale);
  h.Scale = 0x7FFFFFFF;
  Load(OneStaffFile(245, 880, {}, h));
  EXPECT_EQ(Score.Scale, kMaxScale);

  // More parts than a file holds end the file.
  TBytes parts;
  parts.U8(245).Str("Quavero data file").U16(880);
  Add(parts, OldHeader(TOldHeader{})).U16(kMaxChildCount + 1);
  try {
    Load(parts);
    ADD_FAILURE() << "a file of too many parts was read";
  } catch (const EReadError& e) {
    EXPECT_EQ(e.Message(), "Error reading parts");
  }

  // More staves or measures than a part holds end their record; records
  // that are not there (a byte without marker each) would otherwise each
  // make a staff or a measure.
  const std::vector<TBytes> unmarked(kMaxChildCount + 1, TBytes().U8(0));
  TOldPart part;
  part.Staves = unmarked;
  Load(OldFile(245, 880, {}, {OldPart(880, part)}));
  EXPECT_EQ(Part()->StaffCount(), 0);
  TOldStaff staff;
  staff.Measures = unmarked;
  part.Staves = {OldStaff(staff)};
  Load(OldFile(245, 880, {}, {OldPart(880, part)}));
  ASSERT_EQ(Part()->StaffCount(), 1);
  EXPECT_EQ(Part()->MeasureCount(), 1);
}

// A one-part file keeps the staves of instruments that belong together in
// one part by the stored grouping; other files keep every part as stored.
TEST_F(LegacyFileTest, StaffGroupingIntoParts) {
  struct TCase {
    int Parts, Staves;
    std::vector<int> Grouping;
    std::vector<int> StavesPerPart;
  };
  const TCase cases[] = {
      {1, 4, {}, {1, 1, 1, 1}}, {1, 2, {}, {2}},      {1, 4, {3, 1}, {3, 1}}, {1, 3, {5}, {1, 1, 1}},
      {1, 3, {0, 3}, {3}},      {1, 3, {1}, {1, 2}}, {2, 3, {}, {3, 3}},
  };
  for (const TCase& c : cases) {
    std::vector<TBytes> parts;
    for (int p = 0; p < c.Parts; ++p) {
      TOldPart part;
      part.Accolade = 3;
      part.Grouping = c.Grouping;
      for (int s = 0; s < c.Staves; ++s) {
        TOldStaff staff;
        staff.Program = 40 + s;
        staff.Channel = 5 + s;
        staff.Measures = {OldMeasure(245, 880, TOldMeasure{.Notes = {OldNote(880, TOldNote{.Step = s})}})};
        parts.push_back({});
        part.Staves.push_back(OldStaff(staff));
      }
      parts.resize(static_cast<size_t>(p));
      parts.push_back(OldPart(880, part));
    }
    Load(OldFile(245, 880, TOldHeader{}, parts));
    SCOPED_TRACE(testing::Message() << c.Parts << " parts of " << c.Staves << " staves");
    ASSERT_EQ(Piece()->PartCount(), static_cast<int>(c.StavesPerPart.size()));
    int staffNumber = 0;
    for (int p = 0; p < Piece()->PartCount(); ++p) {
      TQSPart* part = Part(p);
      ASSERT_EQ(part->StaffCount(), c.StavesPerPart[static_cast<size_t>(p)]);
      const auto accolades = ItemsOf<TQSMark>(part->GetMeasure(0)->Items, kind::Accolade);
      EXPECT_EQ(accolades.size(), part->StaffCount() > 1 ? 1u : 0u);
      if (!accolades.empty()) {
        EXPECT_EQ(accolades[0]->Fields.Kind, 3);
      }
      // Each staff's notes are in its own part; the staves of a one-part
      // file set the program and channel of the part they went to.
      for (int s = 0; s < part->StaffCount(); ++s, ++staffNumber) {
        const int stored = c.Parts == 1 ? staffNumber : s;
        const auto notes = ItemsOf<TQSNote>(part->GetMeasure(0)->Items, kind::Note);
        EXPECT_TRUE(std::any_of(notes.begin(), notes.end(), [&](TQSNote* n) {
          return n->Fields.Pitch == MakePitch(5, stored) && StaffOf(n->Fields.StaffVoice) == s;
        }));
      }
      if (c.Parts == 1) {
        EXPECT_EQ(part->Fields.Instrument, 40 + staffNumber - 1);
        EXPECT_EQ(part->Channel(), 5 + staffNumber - 2);
      } else {
        EXPECT_EQ(part->Fields.Instrument, 0);
        EXPECT_EQ(part->Channel(), 1);
      }
    }
  }
}

// Staff records; in a one-part file of more than two staves without a
// grouping each staff is a part of its own.
TEST_F(LegacyFileTest, StaffRecords) {
  TOldPart part;
  TOldStaff six, fiveFlag, tooMany, empty;
  six.Lines = 0x0106;
  six.Mute = 1;
  six.Program = 300;
  fiveFlag.Lines = 3;
  fiveFlag.FiveLines = 1;
  fiveFlag.Program = 128;
  tooMany.Lines = 40;
  empty.FieldCount = 2;
  for (const TOldStaff& s : {six, fiveFlag, tooMany, empty}) part.Staves.push_back(OldStaff(s));
  Load(OldFile(245, 880, TOldHeader{}, {OldPart(880, part)}));
  ASSERT_EQ(Piece()->PartCount(), 4);
  const int lines[] = {6, 5, TQSStaff::kMaxLines, 5};
  for (int p = 0; p < 4; ++p) {
    ASSERT_EQ(Part(p)->StaffCount(), 1);
    EXPECT_EQ(Part(p)->GetStaff(0)->Fields.LineCount, lines[p]);
    // Staves without measure records get a treble clef in measure 0.
    const auto clefs = ItemsOf<TQSMark>(Measure(0, p)->Items, kind::Clef);
    ASSERT_EQ(clefs.size(), 1u);
    EXPECT_EQ(clefs[0]->Fields.Kind, 1);
    EXPECT_EQ(clefs[0]->Fields.StaffVoice, 0);
  }
  EXPECT_EQ(Part(0)->GetStaff(0)->Fields.Mute, 1);
  EXPECT_EQ(Part(0)->Fields.Instrument, 0);  // programs above 128 are not taken
  EXPECT_EQ(Part(1)->Fields.Instrument, 128);
  EXPECT_EQ(Part(0)->Name, "Piano");
  EXPECT_EQ(Part(1)->Name, "");
}

// The per-system settings of the stored rows and the line offsets of the
// staff rows, in every row layout; a row of the newest layout may be longer
// or shorter than the 17 bytes known.
TEST_F(LegacyFileTest, RowSettings) {
  struct TCase {
    int Version, RowSize, Parts;
    std::vector<int16_t> Align;
  };
  const TCase cases[] = {
      {639, 17, 1, {0, 0}},    {852, 17, 1, {0, 0}},    {853, 17, 1, {104, 10}}, {853, 20, 1, {104, 10}},
      {853, 13, 1, {12, 12}},  {853, 17, 2, {104, 10}},
  };
  for (const TCase& c : cases) {
    std::vector<TBytes> parts;
    for (int p = 0; p < c.Parts; ++p) {
      TOldPart part;
      part.RowSize = c.RowSize;
      part.Rows = {{5, 7, 1, 0, 2, 4, {0, 3}}, {-2, 0, 1, 1, 0, 0, {2}}};
      TOldStaff staff;
      part.Staves = {OldStaff(staff), OldStaff(staff)};
      parts.push_back(OldPart(c.Version, part));
    }
    Load(OldFile(245, c.Version, TOldHeader{}, parts));
    SCOPED_TRACE(testing::Message() << c.Version << " " << c.RowSize << " " << c.Parts);
    ASSERT_EQ(Piece()->PartCount(), c.Parts);
    EXPECT_EQ(Part(c.Parts - 1)->StaffCount(), 2);
    const TQSSpacingTables& tables = c.Parts == 1 ? Piece()->Spacing : Part(c.Parts - 1)->Spacing;
    EXPECT_EQ(tables.LeftOffsets, (TQSSpacingTable{40, -16}));
    EXPECT_EQ(tables.RightOffsets, (TQSSpacingTable{static_cast<int16_t>(c.Parts == 1 ? -56 : 56), 0}));
    EXPECT_EQ(tables.AlignStyles, c.Align);
    EXPECT_EQ(tables.RowOffsets, (TQSSpacingTable{0, 24, 16}));
    EXPECT_EQ(Score.Page.Fields.Metrix, 1);  // what follows the rows is read from its place
  }
}

TEST_F(LegacyFileTest, ColumnRecords) {
  auto block = [](char code, int b1 = 0, int b2 = 0, int b3 = 0) {
    return TOldBlockBytes(4).U8(0, code).U8(1, b1).U8(2, b2).U8(3, b3);
  };
  TOldPart part;
  TOldStaff staff;
  staff.Measures = {OldMeasure(245, 880, {})};
  part.Staves = {OldStaff(staff)};
  TOldBlockBytes tempo = TOldBlockBytes(8).U8(0, 'c').I16(1, 32).U8(3, 2).I16(4, 120).U8(6, 60).U8(7, 250);
  part.Columns = {
      {block('G', 2, 254), block('H'), block('I'), block('J'), block('K'), block('L', 3), block('P', 9, 1),
       block('Q'), block('R'), block('U'), block('U'), block('V'), block('V'), block('W', 2, 1, 0), block('X', 4),
       block('3'), TOldBlockBytes(1).U8(0, 'c'), tempo, tempo},
      {block('Q')}};
  Load(OldFile(245, 880, TOldHeader{}, {OldPart(880, part)}));
  const TQSColumn* column = Piece()->GetColumn(0);
  auto one = [&](TQSItemType kind) -> const TQSMark* {
    const auto marks = ItemsOf<TQSMark>(column->Items, kind);
    EXPECT_EQ(marks.size(), 1u) << int(kind);
    return marks.empty() ? nullptr : marks[0];
  };
  const TQSMark* segno = one(kind::Segno);
  EXPECT_EQ(segno->Fields.OffsetY, 16);
  EXPECT_EQ(segno->Fields.OffsetX, -8);
  one(kind::Coda);
  one(kind::DaCapo);
  one(kind::DalSegno);
  EXPECT_EQ(one(kind::Rehearsal)->Fields.OffsetY, 24);
  const auto numbering = ItemsOf<TQSMark>(column->Items, kind::MeasureNumbering);
  ASSERT_EQ(numbering.size(), 2u);  // the header's and the record's
  EXPECT_EQ(numbering[1]->Fields.Value, 9);
  EXPECT_EQ(numbering[1]->Fields.OffsetY, 8);
  EXPECT_EQ(one(kind::CompositionEnd)->Fields.Time, 384);
  EXPECT_EQ(one(kind::SectionEnd)->Fields.Time, 384);
  EXPECT_EQ(one(kind::RepeatOpen)->Fields.Time, 0);
  EXPECT_EQ(one(kind::RepeatClose)->Fields.Time, 384);
  const TQSMark* volta = one(kind::Volta);
  EXPECT_EQ(volta->Fields.Kind, 2);
  EXPECT_EQ(volta->Fields.Value, 1);
  EXPECT_EQ(volta->Fields.OffsetY, -192);
  EXPECT_EQ(one(kind::MultiRest)->Fields.Value, 4);
  const auto tempos = ItemsOf<TQSMark>(column->Items, kind::Tempo);
  ASSERT_EQ(tempos.size(), 2u);
  EXPECT_EQ(tempos[1]->Fields.Time, 128);
  EXPECT_EQ(tempos[1]->Fields.Kind, 2);
  EXPECT_EQ(tempos[1]->Fields.Value, 120);
  EXPECT_EQ(tempos[1]->Fields.OffsetX, -48);
  EXPECT_EQ(tempos[1]->Fields.OffsetY, 480 - 384);
  // A column beyond the part's measures ends where its last measure does.
  EXPECT_EQ(ItemsOf<TQSMark>(Piece()->GetColumn(1)->Items, kind::CompositionEnd)[0]->Fields.Time, 384);
}

// Tempo marks of the older layout: times at half resolution below 848 and
// the note value as a code below 851.
TEST_F(LegacyFileTest, OldTempoMarks) {
  for (auto [version, position] : {std::pair{847, 128}, std::pair{850, 64}}) {
    TOldPart part;
    part.Columns = {{TOldBlockBytes(8).U8(0, 'c').U8(1, 16).U8(2, 8).I16(4, 100).U8(6, 200).U8(7, 9)}};
    Load(OldFile(245, version, TOldHeader{}, {OldPart(version, part)}));
    SCOPED_TRACE(version);
    const auto tempos = ItemsOf<TQSMark>(Piece()->GetColumn(0)->Items, kind::Tempo);
    ASSERT_EQ(tempos.size(), 1u);
    EXPECT_EQ(tempos[0]->Fields.Time, position);
    EXPECT_EQ(tempos[0]->Fields.Kind, 4);
    EXPECT_EQ(tempos[0]->Fields.Value, 100);
    EXPECT_EQ(tempos[0]->Fields.OffsetX, 0);
    EXPECT_EQ(tempos[0]->Fields.OffsetY, 200 * 8 - 2040 - 384);
  }
}

// Page objects belong to the score in a one-part file and to their part
// otherwise (rectangles and ellipses always to the score), with biased
// coordinates and their page; a picture of an unknown kind is passed over.
TEST_F(LegacyFileTest, PageObjects) {
  const std::vector<uint8_t> bitmap = {'B', 'M', 1, 2, 3, 4};
  const std::vector<TBytes> objects = {
      OldText(10, 20, 2, 0x10, {"Title", "Sub"}),
      OldShape(64, 1010, 990, 0, 0x08),
      OldLine(1010, 990, 1100, 1000, 0, 0),
      OldShape(65, 1000, 1000, 4, 0),
      OldArc(66, 1000, 1000, 1, 0),
      OldArc(67, 1000, 1000, 1, 0),
      OldArc(68, 1000, 1000, 1, 0x08),
      OldImage(1000, 1001, 0, 0x40, 1, 256, bitmap),
      OldImage(1000, 1001, 0, 0, 2, 256, bitmap),
      OldImage(1000, 1001, 0, 0, 1, 300, bitmap),
      WordBlock(TOldBlockBytes(10).U8(0, 70)),
      OldText(0, 0, 0, 0, {"last"}, false),
  };
  for (int parts : {1, 2}) {
    std::vector<TBytes> records;
    for (int p = 0; p < parts; ++p) {
      TOldPart part;
      if (p == 0) part.Objects = objects;
      records.push_back(OldPart(880, part));
    }
    Load(OldFile(245, 880, TOldHeader{}, records));
    SCOPED_TRACE(parts);
    const TQSItemList& scoreItems = Score.Items;
    const TQSItemList& partItems = parts == 1 ? Score.Items : Part(0)->Items;
    EXPECT_EQ(scoreItems.Count() + (parts == 1 ? 0 : partItems.Count()), 11);
    EXPECT_EQ(ItemsOf<TQSRectangle>(scoreItems, kind::Rectangle).size(), 1u);
    EXPECT_EQ(ItemsOf<TQSRectangle>(scoreItems, kind::Ellipse).size(), 1u);
    for (const TQSItemList* list : {&scoreItems, &partItems})
      for (int i = 1; i < list->Count(); ++i) EXPECT_LE((*list)[i - 1]->PageNumber(), (*list)[i]->PageNumber());

    const auto texts = ItemsOf<TQSText>(partItems, kind::Text);
    ASSERT_EQ(texts.size(), 2u);
    const TQSText& title = *texts[1];
    EXPECT_EQ(title.Fields.X, 80);
    EXPECT_EQ(title.Fields.Y, 160);
    EXPECT_EQ(title.Fields.Page, 3);
    EXPECT_EQ(title.Fields.Align, 0x10);
    EXPECT_EQ(title.Fields.FontSize, 14);
    EXPECT_EQ(title.Fields.FontStyle, 1);
    EXPECT_EQ(title.Fields.Color, 0x00FF00u);
    EXPECT_EQ(title.Fields.Angle, 30);
    EXPECT_EQ(title.FontName, "Georgia");
    EXPECT_EQ(title.Lines, (std::vector<std::string>{"Title", "Sub"}));
    EXPECT_EQ(texts[0]->Lines, std::vector<std::string>{"last"});
    EXPECT_EQ(texts[0]->Fields.Angle, 0);

    const TQSRectangle& rect = *ItemsOf<TQSRectangle>(scoreItems, kind::Rectangle)[0];
    EXPECT_EQ(rect.Fields.X, 80);
    EXPECT_EQ(rect.Fields.Y, -80);
    EXPECT_EQ(rect.Fields.Width, 400);
    EXPECT_EQ(rect.Fields.Height, 160);
    EXPECT_EQ(rect.Fields.Page, 0);
    EXPECT_EQ(rect.Fields.LineWidth, 2);
    EXPECT_EQ(rect.Fields.LineColor, 0x112233u);
    EXPECT_EQ(rect.Fields.PenStyle, 1);
    EXPECT_EQ(rect.Fields.FillColor, 0x445566u);
    EXPECT_EQ(rect.Fields.FillStyle, 3);
    EXPECT_EQ(ItemsOf<TQSRectangle>(scoreItems, kind::Ellipse)[0]->Fields.Page, 5);

    const auto lines = ItemsOf<TQSLine>(partItems, kind::Line);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0]->Fields.X1, 80);
    EXPECT_EQ(lines[0]->Fields.Y1, -80);
    EXPECT_EQ(lines[0]->Fields.X2, 800);
    EXPECT_EQ(lines[0]->Fields.Y2, 0);
    EXPECT_EQ(lines[0]->Fields.Page, 1);
    EXPECT_EQ(lines[0]->Fields.Ends, 0x12);
    EXPECT_EQ(lines[0]->Fields.LineWidth, 3);
    EXPECT_EQ(lines[0]->Fields.PenStyle, 2);

    const TQSItemType arcKinds[] = {kind::Arc, kind::Pie, kind::ChordSegment};
    for (TQSItemType k : arcKinds) {
      const auto arcs = ItemsOf<TQSArc>(partItems, k);
      ASSERT_EQ(arcs.size(), 1u);
      const TQSArc::TFields& f = arcs[0]->Fields;
      EXPECT_EQ(f.Page, k == kind::ChordSegment ? 0 : 2);
      EXPECT_EQ(std::vector<int>({f.AX, f.AY, f.BX, f.BY}), (std::vector<int>{10, -10, 100, 0}));
      EXPECT_EQ(f.LineWidth, 4);
      EXPECT_EQ(f.LineColor, 0x010203u);
      EXPECT_EQ(f.FillColor, 0x040506u);
      EXPECT_EQ(f.FillStyle, 2);
    }

    const auto images = ItemsOf<TQSImage>(partItems, kind::Image);
    ASSERT_EQ(images.size(), 3u);
    EXPECT_EQ(images[0]->Fields.X, 0);
    EXPECT_EQ(images[0]->Fields.Y, 8);
    EXPECT_EQ(images[0]->Fields.Width, 320);
    EXPECT_EQ(images[0]->Fields.Flags, TQSImage::kStretch);
    EXPECT_EQ(images[0]->Picture.GraphicType(), TQSGraphicType::Bitmap);
    EXPECT_EQ(images[0]->Picture.Data(), bitmap);
    EXPECT_TRUE(images[1]->Picture.Empty());
    EXPECT_TRUE(images[2]->Picture.Empty());
  }
}

// A damaged staff or part record ends at its stored length; the records
// after it are read. A length that reaches beyond the file ends the read
// with an error, keeping what was read.
TEST_F(LegacyFileTest, DamagedRecordsEndAtTheirLength) {
  TOldStaff broken;
  broken.Measures = {OldMeasure(245, 880, {})};
  std::vector<uint8_t> staffBytes = OldStaff(broken).Get();
  staffBytes[staffBytes.size() - OldMeasure(245, 880, {}).Size() - 2] = 5;  // 5 measure records for 1
  TOldStaff good;
  good.Measures = {OldMeasure(245, 880, TOldMeasure{.Notes = {OldNote(880, TOldNote{.Step = 3})}})};
  TOldPart first;
  first.Staves = {TBytes().Raw(staffBytes), OldStaff(good)};
  first.Grouping = {2};
  std::vector<uint8_t> partBytes = OldPart(880, first).Get();
  TOldPart second;
  second.Name = "Second";
  second.Staves = {OldStaff(good)};
  TBytes file = OldFile(245, 880, TOldHeader{}, {TBytes().Raw(partBytes), OldPart(880, second)});
  Load(file);
  ASSERT_EQ(Piece()->PartCount(), 2);
  ASSERT_EQ(Part(0)->StaffCount(), 2);
  EXPECT_EQ(ItemsOf<TQSNote>(Measure(0)->Items, kind::Note)[0]->Fields.StaffVoice, 0x10);
  EXPECT_EQ(Part(1)->Name, "Second");
  EXPECT_EQ(Part(1)->StaffCount(), 1);

  // The first part's stored length now reaches beyond the file, and its
  // body fails early: the second part cannot be found.
  partBytes[3] = 0x7F;
  partBytes[11] = partBytes[12] = 0xFF;  // the name's length
  TQSScore score;
  TMemoryStream s(OldFile(245, 880, TOldHeader{}, {TBytes().Raw(partBytes), OldPart(880, second)}).Get());
  EXPECT_THROW(score.LoadFromStream(s), EReadError);
  EXPECT_EQ(score.GetPiece(0)->GetPart(0)->Fields.Instrument, 0);
  EXPECT_FALSE(score.Updating());
}

// Damaged files end in a clear error or a partial score: never a crash, a
// hang or a read outside the data (run it in the sanitizer build).
TEST_F(LegacyFileTest, DamagedFilesFailCleanly) {
  TOldPart rich;
  rich.Rows = {{5, 7, 1, 0, 2, 4, {0, 3}}};
  rich.Grouping = {1, 1};
  TOldStaff staff;
  staff.Measures = {OldMeasure(245, 880, TOldMeasure{.Notes = {OldNote(880, TOldNote{.Chord = true}),
                                                               OldNote(880, TOldNote{.Step = 2, .Chord = true})},
                                                     .Further = {OldTuplet(880, 0, 3, 0, 64)}})};
  rich.Staves = {OldStaff(staff), OldStaff(staff)};
  rich.Columns = {{TOldBlockBytes(8).U8(0, 'c').I16(1, 8), TOldBlockBytes(4).U8(0, 'W').U8(1, 1)}};
  rich.Objects = {OldText(1, 2, 0, 0, {"t"}), OldImage(1000, 1000, 0, 0, 1, 257, {'G', 'I', 'F'}),
                  OldArc(66, 1000, 1000, 0, 0)};
  const std::vector<std::vector<uint8_t>> files = {SameMusic(250, 768).Get(), SameMusic(245, 847).Get(),
                                                   OldFile(245, 880, TOldHeader{}, {OldPart(880, rich)}).Get()};
  for (size_t i = 0; i < files.size(); ++i)
    EXPECT_GT(LoadDamagedCopies(files[i], 1500, 20260612 + static_cast<uint32_t>(i)), 0) << i;
}

}  // namespace
