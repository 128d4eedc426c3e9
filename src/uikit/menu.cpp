#include "uikit/menu.h"

#include <algorithm>

#include "platform/bitmap.h"
#include "platform/keys.h"
#include "uikit/charbutton.h"

namespace qs {

namespace {

// The hover state shared by every menu of the program.
struct HoverState {
  TECMenuHost* current = nullptr;   // the menu the mouse entered last
  TECMenuItem* pending = nullptr;   // the entry that became hot last
  uint64_t time = 0;                // last change of a hot entry or list
  TECMenuItem* leftParent = nullptr;
  TECMenuItem* contextOpened = nullptr;
};

HoverState& Hover() {
  static HoverState state;
  return state;
}

void Touch() { Hover().time = GetTickCount(); }

TECMenuItem* RootOf(TECMenuItem* item) {
  while (item && item->Parent()) item = item->Parent();
  return item;
}

// The item and its tree forget an entry that is going, so that the shared
// state never points at a freed item.
void ForgetPending(TECMenuItem* item) {
  HoverState& h = Hover();
  if (h.pending == item) h.pending = nullptr;
  if (h.leftParent == item) h.leftParent = nullptr;
  if (h.contextOpened == item) h.contextOpened = nullptr;
}

bool InArrowPart(const TECMenuItem& p, const TECMenuItem& c, int x) {
  return c.Kind() == ikDropDown && x > c.ItemRect().Right - p.Offset() - 12;
}

void HoverTick(TECMenuHost* menu);

void StartTimer(TECMenuHost* menu) {
  TTimer& t = menus::HoverTimer();
  t.OnTimer = [menu](TObject*) { HoverTick(menu); };
  t.SetEnabled(true);
}

void StopTimer() { menus::HoverTimer().SetEnabled(false); }

void BindTimer(TECMenuHost* menu) {
  TTimer& t = menus::HoverTimer();
  t.OnTimer = [menu](TObject*) { HoverTick(menu); };
}

// When the mouse moves from one menu to another, the one left stays armed
// only while it still shows a list.
void EnterMenu(TECMenuHost* menu) {
  HoverState& h = Hover();
  BindTimer(menu);
  if (h.current && h.current != menu) {
    if (auto* bar = dynamic_cast<TECMenu*>(h.current)) bar->SetArmed(menus::HasOpenList(*bar->Item()));
    if (auto* ctx = dynamic_cast<TECContextMenu*>(h.current)) ctx->SetActive(menus::HasOpenList(*ctx->Item()));
  }
  h.current = menu;
}

void HoverStep(TECMenuHost* menu);

// An error inside a tick stops the timer; the lists stay as they are.
void HoverTick(TECMenuHost* menu) {
  try {
    HoverStep(menu);
  } catch (const std::exception&) {
    menus::HoverTimer().SetEnabled(false);
  }
}

void HoverStep(TECMenuHost* menu) {
  HoverState& h = Hover();
  auto* bar = dynamic_cast<TECMenu*>(menu);
  auto* ctx = dynamic_cast<TECContextMenu*>(menu);
  const bool on = bar ? bar->Armed() : ctx && ctx->Active();
  if (on && h.pending) {
    TECMenuItem* e = h.pending;
    TECMenuItem* p = e->Parent();
    if (!p || p->OpenChild() == e) return;
    const uint64_t delay = (bar && !p->Parent()) ? 0u : static_cast<uint64_t>(menu->TickInterval());
    if (GetTickCount() - h.time <= delay) return;
    if (p->OpenChild()) menus::CloseSubmenu(*p->OpenChild());
    menus::OpenSubmenu(*p);
    if (bar) bar->SetLastOpened(e);
    if (ctx) h.contextOpened = e;
    h.pending = nullptr;
    Touch();
    return;
  }
  if (h.leftParent && h.leftParent->OpenChild()) menus::CloseSubmenu(*h.leftParent->OpenChild());
}

bool IsLetterOrDigit(uint16_t key) { return (key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9'); }

// The selectable child of p underlined with the key's letter.
TECMenuItem* ByAccelerator(TECMenuItem& p, uint16_t key) {
  const char16_t wanted = key >= 'A' && key <= 'Z' ? static_cast<char16_t>(key - 'A' + 'a') : key;
  for (int i = 0; i < p.Count(); ++i) {
    TECMenuItem* c = p.Items(i);
    if (c->Selectable() && AcceleratorOf(c->Caption()) == wanted) return c;
  }
  return nullptr;
}

// The entry of an open list whose accelerator is key becomes its hot entry
// and opens its own list or, without one, is clicked.
void PickByAccelerator(TECMenuItem& list, uint16_t key) {
  TECMenuItem* entry = ByAccelerator(list, key);
  if (!entry) return;
  menus::SetHotItem(list, entry);
  if (entry->HasVisibleChildren())
    menus::OpenSubmenu(list);
  else
    menus::ItemClick(*entry);
}

TECMenu* BarOf(const TECMenuItem& item) { return item.Menu() ? dynamic_cast<TECMenu*>(item.Menu()) : nullptr; }
TECContextMenu* ContextOf(const TECMenuItem& item) {
  return item.Menu() ? dynamic_cast<TECContextMenu*>(item.Menu()) : nullptr;
}

}  // namespace

namespace menus {

TTimer& HoverTimer() {
  static TTimer* timer = [] {
    auto* t = new TTimer(nullptr);
    t->SetEnabled(false);
    t->SetInterval(100);
    return t;
  }();
  return *timer;
}

bool HasOpenList(const TECMenuItem& root) {
  for (int i = 0; i < root.Count(); ++i)
    if (root.Items(i)->Window()) return true;
  return false;
}

TECMenuItem& DeepestOpen(TECMenuItem& item) {
  TECMenuItem* p = &item;
  while (p->OpenChild() && p->OpenChild()->Window()) p = p->OpenChild();
  return *p;
}

TECMenuItem* ItemAt(TECMenuItem& p, int x, int y) {
  const TRect a = p.ChildrenArea();
  for (int i = 0; i < p.Count(); ++i) {
    TECMenuItem* c = p.Items(i);
    if (!c->Shown()) continue;
    const TRect r = c->ItemRect();
    if (p.Orientation() == ioHorizontal) {
      if (x >= r.Left && x < r.Right && y >= a.Top && y < a.Bottom) return c;
    } else if (y >= r.Top && y < r.Bottom && x >= a.Left && x < a.Right) {
      return c;
    }
  }
  return nullptr;
}

void SetHotItem(TECMenuItem& p, TECMenuItem* e) {
  if (p.HotChild() == e || (e && !e->Selectable())) return;
  TECMenuItem* old = p.HotChild();
  p.SetHotChild(e);
  if (old) old->RepaintItem();
  if (e) e->RepaintItem();
  Hover().leftParent = e ? nullptr : &p;
  Touch();
  if (e) Hover().pending = e;
}

void SetMouseState(TECMenuItem& e, int state) {
  if (e.MouseState() == state) return;
  e.SetMouseState(state);
  e.RepaintItem();
}

namespace {
// Mouse-down flags live per item window; one flag per item is enough.
std::vector<TECMenuItem*>& DownItems() {
  static std::vector<TECMenuItem*> v;
  return v;
}
}  // namespace

void ItemMouseDown(TECMenuItem& p, TMouseButton, int x, int y) {
  DownItems().push_back(&p);
  if (TECMenuItem* c = ItemAt(p, x, y)) SetMouseState(*c, InArrowPart(p, *c, x) ? 4 : 3);
}

void ItemMouseMove(TECMenuItem& p, TShiftState shift, int x, int y) {
  TECMenuItem* c = ItemAt(p, x, y);
  if (c) {
    const bool arrow = InArrowPart(p, *c, x);
    SetMouseState(*c, (shift & ssLeft) ? (arrow ? 4 : 3) : (arrow ? 2 : 1));
    if (p.MenuStyle() == msToolbar && p.HotChild() != c && p.Window() && c->ShowHint()) {
      // The caption shows as the button's tip at once, also when the mouse
      // comes from the next button.
      TControl* w = p.Window();
      w->SetShowHint(true);
      w->SetHint(c->Caption());
      Application().CancelHint();
      Application().ActivateHint(w->ClientToScreen(TPoint{x, y + 20}), StripAccelerator(c->Caption()));
    }
  }
  SetHotItem(p, c);
  if (c && c->Name() == "MITmpSymbols") Touch();
}

void ItemMouseUp(TECMenuItem& p, TMouseButton, int x, int y) {
  auto& down = DownItems();
  auto it = std::find(down.begin(), down.end(), &p);
  if (it == down.end()) return;
  down.erase(it);
  TECMenuItem* c = ItemAt(p, x, y);
  const std::string n = c ? (c->Caption().empty() ? c->Name() : c->Caption()) : std::string();
  const bool cArrowRelease = c && InArrowPart(p, *c, x);
  const bool isRoot = p.Parent() == nullptr;
  if (TECMenu* bar = BarOf(p)) {
    if (isRoot) {
      StopTimer();
      bar->SetArmed(false);
    }
    if (p.OpenChild() != p.HotChild()) {
      if (!(c && c->OnClick && c->Kind() == ikDropDown && c->MouseState() == 3)) OpenSubmenu(p);
      if (p.HotChild() && !cArrowRelease) ItemClick(*p.HotChild());
      bar->SetLastOpened(nullptr);
    } else if (isRoot && p.OpenChild()) {
      if (p.OpenChild() == bar->LastOpened()) {
        bar->SetArmed(true);
        StartTimer(bar);
      } else {
        CloseSubmenu(*p.OpenChild());
        Touch();
      }
    }
  } else if (TECContextMenu* ctx = ContextOf(p)) {
    if (isRoot) {
      StopTimer();
      ctx->SetActive(false);
    }
    if (p.OpenChild() != p.HotChild()) {
      if (c && c->OnClick && c->Kind() == ikDropDown && c->MouseState() == 3)
        CloseSubmenu(p);
      else
        OpenSubmenu(p);
      if (c && !cArrowRelease) ItemClick(*c);
      Hover().contextOpened = nullptr;
    } else if (isRoot && p.OpenChild()) {
      if (p.OpenChild() == Hover().contextOpened) {
        ctx->SetActive(true);
        StartTimer(ctx);
      } else {
        CloseSubmenu(*p.OpenChild());
        Touch();
      }
    }
  }
  // The click may have rebuilt the list: the entry is found again.
  if (TECMenuItem* d = p.FindItem(n)) {
    if (d->Kind() == ikDropDown && InArrowPart(p, *d, x)) {
      const bool fire = d->MouseState() == 4;
      SetMouseState(*d, 2);
      if (fire && d->OnDropDownClick) d->OnDropDownClick(d);
    } else {
      SetMouseState(*d, 1);
    }
  }
}

void ItemClick(TECMenuItem& e) {
  if (!e.HasVisibleChildren()) CloseAll(*RootOf(&e));
  if (e.Kind() == ikCheckBox) {
    if (e.Action())
      e.Action()->SetChecked(!e.Checked());
    else
      e.SetChecked(!e.Checked());
  }
  if (e.OnClick) {
    e.OnClick(&e);
  } else if (TECMenu* bar = BarOf(e)) {
    bar->SetArmed(true);
    StartTimer(bar);
  }
}

void OpenSubmenu(TECMenuItem& p) {
  TECMenuItem* h = p.HotChild();
  if (p.OpenChild() && p.OpenChild() == h) return;
  if (p.OpenChild()) {
    CloseSubmenu(*p.OpenChild());
    p.SetOpenChild(nullptr);
  }
  if (!h || !(h->Kind() == ikButton || h->Kind() == ikDropDown) || !h->HasVisibleChildren()) return;
  TControl* pw = p.Window();
  if (!pw) return;
  TWinControl* parentWindow = BarOf(p) ? static_cast<TWinControl*>(BarOf(p)) : pw->Parent();
  if (!parentWindow) parentWindow = dynamic_cast<TWinControl*>(pw);
  auto* w = new TECSubMenu(parentWindow);
  w->BindItem(h);
  TPoint pt;
  const TRect hr = h->ItemRect();
  const bool barRoot = BarOf(p) && !p.Parent();
  if (p.Orientation() == ioHorizontal) {
    pt = TPoint{hr.Left, hr.Bottom};
  } else {
    pt = TPoint{pw->Width() - p.Offset(), hr.Top};
  }
  if (barRoot || !dynamic_cast<TCustomForm*>(pw))
    pt = pw->ClientToScreen(pt);
  else
    pt = TPoint{pt.X + pw->Left(), pt.Y + pw->Top()};
  if (pt.X + w->Width() >= Screen().Width()) pt.X = pt.X + 2 * p.Offset() - w->Width() - pw->Width();
  if (pt.Y + w->Height() >= Screen().Height()) pt.Y = pt.Y + p.Offset() - w->Height();
  try {
    w->ShowAt(pt);
  } catch (...) {
    // A list whose show handler failed does not stay behind unseen.
    w->Unbind();
    ReleaseComponent(w);
    throw;
  }
  p.SetOpenChild(h);
  if (barRoot) BarOf(p)->WatchPresses(true);
  Touch();
}

void CloseSubmenu(TECMenuItem& x) {
  if (!x.Parent() && ContextOf(x)) {
    x.SetHotChild(nullptr);
    Hover().pending = nullptr;
    x.SetOpenChild(nullptr);
    if (auto* w = dynamic_cast<TECSubMenu*>(x.Window())) {
      w->Suppress = true;
      w->Hide();
      w->Unbind();
      ReleaseComponent(w);
    }
    return;
  }
  if (!x.Parent() || !x.Window()) return;
  x.SetHotChild(nullptr);
  Hover().pending = nullptr;
  if (x.OpenChild()) CloseSubmenu(*x.OpenChild());
  if (auto* w = dynamic_cast<TECSubMenu*>(x.Window())) {
    w->Suppress = true;
    w->Hide();
    w->Unbind();
    ReleaseComponent(w);
  }
  x.SetWindow(nullptr);
  if (x.Parent()->OpenChild() == &x) x.Parent()->SetOpenChild(nullptr);
  if (TECMenu* bar = BarOf(x); bar && !x.Parent()->Parent()) bar->WatchPresses(false);
}

void CloseAll(TECMenuItem& r) {
  StopTimer();
  if (TECMenu* bar = BarOf(r)) {
    bar->SetArmed(false);
    SetHotItem(r, nullptr);
  }
  if (TECContextMenu* ctx = ContextOf(r)) ctx->SetActive(false);
  if (r.OpenChild()) CloseSubmenu(*r.OpenChild());
  if (ContextOf(r)) CloseSubmenu(r);
  if (TECMenu* bar = BarOf(r)) bar->RestoreFocus();
}

namespace {
TECMenuItem* Selectable(TECMenuItem& p, int from, int step) {
  for (int i = from; i >= 0 && i < p.Count(); i += step)
    if (p.Items(i)->Selectable()) return p.Items(i);
  return nullptr;
}
void Previous(TECMenuItem& p) {
  if (p.Count() == 0) return;
  TECMenuItem* hot = p.HotChild();
  if (hot && hot->IndexOf() == 0) return;
  TECMenuItem* e = Selectable(p, hot ? hot->IndexOf() - 1 : p.Count() - 1, -1);
  if (e) SetHotItem(p, e);
}
void Next(TECMenuItem& p) {
  if (p.Count() == 0) return;
  TECMenuItem* hot = p.HotChild();
  if (hot && hot->IndexOf() == p.Count() - 1) return;
  TECMenuItem* e = Selectable(p, hot ? hot->IndexOf() + 1 : 0, 1);
  if (e) SetHotItem(p, e);
}
}  // namespace

void ItemKeyDown(TECMenuItem& p, uint16_t key) {
  const bool bar = p.Orientation() == ioHorizontal;
  switch (key) {
    case VK_RETURN:
      // On the bar, Enter opens the list of an entry that has one.
      if (bar && p.HotChild() && p.HotChild()->HasVisibleChildren() && !p.HotChild()->OnClick)
        OpenSubmenu(p);
      else if (p.HotChild())
        ItemClick(*p.HotChild());
      break;
    case VK_HOME:
      if (p.Count() > 0) SetHotItem(p, Selectable(p, 0, 1));
      break;
    case VK_END:
      if (p.Count() > 0) SetHotItem(p, Selectable(p, p.Count() - 1, -1));
      break;
    case VK_ESCAPE:
      CloseSubmenu(p);
      break;
    case VK_LEFT:
      bar ? Previous(p) : CloseSubmenu(p);
      break;
    case VK_RIGHT:
      bar ? Next(p) : OpenSubmenu(p);
      break;
    case VK_UP:
      bar ? CloseSubmenu(p) : Previous(p);
      break;
    case VK_DOWN:
      bar ? OpenSubmenu(p) : Next(p);
      break;
    default:
      break;
  }
}

}  // namespace menus

// --- TECMenu ---

TECMenu::TECMenu(TComponent* owner) : TCustomControl(owner), root_(std::make_unique<TECMenuItem>(nullptr)) {
  SetBounds(Left(), Top(), 100, 60);
  root_->SetMenu(this);
  root_->SetWindow(this);
  WantArrows = true;
  SetTabStop(false);
}

TECMenu::~TECMenu() {
  WatchPresses(false);
  if (Hover().current == this) {
    Hover().current = nullptr;
    menus::HoverTimer().OnTimer = nullptr;
    menus::HoverTimer().SetEnabled(false);
  }
  menus::CloseAll(*root_);
  root_->SetWindow(nullptr);
  Hover() = HoverState{};
  root_.reset();
}

void TECMenu::SetImages(TImageList* v) {
  if (!imageLink_.SetImages(v)) return;
  root_->Layout();
  root_->InvalidateArea();
}

void TECMenu::Notification(TComponent* component, TOperation operation) {
  TCustomControl::Notification(component, operation);
  imageLink_.Notification(component, operation);
  if (operation == opRemove && component == savedFocus_) savedFocus_ = nullptr;
}

void TECMenu::Loaded() {
  TCustomControl::Loaded();
  root_->Layout();
}

void TECMenu::Paint() { root_->PaintWindow(Canvas()); }

void TECMenu::SetBounds(int left, int top, int width, int height) {
  TCustomControl::SetBounds(left, top, width, height);
  if (root_) root_->Layout();
}

void TECMenu::RestoreFocus() {
  TWinControl* f = savedFocus_;
  savedFocus_ = nullptr;
  if (f) {
    f->RemoveFreeNotification(this);
    if (f->CanFocus()) f->SetFocus();
  }
}

void TECMenu::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TCustomControl::MouseDown(button, shift, x, y);
  if (!Focused()) {
    TWinControl* f = Screen().ActiveControl();
    if (f && f != this) {
      savedFocus_ = f;
      f->FreeNotification(this);
    }
    if (CanFocus()) SetFocus();
  }
  menus::ItemMouseDown(*root_, button, x, y);
}

void TECMenu::MouseMove(TShiftState shift, int x, int y) {
  TCustomControl::MouseMove(shift, x, y);
  menus::ItemMouseMove(*root_, shift, x, y);
}

void TECMenu::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  TCustomControl::MouseUp(button, shift, x, y);
  menus::ItemMouseUp(*root_, button, x, y);
}

void TECMenu::MouseEnter() {
  TCustomControl::MouseEnter();
  EnterMenu(this);
}

void TECMenu::MouseLeave() {
  TCustomControl::MouseLeave();
  if (!root_->OpenChild()) menus::SetHotItem(*root_, nullptr);
  Hover().leftParent = nullptr;
}

void TECMenu::KeyDown(uint16_t& key, TShiftState shift) {
  TCustomControl::KeyDown(key, shift);
  if (key == 0) return;
  if (key == VK_ESCAPE && !root_->OpenChild()) {
    // Esc on the bar itself leaves it.
    menus::SetHotItem(*root_, nullptr);
    RestoreFocus();
    key = 0;
    return;
  }
  // The deepest open list takes the keys; the bar keeps the focus.
  menus::ItemKeyDown(menus::DeepestOpen(*root_), key);
  key = 0;
}


void TECMenu::SelectBar(TECMenuItem* entry) {
  if (!Focused()) {
    TWinControl* f = Screen().ActiveControl();
    if (f && f != this) {
      if (savedFocus_) savedFocus_->RemoveFreeNotification(this);
      savedFocus_ = f;
      f->FreeNotification(this);
    }
    if (CanFocus()) SetFocus();
  }
  menus::SetHotItem(*root_, entry);
}

bool TECMenu::MenuKeyDown(uint16_t key, TShiftState shift) {
  if (!Showing() || !Enabled()) return false;
  if (key == VK_MENU) {
    altAlone_ = true;
    return false;
  }
  altAlone_ = false;
  if (!IsLetterOrDigit(key) || (shift & ssCtrl)) return false;
  if (shift & ssAlt) {
    TECMenuItem* entry = ByAccelerator(*root_, key);
    if (!entry) return false;
    if (root_->OpenChild() && root_->OpenChild() != entry) menus::CloseSubmenu(*root_->OpenChild());
    SelectBar(entry);
    if (entry->HasVisibleChildren())
      menus::OpenSubmenu(*root_);
    else
      menus::ItemClick(*entry);
    return true;
  }
  if (!Focused() || !root_->HotChild()) return false;
  // The bar is selected: a letter picks an entry of the deepest open list.
  PickByAccelerator(menus::DeepestOpen(*root_), key);
  return true;
}

bool TECMenu::MenuKeyUp(uint16_t key, TShiftState) {
  if (key != VK_MENU || !altAlone_) return false;
  altAlone_ = false;
  if (!Showing() || !Enabled()) return false;
  if (Focused() && (root_->HotChild() || root_->OpenChild())) {
    menus::CloseAll(*root_);  // a second Alt leaves the bar
    return true;
  }
  TECMenuItem* first = nullptr;
  for (int i = 0; i < root_->Count() && !first; ++i)
    if (root_->Items(i)->Selectable()) first = root_->Items(i);
  if (!first) return false;
  SelectBar(first);
  return true;
}

void TECMenu::WatchPresses(bool on) {
  if (on)
    SetActivePopup(&pressWatch_);
  else if (WatchingPresses())
    SetActivePopup(nullptr);
}

void TECMenu::TPressWatch::PressOutside() {
  // A press on the bar itself is the bar's own to handle.
  if (!Bar->MouseInside()) Bar->CancelMode();
}

void TECMenu::CancelMode() {
  TCustomControl::CancelMode();
  if (!root_->OpenChild()) return;
  StopTimer();
  armed_ = false;
  menus::CloseSubmenu(*root_->OpenChild());
  menus::SetHotItem(*root_, nullptr);
  RestoreFocus();
}

void TECMenu::DoExit() {
  TCustomControl::DoExit();
  if (root_->OpenChild()) {
    StopTimer();
    armed_ = false;
    menus::CloseSubmenu(*root_->OpenChild());
    RestoreFocus();
  } else if (root_->HotChild() && !MouseInside()) {
    // A bar selected from the keyboard lets go when the focus moves on.
    menus::SetHotItem(*root_, nullptr);
  }
}

// --- TECContextMenu ---

TECContextMenu::TECContextMenu(TComponent* owner)
    : TPopupComponent(owner), root_(std::make_unique<TECMenuItem>(nullptr)) {
  root_->SetMenu(this);
}

TECContextMenu::~TECContextMenu() {
  if (Hover().current == this) {
    Hover().current = nullptr;
    menus::HoverTimer().OnTimer = nullptr;
    menus::HoverTimer().SetEnabled(false);
  }
  if (ActivePopup() == this) SetActivePopup(nullptr);
  if (root_->OpenChild()) menus::CloseSubmenu(*root_->OpenChild());
  delete popup_;
  Hover() = HoverState{};
  root_.reset();
}

void TECContextMenu::SetImages(TImageList* v) {
  if (!imageLink_.SetImages(v)) return;
  root_->InvalidateArea();
}

void TECContextMenu::Notification(TComponent* component, TOperation operation) {
  TPopupComponent::Notification(component, operation);
  // A list freed before the menu is no longer drawn from.
  imageLink_.Notification(component, operation);
}

bool TECContextMenu::Popup(int x, int y, TWinControl* control, bool atTopLeft) {
  delete popup_;
  popup_ = nullptr;
  TWinControl* parent = control ? control : dynamic_cast<TWinControl*>(Owner());
  popup_ = new TECSubMenu(parent);
  popup_->BindItem(root_.get());
  root_->Layout();
  int left = x, top = y;
  if (!atTopLeft) {
    left -= popup_->Width();
    top -= popup_->Height();
  }
  if (left + popup_->Width() >= Screen().Width()) left -= popup_->Width();
  if (top + popup_->Height() >= Screen().Height()) top -= popup_->Height();
  popup_->SetBounds(left, top, popup_->Width(), popup_->Height());
  popup_->Show();
  active_ = true;
  BindTimer(this);
  Hover().current = this;
  Hover().pending = nullptr;
  Hover().leftParent = nullptr;
  menus::HoverTimer().SetEnabled(true);
  SetActivePopup(this);
  return active_;
}

bool TECContextMenu::MenuKeyDown(uint16_t key, TShiftState shift) {
  if (!popup_) return false;
  TECMenuItem& p = menus::DeepestOpen(*root_);
  if (IsLetterOrDigit(key) && !(shift & (ssCtrl | ssAlt))) {
    PickByAccelerator(p, key);
    return true;
  }
  if (key == VK_MENU || key == VK_SHIFT || key == VK_CONTROL) return true;
  menus::ItemKeyDown(p, key);
  return true;
}

bool TECContextMenu::MenuKeyUp(uint16_t, TShiftState) { return popup_ != nullptr; }

void TECContextMenu::PressOutside() {
  if (popup_) menus::CloseAll(*root_);
}

// --- TECSubMenu ---

TECSubMenu::TECSubMenu(TWinControl* parentWindow) : TCustomForm(nullptr) {
  SetBorderStyle(bsNone);
  SetFormStyle(fsStayOnTop);
  SetNoActivate(true);
  (void)parentWindow;
}

TECSubMenu::~TECSubMenu() { Unbind(); }

void TECSubMenu::Unbind() {
  if (item_) {
    if (item_->Window() == this) item_->SetWindow(nullptr);
    if (auto* ctx = ContextOf(*item_); ctx && ctx->popup_ == this) {
      ctx->popup_ = nullptr;
      if (ActivePopup() == ctx) SetActivePopup(nullptr);
    }
    for (int i = 0; i < item_->Count(); ++i) ForgetPending(item_->Items(i));
    item_ = nullptr;
  }
}

void TECSubMenu::BindItem(TECMenuItem* item) {
  item_ = item;
  item->SetWindow(this);
  item->Layout();
}

void TECSubMenu::ShowAt(TPoint p) {
  SetBounds(std::max(0, p.X), std::max(0, p.Y), Width(), Height());
  if (item_->OnMenuShow) item_->OnMenuShow(item_);
  Show();
}

void TECSubMenu::InvalidateRect(const TRect& r, bool erase) {
  TRect shifted = r;
  shifted.Offset(1, 1);
  TCustomForm::InvalidateRect(shifted, erase);
}

void TECSubMenu::Paint() {
  if (!item_) return;
  // A one-pixel border round the entries.
  Canvas().Brush().Color = 0x808080;
  Canvas().FillRect(ClientRect());
  TBitmap inner(std::max(1, ClientWidth() - 2), std::max(1, ClientHeight() - 2));
  item_->PaintChildren(inner.Canvas(), inner.Width(), inner.Height());
  Canvas().Draw(1, 1, inner);
}

void TECSubMenu::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TCustomForm::MouseDown(button, shift, x, y);
  if (item_) menus::ItemMouseDown(*item_, button, x - 1, y - 1);
}

