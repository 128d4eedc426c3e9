#pragma once
// Copies of the pictures the program's controls keep for themselves.
#include <memory>
#include <string>

#include "base/geometry.h"
#include "platform/bitmap.h"

namespace qs {

// The pixels of area of source as a picture of its own; the copy of a
// whole picture keeps its transparency.
std::unique_ptr<TBitmap> CopyPicture(const TBitmap& source, const TRect& area);
std::unique_ptr<TBitmap> CopyPicture(const TBitmap& source);

// The picture of an image file (BMP, GIF, JPEG, PNG), or null when the file
// cannot be read or holds no picture.
std::unique_ptr<TBitmap> LoadPictureFile(const std::string& path);

}  // namespace qs
