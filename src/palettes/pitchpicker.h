#pragma once
// TFChoosePitch: a drop-down of a MIDI pitch, by octave (0..10) and note
// (C..B), as the staff's tuning grid uses it. Only pitches up to 127 can be
// chosen: in octave 10 the four highest notes are hidden.
#include <array>
#include <cstdint>
#include <functional>

#include "palettes/dropdown.h"

namespace qs {

class TECCharButton;

class TFChoosePitch : public TDropDownPicker {
 public:
  explicit TFChoosePitch(TComponent* owner);
  const char* ClassName() const override { return "TFChoosePitch"; }
  // 128..255 count as 127.
  void SetPitch(uint8_t pitch);
  uint8_t GetPitch() const;
  // Called with the pitch of a note button clicked; the picker then goes.
  std::function<void(TFChoosePitch* sender, uint8_t pitch)> OnChoose;

  std::array<TECCharButton*, 11> Octaves{};
  std::array<TECCharButton*, 12> Notes{};

 private:
  void ShowNotesOfOctave();
};

// The text of a pitch in the tuning grid: its octave, a space and the
// pitch class's name ("4 E" for 64); -1 from PitchOfText for another text.
std::string PitchText(int pitch);
int PitchOfText(const std::string& text);

void RegisterPitchPickerForms();

}  // namespace qs
