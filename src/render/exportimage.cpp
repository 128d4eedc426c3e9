#include "render/exportimage.h"

#include <gif_lib.h>
#include <jpeglib.h>

#include <algorithm>
#include <csetjmp>
#include <cstdlib>
#include <exception>
#include <memory>
#include <string>
#include <unordered_map>

#include "base/exceptions.h"
#include "base/stream.h"
#include "platform/bitmap.h"

namespace qs {

namespace {

// Bitmap rows hold words $xxRRGGBB.
uint8_t Red(uint32_t w) { return static_cast<uint8_t>(w >> 16); }
uint8_t Green(uint32_t w) { return static_cast<uint8_t>(w >> 8); }
uint8_t Blue(uint32_t w) { return static_cast<uint8_t>(w); }
TColor ColorOf(uint32_t w) { return RGB(Red(w), Green(w), Blue(w)); }

void Put16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

// ---- Device-independent bitmaps (BMP files and the metafile's picture) -------------

// The info header (with the palette of an 8-bit one) and the pixels, rows
// from the bottom up, each padded to four bytes; the rows are written one
// at a time, so that a large page is not held twice.
class TDib {
 public:
  TDib(const TBitmap& bitmap, int bitCount) : bitmap_(bitmap), bitCount_(bitCount) {
    const int w = bitmap.Width(), h = bitmap.Height();
    stride_ = (static_cast<size_t>(w) * static_cast<size_t>(bitCount) / 8 + 3) & ~size_t(3);
    if (bitCount == 8) paletted_ = ReduceColors(bitmap);
    Put32(info_, 40);
    Put32(info_, static_cast<uint32_t>(w));
    Put32(info_, static_cast<uint32_t>(h));  // positive: bottom-up
    Put16(info_, 1);
    Put16(info_, static_cast<uint32_t>(bitCount));
    Put32(info_, 0);  // uncompressed
    Put32(info_, BitsSize());
    Put32(info_, 0);  // no resolution
    Put32(info_, 0);
    Put32(info_, static_cast<uint32_t>(paletted_.Palette.size()));
    Put32(info_, 0);
    for (TColor c : paletted_.Palette) {
      info_.push_back(GetBValue(c));
      info_.push_back(GetGValue(c));
      info_.push_back(GetRValue(c));
      info_.push_back(0);
    }
  }

  const std::vector<uint8_t>& Info() const { return info_; }
  uint32_t InfoSize() const { return static_cast<uint32_t>(info_.size()); }
  uint32_t BitsSize() const { return static_cast<uint32_t>(stride_ * static_cast<size_t>(bitmap_.Height())); }

  void WriteBits(TStream& stream) const {
    const int w = bitmap_.Width();
    std::vector<uint8_t> out(stride_, 0);
    for (int y = bitmap_.Height() - 1; y >= 0; --y) {
      if (bitCount_ == 8) {
        std::copy_n(paletted_.Indexes.data() + static_cast<size_t>(y) * static_cast<size_t>(w), w, out.data());
      } else {
        const uint32_t* row = bitmap_.ScanLine(y);
        uint8_t* p = out.data();
        for (int x = 0; x < w; ++x) {
          *p++ = Blue(row[x]);
          *p++ = Green(row[x]);
          *p++ = Red(row[x]);
          if (bitCount_ == 32) *p++ = 0;
        }
      }
      stream.WriteBytes(out);
    }
  }

