// The names of the steps in the undo and redo lists: what a step did, by its
// action code, in the interface language (record "MUndoCaptions").
#include <utility>

#include "app/fileeditor.h"
#include "score/score.h"
#include "score/undo.h"
#include "uikit/language.h"

namespace qs {

namespace {

using namespace undoaction;

// The action codes with the message that names them; every other code is
// named by kOtherStep. Codes that mean the same share a message.
constexpr std::pair<uint8_t, int> kStepNames[] = {
    {NoteEntered, 0},       {RestEntered, 1},       {MarkInserted, 2},      {TieAttached, 3},
    {ChordEntered, 4},      {TextInserted, 5},      {LyricInserted, 6},     {SymbolApplied, 2},
    {ImageInserted, 7},     {ShapeInserted, 8},     {12, 2},                {InstrumentNameInserted, 9},
    {SelectionDeleted, 10}, {ItemErased, 11},       {PropertiesChanged, 12}, {StemDirectionSet, 13},
    {MovedHorizontally, 14}, {MovedVertically, 15}, {DurationsChanged, 16}, {ValuesStepped, 17},
    {BlockPasted, 18},      {NotesSplit, 19},       {NotesJoined, 20},      {BeamMoved, 15},
    {ItemsAligned, 21},     {MeasureBeamingSet, 22}, {MeasurePropertiesSet, 23}, {PieceAdded, 24},
    {PieceDeleted, 25},     {PartAdded, 26},        {PartDeleted, 27},      {StaffAdded, 28},
    {StaffDeleted, 29},     {VoiceAdded, 30},       {VoiceDeleted, 31},     {MeasuresInserted, 32},
    {MeasuresDeleted, 33},  {TextEdit, 34},         {TextEditDelete, 35},   {TextEditOther, 18},
};
constexpr int kOtherStep = 36;

std::vector<std::string> StepNames(const std::vector<std::unique_ptr<TQSUndoRecord>>& records) {
  TComponent owner(nullptr);
  TECFormLanguage texts(&owner);
  texts.FormName = "MUndoCaptions";
  std::vector<std::string> names;
  for (auto it = records.rbegin(); it != records.rend(); ++it) {
    int message = kOtherStep;
    for (const auto& [code, index] : kStepNames)
      if (code == (*it)->Action) message = index;
    names.push_back(texts.GetMessage(message));
  }
  return names;
}

}  // namespace

std::vector<std::string> TFFileEditor::UndoCaptions() const { return StepNames(score_->UndoList); }

std::vector<std::string> TFFileEditor::RedoCaptions() const { return StepNames(score_->RedoList); }

}  // namespace qs
