// The MusicXML reader's interpretation: one walk over the tag list builds a
// piece with its parts, staves, measures and items.
#include <algorithm>
#include <climits>
#include <cmath>
#include <map>
#include <string>

#include "base/mathutil.h"
#include "base/stream.h"
#include "base/strings.h"
#include "base/text.h"
#include "base/zip.h"
#include "interchange/importitems.h"
#include "interchange/musicxml.h"
#include "interchange/musicxml_reader.h"
#include "interchange/musicxml_tags.h"
#include "layout/effects.h"
#include "platform/fonts.h"
#include "platform/gui.h"
#include "score/chordcode.h"
#include "score/dynamics.h"
#include "score/marks.h"
#include "score/measure.h"
#include "score/notes.h"
#include "score/pageobjects.h"
#include "score/part.h"
#include "score/piece.h"
#include "score/score.h"
#include "score/timing.h"
#include "score/tree.h"

namespace qs {
namespace mxml {

int TImportData::MeasureLength(int part, int measure) const {
  if (part < 0 || part >= static_cast<int>(MeasureLengths.size())) return kTicksWhole;
  const std::vector<int>& lengths = MeasureLengths[static_cast<size_t>(part)];
  return measure >= 0 && measure < static_cast<int>(lengths.size()) ? lengths[static_cast<size_t>(measure)]
                                                                      : kTicksWhole;
}

namespace {

// Positions and lengths are 16-bit ticks.
constexpr int kMaxTicks = 65535;
// Dots a note can show.
constexpr int kMaxDots = 4;
// Verses of lyrics.
constexpr int kMaxVerses = 20;
// B4, the middle line of the treble and percussion staves.
constexpr uint8_t kMiddleLinePitch = MakePitch(5, 6);

// C D E F G A B
constexpr int kStepSemitones[7] = {0, 2, 4, 5, 7, 9, 11};

int StepIndex(std::string_view s) {
  static const char kLetters[] = "CDEFGAB";
  std::string t = Trim(s);
  if (t.size() == 1)
    for (int i = 0; i < 7; ++i)
      if (t[0] == kLetters[i] || t[0] == kLetters[i] + 32) return i;
  return 0;
}

// A number of the file: blanks and control characters around it removed;
// the default when it is not a number. Decimal fractions are rounded.
// Numbers beyond a billion either way are cut to it, so that counting
// from 0 or 1 and adding a few never leaves the int range.
constexpr int kMaxFileNumber = 999999999;
int NumberOf(const std::string& text, int defaultValue) {
  std::string t = Trim(text);
  int v;
  if (TryStrToInt(t, v)) return std::clamp(v, -kMaxFileNumber, kMaxFileNumber);
  double d;
  if (TryStrToFloat(t, d) && std::isfinite(d) && std::fabs(d) < 1e9) return Round(d);
  return defaultValue;
}

// The whole number a text begins with, after blanks and words such as
// "c." ("c. 120"); 0 when it has none.
int LeadingNumber(const std::string& text) {
  int v = 0;
  bool digits = false;
  for (char ch : text) {
    if (ch >= '0' && ch <= '9') {
      digits = true;
      v = std::min(v * 10 + (ch - '0'), 99999);
    } else if (digits) {
      break;
    }
  }
  return v;
}

// The note value of a type name; 0 for a name that is not one.
int TypeToTicks(const std::string& name) {
  static const struct {
    const char* Name;
    int Ticks;
  } kTypes[] = {{"long", 2048}, {"breve", 1024}, {"whole", 512}, {"half", 256}, {"quarter", 128},
                {"eighth", 64}, {"16th", 32},    {"32nd", 16},   {"32th", 16},  {"64th", 8},
                {"128th", 4},   {"256th", 2}};
  for (const auto& t : kTypes)
    if (SameText(name, t.Name)) return t.Ticks;
  return 0;
}

int ClampInt16(long long v) { return static_cast<int>(std::clamp<long long>(v, INT16_MIN, INT16_MAX)); }

int LargestPowerOfTwoAtMost(int n) {
  int p = 1;
  while (p * 2 <= n && p < 512) p *= 2;
  return p;
}

struct TTupletState {
  int Kind = 0;   // actual notes
  int Unit = 0;   // the first note's written length
  int Start = -1;
  std::vector<int16_t> Shares;
};

struct TOpenSlur {
  TQSLiga* Liga;
  int Number;
  bool Start;
  TQSPart* Part;
};

class TReader {
 public:
  TReader(TQSScore& score, TQSPiece& piece, const TQSTagList& tags, TImportData& data)
      : score_(score), piece_(piece), tags_(tags), data_(data) {
    ppi_ = ScreenPixelsPerInch();
    lineSpace_ = static_cast<double>(score.Page.Tenths(TQSPage::dLineSpace).Value());
    interval_ = static_cast<double>(score.Page.Tenths(TQSPage::dInterval).Value());
  }

  ~TReader() {
    // Slurs whose start never came belong to no note.
    for (TOpenSlur& s : openSlurs_)
      if (!s.Liga->Owner()) delete s.Liga;
  }

  void Run(size_t first) {
    ctx_.assign(static_cast<size_t>(tags_.MaxDepth) + 2, 0);
    for (size_t i = first; i < tags_.Tags.size(); ++i) {
      const TQSTag& t = tags_.Tags[i];
      if (t.Depth < 0 || t.Depth + 1 >= static_cast<int>(ctx_.size())) continue;
      if (itemDepth_ >= 0 && t.Depth <= itemDepth_) FinishItem();
      if (barDepth_ >= 0 && t.Depth <= barDepth_) FinishBarline();
      if (directionDepth_ >= 0 && t.Depth <= directionDepth_) FinishDirection();
      if (groupDepth_ >= 0 && t.Depth <= groupDepth_) FinishPartGroup();
      if (dynamicsDepth_ >= 0 && t.Depth <= dynamicsDepth_) FinishDynamics();
      if (lyricDepth_ >= 0 && t.Depth <= lyricDepth_) FinishLyric();
      index_ = i;
      const int parent = t.Depth > 0 ? ctx_[static_cast<size_t>(t.Depth - 1)] : 0;
      bool accepted = Handle(t, parent);
      if (!t.IsAttribute) ctx_[static_cast<size_t>(t.Depth)] = accepted ? t.Code : 0;
    }
    if (itemDepth_ >= 0) FinishItem();
    if (dynamicsDepth_ >= 0) FinishDynamics();
    if (lyricDepth_ >= 0) FinishLyric();
    if (barDepth_ >= 0) FinishBarline();
    if (directionDepth_ >= 0) FinishDirection();
    if (groupDepth_ >= 0) FinishPartGroup();
    EndOttavas();
    MakeGroupsAndNames();
  }

 private:
  TQSScore& score_;
  TQSPiece& piece_;
  const TQSTagList& tags_;
  TImportData& data_;
  std::vector<int> ctx_;
  size_t index_ = 0;
  int ppi_;
  double lineSpace_, interval_;

  TQSPart* part_ = nullptr;
  TQSMeasure* measure_ = nullptr;
  TQSNote* note_ = nullptr;
  TQSPause* rest_ = nullptr;
  TItemInfo* info_ = nullptr;  // of the current note or rest
  int itemDepth_ = -1;         // depth of the note or forward being read
  bool durationRead_ = false;
  bool voiceRead_ = false;
  bool forwardRest_ = false;
  int dots_ = 0;
  int tupletActual_ = 0, tupletNormal_ = 0;  // the note's time-modification
  TQSMark* mark_ = nullptr;
  TQSLyric* lyric_ = nullptr;
  TQSText* text_ = nullptr;
  TQSMark* wedge_ = nullptr;
  int wedgeMeasure_ = 0;
  bool wedgeInDirection_ = false;  // the direction being read began the wedge
  TQSMark* time_ = nullptr;
  TQSMark* key_ = nullptr;
  TQSMark* clef_ = nullptr;
  std::string clefSign_;
  int clefLine_ = 0, clefOctave_ = 0;
  TQSChord* chord_ = nullptr;
  TQSMark* barline_ = nullptr;
  int barDepth_ = -1;
  int lyricDepth_ = -1;  // the lyric element being read
  // The ending (volta) of the barline being read, and the one begun and
  // not yet ended.
  std::string endingNumber_, endingType_;
  TQSMark* volta_ = nullptr;
  int voltaMeasure_ = 0;
  // The direction being read: where it began, its staff, a metronome mark,
  // the tempo of its sound, an octave shift.
  int directionDepth_ = -1;
  int directionPosition_ = 0;
  int directionStaff_ = 0;
  TQSLyric* directionWords_ = nullptr;  // its first words above the staff
  std::string beatUnit_;
  int beatDots_ = 0;
  int perMinute_ = 0;
  double soundTempo_ = 0;
  std::string shiftType_;
  int shiftSize_ = 8;
  bool shiftRead_ = false;
  // Octave shifts in force by staff: the mark and the octaves the notes
  // under it are written lower (negative: higher) than they sound.
  struct TOttava {
    TQSMark* Mark = nullptr;
    int Measure = 0;
    int Octaves = 0;
  };
  std::map<int, TOttava> ottavas_;
  // Part groups of the part list: open ones by number, and those read.
  struct TPartGroup {
    int First = 0, Last = -1;
    std::string Symbol;
  };
  std::map<std::string, TPartGroup> openGroups_;
  std::vector<TPartGroup> groups_;
  int groupDepth_ = -1;
  std::string groupType_, groupNumber_, groupSymbol_;
  // The names shown at the systems: the full name unless the file hides it,
  // and the abbreviation, per part.
  std::map<TQSPart*, std::pair<std::string, std::string>> names_;
  bool elision_ = false;  // the lyric's next text joins its last one
  // Percussion: the MIDI key of each instrument of a part (its
  // midi-unpitched), the instrument being read, and the note's instrument.
  std::map<std::pair<TQSPart*, std::string>, int> drumKeys_;
  std::string midiInstrument_, noteInstrument_;
  bool unpitched_ = false;
  std::string elisionText_;
  int transposeChromatic_ = 0, transposeOctaves_ = 0;
  std::string timeSymbol_;
  // Verses named by words rather than numbers, each given the next verse.
  std::map<std::string, int> namedVerses_;
  int highestVerse_ = 0;
  int slurPlacement_ = -1;  // of the slur element: 1 above, 0 below, -1 none
  TQSLiga* slur_ = nullptr;  // the slur the slur element starts or ends
  TQSMark* dynamics_ = nullptr;  // the dynamics element being read
  int dynamicsDepth_ = -1;
  bool dynamicsKindSet_ = false;
  int barPosition_ = 0;
  std::unordered_map<int, TTupletState> tuplets_;  // per staff and file voice
  std::vector<TOpenSlur> openSlurs_;
  TQSStaff* lastStaff_ = nullptr;

