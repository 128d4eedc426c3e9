#include "interchange/musicxml_tags.h"

#include <algorithm>
#include <cstring>

#include "base/hugepages.h"
#include "base/stream.h"
#include "base/strings.h"
#include "base/text.h"
#include "interchange/musicxml.h"
#include "score/chordcode.h"
#include "score/clefs.h"

namespace qs {

const std::array<const char*, kMusicXmlNameCount> MusicXmlNames = {
    // note types
    "whole", "half", "quarter", "eighth", "16th", "32nd", "64th", "128th", "256th",
    // harmony kinds
    "major", "minor", "augmented", "diminished", "dominant", "major-seventh", "minor-seventh",
    "diminished-seventh", "half-diminished", "major-minor", "major-sixth", "minor-sixth", "dominant-ninth",
    "major-ninth", "minor-ninth", "dominant-11th", "major-11th", "minor-11th", "dominant-13th", "major-13th",
    "minor-13th",
    // elements and attributes, codes 1..116
    "work", "identification", "part-list", "part", "work-number", "work-title", "creator", "rights",
    "encoding", "score-part", "id", "measure", "type", "software", "encoding-date", "part-name",
    "score-instrument", "midi-instrument", "midi-channel", "midi-program", "number", "attributes",
    "divisions", "key", "fifths", "mode", "time", "staves", "beats", "beat-type", "clef", "sign", "line",
    "note", "rest", "duration", "voice", "staff", "pitch", "step", "alter", "octave", "stem", "lyric",
    "syllabic", "text", "chord", "beam", "direction", "tie", "backup", "forward", "notations", "slur",
    "articulations", "staccato", "portamento", "placement", "direction-type", "dynamics", "relative-y",
    "relative-x", "sound", "fff", "ff", "f", "fp", "p", "pp", "ppp", "directive", "wedge", "barline",
    "bar-style", "repeat", "ending", "location", "time-modification", "actual-notes", "normal-notes", "dot",
    "double-dot", "words", "font-style", "font-weight", "pedal", "print", "new-system", "new-page",
    "movement-number", "movement-title", "fermata", "tied", "tempo", "normal-type", "staff-details",
    "staff-lines", "staff-tuning", "tuning-step", "tuning-octave", "technical", "string", "fret", "harmony",
    "root", "root-step", "root-alter", "kind", "bass", "bass-step", "bass-alter", "accent",
    "instrument-name", "grace", "steal-time-previous", "steal-time-following",
    // line end and indentation
    "\r\n", "\t\t\t\t\t\t\t\t\t\t"};

static_assert(mx::StealTimeFollowing == 116);

namespace {
using namespace chordcode;
constexpr uint8_t kSharp5 = kAlter5 + Alteration(kSharpFlat, kRaised);
constexpr uint8_t kFlat5 = kAlter5 + Alteration(kSharpFlat, kLowered);
}  // namespace

const std::array<THarmonyKindCode, kHarmonyKindCount> HarmonyKindCodes = {{
    {1, {kBase + kTriad}},                                                   // major: C
    {2, {kMinor, kBase + kTriad}},                                           // minor: Cm
    {2, {kBase + kTriad, kSharp5}},                                          // augmented: C#5
    {3, {kMinor, kBase + kTriad, kFlat5}},                                   // diminished: Cmb5
    {1, {kBase + kSeventh}},                                                 // dominant: C7
    {2, {kMajor, kBase + kSeventh}},                                         // major-seventh: Cmaj7
    {2, {kMinor, kBase + kSeventh}},                                         // minor-seventh: Cm7
    {4, {kMinor, kBase + kTriad, kFlat5, kAlter7 + Alteration(kWords, kLowered)}},  // diminished-seventh: Cmb5dim7
    {3, {kMinor, kBase + kSeventh, kFlat5}},                                 // half-diminished: Cm7b5
    {3, {kMinor, kBase + kTriad, kAlter7 + Alteration(kSharpFlat, kRaised)}},  // major-minor: Cm#7
    {1, {kBase + kSixth}},                                                   // major-sixth: C6
    {2, {kMinor, kBase + kSixth}},                                           // minor-sixth: Cm6
    {1, {kBase + kNinth}},                                                   // dominant-ninth: C9
    {2, {kMajor, kBase + kNinth}},                                           // major-ninth: Cmaj9
    {2, {kMinor, kBase + kNinth}},                                           // minor-ninth: Cm9
    {1, {kBase + kEleventh}},                                                // dominant-11th: C11
    {2, {kMajor, kBase + kEleventh}},                                        // major-11th: Cmaj11
    {2, {kMinor, kBase + kEleventh}},                                        // minor-11th: Cm11
    {1, {kBase + kThirteenth}},                                              // dominant-13th: C13
    {2, {kMajor, kBase + kThirteenth}},                                      // major-13th: Cmaj13
    {2, {kMinor, kBase + kThirteenth}},                                      // minor-13th: Cm13
}};

const std::array<THarmonyOtherKind, kHarmonyOtherKindCount> HarmonyOtherKinds = {{
    {"suspended-fourth", {2, {kBase + kTriad, kSus + 2}}},   // Csus4
    {"suspended-second", {2, {kBase + kTriad, kSus + 1}}},   // Csus2
    {"augmented-seventh", {2, {kBase + kSeventh, kSharp5}}},  // C7#5
    {"power", {2, {kBase + kTriad, kOmit + 2}}},             // C no3
}};

int HarmonyKindOfCode(const std::vector<uint8_t>& code) {
  if (code.size() < 3 || code[kCountOffset] == 0) return -1;
  const size_t end = std::min<size_t>(code.size(), static_cast<size_t>(code[kCountOffset]) + 2);
  const std::vector<uint8_t> elements(code.begin() + kFirstElementOffset, code.begin() + static_cast<std::ptrdiff_t>(end));
  for (int i = 0; i < kHarmonyKindCount; ++i) {
    const THarmonyKindCode& k = HarmonyKindCodes[static_cast<size_t>(i)];
    if (std::equal(elements.begin(), elements.end(), k.Elements.begin(), k.Elements.begin() + k.Count) &&
        elements.size() == k.Count)
      return i;
  }
  return -1;
}

namespace {

bool Matches(const std::vector<uint8_t>& elements, const THarmonyKindCode& k) {
  return elements.size() == k.Count && std::equal(elements.begin(), elements.end(), k.Elements.begin());
}

// The degree an alteration element names: 5, 7, 9, 11 or 13.
int DegreeOf(uint8_t b) {
  switch (HighNibble(b)) {
    case kAlter5: return 5;
    case kAlter7: return 7;
    case kAlter9: return 9;
    case kAlter11: return 11;
    case kAlter13: return 13;
    default: return 0;
  }
}

}  // namespace

THarmonyWriting HarmonyWritingOfCode(const std::vector<uint8_t>& code) {
  THarmonyWriting w{MusicXmlNames[kFirstHarmonyKind], {}};
  if (code.size() < 3 || code[kCountOffset] == 0) {
    w.Kind = kHarmonyNoChord;
    return w;
  }
  const size_t end = std::min<size_t>(code.size(), static_cast<size_t>(code[kCountOffset]) + 2);
  std::vector<uint8_t> elements(code.begin() + kFirstElementOffset, code.begin() + static_cast<std::ptrdiff_t>(end));
  if (int k = HarmonyKindOfCode(code); k >= 0) {
    w.Kind = MusicXmlNames[static_cast<size_t>(kFirstHarmonyKind + k)];
    return w;
  }
  for (const THarmonyOtherKind& k : HarmonyOtherKinds)
    if (Matches(elements, k.Code)) {
      w.Kind = k.Name;
      return w;
    }
  // Otherwise the family of the extent (dominant, major or minor), or a
  // suspended triad, and the rest as degrees.
  int extent = 0;
  bool minor = false, major = false;
  uint8_t sus = 0;
  for (uint8_t b : elements) {
    if (HighNibble(b) == kBase) extent = std::min<int>(LowNibble(b), kThirteenth);
    if (HighNibble(b) == kMinor) minor = true;
    if (HighNibble(b) == kMajor) major = true;
    if (HighNibble(b) == kSus && (LowNibble(b) == 1 || LowNibble(b) == 2)) sus = b;
  }
  static const int kDominant[6] = {0, 10, 4, 12, 15, 18}, kMajorFamily[6] = {0, 10, 5, 13, 16, 19};
  int kind;
  if (extent <= kSixth) kind = kMajorFamily[extent] + (minor ? 1 : 0);
  else kind = minor ? kMajorFamily[extent] + 1 : major ? kMajorFamily[extent] : kDominant[extent];
  w.Kind = MusicXmlNames[static_cast<size_t>(kFirstHarmonyKind + kind)];
  if (sus && !minor && !major && extent <= kSeventh) {
    w.Kind = LowNibble(sus) == 2 ? HarmonyOtherKinds[0].Name : HarmonyOtherKinds[1].Name;
    if (extent == kSeventh) w.Degrees.push_back({7, 0, "add"});
    if (extent == kSixth) w.Degrees.push_back({6, 0, "add"});
  } else if (sus) {
    w.Degrees.push_back({LowNibble(sus) == 2 ? 4 : 2, 0, "add"});
    w.Degrees.push_back({3, 0, "subtract"});
  }
  // The degrees the kind's extent holds are altered, the others added.
  static const int kHighest[6] = {5, 6, 7, 9, 11, 13};
  bool simple = false;
  for (uint8_t b : elements) {
    const uint8_t high = HighNibble(b), low = LowNibble(b);
    if (high == kAdd) {
      simple = low == kAddSimple;
      continue;
    }
    if (high == kOmit) {
      w.Degrees.push_back({(low & 1) ? 5 : 3, 0, "subtract"});
    } else if (int degree = DegreeOf(b)) {
      const int alter = low == 0 || low > 8 ? 0 : (low & 1) ? 1 : -1;
      const bool held = degree == 5 || (degree == 7 && extent >= kSeventh) || (degree > 7 && degree <= kHighest[extent]);
      int value = degree;
      if (simple && degree > 7) value -= 7;
      w.Degrees.push_back({value, alter, held && alter != 0 ? "alter" : "add"});
    }
    simple = false;
  }
  return w;
}

const std::array<TMusicXmlClef, 15> MusicXmlClefs = {{
    {clef::Treble, "G", 2, 0},
    {clef::TrebleOctaveDown, "G", 2, -1},
    {clef::TrebleOctaveUp, "G", 2, 1},
    // Its notes stand where a treble clef puts them; no file clef is
    // drawn so.
    {clef::DoubleTreble, "G", 2, 0},
    {clef::Bass, "F", 4, 0},
    {clef::BassOctaveDown, "F", 4, -1},
    {clef::BaritoneF, "F", 3, 0},
    {clef::Alto, "C", 3, 0},
    {clef::Tenor, "C", 4, 0},
    {clef::Soprano, "C", 1, 0},
    {clef::MezzoSoprano, "C", 2, 0},
    {clef::BaritoneC, "C", 5, 0},
    {clef::Tablature, "TAB", 5, 0},
    {clef::Percussion1, "percussion", 0, 0},
    {clef::Percussion2, "percussion", 0, 0},
}};

const TMusicXmlClef& MusicXmlClefOf(int kind) {
  for (const TMusicXmlClef& c : MusicXmlClefs)
    if (c.Kind == kind) return c;
  return MusicXmlClefs[0];
}

uint8_t ClefKindOfMusicXml(std::string_view sign, int line, int octave) {
  const std::string s = Trim(sign);
  const TMusicXmlClef* best = nullptr;
  int bestScore = -1;
  for (const TMusicXmlClef& c : MusicXmlClefs) {
    if (!SameText(s, c.Sign)) continue;
    // A clef two octaves up or down takes the one-octave clef of its
    // direction, the nearest the score has.
    const bool sameWay = (octave > 0 && c.Octave > 0) || (octave < 0 && c.Octave < 0);
    const int score = (line == c.Line ? 4 : 0) + (octave == c.Octave ? 2 : 0) + (sameWay ? 1 : 0);
    if (score > bestScore) best = &c, bestScore = score;
  }
  return best ? best->Kind : clef::Treble;
}

namespace {

constexpr const char* kExtraNames[] = {"mp",     "mf",  "sf",   "sfz",  "fz", "sffz", "pppp", "ppppp", "pppppp",
                                       "ffff",   "fffff", "ffffff", "sfp", "sfpp", "rf", "rfz", "other-dynamics",
                                       "slash",  "symbol", "unpitched", "display-step", "display-octave",
                                       "clef-octave-change", "print-object", "metronome", "beat-unit",
                                       "beat-unit-dot", "per-minute", "octave-shift", "size", "tenuto",
                                       "strong-accent", "trill-mark", "mordent", "inverted-mordent", "turn",
                                       "arpeggiate", "breath-mark", "fingering", "up-bow", "down-bow",
                                       "rehearsal", "segno", "coda", "transpose", "chromatic", "octave-change",
                                       "part-group", "group-symbol", "part-abbreviation", "elision", "ornaments",
                                       "midi-unpitched", "instrument", "cue", "notehead", "tremolo", "credit",
                                       "credit-type", "credit-words", "page", "default-x", "default-y", "justify",
                                       "halign", "valign", "font-size", "scaling", "millimeters", "tenths",
                                       "page-width", "page-height", "tuplet", "degree", "degree-value", "degree-alter", "degree-type", "accidental", "wavy-line", "orientation", "glissando", "slide",
                                       "bracket", "line-end"};
static_assert(mx::Count - mx::StealTimeFollowing - 1 == std::size(kExtraNames));

// Lower-case name -> code, sorted for binary search.
struct TNameIndex {
  std::vector<std::pair<std::string, int>> Entries;
  TNameIndex() {
    for (int code = 1; code < mx::Count; ++code) Entries.emplace_back(LowerCase(ElementName(code)), code);
    std::sort(Entries.begin(), Entries.end());
  }
};

int CompareNoCase(std::string_view a, std::string_view b) {
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    unsigned char ca = static_cast<unsigned char>(a[i]), cb = static_cast<unsigned char>(b[i]);
    if (ca >= 'A' && ca <= 'Z') ca = static_cast<unsigned char>(ca + 32);
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

[[noreturn]] void Fail(const std::string& message) { throw EMusicXmlError(message); }

int LineAt(std::string_view doc, size_t offset) {
  offset = std::min(offset, doc.size());
  return 1 + static_cast<int>(std::count(doc.begin(), doc.begin() + static_cast<std::ptrdiff_t>(offset), '\n'));
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// ---------------------------------------------------------------- encodings

std::string Utf16ToUtf8Bytes(std::string_view bytes, bool bigEndian) {
  std::u16string units;
  units.reserve(bytes.size() / 2);
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    auto b0 = static_cast<uint8_t>(bytes[i]), b1 = static_cast<uint8_t>(bytes[i + 1]);
    units.push_back(static_cast<char16_t>(bigEndian ? (b0 << 8) | b1 : (b1 << 8) | b0));
  }
  return Utf16ToUtf8(units);
}

std::string Latin1ToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 8);
  for (char c : bytes) AppendUtf8(out, static_cast<uint8_t>(c));
  return out;
}

// The encoding named in the declaration at the start of the document; ""
// when there is none.
std::string DeclaredEncoding(std::string_view doc) {
  if (doc.substr(0, 5) != "<?xml") return "";
  size_t end = doc.find("?>");
  std::string_view decl = doc.substr(0, end);
  size_t p = decl.find("encoding");
  if (p == std::string_view::npos) return "";
  p += 8;
  while (p < decl.size() && (IsBlank(decl[p]) || decl[p] == '=')) ++p;
  if (p >= decl.size() || (decl[p] != '"' && decl[p] != '\'')) return "";
  char quote = decl[p++];
  size_t q = decl.find(quote, p);
  if (q == std::string_view::npos) return "";
  return LowerCase(Trim(decl.substr(p, q - p)));
}

// The document converted to UTF-8.
// The document as UTF-8. Taken by value: a document in UTF-8 already, the
// usual case, becomes the result without a copy.
std::string DecodeDocument(std::string bytes) {
  const std::string_view view(bytes);
  if (view.substr(0, 3) == "\xEF\xBB\xBF") {
    bytes.erase(0, 3);
    return bytes;
  }
  if (view.substr(0, 2) == "\xFF\xFE") return Utf16ToUtf8Bytes(view.substr(2), false);
  if (view.substr(0, 2) == "\xFE\xFF") return Utf16ToUtf8Bytes(view.substr(2), true);
  // UTF-16 without a byte order mark still starts with "<".
  if (view.size() >= 2 && view[0] == '<' && view[1] == '\0') return Utf16ToUtf8Bytes(view, false);
  if (view.size() >= 2 && view[0] == '\0' && view[1] == '<') return Utf16ToUtf8Bytes(view, true);

  std::string enc = DeclaredEncoding(view);
  if (enc.empty() || enc == "utf-8" || enc == "utf8" || enc == "us-ascii" || enc == "ascii") return bytes;
  if (enc == "iso-8859-1" || enc == "latin1" || enc == "iso_8859-1" || enc == "latin-1")
    return Latin1ToUtf8(view);
  if (enc == "windows-1252" || enc == "cp1252") return AnsiToUtf8(view, CodePage::Windows1252);
  if (enc == "windows-1251" || enc == "cp1251") return AnsiToUtf8(view, CodePage::Windows1251);
  if (enc == "utf-16" || enc == "utf-16le" || enc == "utf-16be")
    return bytes;  // declared so but stored as 8-bit text: read it as it is
  Fail("The MusicXML file is in the encoding \"" + enc + "\", which cannot be read.");
}

// ---------------------------------------------------------------- scanner

class TScanner {
 public:
  explicit TScanner(TQSTagList& list) : list_(list), doc_(list.Document) {}

