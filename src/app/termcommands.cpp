// The Templates menu's expressions: the library editor and the tempo
// values of the expressions.
#include "app/fileeditor.h"
#include "app/mainwindow.h"
#include "palettes/terms.h"
#include "palettes/termsettings.h"
#include "score/score.h"

namespace qs {

namespace {

// The open scores play their expressions as the library now says.
void RelayoutDocuments(TFProgramModule& main) {
  for (int i = 0; i < main.DocumentCount(); ++i)
    if (TFFileEditor* doc = main.Document(i)) doc->Score().Recalculate(0);
}

}  // namespace

void TFProgramModule::ATermListExecute() {
  auto* terms = dynamic_cast<TFTerms*>(palettes_[PaletteIndex("Terms")]);
  if (terms && terms->EditLibrary()) RelayoutDocuments(*this);
}

void TFProgramModule::ATempoExecute() {
  auto* terms = dynamic_cast<TFTerms*>(palettes_[PaletteIndex("Terms")]);
  if (!terms) return;
  TFTermSettings dialog(nullptr, terms, tkTempo);
  // Closing saves the values.
  dialog.ShowModal();
  RelayoutDocuments(*this);
}

}  // namespace qs