  int divisions_ = 1;
  int position_ = 0;
  int lastStart_ = 0;
  int measureLength_ = kTicksWhole;
  bool above_ = false;
  bool titleLine_ = false, movementLine_ = false;
  bool slurTypeRead_ = false, slurNumberRead_ = false, slurStarts_ = true;
  int slurNumber_ = 1;
  int tuningLine_ = 0;
  std::string creator_;

  // ------------------------------------------------------------ helpers

  [[noreturn]] void Fail(const std::string& what) const {
    throw EMusicXmlError(Format("%s (line %d of the MusicXML file).", what.c_str(),
                                tags_.LineOf(tags_.Tags[index_])));
  }

  int Px(double tenths) const { return Round(tenths * ppi_ / 254.0); }

  // Ticks of a duration in divisions, limited to what an item holds.
  int Ticks(const std::string& text) const {
    long long v = NumberOf(text, 128);
    long long t = v * 128 / divisions_;
    return static_cast<int>(std::clamp<long long>(t, 0, kMaxTicks));
  }

  int PartIndex() const { return part_ ? part_->Index : -1; }

  std::vector<int>& Lengths() {
    auto& all = data_.MeasureLengths;
    if (all.size() <= static_cast<size_t>(part_->Index)) all.resize(static_cast<size_t>(part_->Index) + 1);
    return all[static_cast<size_t>(part_->Index)];
  }

  void SetMeasureLength(int length) {
    if (!measure_) return;
    std::vector<int>& l = Lengths();
    if (l.size() <= static_cast<size_t>(measure_->Index)) l.resize(static_cast<size_t>(measure_->Index) + 1, 0);
    l[static_cast<size_t>(measure_->Index)] = length;
  }

  // The value of the attribute named name of the element record at index,
  // nullptr when it has none.
  const std::string* AttributeOf(size_t element, int code) const {
    const TQSTag& e = tags_.Tags[element];
    for (size_t i = element + 1; i < tags_.Tags.size(); ++i) {
      const TQSTag& a = tags_.Tags[i];
      if (!a.IsAttribute || a.Depth != e.Depth + 1) break;
      if (a.Code == code) return &a.Text;
    }
    return nullptr;
  }

  template <class T>
  T* Make(TQSItemType k, TQSItemOwner* owner) {
    return static_cast<T*>(CreateItemByKind(k, owner));
  }

  void CheckItemRoom(const TQSMeasure* m) const {
    if (m->ItemCount() >= kMaxChildCount) Fail("A measure holds too many items");
  }

  TQSColumn* EnsureColumn(int index) {
    if (index >= kMaxChildCount) Fail("The piece has too many measures");
    while (piece_.ColumnCount() <= index) piece_.AddColumn();
    return piece_.GetColumn(index);
  }

  TQSStaff* EnsureStaff(int index) {
    if (index < 0 || index >= kMaxStaves)
      Fail(Format("Staff %d does not exist: a part has 1 to %d staves", index + 1, kMaxStaves));
    while (part_->StaffCount() <= index) part_->NewStaff()->NewVoice();
    lastStaff_ = part_->GetStaff(index);
    return lastStaff_;
  }

  int StaffValue(const TQSTag& t) {
    int v = NumberOf(t.Text, 1);
    EnsureStaff(v - 1);
    return v - 1;
  }

  TItemInfo& Info(TQSItem* item) { return data_.Items[item]; }

  // The staff/voice byte and file voice that marks of the current note take.
  void TakeVoiceOf(TQSItem* item, uint8_t& staffVoice) {
    if (note_) staffVoice = note_->Fields.StaffVoice;
    else if (rest_) staffVoice = rest_->Fields.StaffVoice;
    if (info_) Info(item).FileVoice = info_->FileVoice;
  }

  // Whether the chord of the current note has a mark of the kind already
  // (a sign of the chord that the file may give at each of its notes).
  bool ChordHasMark(TQSItemType k) {
    const int voice = info_ ? info_->FileVoice : 1;
    for (TQSItem* item : measure_->Items)
      if (item->ItemType == k && item->TimePosition() == lastStart_ &&
          StaffOf(static_cast<uint8_t>(item->StaffVoice())) == StaffOf(note_->Fields.StaffVoice) &&
          Info(item).FileVoice == voice)
        return true;
    return false;
  }

  // ------------------------------------------------------------ texts

  int TextWidthOf(const std::string& text, int points) const {
    TFont font;
    font.Name = "Arial";
    font.PixelsPerInch = ppi_;
    font.SetSize(points * 8);
    return LimitedTextWidth(TextWidth(font, Utf8ToUtf16(text)));
  }

  TQSText* NewText(const std::string& line, int points, int x, int y) {
    auto* t = Make<TQSText>(kind::Text, &score_);
    t->Fields.Page = 1;
    t->Fields.FontSize = static_cast<uint8_t>(points);
    t->Fields.X = static_cast<int16_t>(ClampInt16(x));
    t->Fields.Y = static_cast<int16_t>(ClampInt16(y));
    t->Lines.push_back(line);
    return t;
  }

  int PageWidthUnits() const { return Px(score_.Page.Tenths(TQSPage::dWidth).Value()) * 8; }

  // A work or movement title or number, centred with the other part of its line.
  void Title(const std::string& s, bool movement, bool isNumber) {
    bool& started = movement ? movementLine_ : titleLine_;
    const int points = movement ? 14 : 12;
    const int y = movement ? 256 : 80;
    const bool joined = started && text_ && !text_->Lines.empty();
    int w = TextWidthOf(joined ? text_->Lines[0] + " " + s : s, points);
    int x = (PageWidthUnits() - w) / 2;
    int newX = x;
    if (joined) {
      if (isNumber) {
        text_->Fields.X = static_cast<int16_t>(ClampInt16(x));
        newX = x + TextWidthOf(text_->Lines[0] + " ", points);
      } else {
        text_->Fields.X = static_cast<int16_t>(ClampInt16(x + TextWidthOf(s + " ", points)));
      }
    }
    text_ = NewText(s, points, newX, y);
    started = true;
  }

  void CreatorText(const std::string& s, bool composer) {
    int x = composer ? Px(score_.Page.Tenths(TQSPage::dWidth).Value() -
                          score_.Page.Tenths(TQSPage::dRightMargin).Value()) * 8 -
                           TextWidthOf(s, 10)
                     : Px(score_.Page.Tenths(TQSPage::dLeftMargin).Value()) * 8;
    text_ = NewText(s, 10, x, 512);
  }

  // --------------------------------------------------------- notes

  void FinishItem() {
    if ((note_ || rest_) && tupletActual_ > 0) TupletMember();
    tupletActual_ = tupletNormal_ = 0;
    if (note_) {
      ShiftNote(*note_);
      if (unpitched_) LearnDrumNote(*note_);
      TQSNote::TFields& f = note_->Fields;
      if (f.Length == 0 && f.RealLength > 0) f.Length = static_cast<uint16_t>(LargestPowerOfTwoAtMost(f.RealLength));
      if (!durationRead_) {
        // A grace note has no duration: it lasts its written value.
        int real = f.Length;
        for (int d = 1; d <= dots_; ++d) real += f.Length >> d;
        f.RealLength = static_cast<uint16_t>(real);
      }
    } else if (rest_) {
      TQSPause::TFields& f = rest_->Fields;
      if (forwardRest_ && !voiceRead_) {
        // A forward without a voice only moves the position.
        data_.Items.erase(rest_);
        delete rest_;
      } else {
        if (f.Length == 0) f.Length = f.RealLength;
        if (info_->Hidden) f.Flags |= TQSPause::kHidden;
      }
    }
    note_ = nullptr;
    rest_ = nullptr;
    info_ = nullptr;
    itemDepth_ = -1;
    forwardRest_ = false;
  }

  void BeginNote(const TQSTag& t) {
    CheckItemRoom(measure_);
    note_ = Make<TQSNote>(kind::Note, measure_);
    note_->Fields.StemLength = static_cast<uint8_t>(std::clamp(score_.StemLength, 0, 255));
    note_->Fields.Time = static_cast<uint16_t>(position_);
    info_ = &Info(note_);
    itemDepth_ = t.Depth;
    durationRead_ = voiceRead_ = false;
    dots_ = 0;
    tupletActual_ = tupletNormal_ = 0;
    mark_ = nullptr;
    noteInstrument_.clear();
    unpitched_ = false;
  }

  void BeginRestFromNote() {
    TItemInfo saved = *info_;
    data_.Items.erase(note_);
    delete note_;
    note_ = nullptr;
    rest_ = Make<TQSPause>(kind::Pause, measure_);
    rest_->Fields.Time = static_cast<uint16_t>(position_);
    info_ = &Info(rest_);
    *info_ = saved;
  }

  void Advance(int length) {
    long long p = static_cast<long long>(position_) + length;
    if (p > kMaxTicks) Fail(Format("Measure %d of a part is too long", measure_ ? measure_->Index + 1 : 0));
    position_ = static_cast<int>(p);
  }

  void NoteDuration(const TQSTag& t) {
    int len = Ticks(t.Text);
    durationRead_ = true;
    note_->Fields.RealLength = static_cast<uint16_t>(len);
    if (info_->Grace) return;
    if (note_->IsChordMember()) return;
    note_->Fields.Time = static_cast<uint16_t>(position_);
    lastStart_ = position_;
    Advance(len);
  }

  void RestDuration(const TQSTag& t) {
    int len = Ticks(t.Text);
    durationRead_ = true;
    rest_->Fields.RealLength = static_cast<uint16_t>(len);
    rest_->Fields.Time = static_cast<uint16_t>(position_);
    lastStart_ = position_;
    Advance(len);
  }

