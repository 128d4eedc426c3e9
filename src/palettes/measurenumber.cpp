#include "palettes/measurenumber.h"

#include <algorithm>
#include <memory>

#include "base/inifile.h"
#include "base/strings.h"
#include "platform/comctrls.h"
#include "platform/stdctrls.h"
#include "uikit/formparts.h"

namespace qs {
namespace {
constexpr const char* kSection = "BarNumberForm";
constexpr const char* kPartOnlyKey = "ActivePartOnly";
}  // namespace

TFMeasureNumber::TFMeasureNumber(TComponent* owner, TIniFile* settings) : TForm(owner), settings_(settings) {
  SetName("FMeasureNumber");
  SetCaption("Measures");
  SetBorderStyle(bsDialog);
  SetPosition(poScreenCenter);
  SetClientWidth(232);
  SetClientHeight(128);
  ApplySkinTemplate(*this, skinkind::Normal);

  LStart = Make<TLabel>(this, "LStart", 12, 12, 208, 16);
  LStart->SetCaption("Start number");
  EStart = Make<TEdit>(this, "EStart", 12, 34, 60, 21);
  EStart->SetTabStop(true);
  UDStart = Make<TUpDown>(this, "UDStart", 72, 34, 17, 21);
  UDStart->Min = 1;
  UDStart->Max = 100;
  UDStart->SetAssociate(EStart);
  UDStart->SetPosition(1);
  CBActivePartOnly = Make<TCheckBox>(this, "CBActivePartOnly", 12, 62, 208, 20);
  CBActivePartOnly->SetCaption("Active part only");
  CBActivePartOnly->SetTabStop(true);
  BBOk = MakeOkButton(this, "&OK", 64, 94);
  BBOk->ModalResult = mrOk;
  BBCancel = MakeCancelButton(this, 145, 94);
  LMeasureNumber = MakeFormLanguage(this, "LMeasureNumber");

  if (settings_) {
    TRect bounds = BoundsRect();
    // Only the place comes back: the dialog keeps its own size.
    if (ReadFormBounds(*settings_, kSection, bounds)) SetBounds(bounds.Left, bounds.Top, Width(), Height());
    CBActivePartOnly->SetChecked(settings_->ReadBool(kSection, kPartOnlyKey, false));
  }
}

TFMeasureNumber::~TFMeasureNumber() {
  if (!settings_) return;
  WriteFormBounds(*settings_, kSection, BoundsRect());
  settings_->WriteBool(kSection, kPartOnlyKey, CBActivePartOnly->Checked());
}

void TFMeasureNumber::SetStartCaption() { LStart->SetCaption(LMeasureNumber->GetMessage(0, "Number of measures")); }

int TFMeasureNumber::Number() const {
  const int typed = StrToIntSafe(Trim(EStart->Text()), UDStart->Position());
  return std::clamp(typed, UDStart->Min, UDStart->Max);
}

bool TFMeasureNumber::ActivePartOnly() const { return CBActivePartOnly->Checked(); }

bool AskMeasureCount(TIniFile* settings, int& count, bool& partOnly) {
  TFMeasureNumber dialog(nullptr, settings);
  dialog.SetStartCaption();
  if (dialog.ShowModal() != mrOk) return false;
  count = dialog.Number();
  partOnly = dialog.ActivePartOnly();
  return true;
}

void RegisterMeasureNumberForms() {
  RegisterForm("FMeasureNumber", [](const std::string&) -> std::unique_ptr<TCustomForm> {
    return std::make_unique<TFMeasureNumber>(nullptr, nullptr);
  });
}

}  // namespace qs
