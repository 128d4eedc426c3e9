#pragma once
// The notes played on the MIDI input while a view records: each note-on
// and note-off is stamped with the view's recording clock (the record
// position and the tick count) as it arrives, and the owner's timer enters
// the finished notes into the score through the recording entry commands.
// Messages that come during the count-in or when not recording are
// ignored. Everything here runs on the window thread.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace qs {

class TQSScore;
class TQSPlayer;

class TQSRecordCollector {
 public:
  TQSRecordCollector(TQSScore& score, TQSPlayer& player) : score_(score), player_(player) {}

  // One message of the MIDI input (note-on, note-off; others are ignored).
  void RecordMidiInput(uint8_t status, uint8_t key, uint8_t velocity);
  // Enters the notes whose key was let go, in the order they began.
  void EnterCollected();
  // Forgets the notes not entered yet.
  void Drop() { notes_.clear(); }
  size_t Pending() const { return notes_.size(); }

 private:
  struct TNote {
    uint8_t Key, Velocity;
    int Measure, Tick, Start, End;
  };
  TQSScore& score_;
  TQSPlayer& player_;
  std::vector<TNote> notes_;
};

}  // namespace qs
