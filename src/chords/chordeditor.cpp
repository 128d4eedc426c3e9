#include "chords/chordeditor.h"

#include <algorithm>

#include "base/text.h"
#include "platform/bitmap.h"
#include "platform/keys.h"

namespace qs {

namespace {

constexpr TColor kCurrentColor = RGB(255, 0, 0);

// The measuring canvas: layout happens also while the control is hidden.
TCanvas& Measure() {
  static TBitmap bitmap(1, 1);
  return bitmap.Canvas();
}

}  // namespace

TECChordEditor::TECChordEditor(TComponent* owner) : TCustomControl(owner) {
  color_ = clWhite;
  SetTabStop(true);
  WantArrows = true;
  SetBounds(0, 0, 185, 41);
}

void TECChordEditor::SetChordFragments(const std::vector<TQSChordFragment>& fragments) {
  fragments_.clear();
  for (const TQSChordFragment& f : fragments)
    fragments_.push_back({f.Fields.Size, f.Fields.Style, f.Fields.Anchor, f.Fields.Level, Utf8ToUtf16(f.Text), {}});
  cur_ = std::min(cur_, Count());
  LayoutFragments();
}

std::vector<TQSChordFragment> TECChordEditor::ChordFragments() const {
  std::vector<TQSChordFragment> out;
  for (const TFragment& f : fragments_) {
    TQSChordFragment c;
    c.Fields.Size = f.Size;
    c.Fields.Style = f.Style;
    c.Fields.Anchor = f.Anchor;
    c.Fields.Level = f.Level;
    c.Text = Utf16ToUtf8(f.Text);
    out.push_back(c);
  }
  return out;
}

void TECChordEditor::SetFragmentFont(TCanvas& c, const TFragment& f) const {
  c.Font() = Font();
  if (f.Size) c.Font().SetSize(f.Size);
  c.Font().Style = f.Style;
}

int TECChordEditor::TextWidthOf(const TFragment& f, size_t chars) const {
  TCanvas& c = Measure();
  SetFragmentFont(c, f);
  return c.TextWidth(std::u16string_view(f.Text).substr(0, std::min(chars, f.Text.size())));
}

void TECChordEditor::LayoutFragments() {
  TCanvas& c = Measure();
  int x = 0, shift = 0;
  for (int i = 0; i < Count(); ++i) {
    TFragment& f = fragments_[static_cast<size_t>(i)];
    SetFragmentFont(c, f);
    // A fragment follows its anchor; one anchored to itself or a later
    // fragment follows the one laid out before it.
    if (i > f.Anchor) x = fragments_[f.Anchor].Rect.Right;
    f.Rect.Left = x;
    x += c.TextWidth(std::u16string_view(f.Text));
    f.Rect.Right = x;
    const int h = c.TextHeight(std::string_view("A"));
    const int t = shift + StepY * f.Level - h;
    if (t < 0) {
      // Room above for a raised fragment: everything before moves down.
      for (int j = 0; j < i; ++j) {
        fragments_[static_cast<size_t>(j)].Rect.Top -= t;
        fragments_[static_cast<size_t>(j)].Rect.Bottom -= t;
      }
      shift -= t;
    }
    f.Rect.Bottom = shift + StepY * f.Level;
    f.Rect.Top = f.Rect.Bottom - h;
  }
}

void TECChordEditor::Changed() {
  LayoutFragments();
  Invalidate();
}

void TECChordEditor::SetCaretPosition(int pos) {
  pos_ = std::max(0, pos);
  Invalidate();
}

void TECChordEditor::SetCurrentFragment(int index) {
  cur_ = index;
  Invalidate();
}

void TECChordEditor::SelectFragment(int index) {
  // Only the two fragments change colour; an index past the list is kept.
  cur_ = index;
  Invalidate();
}

void TECChordEditor::MoveLeft() {
  if (TFragment* f = Current(); f && f->Anchor > 0) {
    --f->Anchor;
    Changed();
  }
}

void TECChordEditor::MoveRight() {
  // Never past the fragment before the current one.
  if (TFragment* f = Current(); f && f->Anchor < cur_ - 1) {
    ++f->Anchor;
    Changed();
  }
}

void TECChordEditor::MoveUp() {
  if (TFragment* f = Current()) {
    --f->Level;
    Changed();
  }
}

void TECChordEditor::MoveDown() {
  if (TFragment* f = Current()) {
    ++f->Level;
    Changed();
  }
}

void TECChordEditor::StartFragment(int levelDelta) {
  if (fragments_.empty() || cur_ >= Count()) return;
  TFragment blank;
  blank.Size = static_cast<uint8_t>(std::clamp(Font().Size(), 0, 255));
  fragments_.push_back(blank);
  const int previous = cur_;
  cur_ = previous + 1;
  TFragment& next = fragments_[static_cast<size_t>(cur_)];
  next.Anchor = static_cast<uint8_t>(std::clamp(previous, 0, 255));
  next.Level = static_cast<int16_t>(fragments_[static_cast<size_t>(previous)].Level + levelDelta);
  pos_ = 0;
  Changed();
}

void TECChordEditor::NewFragment() { StartFragment(0); }

void TECChordEditor::DeleteFragment(int index) {
  if (index < 0 || index >= Count()) return;
  fragments_.erase(fragments_.begin() + index);
  // Fragments anchored after it keep following the same fragment.
  for (TFragment& f : fragments_)
    if (f.Anchor > index) --f.Anchor;
}

void TECChordEditor::SelectLastWhenPast() {
  if (cur_ >= Count() && Count() > 0) SelectFragment(Count() - 1);
}

TRect TECChordEditor::CaretRect() const {
  if (cur_ < 0 || cur_ >= Count()) return TRect{1, 0, 1, 12};
  const TFragment& f = fragments_[static_cast<size_t>(cur_)];
  const int x = f.Rect.Left + TextWidthOf(f, static_cast<size_t>(pos_)) + 1;
  return TRect{x, f.Rect.Top, x, f.Rect.Bottom};
}

void TECChordEditor::Paint() {
  TCanvas& c = Canvas();
  c.Brush() = TBrush{};
  c.Brush().Color = ColorToRGB(Color());
  c.FillRect(ClientRect());
  c.Brush().Style = bsClear;
  for (int i = 0; i < Count(); ++i) {
    const TFragment& f = fragments_[static_cast<size_t>(i)];
    SetFragmentFont(c, f);
    c.Font().Color = i == cur_ ? kCurrentColor : Font().Color;
    c.TextOut(f.Rect.Left, f.Rect.Top, std::u16string_view(f.Text));
  }
  if (focused_) {
    const TRect r = CaretRect();
    c.Pen() = TPen{};
    c.Pen().Width = 2;
    c.Pen().Color = clBlack;
    c.MoveTo(r.Left, r.Top);
    c.LineTo(r.Left, r.Bottom);
  }
}

void TECChordEditor::DoEnter() {
  TCustomControl::DoEnter();
  focused_ = true;
  Invalidate();
}

void TECChordEditor::DoExit() {
  TCustomControl::DoExit();
  focused_ = false;
  Invalidate();
}

void TECChordEditor::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TCustomControl::MouseDown(button, shift, x, y);
  if (CanFocus()) SetFocus();
  for (int i = 0; i < Count(); ++i) {
    const TFragment& f = fragments_[static_cast<size_t>(i)];
    if (x < f.Rect.Left || x >= f.Rect.Right || y < f.Rect.Top || y >= f.Rect.Bottom) continue;
    SelectFragment(i);
    // The characters whose right edges lie left of the click.
    size_t n = 0;
    while (n < f.Text.size() && f.Rect.Left + TextWidthOf(f, n + 1) <= x) ++n;
    pos_ = static_cast<int>(n);
    Invalidate();
  }
}

