// WAVE export of three minutes of music (45 measures of 4/4 at quarter = 60,
// four parts of chords, eighths, ties and grace notes) at 44.1 kHz, 16-bit
// stereo: how many times faster than real time the file is written.
#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "generated_score.h"
#include "layout/layout.h"
#include "playback/waveexport.h"

namespace {

using namespace qs;
using namespace qs::bench;

class THiddenView : public TQSWindowLink {
 public:
  bool Playing() const override { return PlayControl && PlayControl->IsPlaying(); }
  int CursorSystemIndex() const override { return 0; }
  void InvalidatePages() override {}
};

void BM_WaveExportThreeMinutes(benchmark::State& state) {
  TQSScore score;
  Setup();
  InstallLayout();
  BuildScore(score, 45);
  score.GetPiece(0)->SetTempo(60);
  for (int p = 0; p < kParts; ++p) score.GetPiece(0)->GetPart(p)->Fields.Channel = static_cast<uint8_t>(p);
  LayoutScore(score, 0);
  THiddenView view;
  score.AttachWindow(&view);
  const std::string file = (std::filesystem::temp_directory_path() / "qs_bench_export.wav").string();
  double renderedMs = 0, wallMs = 0;
  for (auto _ : state) {
    TQSWaveExport exporter(view, {44100, 2, 16});
    exporter.OnProgress = [&](double ms) { renderedMs = ms; };
    view.CursorPosition.Tick = 0;
    const auto t0 = std::chrono::steady_clock::now();
    if (exporter.Run(file) != TQSWaveResult::Saved) state.SkipWithError("export failed");
    wallMs += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
  }
  score.DetachWindow(&view);
  std::filesystem::remove(file);
  state.counters["score_s"] = renderedMs / 1000;
  state.counters["x_realtime"] = wallMs > 0 ? renderedMs * double(state.iterations()) / wallMs : 0;
}
BENCHMARK(BM_WaveExportThreeMinutes)->Iterations(3)->Unit(benchmark::kSecond);

}  // namespace
