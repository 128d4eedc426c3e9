#include "editing/entry.h"

#include <algorithm>

#include "editing/command.h"
#include "editing/placement.h"
#include "editing/split.h"
#include "layout/dynamics.h"
#include "score/accidentals.h"
#include "score/calcrecords.h"
#include "score/marks.h"
#include "score/measure.h"
#include "score/notes.h"
#include "score/part.h"
#include "score/piece.h"
#include "score/score.h"
#include "score/undo.h"

namespace qs {

TQSMark* AttachMark(TQSItemHolder& holder, TQSItemType k, int variant, int value, bool first) {
  auto* mark = NewUnregisteredItem<TQSMark>(holder, k);
  mark->Fields.Kind = static_cast<uint8_t>(variant);
  mark->Fields.Value = static_cast<uint16_t>(value);
  holder.Items.Insert(first ? 0 : holder.ItemCount(), mark);
  return mark;
}

namespace {

void Remove(TQSModifiers& list, std::initializer_list<int> codes) {
  for (int c : codes) std::erase(list, c);
}

// The dot mark value of a dot code, -1 for other codes.
int DotValue(int code) { return code >= modifier::Dot && code <= modifier::TripleDot ? code - modifier::Dot : -1; }

// Accidentals, microtones, glissando, fall and lift marks of a note or grace
// note; false for other codes.
bool ApplyPitchModifier(TQSNote& note, int code) {
  using namespace modifier;
  if (code >= Flat && code <= DoubleSharp) AttachMark(note, kind::Accidental, code - Flat, 0, false);
  else if (code >= Natural && code <= NaturalSharp) AttachMark(note, kind::Accidental, code - Natural + 4, 0, true);
  else if (code == GlissandoUp || code == GlissandoDown) AttachMark(note, kind::Glissando, code - GlissandoUp, 0, true);
  else if (code == FallUp || code == FallDown) AttachMark(note, kind::Fall, code - FallUp, 0, true);
  else if (code == Lift) AttachMark(note, kind::Lift, 0, 0, true);
  // The microtonal accidentals' codes are their mark kinds.
  else if ((code >= accidental::QuarterToneFlat && code <= accidental::ThreeQuarterToneSharp) ||
           (code >= accidental::EighthToneFlat && code <= accidental::ThreeEighthToneSharp))
    AttachMark(note, kind::Accidental, code, 0, false);
  else return false;
  return true;
}

// Everything the entry of a note or rest at the cursor works with.
struct TEntry {
  explicit TEntry(TQSScore& score, uint8_t action) : Cmd(score, action) {}
  TQSEditCommand Cmd;
  TQSPiece* Piece = nullptr;
  TQSPart* Part = nullptr;
  TQSStaff* Staff = nullptr;
  TQSMeasure* Measure = nullptr;
  int MeasureIndex = 0;
  uint8_t StaffVoice = 0;
  int Tick = 0;
  int Length = 0;   // real length
  int Written = 0;  // written length
  TQSMark* Tuplet = nullptr;
  TQSMeasureSlot* Slot = nullptr;

