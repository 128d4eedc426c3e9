#include "platform/actions.h"

#include <QApplication>
#include <QStyle>

#include <algorithm>

#include "platform/bitmap.h"
#include "platform/controls.h"
#include "platform/forms.h"
#include "platform/gui.h"
#include "platform/keys.h"

namespace qs {

// -------------------------------------------------------- TChangeListeners

int TChangeListeners::Add(TNotifyEvent listener) {
  listeners_.emplace_back(next_, std::move(listener));
  return next_++;
}

void TChangeListeners::Remove(int id) {
  listeners_.erase(std::remove_if(listeners_.begin(), listeners_.end(), [id](const auto& l) { return l.first == id; }),
                   listeners_.end());
}

void TChangeListeners::Notify(TObject* sender) const {
  // A listener may remove itself while it is told.
  const auto listeners = listeners_;
  for (const auto& [id, listener] : listeners) Fire(listener, sender);
}

// ----------------------------------------------------------------- TAction

TAction::TAction(TComponent* owner) : TComponent(owner) {}

TAction::~TAction() {
  BeginDestroy();
  SetActionList(nullptr);
}

const TPropTable& TAction::Published() const {
  static const TPropTable table(
      &TComponent::Published(),
      {StringProp<TAction>(
           "Caption", [](const TAction& a) { return a.Caption(); },
           [](TAction& a, const std::string& v) { a.SetCaption(v); }),
       StringProp<TAction>(
           "Hint", [](const TAction& a) { return a.Hint(); }, [](TAction& a, const std::string& v) { a.SetHint(v); }),
       BoolProp<TAction>(
           "Enabled", [](const TAction& a) { return a.Enabled(); }, [](TAction& a, bool v) { a.SetEnabled(v); }),
       BoolProp<TAction>(
           "Checked", [](const TAction& a) { return a.Checked(); }, [](TAction& a, bool v) { a.SetChecked(v); }),
       BoolProp<TAction>(
           "Visible", [](const TAction& a) { return a.Visible(); }, [](TAction& a, bool v) { a.SetVisible(v); })});
  return table;
}

void TAction::Changed() { listeners_.Notify(this); }

void TAction::SetCaption(const std::string& v) {
  if (v == caption_) return;
  caption_ = v;
  Changed();
}
void TAction::SetHint(const std::string& v) {
  if (v == hint_) return;
  hint_ = v;
  Changed();
}
void TAction::SetEnabled(bool v) {
  if (v == enabled_) return;
  enabled_ = v;
  Changed();
}
void TAction::SetChecked(bool v) {
  if (v == checked_) return;
  checked_ = v;
  // One action of a group is checked at a time.
  if (v && GroupIndex != 0 && list_)
    for (TAction* a : list_->actions_)
      if (a != this && a->GroupIndex == GroupIndex) a->SetChecked(false);
  Changed();
}
void TAction::SetVisible(bool v) {
  if (v == visible_) return;
  visible_ = v;
  Changed();
}
void TAction::SetImageIndex(int v) {
  if (v == imageIndex_) return;
  imageIndex_ = v;
  Changed();
}

void TAction::SetActionList(TActionList* list) {
  if (list == list_) return;
  if (list_) {
    auto& a = list_->actions_;
    a.erase(std::remove(a.begin(), a.end(), this), a.end());
  }
  list_ = list;
  if (list) list->actions_.push_back(this);
}

bool TAction::Execute() {
  Update();
  if (!enabled_ || !OnExecute) return false;
  OnExecute(this);
  return true;
}

void TAction::Update() { Fire(OnUpdate, this); }

int TAction::AddChangeListener(TNotifyEvent listener) { return listeners_.Add(std::move(listener)); }

void TAction::RemoveChangeListener(int id) { listeners_.Remove(id); }

TActionList::~TActionList() {
  BeginDestroy();
  for (TAction* a : actions_) a->list_ = nullptr;
}

TAction* TActionList::Actions(int index) const {
  if (index < 0 || index >= ActionCount()) RaiseListIndexError(index);
  return actions_[static_cast<size_t>(index)];
}

TAction* TActionList::FindShortCut(uint16_t shortCut) const {
  for (TAction* a : actions_)
    if (a->ShortCut == shortCut && a->Enabled() && a->Visible()) return a;
  return nullptr;
}

void TActionList::UpdateActions() {
  for (TAction* a : actions_) a->Update();
}

uint16_t ShortCut(uint16_t key, uint16_t shift) {
  uint16_t s = key & 0xFF;
  if (shift & ssShift) s |= 0x2000;
  if (shift & ssCtrl) s |= 0x4000;
  if (shift & ssAlt) s |= 0x8000;
  return s;
}

// -------------------------------------------------------------- TImageList

TImageList::TImageList(TComponent* owner, int width, int height)
    : TComponent(owner), width_(std::max(1, width)), height_(std::max(1, height)) {}

TImageList::~TImageList() { BeginDestroy(); }

int TImageList::AddMasked(const TBitmap& image, TColor maskColor) {
  const int first = Count();
  if (image.Width() <= 0 || image.Height() <= 0) return -1;
  const TColor mask = maskColor == clNone ? image.Pixel(0, image.Height() - 1) : maskColor;
  const int pieces = std::max(1, image.Width() / width_);
  for (int p = 0; p < pieces; ++p) {
    auto piece = std::make_unique<TBitmap>(width_, height_);
    for (int y = 0; y < std::min(height_, image.Height()); ++y)
      for (int x = 0; x < width_ && p * width_ + x < image.Width(); ++x)
        piece->SetPixel(x, y, image.Pixel(p * width_ + x, y));
    piece->Transparent = true;
    piece->SetTransparentColor(mask);
    images_.push_back(std::move(piece));
  }
  listeners_.Notify(this);
  return first;
}

void TImageList::Delete(int index) {
  if (index < 0 || index >= Count()) RaiseListIndexError(index);
  images_.erase(images_.begin() + index);
  listeners_.Notify(this);
}

void TImageList::Clear() {
  images_.clear();
  listeners_.Notify(this);
}

// ------------------------------------------------------- TImageChangeLink

void TImageList::Draw(TCanvas& canvas, int x, int y, int index, bool enabled) const {
  if (index < 0 || index >= Count()) return;
  const TBitmap& image = *images_[static_cast<size_t>(index)];
  if (enabled) {
    canvas.Draw(x, y, image);
    return;
  }
  // Greyed: the shape of the picture, embossed in the highlight and shadow
  // colours as a disabled control shows it.
  TBitmap grey(width_, height_);
  const TColor mask = image.TransparentColor();
  const TColor key = mask == clWhite ? clBlack : clWhite;
  for (int pass = 0; pass < 2; ++pass) {
    const TColor ink = ColorToRGB(pass == 0 ? clBtnHighlight : clBtnShadow);
    const int d = pass == 0 ? 1 : 0;
    for (int yy = 0; yy < height_; ++yy)
      for (int xx = 0; xx < width_; ++xx) grey.SetPixel(xx, yy, key);
    for (int yy = 0; yy < height_; ++yy)
      for (int xx = 0; xx < width_; ++xx) {
        const TColor c = image.Pixel(xx, yy);
        const int lum = (GetRValue(c) * 30 + GetGValue(c) * 59 + GetBValue(c) * 11) / 100;
        if (c != mask && lum < 192 && xx + d < width_ && yy + d < height_) grey.SetPixel(xx + d, yy + d, ink);
      }
    grey.Transparent = true;
    grey.SetTransparentColor(key);
    canvas.Draw(x, y, grey);
  }
}

std::unique_ptr<TBitmap> TImageList::GetBitmap(int index) const {
  if (index < 0 || index >= Count()) RaiseListIndexError(index);
  const TBitmap& image = *images_[static_cast<size_t>(index)];
  auto copy = std::make_unique<TBitmap>(width_, height_);
  for (int y = 0; y < height_; ++y)
    for (int x = 0; x < width_; ++x) {
      const TColor c = image.Pixel(x, y);
      copy->SetPixel(x, y, c == image.TransparentColor() ? clWhite : c);
    }
  return copy;
}

// ------------------------------------------------------------ system facts

int GetSystemMetrics(TSystemMetric metric) {
  EnsureGuiApplication();
  QStyle* style = QApplication::style();
  switch (metric) {
    case SM_CXSCREEN: return Screen().Width();
    case SM_CYSCREEN: return Screen().Height();
    case SM_CXVSCROLL: case SM_CYHSCROLL: return style->pixelMetric(QStyle::PM_ScrollBarExtent);
    case SM_CYCAPTION: return style->pixelMetric(QStyle::PM_TitleBarHeight);
    case SM_CXBORDER: case SM_CYBORDER: return 1;
    case SM_CXEDGE: case SM_CYEDGE: return 2;
    case SM_CXDLGFRAME: case SM_CYDLGFRAME: return style->pixelMetric(QStyle::PM_DefaultFrameWidth) + 1;
    case SM_CXICON: case SM_CYICON: case SM_CXCURSOR: case SM_CYCURSOR: return 32;
    case SM_CXSMICON: case SM_CYSMICON: return style->pixelMetric(QStyle::PM_SmallIconSize);
    case SM_CYMENU: return style->pixelMetric(QStyle::PM_MenuBarItemSpacing) + 19;
    case SM_CXDOUBLECLK: case SM_CYDOUBLECLK: return 4;
    case SM_CXDRAG: case SM_CYDRAG: return QApplication::startDragDistance();
  }
  return 0;
}

int GetDoubleClickTime() {
  EnsureGuiApplication();
  return QApplication::doubleClickInterval();
}

void Beep() {
  EnsureGuiApplication();
  QApplication::beep();
}

}  // namespace qs
