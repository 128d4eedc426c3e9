#include "uikit/pagecontrol.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "base/exceptions.h"
#include "base/strings.h"
#include "base/text.h"
#include "platform/canvasutil.h"
#include "platform/extctrls.h"
#include "platform/forms.h"
#include "uikit/pictures.h"

namespace qs {

namespace {

constexpr int kScrollStep = 10;
constexpr int kRepeatInterval = 20;  // ms between two scroll steps while a button is held
constexpr int kSpiralBand = 20;
constexpr int kButtonSize = 14;
constexpr TColor kGray = 0x808080, kWhite = 0xFFFFFF, kMaroon = 128;

// A brush whose system colour is resolved for the canvas.
TBrush Resolved(TBrush b) {
  b.Color = ColorToRGB(b.Color);
  return b;
}

void Pixel(TCanvas& k, int x, int y, TColor color) {
  const TBrush saved = k.Brush();
  k.Brush().Style = bsSolid;
  k.Brush().Color = color;
  k.FillRect(TRect{x, y, x + 1, y + 1});
  k.Brush() = saved;
}

TRect Inflated(TRect r, int d) {
  r.Left -= d;
  r.Top -= d;
  r.Right += d;
  r.Bottom += d;
  return r;
}

// The longest prefix of text that fits limit pixels with ".." after it.
std::string FitCaption(const TCanvas& k, const std::string& text, int limit) {
  if (k.TextWidth(text) <= limit) return text;
  const std::u16string u = Utf8ToUtf16(text);
  int sum = k.TextWidth(std::u16string_view(u"..", 2));
  for (size_t i = 0; i < u.size(); ++i) {
    sum += k.TextWidth(std::u16string_view(&u[i], 1));
    if (sum > limit) return Utf16ToUtf8(u.substr(0, i)) + "..";
  }
  return text;
}

// The spiral binding's pieces, drawn for this program on white (their
// transparent colour): half rings of wire reaching out past the binding
// line, and punched holes with the wire entering them. A piece named LEFT
// or TOP lies before the line (the line is its last column or row), one
// named RIGHT or BOTTOM after it; HOLE pieces hold a hole.
const TBitmap& SpiralPiece(const std::string& name) {
  static std::map<std::string, std::unique_ptr<TBitmap>> pieces;
  auto& slot = pieces[name];
  if (slot) return *slot;
  struct Size {
    const char* Name;
    int W, H;
  };
  static const Size kSizes[] = {{"LEFT", 17, 10},     {"RIGHT", 14, 11},   {"LEFTHOLE", 17, 7},
                                {"RIGHTHOLE", 17, 7}, {"TOP", 10, 18},     {"BOTTOM", 10, 14},
                                {"TOPHOLE", 7, 18},   {"BOTTOMHOLE", 7, 17}};
  int w = 10, h = 10;
  for (const Size& s : kSizes)
    if (name == s.Name) w = s.W, h = s.H;
  slot = std::make_unique<TBitmap>(w, h);
  TBitmap& b = *slot;
  const bool horizontal = name.rfind("TOP", 0) == 0 || name.rfind("BOTTOM", 0) == 0;
  const bool beforeLine = name.rfind("LEFT", 0) == 0 || name.rfind("TOP", 0) == 0;
  const bool hole = name.find("HOLE") != std::string::npos;
  // Across the binding line: the distance from it; along: the position on
  // the line.
  const int across = horizontal ? h : w, along = horizontal ? w : h;
  auto plot = [&](int distance, int at, TColor color) {
    if (distance < 0 || distance >= across || at < 0 || at >= along) return;
    const int a = beforeLine ? across - 1 - distance : distance;
    if (horizontal)
      b.SetPixel(at, a, color);
    else
      b.SetPixel(a, at, color);
  };
  constexpr TColor kWire = 0x404040, kShine = 0xA0A0A0, kHole = 0x282828, kRim = 0x787878;
  const double centre = (along - 1) / 2.0;
  if (!hole) {
    // Half a ring: out from the line and back, a dark wire with a shine
    // on its inner side.
    for (int pass = 0; pass < 2; ++pass) {
      const double ra = across - 2 - pass, rl = centre - 1 - pass;
      for (int i = 0; i <= 180; ++i) {
        const double t = i * 3.14159265358979 / 180;
        plot(int(std::lround(ra * std::sin(t))), int(std::lround(centre - rl * std::cos(t))), pass ? kShine : kWire);
      }
    }
  } else {
    // The wire runs from the line into a round hole punched beside it.
    const int c = int(centre), hc = across - 6;
    for (int d = 0; d < hc; ++d) {
      plot(d, c, kWire);
      plot(d, c + 1, kShine);
    }
    for (int d = hc - 3; d <= hc + 3; ++d)
      for (int at = c - 3; at <= c + 3; ++at) {
        const int dd = d - hc, da = at - c;
        const int r2 = dd * dd + da * da;
        if (r2 <= 6) plot(d, at, kHole);
        else if (r2 <= 10) plot(d, at, kRim);
      }
  }
  b.Transparent = true;
  b.SetTransparentColor(kWhite);
  return b;
}

}  // namespace

// --- settings ---

void TECPageSetting::SetBrush(const TBrush& v) {
  if (brush_ == v) return;
  brush_ = v;
  Changed();
}

void TECPageSetting::SetDoubleSheet(bool v) {
  if (doubleSheet_ == v) return;
  doubleSheet_ = v;
  Changed();
}

void TECPageSetting::SetOrientation(TECPageOrientation v) {
  if (orientation_ == v) return;
  orientation_ = v;
  Changed();
}

void TECPageSetting::Assign(const TECPageSetting& source) {
  brush_ = source.brush_;
  doubleSheet_ = source.doubleSheet_;
  orientation_ = source.orientation_;
  Changed();
}

void TECTabSetting::SetAutoSize(TECAutoSize v) { Set(autoSize_, v); }
void TECTabSetting::SetLeftOffset(int v) { Set(leftOffset_, v); }
void TECTabSetting::SetRightOffset(int v) { Set(rightOffset_, v); }
void TECTabSetting::SetHeight(int v) { Set(height_, v); }
void TECTabSetting::SetLeftBend(int v) { Set(leftBend_, v); }
void TECTabSetting::SetRightBend(int v) { Set(rightBend_, v); }
void TECTabSetting::SetStyle(TECTabStyle v) { Set(style_, v); }

void TECTabSetting::Assign(const TECTabSetting& s) {
  autoSize_ = s.autoSize_;
  leftOffset_ = s.leftOffset_;
  rightOffset_ = s.rightOffset_;
  height_ = s.height_;
  leftBend_ = s.leftBend_;
  rightBend_ = s.rightBend_;
  style_ = s.style_;
  if (changed_) changed_();
}

// --- TECTabSheet ---

TECTabSheet::TECTabSheet(TComponent* owner) : TCustomControl(owner) {
  tabFont_.Name = "Arial";
  SetTabStop(false);
}

TECTabSheet::~TECTabSheet() {
  if (TECPageControl* pc = PageControl()) pc->RemovePage(this);
}

const TPropTable& TECTabSheet::Published() const {
  static const TPropTable table(
      &TCustomControl::Published(),
      {IntProp<TECTabSheet>(
           "PageIndex", [](const TECTabSheet& p) { return p.PageIndex(); },
           [](TECTabSheet& p, int v) { p.SetPageIndex(v); }),
       IntProp<TECTabSheet>(
           "TabWidth", [](const TECTabSheet& p) { return p.TabWidth(); },
           [](TECTabSheet& p, int v) { p.SetTabWidth(v); }),
       BoolProp<TECTabSheet>(
           "TabVisible", [](const TECTabSheet& p) { return p.TabVisible(); },
           [](TECTabSheet& p, bool v) { p.SetTabVisible(v); }),
       IntProp<TECTabSheet>(
           "Image", [](const TECTabSheet& p) { return p.Image(); }, [](TECTabSheet& p, int v) { p.SetImage(v); }),
       FontProp<TECTabSheet>(
           "TabFont", [](const TECTabSheet& p) { return p.TabFont(); },
           [](TECTabSheet& p, const TFont& v) { p.SetTabFont(v); })});
  return table;
}

TECPageControl* TECTabSheet::PageControl() const {
  auto* pc = dynamic_cast<TECPageControl*>(Parent());
  return pc && pc->IndexOfPage(this) >= 0 ? pc : nullptr;
}

void TECTabSheet::SetPageControl(TECPageControl* control) {
  TECPageControl* current = PageControl();
  if (control == current) return;
  if (current) current->RemovePage(this);
  reparenting_ = true;
  try {
    TCustomControl::SetParent(control);
  } catch (...) {
    reparenting_ = false;
    throw;
  }
  reparenting_ = false;
  if (control) control->InsertPage(this);
}

void TECTabSheet::SetParent(TWinControl* parent) {
  if (parent == Parent()) return;
  TECPageControl* old = PageControl();
  TCustomControl::SetParent(parent);
  if (reparenting_) return;
  // A page control (or none) as the new parent takes the page into its
  // list; another kind of parent leaves the lists alone.
  auto* pc = dynamic_cast<TECPageControl*>(parent);
  if (pc || !parent) {
    if (old) old->RemovePage(this);
    if (pc) pc->InsertPage(this);
  }
}

int TECTabSheet::PageIndex() const {
  TECPageControl* pc = PageControl();
  return pc ? pc->IndexOfPage(this) : -1;
}

void TECTabSheet::SetPageIndex(int v) {
  if (TECPageControl* pc = PageControl()) pc->MovePage(this, v);
  storedIndex_ = v;
}

void TECTabSheet::SetBrush(const TBrush& v) {
  if (brush_ == v) return;
  brush_ = v;
  Invalidate();
}

void TECTabSheet::SetTabBrush(const TBrush& v) {
  if (tabBrush_ == v) return;
  tabBrush_ = v;
  ContentChanged();
}

void TECTabSheet::SetTabFont(const TFont& v) {
  if (tabFont_ == v) return;
  tabFont_ = v;
  ContentChanged();
}

void TECTabSheet::SetTabWidth(int v) {
  if (tabWidth_ == v) return;
  tabWidth_ = v;
  ContentChanged();
}

void TECTabSheet::SetTabVisible(bool v) {
  if (tabVisible_ == v) return;
  tabVisible_ = v;
  if (onVisibility_) onVisibility_();
}

void TECTabSheet::SetImage(int v) {
  if (image_ == v) return;
  image_ = v;
  ContentChanged();
}

void TECTabSheet::SetPicture(const TBitmap* v) {
  if (!v && !picture_) return;
  picture_ = v ? CopyPicture(*v) : nullptr;
  ContentChanged();
}

void TECTabSheet::SetVisible(bool v) {
  if (v == Visible()) return;
  TCustomControl::SetVisible(v);
  if (onVisibility_) onVisibility_();
}

void TECTabSheet::SetBounds(int left, int top, int width, int height) {
  // A page always takes the place its control gives it.
  if (TECPageControl* pc = PageControl()) {
    const TRect r = pc->GetPageRect(this);
    TCustomControl::SetBounds(r.Left, r.Top, r.Width(), r.Height());
    return;
  }
  TCustomControl::SetBounds(left, top, width, height);
}

void TECTabSheet::Paint() {
  Canvas().Brush() = Resolved(brush_);
  Canvas().FillRect(ClientRect());
}

void TECTabSheet::CaptionChanged() {
  TCustomControl::CaptionChanged();
  ContentChanged();
}

void TECTabSheet::ContentChanged() {
  if (onContent_) onContent_();
}

int TECTabSheet::TabExtent() const {
  if (tabWidth_ != 0) return tabWidth_;
  TECPageControl* pc = PageControl();
  int e = pc && pc->TabSetting().Style() == tsRound ? 8 : 0;
  if (!Caption().empty()) {
    TBitmap screen(1, 1);
    TCanvas& k = screen.Canvas();
    k.Font() = tabFont_;
    k.Font().Style |= fsBold;
    e += 12 + k.TextWidth(Caption());
  }
  if (image_ >= 0 && pc && pc->Images() && image_ < pc->Images()->Count())
    e += (pc->VerticalStrip() ? pc->Images()->Height() : pc->Images()->Width()) + 4;
  return std::max(e, 20);
}

// --- TECPageControl ---

TECPageControl::TECPageControl(TComponent* owner)
    : TCustomControl(owner),
      pageSetting_([this] { SettingChanged(false); }),
      tabSetting_([this] { SettingChanged(true); }) {
  SetBounds(Left(), Top(), 300, 200);
  brush_.Color = clBtnFace;
  spiralBrush_.Color = clBtnFace;
}

TECPageControl::~TECPageControl() {
  BeginDestroy();
  for (TECTabSheet* p : pages_) {
    p->onContent_ = nullptr;
    p->onVisibility_ = nullptr;
  }
  // The pages stay with their owners; they only leave the list.
  pages_.clear();
  active_ = hot_ = docking_ = undocking_ = nullptr;
}

void TECPageControl::Notification(TComponent* component, TOperation operation) {
  TCustomControl::Notification(component, operation);
  imageLink_.Notification(component, operation);
  if (operation != opRemove) return;
  for (int i = 0; i < 4; ++i)
    if (component == buttons_[i]) buttons_[i] = nullptr;
}

void TECPageControl::SetBrush(const TBrush& v) {
  if (brush_ == v) return;
  brush_ = v;
  FullRepaint();
}

void TECPageControl::SetSpiralBrush(const TBrush& v) {
  if (spiralBrush_ == v) return;
  spiralBrush_ = v;
  FullRepaint();
}

void TECPageControl::SetSpiralVisible(bool v) {
  if (spiralVisible_ == v) return;
  spiralVisible_ = v;
  ArrangePages();
  FullRepaint();
}

void TECPageControl::SetBeveled(bool v) {
  if (beveled_ == v) return;
  beveled_ = v;
  FullRepaint();
}

void TECPageControl::SetImages(TImageList* v) {
  if (!imageLink_.SetImages(v)) return;
  Invalidate();
}

void TECPageControl::SetPicture(const TBitmap* v) {
  if (!v && !picture_) return;
  picture_ = v ? CopyPicture(*v) : nullptr;
  Invalidate();
}

void TECPageControl::FullRepaint() {
  fullRepaint_ = true;
  Invalidate();
}

void TECPageControl::SettingChanged(bool tabs) {
  ArrangePages();
  if (tabs) UpdateScrollButtons();
  FullRepaint();
}

// --- page list ---

TECTabSheet* TECPageControl::Pages(int index) const {
  if (index < 0 || index >= PageCount()) throw EListError("List index out of bounds (" + std::to_string(index) + ")");
  return pages_[index];
}

int TECPageControl::GetVisiblePageCount() const {
  return static_cast<int>(std::count_if(pages_.begin(), pages_.end(), [](TECTabSheet* p) { return p->IsTabShown(); }));
}

TECTabSheet* TECPageControl::GetVisiblePage(int n) const {
  for (TECTabSheet* p : pages_)
    if (p->IsTabShown() && n-- == 0) return p;
  return nullptr;
}

int TECPageControl::VisibleIndexOf(const TECTabSheet* page) const {
  int i = 0;
  for (TECTabSheet* p : pages_) {
    if (!p->IsTabShown()) continue;
    if (p == page) return i;
    ++i;
  }
  return -1;
}

int TECPageControl::IndexOfPage(const TECTabSheet* page) const {
  auto it = std::find(pages_.begin(), pages_.end(), page);
  return it == pages_.end() ? -1 : static_cast<int>(it - pages_.begin());
}

void TECPageControl::MovePage(TECTabSheet* page, int newIndex) {
  const int i = IndexOfPage(page);
  if (i < 0 || i == newIndex || newIndex < 0 || newIndex >= PageCount()) return;
  pages_.erase(pages_.begin() + i);
  pages_.insert(pages_.begin() + newIndex, page);
  Invalidate();
}

void TECPageControl::InsertPage(TECTabSheet* page) {
  pages_.push_back(page);
  page->onContent_ = [this] {
    UpdateScrollButtons();
    FullRepaint();
  };
  page->onVisibility_ = [this, page] { PageVisibilityChanged(page); };
  page->SetBounds(0, 0, 0, 0);
  if (!active_) SetActivePage(page);
  ArrangePages();
  UpdateScrollButtons();
  FullRepaint();
}

void TECPageControl::RemovePage(TECTabSheet* page) {
  const int i = IndexOfPage(page);
  if (i < 0) return;
  pages_.erase(pages_.begin() + i);
  page->onContent_ = nullptr;
  page->onVisibility_ = nullptr;
  if (hot_ == page) hot_ = nullptr;
  // While the control or its form is taken apart no other page is switched
  // to: the handlers of the switch may belong to what is already gone.
  bool goingAway = Destroying();
  for (const TComponent* o = Owner(); o && !goingAway; o = o->Owner()) goingAway = o->Destroying();
  if (active_ == page && !goingAway) {
    try {
      ActivateNeighbourPage();
    } catch (const std::exception&) {
      // The page goes whatever a handler of the switch says.
    }
  }
  if (active_ == page) active_ = nullptr;
  ArrangePages();
  UpdateScrollButtons();
  FullRepaint();
}

void TECPageControl::PageVisibilityChanged(TECTabSheet* page) {
  fullRepaint_ = true;
  if (page == active_) {
    try {
      ActivateNeighbourPage();
    } catch (const std::exception&) {
    }
  }
  ArrangePages();
  UpdateScrollButtons();
  Invalidate();
}

TECTabSheet* TECPageControl::GetShownPage() const {
  if (active_) return active_;
  for (TECTabSheet* p : pages_)
    if (p->IsTabShown()) return p;
  return nullptr;
}

TECTabSheet* TECPageControl::FindNextPage(TECTabSheet* page, bool forward, bool onlyTabVisible) const {
  const int n = PageCount();
  if (n == 0) return nullptr;
  int start = IndexOfPage(page);
  if (start < 0) start = forward ? n - 1 : 0;
  int i = start;
  do {
    i = forward ? (i + 1) % n : (i + n - 1) % n;
    if (!onlyTabVisible || pages_[i]->TabVisible()) return pages_[i];
  } while (i != start);
  return nullptr;
}

void TECPageControl::ActivateNeighbourPage() {
  TECTabSheet* next = FindNextPage(active_, true, true);
  if (!next) next = FindNextPage(active_, false, true);
  SetActivePage(next);
}

void TECPageControl::SetActivePage(TECTabSheet* page) {
  if (page == active_) return;
  if (pages_.empty()) {
    active_ = page;
    return;
  }
  bool allow = true;
  if (OnPageChanging) OnPageChanging(this, page, allow);
  if (!allow) return;
  // The focus leaves the old page first; a control that keeps it keeps the
  // page too.
  TCustomForm* form = ParentForm();
  if (form && active_) {
    TWinControl* focused = form->ActiveControl();
    bool inside = false;
    for (TControl* c = focused; c; c = c->Parent())
      if (c == active_) inside = true;
    if (inside && focused != active_) {
      try {
        active_->SetFocus();
      } catch (const std::exception&) {
      }
      if (form->ActiveControl() != active_) return;
    }
  }
  if (pageSetting_.DoubleSheet()) {
    active_ = page;
    UpdateScrollButtons();
    ArrangePages();
    FullRepaint();
  } else {
    const bool hadOld = active_ != nullptr;
    const TRect oldTab = hadOld ? Inflated(GetTabRect(active_), 1) : TRect{};
    active_ = page;
    UpdateScrollButtons();
    ArrangePages();
    fullRepaint_ = true;
    if (page && page->Visible() && hadOld) InvalidateRect(oldTab, false);
    if (active_) InvalidateRect(Inflated(GetTabRect(active_), 1), false);
    ScrollActiveTabIntoView();
  }
  Fire(OnPageChange, this);
}

void TECPageControl::Loaded() {
  TCustomControl::Loaded();
  std::stable_sort(pages_.begin(), pages_.end(),
                   [](TECTabSheet* a, TECTabSheet* b) { return a->storedIndex_ < b->storedIndex_; });
}

// --- geometry ---

bool TECPageControl::VerticalStrip() const {
  const TECPageOrientation o = pageSetting_.Orientation();
  return o == poLeft || o == poRight;
}

int TECPageControl::BandWidth() const {
  if (spiralVisible_) return kSpiralBand;
  return pageSetting_.DoubleSheet() ? 2 : 0;
}

int TECPageControl::StripThickness() const {
  if (GetVisiblePageCount() == 0) return 0;
  return tabSetting_.Height() > 0 ? tabSetting_.Height() : 20;
}

int TECPageControl::StripLength() const { return VerticalStrip() ? ClientHeight() : ClientWidth(); }

int TECPageControl::Extent(const TECTabSheet* page) const {
  if (tabSetting_.AutoSize() != asNone) {
    const int n = GetVisiblePageCount();
    return n > 0 ? GetTabsLength() / n : 0;
  }
  return page->TabExtent();
}

int TECPageControl::GetTabsLength() const {
  const TECTabSetting& t = tabSetting_;
  if (t.AutoSize() != asNone)
    return StripLength() - t.LeftOffset() - t.RightOffset() - t.LeftBend() - t.RightBend();
  int sum = t.LeftBend() + t.RightBend();
  for (TECTabSheet* p : pages_)
    if (p->IsTabShown()) sum += p->TabExtent();
  return sum;
}

int TECPageControl::StartBend() const {
  const TECPageOrientation o = pageSetting_.Orientation();
  if (pageSetting_.DoubleSheet()) return VerticalStrip() ? tabSetting_.LeftBend() : tabSetting_.RightBend();
  return (o == poLeft || o == poBottom) ? tabSetting_.LeftBend() : tabSetting_.RightBend();
}

bool TECPageControl::OnFirstStrip(int tabIndex) const {
  if (!pageSetting_.DoubleSheet()) return true;
  const int d = VisibleIndexOf(GetShownPage());
  const int n = d % 2 == 0 ? d : d + 1;
  return tabIndex < n;
}

TRect TECPageControl::StripRectFor(bool first) const {
  const int w = ClientWidth(), h = ClientHeight(), t = StripThickness();
  if (pageSetting_.DoubleSheet()) {
    if (VerticalStrip()) return first ? TRect{0, 0, t, h} : TRect{w - t - 1, 0, w - 1, h};
    return first ? TRect{0, 0, w, t} : TRect{0, h - t - 1, w, h - 1};
  }
  switch (pageSetting_.Orientation()) {
    case poLeft: return TRect{w - t - 1, 0, w - 1, h};
    case poTop: return TRect{0, h - t - 1, w, h - 1};
    case poRight: return TRect{0, 0, t, h};
    default: return TRect{0, 0, w, t};
  }
}

TRect TECPageControl::TabBody(const TECTabSheet* page) const {
  const int index = VisibleIndexOf(page);
  if (index < 0) return TRect{};
  int start = StartBend();
  for (int i = 0; i < index; ++i) start += Extent(GetVisiblePage(i));
  const bool first = OnFirstStrip(index);
  start -= first ? offset1_ : offset2_;
  const int end = start + Extent(page);
  const TRect strip = StripRectFor(first);
  if (VerticalStrip()) return TRect{strip.Left, start, strip.Right, end};
  return TRect{start, strip.Top, end, strip.Bottom};
}

TRect TECPageControl::GetPageRect(const TECTabSheet* page) const {
  const int r = VisibleIndexOf(page);
  if (r < 0) return TRect{};
  const int w = ClientWidth(), h = ClientHeight(), s = BandWidth(), t = StripThickness();
  if (!pageSetting_.DoubleSheet()) {
    switch (pageSetting_.Orientation()) {
      case poLeft: return TRect{2 * s, 1, w - t - 2, h - 2};
      case poTop: return TRect{1, 2 * s, w - 2, h - t - 2};
      case poRight: return TRect{t + 1, 1, w - 2 * s - 1, h - 2};
      default: return TRect{1, t + 1, w - 2, h - 2 * s - 1};
    }
  }
  const int d = VisibleIndexOf(GetShownPage());
  const bool firstHalf = d % 2 == 0 ? r < d : r <= d;
  if (VerticalStrip()) {
    const TRect a{t, 0, w - t, h};
    const int m = (a.Left + a.Right) / 2;
    return firstHalf ? TRect{a.Left + 1, a.Top + 1, m - s, a.Bottom - 1}
                     : TRect{m + s, a.Top + 1, a.Right - 1, a.Bottom - 1};
  }
  const TRect a{0, t, w, h - t};
  const int m = (a.Top + a.Bottom) / 2;
  return firstHalf ? TRect{a.Left + 1, a.Top + 1, a.Right - 1, m - s}
                   : TRect{a.Left + 1, m + s, a.Right - 1, a.Bottom - 1};
}

TECTabSheet* TECPageControl::GetTabAt(int x, int y) const {
  TECTabSheet* shown = GetShownPage();
  if (!shown) return nullptr;
  const int count = GetVisiblePageCount();
  int from = VisibleIndexOf(shown);
  if (pageSetting_.DoubleSheet()) from = from % 2 == 0 ? from : from + 1;
  std::vector<int> order;
  for (int i = std::max(from, 0); i < count; ++i) order.push_back(i);
  for (int i = from - 1; i >= 0; --i) order.push_back(i);
  for (int i : order) {
    TECTabSheet* p = GetVisiblePage(i);
    const TRect r = TabBody(p);
    if (x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom) return p;
  }
  return nullptr;
}

TRect TECPageControl::GetTabRect(const TECTabSheet* page) const {
  if (!page || !GetShownPage() || VisibleIndexOf(page) < 0) return TRect{};
  const TRect body = TabBody(page);
  if (pageSetting_.DoubleSheet()) return body;
  const int w = ClientWidth(), h = ClientHeight(), t = StripThickness();
  const int lb = tabSetting_.LeftBend(), rb = tabSetting_.RightBend();
  switch (pageSetting_.Orientation()) {
    case poLeft: return TRect{w - t - 2, body.Top - lb, w - 2, body.Bottom + rb};
    case poTop: return TRect{body.Left - lb, h - t - 2, body.Right + rb, h - 1};
    case poRight: return TRect{0, body.Top - lb, t, body.Bottom + rb};
    default: return TRect{body.Left - lb, 0, body.Right + rb, t + 1};
  }
}

TRect TECPageControl::GetTabRectByName(const std::string& name) const {
  for (TECTabSheet* p : pages_)
    if (SameText(p->Name(), name)) return GetTabRect(p);
  return TRect{};
}

void TECPageControl::ArrangePages() {
  for (TECTabSheet* p : pages_) p->SetBounds(0, 0, 0, 0);
  TECTabSheet* shown = GetShownPage();
  if (!shown) return;
  if (pageSetting_.DoubleSheet()) {
    const int d = VisibleIndexOf(shown);
    TECTabSheet* partner = nullptr;
    if (d % 2 == 1) partner = GetVisiblePage(d + 1);
    else if (d > 0) partner = GetVisiblePage(d - 1);
    if (partner) partner->BringToFront();
  }
  shown->BringToFront();
  // The scroll buttons stay above the pages.
  for (TECButtonScroll* b : buttons_)
    if (b && b->Visible()) b->BringToFront();
}

void TECPageControl::ScrollActiveTabIntoView() {
  if (!Parent() || pageSetting_.DoubleSheet()) return;
  const TRect r = GetTabRect(active_);
  if (VerticalStrip()) {
    if (r.Bottom - 10 < 0)
      offset1_ = offset1_ + r.Top;
    else if (r.Top + 10 > ClientHeight())
      offset1_ = offset1_ - ClientHeight() + r.Bottom;
    else
      return;
  }
  UpdateScrollButtons();
  fullRepaint_ = true;
  InvalidateRect(GetTabStripRect(true), false);
}

void TECPageControl::SetBounds(int left, int top, int width, int height) {
  const bool resized = width != Width() || height != Height();
  TCustomControl::SetBounds(left, top, width, height);
  ArrangePages();
  if (resized) UpdateScrollButtons();
}

void TECPageControl::Resize() {
  TCustomControl::Resize();
  ArrangePages();
  UpdateScrollButtons();
}

// --- scroll buttons ---

void TECPageControl::UpdateScrollButtons() {
  if (!Parent() || Destroying()) return;
  const int w = ClientWidth(), h = ClientHeight(), t = StripThickness(), ro = tabSetting_.RightOffset();
  const bool dbl = pageSetting_.DoubleSheet(), vertical = VerticalStrip();
  TRect q1, q2;
  bool ownTabs = false;
  if (!dbl) {
    switch (pageSetting_.Orientation()) {
      case poLeft: q1 = TRect{w - t, ro, w, h - ro}; break;
      case poTop: q1 = TRect{ro, h - t, w - ro, h}; break;
      case poRight: q1 = TRect{0, ro, t, h - ro}; break;
      default: q1 = TRect{ro, 0, w - ro, t}; break;
    }
  } else if (vertical) {
    q1 = TRect{0, ro, t, h - ro};
    q2 = TRect{w - t, ro, w, h - ro};
    ownTabs = true;
  } else {
    q1 = TRect{ro, 0, w - ro, t};
    q2 = TRect{ro, h - t, w - ro, h};
    ownTabs = true;
  }
  const int d = VisibleIndexOf(GetShownPage());
  const int count = GetVisiblePageCount();
  auto button = [this](int i) -> TECButtonScroll* {
    if (!buttons_[i]) {
      buttons_[i] = new TECButtonScroll(this);
      buttons_[i]->RepeatInterval = kRepeatInterval;
      buttons_[i]->SetParent(this);
      buttons_[i]->FreeNotification(this);
      buttons_[i]->ClickAction = [this](TObject* sender) { ScrollButtonClick(sender); };
    }
    return buttons_[i];
  };
  auto hide = [this](int i) {
    if (buttons_[i]) buttons_[i]->SetVisible(false);
  };
  auto place = [&](int i, const TRect& q, bool back) {
    TECButtonScroll* b = button(i);
    if (vertical) {
      b->SetDirection(back ? 1 : 3);
      b->SetBounds((q.Left + q.Right - kButtonSize) / 2, back ? 6 : q.Bottom - 6 - kButtonSize, kButtonSize,
                   kButtonSize);
    } else {
      b->SetDirection(back ? 0 : 2);
      b->SetBounds(back ? 6 : q.Right - 6 - kButtonSize, (q.Top + q.Bottom - kButtonSize) / 2, kButtonSize,
                   kButtonSize);
    }
    b->BringToFront();
    b->SetVisible(true);
  };
  const int n1 = vertical ? q1.Height() : q1.Width();
  // First pair.
  if (offset1_ <= 0 || (dbl && d <= 0))
    hide(0);
  else
    place(0, q1, true);
  int c = GetTabsLength();
  if (ownTabs && tabSetting_.AutoSize() == asNone) {
    c = tabSetting_.LeftBend() + tabSetting_.RightBend();
    const int last = d % 2 == 1 ? d : d - 1;
    for (int i = 0; i <= last; ++i)
      if (TECTabSheet* p = GetVisiblePage(i)) c += p->TabExtent();
  }
  if (c - offset1_ > n1 && (!dbl || d > 0))
    place(1, q1, false);
  else
    hide(1);
  // Second pair (double-sheet mode only).
  if (!dbl) {
    hide(2);
    hide(3);
    return;
  }
  const int n2 = vertical ? q2.Height() : q2.Width();
  if (offset2_ <= 0 || d >= count - 1)
    hide(2);
  else
    place(2, q2, true);
  if (GetTabsLength() - offset2_ > n2 && d < count - 1)
    place(3, q2, false);
  else
    hide(3);
}

void TECPageControl::ScrollButtonClick(TObject* sender) {
  int index = -1;
  for (int i = 0; i < 4; ++i)
    if (sender == buttons_[i]) index = i;
  if (index < 0) return;
  const bool first = index < 2, back = index % 2 == 0;
  int& offset = first ? offset1_ : offset2_;
  if (back) {
    if (offset == 0) return;
    offset = offset <= kScrollStep ? 0 : offset - kScrollStep;
  } else {
    if (GetTabsLength() - offset <= StripLength()) return;
    offset += kScrollStep;
  }
  UpdateScrollButtons();
  fullRepaint_ = true;
  InvalidateRect(GetTabStripRect(first), true);
}

TRect TECPageControl::GetTabStripRect(bool first) const {
  const int w = ClientWidth(), h = ClientHeight(), t = StripThickness();
  const bool dbl = pageSetting_.DoubleSheet(), vertical = VerticalStrip();
  const TECPageOrientation o = pageSetting_.Orientation();
  if ((first && dbl && vertical) || (!dbl && o == poRight)) return TRect{0, 0, t + 1, h};
  if ((first && dbl && !vertical) || (!dbl && o == poBottom)) return TRect{0, 0, w, t + 1};
  if ((!first && dbl && vertical) || (!dbl && o == poLeft)) return TRect{w - t - 1, 0, w, h};
  return TRect{0, h - t - 1, w, h};
}

// --- painting ---

void TECPageControl::Paint() {
  TCanvas& k = Canvas();
  struct ClearFlags {
    TECPageControl* c;
    ~ClearFlags() { c->hotOnly_ = c->fullRepaint_ = false; }
  } clear{this};
  const TRect c = ClientRect();
  if (!hotOnly_ || fullRepaint_) {
    k.Brush() = Resolved(brush_);
    k.FillRect(c);
  }
  TECTabSheet* shown = GetShownPage();
  if (!shown) return;
  const int s = BandWidth(), t = StripThickness();
  const TECPageOrientation o = pageSetting_.Orientation();
  const int count = GetVisiblePageCount();
  const int p = VisibleIndexOf(shown);
  if (!pageSetting_.DoubleSheet()) {
    switch (o) {
      case poLeft: PaintFrame(k, TRect{s, 0, c.Right - t, c.Bottom}, 0); break;
      case poTop: PaintFrame(k, TRect{0, s, c.Right, c.Bottom - t}, 1); break;
      case poRight: PaintFrame(k, TRect{t, 0, c.Right - s, c.Bottom}, 2); break;
      default: PaintFrame(k, TRect{0, t, c.Right, c.Bottom - s}, 3); break;
    }
    PaintSpiral(k, VerticalStrip(), (o == poLeft || o == poTop) ? 1 : 0);
    const int side = static_cast<int>(o);
    for (int i = p - 1; i >= 0; --i) PaintTab(k, GetVisiblePage(i), side, true);
    for (int i = count - 1; i >= p; --i) PaintTab(k, GetVisiblePage(i), side, true);
    // A tab that reaches a scroll arrow ends before it rather than running
    // on under it: the strip is cleared from the arrow to the end it points
    // to (the line along the pages stays).
    TRect strip = GetTabStripRect(true);
    switch (o) {
      case poLeft: strip.Left += 1; break;
      case poTop: strip.Top += 1; break;
      case poRight: strip.Right -= 1; break;
      default: strip.Bottom -= 1; break;
    }
    k.Brush() = Resolved(brush_);
    for (int i = 0; i < 2; ++i) {
      const TECButtonScroll* b = buttons_[i];
      if (!b || !b->Visible()) continue;
      TRect r = strip;
      if (VerticalStrip())
        (i == 0 ? r.Bottom : r.Top) = i == 0 ? b->Top() + b->Height() + 2 : b->Top() - 2;
      else
        (i == 0 ? r.Right : r.Left) = i == 0 ? b->Left() + b->Width() + 2 : b->Left() - 2;
      k.FillRect(r);
    }
    return;
  }
  TECTabSheet* a = p % 2 == 1 ? shown : (p > 0 ? GetVisiblePage(p - 1) : nullptr);
  TECTabSheet* b = p % 2 == 1 ? GetVisiblePage(p + 1) : shown;
  if (VerticalStrip()) {
    const int m = c.Right / 2;
    if (a) PaintFrame(k, TRect{t, 0, m, c.Bottom}, 0);
    if (b) PaintFrame(k, TRect{m, 0, c.Right - t, c.Bottom}, 2);
  } else {
    const int m = c.Bottom / 2;
    if (a) PaintFrame(k, TRect{0, t, c.Right, m}, 1);
    if (b) PaintFrame(k, TRect{0, m, c.Right, c.Bottom - t}, 3);
  }
  PaintSpiral(k, VerticalStrip(), a && b ? 2 : (b ? 1 : 0));
  const int n = p % 2 == 0 ? p : p + 1;
  const bool vertical = VerticalStrip();
  for (int i = 0; i < n && i < count; ++i) PaintTab(k, GetVisiblePage(i), vertical ? 2 : 3, true);
  for (int i = count - 1; i >= n; --i) PaintTab(k, GetVisiblePage(i), vertical ? 0 : 1, false);
}

void TECPageControl::PaintFrame(TCanvas& k, const TRect& f, int side) {
  const int s = BandWidth();
  k.Brush() = Resolved(spiralBrush_);
  if (picture_ && picture_->Width() > 0 && picture_->Height() > 0) {
    if (side == 0 || side == 2) {
      for (int y = f.Top; y < f.Bottom; y += picture_->Height()) k.Draw(0, y, *picture_);
    } else {
      const int y = side == 1 ? f.Bottom - s : f.Top;
      for (int x = f.Left; x < f.Right; x += picture_->Width()) k.Draw(x, y, *picture_);
    }
  } else if (s > 0) {
    switch (side) {
      case 0: k.FillRect(TRect{f.Right - s, f.Top, f.Right, f.Bottom}); break;
      case 1: k.FillRect(TRect{f.Left, f.Bottom - s, f.Right, f.Bottom}); break;
      case 2: k.FillRect(TRect{f.Left, f.Top, f.Left + s, f.Bottom}); break;
      default: k.FillRect(TRect{f.Left, f.Top, f.Right, f.Top + s}); break;
    }
  }
  k.Brush().Style = bsClear;
  k.Pen().Color = kGray;
  k.Pen().Style = psSolid;
  if (beveled_) {
    const TRect b{f.Left, f.Top, f.Right + 1, f.Bottom + 1};
    k.Pen().Color = kWhite;
    k.Polyline({TPoint{b.Left, b.Bottom - 2}, TPoint{b.Left, b.Top}, TPoint{b.Right - 2, b.Top}});
    k.Pen().Color = kGray;
    k.Polyline({TPoint{b.Right - 2, b.Top}, TPoint{b.Right - 2, b.Bottom - 2}, TPoint{b.Left, b.Bottom - 2}});
  } else {
    k.Rectangle(f);
  }
  k.Brush().Style = bsSolid;
}

void TECPageControl::PaintSpiral(TCanvas& k, bool vertical, int kind) {
  if (!spiralVisible_) return;
  static const char* const kPieces[2][3][2] = {
      {{"TOPHOLE", "BOTTOM"}, {"TOP", "BOTTOMHOLE"}, {"TOPHOLE", "BOTTOMHOLE"}},
      {{"LEFTHOLE", "RIGHT"}, {"LEFT", "RIGHTHOLE"}, {"LEFTHOLE", "RIGHTHOLE"}}};
  static const int kShift[2][3] = {{7, 4, 4}, {4, 7, 4}};
  const TBitmap& one = SpiralPiece(kPieces[vertical][kind][0]);
  const TBitmap& two = SpiralPiece(kPieces[vertical][kind][1]);
  const int shift = kShift[vertical][kind];
  const int w = ClientWidth(), h = ClientHeight(), s = BandWidth();
  const TECPageOrientation o = pageSetting_.Orientation();
  if (vertical) {
    const int x = pageSetting_.DoubleSheet() ? w / 2 : (o == poLeft ? s : w - s);
    for (int y = (h % 13) / 2; y < h - 13; y += 13) {
      k.Draw(x - 17, y, one);
      k.Draw(x, y + shift, two);
    }
  } else {
    const int y = pageSetting_.DoubleSheet() ? h / 2 : (o == poTop ? s : h - s);
    for (int x = (w % 13) / 2; x < w - 13; x += 13) {
      k.Draw(x + shift, y - 17, one);
      k.Draw(x, y, two);
    }
  }
}

void TECPageControl::PaintTab(TCanvas& k, TECTabSheet* page, int side, bool firstStrip) {
  TRect r = TabBody(page);
  TECTabSheet* shown = GetShownPage();
  bool inSpread = page == shown;
  if (pageSetting_.DoubleSheet() && !inSpread) {
    const int d = VisibleIndexOf(shown), i = VisibleIndexOf(page);
    inSpread = (d % 2 == 1 && i == d + 1) || (d % 2 == 0 && d > 0 && i == d - 1);
  }
  const int h = inSpread ? 2 : 0;
  int lb = tabSetting_.LeftBend(), rb = tabSetting_.RightBend();
  if (pageSetting_.DoubleSheet() && firstStrip) std::swap(lb, rb);
  // Seen from the page with the tab's free edge up, its left end lies
  // towards the strip start for sides 3 and 0 and away from it otherwise.
  const int startBend = (side == 3 || side == 0) ? lb : rb;
  const int endBend = (side == 3 || side == 0) ? rb : lb;
  const int image = Images() && page->Image() >= 0 && page->Image() < Images()->Count() ? page->Image() : -1;
  k.Pen().Color = kGray;
  k.Pen().Style = psSolid;
  if (beveled_) {
    k.Pen().Style = psClear;
    if (side == 1) r.Top += 1;
    if (side == 0) r.Left += 1;
  }
  const bool vertical = side == 0 || side == 2;
  // The outline in along/across coordinates: from the base at the strip
  // start over the chamfered free edge to the base at the end.
  int freeEdge, base, d;
  switch (side) {
    case 3: freeEdge = r.Top, base = r.Bottom + h, d = 1; break;
    case 1: freeEdge = r.Bottom, base = r.Top - h, d = -1; break;
    case 0: freeEdge = r.Right, base = r.Left - h, d = -1; break;
    default: freeEdge = r.Left, base = r.Right + h, d = 1; break;
  }
  const int a0 = vertical ? r.Top : r.Left, a1 = vertical ? r.Bottom : r.Right;
  const int along[10] = {a0 - startBend, a0, a0 + 1, a0 + 2, a0 + 3, a1 - 3, a1 - 2, a1 - 1, a1, a1 + endBend};
  const int across[10] = {base, freeEdge + 3 * d, freeEdge + 2 * d, freeEdge + d, freeEdge,
                          freeEdge, freeEdge + d, freeEdge + 2 * d, freeEdge + 3 * d, base};
  std::vector<TPoint> pts(10);
  for (int i = 0; i < 10; ++i) pts[i] = vertical ? TPoint{across[i], along[i]} : TPoint{along[i], across[i]};
  if ((!page->Picture() && beveled_) || page == shown) {
    k.Brush() = Resolved(page->TabBrush());
    if (tabSetting_.Style() == tsRound) k.Brush().Color = ColorToRGB(clBtnFace);
    k.Polygon(pts);
  }
  if (page == shown && page->Picture()) k.Draw(r.Left, r.Top, *page->Picture());
  if (beveled_) {
    k.Pen().Style = psSolid;
    // White on the edges facing up or left, gray on those facing down or right.
    int whiteFrom = 0, whiteTo = 0, grayFrom = 0, grayTo = 0;
    switch (side) {
      case 3: whiteFrom = 0, whiteTo = 7, grayFrom = 8, grayTo = 9; break;
      case 1: whiteFrom = 0, whiteTo = 2, grayFrom = 3, grayTo = 9; break;
      case 0: whiteFrom = 0, whiteTo = 3, grayFrom = 4, grayTo = 9; break;
      default: whiteFrom = 0, whiteTo = 6, grayFrom = 7, grayTo = 9; break;
    }
    k.Pen().Color = kWhite;
    k.Polyline(std::span<const TPoint>(pts.data() + whiteFrom, whiteTo - whiteFrom + 1));
    k.Pen().Color = kGray;
    k.Polyline(std::span<const TPoint>(pts.data() + grayFrom, grayTo - grayFrom + 1));
  }
  int margin = 12;
  if (tabSetting_.Style() == tsRound) {
    k.Brush() = Resolved(page->TabBrush());
    k.FillRect(TRect{r.Left + 5, r.Top + 5, r.Right - 5, r.Bottom - 5});
    const int a = r.Left + 4, b = r.Top + 4, c = r.Right - 4, e = r.Bottom - 4;
    k.Pen().Color = clBlack;
    k.MoveTo(a, e), k.LineTo(a, b + 1);
    Pixel(k, a + 1, b + 1, clBlack);
    k.MoveTo(a + 2, b), k.LineTo(c, b);
    k.MoveTo(c - 1, b + 1), k.LineTo(c - 1, e - 2);
    Pixel(k, c - 2, e - 2, clBlack);
    k.MoveTo(c - 3, e - 1), k.LineTo(a + 1, e - 1);
    k.Pen().Color = kWhite;
    k.MoveTo(a + 1, e - 1), k.LineTo(a + 1, b + 3);
    Pixel(k, a + 2, b + 2, kWhite);
    k.MoveTo(a + 3, b + 1), k.LineTo(c - 1, b + 1);
    k.MoveTo(c, b), k.LineTo(c, e - 2);
    Pixel(k, c - 1, e - 1, kWhite);
    k.MoveTo(c - 2, e), k.LineTo(a, e);
    margin = 20;
  }
  const bool hot = hotTrack_ && page == hot_;
  const bool xpShadow = hot && tabSetting_.Style() == tsXP && !tabPressed_;
  k.Font() = page->TabFont();
  if (hot && tabSetting_.Style() != tsXP) k.Font().Style |= fsBold | fsUnderline;
  k.Brush().Style = bsClear;
  const std::string& caption = page->Caption();
  if (!vertical) {
    if (image >= 0) {
      if (!caption.empty())
        Images()->Draw(k, r.Left + 2, (r.Top + r.Bottom - Images()->Height()) / 2, image);
      else
        Images()->Draw(k, (r.Left + r.Right - Images()->Width()) / 2, (r.Top + r.Bottom - Images()->Height()) / 2,
                      image);
      r.Left += Images()->Width() + 4;
    }
    const std::string text = FitCaption(k, caption, r.Width() - margin);
    auto centred = [&](const TRect& q) {
      k.TextOut(q.Left + (q.Width() - k.TextWidth(text)) / 2, q.Top + (q.Height() - k.TextHeight(text)) / 2, text);
    };
    if (xpShadow && !caption.empty()) {
      r.Offset(1, 1);
      k.Font().Color = kGray;
      centred(r);
      r.Offset(-2, -2);
      k.Font().Color = page->TabFont().Color;
    }
    if (page == active_) k.Font().Color = kMaroon;
    if (!caption.empty()) centred(r);
  } else {
    TFont fitting = page->TabFont();
    fitting.Style |= fsBold;
    if (page == hot_) fitting.Style |= fsUnderline;
    k.Font() = fitting;
    const std::string text = FitCaption(k, caption, r.Height() - margin);
    k.Font() = page->TabFont();
    if (hot && tabSetting_.Style() != tsXP) k.Font().Style |= fsBold | fsUnderline;
    if (image >= 0) {
      Images()->Draw(k, (r.Left + r.Right - Images()->Width()) / 2, r.Top + 2, image);
      r.Top += Images()->Height() + 4;
    }
    auto rotated = [&](const TRect& q) {
      const int w = k.TextWidth(text), th = k.TextHeight(text);
      const TFont plain = k.Font();
      k.Font() = CreateRotatedFont(plain, 90);
      k.Font().Color = plain.Color;
      k.TextOut(q.Left + (q.Width() - th) / 2, q.Top + w + (q.Height() - w) / 2, text);
      k.Font() = plain;
    };
    if (xpShadow && !caption.empty()) {
      r.Offset(1, 1);
      k.Font().Color = kGray;
      rotated(r);
      r.Offset(-2, -2);
      k.Font().Color = page->TabFont().Color;
    }
    if (page == active_) k.Font().Color = kMaroon;
    if (!caption.empty()) rotated(r);
  }
  k.Brush().Style = bsSolid;
}

// --- mouse ---

void TECPageControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft || button == mbRight) {
    if (TECTabSheet* p = GetTabAt(x, y)) {
      SetActivePage(p);
      if (button == mbLeft && tabSetting_.Style() == tsXP) InvalidateRect(GetTabRect(p), false);
    }
    if (button == mbLeft && tabSetting_.Style() == tsXP) tabPressed_ = true;
  }
  TCustomControl::MouseDown(button, shift, x, y);
}

void TECPageControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft) {
    if (TECTabSheet* p = GetTabAt(x, y)) {
      SetActivePage(p);
      if (tabSetting_.Style() == tsXP) {
        tabPressed_ = false;
        InvalidateRect(GetTabRect(p), false);
      }
    }
  }
  TCustomControl::MouseUp(button, shift, x, y);
}

void TECPageControl::MouseMove(TShiftState shift, int x, int y) {
  TECTabSheet* p = GetTabAt(x, y);
  if (ShowHint() && p && p != hot_ && !p->Hint().empty()) {
    SetShowHint(true);
    SetHint(p->Hint());
    Application().CancelHint();
    Application().ActivateHint(ClientToScreen(TPoint{x, y}), p->Hint());
  }
  if (hotTrack_ && p != hot_) {
    if (hot_) {
      hotOnly_ = true;
      InvalidateRect(GetTabRect(hot_), false);
    }
    hot_ = p;
    if (hot_) {
      hotOnly_ = true;
      InvalidateRect(GetTabRect(hot_), false);
    }
  }
  TCustomControl::MouseMove(shift, x, y);
}

void TECPageControl::MouseLeave() {
  TCustomControl::MouseLeave();
  if (hot_) {
    const TRect r = GetTabRect(hot_);
    hot_ = nullptr;
    InvalidateRect(r, true);
  }
}

