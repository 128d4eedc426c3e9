#pragma once
// TFDynamics: how loud each dynamics mark plays, and how much a crescendo,
// a diminuendo, an accent and a bracketed note change the level. Every
// change is stored at once and reaches the open scores. A second page holds
// the playback values of the dynamic expressions, made by the expression
// page's maker when the program gave one.
#include <functional>

#include "base/geometry.h"
#include "palettes/effects.h"
#include "platform/forms.h"

namespace qs {

class TButton;
class TLabel;
class TECCharButton;
class TECImageTrack;
class TECFormLanguage;
class TECPageControl;
class TECTabSheet;

// Makes the page of the expressions of a kind (1 the dynamic ones), owned
// by owner; null when there is none.
using TTermPageFactory = std::function<TCustomForm*(TComponent* owner, int kind)>;
void SetTermPageFactory(TTermPageFactory factory);

class TFDynamics : public TForm {
 public:
  // dropDown: a popup without border that closes when the user turns
  // elsewhere; otherwise a dialog.
  TFDynamics(TComponent* owner, TPlaybackValues values, bool dropDown = false);
  const char* ClassName() const override { return "TFDynamics"; }

  // The velocity tracks, by the order of their settings: pianissimo-piano
  // to forte-fortissimo, then sforzato, extra-forzato, forzando, sforzando;
  // a track shows 127 minus its velocity (louder is higher).
  static constexpr int kVelocityTracks = 13;
  // crescendo, diminuendo, accent (0..63) and bracket (-64..0).
  static constexpr int kAmountTracks = 4;
  static constexpr int kTracks = kVelocityTracks + kAmountTracks;

  TECPageControl* PCDynamics = nullptr;
  TECTabSheet* TSSymbols = nullptr;
  TECTabSheet* TSTerms = nullptr;   // null without the expressions' page
  TCustomForm* TermPage = nullptr;  // the expressions' page
  TECImageTrack* Tracks[kTracks] = {};
  TECCharButton* Signs[kVelocityTracks] = {};  // the mark above each velocity track
  TLabel* Headings[kAmountTracks] = {};
  TLabel* Values[kTracks] = {};                 // the value each track stands for
  TButton* BBDefault = nullptr;
  TButton* BBOk = nullptr;
  TECFormLanguage* LDynamics = nullptr;

  // The setting a track stands for.
  static int TDynamicVelocitySettings::*Field(int track);

  // While set, the drop-down stays when it loses the activation.
  bool KeepOpen = false;

 private:
  void TrackChanged(int track);
  TDynamicVelocitySettings& Settings() { return values_.Dinamics ? *values_.Dinamics : own_; }
  TPlaybackValues values_;
  TDynamicVelocitySettings own_;
};

// Makes the popup, places it below anchor (screen pixels; above it where
// the screen ends) and shows it without waiting; it frees itself when it
// closes.
TFDynamics* DropDownDynamics(TComponent* owner, const TRect& anchor, TPlaybackValues values);

void RegisterDynamicsForms();

}  // namespace qs
