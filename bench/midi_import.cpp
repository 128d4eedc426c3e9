// Importing a Standard MIDI File of 1,000 measures in 8 tracks: eighth-note
// lines, chords, a low piano line on two staves, drums in sixteenths; and
// files of many markers or key signatures.
#include <benchmark/benchmark.h>

#include <string>

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
    score.RecordQuantize = 32;
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

// A file of n markers, lyrics or key signatures in its conductor track, one
// every 32nd note, and one note a measure in a track of its own: the texts
// and keys join the part in one pass, so the time grows linearly with n.
constexpr int kKeys = 0x59;
qs::test::TBytesVec MetaEventFile(int n, int type) {
  qs::test::TSmfFile f(Q);
  qs::test::TSmfTrack& conductor = f.Track();
  conductor.TimeSignature(0, 4, 2);
  for (int i = 0; i < n; ++i) {
    if (type == kKeys) conductor.KeySignature(i * Q / 8, 1 + i % 7);
    else conductor.Meta(i * Q / 8, type, "m" + std::to_string(i % 100));
  }
  qs::test::TSmfTrack& notes = f.Track();
  for (int m = 0; m <= n / 32; ++m) notes.Note(0, 60 + m % 12, m * 4 * Q, Q);
  return f.Bytes();
}

void ImportMetaEvents(benchmark::State& state, int type) {
  const qs::test::TBytesVec bytes = MetaEventFile(static_cast<int>(state.range(0)), type);
  for (auto _ : state) {
    qs::TQSScore score;
    qs::TMemoryStream stream(bytes);
    qs::ImportMidiFile(score, stream);
    benchmark::DoNotOptimize(score.PieceCount());
  }
  state.SetComplexityN(state.range(0));
  state.counters["bytes"] = double(bytes.size());
}
void BM_ImportMidiMarkers(benchmark::State& state) { ImportMetaEvents(state, 6); }
void BM_ImportMidiLyrics(benchmark::State& state) { ImportMetaEvents(state, 5); }
void BM_ImportMidiKeySignatures(benchmark::State& state) { ImportMetaEvents(state, kKeys); }
BENCHMARK(BM_ImportMidiMarkers)->RangeMultiplier(4)->Range(3125, 200000)->Complexity()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportMidiLyrics)->RangeMultiplier(4)->Range(3125, 200000)->Complexity()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportMidiKeySignatures)->RangeMultiplier(4)->Range(3125, 200000)->Complexity()->Unit(benchmark::kMillisecond);

}  // namespace
