#pragma once
// Window skins: a form's frame drawn from pictures instead of the window
// system's. A TECFormDesigner owned by the form paints the caption strip,
// the borders and the caption buttons, gives the window its rounded shape,
// and moves, sizes, minimizes, maximizes and closes the window from its
// frame. Five ready-made skins (templates) cover the program's windows.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/exceptions.h"
#include "platform/forms.h"
#include "uikit/skinkinds.h"

namespace qs {

class TBitmap;

// A picture of a skin; empty (null) when the skin has none in that role.
// Pictures are shared between copies of a skin and never changed.
using TSkinPicture = std::shared_ptr<TBitmap>;
int PictureWidth(const TSkinPicture& p);
int PictureHeight(const TSkinPicture& p);

class DException : public Exception { using Exception::Exception; };

// The caption strip.
class TECFormCaption : public TPersistent {
 public:
  TECFormCaption();
  const char* ClassName() const override { return "TECFormCaption"; }
  void Assign(const TECFormCaption& source);

  int Height = 16;      // 0: no caption
  int TextLeft = -1;    // title start from the left; -1: after the left picture and icon
  int TextRight = -1;   // title limit from the right edge; -1: the start of the right picture
  TSkinPicture Icon;
  // Show the icon: Icon, or without it the window's own (the program's),
  // 16 x 16.
  bool IconVisible = false;
  int IconLeft = 4, IconTop = 3;
  TColor Color = clBlack;  // fill before the pictures; none when clBtnFace
  TFont Font;
  TSkinPicture ActiveLeftPicture, DeactiveLeftPicture;
  TSkinPicture ActiveCenterPicture, DeactiveCenterPicture;
  TSkinPicture ActiveRightPicture, DeactiveRightPicture;
  TSkinPicture ActiveMinRightPicture, DeactiveMinRightPicture;
};

// The borders: edges tiled, corners once; "De" pictures for an inactive
// window. Simple draws a rounded pen frame instead.
class TECFormBorder : public TPersistent {
 public:
  const char* ClassName() const override { return "TECFormBorder"; }
  void Assign(const TECFormBorder& source);
  int LeftWidth() const { return PictureWidth(LeftPicture); }
  int RightWidth() const { return PictureWidth(RightPicture); }
  int BottomHeight() const { return PictureHeight(BottomPicture); }

  bool Simple = false;
  TPen Pen;
  TSkinPicture LeftPicture, RightPicture, BottomPicture, LeftBottomPicture, RightBottomPicture, LeftTopPicture,
      RightTopPicture;
  TSkinPicture DeLeftPicture, DeRightPicture, DeBottomPicture, DeLeftBottomPicture, DeRightBottomPicture,
      DeLeftTopPicture, DeRightTopPicture;
};

enum class TECButtonStyle : uint8_t { bsCustom, bsNormal, bsMinimized, bsMaximized, bsClose };
// A caption button's look: normal, under the mouse, pressed.
enum class TECButtonState : uint8_t { Normal, Hot, Pressed };

using TECButtonShowEvent = std::function<void(TObject* sender, bool& visible, int& x, int& y)>;

class TECFormDesigner;

// A caption button: a strip of up to four frames (normal, hot, pressed,
// inactive window) of Width each.
class TECFormButton : public TCollectionItem {
 public:
  const char* ClassName() const override { return "TECFormButton"; }
  int Left = 0, Top = 0;  // from the caption's left, or with RightAlign the right edge's distance from the window's
  int Width = 16, Height = 14;
  bool RightAlign = false;
  // Top counts upwards: the button's bottom edge lies Top pixels above the
  // caption's bottom.
  bool BottomAlign = false;
  TECButtonStyle Style = TECButtonStyle::bsCustom;
  TSkinPicture Picture;
  bool Transparent = false;
  TNotifyEvent OnClick;
  TECButtonShowEvent OnShow;

  TECButtonState State() const { return state_; }
  // Where the button was placed for the last paint (window coordinates).
  TRect PaintRect() const { return rect_; }

