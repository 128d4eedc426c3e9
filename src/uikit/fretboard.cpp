#include "uikit/fretboard.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "platform/bitmap.h"
#include "score/helpers.h"

namespace qs {

namespace {

constexpr TColor kOlive = RGB(128, 128, 0);
constexpr TColor kNearBlack = RGB(66, 64, 64);
constexpr TColor kCream = RGB(238, 238, 227);
constexpr TColor kYellow = RGB(255, 255, 0);

bool SingleDot(int i) { return i == 3 || i == 5 || i == 7 || i == 13 || i == 15 || i == 17 || i == 19; }
bool DoubleDot(int i) { return i == 10 || i == 22; }

}  // namespace

TECGuitar::TECGuitar(TComponent* owner) : TCustomControl(owner) {
  color_ = kOlive;
  WantArrows = true;
  SetBounds(0, 0, 300, 100);
  UpdateBoardGeometry();
}

void TECGuitar::SetDirection(TECGuitarDirection v) {
  if (v == direction_) return;
  direction_ = v;
  UpdateBoardGeometry();
  Invalidate();
}

void TECGuitar::SetFretCount(int v) {
  if (v == fretCount_ || v < 0) return;
  fretCount_ = v;
  UpdateBoardGeometry();
  Invalidate();
}

void TECGuitar::SetStringCount(int v) {
  if (v == stringCount_ || v < 0) return;
  stringCount_ = v;
  UpdateBoardGeometry();
  Invalidate();
}

void TECGuitar::SetFingerWidth(int v) {
  if (v == fingerWidth_) return;
  fingerWidth_ = v;
  Invalidate();
}

void TECGuitar::SetPanelWidth(int v) {
  if (v == panelWidth_) return;
  panelWidth_ = v;
  UpdateBoardGeometry();
  Invalidate();
}

void TECGuitar::UpdateBoardGeometry() {
  const int n = fretCount_;
  // Half a fret count rounds to the even neighbour (13 gives 6, 15 gives 8).
  const int half = int(std::nearbyint(n / 2.0));
  base_ = (ClientWidth() - panelWidth_) / (n + 1) - half;
  // A board lower than its strings still gives every string a band.
  spacing_ = std::max(1, ClientHeight() / (stringCount_ + 1));
}

void TECGuitar::SetParent(TWinControl* parent) {
  TCustomControl::SetParent(parent);
  UpdateBoardGeometry();
}

void TECGuitar::Resize() {
  TCustomControl::Resize();
  UpdateBoardGeometry();
}

int TECGuitar::CellWidth(int k) const {
  const int w = k >= fretCount_ ? base_ : base_ + fretCount_ - k;
  return std::max(1, w);  // a board too narrow for its frets keeps walkable cells
}

int TECGuitar::CellsUpTo(int k) const {
  int sum = 0;
  for (int i = 0; i <= k; ++i) sum += CellWidth(i);
  return sum;
}

int TECGuitar::StringY(int string) const {
  const int i = stringCount_ - 1 - string;
  return BottomDirection() ? (i + 1) * spacing_ : ClientHeight() - (i + 1) * spacing_;
}

int TECGuitar::GetFret(int string) const {
  if (string < 0 || string >= int(frets_.size())) return 0;
  return frets_[size_t(string)];
}

void TECGuitar::SetFret(int string, int value) {
  if (string < 0 || string >= stringCount_) return;
  value = std::clamp(value, 0, fretCount_ + 1);
  const int old = GetFret(string);
  if (value == old) {
    if (old == 0) return;
    value = 0;  // the same finger again lifts it
  }
  if (int(frets_.size()) <= string) frets_.resize(size_t(stringCount_), 0);
  frets_[size_t(string)] = value;
  Invalidate();
  Fire(OnFretChanged, this, old, value, string);
}

TPoint TECGuitar::GetFretPoint(int string, int fret) const {
  fret = std::clamp(fret, 0, fretCount_);
  const int w = ClientWidth(), p = panelWidth_;
  // The string's line as it is painted, whatever spare pixels the height
  // leaves.
  const int y = StringY(string);
  int x;
  if (fret == 0) {
    x = PanelLeft() ? p / 2 : w - p / 2;
  } else {
    const int before = fret >= 2 ? CellsUpTo(fret - 2) : 0;
    const int mid = (CellWidth(fret - 1) - 2) / 2;
    x = PanelLeft() ? p + before + mid : w - p - before - mid;
  }
  return TPoint{x, y};
}

void TECGuitar::CellAtPoint(int x, int y, int& string, int& value) const {
  const int h = ClientHeight(), w = ClientWidth(), p = panelWidth_, d = spacing_;
  const int yy = BottomDirection() ? y : h - y;
  string = stringCount_ - 1 - (yy - d / 2) / d;
  value = 1;
  if (PanelLeft()) {
    if (x < p) return;
    int end = p;
    for (int k = 0; k <= fretCount_; ++k) {
      end += CellWidth(k);
      if (end > x) {
        value = k + 2;
        return;
      }
    }
  } else {
    if (x > w - p) return;
    int begin = w - p;
    for (int k = 0; k <= fretCount_; ++k) {
      begin -= CellWidth(k);
      if (begin < x) {
        value = k + 2;
        return;
      }
    }
  }
}

void TECGuitar::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TCustomControl::MouseDown(button, shift, x, y);
  int string = 0, value = 0;
  CellAtPoint(x, y, string, value);
  SetFret(string, value);
}

