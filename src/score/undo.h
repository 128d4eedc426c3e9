#pragma once
// The undo journal's vocabulary: the action codes the editing commands open
// their records with, the tags of the entries, and the staff/voice
// renumbering that adding and removing voices and staves needs.
//
// How a command records itself:
//   1. TQSUndoRecord* r = score.BeginUndo(action, "");  (nullptr while
//      recording is suspended; every writer accepts nullptr)
//   2. before changing anything, one entry per object about to change
//      (SaveUndoMeasure, SaveUndoColumn, SaveUndoItem, ...) and a structure
//      entry with action 91 per measure or column about to be deleted, in
//      ascending index order;
//   3. the change; then for each measure or column inserted a structure
//      entry with action 80 (ascending, each with its final index), and for
//      an inserted page object, piece, part, staff or voice its entry, with
//      the view's cursor on it.
// The score's Undo and Redo replay the records newest first.
#include <cstdint>
#include <functional>

namespace qs {

class TQSItem;
class TQSPart;

namespace undoaction {
constexpr uint8_t NoteEntered = 1, RestEntered = 2, MarkInserted = 3, TieAttached = 4, ChordEntered = 5,
                  TextInserted = 6, LyricInserted = 7, SymbolApplied = 8, ImageInserted = 9,
                  ShapeInserted = 10, InstrumentNameInserted = 13, SelectionDeleted = 16, ItemErased = 17,
                  PropertiesChanged = 18, StemDirectionSet = 19, MovedHorizontally = 20, MovedVertically = 21,
                  DurationsChanged = 22, ValuesStepped = 23, BlockPasted = 25, NotesSplit = 27, NotesJoined = 28,
                  BeamMoved = 29, ItemsAligned = 32, MeasureBeamingSet = 36, MeasurePropertiesSet = 37,
                  PieceAdded = 40, PieceDeleted = 41, PartAdded = 50, PartDeleted = 51, StaffAdded = 60,
                  StaffDeleted = 61, VoiceAdded = 70, VoiceDeleted = 71, MeasuresInserted = 80,
                  MeasuresDeleted = 91,
                  // In-place text editing; 101 also deletes a text left empty.
                  TextEdit = 100, TextEditDelete = 101, TextEditOther = 102;
constexpr bool IsTextEdit(uint8_t action) { return action >= TextEdit && action <= TextEditOther; }
}  // namespace undoaction

// The action byte of a structure entry: the object was inserted (the
// replay deletes it) or deleted (the replay makes an empty one).
namespace undostructure {
constexpr uint8_t Inserted = undoaction::MeasuresInserted, Deleted = undoaction::MeasuresDeleted;
}

// Tags of the tagged entries.
namespace undotag {
constexpr uint8_t Piece = 250, Part = 249, Staff = 248, Voice = 247, Measure = 246, Column = 245, Item = 244;
}

// Gives every item of the part's measures, with the items attached to it,
// the staff/voice byte map returns for its own; an item of the measure
// mapped to -1 is freed. Items without a staff/voice byte stay.
void MapStaffVoices(TQSPart& part, const std::function<int(int staffVoice)>& map);

// Sets the staff/voice byte of an item that has one; false for the others.
bool SetItemStaffVoice(TQSItem& item, uint8_t staffVoice);

}  // namespace qs
