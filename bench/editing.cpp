// Entering one note at the cursor (and taking it back) on the generated
// score of 1,000 measures in 4 parts: each step lays the score out again
// from the page it changed and refreshes the view.
#include <benchmark/benchmark.h>

#include "editing/entry.h"
#include "generated_score.h"
#include "layout/layout.h"
#include "render/window.h"

namespace {

using namespace qs;
using namespace qs::bench;

// The generated score laid out, with a view whose cursor stands in the
// first (arg 0) or last (arg 1) measure of the third part.
struct TEditedScore {
  TQSScore Score;
  TQSPageView View;
  explicit TEditedScore(bool last) {
    Setup();
    InstallLayout();
    BuildScore(Score, 1000);
    LayoutScore(Score, 0);
    Score.AttachWindow(&View);
    TQSPiece* piece = Score.GetPiece(0);
    const int measure = last ? piece->GetPart(2)->MeasureCount() - 1 : 0;
    View.CursorPosition = {std::max(piece->MeasurePage(measure), 0), 0, 2, measure, 0, 0, 384};
  }
  ~TEditedScore() { Score.DetachWindow(&View); }
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

}  // namespace
