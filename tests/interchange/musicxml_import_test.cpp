#include <gtest/gtest.h>

#include "musicxml_support.h"
#include "score/pageobjects.h"

namespace qs::test {
namespace {

struct TImported {
  std::unique_ptr<TQSScore> Score;
  TQSPiece* Piece;
  TQSPart* Part;
  TQSMeasure* M(int i) const { return Part->GetMeasure(i); }
};

TImported Import(const std::string& xml) {
  TImported r;
  r.Score = ImportText(xml);
  r.Piece = LastPiece(*r.Score);
  r.Part = r.Piece->GetPart(0);
  return r;
}

std::string N(const std::string& inner) { return "<note>" + inner + "</note>"; }
std::string P(const char* step, int octave, const char* extra = "") {
  return std::string("<pitch><step>") + step + "</step>" + extra + "<octave>" + std::to_string(octave) +
         "</octave></pitch>";
}

TEST(MusicXmlImport, PitchesAlterationsAndAccidentals) {
  // G major: F# needs no sign, F natural needs one, and a second F natural
  // in the measure none; Bb gets a flat, C## a double sharp.
  auto r = Import(OnePart(Measure1(
      N(P("F", 4, "<alter>1</alter>") + "<duration>1</duration><type>quarter</type>") +
          N(P("F", 4) + "<duration>1</duration><type>quarter</type>") +
          N(P("F", 5) + "<duration>1</duration><type>quarter</type>") +
          N(P("B", 3, "<alter>-1</alter>") + "<duration>1</duration><type>quarter</type>") +
          "</measure><measure number='2'>" +
          N(P("C", 9, "<alter>2</alter>") + "<duration>4</duration><type>whole</type>"),
      "<key><fifths>1</fifths><mode>major</mode></key>")));
  auto notes = NotesOf(*r.M(0));
  ASSERT_EQ(notes.size(), 4u);
  EXPECT_EQ(notes[0]->Fields.Pitch, MakePitch(5, 3));
  EXPECT_EQ(notes[3]->Fields.Pitch, MakePitch(4, 6));
  auto accidental = [](TQSNote* n) {
    auto a = Attached<TQSMark>(*n, kind::Accidental);
    return a.empty() ? -1 : a[0]->Fields.Kind;
  };
  EXPECT_EQ(accidental(notes[0]), -1);
  EXPECT_EQ(accidental(notes[1]), 4);  // natural
  EXPECT_EQ(accidental(notes[2]), -1);
  EXPECT_EQ(accidental(notes[3]), 0);  // flat
  EXPECT_EQ(accidental(NotesOf(*r.M(1))[0]), 3);
  EXPECT_EQ(NotesOf(*r.M(1))[0]->Fields.Pitch, MakePitch(10, 0));
  auto keys = ItemsOf<TQSMark>(*r.M(0), kind::Key);
  ASSERT_EQ(keys.size(), 1u);
  EXPECT_EQ(keys[0]->Fields.Kind, 1);
  EXPECT_EQ(keys[0]->Fields.Style, 1);
}

TEST(MusicXmlImport, DurationsDotsRestsAndTypes) {
  // Divisions 2: a dotted quarter, an eighth, a double-dotted quarter
  // written as two dots, and a rest of an eighth; 32nd in both spellings.
  auto r = Import(OnePart(
      R"(<measure number="1"><attributes><divisions>8</divisions></attributes>)" +
      N(P("C", 4) + "<duration>12</duration><type>quarter</type><dot/>") +
      N(P("D", 4) + "<duration>4</duration><type>eighth</type>") +
      N(P("E", 4) + "<duration>14</duration><type>quarter</type><dot/><dot/>") +
      N("<rest/><duration>1</duration><type>32nd</type>") +
      N(P("F", 4) + "<duration>1</duration><type>32th</type>") + "</measure>"));
  auto notes = NotesOf(*r.M(0));
  ASSERT_EQ(notes.size(), 4u);
  const int expected[4][3] = {{0, 128, 192}, {192, 64, 64}, {256, 128, 224}, {496, 16, 16}};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(notes[i]->Fields.Time, expected[i][0]) << i;
    EXPECT_EQ(notes[i]->Fields.Length, expected[i][1]) << i;
    EXPECT_EQ(notes[i]->Fields.RealLength, expected[i][2]) << i;
  }
  auto dots = Attached<TQSMark>(*notes[2], kind::Dot);
  ASSERT_EQ(dots.size(), 1u);
  EXPECT_EQ(dots[0]->Fields.Value, 1);  // two dots
  EXPECT_EQ(notes[3]->ExtraBeams(), 2);
  auto rests = RestsOf(*r.M(0));
  ASSERT_EQ(rests.size(), 1u);
  EXPECT_EQ(rests[0]->Fields.Time, 480);
  EXPECT_EQ(rests[0]->Fields.Length, 16);
}

TEST(MusicXmlImport, ChordsVoicesBackupForwardAndStaves) {
  // A chord whose notes differ in length, then a second voice after a
  // backup, a forward with a voice (a hidden rest) and one without.
  auto r = Import(OnePart(Measure1(
      N(P("C", 4) + "<duration>2</duration><voice>1</voice><type>half</type><staff>1</staff>") +
          N("<chord/>" + P("E", 4) + "<duration>1</duration><voice>1</voice><type>quarter</type><staff>1</staff>") +
          N(P("D", 4) + "<duration>2</duration><voice>1</voice><type>half</type><staff>1</staff>") +
          "<backup><duration>4</duration></backup>"
          "<forward><duration>1</duration><voice>2</voice><staff>1</staff></forward>" +
          N(P("G", 3) + "<duration>3</duration><voice>2</voice><type>half</type><dot/><staff>1</staff>") +
          "<backup><duration>4</duration></backup><forward><duration>2</duration></forward>" +
          N(P("C", 3) + "<duration>2</duration><voice>5</voice><type>half</type><staff>2</staff>"),
      "<staves>2</staves><clef number='1'><sign>G</sign><line>2</line></clef>"
      "<clef number='2'><sign>F</sign><line>4</line></clef>")));
  ASSERT_EQ(r.Part->StaffCount(), 2);
  EXPECT_EQ(r.Part->GetStaff(0)->VoiceCount(), 2);
  auto notes = NotesOf(*r.M(0));
  ASSERT_EQ(notes.size(), 5u);
  // Sorted by position, staff and voice; both chord notes flagged.
  struct TExp {
    int Time, StaffVoice, Pitch;
    bool Chord;
  } kExp[] = {{0, 0x00, 0x50, true}, {0, 0x00, 0x52, true}, {128, 0x01, 0x44, false}, {256, 0x00, 0x51, false},
              {256, 0x10, 0x40, false}};
  for (size_t i = 0; i < notes.size(); ++i) {
    EXPECT_EQ(notes[i]->Fields.Time, kExp[i].Time) << i;
    EXPECT_EQ(notes[i]->Fields.StaffVoice, kExp[i].StaffVoice) << i;
    EXPECT_EQ(notes[i]->Fields.Pitch, kExp[i].Pitch) << i;
    EXPECT_EQ(notes[i]->IsChordMember(), kExp[i].Chord) << i;
  }
  auto rests = RestsOf(*r.M(0));
  ASSERT_EQ(rests.size(), 1u);  // the forward without a voice made none
  EXPECT_TRUE(rests[0]->IsHidden());
  EXPECT_EQ(rests[0]->Fields.StaffVoice, 0x01);
  auto clefs = ItemsOf<TQSMark>(*r.M(0), kind::Clef);
  ASSERT_EQ(clefs.size(), 2u);
  EXPECT_EQ(clefs[1]->Fields.StaffVoice, 0x10);
  EXPECT_EQ(clefs[1]->Fields.Kind, clef::Bass);
  EXPECT_EQ(ItemsOf<TQSMark>(*r.M(0), kind::Accolade).size(), 1u);
}

TEST(MusicXmlImport, ClefsKeysAndTimes) {
  const struct {
    const char* Clef;
    int Kind;
  } kClefs[] = {{"<sign>G</sign><line>2</line>", clef::Treble}, {"<sign>F</sign><line>4</line>", clef::Bass},
                {"<sign>F</sign><line>3</line>", clef::BaritoneF}, {"<sign>C</sign><line>3</line>", clef::Alto},
                {"<sign>C</sign><line>4</line>", clef::Tenor}, {"<sign>C</sign><line>1</line>", clef::Soprano},
                {"<sign>TAB</sign>", clef::Tablature},            {"<sign>percussion</sign>", clef::Percussion1},
                // Octave clefs (guitars, tenors).
                {"<sign>G</sign><line>2</line><clef-octave-change>-1</clef-octave-change>", clef::TrebleOctaveDown},
                {"<sign>G</sign><clef-octave-change>1</clef-octave-change>", clef::TrebleOctaveUp},
                {"<sign>F</sign><line>4</line><clef-octave-change>-1</clef-octave-change>", clef::BassOctaveDown},
                // Clefs the score does not draw fall back to the nearest it
                // has: two octaves to the one-octave clef of their way; the
                // bass clef an octave up and the French violin clef to the
                // plain clef of their sign; "no clef" to the treble clef.
                {"<sign>G</sign><line>2</line><clef-octave-change>2</clef-octave-change>", clef::TrebleOctaveUp},
                {"<sign>G</sign><line>2</line><clef-octave-change>-2</clef-octave-change>", clef::TrebleOctaveDown},
                {"<sign>F</sign><line>4</line><clef-octave-change>-2</clef-octave-change>", clef::BassOctaveDown},
                {"<sign>F</sign><line>4</line><clef-octave-change>1</clef-octave-change>", clef::Bass},
                {"<sign>G</sign><line>1</line>", clef::Treble},
                {"<sign>none</sign>", clef::Treble},
                {"<sign>C</sign><line>3</line><clef-octave-change>-1</clef-octave-change>", clef::Alto}};
  for (const auto& c : kClefs) {
    auto r = Import(OnePart(Measure1("", std::string("<clef>") + c.Clef + "</clef>")));
    auto clefs = ItemsOf<TQSMark>(*r.M(0), kind::Clef);
    ASSERT_EQ(clefs.size(), 1u);
    EXPECT_EQ(clefs[0]->Fields.Kind, c.Kind) << c.Clef;
  }
  const struct {
    int Fifths, Kind;
  } kKeys[] = {{0, 0}, {3, 3}, {-3, 13}, {-7, 17}, {9, 7}};
  for (const auto& k : kKeys) {
    auto r = Import(OnePart(Measure1("", "<key><fifths>" + std::to_string(k.Fifths) + "</fifths></key>")));
    EXPECT_EQ(ItemsOf<TQSMark>(*r.M(0), kind::Key)[0]->Fields.Kind, k.Kind) << k.Fifths;
  }
  // 4/4 at the start is kept like any other; a later change back to 4/4
  // stays.
  auto r = Import(OnePart(Measure1("") +
                          "<measure number='2'><attributes><time><beats>6</beats><beat-type>8</beat-type></time>"
                          "</attributes></measure><measure number='3'><attributes><time><beats>4</beats>"
                          "<beat-type>4</beat-type></time></attributes></measure>"));
  EXPECT_EQ(ItemsOf<TQSMark>(*r.Piece->GetColumn(0), kind::Meter)[0]->Fields.Value, MakeMeter(4, 4));
  EXPECT_EQ(ItemsOf<TQSMark>(*r.Piece->GetColumn(1), kind::Meter)[0]->Fields.Value, MakeMeter(6, 8));
  EXPECT_EQ(ItemsOf<TQSMark>(*r.Piece->GetColumn(2), kind::Meter)[0]->Fields.Value, MakeMeter(4, 4));
}

TEST(MusicXmlImport, TupletsAndGraceNotes) {
  // A triplet of a rest and two eighths with divisions 3, a grace note
  // before the third beat, and a quarter triplet of mixed values.
  auto r = Import(OnePart(
      R"(<measure number="1"><attributes><divisions>3</divisions></attributes>)" +
      N("<rest/><duration>1</duration><type>eighth</type>"
        "<time-modification><actual-notes>3</actual-notes><normal-notes>2</normal-notes></time-modification>") +
      N(P("D", 4) + "<duration>1</duration><type>eighth</type>"
                    "<time-modification><actual-notes>3</actual-notes><normal-notes>2</normal-notes></time-modification>") +
      N(P("E", 4) + "<duration>1</duration><type>eighth</type>"
                    "<time-modification><actual-notes>3</actual-notes><normal-notes>2</normal-notes></time-modification>") +
      N(P("F", 4) + "<duration>3</duration><type>quarter</type>") +
      N("<grace/>" + P("A", 4) + "<type>16th</type>") +
      N(P("G", 4) + "<duration>2</duration><type>quarter</type>"
                    "<time-modification><actual-notes>3</actual-notes><normal-notes>2</normal-notes></time-modification>") +
      N(P("A", 4) + "<duration>1</duration><type>eighth</type>"
                    "<time-modification><actual-notes>3</actual-notes><normal-notes>2</normal-notes></time-modification>") +
      "</measure>"));
  TQSMeasure& m = *r.M(0);
  auto rests = RestsOf(m);
  ASSERT_EQ(rests.size(), 1u);
  EXPECT_EQ(rests[0]->Fields.RealLength, 42);
  auto notes = NotesOf(m);
  ASSERT_EQ(notes.size(), 5u);
  const int kTimes[] = {42, 85, 128, 256, 341};
  const int kReal[] = {43, 43, 128, 85, 42};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(notes[i]->Fields.Time, kTimes[i]) << i;
    EXPECT_EQ(notes[i]->Fields.RealLength, kReal[i]) << i;
  }
  auto tuplets = ItemsOf<TQSMark>(m, kind::Tuplet);
  ASSERT_EQ(tuplets.size(), 2u);
  EXPECT_EQ(tuplets[0]->Fields.Time, 0);
  EXPECT_EQ(tuplets[0]->Fields.Value, 64);
  EXPECT_EQ(tuplets[1]->Fields.Time, 256);
  EXPECT_EQ(tuplets[1]->Fields.Value, 128);
  auto graces = ItemsOf<TQSVorschlag>(m, kind::Vorschlag);
  ASSERT_EQ(graces.size(), 1u);
  EXPECT_EQ(graces[0]->Fields.Time, 256);
  ASSERT_EQ(graces[0]->ItemCount(), 1);
  EXPECT_EQ(graces[0]->GetNote(0)->Fields.Length, 32);
}

