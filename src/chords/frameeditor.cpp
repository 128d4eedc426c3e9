#include "chords/frameeditor.h"

#include <algorithm>
#include <set>

namespace qs {

std::vector<int> AssignFingers(std::vector<TQSFrameString>& strings) {
  std::set<int> frets;
  for (const TQSFrameString& e : strings)
    if (e.Fret >= 1 && e.Fret <= 254) frets.insert(e.Fret);
  std::vector<int> changed;
  for (size_t i = 0; i < strings.size(); ++i) {
    TQSFrameString& e = strings[i];
    if (e.Fret < 1 || e.Fret > 254) continue;
    // Four fingers cover four frets; a fifth fret leaves the fingering to
    // the user.
    const int finger = frets.size() < 5 ? static_cast<int>(std::distance(frets.begin(), frets.find(e.Fret))) + 1 : 0;
    if (e.Finger != finger) {
      e.Finger = static_cast<uint8_t>(finger);
      changed.push_back(static_cast<int>(i));
    }
  }
  return changed;
}

TECFrameEditor::TECFrameEditor(TComponent* owner) : TCustomControl(owner) {
  color_ = clWhite;
  SetTabStop(true);
  strings_.resize(6);
  barre_.resize(5);
  SetBounds(0, 0, 160, 180);
}

void TECFrameEditor::Changed() {
  Invalidate();
  Fire(OnChanged, this);
}

void TECFrameEditor::SetStringCount(int value) {
  value = std::clamp(value, 0, 255);
  if (value == StringCount()) return;
  strings_.resize(static_cast<size_t>(value));
  Changed();
}

void TECFrameEditor::SetFretCount(int value) {
  value = std::clamp(value, 0, 255);
  if (value == fretCount_) return;
  fretCount_ = value;
  Changed();
}

void TECFrameEditor::SetUsedFretCount(int value) {
  value = std::clamp(value, 0, 255);
  if (value == UsedFretCount()) return;
  barre_.resize(static_cast<size_t>(value));
  Changed();
}

void TECFrameEditor::SetStartFret(int value) {
  value = std::clamp(value, 0, 255);
  if (value == startFret_) return;
  startFret_ = value;
  Changed();
}

void TECFrameEditor::SetOrientation(TECFrameOrientation value) {
  if (value == orientation_) return;
  orientation_ = value;
  Changed();
}

const TQSFrameString* TECFrameEditor::GetString(int index) const {
  return index >= 0 && index < StringCount() ? &strings_[static_cast<size_t>(index)] : nullptr;
}

void TECFrameEditor::SetString(int index, const TQSFrameString& entry) {
  if (index < 0 || index >= StringCount()) return;
  strings_[static_cast<size_t>(index)] = entry;
  Changed();
}

void TECFrameEditor::SetFinger(int index, uint8_t finger) {
  if (index < 0 || index >= StringCount() || strings_[static_cast<size_t>(index)].Finger == finger) return;
  strings_[static_cast<size_t>(index)].Finger = finger;
  Changed();
}

uint8_t TECFrameEditor::GetBarre(int fret) const {
  return fret >= 0 && fret < UsedFretCount() ? barre_[static_cast<size_t>(fret)] : 0;
}

void TECFrameEditor::SetBarre(int fret, uint8_t value) {
  if (fret < 0 || fret >= UsedFretCount()) return;
  barre_[static_cast<size_t>(fret)] = value;
  Changed();
}

// ------------------------------------------------------------- geometry
//
// Everything is worked out upright (foTop): u runs across the strings
// (string s at u = 20 s), v along the neck (the nut at v = 0, shown fret f
// between 20 (f - 1) and 20 f); foLeft exchanges the two axes.

TRect TECFrameEditor::GridRect() const {
  const int across = kCell * std::max(0, StringCount() - 1), along = kCell * UsedFretCount();
  const int w = Turned() ? along : across, h = Turned() ? across : along;
  const int left = (ClientWidth() - w) / 2, top = (ClientHeight() - h) / 2;
  return TRect{left, top, left + w, top + h};
}

TRect TECFrameEditor::Place(int u0, int v0, int u1, int v1) const {
  const TRect g = GridRect();
  if (Turned()) return TRect{g.Left + v0, g.Top + u0, g.Left + v1, g.Top + u1};
  return TRect{g.Left + u0, g.Top + v0, g.Left + u1, g.Top + v1};
}

TPoint TECFrameEditor::PlacePoint(int u, int v) const {
  const TRect r = Place(u, v, u, v);
  return TPoint{r.Left, r.Top};
}

TRect TECFrameEditor::GetFingerBoxRect(int string) const {
  const int along = kCell * UsedFretCount(), u = kCell * string;
  return Place(u - 8, along + 2, u + 8, along + 18);
}

TPoint TECFrameEditor::GetCellPoint(int string, int fret) const {
  return PlacePoint(kCell * string, kCell * fret - kCell / 2);
}

TRect TECFrameEditor::StartButtonRect(bool up) const {
  const int mid = kCell * UsedFretCount() / 2;
  return up ? Place(-30, mid - 32, -14, mid - 16) : Place(-30, mid + 16, -14, mid + 32);
}

TRect TECFrameEditor::BarreBoxRect(int fret) const {
  // Half a cell out from the grid, where the last string's band ends.
  const int across = kCell * std::max(0, StringCount() - 1);
  return Place(across + 11, kCell * fret + 2, across + 27, kCell * fret + 18);
}

TECFrameEditor::THit TECFrameEditor::HitTest(int x, int y) const {
  THit hit;
  if (!Shown()) return hit;
  const TRect g = GridRect();
  const int u = Turned() ? y - g.Top : x - g.Left, v = Turned() ? x - g.Left : y - g.Top;
  const int across = kCell * std::max(0, StringCount() - 1), along = kCell * UsedFretCount();
  auto inside = [&](const TRect& r) { return x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom; };
  if (u < -kCell / 2) {
    if (inside(StartButtonRect(true))) hit.Kind = THit::StartUp;
    else if (inside(StartButtonRect(false))) hit.Kind = THit::StartDown;
    return hit;
  }
  if (u > across + kCell / 2) {
    // The bottom edge of the grid belongs to no row.
    if (v >= 0 && v < along) hit = {THit::Barre, 0, v / kCell};
    return hit;
  }
  const int s = std::clamp((u + kCell / 2) / kCell, 0, std::max(0, StringCount() - 1));
  if (StringCount() == 0) return hit;
  if (v > along) return {THit::Finger, s, 0};
  if (v >= 0) return {THit::Cell, s, std::min(v / kCell + 1, UsedFretCount())};
  return {THit::AboveNut, s, 0};
}

// ------------------------------------------------------------- the mouse

void TECFrameEditor::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TCustomControl::MouseDown(button, shift, x, y);
  if (!Shown()) return;
  if (CanFocus()) SetFocus();
  const THit hit = HitTest(x, y);
  switch (hit.Kind) {
    case THit::None: break;
    case THit::StartUp: pressed_ = kUpButton, Invalidate(); break;
    case THit::StartDown: pressed_ = kDownButton, Invalidate(); break;
    case THit::Barre:
      pressed_ = hit.Fret + 1;
      barre_[static_cast<size_t>(hit.Fret)] = barre_[static_cast<size_t>(hit.Fret)] ? 0 : 1;
      Changed();
      break;
    case THit::Finger:
      pressed_ = kFingerBox + hit.String;
      Invalidate();
      if (OnGetFinger) OnGetFinger(this, hit.String);
      break;
    case THit::Cell: {
      TQSFrameString& e = strings_[static_cast<size_t>(hit.String)];
      if (e.Fret == hit.Fret) {
        // The same cell again mutes the string.
        e.Finger = kMutedString;
        e.Fret = kMutedString;
      } else {
        e.Fret = static_cast<uint8_t>(hit.Fret);
      }
      AssignFingers(strings_);
      Changed();
      break;
    }
    case THit::AboveNut: {
      TQSFrameString& e = strings_[static_cast<size_t>(hit.String)];
      if (e.Fret == 0) {
        e.Finger = kMutedString;
        e.Fret = kMutedString;
      } else {
        e.Finger = 0;
        e.Fret = 0;
        AssignFingers(strings_);
      }
      Changed();
      break;
    }
  }
}

