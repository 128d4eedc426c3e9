// Exporting the laid-out score of 1,000 measures in 4 parts as a Standard
// MIDI File (into memory); goal: under 100 ms.
#include <benchmark/benchmark.h>

#include "base/stream.h"
#include "generated_score.h"
#include "interchange/midi_export.h"
#include "layout/layout.h"

namespace {

using namespace qs;
using namespace qs::bench;

constexpr int kMeasures = 1000;

TQSScore& Laid() {
  static TQSScore* score = [] {
    Setup();
    auto* s = new TQSScore;
    BuildScore(*s, kMeasures);
    LayoutScore(*s, 0);
    return s;
  }();
  return *score;
}

void BM_ExportMidiFile(benchmark::State& state) {
  TQSScore& score = Laid();
  int64_t bytes = 0;
  for (auto _ : state) {
    TMemoryStream s;
    ExportMidiFile(score, s);
    bytes = s.Size();
  }
  state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_ExportMidiFile)->Unit(benchmark::kMillisecond);

}  // namespace
