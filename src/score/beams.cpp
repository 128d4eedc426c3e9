// Beam groups and stems of a measure.
#include <algorithm>
#include <climits>
#include <cstdlib>

#include "base/mathutil.h"
#include "score/marks.h"
#include "score/measure.h"
#include "score/notes.h"
#include "score/part.h"
#include "score/score.h"
#include "score/slot.h"

namespace qs {

namespace {

constexpr uint8_t kJoinBits = TQSNote::kBeamedToNext | TQSNote::kBeamJoin2;
// Group numbers are kept in a byte.
constexpr int kMaxBeamGroups = 255;

TQSNote* AsNote(TQSItem* item) { return item->ItemType == kind::Note ? dynamic_cast<TQSNote*>(item) : nullptr; }

void SetJoin(TQSNote* n, bool on) {
  n->Fields.FlagsB = static_cast<uint8_t>(on ? n->Fields.FlagsB | TQSNote::kBeamedToNext : n->Fields.FlagsB & ~kJoinBits);
}

// The list that holds a note: its grace group's or its measure's.
const TQSItemList* ListOf(const TQSNote* n) {
  if (TQSVorschlag* g = n->GraceGroup()) return &g->Items;
  if (TQSMeasure* m = n->GetMeasure()) return &m->Items;
  return nullptr;
}

// A later note of the same list with the same kind, staff/voice, position
// and real length: the note is not the last of its chord.
bool ContinuesChord(const TQSNote* n) {
  const TQSItemList* list = ListOf(n);
  if (!list) return false;
  for (int i = list->IndexOf(n) + 1; i < list->Count(); ++i) {
    auto* o = dynamic_cast<const TQSNote*>(list->Get(i));
    if (o && o->ItemType == n->ItemType && o->Fields.StaffVoice == n->Fields.StaffVoice &&
        o->Fields.Time == n->Fields.Time && o->Fields.RealLength == n->Fields.RealLength)
      return true;
  }
  return false;
}

bool SameChord(const TQSNote* a, const TQSNote* b) {
  return a->GetMeasure() == b->GetMeasure() && a->Fields.Time == b->Fields.Time &&
         a->Fields.StaffVoice == b->Fields.StaffVoice;
}

uint8_t StemByte(int value) { return static_cast<uint8_t>(std::clamp(value, 0, 255)); }

}  // namespace

struct TQSMeasure::TBeamState {
  int Group = 0;           // current group number
  bool Open = false;       // a group is open
  bool MustStart = false;  // the next beamed note starts a new group
  size_t Write = 0;        // write position in the beam-note list
  size_t GroupStart = 0;   // where the open group's entries begin
};

// ---------------------------------------------------------------- join bits

void TQSMeasure::AutoBeam() {
  const int value = BeamingValue();
  for (int i = ItemCount() - 1; i >= 0; --i) {
    TQSNote* n = AsNote(GetItem(i));
    if (!n) continue;
    if (value > 1) {
      TQSMark* tuplet = FindTuplet(n->Fields.StaffVoice, n->Fields.Time);
      if (!tuplet || n->Fields.Time + n->Fields.RealLength >=
                         tuplet->Fields.Time + TupletLength(tuplet->Fields.Kind, tuplet->Fields.Value))
        AutoBeamNote(n, 0);
      else
        SetJoin(n, true);  // notes of a tuplet stay together
    } else {
      SetJoin(n, value == 1);
    }
  }
  UpdateBeams(0, true);
}

void TQSMeasure::AutoBeamNote(TQSNote* note, int groupLength) {
  if (groupLength <= 0) {
    TQSMeasureSlot* slot = MeasureRecord();
    if (!slot) return;
    const int length = slot->LengthFor(Index);
    const int autoJoin = Score() ? Score()->AutoJoin : 0;
    if (BeamingValue() == 2) groupLength = slot->BeatFor(Index);
    else if (Fields.OwnBeaming && Fields.Beaming > 2) groupLength = length / (Fields.Beaming - 1);
    else if (autoJoin >= 3) groupLength = length / (autoJoin - 1);
    if (groupLength <= 0) return;
  }
  const int time = note->Fields.Time;
  const int group = time / groupLength;
  bool laterInGroup = false;
  for (int i = ItemCount() - 1; i >= 0; --i) {
    TQSNote* n = AsNote(GetItem(i));
    if (!n || !InVoice(*n, note->Fields.StaffVoice)) continue;
    if (n->Fields.Time == time && n->Fields.RealLength == note->Fields.RealLength) {
      SetJoin(n, laterInGroup);
    } else if (n->Fields.Time > time) {
      laterInGroup = n->Fields.Time / groupLength == group;
    } else {
      if (n->Fields.Time / groupLength != group) {
        SetJoin(n, false);
        return;
      }
      SetJoin(n, true);
      for (int k = i - 1; k >= 0; --k) {
        TQSNote* c = AsNote(GetItem(k));
        if (!c || c->Fields.StaffVoice != n->Fields.StaffVoice || c->Fields.Time != n->Fields.Time) break;
        SetJoin(c, true);
      }
      return;
    }
  }
}

// ---------------------------------------------------------------- groups

void TQSMeasure::CloseBeamGroup(TBeamState& st) {
  if (!st.Open) return;
  st.Open = false;
  // A beam needs notes at two positions at least; grace notes keep theirs.
  bool keep = false;
  for (size_t k = st.GroupStart; k < st.Write && !keep; ++k)
    keep = BeamNotes[k]->GraceGroup() != nullptr || !SameChord(BeamNotes[k], BeamNotes[st.GroupStart]);
  if (keep) return;
  for (size_t k = st.GroupStart; k < st.Write; ++k) {
    BeamNotes[k]->BeamGroup = 0;
    BeamNotes[k]->SetBeamFromPrevious(false);
  }
  st.Write = st.GroupStart;
  --st.Group;
}

void TQSMeasure::AddNoteToBeamGroup(TBeamState& st, TQSNote* note, bool fromPrevious) {
  note->SetBeamFromPrevious(false);
  note->BeamGroup = 0;
  if (note->Fields.Length >= kTicksQuarter) {
    // A quarter or longer cannot be beamed.
    CloseBeamGroup(st);
    st.MustStart = true;
    return;
  }
  const bool chord = note->IsChordMember() && ContinuesChord(note);
  const bool joined = note->Fields.FlagsB & kJoinBits;
  if (st.Open || chord || joined) {
    if (!st.Open || st.MustStart) {
      if (st.Group >= kMaxBeamGroups) {
        CloseBeamGroup(st);
        return;
      }
      ++st.Group;
      st.GroupStart = st.Write;
      st.MustStart = false;
    }
    if (st.Write < BeamNotes.size()) BeamNotes[st.Write] = note;
    else BeamNotes.push_back(note);
    ++st.Write;
    note->SetBeamFromPrevious(fromPrevious);
    note->BeamGroup = static_cast<uint8_t>(st.Group);
    st.Open = true;
  }
  if (!chord && !joined) CloseBeamGroup(st);
}

void TQSMeasure::UpdateBeams(int group, bool calcStems) {
  TQSMeasure* prev = Previous();
  TQSMeasure* next = Next();

  // 1. Notes keep their group number only when the previous measure's
  // group claims them; notes that left the measure are dropped.
  for (size_t k = BeamNotes.size(); k-- > 0;) {
    TQSNote* n = BeamNotes[k];
    if (!n->BeamFromPrevious() || !prev || std::find(prev->BeamNotes.begin(), prev->BeamNotes.end(), n) == prev->BeamNotes.end())
      n->BeamGroup = 0;
    if (n->GetMeasure() != this) BeamNotes.erase(BeamNotes.begin() + static_cast<long>(k));
  }

  // 2. Notes the previous measure's group took are not taken again.
  const bool prevRunsOn = prev && prev->BeamRunsOn();
  auto takenByPrevious = [&](TQSNote* n) {
    return prevRunsOn && std::find(prev->BeamNotes.begin(), prev->BeamNotes.end(), n) != prev->BeamNotes.end();
  };

  TBeamState st;
  std::vector<TQSVorschlag*> graceGroups;
  auto walk = [&](int staffVoice) {
    for (TQSItem* item : Items) {
      if (!AllVoices() && item->StaffVoice() != staffVoice) continue;
      if (item->ItemType == kind::Vorschlag) {
        if (auto* g = dynamic_cast<TQSVorschlag*>(item)) graceGroups.push_back(g);
      } else if (TQSNote* n = AsNote(item)) {
        if (!takenByPrevious(n) && !n->IsLeftOutOfBeams()) AddNoteToBeamGroup(st, n, false);
      }
    }
    // An open group runs on into the next measure until it closes.
    if (st.Open && BeamRunsOn() && next)
      for (TQSItem* item : next->Items) {
        TQSNote* n = AsNote(item);
        if (!n || (!AllVoices() && n->Fields.StaffVoice != staffVoice) || n->IsLeftOutOfBeams()) continue;
        AddNoteToBeamGroup(st, n, true);
        if (!st.Open) break;
      }
    CloseBeamGroup(st);
  };

  // 3. The measure's notes, voice by voice.
  if (AllVoices()) {
    walk(0);
  } else {
    for (int s = 0; s < std::min(part_->StaffCount(), kMaxStaves); ++s)
      for (int v = 0; v < std::min(part_->GetStaff(s)->VoiceCount(), kMaxVoices); ++v) walk(MakeStaffVoice(s, v));
  }

  // 4. Grace notes, group by group.
  for (TQSVorschlag* g : graceGroups) {
    for (TQSItem* item : g->Items)
      if (TQSNote* n = AsNote(item)) AddNoteToBeamGroup(st, n, false);
    CloseBeamGroup(st);
  }

  // 5. The list ends at the write position; the table gives each group's
  // first and last entry.
  BeamNotes.resize(st.Write);
  int highest = 0;
  for (TQSNote* n : BeamNotes) highest = std::max<int>(highest, n->BeamGroup);
  BeamGroups.assign(static_cast<size_t>(highest) + 1, TQSBeamGroup{});
  for (size_t k = 0; k < BeamNotes.size(); ++k) {
    const int g = BeamNotes[k]->BeamGroup;
    if (g == 0) continue;
    TQSBeamGroup& entry = BeamGroups[static_cast<size_t>(g)];
    if (k == 0 || BeamNotes[k - 1]->BeamGroup != g) entry.First = static_cast<int16_t>(std::min<size_t>(k, INT16_MAX));
    entry.Last = static_cast<int16_t>(std::min<size_t>(k, INT16_MAX));
  }

  // 6. Stems.
  if (!calcStems) return;
  for (int g = 1; g < static_cast<int>(BeamGroups.size()); ++g)
    if (group == 0 || g == group) CalcStems(g);
}

// ---------------------------------------------------------------- stems

int TQSMeasure::StaffRowOf(int staffVoice) const {
  TQSStaff* staff = part_->GetStaff(StaffOf(uint8_t(staffVoice)));
  return staff ? staff->SystemRow : 0;
}

int TQSMeasure::MeasureClefOffset(int staffRow, int staffVoice, int position) const {
  TQSMeasureSlot* slot = MeasureRecord();
  return slot ? slot->ClefOffsetAt(*this, staffRow, staffVoice, position) : 0;
}

void TQSMeasure::CalcStems(int group) {
  if (group <= 0 || group >= static_cast<int>(BeamGroups.size()) || BeamNotes.empty()) return;
  const TQSBeamGroup& entry = BeamGroups[static_cast<size_t>(group)];
  int first = entry.First;
  int last = std::min<int>(entry.Last, static_cast<int>(BeamNotes.size()) - 1);
  if (first < 0 || first > last) return;
  TQSScore* score = Score();
  const int f = score ? score->HalfSpacePixels() : 0;
  const int stemLength = score ? score->StemLength : 20;
  auto pitch = [](const TQSNote* n) { return PitchLine(n->Fields.Pitch); };
  auto position = [&](const TQSNote* n) {
    return pitch(n) - MeasureClefOffset(StaffRowOf(n->Fields.StaffVoice), n->Fields.StaffVoice, n->Fields.Time);
  };
  // The stem end of a stem-up chord is at its last note, of a stem-down
  // chord at its first.
  auto moveEnds = [&] {
    while (first < last && BeamNotes[first]->IsChordMember() && !BeamNotes[first]->IsStemDown() &&
           SameChord(BeamNotes[first], BeamNotes[first + 1]))
      ++first;
    while (last > first && BeamNotes[last]->IsChordMember() && BeamNotes[last]->IsStemDown() &&
           SameChord(BeamNotes[last], BeamNotes[last - 1]))
      --last;
  };

  if (AllVoices()) {
    // Beams across staves: stems of the upper staff point down, of the
    // others up, and the beam runs between the staves.
    int c = INT_MAX, d = INT_MIN;
    bool anyUp = false;
    for (int k = first; k <= last; ++k) {
      TQSNote* n = BeamNotes[k];
      const bool down = StaffOf(n->Fields.StaffVoice) == 0;
      n->SetStemDown(down);
      if (down) {
        d = std::max(d, f * pitch(n) - stemLength);
      } else {
        anyUp = true;
        c = std::min(c, stemLength + f * pitch(n));
      }
    }
    moveEnds();
    if (d > 0 && anyUp && score) {
      const int e = score->StaffDistancePixels();
      const uint8_t len = StemByte((e + d - c) / 2 + stemLength);
      BeamNotes[first]->Fields.StemLength = len;
      BeamNotes[last]->Fields.StemLength = len;
    }
    return;
  }

  moveEnds();
  TQSNote* e = BeamNotes[first];
  TQSNote* r = BeamNotes[last];
  // The group follows its first note when the ends disagree.
  if (e->IsStemDown() != r->IsStemDown())
    for (int k = first; k <= last; ++k) BeamNotes[k]->SetStemDown(e->IsStemDown());
  const bool up = !e->IsStemDown();

  e->Fields.StemLength = StemByte(stemLength);
  r->Fields.StemLength = StemByte(stemLength);
  const int j = position(e), g = position(r), slope = std::abs(j - g);
  if (slope > 2) {
    if ((j < g && up) || (g < j && !up)) e->Fields.StemLength = StemByte((slope - 2) * f + stemLength);
    else r->Fields.StemLength = StemByte((slope - 2) * f + e->Fields.StemLength);
  }

  // The beam must clear the inner notes: measure them against the end whose
  // beam end lies nearer the notes.
  const bool rFurther = up ? g > j : g < j;
  TQSNote* ref = rFurther ? r : e;
  const int refPos = rFurther ? g : j;
  int shortfall = 0;
  for (int k = first + 1; k < last; ++k) {
    TQSNote* n = BeamNotes[k];
    const int o = position(n) - refPos;
    if ((up && o > 0) || (!up && o < 0))
      shortfall = std::max(shortfall, f * std::abs(o) + n->Fields.StemLength - ref->Fields.StemLength);
  }
  if (shortfall > 0) {
    e->Fields.StemLength = StemByte(e->Fields.StemLength + shortfall);
    if (r != e) r->Fields.StemLength = StemByte(r->Fields.StemLength + shortfall);
  }
}

}  // namespace qs
