// Entering one note at the cursor (and taking it back) on the generated
// score of 1,000 measures in 4 parts, shown in a view of a typical document
// window: each step lays the score out again from the page it changed and
// has the view refresh (invalidate) its pages. A keystroke as the user sees
// it also repaints the visible pages (goal: < 5 ms on the last page, < 30 ms
// on the first).
#include <benchmark/benchmark.h>

#include <algorithm>

#include "editing/entry.h"
#include "generated_score.h"
#include "layout/layout.h"
#include "platform/bitmap.h"
#include "platform/canvas.h"
#include "screen_host.h"
#include "view/window.h"

namespace {

using namespace qs;
using namespace qs::bench;

// Scores made after this lay themselves out through the layout library.
struct TLayoutInstalled {
  TLayoutInstalled() {
    Setup();
    InstallLayout();
  }
};

// The view shows the page of the cursor, which stands in the first (arg 0)
// or last (arg 1) measure of the third part.
struct TEditedScore : TLayoutInstalled {
  TQSScore Score;
  TScreenHost Host;
  TQSWindow View;
  explicit TEditedScore(bool last) {
    BuildScore(Score, 1000);
    LayoutScore(Score, 0);
    View.SetHost(&Host);
    View.SetBounds(0, 0, 1200, 900);
    View.SetScore(&Score);
    TQSPiece* piece = Score.GetPiece(0);
    const int measure = last ? piece->GetPart(2)->MeasureCount() - 1 : 0;
    const int page = std::max(piece->MeasurePage(measure), 0);
    View.SetCursor(page, 0, 2, measure, 0, 0, 384, View.CursorLine());
    View.GotoPage(page);
  }
};

// Entering the note with its undo record, the layout from the cursor's page
// and the refresh; taking it back is not timed.
void BM_EnterNote(benchmark::State& state) {
  TEditedScore s(state.range(0) != 0);
  for (auto _ : state) {
    InsertNote(s.Score, 5, 2, 64);
    state.PauseTiming();
    s.Score.Undo(1);
    state.ResumeTiming();
  }
  state.counters["page"] = s.View.CursorPosition.Page;
  state.counters["pages"] = s.Score.LaidOutPages;
}
BENCHMARK(BM_EnterNote)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Both: entering the note and taking it back.
void BM_EnterNoteAndUndo(benchmark::State& state) {
  TEditedScore s(state.range(0) != 0);
  for (auto _ : state) {
    InsertNote(s.Score, 5, 2, 64);
    s.Score.Undo(1);
  }
}
BENCHMARK(BM_EnterNoteAndUndo)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// A keystroke as the user sees it: entering the note, the layout and the
// repaint of the visible pages (of the band of a page that changed);
// taking it back and its repaint are not timed.
void BM_Keystroke(benchmark::State& state) {
  TEditedScore s(state.range(0) != 0);
  TCanvas& screen = s.Host.Bitmap.Canvas();
  s.View.PaintTo(screen);
  int painted = 0;
  long long rows = 0;
  for (auto _ : state) {
    const int before = s.View.PageImagesPainted();
    const long long rowsBefore = s.View.PageRowsPainted();
    InsertNote(s.Score, 5, 2, 64);
    s.View.PaintTo(screen);
    painted += s.View.PageImagesPainted() - before;
    rows += s.View.PageRowsPainted() - rowsBefore;
    state.PauseTiming();
    s.Score.Undo(1);
    s.View.PaintTo(screen);
    state.ResumeTiming();
  }
  state.counters["page"] = s.View.CursorPosition.Page;
  // Page images painted anew per keystroke (the others are reused).
  state.counters["pages_painted"] = benchmark::Counter(painted, benchmark::Counter::kAvgIterations);
  // Rows of page pixels painted per keystroke: a page brought up to date
  // paints only the band where its drawing changed.
  state.counters["rows_painted"] = benchmark::Counter(static_cast<double>(rows), benchmark::Counter::kAvgIterations);
  state.counters["page_rows"] = s.View.Geometry().PagePixelRect().Height();
}
BENCHMARK(BM_Keystroke)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
