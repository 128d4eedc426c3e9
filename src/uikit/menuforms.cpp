// A review window for the menus: a textured menu bar whose Edit list is
// open with the Paste entry's submenu cascading beside it, and a toolbar
// with a drop-down button at the foot of the window. The lists are the real list windows, placed in
// the form where they open, so that one picture of the form shows them.
#include <memory>

#include "platform/bitmap.h"
#include "uikit/language.h"
#include "uikit/menu.h"

namespace qs {

namespace {

constexpr TColor kMask = RGB(255, 0, 255);
constexpr TColor kOutline = RGB(64, 64, 64);

// A sheet of paper with its top-right corner folded, its left edge at x.
void Sheet(TCanvas& k, int x, int top, int right, int bottom) {
  k.Pen().Color = kOutline;
  k.Brush().Color = clWhite;
  k.Polygon({TPoint{x, top}, TPoint{right - 4, top}, TPoint{right, top + 4}, TPoint{right, bottom},
             TPoint{x, bottom}});
  k.Polyline({TPoint{right - 4, top}, TPoint{right - 4, top + 4}, TPoint{right, top + 4}});
}

// The toolbar's and the lists' pictures: a new sheet, an opened folder, a
// magnifier, a bold letter and two sheets (copy).
TImageList* SampleImages(TComponent* owner) {
  auto* images = new TImageList(owner, 16, 16);
  TBitmap strip(16 * 5, 16);
  TCanvas& k = strip.Canvas();
  k.Brush().Color = kMask;
  k.FillRect(Rect(0, 0, 16 * 5, 16));
  Sheet(k, 2, 1, 13, 15);
  // Folder.
  k.Pen().Color = RGB(150, 110, 20);
  k.Brush().Color = RGB(240, 200, 90);
  k.Polygon({TPoint{17, 3}, TPoint{22, 3}, TPoint{24, 5}, TPoint{30, 5}, TPoint{30, 13}, TPoint{17, 13}});
  k.Brush().Color = RGB(250, 222, 130);
  k.Polygon({TPoint{17, 13}, TPoint{20, 7}, TPoint{31, 7}, TPoint{30, 13}});
  // Magnifier.
  k.Pen().Color = kOutline;
  k.Brush().Color = RGB(200, 225, 250);
  k.Ellipse(33, 1, 43, 11);
  k.Pen().Width = 3;
  k.MoveTo(42, 10);
  k.LineTo(46, 14);
  k.Pen().Width = 1;
  // Bold letter, drawn on white and taken over in black, so that no
  // smoothed edge carries the mask colour.
  TBitmap letter(16, 16);
  TCanvas& l = letter.Canvas();
  TFont bold;
  bold.Name = "Liberation Serif";
  bold.Height = -15;
  bold.Style = fsBold;
  l.Font() = bold;
  l.TextOut((16 - l.TextWidth("B")) / 2, (16 - l.TextHeight("B")) / 2, "B");
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x)
      if (GetGValue(letter.Pixel(x, y)) < 128) strip.SetPixel(48 + x, y, clBlack);
  // Two sheets.
  Sheet(k, 64, 1, 73, 11);
  Sheet(k, 68, 5, 77, 15);
  images->AddMasked(strip, kMask);
  return images;
}

// A gentle shade from white to the button face, tiled along the bar.
std::unique_ptr<TBitmap> BarTexture(int height) {
  auto texture = std::make_unique<TBitmap>(4, height);
  const TColor face = ColorToRGB(clBtnFace);
  for (int y = 0; y < height; ++y) {
    const int t = height > 1 ? y * 255 / (height - 1) : 255;
    auto mix = [t](int a, int b) { return (a * (255 - t) + b * t) / 255; };
    const TColor c = RGB(mix(255, GetRValue(face)), mix(255, GetGValue(face)), mix(255, GetBValue(face)));
    for (int x = 0; x < 4; ++x) texture->SetPixel(x, y, c);
  }
  return texture;
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

TECMenuItem* Separator(TECMenuItem* parent) {
  TECMenuItem* sep = parent->AddItem("");
  sep->SetKind(ikSeparator);
  sep->SetHeight(8);
  return sep;
}

// The list of entry's children as it shows when the entry is open, at a
// point of the form.
TECSubMenu* OpenList(TCustomForm* form, TECMenu* bar, TECMenuItem* entry, TPoint at) {
  auto* list = new TECSubMenu(bar);
  list->BindItem(entry);
  list->SetParent(form);
  list->SetBounds(at.X, at.Y, list->Width(), list->Height());
  list->Show();
  entry->Parent()->SetOpenChild(entry);
  return list;
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
    bar->SetImages(images);
    TECMenuItem* root = bar->Item();
    root->SetOrientation(ioHorizontal);
    root->SetColor(clBtnFace);
    root->SetPicture(BarTexture(22).get());
    const std::pair<const char*, const char*> barEntries[] = {
        {"MIFile", "&File"}, {"MIEdit", "&Edit"}, {"MIView", "&View"}, {"MIHelp", "&Help"}};
    for (const auto& [name, caption] : barEntries) {
      TECMenuItem* e = Entry(f, root, name, caption);
      e->SetTransparent(true);  // the bar's texture shows through
      e->SetMenuArrow(false);   // a bar entry opens downwards: no side arrow
    }
    for (TECMenuItem* e : {root->Items(0), root->Items(2), root->Items(3)}) e->AddItem("-");

    // The toolbar stands at the foot of the window, where the lists leave
    // it in sight.
    TECMenu* tools = AddMenu(f, Rect(0, f->ClientHeight() - 26, f->ClientWidth(), f->ClientHeight()));
    tools->SetImages(images);
    TECMenuItem* t = tools->Item();
    t->SetOrientation(ioHorizontal);
    t->SetMenuStyle(msToolbar);
    t->SetButtonHeight(26);
    t->SetColor(clBtnFace);
    Entry(f, t, "TBNew", "New")->SetImage(0);
    Entry(f, t, "TBOpen", "Open")->SetImage(1);
    Separator(t);
    TECMenuItem* zoom = Entry(f, t, "TBZoom", "Zoom");
    zoom->SetKind(ikDropDown);
    zoom->SetImage(2);
    TECMenuItem* bold = Entry(f, t, "TBBold", "Bold");
    bold->SetKind(ikCheckBox);
    bold->SetImage(3);
    t->SetHotChild(zoom);

    // The Edit list, open under its bar entry, with the Paste entry's
    // submenu beside it.
    TECMenuItem* edit = root->Items(1);
    TECMenuItem* cut = Entry(f, edit, "MICut", "Cu&t");
    cut->SetShortCutText("Ctrl+X");
    TECMenuItem* copy = Entry(f, edit, "MICopy", "&Copy");
    copy->SetShortCutText("Ctrl+C");
    copy->SetImage(4);
    TECMenuItem* paste = Entry(f, edit, "MIPaste", "&Paste");
    Separator(edit);
    TECMenuItem* wrap = Entry(f, edit, "MIWordWrap", "&Word wrap");
    wrap->SetKind(ikCheckBox);
    wrap->SetChecked(true);
    Entry(f, edit, "MIUndo", "&Undo")->SetEnabled(false);
    Entry(f, paste, "MISpecial", "&Special...");
    Entry(f, paste, "MIAsText", "As &text");

    auto* language = new TECFormLanguage(f);
    language->SetName("FLMenus");
    language->SetExLanguage(kDefaultLanguage);
    language->Loaded();

    // The lists take their sizes from the translated entries.
    root->SetHotChild(edit);
    TECSubMenu* list = OpenList(f, bar, edit, TPoint{edit->ItemRect().Left, bar->Height()});
    edit->SetHotChild(paste);
    paste->SetHotChild(paste->Items(0));
    OpenList(f, bar, paste,
             TPoint{list->Left() + list->Width() - edit->Offset(), list->Top() + paste->ItemRect().Top});
    return form;
  });
}

}  // namespace qs
