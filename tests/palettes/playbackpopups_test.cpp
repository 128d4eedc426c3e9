// The effects and dynamics popups: the texts of their values, the
// velocities their tracks store (a track shows 127 minus the velocity), the
// bracket's range, and the defaults BBDefault restores.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <vector>
#include <string>

#include "palettes/dynamics.h"
#include "palettes/effects.h"
#include "platform/forms.h"
#include "platform/stdctrls.h"
#include "platform/testdriver.h"
#include "uikit/imagetrack.h"

using namespace qs;
namespace td = qs::testdriver;

namespace {

// Sections of its own, with setters that count what the popups stored.
struct TValues {
  TEffectsSettings Effects;
  TDynamicVelocitySettings Dinamics;
  int Stores = 0;
  TPlaybackValues Get() {
    TPlaybackValues v;
    v.Effects = &Effects;
    v.Dinamics = &Dinamics;
    v.SetEffect = [this](int TEffectsSettings::*field, int value) {
      Effects.*field = value;
      ++Stores;
    };
    v.SetDynamic = [this](int TDynamicVelocitySettings::*field, int value) {
      Dinamics.*field = value;
      ++Stores;
    };
    return v;
  }
};

}  // namespace

TEST(EffectsPopup, ValuesReadAsTheirTexts) {
  struct {
    int staccatoPosition;
    const char* staccato;
    int fermata;
    const char* fermataText;
    int arpeggioPosition;
    const char* arpeggio;
  } const rows[] = {
      {0, "1/64", 0, "x 1.25", 0, "1"},
      {1, "1/32", 1, "x 1.50", 1, "2"},
      {3, "1/8", 3, "x 2.00", 3, "4"},
  };
  for (const auto& r : rows) {
    EXPECT_EQ(TFEffects::StaccatoText(r.staccatoPosition), r.staccato);
    EXPECT_EQ(TFEffects::FermataText(r.fermata), r.fermataText);
    EXPECT_EQ(TFEffects::ArpeggioText(r.arpeggioPosition), r.arpeggio);
  }
}

TEST(EffectsPopup, TracksStoreTheSettingsAndDefaultRestoresThem) {
  TValues values;
  values.Effects.Staccato = 4;
  values.Effects.Arpeggio = 0;
  TFEffects form(nullptr, values.Get());
  EXPECT_EQ(form.ITStaccato->Position(), 3);
  EXPECT_EQ(form.LVStaccato->Caption(), "1/8");
  EXPECT_EQ(form.LVArpeggio->Caption(), "1");
  EXPECT_EQ(values.Stores, 0) << "showing the values stores nothing";

  form.ITStaccato->SetPosition(0);
  form.ITFermata->SetPosition(3);
  form.ITArpeggio->SetPosition(1);
  EXPECT_EQ(values.Effects.Staccato, 1);
  EXPECT_EQ(values.Effects.Fermata, 3);
  EXPECT_EQ(values.Effects.Arpeggio, 1);
  EXPECT_EQ(form.LVStaccato->Caption(), "1/64");
  EXPECT_EQ(form.LVFermata->Caption(), "x 2.00");

  td::ShowAndWait(form);
  td::Click(*form.BBDefault, 10, 10);
  EXPECT_EQ(values.Effects.Staccato, 4);
  EXPECT_EQ(values.Effects.Fermata, 1);
  EXPECT_EQ(values.Effects.Arpeggio, 2);
  EXPECT_EQ(form.LVArpeggio->Caption(), "3");
}

