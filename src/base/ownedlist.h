#pragma once
// A list that owns its entries: freeing the list or deleting an entry frees
// the object. Owners of the score tree keep their children in these.
#include <algorithm>
#include <memory>
#include <vector>

#include "base/exceptions.h"

namespace qs {

template <class T>
class TOwnedList {
 public:
  int Count() const { return static_cast<int>(items_.size()); }
  bool Empty() const { return items_.empty(); }

  T* operator[](int i) const { return At(i); }
  T* At(int i) const {
    if (i < 0 || i >= Count()) RaiseListIndexError(i);
    return items_[static_cast<size_t>(i)].get();
  }
  T* First() const { return At(0); }
  T* Last() const { return At(Count() - 1); }

  T* Add(std::unique_ptr<T> item) {
    items_.push_back(std::move(item));
    return items_.back().get();
  }
  T* Insert(int index, std::unique_ptr<T> item) {
    if (index < 0 || index > Count()) RaiseListIndexError(index);
    return items_.insert(items_.begin() + index, std::move(item))->get();
  }
  // Removes the entry without freeing it.
  std::unique_ptr<T> Extract(int index) {
    if (index < 0 || index >= Count()) RaiseListIndexError(index);
    auto p = std::move(items_[static_cast<size_t>(index)]);
    items_.erase(items_.begin() + index);
    return p;
  }
  std::unique_ptr<T> Extract(const T* item) {
    int i = IndexOf(item);
    return i < 0 ? nullptr : Extract(i);
  }
  void Delete(int index) { Extract(index); }
  bool Remove(const T* item) {
    int i = IndexOf(item);
    if (i < 0) return false;
    Delete(i);
    return true;
  }
  int IndexOf(const T* item) const {
    for (size_t i = 0; i < items_.size(); ++i)
      if (items_[i].get() == item) return static_cast<int>(i);
    return -1;
  }
  void Move(int from, int to) {
    auto p = Extract(from);
    Insert(to, std::move(p));
  }
  void Exchange(int a, int b) {
    if (a < 0 || a >= Count()) RaiseListIndexError(a);
    if (b < 0 || b >= Count()) RaiseListIndexError(b);
    std::swap(items_[static_cast<size_t>(a)], items_[static_cast<size_t>(b)]);
  }
  // Frees the entries last to first.
  void Clear() {
    while (!items_.empty()) items_.pop_back();
  }
  template <class Less>
  void StableSort(Less less) {
    std::stable_sort(items_.begin(), items_.end(),
                     [&](const std::unique_ptr<T>& a, const std::unique_ptr<T>& b) { return less(a.get(), b.get()); });
  }

  class iterator {
   public:
    using Base = typename std::vector<std::unique_ptr<T>>::const_iterator;
    explicit iterator(Base it) : it_(it) {}
    T* operator*() const { return it_->get(); }
    iterator& operator++() { ++it_; return *this; }
    bool operator!=(const iterator& o) const { return it_ != o.it_; }
    bool operator==(const iterator& o) const { return it_ == o.it_; }
   private:
    Base it_;
  };
  iterator begin() const { return iterator(items_.begin()); }
  iterator end() const { return iterator(items_.end()); }

  ~TOwnedList() { Clear(); }
  TOwnedList() = default;
  TOwnedList(const TOwnedList&) = delete;
  TOwnedList& operator=(const TOwnedList&) = delete;
  TOwnedList(TOwnedList&&) noexcept = default;
  TOwnedList& operator=(TOwnedList&&) noexcept = default;

 private:
  std::vector<std::unique_ptr<T>> items_;
};

}  // namespace qs
