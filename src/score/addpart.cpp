#include "score/legacy.h"
#include "score/part.h"
#include "score/piece.h"
#include "score/score.h"
#include "score/undo.h"

namespace qs {

TQSPart* TQSScore::AddPart() {
  TQSWindowLink* view = ActiveWindow();
  TQSPiece* piece = view ? CurrentPiece() : nullptr;
  if (!piece) return nullptr;
  TQSPart* part = nullptr;
  Locked([&] {
    part = AddStarterPart(*piece);
    if (part->Channel() != 0) FireItemChangedQuietly(part);
    view->ValidateCursor(false);
    view->DoActiveChanged(part);
  });
  FireChanged(this);
  try {
    SaveUndoPart(BeginUndo(undoaction::PartAdded, ""), part);
  } catch (...) {
  }
  return part;
}

}  // namespace qs
