#pragma once
// A measure: one bar of one part, holding every item of all staves and
// voices of the part within the bar in time order, with the operations that
// keep voices consistent (shifting, clearing, rests, chord order) and the
// beam groups built from the notes' join bits.
#include <cstdint>
#include <vector>

#include "base/events.h"
#include "score/item.h"
#include "score/record.h"
#include "score/spacing.h"

namespace qs {

class TQSPart;
class TQSScore;
class TQSNote;
class TQSMark;
class TQSPause;
class TQSVorschlag;
struct TQSMeasureSlot;

// Notes, rests and note repeats: the items that fill the time of a voice.
bool IsTimedItem(const TQSItem& item);
// Where a timed item ends: position + real length (note repeats: + length).
int TimedItemEnd(const TQSItem& item);

// One beam group: first and last index into the measure's beam-note list,
// and the layout element that draws its beam.
struct TQSBeamGroup {
  int16_t First = 0;
  int16_t Last = 0;
  TQSCalcItem* BeamElement = nullptr;
};

class TQSMeasure : public TObject, public TQSItemOwner, public TSmallPooled {
 public:
  struct TFields {
    // Beaming used when OwnBeaming is set: 0 none, 1 everything, 2 by beats,
    // n > 2 the measure divided into n - 1 groups.
    uint8_t Beaming = 0;
    uint8_t OwnBeaming = 0;
    uint8_t Flags = 0;  // kAllVoices, kBeamRunsOn
    uint8_t Further3 = 0;
    uint8_t Further4 = 8;
    uint8_t Further5[3] = {};

    void Visit(TBlockIO& b);
  };
  static constexpr int kBlockSize = 8;
  // Operations on a voice apply to every staff and voice of the measure.
  static constexpr uint8_t kAllVoices = 0x01;
  // A beam group runs on into the next measure.
  static constexpr uint8_t kBeamRunsOn = 0x10;

  // Appends itself to the part's measures; raises "Is not owner of the
  // measure" without a part.
  explicit TQSMeasure(TQSPart* part);
  ~TQSMeasure() override;
  TQSMeasure(const TQSMeasure&) = delete;
  TQSMeasure& operator=(const TQSMeasure&) = delete;
  const char* ClassName() const override { return "TQSMeasure"; }

  TFields Fields;
  std::vector<uint8_t> BlockSurplus;
  TQSItemList Items;
  TQSSpacingTable Spacing;
  // The measure number: the position in the part's measure list.
  int Index = 0;
  // The layout's slot for this measure, set by the layout pass.
  TQSMeasureSlot* LayoutRecord = nullptr;
  // Notes in beam groups, group after group, and the groups (index = group
  // number; entry 0 unused). Rebuilt by UpdateBeams.
  std::vector<TQSNote*> BeamNotes;
  std::vector<TQSBeamGroup> BeamGroups;
  // Notes, rests and note repeats per staff, counted by the layout pass.
  std::vector<int16_t> StaffNoteCounts;

  TQSPart* Part() const { return part_; }
  TQSScore* Score() const;
  TQSMeasure* Previous() const;
  TQSMeasure* Next() const;
  bool AllVoices() const { return Fields.Flags & kAllVoices; }
  bool BeamRunsOn() const { return Fields.Flags & kBeamRunsOn; }
  // The measure's own beaming value when set, otherwise the score's.
  int BeamingValue() const;
  // The layout slot that stands for this measure (the part's lookup), and
  // the measure's length from it; 0 without a slot.
  TQSMeasureSlot* MeasureRecord() const;
  int MeasureLength() const;

  // ------------------------------------------------------------ items
  void AddItem(TQSItem* item) override;
  void RemoveItem(TQSItem* item) override;
  int IndexOfItem(const TQSItem* item) const override { return Items.IndexOf(item); }
  TQSMeasure* OwnerMeasure() const override { return const_cast<TQSMeasure*>(this); }
  void ForgetNote(TQSItem* note) override;
  int ItemCount() const { return Items.Count(); }
  TQSItem* GetItem(int index) const { return Items.Get(index); }
  // Empties the beam lists and frees every item, last first.
  void Clear();
  // Copies settings, spacing table and a copy of every item from another
  // measure; any other source raises the assignment error.
  void Assign(const TObject& source);

