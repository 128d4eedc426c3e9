#pragma once
// A score laid out by the layout library, on a page whose lengths come out
// in whole layout units at 96 ppi, with shorthands to build pieces, items
// and to read the records.
//
// The page: 127 tenths of a millimetre are 384 units. Margins 127 (384),
// width 1270 (right edge 3456), height 1651 (bottom limit 4608), staff
// interval 63.5 (192), line space 15.875 (staff space 48, staff height
// 192). The first staff row's top is 384 + 192 = 576, and every further
// staff is 384 lower.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "layout/layout.h"
#include "platform/fonts.h"
#include "score/calcrecords.h"
#include "score/marks.h"
#include "score/measure.h"
#include "score/notes.h"
#include "score/page.h"
#include "score/pageobjects.h"
#include "score/part.h"
#include "score/piece.h"
#include "score/score.h"

namespace qs::test {

// Every score made after this has the library's pass.
struct TLayoutInstalled {
  TLayoutInstalled() {
    InstallLayout();
    LoadMusicFont();
  }
};

constexpr int kLeft = 384, kTop = 384, kRight = 3456, kBottom = 4608;
constexpr int kFirstRowTop = 576, kRowStep = 384, kStaffHeight = 192, kSpace = 48;

// A view that records the calls of the layout pass.
class TRecordingView : public TQSWindowLink {
 public:
  std::vector<std::string> Calls;
  int PagesSeen = -1;
  bool Playing() const override { return false; }
  int CursorSystemIndex() const override { return 0; }
  void InvalidatePages() override {}
  void LayoutChanged() override {
    Calls.push_back("LayoutChanged");
    PagesSeen = Score ? Score->LaidOutPages : -1;
  }
  void UpdateScrollRanges() override { Calls.push_back("UpdateScrollRanges"); }
};

class TLayoutScore : private TLayoutInstalled {
 public:
  TQSScore Score;

  TLayoutScore() {
    TQSPage::TFields& f = Score.Page.Fields;
    f.Width = 1270.0L;
    f.Height = 1651.0L;
    f.LeftMargin = f.TopMargin = f.RightMargin = f.BottomMargin = 127.0L;
    f.Interval = 63.5L;
    f.LineSpace = 15.875L;
    Score.VertAlign = 0;
    Score.HorzAlign = 0;
  }

  // A piece of parts with the given staff counts, each staff with one
  // voice, each part with `measures` empty measures and the piece with as
  // many columns.
  TQSPiece* AddPiece(const std::vector<int>& staves, int measures) {
    Score.BeginUpdate();
    TQSPiece* piece = Score.NewPiece();
    for (int count : staves) {
      TQSPart* part = piece->AddPart();
      for (int s = 0; s < count; ++s) (new TQSStaff(part))->NewVoice();
      for (int m = 0; m < measures; ++m) part->NewMeasure();
    }
    for (int m = 0; m < measures; ++m) piece->AddColumn();
    Score.EndUpdate();
    return piece;
  }

  static TQSMark* Mark(TQSItemOwner* owner, TQSItemType type, int time = 0, int value = 0, int variant = 0,
                       int staffVoice = 0) {
    auto* mark = static_cast<TQSMark*>(CreateItemByKind(type, owner));
    mark->Fields.Time = static_cast<uint16_t>(time);
    mark->Fields.Value = static_cast<uint16_t>(value);
    mark->Fields.Kind = static_cast<uint8_t>(variant);
    mark->Fields.StaffVoice = static_cast<uint8_t>(staffVoice);
    return mark;
  }
  static TQSNote* Note(TQSMeasure* m, int time, int length, uint8_t pitch = 0x50, int staffVoice = 0) {
    auto* note = static_cast<TQSNote*>(CreateItemByKind(kind::Note, m));
    note->Fields.Time = static_cast<uint16_t>(time);
    note->Fields.Length = note->Fields.RealLength = static_cast<uint16_t>(length);
    note->Fields.Pitch = pitch;
    note->Fields.StaffVoice = static_cast<uint8_t>(staffVoice);
    return note;
  }
  static TQSPause* Rest(TQSMeasure* m, int time, int length, int staffVoice = 0) {
    auto* rest = static_cast<TQSPause*>(CreateItemByKind(kind::Pause, m));
    rest->Fields.Time = static_cast<uint16_t>(time);
    rest->Fields.Length = rest->Fields.RealLength = static_cast<uint16_t>(length);
    rest->Fields.StaffVoice = static_cast<uint8_t>(staffVoice);
    return rest;
  }
  // Four quarter notes.
  static void Quarters(TQSMeasure* m) {
    for (int beat = 0; beat < 4; ++beat) Note(m, beat * 128, 128);
  }

  void Layout(int fromPage = 0) { LayoutScore(Score, fromPage); }

  const TQSCalcPage& Page(int i) const { return *Score.LayoutPages.At(i); }
  const TQSCalcSystem& System(int page, int s) const { return *Page(page).Systems.At(s); }
  const TQSCalcMeasure& Slot(int page, int s, int k) const { return *System(page, s).Measures.At(k); }
  const TQSCalcStaff& Row(int page, int r) const { return *Page(page).StaffRows.At(r); }

  // The elements of a slot in use that draw items of a kind.
  static std::vector<const TQSCalcItem*> Elements(const TQSCalcMeasure& slot, TQSItemType type) {
    std::vector<const TQSCalcItem*> out;
    for (int i = 0; i < slot.ItemCount; ++i) {
      const TQSCalcItem* e = slot.Items.At(i);
      if (e->ElementType == element::Item && e->Item && e->Item->ItemType == type) out.push_back(e);
    }
    return out;
  }
  // Measures per system on a page.
  std::vector<int> MeasuresPerSystem(int page) const {
    std::vector<int> out;
    for (int s = 0; s < Page(page).SystemCount; ++s) out.push_back(System(page, s).MeasureCount);
    return out;
  }
};

// Units of a text in a font at a size (8 x points) and style.
inline int Width(const std::string& face, int size, const std::u16string& text, uint8_t style = 0) {
  TFont f;
  f.Name = face;
  f.PixelsPerInch = 96;
  f.SetSize(size);
  f.Style = style;
  return TextWidth(f, text);
}
inline int MusicWidth(int size, uint8_t code) { return Width(MusicFontName, size, MusicGlyphText(code)); }

}  // namespace qs::test
