// Saving and loading a native score file of 1,000 measures in 4 parts of
// full note content.
#include <benchmark/benchmark.h>

#include <string>

#include "base/stream.h"
#include "generated_score.h"

namespace {

using namespace qs;
using namespace qs::bench;

constexpr int kMeasures = 1000;

std::vector<uint8_t> Saved(TQSScore& score) {
  TMemoryStream s;
  score.SaveToStream(s);
  return s.TakeBytes();
}

void BM_SaveScore(benchmark::State& state) {
  TQSScore score;
  BuildScore(score, kMeasures);
  size_t bytes = 0;
  for (auto _ : state) {
    TMemoryStream s;
    score.SaveToStream(s);
    bytes = static_cast<size_t>(s.Size());
    benchmark::DoNotOptimize(s.Memory());
  }
  state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_SaveScore)->Unit(benchmark::kMillisecond);

void BM_LoadScore(benchmark::State& state) {
  TQSScore source;
  BuildScore(source, kMeasures);
  const std::vector<uint8_t> bytes = Saved(source);
  TQSScore score;
  for (auto _ : state) {
    TMemoryStream s(bytes);
    score.LoadFromStream(s);
    benchmark::DoNotOptimize(score.PieceCount());
  }
  state.counters["bytes"] = static_cast<double>(bytes.size());
}
BENCHMARK(BM_LoadScore)->Unit(benchmark::kMillisecond);

}  // namespace
