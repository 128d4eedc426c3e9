#include "render/textblock.h"

#include <algorithm>
#include <cmath>

#include "base/mathutil.h"
#include "platform/canvasutil.h"
#include "render/primitives.h"

namespace qs {

TPoint TurnedBlockShift(int angle, int w, int h) {
  const double a = angle * M_PI / 180, s = std::sin(a), c = std::cos(a);
  if (angle <= 90) return {0, Round(w * s)};
  if (angle <= 180) return {-Round(w * c), -Round(-w * s + h * c)};
  if (angle <= 270) return {-Round(w * c + h * s), -Round(h * c)};
  return {-Round(h * s), 0};
}

namespace {

// Selects a device font made from the canvas's font for the block and
// puts the caller's font and brush back afterwards, also on failure.
class TBlockFont {
 public:
  TBlockFont(TCanvas& canvas, int angle) : canvas_(canvas), font_(canvas.Font()), brush_(canvas.Brush()) {
    canvas_.Font() = CreateRotatedFont(font_, angle);
  }
  ~TBlockFont() {
    canvas_.Font() = font_;
    canvas_.Brush() = brush_;
  }
  TBlockFont(const TBlockFont&) = delete;
  TBlockFont& operator=(const TBlockFont&) = delete;

 private:
  TCanvas& canvas_;
  TFont font_;
  TBrush brush_;
};

struct TSpan {
  int FirstLine, FirstChar, LastLine, LastChar;
  bool Empty() const { return FirstLine == LastLine && FirstChar == LastChar; }
};

// The edit's selection with its start before its end.
TSpan SelectionOf(const std::array<int32_t, 6>& edit) {
  TSpan s{edit[0], edit[1], edit[2], edit[3]};
  if (s.LastLine < s.FirstLine || (s.LastLine == s.FirstLine && s.LastChar < s.FirstChar))
    s = {s.LastLine, s.LastChar, s.FirstLine, s.FirstChar};
  return s;
}

}  // namespace

void DrawTextBlock(TCanvas& cv, const TRect& box, const TTextBlock& block) {
  const bool turned = block.Angle != 0 && !block.Edit;
  TBlockFont font(cv, turned ? block.Angle : 0);
  cv.Font().Color = block.Color;
  cv.Brush().Style = bsClear;
  const int lineHeight = cv.TextHeight(std::u16string_view(u"A"));
  std::vector<int> widths;
  int widest = 0;
  for (const auto& line : block.Lines) {
    widths.push_back(cv.TextWidth(line));
    widest = std::max(widest, widths.back());
  }
  // Unturned lines align in the box; turned ones within the block, since
  // the box of a turned block is the bounding box of the turned lines.
  const int room = turned ? widest : box.Right - box.Left;
  auto alignedX = [&](int width) {
    switch (block.Alignment) {
      case 1: return (room - width) / 2;
      case 2: return room - width;
      default: return 0;
    }
  };

  if (turned) {
    const int n = static_cast<int>(block.Lines.size());
    const TPoint shift = TurnedBlockShift(block.Angle, widest, n * lineHeight);
    const double a = block.Angle * M_PI / 180, c = std::cos(a), s = std::sin(a);
    for (int i = 0; i < n; ++i) {
      const TPoint p = RotatePoint({alignedX(widths[static_cast<size_t>(i)]), i * lineHeight}, c, s);
      cv.ExtTextOut(box.Left + p.X + shift.X, box.Top + p.Y + shift.Y, cv.TextFlags, nullptr,
                    block.Lines[static_cast<size_t>(i)]);
    }
    return;
  }

  const bool selecting = block.Edit && !SelectionOf(*block.Edit).Empty();
  const TSpan sel = block.Edit ? SelectionOf(*block.Edit) : TSpan{};
  for (int i = 0; i < static_cast<int>(block.Lines.size()); ++i) {
    const std::u16string& line = block.Lines[static_cast<size_t>(i)];
    int x = box.Left + alignedX(widths[static_cast<size_t>(i)]);
    const int y = box.Top + i * lineHeight;
    if (!selecting || i < sel.FirstLine || i > sel.LastLine) {
      cv.ExtTextOut(x, y, cv.TextFlags, nullptr, line);
      continue;
    }
    // Characters count from 1; 0 stands before the first.
    const int length = static_cast<int>(line.size());
    const int a = i == sel.FirstLine ? std::clamp(sel.FirstChar, 0, length) : 0;
    const int b = i == sel.LastLine ? std::clamp(sel.LastChar, a, length) : length;
    auto run = [&](int from, int to, bool selected) {
      if (to <= from) return;
      const std::u16string_view text = std::u16string_view(line).substr(static_cast<size_t>(from),
                                                                       static_cast<size_t>(to - from));
      cv.Font().Color = selected ? clWhite : block.Color;
      cv.Brush().Color = clTextSelection;
      cv.Brush().Style = selected ? bsSolid : bsClear;
      cv.ExtTextOut(x, y, cv.TextFlags, nullptr, text);
      x += cv.TextWidth(text);
    };
    run(0, a, false);
    run(a, b, true);
    run(b, length, false);
  }
}

}  // namespace qs
