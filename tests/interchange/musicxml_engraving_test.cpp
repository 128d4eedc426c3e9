// MusicXML files as other notation programs write them, read as their
// authors meant them to be engraved.
#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <map>
#include <sstream>

#include "interchange/musicxml_reader.h"
#include "interchange/musicxml_tags.h"
#include "layout/layout.h"
#include "musicxml_support.h"
#include "platform/canvas.h"
#include "platform/drawdevice.h"
#include "platform/fonts.h"
#include "platform/musicglyphs.h"
#include "platform/paths.h"
#include "render/window.h"
#include "score/chordcode.h"
#include "score/dynamics.h"

namespace qs::test {
namespace {

struct TImported {
  std::unique_ptr<TQSScore> Score;
  TQSPiece* Piece;
  TQSPart* Part;
  TQSMeasure* M(int i) const { return Part->GetMeasure(i); }
};

TImported ImportFixture(const std::string& name) {
  TImported r;
  r.Score = ImportText(ReadFile(std::string(QS_TEST_DATA_DIR) + "/musicxml/" + name));
  r.Piece = LastPiece(*r.Score);
  r.Part = r.Piece->GetPart(0);
  return r;
}

std::vector<int> DynamicKinds(const TQSMeasure& m) {
  std::vector<int> out;
  for (TQSMark* d : ItemsOf<TQSMark>(m, kind::Dynamics)) out.push_back(d->Fields.Kind);
  return out;
}

std::vector<std::string> TermTexts(const TQSMeasure& m) {
  std::vector<std::string> out;
  for (TQSLyric* t : ItemsOf<TQSLyric>(m, kind::Term)) out.push_back(t->Lines.at(0));
  return out;
}

// Dynamics the model has no kind for take the nearest kind, or are
// written out as text; none falls back to piano.
TEST(MusicXmlEngraving, DynamicsTakeTheirNearestKind) {
  using namespace dynamic;
  auto r = ImportFixture("dynamics.xml");
  EXPECT_EQ(DynamicKinds(*r.M(0)), (std::vector<int>{kPianississimo, kFortississimo, kExtraForzato, kFortePiano}));
  EXPECT_EQ(DynamicKinds(*r.M(1)), (std::vector<int>{kForzando, kSforzato}));
  EXPECT_EQ(TermTexts(*r.M(1)), (std::vector<std::string>{"sfzp", "n"}));
  for (TQSLyric* t : ItemsOf<TQSLyric>(*r.M(1), kind::Term)) {
    EXPECT_EQ(t->Fields.FontStyle & fsItalic, fsItalic);
    EXPECT_GT(t->Fields.OffsetY, 0);  // below, where the sign would be
  }
  EXPECT_EQ(DynamicKinds(*r.M(2)), (std::vector<int>{kSforzando, kMezzoForte, kForzando, kPianississimo}));
}

// The letters of each dynamics kind, and the side of each fermata kind,
// are the same for the reader, the writer and the glyph the music font
// draws for the kind.
TEST(MusicXmlEngraving, DynamicsAndFermatasAgreeWithTheFontAndTheWriter) {
  std::ifstream table(platform::FindResource("fonts/quavero-glyphs.tsv"));
  ASSERT_TRUE(table.good());
  std::map<int, std::string> meanings;
  std::string line;
  while (std::getline(table, line)) {
    std::istringstream fields(line);
    std::string code, meaning;
    std::getline(fields, code, '\t');
    std::getline(fields, meaning, '\t');
    if (!code.empty() && std::isdigit(static_cast<unsigned char>(code[0]))) meanings[std::stoi(code)] = meaning;
  }
  for (int k = 0; k < dynamic::kLetterKindCount; ++k) {
    const std::string letters = dynamic::kLetters[k];
    const std::string meaning = meanings[dynamic::kFirstGlyph + k];
    EXPECT_TRUE(meaning == "dynamic " + letters || meaning.starts_with("dynamic " + letters + " "))
        << "kind " << k << " is " << letters << " but the font draws " << meaning;
    auto score = ImportText(OnePart(Measure1("<direction><direction-type><dynamics><" + letters +
                                             "/></dynamics></direction-type></direction>")));
    TQSMeasure& m = *LastPiece(*score)->GetPart(0)->GetMeasure(0);
    ASSERT_EQ(DynamicKinds(m), std::vector<int>{k}) << letters;
    const std::string xml = ExportText(*score, *LastPiece(*score));
    EXPECT_NE(xml.find("<" + letters + "/>"), std::string::npos) << letters;
  }
  // Fermatas likewise: the upright one is the kind the font draws above.
  for (const char* type : {"upright", "inverted"}) {
    auto score = ImportText(OnePart(Measure1(
        "<note><pitch><step>C</step><octave>5</octave></pitch><duration>4</duration><type>whole</type>"
        "<notations><fermata type='" + std::string(type) + "'/></notations></note>")));
    auto fermatas = ItemsOf<TQSMark>(*LastPiece(*score)->GetPart(0)->GetMeasure(0), kind::Fermata);
    ASSERT_EQ(fermatas.size(), 1u);
    EXPECT_EQ(meanings[glyphs::FermataAbove + fermatas[0]->Fields.Kind],
              std::string(type) == "upright" ? "fermata above" : "fermata below");
    EXPECT_NE(ExportText(*score, *LastPiece(*score)).find("<fermata type=\"" + std::string(type) + "\"/>"),
              std::string::npos);
  }
}

// What the first page of a laid-out score paints.
std::vector<TCanvasOp> PaintFirstPage(TQSScore& score) {
  LoadMusicFont();
  LayoutScore(score, 0);
  TQSPageView view;
  score.AttachWindow(&view);
  TRecordingCanvas rec;
  view.PaintPage(0, rec.Canvas, nullptr, 100, 100, 0, 0);
  score.DetachWindow(&view);
  return rec.Recorder->CanvasOps();
}

int GlyphCount(const std::vector<TCanvasOp>& ops, uint8_t code) {
  return static_cast<int>(std::count_if(ops.begin(), ops.end(), [&](const TCanvasOp& o) {
    return o.Kind == TCanvasOpKind::Text && o.Font.Name == MusicFontName && !o.Text.empty() &&
           MusicGlyphCode(o.Text[0]) == code;
  }));
}

struct TNoteAt {
  int Time, Length, Real;
  bool operator==(const TNoteAt&) const = default;
};
std::ostream& operator<<(std::ostream& o, const TNoteAt& n) {
  return o << "{" << n.Time << "," << n.Length << "," << n.Real << "}";
}
std::vector<TNoteAt> NotesAt(const TQSMeasure& m) {
  std::vector<TNoteAt> out;
  for (TQSNote* n : NotesOf(m)) out.push_back({n->Fields.Time, n->Fields.Length, n->Fields.RealLength});
  return out;
}

// A tremolo's 2:1 and a 9:4 are no tuplets the score has: the notes keep
// the file's durations and stay inside their measures; a 3:2 still makes
// its triplet.
TEST(MusicXmlEngraving, TimeModificationsWithoutATupletKeepTheirDurations) {
  auto r = ImportFixture("tuplets.xml");
  EXPECT_EQ(NotesAt(*r.M(0)), (std::vector<TNoteAt>{{0, 256, 128}, {128, 256, 128}, {256, 256, 256}}));
  std::vector<TNoteAt> nine;
  for (int i = 0; i < 9; ++i) nine.push_back({14 * i, 32, 14});
  nine.push_back({126, 256, 384});
  EXPECT_EQ(NotesAt(*r.M(1)), nine);
  for (int m = 0; m < 2; ++m) EXPECT_TRUE(ItemsOf<TQSMark>(*r.M(m), kind::Tuplet).empty()) << m;
  EXPECT_EQ(NotesAt(*r.M(2)), (std::vector<TNoteAt>{{0, 64, 42}, {42, 64, 43}, {85, 64, 43}, {128, 256, 384}}));
  auto tuplets = ItemsOf<TQSMark>(*r.M(2), kind::Tuplet);
  ASSERT_EQ(tuplets.size(), 1u);
  EXPECT_EQ(tuplets[0]->Fields.Kind, 3);
}

// Grace notes after the last note of a voice follow that note; slashed
// grace notes keep their slash.
TEST(MusicXmlEngraving, GraceNotesAfterTheLastNoteFollowIt) {
  auto r = ImportFixture("graces.xml");
  auto after = ItemsOf<TQSVorschlag>(*r.M(0), kind::Vorschlag);
  ASSERT_EQ(after.size(), 1u);
  EXPECT_EQ(after[0]->Fields.Time, 384);
  EXPECT_TRUE(after[0]->IsAfter());
  EXPECT_TRUE(after[0]->IsShortStyle());
  EXPECT_EQ(after[0]->ItemCount(), 2);
  auto before = ItemsOf<TQSVorschlag>(*r.M(1), kind::Vorschlag);
  ASSERT_EQ(before.size(), 1u);
  EXPECT_EQ(before[0]->Fields.Time, 0);
  EXPECT_FALSE(before[0]->IsAfter());
  EXPECT_FALSE(before[0]->IsShortStyle());
}

// Two voices on a staff: rests apart, stems apart. One voice: stems by
// staff position (a chord by its note furthest from the middle line), and
// a stem the file gives stays.
TEST(MusicXmlEngraving, VoicesSetRestOffsetsAndStems) {
  auto r = ImportFixture("voices.xml");
  auto rests = RestsOf(*r.M(0));
  ASSERT_EQ(rests.size(), 2u);
  EXPECT_EQ(rests[0]->Fields.StaffVoice, 0x00);
  EXPECT_EQ(rests[0]->Fields.OffsetY, -TQSPause::kVoiceOffset);
  EXPECT_EQ(rests[1]->Fields.StaffVoice, 0x01);
  EXPECT_EQ(rests[1]->Fields.OffsetY, TQSPause::kVoiceOffset);
  auto stems = [](const TQSMeasure& m) {
    std::string s;
    for (TQSNote* n : NotesOf(m)) s += n->IsStemDown() ? 'd' : 'u';
    return s;
  };
  EXPECT_EQ(stems(*r.M(0)), "uud");  // C5 and D5 of voice 1 up, G4 of voice 2 down
  EXPECT_EQ(stems(*r.M(1)), "dudd");  // B4 on the middle line down, A4 up, F4 with A5 down
  EXPECT_EQ(RestsOf(*r.M(1))[0]->Fields.OffsetY, 0);
  EXPECT_EQ(stems(*r.M(2)), "dd");  // D3 under the bass clef down; C3 down as written
}

// MusicXML counts strings from the highest; the score from the lowest.
TEST(MusicXmlEngraving, TablatureStringsCountFromTheLowest) {
  auto r = ImportFixture("tablature.xml");
  std::vector<int> strings;
  for (TQSNote* n : NotesOf(*r.M(0))) strings.push_back(n->Fields.TabString);
  EXPECT_EQ(strings, (std::vector<int>{5, 0, 2, 0}));  // strings 1, 6, 4 and a ninth that is not there
}

// An extender alone makes no syllable; a verse named by a word gets the
// verse after the highest.
TEST(MusicXmlEngraving, LyricsWithoutTextAndNamedVerses) {
  auto r = ImportFixture("lyrics.xml");
  std::vector<std::pair<int, std::string>> lyrics;
  for (TQSLyric* l : ItemsOf<TQSLyric>(*r.M(0), kind::Lyric)) lyrics.push_back({l->Fields.Verse, l->Lines.at(0)});
  EXPECT_EQ(lyrics, (std::vector<std::pair<int, std::string>>{{0, "Sing"}, {1, "Ring"}, {2, "Hey"}, {2, "ho"}}));
}

// Dots live in the dot mark's value and are drawn as many as there are;
// the opening 4/4 stays with its common-time sign, 2/2 with its cut sign;
// a breve keeps its length and is drawn with the breve head.
TEST(MusicXmlEngraving, DotsMetersAndBreves) {
  auto r = ImportFixture("values.xml");
  auto notes = NotesOf(*r.M(0));
  ASSERT_EQ(notes.size(), 2u);
  EXPECT_EQ(DotCount(*notes[0]), 2);
  EXPECT_EQ(notes[0]->Fields.RealLength, 448);
  EXPECT_EQ(DotCount(*notes[1]), 0);
  EXPECT_EQ(DotCount(*NotesOf(*r.M(1))[0]), 1);
  auto meter = [&](int column) { return ItemsOf<TQSMark>(*r.Piece->GetColumn(column), kind::Meter).at(0); };
  EXPECT_EQ(meter(0)->Fields.Value, MakeMeter(4, 4));
  EXPECT_EQ(meter(0)->Fields.Style, TQSMark::kMeterCommon);
  EXPECT_EQ(meter(1)->Fields.Value, MakeMeter(2, 2));
  EXPECT_EQ(meter(1)->Fields.Style, TQSMark::kMeterCut);
  EXPECT_EQ(meter(2)->Fields.Value, MakeMeter(4, 2));
  EXPECT_EQ(meter(2)->Fields.Style, 0);
  EXPECT_EQ(NotesAt(*r.M(2)), (std::vector<TNoteAt>{{0, 1024, 1024}}));

  const std::vector<TCanvasOp> ops = PaintFirstPage(*r.Score);
  const int dots = static_cast<int>(
      std::count_if(ops.begin(), ops.end(), [](const TCanvasOp& o) { return o.Kind == TCanvasOpKind::Ellipse; }));
  EXPECT_EQ(dots, 3);  // two on the double-dotted half, one on the dotted half
  EXPECT_EQ(GlyphCount(ops, glyphs::TimeSigCommon), 1);  // the common-time sign
  EXPECT_EQ(GlyphCount(ops, glyphs::TimeSigCutCommon), 1);  // alla breve's sign
  EXPECT_EQ(GlyphCount(ops, glyphs::NoteheadDoubleWhole), 1);   // the breve head
  EXPECT_EQ(GlyphCount(ops, glyphs::NoteheadBlack), 1);   // the eighth's; none for the breve
}

// Chord kinds other than the major and minor families keep their
// quality and alterations, as the chord palette would write them.
TEST(MusicXmlEngraving, HarmonyKindsKeepTheirChordCodes) {
  using namespace chordcode;
  auto r = ImportFixture("harmony.xml");
  std::vector<std::vector<uint8_t>> codes;
  for (int m = 0; m < 3; ++m)
    for (TQSChord* c : ItemsOf<TQSChord>(*r.M(m), kind::Chord)) codes.push_back(c->Definition);
  const uint8_t flat5 = kAlter5 + Alteration(kSharpFlat, kLowered);
  const std::vector<std::vector<uint8_t>> expected = {
      {2, 0, 0x00, kBase + kSeventh},                                                        // C dominant
      {3, 0, 0x01, kBase, kAlter5 + Alteration(kSharpFlat, kRaised)},                        // D augmented
      {4, 0, 0x02, kMinor, kBase, flat5},                                                    // E diminished
      {5, 0, 0x13, kMinor, kBase, flat5, kAlter7 + Alteration(kWords, kLowered)},            // F# diminished 7th
      {4, 0, 0x04, kMinor, kBase + kSeventh, flat5},                                         // G half-diminished
      {4, 0, 0x05, kMinor, kBase, kAlter7 + Alteration(kSharpFlat, kRaised)},                // A major-minor
      {2, 0, 0x26, kBase + kNinth},                                                          // Bb dominant 9th
      {2, 0, 0x00, kBase + kEleventh},                                                       // C dominant 11th
      {2, 1, 0x01, kBase + kThirteenth, 0x13},                                               // D13 over F#
      {3, 0, 0x22, kMajor, kBase + kSeventh},                                                // Eb major 7th
  };
  EXPECT_EQ(codes, expected);
  // The writer names each code by its kind again.
  static const char* const kKinds[] = {"dominant",        "augmented",     "diminished",    "diminished-seventh",
                                       "half-diminished", "major-minor",   "dominant-ninth", "dominant-11th",
                                       "dominant-13th",   "major-seventh"};
  for (size_t i = 0; i < expected.size(); ++i)
    EXPECT_EQ(MusicXmlNames[static_cast<size_t>(kFirstHarmonyKind + HarmonyKindOfCode(expected[i]))],
              std::string(kKinds[i]));
}

// Signs stand clear of the notes: dynamics and hairpins below the lowest
// head or stem end (never above where the file's placement puts them),
// fermatas above the highest (inverted ones below the lowest); slurs go
// where the file places them; a heavy-light bar at the end closes the
// music; the vertical fill stays on.
TEST(MusicXmlEngraving, SignsStandClearOfTheNotes) {
  auto r = ImportFixture("placement.xml");
  const int space = 48, below = mxml::BelowOffset(*r.Score);  // at 96 pixels per inch
  ASSERT_EQ(ScreenPixelsPerInch(), 96);
  auto dyn = ItemsOf<TQSMark>(*r.M(0), kind::Dynamics);
  ASSERT_EQ(dyn.size(), 2u);
  // p under A3, whose stem down ends 160 below its head at position 12.
  const int lowestA3 = 12 * space / 2 + 160;
  EXPECT_GE(dyn[0]->Fields.OffsetY, lowestA3 + 2 * space);  // room for the letters' ascenders
  EXPECT_LT(dyn[0]->Fields.OffsetY, lowestA3 + 2 * space + 8);
  // The crescendo under G3 (position 13, stem up).
  const int lowestG3 = 13 * space / 2 + space / 2;
  EXPECT_GE(dyn[1]->Fields.OffsetY, lowestG3 + space);
  EXPECT_LT(dyn[1]->Fields.OffsetY, lowestG3 + space + 8);
  // f over a G4 clears the staff's bottom line, lower than the placement's
  // own offset.
  const int f = ItemsOf<TQSMark>(*r.M(1), kind::Dynamics).at(0)->Fields.OffsetY;
  EXPECT_GT(below, 4 * space);
  EXPECT_EQ(f, 6 * space);
  // The fermata above E5's stem end (position 1, stem 160 up), the
  // inverted one below C5's stem end (position 3, stem down).
  EXPECT_EQ(ItemsOf<TQSMark>(*r.M(0), kind::Fermata).at(0)->Fields.OffsetY, space / 2 - 160 - space);
  auto inverted = ItemsOf<TQSMark>(*r.M(1), kind::Fermata).at(0);
  EXPECT_EQ(inverted->Fields.Kind, 1);
  EXPECT_EQ(inverted->Fields.OffsetY, 3 * space / 2 + 160 + space);
  // A slur placed below a stem-down note, one placed above a stem-up note.
  EXPECT_TRUE(Attached<TQSLiga>(*NotesOf(*r.M(0))[0], kind::Liga).at(0)->IsBelow());
  EXPECT_FALSE(Attached<TQSLiga>(*NotesOf(*r.M(1))[0], kind::Liga).at(0)->IsBelow());
  auto end = ItemsOf<TQSMark>(*r.Piece->GetColumn(1), kind::CompositionEnd);
  ASSERT_EQ(end.size(), 1u);
  EXPECT_EQ(end[0]->Fields.Time, 512);
  EXPECT_EQ(r.Score->VertAlign, 1);
}

}  // namespace
}  // namespace qs::test
