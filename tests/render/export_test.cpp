// Page export as images: each format read back by the toolkit's own
// readers at the size of the zoom, ranges and double pages, the metafile
// record by record, and wrong values that write nothing.
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>

#include "base/exceptions.h"
#include "base/stream.h"
#include "platform/bitmap.h"
#include "platform/imagereader.h"
#include "render/exportimage.h"
#include "score/page.h"
#include "render_fixture.h"

namespace qs::test {
namespace {


class ExportTest : public TRenderFixture {
 protected:
  // The page is 100 x 80 mm: 378 x 302 pixels at zoom 100.
  static constexpr int kPageW = 378, kPageH = 302;

  std::vector<uint8_t> Export(int format, int from = 1, int to = 1, int pixelFormat = 1, int quality = 90,
                              bool doublePage = false) {
    TMemoryStream s;
    Window.ExportPage(s, format, from, to, pixelFormat, quality, doublePage);
    return s.Bytes();
  }

  static bool Dark(TColor c, int tolerance) {
    return GetRValue(c) <= tolerance && GetGValue(c) <= tolerance && GetBValue(c) <= tolerance;
  }
  static bool Light(TColor c, int tolerance) {
    return GetRValue(c) >= 255 - tolerance && GetGValue(c) >= 255 - tolerance && GetBValue(c) >= 255 - tolerance;
  }
};

TEST_F(ExportTest, EachFormatReadsBackAtTheSizeOfTheZoom) {
  struct Case {
    int format, pixelFormat, zoom;
    std::string name;
    int depth;
    bool grey;
    int tolerance;  // JPEG is lossy
  };
  const Case cases[] = {
      {efBmp, 0, 100, "bmp", 8, false, 0},
      {efBmp, 1, 200, "bmp", 32, false, 0},
      {efBmp, 7, 100, "bmp", 32, false, 0},  // neither: the bitmap's own
      {efGif, 1, 100, "gif", 0, false, 0},  // the reader gives no palette
      {efGif, 0, 300, "gif", 0, false, 0},
      {efJpeg, 0, 100, "jpeg", 8, true, 60},
      {efJpeg, 1, 150, "jpeg", 32, false, 60},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name + " " + std::to_string(c.pixelFormat) + " at " + std::to_string(c.zoom));
    Window.Zoom = c.zoom;
    const TDecodedImage image = DecodeImage(Export(c.format, 1, 1, c.pixelFormat));
    EXPECT_EQ(image.Format, c.name);
    EXPECT_EQ(image.Width, kPageW * c.zoom / 100);
    EXPECT_EQ(image.Height, kPageH * c.zoom / 100);
    if (c.depth) {
      EXPECT_EQ(image.Depth, c.depth);
    }
    EXPECT_EQ(image.Grayscale, c.grey);
    // The staff's top line, black on paper, and the space below it.
    const int x = 100 * c.zoom / 100, line = 100 * c.zoom / 100, space = line + 3 * c.zoom / 100;
    EXPECT_TRUE(Dark(image.Pixel(x, line), c.tolerance)) << std::hex << image.Pixel(x, line);
    EXPECT_TRUE(Light(image.Pixel(x, space), c.tolerance)) << std::hex << image.Pixel(x, space);
    EXPECT_TRUE(Light(image.Pixel(image.Width - 1, image.Height - 1), c.tolerance));
    EXPECT_EQ(Window.Style, wsNormal);
  }
}

TEST_F(ExportTest, ManyColoursAreReducedToAPalette) {
  // A page of anti-aliased music has more than 256 colours only in odd
  // cases; a gradient forces the reduction.
  TBitmap bitmap(64, 64);
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) bitmap.SetPixel(x, y, RGB(uint8_t(x * 4), uint8_t(y * 4), uint8_t((x + y) * 2)));
  const TPalettedImage reduced = ReduceColors(bitmap);
  EXPECT_LE(reduced.Palette.size(), 256u);
  EXPECT_GT(reduced.Palette.size(), 128u);
  long long error = 0;
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) {
      const TColor want = bitmap.Pixel(x, y), got = reduced.Palette[reduced.Indexes[size_t(y * 64 + x)]];
      error += std::abs(GetRValue(want) - GetRValue(got)) + std::abs(GetGValue(want) - GetGValue(got)) +
               std::abs(GetBValue(want) - GetBValue(got));
    }
  EXPECT_LT(error / (64 * 64), 24);  // a few steps per channel on average
  TMemoryStream gif;
  WriteGifImage(gif, bitmap);
  const TDecodedImage image = DecodeImage(gif.Bytes());
  EXPECT_EQ(image.Width, 64);
  EXPECT_EQ(image.Pixel(0, 0), reduced.Palette[reduced.Indexes[0]]);
}

