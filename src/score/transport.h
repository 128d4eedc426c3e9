#pragma once
// A transport (transposition) record of a part, as the transport presets
// of the setup dialogs make them: a 16-bit value and a semitone shift.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace qs {

class TStream;

struct TQSTransportRecord {
  uint16_t Value = 0;
  int16_t Shift = 0;  // semitones
  bool operator==(const TQSTransportRecord&) const = default;
};

// The value the transposition dialog gives every record it makes (the
// bytes 255 and 0).
constexpr uint16_t kTransportRecordValue = 0x00FF;

inline TQSTransportRecord MakeTransportRecord(int semitones) {
  return {kTransportRecordValue, static_cast<int16_t>(semitones)};
}

// The shift of the records together, in semitones.
int TransportShift(const std::vector<TQSTransportRecord>& records);

// Record lists as files keep them: a u16 count, then 4 bytes a record.
void WriteTransportRecords(TStream& s, const std::vector<TQSTransportRecord>& records);
std::vector<TQSTransportRecord> ReadTransportRecords(TStream& s);
// count records without a count of their own.
void WriteTransportValues(TStream& s, const std::vector<TQSTransportRecord>& records);
std::vector<TQSTransportRecord> ReadTransportValues(TStream& s, size_t count);

}  // namespace qs
