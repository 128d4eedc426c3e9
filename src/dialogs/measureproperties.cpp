#include "dialogs/measureproperties.h"

#include <algorithm>
#include <memory>

#include "base/strings.h"
#include "palettes/glyphpainters.h"
#include "platform/comctrls.h"
#include "platform/extctrls.h"
#include "platform/stdctrls.h"
#include "uikit/charbutton.h"
#include "uikit/formparts.h"
#include "uikit/interface.h"

namespace qs {

namespace {

constexpr const char* kUnits[] = {"2", "4", "8", "16", "32", "64"};

// The number typed into an up-down's field, within its bounds.
int Typed(const TEdit& edit, const TUpDown& ud) {
  return std::clamp(StrToIntSafe(Trim(edit.Text()), ud.Position()), ud.Min, ud.Max);
}

TUpDown* MakeUpDown(TComponent* owner, TWinControl* parent, const char* name, TEdit* edit, int min, int max) {
  auto* ud = Make<TUpDown>(owner, parent, name, edit->Left() + edit->Width(), edit->Top(), 17, edit->Height());
  ud->Min = min;
  ud->Max = max;
  ud->SetAssociate(edit);
  ud->SetPosition(min);
  return ud;
}

}  // namespace

TFMeasureProperties::TFMeasureProperties(TComponent* owner) : TForm(owner) {
  SetName("FMeasureProperties");
  SetCaption("Measure properties");
  SetBorderStyle(bsDialog);
  SetPosition(poScreenCenter);
  SetClientWidth(360);
  SetClientHeight(356);
  ApplySkinTemplate(*this, skinkind::Normal);

  GBSize = Make<TGroupBox>(this, this, "GBSize", 8, 8, 344, 78);
  GBSize->SetCaption("Time signature");
  CBSizeActive = Make<TCheckBox>(this, GBSize, "CBSizeActive", 10, 18, 324, 20);
  CBSizeActive->SetCaption("Own time signature");
  LNotesCount = Make<TLabel>(this, GBSize, "LNotesCount", 26, 48, 76, 16);
  LNotesCount->SetCaption("Beats");
  ENotesCount = Make<TEdit>(this, GBSize, "ENotesCount", 104, 44, 40, 21);
  UDNotesCount = MakeUpDown(this, GBSize, "UDNotesCount", ENotesCount, 1, 128);
  LSizeDoles = Make<TLabel>(this, GBSize, "LSizeDoles", 170, 48, 100, 16);
  LSizeDoles->SetCaption("Unit");
  CBSizeDoles = Make<TComboBox>(this, GBSize, "CBSizeDoles", 276, 44, 56, 21);
  CBSizeDoles->SetStyle(csDropDownList);
  TStringList units;
  for (const char* u : kUnits) units.Add(u);
  CBSizeDoles->SetItems(units);

  CBLineBreak = Make<TCheckBox>(this, this, "CBLineBreak", 10, 94, 342, 20);
  CBLineBreak->SetCaption("New system after the measure");
  CBPageBreak = Make<TCheckBox>(this, this, "CBPageBreak", 10, 116, 342, 20);
  CBPageBreak->SetCaption("New page after the measure");
  LPageCount = Make<TLabel>(this, this, "LPageCount", 26, 144, 200, 16);
  LPageCount->SetCaption("Empty pages");
  EPageCount = Make<TEdit>(this, this, "EPageCount", 230, 140, 40, 21);
  UDPageCount = MakeUpDown(this, this, "UDPageCount", EPageCount, 0, 100);

  GBJoin = Make<TGroupBox>(this, this, "GBJoin", 8, 170, 344, 140);
  GBJoin->SetCaption("Joining notes");
  CBJoinActive = Make<TCheckBox>(this, GBJoin, "CBJoinActive", 10, 18, 324, 20);
  CBJoinActive->SetCaption("Own joining style");
  // The join pictures are drawn by their parent, which a group box is not.
  PJoin = Make<TPanel>(this, GBJoin, "PJoin", 8, 42, 328, 62);
  PJoin->SetBevelOuter(bvNone);
  TECCharButton** buttons[] = {&CBJoinNone, &CBJoinFull, &CBJoinSize, &CBJoinCustom};
  TLabel** labels[] = {&LJoinNone, &LJoinFull, &LJoinSize, &LJoinCustom};
  const char* buttonNames[] = {"CBJoinNone", "CBJoinFull", "CBJoinSize", "CBJoinCustom"};
  const char* labelNames[] = {"LJoinNone", "LJoinFull", "LJoinSize", "LJoinCustom"};
  const char* labelTexts[] = {"None", "Measure", "By beats", "Custom"};
  for (int i = 0; i < 4; ++i) {
    const int left = i * 84;
    TECCharButton* b = Make<TECCharButton>(this, PJoin, buttonNames[i], left + 22, 0, 40, 40);
    b->SetGroupIndex(1);
    b->SetCustomDraw(true);
    b->OnDrawCharButton = [this, b, i](TObject*, TCanvas& canvas, TRect rect) {
      const int style = i < 3 ? i : Typed(*EJoinCount, *UDJoinCount) + 1;
      DrawBarUnionStyle(*b, canvas, CBJoinActive->Checked(), style, rect);
    };
    b->OnClick = [this](TObject*) { UpdateEnabled(); };
    *buttons[i] = b;
    TLabel* l = Make<TLabel>(this, PJoin, labelNames[i], left, 44, 82, 16);
    l->SetAlignment(taCenter);
    l->SetCaption(labelTexts[i]);
    *labels[i] = l;
  }
  CBJoinNone->SetDown(true);
  EJoinCount = Make<TEdit>(this, GBJoin, "EJoinCount", 268, 108, 34, 21);
  UDJoinCount = MakeUpDown(this, GBJoin, "UDJoinCount", EJoinCount, 2, 100);
  EJoinCount->OnChange = [this](TObject*) { CBJoinCustom->Invalidate(); };

  BBOk = MakeOkButton(this, "&OK", 116, 322);
  BBOk->ModalResult = mrOk;
  BBCancel = MakeCancelButton(this, 196, 322);
  BBHelp = Make<TButton>(this, "BBHelp", 276, 322, 75, 25);
  BBHelp->SetCaption("Help");
  BBHelp->OnClick = [](TObject*) { ShowHelpTopic("MeasureProp"); };
  LMeasureProperties = MakeFormLanguage(this, "LMeasureProperties");

  for (TCheckBox* box : {CBSizeActive, CBPageBreak, CBJoinActive})
    box->OnClick = [this](TObject*) { UpdateEnabled(); };
  SetTimeSignature(0);
}

void TFMeasureProperties::UpdateEnabled() {
  const bool page = CBPageBreak->Checked(), size = CBSizeActive->Checked(), join = CBJoinActive->Checked();
  for (TControl* c : std::initializer_list<TControl*>{LPageCount, EPageCount, UDPageCount}) c->SetEnabled(page);
  for (TControl* c : std::initializer_list<TControl*>{LNotesCount, ENotesCount, UDNotesCount, LSizeDoles, CBSizeDoles})
    c->SetEnabled(size);
  for (TControl* c : std::initializer_list<TControl*>{LJoinNone, LJoinFull, LJoinSize, LJoinCustom}) c->SetEnabled(join);
  for (TControl* c : std::initializer_list<TControl*>{EJoinCount, UDJoinCount})
    c->SetEnabled(join && CBJoinCustom->Down());
  // The pictures are crossed out while the measure has no style of its own.
  for (TECCharButton* b : {CBJoinNone, CBJoinFull, CBJoinSize, CBJoinCustom}) b->Invalidate();
}

void TFMeasureProperties::SetTimeSignature(uint16_t word) {
  if (word != 0) CBSizeActive->SetChecked(true);
  const int beats = word ? word >> 8 : 4;
  const int unit = word ? word & 0xFF : 4;
  UDNotesCount->SetPosition(std::clamp(beats, UDNotesCount->Min, UDNotesCount->Max));
  int index = -1;
  for (int i = 0; i < 6; ++i)
    if (StrToIntSafe(kUnits[i], 0) == unit) index = i;
  CBSizeDoles->SetItemIndex(index);
  UpdateEnabled();
}

void TFMeasureProperties::SetStaveBreak(bool flag) {
  CBLineBreak->SetChecked(flag);
  UpdateEnabled();
}

void TFMeasureProperties::SetJoinActive(bool flag) {
  CBJoinActive->SetChecked(flag);
  UpdateEnabled();
}

void TFMeasureProperties::SetPageBreak(uint16_t value) {
  CBPageBreak->SetChecked(value != 0);
  if (value > 0) UDPageCount->SetPosition(std::clamp(value - 1, UDPageCount->Min, UDPageCount->Max));
  UpdateEnabled();
}

void TFMeasureProperties::SetJoinStyle(uint8_t style) {
  TECCharButton* buttons[] = {CBJoinNone, CBJoinFull, CBJoinSize};
  if (style < 3) {
    buttons[style]->SetDown(true);
  } else {
    CBJoinCustom->SetDown(true);
    UDJoinCount->SetPosition(std::clamp(style - 1, UDJoinCount->Min, UDJoinCount->Max));
  }
  UpdateEnabled();
}

uint16_t TFMeasureProperties::GetTimeSignature() const {
  if (!CBSizeActive->Checked()) return 0;
  const int index = CBSizeDoles->ItemIndex();
  const int unit = index >= 0 && index < 6 ? StrToIntSafe(kUnits[index], 4) : 4;
  return static_cast<uint16_t>(TimeWord(Typed(*ENotesCount, *UDNotesCount), unit));
}

bool TFMeasureProperties::GetStaveBreak() const { return CBLineBreak->Checked(); }
bool TFMeasureProperties::GetJoinActive() const { return CBJoinActive->Checked(); }

uint16_t TFMeasureProperties::GetPageBreak() const {
  return CBPageBreak->Checked() ? static_cast<uint16_t>(Typed(*EPageCount, *UDPageCount) + 1) : 0;
}

uint8_t TFMeasureProperties::GetJoinStyle() const {
  if (CBJoinNone->Down()) return 0;
  if (CBJoinFull->Down()) return 1;
  if (CBJoinSize->Down()) return 2;
  return static_cast<uint8_t>(Typed(*EJoinCount, *UDJoinCount) + 1);
}

void RegisterMeasurePropertiesForms() {
  RegisterForm("FMeasureProperties", [](const std::string&) -> std::unique_ptr<TCustomForm> {
    auto form = std::make_unique<TFMeasureProperties>(nullptr);
    form->SetTimeSignature(TimeWord(3, 4));
    form->SetPageBreak(2);
    form->SetJoinActive(true);
    form->SetJoinStyle(4);
    return form;
  });
}

}  // namespace qs
