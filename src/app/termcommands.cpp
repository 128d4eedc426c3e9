// The Templates menu's expressions: the library editor and the tempo
// values of the expressions.
#include "app/fileeditor.h"
#include "app/mainwindow.h"
#include "palettes/terms.h"
#include "palettes/termsettings.h"
#include "score/score.h"

namespace qs {

void TFProgramModule::ATermListExecute() {
  if (auto* terms = dynamic_cast<TFTerms*>(palettes_[PaletteIndex("Terms")])) terms->EditLibrary();
}

void TFProgramModule::ATempoExecute() {
  auto* terms = dynamic_cast<TFTerms*>(palettes_[PaletteIndex("Terms")]);
  if (!terms) return;
  TFTermSettings dialog(nullptr, terms, tkTempo);
  dialog.ShowModal();
  // Closing saved the values; the open scores play by them from now on.
  for (int i = 0; i < DocumentCount(); ++i)
    if (TFFileEditor* doc = Document(i)) doc->Score().Recalculate(0);
}

}  // namespace qs
