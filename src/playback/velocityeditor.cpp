#include "playback/velocityeditor.h"

#include <algorithm>

#include "layout/dynamics.h"
#include "platform/canvas.h"
#include "platform/forms.h"
#include "platform/keys.h"
#include "platform/stdctrls.h"
#include "score/calcrecords.h"
#include "score/measure.h"
#include "score/notes.h"
#include "score/part.h"
#include "score/score.h"
#include "score/windowlink.h"

namespace qs {

TQSNote* TQSVelocityEditor::TNoteEntry::Note() const {
  return Element ? static_cast<TQSNote*>(Element->Item) : nullptr;
}

TQSVelocityEditor::TQSVelocityEditor(TComponent* owner) : TCustomControl(owner) {
  SetTabStop(true);
  SetBounds(0, 0, 100, 100);
  HorzBar = new TScrollBar(this);
  HorzBar->SetParent(this);
  HorzBar->SetKind(sbHorizontal);
  VertBar = new TScrollBar(this);
  VertBar->SetParent(this);
  VertBar->SetKind(sbVertical);
  for (TScrollBar* bar : {HorzBar, VertBar}) {
    bar->SetTabStop(false);
    bar->SmallChange = 10;
    bar->LargeChange = 50;
    bar->OnChange = [this](TObject*) { Invalidate(); };
  }
  OnEnter = [this](TObject*) { Invalidate(); };
  OnExit = [this](TObject*) { Invalidate(); };
  Resize();
}

void TQSVelocityEditor::EndUpdate() {
  if (updates_ > 0 && --updates_ == 0 && layoutPending_) {
    layoutPending_ = false;
    Layout();
    Invalidate();
  }
}

void TQSVelocityEditor::Clear() {
  measures_.clear();
  notes_.clear();
  Invalidate();
}

void TQSVelocityEditor::AddMeasure(TQSMeasure* measure) {
  if (measure && measure->Part()) score_ = measure->Part()->Score();
  measures_.push_back(TMeasureEntry{measure, 0, 0});
  Layout();
}

void TQSVelocityEditor::AddNote(TQSCalcItem* element) {
  if (!element || !element->Item) return;
  const auto* note = static_cast<const TQSNote*>(element->Item);
  const TQSMeasure* measure = note->GetMeasure();
  size_t at = notes_.size();
  while (at > 0) {
    const TQSNote* before = notes_[at - 1].Note();
    if (before->GetMeasure() != measure || before->Fields.Time <= note->Fields.Time) break;
    --at;
  }
  TNoteEntry entry;
  entry.Element = element;
  notes_.insert(notes_.begin() + static_cast<std::ptrdiff_t>(at), entry);
  Layout();
  Invalidate();
}

void TQSVelocityEditor::Layout() {
  if (updates_ > 0) {
    layoutPending_ = true;
    return;
  }
  if (measures_.empty()) return;
  const int H = std::max(ClientHeight() - HorzBar->Height(), kMinHeight);
  contentHeight_ = H;
  const int first = measures_.front().Measure ? measures_.front().Measure->Index : 0;
  int x = panelWidth_, a = 0, current = -1;
  auto close = [&] {
    if (current >= 0 && current < static_cast<int>(measures_.size())) {
      measures_[static_cast<size_t>(current)].Left = x;
      measures_[static_cast<size_t>(current)].Right = x + a;
    }
    x += a;
  };
  for (TNoteEntry& e : notes_) {
    const TQSNote* note = e.Note();
    const int m = note->GetMeasure() ? note->GetMeasure()->Index : 0;
    if (m - first != current) {
      close();
      a = 1;
      current = m - first;
    }
    a += noteWidth_;
    e.MeasureNumber = m;
    e.Bar = TRect{x + a - noteWidth_, H - 10 - note->Fields.Velocity, x + a - 1, H - 10};
  }
  close();
  contentWidth_ = x;
  UpdateScrollBars();
}

void TQSVelocityEditor::Resize() {
  const int bar = 16;
  const int w = ClientWidth(), h = ClientHeight();
  if (HorzBar) HorzBar->SetBounds(w / 2, h - bar, std::max(0, w - bar - w / 2), bar);
  if (VertBar) VertBar->SetBounds(w - bar, 0, bar, std::max(0, h - bar));
  if (HorzBar) Layout();
  TCustomControl::Resize();
}

void TQSVelocityEditor::UpdateScrollBars() {
  const int visibleWidth = std::max(1, ClientWidth() - VertBar->Width() - panelWidth_);
  const int visibleHeight = std::max(1, ClientHeight() - HorzBar->Height());
  auto set = [](TScrollBar* bar, int content, int visible) {
    const int page = std::min(content, visible);
    bar->SetParams(std::clamp(bar->Position(), 0, std::max(0, content - page)), 0, std::max(0, content), page);
  };
  set(HorzBar, contentWidth_, visibleWidth);
  set(VertBar, contentHeight_, visibleHeight);
}

int TQSVelocityEditor::HitTest(int x, int y) const {
  const int cx = x + HorzBar->Position(), cy = y + VertBar->Position();
  for (size_t i = 0; i < notes_.size(); ++i) {
    const TRect& b = notes_[i].Bar;
    if (cx >= b.Left && cx < b.Right + 1 && cy >= 0 && cy < b.Bottom) return static_cast<int>(i);
  }
  return -1;
}

void TQSVelocityEditor::SetActiveEntry(int index) {
  if (index == active_) return;
  if (active_ >= 0 && active_ < static_cast<int>(notes_.size())) notes_[static_cast<size_t>(active_)].Selected = false;
  active_ = index;
  Invalidate();
  if (index < 0 || index >= static_cast<int>(notes_.size())) return;
  TNoteEntry& e = notes_[static_cast<size_t>(index)];
  e.Selected = true;
  TQSWindowLink* view = score_ ? score_->ActiveWindow() : nullptr;
  if (syncing_ || !view) return;
  syncing_ = true;
  view->SetCursorMeasure(e.MeasureNumber);
  view->SetCursorTick(e.Note()->Fields.Time);
  syncing_ = false;
}

void TQSVelocityEditor::ClearSelection() {
  for (size_t i = 0; i < notes_.size(); ++i)
    if (static_cast<int>(i) != active_) notes_[i].Selected = false;
  Invalidate();
}

void TQSVelocityEditor::SetVelocity(TNoteEntry& e, int velocity) {
  e.Note()->Fields.Velocity = static_cast<uint8_t>(std::clamp(velocity, 0, 127));
  e.Bar.Top = e.Bar.Bottom - e.Note()->Fields.Velocity;
  Invalidate();
}

void TQSVelocityEditor::NotifyChanged() {
  if (!score_ || !score_->OnChanged) return;
  ++updates_;
  syncing_ = true;
  try {
    score_->FireChanged(this);
  } catch (...) {
    --updates_;
    syncing_ = false;
    throw;
  }
  --updates_;
  syncing_ = false;
  SetFocus();
}

void TQSVelocityEditor::IncreaseVelocity() {
  bool changed = false;
  for (TNoteEntry& e : notes_)
    if (e.Selected && e.Note()->Fields.Velocity < 127) {
      SetVelocity(e, e.Note()->Fields.Velocity + 1);
      changed = true;
    }
  if (changed) NotifyChanged();
}

void TQSVelocityEditor::DecreaseVelocity() {
  bool changed = false;
  for (TNoteEntry& e : notes_)
    if (e.Selected && e.Note()->Fields.Velocity > 0) {
      SetVelocity(e, e.Note()->Fields.Velocity - 1);
      changed = true;
    }
  if (changed) NotifyChanged();
}

void TQSVelocityEditor::AlignVelocity() {
  if (!score_ || notes_.empty()) return;
  int f = -1, l = -1;
  for (size_t i = 0; i < notes_.size(); ++i)
    if (notes_[i].Selected) {
      if (f < 0) f = static_cast<int>(i);
      l = static_cast<int>(i);
    }
  if (f < 0 || f == l) return;
  const TNoteEntry& first = notes_[static_cast<size_t>(f)];
  const TNoteEntry& last = notes_[static_cast<size_t>(l)];
  const int Mf = first.MeasureNumber, Pf = first.Note()->Fields.Time, Vf = first.Note()->Fields.Velocity;
  const int Ml = last.MeasureNumber, Pl = last.Note()->Fields.Time, Vl = last.Note()->Fields.Velocity;
  const int D = Pl + TicksBetween(*score_, Mf, Ml - 1) - Pf;
  // Both ends at one tick (a chord) draw no line: nothing between changes.
  if (D == 0 || l - f < 2) return;
  const int dv = Vl - Vf;
  for (int i = f + 1; i < l; ++i) {
    TNoteEntry& e = notes_[static_cast<size_t>(i)];
    const int offset = TicksBetween(*score_, Mf, e.MeasureNumber - 1) + e.Note()->Fields.Time - Pf;
    SetVelocity(e, Vf + offset * dv / D);
  }
  NotifyChanged();
}

void TQSVelocityEditor::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (!Focused()) SetFocus();
  TCustomControl::MouseDown(button, shift, x, y);
  const int hit = HitTest(x, y);
  if (hit < 0) {
    ClearSelection();
    return;
  }
  const int previous = active_;
  const bool valid = previous >= 0 && previous < static_cast<int>(notes_.size()) && previous != hit;
  if (shift & ssShift) {
    ClearSelection();
    SetActiveEntry(hit);
    if (valid)
      for (int i = std::min(previous, hit); i <= std::max(previous, hit); ++i) notes_[size_t(i)].Selected = true;
  } else if (shift & ssAlt) {
    ClearSelection();
    SetActiveEntry(hit);
    TNoteEntry& e = notes_[static_cast<size_t>(hit)];
    SetVelocity(e, std::min(127, contentHeight_ - 10 - (y + VertBar->Position())));
    NotifyChanged();
  } else if (shift & ssCtrl) {
    SetActiveEntry(hit);
    if (valid) notes_[size_t(previous)].Selected = true;
  } else {
    ClearSelection();
    SetActiveEntry(hit);
    const int top = notes_[static_cast<size_t>(hit)].Bar.Top - VertBar->Position();
    if (std::abs(y - top) < 4) {
      dragging_ = true;
      anchorY_ = currentY_ = y;
    }
  }
  Invalidate();
}