void TECSubMenu::MouseMove(TShiftState shift, int x, int y) {
  TCustomForm::MouseMove(shift, x, y);
  if (!item_) return;
  menus::ItemMouseMove(*item_, shift, x - 1, y - 1);
  if (TECMenu* bar = BarOf(*item_)) bar->SetLastOpened(nullptr);
  if (ContextOf(*item_)) Hover().contextOpened = nullptr;
}

void TECSubMenu::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  TCustomForm::MouseUp(button, shift, x, y);
  if (!item_) return;
  try {
    menus::ItemMouseUp(*item_, button, x - 1, y - 1);
  } catch (const std::exception&) {
    // A failing handler leaves the lists as they are.
    if (button != mbLeft) throw;
  }
}

void TECSubMenu::MouseEnter() {
  TCustomForm::MouseEnter();
  if (item_ && item_->Menu()) EnterMenu(item_->Menu());
}

void TECSubMenu::MouseLeave() {
  TCustomForm::MouseLeave();
  if (item_ && !item_->OpenChild()) menus::SetHotItem(*item_, nullptr);
  Hover().leftParent = nullptr;
}

void TECSubMenu::KeyDown(uint16_t& key, TShiftState shift) {
  TCustomForm::KeyDown(key, shift);
  if (key && item_) menus::ItemKeyDown(menus::DeepestOpen(*item_), key);
}

}  // namespace qs
