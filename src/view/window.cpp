// The view control: page grid, zoom, scrolling, the transforms between
// client pixels, canvas pixels and page units, invalidation and the plain
// setters of the cursor.
#include "view/window.h"

#include <algorithm>
#include <cmath>

#include "base/mathutil.h"
#include "layout/layout.h"
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
  explicit TMovedByClamp(TQSWindow& view)
      : view_(view), h_(view.Geometry().HorzBar.Position), v_(view.Geometry().VertBar.Position) {}
  ~TMovedByClamp() {
    if (view_.Geometry().HorzBar.Position != h_ || view_.Geometry().VertBar.Position != v_)
      view_.InvalidateRect(view_.ClientRect(), false);
  }
  TMovedByClamp(const TMovedByClamp&) = delete;
  TMovedByClamp& operator=(const TMovedByClamp&) = delete;

 private:
  TQSWindow& view_;
  const int h_, v_;
};

}  // namespace

// What the text editor asks of the view.
class TQSWindow::TTextSite : public TQSTextEditor::TSite {
 public:
  explicit TTextSite(TQSWindow& view) : view_(view) {}
  void ShowCursor(bool show) override { view_.ShowCursor(show); }
  void RepaintElement(const TQSCalcItem& e) override { view_.InvalidateElement(e); }
  void RepaintPages() override { view_.InvalidatePages(); }
  void TextSelectionChanged() override { Fire(view_.OnPasteChanged, &view_); }
  void TextChanged() override {
    if (view_.Score) view_.Score->FireChanged(&view_);
  }
  void CursorToLyric(int measure, int tick, int part) override {
    view_.SetCursorMeasure(measure);
    view_.SetCursorTick(tick);
    view_.SetCursorPart(part);
  }
  void CursorToNextEvent() override { view_.MoveCursorRight(false, false); }
  void CursorToPreviousEvent() override { view_.MoveCursorLeft(false); }
  TRect PageArea() const override { return view_.GetPageAreaRect(); }
  void FlushScreen(const TRect& r) override {
    if (view_.Host()) view_.Host()->Flush(r);
  }

 private:
  TQSWindow& view_;
};

TQSWindow::TQSWindow(TComponent* owner)
    : TCustomControl(owner),
      geometry_(*this, Rule, qs::ScreenPixelsPerInch()),
      controlHost_(std::make_unique<TControlHost>(*this)),
      textSite_(std::make_unique<TTextSite>(*this)),
      textEditor_(std::make_unique<TQSTextEditor>(*this, geometry_, *textSite_)) {
  geometry_.VertBar.Thickness = geometry_.HorzBar.Thickness = 17;
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

void TQSWindow::EditItemText(TQSCalcItem* element) { textEditor_->EditItemText(element); }

void TQSWindow::EditItemTextOf(TQSItem* item) {
  if (Score) EditItemText(item ? FindLayoutElement(*Score, item, -1) : nullptr);
}

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
  if (!geometry_.SetPagePerHorz(value)) return;
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
  geometry_.HorzBar.Visible = geometry_.VertBar.Visible = v;
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
  const int right = ClientWidth() - (geometry_.VertBar.Visible ? geometry_.VertBar.Thickness : 0);
  return {left, ClientHeight() - geometry_.HorzBar.Thickness, std::max(left, right), ClientHeight()};
}

TRect TQSWindow::VertBarRect() const {
  return {ClientWidth() - geometry_.VertBar.Thickness, 0, ClientWidth(),
          std::max(0, ClientHeight() - (geometry_.HorzBar.Visible ? geometry_.HorzBar.Thickness : 0))};
}

TRect TQSWindow::GetViewRect() const {
  return {0, 0, ClientWidth() - (geometry_.VertBar.Visible ? geometry_.VertBar.Thickness : 0),
          geometry_.HorzBar.Visible ? ClientHeight() - geometry_.HorzBar.Thickness - 1 : ClientHeight()};
}

TRect TQSWindow::GetPageAreaRect() const {
  TRect r = GetViewRect();
  if (Rule.Visible) r.Left = r.Top = Rule.Width;
  return r;
}

