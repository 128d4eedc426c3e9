#pragma once
// Forms (top-level windows), the application object with its message loop,
// and the screen.
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/controls.h"

namespace qs {

class TBitmap;

// Modal results: a button's ModalResult ends ShowModal with it.
using TModalResult = int;
enum : int {
  mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5, mrYes = 6, mrNo = 7,
  mrAll = 8, mrNoToAll = 9, mrYesToAll = 10, mrClose = 11
};

enum TFormBorderStyle : uint8_t { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum TPosition : uint8_t {
  poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter, poDesktopCenter,
  poMainFormCenter, poOwnerFormCenter
};
enum TFormStyle : uint8_t { fsNormal, fsStayOnTop };
// Scoped: the score view has a wsNormal of its own (TQSWindowStyle).
enum class TWindowState : uint8_t { wsNormal, wsMinimized, wsMaximized };
enum TCloseAction : uint8_t { caNone, caHide, caFree, caMinimize };

using TCloseEvent = std::function<void(TObject* sender, TCloseAction& action)>;

// A frame the program draws itself in place of the window system's (a
// skin). While a form has one, the form is a frameless window: its bounds
// are the outer rectangle, the frame takes the widths Insets gives from
// its edges and the client area (where the controls lie and the form
// paints) is what remains inside.
class TFormFrame {
 public:
  virtual ~TFormFrame() = default;
  // The widths of the frame: Left, Top, Right and Bottom of the rectangle.
  virtual TRect FrameInsets() const = 0;
  // Paints the frame in window coordinates (the canvas is clipped to what
  // needs painting).
  virtual void PaintFrame(TCanvas& canvas) = 0;
  // Paints the client area in place of the form (client coordinates);
  // false leaves it to the form.
  virtual bool PaintClient(TCanvas&) { return false; }
  enum class TMouse : uint8_t { Down, Move, Up, DoubleClick, Leave };
  // Mouse input in window coordinates: over the frame, and from a press on
  // the frame until the last button is released.
  virtual void FrameMouse(TMouse kind, TMouseButton button, TShiftState shift, TPoint p) = 0;
  // The cursor over a point of the frame.
  virtual TCursor FrameCursor(TPoint) const { return crDefault; }
  // The window became active or inactive; it was sized; its title changed.
  virtual void FrameActivation(bool) {}
  virtual void FrameResized() {}
  virtual void FrameCaptionChanged() {}
};
using TCloseQueryEvent = std::function<void(TObject* sender, bool& canClose)>;
// After a form docked (target the site) or floated (target null).
using TDockEvent = std::function<void(TObject* sender, TWinControl* target)>;

// A form's menu bar takes keys before the focused control does: Alt
// pressed and released alone, Alt with a letter, and whatever it wants
// while it is selected. True when it took the key.
class TMenuKeyTarget {
 public:
  virtual ~TMenuKeyTarget() = default;
  virtual bool MenuKeyDown(uint16_t key, TShiftState shift) = 0;
  virtual bool MenuKeyUp(uint16_t key, TShiftState shift) = 0;
};

// A pop-up menu while it is shown: it sees the keys before the focused
// control and the form's menu do, and hears of every mouse press in a
// window that is not a pop-up itself (where it usually closes).
class TPopupKeyTarget : public TMenuKeyTarget {
 public:
  virtual void PressOutside() = 0;
};
void SetActivePopup(TPopupKeyTarget* popup);
TPopupKeyTarget* ActivePopup();

class TCustomForm : public TCustomControl {
 public:
  explicit TCustomForm(TComponent* owner);
  ~TCustomForm() override;
  const char* ClassName() const override { return "TCustomForm"; }
  const TPropTable& Published() const override;

  void SetVisible(bool v) override;
  void SetBounds(int left, int top, int width, int height) override;
  // Shows the form and makes it the active window.
  void ShowForm() { SetVisible(true); }
  // Shows the form modally: other forms take no input until ModalResult is
  // set (by code or a button) or the form is closed (mrCancel). Returns
  // the modal result and hides the form.
  TModalResult ShowModal();
  TModalResult ModalResult() const { return modalResult_; }
  void SetModalResult(TModalResult v);
  bool Modal() const { return modal_; }
  // Asks CloseQuery, then OnClose with the default action (caHide; caFree
  // for a form that said so; for a modal form it only sets mrCancel) and
  // carries the action out.
  void Close();
  virtual bool CloseQuery();
  // Frees the form after the message being handled now (safe from the
  // form's own handlers).
  void Release();

  TFormBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TFormBorderStyle v);
  TPosition Position() const { return position_; }
  void SetPosition(TPosition v) { position_ = v; }
  TFormStyle FormStyle() const { return formStyle_; }
  void SetFormStyle(TFormStyle v);
  TWindowState WindowState() const;
  void SetWindowState(TWindowState v);
  bool KeyPreview = false;
  // A popup or tool window that never takes activation or the keyboard
  // focus, not even when clicked, and never shows in the task bar (menus,
  // drop-down lists, hints, palettes). Set before the form is shown.
  bool NoActivate() const { return noActivate_; }
  void SetNoActivate(bool v);
  // The window this one belongs to: it stays above that window and shows
  // no task-bar button of its own. Forgotten when that window goes.
  TCustomForm* PopupParent() const { return popupParent_; }
  void SetPopupParent(TCustomForm* owner);

  // Docking: the form becomes a control of the dock site (aligned as
  // given) and floats again as a window of the size it had before. A site
  // with DockSite set places the form itself (DockDrop).
  void ManualDock(TWinControl* site, TAlign align = alClient);
  // Floats the form at the given screen rectangle, or at its last floating
  // place and size.
  void ManualFloat(const TRect* screenRect = nullptr);
  bool Floating() const { return parent_ == nullptr; }
  TWinControl* HostDockSite() const { return dockHost_ ? dockHost_ : parent_; }
  // With DockDrag set, dragging the form by its own client area (not by a
  // control on it) docks it on the dock site where the mouse is released,
  // or floats a docked form where it is released outside every site.
  bool DockDrag = false;
  int UndockWidth() const { return undockBounds_.Width(); }
  int UndockHeight() const { return undockBounds_.Height(); }
  TDockEvent OnEndDock;
  // The action Close takes when OnClose leaves it alone.
  TCloseAction DefaultCloseAction = caHide;

  TWinControl* ActiveControl() const { return activeControl_; }
  // Focuses the control when the form is shown (raises when it cannot).
  void SetActiveControl(TWinControl* control);
  bool Active() const;
  // The menu the UI kit puts on the form; a menu that is a TMenuKeyTarget
  // sees the keys of the form's controls first.
  TComponent* Menu = nullptr;

  // The window's shape: only what lies inside shows and takes the mouse
  // (frameless forms that draw a frame of their own). Clearing gives the
  // whole rectangle back.
  void SetWindowRegion(const std::vector<TPoint>& polygon);
  void SetWindowRoundRect(const TRect& r, int cornerWidth, int cornerHeight);
  void ClearWindowRegion();
  bool HasWindowRegion() const;
  // Moving and sizing by the window system, started from a mouse press on
  // the form's own caption or frame (edges: akLeft, akTop, akRight,
  // akBottom); false where the window system cannot do it, and the form
  // then moves itself.
  bool BeginMove();
  bool BeginSize(TAnchors edges);
  // The window's region contains the point (window coordinates); without
  // a region every point of the rectangle.
  bool WindowRegionContains(TPoint p) const;

  // The form's own frame (null: the window system's). Setting one keeps
  // the client size, so the window grows by the frame; a docked form
  // shows no frame. FrameChanged takes new insets and repaints the frame;
  // InvalidateFrame repaints it.
  TFormFrame* Frame() const;
  void SetFrame(TFormFrame* frame);
  void FrameChanged();
  void InvalidateFrame();
  // The frame's widths in force now (0 without a frame or when docked).
  TRect FrameInsets() const;
  int ClientWidth() const override;
  int ClientHeight() const override;
  void Resize() override;

  TNotifyEvent OnShow;
  TNotifyEvent OnHide;
  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;
  TCloseEvent OnClose;
  TCloseQueryEvent OnCloseQuery;
  TNotifyEvent OnDestroy;

  // The form's own key preview; the default fires OnKeyDown when KeyPreview.
  bool PreviewKeyDown(uint16_t& key, TShiftState shift);
  bool PreviewKeyUp(uint16_t& key, TShiftState shift);
  bool PreviewKeyPress(char16_t& key);

  void Activated();
  void Deactivated();
  void FocusChanged(TWinControl* control);
  // A frame the program draws takes the mouse over it first.
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;

 protected:
  void CaptionChanged() override;
  void Notification(TComponent* component, TOperation operation) override;
  virtual void DoShow() { Fire(OnShow, this); }
  virtual void DoHide() { Fire(OnHide, this); }
  virtual void DoClose(TCloseAction& action) { Fire(OnClose, this, std::ref(action)); }

 private:
  void ApplyWindowFlags();
  void PlaceOnShow();
  TFormFrame* frame_ = nullptr;
  TModalResult modalResult_ = mrNone;
  bool modal_ = false;
  bool placed_ = false;
  TFormBorderStyle borderStyle_ = bsSizeable;
  TPosition position_ = poDesigned;
  TFormStyle formStyle_ = fsNormal;
  TWinControl* activeControl_ = nullptr;
  bool noActivate_ = false;
  TCustomForm* popupParent_ = nullptr;
  TRect undockBounds_;
  TWinControl* dockHost_ = nullptr;
  bool dockDragArmed_ = false, dockDragging_ = false;
  TPoint dockDragStart_;
};

class TForm : public TCustomForm {
 public:
  using TCustomForm::TCustomForm;
  const char* ClassName() const override { return "TForm"; }
};

using TIdleEvent = std::function<void(TObject* sender, bool& done)>;
using TMessageEvent = std::function<void(TMessage& message, bool& handled)>;

// The program's application object (one, made on first use).
class TApplication : public TComponent {
 public:
  TApplication();
  ~TApplication() override;
  const char* ClassName() const override { return "TApplication"; }

