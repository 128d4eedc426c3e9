#pragma once
// Stream strings, field blocks and framed records: the building blocks of
// every binary format of the score (native files, undo snapshots, the
// clipboard).
//
// A framed record is an i32 body length, a u16 count of the sections
// present and the sections in the class's fixed order. Readers read the
// sections they know as far as the stored count goes and always continue
// at the record's end, also after an error inside it.
#include <cstdint>
#include <string>
#include <vector>

#include "base/exceptions.h"
#include "base/extended.h"
#include "base/stream.h"
#include "base/strings.h"

namespace qs {

// Lists read from a file with more entries than this are taken as empty.
constexpr int kMaxStreamListCount = 10000;

// ---------------------------------------------------------------- strings
// A stream string is a u16 byte count and the bytes in the data code page;
// in memory it is UTF-8. A wide string is a u16 count of UTF-16 code units
// and the code units. Writing more than the 16-bit count can hold raises
// EWriteError rather than writing something that reads back wrong.
std::string ReadStreamString(TStream& s);
void WriteStreamString(TStream& s, const std::string& utf8);
std::string ReadStreamWideString(TStream& s);  // returned as UTF-8
void WriteStreamWideString(TStream& s, const std::string& utf8);
void ReadStreamStrings(TStream& s, TStringList& list);
void WriteStreamStrings(TStream& s, const TStringList& list);
// The same list read in full: a count above the list limit gives no lines,
// but the strings are still passed over so that what follows the list is
// read from its place.
std::vector<std::string> ReadStreamStringLines(TStream& s);
// The lines of texts and lyrics: wide strings, kept as UTF-8.
void ReadStreamWideStrings(TStream& s, std::vector<std::string>& lines);
void WriteStreamWideStrings(TStream& s, const std::vector<std::string>& lines);

// Writes a u16 count, refusing counts the format cannot hold.
void WriteCount16(TStream& s, size_t count, const char* what);

// ---------------------------------------------------------------- blocks
// Visits the fields of a field block in their declared order and widths,
// either writing them out or reading them back. A class describes its block
// once, in one function taking a TBlockIO, used for both directions:
//
//   void Fields(TBlockIO& b) { b.U8(Pitch); b.U8(Further1); b.U16(Time); ... }
//
// Reading a stored block shorter than the class's leaves the fields (or the
// bytes of a field) beyond it at their defaults.
class TBlockIO {
 public:
  static TBlockIO Writer() { return TBlockIO(nullptr, 0, false); }
  static TBlockIO Reader(const uint8_t* data, size_t size) { return TBlockIO(data, size, true); }

  bool Reading() const { return reading_; }
  // Bytes visited so far: at the end, the class's block size.
  size_t Position() const { return pos_; }
  const std::vector<uint8_t>& Written() const { return out_; }

  void U8(uint8_t& v) { Int(v); }
  void I8(int8_t& v) { Int(v); }
  void U16(uint16_t& v) { Int(v); }
  void I16(int16_t& v) { Int(v); }
  void U32(uint32_t& v) { Int(v); }
  void I32(int32_t& v) { Int(v); }
  void U64(uint64_t& v) { Int(v); }
  void Bool(bool& v);
  void Bytes(uint8_t* p, size_t n);
  template <size_t N>
  void Bytes(uint8_t (&a)[N]) { Bytes(a, N); }
  void F32(float& v);
  void F64(double& v);
  void Ext(Extended& v);

 private:
  TBlockIO(const uint8_t* data, size_t size, bool reading) : in_(data), size_(size), reading_(reading) {}
  template <class T>
  void Int(T& v) {
    using U = std::make_unsigned_t<T>;
    U u = static_cast<U>(v);
    for (size_t i = 0; i < sizeof(T); ++i, ++pos_) {
      if (reading_) {
        if (pos_ < size_) {
          u = static_cast<U>(u & ~(U(0xFF) << (8 * i)));
          u = static_cast<U>(u | (U(in_[pos_]) << (8 * i)));
        }
      } else {
        out_.push_back(static_cast<uint8_t>(u >> (8 * i)));
      }
    }
    if (reading_) v = static_cast<T>(u);
  }

