#include "palettes/effects.h"

#include <algorithm>
#include <cstdio>
#include <memory>

#include "platform/stdctrls.h"
#include "uikit/formparts.h"
#include "uikit/imagetrack.h"

namespace qs {

namespace {

// Track positions of the default values: staccato 4, fermata 1, arpeggio 2.
constexpr int kDefaultStaccato = 3, kDefaultFermata = 1, kDefaultArpeggio = 2;
constexpr int kTrackMax = 3;

TECImageTrack* MakeTrack(TForm* form, const char* name, int left, int top, int width, int height,
                         TTrackOrientation orientation, int min, int max) {
  auto* track = Make<TECImageTrack>(form, form, name, left, top, width, height);
  track->SetOrientation(orientation);
  track->SetColor(clBtnFace);
  ApplyTrackPictures(*track, DrawTrackPictures(orientation));
  track->SetLeftOffset(6);
  track->SetRightOffset(6);
  track->SetMin(min);
  track->SetMax(max);
  return track;
}

TLabel* MakeText(TForm* form, const char* name, const char* caption, int left, int top, int width,
                 TAlignment alignment = taLeftJustify) {
  auto* label = Make<TLabel>(form, form, name, left, top, width, 16);
  label->AutoSize = false;
  label->SetAlignment(alignment);
  label->SetCaption(caption);
  return label;
}

}  // namespace

void PlaceBelowRect(const TRect& anchor, TCustomForm& form) {
  const int screenW = Screen().Width(), screenH = Screen().Height();
  int left = anchor.Left, top = anchor.Bottom;
  if (left + form.Width() > screenW) left = screenW - form.Width();
  if (top + form.Height() >= screenH - 20) top = anchor.Top - form.Height();
  form.SetBounds(std::max(0, left), std::max(0, top), form.Width(), form.Height());
}

std::string TFEffects::StaccatoText(int position) {
  return "1/" + std::to_string(64 >> std::clamp(position, 0, kTrackMax));
}

std::string TFEffects::FermataText(int setting) {
  char text[32];
  std::snprintf(text, sizeof text, "x %.2f", (setting + 5) / 4.0);
  return text;
}

std::string TFEffects::ArpeggioText(int position) { return std::to_string(position + 1); }

TFEffects::TFEffects(TComponent* owner, TPlaybackValues values) : TForm(owner), values_(std::move(values)) {
  SetName("FEffects");
  SetCaption("Effects");
  SetBorderStyle(bsDialog);
  SetPosition(poScreenCenter);
  SetClientWidth(280);
  SetClientHeight(150);
  ApplySkinTemplate(*this, skinkind::Small);

  LStaccato = MakeText(this, "LStaccato", "Staccato", 8, 12, 96);
  ITStaccato = MakeTrack(this, "ITStaccato", 106, 10, 110, 20, toHorizontal, 0, kTrackMax);
  LVStaccato = MakeText(this, "LVStaccato", "", 222, 12, 50, taRightJustify);
  LFermata = MakeText(this, "LFermata", "Fermata", 8, 46, 96);
  ITFermata = MakeTrack(this, "ITFermata", 106, 44, 110, 20, toHorizontal, 0, kTrackMax);
  LVFermata = MakeText(this, "LVFermata", "", 222, 46, 50, taRightJustify);
  LArpeggio = MakeText(this, "LArpeggio", "Arpeggio", 8, 80, 96);
  ITArpeggio = MakeTrack(this, "ITArpeggio", 106, 78, 110, 20, toHorizontal, 0, kTrackMax);
  LVArpeggio = MakeText(this, "LVArpeggio", "", 222, 80, 50, taRightJustify);
  BBDefault = Make<TButton>(this, this, "BBDefault", 8, 116, 110, 25);
  BBDefault->SetCaption("Default");
  LEffects = MakeFormLanguage(this, "LEffects");

  ITStaccato->SetPosition(Values().Staccato - 1);
  ITFermata->SetPosition(Values().Fermata);
  ITArpeggio->SetPosition(Values().Arpeggio);
  ShowValues();
  ITStaccato->OnChange = [this](TObject*) { Store(&TEffectsSettings::Staccato, ITStaccato->Position() + 1); };
  ITFermata->OnChange = [this](TObject*) { Store(&TEffectsSettings::Fermata, ITFermata->Position()); };
  ITArpeggio->OnChange = [this](TObject*) { Store(&TEffectsSettings::Arpeggio, ITArpeggio->Position()); };
  BBDefault->OnClick = [this](TObject*) {
    ITStaccato->SetPosition(kDefaultStaccato);
    ITFermata->SetPosition(kDefaultFermata);
    ITArpeggio->SetPosition(kDefaultArpeggio);
  };
}

void TFEffects::Store(int TEffectsSettings::*field, int value) {
  if (values_.SetEffect) values_.SetEffect(field, value);
  else Values().*field = value;
  ShowValues();
}

void TFEffects::ShowValues() {
  // From what was stored, which a setting out of the tracks' range shows
  // as the nearest end.
  LVStaccato->SetCaption(StaccatoText(std::clamp(Values().Staccato - 1, 0, kTrackMax)));
  LVFermata->SetCaption(FermataText(Values().Fermata));
  LVArpeggio->SetCaption(ArpeggioText(Values().Arpeggio));
}

TFEffects* DropDownEffects(TComponent* owner, const TRect& anchor, TPlaybackValues values) {
  auto* form = new TFEffects(owner, std::move(values));
  MakeDropDown(*form, [form] { return form->KeepOpen; });
  form->SetPosition(poDesigned);
  PlaceBelowRect(anchor, *form);
  form->Show();
  return form;
}

void RegisterEffectsForms() {
  RegisterForm("FEffects", [](const std::string&) -> std::unique_ptr<TCustomForm> {
    return std::make_unique<TFEffects>(nullptr, TPlaybackValues{});
  });
}

}  // namespace qs
