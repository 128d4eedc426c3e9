// Painting one laid-out page: staff lines per measure slot, the lines that
// open each run of slots, the contents of every slot and the page objects.
#include "base/mathutil.h"
#include "platform/canvas.h"
#include "render/measurerenderer.h"
#include "render/primitives.h"
#include "render/window.h"
#include "score/calcrecords.h"
#include "score/part.h"
#include "score/score.h"

namespace qs {

namespace {

// Pixels between the lines of a staff: the staff space (1.3 of it on a
// tablature staff) in whole screen pixels, then zoomed.
int RowLineSpacing(const TQSPaintContext& c, const TQSStaff& staff, int ppi, long double lineSpace) {
  const int size = staff.Fields.Scale;
  long double base = c.Scale == 100 && size == 100 ? ppi * lineSpace / 254.0L
                                                   : ppi * lineSpace * c.Scale * size / 2540000.0L;
  if (staff.Fields.Tablature) base = base * 13 / 10;
  return static_cast<int>(static_cast<long long>(Round(static_cast<double>(base))) * c.ZoomY / 100);
}

// Fewer lines than five stand where the middle lines of five would.
int LineInset(int lineCount, int spacing) {
  switch (lineCount) {
    case 1: return 2 * spacing;
    case 2: return spacing;
    case 4: return spacing / 2;
    default: return 0;
  }
}

// The lines of every staff row of the system across one slot; stores each
// row's painted spacing and correction for the measure renderer.
void PaintSlotLines(TQSPaintContext& c, int ppi, long double lineSpace) {
  TCanvas& cv = *c.Canvas;
  const TQSCalcSystem& sys = *c.System;
  c.SystemTop = 0;
  for (int r = sys.FirstRow; r <= sys.LastRow; ++r) {
    TQSCalcStaff* row = c.Page->StaffRows.At(static_cast<size_t>(r));
    if (!row || !row->Staff) continue;
    const TQSStaff& staff = *row->Staff;
    const int spacing = RowLineSpacing(c, staff, ppi, lineSpace);
    row->PaintValue16 = static_cast<int16_t>(spacing);
    const int lines = staff.Fields.LineCount;
    const int y = ScaleY(c, row->Top) + LineInset(lines, spacing);
    if (c.SystemTop == 0) c.SystemTop = y;
    cv.Pen().Color = c.LineColor();
    cv.Pen().Style = psSolid;
    const int size = staff.Fields.Scale;
    cv.Pen().Width = size == 100 ? c.LinePen
                                 : Round(static_cast<double>(c.Scale) * c.ZoomX * size / 1000000.0);
    for (int i = 0; i < lines; ++i) {
      cv.MoveTo(c.SlotLeft, y + i * spacing);
      cv.LineTo(c.SlotRight, y + i * spacing);
    }
    const int last = lines > 0 ? y + (lines - 1) * spacing : y;
    c.LastLineY = last;
    row->PaintValue32 = last - ScaleY(c, row->BottomLine);
  }
}

}  // namespace

void TQSPageView::PaintPage(int pageIndex, TCanvas& canvas, TGraphics* graphics, int zoomX, int zoomY, int offsetX,
                          int offsetY) {
  TQSScore* score = Score;
  if (!score || pageIndex < 0 || pageIndex >= score->LaidOutPages) return;
  TQSCalcPage* page = score->LayoutPages.At(static_cast<size_t>(pageIndex));
  if (!page) return;

  TQSPaintContext c;
  c.Window = this;
  c.Score = score;
  c.Canvas = &canvas;
  c.Graphics = graphics;
  c.OffsetX = offsetX;
  c.OffsetY = offsetY;
  c.MusicFontName = score->MusicFontName;
  c.TextFontName = score->TextFontName;
  c.LetterFontName = score->LetterFontName;
  c.FlazholetName = score->FlazholetName;
  c.PageColor = score->Page.Color();
  c.PrintMeasureNumbers = score->PrintMeasureNumbers != 0;
  const long double lineSpace = score->Page.Fields.LineSpace.Value();
  c.Derive(score->Scale, zoomX, zoomY, Style, ScreenPixelsPerInch, lineSpace);
  c.Page = page;

  // Preview, print and export leave out what follows the last filled
  // measure unless the score asks for it; so does the look at a score a
  // wizard shows (it shows the measures the score will have, not room to
  // write in).
  const bool hideEmpty = c.PreviewPrintOrExport() || Style == wsView;
  const bool hideEmptyMeasures = hideEmpty && !score->PrintEmptyMeasures;

  canvas.Pen().Width = c.LinePen;
  for (int s = 0; s < page->SystemCount; ++s) {
    TQSCalcSystem* sys = page->Systems.At(static_cast<size_t>(s));
    if (!sys) continue;
    const bool emptySystem = sys->FirstMeasure >= score->UsedMeasures;
    if (emptySystem && hideEmpty && !score->PrintEmptyLines) break;
    c.System = sys;
    c.SelPiece = FindSelPiece(sys->Piece);

    int previousRight = 0;
    for (int m = 0; m < sys->MeasureCount; ++m) {
      const TQSCalcMeasure* slot = sys->Measures.At(static_cast<size_t>(m));
      if (!slot) continue;
      // The staff ends with the last filled measure: the slots after it
      // get no lines either (a wholly empty system keeps its empty lines
      // when they are asked for).
      if (hideEmptyMeasures && !emptySystem && slot->MeasureIndex >= score->UsedMeasures) break;
      c.SlotLeft = ScaleX(c, slot->Box.Left);
      c.SlotRight = ScaleX(c, slot->Box.Right);
      PaintSlotLines(c, ScreenPixelsPerInch, lineSpace);
      if ((m == 0 || c.SlotLeft != previousRight) && !(emptySystem && hideEmptyMeasures)) SystemStartLine(c);
      previousRight = c.SlotRight;
    }

    for (int m = 0; m < sys->MeasureCount; ++m) {
      TQSCalcMeasure* slot = sys->Measures.At(static_cast<size_t>(m));
      if (!slot) continue;
      if (slot->MeasureIndex >= score->UsedMeasures && hideEmptyMeasures) break;
      const size_t index = slot->MeasureIndex;
      c.SelList = c.SelPiece && index < c.SelPiece->Measures.size() ? &c.SelPiece->Measures[index] : nullptr;
      c.Slot = slot;
      c.SlotLeft = ScaleX(c, slot->Box.Left);
      c.SlotRight = ScaleX(c, slot->Box.Right);
      DrawMeasureContent(c);
    }
  }
  c.Slot = nullptr;
  c.SelList = nullptr;
  DrawPageObjects(c);
}

}  // namespace qs