TEST(MusicXmlImport, TiesSlursAndSpans) {
  auto r = Import(OnePart(Measure1(
      N(P("C", 5) + "<duration>2</duration><tie type='start'/><type>half</type><stem>down</stem>"
                    "<notations><tied type='start'/></notations>") +
      N(P("C", 5) + "<duration>1</duration><tie type='stop'/><type>quarter</type><stem>down</stem>") +
      N(P("D", 5) + "<duration>1</duration><type>quarter</type><stem>up</stem>"
                    "<notations><slur type='start' number='1'/></notations>")) +
      "<measure number='2'>" +
      N(P("E", 5) + "<duration>4</duration><type>whole</type><notations><slur type='stop'/></notations>") +
      "</measure>"));
  auto notes = NotesOf(*r.M(0));
  auto ties = Attached<TQSLiga>(*notes[0], kind::Liga);
  ASSERT_EQ(ties.size(), 1u);
  EXPECT_EQ(ties[0]->Fields.Span, 256);
  EXPECT_TRUE(ties[0]->Fields.Flags & TQSLiga::kFromStart);
  EXPECT_FALSE(ties[0]->IsBelow());  // stem down: the tie arcs above
  auto slurs = Attached<TQSLiga>(*notes[2], kind::Liga);
  ASSERT_EQ(slurs.size(), 1u);
  EXPECT_EQ(slurs[0]->Fields.Span, 128);
  EXPECT_FALSE(slurs[0]->Fields.Flags & TQSLiga::kFromStart);
}

