#include "uikit/musickeyboard.h"

#include <algorithm>

#include "platform/canvas.h"
#include "platform/keys.h"

namespace qs {

namespace {

constexpr int kOctaveButton = 16;  // the octave buttons' width
constexpr int kLabelRow = 14;      // the height of a key letter's row
// The white keys' colours by octave 1 .. 9.
constexpr TColor kOctaveColors[9] = {0xEAEAFF, 0xEAFFFF, 0xEAFFED, 0xFFFFEA, 0xFFFFFF,
                                     0xFFEAEB, 0xFFEAFF, 0xECEAFF, 0xEAFAFF};
constexpr TColor kLitWhite = 0x0000FF, kLitBlack = 0x0000DF, kDarkRed = 0x000080, kLightGrey = 0xC0C0C0;

int FloorDiv(int a, int b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

}  // namespace

TECMusicKeyboard::TECMusicKeyboard(TComponent* owner) : TCustomControl(owner) {
  color_ = clWhite;
  WantArrows = true;
  SetTabStop(true);
  SetBounds(0, 0, 600, 90);
  UpdateLayout();
}

// ------------------------------------------------------------ properties

void TECMusicKeyboard::SetStyle(int v) {
  if (v == style_) return;
  style_ = v;
  UpdateLayout();
  Invalidate();
}

void TECMusicKeyboard::SetSettingWidth(int v) {
  if (v == settingWidth_ || v < 0) return;
  settingWidth_ = v;
  UpdateLayout();
  Invalidate();
}

void TECMusicKeyboard::SetMaxDuration(int v) {
  if (v == maxDuration_ || v < 2 || v > 7) return;
  maxDuration_ = v;
  maxOffsetDuration_ = std::min(maxOffsetDuration_, v - 1);
  offsetDuration_ = std::min(offsetDuration_, maxOffsetDuration_);
  durationPosition_ = std::min(durationPosition_, v - 1);
  Invalidate();
}

void TECMusicKeyboard::SetDurationPosition(int v) {
  if (v == durationPosition_ || v < 0 || v >= maxDuration_) return;
  durationPosition_ = v;
  // The strip scrolls to show it (quietly: the value's event says enough).
  if (v < offsetDuration_) offsetDuration_ = v;
  else if (v >= maxDuration_ + offsetDuration_ - maxOffsetDuration_)
    offsetDuration_ = v + maxOffsetDuration_ - maxDuration_ + 1;
  InvalidateRect(StripRect());
  if (OnDurationChanged) OnDurationChanged(this);
}

void TECMusicKeyboard::SetOffsetDuration(int v) {
  if (v == offsetDuration_ || v < 0 || v > maxOffsetDuration_) return;
  offsetDuration_ = v;
  InvalidateRect(StripRect());
  if (OnOffsetChanged) OnOffsetChanged(this);
}

void TECMusicKeyboard::SetMaxOffsetDuration(int v) {
  if (v == maxOffsetDuration_ || v < 1 || v > maxDuration_ - 1) return;
  maxOffsetDuration_ = v;
  offsetDuration_ = std::min(offsetDuration_, v);
  Invalidate();
}

void TECMusicKeyboard::SetOctave(int v) {
  if (v == octave_ || v < 1 || v > 9) return;
  octave_ = v;
  if (!(style_ & msShowMarks)) return;
  Invalidate();
  if (offsetOctave_ >= v) SetOffsetOctave(v - 1);
  if (v - offsetOctave_ >= 9 - maxOffsetOttave_) SetOffsetOctave(v + maxOffsetOttave_ - 9);
}

void TECMusicKeyboard::SetOffsetOctave(int v) {
  if (v == offsetOctave_ || v < 0 || v > maxOffsetOttave_) return;
  offsetOctave_ = v;
  Invalidate();
  if (OnOffsetChanged) OnOffsetChanged(this);
}

void TECMusicKeyboard::SetMaxOffsetOttave(int v) {
  if (v == maxOffsetOttave_ || v < 1 || v > 8) return;
  maxOffsetOttave_ = v;
  offsetOctave_ = std::min(offsetOctave_, v);
  UpdateLayout();
  Invalidate();
}

void TECMusicKeyboard::SetKeys(const std::string& v) {
  if (v == keys_) return;
  keys_ = v;
  Invalidate();
}

// -------------------------------------------------------------- lighting

namespace {
// The slot of a lit key: Octave·7 + Step − 12 (middle C, octave 5, is 23).
int LitIndex(int octave, int step) { return octave * 7 + step - 12; }
constexpr bool kBlackPitch[12] = {false, true, false, true, false, false, true, false, true, false, true, false};
constexpr int kPitchStep[12] = {0, 0, 1, 1, 2, 3, 3, 4, 4, 5, 5, 6};
}  // namespace

void TECMusicKeyboard::LightKey(int octave, int step, bool black) {
  const int i = LitIndex(octave, step);
  if (i < 0 || i >= kWhiteKeys) return;
  uint8_t& s = black ? black_[static_cast<size_t>(i)] : white_[static_cast<size_t>(i)];
  if (s == ksLit) return;
  s = ksLit;
  InvalidateKey(i, black);
}

void TECMusicKeyboard::UnlightKey(int octave, int step, bool black) {
  const int i = LitIndex(octave, step);
  if (i < 0 || i >= kWhiteKeys) return;
  uint8_t& s = black ? black_[static_cast<size_t>(i)] : white_[static_cast<size_t>(i)];
  if (s != ksLit) return;
  s = ksNormal;
  InvalidateKey(i, black);
}

void TECMusicKeyboard::ClearLitKeys() {
  for (auto* keys : {&white_, &black_})
    for (uint8_t& s : *keys)
      if (s == ksLit) s = ksNormal;
  Invalidate();
}

void TECMusicKeyboard::LightPitch(int pitch) {
  if (pitch < 0 || pitch > 127) return;
  LightKey(pitch / 12, kPitchStep[pitch % 12], kBlackPitch[pitch % 12]);
}

void TECMusicKeyboard::UnlightPitch(int pitch) {
  if (pitch < 0 || pitch > 127) return;
  UnlightKey(pitch / 12, kPitchStep[pitch % 12], kBlackPitch[pitch % 12]);
}

void TECMusicKeyboard::ShowMidiMessage(uint8_t status, uint8_t key, uint8_t velocity) {
  const uint8_t kind = status & 0xF0;
  if (kind == 0x90 && velocity > 0) LightPitch(key);
  else if (kind == 0x80 || kind == 0x90) UnlightPitch(key);
}

uint8_t TECMusicKeyboard::KeyState(int index, bool black) const {
  if (index < 0 || index >= kWhiteKeys) return ksNormal;
  return black ? black_[static_cast<size_t>(index)] : white_[static_cast<size_t>(index)];
}

// ---------------------------------------------------------------- layout

bool TECMusicKeyboard::BlackKeyExists(int index) {
  if (index < 0 || index >= kWhiteKeys - 1) return false;
  const int step = WhiteStep(index);
  return step != 2 && step != 6;
}

void TECMusicKeyboard::BlackNote(int index, int& note, int& tone) {
  const int step = WhiteStep(index);
  // D and A: the flat of the letter above; C, F, G: the sharp of their own.
  if (step == 1 || step == 5) note = step + 2, tone = -1;
  else note = step + 1, tone = 1;
}

void TECMusicKeyboard::UpdateLayout() {
  // The width never falls to 0, however narrow the control: the hit test
  // divides by it.
  if (style_ & msScrollOctave) {
    visible_ = std::min(kWhiteKeys, 63 - 7 * maxOffsetOttave_);
    keyWidth_ = std::max(1, (ClientWidth() - settingWidth_ - 2 * kOctaveButton) / visible_);
  } else {
    visible_ = kWhiteKeys;
    keyWidth_ = std::max(1, (ClientWidth() - settingWidth_) / kWhiteKeys);
  }
}

int TECMusicKeyboard::KeyOrigin() const {
  if (!(style_ & msScrollOctave)) return 0;
  return kOctaveButton - (offsetOctave_ ? keyWidth_ * (7 * offsetOctave_ - 5) : 0);
}

int TECMusicKeyboard::KeyAreaEnd() const {
  return style_ & msScrollOctave ? visible_ * keyWidth_ + 2 * kOctaveButton + 1 : kWhiteKeys * keyWidth_ + 1;
}

int TECMusicKeyboard::GetFitWidth() const { return KeyAreaEnd() + settingWidth_; }

int TECMusicKeyboard::RowCount() const {
  return style_ & msScrollDuration ? maxDuration_ - maxOffsetDuration_ : maxDuration_;
}

int TECMusicKeyboard::RowHeight() const {
  const int h = style_ & msScrollDuration ? ClientHeight() - settingWidth_ / 2 : ClientHeight();
  return std::max(1, h / RowCount());
}

int TECMusicKeyboard::RowAt(int y) const {
  const int bottom = RowCount() * RowHeight();
  if (y >= bottom) return 0;
  const int r = (bottom - 1 - y) / RowHeight();
  return r < RowCount() ? r : -1;
}

TRect TECMusicKeyboard::StripRect() const {
  return TRect{KeyAreaEnd(), 0, KeyAreaEnd() + settingWidth_, ClientHeight()};
}

TRect TECMusicKeyboard::WhiteRect(int index) const {
  const int x = KeyOrigin() + index * keyWidth_;
  return TRect{x, 0, x + keyWidth_ + 1, ClientHeight()};
}

TRect TECMusicKeyboard::BlackRect(int index) const {
  const int boundary = KeyOrigin() + (index + 1) * keyWidth_;
  const int half = std::max(1, keyWidth_ / 4);
  return TRect{boundary - half, 0, boundary + half + 1, ClientHeight() * 4 / 5};
}

bool TECMusicKeyboard::GetKeyPoint(int octave, int step, bool black, int row, TPoint& point) const {
  const int i = LitIndex(octave, step);
  if (i < 0 || i >= kWhiteKeys) return false;
  point.X = KeyOrigin() + (i + 1) * keyWidth_ - (black ? 0 : keyWidth_ / 2);
  point.Y = RowCount() * RowHeight() - row * RowHeight() - RowHeight() / 2;
  return true;
}

TECMusicKeyboard::THit TECMusicKeyboard::HitTest(int x, int y) const {
  THit hit;
  const bool scroll = style_ & msScrollOctave;
  if (x < KeyAreaEnd()) {
    if (scroll && x < kOctaveButton) return {THitKind::OctaveLeft, -1};
    if (scroll && x >= KeyAreaEnd() - kOctaveButton - 1) return {THitKind::OctaveRight, -1};
    const int x0 = KeyOrigin(), w = keyWidth_;
    const int k = FloorDiv(x - x0, w);
    if (k < 0 || k >= kWhiteKeys) return hit;
    if (y < ClientHeight() * 4 / 5) {
      const int reach = w / 4 + 1;
      if (BlackKeyExists(k) && x >= x0 + (k + 1) * w - reach) return {THitKind::Black, k};
      if (BlackKeyExists(k - 1) && x <= x0 + k * w + reach) return {THitKind::Black, k - 1};
    }
    return {THitKind::White, k};
  }
  if (x >= KeyAreaEnd() + settingWidth_) return hit;
  if ((style_ & msScrollDuration) && y >= RowCount() * RowHeight())
    return {x < KeyAreaEnd() + settingWidth_ / 2 ? THitKind::ArrowLeft : THitKind::ArrowRight, -1};
  const int row = RowAt(y);
  if (row < 0) return hit;
  return {THitKind::Row, row + (style_ & msScrollDuration ? offsetDuration_ : 0)};
}

void TECMusicKeyboard::Resize() {
  UpdateLayout();
  TCustomControl::Resize();
}

void TECMusicKeyboard::SetParent(TWinControl* parent) {
  TCustomControl::SetParent(parent);
  UpdateLayout();
}

void TECMusicKeyboard::InvalidateKey(int index, bool black) {
  InvalidateRect(black ? BlackRect(index) : TRect{WhiteRect(index).Left - keyWidth_, 0, WhiteRect(index).Right + keyWidth_, ClientHeight()});
}

// ----------------------------------------------------------------- mouse

void TECMusicKeyboard::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (CanFocus()) SetFocus();
  const THit hit = HitTest(x, y);
  switch (hit.Kind) {
    case THitKind::OctaveLeft: case THitKind::OctaveRight: case THitKind::ArrowLeft: case THitKind::ArrowRight:
      pushed_ = hit.Kind;
      Invalidate();
      break;
    case THitKind::Black:
      black_[static_cast<size_t>(hit.Index)] = ksPressed;
      SetOctave(WhiteOctave(hit.Index));
      InvalidateKey(hit.Index, true);
      break;
    case THitKind::White:
      white_[static_cast<size_t>(hit.Index)] = ksPressed;
      SetOctave(WhiteOctave(hit.Index));
      InvalidateKey(hit.Index, false);
      break;
    case THitKind::Row: SetDurationPosition(hit.Index); break;
    case THitKind::None: break;
  }
  TCustomControl::MouseDown(button, shift, x, y);
}

void TECMusicKeyboard::MouseMove(TShiftState shift, int x, int y) {
  if (MouseTrack) {
    const THit hit = HitTest(x, y);
    bool taken = false;
    if (hit.Kind == THitKind::White || hit.Kind == THitKind::Black || hit.Kind == THitKind::Row) {
      const int row = RowAt(y);
      SetDurationPosition((row < 0 ? RowCount() - 1 : row) + (style_ & msScrollDuration ? offsetDuration_ : 0));
      taken = true;
      if (OnTrackMouse) OnTrackMouse(this, true);
    } else if (hit.Kind != THitKind::None) {
      SetCursor(crDefault);
    }
    if (!taken && x >= KeyAreaEnd() && OnTrackMouse) OnTrackMouse(this, false);
  }
  TCustomControl::MouseMove(shift, x, y);
}

void TECMusicKeyboard::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  switch (pushed_) {
    case THitKind::OctaveLeft: SetOffsetOctave(offsetOctave_ - 1); break;
    case THitKind::OctaveRight: SetOffsetOctave(offsetOctave_ + 1); break;
    case THitKind::ArrowLeft: SetOffsetDuration(offsetDuration_ + 1); break;
    case THitKind::ArrowRight: SetOffsetDuration(offsetDuration_ - 1); break;
    default: break;
  }
  if (pushed_ != THitKind::None) Invalidate();
  pushed_ = THitKind::None;
  ReleasePressed();
  TCustomControl::MouseUp(button, shift, x, y);
}

