// Reading score files of the older formats: the same music stored in the
// layout of every version, the piece header, parts and staves, columns,
// page objects, and damaged files.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "base/exceptions.h"
#include "legacy_builder.h"
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
    EXPECT_EQ(ItemsOf<TQSMark>(m0->Items, kind::Clef)[0]->Fields.Kind, 1);
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

}  // namespace
