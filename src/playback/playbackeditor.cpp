#include "playback/playbackeditor.h"

#include <algorithm>
#include <string>
#include <vector>

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

TQSPlaybackEditor::TQSPlaybackEditor(TComponent* owner) : TQSVoiceEditor(owner) {
  contentHeight_ = 59 * noteHeight_;
  Resize();
  // The roll opens a little below the top C.
  VertBar->SetPosition(100);
}

int TQSPlaybackEditor::RowTop(int key) const {
  const int r = noteHeight_ * 2 / 3;
  return 59 * noteHeight_ - (key - kLowestKey) * r - r;
}

void TQSPlaybackEditor::Layout() {
  if (LayoutDeferred()) return;
  int x = 2 * panelWidth_;
  for (TQSVoiceMeasure& m : measures_) {
    const TQSMeasureSlot* slot = m.Measure ? m.Measure->LayoutRecord : nullptr;
    if (!slot) continue;
    m.Left = x;
    m.Right = x + slot->LengthFor(m.Measure->Index);
    m.Beats = std::max(1, slot->MeterFor(m.Measure->Index) >> 8);
    x = m.Right;
  }
  if (measures_.empty()) return;
  contentHeight_ = 59 * noteHeight_;
  IndexEntries();
  for (TQSVoiceEntry& e : notes_) CalcPlayedSpan(e);
  contentWidth_ = x;
  UpdateScrollBars();
}

void TQSPlaybackEditor::CalcPlayedSpan(TQSVoiceEntry& e) {
  const TQSNote* note = e.Note();
  const int L = measures_[static_cast<size_t>(e.MeasureIndex)].Left;
  const int t = noteHeight_ / 3;
  const int r = noteHeight_ * 2 / 3;
  const int top = RowTop(std::clamp<int>(e.Effect ? e.Effect->SoundingKey : note->SoundingKey, kLowestKey, kHighestKey));
  // Effect notes and grace notes are played bars only.
  if (e.Effect) {
    const int left = L + 1 + e.Effect->Fields.Time;
    e.Played = e.Bounds = TRect{left, top, left + e.Effect->Fields.Length, top + r + 1};
    e.Notated = TRect{};
    return;
  }
  if (const TQSVorschlag* grace = e.Grace()) {
    const int left = L + 1 + grace->Fields.Time + note->Fields.PlayOffset;
    const int length = note->Fields.PlayLength  ? note->Fields.PlayLength
                       : grace->Fields.Duration ? grace->Fields.Duration
                                                : note->Fields.RealLength;
    e.Played = e.Bounds = TRect{left, top, left + length, top + r + 1};
    e.Notated = TRect{};
    return;
  }
  const int left = L + 1 + note->Fields.Time;
  e.Notated = TRect{left, top, left + note->Fields.RealLength, top + t};
  const int stretch = note->Fields.PlayLength ? note->Fields.PlayLength - note->Fields.RealLength : 0;
  e.Played = TRect{e.Notated.Left + note->Fields.PlayOffset, top + t + 1,
                   e.Notated.Right + note->Fields.PlayOffset + stretch, top + r + 1};
  e.Bounds = TRect{std::min(e.Notated.Left, e.Played.Left), top, std::max(e.Notated.Right, e.Played.Right),
                   top + r + 1};
}

void TQSPlaybackEditor::Resize() {
  PlaceScrollBars(ClientWidth() / 2);
  UpdateScrollBars();
  TCustomControl::Resize();
}

int TQSPlaybackEditor::HitTest(int x, int y) const {
  const int cx = x + HorzBar->Position(), cy = y + VertBar->Position();
  for (size_t i = 0; i < notes_.size(); ++i) {
    const TRect& b = notes_[i].Bounds;
    if (cx >= b.Left && cx < b.Right && cy >= b.Top && cy < b.Bottom) return static_cast<int>(i);
  }
  return -1;
}

