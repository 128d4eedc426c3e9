// Entering one note at the cursor (and taking it back) on the generated
// score of 1,000 measures in 4 parts, in a view of a typical document
// window: each step lays the score out again from the page it changed and
// the view paints its visible area again.
#include <benchmark/benchmark.h>

#include <algorithm>

#include "editing/entry.h"
#include "generated_score.h"
#include "layout/layout.h"
#include "platform/bitmap.h"
#include "platform/canvas.h"
#include "view/window.h"

namespace {

using namespace qs;
using namespace qs::bench;

struct TScreenHost : TQSWindow::THost {
  TBitmap Bitmap{1200, 900};
  TCanvas* Screen() override { return &Bitmap.Canvas(); }
  void Invalidate(const TRect&, bool) override {}
  void Update() override {}
  void Flush(const TRect&) override {}
};

// The view shows the page of the cursor, which stands in the first (arg 0)
// or last (arg 1) measure of the third part.
struct TEditedScore {
  TQSScore Score;
  TScreenHost Host;
  TQSWindow View;
  explicit TEditedScore(bool last) {
    Setup();
    BuildScore(Score, 1000);
    LayoutScore(Score, 0);
    View.SetHost(&Host);
    View.Resize(1200, 900);
    View.SetScore(&Score);
    TQSPiece* piece = Score.GetPiece(0);
    const int measure = last ? piece->GetPart(2)->MeasureCount() - 1 : 0;
    const int page = std::max(piece->MeasurePage(measure), 0);
    View.SetCursor(page, 0, 2, measure, 0, 0, 384, View.CursorLine);
    View.GotoPage(page);
  }
  void Repaint() { View.Paint(Host.Bitmap.Canvas()); }
};

// Entering the note with its undo record, the layout from the cursor's page
// and the repaint; taking it back is not timed.
void BM_EnterNote(benchmark::State& state) {
  TEditedScore s(state.range(0) != 0);
  for (auto _ : state) {
    InsertNote(s.Score, 5, 2, 64);
    s.Repaint();
    state.PauseTiming();
    s.Score.Undo(1);
    s.Repaint();
    state.ResumeTiming();
  }
  state.counters["page"] = s.View.CursorPosition.Page;
  state.counters["pages"] = s.Score.LaidOutPages;
}
BENCHMARK(BM_EnterNote)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Both: entering the note and taking it back, each with its repaint.
void BM_EnterNoteAndUndo(benchmark::State& state) {
  TEditedScore s(state.range(0) != 0);
  for (auto _ : state) {
    InsertNote(s.Score, 5, 2, 64);
    s.Repaint();
    s.Score.Undo(1);
    s.Repaint();
  }
}
BENCHMARK(BM_EnterNoteAndUndo)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
