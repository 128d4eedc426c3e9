#pragma once
// The menu bar and toolbars (TECMenu), context menus (TECContextMenu) and
// the list windows that cascade from them (TECSubMenu). One program-wide
// 100 ms hover timer opens a list once the mouse has rested on its entry.
#include <cstdint>

#include "platform/forms.h"
#include "platform/timers.h"
#include "uikit/menuitem.h"

namespace qs {

class TECSubMenu;

class TECMenu : public TCustomControl, public TECMenuHost, public TMenuKeyTarget {
 public:
  explicit TECMenu(TComponent* owner);
  ~TECMenu() override;
  const char* ClassName() const override { return "TECMenu"; }

  TECMenuItem* Item() const { return root_.get(); }
  void SetItem(const TECMenuItem& v) { root_->Assign(v); }
  TImageList* Images() const { return imageLink_.Images(); }
  void SetImages(TImageList* v);
  int GetTickInterval() const { return tickInterval_; }
  void SetTickInterval(int v) { tickInterval_ = v; }

  bool Armed() const { return armed_; }
  void SetArmed(bool v) { armed_ = v; }
  TECMenuItem* LastOpened() const { return lastOpened_; }
  void SetLastOpened(TECMenuItem* v) { lastOpened_ = v; }
  // The window that had the keyboard focus before a click into the bar.
  void RestoreFocus();

  TComponent* HostComponent() override { return this; }
  TImageList* HostImages() const override { return imageLink_.Images(); }
  bool IsContextMenu() const override { return false; }
  int TickInterval() const override { return tickInterval_; }

  void Loaded() override;
  void SetBounds(int left, int top, int width, int height) override;

  // On the form whose Menu it is, the bar is selected by Alt pressed and
  // released alone (then arrows walk it and Enter or Down opens a list)
  // and opens an entry's list by Alt and the entry's underlined letter;
  // while it is selected, a letter picks the entry underlined with it in
  // the open list.
  bool MenuKeyDown(uint16_t key, TShiftState shift) override;
  bool MenuKeyUp(uint16_t key, TShiftState shift) override;

  // Another control took the mouse: an open list of the bar closes and the
  // focus goes back to where it was before the bar took it.
  void CancelMode() override;
  // Whether presses elsewhere are watched (while a list of the bar is open).
  bool WatchingPresses() const { return ActivePopup() == &pressWatch_; }
  void WatchPresses(bool on);

 protected:
  void Paint() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseEnter() override;
  void MouseLeave() override;
  void KeyDown(uint16_t& key, TShiftState shift) override;
  void DoExit() override;
  void Notification(TComponent* component, TOperation operation) override;

 private:
  friend class TECContextMenu;
  std::unique_ptr<TECMenuItem> root_;
  // Any change of the image list repaints the entries.
  TImageChangeLink imageLink_{this, [this](TObject*) {
    if (root_) root_->InvalidateArea();
  }};
  int tickInterval_ = 300;
  bool armed_ = false;
  TECMenuItem* lastOpened_ = nullptr;
  TWinControl* savedFocus_ = nullptr;
  bool altAlone_ = false;
  void SelectBar(TECMenuItem* entry);
  // Hears of every press in a window that is not a list: one outside the
  // bar cancels the bar. It takes no keys (the bar has the focus).
  struct TPressWatch : TPopupKeyTarget {
    explicit TPressWatch(TECMenu* bar) : Bar(bar) {}
    TECMenu* Bar;
    bool MenuKeyDown(uint16_t, TShiftState) override { return false; }
    bool MenuKeyUp(uint16_t, TShiftState) override { return false; }
    void PressOutside() override;
  } pressWatch_{this};
};

class TECContextMenu : public TPopupComponent, public TECMenuHost, public TPopupKeyTarget {
 public:
  explicit TECContextMenu(TComponent* owner);
  ~TECContextMenu() override;
  const char* ClassName() const override { return "TECContextMenu"; }

