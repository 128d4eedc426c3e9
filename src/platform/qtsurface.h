#pragma once
// For the platform's own .cpp files only: drawing devices over the
// windowing toolkit's paint devices (an image, a printer page, a widget's
// back buffer). Names the toolkit's classes without including them.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/drawdevice.h"

class QImage;
class QPainter;
class QPaintDevice;

namespace qs {

class TQtDevice : public TDrawDevice {
 public:
  // Paints on target, beginning a painter when the first call comes.
  TQtDevice(QPaintDevice* target, int ppiX, int ppiY);
  // Paints through a painter that the caller began and keeps (a printer's,
  // which must last across pages).
  TQtDevice(QPainter* painter, int ppiX, int ppiY);
  ~TQtDevice() override;

  int PixelsPerInchX() const override { return ppiX_; }
  int PixelsPerInchY() const override { return ppiY_; }
  void Draw(const TCanvasOp& op) override;
  void Draw(const TGraphicsOp& op) override;
  // Ends the device's own painter (before the target is resized or read).
  void End();
  // Draws what printers and PDF files keep back to draw in one go (before
  // a new page is begun or the painter ends).
  void Flush();

 private:
  struct TImpl;
  std::unique_ptr<TImpl> impl_;
  int ppiX_, ppiY_;
};

// The image a bitmap keeps its pixels in (its painter ended).
const QImage& BitmapImage(const TBitmap& bitmap);

// The bytes of an image file as the toolkit's readers see them: a null
// image when they are not one, with the reader's complaint in error. format
// gets the format the reader recognised.
QImage ReadImageBytes(const std::vector<uint8_t>& bytes, std::string* format, std::string* error);

}  // namespace qs
