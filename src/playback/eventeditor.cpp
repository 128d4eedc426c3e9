#include "playback/eventeditor.h"

#include <algorithm>

#include "platform/canvas.h"
#include "platform/keys.h"
#include "platform/stdctrls.h"
#include "playback/eventtext.h"
#include "score/item.h"
#include "score/marks.h"
#include "score/piece.h"
#include "score/score.h"
#include "score/slot.h"
#include "score/windowlink.h"

namespace qs {
namespace {

constexpr int kLane = 16;       // the height of a lane
constexpr int kFirstLane = 26;  // from a measure's bottom to the top of lane 0
constexpr TColor kLabel = RGB(255, 255, 0);
constexpr TColor kChosenFocused = RGB(255, 0, 0);
constexpr TColor kGrey = RGB(128, 128, 128);

void SetLabelFont(TCanvas& c) {
  c.Font().Name = "Arial";
  c.Font().SetSize(8);
}

}  // namespace

TQSEventEditor::TQSEventEditor(TComponent* owner) : TQSSideEditor(owner) {
  contentHeight_ = kFirstLane;
  Resize();
}

TQSEventEditor::~TQSEventEditor() = default;

TQSPiece* TQSEventEditor::Piece() const { return score_ ? score_->CurrentPiece() : nullptr; }

void TQSEventEditor::SetScore(TQSScore* score) {
  if (score == score_) return;
  score_ = score;
  measures_.clear();
  focusMeasure_ = focusIndex_ = -1;
  SyncWithCursor();
  Rebuild();
  Layout();
  Invalidate();
  ScrollToCursor();
}

void TQSEventEditor::Reload() {
  Rebuild();
  Layout();
  Invalidate();
}

void TQSEventEditor::Rebuild() {
  // What is selected and focused stays so while its event is still there.
  std::vector<TQSMIDIEvent*> selected;
  TQSMIDIEvent* focused = nullptr;
  for (size_t m = 0; m < measures_.size(); ++m)
    for (size_t i = 0; i < measures_[m].Events.size(); ++i) {
      if (measures_[m].Events[i].Selected) selected.push_back(measures_[m].Events[i].Event);
      if (int(m) == focusMeasure_ && int(i) == focusIndex_) focused = measures_[m].Events[i].Event;
    }
  measures_.clear();
  focusMeasure_ = focusIndex_ = -1;
  TQSPiece* piece = Piece();
  if (!piece) return;
  const int count = std::min(piece->LastLaidOutMeasure + 1, static_cast<int>(piece->Slots.size()));
  for (int n = 0; n < count; ++n) {
    TMeasureEntry entry;
    if (const TQSMeasureSlot* slot = piece->Slots[static_cast<size_t>(n)]) {
      entry.Length = slot->LengthFor(n);
      entry.Meter = slot->MeterFor(n);
    }
    entry.Number = ShownMeasureNumber(piece->Slots[static_cast<size_t>(n)], n);
    if (n < piece->ColumnCount())
      if (TQSColumn* column = piece->GetColumn(n))
        for (int k = 0; k < column->ItemCount(); ++k) {
          TQSItem* item = column->GetItem(k);
          if (item->ItemType != kind::MidiEvent) continue;
          auto* event = static_cast<TQSMIDIEvent*>(item);
          TEventEntry e;
          e.Event = event;
          e.Tick = event->Fields.Time;
          e.Text = EventBytesToText(event->Data.data(), event->Data.size(), " ");
          e.Selected = std::find(selected.begin(), selected.end(), event) != selected.end();
          if (event == focused) {
            focusMeasure_ = n;
            focusIndex_ = static_cast<int>(entry.Events.size());
          }
          entry.Events.push_back(std::move(e));
        }
    measures_.push_back(std::move(entry));
  }
  if (!focused) FocusEventAtCursor();
}

void TQSEventEditor::Refresh() {
  TQSPiece* piece = Piece();
  bool stale = !piece || static_cast<int>(measures_.size()) != std::min(piece->LastLaidOutMeasure + 1,
                                                                        static_cast<int>(piece->Slots.size()));
  for (size_t n = 0; !stale && n < measures_.size(); ++n) {
    TQSColumn* column = static_cast<int>(n) < piece->ColumnCount() ? piece->GetColumn(static_cast<int>(n)) : nullptr;
    size_t found = 0;
    if (column)
      for (int k = 0; k < column->ItemCount(); ++k)
        if (column->GetItem(k)->ItemType == kind::MidiEvent) {
          const auto* event = static_cast<const TQSMIDIEvent*>(column->GetItem(k));
          if (found >= measures_[n].Events.size() || measures_[n].Events[found].Event != event ||
              measures_[n].Events[found].Tick != event->Fields.Time) {
            stale = true;
            break;
          }
          ++found;
        }
    if (found != measures_[n].Events.size()) stale = true;
  }
  if (!stale) return;
  Rebuild();
  Layout();
}

void TQSEventEditor::Layout() {
  if (!Piece()) return;
  TCanvas& canvas = Canvas();
  SetLabelFont(canvas);
  std::vector<int> laneStart;  // the leftmost label of each lane so far
  int x = 0, highest = -1;
  for (size_t m = measures_.size(); m-- > 0;) {
    TMeasureEntry& me = measures_[m];
    me.Bounds.Right = x;
    me.Bounds.Left = x - me.Length;
    x = me.Bounds.Left;
    int previousLane = 0;
    for (size_t i = me.Events.size(); i-- > 0;) {
      TEventEntry& e = me.Events[i];
      e.Label.Left = me.Bounds.Left + e.Tick;
      e.Label.Right = e.Label.Left + canvas.TextWidth(e.Text) + 4;
      int lane = 0;
      if (e.Label.Right < 0) {
        lane = -1;
        for (int k = 0; k < kMaxLanes; ++k) {
          if (k == static_cast<int>(laneStart.size())) laneStart.push_back(0);
          if (laneStart[static_cast<size_t>(k)] > e.Label.Right) {
            lane = k;
            break;
          }
        }
        if (lane < 0)
          lane = previousLane;
        else
          laneStart[static_cast<size_t>(lane)] = e.Label.Left;
      }
      previousLane = lane;
      highest = std::max(highest, lane);
      e.Label.Top = lane;  // the lane for now: the rows follow below
    }
  }
  contentHeight_ = kFirstLane + kLane * std::max(highest, 0);
  const int visibleHeight = ClientHeight() - HorzBar->Height();
  const int bottom = std::max(contentHeight_, visibleHeight);
  const int width = -x;
  for (TMeasureEntry& me : measures_) {
    me.Bounds.Left += width;
    me.Bounds.Right += width;
    me.Bounds.Top = 0;
    me.Bounds.Bottom = bottom;
    for (TEventEntry& e : me.Events) {
      const int lane = e.Label.Top;
      e.Label.Left += width;
      e.Label.Right += width;
      e.Label.Top = bottom - kFirstLane - kLane * lane;
      e.Label.Bottom = bottom - 10 - kLane * lane;
    }
  }
  contentWidth_ = width;
  UpdateScrollBars();
}

void TQSEventEditor::Resize() {
  PlaceScrollBars(ClientWidth() / 2);
  if (score_) Layout();
  TCustomControl::Resize();
}

void TQSEventEditor::UpdateScrollBars() {
  SetScrollRanges(ClientWidth() - VertBar->Width(), ClientHeight() - HorzBar->Height());
}

int TQSEventEditor::CursorMeasure() const {
  TQSWindowLink* view = score_ ? score_->ActiveWindow() : nullptr;
  return view ? view->CursorPosition.Measure : -1;
}

void TQSEventEditor::ScrollToCursor() {
  const int c = CursorMeasure();
  if (c < 0 || c >= static_cast<int>(measures_.size())) return;
  const int x = measures_[static_cast<size_t>(c)].Bounds.Left + score_->ActiveWindow()->CursorPosition.Tick;
  const int right = measures_[static_cast<size_t>(c)].Bounds.Right;
  int h = HorzBar->Position();
  const int visible = ClientWidth() - VertBar->Width();
  if (x <= h + 4)
    h = x - 2;
  else if (x - h >= visible - 4)
    h = (x < right - visible + 2 ? x : right) - visible + 2;
  HorzBar->SetPosition(std::clamp(h, 0, std::max(0, contentWidth_ - visible)));
}

void TQSEventEditor::DrawCursorLine() {
  const int c = CursorMeasure();
  if (c < 0 || c >= static_cast<int>(measures_.size())) return;
  const TRect& b = measures_[static_cast<size_t>(c)].Bounds;
  const int x = b.Left + cursorTick_ - HorzBar->Position(), dy = -VertBar->Position();
  DrawXor(DrawingArea(), TPen{Focused() ? RGB(255, 255, 0) : RGB(0, 128, 128), 3, psSolid, pmXor},
          [&](TCanvas& canvas) {
            canvas.MoveTo(x, b.Top + dy);
            canvas.LineTo(x, b.Bottom + dy);
          });
}

void TQSEventEditor::SetCursorLineShown(bool shown) {
  if (shown == cursorShown_) return;
  DrawCursorLine();
  cursorShown_ = shown;
}

void TQSEventEditor::SyncWithCursor() {
  if (syncing_ || !score_) return;
  TQSWindowLink* view = score_->ActiveWindow();
  if (!view) return;
  const bool shown = cursorShown_;
  SetCursorLineShown(false);
  cursorTick_ = view->CursorPosition.Tick;
  SetCursorLineShown(shown);
}

void TQSEventEditor::ShowCursor(bool visible) {
  if (syncing_) return;
  SetCursorLineShown(visible);
  if (visible && score_ && score_->ActiveWindow()) ScrollToCursor();
}

void TQSEventEditor::SetFocusedEntry(int measure, int index) {
  if (measure == focusMeasure_ && index == focusIndex_) return;
  focusMeasure_ = measure;
  focusIndex_ = index;
  Invalidate();
  Fire(OnFocusChanged, this);
}

void TQSEventEditor::FocusEventAtCursor() {
  const int c = CursorMeasure();
  if (c >= 0 && c < static_cast<int>(measures_.size())) {
    const auto& events = measures_[static_cast<size_t>(c)].Events;
    for (size_t i = 0; i < events.size(); ++i)
      if (events[i].Tick == cursorTick_) return SetFocusedEntry(c, static_cast<int>(i));
  }
  SetFocusedEntry(-1, -1);
}

void TQSEventEditor::MoveCursor(int measure, int tick) {
  TQSWindowLink* view = score_ ? score_->ActiveWindow() : nullptr;
  if (!view || measure < 0 || measure >= static_cast<int>(measures_.size())) return;
  const bool shown = cursorShown_;
  SetCursorLineShown(false);
  {
    TSyncing guard(*this);
    cursorTick_ = tick;
    view->SetCursorMeasure(measure);
    view->SetCursorTick(tick);
  }
  SetCursorLineShown(shown);
  ScrollToCursor();
  Invalidate();
}

void TQSEventEditor::MoveCursorTo(int x) {
  for (size_t m = 0; m < measures_.size(); ++m)
    if (measures_[m].Bounds.Right > x) return MoveCursor(static_cast<int>(m), std::max(0, x - measures_[m].Bounds.Left));
}

bool TQSEventEditor::HitTest(int x, int y, int& measure, int& index) const {
  for (size_t m = measures_.size(); m-- > 0;)
    for (size_t i = measures_[m].Events.size(); i-- > 0;) {
      const TRect& r = measures_[m].Events[i].Label;
      if (x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom) {
        measure = static_cast<int>(m);
        index = static_cast<int>(i);
        return true;
      }
    }
  return false;
}

void TQSEventEditor::ClearSelection() {
  for (TMeasureEntry& me : measures_)
    for (TEventEntry& e : me.Events) e.Selected = false;
  Invalidate();
}

void TQSEventEditor::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  SetFocus();
  TCustomControl::MouseDown(button, shift, x, y);
  if (!score_) return;
  Refresh();
  const int cx = x + HorzBar->Position(), cy = y + VertBar->Position();
  int m = -1, i = -1;
  if (HitTest(cx, cy, m, i)) {
    TEventEntry& e = measures_[static_cast<size_t>(m)].Events[static_cast<size_t>(i)];
    if (shift & ssCtrl) {
      e.Selected = !e.Selected;
      SetFocusedEntry(m, i);
      Fire(OnFocusChanged, this);
    } else {
      ClearSelection();
      SetFocusedEntry(m, i);
    }
    MoveCursor(m, e.Tick);
  } else {
    ClearSelection();
    MoveCursorTo(cx);
    FocusEventAtCursor();
  }
}

