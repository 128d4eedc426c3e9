#include "palettes/symbolpickers.h"

#include <algorithm>
#include <memory>

#include "base/inifile.h"
#include "base/strings.h"
#include "palettes/glyphpainters.h"
#include "platform/canvasutil.h"
#include "platform/extctrls.h"
#include "platform/keys.h"
#include "platform/stdctrls.h"
#include "uikit/charbutton.h"
#include "uikit/formparts.h"
#include "uikit/names.h"
#include "uikit/pagecontrol.h"
#include "uikit/toolfaces.h"

namespace qs {

// ---------------------------------------------------------------------- clef

namespace {
constexpr const char* kClefButtons[kClefCount] = {
    "CBKeyG",  "CBKeyGO",      "CBKeyGOB",         "CBKeyC",           "CBKeyCB", "CBKeyCOB", "CBKeyF", "CBKeyFT",
    "CBKeyViolin2", "CBKeyTab", "CBKeyPercussion1", "CBKeyPercussion2", "CBKey1",  "CBKey2",   "CBKey3"};
constexpr int kClefCell = 78, kClefButton = 79;
}  // namespace

TFChooseClef::TFChooseClef(TComponent* owner)
    : TDropDownPicker(owner, "FChooseClef", 2 + 3 * kClefCell + 1, 2 + 5 * kClefCell + 1) {
  SetCaption("Clef");
  for (int i = 0; i < kClefCount; ++i) {
    const int code = i + 1;
    TECCharButton* b =
        ValueButton(this, kClefButtons[i], 2 + kClefCell * (i % 3), 2 + kClefCell * (i / 3), kClefButton, kClefButton);
    b->SetCustomDraw(true);
    b->OnDrawCharButton = [b, code](TObject*, TCanvas& c, TRect r) {
      toolface::Raised(*b, r, [&](const TRect& face, TColor ink) {
        const bool grey = ink != clBlack;
        DrawClef(c, face, grey, code);
        // The clef's name below the staff, a line or two, centred.
        c.Font() = TFont{};
        c.Font().Name = "Arial";
        c.Font().SetSize(8);
        c.Font().Style = fsItalic;
        c.Font().Color = ink;
        c.Brush().Style = bsClear;
        TStringList lines;
        WrapTextToWidth(c, ClefName(code - 1), face.Width(), lines);
        for (int n = 0; n < lines.Count(); ++n)
          c.TextOut((face.Left + face.Right - c.TextWidth(lines[n])) / 2, face.Bottom - 28 + 12 * n, lines[n]);
      });
    };
    ChooseOnClick(b, [this, code] {
      SetClef(code);
      if (OnChoose) OnChoose(this, code);
    });
    Buttons[static_cast<size_t>(i)] = b;
  }
  Finish();
}

int TFChooseClef::GetClef() const {
  for (int i = 0; i < kClefCount; ++i)
    if (Buttons[static_cast<size_t>(i)]->Down()) return i + 1;
  return 0;
}

void TFChooseClef::SetClef(int code) {
  if (code >= 1 && code <= kClefCount) Buttons[static_cast<size_t>(code - 1)]->SetDown(true);
}

// ----------------------------------------------------------------------- key

namespace {
constexpr const char* kToneButtons[15] = {"CBC_dur",   "CBG_dur",  "CBD_dur",  "CBA_dur",   "CBE_dur",
                                          "CBH_dur",   "CBFis_dur", "CBCis_dur", "CBF_dur",  "CBB_dur",
                                          "CBEs_dur",  "CBAs_dur", "CBDes_dur", "CBGes_dur", "CBCes_dur"};
constexpr int kToneWidth = 51, kToneHeight = 52, kToneStep = 51;
int ToneOfPosition(int position) { return position <= 7 ? position : position + 3; }
}  // namespace

TFChooseTone::TFChooseTone(TComponent* owner)
    : TDropDownPicker(owner, "FChooseTone", 2 * kToneWidth + 4, 8 * kToneStep + 62) {
  SetCaption("Key signature");
  for (int i = 0; i < 15; ++i) {
    const bool sharps = i <= 7;
    const int row = sharps ? i : i - 7;
    TECCharButton* b = ValueButton(this, kToneButtons[i], sharps ? 1 : 2 + kToneWidth, 1 + kToneStep * row,
                                   kToneWidth, kToneHeight);
    const int code = ToneOfPosition(i);
    b->SetCustomDraw(true);
    b->OnDrawCharButton = [this, b, code](TObject*, TCanvas& c, TRect r) {
      toolface::Raised(*b, r, [&](const TRect& face, TColor ink) {
        // The key painter places its staff by the height and the shift
        // alone: the face's top comes in as the shift.
        DrawKeySignature(c, face, ink != clBlack, face.Top, GetMinor() ? 1 : 0, code);
      });
    };
    ChooseOnClick(b, [this, i] {
      Buttons[static_cast<size_t>(i)]->SetDown(true);
      if (OnChoose) OnChoose(this);
    });
    Buttons[static_cast<size_t>(i)] = b;
  }
  const int below = 8 * kToneStep + 4;
  RBMajor = Make<TRadioButton>(this, "RBMajor", 4, below, 2 * kToneWidth - 2, 17);
  RBMajor->SetCaption("Major");
  RBMinor = Make<TRadioButton>(this, "RBMinor", 4, below + 18, 2 * kToneWidth - 2, 17);
  RBMinor->SetCaption("Minor");
  RBMajor->SetChecked(true);
  CBModify = Make<TCheckBox>(this, "CBModify", 4, below + 36, 2 * kToneWidth - 2, 17);
  CBModify->SetCaption("Respell notes");
  for (TRadioButton* rb : {RBMajor, RBMinor})
    rb->OnClick = [this](TObject*) {
      // The names of the keys change with the mode.
      for (TECCharButton* b : Buttons) b->Invalidate();
    };
  CBModify->OnClick = [this](TObject*) {
    if (OnChoose) OnChoose(this);
  };
  // Shift with a digit chooses the key of that many sharps, Alt with a
  // digit that many flats; the picker stays open.
  OnKeyDown = [this](TObject*, uint16_t& key, TShiftState shift) {
    if (key == VK_ESCAPE) {
      key = 0;
      Close();
      return;
    }
    if (key < '0' || key > '7') return;
    const int n = key - '0';
    if (shift & ssShift) SetTone(n);
    else if ((shift & ssAlt) && n >= 1) SetTone(10 + n);
    else return;
    key = 0;
  };
  Finish();
}

int TFChooseTone::GetTone() const {
  for (int i = 0; i < 15; ++i)
    if (Buttons[static_cast<size_t>(i)]->Down()) return ToneOfPosition(i);
  return 0;
}

void TFChooseTone::SetTone(int code) {
  if (code < 0 || code > 17) return;
  Buttons[static_cast<size_t>(code > 7 ? code - 3 : code)]->SetDown(true);
}

bool TFChooseTone::GetMinor() const { return !RBMajor->Checked(); }
void TFChooseTone::SetMinor(bool minor) {
  (minor ? RBMinor : RBMajor)->SetChecked(true);
  for (TECCharButton* b : Buttons) b->Invalidate();
}
bool TFChooseTone::GetModify() const { return CBModify->Checked(); }
void TFChooseTone::SetModify(bool v) { CBModify->SetChecked(v); }

// ------------------------------------------------------------------ accolade

namespace {
constexpr int kAccoladeWidth = 68, kAccoladeWidthWithNone = 88;
}

TFChooseAccolade::TFChooseAccolade(TComponent* owner) : TDropDownPicker(owner, "FChooseAccolade", kAccoladeWidth, 57) {
  SetCaption("Accolade");
  static constexpr const char* kNames[] = {"CBAccolade1", "CBAccolade2", "CBAccolade3", "CBAccolade0"};
  for (int i = 0; i < 4; ++i) {
    TECCharButton* b = ValueButton(this, kNames[i], 2 + 19 * i, 2, 18, 53);
    const int kind = i == 3 ? kNoAccolade : i;
    b->SetCustomDraw(true);
    b->OnDrawCharButton = [b, kind](TObject*, TCanvas& c, TRect r) {
      toolface::Raised(*b, r, [&](const TRect& face, TColor ink) {
        if (kind != kNoAccolade) {
          DrawAccolade(c, face, ink != clBlack, kind);
          return;
        }
        // No accolade: a struck-out box.
        c.Pen().Style = psSolid;
        c.Pen().Width = 1;
        c.Pen().Color = ink;
        c.Brush().Style = bsClear;
        c.Rectangle(TRect{face.Left + 4, face.Top + 6, face.Right - 4, face.Bottom - 6});
        c.MoveTo(face.Left + 4, face.Bottom - 7);
        c.LineTo(face.Right - 4, face.Top + 5);
      });
    };
    ChooseOnClick(b, [this, i] {
      Buttons[static_cast<size_t>(i)]->SetDown(true);
      if (OnChoose) OnChoose(this);
    });
    Buttons[static_cast<size_t>(i)] = b;
  }
  Buttons[3]->SetVisible(false);
  Finish();
}

int TFChooseAccolade::GetAccolade() const {
  for (int i = 0; i < 4; ++i)
    if (Buttons[static_cast<size_t>(i)]->Down()) return i == 3 ? kNoAccolade : i;
  return 0;
}

void TFChooseAccolade::SetAccolade(int code) {
  if (code == kNoAccolade) code = 3;
  if (code >= 0 && code <= 3) Buttons[static_cast<size_t>(code)]->SetDown(true);
}

void TFChooseAccolade::ShowNoneButton() {
  Buttons[3]->SetVisible(true);
  SetClientWidth(kAccoladeWidthWithNone);
}

// ---------------------------------------------------------------- instrument

namespace {
constexpr const char* kTembrSection = "ChooseTembrForm";
constexpr const char* kNameSection = "GetNameForm";
constexpr int kFamilies = 16, kFamilyHeight = 114, kColumnWidth = 180, kRadioStep = 12;

void KeepPlace(TCustomForm& form, TIniFile* settings, const char* section) {
  if (!settings) return;
  TRect bounds = form.BoundsRect();
  if (ReadFormBounds(*settings, section, bounds)) form.SetBounds(bounds.Left, bounds.Top, form.Width(), form.Height());
}
}  // namespace

TFChooseTembr::TFChooseTembr(TComponent* owner, TIniFile* settings) : TForm(owner), settings_(settings) {
  SetName("FChooseTembr");
  SetCaption("MIDI instruments");
  SetBorderStyle(bsDialog);
  SetPosition(poScreenCenter);
  SetClientWidth(725);
  SetClientHeight(541);
  ApplySkinTemplate(*this, skinkind::Normal);
  auto* pc = Make<TECPageControl>(this, "PCInstruments", 0, 0, 725, 500);
  pc->PageSetting().SetDoubleSheet(false);
  pc->SetSpiralVisible(false);
  pc->PageSetting().SetOrientation(poTop);
  auto* page = new TECTabSheet(this);
  page->SetName("TSMidiStandard");
  page->SetCaption("General MIDI");
  page->SetPageControl(pc);
  for (int f = 0; f < kFamilies; ++f) {
    const int left = 6 + kColumnWidth * (f % 4), top = 4 + kFamilyHeight * (f / 4);
    const std::string name = "LFamily" + std::to_string(f + 1);
    auto* label = Make<TLabel>(this, page, name.c_str(), left, top, kColumnWidth - 8, 14);
    TFont bold = label->Font();
    bold.Style = fsBold;
    label->SetFont(bold);
    label->SetCaption("Family");
    for (int k = 0; k < 8; ++k) {
      const int program = 8 * f + k;
      const std::string rb = program == 0 ? "RBTembr1" : "RadioButton" + std::to_string(program);
      auto* b = Make<TRadioButton>(this, page, rb.c_str(), left + 4, top + 15 + kRadioStep * k, kColumnWidth - 10,
                                   kRadioStep);
      b->SetCaption(std::to_string(program) + "." + InstrumentName(program));
      Programs[static_cast<size_t>(program)] = b;
    }
  }
  PButtons = Make<TPanel>(this, "PButtons", 0, 500, 725, 41);
  PButtons->SetBevelOuter(bvNone);
  // The no-assignment choice is one of the page's radio buttons, so that
  // it excludes the programs.
  RadioButton0 = Make<TRadioButton>(this, page, "RadioButton0", 6 + 3 * kColumnWidth + 4, 4 + 4 * kFamilyHeight - 2,
                                    kColumnWidth - 10, 15);
  RadioButton0->SetCaption("No instrument");
  BBTest = Make<TButton>(this, PButtons, "BBTest", 8, 8, 75, 25);
  BBTest->SetCaption("Test");
  BBTest->OnClick = [this](TObject*) {
    const int program = GetTembr();
    if (program >= 0 && OnTest) OnTest(program, TestNote(program));
  };
  // Owned by the form, so that its language file reaches them.
  BBOk = Make<TButton>(this, PButtons, "BBOk", 725 - 166, 8, 75, 25);
  BBOk->SetCaption("&OK");
  BBOk->SetDefault(true);
  BBOk->ModalResult = mrOk;
  BBCancel = Make<TButton>(this, PButtons, "BBCancel", 725 - 83, 8, 75, 25);
  BBCancel->SetCaption("Cancel");
  BBCancel->Cancel = true;
  BBCancel->ModalResult = mrCancel;
  Programs[0]->SetChecked(true);
  MakeFormLanguage(this, "LChooseTembr");
  KeepPlace(*this, settings_, kTembrSection);
}

TFChooseTembr::~TFChooseTembr() {
  if (settings_) WriteFormBounds(*settings_, kTembrSection, BoundsRect());
}

void TFChooseTembr::SetTembr(int value) {
  if (value < 0 || value > 254 || value == 128) {
    RadioButton0->SetChecked(true);
    return;
  }
  if (value < 128) Programs[static_cast<size_t>(value)]->SetChecked(true);
}

int TFChooseTembr::GetTembr() const {
  if (RadioButton0->Checked()) return -1;
  for (int i = 0; i < 128; ++i)
    if (Programs[static_cast<size_t>(i)]->Checked()) return i;
  return 0;
}

void TFChooseTembr::SetNoneVisible(bool visible) { RadioButton0->SetVisible(visible); }

int TFChooseTembr::TestNote(int program) {
  return (program >= 32 && program <= 40) || program == 43 || program == 58 ? 40 : 64;
}

// ---------------------------------------------------------------------- name

TFGetName::TFGetName(TComponent* owner, TIniFile* settings) : TForm(owner), settings_(settings) {
  SetName("FGetName");
  SetCaption("Name");
  SetBorderStyle(bsDialog);
  SetPosition(poScreenCenter);
  SetClientWidth(260);
  SetClientHeight(80);
  ApplySkinTemplate(*this, skinkind::Normal);
  EName = Make<TEdit>(this, "EName", 12, 12, 236, 21);
  EName->SetTabStop(true);
  BBOk = MakeOkButton(this, "&OK", 92, 46);
  BBOk->OnClick = [this](TObject*) {
    if (!OnValidate || OnValidate(this)) SetModalResult(mrOk);
  };
  BBCancel = MakeCancelButton(this, 173, 46);
  MakeFormLanguage(this, "LGetName");
  KeepPlace(*this, settings_, kNameSection);
}

TFGetName::~TFGetName() {
  if (settings_) WriteFormBounds(*settings_, kNameSection, BoundsRect());
}

}  // namespace qs
