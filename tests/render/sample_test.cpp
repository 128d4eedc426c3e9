// A page of real music painted into a bitmap and written as a PNG for
// review: a piano part of four measures in D major with clefs, key and time
// signatures, a tempo mark, a rehearsal mark, notes of every value with
// dots, accidentals, flags and beams, rests and ledger lines. The layout
// records are placed by hand where the layout puts them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <vector>

#include "platform/bitmap.h"
#include "platform/fonts.h"
#include "platform/graphics.h"
#include "platform/gui.h"
#include "platform/imagefile.h"
#include "render/window.h"
#include "score/calcrecords.h"
#include "score/marks.h"
#include "score/measure.h"
#include "score/notes.h"
#include "score/part.h"
#include "score/piece.h"
#include "score/score.h"

namespace qs::test {
namespace {

constexpr int S = 48;      // staff space, units
constexpr int kStemLength = 160;

// Advance of a music glyph at the layout's measuring size (128 points: one
// pixel of the result is one unit).
int Units(uint8_t code) {
  TFont f;
  f.Name = MusicFontName;
  f.PixelsPerInch = 96;
  f.SetSize(128);
  return TextWidth(f, MusicGlyphText(code));
}

class TSample {
 public:
  TQSScore Score;
  TQSWindow Window;
  TQSPiece* Piece;
  TQSPart* Part;
  TQSCalcPage* Page;
  TQSCalcSystem* System;
  TQSCalcStaff* Rows[2];
  TQSStaff* Staves[2];
  int ClefOffset[2] = {0, -12};  // treble, bass
  TQSCalcMeasure* Slot = nullptr;
  TQSMeasure* Measure = nullptr;
  TQSColumn* Column = nullptr;
  int ContentLeft = 0, ContentWidth = 0;
  // The ticks where something starts in the slot, and their x offsets.
  std::vector<int> Ticks, Offsets;
  // Head centres of the filled heads drawn, for checking the picture.
  std::vector<TPoint> Heads;

  TSample() {
    LoadMusicFont();
    Piece = new TQSPiece(&Score);
    Part = Piece->AddPart();
    for (auto& staff : Staves) {
      staff = new TQSStaff(Part);
      staff->NewVoice();
    }
    Score.AttachWindow(&Window);
    Page = Score.LayoutPages.Need(0);
    Score.LaidOutPages = 1;
    Score.UsedMeasures = 4;
    Page->StaffRowCount = 2;
    Page->SystemCount = 1;
    System = Page->Systems.Need(0);
    System->Piece = Piece;
    System->FirstRow = 0;
    System->LastRow = 1;
    const int tops[2] = {560, 1280};
    for (int r = 0; r < 2; ++r) {
      Rows[r] = Page->StaffRows.Need(static_cast<size_t>(r));
      Rows[r]->Page = Page;
      Rows[r]->System = System;
      Rows[r]->Staff = Staves[r];
      Rows[r]->Top = Rows[r]->TopLine = tops[r];
      Rows[r]->Bottom = Rows[r]->BottomLine = tops[r] + 4 * S;
    }
    System->Top = tops[0];
    System->Bottom = Rows[1]->Bottom;
  }

  int Top(int row) const { return Rows[row]->Top; }
  int Bottom(int row) const { return Rows[row]->Bottom; }

  // A new measure slot from left to right; its ticks are spread over the
  // room after contentLeft.
  void NewSlot(int left, int right, int contentLeft) {
    Slot = System->Measures.Need(System->MeasureCount);
    Slot->System = System;
    Slot->MeasureIndex = System->MeasureCount++;
    Slot->Number = Slot->MeasureIndex + 1;
    Slot->Box = {left, System->Top, right, System->Bottom};
    Slot->RowCount = 2;
    Slot->ClefByRow = {nullptr, nullptr};
    Measure = Part->NewMeasure();
    Column = Piece->AddColumn();
    ContentLeft = contentLeft;
    ContentWidth = right - contentLeft - 160;
    // The part's barline at the measure's end joins both staves.
    TQSCalcItem* bar = El(nullptr, {right - 16, Top(0), right + 16, Bottom(1)}, 1, element::PartBarline);
    bar->Staff = Staves[0];
  }
  // Spaces the slot's ticks as engravers do: a longer value gets more
  // room, but less than in proportion.
  void Space(std::vector<int> ticks) {
    ticks.push_back(kTicksWhole);
    std::sort(ticks.begin(), ticks.end());
    ticks.erase(std::unique(ticks.begin(), ticks.end()), ticks.end());
    std::vector<double> at{0};
    for (size_t i = 1; i < ticks.size(); ++i) at.push_back(at.back() + 2 + std::sqrt((ticks[i] - ticks[i - 1]) / 8.0));
    Ticks = ticks;
    Offsets.clear();
    for (double a : at) Offsets.push_back(static_cast<int>(a * ContentWidth / at.back()));
  }
  int X(int tick) const {
    const size_t i = static_cast<size_t>(std::find(Ticks.begin(), Ticks.end(), tick) - Ticks.begin());
    return ContentLeft + 96 + (i < Offsets.size() ? Offsets[i] : 0);
  }