void TQSEventEditor::KeyDown(uint16_t& key, TShiftState shift) {
  TCustomControl::KeyDown(key, shift);
  if (!score_ || !score_->ActiveWindow() || measures_.empty()) return;
  Refresh();
  const int last = static_cast<int>(measures_.size()) - 1;
  const int c = std::clamp(CursorMeasure(), 0, last);
  const int t = cursorTick_;
  auto length = [&](int m) { return measures_[static_cast<size_t>(m)].Length; };
  auto go = [&](int m, int tick) {
    MoveCursor(m, tick);
    FocusEventAtCursor();
  };
  const bool ctrl = shift & ssCtrl;
  switch (key) {
    case VK_RETURN: Fire(OnEditEvent, this); break;
    case VK_INSERT: Fire(OnAddEvent, this); break;
    case VK_DELETE: Fire(OnDeleteEvent, this); break;
    case VK_HOME:
      if (ctrl ? (c > 0 || t > 0) : t > 0) go(ctrl ? 0 : c, 0);
      break;
    case VK_END:
      if (ctrl ? (c < last || t < length(last) - 1) : t < length(c) - 1) go(ctrl ? last : c, length(ctrl ? last : c) - 1);
      break;
    case VK_LEFT:
      if (ctrl) {
        if (c > 0) go(c - 1, t);
      } else if (t > 0) {
        go(c, t - 1);
      } else if (c > 0) {
        go(c - 1, length(c - 1) - 1);
      }
      break;
    case VK_RIGHT:
      if (ctrl) {
        if (c < last) go(c + 1, t);
      } else if (t < length(c) - 1) {
        go(c, t + 1);
      } else if (c < last) {
        go(c + 1, 0);
      }
      break;
    case VK_UP:
    case VK_DOWN: {
      if (focusMeasure_ < 0) break;
      int m = focusMeasure_, i = focusIndex_ + (key == VK_UP ? -1 : 1);
      while (m >= 0 && m <= last && (i < 0 || i >= static_cast<int>(measures_[static_cast<size_t>(m)].Events.size()))) {
        m += key == VK_UP ? -1 : 1;
        if (m < 0 || m > last) break;
        i = key == VK_UP ? static_cast<int>(measures_[static_cast<size_t>(m)].Events.size()) - 1 : 0;
      }
      if (m < 0 || m > last) break;
      SetFocusedEntry(m, i);
      MoveCursor(m, measures_[static_cast<size_t>(m)].Events[static_cast<size_t>(i)].Tick);
      break;
    }
    default: return;
  }
}

