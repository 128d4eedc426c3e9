#include "score/picture.h"

#include <gif_lib.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>  // jpeglib.h needs FILE
#include <cstring>
#include <limits>

#include <jpeglib.h>

#include "base/exceptions.h"
#include "base/mathutil.h"
#include "score/metrix.h"

namespace qs {

bool IsGraphicType(uint16_t type) { return type >= 256 && type <= 260; }

// ---------------------------------------------------------------- sizes

namespace {

uint16_t LeU16(const std::vector<uint8_t>& d, size_t at) { return static_cast<uint16_t>(d[at] | (d[at + 1] << 8)); }
uint32_t LeU32(const std::vector<uint8_t>& d, size_t at) {
  return d[at] | (d[at + 1] << 8) | (d[at + 2] << 16) | (uint32_t(d[at + 3]) << 24);
}
int32_t LeI32(const std::vector<uint8_t>& d, size_t at) { return static_cast<int32_t>(LeU32(d, at)); }
int16_t LeI16(const std::vector<uint8_t>& d, size_t at) { return static_cast<int16_t>(LeU16(d, at)); }

bool Accept(int64_t w, int64_t h, int& width, int& height) {
  if (w <= 0 || h <= 0 || w > std::numeric_limits<int>::max() || h > std::numeric_limits<int>::max())
    return false;
  width = static_cast<int>(w);
  height = static_cast<int>(h);
  return true;
}

bool BitmapSize(const std::vector<uint8_t>& d, int& width, int& height) {
  // File header (14 bytes), then the info header starting with its size.
  if (d.size() < 26 || d[0] != 'B' || d[1] != 'M') return false;
  uint32_t infoSize = LeU32(d, 14);
  if (infoSize == 12) return Accept(LeU16(d, 18), LeU16(d, 20), width, height);  // core header
  if (infoSize < 16) return false;
  int64_t h = LeI32(d, 22);
  return Accept(LeI32(d, 18), h < 0 ? -h : h, width, height);  // negative: stored top-down
}

bool IconSize(const std::vector<uint8_t>& d, int& width, int& height) {
  // Directory header (reserved 0, type 1, count), then 16-byte entries whose
  // first two bytes are the width and height (0 meaning 256).
  if (d.size() < 22 || LeU16(d, 0) != 0 || LeU16(d, 2) != 1 || LeU16(d, 4) == 0) return false;
  return Accept(d[6] ? d[6] : 256, d[7] ? d[7] : 256, width, height);
}

bool MetafileSize(const std::vector<uint8_t>& d, int& width, int& height) {
  const int ppi = ScreenPixelsPerInch();
  // Enhanced metafile: the header record gives the frame in hundredths of
  // a millimetre.
  if (d.size() >= 44 && LeU32(d, 0) == 1 && LeU32(d, 40) == 0x464D4520) {
    int64_t mmWidth = int64_t(LeI32(d, 32)) - LeI32(d, 24);
    int64_t mmHeight = int64_t(LeI32(d, 36)) - LeI32(d, 28);
    if (mmWidth <= 0 || mmHeight <= 0 || mmWidth > 0x7FFFFFFF || mmHeight > 0x7FFFFFFF) return false;
    return Accept(MulDiv(static_cast<int>(mmWidth), ppi, 2540), MulDiv(static_cast<int>(mmHeight), ppi, 2540),
                  width, height);
  }
  // Placeable Windows metafile: a bounding box in logical units and the
  // number of those units per inch.
  if (d.size() >= 22 && LeU32(d, 0) == 0x9AC6CDD7) {
    int w = LeI16(d, 10) - LeI16(d, 6);
    int h = LeI16(d, 12) - LeI16(d, 8);
    int inch = LeU16(d, 14);
    if (inch == 0) return false;
    return Accept(MulDiv(MulDiv(w, 2540, inch), ppi, 2540), MulDiv(MulDiv(h, 2540, inch), ppi, 2540), width,
                  height);
  }
  return false;
}

struct TGifSource {
  const std::vector<uint8_t>* data;
  size_t pos;
};

int GifRead(GifFileType* gif, GifByteType* buffer, int count) {
  auto* src = static_cast<TGifSource*>(gif->UserData);
  if (count <= 0) return 0;
  size_t n = std::min(static_cast<size_t>(count), src->data->size() - src->pos);
  if (n == 0) return 0;
  std::memcpy(buffer, src->data->data() + src->pos, n);
  src->pos += n;
  return static_cast<int>(n);
}

bool GifSize(const std::vector<uint8_t>& d, int& width, int& height) {
  TGifSource src{&d, 0};
  int error = 0;
  GifFileType* gif = DGifOpen(&src, GifRead, &error);
  if (!gif) return false;
  bool ok = Accept(gif->SWidth, gif->SHeight, width, height);
  DGifCloseFile(gif, &error);
  return ok;
}

// libjpeg reports errors through a callback that must not return: jump
// back out of the decoder (no C++ objects live between the two points).
struct TJpegError {
  jpeg_error_mgr mgr;
  std::jmp_buf jump;
};

void JpegErrorExit(j_common_ptr info) { std::longjmp(reinterpret_cast<TJpegError*>(info->err)->jump, 1); }
void JpegNoMessage(j_common_ptr) {}

bool JpegSize(const std::vector<uint8_t>& d, int& width, int& height) {
  if (d.empty()) return false;
  jpeg_decompress_struct info;
  TJpegError error;
  info.err = jpeg_std_error(&error.mgr);
  error.mgr.error_exit = JpegErrorExit;
  error.mgr.output_message = JpegNoMessage;
  if (setjmp(error.jump)) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, d.data(), static_cast<unsigned long>(d.size()));
  jpeg_read_header(&info, TRUE);
  int64_t w = info.image_width, h = info.image_height;
  jpeg_destroy_decompress(&info);
  return Accept(w, h, width, height);
}

}  // namespace

