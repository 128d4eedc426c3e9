#pragma once
// An instrument of a piece: its staves with their voices, its measures, the
// page objects of the part view, the part view's spacing tables and its
// transport records.
#include <cstdint>
#include <string>
#include <vector>

#include "base/events.h"
#include "score/item.h"
#include "score/record.h"
#include "score/spacing.h"
#include "score/transport.h"

namespace qs {

class TQSScore;
class TQSPiece;
class TQSPart;
class TQSStaff;
class TQSMeasure;
struct TQSMeasureSlot;

// ---------------------------------------------------------------- voice

class TQSVoice : public TObject {
 public:
  struct TFields {
    uint8_t Instrument = 255;  // MIDI program; 255 = the part's
    uint8_t Channel = 0;
    uint8_t Mute = 0;
    uint8_t Further3 = 0;

    void Visit(TBlockIO& b);
  };
  static constexpr int kBlockSize = 4;

  // Registers with the staff; raises "Is not owner of the Voice" without one.
  explicit TQSVoice(TQSStaff* staff);
  ~TQSVoice() override;
  TQSVoice(const TQSVoice&) = delete;
  TQSVoice& operator=(const TQSVoice&) = delete;
  const char* ClassName() const override { return "TQSVoice"; }

  TFields Fields;
  std::vector<uint8_t> BlockSurplus;
  int Index = 0;   // position in the staff's voice list
  int Number = 0;  // running number across the part's staves
  void* TreeNode = nullptr;

  TQSStaff* Staff() const { return staff_; }
  // For moving the voice to another staff; the caller re-registers it.
  void SetStaff(TQSStaff* staff) { staff_ = staff; }
  TQSScore* Score() const;

  void SetInstrument(uint8_t value);
  void SetChannel(uint8_t value);
  void SetMute(bool value);
  // Fires OnItemChanged and OnChanged with the voice.
  void Changed();
  void Assign(const TObject& source);

  void LoadFromStream(TStream& s);
  void SaveToStream(TStream& s) const;

 private:
  TQSStaff* staff_;
};

// ---------------------------------------------------------------- staff

class TQSStaff : public TObject {
 public:
  struct TFields {
    uint8_t Mute = 0;
    uint8_t LineCount = 5;  // staff lines; tablature strings
    uint8_t Tablature = 0;
    uint8_t FretCount = 24;
    // The staff's group: staves in a row with the same number are joined by
    // their barlines. By default the staves of one part form a group.
    uint16_t Group = 0;
    uint8_t Scale = 100;     // size in percent
    uint8_t Stems = 1;

    void Visit(TBlockIO& b);
  };
  static constexpr int kBlockSize = 8;
  // Entries of the tuning table, and so the most lines a staff has.
  static constexpr int kMaxLines = 24;

  // Registers with the part; raises "Is not owner of the Line" without one.
  explicit TQSStaff(TQSPart* part);
  ~TQSStaff() override;
  TQSStaff(const TQSStaff&) = delete;
  TQSStaff& operator=(const TQSStaff&) = delete;
  const char* ClassName() const override { return "TQSStaff"; }

  TFields Fields;
  std::vector<uint8_t> BlockSurplus;
  uint8_t Tuning[kMaxLines] = {};  // MIDI pitch of each string
  int Index = 0;
  void* TreeNode = nullptr;
  // The staff's row within the system being laid out (set by the layout).
  int SystemRow = 0;
  // While set, new voices are not appended: the creator inserts them.
  bool RegistrationSuspended = false;

  TQSPart* Part() const { return part_; }
  // For moving the staff to another part; the caller re-registers it.
  void SetPart(TQSPart* part) { part_ = part; }
  TQSScore* Score() const;

  int VoiceCount() const { return static_cast<int>(voices_.size()); }
  TQSVoice* GetVoice(int index) const;
  std::vector<TQSVoice*>& VoiceList() { return voices_; }
  // Appends (index < 0 or beyond the count) or inserts the voice, renumbers
  // and fires OnAddItem; nothing while registration is suspended.
  void RegisterVoice(TQSVoice* voice, int index);
  void UnregisterVoice(TQSVoice* voice);
  void UpdateVoiceIndexes();
  TQSVoice* NewVoice();
  void ClearVoices();

  void SetMute(bool value);
  void SetLineCount(uint8_t value);  // at most kMaxLines
  void SetTablature(bool value);
  void SetStems(bool value);
  void SetFretCount(uint8_t value);
  void SetScale(uint8_t value);
  // Index 0-23; other indexes are ignored (GetTuning gives 0).
  void SetTuning(int index, uint8_t value);
  uint8_t GetTuning(int index) const;
  void Changed();
  void Assign(const TObject& source);

  void LoadFromStream(TStream& s);
  void SaveToStream(TStream& s) const;

