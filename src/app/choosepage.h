#pragma once
// The page chooser that drops down from the page bar of the score view: a
// grid of numbered page buttons; a click on one goes to that page.
#include <functional>
#include <vector>

#include "platform/forms.h"

namespace qs {

class TSpeedButton;

class TFChoosePage : public TForm {
 public:
  explicit TFChoosePage(TComponent* owner);
  const char* ClassName() const override { return "TFChoosePage"; }
  // Lays out one button a page: 12 to a row, 24 from 40 pages on.
  void SetPageCount(int count);
  int PageCount() const { return static_cast<int>(buttons_.size()); }
  // The chosen page (0 the first); its button is shown pressed.
  void SetPage(int index);
  int Page() const { return page_; }
  // A page was chosen; the form then closes.
  std::function<void(TObject* sender, int page)> OnChoose;
  // The button of a page, for tests (null outside the count).
  TSpeedButton* PageButton(int index) const;

 private:
  std::vector<TSpeedButton*> buttons_;
  int page_ = 0;
};

// Registers the chooser with the review tools (formshot).
void RegisterChoosePageForms();

}  // namespace qs