  void Run() {
    const size_t n = doc_.size();
    size_t pos = 0;
    while (pos < n) {
      const char* lt = static_cast<const char*>(std::memchr(doc_.data() + pos, '<', n - pos));
      size_t next = lt ? static_cast<size_t>(lt - doc_.data()) : n;
      AppendRun(std::string_view(doc_).substr(pos, next - pos));
      if (next >= n) break;
      pos = Markup(next);
    }
    if (!open_.empty())
      Fail(Format("The MusicXML file ends inside <%s> (line %d): it is incomplete.",
                  std::string(list_.Tags[open_.back()].Name).c_str(), LineAt(doc_, doc_.size())));
  }

 private:
  TQSTagList& list_;
  const std::string& doc_;
  std::vector<size_t> open_;  // records of the open elements
  std::string run_;           // text since the last tag

  void AppendRun(std::string_view raw) {
    if (raw.empty()) return;
    // Line ends and tabulators never reach a text.
    if (raw.find_first_of("\r\n\t&") == std::string_view::npos) {
      run_.append(raw);
      return;
    }
    std::string kept;
    kept.reserve(raw.size());
    for (char c : raw)
      if (c != '\r' && c != '\n' && c != '\t') kept += c;
    AppendXmlText(run_, kept);
  }

  size_t Find(std::string_view what, size_t from, size_t start) const {
    size_t p = doc_.find(what, from);
    if (p == std::string::npos)
      Fail(Format("The MusicXML file ends inside markup that begins on line %d: it is incomplete.",
                  LineAt(doc_, start)));
    return p;
  }

