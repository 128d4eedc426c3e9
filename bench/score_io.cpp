// Saving and loading a native score file of 1,000 and 4,000 measures in 4
// parts of full note content: through real files (what opening and saving a
// document costs) and through memory streams (the parsing alone).
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "base/stream.h"
#include "generated_score.h"

namespace {

using namespace qs;
using namespace qs::bench;

std::vector<uint8_t> Saved(TQSScore& score) {
  TMemoryStream s;
  score.SaveToStream(s);
  return s.TakeBytes();
}

// One generated score per size, made once.
TQSScore& Generated(int measures) {
  static std::map<int, std::unique_ptr<TQSScore>> scores;
  std::unique_ptr<TQSScore>& score = scores[measures];
  if (!score) {
    score = std::make_unique<TQSScore>();
    BuildScore(*score, measures);
  }
  return *score;
}

std::string TempFile(int measures) {
  return (std::filesystem::temp_directory_path() /
          ("qs_bench_io_" + std::to_string(::getpid()) + "_" + std::to_string(measures) + ".sfd"))
      .string();
}

void BM_SaveScore(benchmark::State& state) {
  TQSScore& score = Generated(static_cast<int>(state.range(0)));
  size_t bytes = 0;
  for (auto _ : state) {
    TMemoryStream s;
    score.SaveToStream(s);
    bytes = static_cast<size_t>(s.Size());
    benchmark::DoNotOptimize(s.Memory());
  }
  state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_SaveScore)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_LoadScore(benchmark::State& state) {
  const std::vector<uint8_t> bytes = Saved(Generated(static_cast<int>(state.range(0))));
  TQSScore score;
  for (auto _ : state) {
    TMemoryStream s(bytes);
    score.LoadFromStream(s);
    benchmark::DoNotOptimize(score.PieceCount());
  }
  state.counters["bytes"] = static_cast<double>(bytes.size());
}
BENCHMARK(BM_LoadScore)->Arg(1000)->Unit(benchmark::kMillisecond);

// Saving into a file beside others, as a document window saves: the file
// is replaced safely every time.
void BM_SaveScoreFile(benchmark::State& state) {
  const int measures = static_cast<int>(state.range(0));
  TQSScore& score = Generated(measures);
  const std::string file = TempFile(measures);
  for (auto _ : state) score.SaveToFile(file);
  state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(file));
  std::filesystem::remove(file);
}
BENCHMARK(BM_SaveScoreFile)->Arg(1000)->Arg(4000)->Unit(benchmark::kMillisecond);

// Opening a saved file into a score.
void BM_LoadScoreFile(benchmark::State& state) {
  const int measures = static_cast<int>(state.range(0));
  const std::string file = TempFile(measures);
  Generated(measures).SaveToFile(file);
  TQSScore score;
  for (auto _ : state) {
    score.LoadFromFile(file);
    benchmark::DoNotOptimize(score.PieceCount());
  }
  state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(file));
  std::filesystem::remove(file);
}
BENCHMARK(BM_LoadScoreFile)->Arg(1000)->Arg(4000)->Unit(benchmark::kMillisecond);

}  // namespace
