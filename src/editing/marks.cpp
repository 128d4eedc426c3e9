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
  if (reuse && reuse->Fields.Value == length && reuse->Fields.Kind == type && reuse->Fields.Style == flags)
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

void RebarFromColumn(TQSEditCommand& cmd, int K, uint16_t timeSignature) {
  TQSScore& score = cmd.Score;
  TQSPiece* piece = score.CurrentPiece();
  if (!piece || K < 0) return;
  timeSignature = SafeMeter(timeSignature);
  const int L = MeterLength(timeSignature);
  const int beat = MeterBeat(L, timeSignature);
  // The layout may lay out measure numbers beyond those the piece holds.
  int held = piece->ColumnCount();
  for (TQSPart* part : piece->PartList()) held = std::max(held, part->MeasureCount());
  const int lastM = std::max(K, std::min(piece->LastLaidOutMeasure, held - 1));
  cmd.Open();

  std::vector<TQSColumn*> newColumns;
  std::vector<std::vector<TQSMeasure*>> newMeasures(static_cast<size_t>(piece->PartCount()));
  auto oldLength = [&](int M) {
    TQSPart* p = piece->GetPart(0);
    TQSMeasureSlot* slot = p ? p->GetMeasureRecord(M) : nullptr;
    return slot ? slot->LengthFor(M) : L;
  };

  int start = 0, endM = lastM;
  for (int M = K; M <= lastM; ++M) {
    const int oldLen = oldLength(M);
    if (TQSColumn* col = piece->GetColumn(M)) {
      TQSItem* meter = nullptr;
      for (TQSItem* item : col->Items)
        if (item->ItemType == kind::Meter) meter = item;
      if (M != K && meter) {
        const int upTo = (meter->TimePosition() + start) / L - 1;
        if (upTo >= 0) NeedNew(*piece, newColumns, upTo);
        endM = M - 1;
        break;
      }
      if (M != K) cmd.SaveColumn(col);
      std::vector<TQSItem*> items(col->Items.begin(), col->Items.end());
      for (TQSItem* item : items) {
        const int k = item->ItemType, p = std::max(item->TimePosition(), 0);
        int n = (start + p) / L, pos;
        if (k == kind::Meter || k == kind::MeasureNumbering || k == kind::Rehearsal || k == kind::MultiRest ||
            k == kind::Volta) {
          pos = p;
        } else if (k == kind::Tempo) {
          pos = (start + p) % L;
        } else if (IsEndMark(k)) {
          if (p == oldLen && p > 0) n = (start + p - 1) / L, pos = L;
          else if (p != 0) pos = (start + p) % L;
          else pos = 0;
        } else {
          continue;
        }
        item->SetOwner(NeedNew(*piece, newColumns, n));
        SetItemTime(*item, pos);
      }
    }
    for (int pi = 0; pi < piece->PartCount(); ++pi) {
      TQSPart* part = piece->GetPart(pi);
      TQSMeasure* m = part->GetMeasure(M);
      if (!m) continue;
      cmd.SaveMeasure(m);
      std::vector<TQSMeasure*>& made = newMeasures[static_cast<size_t>(pi)];
      std::vector<TQSItem*> items(m->Items.begin(), m->Items.end());
      for (TQSItem* item : items) {
        const int k = item->ItemType, p = std::max(item->TimePosition(), 0);
        const int n = (start + p) / L, np = (start + p) % L;
        if (k == kind::Accolade || k == kind::Key || k == kind::BarRepeat) {
          item->SetOwner(NeedNew(*part, made, n));
        } else if (MovesWithNewPosition(k)) {
          item->SetOwner(NeedNew(*part, made, n));
          SetItemTime(*item, np);
        } else if (k == kind::NoteRepeat) {
          if (np + static_cast<TQSMark*>(item)->Fields.Value > L) continue;
          item->SetOwner(NeedNew(*part, made, n));
          SetItemTime(*item, np);
        } else if (k == kind::Tuplet) {
          auto* t = static_cast<TQSMark*>(item);
          if (np + TupletLength(t->Fields.Kind, t->Fields.Value) >= L) continue;
          item->SetOwner(NeedNew(*part, made, n));
          SetItemTime(*item, np);
        } else if (k == kind::Note) {
          auto* note = static_cast<TQSNote*>(item);
          TQSMeasure* target = NeedNew(*part, made, n);
          const bool inNewTuplet = target->FindTuplet(note->Fields.StaffVoice, np) != nullptr;
          const bool oldTuplet = m->FindTuplet(note->Fields.StaffVoice, p) != nullptr;
          if (inNewTuplet || (!oldTuplet && np + note->Fields.RealLength <= L)) {
            note->SetOwner(target);
            note->Fields.Time = static_cast<uint16_t>(np);
            continue;
          }
          // Cut into tied pieces over the new bar lines.
          for (int i = note->ItemCount() - 1; i >= 0; --i)
            if (note->GetItem(i)->ItemType == kind::Dot) delete note->GetItem(i);
          int remaining = note->Fields.RealLength, tick = np, ni = n;
          TQSNote* current = note;
          while (remaining > 0) {
            const TSplitPiece piece2 = NextSplitPiece(tick, remaining, L, beat);
            if (piece2.Value <= 0) break;
            TQSMeasure* into = NeedNew(*part, made, ni);
            if (!current) {
              current = static_cast<TQSNote*>(CreateItemByKind(kind::Note, into));
              current->Fields.Pitch = note->Fields.Pitch;
              current->Fields.FlagsA = note->Fields.FlagsA;
              current->Fields.FlagsB = note->Fields.FlagsB;
              current->Fields.Velocity = note->Fields.Velocity;
              current->Fields.StaffVoice = note->Fields.StaffVoice;
              current->Fields.HeadStyle = note->Fields.HeadStyle;
              current->Fields.StemLength = note->Fields.StemLength;
            } else {
              current->SetOwner(into);
            }
            current->Fields.Time = static_cast<uint16_t>(tick);
            current->Fields.Length = static_cast<uint16_t>(piece2.Value);
            current->Fields.RealLength = static_cast<uint16_t>(piece2.Length);
            if (piece2.Dots > 0) {
              auto* dot = static_cast<TQSMark*>(CreateItemByKind(kind::Dot, current));
              dot->Fields.Value = static_cast<uint16_t>(piece2.Dots == 2 ? 1 : 0);
            }
            remaining -= piece2.Length;
            if (remaining > 0) {
              auto* tie = static_cast<TQSLiga*>(CreateItemByKind(kind::Liga, current));
              tie->Fields.Flags = current->IsStemDown() ? 16 : 17;
              tie->Fields.Span = static_cast<uint16_t>(piece2.Length);
              tie->Fields.EndStaffVoice = current->Fields.StaffVoice;
            }
            tick += piece2.Length;
            if (tick >= L) tick = 0, ++ni;
            current = nullptr;
          }
        }
      }
    }
    start += oldLen;
  }

  // Empty measures at the end of the range keep their time too: the new
  // measures cover all of it.
  if (start > 0) {
    const int lastNew = (start - 1) / L;
    for (int pi = 0; pi < piece->PartCount(); ++pi)
      if (TQSPart* part = piece->GetPart(pi); part->MeasureCount() > K)
        NeedNew(*part, newMeasures[static_cast<size_t>(pi)], lastNew);
    if (piece->ColumnCount() > K) NeedNew(*piece, newColumns, lastNew);
  }
  const int oldCount = endM - K + 1;
  for (int pi = 0; pi < piece->PartCount(); ++pi) {
    TQSPart* part = piece->GetPart(pi);
    std::vector<TQSMeasure*>& made = newMeasures[static_cast<size_t>(pi)];
    for (TQSMeasure* m : made) m->SortItems();
    const int partOld = std::max(0, std::min(oldCount, part->MeasureCount() - K));
    PutInPlace<TQSMeasure>(cmd, part->MeasureList(), made, K, partOld, [&](TQSMeasure* m, uint8_t action) {
      score.SaveUndoMeasureEntry(cmd.Record, m, action);
    });
    for (TQSMeasure* m : made) {
      m->UpdateBeams(0, true);
      m->FillRests(true, L, true, -1);
    }
  }
  const int columnsOld = std::max(0, std::min(oldCount, piece->ColumnCount() - K));
  PutInPlace<TQSColumn>(cmd, piece->ColumnList(), newColumns, K, columnsOld, [&](TQSColumn* c, uint8_t action) {
    score.SaveUndoColumnEntry(cmd.Record, c, action);
  });
}

}  // namespace qs
