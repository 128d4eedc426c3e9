#include "editing/palette.h"

#include "editing/command.h"
#include "editing/entry.h"
#include "editing/marks.h"
#include "layout/dynamics.h"
#include "score/marks.h"
#include "score/measure.h"
#include "score/notes.h"
#include "score/pageobjects.h"
#include "score/part.h"
#include "score/piece.h"
#include "score/score.h"
#include "score/slot.h"
#include "score/tree.h"
#include "score/undo.h"

namespace qs {

namespace {

// Toggles the enclosure bits of a flag byte: cleared when set, else set to
// the palette's style.
void ToggleEnclosure(uint8_t& flags, int subKind) {
  constexpr uint8_t kMask = 0x0C;
  if (flags & kMask) flags = static_cast<uint8_t>(flags & ~kMask);
  else flags = static_cast<uint8_t>((flags & ~kMask) | (((subKind + 1) * 4) & kMask));
}

// The length of the item's measure as laid out; 0 when not laid out.
int LaidOutLength(const TQSMeasure& m) {
  const TQSPart* part = m.Part();
  TQSMeasureSlot* slot = part ? part->GetMeasureRecord(m.Index) : nullptr;
  return slot ? slot->LengthFor(m.Index) : 0;
}

bool IsColumnMarkKind(int k) {
  return k == kind::Meter || k == kind::Tempo || k == kind::MeasureNumbering || k == kind::MultiRest || k == 76 ||
         k == 150 || k == 151 || (k >= 153 && k <= 159) || k == kind::Volta;
}

bool IsPageObjectKind(int k) { return (k >= kind::Text && k <= kind::ChordSegment) || k == kind::PageMark; }

// Dots on a note or rest: the written (shown) length and a half, or three
// quarters with the double dot.
TQSMark* ApplyDots(TQSEditCommand& cmd, TQSItemHolder& item, TQSMeasure& m, int doubleDot) {
  auto* note = dynamic_cast<TQSNote*>(&item);
  auto* rest = dynamic_cast<TQSPause*>(&item);
  const int written = note ? note->Fields.Length : rest->Fields.Length;
  uint16_t& real = note ? note->Fields.RealLength : rest->Fields.RealLength;
  const int time = item.TimePosition();
  const int length = written + written / 2 + (doubleDot ? written / 4 : 0);
  // The item's own position decides whether the dots still fit.
  const int measureLength = LaidOutLength(m);
  if (measureLength > 0 && time + length > measureLength) return nullptr;
  if (length > real) m.ClearVoiceRange(item.StaffVoice(), time + real, length - real);
  real = static_cast<uint16_t>(length);
  for (int i = item.ItemCount() - 1; i >= 0; --i)
    if (item.GetItem(i)->ItemType == kind::Dot) delete item.GetItem(i);
  TQSMark* dot = AttachMark(item, kind::Dot, 0, doubleDot, false);
  m.FillRests(true, 0, false, -1);
  cmd.Finish();
  return dot;
}

}  // namespace

TQSMark* ApplySymbolToItem(TQSScore& score, TQSItem* item, int symbol, int subKind, int doubleDot, int bracket) {
  score.ClearSelections();
  TQSEditCommand cmd(score, undoaction::SymbolApplied);
  if (!cmd.HasView() || !item) return nullptr;
  TQSMeasure* m = item->GetMeasure();
  cmd.SaveMeasure(m);
  auto* note = item->ItemType == kind::Note ? static_cast<TQSNote*>(item) : nullptr;
  auto* rest = item->ItemType == kind::Pause ? static_cast<TQSPause*>(item) : nullptr;
  auto* accidental = item->ItemType == kind::Accidental ? dynamic_cast<TQSMark*>(item) : nullptr;
  TQSMark* added = nullptr;
  auto newMark = [&](TQSItemType k, bool first) {
    added = AttachMark(*note, k, subKind, doubleDot, first);
    added->Fields.Style = static_cast<uint8_t>(added->Fields.Style | ((bracket * 4) & 0xFF));
  };
  using namespace palettesymbol;
  switch (symbol) {
    case Bracket:
      if (note) {
        ToggleEnclosure(note->Fields.FlagsB, subKind);
        if (score.AutoVelocity) CalcNoteVelocity(score, note);
      } else if (rest) {
        ToggleEnclosure(rest->Fields.Flags, subKind);
      } else if (accidental) {
        ToggleEnclosure(accidental->Fields.Style, subKind);
      }
      break;
    case DrumHead:
    case BlankHead:
      if (note) note->Fields.HeadStyle = static_cast<uint8_t>(note->Fields.HeadStyle ? 0 : subKind);
      break;
    case Flageolet:
      if (note) note->Fields.HeadStyle = static_cast<uint8_t>(note->Fields.HeadStyle ? 0 : headstyle::Harmonic);
      break;
    case Small:
      if (note) note->Fields.FlagsA ^= TQSNote::kSmall;
      break;
    case Dot:
      if ((note || rest) && m) return ApplyDots(cmd, *static_cast<TQSItemHolder*>(item), *m, doubleDot);
      break;
    case palettesymbol::Accidental:
      if (note) newMark(kind::Accidental, subKind == 4);
      break;
    case palettesymbol::Glissando:
    case palettesymbol::Fall:
    case palettesymbol::Lift:
      if (note) newMark(static_cast<TQSItemType>(symbol), false);
      break;
    default:
      break;
  }
  cmd.Finish();
  return added;
}

TQSLiga* InsertLiga(TQSScore& score, TQSItem* item, uint8_t flags, int length, uint8_t staffVoice, int yOffset) {
  TQSEditCommand cmd(score, undoaction::TieAttached);
  auto* holder = dynamic_cast<TQSItemHolder*>(item);
  if (!cmd.HasView() || !holder) return nullptr;
  cmd.SaveMeasure(item->GetMeasure());
  auto* liga = NewUnregisteredChild<TQSLiga>(*holder);
  holder->Items.Add(liga);
  liga->Fields.EndStaffVoice = staffVoice;
  liga->Fields.Flags = flags;
  liga->Fields.Span = static_cast<uint16_t>(std::clamp(length, 0, 0xFFFF));
  liga->Fields.EndY = static_cast<int16_t>(std::clamp(yOffset, -32768, 32767));
  cmd.Finish();
  return liga;
}

TQSMark* InsertUserSymbol(TQSScore& score, const std::string& name, const std::vector<TQSItem*>& items, int first,
                          int second, int yOffset) {
  score.ClearSelections();
  TQSEditCommand cmd(score, undoaction::SymbolApplied);
  if (!cmd.HasView()) return nullptr;
  TQSMeasure* m = cmd.EnsureMeasure(-1);
  if (!m) return nullptr;
  int index = score.IndexOfUserSymbol(name);
  if (index < 0) {
    TQSUserSymbol* symbol = score.AddUserSymbol(name);
    symbol->CopyItems(items);
    symbol->Fields.First = static_cast<int16_t>(first);
    symbol->Fields.Second = static_cast<int16_t>(second);
    index = score.UserSymbolCount() - 1;
  }
  cmd.SaveMeasure(m);
  const TQSCursorPosition c = cmd.Cursor();
  const uint8_t sv = MakeStaffVoice(c.Staff, c.Voice);
  auto* mark = NewUnregisteredItem<TQSMark>(*m, kind::UserSymbolMark);
  mark->Fields.Value = static_cast<uint16_t>(index);
  mark->Fields.StaffVoice = sv;
  mark->Fields.Time = static_cast<uint16_t>(c.Tick);
  mark->Fields.OffsetY = static_cast<int16_t>(yOffset);
  m->Items.Insert(TQSScore::FindItemInsertIndex(*m, sv, c.Tick, 0), mark);
  cmd.Finish();
  return mark;
}

void EraseItem(TQSScore& score, TQSItem* item) {
  TQSEditCommand cmd(score, undoaction::ItemErased);
  if (!item || !cmd.HasView()) return;
  const int k = item->ItemType;
  TQSMeasure* m = item->GetMeasure();
  // The layout starts again no later than the item's measure, wherever the
  // cursor stands.
  cmd.LowerPageToItem(*item);
  if (k == kind::Key && m) {
    cmd.SaveMeasure(m);
    // The notes of its part after it keep sounding as they did under it.
    TNotesBeforeKeyChange keyChange;
    if (TQSPart* part = m->Part()) keyChange.Read(*part, m->Index);
    delete item;
    ModifyNotesForKeyChange(cmd, keyChange);
  } else if (auto* column = dynamic_cast<TQSColumn*>(item->Owner()); column && IsColumnMarkKind(k)) {
    cmd.SaveColumn(column);
    delete item;
  } else if (k == kind::Note && m) {
    cmd.SaveMeasure(m);
    auto* grace = dynamic_cast<TQSVorschlag*>(item->Owner());
    TQSItemList& list = grace ? grace->Items : m->Items;
    if (!list.Remove(item)) {
      cmd.Finish();
      return;
    }
    const auto* note = static_cast<TQSNote*>(item);
    m->ArrangeChordNotes(note->Fields.StaffVoice, note->Fields.Time, true);
    m->FillRests(true, 0, false, -1);
    m->UpdateBeams(0, true);
    delete item;
  } else if (k == kind::Pause) {
    auto* rest = static_cast<TQSPause*>(item);
    rest->Fields.Flags ^= TQSPause::kHidden;
  } else if (k == kind::Dot && m) {
    cmd.SaveMeasure(m);
    if (auto* note = dynamic_cast<TQSNote*>(item->Owner())) note->Fields.RealLength = note->Fields.Length;
    else if (auto* rest = dynamic_cast<TQSPause*>(item->Owner())) rest->Fields.RealLength = rest->Fields.Length;
    delete item;
    m->FillRests(true, 0, false, -1);
  } else if (IsPageObjectKind(k)) {
    cmd.Open();
    score.SaveUndoItem(cmd.Record, item);
    delete item;
  } else if (m) {
    cmd.SaveMeasure(m);
    delete item;
  }
  cmd.Finish();
}

}  // namespace qs
