#pragma once
// Shared by the note and mark tests: a stand-in measure and stream helpers.
#include <cstdint>
#include <memory>
#include <vector>

#include "base/stream.h"
#include "score/item.h"
#include "test_support.h"

namespace qs::test {

// Holds items as a measure does and records the notes it is told to forget.
class TStandInMeasure : public TTestOwner {
 public:
  ~TStandInMeasure() override { Items.Clear(); }

  std::vector<TQSItem*> Forgotten;

  // The pointer items answer from GetMeasure; only compared, never used.
  TQSMeasure* OwnerMeasure() const override {
    return reinterpret_cast<TQSMeasure*>(const_cast<TStandInMeasure*>(this));
  }
  void ForgetNote(TQSItem* note) override { Forgotten.push_back(note); }
};

inline std::vector<uint8_t> Save(const TQSItem& item) {
  TMemoryStream s;
  item.SaveToStream(s);
  return s.Bytes();
}

inline std::vector<uint8_t> SaveList(const TQSItemList& items) {
  TMemoryStream s;
  WriteItemList(s, items);
  return s.Bytes();
}

// Reads one record of the given kind into a new item without owner.
template <class T>
std::unique_ptr<T> Load(TQSItemType kind, const std::vector<uint8_t>& bytes) {
  TMemoryStream s(bytes);
  std::unique_ptr<T> item(dynamic_cast<T*>(CreateItemByKind(kind, nullptr)));
  item->LoadFromStream(s);
  return item;
}

inline uint16_t U16At(const std::vector<uint8_t>& b, size_t at) {
  return static_cast<uint16_t>(b.at(at) | (b.at(at + 1) << 8));
}
inline int32_t I32At(const std::vector<uint8_t>& b, size_t at) {
  return static_cast<int32_t>(b.at(at) | (b.at(at + 1) << 8) | (b.at(at + 2) << 16) |
                              (static_cast<uint32_t>(b.at(at + 3)) << 24));
}

}  // namespace qs::test
