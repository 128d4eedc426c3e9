#include "palettes/terms.h"

#include <algorithm>

#include "base/inifile.h"
#include "base/strings.h"
#include "editing/palette.h"
#include "editing/pageobjects.h"
#include "palettes/termsettings.h"
#include "palettes/textproperties.h"
#include "palettes/dropdown.h"
#include "platform/extctrls.h"
#include "platform/fonts.h"
#include "platform/keys.h"
#include "platform/musicglyphs.h"
#include "platform/paths.h"
#include "score/calcrecords.h"
#include "score/item.h"
#include "score/score.h"
#include "uikit/charbutton.h"
#include "uikit/formparts.h"
#include "uikit/messagebox.h"
#include "uikit/scrollpanel.h"
#include "uikit/settings.h"
#include "view/window.h"

namespace qs {

namespace {

constexpr int kColumn = 26, kButtonWidth = 25, kButtonHeight = 26, kTop0 = 5, kTop1 = 32;
// The font button and the drop-down beside the regime buttons; the
// expressions right of them.
constexpr int kDropLeft = 2 * kColumn + 4, kDropWidth = 12;
constexpr int kPanelLeft = 71;
// The expression buttons: columns of three.
constexpr int kTermWidth = 100, kTermHeight = 18, kTermColumn = 102;
constexpr int kRowTops[3] = {4, 23, 42};
// The text buttons' face.
constexpr const char* kTermFontName = "Arial Narrow";
constexpr TColor kTermBorder = static_cast<TColor>(0x404042);

TFTerms* instance = nullptr;

TSpeedButton* MakeTermButton(TComponent* owner, TWinControl* parent, const std::string& text) {
  auto* b = new TSpeedButton(owner);
  b->SetParent(parent);
  b->SetCaption(text);
  TFont f = b->Font();
  f.Name = kTermFontName;
  b->SetFont(f);
  b->Flat = true;
  b->GroupIndex = 1;
  b->AllowAllUp = true;
  b->SetBounds(0, 0, kTermWidth, kTermHeight);
  return b;
}

}  // namespace

// ------------------------------------------------------------------ making

TFTerms::TFTerms(TComponent* owner, const TPaletteContext& context)
    : TFTerms(owner, context, platform::FindLibraryIndex(kTermsFile), platform::LibraryIndexFileName(kTermsFile)) {}

TFTerms::TFTerms(TComponent* owner, const TPaletteContext& context, const std::string& readFile,
                 const std::string& writeFile)
    : TQSToolPage(owner, context.Settings, "FTerms"), host_(context.Host), readFile_(readFile), writeFile_(writeFile) {
  // The program's palette is the first one; a form shown alone later
  // does not take its place.
  if (!instance) instance = this;
  SetClientWidth(kPanelLeft + 5 * kTermColumn + 4);
  SetClientHeight(kTop1 + kButtonHeight + 8);
  termFont_.Name = "Arial";
  termFont_.Color = clBlack;
  termFont_.Style = 0;
  MakeButtons();
  OnSetAttached = [this](bool attached) {
    if (host_) host_->SetPaletteAttached(TTermsSettings::kSection, attached);
  };
  OnDropped = [this](TPoint screen) {
    if (host_) host_->PaletteDropped(TTermsSettings::kSection, screen.X, screen.Y);
  };
  OnActivate = [this](TObject*) {
    if (host_) host_->PaletteActivated(TTermsSettings::kSection);
  };
  OnKeyDown = [this](TObject*, uint16_t& key, TShiftState shift) {
    if (host_) host_->PaletteKeyDown(key, shift);
  };
  Finish();
  if (settings_) values_.TermsRegime = settings_->ReadInteger(TTermsSettings::kSection, "TermsRegime", 1);
  ShowRegimeButtons(*CBSingleTerms, *CBMultiplyTerms, *CBQuickTerms, RegimeFromValue(values_.TermsRegime));
  CBPointTerms->SetDown(true);
  LoadTerms();
  FillTermButtons();
  loading_ = false;
}

TFTerms::~TFTerms() {
  if (instance == this) instance = nullptr;
}

TFTerms* TFTerms::Instance() { return instance; }

void TFTerms::MakeButtons() {
  CBPointTerms = MakeButton("CBPointTerms", "", 0, kTop0, kButtonWidth, kButtonHeight);
  CBEraseTerms = MakeButton("CBEraseTerms", "", 0, kTop1, kButtonWidth, kButtonHeight);
  CBSingleTerms = MakeButton("CBSingleTerms", "", kColumn, kTop0, kButtonWidth, kButtonHeight);
  CBMultiplyTerms = MakeButton("CBMultiplyTerms", "", kColumn, kTop0, kButtonWidth, kButtonHeight);
  CBQuickTerms = MakeButton("CBQuickTerms", "", kColumn, kTop0, kButtonWidth, kButtonHeight);
  TFont music;
  music.Name = MusicFontName;
  music.Height = -24;
  const std::pair<TECCharButton*, uint8_t> regimes[] = {
      {CBSingleTerms, glyphs::NoteQuarterUp}, {CBMultiplyTerms, glyphs::Note8thUp}, {CBQuickTerms, glyphs::Note16thUp}};
  for (auto [b, glyph] : regimes) {
    b->SetFont(music);
    b->SetByte(glyph);
    b->SetPosX(5);
    b->SetPosY(GlyphFaceTop(glyph) - 2);
  }
  SetUpPointAndErase(*CBPointTerms, *CBEraseTerms);
  CBPointTerms->OnClick = [this](TObject*) { PointClick(); };
  CBEraseTerms->OnClick = [this](TObject*) { EraseClick(); };
  for (TECCharButton* b : {CBSingleTerms, CBMultiplyTerms, CBQuickTerms})
    b->OnClick = [this](TObject*) { RegimeClick(); };

  // The expression font: a letter in it.
  CBFontTerm = MakeButton("CBFontTerm", "", kColumn, kTop1, kButtonWidth, kButtonHeight);
  TFont letter;
  letter.Name = "Times New Roman";
  letter.Height = -18;
  letter.Style = fsItalic | fsBold;
  CBFontTerm->SetFont(letter);
  CBFontTerm->SetByte('f');
  CBFontTerm->SetPosX(8);
  CBFontTerm->SetPosY(2);
  CBFontTerm->OnClick = [this](TObject*) { FontClick(); };
  // Every expression, in a popup.
  CBTerms = MakeButton("CBTerms", "", kDropLeft, kTop0, kDropWidth, kTop1 + kButtonHeight - kTop0);
  // Its drop part fills it but a pixel: an arrow down, the list drops.
  CBTerms->SetDropWidth(kDropWidth - 1);
  CBTerms->OnButtonClick = [this](TObject*) { OpenAllTerms(); };
  CBTerms->OnClick = [this](TObject*) { OpenAllTerms(); };

  SPTerms = new TECScrollPanel(this);
  SPTerms->SetName("SPTerms");
  SPTerms->SetParent(PClient);
  SPTerms->SetBevelOuter(bvNone);
  SPTerms->SetHorzScroll(true);
  SPTerms->SetBounds(kPanelLeft, 0, 5 * kTermColumn, kTop1 + kButtonHeight + 4);
  PClient->OnResize = [this](TObject*) { PlaceScrollPanel(); };
}

void TFTerms::PlaceScrollPanel() {
  SPTerms->SetBounds(kPanelLeft, 0, std::max(kTermColumn, PClient->ClientWidth() - (kDropLeft + kDropWidth) - 2 -
                                                              (kPanelLeft - kDropLeft - kDropWidth)),
                     std::max(kTermHeight, PClient->ClientHeight()));
}

// ----------------------------------------------------------------- library

void TFTerms::LoadTerms() {
  // The buttons belong to the descriptions that go.
  for (TSpeedButton* b : buttons_) delete b;
  buttons_.clear();
  chosen_ = nullptr;
  library_.Load(readFile_);
}

void TFTerms::SaveTerms() {
  library_.Save(writeFile_);
  // From now on the user's copy is the library.
  if (!writeFile_.empty()) readFile_ = writeFile_;
}

void TFTerms::FillTermButtons() {
  const int screenWidth = std::max(Screen().Width(), 800);
  std::vector<TSpeedButton*> kept;
  int x = 0, y = kRowTops[0];
  size_t index = 0;
  for (; x < screenWidth - 78 && index < library_.Items.size(); ++index) {
    TTermDescription* term = library_.Items[index].get();
    TSpeedButton* b = TermButton(term);
    if (!b) {
      b = MakeTermButton(this, SPTerms, term->Text);
      b->OnClick = [this, b](TObject*) { TermClick(b); };
    } else {
      b->SetCaption(term->Text);
    }
    b->Tag = static_cast<int>(index);
    // Buttons go by place: the one of the chosen expression is down.
    if (b->Down() != (term == chosen_)) b->SetDown(term == chosen_);
    b->SetLeft(x);
    b->SetTop(y);
    kept.push_back(b);
    if (index % 3 == 2) {
      y = kRowTops[0];
      x += kTermColumn;
    } else {
      y = kRowTops[index % 3 + 1];
    }
  }
  // The buttons of the expressions beyond the screen go.
  for (TSpeedButton* b : buttons_)
    if (std::find(kept.begin(), kept.end(), b) == kept.end()) {
      if (chosen_ && TermButton(chosen_) == b) chosen_ = nullptr;
      delete b;
    }
  buttons_ = kept;
  library_.Rebuild();
}

TSpeedButton* TFTerms::TermButton(const TTermDescription* term) const {
  // A button knows its description by the library index it was given.
  for (TSpeedButton* b : buttons_) {
    const int i = b->Tag;
    if (i >= 0 && i < static_cast<int>(library_.Items.size()) && library_.Items[static_cast<size_t>(i)].get() == term)
      return b;
  }
  return nullptr;
}

bool TFTerms::AnswerTerms(int kind, const std::vector<std::string>& text, int& value1, int& value2) const {
  if (text.empty()) return false;
  const TTermDescription* term = FindTerm(text.front());
  if (!term || term->Kind != kind) return false;
  value1 = term->Value1;
  value2 = term->Value2;
  return true;
}

void TFTerms::Forget(const TTermDescription* term) {
  if (chosen_ == term) {
    chosen_ = nullptr;
    PressPoint();
  }
}

// ----------------------------------------------------------------- regime

TInputRegime TFTerms::Regime() const { return ShownRegime(*CBSingleTerms, *CBQuickTerms); }

void TFTerms::RegimeClick() {
  const TInputRegime next = NextRegime(Regime());
  ShowRegimeButtons(*CBSingleTerms, *CBMultiplyTerms, *CBQuickTerms, next);
  values_.TermsRegime = static_cast<int>(next);
  if (settings_) settings_->WriteInteger(TTermsSettings::kSection, "TermsRegime", values_.TermsRegime);
  ApplyTool();
}

void TFTerms::ResetToDefaults() {
  ShowRegimeButtons(*CBSingleTerms, *CBMultiplyTerms, *CBQuickTerms, TInputRegime::Multiply);
  PressPoint();
}

void TFTerms::ReleaseTerms() {
  for (TSpeedButton* b : buttons_)
    if (b->Down()) b->SetDown(false);
}

void TFTerms::PressPoint() {
  CBPointTerms->SetDown(true);
  PointClick();
}

void TFTerms::PointClick() {
  CBPointTerms->SetDown(true);
  ReleaseTerms();
  chosen_ = nullptr;
  ApplyTool();
}

void TFTerms::EraseClick() {
  CBEraseTerms->SetDown(true);
  ReleaseTerms();
  chosen_ = nullptr;
  ApplyTool();
}

void TFTerms::TermClick(TSpeedButton* button) {
  const int i = button ? button->Tag : -1;
  if (i < 0 || i >= static_cast<int>(library_.Items.size())) return;
  chosen_ = library_.Items[static_cast<size_t>(i)].get();
  if (Regime() == TInputRegime::Quick) {
    // It goes in at the cursor at once, and the palette is back on Point.
    TQSScore* score = host_ ? host_->ActiveScore() : nullptr;
    if (auto* view = score ? dynamic_cast<TQSWindow*>(score->ActiveWindow()) : nullptr) {
      view->PartClickOffset = -120;
      InsertToolItem(*view, TInsertFrom::QuickButton);
    }
    PressPoint();
    return;
  }
  if (button->Down()) {
    CBPointTerms->SetDown(false);
    CBEraseTerms->SetDown(false);
    for (TSpeedButton* b : buttons_)
      if (b != button && b->Down()) b->SetDown(false);
  } else {
    PressPoint();
    return;
  }
  ApplyTool();
}

void TFTerms::ChooseFromPopup(const TTermDescription* term) {
  library_.MoveToFront(term);
  FillTermButtons();
  if (TSpeedButton* b = TermButton(term)) {
    b->SetDown(true);
    TermClick(b);
  }
}

bool TFTerms::PageKey(uint16_t key, uint16_t shift, uint16_t prefix) {
  (void)shift, (void)prefix;
  switch (key) {
    case VK_ESCAPE: case 'Q': PressPoint(); return true;
    case 'W': RegimeClick(); return true;
    case 'E':
      CBEraseTerms->SetDown(true);
      EraseClick();
      return true;
    default: return false;
  }
}

// ------------------------------------------------------------------- font

void TFTerms::SetTermFont(const TFont& font, int size) {
  termFont_.Name = font.Name;
  termFont_.Style = font.Style;
  termFont_.Color = font.Color;
  termSize_ = std::max(1, size);
}

void TFTerms::FontClick() {
  TFTextProperties dialog(nullptr, settings_);
  dialog.SetFontOnly(true);
  dialog.SetTextFont(termFont_.Name, termSize_, termFont_.Style, termFont_.Color);
  if (dialog.ShowModal() != mrOk) return;
  TFont f;
  f.Name = dialog.FontName();
  f.Style = dialog.FontStyle();
  f.Color = dialog.FontColor();
  SetTermFont(f, dialog.FontSize());
}

// ------------------------------------------------------------- the views

void TFTerms::ApplyTool() {
  if (loading_) return;
  if (CBEraseTerms->Down()) SetActiveViewCursor(host_, "ERASE");
  else if (CBPointTerms->Down() || !chosen_) SetActiveViewCursor(host_, "");
  else SetToolCursor(host_, "EXPRESSION");
  if (!host_ || !host_->ActiveScore()) return;
  const bool armed = !CBPointTerms->Down() && !CBEraseTerms->Down() && chosen_ && Regime() != TInputRegime::Quick;
  ArmViews(host_, armed ? paletteitem::PartMark : paletteitem::None);
  host_->SetEntryDuration(0);
}

// ------------------------------------------------------------- entering

bool TFTerms::InsertToolItem(TQSWindow& view, TInsertFrom from) {
  TQSScore* score = view.Score;
  if (!score) return false;
  const TInputRegime regime = Regime();
  if (from == TInsertFrom::Click && regime == TInputRegime::Quick) return false;
  if (!chosen_ || CBPointTerms->Down() || CBEraseTerms->Down()) {
    if (from != TInsertFrom::QuickButton || !chosen_) return false;
  }
  const bool entered = InsertLyric(*score, kind::Term, {chosen_->Text}, termFont_.Name, view.PartClickOffset - 128, 0,
                                   termSize_, termFont_.Style, static_cast<uint32_t>(termFont_.Color),
                                   false) != nullptr;
  if (regime == TInputRegime::Single) PressPoint();
  return entered;
}

bool TFTerms::ItemClick(TQSWindow& view, TQSCalcItem& element) {
  TQSScore* score = view.Score;
  if (!score || Regime() == TInputRegime::Quick) return false;
  if (CBEraseTerms->Down()) {
    if (!element.Item) return false;
    EraseItem(*score, element.Item);
    return true;
  }
  return InsertToolItem(view, TInsertFrom::Click);
}

// ------------------------------------------------------------ the popup

TFAllTerms* TFTerms::OpenAllTerms() {
  auto* popup = new TFAllTerms(nullptr, *this);
  const TPoint below = CBTerms->ClientToScreen(TPoint{0, CBTerms->Height()});
  popup->SetBounds(below.X, below.Y, popup->Width(), popup->Height());
  popup->Show();
  return popup;
}

bool TFTerms::EditLibrary() {
  TFTermList editor(nullptr, settings_, *this);
  return editor.ShowModal() == mrOk;
}

// ------------------------------------------------------------ the score

void AnswerTerms(TQSScore& score) {
  score.OnGetTerms = [](TObject*, int kind, const std::vector<std::string>& text, int& value1, int& value2) {
    const TFTerms* terms = TFTerms::Instance();
    return terms && terms->AnswerTerms(kind, text, value1, value2);
  };
}

// ------------------------------------------------------------- registry

void RegisterTermsPalette() {
  static bool registered = false;
  if (registered) return;
  registered = true;
  AddPaletteEntry({"Terms", "TSTerms", "TermsAttached",
                   [](TComponent* owner, const TPaletteContext& context) -> TPalette* {
                     return new TFTerms(owner, context);
                   }});
  // The forms shown alone hold the shipped expressions and save nothing.
  auto sample = [] { return new TFTerms(nullptr, TPaletteContext{}, platform::FindResource(kTermsFile), ""); };
  RegisterForm("FTerms", [](const std::string&) -> std::unique_ptr<TCustomForm> {
    auto form = std::make_unique<TFTerms>(nullptr, TPaletteContext{}, platform::FindResource(kTermsFile), "");
    if (!form->TermButtons().empty()) {
      TSpeedButton* b = form->TermButtons().front();
      b->SetDown(true);
      form->TermClick(b);
    }
    return form;
  });
  RegisterForm("FAllTerms", [sample](const std::string&) -> std::unique_ptr<TCustomForm> {
    TFTerms* terms = sample();
    auto form = std::make_unique<TFAllTerms>(nullptr, *terms);
    form->OnDeactivate = nullptr;
    form->OnClose = nullptr;
    form->InsertComponent(terms);
    return form;
  });
  RegisterForm("FTermList", [sample](const std::string&) -> std::unique_ptr<TCustomForm> {
    TFTerms* terms = sample();
    auto form = std::make_unique<TFTermList>(nullptr, nullptr, *terms);
    form->InsertComponent(terms);
    return form;
  });
  RegisterTermSettingsForms();
}

}  // namespace qs