  // Handles the markup at pos ("<"); returns the position after it.
  size_t Markup(size_t pos) {
    std::string_view rest = std::string_view(doc_).substr(pos);
    if (rest.starts_with("<!--")) return Find("-->", pos + 4, pos) + 3;
    if (rest.starts_with("<![CDATA[")) {
      size_t end = Find("]]>", pos + 9, pos);
      run_.append(doc_, pos + 9, end - pos - 9);
      return end + 3;
    }
    if (rest.starts_with("<?")) return Find("?>", pos + 2, pos) + 2;
    if (rest.starts_with("<!")) return Declaration(pos);
    if (rest.starts_with("</")) return ClosingTag(pos);
    return OpeningTag(pos);
  }

  // <!DOCTYPE ...> with an optional internal subset and quoted literals.
  size_t Declaration(size_t pos) {
    int brackets = 0;
    for (size_t p = pos + 2; p < doc_.size(); ++p) {
      char c = doc_[p];
      if (c == '"' || c == '\'') {
        p = Find(std::string_view(&c, 1), p + 1, pos);
      } else if (c == '[') {
        ++brackets;
      } else if (c == ']') {
        --brackets;
      } else if (c == '>' && brackets <= 0) {
        return p + 1;
      }
    }
    Fail(Format("The MusicXML file ends inside markup that begins on line %d: it is incomplete.",
                LineAt(doc_, pos)));
  }

