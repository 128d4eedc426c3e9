#pragma once
// Marks and the other items placed beside notes: the generic mark (clefs,
// keys, meters, dynamics, articulations, tuplets, repeats ...), bends,
// chord symbols, guitar chord frames, ties and slurs, staff texts and raw
// MIDI events.
#include <cstdint>
#include <string>
#include <vector>

#include "score/clefs.h"
#include "score/dynamics.h"
#include "score/item.h"
#include "score/record.h"

namespace qs {

class TQSVoice;

// The item kinds whose marks keep a font name, and those that also keep a
// line style.
bool IsMarkFontKind(TQSItemType kind);
bool IsMarkLineKind(TQSItemType kind);

// The length of each note slot of a tuplet of the given type and unit:
// TupletLength shared out so that the slots add up to it exactly. Empty
// for type 0.
std::vector<int16_t> TupletSlotLengths(uint8_t tupletType, uint16_t unit);

// ---------------------------------------------------------------- mark

class TQSMark : public TQSItem {
 public:
  struct TFields {
    uint8_t Kind = 0;  // the variant; the tuplet type of a tuplet
    uint8_t Further1 = 0;
    uint16_t Time = 0;
    uint16_t Value = 0;
    uint8_t Style = 0;
    uint8_t Further7 = 0;
    int16_t OffsetX = 0;
    int16_t OffsetY = 0;
    int16_t Angle = 0;  // tuplet bracket angle
    uint8_t StaffVoice = 0;
    uint8_t Further15 = 0;
    uint32_t Color = 0;

    void Visit(TBlockIO& b);
  };
  static constexpr int kBlockSize = 20;
  // Style bit 4 of kinds 131, 132, 141-143 and 149: placed beside the note
  // of its staff/voice at its position.
  static constexpr uint8_t kStyleAttached = 0x10;
  // Style of a time signature: drawn as the common-time sign (4/4) or the
  // cut-time sign.
  static constexpr uint8_t kMeterCommon = 1, kMeterCut = 2;
  // Kinds of a fermata: the upright one above the note, the inverted one
  // below it.
  static constexpr uint8_t kFermataAbove = 0, kFermataBelow = 1;
  // An arpeggio's arrow, in the low bits of its style.
  static constexpr uint8_t kArpeggioArrowMask = 0x03, kArpeggioUp = 1, kArpeggioDown = 2;
  // Styles of an accolade: a brace, a bracket with hooks, a straight bar.
  static constexpr uint8_t kAccoladeBrace = 0, kAccoladeBracket = 1, kAccoladeLine = 2;
  // Style of a rehearsal mark: its count shown as letters or as a number;
  // framed by a box.
  static constexpr uint8_t kRehearsalLetters = 0x40, kRehearsalNumbers = 0x80, kRehearsalBoxed = 0x04;
  static constexpr uint8_t kRehearsalCountMask = 0xC0;
  // The frame of an accidental or a rehearsal mark in style bits 2 and 3:
  // none, a box, an ellipse (rehearsal marks draw 3 as a box too).
  static constexpr uint8_t kFrameMask = 0x0C, kFrameShift = 2;
  static constexpr int kFrameNone = 0, kFrameBox = 1, kFrameEllipse = 2;
  // Style bit 0 of a glissando: drawn before its note; of a bar repeat:
  // two measures repeated; of a flageolet: its numerals without the name.
  static constexpr uint8_t kGlissandoBefore = 0x01, kBarRepeatTwoMeasures = 0x01, kFlageoletNumeralsOnly = 0x01;
  // Style bit 4 of a tuplet: its bracket below the notes; of a tremolo:
  // between two notes rather than on one.
  static constexpr uint8_t kTupletBelow = 0x10, kTremoloBetweenNotes = 0x10;
  // Which measures a measure numbering mark numbers, in the low bits.
  static constexpr uint8_t kNumberingWhichMask = 0x0F;

  explicit TQSMark(TQSItemOwner* owner);

  // The frame of style bits 2 and 3 (kFrameNone ...).
  int Frame() const { return (Fields.Style & kFrameMask) >> kFrameShift; }

  TFields Fields;
  // Tuplets: the real length of each note slot (Kind entries when stored).
  std::vector<int16_t> TupletLengths;
  // Font kinds: empty = the score's text font.
  std::string FontName;
  // Line kinds: pen style of the continuation line (2 dotted).
  uint8_t LineStyle = 2;

  // Working values, never stored: the key a key signature cancels or the
  // MIDI channel of a pedal or portamento mark, and the voice of the latter.
  uint8_t LayoutByte = 0;
  TQSVoice* Voice = nullptr;
  // Working value, never stored: the staff of its part (from 0) a mark
  // drawn from the part's first staff stands by, as an imported file
  // gives it.
  uint8_t OwnStaff = 0;

