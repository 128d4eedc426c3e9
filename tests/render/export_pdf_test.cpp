// PDF export: pages and their size at the scale, embedded fonts, the
// compression and picture choices, and wrong values that write nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <string_view>
#include <iterator>
#include <sstream>
#include <utility>

#include "base/exceptions.h"
#include "platform/bitmap.h"
#include "platform/canvas.h"
#include "platform/printer.h"
#include "render/print.h"
#include "score/page.h"
#include "export_support.h"
#include "render_fixture.h"

namespace qs::test {
namespace {

class PdfExportTest : public TRenderFixture {
 protected:
  TTempFile File{"export.pdf"};
  std::string Text() const {
    const std::vector<uint8_t> bytes = File.Bytes();
    return std::string(bytes.begin(), bytes.end());
  }
};

TEST_F(PdfExportTest, PagesAndTheirSizeAtTheScale) {
  QS_REQUIRE_POPPLER();
  AddPage(1600);
  AddPage(2400);
  struct Case {
    int from, to, scale;
    bool portrait;
    int pages;
    double width, height;  // points
  };
  // The page is 100 x 80 mm: 283.5 x 226.8 points.
  const Case cases[] = {
      {1, 3, 100, false, 3, 283.5, 226.8},
      {2, 9, 200, false, 2, 566.9, 453.5},
      {3, 3, 25, false, 1, 70.9, 56.7},
      {1, 2, 100, true, 2, 226.8, 283.5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.from) + ".." + std::to_string(c.to) + " at " + std::to_string(c.scale));
    Score.Page.Fields.Width = c.portrait ? 800.0L : 1000.0L;
    Score.Page.Fields.Height = c.portrait ? 1000.0L : 800.0L;
    Window.ExportPDF(File.Path(), c.from, c.to, c.scale, true, true);
    const auto info = PdfInfo(File.Path());
    ASSERT_EQ(info.count("Pages"), 1u) << "not a readable PDF";
    EXPECT_EQ(info.at("Pages"), std::to_string(c.pages));
    const auto [w, h] = PdfPageSize(info);
    EXPECT_NEAR(w, c.width, 1.0);
    EXPECT_NEAR(h, c.height, 1.0);
    EXPECT_EQ(Window.Style, wsNormal);
  }
}

TEST_F(PdfExportTest, TheMusicFontIsEmbedded) {
  QS_REQUIRE_POPPLER();
  Head(NewNote(128), 400, 4);
  Window.ExportPDF(File.Path(), 1, 1, 100, true, true);
  const std::string fonts = RunCommand("pdffonts '" + File.Path() + "' 2>/dev/null");
  std::istringstream lines(fonts);
  int listed = 0;
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("name", 0) == 0 || line.rfind("---", 0) == 0) continue;
    ++listed;
    // Columns: name type encoding emb sub uni object ID.
    std::istringstream fields(line);
    std::vector<std::string> f{std::istream_iterator<std::string>(fields), {}};
    ASSERT_GE(f.size(), 7u) << line;
    EXPECT_EQ(f[f.size() - 5], "yes") << line;
  }
  EXPECT_GE(listed, 1) << fonts;
}

TEST_F(PdfExportTest, UncompressedStreamsDrawTheSamePages) {
  QS_REQUIRE_POPPLER();
  Head(NewNote(128), 400, 4);
  TTempFile plain("export_plain.pdf");
  Window.ExportPDF(File.Path(), 1, 1, 100, true, true);
  Window.ExportPDF(plain.Path(), 1, 1, 100, false, true);
  const std::vector<uint8_t> packed = File.Bytes(), open = plain.Bytes();
  const auto has = [](const std::vector<uint8_t>& bytes, const std::string& what) {
    return std::search(bytes.begin(), bytes.end(), what.begin(), what.end()) != bytes.end();
  };
  EXPECT_TRUE(has(packed, "/FlateDecode"));
  EXPECT_FALSE(has(open, "/FlateDecode"));
  EXPECT_TRUE(has(open, " cm\n"));  // drawing commands in the clear
  EXPECT_EQ(PdfInfo(plain.Path()).at("Pages"), "1");
  const auto render = [](const std::string& path) {
    return RunCommand("pdftoppm -r 48 -gray -f 1 -l 1 '" + path + "' 2>/dev/null");
  };
  const std::string a = render(File.Path()), b = render(plain.Path());
  EXPECT_GT(a.size(), 1000u);
  EXPECT_EQ(a, b);
}

