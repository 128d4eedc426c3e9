#pragma once
// Controls: rectangles on a parent window that paint themselves and take
// mouse and key input. A windowed control (TWinControl) is a window of the
// window system and can hold the keyboard focus and other controls; a
// graphic control (TGraphicControl) is painted by its parent into the
// parent's window and takes the mouse through it.
//
// Every windowed control paints into a back buffer image that the window
// shows: Invalidate asks for Paint over the invalid area, while drawing on
// the Canvas outside Paint (XOR overlays, a caret) changes the buffer and
// is shown at once, so that drawing the same XOR figure twice restores the
// pixels.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/geometry.h"
#include "platform/canvas.h"
#include "platform/components.h"
#include "platform/keys.h"

namespace qs {

class TWinControl;
class TCustomForm;
class TControlWidget;
class TBitmap;

// System colours: clSystemColor | index, resolved by ColorToRGB.
constexpr TColor clSystemColor = 0xFF000000;
constexpr TColor clScrollBar = clSystemColor | 0, clBackground = clSystemColor | 1,
                 clActiveCaption = clSystemColor | 2, clInactiveCaption = clSystemColor | 3,
                 clMenu = clSystemColor | 4, clWindow = clSystemColor | 5, clWindowFrame = clSystemColor | 6,
                 clMenuText = clSystemColor | 7, clWindowText = clSystemColor | 8,
                 clCaptionText = clSystemColor | 9, clHighlight = clSystemColor | 13,
                 clHighlightText = clSystemColor | 14, clBtnFace = clSystemColor | 15,
                 clBtnShadow = clSystemColor | 16, clGrayText = clSystemColor | 17,
                 clBtnText = clSystemColor | 18, clBtnHighlight = clSystemColor | 20,
                 cl3DDkShadow = clSystemColor | 21, cl3DLight = clSystemColor | 22,
                 clInfoText = clSystemColor | 23, clInfoBk = clSystemColor | 24;
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;
// The colour value of a system colour (from the window system's palette);
// other colours as they are.
TColor ColorToRGB(TColor color);

// Mouse cursors: the standard shapes are negative; the program registers
// its own shapes under positive numbers (Screen().SetCursorImage).
using TCursor = int;
enum : int {
  crDefault = 0, crNone = -1, crArrow = -2, crCross = -3, crIBeam = -4, crSize = -22, crSizeNESW = -6,
  crSizeNS = -7, crSizeNWSE = -8, crSizeWE = -9, crUpArrow = -10, crHourGlass = -11, crDrag = -12,
  crNoDrop = -13, crHSplit = -14, crVSplit = -15, crMultiDrag = -16, crSQLWait = -17, crNo = -18,
  crAppStart = -19, crHelp = -20, crHandPoint = -21, crSizeAll = -22
};

enum TAlign : uint8_t { alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom };
enum TAnchorKind : uint8_t { akLeft = 1, akTop = 2, akRight = 4, akBottom = 8 };
using TAnchors = uint8_t;

// A message to a control: the number, two parameters and the answer.
struct TMessage {
  uint32_t Msg = 0;
  intptr_t WParam = 0;
  intptr_t LParam = 0;
  intptr_t Result = 0;
};

using TMouseEvent = std::function<void(TObject* sender, TMouseButton button, TShiftState shift, int x, int y)>;
using TMouseMoveEvent = std::function<void(TObject* sender, TShiftState shift, int x, int y)>;
using TMouseWheelEvent =
    std::function<void(TObject* sender, TShiftState shift, int wheelDelta, TPoint mousePos, bool& handled)>;
using TKeyEvent = std::function<void(TObject* sender, uint16_t& key, TShiftState shift)>;
using TKeyPressEvent = std::function<void(TObject* sender, char16_t& key)>;
using TContextPopupEvent = std::function<void(TObject* sender, TPoint mousePos, bool& handled)>;

// The menu a control shows on a right click; the UI kit supplies the menus.
class TPopupComponent : public TComponent {
 public:
  using TComponent::TComponent;
  // Shows the menu at a screen position.
  virtual void Popup(int x, int y) = 0;
};

class TControl : public TComponent {
 public:
  explicit TControl(TComponent* owner);
  ~TControl() override;
  const char* ClassName() const override { return "TControl"; }
  const TPropTable& Published() const override;