bool TQSEventEditor::HasSelection() {
  Refresh();
  if (focusMeasure_ >= 0) return true;
  for (const TMeasureEntry& me : measures_)
    for (const TEventEntry& e : me.Events)
      if (e.Selected) return true;
  return false;
}

TQSEventEditor::TEventEntry* TQSEventEditor::Chosen() {
  Refresh();
  for (size_t m = measures_.size(); m-- > 0;)
    for (size_t i = measures_[m].Events.size(); i-- > 0;)
      if (measures_[m].Events[i].Selected) return &measures_[m].Events[i];
  if (focusMeasure_ >= 0) return &measures_[static_cast<size_t>(focusMeasure_)].Events[static_cast<size_t>(focusIndex_)];
  return nullptr;
}

std::string TQSEventEditor::GetSelectedEventText() {
  const TEventEntry* e = Chosen();
  return e ? EventBytesToText(e->Event->Data.data(), e->Event->Data.size()) : std::string();
}

void TQSEventEditor::SetSelectedEventData(const uint8_t* data, size_t size) {
  TEventEntry* e = Chosen();
  if (!e) return;
  e->Event->SetData(data, size);
  Reload();
}

void TQSEventEditor::DeleteSelected() {
  Refresh();
  TQSMIDIEvent* focused =
      focusMeasure_ >= 0 ? measures_[static_cast<size_t>(focusMeasure_)].Events[static_cast<size_t>(focusIndex_)].Event
                         : nullptr;
  for (size_t m = measures_.size(); m-- > 0;)
    for (size_t i = measures_[m].Events.size(); i-- > 0;) {
      TEventEntry& e = measures_[m].Events[i];
      if (!e.Selected) continue;
      if (e.Event == focused) focused = nullptr;
      delete e.Event;
      e.Event = nullptr;
      if (score_) score_->FireChanged(this);
    }
  if (focused) {
    delete focused;
    if (score_) score_->FireChanged(this);
  }
  measures_.clear();  // nothing of the old entries is kept
  focusMeasure_ = focusIndex_ = -1;
  Rebuild();
  Layout();
  Invalidate();
}

