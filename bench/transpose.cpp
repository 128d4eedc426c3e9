// Transposing every note of the generated score of 1,000 measures in 4
// parts by a major second: the undo record, the respelling and the layout
// of the whole score again.
#include <benchmark/benchmark.h>

#include "editing/selection.h"
#include "editing/transpose.h"
#include "generated_score.h"
#include "layout/layout.h"
#include "render/window.h"
#include "score/calcrecords.h"

namespace {

using namespace qs;
using namespace qs::bench;

struct TSelectedScore {
  TQSScore Score;
  TQSPageView View;
  int Notes = 0;
  TSelectedScore() {
    Setup();
    InstallLayout();
    BuildScore(Score, 1000);
    LayoutScore(Score, 0);
    Score.AttachWindow(&View);
  }
  ~TSelectedScore() { Score.DetachWindow(&View); }

  // Every note of the piece selected through its head element.
  void SelectAllNotes() {
    TQSPiece* piece = Score.GetPiece(0);
    auto sel = std::make_unique<TQSSelPiece>();
    sel->Piece = piece;
    Notes = 0;
    for (int p = 0; p < piece->PartCount(); ++p) {
      TQSPart* part = piece->GetPart(p);
      if (static_cast<int>(sel->Measures.size()) < part->MeasureCount()) sel->Measures.resize(part->MeasureCount());
      for (int i = 0; i < part->MeasureCount(); ++i)
        for (TQSItem* item : part->GetMeasure(i)->Items)
          if (TQSCalcItem* e = item->ItemType == kind::Note ? ElementOf(*item) : nullptr) {
            sel->Measures[static_cast<size_t>(i)].push_back(e);
            ++Notes;
          }
    }
    View.SelPieces.clear();
    View.SelPieces.push_back(std::move(sel));
  }
};

void BM_TransposeAllNotes(benchmark::State& state) {
  TSelectedScore s;
  for (auto _ : state) {
    state.PauseTiming();
    s.SelectAllNotes();
    state.ResumeTiming();
    Transpose(s.Score, 2);
    state.PauseTiming();
    s.Score.Undo(1);
    state.ResumeTiming();
  }
  state.counters["notes"] = s.Notes;
  state.counters["pages"] = s.Score.LaidOutPages;
}
BENCHMARK(BM_TransposeAllNotes)->Unit(benchmark::kMillisecond);

}  // namespace
