#include "palettes/pitchpicker.h"

#include <algorithm>
#include <memory>
#include <string>

#include "uikit/charbutton.h"
#include "uikit/formparts.h"
#include "uikit/names.h"

namespace qs {

namespace {
constexpr int kButton = 24;
}  // namespace

std::string PitchText(int pitch) {
  pitch = std::clamp(pitch, 0, 127);
  return std::to_string(pitch / 12) + " " + PitchName(pitch % 12);
}

int PitchOfText(const std::string& text) {
  for (int p = 0; p < 128; ++p)
    if (PitchText(p) == text) return p;
  return -1;
}

TFChoosePitch::TFChoosePitch(TComponent* owner) : TDropDownPicker(owner, "FChoosePitch", 2 * kButton + 16, 12 * kButton + 8) {
  for (int o = 0; o < 11; ++o) {
    const std::string name = "CBOctave" + std::to_string(o);
    TECCharButton* b = ValueButton(this, name.c_str(), 4, 4 + o * kButton, kButton + 4, kButton);
    b->SetAllowAllUp(false);
    b->SetCaption(std::to_string(o));
    b->OnClick = [this](TObject*) { ShowNotesOfOctave(); };
    Octaves[static_cast<size_t>(o)] = b;
  }
  for (int n = 0; n < 12; ++n) {
    const std::string name = "CBNote" + std::to_string(n);
    TECCharButton* b = ValueButton(this, name.c_str(), kButton + 12, 4 + n * kButton, kButton, kButton);
    b->SetGroupIndex(2);
    b->SetAllowAllUp(false);
    b->SetCaption(PitchName(n));
    ChooseOnClick(b, [this, b] {
      b->SetDown(true);
      if (OnChoose) OnChoose(this, GetPitch());
    });
    Notes[static_cast<size_t>(n)] = b;
  }
  Octaves[0]->SetDown(true);
  Notes[0]->SetDown(true);
  Finish();
}

void TFChoosePitch::SetPitch(uint8_t pitch) {
  const int p = std::min<int>(pitch, 127);
  Octaves[static_cast<size_t>(p / 12)]->SetDown(true);
  Notes[static_cast<size_t>(p % 12)]->SetDown(true);
  ShowNotesOfOctave();
}

uint8_t TFChoosePitch::GetPitch() const {
  int octave = 0, note = 0;
  for (int i = 0; i < 11; ++i)
    if (Octaves[static_cast<size_t>(i)]->Down()) octave = i;
  for (int i = 0; i < 12; ++i)
    if (Notes[static_cast<size_t>(i)]->Down()) note = i;
  return static_cast<uint8_t>(std::min(octave * 12 + note, 127));
}

void TFChoosePitch::ShowNotesOfOctave() {
  const bool top = Octaves[10]->Down();
  for (int n = 8; n < 12; ++n) Notes[static_cast<size_t>(n)]->SetVisible(!top);
}

void RegisterPitchPickerForms() {
  RegisterForm("FChoosePitch", [](const std::string&) -> std::unique_ptr<TCustomForm> {
    auto form = std::make_unique<TFChoosePitch>(nullptr);
    // Shown on its own: the registry, not closing, frees it.
    form->DefaultCloseAction = caHide;
    form->SetPitch(64);
    return form;
  });
}

}  // namespace qs
