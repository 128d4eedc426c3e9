// Importing a Standard MIDI File of 1,000 measures in 8 tracks: eighth-note
// lines, chords, a low piano line on two staves, drums in sixteenths.
#include <benchmark/benchmark.h>

#include "../tests/interchange/midi_smf_writer.h"
#include "base/stream.h"
#include "interchange/midi_import.h"
#include "score/score.h"

namespace {

constexpr int kMeasures = 1000;
constexpr int Q = 480;  // ticks per quarter note

qs::test::TBytesVec LargeFile() {
  qs::test::TSmfFile f(Q);
  qs::test::TSmfTrack& conductor = f.Track();
  conductor.Meta(0, 3, "Benchmark").TimeSignature(0, 4, 2).KeySignature(0, 2).Tempo(0, 500000);
  for (int m = 0; m < kMeasures; m += 100) conductor.Tempo(m * 4 * Q, 400000 + m * 100);
  static constexpr int kScale[8] = {0, 2, 4, 5, 7, 9, 11, 12};
  for (int t = 0; t < 8; ++t) {
    const int channel = t == 7 ? 9 : t;
    qs::test::TSmfTrack& track = f.Track();
    track.Meta(0, 3, "Track " + std::to_string(t)).Program(0, channel, t == 6 ? 0 : 40 + t);
    for (int m = 0; m < kMeasures; ++m) {
      const int bar = m * 4 * Q;
      if (t < 4) {
        for (int i = 0; i < 8; ++i) track.Note(channel, 60 + 12 * (t % 2) + kScale[(i + m + t) % 8], bar + i * Q / 2, Q / 2 - 10);
      } else if (t < 6) {
        for (int i = 0; i < 4; ++i)
          for (int k : {0, 4, 7}) track.Note(channel, 55 + kScale[(i + m) % 8] + k, bar + i * Q, Q - 20);
      } else if (t == 6) {
        track.Note(channel, 36 + (m % 12), bar, 2 * Q - 5).Note(channel, 72 + (m % 5), bar + 2 * Q, 2 * Q - 5);
      } else {
        for (int i = 0; i < 16; ++i) track.Note(channel, i % 4 == 0 ? 36 : 42, bar + i * Q / 4, Q / 8);
      }
    }
  }
  return f.Bytes();
}

void BM_ImportMidi1000Measures8Tracks(benchmark::State& state) {
  const qs::test::TBytesVec bytes = LargeFile();
  for (auto _ : state) {
    qs::TQSScore score;
    score.Quantize = 32;
    score.ImportTrackNames = 1;
    score.ImportTriplets = 1;
    score.ImportAutoClefs = 1;
    qs::TMemoryStream stream(bytes);
    qs::ImportMidiFile(score, stream);
    benchmark::DoNotOptimize(score.PieceCount());
  }
  state.counters["bytes"] = double(bytes.size());
}
BENCHMARK(BM_ImportMidi1000Measures8Tracks)->Unit(benchmark::kMillisecond);

}  // namespace