  // Handles messages until Terminate is called or the main form closes.
  void Run();
  // Handles every message waiting now, then returns.
  void ProcessMessages();
  // Waits for one message (or idle time) and handles it.
  void HandleMessage();
  void Terminate();
  bool Terminated() const { return terminated_; }

  TCustomForm* MainForm() const { return mainForm_; }
  void SetMainForm(TCustomForm* form);
  std::string Title = "Quillstave 4";

  // Hints: the pause before a hint shows, before the next one shows, and
  // how long it stays (milliseconds).
  int HintPause = 500;
  int HintShortPause = 50;
  int HintHidePause = 2500;
  bool ShowHint = true;
  // Shows a hint at once at a screen position (a scroll thumb's position,
  // a pitch under the mouse); CancelHint hides it.
  void ActivateHint(TPoint screenPos, const std::string& text);
  void CancelHint();
  bool HintShowing() const;

  // Runs when the message queue has run empty; done = false asks for
  // another call without waiting.
  TIdleEvent OnIdle;
  // Sees every key message (WM_KEYDOWN, WM_KEYUP, WM_CHAR with the control
  // in LParam as a TWinControl*) and every posted message before its
  // control does; handled = true stops it.
  TMessageEvent OnMessage;
  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;
  // An error that a handler of a message let through: OnException when
  // assigned, otherwise a message to the user; the program goes on.
  std::function<void(TObject* sender, const std::exception& e)> OnException;
  void HandleException(const std::exception& e);

  // The window that has the keyboard focus, null when the program is not
  // active.
  TWinControl* FocusedControl() const;
  // Passes a message through OnMessage; true when handled there.
  bool PreviewMessage(TMessage& message);
  // The control that has the mouse captured (null for none).
  TControl* CaptureControl() const { return captureControl_; }
  void SetCaptureControl(TControl* control);
  int ModalLevel() const { return modalLevel_; }

 private:
  friend class TCustomForm;
  friend class TControl;
  bool Idle();
  bool terminated_ = false;
  TCustomForm* mainForm_ = nullptr;
  TControl* captureControl_ = nullptr;
  int modalLevel_ = 0;
  struct TImpl;
  std::unique_ptr<TImpl> impl_;
};

TApplication& Application();

// Posts a message to a windowed control; it is delivered (OnMessage, then
// WndProc) after the current message, in the order posted. A message to a
// control freed before then is dropped.
void PostMessage(TWinControl* control, uint32_t msg, intptr_t wParam = 0, intptr_t lParam = 0);
// Frees a component after the current message (a popup closing itself
// from its own handler). Nothing happens when it is freed before.
void ReleaseComponent(TComponent* component);

// The screen: the forms, the active form and control, cursors.
class TScreen {
 public:
  int FormCount() const { return static_cast<int>(forms_.size()); }
  TCustomForm* Forms(int index) const;
  TCustomForm* ActiveForm() const;
  TWinControl* ActiveControl() const;

  // The cursor shown over every window (crDefault: each control's own).
  TCursor Cursor() const { return cursor_; }
  void SetCursor(TCursor cursor);
  // Registers a cursor shape under a positive number.
  void SetCursorImage(TCursor id, const TBitmap& image, int hotX, int hotY, bool transparentWhite = true);
  bool HasCursor(TCursor id) const;

  int Width() const;
  int Height() const;
  // The screen without task bars and docks.
  TRect WorkAreaRect() const;
  int PixelsPerInch() const;

  TNotifyEvent OnActiveFormChange;
  TNotifyEvent OnActiveControlChange;

 private:
  friend class TCustomForm;
  std::vector<TCustomForm*> forms_;
  TCursor cursor_ = crDefault;
};

TScreen& Screen();

// Shows a message in a small modal window with an OK button.
void ShowMessage(const std::string& text);

// The program's forms by name, for review tools that show every window
// (formshot). The factory makes the form with its texts in the language
// given ("ENU", "DEU", "FRA", "ITA", "RUS").
using TFormFactory = std::function<std::unique_ptr<TCustomForm>(const std::string& language)>;
void RegisterForm(const std::string& name, TFormFactory factory);
struct TRegisteredForm {
  std::string Name;
  TFormFactory Factory;
};
const std::vector<TRegisteredForm>& RegisteredForms();

}  // namespace qs
