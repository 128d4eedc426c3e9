// The program's palettes, in the order of the main window's tool sheets.
#include "palettes/notes.h"
#include "palettes/palette.h"
#include "platform/forms.h"
#include "uikit/charbutton.h"

namespace qs {

namespace {

std::vector<TPaletteEntry>& Entries() {
  static std::vector<TPaletteEntry> entries = {
      {"Notes", "TSNotes", "NotesAttached",
       [](TComponent* owner, const TPaletteContext& context) -> TPalette* {
         return new TFNotes(owner, context);
       }},
  };
  return entries;
}

}  // namespace

const std::vector<TPaletteEntry>& PaletteRegistry() { return Entries(); }

void AddPaletteEntry(TPaletteEntry entry) {
  for (const TPaletteEntry& e : Entries())
    if (std::string(e.Name) == entry.Name) return;
  Entries().push_back(std::move(entry));
}

void RegisterPaletteForms() {
  RegisterForm("FNotes", [](const std::string&) -> std::unique_ptr<TCustomForm> {
    auto form = std::make_unique<TFNotes>(nullptr, TPaletteContext{});
    // A chosen value with its modifiers, as while entering notes.
    for (TFNotes::TButton b : {TFNotes::bNote8, TFNotes::bDot, TFNotes::bDiesis}) form->Button(b)->SetDown(true);
    form->CBPointNotes->SetDown(false);
    return form;
  });
}

}  // namespace qs
