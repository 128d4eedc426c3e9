#pragma once
// The sounding items of a measure: notes, rests, grace-note groups and the
// effect notes that realise ornaments in playback. Notes and rests own the
// items attached to them (dots, accidentals, ties, marks, effects); a grace
// group owns its grace notes.
#include <cstdint>
#include <vector>

#include "base/exceptions.h"
#include "score/headstyles.h"
#include "score/item.h"
#include "score/record.h"

namespace qs {

class TQSVoice;
class TQSVorschlag;

// Section 1 of the item records: a TFields struct that visits its fields in
// order, with the surplus of a longer stored block written back.
// An item that holds other items: the attached items of a note or a rest,
// the grace notes of a grace group. Items register with it on creation and
// are freed with it, last first.
class TQSItemHolder : public TQSItem, public TQSItemOwner {
 public:
  explicit TQSItemHolder(TQSItemOwner* owner) : TQSItem(owner) {}
  ~TQSItemHolder() override;

  TQSItemList Items;

  int ItemCount() const { return Items.Count(); }
  // nullptr out of range.
  TQSItem* GetItem(int index) const { return Items.Get(index); }
  // Frees every held item, last first.
  void ClearItems() { Items.Clear(); }

  void AddItem(TQSItem* item) override;
  void RemoveItem(TQSItem* item) override;
  int IndexOfItem(const TQSItem* item) const override { return Items.IndexOf(item); }
  // Held items find their measure through the holder's own.
  TQSMeasure* OwnerMeasure() const override { return GetMeasure(); }

 protected:
  // The record: the field block, then the item list.
  template <class T>
  void SaveRecord(TStream& s, const T& fields) const;
  template <class T, class AfterBlock>
  void LoadRecord(TStream& s, T& fields, AfterBlock afterBlock);
  // Copies the block and appends copies of the source's items (unknown
  // kinds skipped).
  template <class T>
  void AssignHolder(T& target, const TQSItem& source) { CopyItems(AssignBlock(target, source).Items, this); }
};

// ---------------------------------------------------------------- note

class TQSNote : public TQSItemHolder {
 public:
  struct TFields {
    uint8_t Pitch = 0;  // octave x 16 + step
    uint8_t Further1 = 0;
    uint16_t Time = 0;
    uint16_t Length = 0;      // written length: the value drawn
    uint16_t RealLength = 0;  // the time the note occupies
    int16_t PlayOffset = 0;   // playback start offset; 0 = none
    uint16_t PlayLength = 0;  // playback length; 0 = the real length
    uint8_t Velocity = 64;
    uint8_t StaffVoice = 0;
    uint8_t HeadStyle = 0;  // a headstyle:: value
    uint8_t StemLength = 20;
    uint8_t FlagsA = 0;
    uint8_t FlagsB = 0;
    uint8_t Further18[2] = {};
    uint32_t Color = 0;
    uint8_t TabString = 0;
    uint8_t TabFret = 0;  // fret + 1; 0 = no fret

    void Visit(TBlockIO& b);
  };
  static constexpr int kBlockSize = 26;

  // Flag A bits.
  static constexpr uint8_t kChordMember = 0x01, kHeadDisplaced = 0x02, kStemDown = 0x04,
                           kHeadShifted = 0x08, kBeamFromPrevious = 0x10, kSmall = 0x80;
  // Flag B bits.
  static constexpr uint8_t kBeamedToNext = 0x01, kBeamJoin2 = 0x02, kEnclosureMask = 0x0C,
                           kExtraBeamsMask = 0x70;
  // Select byte bits.
  static constexpr uint8_t kSelectNoBeam = 0x01, kSelectReselect = 0x10, kSelectTiedFromPrevious = 0x80;

  explicit TQSNote(TQSItemOwner* owner);
  ~TQSNote() override;

  TFields Fields;

  // Working values, never stored.
  uint8_t BeamGroup = 0;          // beam group number in the measure; 0 = none
  uint8_t AccidentalDisplay = 0;  // the written accidental as the layout works it out
  uint8_t SelectFlags = 0;        // kSelect* bits
  uint8_t MidiChannel = 0;
  uint8_t MidiProgram = 0;
  uint8_t SoundingKey = 0;
  TQSVoice* Voice = nullptr;
  int16_t StaffPosition = 0;  // half staff spaces from the top line
  TQSCalcItem* HeadElement = nullptr;

