#include "uikit/popuplist.h"

#include <algorithm>

#include "platform/bitmap.h"
#include "platform/forms.h"
#include "platform/keys.h"
#include "uikit/frames.h"

namespace qs {

namespace {
constexpr TColor kNavy = RGB(0, 0, 128);
}

TECPopupMenu::TECPopupMenu(TWinControl* ownerControl) : TEcPopupWindow(ownerControl), owner_(ownerControl) {
  SetColor(clWindow);
  TFont f;
  f.Color = clBlack;
  SetFont(f);
  SetBounds(0, 0, 200, 4);
  // A window of the main window: above it, without a task-bar button.
  SetPopupParent(Application().MainForm());
  if (owner_) owner_->FreeNotification(this);
}

TECPopupMenu::~TECPopupMenu() {
  BeginDestroy();
  UnhookOwner();
  if (owner_) owner_->RemoveFreeNotification(this);
}

void TECPopupMenu::Notification(TComponent* component, TOperation operation) {
  TEcPopupWindow::Notification(component, operation);
  if (operation == opRemove && component == owner_) {
    owner_ = nullptr;
    hooked_ = false;
    CloseList();
  }
}

void TECPopupMenu::SetItems(const std::vector<std::string>& items) {
  items_ = items;
  ItemsChanged();
}

void TECPopupMenu::AddItem(const std::string& line) {
  items_.push_back(line);
  ItemsChanged();
}

void TECPopupMenu::ItemsChanged() {
  if (items_.empty())
    current_ = -1;
  else if (current_ < 0)
    current_ = 0;
  else
    current_ = std::min(current_, int(items_.size()) - 1);
  Invalidate();
}

void TECPopupMenu::SetValue(const TEditValue& value) {
  if (const int* i = std::get_if<int>(&value)) SetCurrent(std::clamp(*i, 0, int(items_.size()) - 1));
}

int TECPopupMenu::LineHeight() const {
  TBitmap screen(1, 1);
  screen.Canvas().Font() = Font();
  return std::max(1, screen.Canvas().TextHeight(std::string_view("W")));
}

int TECPopupMenu::LineAt(int y) const {
  const int index = y / LineHeight();
  return index < int(items_.size()) && y >= 0 ? index : -1;
}

void TECPopupMenu::SetCurrent(int index) {
  if (index == current_ || index < 0) return;
  current_ = index;
  Invalidate();
}

void TECPopupMenu::Popup(int x, int y) {
  if (items_.empty() && !OnGetMessage) return;
  const int l = LineHeight();
  SetBounds(x, y, Width(), l * int(items_.size()) + (OnGetMessage ? l + 13 : 4));
  HookOwner();
  Show();
}

void TECPopupMenu::CloseList() {
  if (closing_) return;
  closing_ = true;
  // The owner's handlers are given back when the list is freed, not from
  // inside them.
  Hide();
  ReleaseComponent(this);
}

void TECPopupMenu::Choose(int index) {
  if (index >= 0 && index < int(items_.size())) Fire(OnClick, this, index);
  CloseList();
}

void TECPopupMenu::HookOwner() {
  if (!owner_ || hooked_) return;
  hooked_ = true;
  savedKeyDown_ = owner_->OnKeyDown;
  savedExit_ = owner_->OnExit;
  owner_->OnKeyDown = [this](TObject* sender, uint16_t& key, TShiftState shift) { OwnerKeyDown(sender, key, shift); };
  owner_->OnExit = [this](TObject* sender) {
    CloseList();
    Fire(savedExit_, sender);
  };
}

void TECPopupMenu::UnhookOwner() {
  if (!hooked_) return;
  hooked_ = false;
  if (!owner_) return;
  owner_->OnKeyDown = std::move(savedKeyDown_);
  owner_->OnExit = std::move(savedExit_);
}

void TECPopupMenu::OwnerKeyDown(TObject* sender, uint16_t& key, TShiftState shift) {
  const int last = int(items_.size()) - 1;
  if (closing_) {
    Fire(savedKeyDown_, sender, key, shift);
    return;
  }
  switch (key) {
    case VK_DOWN: SetCurrent(std::min(current_ + 1, last)); break;
    case VK_UP: SetCurrent(std::max(current_ - 1, 0)); break;
    case VK_HOME: SetCurrent(last >= 0 ? 0 : -1); break;
    case VK_END: SetCurrent(last); break;
    case VK_RETURN: Choose(current_); break;
    case VK_ESCAPE: CloseList(); break;
    default:
      Fire(savedKeyDown_, sender, key, shift);
      return;
  }
  key = 0;
}

void TECPopupMenu::MouseMove(TShiftState shift, int x, int y) {
  TEcPopupWindow::MouseMove(shift, x, y);
  const int line = LineAt(y);
  if (line >= 0) SetCurrent(line);
}

void TECPopupMenu::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TEcPopupWindow::MouseDown(button, shift, x, y);
  if ((button == mbLeft || button == mbRight) && LineAt(y) < 0) CloseList();
}

void TECPopupMenu::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  TEcPopupWindow::MouseUp(button, shift, x, y);
  if (closing_) return;
  if (button == mbLeft)
    Choose(LineAt(y));
  else if (button == mbRight)
    CloseList();
}

void TECPopupMenu::Paint() {
  TCanvas& c = Canvas();
  TRect r = ClientRect();
  c.Font() = Font();
  const int l = LineHeight();
  c.Brush().Style = bsSolid;
  if (OnGetMessage) {
    std::string text;
    OnGetMessage(this, text);
    c.Brush().Color = ColorToRGB(clBtnFace);
    c.FillRect(TRect{r.Left, r.Bottom - l - 9, r.Right, r.Bottom});
    const TRect edge{r.Left + 2, r.Bottom - l - 6, r.Right - 2, r.Bottom - 2};
    DrawEdge(c, edge, TEdgeKind::Sunken);
    c.Brush().Color = ColorToRGB(clBtnFace);
    c.FillRect(TRect{edge.Left + 1, edge.Top + 1, edge.Right - 1, edge.Bottom - 1});
    c.TextOut((r.Left + r.Right - c.TextWidth(text) - 4) / 2, r.Bottom - l - 4, text);
    r.Bottom -= l + 9;
  }
  c.Brush().Style = bsSolid;
  if (current_ < 0) {
    c.Brush().Color = ColorToRGB(Color());
    c.FillRect(r);
  } else {
    const int band = std::min(r.Bottom, r.Top + (current_ + 1) * l);
    c.Brush().Color = kNavy;
    c.FillRect(TRect{r.Left, r.Top, r.Right, band});
    c.Brush().Color = ColorToRGB(Color());
    c.FillRect(TRect{r.Left, band, r.Right, r.Bottom});
  }
  c.Brush().Style = bsClear;
  for (int i = 0; i < int(items_.size()); ++i) {
    c.Font().Color = i <= current_ ? clWhite : Font().Color;
    c.TextOut(r.Left + 2, r.Top + i * l, items_[size_t(i)]);
  }
}

}  // namespace qs
