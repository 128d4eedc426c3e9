// The layout pass over a score of 1,000 measures in 4 parts: a full pass,
// and a pass from the last page after a change there (also of a score four
// times as long).
#include <benchmark/benchmark.h>

#include <string>

#include "layout/layout.h"
#include "platform/fonts.h"
#include "platform/gui.h"
#include "platform/paths.h"
#include "score/marks.h"
#include "score/measure.h"
#include "score/notes.h"
#include "score/part.h"
#include "score/piece.h"
#include "score/score.h"

namespace {

using namespace qs;

constexpr int kParts = 4;

void FillMeasure(TQSMeasure* m, int number, int part) {
  if (number == 0) {
    auto* clef = static_cast<TQSMark*>(CreateItemByKind(kind::Clef, m));
    clef->Fields.Kind = part % 2 ? 2 : 1;
    static_cast<TQSMark*>(CreateItemByKind(kind::Key, m))->Fields.Kind = 2;
    if (part == 0) static_cast<TQSMark*>(CreateItemByKind(kind::Accolade, m))->Fields.Value = 3;
  }
  for (int beat = 0; beat < 4; ++beat) {
    auto* note = static_cast<TQSNote*>(CreateItemByKind(kind::Note, m));
    note->Fields.Time = static_cast<uint16_t>(beat * 128);
    note->Fields.Length = note->Fields.RealLength = 128;
    note->Fields.Pitch = static_cast<uint8_t>(0x50 + (number + beat) % 7);
    if (beat % 2 == 0) CreateItemByKind(kind::Dot, note);
  }
  auto* dynamics = static_cast<TQSMark*>(CreateItemByKind(kind::Dynamics, m));
  dynamics->Fields.Kind = static_cast<uint8_t>(number % 13);
  auto* lyric = static_cast<TQSLyric*>(CreateItemByKind(kind::Lyric, m));
  lyric->Lines = {"syl-" + std::to_string(number)};
}

void BuildScore(TQSScore& score, int measures) {
  score.BeginUpdate();
  TQSPage::TFields& f = score.Page.Fields;
  f.Width = 2100.0L;
  f.Height = 2970.0L;
  f.LeftMargin = f.TopMargin = f.RightMargin = f.BottomMargin = 100.0L;
  f.Interval = 120.0L;
  TQSPiece* piece = score.NewPiece();
  for (int p = 0; p < kParts; ++p) {
    TQSPart* part = piece->AddPart();
    (new TQSStaff(part))->NewVoice();
    for (int m = 0; m < measures; ++m) FillMeasure(part->NewMeasure(), m, p);
  }
  for (int c = 0; c < measures; ++c) piece->AddColumn();
  auto* meter = static_cast<TQSMark*>(CreateItemByKind(kind::Meter, piece->GetColumn(0)));
  meter->Fields.Value = MakeMeter(4, 4);
  score.EndUpdate();
}

void Setup() {
  SetScreenPixelsPerInch(96);
  // The benchmarks live beside the programs' folder, which holds the
  // resources.
  if (!MusicFontLoaded()) platform::SetProgramDirForTesting(platform::ProgramDir() + "../bin/");
  LoadMusicFont();
}

void BM_FullLayout(benchmark::State& state) {
  Setup();
  TQSScore score;
  BuildScore(score, static_cast<int>(state.range(0)));
  for (auto _ : state) LayoutScore(score, 0);
  state.counters["pages"] = score.LaidOutPages;
  state.counters["measures"] = score.MeasureCounter;
}
BENCHMARK(BM_FullLayout)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_RelayoutLastPage(benchmark::State& state) {
  Setup();
  TQSScore score;
  const int measures = static_cast<int>(state.range(0));
  BuildScore(score, measures);
  LayoutScore(score, 0);
  TQSMeasure* last = score.GetPiece(0)->GetPart(2)->GetMeasure(measures - 1);
  auto* note = static_cast<TQSNote*>(last->GetItem(1));
  for (auto _ : state) {
    note->Fields.Pitch = note->Fields.Pitch == 0x50 ? 0x54 : 0x50;
    LayoutScore(score, score.LaidOutPages - 1);
  }
  state.counters["pages"] = score.LaidOutPages;
}
// The same cost whatever the length of the score.
BENCHMARK(BM_RelayoutLastPage)->Arg(1000)->Arg(4000)->Unit(benchmark::kMicrosecond);

}  // namespace
