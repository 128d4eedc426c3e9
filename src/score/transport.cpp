#include "score/transport.h"

#include "base/stream.h"
#include "score/record.h"

namespace qs {

int TransportShift(const std::vector<TQSTransportRecord>& records) {
  int shift = 0;
  for (const TQSTransportRecord& t : records) shift += t.Shift;
  return shift;
}

void WriteTransportValues(TStream& s, const std::vector<TQSTransportRecord>& records) {
  for (const TQSTransportRecord& t : records) {
    s.WriteU16(t.Value);
    s.WriteI16(t.Shift);
  }
}

std::vector<TQSTransportRecord> ReadTransportValues(TStream& s, size_t count) {
  std::vector<uint8_t> bytes = s.ReadBytes(count * 4);  // refuses counts the data cannot hold
  std::vector<TQSTransportRecord> records(count);
  for (size_t i = 0; i < count; ++i) {
    const uint8_t* b = &bytes[4 * i];
    records[i] = {static_cast<uint16_t>(b[0] | b[1] << 8), static_cast<int16_t>(b[2] | b[3] << 8)};
  }
  return records;
}

void WriteTransportRecords(TStream& s, const std::vector<TQSTransportRecord>& records) {
  WriteCount16(s, records.size(), "transport list");
  WriteTransportValues(s, records);
}

std::vector<TQSTransportRecord> ReadTransportRecords(TStream& s) { return ReadTransportValues(s, s.ReadU16()); }

}  // namespace qs
