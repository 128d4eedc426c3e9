#include "editing/viewcommands.h"

#include "editing/deletion.h"
#include "editing/move.h"
#include "editing/notation.h"
#include "editing/reorder.h"
#include "editing/resize.h"
#include "view/window.h"

namespace qs {

void ConnectViewCommands(TQSWindow& view, TQSScore& score) {
  TQSScore* s = &score;
  view.OnDeleteSelection = [s](TObject*) { return DeleteSelection(*s); };
  view.OnKeyCommand = [s](TObject*, TQSWindow::TKeyCommand command, int step) {
    using K = TQSWindow::TKeyCommand;
    switch (command) {
      case K::MoveHorizontal: MoveHorizontal(*s, step); break;
      case K::MoveToNoteTime: MoveToNoteTime(*s, step); break;
      case K::EmptyKeyCommand: EmptyKeyCommand(*s); break;
      case K::ChangeSize: ChangeSize(*s, step); break;
      case K::MoveStaff: MoveStaff(*s, step); break;
      case K::MoveVertical: MoveVertical(*s, step); break;
      case K::ChangeItemValue: ChangeItemValue(*s, step); break;
      case K::SetStemDirection: SetStemDirection(*s, step); break;
      case K::ChangeFret: ChangeFret(*s, static_cast<uint8_t>(step)); break;
    }
  };
}

}  // namespace qs
