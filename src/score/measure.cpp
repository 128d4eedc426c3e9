#include "score/measure.h"

#include <algorithm>

#include "base/exceptions.h"
#include "score/marks.h"
#include "score/notes.h"
#include "score/part.h"
#include "score/tree.h"
#include "score/score.h"
#include "score/slot.h"
#include "score/timing.h"

namespace qs {

namespace {

TQSNote* AsNote(TQSItem* item) { return item->ItemType == kind::Note ? dynamic_cast<TQSNote*>(item) : nullptr; }
TQSPause* AsRest(TQSItem* item) { return item->ItemType == kind::Pause ? dynamic_cast<TQSPause*>(item) : nullptr; }
TQSMark* AsMark(TQSItem* item, TQSItemType k) { return item->ItemType == k ? dynamic_cast<TQSMark*>(item) : nullptr; }

int TupletEnd(const TQSMark& t) { return t.Fields.Time + TupletLength(t.Fields.Kind, t.Fields.Value); }

// Moves a timed item or a mark by delta ticks, not before the measure start.
void MoveItem(TQSItem* item, int delta) {
  auto moved = [delta](uint16_t t) { return static_cast<uint16_t>(std::clamp(t + delta, 0, 0xFFFF)); };
  if (auto* n = AsNote(item)) n->Fields.Time = moved(n->Fields.Time);
  else if (auto* r = AsRest(item)) r->Fields.Time = moved(r->Fields.Time);
  else if (auto* m = dynamic_cast<TQSMark*>(item)) m->Fields.Time = moved(m->Fields.Time);
}

int LargestPowerOfTwoAtMost(int n) {
  int p = 1;
  while (p * 2 <= n) p *= 2;
  return p;
}

}  // namespace

bool IsTimedItem(const TQSItem& item) {
  return item.ItemType == kind::Note || item.ItemType == kind::Pause || item.ItemType == kind::NoteRepeat;
}

int TimedItemEnd(const TQSItem& item) {
  if (auto* n = dynamic_cast<const TQSNote*>(&item)) return n->Fields.Time + n->Fields.RealLength;
  if (auto* r = dynamic_cast<const TQSPause*>(&item)) return r->Fields.Time + r->Fields.RealLength;
  if (auto* m = dynamic_cast<const TQSMark*>(&item)) return m->Fields.Time + m->Fields.Value;
  return item.TimePosition();
}

void TQSMeasure::TFields::Visit(TBlockIO& b) {
  b.U8(Beaming);
  b.U8(OwnBeaming);
  b.U8(Flags);
  b.U8(Further3);
  b.U8(Further4);
  b.Bytes(Further5);
}

TQSMeasure::TQSMeasure(TQSPart* part) : part_(part) {
  if (!part) throw Exception("Is not owner of the measure");
  part->RegisterMeasure(this);
}

TQSMeasure::~TQSMeasure() {
  Clear();
  part_->UnregisterMeasure(this);
}

TQSScore* TQSMeasure::Score() const { return part_->Score(); }

TQSMeasure* TQSMeasure::Previous() const { return Index > 0 ? part_->GetMeasure(Index - 1) : nullptr; }
TQSMeasure* TQSMeasure::Next() const { return part_->GetMeasure(Index + 1); }

int TQSMeasure::BeamingValue() const {
  if (Fields.OwnBeaming) return Fields.Beaming;
  TQSScore* score = Score();
  return score ? score->AutoJoin : 0;
}

TQSMeasureSlot* TQSMeasure::MeasureRecord() const { return part_->GetMeasureRecord(Index); }

int TQSMeasure::MeasureLength() const {
  TQSMeasureSlot* slot = MeasureRecord();
  return slot ? slot->LengthFor(Index) : 0;
}

// ---------------------------------------------------------------- items

void TQSMeasure::AddItem(TQSItem* item) {
  if (!RegistrationSuspended) Items.Add(item);
}

// A note in a beam group stands in this measure's beam list or, when the
// previous measure's group runs on into this one, in that one's. The
// pointer is only compared: the note may be under destruction.
void TQSMeasure::DropFromBeams(const TQSItem* note) {
  auto same = [note](TQSNote* n) { return static_cast<TQSItem*>(n) == note; };
  std::erase_if(BeamNotes, same);
  if (TQSMeasure* prev = Previous()) std::erase_if(prev->BeamNotes, same);
}

void TQSMeasure::RemoveItem(TQSItem* item) {
  Items.Remove(item);
  DropFromBeams(item);
  // A grace group that moves to another measure takes its notes along (one
  // being freed has freed them already and is no grace group any more).
  if (auto* grace = dynamic_cast<TQSVorschlag*>(item))
    for (TQSItem* n : grace->Items) DropFromBeams(n);
}

void TQSMeasure::ForgetNote(TQSItem* note) { DropFromBeams(note); }

void TQSMeasure::Clear() {
  BeamNotes.clear();
  BeamGroups.clear();
  Items.Clear();
}

void TQSMeasure::Assign(const TObject& source) {
  auto* src = dynamic_cast<const TQSMeasure*>(&source);
  if (!src) RaiseAssignError(source.ClassName(), ClassName());
  if (src != this) AssignItemContainer(*this, *src);
}

bool TQSMeasure::InVoice(const TQSItem& item, int staffVoice) const {
  return AllVoices() || item.StaffVoice() == staffVoice;
}

// ---------------------------------------------------------------- voices

int TQSMeasure::ClearVoiceRange(int staffVoice, int position, int length) {
  int latestEnd = -1;
  for (int i = ItemCount() - 1; i >= 0; --i) {
    TQSItem* item = GetItem(i);
    if (!item || !InVoice(*item, staffVoice)) continue;
    if (item->ItemType == kind::BarRepeat) {
      delete item;
    } else if (IsTimedItem(*item)) {
      int start = item->TimePosition(), end = TimedItemEnd(*item);
      if (start < position + length && end > position) {
        latestEnd = std::max(latestEnd, end);
        delete item;
      }
    }
  }
  return latestEnd;
}

void TQSMeasure::ShiftVoiceItems(int staffVoice, int position, int delta) {
  // Inside a tuplet only the tuplet's own notes and rests move; those
  // pushed out of it are dropped.
  if (TQSMark* tuplet = FindTuplet(staffVoice, position)) {
    const int tupletEnd = TupletEnd(*tuplet);
    for (int i = 0; i < ItemCount();) {
      TQSItem* item = GetItem(i);
      if ((AsNote(item) || AsRest(item)) && InVoice(*item, staffVoice)) {
        int start = item->TimePosition(), end = TimedItemEnd(*item);
        if (end > position && start < tupletEnd) {
          if (end + delta > tupletEnd) {
            delete item;
            continue;
          }
          MoveItem(item, delta);
        }
      }
      ++i;
    }
    return;
  }

  for (int i = 0; i < ItemCount();) {
    TQSItem* item = GetItem(i);
    if (InVoice(*item, staffVoice)) {
      if (item->ItemType == kind::BarRepeat) {
        delete item;
        continue;
      }
      int end = -1;
      if (IsTimedItem(*item)) end = TimedItemEnd(*item);
      else if (auto* t = AsMark(item, kind::Tuplet)) end = TupletEnd(*t);
      if (end > position) MoveItem(item, delta);
    }
    ++i;
  }

  // Repair what now crosses the measure end.
  const int m = MeasureLength();
  if (m <= 0) return;
  for (int i = 0; i < ItemCount(); ++i) {
    auto* tuplet = AsMark(GetItem(i), kind::Tuplet);
    if (!tuplet || !InVoice(*tuplet, staffVoice) || TupletEnd(*tuplet) < m) continue;
    if (TupletEnd(*tuplet) > m) {
      const int start = tuplet->Fields.Time, end = TupletEnd(*tuplet);
      for (int k = ItemCount() - 1; k >= 0; --k) {
        TQSItem* item = GetItem(k);
        if ((AsNote(item) || AsRest(item)) && InVoice(*item, staffVoice) && item->TimePosition() < end &&
            TimedItemEnd(*item) > start)
          delete item;
      }
      delete tuplet;
    }
    return;
  }
  ShortenAtMeasureEnd(staffVoice, m);
}

// Items of the voice that end after the measure are halved until they fit
// (not below a written length of 8 ticks) or freed.
void TQSMeasure::ShortenAtMeasureEnd(int staffVoice, int m) {
  for (int i = 0; i < ItemCount();) {
    TQSItem* item = GetItem(i);
    if (item->StaffVoice() != staffVoice || !IsTimedItem(*item) || TimedItemEnd(*item) <= m) {
      ++i;
      continue;
    }
    const int start = item->TimePosition();
    bool drop = start >= m;
    if (!drop) {
      uint16_t* written = nullptr;
      uint16_t* real = nullptr;
      if (auto* n = AsNote(item)) written = &n->Fields.Length, real = &n->Fields.RealLength;
      else if (auto* r = AsRest(item)) written = &r->Fields.Length, real = &r->Fields.RealLength;
      if (written) {
        while (*written > 8 && start + *real > m) {
          *written /= 2;
          *real /= 2;
        }
        drop = *written < 8 || start + *real > m;
      } else if (auto* rep = AsMark(item, kind::NoteRepeat)) {
        // A note repeat never ends exactly at the measure end.
        uint16_t& len = rep->Fields.Value;
        while (len > 8 && start + len >= m) len /= 2;
        drop = len < 8 || start + len > m;
      }
    }
    if (drop) {
      delete item;
      continue;
    }
    ++i;
  }
}

bool TQSMeasure::ArrangeChordNotes(int staffVoice, int position, bool clearSingle) {
  auto inChord = [&](TQSItem* item) -> TQSNote* {
    TQSNote* n = AsNote(item);
    return n && n->Fields.StaffVoice == staffVoice && n->Fields.Time == position ? n : nullptr;
  };

  // 1. Ascending pitch: every later chord note of lower pitch moves in
  // front of the current one.
  bool changed = false;
  int count = 0;
  for (int i = 0; i < ItemCount(); ++i) {
    if (!inChord(GetItem(i))) continue;
    ++count;
    for (int j = i + 1; j < ItemCount(); ++j) {
      TQSNote* later = inChord(GetItem(j));
      if (later && PitchLine(later->Fields.Pitch) < PitchLine(static_cast<TQSNote*>(GetItem(i))->Fields.Pitch)) {
        Items.Move(j, i);
        changed = true;
      }
    }
  }

  if (count == 1) {
    if (clearSingle)
      for (TQSItem* item : Items)
        if (TQSNote* n = inChord(item)) {
          n->SetChordMember(false);
          n->SetHeadDisplaced(false);
        }
    return changed;
  }
  if (count < 2) return changed;

  // 2. Seconds and unisons: the upper note of each pair goes to the other
  // side of an up stem, the lower one to the other side of a down stem.
  TQSNote* pairStart = nullptr;  // the note that opened the current pair
  TQSNote* previous = nullptr;   // the chord note walked last
  bool justPaired = false;
  for (TQSItem* item : Items) {
    TQSNote* n = AsNote(item);
    if (!n) continue;
    if (!inChord(n) || !n->IsChordMember()) {
      if (!previous) continue;
      if (!justPaired) break;
      justPaired = false;
      continue;
    }
    if (pairStart && PitchLine(n->Fields.Pitch) - PitchLine(pairStart->Fields.Pitch) < 2) {
      if (n->IsStemDown()) pairStart->SetHeadDisplaced(true);
      else n->SetHeadDisplaced(true);
      pairStart = nullptr;
      justPaired = true;
    } else {
      if (n->IsStemDown()) {
        if (previous) previous->SetHeadDisplaced(false);
      } else {
        n->SetHeadDisplaced(false);
      }
      pairStart = n;
      justPaired = false;
    }
    previous = n;
  }
  if (previous && previous->IsStemDown()) previous->SetHeadDisplaced(false);
  return changed;
}

// ---------------------------------------------------------------- rests

std::vector<TQSMeasure::TFreeSpan> TQSMeasure::FreeSpans(int staffVoice, int length, bool& hasNotes) const {
  std::vector<TFreeSpan> spans{{0, length}};
  hasNotes = false;
  for (TQSItem* item : Items) {
    if (!IsTimedItem(*item) || !InVoice(*item, staffVoice)) continue;
    if (item->ItemType != kind::Pause) hasNotes = true;
    const int start = item->TimePosition(), end = TimedItemEnd(*item);
    std::vector<TFreeSpan> rest;
    for (const TFreeSpan& s : spans) {
      if (end <= s.From || start >= s.To) {
        rest.push_back(s);
        continue;
      }
      if (start > s.From) rest.push_back({s.From, start});
      if (end < s.To) rest.push_back({end, s.To});
    }
    spans.swap(rest);
  }
  return spans;
}

void TQSMeasure::FillRests(bool wholeRests, int measureLength, bool forceWholeRest, int staff) {
  if (measureLength == 0) {
    TQSMeasureSlot* slot = MeasureRecord();
    if (!slot) return;
    measureLength = slot->LengthFor(Index);
  }
  if (measureLength <= 0) return;
  // Staff and voice numbers beyond 15 cannot be told apart in the
  // staff/voice byte.
  const int staves = std::min(part_->StaffCount(), kMaxStaves);
  const int firstStaff = staff >= 0 ? staff : 0;
  const int endStaff = staff >= 0 ? std::min(staff + 1, staves) : staves;
  for (int s = firstStaff; s < endStaff && !AllVoices(); ++s) {
    const int voices = std::min(part_->GetStaff(s)->VoiceCount(), kMaxVoices);
    for (int v = 0; v < voices; ++v) {
      const int sv = MakeStaffVoice(s, v);
      bool hasNotes = false;
      std::vector<TFreeSpan> spans = FreeSpans(sv, measureLength, hasNotes);
      FillVoiceRests(sv, spans, hasNotes, wholeRests, forceWholeRest, measureLength);
    }
  }
  if (AllVoices()) {
    bool hasNotes = false;
    std::vector<TFreeSpan> spans = FreeSpans(0, measureLength, hasNotes);
    FillVoiceRests(0, spans, hasNotes, wholeRests, forceWholeRest, measureLength);
  }
}

bool TQSMeasure::StaffHasNotes(int staff) const {
  for (TQSItem* item : Items)
    if (item->ItemType == kind::Note && StaffOf(uint8_t(item->StaffVoice())) == staff) return true;
  return false;
}

bool TQSMeasure::LaterMeasuresUseStaff(int staff) const {
  for (int m = Index + 1; m < part_->MeasureCount(); ++m)
    for (TQSItem* item : part_->GetMeasure(m)->Items)
      if ((IsTimedItem(*item) || item->ItemType == kind::BarRepeat) &&
          StaffOf(uint8_t(item->StaffVoice())) == staff)
        return true;
  return false;
}

void TQSMeasure::FillVoiceRests(int staffVoice, const std::vector<TFreeSpan>& spans, bool hasNotes,
                                bool wholeRests, bool forceWholeRest, int measureLength) {
  if (wholeRests && !hasNotes) {
    for (int i = ItemCount() - 1; i >= 0; --i)
      if (GetItem(i)->ItemType == kind::Pause && GetItem(i)->StaffVoice() == staffVoice) delete GetItem(i);
    const int staff = StaffOf(uint8_t(staffVoice));
    if (!StaffHasNotes(staff) && (forceWholeRest || LaterMeasuresUseStaff(staff)))
      NewRest(staffVoice, 0, kTicksWhole, kTicksWhole, 0, -1);
    return;
  }
  for (const TFreeSpan& s : spans) InsertRests(staffVoice, s.From, s.To, -1, measureLength);
}

TQSPause* TQSMeasure::NewRest(int staffVoice, int position, int length, int realLength, int offsetY,
                              int startIndex) {
  const int at = TQSScore::FindItemInsertIndex(*this, staffVoice, position, startIndex);
  const bool suspended = RegistrationSuspended;
  RegistrationSuspended = true;
  auto* rest = new TQSPause(this);
  RegistrationSuspended = suspended;
  rest->Fields.Time = static_cast<uint16_t>(position);
  rest->Fields.Length = static_cast<uint16_t>(length);
  rest->Fields.RealLength = static_cast<uint16_t>(realLength);
  rest->Fields.StaffVoice = static_cast<uint8_t>(staffVoice);
  rest->Fields.OffsetY = static_cast<int16_t>(offsetY);
  Items.Insert(at, rest);
  return rest;
}

void TQSMeasure::InsertRests(int staffVoice, int from, int to, int startIndex, int grid) {
  if (grid <= 0) {
    TQSMeasureSlot* slot = MeasureRecord();
    grid = slot ? slot->BeatFor(Index) : to;
  }
  if (grid <= 0 || from >= to) return;

  // Two voices in a staff: rests move apart, and the second voice gets no
  // rest for a whole empty measure.
  int offsetY = 0;
  TQSStaff* staff = part_->GetStaff(StaffOf(uint8_t(staffVoice)));
  if (staff && staff->VoiceCount() == 2) {
    offsetY = TQSPause::VoiceOffset(VoiceOf(uint8_t(staffVoice)));
    if (VoiceOf(uint8_t(staffVoice)) != 0 && from == 0 && to == grid) return;
  }

  while (from < to) {
    int written = 0, real = 0;
    TQSMark* tuplet = FindTuplet(staffVoice, from);
    if (tuplet && !tuplet->TupletLengths.empty()) {
      // A rest inside a tuplet fills (part of) the slot that holds from.
      int slotStart = tuplet->Fields.Time;
      for (int16_t slotLength : tuplet->TupletLengths) {
        const int l = std::max<int>(slotLength, 0);
        if (from < slotStart + l) {
          if (from == slotStart) {
            real = l;
            written = tuplet->Fields.Value;
          } else {
            // The largest half, quarter ... of the slot that fits in what
            // is left of it.
            const int left = slotStart + l - from;
            int k = 1;
            while (k < 9 && (l >> k) > left) ++k;
            real = l >> k;
            written = tuplet->Fields.Value >> k;
          }
          break;
        }
        slotStart += l;
      }
    }
    if (real == 0) {
      const int room = to - from;
      if (from % grid != 0) {
        const int toGrid = grid * (from / grid + 1) - from;
        real = 1;
        for (int n = 9; n >= 0; --n)
          if (toGrid % (1 << n) == 0 && (1 << n) <= room) {
            real = 1 << n;
            break;
          }
      } else {
        real = std::min(LargestPowerOfTwoAtMost(room), kTicksWhole);
      }
      written = real;
    }
    if (real < 2) return;
    NewRest(staffVoice, from, written, real, offsetY, startIndex);
    from += real;
  }
}

void TQSMeasure::MergeRests(int staffVoice, int from, int to) {
  TQSMeasureSlot* slot = MeasureRecord();
  if (!slot) return;
  const int beat = MeterUnit(slot->MeterFor(Index));

  std::vector<std::vector<TQSPause*>> runs;
  std::vector<TQSPause*> run;
  int runEnd = -1;
  for (TQSItem* item : Items) {
    TQSPause* r = AsRest(item);
    if (!r || r->Fields.StaffVoice != staffVoice || r->Fields.Time < from || r->Fields.Time >= to ||
        r->Fields.Length != r->Fields.RealLength)
      continue;
    if (!run.empty() && r->Fields.Time == runEnd && r->Fields.Time / beat == run.front()->Fields.Time / beat) {
      run.push_back(r);
    } else {
      if (run.size() >= 2) runs.push_back(run);
      run = {r};
    }
    runEnd = r->Fields.Time + r->Fields.RealLength;
  }
  if (run.size() >= 2) runs.push_back(run);
  for (const auto& r : runs) MergeRestRun(r, beat);
}

void TQSMeasure::MergeRestRun(const std::vector<TQSPause*>& run, int beat) {
  int left = 0;
  for (TQSPause* r : run) left += r->Fields.RealLength;
  std::vector<int> parts;
  while (left > 0) {
    const int part = left >= kTicksWhole ? std::min(beat, left) : LargestPowerOfTwoAtMost(left);
    parts.push_back(part);
    left -= part;
  }
  // Rests of odd lengths may need more rests than the run has: leave such
  // a run as it is rather than lose time.
  if (parts.size() > run.size()) return;
  int position = run.front()->Fields.Time;
  for (size_t i = 0; i < parts.size(); ++i) {
    run[i]->Fields.Time = static_cast<uint16_t>(position);
    run[i]->Fields.Length = run[i]->Fields.RealLength = static_cast<uint16_t>(parts[i]);
    position += parts[i];
  }
  for (size_t i = parts.size(); i < run.size(); ++i) delete run[i];
}

void TQSMeasure::SortItems() {
  // Items with a time position are ordered by (position, staff, voice);
  // items without one keep their place. The order is stable, so notes of one
  // chord and other items with equal keys keep the order they were given.
  auto key = [](const TQSItem* item) { return item->TimePosition() * 256 + (item->StaffVoice() & 0xFF); };
  std::vector<TQSItem*>& items = Items.Raw();
  std::vector<size_t> slots;
  std::vector<TQSItem*> timed;
  for (size_t i = 0; i < items.size(); ++i)
    if (items[i]->TimePosition() >= 0) {
      slots.push_back(i);
      timed.push_back(items[i]);
    }
  std::stable_sort(timed.begin(), timed.end(), [&](const TQSItem* a, const TQSItem* b) { return key(a) < key(b); });
  for (size_t k = 0; k < slots.size(); ++k) items[slots[k]] = timed[k];
}

int TQSMeasure::TimedStartBefore(int position) const {
  int best = -1;
  for (TQSItem* item : Items)
    if (IsTimedItem(*item) && item->TimePosition() < position) best = std::max(best, item->TimePosition());
  return best;
}

int TQSMeasure::TimedStartAfter(int position) const {
  int best = -1;
  for (TQSItem* item : Items)
    if (IsTimedItem(*item) && item->TimePosition() > position && (best < 0 || item->TimePosition() < best))
      best = item->TimePosition();
  return best;
}

TQSMark* TQSMeasure::FindTuplet(int staffVoice, int position) const {
  for (TQSItem* item : Items) {
    TQSMark* t = AsMark(item, kind::Tuplet);
    if (t && t->Fields.StaffVoice == staffVoice && t->Fields.Time <= position && position < TupletEnd(*t))
      return t;
  }
  return nullptr;
}

void TQSMeasure::CalcEffectsAt(int position) {
  TQSScore* score = Score();
  if (!score) return;
  // Notes first: a grace group changes the fields of the notes around it.
  for (TQSItemType type : {kind::Note, kind::Vorschlag}) {
    const std::vector<TQSItem*> items(Items.begin(), Items.end());
    for (TQSItem* item : items)
      if (item->ItemType == type && item->TimePosition() == position) score->CalcNoteEffects(item);
  }
}

// ---------------------------------------------------------------- record

void TQSMeasure::LoadFromStream(TStream& s) {
  TRegistrationOpen open(RegistrationSuspended);
  ReadRecord(s, [&](TRecordReader& r) {
    if (r.Has(1)) ReadFields(r, Fields, BlockSurplus);
    if (r.Has(2)) {
      const int count = ReadChildCount(s, "Error reading measure items");
      for (int i = 0; i < count; ++i) {
        TQSItemType k = s.ReadU8();
        TQSItem* item = IsKnownItemKind(k) ? CreateItemByKind(k, this) : nullptr;
        if (!item) throw EReadError("Error item");
        item->LoadFromStream(s);
        EnsureInsideRecord(r);
      }
    }
    if (r.Has(3)) ReadSpacingTable(r, Spacing);
  });
  UpdateBeams(0, false);
}

void TQSMeasure::SaveToStream(TStream& s) const { WriteItemsRecord(s, Fields, BlockSurplus, Items, Spacing); }

}  // namespace qs
