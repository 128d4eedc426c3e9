#pragma once
// The entry writers shared by the score's SaveUndo... operations and the
// replay, which records into its mirror records what it overwrites. Each
// appends one entry and never raises: an entry that fails is cut off again.
#include <cstdint>

#include "score/score.h"

namespace qs::undoentry {

// Bytes of a tagged entry before its body: tag, end, view style, cursor.
constexpr int kTaggedHeaderSize = 1 + 4 + 1 + 7 * 4;
// Bytes of a structure entry before its indexes: tag, end, action, piece.
constexpr int kStructureHeaderSize = 1 + 4 + 1 + 4;

// withBody false leaves the object's record out (a record whose replay
// only removes the object needs nothing but its place). index >= 0 is
// filed in place of the measure's or column's own index.
void Piece(TQSScore& score, TQSUndoRecord* record, TQSPiece& piece, bool withBody);
void Part(TQSScore& score, TQSUndoRecord* record, TQSPart& part, bool withBody);
void Staff(TQSScore& score, TQSUndoRecord* record, TQSStaff& staff, bool withBody);
void Voice(TQSScore& score, TQSUndoRecord* record, TQSVoice& voice, bool withBody);
void Measure(TQSScore& score, TQSUndoRecord* record, TQSMeasure& measure, int index, bool withBody);
void Column(TQSScore& score, TQSUndoRecord* record, TQSColumn& column, int index, bool withBody);
void Item(TQSScore& score, TQSUndoRecord* record, TQSItem& item);
// A text entry for a lyric, inscription, instrument name or free text.
void Text(TQSScore& score, TQSUndoRecord* record, TQSItem& item);
// part is left out for columns (tag undotag::Column).
void Structure(TQSUndoRecord* record, uint8_t tag, uint8_t action, int piece, int part, int index);

// A part (part < 0) or staff of part that moved from from to to.
void Order(TQSUndoRecord* record, int piece, int part, int from, int to);

// The kinds that text entries are made for.
bool IsTextKind(uint8_t kind);

}  // namespace qs::undoentry
