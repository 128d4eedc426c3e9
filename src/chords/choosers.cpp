#include "chords/choosers.h"

#include <algorithm>
#include <memory>

#include "platform/extctrls.h"
#include "platform/keys.h"
#include "uikit/charbutton.h"
#include "uikit/formparts.h"
#include "uikit/interface.h"
#include "uikit/names.h"

namespace qs {

// ------------------------------------------------------------------ base

TFChooser::TFChooser(TComponent* owner, const char* name, int width, const std::vector<TChoice>& choices,
                     int fallback, bool allowAllUp, int buttonHeight)
    : TForm(owner), fallback_(fallback) {
  SetName(name);
  SetCaption(name + 1);
  SetClientWidth(width);
  MakeDropDown(*this, [this] { return KeepOpen; });
  TFont font = Font();
  font.Name = "Arial";
  font.SetSize(9);
  for (const TChoice& c : choices) {
    auto* b = new TECCharButton(this);
    b->SetName(c.Name);
    b->SetParent(this);
    b->SetHeight(buttonHeight);
    b->SetFont(font);
    b->SetCaption(c.Caption);
    b->SetGroupIndex(1);
    b->SetAllowAllUp(allowAllUp);
    b->SetShowHint(true);
    b->OnClick = [this, b](TObject*) { Chosen(b); };
    Buttons.push_back(b);
    values_.push_back(c.Value);
  }
  SetClientHeight(Place(0));
  ApplySkinTemplate(*this, skinkind::Small);
  MakeFormLanguage(this, (std::string("L") + (name + 1)).c_str());
}

int TFChooser::Place(int top) {
  for (TECCharButton* b : Buttons) {
    b->SetBounds(0, top, ClientWidth(), b->Height());
    top += b->Height();
  }
  return top;
}

int TFChooser::GetValue() const {
  for (size_t i = 0; i < Buttons.size(); ++i)
    if (Buttons[i]->Down()) return values_[i];
  return fallback_;
}

TECCharButton* TFChooser::ButtonOf(int value) const {
  for (size_t i = 0; i < Buttons.size(); ++i)
    if (values_[i] == value) return Buttons[i];
  return nullptr;
}

void TFChooser::SetValue(int value) {
  if (TECCharButton* b = ButtonOf(value)) b->SetDown(true);
}

void TFChooser::Chosen(TECCharButton*) {
  if (OnChosen) OnChosen(this);
  Close();
}

// ------------------------------------------------------------------ the parts

TFChooseChordNote::TFChooseChordNote(TComponent* owner)
    : TFChooser(owner, "FChooseChordNote", 44,
                {{"CBC", {NoteLetter(0)}, 0},
                 {"CBD", {NoteLetter(1)}, 1},
                 {"CBE", {NoteLetter(2)}, 2},
                 {"CBF", {NoteLetter(3)}, 3},
                 {"CBG", {NoteLetter(4)}, 4},
                 {"CBA", {NoteLetter(5)}, 5},
                 {"CBB", {NoteLetter(6)}, 6}},
                0, false) {}

TFChooseChordBase::TFChooseChordBase(TComponent* owner)
    : TFChooser(owner, "FChooseChordBase", 44,
                {{"CB5", "5", 0}, {"CB6", "6", 1}, {"CB7", "7", 2}, {"CB9", "9", 3}, {"CB11", "11", 4}, {"CB13", "13", 5}},
                5, true) {}

TFChooseChordMinor::TFChooseChordMinor(TComponent* owner)
    : TFChooser(owner, "FChooseChordMinor", 46, {{"CB1", "m", 0}, {"CB2", "mi", 1}, {"CB3", "min", 2}}, 2, true) {}

TFChooseChordMajor::TFChooseChordMajor(TComponent* owner)
    : TFChooser(owner, "FChooseChordMajor", 46, {{"CB1", "maj", 0}, {"CB2", "M", 1}}, 1, true) {}

// "sus2" (1) is not offered here.
TFChooseChordSus::TFChooseChordSus(TComponent* owner)
    : TFChooser(owner, "FChooseChordSus", 46, {{"CB1", "sus", 0}, {"CB3", "sus4", 2}}, 2, true) {}

TFChooseChordOmit::TFChooseChordOmit(TComponent* owner)
    : TFChooser(owner, "FChooseChordOmit", 56,
                {{"CB1", "omit3", 0}, {"CB2", "omit5", 1}, {"CB3", "no3", 2}, {"CB4", "no5", 3}}, 3, true) {}

TFChooseChordAdd::TFChooseChordAdd(TComponent* owner)
    : TFChooser(owner, "FChooseChordAdd", 96, {{"CBAdd", "5", 0}, {"CBDiesis", "5+", 1}, {"CBBemol", "5-", 2}}, 0,
                true) {
  CBAdd = Buttons[0], CBDiesis = Buttons[1], CBBemol = Buttons[2];
  // The styles of the sign, one tab each: behind, in front, "#"/"b",
  // the words.
  PCStyles = new TPanel(this);
  PCStyles->SetName("PCStyles");
  PCStyles->SetParent(this);
  PCStyles->SetBevelOuter(bvNone);
  PCStyles->SetBounds(0, 0, ClientWidth(), 20);
  static const char* const kTabs[4] = {"9+", "+9", "#9", "aug"};
  for (int i = 0; i < 4; ++i) {
    auto* tab = new TECCharButton(this);
    tab->SetName("TSStyle" + std::to_string(i));
    tab->SetParent(PCStyles);
    tab->SetBounds(24 * i, 0, 24, 20);
    tab->SetCaption(kTabs[i]);
    tab->SetFont(Buttons[0]->Font());
    tab->SetGroupIndex(2);
    tab->SetFlat(true);
    tab->OnClick = [this, i](TObject*) {
      style_ = i;
      Refresh();
      if (OnStyleChanged) OnStyleChanged(this);
    };
    Tabs[static_cast<size_t>(i)] = tab;
  }
  Tabs[0]->SetDown(true);
  SetClientHeight(Place(22));
  Refresh();
}

std::string TFChooseChordAdd::Caption(int number, int direction, int style) {
  static const char* const kBefore[4][2] = {{"", ""}, {"+", "-"}, {"#", "b"}, {"aug", "dim"}};
  const std::string n = std::to_string(number);
  if (direction <= 0 || direction > 2) return n;
  style = std::clamp(style, 0, 3);
  if (style == 0) return n + (direction == 1 ? "+" : "-");
  return kBefore[style][direction - 1] + n;
}

void TFChooseChordAdd::SetNumber(int number) {
  number_ = number;
  Refresh();
}

void TFChooseChordAdd::SetStyle(int style) {
  if (style >= static_cast<int>(Tabs.size())) {
    // Only the plain signs are offered.
    for (size_t i = 1; i < Tabs.size(); ++i) Tabs[i]->SetVisible(false);
    style = 0;
  }
  style_ = std::clamp(style, 0, 3);
  Tabs[static_cast<size_t>(style_)]->SetDown(true);
  Refresh();
}

void TFChooseChordAdd::Refresh() {
  CBAdd->SetCaption(Caption(number_, 0, style_));
  CBDiesis->SetCaption(Caption(number_, 1, style_));
  CBBemol->SetCaption(Caption(number_, 2, style_));
}

// ------------------------------------------------------------------ finger

TFChooseFinger::TFChooseFinger(TComponent* owner)
    : TFChooser(owner, "FChooseFinger", 29,
                {{"CB1", "1", 1}, {"CB2", "2", 2}, {"CB3", "3", 3}, {"CB4", "4", 4}, {"CB5", "T", 5}}, 0, false) {}

// ------------------------------------------------------------------ forms

void RegisterChooserForms() {
  auto shown = [](auto make, int value) {
    return [make, value](const std::string&) -> std::unique_ptr<TCustomForm> {
      auto form = make();
      // Shown alone: the form tools own it and close it themselves.
      form->OnDeactivate = nullptr;
      form->OnClose = nullptr;
      form->SetValue(value);
      return std::unique_ptr<TCustomForm>(form.release());
    };
  };
  RegisterForm("FChooseChordNote", shown([] { return std::make_unique<TFChooseChordNote>(nullptr); }, 4));
  RegisterForm("FChooseChordBase", shown([] { return std::make_unique<TFChooseChordBase>(nullptr); }, 2));
  RegisterForm("FChooseChordMinor", shown([] { return std::make_unique<TFChooseChordMinor>(nullptr); }, 0));
  RegisterForm("FChooseChordMajor", shown([] { return std::make_unique<TFChooseChordMajor>(nullptr); }, 0));
  RegisterForm("FChooseChordSus", shown([] { return std::make_unique<TFChooseChordSus>(nullptr); }, 2));
  RegisterForm("FChooseChordOmit", shown([] { return std::make_unique<TFChooseChordOmit>(nullptr); }, 3));
  RegisterForm("FChooseChordAdd", [](const std::string&) -> std::unique_ptr<TCustomForm> {
    auto form = std::make_unique<TFChooseChordAdd>(nullptr);
    // Shown alone: the form tools own it and close it themselves.
    form->OnDeactivate = nullptr;
    form->OnClose = nullptr;
    form->SetNumber(9);
    form->SetStyle(2);
    form->SetValue(1);
    return form;
  });
  RegisterForm("FChooseFinger", shown([] { return std::make_unique<TFChooseFinger>(nullptr); }, 3));
}

}  // namespace qs
