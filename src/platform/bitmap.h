#pragma once
// An off-screen bitmap with its canvas. Pixels are kept at 32 bits; the
// pixel format records what the bitmap is to be written as (8 bits per
// pixel means its colours are reduced to a palette when it is saved).
#include <cstdint>
#include <memory>

#include "platform/canvas.h"

namespace qs {

enum TPixelFormat : uint8_t { pfDevice, pf8bit, pf32bit };

class TBitmap {
 public:
  // A bitmap at the screen's pixels per inch; new pixels are white.
  TBitmap();
  TBitmap(int width, int height);
  // A bitmap standing for a finer device (a printed page drawn into an
  // image): fonts and hatches scale with its pixels per inch.
  TBitmap(int width, int height, int pixelsPerInch);
  ~TBitmap();
  TBitmap(const TBitmap&) = delete;
  TBitmap& operator=(const TBitmap&) = delete;

  int Width() const;
  int Height() const;
  // Keeps the pixels that stay inside; the new ones are white.
  void SetSize(int width, int height);
  TPixelFormat PixelFormat() const;
  void SetPixelFormat(TPixelFormat format);

  TCanvas& Canvas();

  TColor Pixel(int x, int y) const;  // clBlack outside
  void SetPixel(int x, int y, TColor color);
  // Row y as Width() words $xxRRGGBB (the high byte means nothing).
  uint32_t* ScanLine(int y);
  const uint32_t* ScanLine(int y) const;

  // When set, Draw and StretchDraw leave out the pixels of TransparentColor
  // (the bottom-left pixel unless one is set).
  bool Transparent = false;
  void SetTransparentColor(TColor color);
  TColor TransparentColor() const;

  struct TImpl;
  TImpl& Impl() const { return *impl_; }

 private:
  std::unique_ptr<TImpl> impl_;
};

}  // namespace qs