// Applies a change to each selected entry: noteChange to a note's or
// grace note's fields, effectChange to an effect's; each answers whether
// it changed anything.
template <class Change>
void TQSPlaybackEditor::ChangeSelected(Change change) {
  bool changed = false;
  {
    TSyncing guard(*this);
    for (TQSVoiceEntry& e : notes_) {
      if (!e.Selected) continue;
      changed |= e.Effect ? change(e.Effect->Fields) : change(e.Note()->Fields);
      CalcPlayedSpan(e);
    }
  }
  Invalidate();
  if (changed) NotifyChanged();
}

namespace {

// One-tick changes of a note's played length (0 = its sounding length).
bool LongerPlayed(TQSNote::TFields& f) {
  if (f.PlayLength == 0)
    f.PlayLength = static_cast<uint16_t>(f.RealLength + 1);
  else if (f.PlayLength + 1 == f.RealLength)
    f.PlayLength = 0;
  else
    ++f.PlayLength;
  return true;
}

bool ShorterPlayed(TQSNote::TFields& f) {
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
}

// An effect note's length stays within 8 .. 256 ticks and its position
// within 0 .. 512 under the keys and buttons.
template <int kDelta, int kBound>
bool StepWithin(uint16_t& v) {
  if (kDelta > 0 ? v >= kBound : v <= kBound) return false;
  v = static_cast<uint16_t>(v + kDelta);
  return true;
}

template <class NoteStep, class EffectStep>
struct TStep {
  NoteStep OnNote;
  EffectStep OnEffect;
  bool operator()(TQSNote::TFields& f) const { return OnNote(f); }
  bool operator()(TQSEffect::TFields& f) const { return OnEffect(f); }
};
template <class N, class E>
TStep(N, E) -> TStep<N, E>;

}  // namespace

void TQSPlaybackEditor::IncreaseSize() {
  ChangeSelected(TStep{LongerPlayed, [](TQSEffect::TFields& f) { return StepWithin<1, 256>(f.Length); }});
}

void TQSPlaybackEditor::DecreaseSize() {
  ChangeSelected(TStep{ShorterPlayed, [](TQSEffect::TFields& f) { return StepWithin<-1, 8>(f.Length); }});
}

void TQSPlaybackEditor::ShiftRight() {
  ChangeSelected(TStep{[](TQSNote::TFields& f) { return ++f.PlayOffset, true; },
                       [](TQSEffect::TFields& f) { return StepWithin<1, 512>(f.Time); }});
}

void TQSPlaybackEditor::ShiftLeft() {
  ChangeSelected(TStep{[](TQSNote::TFields& f) { return --f.PlayOffset, true; },
                       [](TQSEffect::TFields& f) { return StepWithin<-1, 0>(f.Time); }});
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
    const TQSVoiceMeasure& me = measures_[static_cast<size_t>(m)];
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
  if (shift & ssShift) {
    SelectRange(hit);
  } else if (shift & ssCtrl) {
    GrowSelection(hit);
  } else {
    SelectOnly(hit);
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
    DrawDragOutline();
    currentX_ = x;
    DrawDragOutline();
  }
  if (insertDuration_ >= 1) {
    DrawInsertMarker();
    PlaceMarker(x, y);
    DrawInsertMarker();
    Screen().SetCursor(crDefault);
    return;
  }
  const int hit = HitTest(x, y);
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
  DrawDragOutline();
  const int dx = x - anchorX_;
  const bool start = startDrag_;
  startDrag_ = endDrag_ = false;
  Screen().SetCursor(crDefault);
  if (active_ < 0 || active_ >= static_cast<int>(notes_.size()) || dx == 0) return;
  TQSVoiceEntry& e = notes_[static_cast<size_t>(active_)];
  if (e.Effect) {
    TQSEffect::TFields& f = e.Effect->Fields;
    if (start)
      f.Time = static_cast<uint16_t>(f.Time + dx);
    else
      f.Length = static_cast<uint16_t>(f.Length + dx > 0 ? f.Length + dx : 0);
  } else {
    TQSNote::TFields& f = e.Note()->Fields;
    if (start) {
      f.PlayOffset = static_cast<int16_t>(f.PlayOffset + dx);
    } else {
      if (f.PlayLength == 0) f.PlayLength = f.RealLength;
      if (f.PlayLength + dx > 0) f.PlayLength = static_cast<uint16_t>(f.PlayLength + dx);
      if (f.PlayLength == f.RealLength) f.PlayLength = 0;
    }
  }
  CalcPlayedSpan(e);
  Invalidate();
  NotifyChanged();
}