// Files write a tie as <tie>, as <tied> in the notations or as both: each
// is one tie from the note.
TEST(MusicXmlImport, TieWrittenEitherWayIsOneTie) {
  const char* kWays[] = {"<tie type='start'/>", "<notations><tied type='start'/></notations>",
                         "<tie type='start'/><notations><tied type='start'/></notations>"};
  for (const char* way : kWays) {
    SCOPED_TRACE(way);
    auto r = Import(OnePart(Measure1(N(P("C", 5) + "<duration>2</duration><type>half</type>" + way) +
                                     N(P("C", 5) + "<duration>2</duration><type>half</type>"))));
    auto notes = NotesOf(*r.M(0));
    ASSERT_EQ(notes.size(), 2u);
    auto ties = Attached<TQSLiga>(*notes[0], kind::Liga);
    ASSERT_EQ(ties.size(), 1u);
    EXPECT_TRUE(ties[0]->Fields.Flags & TQSLiga::kFromStart);
    EXPECT_EQ(ties[0]->Fields.Span, 256);
    EXPECT_TRUE(Attached<TQSLiga>(*notes[1], kind::Liga).empty());
  }
}

// A part the file gives no MIDI channel takes one no other part uses, so
// that parts are not merged on channel 1 when played or exported.
TEST(MusicXmlImport, PartsWithoutAChannelGetOneEach) {
  struct TCase {
    std::vector<int> FileChannels;  // 0: none given
    std::vector<int> Channels;      // as the parts have them, from 0
  };
  const TCase cases[] = {
      {{0, 0, 0}, {0, 1, 2}},
      {{0, 1, 0}, {1, 0, 2}},
      {{3, 3}, {2, 2}},
      {{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, {0, 1, 2, 3, 4, 5, 6, 7, 8, 10, 11}},
  };
  for (const TCase& c : cases) {
    std::string list, parts;
    for (size_t i = 0; i < c.FileChannels.size(); ++i) {
      const std::string id = "P" + std::to_string(i + 1);
      list += "<score-part id='" + id + "'><part-name>" + id + "</part-name>";
      if (c.FileChannels[i])
        list += "<midi-instrument id='" + id + "-I1'><midi-channel>" + std::to_string(c.FileChannels[i]) +
                "</midi-channel></midi-instrument>";
      list += "</score-part>";
      parts += "<part id='" + id + "'>" + Measure1(N(P("C", 5) + "<duration>4</duration><type>whole</type>")) + "</part>";
    }
    auto score = ImportText("<?xml version='1.0'?><score-partwise version='4.0'><part-list>" + list + "</part-list>" +
                            parts + "</score-partwise>");
    std::vector<int> channels;
    for (int i = 0; i < LastPiece(*score)->PartCount(); ++i) channels.push_back(LastPiece(*score)->GetPart(i)->Channel());
    EXPECT_EQ(channels, c.Channels);
  }
}

TEST(MusicXmlImport, LyricsDynamicsWedgesAndWords) {
  auto r = Import(OnePart(Measure1(
      "<direction placement='below'><direction-type><dynamics><mf/></dynamics></direction-type></direction>"
      "<direction><direction-type><wedge type='crescendo'/></direction-type></direction>" +
      N(P("C", 4) + "<duration>1</duration><type>quarter</type>"
                    "<lyric number='1'><syllabic>begin</syllabic><text>Hal</text></lyric>"
                    "<lyric number='2'><syllabic>single</syllabic><text>Oh</text></lyric>") +
      N(P("D", 4) + "<duration>1</duration><type>quarter</type>"
                    "<lyric number='1'><syllabic>end</syllabic><text>lo &amp; bye</text></lyric>") +
      "<direction><direction-type><wedge type='stop'/></direction-type></direction>"
      "<direction placement='above'><direction-type><words font-style='italic' font-weight='bold'>dolce</words>"
      "</direction-type></direction>"
      "<direction><direction-type><dynamics><sfz/></dynamics></direction-type></direction>" +
      N(P("E", 4) + "<duration>2</duration><type>half</type>"))));
  TQSMeasure& m = *r.M(0);
  auto dyn = ItemsOf<TQSMark>(m, kind::Dynamics);
  ASSERT_EQ(dyn.size(), 3u);
  EXPECT_EQ(dyn[0]->Fields.Kind, 5);   // mf
  EXPECT_EQ(dyn[1]->Fields.Kind, dynamic::kCrescendo);
  EXPECT_EQ(dyn[1]->Fields.Value, 254);
  EXPECT_EQ(dyn[2]->Fields.Kind, 12);  // sfz
  EXPECT_EQ(dyn[2]->Fields.Time, 256);
  auto lyrics = ItemsOf<TQSLyric>(m, kind::Lyric);
  ASSERT_EQ(lyrics.size(), 3u);
  EXPECT_EQ(lyrics[0]->Lines, std::vector<std::string>{"Hal"});
  EXPECT_EQ(lyrics[0]->Fields.Flags & TQSLyric::kHyphen, 0);
  EXPECT_EQ(lyrics[1]->Fields.Verse, 1);
  EXPECT_EQ(lyrics[2]->Lines, std::vector<std::string>{"lo & bye"});
  EXPECT_EQ(lyrics[2]->Fields.Flags & TQSLyric::kHyphen, TQSLyric::kHyphen);
  auto words = ItemsOf<TQSLyric>(m, kind::Term);
  ASSERT_EQ(words.size(), 1u);
  EXPECT_EQ(words[0]->Fields.FontStyle, 3);
  EXPECT_EQ(words[0]->Fields.OffsetY, -160);
}

TEST(MusicXmlImport, HarmonyBarlinesBreaksAndArticulations) {
  auto r = Import(OnePart(Measure1(
      "<harmony><root><root-step>F</root-step><root-alter>1</root-alter></root><kind>minor-seventh</kind>"
      "<bass><bass-step>E</bass-step><bass-alter>0</bass-alter></bass></harmony>"
      "<harmony><root><root-step>B</root-step><root-alter>-1</root-alter></root><kind>augmented</kind></harmony>" +
      N(P("C", 5) + "<duration>4</duration><type>whole</type><notations><fermata type='upright'/>"
                    "<articulations><accent/><staccato/></articulations></notations>") +
      "<barline location='right'><bar-style>light-light</bar-style></barline>") +
      "<measure number='2'><print new-system='yes' new-page='yes'/>"
      "<barline location='left'><repeat direction='forward'/></barline>"
      "<barline location='right'><bar-style>light-heavy</bar-style><repeat direction='backward'/>"
      "<ending number='1' type='stop'/></barline></measure>"));
  auto chords = ItemsOf<TQSChord>(*r.M(0), kind::Chord);
  ASSERT_EQ(chords.size(), 2u);
  // Elements in the chord palette's order: the quality, then the number.
  EXPECT_EQ(chords[0]->Definition, (std::vector<uint8_t>{3, 1, 0x13, 0x20, 0x12, 2}));
  EXPECT_EQ(chords[1]->Definition, (std::vector<uint8_t>{3, 0, 0x26, 0x10, 0x95}));
  auto fermatas = ItemsOf<TQSMark>(*r.M(0), kind::Fermata);
  ASSERT_EQ(fermatas.size(), 1u);
  EXPECT_EQ(fermatas[0]->Fields.Kind, 0);  // above the note
  auto accents = ItemsOf<TQSMark>(*r.M(0), kind::Accent);
  ASSERT_EQ(accents.size(), 1u);
  EXPECT_EQ(accents[0]->Fields.Kind, 3);  // ">"
  EXPECT_EQ(ItemsOf<TQSMark>(*r.M(0), kind::Staccato).size(), 1u);
  auto bars0 = ItemsOf<TQSMark>(*r.Piece->GetColumn(0), kind::SectionEnd);
  ASSERT_EQ(bars0.size(), 1u);
  EXPECT_EQ(bars0[0]->Fields.Time, 512);
  TQSColumn* c1 = r.Piece->GetColumn(1);
  EXPECT_EQ(ItemsOf<TQSMark>(*c1, kind::RepeatOpen)[0]->Fields.Time, 0);
  EXPECT_EQ(ItemsOf<TQSMark>(*c1, kind::RepeatClose)[0]->Fields.Time, 512);
  EXPECT_TRUE(ItemsOf<TQSMark>(*c1, kind::CompositionEnd).empty());
  // Measure 2 opens the new system and page: both breaks follow measure 1.
  EXPECT_EQ(r.Piece->GetColumn(0)->Fields.SystemBreak, 1);
  EXPECT_EQ(r.Piece->GetColumn(0)->Fields.PageBreak, 1);
  EXPECT_EQ(c1->Fields.PageBreak, 0);
}

TEST(MusicXmlImport, TablatureAndPartList) {
  auto r = Import(OnePart(
      R"(<measure number="1"><attributes><divisions>1</divisions><clef><sign>TAB</sign></clef>
      <staff-details><staff-lines>6</staff-lines>
      <staff-tuning line="1"><tuning-step>E</tuning-step><tuning-octave>2</tuning-octave></staff-tuning>
      <staff-tuning line="6"><tuning-step>E</tuning-step><tuning-octave>4</tuning-octave></staff-tuning>
      </staff-details></attributes>)" +
      N(P("E", 4) + "<duration>4</duration><type>whole</type><notations><technical><string>1</string>"
                    "<fret>0</fret></technical></notations>") +
      "</measure>"));
  TQSStaff* staff = r.Part->GetStaff(0);
  EXPECT_EQ(staff->Fields.LineCount, 6);
  EXPECT_TRUE(staff->Fields.Tablature);
  EXPECT_EQ(staff->GetTuning(0), 28);
  EXPECT_EQ(staff->GetTuning(5), 52);
  auto notes = NotesOf(*r.M(0));
  EXPECT_EQ(notes[0]->Fields.TabString, 5);  // the highest of six strings
  EXPECT_EQ(notes[0]->Fields.TabFret, 1);
  EXPECT_EQ(r.Part->Name, "Piano");
}

