#include "editing/measureprops.h"

#include "editing/command.h"
#include "editing/selection.h"
#include "score/marks.h"
#include "score/measure.h"
#include "score/part.h"
#include "score/piece.h"
#include "score/slot.h"
#include "score/timing.h"

namespace qs {

namespace {

constexpr uint8_t kActionJoinStyle = 36, kActionMeasureProperties = 37;

// Items that go when a shorter measure leaves them beyond its end.
bool DroppedBeyondEnd(TQSItemType k) {
  if ((k >= kind::Chord && k <= kind::InstrumentName) || (k >= kind::Glissando && k <= kind::Lift) ||
      (k >= kind::Dynamics && k <= kind::Breath) || (k >= kind::Muting && k <= kind::Bowing) ||
      (k >= kind::Staccato && k <= kind::Tremolo) || (k >= kind::RepeatOpen && k <= kind::UserSymbolMark))
    return true;
  switch (k) {
    case kind::Effect: case kind::Clef: case kind::Tempo: case kind::Tuplet: case kind::Hand: case kind::Ottava:
    case kind::Barre: case kind::Flageolet: case kind::BarreBracket: case kind::MidiEvent:
      return true;
    default:
      return false;
  }
}

// Segno, coda, D.C. and D.S. stay, at the new end.
bool KeptAtEnd(TQSItemType k) {
  return k == kind::Segno || k == kind::Coda || k == kind::DaCapo || k == kind::DalSegno;
}

// The column's own items beyond a shorter measure's end: its jump marks
// and the barlines that close a measure (a repeat's end, a section's or
// the composition's) move to the new end, so that a repeat is not lost
// with its measure's time signature; tempo marks, other barlines and MIDI
// events there go. A longer measure takes the marks that stood at its old
// end to its new one.
void FitColumn(TQSColumn& column, int oldLength, int newLength) {
  const std::vector<TQSItem*> items(column.Items.begin(), column.Items.end());
  for (TQSItem* item : items) {
    const TQSItemType k = item->ItemType;
    const int at = item->TimePosition();
    const bool atEnd = KeptAtEnd(k) || (k >= kind::RepeatClose && k <= kind::CompositionEnd);
    if (newLength > oldLength) {
      if (atEnd && at == oldLength) SetItemTime(*item, newLength);
    } else if (at >= newLength) {
      if (atEnd)
        SetItemTime(*item, newLength);
      else if (DroppedBeyondEnd(k))
        delete item;
    }
  }
}

// Every voice of every staff of the part.
template <class Each>
void ForEachVoice(const TQSPart& part, Each each) {
  for (int s = 0; s < part.StaffCount(); ++s) {
    const TQSStaff* staff = part.GetStaff(s);
    for (int v = 0; v < staff->VoiceCount(); ++v) each(s << 4 | v);
  }
}

void Shorten(TQSMeasure& m, int oldLength, int newLength) {
  ForEachVoice(*m.Part(), [&](int sv) { m.ClearVoiceRange(sv, newLength, oldLength - newLength); });
  m.FillRests(true, newLength, false, -1);
  const std::vector<TQSItem*> items(m.Items.begin(), m.Items.end());
  for (TQSItem* item : items) {
    if (item->TimePosition() < newLength) continue;
    if (DroppedBeyondEnd(item->ItemType))
      delete item;
    else if (KeptAtEnd(item->ItemType))
      SetItemTime(*item, newLength);
  }
}

void Lengthen(TQSMeasure& m, int oldLength, int newLength) {
  ForEachVoice(*m.Part(), [&](int sv) { m.InsertRests(sv, oldLength, newLength, 0, newLength); });
  m.FillRests(true, newLength, false, -1);
}

// The length of measure number index after its own time signature
// changed to meter (0: none).
int NewLength(const TQSPiece& piece, const TQSColumn& column, int index, uint16_t meter) {
  if (meter) return MeterLength(meter);
  if (index > 0) {
    const TQSPart* part = piece.GetPart(0);
    const TQSMeasureSlot* previous = part ? part->GetMeasureRecord(index - 1) : nullptr;
    if (previous) return previous->LengthFor(index - 1);
  }
  for (TQSItem* item : column.Items)
    if (item->ItemType == kind::Meter)
      if (auto* mark = dynamic_cast<TQSMark*>(item)) return MeterLength(mark->Fields.Value);
  return kTicksWhole;
}

bool SetJoin(TQSEditCommand& c, TQSMeasure& m, uint8_t active, uint8_t style) {
  if (m.Fields.OwnBeaming == active && m.Fields.Beaming == style) return false;
  c.SaveMeasure(&m);
  m.Fields.OwnBeaming = active;
  m.Fields.Beaming = style;
  m.AutoBeam();
  return true;
}

void RelayoutAll(TQSEditCommand& c) {
  c.FromPage = 0;
  c.Finish();
}

}  // namespace

void GetMeasureJoinStyle(TQSScore& score, uint8_t& active, uint8_t& style) {
  active = style = 0;
  if (TQSMeasure* m = score.ActiveWindow() ? score.CurrentMeasure() : nullptr) {
    active = m->Fields.OwnBeaming;
    style = m->Fields.Beaming;
  }
}

void SetMeasureJoinStyle(TQSScore& score, uint8_t active, uint8_t style) {
  TQSEditCommand c(score, kActionJoinStyle);
  TQSMeasure* m = c.HasView() ? score.CurrentMeasure() : nullptr;
  if (m && SetJoin(c, *m, active, style)) RelayoutAll(c);
}

void GetMeasureProperties(TQSScore& score, uint16_t& timeSignature, uint16_t& staveBreak, uint16_t& pageBreak,
                          uint8_t& joinActive, uint8_t& joinStyle) {
  timeSignature = staveBreak = pageBreak = 0;
  joinActive = joinStyle = 0;
  if (!score.ActiveWindow()) return;
  if (TQSColumn* column = score.CurrentColumn()) {
    timeSignature = column->Fields.Meter;
    staveBreak = column->Fields.SystemBreak;
    pageBreak = column->Fields.PageBreak;
  }
  GetMeasureJoinStyle(score, joinActive, joinStyle);
}

void SetMeasureProperties(TQSScore& score, uint16_t timeSignature, uint8_t staveBreak, uint16_t pageBreak,
                          uint8_t joinActive, uint8_t joinStyle) {
  TQSEditCommand c(score, kActionMeasureProperties);
  if (!c.HasView()) return;
  TQSPiece* piece = score.CurrentPiece();
  TQSColumn* column = c.EnsureColumn(-1);
  if (!piece || !column) return;
  bool changed = false;
  const int index = column->Index;
  auto& f = column->Fields;
  if (f.Meter != timeSignature || f.SystemBreak != staveBreak || f.PageBreak != pageBreak) {
    c.SaveColumn(column);
    const bool newMeter = f.Meter != timeSignature;
    int oldLength = -1, newLength = -1;
    if (newMeter) {
      for (int p = 0; p < piece->PartCount(); ++p)
        c.SaveMeasure(piece->GetPart(p)->GetMeasure(index));
      const TQSPart* first = piece->GetPart(0);
      const TQSMeasureSlot* slot = first ? first->GetMeasureRecord(index) : nullptr;
      if (slot) oldLength = slot->LengthFor(index);
      newLength = NewLength(*piece, *column, index, timeSignature);
    }
    f.Meter = timeSignature;
    f.SystemBreak = staveBreak;
    f.PageBreak = pageBreak;
    if (oldLength >= 0 && newLength != oldLength) {
      FitColumn(*column, oldLength, newLength);
      for (int p = 0; p < piece->PartCount(); ++p)
        if (TQSMeasure* m = piece->GetPart(p)->GetMeasure(index)) {
          if (newLength < oldLength)
            Shorten(*m, oldLength, newLength);
          else
            Lengthen(*m, oldLength, newLength);
        }
    }
    changed = true;
  }
  if (TQSMeasure* m = c.EnsureMeasure(-1)) changed = SetJoin(c, *m, joinActive, joinStyle) || changed;
  if (changed) RelayoutAll(c);
}

}  // namespace qs
