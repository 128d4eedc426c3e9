#include "editing/marks.h"

#include <algorithm>
#include <functional>
#include <set>

#include "editing/command.h"
#include "editing/entry.h"
#include "editing/placement.h"
#include "editing/selection.h"
#include "layout/spelling.h"
#include "editing/split.h"
#include "layout/dynamics.h"
#include "score/marks.h"
#include "score/measure.h"
#include "score/notes.h"
#include "score/part.h"
#include "score/piece.h"
#include "score/score.h"
#include "score/timing.h"
#include "score/tree.h"
#include "score/undo.h"

namespace qs {

namespace {

// Holds back the layout pass's own OnRecalculate while a command lays out,
// and raises OnRecalculate and OnChanged at the end, also when it fails.
class THeldRecalculate {
 public:
  explicit THeldRecalculate(TQSScore& score) : score_(score) { ++score_.RecalculateEventSuppressed; }
  ~THeldRecalculate() {
    --score_.RecalculateEventSuppressed;
    try {
      Fire(score_.OnRecalculate, &score_);
      score_.FireChanged(&score_);
    } catch (...) {
    }
  }
  THeldRecalculate(const THeldRecalculate&) = delete;
  THeldRecalculate& operator=(const THeldRecalculate&) = delete;

 private:
  TQSScore& score_;
};

bool IsPlayingMarkKind(int k) {
  return k == kind::Arpeggio || k == kind::Trill || k == kind::Gruppetto || k == kind::Mordent ||
         k == kind::Fermata || k == kind::Staccato || k == kind::Tremolo;
}

// Frees the notes, rests, note repeats, bar repeats and tuplets of the voice.
void ClearVoice(TQSMeasure& m, int sv) {
  for (int i = m.ItemCount() - 1; i >= 0; --i) {
    TQSItem* item = m.GetItem(i);
    const int k = item->ItemType;
    if ((IsTimedItem(*item) || k == kind::BarRepeat || k == kind::Tuplet) && item->StaffVoice() == sv) delete item;
  }
}

int EndPosition(TQSPiece& piece, int measureIndex) {
  if (measureIndex >= piece.LastLaidOutMeasure) return 0;
  TQSPart* part = piece.GetPart(0);
  TQSMeasureSlot* slot = part ? part->GetMeasureRecord(measureIndex) : nullptr;
  return slot ? slot->LengthFor(measureIndex) : 0;
}

// A key signature governs the notes of every staff and voice at its tick,
// which the layout reads after it: it goes in before them.
int KeyInsertIndex(const TQSMeasure& m, int tick) {
  for (int i = 0; i < m.ItemCount(); ++i)
    if (IsTimedItem(*m.GetItem(i)) && m.GetItem(i)->TimePosition() >= tick) return i;
  return m.ItemCount();
}

// Whether the note carries accidentals and all of them are naturals.
bool OnlyNaturals(const TQSNote& note) {
  bool any = false;
  for (const TQSItem* item : note.Items) {
    if (item->ItemType != kind::Accidental) continue;
    auto* mark = dynamic_cast<const TQSMark*>(item);
    if (!mark || mark->Fields.Kind < 4 || mark->Fields.Kind > 6) return false;
    any = true;
  }
  return any;
}

}  // namespace

// ---------------------------------------------------------------- key change

void TNotesBeforeKeyChange::Read(TQSPart& part, int from) {
  from = std::max(from, 0);
  TKeyAtMeasureStart key;
  for (int mi = from; mi < part.MeasureCount(); ++mi) {
    TQSMeasure* m = part.GetMeasure(mi);
    if (!m) continue;
    for (int staff = 0; staff < part.StaffCount(); ++staff) {
      const std::pair<TQSMeasure*, int> at{m, staff};
      if (std::find(staves_.begin(), staves_.end(), at) != staves_.end()) continue;
      staves_.push_back(at);
      const TAccidentalReading reading(*m, staff, key.For(*m));
      reading.Walk([&](TQSNote& note, int inForce) {
        const int sounding = reading.Sounding(note, inForce);
        notes_[&note] = {sounding, sounding != inForce};
        return sounding;
      });
    }
    // The next key signature ends what a change can reach; the first
    // staff's notes before it in its measure still follow the change.
    if (mi > from && std::any_of(m->Items.begin(), m->Items.end(),
                                 [](const TQSItem* item) { return item->ItemType == kind::Key; }))
      break;
  }
}

void ModifyNotesForKeyChange(TQSEditCommand& command, const TNotesBeforeKeyChange& before) {
  TKeyAtMeasureStart key;
  for (auto [m, staff] : before.staves_) {
    const TAccidentalReading reading(*m, staff, key.For(*m));
    reading.Walk([&](TQSNote& note, int inForce) {
      const int now = reading.Sounding(note, inForce);
      const auto was = before.notes_.find(&note);
      if (was == before.notes_.end()) return now;
      const int want = was->second.Sounding;
      // A natural the old key needed and the new one makes superfluous
      // goes too; other accidentals the note carries stay.
      const bool superfluous = was->second.Needed && now == want && inForce == want && OnlyNaturals(note);
      if (now != want || superfluous) {
        command.SaveMeasure(m);
        reading.Write(note, want, inForce);
      }
      return want;
    });
  }
}

// ---------------------------------------------------------------- staff marks

TQSMark* InsertMark(TQSScore& score, int itemKind, int type, int length, int flags, int yOffset, int value) {
  score.ClearSelections();
  TQSEditCommand cmd(score, undoaction::MarkInserted);
  if (!cmd.HasView() || !score.CurrentVoice()) return nullptr;
  const TQSCursorPosition c = cmd.Cursor();
  const bool onBarline = itemKind == kind::BarRepeat && cmd.View->ClickedBarMeasure >= 0;
  const int measureIndex = onBarline ? cmd.View->ClickedBarMeasure : c.Measure;
  TQSMeasure* m = cmd.EnsureMeasure(measureIndex);
  if (!m) return nullptr;
  TQSPiece* piece = score.CurrentPiece();
  TQSPart* part = score.CurrentPart();
  TQSStaff* staff = score.CurrentStaff();
  const uint8_t sv = MakeStaffVoice(c.Staff, c.Voice);
  const int tick = c.Tick;

  TQSMark* reuse = nullptr;
  if (itemKind != kind::Accolade && itemKind != kind::Finger && itemKind != kind::StringNumber &&
      itemKind != kind::Hammer)
    for (TQSItem* item : m->Items) {
      auto* mark = dynamic_cast<TQSMark*>(item);
      if (!mark || item->ItemType != itemKind) continue;
      bool match;
      if (itemKind == kind::Key) match = true;
      else if (itemKind == kind::BarRepeat) match = mark->Fields.StaffVoice == sv;
      else if (itemKind == kind::NoteRepeat || itemKind == kind::Fermata)
        match = mark->Fields.StaffVoice == sv && mark->Fields.Time == tick;
      else match = StaffOf(mark->Fields.StaffVoice) == c.Staff && mark->Fields.Time == tick;
      if (match) {
        reuse = mark;
        break;
      }
    }

  if (itemKind == kind::NoteRepeat) {
    length = type == 1 ? 128 : type == 2 ? 64 : 256;
    if (m->FindTuplet(sv, tick)) return reuse;
  }
  // A mark that already is what was asked for is left alone, unrecorded.
  if (reuse && reuse->Fields.Value == length && reuse->Fields.Kind == type && reuse->Fields.Style == flags &&
      (!IsMarkLineKind(static_cast<TQSItemType>(itemKind)) || reuse->LineStyle == std::clamp(value, 0, 4)))
    return reuse;

  THeldRecalculate held(score);
  cmd.SaveMeasure(m);
  // A new key keeps the notes after it sounding as they did.
  TNotesBeforeKeyChange keyChange;
  if (itemKind == kind::Key && score.ToneModify) keyChange.Read(*part, m->Index);
  TQSMark* mark = reuse;
  bool offsetSet = false;
  const bool twoVoices = staff->VoiceCount() == 2;
  if (itemKind == kind::NoteRepeat && !reuse) {
    int index = m->ItemCount(), refillEnd = -1;
    TQSMark* same = nullptr;
    const bool placed = OverwriteWalk(*m, sv, tick, length, index, refillEnd, [&](TQSItem& item) {
      const int pos = item.TimePosition(), isv = item.StaffVoice();
      if (pos != tick || isv != sv) return TDecision::Clear;
      if (item.ItemType == kind::NoteRepeat) {
        auto* repeat = static_cast<TQSMark*>(&item);
        if (repeat->Fields.Value != length) return TDecision::Clear;
        same = repeat;
        return TDecision::Cancel;
      }
      return TimedItemEnd(item) - pos == length ? TDecision::Replace : TDecision::Clear;
    });
    if (!placed) {
      cmd.Finish();
      return same;
    }
    if (TQSColumn* column = piece->GetColumn(c.Measure)) {
      cmd.SaveColumn(column);
      column->DeleteMeasureRests();
    }
    mark = NewUnregisteredItem<TQSMark>(*m, kind::NoteRepeat);
    mark->Fields.StaffVoice = sv;
    mark->Fields.Time = static_cast<uint16_t>(tick);
    mark->Fields.Value = static_cast<uint16_t>(length);
    if (twoVoices) {
      mark->Fields.OffsetY = static_cast<int16_t>(c.Voice == 0 ? -96 : 96);
      offsetSet = true;
    }
    m->Items.Insert(std::min(index, m->ItemCount()), mark);
    if (refillEnd <= 0) refillEnd = m->MeasureLength();
    if (tick + length < refillEnd) m->InsertRests(sv, tick + length, refillEnd, m->IndexOfItem(mark), 0);
  } else if (!reuse) {
    mark = NewUnregisteredItem<TQSMark>(*m, static_cast<TQSItemType>(itemKind));
    mark->Fields.StaffVoice = sv;
    mark->Fields.Time = static_cast<uint16_t>(itemKind == kind::BarRepeat ? 0 : tick);
    if (itemKind == kind::BarRepeat) {
      ClearVoice(*m, sv);
      if (TQSColumn* column = piece->GetColumn(m->Index)) {
        cmd.SaveColumn(column);
        column->DeleteMeasureRests();
      }
      if (onBarline) {
        TQSMeasure* next = cmd.EnsureMeasureIn(*part, m->Index + 1);
        cmd.SaveMeasure(next);
        ClearVoice(*next, sv);
        if (TQSColumn* column = piece->GetColumn(m->Index + 1)) {
          cmd.SaveColumn(column);
          column->DeleteMeasureRests();
        }
      }
      if (twoVoices) {
        mark->Fields.OffsetY = static_cast<int16_t>(c.Voice == 0 ? -96 : 96);
        offsetSet = true;
      }
    }
    m->Items.Insert(itemKind == kind::Key ? KeyInsertIndex(*m, tick)
                                          : TQSScore::FindItemInsertIndex(*m, sv, mark->Fields.Time, 0),
                    mark);
  }

  mark->Fields.Kind = static_cast<uint8_t>(type);
  mark->Fields.Value = static_cast<uint16_t>(length);
  mark->Fields.Style = static_cast<uint8_t>(flags);
  if (!offsetSet) mark->Fields.OffsetY = static_cast<int16_t>(yOffset);
  mark->Fields.Further15 = static_cast<uint8_t>(value);
  // Marks drawn with a line (barre, harmonic, string number) take the
  // extra byte as the pen style of that line.
  if (IsMarkLineKind(static_cast<TQSItemType>(itemKind))) mark->LineStyle = static_cast<uint8_t>(std::clamp(value, 0, 4));
  if (onBarline) mark->Fields.Style |= 1;

  if (!keyChange.Empty()) ModifyNotesForKeyChange(cmd, keyChange);

  if (score.AutoEffect && IsPlayingMarkKind(itemKind)) m->CalcEffectsAt(tick);
  cmd.Relayout();
  if ((itemKind == kind::Dynamics || itemKind == kind::Accent) && score.AutoVelocity)
    CalcVelocities(*part, m->Index, tick, itemKind == kind::Dynamics);
  return mark;
}

TQSBend* InsertBend(TQSScore& score, int itemKind, int variant, int yOffset) {
  score.ClearSelections();
  TQSEditCommand cmd(score, undoaction::MarkInserted);
  if (!cmd.HasView() || !score.CurrentVoice()) return nullptr;
  TQSMeasure* m = cmd.EnsureMeasure(-1);
  if (!m) return nullptr;
  const TQSCursorPosition c = cmd.Cursor();
  const uint8_t sv = MakeStaffVoice(c.Staff, c.Voice);
  TQSBend* bend = nullptr;
  for (TQSItem* item : m->Items)
    if (auto* b = dynamic_cast<TQSBend*>(item);
        b && item->ItemType == itemKind && StaffOf(b->Fields.StaffVoice) == c.Staff && b->Fields.Time == c.Tick) {
      bend = b;
      break;
    }
  if (bend && bend->Fields.Kind == variant) return bend;
  THeldRecalculate held(score);
  cmd.SaveMeasure(m);
  if (!bend) {
    bend = NewUnregisteredItem<TQSBend>(*m, static_cast<TQSItemType>(itemKind));
    bend->Fields.StaffVoice = sv;
    bend->Fields.Time = static_cast<uint16_t>(c.Tick);
    m->Items.Insert(TQSScore::FindItemInsertIndex(*m, sv, c.Tick, 0), bend);
  }
  TQSBend::TFields& f = bend->Fields;
  f.Kind = static_cast<uint8_t>(variant);
  f.OffsetY = static_cast<int16_t>(yOffset);
  f.Height = 160;
  switch (variant) {
    case 1: f.RiseWidth = 80; break;
    case 2: f.SecondWidth = 80; break;
    case 3: f.RiseWidth = f.SecondWidth = 80; break;
    case 4: f.SecondWidth = f.ReleaseWidth = 80; break;
    case 5: f.RiseWidth = f.SecondWidth = f.ReleaseWidth = 80; break;
    default: break;
  }
  cmd.Relayout();
  return bend;
}

// ---------------------------------------------------------------- column marks

TQSMark* InsertColumnMark(TQSScore& score, int itemKind, int type, int value, int flags, int yOffset) {
  score.ClearSelections();
  TQSEditCommand cmd(score, undoaction::MarkInserted);
  if (!cmd.HasView()) return nullptr;
  TQSColumn* column = cmd.EnsureColumn(-1);
  if (!column) return nullptr;
  TQSPiece* piece = score.CurrentPiece();
  const int mi = cmd.Cursor().Measure;
  auto firstOfKind = [&](TQSColumn* col) -> TQSMark* {
    for (TQSItem* item : col->Items)
      if (item->ItemType == itemKind)
        if (auto* m = dynamic_cast<TQSMark*>(item)) return m;
    return nullptr;
  };
  TQSMark* mark = firstOfKind(column);
  cmd.SaveColumn(column);
  if (itemKind == kind::Meter && (!mark || MeterLength(mark->Fields.Value) != MeterLength(uint16_t(value)))) {
    RebarFromColumn(cmd, mi, static_cast<uint16_t>(value));
    column = score.CurrentColumn();
    if (!column) {
      cmd.Finish();
      return mark;
    }
    mark = firstOfKind(column);
  }
  if (!mark) {
    if (itemKind == kind::MultiRest)
      for (TQSPart* part : piece->PartList())
        if (TQSMeasure* m = part->GetMeasure(mi)) {
          cmd.SaveMeasure(m);
          for (int i = m->ItemCount() - 1; i >= 0; --i) {
            TQSItem* item = m->GetItem(i);
            if (IsTimedItem(*item) || item->ItemType == kind::Tuplet) delete item;
          }
        }
    mark = static_cast<TQSMark*>(CreateItemByKind(static_cast<TQSItemType>(itemKind), column));
    if (itemKind == kind::DaCapo || itemKind == kind::DalSegno || itemKind == kind::RepeatClose ||
        itemKind == kind::SectionEnd || itemKind == kind::CompositionEnd)
      mark->Fields.Time = static_cast<uint16_t>(EndPosition(*piece, mi));
  }
  mark->Fields.Kind = static_cast<uint8_t>(type);
  mark->Fields.Value = static_cast<uint16_t>(value);
  mark->Fields.Style = static_cast<uint8_t>(flags);
  mark->Fields.OffsetY = static_cast<int16_t>(yOffset);
  if (itemKind == kind::Coda && type == 3) mark->Fields.Time = static_cast<uint16_t>(EndPosition(*piece, mi));
  cmd.Finish();
  return mark;
}

// ---------------------------------------------------------------- re-barring

namespace {

bool MovesWithNewPosition(int k) {
  return k == kind::Clef || (k >= kind::Dynamics && k <= kind::Bracket) || k == kind::Vibrato || k == kind::Pedal ||
         k == kind::StringNumber || k == kind::Breath || (k >= kind::Muting && k <= kind::Bowing) ||
         (k >= kind::Staccato && k <= kind::Tremolo) || k == kind::Hand || k == kind::UserSymbolMark ||
         k == kind::Ottava || k == kind::Barre || k == kind::Flageolet || k == kind::BarreBracket || k == kind::Bend ||
         k == kind::Chord || k == kind::Vorschlag || k == kind::Lyric || k == kind::Term;
}

bool IsEndMark(int k) {
  return k == kind::Segno || k == kind::Coda || (k >= kind::DaCapo && k <= kind::CompositionBegin);
}

// New measures or columns made on demand, outside their owner's list until
// they are put in place.
template <class T, class Owner>
T* NeedNew(Owner& owner, std::vector<T*>& list, int n) {
  while (static_cast<int>(list.size()) <= n) list.push_back(NewUnregisteredChild<T>(owner));
  return list[static_cast<size_t>(n)];
}


// Puts the new children in place of the old ones from index first on:
// replacing those inside the re-barred range, inserting or appending the
// others (recorded as inserted) and freeing old ones left over (recorded as
// deleted; their snapshots are in the record already).
template <class T>
void PutInPlace(TQSEditCommand& cmd, std::vector<T*>& list, std::vector<T*>& made, int first, int oldCount,
                const std::function<void(T*, uint8_t)>& entry) {
  const int n = static_cast<int>(made.size());
  std::vector<T*> freed;
  for (int k = 0; k < n; ++k) {
    const int idx = first + k;
    if (k < oldCount && idx < static_cast<int>(list.size())) {
      freed.push_back(list[static_cast<size_t>(idx)]);
      list[static_cast<size_t>(idx)] = made[static_cast<size_t>(k)];
    } else {
      InsertAt(list, made[static_cast<size_t>(k)], idx);
    }
  }
  Renumber(list);
  for (int k = 0; k < n; ++k)
    if (!(k < oldCount && first + k < static_cast<int>(list.size()) && k < static_cast<int>(freed.size())))
      entry(made[static_cast<size_t>(k)], undostructure::Inserted);
  // Leftovers, last first so that the indexes stay right while they go.
  std::vector<T*> leftovers;
  for (int k = n; k < oldCount && first + n < static_cast<int>(list.size()); ++k)
    leftovers.push_back(list[static_cast<size_t>(first + k)]);
  for (T* old : leftovers) entry(old, undostructure::Deleted);
  for (T* old : leftovers) {
    std::erase(list, old);
    freed.push_back(old);
  }
  Renumber(list);
  // The old objects leave no trace in their owner's list any more.
  for (T* old : freed) {
    old->Index = -1;
    delete old;
  }
  (void)cmd;
}

}  // namespace

namespace {

// Re-barring the measures of a piece from one column on in a new time
// signature: the items of the old columns and measures move into new ones
// of the new length, notes across a new bar line are cut into tied pieces,
// and the new lists take the old ones' place.
class TRebar {
 public:
  TRebar(TQSEditCommand& cmd, TQSPiece& piece, int firstColumn, uint16_t timeSignature)
      : cmd_(cmd), piece_(piece), first_(firstColumn), meter_(SafeMeter(timeSignature)),
        length_(MeterLength(meter_)), beat_(MeterBeat(length_, meter_)),
        newMeasures_(static_cast<size_t>(piece.PartCount())) {}