TEST(MusicXmlImport, UpbeatAndTitles) {
  auto r = Import(OnePart(Measure1(N(P("G", 4) + "<duration>1</duration><type>quarter</type>")) +
                              "<measure number='2'>" + N(P("C", 5) + "<duration>4</duration><type>whole</type>") +
                              "</measure>",
                          "<work><work-title>Song</work-title></work><movement-number>2</movement-number>"
                          "<identification><creator type='composer'>Anna &amp; Co</creator>"
                          "<rights>(c) 2026</rights></identification>"));
  EXPECT_EQ(r.Piece->Auftakt(), MakeMeter(1, 4));
  EXPECT_EQ(r.Score->Composer, "Anna & Co");
  EXPECT_EQ(r.Score->Rights, "(c) 2026");
  std::vector<std::string> texts;
  for (TQSItem* item : r.Score->Items) texts.push_back(static_cast<TQSText*>(item)->Lines.at(0));
  EXPECT_EQ(texts, (std::vector<std::string>{"Song", "2", "Anna & Co", "(c) 2026"}));
}

TEST(MusicXmlImport, UnknownContentIsSkipped) {
  // Elements and attributes of later versions are passed over.
  auto r = Import(OnePart(Measure1(
      "<listening/><direction><direction-type><metronome><beat-unit>quarter</beat-unit><per-minute>90</per-minute>"
      "</metronome></direction-type><sound tempo='90'/></direction>" +
      N(P("C", 4) + "<duration>4</duration><instrument id='x'/><type size='cue'>whole</type>"
                    "<notehead>x</notehead><notations><ornaments><trill-mark/></ornaments></notations>"
                    "<play><mute>on</mute></play>"))));
  ASSERT_EQ(NotesOf(*r.M(0)).size(), 1u);
  EXPECT_EQ(NotesOf(*r.M(0))[0]->Fields.Length, 512);
}

