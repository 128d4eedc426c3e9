#pragma once
// The score view as painting sees it: the style and zoom it paints with,
// the input cursor, the selection the renderer marks, and PaintPage, which
// paints one laid-out page on any canvas. Printing and page export paint
// through a plain TQSPageView; the interactive view, TQSWindow in
// view/window.h (scrolling, the cursor, selection, mouse and wheel), derives
// from it.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "score/windowlink.h"

namespace qs {

class TCanvas;
class TGraphics;
class TPrinter;
class TStream;
struct TPrintDialog;
class TQSPiece;
struct TQSCalcItem;

enum TQSWindowStyle : uint8_t { wsNormal, wsPreview, wsPrint, wsView, wsExport, wsRealTime };
enum TQSDataStyle : uint8_t { dsAll, dsActiveVoice };

// The selected layout elements of one measure.
using TQSSelList = std::vector<TQSCalcItem*>;

// What is selected of one piece: per measure number, its selected elements.
struct TQSSelPiece {
  TQSPiece* Piece = nullptr;
  std::vector<TQSSelList> Measures;
};

// The image formats of TQSPageView::ExportPage.
enum TExportFormat { efBmp, efGif, efJpeg, efMetafile };

class TQSPageView : public TQSWindowLink {
 public:
  TQSPageView();
  ~TQSPageView() override;
  TQSPageView(const TQSPageView&) = delete;
  TQSPageView& operator=(const TQSPageView&) = delete;

  // Printing and export switch the style for their duration.
  TQSWindowStyle Style = wsNormal;
  // With dsActiveVoice everything outside the cursor's voice is grey.
  TQSDataStyle DataStyle = dsAll;
  // The screen's pixels per inch when the view was made; staff spacing is
  // converted with it.
  const int ScreenPixelsPerInch;

  // Selection records, one per piece with something selected.
  std::vector<std::unique_ptr<TQSSelPiece>> SelPieces;
  // The selected elements of free page objects.
  std::vector<TQSCalcItem*> SelectedPageObjects;
  // The selection record of a piece, nil when nothing of it is selected.
  TQSSelPiece* FindSelPiece(const TQSPiece* piece) const;
  std::vector<TQSCalcItem*> SelectedMeasureElements() const override;
  std::vector<TQSCalcItem*> SelectedPageElements() const override { return SelectedPageObjects; }
  void UnselectElement(TQSCalcItem* element) override;

  // Paints laid-out page pageIndex on canvas, whose viewport origin the
  // caller has put at the page origin (offsetX, offsetY). graphics is the
  // anti-aliased surface over the same device, or nil for the plain
  // canvas alone; its transform carries the page offset. Zooms are percent
  // (in print the printer's resolution x 100 / the screen's).
  void PaintPage(int pageIndex, TCanvas& canvas, TGraphics* graphics, int zoomX, int zoomY, int offsetX,
                 int offsetY);

  // Printing and page export (print.cpp, export.cpp) paint through a
  // temporary view of the score, in wsPrint or wsExport.
  // The title of the printed document.
  std::string PrintTitle;
  // Prints the dialog's range and copies on the printer the dialog chose,
  // or on the printer given.
  void PrintScore(TPrintDialog& dialog);
  void PrintScore(TPrintDialog& dialog, TPrinter& printer);
  // Writes pages fromPage..toPage (1-based) at the view's Zoom as one image
  // in a TExportFormat (BMP, GIF, JPEG, enhanced metafile); pixelFormat 0 for 8
  // bits per pixel (JPEG: grey), 1 for full colour; JPEG quality 20..100;
  // doublePage puts the pages side by side in pairs.
  void ExportPage(TStream& stream, int format, int fromPage, int toPage, int pixelFormat, int quality,
                  bool doublePage);
  // Writes pages fromPage..toPage as a vector PDF file at scale percent
  // (25..200) of their size.
  void ExportPDF(const std::string& fileName, int fromPage, int toPage, int scale, bool compressed,
                 bool imagesAsJpeg);

  // The model's view interface.
  bool Playing() const override { return playing_ || (PlayControl && PlayControl->IsPlaying()); }
  void SetPlaying(bool playing) { playing_ = playing; }
  // The number of the laid-out system that holds the cursor's measure; 0
  // when that measure is not laid out.
  int CursorSystemIndex() const override;
  // While the score's update lock is held only notes the pending repaint;
  // otherwise clears it (the interactive view then repaints its pages).
  void InvalidatePages() override;

 private:
  bool playing_ = false;
};

}  // namespace qs
