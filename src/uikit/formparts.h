#pragma once
// The pieces the program's forms are built from: a named control placed on
// its parent, the default and Cancel buttons, and the language component
// that translates the form.
#include <functional>

#include "platform/forms.h"
#include "platform/keys.h"
#include "platform/stdctrls.h"
#include "uikit/interface.h"
#include "uikit/language.h"
#include "uikit/lrf.h"
#include "uikit/skin.h"

namespace qs {

// A control owned by owner (which frees it) and shown on parent.
template <class T>
T* Make(TComponent* owner, TWinControl* parent, const char* name, int left, int top, int width, int height) {
  auto* c = new T(owner);
  c->SetName(name);
  c->SetParent(parent);
  c->SetBounds(left, top, width, height);
  return c;
}
// A control owned by its parent.
template <class T>
T* Make(TWinControl* parent, const char* name, int left, int top, int width, int height) {
  return Make<T>(parent, parent, name, left, top, width, height);
}

// The default button ("BBOk") and the Cancel button ("BBCancel", closing
// with mrCancel), 75 x 25 each.
inline TButton* MakeOkButton(TWinControl* parent, const char* caption, int left, int top) {
  TButton* b = Make<TButton>(parent, "BBOk", left, top, 75, 25);
  b->SetCaption(caption);
  b->SetDefault(true);
  b->SetTabStop(true);
  return b;
}
inline TButton* MakeCancelButton(TWinControl* parent, int left, int top) {
  TButton* b = Make<TButton>(parent, "BBCancel", left, top, 75, 25);
  b->SetCaption("Cancel");
  b->Cancel = true;
  b->ModalResult = mrCancel;
  b->SetTabStop(true);
  return b;
}

// The form's translator, loaded in the program's language.
inline TECFormLanguage* MakeFormLanguage(TComponent* form, const char* name) {
  auto* language = new TECFormLanguage(form);
  language->SetName(name);
  language->SetExLanguage(kDefaultLanguage);
  language->Loaded();
  return language;
}

// The frame of the program's tool windows; its second caption button
// docks the window (dock is called). Returns the frame (null without one).
inline TECFormDesigner* ApplyToolSkin(TCustomForm& form, std::function<void()> dock) {
  TECFormDesigner* skin = ApplySkinTemplate(form, skinkind::Tool);
  if (skin && skin->Buttons().Count() > 1)
    skin->Buttons().Items(1)->OnClick = [dock = std::move(dock)](TObject*) {
      if (dock) dock();
    };
  return skin;
}

// A drop-down: a borderless form that closes on Esc and when it loses the
// activation (unless keepOpen says so, as while a chooser of its own is
// open), and frees itself on closing.
inline void MakeDropDown(TForm& form, std::function<bool()> keepOpen = {}) {
  form.SetBorderStyle(bsNone);
  form.KeyPreview = true;
  form.OnKeyDown = [&form](TObject*, uint16_t& key, TShiftState) {
    if (key != VK_ESCAPE) return;
    key = 0;
    form.Close();
  };
  form.OnDeactivate = [&form, keepOpen = std::move(keepOpen)](TObject*) {
    if (!keepOpen || !keepOpen()) form.Close();
  };
  form.OnClose = [](TObject*, TCloseAction& action) { action = caFree; };
}

}  // namespace qs
