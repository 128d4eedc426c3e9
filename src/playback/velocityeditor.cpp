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

TQSVelocityEditor::TQSVelocityEditor(TComponent* owner) : TQSVoiceEditor(owner) {
  noteHeight_ = 18;
  noteWidth_ = 5;
  panelWidth_ = 24;
  contentHeight_ = kMinHeight;
  Resize();
}

void TQSVelocityEditor::Layout() {
  if (LayoutDeferred() || measures_.empty()) return;
  const int H = std::max(ClientHeight() - HorzBar->Height(), kMinHeight);
  contentHeight_ = H;
  IndexEntries();
  for (TQSVoiceMeasure& m : measures_) m.Left = m.Right = 0;
  // Each measure with entries: a pixel, then a column for each entry.
  int x = panelWidth_, a = 0, current = -1;
  auto close = [&] {
    if (current >= 0) {
      measures_[static_cast<size_t>(current)].Left = x;
      measures_[static_cast<size_t>(current)].Right = x + a;
    }
    x += a;
  };
  for (TQSVoiceEntry& e : notes_) {
    if (e.MeasureIndex != current) {
      close();
      a = 1;
      current = e.MeasureIndex;
    }
    a += noteWidth_;
    e.Bounds = TRect{x + a - noteWidth_, H - 10 - e.Velocity(), x + a - 1, H - 10};
  }
  close();
  contentWidth_ = x;
  UpdateScrollBars();
}

void TQSVelocityEditor::Resize() {
  PlaceScrollBars(ClientWidth() / 2);
  Layout();
  TCustomControl::Resize();
}

int TQSVelocityEditor::HitTest(int x, int y) const {
  const int cx = x + HorzBar->Position(), cy = y + VertBar->Position();
  for (size_t i = 0; i < notes_.size(); ++i) {
    const TRect& b = notes_[i].Bounds;
    if (cx >= b.Left && cx < b.Right + 1 && cy >= 0 && cy < b.Bottom) return static_cast<int>(i);
  }
  return -1;
}

void TQSVelocityEditor::SetVelocity(TQSVoiceEntry& e, int velocity) {
  e.Velocity() = static_cast<uint8_t>(std::clamp(velocity, 0, 127));
  e.Bounds.Top = e.Bounds.Bottom - e.Velocity();
  Invalidate();
}

void TQSVelocityEditor::IncreaseVelocity() {
  bool changed = false;
  for (TQSVoiceEntry& e : notes_)
    if (e.Selected && e.Velocity() < 127) {
      SetVelocity(e, e.Velocity() + 1);
      changed = true;
    }
  if (changed) NotifyChanged();
}

