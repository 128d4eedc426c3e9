// The program's palettes, in the order of the main window's tool sheets.
#include "palettes/colors.h"
#include "palettes/design.h"
#include "palettes/designchoosers.h"
#include "palettes/imageproperties.h"
#include "palettes/notes.h"
#include "palettes/textproperties.h"
#include "palettes/palette.h"
#include "platform/forms.h"
#include "uikit/charbutton.h"

namespace qs {

const std::vector<TPaletteEntry>& PaletteRegistry() {
  static const std::vector<TPaletteEntry> entries = {
      {"Notes", "TSNotes", "NotesAttached",
       [](TComponent* owner, const TPaletteContext& context) -> TPalette* {
         return new TFNotes(owner, context);
       }},
      {"Design", "TSDesign", "DesignAttached",
       [](TComponent* owner, const TPaletteContext& context) -> TPalette* {
         return new TFDesign(owner, context);
       }},
  };
  return entries;
}

void RegisterPaletteForms() {
  RegisterForm("FNotes", [](const std::string&) -> std::unique_ptr<TCustomForm> {
    auto form = std::make_unique<TFNotes>(nullptr, TPaletteContext{});
    // A chosen value with its modifiers, as while entering notes.
    for (TFNotes::TButton b : {TFNotes::bNote8, TFNotes::bDot, TFNotes::bDiesis}) form->Button(b)->SetDown(true);
    form->CBPointNotes->SetDown(false);
    return form;
  });
  RegisterForm("FDesign", [](const std::string&) -> std::unique_ptr<TCustomForm> {
    auto form = std::make_unique<TFDesign>(nullptr, TPaletteContext{});
    form->Tool(TFDesign::tText)->SetDown(true);
    form->CBPointDesign->SetDown(false);
    return form;
  });
  RegisterDesignChooserForms();
  RegisterColorsForms();
  RegisterTextPropertiesForms();
  RegisterImagePropertiesForms();
}

}  // namespace qs
