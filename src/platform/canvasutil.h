#pragma once
// Canvas helpers shared by the score's painting code.
#include <string_view>

#include "base/strings.h"
#include "platform/canvas.h"

namespace qs {

// A font for text rotated by angle degrees counter-clockwise: the face and
// the bold, italic, underline and strike-out style of font, the em height
// -round(Size x PixelsPerInch / 72) of its point size and own pixels per
// inch, no width, escapement and orientation angle x 10, the default
// character set and default quality. The colour stays the font's.
TFont CreateRotatedFont(const TFont& font, int angle);

// Splits text into lines no wider than width pixels on the canvas,
// breaking after a space, ",", ";" or ")". A line is as wide as the sum of
// its characters measured one by one. When no break character lies within
// the width, the line runs on to the next one after it; text without any
// stays one line. Lines are trimmed; lines is cleared first.
void WrapTextToWidth(const TCanvas& canvas, std::string_view text, int width, TStringList& lines);

}  // namespace qs
