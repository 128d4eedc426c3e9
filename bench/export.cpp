// Exporting every page of a laid-out score of 1,000 measures in 4 parts
// as one PDF file and as JPEG images; goal: under 5 ms per page for PDF.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <filesystem>
#include <string>

#include "base/stream.h"
#include "generated_score.h"
#include "layout/layout.h"
#include "render/window.h"

namespace {

using namespace qs;
using namespace qs::bench;

constexpr int kMeasures = 1000;

class TLaidOutScore {
 public:
  TQSScore Score;
  TQSPageView Window;

  TLaidOutScore() {
    Setup();
    BuildScore(Score, kMeasures);
    LayoutScore(Score, 0);
    Score.AttachWindow(&Window);
  }
};

TLaidOutScore& Laid() {
  static TLaidOutScore* score = new TLaidOutScore;
  return *score;
}

void PerPage(benchmark::State& state, int pages) {
  state.counters["pages"] = pages;
  state.counters["time_per_page"] =
      benchmark::Counter(pages, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_ExportPdf(benchmark::State& state) {
  TLaidOutScore& laid = Laid();
  const std::string file =
      (std::filesystem::temp_directory_path() / ("qs_bench_export_" + std::to_string(::getpid()) + ".pdf")).string();
  for (auto _ : state) laid.Window.ExportPDF(file, 1, laid.Score.LaidOutPages, 100, true, true);
  state.counters["bytes_per_page"] = static_cast<double>(std::filesystem::file_size(file)) / laid.Score.LaidOutPages;
  std::filesystem::remove(file);
  PerPage(state, laid.Score.LaidOutPages);
}
BENCHMARK(BM_ExportPdf)->Unit(benchmark::kMillisecond);

void BM_ExportJpeg(benchmark::State& state) {
  TLaidOutScore& laid = Laid();
  laid.Window.Zoom = 100;
  size_t bytes = 0;
  for (auto _ : state) {
    bytes = 0;
    for (int page = 1; page <= laid.Score.LaidOutPages; ++page) {
      TMemoryStream s;
      laid.Window.ExportPage(s, efJpeg, page, page, 1, 30, false);
      bytes += static_cast<size_t>(s.Size());
    }
  }
  state.counters["bytes_per_page"] = static_cast<double>(bytes) / laid.Score.LaidOutPages;
  PerPage(state, laid.Score.LaidOutPages);
}
BENCHMARK(BM_ExportJpeg)->Unit(benchmark::kMillisecond);

}  // namespace
