#pragma once
// Marks at the input cursor: staff marks of one measure (clefs, keys, note
// and bar repeats, dynamics, articulations ...), guitar bends, and column
// marks that stand for every part at one measure number (meters, tempo,
// repeats, jumps, voltas ...). A new meter re-bars the piece; a new key
// respells the notes after it, to keep them sounding as they did, when the
// score's ToneModify is set.
#include <cstdint>
#include <unordered_map>
#include <utility>
#include <vector>

namespace qs {

class TQSScore;
class TQSMark;
class TQSPart;
class TQSMeasure;
class TQSNote;
class TQSBend;
class TQSEditCommand;
struct TQSUndoRecord;

// A staff mark of kind itemKind at the cursor, or the one there updated:
// type is its variant (Kind), length its value word, value its extra byte.
TQSMark* InsertMark(TQSScore& score, int itemKind, int type, int length, int flags, int yOffset, int value);
// A bend of the variant at the cursor.
TQSBend* InsertBend(TQSScore& score, int itemKind, int variant, int yOffset);
// A column mark of kind itemKind at the cursor's measure number.
TQSMark* InsertColumnMark(TQSScore& score, int itemKind, int type, int value, int flags, int yOffset);

// Re-bars the cursor's piece from column columnIndex on to the next meter
// change with measures of the meter: every item moves to where its time now
// falls, notes over the new bar lines are cut into tied pieces. Everything
// changed is recorded in the command's undo record.
void RebarFromColumn(TQSEditCommand& command, int columnIndex, uint16_t timeSignature);
// The notes a key change can reach, read before the change with what each
// of them sounds.
class TNotesBeforeKeyChange {
 public:
  // The notes of the part from measure `from` through the next later
  // measure that holds a key signature (its first staff may have notes
  // before it); read again for a further key signature, the measures
  // already read are kept as they were.
  void Read(TQSPart& part, int from);
  bool Empty() const { return staves_.empty(); }

 private:
  friend void ModifyNotesForKeyChange(TQSEditCommand& command, const TNotesBeforeKeyChange& before);
  struct TBefore {
    int Sounding;  // the alteration it sounded
    bool Needed;   // its accidentals made it sound other than what was in force
  };
  std::vector<std::pair<TQSMeasure*, int>> staves_;  // measure and staff
  std::unordered_map<const TQSNote*, TBefore> notes_;
};

// After key signatures were put in, changed or taken away: respells the
// notes read before so that every one sounds as it did, each accidental
// written as the layout reads it. A note the new key would alter gets the
// accidental it needs (a later note of its step then follows it as it
// did); a natural the old key needed and the new one makes superfluous
// goes. Every measure changed is recorded in the command's undo record.
void ModifyNotesForKeyChange(TQSEditCommand& command, const TNotesBeforeKeyChange& before);

}  // namespace qs