void TQSVelocityEditor::DecreaseVelocity() {
  bool changed = false;
  for (TQSVoiceEntry& e : notes_)
    if (e.Selected && e.Velocity() > 0) {
      SetVelocity(e, e.Velocity() - 1);
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
  const TQSVoiceEntry& first = notes_[static_cast<size_t>(f)];
  const TQSVoiceEntry& last = notes_[static_cast<size_t>(l)];
  const int Mf = first.MeasureInPart(), Pf = first.Note()->Fields.Time, Vf = first.Note()->Fields.Velocity;
  const int Ml = last.MeasureInPart(), Pl = last.Note()->Fields.Time, Vl = last.Note()->Fields.Velocity;
  const int D = Pl + TicksBetween(*score_, Mf, Ml - 1) - Pf;
  // Both ends at one tick (a chord) draw no line: nothing between changes.
  if (D == 0 || l - f < 2) return;
  const int dv = Vl - Vf;
  for (int i = f + 1; i < l; ++i) {
    TQSVoiceEntry& e = notes_[static_cast<size_t>(i)];
    // An effect note lies on the line at its own position.
    const int p = e.Effect ? e.Effect->Fields.Time : e.Note()->Fields.Time;
    const int offset = TicksBetween(*score_, Mf, e.MeasureInPart() - 1) + p - Pf;
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
  if (shift & ssShift) {
    SelectRange(hit);
  } else if (shift & ssAlt) {
    // With Ctrl or without: the velocity where the bar was clicked.
    SelectOnly(hit);
    TQSVoiceEntry& e = notes_[static_cast<size_t>(hit)];
    SetVelocity(e, std::min(127, contentHeight_ - 10 - (y + VertBar->Position())));
    NotifyChanged();
  } else if (shift & ssCtrl) {
    GrowSelection(hit);
  } else {
    SelectOnly(hit);
    const int top = notes_[static_cast<size_t>(hit)].Bounds.Top - VertBar->Position();
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
    DrawDragOutline();
    currentY_ = y;
    DrawDragOutline();
  }
  const int top = notes_[static_cast<size_t>(hit)].Bounds.Top - VertBar->Position();
  Screen().SetCursor(std::abs(y - top) < 4 || dragging_ ? crSizeNS : crDefault);
}

void TQSVelocityEditor::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  TCustomControl::MouseUp(button, shift, x, y);
  if (!dragging_) return;
  DrawDragOutline();
  dragging_ = false;
  Screen().SetCursor(crDefault);
  if (active_ < 0 || active_ >= static_cast<int>(notes_.size())) return;
  TQSVoiceEntry& e = notes_[static_cast<size_t>(active_)];
  const int top = std::clamp(e.Bounds.Top + (currentY_ - anchorY_), e.Bounds.Bottom - 127, e.Bounds.Bottom);
  SetVelocity(e, e.Bounds.Bottom - top);
  NotifyChanged();
}

void TQSVelocityEditor::KeyDown(uint16_t& key, TShiftState shift) {
  TCustomControl::KeyDown(key, shift);
  const int count = static_cast<int>(notes_.size());
  const bool valid = active_ >= 0 && active_ < count;
  switch (key) {
    case VK_HOME:
      if (count) SelectOnly(0);
      break;
    case VK_END:
      if (count) SelectOnly(count - 1);
      break;
    case VK_LEFT:
    case VK_RIGHT: {
      if (!count) break;
      const int step = key == VK_LEFT ? -1 : 1;
      if (!valid) SetActiveEntry(step < 0 ? count - 1 : 0);
      else if (const int i = Neighbour(step); i >= 0) SelectOnly(i);
      break;
    }
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
  const TRect area = DrawingArea();
  c.Brush().Style = bsSolid;
  c.Brush().Color = clWhite;
  c.FillRect(TRect{0, 0, w, h});
  // The scale: a white strip in the panel, labels at 0, 64 and 128, ticks
  // every 8, grid lines every 16 across the bars.
  int level = c.SaveDC();
  c.IntersectClipRect(area);
  c.Brush().Color = ColorToRGB(clBtnFace);
  c.FillRect(TRect{0, dy, panelWidth_, H + dy});
  c.Brush().Color = clWhite;
  c.FillRect(TRect{4, H - kMinHeight + dy, panelWidth_ - 6, H - 5 + dy});
  c.Font().Name = "Arial";
  c.Font().SetSize(6);
  c.Font().Color = clBlack;
  for (int v = 0; v <= 128; v += 8) {
    const int y = H - 10 - v + dy;
    if (v % 16 == 0) {
      c.Pen().Color = RGB(192, 192, 192);
      c.MoveTo(panelWidth_, y);
      c.LineTo(area.Right, y);
    }
    c.Pen().Color = clBlack;
    if (v == 0 || v == 64 || v == 128) {
      const std::string label = std::to_string(v);
      c.Brush().Style = bsClear;
      c.TextOut((panelWidth_ - c.TextWidth(label) - 2) / 2, y - c.TextHeight(label) / 2, label);
      c.Brush().Style = bsSolid;
    } else if (v % 16 == 0) {
      c.MoveTo(8, y);
      c.LineTo(panelWidth_ - 10, y);
    } else {
      c.MoveTo(10, y);
      c.LineTo(panelWidth_ - 12, y);
    }
  }
  c.RestoreDC(level);
  // The bars: blue, chosen ones red (grey without the focus), the active
  // one outlined.
  level = c.SaveDC();
  c.IntersectClipRect(TRect{panelWidth_, area.Top, area.Right, area.Bottom});
  const bool focused = Focused();
  auto shifted = [&](const TRect& r) { return TRect{r.Left + dx, r.Top + dy, r.Right + dx, r.Bottom + dy}; };
  for (size_t i = 0; i < notes_.size(); ++i) {
    const TQSVoiceEntry& e = notes_[i];
    const bool chosen = e.Selected || static_cast<int>(i) == active_;
    c.Brush().Color = chosen ? (focused ? RGB(255, 0, 0) : RGB(128, 128, 128)) : RGB(0, 0, 255);
    c.FillRect(shifted(e.Bounds));
  }
  if (ValidIndex(active_)) {
    c.Pen().Color = clBlack;
    c.Brush().Style = bsClear;
    c.Rectangle(shifted(notes_[static_cast<size_t>(active_)].Bounds));
  }
  // Measure ends from the 128 level down, the numbers at the top.
  c.Brush().Style = bsClear;
  for (const TQSVoiceMeasure& m : measures_) {
    if (m.Right <= m.Left) continue;
    c.Pen().Color = RGB(128, 128, 128);
    c.MoveTo(m.Right + dx, H - 138 + dy);
    c.LineTo(m.Right + dx, H - 10 + dy);
    if (m.Measure)
      c.TextOut(m.Left + 1 + dx, H - kMinHeight,
                std::to_string(ShownMeasureNumber(m.Measure->LayoutRecord, m.Measure->Index)));
  }
  c.Brush().Style = bsSolid;
  c.RestoreDC(level);
  PaintBarCorner(c);
  DrawDragOutline();
}

void TQSVelocityEditor::DrawDragOutline() {
  if (!dragging_ || !ValidIndex(active_)) return;
  const TRect& b = notes_[static_cast<size_t>(active_)].Bounds;
  const int dx = -HorzBar->Position(), dy = -VertBar->Position();
  const int top = std::clamp(b.Top + currentY_ - anchorY_, b.Bottom - 127, b.Bottom);
  DrawXor(DrawingArea(), TPen{clWhite, 1, psSolid, pmXor},
          [&](TCanvas& c) { c.Rectangle(b.Left + dx, top + dy, b.Right + dx, b.Bottom + dy); });
}

}  // namespace qs
