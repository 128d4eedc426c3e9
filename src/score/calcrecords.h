#pragma once
// The layout records: the plain tree the layout pass builds from the score
// and everything downstream reads (painting, hit testing, playback, some
// model lookups). They hold no behaviour.
//
// Coordinates are layout units: 1/8 of a screen pixel at zoom 100.
//
// Records are made on first need, zero-filled, and kept for the life of the
// score: a later pass reuses the record at the same index and overwrites
// it, so the lists only grow. Each record's count field tells how many
// entries the current layout uses; entries beyond it are stale and every
// reader must ignore them.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/geometry.h"
#include "base/smallpool.h"
#include "score/clefs.h"
#include "score/slot.h"

namespace qs {

class TQSItem;
class TQSMeasure;
class TQSStaff;
class TQSPart;
class TQSPiece;
struct TQSCalcPage;
struct TQSCalcSystem;
struct TQSCalcMeasure;
struct TQSCalcStaff;

// Records owned by a list and reused from pass to pass.
template <class T>
class TQSRecordPool {
 public:
  // The record at index i, made zero-filled on first need.
  T* Need(size_t i) {
    while (items_.size() <= i) items_.push_back(std::make_unique<T>());
    return items_[i].get();
  }
  // The record at index i, nullptr when it was never made.
  T* At(size_t i) const { return i < items_.size() ? items_[i].get() : nullptr; }
  // The same for a signed index (nullptr below 0).
  T* At(int i) const { return i >= 0 ? At(static_cast<size_t>(i)) : nullptr; }
  size_t Capacity() const { return items_.size(); }
  void Free() { items_.clear(); }

 private:
  std::vector<std::unique_ptr<T>> items_;
};

// Element types of a layout element.
namespace element {
constexpr uint8_t Item = 0;        // the item drawn according to its kind
constexpr uint8_t PartBarline = 7; // barline joining the staves of one group at a measure end
constexpr uint8_t Stem = 25;       // stem (with flag) of a note
constexpr uint8_t Beam = 26;       // a beam: Links hold the stem elements of its notes
}  // namespace element

// One layout element: one thing to draw, hit-test and select. A large
// score has hundreds of thousands of them, so they live in the small-object
// pool.
struct TQSCalcItem : TSmallPooled {
  TQSCalcMeasure* Owner = nullptr;   // the slot that holds it (null for page-object elements)
  TQSCalcPage* OwnerPage = nullptr;  // the page that holds a page-object element
  TQSItem* Item = nullptr;           // the item drawn (null for elements without one)
  TQSStaff* Staff = nullptr;         // type 7: the staff that opens the group's barline
  TQSCalcItem* Next = nullptr;       // the element made earlier for the same item
  TQSCalcStaff* Row = nullptr;       // the staff row it belongs to
  uint8_t ElementType = 0;
  std::vector<TQSCalcItem*> Links;   // type 26: the stems of the beamed notes, in order
  std::string Text;
  uint8_t State = 0;
  uint8_t SizePercent = 100;
  uint16_t Param = 0;
  int16_t Param2 = 0;
  uint8_t Flags = 0;                 // bit 0: another voice's note draws this head
  TRect Box;
  TRect Box2;

