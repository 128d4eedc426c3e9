#include "base/smallpool.h"

#include <sys/mman.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <new>
#include <thread>
#include <vector>

#include "base/hugepages.h"

#if defined(__SANITIZE_ADDRESS__)
#define QS_SMALLPOOL_PASSTHROUGH 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QS_SMALLPOOL_PASSTHROUGH 1
#endif
#endif

namespace qs {

#ifdef QS_SMALLPOOL_PASSTHROUGH

void* SmallPoolAllocate(std::size_t size) { return ::operator new(size); }
void SmallPoolFree(void* block, std::size_t) noexcept { ::operator delete(block); }

#else

namespace {

constexpr std::size_t kGranule = alignof(std::max_align_t);
constexpr std::size_t kClasses = kSmallPoolMaxSize / kGranule;
// Chunks come straight from the kernel in blocks of one huge page, aligned
// to it, so that where transparent huge pages are allowed a large score
// touches one fresh page per 2 MB instead of 512.
constexpr std::size_t kChunkSize = kHugePageSize;

struct FreeBlock {
  FreeBlock* next;
};

// One lock for the whole pool: items are made and freed almost only on the
// window thread, so it is nearly never contended, and an uncontended spin
// lock costs far less than a mutex.
class SpinLock {
 public:
  void lock() noexcept {
    while (flag_.exchange(true, std::memory_order_acquire))
      while (flag_.load(std::memory_order_relaxed)) std::this_thread::yield();
  }
  void unlock() noexcept { flag_.store(false, std::memory_order_release); }

 private:
  std::atomic<bool> flag_{false};
};

struct Pool {
  SpinLock lock;
  FreeBlock* free[kClasses] = {};
  // The unused end of the newest chunk, shared by all classes.
  char* bump = nullptr;
  char* bumpEnd = nullptr;
};

Pool& ThePool() {
  // Never destroyed: objects may be freed by other static destructors.
  static Pool* pool = new Pool;
  return *pool;
}

std::size_t ClassOf(std::size_t size) { return size == 0 ? 0 : (size - 1) / kGranule; }

// A new chunk of kChunkSize bytes aligned to kChunkSize.
char* NewChunk() {
  const std::size_t span = 2 * kChunkSize;
  void* got = ::mmap(nullptr, span, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (got == MAP_FAILED) throw std::bad_alloc();
  char* base = static_cast<char*>(got);
  const auto address = reinterpret_cast<std::uintptr_t>(base);
  char* chunk = base + ((kChunkSize - address % kChunkSize) % kChunkSize);
  // The unaligned head and tail go back at once.
  if (chunk > base) ::munmap(base, static_cast<std::size_t>(chunk - base));
  if (chunk + kChunkSize < base + span)
    ::munmap(chunk + kChunkSize, static_cast<std::size_t>(base + span - chunk - kChunkSize));
  AdviseHugePages(chunk, kChunkSize);
  return chunk;
}

}  // namespace

void* SmallPoolAllocate(std::size_t size) {
  if (size > kSmallPoolMaxSize) return ::operator new(size);
  const std::size_t c = ClassOf(size);
  const std::size_t bytes = (c + 1) * kGranule;
  Pool& pool = ThePool();
  {
    std::lock_guard<SpinLock> hold(pool.lock);
    if (FreeBlock* block = pool.free[c]) {
      pool.free[c] = block->next;
      return block;
    }
    if (static_cast<std::size_t>(pool.bumpEnd - pool.bump) >= bytes) {
      void* block = pool.bump;
      pool.bump += bytes;
      return block;
    }
  }
  // A new chunk; the rest of the old one is handed to the free lists of
  // the sizes that fit, so nothing of it is lost.
  char* chunk = NewChunk();
  std::lock_guard<SpinLock> hold(pool.lock);
  std::size_t rest = static_cast<std::size_t>(pool.bumpEnd - pool.bump);
  while (rest >= kGranule) {
    const std::size_t rc = std::min(ClassOf(rest), kClasses - 1);
    const std::size_t rbytes = (rc + 1) * kGranule;
    auto* block = reinterpret_cast<FreeBlock*>(pool.bump);
    block->next = pool.free[rc];
    pool.free[rc] = block;
    pool.bump += rbytes;
    rest -= rbytes;
  }
  pool.bump = chunk + bytes;
  pool.bumpEnd = chunk + kChunkSize;
  return chunk;
}

void SmallPoolFree(void* block, std::size_t size) noexcept {
  if (!block) return;
  if (size > kSmallPoolMaxSize) {
    ::operator delete(block);
    return;
  }
  const std::size_t c = ClassOf(size);
  Pool& pool = ThePool();
  std::lock_guard<SpinLock> hold(pool.lock);
  auto* free = static_cast<FreeBlock*>(block);
  free->next = pool.free[c];
  pool.free[c] = free;
}

#endif

}  // namespace qs
