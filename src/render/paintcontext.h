#pragma once
// What every drawing step of one page shares: pen widths, damped handle
// sizes, font sizes and glyph qualities worked out once per page from the
// score's scale and the zoom, and where the painter currently is (page,
// system, measure slot, staff row, selection).
#include <cstdint>
#include <string>

#include "render/window.h"

namespace qs {

class TCanvas;
class TGraphics;
class TQSScore;
struct TQSCalcPage;
struct TQSCalcSystem;
struct TQSCalcMeasure;
struct TQSCalcStaff;

// [num / den] in whole pixels or points, halves to the even neighbour.
int RoundRatio(long long num, long long den);

struct TQSPaintContext {
  TQSPageView* Window = nullptr;
  TQSScore* Score = nullptr;
  TCanvas* Canvas = nullptr;
  TGraphics* Graphics = nullptr;  // nil: everything on the canvas
  int ZoomX = 100, ZoomY = 100;
  int OffsetX = 0, OffsetY = 0;
  int Scale = 100;
  TQSWindowStyle Style = wsNormal;
  // Score settings the drawing steps read.
  std::string MusicFontName = "Quavero Symbols";
  std::string TextFontName = "Arial";
  std::string LetterFontName = "Monotype Corsiva";  // right-hand fingering letters
  std::string FlazholetName = "FL.";
  uint32_t PageColor = 0xFFFFFF;
  bool PrintMeasureNumbers = true;

  // Pen widths [k x Scale x ZoomX / 10000].
  int Width05 = 0, Width1 = 0, Width15 = 0, Width2 = 0, Width3 = 0, Width4 = 0, Width5 = 0, Width6 = 0,
      Width7 = 0, Width8 = 0, Width10 = 0;
  // The pens of lines, one width each: hairlines (tie and slur outlines,
  // bend arrows, the stroke through a grace note), ordinary lines (staff
  // and ledger lines, brackets, hooks, frames) and thick strokes (the
  // strokes down of trills and arpeggios, tremolo bars).
  int HairlinePen = 0, LinePen = 0, ThickLinePen = 0;
  // Sizes that grow slower than the zoom (selection handles).
  int DampedZoom = 100;
  int Damped05 = 0, Damped1 = 0, Damped2 = 0, Damped3 = 0, Damped4 = 0, Damped5 = 0, Damped6 = 0, Damped8 = 0,
      Damped10 = 0;
  // Font sizes in points: [k x Scale x ZoomX / 10000], in print [k x Scale / 100].
  int Font4 = 0, Font5 = 0, Font6 = 0, Font7 = 0, Font8 = 0, Font9 = 0, Font10 = 0, Font11 = 0, Font16 = 0;
  uint8_t GlyphQuality = 0;       // 4 (antialiased) from ZoomX 100
  uint8_t SmallGlyphQuality = 0;  // 4 from ZoomX 50
  int StaffSpace = 0;             // pixels

  // Where painting is.
  TQSCalcPage* Page = nullptr;
  TQSCalcSystem* System = nullptr;
  TQSCalcMeasure* Slot = nullptr;
  TQSCalcStaff* Row = nullptr;
  const TQSSelList* SelList = nullptr;  // the slot's measure's selected elements, or nil
  TQSSelPiece* SelPiece = nullptr;      // the system's piece's selection, or nil
  int SlotLeft = 0, SlotRight = 0;      // pixels
  int SystemTop = 0;                    // y of the first line of the system's first staff
  int LastLineY = 0;                    // y of the last line painted
  int LineSpacing = 0;                  // of the row being painted

  // Works out the widths, damped sizes, fonts, qualities and staff space.
  // lineSpace is the page format's staff line distance in tenths of a
  // millimetre, ppi the view's screen resolution.
  void Derive(int scale, int zoomX, int zoomY, TQSWindowStyle style, int ppi, long double lineSpace);
  bool PrintOrExport() const { return Style == wsPrint || Style == wsExport; }
  bool PreviewPrintOrExport() const { return Style == wsPreview || PrintOrExport(); }
  // Staff lines, ledger lines and barline segments: black on paper,
  // silver on screen.
  uint32_t LineColor() const;
};

}  // namespace qs
