#pragma once
// Steps shared by the containers of the score tree: their child lists and
// their readers.
#include <cstdint>
#include <vector>

#include "base/exceptions.h"
#include "score/item.h"
#include "score/notes.h"  // WriteFields, ReadFields
#include "score/record.h"
#include "score/spacing.h"

namespace qs {

// Frees the children of a list last to first. The list is emptied first:
// each child's unregistration then finds nothing to search or renumber, so
// freeing costs the same per child however long the list is.
template <class T>
void FreeAll(std::vector<T*>& list) {
  std::vector<T*> children;
  children.swap(list);
  while (!children.empty()) {
    T* child = children.back();
    children.pop_back();
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

// Sets each child's index to its position.
template <class T>
void Renumber(const std::vector<T*>& list) {
  for (size_t i = 0; i < list.size(); ++i) list[i]->Index = static_cast<int>(i);
}

// Appends a child and gives it its index.
template <class T>
void AppendNumbered(std::vector<T*>& list, T* child) {
  list.push_back(child);
  child->Index = static_cast<int>(list.size()) - 1;
}

// Takes a child out and renumbers the others.
template <class T>
void RemoveNumbered(std::vector<T*>& list, T* child) {
  std::erase(list, child);
  Renumber(list);
}

// Assign of a measure or a column: its items replaced by copies of the
// source's, with the settings and the spacing table.
template <class T>
void AssignItemContainer(T& target, const T& source) {
  target.Clear();
  target.Fields = source.Fields;
  target.BlockSurplus = source.BlockSurplus;
  target.Spacing = source.Spacing;
  CopyItems(source.Items, &target);
}

// The record of a measure or a column: settings block, items, spacing table.
template <class F>
void WriteItemsRecord(TStream& s, const F& fields, const std::vector<uint8_t>& surplus, const TQSItemList& items,
                      const TQSSpacingTable& spacing) {
  TRecordWriter w(s, 3);
  WriteFields(s, fields, surplus);
  WriteItemList(s, items);
  WriteSpacingTable(s, spacing);
  w.Finish();
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

// Sets a flag for a scope and puts its old value back at the end.
class TFlagScope {
 public:
  TFlagScope(bool& flag, bool value) : flag_(flag), saved_(flag) { flag_ = value; }
  ~TFlagScope() { flag_ = saved_; }
  TFlagScope(const TFlagScope&) = delete;
  TFlagScope& operator=(const TFlagScope&) = delete;

 private:
  bool& flag_;
  bool saved_;
};

// Reading appends what it reads to the container, so registration is open
// while it runs even when the container's creator had suspended it (the
// children would otherwise belong to no list).
class TRegistrationOpen : public TFlagScope {
 public:
  explicit TRegistrationOpen(bool& flag) : TFlagScope(flag, false) {}
};

// The measure or column at index (>= 0) of owner's list, with empty ones
// appended up to it; they land in the list whoever suspended it.
template <class Child, class Owner>
Child* EnsureChild(Owner& owner, const std::vector<Child*>& list, int index) {
  TRegistrationOpen open(owner.RegistrationSuspended);
  while (static_cast<int>(list.size()) <= index) new Child(&owner);
  return At(list, index);
}

}  // namespace qs