  // The page the element lies on; nullptr for a detached element.
  TQSCalcPage* PageOf() const;
};

// Readers walk at most this many Next links of an item's elements.
constexpr int kMaxElementChain = 10000;

// One timed item of a measure slot, for playback.
struct TQSCalcEvent {
  TQSItem* Item = nullptr;
  TQSItem* Item2 = nullptr;
  uint16_t Tick = 0;
  int16_t Duration = 0;
  uint8_t Tremolo = 0;
};

// One entry of a slot's dynamics table.
struct TQSCalcDynamic {
  TQSItem* Item = nullptr;
  int16_t PartIndex = 0;
  uint16_t StartTick = 0;
  uint16_t EndTick = 0;
  uint8_t StartVelocity = 64;
  uint8_t EndVelocity = 64;
  uint8_t AtTickOnly = 0;
  uint8_t NoValue = 0;
};

// One tempo segment of a measure.
struct TQSCalcTempo {
  uint16_t Tick = 0;
  double MsPerTick = 0;
};

// One step of a piece's play order.
struct TQSCalcVisit {
  int32_t Measure = 0;
  uint16_t StartTick = 0;
  uint16_t EndTick = 0;
  uint16_t JumpState = 0;
  uint16_t Volta = 0;
  uint8_t CodaFlag = 0;
  uint8_t Skip = 0;
  double StartMs = 0;
};

// One staff row: one staff of one system.
struct TQSCalcStaff {
  TQSCalcPage* Page = nullptr;
  TQSCalcSystem* System = nullptr;
  TQSStaff* Staff = nullptr;
  int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
  int32_t UpperBound = 0, LowerBound = 0;
  int32_t TopLine = 0, BottomLine = 0;
  // Working values the page painter stores for the measure renderer.
  int32_t PaintValue32 = 0;
  int16_t PaintValue16 = 0;
  std::vector<TQSCalcItem*> Lyrics;  // lyric elements placed on the row, in placing order
  std::vector<TQSCalcItem*> ChordSymbols;  // chord symbol elements placed on the row, in placing order
};

// One part within one system.
struct TQSCalcSystemPart {
  TQSCalcSystem* System = nullptr;
  TQSPart* Part = nullptr;
  int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
  uint16_t FirstRow = 0, LastRow = 0;
};

// One measure slot: one measure number of one system, across all parts.
// MeasureIndex, Meter, Length, EndMeter and EndLength are the part the
// model reads (TQSMeasureSlot).
struct TQSCalcMeasure : TQSMeasureSlot {
  // The clef offset governing a tick (the model's lookup): the clef placed
  // in this measure on the staff at or before the tick, else the clef in
  // force on the row at the measure start. *clefKind (when given) receives
  // the kind of that clef, -1 when there is none.
  int ClefOffsetAt(const TQSMeasure& measure, int staffRow, int staffVoice, int tick) const override;
  int ClefOffsetFor(const TQSPart* part, int staffRow, int staffVoice, int tick, int* clefKind) const;
  // The clef mark the lookup above finds, nullptr when none.
  TQSItem* ClefFor(const TQSPart* part, int staffRow, int staffVoice, int tick) const;

