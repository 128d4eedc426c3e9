#pragma once
// Writing a painted bitmap as an image file: BMP with 8 or 32 bits per
// pixel, GIF, JPEG and an enhanced metafile that holds the bitmap as its
// one picture. Each writer raises EWriteError when the stream fails, and
// writes nothing when the image cannot be encoded.
#include <cstdint>
#include <vector>

#include "platform/canvas.h"

namespace qs {

class TBitmap;
class TStream;

// BMP: with pixel format pf8bit 8 bits per pixel and a palette of at most
// 256 colours, otherwise 32 bits per pixel.
void WriteBmpImage(TStream& stream, const TBitmap& bitmap);
// GIF: the colours reduced to a palette of at most 256.
void WriteGifImage(TStream& stream, const TBitmap& bitmap);
// JPEG of quality 1..100, in colour or as one grey channel.
void WriteJpegImage(TStream& stream, const TBitmap& bitmap, int quality, bool grey);
// An enhanced metafile of the bitmap's size at pixelsPerInch: a header, the
// bitmap stretched onto the whole picture, and the end record.
void WriteMetafileImage(TStream& stream, const TBitmap& bitmap, int pixelsPerInch);

// The bitmap's colours as indexes into a palette of at most 256: exact when
// it has no more colours, reduced otherwise.
struct TPalettedImage {
  int Width = 0, Height = 0;
  std::vector<TColor> Palette;
  std::vector<uint8_t> Indexes;  // row by row, top row first
};
TPalettedImage ReduceColors(const TBitmap& bitmap);

}  // namespace qs