  TQSCalcItem* El(TQSItem* item, TRect box, int row, uint8_t type = element::Item) {
    TQSCalcItem* e = Slot->Items.Need(Slot->ItemCount++);
    e->Owner = Slot;
    e->Item = item;
    e->Row = Rows[row];
    e->ElementType = type;
    e->Box = box;
    e->Box2 = {box.Left, Top(row), box.Right, Bottom(row)};
    e->SizePercent = 100;
    if (item) item->LayoutLink = e;
    return e;
  }

  TQSMark* Mark(TQSItemType kind, TQSItemOwner* owner, uint8_t variant, uint16_t value = 0) {
    auto* m = static_cast<TQSMark*>(CreateItemByKind(kind, owner));
    m->Fields.Kind = variant;
    m->Fields.Value = value;
    return m;
  }

  // Clef, key signature (2 sharps) and common time at the system start;
  // returns where the music begins.
  int Header(int x) {
    const int clefWidth = std::max(Units('"'), Units('#') + 8);
    const int keyWidth = 2 * 40 + 8;
    for (int r = 0; r < 2; ++r) {
      TQSMark* clef = Mark(kind::Clef, Measure, r == 0 ? 1 : 2);
      clef->Fields.StaffVoice = static_cast<uint8_t>(r << 4);
      const int ext = r == 0 ? 96 : 0;  // the G clef reaches above and below the staff
      El(clef, {x, Top(r) - ext, x + clefWidth, Bottom(r) + ext}, r);
      Slot->ClefByRow[static_cast<size_t>(r)] = clef;
      // A bass clef's signs stand a space lower.
      const int down = r == 0 ? 0 : S;
      TQSCalcItem* key = El(Mark(kind::Key, Measure, 2), {x + clefWidth + 24, Top(r) - 120 + down,
                                                          x + clefWidth + 24 + keyWidth, Top(r) + 192 + down}, r);
      key->Param = static_cast<uint16_t>(r);
      TQSMark* meter = Mark(kind::Meter, Column, 0, MakeMeter(4, 4));
      meter->Fields.Style = 1;
      const int mx = x + clefWidth + keyWidth + 40;
      El(meter, {mx, Top(r), mx + Units('\''), Bottom(r)}, r);
    }
    return x + clefWidth + keyWidth + Units('\'') + 64;
  }

  static int Position(int clefOffset, int octave, int step) { return clefOffset - (7 * octave + step) + 45; }

