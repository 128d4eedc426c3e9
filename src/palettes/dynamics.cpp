#include "palettes/dynamics.h"

#include <memory>
#include <string>

#include "platform/fonts.h"
#include "platform/musicglyphs.h"
#include "platform/stdctrls.h"
#include "uikit/charbutton.h"
#include "uikit/formparts.h"
#include "uikit/imagetrack.h"
#include "uikit/pagecontrol.h"

namespace qs {

namespace {

TTermPageFactory& TermPageFactory() {
  static TTermPageFactory factory;
  return factory;
}

using D = TDynamicVelocitySettings;

struct TTrackRow {
  int D::*Field;
  const char* Name;   // the track's name; its value label is "L" + the rest
  uint8_t Glyph;      // the mark shown above a velocity track
  int Default;        // the setting BBDefault gives
};

constexpr TTrackRow kRows[TFDynamics::kTracks] = {
    {&D::PianoPianissimo, "ITPianoPianissimo", glyphs::DynamicPPP, 44},
    {&D::Pianissimo, "ITPianissimo", glyphs::DynamicPP, 49},
    {&D::Piano, "ITPiano", glyphs::DynamicPiano, 54},
    {&D::MezzoPiano, "ITMezzoPiano", glyphs::DynamicMP, 59},
    {&D::FortePiano, "ITFortePiano", glyphs::DynamicFortePiano, 64},
    {&D::MezzoForte, "ITMezzoForte", glyphs::DynamicMF, 69},
    {&D::Forte, "ITForte", glyphs::DynamicForte, 74},
    {&D::Fortissimo, "ITFortissimo", glyphs::DynamicFF, 79},
    {&D::ForteFortissimo, "ITForteFortissimo", glyphs::DynamicFFF, 84},
    {&D::SForzato, "ITSforzato", glyphs::DynamicSforzando1, 54},
    {&D::ExtraForzato, "ITExtraforzato", glyphs::DynamicSforzatoFF, 74},
    {&D::Forzando, "ITForzando", glyphs::DynamicForzando, 84},
    {&D::SForzando, "ITSforzando", glyphs::DynamicSforzato, 94},
    {&D::Crechendo, "ITCrechendo", 0, 30},
    {&D::Diminuendo, "ITDiminuendo", 0, 30},
    {&D::Accentus, "ITAccentus", 0, 20},
    {&D::Bracket, "ITBracket", 0, -20},
};
// The value labels of the amount tracks and their headings.
constexpr const char* kAmountValueNames[TFDynamics::kAmountTracks] = {"LVCrechendo", "LVDiminuendo", "LVAccentus",
                                                                      "LBracket"};
constexpr const char* kHeadingNames[TFDynamics::kAmountTracks] = {"LCrechendo", "LDiminuendo", "LAccentus",
                                                                  "LBracketName"};
constexpr const char* kHeadingTexts[TFDynamics::kAmountTracks] = {"Crescendo", "Diminuendo", "Accent", "Brackets"};

constexpr int kVelocityMax = 127;
constexpr int kAmountMax = 63;
constexpr int kBracketMin = -64;

// The layout: a column per track.
constexpr int kVelocityPitch = 34, kAmountLeft = 458, kAmountPitch = 72;
constexpr int kTrackTop = 40, kTrackHeight = 140, kValueTop = 184;

bool IsVelocityTrack(int track) { return track < TFDynamics::kVelocityTracks; }

}  // namespace

void SetTermPageFactory(TTermPageFactory factory) { TermPageFactory() = std::move(factory); }

int TDynamicVelocitySettings::*TFDynamics::Field(int track) { return kRows[track].Field; }

TFDynamics::TFDynamics(TComponent* owner, TPlaybackValues values, bool dropDown)
    : TForm(owner), values_(std::move(values)) {
  SetName("FDynamics");
  SetCaption("Dynamics");
  SetBorderStyle(bsDialog);
  SetPosition(poScreenCenter);
  SetClientWidth(770);
  SetClientHeight(280);
  ApplySkinTemplate(*this, skinkind::Normal);

  PCDynamics = Make<TECPageControl>(this, this, "PCDynamics", 4, 4, 762, 240);
  PCDynamics->PageSetting().SetDoubleSheet(false);
  PCDynamics->SetSpiralVisible(false);
  TSSymbols = new TECTabSheet(this);
  TSSymbols->SetName("TSSymbols");
  TSSymbols->SetPageControl(PCDynamics);

  TFont music;
  music.Name = MusicFontName;
  music.Height = -22;
  for (int i = 0; i < kTracks; ++i) {
    const TTrackRow& row = kRows[i];
    const bool velocity = IsVelocityTrack(i);
    const int column = velocity ? 8 + i * kVelocityPitch : kAmountLeft + (i - kVelocityTracks) * kAmountPitch;
    const int middle = column + (velocity ? kVelocityPitch : kAmountPitch) / 2;
    auto* track = Make<TECImageTrack>(this, TSSymbols, row.Name, middle - 9, kTrackTop, 18, kTrackHeight);
    track->SetOrientation(toVertical);
    track->SetColor(clBtnFace);
    ApplyTrackPictures(*track, DrawTrackPictures(toVertical));
    track->SetLeftOffset(6);
    track->SetRightOffset(6);
    if (i == kTracks - 1) {
      track->SetMin(kBracketMin);
      track->SetMax(0);
    } else {
      track->SetMin(0);
      track->SetMax(velocity ? kVelocityMax : kAmountMax);
    }
    Tracks[i] = track;
    const std::string valueName =
        velocity ? "L" + std::string(row.Name + 2) : std::string(kAmountValueNames[i - kVelocityTracks]);
    auto* value = Make<TLabel>(this, TSSymbols, valueName.c_str(), middle - 16, kValueTop, 32, 16);
    value->AutoSize = false;
    value->SetAlignment(taCenter);
    Values[i] = value;
    if (velocity) {
      auto* sign = Make<TECCharButton>(this, TSSymbols, ("CB" + std::string(row.Name + 2)).c_str(), column + 1, 4,
                                       kVelocityPitch - 2, 32);
      sign->SetFlat(true);
      sign->SetEnabled(false);
      sign->SetFont(music);
      sign->SetByte(row.Glyph);
      sign->SetPosX(3);
      sign->SetPosY(-18);
      Signs[i] = sign;
    } else {
      const int j = i - kVelocityTracks;
      auto* heading = Make<TLabel>(this, TSSymbols, kHeadingNames[j], column, 14, kAmountPitch - 2, 16);
      heading->AutoSize = false;
      heading->SetAlignment(taCenter);
      heading->SetCaption(kHeadingTexts[j]);
      Headings[j] = heading;
    }
  }

  BBDefault = Make<TButton>(this, this, "BBDefault", 8, 250, 120, 25);
  BBDefault->SetCaption("Default");
  BBOk = MakeOkButton(this, "&OK", 687, 250);
  BBOk->ModalResult = mrOk;
  LDynamics = MakeFormLanguage(this, "LDynamics");

  // The tracks show the stored values before they report changes.
  for (int i = 0; i < kTracks; ++i) {
    const int setting = Settings().*kRows[i].Field;
    Tracks[i]->SetPosition(IsVelocityTrack(i) ? kVelocityMax - setting : setting);
    Values[i]->SetCaption(std::to_string(setting));
  }
  for (int i = 0; i < kTracks; ++i) Tracks[i]->OnChange = [this, i](TObject*) { TrackChanged(i); };
  BBDefault->OnClick = [this](TObject*) {
    for (int i = 0; i < kTracks; ++i)
      Tracks[i]->SetPosition(IsVelocityTrack(i) ? kVelocityMax - kRows[i].Default : kRows[i].Default);
  };

  if (TermPageFactory()) TermPage = TermPageFactory()(this, 1);
  if (TermPage) {
    TSTerms = new TECTabSheet(this);
    TSTerms->SetName("TSTerms");
    TSTerms->SetPageControl(PCDynamics);
    TBrush tint;
    tint.Color = 0xEED8D2;
    TSTerms->SetBrush(tint);
    TSTerms->SetTabBrush(tint);
    TermPage->ManualDock(TSTerms);
    TermPage->SetAlign(alClient);
    TermPage->Show();
  }
  PCDynamics->SetActivePage(TSSymbols);

  if (dropDown) {
    MakeDropDown(*this, [this] { return KeepOpen; });
    SetPosition(poDesigned);
  } else {
    KeyPreview = true;
    OnKeyDown = [this](TObject*, uint16_t& key, TShiftState) {
      if (key != VK_ESCAPE) return;
      key = 0;
      SetModalResult(mrCancel);
    };
  }
}

void TFDynamics::TrackChanged(int track) {
  const int position = Tracks[track]->Position();
  const int value = IsVelocityTrack(track) ? kVelocityMax - position : position;
  if (values_.SetDynamic) values_.SetDynamic(kRows[track].Field, value);
  else Settings().*kRows[track].Field = value;
  Values[track]->SetCaption(std::to_string(Settings().*kRows[track].Field));
}

TFDynamics* DropDownDynamics(TComponent* owner, const TRect& anchor, TPlaybackValues values) {
  auto* form = new TFDynamics(owner, std::move(values), true);
  PlaceBelowRect(anchor, *form);
  form->Show();
  return form;
}

void RegisterDynamicsForms() {
  RegisterForm("FDynamics", [](const std::string&) -> std::unique_ptr<TCustomForm> {
    return std::make_unique<TFDynamics>(nullptr, TPlaybackValues{});
  });
}

}  // namespace qs
