#pragma once
// The small drop-down choosers of the Design palette: font name, font
// style, line style, fill style, line width, line ends, text angle (with
// its dial), page-number style and date format. Each is made for one use,
// placed below the button that opened it, given the current value and
// shown without blocking; it reports the picked value through OnChoose and,
// except the font-style and angle choosers, closes at once. Esc or leaving
// the chooser closes it too. A closed chooser frees itself.
#include <array>
#include <cstdint>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

#include "platform/canvas.h"
#include "platform/forms.h"

namespace qs {

class TECCharButton;
class TListBox;
class TCheckBox;
class TEdit;
class TUpDown;
class TECFormLanguage;

// The font faces a list offers: vertical faces (names beginning with "@")
// are left out and a name equal, ignoring case, to the one kept before it
// is kept once; sorted.
std::vector<std::string> FontListEntries(const std::vector<std::string>& faces);
// The index of the first entry equal to name ignoring case; -1 when none.
int FindNameIgnoringCase(const std::vector<std::string>& entries, const std::string& name);

// Line ends: the start shape in the high four bits, the end shape in the
// low four (0 none, 1 arrow, 2 circle, 3 rhombus). The chooser's codes:
inline constexpr std::array<int, 9> kLineEndCodes = {0x10, 0x11, 0x12, 0x13, 0x20, 0x22, 0x23, 0x30, 0x33};
// Draws a horizontal line from x1 to x2 at y with the shapes of the code at
// its ends, in the canvas's pen and brush colour.
void DrawLineEnds(TCanvas& canvas, int x1, int x2, int y, int code);

// The entries of the date chooser: the date and time t in each of the ten
// formats a page date can have (as the page shows it). Nothing of the
// program's own date settings changes.
std::vector<std::string> PageDateEntries(const std::tm& t);

// The angle of the dial for a point (dx to the right of the centre, dy
// above it), 0..359 counter-clockwise from the right; 90 at the centre.
int AngleFromOffset(int dx, int dy);
// An angle stepped past its ends wraps: 360 is 0 and -1 is 359.
int WrapAngle(int angle);

// A drop-down chooser never takes the focus from the window that opened
// it; while it is shown, Esc (and Enter, where given) reach it first, and a
// press anywhere outside it closes it.
class TDropDownWatch : public TPopupKeyTarget {
 public:
  explicit TDropDownWatch(TCustomForm& form) : form_(form) {}
  ~TDropDownWatch() override;
  // Makes the form such a drop-down; call before it is shown.
  void Attach();
  std::function<void()> OnEnter;
  bool MenuKeyDown(uint16_t key, TShiftState shift) override;
  bool MenuKeyUp(uint16_t, TShiftState) override { return false; }
  void PressOutside() override;

 private:
  TCustomForm& form_;
};

// What every chooser shares: the small skin, OnChoose, closing on Esc and
// when it is left, freeing itself when closed.
class TFDesignChooser : public TForm {
 public:
  std::function<void(TObject* sender, int value)> OnChoose;
  // The translated numbered message of the chooser's language file.
  std::string Message(int index) const;

 protected:
  TFDesignChooser(TComponent* owner, const char* name, int width, int height);
  void Report(int value);
  // Reports and closes.
  void Pick(int value);
  // A group-1 face button of the chooser.
  TECCharButton* FaceButton(const char* name, int left, int top, int width, int height);
  TECFormLanguage* language_ = nullptr;
  TDropDownWatch watch_{*this};
};

// The font name chooser; OnChoose's value is unused (read Name()).
class TFTextName : public TFDesignChooser {
 public:
  explicit TFTextName(TComponent* owner);
  const char* ClassName() const override { return "TFTextName"; }
  TListBox* LBName = nullptr;
  void SetFaceName(const std::string& name);
  std::string Name() const;
  std::function<void(TObject* sender, const std::string& name)> OnChooseName;
};

// The font style set: 1 bold, 2 italic, 4 underline, 8 strike-out; every
// click reports the whole set and the chooser stays.
class TFFontStyles : public TFDesignChooser {
 public:
  explicit TFFontStyles(TComponent* owner);
  const char* ClassName() const override { return "TFFontStyles"; }
  TCheckBox *CBBold = nullptr, *CBItalic = nullptr, *CBUnderline = nullptr, *CBStrikeOut = nullptr;
  void SetStyles(int styles);
  int Styles() const;
};

// One of a row of values, each on a face button of group 1 (line styles
// 0..4, fill styles 0..7, widths 1..5, line-end codes); a value no button
// holds presses none.
class TFValueChooser : public TFDesignChooser {
 public:
  enum class TKind : uint8_t { LineStyles, BrushStyles, LineWidth, PointStyles };
  TFValueChooser(TComponent* owner, TKind kind);
  const char* ClassName() const override { return "TFValueChooser"; }
  void SetValue(int value);
  // The value of the pressed button; -1 when none is pressed.
  int Value() const;
  std::vector<TECCharButton*> Buttons;

 private:
  TKind kind_;
  std::vector<int> values_;
};

// The dial that shows and sets an angle: ticks every 15 degrees (rhombi at
// the multiples of 45), the chosen one red, and its caption written turned
// by the angle from the centre.
class TOrientation : public TCustomControl {
 public:
  explicit TOrientation(TComponent* owner);
  const char* ClassName() const override { return "TOrientation"; }
  int Angle() const { return angle_; }
  void SetAngle(int angle);
  std::string Text = "Inscription";
  TNotifyEvent OnChange;
  void Paint() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;

 private:
  void AngleAt(int x, int y);
  int angle_ = 0;
};

// The text angle; reports every change and stays open.
class TFTextRotate : public TFDesignChooser {
 public:
  explicit TFTextRotate(TComponent* owner);
  const char* ClassName() const override { return "TFTextRotate"; }
  TOrientation* Dial = nullptr;
  TEdit* EAngle = nullptr;
  TUpDown* UDAngle = nullptr;
  void SetAngle(int angle);
  int Angle() const;

 private:
  bool updating_ = false;
};

// A list of styles: the page-number styles or the date formats; a press in
// the list or Enter reports the index and closes.
class TFChooseList : public TFDesignChooser {
 public:
  // dates: the date formats (filled with today's date), else the page
  // number styles.
  TFChooseList(TComponent* owner, bool dates);
  const char* ClassName() const override { return "TFChooseList"; }
  TListBox* LBList = nullptr;
  void SetIndex(int index);
  int Index() const;
};

void RegisterDesignChooserForms();

}  // namespace qs
