#pragma once
// The standard controls the window system offers, behind the same control
// interface as the program's own.
#include <string>

#include "platform/controls.h"
#include "platform/forms.h"

namespace qs {

class TBitmap;

class TButton : public TWinControl {
 public:
  explicit TButton(TComponent* owner);
  const char* ClassName() const override { return "TButton"; }
  const TPropTable& Published() const override;
  // Clicking the button sets its form's ModalResult to this (when not
  // mrNone) before OnClick.
  TModalResult ModalResult = mrNone;
  // Enter (Default) or Esc (Cancel) anywhere on the form click the button.
  bool Default() const { return default_; }
  void SetDefault(bool v);
  bool Cancel = false;
  void Click() override;
  bool DialogKey(uint16_t key) override;
  // A picture beside the caption, transparent where it has the colour of
  // its bottom-left pixel; greyed while the button is disabled. An empty
  // bitmap takes it away.
  void SetGlyph(const TBitmap& glyph);

 protected:
  void CaptionChanged() override;

 private:
  bool default_ = false;
};

// A one-line text box.
class TEdit : public TWinControl {
 public:
  explicit TEdit(TComponent* owner);
  const char* ClassName() const override { return "TEdit"; }
  const TPropTable& Published() const override;
  // UTF-8.
  std::string Text() const;
  void SetText(const std::string& v);
  int MaxLength() const;
  void SetMaxLength(int v);
  bool ReadOnly() const;
  void SetReadOnly(bool v);
  int SelStart() const;
  void SetSelStart(int v);
  int SelLength() const;
  void SetSelLength(int v);
  void SelectAll();
  // The rectangle the text is laid out in (client coordinates), as the
  // edit's formatting rectangle; the rest of the client area stays empty.
  void SetFormatRect(const TRect& r);
  TRect FormatRect() const;
  // Hides the typed characters behind this one ('\0': shows them).
  void SetPasswordChar(char16_t ch);
  TNotifyEvent OnChange;
};

enum TAlignment : uint8_t { taLeftJustify, taRightJustify, taCenter };

// A text that takes no input. With FocusControl, its access key ("&x")
// focuses that control.
class TLabel : public TWinControl {
 public:
  explicit TLabel(TComponent* owner);
  const char* ClassName() const override { return "TLabel"; }
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment v);
  bool WordWrap() const;
  void SetWordWrap(bool v);
  bool AutoSize = true;
  TWinControl* FocusControl = nullptr;

 protected:
  void CaptionChanged() override;
  void FontChanged() override;
  void ColorChanged() override;

 private:
  void Fit();
  TAlignment alignment_ = taLeftJustify;
};

// Lines of text; Lines is published as a string list.
class TMemo : public TWinControl {
 public:
  explicit TMemo(TComponent* owner);
  const char* ClassName() const override { return "TMemo"; }
  const TPropTable& Published() const override;
  TStringList Lines() const;
  void SetLines(const TStringList& lines);
  std::string Text() const;
  void SetText(const std::string& v);
  // Types text (UTF-8) into the line that holds the caret, at the caret.
  void InsertAtCaret(const std::string& text);
  bool ReadOnly() const;
  void SetReadOnly(bool v);
  bool WordWrap() const;
  void SetWordWrap(bool v);
  TNotifyEvent OnChange;
};

enum TCheckBoxState : uint8_t { cbUnchecked, cbChecked, cbGrayed };

class TCheckBox : public TWinControl {
 public:
  explicit TCheckBox(TComponent* owner);
  const char* ClassName() const override { return "TCheckBox"; }
  const TPropTable& Published() const override;
  bool Checked() const;
  // Sets the state without OnClick.
  void SetChecked(bool v);
  TCheckBoxState State() const;
  void SetState(TCheckBoxState v);
  bool AllowGrayed() const;
  void SetAllowGrayed(bool v);

 protected:
  void CaptionChanged() override;
};

