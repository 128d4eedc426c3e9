#pragma once
// TECMenuItem: the one kind of entry behind every menu and toolbar the
// program draws itself. An item is both an entry in its parent's window
// (caption, image, kind, size, state) and the container of its children,
// which it lays out and paints into its own window: the menu control for a
// root item, a submenu window while the item is open.
#include <memory>
#include <string>
#include <vector>

#include "platform/actions.h"
#include "platform/bitmap.h"
#include "platform/controls.h"
#include "platform/stdctrls.h"

namespace qs {

enum TECItemKind : uint8_t { ikButton, ikCheckBox, ikSeparator, ikSpace, ikDropDown };
enum TECItemOrientation : uint8_t { ioVertical, ioHorizontal };
enum TECMenuStyle : uint8_t { msMenu, msToolbar };
enum TECItemStyle : uint8_t { isMenuItem, isButton, isHotKey };

// What an item tree needs of the menu component it belongs to.
class TECMenuHost {
 public:
  virtual ~TECMenuHost() = default;
  virtual TComponent* HostComponent() = 0;
  virtual TImageList* HostImages() const = 0;
  // True for a popup menu, false for a bar or toolbar.
  virtual bool IsContextMenu() const = 0;
  // Milliseconds between two blink steps of an entry's image.
  virtual int TickInterval() const = 0;
};

class TECMenuItem : public TComponent {
 public:
  explicit TECMenuItem(TComponent* owner);
  ~TECMenuItem() override;
  const char* ClassName() const override { return "TECMenuItem"; }
  const TPropTable& Published() const override;

  // Tree.
  int Count() const { return static_cast<int>(items_.size()); }
  TECMenuItem* Items(int index) const;
  TECMenuItem* Parent() const { return parent_; }
  TECMenuHost* Menu() const { return menu_; }
  void SetMenu(TECMenuHost* menu) { menu_ = menu; }
  void Add(TECMenuItem* item);
  TECMenuItem* InsertItem(int index, const std::string& caption);
  TECMenuItem* AddItem(const std::string& caption) { return InsertItem(Count(), caption); }
  void DeleteItem(int index);
  int IndexOf() const;
  void SetIndex(int newIndex);
  // The first child whose name or caption equals text, without regard to case.
  TECMenuItem* FindItem(const std::string& text) const;
  // Copies the look and, recursively, the children of source.
  void Assign(const TECMenuItem& source);

  // The control showing this item's children, when there is one.
  TControl* Window() const { return window_; }
  void SetWindow(TControl* window) { window_ = window; }

