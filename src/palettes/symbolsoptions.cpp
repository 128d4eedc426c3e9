#include "palettes/symbolsoptions.h"

#include <memory>

#include "platform/stdctrls.h"
#include "uikit/formparts.h"

namespace qs {

namespace {

TRadioButton* Choice(TComponent* owner, TWinControl* parent, const char* name, int left, int top, int width) {
  auto* rb = Make<TRadioButton>(owner, parent, name, left, top, width, 20);
  rb->SetTabStop(true);
  return rb;
}

}  // namespace

TFRehearsalMark::TFRehearsalMark(TComponent* owner) : TDropDownPicker(owner, "FRehearsalMark", 420, 104) {
  SetCaption("Rehearsal marks");
  RGNumeration = Make<TGroupBox>(this, "RGNumeration", 4, 2, 144, 98);
  RGNumeration->SetCaption("Numbering");
  RBAutomatic = Choice(this, RGNumeration, "RBAutomatic", 8, 22, 130);
  RBAutomatic->SetCaption("Automatic");
  RBCustom = Choice(this, RGNumeration, "RBCustom", 8, 46, 130);
  RBCustom->SetCaption("Ask each time");
  RGKind = Make<TGroupBox>(this, "RGKind", 152, 2, 124, 98);
  RGKind->SetCaption("Kind");
  RBLetters = Choice(this, RGKind, "RBLetters", 8, 22, 110);
  RBLetters->SetCaption("Letters");
  RBDigits = Choice(this, RGKind, "RBDigits", 8, 46, 110);
  RBDigits->SetCaption("Digits");
  RGBorder = Make<TGroupBox>(this, "RGBorder", 280, 2, 136, 98);
  RGBorder->SetCaption("Frame");
  RBNone = Choice(this, RGBorder, "RBNone", 8, 22, 122);
  RBNone->SetCaption("None");
  RBRectangle = Choice(this, RGBorder, "RBRectangle", 8, 46, 122);
  RBRectangle->SetCaption("Rectangle");
  RBCircle = Choice(this, RGBorder, "RBCircle", 8, 70, 122);
  RBCircle->SetCaption("Circle");
  for (TRadioButton* rb : {RBAutomatic, RBCustom, RBLetters, RBDigits, RBNone, RBRectangle, RBCircle})
    rb->OnClick = [this](TObject*) {
      if (!presetting_ && OnChange) OnChange(*this);
    };
  Preset(0, 0, 1);
  Finish();
}

void TFRehearsalMark::Preset(int numeration, int kind, int border) {
  presetting_ = true;
  (numeration == 1 ? RBCustom : RBAutomatic)->SetChecked(true);
  (kind == 1 ? RBDigits : RBLetters)->SetChecked(true);
  (border == 0 ? RBNone : border == 2 ? RBCircle : RBRectangle)->SetChecked(true);
  presetting_ = false;
}

int TFRehearsalMark::GetNumeration() const { return RBCustom->Checked() ? 1 : 0; }
int TFRehearsalMark::GetKind() const { return RBDigits->Checked() ? 1 : 0; }
int TFRehearsalMark::GetBorderKind() const { return RBCircle->Checked() ? 2 : RBRectangle->Checked() ? 1 : 0; }

TFNumber::TFNumber(TComponent* owner) : TDropDownPicker(owner, "FNumber", 224, 104) {
  SetCaption("Measure numbers");
  RBBar = Choice(this, this, "RBBar", 8, 4, 210);
  RBBar->SetCaption("On every measure");
  RBRow = Choice(this, this, "RBRow", 8, 28, 210);
  RBRow->SetCaption("At the start of each line");
  RBPage = Choice(this, this, "RBPage", 8, 52, 210);
  RBPage->SetCaption("At the start of each page");
  RBTen = Choice(this, this, "RBTen", 8, 76, 210);
  RBTen->SetCaption("On every tenth measure");
  for (TRadioButton* rb : {RBBar, RBRow, RBPage, RBTen})
    rb->OnClick = [this](TObject*) {
      if (presetting_) return;
      if (OnChange) OnChange(*this);
      CloseAfterChoice();
    };
  SetStyle(0);
  Finish();
}

int TFNumber::GetStyle() const { return RBTen->Checked() ? 3 : RBPage->Checked() ? 2 : RBRow->Checked() ? 1 : 0; }

void TFNumber::SetStyle(int style) {
  presetting_ = true;
  (style == 3 ? RBTen : style == 2 ? RBPage : style == 1 ? RBRow : RBBar)->SetChecked(true);
  presetting_ = false;
}

void RegisterSymbolsOptionForms() {
  // Shown alone by the form tools, which free them: closing only hides.
  RegisterForm("FRehearsalMark", [](const std::string&) -> std::unique_ptr<TCustomForm> {
    auto form = std::make_unique<TFRehearsalMark>(nullptr);
    form->DefaultCloseAction = caHide;
    return form;
  });
  RegisterForm("FNumber", [](const std::string&) -> std::unique_ptr<TCustomForm> {
    auto form = std::make_unique<TFNumber>(nullptr);
    form->DefaultCloseAction = caHide;
    return form;
  });
}

}  // namespace qs