void TQSEventEditor::Paint() {
  Refresh();
  TCanvas& c = Canvas();
  const int w = ClientWidth(), h = ClientHeight();
  c.Brush().Style = bsSolid;
  c.Brush().Color = ColorToRGB(Color());
  c.FillRect(TRect{0, 0, w, h});
  SetLabelFont(c);
  const int dx = -HorzBar->Position(), dy = -VertBar->Position();
  const bool focused = Focused();
  for (size_t m = measures_.size(); m-- > 0;) {
    const TMeasureEntry& me = measures_[m];
    const TRect b{me.Bounds.Left + dx, me.Bounds.Top + dy, me.Bounds.Right + dx, me.Bounds.Bottom + dy};
    c.Pen().Style = psSolid;
    c.Pen().Color = clBlack;
    c.Pen().Width = 1;
    c.MoveTo(b.Right, b.Top);
    c.LineTo(b.Right, b.Bottom);
    c.MoveTo(b.Left, b.Bottom - 3);
    c.LineTo(b.Right, b.Bottom - 3);
    c.Brush().Style = bsClear;
    c.TextOut(b.Left + 2, b.Top, std::to_string(me.Number));
    const int beats = std::max(1, me.Meter >> 8);
    const int beat = std::max(1, me.Length / beats);
    c.Pen().Style = psDot;
    c.Pen().Color = kGrey;
    for (int x = beat; x < me.Length; x += beat) {
      c.MoveTo(b.Left + x, b.Top);
      c.LineTo(b.Left + x, b.Bottom - 5);
    }
    c.Pen().Style = psSolid;
    c.Pen().Color = clBlack;
    c.Brush().Style = bsSolid;
    for (int x = 0, k = 0; x < me.Length; x += 8, ++k) {
      c.Brush().Color = k % 2 == 0 ? clBlack : clWhite;
      c.Rectangle(b.Left + x, b.Bottom - 5, std::min(b.Left + x + 8, b.Right), b.Bottom);
    }
    for (size_t i = me.Events.size(); i-- > 0;) {
      const TEventEntry& e = me.Events[i];
      const TRect r{e.Label.Left + dx, e.Label.Top + dy, e.Label.Right + dx, e.Label.Bottom + dy};
      c.MoveTo(r.Left, r.Bottom);
      c.LineTo(r.Left, b.Bottom - 3);
      const bool chosen = e.Selected || (int(m) == focusMeasure_ && int(i) == focusIndex_);
      c.Brush().Style = bsSolid;
      c.Brush().Color = chosen ? (focused ? kChosenFocused : kGrey) : kLabel;
      c.Rectangle(r.Left, r.Top + 1, r.Right, r.Bottom - 1);
      c.Brush().Style = bsClear;
      c.Font().Color = chosen ? clWhite : clBlack;
      c.TextOut(r.Left + 2, r.Top + 1, e.Text);
      c.Font().Color = clBlack;
    }
  }
  PaintBarCorner(c);
  // The cursor line, in XOR in the focus colour.
  if (cursorShown_) DrawCursorLine();
}

}  // namespace qs
