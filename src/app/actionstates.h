#pragma once
// Which of the main window's commands can run, from what the active
// document is doing. The main window gathers the state; the rule of each
// command is its row's TCommandState.
#include <string>

#include "app/commands.h"

namespace qs {

class TFFileEditor;

struct TDocumentState {
  bool Document = false;  // a document is open (the rest describe it)
  bool View = false;      // ... and has its view
  bool Modified = false;
  bool CanUndo = false, CanRedo = false;
  // The view's selection and the clipboard (of the typed text, and text on
  // the clipboard, while a text is typed).
  bool CanCopy = false, CanPaste = false;
  bool SeveralPieces = false, SeveralParts = false, SeveralStaves = false, SeveralVoices = false;
  bool Playing = false;    // the view plays
  bool Recording = false;  // the view records
  bool Typing = false;     // a text is edited in place in the view
  bool CanSaveSymbol = false, CanSaveChord = false;
};

// The state of the active document (null: none); playing and recording
// as its view's player tells.
TDocumentState DocumentStateOf(TFFileEditor* editor);

// Whether a command's rule holds in the state.
bool StateAllows(TCommandState rule, const TDocumentState& state);
// Whether the command can run: it is built and its rule holds.
bool CommandEnabled(const TCommand& command, const TDocumentState& state);

}  // namespace qs
