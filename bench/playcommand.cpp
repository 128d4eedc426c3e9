// The Play command of the main window on the real clock: 10 seconds of
// dense music (4 parts at quarter = 240) played through the document
// window to the program's MIDI output port, and how far each message that
// reaches the port falls from its due time (goal: p99 below 2 ms).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#include "app/fileeditor.h"
#include "app/mainwindow.h"
#include "generated_score.h"
#include "layout/layout.h"
#include "playback/midiports.h"
#include "playback/noteports.h"
#include "playback/playclock.h"
#include "playback/playwalker.h"
#include "platform/testdriver.h"
#include "score/piece.h"
#include "score/score.h"
#include "uikit/language.h"
#include "uikit/settings.h"
#include "view/window.h"

namespace {

using namespace qs;
using namespace qs::bench;

// The port at the end of the path: the time each message arrives.
class TTimedPort : public TMidiOutput {
 public:
  std::string Device() const override { return "timed"; }
  std::vector<double> Times() {
    std::lock_guard lock(mutex_);
    return times_;
  }

 protected:
  int DoOpen() override { return 0; }
  void DoClose() override {}
  void SendShort(const uint8_t*, size_t) override { Add(); }
  void SendSysEx(const uint8_t*, size_t) override { Add(); }

 private:
  void Add() {
    std::lock_guard lock(mutex_);
    times_.push_back(SystemPlayClock().NowMs());
  }
  std::mutex mutex_;
  std::vector<double> times_;
};

// The due time of every note message of a walk, in milliseconds from its
// start (the others, the levels and programs, come at once anyway).
struct TDueTimes : TQSPlaySink {
  const TQSPlayWalker* Walker = nullptr;
  std::vector<double> Times;
  void PlayShort(uint8_t status, uint8_t, uint8_t) override {
    if ((status & 0xE0) == 0x80) Times.push_back(Walker->ElapsedMs());
  }
  void PlayLong(const uint8_t*, uint16_t) override {}
};

double Percentile(std::vector<double> values, double p) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  return values[static_cast<size_t>(std::min<double>(values.size() - 1, std::floor(p * values.size())))];
}

void BM_PlayCommandTimingError(benchmark::State& state) {
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  Setup();
  InstallLayout();
  static TComponent owner(nullptr);
  if (!GlobalLanguage()) (new TECLanguage(&owner))->SetLanguage(kDefaultLanguage);
  const std::string dir = "/tmp/qs_bench_play_" + std::to_string(::getpid()) + "/";
  std::system(("mkdir -p '" + dir + "'").c_str());
  TSettings settings(dir + "ProgramSetting.ini");
  TFProgramModule main(nullptr, &settings);
  TFFileEditor* doc = main.NewDocument();
  TQSScore& score = doc->Score();
  BuildScore(score, 10);
  score.GetPiece(0)->SetTempo(240);
  LayoutScore(score, 0);
  TDueTimes due;
  {
    TQSPlayWalker walker(score, due);
    due.Walker = &walker;
    walker.SetTickLength(TickLengthFor(TempoAt(score, 0, 0), 100));
    while (walker.Pass() != TQSPassResult::End) {}
    walker.EndSounding();
  }
  testdriver::ShowAndWait(main);
  std::vector<double> errors;
  for (auto _ : state) {
    main.SetMidiDevices("", "");
    auto port = std::make_unique<TTimedPort>();
    TTimedPort* timed = port.get();
    main.Ports().Output = std::move(port);
    doc->QSWindow->GotoScoreStart();
    main.RunCommand("APlay");
    while (main.IsPlaying()) {
      testdriver::ProcessMessages();
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    // The note messages against their due times, counted from the first;
    // the port also hears the part levels and programs before them.
    const std::vector<double> heard = timed->Times();
    const size_t skip = heard.size() > due.Times.size() ? heard.size() - due.Times.size() : 0;
    for (size_t i = 0; i + skip < heard.size() && i < due.Times.size(); ++i)
      errors.push_back(std::fabs((heard[i + skip] - heard[skip]) - due.Times[i]));
    state.counters["messages"] = static_cast<double>(heard.size());
  }
  state.counters["p50_ms"] = Percentile(errors, 0.50);
  state.counters["p99_ms"] = Percentile(errors, 0.99);
  state.counters["max_ms"] = Percentile(errors, 1.0);
  for (int i = 0; i < main.DocumentCount(); ++i) main.Document(i)->SetModified(false);
}
BENCHMARK(BM_PlayCommandTimingError)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
