#pragma once
// TECCharButton: the tool button of every palette and most dialogs. A
// windowless button with an optional glyph strip and caption, push and
// radio-group behaviour, and on top of that a face character (one
// character of its font, usually the music font, at a fixed position), a
// flat look with a hover effect, a drop-down part at the right edge and a
// small corner text for its shortcut letter.
#include <array>
#include <functional>
#include <memory>
#include <string>

#include "platform/actions.h"
#include "platform/bitmap.h"
#include "platform/controls.h"
#include "uikit/frames.h"

namespace qs {

enum TButtonLayout : uint8_t { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
enum TButtonState : uint8_t { bsUp, bsDisabled, bsDown, bsExclusive };

// Draws the face content of a custom-drawn button within rect.
using TECOnDrawCharButtonEvent = std::function<void(TObject* sender, TCanvas& canvas, TRect rect)>;

class TECCharButton : public TGraphicControl {
 public:
  explicit TECCharButton(TComponent* owner);
  ~TECCharButton() override;
  const char* ClassName() const override { return "TECCharButton"; }
  const TPropTable& Published() const override;

  // The face character's code (0 for none) and its top-left corner.
  uint8_t Byte() const { return byte_; }
  void SetByte(uint8_t v);
  int PosX() const { return posX_; }
  void SetPosX(int v);
  int PosY() const { return posY_; }
  void SetPosY(int v);
  bool Antialiased() const { return antialiased_; }
  void SetAntialiased(bool v);

  bool Flat() const { return flat_; }
  void SetFlat(bool v);
  bool BlackBorder() const { return blackBorder_; }
  void SetBlackBorder(bool v);
  TColor BorderColor() const { return borderColor_; }
  void SetBorderColor(TColor v);
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool v);

  // The glyph strip: 1..4 images side by side (up, disabled, down,
  // exclusive).
  const TBitmap* Glyph() const { return glyph_.get(); }
  void SetGlyph(const TBitmap* bitmap);
  int NumGlyphs() const { return numGlyphs_; }
  void SetNumGlyphs(int v);
  TButtonLayout Layout() const { return layout_; }
  void SetLayout(TButtonLayout v);
  int Margin() const { return margin_; }
  void SetMargin(int v);
  int Spacing() const { return spacing_; }
  void SetSpacing(int v);

  int GroupIndex() const { return groupIndex_; }
  void SetGroupIndex(int v);
  bool Down() const { return down_; }
  void SetDown(bool v);
  bool AllowAllUp() const { return allowAllUp_; }
  void SetAllowAllUp(bool v);

  int DropWidth() const { return dropWidth_; }
  void SetDropWidth(int v);
  TECArrowStyle ArrowStyle() const { return arrowStyle_; }
  void SetArrowStyle(TECArrowStyle v);
  const std::string& ExpandText() const { return expandText_; }
  void SetExpandText(const std::string& v);
  bool CustomDraw() const { return customDraw_; }
  void SetCustomDraw(bool v);

  TECOnDrawCharButtonEvent OnDrawCharButton;
  TNotifyEvent OnButtonClick;

  // The command the button stands for: its caption, hint, state and
  // visibility follow the action, Checked holds a group button down, a
  // click without OnClick executes it, and a button without a glyph takes
  // the action's picture from its list.
  TAction* Action() const { return actionLink_.Action(); }
  void SetAction(TAction* v);

  TButtonState State() const { return state_; }
  bool Hovered() const { return mouseInControl_; }

  // Draws the grey silhouette of the current state's glyph on another
  // canvas (the shadow of the hover effect).
  void DrawGlyph(TCanvas& canvas, int x, int y);
  // A key typed with Alt (or in a dialog): clicks the button when it is
  // the accelerator letter of its caption; true when taken.
  bool DialogChar(char16_t key);

  void Paint() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseEnter() override;
  void MouseLeave() override;
  void DblClick() override;
  void Click() override;
  void SetEnabled(bool v) override;
  void Notification(TComponent* component, TOperation operation) override;

 private:
  void ActionChange(bool checkDefaults);
  void UpdateExclusive();
  // Another button of the group went down.
  void GroupButtonPressed(TECCharButton* sender);
  bool Inside(int x, int y) const;
  // The image of a state, built on first use.
  const TBitmap* StateImage(TButtonState state);
  void DropImages();
  void PaintGlyphAndCaption(TCanvas& c, const TRect& client, TPoint offset, bool shadowOnly);

  uint8_t byte_ = 0;
  int posX_ = 0, posY_ = 0;
  bool antialiased_ = false;
  bool flat_ = false, blackBorder_ = false, transparent_ = true;
  TColor borderColor_ = 0;
  std::unique_ptr<TBitmap> glyph_;
  int numGlyphs_ = 1;
  std::array<std::unique_ptr<TBitmap>, 4> images_;
  TButtonLayout layout_ = blGlyphLeft;
  int margin_ = -1, spacing_ = 4;
  int groupIndex_ = 0;
  bool down_ = false, allowAllUp_ = false;
  int dropWidth_ = 0;
  TECArrowStyle arrowStyle_ = asDown;
  std::string expandText_;
  bool customDraw_ = false;

  TButtonState state_ = bsUp;
  bool dragging_ = false;
  bool mouseInControl_ = false;
  bool dropPressed_ = false;
  TActionChangeLink actionLink_{this, [this](TObject*) { ActionChange(false); }};
};

// The accelerator letter of a caption ("&Open" -> 'o'), lower case; 0 for
// none ("&&" is a plain ampersand).
char16_t AcceleratorOf(const std::string& caption);
// The caption as shown: "&&" -> "&", other ampersands dropped.
std::string StripAccelerator(const std::string& caption);

}  // namespace qs
