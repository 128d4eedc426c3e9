#pragma once
// The dialog of the first start ("Main settings"): the MIDI devices with a
// test playback and the system volume program, the interface language and
// whether news is fetched. Every choice takes effect and is written to the
// settings at once; the dialog has only a close button.
#include "dialogs/devicehost.h"
#include "platform/forms.h"
#include "uikit/settings.h"

namespace qs {

class TButton;
class TCheckBox;
class TComboBox;
class TGroupBox;
class TRadioButton;
class TECFormLanguage;

class TFStartModule : public TForm {
 public:
  // settings and host may be null (the review pictures).
  TFStartModule(TComponent* owner, TSettings* settings, TDeviceHost* host);
  ~TFStartModule() override;
  const char* ClassName() const override { return "TFStartModule"; }

  void CBInputChange();
  void CBOutputChange();
  void RGLanguageClick(int index);
  void BBTestClick();
  void BBStopClick();
  void CBNewsClick();

  TGroupBox* GBDevices = nullptr;
  TComboBox *CBInput = nullptr, *CBOutput = nullptr;
  TButton *BBTest = nullptr, *BBStop = nullptr, *BBVolume = nullptr, *BBClose = nullptr;
  TGroupBox* RGLanguage = nullptr;
  TRadioButton* Languages[5] = {};
  TCheckBox* CBNews = nullptr;
  TECFormLanguage* FLStartModule = nullptr;

 private:
  TSettings* settings_;
  TDeviceHost* host_;
  TNewsSettings news_;
  TDeviceControls devices_;
};

// The language code of an item of the language choice ("ENU", "DEU",
// "FRA", "ITA", "RUS"); an index outside them gives "DEU"; and the item of
// a code (any other code is the last item).
const char* StartLanguageCode(int index);
int StartLanguageIndex(const std::string& code);

void RegisterFirstRunForms();

}  // namespace qs