TEST_F(PdfExportTest, PicturesAsJpegOrLossless) {
  TBitmap picture(40, 40);
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 40; ++x) picture.SetPixel(x, y, RGB(uint8_t(x * 6), uint8_t(y * 6), 128));
  for (bool jpeg : {true, false}) {
    TPdfSetup setup;
    setup.ImagesAsJpeg = jpeg;
    std::unique_ptr<TPdfPrinter> printer = CreatePdfPrinter(setup);
    printer->BeginDoc("picture");
    printer->Canvas().StretchDraw({100, 100, 1100, 1100}, picture);
    printer->EndDoc();
    const std::vector<uint8_t> pdf = printer->TakeDocument();
    const std::string text(pdf.begin(), pdf.end());
    EXPECT_EQ(text.find("/DCTDecode") != std::string::npos, jpeg);
    EXPECT_NE(text.find("/Subtype /Image"), std::string::npos);
  }
}

// A filled shape with a solid outline is one path painted with both, so
// that the page does not switch its graphics state twice per shape; a
// styled outline keeps its own path.
TEST_F(PdfExportTest, FilledShapesWithSolidOutlinesAreOnePath) {
  const auto paintOps = [](TPenStyle style) {
    TPdfSetup setup;
    setup.Compressed = false;
    std::unique_ptr<TPdfPrinter> printer = CreatePdfPrinter(setup);
    printer->BeginDoc("shapes");
    TCanvas& canvas = printer->Canvas();
    canvas.Pen() = TPen{clRed, 20, style, pmCopy};
    canvas.Brush().Style = bsSolid;
    canvas.Brush().Color = clBlue;
    canvas.Rectangle(100, 100, 1100, 1100);
    canvas.Ellipse(1200, 100, 2200, 1100);
    printer->EndDoc();
    const std::vector<uint8_t> pdf = printer->TakeDocument();
    std::istringstream lines(std::string(pdf.begin(), pdf.end()));
    int fillAndStroke = 0, fill = 0;
    for (std::string line; std::getline(lines, line);) {
      if (line == "B" || line == "B*" || line.ends_with(" B") || line.ends_with(" B*")) ++fillAndStroke;
      if (line == "f" || line == "f*" || line.ends_with(" f") || line.ends_with(" f*")) ++fill;
    }
    return std::pair{fillAndStroke, fill};
  };
  EXPECT_EQ(paintOps(psSolid), std::pair(2, 0));
  EXPECT_EQ(paintOps(psDash).first, 0);
  EXPECT_EQ(paintOps(psDash).second, 2);
}

// The lines of an uncompressed document's drawing commands that end with
// one of the operators.
int CountOperators(const std::vector<uint8_t>& pdf, std::initializer_list<std::string_view> ops) {
  std::istringstream lines(std::string(pdf.begin(), pdf.end()));
  int n = 0;
  for (std::string line; std::getline(lines, line);)
    for (std::string_view op : ops)
      if (line == op || line.ends_with(" " + std::string(op))) ++n;
  return n;
}

// An uncompressed one-page document of what draw paints.
std::vector<uint8_t> UncompressedPdf(const std::function<void(TCanvas&)>& draw) {
  TPdfSetup setup;
  setup.Compressed = false;
  std::unique_ptr<TPdfPrinter> printer = CreatePdfPrinter(setup);
  printer->BeginDoc("drawing");
  draw(printer->Canvas());
  printer->EndDoc();
  return printer->TakeDocument();
}

void UseArial(TCanvas& canvas, TColor color) {
  canvas.Font() = TFont{};
  canvas.Font().Name = "Arial";
  canvas.Font().PixelsPerInch = canvas.PixelsPerInch();
  canvas.Font().SetSize(24);
  canvas.Font().Color = color;
  canvas.Brush().Style = bsClear;
}

