// Guitar marks: bends, chord frames, barres, flageolets and barre brackets.
#include <algorithm>
#include <string>

#include "base/mathutil.h"
#include "render/measurerenderer.h"
#include "render/primitives.h"
#include "score/calcrecords.h"
#include "score/helpers.h"
#include "score/marks.h"

namespace qs {

namespace {

constexpr uint8_t kMuted = 255;

// The part of the strings a barre covers, by its amount 1-5.
constexpr const char* kBarreFractions[5][2] = {{"1", "6"}, {"1", "3"}, {"1", "2"}, {"2", "3"}, {"5", "6"}};

}  // namespace

bool TQSMeasureRenderer::DrawBend(const TQSCalcItem& e, const TQSBend& bend) {
  Begin(e, e.Box2, bend.Fields.Color, TQSActiveTest::Voice, bend);
  UseFont("Arial", FontK(4));
  cv_.Pen().Width =
      size_ == 100 ? c_.HairlinePen : RoundRatio(static_cast<long long>(c_.ZoomX) * c_.Scale * size_, 1500000);
  cv_.Brush().Style = bsSolid;
  const int left = box_.Left, top = box_.Top, bottom = box_.Bottom;
  box_ = ScaleRect(c_, e.Box);
  auto length = [&](int v) { return (v * c_.ZoomX / 100) >> 3; };
  // A quarter of the ellipse about (cx, cy) through (x, bottom or top).
  auto arc = [&](int cx, int cy, int rx, int ry, TPoint from, TPoint to) {
    cv_.Arc(cx - rx, cy - ry, cx + rx, cy + ry, from.X, from.Y, to.X, to.Y);
  };
  const auto& f = bend.Fields;
  const int variant = f.Kind;
  // The rise from the note to the bent pitch, straight or curved.
  const int x1 = left + length(f.RiseWidth);
  int extra = 0;
  if (variant & 1) {
    arc(left, top, x1 - left, bottom - top, {left, bottom}, {x1, top});
    extra = ((left - x1) * 3) / 4;
  } else {
    Line(left, bottom, x1, top);
  }
  DrawArrowHead(c_, left, bottom, x1, top, extra);
  if (variant <= 1) {
    DrawHalfSign(c_, x1, top - W(6));
    return true;
  }
  // A release back down, after a hold at the bent pitch for 4 and 5.
  int x2 = x1 + length(f.SecondWidth), releaseX = x1;
  if (variant >= 4) {
    Line(x1, top, x2, top);
    releaseX = x2;
    x2 += length(f.ReleaseWidth);
  }
  arc(releaseX, bottom, x2 - releaseX, bottom - top, {x2, bottom}, {releaseX, top});
  DrawArrowHead(c_, releaseX, top, x2, bottom, ((releaseX - x2) * 3) / 4);
  DrawHalfSign(c_, x2, bottom + W(2));
  return true;
}

bool TQSMeasureRenderer::DrawFrame(const TQSCalcItem& e, const TQSFrame& frame) {
  Begin(e, e.Box, frame.Fields.Color, TQSActiveTest::Voice, frame);
  UseFont(c_.TextFontName, FontK(6));
  cv_.Pen().Width = 1;
  cv_.Brush().Style = bsSolid;
  const int n = std::min<int>(frame.Fields.StringCount, static_cast<int>(frame.Strings.size()));
  const int rows = frame.Fields.UsedFretCount, start = frame.Fields.StartFret;
  if (n < 1) return true;
  const int c = W(6), t = W(1), g = W(2), k = W(4), h = W05();
  const bool nut = start == 0;
  const int x0 = box_.Left + c / 2 + (nut ? 0 : c) + (start >= 9 ? c_.Width2 : 0);
  const int xn = x0 + (n - 1) * c;
  int y0 = box_.Top + c + g;
  if (nut) {
    cv_.FillRect({x0, y0, xn + t, y0 + t});
    y0 += g;
  }
  const int yEnd = y0 + rows * c;
  cv_.FillRect({x0, y0, xn, y0 + t});
  cv_.FillRect({x0, y0, x0 + t, yEnd + t});
  cv_.FillRect({x0, yEnd, xn, yEnd + t});
  cv_.FillRect({xn, y0, xn + t, yEnd + t});
  for (int i = 0; i <= n - 2; ++i) cv_.FillRect({x0 + i * c, y0, x0 + i * c + t, yEnd + t});
  for (int j = 1; j < rows; ++j) cv_.FillRect({x0, y0 + j * c, xn + t, y0 + j * c + t});

  // Fingers: a dot, joined with the later strings the same finger holds on
  // the row, or a bar to the last string where the row is barred.
  auto stringX = [&](int i) { return x0 + h + i * c; };
  for (int i = 0; i < n; ++i) {
    const TQSFrameString& s = frame.Strings[static_cast<size_t>(i)];
    if (s.Finger == 0 || s.Finger == kMuted || s.Fret < 1 || s.Fret > rows) continue;
    const int x = stringX(i), y = (s.Fret - 1) * c + y0;
    const size_t row = static_cast<size_t>(s.Fret - 1);
    const bool barre = row < frame.Barre.size() && frame.Barre[row] != 0;
    int right = xn + g + t + h;
    if (!barre) {
      int last = i;
      for (int j = i + 1; j < n; ++j) {
        const TQSFrameString& o = frame.Strings[static_cast<size_t>(j)];
        if (o.Fret == s.Fret && o.Finger == s.Finger) last = j;
      }
      right = x + (last - i) * c + g + h;
    }
    cv_.RoundRect(x - g - h, y + g, right, y + c - t, k, k);
  }

  // Open, muted or the finger above each string.
  cv_.Brush().Style = bsClear;
  const int labelY = nut ? y0 - 2 * c : y0 - c - k;
  for (int i = 0; i < n; ++i) {
    const uint8_t finger = frame.Strings[static_cast<size_t>(i)].Finger;
    const std::string label = finger == 0 ? "0" : finger == kMuted ? "X" : std::to_string(finger);
    cv_.TextOut(stringX(i) - cv_.TextWidth(std::string_view(label)) / 2, labelY, std::string_view(label));
  }
  if (!nut) cv_.TextOut(box_.Left, y0, std::string_view(std::to_string(start + 1)));
  cv_.Brush().Style = bsSolid;
  return true;
}

bool TQSMeasureRenderer::DrawBarre(const TQSCalcItem& e, const TQSMark& mark) {
  Begin(e, e.Box, mark.Fields.Color, TQSActiveTest::Voice, mark);
  const std::string& face = mark.FontName.empty() ? c_.TextFontName : mark.FontName;
  const uint8_t style = mark.Fields.Style;
  const int amount = style & 0x0F, type = (style >> 4) & 7;
  const int boxTop = box_.Top, middle = Mid();
  int x = box_.Left;
  auto write = [&](int y, const std::string& text) {
    Text(x, y, text);
    x += cv_.TextWidth(std::string_view(text));
  };
  if (amount >= 1 && amount <= 5) {
    UseFont(face, FontK(6));
    const std::string top = kBarreFractions[amount - 1][0], bottom = kBarreFractions[amount - 1][1];
    const int fractionWidth = std::max(cv_.TextWidth(std::string_view(top)), cv_.TextWidth(std::string_view(bottom)));
    Text(x, boxTop, top);
    cv_.Pen().Width = LinePen();
    Line(x + W(1), middle, x + W(1) + fractionWidth, middle);
    Text(x, middle, bottom);
    x += fractionWidth + W(2);
  }
  UseFont(face, FontK(8));
  if (type != 0) write(boxTop + W(2), type == 1 ? "B" : "C");
  write(boxTop + W(2), IntToRoman(mark.Fields.Kind));
  const int end = box_.Right - W(1);
  if (mark.Fields.Value != 0) {
    DrawStyledLine(x, end, mark.LineStyle);
    if (style & 0x80) {
      cv_.Pen().Width = c_.LinePen;
      Line(end, middle, end, box_.Bottom - W(1));
    }
  }
  hasHandle_ = true;
  handle_ = {box_.Right, middle};
  return true;
}

bool TQSMeasureRenderer::DrawFlageolet(const TQSCalcItem& e, const TQSMark& mark) {
  Begin(e, e.Box, mark.Fields.Color, TQSActiveTest::Voice, mark);
  UseFont(mark.FontName.empty() ? c_.TextFontName : mark.FontName, FontK(9));
  const std::string numerals = IntToRoman(mark.Fields.Kind + 1);
  const std::string text = (mark.Fields.Style & TQSMark::kFlageoletNumeralsOnly) ? numerals : c_.FlazholetName + numerals;
  Text(box_.Left, box_.Top + W(1), text);
  if (mark.Fields.Value != 0)
    DrawStyledLine(box_.Left + cv_.TextWidth(std::string_view(text)), box_.Right - W(1), mark.LineStyle);
  hasHandle_ = true;
  handle_ = {box_.Right, Mid()};
  return true;
}

bool TQSMeasureRenderer::DrawBarreBracket(const TQSCalcItem& e, const TQSMark& mark) {
  Begin(e, e.Box, mark.Fields.Color, TQSActiveTest::Voice, mark);
  const int left = box_.Left, top = box_.Top, bottom = box_.Bottom;
  cv_.Pen().Width = LinePen();
  cv_.Polyline({{left + W(3), top}, {left, top}, {left, bottom}, {left + W(3), bottom}});
  hasHandle_ = true;
  handle_ = {(left + box_.Right) / 2, bottom};
  return true;
}

}  // namespace qs