void TECMusicKeyboard::ReleasePressed() {
  // White keys first, then black ones, each in index order.
  for (int i = 0; i < kWhiteKeys; ++i)
    if (white_[static_cast<size_t>(i)] == ksPressed) {
      white_[static_cast<size_t>(i)] = ksNormal;
      InvalidateKey(i, false);
      if (OnKeyClick) OnKeyClick(this, WhiteOctave(i), WhiteStep(i) + 1, 0);
    }
  for (int i = 0; i < kWhiteKeys; ++i)
    if (black_[static_cast<size_t>(i)] == ksPressed) {
      black_[static_cast<size_t>(i)] = ksNormal;
      InvalidateKey(i, true);
      int note = 0, tone = 0;
      BlackNote(i, note, tone);
      if (OnKeyClick) OnKeyClick(this, WhiteOctave(i), note, tone);
    }
}

// ----------------------------------------------------------------- keys

int TECMusicKeyboard::LetterOf(uint16_t key) const {
  if (key < 'A' || key > 'Z') return 0;
  for (size_t i = 0; i < keys_.size() && i < 7; ++i)
    if (static_cast<uint16_t>(std::toupper(static_cast<unsigned char>(keys_[i]))) == key)
      return static_cast<int>(i) + 1;
  return 0;
}