bool GraphicSize(TQSGraphicType type, const std::vector<uint8_t>& data, int& width, int& height) {
  switch (type) {
    case TQSGraphicType::Bitmap:
      return BitmapSize(data, width, height);
    case TQSGraphicType::Gif:
      return GifSize(data, width, height);
    case TQSGraphicType::Jpeg:
      return JpegSize(data, width, height);
    case TQSGraphicType::Icon:
      return IconSize(data, width, height);
    case TQSGraphicType::Metafile:
      return MetafileSize(data, width, height);
    case TQSGraphicType::None:
      break;
  }
  return false;
}

// ---------------------------------------------------------------- picture

void TQSPicture::LoadFromBytes(TQSGraphicType type, std::vector<uint8_t> data) {
  if (type == TQSGraphicType::None) {
    Clear();
    return;
  }
  type_ = type;
  data_ = std::move(data);
  width_ = height_ = 0;
  if (!GraphicSize(type_, data_, width_, height_)) width_ = height_ = 0;
  Changed();
}

void TQSPicture::Clear() {
  type_ = TQSGraphicType::None;
  data_.clear();
  width_ = height_ = 0;
  Changed();
}

void TQSPicture::Assign(const TQSPicture& source) {
  if (&source == this) return;
  type_ = source.type_;
  data_ = source.data_;
  width_ = source.width_;
  height_ = source.height_;
  Changed();
}

void TQSPicture::Changed() { Fire(OnChange, this); }

// ---------------------------------------------------------------- records

void WritePicture(TStream& s, const TQSPicture& picture) {
  s.WriteU16(1);
  if (picture.Empty()) {
    s.WriteU16(0);
    s.WriteI32(0);
    return;
  }
  if (picture.Data().size() > 0x7FFFFFFF) throw EWriteError("Cannot save: picture too large");
  s.WriteU16(static_cast<uint16_t>(picture.GraphicType()));
  s.WriteI32(static_cast<int32_t>(picture.Data().size()));
  s.WriteBytes(picture.Data());
}

void ReadPicture(TStream& s, TQSPicture& picture, int64_t limit) {
  if (limit - s.Position() < 8) throw EReadError();
  uint16_t marker = s.ReadU16();
  uint16_t type = s.ReadU16();
  int32_t count = s.ReadI32();
  if (marker != 1 || !IsGraphicType(type)) {
    picture.Clear();
    return;
  }
  if (count < 0 || count > limit - s.Position()) throw EReadError();
  picture.LoadFromBytes(static_cast<TQSGraphicType>(type), s.ReadBytes(static_cast<size_t>(count)));
}

}  // namespace qs
