// File > New: the new-score wizard makes the score of a new document.
#include "app/fileeditor.h"
#include "app/mainwindow.h"
#include "dialogs/libraries.h"
#include "dialogs/newcomposition.h"
#include "score/score.h"
#include "uikit/catalogue.h"

namespace qs {

TFFileEditor* TFProgramModule::NewDocumentFromWizard() {
  auto editor = std::make_unique<TFFileEditor>(this);
  if (!RunNewCompositionWizard(settings_ ? &settings_->Ini() : nullptr, Instruments.get(), editor->Score()))
    return nullptr;
  editor->Score().Recalculate(0);
  editor->SetFileName(CatalogueText(TMessageId::Untitled) + ".sfd");
  ApplyDrumSettings(*editor);
  editor->SetModified(false);
  TFFileEditor* raw = editor.release();
  AddDocument(raw);
  return raw;
}

}  // namespace qs
