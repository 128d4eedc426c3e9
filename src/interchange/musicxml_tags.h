#pragma once
// The MusicXML reader's first stage and the name table shared by the reader
// and the writer.
//
// The tokenizer turns a document into a flat list of records, one per
// element and one per attribute (in the order met); an attribute's record
// lies one level deeper than its element, like the element's children. An
// element's Text is the text that stands right before its closing tag, with
// character and entity references decoded and CR, LF and TAB left out.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qs {

class TStream;

// Entries 0-8 note types, 9-29 harmony kinds, 30-145 the element and
// attribute names (code = entry - 29, so 1..116), 146 the line end, 147 the
// writer's indentation.
constexpr int kMusicXmlNameCount = 148;
extern const std::array<const char*, kMusicXmlNameCount> MusicXmlNames;
constexpr int kFirstTypeName = 0, kFirstHarmonyKind = 9, kFirstElementName = 30;

// The chord code elements (score/chordcode.h) that stand for each harmony
// kind, in the order the chord palette writes them; index 0-20 is the kind's
// entry in MusicXmlNames minus kFirstHarmonyKind.
constexpr int kHarmonyKindCount = 21;
struct THarmonyKindCode {
  uint8_t Count;
  std::array<uint8_t, 4> Elements;
};
extern const std::array<THarmonyKindCode, kHarmonyKindCount> HarmonyKindCodes;
// The harmony kind whose elements are exactly those of a chord code; -1
// when no kind has them.
int HarmonyKindOfCode(const std::vector<uint8_t>& code);

// Kinds other programs write that the name table does not list, with the
// chord code elements they read as.
struct THarmonyOtherKind {
  const char* Name;
  THarmonyKindCode Code;
};
constexpr int kHarmonyOtherKindCount = 4;
extern const std::array<THarmonyOtherKind, kHarmonyOtherKindCount> HarmonyOtherKinds;
// The kind for "no chord".
constexpr const char* kHarmonyNoChord = "none";

// How a chord code is written: the kind's name and, for the elements the
// kind does not account for, degrees (value, alteration -1..1, type).
struct THarmonyDegree {
  int Value, Alter;
  const char* Type;
};
struct THarmonyWriting {
  const char* Kind;
  std::vector<THarmonyDegree> Degrees;
};
THarmonyWriting HarmonyWritingOfCode(const std::vector<uint8_t>& code);

// How the clefs of the score are written: sign, line (0 when the sign has
// none) and octave change. The writer takes a clef's first row, the reader
// the row that matches the file best.
struct TMusicXmlClef {
  uint8_t Kind;
  const char* Sign;
  int Line;
  int Octave;
};
extern const std::array<TMusicXmlClef, 15> MusicXmlClefs;
// The row of a clef kind; treble's for a kind without a row.
const TMusicXmlClef& MusicXmlClefOf(int kind);
// The clef kind of a sign (any case), line (0 when not given) and octave
// change: the row of the sign with that line and octave, else with that
// line (and an octave change the same way), else the sign's first row with
// that octave, else its first row; treble for an unknown sign ("none"
// among them).
uint8_t ClefKindOfMusicXml(std::string_view sign, int line, int octave);

