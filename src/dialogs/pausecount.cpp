#include "dialogs/pausecount.h"

#include <algorithm>
#include <memory>

#include "base/inifile.h"
#include "base/strings.h"
#include "platform/comctrls.h"
#include "platform/stdctrls.h"
#include "uikit/formparts.h"

namespace qs {
namespace {
constexpr const char* kSection = "PauseCountForm";
}  // namespace

TFPauseCount::TFPauseCount(TComponent* owner, TIniFile* settings) : TForm(owner), settings_(settings) {
  SetName("FPauseCount");
  SetCaption("Count");
  SetBorderStyle(bsDialog);
  SetPosition(poScreenCenter);
  SetClientWidth(212);
  SetClientHeight(104);
  ApplySkinTemplate(*this, skinkind::Normal);

  LCount = Make<TLabel>(this, "LCount", 12, 12, 188, 16);
  LCount->SetCaption("Count");
  ECount = Make<TEdit>(this, "ECount", 12, 34, 60, 21);
  ECount->SetTabStop(true);
  UDCount = Make<TUpDown>(this, "UDCount", 72, 34, 17, 21);
  UDCount->Min = 2;
  UDCount->Max = 20;
  UDCount->SetAssociate(ECount);
  UDCount->SetPosition(2);
  BBOk = MakeOkButton(this, "&OK", 44, 70);
  BBOk->ModalResult = mrOk;
  BBCancel = MakeCancelButton(this, 125, 70);
  LPauseCount = MakeFormLanguage(this, "LPauseCount");

  if (settings_) {
    TRect bounds = BoundsRect();
    // Only the place comes back: the dialog keeps its own size.
    if (ReadFormBounds(*settings_, kSection, bounds)) SetBounds(bounds.Left, bounds.Top, Width(), Height());
  }
}

TFPauseCount::~TFPauseCount() {
  if (settings_) WriteFormBounds(*settings_, kSection, BoundsRect());
}

int TFPauseCount::Count() const {
  const int typed = StrToIntSafe(Trim(ECount->Text()), UDCount->Position());
  return std::clamp(typed, UDCount->Min, UDCount->Max);
}

int AskCountDialog(TIniFile* settings, const std::string& caption, int minimum, int position) {
  TFPauseCount dialog(nullptr, settings);
  if (!caption.empty()) dialog.LCount->SetCaption(caption);
  dialog.UDCount->Min = minimum;
  dialog.UDCount->SetPosition(std::clamp(position, minimum, dialog.UDCount->Max));
  if (dialog.ShowModal() != mrOk) return 0;
  return dialog.Count();
}

void RegisterPauseCountForms() {
  RegisterForm("FPauseCount", [](const std::string&) -> std::unique_ptr<TCustomForm> {
    return std::make_unique<TFPauseCount>(nullptr, nullptr);
  });
}

}  // namespace qs
