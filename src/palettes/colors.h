#pragma once
// TFColors: the drop-down colour chooser of the Design palette and the text
// dialogs: sixteen fixed colours and a button for the system's colour
// dialog. Colours are $BBGGRR values.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>

#include "platform/canvas.h"
#include "platform/forms.h"

namespace qs {

class TECCharButton;
class TColorDialog;
class TDropDownWatch;

// The sixteen colours, by button (ECCharButton1 .. ECCharButton16).
inline constexpr std::array<TColor, 16> kChooserColors = {
    0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080, 0x808000, 0x808080,
    0xC0C0C0, 0x0000FF, 0x00FF00, 0x00FFFF, 0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF};

class TFColors : public TForm {
 public:
  explicit TFColors(TComponent* owner);
  ~TFColors() override;
  const char* ClassName() const override { return "TFColors"; }

  std::array<TECCharButton*, 16> Buttons{};
  TECCharButton* CBOther = nullptr;
  TColorDialog* CDOther = nullptr;

  // A colour that differs from the current one becomes current and presses
  // the first button that holds it; a colour none holds leaves the pressed
  // button as it was.
  void SetColor(TColor color);
  TColor Color() const { return color_; }
  std::function<void(TObject* sender, TColor color)> OnChoose;
  // Shown modally (the text dialogs) instead of as a drop-down; call
  // before showing.
  void SetModalUse();
  bool ModalUse = false;

 private:
  void Choose(TColor color);
  TColor color_ = 0;
  bool suppressClose_ = false;
  std::unique_ptr<TDropDownWatch> watch_;
};

// Shows the chooser modally under control with the colour; true and the
// chosen colour when one was chosen.
bool ChooseColorBelow(const TControl& control, TColor& color);

void RegisterColorsForms();

}  // namespace qs
