// Page export: the pages of a range painted into one bitmap at the view's
// zoom and written as an image, or printed into a PDF document.
#include <algorithm>
#include <memory>
#include <string>

#include "base/exceptions.h"
#include "base/safefile.h"
#include "base/stream.h"
#include "platform/bitmap.h"
#include "platform/graphics.h"
#include "platform/gui.h"
#include "platform/printer.h"
#include "render/exportimage.h"
#include "render/print.h"
#include "score/page.h"
#include "score/score.h"

namespace qs {

namespace {


// No image side may exceed what JPEG can hold, and one image stays within
// a quarter of a gigabyte of pixels.
constexpr int kMaxImageSide = 65500;
constexpr long long kMaxImagePixels = 64LL * 1024 * 1024;

std::string RangeText(const TPageRange& range) {
  return range.Count() == 1 ? "page " + std::to_string(range.First + 1)
                            : "pages " + std::to_string(range.First + 1) + " to " + std::to_string(range.Last + 1);
}

// Where the pages of a range go in the image: one below the other, or two
// side by side per row for a double page.
struct TSheetLayout {
  int PageWidth = 0, PageHeight = 0, Columns = 1, Rows = 1;
  int Width() const { return PageWidth * Columns; }
  int Height() const { return PageHeight * Rows; }
};

TSheetLayout LayoutSheet(const TQSScore& score, const TPageRange& range, int zoom, bool doublePage) {
  TSheetLayout sheet;
  sheet.PageWidth = static_cast<int>(static_cast<long long>(score.Page.PixelWidth()) * zoom / 100);
  sheet.PageHeight = static_cast<int>(static_cast<long long>(score.Page.PixelHeight()) * zoom / 100);
  sheet.Columns = doublePage && range.Count() > 1 ? 2 : 1;
  sheet.Rows = (range.Count() + sheet.Columns - 1) / sheet.Columns;
  const long long w = static_cast<long long>(sheet.PageWidth) * sheet.Columns;
  const long long h = static_cast<long long>(sheet.PageHeight) * sheet.Rows;
  if (sheet.PageWidth <= 0 || sheet.PageHeight <= 0)
    throw EInvalidOperation("The page has no size to export.");
  if (w > kMaxImageSide || h > kMaxImageSide || w * h > kMaxImagePixels)
    throw EInvalidOperation("An image of " + RangeText(range) + " would be " + std::to_string(w) + " x " +
                            std::to_string(h) + " pixels, more than one image can hold. Export fewer pages "
                            "or at a smaller scale.");
  return sheet;
}

TPageRange ExportRange(const TQSScore& score, int fromPage, int toPage) {
  const TPageRange range = LaidOutRange(score, fromPage, toPage);
  if (range.Count() == 0)
    throw EInvalidOperation("There is no page " + std::to_string(fromPage) + " to " + std::to_string(toPage) +
                            " to export: the score has " + std::to_string(score.LaidOutPages) + " pages.");
  return range;
}

}  // namespace

void TQSPageView::ExportPage(TStream& stream, int format, int fromPage, int toPage, int pixelFormat, int quality,
                           bool doublePage) {
  if (!Score) return;
  const TQSScore& score = *Score;
  if (format < efBmp || format > efMetafile)
    throw EInvalidOperation("Unknown image format " + std::to_string(format) + ".");
  if (format == efJpeg && (quality < 20 || quality > 100))
    throw EInvalidOperation("The JPEG quality must be between 20 and 100.");
  if (Zoom < kMinZoom || Zoom > kMaxZoom) throw EInvalidOperation("The scale must be between 25 and 975 %.");
  const TPageRange range = ExportRange(score, fromPage, toPage);
  const TSheetLayout sheet = LayoutSheet(score, range, Zoom, doublePage);

  TPaintStyleScope style(*this, wsExport);
  TBitmap bitmap(sheet.Width(), sheet.Height());
  if (format != efMetafile) {
    if (pixelFormat == 0) bitmap.SetPixelFormat(pf8bit);
    else if (pixelFormat == 1) bitmap.SetPixelFormat(pf32bit);
  }
  {
    TCanvas& canvas = bitmap.Canvas();
    std::unique_ptr<TGraphics> graphics;
    if (UseAntiAliasedSurface()) {
      graphics = std::make_unique<TGraphics>(canvas);
      graphics->SetSmoothingMode(SmoothingModeAntiAlias);
    }
    for (int i = 0; i < range.Count(); ++i) {
      const int x = (i % sheet.Columns) * sheet.PageWidth, y = (i / sheet.Columns) * sheet.PageHeight;
      canvas.SetViewportOrg(x, y);
      if (graphics) {
        graphics->ResetTransform();
        graphics->TranslateTransform(static_cast<float>(x), static_cast<float>(y));
      }
      PaintPage(range.First + i, canvas, graphics.get(), Zoom, Zoom, x, y);
    }
    canvas.SetViewportOrg(0, 0);
  }
  switch (format) {
    case efBmp: WriteBmpImage(stream, bitmap); break;
    case efGif: WriteGifImage(stream, bitmap); break;
    case efJpeg: WriteJpegImage(stream, bitmap, quality, pixelFormat == 0); break;
    default: WriteMetafileImage(stream, bitmap, ScreenPixelsPerInch); break;
  }
}

void TQSPageView::ExportPDF(const std::string& fileName, int fromPage, int toPage, int scale, bool compressed,
                          bool imagesAsJpeg) {
  if (!Score) return;
  const TQSScore& score = *Score;
  if (scale < 25 || scale > 200) throw EInvalidOperation("The PDF scale must be between 25 and 200 %.");
  const TPageRange range = ExportRange(score, fromPage, toPage);
  CheckExportPageCount(range.Count());

  TPdfSetup setup;
  setup.WidthMM = static_cast<double>(score.Page.Tenths(TQSPage::dWidth).Value()) / 10;
  setup.HeightMM = static_cast<double>(score.Page.Tenths(TQSPage::dHeight).Value()) / 10;
  if (setup.WidthMM <= 0 || setup.HeightMM <= 0) throw EInvalidOperation("The page has no size to export.");
  setup.Scale = scale;
  setup.Compressed = compressed;
  setup.ImagesAsJpeg = imagesAsJpeg;
  setup.Creator = "Quillstave 4";
  std::unique_ptr<TPdfPrinter> printer = CreatePdfPrinter(setup);
  TPrintDialog pages;
  pages.PrintRange = prPageNums;
  pages.FromPage = range.First + 1;
  pages.ToPage = range.Last + 1;
  PrintScore(pages, *printer);
  const std::vector<uint8_t> document = printer->TakeDocument();
  SafeSaveFile(fileName, [&document](TStream& s) { s.WriteBytes(document); });
}

}  // namespace qs