 private:
  friend class TECFormDesigner;
  TECButtonState state_ = TECButtonState::Normal;
  TRect rect_;
  bool shown_ = false;
};

class TECFormButtons : public TCollection {
 public:
  TECFormButtons();
  TECFormButton* Add() { return static_cast<TECFormButton*>(TCollection::Add()); }
  TECFormButton* Items(int index) const { return static_cast<TECFormButton*>(TCollection::Items(index)); }
};

// What lies under a point of a skinned window (window coordinates).
enum class TECHitTest : uint8_t {
  Nowhere, Client, Caption, Button, Border, Left, Right, Top, Bottom, TopLeft, TopRight, BottomLeft, BottomRight
};

using TECOnChangeActiveEvent = std::function<void(TObject* sender, bool active)>;
// Supplies the window's shape (a polygon in window coordinates) in place of
// the rounded rectangle.
using TECOnCreateRgnEvent = std::function<void(TObject* sender, std::vector<TPoint>& region)>;

class TECFormDesigner : public TComponent, public TFormFrame {
 public:
  // Raises DException without an owner, when the owner is not a form or
  // when the form has a designer already.
  explicit TECFormDesigner(TComponent* owner);
  ~TECFormDesigner() override;
  const char* ClassName() const override { return "TECFormDesigner"; }

  // Copies a skin: border, caption, buttons (without their events),
  // wallpaper, Active and the corner ellipse.
  void Assign(const TECFormDesigner& source);

  bool Active() const { return active_; }
  void SetActive(bool v);
  bool FullScreen = false;  // no frame at all
  bool FullMaxSize = false;
  TECFormBorder& BorderSetting() { return border_; }
  TECFormCaption& CaptionSetting() { return caption_; }
  TECFormButtons& Buttons() { return buttons_; }
  const TSkinPicture& WallPaper() const { return wallPaper_; }
  void SetWallPaper(TSkinPicture p);
  int WidthEllipse() const { return widthEllipse_; }
  int HeightEllipse() const { return heightEllipse_; }
  void SetWidthEllipse(int v);
  void SetHeightEllipse(int v);
  TECOnChangeActiveEvent OnChangeActive;
  TECOnCreateRgnEvent OnCreateRgn;
  // A move by the caption that the frame followed itself ended with the
  // pointer released at this screen point.
  std::function<void(TPoint screen)> OnMoveEnd;

  // The form's frame is taken again from the settings (after changing
  // them) and repainted.
  void RecalcFrame();
  // Active and the form not docked into another control.
  bool Skinned() const;
  // Whether the frame shows the look of an active window.
  bool FrameActive() const { return frameActive_; }
  TECHitTest HitTest(TPoint p) const;
  // The first visible caption button under the point, or null.
  TECFormButton* ButtonAt(TPoint p) const;
  // Sets the window's shape from the settings.
  void UpdateRegion();
  TCustomForm* Form() const { return form_; }

  // The frame of the form.
  TRect FrameInsets() const override;
  void PaintFrame(TCanvas& canvas) override;
  bool PaintClient(TCanvas& canvas) override;
  void FrameMouse(TMouse kind, TMouseButton button, TShiftState shift, TPoint p) override;
  TCursor FrameCursor(TPoint p) const override;
  void FrameActivation(bool active) override;
  void FrameResized() override;
  void FrameCaptionChanged() override;

 private:
  TWindowState PaintState() const;
  bool ButtonVisible(TECFormButton& b, TWindowState state, int& x, int& y);
  void PlaceButtons();
  void PaintButton(TCanvas& canvas, TECFormButton& b);
  void SetButtonState(TECFormButton* b, TECButtonState s);
  void RunButton(TECFormButton& b);
  void EndDrag();

  TCustomForm* form_;
  bool active_ = false;
  bool frameActive_ = false;
  TECFormBorder border_;
  TECFormCaption caption_;
  TECFormButtons buttons_;
  TSkinPicture wallPaper_;
  int widthEllipse_ = 0, heightEllipse_ = 0;
  bool assigning_ = false;
  TECFormButton* hot_ = nullptr;
  TECFormButton* pressed_ = nullptr;
  // Moving or sizing by the frame where the window system does not.
  TECHitTest drag_ = TECHitTest::Nowhere;
  TPoint dragStart_;
  TRect dragBounds_;
};

// The template form of a skin kind (skinkind::Normal ...), holding its designer "FormDesigne"; null
// for any other kind.
std::unique_ptr<TForm> CreateSkinTemplate(int kind);

// A picture of the skins ("Small-Close"), read once; null when missing.
TSkinPicture LoadSkinPicture(const std::string& name);

// The program's icon (16 x 16), which stands for a window's own icon in a
// caption that shows one; null when its picture is missing.
TSkinPicture ProgramIcon();

// Makes the skinned sample windows known to the review tools.
void RegisterSkinForms();

}  // namespace qs