  TQSCalcSystem* System = nullptr;
  TRect Box;
  uint16_t PositionCapacity = 0;
  std::vector<uint16_t> Positions;     // one entry per tick; Length in use
  std::vector<TQSItem*> ClefByRow;     // RowCount entries
  uint32_t RowCount = 0;
  std::vector<TQSItem*> Clefs;
  std::vector<TQSItem*> KeyByPart;     // PartCount entries
  uint32_t PartCount = 0;
  uint16_t Number = 0;
  TQSItem* RehearsalMark = nullptr;
  uint16_t RehearsalNumber = 0;
  uint16_t ClefWidth = 0;
  uint16_t KeyWidth = 0;
  uint16_t MeterWidth = 0;
  uint16_t ContentWidth = 0;
  uint16_t BeginBarWidth = 0;
  uint16_t RepeatBarWidth = 0;
  uint16_t InnerBarWidth = 0;
  uint16_t Width = 0;
  uint8_t Occupancy = 0;
  uint8_t IsEmpty = 0;
  uint16_t ItemCount = 0;
  TQSRecordPool<TQSCalcItem> Items;
  double StartMs = 0;
  double EndMs = 0;
  std::vector<TQSCalcTempo> Tempo;
  // Events ordered by tick; EventCount of them (all of the list) are the
  // current ones. The records are reused from pass to pass.
  uint16_t EventCount = 0;
  std::vector<TQSCalcEvent*> Events;
  TQSRecordPool<TQSCalcEvent> EventRecords;
  uint32_t EventRecordsUsed = 0;  // records of EventRecords taken this pass
  // Events of notes tied onwards into the next note.
  std::vector<TQSCalcEvent*> SpanningItems;
  uint16_t DynamicCount = 0;
  std::vector<TQSCalcDynamic> Dynamics;
  std::vector<TQSItem*> JumpMarks;
  std::vector<TQSCalcItem*> SpanningMarks;
  // Only in the slot of measure 0: copies of the elements repeated at every
  // later system start (the instrument names); owned here.
  std::vector<std::unique_ptr<TQSCalcItem>> NameElements;
};

// One system (line of music).
struct TQSCalcSystem {
  uint16_t Number = 0;
  uint16_t Page = 0;
  TQSCalcPage* PageRecord = nullptr;
  TQSPiece* Piece = nullptr;
  int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
  int32_t UpperBound = 0, LowerBound = 0;
  uint16_t FirstRow = 0, LastRow = 0;
  uint16_t FirstMeasure = 0;
  uint16_t MeasureCount = 0;
  TQSRecordPool<TQSCalcMeasure> Measures;
  TQSRecordPool<TQSCalcSystemPart> Parts;
  uint8_t IsEmpty = 0;
};

// Per staff of a part, carried from page to page.
struct TQSCalcPageStaff {
  TQSItem* Clef = nullptr;
  uint8_t ClefDrawn = 0;
};

// The state of one part carried from page to page.
struct TQSCalcPagePart {
  std::vector<TQSItem*> Accolades;
  TQSItem* KeySignature = nullptr;
  uint8_t KeyDrawn = 0;
  std::vector<TQSCalcPageStaff> Staves;
};

// One laid-out page.
struct TQSCalcPage {
  uint16_t PageIndex = 0;
  uint16_t FirstPiece = 0;
  uint16_t PieceChanges = 0;
  uint16_t FirstMeasure = 0;
  uint16_t NextMeasure = 0;
  uint16_t VisitCount = 0;
  uint16_t MeasureCount = 0;
  uint16_t StaffRowCount = 0;
  TQSRecordPool<TQSCalcStaff> StaffRows;
  uint16_t RowsBefore = 0;
  uint16_t SystemCount = 0;
  TQSRecordPool<TQSCalcSystem> Systems;
  uint16_t SystemsBefore = 0;
  uint16_t PageItemCount = 0;
  TQSRecordPool<TQSCalcItem> PageItems;
  // Running state, copied from the previous page so a layout can restart here.
  uint16_t Meter = 0x0404;
  uint8_t MeterStyle = 0;
  uint16_t EmptyPagesPending = 0;
  uint8_t IsEmpty = 0;
  int32_t MeasuresDone = 0;
  TQSItem* MeasureNumbering = nullptr;
  int16_t VoltaLeft = -1;
  uint8_t VoltaNumber = 0;
  uint8_t CodaFlag = 0;
  uint16_t MeasureNumber = 0;
  uint16_t JumpState = 0;
  TQSItem* Rehearsal = nullptr;
  uint16_t RehearsalNumber = 0;
  std::vector<TQSCalcPagePart> Parts;
  std::vector<TQSCalcItem*> OpenSpans;
  std::vector<TQSCalcItem*> EveryPageItems;
  double MsPerTick = 0;
  double ElapsedMs = 0;
  uint8_t PieceEnded = 0;
  // The score's used-measure count and total time at the end of the page,
  // so that a layout restarting at the next page continues them.
  int32_t UsedMeasures = 0;
  double TotalMs = 0;
};

// The clef offset of a clef kind (0 for none and unknown kinds): where the
// staff position of a pitch is counted from.
int ClefKindOffset(int clefKind);
// The percussion clefs.
constexpr bool IsPercussionClef(int clefKind) { return clefKind == clef::Percussion1 || clefKind == clef::Percussion2; }

}  // namespace qs
