#include "app/choosepage.h"

#include <algorithm>
#include <memory>
#include <string>

#include "platform/extctrls.h"
#include "platform/keys.h"
#include "uikit/language.h"
#include "uikit/lrf.h"

namespace qs {

namespace {
// Buttons overlap their neighbours by a pixel, so that the borders touch.
constexpr int kButtonWidth = 24, kButtonHeight = 16, kColumnStep = 23, kRowStep = 15;
constexpr int kMostHeight = 500;
}  // namespace

TFChoosePage::TFChoosePage(TComponent* owner) : TForm(owner) {
  SetName("FChoosePage");
  SetCaption("Choose Page");
  SetBorderStyle(bsNone);
  KeyPreview = true;
  OnKeyDown = [this](TObject*, uint16_t& key, TShiftState) {
    if (key != VK_ESCAPE) return;
    key = 0;
    Close();
  };
  // A drop-down: it goes as soon as the user turns elsewhere.
  OnDeactivate = [this](TObject*) { Close(); };
  auto* language = new TECFormLanguage(this);
  language->SetName("FLChoosePage");
  language->SetExLanguage(kDefaultLanguage);
  language->Loaded();
  SetPageCount(1);
}

void TFChoosePage::SetPageCount(int count) {
  count = std::max(0, count);
  if (count == PageCount()) return;
  while (PageCount() > count) {
    delete buttons_.back();
    buttons_.pop_back();
  }
  TFont font;
  font.Name = "Arial Narrow";
  font.SetSize(8);
  const int columns = count >= 40 ? 24 : 12;
  for (int i = 0; i < count; ++i) {
    if (i >= PageCount()) {
      auto* b = new TSpeedButton(this);
      b->SetParent(this);
      b->Flat = true;
      b->GroupIndex = 1;
      b->Tag = i;
      b->SetCaption(std::to_string(i + 1));
      b->SetFont(font);
      b->OnClick = [this, i](TObject*) {
        SetPage(i);
        if (OnChoose) OnChoose(this, i);
        Close();
      };
      buttons_.push_back(b);
    }
    buttons_[static_cast<size_t>(i)]->SetBounds(kColumnStep * (i % columns), kRowStep * (i / columns), kButtonWidth,
                                                kButtonHeight);
  }
  const int rows = (count + columns - 1) / columns;
  const int width = kColumnStep * std::min(count, columns) + 8;
  const int height = rows == 0 || rows * kRowStep + 4 >= kMostHeight ? kMostHeight : rows * kRowStep + 4;
  SetBounds(Left(), Top(), std::max(width, kButtonWidth + 8), height);
  SetPage(page_);
}

void TFChoosePage::SetPage(int index) {
  page_ = index;
  if (TSpeedButton* b = PageButton(index)) b->SetDown(true);
}

TSpeedButton* TFChoosePage::PageButton(int index) const {
  return index >= 0 && index < PageCount() ? buttons_[static_cast<size_t>(index)] : nullptr;
}

void RegisterChoosePageForms() {
  RegisterForm("FChoosePage", [](const std::string&) -> std::unique_ptr<TCustomForm> {
    auto form = std::make_unique<TFChoosePage>(nullptr);
    form->SetPageCount(30);
    form->SetPage(4);
    return form;
  });
}

}  // namespace qs