// --- docking ---

TECTabSheet* TECPageControl::PageOwning(const TControl* client) const {
  for (TECTabSheet* p : pages_)
    if (client && client->Parent() == p) return p;
  return nullptr;
}

void TECPageControl::DockDrop(TControl* client) {
  auto* page = new TECTabSheet(this);
  docking_ = page;
  try {
    if (auto* form = dynamic_cast<TCustomForm*>(client)) page->SetCaption(form->Caption().substr(0, form->Caption().find_first_of("\r\n")));
    page->SetPageControl(this);
    client->SetParent(page);
  } catch (...) {
    docking_ = nullptr;
    delete page;
    throw;
  }
  docking_ = nullptr;
  page->SetTabVisible(client->Visible());
  if (client->Visible()) SetActivePage(page);
  client->SetAlign(alClient);
}

void TECPageControl::UndockClient(TControl* client) {
  if (TECTabSheet* p = PageOwning(client)) {
    undocking_ = p;
    client->SetAlign(alNone);
  }
}

void TECPageControl::RemoveDockClient(TControl* client) {
  if (Destroying() || !undocking_) return;
  TECTabSheet* page = undocking_;
  undocking_ = nullptr;
  RemovePage(page);
  // A client that is being freed still sits on the page: the page goes
  // after the current message, when the client is gone.
  if (client->Destroying())
    ReleaseComponent(page);
  else
    delete page;
}

void TECPageControl::DockClientTextChanged(TControl* client, const std::string& text) {
  if (TECTabSheet* p = PageOwning(client)) p->SetCaption(text.substr(0, text.find_first_of("\r\n")));
}

void TECPageControl::DockClientVisibleChanged(TControl* client, bool visible) {
  if (TECTabSheet* p = PageOwning(client)) {
    p->SetVisible(visible);
    p->SetTabVisible(visible);
  }
}

}  // namespace qs
