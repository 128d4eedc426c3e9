// The layout pass over a score of 1,000 measures in 4 parts of full note
// content (chords, accidentals, dots, beams, ties, grace notes, lyrics and
// marks): a full pass, and a pass from the last page after a change there
// (also of a score four times as long).
#include <benchmark/benchmark.h>

#include "generated_score.h"
#include "layout/layout.h"

namespace {

using namespace qs;
using namespace qs::bench;

void BM_FullLayout(benchmark::State& state) {
  Setup();
  TQSScore score;
  BuildScore(score, static_cast<int>(state.range(0)));
  for (auto _ : state) LayoutScore(score, 0);
  state.counters["pages"] = score.LaidOutPages;
  state.counters["measures"] = score.MeasureCounter;
}
BENCHMARK(BM_FullLayout)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_RelayoutLastPage(benchmark::State& state) {
  Setup();
  TQSScore score;
  const int measures = static_cast<int>(state.range(0));
  BuildScore(score, measures);
  LayoutScore(score, 0);
  TQSMeasure* last = score.GetPiece(0)->GetPart(2)->GetMeasure(measures - 1);
  TQSNote* note = nullptr;
  for (TQSItem* item : last->Items)
    if (item->ItemType == kind::Note && !note) note = static_cast<TQSNote*>(item);
  for (auto _ : state) {
    note->Fields.Pitch = note->Fields.Pitch == 0x50 ? 0x54 : 0x50;
    LayoutScore(score, score.LaidOutPages - 1);
  }
  state.counters["pages"] = score.LaidOutPages;
}
// The same cost whatever the length of the score.
BENCHMARK(BM_RelayoutLastPage)->Arg(1000)->Arg(4000)->Unit(benchmark::kMicrosecond);

}  // namespace
