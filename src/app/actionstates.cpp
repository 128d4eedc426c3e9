#include "app/actionstates.h"

#include "app/fileeditor.h"
#include "score/calcrecords.h"
#include "score/item.h"
#include "score/part.h"
#include "score/piece.h"
#include "score/score.h"
#include "view/window.h"

namespace qs {

TDocumentState DocumentStateOf(TFFileEditor* editor) {
  TDocumentState s;
  if (!editor) return s;
  TQSScore& score = editor->Score();
  s.Document = true;
  s.Modified = editor->Modified();
  s.CanUndo = score.CanUndo();
  s.CanRedo = score.CanRedo();
  s.SeveralPieces = score.PieceCount() > 1;
  if (TQSPiece* piece = score.CurrentPiece()) s.SeveralParts = piece->PartCount() > 1;
  if (TQSPart* part = score.CurrentPart()) s.SeveralStaves = part->StaffCount() > 1;
  if (TQSStaff* staff = score.CurrentStaff()) s.SeveralVoices = staff->VoiceCount() > 1;
  if (TQSWindow* view = editor->QSWindow) {
    s.View = true;
    s.CanCopy = view->CanCopy();
    s.CanPaste = view->CanPaste();
    s.Playing = view->PlayControl && view->PlayControl->IsPlaying();
    s.Recording = view->PlayControl && view->PlayControl->IsRecording();
    s.Typing = view->EditedElement != nullptr;
    s.CanSaveSymbol = view->CanSaveSymbol();
    // A chord is saved from the notes selected.
    for (TQSCalcItem* e : view->SelectedMeasureElements())
      if (e && e->Item && e->Item->ItemType == kind::Note) s.CanSaveChord = true;
  }
  return s;
}

bool StateAllows(TCommandState rule, const TDocumentState& s) {
  using S = TCommandState;
  switch (rule) {
    case S::Always: return true;
    case S::Document: return s.Document;
    case S::Modified: return s.Document && s.Modified;
    case S::CanUndo: return s.Document && s.CanUndo && !s.Typing;
    case S::CanRedo: return s.Document && s.CanRedo && !s.Typing;
    // While a text is typed the view answers for its selection and for
    // text on the clipboard.
    case S::CanCopy: return s.View && s.CanCopy;
    case S::CanPaste: return s.View && s.CanPaste;
    case S::PasteInto: return s.View && s.CanPaste && !s.Typing;
    case S::Selecting: return s.Document && !s.Typing;
    case S::SeveralPieces: return s.Document && s.SeveralPieces;
    case S::SeveralParts: return s.Document && s.SeveralParts;
    case S::SeveralStaves: return s.Document && s.SeveralStaves;
    case S::SeveralVoices: return s.Document && s.SeveralVoices;
    case S::CanPlay: return s.View && !s.Playing && !s.Recording && !s.Typing;
    case S::CanStop: return s.View && (s.Playing || s.Recording);
    case S::CanSaveSymbol: return s.Document && s.CanSaveSymbol;
    case S::CanSaveChord: return s.Document && s.CanSaveChord;
    case S::CanReorder: return s.Document && (s.SeveralParts || s.SeveralStaves);
    case S::NotBuilt: return false;
  }
  return false;
}

bool CommandEnabled(const TCommand& command, const TDocumentState& state) {
  return command.Execute != nullptr && StateAllows(command.State, state);
}

}  // namespace qs