  TWinControl* Parent() const { return parent_; }
  virtual void SetParent(TWinControl* parent);
  // The form the control is on (itself for a form), or null.
  TCustomForm* ParentForm() const;

  int Left() const { return bounds_.Left; }
  int Top() const { return bounds_.Top; }
  int Width() const { return bounds_.Width(); }
  int Height() const { return bounds_.Height(); }
  void SetLeft(int v) { SetBounds(v, Top(), Width(), Height()); }
  void SetTop(int v) { SetBounds(Left(), v, Width(), Height()); }
  void SetWidth(int v) { SetBounds(Left(), Top(), v, Height()); }
  void SetHeight(int v) { SetBounds(Left(), Top(), Width(), v); }
  virtual void SetBounds(int left, int top, int width, int height);
  TRect BoundsRect() const { return bounds_; }
  TRect ClientRect() const { return TRect{0, 0, ClientWidth(), ClientHeight()}; }
  virtual int ClientWidth() const { return Width(); }
  virtual int ClientHeight() const { return Height(); }
  void SetClientWidth(int v) { SetWidth(Width() - ClientWidth() + v); }
  void SetClientHeight(int v) { SetHeight(Height() - ClientHeight() + v); }
  TPoint ClientToScreen(TPoint p) const;
  TPoint ScreenToClient(TPoint p) const;

  bool Visible() const { return visible_; }
  virtual void SetVisible(bool v);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  // Visible with every parent up to a shown window.
  bool Showing() const;
  bool Enabled() const { return enabled_; }
  virtual void SetEnabled(bool v);

  TAlign Align() const { return align_; }
  void SetAlign(TAlign v);
  TAnchors Anchors() const { return anchors_; }
  void SetAnchors(TAnchors v);

  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& v);
  const std::string& Hint() const { return hint_; }
  void SetHint(const std::string& v) { hint_ = v; }
  bool ShowHint() const { return showHint_; }
  void SetShowHint(bool v) { showHint_ = v; parentShowHint_ = false; }
  bool ParentShowHint() const { return parentShowHint_; }
  void SetParentShowHint(bool v);
  // The hint shown for the control: the part before "|", or "" when hints
  // are off for it.
  std::string ShownHint() const;

  TCursor Cursor() const { return cursor_; }
  virtual void SetCursor(TCursor v);
  TPopupComponent* PopupMenu() const { return popupMenu_; }
  void SetPopupMenu(TPopupComponent* menu);

  TColor Color() const { return color_; }
  void SetColor(TColor v);
  bool ParentColor() const { return parentColor_; }
  void SetParentColor(bool v);
  // The control's font; setting it clears ParentFont. With ParentFont the
  // control takes its parent's font, now and whenever that changes.
  const TFont& Font() const { return font_; }
  void SetFont(const TFont& v);
  bool ParentFont() const { return parentFont_; }
  void SetParentFont(bool v);

  // Front and back among the parent's controls (windowed controls always
  // lie above graphic ones).
  void BringToFront();
  void SendToBack();

  // Asks for Paint over the whole control or a part of it (client
  // coordinates); erase fills the part with Color first.
  virtual void Invalidate();
  virtual void InvalidateRect(const TRect& r, bool erase = true);
  // Paints what is invalid now.
  virtual void Update();
  void Repaint() { Invalidate(); Update(); }

  // Messages: Perform delivers at once, PostMessage (in TApplication) after
  // the current one. Subclasses override WndProc and call the base.
  intptr_t Perform(uint32_t msg, intptr_t wParam = 0, intptr_t lParam = 0);
  virtual void WndProc(TMessage& message);

  // The mouse: while captured, every mouse message goes to this control.
  bool MouseCapture() const;
  void SetMouseCapture(bool v);

  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TMouseEvent OnMouseDown;
  TMouseMoveEvent OnMouseMove;
  TMouseEvent OnMouseUp;
  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;
  TMouseWheelEvent OnMouseWheel;
  TContextPopupEvent OnContextPopup;
  TNotifyEvent OnResize;

