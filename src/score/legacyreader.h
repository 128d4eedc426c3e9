#pragma once
// The reader of the older score files, shared by the file-level records
// (piece header, parts, staves, columns, page objects) and the measure
// records. Not for use outside the two.
#include <algorithm>
#include <cstdint>
#include <limits>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "base/exceptions.h"
#include "base/stream.h"
#include "score/item.h"
#include "score/measure.h"

namespace qs {

class TQSScore;
class TQSPiece;
class TQSPart;
class TQSColumn;
class TQSStaff;
class TQSNote;
class TQSMark;
class TQSWindowLink;

// ---------------------------------------------------------------- stream
// The file's stream seen through a read limit: a record's stored length
// bounds everything read for it, so damage inside one record cannot read
// into the next one. Reads beyond the limit come up short (EReadError).
class TLegacyStream : public TStream {
 public:
  explicit TLegacyStream(TStream& base) : base_(base) {}

  size_t Read(void* buffer, size_t count) override;
  size_t Write(const void* buffer, size_t count) override;
  int64_t Seek(int64_t offset, SeekOrigin origin) override { return base_.Seek(offset, origin); }
  void SetSize(int64_t size) override;
  int64_t Size() override { return std::min(base_.Size(), limit_); }

  int64_t Limit() const { return limit_; }
  void SetLimit(int64_t limit) { limit_ = limit; }
  // Passes over count bytes; EReadError when fewer remain.
  void Skip(int64_t count);

 private:
  TStream& base_;
  int64_t limit_ = std::numeric_limits<int64_t>::max();
};

// Keeps reads within end (never beyond the enclosing limit) while it lives.
class TReadLimit {
 public:
  TReadLimit(TLegacyStream& s, int64_t end) : s_(s), saved_(s.Limit()) { s_.SetLimit(std::min(saved_, end)); }
  ~TReadLimit() { s_.SetLimit(saved_); }
  TReadLimit(const TReadLimit&) = delete;
  TReadLimit& operator=(const TReadLimit&) = delete;

 private:
  TLegacyStream& s_;
  int64_t saved_;
};

// ---------------------------------------------------------------- blocks
// A block of the old layout: its fields are taken by byte position. A
// stored block may be shorter than the positions read; the missing bytes
// read as 0.
class TOldBlock {
 public:
  TOldBlock() = default;
  explicit TOldBlock(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}

  size_t Size() const { return bytes_.size(); }
  uint8_t U8(size_t at) const { return at < bytes_.size() ? bytes_[at] : 0; }
  uint16_t U16(size_t at) const { return static_cast<uint16_t>(U8(at) | U8(at + 1) << 8); }
  int16_t I16(size_t at) const { return static_cast<int16_t>(U16(at)); }
  uint32_t U32(size_t at) const { return U16(at) | static_cast<uint32_t>(U16(at + 2)) << 16; }
  int32_t I32(size_t at) const { return static_cast<int32_t>(U32(at)); }

 private:
  std::vector<uint8_t> bytes_;
};

// ---------------------------------------------------------------- measure items
// Items of a measure are made outside its list and inserted where the old
// order puts them; one that is never inserted frees itself.
template <class T>
std::unique_ptr<T> NewMeasureItem(TQSMeasure* m, TQSItemType kind) {
  TQSItemOwner* owner = m;
  owner->RegistrationSuspended = true;
  TQSItem* item = CreateItemByKind(kind, owner);
  owner->RegistrationSuspended = false;
  return std::unique_ptr<T>(static_cast<T*>(item));
}
// Before the first note, rest or note repeat that lies later, or at the
// same position in the same or a later staff and voice (or in any voice
// when the measure's operations apply to all of them).
void InsertInTimeOrder(TQSMeasure* m, std::unique_ptr<TQSItem> item);
// Before the first note, rest or note repeat at or after position.
void InsertBeforeTimed(TQSMeasure* m, std::unique_ptr<TQSItem> item, int position);

// ---------------------------------------------------------------- reader

class TLegacyReader {
 public:
  TLegacyReader(TQSScore& score, TStream& stream, uint8_t formatByte);
  TLegacyReader(const TLegacyReader&) = delete;
  TLegacyReader& operator=(const TLegacyReader&) = delete;

  void Read();

 private:
  // ---------------------------------------------------- primitives
  TOldBlock ReadByteBlock();  // u8 length, then the bytes
  TOldBlock ReadWordBlock();  // u16 length, then the bytes
  // A record: marker byte, stored length (i32 or u16, counted from the
  // marker), body. A record with another marker is not read further and
  // gives false. An error inside the body ends the record: reading goes on
  // at its stored end.
  template <class Body>
  bool ReadOldRecord(uint8_t marker, bool wideLength, Body&& body);

