#pragma once
// The main window's commands, made from one table: each row is an action
// of the main window (its component name; its caption and hint come from
// the language file under that name), its default shortcut, its picture,
// when it is enabled and its handler. Menus, tool bars and the keyboard
// find commands here, so that one key runs one command once.
#include <cstdint>
#include <string>
#include <vector>

namespace qs {

class TFProgramModule;

// When a command can run (a command without a handler is not built yet
// and never runs). "Typing" is a text edited in place in the view: its
// keys and the clipboard commands then belong to the text.
enum class TCommandState : uint8_t {
  Always,
  Document,       // a document is open
  Modified,       // the document is modified
  CanUndo,        // the score has something to undo, and no text is typed
  CanRedo,
  CanCopy,        // the view has a selection to copy (of the typed text while one is typed)
  CanPaste,       // the clipboard holds something the view can paste (text into a typed text)
  PasteInto,      // as CanPaste, but never into a typed text
  Selecting,      // a document, and no text is typed (delete, select)
  SeveralPieces,  // the score has more than one piece
  SeveralParts,   // the cursor's piece has more than one part
  SeveralStaves,  // the cursor's part has more than one staff
  SeveralVoices,  // the cursor's staff has more than one voice
  CanPlay,        // a view that neither plays nor records
  CanStop,        // the view plays or records
  CanSaveSymbol,  // the document can save its selection as a symbol
  CanSaveChord,   // ... as a chord
  CanReorder,     // the cursor's part has several staves, or its piece several parts
  NotBuilt,       // the command's window or function does not exist yet
};

struct TCommand {
  const char* Name;
  uint16_t ShortCut;  // a key with its shift state (ShortCut()), 0 for none
  int Image;          // -1: the tool bars show the caption
  TCommandState State;
  void (TFProgramModule::*Execute)();  // null: not built yet (always disabled)
  bool Hidden = false;                 // in no menu (keys only)
};

const std::vector<TCommand>& CommandTable();
const TCommand* FindCommand(const std::string& name);

// The menu bar: each row a menu item (its component name) with the
// entries of its list: command names, names of other rows (submenus) and
// "-" for a separator.
struct TMenuRow {
  const char* Item;
  std::vector<const char*> Entries;
};
const std::vector<TMenuRow>& MenuLayout();
// The menu bar's own entries, left to right.
const std::vector<const char*>& MenuBarItems();
// The tool bars, left to right: each a list of command names and "-".
const std::vector<std::vector<const char*>>& ToolBarLayout();

}  // namespace qs