// Element codes: the entry of the name minus 29.
namespace mx {
enum : int {
  None = 0, Work, Identification, PartList, Part, WorkNumber, WorkTitle, Creator, Rights, Encoding,
  ScorePart, Id, Measure, Type, Software, EncodingDate, PartName, ScoreInstrument, MidiInstrument,
  MidiChannel, MidiProgram, Number, Attributes, Divisions, Key, Fifths, Mode, Time, Staves, Beats,
  BeatType, Clef, Sign, Line, Note, Rest, Duration, Voice, Staff, Pitch, Step, Alter, Octave, Stem,
  Lyric, Syllabic, Text, Chord, Beam, Direction, Tie, Backup, Forward, Notations, Slur, Articulations,
  Staccato, Portamento, Placement, DirectionType, Dynamics, RelativeY, RelativeX, Sound, Fff, Ff, F,
  Fp, P, Pp, Ppp, Directive, Wedge, Barline, BarStyle, Repeat, Ending, Location, TimeModification,
  ActualNotes, NormalNotes, Dot, DoubleDot, Words, FontStyle, FontWeight, Pedal, Print, NewSystem,
  NewPage, MovementNumber, MovementTitle, Fermata, Tied, Tempo, NormalType, StaffDetails, StaffLines,
  StaffTuning, TuningStep, TuningOctave, Technical, String, Fret, Harmony, Root, RootStep, RootAlter,
  Kind, Bass, BassStep, BassAlter, Accent, InstrumentName, Grace, StealTimePrevious,
  StealTimeFollowing,
  // Names read beyond the table above: the dynamics the writer also uses,
  // the dynamics the reader maps onto the nearest kind, and further
  // elements and attributes the reader looks at.
  Mp, Mf, Sf, Sfz, Fz, Sffz, Pppp, Ppppp, Pppppp, Ffff, Fffff, Ffffff, Sfp, Sfpp, Rf, Rfz, OtherDynamics,
  Slash, Symbol, Unpitched, DisplayStep, DisplayOctave, ClefOctaveChange, PrintObject, Metronome,
  BeatUnit, BeatUnitDot, PerMinute, OctaveShift, Size, Tenuto, StrongAccent, TrillMark, Mordent,
  InvertedMordent, Turn, Arpeggiate, BreathMark, Fingering, UpBow, DownBow, Rehearsal, Segno, Coda,
  Transpose, Chromatic, OctaveChange, PartGroup, GroupSymbol, PartAbbreviation, Elision, Ornaments, MidiUnpitched,
  Instrument, Cue, Notehead, Tremolo, Credit, CreditType, CreditWords, CreditPage, DefaultX, DefaultY, Justify,
  Halign, Valign, FontSize, Scaling, Millimeters, Tenths, PageWidth, PageHeight, Tuplet, Degree, DegreeValue, DegreeAlter, DegreeType, WrittenAccidental, WavyLine, Orientation, Glissando, Slide,
  Bracket, LineEnd,
  Count
};
}  // namespace mx

// The element code of a name, compared without regard to ASCII case; 0
// for a name not in the table.
int ElementCode(std::string_view name);
// The table's name of an element code (extra names included).
const char* ElementName(int code);

struct TQSTag {
  std::string_view Name;  // in the list's Document
  std::string Text;
  int32_t Depth = 0;
  bool IsAttribute = false;
  int Code = 0;         // ElementCode(Name)
  uint32_t Offset = 0;  // where the tag begins in the decoded document
};

// The tags' names point into the document the list keeps: a list is
// moved, never copied.
class TQSTagList {
 public:
  TQSTagList() = default;
  TQSTagList(TQSTagList&&) = default;
  TQSTagList& operator=(TQSTagList&&) = default;
  TQSTagList(const TQSTagList&) = delete;
  TQSTagList& operator=(const TQSTagList&) = delete;

  std::vector<TQSTag> Tags;
  int MaxDepth = 0;
  // The document as UTF-8, kept for line numbers in messages.
  std::string Document;

  // "line n" of a tag, for messages.
  int LineOf(const TQSTag& tag) const;
};

// Reads the whole stream. The document's encoding comes from its byte
// order mark or its declaration (UTF-8 when it names none); UTF-8, UTF-16,
// ISO-8859-1, US-ASCII, Windows-1252 and Windows-1251 are understood.
// Comments, processing instructions and the document type declaration are
// skipped; CDATA sections are text. Raises EMusicXmlError for markup that
// does not nest or ends early.
TQSTagList TokenizeMusicXml(TStream& stream);
TQSTagList TokenizeMusicXml(std::string_view bytes);

// Decodes the character and entity references of a text (&amp; &lt; &gt;
// &quot; &apos; &#n; &#xh;) and appends it to out; unknown references are
// kept as they stand.
void AppendXmlText(std::string& out, std::string_view raw);
// The text with &, <, >, " and ' escaped, for the writer.
std::string EscapeXmlText(std::string_view text);

}  // namespace qs
