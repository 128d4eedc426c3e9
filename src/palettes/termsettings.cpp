#include "palettes/termsettings.h"

#include <algorithm>
#include <memory>

#include "palettes/terms.h"
#include "platform/bitmap.h"
#include "platform/canvas.h"
#include "platform/extctrls.h"
#include "platform/keys.h"
#include "platform/paths.h"
#include "platform/stdctrls.h"
#include "uikit/formparts.h"
#include "uikit/imagetrack.h"
#include "uikit/language.h"

namespace qs {

namespace {
constexpr int kFirstTop = 10, kRowStep = 20;
}  // namespace

TFTermSettings::TFTermSettings(TComponent* owner, TFTerms* terms, int kind)
    : TForm(owner), terms_(terms), kind_(kind) {
  SetName("FTermSettings");
  SetCaption("Expressions");
  SetBorderStyle(bsDialog);
  SetPosition(poScreenCenter);
  SetClientWidth(350);
  SetClientHeight(300);
  ApplySkinTemplate(*this, skinkind::Normal);
  SBTermSettings = Make<TScrollBox>(this, "SBTermSettings", 0, 0, 350, 300);
  SBTermSettings->SetAlign(alClient);
  MakeFormLanguage(this, "LTermSettings");
  KeyPreview = true;
  OnKeyDown = [this](TObject*, uint16_t& key, TShiftState) {
    if (key != VK_ESCAPE) return;
    key = 0;
    Close();
  };
  OnClose = [this](TObject*, TCloseAction&) { Save(); };
  OnShow = [this](TObject*) { Fill(); };
  Fill();
}

int& TFTermSettings::Edited(TTermDescription& t) const { return kind_ == tkTempo ? t.Value1 : t.Value2; }

void TFTermSettings::Fill() {
  for (TRow& r : rows_) {
    delete r.Text;
    delete r.Value;
    delete r.Relative;
    delete r.Track;
  }
  rows_.clear();
  if (!terms_) return;
  const TTrackPictures pictures = DrawTrackPictures(toHorizontal);
  const std::string hint = LanguageMessage("FTermSettings", 0, "Checked: a change of the level in force");
  int top = kFirstTop;
  for (auto& item : terms_->Library().Items) {
    TTermDescription& t = *item;
    if (t.Kind != kind_) continue;
    const size_t n = rows_.size();
    TRow r;
    r.Term = &t;
    r.Text = Make<TLabel>(this, SBTermSettings, "", 0, top, 116, 16);
    r.Text->SetCaption(t.Text);
    r.Value = Make<TLabel>(this, SBTermSettings, "", 100, top, 28, 16);
    r.Value->AutoSize = false;
    r.Value->SetAlignment(taRightJustify);
    const bool dynamics = kind_ == tkDynamic;
    if (dynamics) {
      r.Relative = Make<TCheckBox>(this, SBTermSettings, "", 132, top, 16, 16);
      r.Relative->SetChecked(t.Value1 != 0);
      r.Relative->SetHint(hint);
      r.Relative->SetShowHint(true);
      r.Relative->OnClick = [this, n](TObject*) { RelativeClick(n); };
    }
    r.Track = Make<TECImageTrack>(this, SBTermSettings, "", dynamics ? 156 : 136, top, dynamics ? 170 : 192, 18);
    ApplyTrackPictures(*r.Track, pictures);
    r.Track->SetLeftOffset(6);
    r.Track->SetRightOffset(6);
    r.Track->SetBottomOffset(0);
    r.Track->SetButtonWidth(12);
    r.Track->SetButtonHeight(18);
    if (!dynamics) r.Track->SetMin(-100), r.Track->SetMax(100);
    else if (t.Value1 != 0) r.Track->SetMin(-63), r.Track->SetMax(63);
    else r.Track->SetMin(0), r.Track->SetMax(127);
    r.Track->SetPosition(Edited(t));
    r.Value->SetCaption(std::to_string(Edited(t)));
    r.Track->OnChange = [this, n](TObject*) { TrackChange(n); };
    // Marks of the ends and the middle of the range above the groove.
    r.Track->OnPaint = [](TObject* sender, TBitmap& picture) {
      auto* track = static_cast<TECImageTrack*>(sender);
      TCanvas& c = picture.Canvas();
      c.Pen().Color = clBlack;
      c.Pen().Width = 1;
      const int w = track->Width();
      for (int x : {track->LeftOffset(), w / 2, w - 1 - track->RightOffset()}) {
        c.MoveTo(x, 0);
        c.LineTo(x, 4);
      }
    };
    rows_.push_back(r);
    top += kRowStep;
  }
}

void TFTermSettings::RelativeClick(size_t row) {
  if (row >= rows_.size() || !rows_[row].Relative) return;
  TRow& r = rows_[row];
  const bool relative = r.Relative->Checked();
  // The range changes first, which moves the value into it.
  r.Track->SetMin(relative ? -63 : 0);
  r.Track->SetMax(relative ? 63 : 127);
  r.Track->SetMin(relative ? -63 : 0);
  r.Term->Value1 = relative ? 1 : 0;
  r.Term->Value2 = r.Track->Position();
  r.Value->SetCaption(std::to_string(r.Term->Value2));
}

void TFTermSettings::TrackChange(size_t row) {
  if (row >= rows_.size()) return;
  TRow& r = rows_[row];
  Edited(*r.Term) = r.Track->Position();
  // The value shows at once; how long hints wait is the program's own
  // setting and stays as it is.
  Application().CancelHint();
  r.Value->SetCaption(std::to_string(r.Track->Position()));
}

TFTermSettings::~TFTermSettings() {
  if (SaveWhenFreed) Save();
}

void TFTermSettings::Save() {
  if (terms_) terms_->SaveTerms();
}

TFTermSettings* DockTermSettings(TWinControl& parent, int kind) {
  auto* form = new TFTermSettings(&parent, TFTerms::Instance(), kind);
  form->SetBorderStyle(bsNone);
  form->ManualDock(&parent, alClient);
  form->Show();
  return form;
}

void RegisterTermSettingsForms() {
  // The shipped expressions, nothing saved.
  for (int kind : {1, 2})
    RegisterForm(kind == 1 ? "FTermSettings" : "FTermSettings-Tempo",
                 [kind](const std::string&) -> std::unique_ptr<TCustomForm> {
                   auto* terms = new TFTerms(nullptr, TPaletteContext{}, platform::FindResource(kTermsFile), "");
                   auto form = std::make_unique<TFTermSettings>(nullptr, terms, kind);
                   form->InsertComponent(terms);
                   return form;
                 });
}

}  // namespace qs
