#pragma once
// A one-shot drop-down list (the undo and redo histories): pointing at
// line k highlights lines 0 .. k, a click chooses; an optional footer
// shows a text the owner supplies. The window closes and frees itself.
#include <functional>
#include <string>
#include <vector>

#include "uikit/popupwindow.h"

namespace qs {

using TECGetMessageEvent = std::function<void(TObject* sender, std::string& text)>;
using TECOnClickEvent = std::function<void(TObject* sender, int index)>;

// The list never takes the focus: while it is open, the owner control's
// arrow keys, Enter and Esc work in it, and the owner losing the focus
// closes it.
class TECPopupMenu : public TEcPopupWindow {
 public:
  explicit TECPopupMenu(TWinControl* ownerControl = nullptr);
  ~TECPopupMenu() override;
  const char* ClassName() const override { return "TECPopupMenu"; }

  const std::vector<std::string>& Items() const { return items_; }
  void SetItems(const std::vector<std::string>& items);
  void AddItem(const std::string& line);
  // The last highlighted line; -1 when there is none.
  int CurrentIndex() const { return current_; }
  // The height of a line: of "W" in the font.
  int LineHeight() const;

  TECGetMessageEvent OnGetMessage;
  TECOnClickEvent OnClick;

  // Shows the list at a screen point; nothing without lines or footer.
  void Popup(int x, int y);
  // Hides the list and frees it after the current message.
  void CloseList();
  bool Closing() const { return closing_; }

  TEditValue GetValue() override { return current_; }
  void SetValue(const TEditValue& value) override;
  void Paint() override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;

 protected:
  void Notification(TComponent* component, TOperation operation) override;

 private:
  int LineAt(int y) const;
  void ItemsChanged();
  void SetCurrent(int index);
  void Choose(int index);
  void HookOwner();
  void UnhookOwner();
  void OwnerKeyDown(TObject* sender, uint16_t& key, TShiftState shift);

  std::vector<std::string> items_;
  int current_ = -1;
  bool closing_ = false;
  TWinControl* owner_ = nullptr;
  bool hooked_ = false;
  TKeyEvent savedKeyDown_;
  TNotifyEvent savedExit_;
};

}  // namespace qs
