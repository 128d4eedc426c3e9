#pragma once
// Painters of musical pictures on the faces of palette buttons: music-font
// characters at an exact baseline, and clefs, key and time signatures and
// accolades on five staff lines. Each draws inside the face rectangle it
// gets, in black, or in grey for the raised look and disabled faces.
#include <string>

#include "base/geometry.h"
#include "platform/canvas.h"

namespace qs {

class TECCharButton;
class TQSUserSymbol;

// Draws text at x with its baseline at baseline, transparently, in a copy
// of the canvas font with the given output quality (4 antialiased); the
// canvas font is left as it was. The music font's characters are given as
// their codes (each byte one character).
void DrawGlyphText(TCanvas& canvas, int x, int baseline, uint8_t quality, const std::string& text);

// Five staff lines 6 pixels apart with the clef code 1..15 (other codes:
// the lines alone).
void DrawClef(TCanvas& canvas, const TRect& rect, bool grey, int clef);
// Five staff lines placed by the rectangle's height and yShift (not by its
// top), the key's sharps (1..7) or flats (11..17) and, below, its name in
// the mode (0 major, 1 minor).
void DrawKeySignature(TCanvas& canvas, const TRect& rect, bool grey, int yShift, int mode, int key);
// Time signatures: count << 8 | unit.
constexpr int TimeWord(int count, int unit) { return (count & 0xFF) << 8 | (unit & 0xFF); }
// Whether a time signature has the common-time face (1/1, 2/2, 4/4) or the
// cut-time face (those and 1/2, 2/4); the faces, the tool cursor and the
// picker follow these.
bool HasCommonTimeFace(int size);
bool HasCutTimeFace(int size);
// Five staff lines and the time signature (count << 8 | unit); style 1
// shows 1/1, 2/2 and 4/4 as common time, style 2 also 1/2 and 2/4 as cut
// time.
void DrawTimeSignature(TCanvas& canvas, const TRect& rect, bool grey, int style, int size);
// An accolade: 0 brace, 1 bracket, 2 thin square bracket; others nothing.
void DrawAccolade(TCanvas& canvas, const TRect& rect, bool grey, int kind);

// The page objects of a user symbol (texts, pictures, lines, rectangles,
// ellipses, arcs, pies and chord segments), their layout positions scaled
// by percent and drawn in pixels; grey draws them all in grey.
void DrawSymbolItems(TCanvas& canvas, const TQSUserSymbol& symbol, bool grey, int percent);
// A layout rectangle in pixels at percent: each coordinate times percent
// div 100, then divided by 8 toward zero.
TRect ScaleRectToPixels(const TRect& layout, int percent);
// p turned by angle degrees (counter-clockwise on the screen).
TPoint RotatePoint(TPoint p, double angle);

// The pictures of the join-notes styles (0 none, 1 the full measure, 2 by
// the time signature, above 2 a custom division shown as style - 1) and of
// the row-alignment styles (0 evenly, 1 proportionally, others
// positional), with the raised look of button's hover; an inactive style
// is crossed out in red.
void DrawBarUnionStyle(const TECCharButton& button, TCanvas& canvas, bool active, int style, const TRect& rect);
void DrawAlignMeasureStyle(const TECCharButton& button, TCanvas& canvas, bool active, int style, const TRect& rect);

}  // namespace qs