  size_t NameEnd(size_t p) const {
    while (p < doc_.size() && !IsBlank(doc_[p]) && doc_[p] != '>' && doc_[p] != '/' && doc_[p] != '=')
      ++p;
    return p;
  }
  size_t SkipBlanks(size_t p) const {
    while (p < doc_.size() && IsBlank(doc_[p])) ++p;
    return p;
  }
  [[noreturn]] void Truncated(size_t pos) const {
    Fail(Format("The MusicXML file ends inside a tag on line %d: it is incomplete.", LineAt(doc_, pos)));
  }

  size_t ClosingTag(size_t pos) {
    size_t end = NameEnd(pos + 2);
    std::string_view name = std::string_view(doc_).substr(pos + 2, end - pos - 2);
    size_t gt = SkipBlanks(end);
    if (gt >= doc_.size()) Truncated(pos);
    if (doc_[gt] != '>')
      Fail(Format("The closing tag </%.*s> on line %d is malformed.", static_cast<int>(name.size()),
                  name.data(), LineAt(doc_, pos)));
    if (open_.empty())
      Fail(Format("The closing tag </%.*s> on line %d has no element to close.", static_cast<int>(name.size()),
                  name.data(), LineAt(doc_, pos)));
    TQSTag& top = list_.Tags[open_.back()];
    if (CompareNoCase(name, top.Name) != 0)
      Fail(Format("The closing tag </%.*s> on line %d does not match <%s> on line %d.",
                  static_cast<int>(name.size()), name.data(), LineAt(doc_, pos), std::string(top.Name).c_str(),
                  LineAt(doc_, top.Offset)));
    top.Text = std::move(run_);
    run_.clear();
    open_.pop_back();
    return gt + 1;
  }

