#pragma once
// Shared by the view's tools and drags: the tool codes, what the ghost step
// finds under the mouse, and the XOR figures both draw.
#include <cstdint>

#include "base/geometry.h"
#include "platform/canvas.h"

namespace qs {

struct TQSCalcStaff;
struct TQSCalcMeasure;

constexpr uint8_t kToolLiga = 30, kToolText = 200, kToolLine = 202, kToolRectangle = 203, kToolEllipse = 204,
                  kToolArc = 205, kToolPie = 206, kToolChordSegment = 207;

// The staff row, measure and event under the mouse (canvas pixels).
struct TGhostPlace {
  int Page = 0, PageLeft = 0, PageTop = 0;
  const TQSCalcStaff* Row = nullptr;
  const TQSCalcMeasure* Slot = nullptr;
  int Staff = 0, Measure = 0, Tick = 0;
  int16_t Offset = 0;
  int X = 0, Y = 0, MouseX = 0, MouseY = 0;
  int Spacing = 1;
  bool Tablature = false;
  int Line = 0;       // staff position (or string), before the clef
  int ClefShift = 0;  // of the clef in force there
};

// A brush of a colour and style.
TBrush MakeBrush(TColor color, TBrushStyle style);
// A filled arrow head whose tip is tip, 6 pixels long along from-tip and
// one pixel to either side, in the pen's colour.
void DrawArrowHead(TCanvas& canvas, TPoint from, TPoint tip);
// One segment of a slur from a to b (a line for a slide); later: a segment
// after the first of a slur across systems.
void DrawSlurSegment(TCanvas& canvas, TPoint a, TPoint b, bool below, bool slide, bool later);

}  // namespace qs