  // Published properties.
  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& v);
  const std::string& ShortCutText() const { return shortCutText_; }
  void SetShortCutText(const std::string& v);
  bool Checked() const { return checked_; }
  void SetChecked(bool v);
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment v);
  int Image() const { return image_; }
  void SetImage(int v);
  int OverImage() const { return overImage_; }
  void SetOverImage(int v);
  int PressImage() const { return pressImage_; }
  void SetPressImage(int v);
  int DisableImage() const { return disableImage_; }
  void SetDisableImage(int v);
  TECItemKind Kind() const { return kind_; }
  void SetKind(TECItemKind v);
  TECItemOrientation Orientation() const { return orientation_; }
  void SetOrientation(TECItemOrientation v);
  TECMenuStyle MenuStyle() const { return menuStyle_; }
  void SetMenuStyle(TECMenuStyle v);
  TECItemStyle Style() const { return style_; }
  void SetStyle(TECItemStyle v);
  int Height() const { return height_; }
  void SetHeight(int v);
  int ButtonHeight() const { return buttonHeight_; }
  void SetButtonHeight(int v);
  int ButtonWidth() const { return buttonWidth_; }
  void SetButtonWidth(int v);
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool v);
  int Offset() const { return offset_; }
  void SetOffset(int v);
  bool Visible() const { return visible_; }
  void SetVisible(bool v);
  bool ShowHint() const { return showHint_; }
  void SetShowHint(bool v) { showHint_ = v; }
  bool Hide() const { return hide_; }
  void SetHide(bool v);
  bool Flat() const { return flat_; }
  void SetFlat(bool v) { flat_ = v; }
  int TextOffset() const { return textOffset_; }
  void SetTextOffset(int v);
  TColor Color() const { return color_; }
  void SetColor(TColor v);
  TColor PanelColor() const { return panelColor_; }
  void SetPanelColor(TColor v);
  const TFont& Font() const { return font_; }
  void SetFont(const TFont& v);
  int Margin() const { return margin_; }
  void SetMargin(int v);
  bool AutoMenu() const { return autoMenu_; }
  void SetAutoMenu(bool v) { autoMenu_ = v; }
  bool MenuArrow() const { return menuArrow_; }
  void SetMenuArrow(bool v);
  TControl* Control() const { return control_; }
  void SetControl(TControl* v);
  TAction* Action() const { return actionLink_.Action(); }
  void SetAction(TAction* v);
  // A texture tiled across the top of the item's horizontal window (the
  // menu bar's); setting copies it, null or an empty one clears it.
  const TBitmap* Picture() const { return picture_.get(); }
  void SetPicture(const TBitmap* v);
  TNotifyEvent OnClick;
  TNotifyEvent OnDropDownClick;
  TNotifyEvent OnMenuShow;

  // Not published.
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool v);
  const std::string& Hint() const { return hint_; }
  bool Shown() const { return visible_ && !(parent_ == nullptr && hide_); }
  bool Selectable() const {
    return Shown() && enabled_ && (kind_ == ikButton || kind_ == ikCheckBox || kind_ == ikDropDown);
  }
  bool HasVisibleChildren() const;

  TRect ItemRect() const { return rect_; }
  TRect ChildrenArea() const { return area_; }
  int PanelWidth() const { return panelWidth_; }
  TECMenuItem* HotChild() const { return hot_; }
  void SetHotChild(TECMenuItem* v) { hot_ = v; }
  TECMenuItem* OpenChild() const { return open_; }
  void SetOpenChild(TECMenuItem* v) { open_ = v; }
  // 0 none, 1 over, 2 over the arrow part, 3 pressed, 4 pressed on the arrow part.
  int MouseState() const { return mouseState_; }
  void SetMouseState(int v) { mouseState_ = v; }
  int BlinkPhase() const { return blinkPhase_; }

  void BeginUpdate() { ++lock_; }
  void EndUpdate();
  void Layout();
  void InvalidateArea();
  void InvalidateRect(const TRect& r);
  void RepaintItem();
  // Paints the item's window through one off-screen bitmap.
  void PaintWindow(TCanvas& canvas);
  void PaintChildren(TCanvas& canvas, int width, int height);
  void PaintItem(TCanvas& canvas);
  int GetImageIndex() const;
  // The parts of PaintItem, in the order they are painted.
  void PaintBackground(TCanvas& canvas);
  void PaintHotLook(TCanvas& canvas, int image, int arrowInset);
  void PaintImage(TCanvas& canvas, int image, bool hot);
  void PaintToolbarCaption(TCanvas& canvas, int image);
  void PaintMenuCaption(TCanvas& canvas, bool hot);
  void PaintAcceleratedText(TCanvas& canvas, int x, int y);
  void PaintMarks(TCanvas& canvas, int image, int arrowInset, bool hot);
  void Blink(bool reset);

 protected:
  void Notification(TComponent* component, TOperation operation) override;

 private:
  void Attach(TECMenuItem* item);
  void Detach(TECMenuItem* item);
  void ParentChanged(bool alsoGrandparent);
  void OwnChanged();
  void ActionChange(bool checkDefaults);
  TImageList* Images() const { return menu_ ? menu_->HostImages() : nullptr; }

  std::string caption_, shortCutText_, hint_;
  bool checked_ = false;
  TAlignment alignment_ = taLeftJustify;
  int image_ = -1, overImage_ = -1, pressImage_ = -1, disableImage_ = -1;
  TECItemKind kind_ = ikButton;
  TECItemOrientation orientation_ = ioVertical;
  TECMenuStyle menuStyle_ = msMenu;
  TECItemStyle style_ = isMenuItem;
  int height_ = -1, buttonHeight_ = 20, buttonWidth_ = 24;
  bool transparent_ = false;
  int offset_ = 4;
  bool visible_ = true, showHint_ = false, hide_ = false, flat_ = true;
  int textOffset_ = 0;
  TColor color_ = 0xFFFFFF, panelColor_ = clBtnFace;
  TFont font_;
  int margin_ = 0;
  bool autoMenu_ = false, menuArrow_ = true;
  TControl* control_ = nullptr;
  TActionChangeLink actionLink_{this, [this](TObject*) { ActionChange(false); }};
  std::unique_ptr<TBitmap> picture_;
  bool settingChecked_ = false;

  bool enabled_ = true;
  TECMenuItem* parent_ = nullptr;
  TECMenuHost* menu_ = nullptr;
  TControl* window_ = nullptr;
  std::vector<TECMenuItem*> items_;
  TRect rect_, area_;
  int panelWidth_ = 0;
  TECMenuItem* hot_ = nullptr;
  TECMenuItem* open_ = nullptr;
  int mouseState_ = 0;
  int lock_ = 0;
  bool layoutPending_ = false;
  TRect dirty_{1000, 1000, 0, 0};
  int blinkPhase_ = 0;
  uint64_t blinkTime_ = 0;
};

}  // namespace qs
