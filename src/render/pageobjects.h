#pragma once
// Drawing the free page objects: texts, pictures, lines with their end
// shapes, rectangles and ellipses, arcs, pies and chord segments, and page
// marks. The page painter draws those the layout placed on the page; the
// measure renderer draws the objects of a user symbol.
#include "base/geometry.h"
#include "render/paintcontext.h"

namespace qs {

class TQSItem;
struct TQSCalcItem;

// Draws one page object. Its box is the element's hit box, or without an
// element the object's own position and size, moved by (dx, dy) pixels;
// selected elements get grab handles.
void DrawPageObject(TQSPaintContext& c, const TQSItem& item, const TQSCalcItem* element, int dx, int dy);

// The angle in whole degrees, clockwise from the x axis (y down), of the
// ray from centre to p, as the anti-aliased surface measures arcs.
int RadialAngle(TPoint centre, TPoint p);

}  // namespace qs