  void Run() {
    // The layout may lay out measure numbers beyond those the piece holds.
    int held = piece_.ColumnCount();
    for (TQSPart* part : piece_.PartList()) held = std::max(held, part->MeasureCount());
    const int lastColumn = std::max(first_, std::min(piece_.LastLaidOutMeasure, held - 1));
    cmd_.Open();
    int end = lastColumn;
    for (int column = first_; column <= lastColumn; ++column) {
      const int oldLength = OldLength(column);
      if (!MoveColumnItems(column, oldLength)) {
        end = column - 1;
        break;
      }
      for (int pi = 0; pi < piece_.PartCount(); ++pi) MoveMeasureItems(pi, column);
      start_ += oldLength;
    }
    CoverTheWholeRange();
    PutNewInPlace(end - first_ + 1);
  }

 private:
  int OldLength(int column) const {
    TQSPart* part = piece_.GetPart(0);
    TQSMeasureSlot* slot = part ? part->GetMeasureRecord(column) : nullptr;
    return slot ? slot->LengthFor(column) : length_;
  }

  // Moves the column's items into the new columns; false when the column
  // sets a time signature of its own, where the re-barring stops.
  bool MoveColumnItems(int column, int oldLength) {
    TQSColumn* col = piece_.GetColumn(column);
    if (!col) return true;
    TQSItem* meter = nullptr;
    for (TQSItem* item : col->Items)
      if (item->ItemType == kind::Meter) meter = item;
    if (column != first_ && meter) {
      const int lastNew = (meter->TimePosition() + start_) / length_ - 1;
      if (lastNew >= 0) NeedNew(piece_, newColumns_, lastNew);
      return false;
    }
    if (column != first_) cmd_.SaveColumn(col);
    std::vector<TQSItem*> items(col->Items.begin(), col->Items.end());
    for (TQSItem* item : items) {
      const int k = item->ItemType, time = std::max(item->TimePosition(), 0);
      int into = (start_ + time) / length_, newTime;
      if (k == kind::Meter || k == kind::MeasureNumbering || k == kind::Rehearsal || k == kind::MultiRest ||
          k == kind::Volta) {
        newTime = time;
      } else if (k == kind::Tempo) {
        newTime = (start_ + time) % length_;
      } else if (IsEndMark(k)) {
        // An end mark stays at the end of the measure it closes.
        if (time == oldLength && time > 0) into = (start_ + time - 1) / length_, newTime = length_;
        else if (time != 0) newTime = (start_ + time) % length_;
        else newTime = 0;
      } else {
        continue;
      }
      item->SetOwner(NeedNew(piece_, newColumns_, into));
      SetItemTime(*item, newTime);
    }
    return true;
  }

