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

  devices_ = {host_, CBOutput, CBInput, BBTest, BBStop, BBVolume, {}, {}};
  devices_.Fill();
  Languages[StartLanguageIndex(InterfaceLanguage())]->SetChecked(true);
  CBNews->SetChecked(news_.News);

  CBInput->OnChange = [this](TObject*) { CBInputChange(); };
  CBOutput->OnChange = [this](TObject*) { CBOutputChange(); };
  CBNews->OnClick = [this](TObject*) { CBNewsClick(); };
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

// The host writes the devices to the settings at once, so that the next
// start keeps them.
void TFStartModule::CBInputChange() { devices_.Choose(); }

void TFStartModule::CBOutputChange() {
  devices_.StopClick();
  devices_.Choose();
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

void TFStartModule::BBTestClick() { devices_.TestClick(); }
void TFStartModule::BBStopClick() { devices_.StopClick(); }

void RegisterFirstRunForms() {
  RegisterForm("FStartModule", [](const std::string&) -> std::unique_ptr<TCustomForm> {
    return std::make_unique<TFStartModule>(nullptr, nullptr, nullptr);
  });
}

}  // namespace qs