  const uint8_t* in_;
  size_t size_;
  bool reading_;
  size_t pos_ = 0;
  std::vector<uint8_t> out_;
};

// Section 1 of a record: u16 block size, then the block. Bytes of a stored
// block longer than the class's go to `surplus` and are written back after
// the class's own fields, so newer data survives a round trip.
template <class F>
void WriteBlock(TStream& s, F&& fields, const std::vector<uint8_t>& surplus = {}) {
  TBlockIO b = TBlockIO::Writer();
  fields(b);
  WriteCount16(s, b.Written().size() + surplus.size(), "field block");
  s.WriteBuffer(b.Written().data(), b.Written().size());
  s.WriteBuffer(surplus.data(), surplus.size());
}

template <class F>
void ApplyBlock(const std::vector<uint8_t>& data, F&& fields, std::vector<uint8_t>* surplus) {
  TBlockIO b = TBlockIO::Reader(data.data(), data.size());
  fields(b);
  if (surplus) {
    surplus->clear();
    if (data.size() > b.Position()) surplus->assign(data.begin() + static_cast<long>(b.Position()), data.end());
  }
}

template <class F>
void ReadBlock(TStream& s, F&& fields, std::vector<uint8_t>* surplus = nullptr) {
  uint16_t size = s.ReadU16();
  ApplyBlock(s.ReadBytes(size), fields, surplus);
}

// ---------------------------------------------------------------- records
// Writing: construct, write the sections, Finish(). The body length is
// patched in place, and the stream is left at its end.
class TRecordWriter {
 public:
  TRecordWriter(TStream& s, uint16_t sectionCount);
  void Finish();

 private:
  TStream& s_;
  int64_t start_;
};

struct TRecordReader {
  TStream& S;
  uint16_t SectionCount;
  int64_t End;  // stream position of the record's end
  bool Has(int section) const { return SectionCount >= section; }
  // Bytes left before the record's end.
  int64_t Remaining() const { return End - S.Position(); }
  // count bytes of this record; EReadError when the record holds fewer
  // (a count read from the record must not reach into what follows it).
  std::vector<uint8_t> ReadBytes(size_t count) const {
    if (Remaining() < 0 || count > static_cast<uint64_t>(Remaining())) throw EReadError();
    return S.ReadBytes(count);
  }
};

// Section 1 inside a record: a block size reaching past the record's end is
// damage, and the fields keep their values.
template <class F>
void ReadBlock(TRecordReader& r, F&& fields, std::vector<uint8_t>* surplus = nullptr) {
  uint16_t size = r.S.ReadU16();
  ApplyBlock(r.ReadBytes(size), fields, surplus);
}

// Opens a record (raises EReadError when its length cannot be right),
// runs body for its sections, swallows any error the body raises and leaves
// the stream at the record's end.
TRecordReader OpenRecord(TStream& s);
void CloseRecord(TRecordReader& r);

template <class F>
void ReadRecord(TStream& s, F&& body) {
  TRecordReader r = OpenRecord(s);
  try {
    if (r.S.Position() <= r.End) body(r);
  } catch (const std::exception&) {
    // A damaged record keeps what was read before the damage.
  }
  CloseRecord(r);
}

// Skips a record by its length (an item of unknown kind).
void SkipRecord(TStream& s);


// A section or child record read inside a record must not have reached into
// what follows it: such a record is damaged (EReadError, which the record
// reader turns into a skip to its end; a parent stops reading children).
inline void EnsureInsideRecord(const TRecordReader& r) {
  if (r.Remaining() < 0) throw EReadError();
}
std::string ReadRecordString(TRecordReader& r);
// count little-endian 16-bit values of this record; EReadError when it
// holds fewer.
std::vector<int16_t> ReadRecordI16s(TRecordReader& r, size_t count);
// The lines of a text inside a record. A count the list reader would refuse
// ends the record, so that what follows the lines is not read from inside
// them.
void ReadRecordWideStrings(TRecordReader& r, std::vector<std::string>& lines);

// Section 1 from and to a class's TFields (which has Visit(TBlockIO&)).
template <class T>
void WriteFields(TStream& s, const T& fields, const std::vector<uint8_t>& surplus) {
  T copy = fields;
  WriteBlock(s, [&](TBlockIO& b) { copy.Visit(b); }, surplus);
}
template <class T>
void ReadFields(TRecordReader& r, T& fields, std::vector<uint8_t>& surplus) {
  ReadBlock(r, [&](TBlockIO& b) { fields.Visit(b); }, &surplus);
}

// Records that hold only the field block, declaring sectionCount sections.
template <class T>
void WriteBlockRecord(TStream& s, uint16_t sectionCount, const T& fields, const std::vector<uint8_t>& surplus) {
  TRecordWriter w(s, sectionCount);
  WriteFields(s, fields, surplus);
  w.Finish();
}
template <class T>
void ReadBlockRecord(TStream& s, T& fields, std::vector<uint8_t>& surplus) {
  ReadRecord(s, [&](TRecordReader& r) {
    if (r.Has(1)) ReadFields(r, fields, surplus);
  });
}

}  // namespace qs