 private:
  const TBitmap& bitmap_;
  int bitCount_;
  size_t stride_ = 0;
  TPalettedImage paletted_;
  std::vector<uint8_t> info_;
};

// ---- GIF ---------------------------------------------------------------------------

// giflib writes through this function; a failing stream is remembered and
// reported as a short write, so that no exception crosses the library.
struct TGifSink {
  TStream* Stream = nullptr;
  std::exception_ptr Error;
};

int GifWrite(GifFileType* gif, const GifByteType* data, int count) {
  auto* sink = static_cast<TGifSink*>(gif->UserData);
  if (sink->Error) return 0;
  try {
    sink->Stream->WriteBuffer(data, static_cast<size_t>(count));
    return count;
  } catch (...) {
    sink->Error = std::current_exception();
    return 0;
  }
}

[[noreturn]] void RaiseGifError(const TGifSink& sink, int error) {
  if (sink.Error) std::rethrow_exception(sink.Error);
  const char* why = GifErrorString(error);
  throw EWriteError(std::string("Cannot write the GIF image: ") + (why ? why : "unknown error"));
}

// ---- JPEG --------------------------------------------------------------------------

// libjpeg reports errors by calling error_exit, which must not return: it
// jumps back to the encoder with the message.
struct TJpegState {
  jpeg_compress_struct Info{};
  jpeg_error_mgr Error{};
  std::jmp_buf Jump{};
  char Message[JMSG_LENGTH_MAX] = {};
  unsigned char* Out = nullptr;
  unsigned long OutSize = 0;
};

void JpegErrorExit(j_common_ptr info) {
  auto* state = static_cast<TJpegState*>(info->client_data);
  (*info->err->format_message)(info, state->Message);
  std::longjmp(state->Jump, 1);
}

}  // namespace

TPalettedImage ReduceColors(const TBitmap& bitmap) {
  TPalettedImage out;
  out.Width = bitmap.Width();
  out.Height = bitmap.Height();
  const size_t count = static_cast<size_t>(out.Width) * static_cast<size_t>(out.Height);
  out.Indexes.resize(count);
  // Most pages have a few colours only: keep them exactly.
  std::unordered_map<uint32_t, uint8_t> index;
  bool exact = true;
  for (int y = 0; y < out.Height && exact; ++y) {
    const uint32_t* row = bitmap.ScanLine(y);
    uint8_t* dest = out.Indexes.data() + static_cast<size_t>(y) * static_cast<size_t>(out.Width);
    uint32_t last = 0;
    uint8_t lastIndex = 0;
    bool haveLast = false;
    for (int x = 0; x < out.Width; ++x) {
      const uint32_t c = row[x] & 0xFFFFFF;
      if (!haveLast || c != last) {
        auto it = index.find(c);
        if (it == index.end()) {
          if (index.size() == 256) {
            exact = false;
            break;
          }
          it = index.emplace(c, static_cast<uint8_t>(index.size())).first;
          out.Palette.push_back(ColorOf(c));
        }
        last = c;
        lastIndex = it->second;
        haveLast = true;
      }
      dest[x] = lastIndex;
    }
  }
  if (exact) return out;

  std::vector<GifByteType> r(count), g(count), b(count);
  for (int y = 0; y < out.Height; ++y) {
    const uint32_t* row = bitmap.ScanLine(y);
    const size_t at = static_cast<size_t>(y) * static_cast<size_t>(out.Width);
    for (int x = 0; x < out.Width; ++x) {
      r[at + static_cast<size_t>(x)] = Red(row[x]);
      g[at + static_cast<size_t>(x)] = Green(row[x]);
      b[at + static_cast<size_t>(x)] = Blue(row[x]);
    }
  }
  GifColorType map[256];
  int size = 256;
  if (GifQuantizeBuffer(static_cast<unsigned>(out.Width), static_cast<unsigned>(out.Height), &size, r.data(),
                        g.data(), b.data(), out.Indexes.data(), map) != GIF_OK)
    throw EWriteError("Cannot reduce the image's colours to a palette.");
  out.Palette.clear();
  for (int i = 0; i < size; ++i) out.Palette.push_back(RGB(map[i].Red, map[i].Green, map[i].Blue));
  return out;
}

void WriteBmpImage(TStream& stream, const TBitmap& bitmap) {
  const TDib dib(bitmap, bitmap.PixelFormat() == pf8bit ? 8 : 32);
  const uint32_t offBits = 14 + dib.InfoSize();
  stream.WriteU8('B');
  stream.WriteU8('M');
  stream.WriteU32(offBits + dib.BitsSize());
  stream.WriteU32(0);
  stream.WriteU32(offBits);
  stream.WriteBytes(dib.Info());
  dib.WriteBits(stream);
}

void WriteGifImage(TStream& stream, const TBitmap& bitmap) {
  const TPalettedImage image = ReduceColors(bitmap);
  int mapSize = 2;
  while (mapSize < static_cast<int>(image.Palette.size())) mapSize *= 2;
  ColorMapObject* map = GifMakeMapObject(mapSize, nullptr);
  if (!map) throw EWriteError("Cannot write the GIF image: out of memory");
  for (size_t i = 0; i < image.Palette.size(); ++i)
    map->Colors[i] = {GetRValue(image.Palette[i]), GetGValue(image.Palette[i]), GetBValue(image.Palette[i])};

  TGifSink sink{&stream, nullptr};
  int error = 0;
  GifFileType* gif = EGifOpen(&sink, GifWrite, &error);
  if (!gif) {
    GifFreeMapObject(map);
    RaiseGifError(sink, error);
  }
  bool ok = EGifPutScreenDesc(gif, image.Width, image.Height, GifBitSize(mapSize), 0, map) == GIF_OK &&
            EGifPutImageDesc(gif, 0, 0, image.Width, image.Height, false, nullptr) == GIF_OK;
  for (int y = 0; ok && y < image.Height; ++y) {
    auto* row = const_cast<GifPixelType*>(image.Indexes.data() + static_cast<size_t>(y) * static_cast<size_t>(image.Width));
    ok = EGifPutLine(gif, row, image.Width) == GIF_OK;
  }
  if (!ok) error = gif->Error;
  GifFreeMapObject(map);
  int closeError = 0;
  if (EGifCloseFile(gif, &closeError) != GIF_OK && ok) {
    ok = false;
    error = closeError;
  }
  if (!ok || sink.Error) RaiseGifError(sink, error);
}

void WriteJpegImage(TStream& stream, const TBitmap& bitmap, int quality, bool grey) {
  const int w = bitmap.Width(), h = bitmap.Height();
  auto state = std::make_unique<TJpegState>();
  std::vector<JSAMPLE> row(static_cast<size_t>(w) * 3);
  jpeg_compress_struct& info = state->Info;
  info.client_data = state.get();
  info.err = jpeg_std_error(&state->Error);
  state->Error.error_exit = JpegErrorExit;
  if (setjmp(state->Jump)) {
    jpeg_destroy_compress(&info);
    std::free(state->Out);
    throw EWriteError(std::string("Cannot write the JPEG image: ") + state->Message);
  }
  jpeg_create_compress(&info);
  jpeg_mem_dest(&info, &state->Out, &state->OutSize);
  info.image_width = static_cast<JDIMENSION>(w);
  info.image_height = static_cast<JDIMENSION>(h);
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  if (grey) jpeg_set_colorspace(&info, JCS_GRAYSCALE);
  jpeg_set_quality(&info, std::clamp(quality, 1, 100), TRUE);
  jpeg_start_compress(&info, TRUE);
  for (int y = 0; y < h; ++y) {
    const uint32_t* line = bitmap.ScanLine(y);
    for (int x = 0; x < w; ++x) {
      row[static_cast<size_t>(x) * 3] = Red(line[x]);
      row[static_cast<size_t>(x) * 3 + 1] = Green(line[x]);
      row[static_cast<size_t>(x) * 3 + 2] = Blue(line[x]);
    }
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&info, rows, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  std::unique_ptr<unsigned char, decltype(&std::free)> out(state->Out, &std::free);
  stream.WriteBuffer(out.get(), state->OutSize);
}

void WriteMetafileImage(TStream& stream, const TBitmap& bitmap, int pixelsPerInch) {
  const int w = bitmap.Width(), h = bitmap.Height();
  const int ppi = pixelsPerInch > 0 ? pixelsPerInch : 96;
  const TDib dib(bitmap, 24);
  constexpr uint32_t kHeaderSize = 108, kStretchFixed = 80, kEofSize = 20;
  const uint32_t stretchSize = kStretchFixed + dib.InfoSize() + dib.BitsSize();
  const uint32_t total = kHeaderSize + stretchSize + kEofSize;
  const auto rect = [&stream](int32_t l, int32_t t, int32_t r, int32_t b) {
    stream.WriteI32(l);
    stream.WriteI32(t);
    stream.WriteI32(r);
    stream.WriteI32(b);
  };
  // The picture's extent in hundredths of a millimetre, both edges included.
  const auto hundredths = [ppi](int pixels) { return static_cast<int32_t>((int64_t(pixels) * 2540 + ppi / 2) / ppi) - 1; };

  // The header: its extent in pixels and in hundredths of a millimetre,
  // and a reference device of exactly ppi pixels per inch.
  stream.WriteU32(1);
  stream.WriteU32(kHeaderSize);
  rect(0, 0, w - 1, h - 1);
  rect(0, 0, hundredths(w), hundredths(h));
  stream.WriteU32(0x464D4520);  // " EMF"
  stream.WriteU32(0x00010000);
  stream.WriteU32(total);
  stream.WriteU32(3);  // records
  stream.WriteU16(1);  // handles: only the reserved one
  stream.WriteU16(0);
  stream.WriteU32(0);  // no description
  stream.WriteU32(0);
  stream.WriteU32(0);  // no palette
  stream.WriteI32(ppi * 10);  // reference device: 254 mm at ppi
  stream.WriteI32(ppi * 10);
  stream.WriteI32(254);
  stream.WriteI32(254);
  stream.WriteU32(0);  // no pixel format
  stream.WriteU32(0);
  stream.WriteU32(0);  // not OpenGL
  stream.WriteI32(254000);  // the reference device in micrometres
  stream.WriteI32(254000);

  // The bitmap stretched over the whole picture.
  stream.WriteU32(81);
  stream.WriteU32(stretchSize);
  rect(0, 0, w - 1, h - 1);
  stream.WriteI32(0);  // destination x, y
  stream.WriteI32(0);
  stream.WriteI32(0);  // source x, y
  stream.WriteI32(0);
  stream.WriteI32(w);  // source width, height
  stream.WriteI32(h);
  stream.WriteU32(kStretchFixed);  // the bitmap's header follows the record's fields
  stream.WriteU32(dib.InfoSize());
  stream.WriteU32(kStretchFixed + dib.InfoSize());
  stream.WriteU32(dib.BitsSize());
  stream.WriteU32(0);           // colours are RGB values
  stream.WriteU32(0x00CC0020);  // copy the source
  stream.WriteI32(w);           // destination width, height
  stream.WriteI32(h);
  stream.WriteBytes(dib.Info());
  dib.WriteBits(stream);

  // The end.
  stream.WriteU32(14);
  stream.WriteU32(kEofSize);
  stream.WriteU32(0);   // no palette entries
  stream.WriteU32(16);  // where they would be
  stream.WriteU32(kEofSize);
}

}  // namespace qs
