#pragma once
// TFBarUnion: whether a measure groups its beams itself, and how: no
// beams, over the whole measure, by the beats of its time signature, or in
// a chosen number of groups. A modal dialog, or with OK and Cancel hidden
// a drop-down that reports every change.
#include <cstdint>

#include "platform/forms.h"

namespace qs {

class TButton;
class TCheckBox;
class TEdit;
class TGroupBox;
class TLabel;
class TPanel;
class TUpDown;
class TECCharButton;
class TECFormLanguage;

class TFBarUnion : public TForm {
 public:
  explicit TFBarUnion(TComponent* owner);
  const char* ClassName() const override { return "TFBarUnion"; }

  TCheckBox* CBActive = nullptr;
  TGroupBox* GBBarUnion = nullptr;
  TPanel* PBarUnion = nullptr;
  TECCharButton *CBNone = nullptr, *CBFull = nullptr, *CBSize = nullptr, *CBCustom = nullptr;
  TLabel *LNone = nullptr, *LFull = nullptr, *LSize = nullptr, *LCustom = nullptr;
  TEdit* EUnionCount = nullptr;
  TUpDown* UDUnionCount = nullptr;
  TButton *BBOk = nullptr, *BBCancel = nullptr;
  TECFormLanguage* LBarUnion = nullptr;

  // Every change the user makes, unless Suppress is set (while a caller
  // loads values).
  TNotifyEvent OnChange;
  bool Suppress = false;

  bool GetActive() const;
  // 0 no beams, 1 the whole measure, 2 by beats, n > 2 in n - 1 groups.
  uint8_t GetUnionStyle() const;
  void SetActive(bool active);
  void SetUnionStyle(uint8_t style);
  // False: OK and Cancel hidden, for the drop-down.
  void SetDialogMode(bool dialog);

 private:
  void Changed();
  void UpdateControls();
};

void RegisterBarUnionForms();

}  // namespace qs
