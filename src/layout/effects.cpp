#include "layout/effects.h"

#include <algorithm>
#include <cstdint>
#include <unordered_set>

#include "score/marks.h"
#include "score/measure.h"
#include "score/notes.h"
#include "score/score.h"
#include "score/units.h"

namespace qs {

namespace {

// The host's values when it does not answer.
constexpr int kDefaultArpeggioSpeed = 2;
constexpr int kDefaultFermataHold = 1;
// The accidental byte of a trill's first effect note for trill kinds 2-4.
constexpr uint8_t kTrillAccidentals[] = {50, 52, 54};

// The note fields are 16 bits wide; computed values are kept within them.
int16_t ToOffset(int64_t v) { return static_cast<int16_t>(std::clamp<int64_t>(v, INT16_MIN, INT16_MAX)); }
uint16_t ToTicks(int64_t v) { return static_cast<uint16_t>(std::clamp<int64_t>(v, 0, UINT16_MAX)); }
// A playback length that must not vanish: at least one tick.
uint16_t AtLeastOneTick(int64_t v) { return ToTicks(std::max<int64_t>(v, 1)); }

TQSNote* AsNote(TQSItem* item) { return item && item->ItemType == kind::Note ? dynamic_cast<TQSNote*>(item) : nullptr; }

int HostValue(TQSScore& score, int itemType, int subkind, int fallback) {
  return score.OnGetDinamics ? score.OnGetDinamics(&score, itemType, subkind) : fallback;
}

// The pitch byte `steps` diatonic steps from `pitch`, the octave carried
// (and kept within the octave nibble).
uint8_t StepPitch(uint8_t pitch, int steps) {
  const int line = std::clamp(PitchLine(pitch) + steps, 0, 15 * 7 + 6);
  return MakePitch(line / 7, line % 7);
}

// Hands out the effect notes of a note in order: the note's existing
// effects are reused from the front, new ones are made when they run out,
// and whatever is left over is freed.
class TEffectNotes {
 public:
  explicit TEffectNotes(TQSNote& note) : note_(note) {}

  void Add(TQSItemType markKind, int steps, int64_t time, int64_t length, uint8_t accidental = 0) {
    TQSEffect* e = Take();
    e->MarkKind = markKind;
    e->Fields.Pitch = StepPitch(note_.Fields.Pitch, steps);
    e->Fields.Time = ToTicks(time);
    e->Fields.Length = ToTicks(length);
    e->Fields.Accidental = accidental;
  }
  // Frees the effects not handed out so far.
  void FreeRest() {
    for (int i = note_.ItemCount() - 1; i >= next_; --i)
      if (TQSItem* item = note_.GetItem(i); item->ItemType == kind::Effect) delete item;
  }

 private:
  TQSEffect* Take() {
    for (; next_ < note_.ItemCount(); ++next_) {
      auto* e = dynamic_cast<TQSEffect*>(note_.GetItem(next_));
      if (e && e->ItemType == kind::Effect) {
        ++next_;
        return e;
      }
    }
    auto* e = static_cast<TQSEffect*>(CreateItemByKind(kind::Effect, &note_));
    if (note_.IndexOfItem(e) < 0) note_.Items.Add(e);
    next_ = note_.ItemCount();
    return e;
  }

