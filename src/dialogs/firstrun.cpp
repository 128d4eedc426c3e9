#include "dialogs/firstrun.h"

#include <algorithm>
#include <memory>

#include "dialogs/devicehost.h"
#include "platform/stdctrls.h"
#include "uikit/catalogue.h"
#include "uikit/formparts.h"

namespace qs {

namespace {
constexpr const char* kCodes[5] = {"ENU", "DEU", "FRA", "ITA", "RUS"};
}  // namespace

const char* StartLanguageCode(int index) { return index >= 0 && index < 5 ? kCodes[index] : "DEU"; }

int StartLanguageIndex(const std::string& code) {
  for (int i = 0; i < 4; ++i)
    if (code == kCodes[i]) return i;
  return 4;
}

TFStartModule::TFStartModule(TComponent* owner, TSettings* settings, TDeviceHost* host)
    : TForm(owner), settings_(settings), host_(host) {
  SetName("FStartModule");
  SetCaption("Main settings");
  SetBorderStyle(bsDialog);
  SetPosition(poScreenCenter);
  SetClientWidth(420);
  SetClientHeight(318);
  ApplySkinTemplate(*this, skinkind::Normal);
  KeyPreview = true;
  if (settings_) settings_->Load(news_);

  GBDevices = Make<TGroupBox>(this, "GBDevices", 8, 8, 404, 142);
  Make<TLabel>(this, GBDevices, "LInput", 10, 20, 380, 16);
  CBInput = Make<TComboBox>(this, GBDevices, "CBInput", 10, 38, 384, 22);
  CBInput->SetStyle(csDropDownList);
  Make<TLabel>(this, GBDevices, "LOutput", 10, 66, 380, 16);
  CBOutput = Make<TComboBox>(this, GBDevices, "CBOutput", 10, 84, 384, 22);
  CBOutput->SetStyle(csDropDownList);
  BBTest = Make<TButton>(this, GBDevices, "BBTest", 10, 112, 120, 24);
  BBStop = Make<TButton>(this, GBDevices, "BBStop", 10, 112, 120, 24);
  BBStop->SetVisible(false);
  BBVolume = Make<TButton>(this, GBDevices, "BBVolume", 140, 112, 200, 24);
  RGLanguage = Make<TGroupBox>(this, "RGLanguage", 8, 156, 404, 90);
  const char* names[5] = {"RBEnglish", "RBDeutsch", "RBFrench", "RBItalian", "RBRussian"};
  for (int i = 0; i < 5; ++i) {
    Languages[i] = Make<TRadioButton>(this, RGLanguage, names[i], 10 + (i % 3) * 130, 22 + (i / 3) * 30, 124, 20);
    Languages[i]->OnClick = [this, i](TObject*) { RGLanguageClick(i); };
  }
  CBNews = Make<TCheckBox>(this, this, "CBNews", 12, 254, 396, 20);
  BBClose = Make<TButton>(this, this, "BBClose", 337, 284, 75, 25);
  BBClose->ModalResult = mrOk;
  BBClose->Cancel = true;
  BBClose->SetDefault(true);
  FLStartModule = MakeFormLanguage(this, "FLStartModule");

  if (host_) {
    outputs_ = host_->OutputDevices();
    inputs_ = host_->InputDevices();
  }
  TStringList outputs, inputs;
  for (const std::string& d : outputs_) outputs.Add(d);
  for (const std::string& d : inputs_) inputs.Add(d);
  CBOutput->SetItems(outputs);
  CBInput->SetItems(inputs);
  const auto index = [](const std::vector<std::string>& list, const std::string& name) {
    const auto it = std::find(list.begin(), list.end(), name);
    return it == list.end() ? (list.empty() ? -1 : 0) : static_cast<int>(it - list.begin());
  };
  CBOutput->SetItemIndex(index(outputs_, host_ ? host_->OutputDevice() : std::string()));
  CBInput->SetItemIndex(index(inputs_, host_ ? host_->InputDevice() : std::string()));
  Languages[StartLanguageIndex(InterfaceLanguage())]->SetChecked(true);
  BBTest->SetVisible(host_ && host_->HasTestFile());
  BBVolume->SetVisible(host_ && host_->HasVolumeProgram());
  CBNews->SetChecked(news_.News);

  CBInput->OnChange = [this](TObject*) { CBInputChange(); };
  CBOutput->OnChange = [this](TObject*) { CBOutputChange(); };
  CBNews->OnClick = [this](TObject*) { CBNewsClick(); };
  BBTest->OnClick = [this](TObject*) { BBTestClick(); };
  BBStop->OnClick = [this](TObject*) { BBStopClick(); };
  BBVolume->OnClick = [this](TObject*) {
    if (host_) host_->StartVolumeProgram();
  };
  OnKeyDown = [this](TObject*, uint16_t& key, TShiftState) {
    if (key == 27) {
      SetModalResult(mrCancel);
      key = 0;
    }
  };
}

TFStartModule::~TFStartModule() {
  if (host_) host_->StopTestPlay();
}

void TFStartModule::SetDevices() {
  if (!host_) return;
  const int out = CBOutput->ItemIndex(), in = CBInput->ItemIndex();
  // Written to the settings at once, so that the next start keeps them.
  host_->SetMidiDevices(out > 0 && out < static_cast<int>(outputs_.size()) ? outputs_[static_cast<size_t>(out)] : "",
                        in >= 0 && in < static_cast<int>(inputs_.size()) ? inputs_[static_cast<size_t>(in)] : "");
}

void TFStartModule::CBInputChange() { SetDevices(); }

void TFStartModule::CBOutputChange() {
  if (host_) host_->StopTestPlay();
  SetDevices();
}

void TFStartModule::RGLanguageClick(int index) {
  const char* code = StartLanguageCode(index);
  if (TECLanguage* engine = GlobalLanguage()) engine->SetLanguage(code);
  if (settings_) {
    TToolsSettings tools;
    settings_->Load(tools);
    settings_->Set(tools, &TToolsSettings::Language, std::string(code));
  }
  if (host_) host_->SettingsChanged();
}

void TFStartModule::CBNewsClick() {
  if (settings_) settings_->Set(news_, &TNewsSettings::News, CBNews->Checked());
  else news_.News = CBNews->Checked();
  if (host_) host_->SettingsChanged();
}

void TFStartModule::BBTestClick() {
  if (!host_) return;
  BBStop->SetVisible(true);
  BBTest->SetVisible(false);
  if (!host_->StartTestPlay([this] { BBStopClick(); })) BBStopClick();
}

void TFStartModule::BBStopClick() {
  if (host_) host_->StopTestPlay();
  BBTest->SetVisible(host_ && host_->HasTestFile());
  BBStop->SetVisible(false);
}

void RegisterFirstRunForms() {
  RegisterForm("FStartModule", [](const std::string&) -> std::unique_ptr<TCustomForm> {
    return std::make_unique<TFStartModule>(nullptr, nullptr, nullptr);
  });
}

}  // namespace qs