  size_t OpeningTag(size_t pos) {
    size_t end = NameEnd(pos + 1);
    if (end == pos + 1) {
      if (end >= doc_.size()) Truncated(pos);
      Fail(Format("A tag without a name stands on line %d.", LineAt(doc_, pos)));
    }
    const int depth = static_cast<int>(open_.size());
    const size_t element = AddTag(std::string_view(doc_).substr(pos + 1, end - pos - 1), depth, false, pos);
    size_t p = end;
    for (;;) {
      p = SkipBlanks(p);
      if (p >= doc_.size()) Truncated(pos);
      char c = doc_[p];
      if (c == '>') {
        open_.push_back(element);
        list_.MaxDepth = std::max(list_.MaxDepth, depth + 1);
        break;
      }
      if (c == '/') {
        if (p + 1 >= doc_.size()) Truncated(pos);
        if (doc_[p + 1] != '>') Fail(Format("The tag on line %d is malformed.", LineAt(doc_, pos)));
        ++p;
        break;
      }
      p = Attribute(p, depth + 1, pos);
    }
    run_.clear();
    return p + 1;
  }

  size_t Attribute(size_t p, int depth, size_t tagStart) {
    size_t end = NameEnd(p);
    if (end == p) Fail(Format("The tag on line %d is malformed.", LineAt(doc_, tagStart)));
    size_t tag = AddTag(std::string_view(doc_).substr(p, end - p), depth, true, p);
    p = SkipBlanks(end);
    if (p >= doc_.size()) Truncated(tagStart);
    if (doc_[p] != '=') return p;  // a name without a value
    p = SkipBlanks(p + 1);
    if (p >= doc_.size()) Truncated(tagStart);
    char quote = doc_[p];
    size_t vStart, vEnd, after;
    if (quote == '"' || quote == '\'') {
      vStart = p + 1;
      vEnd = doc_.find(quote, vStart);
      if (vEnd == std::string::npos) Truncated(tagStart);
      after = vEnd + 1;
    } else {  // an unquoted value, up to the next blank or the tag's end
      vStart = p;
      vEnd = p;
      while (vEnd < doc_.size() && !IsBlank(doc_[vEnd]) && doc_[vEnd] != '>' && doc_[vEnd] != '/') ++vEnd;
      after = vEnd;
    }
    std::string value;
    std::string_view raw = std::string_view(doc_).substr(vStart, vEnd - vStart);
    if (raw.find_first_of("\r\n\t&") == std::string_view::npos) {
      value.assign(raw);
    } else {
      std::string kept;
      for (char c : raw)
        if (c != '\r' && c != '\n' && c != '\t') kept += c;
      AppendXmlText(value, kept);
    }
    list_.Tags[tag].Text = std::move(value);
    return after;
  }