  TQSNote& note_;
  int next_ = 0;
};

// The number of notes of the staff standing at the note's position just
// before it in the measure's list (after it when `following`), up to the
// first note of the staff at another position.
int ChordRank(const TQSMeasure& m, const TQSNote& note, int staff, bool following) {
  const int at = m.IndexOfItem(&note);
  if (at < 0) return 0;
  const int step = following ? 1 : -1;
  int rank = 0;
  for (int i = at + step; i >= 0 && i < m.ItemCount(); i += step) {
    const TQSNote* other = AsNote(m.GetItem(i));
    if (!other || StaffOf(other->Fields.StaffVoice) != staff) continue;
    if (other->Fields.Time != note.Fields.Time) break;
    ++rank;
  }
  return rank;
}

int NotesOfStaffAt(const TQSMeasure& m, int staff, int position) {
  int count = 0;
  for (TQSItem* item : m.Items)
    if (const TQSNote* n = AsNote(item); n && StaffOf(n->Fields.StaffVoice) == staff && n->Fields.Time == position)
      ++count;
  return count;
}

// An arpeggio rolls the chord up from the lowest note (down from the
// highest when its arrow points down): each note starts a share of the
// written length later. True when the note was moved.
bool Arpeggio(TQSScore& score, const TQSMeasure& m, const TQSMark& mark, TQSNote& n) {
  const int staff = StaffOf(n.Fields.StaffVoice);
  const int speed = HostValue(score, kind::Arpeggio, mark.Fields.Kind, kDefaultArpeggioSpeed);
  const int count = NotesOfStaffAt(m, staff, n.Fields.Time);
  const int rank = ChordRank(m, n, staff, (mark.Fields.Style & TQSMark::kArpeggioArrowMask) == TQSMark::kArpeggioDown);
  if (rank <= 0 || count <= 0) return false;
  // Speeds of 3 and more spread the chord over the whole written length
  // (a larger speed would divide by zero or turn the roll backwards).
  const int64_t divisor = std::max<int64_t>(1, 4 - int64_t{speed});
  n.Fields.PlayOffset = ToOffset(int64_t{n.Fields.Length} * rank / count / divisor);
  return true;
}

void Trill(const TQSMark& mark, TQSNote& n, TEffectNotes& effects) {
  const int h = n.Fields.RealLength / 8;
  const int k = mark.Fields.Kind;
  const uint8_t first = k >= 2 && k <= 4 ? kTrillAccidentals[k - 2] : 0;
  for (int i = 0; i < 7; ++i)
    effects.Add(kind::Trill, i % 2 == 0 ? 1 : 0, n.Fields.Time + int64_t{h} * (i + 1), h, i == 0 ? first : 0);
  n.Fields.PlayLength = ToTicks(h);
}

void Gruppetto(TQSNote& n, TEffectNotes& effects) {
  const int h = n.Fields.RealLength / 4;
  const int steps[] = {-1, -2, 0};
  for (int i = 0; i < 3; ++i) effects.Add(kind::Gruppetto, steps[i], n.Fields.Time + int64_t{h} * (i + 1), h);
  n.Fields.PlayLength = ToTicks(n.Fields.RealLength - 3 * h);
}

void Mordent(const TQSMark& mark, TQSNote& n, TEffectNotes& effects) {
  const int h = n.Fields.RealLength / 8;
  const int k = mark.Fields.Kind;
  const int count = k <= 1 ? 2 : 4;
  const int neighbour = k == 0 || k == 2 ? 1 : -1;
  const int64_t end = n.Fields.Time + int64_t{n.Fields.RealLength};
  for (int i = 0; i < count; ++i) {
    const int64_t start = n.Fields.Time + int64_t{h} * (i + 1);
    effects.Add(kind::Mordent, i % 2 == 0 ? neighbour : 0, start, i == count - 1 ? end - start : h);
  }
  n.Fields.PlayLength = ToTicks(h);
}

// A tremolo repeats the note in 2^strokes parts; a dotted note keeps its
// parts as long as the undotted one's and gets more of them.
void Tremolo(const TQSMeasure& m, const TQSMark& mark, TQSNote& n, TEffectNotes& effects) {
  const int strokes = std::min<int>(mark.Fields.Value, kMaxTremoloStrokes);
  int parts = 1 << strokes;
  const int64_t w = n.Fields.Length, real = n.Fields.RealLength;
  int64_t h = 0, length = 0;
  if (m.FindTuplet(n.Fields.StaffVoice, n.Fields.Time)) {
    h = real / parts;
    length = real - (parts - 1) * h;
  } else {
    h = w / parts;
    if (w >= 16 && real == w + w / 2) {
      length = real - (strokes + parts - 1) * h;
      parts += strokes;
    } else if (w >= 32 && real == w + w / 2 + w / 4) {
      length = real - (strokes + parts) * h;
      parts += strokes + 1;
    } else {
      length = w - (parts - 1) * h;
    }
  }
  n.Fields.PlayLength = ToTicks(length);
  for (int i = 0; i < parts - 1; ++i) effects.Add(kind::Tremolo, 0, n.Fields.Time + length + i * h, h);
}

void Ornament(const TQSMeasure& m, const TQSMark& mark, TQSNote& n, TEffectNotes& effects) {
  switch (mark.ItemType) {
    case kind::Trill: Trill(mark, n, effects); break;
    case kind::Gruppetto: Gruppetto(n, effects); break;
    case kind::Mordent: Mordent(mark, n, effects); break;
    case kind::Tremolo: Tremolo(m, mark, n, effects); break;
    default: break;
  }
}

// The notes of a measure with exactly that staff/voice byte, in order.
std::vector<TQSNote*> VoiceNotes(const TQSMeasure* m, int staffVoice) {
  std::vector<TQSNote*> out;
  if (!m) return out;
  for (TQSItem* item : m->Items)
    if (TQSNote* n = AsNote(item); n && n->Fields.StaffVoice == staffVoice) out.push_back(n);
  return out;
}

bool NoteEffects(TQSScore& score, TQSNote& n) {
  bool changed = n.Fields.PlayOffset != 0 || n.Fields.PlayLength != 0;
  n.Fields.PlayOffset = 0;
  n.Fields.PlayLength = 0;
  TEffectNotes effects(n);
  TQSMeasure* m = n.GetMeasure();
  for (int i = 0; m && i < m->ItemCount(); ++i) {
    auto* mark = dynamic_cast<TQSMark*>(m->GetItem(i));
    if (mark && mark->Fields.Time == n.Fields.Time) {
      const bool sameStaff = StaffOf(mark->Fields.StaffVoice) == StaffOf(n.Fields.StaffVoice);
      switch (mark->ItemType) {
        case kind::Arpeggio:
          if (sameStaff && Arpeggio(score, *m, *mark, n)) changed = true;
          break;
        case kind::Fermata:
          if (sameStaff) {
            const int hold = HostValue(score, kind::Fermata, mark->Fields.Kind, kDefaultFermataHold);
            const uint16_t length = ToTicks(int64_t{n.Fields.RealLength} * (int64_t{hold} + 5) / 4);
            if (length != n.Fields.PlayLength) {
              n.Fields.PlayLength = length;
              changed = true;
            }
          }
          break;
        case kind::Staccato:
          if (mark->Fields.StaffVoice == n.Fields.StaffVoice) {
            for (TQSNote* other : VoiceNotes(m, n.Fields.StaffVoice))
              if (other->Fields.Time == n.Fields.Time)
                other->Fields.PlayLength = static_cast<uint16_t>(other->Fields.RealLength / 2);
            changed = true;
          }
          break;
        case kind::Trill:
        case kind::Gruppetto:
        case kind::Mordent:
        case kind::Tremolo:
          // Ornaments are not bound to a staff: every note at their
          // position plays them.
          Ornament(*m, *mark, n, effects);
          changed = true;
          break;
        default: break;
      }
    }
  }
  // The note keeps exactly the effects of its current ornaments.
  effects.FreeRest();
  return changed;
}

// ------------------------------------------------------------ grace notes

// Plays a note `offset` ticks after its position, to its end.
void Delay(TQSNote& n, int64_t offset) {
  n.Fields.PlayOffset = ToOffset(offset);
  n.Fields.PlayLength = AtLeastOneTick(n.Fields.RealLength - int64_t{n.Fields.PlayOffset});
}

// Ends the notes sounding across tick `end` there.
void CutAt(const std::vector<TQSNote*>& notes, int64_t end, int64_t startsBefore) {
  for (TQSNote* n : notes)
    if (n->Fields.Time < startsBefore && n->Fields.Time + int64_t{n->Fields.RealLength} > end)
      n->Fields.PlayLength = AtLeastOneTick(end - n->Fields.Time);
}

bool GraceEffects(TQSVorschlag& g) {
  TQSMeasure* m = g.GetMeasure();
  std::vector<TQSNote*> graces;
  for (int i = 0; i < g.ItemCount(); ++i)
    if (TQSNote* n = g.GetNote(i)) graces.push_back(n);
  if (!m || graces.empty()) return false;

  const int position = g.Fields.Time;
  const std::vector<TQSNote*> voice = VoiceNotes(m, g.Fields.StaffVoice);
  std::vector<TQSNote*> main;
  for (TQSNote* n : voice)
    if (n->Fields.Time == position) main.push_back(n);
  auto duration = [&](const TQSNote* n) { return int64_t{g.Fields.Duration ? g.Fields.Duration : n->Fields.RealLength}; };
  // Offsets from the first grace note on (forwards), or from the last
  // grace note back (backwards, ending at 0); returns the total.
  auto spread = [&](bool forwards) {
    int64_t s = 0;
    if (forwards) {
      for (TQSNote* n : graces) {
        n->Fields.PlayOffset = ToOffset(s);
        s += duration(n);
      }
    } else {
      for (auto it = graces.rbegin(); it != graces.rend(); ++it) {
        s -= duration(*it);
        (*it)->Fields.PlayOffset = ToOffset(s);
      }
    }
    return s;
  };
  auto shiftGraces = [&](int64_t by) {
    for (TQSNote* n : graces) n->Fields.PlayOffset = ToOffset(n->Fields.PlayOffset + by);
  };

  if (!g.IsAfter() && !g.IsShortStyle()) {
    // On the beat: the main notes wait for the grace notes.
    const int64_t s = spread(true);
    for (TQSNote* n : main) Delay(*n, n->Fields.PlayOffset + s);
  } else if (!g.IsAfter()) {
    // Before the beat: what sounds then is cut, also across the barline.
    const int64_t s = spread(false);
    CutAt(voice, position + s, position);
    TQSMeasure* previous = m->Previous();
    const int previousLength = previous ? previous->MeasureLength() : 0;
    if (position + s < 0 && previousLength > 0)
      CutAt(VoiceNotes(previous, g.Fields.StaffVoice), previousLength + position + s, INT64_MAX);
  } else if (!g.IsShortStyle()) {
    // At the end of the main note, which gives them its last ticks.
    const int64_t s = spread(false);
    for (TQSNote* n : main) n->Fields.PlayLength = AtLeastOneTick(n->Fields.RealLength + s);
    if (!main.empty()) shiftGraces(main.front()->Fields.RealLength);
  } else {
    // After the main note: what follows it waits, also across the barline.
    const int64_t s = spread(true);
    int64_t q = position;
    if (!main.empty()) {
      q = main.front()->Fields.Time + int64_t{main.front()->Fields.RealLength};
      shiftGraces(main.front()->Fields.RealLength);
    }
    for (TQSNote* n : voice)
      if (n->Fields.Time >= q && n->Fields.Time < q + s) Delay(*n, q + s - n->Fields.Time);
    const int length = m->MeasureLength();
    TQSMeasure* next = m->Next();
    if (length > 0 && q + s > length && next) {
      const int64_t overlap = q + s - length;
      for (TQSNote* n : VoiceNotes(next, g.Fields.StaffVoice))
        if (n->Fields.Time < overlap) Delay(*n, overlap - n->Fields.Time);
    }
  }
  return true;
}

}  // namespace

bool CalcNoteEffects(TQSScore& score, TQSItem* item) {
  if (!item) return false;
  if (TQSNote* n = AsNote(item)) return NoteEffects(score, *n);
  if (item->ItemType == kind::Vorschlag)
    if (auto* g = dynamic_cast<TQSVorschlag*>(item)) return GraceEffects(*g);
  return false;
}

void CalcEffects(TQSScore& score, const std::vector<TQSItem*>& selectedItems) {
  if (!score.ActiveWindow()) return;
  // Each note once, and each grace group once however many of its grace
  // notes are selected: running a group twice would delay its main note
  // twice.
  std::vector<TQSItem*> notes, groups;
  std::unordered_set<const TQSItem*> seen;
  auto addOnce = [&seen](std::vector<TQSItem*>& list, TQSItem* item) {
    if (seen.insert(item).second) list.push_back(item);
  };
  for (TQSItem* item : selectedItems) {
    TQSNote* n = AsNote(item);
    if (!n) continue;
    if (TQSVorschlag* g = n->GraceGroup())
      addOnce(groups, g);
    else
      addOnce(notes, n);
  }
  bool changed = false;
  for (TQSItem* n : notes) changed |= CalcNoteEffects(score, n);
  for (TQSItem* g : groups) changed |= CalcNoteEffects(score, g);
  if (!changed) return;
  score.Recalculate(0);
  score.FireChanged(&score);
  Fire(score.OnRecalculate, &score);
}

}  // namespace qs
