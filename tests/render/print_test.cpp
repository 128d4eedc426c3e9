// Printing: page range, copies and collation, the zooms from the printer's
// resolution and orientation, the paper-edge origin, what print leaves out,
// failures; and one print through the system printer into a PDF file.
#include <gtest/gtest.h>

#include <stdexcept>

#include "platform/printer.h"
#include "render/paintcontext.h"
#include "render/print.h"
#include "score/page.h"
#include "export_support.h"
#include "render_fixture.h"

namespace qs::test {
namespace {

// Keeps what printing asks of it; each printed page is the list of canvas
// calls made on it.
class TFakePrinter : public TPrinter {
 public:
  TFakePrinter(int ppiX, int ppiY, int offsetX = 0, int offsetY = 0)
      : ppiX_(ppiX), ppiY_(ppiY), offsetX_(offsetX), offsetY_(offsetY) {}

  std::vector<std::string> Log;
  std::vector<std::vector<TCanvasOp>> Pages;
  int FailOnPage = -1;  // NewPage raises when this many pages are done

  void SetOrientation(TPrinterOrientation o) override {
    Log.push_back(o == poLandscape ? "landscape" : "portrait");
  }
  void SetCopies(int copies, bool collate) override {
    Log.push_back("copies " + std::to_string(copies) + (collate ? " collated" : ""));
  }
  void BeginDoc(const std::string& title) override {
    Log.push_back("begin " + title);
    canvas_ = std::make_unique<TRecordingCanvas>(ppiY_);
  }
  void NewPage() override {
    Flush();
    if (static_cast<int>(Pages.size()) == FailOnPage) throw std::runtime_error("paper jam");
  }
  void EndDoc() override {
    Flush();
    Log.push_back("end");
  }
  TCanvas& Canvas() override { return canvas_->Canvas; }
  int PixelsPerInchX() const override { return ppiX_; }
  int PixelsPerInchY() const override { return ppiY_; }
  int PhysicalOffsetX() const override { return offsetX_; }
  int PhysicalOffsetY() const override { return offsetY_; }

  // The y of the first line painted on each page.
  std::vector<int> FirstLineYs() const {
    std::vector<int> ys;
    for (const auto& page : Pages) ys.push_back(page.empty() ? -1 : page.front().Points[0].Y);
    return ys;
  }

 private:
  void Flush() {
    Pages.push_back(canvas_->Recorder->CanvasOps());
    canvas_->Recorder->Clear();
  }
  int ppiX_, ppiY_, offsetX_, offsetY_;
  std::unique_ptr<TRecordingCanvas> canvas_;
};

class PrintTest : public TRenderFixture {
 protected:
  TPrintDialog Dialog;
  // Pages printed at 96 dpi keep the layout's pixels: page 1's top line at
  // y 100, page 2's at 200, page 3's at 300.
  void ThreePages() {
    AddPage(1600);
    AddPage(2400);
  }
  TFakePrinter Print(int ppiX = 96, int ppiY = 96, int offsetX = 0, int offsetY = 0) {
    TFakePrinter printer(ppiX, ppiY, offsetX, offsetY);
    Window.PrintTitle = "Etude";
    Window.PrintScore(Dialog, printer);
    return printer;
  }
  static int Lines(const std::vector<TCanvasOp>& ops) {
    return static_cast<int>(std::count_if(ops.begin(), ops.end(),
                                          [](const TCanvasOp& o) { return o.Kind == TCanvasOpKind::Line; }));
  }
};

TEST_F(PrintTest, CopiesAreRepeatedPagesUnlessThePrinterCollates) {
  struct Case {
    int pages, copies;
    bool collate;
    std::string printerCopies;
    std::vector<int> printed;  // first line y of each printed sheet
  };
  const Case cases[] = {
      {1, 3, false, "copies 1", {100, 100, 100}},
      {1, 3, true, "copies 3 collated", {100}},
      {3, 2, false, "copies 1", {100, 100, 200, 200, 300, 300}},
      {3, 2, true, "copies 2 collated", {100, 200, 300}},
      {1, 0, false, "copies 1", {100}},  // no copies asked: one
  };
  ThreePages();
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.pages) + " pages, " + std::to_string(c.copies) + " copies");
    Score.LaidOutPages = c.pages;
    Dialog.Copies = c.copies;
    Dialog.Collate = c.collate;
    const TFakePrinter printer = Print();
    EXPECT_EQ(printer.Log, (TStrings{"portrait", c.printerCopies, "begin Etude", "end"}));
    EXPECT_EQ(printer.FirstLineYs(), c.printed);
    for (const auto& page : printer.Pages) EXPECT_EQ(Lines(page), 6);  // five staff lines and the start line
  }
}