int TQSPlaybackEditor::RowNeighbour(int step) const {
  if (!ValidIndex(active_)) return -1;
  const TQSVoiceEntry& active = notes_[static_cast<size_t>(active_)];
  const int m = active.MeasureIndex;
  int best = -1, nearest = 0;
  // Backwards from the measure's last entry: at equal distance the later
  // entry wins.
  for (int i = measures_[static_cast<size_t>(m)].LastNote; ValidIndex(i); --i) {
    const TQSVoiceEntry& e = notes_[static_cast<size_t>(i)];
    if (e.MeasureIndex != m) break;
    const int distance = (e.Bounds.Top - active.Bounds.Top) * step;
    if (distance > 0 && (best < 0 || distance < nearest)) {
      best = i;
      nearest = distance;
    }
  }
  return best;
}

void TQSPlaybackEditor::KeyDown(uint16_t& key, TShiftState shift) {
  TCustomControl::KeyDown(key, shift);
  const int count = static_cast<int>(notes_.size());
  if (count == 0) return;
  const int step = key == VK_LEFT || key == VK_UP ? -1 : 1;
  switch (key) {
    case VK_HOME: SelectOnly(0); break;
    case VK_END: SelectOnly(count - 1); break;
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN: {
      const bool sideways = key == VK_LEFT || key == VK_RIGHT;
      if (!ValidIndex(active_))
        SetActiveEntry(step < 0 ? count - 1 : 0);
      else if (sideways && (shift & ssAlt))
        step < 0 ? DecreaseSize() : IncreaseSize();
      else if (sideways && (shift & ssCtrl))
        step < 0 ? ShiftLeft() : ShiftRight();
      else if (const int i = sideways ? Neighbour(step) : RowNeighbour(step); i >= 0)
        SelectOnly(i);
      break;
    }
    default: return;
  }
  Invalidate();
}

void TQSPlaybackEditor::Paint() {
  TCanvas& c = Canvas();
  const int w = ClientWidth(), h = ClientHeight();
  const int dx = -HorzBar->Position(), dy = -VertBar->Position();
  const TRect area = DrawingArea();
  c.Brush().Style = bsSolid;
  c.Brush().Color = clWhite;
  c.FillRect(TRect{0, 0, w, h});
  int level = c.SaveDC();
  c.IntersectClipRect(area);
  PaintKeyboard(c, area.Right, dy);
  c.RestoreDC(level);
  level = c.SaveDC();
  c.IntersectClipRect(TRect{2 * panelWidth_, area.Top, area.Right, area.Bottom});
  PaintMeasures(c, dx);
  // Entries: notated blue, played green, chosen red (grey without focus).
  const bool focused = Focused();
  const TColor chosenColour = focused ? RGB(255, 0, 0) : RGB(128, 128, 128);
  auto shifted = [&](const TRect& r) { return TRect{r.Left + dx, r.Top + dy, r.Right + dx, r.Bottom + dy}; };
  for (size_t i = 0; i < notes_.size(); ++i) {
    const TQSVoiceEntry& e = notes_[i];
    const bool chosen = e.Selected || static_cast<int>(i) == active_;
    auto fill = [&](const TRect& rc, TColor colour) {
      const TRect r = shifted(rc);
      if (r.Right <= area.Left || r.Left >= area.Right || r.Bottom <= area.Top || r.Top >= area.Bottom) return;
      c.Brush().Color = chosen ? chosenColour : colour;
      c.FillRect(r);
      c.Pen().Color = clBlack;
      c.MoveTo(r.Left, r.Top);
      c.LineTo(r.Left, r.Bottom);
      c.MoveTo(r.Right - 1, r.Top);
      c.LineTo(r.Right - 1, r.Bottom);
    };
    if (!e.Effect && !e.Grace()) fill(e.Notated, RGB(0, 0, 255));
    fill(e.Played, RGB(0, 128, 0));
  }
  if (ValidIndex(active_)) {
    c.Pen().Color = clBlack;
    c.Brush().Style = bsClear;
    c.Rectangle(shifted(notes_[static_cast<size_t>(active_)].Bounds));
    c.Brush().Style = bsSolid;
  }
  // The measure numbers stay at the top of what is shown.
  c.Font().Name = "Arial";
  c.Font().SetSize(8);
  c.Font().Color = clBlack;
  c.Brush().Style = bsClear;
  for (const TQSVoiceMeasure& m : measures_)
    if (m.Measure && m.Right > m.Left)
      c.TextOut(m.Left + 1 + dx, 0, std::to_string(ShownMeasureNumber(m.Measure->LayoutRecord, m.Measure->Index)));
  c.Brush().Style = bsSolid;
  c.RestoreDC(level);
  PaintBarCorner(c);
  DrawDragOutline();
  DrawInsertMarker();
}

