#pragma once
// What the palettes' small drop-down pickers share: a picker is made for
// one use by the button whose arrow opened it, placed below that button,
// preset through its setters, and answers through its OnChoose or OnChange
// handler. It closes on Esc, when it loses the focus and (the choosing
// kind) after a choice; closing frees it.
#include <functional>
#include <string>

#include "platform/forms.h"

namespace qs {

class TControl;
class TECCharButton;
class TECFormLanguage;

class TDropDownPicker : public TForm {
 public:
  // Places the picker below control (above it where the screen ends) and
  // shows it without waiting.
  void DropDownBelow(const TControl& control);
  // The caller's button that opened the picker, for callers with several.
  TObject* Spare = nullptr;

 protected:
  // name: the form's name, which also names its language file.
  TDropDownPicker(TComponent* owner, const char* name, int clientWidth, int clientHeight);
  // Translates the picker once its controls exist.
  void Finish();
  // A value button of the picker: flat, in group 1, raised under the mouse.
  TECCharButton* ValueButton(TWinControl* parent, const char* name, int left, int top, int width, int height);
  // A value button whose face is one character of the music font.
  TECCharButton* GlyphButton(TWinControl* parent, const char* name, uint8_t glyph, int left, int top, int width,
                             int height, int posX, int posY);
  // After a choice the picker goes (freed once the click is handled).
  void CloseAfterChoice() { Close(); }
  // A click on b makes the choice (marks and answers it), then the picker
  // goes.
  void ChooseOnClick(TECCharButton* b, std::function<void()> choose);

  TECFormLanguage* language_ = nullptr;
};

// Where a music-font character starts above a button so that it sits in
// the middle: notes with stems stand on their head, heads, accidentals and
// marks are centred on the baseline, rests hang from it.
int GlyphFaceTop(uint8_t glyph);


}  // namespace qs
