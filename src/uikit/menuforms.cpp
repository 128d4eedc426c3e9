// A review window for the menus: formshot draws one form, so the open
// cascade is shown by two list-style menus placed where the lists open.
#include <memory>

#include "platform/bitmap.h"
#include "uikit/language.h"
#include "uikit/menu.h"

namespace qs {

namespace {

TImageList* SampleImages(TComponent* owner) {
  auto* images = new TImageList(owner, 16, 16);
  TBitmap strip(16 * 4, 16);
  TCanvas& k = strip.Canvas();
  const TColor colors[] = {0x3050C0, 0x40A040, 0xC08030, 0x8040A0};
  for (int i = 0; i < 4; ++i) {
    k.Brush().Color = colors[i];
    k.Pen().Color = clBlack;
    k.Rectangle(i * 16 + 2, 2, i * 16 + 14, 14);
  }
  images->AddMasked(strip, clWhite);
  return images;
}

TECMenu* AddMenu(TCustomForm* form, TRect r) {
  auto* m = new TECMenu(form);
  m->SetBounds(r.Left, r.Top, r.Width(), r.Height());
  m->SetParent(form);
  return m;
}

// An entry owned by the form under a name, so that the form's language
// file reaches its caption.
TECMenuItem* Entry(TCustomForm* form, TECMenuItem* parent, const char* name, const char* caption) {
  auto* item = new TECMenuItem(form);
  item->SetName(name);
  item->SetCaption(caption);
  parent->Add(item);
  return item;
}

}  // namespace

void RegisterMenuForms() {
  RegisterForm("ECMenus", [](const std::string&) -> std::unique_ptr<TCustomForm> {
    auto form = std::make_unique<TForm>(nullptr);
    TCustomForm* f = form.get();
    f->SetName("ECMenus");
    f->SetCaption("Menus");
    f->SetBounds(0, 0, 420, 260);
    TImageList* images = SampleImages(f);

    TECMenu* bar = AddMenu(f, Rect(0, 0, 420, 22));
    TECMenuItem* root = bar->Item();
    root->SetOrientation(ioHorizontal);
    root->SetColor(clBtnFace);
    const std::pair<const char*, const char*> barEntries[] = {
        {"MIFile", "&File"}, {"MIEdit", "&Edit"}, {"MIView", "&View"}, {"MIHelp", "&Help"}};
    for (const auto& [name, caption] : barEntries) {
      TECMenuItem* e = Entry(f, root, name, caption);
      e->AddItem("-");
      e->SetMenuArrow(false);  // a bar entry opens downwards: no side arrow
    }
    root->SetHotChild(root->Items(1));

    TECMenu* tools = AddMenu(f, Rect(0, 22, 420, 48));
    tools->SetImages(images);
    TECMenuItem* t = tools->Item();
    t->SetOrientation(ioHorizontal);
    t->SetMenuStyle(msToolbar);
    t->SetButtonHeight(26);
    t->SetColor(clBtnFace);
    Entry(f, t, "TBNew", "New")->SetImage(0);
    Entry(f, t, "TBOpen", "Open")->SetImage(1);
    TECMenuItem* sep = t->AddItem("");
    sep->SetKind(ikSeparator);
    sep->SetHeight(8);
    TECMenuItem* zoom = Entry(f, t, "TBZoom", "Zoom");
    zoom->SetKind(ikDropDown);
    zoom->SetImage(2);
    TECMenuItem* bold = Entry(f, t, "TBBold", "Bold");
    bold->SetKind(ikCheckBox);
    bold->SetChecked(true);
    bold->SetImage(3);
    t->SetHotChild(zoom);

    // The Edit list, with the Paste entry's submenu open beside it.
    TECMenu* list = AddMenu(f, Rect(40, 22 + 26 + 4, 40 + 170, 22 + 26 + 4 + 110));
    list->SetImages(images);
    TECMenuItem* l = list->Item();
    l->SetMargin(1);
    TECMenuItem* cut = Entry(f, l, "MICut", "Cu&t");
    cut->SetShortCutText("Ctrl+X");
    cut->SetImage(0);
    Entry(f, l, "MICopy", "&Copy")->SetShortCutText("Ctrl+C");
    TECMenuItem* paste = Entry(f, l, "MIPaste", "&Paste");
    paste->AddItem("-");
    TECMenuItem* s2 = l->AddItem("");
    s2->SetKind(ikSeparator);
    s2->SetHeight(8);
    TECMenuItem* wrap = Entry(f, l, "MIWordWrap", "&Word wrap");
    wrap->SetKind(ikCheckBox);
    wrap->SetChecked(true);
    Entry(f, l, "MIUndo", "&Undo")->SetEnabled(false);
    l->SetHotChild(paste);

    TECMenu* sub = AddMenu(f, Rect(206, 22 + 26 + 4 + 40, 206 + 130, 22 + 26 + 4 + 40 + 42));
    TECMenuItem* s = sub->Item();
    s->SetMargin(1);
    Entry(f, s, "MISpecial", "&Special...");
    Entry(f, s, "MIAsText", "As &text");
    s->SetHotChild(s->Items(0));

    auto* language = new TECFormLanguage(f);
    language->SetName("FLMenus");
    language->SetExLanguage(kDefaultLanguage);
    language->Loaded();
    return form;
  });
}

}  // namespace qs
