// MusicXML as other notation programs write it: percussion, tempo,
// endings, octave lines, signs at notes, part groups and names, rehearsal
// marks, transposing instruments and elided syllables.
#include <gtest/gtest.h>

#include <climits>

#include "../common/layout_boxes.h"
#include "interchange/importitems.h"
#include "interchange/musicxml_reader.h"
#include "layout/layout.h"
#include "musicxml_support.h"
#include "platform/fonts.h"
#include "score/pageobjects.h"

namespace qs::test {
namespace {

std::unique_ptr<TQSScore> ImportForeign(const std::string& name) {
  return ImportText(ReadFile(std::string(QS_TEST_DATA_DIR) + "/musicxml/foreign/" + name));
}

std::string N(const std::string& inner) { return "<note>" + inner + "</note>"; }
std::string P(const char* step, int octave) {
  return std::string("<pitch><step>") + step + "</step><octave>" + std::to_string(octave) + "</octave></pitch>";
}
const std::string kQuarter = "<duration>1</duration><type>quarter</type>";

TQSPiece& PieceOf(TQSScore& s) { return *LastPiece(s); }

// Percussion notes stand where the file shows them, sound the key of their
// instrument and hidden rests stay hidden.
TEST(MusicXmlForeign, DrumSetNotesStandWhereTheFileShowsThem) {
  auto score = ImportForeign("drumset.xml");
  TQSMeasure& m = *PieceOf(*score).GetPart(0)->GetMeasure(0);
  EXPECT_EQ(ItemsOf<TQSMark>(m, kind::Clef).at(0)->Fields.Kind, clef::Percussion1);
  std::vector<uint8_t> pitches;
  for (TQSNote* n : NotesOf(m)) pitches.push_back(n->Fields.Pitch);
  // Hi-hat G5 over bass drum F4, hi-hat over snare C5 (chords low to high).
  EXPECT_EQ(pitches, (std::vector<uint8_t>{MakePitch(5, 3), MakePitch(6, 4), MakePitch(6, 0), MakePitch(6, 4)}));
  const auto rests = RestsOf(m);
  ASSERT_EQ(rests.size(), 1u);
  EXPECT_TRUE(rests[0]->IsHidden());
  // Laid out, each note sounds the key of its instrument.
  LayoutScore(*score, 0);
  std::vector<int> keys;
  for (TQSNote* n : NotesOf(m)) keys.push_back(n->SoundingKey);
  EXPECT_EQ(keys, (std::vector<int>{36, 42, 38, 42}));

  // A percussion note that names no place stands on the middle line.
  auto middle = ImportText(OnePart(Measure1(N("<unpitched/>" + kQuarter))));
  EXPECT_EQ(NotesOf(*PieceOf(*middle).GetPart(0)->GetMeasure(0)).at(0)->Fields.Pitch, MakePitch(5, 6));
}

// A tempo as the metronome mark shows it (beside the words of its
// direction), as the sound plays it where nothing shows it, a dotted beat
// as its undotted one.
TEST(MusicXmlForeign, TemposFromMetronomeMarksAndSounds) {
  auto score = ImportForeign("ensemble.xml");
  TQSPiece& piece = PieceOf(*score);
  auto tempos = ItemsOf<TQSMark>(*piece.GetColumn(0), kind::Tempo);
  ASSERT_EQ(tempos.size(), 1u);
  EXPECT_EQ(tempos[0]->Fields.Kind, 2);  // a quarter
  EXPECT_EQ(tempos[0]->Fields.Value, 132);
  const auto words = ItemsOf<TQSLyric>(*piece.GetPart(0)->GetMeasure(0), kind::Term);
  ASSERT_EQ(words.size(), 1u);
  EXPECT_GT(tempos[0]->Fields.OffsetX, words[0]->Fields.OffsetX + 64);

  const std::string dotted =
      R"(<direction><direction-type><metronome><beat-unit>quarter</beat-unit><beat-unit-dot/>)"
      R"(<per-minute>c. 60</per-minute></metronome></direction-type></direction>)";
  const std::string sound = R"(<sound tempo="96.4"/>)";
  auto r = ImportText(OnePart(Measure1(sound + N(P("C", 5) + kQuarter) + dotted) + "<measure number='2'>" +
                              R"(<direction><sound tempo="80"/></direction>)" + "</measure>"));
  TQSPiece& p = PieceOf(*r);
  EXPECT_EQ(p.Tempo(), 96);
  EXPECT_TRUE(ItemsOf<TQSMark>(*p.GetColumn(0), kind::Tempo).size() == 1);
  const TQSMark* t = ItemsOf<TQSMark>(*p.GetColumn(0), kind::Tempo).at(0);
  EXPECT_EQ(t->Fields.Time, 128);
  EXPECT_EQ(t->Fields.Value, 90);
  const auto later = ItemsOf<TQSMark>(*p.GetColumn(1), kind::Tempo);
  ASSERT_EQ(later.size(), 1u);
  EXPECT_EQ(later[0]->Fields.Value, 80);

  // Over a high note the mark stands above its stem (it reaches 80 units
  // below its offset).
  const std::string metronome =
      "<direction><direction-type><metronome><beat-unit>half</beat-unit><per-minute>60</per-minute></metronome>"
      "</direction-type></direction>";
  auto high = ImportText(OnePart(Measure1(metronome + N(P("C", 7) + kQuarter + "<stem>up</stem>"))));
  const TQSMark* over = ItemsOf<TQSMark>(*PieceOf(*high).GetColumn(0), kind::Tempo).at(0);
  EXPECT_EQ(over->Fields.Kind, 1);  // a half
  const int c7 = -11 * 48 / 2;      // eleven steps above the top line
  EXPECT_LT(over->Fields.OffsetY + 80, c7 - 8 * 20);
}

// Endings become voltas, one for all parts, and play as the repeat asks.
TEST(MusicXmlForeign, EndingsBecomeVoltas) {
  auto score = ImportForeign("ensemble.xml");
  TQSPiece& piece = PieceOf(*score);
  for (int c = 1; c <= 2; ++c) {
    const auto voltas = ItemsOf<TQSMark>(*piece.GetColumn(c), kind::Volta);
    ASSERT_EQ(voltas.size(), 1u) << c;
    EXPECT_EQ(voltas[0]->Fields.Kind, c);
    EXPECT_EQ(voltas[0]->Fields.Value, 1);
    EXPECT_LT(voltas[0]->Fields.OffsetY, 0);  // above the staff
  }
  LayoutScore(*score, 0);
  std::vector<int> order;
  for (int i = 0; i < piece.VisitCount; ++i) order.push_back(piece.Visits[i]->Measure);
  EXPECT_EQ(order, (std::vector<int>{0, 1, 0, 2}));
}

// A bracket joins the group's staves; each part shows its name at the first
// system and its abbreviation at the others, unless the file hides it; a
// transposing instrument sounds its interval off.
TEST(MusicXmlForeign, PartGroupsNamesAndTranspositions) {
  auto score = ImportForeign("ensemble.xml");
  TQSPiece& piece = PieceOf(*score);
  const auto accolades = ItemsOf<TQSMark>(*piece.GetPart(0)->GetMeasure(0), kind::Accolade);
  ASSERT_EQ(accolades.size(), 1u);
  EXPECT_EQ(accolades[0]->Fields.Style, TQSMark::kAccoladeBracket);
  EXPECT_EQ(accolades[0]->Fields.Value, 1);  // over the next part too
  auto names = [&](int part) {
    std::vector<std::string> out;
    for (TQSLyric* l : ItemsOf<TQSLyric>(*piece.GetPart(part)->GetMeasure(0), kind::InstrumentName))
      out.push_back(l->Lines.at(0) + ((l->Fields.Flags & TQSLyric::kShortName) ? " (short)" : ""));
    return out;
  };
  EXPECT_EQ(names(0), (std::vector<std::string>{"Fl. (short)", "Flute"}));
  EXPECT_EQ(names(1), (std::vector<std::string>{"Cl. (short)", "Clarinet in B\u266D"}));
  EXPECT_TRUE(names(2).empty());
  EXPECT_EQ(piece.GetPart(1)->TransportShift(), -2);
  EXPECT_EQ(piece.GetPart(0)->TransportShift(), 0);
  // A rehearsal mark counts in letters, one for all parts.
  const auto rehearsal = ItemsOf<TQSMark>(*piece.GetColumn(0), kind::Rehearsal);
  ASSERT_EQ(rehearsal.size(), 1u);
  EXPECT_EQ(rehearsal[0]->Fields.Value, 1);
  EXPECT_EQ(rehearsal[0]->Fields.Style & 0xC0, TQSMark::kRehearsalLetters);
}

// Under an 8va line the file's pitches sound an octave above where the notes
// are written; the line ends where the file stops it.
TEST(MusicXmlForeign, OctaveShiftsWriteNotesWhereTheyAreShown) {
  const std::string shift = R"(<direction><direction-type><octave-shift type="down" size="8"/></direction-type></direction>)";
  const std::string stop = R"(<direction><direction-type><octave-shift type="stop" size="8"/></direction-type></direction>)";
  auto score = ImportText(OnePart(Measure1(shift + N(P("C", 6) + kQuarter) + N(P("D", 6) + kQuarter) + stop +
                                           N(P("E", 6) + kQuarter))));
  TQSMeasure& m = *PieceOf(*score).GetPart(0)->GetMeasure(0);
  const auto notes = NotesOf(m);
  ASSERT_EQ(notes.size(), 3u);
  EXPECT_EQ(notes[0]->Fields.Pitch, MakePitch(6, 0));  // C6 written as C5
  EXPECT_EQ(notes[1]->Fields.Pitch, MakePitch(6, 1));
  EXPECT_EQ(notes[2]->Fields.Pitch, MakePitch(7, 2));  // after the line
  const auto ottavas = ItemsOf<TQSMark>(m, kind::Ottava);
  ASSERT_EQ(ottavas.size(), 1u);
  EXPECT_EQ(ottavas[0]->Fields.Kind, 0);
  EXPECT_EQ(ottavas[0]->Fields.Value, 256);
  EXPECT_LT(ottavas[0]->Fields.OffsetY, 0);
  LayoutScore(*score, 0);
  EXPECT_EQ(notes[0]->SoundingKey, 84);
  EXPECT_EQ(notes[2]->SoundingKey, 88);
}

// Ornaments, articulations and technique marks at a note stand clear of it,
// above unless placed below, several one over the other.
TEST(MusicXmlForeign, SignsAtNotes) {
  const std::string signs =
      "<notations><ornaments><trill-mark/><turn/></ornaments><articulations><strong-accent/>"
      "<breath-mark/></articulations><technical><up-bow/><fingering>3</fingering></technical></notations>";
  const std::string below =
      "<notations><ornaments><inverted-mordent placement=\"below\"/></ornaments>"
      "<technical><down-bow/></technical></notations>";
  auto score = ImportText(OnePart(Measure1(N(P("B", 4) + kQuarter + signs) + N(P("B", 4) + kQuarter + below))));
  TQSMeasure& m = *PieceOf(*score).GetPart(0)->GetMeasure(0);
  struct TSign {
    TQSItemType Kind;
    int Variant, Time;
    bool Below;
  };
  const TSign expected[] = {{kind::Trill, 1, 0, false},       {kind::Gruppetto, 0, 0, false},
                            {kind::Accent, 0, 0, false},      {kind::Breath, 0, 0, false},
                            {kind::Bowing, 0, 0, false},      {kind::Finger, 3, 0, false},
                            {kind::Mordent, 0, 128, true},    {kind::Bowing, 1, 128, false}};
  std::vector<TQSMark*> marks;
  for (TQSItem* item : m.Items)
    if (item->ItemType != kind::Note && IsMarkKind(item->ItemType) && item->ItemType != kind::Clef &&
        item->ItemType != kind::Key)
      marks.push_back(static_cast<TQSMark*>(item));
  ASSERT_EQ(marks.size(), std::size(expected));
  std::set<int> heights;
  for (size_t i = 0; i < marks.size(); ++i) {
    EXPECT_EQ(marks[i]->ItemType, expected[i].Kind) << i;
    EXPECT_EQ(marks[i]->Fields.Kind, expected[i].Variant) << i;
    EXPECT_EQ(marks[i]->Fields.Time, expected[i].Time) << i;
    if (expected[i].Time == 0) heights.insert(marks[i]->Fields.OffsetY);
    // Above the staff's top line, or below its bottom line.
    if (expected[i].Below) EXPECT_GT(marks[i]->Fields.OffsetY, 4 * 48) << i;
    else EXPECT_LT(marks[i]->Fields.OffsetY, 0) << i;
  }
  EXPECT_EQ(heights.size(), 6u);  // none on another

  // A fermata of the lower staff stands above that staff, not the upper.
  auto two = ImportText(OnePart(Measure1(N(P("C", 3) + kQuarter + "<staff>2</staff><notations><fermata/></notations>"),
                                         "<staves>2</staves>")));
  const auto fermatas = ItemsOf<TQSMark>(*PieceOf(*two).GetPart(0)->GetMeasure(0), kind::Fermata);
  ASSERT_EQ(fermatas.size(), 1u);
  EXPECT_GT(fermatas[0]->Fields.OffsetY, 4 * 48);  // below the upper staff's bottom line
}

// A stem the file leaves out ("none", as tablature is written) is not
// read as a stem down: the score draws the stem a tablature note has.
TEST(MusicXmlForeign, StemNoneLeavesTheStemToTheScore) {
  const std::string tab =
      "<clef><sign>TAB</sign><line>5</line></clef><staff-details><staff-lines>6</staff-lines>"
      "<staff-tuning line=\"1\"><tuning-step>E</tuning-step><tuning-octave>2</tuning-octave></staff-tuning>"
      "</staff-details>";
  auto score = ImportText(OnePart(Measure1(
      N(P("E", 3) + kQuarter + "<stem>none</stem><notations><technical><string>6</string><fret>0</fret></technical></notations>"),
      tab)));
  const auto notes = NotesOf(*PieceOf(*score).GetPart(0)->GetMeasure(0));
  ASSERT_EQ(notes.size(), 1u);
  EXPECT_FALSE(notes[0]->IsStemDown());
}

// Cue notes are small; slash heads stand for the rhythm alone.
TEST(MusicXmlForeign, CueNotesAndSlashHeads) {
  auto score = ImportText(OnePart(Measure1(N("<cue/>" + P("C", 5) + kQuarter) +
                                           N(P("B", 4) + kQuarter + "<notehead>slash</notehead>") +
                                           N(P("A", 4) + kQuarter + "<notehead>x</notehead>"))));
  const auto notes = NotesOf(*PieceOf(*score).GetPart(0)->GetMeasure(0));
  ASSERT_EQ(notes.size(), 3u);
  EXPECT_TRUE(notes[0]->IsSmall());
  EXPECT_FALSE(notes[1]->IsSmall());
  EXPECT_EQ(notes[1]->Fields.HeadStyle, headstyle::Slash);
  EXPECT_EQ(notes[2]->Fields.HeadStyle, 0);  // no head of its own in the score
}

// Syllables sung on one note stand on one line.
TEST(MusicXmlForeign, ElidedSyllablesShareTheirLine) {
  const std::string lyric =
      "<lyric number=\"1\"><syllabic>single</syllabic><text>a</text><elision>\u203F</elision>"
      "<syllabic>end</syllabic><text>and</text></lyric>";
  auto score = ImportText(OnePart(Measure1(N(P("C", 5) + kQuarter + lyric))));
  const auto lyrics = ItemsOf<TQSLyric>(*PieceOf(*score).GetPart(0)->GetMeasure(0), kind::Lyric);
  ASSERT_EQ(lyrics.size(), 1u);
  EXPECT_EQ(lyrics[0]->Lines, (std::vector<std::string>{"a and"}));
  // The first syllable is a word of its own: no hyphen before it.
  EXPECT_FALSE(lyrics[0]->Fields.Flags & TQSLyric::kHyphen);
  EXPECT_EQ(lyrics[0]->Fields.OffsetY, VerseOffsetY(*score, 1));
}

}  // namespace
}  // namespace qs::test