  void MoveMeasureItems(int partIndex, int column) {
    TQSPart* part = piece_.GetPart(partIndex);
    TQSMeasure* m = part->GetMeasure(column);
    if (!m) return;
    cmd_.SaveMeasure(m);
    std::vector<TQSMeasure*>& made = newMeasures_[static_cast<size_t>(partIndex)];
    std::vector<TQSItem*> items(m->Items.begin(), m->Items.end());
    for (TQSItem* item : items) {
      const int k = item->ItemType, time = std::max(item->TimePosition(), 0);
      const int into = (start_ + time) / length_, newTime = (start_ + time) % length_;
      if (k == kind::Accolade || k == kind::Key || k == kind::BarRepeat) {
        item->SetOwner(NeedNew(*part, made, into));
      } else if (MovesWithNewPosition(k)) {
        item->SetOwner(NeedNew(*part, made, into));
        SetItemTime(*item, newTime);
      } else if (k == kind::NoteRepeat) {
        if (newTime + static_cast<TQSMark*>(item)->Fields.Value > length_) continue;
        item->SetOwner(NeedNew(*part, made, into));
        SetItemTime(*item, newTime);
      } else if (k == kind::Tuplet) {
        auto* t = static_cast<TQSMark*>(item);
        if (newTime + TupletLength(t->Fields.Kind, t->Fields.Value) >= length_) continue;
        item->SetOwner(NeedNew(*part, made, into));
        SetItemTime(*item, newTime);
      } else if (k == kind::Note) {
        MoveNote(*static_cast<TQSNote*>(item), *m, time, *part, made, into, newTime);
      }
    }
  }