void TECMusicKeyboard::KeyDown(uint16_t& key, TShiftState shift) {
  const bool move = !CtrlMove || (shift & ssCtrl);
  const int letter = LetterOf(key);
  if (key == VK_SPACE) {
    if (OnKeyClick) OnKeyClick(this, 0, -1, 0);
  } else if (move && key == VK_END) {
    SetOctave(8);
  } else if (move && (key == VK_LEFT || key == VK_RIGHT)) {
    SetOctave(octave_ + (key == VK_LEFT ? -1 : 1));
  } else if (move && (key == VK_UP || key == VK_DOWN)) {
    SetDurationPosition(durationPosition_ + (key == VK_UP ? 1 : -1));
  } else if (key >= '2' && key <= '9') {
    SetOctave(key - '1');
  } else if (letter) {
    // The letter's white key in the current octave; with Shift the black
    // key below it, reported as the letter's flat (C and F have none). A
    // slot off the keyboard is ignored.
    const bool black = shift & ssShift;
    const int index = octave_ * 7 + letter - 13 - (black ? 1 : 0);
    if (index >= 0 && index < kWhiteKeys && (!black || BlackKeyExists(index)) && typedSlot_ < 0) {
      (black ? black_ : white_)[static_cast<size_t>(index)] = ksPressed;
      typedSlot_ = index, typedBlack_ = black, typedLetter_ = letter;
      InvalidateKey(index, black);
    }
  }
  TCustomControl::KeyDown(key, shift);
}