TEST_F(PrintTest, TheRangePrinted) {
  ThreePages();
  struct Case {
    TPrintRange range;
    int from, to;
    std::vector<int> printed;
    int dialogFrom, dialogTo;
  };
  const Case cases[] = {
      {prAllPages, 2, 2, {100, 200, 300}, 1, 3},  // all pages, whatever the numbers say
      {prSelection, 3, 1, {100, 200, 300}, 1, 3},
      {prPageNums, 2, 3, {200, 300}, 2, 3},
      {prPageNums, 3, 9, {300}, 3, 9},  // as far as there are pages
      {prPageNums, 0, 1, {100}, 0, 1},
      {prPageNums, 4, 5, {}, 4, 5},     // none: no document at all
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.from) + ".." + std::to_string(c.to));
    Dialog.PrintRange = c.range;
    Dialog.FromPage = c.from;
    Dialog.ToPage = c.to;
    const TFakePrinter printer = Print();
    EXPECT_EQ(printer.FirstLineYs(), c.printed);
    EXPECT_EQ(printer.Log.empty(), c.printed.empty());
    EXPECT_EQ(Dialog.FromPage, c.dialogFrom);
    EXPECT_EQ(Dialog.ToPage, c.dialogTo);
  }
}

TEST_F(PrintTest, ZoomsFromTheResolutionAndTheOrientationFromThePaperEdge) {
  struct Case {
    bool landscape;
    int ppiX, ppiY, offsetX, offsetY;
    int zoomX, zoomY;
  };
  const Case cases[] = {
      {false, 600, 300, 0, 0, 625, 312},
      {true, 600, 300, 0, 0, 312, 625},  // landscape exchanges the two
      {false, 600, 600, 50, 30, 625, 625},
      {false, 96, 96, 0, 0, 100, 100},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.ppiX) + "x" + std::to_string(c.ppiY) + (c.landscape ? " landscape" : ""));
    Score.Page.SetOrientation(c.landscape ? TQSOrientation::poLandscape : TQSOrientation::poPortrait);
    const TFakePrinter printer = Print(c.ppiX, c.ppiY, c.offsetX, c.offsetY);
    ASSERT_EQ(printer.Pages.size(), 1u);
    const TCanvasOp& top = printer.Pages[0].front();
    EXPECT_EQ(printer.Log.front(), c.landscape ? "landscape" : "portrait");
    // The slot runs from 80 to 1600 units, the top line at 800 units.
    EXPECT_EQ(Describe(top), "Line " + std::to_string(80 * c.zoomX / 100 / 8) + "," +
                                 std::to_string(800 * c.zoomY / 100 / 8) + " " +
                                 std::to_string(1600 * c.zoomX / 100 / 8) + "," +
                                 std::to_string(800 * c.zoomY / 100 / 8));
    EXPECT_EQ(top.Pen.Width, RoundRatio(100LL * c.zoomX, 10000));
    EXPECT_EQ(top.Pen.Color, clBlack);
    EXPECT_EQ(top.Origin, (TPoint{-c.offsetX, -c.offsetY}));
  }
}

TEST_F(PrintTest, TrailingEmptyMeasuresOnlyWhenTheScoreAsks) {
  AddSystem(Page, 1, 1600);  // after the last filled measure
  ASSERT_EQ(Score.UsedMeasures, 1);
  struct Case {
    bool emptyMeasures, emptyLines;
    int lines;
  };
  const Case cases[] = {
      {false, false, 6},
      {true, false, 6},
      {false, true, 11},  // the empty system's staff lines, no start line
      {true, true, 12},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.emptyMeasures) + std::to_string(c.emptyLines));
    Score.PrintEmptyMeasures = c.emptyMeasures;
    Score.PrintEmptyLines = c.emptyLines;
    const TFakePrinter printer = Print();
    ASSERT_EQ(printer.Pages.size(), 1u);
    EXPECT_EQ(Lines(printer.Pages[0]), c.lines);
    EXPECT_EQ(Window.Style, wsNormal);
  }
}

TEST_F(PrintTest, AFailureEndsTheDocumentAndRestoresTheStyle) {
  ThreePages();
  TFakePrinter printer(96, 96);
  printer.FailOnPage = 2;
  EXPECT_THROW(Window.PrintScore(Dialog, printer), std::runtime_error);
  EXPECT_EQ(printer.Log.back(), "end");
  EXPECT_EQ(printer.Pages.size(), 3u);  // two printed, the third ended empty
  EXPECT_EQ(Window.Style, wsNormal);

  Score.DetachWindow(&Window);
  TFakePrinter unused(96, 96);
  Window.PrintScore(Dialog, unused);
  EXPECT_TRUE(unused.Log.empty());
}

TEST_F(PrintTest, TheSystemPrinterPrintsToAPdfFile) {
  QS_REQUIRE_POPPLER();
  ThreePages();
  TTempFile file("print.pdf");
  Dialog.FileName = file.Path();
  Dialog.PrintRange = prPageNums;
  Dialog.FromPage = 2;
  Dialog.ToPage = 3;
  PrintScoreJob(Score, Dialog, "Etude in C");
  const auto info = PdfInfo(file.Path());
  EXPECT_EQ(info.at("Pages"), "2");
  EXPECT_EQ(info.at("Title"), "Etude in C");
  EXPECT_EQ(Score.WindowCount(), 1);  // the temporary view is gone

  // Without a printer and without a file nothing can be printed.
  if (PrinterNames().empty()) {
    Dialog.FileName.clear();
    EXPECT_THROW(PrintScoreJob(Score, Dialog, "Etude"), EPrinter);
  }
}

}  // namespace
}  // namespace qs::test
