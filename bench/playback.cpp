// Playback on the real clock: how far the play events of 10 seconds of
// dense music (4 parts of chords, dotted notes, eighths, ties and grace
// notes at quarter = 240) fall from their due times, and how long Play
// takes to the first event.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <mutex>
#include <thread>
#include <vector>

#include "generated_score.h"
#include "layout/layout.h"
#include "playback/playclock.h"
#include "playback/player.h"
#include "playback/playwalker.h"

namespace {

using namespace qs;
using namespace qs::bench;

class TBenchView : public TQSWindowLink {
 public:
  bool Playing() const override { return PlayControl && PlayControl->IsPlaying(); }
  int CursorSystemIndex() const override { return 0; }
  void InvalidatePages() override {}
};

// The due time of every message of a walk, in milliseconds from its start.
struct TDueTimes : TQSPlaySink {
  const TQSPlayWalker* Walker = nullptr;
  std::vector<double> Times;
  void PlayShort(uint8_t, uint8_t, uint8_t) override { Times.push_back(Walker->ElapsedMs()); }
  void PlayLong(const uint8_t*, uint16_t) override { Times.push_back(Walker->ElapsedMs()); }
};

double Percentile(std::vector<double> values, double p) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  return values[static_cast<size_t>(std::min<double>(values.size() - 1, std::floor(p * values.size())))];
}

// 10 measures of 4/4 at quarter = 240: 10 seconds.
void BuildTenSeconds(TQSScore& score) {
  Setup();
  InstallLayout();
  BuildScore(score, 10);
  score.GetPiece(0)->SetTempo(240);
  for (int p = 0; p < kParts; ++p) score.GetPiece(0)->GetPart(p)->Fields.Channel = static_cast<uint8_t>(p);
  LayoutScore(score, 0);
}

void BM_PlayTimingError(benchmark::State& state) {
  TQSScore score;
  BuildTenSeconds(score);
  TDueTimes due;
  {
    TQSPlayWalker walker(score, due);
    due.Walker = &walker;
    walker.SetTickLength(TickLengthFor(TempoAt(score, 0, 0), 100));
    walker.SendPartLevels();
    while (walker.Pass() != TQSPassResult::End) {}
    walker.EndSounding();
  }
  TBenchView view;
  score.AttachWindow(&view);
  std::vector<double> errors;
  for (auto _ : state) {
    std::vector<double> heard;
    heard.reserve(due.Times.size());
    std::mutex lock;
    TQSPlayClock& clock = SystemPlayClock();
    view.OnPlayShort = [&](TObject*, int, int, int) {
      std::lock_guard guard(lock);
      heard.push_back(clock.NowMs());
    };
    view.OnPlayLong = [&](TObject*, const uint8_t*, uint16_t) {};
    TQSPlayer player(view);
    player.Play();
    player.WaitUntilPlayed();
    // Each message against its due time, counted from the first.
    for (size_t i = 0; i < std::min(heard.size(), due.Times.size()); ++i)
      errors.push_back(std::fabs((heard[i] - heard[0]) - due.Times[i]));
    state.counters["messages"] = static_cast<double>(heard.size());
  }
  score.DetachWindow(&view);
  state.counters["p50_ms"] = Percentile(errors, 0.50);
  state.counters["p99_ms"] = Percentile(errors, 0.99);
  state.counters["max_ms"] = Percentile(errors, 1.0);
}
BENCHMARK(BM_PlayTimingError)->Iterations(1)->Unit(benchmark::kSecond);

void BM_PlayToFirstEvent(benchmark::State& state) {
  TQSScore score;
  BuildTenSeconds(score);
  TBenchView view;
  score.AttachWindow(&view);
  TQSPlayer player(view);
  std::atomic<bool> heard = false;
  view.OnPlayShort = [&](TObject*, int, int, int) { heard = true; };
  view.OnPlayLong = [&](TObject*, const uint8_t*, uint16_t) {};
  std::vector<double> delays;
  for (auto _ : state) {
    heard = false;
    const auto start = std::chrono::steady_clock::now();
    player.Play();
    while (!heard) std::this_thread::yield();
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    state.SetIterationTime(ms / 1000);
    delays.push_back(ms);
    player.StopPlay();
  }
  score.DetachWindow(&view);
  state.counters["p50_ms"] = Percentile(delays, 0.50);
  state.counters["p99_ms"] = Percentile(delays, 0.99);
}
BENCHMARK(BM_PlayToFirstEvent)->UseManualTime()->Iterations(200)->Unit(benchmark::kMillisecond);

}  // namespace