 private:
  void SetLayoutByte(uint8_t& field, uint8_t value);
  TQSPart* part_;
  std::vector<TQSVoice*> voices_;
};

// ---------------------------------------------------------------- part

class TQSPart : public TObject, public TQSItemOwner {
 public:
  struct TFields {
    uint8_t Instrument = 0;  // MIDI program
    uint8_t Channel = 0;     // low four bits used
    uint8_t Volume = 255;    // 255 = not set
    uint8_t Pan = 255;       // 255 = not set
    uint8_t Mute = 0;
    uint8_t Further5[3] = {};

    void Visit(TBlockIO& b);
  };
  static constexpr int kBlockSize = 8;

  // Registers with the piece; raises "Is not owner of the Piece" without one.
  // RegistrationSuspended (one flag for staves, measures and page objects)
  // comes from TQSItemOwner.
  explicit TQSPart(TQSPiece* piece);
  ~TQSPart() override;
  TQSPart(const TQSPart&) = delete;
  TQSPart& operator=(const TQSPart&) = delete;
  const char* ClassName() const override { return "TQSPart"; }

  TFields Fields;
  std::vector<uint8_t> BlockSurplus;
  std::string Name;
  std::string ShortName;  // not part of the record
  TQSItemList Items;      // page objects of the part view, by page number
  TQSSpacingTables Spacing;
  std::vector<TQSTransportRecord> Transports;
  int Index = 0;
  void* TreeNode = nullptr;
  // While set, UpdateVoiceNumbers does nothing.
  bool RenumberLock = false;

  TQSPiece* Piece() const { return piece_; }
  // Hands the part to another piece of the same score; the caller takes it
  // out of the old piece's part list and inserts it into the new one's.
  void SetPiece(TQSPiece* piece) { piece_ = piece; }
  TQSScore* Score() const;
  int Channel() const { return Fields.Channel & 0x0F; }

  // ------------------------------------------------------------ staves
  int StaffCount() const { return static_cast<int>(staves_.size()); }
  TQSStaff* GetStaff(int index) const;
  std::vector<TQSStaff*>& StaffList() { return staves_; }
  void RegisterStaff(TQSStaff* staff, int index);
  void UnregisterStaff(TQSStaff* staff);
  TQSStaff* NewStaff();
  void ClearStaves();
  void UpdateStaffIndexes();
  // Numbers the voices of all staves from 0; fires OnItemChanged for each
  // voice whose number changed, or for every voice with notifyAll.
  void UpdateVoiceNumbers(bool notifyAll);

  // ---------------------------------------------------------- measures
  int MeasureCount() const { return static_cast<int>(measures_.size()); }
  TQSMeasure* GetMeasure(int index) const;
  std::vector<TQSMeasure*>& MeasureList() { return measures_; }
  void RegisterMeasure(TQSMeasure* measure);
  void UnregisterMeasure(TQSMeasure* measure);
  TQSMeasure* NewMeasure();
  void ClearMeasures();
  void UpdateMeasureIndexes();

  // ------------------------------------------------------------- items
  void AddItem(TQSItem* item) override;
  void RemoveItem(TQSItem* item) override;
  int IndexOfItem(const TQSItem* item) const override { return Items.IndexOf(item); }
  int ItemCount() const { return Items.Count(); }
  TQSItem* GetItem(int index) const { return Items.Get(index); }
  void ClearItems() { Items.Clear(); }

  // ----------------------------------------------------------- setters
  void SetName(const std::string& value);
  void SetShortName(const std::string& value);
  void SetInstrument(uint8_t value);
  void SetChannel(uint8_t value);
  void SetVolume(uint8_t value);
  void SetPan(uint8_t value);
  void SetMute(bool value);
  // A copy of count records (none when count is 0 or records null).
  void SetTransport(int count, const TQSTransportRecord* records);
  void Changed();
  void Assign(const TObject& source);

  // ----------------------------------------------------- layout lookups
  // The piece's slot for the measure (the last laid-out one stands for the
  // measures after it); nullptr before any layout.
  TQSMeasureSlot* GetMeasureRecord(int measureIndex) const;
  // The sum of the transport records' semitone shifts.
  int TransportShift() const;
  // The latest start below / the earliest start above position of a note,
  // rest or note repeat in the measure; position itself when none.
  int PrevEventPosition(int measureIndex, int position) const;
  int NextEventPosition(int measureIndex, int position) const;
  // Length of a span from position in the measure, its end moved back to
  // the latest event start before it / forward to the next one.
  int SnapLengthBack(int measureIndex, int position, int length) const;
  int SnapLengthForward(int measureIndex, int position, int length) const;
  // Sets (replace) or moves the left offset of the system at the active
  // view's cursor by value x 8 layout units.
  void SetLeftOffset(int value, bool replace);

  void LoadFromStream(TStream& s);
  void SaveToStream(TStream& s) const;

 private:
  struct TSpanEnd {
    int Measure, Tick;
  };
  TSpanEnd FindSpanEnd(int measureIndex, int position, int length, bool leaveAtEnd) const;
  void SendController(int controller, uint8_t value, uint8_t notSetValue);

  TQSPiece* piece_;
  std::vector<TQSStaff*> staves_;
  std::vector<TQSMeasure*> measures_;
};

}  // namespace qs
