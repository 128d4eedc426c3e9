#pragma once
// Where an entry at the cursor goes in overwrite mode, shared by notes,
// rests and note repeats.
#include <algorithm>

#include "score/measure.h"
#include "score/score.h"

namespace qs {

// True when staff/voice a comes before b in the order of the measure's items.
inline bool EarlierVoice(int a, int b) {
  return StaffOf(uint8_t(a)) < StaffOf(uint8_t(b)) ||
         (StaffOf(uint8_t(a)) == StaffOf(uint8_t(b)) && VoiceOf(uint8_t(a)) < VoiceOf(uint8_t(b)));
}

// What the first timed item at or after the tick means for an entry in
// overwrite mode: a chord to join, an item of the entry's length to replace,
// an item that only fixes the place, a placement refused, or a span to clear.
enum class TDecision { Join, Replace, Keep, Cancel, Clear };

// The overwrite walk of an entry of `length` at tick: the timed items before
// the tick (or at it in an earlier voice, outside all-voices measures) are
// passed over and decide judges the first other one, whose position becomes
// index. Without one the entry goes last (an all-voices measure has its span
// cleared). refillEnd grows to the end of what was replaced or cleared.
// False when the placement is refused.
template <class Decide>
bool OverwriteWalk(TQSMeasure& m, int sv, int tick, int length, int& index, int& refillEnd, Decide decide) {
  const bool allVoices = m.AllVoices();
  for (int i = 0; i < m.ItemCount(); ++i) {
    TQSItem* item = m.GetItem(i);
    if (!IsTimedItem(*item)) continue;
    const int pos = item->TimePosition(), isv = item->StaffVoice();
    if (pos < tick || (pos == tick && !allVoices && EarlierVoice(isv, sv))) continue;
    index = i;
    switch (decide(*item)) {
      case TDecision::Join:
      case TDecision::Keep:
        return true;
      case TDecision::Cancel:
        return false;
      case TDecision::Replace:
        delete item;
        refillEnd = tick + length;
        return true;
      case TDecision::Clear: {
        const bool laterRest = item->ItemType == kind::Pause && isv == sv && pos > tick + length;
        const int cleared = m.ClearVoiceRange(sv, tick, length);
        refillEnd = std::max(refillEnd, cleared);
        if (laterRest && cleared < 0) refillEnd = pos;
        // Clearing can take items before the deciding one.
        index = TQSScore::FindItemInsertIndex(m, sv, tick, 0);
        return true;
      }
    }
  }
  if (allVoices) m.ClearVoiceRange(sv, tick, length);
  index = m.ItemCount();
  return true;
}

// A note or rest of the voice that starts before tick and still sounds
// there would overlap what is entered: the span is cleared (the caller then
// refills the voice's gaps). True when something was cleared so.
inline bool ClearOverlapBefore(TQSMeasure& m, int sv, int tick, int length) {
  for (TQSItem* item : m.Items)
    if (IsTimedItem(*item) && m.InVoice(*item, sv) && item->TimePosition() < tick && TimedItemEnd(*item) > tick) {
      m.ClearVoiceRange(sv, tick, length);
      return true;
    }
  return false;
}

}  // namespace qs
