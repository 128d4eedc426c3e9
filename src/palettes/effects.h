#pragma once
// TFEffects: how staccato notes, fermatas and arpeggios play (the staccato
// length, how much a fermata lengthens its note, how fast an arpeggio
// spreads). A drop-down below the button that opened it: every change is
// stored at once and reaches the open scores.
#include <functional>
#include <string>

#include "base/geometry.h"
#include "platform/forms.h"
#include "uikit/settings.h"

namespace qs {

class TButton;
class TLabel;
class TECImageTrack;
class TECFormLanguage;

// The playback values the effects and dynamics popups show and change: the
// main window's sections, and its setters, which store a value (writing its
// key) and give it to the open scores. Without sections a popup keeps
// values of its own; without setters it changes the sections alone.
struct TPlaybackValues {
  TEffectsSettings* Effects = nullptr;
  TDynamicVelocitySettings* Dinamics = nullptr;
  std::function<void(int TEffectsSettings::*field, int value)> SetEffect;
  std::function<void(int TDynamicVelocitySettings::*field, int value)> SetDynamic;
};

class TFEffects : public TForm {
 public:
  TFEffects(TComponent* owner, TPlaybackValues values);
  const char* ClassName() const override { return "TFEffects"; }

  TLabel *LStaccato = nullptr, *LFermata = nullptr, *LArpeggio = nullptr;
  TECImageTrack *ITStaccato = nullptr, *ITFermata = nullptr, *ITArpeggio = nullptr;
  // The value each track stands for.
  TLabel *LVStaccato = nullptr, *LVFermata = nullptr, *LVArpeggio = nullptr;
  TButton* BBDefault = nullptr;
  TECFormLanguage* LEffects = nullptr;

  // The texts of the values: a staccato note lasts "1/64" .. "1/8" of its
  // value (track 0 .. 3), a fermata lengthens by "x 1.25" .. "x 2.00",
  // an arpeggio spreads at speed "1" .. "4".
  static std::string StaccatoText(int position);
  static std::string FermataText(int setting);
  static std::string ArpeggioText(int position);

  // While set, the drop-down stays when it loses the activation.
  bool KeepOpen = false;

 private:
  void ShowValues();
  TEffectsSettings& Values() { return values_.Effects ? *values_.Effects : own_; }
  void Store(int TEffectsSettings::*field, int value);

  TPlaybackValues values_;
  TEffectsSettings own_;
};

// Makes the popup, places it below anchor (screen pixels; above it where
// the screen ends) and shows it without waiting; it frees itself when it
// closes (Esc, or when the user turns elsewhere).
TFEffects* DropDownEffects(TComponent* owner, const TRect& anchor, TPlaybackValues values);

// Places a drop-down form below a screen rectangle, or above it where the
// screen ends below; never off the screen's left or top edge.
void PlaceBelowRect(const TRect& anchor, TCustomForm& form);

void RegisterEffectsForms();

}  // namespace qs
