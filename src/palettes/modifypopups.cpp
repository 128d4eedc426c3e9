#include "palettes/modifypopups.h"

#include <algorithm>
#include <cstdlib>
#include <initializer_list>
#include <memory>

#include "base/inifile.h"
#include "base/strings.h"
#include "palettes/glyphpainters.h"
#include "platform/comctrls.h"
#include "platform/extctrls.h"
#include "platform/stdctrls.h"
#include "uikit/charbutton.h"
#include "uikit/formparts.h"
#include "uikit/settings.h"

namespace qs {

// ------------------------------------------------------- transposition

TFHeightTranspose::TFHeightTranspose(TComponent* owner, std::vector<TTransposePreset> presets)
    : TDropDownPicker(owner, "FHeightTranspose", 200, 190), presets_(std::move(presets)) {
  LPitch = Make<TLabel>(this, "LPitch", 8, 10, 110, 16);
  LPitch->SetCaption("Semitones");
  EPitch = Make<TEdit>(this, "EPitch", 122, 8, 52, 21);
  EPitch->SetTabStop(true);
  UDPitch = Make<TUpDown>(this, "UDPitch", 174, 8, 17, 21);
  UDPitch->Min = -127;
  UDPitch->Max = 127;
  UDPitch->SetAssociate(EPitch);
  LVNames = Make<TListBox>(this, "LVNames", 8, 36, 184, 146);
  LVNames->SetTabStop(true);
  TStringList names;
  for (const TTransposePreset& p : presets_) names.Add(p.Name);
  loading_ = true;
  LVNames->SetItems(names);
  if (!presets_.empty()) LVNames->SetItemIndex(0);
  UDPitch->SetPosition(0);
  loading_ = false;
  EPitch->OnChange = [this](TObject*) {
    if (loading_) return;
    const int typed = StrToIntSafe(Trim(EPitch->Text()), UDPitch->Position());
    Report(std::clamp(typed, UDPitch->Min, UDPitch->Max));
  };
  LVNames->OnClick = [this](TObject*) {
    const int index = LVNames->ItemIndex();
    if (loading_ || index < 0 || index >= static_cast<int>(presets_.size())) return;
    const int shift = presets_[static_cast<size_t>(index)].Shift;
    Report(up_ ? shift : -shift);
    CloseAfterChoice();
  };
  Finish();
}

void TFHeightTranspose::SetDirection(bool up) { up_ = up; }

void TFHeightTranspose::SetValue(int value) {
  loading_ = true;
  UDPitch->SetPosition(std::clamp(value, UDPitch->Min, UDPitch->Max));
  const int shift = up_ ? value : -value;
  for (size_t i = 0; i < presets_.size(); ++i)
    if (presets_[i].Shift == shift) {
      LVNames->SetItemIndex(static_cast<int>(i));
      break;
    }
  loading_ = false;
}

int TFHeightTranspose::Value() const { return UDPitch->Position(); }

void TFHeightTranspose::Report(int value) {
  if (OnChoose) OnChoose(this, value);
}

// ------------------------------------------------------- row alignment

uint8_t AlignStyleByte(bool active, int style, int noteInterval, int measureCount) {
  if (!active) return 0;
  switch (style) {
    case 0: return static_cast<uint8_t>(10 + std::clamp(noteInterval, 0, kMaxEvenNoteInterval));
    case 1: return 50;
    case 2: return static_cast<uint8_t>(100 + std::clamp(measureCount, 1, kMaxRowMeasures));
    default: return 0;
  }
}

TFAlignMeasure::TFAlignMeasure(TComponent* owner) : TForm(owner) {
  SetName("FAlignMeasure");
  SetCaption("Row alignment style");
  SetBorderStyle(bsDialog);
  SetPosition(poScreenCenter);
  SetClientWidth(340);
  SetClientHeight(214);
  ApplySkinTemplate(*this, skinkind::Small);

  CBActive = Make<TCheckBox>(this, this, "CBActive", 10, 6, 320, 20);
  CBActive->SetCaption("Own alignment style");
  GBNoteInterval = Make<TGroupBox>(this, this, "GBNoteInterval", 8, 30, 324, 142);
  GBNoteInterval->SetCaption("Style");
  // The pictures are drawn by their parent, which a group box is not.
  PAlign = Make<TPanel>(this, GBNoteInterval, "PAlign", 8, 18, 308, 62);
  PAlign->SetBevelOuter(bvNone);
  TECCharButton** buttons[] = {&CBEvenly, &CBProportional, &CBPositional};
  TLabel** labels[] = {&LEvenly, &LProportional, &LPositional};
  const char* buttonNames[] = {"CBEvenly", "CBProportional", "CBPositional"};
  const char* labelNames[] = {"LEvenly", "LProportional", "LPositional"};
  const char* labelTexts[] = {"Evenly", "By length", "Measures"};
  for (int i = 0; i < 3; ++i) {
    const int left = i * 102;
    TECCharButton* b = Make<TECCharButton>(this, PAlign, buttonNames[i], left + 31, 0, 40, 40);
    b->SetGroupIndex(1);
    b->SetCustomDraw(true);
    b->OnDrawCharButton = [this, b, i](TObject*, TCanvas& canvas, TRect rect) {
      DrawAlignMeasureStyle(*b, canvas, CBActive->Checked(), i, rect);
    };
    b->OnClick = [this](TObject*) { Changed(); };
    *buttons[i] = b;
    TLabel* l = Make<TLabel>(this, PAlign, labelNames[i], left, 44, 102, 16);
    l->SetAlignment(taCenter);
    l->SetCaption(labelTexts[i]);
    *labels[i] = l;
  }
  CBEvenly->SetDown(true);
  LNoteInterval = Make<TLabel>(this, GBNoteInterval, "LNoteInterval", 8, 88, 246, 16);
  LNoteInterval->SetCaption("Space between notes");
  ENoteInterval = Make<TEdit>(this, GBNoteInterval, "ENoteInterval", 262, 86, 36, 21);
  UDNoteInterval = Make<TUpDown>(this, GBNoteInterval, "UDNoteInterval", 298, 86, 17, 21);
  UDNoteInterval->Min = 0;
  UDNoteInterval->Max = kMaxEvenNoteInterval;
  UDNoteInterval->SetAssociate(ENoteInterval);
  UDNoteInterval->SetPosition(0);
  LMeasureCount = Make<TLabel>(this, GBNoteInterval, "LMeasureCount", 8, 114, 246, 16);
  LMeasureCount->SetCaption("Measures in a row");
  EMeasureCount = Make<TEdit>(this, GBNoteInterval, "EMeasureCount", 262, 112, 36, 21);
  UDMeasureCount = Make<TUpDown>(this, GBNoteInterval, "UDMeasureCount", 298, 112, 17, 21);
  UDMeasureCount->Min = 1;
  UDMeasureCount->Max = kMaxRowMeasures;
  UDMeasureCount->SetAssociate(EMeasureCount);
  UDMeasureCount->SetPosition(3);
  BBOk = MakeOkButton(this, "&OK", 176, 182);
  BBOk->ModalResult = mrOk;
  BBCancel = MakeCancelButton(this, 257, 182);
  LAlignMeasure = MakeFormLanguage(this, "LAlignMeasure");

  CBActive->OnClick = [this](TObject*) { Changed(); };
  ENoteInterval->OnChange = [this](TObject*) { Changed(); };
  EMeasureCount->OnChange = [this](TObject*) { Changed(); };
  UpdateControls();
}

void TFAlignMeasure::Changed() {
  UpdateControls();
  if (OnChange && !Suppress) OnChange(this);
}

void TFAlignMeasure::UpdateControls() {
  const bool active = CBActive->Checked();
  for (TControl* c : std::initializer_list<TControl*>{GBNoteInterval, LEvenly, LProportional, LPositional})
    c->SetEnabled(active);
  for (TControl* c : std::initializer_list<TControl*>{LNoteInterval, ENoteInterval, UDNoteInterval})
    c->SetEnabled(active && CBEvenly->Down());
  for (TControl* c : std::initializer_list<TControl*>{LMeasureCount, EMeasureCount, UDMeasureCount})
    c->SetEnabled(active && CBPositional->Down());
  for (TECCharButton* b : {CBEvenly, CBProportional, CBPositional}) b->Invalidate();
}

bool TFAlignMeasure::GetActive() const { return CBActive->Checked(); }

int TFAlignMeasure::GetAlignStyle() const {
  if (CBPositional->Down()) return 2;
  if (CBProportional->Down()) return 1;
  return 0;
}

namespace {
int Typed(const TEdit& edit, const TUpDown& ud) {
  return std::clamp(StrToIntSafe(Trim(edit.Text()), ud.Position()), ud.Min, ud.Max);
}
}  // namespace

int TFAlignMeasure::GetNoteInterval() const { return Typed(*ENoteInterval, *UDNoteInterval); }
int TFAlignMeasure::GetMeasureCount() const { return Typed(*EMeasureCount, *UDMeasureCount); }

void TFAlignMeasure::SetActive(bool active) {
  CBActive->SetChecked(active);
  UpdateControls();
}

void TFAlignMeasure::SetAlignStyle(int style) {
  (style == 2 ? CBPositional : style == 1 ? CBProportional : CBEvenly)->SetDown(true);
  UpdateControls();
}

void TFAlignMeasure::SetNoteInterval(int interval) {
  UDNoteInterval->SetPosition(std::clamp(interval, UDNoteInterval->Min, UDNoteInterval->Max));
}

void TFAlignMeasure::SetMeasureCount(int count) {
  UDMeasureCount->SetPosition(std::clamp(count, UDMeasureCount->Min, UDMeasureCount->Max));
}

void TFAlignMeasure::SetDialogMode(bool dialog) {
  BBOk->SetVisible(dialog);
  BBCancel->SetVisible(dialog);
  SetClientHeight(dialog ? 214 : 178);
}

// ------------------------------------------------------- page count

namespace {
constexpr const char* kCountSection = "PauseCountForm";
}  // namespace

TFPageCount::TFPageCount(TComponent* owner, TIniFile* settings) : TForm(owner), settings_(settings) {
  SetName("FPageCount");
  SetCaption("Page break");
  SetBorderStyle(bsDialog);
  SetPosition(poScreenCenter);
  SetClientWidth(232);
  SetClientHeight(104);
  ApplySkinTemplate(*this, skinkind::Normal);

  LCount = Make<TLabel>(this, "LCount", 12, 12, 208, 16);
  LCount->SetCaption("Empty pages after the break");
  ECount = Make<TEdit>(this, "ECount", 12, 34, 60, 21);
  ECount->SetTabStop(true);
  UDCount = Make<TUpDown>(this, "UDCount", 72, 34, 17, 21);
  UDCount->Min = 0;
  UDCount->Max = 20;
  UDCount->SetAssociate(ECount);
  UDCount->SetPosition(0);
  BBOk = MakeOkButton(this, "&OK", 64, 70);
  BBOk->ModalResult = mrOk;
  BBCancel = MakeCancelButton(this, 145, 70);
  LPageCount = MakeFormLanguage(this, "LPageCount");
  if (settings_) {
    TRect bounds = BoundsRect();
    // Only the place comes back: the dialog keeps its own size.
    if (ReadFormBounds(*settings_, kCountSection, bounds)) SetBounds(bounds.Left, bounds.Top, Width(), Height());
  }
}

TFPageCount::~TFPageCount() {
  if (settings_) WriteFormBounds(*settings_, kCountSection, BoundsRect());
}

int TFPageCount::Count() const { return Typed(*ECount, *UDCount); }

int AskPageCount(TIniFile* settings) {
  TFPageCount dialog(nullptr, settings);
  if (dialog.ShowModal() != mrOk) return -1;
  return dialog.Count();
}

void RegisterModifyPopupForms() {
  RegisterForm("FHeightTranspose", [](const std::string&) -> std::unique_ptr<TCustomForm> {
    auto form = std::make_unique<TFHeightTranspose>(
        nullptr, std::vector<TTransposePreset>{{"B♭ → C", 2}, {"F → C", 7}, {"E♭ → C", 9}});
    form->SetValue(7);
    form->DefaultCloseAction = caHide;
    return form;
  });
  RegisterForm("FAlignMeasure", [](const std::string&) -> std::unique_ptr<TCustomForm> {
    auto form = std::make_unique<TFAlignMeasure>(nullptr);
    form->SetActive(true);
    form->SetAlignStyle(0);
    form->SetNoteInterval(12);
    return form;
  });
  RegisterForm("FPageCount", [](const std::string&) -> std::unique_ptr<TCustomForm> {
    return std::make_unique<TFPageCount>(nullptr, nullptr);
  });
}

}  // namespace qs
