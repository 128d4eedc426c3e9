// File > New: the new-score wizard makes the score of a new document.
#include "app/fileeditor.h"
#include "app/mainwindow.h"
#include "dialogs/libraries.h"
#include "dialogs/newcomposition.h"
#include "score/score.h"

namespace qs {

TFFileEditor* TFProgramModule::NewDocumentFromWizard() {
  auto editor = std::make_unique<TFFileEditor>(this);
  if (!RunNewCompositionWizard(settings_ ? &settings_->Ini() : nullptr, Instruments.get(), Transports.get(),
                               editor->Score()))
    return nullptr;
  editor->Score().Recalculate(0);
  return AddNewDocument(std::move(editor));
}

}  // namespace qs