  struct TPlaced {
    TQSNote* Note;
    TQSCalcItem* Stem;
  };
  // A note with its head, stem, accidental (kind, or -1) and dots where
  // the layout puts them; octave as in the pitch byte (middle C is 5).
  TPlaced Note(int row, int tick, int octave, int step, int length, bool down, int accidental = -1, int dots = 0) {
    auto* n = new TQSNote(Measure);
    n->Fields.Pitch = MakePitch(octave, step);
    n->Fields.Time = static_cast<uint16_t>(tick);
    n->Fields.Length = n->Fields.RealLength = static_cast<uint16_t>(length);
    n->Fields.StaffVoice = static_cast<uint8_t>(row << 4);
    n->SetStemDown(down);
    const int p = Position(ClefOffset[row], octave, step);
    n->StaffPosition = static_cast<int16_t>(p);
    const uint8_t glyph = length == kTicksWhole ? '*' : length == kTicksHalf ? '4' : '5';
    const int w = Units(glyph), x = X(tick), centre = Top(row) + p * S / 2;
    const TRect head{x - w / 2, centre - S / 2, x - w / 2 + w, centre + S / 2};
    El(n, head, row);
    if (length < kTicksHalf) Heads.push_back({x, centre});
    if (accidental >= 0) {
      const uint8_t code = accidental == 0 ? 64 : accidental == 2 ? 'B' : 'D';
      const int aw = Units(code), top = accidental == 0 ? -96 : -72, bottom = accidental == 0 ? 24 : 72;
      El(Mark(kind::Accidental, n, static_cast<uint8_t>(accidental)),
         {head.Left - aw - 16, centre + top, head.Left - 16, centre + bottom}, row);
    }
    if (dots > 0) {
      const int lift = p % 2 == 0 ? S / 2 : 0;  // a head on a line has its dot in the space above
      El(Mark(kind::Dot, n, 0, static_cast<uint16_t>(dots - 1)),
         {head.Right + 8, head.Top + 8 - lift, head.Right + 8 + 40 * dots, head.Bottom - 8 - lift}, row);
    }
    TQSCalcItem* stem = nullptr;
    if (length < kTicksWhole) {
      const TRect box = down ? TRect{head.Left, centre, head.Left + 6, centre + kStemLength}
                             : TRect{head.Right - 6, centre - kStemLength, head.Right, centre};
      stem = El(n, box, row, element::Stem);
    }
    return {n, stem};
  }

  void Rest(int row, int tick, int length) {
    auto* r = new TQSPause(Measure);
    r->Fields.Time = static_cast<uint16_t>(tick);
    r->Fields.Length = r->Fields.RealLength = static_cast<uint16_t>(length);
    r->Fields.StaffVoice = static_cast<uint8_t>(row << 4);
    const int x = X(tick);
    if (length == kTicksWhole) {
      El(r, {x - 24, Top(row) + S, x + 24, Top(row) + S + S / 2}, row);
    } else if (length == kTicksHalf) {
      El(r, {x - 24, Top(row) + 2 * S - S / 2, x + 24, Top(row) + 2 * S}, row);
    } else {
      const uint8_t glyph = length == 64 ? 'N' : length == 32 ? 'O' : length == 16 ? 'P' : 'M';
      const int w = Units(glyph);
      El(r, {x - w / 2, Top(row) + S, x - w / 2 + w, Top(row) + 4 * S}, row);
    }
  }

  // Beams the notes: the beam line joins the outer stems' ends, moved as
  // far as the middle stems need to reach it; extra[i] beams beyond the
  // first for note i.
  void Beam(const std::vector<TPlaced>& notes, const std::vector<int>& extra) {
    const bool down = notes.front().Note->IsStemDown();
    auto end = [&](const TQSCalcItem* s) { return down ? s->Box.Bottom : s->Box.Top; };
    const TQSCalcItem* first = notes.front().Stem;
    const TQSCalcItem* last = notes.back().Stem;
    const int x1 = first->Box.Left, x2 = last->Box.Left;
    const double slope = x2 == x1 ? 0 : double(end(last) - end(first)) / (x2 - x1);
    int shift = 0;
    for (const TPlaced& n : notes) {
      const int line = end(first) + int((n.Stem->Box.Left - x1) * slope);
      shift = down ? std::max(shift, end(n.Stem) - line) : std::min(shift, end(n.Stem) - line);
    }
    TQSCalcItem* beam = El(nullptr, {}, 0, element::Beam);
    for (size_t i = 0; i < notes.size(); ++i) {
      TQSCalcItem* s = notes[i].Stem;
      const int line = end(first) + int((s->Box.Left - x1) * slope) + shift;
      (down ? s->Box.Bottom : s->Box.Top) = line;
      notes[i].Note->BeamGroup = 1;
      notes[i].Note->SetExtraBeams(extra[i]);
      beam->Links.push_back(s);
    }
    beam->Row = notes.front().Stem->Row;
  }

  void Build() {
    // The brace before the system joins both staves.
    const int left = 480;
    // Measure 1: header, tempo mark.
    NewSlot(left, 2240, left);
    El(Mark(kind::Accolade, Measure, 0), {left - 96, Top(0), left - 16, Bottom(1)}, 0);
    const int start = Header(left + 32);
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

std::filesystem::path BuildDir() {
  // The test runs from build/bin.
  return std::filesystem::read_symlink("/proc/self/exe").parent_path().parent_path();
}

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