  TQSScore& Score() { return Cmd.Score; }
  int MeasureLength() const { return Slot ? Slot->LengthFor(MeasureIndex) : 0; }
  bool Overwrite() const { return Cmd.Score.AddState == TQSAddState::asOverwrite; }
  // The per-staff event count of the layout; -1 when the layout keeps none.
  static int StaffEvents(const TQSMeasure& m, int staff) {
    return staff < static_cast<int>(m.StaffNoteCounts.size()) ? m.StaffNoteCounts[static_cast<size_t>(staff)] : -1;
  }
  bool StaffEmpty(const TQSMeasure& m) const { return StaffEvents(m, StaffOf(StaffVoice)) <= 0; }
  // Moves on to the next measure of the part (made when missing).
  bool NextMeasure(bool save) {
    Measure->UpdateBeams(0, true);
    ++MeasureIndex;
    Measure = Cmd.EnsureMeasureIn(*Part, MeasureIndex);
    Slot = Part->GetMeasureRecord(MeasureIndex);
    if (!Measure || !Slot) return false;
    Tick = 0;
    if (save) Cmd.SaveMeasure(Measure);
    return true;
  }
};

// The cursor's target and the undo record; false when there is nothing to
// enter into (nothing has been changed then).
bool Prepare(TEntry& e, int duration, const TQSModifiers& modifiers, int lastTupletCode, bool rest) {
  TQSScore& score = e.Score();
  score.ClearSelections();
  if (!e.Cmd.HasView() || !score.CurrentVoice()) return false;
  const TQSCursorPosition c = e.Cmd.Cursor();
  e.Piece = score.CurrentPiece();
  e.Part = score.CurrentPart();
  e.Staff = score.CurrentStaff();
  e.Measure = e.Cmd.EnsureMeasure(-1);
  if (!e.Measure) return false;
  e.MeasureIndex = c.Measure;
  e.StaffVoice = MakeStaffVoice(c.Staff, c.Voice);
  e.Tick = c.Tick;
  e.Length = duration;
  e.Written = duration;
  e.Cmd.SaveMeasure(e.Measure);

  e.Tuplet = e.Measure->FindTuplet(e.StaffVoice, e.Tick);
  for (int code : modifiers) {
    if (DotValue(code) >= 0) {
      e.Length = DottedLength(duration, {code});
    } else if (code >= modifier::Tuplet && code <= lastTupletCode && !e.Tuplet) {
      // Types 0 and 1 hold no slots to enter into.
      const int type = code - modifier::Tuplet;
      if (type >= 2) e.Tuplet = CreateTupletMark(*e.Measure, e.StaffVoice, e.Tick, type, duration);
    }
  }

  if (e.Tuplet) {
    const int offset = e.Tick - e.Tuplet->Fields.Time;
    int start = 0;
    for (int16_t slot : e.Tuplet->TupletLengths) {
      if (start + slot > offset) {
        const int unit = e.Tuplet->Fields.Value;
        if (rest) {
          e.Length = slot;
          e.Written = unit;
          e.Tick = e.Tuplet->Fields.Time + start;
        } else {
          int shift = 0;
          if (unit > duration) {
            int largest = 0;
            for (int s = 0; s <= 8; ++s)
              if ((unit >> s) > duration) largest = s;
            shift = 1 + largest;
          }
          e.Length = slot >> shift;
          e.Written = unit >> shift;
        }
        break;
      }
      start += slot;
    }
  }

  // Earlier measures where the staff is still empty get a whole-measure rest.
  for (int i = 0; i < e.MeasureIndex; ++i) {
    TQSMeasure* m = e.Part->GetMeasure(i);
    if (!m || !e.StaffEmpty(*m)) continue;
    e.Cmd.SaveMeasure(m);
    auto* whole = NewUnregisteredItem<TQSPause>(*m, kind::Pause);
    whole->Fields.Time = 0;
    whole->Fields.Length = whole->Fields.RealLength = kTicksWhole;
    whole->Fields.StaffVoice = e.StaffVoice;
    m->Items.Insert(TQSScore::FindItemInsertIndex(*m, e.StaffVoice, 0, 0), whole);
    e.Cmd.LowerPageToMeasure(*e.Piece, i);
  }

  score.LastEntryLength = static_cast<uint16_t>(e.Length);
  e.Slot = e.Part->GetMeasureRecord(e.MeasureIndex);
  return true;
}

// The stem of a new note: 4 (down) or 0 (up).
bool EntryStemDown(TQSScore& score, const TEntry& e, int octave, int step) {
  return NoteEntryStemDown(e.Staff->Fields.Tablature, e.Measure->AllVoices(), e.Staff->VoiceCount() > 1,
                           static_cast<uint8_t>(e.StaffVoice), MakePitch(octave, step), ClefShiftAtCursor(score));
}

// Clears the column's multi-measure rests before music goes into the measure.
void DropMeasureRests(TEntry& e, TQSMeasure& m) {
  if (TQSColumn* column = e.Piece->GetColumn(m.Index)) {
    e.Cmd.SaveColumn(column);
    column->DeleteMeasureRests();
  }
}

// A mark of the measure placed just before the note, at its tick and voice.
void MeasureMarkBefore(TQSMeasure& m, TQSNote& note, TQSItemType k, int variant, int value) {
  auto* mark = NewUnregisteredItem<TQSMark>(m, k);
  mark->Fields.Kind = static_cast<uint8_t>(variant);
  mark->Fields.Value = static_cast<uint16_t>(value);
  mark->Fields.Time = note.Fields.Time;
  mark->Fields.StaffVoice = note.Fields.StaffVoice;
  mark->Fields.Style = TQSMark::kStyleAttached;
  m.Items.Insert(std::max(0, m.IndexOfItem(&note)), mark);
}

void ApplyNoteModifier(TQSMeasure& m, TQSNote& note, int code, bool joinedChord) {
  using namespace modifier;
  if (ApplyPitchModifier(note, code)) return;
  if (code == Slide || code == TieUp || code == TieDown) {
    auto* tie = NewUnregisteredItem<TQSLiga>(note, kind::Liga);
    tie->Fields.Flags = code == Slide ? 8 : (note.IsStemDown() ? 16 : 17);
    tie->Fields.Span = note.Fields.RealLength;
    tie->Fields.EndStaffVoice = note.Fields.StaffVoice;
    note.Items.Add(tie);
  } else if (code == Small) {
    note.SetSmall(true);
  } else if (DotValue(code) >= 0) {
    if (!joinedChord) AttachMark(note, kind::Dot, 0, DotValue(code), false);
  } else if (code == OpenHiHat || code == HalfOpenHiHat || code == Staccato || code == Portamento) {
    MeasureMarkBefore(m, note, static_cast<TQSItemType>(code), 0, 0);
  } else if (code >= Tremolo && code <= LastTremolo) {
    MeasureMarkBefore(m, note, kind::Tremolo, 0, code - Tremolo);
  } else if (code == HandUp || code == HandDown) {
    MeasureMarkBefore(m, note, kind::Hand, code - HandUp, 0);
  }
}

struct TNoteRequest {
  int Octave, Step;
  const TQSModifiers* Modifiers;
  int Bracket, Head;
  bool Tablature;
};

TQSNote* PlaceNote(TEntry& e, int written, int length, const TNoteRequest& r) {
  TQSScore& score = e.Score();
  TQSMeasure& m = *e.Measure;
  const int tick = e.Tick, sv = e.StaffVoice;
  const bool allVoices = m.AllVoices();
  int index = 0, refillEnd = 0;
  bool overlapBefore = false;
  TQSNote* chordWith = nullptr;

  if (!e.Overwrite()) {
    m.ShiftVoiceItems(sv, tick, length);
    index = TQSScore::FindItemInsertIndex(m, sv, tick, 0);
  } else {
    overlapBefore = ClearOverlapBefore(m, sv, tick, length);
    OverwriteWalk(m, sv, tick, length, index, refillEnd, [&](TQSItem& item) {
      const int pos = item.TimePosition(), isv = item.StaffVoice();
      auto* note = dynamic_cast<TQSNote*>(&item);
      if (note && pos == tick && note->Fields.Length == written && (isv == sv || allVoices)) {
        chordWith = note;
        return TDecision::Join;
      }
      auto* rest = dynamic_cast<TQSPause*>(&item);
      auto* repeat = item.ItemType == kind::NoteRepeat ? dynamic_cast<TQSMark*>(&item) : nullptr;
      const bool replaced = pos == tick && isv == sv &&
                            ((rest && rest->Fields.Length == length) || (repeat && repeat->Fields.Value == length));
      return replaced ? TDecision::Replace : TDecision::Clear;
    });
  }

  DropMeasureRests(e, m);

  auto* note = NewUnregisteredItem<TQSNote>(m, kind::Note);
  TQSNote::TFields& f = note->Fields;
  f.Pitch = MakePitch(r.Octave, r.Step);
  note->SetStemDown(chordWith ? chordWith->IsStemDown() : EntryStemDown(score, e, r.Octave, r.Step));
  f.Length = static_cast<uint16_t>(written);
  f.RealLength = static_cast<uint16_t>(chordWith ? chordWith->Fields.RealLength : length);
  f.Time = static_cast<uint16_t>(tick);
  f.HeadStyle = static_cast<uint8_t>(r.Head);
  f.StaffVoice = static_cast<uint8_t>(sv);
  f.StemLength = static_cast<uint8_t>(score.StemLength);
  note->SetEnclosure(r.Bracket);
  note->SetExtraBeams(ExtraBeamsFor(written));
  if (r.Tablature && e.Staff->Fields.Tablature) {
    f.TabString = static_cast<uint8_t>(e.Cmd.View->CursorString);
    f.TabFret = static_cast<uint8_t>(e.Cmd.View->CursorFret + 1);
  }
  if (chordWith) {
    chordWith->SetChordMember(true);
    note->SetChordMember(true);
  }
  m.Items.Insert(std::min(index, m.ItemCount()), note);

  if (chordWith)
    for (TQSItem* a : chordWith->Items)
      if (a->ItemType == kind::Dot) {
        auto* dot = NewUnregisteredItem<TQSMark>(*note, kind::Dot);
        dot->Assign(*a);
        note->Items.Add(dot);
        break;
      }
  if (r.Modifiers)
    for (int code : *r.Modifiers) ApplyNoteModifier(m, *note, code, chordWith != nullptr);
  if (chordWith) m.ArrangeChordNotes(sv, tick, true);

  const int grouping = m.BeamingValue();
  const int mlen = e.MeasureLength();
  if (grouping > 1) {
    if (e.Tuplet) {
      if (tick + length < e.Tuplet->Fields.Time + TupletLength(e.Tuplet->Fields.Kind, e.Tuplet->Fields.Value))
        note->SetBeamedToNext(true);
    } else {
      m.AutoBeamNote(note, 0);
    }
  } else if (grouping == 1) {
    if (m.Fields.OwnBeaming || tick + length < mlen) note->SetBeamedToNext(true);
  }

  if (!e.Overwrite() || overlapBefore) {
    m.FillRests(true, 0, false, -1);
  } else if (!chordWith) {
    // A note joining a chord takes no time of its own.
    const int events = TEntry::StaffEvents(m, StaffOf(uint8_t(sv)));
    if (refillEnd == 0 || (events >= 0 && events <= 1)) refillEnd = mlen;
    if (tick + length < refillEnd) m.InsertRests(sv, tick + length, refillEnd, m.IndexOfItem(note), 0);
  }

  if (score.AutoVelocity) CalcNoteVelocity(score, note);
  if (score.AutoEffect) m.CalcEffectsAt(tick);
  return note;
}

TQSPause* PlaceRest(TEntry& e, int written, int length, const TQSModifiers& modifiers, int bracket) {
  TQSMeasure& m = *e.Measure;
  const int tick = e.Tick, sv = e.StaffVoice;
    int index = 0, refillEnd = -1;
  bool overlapBefore = false;

  if (!e.Overwrite()) {
    m.ShiftVoiceItems(sv, tick, length);
    index = TQSScore::FindItemInsertIndex(m, sv, tick, 0);
  } else {
    overlapBefore = ClearOverlapBefore(m, sv, tick, length);
    const bool placed = OverwriteWalk(m, sv, tick, length, index, refillEnd, [&](TQSItem& item) {
      const int pos = item.TimePosition(), isv = item.StaffVoice();
      if (item.ItemType == kind::NoteRepeat)
        // A note repeat of the voice over the span keeps its place.
        return isv == sv && pos < tick + length && TimedItemEnd(item) > tick ? TDecision::Cancel : TDecision::Keep;
      auto* rest = dynamic_cast<TQSPause*>(&item);
      return rest && pos == tick && isv == sv && rest->Fields.RealLength == length ? TDecision::Replace
                                                                                    : TDecision::Clear;
    });
    if (!placed) return nullptr;
    if (refillEnd < 0) refillEnd = e.MeasureLength();
  }

  DropMeasureRests(e, m);

  auto* rest = NewUnregisteredItem<TQSPause>(m, kind::Pause);
  TQSPause::TFields& f = rest->Fields;
  f.Time = static_cast<uint16_t>(tick);
  f.Length = static_cast<uint16_t>(written);
  f.RealLength = static_cast<uint16_t>(length);
  f.StaffVoice = static_cast<uint8_t>(sv);
  if (e.Staff->VoiceCount() > 1) f.OffsetY = VoiceOf(uint8_t(sv)) != 0 ? 96 : -96;
  f.Flags = static_cast<uint8_t>((f.Flags & ~TQSPause::kEnclosureMask) | ((bracket & 3) << 2));
  m.Items.Insert(std::min(index, m.ItemCount()), rest);
  for (int code : modifiers)
    if (DotValue(code) >= 0) AttachMark(*rest, kind::Dot, 0, DotValue(code), false);

  if (!e.Overwrite() || overlapBefore) m.FillRests(true, 0, false, -1);
  else if (tick + length < refillEnd) m.InsertRests(sv, tick + length, refillEnd, m.IndexOfItem(rest), 0);
  return rest;
}

}  // namespace

int DottedLength(int duration, const TQSModifiers& modifiers) {
  int length = duration;
  for (int code : modifiers) {
    const int dots = DotValue(code) + 1;
    if (dots <= 0) continue;
    length = duration;
    for (int k = 1; k <= dots; ++k) length += duration >> k;
  }
  return length;
}

int ClefShiftAtCursor(TQSScore& score) {
  TQSWindowLink* view = score.ActiveWindow();
  TQSMeasure* measure = score.CurrentMeasure();
  TQSStaff* staff = score.CurrentStaff();
  if (!view || !measure || !staff) return 0;
  TQSMeasureSlot* slot = measure->MeasureRecord();
  const TQSCursorPosition& c = view->CursorPosition;
  return slot ? slot->ClefOffsetAt(*measure, staff->SystemRow, MakeStaffVoice(c.Staff, c.Voice), c.Tick) : 0;
}

TQSMark* CreateTupletMark(TQSMeasure& measure, int staffVoice, int position, int type, int unit) {
  auto* mark = NewUnregisteredItem<TQSMark>(measure, kind::Tuplet);
  mark->Fields.Kind = static_cast<uint8_t>(type);
  mark->Fields.Time = static_cast<uint16_t>(position);
  mark->Fields.Value = static_cast<uint16_t>(unit);
  mark->Fields.StaffVoice = static_cast<uint8_t>(staffVoice);
  mark->CalcTupletLengths();
  measure.Items.Insert(TQSScore::FindItemInsertIndex(measure, staffVoice, position, 0), mark);
  return mark;
}

TQSNote* InsertNote(TQSScore& score, int octave, int step, int duration, const TQSModifiers& modifiers,
                    int bracket, int head, bool tablature) {
  TEntry e(score, undoaction::NoteEntered);
  TQSNote* last = nullptr;
  bool prepared = false;
  try {
    prepared = Prepare(e, duration, modifiers, modifier::LastNoteTuplet, false);
    if (prepared && e.Slot) {
      TNoteRequest r{octave, step, &modifiers, bracket, head, tablature};
      const int mlen = e.MeasureLength();
      if (e.Tuplet || e.Tick + e.Length <= mlen) {
        last = PlaceNote(e, e.Written, e.Length, r);
      } else {
        // Across the bar line: tied pieces of plain and dotted values.
        TQSModifiers list = modifiers;
        r.Modifiers = &list;
        int remaining = e.Length;
        while (remaining > 0) {
          Remove(list, {modifier::Dot, modifier::DoubleDot, modifier::TripleDot, modifier::TieUp, modifier::TieDown});
          const TSplitPiece piece =
              NextSplitPiece(e.Tick, remaining, e.MeasureLength(), e.Slot->BeatFor(e.MeasureIndex));
          if (piece.Value <= 0) break;
          if (piece.Dots == 2) list.push_back(modifier::DoubleDot);
          else if (piece.Dots == 1) list.push_back(modifier::Dot);
          const bool more = remaining - piece.Length > 0;
          if (more) list.push_back(modifier::TieDown);
          last = PlaceNote(e, piece.Value, piece.Length, r);
          if (e.Tick + piece.Length >= e.MeasureLength() && more) {
            if (!e.NextMeasure(true)) break;
          } else {
            e.Tick += piece.Length;
          }
          remaining -= piece.Length;
        }
      }
      if (e.MeasureIndex > 0)
        if (TQSMeasure* previous = e.Part->GetMeasure(e.MeasureIndex - 1); previous && previous->BeamRunsOn())
          previous->UpdateBeams(0, true);
      e.Measure->UpdateBeams(0, true);
      if (e.Tuplet && last) {
        TQSMark::TFields& t = e.Tuplet->Fields;
        t.Style = static_cast<uint8_t>(last->IsStemDown() ? t.Style | TQSMark::kStyleAttached
                                                          : t.Style & ~TQSMark::kStyleAttached);
      }
    }
  } catch (...) {
    if (prepared) e.Cmd.Finish();
    throw;
  }
  if (!prepared) return nullptr;
  e.Cmd.Finish();
  if (last) e.Cmd.View->SoundNote(octave, step, score.LastEntryLength);
  return last;
}

TQSPause* InsertRest(TQSScore& score, int duration, const TQSModifiers& modifiers, int bracket) {
  TEntry e(score, undoaction::RestEntered);
  TQSPause* last = nullptr;
  bool prepared = false;
  try {
    prepared = Prepare(e, duration, modifiers, modifier::LastRestTuplet, true);
    if (prepared && e.Slot) {
      const int mlen = e.MeasureLength();
      if (e.Tuplet || e.Tick + e.Length < mlen) {
        last = PlaceRest(e, e.Written, e.Length, modifiers, bracket);
      } else if (duration == kTicksWhole && e.StaffEmpty(*e.Measure)) {
        last = PlaceRest(e, kTicksWhole, kTicksWhole, modifiers, bracket);
      } else {
        TQSModifiers list = modifiers;
        Remove(list, {modifier::Dot, modifier::DoubleDot, modifier::TripleDot});
        int remaining = e.Length;
        while (remaining > 0) {
          int value = 0;
          for (int s = 0; s < 10; ++s)
            if ((1 << s) <= remaining && e.Tick + (1 << s) <= e.MeasureLength()) value = 1 << s;
          if (value <= 0) break;
          last = PlaceRest(e, value, value, list, bracket);
          remaining -= value;
          if (e.Tick + value >= e.MeasureLength() && remaining > 0) {
            if (!e.NextMeasure(true)) break;
          } else {
            e.Tick += value;
          }
        }
      }
    }
  } catch (...) {
    if (prepared) e.Cmd.Finish();
    throw;
  }
  if (!prepared) return nullptr;
  e.Cmd.Finish();
  return last;
}

void InsertGraceNote(TQSScore& score, int octave, int step, int duration, uint8_t flags, int /*reserved*/,
                     uint16_t value, bool slur, const TQSModifiers& modifiers, int /*bracket*/, int head) {
  score.ClearSelections();
  TQSEditCommand cmd(score, undoaction::NoteEntered);
  if (!cmd.HasView() || !score.CurrentVoice()) return;
  TQSMeasure* m = cmd.EnsureMeasure(-1);
  if (!m) return;
  const TQSCursorPosition c = cmd.Cursor();
  const uint8_t sv = MakeStaffVoice(c.Staff, c.Voice);
  TQSStaff* staff = score.CurrentStaff();
  TQSPart* part = score.CurrentPart();

  TQSVorschlag* group = nullptr;
  TQSNote* mainNote = nullptr;
  int index = -1;
  for (int i = 0; i < m->ItemCount(); ++i) {
    TQSItem* item = m->GetItem(i);
    if (auto* g = dynamic_cast<TQSVorschlag*>(item); g && g->Fields.StaffVoice == sv && g->Fields.Time == c.Tick &&
                                                     g->IsAfter() == bool(flags & TQSVorschlag::kAfter)) {
      group = g;
      break;
    }
    if ((item->ItemType == kind::Note || item->ItemType == kind::Pause) && item->TimePosition() >= c.Tick) {
      index = i;
      mainNote = dynamic_cast<TQSNote*>(item);
      break;
    }
  }

  cmd.SaveMeasure(m);
  if (flags & TQSVorschlag::kShortStyle) {
    if (!(flags & TQSVorschlag::kAfter) && m->Index > 0) cmd.SaveMeasure(part->GetMeasure(m->Index - 1));
    else if ((flags & TQSVorschlag::kAfter) && m->Index < part->MeasureCount() - 1)
      cmd.SaveMeasure(part->GetMeasure(m->Index + 1));
  }

  const bool isNew = group == nullptr;
  if (isNew) {
    group = NewUnregisteredItem<TQSVorschlag>(*m, kind::Vorschlag);
    group->Fields.StaffVoice = sv;
    group->Fields.Time = static_cast<uint16_t>(c.Tick);
    m->Items.Insert(index < 0 ? m->ItemCount() : index, group);
  }
  group->Fields.Flags = flags;
  group->Fields.Duration = value;

  auto* grace = static_cast<TQSNote*>(CreateItemByKind(kind::Note, group));
  TQSNote::TFields& f = grace->Fields;
  f.StaffVoice = sv;
  f.Length = f.RealLength = static_cast<uint16_t>(duration);
  f.Pitch = MakePitch(octave, step);
  f.HeadStyle = static_cast<uint8_t>(head);
  f.StemLength = static_cast<uint8_t>(score.StemLength);
  grace->SetBeamedToNext(true);
  if (staff->Fields.Tablature) {
    f.TabString = static_cast<uint8_t>(cmd.View->CursorString);
    f.TabFret = static_cast<uint8_t>(cmd.View->CursorFret + 1);
  }
  grace->SetExtraBeams(ExtraBeamsFor(duration));
  for (int code : modifiers) {
    if (ApplyPitchModifier(*grace, code)) continue;
    if (code >= modifier::Tremolo && code <= modifier::LastTremolo)
      AttachMark(*grace, kind::Tremolo, 0, code - modifier::Tremolo, false);
  }

  const bool after = flags & TQSVorschlag::kAfter;
  TQSNote* slurred = after ? mainNote : grace;
  if (isNew && slur && slurred) {
    auto* liga = static_cast<TQSLiga*>(CreateItemByKind(kind::Liga, slurred));
    liga->Fields.Flags = 1;
    liga->Fields.EndStaffVoice = sv;
    int offset;
    if (staff->Fields.Tablature) {
      const TQSNote* stringOf = !after && mainNote && mainNote->Fields.TabFret ? mainNote : grace;
      offset = (staff->Fields.LineCount - stringOf->Fields.TabString - 1) * 64 + 32;
    } else if (!after && mainNote) {
      offset = mainNote->StaffPosition * 24 + 40;
    } else {
      offset = (45 - 7 * octave - step) * 24 + 24;
    }
    liga->Fields.StartY = liga->Fields.EndY = static_cast<int16_t>(offset);
  }

  if (score.AutoEffect) m->CalcEffectsAt(group->Fields.Time);
  m->UpdateBeams(0, true);
  cmd.Finish();
  cmd.View->SoundNote(octave, step, duration);
}

}  // namespace qs
