#include "playback/playedkeys.h"

#include "playback/playwalker.h"

namespace qs {

TPlayedKey PlayedKeyChange(int status, int data1, int data2) {
  static constexpr int kStep[12] = {0, 0, 1, 1, 2, 3, 3, 4, 4, 5, 5, 6};
  static constexpr bool kBlack[12] = {false, true, false, true, false, false, true, false, true, false, true, false};
  TPlayedKey change;
  if (status == midi::Meta && data1 == midi::MetaEndOfTrack) {
    change.Action = TPlayedKey::UnlightAll;
    return change;
  }
  const int kind = status & 0xF0;
  if (status > 0xEF || (kind != midi::NoteOn && kind != midi::NoteOff)) return change;
  const int key = midi::DataByte(data1);
  change.Octave = key / 12;
  change.Step = kStep[key % 12];
  change.Black = kBlack[key % 12];
  // A note-on of velocity 0 is a note-off: the key it lit goes out.
  change.Action = kind == midi::NoteOn && data2 > 0 ? TPlayedKey::Light : TPlayedKey::Unlight;
  return change;
}

}  // namespace qs
