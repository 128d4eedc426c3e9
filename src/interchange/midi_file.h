#pragma once
// Standard MIDI Files at the byte level: the chunks of a file, also inside
// a RIFF "RMID" container, and the events of its tracks. Every length the
// file states is checked against what the file holds before anything is
// read or allocated, so a damaged file gives an EMidiFileError that says
// what is wrong.
#include <cstdint>
#include <string>
#include <vector>

#include "base/exceptions.h"
#include "base/stream.h"

namespace qs {

// The types of the meta events that the import reads and the export
// writes (the status bytes are with the play walker's).
namespace midi {
constexpr uint8_t MetaText = 1, MetaCopyright = 2, MetaTrackName = 3, MetaInstrumentName = 4, MetaLyric = 5,
                  MetaMarker = 6, MetaCuePoint = 7, MetaTempo = 0x51, MetaTimeSignature = 0x58,
                  MetaKeySignature = 0x59;
}  // namespace midi

class EMidiFileError : public EReadError {
 public:
  using EReadError::EReadError;
};

// One event of a track that the importer uses: channel messages and meta
// events. System-exclusive data and the system messages that have no
// place in a file are passed over.
struct TMidiEvent {
  int64_t Tick = 0;    // file ticks from the start of the track
  uint8_t Status = 0;  // $80-$EF a channel message, $FF a meta event
  uint8_t Data1 = 0;   // first data byte; the type of a meta event
  uint8_t Data2 = 0;   // second data byte of a channel message
  std::string Data;    // the bytes of a meta event

  bool IsMeta() const { return Status == 0xFF; }
  int Channel() const { return Status & 0x0F; }
  int Command() const { return Status & 0xF0; }
};

struct TMidiFile {
  int Format = 0;
  int TrackCount = 0;  // as the header states it
  int Division = 0;    // ticks per quarter note, never 0
  std::vector<std::vector<TMidiEvent>> Tracks;
};

// Track times beyond this are kept at it: far enough to lie past anything
// a score can hold, small enough that scaling them cannot overflow.
constexpr int64_t kMaxMidiTick = int64_t(1) << 40;

// Reads the file from the stream's position to its end. A RIFF container
// is unwrapped; the file proper must begin with its header chunk.
TMidiFile ReadMidiFile(TStream& s);

}  // namespace qs
