#pragma once
// The view's ruler markers, dropped after a drag, change the manual spacing
// at the cursor by the distance dragged.
namespace qs {

class TQSScore;
class TQSWindow;

// Marker 1 the system's left offset, 2 its right offset, 3 the staff row's
// offset, 4 the space after the measure, 5 the space before the cursor's
// tick; step in pixels at zoom 100.
void ApplyRulerMarkerDrop(TQSScore& score, int marker, int step);
// Makes the view's marker drops change the spacing of its score.
void ConnectRulerSpacing(TQSWindow& view);

}  // namespace qs