  // Times of the old layout: t becomes t x 4 ticks; files below version 848
  // used half that resolution for the times converted with Ticks.
  int Ticks(int stored) const { return stored * (V_ < 848 ? 8 : 4); }
  // A vertical place stored as staff step d, in layout units, relative to
  // base (tenths of a millimetre).
  int StepY(int d, long double base) const;
  // A page length in whole screen pixels.
  int Pixels(long double tenths) const;
  static int SignedOffset(uint8_t b) { return b < 128 ? b * 8 : b * 8 - 2040; }
  static int SignedOffset127(uint8_t b) { return b < 127 ? b * 8 : b * 8 - 2040; }

  // ---------------------------------------------------- file level
  void ReadHeader();
  void ReadOldDrumHeads();
  void MakeFirstColumn();
  void ReadPart(int index);
  void ReadPartBody();
  void ReadRows();
  void StoreLineOffsets();
  bool StartsNewPart(int staffIndex, int staffCount);
  void StartPart();
  void ReadStaff();
  void ReadStaffBody();
  void ReadColumn(int index);
  void ReadPageObject();
  TQSMeasure* EnsureMeasure(int index);
  TQSColumn* EnsureColumn(int index);
  // The length remembered for a measure (the current length when none was).
  int RememberedLength(int index) const;

  // ---------------------------------------------------- measure level
  void ReadMeasure(int index);
  void ReadMeasureBody(TQSMeasure* m, int index);
  void ReadMeasureHeader(TQSMeasure* m, int index);
  void ReadNote(TQSMeasure* m, const TOldBlock& b, int index);
  void ReadAttached(TQSMeasure* m, TQSNote* note, int index);
  void ReadGraceGroup(TQSMeasure* m, TQSNote* note, const TOldBlock& b);
  void ReadTie(TQSNote* note, const TOldBlock& b, int index);
  void ReadRest(TQSMeasure* m, const TOldBlock& b);
  void ReadFurther(TQSMeasure* m, const TOldBlock& b);
  void ReadChord(TQSMeasure* m, const TOldBlock& b);
  void ReadLyric(TQSMeasure* m, const TOldBlock& b);
  void ReadTuplet(TQSMeasure* m, const TOldBlock& b);
  void ReadBend(TQSMeasure* m, const TOldBlock& b);
  void ReadCodedMark(TQSMeasure* m, const TOldBlock& b);
  void CompleteMeasure(TQSMeasure* m);
  int StaffVoiceCount(int staff) const;
  uint8_t StaffVoiceOf(int voice) const;

  TQSScore& score_;
  TLegacyStream s_;
  uint8_t format_;
  int V_ = 768;
  TQSWindowLink* view_ = nullptr;
  long double lineSpace_ = 0;
  long double interval_ = 0;

  // Header values.
  uint16_t meter_ = 0x0404;
  uint8_t meterStyle_ = 0;
  int firstNumber_ = 0;
  bool onePart_ = false;

  // Where reading is.
  TQSPiece* piece_ = nullptr;
  TQSPart* part_ = nullptr;
  TQSStaff* staff_ = nullptr;
  int L_ = 512;     // the measure length in force
  int beat_ = 128;  // 512 div the header's meter denominator
  long double staffBase_ = 0;

  // The part record being read: the parts it made, its staff grouping and
  // its line offsets (row, offset number, value), stored at its end.
  struct TLineOffset {
    int Row, Number, Value;
  };
  std::vector<TQSPart*> recordParts_;
  std::vector<int> grouping_;
  size_t groupIndex_ = 0;
  long long groupTotal_ = 0;
  std::vector<TLineOffset> lineOffsets_;
  uint8_t accoladeStyle_ = 0;
  int measureRecords_ = 0;  // of the staff being read

  // Per staff, the notes of each measure record in reading order; ties
  // find their first note here. Per measure, the length in force when its
  // record was read.
  std::map<const TQSStaff*, std::vector<std::vector<TQSNote*>>> notes_;
  std::vector<int> lengths_;
};

template <class Body>
bool TLegacyReader::ReadOldRecord(uint8_t marker, bool wideLength, Body&& body) {
  const int64_t start = s_.Position();
  if (s_.ReadU8() != marker) return false;
  const int64_t length = wideLength ? s_.ReadI32() : s_.ReadU16();
  // A stored length that does not even cover the record's own head still
  // moves reading past that head.
  const int64_t end = std::max(start + length, s_.Position());
  try {
    TReadLimit limit(s_, end);
    body();
  } catch (const std::exception&) {
    s_.SetPosition(end);
  }
  return true;
}

}  // namespace qs