void TECMusicKeyboard::KeyUp(uint16_t& key, TShiftState shift) {
  const int letter = LetterOf(key);
  if (letter && typedSlot_ >= 0) {
    auto& slots = typedBlack_ ? black_ : white_;
    const int index = typedSlot_;
    const bool black = typedBlack_;
    typedSlot_ = -1;
    if (slots[static_cast<size_t>(index)] == ksPressed) {
      slots[static_cast<size_t>(index)] = ksNormal;
      InvalidateKey(index, black);
      if (OnKeyClick) OnKeyClick(this, octave_, typedLetter_, black ? -1 : 0);
    }
  }
  TCustomControl::KeyUp(key, shift);
}

void TECMusicKeyboard::DoEnter() {
  Invalidate();
  TCustomControl::DoEnter();
}

void TECMusicKeyboard::DoExit() {
  Invalidate();
  TCustomControl::DoExit();
}

// -------------------------------------------------------------- painting

void TECMusicKeyboard::Paint() {
  TCanvas& c = Canvas();
  c.Brush().Style = bsSolid;
  c.Brush().Color = color_;
  c.FillRect(ClientRect());
  PaintKeys(c);
  PaintStrip(c);
}

void TECMusicKeyboard::PaintKeys(TCanvas& c) {
  const bool scroll = style_ & msScrollOctave;
  const int h = ClientHeight(), w = keyWidth_, x0 = KeyOrigin();
  const int left = scroll ? kOctaveButton : 0, right = scroll ? KeyAreaEnd() - kOctaveButton - 1 : KeyAreaEnd();
  const bool focused = Focused();
  // The space right of the last key.
  c.Brush().Color = style_ & msColorOctave ? kOctaveColors[8] : color_;
  c.FillRect(TRect{left, 0, right, h});
  c.Font().Name = "Liberation Sans";
  for (int i = 0; i < kWhiteKeys; ++i) {
    const int x = x0 + i * w;
    if (x + w < left || x > right) continue;
    const uint8_t s = white_[static_cast<size_t>(i)];
    const TColor face = s == ksLit ? kLitWhite
                        : style_ & msColorOctave ? kOctaveColors[WhiteOctave(i) - 1]
                                                 : color_;
    c.Pen().Color = clBlack;
    c.Brush().Color = face;
    c.Rectangle(std::max(x, left), 0, std::min(x + w + 1, right), h);
    if (s == ksPressed) {
      c.Pen().Color = clGray;
      c.Brush().Style = bsClear;
      c.Rectangle(std::max(x + 2, left), 2, std::min(x + w - 1, right), h - 2);
      c.Brush().Style = bsSolid;
    }
    if (!(style_ & msShowMarks) || x < left || x + w > right) continue;
    c.Brush().Style = bsClear;
    const bool current = WhiteOctave(i) == octave_;
    c.Font().Color = current ? (focused ? kDarkRed : clGray) : kLightGrey;
    c.Font().SetSize(8);
    const size_t step = static_cast<size_t>(WhiteStep(i));
    const std::string letter = step < keys_.size() ? keys_.substr(step, 1) : std::string();
    c.TextOut(x + (w - c.TextWidth(letter)) / 2, h - 16 - kLabelRow / 2, letter);
    if (step == 0 && i < kWhiteKeys - 1 && WhiteOctave(i) >= 2 && WhiteOctave(i) <= 8) {
      c.Font().SetSize(7);
      c.Font().Color = clBlack;
      c.TextOut(x + 2, 1, std::to_string(WhiteOctave(i)));
    }
    c.Brush().Style = bsSolid;
  }
  for (int i = 0; i < kWhiteKeys; ++i) {
    if (!BlackKeyExists(i)) continue;
    const TRect r = BlackRect(i);
    if (r.Right < left || r.Left > right) continue;
    const uint8_t s = black_[static_cast<size_t>(i)];
    c.Brush().Color = s == ksLit ? kLitBlack : clBlack;
    c.Pen().Color = s == ksPressed ? clGray : clBlack;
    c.Rectangle(std::max(r.Left, left), r.Top, std::min(r.Right, right), r.Bottom);
  }
  if (!scroll) return;
  // The octave buttons, pushed while held.
  const TRect buttons[2] = {{0, 0, kOctaveButton, h}, {right, 0, right + kOctaveButton, h}};
  for (int b = 0; b < 2; ++b) {
    const bool down = pushed_ == (b ? THitKind::OctaveRight : THitKind::OctaveLeft);
    const TRect& r = buttons[b];
    c.Brush().Color = down ? kLightGrey : 0xE0E0E0;
    c.Pen().Color = clGray;
    c.Rectangle(r);
    const int cx = (r.Left + r.Right) / 2, cy = h / 2;
    c.Brush().Color = clBlack;
    c.Pen().Color = clBlack;
    if (b == 0) c.Polygon({TPoint{cx + 3, cy - 5}, TPoint{cx - 3, cy}, TPoint{cx + 3, cy + 5}});
    else c.Polygon({TPoint{cx - 3, cy - 5}, TPoint{cx + 3, cy}, TPoint{cx - 3, cy + 5}});
  }
}

