// The user symbols of the File and Templates menus: the document's
// selected page graphics saved as a symbol of the library (or exported to
// a file of the user's choice), and the library dialog.
#include <memory>

#include "app/fileeditor.h"
#include "app/mainwindow.h"
#include "palettes/expanded.h"
#include "palettes/symboldialogs.h"
#include "score/calcrecords.h"
#include "uikit/settings.h"
#include "view/window.h"

namespace qs {

TFExpanded* TFProgramModule::ExpandedPalette() const {
  const int index = PaletteIndex(TExpandedSettings::kSection);
  return index < 0 ? nullptr : dynamic_cast<TFExpanded*>(palettes_[index]);
}

void TFProgramModule::SaveSelectionAsSymbol(bool exportMode) {
  TQSWindow* view = ActiveScoreWindow();
  if (!view || !view->CanSaveSymbol()) return;
  TFExpanded* palette = ExpandedPalette();
  auto symbol = std::make_unique<TQSSymbolDescription>();
  symbol->Loaded = true;
  std::vector<const TQSItem*> items;
  for (const TQSCalcItem* e : view->SelectedPageObjects)
    if (e && e->ElementType == element::Item) items.push_back(e->Item);
  MakeSymbolFromItems(*symbol, items);
  TFSymbolProperties dialog(nullptr, settings_ ? &settings_->Ini() : nullptr);
  dialog.SetSymbol(symbol.get(), palette ? palette->Groups() : std::vector<std::string>{});
  dialog.SetExportMode(exportMode);
  if (dialog.ShowModal() == mrOk && palette) palette->AddSymbol(std::move(symbol));
}

void TFProgramModule::ASaveSymbolExecute() { SaveSelectionAsSymbol(false); }
void TFProgramModule::ASaveSymbolAsExecute() { SaveSelectionAsSymbol(true); }

void TFProgramModule::ASymbolListExecute() {
  if (TFExpanded* palette = ExpandedPalette()) palette->ShowSymbolList();
}

}  // namespace qs
