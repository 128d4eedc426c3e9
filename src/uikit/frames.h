#pragma once
// The plain three-dimensional frames the program's own controls draw:
// raised and sunken edges, push-button frames and scroll arrows, in the
// system colours of the button face; and the canvas set up for a
// control's text.
#include "base/geometry.h"
#include "platform/canvas.h"

namespace qs {

enum class TEdgeKind { Raised, Sunken };
// A one-pixel edge just inside r: light top and left, dark bottom and
// right when raised, the other way round when sunken. No fill.
void DrawEdge(TCanvas& canvas, const TRect& r, TEdgeKind kind);

// A push button's two-pixel frame inside r, filled with the button face;
// pushed, a single dark frame. Returns the inside.
TRect DrawButtonFrame(TCanvas& canvas, const TRect& r, bool pushed);

enum TECArrowStyle : uint8_t { asDown, asUp, asLeft, asRight };
// A small filled triangle pointing as style, centred in r.
void DrawArrow(TCanvas& canvas, const TRect& r, TECArrowStyle style, TColor color);
// A scroll-bar arrow button: a push-button frame (flat and pushed while
// pressed) with the arrow.
void DrawScrollArrow(TCanvas& canvas, const TRect& r, TECArrowStyle style, bool pressed, bool enabled);

// The canvas takes font for text, its colour resolved from a system
// colour to RGB.
void UseFont(TCanvas& canvas, const TFont& font);

// The 8 x 8 checker of button face and highlight that marks a button held
// down.
TBrush CheckerBrush();

}  // namespace qs
