#pragma once
// TFChoosePitch: a drop-down that picks a MIDI pitch as an octave (0..10)
// and a note of the octave; a pitch is octave x 12 + note, 0..127. The
// four highest notes are not offered in octave 10. Choosing a note calls
// OnChosen and closes the drop-down, which then frees itself.
#include <cstdint>
#include <functional>

#include "platform/forms.h"

namespace qs {

class TECCharButton;

class TFChoosePitch : public TForm {
 public:
  explicit TFChoosePitch(TComponent* owner);
  const char* ClassName() const override { return "TFChoosePitch"; }

  // Pitches above 127 count as 127.
  void SetPitch(uint8_t pitch);
  uint8_t GetPitch() const;

  std::function<void(TFChoosePitch*, uint8_t pitch)> OnChosen;

  TECCharButton* CBOctave[11] = {};
  TECCharButton* CBNote[12] = {};

 private:
  void ShowNotesOfOctave();
};

void RegisterPitchChooserForms();

}  // namespace qs
