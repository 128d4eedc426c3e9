#include "platform/imagedecode.h"

#include <QImage>
#include <QPainter>

#include <cstring>

#include "platform/bitmap.h"
#include "platform/gui.h"

namespace qs {

bool LoadBitmapFromBytes(TBitmap& bitmap, const std::vector<uint8_t>& data) {
  if (data.empty()) return false;
  EnsureGuiApplication();
  QImage image;
  if (!image.loadFromData(data.data(), static_cast<int>(data.size())) || image.isNull()) return false;
  // The bitmap keeps opaque pixels: transparent ones are laid on white.
  QImage opaque(image.size(), QImage::Format_RGB32);
  opaque.fill(Qt::white);
  {
    QPainter p(&opaque);
    p.drawImage(0, 0, image);
  }
  bitmap.SetSize(opaque.width(), opaque.height());
  for (int y = 0; y < opaque.height(); ++y)
    std::memcpy(bitmap.ScanLine(y), opaque.constScanLine(y), static_cast<size_t>(opaque.width()) * 4);
  return true;
}

}  // namespace qs
