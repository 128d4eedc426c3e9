#pragma once
// The standard controls the window system offers, behind the same control
// interface as the program's own.
#include <string>

#include "platform/controls.h"
#include "platform/forms.h"

namespace qs {

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
  TNotifyEvent OnChange;
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
