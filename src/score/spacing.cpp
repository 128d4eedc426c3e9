#include "score/spacing.h"

namespace qs {

void ReadSpacingTable(TRecordReader& r, TQSSpacingTable& table) {
  table = ReadRecordI16s(r, r.S.ReadU16());
}

void WriteSpacingTable(TStream& s, const TQSSpacingTable& table) {
  WriteCount16(s, table.size(), "spacing table");
  for (int16_t v : table) s.WriteI16(v);
}

void ReadByteTable(TRecordReader& r, std::vector<uint8_t>& table) {
  uint16_t count = r.S.ReadU16();
  table = r.ReadBytes(count);
}

void WriteByteTable(TStream& s, const std::vector<uint8_t>& table) {
  WriteCount16(s, table.size(), "table");
  s.WriteBytes(table);
}

void TQSSpacingTables::Read(TRecordReader& r, int firstSection) {
  TQSSpacingTable* tables[] = {&RowOffsets, &LeftOffsets, &RightOffsets, &SpaceAfter, &AlignStyles};
  for (int i = 0; i < 5; ++i)
    if (r.Has(firstSection + i)) ReadSpacingTable(r, *tables[i]);
}

void TQSSpacingTables::Write(TStream& s) const {
  for (const TQSSpacingTable* t : {&RowOffsets, &LeftOffsets, &RightOffsets, &SpaceAfter, &AlignStyles})
    WriteSpacingTable(s, *t);
}

}  // namespace qs