  size_t AddTag(std::string_view name, int depth, bool isAttribute, size_t offset) {
    std::vector<TQSTag>& tags = list_.Tags;
    // Geometric growth: a large document is read in linear time.
    if (tags.size() == tags.capacity()) tags.reserve(std::max<size_t>(100, tags.capacity() * 2));
    TQSTag& t = tags.emplace_back();
    t.Code = ElementCode(name);
    t.Name = name;
    t.Depth = depth;
    t.IsAttribute = isAttribute;
    t.Offset = static_cast<uint32_t>(std::min<size_t>(offset, UINT32_MAX));
    return tags.size() - 1;
  }
};

}  // namespace

const char* ElementName(int code) {
  if (code >= 1 && code <= mx::StealTimeFollowing) return MusicXmlNames[static_cast<size_t>(code + 29)];
  if (code > mx::StealTimeFollowing && code < mx::Count)
    return kExtraNames[static_cast<size_t>(code - mx::StealTimeFollowing - 1)];
  return "";
}

int ElementCode(std::string_view name) {
  static const TNameIndex index;
  const auto& e = index.Entries;
  size_t lo = 0, hi = e.size();
  while (lo < hi) {
    size_t mid = (lo + hi) / 2;
    int c = CompareNoCase(name, e[mid].first);
    if (c == 0) return e[mid].second;
    if (c < 0) hi = mid;
    else lo = mid + 1;
  }
  return 0;
}

