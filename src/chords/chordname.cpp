// Chord naming and chord tones from a chord code.
#include "chords/chordname.h"

#include <algorithm>
#include <initializer_list>

#include "score/chordcode.h"
#include "score/score.h"
#include "uikit/names.h"

namespace qs {

namespace {

using namespace chordcode;

// The byte at an offset of the code; 0 past its end, so that a code that
// claims more bytes than it has reads as if the missing ones were empty.
uint8_t At(const std::vector<uint8_t>& code, int offset) {
  return offset >= 0 && offset < static_cast<int>(code.size()) ? code[static_cast<size_t>(offset)] : 0;
}

int Count(const std::vector<uint8_t>& code) { return At(code, kCountOffset); }
bool HasBass(const std::vector<uint8_t>& code) { return At(code, kHasBassOffset) == 1; }
int BassOffset(const std::vector<uint8_t>& code) { return Count(code) + 2; }

// Calls f for each element byte, skipping the ignored ones.
template <class F>
void ForEachElement(const std::vector<uint8_t>& code, F f) {
  const int last = Count(code) + 1;
  for (int i = kFirstElementOffset; i <= last && i < static_cast<int>(code.size()); ++i) {
    const uint8_t b = code[static_cast<size_t>(i)];
    if (b < kIgnored) f(b);
  }
}

// A root or bass byte as a letter with "#" or "b".
std::string NoteName(uint8_t b) {
  const int letter = LowNibble(b);
  std::string s = letter < 7 ? std::string(1, NoteLetter(letter)) : std::string();
  if (HighNibble(b) == kSharp) s += '#';
  else if (HighNibble(b) == kFlat) s += 'b';
  return s;
}

// "7", "7+", "7-", "+7", "-7", "#7", "b7", "aug7", "dim7" by low nibble.
std::string AlterationText(const char* number, uint8_t low) {
  static const char* const kBefore[9] = {"", "", "", "+", "-", "#", "b", "aug", "dim"};
  static const char* const kAfter[9] = {"", "+", "-", "", "", "", "", "", ""};
  if (low > 8) low = 0;
  return std::string(kBefore[low]) + number + kAfter[low];
}

const char* AlteredNumber(uint8_t high) {
  switch (high) {
    case kAlter5: return "5";
    case kAlter7: return "7";
    case kAlter9: return "9";
    case kAlter11: return "11";
    default: return "13";
  }
}

TQSChordFragment Fragment(const std::string& text, int anchor, int level) {
  TQSChordFragment f;
  f.Text = text;
  f.Fields.Anchor = static_cast<uint8_t>(anchor);
  f.Fields.Level = static_cast<int16_t>(level);
  return f;
}

// The diminished and augmented chords are spelled by the code as a minor
// triad with a lowered fifth (and a "dim7"), or a triad with a raised fifth;
// musicians write them "dim", "dim7" and "+". Answers that word, or null
// when the elements are anything else.
const char* CommonQualityWord(const std::vector<uint8_t>& code) {
  std::vector<uint8_t> e;
  ForEachElement(code, [&](uint8_t b) {
    if (HighNibble(b) != 0x00 && HighNibble(b) != 0xA0) e.push_back(b);
  });
  auto lowered = [](uint8_t b, uint8_t number) {
    return HighNibble(b) == number && LowNibble(b) != 0 && LowNibble(b) % 2 == 0 && LowNibble(b) <= 8;
  };
  auto raised = [](uint8_t b, uint8_t number) { return HighNibble(b) == number && LowNibble(b) % 2 == 1 && LowNibble(b) <= 7; };
  const bool minorTriad = e.size() >= 3 && HighNibble(e[0]) == kMinor && e[1] == kBase + kTriad;
  if (minorTriad && e.size() == 3 && lowered(e[2], kAlter5)) return "dim";
  if (minorTriad && e.size() == 4 && lowered(e[2], kAlter5) && e[3] == kAlter7 + Alteration(kWords, kLowered))
    return "dim7";
  if (e.size() == 2 && e[0] == kBase + kTriad && raised(e[1], kAlter5)) return "+";
  return nullptr;
}

// "/" and the bass note after the last fragment, on the root's line.
void AppendBass(const std::vector<uint8_t>& code, std::vector<TQSChordFragment>& fragments) {
  if (!HasBass(code)) return;
  fragments.push_back(Fragment("/", static_cast<int>(fragments.size()) - 1, 0));
  fragments.push_back(Fragment(NoteName(At(code, BassOffset(code))), static_cast<int>(fragments.size()) - 1, 0));
}

}  // namespace

void BuildChordName(const std::vector<uint8_t>& code, std::vector<TQSChordFragment>& fragments) {
  fragments.clear();
  fragments.emplace_back();
  if (Count(code) == 0) {
    fragments[0].Text = "N.C.";
    return;
  }
  fragments[0].Text = NoteName(At(code, kRootOffset));
  if (const char* word = CommonQualityWord(code)) {
    fragments.push_back(Fragment(word, 0, 1));
    AppendBass(code, fragments);
    return;
  }
  // Level steps: quality words and numbers stand one step lower than the
  // root's baseline, alterations two higher; after the raised marker the
  // alterations stack in a column from one step higher, three apart.
  constexpr int kWordLevel = 1, kAlterationLevel = -2, kColumnStep = -3;
  bool bracketOpen = false;
  bool simpleNumber = false;
  int column = 0;
  int columnAnchor = 0;
  auto last = [&] { return static_cast<int>(fragments.size()) - 1; };
  ForEachElement(code, [&](uint8_t b) {
    const uint8_t high = HighNibble(b), low = LowNibble(b);
    switch (high) {
      case 0x00:
      case 0xA0:
        return;
      case kBase: {
        if (low == kTriad) return;
        static const char* const kBases[6] = {"", "6", "7", "9", "11", "13"};
        const int own = last() + 1;
        fragments.push_back(Fragment(low <= kThirteenth ? kBases[low] : "", own, kWordLevel));
        return;
      }
      case kRaisedMarker:
        column = -1;
        return;
      default:
        break;
    }
    const int previous = last();
    switch (high) {
      case kMinor:
        fragments.push_back(Fragment(low == 1 ? "mi" : low == 2 ? "min" : "m", previous, kWordLevel));
        columnAnchor = last();
        break;
      case kMajor:
        fragments.push_back(Fragment(low == 1 ? "M" : "maj", previous, kWordLevel));
        columnAnchor = last();
        break;
      case kSus:
        fragments.push_back(Fragment(low == 1 ? "sus2" : low == 2 ? "sus4" : "sus", previous, kWordLevel));
        columnAnchor = last();
        break;
      case kOmit:
        fragments.push_back(
            Fragment(low == 1 ? "omit5" : low == 2 ? "no3" : low == 3 ? "no5" : "omit3", previous, kWordLevel));
        columnAnchor = last();
        break;
      case kBracket:
        fragments.push_back(Fragment("(", previous, kAlterationLevel));
        bracketOpen = true;
        columnAnchor = last();
        break;
      case kAdd:
        fragments.push_back(Fragment("add", previous, kAlterationLevel));
        columnAnchor = last();
        simpleNumber = low == kAddSimple;
        return;
      default: {  // the alterations of 5, 7, 9, 11 and 13
        static const char* const kSimple[3] = {"2", "4", "6"};
        const bool simple = simpleNumber && high >= kAlter9 && high <= kAlter13;
        const std::string text =
            AlterationText(simple ? kSimple[(high - kAlter9) / 0x10] : AlteredNumber(high), low);
        if (column != 0) {
          fragments.push_back(Fragment(text, columnAnchor, column));
          column += kColumnStep;
        } else {
          fragments.push_back(Fragment(text, previous, kAlterationLevel));
        }
        break;
      }
    }
    simpleNumber = false;
  });
  if (bracketOpen) fragments.push_back(Fragment(")", last(), kAlterationLevel));
  AppendBass(code, fragments);
}

namespace {

uint8_t RootAccidental(uint8_t b) {
  return HighNibble(b) == kSharp ? kToneSharp : HighNibble(b) == kFlat ? kToneFlat : 0;
}

// One sign up or down: a double flat raised is a flat, a double sharp
// lowered a sharp; nothing goes beyond a double sign.
void Raise(TQSChordTone& t) {
  switch (t.Accidental) {
    case kToneDoubleFlat: t.Accidental = kToneFlat; break;
    case kToneFlat: t.Accidental = 0; break;
    case kToneSharp:
    case kToneDoubleSharp: t.Accidental = kToneDoubleSharp; break;
    default: t.Accidental = kToneSharp; break;
  }
}

void Lower(TQSChordTone& t) {
  switch (t.Accidental) {
    case kToneDoubleSharp: t.Accidental = kToneSharp; break;
    case kToneSharp: t.Accidental = 0; break;
    case kToneFlat:
    case kToneDoubleFlat: t.Accidental = kToneDoubleFlat; break;
    default: t.Accidental = kToneFlat; break;
  }
}

void Empty(TQSChordTone& t) {
  t.Pitch = 0;
  t.Step = 0;
}

// The tone the given number of semitones above the root.
TQSChordTone Interval(const TQSChordTone& root, int semitones) {
  static const int kWidths[7] = {2, 2, 1, 2, 2, 2, 1};  // C D E F G A B to the next step
  int step = root.Step - 1, octave = 0, distance = 0;
  while (semitones >= distance + kWidths[step]) {
    distance += kWidths[step];
    if (++step == 7) {
      step = 0;
      ++octave;
    }
  }
  TQSChordTone t;
  t.Step = static_cast<uint8_t>(step + 1);
  t.Octave = static_cast<uint8_t>(octave);
  t.Accidental = root.Accidental;
  if (distance < semitones) Raise(t);
  return t;
}

// Raised for an odd, lowered for an even non-zero low nibble.
void Alter(TQSChordTone& t, uint8_t low) {
  if (low == 0) return;
  if (low & 1) Raise(t);
  else Lower(t);
}

}  // namespace

int ChordCodeToTones(const std::vector<uint8_t>& code, TQSChordTones& tones) {
  for (TQSChordTone& t : tones) Empty(t);
  const uint8_t rootByte = At(code, kRootOffset);
  TQSChordTone& root = tones[0];
  root.Step = static_cast<uint8_t>(std::min<int>(LowNibble(rootByte), 6) + 1);
  root.Octave = 0;
  root.Accidental = RootAccidental(rootByte);

  int base = 0;
  uint8_t quality = 0;
  // The last alteration byte of 5, 7, 9, 11 and 13; -1 when none was seen.
  int alteration[5] = {-1, -1, -1, -1, -1};
  ForEachElement(code, [&](uint8_t b) {
    const uint8_t high = HighNibble(b);
    if (high == kBase) base = LowNibble(b);
    else if (high >= kMinor && high <= kOmit) quality = b;
    else if (high == kAlter5) alteration[0] = b;
    else if (high >= kAlter7 && high <= kAlter13) alteration[(high - kAlter7) / 0x10 + 1] = b;
  });

  tones[1] = Interval(root, kThirdSemitones);
  tones[2] = Interval(root, kFifthSemitones);
  switch (HighNibble(quality)) {
    case kMinor: Lower(tones[1]); break;
    case kSus: tones[2] = Interval(root, kFourthSemitones); break;
    case kOmit:
      if (LowNibble(quality) & 1) Empty(tones[2]);
      else Empty(tones[1]);
      break;
    default: break;
  }

  int count = 3;
  auto seventh = [&] {
    tones[3] = Interval(root, kSeventhSemitones);
    Lower(tones[3]);
  };
  if (base >= kSeventh) {
    seventh();
    count = 4;
  } else if (base == kSixth) {
    tones[3] = Interval(root, kSixthSemitones);
    count = 4;
  }
  // The major quality makes the seventh a major one (the fifth stays).
  if (HighNibble(quality) == kMajor && base >= kSeventh) Raise(tones[3]);
  if (base >= kNinth) {
    tones[4] = Interval(root, kNinthSemitones);
    count = 5;
  }
  if (base >= kThirteenth) {
    tones[6] = Interval(root, kThirteenthSemitones);
    Empty(tones[5]);
    count = 7;
  } else if (base == kEleventh) {
    tones[5] = Interval(root, kEleventhSemitones);
    count = 6;
  }

  if (alteration[0] >= 0) Alter(tones[2], LowNibble(static_cast<uint8_t>(alteration[0])));
  if (alteration[1] >= 0) {
    seventh();
    Alter(tones[3], LowNibble(static_cast<uint8_t>(alteration[1])));
    count = std::max(count, 4);
  }
  static const int kUpper[3] = {kNinthSemitones, kEleventhSemitones, kThirteenthSemitones};
  for (int k = 0; k < 3; ++k) {
    const int b = alteration[k + 2];
    if (b < 0) continue;
    tones[static_cast<size_t>(k + 4)] = Interval(root, kUpper[k]);
    Alter(tones[static_cast<size_t>(k + 4)], LowNibble(static_cast<uint8_t>(b)));
    count = k == 2 ? 7 : std::max(count, k + 5);
  }

  if (HasBass(code)) {
    const uint8_t bass = At(code, BassOffset(code));
    tones[7].Step = static_cast<uint8_t>(std::min<int>(LowNibble(bass), 6) + 1);
    tones[7].Octave = 0;
    tones[7].Accidental = RootAccidental(bass);
    count = 8;
  }
  return count;
}

namespace {

// A chord shape: its pitch classes above the root (bit n = n semitones)
// and the elements that name it (minor and major take the caller's style).
struct TChordShape {
  uint16_t Mask;
  uint8_t Quality;  // 0, kMinor or kMajor
  uint8_t Base;
  uint8_t Sus;      // 0 or the sus element
  uint8_t Alter5;   // 0 or the fifth's alteration element
};

constexpr uint16_t Bits(std::initializer_list<int> semitones) {
  uint16_t m = 0;
  for (int s : semitones) m = static_cast<uint16_t>(m | (1u << s));
  return m;
}

constexpr uint8_t kSus4 = kSus + 2;
constexpr uint8_t kFifthRaised = kAlter5 + kRaised, kFifthLowered = kAlter5 + kLowered;

constexpr TChordShape kShapes[] = {
    {Bits({0, 4, 7}), 0, kTriad, 0, 0},
    {Bits({0, 3, 7}), kMinor, kTriad, 0, 0},
    {Bits({0, 3, 6}), kMinor, kTriad, 0, kFifthLowered},
    {Bits({0, 4, 8}), 0, kTriad, 0, kFifthRaised},
    {Bits({0, 5, 7}), 0, kTriad, kSus4, 0},
    {Bits({0, 4, 7, 9}), 0, kSixth, 0, 0},
    {Bits({0, 3, 7, 9}), kMinor, kSixth, 0, 0},
    {Bits({0, 3, 6, 9}), kMinor, kSixth, 0, kFifthLowered},
    {Bits({0, 4, 7, 10}), 0, kSeventh, 0, 0},
    {Bits({0, 4, 7, 11}), kMajor, kSeventh, 0, 0},
    {Bits({0, 3, 7, 10}), kMinor, kSeventh, 0, 0},
    {Bits({0, 3, 6, 10}), kMinor, kSeventh, 0, kFifthLowered},
    {Bits({0, 4, 8, 10}), 0, kSeventh, 0, kFifthRaised},
    {Bits({0, 5, 7, 10}), 0, kSeventh, kSus4, 0},
    {Bits({0, 2, 4, 7, 10}), 0, kNinth, 0, 0},
    {Bits({0, 2, 4, 7, 11}), kMajor, kNinth, 0, 0},
    {Bits({0, 2, 3, 7, 10}), kMinor, kNinth, 0, 0},
};

int PitchClass(int pitch) { return ((pitch % 12) + 12) % 12; }

// The root or bass byte of a note: its letter and the sign its pitch has
// against the letter's natural pitch.
uint8_t SpelledByte(const TSoundingNote& n) {
  static const int kLetterPitch[7] = {0, 2, 4, 5, 7, 9, 11};
  const int step = std::clamp(n.Step, 0, 6);
  const int d = (PitchClass(n.Pitch) - kLetterPitch[step] + 12) % 12;
  const uint8_t sign = d == 1 ? chordcode::kSharp : d == 11 ? chordcode::kFlat : chordcode::kNatural;
  return static_cast<uint8_t>(sign | step);
}

}  // namespace

std::vector<uint8_t> RecogniseChord(const std::vector<TSoundingNote>& notes, int minorStyle, int majorStyle) {
  if (notes.empty()) return {};
  const auto lowest = std::min_element(notes.begin(), notes.end(),
                                       [](const TSoundingNote& a, const TSoundingNote& b) { return a.Pitch < b.Pitch; });
  uint16_t classes = 0;
  for (const TSoundingNote& n : notes) classes = static_cast<uint16_t>(classes | (1u << PitchClass(n.Pitch)));
  // Roots in the order they are tried: the bass, then upward from it.
  for (int up = 0; up < 12; ++up) {
    const int root = (PitchClass(lowest->Pitch) + up) % 12;
    if (!(classes & (1u << root))) continue;
    const uint16_t mask = static_cast<uint16_t>(((classes >> root) | (classes << (12 - root))) & 0xFFF);
    for (const TChordShape& shape : kShapes) {
      if (shape.Mask != mask) continue;
      const TSoundingNote* rootNote = nullptr;
      for (const TSoundingNote& n : notes)
        if (PitchClass(n.Pitch) == root && (!rootNote || n.Pitch < rootNote->Pitch)) rootNote = &n;
      std::vector<uint8_t> code = {0, 0, SpelledByte(*rootNote)};
      if (shape.Quality == kMinor) code.push_back(static_cast<uint8_t>(kMinor + std::clamp(minorStyle, 0, 2)));
      if (shape.Quality == kMajor) code.push_back(static_cast<uint8_t>(kMajor + std::clamp(majorStyle, 0, 1)));
      code.push_back(static_cast<uint8_t>(kBase + shape.Base));
      if (shape.Sus) code.push_back(shape.Sus);
      if (shape.Alter5) code.push_back(shape.Alter5);
      code[kCountOffset] = static_cast<uint8_t>(code.size() - 2);
      if (up != 0) {
        code[kHasBassOffset] = 1;
        code.push_back(SpelledByte(*lowest));
      }
      return code;
    }
  }
  return {};
}

void AnswerChordText(TQSScore& score) {
  score.GetChordText = [](TObject*, const std::vector<uint8_t>& code, std::vector<TQSChordFragment>& fragments) {
    BuildChordName(code, fragments);
  };
}

}  // namespace qs
