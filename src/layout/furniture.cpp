// System furniture laid out with every measure: accolades, the clefs and
// keys repeated at a system start, the instrument names repeated there,
// the widening of the measure for lyrics that would touch, and the
// barlines of each part at the measure end.
#include <algorithm>
#include <cmath>

#include "base/mathutil.h"
#include "layout/context.h"
#include "layout/metrics.h"
#include "layout/steps.h"
#include "score/marks.h"
#include "score/measure.h"
#include "score/part.h"
#include "score/piece.h"
#include "score/score.h"

namespace qs {

namespace {

TQSCalcPagePart& PagePart(TLayoutContext& c) { return c.Page->Parts[static_cast<size_t>(c.PartIndex)]; }

// One accolade at offset s (which it advances) left of the system start.
void LayoutAccolade(TLayoutContext& c, TQSMark& mark, int& s) {
  if (mark.Fields.Kind == 255) return;
  const int width = mark.Fields.Kind == 0 ? 80 : 48;
  c.AccoladeWidth = std::max(c.AccoladeWidth, width + s);
  TQSCalcItem* e = c.NewChainedElement(&mark, false, false);
  e->Box = c.ScoreBox(mark.Fields.OffsetX - s - width, mark.Fields.OffsetY, width, mark.Fields.OffsetY);
  s += width;
}

void CountCover(TLayoutContext& c, const TQSMark& mark, int s) {
  if (c.AccoladeCover < mark.Fields.Value) {
    c.AccoladeOffset = s;
    c.AccoladeCover += mark.Fields.Value + 1;
  }
}

}  // namespace

void LayoutAccolades(TLayoutContext& c) {
  int s = c.AccoladeCover > 0 ? c.AccoladeOffset : 0;
  TQSCalcPagePart& pp = PagePart(c);
  TQSMeasure* m = c.Part ? c.Part->GetMeasure(c.MeasureIndex) : nullptr;
  bool found = false;
  if (m) {
    for (TQSItem* item : m->Items) {
      if (item->ItemType != kind::Accolade) continue;
      auto* mark = dynamic_cast<TQSMark*>(item);
      if (!mark) continue;
      if (!found) pp.Accolades.clear();
      found = true;
      mark->LayoutLink = nullptr;
      pp.Accolades.push_back(mark);
      LayoutAccolade(c, *mark, s);
      CountCover(c, *mark, s);
    }
  }
  if (!found && c.SystemMeasures == 0) {
    for (TQSItem* item : pp.Accolades) {
      auto* mark = dynamic_cast<TQSMark*>(item);
      if (!mark) continue;
      LayoutAccolade(c, *mark, s);
      CountCover(c, *mark, s);
    }
  }
  if (c.AccoladeCover > 0) --c.AccoladeCover;
}

void LayoutSystemClefs(TLayoutContext& c) {
  TQSCalcPagePart& pp = PagePart(c);
  for (int k = 0; k < c.Part->StaffCount(); ++k, ++c.HeaderRow) {
    if (k >= static_cast<int>(pp.Staves.size())) continue;
    const TQSCalcPageStaff& ps = pp.Staves[static_cast<size_t>(k)];
    auto* clef = dynamic_cast<TQSMark*>(ps.Clef);
    if (ps.ClefDrawn || !clef) continue;
    TQSStaff* staff = c.Part->GetStaff(k);
    c.SetStaff(staff);
    TQSCalcStaff* row = c.PageRow(c.HeaderRow);
    c.Row = row;
    const int width = ClefGlyphWidth(c, clef->Fields.Kind) * 8;
    c.WidestHeaderClef = std::max(c.WidestHeaderClef, width);
    TQSCalcItem* e = c.NewChainedElement(clef, c.ContentFlag, false);
    e->SizePercent = static_cast<uint8_t>(c.StaffSize());
    e->Param = 0;
    const TClefExtent ext = ClefExtents(clef->Fields.Kind);
    e->Box = c.StaffBox(clef->Fields.OffsetX, ext.Top + clef->Fields.OffsetY, width, ext.Bottom + clef->Fields.OffsetY);
    if (row) {
      e->Box.Top += row->Top;
      e->Box.Bottom += row->Bottom;
    }
  }
}

void LayoutSystemKeys(TLayoutContext& c) {
  TQSCalcMeasure* slot = c.Slot;
  int widest = 0;
  int rowIndex = c.System->FirstRow;
  for (int p : c.LaidOutParts()) {
    TQSPart* part = c.Piece->GetPart(p);
    const TQSCalcPagePart& pp = c.Page->Parts[static_cast<size_t>(p)];
    auto* key = dynamic_cast<TQSMark*>(pp.KeySignature);
    TQSStaff* first = part->GetStaff(0);
    if (!pp.KeyDrawn && key && key->Fields.Kind != 0 && first && !first->Fields.Tablature) {
      const int width = KeySignatureWidth(key->Fields.Kind);
      for (int s = 0; s < part->StaffCount(); ++s) {
        c.SetStaff(part->GetStaff(s));
        TQSCalcStaff* row = c.PageRow(rowIndex + s);
        c.Row = row;
        TQSCalcItem* e = c.NewChainedElement(key, false, false);
        e->Param = static_cast<uint16_t>(rowIndex + s - c.System->FirstRow);
        e->SizePercent = static_cast<uint8_t>(c.StaffSize());
        e->Box = c.StaffBox(key->Fields.OffsetX, key->Fields.OffsetY - 120, width, key->Fields.OffsetY);
        if (row) {
          e->Box.Top += row->Top;
          e->Box.Bottom += row->Bottom;
        }
      }
      widest = std::max(widest, width);
    }
    rowIndex += part->StaffCount();
  }
  if (widest > slot->KeyWidth) {
    slot->Width = static_cast<uint16_t>(std::min(slot->Width + widest - slot->KeyWidth, 0xFFFF));
    slot->KeyWidth = static_cast<uint16_t>(widest);
  }
}

int RepeatInstrumentNames(TLayoutContext& c) {
  const TQSPiece* piece = c.Piece;
  auto* first = piece->Slots.empty() ? nullptr : ClassCast<TQSCalcMeasure>(piece->Slots[0]);
  if (!first || first == c.Slot) return 0;
  int widest = 0;
  for (const auto& name : first->NameElements) {
    TQSItem* item = name->Item;
    TQSMeasure* m = item ? item->GetMeasure() : nullptr;
    TQSCalcSystemPart* sp = m ? c.SystemPartOf(m->Part()->Index) : nullptr;
    if (!sp) continue;
    TQSCalcStaff* row = c.PageRow(sp->FirstRow);
    c.Row = row;
    TQSCalcItem* e = c.NewChainedElement(item, false, false);
    e->State = name->State;
    e->Text = name->Text;
    e->SizePercent = name->SizePercent;
    e->Box = name->Box;
    e->Box2 = name->Box2;
    const int top = row ? row->Top : 0;
    e->Box.Top += top;
    e->Box.Bottom += top;
    widest = std::max(widest, e->Box.Right);
  }
  return widest;
}

// ----------------------------------------------------------------- lyrics

namespace {

// A half of a Positions entry that the tick positions turn into room
// between two lyrics.
struct TLyricWalk {
  TLayoutContext& c;
  int FirstSlot, FirstTick, LastSlot, LastTick;