  // A note keeps whole when it fits its new measure or stands in a tuplet
  // there; otherwise it is cut into tied pieces over the new bar lines.
  void MoveNote(TQSNote& note, TQSMeasure& old, int time, TQSPart& part, std::vector<TQSMeasure*>& made,
                int into, int newTime) {
    TQSMeasure* target = NeedNew(part, made, into);
    const bool inNewTuplet = target->FindTuplet(note.Fields.StaffVoice, newTime) != nullptr;
    const bool oldTuplet = old.FindTuplet(note.Fields.StaffVoice, time) != nullptr;
    if (inNewTuplet || (!oldTuplet && newTime + note.Fields.RealLength <= length_)) {
      note.SetOwner(target);
      note.Fields.Time = static_cast<uint16_t>(newTime);
      return;
    }
    for (int i = note.ItemCount() - 1; i >= 0; --i)
      if (note.GetItem(i)->ItemType == kind::Dot) delete note.GetItem(i);
    int remaining = note.Fields.RealLength, tick = newTime, measure = into;
    TQSNote* current = &note;
    while (remaining > 0) {
      const TSplitPiece cut = NextSplitPiece(tick, remaining, length_, beat_);
      if (cut.Value <= 0) break;
      TQSMeasure* owner = NeedNew(part, made, measure);
      if (current) current->SetOwner(owner);
      else current = CopyOfNote(note, owner);
      current->Fields.Time = static_cast<uint16_t>(tick);
      current->Fields.Length = static_cast<uint16_t>(cut.Value);
      current->Fields.RealLength = static_cast<uint16_t>(cut.Length);
      if (cut.Dots > 0) {
        auto* dot = static_cast<TQSMark*>(CreateItemByKind(kind::Dot, current));
        dot->Fields.Value = static_cast<uint16_t>(cut.Dots == 2 ? 1 : 0);
      }
      remaining -= cut.Length;
      if (remaining > 0) TieOnwards(*current, cut.Length);
      tick += cut.Length;
      if (tick >= length_) tick = 0, ++measure;
      current = nullptr;
    }
  }

