#pragma once
// What a message that playback sends does to a lit keyboard (the piano
// keys, the fretboard): a note-on lights its key, a note-off or a note-on
// of velocity 0 puts it out, and the end of playback puts out every key.
#include <cstdint>

namespace qs {

struct TPlayedKey {
  enum TAction : uint8_t { None, Light, Unlight, UnlightAll } Action = None;
  int Octave = 0;  // key div 12
  int Step = 0;    // diatonic step 0..6 from C
  bool Black = false;
};

TPlayedKey PlayedKeyChange(int status, int data1, int data2);

}  // namespace qs
