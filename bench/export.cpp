// Exporting every page of a score of 1,000 measures in 4 parts as one PDF
// file and as JPEG images. The pages are laid out by hand here (four
// systems of four measures, a quarter note with its stem on every beat of
// every staff, the parts' barlines); goal: under 10 ms per page for PDF.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <filesystem>
#include <string>

#include "base/stream.h"
#include "platform/fonts.h"
#include "platform/gui.h"
#include "platform/paths.h"
#include "render/window.h"
#include "score/calcrecords.h"
#include "score/measure.h"
#include "score/notes.h"
#include "score/page.h"
#include "score/part.h"
#include "score/piece.h"
#include "score/score.h"

namespace {

using namespace qs;

constexpr int kParts = 4;
constexpr int kMeasures = 1000;
constexpr int kSystemsPerPage = 4;
constexpr int kMeasuresPerSystem = 4;
constexpr int kSpace = 48;  // staff space in layout units at 96 ppi

class TLaidOutScore {
 public:
  TQSScore Score;
  TQSWindow Window;

  TLaidOutScore() {
    SetScreenPixelsPerInch(96);
    EnsureGuiApplication();
    // Benchmarks run from bench/ beside bin/, which holds the resources.
    if (platform::FindResource(MusicFontFile).empty()) platform::SetProgramDirForTesting(platform::ProgramDir() + "../bin/");
    LoadMusicFont();
    // A4 portrait: 794 x 1123 pixels, 6352 x 8984 units.
    Score.Page.Fields.Width = 2100.0L;
    Score.Page.Fields.Height = 2970.0L;
    TQSPiece* piece = new TQSPiece(&Score);
    for (int p = 0; p < kParts; ++p) {
      TQSPart* part = piece->AddPart();
      (new TQSStaff(part))->NewVoice();
      for (int m = 0; m < kMeasures; ++m) part->NewMeasure();
    }
    for (int m = 0; m < kMeasures; ++m) piece->AddColumn();
    Score.AttachWindow(&Window);

    const int pages = (kMeasures + kSystemsPerPage * kMeasuresPerSystem - 1) / (kSystemsPerPage * kMeasuresPerSystem);
    int measure = 0;
    for (int p = 0; p < pages; ++p) {
      TQSCalcPage* page = Score.LayoutPages.Need(static_cast<size_t>(p));
      page->PageIndex = static_cast<uint16_t>(p);
      for (int s = 0; s < kSystemsPerPage && measure < kMeasures; ++s)
        measure = AddSystem(*piece, *page, 800 + s * 2000, measure);
    }
    Score.LaidOutPages = pages;
    Score.UsedMeasures = kMeasures;
  }

 private:
  // A system of four staves from top, its slots from measure on; returns
  // the next measure.
  int AddSystem(TQSPiece& piece, TQSCalcPage& page, int top, int measure) {
    TQSCalcSystem* sys = page.Systems.Need(page.SystemCount++);
    sys->PageRecord = &page;
    sys->Piece = &piece;
    sys->FirstRow = page.StaffRowCount;
    sys->FirstMeasure = static_cast<uint16_t>(measure);
    TQSCalcStaff* rows[kParts];
    for (int p = 0; p < kParts; ++p) {
      TQSCalcStaff* row = rows[p] = page.StaffRows.Need(page.StaffRowCount++);
      row->Page = &page;
      row->System = sys;
      row->Staff = piece.GetPart(p)->GetStaff(0);
      row->Top = row->TopLine = top + p * 400;
      row->Bottom = row->BottomLine = row->Top + 4 * kSpace;
    }
    sys->LastRow = static_cast<uint16_t>(page.StaffRowCount - 1);
    sys->Top = rows[0]->Top;
    sys->Bottom = rows[kParts - 1]->Bottom;
    const int width = 5600 / kMeasuresPerSystem;
    for (int m = 0; m < kMeasuresPerSystem && measure < kMeasures; ++m, ++measure) {
      TQSCalcMeasure* slot = sys->Measures.Need(sys->MeasureCount++);
      slot->System = sys;
      slot->MeasureIndex = static_cast<uint16_t>(measure);
      slot->Number = static_cast<uint16_t>(measure + 1);
      const int left = 400 + m * width, right = left + width;
      slot->Box = {left, sys->Top, right, sys->Bottom};
      slot->RowCount = kParts;
      slot->ClefByRow.assign(kParts, nullptr);
      for (int p = 0; p < kParts; ++p) {
        TQSMeasure* bar = piece.GetPart(p)->GetMeasure(measure);
        for (int beat = 0; beat < 4; ++beat) AddNote(*slot, *rows[p], bar, left + 160 + beat * (width - 200) / 4, beat, (measure + beat + p) % 9);
        TQSCalcItem* line = Element(*slot, *rows[p], nullptr, {right - 16, rows[p]->Top, right + 16, rows[p]->Bottom},
                                    element::PartBarline);
        line->Staff = rows[p]->Staff;
      }
    }
    return measure;
  }

  static TQSCalcItem* Element(TQSCalcMeasure& slot, TQSCalcStaff& row, TQSItem* item, TRect box, uint8_t type) {
    TQSCalcItem* e = slot.Items.Need(slot.ItemCount++);
    e->Owner = &slot;
    e->Item = item;
    e->Row = &row;
    e->ElementType = type;
    e->Box = box;
    e->Box2 = {box.Left, row.Top, box.Right, row.Bottom};
    if (item) item->LayoutLink = e;
    return e;
  }

  // A quarter note at staff position p (half spaces down from the top line)
  // with its stem.
  static void AddNote(TQSCalcMeasure& slot, TQSCalcStaff& row, TQSMeasure* measure, int x, int beat, int p) {
    auto* n = new TQSNote(measure);
    n->Fields.Time = static_cast<uint16_t>(beat * kTicksQuarter);
    n->Fields.Length = n->Fields.RealLength = kTicksQuarter;
    n->StaffPosition = static_cast<int16_t>(p);
    const bool down = p < 4;
    n->SetStemDown(down);
    const int centre = row.Top + p * kSpace / 2, left = x - 28;
    Element(slot, row, n, {left, centre - kSpace / 2, left + 56, centre + kSpace / 2}, element::Item);
    const TRect stem = down ? TRect{left, centre, left + 6, centre + 160} : TRect{left + 50, centre - 160, left + 56, centre};
    Element(slot, row, n, stem, element::Stem);
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
      laid.Window.ExportPage(s, 2, page, page, 1, 30, false);
      bytes += static_cast<size_t>(s.Size());
    }
  }
  state.counters["bytes_per_page"] = static_cast<double>(bytes) / laid.Score.LaidOutPages;
  PerPage(state, laid.Score.LaidOutPages);
}
BENCHMARK(BM_ExportJpeg)->Unit(benchmark::kMillisecond);

}  // namespace