TEST_F(ExportTest, APageRangeStacksItsPagesAndADoublePagePairsThem) {
  AddPage(880);  // top lines at y 110 and 120
  AddPage(960);
  struct Case {
    int from, to;
    bool doublePage;
    int columns, rows;
    std::vector<std::array<int, 3>> pages;  // page number, column, row
  };
  const Case cases[] = {
      {1, 3, false, 1, 3, {{1, 0, 0}, {2, 0, 1}, {3, 0, 2}}},
      {1, 3, true, 2, 2, {{1, 0, 0}, {2, 1, 0}, {3, 0, 1}}},
      {2, 3, true, 2, 1, {{2, 0, 0}, {3, 1, 0}}},
      {2, 2, true, 1, 1, {{2, 0, 0}}},  // one page stays one page wide
      {2, 9, false, 1, 2, {{2, 0, 0}, {3, 0, 1}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.from) + ".." + std::to_string(c.to) + (c.doublePage ? " double" : ""));
    const TDecodedImage image = DecodeImage(Export(efBmp, c.from, c.to, 1, 90, c.doublePage));
    ASSERT_EQ(image.Width, kPageW * c.columns);
    ASSERT_EQ(image.Height, kPageH * c.rows);
    for (const auto& [page, column, row] : c.pages) {
      const int x = column * kPageW + 100, y = row * kPageH + 90 + 10 * page;
      EXPECT_EQ(image.Pixel(x, y), clBlack) << "page " << page;
      EXPECT_EQ(image.Pixel(x, y - 1), clWhite) << "page " << page;
    }
    if (c.pages.size() < size_t(c.columns * c.rows)) {  // the empty half of the last pair stays white
      EXPECT_EQ(image.Pixel(kPageW + 100, kPageH + 120), clWhite);
    }
  }
}

TEST_F(ExportTest, TrailingEmptySystemsOnlyWhenTheScoreAsks) {
  AddSystem(Page, 1, 1600);  // after the last filled measure: its top line at y 200
  for (bool emptyLines : {false, true}) {
    Score.PrintEmptyLines = emptyLines;
    const TDecodedImage image = DecodeImage(Export(efGif));
    EXPECT_EQ(image.Pixel(100, 100), clBlack);
    EXPECT_EQ(image.Pixel(100, 200), emptyLines ? clBlack : clWhite);
  }
}

TEST_F(ExportTest, TheMetafileHoldsThePageAsOneBitmap) {
  Window.Zoom = 200;
  const std::vector<uint8_t> bytes = Export(efMetafile, 1, 1, 0);
  EXPECT_EQ(bytes, Export(efMetafile, 1, 1, 1));  // the pixel format is not used
  TMemoryStream s(bytes);
  const int w = kPageW * 2, h = kPageH * 2;
  const uint32_t stride = (uint32_t(w) * 3 + 3) & ~3u, bits = stride * uint32_t(h);

  // The header.
  EXPECT_EQ(s.ReadU32(), 1u);
  EXPECT_EQ(s.ReadU32(), 108u);
  EXPECT_EQ(s.ReadI32(), 0);  // bounds, pixels, both edges included
  EXPECT_EQ(s.ReadI32(), 0);
  EXPECT_EQ(s.ReadI32(), w - 1);
  EXPECT_EQ(s.ReadI32(), h - 1);
  EXPECT_EQ(s.ReadI32(), 0);  // frame, hundredths of a millimetre at 96 ppi
  EXPECT_EQ(s.ReadI32(), 0);
  EXPECT_EQ(s.ReadI32(), (w * 2540 + 48) / 96 - 1);
  EXPECT_EQ(s.ReadI32(), (h * 2540 + 48) / 96 - 1);
  EXPECT_EQ(s.ReadU32(), 0x464D4520u);  // " EMF"
  EXPECT_EQ(s.ReadU32(), 0x10000u);
  EXPECT_EQ(s.ReadU32(), bytes.size());
  EXPECT_EQ(s.ReadU32(), 3u);  // records
  EXPECT_EQ(s.ReadU16(), 1u);  // handles
  EXPECT_EQ(s.ReadU16(), 0u);
  EXPECT_EQ(s.ReadU32(), 0u);  // description
  EXPECT_EQ(s.ReadU32(), 0u);
  EXPECT_EQ(s.ReadU32(), 0u);  // palette
  EXPECT_EQ(s.ReadI32(), 960);  // reference device: pixels ...
  EXPECT_EQ(s.ReadI32(), 960);
  EXPECT_EQ(s.ReadI32(), 254);  // ... and millimetres
  EXPECT_EQ(s.ReadI32(), 254);
  s.SetPosition(108);

  // The bitmap stretched over the picture.
  const int64_t record = s.Position();
  EXPECT_EQ(s.ReadU32(), 81u);
  EXPECT_EQ(s.ReadU32(), 80u + 40u + bits);
  for (int32_t v : {0, 0, w - 1, h - 1, 0, 0, 0, 0, w, h}) EXPECT_EQ(s.ReadI32(), v);
  EXPECT_EQ(s.ReadU32(), 80u);    // header offset
  EXPECT_EQ(s.ReadU32(), 40u);    // header size
  EXPECT_EQ(s.ReadU32(), 120u);   // bits offset
  EXPECT_EQ(s.ReadU32(), bits);   // bits size
  EXPECT_EQ(s.ReadU32(), 0u);     // RGB colours
  EXPECT_EQ(s.ReadU32(), 0x00CC0020u);
  EXPECT_EQ(s.ReadI32(), w);
  EXPECT_EQ(s.ReadI32(), h);
  // Its header and bits, read as a BMP file by the toolkit.
  std::vector<uint8_t> bmp = {'B', 'M'};
  const uint32_t fileSize = 14 + 40 + bits;
  for (uint32_t v : {fileSize, 0u, 54u})
    for (int i = 0; i < 4; ++i) bmp.push_back(uint8_t(v >> (8 * i)));
  const std::vector<uint8_t> dib = s.ReadBytes(40 + bits);
  bmp.insert(bmp.end(), dib.begin(), dib.end());
  const TDecodedImage image = DecodeImage(bmp);
  EXPECT_EQ(image.Width, w);
  EXPECT_EQ(image.Height, h);
  EXPECT_EQ(image.Pixel(200, 200), clBlack);
  EXPECT_EQ(image.Pixel(200, 206), clWhite);
  EXPECT_EQ(s.Position(), record + 80 + 40 + bits);

  // The end.
  for (uint32_t v : {14u, 20u, 0u, 16u, 20u}) EXPECT_EQ(s.ReadU32(), v);
  EXPECT_EQ(s.Remaining(), 0);
}

