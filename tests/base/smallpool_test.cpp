#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <thread>
#include <vector>

#include "base/smallpool.h"

using namespace qs;

namespace {

struct Block {
  unsigned char* p;
  std::size_t size;
  unsigned char mark;
};

void Fill(const Block& b) { std::memset(b.p, b.mark, b.size); }
bool Intact(const Block& b) {
  for (std::size_t i = 0; i < b.size; ++i)
    if (b.p[i] != b.mark) return false;
  return true;
}

}  // namespace

// Blocks of every size, freed and made again in random order over many
// chunks, never overlap: each keeps the bytes written into it, and each is
// aligned for any type.
TEST(SmallPool, BlocksOfEverySizeNeverOverlapAcrossReuse) {
  std::mt19937 random(7);
  std::vector<Block> live;
  unsigned char mark = 1;
  auto make = [&](std::size_t size) {
    Block b{static_cast<unsigned char*>(SmallPoolAllocate(size)), size, mark++};
    ASSERT_EQ(reinterpret_cast<std::uintptr_t>(b.p) % alignof(std::max_align_t), 0u) << size;
    Fill(b);
    live.push_back(b);
  };
  for (int round = 0; round < 6; ++round) {
    for (int i = 0; i < 4000; ++i) make(1 + random() % (kSmallPoolMaxSize + 64));
    std::shuffle(live.begin(), live.end(), random);
    for (const Block& b : live) ASSERT_TRUE(Intact(b)) << b.size;
    for (std::size_t i = 0; i < live.size() / 2; ++i) SmallPoolFree(live[i].p, live[i].size);
    live.erase(live.begin(), live.begin() + static_cast<long>(live.size() / 2));
  }
  for (const Block& b : live) {
    EXPECT_TRUE(Intact(b)) << b.size;
    SmallPoolFree(b.p, b.size);
  }
  SmallPoolFree(nullptr, 16);
}

// Threads making and freeing blocks at the same time, also blocks another
// thread made, keep every block whole.
TEST(SmallPool, ThreadsShareThePool) {
  constexpr int kThreads = 4, kBlocks = 20000;
  std::vector<std::vector<Block>> made(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([&, t] {
      for (int i = 0; i < kBlocks; ++i) {
        std::size_t size = 16 + static_cast<std::size_t>((i * 7 + t) % 200);
        Block b{static_cast<unsigned char*>(SmallPoolAllocate(size)), size,
                static_cast<unsigned char>(t * 50 + i % 50)};
        Fill(b);
        made[static_cast<size_t>(t)].push_back(b);
        if (i % 3 == 0) {
          Block old = made[static_cast<size_t>(t)].front();
          made[static_cast<size_t>(t)].erase(made[static_cast<size_t>(t)].begin());
          if (!Intact(old)) ADD_FAILURE() << "block overwritten";
          SmallPoolFree(old.p, old.size);
        }
      }
    });
  for (auto& th : threads) th.join();
  // Each thread's survivors are freed by another thread.
  for (int t = 0; t < kThreads; ++t)
    threads[static_cast<size_t>(t)] = std::thread([&, t] {
      for (const Block& b : made[static_cast<size_t>((t + 1) % kThreads)]) {
        if (!Intact(b)) ADD_FAILURE() << "block overwritten";
        SmallPoolFree(b.p, b.size);
      }
    });
  for (auto& th : threads) th.join();
}
