#pragma once
// Builds pages of real music by hand for the pictures written for review:
// pieces with their staves, systems of staff rows, measure slots whose
// ticks are spaced as engravers space them, and the elements of notes,
// rests, beams and marks placed where the layout puts them. A staff space
// is S = 48 units; boxes are in units (1/8 pixel at zoom 100).
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <vector>

#include "platform/fonts.h"
#include "platform/musicglyphs.h"
#include "render/window.h"
#include "score/calcrecords.h"
#include "score/marks.h"
#include "score/measure.h"
#include "score/notes.h"
#include "score/part.h"
#include "score/piece.h"
#include "score/score.h"

namespace qs::test {

constexpr int S = 48;  // staff space, units
constexpr int kStemLength = 160;

// The directory the test binaries' build tree lives in (they run from
// build/bin).
inline std::filesystem::path BuildDir() {
  return std::filesystem::read_symlink("/proc/self/exe").parent_path().parent_path();
}

// Advance of a glyph at the layout's measuring size (8 x the point size:
// one pixel of the result is one unit).
inline int Units(uint8_t code, int points = 16) {
  TFont f;
  f.Name = MusicFontName;
  f.PixelsPerInch = 96;
  f.SetSize(8 * points);
  return TextWidth(f, MusicGlyphText(code));
}
inline int TextUnits(const std::string& face, int points, const std::u16string& text, TFontStyles style = 0) {
  TFont f;
  f.Name = face;
  f.PixelsPerInch = 96;
  f.SetSize(8 * points);
  f.Style = style;
  return TextWidth(f, text);
}

class TSamplePage {
 public:
  TQSScore Score;
  TQSPageView Window;
  TQSCalcPage* Page;
  // The piece being built, its part and staves, their clef offsets.
  TQSPiece* Piece = nullptr;
  TQSPart* Part = nullptr;
  std::vector<TQSStaff*> Staves;
  std::vector<int> ClefOffset;  // treble 0, bass -12
  // The system being built and its rows, one per staff.
  TQSCalcSystem* System = nullptr;
  std::vector<TQSCalcStaff*> Rows;
  TQSCalcMeasure* Slot = nullptr;
  TQSMeasure* Measure = nullptr;
  TQSColumn* Column = nullptr;
  int ContentLeft = 0, ContentWidth = 0;
  // The ticks where something starts in the slot, and their x offsets.
  std::vector<int> Ticks, Offsets;
  // Head centres of the filled heads drawn, for checking the picture.
  std::vector<TPoint> Heads;

  TSamplePage() {
    LoadMusicFont();
    Score.AttachWindow(&Window);
    Page = Score.LayoutPages.Need(0);
    Score.LaidOutPages = 1;
    Score.UsedMeasures = 100;
  }

  // A new piece of one part with staves (clef offsets: 0 treble, -12 bass).
  void NewPiece(std::vector<int> clefOffsets) {
    Piece = new TQSPiece(&Score);
    Part = Piece->AddPart();
    Staves.clear();
    for (size_t i = 0; i < clefOffsets.size(); ++i) {
      Staves.push_back(new TQSStaff(Part));
      Staves.back()->NewVoice();
    }
    ClefOffset = std::move(clefOffsets);
  }

  // A new system of the piece, its staves' top lines at tops.
  void NewSystem(const std::vector<int>& tops) {
    System = Page->Systems.Need(Page->SystemCount++);
    System->PageRecord = Page;
    System->Piece = Piece;
    System->FirstRow = Page->StaffRowCount;
    Rows.clear();
    for (size_t r = 0; r < tops.size(); ++r) {
      TQSCalcStaff* row = Page->StaffRows.Need(Page->StaffRowCount++);
      row->Page = Page;
      row->System = System;
      row->Staff = Staves[r];
      row->Top = row->TopLine = tops[r];
      row->Bottom = row->BottomLine = tops[r] + 4 * S;
      Rows.push_back(row);
    }
    System->LastRow = Page->StaffRowCount - 1;
    System->Top = tops.front();
    System->Bottom = Rows.back()->Bottom;
  }

  int Top(int row) const { return Rows[static_cast<size_t>(row)]->Top; }
  int Bottom(int row) const { return Rows[static_cast<size_t>(row)]->Bottom; }

