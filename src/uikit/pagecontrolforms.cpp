// A review window for the page control: the document tabs at the left and
// a notebook of palettes with beveled tabs at the bottom, more tabs than
// fit, so that the scroll button shows.
#include <memory>
#include <utility>

#include "platform/forms.h"
#include "uikit/language.h"
#include "uikit/pagecontrol.h"

namespace qs {

namespace {

TECPageControl* AddControl(TCustomForm* form, const char* name, TRect r, TECPageOrientation orientation) {
  auto* pc = new TECPageControl(form);
  pc->SetName(name);
  pc->SetParent(form);
  pc->SetBounds(r.Left, r.Top, r.Width(), r.Height());
  pc->PageSetting().SetDoubleSheet(false);
  pc->SetSpiralVisible(false);
  pc->PageSetting().SetOrientation(orientation);
  return pc;
}

TECTabSheet* AddPage(TCustomForm* form, TECPageControl* pc, const char* name, const char* caption) {
  auto* page = new TECTabSheet(form);
  page->SetName(name);
  page->SetCaption(caption);
  TBrush white;
  white.Color = clWindow;
  page->SetBrush(white);
  page->SetPageControl(pc);
  return page;
}

}  // namespace

void RegisterPageControlForms() {
  RegisterForm("ECPages", [](const std::string&) -> std::unique_ptr<TCustomForm> {
    auto form = std::make_unique<TForm>(nullptr);
    TCustomForm* f = form.get();
    f->SetName("ECPages");
    f->SetCaption("Pages");
    f->SetBounds(0, 0, 500, 280);

    // Binding at the right: the tabs stand in a strip at the left.
    TECPageControl* documents = AddControl(f, "PCDocuments", Rect(4, 4, 204, 276), poRight);
    documents->TabSetting().SetHeight(24);
    AddPage(f, documents, "TSScore", "Score");
    AddPage(f, documents, "TSParts", "Parts");
    AddPage(f, documents, "TSLyrics", "Lyrics");
    documents->SetActivePage(documents->Pages(1));

    // Binding at the top: the tabs stand in a strip at the bottom.
    TECPageControl* palettes = AddControl(f, "PCPalettes", Rect(212, 4, 496, 276), poTop);
    palettes->SetBeveled(true);
    palettes->TabSetting().SetHeight(22);
    palettes->TabSetting().SetLeftBend(5);
    palettes->TabSetting().SetRightBend(5);
    const std::pair<const char*, const char*> pages[] = {{"TSSymbols", "Symbols"}, {"TSNotes", "Notes"},
                                                         {"TSDynamics", "Dynamics"}, {"TSChords", "Chords"},
                                                         {"TSTexts", "Texts"},
                                                         {"TSLines", "Lines"}, {"TSTempo", "Tempo"}};
    for (const auto& [name, caption] : pages) AddPage(f, palettes, name, caption);
    palettes->SetActivePage(palettes->Pages(1));

    auto* language = new TECFormLanguage(f);
    language->SetName("FLPages");
    language->SetExLanguage(kDefaultLanguage);
    language->Loaded();
    return form;
  });
}

}  // namespace qs