int TQSTagList::LineOf(const TQSTag& tag) const { return LineAt(Document, tag.Offset); }

void AppendXmlText(std::string& out, std::string_view raw) {
  size_t i = 0;
  while (i < raw.size()) {
    size_t amp = raw.find('&', i);
    if (amp == std::string_view::npos) {
      out.append(raw.substr(i));
      return;
    }
    out.append(raw.substr(i, amp - i));
    size_t semi = raw.find(';', amp);
    std::string_view ref = semi == std::string_view::npos || semi - amp > 12
                               ? std::string_view()
                               : raw.substr(amp + 1, semi - amp - 1);
    bool done = true;
    if (ref == "amp") out += '&';
    else if (ref == "lt") out += '<';
    else if (ref == "gt") out += '>';
    else if (ref == "quot") out += '"';
    else if (ref == "apos") out += '\'';
    else if (ref.size() >= 2 && ref[0] == '#') {
      uint32_t cp = 0;
      bool hex = ref[1] == 'x' || ref[1] == 'X';
      std::string_view digits = ref.substr(hex ? 2 : 1);
      bool ok = !digits.empty();
      for (char c : digits) {
        int d = c >= '0' && c <= '9' ? c - '0'
                : hex && c >= 'a' && c <= 'f' ? c - 'a' + 10
                : hex && c >= 'A' && c <= 'F' ? c - 'A' + 10
                                              : -1;
        if (d < 0 || cp > 0x10FFFF) {
          ok = false;
          break;
        }
        cp = cp * (hex ? 16 : 10) + static_cast<uint32_t>(d);
      }
      if (ok && cp > 0 && cp <= 0x10FFFF) AppendUtf8(out, static_cast<char32_t>(cp));
      else done = false;
    } else {
      done = false;
    }
    if (done) {
      i = semi + 1;
    } else {
      out += '&';
      i = amp + 1;
    }
  }
}

std::string EscapeXmlText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&apos;"; break;
      default:
        // Control characters have no place in XML 1.0 text.
        if (static_cast<unsigned char>(c) < 0x20 && c != '\t') out += ' ';
        else out += c;
    }
  }
  return out;
}

namespace {

TQSTagList TokenizeDocument(std::string bytes) {
  TQSTagList list;
  list.Document = DecodeDocument(std::move(bytes));
  // Kept outside the string object, so that the names' views survive moves.
  list.Document.reserve(32);
  list.Tags.reserve(std::max<size_t>(100, list.Document.size() / 24));
  AdviseHugePages(list.Tags.data(), list.Tags.capacity() * sizeof(TQSTag));
  TScanner(list).Run();
  return list;
}

}  // namespace

TQSTagList TokenizeMusicXml(std::string_view bytes) { return TokenizeDocument(std::string(bytes)); }

TQSTagList TokenizeMusicXml(TStream& stream) {
  const auto size = static_cast<size_t>(stream.Remaining());
  std::string bytes;
  bytes.reserve(size);
  AdviseHugePages(bytes.data(), size);
  bytes.resize(size);
  stream.ReadBuffer(bytes.data(), bytes.size());
  return TokenizeDocument(std::move(bytes));
}

}  // namespace qs
