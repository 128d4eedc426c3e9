#pragma once
// Copies of the pictures the program's controls keep for themselves.
#include <memory>

#include "base/geometry.h"
#include "platform/bitmap.h"

namespace qs {

// The pixels of area of source as a picture of its own; the copy of a
// whole picture keeps its transparency.
std::unique_ptr<TBitmap> CopyPicture(const TBitmap& source, const TRect& area);
std::unique_ptr<TBitmap> CopyPicture(const TBitmap& source);

}  // namespace qs