std::string TECGuitar::NoteName(int fret, int string) {
  return OnGetNoteName ? OnGetNoteName(this, fret, string) : std::string();
}

void TECGuitar::Paint() {
  const int w = ClientWidth(), h = ClientHeight(), p = panelWidth_, f = fingerWidth_;
  const int n = fretCount_, s = stringCount_, d = spacing_;
  const bool left = PanelLeft();
  TBitmap board(std::max(1, w), std::max(1, h));
  TCanvas& c = board.Canvas();
  c.Font() = Font();
  c.Brush().Style = bsSolid;
  c.Brush().Color = ColorToRGB(Color());
  c.FillRect(ClientRect());
  const int panelLeft = left ? 0 : w - p;
  c.Brush().Color = clBlack;
  c.FillRect(TRect{panelLeft, 0, panelLeft + p, h});

  TFont numeralFont = Font();
  numeralFont.Name = kFretNumeralFace;
  numeralFont.Width = 0;
  numeralFont.Style = Font().Bold() ? fsBold : 0;
  const int m = BottomDirection() ? ((s + 1) * d) / 2 + 1 : h - ((s + 1) * d) / 2;
  const int radius = (2 * d) / 5;
  auto vline = [&](int x, TColor color) {
    c.Pen().Color = color;
    c.MoveTo(x, 0);
    c.LineTo(x, h);
  };
  auto dot = [&](int x, int y) {
    c.Pen().Color = kCream;
    c.Brush().Color = kCream;
    c.Brush().Style = bsSolid;
    c.Ellipse(x - radius, y - radius, x + radius, y + radius);
  };
  for (int i = 0; i < n; ++i) {
    const int a = left ? p + CellsUpTo(i) : w - p - CellsUpTo(i);
    vline(a - 1, clGray);
    vline(a, clWhite);
    vline(a + 1, clSilver);
    vline(a + 2, kNearBlack);
    const std::string numeral = IntToRoman(i + 1);
    c.Font() = numeralFont;
    c.Brush().Style = bsClear;
    const int tw = c.TextWidth(numeral), cw = CellWidth(i);
    const int cellLeft = left ? a - cw : a;
    const int shift = tw < cw - 5 ? 5 : tw < cw - 2 ? 2 : 0;
    c.TextOut(cellLeft + shift, 0, numeral);
    const int dx = left ? a + CellWidth(i + 1) / 2 : a - CellWidth(i + 1) / 2;
    if (SingleDot(i)) dot(dx, m);
    if (DoubleDot(i)) {
      dot(dx, m + d);
      dot(dx, m - d);
    }
  }
  c.Font() = Font();
  // A name wider than its room (a long one, as "Sol" or "Соль") is drawn
  // smaller until it fits, not cut off.
  auto fitted = [&](const std::string& text, int room) {
    c.Font() = Font();
    for (int size = Font().Size(); size > 4 && c.TextWidth(text) > room; --size) c.Font().SetSize(size - 1);
  };
  for (int i = 0; i < s; ++i) {
    const int string = s - 1 - i;
    const int y = StringY(string);
    const int x0 = left ? p : 0, x1 = left ? w : w - p;
    c.Pen().Color = kNearBlack;
    c.MoveTo(x0, y + 1);
    c.LineTo(x1, y + 1);
    c.Pen().Color = clWhite;
    c.MoveTo(x0, y);
    c.LineTo(x1, y);
    c.Brush().Style = bsClear;
    const std::string label = NoteName(-1, string);
    if (!label.empty()) {
      fitted(label, p - 2);
      c.Font().Color = clWhite;
      c.TextOut(panelLeft + (p - c.TextWidth(label)) / 2, y + 1 - c.TextHeight(label) / 2, label);
      c.Font() = Font();
    }
    const int v = GetFret(string);
    if (v <= 0) continue;
    int mx = panelLeft;
    if (v >= 2) {
      const int j = v - 2;
      mx = left ? p + CellsUpTo(j) - (CellWidth(j) - 2 + f) / 2 : w - p - CellsUpTo(j) + (CellWidth(j) - 2 - f) / 2;
    }
    c.Pen().Color = kNearBlack;
    c.Brush().Color = kYellow;
    c.Brush().Style = bsSolid;
    c.RoundRect(mx, y - d / 2, mx + f, y + d / 2 + 1, 4, 4);
    const std::string name = NoteName(v - 2, string);
    if (!name.empty()) {
      fitted(name, f - 2);
      c.Brush().Style = bsClear;
      c.Font().Color = clBlack;
      c.TextOut(mx + (f - c.TextWidth(name)) / 2, y + 1 - c.TextHeight(name) / 2, name);
      c.Font() = Font();
    }
  }
  Canvas().Draw(0, 0, board);
}

}  // namespace qs
