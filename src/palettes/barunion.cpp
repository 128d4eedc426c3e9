#include "palettes/barunion.h"

#include <algorithm>
#include <initializer_list>
#include <memory>

#include "base/strings.h"
#include "palettes/glyphpainters.h"
#include "platform/comctrls.h"
#include "platform/extctrls.h"
#include "platform/stdctrls.h"
#include "uikit/charbutton.h"
#include "uikit/formparts.h"

namespace qs {

TFBarUnion::TFBarUnion(TComponent* owner) : TForm(owner) {
  SetName("FBarUnion");
  SetCaption("Join notes style");
  SetBorderStyle(bsDialog);
  SetPosition(poScreenCenter);
  SetClientWidth(320);
  SetClientHeight(188);
  ApplySkinTemplate(*this, skinkind::Small);

  CBActive = Make<TCheckBox>(this, this, "CBActive", 10, 6, 300, 20);
  CBActive->SetCaption("Own joining style");
  GBBarUnion = Make<TGroupBox>(this, this, "GBBarUnion", 8, 30, 304, 116);
  GBBarUnion->SetCaption("Style");
  // The pictures are drawn by their parent, which a group box is not.
  PBarUnion = Make<TPanel>(this, GBBarUnion, "PBarUnion", 8, 18, 288, 62);
  PBarUnion->SetBevelOuter(bvNone);
  TECCharButton** buttons[] = {&CBNone, &CBFull, &CBSize, &CBCustom};
  TLabel** labels[] = {&LNone, &LFull, &LSize, &LCustom};
  const char* buttonNames[] = {"CBNone", "CBFull", "CBSize", "CBCustom"};
  const char* labelNames[] = {"LNone", "LFull", "LSize", "LCustom"};
  const char* labelTexts[] = {"None", "Measure", "By beats", "Custom"};
  for (int i = 0; i < 4; ++i) {
    const int left = i * 72;
    TECCharButton* b = Make<TECCharButton>(this, PBarUnion, buttonNames[i], left + 16, 0, 40, 40);
    b->SetGroupIndex(1);
    b->SetCustomDraw(true);
    b->OnDrawCharButton = [this, b, i](TObject*, TCanvas& canvas, TRect rect) {
      const int style = i < 3 ? i : GetUnionStyle() > 2 ? GetUnionStyle() : UDUnionCount->Position() + 1;
      DrawBarUnionStyle(*b, canvas, CBActive->Checked(), style, rect);
    };
    b->OnClick = [this](TObject*) { Changed(); };
    *buttons[i] = b;
    TLabel* l = Make<TLabel>(this, PBarUnion, labelNames[i], left, 44, 70, 16);
    l->SetCaption(labelTexts[i]);
    *labels[i] = l;
  }
  CBNone->SetDown(true);
  EUnionCount = Make<TEdit>(this, GBBarUnion, "EUnionCount", 240, 86, 34, 21);
  UDUnionCount = Make<TUpDown>(this, GBBarUnion, "UDUnionCount", 274, 86, 17, 21);
  UDUnionCount->Min = 2;
  UDUnionCount->Max = 100;
  UDUnionCount->SetAssociate(EUnionCount);
  UDUnionCount->SetPosition(2);
  BBOk = MakeOkButton(this, "&OK", 156, 156);
  BBOk->ModalResult = mrOk;
  BBCancel = MakeCancelButton(this, 237, 156);
  LBarUnion = MakeFormLanguage(this, "LBarUnion");

  CBActive->OnClick = [this](TObject*) { Changed(); };
  EUnionCount->OnChange = [this](TObject*) { Changed(); };
  UpdateControls();
}

void TFBarUnion::Changed() {
  UpdateControls();
  if (OnChange && !Suppress) OnChange(this);
}

void TFBarUnion::UpdateControls() {
  const bool active = CBActive->Checked();
  for (TControl* c : std::initializer_list<TControl*>{GBBarUnion, LNone, LFull, LSize, LCustom}) c->SetEnabled(active);
  for (TControl* c : std::initializer_list<TControl*>{EUnionCount, UDUnionCount}) c->SetEnabled(active && CBCustom->Down());
  // An inactive style is drawn crossed out.
  for (TECCharButton* b : {CBNone, CBFull, CBSize, CBCustom}) b->Invalidate();
}

bool TFBarUnion::GetActive() const { return CBActive->Checked(); }

uint8_t TFBarUnion::GetUnionStyle() const {
  if (CBNone->Down()) return 0;
  if (CBFull->Down()) return 1;
  if (CBSize->Down()) return 2;
  const int typed = StrToIntSafe(Trim(EUnionCount->Text()), UDUnionCount->Position());
  return static_cast<uint8_t>(std::clamp(typed, UDUnionCount->Min, UDUnionCount->Max) + 1);
}

void TFBarUnion::SetActive(bool active) {
  CBActive->SetChecked(active);
  UpdateControls();
}

void TFBarUnion::SetUnionStyle(uint8_t style) {
  TECCharButton* fixed[] = {CBNone, CBFull, CBSize};
  if (style < 3) {
    fixed[style]->SetDown(true);
  } else {
    CBCustom->SetDown(true);
    UDUnionCount->SetPosition(std::clamp(style - 1, UDUnionCount->Min, UDUnionCount->Max));
  }
  UpdateControls();
}

void TFBarUnion::SetDialogMode(bool dialog) {
  BBOk->SetVisible(dialog);
  BBCancel->SetVisible(dialog);
  SetClientHeight(dialog ? 188 : 150);
}

void RegisterBarUnionForms() {
  RegisterForm("FBarUnion", [](const std::string&) -> std::unique_ptr<TCustomForm> {
    auto form = std::make_unique<TFBarUnion>(nullptr);
    form->SetActive(true);
    form->SetUnionStyle(4);
    return form;
  });
}

}  // namespace qs
