#include "uikit/pictures.h"

namespace qs {

std::unique_ptr<TBitmap> CopyPicture(const TBitmap& source, const TRect& area) {
  auto copy = std::make_unique<TBitmap>(area.Width(), area.Height());
  for (int y = 0; y < area.Height(); ++y)
    for (int x = 0; x < area.Width(); ++x) copy->SetPixel(x, y, source.Pixel(area.Left + x, area.Top + y));
  return copy;
}

std::unique_ptr<TBitmap> CopyPicture(const TBitmap& source) {
  auto copy = CopyPicture(source, TRect{0, 0, source.Width(), source.Height()});
  copy->Transparent = source.Transparent;
  if (source.Transparent) copy->SetTransparentColor(source.TransparentColor());
  return copy;
}

}  // namespace qs
