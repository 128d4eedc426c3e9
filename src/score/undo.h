#pragma once
// The undo journal's vocabulary: the action codes the editing commands open
// their records with, the tags of the entries, and the staff/voice
// renumbering that adding and removing voices and staves needs.
//
// How a command records itself:
//   1. TQSUndoRecord* r = score.BeginUndo(action, "");  (nullptr while
//      recording is suspended; every writer accepts nullptr)
//   2. before changing anything: an entry for every object about to change
//      or go (SaveUndoMeasure, SaveUndoColumn, SaveUndoItem, and for a
//      piece, part, staff or voice about to be deleted its entry, written
//      with the active view's cursor on it), and a structure entry with
//      action 91 for every measure or column about to be deleted, in
//      ascending index order;
//   3. the change;
//   4. for a part or staff moved to another place its order entry
//      (SaveUndoOrder);
//   5. for every measure or column inserted a structure entry with action
//      80, in ascending order of their final indexes, and for an inserted
//      page object, piece, part, staff or voice its entry (again with the
//      cursor on a piece, part, staff or voice).
// Items of measures and columns are recorded through their measure or
// column; SaveUndoItem is for page objects of the score's list, or of the
// cursor's part under vsPart. In-place text editing opens one record (100
// to 102, the text as caption) with one SaveUndoText entry and calls
// ContinueUndo for every further change of the same edit.
// Staves and voices are added and deleted with the items of their part's
// measures renumbered (MapStaffVoices, RemoveStaffItems, RemoveVoiceItems).
// The score's Undo and Redo replay the records newest first.
#include <cstdint>
#include <functional>

namespace qs {

class TQSItem;
class TQSPart;
struct TQSUndoRecord;

namespace undoaction {
constexpr uint8_t NoteEntered = 1, RestEntered = 2, MarkInserted = 3, TieAttached = 4, ChordEntered = 5,
                  TextInserted = 6, LyricInserted = 7, SymbolApplied = 8, ImageInserted = 9,
                  ShapeInserted = 10, InstrumentNameInserted = 13, SelectionDeleted = 16, ItemErased = 17,
                  PropertiesChanged = 18, StemDirectionSet = 19, MovedHorizontally = 20, MovedVertically = 21,
                  DurationsChanged = 22, ValuesStepped = 23, BlockPasted = 25, NotesSplit = 27, NotesJoined = 28,
                  BeamMoved = 29, ItemsAligned = 32, MeasureBeamingSet = 36, MeasurePropertiesSet = 37,
                  PieceAdded = 40, PieceDeleted = 41, PartAdded = 50, PartDeleted = 51, PartMoved = 52,
                  StaffAdded = 60, StaffDeleted = 61, StaffMoved = 62, VoiceAdded = 70, VoiceDeleted = 71,
                  MeasuresInserted = 80,
                  MeasuresDeleted = 91,
                  // In-place text editing; 101 also deletes a text left empty.
                  TextEdit = 100, TextEditDelete = 101, TextEditOther = 102;
}  // namespace undoaction

// The action byte of a structure entry: the object was inserted (the
// replay deletes it) or deleted (the replay makes an empty one).
namespace undostructure {
constexpr uint8_t Inserted = undoaction::MeasuresInserted, Deleted = undoaction::MeasuresDeleted;
}

// Tags of the tagged entries.
namespace undotag {
constexpr uint8_t Piece = 250, Part = 249, Staff = 248, Voice = 247, Measure = 246, Column = 245, Item = 244;
// A structure entry of a part or staff that changed places.
constexpr uint8_t Order = 243;
}

// Records that the part (part -1: the piece's part from) or the staff of
// part moved from place from to place to; the replay moves it back (and
// forward again).
void SaveUndoOrder(TQSUndoRecord* record, int piece, int part, int from, int to);

// Gives every item of the part's measures, with the items attached to it,
// the staff/voice byte map returns for its own; an item of the measure
// mapped to -1 is freed. Items without a staff/voice byte stay.
void MapStaffVoices(TQSPart& part, const std::function<int(int staffVoice)>& map);

// Sets the staff/voice byte of an item that has one; false for the others.
bool SetItemStaffVoice(TQSItem& item, uint8_t staffVoice);

}  // namespace qs
