#include "uikit/pictures.h"

#include <fstream>
#include <iterator>
#include <vector>

#include "base/exceptions.h"
#include "platform/imagereader.h"

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

std::unique_ptr<TBitmap> LoadPictureFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return nullptr;
  const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  try {
    const TDecodedImage image = DecodeImage(bytes);
    if (image.Width <= 0 || image.Height <= 0) return nullptr;
    auto picture = std::make_unique<TBitmap>(image.Width, image.Height);
    for (int y = 0; y < image.Height; ++y) {
      uint32_t* line = picture->ScanLine(y);
      for (int x = 0; x < image.Width; ++x) {
        const TColor c = image.Pixel(x, y);
        line[x] = (static_cast<uint32_t>(GetRValue(c)) << 16) | (static_cast<uint32_t>(GetGValue(c)) << 8) | GetBValue(c);
      }
    }
    return picture;
  } catch (const Exception&) {
    return nullptr;
  }
}

}  // namespace qs
