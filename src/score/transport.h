#pragma once
// A transport (transposition) record of a part, as the transport presets
// of the setup dialogs make them: a 16-bit value and a semitone shift.
#include <cstdint>

namespace qs {

struct TQSTransportRecord {
  uint16_t Value = 0;
  int16_t Shift = 0;  // semitones
  bool operator==(const TQSTransportRecord&) const = default;
};

}  // namespace qs
