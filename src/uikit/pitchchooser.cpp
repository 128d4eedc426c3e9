#include "uikit/pitchchooser.h"

#include <algorithm>
#include <memory>
#include <string>

#include "uikit/charbutton.h"
#include "uikit/formparts.h"
#include "uikit/interface.h"
#include "uikit/names.h"

namespace qs {

namespace {

constexpr int kButtonWidth = 30, kButtonHeight = 18;

}  // namespace

TFChoosePitch::TFChoosePitch(TComponent* owner) : TForm(owner) {
  SetName("FChoosePitch");
  SetCaption("Pitch");
  SetClientWidth(2 * kButtonWidth + 4);
  SetClientHeight(12 * kButtonHeight + 4);
  MakeDropDown(*this);
  ApplySkinTemplate(*this, skinkind::Small);
  // Octaves on the left, the notes of the octave on the right.
  for (int i = 0; i < 11; ++i) {
    auto* b = Make<TECCharButton>(this, this, ("CBOctave" + std::to_string(i)).c_str(), 2, 2 + kButtonHeight * i,
                                  kButtonWidth, kButtonHeight);
    b->SetCaption(std::to_string(i));
    b->SetGroupIndex(1);
    b->OnClick = [this](TObject*) { ShowNotesOfOctave(); };
    CBOctave[i] = b;
  }
  for (int i = 0; i < 12; ++i) {
    auto* b = Make<TECCharButton>(this, this, ("CBNote" + std::to_string(i)).c_str(), 2 + kButtonWidth,
                                  2 + kButtonHeight * i, kButtonWidth, kButtonHeight);
    b->SetCaption(PitchName(i));
    b->SetGroupIndex(2);
    b->OnClick = [this](TObject*) {
      if (OnChosen) OnChosen(this, GetPitch());
      Close();
    };
    CBNote[i] = b;
  }
  CBOctave[0]->SetDown(true);
  CBNote[0]->SetDown(true);
  MakeFormLanguage(this, "LChoosePitch");
}

void TFChoosePitch::ShowNotesOfOctave() {
  // Above 127 there are no MIDI pitches.
  for (int i = 8; i < 12; ++i) CBNote[i]->SetVisible(!CBOctave[10]->Down());
}

void TFChoosePitch::SetPitch(uint8_t pitch) {
  pitch = std::min<uint8_t>(pitch, 127);
  CBOctave[pitch / 12]->SetDown(true);
  CBNote[pitch % 12]->SetDown(true);
  ShowNotesOfOctave();
}

uint8_t TFChoosePitch::GetPitch() const {
  int octave = 0, note = 0;
  for (int i = 0; i < 11; ++i)
    if (CBOctave[i]->Down()) octave = i;
  for (int i = 0; i < 12; ++i)
    if (CBNote[i]->Down()) note = i;
  return static_cast<uint8_t>(std::min(127, octave * 12 + note));
}

void RegisterPitchChooserForms() {
  RegisterForm("FChoosePitch", [](const std::string&) -> std::unique_ptr<TCustomForm> {
    auto form = std::make_unique<TFChoosePitch>(nullptr);
    // Shown alone: the form tools own it and close it themselves.
    form->OnDeactivate = nullptr;
    form->OnClose = nullptr;
    form->SetPitch(64);
    return form;
  });
}

}  // namespace qs
