#include "platform/imagefile.h"

#include <QImage>
#include <QString>

#include "base/exceptions.h"
#include "platform/bitmap.h"
#include "platform/qtsurface.h"

namespace qs {

void SaveBitmapToPng(const TBitmap& bitmap, const std::string& path) {
  // Reading a pixel ends the bitmap's painter, so everything drawn so far
  // is in the image that is written.
  (void)bitmap.Pixel(0, 0);
  const QImage& image = BitmapImage(bitmap);
  if (!image.save(QString::fromStdString(path), "PNG"))
    throw EFCreateError("Cannot create file \"" + path + "\".");
}

}  // namespace qs