TEST(MusicXmlImport, BadDocumentsGiveClearErrors) {
  const struct {
    std::string Xml;
    const char* Message;
  } kCases[] = {
      {OnePart(Measure1("")).substr(0, 200), "incomplete"},
      {"<score-timewise/>", "timewise"},
      {"<html><body/></html>", "not a MusicXML score"},
      {OnePart("<measure><attributes><divisions>0</divisions></attributes></measure>"), "divisions"},
      {OnePart("<measure><attributes><divisions>-4</divisions></attributes></measure>"), "line 4"},
      {OnePart(Measure1("", "<staves>1000</staves>")), "staves"},
      {OnePart(Measure1(N(P("C", 4) + "<duration>1</duration><staff>17</staff>"))), "Staff 17"},
      {OnePart(Measure1(N(P("C", 4) + "<duration>1</duration><staff>0</staff>"))), "Staff 0"},
      {OnePart("<measure><attributes><time><beats>4</beats><beat-type>0</beat-type></time></attributes></measure>"),
       "beat type"},
      {OnePart(Measure1(N(P("C", 4) + "<duration>99999999</duration>") + N(P("C", 4) + "<duration>9</duration>"))),
       "too long"},
  };
  for (const auto& c : kCases) {
    try {
      ImportText(c.Xml);
      ADD_FAILURE() << c.Xml;
    } catch (const EMusicXmlError& e) {
      EXPECT_NE(e.Message().find(c.Message), std::string::npos) << e.Message();
    }
  }
}

