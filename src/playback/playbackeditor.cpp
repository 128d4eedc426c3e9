#include "playback/playbackeditor.h"

#include <algorithm>

#include "platform/canvas.h"
#include "platform/forms.h"
#include "platform/keys.h"
#include "platform/stdctrls.h"
#include "score/calcrecords.h"
#include "score/measure.h"
#include "score/notes.h"
#include "score/part.h"
#include "score/score.h"
#include "score/slot.h"
#include "score/windowlink.h"

namespace qs {
namespace {

constexpr int kLowestKey = 21, kHighestKey = 108;
constexpr TColor kOctaveColours[9] = {RGB(255, 234, 234), RGB(255, 255, 234), RGB(237, 255, 234),
                                      RGB(234, 255, 255), RGB(255, 255, 255), RGB(235, 234, 255),
                                      RGB(255, 234, 255), RGB(255, 234, 236), RGB(255, 250, 234)};

}  // namespace

TQSNote* TQSPlaybackEditor::TNoteEntry::Note() const {
  return Element ? static_cast<TQSNote*>(Element->Item) : nullptr;
}

TQSPlaybackEditor::TQSPlaybackEditor(TComponent* owner) : TCustomControl(owner) {
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

int TQSPlaybackEditor::RowTop(int key) const {
  const int r = noteHeight_ * 2 / 3;
  return ContentHeight() - (key - kLowestKey) * r - r;
}

void TQSPlaybackEditor::EndUpdate() {
  if (updates_ > 0 && --updates_ == 0 && layoutPending_) {
    layoutPending_ = false;
    Layout();
    Invalidate();
  }
}

void TQSPlaybackEditor::Clear() {
  measures_.clear();
  notes_.clear();
  Invalidate();
}

void TQSPlaybackEditor::AddMeasure(TQSMeasure* measure) {
  if (measure && measure->Part()) score_ = measure->Part()->Score();
  TMeasureEntry entry;
  entry.Measure = measure;
  measures_.push_back(entry);
  Layout();
}

void TQSPlaybackEditor::AddNote(TQSCalcItem* element) {
  if (!element || !element->Item) return;
  const auto* note = static_cast<const TQSNote*>(element->Item);
  const TQSMeasure* measure = note->GetMeasure();
  // After the last entry of another measure or of a note not later.
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
  const TQSWindowLink* view = score_ ? score_->ActiveWindow() : nullptr;
  if (view && measure && view->CursorPosition.Measure == measure->Index && view->CursorPosition.Tick == note->Fields.Time)
    SetActiveEntry(static_cast<int>(at));
  Invalidate();
}

void TQSPlaybackEditor::Layout() {
  if (updates_ > 0) {
    layoutPending_ = true;
    return;
  }
  int x = 2 * panelWidth_;
  for (TMeasureEntry& m : measures_) {
    const TQSMeasureSlot* slot = m.Measure ? m.Measure->LayoutRecord : nullptr;
    if (!slot) continue;
    m.Left = x;
    m.Right = x + slot->LengthFor(m.Measure->Index);
    m.Beats = std::max(1, slot->MeterFor(m.Measure->Index) >> 8);
    x = m.Right;
  }
  if (measures_.empty()) return;
  const int first = measures_.front().Measure ? measures_.front().Measure->Index : 0;
  for (TNoteEntry& e : notes_) {
    const TQSNote* note = e.Note();
    const TQSMeasure* measure = note->GetMeasure();
    e.MeasureIndex = std::clamp((measure ? measure->Index : 0) - first, 0, static_cast<int>(measures_.size()) - 1);
    CalcPlayedSpan(e);
  }
  contentWidth_ = x;
  UpdateScrollBars();
}

void TQSPlaybackEditor::CalcPlayedSpan(TNoteEntry& e) {
  const TQSNote* note = e.Note();
  const int L = measures_[static_cast<size_t>(e.MeasureIndex)].Left;
  const int t = noteHeight_ / 3;
  const int r = noteHeight_ * 2 / 3;
  const int top = RowTop(std::clamp<int>(note->SoundingKey, kLowestKey, kHighestKey));
  const int left = L + 1 + note->Fields.Time;
  e.Notated = TRect{left, top, left + note->Fields.RealLength, top + t};
  const int stretch = note->Fields.PlayLength ? note->Fields.PlayLength - note->Fields.RealLength : 0;
  e.Played = TRect{e.Notated.Left + note->Fields.PlayOffset, top + t + 1,
                   e.Notated.Right + note->Fields.PlayOffset + stretch, top + r + 1};
  e.Bounds = TRect{std::min(e.Notated.Left, e.Played.Left), top, std::max(e.Notated.Right, e.Played.Right),
                   top + r + 1};
}

void TQSPlaybackEditor::Resize() {
  const int bar = 16;
  const int w = ClientWidth(), h = ClientHeight();
  if (HorzBar) HorzBar->SetBounds(w / 2, h - bar, std::max(0, w - bar - w / 2), bar);
  if (VertBar) VertBar->SetBounds(w - bar, 0, bar, std::max(0, h - bar));
  if (HorzBar) UpdateScrollBars();
  TCustomControl::Resize();
}

void TQSPlaybackEditor::UpdateScrollBars() {
  const int visibleWidth = std::max(1, ClientWidth() - VertBar->Width() - 2 * panelWidth_);
  const int visibleHeight = std::max(1, ClientHeight() - HorzBar->Height());
  auto set = [](TScrollBar* bar, int content, int visible) {
    const int page = std::min(content, visible);
    bar->SetParams(std::clamp(bar->Position(), 0, std::max(0, content - page)), 0, std::max(0, content), page);
  };
  set(HorzBar, contentWidth_, visibleWidth);
  set(VertBar, ContentHeight(), visibleHeight);
}

int TQSPlaybackEditor::HitTest(int x, int y) const {
  const int cx = x + HorzBar->Position(), cy = y + VertBar->Position();
  for (size_t i = 0; i < notes_.size(); ++i) {
    const TRect& b = notes_[i].Bounds;
    if (cx >= b.Left && cx < b.Right && cy >= b.Top && cy < b.Bottom) return static_cast<int>(i);
  }
  return -1;
}

void TQSPlaybackEditor::SetActiveEntry(int index) {
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
  const TQSNote* note = e.Note();
  view->SetCursorMeasure(note->GetMeasure() ? note->GetMeasure()->Index : 0);
  view->SetCursorTick(note->Fields.Time);
  syncing_ = false;
}

void TQSPlaybackEditor::ClearSelection() {
  for (size_t i = 0; i < notes_.size(); ++i)
    if (static_cast<int>(i) != active_) notes_[i].Selected = false;
  Invalidate();
}

void TQSPlaybackEditor::NotifyChanged() {
  if (!score_ || !score_->OnChanged) return;
  ++updates_;
  try {
    score_->FireChanged(this);
  } catch (...) {
    --updates_;
    throw;
  }
  --updates_;
  SetFocus();
}

template <class Change>
void TQSPlaybackEditor::ChangeSelected(Change change) {
  bool any = false, changed = false;
  for (TNoteEntry& e : notes_) {
    if (!e.Selected) continue;
    any = true;
    changed |= change(e.Note()->Fields);
    CalcPlayedSpan(e);
  }
  Invalidate();
  (void)any;
  if (changed) NotifyChanged();
}

void TQSPlaybackEditor::IncreaseSize() {
  ChangeSelected([](TQSNote::TFields& f) {
    if (f.PlayLength == 0)
      f.PlayLength = static_cast<uint16_t>(f.RealLength + 1);
    else if (f.PlayLength + 1 == f.RealLength)
      f.PlayLength = 0;
    else
      ++f.PlayLength;
    return true;
  });
}

void TQSPlaybackEditor::DecreaseSize() {
  ChangeSelected([](TQSNote::TFields& f) {
    if (f.PlayLength == 0) {
      // A note of one tick plays at least that tick.
      if (f.RealLength <= 1) return false;
      f.PlayLength = static_cast<uint16_t>(f.RealLength - 1);
    } else if (f.PlayLength - 1 == f.RealLength || f.PlayLength == 1) {
      f.PlayLength = 0;
    } else {
      --f.PlayLength;
    }
    return true;
  });
}

void TQSPlaybackEditor::ShiftRight() {
  ChangeSelected([](TQSNote::TFields& f) {
    ++f.PlayOffset;
    return true;
  });
}

void TQSPlaybackEditor::ShiftLeft() {
  ChangeSelected([](TQSNote::TFields& f) {
    --f.PlayOffset;
    return true;
  });
}

void TQSPlaybackEditor::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (!Focused()) SetFocus();
  TCustomControl::MouseDown(button, shift, x, y);
  if (button != mbLeft) return;
  if (insertDuration_ >= 1) {
    if (measures_.empty()) return;
    const int a = std::max((x + HorzBar->Position() - 4) / 8 * 8, 2 * panelWidth_);
    int m = 0;
    for (size_t i = 0; i < measures_.size(); ++i)
      if (measures_[i].Left <= a) m = static_cast<int>(i);
    const TMeasureEntry& me = measures_[static_cast<size_t>(m)];
    // Right of the last measure there is no tick to put a note on.
    if (a >= me.Right) return;
    const int r = noteHeight_ * 2 / 3;
    // Below and above the piano the lowest and highest key.
    const int key = std::clamp(kHighestKey - (y + VertBar->Position() - 4) / r, kLowestKey, kHighestKey);
    if (OnPlaybackNote) OnPlaybackNote(this, m, a - me.Left, static_cast<uint8_t>(key));
    return;
  }
  const int hit = HitTest(x, y);
  if (hit < 0) {
    ClearSelection();
    return;
  }
  const int previous = active_;
  if (shift & ssShift) {
    ClearSelection();
    SetActiveEntry(hit);
    if (previous >= 0 && previous != hit && previous < static_cast<int>(notes_.size()))
      for (int i = std::min(previous, hit); i <= std::max(previous, hit); ++i) notes_[static_cast<size_t>(i)].Selected = true;
  } else if (shift & ssCtrl) {
    SetActiveEntry(hit);
    if (previous >= 0 && previous != hit && previous < static_cast<int>(notes_.size()))
      notes_[static_cast<size_t>(previous)].Selected = true;
  } else {
    ClearSelection();
    SetActiveEntry(hit);
    const TRect& p = notes_[static_cast<size_t>(hit)].Played;
    const int left = p.Left - HorzBar->Position(), right = p.Right - HorzBar->Position();
    if (x <= left + 4)
      startDrag_ = true;
    else if (x >= right - 4 && x <= right)
      endDrag_ = true;
    anchorX_ = currentX_ = x;
  }
  Invalidate();
}

void TQSPlaybackEditor::MouseMove(TShiftState shift, int x, int y) {
  TCustomControl::MouseMove(shift, x, y);
  if (startDrag_ || endDrag_) {
    currentX_ = x;
    Invalidate();
  }
  const int hit = insertDuration_ >= 1 ? -1 : HitTest(x, y);
  bool edge = false;
  if (hit >= 0) {
    const TRect& p = notes_[static_cast<size_t>(hit)].Played;
    const int left = p.Left - HorzBar->Position(), right = p.Right - HorzBar->Position();
    edge = x <= left + 4 || (x >= right - 4 && x <= right);
  }
  Screen().SetCursor(edge || startDrag_ || endDrag_ ? crSizeWE : crDefault);
}

void TQSPlaybackEditor::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  TCustomControl::MouseUp(button, shift, x, y);
  if (!startDrag_ && !endDrag_) return;
  const int dx = x - anchorX_;
  const bool start = startDrag_;
  startDrag_ = endDrag_ = false;
  Screen().SetCursor(crDefault);
  if (active_ < 0 || active_ >= static_cast<int>(notes_.size()) || dx == 0) return;
  TNoteEntry& e = notes_[static_cast<size_t>(active_)];
  TQSNote::TFields& f = e.Note()->Fields;
  if (start) {
    f.PlayOffset = static_cast<int16_t>(f.PlayOffset + dx);
  } else {
    if (f.PlayLength == 0) f.PlayLength = f.RealLength;
    if (f.PlayLength + dx > 0) f.PlayLength = static_cast<uint16_t>(f.PlayLength + dx);
    if (f.PlayLength == f.RealLength) f.PlayLength = 0;
  }
  CalcPlayedSpan(e);
  Invalidate();
  NotifyChanged();
}

