#include "platform/bitmap.h"

#include <QImage>
#include <QPainter>

#include "platform/gui.h"
#include "platform/qtsurface.h"

namespace qs {

struct TBitmap::TImpl {
  QImage Image;
  std::shared_ptr<TQtDevice> Device;
  std::unique_ptr<TCanvas> Canvas;
  TPixelFormat Format = pfDevice;
  bool HasTransparentColor = false;
  TColor Transparent = clWhite;

  // Reading or resizing the pixels: the painter must not hold them.
  void Release() {
    if (Device) Device->End();
  }
};

TBitmap::TBitmap() : TBitmap(0, 0) {}

TBitmap::TBitmap(int width, int height) : TBitmap(width, height, ScreenPixelsPerInch()) {}

TBitmap::TBitmap(int width, int height, int ppi) : impl_(std::make_unique<TImpl>()) {
  impl_->Image = QImage(std::max(0, width), std::max(0, height), QImage::Format_RGB32);
  impl_->Image.fill(Qt::white);
  impl_->Device = std::make_shared<TQtDevice>(&impl_->Image, ppi, ppi);
  impl_->Canvas = std::make_unique<TCanvas>(impl_->Device);
}

TBitmap::~TBitmap() {
  impl_->Canvas.reset();
  impl_->Release();
}

int TBitmap::Width() const { return impl_->Image.width(); }
int TBitmap::Height() const { return impl_->Image.height(); }

void TBitmap::SetSize(int width, int height) {
  width = std::max(0, width);
  height = std::max(0, height);
  if (width == Width() && height == Height()) return;
  impl_->Release();
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(Qt::white);
  if (!impl_->Image.isNull() && width > 0 && height > 0) {
    QPainter p(&image);
    p.drawImage(0, 0, impl_->Image);
  }
  impl_->Image = image;
}

TPixelFormat TBitmap::PixelFormat() const { return impl_->Format; }
void TBitmap::SetPixelFormat(TPixelFormat format) { impl_->Format = format; }

TCanvas& TBitmap::Canvas() { return *impl_->Canvas; }

TColor TBitmap::Pixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= Width() || y >= Height()) return clBlack;
  impl_->Release();
  QRgb c = impl_->Image.pixel(x, y);
  return RGB(static_cast<uint8_t>(qRed(c)), static_cast<uint8_t>(qGreen(c)), static_cast<uint8_t>(qBlue(c)));
}

void TBitmap::SetPixel(int x, int y, TColor color) {
  if (x < 0 || y < 0 || x >= Width() || y >= Height()) return;
  impl_->Release();
  impl_->Image.setPixel(x, y, qRgb(GetRValue(color), GetGValue(color), GetBValue(color)));
}

uint32_t* TBitmap::ScanLine(int y) {
  impl_->Release();
  return reinterpret_cast<uint32_t*>(impl_->Image.scanLine(y));
}

const uint32_t* TBitmap::ScanLine(int y) const {
  impl_->Release();
  return reinterpret_cast<const uint32_t*>(impl_->Image.constScanLine(y));
}

void TBitmap::SetTransparentColor(TColor color) {
  impl_->Transparent = color;
  impl_->HasTransparentColor = true;
}

TColor TBitmap::TransparentColor() const {
  if (impl_->HasTransparentColor || Height() == 0 || Width() == 0) return impl_->Transparent;
  return Pixel(0, Height() - 1);
}

const QImage& BitmapImage(const TBitmap& bitmap) {
  // A bitmap drawn somewhere while its own painter is still open would be
  // copied without its last drawing.
  bitmap.Impl().Release();
  return bitmap.Impl().Image;
}

}  // namespace qs