TEST(MusicXmlImport, AbsurdNumbersAreClamped) {
  auto r = Import(OnePart(Measure1(
      N(P("C", 99) + "<duration>1</duration><voice>-3</voice><type>quarter</type>"
                     "<time-modification><actual-notes>0</actual-notes></time-modification>") +
          N(P("D", -5) + "<duration>1</duration><voice>99999</voice><type>quarter</type>"
                         "<time-modification><actual-notes>77</actual-notes></time-modification>"),
      "<key><fifths>40</fifths></key>")));
  auto notes = NotesOf(*r.M(0));
  ASSERT_EQ(notes.size(), 2u);
  EXPECT_EQ(PitchOctave(notes[0]->Fields.Pitch), 10);
  EXPECT_EQ(PitchOctave(notes[1]->Fields.Pitch), 1);
  EXPECT_EQ(notes[0]->Fields.RealLength, 128);
  EXPECT_TRUE(ItemsOf<TQSMark>(*r.M(0), kind::Tuplet).empty());
  EXPECT_EQ(ItemsOf<TQSMark>(*r.M(0), kind::Key)[0]->Fields.Kind, 7);
}

// Numbers at the ends of the int range in the places that count from 1
// (a staff, a clef's staff, a staff's details, a tuning line, a string)
// give a clear error or a value in range, never an overflow.
TEST(MusicXmlImport, NumbersAtTheEndsOfTheIntRange) {
  auto tab = [](const std::string& string) {
    return Measure1(N(P("E", 4) + "<duration>4</duration><type>whole</type><notations><technical><string>" +
                      string + "</string><fret>0</fret></technical></notations>"),
                    "<clef><sign>TAB</sign></clef><staff-details><staff-lines>6</staff-lines></staff-details>");
  };
  for (const std::string n : {"-2147483648", "2147483647", "-2147483647", "4294967296"}) {
    const std::string whole = "<duration>4</duration><type>whole</type>";
    const std::string documents[] = {
        Measure1(N(P("C", 4) + whole + "<staff>" + n + "</staff>")),
        Measure1(N("<rest/>" + whole + "<staff>" + n + "</staff>")),
        Measure1("", "<clef number=\"" + n + "\"><sign>F</sign><line>4</line></clef>"),
        Measure1("", "<clef><sign>G</sign><line>" + n + "</line></clef>"),
        Measure1("", "<staff-details number=\"" + n + "\"><staff-lines>4</staff-lines></staff-details>"),
        Measure1("", "<staff-details><staff-lines>6</staff-lines><staff-tuning line=\"" + n +
                         "\"><tuning-step>E</tuning-step><tuning-octave>2</tuning-octave></staff-tuning>"
                         "</staff-details>"),
        tab(n),
    };
    for (const std::string& measure : documents) {
      try {
        ImportText(OnePart(measure));
      } catch (const Exception& e) {
        EXPECT_FALSE(e.Message().empty()) << n;
      }
    }
  }
  // The file counts strings from the highest (1): a number far before the
  // first is the highest string, one far after the last the lowest.
  EXPECT_EQ(NotesOf(*Import(OnePart(tab("-2147483648"))).M(0))[0]->Fields.TabString, 5);
  EXPECT_EQ(NotesOf(*Import(OnePart(tab("2147483647"))).M(0))[0]->Fields.TabString, 0);
}

}  // namespace
}  // namespace qs::test