  TECMenuItem* Item() const { return root_.get(); }
  void SetItem(const TECMenuItem& v) { root_->Assign(v); }
  TImageList* Images() const { return imageLink_.Images(); }
  void SetImages(TImageList* v);
  void SetTickInterval(int v) { tickInterval_ = v; }
  bool Active() const { return active_; }
  void SetActive(bool v) { active_ = v; }
  TECSubMenu* PopupWindow() const { return popup_; }

  // Shows the menu with its top-left corner (AtTopLeft) or bottom-right
  // corner at the screen point, moved inside the screen.
  bool Popup(int x, int y, TWinControl* control, bool atTopLeft = true);
  // A right click on a control whose PopupMenu this is.
  void Popup(int x, int y) override { Popup(x, y, nullptr, true); }

  TComponent* HostComponent() override { return this; }
  TImageList* HostImages() const override { return imageLink_.Images(); }
  bool IsContextMenu() const override { return true; }
  int TickInterval() const override { return tickInterval_; }

  // While shown, the menu takes the keys (arrows, Enter, Esc, underlined
  // letters) and closes when the mouse is pressed elsewhere.
  bool MenuKeyDown(uint16_t key, TShiftState shift) override;
  bool MenuKeyUp(uint16_t key, TShiftState shift) override;
  void PressOutside() override;

 protected:
  void Notification(TComponent* component, TOperation operation) override;

 private:
  friend class TECSubMenu;
  std::unique_ptr<TECMenuItem> root_;
  // Any change of the image list repaints the open lists.
  TImageChangeLink imageLink_{this, [this](TObject*) {
    if (root_) root_->InvalidateArea();
  }};
  int tickInterval_ = 300;
  bool active_ = false;
  TECSubMenu* popup_ = nullptr;
};

// A list window: shows the children of an open item; never takes the
// activation or the keyboard focus (keys reach it through its menu).
class TECSubMenu : public TCustomForm {
 public:
  explicit TECSubMenu(TWinControl* parentWindow);
  ~TECSubMenu() override;
  const char* ClassName() const override { return "TECSubMenu"; }
  TECMenuItem* Item() const { return item_; }
  void BindItem(TECMenuItem* item);
  void ShowAt(TPoint screenPoint);
  // The window lets go of its item (it is closing, to be freed later).
  void Unbind();
  bool Suppress = false;
  // Item coordinates lie inside the one-pixel border.
  void InvalidateRect(const TRect& r, bool erase = true) override;

 protected:
  void Paint() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseEnter() override;
  void MouseLeave() override;
  void KeyDown(uint16_t& key, TShiftState shift) override;

 private:
  TECMenuItem* item_ = nullptr;
};

// Item operations shared by the bar, the popup and the list windows.
namespace menus {
TECMenuItem* ItemAt(TECMenuItem& p, int x, int y);
void SetHotItem(TECMenuItem& p, TECMenuItem* e);
void SetMouseState(TECMenuItem& e, int state);
void ItemMouseDown(TECMenuItem& p, TMouseButton button, int x, int y);
void ItemMouseMove(TECMenuItem& p, TShiftState shift, int x, int y);
void ItemMouseUp(TECMenuItem& p, TMouseButton button, int x, int y);
void ItemClick(TECMenuItem& e);
void OpenSubmenu(TECMenuItem& p);
void CloseSubmenu(TECMenuItem& x);
void CloseAll(TECMenuItem& root);
void ItemKeyDown(TECMenuItem& p, uint16_t key);
bool HasOpenList(const TECMenuItem& root);
// The deepest item whose list is open below item (item itself when none).
TECMenuItem& DeepestOpen(TECMenuItem& item);
// The program-wide hover timer (100 ms).
TTimer& HoverTimer();
}  // namespace menus

}  // namespace qs

namespace qs {
// For review (formshot): a window with a menu bar, a toolbar and an open
// cascade of lists.
void RegisterMenuForms();
}  // namespace qs