  // Input as the window system delivers it; the defaults fire the events.
  // Coordinates are the control's client coordinates.
  virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
  virtual void MouseMove(TShiftState shift, int x, int y);
  virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
  virtual void Click();
  virtual void DblClick();
  virtual void MouseEnter();
  virtual void MouseLeave();
  // True when handled; the default asks OnMouseWheel.
  virtual bool DoMouseWheel(TShiftState shift, int wheelDelta, TPoint mousePos);
  // Another control took the mouse or the window lost activation: a drag
  // in progress must end. The default releases the capture.
  virtual void CancelMode();
  virtual void Resize();

  bool MouseInside() const { return mouseInside_; }
  virtual bool IsWindowed() const { return false; }

 protected:
  friend class TWinControl;
  friend struct TControlBridge;
  // Called when the font or colour changed (own or inherited).
  virtual void FontChanged();
  virtual void ColorChanged();
  virtual void CaptionChanged() {}
  virtual void BoundsChanged();
  void ParentFontChanged();
  void ParentColorChanged();
  // The bounds placed by the parent's alignment, without taking new anchor
  // distances.
  void SetAlignedBounds(const TRect& r);
  void TakeAnchorDistances();

  TRect bounds_;
  TWinControl* parent_ = nullptr;
  bool visible_ = true;
  bool enabled_ = true;
  bool mouseInside_ = false;
  TAlign align_ = alNone;
  TAnchors anchors_ = akLeft | akTop;
  // Distances to the parent's right and bottom edges when last placed.
  int anchorRight_ = 0, anchorBottom_ = 0;
  std::string caption_;
  std::string hint_;
  bool showHint_ = false, parentShowHint_ = true;
  TCursor cursor_ = crDefault;
  TPopupComponent* popupMenu_ = nullptr;
  TColor color_ = clBtnFace;
  bool parentColor_ = false;
  TFont font_;
  bool parentFont_ = true;
  bool clickPending_ = false;

  void Notification(TComponent* component, TOperation operation) override;
};

// A control painted by its parent. Its Canvas draws into the parent's back
// buffer, placed at the control and clipped to it.
class TGraphicControl : public TControl {
 public:
  explicit TGraphicControl(TComponent* owner);
  ~TGraphicControl() override;
  const char* ClassName() const override { return "TGraphicControl"; }
  // Valid while the control has a parent.
  TCanvas& Canvas();
  TNotifyEvent OnPaint;
  // Paints the whole control; the default fires OnPaint.
  virtual void Paint();
  void Invalidate() override;
  void InvalidateRect(const TRect& r, bool erase = true) override;
  void Update() override;

 private:
  friend class TWinControl;
  void PaintOn(TCanvas& parentCanvas, const TRect& clip);
  std::unique_ptr<TCanvas> canvas_;
  TWinControl* canvasParent_ = nullptr;
};

// A control that is a window: it holds the child controls, can take the
// keyboard focus and paints into its own back buffer.
class TWinControl : public TControl {
 public:
  explicit TWinControl(TComponent* owner);
  ~TWinControl() override;
  const char* ClassName() const override { return "TWinControl"; }
  const TPropTable& Published() const override;
  bool IsWindowed() const override { return true; }

  int ControlCount() const { return static_cast<int>(controls_.size()); }
  // In z-order, back to front.
  TControl* Controls(int index) const;
  void SetParent(TWinControl* parent) override;
  void SetVisible(bool v) override;
  void SetEnabled(bool v) override;
  void SetBounds(int left, int top, int width, int height) override;
  void SetCursor(TCursor v) override;

  // Focus: CanFocus needs the control and its parents visible and enabled.
  bool CanFocus() const;
  bool Focused() const;
  // Raises EInvalidOperation ("Cannot focus a disabled or invisible
  // window") when the control cannot take the focus.
  virtual void SetFocus();
  bool TabStop() const { return tabStop_; }
  void SetTabStop(bool v);
  // The position among the parent's windowed controls in the Tab order;
  // setting it moves the others along.
  int TabOrder() const;
  void SetTabOrder(int v);
  // The parent's windowed controls in Tab order.
  std::vector<TWinControl*> TabList() const;
  // The control after (or before) current in the Tab order of this
  // control's children and theirs, going round; only controls with
  // TabStop that can take the focus. current may be null.
  TWinControl* FindNextControl(TWinControl* current, bool forward) const;
  void SelectNext(TWinControl* current, bool forward);
  // Which keys the control handles itself: arrows and Tab otherwise move
  // the focus.
  bool WantArrows = false;
  bool WantTabs = false;
  // Enter stays in the control instead of pressing the form's default
  // button (a memo).
  bool WantReturns = false;
  // Text composed by the system's input method (accents, other scripts)
  // comes to the control as typed characters (KeyPress).
  void SetWantsComposedText(bool value);
  // Enter or Esc that the focused control left alone, offered to each
  // control of the form in turn; true when one took it (a default or
  // cancel button).
  virtual bool DialogKey(uint16_t key);

