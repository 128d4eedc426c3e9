#include "platform/imagereader.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>

#include "base/exceptions.h"

namespace qs {

TDecodedImage DecodeImage(const std::vector<uint8_t>& bytes) {
  QByteArray data(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
  QBuffer buffer(&data);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer);
  TDecodedImage out;
  out.Format = reader.format().toStdString();
  QImage image = reader.read();
  if (image.isNull()) throw EReadError("Cannot read the image: " + reader.errorString().toStdString());
  out.Width = image.width();
  out.Height = image.height();
  out.Depth = image.depth();
  out.Grayscale = image.format() == QImage::Format_Grayscale8 || image.format() == QImage::Format_Grayscale16;
  out.ColorCount = static_cast<int>(image.colorCount());
  const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
  out.Pixels.reserve(static_cast<size_t>(out.Width) * static_cast<size_t>(out.Height));
  for (int y = 0; y < rgb.height(); ++y) {
    const QRgb* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
    for (int x = 0; x < rgb.width(); ++x)
      out.Pixels.push_back(RGB(static_cast<uint8_t>(qRed(line[x])), static_cast<uint8_t>(qGreen(line[x])),
                               static_cast<uint8_t>(qBlue(line[x]))));
  }
  return out;
}

}  // namespace qs