// Radio buttons with the same parent exclude each other.
class TRadioButton : public TWinControl {
 public:
  explicit TRadioButton(TComponent* owner);
  const char* ClassName() const override { return "TRadioButton"; }
  const TPropTable& Published() const override;
  bool Checked() const;
  void SetChecked(bool v);

 protected:
  void CaptionChanged() override;
};

enum TComboBoxStyle : uint8_t { csDropDown, csDropDownList };

class TComboBox : public TWinControl {
 public:
  explicit TComboBox(TComponent* owner);
  const char* ClassName() const override { return "TComboBox"; }
  const TPropTable& Published() const override;
  TComboBoxStyle Style() const { return style_; }
  void SetStyle(TComboBoxStyle v);
  TStringList Items() const;
  void SetItems(const TStringList& items);
  int ItemIndex() const;
  void SetItemIndex(int v);
  std::string Text() const;
  void SetText(const std::string& v);
  int DropDownCount = 8;
  TNotifyEvent OnChange;
  TNotifyEvent OnSelect;

 private:
  TComboBoxStyle style_ = csDropDown;
};

class TListBox : public TWinControl {
 public:
  explicit TListBox(TComponent* owner);
  const char* ClassName() const override { return "TListBox"; }
  const TPropTable& Published() const override;
  TStringList Items() const;
  void SetItems(const TStringList& items);
  int ItemIndex() const;
  void SetItemIndex(int v);
  int Count() const;
  bool MultiSelect() const;
  void SetMultiSelect(bool v);
  bool Selected(int index) const;
  void SetSelected(int index, bool v);
  // The first item shown.
  int TopIndex() const;
  // Where an item is drawn, in client coordinates; empty for no item.
  TRect ItemRect(int index) const;
  // A click on an item fires OnClick after the selection changed.
  TNotifyEvent OnSelectionChange;
};

// A frame with a caption around other controls.
class TGroupBox : public TWinControl {
 public:
  explicit TGroupBox(TComponent* owner);
  const char* ClassName() const override { return "TGroupBox"; }

 protected:
  void CaptionChanged() override;
};

enum TScrollBarKind : uint8_t { sbHorizontal, sbVertical };
enum TScrollCode : uint8_t {
  scLineUp, scLineDown, scPageUp, scPageDown, scPosition, scTrack, scTop, scBottom, scEndScroll
};
using TScrollEvent = std::function<void(TObject* sender, TScrollCode code, int& scrollPos)>;

// A scroll bar: Position runs from Min to Max - PageSize + 1 (a page of
// PageSize fills the rest).
class TScrollBar : public TWinControl {
 public:
  explicit TScrollBar(TComponent* owner);
  const char* ClassName() const override { return "TScrollBar"; }
  const TPropTable& Published() const override;
  TScrollBarKind Kind() const { return kind_; }
  void SetKind(TScrollBarKind v);
  int Min() const { return min_; }
  int Max() const { return max_; }
  int PageSize() const { return pageSize_; }
  int Position() const { return position_; }
  void SetParams(int position, int min, int max, int pageSize);
  void SetPosition(int v) { SetParams(v, min_, max_, pageSize_); }
  void SetMin(int v) { SetParams(position_, v, max_, pageSize_); }
  void SetMax(int v) { SetParams(position_, min_, v, pageSize_); }
  void SetPageSize(int v) { SetParams(position_, min_, max_, v); }
  int SmallChange = 1;
  int LargeChange = 1;
  // The position after every change by the user or by code.
  TNotifyEvent OnChange;
  // Each step of the user's scrolling; the handler may change scrollPos.
  TScrollEvent OnScroll;

 private:
  void Apply();
  TScrollBarKind kind_ = sbHorizontal;
  int min_ = 0, max_ = 100, pageSize_ = 0, position_ = 0;
  bool applying_ = false;
};

}  // namespace qs
