#pragma once
// A piece of music laid out by the library, with shorthands to reach its
// measures and the elements of their items, and to read an element's box
// relative to the x of the tick it stands at.
#include <vector>

#include "layout_fixture.h"

namespace qs::test {

struct TContentScore : TLayoutScore {
  TQSPiece* Piece;

  // Parts with the given staff counts, `measures` measures each; every
  // staff of the first part has a treble clef.
  explicit TContentScore(int measures = 2, const std::vector<int>& staves = {1}) {
    Piece = AddPiece(staves, measures);
    for (int k = 0; k < staves.front(); ++k) Mark(Measure(0), kind::Clef, 0, 0, clef::Treble, MakeStaffVoice(k, 0));
  }

  TQSPart* Part(int p = 0) const { return Piece->GetPart(p); }
  TQSMeasure* Measure(int m, int part = 0) const { return Part(part)->GetMeasure(m); }
  TQSColumn* Column(int m) const { return Piece->GetColumn(m); }
  const TQSCalcMeasure& SlotOf(int m) const { return *static_cast<TQSCalcMeasure*>(Piece->Slots[m]); }

  static int X(const TQSCalcMeasure& slot, int tick) { return slot.Box.Left + slot.Positions[tick]; }
  // Left as an offset from the x of the tick, Right as the width.
  static TRect Rel(const TQSCalcMeasure& slot, int tick, const TQSCalcItem& e) {
    return {e.Box.Left - X(slot, tick), e.Box.Top, e.Box.Right - e.Box.Left, e.Box.Bottom};
  }
  // The elements of the slot in use that draw item, of an element type.
  static std::vector<const TQSCalcItem*> Of(const TQSCalcMeasure& slot, const TQSItem* item,
                                            uint8_t type = element::Item) {
    std::vector<const TQSCalcItem*> out;
    for (int i = 0; i < slot.ItemCount; ++i)
      if (const TQSCalcItem* e = slot.Items.At(i); e->Item == item && e->ElementType == type) out.push_back(e);
    return out;
  }
  // The one element of item in the slot (fails the test when there is not
  // exactly one).
  static const TQSCalcItem& One(const TQSCalcMeasure& slot, const TQSItem* item, uint8_t type = element::Item) {
    const auto all = Of(slot, item, type);
    EXPECT_EQ(all.size(), 1u);
    static const TQSCalcItem none{};
    return all.empty() ? none : *all.front();
  }
  // The events of a slot as (item, tick) pairs.
  static std::vector<std::pair<const TQSItem*, int>> Events(const TQSCalcMeasure& slot) {
    std::vector<std::pair<const TQSItem*, int>> out;
    for (int i = 0; i < slot.EventCount; ++i) out.emplace_back(slot.Events[i]->Item, slot.Events[i]->Tick);
    return out;
  }
  static const TQSCalcEvent* EventOf(const TQSCalcMeasure& slot, const TQSItem* item) {
    for (int i = 0; i < slot.EventCount; ++i)
      if (slot.Events[i]->Item == item) return slot.Events[i];
    return nullptr;
  }

  // A mark attached to a note or rest, at its time.
  template <class T>
  static TQSMark* Attach(T* note, TQSItemType type, int variant = 0, int value = 0) {
    auto* mark = static_cast<TQSMark*>(CreateItemByKind(type, note));
    mark->Fields.Kind = static_cast<uint8_t>(variant);
    mark->Fields.Value = static_cast<uint16_t>(value);
    mark->Fields.Time = note->Fields.Time;
    return mark;
  }
  static TQSLiga* Tie(TQSNote* note, int span, uint8_t flags) {
    auto* tie = static_cast<TQSLiga*>(CreateItemByKind(kind::Liga, note));
    tie->Fields.Span = static_cast<uint16_t>(span);
    tie->Fields.Flags = flags;
    tie->Fields.EndStaffVoice = note->Fields.StaffVoice;
    return tie;
  }
  static TQSLyric* Text(TQSMeasure* m, TQSItemType type, int time, const std::vector<std::string>& lines) {
    auto* text = static_cast<TQSLyric*>(CreateItemByKind(type, m));
    text->Fields.Time = static_cast<uint16_t>(time);
    text->Lines = lines;
    return text;
  }
};

// Widths in units as the layout measures them.
inline int HeadWidth(uint8_t glyph, bool small = false) { return MusicWidth(small ? 88 : 128, glyph); }
inline int TextHeight(int size, uint8_t style = 0, const std::string& face = "Arial") {
  TFont f;
  f.Name = face;
  f.PixelsPerInch = 96;
  f.SetSize(size);
  f.Style = style;
  return GetTextMetrics(f).Height;
}
inline int TextLineWidth(const std::u16string& text, int size = 64) {
  const int t = Width("Arial", size, text);
  return std::max((t + t / 100) + (t + t / 100) / static_cast<int>(text.size()), 64);
}

}  // namespace qs::test
