#pragma once
// Writing a bitmap to an image file for review and tests.
#include <string>

namespace qs {

class TBitmap;

// Writes the bitmap as a PNG file at path (created or replaced). Raises
// EFCreateError naming the file when it cannot be written.
void SaveBitmapToPng(const TBitmap& bitmap, const std::string& path);

}  // namespace qs
