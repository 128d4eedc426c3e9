#pragma once
// The program's own message box: a picture (warning or question), the
// text wrapped to one of three widths and a row of buttons at the bottom
// right whose captions come from the language file. Every question,
// warning and error report goes through ShowMessageBlock.
#include <cstdint>
#include <string>

#include "platform/forms.h"

namespace qs {

class TImage;
class TLabel;
class TButton;
class TECFormLanguage;
class TStringList;
class TCanvas;
class TImageList;

// Button bits, placed from the right edge leftwards in this order.
enum : uint16_t {
  kMessageExtra = 0x40,   // message 0; does not close the box
  kMessageCancel = 0x04,  // message 1; result mrCancel
  kMessageOk = 0x02,      // "Ok"; result mrOk
  kMessageNo = 0x20,      // message 3; result mrNo
  kMessageYes = 0x10,     // message 2; result mrYes
};
// Icon kinds: the warning picture; the question picture (1 and 2).
enum : uint8_t { kMessageWarning = 0, kMessageQuestion = 1 };

class TFMessageBlock : public TForm {
 public:
  explicit TFMessageBlock(TComponent* owner);
  const char* ClassName() const override { return "TFMessageBlock"; }

  // Fills the text box and sizes it, the pictures and the form.
  void LayoutMessageText(const std::string& text);
  // Hides the picture the icon kind does not use.
  void SetMessageIcon(uint8_t iconKind);
  // One button at the current position, which then moves left by its width.
  TButton* AddMessageButton(uint16_t kind, const std::string& caption);
  int ButtonX() const { return buttonX_; }
  void SetButtonX(int x) { buttonX_ = x; }

  TImage* IQuestion = nullptr;
  TImage* IWarning = nullptr;
  TLabel* MMessageBlock = nullptr;
  TECFormLanguage* FLMessageBlock = nullptr;
  // The button glyphs: 0 OK and Yes, 1 Cancel, 2 No, 3 the extra button.
  TImageList* ILMessageBlock = nullptr;

 private:
  void FormKeyDown(uint16_t& key);
  int buttonX_ = 0;
};

// Shows the box modally and returns the result of the button that closed
// it, or mrCancel for Esc or the window's close button.
int ShowMessageBlock(const std::string& title, const std::string& text, uint8_t iconKind, uint16_t buttons);

// Breaks text into lines no wider than maxWidth pixels in the canvas's
// font where a space, comma, semicolon or closing parenthesis allows.
void WrapMessageText(const TCanvas& canvas, const std::string& text, int maxWidth, TStringList& lines);

// Makes the box known to the review tools that show every form.
void RegisterMessageBlockForms();

}  // namespace qs
