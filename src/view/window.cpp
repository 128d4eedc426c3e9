// The view control: page grid, zoom, scrolling, the transforms between
// client pixels, canvas pixels and page units, invalidation and the plain
// setters of the cursor.
#include "view/window.h"

#include <algorithm>
#include <cmath>

#include "base/mathutil.h"
#include "platform/bitmap.h"
#include "platform/gui.h"
#include "score/calcrecords.h"
#include "score/part.h"
#include "score/piece.h"
#include "score/score.h"

namespace qs {

namespace {

// The view's own control as its screen.
class TControlHost : public TQSWindow::THost {
 public:
  explicit TControlHost(TQSWindow& view) : view_(view) {}
  TCanvas* Screen() override { return &view_.Canvas(); }
  void Invalidate(const TRect& r, bool erase) override { view_.InvalidateRect(r, erase); }
  void Update() override { view_.TCustomControl::Update(); }
  // What is drawn on the control's canvas outside Paint shows at once.
  void Flush(const TRect&) override {}

 private:
  TQSWindow& view_;
};

// While it lives, a change of the scroll positions (a range that shrank
// below them, as when pages go): when it goes, the whole view is painted
// anew, for the pages, the rulers and the cursor all moved.
class TMovedByClamp {
 public:
  explicit TMovedByClamp(TQSWindow& view) : view_(view), h_(view.HorzBar.Position), v_(view.VertBar.Position) {}
  ~TMovedByClamp() {
    if (view_.HorzBar.Position != h_ || view_.VertBar.Position != v_) view_.InvalidateRect(view_.ClientRect(), false);
  }
  TMovedByClamp(const TMovedByClamp&) = delete;
  TMovedByClamp& operator=(const TMovedByClamp&) = delete;

