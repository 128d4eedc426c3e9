#include "editing/undotexts.h"

#include <iterator>

#include "score/undo.h"
#include "uikit/catalogue.h"

namespace qs {

namespace {

using namespace undoaction;

// The actions with a text, in the order of their texts in the message
// catalogue (from TMessageId::UndoFirst on).
constexpr uint8_t kActions[] = {NoteEntered, RestEntered, MarkInserted, TieAttached, ChordEntered, TextInserted, LyricInserted, SymbolApplied, ImageInserted, ShapeInserted, InstrumentNameInserted, SelectionDeleted, ItemErased, PropertiesChanged, StemDirectionSet, MovedHorizontally, MovedVertically, DurationsChanged, ValuesStepped, BlockPasted, NotesSplit, NotesJoined, BeamMoved, ItemsAligned, MeasureBeamingSet, MeasurePropertiesSet, PieceAdded, PieceDeleted, PartAdded, PartDeleted, StaffAdded, StaffDeleted, VoiceAdded, VoiceDeleted, MeasuresInserted, MeasuresDeleted, TextEdit, TextEditDelete, TextEditOther};

// Actions whose texts came later, from TMessageId::UndoMoreFirst on.
constexpr uint8_t kMoreActions[] = {PartMoved, StaffMoved};

}  // namespace

std::string UndoActionText(uint8_t action, const std::string& language) {
  for (size_t i = 0; i < std::size(kActions); ++i)
    if (kActions[i] == action) return CatalogueText(static_cast<int>(TMessageId::UndoFirst) + static_cast<int>(i), language);
  for (size_t i = 0; i < std::size(kMoreActions); ++i)
    if (kMoreActions[i] == action)
      return CatalogueText(static_cast<int>(TMessageId::UndoMoreFirst) + static_cast<int>(i), language);
  return "";
}

}  // namespace qs
