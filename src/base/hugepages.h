#pragma once
// Transparent huge pages for large blocks: where the system allows them, a
// block touched for the first time costs one page fault per 2 MB instead of
// one per 4 kB. Only a hint: refused quietly where huge pages are off.
#include <sys/mman.h>

#include <cstddef>
#include <cstdint>

namespace qs {

constexpr std::size_t kHugePageSize = 2 * 1024 * 1024;

// Advises the whole huge pages inside the block.
inline void AdviseHugePages(void* block, std::size_t bytes) {
#ifdef MADV_HUGEPAGE
  const auto begin = reinterpret_cast<std::uintptr_t>(block);
  const std::uintptr_t first = (begin + kHugePageSize - 1) / kHugePageSize * kHugePageSize;
  const std::uintptr_t last = (begin + bytes) / kHugePageSize * kHugePageSize;
  if (last > first) ::madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
#else
  (void)block, (void)bytes;
#endif
}

}  // namespace qs