  // Calls f(slot k, tick t, high qualifies, low qualifies) for every tick
  // of the walk.
  template <class F>
  void ForEach(F f) const {
    for (int k = FirstSlot; k <= LastSlot; ++k) {
      TQSCalcMeasure* slot = c.System->Measures.At(k);
      const int from = k == FirstSlot ? FirstTick : 0;
      const int to = k == LastSlot ? LastTick : slot->Length - 1;
      // Ticks without room call nothing; f may change the entry it is given.
      const uint16_t* positions = slot->Positions.data();
      const int end = std::min<int>(to, slot->Length - 1) + 1;
      for (int t = NextRoomTick(positions, std::max(from, 0), end); t < end;
           t = NextRoomTick(positions, t + 1, end)) {
        const uint16_t entry = positions[t];
        const bool high = LeftRoom(entry) > 0 && (k > FirstSlot || t > FirstTick);
        const bool low = RightRoom(entry) > 0 && (k < LastSlot || t < LastTick);
        if (high || low) f(k, t, high && !low, low);
      }
    }
  }
};

int SlotIndexOf(const TLayoutContext& c, const TQSCalcMeasure* slot) {
  for (int k = 0; k <= c.SystemMeasures; ++k)
    if (c.System->Measures.At(k) == slot) return k;
  return -1;
}

// Widens the room between the ticks of two texts of a row (at ticks ta and
// tb) so that the earlier and the separator end before the later begins.
void FitTextPair(TLayoutContext& c, TQSCalcItem& earlier, int ta, TQSCalcItem& later, int tb, int separator,
                 TQSCalcStaff& row) {
  const int ka = SlotIndexOf(c, earlier.Owner), kb = SlotIndexOf(c, later.Owner);
  if (ka < 0 || kb < 0) return;
  const TLyricWalk walk{c, ka, ta, kb, tb};
  const bool fixedCount = c.FixedMeasureCount();
  // Widths of damaged files (a syllable thousands of letters wide, a huge
  // note interval) are added in 64 bits and saturate.
  int64_t room = 0, roomBeforeLast = 0;
  int n = 0;
  walk.ForEach([&](int k, int t, bool, bool low) {
    const TQSCalcMeasure* slot = c.System->Measures.At(k);
    const uint16_t entry = slot->Positions[static_cast<size_t>(t)];
    const int value = low ? RightRoom(entry) : LeftRoom(entry);
    const int64_t add = value * 8 + ((fixedCount || slot->Occupancy > 1) ? c.NoteInterval : 0);
    room += add;
    if (k < kb) roomBeforeLast += add;
    ++n;
  });
  for (int k = ka; k <= kb; ++k) {
    const TQSCalcMeasure* slot = c.System->Measures.At(k);
    if (k > ka) room += slot->BeginBarWidth + slot->ClefWidth + slot->KeyWidth + slot->MeterWidth + slot->RepeatBarWidth;
    if (k < kb) room += slot->InnerBarWidth;
  }
  int64_t t = int64_t{earlier.Box.Left} + earlier.Box.Right + separator - later.Box.Left - room;
  if (n == 0 || t <= 0 || c.X + roomBeforeLast >= c.RightLimit) return;

  const int size = c.StaffSizeOf(row.Staff);
  if (c.Scale <= 0) return;
  // A room never passes 255 pixels nor a slot 0xFFFF units: a step per
  // half beyond that takes no more.
  const int64_t perHalf =
      std::min<int64_t>((SaturateInt(Round64(static_cast<long double>(t) / n)) >> 3) * 10000 / c.Scale / size, 0xFFFF);
  const int units = SaturateInt(int64_t{c.Scale} * size * perHalf * 8 / 10000);
  if (units <= 0) return;
  std::vector<int64_t> taken(static_cast<size_t>(kb - ka + 1), 0);
  walk.ForEach([&](int k, int ti, bool high, bool low) {
    if (t < 1) return;
    TQSCalcMeasure* slot = c.System->Measures.At(k);
    uint16_t& entry = slot->Positions[static_cast<size_t>(ti)];
    auto grow = [&](bool left) {
      if (t < 1) return;
      if (left)
        entry = static_cast<uint16_t>((std::min<int64_t>(LeftRoom(entry) + perHalf, 255) << 8) | RightRoom(entry));
      else
        entry = static_cast<uint16_t>((entry & 0xFF00) | std::min<int64_t>(RightRoom(entry) + perHalf, 255));
      slot->Width = static_cast<uint16_t>(std::min(slot->Width + units, 0xFFFF));
      taken[static_cast<size_t>(k - ka)] += units;
      t -= units;
    };
    if (high) grow(true);
    if (low) grow(false);
  });
  for (int k = ka; k < kb; ++k) c.X = SaturateInt(c.X + int64_t{SaturateInt(taken[static_cast<size_t>(k - ka)])} * c.Scale / 100);
}

void FitLyricPair(TLayoutContext& c, TQSCalcItem& earlier, TQSCalcItem& later, TQSCalcStaff& row) {
  auto* a = static_cast<TQSLyric*>(earlier.Item);
  auto* b = static_cast<TQSLyric*>(later.Item);
  c.Fonts.SetFont(a->FontName.empty() ? std::string("Arial") : a->FontName,
                  a->Fields.FontSize ? 8 * a->Fields.FontSize : 64);
  c.Fonts.SetStyle(a->Fields.FontStyle);
  const int separator = c.Fonts.TextWidth((b->Fields.Flags & TQSLyric::kHyphen) ? "- " : " ");
  FitTextPair(c, earlier, a->Fields.Time, later, b->Fields.Time, separator, row);
}

// Chord symbols of a row keep a blank between them, as words do.
void FitChordSymbols(TLayoutContext& c, TQSCalcStaff& row) {
  auto& chords = row.ChordSymbols;
  for (size_t i = chords.size(); i-- > 1;) {
    TQSCalcItem* e = chords[i];
    if (!e->State) continue;
    e->State = 0;
    TQSCalcItem* before = chords[i - 1];
    if (!(e->Box.Top < before->Box.Bottom && before->Box.Top < e->Box.Bottom)) continue;
    c.Fonts.SetTextFont(64);
    FitTextPair(c, *before, before->Item->TimePosition(), *e, e->Item->TimePosition(), c.Fonts.TextWidth(" "), row);
  }
  if (!chords.empty()) chords.front()->State = 0;
}

bool EarlierLyric(const TQSCalcItem& other, const TQSCalcItem& e) {
  const auto* a = static_cast<const TQSLyric*>(other.Item);
  const auto* b = static_cast<const TQSLyric*>(e.Item);
  if (a->Fields.Verse != b->Fields.Verse) return false;
  if (!(e.Box.Top < other.Box.Bottom - 64 && other.Box.Top + 64 < e.Box.Bottom)) return false;
  if (!other.Owner || !e.Owner) return false;
  if (other.Owner->MeasureIndex != e.Owner->MeasureIndex) return other.Owner->MeasureIndex < e.Owner->MeasureIndex;
  return a->Fields.Time < b->Fields.Time;
}

}  // namespace

void FitLyrics(TLayoutContext& c) {
  if (c.FixedMeasureCount()) return;
  for (int r = c.System->FirstRow; r <= c.System->LastRow && r < c.PageRows; ++r) {
    TQSCalcStaff* row = c.PageRow(r);
    if (!row) continue;
    auto& lyrics = row->Lyrics;
    for (int i = static_cast<int>(lyrics.size()) - 1; i >= 0; --i) {
      TQSCalcItem* e = lyrics[static_cast<size_t>(i)];
      if (!e->State) continue;
      e->State = 0;
      for (int j = i - 1; j >= 0; --j) {
        TQSCalcItem* other = lyrics[static_cast<size_t>(j)];
        if (!EarlierLyric(*other, *e)) continue;
        static_cast<TQSLyric*>(other->Item)->Next = static_cast<TQSLyric*>(e->Item);
        FitLyricPair(c, *other, *e, *row);
        break;
      }
    }
    FitChordSymbols(c, *row);
  }
}

// ---------------------------------------------------------------- barlines

std::vector<std::pair<int, int>> PartRowGroups(const TLayoutContext& c) {
  std::vector<std::pair<int, int>> groups;
  if (!c.System) return groups;
  const TQSStaff* previous = nullptr;
  for (int r = c.System->FirstRow; r <= c.System->LastRow && r < c.PageRows; ++r) {
    const TQSCalcStaff* row = c.PageRow(r);
    const TQSStaff* staff = row ? row->Staff : nullptr;
    if (groups.empty() || !staff || !previous || staff->Fields.Group != previous->Fields.Group)
      groups.emplace_back(r, r);
    else
      groups.back().second = r;
    previous = staff;
  }
  return groups;
}

void LayoutPartBarlines(TLayoutContext& c) {
  if (c.EndBarline) return;
  const auto groups = PartRowGroups(c);
  for (size_t g = 0; g < groups.size(); ++g) {
    TQSCalcStaff* first = c.PageRow(groups[g].first);
    TQSCalcStaff* last = c.PageRow(groups[g].second);
    TQSCalcItem* e = c.NewElement(nullptr, false, false);
    e->ElementType = element::PartBarline;
    e->Staff = first ? first->Staff : nullptr;
    e->Row = g + 1 == groups.size() ? last : first;
    e->Box = {-16, first ? first->TopLine : 0, 16, last ? last->BottomLine : 0};
  }
}

// ------------------------------------------------ placement on the page

void PlaceAccolade(TPlacement& p, TQSCalcItem& e) {
  TRect& box = e.Box;
  TPlacement::MoveByWithWidth(box, p.Left());
  const auto* mark = static_cast<const TQSMark*>(e.Item);
  const TQSMeasure* measure = mark->GetMeasure();
  const int own = measure ? measure->Part()->Index : 0;
  const TQSCalcSystemPart* first = p.c.SystemPartOf(own);
  const TQSCalcSystemPart* last = p.c.PartView ? nullptr : p.c.SystemPartOf(own + mark->Fields.Value);
  box.Top += first ? first->Top : 0;
  box.Bottom += last ? last->Bottom : (first ? first->Bottom : 0);
}

void PlaceClef(TPlacement& p, TQSCalcItem& e) {
  TPlacement::MoveByWithWidth(e.Box, e.Param ? p.X(e.Param) : p.Left() + p.Slot->BeginBarWidth);
}

// A key signature stands after the clef, its signs shifted with the clef
// of its staff row.
void PlaceKey(TPlacement& p, TQSCalcItem& e) {
  TRect& box = e.Box;
  TPlacement::MoveByWithWidth(box, p.Left() + p.Slot->BeginBarWidth + p.Slot->ClefWidth);
  if (p.Slot->RowCount <= 0) return;
  const int row = std::min<int>(e.Param, static_cast<int>(p.Slot->RowCount) - 1);
  const auto* clef = row < static_cast<int>(p.Slot->ClefByRow.size())
                         ? dynamic_cast<const TQSMark*>(p.Slot->ClefByRow[static_cast<size_t>(row)])
                         : nullptr;
  if (!clef) return;
  const int space = p.c.StaffSpace;
  int clefShift = 0;
  switch (clef->Fields.Kind) {
    case clef::Bass: case clef::BassOctaveDown: clefShift = space; break;
    case clef::Alto: clefShift = space / 2; break;
    case clef::Tenor: case clef::MezzoSoprano: clefShift = -space / 2; break;
    case clef::Soprano: clefShift = -space; break;
    default: break;
  }
  MoveDown(box, clefShift);
}

void PlaceMeter(TPlacement& p, TQSCalcItem& e) {
  TPlacement::MoveByWithWidth(e.Box, p.Left() + p.Slot->BeginBarWidth + p.Slot->ClefWidth + p.Slot->KeyWidth);
}

// Measure numbers and rehearsal marks stand after the slot's header; a
// rehearsal mark without a value counts on from the last one.
void PlaceMeasureLabel(TPlacement& p, TQSCalcItem& e) {
  TPlacement::MoveByWithWidth(e.Box, p.Left() + p.Header());
  if (e.Item->ItemType != kind::Rehearsal) return;
  const auto* mark = static_cast<const TQSMark*>(e.Item);
  p.c.Page->RehearsalNumber = mark->Fields.Value ? mark->Fields.Value : p.c.Page->RehearsalNumber + 1;
  p.Slot->RehearsalNumber = p.c.Page->RehearsalNumber;
}

// Segno, coda and the jumps stand at their tick, at the slot's start after
// the header, or at its end.
void PlaceJumpSign(TPlacement& p, TQSCalcItem& e) {
  const int time = e.Item->TimePosition();
  int x;
  if (time <= 0)
    x = p.Left() + p.Header();
  else if (time < p.Slot->Length)
    x = p.Left() + p.Slot->Positions[static_cast<size_t>(time) - 1];
  else
    x = p.Slot->Box.Right;
  TPlacement::MoveByWithWidth(e.Box, x);
}

// A barline inside the measure stands at its tick; a closing one at the
// slot's right edge, an opening one at its start (a repeat after the
// header).
void PlaceBarline(TPlacement& p, TQSCalcItem& e) {
  TRect& box = e.Box;
  const int type = e.Item->ItemType;
  const int time = e.Item->TimePosition();
  const bool opening = type == kind::RepeatOpen || type == kind::CompositionBegin;
  if (time > 0 && time < p.Slot->Length)
    box.Left += p.X(time);
  else if (!opening || time >= p.Slot->Length)
    box.Left = p.Left() + p.Slot->Width - box.Right;
  else
    box.Left += type == kind::RepeatOpen ? p.Left() + p.Header() : p.Left();
  box.Right += box.Left;
}

// A volta begun in the slot reaches its right edge until continued.
void PlaceVolta(TPlacement& p, TQSCalcItem& e) {
  e.Box.Left += p.Left();
  if (e.State == 0) e.Box.Right = p.Slot->Box.Right;
}

}  // namespace qs