void TQSPlaybackEditor::KeyDown(uint16_t& key, TShiftState shift) {
  TCustomControl::KeyDown(key, shift);
  const int count = static_cast<int>(notes_.size());
  if (count == 0) return;
  const bool valid = active_ >= 0 && active_ < count;
  auto activate = [&](int i) {
    ClearSelection();
    SetActiveEntry(i);
  };
  switch (key) {
    case VK_HOME: activate(0); break;
    case VK_END: activate(count - 1); break;
    case VK_LEFT:
      if (!valid) SetActiveEntry(count - 1);
      else if (shift & ssAlt) DecreaseSize();
      else if (shift & ssCtrl) ShiftLeft();
      else
        for (int i = active_ - 1; i >= 0; --i)
          if (notes_[size_t(i)].Bounds.Left < notes_[size_t(active_)].Bounds.Left) {
            activate(i);
            break;
          }
      break;
    case VK_RIGHT:
      if (!valid) SetActiveEntry(0);
      else if (shift & ssAlt) IncreaseSize();
      else if (shift & ssCtrl) ShiftRight();
      else
        for (int i = active_ + 1; i < count; ++i)
          if (notes_[size_t(i)].Bounds.Left > notes_[size_t(active_)].Bounds.Left) {
            activate(i);
            break;
          }
      break;
    default: return;
  }
  Invalidate();
}