  TNotifyEvent OnEnter;
  TNotifyEvent OnExit;
  TKeyEvent OnKeyDown;
  TKeyEvent OnKeyUp;
  TKeyPressEvent OnKeyPress;

  // Key input, after the application (OnMessage) and the form (with
  // KeyPreview) have seen it; a handler that sets key to 0 has taken it.
  // The defaults fire the events.
  virtual void KeyDown(uint16_t& key, TShiftState shift);
  virtual void KeyUp(uint16_t& key, TShiftState shift);
  virtual void KeyPress(char16_t& key);
  virtual void DoEnter();
  virtual void DoExit();

  // Lays the aligned and anchored children out in the client area.
  void Realign();

  // Docking: forms dropped on a control with DockSite set are handed to
  // DockDrop (the default makes the client a child of the site, filling
  // it). A docked client reports to its site when it leaves (UndockClient
  // before, RemoveDockClient after it floats) and when its caption or
  // visibility changes.
  bool DockSite = false;
  virtual void DockDrop(TControl* client);
  virtual void UndockClient(TControl* client) { (void)client; }
  virtual void RemoveDockClient(TControl* client) { (void)client; }
  virtual void DockClientTextChanged(TControl* client, const std::string& text) { (void)client, (void)text; }
  virtual void DockClientVisibleChanged(TControl* client, bool visible) { (void)client, (void)visible; }
  // The dock site at a screen point: the innermost control with DockSite
  // under it on a shown form other than except, or null.
  static TWinControl* DockSiteAt(TPoint screenPos, const TControl* except);

  void Invalidate() override;
  void InvalidateRect(const TRect& r, bool erase = true) override;
  void Update() override;

  // Whether the control still has its window.
  bool HasWindow() const;
  // How the control sits on the window system (platform/qtcontrols.h).
  struct TImpl;
  TImpl& Impl() const { return *impl_; }

 protected:
  // A control shown by a widget of the toolkit (standard controls), made
  // by the platform's WidgetImpl.
  TWinControl(TComponent* owner, std::unique_ptr<TImpl> impl);
  // Paints the invalid area into the back buffer; the default fills it
  // with Color. Graphic children are painted after it.
  virtual void PaintWindow(TCanvas& canvas);
  // The back buffer's canvas (made on first use).
  TCanvas& BufferCanvas();
  void FontChanged() override;
  void ColorChanged() override;
  void CaptionChanged() override;
  virtual void AlignControls(TRect& clientRect);
  // A child control was put on the control (inserted) or taken off it;
  // called after the change, not while the control is being destroyed.
  virtual void ControlListChanged(TControl* child, bool inserted) { (void)child, (void)inserted; }
  void BoundsChanged() override;
  // The size changed: buffer, children, Resize.
  void SizeChanged();

 private:
  friend class TControl;
  friend class TGraphicControl;
  friend struct TControlBridge;
  friend class TControlWidget;
  void InsertControl(TControl* c);
  void RemoveControl(TControl* c);
  void PaintBuffer();
  std::vector<TControl*> controls_;
  std::unique_ptr<TImpl> impl_;
  bool tabStop_ = false;
};

// A windowed control with a Canvas and a Paint of its own.
class TCustomControl : public TWinControl {
 public:
  explicit TCustomControl(TComponent* owner);
  const char* ClassName() const override { return "TCustomControl"; }
  // The back buffer: what Paint and any other code draw on it is what the
  // window shows.
  TCanvas& Canvas() { return BufferCanvas(); }
  TNotifyEvent OnPaint;
  // Paints the invalid area (the canvas is clipped to it); the default
  // fires OnPaint.
  virtual void Paint();

 protected:
  void PaintWindow(TCanvas& canvas) override;
};

// Renders a control (with its children) into a new bitmap of its size, as
// it looks now.
std::unique_ptr<TBitmap> GrabControl(TControl& control);

}  // namespace qs
