#pragma once
// Drawing steps shared by the page painter, the measure renderer and the
// page-object painter: unit conversion, selection feedback, glyphs and a
// few small figures. They read their sizes from the paint context and keep
// no state of their own.
#include <cstdint>
#include <string>
#include <string_view>

#include "layout/metrics.h"  // RotatePoint
#include "base/geometry.h"
#include "render/paintcontext.h"

namespace qs {

class TQSItem;
class TQSMark;
struct TQSCalcItem;

// Layout units to pixels: x times ZoomX, y times ZoomY, / 100, then / 8,
// each toward zero.
TRect ScaleRect(const TQSPaintContext& c, const TRect& units);
int ScaleX(const TQSPaintContext& c, int units);
int ScaleY(const TQSPaintContext& c, int units);

// Selection feedback: red, one pixel wide; handles are hollow squares.
void DrawSelectionFrame(TQSPaintContext& c, const TRect& r);
void DrawBoxHandles(TQSPaintContext& c, const TRect& r);
// Handles at (Left, Top) and (Right, Bottom).
void DrawEndHandles(TQSPaintContext& c, const TRect& r);
// A line from (Left, Top) to (Right, Bottom) with a handle at its end.
void DrawLineHandle(TQSPaintContext& c, const TRect& r);
void DrawPointHandle(TQSPaintContext& c, TPoint p);

// An element is selected when an entry has its item and element type.
bool IsElementSelected(const TQSPaintContext& c, const TQSCalcItem& element);
bool IsPageObjectSelected(const TQSPaintContext& c, const TQSCalcItem& element);

// Text in the canvas font (its face, height, bold and italic) with its
// left edge at x and its baseline at y, at the given font quality (4
// antialiased, 0 default). Glyphs never fill their background.
void DrawFontGlyph(TQSPaintContext& c, int x, int y, std::u16string_view text, uint8_t quality);

// A system accolade by its style byte: 1 a bracket with hooks, 2 a
// straight bar, anything else a brace; r in pixels.
void DrawAccolade(TQSPaintContext& c, const TQSMark& accolade, const TRect& r);

// A pair of characters about a note or rest: 1 "( )", 2 "[ ]", 3 "{ }";
// any other style draws nothing.
void DrawEnclosure(TQSPaintContext& c, int style, int x1, int y1, int x2, int y2);


// A filled wedge with its tip at (x1, y1), pointing away from (x0, y0).
void DrawArrowHead(TQSPaintContext& c, int x0, int y0, int x1, int y1, int extra);

// The fraction one-half in the current font about (x, y).
void DrawHalfSign(TQSPaintContext& c, int x, int y);

// The vertical line that opens a run of measure slots of a system.
void SystemStartLine(TQSPaintContext& c);

// The free page objects of the page.
void DrawPageObjects(TQSPaintContext& c);

}  // namespace qs