void TECChordEditor::KeyDown(uint16_t& key, TShiftState shift) {
  TCustomControl::KeyDown(key, shift);
  const bool ctrl = shift & ssCtrl, shifted = shift & ssShift;
  auto text = [&]() -> std::u16string* { return Current() ? &Current()->Text : nullptr; };
  auto length = [&] { return text() ? static_cast<int>(text()->size()) : 0; };
  auto stepBack = [&](bool toEnd) {
    // To the fragment before, taking an empty current fragment away.
    if (cur_ <= 0) return;
    SelectLastWhenPast();
    if (cur_ <= 0) return;
    const bool empty = length() == 0;
    if (empty && Editable()) DeleteFragment(cur_);
    SelectFragment(cur_ - 1);
    pos_ = toEnd ? length() : 0;
    if (empty) Changed();
  };
  switch (key) {
    case VK_BACK:
      if (Editable() && Current()) {
        if (pos_ > 0) {
          pos_ = std::min(pos_, length());
          text()->erase(static_cast<size_t>(pos_ - 1), 1);
          --pos_;
          Changed();
        } else if (cur_ > 0) {
          if (length() == 0) DeleteFragment(cur_);
          SelectFragment(cur_ - 1);
          pos_ = length();
          if (Editable() && pos_ > 0) {
            text()->pop_back();
            --pos_;
          }
          Changed();
        }
      }
      key = 0;
      break;
    case VK_END:
      SelectLastWhenPast();
      if (ctrl && Count() > 0) SelectFragment(Count() - 1);
      pos_ = length();
      Invalidate();
      break;
    case VK_HOME:
      if (ctrl) SelectFragment(0);
      pos_ = 0;
      Invalidate();
      break;
    case VK_LEFT:
      if (shifted) MoveLeft();
      else if (ctrl) stepBack(false);
      else if (pos_ > 0) pos_ = std::min(pos_, length()) - 1, Invalidate();
      else stepBack(true);
      break;
    case VK_RIGHT:
      if (shifted) {
        MoveRight();
      } else {
        SelectLastWhenPast();
        if (!ctrl && pos_ < length()) {
          ++pos_;
        } else if (cur_ + 1 < Count()) {
          SelectFragment(cur_ + 1);
          pos_ = 0;
        }
        Invalidate();
      }
      break;
    case VK_UP:
    case VK_DOWN: {
      const bool up = key == VK_UP;
      if (ctrl && length() > 0) StartFragment(up ? -1 : 1);
      else if (shifted) up ? MoveUp() : MoveDown();
      else if (up && cur_ + 1 < Count()) SelectFragment(cur_ + 1), pos_ = length();
      else if (!up && cur_ > 0) SelectFragment(cur_ - 1), pos_ = 0;
      Invalidate();
      break;
    }
    case VK_INSERT: NewFragment(); break;
    case VK_DELETE:
      if (Editable() && Current()) {
        if (pos_ < length()) {
          text()->erase(static_cast<size_t>(pos_), 1);
          Changed();
        } else if (cur_ + 1 < Count()) {
          std::u16string& next = fragments_[static_cast<size_t>(cur_ + 1)].Text;
          if (next.empty()) DeleteFragment(cur_ + 1);
          else next.erase(0, 1);
          Changed();
        }
      }
      break;
    default: break;
  }
}

void TECChordEditor::KeyPress(char16_t& key) {
  TCustomControl::KeyPress(key);
  if (key < 32 || !Editable()) return;
  if (cur_ >= Count()) {
    TFragment blank;
    blank.Size = static_cast<uint8_t>(std::clamp(Font().Size(), 0, 255));
    fragments_.push_back(blank);
    cur_ = Count() - 1;
  }
  std::u16string& text = fragments_[static_cast<size_t>(cur_)].Text;
  pos_ = std::min(pos_, static_cast<int>(text.size()));
  text.insert(text.begin() + pos_, key);
  ++pos_;
  key = 0;
  Changed();
}

}  // namespace qs