TEST(DynamicsPopup, VelocityTracksStoreTheirMirrorAndTheBracketStaysBelowZero) {
  TValues values;
  TFDynamics form(nullptr, values.Get());
  const int forte = 6;  // pianissimo-piano, pianissimo, piano, mezzo-piano, forte-piano, mezzo-forte, forte
  ASSERT_EQ(TFDynamics::Field(forte), &TDynamicVelocitySettings::Forte);
  EXPECT_EQ(form.Tracks[forte]->Position(), 127 - 74);
  for (const auto& [position, velocity] : std::map<int, int>{{0, 127}, {127, 0}, {27, 100}}) {
    form.Tracks[forte]->SetPosition(position);
    EXPECT_EQ(values.Dinamics.Forte, velocity) << position;
    EXPECT_EQ(form.Values[forte]->Caption(), std::to_string(velocity));
  }
  TECImageTrack& bracket = *form.Tracks[TFDynamics::kTracks - 1];
  EXPECT_EQ(bracket.Min(), -64);
  EXPECT_EQ(bracket.Max(), 0);
  EXPECT_EQ(bracket.Position(), -20);
  bracket.SetPosition(5);
  EXPECT_EQ(values.Dinamics.Bracket, 0);
  bracket.SetPosition(-100);
  EXPECT_EQ(values.Dinamics.Bracket, -64);
  // An amount track stores its position as it is.
  form.Tracks[TFDynamics::kVelocityTracks]->SetPosition(50);
  EXPECT_EQ(values.Dinamics.Crechendo, 50);
}

TEST(DynamicsPopup, DefaultRestoresEveryValue) {
  TValues values;
  TFDynamics form(nullptr, values.Get());
  for (int i = 0; i < TFDynamics::kTracks; ++i) form.Tracks[i]->SetPosition(i == TFDynamics::kTracks - 1 ? -60 : 5);
  EXPECT_EQ(values.Dinamics.SForzando, 122);
  td::ShowAndWait(form);
  td::Click(*form.BBDefault, 10, 10);
  const TDynamicVelocitySettings defaults;
  for (int i = 0; i < TFDynamics::kTracks; ++i)
    EXPECT_EQ(values.Dinamics.*TFDynamics::Field(i), defaults.*TFDynamics::Field(i)) << i;
  const TDynamicVelocitySettings& d = values.Dinamics;
  EXPECT_EQ((std::vector<int>{d.PianoPianissimo, d.Piano, d.ForteFortissimo, d.SForzato, d.SForzando, d.Accentus}),
            (std::vector<int>{44, 54, 84, 54, 94, 20}));
}

TEST(DynamicsPopup, TheExpressionsPageComesFromItsMaker) {
  TValues values;
  {
    TFDynamics form(nullptr, values.Get());
    EXPECT_EQ(form.TSTerms, nullptr) << "no maker, no page";
  }
  int askedKind = 0;
  SetTermPageFactory([&askedKind](TComponent* owner, int kind) -> TCustomForm* {
    askedKind = kind;
    auto* page = new TForm(owner);
    page->SetName("FTermPage");
    return page;
  });
  TFDynamics form(nullptr, values.Get());
  SetTermPageFactory({});
  EXPECT_EQ(askedKind, 1);
  ASSERT_NE(form.TSTerms, nullptr);
  EXPECT_NE(form.TermPage, nullptr);
}

TEST(DynamicsPopup, DropsDownBelowItsAnchorAndGoesOnEscape) {
  TValues values;
  TForm owner(nullptr);
  TFDynamics* popup = DropDownDynamics(&owner, TRect{40, 60, 80, 80}, values.Get());
  // Where the screen ends it goes further left.
  EXPECT_EQ(popup->Left(), std::min(40, Screen().Width() - popup->Width()));
  EXPECT_EQ(popup->Top(), 80);
  EXPECT_TRUE(popup->Visible());
  td::KeyDown(*popup, 27);
  td::ProcessMessages();
  EXPECT_EQ(owner.ComponentCount(), 0) << "Esc closes the popup and frees it";
  TFEffects* effects = DropDownEffects(&owner, TRect{10, 20, 30, 40}, values.Get());
  EXPECT_EQ(effects->Left(), 10);
  EXPECT_EQ(effects->Top(), 40);
}