// Lines, texts and fills of one colour are written sorted into a few runs
// (one path of all the lines with one pen, one text object for all the
// glyphs in one font, the fills under one graphics state) however they
// alternate, as a page's staff lines, note heads, stems and dots do.
TEST_F(PdfExportTest, ShapesOfOneColourAreWrittenAsFewRuns) {
  const std::vector<uint8_t> pdf = UncompressedPdf([](TCanvas& canvas) {
    for (int i = 0; i < 12; ++i) {
      const int y = 400 + i * 600;
      canvas.Pen() = TPen{clBlack, 25};
      canvas.MoveTo(200, y);
      canvas.LineTo(4000, y);
      UseArial(canvas, clBlack);
      canvas.TextOut(4200, y, "ab");
      canvas.Pen().Style = psClear;
      canvas.Brush().Style = bsSolid;
      canvas.Brush().Color = clBlack;
      canvas.Polygon({TPoint{6000, y}, TPoint{6012, y}, TPoint{6012, y + 300}, TPoint{6000, y + 300}});
      canvas.Pen() = TPen{clBlack, 1};
      canvas.Ellipse(6200, y, 6250, y + 50);  // a dot
    }
  });
  EXPECT_EQ(CountOperators(pdf, {"S"}), 2);  // the lines, and the dots
  EXPECT_EQ(CountOperators(pdf, {"BT"}), 1);
  EXPECT_EQ(CountOperators(pdf, {"Tj"}), 24);
  EXPECT_EQ(CountOperators(pdf, {"re"}), 12);  // upright rectangles as such
  EXPECT_LE(CountOperators(pdf, {"q"}), 8);
  EXPECT_EQ(CountOperators(pdf, {"c"}), 0);  // dots as round points, not curves
}

// Each line is written once: a staff line drawn measure by measure is one
// line, a bar line drawn twice (by the staves above and below it) is one,
// and lines that do not meet or lie askew stay as they are.
TEST_F(PdfExportTest, LinesThatContinueOneAnotherAreWrittenOnce) {
  const std::vector<uint8_t> pdf = UncompressedPdf([](TCanvas& canvas) {
    canvas.Pen() = TPen{clBlack, 25};
    for (int line = 0; line < 5; ++line)
      for (int measure = 0; measure < 4; ++measure) {
        canvas.MoveTo(200 + measure * 900, 400 + line * 150);
        canvas.LineTo(1100 + measure * 900, 400 + line * 150);
      }
    for (int staff = 0; staff < 2; ++staff) {  // the bar line at the end
      canvas.MoveTo(3800, 400);
      canvas.LineTo(3800, 1000);
    }
    canvas.MoveTo(200, 2000);  // two pieces with a gap between
    canvas.LineTo(1000, 2000);
    canvas.MoveTo(1100, 2000);
    canvas.LineTo(2000, 2000);
    canvas.MoveTo(200, 2500);  // askew, twice
    canvas.LineTo(2000, 2700);
    canvas.MoveTo(200, 2500);
    canvas.LineTo(2000, 2700);
  });
  EXPECT_EQ(CountOperators(pdf, {"S"}), 1);
  EXPECT_EQ(CountOperators(pdf, {"m"}), 5 + 1 + 2 + 2);
  EXPECT_EQ(CountOperators(pdf, {"l"}), 5 + 1 + 2 + 2);
}

