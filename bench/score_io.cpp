// Saving and loading a native score file of 1,000 measures in 4 parts with
// notes, marks and lyrics.
#include <benchmark/benchmark.h>

#include <string>

#include "base/stream.h"
#include "score/marks.h"
#include "score/measure.h"
#include "score/notes.h"
#include "score/part.h"
#include "score/piece.h"
#include "score/score.h"

namespace {

using namespace qs;

constexpr int kParts = 4;
constexpr int kMeasures = 1000;

void FillMeasure(TQSMeasure* m, int number) {
  for (int beat = 0; beat < 4; ++beat) {
    auto* note = static_cast<TQSNote*>(CreateItemByKind(kind::Note, m));
    note->Fields.Time = static_cast<uint16_t>(beat * 128);
    note->Fields.Length = note->Fields.RealLength = 128;
    note->Fields.Pitch = static_cast<uint8_t>(0x50 + (number + beat) % 7);
    if (beat % 2 == 0) CreateItemByKind(kind::Accidental, note);
  }
  auto* dynamics = static_cast<TQSMark*>(CreateItemByKind(kind::Dynamics, m));
  dynamics->Fields.Kind = static_cast<uint8_t>(number % 13);
  CreateItemByKind(kind::Staccato, m);
  auto* lyric = static_cast<TQSLyric*>(CreateItemByKind(kind::Lyric, m));
  lyric->Lines = {"syl-" + std::to_string(number)};
}

void BuildScore(TQSScore& score) {
  TQSPiece* piece = score.NewPiece();
  piece->SetName("Benchmark");
  for (int p = 0; p < kParts; ++p) {
    TQSPart* part = piece->AddPart();
    (new TQSStaff(part))->NewVoice();
    for (int m = 0; m < kMeasures; ++m) FillMeasure(part->NewMeasure(), m);
  }
  for (int c = 0; c < kMeasures; ++c) piece->AddColumn();
}

std::vector<uint8_t> Saved(TQSScore& score) {
  TMemoryStream s;
  score.SaveToStream(s);
  return s.TakeBytes();
}

void BM_SaveScore(benchmark::State& state) {
  TQSScore score;
  BuildScore(score);
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
  BuildScore(source);
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
