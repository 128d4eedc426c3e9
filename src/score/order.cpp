#include "score/order.h"

#include <vector>

#include "score/marks.h"
#include "score/measure.h"
#include "score/notes.h"
#include "score/part.h"
#include "score/piece.h"

namespace qs {

namespace {

// Moves entry from to place to; the entries between shift by one.
template <class T>
void MoveEntry(std::vector<T*>& list, int from, int to) {
  T* moved = list[static_cast<size_t>(from)];
  list.erase(list.begin() + from);
  list.insert(list.begin() + to, moved);
}

template <class T>
uint8_t* StaffVoiceOf(TQSItem& item) {
  auto* typed = dynamic_cast<T*>(&item);
  return typed ? &typed->Fields.StaffVoice : nullptr;
}

}  // namespace

int Renumbered(int index, int from, int to) {
  if (index == from) return to;
  if (to < from && index >= to && index < from) return index + 1;
  if (to > from && index > from && index <= to) return index - 1;
  return index;
}

uint8_t* StaffVoiceByte(TQSItem& item) {
  if (auto* sv = StaffVoiceOf<TQSNote>(item)) return sv;
  if (auto* sv = StaffVoiceOf<TQSPause>(item)) return sv;
  if (auto* sv = StaffVoiceOf<TQSMark>(item)) return sv;
  if (auto* sv = StaffVoiceOf<TQSChord>(item)) return sv;
  if (auto* sv = StaffVoiceOf<TQSVorschlag>(item)) return sv;
  if (auto* sv = StaffVoiceOf<TQSLyric>(item)) return sv;
  return StaffVoiceOf<TQSFrame>(item);
}

bool FollowsStaff(TQSItemType k) {
  if ((k >= kind::Dynamics && k <= kind::Bracket) || (k >= kind::Vibrato && k <= kind::Breath) ||
      (k >= kind::Muting && k <= kind::Bowing) || (k >= kind::Staccato && k <= kind::Tremolo) ||
      (k >= kind::Chord && k <= kind::Term) || (k >= kind::Note && k <= kind::Pause) ||
      (k >= kind::NoteRepeat && k <= kind::BarRepeat))
    return true;
  switch (k) {
    case kind::Clef: case kind::Frame: case kind::Tuplet: case kind::Hand: case kind::Ottava: case kind::Barre:
    case kind::Flageolet: case kind::BarreBracket: return true;
    default: return false;
  }
}

void ReorderParts(TQSPiece& piece, int from, int to) {
  MoveEntry(piece.PartList(), from, to);
  piece.UpdatePartIndexes();
}

void ReorderStaves(TQSPart& part, int from, int to) {
  MoveEntry(part.StaffList(), from, to);
  part.UpdateStaffIndexes();
  for (int i = 0; i < part.MeasureCount(); ++i)
    for (TQSItem* item : part.GetMeasure(i)->Items) {
      uint8_t* sv = FollowsStaff(item->ItemType) ? StaffVoiceByte(*item) : nullptr;
      if (sv) *sv = static_cast<uint8_t>(Renumbered(*sv >> 4, from, to) << 4 | (*sv & 0x0F));
    }
}

}  // namespace qs
