// The program's palettes, in the order of the main window's tool sheets.
#include "palettes/colors.h"
#include "palettes/design.h"
#include "palettes/designchoosers.h"
#include "palettes/drummap.h"
#include "palettes/pitchpicker.h"
#include "palettes/expanded.h"
#include "palettes/imageproperties.h"
#include "palettes/intervals.h"
#include "palettes/modify.h"
#include "palettes/modifypopups.h"
#include "palettes/navigator.h"
#include "palettes/markproperties.h"
#include "palettes/notepickers.h"
#include "palettes/notes.h"
#include "palettes/piano.h"
#include "palettes/symbolpickers.h"
#include "palettes/symbols.h"
#include "palettes/symbolsoptions.h"
#include "palettes/textproperties.h"
#include "palettes/palette.h"
#include "platform/forms.h"
#include "uikit/charbutton.h"
#include "uikit/musickeyboard.h"

namespace qs {

namespace {

std::vector<TPaletteEntry>& Entries() {
  static std::vector<TPaletteEntry> entries = {
      {"Notes", "TSNotes", "NotesAttached",
       [](TComponent* owner, const TPaletteContext& context) -> TPalette* {
         return new TFNotes(owner, context);
       }},
      {"Symbols", "TSSymbols", "SymbolsAttached",
       [](TComponent* owner, const TPaletteContext& context) -> TPalette* {
         return new TFSymbols(owner, context);
       }},
      {"Expanded", "TSExpanded", "ExpandedAttached",
       [](TComponent* owner, const TPaletteContext& context) -> TPalette* {
         return new TFExpanded(owner, context);
       }},
      {"Intervals", "TSIntervals", "IntervalsAttached",
       [](TComponent* owner, const TPaletteContext& context) -> TPalette* {
         return new TFIntervals(owner, context);
       }},
      {"Design", "TSDesign", "DesignAttached",
       [](TComponent* owner, const TPaletteContext& context) -> TPalette* {
         return new TFDesign(owner, context);
       }},
      {"Piano", "TSPiano", "PianoAttached",
       [](TComponent* owner, const TPaletteContext& context) -> TPalette* { return new TFPiano(owner, context); }},
      {"Modify", "TSModify", "ModifyAttached",
       [](TComponent* owner, const TPaletteContext& context) -> TPalette* { return new TFModify(owner, context); }},
      {"Navigator", "TSNavigator", "NavigatorAttached",
       [](TComponent* owner, const TPaletteContext& context) -> TPalette* {
         return new TFNavigator(owner, context);
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
  // The symbols palette with an accent chosen.
  RegisterForm("FSymbols", [](const std::string&) -> std::unique_ptr<TCustomForm> {
    auto form = std::make_unique<TFSymbols>(nullptr, TPaletteContext{});
    form->Button(TFSymbols::bAccentRight)->SetDown(true);
    form->CBPointSymbols->SetDown(false);
    return form;
  });
  // Each picker of the palette, open under its button.
  const std::pair<const char*, TFNotes::TButton> opened[] = {
      {"FNotes-FChooseClef", TFNotes::bClef},       {"FNotes-FChooseTone", TFNotes::bTone},
      {"FNotes-FChooseSize", TFNotes::bSize},       {"FNotes-FChooseTempo", TFNotes::bTempo},
      {"FNotes-FChooseVorschlag", TFNotes::bVorschlag}, {"FNotes-FChooseAccolade", TFNotes::bAccolade},
      {"FNotes-FMicroTone", TFNotes::bMicrotone},   {"FNotes-FChooseDrum", TFNotes::bDrumStyles},
      {"FNotes-FBracketStyles", TFNotes::bBracketStyle}};
  for (const auto& [name, button] : opened)
    RegisterForm(name, [button = button](const std::string&) -> std::unique_ptr<TCustomForm> {
      auto form = std::make_unique<TFNotes>(nullptr, TPaletteContext{});
      TFNotes* notes = form.get();
      form->OnShow = [notes, button](TObject*) { notes->OpenPicker(button); };
      return form;
    });
  // The pickers alone, as the other palettes and dialogs show them; shown
  // by the form tools, which free them, closing only hides them.
  auto alone = [](const char* name, auto make) {
    RegisterForm(name, [make](const std::string&) -> std::unique_ptr<TCustomForm> {
      auto form = make();
      form->DefaultCloseAction = caHide;
      return form;
    });
  };
  alone("FChooseClef", [] {
    auto f = std::make_unique<TFChooseClef>(nullptr);
    f->SetClef(2);
    return f;
  });
  alone("FChooseTone", [] {
    auto f = std::make_unique<TFChooseTone>(nullptr);
    f->SetTone(13);
    f->SetMinor(true);
    return f;
  });
  alone("FChooseAccolade", [] {
    auto f = std::make_unique<TFChooseAccolade>(nullptr);
    f->ShowNoneButton();
    f->SetAccolade(1);
    return f;
  });
  alone("FChooseSize", [] {
    auto f = std::make_unique<TFChooseSize>(nullptr);
    f->SetSize(TimeWord(6, 8));
    return f;
  });
  alone("FChooseTempo", [] { return std::make_unique<TFChooseTempo>(nullptr); });
  alone("FChooseVorschlag", [] { return std::make_unique<TFChooseVorschlag>(nullptr); });
  alone("FMicroTone", [] {
    auto f = std::make_unique<TFMicroTone>(nullptr);
    f->SetMicroTone(136);
    return f;
  });
  alone("FBracketStyles", [] { return std::make_unique<TFBracketStyles>(nullptr); });
  alone("FDuration", [] {
    auto f = std::make_unique<TFDuration>(nullptr);
    f->SetDuration(128);
    return f;
  });
  alone("FChooseTembr", [] {
    auto f = std::make_unique<TFChooseTembr>(nullptr, nullptr);
    f->SetTembr(40);
    return f;
  });
  // The interval palette going down, a third chosen in chord mode.
  RegisterForm("FIntervals", [](const std::string&) -> std::unique_ptr<TCustomForm> {
    auto form = std::make_unique<TFIntervals>(nullptr, TPaletteContext{});
    form->CBDown->SetDown(true);
    form->CBChordAddition->SetDown(true);
    form->CBDot->SetDown(true);
    return form;
  });
  // The piano with a key held, one lit by playback and a dotted value.
  RegisterForm("FNavigator", [](const std::string&) -> std::unique_ptr<TCustomForm> {
    return std::make_unique<TFNavigator>(nullptr, TPaletteContext{});
  });
  RegisterForm("FPiano", [](const std::string&) -> std::unique_ptr<TCustomForm> {
    auto form = std::make_unique<TFPiano>(nullptr, TPaletteContext{});
    form->LightKey(64);
    form->LightKey(66);
    form->CBDot->SetDown(true);
    form->CBDrumNote->SetDown(true);
    return form;
  });
  RegisterForm("FPiano-FChooseDrum", [](const std::string&) -> std::unique_ptr<TCustomForm> {
    auto form = std::make_unique<TFPiano>(nullptr, TPaletteContext{});
    TFPiano* piano = form.get();
    form->OnShow = [piano](TObject*) { piano->OpenDrumStyles(); };
    return form;
  });
  // The keyboard alone, without octave scrolling, C major lit.
  RegisterForm("ECMusicKeyboard", [](const std::string&) -> std::unique_ptr<TCustomForm> {
    auto form = std::make_unique<TForm>(nullptr);
    form->SetName("FMusicKeyboardSample");
    form->SetClientWidth(560);
    form->SetClientHeight(90);
    auto* keys = new TECMusicKeyboard(form.get());
    keys->SetParent(form.get());
    keys->SetStyle(msShowMarks | msColorOctave | msScrollDuration);
    keys->SetBounds(0, 0, 560, 90);
    for (int pitch : {60, 64, 67}) keys->LightPitch(pitch);
    keys->SetDurationPosition(2);
    return form;
  });
  RegisterDrumMapForms();
  RegisterPitchPickerForms();
  alone("FGetName", [] { return std::make_unique<TFGetName>(nullptr, nullptr); });
  RegisterForm("FDesign", [](const std::string&) -> std::unique_ptr<TCustomForm> {
    auto form = std::make_unique<TFDesign>(nullptr, TPaletteContext{});
    form->Tool(TFDesign::tText)->SetDown(true);
    form->CBPointDesign->SetDown(false);
    return form;
  });
  RegisterForm("FModify", [](const std::string&) -> std::unique_ptr<TCustomForm> {
    return std::make_unique<TFModify>(nullptr, TPaletteContext{});
  });
  RegisterModifyPopupForms();
  RegisterDesignChooserForms();
  RegisterColorsForms();
  RegisterTextPropertiesForms();
  RegisterImagePropertiesForms();
  RegisterMarkPropertiesForms();
  RegisterSymbolsOptionForms();
  RegisterExpandedForms();
}

}  // namespace qs