void TQSPlaybackEditor::Paint() {
  TCanvas& c = Canvas();
  const int w = ClientWidth(), h = ClientHeight();
  const int dx = -HorzBar->Position(), dy = -VertBar->Position();
  const int r = noteHeight_ * 2 / 3;
  const int P = 2 * panelWidth_;
  c.Brush().Style = bsSolid;
  c.Brush().Color = clWhite;
  c.FillRect(TRect{0, 0, w, h});
  // Rows by octave, and the keyboard.
  static constexpr bool kBlack[12] = {false, true, false, true, false, false, true, false, true, false, true, false};
  static constexpr char kLetters[] = "CDEFGAH";
  static constexpr int kStep[12] = {0, 0, 1, 1, 2, 3, 3, 4, 4, 5, 5, 6};
  c.Font().Name = "Arial";
  c.Font().SetSize(6);
  for (int key = kLowestKey; key <= kHighestKey; ++key) {
    const int top = RowTop(key) + dy;
    const int octave = std::clamp(key / 12, 1, 9);
    c.Brush().Color = kOctaveColours[octave - 1];
    c.FillRect(TRect{P, top, w, top + r});
    c.Brush().Color = kBlack[key % 12] ? clBlack : clWhite;
    c.FillRect(TRect{0, top, P, top + r});
    if (!kBlack[key % 12] && r >= 6) {
      c.Brush().Style = bsClear;
      c.TextOut(panelWidth_ + 2, top - 2, std::string(1, kLetters[kStep[key % 12]]));
      c.Brush().Style = bsSolid;
    }
  }
  c.Pen().Color = RGB(128, 128, 128);
  c.MoveTo(P - 1, 0);
  c.LineTo(P - 1, h);
  // Measures and beats.
  for (const TMeasureEntry& m : measures_) {
    c.Pen().Style = psSolid;
    c.Pen().Color = RGB(128, 128, 128);
    c.MoveTo(m.Right + dx, 0);
    c.LineTo(m.Right + dx, h);
    c.Pen().Style = psDot;
    c.Pen().Color = RGB(192, 192, 192);
    for (int j = 1; j < m.Beats; ++j) {
      const int x = m.Left + (m.Right - m.Left) * j / m.Beats + dx;
      c.MoveTo(x, 0);
      c.LineTo(x, h);
    }
  }
  c.Pen().Style = psSolid;
  // Entries: notated blue, played green, chosen red (grey without focus).
  const bool focused = Focused();
  for (size_t i = 0; i < notes_.size(); ++i) {
    const TNoteEntry& e = notes_[i];
    const bool chosen = e.Selected || static_cast<int>(i) == active_;
    auto fill = [&](const TRect& rc, TColor colour) {
      c.Brush().Color = chosen ? (focused ? RGB(255, 0, 0) : RGB(128, 128, 128)) : colour;
      c.FillRect(TRect{rc.Left + dx, rc.Top + dy, rc.Right + dx, rc.Bottom + dy});
      c.Pen().Color = clBlack;
      c.MoveTo(rc.Left + dx, rc.Top + dy);
      c.LineTo(rc.Left + dx, rc.Bottom + dy);
      c.MoveTo(rc.Right - 1 + dx, rc.Top + dy);
      c.LineTo(rc.Right - 1 + dx, rc.Bottom + dy);
    };
    fill(e.Notated, RGB(0, 0, 255));
    fill(e.Played, RGB(0, 128, 0));
  }
  // The outline of a drag under way.
  if ((startDrag_ || endDrag_) && active_ >= 0 && active_ < static_cast<int>(notes_.size())) {
    const TNoteEntry& e = notes_[static_cast<size_t>(active_)];
    const int move = currentX_ - anchorX_;
    int left = e.Played.Left + dx + (startDrag_ ? move : 0);
    const int right = e.Played.Right + dx + move;
    left = std::min(left, right);
    c.Brush().Style = bsClear;
    c.Pen().Color = clBlack;
    c.Rectangle(left, e.Bounds.Top + dy, right, e.Bounds.Bottom + dy);
    c.Brush().Style = bsSolid;
  }
  c.Font().SetSize(8);
  c.Brush().Style = bsClear;
  for (const TMeasureEntry& m : measures_)
    if (m.Measure) c.TextOut(m.Left + 1 + dx, 0, std::to_string(m.Measure->Index + 1));
  c.Brush().Style = bsSolid;
}

}  // namespace qs
