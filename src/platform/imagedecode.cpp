#include "platform/imagedecode.h"

#include <QImage>
#include <QPainter>

#include <cstring>

#include "platform/bitmap.h"
#include "platform/gui.h"
#include "platform/qtsurface.h"

namespace qs {

bool LoadBitmapFromBytes(TBitmap& bitmap, const std::vector<uint8_t>& data) {
  if (data.empty()) return false;
  EnsureGuiApplication();
  const QImage image = ReadImageBytes(data, nullptr, nullptr);
  if (image.isNull()) return false;
  // The bitmap keeps opaque pixels: transparent ones are laid on white.
  QImage opaque(image.size(), QImage::Format_RGB32);
  if (opaque.isNull()) return false;
  opaque.fill(Qt::white);
  {
    QPainter p(&opaque);
    p.drawImage(0, 0, image);
  }
  bitmap.SetSize(opaque.width(), opaque.height());
  if (bitmap.Width() != opaque.width() || bitmap.Height() != opaque.height()) return false;
  for (int y = 0; y < opaque.height(); ++y)
    std::memcpy(bitmap.ScanLine(y), opaque.constScanLine(y), static_cast<size_t>(opaque.width()) * 4);
  return true;
}

}  // namespace qs
