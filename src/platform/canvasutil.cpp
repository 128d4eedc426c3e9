#include "platform/canvasutil.h"

#include <vector>

#include "base/mathutil.h"
#include "base/text.h"
#include "platform/fonts.h"

namespace qs {

TFont CreateRotatedFont(const TFont& font, int angle) {
  TFont rotated = font;
  rotated.Height = -Round(font.Size() * static_cast<double>(font.PixelsPerInch) / 72);
  rotated.Width = 0;
  rotated.Escapement = angle * 10;
  rotated.Orientation = angle * 10;
  rotated.Charset = 1;
  rotated.Quality = 0;
  return rotated;
}

namespace {
bool IsBreak(char32_t c) { return c == U' ' || c == U',' || c == U';' || c == U')'; }
}  // namespace

void WrapTextToWidth(const TCanvas& canvas, std::string_view text, int width, TStringList& lines) {
  lines.Clear();
  std::vector<char32_t> chars;
  for (size_t i = 0; i < text.size();) chars.push_back(NextCodePoint(text, i));
  const size_t n = chars.size();
  auto part = [&](size_t from, size_t to) {  // [from, to), trimmed
    std::string s;
    for (size_t k = from; k < to; ++k) AppendUtf8(s, chars[k]);
    return Trim(s);
  };

  size_t start = 0, i = start;
  int lineWidth = 0;
  while (i < n) {
    lineWidth += CharWidth(canvas.Font(), chars[i]);
    if (lineWidth <= width) {
      ++i;
      continue;
    }
    // Too wide: break after the last break character taken, else after the
    // next one to come.
    size_t j = i + 1;
    while (j > start && !IsBreak(chars[j - 1])) --j;
    if (j == start) {
      j = i + 1;
      while (j < n && !IsBreak(chars[j])) ++j;
      if (j == n) break;  // no break anywhere: the rest is the last line
      ++j;
    }
    lines.Add(part(start, j));
    start = i = j;
    lineWidth = 0;
  }
  std::string rest = part(start, n);
  if (!rest.empty()) lines.Add(rest);
}

}  // namespace qs