  // A new measure slot from left to right; its ticks are spread over the
  // room after contentLeft. The part's barline joins its staves at the end
  // unless the measure ends with a barline mark.
  void NewSlot(int left, int right, int contentLeft, bool partBarline = true) {
    Slot = System->Measures.Need(System->MeasureCount);
    Slot->System = System;
    Slot->MeasureIndex = static_cast<uint16_t>(Piece->Slots.size());
    Piece->Slots.push_back(Slot);
    System->MeasureCount++;
    Slot->Number = Slot->MeasureIndex + 1;
    Slot->Box = {left, System->Top, right, System->Bottom};
    Slot->RowCount = static_cast<uint32_t>(Rows.size());
    Slot->ClefByRow.assign(Rows.size(), nullptr);
    Measure = Part->NewMeasure();
    Column = Piece->AddColumn();
    ContentLeft = contentLeft;
    ContentWidth = right - contentLeft - 160;
    if (partBarline) {
      TQSCalcItem* bar = El(nullptr, {right - 16, Top(0), right + 16, Bottom(static_cast<int>(Rows.size()) - 1)}, 0,
                            element::PartBarline);
      bar->Staff = Staves[0];
    }
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
    e->Row = Rows[static_cast<size_t>(row)];
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

  // Clefs, key signature (sharps, 0 for none) and common time or a meter
  // at the system start; returns where the music begins.
  int Header(int x, int sharps, uint16_t meter = 0) {
    const int clefWidth = std::max(Units('"'), Units('#') + 8);
    const int keyWidth = sharps > 0 ? sharps * 40 + 8 : 0;
    const int meterWidth = meter ? 96 : Units('\'');
    for (int r = 0; r < static_cast<int>(Rows.size()); ++r) {
      const bool bass = ClefOffset[static_cast<size_t>(r)] != 0;
      TQSMark* clef = Mark(kind::Clef, Measure, bass ? clef::Bass : clef::Treble);
      clef->Fields.StaffVoice = static_cast<uint8_t>(r << 4);
      const int ext = bass ? 0 : 96;  // the G clef reaches above and below the staff
      El(clef, {x, Top(r) - ext, x + clefWidth, Bottom(r) + ext}, r);
      Slot->ClefByRow[static_cast<size_t>(r)] = clef;
      if (sharps > 0) {
        // A bass clef's signs stand a space lower.
        const int down = bass ? S : 0;
        TQSCalcItem* key = El(Mark(kind::Key, Measure, static_cast<uint8_t>(sharps)),
                              {x + clefWidth + 24, Top(r) - 120 + down, x + clefWidth + 24 + keyWidth, Top(r) + 192 + down}, r);
        key->Param = static_cast<uint16_t>(r);
      }
      TQSMark* m = Mark(kind::Meter, Column, 0, meter ? meter : MakeMeter(4, 4));
      m->Fields.Style = meter ? 0 : 1;
      const int mx = x + clefWidth + keyWidth + 40;
      El(m, {mx, Top(r), mx + meterWidth, Bottom(r)}, r);
    }
    return x + clefWidth + keyWidth + meterWidth + 64;
  }

  static int Position(int clefOffset, int octave, int step) { return clefOffset - (7 * octave + step) + 45; }
  // The y of the centre of a pitch on a row.
  int PitchY(int row, int octave, int step) const {
    return Top(row) + Position(ClefOffset[static_cast<size_t>(row)], octave, step) * S / 2;
  }

  struct TPlaced {
    TQSNote* Note;
    TQSCalcItem* Head;
    TQSCalcItem* Stem;
  };
  // A note with its head, stem, accidental (kind, or -1) and dots where
  // the layout puts them; octave as in the pitch byte (middle C is 5).
  TPlaced Note(int row, int tick, int octave, int step, int length, bool down, int accidental = -1, int dots = 0,
               bool withStem = true) {
    auto* n = new TQSNote(Measure);
    n->Fields.Pitch = MakePitch(octave, step);
    n->Fields.Time = static_cast<uint16_t>(tick);
    n->Fields.Length = n->Fields.RealLength = static_cast<uint16_t>(length);
    n->Fields.StaffVoice = static_cast<uint8_t>(row << 4);
    n->SetStemDown(down);
    const int p = Position(ClefOffset[static_cast<size_t>(row)], octave, step);
    n->StaffPosition = static_cast<int16_t>(p);
    const uint8_t glyph = length == kTicksWhole ? '*' : length == kTicksHalf ? '4' : '5';
    const int w = Units(glyph), x = X(tick), centre = Top(row) + p * S / 2;
    const TRect head{x - w / 2, centre - S / 2, x - w / 2 + w, centre + S / 2};
    TQSCalcItem* headElement = El(n, head, row);
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
    if (length < kTicksWhole && withStem) {
      const TRect box = down ? TRect{head.Left, centre, head.Left + 6, centre + kStemLength}
                             : TRect{head.Right - 6, centre - kStemLength, head.Right, centre};
      stem = El(n, box, row, element::Stem);
    }
    return {n, headElement, stem};
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
      const uint8_t glyph = length == 64   ? glyphs::Rest8th
                            : length == 32 ? glyphs::Rest16th
                            : length == 16 ? glyphs::Rest32nd
                                           : glyphs::RestQuarter;
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
};

}  // namespace qs::test
