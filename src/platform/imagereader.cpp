#include "platform/imagereader.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>

#include "base/exceptions.h"
#include "platform/qtsurface.h"

namespace qs {

QImage ReadImageBytes(const std::vector<uint8_t>& bytes, std::string* format, std::string* error) {
  // The reader works on the caller's bytes: a large picture is not copied.
  QByteArray data = QByteArray::fromRawData(reinterpret_cast<const char*>(bytes.data()),
                                            static_cast<qsizetype>(bytes.size()));
  QBuffer buffer(&data);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer);
  if (format) *format = reader.format().toStdString();
  QImage image = reader.read();
  if (image.isNull() && error) *error = reader.errorString().toStdString();
  return image;
}

TDecodedImage DecodeImage(const std::vector<uint8_t>& bytes) {
  TDecodedImage out;
  std::string error;
  const QImage image = ReadImageBytes(bytes, &out.Format, &error);
  if (image.isNull()) throw EReadError("Cannot read the image: " + error);
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