void TECFrameEditor::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  TCustomControl::MouseUp(button, shift, x, y);
  const int pressed = pressed_;
  pressed_ = 0;
  if (pressed == kUpButton && startFret_ > 0) {
    --startFret_;
    Changed();
  } else if (pressed == kDownButton && startFret_ + 1 < fretCount_ - 1) {
    // The window of shown frets stops before the last fret of the neck.
    ++startFret_;
    Changed();
  } else if (pressed > 0) {
    Invalidate();
  }
}

// ------------------------------------------------------------- painting

void TECFrameEditor::Paint() {
  TCanvas& c = Canvas();
  c.Brush() = TBrush{};
  c.Brush().Color = ColorToRGB(Color());
  c.FillRect(ClientRect());
  if (!Shown()) return;
  c.Font() = Font();
  c.Pen() = TPen{};
  c.Pen().Color = clBlack;
  const int strings = StringCount(), used = UsedFretCount();
  const int across = kCell * std::max(0, strings - 1), along = kCell * used;
  auto line = [&](int u0, int v0, int u1, int v1) {
    const TPoint a = PlacePoint(u0, v0), b = PlacePoint(u1, v1);
    c.MoveTo(a.X, a.Y);
    c.LineTo(b.X, b.Y);
  };
  auto centredText = [&](const std::string& text, TPoint mid) {
    c.Brush().Style = bsClear;
    c.TextOut(mid.X - c.TextWidth(text) / 2, mid.Y - c.TextHeight(text) / 2, text);
  };
  auto button = [&](const TRect& r, bool down) {
    c.Brush() = TBrush{};
    c.Brush().Color = ColorToRGB(clBtnFace);
    c.Pen().Color = ColorToRGB(down ? clBtnShadow : clBtnHighlight);
    c.Rectangle(r);
    c.Pen().Color = ColorToRGB(down ? clBtnHighlight : clBtnShadow);
    c.MoveTo(r.Right - 1, r.Top);
    c.LineTo(r.Right - 1, r.Bottom - 1);
    c.LineTo(r.Left, r.Bottom - 1);
    c.Pen().Color = clBlack;
  };
  // The nut, then the marks above it.
  if (startFret_ == 0) {
    c.Pen().Width = 2;
    line(0, -4, across, -4);
    c.Pen().Width = 1;
  }
  const int markV = startFret_ == 0 ? -16 : -12;
  // The grid.
  c.Brush().Style = bsClear;
  c.Rectangle(Place(0, 0, across + 1, along + 1));
  for (int s = 1; s < strings - 1; ++s) line(kCell * s, 0, kCell * s, along);
  for (int f = 1; f < used; ++f) line(0, kCell * f, across, kCell * f);
  // The first shown fret and the buttons that move the window.
  centredText(std::to_string(startFret_ + 1), PlacePoint(-22, along / 2));
  for (bool up : {true, false}) {
    const TRect r = StartButtonRect(up);
    button(r, pressed_ == (up ? kUpButton : kDownButton));
    const int cx = (r.Left + r.Right) / 2, cy = (r.Top + r.Bottom) / 2;
    c.Brush() = TBrush{};
    c.Brush().Color = clBlack;
    // The arrow points toward the nut (up) or away from it (down).
    const int d = up ? -3 : 3;
    if (Turned()) c.Polygon({TPoint{cx + d, cy}, TPoint{cx - d, cy - 3}, TPoint{cx - d, cy + 3}});
    else c.Polygon({TPoint{cx, cy + d}, TPoint{cx - 3, cy - d}, TPoint{cx + 3, cy - d}});
  }
  // The barre boxes.
  for (int f = 0; f < used; ++f) {
    const TRect r = BarreBoxRect(f);
    button(r, pressed_ == f + 1);
    if (barre_[static_cast<size_t>(f)]) {
      c.Pen().Width = 2;
      c.MoveTo(r.Left + 4, r.Top + 8);
      c.LineTo(r.Left + 7, r.Bottom - 4);
      c.LineTo(r.Right - 4, r.Top + 4);
      c.Pen().Width = 1;
    }
  }
  TFont bold = Font();
  bold.Style |= fsBold;
  for (int s = 0; s < strings; ++s) {
    const TQSFrameString& e = strings_[static_cast<size_t>(s)];
    const int u = kCell * s;
    if (e.Finger != 0 && e.Finger != kMutedString) {
      if (OnGetNoteName) {
        const int fret = e.Fret == kMutedString ? 0 : e.Fret;
        c.Font() = Font();
        const std::string name = OnGetNoteName(this, (e.Further + fret + startFret_) % 12);
        const int h = c.TextHeight("A");
        centredText(name, PlacePoint(u, along + 20 + (Turned() ? 8 : h / 2)));
      }
      const TRect box = GetFingerBoxRect(s);
      button(box, pressed_ == kFingerBox + s);
      c.Font() = bold;
      centredText(e.Finger == kThumb ? "T" : std::to_string(e.Finger), PlacePoint(u, along + 10));
    }
    c.Brush() = TBrush{};
    if (e.Fret == kMutedString) {
      c.Pen().Width = 2;
      line(u - 8, markV - 8, u + 8, markV + 8);
      line(u + 8, markV - 8, u - 8, markV + 8);
      c.Pen().Width = 1;
    } else if (e.Fret == 0) {
      c.Brush().Style = bsClear;
      c.Ellipse(Place(u - 7, markV - 7, u + 8, markV + 8));
    } else if (e.Fret <= used) {
      // A barre stretches the dot across the grid; otherwise it reaches the
      // last following string held at the same fret with the same finger.
      int last = s;
      if (GetBarre(e.Fret - 1)) {
        last = strings - 1;
      } else {
        for (int t = s + 1; t < strings; ++t) {
          const TQSFrameString& n = strings_[static_cast<size_t>(t)];
          if (n.Fret == e.Fret && n.Finger == e.Finger) last = t;
        }
      }
      const int v = kCell * e.Fret - kCell / 2;
      c.Brush().Color = clBlack;
      const TRect dot = Place(u - 8, v - 8, kCell * last + 8, v + 8);
      c.RoundRect(dot.Left, dot.Top, dot.Right, dot.Bottom, 16, 16);
      if (e.Finger != 0) {
        c.Font() = bold;
        c.Font().Color = clWhite;
        centredText(e.Finger == kThumb ? "T" : std::to_string(e.Finger), PlacePoint(u, v));
        c.Font().Color = Font().Color;
      }
    }
    c.Font() = Font();
  }
}

}  // namespace qs
