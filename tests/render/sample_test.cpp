// A page of real music painted into a bitmap and written as a PNG for
// review: a piano part of four measures in D major with clefs, key and time
// signatures, a tempo mark, a rehearsal mark, notes of every value with
// dots, accidentals, flags and beams, rests and ledger lines. The layout
// records are placed by hand where the layout puts them.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/bitmap.h"
#include "platform/graphics.h"
#include "platform/gui.h"
#include "platform/imagefile.h"
#include "sample_page.h"

namespace qs::test {
namespace {

class TSample : public TSamplePage {
 public:
  void Build() {
    NewPiece({0, -12});
    NewSystem({560, 1280});
    // The brace before the system joins both staves.
    const int left = 480;
    // Measure 1: header, tempo mark.
    NewSlot(left, 2240, left);
    El(Mark(kind::Accolade, Measure, 0), {left - 96, Top(0), left - 16, Bottom(1)}, 0);
    const int start = Header(left + 32, 2);
    ContentLeft = start;
    ContentWidth = 2240 - start - 160;
    Space({0, 128, 192, 256, 384, 448});
    El(Mark(kind::Tempo, Column, 2, 96), {start, Top(0) - 400, start + 320, Top(0) - 160}, 0);
    Note(0, 0, 6, 1, 128, true);                    // D
    Beam({Note(0, 128, 6, 3, 64, true), Note(0, 192, 6, 5, 64, true)}, {0, 0});  // F# A (ledger line)
    Note(0, 256, 6, 4, 128, true, -1, 1);           // dotted G
    Note(0, 448, 6, 2, 64, true);                   // E with its flag
    Note(1, 0, 4, 1, 256, true);                    // D
    Note(1, 256, 3, 5, 128, false);                 // A
    Rest(1, 384, 128);

    // Measure 2: sixteenths, accidentals, a rising beam in the bass.
    NewSlot(2240, 3680, 2240);
    Space({0, 32, 64, 96, 128, 192, 256});
    Beam({Note(0, 0, 6, 0, 32, true), Note(0, 32, 6, 1, 32, true), Note(0, 64, 6, 2, 32, true),
          Note(0, 96, 6, 3, 32, true)},
         {1, 1, 1, 1});
    Note(0, 128, 5, 4, 128, false, 2);              // G sharp
    Note(0, 256, 5, 6, 256, true, 0);               // B flat, a half note
    Rest(1, 0, 64);
    Beam({Note(1, 64, 4, 1, 64, true), Note(1, 128, 4, 3, 64, true), Note(1, 192, 4, 5, 64, true)}, {0, 0, 0});
    Rest(1, 256, 256);

    // Measure 3: rehearsal mark; middle C, a thirty-second, sixteenth,
    // thirty-second group (stubs both ways) with a natural; a whole rest in
    // the bass.
    NewSlot(3680, 5120, 3680);
    Space({0, 256, 272, 304, 320, 384});
    TQSMark* rehearsal = Mark(kind::Rehearsal, Column, 0);
    rehearsal->Fields.Style = 0x04;  // framed
    Slot->RehearsalNumber = 1;
    El(rehearsal, {3680, Top(0) - 400, 3680 + 160, Top(0) - 240}, 0);
    Note(0, 0, 5, 0, 256, false);                   // middle C on a ledger line
    Beam({Note(0, 256, 5, 2, 16, false), Note(0, 272, 5, 3, 32, false, 4), Note(0, 304, 5, 4, 16, false)},
         {2, 1, 2});
    Rest(0, 320, 64);
    Rest(0, 384, 128);
    Rest(1, 0, 512);

    // Measure 4: whole notes, the bass one below the staff.
    NewSlot(5120, 6240, 5120);
    Space({0});
    Note(0, 0, 6, 1, 512, false);
    Note(1, 0, 3, 1, 512, false);
  }
};

TEST(RenderSample, APageOfMusic) {
  TSample sample;
  sample.Build();
  const int zoom = 200;
  TBitmap bitmap(1600, 520);
  TCanvas& canvas = bitmap.Canvas();
  std::unique_ptr<TGraphics> graphics;
  if (UseAntiAliasedSurface()) graphics = std::make_unique<TGraphics>(canvas);
  sample.Window.Zoom = zoom;
  sample.Window.PaintPage(0, canvas, graphics.get(), zoom, zoom, 0, 0);
  const std::filesystem::path file = BuildDir() / "render-sample.png";
  SaveBitmapToPng(bitmap, file.string());
  EXPECT_TRUE(std::filesystem::exists(file));

  // Filled heads are dark at the centres the layout gave them.
  EXPECT_EQ(sample.Rows[0]->PaintValue16, 12);
  for (TPoint h : sample.Heads) {
    const int x = h.X * zoom / 100 / 8, y = h.Y * zoom / 100 / 8;
    const TColor c = bitmap.Pixel(x, y);
    EXPECT_LT(GetRValue(c) + GetGValue(c) + GetBValue(c), 3 * 0x60) << x << "," << y;
  }
  // A staff line away from the notes is silver.
  EXPECT_EQ(bitmap.Pixel(1500, 560 * zoom / 100 / 8), clSilver);
}

}  // namespace
}  // namespace qs::test
