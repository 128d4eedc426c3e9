// Printing: every page of the range is painted on the printer's canvas at
// the printer's resolution, measured from the paper's edge.
#include "render/print.h"

#include <algorithm>
#include <memory>
#include <string>

#include "base/filemessages.h"
#include "platform/canvas.h"
#include "platform/graphics.h"
#include "platform/gui.h"
#include "platform/printer.h"
#include "score/page.h"
#include "score/score.h"

namespace qs {

TPageRange LaidOutRange(const TQSScore& score, int fromPage, int toPage) {
  return {std::max(fromPage, 1) - 1, std::min(toPage, score.LaidOutPages) - 1};
}

void CheckExportPageCount(int pages) {
  if (pages > kMaxExportPages)
    throw EFileMessage<EInvalidOperation>(TFileMessage::TooManyPages,
                                          {std::to_string(pages), std::to_string(kMaxExportPages)});
}

void TQSPageView::PrintScore(TPrintDialog& dialog) {
  if (!Score) return;
  std::unique_ptr<TPrinter> printer = CreateSystemPrinter(dialog);
  PrintScore(dialog, *printer);
}

void TQSPageView::PrintScore(TPrintDialog& dialog, TPrinter& printer) {
  if (!Score) return;
  TQSScore& score = *Score;
  if (dialog.PrintRange != prPageNums) {
    dialog.FromPage = 1;
    dialog.ToPage = score.LaidOutPages;
  }
  // Nothing laid out in the range: no document, so no blank sheet either.
  const TPageRange range = LaidOutRange(score, dialog.FromPage, dialog.ToPage);
  if (range.Count() == 0) return;
  const int copies = std::max(dialog.Copies, 1);

  TPaintStyleScope style(*this, wsPrint);
  const bool landscape = score.Page.Orientation() == TQSOrientation::poLandscape;
  printer.SetOrientation(landscape ? poLandscape : poPortrait);
  // Collated copies are the printer's; otherwise each page is painted as
  // often as there are copies.
  printer.SetCopies(dialog.Collate ? copies : 1, dialog.Collate);
  printer.BeginDoc(PrintTitle);
  try {
    TCanvas& canvas = printer.Canvas();
    std::unique_ptr<TGraphics> graphics;
    if (UseAntiAliasedSurface()) {
      graphics = std::make_unique<TGraphics>(canvas);
      graphics->SetSmoothingMode(SmoothingModeAntiAlias);
    }
    const int ppiX = printer.PixelsPerInchX(), ppiY = printer.PixelsPerInchY();
    canvas.Font().Quality = 4;
    // Page coordinates are measured from the paper's edge, not from the
    // printable area.
    const int offsetX = -printer.PhysicalOffsetX(), offsetY = -printer.PhysicalOffsetY();
    canvas.SetViewportOrg(offsetX, offsetY);
    if (graphics) graphics->TranslateTransform(static_cast<float>(offsetX), static_cast<float>(offsetY));
    const int screen = ScreenPixelsPerInch;
    const int zoomX = (landscape ? ppiY : ppiX) * 100 / screen;
    const int zoomY = (landscape ? ppiX : ppiY) * 100 / screen;
    const int repeats = dialog.Collate ? 1 : copies;
    bool first = true;
    for (int page = range.First; page <= range.Last; ++page) {
      for (int copy = 0; copy < repeats; ++copy) {
        if (!first) printer.NewPage();
        first = false;
        PaintPage(page, canvas, graphics.get(), zoomX, zoomY, offsetX, offsetY);
      }
    }
  } catch (...) {
    printer.EndDoc();
    throw;
  }
  printer.EndDoc();
}

void PrintScoreJob(TQSScore& score, TPrintDialog& dialog, const std::string& title) {
  TQSPageView view;
  score.AttachWindow(&view);
  view.PrintTitle = title;
  view.PrintScore(dialog);
}

}  // namespace qs
