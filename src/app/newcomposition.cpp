// File > New: the new-score wizard makes the score of a new document.
#include "app/fileeditor.h"
#include "app/mainwindow.h"
#include "chords/guitarpalette.h"
#include "dialogs/libraries.h"
#include "dialogs/newcomposition.h"
#include "score/score.h"

namespace qs {

TFFileEditor* TFProgramModule::NewDocumentFromWizard() {
  auto editor = std::make_unique<TFFileEditor>(this);
  // A tablature staff may take the strings of a guitar of the guitar page.
  const TFNewComposition::TGuitarList* guitars = nullptr;
  for (TPalette* palette : palettes_)
    if (auto* page = dynamic_cast<TFGuitar*>(palette)) guitars = &page->Guitars();
  if (!RunNewCompositionWizard(settings_ ? &settings_->Ini() : nullptr, Instruments.get(), Transports.get(), guitars,
                               editor->Score()))
    return nullptr;
  editor->Score().Recalculate(0);
  return AddNewDocument(std::move(editor));
}

}  // namespace qs
