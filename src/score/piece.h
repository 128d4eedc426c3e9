#pragma once
// A piece (a movement or song of the score) with its parts and its columns:
// a column is the slice of the piece at one measure number across all
// parts, holding the items that apply to every part there.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/events.h"
#include "score/calcrecords.h"
#include "score/item.h"
#include "score/record.h"
#include "score/spacing.h"

namespace qs {

class TQSScore;
class TQSPiece;
class TQSPart;
struct TQSMeasureSlot;
struct TQSCalcVisit;

// ---------------------------------------------------------------- column

class TQSColumn : public TObject, public TQSItemOwner, public TSmallPooled {
 public:
  struct TFields {
    uint8_t Further0[10] = {};
    // 0 none; n > 0 a page break followed by n - 1 empty pages.
    uint16_t PageBreak = 0;
    uint8_t SystemBreak = 0;
    uint8_t Further13 = 0;
    uint16_t Meter = 0;  // set in the measure properties; 0 = none

    void Visit(TBlockIO& b);
  };
  static constexpr int kBlockSize = 16;

  // Appends itself to the piece; raises "Is not owner of the Piece" without one.
  explicit TQSColumn(TQSPiece* piece);
  ~TQSColumn() override;
  TQSColumn(const TQSColumn&) = delete;
  TQSColumn& operator=(const TQSColumn&) = delete;
  const char* ClassName() const override { return "TQSColumn"; }

  TFields Fields;
  std::vector<uint8_t> BlockSurplus;
  TQSItemList Items;
  // Space added before each tick position of the measure (layout units).
  TQSSpacingTable Spacing;
  int Index = 0;  // the measure number

  TQSPiece* Piece() const { return piece_; }

  void AddItem(TQSItem* item) override;
  void RemoveItem(TQSItem* item) override;
  int IndexOfItem(const TQSItem* item) const override { return Items.IndexOf(item); }
  int ItemCount() const { return Items.Count(); }
  TQSItem* GetItem(int index) const { return Items.Get(index); }
  void Clear() { Items.Clear(); }
  void Assign(const TObject& source);
  // Frees every multi-measure rest mark.
  void DeleteMeasureRests();

  void LoadFromStream(TStream& s);
  void SaveToStream(TStream& s) const;

 private:
  TQSPiece* piece_;
};

// ---------------------------------------------------------------- piece

class TQSPiece : public TObject {
 public:
  struct TFields {
    uint8_t Further0[4] = {};
    int16_t Tempo = 60;     // quarter notes per minute
    uint16_t Auftakt = 0;   // upbeat: count high byte, note value low byte
    uint8_t Further8[12] = {};

    void Visit(TBlockIO& b);
  };
  static constexpr int kBlockSize = 20;

  // Registers with the score; raises "Is not owner of the Score" without one.
  explicit TQSPiece(TQSScore* score);
  ~TQSPiece() override;
  TQSPiece(const TQSPiece&) = delete;
  TQSPiece& operator=(const TQSPiece&) = delete;
  const char* ClassName() const override { return "TQSPiece"; }

  TFields Fields;
  std::vector<uint8_t> BlockSurplus;
  std::string Name;
  TQSSpacingTables Spacing;
  std::vector<uint8_t> ByteTable;
  int Index = 0;
  void* TreeNode = nullptr;
  // While set, parts and columns made for the piece are not appended.
  bool RegistrationSuspended = false;
  // The piece's system counter, compared with the running numbers of its
  // systems: Delete and Backspace at a system's edge lower it and lay the
  // score out again. Not stored.
  int32_t SystemCounter = 0;

  // Layout results, filled by the layout pass; not stored. Slots are kept
  // by measure number (null where the layout has not come to) and owned by
  // the score's layout pages. The play order is owned here; VisitCount of
  // its records are current (the rest are kept for reuse).
  int FirstRow = 0;
  int LastLaidOutMeasure = -1;
  std::vector<TQSMeasureSlot*> Slots;
  int VisitCount = 0;
  std::vector<std::unique_ptr<TQSCalcVisit>> Visits;

  TQSScore* Score() const { return score_; }
  int GetIndex() const;
  // The layout page that holds measure number measureIndex; -1 when the
  // layout has not placed it.
  int MeasurePage(int measureIndex) const;

  // Tempo in quarter notes per minute; a stored 0 or less reads as the
  // fallback tempo.
  int Tempo() const;
  uint16_t Auftakt() const { return Fields.Auftakt; }
  void SetName(const std::string& value);
  void SetTempo(int value);
  void SetAuftakt(uint16_t value);

  // ------------------------------------------------------------- parts
  int PartCount() const { return static_cast<int>(parts_.size()); }
  TQSPart* GetPart(int index) const;
  std::vector<TQSPart*>& PartList() { return parts_; }
  void InsertPart(TQSPart* part, int index);
  void RemovePart(TQSPart* part);
  TQSPart* AddPart();
  void ClearParts();
  void UpdatePartIndexes();

  // ----------------------------------------------------------- columns
  int ColumnCount() const { return static_cast<int>(columns_.size()); }
  TQSColumn* GetColumn(int index) const;
  std::vector<TQSColumn*>& ColumnList() { return columns_; }
  void AppendColumn(TQSColumn* column);
  void RemoveColumn(TQSColumn* column);
  TQSColumn* AddColumn();
  void ClearColumns();
  void RenumberColumns();

  void Relayout();
  // The lowest MIDI channel 1-15 (9 excepted) no part uses; -1 when every
  // one is taken (channel 0 is never offered).
  int FreeChannel() const;
  // The latest start below / earliest above position of a note, rest or
  // note repeat in measure measureIndex of every part.
  int PrevItemStart(int measureIndex, int position) const;
  int NextItemStart(int measureIndex, int position, bool toMeasureEnd) const;

  void Assign(const TObject& source);
  void LoadFromStream(TStream& s);
  void SaveToStream(TStream& s) const;

 private:
  TQSScore* score_;
  std::vector<TQSPart*> parts_;
  std::vector<TQSColumn*> columns_;
};

// Value limited to 0..127.
constexpr int ClampMidiValue(int value) { return value < 0 ? 0 : (value > 127 ? 127 : value); }

}  // namespace qs
