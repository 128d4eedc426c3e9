#pragma once
// Steps shared by the containers of the score tree: their child lists and
// their readers.
#include <cstdint>
#include <vector>

#include "base/exceptions.h"
#include "score/record.h"

namespace qs {

// Frees the children of a list last to first; each one's unregistration
// then finds nothing left to remove.
template <class T>
void FreeAll(std::vector<T*>& list) {
  while (!list.empty()) {
    T* child = list.back();
    list.pop_back();
    delete child;
  }
}

// Appends (index < 0 or beyond the count) or inserts at index.
template <class T>
void InsertAt(std::vector<T*>& list, T* child, int index) {
  if (index < 0 || index >= static_cast<int>(list.size())) list.push_back(child);
  else list.insert(list.begin() + index, child);
}

// nullptr out of range.
template <class T>
T* At(const std::vector<T*>& list, int index) {
  return index >= 0 && index < static_cast<int>(list.size()) ? list[static_cast<size_t>(index)] : nullptr;
}

// Lists of children read from a file with more entries than this are damage.
constexpr int kMaxChildCount = 10000;

// Reads the u16 count of a child list; a count above kMaxChildCount raises
// EReadError with the given message, which ends the record.
inline int ReadChildCount(TStream& s, const char* message) {
  uint16_t count = s.ReadU16();
  if (count > kMaxChildCount) throw EReadError(message);
  return count;
}

// A child record that reaches beyond its parent's end is damage: the parent
// stops reading children there.
inline void CheckInsideRecord(const TRecordReader& r) {
  if (r.S.Position() > r.End) throw EReadError();
}

// Reading appends what it reads to the container, so registration is open
// while it runs even when the container's creator had suspended it (the
// children would otherwise belong to no list).
class TRegistrationOpen {
 public:
  explicit TRegistrationOpen(bool& flag) : flag_(flag), saved_(flag) { flag_ = false; }
  ~TRegistrationOpen() { flag_ = saved_; }
  TRegistrationOpen(const TRegistrationOpen&) = delete;
  TRegistrationOpen& operator=(const TRegistrationOpen&) = delete;

 private:
  bool& flag_;
  bool saved_;
};

}  // namespace qs