void TECMusicKeyboard::PaintStrip(TCanvas& c) {
  const TRect strip = StripRect();
  const bool scroll = style_ & msScrollDuration;
  const int rows = RowCount(), rh = RowHeight(), offset = scroll ? offsetDuration_ : 0;
  c.Font().Name = "Liberation Sans";
  c.Font().SetSize(8);
  c.Font().Color = Focused() ? clBlack : clGray;
  for (int r = 0; r < rows; ++r) {
    const int p = r + offset;
    const TRect cell{strip.Left, rows * rh - (r + 1) * rh, strip.Right, rows * rh - r * rh};
    const bool down = p == durationPosition_;
    c.Brush().Style = bsSolid;
    c.Brush().Color = down ? kLightGrey : 0xF0F0F0;
    c.Pen().Color = down ? clGray : clWhite;
    c.Rectangle(cell);
    c.Brush().Style = bsClear;
    const std::string label = p == 0 ? "c" : "1/" + std::to_string(1 << p);
    c.TextOut(cell.Left + (cell.Width() - c.TextWidth(label)) / 2, cell.Top + (rh - c.TextHeight(label)) / 2, label);
  }
  c.Brush().Style = bsSolid;
  if (!scroll) return;
  const int top = rows * rh, half = settingWidth_ / 2;
  for (int b = 0; b < 2; ++b) {
    const TRect r{strip.Left + b * half, top, strip.Left + (b + 1) * half, strip.Bottom};
    const bool down = pushed_ == (b ? THitKind::ArrowRight : THitKind::ArrowLeft);
    c.Brush().Color = down ? kLightGrey : 0xE0E0E0;
    c.Pen().Color = clGray;
    c.Rectangle(r);
    const int cx = (r.Left + r.Right) / 2, cy = (r.Top + r.Bottom) / 2;
    c.Brush().Color = clBlack;
    c.Pen().Color = clBlack;
    // Left: one row further (shorter values), right: back.
    if (b == 0) c.Polygon({TPoint{cx + 3, cy - 4}, TPoint{cx - 3, cy}, TPoint{cx + 3, cy + 4}});
    else c.Polygon({TPoint{cx - 3, cy - 4}, TPoint{cx + 3, cy}, TPoint{cx - 3, cy + 4}});
  }
}

}  // namespace qs