  bool IsChordMember() const { return Fields.FlagsA & kChordMember; }
  void SetChordMember(bool on) { SetBits(Fields.FlagsA, kChordMember, on); }
  bool IsHeadDisplaced() const { return Fields.FlagsA & kHeadDisplaced; }
  void SetHeadDisplaced(bool on) { SetBits(Fields.FlagsA, kHeadDisplaced, on); }
  bool IsStemDown() const { return Fields.FlagsA & kStemDown; }
  void SetStemDown(bool on) { SetBits(Fields.FlagsA, kStemDown, on); }
  bool IsHeadShifted() const { return Fields.FlagsA & kHeadShifted; }
  void SetHeadShifted(bool on) { SetBits(Fields.FlagsA, kHeadShifted, on); }
  bool BeamFromPrevious() const { return Fields.FlagsA & kBeamFromPrevious; }
  void SetBeamFromPrevious(bool on) { SetBits(Fields.FlagsA, kBeamFromPrevious, on); }
  bool IsSmall() const { return Fields.FlagsA & kSmall; }
  void SetSmall(bool on) { SetBits(Fields.FlagsA, kSmall, on); }
  bool BeamedToNext() const { return Fields.FlagsB & kBeamedToNext; }
  void SetBeamedToNext(bool on) { SetBits(Fields.FlagsB, kBeamedToNext, on); }
  // 0 none, 1-3 parentheses, square brackets, braces.
  int Enclosure() const { return (Fields.FlagsB & kEnclosureMask) >> 2; }
  void SetEnclosure(int e) { Fields.FlagsB = static_cast<uint8_t>((Fields.FlagsB & ~kEnclosureMask) | ((e & 3) << 2)); }
  // Beams or flags beyond the first.
  int ExtraBeams() const { return (Fields.FlagsB & kExtraBeamsMask) >> 4; }
  void SetExtraBeams(int n) { Fields.FlagsB = static_cast<uint8_t>((Fields.FlagsB & ~kExtraBeamsMask) | ((n & 7) << 4)); }
  bool IsLeftOutOfBeams() const { return SelectFlags & kSelectNoBeam; }

  // The grace group holding the note, nullptr for a note of a measure.
  TQSVorschlag* GraceGroup() const;

  // Sets the pitch from a chromatic key and keeps the note's accidental
  // mark in step: black keys become sharps, except C sharp, which becomes
  // D flat; white keys lose their accidental.
  void SetMidiKey(uint8_t key);

  void Assign(const TQSItem& source) override;
  void LoadFromStream(TStream& s) override;
  void SaveToStream(TStream& s) const override;
  int TimePosition() const override { return Fields.Time; }
  int StaffVoice() const override { return Fields.StaffVoice; }
  const char* ClassName() const override { return "TQSNote"; }

 private:
  static void SetBits(uint8_t& byte, uint8_t bits, bool on) {
    byte = static_cast<uint8_t>(on ? byte | bits : byte & ~bits);
  }
};

// The beams or flags beyond the first of a written length: 32 ticks 1,
// 16 2, 8 3, 4 4, others 0.
int ExtraBeamsFor(int written);

// The accidental mark kind (50) for an alteration in semitones: -2 double
// flat, -1 flat, +1 sharp, +2 double sharp, other negative natural-flat,
// other positive natural-sharp, 0 natural.
uint8_t AccidentalKindFor(int alteration);

// How a chromatic key is written: black keys as sharps, except C sharp,
// which is D flat. Keys above 191 count as 191.
struct TSpelledKey {
  int Octave = 0, Step = 0, Alteration = 0;
};
TSpelledKey SpellMidiKey(int key);
// The stem a note gets where nothing else decides it, as note entry gives
// it: up on a tablature staff; in a measure of all voices down on the
// first staff and up on the others; on a staff with several voices up for
// the first voice and down for the others; otherwise down from the middle
// line up. clefShift is the staff position offset of the clef in force.
bool NoteEntryStemDown(bool tablature, bool allVoices, bool severalVoices, uint8_t staffVoice, uint8_t pitch,
                       int clefShift);

// The number of dots of a note or rest: its one dot mark holds the count
// less one in its value; 0 without a dot mark.
int DotCount(const TQSItemHolder& holder);

// ---------------------------------------------------------------- rest

class TQSPause : public TQSItemHolder {
 public:
  struct TFields {
    uint16_t Time = 0;
    uint16_t Length = 0;  // written length: the rest value drawn
    uint16_t RealLength = 0;
    uint8_t StaffVoice = 0;
    uint8_t Further7 = 0;
    int16_t OffsetY = 0;  // layout units
    uint8_t Flags = 0;
    uint8_t Further11 = 0;
    uint32_t Color = 0;

