// A review window for the menus: formshot draws one form, so the open
// cascade is shown by two list-style menus placed where the lists open.
#include <memory>

#include "platform/bitmap.h"
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

}  // namespace

void RegisterMenuForms() {
  RegisterForm("ECMenus", [](const std::string&) -> std::unique_ptr<TCustomForm> {
    auto form = std::make_unique<TForm>(nullptr);
    form->SetBounds(0, 0, 420, 260);
    TImageList* images = SampleImages(form.get());

    TECMenu* bar = AddMenu(form.get(), Rect(0, 0, 420, 22));
    TECMenuItem* root = bar->Item();
    root->SetOrientation(ioHorizontal);
    root->SetColor(clBtnFace);
    for (const char* c : {"&File", "&Edit", "&View", "&Help"}) {
    TECMenuItem* e = root->AddItem(c);
    e->AddItem("-");
    e->SetMenuArrow(false);  // a bar entry opens downwards: no side arrow
  }
    root->SetHotChild(root->Items(1));

    TECMenu* tools = AddMenu(form.get(), Rect(0, 22, 420, 48));
    tools->SetImages(images);
    TECMenuItem* t = tools->Item();
    t->SetOrientation(ioHorizontal);
    t->SetMenuStyle(msToolbar);
    t->SetButtonHeight(26);
    t->SetColor(clBtnFace);
    t->AddItem("New")->SetImage(0);
    t->AddItem("Open")->SetImage(1);
    TECMenuItem* sep = t->AddItem("");
    sep->SetKind(ikSeparator);
    sep->SetHeight(8);
    TECMenuItem* zoom = t->AddItem("Zoom");
    zoom->SetKind(ikDropDown);
    zoom->SetImage(2);
    TECMenuItem* bold = t->AddItem("Bold");
    bold->SetKind(ikCheckBox);
    bold->SetChecked(true);
    bold->SetImage(3);
    t->SetHotChild(zoom);

    // The Edit list, with the Paste entry's submenu open beside it.
    TECMenu* list = AddMenu(form.get(), Rect(40, 22 + 26 + 4, 40 + 170, 22 + 26 + 4 + 110));
    list->SetImages(images);
    TECMenuItem* l = list->Item();
    l->SetMargin(1);
    TECMenuItem* cut = l->AddItem("Cu&t");
    cut->SetShortCutText("Ctrl+X");
    cut->SetImage(0);
    l->AddItem("&Copy")->SetShortCutText("Ctrl+C");
    TECMenuItem* paste = l->AddItem("&Paste");
    paste->AddItem("Special");
    TECMenuItem* s2 = l->AddItem("");
    s2->SetKind(ikSeparator);
    s2->SetHeight(8);
    TECMenuItem* wrap = l->AddItem("Word wrap");
    wrap->SetKind(ikCheckBox);
    wrap->SetChecked(true);
    TECMenuItem* gone = l->AddItem("Undo");
    gone->SetEnabled(false);
    l->SetHotChild(paste);

    TECMenu* sub = AddMenu(form.get(), Rect(206, 22 + 26 + 4 + 40, 206 + 130, 22 + 26 + 4 + 40 + 42));
    TECMenuItem* s = sub->Item();
    s->SetMargin(1);
    s->AddItem("Special");
    s->AddItem("As text");
    s->SetHotChild(s->Items(0));
    return form;
  });
}

}  // namespace qs