  // Sets the tuplet slot lengths from Kind (the type) and Value (the unit).
  void CalcTupletLengths() { TupletLengths = TupletSlotLengths(Fields.Kind, Fields.Value); }
  // True when the mark is tied to the note at its staff/voice and position.
  bool IsAttachedToNote() const;

  void Assign(const TQSItem& source) override;
  void LoadFromStream(TStream& s) override;
  void SaveToStream(TStream& s) const override;
  int TimePosition() const override;
  int StaffVoice() const override;
  const char* ClassName() const override { return "TQSMark"; }
};

// ---------------------------------------------------------------- bend

class TQSBend : public TQSItem {
 public:
  struct TFields {
    uint8_t Kind = 0;  // variant 0-5; bit 0 set: the rise is a curve
    uint8_t Further1 = 0;
    uint16_t Time = 0;
    uint16_t RiseWidth = 0;
    uint16_t SecondWidth = 0;   // release of variants 2-3, hold of 4-5
    uint16_t ReleaseWidth = 0;  // release of variants 4-5
    uint16_t Height = 0;
    int16_t OffsetX = 0;
    int16_t OffsetY = 0;
    uint8_t Further16[2] = {};
    uint8_t StaffVoice = 0;
    uint8_t Further19 = 0;
    uint32_t Color = 0;

    void Visit(TBlockIO& b);
  };
  static constexpr int kBlockSize = 24;

  explicit TQSBend(TQSItemOwner* owner);

  TFields Fields;

  // Sets the variant with the shape a new bend of it gets: height 160 and
  // 80 in every segment the variant uses, 0 in the others.
  void SetShape(uint8_t variant);

  void Assign(const TQSItem& source) override;
  void LoadFromStream(TStream& s) override;
  void SaveToStream(TStream& s) const override;
  int TimePosition() const override { return Fields.Time; }
  int StaffVoice() const override { return Fields.StaffVoice; }
  const char* ClassName() const override { return "TQSBend"; }
};

// ---------------------------------------------------------------- chord symbol

// One text fragment of a chord symbol's name.
struct TQSChordFragment {
  struct TFields {
    uint8_t Size = 0;  // points; 0 = the default size
    uint8_t Style = 0;
    uint8_t Anchor = 0;  // the earlier fragment this one follows
    int16_t Level = 0;   // in steps of 32 layout units, larger lower

    void Visit(TBlockIO& b);
  };
  static constexpr int kBlockSize = 5;

  TFields Fields;
  std::string Text;
  std::vector<uint8_t> BlockSurplus;
  // Placed by the layout; not stored.
  int16_t StartX = 0, Y = 0, EndX = 0;
};

class TQSChord : public TQSItem {
 public:
  struct TFields {
    uint16_t Time = 0;
    uint8_t Further2[2] = {};
    int16_t OffsetX = 0;
    int16_t OffsetY = 0;
    uint8_t StaffVoice = 0;
    uint8_t Further9[3] = {};
    uint32_t Color = 0;

    void Visit(TBlockIO& b);
  };
  static constexpr int kBlockSize = 16;

  explicit TQSChord(TQSItemOwner* owner);

  TFields Fields;
  std::vector<TQSChordFragment> Patterns;
  // Two counts A and B, then A + B bytes; empty when there is none.
  std::vector<uint8_t> Definition;
  std::string FontName;  // empty = the score's text font

  void ClearPatterns() { Patterns.clear(); }

  void Assign(const TQSItem& source) override;
  void LoadFromStream(TStream& s) override;
  void SaveToStream(TStream& s) const override;
  int TimePosition() const override { return Fields.Time; }
  int StaffVoice() const override { return Fields.StaffVoice; }
  const char* ClassName() const override { return "TQSChord"; }
};

// ---------------------------------------------------------------- guitar frame

struct TQSFrameString {
  uint8_t Further = 0;
  uint8_t Finger = 0;  // 0 open, 255 muted, 1-4 a finger
  uint8_t Fret = 0;    // fret row, 1 = the first shown
  bool operator==(const TQSFrameString&) const = default;
};

class TQSFrame : public TQSItem {
 public:
  struct TFields {
    uint16_t Time = 0;
    int16_t OffsetX = 0;
    int16_t OffsetY = 0;
    uint8_t StaffVoice = 0;
    uint8_t Further7 = 0;
    uint8_t StringCount = 0;
    uint8_t FretCount = 24;
    uint8_t UsedFretCount = 5;  // fret rows shown
    uint8_t StartFret = 0;      // 0 = at the nut
    uint32_t Color = 0;

    void Visit(TBlockIO& b);
  };
  static constexpr int kBlockSize = 16;

  explicit TQSFrame(TQSItemOwner* owner);

  TFields Fields;
  std::vector<uint8_t> Definition;  // as a chord symbol's
  std::vector<uint8_t> Barre;       // one per fret row shown; non-zero = a barre
  std::vector<TQSFrameString> Strings;

  // Store the count and resize the entries (new ones zero).
  void SetStringCount(uint8_t value);
  void SetUsedFretCount(uint8_t value);