void TQSWindow::UpdateScrollRanges() {
  if (!HasParent() || geometry_.PageCount == 0 || geometry_.PageGrid.empty()) return;
  const TRect a = GetPageAreaRect();
  const TRect& first = geometry_.PageGrid[0].Rect;
  const TMovedByClamp moved(*this);
  geometry_.HorzBar.PageSize = 0;
  geometry_.HorzBar.Max = first.Width() * geometry_.PagePerHorz();
  geometry_.HorzBar.PageSize = std::max(0, std::min(geometry_.HorzBar.Max, a.Right - a.Left));
  geometry_.HorzBar.Position = std::max(0, std::min(geometry_.HorzBar.Position, geometry_.HorzBar.Range()));
  geometry_.HorzBar.LargeChange = static_cast<uint16_t>(first.Width());
  geometry_.VertBar.PageSize = 0;
  geometry_.VertBar.Max =
      Style == wsPreview ? first.Bottom : geometry_.PageGrid[static_cast<size_t>(geometry_.PageCount - 1)].Rect.Bottom;
  geometry_.VertBar.PageSize = std::max(0, std::min(geometry_.VertBar.Max, a.Bottom - a.Top));
  geometry_.VertBar.Position = std::max(0, std::min(geometry_.VertBar.Position, geometry_.VertBar.Range()));
  geometry_.VertBar.LargeChange = static_cast<uint16_t>(first.Height() - first.Height() / 3);
  SyncScrollBars();
}