void TQSVelocityEditor::MouseMove(TShiftState shift, int x, int y) {
  TCustomControl::MouseMove(shift, x, y);
  const int hit = HitTest(x, y);
  if (hit < 0) {
    Screen().SetCursor(crDefault);
    return;
  }
  if (dragging_) {
    currentY_ = y;
    Invalidate();
  }
  const int top = notes_[static_cast<size_t>(hit)].Bar.Top - VertBar->Position();
  Screen().SetCursor(std::abs(y - top) < 4 || dragging_ ? crSizeNS : crDefault);
}

void TQSVelocityEditor::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  TCustomControl::MouseUp(button, shift, x, y);
  if (!dragging_) return;
  dragging_ = false;
  Screen().SetCursor(crDefault);
  if (active_ < 0 || active_ >= static_cast<int>(notes_.size())) return;
  TNoteEntry& e = notes_[static_cast<size_t>(active_)];
  const int top = std::clamp(e.Bar.Top + (currentY_ - anchorY_), e.Bar.Bottom - 127, e.Bar.Bottom);
  SetVelocity(e, e.Bar.Bottom - top);
  NotifyChanged();
}

void TQSVelocityEditor::KeyDown(uint16_t& key, TShiftState shift) {
  TCustomControl::KeyDown(key, shift);
  const int count = static_cast<int>(notes_.size());
  const bool valid = active_ >= 0 && active_ < count;
  auto activate = [&](int i) {
    SetActiveEntry(i);
    ClearSelection();
  };
  switch (key) {
    case VK_HOME:
      if (count) activate(0);
      break;
    case VK_END:
      if (count) activate(count - 1);
      break;
    case VK_LEFT:
      if (!count) break;
      if (!valid) SetActiveEntry(count - 1);
      else
        for (int i = active_ - 1; i >= 0; --i)
          if (notes_[size_t(i)].Bar.Left < notes_[size_t(active_)].Bar.Left) {
            activate(i);
            break;
          }
      break;
    case VK_RIGHT:
      if (!count) break;
      if (!valid) SetActiveEntry(0);
      else
        for (int i = active_ + 1; i < count; ++i)
          if (notes_[size_t(i)].Bar.Left > notes_[size_t(active_)].Bar.Left) {
            activate(i);
            break;
          }
      break;
    case VK_UP:
      if (shift & ssAlt) IncreaseVelocity();
      break;
    case VK_DOWN:
      if (shift & ssAlt) DecreaseVelocity();
      break;
    case VK_ADD: IncreaseVelocity(); break;
    case VK_SUBTRACT: DecreaseVelocity(); break;
    default: return;
  }
}

