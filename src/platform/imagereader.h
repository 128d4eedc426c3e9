#pragma once
// Reading an image file with the toolkit's own readers: tests and tools
// check the images the program writes with a decoder it did not write.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/canvas.h"

namespace qs {

struct TDecodedImage {
  std::string Format;  // "bmp", "gif", "jpeg", "png", as the reader recognised it
  int Width = 0, Height = 0;
  int Depth = 0;       // bits per pixel as read: 8 for palette and grey images
  bool Grayscale = false;  // one grey channel (not a palette of greys)
  int ColorCount = 0;  // palette entries (0 without a palette)
  std::vector<TColor> Pixels;  // row by row

  TColor Pixel(int x, int y) const { return Pixels[static_cast<size_t>(y) * static_cast<size_t>(Width) + static_cast<size_t>(x)]; }
};

// Raises EReadError naming the reader's complaint when the bytes are not an
// image it can read.
TDecodedImage DecodeImage(const std::vector<uint8_t>& bytes);

}  // namespace qs