void TQSWindow::SyncScrollBars() {
  for (bool vertical : {false, true}) {
    TScrollBar* bar = vertical ? VertScrollBar : HorzScrollBar;
    const TQSScrollState& state = vertical ? geometry_.VertBar : geometry_.HorzBar;
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
  if (geometry_.PageCount > 0 && !geometry_.PageGrid.empty()) {
    const TRect a = GetPageAreaRect();
    const TRect& first = geometry_.PageGrid[0].Rect;
    const TMovedByClamp moved(*this);
    geometry_.HorzBar.PageSize = 0;
    geometry_.HorzBar.Max = first.Width() * geometry_.PagePerHorz();
    geometry_.HorzBar.PageSize =
        std::max(0, std::min(geometry_.HorzBar.Max, ClientWidth() - geometry_.VertBar.Thickness - a.Left));
    geometry_.HorzBar.Position = std::max(0, std::min(geometry_.HorzBar.Position, geometry_.HorzBar.Range()));
    geometry_.VertBar.PageSize = 0;
    geometry_.VertBar.Max = geometry_.PageGrid[static_cast<size_t>(geometry_.PageCount - 1)].Rect.Bottom;
    geometry_.VertBar.PageSize =
        std::max(0, std::min(geometry_.VertBar.Max, ClientHeight() - geometry_.HorzBar.Thickness - a.Top));
    geometry_.VertBar.Position = std::max(0, std::min(geometry_.VertBar.Position, geometry_.VertBar.Range()));
  }
  SyncScrollBars();
  if (notify) Fire(OnZoomChanged, this);
}

void TQSWindow::ScrollTo(bool vertical, TScrollCode code, int& scrollPos) {
  TQSScrollState& bar = vertical ? geometry_.VertBar : geometry_.HorzBar;
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
      r = {0, 0, ClientWidth() - geometry_.VertBar.Thickness, ClientHeight() - geometry_.HorzBar.Thickness};
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
  for (int j = 0; j < geometry_.PageCount && j < static_cast<int>(geometry_.PageGrid.size()); ++j)
    if (geometry_.PageGrid[static_cast<size_t>(j)].Rect.Bottom > geometry_.VertBar.Position) {
      geometry_.VertBar.Hint = std::to_string(j + 1);
      break;
    }
  if (VertScrollBar) {
    VertScrollBar->SetHint(geometry_.VertBar.Hint);
    if (code == scTrack) VertScrollBar->SetShowHint(true);
  }
}

void TQSWindow::ScrollBoth(int h, int v) {
  // When both bars move, only the vertical move repaints at once.
  const bool both = h != geometry_.HorzBar.Position && v != geometry_.VertBar.Position;
  if (h != geometry_.HorzBar.Position) {
    const bool suppressed = SuppressEvents;
    if (both) SuppressEvents = true;
    ScrollTo(false, scPosition, h);
    SuppressEvents = suppressed;
  }
  if (v != geometry_.VertBar.Position) ScrollTo(true, scPosition, v);
}

// ------------------------------------------------------------ page grid

const TQSCalcPage* TQSWindow::LayoutPage(int index) const {
  if (!Score || index < 0 || index >= Score->LaidOutPages) return nullptr;
  return Score->LayoutPages.At(index);
}

void TQSWindow::LayoutChanged() {
  if (!Score) {
    geometry_.PageCount = 0;
    return;
  }
  geometry_.PageCount = Score->LaidOutPages;
  // Pages before the pass's first page kept their records and look the same.
  DropPageImagesFrom(Score->RelaidFromPage);
  textEditor_->RefindEditedElement();
  if (static_cast<int>(geometry_.PageGrid.size()) < geometry_.PageCount)
    geometry_.PageGrid.resize(static_cast<size_t>(geometry_.PageCount));
  Score->BeginUpdate();
  LayoutButtonBar();
  UpdatePageButtons();
  Score->EndUpdate();
  LayoutPages();
  ValidateCursor(true);
}

void TQSWindow::LayoutPages() {
  if (!Score || Score->Updating()) return;
  geometry_.ArrangePages(Style == wsPreview);
  RefreshRulerMarkers();
}

void TQSWindow::SetZoom(int value) {
  value = std::clamp(value, kMinZoom, kMaxZoom);
  if (value == Zoom) return;
  ShowCursor(false);
  try {
    Zoom = value;
    const int oldH = geometry_.HorzBar.Range(), oldV = geometry_.VertBar.Range();
    LayoutPages();
    if (HasParent()) {
      InvalidateClient(GetViewRect(), true);
      UpdateScrollBars(true);
    }
    // The bars keep their place relative to their range; a position that
    // the new range clamped is scaled from there.
    geometry_.HorzBar.Position = oldH == 0 ? 0 : geometry_.HorzBar.Range() * geometry_.HorzBar.Position / oldH;
    geometry_.VertBar.Position = oldV == 0 ? 0 : geometry_.VertBar.Range() * geometry_.VertBar.Position / oldV;
    SyncScrollBars();
  } catch (...) {
    ShowCursor(true);
    throw;
  }
  ShowCursor(true);
}

void TQSWindow::ZoomToPageWidth() {
  if (!Score) return;
  const long double p = Score->Page.Tenths(TQSPage::dWidth) / (254.0L / geometry_.PixelsPerInch);
  if (p > 0) SetZoom(Round(static_cast<double>((ClientWidth() - geometry_.VertBar.Thickness) * 100 / p)));
}

void TQSWindow::ZoomToPageHeight() {
  if (!Score) return;
  const long double p = Score->Page.Tenths(TQSPage::dHeight) / (254.0L / geometry_.PixelsPerInch);
  if (p > 0) SetZoom(Round(static_cast<double>((ClientHeight() - geometry_.HorzBar.Thickness) * 100 / p)));
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
  if (firstPage > 0 && firstPage < static_cast<int>(geometry_.PageGrid.size()) && Style != wsPreview)
    band.Top = std::max(
        band.Top, geometry_.PageGrid[static_cast<size_t>(firstPage)].Rect.Top - geometry_.VertBar.Position + band.Top);
  if (band.Top < band.Bottom) InvalidateClient(band, true);
}

void TQSWindow::InvalidateRulers() {
  if (!Score || !Rule.Visible) return;
  if (Score->Updating()) {
    RulersRepaintPending = true;
    return;
  }
  const int right = ClientWidth() - (geometry_.VertBar.Visible ? geometry_.VertBar.Thickness : 0);
  const int bottom = ClientHeight() - (geometry_.HorzBar.Visible ? geometry_.HorzBar.Thickness : 0);
  InvalidateClient({0, 0, right, Rule.Width}, true);
  InvalidateClient({0, 0, Rule.Width, bottom}, true);
  RulersRepaintPending = false;
}

void TQSWindow::InvalidateButtonBar() {
  InvalidateClient({0, ClientHeight() - geometry_.HorzBar.Thickness, ClientWidth() / 2, ClientHeight()}, true);
}

// -------------------------------------------------------- cursor setters

void TQSWindow::GotoPage(int index) {
  if (!Score) return;
  index = std::max(0, std::min(index, geometry_.PageCount - 1));
  if (index == CursorPosition.Page) {
    // The view may have scrolled away from the cursor's page: it comes back.
    if (index < static_cast<int>(geometry_.PageGrid.size()))
      ScrollToCursor(geometry_.PageGrid[static_cast<size_t>(index)].Rect.Top, false);
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
  if (const TQSCalcPage* page = LayoutPage(index); page && index < static_cast<int>(geometry_.PageGrid.size()))
    ScrollToCursor(geometry_.PageGrid[static_cast<size_t>(index)].Rect.Top, false);
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