  // True when the item belongs to the voice: its staff/voice byte is
  // staffVoice, or the measure applies operations to every voice.
  bool InVoice(const TQSItem& item, int staffVoice) const;

  // Frees the notes, rests and note repeats of the voice overlapping
  // [position, position + length) and every bar repeat of the voice;
  // returns the latest end of the freed timed items, -1 when none.
  int ClearVoiceRange(int staffVoice, int position, int length);
  // Moves the voice's items after position by delta ticks and repairs what
  // then crosses the measure's end.
  void ShiftVoiceItems(int staffVoice, int position, int delta);
  // Orders the chord at position by pitch and marks displaced heads;
  // returns whether the order changed.
  bool ArrangeChordNotes(int staffVoice, int position, bool clearSingle);
  // Fills the empty time of every voice (of staff, or of all staves when
  // staff < 0) with rests. measureLength 0: from the layout slot.
  void FillRests(bool wholeRests, int measureLength, bool forceWholeRest, int staff);
  // Fills [from, to) of a voice with rests on the grid (0: one beat);
  // startIndex is where the search for each insertion index begins.
  void InsertRests(int staffVoice, int from, int to, int startIndex, int grid);
  // Joins adjacent rests of the voice within a beat.
  void MergeRests(int staffVoice, int from, int to);
  // Sorts the items with a time position by position, staff and voice.
  void SortItems();
  // The latest start below / the earliest start above position of a note,
  // rest or note repeat (any staff and voice); -1 when there is none.
  int TimedStartBefore(int position) const;
  int TimedStartAfter(int position) const;
  // The tuplet mark of exactly that staff/voice byte covering position.
  TQSMark* FindTuplet(int staffVoice, int position) const;
  // Recomputes the playback fields of every note and then every grace
  // group at position (TQSScore::CalcNoteEffects).
  void CalcEffectsAt(int position);

  // ------------------------------------------------------------ beams
  // Sets every note's join bits from the beaming value, then rebuilds the
  // beam groups with stems.
  void AutoBeam();
  // Sets the join bits around note so that beams break at multiples of
  // groupLength ticks (0: from the beaming value).
  void AutoBeamNote(TQSNote* note, int groupLength);
  // Rebuilds the beam-note list and the group table from the join bits;
  // with calcStems also sets the stems of group (0: every group).
  void UpdateBeams(int group, bool calcStems);

  // ------------------------------------------------------------ record
  void LoadFromStream(TStream& s);
  void SaveToStream(TStream& s) const;

 private:
  struct TBeamState;
  struct TFreeSpan {
    int From, To;
  };
  std::vector<TFreeSpan> FreeSpans(int staffVoice, int length, bool& hasNotes) const;
  void FillVoiceRests(int staffVoice, const std::vector<TFreeSpan>& spans, bool hasNotes, bool wholeRests,
                      bool forceWholeRest, int measureLength);
  bool StaffHasNotes(int staff) const;
  bool LaterMeasuresUseStaff(int staff) const;
  TQSPause* NewRest(int staffVoice, int position, int length, int realLength, int offsetY, int startIndex);
  void MergeRestRun(const std::vector<TQSPause*>& run, int beat);
  void ShortenAtMeasureEnd(int staffVoice, int measureLength);
  void DropFromBeams(const TQSItem* note);
  void AddNoteToBeamGroup(TBeamState& st, TQSNote* note, bool fromPrevious);
  void CloseBeamGroup(TBeamState& st);
  void CalcStems(int group);
  int MeasureClefOffset(int staffRow, int staffVoice, int position) const;
  int StaffRowOf(int staffVoice) const;

  TQSPart* part_;
};

}  // namespace qs
