// Freeing a score of 1,000 and 4,000 measures in 4 parts of full note
// content: the time grows with the measures, not with their square.
#include <benchmark/benchmark.h>

#include <memory>

#include "generated_score.h"

namespace {

using namespace qs;
using namespace qs::bench;

void BM_FreeScore(benchmark::State& state) {
  const int measures = static_cast<int>(state.range(0));
  for (auto _ : state) {
    state.PauseTiming();
    auto score = std::make_unique<TQSScore>();
    BuildScore(*score, measures);
    state.ResumeTiming();
    score.reset();
  }
}
BENCHMARK(BM_FreeScore)->Arg(1000)->Arg(2000)->Arg(4000)->Arg(8000)->Iterations(5)->Unit(benchmark::kMillisecond);

}  // namespace