void TQSPlaybackEditor::PaintKeyboard(TCanvas& c, int width, int dy) {
  const int NH = noteHeight_, t = NH / 3, P = 2 * panelWidth_, PW = panelWidth_;
  // The white keys are named with the score's letters (B or H for the
  // seventh, as the language has it).
  std::string letters = score_ ? score_->NoteNames : std::string();
  if (letters.size() < 7) letters = "CDEFGAB";
  static constexpr int kStep[12] = {0, 0, 1, 1, 2, 3, 3, 4, 4, 5, 5, 6};
  const TColor lightGrey = RGB(192, 192, 192), grey = RGB(128, 128, 128);
  c.Font().Name = "Arial";
  c.Font().Color = clBlack;
  c.Font().SetSize(8);
  const int letterHeight = c.TextHeight("A");
  std::vector<int> blackKeys;  // the boundaries black keys sit on
  // The white keys from the lowest A upwards: D, G and A take a third
  // more than the others, so that each black key lies on a boundary.
  int bottom = 59 * NH + dy;
  for (int key = kLowestKey; key <= kHighestKey; key += key % 12 == 4 || key % 12 == 11 ? 1 : 2) {
    const int pc = key % 12;
    const bool tall = key != kLowestKey && (pc == 2 || pc == 7 || pc == 9);
    const int top = bottom - (tall ? NH + t : NH);
    // The roll's rows in the colour of the octave, split at the semitones.
    c.Brush().Style = bsSolid;
    c.Brush().Color = kOctaveColours[std::clamp(key / 12, 1, 9) - 1];
    c.FillRect(TRect{P, top, width, bottom});
    c.Pen().Color = lightGrey;
    auto across = [&](int y) {
      c.MoveTo(P, y);
      c.LineTo(width, y);
    };
    if (pc == 0 || pc == 5) {
      across(top + t);
      across(bottom - 1);
    } else if (pc == 4 || pc == 11) {
      across(top + 2 * t);
    } else {
      across(top + t);
      across(top + 3 * t);
    }
    // The key: white, its right corners cut, a grey edge towards the roll.
    c.Brush().Color = clWhite;
    c.FillRect(TRect{0, top, P, bottom});
    c.Pen().Color = clBlack;
    c.Polyline({TPoint{0, top}, TPoint{P - 3, top}, TPoint{P - 2, top + 1}, TPoint{P - 2, bottom - 1},
                TPoint{P - 3, bottom}});
    c.Pen().Color = grey;
    c.MoveTo(P - 1, top);
    c.LineTo(P - 1, bottom + 1);
    c.Brush().Style = bsClear;
    c.Font().SetSize(8);
    c.TextOut(PW + 2, top + (bottom - top - letterHeight) / 2, std::string(1, letters[static_cast<size_t>(kStep[pc])]));
    if (pc == 0 && key / 12 >= 2 && key / 12 <= 8) {
      c.Font().SetSize(6);
      c.TextOut(2, bottom - c.TextHeight("8"), std::to_string(key / 12));
    }
    if (pc != 4 && pc != 11 && key <= 105) blackKeys.push_back(top);
    bottom = top;
  }
  // The black keys over the boundaries, bevelled at their right end.
  for (const int y : blackKeys) {
    const int top = y - t, low = y + t - 1;
    c.Pen().Color = clBlack;
    c.Brush().Style = bsSolid;
    c.Brush().Color = clBlack;
    c.Polygon({TPoint{0, top}, TPoint{PW - 4, top}, TPoint{PW - 1, top + 3}, TPoint{PW - 1, low}, TPoint{0, low}});
    c.Pen().Color = lightGrey;
    c.MoveTo(4, low - 2);
    c.LineTo(PW - 4, low - 2);
    c.Pen().Color = grey;
    c.Polyline({TPoint{PW - 2, top + 3}, TPoint{PW - 2, low - 1}, TPoint{4, low - 1}});
  }
  c.Brush().Style = bsSolid;
}

