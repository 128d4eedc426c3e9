#include <gtest/gtest.h>

#include <set>
#include <string>

#include "editing/undotexts.h"
#include "score/undo.h"

using namespace qs;

namespace {

TEST(UndoTexts, EveryActionHasATextInEveryLanguage) {
  using namespace undoaction;
  const uint8_t actions[] = {NoteEntered, RestEntered, MarkInserted, TieAttached, ChordEntered, TextInserted,
                             LyricInserted, SymbolApplied, ImageInserted, ShapeInserted, InstrumentNameInserted,
                             SelectionDeleted, ItemErased, PropertiesChanged, StemDirectionSet, MovedHorizontally,
                             MovedVertically, DurationsChanged, ValuesStepped, BlockPasted, NotesSplit, NotesJoined,
                             BeamMoved, ItemsAligned, MeasureBeamingSet, MeasurePropertiesSet, PieceAdded,
                             PieceDeleted, PartAdded, PartDeleted, PartMoved, StaffAdded, StaffDeleted, StaffMoved, VoiceAdded,
                             VoiceDeleted, MeasuresInserted, MeasuresDeleted, TextEdit, TextEditDelete,
                             TextEditOther};
  for (const char* language : {"ENU", "DEU", "FRA", "ITA", "RUS"}) {
    std::set<std::string> seen;
    for (uint8_t action : actions) {
      const std::string text = UndoActionText(action, language);
      EXPECT_FALSE(text.empty()) << int(action) << " " << language;
      seen.insert(text);
    }
    // The lists tell every step apart.
    EXPECT_EQ(seen.size(), std::size(actions)) << language;
  }
  EXPECT_EQ(UndoActionText(NoteEntered, "XYZ"), "Insert note");
  EXPECT_EQ(UndoActionText(NoteEntered, "DEU"), "Note einfügen");
  EXPECT_EQ(UndoActionText(200, "ENU"), "");
}

}  // namespace
