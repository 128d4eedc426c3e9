// The score view on a laid-out score of 1,000 measures in 4 parts: painting
// the visible area at 100 % (goal < 8 ms; a repaint, and one after a change
// that paints the pages anew), a click placing the cursor
// (goal < 1 ms) and a rectangle selection over a full page (goal < 5 ms).
#include <benchmark/benchmark.h>

#include "generated_score.h"
#include "layout/layout.h"
#include "platform/bitmap.h"
#include "platform/canvas.h"
#include "score/calcrecords.h"
#include "screen_host.h"
#include "view/window.h"

namespace {

using namespace qs;
using namespace qs::bench;

constexpr int kMeasures = 1000;

class TShownScore {
 public:
  TQSScore Score;
  TScreenHost Host;
  TQSWindow View;

  TShownScore() {
    Setup();
    BuildScore(Score, kMeasures);
    LayoutScore(Score, 0);
    View.SetHost(&Host);
    View.SetBounds(0, 0, 1200, 900);
    View.SetScore(&Score);
  }
};

TShownScore& Shown() {
  static TShownScore* shown = new TShownScore;
  return *shown;
}

void BM_PaintVisibleArea(benchmark::State& state) {
  TShownScore& s = Shown();
  s.View.SetZoom(100);
  for (auto _ : state) s.View.PaintTo(s.Host.Bitmap.Canvas());
}
BENCHMARK(BM_PaintVisibleArea)->Unit(benchmark::kMillisecond);

// The same after every change that repaints the pages (the pages are
// painted anew).
void BM_PaintVisibleAreaAnew(benchmark::State& state) {
  TShownScore& s = Shown();
  s.View.SetZoom(100);
  for (auto _ : state) {
    s.View.InvalidatePages();
    s.View.PaintTo(s.Host.Bitmap.Canvas());
  }
}
BENCHMARK(BM_PaintVisibleAreaAnew)->Unit(benchmark::kMillisecond);

// Clicks alternate between two notes of the first system, so that every
// click moves the cursor.
void BM_ClickPlacesCursor(benchmark::State& state) {
  TShownScore& s = Shown();
  s.View.SetZoom(100);
  const TQSCalcPage& page = *s.Score.LayoutPages.At(0);
  const TQSCalcSystem& system = *page.Systems.At(0);
  const TQSCalcMeasure& a = *system.Measures.At(0);
  const TQSCalcMeasure& b = *system.Measures.At(system.MeasureCount - 1);
  const TQSCalcStaff& row = *page.StaffRows.At(1);
  const TPoint p1 = s.View.Geometry().PageToScreen({a.Box.Left + a.Positions[0], row.TopLine + 24}, 0);
  const TPoint p2 = s.View.Geometry().PageToScreen({b.Box.Left + b.Positions[128], row.TopLine + 72}, 0);
  bool first = true;
  for (auto _ : state) {
    s.View.PointToCursor(first ? p1 : p2);
    first = !first;
  }
}
BENCHMARK(BM_ClickPlacesCursor)->Unit(benchmark::kMicrosecond);

void BM_SelectFullPage(benchmark::State& state) {
  TShownScore& s = Shown();
  s.View.SetZoom(100);
  const TRect page = s.View.Geometry().PageRectToScreen({0, 0, 1 << 16, 1 << 16}, 0);
  for (auto _ : state) {
    s.View.ClearSelection();
    s.View.SelectInRect({page.Left, page.Top, page.Left + s.View.Geometry().PagePixelRect().Right,
                         page.Top + s.View.Geometry().PagePixelRect().Bottom},
                        true);
  }
}
BENCHMARK(BM_SelectFullPage)->Unit(benchmark::kMillisecond);

}  // namespace
