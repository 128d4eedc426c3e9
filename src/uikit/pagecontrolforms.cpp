// A review window for the page control: the document tabs at the left on a
// textured strip, and a notebook with beveled tabs at the bottom, more tabs
// than fit, so that the scroll button shows.
#include <memory>
#include <utility>

#include "platform/bitmap.h"
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

TECTabSheet* AddPage(TCustomForm* form, TECPageControl* pc, const char* name, const char* caption, TColor color) {
  auto* page = new TECTabSheet(form);
  page->SetName(name);
  page->SetCaption(caption);
  TBrush brush;
  brush.Color = color;
  page->SetBrush(brush);
  page->SetTabBrush(brush);
  page->SetPageControl(pc);
  return page;
}

// The texture of the document tabs' strip: a shade across it, from the
// button shadow at the outer edge to the face at the pages.
std::unique_ptr<TBitmap> StripTexture(int width) {
  auto texture = std::make_unique<TBitmap>(width, 8);
  const TColor face = ColorToRGB(clBtnFace), shade = ColorToRGB(clBtnShadow);
  for (int x = 0; x < width; ++x) {
    const int t = width > 1 ? x * 255 / (width - 1) : 255;
    auto mix = [t](int a, int b) { return (a * (255 - t) / 2 + b * (255 + t) / 2) / 255; };
    const TColor c = RGB(mix(GetRValue(shade), GetRValue(face)), mix(GetGValue(shade), GetGValue(face)),
                         mix(GetBValue(shade), GetBValue(face)));
    for (int y = 0; y < 8; ++y) texture->SetPixel(x, y, c);
  }
  return texture;
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
    documents->SetPicture(StripTexture(24).get());
    AddPage(f, documents, "TSScore", "Score", clWindow);
    AddPage(f, documents, "TSParts", "Parts", clWindow);
    AddPage(f, documents, "TSLyrics", "Lyrics", clWindow);
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
    for (const auto& [name, caption] : pages) AddPage(f, palettes, name, caption, clBtnFace);
    palettes->SetActivePage(palettes->Pages(1));

    auto* language = new TECFormLanguage(f);
    language->SetName("FLPages");
    language->SetExLanguage(kDefaultLanguage);
    language->Loaded();
    return form;
  });
}

}  // namespace qs
