#include "editing/notation.h"

#include <algorithm>

#include "editing/selection.h"
#include "editing/transpose.h"
#include "score/marks.h"
#include "score/measure.h"
#include "score/notes.h"
#include "score/legacyreader.h"
#include "score/part.h"

namespace qs {

namespace {

// Undo action codes.
constexpr uint8_t kActionSplit = 27, kActionUnite = 28;
constexpr uint8_t kActionHideRests = 17, kActionFret = 18, kActionStems = 19, kActionJoin = 21,
                  kActionStemLength = 29, kActionAlign = 32;
// Flag bits of a tie or slur this command sets: its curve below (bit 0) and
// the mark of a broken join (bit 1).
constexpr uint8_t kTieCurveBelow = 0x01, kTieUnjoined = 0x02;
// The flag byte of a tuplet: its bracket below; of an arpeggio: its arrow.
constexpr uint8_t kTupletBelow = 0x10;
// Bit 4 of a tie or slur's flags: it is a tie.
constexpr uint8_t kTieIsTie = 0x10;
// The shortest written length a split still halves.
constexpr int kShortestSplit = 8;
// The join bits of a note's second flag byte, and those cleared by unjoining.
constexpr uint8_t kJoinBits = 0x03, kJoinClear = 0x07;

// True when the item directly follows, in its measure's order, an item of
// the same kind, staff/voice and time: the later notes of a chord.
bool FollowsItsTwin(const TQSItem& item) {
  TQSMeasure* m = item.GetMeasure();
  const int at = m ? m->Items.IndexOf(&item) : -1;
  const TQSItem* before = at > 0 ? m->Items.Get(at - 1) : nullptr;
  return before && before->ItemType == item.ItemType && before->StaffVoice() == item.StaffVoice() &&
         before->TimePosition() == item.TimePosition();
}

// The end of a command of this group: relayout, refresh and OnChanged when
// something was gathered (always) or only when something changed.
void Finish(TQSSelectionCommand& c, bool onlyWhenChanged) {
  if (onlyWhenChanged && !c.Changed) return;
  c.Done();
}

// Marks whose offsets align.
bool AlignsMark(TQSItemType k) {
  if ((k >= kind::Hang && k <= kind::Bracket) || (k >= kind::Vibrato && k <= kind::Breath) ||
      (k >= kind::Muting && k <= kind::Bowing) || (k >= kind::Hand && k <= kind::Coda) ||
      (k >= kind::Ottava && k <= kind::BarreBracket))
    return true;
  switch (k) {
    case kind::Tempo: case kind::MeasureNumbering: case kind::Rehearsal: case kind::Tuplet: case kind::Dynamics:
    case kind::Tremolo: case kind::DaCapo: case kind::DalSegno: case kind::UserSymbolMark: return true;
    default: return false;
  }
}

template <class T>
int16_t* Offset(TQSItem* item, bool vertical) {
  auto* it = dynamic_cast<T*>(item);
  if (!it) return nullptr;
  return vertical ? &it->Fields.OffsetY : &it->Fields.OffsetX;
}

// The offset that aligning reads and writes, nullptr for items it leaves.
int16_t* AlignedOffset(TQSItem* item, bool vertical) {
  const TQSItemType k = item->ItemType;
  if (AlignsMark(k)) return Offset<TQSMark>(item, vertical);
  switch (k) {
    case kind::Pause: return vertical ? &static_cast<TQSPause*>(item)->Fields.OffsetY : nullptr;
    case kind::Chord: return Offset<TQSChord>(item, vertical);
    case kind::Lyric: case kind::Term: return Offset<TQSLyric>(item, vertical);
    case kind::InstrumentName: return vertical ? nullptr : Offset<TQSLyric>(item, vertical);
    case kind::Frame: return Offset<TQSFrame>(item, vertical);
    case kind::Bend: return Offset<TQSBend>(item, vertical);
    default: return nullptr;
  }
}

// vertical: the items take the first one's vertical offset (rests the
// first rest's); otherwise its horizontal offset.
void Align(TQSScore& score, bool vertical) {
  TQSSelectionCommand c(score, kActionAlign);
  if (!c.HasView()) return;
  c.Gather(false, true);
  const int16_t* reference = nullptr;
  const int16_t* restReference = nullptr;
  for (TQSItem* item : c.Work) {
    int16_t* offset = AlignedOffset(item, vertical);
    if (!offset) continue;
    const int16_t*& ref = vertical && item->ItemType == kind::Pause ? restReference : reference;
    if (!ref) {
      ref = offset;
      continue;
    }
    if (*offset == *ref) continue;
    c.SaveItem(item);
    *offset = *ref;
    c.Changed = true;
  }
  c.Done();
}

void SetNoteStem(TQSSelectionCommand& c, TQSNote& note, bool down) {
  TQSMeasure* m = note.GetMeasure();
  if (!m) return;
  c.SaveMeasure(m);
  const int group = note.BeamGroup;
  if (group > 0 && group < static_cast<int>(m->BeamGroups.size())) {
    const TQSBeamGroup& g = m->BeamGroups[static_cast<size_t>(group)];
    for (int i = g.First; i <= g.Last && i < static_cast<int>(m->BeamNotes.size()); ++i)
      if (i >= 0) m->BeamNotes[static_cast<size_t>(i)]->SetStemDown(down);
    m->UpdateBeams(group, true);
  } else {
    for (TQSNote* n : ChordOf(note)) n->SetStemDown(down);
  }
  c.Changed = true;
}

void SetMarkDirection(TQSSelectionCommand& c, TQSMark& mark, int direction) {
  uint8_t style = mark.Fields.Style;
  uint8_t variant = mark.Fields.Kind;
  switch (mark.ItemType) {
    case kind::Glissando: case kind::Fall: case kind::Bracket: variant = direction > 0 ? 1 : 0; break;
    case kind::Tuplet:
      style = static_cast<uint8_t>(direction < 0 ? style & ~kTupletBelow : style | kTupletBelow);
      break;
    case kind::Arpeggio: {
      const int arrow = style & TQSMark::kArpeggioArrowMask;
      const int next = direction > 0 ? (arrow <= 1 ? 2 : 0) : (arrow == 0 || arrow == 2 ? 1 : 0);
      style = static_cast<uint8_t>((style & ~TQSMark::kArpeggioArrowMask) | next);
      break;
    }
    default: return;
  }
  if (style == mark.Fields.Style && variant == mark.Fields.Kind) return;
  c.SaveItem(&mark);
  mark.Fields.Style = style;
  mark.Fields.Kind = variant;
  c.Changed = true;
}

// The beams of the measures a join change reaches, rebuilt with stems.
void RebuildBeamsAround(TQSSelectionCommand& c, TQSNote& note) {
  TQSMeasure* m = note.GetMeasure();
  if (!m) return;
  if (note.BeamFromPrevious())
    if (TQSMeasure* previous = m->Previous()) {
      c.SaveMeasure(previous);
      previous->UpdateBeams(0, true);
    }
  m->UpdateBeams(note.BeamGroup, true);
  if (m->BeamRunsOn())
    if (TQSMeasure* next = m->Next()) {
      c.SaveMeasure(next);
      next->UpdateBeams(0, true);
    }
}

// The flag count follows a written length of 4 to 64 ticks; others keep it.
void FollowFlagCount(TQSNote& note) {
  switch (note.Fields.Length) {
    case 4: case 8: case 16: case 32: case 64: note.SetExtraBeams(ExtraBeamsFor(note.Fields.Length)); break;
    default: break;
  }
}

// Cuts a note in two of half its length each, the second inserted after
// it with its glissando, fall or lift and its tie.
void SplitNote(TQSScore& score, TQSMeasure& m, TQSNote& old) {
  const int oldTime = old.Fields.Time;
  std::unique_ptr<TQSNote> made = NewMeasureItem<TQSNote>(&m, kind::Note);
  TQSNote& n = *made;
  n.Fields.Pitch = old.Fields.Pitch;
  n.Fields.StaffVoice = old.Fields.StaffVoice;
  n.Fields.Velocity = old.Fields.Velocity;
  n.Fields.HeadStyle = old.Fields.HeadStyle;
  n.Fields.StemLength = old.Fields.StemLength;
  n.Fields.FlagsA = old.Fields.FlagsA;
  n.Fields.Color = old.Fields.Color;
  n.Fields.PlayOffset = old.Fields.PlayOffset;
  auto halve = [](uint16_t& kept, uint16_t& half) {
    half = static_cast<uint16_t>(kept / 2);
    kept = static_cast<uint16_t>(kept - half);
  };
  halve(old.Fields.Length, n.Fields.Length);
  halve(old.Fields.RealLength, n.Fields.RealLength);
  halve(old.Fields.PlayLength, n.Fields.PlayLength);
  n.Fields.Time = static_cast<uint16_t>(oldTime + old.Fields.RealLength);
  FollowFlagCount(old);
  n.Fields.FlagsB = old.Fields.FlagsB;
  const int sv = n.Fields.StaffVoice;
  m.Items.Insert(TQSScore::FindItemInsertIndex(m, sv, n.Fields.Time, 0), made.release());
  if (n.IsChordMember()) m.ArrangeChordNotes(sv, n.Fields.Time, false);

  const int grouping = m.Fields.OwnBeaming ? m.Fields.Beaming : score.AutoJoin;
  if (grouping > 1) {
    if (const TQSMark* tuplet = m.FindTuplet(sv, oldTime)) {
      const int end = tuplet->Fields.Time + TupletLength(tuplet->Fields.Kind, tuplet->Fields.Value);
      for (TQSNote* x : {&old, &n})
        if (x->Fields.Time + x->Fields.RealLength < end) x->SetBeamedToNext(true);
    } else {
      m.AutoBeamNote(&old, 0);
      m.AutoBeamNote(&n, 0);
    }
  } else if (grouping == 1 && (m.Fields.OwnBeaming || n.Fields.Time + n.Fields.RealLength < m.MeasureLength())) {
    old.SetBeamedToNext(true);
    n.SetBeamedToNext(true);
  }

  const std::vector<TQSItem*> attached(old.Items.begin(), old.Items.end());
  for (TQSItem* item : attached) {
    const TQSItemType k = item->ItemType;
    auto* tie = dynamic_cast<TQSLiga*>(item);
    const bool isTie = tie && (tie->Fields.Flags & kTieIsTie);
    if (k != kind::Glissando && k != kind::Fall && k != kind::Lift && !isTie) continue;
    TQSItem* copy = CreateItemByKind(k, &n);
    copy->Assign(*item);
    if (isTie && tie->Fields.Span > n.Fields.RealLength) {
      static_cast<TQSLiga*>(copy)->Fields.Span = static_cast<uint16_t>(tie->Fields.Span - n.Fields.RealLength);
      tie->Fields.Span = old.Fields.RealLength;
    }
  }
}

// Joins the next note of the voice on the same line with the same written
// length onto note; false when there is none.
bool UniteWithNext(TQSSelectionCommand& c, TQSMeasure& m, TQSNote& note) {
  TQSNote* other = nullptr;
  for (TQSItem* item : m.Items) {
    auto* n = dynamic_cast<TQSNote*>(item);
    if (n && n != &note && n->Fields.StaffVoice == note.Fields.StaffVoice &&
        n->Fields.Time == note.Fields.Time + note.Fields.RealLength && n->StaffPosition == note.StaffPosition &&
        n->Fields.Length == note.Fields.Length) {
      other = n;
      break;
    }
  }
  if (!other) return false;
  c.SaveMeasure(&m);
  c.Drop(other);
  note.Fields.Length = static_cast<uint16_t>(note.Fields.Length + other->Fields.Length);
  note.Fields.RealLength = static_cast<uint16_t>(note.Fields.RealLength + other->Fields.RealLength);
  if (note.Fields.PlayLength && other->Fields.PlayLength)
    note.Fields.PlayLength = static_cast<uint16_t>(note.Fields.PlayLength + other->Fields.PlayLength);
  FollowFlagCount(note);
  note.SetBeamedToNext(other->BeamedToNext());
  const std::vector<TQSItem*> carried(other->Items.begin(), other->Items.end());
  for (TQSItem* item : carried) {
    auto* tie = dynamic_cast<TQSLiga*>(item);
    if (!tie) continue;
    if (tie->Fields.Flags & kTieIsTie) {
      const std::vector<TQSItem*> own(note.Items.begin(), note.Items.end());
      for (TQSItem* mine : own)
        if (auto* t = dynamic_cast<TQSLiga*>(mine); t && (t->Fields.Flags & kTieIsTie)) delete t;
    }
    tie->SetOwner(&note);
    tie->Fields.Span = static_cast<uint16_t>(tie->Fields.Span + other->Fields.RealLength);
  }
  delete other;
  return true;
}

}  // namespace

int SteppedStemLength(const TQSNote& note, int step) {
  return std::clamp(note.Fields.StemLength + (note.IsStemDown() ? step : -step), 0, 255);
}

void ToggleHiddenRests(TQSScore& score) {
  TQSSelectionCommand c(score, kActionHideRests);
  if (!c.HasView()) return;
  c.Gather(false, true);
  if (c.Work.empty() && !c.AddAtCursor([](TQSItem& item) {
        return item.ItemType == kind::Pause && !FollowsItsTwin(item);
      }))
    return;
  for (TQSItem* item : c.Work) {
    auto* rest = dynamic_cast<TQSPause*>(item);
    if (!rest) continue;
    c.SaveItem(rest);
    rest->Fields.Flags ^= TQSPause::kHidden;
    c.Changed = true;
  }
  c.Done();
}

void AlignHorizontal(TQSScore& score) { Align(score, true); }
void AlignVertical(TQSScore& score) { Align(score, false); }

void SetStemDirection(TQSScore& score, int direction) {
  TQSSelectionCommand c(score, kActionStems);
  if (!c.HasView()) return;
  c.Gather(false, true);
  if (c.Work.empty() &&
      !c.AddAtCursor([](TQSItem& item) { return item.ItemType == kind::Note && !FollowsItsTwin(item); }))
    return;
  for (TQSItem* item : c.Work) {
    if (auto* note = dynamic_cast<TQSNote*>(item)) {
      SetNoteStem(c, *note, direction > 0);
    } else if (auto* tie = dynamic_cast<TQSLiga*>(item)) {
      c.SaveItem(item);
      tie->Fields.Flags = static_cast<uint8_t>(direction < 0 ? tie->Fields.Flags & ~kTieCurveBelow
                                                             : tie->Fields.Flags | kTieCurveBelow);
      tie->Fields.CurveStartDX = tie->Fields.CurveStartDY = tie->Fields.CurveEndDX = tie->Fields.CurveEndDY = 0;
      c.Changed = true;
    } else if (auto* mark = dynamic_cast<TQSMark*>(item)) {
      SetMarkDirection(c, *mark, direction);
    }
  }
  c.Done();
}

void JoinNotes(TQSScore& score, uint8_t unjoin) {
  TQSSelectionCommand c(score, kActionJoin);
  if (!c.HasView()) return;
  c.Gather(false, true);
  for (TQSItem* item : c.Work) {
    if (auto* note = dynamic_cast<TQSNote*>(item)) {
      const bool joined = note->Fields.FlagsB & kJoinBits;
      if (unjoin ? !joined : joined) continue;
      c.SaveItem(note);
      for (TQSNote* n : ChordOf(*note))
        n->Fields.FlagsB = static_cast<uint8_t>(unjoin ? n->Fields.FlagsB & ~kJoinClear
                                                       : n->Fields.FlagsB | TQSNote::kBeamedToNext);
      RebuildBeamsAround(c, *note);
      c.Changed = true;
    } else if (auto* tie = dynamic_cast<TQSLiga*>(item)) {
      c.SaveItem(item);
      tie->Fields.Flags = static_cast<uint8_t>(unjoin ? tie->Fields.Flags | kTieUnjoined
                                                      : tie->Fields.Flags & ~kTieUnjoined);
      c.Changed = true;
    }
  }
  Finish(c, true);
}

void MoveBeam(TQSScore& score, int step) {
  TQSSelectionCommand c(score, kActionStemLength);
  if (!c.HasView()) return;
  c.Gather(false, true);
  if (c.Work.empty() && !c.AddAtCursor([](TQSItem& item) { return item.ItemType == kind::Note; })) return;
  for (TQSItem* item : c.Work) {
    auto* note = dynamic_cast<TQSNote*>(item);
    if (!note) continue;
    const int length = SteppedStemLength(*note, step);
    if (length == note->Fields.StemLength) continue;
    c.SaveItem(note);
    note->Fields.StemLength = static_cast<uint8_t>(length);
    c.Changed = true;
  }
  Finish(c, true);
}

void OffsetNotes(TQSScore& score) {
  TQSSelectionCommand c(score, kActionStemLength);
  if (!c.HasView()) return;
  c.Gather(false, true);
  if (c.Work.empty() && !c.AddAtCursor(IsNoteOrRest)) return;
  for (TQSItem* item : c.Work) {
    if (!item) continue;
    if (auto* note = dynamic_cast<TQSNote*>(item)) {
      c.SaveItem(note);
      const bool shifted = !note->IsHeadShifted();
      for (TQSNote* n : ChordOf(*note)) {
        n->SetHeadShifted(shifted);
        if (n != note) c.Drop(n);
      }
      c.Changed = true;
    } else if (auto* rest = dynamic_cast<TQSPause*>(item)) {
      c.SaveItem(rest);
      rest->Fields.Flags ^= TQSPause::kShiftedRight;
      c.Changed = true;
    }
  }
  Finish(c, true);
}

void UnionNotePair(TQSScore& score, uint8_t split) {
  TQSSelectionCommand c(score, split ? kActionSplit : kActionUnite);
  if (!c.HasView()) return;
  c.Gather(false, true);
  for (size_t i = 0; i < c.Work.size(); ++i) {
    auto* note = dynamic_cast<TQSNote*>(c.Work[i]);
    TQSMeasure* m = note ? note->GetMeasure() : nullptr;
    if (!m || note->GraceGroup()) continue;
    c.Changed = true;
    if (split && note->Fields.Length <= kShortestSplit) continue;
    if (split) c.SaveMeasure(m);
    bool changed = split;
    for (TQSNote* n : ChordOf(*note)) {
      if (n != note) c.Drop(n);
      if (split)
        SplitNote(score, *m, *n);
      else
        changed = UniteWithNext(c, *m, *n) || changed;
    }
    if (changed) m->UpdateBeams(0, true);
  }
  Finish(c, true);
}

void ChangeFret(TQSScore& score, uint8_t up) {
  TQSSelectionCommand c(score, kActionFret);
  if (!c.HasView()) return;
  c.Gather(false, true);
  for (TQSItem* item : c.Work) {
    auto* note = dynamic_cast<TQSNote*>(item);
    TQSMeasure* m = note ? note->GetMeasure() : nullptr;
    TQSPart* part = m ? m->Part() : nullptr;
    TQSStaff* staff = part ? part->GetStaff(note->Fields.StaffVoice >> 4) : nullptr;
    if (!staff || !staff->Fields.Tablature) continue;
    const int frets = std::max<int>(staff->Fields.FretCount, 1);
    int fret = note->Fields.TabFret;
    if (up)
      fret = fret + 1 > frets ? 1 : fret + 1;
    else
      fret = fret < 2 ? frets : fret - 1;
    c.SaveItem(note);
    note->Fields.TabFret = static_cast<uint8_t>(fret);
    SetTablatureKey(*note, staff->GetTuning(note->Fields.TabString) + fret - 1);
    c.Changed = true;
  }
  Finish(c, true);
}

}  // namespace qs