  void NoteType(const TQSTag& t) {
    int ticks = TypeToTicks(t.Text);
    if (ticks == 0) return;  // an unknown name: the value follows from the duration
    note_->Fields.Length = static_cast<uint16_t>(ticks);
    int extra = ticks == 32 ? 1 : ticks == 16 ? 2 : ticks == 8 ? 3 : ticks <= 4 ? 4 : 0;
    note_->SetExtraBeams(extra);
  }

  // One dot mark tells how many dots there are: its value is the count
  // less one, as everywhere in the score.
  void AddDot(TQSItemHolder* holder, int dots) {
    dots_ += dots;
    TQSMark* d = nullptr;
    for (TQSItem* item : holder->Items)
      if (item->ItemType == kind::Dot) d = static_cast<TQSMark*>(item);
    if (!d) d = Make<TQSMark>(kind::Dot, holder);
    d->Fields.Value = static_cast<uint16_t>(std::min(dots_ - 1, kMaxDots - 1));
  }

  void FileVoice(const TQSTag& t) {
    int v = NumberOf(t.Text, 1);
    info_->FileVoice = std::max(v, 1);
    voiceRead_ = true;
  }

  void NoteStaff(uint8_t& staffVoice, const TQSTag& t) {
    int s = StaffValue(t);
    staffVoice = MakeStaffVoice(s, VoiceOf(staffVoice));
  }

  void SetBeam(const TQSTag& t) {
    const std::string* number = AttributeOf(index_, mx::Number);
    if (number && NumberOf(*number, 1) != 1) return;
    if (SameText(t.Text, "begin") || SameText(t.Text, "continue")) note_->SetBeamedToNext(true);
    else if (SameText(t.Text, "end")) note_->Fields.FlagsB &= static_cast<uint8_t>(~0x03);
  }

  // A member of a tuplet: its real length becomes its share of the
  // tuplet, so that the tuplet adds up exactly. A time modification that
  // no tuplet of the score expresses (a tremolo's 2:1, a 9:4) makes no
  // tuplet: the note keeps the file's duration, which the position has
  // already advanced by.
  void TupletMember() {
    const int actual = tupletActual_;
    if (actual < 2 || actual > 10) return;
    if (tupletNormal_ > 0 && tupletNormal_ != TupletNormalCount(static_cast<uint8_t>(actual))) return;
    if (note_ && info_->Grace) return;
    const int written = note_ ? note_->Fields.Length : rest_->Fields.Length;
    if (written <= 0) return;
    const uint8_t sv = note_ ? note_->Fields.StaffVoice : rest_->Fields.StaffVoice;
    const int fileLength = note_ ? note_->Fields.RealLength : rest_->Fields.RealLength;
    const int start = note_ ? note_->Fields.Time : rest_->Fields.Time;
    TTupletState& st = tuplets_[StaffOf(sv) * 100000 + std::min(info_->FileVoice, 99999)];
    if (st.Start < 0 || st.Kind != actual || start >= st.Start + TupletLength(uint8_t(st.Kind), uint16_t(st.Unit)) ||
        start < st.Start) {
      st.Kind = actual;
      st.Unit = written;
      st.Start = start;
      st.Shares = TupletSlotLengths(static_cast<uint8_t>(actual), static_cast<uint16_t>(written));
    }
    // The slot the member begins in, and the slots it covers.
    int slotStart = st.Start;
    size_t k = 0;
    while (k < st.Shares.size() && slotStart + st.Shares[k] <= start) slotStart += st.Shares[k++];
    if (k >= st.Shares.size()) return;
    int real = 0;
    if (written >= st.Unit) {
      int slots = std::max(1, written / st.Unit);
      for (int n = 0; n < slots && k < st.Shares.size(); ++n) real += st.Shares[k++];
    } else {
      real = st.Shares[k] * written / st.Unit;
    }
    if (dots_ > 0) real = real * ((2 << dots_) - 1) / (1 << dots_);
    if (real <= 0) return;
    // A share far from the file's own duration is not this tuplet: the
    // file's duration stands, so that no note is pushed out of its measure.
    if (durationRead_ && std::abs(slotStart + real - (start + fileLength)) > std::max(2, fileLength / 8)) return;
    info_->Tuplet = static_cast<uint8_t>(actual);
    const bool chordNote = note_ && note_->IsChordMember();
    if (note_) note_->Fields.RealLength = static_cast<uint16_t>(real);
    else rest_->Fields.RealLength = static_cast<uint16_t>(real);
    if (durationRead_ && !chordNote) position_ = std::min(kMaxTicks, slotStart + real);
  }

  void StartTie(const TQSTag& t) {
    if (!SameText(t.Text, "start")) return;
    auto* liga = Make<TQSLiga>(kind::Liga, note_);
    liga->Fields.Flags = TQSLiga::kFromStart;
    if (!note_->IsStemDown()) liga->Fields.Flags |= TQSLiga::kBelow;
  }

  void HandleSlur() {
    if (!slurTypeRead_ || !slurNumberRead_ || !note_) return;
    auto it = std::find_if(openSlurs_.begin(), openSlurs_.end(), [&](const TOpenSlur& s) {
      return s.Number == slurNumber_ && s.Start != slurStarts_ && s.Part == part_;
    });
    if (it == openSlurs_.end()) {
      auto* liga = Make<TQSLiga>(kind::Liga, slurStarts_ ? static_cast<TQSItemOwner*>(note_) : nullptr);
      if (!note_->IsStemDown()) liga->Fields.Flags |= TQSLiga::kBelow;
      if (!slurStarts_) data_.SlurEnds[liga] = note_;
      openSlurs_.push_back({liga, slurNumber_, slurStarts_, part_});
      slur_ = liga;
    } else {
      TQSLiga* liga = it->Liga;
      openSlurs_.erase(it);
      if (slurStarts_) liga->SetOwner(note_);
      else data_.SlurEnds[liga] = note_;
      slur_ = liga;
    }
    slurTypeRead_ = slurNumberRead_ = false;
    PlaceSlur();
  }

  // A slur's placement attribute, read before or after its type, decides
  // on which side it arcs.
  void PlaceSlur() {
    if (!slur_ || slurPlacement_ < 0) return;
    uint8_t& flags = slur_->Fields.Flags;
    flags = static_cast<uint8_t>(slurPlacement_ == 0 ? flags | TQSLiga::kBelow : flags & ~TQSLiga::kBelow);
    data_.PlacedSlurs.insert(slur_);
  }

  // A mark of the current note or rest at its position.
  TQSMark* NoteMark(TQSItemType k, uint8_t style) {
    CheckItemRoom(measure_);
    auto* m = Make<TQSMark>(k, measure_);
    m->Fields.Time = static_cast<uint16_t>(lastStart_);
    m->Fields.Style = style;
    TakeVoiceOf(m, m->Fields.StaffVoice);
    return m;
  }

  // The elements that make a sign at a note.
  static bool IsNoteSign(int code) {
    using namespace mx;
    switch (code) {
      case Accent: case StrongAccent: case BreathMark: case TrillMark: case Mordent: case InvertedMordent:
      case Turn: case UpBow: case DownBow: case Fingering:
        return true;
      default:
        return false;
    }
  }

  // --------------------------------------------------------- directions

  int BelowOffset() const { return mxml::BelowOffset(score_); }

  TQSMark* MeasureMark(TQSItemType k, int position) {
    CheckItemRoom(measure_);
    auto* m = Make<TQSMark>(k, measure_);
    m->Fields.Time = static_cast<uint16_t>(position);
    return m;
  }

  int WedgeLength() const { return wedge_ ? LengthFrom(wedgeMeasure_, wedge_->Fields.Time, position_) : 0; }

  // Ticks from a start (measure index and tick) to a tick of the current
  // measure.
  int LengthFrom(int from, int start, int until) const {
    const int to = measure_ ? measure_->Index : from;
    if (to == from) return std::max(0, until - start);
    if (to < from) return 0;
    long long total = data_.MeasureLength(PartIndex(), from) - start;
    for (int m = from + 1; m < to; ++m) total += data_.MeasureLength(PartIndex(), m);
    total += until;
    return static_cast<int>(std::clamp<long long>(total, 0, kMaxTicks));
  }

  void Offset(int16_t& field, const std::string& text, bool down) {
    long long delta = static_cast<long long>(NumberOf(text, 0)) * kUnitsPerTenthNum / kUnitsPerTenthDen;
    field = static_cast<int16_t>(ClampInt16(field + (down ? -delta : delta)));
  }