namespace qs::test {
namespace {

// A hymn's verses stand between the staves: below the stems of the lower
// voice, the staff below moved down to leave them room, its dynamics with
// it; the measures are counted from the first full one.
TEST(MusicXmlForeign, VersesBetweenTheStavesOfAHymn) {
  LoadMusicFont();  // measured as the program measures it
  auto score = ImportForeign("hymn.xml");
  TQSPiece& piece = PieceOf(*score);
  EXPECT_TRUE(ItemsOf<TQSMark>(*piece.GetColumn(0), kind::MeasureNumbering).empty());
  EXPECT_EQ(ItemsOf<TQSMark>(*piece.GetColumn(1), kind::MeasureNumbering).size(), 1u);
  // The rows as the file sets them, not drawn together to fill the small
  // page of a bare score.
  score->VertAlign = 0;
  LayoutScore(*score, 0);
  const std::vector<TRect> lyrics = BoxesOf(*score, kind::Lyric), notes = BoxesOf(*score, kind::Note, true);
  ASSERT_EQ(lyrics.size(), 4u);
  for (const TRect& l : lyrics)
    for (const TRect& n : notes)
      EXPECT_FALSE(Overlap(l, n))
          << "a syllable on a note or stem: " << l.Left << "," << l.Top << "," << l.Right << "," << l.Bottom << " " << n.Left << "," << n.Top << "," << n.Right << "," << n.Bottom;
  const std::vector<TRect> mf = BoxesOf(*score, kind::Dynamics);
  const TQSCalcStaff& bass = *score->LayoutPages.At(0)->StaffRows.At(1);
  ASSERT_EQ(mf.size(), 1u);
  EXPECT_GT(mf[0].Top, bass.BottomLine);  // below the bass staff, not in it
}

// An arpeggiated chord gets one arpeggio, with its arrow, over its heads;
// a single-note tremolo keeps its strokes on the stem; a tenuto is the
// score's dash; a tremolo between two notes is one mark at the first.
TEST(MusicXmlForeign, ArpeggiosTremolosAndTenutos) {
  LoadMusicFont();  // measured as the program measures it
  auto score = ImportText(ReadFile(std::string(QS_TEST_DATA_DIR) + "/musicxml/ornaments.xml"));
  TQSPiece& piece = PieceOf(*score);
  const TQSMeasure& m = *piece.GetPart(0)->GetMeasure(0);
  const auto arpeggios = ItemsOf<TQSMark>(m, kind::Arpeggio);
  ASSERT_EQ(arpeggios.size(), 1u);
  EXPECT_EQ(arpeggios[0]->Fields.Style & TQSMark::kArpeggioArrowMask, TQSMark::kArpeggioDown);
  const auto tremolos = ItemsOf<TQSMark>(m, kind::Tremolo);
  ASSERT_EQ(tremolos.size(), 1u);
  EXPECT_EQ(tremolos[0]->Fields.Value, 3);
  EXPECT_EQ(tremolos[0]->Fields.Time, 256);
  EXPECT_EQ(ItemsOf<TQSMark>(m, kind::Portamento).size(), 1u);
  EXPECT_NE(tremolos[0]->Fields.Style & TQSMark::kStyleAttached, 0);
  const auto between = ItemsOf<TQSMark>(*piece.GetPart(0)->GetMeasure(1), kind::Tremolo);
  ASSERT_EQ(between.size(), 1u);
  EXPECT_EQ(between[0]->Fields.Time, 0);
  EXPECT_EQ(between[0]->Fields.Value, 2);
  EXPECT_EQ(between[0]->Fields.Style & TQSMark::kStyleAttached, 0);
  // Written back as other programs write it: begun at the first note,
  // ended at the second.
  const std::string xml = ExportText(*score, piece);
  const size_t start = xml.find("<tremolo type=\"start\">2</tremolo>");
  ASSERT_NE(start, std::string::npos);
  EXPECT_NE(xml.find("<tremolo type=\"stop\">2</tremolo>", start), std::string::npos);

  // The arpeggio covers the heads of its chord, and little more.
  LayoutScore(*score, 0);
  const std::vector<TRect> arpeggio = BoxesOf(*score, kind::Arpeggio), heads = BoxesOf(*score, kind::Note);
  ASSERT_EQ(arpeggio.size(), 1u);
  int top = INT_MAX, bottom = INT_MIN;
  for (const TRect& h : heads)
    if (h.Left < arpeggio[0].Right + 200) top = std::min(top, h.Top), bottom = std::max(bottom, h.Bottom);
  EXPECT_LE(arpeggio[0].Top, top + 8);
  EXPECT_GE(arpeggio[0].Bottom, bottom - 8);
  EXPECT_LE(arpeggio[0].Height(), bottom - top + 96);
}

// Segno and coda signs stand above the staff, clear of a high note at
// their bar line.
TEST(MusicXmlForeign, SegnoAndCodaStandAboveTheStaff) {
  LoadMusicFont();  // measured as the program measures it
  const std::string segno = R"(<direction placement="above"><direction-type><segno/></direction-type></direction>)";
  const std::string coda = R"(<direction placement="above"><direction-type><coda/></direction-type></direction>)";
  auto score = ImportText(OnePart(Measure1(segno + coda + N(P("D", 6) + "<duration>4</duration><type>whole</type>"))));
  LayoutScore(*score, 0);
  const TQSCalcStaff& row = *score->LayoutPages.At(0)->StaffRows.At(0);
  const std::vector<TRect> heads = BoxesOf(*score, kind::Note, true);
  ASSERT_FALSE(heads.empty());
  for (TQSItemType k : {kind::Segno, kind::Coda}) {
    const std::vector<TRect> sign = BoxesOf(*score, k);
    ASSERT_EQ(sign.size(), 1u) << int(k);
    EXPECT_LE(sign[0].Bottom, row.TopLine) << int(k);
    for (const TRect& h : heads) EXPECT_FALSE(Overlap(sign[0], h)) << int(k);
  }
}

// Words above the staff clear the heads and stems of the notes they stand
// over; over low notes, and below the staff, they keep their place.
TEST(MusicXmlForeign, WordsAboveStandOverTheNotes) {
  LoadMusicFont();  // measured as the program measures it
  const std::string allegro =
      R"(<direction placement="above"><direction-type><words font-size="12">Allegro</words></direction-type></direction>)";
  const std::string dolce =
      R"(<direction placement="below"><direction-type><words>dolce</words></direction-type></direction>)";
  std::vector<int> low;
  for (int octave : {4, 6}) {
    SCOPED_TRACE(octave);
    std::string notes;
    for (int i = 0; i < 4; ++i) notes += N(P("C", octave) + kQuarter + "<stem>up</stem>");
    auto score = ImportText(OnePart(Measure1(allegro + dolce + notes)));
    std::vector<int> y;
    for (const TQSLyric* w : ItemsOf<TQSLyric>(*PieceOf(*score).GetPart(0)->GetMeasure(0), kind::Term))
      y.push_back(w->Fields.OffsetY);
    ASSERT_EQ(y.size(), 2u);
    if (octave == 4) {
      EXPECT_EQ(y[0], mxml::kWordsAboveOffset);
      low = y;
    } else {
      EXPECT_EQ(y[1], low[1]);
    }
    LayoutScore(*score, 0);
    const std::vector<TRect> words = BoxesOf(*score, kind::Term), heads = BoxesOf(*score, kind::Note, true);
    ASSERT_EQ(words.size(), 2u);
    for (const TRect& n : heads)
      EXPECT_FALSE(Overlap(words[0], n)) << "words on a note or stem";
  }
}

}  // namespace
}  // namespace qs::test