 private:
  TQSWindow& view_;
  const int h_, v_;
};

}  // namespace

TQSWindow::TQSWindow(TComponent* owner)
    : TCustomControl(owner), PixelsPerInch(qs::ScreenPixelsPerInch()), controlHost_(std::make_unique<TControlHost>(*this)) {
  VertBar.Thickness = HorzBar.Thickness = 17;
  Zoom = 100;
  TempoScale = 100;
  // The arrow keys are the view's own.
  WantArrows = true;
  // Texts edited on the page take what an input method composes.
  SetWantsComposedText(true);
  for (bool vertical : {false, true}) {
    auto* bar = new TScrollBar(this);
    bar->SetKind(vertical ? sbVertical : sbHorizontal);
    bar->SetParent(this);
    bar->OnScroll = [this, vertical](TObject*, TScrollCode code, int& pos) { ScrollTo(vertical, code, pos); };
    bar->OnMouseDown = [this](TObject*, TMouseButton, TShiftState, int, int) { SetFocus(); };
    (vertical ? VertScrollBar : HorzScrollBar) = bar;
  }
}

TQSWindow::~TQSWindow() {
  // Leave the score before the members go, so that no layout pass reaches
  // a half-destroyed view.
  if (Score) Score->DetachWindow(this);
}

TQSWindow::THost* TQSWindow::Host() const {
  if (host_) return host_;
  return Parent() ? controlHost_.get() : nullptr;
}

// ------------------------------------------------------------ properties

void TQSWindow::SetScore(TQSScore* score) {
  if (score == Score) return;
  if (Score) Score->DetachWindow(this);
  Score = nullptr;
  if (!score) return;
  score->AttachWindow(this);
  pageImages_.clear();
  LayoutChanged();
  UpdateScrollRanges();
}

void TQSWindow::SetPagePerHorz(int value) {
  if (value < 1) value = 1;  // a grid needs at least one page to a row
  if (value == pagePerHorz_) return;
  pagePerHorz_ = value;
  LayoutPages();
  UpdateScrollRanges();
  InvalidatePages();
}

void TQSWindow::SetButtonsOffset(int value) {
  if (value == buttonsOffset_) return;
  buttonsOffset_ = value;
  LayoutButtonBar();
  UpdatePageButtons();
}

void TQSWindow::SetCursorType(TQSCursorType value) {
  ShowCursor(false);
  cursorType_ = value;
  ShowCursor(true);
}

void TQSWindow::SetCursorColor(uint32_t value) {
  ShowCursor(false);
  cursorColor_ = value;
  ShowCursor(true);
}

void TQSWindow::SetDataStyle(TQSDataStyle value) {
  if (value == DataStyle) return;
  DataStyle = value;
  InvalidatePages();
}

void TQSWindow::SetTempoScale(int value) {
  if (value == TempoScale) return;
  TempoScale = value;
  if (PlayControl) PlayControl->TempoScaleChanged(value);
}

void TQSWindow::FocusChanged(bool focused) {
  if (focused && Score) Score->SetActiveWindow(this);
  ShowCursor(false);
  hasFocus_ = focused;
  ShowCursor(true);
}

void TQSWindow::SetFocus() {
  if (CanFocus()) TCustomControl::SetFocus();
}

void TQSWindow::DoEnter() {
  TCustomControl::DoEnter();
  FocusChanged(true);
}

void TQSWindow::DoExit() {
  TCustomControl::DoExit();
  FocusChanged(false);
}

void TQSWindow::SetEnabled(bool v) {
  // Only the scroll bars follow; the view itself keeps taking input.
  HorzBar.Visible = VertBar.Visible = v;
  SyncScrollBars();
  InvalidateClient(GetViewRect(), true);
  InvalidateClient({0, 0, ClientWidth(), ClientHeight()}, false);
}

// ------------------------------------------------------- client and bars

void TQSWindow::Resize() {
  TCustomControl::Resize();
  SyncScrollBars();
  UpdateScrollRanges();
  LayoutButtonBar();
}

TRect TQSWindow::HorzBarRect() const {
  const int left = ClientWidth() / 2;
  const int right = ClientWidth() - (VertBar.Visible ? VertBar.Thickness : 0);
  return {left, ClientHeight() - HorzBar.Thickness, std::max(left, right), ClientHeight()};
}

TRect TQSWindow::VertBarRect() const {
  return {ClientWidth() - VertBar.Thickness, 0, ClientWidth(),
          std::max(0, ClientHeight() - (HorzBar.Visible ? HorzBar.Thickness : 0))};
}

TRect TQSWindow::GetViewRect() const {
  return {0, 0, ClientWidth() - (VertBar.Visible ? VertBar.Thickness : 0),
          HorzBar.Visible ? ClientHeight() - HorzBar.Thickness - 1 : ClientHeight()};
}

TRect TQSWindow::GetPageAreaRect() const {
  TRect r = GetViewRect();
  if (Rule.Visible) r.Left = r.Top = Rule.Width;
  return r;
}

void TQSWindow::UpdateScrollRanges() {
  if (!HasParent() || PageCount == 0 || PageGrid.empty()) return;
  const TRect a = GetPageAreaRect();
  const TRect& first = PageGrid[0].Rect;
  const TMovedByClamp moved(*this);
  HorzBar.PageSize = 0;
  HorzBar.Max = first.Width() * pagePerHorz_;
  HorzBar.PageSize = std::max(0, std::min(HorzBar.Max, a.Right - a.Left));
  HorzBar.Position = std::max(0, std::min(HorzBar.Position, HorzBar.Range()));
  HorzBar.LargeChange = static_cast<uint16_t>(first.Width());
  VertBar.PageSize = 0;
  VertBar.Max = Style == wsPreview ? first.Bottom : PageGrid[static_cast<size_t>(PageCount - 1)].Rect.Bottom;
  VertBar.PageSize = std::max(0, std::min(VertBar.Max, a.Bottom - a.Top));
  VertBar.Position = std::max(0, std::min(VertBar.Position, VertBar.Range()));
  VertBar.LargeChange = static_cast<uint16_t>(first.Height() - first.Height() / 3);
  SyncScrollBars();
}

void TQSWindow::SyncScrollBars() {
  for (bool vertical : {false, true}) {
    TScrollBar* bar = vertical ? VertScrollBar : HorzScrollBar;
    const TQSScrollState& state = vertical ? VertBar : HorzBar;
    if (!bar) continue;
    const TRect r = vertical ? VertBarRect() : HorzBarRect();
    bar->SetBounds(r.Left, r.Top, r.Width(), r.Height());
    bar->SetVisible(state.Visible);
    bar->SmallChange = state.SmallChange;
    bar->LargeChange = state.LargeChange;
    // The control's last position is Max - PageSize + 1.
    bar->SetParams(state.Position, 0, std::max(0, state.Max - 1), state.PageSize);
  }
}

void TQSWindow::UpdateScrollBars(bool notify) {
  if (PageCount > 0 && !PageGrid.empty()) {
    const TRect a = GetPageAreaRect();
    const TRect& first = PageGrid[0].Rect;
    const TMovedByClamp moved(*this);
    HorzBar.PageSize = 0;
    HorzBar.Max = first.Width() * pagePerHorz_;
    HorzBar.PageSize = std::max(0, std::min(HorzBar.Max, ClientWidth() - VertBar.Thickness - a.Left));
    HorzBar.Position = std::max(0, std::min(HorzBar.Position, HorzBar.Range()));
    VertBar.PageSize = 0;
    VertBar.Max = PageGrid[static_cast<size_t>(PageCount - 1)].Rect.Bottom;
    VertBar.PageSize = std::max(0, std::min(VertBar.Max, ClientHeight() - HorzBar.Thickness - a.Top));
    VertBar.Position = std::max(0, std::min(VertBar.Position, VertBar.Range()));
  }
  SyncScrollBars();
  if (notify) Fire(OnZoomChanged, this);
}

void TQSWindow::ScrollTo(bool vertical, TScrollCode code, int& scrollPos) {
  TQSScrollState& bar = vertical ? VertBar : HorzBar;
  scrollPos = std::max(scrollPos, 0);
  if (bar.Max < scrollPos + bar.PageSize) scrollPos = std::max(0, bar.Max - bar.PageSize);
  if (scrollPos != bar.Position) {
    const TRect a = GetPageAreaRect();
    const bool right = scrollPos > bar.Position;
    bar.Position = scrollPos;
    TRect r;
    if (vertical)
      r = {0, a.Top, a.Right, a.Bottom};
    else if (right)
      r = {0, 0, ClientWidth() - VertBar.Thickness, ClientHeight() - HorzBar.Thickness};
    else
      r = {a.Left, 0, a.Right, a.Bottom};
    // The pages moved, nothing on them changed.
    if (Host()) Host()->Invalidate(r, false);
    if (!SuppressEvents) UpdateNow();
  }
  SyncScrollBars();
  if (!vertical) return;
  // The page bar follows the pages in view.
  UpdatePageButtons();
  // The number of the page at the top of the view, shown while the thumb
  // is dragged.
  for (int j = 0; j < PageCount && j < static_cast<int>(PageGrid.size()); ++j)
    if (PageGrid[static_cast<size_t>(j)].Rect.Bottom > VertBar.Position) {
      VertBar.Hint = std::to_string(j + 1);
      break;
    }
  if (VertScrollBar) {
    VertScrollBar->SetHint(VertBar.Hint);
    if (code == scTrack) VertScrollBar->SetShowHint(true);
  }
}

void TQSWindow::ScrollBoth(int h, int v) {
  // When both bars move, only the vertical move repaints at once.
  const bool both = h != HorzBar.Position && v != VertBar.Position;
  if (h != HorzBar.Position) {
    const bool suppressed = SuppressEvents;
    if (both) SuppressEvents = true;
    ScrollTo(false, scPosition, h);
    SuppressEvents = suppressed;
  }
  if (v != VertBar.Position) ScrollTo(true, scPosition, v);
}

// ------------------------------------------------------------ page grid

const TQSCalcPage* TQSWindow::LayoutPage(int index) const {
  if (!Score || index < 0 || index >= Score->LaidOutPages) return nullptr;
  return Score->LayoutPages.At(index);
}

TPoint TQSWindow::PageOrigin(int index) const {
  if (!Score || index < 0 || index >= Score->LaidOutPages || index >= static_cast<int>(PageGrid.size())) return {};
  const TRect& r = PageGrid[static_cast<size_t>(index)].Rect;
  return {r.Left, r.Top};
}

void TQSWindow::LayoutChanged() {
  if (!Score) {
    PageCount = 0;
    return;
  }
  PageCount = Score->LaidOutPages;
  // Pages before the pass's first page kept their records and look the same.
  DropPageImagesFrom(Score->RelaidFromPage);
  RefindEditedElement();
  if (static_cast<int>(PageGrid.size()) < PageCount) PageGrid.resize(static_cast<size_t>(PageCount));
  Score->BeginUpdate();
  LayoutButtonBar();
  UpdatePageButtons();
  Score->EndUpdate();
  LayoutPages();
  ValidateCursor(true);
}

TRect TQSWindow::PagePixelRect() const {
  if (!Score) return {};
  // The paper in screen pixels, rounded after scaling.
  auto pixels = [&](int d) {
    const long double v = Score->Page.Tenths(d) * ScreenPixelsPerInch / 254.0L;
    return Zoom == 100 ? Round(static_cast<double>(v)) : Round(static_cast<double>(v * Zoom / 100));
  };
  return {0, 0, pixels(TQSPage::dWidth), pixels(TQSPage::dHeight)};
}

void TQSWindow::LayoutPages() {
  if (!Score || Score->Updating()) return;
  const TRect size = PagePixelRect();
  const int w = size.Right, h = size.Bottom;
  RowCount = 1;
  int x = 0, y = 0, column = 0;
  for (int j = 0; j < PageCount && j < static_cast<int>(PageGrid.size()); ++j) {
    PageGrid[static_cast<size_t>(j)].Rect = {x, y, x + w, y + h};
    if (column < pagePerHorz_ - 1) {
      x += w;
      ++column;
    } else {
      x = 0;
      column = 0;
      ++RowCount;
      if (Style != wsPreview) y += h;
    }
  }
  RefreshRulerMarkers();
}

void TQSWindow::SetZoom(int value) {
  value = std::clamp(value, kMinZoom, kMaxZoom);
  if (value == Zoom) return;
  ShowCursor(false);
  try {
    Zoom = value;
    const int oldH = HorzBar.Range(), oldV = VertBar.Range();
    LayoutPages();
    if (HasParent()) {
      InvalidateClient(GetViewRect(), true);
      UpdateScrollBars(true);
    }
    // The bars keep their place relative to their range; a position that
    // the new range clamped is scaled from there.
    HorzBar.Position = oldH == 0 ? 0 : HorzBar.Range() * HorzBar.Position / oldH;
    VertBar.Position = oldV == 0 ? 0 : VertBar.Range() * VertBar.Position / oldV;
    SyncScrollBars();
  } catch (...) {
    ShowCursor(true);
    throw;
  }
  ShowCursor(true);
}

void TQSWindow::ZoomToPageWidth() {
  if (!Score) return;
  const long double p = Score->Page.Tenths(TQSPage::dWidth) / (254.0L / PixelsPerInch);
  if (p > 0) SetZoom(Round(static_cast<double>((ClientWidth() - VertBar.Thickness) * 100 / p)));
}

void TQSWindow::ZoomToPageHeight() {
  if (!Score) return;
  const long double p = Score->Page.Tenths(TQSPage::dHeight) / (254.0L / PixelsPerInch);
  if (p > 0) SetZoom(Round(static_cast<double>((ClientHeight() - HorzBar.Thickness) * 100 / p)));
}

// ------------------------------------------------------------ transforms

TPoint TQSWindow::ScreenToPage(TPoint p, int index) const {
  const TPoint o = PageOrigin(index);
  const int r = RulerWidth();
  return {(p.X + HorzBar.Position - r - o.X) * 800 / Zoom, (p.Y + VertBar.Position - r - o.Y) * 800 / Zoom};
}

TRect TQSWindow::ScreenRectToPage(const TRect& r, int index) const {
  const TPoint a = ScreenToPage({r.Left, r.Top}, index), b = ScreenToPage({r.Right, r.Bottom}, index);
  return {a.X, a.Y, b.X, b.Y};
}

TPoint TQSWindow::PageToScreen(TPoint p, int index) const {
  const TPoint o = PageOrigin(index);
  const int r = RulerWidth();
  // 64-bit: page units times the zoom leave 32 bits on large pages.
  auto scale = [&](int u) { return static_cast<int>(static_cast<int64_t>(u) * Zoom / 8 / 100); };
  return {scale(p.X) + r + o.X - HorzBar.Position, scale(p.Y) + r + o.Y - VertBar.Position};
}

TRect TQSWindow::PageRectToScreen(const TRect& r, int index) const {
  const TPoint a = PageToScreen({r.Left, r.Top}, index), b = PageToScreen({r.Right, r.Bottom}, index);
  return {a.X, a.Y, b.X, b.Y};
}

int TQSWindow::Px(int v) const { return static_cast<int>(static_cast<int64_t>(v) * Zoom / 100 / 8); }

TRect TQSWindow::ScaleRect(const TRect& r) const { return {Px(r.Left), Px(r.Top), Px(r.Right), Px(r.Bottom)}; }

TRect TQSWindow::ScaleRectInflated(const TRect& r) const {
  return ScaleRect({r.Left - 32, r.Top - 32, r.Right + 32, r.Bottom + 32});
}

TPoint TQSWindow::ClientToCanvas(TPoint p) const {
  const int r = RulerWidth();
  return {p.X + HorzBar.Position - r, p.Y + VertBar.Position - r};
}

TRect TQSWindow::ClientRectToCanvas(const TRect& r) const {
  const TPoint a = ClientToCanvas({r.Left, r.Top}), b = ClientToCanvas({r.Right, r.Bottom});
  return {a.X, a.Y, b.X, b.Y};
}

// ----------------------------------------------------------- invalidation

void TQSWindow::InvalidateClient(const TRect& r, bool erase) {
  // What is repainted has changed: its pages are painted anew.
  DropPageImages(r);
  if (Host()) Host()->Invalidate(r, erase);
}

void TQSWindow::UpdateNow() {
  if (Host()) Host()->Update();
}

void TQSWindow::InvalidatePages() {
  // Every page painted anew, none brought up to date from what it showed.
  pageImages_.clear();
  InvalidatePagesFrom(0);
}

void TQSWindow::InvalidatePagesFrom(int firstPage) {
  if (!Score) return;
  firstPage = std::max(firstPage, 0);
  DropPageImagesFrom(firstPage);
  if (Score->Updating()) {
    PagesRepaintFrom = PagesRepaintPending ? std::min(PagesRepaintFrom, firstPage) : firstPage;
    PagesRepaintPending = true;
    return;
  }
  PagesRepaintPending = false;
  PagesRepaintFrom = 0;
  // The band from the top of the first changed page's row down; a page
  // scrolled above the view, or no page at all, leaves the whole area.
  TRect band = GetPageAreaRect();
  if (firstPage > 0 && firstPage < static_cast<int>(PageGrid.size()) && Style != wsPreview)
    band.Top = std::max(band.Top, PageGrid[static_cast<size_t>(firstPage)].Rect.Top - VertBar.Position + band.Top);
  if (band.Top < band.Bottom) InvalidateClient(band, true);
}

void TQSWindow::InvalidateRulers() {
  if (!Score || !Rule.Visible) return;
  if (Score->Updating()) {
    RulersRepaintPending = true;
    return;
  }
  const int right = ClientWidth() - (VertBar.Visible ? VertBar.Thickness : 0);
  const int bottom = ClientHeight() - (HorzBar.Visible ? HorzBar.Thickness : 0);
  InvalidateClient({0, 0, right, Rule.Width}, true);
  InvalidateClient({0, 0, Rule.Width, bottom}, true);
  RulersRepaintPending = false;
}

void TQSWindow::InvalidateButtonBar() {
  InvalidateClient({0, ClientHeight() - HorzBar.Thickness, ClientWidth() / 2, ClientHeight()}, true);
}

// -------------------------------------------------------- cursor setters

void TQSWindow::GotoPage(int index) {
  if (!Score) return;
  index = std::max(0, std::min(index, PageCount - 1));
  if (index == CursorPosition.Page) {
    // The view may have scrolled away from the cursor's page: it comes back.
    if (index < static_cast<int>(PageGrid.size())) ScrollToCursor(PageGrid[static_cast<size_t>(index)].Rect.Top, false);
    UpdatePageButtons();
    return;
  }
  ShowCursor(false);
  const TQSCalcPage* oldPage = LayoutPage(CursorPosition.Page);
  const TQSCalcPage* newPage = LayoutPage(index);
  if (oldPage && newPage && oldPage->SystemCount > 0 && newPage->SystemCount > 0) {
    // Keep the cursor's place within its system: the same row and the same
    // measure offset on the new page.
    const int row = CursorSystemRow();
    const TQSCalcSystem* oldSystem = CursorSystem();
    const int offset = oldSystem ? CursorPosition.Measure - oldSystem->FirstMeasure : 0;
    const int lastRow = std::max(0, newPage->StaffRowCount - 1);
    const TQSCalcStaff* target = newPage->StaffRows.At(std::min(row, lastRow));
    const TQSCalcSystem* system = target && target->System ? target->System : newPage->Systems.At(0);
    if (system) {
      const int last = system->FirstMeasure + std::max(0, system->MeasureCount - 1);
      CursorPosition.Measure = std::min(offset + system->FirstMeasure, last);
    }
  }
  CursorPosition.Page = index;
  ShowCursor(true);
  if (const TQSCalcPage* page = LayoutPage(index); page && index < static_cast<int>(PageGrid.size()))
    ScrollToCursor(PageGrid[static_cast<size_t>(index)].Rect.Top, false);
  RefreshRulerMarkers();
  LayoutButtonBar();
  UpdatePageButtons();
  if (Style == wsPreview) InvalidatePages();
}

void TQSWindow::SetCursorPart(int index) {
  if (index == CursorPosition.Part) return;
  ShowCursor(false);
  CursorPosition.Part = index;
  if (Score && Score->ViewStyle == TQSViewStyle::vsPart) {
    Score->Recalculate(0);
    Score->RefreshWindows();
  }
  ShowCursor(true);
  ScrollToCursor(0, false);
  RefreshRulerMarkers();
}

void TQSWindow::SetCursorMeasure(int index) {
  if (index == CursorPosition.Measure) return;
  ShowCursor(false);
  CursorPosition.Measure = index;
  ShowCursor(true);
  ScrollToCursor(0, false);
  RefreshRulerMarkers();
}

void TQSWindow::SetCursorTick(int tick) {
  if (tick == CursorPosition.Tick) return;
  ShowCursor(false);
  CursorPosition.Tick = tick;
  ScrollToCursor(0, false);
  ShowCursor(true);
}

void TQSWindow::SetCursorLine(int line) {
  if (line == cursorLine_) return;
  ShowCursor(false);
  cursorLine_ = line;
  ShowCursor(true);
}

void TQSWindow::SetCursor(int page, int piece, int part, int measure, int staff, int voice, int tick, int line) {
  TQSCursorPosition& c = CursorPosition;
  if (page == c.Page && piece == c.Piece && part == c.Part && measure == c.Measure && staff == c.Staff &&
      voice == c.Voice && tick == c.Tick && line == cursorLine_)
    return;
  ShowCursor(false);
  c.Page = page;
  const bool moved = piece != c.Piece || part != c.Part;
  c.Piece = piece;
  c.Part = part;
  if (moved && Score && Score->ViewStyle == TQSViewStyle::vsPart) {
    ValidateCursor(false);
    Score->Recalculate(0);
    Score->RefreshWindows();
  }
  c.Measure = measure;
  c.Staff = staff;
  c.Voice = voice;
  c.Tick = tick;
  cursorLine_ = line;
  ShowCursor(true);
  ValidateCursor(false);
  ScrollToCursor(0, false);
  RefreshRulerMarkers();
  UpdatePageButtons();
  DoActiveChanged(ActiveVoice());
}

void TQSWindow::SetCursorMeasureTick(int measure, int tick, bool snap) {
  if (measure == CursorPosition.Measure && tick == CursorPosition.Tick) return;
  ShowCursor(false);
  CursorPosition.Measure = measure;
  CursorPosition.Tick = snap ? NearestEventTick(tick) : tick;
  ValidateCursor(false);
  ShowCursor(true);
  ScrollToCursor(0, false);
  RefreshRulerMarkers();
  UpdatePageButtons();
  DoActiveChanged(ActiveVoice());
}

void TQSWindow::SetFret(int fret) {
  if (!Score) return;
  const int most = Score->MaxFretCount();
  if (fret == 255) fret = most - 1;
  if (fret >= most || fret < 0) fret = 0;
  if (fret == CursorFret) return;
  CursorFret = fret;
  SetHint(std::to_string(fret));
}

// ------------------------------------------------------ cursor geometry

const TQSCalcSystem* TQSWindow::CursorSystem() const {
  const TQSPiece* piece = ActivePiece();
  if (!piece || CursorPosition.Measure < 0 || CursorPosition.Measure >= static_cast<int>(piece->Slots.size()))
    return nullptr;
  const auto* slot = dynamic_cast<const TQSCalcMeasure*>(piece->Slots[static_cast<size_t>(CursorPosition.Measure)]);
  return slot ? slot->System : nullptr;
}

int TQSWindow::CursorSystemRow() const {
  const TQSCalcSystem* system = CursorSystem();
  if (!system) return 0;
  const TQSCalcSystemPart* sp = system->Parts.At(CursorPosition.Part);
  if (!sp || sp->System != system || sp->Part != ActivePart()) return 0;
  return sp->FirstRow - system->FirstRow + CursorPosition.Staff;
}

int TQSWindow::CursorStaffRow() const {
  const TQSCalcSystem* system = CursorSystem();
  const TQSPiece* piece = ActivePiece();
  if (!system || !piece) return 0;
  const TQSCalcSystemPart* sp = system->Parts.At(CursorPosition.Part);
  if (!sp || sp->System != system || sp->Part != ActivePart()) return 0;
  int row = sp->FirstRow + CursorPosition.Staff - piece->FirstRow;
  if (CursorPosition.Page > 0)
    if (const TQSCalcPage* previous = LayoutPage(CursorPosition.Page - 1)) row += previous->RowsBefore;
  return std::max(row, 0);
}

}  // namespace qs