  // A rehearsal mark shows a letter or a number it counts itself; any other
  // text becomes a boxed-in text above the staff.
  void RehearsalMark(const std::string& label) {
    if (label.empty()) return;
    int value = 0;
    bool letters = true, digits = true;
    for (char ch : label) {
      letters = letters && ((ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z'));
      digits = digits && ch >= '0' && ch <= '9';
    }
    if (letters && label.size() <= 2) {
      // A, B ... Z, AA, AB ...
      for (char ch : label) value = value * 26 + (UpperCase(std::string(1, ch))[0] - 'A' + 1);
    } else if (digits && label.size() <= 4) {
      value = std::stoi(label);
    }
    if (value <= 0) {
      CheckItemRoom(measure_);
      lyric_ = Make<TQSLyric>(kind::Term, measure_);
      lyric_->Fields.Time = static_cast<uint16_t>(position_);
      lyric_->Fields.OffsetY = kWordsAboveOffset;
      lyric_->Fields.FontStyle |= fsBold;
      lyric_->Lines.push_back(label);
      return;
    }
    TQSColumn* column = EnsureColumn(measure_->Index);
    for (TQSItem* item : column->Items)
      if (item->ItemType == kind::Rehearsal) return;  // one per measure serves every part
    auto* m = Make<TQSMark>(kind::Rehearsal, column);
    m->Fields.Time = static_cast<uint16_t>(position_);
    m->Fields.Value = static_cast<uint16_t>(value);
    // Letters or numbers, in a box.
    m->Fields.Style = static_cast<uint8_t>((digits ? TQSMark::kRehearsalNumbers : TQSMark::kRehearsalLetters) | TQSMark::kRehearsalBoxed);
    // Clear of the measure number that a system's first measure shows.
    m->Fields.OffsetY = static_cast<int16_t>(-2 * Px(lineSpace_) * 8);
  }

  // --------------------------------------------------- directions' ends

  // A tempo: the metronome mark as the file shows it, else the tempo of
  // the direction's sound (quarters a minute).
  void FinishDirection() {
    directionDepth_ = -1;
    if (measure_ && perMinute_ > 0) {
      int beat = TypeToTicks(beatUnit_);
      if (beat <= 0) beat = kTicksQuarter;
      // A dotted beat has no tempo mark of its own: the undotted one with
      // the tempo it gives.
      int bpm = perMinute_;
      for (int d = 1; d <= beatDots_; ++d) bpm += perMinute_ >> d;
      if (beat > kTicksWhole) beat = kTicksWhole;
      PlaceTempo(beat, bpm);
    } else if (measure_ && soundTempo_ > 0) {
      SoundTempo(soundTempo_, directionPosition_);
    }
    if (shiftRead_) ShiftOctaves();
    beatUnit_.clear();
    beatDots_ = perMinute_ = 0;
    soundTempo_ = 0;
    shiftRead_ = false;
  }

  void PlaceTempo(int beat, int bpm) {
    int kindValue = 0;
    while ((kTicksWhole >> kindValue) > beat && kindValue < 9) ++kindValue;
    TQSMark* mark = PlaceTempoMark(*EnsureColumn(measure_->Index), std::min(directionPosition_, measureLength_ - 1),
                                   static_cast<uint8_t>(kindValue), std::clamp(bpm, 1, 999));
    // Beside the words of the same direction ("Allegro" then the mark).
    if (directionWords_ && !directionWords_->Lines.empty()) {
      const int w = TextWidthOf(directionWords_->Lines[0], directionWords_->Fields.FontSize ? directionWords_->Fields.FontSize : 8);
      mark->Fields.OffsetX = static_cast<int16_t>(ClampInt16(directionWords_->Fields.OffsetX + w + 64));
      // The mark's box reaches 128 units above its offset: its top level
      // with the words' top.
      mark->Fields.OffsetY = static_cast<int16_t>(ClampInt16(directionWords_->Fields.OffsetY + 128));
    }
  }

  // A tempo the file only plays: the piece's own tempo at its start, a
  // quarter-note tempo mark later on.
  void SoundTempo(double quarters, int position) {
    const int bpm = std::clamp(Round(quarters), 1, 999);
    if (measure_->Index == 0 && position == 0) {
      piece_.SetTempo(bpm);
    } else {
      directionPosition_ = position;
      PlaceTempo(kTicksQuarter, bpm);
    }
  }

  // An octave shift begins or ends on the direction's staff. Notes under a
  // shift are written where they are shown, the ottava mark sounds them.
  void ShiftOctaves() {
    auto it = ottavas_.find(directionStaff_);
    if (SameText(shiftType_, "stop")) {
      if (it != ottavas_.end()) EndOttava(it->second, directionPosition_);
      if (it != ottavas_.end()) ottavas_.erase(it);
      return;
    }
    const bool below = SameText(shiftType_, "up");
    if (!below && !SameText(shiftType_, "down")) return;
    if (it != ottavas_.end()) {
      EndOttava(it->second, directionPosition_);
      ottavas_.erase(it);
    }
    TOttava o;
    o.Octaves = (shiftSize_ >= 15 ? 2 : 1) * (below ? -1 : 1);
    o.Measure = measure_->Index;
    o.Mark = MeasureMark(kind::Ottava, directionPosition_);
    o.Mark->Fields.Kind = below ? 1 : 0;
    o.Mark->Fields.StaffVoice = MakeStaffVoice(directionStaff_, 0);
    ottavas_[directionStaff_] = o;
  }

  void EndOttava(TOttava& o, int position) {
    const int len = LengthFrom(o.Measure, o.Mark->Fields.Time, position);
    o.Mark->Fields.Value = static_cast<uint16_t>(std::clamp(len, 1, kMaxTicks));
  }

  // Shifts still open when a part ends run to its end.
  void EndOttavas() {
    if (measure_)
      for (auto& [staff, o] : ottavas_) EndOttava(o, measureLength_);
    ottavas_.clear();
  }

  // The octave a note is written in under the shift of its staff.
  void ShiftNote(TQSNote& n) {
    auto it = ottavas_.find(StaffOf(n.Fields.StaffVoice));
    if (it == ottavas_.end()) return;
    const int o = std::clamp(PitchOctave(n.Fields.Pitch) - it->second.Octaves, 0, 15);
    n.Fields.Pitch = MakePitch(o, PitchStep(n.Fields.Pitch));
  }

  // A percussion note sounds the key of its instrument (of the part's one
  // instrument when it names none): the score's drum map learns where that
  // key is written.
  void LearnDrumNote(const TQSNote& n) {
    auto it = drumKeys_.find({part_, noteInstrument_});
    if (it == drumKeys_.end() && noteInstrument_.empty()) {
      int found = 0;
      for (auto k = drumKeys_.begin(); k != drumKeys_.end(); ++k)
        if (k->first.first == part_ && found++ == 0) it = k;
      if (found != 1) it = drumKeys_.end();
    }
    if (it != drumKeys_.end()) LearnDrumKey(score_, it->second, n.Fields.Pitch);
  }

  // An ending begins or ends with a barline: one volta per measure serves
  // every part.
  void FinishBarline() {
    barDepth_ = -1;
    if (endingType_.empty() || !measure_) return;
    if (SameText(endingType_, "start")) {
      int number = 0;
      for (char ch : endingNumber_) {
        if (ch >= '0' && ch <= '9') number = number * 10 + (ch - '0');
        else if (number > 0) break;
        if (number > 99) break;
      }
      TQSColumn* column = EnsureColumn(measure_->Index);
      volta_ = nullptr;
      for (TQSItem* item : column->Items)
        if (item->ItemType == kind::Volta) volta_ = static_cast<TQSMark*>(item);
      if (!volta_) {
        volta_ = Make<TQSMark>(kind::Volta, column);
        volta_->Fields.Kind = static_cast<uint8_t>(std::clamp(number, 1, 99));
        volta_->Fields.Value = 1;
        // The bracket hangs from three spaces above the staff.
        volta_->Fields.OffsetY = static_cast<int16_t>(-3 * Px(lineSpace_) * 8);
      }
      voltaMeasure_ = measure_->Index;
    } else if ((SameText(endingType_, "stop") || SameText(endingType_, "discontinue")) && volta_) {
      volta_->Fields.Value = static_cast<uint16_t>(std::max(1, measure_->Index - voltaMeasure_ + 1));
      volta_ = nullptr;
    }
    endingType_.clear();
    endingNumber_.clear();
  }

  // ------------------------------------------------------- part groups

  void FinishPartGroup() {
    groupDepth_ = -1;
    if (SameText(groupType_, "start")) {
      TPartGroup g;
      g.First = piece_.PartCount();
      g.Symbol = Trim(groupSymbol_);
      openGroups_[groupNumber_] = g;
    } else if (SameText(groupType_, "stop")) {
      auto it = openGroups_.find(groupNumber_);
      if (it != openGroups_.end()) {
        it->second.Last = piece_.PartCount() - 1;
        if (!groupSymbol_.empty()) it->second.Symbol = Trim(groupSymbol_);
        groups_.push_back(it->second);
        openGroups_.erase(it);
      }
    }
    groupType_.clear();
    groupNumber_ = "1";
    groupSymbol_.clear();
  }

  // A bracket, brace or line joins the staves of each group; each part
  // shows its name left of the first system and its abbreviation left of
  // the others.
  void MakeGroupsAndNames() {
    for (const TPartGroup& g : groups_) {
      if (g.Last < g.First || g.First >= piece_.PartCount()) continue;
      TQSPart* first = piece_.GetPart(g.First);
      if (first->MeasureCount() == 0) continue;
      TQSMeasure* m = first->GetMeasure(0);
      const bool hasOwn = std::any_of(m->Items.begin(), m->Items.end(),
                                      [](const TQSItem* i) { return i->ItemType == kind::Accolade; });
      if (g.Last == g.First && hasOwn) continue;
      uint8_t style;
      if (SameText(g.Symbol, "bracket") || SameText(g.Symbol, "square")) style = TQSMark::kAccoladeBracket;
      else if (SameText(g.Symbol, "brace")) style = TQSMark::kAccoladeBrace;
      else if (SameText(g.Symbol, "line")) style = TQSMark::kAccoladeLine;
      else continue;
      auto* a = Make<TQSMark>(kind::Accolade, m);
      a->Fields.Style = style;
      a->Fields.Value = static_cast<uint16_t>(std::min(g.Last, piece_.PartCount() - 1) - g.First);
    }
    for (TQSPart* p : piece_.PartList()) {
      if (p->MeasureCount() == 0) continue;
      const auto it = names_.find(p);
      if (it == names_.end()) continue;
      const auto& [full, shortName] = it->second;
      // The full name last: the writer takes the last name as the part's.
      if (!Trim(full).empty()) NewInstrumentName(*p->GetMeasure(0), Trim(full), false);
      if (!Trim(shortName).empty()) NewInstrumentName(*p->GetMeasure(0), Trim(shortName), true);
    }
  }

  // --------------------------------------------------------- lyrics

  // The verse of a lyric's number: numbers count from 1; a name (a chorus,
  // a language) gets a verse of its own after the highest used.
  int VerseNumber(const std::string& text) {
    const std::string t = Trim(text);
    int n;
    if (TryStrToInt(t, n)) {
      n = std::clamp(n, 1, kMaxVerses);
      highestVerse_ = std::max(highestVerse_, n);
      return n;
    }
    auto it = namedVerses_.find(t);
    if (it != namedVerses_.end()) return it->second;
    highestVerse_ = std::min(highestVerse_ + 1, kMaxVerses);
    namedVerses_[t] = highestVerse_;
    return highestVerse_;
  }

  void SetVerse(int n) {
    lyric_->Fields.OffsetY = static_cast<int16_t>(ClampInt16(VerseOffsetY(score_, n)));
    lyric_->Fields.Verse = static_cast<uint8_t>(n - 1);
  }

  // A lyric element without text (an extender alone) leaves no syllable.
  void FinishLyric() {
    if (lyric_ && lyric_->ItemType == kind::Lyric &&
        std::all_of(lyric_->Lines.begin(), lyric_->Lines.end(), [](const std::string& l) { return Trim(l).empty(); })) {
      data_.Items.erase(lyric_);
      delete lyric_;
      lyric_ = nullptr;
    }
    lyricDepth_ = -1;
  }

  // The kind of a dynamics letter element: its own when the letters are
  // one of the kinds, else the nearest kind.
  static int DynamicsKindOf(int code) {
    using namespace mx;
    switch (code) {
      case Pppp: case Ppppp: case Pppppp: return dynamic::kPianississimo;
      case Ffff: case Fffff: case Ffffff: return dynamic::kFortississimo;
      case Sfp: case Sfpp: return dynamic::kFortePiano;
      case Rf: case Rfz: return dynamic::kForzando;
      default: break;
    }
    for (int k = 0; k < dynamic::kLetterKindCount; ++k)
      if (SameText(ElementName(code), dynamic::kLetters[k])) return k;
    return -1;
  }

  void DynamicsLetters(int code) {
    const int k = DynamicsKindOf(code);
    if (k < 0) return;
    dynamics_->Fields.Kind = static_cast<uint8_t>(k);
    dynamicsKindSet_ = true;
  }

  // Dynamics without a sign of their own become an italic text term where
  // the sign would stand.
  void DynamicsText(const std::string& letters) {
    const std::string s = Trim(letters);
    if (s.empty()) return;
    CheckItemRoom(measure_);
    auto* term = Make<TQSLyric>(kind::Term, measure_);
    term->Fields.Time = dynamics_->Fields.Time;
    term->Fields.OffsetX = dynamics_->Fields.OffsetX;
    term->Fields.OffsetY = static_cast<int16_t>(above_ ? kWordsAboveOffset : BelowOffset());
    term->Fields.FontStyle |= fsItalic;
    term->Lines.push_back(s);
  }

  // A dynamics element that named no kind leaves no mark (rather than a
  // piano that the file never asked for).
  void FinishDynamics() {
    if (dynamics_ && !dynamicsKindSet_) {
      if (mark_ == dynamics_) mark_ = nullptr;
      delete dynamics_;
    }
    dynamics_ = nullptr;
    dynamicsDepth_ = -1;
  }

  // --------------------------------------------------------- barlines

  void SetBarKind(TQSItemType k) {
    TQSColumn* column = EnsureColumn(measure_->Index);
    // One barline of each kind at a place serves every part.
    for (TQSItem* item : column->Items)
      if (item != barline_ && item->ItemType == k && item->TimePosition() == barPosition_) {
        delete barline_;
        barline_ = static_cast<TQSMark*>(item);
        return;
      }
    if (!barline_) {
      barline_ = Make<TQSMark>(k, column);
      barline_->Fields.Time = static_cast<uint16_t>(barPosition_);
    }
    barline_->ItemType = k;
  }

  // ----------------------------------------------------------- clefs

  void UpdateClefKind() {
    if (clef_) clef_->Fields.Kind = ClefKindOfMusicXml(clefSign_, clefLine_, clefOctave_);
  }

  // ----------------------------------------------------------- harmony

  std::vector<uint8_t>& Code() { return chord_->Definition; }

  // Bits 4-5 of a root or bass byte from an alteration.
  static uint8_t AlterBits(const std::string& text) {
    int v = NumberOf(text, 0);
    return v > 0 ? chordcode::kSharp : v < 0 ? chordcode::kFlat : chordcode::kNatural;
  }

  // The kind rewrites the code to the kind's elements, the root and bass
  // kept; an unknown kind leaves the root alone.
  void HarmonyKind(const std::string& name) {
    int index = -1;
    for (int i = 0; i < kHarmonyKindCount; ++i)
      if (SameText(name, MusicXmlNames[static_cast<size_t>(kFirstHarmonyKind + i)])) index = i;
    if (index < 0) return;
    const THarmonyKindCode& k = HarmonyKindCodes[static_cast<size_t>(index)];
    std::vector<uint8_t>& c = Code();
    const bool hasBass = c[chordcode::kHasBassOffset] != 0;
    const uint8_t bass = hasBass ? c.back() : 0;
    c = {static_cast<uint8_t>(1 + k.Count), static_cast<uint8_t>(hasBass ? 1 : 0), c[chordcode::kRootOffset]};
    c.insert(c.end(), k.Elements.begin(), k.Elements.begin() + k.Count);
    if (hasBass) c.push_back(bass);
  }

  // ----------------------------------------------------------- dispatch

  bool Handle(const TQSTag& t, int parent);
};

bool TReader::Handle(const TQSTag& t, int parent) {
  using namespace mx;
  const std::string& text = t.Text;
  switch (t.Code) {
    // ---------------------------------------------- identification
    case Work:
    case Identification:
    case PartList:
      return true;
    case Part:
      if (t.IsAttribute) return false;
      EndOttavas();
      volta_ = nullptr;
      part_ = nullptr;
      measure_ = nullptr;
      return true;
    case WorkNumber:
    case WorkTitle:
      Title(text, false, t.Code == WorkNumber);
      return true;
    case MovementNumber:
    case MovementTitle:
      Title(text, true, t.Code == MovementNumber);
      return true;
    case Creator:
      if (parent != Identification) return false;
      creator_ = text;
      return true;
    case Rights:
      if (parent != Identification) return false;
      score_.Rights = text;
      text_ = NewText(text, 10, (PageWidthUnits() - TextWidthOf(text, 10)) / 2,
                      Px(score_.Page.Tenths(TQSPage::dHeight).Value() -
                         score_.Page.Tenths(TQSPage::dBottomMargin).Value()) * 8 - 80);
      return true;
    case Encoding:
      return parent == Identification;
    case ScorePart:
      if (parent != PartList) return false;
      if (piece_.PartCount() >= kMaxChildCount) Fail("The piece has too many parts");
      part_ = piece_.AddPart();
      part_->NewStaff()->NewVoice();
      lastStaff_ = part_->GetStaff(0);
      return true;
    case Id:
      if (parent == MidiInstrument) {
        midiInstrument_ = Trim(text);
      } else if (parent == Instrument) {
        noteInstrument_ = Trim(text);
      } else if (parent == ScorePart && part_) {
        part_->ShortName = text;
      } else if (parent == Part) {
        part_ = nullptr;
        for (TQSPart* p : piece_.PartList())
          if (p->ShortName == text) part_ = p;
        if (!part_) part_ = piece_.GetPart(0);
        // Every part starts in the same state.
        measureLength_ = MeterLength(data_.FirstTimeSignature);
        divisions_ = 1;
        tuplets_.clear();
        wedge_ = nullptr;
      }
      return false;
    case PartName:
      if (parent != ScorePart || !part_) return false;
      part_->SetName(text);
      names_[part_].first = text;
      return true;
    case PartAbbreviation:
      if (parent != ScorePart || !part_) return false;
      names_[part_].second = text;
      return true;
    case PartGroup:
      if (parent != PartList || t.IsAttribute) return false;
      groupDepth_ = t.Depth;
      groupType_.clear();
      groupNumber_ = "1";
      groupSymbol_.clear();
      return true;
    case GroupSymbol:
      if (parent == PartGroup) groupSymbol_ = text;
      return false;
    case ScoreInstrument:
      return parent == ScorePart;
    case MidiInstrument:
      if (parent != ScorePart || t.IsAttribute) return false;
      midiInstrument_.clear();
      return true;
    case MidiChannel:
      if (parent == MidiInstrument && part_) part_->SetChannel(uint8_t(std::clamp(NumberOf(text, 1), 1, 16) - 1));
      return false;
    case MidiProgram:
      if (parent == MidiInstrument && part_) part_->SetInstrument(uint8_t(std::clamp(NumberOf(text, 1), 1, 128) - 1));
      return false;
    case Software:
    case EncodingDate:
      return false;

    // ---------------------------------------------- measures
    case Measure:
      if (t.IsAttribute || parent != mx::Part || !part_) return false;
      if (part_->MeasureCount() >= kMaxChildCount) Fail("A part has too many measures");
      measure_ = part_->NewMeasure();
      position_ = lastStart_ = 0;
      SetMeasureLength(measureLength_);
      tuplets_.clear();
      mark_ = nullptr;
      return true;
    case Number:
      switch (parent) {
        case Clef:
          if (clef_) {
            int n = NumberOf(text, 1);
            EnsureStaff(n - 1);
            clef_->Fields.StaffVoice = MakeStaffVoice(n - 1, 0);
          }
          break;
        case Lyric:
          if (lyric_ && lyricDepth_ >= 0) SetVerse(VerseNumber(text));
          break;
        case PartGroup:
          groupNumber_ = Trim(text);
          break;
        case Ending:
          endingNumber_ = text;
          break;
        case Slur:
          slurNumber_ = NumberOf(text, 1);
          slurNumberRead_ = true;
          HandleSlur();
          break;
        default:
          break;
      }
      return false;
    case Attributes:
      return parent == mx::Measure && measure_;
    case Divisions:
      if (parent != Attributes) return false;
      divisions_ = NumberOf(text, 1);
      if (divisions_ <= 0) Fail(Format("The divisions value %s is not a positive number", Trim(text).c_str()));
      return false;
    case Key:
      return parent == Attributes;
    case Fifths: {
      if (parent != Key || !measure_) return false;
      int fifths = std::clamp(NumberOf(text, 1), -7, 7);
      key_ = MeasureMark(kind::Key, position_);
      key_->Fields.Kind = static_cast<uint8_t>(fifths >= 0 ? fifths : 10 - fifths);
      return false;
    }
    case Mode:
      if (parent == Key && key_) key_->Fields.Style = SameText(text, "minor") ? 0 : 1;
      return false;
    case Time:
      if (parent != Attributes || !measure_ || t.IsAttribute) return false;
      timeSymbol_.clear();
      if (const std::string* symbol = AttributeOf(index_, mx::Symbol)) timeSymbol_ = Trim(*symbol);
      return true;
    case Beats: {
      if (parent != Time) return false;
      TQSColumn* column = EnsureColumn(measure_->Index);
      time_ = nullptr;
      for (TQSItem* item : column->Items)
        if (item->ItemType == kind::Meter) time_ = static_cast<TQSMark*>(item);
      if (!time_) {
        int beats = NumberOf(text, 4);
        if (beats <= 0 || beats > 255) Fail(Format("The time signature has %d beats", beats));
        time_ = Make<TQSMark>(kind::Meter, column);
        time_->Fields.Value = MakeMeter(beats, 4);
      }
      return false;
    }
    case BeatType: {
      if (parent != Time || !time_) return false;
      int type = NumberOf(text, 4);
      if (type <= 0 || type > 255) Fail(Format("The time signature's beat type %d is not a note value", type));
      time_->Fields.Value = MakeMeter(MeterNumerator(time_->Fields.Value), type);
      const uint16_t meter = time_->Fields.Value;
      if (measure_->Index == 0) data_.FirstTimeSignature = meter;
      measureLength_ = std::clamp(MeterNumerator(meter) * kTicksWhole / type, 1, kMaxTicks);
      SetMeasureLength(measureLength_);
      // The common and cut signs where the score has them.
      if (SameText(timeSymbol_, "common") && meter == MakeMeter(4, 4))
        time_->Fields.Style = TQSMark::kMeterCommon;
      else if (SameText(timeSymbol_, "cut") &&
               (meter == MakeMeter(4, 4) || meter == MakeMeter(2, 4) || meter == MakeMeter(2, 2)))
        time_->Fields.Style = TQSMark::kMeterCut;
      time_ = nullptr;
      return false;
    }
    case Staves: {
      if (parent != Attributes || !part_) return false;
      int n = NumberOf(text, 1);
      if (n > kMaxStaves) Fail(Format("A part with %d staves cannot be shown: a part has at most %d", n, kMaxStaves));
      if (n < 1) return false;
      EnsureStaff(n - 1);
      if (n >= 2) {
        if (part_->MeasureCount() == 0) part_->NewMeasure();
        TQSMeasure* first = part_->GetMeasure(0);
        bool hasBrace = false;
        for (TQSItem* item : first->Items) hasBrace = hasBrace || item->ItemType == kind::Accolade;
        if (!hasBrace) mark_ = Make<TQSMark>(kind::Accolade, first);
      }
      return false;
    }
    case Clef:
      if (parent != Attributes || !measure_) return false;
      clef_ = MeasureMark(kind::Clef, position_);
      clef_->Fields.Kind = clef::Treble;
      clefSign_.clear();
      clefLine_ = clefOctave_ = 0;
      return true;
    case Sign:
      if (parent == Clef && clef_) {
        clefSign_ = text;
        UpdateClefKind();
      }
      return false;
    case Line:
      if (parent == Clef && clef_) {
        clefLine_ = NumberOf(text, 0);
        UpdateClefKind();
      } else if (parent == StaffTuning) {
        tuningLine_ = NumberOf(text, 1) - 1;
      }
      return false;
    case ClefOctaveChange:
      if (parent == Clef && clef_) {
        clefOctave_ = NumberOf(text, 0);
        UpdateClefKind();
      }
      return false;
    case StaffDetails:
      if (parent != Attributes || !part_) return false;
      lastStaff_ = EnsureStaff(0);
      if (const std::string* n = AttributeOf(index_, mx::Number)) lastStaff_ = EnsureStaff(NumberOf(*n, 1) - 1);
      return true;
    case StaffLines:
      if (parent == StaffDetails && lastStaff_)
        lastStaff_->SetLineCount(static_cast<uint8_t>(std::clamp(NumberOf(text, 5), 0, TQSStaff::kMaxLines)));
      return false;
    case StaffTuning:
      if (parent != StaffDetails || !lastStaff_) return false;
      tuningLine_ = 0;
      lastStaff_->SetTablature(true);
      return true;
    case TuningStep:
      if (parent == StaffTuning && lastStaff_ && tuningLine_ >= 0 && tuningLine_ < TQSStaff::kMaxLines)
        lastStaff_->SetTuning(tuningLine_, static_cast<uint8_t>(kStepSemitones[StepIndex(text)]));
      return false;
    case TuningOctave:
      if (parent == StaffTuning && lastStaff_ && tuningLine_ >= 0 && tuningLine_ < TQSStaff::kMaxLines) {
        int v = lastStaff_->GetTuning(tuningLine_) + std::clamp(NumberOf(text, 0), 0, 9) * 12;
        lastStaff_->SetTuning(tuningLine_, static_cast<uint8_t>(std::min(v, 127)));
      }
      return false;

    // ---------------------------------------------- notes and rests
    case Note:
      if (parent != mx::Measure || !measure_) return false;
      BeginNote(t);
      return true;
    case Rest:
      if (parent != Note || !note_) return false;
      BeginRestFromNote();
      // The note's children are now read as the rest's.
      ctx_[static_cast<size_t>(t.Depth - 1)] = Rest;
      return false;
    // Cue notes are drawn small; slash heads show the rhythm alone.
    case Cue:
      if (parent == Note && note_) note_->SetSmall(true);
      return false;
    case Notehead:
      if (parent == Note && note_ && SameText(Trim(text), "slash")) note_->Fields.HeadStyle = TQSNote::kSlashHead;
      return false;
    case Grace:
      if (parent == Note && note_) {
        info_->Grace = true;
        const std::string* slash = AttributeOf(index_, mx::Slash);
        info_->GraceSlash = slash && SameText(Trim(*slash), "yes");
      }
      return false;
    case Chord:
      if (parent == Note && note_) {
        note_->SetChordMember(true);
        // A chord note sounds with the note that began the chord.
        if (!info_->Grace) note_->Fields.Time = static_cast<uint16_t>(lastStart_);
      }
      return false;
    case Pitch:
      return parent == Note && note_;
    // A percussion note is written where the file displays it.
    case Unpitched:
      if (parent != Note || !note_) return false;
      unpitched_ = true;
      // Without a place of its own a percussion note stands on the middle
      // line.
      note_->Fields.Pitch = kMiddleLinePitch;
      return true;
    case Instrument:
      return parent == Note && note_ && !t.IsAttribute;
    case MidiUnpitched:
      if (parent == MidiInstrument && part_) drumKeys_[{part_, midiInstrument_}] = std::clamp(NumberOf(text, 1), 1, 128) - 1;
      return false;
    case Step:
    case DisplayStep:
      if ((parent == Pitch || parent == Unpitched) && note_)
        note_->Fields.Pitch = static_cast<uint8_t>((note_->Fields.Pitch & 0xF0) | StepIndex(text));
      return false;
    case Alter:
      if (parent == Pitch && note_) {
        info_->Alter = std::clamp(NumberOf(text, 0), -2, 2);
        info_->HasAlter = true;
      }
      return false;
    case Octave:
    case DisplayOctave:
      if ((parent == Pitch || parent == Unpitched) && note_) {
        // Octaves 0-9: the range of written music.
        int o = std::clamp(NumberOf(text, 5), 0, 9) + 1;
        note_->Fields.Pitch = static_cast<uint8_t>((o << 4) | (note_->Fields.Pitch & 0x0F));
      }
      return false;
    case Duration:
      if (parent == Note && note_) NoteDuration(t);
      else if (parent == Rest && rest_) RestDuration(t);
      else if (parent == Backup) position_ = std::max(0, position_ - Ticks(text));
      else if (parent == Forward && measure_) {
        int len = Ticks(text);
        CheckItemRoom(measure_);
        rest_ = Make<TQSPause>(kind::Pause, measure_);
        rest_->Fields.Time = static_cast<uint16_t>(position_);
        rest_->Fields.Length = rest_->Fields.RealLength = static_cast<uint16_t>(len);
        rest_->Fields.Flags |= TQSPause::kHidden;
        info_ = &Info(rest_);
        forwardRest_ = true;
        voiceRead_ = false;
        itemDepth_ = t.Depth - 1;
        Advance(len);
      }
      return false;
    case Type:
      if (t.IsAttribute) {
        switch (parent) {
          case Creator:
            if (SameText(text, "composer")) {
              score_.Composer = creator_;
              CreatorText(creator_, true);
            } else if (SameText(text, "poet") || SameText(text, "lyricist")) {
              score_.Poet = creator_;
              CreatorText(creator_, false);
            }
            break;
          case mx::Tie:
            if (note_) StartTie(t);
            break;
          case Slur:
            slurTypeRead_ = true;
            slurStarts_ = SameText(text, "start");
            HandleSlur();
            break;
          case PartGroup:
            groupType_ = Trim(text);
            break;
          case Ending:
            endingType_ = Trim(text);
            break;
          case OctaveShift:
            shiftType_ = Trim(text);
            break;
          case StrongAccent:
            if (mark_ && mark_->ItemType == kind::Accent && SameText(Trim(text), "down")) mark_->Fields.Kind = 1;
            break;
          case Tremolo:
            if (mark_ && mark_->ItemType == kind::Tremolo && (SameText(text, "start") || SameText(text, "stop"))) {
              delete mark_;
              mark_ = nullptr;
            }
            break;
          case Fermata:
            // An upright fermata stands above the note, an inverted one below.
            if (mark_ && mark_->ItemType == kind::Fermata) mark_->Fields.Kind = SameText(text, "inverted") ? TQSMark::kFermataBelow : TQSMark::kFermataAbove;
            break;
          case Wedge:
            if (!measure_) break;
            if (SameText(text, "crescendo") || SameText(text, "diminuendo")) {
              wedge_ = MeasureMark(kind::Dynamics, position_);
              wedge_->Fields.Kind = SameText(text, "crescendo") ? dynamic::kCrescendo : dynamic::kDiminuendo;
              wedge_->Fields.OffsetY = static_cast<int16_t>(above_ ? kSignAboveOffset : BelowOffset());
              wedgeMeasure_ = measure_->Index;
              wedgeInDirection_ = true;
            } else if (SameText(text, "stop") && wedge_) {
              int len = WedgeLength();
              wedge_->Fields.Value = static_cast<uint16_t>(len != 0 ? std::max(0, len - 2) : 0);
            }
            break;
          case Pedal:
            if (mark_ && mark_->ItemType == kind::Pedal) mark_->Fields.Kind = SameText(text, "start") ? 1 : 0;
            break;
          default:
            break;
        }
      } else if (parent == Note && note_) {
        NoteType(t);
      } else if (parent == Rest && rest_) {
        int ticks = TypeToTicks(text);
        if (ticks) rest_->Fields.Length = static_cast<uint16_t>(ticks);
      }
      return false;
    case Dot:
    case DoubleDot:
      if (parent == Note && note_) AddDot(note_, t.Code == DoubleDot ? 2 : 1);
      else if (parent == Rest && rest_) AddDot(rest_, t.Code == DoubleDot ? 2 : 1);
      return false;
    case Voice:
      if ((parent == Note && note_) || (parent == Rest && rest_) || (parent == Forward && rest_)) FileVoice(t);
      return false;
    case Staff:
      if (parent == Note && note_) NoteStaff(note_->Fields.StaffVoice, t);
      else if ((parent == Rest || parent == Forward) && rest_) NoteStaff(rest_->Fields.StaffVoice, t);
      else if (parent == Direction) {
        directionStaff_ = std::clamp(NumberOf(text, 1), 1, part_ ? part_->StaffCount() : 1) - 1;
      }
      if (parent == Direction && NumberOf(text, 1) == 2) {
        if (mark_) data_.DirectionStaff[mark_] = 1;
        int d = Px(lineSpace_ * 4 + interval_) * 8;
        // A hairpin begun here belongs to the second staff as well.
        if (wedgeInDirection_ && wedge_ && !mark_) {
          data_.DirectionStaff[wedge_] = 1;
          wedge_->Fields.OffsetY = static_cast<int16_t>(ClampInt16(wedge_->Fields.OffsetY + d));
        }
        if (mark_) mark_->Fields.OffsetY = static_cast<int16_t>(ClampInt16(mark_->Fields.OffsetY + d));
        else if (lyric_) {
          lyric_->Fields.OffsetY = static_cast<int16_t>(ClampInt16(lyric_->Fields.OffsetY + d));
          data_.DirectionStaff[lyric_] = 1;
        }
      }
      return false;
    case Stem:
      // A stem the file leaves out ("none") is drawn as the score draws it.
      if (parent == Note && note_ && !SameText(Trim(text), "none")) {
        note_->SetStemDown(!SameText(text, "up"));
        info_->StemRead = true;
      }
      return false;
    case PrintObject: {
      if (!SameText(Trim(text), "no")) return false;
      if (parent == Note && info_) info_->Hidden = true;
      else if (parent == PartName && part_) names_[part_].first.clear();
      else if (parent == PartAbbreviation && part_) names_[part_].second.clear();
      return false;
    }
    case mx::Beam:
      if (parent == Note && note_) SetBeam(t);
      return false;
    case Lyric:
      if (parent != Note || !note_ || !measure_) return false;
      CheckItemRoom(measure_);
      lyric_ = Make<TQSLyric>(kind::Lyric, measure_);
      lyric_->Fields.Time = static_cast<uint16_t>(lastStart_);
      TakeVoiceOf(lyric_, lyric_->Fields.StaffVoice);
      SetVerse(1);
      lyricDepth_ = t.Depth;
      elision_ = false;
      return true;
    case Syllabic:
      // Only the first of syllables sung on one note joins the one before.
      if (parent == Lyric && lyric_ && lyric_->Lines.empty() && (SameText(text, "middle") || SameText(text, "end")))
        lyric_->Fields.Flags |= TQSLyric::kHyphen;
      return false;
    case Text:
      if (parent != Lyric || !lyric_) return false;
      if (elision_ && !lyric_->Lines.empty()) lyric_->Lines.back() += elisionText_ + text;
      else lyric_->Lines.push_back(text);
      elision_ = false;
      return false;
    case Elision:
      // Syllables sung on one note stand on one line, joined by the file's
      // sign or an undertie.
      if (parent == Lyric && lyric_) {
        elision_ = true;
        elisionText_ = " ";
      }
      return false;
    case Transpose:
      if (parent != Attributes || !part_ || t.IsAttribute) return false;
      transposeChromatic_ = transposeOctaves_ = 0;
      return true;
    case Chromatic:
    case OctaveChange:
      if (parent == Transpose && part_) {
        (t.Code == Chromatic ? transposeChromatic_ : transposeOctaves_) = std::clamp(NumberOf(text, 0), -48, 48);
        // A transposing instrument sounds its written notes this far off.
        const TQSTransportRecord r = MakeTransportRecord(transposeChromatic_ + 12 * transposeOctaves_);
        part_->SetTransport(1, &r);
      }
      return false;
    case TimeModification:
      return (parent == Note && note_) || (parent == Rest && rest_);
    case ActualNotes:
      if (parent == TimeModification && (note_ || rest_)) tupletActual_ = NumberOf(text, 3);
      return false;
    case NormalNotes:
      if (parent == TimeModification && (note_ || rest_)) tupletNormal_ = NumberOf(text, 0);
      return false;
    case mx::Tie:
      return parent == Note && note_;
    case Notations:
      return (parent == Note && note_) || (parent == Rest && rest_);
    case mx::Slur:
      if (parent != Notations || !note_) return false;
      slurTypeRead_ = slurNumberRead_ = false;
      slurPlacement_ = -1;
      slur_ = nullptr;
      // A slur without a number is slur 1.
      if (!AttributeOf(index_, mx::Number)) {
        slurNumber_ = 1;
        slurNumberRead_ = true;
      }
      return true;
    case Placement:
      if (parent == Direction) above_ = SameText(text, "above");
      if (parent == Slur) {
        slurPlacement_ = SameText(text, "above") ? 1 : SameText(text, "below") ? 0 : -1;
        PlaceSlur();
      }
      if (IsNoteSign(parent) && mark_ && SameText(Trim(text), "below")) {
        data_.BelowNotes.insert(mark_);
        if (mark_->ItemType == kind::Accent && mark_->Fields.Kind == 0) mark_->Fields.Kind = 1;
      }
      return false;
    case Articulations:
      return parent == Notations && note_;
    case Staccato:
      if (parent == Articulations) mark_ = NoteMark(kind::Staccato, TQSMark::kStyleAttached);
      return false;
    case Portamento:
    case Tenuto:
      // The score's dash at a note, written as a tenuto.
      if (parent == Articulations) mark_ = NoteMark(kind::Portamento, TQSMark::kStyleAttached);
      return false;
    case Accent:
      // The accent sign ">" (Kind 0 is the marcato).
      if (parent != Articulations) return false;
      mark_ = NoteMark(kind::Accent, 0);
      mark_->Fields.Kind = 3;
      return true;
    // Signs at the note, one glyph each; the post-pass puts them clear of
    // the notes, above unless the file places them below.
    case StrongAccent:
    case BreathMark:
      if (parent != Articulations) return false;
      mark_ = NoteMark(t.Code == StrongAccent ? kind::Accent : kind::Breath, 0);
      return true;
    case Ornaments:
      return parent == Notations && note_;
    case TrillMark:
    case Mordent:
    case InvertedMordent:
    case Turn:
      if (parent != Ornaments) return false;
      mark_ = NoteMark(t.Code == TrillMark ? kind::Trill : t.Code == Turn ? kind::Gruppetto : kind::Mordent, 0);
      // The trill glyph is Kind 1; Kind 0 of the mordents is the upper one.
      mark_->Fields.Kind = t.Code == TrillMark || t.Code == Mordent ? 1 : 0;
      return true;
    case Arpeggiate:
      // Every note of a chord may carry the sign; the chord gets one, which
      // the post-pass stretches over its heads.
      if (parent != Notations || !note_) return false;
      mark_ = ChordHasMark(kind::Arpeggio) ? nullptr : NoteMark(kind::Arpeggio, 0);
      return mark_ != nullptr;
    case Tremolo:
      // Strokes through the stem of one note or chord (a tremolo between
      // two notes is not written).
      if (parent != Ornaments || !note_ || ChordHasMark(kind::Tremolo)) return false;
      mark_ = NoteMark(kind::Tremolo, TQSMark::kStyleAttached);
      mark_->Fields.Value = static_cast<uint16_t>(std::clamp(NumberOf(text, 3), 1, kMaxTremoloStrokes));
      return true;
    case UpBow:
    case DownBow:
      if (parent != Technical) return false;
      mark_ = NoteMark(kind::Bowing, 0);
      mark_->Fields.Kind = t.Code == UpBow ? 0 : 1;
      return true;
    case Fingering: {
      const std::string f = Trim(text);
      if (parent != Technical || f.size() != 1 || f[0] < '0' || f[0] > '5') return false;
      mark_ = NoteMark(kind::Finger, 0);
      mark_->Fields.Kind = static_cast<uint8_t>(f[0] - '0');
      return true;
    }
    case Fermata:
      if (parent != Notations) return false;
      mark_ = NoteMark(kind::Fermata, TQSMark::kStyleAttached);
      return true;
    case Technical:
      return parent == Notations && note_;
    case mx::String:
      // The file counts strings from the highest, the score from the lowest.
      if (parent == Technical && note_) {
        const TQSStaff* staff = part_ ? part_->GetStaff(StaffOf(note_->Fields.StaffVoice)) : nullptr;
        const int lines = staff && staff->Fields.LineCount > 0 ? staff->Fields.LineCount : TQSStaff::kMaxLines;
        note_->Fields.TabString = static_cast<uint8_t>(std::clamp(lines - NumberOf(text, 1), 0, lines - 1));
      }
      return false;
    case Fret:
      if (parent == Technical && note_) note_->Fields.TabFret = static_cast<uint8_t>(std::clamp(NumberOf(text, 0), 0, 254) + 1);
      return false;
    case Tied:
      return false;
    case Backup:
      return parent == mx::Measure && measure_;
    case Forward:
      return parent == mx::Measure && measure_;

    // ---------------------------------------------- directions
    case Direction:
      if (t.IsAttribute && parent == Arpeggiate && mark_ && mark_->ItemType == kind::Arpeggio) {
        if (SameText(text, "up")) mark_->Fields.Style = TQSMark::kArpeggioUp;
        else if (SameText(text, "down")) mark_->Fields.Style = TQSMark::kArpeggioDown;
      }
      if (t.IsAttribute || parent != mx::Measure || !measure_) return false;
      above_ = false;
      mark_ = nullptr;
      lyric_ = nullptr;
      wedgeInDirection_ = false;
      directionDepth_ = t.Depth;
      directionPosition_ = position_;
      directionStaff_ = 0;
      directionWords_ = nullptr;
      return true;
    case DirectionType:
      return parent == Direction;
    case Metronome:
      return parent == DirectionType;
    case BeatUnit:
      // The first unit of a metronome mark; a second one would change it.
      if (parent == Metronome && beatUnit_.empty()) beatUnit_ = Trim(text);
      return false;
    case BeatUnitDot:
      if (parent == Metronome && perMinute_ == 0) ++beatDots_;
      return false;
    case PerMinute:
      if (parent == Metronome) perMinute_ = LeadingNumber(text);
      return false;
    case mx::Tempo:
      if (!t.IsAttribute || parent != Sound || !measure_) return false;
      if (double q; TryStrToFloat(Trim(text), q) && std::isfinite(q) && q > 0) {
        if (directionDepth_ >= 0) soundTempo_ = q;
        else SoundTempo(q, position_);
      }
      return false;
    case OctaveShift:
      if (parent != DirectionType || !measure_) return false;
      shiftRead_ = true;
      shiftType_.clear();
      shiftSize_ = 8;
      return true;
    case Size:
      if (parent == OctaveShift) shiftSize_ = NumberOf(text, 8);
      return false;
    case Rehearsal:
      if (parent == DirectionType && measure_) RehearsalMark(Trim(text));
      return false;
    case Segno:
    case Coda:
      // A sign of the score's play order: one per measure serves every part.
      if (parent == DirectionType && measure_) {
        TQSColumn* column = EnsureColumn(measure_->Index);
        const TQSItemType k = t.Code == Segno ? kind::Segno : kind::Coda;
        const bool there = std::any_of(column->Items.begin(), column->Items.end(),
                                       [k](const TQSItem* i) { return i->ItemType == k; });
        if (!there) {
          auto* sign = Make<TQSMark>(k, column);
          sign->Fields.Time = static_cast<uint16_t>(position_);
          sign->Fields.OffsetY = kJumpSignAboveOffset;
        }
      }
      return false;
    case Dynamics:
      if (parent != DirectionType) return false;
      mark_ = dynamics_ = MeasureMark(kind::Dynamics, position_);
      mark_->Fields.OffsetY = static_cast<int16_t>(above_ ? kSignAboveOffset : BelowOffset());
      dynamicsDepth_ = t.Depth;
      dynamicsKindSet_ = false;
      return true;
    case Fff: case Ff: case F: case Fp: case P: case Pp: case Ppp:
    case Mp: case Mf: case Sf: case Sfz: case Fz: case Sffz: case Pppp: case Ppppp: case Pppppp:
    case Ffff: case Fffff: case Ffffff: case Sfp: case Sfpp: case Rf: case Rfz:
      if (parent == Dynamics && dynamics_) DynamicsLetters(t.Code);
      return false;
    case OtherDynamics:
      if (parent == Dynamics && dynamics_) DynamicsText(text);
      return false;
    case Wedge:
      return parent == DirectionType && measure_;
    case Words:
      if (parent != DirectionType) return false;
      CheckItemRoom(measure_);
      lyric_ = Make<TQSLyric>(kind::Term, measure_);
      lyric_->Fields.Time = static_cast<uint16_t>(position_);
      lyric_->Lines.push_back(text);
      lyric_->Fields.OffsetY = static_cast<int16_t>(above_ ? kWordsAboveOffset : BelowOffset());
      mark_ = nullptr;
      if (above_ && !directionWords_) directionWords_ = lyric_;
      return true;
    case FontStyle:
      if (parent == Words && lyric_ && SameText(text, "italic")) lyric_->Fields.FontStyle |= fsItalic;
      return false;
    case FontWeight:
      if (parent == Words && lyric_ && SameText(text, "bold")) lyric_->Fields.FontStyle |= fsBold;
      return false;
    case Pedal:
      if (parent != DirectionType) return false;
      mark_ = MeasureMark(kind::Pedal, std::max(0, std::min(position_, measureLength_ - 1)));
      mark_->Fields.OffsetY = static_cast<int16_t>(above_ ? kSignAboveOffset : BelowOffset());
      return true;
    case RelativeY:
      if (parent == Wedge && wedge_) Offset(wedge_->Fields.OffsetY, text, true);
      else if ((parent == Dynamics || parent == Pedal) && mark_) Offset(mark_->Fields.OffsetY, text, true);
      else if (parent == Words && lyric_) Offset(lyric_->Fields.OffsetY, text, true);
      return false;
    case RelativeX:
      if (parent == Wedge && wedge_) Offset(wedge_->Fields.OffsetX, text, false);
      else if (parent == Dynamics && mark_) Offset(mark_->Fields.OffsetX, text, false);
      else if (parent == Words && lyric_) Offset(lyric_->Fields.OffsetX, text, false);
      return false;
    case Sound:
      return parent == mx::Measure || parent == Direction;
    case Directive:
      if (parent != mx::Measure || !measure_) return false;
      CheckItemRoom(measure_);
      lyric_ = Make<TQSLyric>(kind::Lyric, measure_);
      lyric_->Lines.push_back(text);
      mark_ = nullptr;
      return false;

    // ---------------------------------------------- harmony
    case Harmony:
      return parent == mx::Measure && measure_;
    case Root:
      if (parent != Harmony) return false;
      CheckItemRoom(measure_);
      chord_ = Make<TQSChord>(kind::Chord, measure_);
      chord_->Fields.Time = static_cast<uint16_t>(position_);
      chord_->Fields.OffsetY = -128;
      chord_->Definition = {1, 0, 0};
      return true;
    case RootStep:
      if (parent == Root && chord_) Code()[2] = static_cast<uint8_t>((Code()[2] & 0xF0) | StepIndex(text));
      return false;
    case RootAlter:
      if (parent == Root && chord_) Code()[2] = static_cast<uint8_t>((Code()[2] & 0x0F) | AlterBits(text));
      return false;
    case mx::Kind:
      if (parent == Harmony && chord_) HarmonyKind(Trim(text));
      return false;
    case Bass:
      return parent == Harmony && chord_;
    case BassStep:
      if (parent == Bass && chord_) {
        std::vector<uint8_t>& c = Code();
        if (c[1] == 0) c.push_back(0);
        c[1] = 1;
        c.back() = static_cast<uint8_t>(StepIndex(text));
      }
      return false;
    case BassAlter:
      if (parent == Bass && chord_ && Code()[1])
        Code().back() = static_cast<uint8_t>((Code().back() & 0x0F) | AlterBits(text));
      return false;

    // ---------------------------------------------- barlines and breaks
    case Barline:
      if (t.IsAttribute || parent != mx::Measure || !measure_) return false;
      barline_ = nullptr;
      barDepth_ = t.Depth;
      barPosition_ = measureLength_;  // a barline stands at the right unless told otherwise
      return true;
    case Location:
      if (parent == Barline) barPosition_ = SameText(text, "left") || SameText(text, "middle") ? 0 : measureLength_;
      return false;
    case BarStyle:
      if (parent == Barline && measure_) {
        if (SameText(text, "light-heavy")) SetBarKind(kind::CompositionEnd);
        else if (SameText(text, "light-light")) SetBarKind(kind::SectionEnd);
        // A heavy-light bar ends the music at a measure's end and opens it
        // at its start (a repeat sign that follows replaces it).
        else if (SameText(text, "heavy-light"))
          SetBarKind(barPosition_ == 0 ? kind::CompositionBegin : kind::CompositionEnd);
      }
      return false;
    case Repeat:
      if (parent != Barline || !measure_) return false;
      {
        const std::string* dir = AttributeOf(index_, mx::Direction);
        SetBarKind(dir && SameText(*dir, "backward") ? kind::RepeatClose : kind::RepeatOpen);
      }
      return false;
    case Ending:
      return parent == Barline && measure_;
    case Print:
      return parent == mx::Measure && measure_;
    case NewSystem:
      if (parent == Print && SameText(text, "yes") && measure_->Index > 0)
        EnsureColumn(measure_->Index - 1)->Fields.SystemBreak = 1;
      return false;
    case NewPage:
      if (parent == Print && SameText(text, "yes")) EnsureColumn(measure_->Index)->Fields.PageBreak = 1;
      return false;

    default:
      // A sign of dynamics no kind stands for is written out as its letters.
      if (parent == Dynamics && dynamics_ && !t.IsAttribute) DynamicsText(t.Name);
      return false;
  }
}

// Where interpretation begins: the score-partwise element.
size_t FindRoot(const TQSTagList& tags) {
  for (size_t i = 0; i < tags.Tags.size(); ++i) {
    const TQSTag& t = tags.Tags[i];
    if (t.IsAttribute) continue;
    if (SameText(t.Name, "score-partwise")) return i;
    if (SameText(t.Name, "score-timewise"))
      throw EMusicXmlError("The file is a timewise MusicXML score, which cannot be read; only partwise scores can.");
    if (t.Depth == 0) break;
  }
  throw EMusicXmlError("The file is not a MusicXML score: it has no <score-partwise> element.");
}

}  // namespace
}  // namespace mxml

void ImportMusicXml(TQSScore& score, TStream& stream) {
  TQSTagList tags;
  if (BeginsAsZipArchive(stream)) {
    TMemoryStream document(UnpackCompressedMusicXml(stream));
    tags = TokenizeMusicXml(document);
  } else {
    tags = TokenizeMusicXml(stream);
  }
  score.BeginUpdate();
  try {
    TQSPiece* piece = score.NewPiece();
    auto* numbering = static_cast<TQSMark*>(CreateItemByKind(kind::MeasureNumbering, piece->AddColumn()));
    numbering->Fields.Value = 1;
    numbering->Fields.Style = 1;
    const size_t root = mxml::FindRoot(tags);
    TQSSpacingTable& rows = piece->Spacing.RowOffsets;
    if (rows.empty()) rows.push_back(0);
    rows[0] = static_cast<int16_t>(rows[0] + 160);
    mxml::TImportData data;
    {
      mxml::TReader reader(score, *piece, tags, data);
      reader.Run(root + 1);
    }
    mxml::FinishImport(score, *piece, data);
  } catch (...) {
    score.EndUpdate();
    throw;
  }
  score.EndUpdate();
}

void InstallMusicXmlImporter() {
  TQSScore::SetMusicXmlImporter([](TQSScore& score, TStream& stream) { ImportMusicXml(score, stream); });
}

}  // namespace qs
