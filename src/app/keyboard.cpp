// The main window's keyboard dispatcher. Every key typed in the main window
// or on a palette comes here first; what it acts on goes no further, so a
// key never acts twice (the view's own keys for the same commands are not
// reached).
#include <exception>

#include "app/commands.h"
#include "app/fileeditor.h"
#include "app/mainwindow.h"
#include "palettes/notes.h"
#include "platform/actions.h"
#include "platform/keys.h"
#include "platform/forms.h"
#include "score/score.h"
#include "uikit/menu.h"
#include "uikit/interface.h"
#include "uikit/language.h"
#include "uikit/pagecontrol.h"
#include "view/window.h"

namespace qs {

void TFProgramModule::FormKeyDown(uint16_t& key, TShiftState shift) {
  if (!key) return;
  // An open menu or list takes its keys itself (Enter chooses there).
  if (ActivePopup() || (MMProgramModule && MMProgramModule->Armed())) return;
  for (TECMenu* bar : ToolBars)
    if (bar->Armed()) return;
  TFFileEditor* doc = ActiveEditor();
  TQSWindow* view = doc ? doc->QSWindow : nullptr;
  // A text edited in the score takes its keys itself.
  if (view && view->EditedElement) return;
  const bool ctrl = shift & ssCtrl, alt = shift & ssAlt, shifted = shift & ssShift;
  const bool digit = key >= '0' && key <= '9';
  // Bookmarks: Ctrl+digit goes there, Ctrl+Shift+digit sets it.
  if (doc && digit && ctrl && !alt) {
    if (shifted) doc->Score().SetBookmark(key - '0');
    else doc->Score().GotoBookmark(key - '0');
    key = 0;
    return;
  }
  // Esc ends a running lesson.
  if (key == VK_ESCAPE && LessonRunning()) {
    StopLesson();
    key = 0;
    return;
  }
  if (key == VK_F1) {
    ShowHelpTopic(kHelpEntranceTopic);
    key = 0;
    return;
  }
  // Insert alone switches insert and overwrite; with Ctrl or Shift it is
  // the view's copy and paste.
  if (key == VK_INSERT && !ctrl && !shifted) {
    ToggleAddState();
    key = 0;
    return;
  }
  // Alt+digit shows the document of that tab (0 the first).
  if (alt && digit && !ctrl) {
    if (key - '0' < DocumentCount()) PCFiles->SetActivePage(PCFiles->Pages(key - '0'));
    key = 0;
    return;
  }
  // Alt and a letter typed where a palette's own control has the keys open
  // the main menu, as anywhere in the main window.
  if (alt && !ctrl && MMProgramModule && MMProgramModule->MenuKeyDown(key, shift)) {
    key = 0;
    return;
  }
  // The commands' shortcuts: the key belongs to its command also when the
  // command cannot run now.
  const uint16_t shortCut = ShortCut(key, shift);
  for (const auto& [command, action] : actions_) {
    if (action->ShortCut != shortCut) continue;
    RunCommand(command->Name);
    keyPrefix_ = 0;
    key = 0;
    return;
  }
  if (alt) return;
  // The current tool page's own keys; Enter and Space, where the page takes
  // them, are the prefix of the very next key only.
  const uint16_t prefix = keyPrefix_;
  bool acted = false;
  try {
    if (PlayPageKey(key, shift)) acted = true;
    else if (TPalette* palette = PaletteOf(ActiveTool()); palette && palette->PageKey(key, shift, prefix)) acted = true;
    // The pages without letters of their own (layout and navigation) take
    // Enter or Space and a digit as a quick entry.
    else acted = QuickEntryKey(key, prefix);
  } catch (const std::exception& e) {
    ShowError(UserErrorText(e));
    acted = true;
  }
  keyPrefix_ = acted && (key == VK_RETURN || key == VK_SPACE) ? key : 0;
  if (acted) {
    UpdateActionStates();
    key = 0;
  }
}

bool TFProgramModule::QuickEntryKey(uint16_t key, uint16_t prefix) {
  // The pages of the layout commands and the navigator: Enter or Space,
  // then 0 (whole) .. 6 (1/64), enters a note at the cursor's pitch line
  // or a rest, as the Notes palette's quick entry does.
  const TECTabSheet* page = ActiveTool();
  if (page != ToolSheets[9] && page != ToolSheets[10]) return false;
  if (key == VK_RETURN || key == VK_SPACE) return true;
  auto* notes = dynamic_cast<TFNotes*>(palettes_[0]);
  if (key < '0' || key > '6' || !notes || !prefix || !ActiveEditor()) return false;
  const int value = key - '0';
  notes->QuickInsert(static_cast<TFNotes::TButton>((prefix == VK_RETURN ? TFNotes::bNote : TFNotes::bPause) + value));
  return true;
}

bool TFProgramModule::InsertMode() const { return tools_.AddState == 1; }

void TFProgramModule::ToggleAddState() {
  // Every open document enters in the mode; each view's status line says it.
  Settings.SetAddState(InsertMode() ? 0 : 1);
}

}  // namespace qs
