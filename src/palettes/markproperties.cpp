#include "palettes/markproperties.h"

#include <algorithm>
#include <memory>

#include "base/inifile.h"
#include "base/strings.h"
#include "palettes/designchoosers.h"
#include "palettes/dropdown.h"
#include "platform/canvas.h"
#include "platform/comctrls.h"
#include "platform/extctrls.h"
#include "platform/fonts.h"
#include "platform/keys.h"
#include "platform/musicglyphs.h"
#include "platform/stdctrls.h"
#include "uikit/charbutton.h"
#include "uikit/formparts.h"
#include "uikit/frames.h"
#include "uikit/toolfaces.h"

namespace qs {

namespace {

// A dialog of this family: skinned, centred, Esc cancels.
void SetUpDialog(TForm& form, const char* name, const char* caption, int width, int height) {
  form.SetName(name);
  form.SetCaption(caption);
  form.SetBorderStyle(bsDialog);
  form.SetPosition(poScreenCenter);
  form.SetClientWidth(width);
  form.SetClientHeight(height);
  ApplySkinTemplate(form, skinkind::Normal);
}

// Only the place of a dialog comes back: it keeps its own size.
void RestorePlace(TForm& form, TIniFile* settings, const char* section) {
  if (!settings) return;
  TRect bounds = form.BoundsRect();
  if (ReadFormBounds(*settings, section, bounds)) form.SetBounds(bounds.Left, bounds.Top, form.Width(), form.Height());
}

TUpDown* MakeUpDown(TForm& form, const char* name, TEdit* edit, int min, int max, int position) {
  auto* ud = Make<TUpDown>(&form, name, edit->Left() + edit->Width(), edit->Top(), 17, edit->Height());
  ud->Min = min;
  ud->Max = max;
  ud->SetAssociate(edit);
  ud->SetPosition(position);
  return ud;
}

int EditNumber(const TEdit& edit, const TUpDown& ud) {
  return std::clamp(StrToIntSafe(Trim(edit.Text()), ud.Position()), ud.Min, ud.Max);
}

}  // namespace

// ------------------------------------------------------- rehearsal number

std::string RehearsalLetters(int number) {
  int k = std::max(number, 1) - 1;
  std::string text;
  while (k > 25) {
    text.insert(text.begin(), static_cast<char>('A' + k % 26));
    k = k / 26 - 1;
  }
  text.insert(text.begin(), static_cast<char>('A' + k));
  return text;
}

int RehearsalLettersValue(const std::string& letters) {
  int value = 0;
  for (char ch : letters) {
    if (ch < 'A' || ch > 'Z') return 0;
    value = value * 26 + (ch - 'A' + 1);
  }
  return value;
}

char16_t RehearsalTypedKey(char16_t key, bool digits) {
  if (key == 8) return key;
  if (!digits && key >= u'a' && key <= u'z') return static_cast<char16_t>(key - u'a' + u'A');
  if (digits ? key >= u'1' && key <= u'9' : key >= u'A' && key <= u'Z') return key;
  return 0;
}

namespace {
constexpr const char* kRehearsalSection = "RehearsalMarkCountForm";
constexpr int kRehearsalLength = 3;
}  // namespace

TFRehearsalMarkCount::TFRehearsalMarkCount(TComponent* owner, TIniFile* settings) : TForm(owner), settings_(settings) {
  SetUpDialog(*this, "FRehearsalMarkCount", "Rehearsal mark", 232, 104);
  LValue = Make<TLabel>(this, "LValue", 12, 12, 208, 16);
  LValue->SetCaption("Number");
  CBValue = Make<TComboBox>(this, "CBValue", 12, 34, 80, 21);
  CBValue->SetTabStop(true);
  CBValue->DropDownCount = 12;
  CBValue->OnKeyPress = [this](TObject*, char16_t& key) {
    const char16_t typed = RehearsalTypedKey(key, digits_);
    if (typed == key) return;
    key = 0;
    // A small letter goes in as its capital, at the end of the entry.
    if (typed && typed != 8 && CBValue->Text().size() < kRehearsalLength)
      CBValue->SetText(CBValue->Text() + static_cast<char>(typed));
  };
  CBValue->OnChange = [this](TObject*) {
    const std::string text = CBValue->Text();
    if (text.size() > kRehearsalLength) CBValue->SetText(text.substr(0, kRehearsalLength));
  };
  BBOk = MakeOkButton(this, "&OK", 64, 70);
  BBOk->ModalResult = mrOk;
  BBCancel = MakeCancelButton(this, 145, 70);
  LRehearsalMarkCount = MakeFormLanguage(this, "LRehearsalMarkCount");
  SetDigits(false);
  RestorePlace(*this, settings_, kRehearsalSection);
}

TFRehearsalMarkCount::~TFRehearsalMarkCount() {
  if (settings_) WriteFormBounds(*settings_, kRehearsalSection, BoundsRect());
}

void TFRehearsalMarkCount::SetDigits(bool digits) {
  digits_ = digits;
  TStringList items;
  if (digits)
    for (int i = 1; i <= 99; ++i) items.Add(std::to_string(i));
  else
    for (char ch = 'A'; ch <= 'Z'; ++ch) items.Add(std::string(1, ch));
  CBValue->SetItems(items);
}

void TFRehearsalMarkCount::SetValue(int number) {
  CBValue->SetText(digits_ ? std::to_string(number) : RehearsalLetters(number));
}

bool TFRehearsalMarkCount::GetValue(int& number) const {
  const std::string text = Trim(CBValue->Text());
  const int value = digits_ ? StrToIntSafe(text, 0) : RehearsalLettersValue(text);
  // Numbers are stored in a word; nothing and zero make no mark.
  if (value < 1 || value > 0xFFFF) return false;
  number = value;
  return true;
}

// ---------------------------------------------------------------- section

namespace {
constexpr const char* kSectionSection = "PartNumberForm";
}  // namespace

TFPartComposition::TFPartComposition(TComponent* owner, TIniFile* settings) : TForm(owner), settings_(settings) {
  SetUpDialog(*this, "FPartComposition", "Section properties", 252, 118);
  LNumber = Make<TLabel>(this, "LNumber", 12, 16, 150, 16);
  LNumber->SetCaption("Number");
  ENumber = Make<TEdit>(this, "ENumber", 170, 12, 44, 21);
  ENumber->SetTabStop(true);
  UDNumber = MakeUpDown(*this, "UDNumber", ENumber, 1, 20, 1);
  LCount = Make<TLabel>(this, "LCount", 12, 46, 150, 16);
  LCount->SetCaption("Measures");
  ECount = Make<TEdit>(this, "ECount", 170, 42, 44, 21);
  ECount->SetTabStop(true);
  UDCount = MakeUpDown(*this, "UDCount", ECount, 1, 20, 1);
  LNumber->FocusControl = ENumber;
  LCount->FocusControl = ECount;
  BBOk = MakeOkButton(this, "&OK", 84, 82);
  BBOk->ModalResult = mrOk;
  BBCancel = MakeCancelButton(this, 165, 82);
  LPartComposition = MakeFormLanguage(this, "LPartComposition");
  // This one comes back with its size too.
  if (settings_) {
    TRect bounds = BoundsRect();
    if (ReadFormBounds(*settings_, kSectionSection, bounds)) SetBounds(bounds.Left, bounds.Top, bounds.Width(), bounds.Height());
  }
}

TFPartComposition::~TFPartComposition() {
  if (settings_) WriteFormBounds(*settings_, kSectionSection, BoundsRect());
}

int TFPartComposition::Number() const { return EditNumber(*ENumber, *UDNumber); }
int TFPartComposition::Count() const { return EditNumber(*ECount, *UDCount); }

// ---------------------------------------------------- the line-style face

TECCharButton* MakeLineStyleButton(TForm& form, TWinControl* parent, int left, int top, int& lineStyle) {
  auto* b = Make<TECCharButton>(&form, parent, "CBLineStyle", left, top, 60, 24);
  b->SetCustomDraw(true);
  b->SetDropWidth(12);
  b->OnDrawCharButton = [&lineStyle](TObject*, TCanvas& c, TRect r) {
    // Two navy lines in the style, a pixel inside left and right and two
    // inside top and bottom.
    const TRect clip{r.Left + 1, r.Top + 2, r.Right - 1, r.Bottom - 2};
    const int y = (clip.Top + clip.Bottom) / 2;
    c.Pen() = TPen{};
    c.Pen().Color = RGB(0, 0, 128);
    c.Pen().Style = static_cast<TPenStyle>(std::clamp(lineStyle, 0, 4));
    c.Brush().Style = bsClear;
    for (int dy : {-1, 1}) c.Polyline({{clip.Left + 2, y + dy}, {clip.Right - 2, y + dy}});
  };
  b->OnButtonClick = [&form, b, &lineStyle](TObject*) {
    auto* chooser = new TFValueChooser(&form, TFValueChooser::TKind::LineStyles);
    chooser->SetValue(lineStyle);
    chooser->OnChoose = [b, &lineStyle](TObject*, int chosen) {
      if (chosen < 0) return;
      lineStyle = chosen;
      b->Invalidate();
    };
    PlaceBelowControl(*b, *chooser);
    chooser->ShowForm();
  };
  return b;
}

// ------------------------------------------------------------------ barre

namespace {
constexpr const char* kBarreSection = "BarrePropertiesForm";
}  // namespace

TFBarreProperties::TFBarreProperties(TComponent* owner, TIniFile* settings) : TForm(owner), settings_(settings) {
  SetUpDialog(*this, "FBarreProperties", "Barre", 352, 214);
  LFret = Make<TLabel>(this, "LFret", 12, 16, 80, 16);
  LFret->SetCaption("Fret");
  EFret = Make<TEdit>(this, "EFret", 96, 12, 44, 21);
  EFret->SetTabStop(true);
  UDFret = MakeUpDown(*this, "UDFret", EFret, 1, 31, 1);
  LFret->FocusControl = EFret;

  RGType = Make<TGroupBox>(this, "RGType", 12, 44, 156, 96);
  RGType->SetCaption("Type");
  // The three ways a half barre is written: the signs read alike in every
  // language, so they are the same everywhere.
  const char* const typeNames[] = {"RBType0", "RBType1", "RBType2"};
  const char* const typeSigns[] = {"1/2 II", "1/2 BII", "1/2 CII"};
  for (int i = 0; i < 3; ++i) {
    RBType[i] = Make<TRadioButton>(this, RGType, typeNames[i], 10, 20 + 24 * i, 130, 20);
    RBType[i]->SetCaption(typeSigns[i]);
    RBType[i]->SetTabStop(true);
  }

  GBShow = Make<TGroupBox>(this, "GBShow", 12, 146, 156, 56);
  GBShow->SetCaption("Show");
  CBBrackets = Make<TCheckBox>(this, GBShow, "CBBrackets", 8, 22, 80, 20);
  CBBrackets->SetCaption("Brackets");
  CBBrackets->SetTabStop(true);
  // The button is drawn by the form, so it stands on the form over the frame.
  CBLineStyle = MakeLineStyleButton(*this, this, GBShow->Left() + 90, GBShow->Top() + 20, LineStyle);

  GBAmount = Make<TGroupBox>(this, "GBAmount", 176, 12, 84, 190);
  GBAmount->SetCaption("Strings");
  auto amount = [&](const char* name, const char* caption, int row) {
    auto* rb = Make<TRadioButton>(this, GBAmount, name, 10, 20 + 27 * row, 68, 20);
    rb->SetCaption(caption);
    rb->SetTabStop(true);
    return rb;
  };
  RBAll = amount("RBAll", "All", 0);
  RB16 = amount("RB16", "1/6", 1);
  RB13 = amount("RB13", "1/3", 2);
  RB12 = amount("RB12", "1/2", 3);
  RB23 = amount("RB23", "2/3", 4);
  RB56 = amount("RB56", "5/6", 5);

  BBOk = MakeOkButton(this, "&OK", 268, 18);
  BBOk->ModalResult = mrOk;
  BBCancel = MakeCancelButton(this, 268, 50);
  LBarreProperties = MakeFormLanguage(this, "LBarreProperties");

  RestorePlace(*this, settings_, kBarreSection);
  SetFret(settings_ ? settings_->ReadInteger(kBarreSection, "Fret", 1) : 1);
  SetBarreStyle(settings_ ? settings_->ReadInteger(kBarreSection, "Style", 19) : 19);
  LineStyle = std::clamp(settings_ ? settings_->ReadInteger(kBarreSection, "LineStyle", 2) : 2, 0, 4);
}

TFBarreProperties::~TFBarreProperties() {
  if (!settings_) return;
  // The values last shown are the next barre's.
  WriteFormBounds(*settings_, kBarreSection, BoundsRect());
  settings_->WriteInteger(kBarreSection, "Fret", GetFret() & 0xFF);
  settings_->WriteInteger(kBarreSection, "Style", GetBarreStyle());
  settings_->WriteInteger(kBarreSection, "LineStyle", LineStyle);
}

int TFBarreProperties::GetFret() const { return EditNumber(*EFret, *UDFret); }
void TFBarreProperties::SetFret(int fret) { UDFret->SetPosition(std::clamp(fret, UDFret->Min, UDFret->Max)); }

int TFBarreProperties::GetBarreStyle() const {
  int type = 0;
  for (int i = 0; i < 3; ++i)
    if (RBType[i]->Checked()) type = i;
  int amount = 0;
  const TRadioButton* const amounts[] = {RB16, RB13, RB12, RB23, RB56};
  for (int i = 0; i < 5; ++i)
    if (amounts[i]->Checked()) {
      amount = i + 1;
      break;
    }
  return BarreStyle(type, amount, CBBrackets->Checked());
}

void TFBarreProperties::SetBarreStyle(int style) {
  // Three types are known; a style byte from elsewhere may hold more.
  const int type = (style >> 4) & 7;
  for (int i = 0; i < 3; ++i) RBType[i]->SetChecked(i == type);
  TRadioButton* const amounts[] = {RBAll, RB16, RB13, RB12, RB23, RB56};
  const int amount = style & 0x0F;
  for (int i = 0; i < 6; ++i) amounts[i]->SetChecked(i == amount);
  CBBrackets->SetChecked((style & kBarreBrackets) != 0);
}

// -------------------------------------------------------------- harmonic

std::string RomanFret(int n) {
  static const char* const units[] = {"", "I", "II", "III", "IV", "V", "VI", "VII", "VIII", "IX"};
  n = std::max(n, 1);
  return std::string(static_cast<size_t>(n / 10), 'X') + units[n % 10];
}

namespace {
constexpr const char* kFlajoletSection = "FlajoletPropertiesForm";
}  // namespace

TFFlajoletProperties::TFFlajoletProperties(TComponent* owner, TIniFile* settings)
    : TForm(owner), settings_(settings) {
  SetUpDialog(*this, "FFlajoletProperties", "Harmonic", 440, 126);
  CBFretLeft = Make<TECCharButton>(this, "CBFretLeft", 12, 12, 20, 26);
  CBFretRight = Make<TECCharButton>(this, "CBFretRight", 408, 12, 20, 26);
  for (auto [b, arrow] : {std::pair{CBFretLeft, asLeft}, std::pair{CBFretRight, asRight}}) {
    b->SetFlat(true);
    b->SetCustomDraw(true);
    b->OnDrawCharButton = [arrow = arrow](TObject*, TCanvas& c, TRect r) { DrawArrow(c, r, arrow, clBlack); };
  }
  PFret = Make<TPanel>(this, "PFret", 36, 12, kView, 26);
  PFret->SetBevelOuter(bvNone);
  PButtons = Make<TPanel>(this, PFret, "PButtons", 0, 1, kStep * kFrets + 1, 24);
  PButtons->SetBevelOuter(bvNone);
  TFont narrow;
  narrow.Name = "Arial Narrow";
  narrow.SetSize(8);
  for (int i = 0; i < kFrets; ++i) {
    const std::string name = "CBFret" + std::to_string(i + 1);
    auto* b = Make<TECCharButton>(this, PButtons, name.c_str(), kStep * i, 0, 24, 24);
    b->SetCaption(RomanFret(i + 1));
    b->SetFont(narrow);
    b->SetFlat(true);
    b->SetBlackBorder(true);
    b->SetGroupIndex(1);
    Frets[static_cast<size_t>(i)] = b;
  }
  CBFretLeft->OnClick = [this](TObject*) {
    if (StripLeft() < 0) MoveStrip(StripLeft() + kStep);
  };
  CBFretRight->OnClick = [this](TObject*) {
    if (StripLeft() >= -183) MoveStrip(StripLeft() - kStep);
  };
  CBContinue = Make<TCheckBox>(this, "CBContinue", 36, 50, 190, 20);
  CBContinue->SetCaption("Continue");
  CBContinue->SetTabStop(true);
  CBLineStyle = MakeLineStyleButton(*this, this, 236, 48, LineStyle);
  BBOk = MakeOkButton(this, "&OK", 272, 90);
  BBOk->ModalResult = mrOk;
  BBCancel = MakeCancelButton(this, 353, 90);
  LFlajoletProperties = MakeFormLanguage(this, "LFlajoletProperties");

  RestorePlace(*this, settings_, kFlajoletSection);
  SetFret(settings_ ? settings_->ReadInteger(kFlajoletSection, "Fret", 0) : 0);
  SetContinue(settings_ ? settings_->ReadInteger(kFlajoletSection, "Style", 0) : 0);
  LineStyle = std::clamp(settings_ ? settings_->ReadInteger(kFlajoletSection, "LineStyle", 2) : 2, 0, 4);
}

TFFlajoletProperties::~TFFlajoletProperties() {
  if (!settings_) return;
  WriteFormBounds(*settings_, kFlajoletSection, BoundsRect());
  settings_->WriteInteger(kFlajoletSection, "Fret", GetFret());
  settings_->WriteInteger(kFlajoletSection, "Style", GetContinue());
  settings_->WriteInteger(kFlajoletSection, "LineStyle", LineStyle);
}

int TFFlajoletProperties::StripLeft() const { return PButtons->Left(); }

void TFFlajoletProperties::MoveStrip(int left) { PButtons->SetBounds(left, PButtons->Top(), PButtons->Width(), PButtons->Height()); }

int TFFlajoletProperties::GetFret() const {
  for (int i = 0; i < kFrets; ++i)
    if (Frets[static_cast<size_t>(i)]->Down()) return i;
  return 0;
}

void TFFlajoletProperties::SetFret(int index) {
  if (index < 0 || index >= kFrets) {
    // No fret of the strip: none is pressed (a group keeps one down
    // unless told otherwise).
    for (TECCharButton* b : Frets) {
      b->SetAllowAllUp(true);
      b->SetDown(false);
      b->SetAllowAllUp(false);
    }
    return;
  }
  Frets[static_cast<size_t>(index)]->SetDown(true);
  // The pressed fret comes into view.
  const int left = StripLeft() + kStep * index;
  if (left < 0) MoveStrip(-kStep * index);
  else if (left + kStep > kView) MoveStrip(kView - kStep - kStep * index);
}

int TFFlajoletProperties::GetContinue() const { return CBContinue->Checked() ? 1 : 0; }
void TFFlajoletProperties::SetContinue(int value) { CBContinue->SetChecked((value & 1) != 0); }

// ------------------------------------------------------------------ tempo

TFTempoProperties::TFTempoProperties(TComponent* owner) : TForm(owner) {
  SetUpDialog(*this, "FTempoProperties", "Tempo", 252, 118);
  TFont music;
  music.Name = MusicFontName;
  music.Height = -24;
  const char* const names[] = {"CBNote", "CBNote2", "CBNote4", "CBNote8", "CBNote16"};
  for (int i = 0; i < 5; ++i) {
    auto* b = Make<TECCharButton>(this, names[i], 12 + 30 * i, 12, 28, 36);
    const auto glyph = static_cast<uint8_t>(42 + i);
    b->SetFont(music);
    b->SetByte(glyph);
    b->SetPosX(8);
    b->SetPosY(GlyphFaceTop(glyph) + 5);
    b->SetFlat(true);
    b->SetGroupIndex(2);
    Notes[static_cast<size_t>(i)] = b;
  }
  Notes[2]->SetDown(true);
  LTempo = Make<TLabel>(this, "LTempo", 172, 8, 70, 16);
  LTempo->SetCaption("= tempo");
  ETempo = Make<TEdit>(this, "ETempo", 172, 26, 60, 21);
  ETempo->SetTabStop(true);
  LTempo->FocusControl = ETempo;
  ETempo->OnKeyPress = [](TObject*, char16_t& key) {
    if (key != 8 && (key < u'0' || key > u'9')) key = 0;
  };
  SetTempo(tempo_);
  BBOk = MakeOkButton(this, "&OK", 84, 82);
  BBOk->ModalResult = mrOk;
  BBCancel = MakeCancelButton(this, 165, 82);
  LTempoProperties = MakeFormLanguage(this, "LTempoProperties");
}

int TFTempoProperties::GetNoteValue() const {
  for (int i = 0; i < 5; ++i)
    if (Notes[static_cast<size_t>(i)]->Down()) return i;
  return 2;
}

void TFTempoProperties::SetNoteValue(int value) {
  Notes[static_cast<size_t>(value >= 0 && value <= 4 ? value : 2)]->SetDown(true);
}

int TFTempoProperties::GetTempo() const { return std::clamp(StrToIntSafe(Trim(ETempo->Text()), tempo_), 1, 1000); }

void TFTempoProperties::SetTempo(int tempo) {
  tempo_ = std::clamp(tempo, 1, 1000);
  ETempo->SetText(std::to_string(tempo_));
}

// ------------------------------------------------------------ grace notes

namespace {
// The track's ends: an eighth (64 ticks) at the left, a 64th (8) at the right.
constexpr int kTrackMin = 8, kTrackMax = 64, kTrackSum = kTrackMin + kTrackMax;
}  // namespace

TFVorschlagProperties::TFVorschlagProperties(TComponent* owner) : TForm(owner) {
  SetUpDialog(*this, "FVorschlagProperties", "Grace notes", 352, 224);
  SetFormHelpTopic(Name(), "GraceNoteProp");
  RGPlace = Make<TGroupBox>(this, "RGPlace", 12, 8, 164, 72);
  RGPlace->SetCaption("Place");
  RBBefore = Make<TRadioButton>(this, RGPlace, "RBBefore", 8, 20, 154, 20);
  RBBefore->SetCaption("Before the note");
  RBAfter = Make<TRadioButton>(this, RGPlace, "RBAfter", 8, 44, 154, 20);
  RBAfter->SetCaption("After the note");
  RGStyle = Make<TGroupBox>(this, "RGStyle", 180, 8, 164, 72);
  RGStyle->SetCaption("Style");
  RBShort = Make<TRadioButton>(this, RGStyle, "RBShort", 8, 20, 154, 20);
  RBShort->SetCaption("Short");
  RBLong = Make<TRadioButton>(this, RGStyle, "RBLong", 8, 44, 154, 20);
  RBLong->SetCaption("Long");
  for (TRadioButton* rb : {RBBefore, RBAfter, RBShort, RBLong}) rb->SetTabStop(true);
  RBBefore->SetChecked(true);
  RBLong->SetChecked(true);

  GBDuration = Make<TGroupBox>(this, "GBDuration", 12, 86, 332, 64);
  GBDuration->SetCaption("Duration");
  RBDefault = Make<TRadioButton>(this, GBDuration, "RBDefault", 10, 24, 110, 20);
  RBDefault->SetCaption("Default");
  RBDefault->SetTabStop(true);
  TBDuration = Make<TTrackBar>(this, GBDuration, "TBDuration", 124, 20, 196, 30);
  TBDuration->SetMin(kTrackMin);
  TBDuration->SetMax(kTrackMax);
  TBDuration->SetFrequency(8);
  TBDuration->SetPageSize(8);
  TBDuration->SetTabStop(true);
  TBDuration->OnChange = [this](TObject*) {
    if (!presetting_) RBDefault->SetChecked(false);
  };
  RBDefault->SetChecked(true);

  LNoteInterval = Make<TLabel>(this, "LNoteInterval", 12, 164, 170, 16);
  LNoteInterval->SetCaption("Spacing");
  ENoteInterval = Make<TEdit>(this, "ENoteInterval", 186, 160, 44, 21);
  ENoteInterval->SetTabStop(true);
  UDNoteInterval = MakeUpDown(*this, "UDNoteInterval", ENoteInterval, 0, 100, 0);
  LNoteInterval->FocusControl = ENoteInterval;

  BBOk = MakeOkButton(this, "&OK", 103, 192);
  BBOk->ModalResult = mrOk;
  BBCancel = MakeCancelButton(this, 184, 192);
  BBHelp = Make<TButton>(this, "BBHelp", 265, 192, 75, 25);
  BBHelp->SetCaption("Help");
  BBHelp->SetTabStop(true);
  BBHelp->OnClick = [](TObject*) { ShowHelpTopic("GraceNoteProp"); };
  LVorschlagProperties = MakeFormLanguage(this, "LVorschlagProperties");
  // The Helper explains the dialog beside it while it is open.
  OnShow = [this](TObject*) { ShowHelperContext({"Vorschlag"}, true, Left(), Top(), Width(), Height()); };
  OnClose = [](TObject*, TCloseAction&) { ReturnHelperContext(); };
}

bool TFVorschlagProperties::GetBefore() const { return RBBefore->Checked(); }
void TFVorschlagProperties::SetBefore(bool before) {
  RBBefore->SetChecked(before);
  RBAfter->SetChecked(!before);
}
bool TFVorschlagProperties::GetShort() const { return RBShort->Checked(); }
void TFVorschlagProperties::SetShort(bool isShort) {
  RBShort->SetChecked(isShort);
  RBLong->SetChecked(!isShort);
}

int TFVorschlagProperties::GetDuration() const {
  return RBDefault->Checked() ? 0 : kTrackSum - TBDuration->Position();
}

void TFVorschlagProperties::SetDuration(int ticks) {
  presetting_ = true;
  if (ticks == 0) {
    RBDefault->SetChecked(true);
  } else {
    TBDuration->SetPosition(std::clamp(kTrackSum - ticks, kTrackMin, kTrackMax));
    RBDefault->SetChecked(false);
  }
  presetting_ = false;
}

int TFVorschlagProperties::GetNoteInterval() const { return EditNumber(*ENoteInterval, *UDNoteInterval); }
void TFVorschlagProperties::SetNoteInterval(int interval) {
  UDNoteInterval->SetPosition(std::clamp(interval, UDNoteInterval->Min, UDNoteInterval->Max));
}

// ---------------------------------------------------------------- formshot

void RegisterMarkPropertiesForms() {
  RegisterForm("FRehearsalMarkCount", [](const std::string&) -> std::unique_ptr<TCustomForm> {
    auto form = std::make_unique<TFRehearsalMarkCount>(nullptr, nullptr);
    form->SetValue(3);
    return form;
  });
  RegisterForm("FPartComposition", [](const std::string&) -> std::unique_ptr<TCustomForm> {
    return std::make_unique<TFPartComposition>(nullptr, nullptr);
  });
  RegisterForm("FBarreProperties", [](const std::string&) -> std::unique_ptr<TCustomForm> {
    return std::make_unique<TFBarreProperties>(nullptr, nullptr);
  });
  RegisterForm("FFlajoletProperties", [](const std::string&) -> std::unique_ptr<TCustomForm> {
    auto form = std::make_unique<TFFlajoletProperties>(nullptr, nullptr);
    form->SetFret(11);
    return form;
  });
  RegisterForm("FTempoProperties", [](const std::string&) -> std::unique_ptr<TCustomForm> {
    return std::make_unique<TFTempoProperties>(nullptr);
  });
  RegisterForm("FVorschlagProperties", [](const std::string&) -> std::unique_ptr<TCustomForm> {
    auto form = std::make_unique<TFVorschlagProperties>(nullptr);
    form->SetDuration(32);
    return form;
  });
}

}  // namespace qs
