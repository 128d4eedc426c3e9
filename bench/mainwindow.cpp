// The main window as the user meets it: start-up until the window is
// painted with its Notes palette and a tiny score (goal < 300 ms), and a
// click with the palette's quarter note into bar 1,000 of the generated
// score of 1,000 measures in 4 parts: the palette's entry with its undo
// record, the layout from the changed page and the repaint of the visible
// page (goal < 16 ms).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <unistd.h>

#include "app/fileeditor.h"
#include "app/mainwindow.h"
#include "generated_score.h"
#include "layout/layout.h"
#include "palettes/notes.h"
#include "platform/testdriver.h"
#include "uikit/charbutton.h"
#include "uikit/language.h"
#include "uikit/settings.h"
#include "view/window.h"

namespace {

using namespace qs;
using namespace qs::bench;

// A folder of the run's own for the settings and the score file.
std::string Folder() {
  static const std::string dir = [] {
    std::string d = "/tmp/qs_bench_main_" + std::to_string(::getpid()) + "/";
    std::system(("mkdir -p '" + d + "'").c_str());
    return d;
  }();
  return dir;
}

void MainSetup() {
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  Setup();
  InstallLayout();
  static TComponent owner(nullptr);
  if (!GlobalLanguage()) (new TECLanguage(&owner))->SetLanguage(kDefaultLanguage);
}

void BM_StartUpUntilPainted(benchmark::State& state) {
  MainSetup();
  TSettings settings(Folder() + "ProgramSetting.ini");
  for (auto _ : state) {
    auto main = std::make_unique<TFProgramModule>(nullptr, &settings);
    main->NewDocument();
    testdriver::ShowAndWait(*main);
    main->Repaint();
    state.PauseTiming();
    main.reset();
    testdriver::ProcessMessages();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_StartUpUntilPainted)->Unit(benchmark::kMillisecond);

void BM_PaletteClickAtBar1000(benchmark::State& state) {
  MainSetup();
  const std::string file = Folder() + "generated.sfd";
  {
    TQSScore generated;
    BuildScore(generated, 1000);
    LayoutScore(generated, 0);
    generated.SaveToFile(file);
  }
  TSettings settings(Folder() + "ProgramSetting.ini");
  // The note is not sounded: no sound card is assumed.
  TEffectsSettings effects;
  settings.Load(effects);
  settings.Set(effects, &TEffectsSettings::PlayMouse, false);
  TFProgramModule main(nullptr, &settings);
  TFFileEditor* doc = main.OpenDocument(file, false);
  testdriver::ShowAndWait(main);
  auto* notes = dynamic_cast<TFNotes*>(main.PaletteOf(main.ActiveTool()));
  if (!doc || !notes) {
    state.SkipWithError("no document or no Notes palette");
    return;
  }
  testdriver::Click(*notes->Button(TFNotes::bNote4), 8, 8);
  TQSWindow& view = *doc->QSWindow;
  TQSScore& score = doc->Score();
  TQSPiece* piece = score.GetPiece(0);
  const int measure = piece->GetPart(2)->MeasureCount() - 1;
  const int page = std::max(piece->MeasurePage(measure), 0);
  view.SetCursor(page, 0, 2, measure, 0, 0, 0, 60);
  view.GotoPage(page);
  view.Repaint();
  for (auto _ : state) {
    // What the view does after placing its cursor at the click.
    view.OnScoreClick(&view);
    view.Repaint();
    state.PauseTiming();
    score.Undo(1);
    view.SetCursor(page, 0, 2, measure, 0, 0, 0, 60);
    view.Repaint();
    state.ResumeTiming();
  }
  doc->SetModified(false);
  state.counters["page"] = page;
}
BENCHMARK(BM_PaletteClickAtBar1000)->Unit(benchmark::kMillisecond);

}  // namespace
