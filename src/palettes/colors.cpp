#include "palettes/colors.h"

#include <memory>
#include <string>

#include "palettes/designchoosers.h"
#include "platform/dialogs.h"
#include "platform/keys.h"
#include "uikit/charbutton.h"
#include "uikit/formparts.h"
#include "uikit/interface.h"

namespace qs {

namespace {
constexpr int kCell = 22;
// The buttons' places: four rows of four, in the order of the rows.
constexpr int kOrder[16] = {0, 1, 2, 3, 8, 9, 10, 11, 4, 5, 6, 7, 12, 13, 14, 15};
}  // namespace

TFColors::TFColors(TComponent* owner) : TForm(owner) {
  SetName("FColors");
  SetBorderStyle(bsToolWindow);
  SetClientWidth(4 + 4 * kCell);
  SetClientHeight(4 + 4 * kCell + 26);
  ApplySkinTemplate(*this, skinkind::Small);
  DefaultCloseAction = caFree;
  for (int place = 0; place < 16; ++place) {
    const int i = kOrder[place];
    const std::string name = "ECCharButton" + std::to_string(i + 1);
    auto* b = Make<TECCharButton>(this, name.c_str(), 2 + (place % 4) * kCell, 2 + (place / 4) * kCell, kCell,
                                  kCell);
    b->SetGroupIndex(1);
    b->SetAllowAllUp(true);
    b->SetFlat(true);
    b->SetCustomDraw(true);
    const TColor colour = kChooserColors[static_cast<size_t>(i)];
    b->OnDrawCharButton = [this, colour](TObject*, TCanvas& c, TRect r) {
      if (suppressClose_) return;
      c.Pen() = TPen{};
      c.Pen().Color = RGB(128, 128, 128);
      c.Brush() = TBrush{};
      c.Brush().Color = colour;
      c.Rectangle(r.Left + 2, r.Top + 2, r.Right - 2, r.Bottom - 2);
    };
    b->OnClick = [this, colour](TObject*) { Choose(colour); };
    Buttons[static_cast<size_t>(i)] = b;
  }
  CBOther = Make<TECCharButton>(this, "CBOther", 2, 4 + 4 * kCell, 4 * kCell, 22);
  CBOther->SetCaption("Other...");
  CDOther = new TColorDialog(this);
  CBOther->OnClick = [this](TObject*) {
    suppressClose_ = true;
    SetVisible(false);
    CDOther->Color = color_;
    const bool ok = CDOther->Execute();
    suppressClose_ = false;
    if (ok) {
      Choose(CDOther->Color);
    } else if (ModalUse) {
      SetModalResult(mrCancel);
    } else {
      Close();
    }
  };
  MakeFormLanguage(this, "FLColors");
  KeyPreview = true;
  OnKeyDown = [this](TObject*, uint16_t& key, TShiftState) {
    if (key != VK_ESCAPE) return;
    key = 0;
    if (ModalUse) SetModalResult(mrCancel);
    else Close();
  };
  watch_ = std::make_unique<TDropDownWatch>(*this);
  watch_->Attach();
}

TFColors::~TFColors() = default;

void TFColors::SetModalUse() {
  ModalUse = true;
  watch_.reset();
  SetNoActivate(false);
  OnShow = nullptr;
  OnHide = nullptr;
}

void TFColors::SetColor(TColor color) {
  if (color == color_) return;
  color_ = color;
  for (size_t i = 0; i < Buttons.size(); ++i)
    if (kChooserColors[i] == color) {
      Buttons[i]->SetDown(true);
      break;
    }
}

void TFColors::Choose(TColor color) {
  color_ = color;
  if (OnChoose) OnChoose(this, color);
  if (ModalUse) SetModalResult(mrOk);
  else Close();
}

bool ChooseColorBelow(const TControl& control, TColor& color) {
  TFColors chooser(nullptr);
  chooser.DefaultCloseAction = caHide;
  chooser.SetModalUse();
  chooser.SetColor(color);
  PlaceBelowControl(control, chooser);
  if (chooser.ShowModal() != mrOk) return false;
  color = chooser.Color();
  return true;
}

void RegisterColorsForms() {
  RegisterForm("FColors", [](const std::string&) -> std::unique_ptr<TCustomForm> {
    auto form = std::make_unique<TFColors>(nullptr);
    form->SetColor(0x0000FF);
    // The form tools free what they show: closing only hides it.
    form->DefaultCloseAction = caHide;
    return form;
  });
}

}  // namespace qs