TEST_F(ExportTest, JpegQualityIsHonoured) {
  const size_t low = Export(efJpeg, 1, 1, 1, 20).size(), high = Export(efJpeg, 1, 1, 1, 100).size();
  EXPECT_LT(low, high);
}

TEST_F(ExportTest, WrongValuesWriteNothing) {
  struct Case {
    const char* what;
    int format, from, to, quality, zoom;
    long double width;
  };
  const Case cases[] = {
      {"format 4", 4, 1, 1, 90, 100, 1000},
      {"format -1", -1, 1, 1, 90, 100, 1000},
      {"quality 10", efJpeg, 1, 1, 10, 100, 1000},
      {"quality 101", efJpeg, 1, 1, 101, 100, 1000},
      {"no such page", efBmp, 2, 3, 90, 100, 1000},
      {"backward range", efBmp, 1, 0, 90, 100, 1000},
      {"zoom 0", efGif, 1, 1, 90, 0, 1000},
      {"wider than an image", efBmp, 1, 1, 90, 200, 100000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Window.Zoom = c.zoom;
    Score.Page.Fields.Width = c.width;
    TMemoryStream s;
    EXPECT_THROW(Window.ExportPage(s, c.format, c.from, c.to, 1, c.quality, false), EInvalidOperation);
    EXPECT_EQ(s.Size(), 0);
    EXPECT_EQ(Window.Style, wsNormal);
  }
  // Quality does not matter for the other formats.
  Window.Zoom = 100;
  Score.Page.Fields.Width = 1000.0L;
  EXPECT_FALSE(Export(efBmp, 1, 1, 1, 0).empty());
  // Without a score nothing happens.
  Score.DetachWindow(&Window);
  EXPECT_TRUE(Export(efBmp).empty());
}

TEST_F(ExportTest, AFailingStreamReachesTheCaller) {
  class TFullStream : public TMemoryStream {
   public:
    size_t Write(const void* buffer, size_t count) override {
      const size_t room = Size() < 100 ? std::min<size_t>(count, size_t(100 - Size())) : 0;
      return TMemoryStream::Write(buffer, room);
    }
  };
  for (int format : {efBmp, efGif, efJpeg, efMetafile}) {
    SCOPED_TRACE(format);
    TFullStream s;
    EXPECT_THROW(Window.ExportPage(s, format, 1, 1, 1, 90, false), EWriteError);
    EXPECT_EQ(Window.Style, wsNormal);
  }
}

}  // namespace
}  // namespace qs::test
