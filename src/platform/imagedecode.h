#pragma once
// Reading the bytes of a picture file into a bitmap for drawing.
#include <cstdint>
#include <vector>

namespace qs {

class TBitmap;

// Decodes a BMP, GIF, JPEG, PNG or icon file held in data into bitmap,
// which takes the picture's size; transparent pixels become white. False,
// with the bitmap left as it was, when the bytes are not a picture the
// platform can read (Windows metafiles among them).
bool LoadBitmapFromBytes(TBitmap& bitmap, const std::vector<uint8_t>& data);

}  // namespace qs