  static TQSNote* CopyOfNote(const TQSNote& note, TQSMeasure* owner) {
    auto* copy = static_cast<TQSNote*>(CreateItemByKind(kind::Note, owner));
    copy->Fields.Pitch = note.Fields.Pitch;
    copy->Fields.FlagsA = note.Fields.FlagsA;
    copy->Fields.FlagsB = note.Fields.FlagsB;
    copy->Fields.Velocity = note.Fields.Velocity;
    copy->Fields.StaffVoice = note.Fields.StaffVoice;
    copy->Fields.HeadStyle = note.Fields.HeadStyle;
    copy->Fields.StemLength = note.Fields.StemLength;
    return copy;
  }

  // A tie from the note's start to the next piece, on the side away from
  // the stem.
  static void TieOnwards(TQSNote& note, int span) {
    auto* tie = static_cast<TQSLiga*>(CreateItemByKind(kind::Liga, &note));
    tie->Fields.Flags = static_cast<uint8_t>(TQSLiga::kFromStart | (note.IsStemDown() ? 0 : TQSLiga::kBelow));
    tie->Fields.Span = static_cast<uint16_t>(span);
    tie->Fields.EndStaffVoice = note.Fields.StaffVoice;
  }

  // Empty measures at the end of the range keep their time too: the new
  // measures cover all of it.
  void CoverTheWholeRange() {
    if (start_ <= 0) return;
    const int lastNew = (start_ - 1) / length_;
    for (int pi = 0; pi < piece_.PartCount(); ++pi)
      if (TQSPart* part = piece_.GetPart(pi); part->MeasureCount() > first_)
        NeedNew(*part, newMeasures_[static_cast<size_t>(pi)], lastNew);
    if (piece_.ColumnCount() > first_) NeedNew(piece_, newColumns_, lastNew);
  }