  void Assign(const TQSItem& source) override;
  void LoadFromStream(TStream& s) override;
  void SaveToStream(TStream& s) const override;
  int TimePosition() const override { return Fields.Time; }
  int StaffVoice() const override { return Fields.StaffVoice; }
  const char* ClassName() const override { return "TQSFrame"; }
};

// ---------------------------------------------------------------- tie or slur

class TQSLiga : public TQSItem {
 public:
  struct TFields {
    uint16_t Span = 0;  // ticks from the start note to the end
    uint8_t EndStaffVoice = 0;
    uint8_t Flags = 0;
    int16_t StartX = 0;
    int16_t StartY = 0;
    int16_t EndX = 0;
    int16_t EndY = 0;
    int16_t CurveStartDX = 0;
    int16_t CurveStartDY = 0;
    int16_t CurveEndDX = 0;
    int16_t CurveEndDY = 0;
    uint32_t Color = 0;

    void Visit(TBlockIO& b);
  };
  static constexpr int kBlockSize = 24;
  static constexpr uint8_t kBelow = 0x01, kSlur = 0x02, kLineMask = 0x0C, kFromStart = 0x10;
  // The line bits of a slide: a straight line instead of an arc.
  static constexpr uint8_t kSlide = 0x08;

  explicit TQSLiga(TQSItemOwner* owner);

  TFields Fields;
  // Working values, never stored: the item where it ends (found by the
  // layout) and one byte for the layout.
  TQSItem* EndItem = nullptr;
  uint8_t WorkByte = 0;
  // The control offsets (start dx, dy, end dx, dy) the layout last chose
  // itself: a curve still holding them was not shaped by the user.
  int16_t LayoutCurve[4] = {0, 0, 0, 0};

  bool IsBelow() const { return Fields.Flags & kBelow; }
  bool IsSlur() const { return Fields.Flags & kSlur; }
  // Drawn as a straight line.
  bool IsSlide() const { return (Fields.Flags & kLineMask) == kSlide; }
  bool EndFromStart() const { return Fields.Flags & kFromStart; }

  void Assign(const TQSItem& source) override;
  void LoadFromStream(TStream& s) override;
  void SaveToStream(TStream& s) const override;
  const char* ClassName() const override { return "TQSLiga"; }
};

// ---------------------------------------------------------------- staff text

// A lyric syllable (33), an inscription or term (34) or an instrument name (35).
class TQSLyric : public TQSItem {
 public:
  struct TFields {
    uint16_t Time = 0;
    uint8_t StaffVoice = 0;
    uint8_t Flags = 0;
    int16_t OffsetX = 0;
    int16_t OffsetY = 0;
    uint8_t FontSize = 0;  // points; 0 = 8
    uint8_t FontStyle = 0;
    uint8_t Further10[2] = {};
    uint32_t Color = 0;
    uint16_t Angle = 0;  // degrees counter-clockwise
    int16_t Width = 0;   // 0 = measure the text
    int16_t Height = 0;
    uint8_t Verse = 0;
    uint8_t Further23 = 0;

    void Visit(TBlockIO& b);
  };
  static constexpr int kBlockSize = 24;
  static constexpr uint8_t kHyphen = 0x01, kShortName = 0x01, kAlignMask = 0x30;

  explicit TQSLyric(TQSItemOwner* owner);

  TFields Fields;
  std::string FontName;  // empty = "Arial"
  std::vector<std::string> Lines;

  // Working values, never stored: centre an imported instrument name on its
  // part; the next syllable of the same verse line.
  uint8_t Centre = 0;
  TQSLyric* Next = nullptr;

  // 1 centred, 2 right-aligned, otherwise left-aligned.
  int Alignment() const { return (Fields.Flags & kAlignMask) >> 4; }
  void ClearLines() { Lines.clear(); }

  void Assign(const TQSItem& source) override;
  void LoadFromStream(TStream& s) override;
  void SaveToStream(TStream& s) const override;
  int TimePosition() const override { return Fields.Time; }
  int StaffVoice() const override { return Fields.StaffVoice; }
  const char* ClassName() const override { return "TQSLyric"; }
};

// ---------------------------------------------------------------- MIDI event

class TQSMIDIEvent : public TQSItem {
 public:
  struct TFields {
    int16_t Time = 0;
    uint16_t DataLength = 0;

    void Visit(TBlockIO& b);
  };
  static constexpr int kBlockSize = 4;

  explicit TQSMIDIEvent(TQSItemOwner* owner);

  TFields Fields;
  std::vector<uint8_t> Data;  // DataLength bytes

  // Replaces the data with a copy of size bytes; more than 65,535 raises
  // EConvertError.
  void SetData(const uint8_t* data, size_t size);

  void Assign(const TQSItem& source) override;
  void LoadFromStream(TStream& s) override;
  void SaveToStream(TStream& s) const override;
  const char* ClassName() const override { return "TQSMIDIEvent"; }
};

}  // namespace qs