    void Visit(TBlockIO& b);
  };
  static constexpr int kBlockSize = 16;
  static constexpr uint8_t kShiftedRight = 0x01, kEnclosureMask = 0x0C, kHidden = 0x80;

  explicit TQSPause(TQSItemOwner* owner);

  TFields Fields;

  bool IsShiftedRight() const { return Fields.Flags & kShiftedRight; }
  int Enclosure() const { return (Fields.Flags & kEnclosureMask) >> 2; }
  bool IsHidden() const { return Fields.Flags & kHidden; }

  // The vertical offset of a rest of the given voice in a staff where
  // several voices are in use: the first voice's rests move up, the
  // others' down.
  static int VoiceOffset(int voice) { return voice == 0 ? -kVoiceOffset : kVoiceOffset; }
  static constexpr int kVoiceOffset = 96;

  void Assign(const TQSItem& source) override;
  void LoadFromStream(TStream& s) override;
  void SaveToStream(TStream& s) const override;
  int TimePosition() const override { return Fields.Time; }
  int StaffVoice() const override { return Fields.StaffVoice; }
  const char* ClassName() const override { return "TQSPause"; }
};

// ---------------------------------------------------------------- grace group

class TQSVorschlag : public TQSItemHolder {
 public:
  struct TFields {
    uint16_t Time = 0;  // the main note's position
    uint8_t StaffVoice = 0;
    uint8_t Flags = 0;
    uint16_t Duration = 0;  // playing duration of each grace note; 0 = its real length
    uint8_t Further6 = 0;
    uint8_t Spacing = 0;

    void Visit(TBlockIO& b);
  };
  static constexpr int kBlockSize = 8;
  static constexpr uint8_t kAfter = 0x01, kShortStyle = 0x10;

  explicit TQSVorschlag(TQSItemOwner* owner);
  ~TQSVorschlag() override;

  TFields Fields;

  // The grace notes come after the main note (otherwise before it).
  bool IsAfter() const { return Fields.Flags & kAfter; }
  // Drawn with a slash.
  bool IsShortStyle() const { return Fields.Flags & kShortStyle; }
  // The grace note at index, nullptr out of range or when not a note.
  TQSNote* GetNote(int index) const { return dynamic_cast<TQSNote*>(GetItem(index)); }

  // Grace notes leave their measure's working lists too.
  void ForgetNote(TQSItem* note) override;
  TQSVorschlag* AsGraceGroup() override { return this; }

  void Assign(const TQSItem& source) override;
  void LoadFromStream(TStream& s) override;
  void SaveToStream(TStream& s) const override;
  int TimePosition() const override { return Fields.Time; }
  int StaffVoice() const override { return Fields.StaffVoice; }
  const char* ClassName() const override { return "TQSVorschlag"; }
};

// ---------------------------------------------------------------- effect

class TQSEffect : public TQSItem {
 public:
  struct TFields {
    uint8_t Pitch = 0;
    uint8_t Further1 = 0;
    uint16_t Time = 0;
    uint16_t Length = 0;
    uint8_t Velocity = 64;
    uint8_t Accidental = 0;  // 50 a semitone lower, 52 higher, others none

    void Visit(TBlockIO& b);
  };
  static constexpr int kBlockSize = 8;

  explicit TQSEffect(TQSItemOwner* owner);

  TFields Fields;
  // The kind of the mark whose effect this note realises; not stored.
  TQSItemType MarkKind = 0;
  // Working values, never stored: how the layout pass found it sounds (the
  // channel, program, key and voice of its note).
  uint8_t MidiChannel = 0;
  uint8_t MidiProgram = 0;
  uint8_t SoundingKey = 0;
  TQSVoice* Voice = nullptr;

  void Assign(const TQSItem& source) override;
  void LoadFromStream(TStream& s) override;
  void SaveToStream(TStream& s) const override;
  const char* ClassName() const override { return "TQSEffect"; }
};

}  // namespace qs