  void PutNewInPlace(int oldCount) {
    TQSScore& score = cmd_.Score;
    for (int pi = 0; pi < piece_.PartCount(); ++pi) {
      TQSPart* part = piece_.GetPart(pi);
      std::vector<TQSMeasure*>& made = newMeasures_[static_cast<size_t>(pi)];
      for (TQSMeasure* m : made) m->SortItems();
      const int partOld = std::max(0, std::min(oldCount, part->MeasureCount() - first_));
      PutInPlace<TQSMeasure>(cmd_, part->MeasureList(), made, first_, partOld, [&](TQSMeasure* m, uint8_t action) {
        score.SaveUndoMeasureEntry(cmd_.Record, m, action);
      });
      for (TQSMeasure* m : made) {
        m->UpdateBeams(0, true);
        m->FillRests(true, length_, true, -1);
      }
    }
    const int columnsOld = std::max(0, std::min(oldCount, piece_.ColumnCount() - first_));
    PutInPlace<TQSColumn>(cmd_, piece_.ColumnList(), newColumns_, first_, columnsOld,
                          [&](TQSColumn* c, uint8_t action) { score.SaveUndoColumnEntry(cmd_.Record, c, action); });
  }

  TQSEditCommand& cmd_;
  TQSPiece& piece_;
  const int first_;         // the first column re-barred
  const uint16_t meter_;
  const int length_;        // of a new measure, in ticks
  const int beat_;
  int start_ = 0;           // ticks of the old measures before the current one
  std::vector<TQSColumn*> newColumns_;
  std::vector<std::vector<TQSMeasure*>> newMeasures_;  // by part
};

}  // namespace

void RebarFromColumn(TQSEditCommand& cmd, int columnIndex, uint16_t timeSignature) {
  TQSPiece* piece = cmd.Score.CurrentPiece();
  if (!piece || columnIndex < 0) return;
  TRebar(cmd, *piece, columnIndex, timeSignature).Run();
}

}  // namespace qs
