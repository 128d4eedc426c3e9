#pragma once
// A picture kept as the bytes of its own file (BMP, GIF, JPEG, icon or
// Windows metafile), so that it is written back exactly as it was read.
// The score model only needs its size in pixels, which is read from the
// bytes where the format allows; drawing it is the renderer's business.
#include <cstdint>
#include <vector>

#include "base/events.h"
#include "base/stream.h"

namespace qs {

// The graphic types of a picture in stored records.
enum class TQSGraphicType : uint16_t {
  None = 0,
  Bitmap = 256,
  Gif = 257,
  Jpeg = 258,
  Icon = 259,
  Metafile = 260,
};

// True for the types 256 to 260.
bool IsGraphicType(uint16_t type);

class TQSPicture : public TObject {
 public:
  // Fired after the picture changed (loaded, assigned, cleared).
  TNotifyEvent OnChange;

  bool Empty() const { return type_ == TQSGraphicType::None; }
  TQSGraphicType GraphicType() const { return type_; }
  const std::vector<uint8_t>& Data() const { return data_; }
  // Size in pixels; 0 x 0 when the bytes do not tell it (a damaged or
  // unsupported graphic, which is still kept and written back).
  int Width() const { return width_; }
  int Height() const { return height_; }

  // Takes the bytes of a graphic of the given type (None clears).
  void LoadFromBytes(TQSGraphicType type, std::vector<uint8_t> data);
  void Clear();
  void Assign(const TQSPicture& source);

  const char* ClassName() const override { return "TQSPicture"; }

 private:
  void Changed();

  TQSGraphicType type_ = TQSGraphicType::None;
  std::vector<uint8_t> data_;
  int width_ = 0;
  int height_ = 0;
};

// Reads the size in pixels from a graphic's own bytes; false when they do
// not tell it.
bool GraphicSize(TQSGraphicType type, const std::vector<uint8_t>& data, int& width, int& height);

// The picture as image records store it: an 8-byte header (u16 marker 1,
// u16 graphic type or 0, i32 byte count) and the graphic's bytes.
void WritePicture(TStream& s, const TQSPicture& picture);
// Reads a stored picture whose data must end by `limit` (the end of the
// record holding it). A header that names no graphic clears the picture;
// a byte count that is negative or runs past the limit raises EReadError
// before anything is allocated, leaving the picture as it was.
void ReadPicture(TStream& s, TQSPicture& picture, int64_t limit);

}  // namespace qs
