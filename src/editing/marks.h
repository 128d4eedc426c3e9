#pragma once
// Marks at the input cursor: staff marks of one measure (clefs, keys, note
// and bar repeats, dynamics, articulations ...), guitar bends, and column
// marks that stand for every part at one measure number (meters, tempo,
// repeats, jumps, voltas ...). A new meter re-bars the piece; a new key
// respells the notes after it when the score's ToneModify is set.
#include <cstdint>

namespace qs {

class TQSScore;
class TQSMark;
class TQSPart;
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
// Respells the accidentals of the cursor's part from measure measureIndex on
// for a key change from oldKey to newKey (0 none, 1-7 sharps, 11-17 flats),
// up to the next key signature.
void ModifyNotesForKeyChange(TQSEditCommand& command, int measureIndex, int oldKey, int newKey);
// The same in a given part (the part of the key signature that changed).
void ModifyNotesForKeyChange(TQSEditCommand& command, TQSPart& part, int measureIndex, int oldKey, int newKey);

// Per diatonic step (0 = C .. 6 = B) the alteration a key gives: +1, -1, 0.
void KeyAlterations(int key, int (&table)[7]);

}  // namespace qs
