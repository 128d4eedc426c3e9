#pragma once
// Test support for the score model: byte sequences of stored records built
// by hand, for tests that check the exact bytes of a format, and a plain
// item owner.
#include <cstdint>
#include <string>
#include <vector>

#include "base/stream.h"
#include "score/item.h"

namespace qs::test {

class TBytes {
 public:
  TBytes& U8(int v) {
    bytes_.push_back(static_cast<uint8_t>(v));
    return *this;
  }
  TBytes& U16(int v) { return U8(v & 0xFF).U8((v >> 8) & 0xFF); }
  TBytes& I32(int32_t v) {
    auto u = static_cast<uint32_t>(v);
    return U16(static_cast<int>(u & 0xFFFF)).U16(static_cast<int>(u >> 16));
  }
  TBytes& U32(uint32_t v) { return I32(static_cast<int32_t>(v)); }
  // A stream string of ASCII text.
  TBytes& Str(const std::string& s) {
    U16(static_cast<int>(s.size()));
    bytes_.insert(bytes_.end(), s.begin(), s.end());
    return *this;
  }
  TBytes& Raw(const std::vector<uint8_t>& b) {
    bytes_.insert(bytes_.end(), b.begin(), b.end());
    return *this;
  }
  TBytes& Fill(size_t n, uint8_t v) {
    bytes_.insert(bytes_.end(), n, v);
    return *this;
  }
  // A framed record around body (section count first).
  TBytes& Record(const TBytes& body) { return I32(static_cast<int32_t>(body.Size())).Raw(body.Get()); }

  size_t Size() const { return bytes_.size(); }
  const std::vector<uint8_t>& Get() const { return bytes_; }
  TMemoryStream Stream() const { return TMemoryStream(bytes_); }

 private:
  std::vector<uint8_t> bytes_;
};

// An owner that keeps its items in a list, as measures and the score do.
class TTestOwner : public TQSItemOwner {
 public:
  TQSItemList Items;
  void AddItem(TQSItem* item) override { Items.Add(item); }
  void RemoveItem(TQSItem* item) override { Items.Remove(item); }
  int IndexOfItem(const TQSItem* item) const override { return Items.IndexOf(item); }
};

}  // namespace qs::test