void TQSVelocityEditor::Paint() {
  TCanvas& c = Canvas();
  const int w = ClientWidth(), h = ClientHeight();
  const int dx = -HorzBar->Position(), dy = -VertBar->Position();
  const int H = contentHeight_;
  c.Brush().Style = bsSolid;
  c.Brush().Color = clWhite;
  c.FillRect(TRect{0, 0, w, h});
  c.Brush().Color = clBtnFace;
  c.FillRect(TRect{0, dy, panelWidth_, H + dy});
  c.Brush().Color = clWhite;
  c.FillRect(TRect{4, H - kMinHeight + dy, panelWidth_ - 6, H - 5 + dy});
  c.Font().Name = "Arial";
  c.Font().SetSize(6);
  for (int v = 0; v <= 128; v += 8) {
    const int y = H - 10 - v + dy;
    if (v % 16 == 0) {
      c.Pen().Color = RGB(192, 192, 192);
      c.MoveTo(panelWidth_, y);
      c.LineTo(w, y);
    }
    c.Pen().Color = clBlack;
    if (v == 0 || v == 64 || v == 128) {
      const std::string label = std::to_string(v);
      c.Brush().Style = bsClear;
      c.TextOut((panelWidth_ - c.TextWidth(label) - 2) / 2, y - 5, label);
      c.Brush().Style = bsSolid;
    } else if (v % 16 == 0) {
      c.MoveTo(8, y);
      c.LineTo(panelWidth_ - 10, y);
    } else {
      c.MoveTo(10, y);
      c.LineTo(panelWidth_ - 12, y);
    }
  }
  const bool focused = Focused();
  for (size_t i = 0; i < notes_.size(); ++i) {
    const TNoteEntry& e = notes_[i];
    const bool chosen = e.Selected || static_cast<int>(i) == active_;
    c.Brush().Color = chosen ? (focused ? RGB(255, 0, 0) : RGB(128, 128, 128)) : RGB(0, 0, 255);
    c.FillRect(TRect{e.Bar.Left + dx, e.Bar.Top + dy, e.Bar.Right + dx, e.Bar.Bottom + dy});
  }
  if (dragging_ && active_ >= 0 && active_ < static_cast<int>(notes_.size())) {
    const TRect& b = notes_[static_cast<size_t>(active_)].Bar;
    const int top = std::clamp(b.Top + currentY_ - anchorY_, b.Bottom - 127, b.Bottom);
    c.Brush().Style = bsClear;
    c.Pen().Color = clBlack;
    c.Rectangle(b.Left + dx, top + dy, b.Right + dx, b.Bottom + dy);
    c.Brush().Style = bsSolid;
  }
  c.Pen().Color = RGB(128, 128, 128);
  for (const TMeasureEntry& m : measures_) {
    if (m.Right <= m.Left) continue;
    c.MoveTo(m.Right + dx, H - 138 + dy);
    c.LineTo(m.Right + dx, H - 10 + dy);
    if (m.Measure) {
      c.Brush().Style = bsClear;
      c.TextOut(m.Left + 1 + dx, H - kMinHeight, std::to_string(m.Measure->Index + 1));
      c.Brush().Style = bsSolid;
    }
  }
}

}  // namespace qs
