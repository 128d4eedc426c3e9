#pragma once
// Reading sections inside a framed record without trusting their counts:
// a section that runs past the end of its record has read bytes of
// whatever follows, so the record is treated as damaged (EReadError, which
// its reader turns into a skip to the record's end) and the object keeps
// the values it had for that section.
#include <string>
#include <utility>
#include <vector>

#include "base/exceptions.h"
#include "score/record.h"

namespace qs {

inline void EnsureInsideRecord(const TRecordReader& r) {
  if (r.S.Position() > r.End) throw EReadError();
}

// Section 1 from and to a class's TFields (which has Visit(TBlockIO&)).
template <class F>
void SaveFields(TStream& s, const F& fields, const std::vector<uint8_t>& surplus) {
  F copy = fields;
  WriteBlock(s, [&](TBlockIO& b) { copy.Visit(b); }, surplus);
}

template <class F>
void LoadFields(TRecordReader& r, F& fields, std::vector<uint8_t>& surplus) {
  F read = fields;
  std::vector<uint8_t> extra;
  ReadBlock(r.S, [&](TBlockIO& b) { read.Visit(b); }, &extra);
  EnsureInsideRecord(r);
  fields = read;
  surplus = std::move(extra);
}

inline std::string LoadStreamString(TRecordReader& r) {
  std::string v = ReadStreamString(r.S);
  EnsureInsideRecord(r);
  return v;
}

}  // namespace qs