// What has another colour is drawn where it was drawn between the runs:
// a white box over a black line hides it, a black line drawn on the box
// with the same pen shows.
// Each page keeps its own texts, and the file opens with all its pages.
TEST_F(PdfExportTest, OtherColoursKeepTheirPlaceAndPagesTheirTexts) {
  QS_REQUIRE_POPPLER();
  TPdfSetup setup;
  setup.WidthMM = 100;
  setup.HeightMM = 50;
  std::unique_ptr<TPdfPrinter> printer = CreatePdfPrinter(setup);
  printer->BeginDoc("order");
  for (int page = 1; page <= 3; ++page) {
    if (page > 1) printer->NewPage();
    TCanvas& canvas = printer->Canvas();
    UseArial(canvas, clBlack);
    canvas.TextOut(300, 300, "Page" + std::to_string(page));
    // A black band across the page, its right half covered by a white box.
    canvas.Pen() = TPen{clBlack, 400};
    canvas.MoveTo(500, 2400);
    canvas.LineTo(8900, 2400);
    canvas.Pen().Style = psClear;
    canvas.Brush().Style = bsSolid;
    canvas.Brush().Color = clWhite;
    canvas.Rectangle(4800, 1800, 9400, 3000);
    // A black stroke with the band's pen, across the box.
    canvas.Pen() = TPen{clBlack, 400};
    canvas.MoveTo(7000, 1900);
    canvas.LineTo(7000, 2900);
    // A dot, drawn as a round point.
    canvas.Pen() = TPen{clBlack, 1};
    canvas.Brush().Color = clBlack;
    canvas.Ellipse(7800, 800, 8200, 1200);
    UseArial(canvas, clBlack);
    canvas.TextOut(300, 3600, "Side" + std::to_string(page));
  }
  printer->EndDoc();
  const std::vector<uint8_t> pdf = printer->TakeDocument();
  {
    std::ofstream out(File.Path(), std::ios::binary);
    out.write(reinterpret_cast<const char*>(pdf.data()), static_cast<std::streamsize>(pdf.size()));
  }
  const auto info = PdfInfo(File.Path());
  ASSERT_EQ(info.count("Pages"), 1u) << "not a readable PDF";
  EXPECT_EQ(info.at("Pages"), "3");
  for (int page = 1; page <= 3; ++page) {
    SCOPED_TRACE("page " + std::to_string(page));
    const std::string n = std::to_string(page);
    const std::string text =
        RunCommand("pdftotext -f " + n + " -l " + n + " '" + File.Path() + "' - 2>/dev/null");
    EXPECT_NE(text.find("Page" + n), std::string::npos) << text;
    EXPECT_NE(text.find("Side" + n), std::string::npos) << text;
    // At 24 dpi the page is 94 x 47 pixels; the band's row is 2400 / 100.
    const std::string pgm =
        RunCommand("pdftoppm -r 24 -gray -f " + n + " -l " + n + " '" + File.Path() + "' 2>/dev/null");
    std::istringstream in(pgm);
    std::string magic;
    int w = 0, h = 0, maxValue = 0;
    in >> magic >> w >> h >> maxValue;
    in.get();
    ASSERT_EQ(magic, "P5");
    std::string pixels(static_cast<size_t>(w) * static_cast<size_t>(h), '\0');
    in.read(pixels.data(), static_cast<std::streamsize>(pixels.size()));
    const auto grey = [&](int x, int y) { return static_cast<uint8_t>(pixels[static_cast<size_t>(y * w + x)]); };
    EXPECT_LT(grey(20, 24), 64) << "the band's left half is black";
    EXPECT_GT(grey(60, 24), 192) << "the white box covers the band's right half";
    EXPECT_LT(grey(70, 24), 64) << "the stroke drawn after the box shows on it";
    EXPECT_LT(grey(80, 10), 64) << "the dot";
    EXPECT_GT(grey(84, 10), 192) << "beside the dot";
  }
}

TEST_F(PdfExportTest, WrongValuesWriteNothing) {
  struct Case {
    const char* what;
    int from, to, scale;
  };
  const Case cases[] = {
      {"scale 20", 1, 1, 20},
      {"scale 201", 1, 1, 201},
      {"no such page", 2, 2, 100},
      {"backward range", 1, 0, 100},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_THROW(Window.ExportPDF(File.Path(), c.from, c.to, c.scale, true, true), EInvalidOperation);
    EXPECT_FALSE(File.Exists());
  }
  Score.DetachWindow(&Window);
  Window.ExportPDF(File.Path(), 1, 1, 100, true, true);
  EXPECT_FALSE(File.Exists());
}

// A range of more pages than an export writes at once (a damaged score
// may lay out tens of thousands) is refused before anything is written.
TEST_F(PdfExportTest, MorePagesThanAnExportWritesAreRefused) {
  AddPage(1600);
  Score.LaidOutPages = kMaxExportPages + 1;
  try {
    Window.ExportPDF(File.Path(), 1, kMaxExportPages + 1, 100, true, true);
    ADD_FAILURE() << "no error";
  } catch (const EInvalidOperation& e) {
    EXPECT_EQ(e.Message(), "1001 pages cannot be exported at once; at most 1000 are. Export fewer pages.");
  }
  EXPECT_FALSE(File.Exists());
  Score.LaidOutPages = 1;
}

}  // namespace
}  // namespace qs::test
