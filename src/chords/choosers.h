#pragma once
// The small drop-downs that offer the values of one part of a chord code
// (root letter, base number, minor, major, sus, omit, an alteration) and
// the finger of a string. The host places one below the pressed button,
// sets the value and the callback and shows it; a click on a value calls
// back and closes. Like every drop-down they close on Esc and when they
// lose the focus, and free themselves on closing.
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "platform/forms.h"

namespace qs {

class TECCharButton;
class TPanel;

class TFChooser : public TForm {
 public:
  struct TChoice {
    const char* Name;  // the button's component name
    std::string Caption;
    int Value;
  };
  const char* ClassName() const override { return "TFChooser"; }

  // The value of the pressed button; with none pressed the fallback.
  int GetValue() const;
  // Presses the button of value (none when no button has it).
  void SetValue(int value);
  TECCharButton* ButtonOf(int value) const;

  std::function<void(TFChooser*)> OnChosen;
  // Keeps the drop-down open while it loses the focus (it is being moved,
  // or a chooser of its own is open).
  bool KeepOpen = false;
  std::vector<TECCharButton*> Buttons;

 protected:
  // allowAllUp: a click on the pressed button releases it (the chooser
  // then gives the fallback value).
  TFChooser(TComponent* owner, const char* name, int width, const std::vector<TChoice>& choices, int fallback,
            bool allowAllUp, int buttonHeight = 20);
  virtual void Chosen(TECCharButton* button);
  int Place(int top);  // lays the buttons out from top; gives the bottom

 private:
  std::vector<int> values_;
  int fallback_;
};

class TFChooseChordNote : public TFChooser {
 public:
  explicit TFChooseChordNote(TComponent* owner);
  const char* ClassName() const override { return "TFChooseChordNote"; }
};
class TFChooseChordBase : public TFChooser {
 public:
  explicit TFChooseChordBase(TComponent* owner);
  const char* ClassName() const override { return "TFChooseChordBase"; }
};
class TFChooseChordMinor : public TFChooser {
 public:
  explicit TFChooseChordMinor(TComponent* owner);
  const char* ClassName() const override { return "TFChooseChordMinor"; }
};
class TFChooseChordMajor : public TFChooser {
 public:
  explicit TFChooseChordMajor(TComponent* owner);
  const char* ClassName() const override { return "TFChooseChordMajor"; }
};
class TFChooseChordSus : public TFChooser {
 public:
  explicit TFChooseChordSus(TComponent* owner);
  const char* ClassName() const override { return "TFChooseChordSus"; }
};
class TFChooseChordOmit : public TFChooser {
 public:
  explicit TFChooseChordOmit(TComponent* owner);
  const char* ClassName() const override { return "TFChooseChordOmit"; }
};

// An alteration's direction (0 the plain number, 1 raised, 2 lowered) and
// the style of its sign (the tab pages: "9+", "+9", "#9", "aug9").
class TFChooseChordAdd : public TFChooser {
 public:
  explicit TFChooseChordAdd(TComponent* owner);
  const char* ClassName() const override { return "TFChooseChordAdd"; }

  int Number() const { return number_; }
  void SetNumber(int number);
  int Style() const { return style_; }
  // A style past the pages shows only the first page and uses style 0.
  void SetStyle(int style);
  static std::string Caption(int number, int direction, int style);

  std::function<void(TFChooseChordAdd*)> OnStyleChanged;
  TPanel* PCStyles = nullptr;
  std::array<TECCharButton*, 4> Tabs{};
  TECCharButton *CBAdd = nullptr, *CBDiesis = nullptr, *CBBemol = nullptr;

 private:
  void Refresh();
  int number_ = 5, style_ = 0;
};

// The finger of one string: 1..4 and the thumb (5, "T").
class TFChooseFinger : public TFChooser {
 public:
  explicit TFChooseFinger(TComponent* owner);
  const char* ClassName() const override { return "TFChooseFinger"; }
  int StringIndex = 0;
};

void RegisterChooserForms();

}  // namespace qs