void TQSPlaybackEditor::PaintMeasures(TCanvas& c, int dx) {
  const int dy = -VertBar->Position();
  const int top = dy, bottom = contentHeight_ + dy;
  const TColor lightGrey = RGB(192, 192, 192);
  for (const TQSVoiceMeasure& m : measures_) {
    if (m.Right <= m.Left) continue;
    c.Pen().Style = psSolid;
    c.Pen().Color = RGB(128, 128, 128);
    c.MoveTo(m.Right + dx, top);
    c.LineTo(m.Right + dx, bottom);
    c.Brush().Style = bsSolid;
    c.Brush().Color = lightGrey;
    int before = m.Left;
    for (int j = 1; j <= m.Beats; ++j) {
      const int x = m.Left + (m.Right - m.Left) * j / m.Beats;
      if (j < m.Beats) {
        c.Pen().Style = psDot;
        c.Pen().Color = lightGrey;
        c.MoveTo(x + dx, top);
        c.LineTo(x + dx, bottom);
      }
      // Half a beat: a column of dots.
      if (m.Right - m.Left > 16) {
        const int mid = (before + x) / 2 + dx;
        for (int y = top; y < bottom; y += 4) c.FillRect(TRect{mid, y, mid + 1, y + 1});
      }
      before = x;
    }
  }
  c.Pen().Style = psSolid;
}

void TQSPlaybackEditor::SetInsertDuration(int ticks) {
  if (ticks == insertDuration_) return;
  DrawInsertMarker();
  insertDuration_ = ticks;
  // The marker shows once the mouse has moved over the roll.
  if (ticks <= 0) markerPlaced_ = false;
  DrawInsertMarker();
}

void TQSPlaybackEditor::PlaceMarker(int x, int y) {
  const int r = noteHeight_ * 2 / 3, t = noteHeight_ / 3;
  const int v = VertBar->Position();
  markerX_ = std::max((x - 4) / 2 * 2, 2 * panelWidth_);
  markerY_ = r * ((y + v - 4) / r) - v + t;
  markerPlaced_ = true;
}

void TQSPlaybackEditor::DrawInsertMarker() {
  if (insertDuration_ < 1 || !markerPlaced_) return;
  const int left = markerX_ / 8 * 8 + 1;
  const int r = noteHeight_ * 2 / 3;
  DrawXor(DrawingArea(), TPen{clWhite, 2, psSolid, pmXor},
          [&](TCanvas& c) { c.Rectangle(left, markerY_ + 1, left + insertDuration_, markerY_ + r); });
}

void TQSPlaybackEditor::DrawDragOutline() {
  if ((!startDrag_ && !endDrag_) || !ValidIndex(active_)) return;
  const TQSVoiceEntry& e = notes_[static_cast<size_t>(active_)];
  const int dx = -HorzBar->Position(), dy = -VertBar->Position();
  const int move = currentX_ - anchorX_;
  const int right = e.Played.Right + dx + move;
  const int left = std::min(e.Played.Left + dx + (startDrag_ ? move : 0), right);
  TRect clip = DrawingArea();
  clip.Left = 2 * panelWidth_;
  DrawXor(clip, TPen{clWhite, 1, psSolid, pmXor},
          [&](TCanvas& c) { c.Rectangle(left, e.Bounds.Top + dy, right, e.Bounds.Bottom + dy); });
}

}  // namespace qs
