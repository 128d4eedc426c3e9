#pragma once
// Storage for many small objects of few sizes, such as the items of a
// score: a large score holds hundreds of thousands of them, and the general
// heap spends most of the time of freeing such a score merging neighbouring
// free blocks it will only split again. Here every size class keeps a list
// of free blocks carved from large chunks, so making and freeing an object
// costs a few instructions, and freeing a whole score grows only with the
// number of its objects. Chunks are kept for later objects, never returned.
//
// Safe to call from any thread. Under AddressSanitizer the general heap is
// used instead, so that use after free stays detectable.
#include <cstddef>

namespace qs {

// Sizes up to this many bytes come from the pool; larger ones from the heap.
constexpr std::size_t kSmallPoolMaxSize = 512;

// A block of at least size bytes, aligned for any fundamental type.
// Raises std::bad_alloc when memory is exhausted.
void* SmallPoolAllocate(std::size_t size);
// Gives back a block that SmallPoolAllocate handed out for the same size.
void SmallPoolFree(void* block, std::size_t size) noexcept;

// Mix-in for classes whose objects should live in the pool. The size that
// reaches operator delete is the most derived class's when the destructor
// is virtual, so every subclass is served from its own size class.
struct TSmallPooled {
  static void* operator new(std::size_t size) { return SmallPoolAllocate(size); }
  static void operator delete(void* block, std::size_t size) noexcept { SmallPoolFree(block, size); }
};

}  // namespace qs
