#pragma once
// The counted tables that measures, columns, parts and pieces keep for the
// spacing commands and the layout pass, and their record sections: a u16
// count, then the entries.
#include <cstdint>
#include <vector>

#include "base/stream.h"
#include "score/record.h"

namespace qs {

using TQSSpacingTable = std::vector<int16_t>;

// Reading stays inside the record being read.
void ReadSpacingTable(TRecordReader& r, TQSSpacingTable& table);
void WriteSpacingTable(TStream& s, const TQSSpacingTable& table);
void ReadByteTable(TRecordReader& r, std::vector<uint8_t>& table);
void WriteByteTable(TStream& s, const std::vector<uint8_t>& table);

// The five per-row, per-system and per-measure tables of a part view or of
// the composition view, in their record order.
struct TQSSpacingTables {
  TQSSpacingTable RowOffsets;   // vertical offset of each staff row
  TQSSpacingTable LeftOffsets;  // left offset of each system
  TQSSpacingTable RightOffsets; // right offset of each system
  TQSSpacingTable SpaceAfter;   // space after each measure
  TQSSpacingTable AlignStyles;  // measure alignment style of each system

  // Reads the tables whose sections the record holds, from section
  // firstSection on.
  void Read(TRecordReader& r, int firstSection);
  void Write(TStream& s) const;
  bool operator==(const TQSSpacingTables&) const = default;
};

}  // namespace qs
