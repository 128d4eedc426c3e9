#pragma once
// TNameTree: a small ternary search tree from names (byte strings, compared
// byte by byte as unsigned values, case kept) to references it does not
// own. The expressions library finds an expression by its upper-cased text
// with it each time a score asks how to play one, so finding is what has to
// be quick; names are added only when the library is built.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/exceptions.h"

namespace qs {

template <class T>
class TNameTree {
 public:
  TNameTree() = default;
  ~TNameTree() { Clear(); }
  TNameTree(const TNameTree&) = delete;
  TNameTree& operator=(const TNameTree&) = delete;

  // Stores value under name. A name that holds a value already raises
  // Exception("Duplicate name: <name>") and keeps its value; every name
  // stored before stays.
  void Insert(std::string_view name, T* value) {
    const std::string_view key = Key(name);
    std::unique_ptr<TNode>* place = &root_;
    size_t p = 0;
    for (;;) {
      const auto c = static_cast<uint8_t>(key[p]);
      if (!*place) {
        *place = std::make_unique<TNode>();
        (*place)->Char = c;
      }
      TNode& node = **place;
      if (c < node.Char) {
        place = &node.Lo;
      } else if (c > node.Char) {
        place = &node.Hi;
      } else if (p + 1 < key.size()) {
        ++p;
        place = &node.Eq;
      } else {
        if (node.Value) throw Exception("Duplicate name: " + std::string(name));
        node.Value = value;
        ++count_;
        return;
      }
    }
  }

  // The value stored under name, or null.
  T* Find(std::string_view name) const {
    const std::string_view key = Key(name);
    const TNode* node = root_.get();
    size_t p = 0;
    while (node) {
      const auto c = static_cast<uint8_t>(key[p]);
      if (c < node->Char) {
        node = node->Lo.get();
      } else if (c > node->Char) {
        node = node->Hi.get();
      } else {
        if (p + 1 == key.size()) return node->Value;
        ++p;
        node = node->Eq.get();
      }
    }
    return nullptr;
  }

  // The number of names stored.
  size_t Count() const { return count_; }

  // Empties the tree; dispose, when given, is called once with each stored
  // value first.
  void Clear(const std::function<void(T*)>& dispose = {}) {
    // Without recursion: a long name makes a deep chain of nodes.
    std::vector<std::unique_ptr<TNode>> pending;
    if (root_) pending.push_back(std::move(root_));
    while (!pending.empty()) {
      std::unique_ptr<TNode> node = std::move(pending.back());
      pending.pop_back();
      for (std::unique_ptr<TNode>* child : {&node->Lo, &node->Hi, &node->Eq})
        if (*child) pending.push_back(std::move(*child));
      if (node->Value && dispose) dispose(node->Value);
    }
    count_ = 0;
  }

 private:
  struct TNode {
    uint8_t Char = 0;
    std::unique_ptr<TNode> Lo, Eq, Hi;
    T* Value = nullptr;
  };

  // The bytes walked for a name: the empty name is kept at a node of the
  // zero byte, as a name of that one byte would be.
  static std::string_view Key(std::string_view name) {
    static constexpr char kZero[1] = {'\0'};
    return name.empty() ? std::string_view(kZero, 1) : name;
  }

  std::unique_ptr<TNode> root_;
  size_t count_ = 0;
};

}  // namespace qs
