#pragma once
// The MusicXML reader's state while it walks the tag list, and its helpers;
// the handlers of the elements live in the files of their element groups
// (musicxml_read_*.cpp).
#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstring>
#include <map>
#include <string>
#include <tuple>

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
#include "layout/sounding.h"
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

inline int StepIndex(std::string_view s) {
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
inline int NumberOf(const std::string& text, int defaultValue) {
  std::string t = Trim(text);
  int v;
  if (TryStrToInt(t, v)) return std::clamp(v, -kMaxFileNumber, kMaxFileNumber);
  double d;
  if (TryStrToFloat(t, d) && std::isfinite(d) && std::fabs(d) < 1e9) return Round(d);
  return defaultValue;
}

// The whole number a text begins with, after blanks and words such as
// "c." ("c. 120"); 0 when it has none.
inline int LeadingNumber(const std::string& text) {
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
inline int TypeToTicks(const std::string& name) {
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

inline int ClampInt16(long long v) { return static_cast<int>(std::clamp<long long>(v, INT16_MIN, INT16_MAX)); }

inline int LargestPowerOfTwoAtMost(int n) {
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
      if (creditDepth_ >= 0 && t.Depth <= creditDepth_) FinishCredit();
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
    if (creditDepth_ >= 0) FinishCredit();
    EndOttavas();
    MakeGroupsAndNames();
    GiveOwnChannels();
    RoomForTitles();
    ScaleFromFile();
  }

  // The staff height the file's scaling gives (millimetres for so many
  // tenths, a staff being 40 tenths high) becomes the score's engraving
  // scale, within the scales the score allows, where it differs from the
  // score's own staff by more than 15 in 100: the usual staff sizes of other
  // programs keep the score's own, whose staff spaces are whole pixels.
  void ScaleFromFile() {
    if (fileMillimeters_ <= 0 || fileTenths_ <= 0) return;
    const double staffTenthsOfMm = 40 * fileMillimeters_ / fileTenths_ * 10;
    const double ownStaff = static_cast<double>(score_.Page.Tenths(TQSPage::dLineSpace).Value()) * 4;
    if (!(ownStaff > 0)) return;
    const double ratio = staffTenthsOfMm / ownStaff;
    if (ratio > 0.85 && ratio < 1.15) return;
    score_.Scale = std::clamp(static_cast<int>(std::lround(100 * ratio)), kMinScale, kMaxScale);
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
  // The parts whose MIDI channel the file gives.
  std::vector<TQSPart*> channelGiven_;
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
  int tupletNormalType_ = 0;                 // ticks of its normal-type, 0 for the note's own
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
  TQSMark* trill_ = nullptr;  // a trill whose wavy line runs on
  TQSMark* glissando_ = nullptr;  // a glissando waiting for the note it leads to
  int glissandoLine_ = 0;  // the pitch line of its first note
  int trillMeasure_ = 0;
  int degreeValue_ = 0, degreeAlter_ = 0;  // of the <degree> being read
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
  // The line brackets of the direction being read, and those begun and not
  // yet ended, by their number.
  struct TBracketRead {
    std::string Type;
    int Number = 1;
    std::string LineEnd;
  };
  std::vector<TBracketRead> bracketsRead_;
  size_t directionIndex_ = 0;
  struct TOpenBracket {
    TQSMark* Mark = nullptr;
    int Measure = 0;
  };
  std::map<int, TOpenBracket> brackets_;
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
  // The key in force in each part (fifths), and whether the last syllable
  // of each verse of each staff and voice of the part left its word open.
  std::map<const TQSPart*, int> keyInForce_;
  std::map<std::tuple<const TQSPart*, int, int>, bool> openWords_;
  // The texts made from the work, movement and identification, with their
  // role ("title", "composer", "lyricist", "rights"): a credit of the same
  // role or text replaces them.
  struct THeaderText {
    TQSText* Text;
    std::string Role;
  };
  std::vector<THeaderText> headerTexts_;
  // The credit being read: its page, its type and its texts, each with
  // its place in the file's tenths (-1 where the file gives none).
  struct TCreditWords {
    std::string Text;
    int X = -1, Y = -1;
    std::string Justify, Valign;
    int Points = 0;
  };
  int creditDepth_ = -1;
  int creditPage_ = 1;
  std::string creditType_;
  std::vector<TCreditWords> creditWords_;
  // The file's page in its tenths, and the millimetres of its tenths; 0
  // where it gives none.
  int filePageWidth_ = 0, filePageHeight_ = 0;
  double fileMillimeters_ = 0, fileTenths_ = 0;

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
    // A movement title that repeats the work's title (or the other way
    // round) is printed once.
    for (const THeaderText& h : headerTexts_)
      if (!isNumber && h.Role == "title" && SameText(Trim(h.Text->Lines[0]), Trim(s))) return;
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
    headerTexts_.push_back({text_, "title"});
    started = true;
  }

  void CreatorText(const std::string& s, bool composer) {
    int x = composer ? Px(score_.Page.Tenths(TQSPage::dWidth).Value() -
                          score_.Page.Tenths(TQSPage::dRightMargin).Value()) * 8 -
                           TextWidthOf(s, 10)
                     : Px(score_.Page.Tenths(TQSPage::dLeftMargin).Value()) * 8;
    text_ = NewText(s, 10, x, 512);
    headerTexts_.push_back({text_, composer ? "composer" : "lyricist"});
  }

  // The height of a line of text of a point size, in layout units.
  int LineHeight(int points) const { return Round(points * ppi_ / 72.0 * 8 * 1.15); }

  // The first system stands below the texts at the top of the first page
  // (titles, composer, credits), with room above its staff for high notes.
  void RoomForTitles() {
    const int pageHeight = Px(score_.Page.Tenths(TQSPage::dHeight).Value()) * 8;
    int lowest = 0;
    for (TQSItem* item : score_.Items) {
      if (item->ItemType != kind::Text) continue;
      const auto* text = static_cast<const TQSText*>(item);
      if (text->Fields.Page != 1 || text->Fields.Y > pageHeight / 3) continue;
      if (std::all_of(text->Lines.begin(), text->Lines.end(), [](const std::string& l) { return Trim(l).empty(); }))
        continue;
      const int points = text->Fields.FontSize ? text->Fields.FontSize : 8;
      lowest = std::max(lowest, text->Fields.Y + LineHeight(points) * static_cast<int>(text->Lines.size()));
    }
    if (lowest == 0) return;
    const int staffTop = Px(score_.Page.Tenths(TQSPage::dTopMargin).Value() + interval_) * 8;
    const int needed = lowest + 4 * Px(lineSpace_) * 8 - staffTop;
    TQSSpacingTable& rows = piece_.Spacing.RowOffsets;
    if (rows.empty()) rows.push_back(0);
    if (needed > rows[0]) rows[0] = static_cast<int16_t>(std::min<int>(needed, INT16_MAX));
  }

  void FinishCredit();
  void PlaceCredit(const std::vector<std::string>& lines, const TCreditWords& words);

  // --------------------------------------------------------- notes

  void FinishItem() {
    if ((note_ || rest_) && tupletActual_ > 0) TupletMember();
    tupletActual_ = tupletNormal_ = tupletNormalType_ = 0;
    if (note_) {
      ShiftNote(*note_);
      // The drum head is drawn only where the drum map lets the note keep
      // its key with it.
      if (unpitched_ && !LearnDrumNote(*note_) && headstyle::IsDrum(note_->Fields.HeadStyle)) {
        note_->Fields.HeadStyle = headstyle::Normal;
        LearnDrumNote(*note_);
      }
      TQSNote::TFields& f = note_->Fields;
      if (f.Length == 0 && f.RealLength > 0) f.Length = static_cast<uint16_t>(LargestPowerOfTwoAtMost(f.RealLength));
      // A grace note without a type (some programs leave it out) is an
      // eighth, as a grace note is most often written.
      if (f.Length == 0 && info_->Grace) f.Length = kTicksEighth;
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
    tupletActual_ = tupletNormal_ = tupletNormalType_ = 0;
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
    if (note_ && info_->Grace) return;
    const int written = note_ ? note_->Fields.Length : rest_->Fields.Length;
    if (written <= 0) return;
    // Normal notes counted in a value of their own ("5 in the time of 2
    // eighths") are counted in the note's value.
    int normal = tupletNormal_;
    if (tupletNormalType_ > 0 && normal > 0 && normal * tupletNormalType_ % written == 0)
      normal = normal * tupletNormalType_ / written;
    if (normal > 0 && normal != TupletNormalCount(static_cast<uint8_t>(actual))) return;
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

  // A tie written as <tie>, as <tied> or as both is one tie.
  void StartTie(const TQSTag& t) {
    if (!SameText(t.Text, "start")) return;
    for (TQSItem* item : note_->Items)
      if (item->ItemType == kind::Liga && static_cast<TQSLiga*>(item)->EndFromStart()) return;
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
    if (measure_ && (perMinute_ > 0 || soundTempo_ > 0)) MetronomeOutOfWords();
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
    if (measure_)
      for (const TBracketRead& b : bracketsRead_) LineBracket(b);
    bracketsRead_.clear();
    beatUnit_.clear();
    beatDots_ = perMinute_ = 0;
    soundTempo_ = 0;
    shiftRead_ = false;
  }

  // Words that end with a metronome mark ("Allegro (q = 120)", with a
  // note sign or its letter) of a direction that sets a tempo: the mark
  // is the score's tempo mark, not printed a second time in the words.
  void MetronomeOutOfWords() {
    if (!directionWords_ || directionWords_->Lines.empty()) return;
    std::string& line = directionWords_->Lines.back();
    const size_t equals = line.rfind('=');
    if (equals == std::string::npos) return;
    std::string number = Trim(line.substr(equals + 1));
    while (!number.empty() && (number.back() == ')' || number.back() == ']')) number.pop_back();
    number = Trim(number);
    const int bpm = LeadingNumber(number);
    if (bpm <= 0 || number.find_first_not_of("0123456789.") != std::string::npos) return;
    std::string before = line.substr(0, equals);
    while (!before.empty() && before.back() == ' ') before.pop_back();
    int dots = 0;
    while (!before.empty() && before.back() == '.') {
      ++dots;
      before.pop_back();
    }
    // The note sign: a music character of the text or of the music font's
    // metronome notes, or the letter the notation fonts draw one with.
    struct TSign {
      const char* Text;
      const char* Unit;
    };
    static const TSign kSigns[] = {
        {"\u2669", "quarter"}, {"\u266A", "eighth"}, {"\U0001D15F", "quarter"}, {"\U0001D15E", "half"},
        {"\U0001D160", "eighth"}, {"\uECA5", "quarter"}, {"\uECA3", "half"}, {"\uECA7", "eighth"},
        {"q", "quarter"}, {"h", "half"}, {"e", "eighth"}};
    const char* unit = nullptr;
    for (const TSign& s : kSigns) {
      const size_t n = std::strlen(s.Text);
      if (before.size() < n || before.compare(before.size() - n, n, s.Text) != 0) continue;
      // A letter stands alone: "q = 120", not "Allegro = 120".
      if (n == 1 && before.size() > 1 && before[before.size() - 2] != ' ' && before[before.size() - 2] != '(' &&
          before[before.size() - 2] != '[')
        continue;
      unit = s.Unit;
      before.resize(before.size() - n);
      break;
    }
    if (!unit) return;
    while (!before.empty() && (before.back() == ' ' || before.back() == '(' || before.back() == '[')) before.pop_back();
    if (perMinute_ == 0) {
      perMinute_ = bpm;
      beatUnit_ = unit;
      beatDots_ = dots;
    }
    // The words are measured again without the mark.
    directionWords_->Fields.Width = directionWords_->Fields.Height = 0;
    if (!before.empty()) {
      line = before;
      return;
    }
    directionWords_->Lines.pop_back();
    if (directionWords_->Lines.empty()) {
      data_.DirectionStaff.erase(directionWords_);
      data_.Items.erase(directionWords_);
      if (lyric_ == directionWords_) lyric_ = nullptr;
      delete directionWords_;
      directionWords_ = nullptr;
    }
  }

  void PlaceTempo(int beat, int bpm) {
    int kindValue = 0;
    while ((kTicksWhole >> kindValue) > beat && kindValue < 9) ++kindValue;
    TQSMark* mark = PlaceTempoMark(*EnsureColumn(measure_->Index), std::min(directionPosition_, measureLength_ - 1),
                                   static_cast<uint8_t>(kindValue), std::clamp(bpm, 1, 999));
    // Beside the words of the same direction ("Allegro" then the mark).
    if (directionWords_ && !directionWords_->Lines.empty()) {
      const int w = TextWidthOf(directionWords_->Lines[0], directionWords_->Fields.FontSize ? directionWords_->Fields.FontSize : 8);
      // (Bold or wider faces than the measuring one: some room to spare.)
      const bool bold = directionWords_->Fields.FontStyle & fsBold;
      mark->Fields.OffsetX = static_cast<int16_t>(ClampInt16(directionWords_->Fields.OffsetX + w * (bold ? 6 : 5) / 5 + 64));
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
    if (measure_)
      for (auto& [number, b] : brackets_) EndBracket(b, measureLength_);
    brackets_.clear();
  }

  // A line bracket begins or ends on the direction's staff: the score's
  // bracket, its hooks down over the notes, up under them. The side is the
  // direction's placement, else the way the file turns its line's ends.
  void LineBracket(const TBracketRead& b) {
    auto it = brackets_.find(b.Number);
    const bool stop = SameText(b.Type, "stop");
    if (!stop && !SameText(b.Type, "start")) return;
    if (it != brackets_.end()) {
      EndBracket(it->second, directionPosition_);
      brackets_.erase(it);
    }
    if (stop) return;
    const std::string* placement = AttributeOf(directionIndex_, mx::Placement);
    const bool below = placement ? SameText(Trim(*placement), "below") : SameText(b.LineEnd, "up");
    TOpenBracket o;
    o.Measure = measure_->Index;
    o.Mark = MeasureMark(kind::Bracket, directionPosition_);
    o.Mark->Fields.Kind = below ? 1 : 0;
    o.Mark->Fields.StaffVoice = MakeStaffVoice(directionStaff_, 0);
    brackets_[b.Number] = o;
  }

  // A bracket reaches to the last note of its staff that begins before
  // its end (the layout takes in that note's head), so that it stops
  // short of the next note or the barline.
  void EndBracket(TOpenBracket& b, int position) {
    const int staff = StaffOf(b.Mark->Fields.StaffVoice);
    const bool sameMeasure = measure_->Index == b.Measure;
    int end = position;
    for (TQSItem* item : measure_->Items)
      if (const auto* n = item->ItemType == kind::Note ? static_cast<const TQSNote*>(item) : nullptr;
          n && StaffOf(n->Fields.StaffVoice) == staff && n->Fields.Time < position &&
          (!sameMeasure || n->Fields.Time >= b.Mark->Fields.Time))
        end = end == position ? n->Fields.Time : std::max<int>(end, n->Fields.Time);
    const int len = LengthFrom(b.Measure, b.Mark->Fields.Time, end);
    b.Mark->Fields.Value = static_cast<uint16_t>(std::clamp(len, 1, kMaxTicks));
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
  bool LearnDrumNote(const TQSNote& n) {
    auto it = drumKeys_.find({part_, noteInstrument_});
    if (it == drumKeys_.end() && noteInstrument_.empty()) {
      int found = 0;
      for (auto k = drumKeys_.begin(); k != drumKeys_.end(); ++k)
        if (k->first.first == part_ && found++ == 0) it = k;
      if (found != 1) it = drumKeys_.end();
    }
    if (it == drumKeys_.end()) return true;
    const int style = n.Fields.HeadStyle;
    const uint8_t head = headstyle::IsDrum(style) ? static_cast<uint8_t>(style - headstyle::FirstDrum) : 255;
    return LearnDrumKey(score_, it->second, n.Fields.Pitch, head);
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
  // A part the file gives no MIDI channel takes the first one no other part
  // uses (never the drum channel), so that parts sound, and are written to
  // MIDI files, apart rather than merged on channel 1. When all are taken
  // it keeps channel 1.
  void GiveOwnChannels() {
    std::array<bool, 16> used{};
    used[kDrumChannel] = true;
    for (const TQSPart* p : channelGiven_) used[size_t(p->Channel())] = true;
    for (int i = 0; i < piece_.PartCount(); ++i) {
      TQSPart* p = piece_.GetPart(i);
      if (std::find(channelGiven_.begin(), channelGiven_.end(), p) != channelGiven_.end()) continue;
      const auto free = std::find(used.begin(), used.end(), false);
      if (free == used.end()) return;
      *free = true;
      p->SetChannel(uint8_t(free - used.begin()));
    }
  }

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
  // kept; "none" is no chord; an unknown kind leaves the root alone.
  void HarmonyKind(const std::string& name) {
    std::vector<uint8_t>& c = Code();
    if (SameText(name, kHarmonyNoChord)) {
      c = {0, 0};
      return;
    }
    const THarmonyKindCode* k = nullptr;
    for (int i = 0; i < kHarmonyKindCount; ++i)
      if (SameText(name, MusicXmlNames[static_cast<size_t>(kFirstHarmonyKind + i)]))
        k = &HarmonyKindCodes[static_cast<size_t>(i)];
    for (const THarmonyOtherKind& other : HarmonyOtherKinds)
      if (SameText(name, other.Name)) k = &other.Code;
    if (!k) return;
    const bool hasBass = c[chordcode::kHasBassOffset] != 0;
    const uint8_t bass = hasBass ? c.back() : 0;
    c = {static_cast<uint8_t>(1 + k->Count), static_cast<uint8_t>(hasBass ? 1 : 0), c[chordcode::kRootOffset]};
    c.insert(c.end(), k->Elements.begin(), k->Elements.begin() + k->Count);
    if (hasBass) c.push_back(bass);
  }

  // ----------------------------------------------------------- dispatch

  // Interprets one element or attribute of the document; true when the
  // elements inside it are to be read as its (a parent the reader accepts).
  bool Handle(const TQSTag& tag, int parent);

  using THandler = bool (TReader::*)(const TQSTag&, int);
  static const std::array<THandler, mx::Count>& Handlers();

  // The identification and the part list (musicxml_read_part_list.cpp).
  bool OnScoreHeader(const TQSTag& tag, int parent);
  bool OnPart(const TQSTag& tag, int parent);
  bool OnWorkTitle(const TQSTag& tag, int parent);
  bool OnMovementTitle(const TQSTag& tag, int parent);
  bool OnCreator(const TQSTag& tag, int parent);
  bool OnRights(const TQSTag& tag, int parent);
  bool OnEncoding(const TQSTag& tag, int parent);
  bool OnScorePart(const TQSTag& tag, int parent);
  bool OnId(const TQSTag& tag, int parent);
  bool OnPartName(const TQSTag& tag, int parent);
  bool OnPartAbbreviation(const TQSTag& tag, int parent);
  bool OnPartGroup(const TQSTag& tag, int parent);
  bool OnGroupSymbol(const TQSTag& tag, int parent);
  bool OnScoreInstrument(const TQSTag& tag, int parent);
  bool OnMidiInstrument(const TQSTag& tag, int parent);
  bool OnMidiChannel(const TQSTag& tag, int parent);
  bool OnMidiProgram(const TQSTag& tag, int parent);
  bool OnEncodingDetail(const TQSTag& tag, int parent);
  void CreatorType(const std::string& text);
  bool OnCredit(const TQSTag& tag, int parent);
  bool OnCreditPage(const TQSTag& tag, int parent);
  bool OnCreditType(const TQSTag& tag, int parent);
  bool OnCreditWords(const TQSTag& tag, int parent);
  bool OnCreditWordsAttribute(const TQSTag& tag, int parent);
  bool OnScaling(const TQSTag& tag, int parent);
  bool OnScalingValue(const TQSTag& tag, int parent);
  bool OnPageSize(const TQSTag& tag, int parent);
  bool OnMidiUnpitched(const TQSTag& tag, int parent);

  // Measures and their attributes (musicxml_read_attributes.cpp).
  bool OnMeasure(const TQSTag& tag, int parent);
  bool OnNumber(const TQSTag& tag, int parent);
  bool OnAttributes(const TQSTag& tag, int parent);
  bool OnDivisions(const TQSTag& tag, int parent);
  bool OnKey(const TQSTag& tag, int parent);
  bool OnFifths(const TQSTag& tag, int parent);
  bool OnMode(const TQSTag& tag, int parent);
  bool OnTime(const TQSTag& tag, int parent);
  bool OnBeats(const TQSTag& tag, int parent);
  bool OnBeatType(const TQSTag& tag, int parent);
  bool OnStaves(const TQSTag& tag, int parent);
  bool OnClef(const TQSTag& tag, int parent);
  bool OnSign(const TQSTag& tag, int parent);
  bool OnLine(const TQSTag& tag, int parent);
  bool OnClefOctaveChange(const TQSTag& tag, int parent);
  bool OnStaffDetails(const TQSTag& tag, int parent);
  bool OnStaffLines(const TQSTag& tag, int parent);
  bool OnStaffTuning(const TQSTag& tag, int parent);
  bool OnTuningStep(const TQSTag& tag, int parent);
  bool OnTuningOctave(const TQSTag& tag, int parent);
  bool OnTranspose(const TQSTag& tag, int parent);
  bool OnTransposeAmount(const TQSTag& tag, int parent);

  // Notes, rests and lyrics (musicxml_read_notes.cpp).
  bool OnNote(const TQSTag& tag, int parent);
  bool OnRest(const TQSTag& tag, int parent);
  bool OnCue(const TQSTag& tag, int parent);
  bool OnNotehead(const TQSTag& tag, int parent);
  bool OnGrace(const TQSTag& tag, int parent);
  bool OnChord(const TQSTag& tag, int parent);
  bool OnPitch(const TQSTag& tag, int parent);
  bool OnUnpitched(const TQSTag& tag, int parent);
  bool OnInstrument(const TQSTag& tag, int parent);
  bool OnStep(const TQSTag& tag, int parent);
  bool OnAlter(const TQSTag& tag, int parent);
  bool OnOctave(const TQSTag& tag, int parent);
  bool OnDuration(const TQSTag& tag, int parent);
  bool OnType(const TQSTag& tag, int parent);
  bool OnDot(const TQSTag& tag, int parent);
  bool OnVoice(const TQSTag& tag, int parent);
  bool OnStaff(const TQSTag& tag, int parent);
  bool OnStem(const TQSTag& tag, int parent);
  bool OnPrintObject(const TQSTag& tag, int parent);
  bool OnBeam(const TQSTag& tag, int parent);
  bool OnLyric(const TQSTag& tag, int parent);
  bool OnSyllabic(const TQSTag& tag, int parent);
  bool OnText(const TQSTag& tag, int parent);
  bool OnElision(const TQSTag& tag, int parent);
  bool OnTimeModification(const TQSTag& tag, int parent);
  bool OnActualNotes(const TQSTag& tag, int parent);
  bool OnNormalNotes(const TQSTag& tag, int parent);
  bool OnNormalType(const TQSTag& tag, int parent);
  bool OnTie(const TQSTag& tag, int parent);
  bool OnBackup(const TQSTag& tag, int parent);
  bool OnForward(const TQSTag& tag, int parent);

  // The notations of a note (musicxml_read_notations.cpp).
  bool OnNotations(const TQSTag& tag, int parent);
  bool OnSlur(const TQSTag& tag, int parent);
  bool OnPlacement(const TQSTag& tag, int parent);
  bool OnArticulations(const TQSTag& tag, int parent);
  TQSMark* ChordArticulation(TQSItemType k, uint8_t style);
  bool OnStaccato(const TQSTag& tag, int parent);
  bool OnTenuto(const TQSTag& tag, int parent);
  bool OnAccent(const TQSTag& tag, int parent);
  bool OnNoteSign(const TQSTag& tag, int parent);
  bool OnOrnaments(const TQSTag& tag, int parent);
  bool OnOrnamentSign(const TQSTag& tag, int parent);
  bool OnArpeggiate(const TQSTag& tag, int parent);
  bool OnTremolo(const TQSTag& tag, int parent);
  bool OnTuplet(const TQSTag& tag, int parent);
  bool OnDegree(const TQSTag& tag, int parent);
  bool OnWrittenAccidental(const TQSTag& tag, int parent);
  bool OnWavyLine(const TQSTag& tag, int parent);
  bool OnOrientation(const TQSTag& tag, int parent);
  bool OnGlissando(const TQSTag& tag, int parent);
  bool OnBowing(const TQSTag& tag, int parent);
  bool OnFingering(const TQSTag& tag, int parent);
  bool OnFermata(const TQSTag& tag, int parent);
  bool OnTechnical(const TQSTag& tag, int parent);
  bool OnString(const TQSTag& tag, int parent);
  bool OnFret(const TQSTag& tag, int parent);
  bool OnTied(const TQSTag& tag, int parent);

  // Directions (musicxml_read_directions.cpp).
  bool OnDirection(const TQSTag& tag, int parent);
  bool OnDirectionType(const TQSTag& tag, int parent);
  bool OnMetronome(const TQSTag& tag, int parent);
  bool OnBeatUnit(const TQSTag& tag, int parent);
  bool OnBeatUnitDot(const TQSTag& tag, int parent);
  bool OnPerMinute(const TQSTag& tag, int parent);
  bool OnTempo(const TQSTag& tag, int parent);
  bool OnOctaveShift(const TQSTag& tag, int parent);
  bool OnBracket(const TQSTag& tag, int parent);
  bool OnSize(const TQSTag& tag, int parent);
  bool OnRehearsal(const TQSTag& tag, int parent);
  bool OnJumpSign(const TQSTag& tag, int parent);
  bool OnDynamics(const TQSTag& tag, int parent);
  bool OnDynamicsLetters(const TQSTag& tag, int parent);
  bool OnOtherDynamics(const TQSTag& tag, int parent);
  bool OnWedge(const TQSTag& tag, int parent);
  void WedgeType(const std::string& text);
  bool OnWords(const TQSTag& tag, int parent);
  bool OnFontStyle(const TQSTag& tag, int parent);
  bool OnFontWeight(const TQSTag& tag, int parent);
  bool OnPedal(const TQSTag& tag, int parent);
  bool OnRelativeY(const TQSTag& tag, int parent);
  bool OnRelativeX(const TQSTag& tag, int parent);
  bool OnSound(const TQSTag& tag, int parent);
  bool OnDirective(const TQSTag& tag, int parent);
  bool OnOther(const TQSTag& tag, int parent);

  // Chord symbols (musicxml_read_harmony.cpp).
  bool OnHarmony(const TQSTag& tag, int parent);
  bool OnRoot(const TQSTag& tag, int parent);
  bool OnRootStep(const TQSTag& tag, int parent);
  bool OnRootAlter(const TQSTag& tag, int parent);
  bool OnKind(const TQSTag& tag, int parent);
  bool OnBass(const TQSTag& tag, int parent);
  bool OnBassStep(const TQSTag& tag, int parent);
  bool OnBassAlter(const TQSTag& tag, int parent);

  // Barlines and breaks (musicxml_read_barlines.cpp).
  bool OnBarline(const TQSTag& tag, int parent);
  bool OnLocation(const TQSTag& tag, int parent);
  bool OnBarStyle(const TQSTag& tag, int parent);
  bool OnRepeat(const TQSTag& tag, int parent);
  bool OnEnding(const TQSTag& tag, int parent);
  bool OnPrint(const TQSTag& tag, int parent);
  bool OnNewSystem(const TQSTag& tag, int parent);
  bool OnNewPage(const TQSTag& tag, int parent);
};

}  // namespace mxml
}  // namespace qs
