// The program's window on the score of 1,000 measures in 4 parts: opening
// it until the first page is painted (with the layout pass), and painting
// a visible page again at 100 %.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "app/pageviewer.h"
#include "generated_score.h"
#include "layout/layout.h"
#include "platform/bitmap.h"
#include "platform/graphics.h"
#include "platform/testdriver.h"
#include "render/window.h"
#include "view/window.h"

namespace {

using namespace qs;
using namespace qs::bench;

void WindowSetup() {
  // The window is drawn offscreen so that the numbers do not depend on a
  // display.
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  Setup();
  InstallLayout();
}

void BM_OpenWindowUntilFirstPagePainted(benchmark::State& state) {
  WindowSetup();
  TQSScore score;
  BuildScore(score, 1000);
  for (auto _ : state) {
    LayoutScore(score, 0);
    TPageViewerForm form(nullptr, score, "generated.sfd", "ENU");
    form.Show();
    form.View->Update();  // paints what is visible: the first page
    benchmark::DoNotOptimize(form.View->Geometry().PageCount);
    state.PauseTiming();
    form.Hide();
    testdriver::ProcessMessages();
    state.ResumeTiming();
  }
  state.counters["pages"] = score.LaidOutPages;
}
BENCHMARK(BM_OpenWindowUntilFirstPagePainted)->Unit(benchmark::kMillisecond);

void BM_RepaintVisiblePage(benchmark::State& state) {
  WindowSetup();
  TQSScore score;
  BuildScore(score, 1000);
  TPageViewerForm form(nullptr, score, "generated.sfd", "ENU");
  testdriver::ShowAndWait(form);
  int top = form.View->Geometry().PageGrid[3].Rect.Top;
  form.View->ScrollTo(true, scPosition, top);
  form.View->Update();
  for (auto _ : state) {
    form.View->Invalidate();
    form.View->Update();
  }
}
BENCHMARK(BM_RepaintVisiblePage)->Unit(benchmark::kMillisecond);

void BM_PaintPageIntoBitmap(benchmark::State& state) {
  WindowSetup();
  TQSScore score;
  BuildScore(score, 1000);
  TQSPageView view;
  score.AttachWindow(&view);
  TBitmap bitmap(score.Page.PixelWidth(), score.Page.PixelHeight());
  TGraphics graphics(bitmap.Canvas());
  graphics.SetSmoothingMode(SmoothingModeAntiAlias);
  for (auto _ : state) {
    view.PaintPage(3, bitmap.Canvas(), &graphics, 100, 100, 0, 0);
    benchmark::DoNotOptimize(bitmap.Pixel(1, 1));
  }
}
BENCHMARK(BM_PaintPageIntoBitmap)->Unit(benchmark::kMillisecond);

}  // namespace
